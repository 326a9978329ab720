// Message queues: one per thread. Posting from any thread, sending within a thread (a direct
// call) or across threads (delivered on the window's thread while the sender waits and keeps
// handling messages sent to itself), retrieval in the device's order (sent, posted, quit, paint,
// timers) and waiting without busy loops.
//
// [SECTION] Queues and threads
// [SECTION] Sending
// [SECTION] Posting
// [SECTION] Retrieval and waiting
// [SECTION] Dispatching

#include "platform/system/DeviceDb.h"
#include "platform/ui/Broadcast.h"
#include "platform/ui/DeviceProgram.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WindowManager.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace device::ui {

namespace {

constexpr int kMaxSendDepth = 256;          // deeper nesting of SendMessage fails instead of overflowing
constexpr size_t kMaxPosted = 1000000;      // a runaway poster gets an error, not all the memory
constexpr DWORD kErrorStackOverflow = 1001; // ERROR_STACK_OVERFLOW
constexpr DWORD kErrorNotEnoughQuota = 1816;

thread_local int t_sendDepth = 0;

void ThreadEnded(const std::shared_ptr<ThreadQueue>& q);

struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~QueueHolder() {
        if (queue) ThreadEnded(queue);
    }
};
thread_local QueueHolder t_holder;

std::atomic<const DisplayHooks*> g_hooks{nullptr};
std::atomic<DWORD> g_displayThread{0};
std::atomic<uint64_t> g_userActions{0};

// The user's input that starts something: a stylus or key going down, a character typed on its
// own, the taskbar's ok. The rest of a tap or key (its up, a drag) belongs to what it started.
bool StartsUserAction(const QueuedMessage& m) {
    if (!m.input) return false;
    switch (m.message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_COMMAND:
        return true;
    default:
        return false;
    }
}

void ThreadEnded(const std::shared_ptr<ThreadQueue>& q) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    q->alive = false;
    // Whoever waits for this thread gets an answer of 0 now.
    for (auto& sm : q->sent) {
        sm->done = true;
        if (sm->sender) WakeQueue(*sm->sender);
    }
    q->sent.clear();
    q->posted.clear();
    q->timers.clear();
    RemoveWindowsOfQueue(*q);
    auto it = s.queues.find(q->threadId);
    if (it != s.queues.end() && it->second == q) s.queues.erase(it);
}

// Handles the first message sent to this thread (lock held; unlocked during the call).
void HandleOneSent(std::unique_lock<std::mutex>& lk, ThreadQueue& q) {
    std::shared_ptr<SentMessage> sm = q.sent.front();
    q.sent.pop_front();
    Window* w = Find(sm->hwnd);
    WNDPROC proc = w ? w->proc : nullptr;
    q.handling.push_back(sm);
    lk.unlock();
    LRESULT r = 0;
    if (proc) {
        ++t_sendDepth;
        r = proc(sm->hwnd, sm->msg, sm->wParam, sm->lParam);
        --t_sendDepth;
    }
    lk.lock();
    q.handling.erase(std::find(q.handling.begin(), q.handling.end(), sm));
    if (!sm->replied) sm->result = r;
    sm->done = true;
    if (sm->sender) WakeQueue(*sm->sender);
}

bool InRange(UINT msg, UINT first, UINT last) { return (first == 0 && last == 0) || (msg >= first && msg <= last); }

bool MatchesWindow(HWND msgHwnd, HWND filter) {
    if (!filter) return true;
    if (filter == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) return msgHwnd == nullptr;
    if (msgHwnd == filter) return true;
    Window* w = Find(msgHwnd);
    while (w && w->parent) {
        if (w->parent == filter) return true;
        w = Find(w->parent);
    }
    return false;
}

} // namespace

// [SECTION] Queues and threads -----------------------------------------------------------------

DWORD CurrentThreadId() {
    thread_local DWORD id = static_cast<DWORD>(syscall(SYS_gettid));
    return id;
}

std::shared_ptr<ThreadQueue> CurrentQueue() {
    if (!t_holder.queue) {
        auto q = std::make_shared<ThreadQueue>();
        q->threadId = CurrentThreadId();
        std::lock_guard lock(Wm().lock);
        Wm().queues[q->threadId] = q;
        t_holder.queue = q;
    }
    return t_holder.queue;
}

void WakeQueue(ThreadQueue& q) {
    ++q.generation;
    q.cv.notify_all();
    // The display thread may be waiting in its back end for host events rather than on its queue.
    if (q.threadId == g_displayThread.load(std::memory_order_relaxed) && q.threadId != CurrentThreadId())
        if (const DisplayHooks* hooks = g_hooks.load(); hooks && hooks->wake) hooks->wake();
}

