#include "core/CoreMessages.h"

#include "platform/framework/WinApp.h"
#include "platform/system/DeviceDb.h"
#include "platform/system/Modules.h"

#include <set>
#include <utility>

CString LoadCoreString(UINT id) {
    LPCWSTR text = nullptr;
    int length = LoadStringW(device::ResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    // A string the language module lacks is the program's own.
    if (length <= 0 || !text) length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return CString();
    return CString(text, length);
}

int ShowCoreMessage(UINT id) {
    return AfxMessageBox(id, MB_OK);
}

void ShowCoreMessageOnce(UINT id) {
    // Keyed by the device connection too: a device opened afresh (a new start) hears it again.
    static std::set<std::pair<uint64_t, UINT>> shown;
    device::DeviceDb* db = device::DeviceDb::Get();
    if (shown.insert({db ? db->Serial() : 0, id}).second) ShowCoreMessage(id);
}

int ShowCoreMessageBox(HWND owner, const CString& text, const CString& caption, UINT type) {
    return MessageBoxW(owner, text, caption, type);
}

int ShowNamesMessage(HWND owner, UINT id, const std::vector<CString>& names) {
    constexpr size_t kShown = 8;
    CString list;
    for (size_t i = 0; i < names.size() && i < kShown; ++i) list += (i ? L", " : L"") + names[i];
    if (names.size() > kShown) list += L", ...";
    CString text;
    text.Format(LoadCoreString(id), static_cast<LPCWSTR>(list));
    return ShowCoreMessageBox(owner, text, L"Jorvana", MB_OK | MB_ICONWARNING);
}
