#pragma once
// The window manager's own state, shared by its files: the window table, classes, the window
// tree with its z-order, per-thread message queues, and focus/activation/capture.
//
// One mutex (Wm().lock) guards all of it. Window procedures are never called with it held:
// every call into application code first copies what it needs and unlocks.

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Region.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/FrameChanges.h"
#include "platform/ui/WinUser.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace device::ui {

using Clock = std::chrono::steady_clock;

struct WindowClass {
    std::wstring name;
    WNDCLASSW wc{};
    std::vector<uint8_t> classExtra;
};

struct ThreadQueue;

struct Window {
    HWND handle = nullptr;
    std::shared_ptr<WindowClass> cls;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;  // null: a top-level window (its parent is the desktop)
    HWND owner = nullptr;
    std::vector<HWND> children;  // z-order, top first
    RECT rect{0, 0, 0, 0};      // window rectangle in the parent's client coordinates
    std::wstring text;
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    std::vector<uint8_t> extra;
    std::map<std::wstring, HANDLE> props;
    std::shared_ptr<ThreadQueue> queue;
    // Painting: the invalid part of the client area, in client coordinates.
    gdi::Region update;
    bool erase = false;
    bool frame = false;   // the non-client area needs drawing
    bool painted = false; // BeginPaint ran during the current WM_PAINT
    bool destroying = false;
    // The shell sized this top-level window to the work area: it has no frame or caption row of
    // its own (its client area is the whole window); the taskbar shows its title and its "ok".
    bool fillsWorkArea = false;
    // Double-click detection.
    Clock::time_point lastDown{};
    POINT lastDownPt{0, 0};
};

struct SentMessage {
    HWND hwnd = nullptr;
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    bool done = false;
    bool replied = false;
    std::shared_ptr<ThreadQueue> sender;  // null: nobody waits (SendNotifyMessage)
};

struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT elapse = 0;
    TIMERPROC proc = nullptr;
    Clock::time_point due{};
};

// A posted message; input marks the stylus and keys the user gave, which are routed again when
// they are read (see NextMessage), as the device routes its input queue.
struct QueuedMessage : MSG {
    QueuedMessage(const MSG& m, bool fromInput = false) : MSG(m), input(fromInput) {}
    bool input = false;
};

struct ThreadQueue {
    DWORD threadId = 0;
    bool alive = true;
    std::deque<QueuedMessage> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    std::condition_variable cv;
    bool quit = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    std::vector<std::shared_ptr<SentMessage>> handling;  // sent messages being handled, innermost last
    MSG last{};                                          // the last message retrieved
    int windows = 0;                                     // live windows owned by this thread
    uint64_t generation = 0;                             // bumped on every wake-up
};

// Display back end registration: lets the display library, which sits above this one, pump its
// events while a UI thread waits, and show each new frame.
struct DisplayHooks {
    void (*pump)() = nullptr;         // feeds host input in; called on the display thread, unlocked
    // The screen changed since the frame last shown (its pixels, or the wait cursor): the back end
    // shows it, taking what changed from WithPresentedFrame. Called on the display thread, unlocked.
    void (*present)() = nullptr;
    void (*beep)(UINT type) = nullptr;
    void (*raise)() = nullptr;        // brings the host window in front of the host's others
    int pollMs = 0;  // >0 and no wait: waiting threads wake at least this often to pump
    // Waits on the display thread, unlocked, until a host event comes, wake is called or timeoutMs
    // (-1: no limit) has passed. Null: the thread waits on its queue alone.
    void (*wait)(int timeoutMs) = nullptr;
    // Ends a wait of the display thread; called from other threads with the lock held.
    void (*wake)() = nullptr;
};

struct WmState {
    std::mutex lock;
    std::unordered_map<HWND, std::shared_ptr<Window>> windows;
    std::vector<HWND> topLevels;  // z-order, top first; WS_EX_TOPMOST windows ahead of the rest
    std::map<std::wstring, std::shared_ptr<WindowClass>> classes;  // key: case-folded name
    std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>> queues;
    uintptr_t nextHandle = 0x20000;
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND capture = nullptr;
    POINT cursor{0, 0};
    UINT_PTR nextTimerId = 0x7F00;
    // The part of the screen no window covers and that needs the desktop's background.
    gdi::Region desktopDirty;
    bool screenDirty = true;
    // What changed since the frame last presented, whether it showed the wait cursor, and the
    // presents so far with the rectangles of the last one.
    FrameChanges frames;
    bool presentedBusy = false;
    PresentedFrames presented;
};

WmState& Wm();

// The calling thread's queue, created on first use.
std::shared_ptr<ThreadQueue> CurrentQueue();
DWORD CurrentThreadId();

// Lookups with the lock held. Null for an unknown or destroyed handle.
Window* Find(HWND hwnd);
inline Window* FindLocked(HWND hwnd) { return Find(hwnd); }
// Same, with SetLastError(ERROR_INVALID_WINDOW_HANDLE) when not found.
Window* FindOrError(HWND hwnd);

// Geometry (lock held).
RECT NonClientInsets(const Window& w);
RECT ClientRectLocal(const Window& w);  // client rectangle in the window's own client coordinates
POINT ClientOrigin(const Window& w);    // screen position of client (0, 0)
RECT WindowScreenRect(const Window& w);
RECT ClientScreenRect(const Window& w);
bool IsVisibleChain(const Window& w);   // the window and every ancestor visible
std::vector<HWND>& SiblingList(const Window& w);
HWND TopLevelOf(HWND hwnd);
// Pre-order walk of the whole tree, bottom of the z-order first (the order windows paint in).
template <class F> void ForEachPaintOrder(F&& f);

