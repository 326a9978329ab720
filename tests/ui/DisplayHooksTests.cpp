// The hook a display back end registers: its pump runs while the display thread waits, frames are
// presented when the picture changed and the thread is idle, and the wait cursor shows at once; a
// back end that waits for host events itself is woken by other threads' messages and by timers.

#include "UiTestSupport.h"

#include "platform/system/DeviceDb.h"
#include "platform/system/DeviceRoot.h"
#include "platform/ui/WindowManager.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace uitest;
using namespace std::chrono_literals;

namespace {

std::atomic<int> g_pumps{0};
std::atomic<int> g_presents{0};
std::atomic<int> g_beeps{0};
std::atomic<int> g_busyPresents{0}; // frames presented with the wait cursor up

class DisplayHooks : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        g_pumps = g_presents = g_beeps = 0;
        m_hooks.pump = [] { ++g_pumps; };
        m_hooks.present = [] {
            ++g_presents;
            if (device::ui::IsBusyCursor()) ++g_busyPresents;
            device::ui::WithPresentedFrame([](const device::gdi::Bitmap&, const std::vector<RECT>&) {});
        };
        m_hooks.beep = [](UINT) { ++g_beeps; };
        m_hooks.pollMs = 10;
        device::ui::SetDisplayHooks(&m_hooks);
    }
    void TearDown() override {
        device::ui::SetDisplayHooks(nullptr);
        UiTest::TearDown();
    }
    device::ui::DisplayHooks m_hooks;
};

TEST_F(DisplayHooks, WaitsPumpTheBackEndAndIdlePresents) {
    HWND w = Top(0, 26, 50, 50);
    device::ui::PumpUntilIdle();
    EXPECT_GE(g_presents.load(), 1) << "the first paint was shown";
    int presents = g_presents;
    device::ui::PumpUntilIdle();
    EXPECT_EQ(g_presents.load(), presents) << "nothing new, nothing presented";
    InvalidateRect(w, nullptr, TRUE);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(g_presents.load(), presents) << "the same picture painted again, nothing presented";
    PaintColours()[w] = RGB(200, 30, 30);
    InvalidateRect(w, nullptr, TRUE);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(g_presents.load(), presents + 1);
    PaintColours().erase(w);

    g_pumps = 0;
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT), WAIT_TIMEOUT);
    EXPECT_GE(g_pumps.load(), 3) << "host events are looked at while waiting";

    // Other threads neither pump nor present.
    int pumps = g_pumps;
    std::thread other([] {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    });
    other.join();
    EXPECT_LE(g_pumps.load(), pumps);
    MessageBeep(MB_OK);
    EXPECT_EQ(g_beeps.load(), 1);
}

TEST_F(DisplayHooks, TheWaitCursorShowsAtOnce) {
    device::ui::PumpUntilIdle();
    int presents = g_presents;
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(g_presents.load(), presents + 1) << "presented before any message is pumped";
    SetCursor(old);
    EXPECT_EQ(g_presents.load(), presents + 2);
}

// The display thread blocked in a wait for a store another program holds shows the wait cursor
// once the wait has lasted a moment (a short wait shows nothing), and takes it away when it is
// next idle.
TEST_F(DisplayHooks, ALongWaitForAHeldStoreShowsTheWaitCursorUntilTheThreadIsIdle) {
    Top(0, 26, 50, 50);
    device::ui::PumpUntilIdle();
    auto* db = device::DeviceDb::Get();
    ASSERT_NE(db, nullptr);
    ASSERT_TRUE(db->EnsureSchema("CREATE TABLE IF NOT EXISTS w(v INTEGER)"));
    const auto usualWait = device::BusyStoreWait();
    device::SetBusyStoreWait(3000ms);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(device::DatabaseFile().c_str(), &other), SQLITE_OK);
    auto heldFor = [&](std::chrono::milliseconds held) {
        EXPECT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        std::thread release([&] {
            std::this_thread::sleep_for(held);
            sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        });
        g_busyPresents = 0;
        EXPECT_TRUE(db->Write([](sqlite3* h) { return device::Statement(h, "INSERT INTO w VALUES(1)").Run(); }));
        release.join();
    };
    heldFor(20ms);
    EXPECT_EQ(g_busyPresents.load(), 0) << "a wait of a moment shows nothing";
    heldFor(device::kStoreWaitShownAfter + 300ms);
    EXPECT_EQ(g_busyPresents.load(), 1) << "shown once, during the wait";
    EXPECT_TRUE(device::ui::IsBusyCursor());
    const int presents = g_presents;
    device::ui::PumpUntilIdle();
    EXPECT_FALSE(device::ui::IsBusyCursor());
    EXPECT_EQ(g_presents.load(), presents + 1) << "the frame without the wait cursor went out";
    sqlite3_close(other);
    device::SetBusyStoreWait(usualWait);
}

