// The BUTTON class: push buttons (the default one with a heavier frame), check boxes, radio
// buttons with their automatic groups, group boxes and owner-drawn buttons. A tap presses the
// button while the stylus stays on it and clicks only when the stylus is lifted inside.

#include "platform/ui/Controls.h"

#include <algorithm>

using namespace device::ui;
using namespace device::ui::controls;

namespace {

struct ButtonState {
    HFONT font = nullptr;
    UINT check = BST_UNCHECKED;
    bool pushed = false;   // drawn pressed
    bool tracking = false; // the stylus went down on it and has not been lifted
    bool spaceDown = false;
    bool focus = false;
};

StateTable<ButtonState>& States() {
    static StateTable<ButtonState> table;
    return table;
}

DWORD TypeOf(HWND hwnd) { return StyleOf(hwnd) & BS_TYPEMASK; }

bool IsCheckType(DWORD type) {
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}
bool IsRadioType(DWORD type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }

std::wstring TextOf(HWND hwnd) {
    int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

void Redraw(HWND hwnd) {
    InvalidateRect(hwnd, nullptr, FALSE);
}

// The siblings of an auto radio button that form its group: from the nearest WS_GROUP at or
// before it up to the next WS_GROUP after it.
std::vector<HWND> RadioGroup(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    std::vector<HWND> siblings;
    if (!parent) return {hwnd};
    // Siblings in tab order: the z-order from the top, which is the order of creation.
    for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        siblings.push_back(h);
    auto me = std::find(siblings.begin(), siblings.end(), hwnd);
    if (me == siblings.end()) return {hwnd};
    auto start = me;
    while (start != siblings.begin() && !(StyleOf(*start) & WS_GROUP)) --start;
    auto end = me + 1;
    while (end != siblings.end() && !(StyleOf(*end) & WS_GROUP)) ++end;
    return std::vector<HWND>(start, end);
}

void SetCheck(HWND hwnd, ButtonState& st, UINT check) {
    DWORD type = TypeOf(hwnd);
    if (!IsCheckType(type) && !IsRadioType(type)) return;
    if (check == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE) check = BST_CHECKED;
    if (check > BST_INDETERMINATE) check = BST_CHECKED;
    if (st.check == check) return;
    st.check = check;
    Redraw(hwnd);
    // Radio buttons are tab stops only while checked, as the device keeps them.
    if (IsRadioType(type)) {
        DWORD style = StyleOf(hwnd);
        DWORD wanted = check ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
        if (wanted != style) SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(wanted));
    }
}

void SetPushed(HWND hwnd, ButtonState& st, bool pushed) {
    if (st.pushed == pushed) return;
    st.pushed = pushed;
    Redraw(hwnd);
}

// What a click does before the parent hears of it: auto check boxes turn, auto radio buttons
// take the check from the rest of their group.
void Click(HWND hwnd, const std::shared_ptr<ButtonState>& st) {
    DWORD type = TypeOf(hwnd);
    if (type == BS_AUTOCHECKBOX) SetCheck(hwnd, *st, st->check ? BST_UNCHECKED : BST_CHECKED);
    else if (type == BS_AUTO3STATE) SetCheck(hwnd, *st, (st->check + 1) % 3);
    else if (type == BS_AUTORADIOBUTTON) {
        for (HWND other : RadioGroup(hwnd))
            if (other != hwnd && TypeOf(other) == BS_AUTORADIOBUTTON) SendMessageW(other, BM_SETCHECK, BST_UNCHECKED, 0);
        SetCheck(hwnd, *st, BST_CHECKED);
    }
    if (type != BS_GROUPBOX) NotifyParent(hwnd, BN_CLICKED);
}

void DrawCheckMark(HDC dc, const RECT& box, COLORREF colour) {
    HPEN pen = CreatePen(PS_SOLID, 2, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    int w = box.right - box.left;
    int h = box.bottom - box.top;
    POINT pts[3] = {{box.left + w / 5, box.top + h / 2},
                    {box.left + w * 2 / 5, box.top + h * 3 / 4 - 1},
                    {box.right - w / 5, box.top + h / 4}};
    Polyline(dc, pts, 3);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void PaintButton(HWND hwnd, HDC dc, const ButtonState& st) {
    DWORD style = StyleOf(hwnd);
    DWORD type = style & BS_TYPEMASK;
    RECT client;
    GetClientRect(hwnd, &client);
    bool enabled = IsWindowEnabled(hwnd) != FALSE;
    std::wstring text = TextOf(hwnd);

    if (type == BS_OWNERDRAW) {
        // The parent paints it, told which states apply, on a context that already holds the
        // button's own font (the stock system font when none was set), as the device hands it.
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_BUTTON;
        dis.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = (st.pushed ? ODS_SELECTED : 0) | (st.focus ? ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
        dis.hwndItem = hwnd;
        dis.hDC = dc;
        dis.rcItem = client;
        HWND parent = GetParent(hwnd);
        HGDIOBJ before = SelectObject(dc, st.font ? st.font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
        if (parent) SendMessageW(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
        if (before) SelectObject(dc, before);
        return;
    }

    bool push = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || (style & BS_PUSHLIKE);
    HBRUSH brush = ControlColours(hwnd, dc, push ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC);
    COLORREF textColour = enabled ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
    HGDIOBJ oldFont = st.font ? SelectObject(dc, st.font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));

    if (push) {
        bool down = st.pushed || ((style & BS_PUSHLIKE) && st.check);
        FillRect(dc, &client, down ? GetSysColorBrush(COLOR_HIGHLIGHT) : (brush ? brush : GetSysColorBrush(COLOR_BTNFACE)));
        RECT frame = client;
        FrameRect(dc, &frame, black);
        if (type == BS_DEFPUSHBUTTON) {
            InflateRect(&frame, -1, -1);
            FrameRect(dc, &frame, black);
        }
        SetTextColor(dc, down && enabled ? GetSysColor(COLOR_HIGHLIGHTTEXT) : textColour);
        RECT tr = client;
        UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        if (style & BS_MULTILINE) format = DT_CENTER | DT_WORDBREAK;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &tr, format);
        if (st.focus) {
            RECT fr = client;
            InflateRect(&fr, -3, -3);
            DrawFocusRect(dc, &fr);
        }
    } else if (type == BS_GROUPBOX) {
        // Only the frame and its label: the controls inside the group show through.
        SIZE extent{0, 0};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        int mid = extent.cy / 2;
        RECT frame{client.left, client.top + mid, client.right, client.bottom};
        FrameRect(dc, &frame, black);
        if (!text.empty()) {
            RECT label{client.left + 6, client.top, client.left + 10 + extent.cx, client.top + extent.cy};
            if (brush) FillRect(dc, &label, brush);
            SetTextColor(dc, textColour);
            TextOutW(dc, client.left + 8, client.top, text.c_str(), static_cast<int>(text.size()));
        }
    } else {
        // Check box or radio button: a 13-pixel mark beside the text.
        if (brush) FillRect(dc, &client, brush);
        int size = 13;
        int y = (client.bottom - size) / 2;
        bool leftText = (style & BS_LEFTTEXT) != 0;
        RECT box{leftText ? client.right - size : client.left, y, leftText ? client.right : client.left + size, y + size};
        HBRUSH face = st.pushed ? GetSysColorBrush(COLOR_BTNFACE) : GetSysColorBrush(COLOR_WINDOW);
        COLORREF markColour = enabled ? GetSysColor(COLOR_WINDOWTEXT) : GetSysColor(COLOR_GRAYTEXT);
        if (IsRadioType(type)) {
            HPEN pen = CreatePen(PS_SOLID, 1, markColour);
            HGDIOBJ oldPen = SelectObject(dc, pen);
            HGDIOBJ oldBrush = SelectObject(dc, face);
            Ellipse(dc, box.left, box.top, box.right, box.bottom);
            if (st.check) {
                HBRUSH dot = CreateSolidBrush(markColour);
                SelectObject(dc, dot);
                Ellipse(dc, box.left + 3, box.top + 3, box.right - 3, box.bottom - 3);
                SelectObject(dc, face);
                DeleteObject(dot);
            }
            SelectObject(dc, oldBrush);
            SelectObject(dc, oldPen);
            DeleteObject(pen);
        } else {
            FillRect(dc, &box, face);
            HBRUSH frameBrush = CreateSolidBrush(markColour);
            FrameRect(dc, &box, frameBrush);
            DeleteObject(frameBrush);
            if (st.check == BST_CHECKED) DrawCheckMark(dc, box, markColour);
            else if (st.check == BST_INDETERMINATE) {
                RECT inner = box;
                InflateRect(&inner, -3, -3);
                FillRect(dc, &inner, GetSysColorBrush(COLOR_GRAYTEXT));
            }
        }
        RECT tr = client;
        if (leftText) tr.right = box.left - 4;
        else tr.left = box.right + 4;
        SetTextColor(dc, textColour);
        UINT format = DT_VCENTER | DT_SINGLELINE | (leftText ? DT_RIGHT : DT_LEFT);
        if (style & BS_MULTILINE) format = DT_WORDBREAK | (leftText ? DT_RIGHT : DT_LEFT);
        RECT measured = tr;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &tr, format);
        if (st.focus && !text.empty()) {
            SIZE extent{0, 0};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            int top = (measured.bottom - extent.cy) / 2;
            RECT fr{measured.left - 1, top - 1, std::min<LONG>(measured.left + extent.cx + 1, measured.right),
                    top + extent.cy + 1};
            if (leftText) fr = RECT{std::max<LONG>(measured.right - extent.cx - 1, measured.left), top - 1, measured.right + 1,
                                    top + extent.cy + 1};
            DrawFocusRect(dc, &fr);
        } else if (st.focus) {
            // No text to frame: the mark goes round the box itself, inside the control.
            RECT fr{box.left - 2, box.top - 2, box.right + 2, box.bottom + 2};
            IntersectRect(&fr, &fr, &client);
            DrawFocusRect(dc, &fr);
        }
    }
    if (oldFont) SelectObject(dc, oldFont);
}

bool Inside(HWND hwnd, LPARAM lParam) {
    RECT client;
    GetClientRect(hwnd, &client);
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return PtInRect(&client, pt) != FALSE;
}

} // namespace

LRESULT CALLBACK device::ui::controls::ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<ButtonState> st = States().Get(hwnd);
    if (!st && msg != WM_NCCREATE) return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE: {
        States().Create(hwnd);
        // A group box is a frame around other controls: they show, and take taps, through it.
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (cs && (static_cast<DWORD>(cs->style) & BS_TYPEMASK) == BS_GROUPBOX)
            SetWindowLongW(hwnd, GWL_EXSTYLE, static_cast<LONG_PTR>(cs->dwExStyle | WS_EX_TRANSPARENT));
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_NCDESTROY: States().Remove(hwnd); return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc) PaintButton(hwnd, dc, *st);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
        Redraw(hwnd);
        return r;
    }
    case WM_ENABLE: Redraw(hwnd); return 0;
    case WM_SETFONT:
        st->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) Redraw(hwnd);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(st->font);
    case WM_GETDLGCODE: {
        DWORD type = TypeOf(hwnd);
        if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        if (type == BS_PUSHBUTTON || type == BS_OWNERDRAW) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        if (IsRadioType(type)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
        if (type == BS_GROUPBOX) return DLGC_STATIC;
        return DLGC_BUTTON;
    }
    case WM_SETFOCUS:
        st->focus = true;
        Redraw(hwnd);
        if (StyleOf(hwnd) & BS_NOTIFY) NotifyParent(hwnd, BN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        st->focus = false;
        st->spaceDown = false;
        SetPushed(hwnd, *st, false);
        Redraw(hwnd);
        if (StyleOf(hwnd) & BS_NOTIFY) NotifyParent(hwnd, BN_KILLFOCUS);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (TypeOf(hwnd) == BS_GROUPBOX) return 0;
        SetFocus(hwnd);
        if (!IsWindow(hwnd)) return 0;
        SetCapture(hwnd);
        st->tracking = true;
        SetPushed(hwnd, *st, true);
        return 0;
    case WM_MOUSEMOVE:
        if (st->tracking) SetPushed(hwnd, *st, Inside(hwnd, lParam));
        return 0;
    case WM_LBUTTONUP: {
        if (!st->tracking) return 0;
        st->tracking = false;
        bool inside = Inside(hwnd, lParam);
        SetPushed(hwnd, *st, false);
        if (GetCapture() == hwnd) ReleaseCapture();
        if (inside) Click(hwnd, st);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (st->tracking && reinterpret_cast<HWND>(lParam) != hwnd) {
            st->tracking = false;
            SetPushed(hwnd, *st, false);
        }
        return 0;
    case WM_CANCELMODE:
        st->tracking = false;
        SetPushed(hwnd, *st, false);
        if (GetCapture() == hwnd) ReleaseCapture();
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && TypeOf(hwnd) != BS_GROUPBOX) {
            st->spaceDown = true;
            SetPushed(hwnd, *st, true);
        }
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE && st->spaceDown) {
            st->spaceDown = false;
            SetPushed(hwnd, *st, false);
            Click(hwnd, st);
        }
        return 0;
    case WM_CHAR: return 0;
    case BM_GETCHECK: return static_cast<LRESULT>(st->check);
    case BM_SETCHECK: SetCheck(hwnd, *st, static_cast<UINT>(wParam)); return 0;
    case BM_GETSTATE:
        return static_cast<LRESULT>(st->check | (st->pushed ? BST_PUSHED : 0u) | (st->focus ? BST_FOCUS : 0u));
    case BM_SETSTATE: SetPushed(hwnd, *st, wParam != 0); return 0;
    case BM_SETSTYLE: {
        DWORD style = StyleOf(hwnd);
        DWORD wanted = (style & 0xFFFF0000u) | LOWORD(wParam);
        if (wanted != style) SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(wanted));
        if (LOWORD(lParam)) {
            InvalidateRect(hwnd, nullptr, TRUE);
            UpdateWindow(hwnd);
        }
        return 0;
    }
    case BM_CLICK:
        if (!IsWindowEnabled(hwnd)) return 0;
        Click(hwnd, st);
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND button = GetDlgItem(dialog, id);
    if (!button) return FALSE;
    SendMessageW(button, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button ? static_cast<UINT>(SendMessageW(button, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int idCheck) {
    if (!dialog) return FALSE;
    // Control ids are 16-bit; a wider span is clipped rather than walked.
    for (long long id = first; id <= last && id - first <= 0xFFFF; ++id)
        if (HWND button = GetDlgItem(dialog, static_cast<int>(id)))
            SendMessageW(button, BM_SETCHECK, id == idCheck ? BST_CHECKED : BST_UNCHECKED, 0);
    return TRUE;
}
