// The device's one caret. It is drawn by its owner window while painting (VisibleCaretRect), so a
// repaint can never leave a stale inverted bar behind; every change here repaints the old and the
// new caret rectangles of the owner.

#include "platform/ui/Controls.h"

namespace {

struct CaretState {
    HWND owner = nullptr;
    int width = 1;
    int height = 1;
    POINT pos{0, 0};
    int hidden = 1;  // a new caret starts hidden; ShowCaret undoes one HideCaret
};

std::mutex g_lock;
CaretState g_caret;

RECT CaretRect(const CaretState& c) { return RECT{c.pos.x, c.pos.y, c.pos.x + c.width, c.pos.y + c.height}; }

void Repaint(HWND owner, const RECT& rect) {
    if (owner && IsWindow(owner)) InvalidateRect(owner, &rect, FALSE);
}

} // namespace

BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height) {
    if (!hwnd || !IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (bitmap) {
        BITMAP bm{};
        if (GetObjectW(bitmap, sizeof(bm), &bm)) {
            width = bm.bmWidth;
            height = bm.bmHeight;
        }
    }
    CaretState old;
    {
        std::lock_guard lock(g_lock);
        old = g_caret;
        g_caret = CaretState{};
        g_caret.owner = hwnd;
        g_caret.width = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
        g_caret.height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
    }
    if (old.owner && old.hidden == 0) Repaint(old.owner, CaretRect(old));
    return TRUE;
}

BOOL DestroyCaret() {
    CaretState old;
    {
        std::lock_guard lock(g_lock);
        old = g_caret;
        g_caret = CaretState{};
    }
    if (!old.owner) return FALSE;
    if (old.hidden == 0) Repaint(old.owner, CaretRect(old));
    return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
    HWND owner;
    RECT rect;
    {
        std::lock_guard lock(g_lock);
        if (!g_caret.owner || (hwnd && hwnd != g_caret.owner) || g_caret.hidden == 0) return FALSE;
        if (--g_caret.hidden != 0) return TRUE;
        owner = g_caret.owner;
        rect = CaretRect(g_caret);
    }
    Repaint(owner, rect);
    return TRUE;
}

BOOL HideCaret(HWND hwnd) {
    HWND owner;
    RECT rect;
    {
        std::lock_guard lock(g_lock);
        if (!g_caret.owner || (hwnd && hwnd != g_caret.owner)) return FALSE;
        if (g_caret.hidden++ != 0) return TRUE;
        owner = g_caret.owner;
        rect = CaretRect(g_caret);
    }
    Repaint(owner, rect);
    return TRUE;
}

BOOL SetCaretPos(int x, int y) {
    HWND owner;
    RECT before, after;
    bool shown;
    {
        std::lock_guard lock(g_lock);
        if (!g_caret.owner) return FALSE;
        if (g_caret.pos.x == x && g_caret.pos.y == y) return TRUE;
        before = CaretRect(g_caret);
        g_caret.pos = POINT{x, y};
        after = CaretRect(g_caret);
        owner = g_caret.owner;
        shown = g_caret.hidden == 0;
    }
    if (shown) {
        Repaint(owner, before);
        Repaint(owner, after);
    }
    return TRUE;
}

BOOL GetCaretPos(LPPOINT point) {
    if (!point) return FALSE;
    std::lock_guard lock(g_lock);
    if (!g_caret.owner) return FALSE;
    *point = g_caret.pos;
    return TRUE;
}

UINT GetCaretBlinkTime() { return 500; }

bool device::ui::VisibleCaretRect(HWND hwnd, RECT& rect) {
    std::lock_guard lock(g_lock);
    if (!hwnd || g_caret.owner != hwnd || g_caret.hidden != 0) return false;
    rect = CaretRect(g_caret);
    return true;
}