DWORD TickCount() {
    static const Clock::time_point start = Clock::now();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

void SetDisplayHooks(const DisplayHooks* hooks) {
    // Under the lock, which every WakeQueue holds: once this returns, no other thread still calls
    // the hooks it replaced. A new back end shows the whole screen first.
    std::lock_guard lock(Wm().lock);
    g_displayThread = hooks ? CurrentThreadId() : 0;
    g_hooks = hooks;
    device::SetStoreWaitHook(hooks ? &ShowStoreWait : nullptr);
    Wm().frames.Forget();
    Wm().presented = PresentedFrames{};
    Wm().screenDirty = true;
}

const DisplayHooks* CurrentDisplayHooks() { return g_hooks.load(); }
bool IsDisplayThread() { return g_hooks.load() && g_displayThread.load() == CurrentThreadId(); }
DWORD DisplayThreadId() { return g_hooks.load() ? g_displayThread.load() : 0; }

// [SECTION] Sending ----------------------------------------------------------------------------

LRESULT SendMessageInternal(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT timeoutMs, bool* timedOut) {
    if (timedOut) *timedOut = false;
    std::shared_ptr<ThreadQueue> me = CurrentQueue();
    WmState& s = Wm();
    std::unique_lock lk(s.lock);
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    std::shared_ptr<ThreadQueue> target = w->queue;
    if (target == me) {
        WNDPROC proc = w->proc;
        lk.unlock();
        if (t_sendDepth >= kMaxSendDepth) {
            SetLastError(kErrorStackOverflow);
            return 0;
        }
        ++t_sendDepth;
        LRESULT r = proc ? proc(hwnd, msg, wParam, lParam) : 0;
        --t_sendDepth;
        return r;
    }
    if (!target || !target->alive) return 0;
    auto sm = std::make_shared<SentMessage>();
    sm->hwnd = hwnd;
    sm->msg = msg;
    sm->wParam = wParam;
    sm->lParam = lParam;
    sm->sender = me;
    target->sent.push_back(sm);
    WakeQueue(*target);
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!sm->done) {
        if (!me->sent.empty()) {
            // Messages sent to us while we wait are handled now, so two threads sending to each
            // other never deadlock.
            HandleOneSent(lk, *me);
            continue;
        }
        uint64_t gen = me->generation;
        if (timeoutMs == INFINITE) {
            me->cv.wait(lk, [&] { return sm->done || me->generation != gen; });
        } else if (!me->cv.wait_until(lk, deadline, [&] { return sm->done || me->generation != gen; })) {
            // Gave up: the message is withdrawn if not yet taken, and its answer is ignored.
            auto it = std::find(target->sent.begin(), target->sent.end(), sm);
            if (it != target->sent.end()) target->sent.erase(it);
            sm->sender = nullptr;
            if (timedOut) *timedOut = true;
            SetLastError(ERROR_TIMEOUT);
            return 0;
        }
    }
    return sm->result;
}

} // namespace device::ui

using namespace device::ui;

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd == HWND_BROADCAST) {
        BroadcastMessage(msg, wParam, lParam, BroadcastKind::Send, kBroadcastSendTimeoutMs);
        return 0;
    }
    return SendMessageInternal(hwnd, msg, wParam, lParam, INFINITE, nullptr);
}

LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT, UINT timeout,
                            PDWORD_PTR result) {
    if (hwnd == HWND_BROADCAST) {
        BroadcastMessage(msg, wParam, lParam, BroadcastKind::Send, timeout);
        if (result) *result = 0;
        return 1;
    }
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    bool timedOut = false;
    LRESULT r = SendMessageInternal(hwnd, msg, wParam, lParam, timeout == INFINITE ? INFINITE - 1 : timeout, &timedOut);
    if (timedOut) return 0;
    if (result) *result = static_cast<DWORD_PTR>(r);
    return 1;
}

BOOL SendNotifyMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd == HWND_BROADCAST) {
        BroadcastMessage(msg, wParam, lParam, BroadcastKind::Post, 0);
        return TRUE;
    }
    std::shared_ptr<ThreadQueue> me = CurrentQueue();
    {
        std::lock_guard lock(Wm().lock);
        Window* w = FindOrError(hwnd);
        if (!w) return FALSE;
        if (w->queue != me) {
            if (!w->queue->alive) return FALSE;
            auto sm = std::make_shared<SentMessage>();
            sm->hwnd = hwnd;
            sm->msg = msg;
            sm->wParam = wParam;
            sm->lParam = lParam;
            w->queue->sent.push_back(sm);
            WakeQueue(*w->queue);
            return TRUE;
        }
    }
    SendMessageW(hwnd, msg, wParam, lParam);
    return TRUE;
}

