// The default handling of every message a window procedure passes on.

#include "platform/ui/Controls.h"
#include "platform/ui/WindowManager.h"

#include <algorithm>
#include <cstring>

using namespace device::ui;

namespace {

// A class background given as a system colour index + 1, or a real brush.
HBRUSH ClassBrush(HBRUSH brush) {
    auto value = reinterpret_cast<uintptr_t>(brush);
    if (value > 0 && value <= 32) return GetSysColorBrush(static_cast<int>(value - 1));
    return brush;
}

void DrawFrame(HWND hwnd) {
    RECT in;
    RECT rect;
    std::wstring title;
    DWORD style, exStyle;
    bool fills = false;
    {
        std::lock_guard lock(Wm().lock);
        Window* w = Find(hwnd);
        if (!w) return;
        if (w->fillsWorkArea && !(w->style & (WS_VSCROLL | WS_HSCROLL))) return; // no frame of its own
        fills = w->fillsWorkArea;
        in = NonClientInsets(*w);
        rect = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
        title = w->text;
        style = w->style;
        exStyle = w->exStyle;
    }
    HDC dc = GetWindowDC(hwnd);
    if (!dc) return;
    RECT r = rect;
    if (fills) {
        // Only the scroll bars: the taskbar shows the title.
        DrawWindowScrollBars(hwnd, dc);
        ReleaseDC(hwnd, dc);
        return;
    }
    if ((style & WS_CAPTION) == WS_CAPTION || (style & WS_DLGFRAME) || (style & WS_BORDER) ||
        (exStyle & WS_EX_DLGMODALFRAME)) {
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&r, -1, -1);
        int extra = ((style & WS_CAPTION) == WS_CAPTION || (style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
                        ? GetSystemMetrics(SM_CXDLGFRAME) - 1
                        : 0;
        for (int i = 0; i < extra; ++i) {
            FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
            InflateRect(&r, -1, -1);
        }
    }
    if (exStyle & WS_EX_CLIENTEDGE) {
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    }
    if ((style & WS_CAPTION) == WS_CAPTION) {
        RECT cap{r.left, r.top, r.right, r.top + GetSystemMetrics(SM_CYCAPTION)};
        FillRect(dc, &cap, GetSysColorBrush(COLOR_ACTIVECAPTION));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
        RECT text = cap;
        text.left += 4;
        DrawTextW(dc, title.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    // The window's own scroll bars.
    if (style & (WS_VSCROLL | WS_HSCROLL)) DrawWindowScrollBars(hwnd, dc);
    ReleaseDC(hwnd, dc);
}

} // namespace

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCCREATE: return TRUE;
    case WM_SETTEXT: {
        std::lock_guard lock(Wm().lock);
        Window* w = Find(hwnd);
        if (!w) return FALSE;
        const auto* text = reinterpret_cast<LPCWSTR>(lParam);
        w->text = text ? text : L"";
        if ((w->style & WS_CAPTION) == WS_CAPTION && IsVisibleChain(*w)) {
            w->frame = true;
            WakeQueue(*w->queue);
        }
        if (!w->parent && Wm().active == hwnd) MarkShellDirty();
        return TRUE;
    }
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<LPWSTR>(lParam);
        if (!buffer || wParam == 0) return 0;
        std::lock_guard lock(Wm().lock);
        Window* w = Find(hwnd);
        if (!w) {
            buffer[0] = 0;
            return 0;
        }
        size_t n = std::min<size_t>(wParam - 1, w->text.size());
        std::wmemcpy(buffer, w->text.c_str(), n);
        buffer[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: {
        std::lock_guard lock(Wm().lock);
        Window* w = Find(hwnd);
        return w ? static_cast<LRESULT>(w->text.size()) : 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (BeginPaint(hwnd, &ps)) EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_NCPAINT: DrawFrame(hwnd); return 0;
    case WM_ERASEBKGND: {
        HBRUSH brush;
        RECT client;
        {
            std::lock_guard lock(Wm().lock);
            Window* w = Find(hwnd);
            if (!w) return 0;
            brush = ClassBrush(w->cls->wc.hbrBackground);
            client = ClientRectLocal(*w);
        }
        if (!brush || !wParam) return 0;
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
        return 1;
    }
    case WM_WINDOWPOSCHANGED: {
        const auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!wp) return 0;
        RECT client;
        POINT origin;
        {
            std::lock_guard lock(Wm().lock);
            Window* w = Find(hwnd);
            if (!w) return 0;
            client = ClientRectLocal(*w);
            RECT in = NonClientInsets(*w);
            origin = POINT{w->rect.left + in.left, w->rect.top + in.top};
        }
        if (!(wp->flags & SWP_NOMOVE)) SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
        if (!(wp->flags & SWP_NOSIZE)) SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            HWND focus = GetFocus();
            if (!focus || (focus != hwnd && !IsChild(hwnd, focus))) SetFocus(hwnd);
        }
        return 0;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_MOUSEACTIVATE: return MA_ACTIVATE;
    case WM_NCHITTEST: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        std::lock_guard lock(Wm().lock);
        Window* w = Find(hwnd);
        if (!w) return HTNOWHERE;
        RECT c = ClientScreenRect(*w);
        RECT r = WindowScreenRect(*w);
        if (pt.x >= c.left && pt.x < c.right && pt.y >= c.top && pt.y < c.bottom) return HTCLIENT;
        if (pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom) return HTBORDER;
        return HTNOWHERE;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        bool face = msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORDLG || msg == WM_CTLCOLORBTN ||
                    msg == WM_CTLCOLORMSGBOX || msg == WM_CTLCOLORSCROLLBAR;
        int colour = face ? COLOR_BTNFACE : COLOR_WINDOW;
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(colour));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(colour));
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        // The stylus on a window's own scroll bars (outside its client area) drives them.
        WindowScrollBarMouse(hwnd, msg, wParam, lParam);
        return 0;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: {
        // A tap on the window's own scroll bar: the bar takes it (the point comes in screen
        // coordinates); the moves and the lift follow under the bar's capture.
        if (wParam != HTVSCROLL && wParam != HTHSCROLL) return 0;
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(hwnd, &pt);
        WindowScrollBarMouse(hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(pt.x, pt.y));
        return 0;
    }
    case WM_CANCELMODE:
        if (GetCapture() == hwnd) ReleaseCapture();
        return 0;
    case WM_HELP: {
        // Help requests travel up to the parent until someone answers.
        HWND parent = nullptr;
        {
            std::lock_guard lock(Wm().lock);
            if (Window* w = Find(hwnd)) parent = w->parent;
        }
        return parent ? SendMessageW(parent, WM_HELP, wParam, lParam) : 0;
    }
    default: return 0;
    }
}
