// Focus, activation, capture, and input: stylus taps and drags become mouse messages for the
// window under the stylus (or the capture), keys go to the focus window, and TranslateMessage
// makes characters of key presses (a host keyboard's text comes as characters of its own). Taps on
// the input panel type its keys.
//
// [SECTION] Focus and activation
// [SECTION] Capture and cursor position
// [SECTION] Injected input
// [SECTION] Keys and characters

#include "platform/ui/DeviceUi.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WindowManager.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <utility>

namespace device::ui {

namespace {

std::mutex g_keyLock;
std::array<bool, 256> g_keyDown{};      // as the key messages taken so far say (GetKeyState)
std::array<bool, 256> g_keyPressed{};   // as the keyboard is now (GetAsyncKeyState)
std::deque<std::pair<UINT, WCHAR>> g_typed;  // characters of injected key presses, in order
bool g_altAlone = false;           // Alt is down and no other key went down since
bool g_altReleasedAlone = false;   // the Alt release last taken ended such a press
bool g_stylusDown = false;
HWND g_lastDownWindow = nullptr;
Clock::time_point g_lastDownTime{};
POINT g_lastDownPoint{0, 0};

constexpr int kDoubleClickMs = 500;

// Whether owner owns hwnd, directly or through windows it owns.
bool OwnedBy(const Window& w, HWND owner) {
    int depth = 0;
    for (const Window* o = &w; o && o->owner && depth < 64; o = Find(o->owner), ++depth)
        if (o->owner == owner) return true;
    return false;
}

// An activated window comes to the top of the z-order (below the topmost windows), with the
// windows it owns above it, those owned by the windows it owns included (a box shown over a
// hidden form of this window stays over it).
void RaiseWithOwnedWindows(HWND hwnd) {
    auto& tops = Wm().topLevels;
    Window* w = Find(hwnd);
    if (!w || w->parent) return;
    std::vector<HWND> group;
    for (HWND h : tops) {
        Window* o = Find(h);
        if (o && OwnedBy(*o, hwnd) && !(o->exStyle & WS_EX_TOPMOST)) group.push_back(h);
    }
    if (!(w->exStyle & WS_EX_TOPMOST)) group.push_back(hwnd);
    else group = {hwnd};
    std::vector<HWND> before = tops;
    std::vector<HWND> rest;
    for (HWND h : tops)
        if (std::find(group.begin(), group.end(), h) == group.end()) rest.push_back(h);
    auto at = (w->exStyle & WS_EX_TOPMOST) ? rest.begin() : std::find_if(rest.begin(), rest.end(), [](HWND h) {
        Window* o = Find(h);
        return !o || !(o->exStyle & WS_EX_TOPMOST);
    });
    rest.insert(at, group.begin(), group.end());
    tops = rest;
    if (tops == before) return;
    for (HWND h : group)
        if (Window* g = Find(h); g && IsVisibleChain(*g)) {
            g->frame = true;
            InvalidateScreenArea(*g, WindowScreenRect(*g), true, true);
        }
}

} // namespace

void ForgetWindowInInput(HWND hwnd) {
    WmState& s = Wm();
    if (s.focus == hwnd) s.focus = nullptr;
    if (s.active == hwnd) {
        s.active = nullptr;
        MarkShellDirty();
    }
    if (s.capture == hwnd) s.capture = nullptr;
    if (g_lastDownWindow == hwnd) g_lastDownWindow = nullptr;
}

} // namespace device::ui

using namespace device::ui;

// [SECTION] Focus and activation ---------------------------------------------------------------

HWND GetFocus() {
    std::lock_guard lock(Wm().lock);
    return Wm().focus;
}

HWND GetActiveWindow() {
    std::lock_guard lock(Wm().lock);
    return Wm().active;
}

HWND GetForegroundWindow() { return GetActiveWindow(); }
BOOL SetForegroundWindow(HWND hwnd) { return SetActiveWindow(hwnd) || GetActiveWindow() == hwnd; }