BOOL InSendMessage() {
    std::shared_ptr<ThreadQueue> me = CurrentQueue();
    std::lock_guard lock(Wm().lock);
    return me->handling.empty() ? FALSE : TRUE;
}

BOOL ReplyMessage(LRESULT result) {
    std::shared_ptr<ThreadQueue> me = CurrentQueue();
    std::lock_guard lock(Wm().lock);
    if (me->handling.empty()) return FALSE;
    auto& sm = me->handling.back();
    if (sm->replied) return FALSE;
    sm->result = result;
    sm->replied = true;
    sm->done = true;
    if (sm->sender) WakeQueue(*sm->sender);
    return TRUE;
}

// [SECTION] Posting ----------------------------------------------------------------------------

namespace device::ui {

BOOL PostMessageInternal(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, POINT pt, bool input) {
    std::shared_ptr<ThreadQueue> target;
    if (!hwnd) target = CurrentQueue();
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    if (hwnd) {
        Window* w = FindOrError(hwnd);
        if (!w) return FALSE;
        target = w->queue;
    }
    if (!target || !target->alive) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (target->posted.size() >= kMaxPosted) {
        SetLastError(kErrorNotEnoughQuota);
        return FALSE;
    }
    target->posted.push_back(QueuedMessage(MSG{hwnd, msg, wParam, lParam, TickCount(), pt}, input));
    WakeQueue(*target);
    return TRUE;
}

void ForgetWindowInQueue(ThreadQueue& q, HWND hwnd) {
    q.posted.erase(std::remove_if(q.posted.begin(), q.posted.end(), [&](const MSG& m) { return m.hwnd == hwnd; }),
                   q.posted.end());
    q.timers.erase(std::remove_if(q.timers.begin(), q.timers.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
                   q.timers.end());
}

} // namespace device::ui

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd == HWND_BROADCAST) {
        BroadcastMessage(msg, wParam, lParam, BroadcastKind::Post, 0);
        return TRUE;
    }
    POINT pt;
    {
        std::lock_guard lock(Wm().lock);
        pt = Wm().cursor;
    }
    return PostMessageInternal(hwnd, msg, wParam, lParam, pt);
}

BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    auto it = s.queues.find(threadId);
    if (it == s.queues.end() || !it->second->alive) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (it->second->posted.size() >= kMaxPosted) {
        SetLastError(kErrorNotEnoughQuota);
        return FALSE;
    }
    it->second->posted.push_back(MSG{nullptr, msg, wParam, lParam, TickCount(), s.cursor});
    WakeQueue(*it->second);
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    std::shared_ptr<ThreadQueue> me = CurrentQueue();
    std::lock_guard lock(Wm().lock);
    me->quit = true;
    me->quitCode = exitCode;
    WakeQueue(*me);
}

// [SECTION] Retrieval and waiting --------------------------------------------------------------

