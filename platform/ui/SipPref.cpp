// The input-panel preference control. An edit box tells it when it takes or loses the focus
// (before its dialog hears EN_SETFOCUS, so that the dialog's own handler already works on the
// raised panel's room); the control raises the panel for an edit box of its dialog, and after a
// loss of focus looks again once the focus has settled, so that moving from one edit box to the
// next does not lower and raise the panel. It does not listen to the dialog's messages: a dialog
// whose own handler takes EN_SETFOCUS would keep them from it.

#include "platform/ui/SipPref.h"

#include "platform/base/CaseFold.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/Sip.h"
#include "platform/ui/WinUser.h"

#include <map>
#include <mutex>
#include <vector>

namespace device::ui {
namespace {

// Posted to the control after an edit box lost the focus.
constexpr UINT kCheckFocus = WM_USER + 1;

struct Control {
    HWND dialog = nullptr;
    bool raised = false; // this control raised the panel and has not lowered it since
};

std::mutex g_lock;
std::map<HWND, Control>& Controls() {
    static auto* controls = new std::map<HWND, Control>;
    return *controls;
}

bool IsEditOf(HWND dialog, HWND hwnd) {
    if (!dialog || !hwnd || !IsWindow(hwnd) || GetParent(hwnd) != dialog) return false;
    WCHAR cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    return device::EqualNoCase(cls, L"Edit");
}

// The preference controls of a dialog.
std::vector<HWND> ControlsOf(HWND dialog) {
    std::vector<HWND> found;
    std::lock_guard lock(g_lock);
    for (const auto& [control, state] : Controls())
        if (state.dialog == dialog) found.push_back(control);
    return found;
}

void Raise(HWND control) {
    {
        std::lock_guard lock(g_lock);
        auto it = Controls().find(control);
        if (it == Controls().end()) return;
        it->second.raised = true;
    }
    SHSipPreference(control, SIP_UP);
}

void Lower(HWND control) {
    {
        std::lock_guard lock(g_lock);
        auto it = Controls().find(control);
        if (it == Controls().end() || !it->second.raised) return;
        it->second.raised = false;
    }
    SHSipPreference(control, SIP_DOWN);
}

void StopWatching(HWND control) {
    Lower(control); // the dialog is going: a panel it raised goes with it
    std::lock_guard lock(g_lock);
    Controls().erase(control);
}

LRESULT CALLBACK SipPrefProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: {
        std::lock_guard lock(g_lock);
        Controls()[hwnd] = Control{GetParent(hwnd), false};
        return 0;
    }
    case kCheckFocus: {
        HWND dialog = nullptr;
        {
            std::lock_guard lock(g_lock);
            auto it = Controls().find(hwnd);
            if (it != Controls().end()) dialog = it->second.dialog;
        }
        if (!IsEditOf(dialog, GetFocus())) Lower(hwnd);
        return 0;
    }
    case WM_DESTROY: StopWatching(hwnd); return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

void RegisterSipPrefClass() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = SipPrefProc;
    wc.lpszClassName = WC_SIPPREF;
    RegisterClassW(&wc); // a second registration fails harmlessly
}

void SipPrefEditFocus(HWND edit, bool gained) {
    const HWND dialog = GetParent(edit);
    if (!IsEditOf(dialog, edit)) return;
    for (HWND control : ControlsOf(dialog)) {
        if (gained) Raise(control);
        else PostMessageW(control, kCheckFocus, 0, 0);
    }
}

} // namespace device::ui
