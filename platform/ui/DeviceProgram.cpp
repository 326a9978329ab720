// The display thread's chores for a device program: raising due user notifications, ending on
// request, coming to the front on request.

#include "platform/ui/DeviceProgram.h"

#include "platform/system/DeviceTime.h"
#include "platform/system/Notifications.h"
#include "platform/system/ProcessEnd.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowManager.h"

#include <atomic>
#include <mutex>
#include <string>

namespace device::ui {

namespace {

constexpr auto kCheckEvery = std::chrono::seconds(1);
// A check runs up to this much early when the thread is awake anyway (a page's tick), and its
// wait may end this much late: it shares the ticks' wake-ups instead of adding one of its own.
constexpr auto kCheckSlack = std::chrono::milliseconds(400);
// Longer texts are shown cut (the store keeps them whole): a box must fit on the screen.
constexpr size_t kMaxShownText = 1024;

std::atomic<bool> g_raising{false};
std::atomic<bool> g_frontWanted{false};
std::atomic<int> g_frontCount{0};
std::mutex g_lock;
Clock::time_point g_nextCheck{};
std::vector<RaisedNotification> g_raised;
thread_local bool t_inChores = false;

// Wakes the display thread's queue (lock not held).
void WakeDisplayThread(bool quit) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    auto it = s.queues.find(DisplayThreadId());
    if (it == s.queues.end() || !it->second->alive) return;
    if (quit) {
        it->second->quit = true;
        it->second->quitCode = 0;
    }
    WakeQueue(*it->second);
}

std::wstring Shown(const WCHAR* text) {
    std::wstring s = text ? text : L"";
    if (s.size() > kMaxShownText) s = s.substr(0, kMaxShownText) + L"...";
    return s;
}

void Raise(HANDLE notification) {
    const device::NotificationCopy copy(notification);
    const CE_USER_NOTIFICATION* user = copy.User();
    if (!user) return; // a trigger that only names an application: nothing to show here
    if (user->ActionFlags & PUN_SOUND) MessageBeep(MB_OK);
    RaisedNotification raised;
    if (user->ActionFlags & PUN_DIALOG) {
        raised.title = Shown(user->pwszDialogTitle);
        if (raised.title.empty()) raised.title = L"Notification";
        raised.text = Shown(user->pwszDialogText);
        raised.box = ShowNotificationBox(raised.title, raised.text);
    }
    std::lock_guard lock(g_lock);
    g_raised.push_back(std::move(raised));
}

void BringToFront() {
    // The front window of this program: the first visible top-level one in the z-order.
    HWND front = nullptr;
    {
        WmState& s = Wm();
        std::lock_guard lock(s.lock);
        for (HWND h : s.topLevels) {
            Window* w = Find(h);
            if (w && (w->style & WS_VISIBLE)) {
                front = h;
                break;
            }
        }
    }
    if (front) SetForegroundWindow(front);
    if (const DisplayHooks* hooks = CurrentDisplayHooks(); hooks && hooks->raise) hooks->raise();
    ++g_frontCount;
}

} // namespace

void EnableNotificationRaising(bool on) {
    {
        std::lock_guard lock(g_lock);
        g_nextCheck = Clock::time_point{};
    }
    g_raising = on;
    if (on) WakeDisplayThread(false);
}

int RaiseDueNotifications() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    now.wMilliseconds = 0;
    uint64_t ticks = 0;
    if (!SystemTimeTicks(now, ticks)) return 0;
    // A read first: most checks find nothing, and then no process takes the write lock.
    if (DueNotifications(ticks).empty()) return 0;
    std::vector<HANDLE> taken = TakeDueNotifications(ticks);
    for (HANDLE h : taken) Raise(h);
    return static_cast<int>(taken.size());
}

std::vector<RaisedNotification> RaisedNotifications() {
    std::lock_guard lock(g_lock);
    return g_raised;
}

void RequestProgramEnd() {
    device::RequestProcessEnd();
    WakeDisplayThread(true);
}

bool IsProgramEnding() {
    return device::ProcessEndRequested();
}

void RequestBringToFront() {
    g_frontWanted = true;
    WakeDisplayThread(false);
}

int BringToFrontCount() { return g_frontCount; }

void RunDisplayChores() {
    if (t_inChores) return;
    t_inChores = true;
    if (g_frontWanted.exchange(false)) BringToFront();
    if (g_raising && !IsProgramEnding()) {
        bool check = false;
        {
            std::lock_guard lock(g_lock);
            auto now = Clock::now();
            if (now + kCheckSlack >= g_nextCheck) {
                g_nextCheck = now + kCheckEvery;
                check = true;
            }
        }
        if (check) RaiseDueNotifications();
    }
    t_inChores = false;
}

bool NextDisplayChore(Clock::time_point& when) {
    if (g_frontWanted) {
        when = Clock::now();
        return true;
    }
    if (!g_raising || IsProgramEnding()) return false;
    std::lock_guard lock(g_lock);
    when = g_nextCheck + kCheckSlack;
    return true;
}

} // namespace device::ui
