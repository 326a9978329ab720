// The dialog's keyboard interface: tab order, groups, and the keys a dialog answers for its
// controls (Tab, arrows, Enter, Esc; Esc cancels top-level dialogs only).
#include "platform/ui/Dialog.h"

#include "platform/ui/DialogInternal.h"

#include <algorithm>
#include <vector>

namespace {

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }

// The dialog's controls in tab order: its children in order, a child that is a control parent
// (WS_EX_CONTROLPARENT, such as a child dialog) standing for its own controls.
void CollectControls(HWND parent, std::vector<HWND>& out, int depth) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        auto ex = static_cast<DWORD>(GetWindowLongW(c, GWL_EXSTYLE));
        DWORD style = StyleOf(c);
        if ((ex & WS_EX_CONTROLPARENT) && depth < 8 && (style & WS_VISIBLE) && !(style & WS_DISABLED)) {
            CollectControls(c, out, depth + 1);
        } else {
            out.push_back(c);
        }
    }
}

// The control's own state counts, not its dialog's: a hidden dialog still has a tab order.
bool CanTakeFocus(HWND c) {
    DWORD style = StyleOf(c);
    return (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

void FocusControl(HWND control) {
    SetFocus(control);
    if (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(control, EM_SETSEL, 0, -1);
}

// The control of the dialog holding the focus (or the dialog itself, or null).
HWND FocusIn(HWND dialog) {
    HWND focus = GetFocus();
    return focus && (focus == dialog || IsChild(dialog, focus)) ? focus : nullptr;
}

// A dialog showing child dialogs inside one of its controls (pages in a tab strip). A property
// sheet's pages are the sheet's own children: the sheet is still cancelled by Esc.
bool ShowsPagesInAControl(HWND dialog) {
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT))
        for (HWND inner = GetWindow(control, GW_CHILD); inner; inner = GetWindow(inner, GW_HWNDNEXT))
            if ((StyleOf(inner) & WS_VISIBLE) && device::ui::FindDialog(inner)) return true;
    return false;
}

// Enter: the focused push button, else the default button, else IDOK. A focused push button
// tells its own parent, as a tap would: on a page inside a sheet that is the page, not the sheet.
void PressDefault(HWND dialog, HWND focus, LRESULT focusCode) {
    int id;
    HWND control;
    HWND target = dialog;
    if (focus && focus != dialog && (focusCode & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        control = focus;
        id = GetDlgCtrlID(focus);
        if (HWND parent = GetParent(focus)) target = parent;
    } else {
        LRESULT def = SendMessageW(dialog, DM_GETDEFID, 0, 0);
        id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
        control = GetDlgItem(dialog, id);
    }
    if (control && !IsWindowEnabled(control)) {
        MessageBeep(0);
        return;
    }
    SendMessageW(target, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

} // namespace

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    if (!IsWindow(dialog)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::vector<HWND> all;
    CollectControls(dialog, all, 0);
    if (previous) std::reverse(all.begin(), all.end());
    auto at = control ? std::find(all.begin(), all.end(), control) : all.end();
    size_t start = at == all.end() ? 0 : static_cast<size_t>(at - all.begin()) + 1;
    for (size_t i = 0; i < all.size(); ++i) {
        HWND c = all[(start + i) % all.size()];
        if ((StyleOf(c) & WS_TABSTOP) && CanTakeFocus(c)) return c;
    }
    return nullptr;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
    if (!IsWindow(dialog)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::vector<HWND> all;
    CollectControls(dialog, all, 0);
    auto at = std::find(all.begin(), all.end(), control);
    if (!control || at == all.end()) return all.empty() ? nullptr : GetNextDlgTabItem(dialog, nullptr, previous);
    // The group: from the nearest WS_GROUP control at or before this one, up to the next WS_GROUP.
    size_t index = static_cast<size_t>(at - all.begin());
    size_t first = index;
    while (first > 0 && !(StyleOf(all[first]) & WS_GROUP)) --first;
    size_t end = index + 1;
    while (end < all.size() && !(StyleOf(all[end]) & WS_GROUP)) ++end;
    size_t count = end - first;
    for (size_t step = 1; step < count; ++step) {
        size_t offset = previous ? (index - first + count - step) % count : (index - first + step) % count;
        HWND c = all[first + offset];
        if (CanTakeFocus(c)) return c;
    }
    return control;
}

BOOL IsDialogMessageW(HWND dialog, LPMSG msg) {
    if (!msg || !dialog || !IsWindow(dialog)) return FALSE;
    if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;

    if (msg->message == WM_KEYDOWN || msg->message == WM_CHAR) {
        LRESULT code = SendMessageW(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
        bool wantsAll = (code & DLGC_WANTALLKEYS) != 0;
        // A sheet's page keys come before any control's claim on Tab.
        if (msg->message == WM_KEYDOWN && device::ui::SheetTakesPageKey(dialog, *msg)) return TRUE;
        if (msg->message == WM_KEYDOWN && !wantsAll) {
            HWND focus = FocusIn(dialog);
            switch (msg->wParam) {
            case VK_TAB:
                if (code & DLGC_WANTTAB) break;
                {
                    bool back = GetKeyState(VK_SHIFT) < 0;
                    HWND from = focus == dialog ? nullptr : focus;
                    HWND next = GetNextDlgTabItem(dialog, from, back);
                    if (next) FocusControl(next);
                }
                return TRUE;
            case VK_LEFT:
            case VK_UP:
            case VK_RIGHT:
            case VK_DOWN:
                if (code & DLGC_WANTARROWS) break;
                if (focus && focus != dialog) {
                    bool back = msg->wParam == VK_LEFT || msg->wParam == VK_UP;
                    HWND next = GetNextDlgGroupItem(dialog, focus, back);
                    if (next && next != focus) {
                        FocusControl(next);
                        // Moving onto a radio button selects it, as a tap would.
                        if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)
                            SendMessageW(next, BM_CLICK, 0, 0);
                    }
                }
                return TRUE;
            case VK_RETURN: {
                // Keys typed ahead may name a control the focus has since left: ask the focus.
                LRESULT focusCode = focus == msg->hwnd ? code
                                    : focus && focus != dialog ? SendMessageW(focus, WM_GETDLGCODE, 0, 0)
                                                               : 0;
                PressDefault(dialog, focus, focusCode);
                return TRUE;
            }
            case VK_ESCAPE:
                // Esc cancels a top-level dialog. A child dialog (a page shown inside a window,
                // a tool over a page) is never ended by it, nor is a window made of such pages
                // (the program's main window with its tab strip): the key goes nowhere and the
                // page stays. An open drop-down list took the key before this (DLGC_WANTALLKEYS).
                if (!(StyleOf(dialog) & WS_CHILD) && !ShowsPagesInAControl(dialog))
                    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
                return TRUE;
            default: break;
            }
        } else if (msg->message == WM_CHAR && !wantsAll) {
            // The characters of keys the dialog took are not typed into the control.
            if (msg->wParam == L'\t' && !(code & DLGC_WANTTAB)) return TRUE;
            if ((msg->wParam == L'\r' || msg->wParam == 0x1B) && !(code & DLGC_WANTCHARS)) return TRUE;
        }
    }
    TranslateMessage(msg);
    DispatchMessageW(msg);
    return TRUE;
}