HWND SetActiveWindow(HWND hwnd) {
    WmState& s = Wm();
    HWND old;
    {
        std::lock_guard lock(s.lock);
        if (hwnd) {
            if (!FindOrError(hwnd)) return nullptr;
            hwnd = TopLevelOf(hwnd);
        }
        old = s.active;
        if (old == hwnd) return old;
        s.active = hwnd;
        MarkShellDirty();
        if (hwnd) RaiseWithOwnedWindows(hwnd);
    }
    if (old && IsWindow(old)) SendMessageW(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
    if (hwnd && IsWindow(hwnd)) SendMessageW(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(old));
    return old;
}

HWND SetFocus(HWND hwnd) {
    WmState& s = Wm();
    HWND old;
    HWND top = nullptr;
    {
        std::lock_guard lock(s.lock);
        Window* w = hwnd ? FindOrError(hwnd) : nullptr;
        if (hwnd && !w) return nullptr;
        // As on the device, keys never go to a window that is hidden or disabled itself: the
        // focus stays where it is. (A shown control of a dialog not shown yet may take it.)
        if (w && (!(w->style & WS_VISIBLE) || (w->style & WS_DISABLED))) return nullptr;
        old = s.focus;
        if (old == hwnd) return old;
        if (hwnd) top = TopLevelOf(hwnd);
    }
    if (top && GetActiveWindow() != top) {
        SetActiveWindow(top);
        // The activation may already have placed the focus.
        std::lock_guard lock(s.lock);
        if (s.focus == hwnd) return old;
        old = s.focus;
    }
    if (old && IsWindow(old)) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    {
        std::lock_guard lock(s.lock);
        if (hwnd && !Find(hwnd)) return nullptr;  // destroyed by the old focus window's handler
        s.focus = hwnd;
    }
    if (hwnd) SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

// [SECTION] Capture and cursor position --------------------------------------------------------

HWND SetCapture(HWND hwnd) {
    WmState& s = Wm();
    HWND old;
    {
        std::lock_guard lock(s.lock);
        if (hwnd && !FindOrError(hwnd)) return nullptr;
        old = s.capture;
        s.capture = hwnd;
    }
    if (old && old != hwnd && IsWindow(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

BOOL ReleaseCapture() {
    WmState& s = Wm();
    HWND old;
    {
        std::lock_guard lock(s.lock);
        old = s.capture;
        s.capture = nullptr;
    }
    if (old && IsWindow(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() {
    std::lock_guard lock(Wm().lock);
    return Wm().capture;
}

BOOL GetCursorPos(LPPOINT point) {
    if (!point) return FALSE;
    std::lock_guard lock(Wm().lock);
    *point = Wm().cursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    std::lock_guard lock(Wm().lock);
    Wm().cursor = POINT{x, y};
    return TRUE;
}

UINT GetDoubleClickTime() { return kDoubleClickMs; }

// [SECTION] Injected input ---------------------------------------------------------------------

void device::ui::InjectStylus(StylusAction action, POINT pt) {
    WmState& s = Wm();
    {
        std::lock_guard lock(s.lock);
        s.cursor = pt;
    }
    if (action == StylusAction::Down) {
        {
            std::lock_guard lock(g_keyLock);
            g_altAlone = false; // Alt held for a tap is no menu key
        }
        // The taskbar's "ok" belongs to the active full-screen window: it answers as its caption
        // button would. The rest of the taskbar takes no taps.
        HWND okTarget = nullptr;
        {
            std::lock_guard lock(s.lock);
            Window* active = Find(s.active);
            RECT ok = TaskbarOkRectLocked();
            if (active && ShowsOkInTaskbarLocked(*active) && !(active->style & WS_DISABLED) && pt.x >= ok.left &&
                pt.x < ok.right && pt.y >= ok.top && pt.y < ok.bottom)
                okTarget = active->handle;
        }
        if (okTarget) {
            PostMessageInternal(okTarget, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0, pt, true);
            return;
        }
        bool onPanel;
        {
            std::lock_guard lock(s.lock);
            onPanel = OnSipLocked(pt); // an open menu over the panel takes its own taps
        }
        if (onPanel) {
            for (const SipKey& key : SipKeys(SipRect()))
                if (pt.x >= key.rect.left && pt.x < key.rect.right && pt.y >= key.rect.top && pt.y < key.rect.bottom) {
                    InjectKey(key.vk, true, key.ch);
                    InjectKey(key.vk, false, key.ch);
                    break;
                }
            return;
        }
    }
    // The capture window gets everything; otherwise the window under the stylus.
    HWND target = GetCapture();
    if (!target) target = WindowFromPoint(pt);
    if (action == StylusAction::Up) {
        std::lock_guard lock(s.lock);
        g_stylusDown = false;
    }
    if (!target) return;

    UINT msg = action == StylusAction::Down ? WM_LBUTTONDOWN : action == StylusAction::Up ? WM_LBUTTONUP : WM_MOUSEMOVE;
    if (action == StylusAction::Down) {
        HWND top;
        DWORD ex = 0;
        {
            std::lock_guard lock(s.lock);
            top = TopLevelOf(target);
            if (Window* t = Find(top)) ex = t->exStyle;
        }
        if (top && !(ex & WS_EX_NOACTIVATE) && GetActiveWindow() != top) SetActiveWindow(top);
        std::lock_guard lock(s.lock);
        Window* w = Find(target);
        if (!w) return;
        auto now = Clock::now();
        bool dbl = (w->cls->wc.style & CS_DBLCLKS) && g_lastDownWindow == target &&
                   now - g_lastDownTime <= std::chrono::milliseconds(kDoubleClickMs) &&
                   std::abs(pt.x - g_lastDownPoint.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
                   std::abs(pt.y - g_lastDownPoint.y) <= GetSystemMetrics(SM_CYDOUBLECLK);
        if (dbl) {
            msg = WM_LBUTTONDBLCLK;
            g_lastDownTime = Clock::time_point{};
        } else {
            g_lastDownTime = now;
        }
        g_lastDownWindow = target;
        g_lastDownPoint = pt;
        g_stylusDown = true;
    }
    POINT client;
    bool down;
    {
        std::lock_guard lock(s.lock);
        Window* w = Find(target);
        if (!w) return;
        POINT o = ClientOrigin(*w);
        client = POINT{pt.x - o.x, pt.y - o.y};
        down = g_stylusDown;
    }
    {
        std::lock_guard lock(g_keyLock);
        g_keyDown[VK_LBUTTON] = g_keyPressed[VK_LBUTTON] = down;
    }
    // A tap on the window's own scroll bar is a non-client tap (as a caption tap would be on the
    // device): the window procedure's own tap handling never takes it from the bar.
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
        if (int hit = WindowScrollBarHit(target, pt)) {
            PostMessageInternal(target, msg == WM_LBUTTONDOWN ? WM_NCLBUTTONDOWN : WM_NCLBUTTONDBLCLK,
                                static_cast<WPARAM>(hit), MAKELPARAM(pt.x, pt.y), pt, true);
            return;
        }
    }
    PostMessageInternal(target, msg, down ? MK_LBUTTON : 0, MAKELPARAM(client.x, client.y), pt, true);
}

// Where keyboard input goes: the focus window, else the active one (null: nowhere); pt gets the
// cursor position the messages carry.
static HWND KeyboardTarget(POINT& pt) {
    std::lock_guard lock(Wm().lock);
    pt = Wm().cursor;
    return Wm().focus ? Wm().focus : Wm().active;
}

void device::ui::InjectKey(UINT vk, bool down, WCHAR ch) {
    vk &= 0xFF;
    if (vk == VK_F1) {
        // The help key stands for the Start menu's Help: the active window hears WM_HELP (lParam 0,
        // as from the command bar's help button) once per press, and no key messages.
        bool pressed;
        {
            std::lock_guard lock(g_keyLock);
            pressed = down && !g_keyPressed[vk]; // a held key repeating asks only once
            g_keyPressed[vk] = down;
        }
        HWND active;
        {
            std::lock_guard lock(Wm().lock);
            active = Wm().active;
        }
        if (pressed && active) PostMessageW(active, WM_HELP, 0, 0);
        return;
    }
    {
        std::lock_guard lock(g_keyLock);
        g_keyPressed[vk] = down;
        if (down) g_typed.emplace_back(vk, ch);
    }
    POINT pt;
    HWND target = KeyboardTarget(pt);
    if (!target) {
        // No window takes it: no message will carry the change, so the state changes now.
        std::lock_guard lock(g_keyLock);
        g_keyDown[vk] = down;
        if (down && !g_typed.empty()) g_typed.pop_back();
        return;
    }
    LPARAM lParam = 1;
    if (!down) lParam |= static_cast<LPARAM>(0xC0000000u);
    PostMessageInternal(target, down ? WM_KEYDOWN : WM_KEYUP, vk, lParam, pt, true);
}

void device::ui::InjectChar(WCHAR ch) {
    if (ch == 0 || ch == kNoCharacter) return;
    POINT pt;
    HWND target = KeyboardTarget(pt);
    if (target) PostMessageInternal(target, WM_CHAR, static_cast<WPARAM>(ch), 1, pt, true);
}

static UINT VkForChar(WCHAR ch) {
    if (ch >= L'a' && ch <= L'z') return static_cast<UINT>(ch - L'a' + 'A');
    if ((ch >= L'A' && ch <= L'Z') || (ch >= L'0' && ch <= L'9')) return static_cast<UINT>(ch);
    switch (ch) {
    case L' ': return VK_SPACE;
    case L'\r':
    case L'\n': return VK_RETURN;
    case L'\b': return VK_BACK;
    case L'\t': return VK_TAB;
    case 0x1B: return VK_ESCAPE;
    default: return 0xE5;  // a key the panel produced only as a character
    }
}

void device::ui::InjectText(const std::wstring& text) {
    for (WCHAR ch : text) {
        WCHAR c = ch == L'\n' ? L'\r' : ch;
        UINT vk = VkForChar(c);
        InjectKey(vk, true, c);
        InjectKey(vk, false, c);
    }
}

// [SECTION] Keys and characters ----------------------------------------------------------------

SHORT GetKeyState(int key) {
    std::lock_guard lock(g_keyLock);
    return g_keyDown[static_cast<size_t>(key) & 0xFF] ? static_cast<SHORT>(0x8000) : 0;
}

SHORT GetAsyncKeyState(int key) {
    std::lock_guard lock(g_keyLock);
    return g_keyPressed[static_cast<size_t>(key) & 0xFF] ? static_cast<SHORT>(0x8000) : 0;
}

void device::ui::NoteKeyMessageTaken(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP && msg.message != WM_SYSKEYDOWN &&
        msg.message != WM_SYSKEYUP)
        return;
    std::lock_guard lock(g_keyLock);
    const size_t vk = msg.wParam & 0xFF;
    const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    // Alt pressed and released with no other key between: the release is the menu key.
    if (vk == VK_MENU) {
        if (down && !g_keyDown[vk]) g_altAlone = true;
        if (!down) g_altReleasedAlone = g_altAlone && g_keyDown[vk];
        if (!down) g_altAlone = false;
    } else if (down) {
        g_altAlone = false;
    }
    g_keyDown[vk] = down;
}

bool device::ui::TakeAltReleasedAlone() {
    std::lock_guard lock(g_keyLock);
    return std::exchange(g_altReleasedAlone, false);
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
    UINT vk = static_cast<UINT>(msg->wParam) & 0xFF;
    WCHAR ch = 0;
    bool found = false;
    bool shift;
    {
        std::lock_guard lock(g_keyLock);
        auto it = std::find_if(g_typed.begin(), g_typed.end(), [&](const auto& p) { return p.first == vk; });
        if (it != g_typed.end()) {
            ch = it->second;
            found = ch != 0;
            g_typed.erase(it);
        }
        if (ch == kNoCharacter) return FALSE;  // its text comes as a character of its own
        shift = g_keyDown[VK_SHIFT];
    }
    if (!found) {
        if (vk >= 'A' && vk <= 'Z') ch = static_cast<WCHAR>(shift ? vk : vk - 'A' + 'a');
        else if (vk >= '0' && vk <= '9') ch = static_cast<WCHAR>(vk);
        else if (vk == VK_SPACE) ch = L' ';
        else if (vk == VK_RETURN) ch = L'\r';
        else if (vk == VK_BACK) ch = L'\b';
        else if (vk == VK_TAB) ch = L'\t';
        else if (vk == VK_ESCAPE) ch = 0x1B;
    }
    if (!ch) return FALSE;
    // The character comes next, before anything else already queued.
    std::shared_ptr<ThreadQueue> q = CurrentQueue();
    std::lock_guard lock(Wm().lock);
    q->posted.push_front(MSG{msg->hwnd, msg->message == WM_SYSKEYDOWN ? static_cast<UINT>(WM_SYSCHAR) : static_cast<UINT>(WM_CHAR),
                             static_cast<WPARAM>(ch), msg->lParam, msg->time, msg->pt});
    WakeQueue(*q);
    return TRUE;
}
