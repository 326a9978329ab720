// The STATIC class: a text, an icon or a bitmap on the parent's background (WM_CTLCOLORSTATIC),
// and the registration of every basic control class.

#include "platform/ui/Controls.h"

using namespace device::ui;
using namespace device::ui::controls;

namespace {

struct StaticState {
    HFONT font = nullptr;
    HANDLE image = nullptr;  // SS_BITMAP: HBITMAP; SS_ICON: HICON
};

StateTable<StaticState>& States() {
    static StateTable<StaticState> table;
    return table;
}

void PaintStatic(HWND hwnd, HDC dc, const StaticState& st) {
    DWORD style = StyleOf(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH brush = ControlColours(hwnd, dc, WM_CTLCOLORSTATIC);
    if (brush) FillRect(dc, &client, brush);
    DWORD type = style & SS_TYPEMASK;
    if (type == SS_BITMAP) {
        BITMAP bm{};
        if (st.image && GetObjectW(st.image, sizeof(bm), &bm)) {
            HDC mem = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(mem, st.image);
            int x = 0, y = 0;
            if (style & SS_CENTERIMAGE) {
                x = (client.right - bm.bmWidth) / 2;
                y = (client.bottom - bm.bmHeight) / 2;
            }
            BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
            SelectObject(mem, old);
            DeleteDC(mem);
        }
        return;
    }
    if (type == SS_ICON) {
        if (st.image) DrawIconEx(dc, 0, 0, static_cast<HICON>(st.image), 0, 0, 0, nullptr, DI_NORMAL);
        return;
    }
    int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    UINT format = DT_WORDBREAK | DT_EXPANDTABS;
    if (type == SS_CENTER) format |= DT_CENTER;
    else if (type == SS_RIGHT) format |= DT_RIGHT;
    else if (type == SS_LEFTNOWORDWRAP) format = DT_SINGLELINE | DT_EXPANDTABS;
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
    if (!IsWindowEnabled(hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = st.font ? SelectObject(dc, st.font) : nullptr;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client, format);
    if (oldFont) SelectObject(dc, oldFont);
}

} // namespace

LRESULT CALLBACK device::ui::controls::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<StaticState> st = States().Get(hwnd);
    switch (msg) {
    case WM_NCCREATE:
        States().Create(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY: States().Remove(hwnd); return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc && st) PaintStatic(hwnd, dc, *st);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;  // painting fills the background itself
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
    }
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_SETFONT:
        if (st) st->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return st ? reinterpret_cast<LRESULT>(st->font) : 0;
    case STM_SETIMAGE:
    case STM_SETICON: {
        if (!st) return 0;
        HANDLE old = st->image;
        st->image = reinterpret_cast<HANDLE>(msg == STM_SETICON ? wParam : static_cast<WPARAM>(lParam));
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETIMAGE:
    case STM_GETICON: return st ? reinterpret_cast<LRESULT>(st->image) : 0;
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (StyleOf(hwnd) & SS_NOTIFY) NotifyParent(hwnd, msg == WM_LBUTTONDOWN ? STN_CLICKED : STN_DBLCLK);
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

const wchar_t* const device::ui::kBasicControlClassNames[] = {WC_STATICW, WC_BUTTONW, WC_EDITW, WC_SCROLLBARW,
                                                              TRACKBAR_CLASSW, nullptr};

void device::ui::RegisterBasicControlClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct Entry {
            const wchar_t* name;
            WNDPROC proc;
            UINT style;
        };
        const Entry entries[] = {
            {WC_STATICW, StaticProc, CS_DBLCLKS},
            {WC_BUTTONW, ButtonProc, CS_DBLCLKS},
            {WC_EDITW, EditProc, CS_DBLCLKS},
            {WC_SCROLLBARW, ScrollBarProc, 0},
            {TRACKBAR_CLASSW, TrackbarProc, 0},
        };
        for (const Entry& e : entries) {
            WNDCLASSW wc{};
            wc.style = e.style | CS_GLOBALCLASS;
            wc.lpfnWndProc = e.proc;
            wc.lpszClassName = e.name;
            RegisterClassW(&wc);  // already registered by someone: theirs stays
        }
    });
}
