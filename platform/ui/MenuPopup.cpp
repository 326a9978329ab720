// Pop-up menus: the menu's window (drawn by the layer) and the loop that runs while it is open.
//
// The loop takes the thread's messages itself: keys steer the menu, everything else is
// dispatched as usual so that windows keep painting. The menu window holds the stylus capture,
// so a tap anywhere reaches it; a tap outside closes the menu.

#include "platform/ui/MenuInternal.h"
#include "platform/ui/MenuLayout.h"
#include "platform/ui/WindowManager.h"

#include <algorithm>
#include <mutex>

namespace device::ui::menus {
namespace {

struct Tracking {
    HMENU menu = nullptr;
    HWND owner = nullptr;
    HWND window = nullptr;
    Snapshot items;
    std::vector<RECT> rects; // client coordinates
    int hot = -1;
    unsigned input = 0; // stylus messages the menu window has handled
    bool done = false;
    UINT picked = 0;
    UINT endKey = 0; // the key that closed the menu without a pick
};

std::mutex g_lock;
Tracking* g_open = nullptr; // the open pop-up (one at a time on the device)

int ItemAt(const Tracking& t, POINT client) {
    for (size_t i = 0; i < t.rects.size(); ++i)
        if (PtInRect(&t.rects[i], client)) return static_cast<int>(i);
    return -1;
}

void SetHot(Tracking& t, int hot) {
    if (hot == t.hot) return;
    auto redraw = [&](int i) {
        if (i >= 0 && static_cast<size_t>(i) < t.rects.size()) InvalidateRect(t.window, &t.rects[i], TRUE);
    };
    redraw(t.hot);
    t.hot = hot;
    redraw(t.hot);
}

void Close(Tracking& t, UINT picked) {
    t.picked = picked;
    t.done = true;
}

// Moves the highlight to the next item that can be picked (step +1 or -1), wrapping; with nothing
// highlighted Down starts at the first item and Up at the last.
void StepHot(Tracking& t, int step) {
    int n = static_cast<int>(t.items.items.size());
    if (n == 0) return;
    int i = t.hot >= 0 ? t.hot : step > 0 ? -1 : n;
    for (int k = 0; k < n; ++k) {
        i = (i + step + n) % n;
        if (Pickable(t.items.items[static_cast<size_t>(i)])) {
            SetHot(t, i);
            return;
        }
    }
}

Tracking* TrackingOf(HWND hwnd) { return reinterpret_cast<Tracking*>(GetWindowLongW(hwnd, GWL_USERDATA)); }

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Tracking* t = TrackingOf(hwnd);
    if (t && msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ++t->input;
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (t) {
            RECT client;
            GetClientRect(hwnd, &client);
            PaintMenuItems(dc, client, t->items.items, t->rects, t->hot);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (!t) return 0;
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT client;
        GetClientRect(hwnd, &client);
        if (!PtInRect(&client, p)) {
            Close(*t, 0); // a tap outside dismisses the menu and is not passed on
            return 0;
        }
        SetHot(*t, ItemAt(*t, p));
        return 0;
    }
    case WM_MOUSEMOVE: {
        if (!t || !(wParam & MK_LBUTTON)) return 0;
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        SetHot(*t, ItemAt(*t, p));
        return 0;
    }
    case WM_LBUTTONUP: {
        if (!t) return 0;
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        int i = ItemAt(*t, p);
        // A lift outside (the stylus that opened the menu from the bar) leaves the menu open;
        // a lift on a greyed item or a separator does nothing.
        if (i >= 0 && Pickable(t->items.items[static_cast<size_t>(i)])) {
            Close(*t, t->items.items[static_cast<size_t>(i)].id);
        } else {
            SetHot(*t, -1);
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (t && reinterpret_cast<HWND>(lParam) != hwnd) Close(*t, 0);
        return 0;
    case WM_CANCELMODE:
        if (t) Close(*t, 0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool IsKeyMessage(UINT m) { return m >= WM_KEYFIRST && m <= WM_KEYLAST; }

void HandleKey(Tracking& t, const MSG& m) {
    // The menu keys again (F10, Alt alone) close the menu as Escape does.
    if (m.message == WM_KEYUP && m.wParam == VK_MENU && TakeAltReleasedAlone()) {
        t.endKey = VK_ESCAPE;
        Close(t, 0);
        return;
    }
    if (m.message != WM_KEYDOWN) return;
    switch (m.wParam) {
    case VK_ESCAPE:
    case VK_F10:
    case VK_LEFT:
    case VK_RIGHT:
        t.endKey = m.wParam == VK_F10 ? static_cast<UINT>(VK_ESCAPE) : static_cast<UINT>(m.wParam);
        Close(t, 0);
        break;
    case VK_UP: StepHot(t, -1); break;
    case VK_DOWN: StepHot(t, +1); break;
    case VK_RETURN:
        if (t.hot >= 0 && Pickable(t.items.items[static_cast<size_t>(t.hot)]))
            Close(t, t.items.items[static_cast<size_t>(t.hot)].id);
        break;
    default: break;
    }
}

} // namespace

void RegisterPopupMenuClass() {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = PopupProc;
    wc.hbrBackground = GetSysColorBrush(COLOR_MENU);
    wc.lpszClassName = kPopupMenuClass;
    RegisterClassW(&wc); // a second registration fails harmlessly
}

UINT RunPopup(HMENU menu, UINT flags, int x, int y, HWND owner, bool byKeys, UINT* endKey) {
    if (endKey) *endKey = 0;
    if (!IsMenu(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return 0;
    }
    if (!IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    Tracking t;
    {
        std::lock_guard lock(g_lock);
        if (g_open) {
            SetLastError(ERROR_POPUP_ALREADY_ACTIVE);
            return 0;
        }
        g_open = &t;
    }
    RegisterPopupMenuClass();
    t.menu = menu;
    t.owner = owner;
    // The owner sets up the items (checks, greying, texts) before anything shows.
    if (!(flags & TPM_NONOTIFY)) SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    t.items = Take(menu);
    if (t.items.valid) {
        SIZE size = MeasureMenu(t.items.items, t.rects);
        int left = x, top = y;
        if (flags & TPM_RIGHTALIGN) left = x - size.cx;
        else if (flags & TPM_CENTERALIGN) left = x - size.cx / 2;
        if (flags & TPM_BOTTOMALIGN) top = y - size.cy;
        else if (flags & TPM_VCENTERALIGN) top = y - size.cy / 2;
        int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
        left = std::max(0, std::min(left, sw - size.cx));
        top = std::max(0, std::min(top, sh - size.cy));
        t.window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, kPopupMenuClass, L"", WS_POPUP, left, top,
                                   size.cx, size.cy, owner, nullptr, nullptr, nullptr);
    }
    if (t.window) {
        SetWindowLongW(t.window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(&t));
        if (byKeys) StepHot(t, +1); // opened from the keys: the first item is highlighted
        SetWindowPos(t.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
        SetCapture(t.window);
        UpdateWindow(t.window);
        while (!t.done) {
            if (!IsWindow(owner) || !IsWindow(t.window)) break;
            MSG m;
            if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (m.message == WM_QUIT) {
                    PostQuitMessage(static_cast<int>(m.wParam)); // for the loop outside
                    break;
                }
                if (IsKeyMessage(m.message)) {
                    HandleKey(t, m);
                    continue;
                }
                TranslateMessage(&m);
                DispatchMessageW(&m);
                continue;
            }
            // The owner may handle input or destroy windows while it idles: go round again
            // (another WM_ENTERIDLE once the queue is empty) instead of waiting for input that
            // has already been handled.
            unsigned before = t.input;
            SendMessageW(owner, WM_ENTERIDLE, MSGF_MENU, reinterpret_cast<LPARAM>(t.window));
            if (t.done || !IsWindow(owner) || !IsWindow(t.window)) break;
            if (t.input != before) continue;
            WaitMessage();
        }
        if (IsWindow(t.window)) {
            SetWindowLongW(t.window, GWL_USERDATA, 0);
            if (GetCapture() == t.window) ReleaseCapture();
            DestroyWindow(t.window);
            // A menu opened over the raised input panel leaves it: the panel shows there again.
            std::lock_guard lock(Wm().lock);
            MarkShellDirty();
        }
    }
    {
        std::lock_guard lock(g_lock);
        g_open = nullptr;
    }
    if (endKey) *endKey = t.endKey;
    return t.picked;
}

HMENU OpenMenu() {
    std::lock_guard lock(g_lock);
    return g_open ? g_open->menu : nullptr;
}

HWND OpenWindow() {
    std::lock_guard lock(g_lock);
    return g_open ? g_open->window : nullptr;
}

bool OpenItemRect(int position, RECT& screen) {
    std::lock_guard lock(g_lock);
    if (!g_open || !g_open->window || position < 0 || static_cast<size_t>(position) >= g_open->rects.size())
        return false;
    screen = g_open->rects[static_cast<size_t>(position)];
    POINT origin{0, 0};
    ClientToScreen(g_open->window, &origin);
    OffsetRect(&screen, origin.x, origin.y);
    return true;
}

bool CloseOpen() {
    std::lock_guard lock(g_lock);
    if (!g_open) return false;
    Close(*g_open, 0);
    PostMessageW(g_open->window, WM_NULL, 0, 0); // wakes the loop
    return true;
}

} // namespace device::ui::menus

using namespace device::ui::menus;

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS) {
    UINT picked = RunPopup(menu, flags, x, y, owner);
    if (flags & TPM_RETURNCMD) return static_cast<BOOL>(picked);
    if (picked == 0) return FALSE;
    PostMessageW(owner, WM_COMMAND, MAKEWPARAM(picked, 0), 0);
    return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
    return TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
}

BOOL EndMenu() { return CloseOpen() ? TRUE : FALSE; }

HMENU device::ui::OpenPopupMenu() { return OpenMenu(); }
HWND device::ui::OpenPopupWindow() { return OpenWindow(); }
bool device::ui::OpenPopupItemRect(int position, RECT& screen) { return OpenItemRect(position, screen); }