namespace {

// DEVICE_QUIT_AT_IDLE set: the first time this thread would wait for a message while one of its
// top-level windows is shown (and everything is painted), it gets WM_QUIT instead, so the
// program ends as soon as its first screen is up (start-up timing). With DEVICE_ANSWER_AT_IDLE=n
// as well, the first n such waits instead press OK in the active window (the dialogs a first
// start asks), and the next one quits. Lock held.
bool QuitAtFirstIdle(WmState& s, ThreadQueue& q) {
    static std::atomic<bool> armed{std::getenv("DEVICE_QUIT_AT_IDLE") != nullptr};
    static std::atomic<int> answers{[] {
        const char* n = std::getenv("DEVICE_ANSWER_AT_IDLE");
        return n ? std::max(0, std::atoi(n)) : 0;
    }()};
    if (!armed.load(std::memory_order_relaxed)) return false;
    bool shown = std::any_of(s.topLevels.begin(), s.topLevels.end(), [&](HWND h) {
        Window* w = Find(h);
        return w && w->queue.get() == &q && (w->style & WS_VISIBLE);
    });
    if (!shown) return false;
    Window* active = s.active ? Find(s.active) : nullptr;
    if (active && active->queue.get() == &q && answers.load() > 0) {
        answers.fetch_sub(1);
        q.posted.push_back(MSG{s.active, WM_COMMAND, IDOK, 0, TickCount(), s.cursor});
        return true;
    }
    if (armed.exchange(false) == false) return false;
    q.quit = true;
    q.quitCode = 0;
    return true;
}

// The window and every ancestor take input (lock held).
bool TakesInput(const Window& w) {
    for (const Window* c = &w; c; c = c->parent ? Find(c->parent) : nullptr)
        if (c->style & WS_DISABLED) return false;
    return true;
}

// The user's stylus and keys are routed as they are read, not as they were given: a tap or key
// given before a box opened (a second quick tap on the button that opens it, keys typed ahead)
// finds the window under the box disabled. A tap on a window that no longer takes input is
// dropped, unless the window holds the capture (a drag begun before); a key goes to the focus,
// or the active window, of the same thread when they take input, else nowhere. Returns false
// when the message is dropped (lock held).
bool RouteUserInput(WmState& s, ThreadQueue& q, QueuedMessage& m) {
    if (!m.input || !m.hwnd) return true;
    Window* w = Find(m.hwnd);
    if (!w || TakesInput(*w)) return true;
    const bool key = m.message == WM_KEYDOWN || m.message == WM_KEYUP || m.message == WM_CHAR;
    if (!key) return s.capture == m.hwnd && m.message != WM_COMMAND;
    for (HWND h : {s.focus, s.active}) {
        Window* to = h ? Find(h) : nullptr;
        if (to && to->queue.get() == &q && TakesInput(*to)) {
            m.hwnd = h;
            return true;
        }
    }
    return false;
}

// The next message for the calling thread. remove: PM_REMOVE. Waits up to deadline when wait is
// set; returns false when nothing came.
bool NextMessage(MSG* out, HWND filter, UINT first, UINT last, UINT remove, bool wait,
                 std::optional<Clock::time_point> deadline) {
    std::shared_ptr<ThreadQueue> q = CurrentQueue();
    WmState& s = Wm();
    for (;;) {
        const DisplayHooks* hooks = CurrentDisplayHooks();
        bool displayThread = IsDisplayThread();
        if (displayThread && hooks->pump) hooks->pump();
        if (displayThread) RunDisplayChores();
        std::unique_lock lk(s.lock);
        while (!q->sent.empty()) HandleOneSent(lk, *q);
        for (auto it = q->posted.begin(); it != q->posted.end();) {
            if (!RouteUserInput(s, *q, *it)) {
                it = q->posted.erase(it);
                continue;
            }
            if (!InRange(it->message, first, last) || !MatchesWindow(it->hwnd, filter)) {
                ++it;
                continue;
            }
            *out = *it;
            if (remove & PM_REMOVE) {
                if (StartsUserAction(*it)) g_userActions.fetch_add(1, std::memory_order_relaxed);
                q->posted.erase(it);
                NoteKeyMessageTaken(*out);
            }
            q->last = *out;
            return true;
        }
        if (q->quit && InRange(WM_QUIT, first, last)) {
            *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q->quitCode), 0, TickCount(), s.cursor};
            if (remove & PM_REMOVE) q->quit = false;
            q->last = *out;
            return true;
        }
        if (InRange(WM_PAINT, first, last)) {
            HWND h = NextWindowToPaint(*q);
            if (h && MatchesWindow(h, filter)) {
                *out = MSG{h, WM_PAINT, 0, 0, TickCount(), s.cursor};
                q->last = *out;
                return true;
            }
        }
        if (InRange(WM_TIMER, first, last) && TakeDueTimer(*q, filter, (remove & PM_REMOVE) != 0, out)) {
            out->time = TickCount();
            out->pt = s.cursor;
            q->last = *out;
            return true;
        }
        uint64_t gen = q->generation;
        lk.unlock();
        IdleScreenWork();
        lk.lock();
        if (q->generation != gen || !q->sent.empty()) continue;
        if (!wait) return false;
        if (QuitAtFirstIdle(s, *q)) continue;
        std::optional<Clock::time_point> until = deadline;
        if (auto due = NextTimerDue(*q)) until = until ? std::min(*until, *due) : *due;
        if (Clock::time_point chore; displayThread && NextDisplayChore(chore))
            until = until ? std::min(*until, chore) : chore;
        if (displayThread && hooks->wait) {
            // The back end waits for its host's events; another thread's WakeQueue ends the wait,
            // and what was posted before it began is in its queue already (generation checked).
            int ms = -1;
            if (until) {
                auto left = std::chrono::ceil<std::chrono::milliseconds>(*until - Clock::now()).count();
                ms = static_cast<int>(std::clamp<long long>(left, 0, 24 * 3600 * 1000));
            }
            if (ms != 0) {
                lk.unlock();
                hooks->wait(ms);
                lk.lock();
            }
        } else {
            if (displayThread && hooks->pollMs > 0) {
                auto poll = Clock::now() + std::chrono::milliseconds(hooks->pollMs);
                until = until ? std::min(*until, poll) : poll;
            }
            auto woken = [&] { return q->generation != gen; };
            if (until) q->cv.wait_until(lk, *until, woken);
            else q->cv.wait(lk, woken);
        }
        if (deadline && Clock::now() >= *deadline && q->generation == gen) {
            // One last look for timers that fell due at the deadline.
            if (!q->sent.empty() || (NextTimerDue(*q) && *NextTimerDue(*q) <= Clock::now())) continue;
            return false;
        }
    }
}

} // namespace

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT first, UINT last) {
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (hwnd && hwnd != reinterpret_cast<HWND>(static_cast<intptr_t>(-1)) && !IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    NextMessage(msg, hwnd, first, last, PM_REMOVE, true, std::nullopt);
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT remove) {
    MSG local;
    return NextMessage(msg ? msg : &local, hwnd, first, last, remove, false, std::nullopt) ? TRUE : FALSE;
}

BOOL WaitMessage() {
    MSG m;
    NextMessage(&m, nullptr, 0, 0, PM_NOREMOVE, true, std::nullopt);
    return TRUE;
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE*, BOOL, DWORD milliseconds, DWORD) {
    if (count != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    MSG m;
    std::optional<Clock::time_point> deadline;
    if (milliseconds != INFINITE) deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    return NextMessage(&m, nullptr, 0, 0, PM_NOREMOVE, true, deadline) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

DWORD GetQueueStatus(UINT flags) {
    std::shared_ptr<ThreadQueue> q = CurrentQueue();
    std::lock_guard lock(Wm().lock);
    DWORD status = 0;
    if (!q->posted.empty()) status |= QS_POSTMESSAGE;
    if (!q->sent.empty()) status |= QS_SENDMESSAGE;
    if (NextWindowToPaint(*q)) status |= QS_PAINT;
    if (auto due = NextTimerDue(*q); due && *due <= Clock::now()) status |= QS_TIMER;
    for (const MSG& m : q->posted) {
        if (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) status |= QS_KEY;
        if (m.message == WM_MOUSEMOVE) status |= QS_MOUSEMOVE;
        else if (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) status |= QS_MOUSEBUTTON;
    }
    status &= flags;
    return MAKELONG(status, status);
}

DWORD GetMessagePos() {
    std::shared_ptr<ThreadQueue> q = CurrentQueue();
    std::lock_guard lock(Wm().lock);
    return static_cast<DWORD>(MAKELONG(static_cast<WORD>(q->last.pt.x), static_cast<WORD>(q->last.pt.y)));
}

LONG GetMessageTime() {
    std::shared_ptr<ThreadQueue> q = CurrentQueue();
    std::lock_guard lock(Wm().lock);
    return static_cast<LONG>(q->last.time);
}

// [SECTION] Dispatching ------------------------------------------------------------------------

LRESULT DispatchMessageW(const MSG* msg) {
    if (!msg) return 0;
    std::shared_ptr<ThreadQueue> q = CurrentQueue();
    WmState& s = Wm();
    if (msg->message == WM_TIMER && msg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        {
            // Only a procedure of a live timer is called, never a made-up pointer.
            std::lock_guard lock(s.lock);
            if (!IsLiveTimerProc(*q, msg->hwnd, msg->wParam, proc)) return 0;
        }
        proc(msg->hwnd, WM_TIMER, msg->wParam, TickCount());
        return 0;
    }
    if (!msg->hwnd) return 0;
    WNDPROC proc;
    {
        std::lock_guard lock(s.lock);
        Window* w = FindOrError(msg->hwnd);
        if (!w || w->queue != q) return 0;
        proc = w->proc;
        if (msg->message == WM_PAINT) w->painted = false;
    }
    LRESULT r = proc ? proc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
    if (msg->message == WM_PAINT) {
        // A handler that neither painted nor validated would get WM_PAINT forever.
        std::lock_guard lock(s.lock);
        Window* w = Find(msg->hwnd);
        if (w && !w->painted) {
            ClearUpdate(*w);
            w->frame = false;
        }
    }
    return r;
}

uint64_t device::ui::UserActionSerial() {
    return g_userActions.load(std::memory_order_relaxed);
}

int device::ui::PumpUntilIdle(int limit) {
    int count = 0;
    MSG msg;
    while (count < limit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Left for the program's own loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        ++count;
    }
    return count;
}
