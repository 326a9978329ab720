// The hook a display back end registers: its pump runs while the display thread waits, frames are
// presented when the screen changed and the thread is idle, and the wait cursor shows at once.

#include "UiTestSupport.h"

#include "platform/ui/WindowManager.h"

#include <atomic>
#include <chrono>
#include <thread>

using namespace uitest;
using namespace std::chrono_literals;

namespace {

std::atomic<int> g_pumps{0};
std::atomic<int> g_presents{0};
std::atomic<int> g_beeps{0};

class DisplayHooks : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        g_pumps = g_presents = g_beeps = 0;
        m_hooks.pump = [] { ++g_pumps; };
        m_hooks.present = [] { ++g_presents; };
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
    EXPECT_EQ(g_presents.load(), presents + 1);

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

} // namespace
