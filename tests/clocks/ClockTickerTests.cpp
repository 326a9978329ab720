// The clock ticker and the page's timed refresh: posts and the minute flag, the stop rule, the
// areas each tick invalidates, the date change at midnight, daylight saving entered by a tick,
// and zone changes picked up while the page runs.

#include "ClocksPageSupport.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using namespace clockstest;

class TimerCounter : public CWnd {
public:
    int timers = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER && wParam == 0 && lParam == 0) ++timers;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// Pumps until the condition holds or 20 seconds have passed; only a safety net, nothing timed.
template <typename F>
bool PumpUntil(F condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        device::display::test::PumpUntilIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST_F(ClocksPageTest, TickerPostsRaisesTheMinuteFlagAndStopsForGood) {
    TimerCounter window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, L"Ticks", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    ClockTicker ticker;
    ASSERT_TRUE(ticker.Start(window.m_hWnd, 2));
    EXPECT_FALSE(ticker.Start(window.m_hWnd, 2)); // one ticker at a time
    EXPECT_EQ(ticker.Window(), window.m_hWnd);
    ASSERT_TRUE(PumpUntil([&] { return window.timers >= 61; }));
    // The flag went up after the sixtieth post, before the sixty-first.
    EXPECT_TRUE(ticker.TakeMinuteFlag());
    EXPECT_FALSE(ticker.TakeMinuteFlag());

    ticker.Stop();
    EXPECT_FALSE(ticker.IsRunning());
    EXPECT_EQ(ticker.Window(), nullptr);
    device::display::test::PumpUntilIdle();
    const int stopped = window.timers;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    device::display::test::PumpUntilIdle();
    EXPECT_EQ(window.timers, stopped);
    window.DestroyWindow();
}

TEST_F(ClocksPageTest, PageTicksOnItsOwnAndItsEndStopsTheTicker) {
    device::SetDeviceClock("2026-07-15T10:20:30Z+"); // running from there
    WriteStandardClocks();
    CWorldClocksDlg& page = CreatePage(5);
    EXPECT_TRUE(page.Ticker().IsRunning());
    const CString first = page.m_timeText[0];
    EXPECT_TRUE(PumpUntil([&] { return page.m_timeText[0] != first; }));
    page.DestroyWindow();
    EXPECT_FALSE(page.Ticker().IsRunning());
    device::display::test::PumpUntilIdle(); // ticks left in the queue find no page
    // A page created again has its own ticker.
    CWorldClocksDlg& again = CreatePage(5);
    EXPECT_TRUE(again.Ticker().IsRunning());
}

class ClockRefreshTest : public ClocksPageTest {
protected:
    // Sends one tick and reports which client points it invalidated.
    struct Invalid {
        HRGN region = nullptr;
        ~Invalid() {
            if (region) ::DeleteObject(region);
        }
        bool At(int x, int y) const { return ::PtInRegion(region, x, y) != FALSE; }
    };
    void Tick(CWorldClocksDlg& page, Invalid& invalid) {
        device::display::test::PumpUntilIdle(); // paints what is pending
        page.SendMessage(WM_TIMER, 0, 0);
        invalid.region = ::CreateRectRgn(0, 0, 0, 0);
        ::GetUpdateRgn(page.m_hWnd, invalid.region, FALSE);
    }
    static POINT Inside(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
};

TEST_F(ClockRefreshTest, EachTickInvalidatesOnlyWhatChanged) {
    WriteStandardClocks();
    CWorldClocksDlg& page = CreatePage();
    const ClockGeometry g = page.Geometry();
    POINT tenSeconds = Inside(g.TenSecondCell());
    POINT time1 = Inside(g.TimeCell(1));
    POINT date4 = Inside(g.DateCell(4));
    POINT face2 = ClockGeometry::FaceCentre(g.FaceRect(2));
    {
        // 10:20:30: the ten-second cell only.
        Invalid invalid;
        Tick(page, invalid);
        EXPECT_TRUE(invalid.At(tenSeconds.x, tenSeconds.y));
        EXPECT_FALSE(invalid.At(time1.x, time1.y));
        EXPECT_FALSE(invalid.At(date4.x, date4.y));
        EXPECT_FALSE(invalid.At(face2.x, face2.y));
    }
    {
        // The minute flag asks for everything.
        page.Ticker().RaiseMinuteFlag();
        Invalid invalid;
        Tick(page, invalid);
        EXPECT_TRUE(invalid.At(time1.x, time1.y));
        EXPECT_TRUE(invalid.At(date4.x, date4.y));
        EXPECT_TRUE(invalid.At(face2.x, face2.y));
        EXPECT_EQ(page.m_fullRepaint, 0);
    }
}

TEST_F(ClockRefreshTest, ATickPresentsOneFrameOfOnlyWhatItMoved) {
    WriteStandardClocks();
    CWorldClocksDlg& page = CreatePage();
    device::display::test::PumpUntilIdle();
    const ClockGeometry g = page.Geometry();
    POINT origin{0, 0};
    ::ClientToScreen(page.m_hWnd, &origin);
    // What the tick from 10:20:30 to 10:20:31 may change: the ten-second cell and the faces.
    std::vector<RECT> cells{g.TenSecondCell()};
    for (int clock = 0; clock < 5; ++clock) cells.push_back(g.FaceRect(clock));
    for (RECT& r : cells) ::OffsetRect(&r, origin.x, origin.y);

    // The same second again draws the same picture: no frame.
    const uint64_t before = device::ui::GetPresentedFrames().count;
    page.SendMessage(WM_TIMER, 0, 0);
    device::display::test::PumpUntilIdle();
    EXPECT_EQ(device::ui::GetPresentedFrames().count, before);

    device::SetDeviceClock("2026-07-15T10:20:31Z");
    page.SendMessage(WM_TIMER, 0, 0);
    device::display::test::PumpUntilIdle();
    const device::ui::PresentedFrames frames = device::ui::GetPresentedFrames();
    EXPECT_EQ(frames.count, before + 1) << "one frame for the tick";
    ASSERT_FALSE(frames.last.empty());
    long long area = 0;
    for (const RECT& r : frames.last) {
        area += static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
        bool inside = std::any_of(cells.begin(), cells.end(), [&](const RECT& c) {
            return r.left >= c.left && r.top >= c.top && r.right <= c.right && r.bottom <= c.bottom;
        });
        EXPECT_TRUE(inside) << r.left << "," << r.top << " to " << r.right << "," << r.bottom;
    }
    EXPECT_LT(area, 240 * 320 / 10) << "the seconds hands, not the screen";
}

TEST_F(ClockRefreshTest, NewMinuteAndMidnight) {
    device::SetDeviceClock("2026-07-15T12:34:59Z");
    WriteStandardClocks();
    CWorldClocksDlg& page = CreatePage();
    const ClockGeometry g = page.Geometry();
    device::SetDeviceClock("2026-07-15T12:35:00Z");
    {
        Invalid invalid;
        Tick(page, invalid);
        for (int clock = 0; clock < 5; ++clock) {
            POINT t = Inside(g.TimeCell(clock));
            EXPECT_TRUE(invalid.At(t.x, t.y)) << clock;
            POINT f = ClockGeometry::FaceCentre(g.FaceRect(clock));
            EXPECT_TRUE(invalid.At(f.x, f.y)) << clock; // faces repainted at second 0
        }
        POINT d = Inside(g.DateCell(3));
        EXPECT_FALSE(invalid.At(d.x, d.y));
        EXPECT_STREQ(page.m_timeText[0], L"12:35:00");
    }
    device::SetDeviceClock("2026-07-15T23:59:59Z");
    {
        Invalid invalid;
        Tick(page, invalid);
    }
    device::SetDeviceClock("2026-07-16T00:00:00Z");
    Invalid invalid;
    Tick(page, invalid);
    for (int clock = 0; clock < 5; ++clock) {
        POINT d = Inside(g.DateCell(clock));
        EXPECT_TRUE(invalid.At(d.x, d.y)) << clock;
    }
    EXPECT_STREQ(page.m_dateText[0], L"16/07/2026    Thu");
    EXPECT_EQ(page.m_hourDigestA % 100, 0);
    EXPECT_EQ(page.m_hourDigestA / 10000, 4); // Delhi at 04:30
}

TEST_F(ClockRefreshTest, ACityClocksOwnMidnightRedrawsItsDateAtOnce) {
    // Home London in summer time (the device's clock shows its wall time): New York's midnight
    // comes at 05:00 home time, not at the home clock's midnight.
    device::SetDeviceClock("2026-07-15T04:59:59Z");
    WriteStandardClocks();
    CWorldClocksDlg& page = CreatePage();
    const ClockGeometry g = page.Geometry();
    EXPECT_STREQ(page.m_dateText[3], L"14/07 Tue");
    device::SetDeviceClock("2026-07-15T05:00:00Z");
    Invalid invalid;
    Tick(page, invalid);
    EXPECT_STREQ(page.m_dateText[3], L"15/07 Wed");
    POINT newYork = Inside(g.DateCell(3)), berlin = Inside(g.DateCell(1));
    EXPECT_TRUE(invalid.At(newYork.x, newYork.y));
    EXPECT_FALSE(invalid.At(berlin.x, berlin.y));
}

TEST_F(ClockRefreshTest, ClocksThatGoBackAtMidnightKeepTheirDateOnTheTickTheyChange) {
    // A city whose summer time ends at its midnight (23:00 standard time): 23:59:59 summer time
    // on 4 April is followed by 23:00:00 standard time on the same day.
    testsupport::WriteDeviceFile(
        testsupport::InProgramFolder(L"cities.lst"),
        std::string(kCityList).replace(0, std::string("Test cities\n6\n").size(), "Test cities\n7\n") +
            "America/Santiago;Santiago;Chile;-70;-33;-4;1;249;0;94;23\n");
    device::SetDeviceClock("2026-04-05T03:59:59Z"); // 04:59:59 summer time at home in London
    WriteClockSettings(London, Berlin, Delhi, NewYork, 5);
    CWorldClocksDlg& page = CreatePage();
    EXPECT_STREQ(page.m_timeText[4], L"23:59:59");
    EXPECT_STREQ(page.m_dateText[4], L"04/04 Sat");
    device::SetDeviceClock("2026-04-05T04:00:00Z");
    Invalid invalid;
    Tick(page, invalid);
    EXPECT_STREQ(page.m_timeText[4], L"23:00:00");
    EXPECT_STREQ(page.m_dateText[4], L"04/04 Sat");
    POINT date = Inside(page.Geometry().DateCell(4));
    EXPECT_FALSE(invalid.At(date.x, date.y)); // the date it shows did not change
}

TEST_F(ClockRefreshTest, DaylightSavingStartsAtTheFirstTickAfterItsHour) {
    // New York opens its window on day 70 (11 March) at 02:00 city time, 07:00 UTC; London is
    // still in winter, so the reference is 0.
    device::SetDeviceClock("2026-03-11T06:59:59Z");
    WriteStandardClocks();
    CWorldClocksDlg& page = CreatePage();
    EXPECT_EQ(page.m_dstApplied[3], 0);
    EXPECT_STREQ(page.m_timeText[3], L"01:59:59");
    device::SetDeviceClock("2026-03-11T07:00:00Z");
    Invalid invalid;
    Tick(page, invalid);
    EXPECT_EQ(page.m_dstApplied[3], 1);
    EXPECT_EQ(page.m_zone[3], -4);
    EXPECT_STREQ(page.m_timeText[3], L"03:00:00");
}

TEST_F(ClockRefreshTest, WindowsOfTheNewYearAreTakenWhileThePageRuns) {
    device::SetDeviceClock("2026-12-31T23:59:59Z");
    WriteStandardClocks();
    CWorldClocksDlg& page = CreatePage();
    EXPECT_EQ(page.m_dstApplied[3], 0);
    // Months later, inside New York's 2027 window.
    device::SetDeviceClock("2027-03-20T12:00:00Z");
    Invalid invalid;
    Tick(page, invalid);
    EXPECT_EQ(page.m_dstApplied[3], 1);
    EXPECT_STREQ(page.m_timeText[3], L"08:00:00");
}

TEST_F(ClockRefreshTest, HomeCitysOwnDaylightSavingReachesTheReferenceWithinAMinute) {
    // London (home) opens its window on 31 March at 01:00; the device's clock shows home time.
    ASSERT_TRUE(device::SetDeviceZone("UTC"));
    device::SetDeviceClock("2026-03-31T00:59:59Z");
    WriteStandardClocks(0);
    CWorldClocksDlg& page = CreatePage();
    EXPECT_EQ(page.m_refHours, 0);
    device::SetDeviceClock("2026-03-31T01:00:30Z");
    {
        Invalid invalid;
        Tick(page, invalid);
    }
    page.Ticker().RaiseMinuteFlag();
    Invalid invalid;
    Tick(page, invalid);
    EXPECT_EQ(page.m_refHours, 1);
    EXPECT_STREQ(page.m_timeText[2], L"05:30:30"); // Delhi: 01:00 home summer time + 4:30
}

} // namespace
