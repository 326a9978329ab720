// The combo box ("COMBOBOX"): a selection field (an "EDIT" child for CBS_DROPDOWN, drawn text
// for CBS_DROPDOWNLIST) with an arrow button, and a drop-down list ("ComboLBox") that holds the
// items. The notification order is written down in ListControls.h.
//
// [SECTION] State and geometry
// [SECTION] Notifications, opening and closing
// [SECTION] Edit field
// [SECTION] Painting
// [SECTION] Window procedure
// [SECTION] Registration

#include "platform/base/CaseFold.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/ListBoxInternal.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

namespace device::ui::lists {
namespace {

// Edit control messages and notifications the combo uses on its edit field.
constexpr UINT kEmGetSel = 0x00B0;
constexpr UINT kEmSetSel = 0x00B1;
constexpr UINT kEmLimitText = 0x00C5;
constexpr int kEnChange = 0x0300;
constexpr int kEnUpdate = 0x0400;
constexpr DWORD kEsAutoHScroll = 0x0080u;

// [SECTION] State and geometry ------------------------------------------------------------------

struct Combo {
    HWND hwnd = nullptr;
    HWND list = nullptr;
    HWND edit = nullptr;     // CBS_DROPDOWN's edit field (null: the class is missing; text kept here)
    WNDPROC editProc = nullptr;
    DWORD style = 0;
    HFONT font = nullptr;
    int fieldHeight = 16;    // CB_GETITEMHEIGHT(-1)
    int listHeight = 0;      // height of the drop-down list as the window was sized
    int droppedWidth = 0;    // CB_SETDROPPEDWIDTH (0: the combo's width)
    bool dropped = false;
    bool focused = false;
    bool pressed = false;    // arrow drawn pressed while the list is open
    int committed = -1;      // while open: the selection the parent last heard of
    int droppedSel = -1;     // the selection when the list opened: the user's cancel puts it back
    std::wstring droppedText; // the field's text when the list opened
    bool typedSinceDrop = false; // the user typed in the field since the list opened, and moved no highlight after
    int quietEdit = 0;       // >0 while the combo itself changes the edit text
    std::wstring text;       // the edit text when there is no edit window
    TypedSearch typed;       // letters typed on a drop-down list's field to find an item
};

Combo* State(HWND hwnd) { return reinterpret_cast<Combo*>(GetWindowLongW(hwnd, 0)); }

bool HasEdit(const Combo& c) { return (c.style & 0x3u) == CBS_DROPDOWN || (c.style & 0x3u) == CBS_SIMPLE; }

int WindowHeight(const Combo& c) { return c.fieldHeight + 2; }

// WM_GETDLGCODE's extra for the key: while the list is open, Enter and Esc close it rather than
// reaching the dialog.
LRESULT ListKeysCode(const Combo& c, WPARAM key) {
    return c.dropped && (key == VK_ESCAPE || key == VK_RETURN) ? DLGC_WANTALLKEYS : 0;
}

int ArrowWidth() { return GetSystemMetrics(SM_CXVSCROLL) + 2; }

RECT ClientRectOf(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return r;
}

RECT ArrowRect(const Combo& c) {
    RECT r = ClientRectOf(c.hwnd);
    return RECT{r.right - ArrowWidth(), r.top, r.right, r.bottom};
}

LRESULT ToList(const Combo& c, UINT msg, WPARAM wParam, LPARAM lParam) {
    return c.list ? SendMessageW(c.list, msg, wParam, lParam) : CB_ERR;
}

int Selection(const Combo& c) { return static_cast<int>(ToList(c, LB_GETCURSEL, 0, 0)); }

std::wstring ItemText(const Combo& c, int index) {
    LRESULT len = ToList(c, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (len < 0) return L"";
    std::wstring s(static_cast<size_t>(len) + 1, L'\0');
    ToList(c, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(len));
    return s;
}

std::wstring EditText(const Combo& c) {
    if (!HasEdit(c)) {
        int sel = Selection(c);
        return sel >= 0 ? ItemText(c, sel) : L"";
    }
    if (!c.edit) return c.text;
    int len = GetWindowTextLengthW(c.edit);
    std::wstring s(static_cast<size_t>(len) + 1, L'\0');
    int got = GetWindowTextW(c.edit, s.data(), len + 1);
    s.resize(static_cast<size_t>(std::max(got, 0)));
    return s;
}

// Puts a text into the edit field without reporting it as the user's typing; all of it selected.
void SetEditQuietly(Combo& c, const std::wstring& text) {
    if (!HasEdit(c)) {
        InvalidateRect(c.hwnd, nullptr, FALSE);
        return;
    }
    if (!c.edit) {
        c.text = text;
        InvalidateRect(c.hwnd, nullptr, FALSE);
        return;
    }
    ++c.quietEdit;
    SetWindowTextW(c.edit, text.c_str());
    if (IsWindow(c.edit)) SendMessageW(c.edit, kEmSetSel, 0, static_cast<LPARAM>(-1));
    --c.quietEdit;
}

// The edit field (or the drawn field) shows the selected item.
void ShowSelectionInField(Combo& c) {
    int sel = Selection(c);
    SetEditQuietly(c, sel >= 0 ? ItemText(c, sel) : std::wstring());
    InvalidateRect(c.hwnd, nullptr, FALSE);
}

void LayoutEdit(Combo& c) {
    if (!c.edit) return;
    RECT r = ClientRectOf(c.hwnd);
    MoveWindow(c.edit, 2, 2, std::max(0, r.right - ArrowWidth() - 3), std::max(0, r.bottom - 4), TRUE);
}

// Where the list opens, in screen coordinates. The device's rule for the drop-down list:
// - it shows the rows the program sized the combo for (the window height beyond the field, as
//   CBS_NOINTEGRALHEIGHT leaves it or cut to whole rows), but never fewer than kMinimumRows, or
//   every item when there are fewer, and never more rows than items; when every item fits on
//   the side it opens, it shows them all rather than scroll a few;
// - it stays inside the screen's work area (below the taskbar) and above a raised input panel:
//   it opens under the field when it
//   fits there, else on the side with more room (upward when there is no room below), cut to
//   the whole rows that fit on that side (at least one);
// - it is as wide as the field, or the dropped width when that is wider, moved left to stay on
//   the screen.
constexpr int kMinimumRows = 5;

RECT ListScreenRect(const Combo& c) {
    RECT field{};
    GetWindowRect(c.hwnd, &field);
    int width = std::max(static_cast<int>(field.right - field.left), c.droppedWidth);
    int itemHeight = static_cast<int>(ToList(c, LB_GETITEMHEIGHT, 0, 0));
    if (itemHeight <= 0) itemHeight = c.fieldHeight;
    int count = std::max(1, static_cast<int>(ToList(c, LB_GETCOUNT, 0, 0)));
    int height = c.listHeight;
    if (!(c.style & CBS_NOINTEGRALHEIGHT)) height = (height - 2) / itemHeight * itemHeight + 2;
    height = std::max(height, std::min(count, kMinimumRows) * itemHeight + 2);
    height = std::min(height, count * itemHeight + 2);
    RECT work = WorkArea();
    if (IsSipUp()) work.bottom = std::min(work.bottom, SipRect().top);
    int below = static_cast<int>(work.bottom - field.bottom);
    int above = static_cast<int>(field.top - work.top);
    if (count * itemHeight + 2 <= std::max(below, above)) height = count * itemHeight + 2;
    auto wholeRows = [&](int room) { return std::max(1, (room - 2) / itemHeight) * itemHeight + 2; };
    RECT r{field.left, field.bottom, field.left + width, field.bottom + height};
    if (height > below && above > below) {
        height = std::min(height, wholeRows(above));
        r = RECT{field.left, field.top - height, field.left + width, field.top};
    } else if (height > below) {
        r.bottom = field.bottom + wholeRows(below);
    }
    int screenW = GetSystemMetrics(SM_CXSCREEN);
    if (r.right > screenW) OffsetRect(&r, std::max(-r.left, screenW - r.right), 0);
    return r;
}

// [SECTION] Notifications, opening and closing -------------------------------------------------

bool Notify(Combo& c, int code) { return NotifyParent(c.hwnd, code); }

void Drop(Combo& c) {
    if (c.dropped || !c.list) return;
    if (!Notify(c, CBN_DROPDOWN)) return;
    if (c.dropped) return;  // a handler opened it already
    // The list highlights the item the field names: the selected one when the field shows it
    // (another item of the same text is not the one chosen), else the first of that text.
    if (HasEdit(c)) {
        std::wstring t = EditText(c);
        int sel = Selection(c);
        bool shown = sel >= 0 && device::EqualNoCase(ItemText(c, sel), t);
        int i = shown || t.empty() ? -1 : static_cast<int>(ToList(c, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                                 reinterpret_cast<LPARAM>(t.c_str())));
        if (i >= 0) ToList(c, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
    }
    RECT r = ListScreenRect(c);
    c.committed = Selection(c);
    c.droppedSel = c.committed;
    c.droppedText = EditText(c);
    c.typedSinceDrop = false;
    c.dropped = true;
    c.pressed = true;
    SetWindowPos(c.list, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    int sel = Selection(c);
    if (sel >= 0) ToList(c, LB_SETCURSEL, static_cast<WPARAM>(sel), 0);  // brings it into view
    SetCapture(c.list);
    InvalidateRect(c.hwnd, nullptr, FALSE);
}

// How a list closes without a pick: the user's Escape, the user's tap outside the open list, or
// the program (the focus moved away, the combo hidden).
enum class Cancel { Escape, TapOutside, Program };

// The user's cancel leaves the choice as it was when the list opened: its selection and the
// field's text come back, without a selection change for the parent (the keys and the stylus
// only moved the highlight). A tap outside keeps what the user typed in the field since (nothing
// typed is lost; the parent reads it on closing). A cancel by the program puts nothing back: the
// parent that moved the focus while it took a change has taken it.
void RestoreDroppedChoice(Combo& c, Cancel how) {
    if (how == Cancel::Program || (how == Cancel::TapOutside && c.typedSinceDrop)) return;
    ToList(c, LB_SETCURSEL, static_cast<WPARAM>(c.droppedSel), 0);
    c.committed = Selection(c);
    if (HasEdit(c))
        SetEditQuietly(c, c.droppedText);
    else
        InvalidateRect(c.hwnd, nullptr, FALSE);
}

// Hides the list. `ending`: CBN_SELENDOK (1), CBN_SELENDCANCEL (-1) or nothing (0) before hiding.
void CloseUp(Combo& c, int ending, Cancel how = Cancel::Program) {
    if (!c.dropped) return;
    HWND self = c.hwnd;
    if (ending < 0) RestoreDroppedChoice(c, how);
    if (ending > 0 && !Notify(c, CBN_SELENDOK)) return;
    if (ending < 0 && !Notify(c, CBN_SELENDCANCEL)) return;
    Combo* again = State(self);
    if (!again || !again->dropped) return;  // a handler closed it meanwhile
    c.dropped = false;
    c.pressed = false;
    if (GetCapture() == c.list) ReleaseCapture();
    ShowWindow(c.list, SW_HIDE);
    InvalidateRect(c.hwnd, nullptr, FALSE);
    Notify(c, CBN_CLOSEUP);
}

// The user chose item `index` (keys or the stylus): the field shows it and the parent hears
// CBN_SELCHANGE when it differs from the current selection.
bool UserSelect(Combo& c, int index) {
    int count = static_cast<int>(ToList(c, LB_GETCOUNT, 0, 0));
    if (index < 0 || index >= count) return false;
    int reported = c.dropped ? c.committed : Selection(c);
    bool changed = index != reported || (HasEdit(c) && EditText(c) != ItemText(c, index));
    if (!changed) return false;
    ToList(c, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    c.committed = index;
    c.typedSinceDrop = false;
    ShowSelectionInField(c);
    return Notify(c, CBN_SELCHANGE);
}

// Lifting the stylus on an item of the open list (-1: on no item).
void Picked(Combo& c, int index) {
    HWND self = c.hwnd;
    if (index >= 0) {
        bool changed = index != c.committed || (HasEdit(c) && EditText(c) != ItemText(c, index));
        ToList(c, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        if (changed) {
            c.committed = index;
            c.typedSinceDrop = false;
            ShowSelectionInField(c);
            if (!Notify(c, CBN_SELCHANGE)) return;
        }
    }
    Combo* again = State(self);
    if (!again) return;
    CloseUp(*again, index >= 0 ? 1 : -1, Cancel::TapOutside);
}

void KeyDown(Combo& c, UINT vk) {
    if (c.dropped && (vk == VK_RETURN || vk == VK_ESCAPE)) {
        CloseUp(c, vk == VK_RETURN ? 1 : -1, Cancel::Escape);
        return;
    }
    if (IsDropDownKey(vk)) {
        if (c.dropped)
            CloseUp(c, 1);
        else
            Drop(c);
        return;
    }
    int count = static_cast<int>(ToList(c, LB_GETCOUNT, 0, 0));
    if (count == 0) return;
    int cur = Selection(c);
    int page = std::max(1, c.listHeight / std::max(1, static_cast<int>(ToList(c, LB_GETITEMHEIGHT, 0, 0))) - 1);
    int target;
    switch (vk) {
    case VK_UP: target = cur < 0 ? 0 : std::max(cur - 1, 0); break;
    case VK_DOWN: target = cur < 0 ? 0 : std::min(cur + 1, count - 1); break;
    case VK_PRIOR: target = cur < 0 ? 0 : std::max(cur - page, 0); break;
    case VK_NEXT: target = cur < 0 ? 0 : std::min(cur + page, count - 1); break;
    case VK_HOME: target = 0; break;
    case VK_END: target = count - 1; break;
    default: return;
    }
    c.typed.Reset();
    UserSelect(c, target);
}

void GainFocus(Combo& c) {
    if (c.focused) return;
    c.focused = true;
    c.typed.Reset();
    InvalidateRect(c.hwnd, nullptr, FALSE);
    Notify(c, CBN_SETFOCUS);
}

// Focus moved to `to`; the combo loses it unless `to` is part of it.
void LoseFocus(Combo& c, HWND to) {
    if (!c.focused) return;
    if (to && (to == c.hwnd || to == c.edit || to == c.list)) return;
    HWND self = c.hwnd;
    c.focused = false;
    InvalidateRect(c.hwnd, nullptr, FALSE);
    if (!Notify(c, CBN_KILLFOCUS)) return;
    Combo* again = State(self);
    if (again && again->dropped) CloseUp(*again, -1);
}

// [SECTION] Edit field --------------------------------------------------------------------------

// The edit field's procedure wrapper: keys that belong to the combo and the focus moves.
LRESULT CALLBACK EditHook(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND combo = GetParent(edit);
    Combo* c = combo ? State(combo) : nullptr;
    WNDPROC proc = c ? c->editProc : nullptr;
    if (!c || !proc) return DefWindowProcW(edit, msg, wParam, lParam);
    switch (msg) {
    case WM_GETDLGCODE:
        return CallWindowProcW(proc, edit, msg, wParam, lParam) | ListKeysCode(*c, wParam);
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_F4: KeyDown(*c, static_cast<UINT>(wParam)); return 0;
        case VK_RETURN:
        case VK_ESCAPE:
            if (c->dropped) {
                KeyDown(*c, static_cast<UINT>(wParam));
                return 0;
            }
            break;
        default: break;
        }
        break;
    case WM_CHAR:
        if (c->dropped && (wParam == L'\r' || wParam == 0x1B)) return 0;
        break;
    case WM_SETFOCUS: {
        LRESULT r = CallWindowProcW(proc, edit, msg, wParam, lParam);
        if (Combo* again = State(combo)) GainFocus(*again);
        return r;
    }
    case WM_KILLFOCUS: {
        LRESULT r = CallWindowProcW(proc, edit, msg, wParam, lParam);
        if (Combo* again = State(combo)) LoseFocus(*again, reinterpret_cast<HWND>(wParam));
        return r;
    }
    case WM_NCDESTROY: {
        SetWindowLongW(edit, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
        c->edit = nullptr;
        return CallWindowProcW(proc, edit, msg, wParam, lParam);
    }
    default: break;
    }
    return CallWindowProcW(proc, edit, msg, wParam, lParam);
}

void EditCommand(Combo& c, int code) {
    if (c.quietEdit > 0) return;
    if (code == kEnUpdate) {
        Notify(c, CBN_EDITUPDATE);
    } else if (code == kEnChange) {
        // The text names no item until it matches one; an open list follows the typed text: the
        // item whose whole text it is, else the first that begins with it. A text that begins a
        // longer one sorted before it ("Porto" after "Porto Alegre") is so still found whole.
        std::wstring t = EditText(c);
        int i = -1;
        if (c.dropped && !t.empty()) {
            i = static_cast<int>(ToList(c, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(t.c_str())));
            if (i < 0)
                i = static_cast<int>(ToList(c, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(t.c_str())));
        }
        if (c.dropped) c.typedSinceDrop = true;
        ToList(c, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
        Notify(c, CBN_EDITCHANGE);
    }
}

// [SECTION] Painting ----------------------------------------------------------------------------

void DrawArrowButton(HDC dc, const RECT& r, bool pressed) {
    FillRect(dc, &r, GetSysColorBrush(pressed ? COLOR_BTNSHADOW : COLOR_BTNFACE));
    RECT edge{r.left, r.top, r.left + 1, r.bottom};
    FillRect(dc, &edge, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    int cx = (r.left + r.right) / 2 + (pressed ? 1 : 0);
    int cy = (r.top + r.bottom) / 2 + (pressed ? 1 : 0);
    int half = std::max(2, (r.right - r.left) / 4);
    POINT pts[3] = {{cx - half, cy - half / 2}, {cx + half, cy - half / 2}, {cx, cy + half / 2 + 1}};
    HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_BTNTEXT));
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ ob = SelectObject(dc, brush);
    HGDIOBJ op = SelectObject(dc, pen);
    Polygon(dc, pts, 3);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(brush);
    DeleteObject(pen);
}

void Paint(Combo& c) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(c.hwnd, &ps);
    if (!dc) return;
    RECT client = ClientRectOf(c.hwnd);
    HWND parent = GetParent(c.hwnd);
    bool enabled = IsWindowEnabled(c.hwnd) != FALSE;
    UINT ctl = HasEdit(c) ? WM_CTLCOLOREDIT : WM_CTLCOLORLISTBOX;
    HBRUSH bg = GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    if (parent && enabled) {
        auto b = reinterpret_cast<HBRUSH>(
            SendMessageW(parent, ctl, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(c.hwnd)));
        if (b) bg = b;
    }
    if (!IsWindow(c.hwnd)) return;
    FillRect(dc, &client, bg);
    FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    RECT arrow = ArrowRect(c);
    InflateRect(&arrow, 0, -1);
    arrow.right -= 1;
    DrawArrowButton(dc, arrow, c.pressed);
    if (!HasEdit(c) || !c.edit) {
        RECT field{client.left + 2, client.top + 2, arrow.left - 1, client.bottom - 2};
        HGDIOBJ of = SelectObject(dc, ControlFont(c.font));
        SetBkMode(dc, TRANSPARENT);
        if (c.focused && !HasEdit(c) && !c.dropped) {
            FillRect(dc, &field, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        }
        std::wstring t = EditText(c);
        RECT tr = field;
        tr.left += 1;
        DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, of);
    }
    EndPaint(c.hwnd, &ps);
}

// [SECTION] Window procedure --------------------------------------------------------------------

void Create(Combo& c, const CREATESTRUCTW& cs) {
    c.fieldHeight = FontHeight(nullptr) + 4;
    c.listHeight = std::max(0, cs.cy - WindowHeight(c));
    DWORD listStyle = WS_POPUP | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
    if (c.style & CBS_SORT) listStyle |= LBS_SORT;
    // The list belongs to the combo alone (no owner): the combo's own WM_DESTROY removes it, so its
    // items are still there while the dialog handles its WM_DESTROY.
    c.list = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, WC_COMBOLBOXW, L"", listStyle, 0, 0, 10, 10,
                             nullptr, nullptr, cs.hInstance, c.hwnd);
    if (HasEdit(c)) {
        DWORD es = WS_CHILD | WS_VISIBLE | ((c.style & CBS_AUTOHSCROLL) ? kEsAutoHScroll : 0u);
        c.edit = CreateWindowExW(0, L"EDIT", L"", es, 2, 2, 10, 10, c.hwnd,
                                 reinterpret_cast<HMENU>(static_cast<uintptr_t>(IDC_COMBOEDIT)), cs.hInstance,
                                 nullptr);
        if (c.edit) {
            c.editProc = reinterpret_cast<WNDPROC>(GetWindowLongW(c.edit, GWL_WNDPROC));
            SetWindowLongW(c.edit, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&EditHook));
        }
    }
    // The window keeps the field's height; the rest was the list's.
    SetWindowPos(c.hwnd, nullptr, 0, 0, cs.cx, WindowHeight(c), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayoutEdit(c);
}

LRESULT CALLBACK ComboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Combo* cp = State(hwnd);
    if (!cp) {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            auto* c = new Combo;
            c->hwnd = hwnd;
            c->style = static_cast<DWORD>(cs->style);
            if ((c->style & 0x3u) == 0) c->style |= CBS_DROPDOWN;
            // Scroll bars named in the style belong to the drop-down list, not to the field.
            if (cs->style & (WS_VSCROLL | WS_HSCROLL))
                SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(static_cast<DWORD>(cs->style) & ~(WS_VSCROLL | WS_HSCROLL)));
            SetWindowLongW(hwnd, 0, reinterpret_cast<LONG_PTR>(c));
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    Combo& c = *cp;
    switch (msg) {
    case WM_CREATE: Create(c, *reinterpret_cast<CREATESTRUCTW*>(lParam)); return 0;
    case WM_DESTROY:
        if (c.dropped && GetCapture() == c.list) ReleaseCapture();
        c.dropped = false;
        if (c.list) DestroyWindow(c.list);
        c.list = nullptr;
        return 0;
    case WM_NCDESTROY:
        SetWindowLongW(hwnd, 0, 0);
        delete cp;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_WINDOWPOSCHANGING: {
        // A height beyond the field's is the height of the drop-down list.
        auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
        if (!(wp->flags & SWP_NOSIZE) && wp->cy != WindowHeight(c)) {
            c.listHeight = std::max(0, wp->cy - WindowHeight(c));
            wp->cy = WindowHeight(c);
        }
        return 0;
    }
    case WM_SIZE:
        LayoutEdit(c);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_SETFONT:
        c.font = reinterpret_cast<HFONT>(wParam);
        c.fieldHeight = FontHeight(c.font) + 4;
        if (c.edit) SendMessageW(c.edit, WM_SETFONT, wParam, lParam);
        ToList(c, WM_SETFONT, wParam, 0);
        SetWindowPos(hwnd, nullptr, 0, 0, ClientRectOf(hwnd).right, WindowHeight(c) + c.listHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(c.font);
    case WM_PAINT: Paint(c); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_ENABLE:
        if (c.edit) EnableWindow(c.edit, static_cast<BOOL>(wParam));
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SHOWWINDOW:
        if (!wParam && c.dropped) CloseUp(c, -1);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS | ListKeysCode(c, wParam);
    case WM_SETFOCUS:
        if (c.edit) {
            SetFocus(c.edit);
        } else {
            GainFocus(c);
        }
        return 0;
    case WM_KILLFOCUS:
        if (!c.edit) LoseFocus(c, reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        HWND self = hwnd;
        if (GetFocus() != hwnd && GetFocus() != c.edit) SetFocus(hwnd);
        Combo* again = State(self);
        if (!again) return 0;
        RECT arrow = ArrowRect(*again);
        if (!HasEdit(*again) || PtInRect(&arrow, pt)) {
            if (again->dropped)
                CloseUp(*again, 1);
            else
                Drop(*again);
        }
        return 0;
    }
    case WM_KEYDOWN: KeyDown(c, static_cast<UINT>(wParam)); return 0;
    case WM_CHAR:
        if (!HasEdit(c) && wParam >= L' ') {
            int i = c.typed.Next(static_cast<wchar_t>(wParam), Selection(c),
                                 [&c](int start, const std::wstring& text, bool exact) {
                                     return static_cast<int>(ToList(c, exact ? LB_FINDSTRINGEXACT : LB_FINDSTRING,
                                                                    static_cast<WPARAM>(start),
                                                                    reinterpret_cast<LPARAM>(text.c_str())));
                                 });
            if (i >= 0) UserSelect(c, i);
        }
        return 0;
    case WM_COMMAND:
        if (c.edit && reinterpret_cast<HWND>(lParam) == c.edit) EditCommand(c, HIWORD(wParam));
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        // The edit field takes its colours from the combo's parent, as the combo itself does.
        HWND parent = GetParent(hwnd);
        if (parent) return SendMessageW(parent, WM_CTLCOLOREDIT, wParam, reinterpret_cast<LPARAM>(hwnd));
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_SETTEXT: {
        const auto* text = reinterpret_cast<const wchar_t*>(lParam);
        std::wstring t = text ? text : L"";
        if (!HasEdit(c)) {
            int i = static_cast<int>(ToList(c, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(t.c_str())));
            if (i < 0) return CB_ERR;
            ToList(c, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
            InvalidateRect(hwnd, nullptr, FALSE);
            return TRUE;
        }
        if (c.edit) return SendMessageW(c.edit, WM_SETTEXT, 0, lParam);
        c.text = t;
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
    }
    case WM_GETTEXT: {
        if (HasEdit(c) && c.edit) return SendMessageW(c.edit, WM_GETTEXT, wParam, lParam);
        int size = static_cast<int>(wParam);
        auto* out = reinterpret_cast<wchar_t*>(lParam);
        if (!out || size <= 0) return 0;
        std::wstring t = EditText(c);
        size_t n = std::min(t.size(), static_cast<size_t>(size - 1));
        std::memcpy(out, t.c_str(), n * sizeof(wchar_t));
        out[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
        if (HasEdit(c) && c.edit) return SendMessageW(c.edit, WM_GETTEXTLENGTH, 0, 0);
        return static_cast<LRESULT>(EditText(c).size());

    case kListPicked: Picked(c, static_cast<int>(static_cast<INT_PTR>(wParam))); return 0;
    case kListCancelled: CloseUp(c, -1, Cancel::TapOutside); return 0;
    case kListKey: KeyDown(c, static_cast<UINT>(wParam)); return 0;

    case CB_ADDSTRING: return ToList(c, LB_ADDSTRING, 0, lParam);
    case CB_INSERTSTRING: return ToList(c, LB_INSERTSTRING, wParam, lParam);
    case CB_DELETESTRING: {
        int sel = Selection(c);
        LRESULT r = ToList(c, LB_DELETESTRING, wParam, 0);
        if (r >= 0 && static_cast<int>(static_cast<INT_PTR>(wParam)) == sel) ShowSelectionInField(c);
        return r;
    }
    case CB_RESETCONTENT:
        ToList(c, LB_RESETCONTENT, 0, 0);
        SetEditQuietly(c, L"");
        InvalidateRect(hwnd, nullptr, FALSE);
        return CB_OKAY;
    case CB_GETCOUNT: return ToList(c, LB_GETCOUNT, 0, 0);
    case CB_GETCURSEL: return Selection(c);
    case CB_SETCURSEL: {
        LRESULT r = ToList(c, LB_SETCURSEL, wParam, 0);
        ShowSelectionInField(c);
        return r;
    }
    case CB_GETLBTEXT: return ToList(c, LB_GETTEXT, wParam, lParam);
    case CB_GETLBTEXTLEN: return ToList(c, LB_GETTEXTLEN, wParam, 0);
    case CB_FINDSTRING: return ToList(c, LB_FINDSTRING, wParam, lParam);
    case CB_FINDSTRINGEXACT: return ToList(c, LB_FINDSTRINGEXACT, wParam, lParam);
    case CB_SELECTSTRING: {
        LRESULT i = ToList(c, LB_FINDSTRING, wParam, lParam);
        if (i >= 0) {
            ToList(c, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
            ShowSelectionInField(c);
        }
        return i;
    }
    case CB_GETITEMDATA: return ToList(c, LB_GETITEMDATA, wParam, 0);
    case CB_SETITEMDATA: return ToList(c, LB_SETITEMDATA, wParam, lParam);
    case CB_SHOWDROPDOWN:
        if (wParam)
            Drop(c);
        else
            CloseUp(c, 0);
        return TRUE;
    case CB_GETDROPPEDSTATE: return c.dropped ? TRUE : FALSE;
    case CB_GETCOMBOBOXINFO: {
        auto* info = reinterpret_cast<COMBOBOXINFO*>(lParam);
        if (!info || info->cbSize != sizeof(COMBOBOXINFO)) return FALSE;
        RECT client = ClientRectOf(hwnd);
        info->rcButton = ArrowRect(c);
        info->rcItem = RECT{client.left + 2, client.top + 2, info->rcButton.left - 1, client.bottom - 2};
        info->stateButton = c.pressed ? 0x00000008u : 0; // STATE_SYSTEM_PRESSED
        info->hwndCombo = hwnd;
        info->hwndItem = c.edit ? c.edit : hwnd;
        info->hwndList = c.list;
        return TRUE;
    }
    case CB_GETDROPPEDCONTROLRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r) return CB_ERR;
        GetWindowRect(hwnd, r);
        r->bottom = r->top + WindowHeight(c) + c.listHeight;
        return TRUE;
    }
    case CB_SETDROPPEDWIDTH: {
        int w = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (w < 0) return CB_ERR;
        c.droppedWidth = w;
        return std::max(w, static_cast<int>(ClientRectOf(hwnd).right));
    }
    case CB_GETDROPPEDWIDTH: return std::max(c.droppedWidth, static_cast<int>(ClientRectOf(hwnd).right));
    case CB_GETITEMHEIGHT: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (index == -1) return c.fieldHeight;
        return ToList(c, LB_GETITEMHEIGHT, 0, 0);
    }
    case CB_SETITEMHEIGHT: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        int h = static_cast<int>(LOWORD(lParam));
        if (h <= 0 || h > 255) return CB_ERR;
        if (index == -1) {
            int list = c.listHeight;
            c.fieldHeight = h;
            SetWindowPos(hwnd, nullptr, 0, 0, ClientRectOf(hwnd).right, WindowHeight(c) + list,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            return CB_OKAY;
        }
        return ToList(c, LB_SETITEMHEIGHT, 0, MAKELPARAM(h, 0));
    }
    case CB_GETTOPINDEX: return ToList(c, LB_GETTOPINDEX, 0, 0);
    case CB_SETTOPINDEX: return ToList(c, LB_SETTOPINDEX, wParam, 0);
    case CB_LIMITTEXT:
        if (!HasEdit(c)) return CB_ERR;
        if (c.edit) SendMessageW(c.edit, kEmLimitText, wParam, 0);
        return TRUE;
    case CB_SETEDITSEL: {
        if (!HasEdit(c)) return CB_ERR;
        if (c.edit)
            SendMessageW(c.edit, kEmSetSel, static_cast<WPARAM>(static_cast<INT_PTR>(static_cast<SHORT>(LOWORD(lParam)))),
                         static_cast<LPARAM>(static_cast<SHORT>(HIWORD(lParam))));
        return TRUE;
    }
    case CB_GETEDITSEL: {
        if (!HasEdit(c)) return CB_ERR;
        return c.edit ? SendMessageW(c.edit, kEmGetSel, wParam, lParam) : 0;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

// [SECTION] Registration ------------------------------------------------------------------------

void RegisterComboBoxClass() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterListBoxClasses();
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
        wc.lpfnWndProc = ComboProc;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = WC_COMBOBOXW;
        RegisterClassW(&wc);
    });
}

} // namespace device::ui::lists

BOOL GetComboBoxInfo(HWND combo, PCOMBOBOXINFO info) {
    if (!info) return FALSE;
    return SendMessageW(combo, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(info)) ? TRUE : FALSE;
}
