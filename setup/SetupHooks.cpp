#include "setup/SetupHooks.h"

#include "platform/system/DeviceFiles.h"
#include "platform/system/ObjectStore.h"
#include "platform/system/Registry.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Today.h"

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
