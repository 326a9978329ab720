#include "setup/SetupHooks.h"

#include "platform/system/DeviceFiles.h"
#include "platform/system/Notifications.h"
#include "platform/system/ObjectStore.h"
#include "platform/system/Registry.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Today.h"

#include <cwchar>
#include <vector>

#define SETUP_EXPORT __attribute__((visibility("default")))

namespace {

// Opens a key under HKEY_LOCAL_MACHINE and deletes the listed subkeys of it; failures are not
// looked at.
void DeleteSubkeys(LPCWSTR path, std::initializer_list<LPCWSTR> subkeys) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &key) != ERROR_SUCCESS) return;
    for (LPCWSTR subkey : subkeys) RegDeleteKeyW(key, subkey);
    RegCloseKey(key);
}

// Removes the program's reminder notifications, known by their titles, so that none goes off
// for a program that is gone; other programs' notifications stay.
void ClearReminderNotifications() {
    static const WCHAR* const kTitles[] = {L"Jorvana Reminder", L"Jorvana Reminder1", L"Jorvana Reminder2",
                                           L"Jorvana Reminder3", L"Jorvana Reminder4"};
    DWORD count = 0;
    CeGetUserNotificationHandles(nullptr, 0, &count);
    if (count == 0) return;
    std::vector<HANDLE> handles(count);
    if (!CeGetUserNotificationHandles(handles.data(), count, &count)) return;
    for (HANDLE h : handles) {
        const device::NotificationCopy copy(h);
        const CE_USER_NOTIFICATION* user = copy.User();
        if (!user || !user->pwszDialogTitle) continue;
        for (const WCHAR* title : kTitles)
            if (std::wcscmp(user->pwszDialogTitle, title) == 0) {
                CeClearUserNotification(h);
                break;
            }
    }
}

} // namespace

extern "C" {

SETUP_EXPORT codeINSTALL_INIT Install_Init(HWND, BOOL, BOOL, LPCWSTR) { return codeINSTALL_INIT_CONTINUE; }

SETUP_EXPORT codeUNINSTALL_INIT Uninstall_Init(HWND, LPCWSTR) {
    DeleteSubkeys(L"Software\\Microsoft\\Today\\Items", {L"Ondrelpane"});
    // The Today screen reloads its items and so lets the plug-in go before its file is deleted.
    SendMessageW(HWND_BROADCAST, WM_SETTINGCHANGE, TODAY_RELOAD_SETTING, 0);
    return codeUNINSTALL_INIT_CONTINUE;
}

SETUP_EXPORT codeUNINSTALL_EXIT Uninstall_Exit(HWND parent) {
    DeleteSubkeys(L"Software\\Apps", {L"Quillmoor Jorvana"});
    DeleteSubkeys(L"Jorvana", {L"wrldclk", L"map", L"weather", L"alarms", L"currencies"});
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Jorvana");
    ClearReminderNotifications();

    struct Store {
        LPCWSTR name;
        LPCWSTR missing;
    };
    const Store stores[] = {{L"jrvCities", L"Cities Database not found!"},
                            {L"jrvWeather", L"Weather Database not found!"},
                            {L"jrvConverters", L"Converters Database not found!"},
                            {L"jrvCurrencies", L"Currencies Database not found!"}};
    for (const Store& store : stores) {
        // Opened only to learn its identifier.
        CEOID id = 0;
        HANDLE db = CeOpenDatabase(&id, store.name, 0, 0, nullptr);
        if (db != INVALID_HANDLE_VALUE) CloseHandle(db);
        else id = 0;
        if (id == 0 || !CeDeleteDatabase(id)) MessageBoxW(parent, store.missing, L"Uninstall Report", MB_OK);
    }
    return codeUNINSTALL_EXIT_DONE;
}

} // extern "C"