// A back end that waits for host events of its own: it sleeps until woken (or 5 s, so that a
// missing wake fails the test instead of hanging it) and counts its waits.
namespace waiting {
std::mutex g_lock;
std::condition_variable g_cv;
bool g_woken = false;
std::atomic<int> g_waits{0};
void Wait(int timeoutMs) {
    ++g_waits;
    std::unique_lock lock(g_lock);
    auto limit = std::chrono::milliseconds(timeoutMs < 0 ? 5000 : std::min(timeoutMs, 5000));
    g_cv.wait_for(lock, limit, [] { return g_woken; });
    g_woken = false;
}
void Wake() {
    std::lock_guard lock(g_lock);
    g_woken = true;
    g_cv.notify_all();
}
} // namespace waiting

class WaitingBackEnd : public DisplayHooks {
protected:
    void SetUp() override {
        DisplayHooks::SetUp();
        m_hooks.pollMs = 0;
        m_hooks.wait = waiting::Wait;
        m_hooks.wake = waiting::Wake;
        waiting::g_waits = 0;
        m_window = Top(0, 26, 50, 50);
        device::ui::PumpUntilIdle();
    }
    // The next message for the window, and how long it took to come.
    std::chrono::milliseconds Next(UINT& message) {
        auto start = std::chrono::steady_clock::now();
        MSG m{};
        GetMessageW(&m, m_window, 0, 0);
        message = m.message;
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    }
    HWND m_window = nullptr;
};

TEST_F(WaitingBackEnd, OtherThreadsPostsSendsAndBroadcastsEndTheWaitAtOnce) {
    HWND w = m_window;
    std::thread poster([w] {
        std::this_thread::sleep_for(100ms);
        PostMessageW(w, WM_APP + 1, 0, 0);
    });
    UINT message = 0;
    auto took = Next(message);
    poster.join();
    EXPECT_EQ(message, WM_APP + 1u);
    EXPECT_LT(took, 1000ms) << "woken by the post, not by the back end's own time-out";
    EXPECT_LE(waiting::g_waits.load(), 3) << "waited, did not poll";

    std::thread broadcaster([] {
        std::this_thread::sleep_for(100ms);
        PostMessageW(HWND_BROADCAST, WM_APP + 2, 0, 0);
    });
    took = Next(message);
    broadcaster.join();
    EXPECT_EQ(message, WM_APP + 2u);
    EXPECT_LT(took, 1000ms);

    // A message sent from another thread is handled while the display thread waits for its own.
    std::atomic<bool> answered{false};
    std::thread sender([w, &answered] {
        std::this_thread::sleep_for(100ms);
        SendMessageW(w, WM_APP + 3, 0, 0);
        answered = true;
        PostMessageW(w, WM_APP + 4, 0, 0);
    });
    took = Next(message);
    sender.join();
    EXPECT_TRUE(answered.load());
    EXPECT_EQ(message, WM_APP + 4u);
    EXPECT_LT(took, 1000ms);
}

TEST_F(WaitingBackEnd, ATimerFiresOnTimeWithNothingElseHappening) {
    ASSERT_TRUE(SetTimer(m_window, 5, 300, nullptr));
    UINT message = 0;
    auto took = Next(message);
    KillTimer(m_window, 5);
    EXPECT_EQ(message, static_cast<UINT>(WM_TIMER));
    EXPECT_GE(took, 290ms);
    EXPECT_LT(took, 1000ms) << "the wait ended at the timer's time";
    EXPECT_LE(waiting::g_waits.load(), 3) << "one wait for the timer, not a poll";
}

} // namespace
