// The input-panel preference control. It listens to its dialog by subclassing the dialog's window
// (chaining to whatever procedure was there): EN_SETFOCUS from an edit box raises the panel;
// EN_KILLFOCUS asks the control to look again once the focus has settled, so that moving from
// one edit box to the next does not lower and raise the panel.

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

struct Watch {
    WNDPROC previous = nullptr;
    std::vector<HWND> controls; // the SIPPREF controls of this dialog
};

struct Control {
    HWND dialog = nullptr;
    bool raised = false; // this control raised the panel and has not lowered it since
};

std::mutex g_lock;
std::map<HWND, Watch>& Watches() {
    static auto* watches = new std::map<HWND, Watch>;
    return *watches;
}
std::map<HWND, Control>& Controls() {
    static auto* controls = new std::map<HWND, Control>;
    return *controls;
}

bool IsEditOf(HWND dialog, HWND hwnd) {
    if (!hwnd || !IsWindow(hwnd) || GetParent(hwnd) != dialog) return false;
    WCHAR cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    return device::EqualNoCase(cls, L"Edit");
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

LRESULT CALLBACK DialogHook(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = nullptr;
    std::vector<HWND> controls;
    {
        std::lock_guard lock(g_lock);
        auto it = Watches().find(dialog);
        if (it != Watches().end()) {
            previous = it->second.previous;
            controls = it->second.controls;
        }
    }
    if (msg == WM_COMMAND && IsEditOf(dialog, reinterpret_cast<HWND>(lParam))) {
        if (HIWORD(wParam) == EN_SETFOCUS)
            for (HWND c : controls) Raise(c);
        else if (HIWORD(wParam) == EN_KILLFOCUS)
            for (HWND c : controls) PostMessageW(c, kCheckFocus, 0, 0);
    }
    return previous ? CallWindowProcW(previous, dialog, msg, wParam, lParam)
                    : DefWindowProcW(dialog, msg, wParam, lParam);
}

void StartWatching(HWND control, HWND dialog) {
    std::lock_guard lock(g_lock);
    Controls()[control] = Control{dialog, false};
    if (!dialog) return;
    Watch& w = Watches()[dialog];
    if (w.controls.empty())
        w.previous = reinterpret_cast<WNDPROC>(
            SetWindowLongW(dialog, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&DialogHook)));
    w.controls.push_back(control);
}

void StopWatching(HWND control) {
    HWND dialog = nullptr;
    {
        std::lock_guard lock(g_lock);
        auto it = Controls().find(control);
        if (it == Controls().end()) return;
        dialog = it->second.dialog;
    }
    Lower(control); // the dialog is going: a panel it raised goes with it
    std::lock_guard lock(g_lock);
    Controls().erase(control);
    auto w = Watches().find(dialog);
    if (w == Watches().end()) return;
    std::erase(w->second.controls, control);
    if (w->second.controls.empty()) {
        // Unhook only when nobody subclassed the dialog after us; otherwise the hook stays and
        // simply passes everything on.
        if (IsWindow(dialog) &&
            reinterpret_cast<WNDPROC>(GetWindowLongW(dialog, GWL_WNDPROC)) == &DialogHook) {
            SetWindowLongW(dialog, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(w->second.previous));
            Watches().erase(w);
        }
    }
}

LRESULT CALLBACK SipPrefProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: StartWatching(hwnd, GetParent(hwnd)); return 0;
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

} // namespace device::ui
