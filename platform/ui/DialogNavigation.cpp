// The dialog's keyboard interface: tab order, groups, and the keys a dialog answers for its
// controls (Tab, arrows, Enter, Esc; Esc cancels top-level dialogs only), and the menu keys that
// open its window's menu bar.
#include "platform/ui/Dialog.h"

#include "platform/ui/DialogInternal.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Sip.h"
#include "platform/ui/WindowManager.h"

#include <algorithm>
#include <cwchar>
#include <vector>

namespace {

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }

// A shown, enabled window whose controls join its dialog's tab order: a control parent
// (WS_EX_CONTROLPARENT), or a child dialog (a page or a tool shown inside the window).
bool IsShownControlParent(HWND c) {
    auto ex = static_cast<DWORD>(GetWindowLongW(c, GWL_EXSTYLE));
    DWORD style = StyleOf(c);
    if (!(style & WS_VISIBLE) || (style & WS_DISABLED)) return false;
    return (ex & WS_EX_CONTROLPARENT) || ((style & WS_CHILD) && device::ui::FindDialog(c));
}

// The dialog's controls in tab order: its children in order, a child that is a control parent
// (WS_EX_CONTROLPARENT, such as a child dialog) standing for its own controls. A control that
// shows pages inside itself (a tab strip holding child dialogs) comes first, then the controls of
// its shown pages. With markers, each control parent stands in the order just before its own
// controls, so that a focus resting on a page itself has a place to go on from.
void CollectControls(HWND parent, std::vector<HWND>& out, int depth, bool markers = false) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (IsShownControlParent(c) && depth < 8) {
            if (markers) out.push_back(c);
            CollectControls(c, out, depth + 1, markers);
            continue;
        }
        out.push_back(c);
        DWORD style = StyleOf(c);
        if (depth >= 8 || !(style & WS_VISIBLE) || (style & WS_DISABLED)) continue;
        for (HWND page = GetWindow(c, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT)) {
            if (!IsShownControlParent(page)) continue;
            if (markers) out.push_back(page);
            CollectControls(page, out, depth + 1, markers);
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

HWND TopLevelOf(HWND w) {
    while (w && (StyleOf(w) & WS_CHILD) && GetParent(w))
        w = GetParent(w);
    return w;
}

// The part of a scrolled window the user sees: its client area on the visible desktop (above a
// raised input panel) and above the command bar of the window it lies in.
RECT ShownPartOf(HWND scroller) {
    RECT view{};
    GetClientRect(scroller, &view);
    MapWindowPoints(scroller, nullptr, reinterpret_cast<POINT*>(&view), 2);
    // A sheet's page scrolls in the room above the sheet's tab strip.
    RECT room{};
    if (device::ui::SheetPageRoom(scroller, &room)) IntersectRect(&view, &view, &room);
    SIPINFO info{};
    info.cbSize = sizeof(info);
    if (SipGetInfo(&info)) IntersectRect(&view, &view, &info.rcVisibleDesktop);
    HWND top = TopLevelOf(scroller);
    for (HWND c = GetWindow(top, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t name[32] = {};
        GetClassNameW(c, name, 32);
        if (std::wcscmp(name, device::ui::kCommandBarClass) != 0 || !IsWindowVisible(c)) continue;
        RECT bar{};
        GetWindowRect(c, &bar);
        if (bar.top > view.top && bar.top < view.bottom) view.bottom = bar.top;
    }
    return view;
}

// A control the keys moved the focus to that lies outside the shown part of a scrolled window it
// is in (a long form, a tool or a sheet's page taller than the screen) is scrolled into view:
// the window is asked through its own scroll message, as a drag of its thumb would, to move just
// far enough (its top first, for a control taller than the view).
void ScrollIntoView(HWND control) {
    for (HWND a = GetParent(control); a; a = (StyleOf(a) & WS_CHILD) ? GetParent(a) : nullptr) {
        if (!(StyleOf(a) & WS_VSCROLL)) continue;
        for (int attempt = 0; attempt < 3; ++attempt) {
            SCROLLINFO si{};
            si.cbSize = sizeof(si);
            si.fMask = SIF_ALL;
            if (!GetScrollInfo(a, SB_VERT, &si) || si.nMax <= si.nMin) break;
            const RECT view = ShownPartOf(a);
            RECT r{};
            GetWindowRect(control, &r);
            int delta = 0;
            if (r.bottom > view.bottom) delta = r.bottom - view.bottom;
            if (r.top - delta < view.top) delta = r.top - view.top;
            const int pos = std::clamp(si.nPos + delta, si.nMin, si.nMax);
            if (delta == 0 || pos == si.nPos) break;
            SendMessageW(a, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, pos), 0);
            SendMessageW(a, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
            RECT moved{};
            GetWindowRect(control, &moved);
            if (EqualRect(&moved, &r)) break; // the window did not move it
        }
    }
}

// A control covered by another window of its own window (a tips box over the page): the middle
// of what its parents leave of it shows that window instead. One scrolled out of a form counts
// as shown, since scrolling brings it back; so does one under another program's window or the
// input panel.
bool Covered(HWND c) {
    RECT r{};
    GetWindowRect(c, &r);
    if (IsRectEmpty(&r) || !IsWindowVisible(c)) return false; // a dialog not shown yet keeps its order
    RECT shown = r;
    for (HWND a = GetParent(c); a; a = (StyleOf(a) & WS_CHILD) ? GetParent(a) : nullptr) {
        // Scrolled out of a form, under whatever stands beside the form's shown part: scrolling shows it.
        RECT view = ShownPartOf(a), inside{};
        if ((StyleOf(a) & WS_VSCROLL) && (!IntersectRect(&inside, &view, &r) || !EqualRect(&inside, &r)))
            return false;
        RECT client{};
        GetClientRect(a, &client);
        MapWindowPoints(a, nullptr, reinterpret_cast<POINT*>(&client), 2);
        IntersectRect(&shown, &shown, &client);
    }
    if (IsRectEmpty(&shown)) return true; // its parents show none of it
    HWND hit = WindowFromPoint(POINT{(shown.left + shown.right) / 2, (shown.top + shown.bottom) / 2});
    return hit && hit != c && !IsChild(c, hit) && !IsChild(hit, c) && TopLevelOf(hit) == TopLevelOf(c);
}

bool IsTabTarget(HWND c) {
    return (StyleOf(c) & WS_TABSTOP) && CanTakeFocus(c) && !IsShownControlParent(c) && !Covered(c);
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

namespace device::ui {

// The dialog whose tab order a child dialog's Tab key goes round: the outermost dialog it lies
// in. A page inside the main window's tab strip, or a tool over it, shares the window's order
// (the strip, then the controls of what it shows), so the keys can reach the strip again.
HWND NavigationRoot(HWND dialog) {
    HWND root = dialog;
    for (HWND h = dialog; (StyleOf(h) & WS_CHILD) && GetParent(h);) {
        h = GetParent(h);
        if (device::ui::FindDialog(h)) root = h;
    }
    return root;
}

// The next (or previous) tab stop of root's order after `from` (a control or a page resting with
// the focus itself; null: from the start).
HWND NextTabStop(HWND root, HWND from, bool previous) {
    std::vector<HWND> all;
    CollectControls(root, all, 0, true);
    if (previous) std::reverse(all.begin(), all.end());
    // A window inside a control (a combo box's field) stands at its control's place.
    auto at = all.end();
    for (HWND h = from; h && h != root && at == all.end(); h = GetParent(h))
        at = std::find(all.begin(), all.end(), h);
    size_t start = at == all.end() ? 0 : static_cast<size_t>(at - all.begin()) + 1;
    for (size_t i = 0; i < all.size(); ++i) {
        HWND c = all[(start + i) % all.size()];
        if (IsTabTarget(c)) return c;
    }
    return nullptr;
}

} // namespace device::ui

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    if (!IsWindow(dialog)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return device::ui::NextTabStop(dialog, control, previous != FALSE);
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

// A scrollable form with the focus on itself (nothing in it takes the focus, as in a form of
// texts only) scrolls by Up, Down, Page Up, Page Down, Home and End as its scroll bar would.
static bool ScrollFormByKey(HWND dialog, UINT vk) {
    if (!(StyleOf(dialog) & WS_VSCROLL)) return false;
    int code;
    switch (vk) {
    case VK_UP: code = SB_LINEUP; break;
    case VK_DOWN: code = SB_LINEDOWN; break;
    case VK_PRIOR: code = SB_PAGEUP; break;
    case VK_NEXT: code = SB_PAGEDOWN; break;
    case VK_HOME: code = SB_TOP; break;
    case VK_END: code = SB_BOTTOM; break;
    default: return false;
    }
    SendMessageW(dialog, WM_VSCROLL, MAKEWPARAM(code, 0), 0);
    if (IsWindow(dialog)) SendMessageW(dialog, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
    return true;
}

BOOL IsDialogMessageW(HWND dialog, LPMSG msg) {
    if (!msg || !dialog || !IsWindow(dialog)) return FALSE;
    if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;

    // The menu keys, F10 and Alt pressed alone, open the window's menu bar wherever the focus is.
    if ((msg->message == WM_KEYDOWN && msg->wParam == VK_F10) ||
        (msg->message == WM_KEYUP && msg->wParam == VK_MENU && device::ui::TakeAltReleasedAlone())) {
        if (device::ui::OpenCommandBarFromKeys(dialog)) return TRUE;
    }

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
                    HWND root = device::ui::NavigationRoot(dialog);
                    HWND from = focus == root ? nullptr : focus;
                    HWND next = device::ui::NextTabStop(root, from, back);
                    if (next) {
                        FocusControl(next);
                        if (IsWindow(next)) ScrollIntoView(next);
                    }
                }
                return TRUE;
            case VK_PRIOR:
            case VK_NEXT:
            case VK_HOME:
            case VK_END:
                if (focus && focus != dialog) break;
                if (ScrollFormByKey(dialog, static_cast<UINT>(msg->wParam))) return TRUE;
                break;
            case VK_LEFT:
            case VK_UP:
            case VK_RIGHT:
            case VK_DOWN:
                if (code & DLGC_WANTARROWS) break;
                if ((!focus || focus == dialog) && ScrollFormByKey(dialog, static_cast<UINT>(msg->wParam))) return TRUE;
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