// Painting internals (lock held).
// Visible part of a window on the screen (screen coordinates): the client area or the whole window,
// minus what covers it; children are left out when clipChildren.
gdi::Region VisibleRegion(const Window& w, bool client, bool clipChildren);
// Adds a screen area to the update regions of a window and, unless it clips its children or
// noChildren, of its children under that area.
void InvalidateScreenArea(Window& w, const RECT& screen, bool erase, bool allChildren);
// A screen area uncovered: everything under it repaints, and the desktop's background too.
void ExposeScreenArea(const RECT& screen);
// Whether the thread has a window to paint, and which (lock held).
HWND NextWindowToPaint(const ThreadQueue& q);
void ClearUpdate(Window& w);
// Fills the desktop's uncovered dirty parts and redraws the shell's bars when due (lock held).
void PaintDesktopLocked();

// The screen (lock held): the framebuffer windows draw on, and the screen area the shell's own
// bars take (taskbar, input panel when up), which no window draws over.
gdi::Bitmap* FramebufferLocked();
gdi::Region ShellAreaLocked();
// The open pop-up menus' rectangles over the raised input panel (lock held): a menu opened while
// the panel is up lies over it, so the panel is neither drawn nor tapped there.
std::vector<RECT> MenusOverSipLocked();
// Whether a screen point lies on the raised input panel where no menu covers it (lock held).
bool OnSipLocked(POINT point);
// Redraws the taskbar and the input panel when they changed (lock held).
void DrawShellLocked();
void MarkShellDirty();
// Marks a top-level window as sized by the shell to the work area (see Window::fillsWorkArea);
// true when that changed. The caller then sizes the window, so its new client size goes out.
bool SetFillsWorkArea(HWND hwnd, bool fills);
bool FillsWorkArea(HWND hwnd);
// Whether the taskbar shows the "ok" of this window (lock held): the active window fills the
// work area and has the ok button (WS_EX_CAPTIONOKBTN). Drawing and taps both ask this.
bool ShowsOkInTaskbarLocked(const Window& w);
// Where that "ok" sits: the right end of the taskbar.
RECT TaskbarOkRectLocked();
// The input panel's keys, laid out over its rectangle.
struct SipKey {
    RECT rect;
    UINT vk;
    WCHAR ch;
    const wchar_t* label;
};
std::vector<SipKey> SipKeys(const RECT& panel);
// Top-level windows of this process hear a setting change (sent, across threads as needed).
void NotifyTopLevels(UINT msg, WPARAM wParam, LPARAM lParam);

// Message plumbing.
LRESULT SendMessageInternal(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT timeoutMs, bool* timedOut);
// input: the message is the user's stylus or key (see QueuedMessage).
BOOL PostMessageInternal(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, POINT pt, bool input = false);
void WakeQueue(ThreadQueue& q);
// Removes a window's timers and posted messages (lock held).
void ForgetWindowInQueue(ThreadQueue& q, HWND hwnd);
// Calls a timer procedure or window procedure of a dispatched message.
DWORD TickCount();

// Timers (lock held): a due timer's WM_TIMER for the filter, rescheduled when removed; when the
// next timer falls due.
bool TakeDueTimer(ThreadQueue& q, HWND filter, bool remove, MSG* out);
std::optional<Clock::time_point> NextTimerDue(const ThreadQueue& q);
// Whether a timer procedure still belongs to a live timer (a dispatched WM_TIMER's lParam).
bool IsLiveTimerProc(const ThreadQueue& q, HWND hwnd, UINT_PTR id, TIMERPROC proc);
// A thread ended: its windows go away without messages (lock held).
void RemoveWindowsOfQueue(ThreadQueue& q);
// Screen work done when a UI thread has nothing else to do: desktop background, shell bars and
// presenting the frame. Called unlocked.
void IdleScreenWork();
const DisplayHooks* CurrentDisplayHooks();
bool IsDisplayThread();
// The display thread's part of a long wait for the store: the wait cursor shown at once, and
// taken away (true when it was up) when the thread next does its idle screen work.
void ShowStoreWait();
bool EndStoreWait();
// The display thread's id, 0 when no back end runs.
DWORD DisplayThreadId();

// Focus and activation bookkeeping when a window goes away (lock held).
void ForgetWindowInInput(HWND hwnd);
// A key message taken from a queue: GetKeyState from now on says what that message says, as the
// device's key state follows the messages a thread has taken, not the keys pressed since.
void NoteKeyMessageTaken(const MSG& msg);
// Whether the Alt release just taken ended a press of Alt alone (no other key went down while it
// was held); answers once per release.
bool TakeAltReleasedAlone();

template <class F> void ForEachPaintOrder(F&& f) {
    WmState& s = Wm();
    struct Walker {
        WmState& s;
        F& f;
        void Walk(HWND h) {
            Window* w = Find(h);
            if (!w) return;
            f(*w);
            for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) Walk(*it);
        }
    } walker{s, f};
    std::vector<HWND> tops = s.topLevels;
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) walker.Walk(*it);
}

} // namespace device::ui
