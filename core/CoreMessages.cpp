#include "core/CoreMessages.h"

#include "platform/framework/WinApp.h"
#include "platform/system/DeviceDb.h"
#include "platform/system/Modules.h"
#include "platform/ui/DeviceUi.h"

#include <map>
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

namespace {

// A user action: the device connection (a device opened afresh is a new start) and the layer's
// serial of the user's input.
using UserAction = std::pair<uint64_t, uint64_t>;

UserAction CurrentUserAction() {
    device::DeviceDb* db = device::DeviceDb::Get();
    return {db ? db->Serial() : 0, device::ui::UserActionSerial()};
}

} // namespace

void ShowCoreMessageOncePerAction(UINT id) {
    static std::map<UINT, UserAction> saidIn;
    static std::set<UINT> showing; // a fault met while its own box is up is that action's too
    const auto said = saidIn.find(id);
    if (showing.count(id) || (said != saidIn.end() && said->second == CurrentUserAction())) return;
    showing.insert(id);
    ShowCoreMessage(id);
    showing.erase(id);
    saidIn[id] = CurrentUserAction();
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
