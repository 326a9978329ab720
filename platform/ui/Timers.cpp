// Window and thread timers. A timer makes WM_TIMER only when its thread's queue has nothing else
// to give, and never more than one at a time: a slow handler skips ticks instead of piling them up.

#include "platform/ui/WindowManager.h"

#include <algorithm>

namespace device::ui {

namespace {
constexpr UINT kMinElapse = 10;  // shorter periods are raised to this
}

bool TakeDueTimer(ThreadQueue& q, HWND filter, bool remove, MSG* out) {
    auto now = Clock::now();
    Timer* best = nullptr;
    for (Timer& t : q.timers) {
        if (t.due > now) continue;
        if (filter && filter != reinterpret_cast<HWND>(static_cast<intptr_t>(-1)) && t.hwnd != filter) continue;
        if (!best || t.due < best->due) best = &t;
    }
    if (!best) return false;
    *out = MSG{best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc), 0, {0, 0}};
    if (remove) best->due = now + std::chrono::milliseconds(best->elapse);
    return true;
}

std::optional<Clock::time_point> NextTimerDue(const ThreadQueue& q) {
    std::optional<Clock::time_point> next;
    for (const Timer& t : q.timers)
        if (!next || t.due < *next) next = t.due;
    return next;
}

bool IsLiveTimerProc(const ThreadQueue& q, HWND hwnd, UINT_PTR id, TIMERPROC proc) {
    return std::any_of(q.timers.begin(), q.timers.end(),
                       [&](const Timer& t) { return t.hwnd == hwnd && t.id == id && t.proc == proc; });
}

} // namespace device::ui

using namespace device::ui;

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    std::shared_ptr<ThreadQueue> me = CurrentQueue();
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    std::shared_ptr<ThreadQueue> q = me;
    if (hwnd) {
        Window* w = FindOrError(hwnd);
        if (!w) return 0;
        // A window's timers run on its own thread.
        if (w->queue != me) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
    } else {
        // Thread timers get an id of the system's choosing.
        id = ++s.nextTimerId;
    }
    elapse = std::max(elapse, kMinElapse);
    auto due = Clock::now() + std::chrono::milliseconds(elapse);
    for (Timer& t : q->timers)
        if (t.hwnd == hwnd && t.id == id) {
            t.elapse = elapse;
            t.proc = proc;
            t.due = due;
            WakeQueue(*q);
            return hwnd ? (id ? id : 1) : id;
        }
    q->timers.push_back(Timer{hwnd, id, elapse, proc, due});
    WakeQueue(*q);
    return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    std::shared_ptr<ThreadQueue> q = CurrentQueue();
    std::lock_guard lock(Wm().lock);
    if (hwnd) {
        // A window's timers live in its own thread's queue, whoever kills them.
        Window* w = FindOrError(hwnd);
        if (!w) return FALSE;
        q = w->queue;
    }
    auto& timers = q->timers;
    auto it = std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == timers.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    timers.erase(it);
    return TRUE;
}
