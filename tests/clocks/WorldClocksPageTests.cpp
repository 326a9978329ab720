// The World Clocks page: first-start settings and the ones written back, the layout of each
// screen shape, the five clocks' texts at a fixed instant (with daylight saving north and south),
// the 12/24-hour switch, the tips balloon and the page's messages.

#include "ClocksPageSupport.h"

#include "clocks/ClockMessages.h"

namespace {

using namespace clockstest;

RECT ChildRect(CWnd& parent, CWnd& child) {
    RECT r{};
    child.GetWindowRect(&r);
    parent.ScreenToClient(&r);
    return r;
}

TEST_F(ClocksPageTest, FirstStartWritesTheDefaultsAndShowsTheTipsOnce) {
    CWorldClocksDlg& page = CreatePage();
    LONG status = 0;
    EXPECT_EQ(ReadClock(L"syncltz", &status), 0u);
    EXPECT_EQ(status, CRegistryKey::kFound);
    const LPCWSTR names[5] = {L"clock", L"clock1", L"clock2", L"clock3", L"clock4"};
    const DWORD defaults[5] = {0, 684, 756, 565, 988};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ReadClock(names[i], &status), defaults[i]) << i;
        EXPECT_EQ(status, CRegistryKey::kFound) << i;
        EXPECT_EQ(CWorldClocksDlg::s_clockCity[i], defaults[i]) << i;
    }
    CRegistryKey key;
    EXPECT_EQ(key.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"clktip"), 1u);
    EXPECT_TRUE(page.m_tipsStatic.IsWindowVisible());
    EXPECT_TRUE(page.m_tipsEdit.IsWindowVisible());
    EXPECT_TRUE(page.m_tipsCloseButton.IsWindowVisible());
    EXPECT_FALSE(page.m_twelveHour);

    // The second start leaves the tips down.
    DestroyPage();
    CWorldClocksDlg& again = CreatePage();
    EXPECT_FALSE(again.m_tipsStatic.IsWindowVisible());
}

TEST_F(ClocksPageTest, MissingValuesOfAnExistingKeyAreWrittenOnlyWhenThePageEnds) {
    CRegistryKey key;
    key.WriteDword(HKEY_LOCAL_MACHINE, kClockKey, L"clock", London);
    key.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"twelvehour", 2); // not 1: 24-hour
    CWorldClocksDlg& page = CreatePage();
    EXPECT_EQ(CWorldClocksDlg::s_clockCity[0], static_cast<DWORD>(London));
    EXPECT_EQ(CWorldClocksDlg::s_clockCity[1], 684u);
    EXPECT_FALSE(page.m_twelveHour);
    LONG status = 0;
    ReadClock(L"clock1", &status);
    EXPECT_EQ(status, CRegistryKey::kValueMissing);
    EXPECT_EQ(ReadClock(L"syncltz", &status), 0u); // a missing syncltz is written at once
    EXPECT_EQ(status, CRegistryKey::kFound);

    // A city change in the session is what the end writes back.
    page.LoadClockZones(London, StJohns, Delhi, NewYork, Auckland);
    DestroyPage();
    EXPECT_EQ(ReadClock(L"clock"), static_cast<DWORD>(London));
    EXPECT_EQ(ReadClock(L"clock1"), static_cast<DWORD>(StJohns));
    EXPECT_EQ(ReadClock(L"clock4"), static_cast<DWORD>(Auckland));

    // Cleared by the container before a re-creation: nothing is written.
    CWorldClocksDlg& second = CreatePage();
    second.LoadClockZones(Berlin, Berlin, Berlin, Berlin, Berlin);
    second.m_initialised = false;
    DestroyPage();
    EXPECT_EQ(ReadClock(L"clock"), static_cast<DWORD>(London));
}

struct ShapeCase {
    int screenW, screenH;
    int W, A;
    ClockScreenShape shape;
    RECT combo1; // city list of clock 1, client coordinates
};

TEST_F(ClocksPageTest, LayoutFollowsTheScreenShape) {
    WriteStandardClocks();
    const ShapeCase cases[] = {
        // 240 x 320: work area 240 x 294, A = 294 - 26 - 26.
        {240, 320, 240, 242, ClockScreenShape::Portrait, {2, 140, 119, 160}},
        {320, 240, 320, 162, ClockScreenShape::Landscape, {54, 87, 157, 107}},
        {240, 240, 240, 162, ClockScreenShape::Square, {44, 87, 117, 107}},
        // 320 x 320 is landscape with 80 pixels less clock area.
        // Tall screens lose 80 pixels of clock area, wide ones 80 of width.
        {640, 480, 640, 322, ClockScreenShape::Landscape, {107, 193, 317, 213}},
        {400, 240, 320, 162, ClockScreenShape::Landscape, {54, 87, 157, 107}},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.screenW) + "x" + std::to_string(c.screenH));
        DestroyPage();
        if (m_parent.m_hWnd) m_parent.DestroyWindow();
        device::ui::SetScreenShape(c.screenW, c.screenH);
        CWorldClocksDlg& page = CreatePage();
        ClockGeometry g = page.Geometry();
        EXPECT_EQ(g.W, c.W);
        EXPECT_EQ(g.A, c.A);
        EXPECT_EQ(g.shape, c.shape);
        RECT r = ChildRect(page, page.m_cityCombo[1]);
        EXPECT_EQ(r.left, c.combo1.left);
        EXPECT_EQ(r.top, c.combo1.top);
        EXPECT_EQ(r.right, c.combo1.right);
        EXPECT_FALSE(page.m_cityCombo[1].IsWindowVisible()); // shown only while its list is open
        // The home clock's list ends 2 pixels before the right edge of the effective width.
        EXPECT_EQ(ChildRect(page, page.m_cityCombo[0]).right, g.W - 2);
        // Laying out again does not reduce the geometry twice.
        page.SendMessage(WM_SETTINGCHANGE, SPI_SETWORKAREA);
        EXPECT_EQ(page.Geometry().W, c.W);
    }
}

TEST_F(ClocksPageTest, FiveClocksAtAFixedInstantInSummer) {
    // 15 July 2026 10:20:30, device zone UTC; London (home, +1 in summer) is the reference.
    WriteStandardClocks();
    CWorldClocksDlg& page = CreatePage();
    EXPECT_EQ(page.m_refHours, 1);
    EXPECT_EQ(page.m_refMinutes, 0);
    const wchar_t* times[5] = {L"10:20:30", L"11:20:30", L"14:50:30", L"05:20:30", L"21:20:30"};
    const int zones[5] = {0, 2, 530, -4, 12};
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(page.m_timeText[i], times[i]) << i;
        EXPECT_EQ(page.m_zone[i], zones[i]) << i;
    }
    EXPECT_EQ(page.m_dstApplied[1], 1);
    EXPECT_EQ(page.m_dstApplied[4], 0); // Auckland's summer is in the other half of the year
    EXPECT_STREQ(page.m_dateText[0], L"15/07/2026    Wed");
    EXPECT_STREQ(page.m_dateText[3], L"15/07 Wed");

    EXPECT_STREQ(page.GetClockTimeText(1), L"London: 15/07, 10:20");
    EXPECT_STREQ(page.GetClockTimeText(3), L"Delhi: 15/07 Wed, 14:50");
    EXPECT_STREQ(page.GetClockTimeText(6), L"");
    EXPECT_STREQ(page.GetClockCityName(4), L"Auckland");
    EXPECT_STREQ(page.GetClockCityName(5), L"");

    page.SetTwelveHourMode(1);
    EXPECT_STREQ(page.GetClockTimeText(1), L"London: 15/07, 10:20 AM");
    EXPECT_STREQ(page.GetClockTimeText(3), L"Delhi: 15/07 Wed, 02:50 PM");
    EXPECT_STREQ(page.GetClockTimeText(5), L"Auckland: 15/07 Wed, 09:20 PM");
    // Painting puts the time texts in twelve-hour form; leaving the mode rebuilds them at once.
    page.Invalidate();
    device::display::test::PumpUntilIdle();
    EXPECT_STREQ(page.m_timeText[4], L"09:20:30");
    page.SetTwelveHourMode(0);
    EXPECT_STREQ(page.m_timeText[4], L"21:20:30");
    EXPECT_STREQ(page.GetClockTimeText(5), L"Auckland: 15/07 Wed, 21:20");
}

TEST_F(ClocksPageTest, SouthernSummerIsAppliedBeforeItsEndInTheNewYear) {
    // 15 January: London in winter (reference 0), Auckland inside the window that opened in
    // September of the year before.
    device::SetDeviceClock("2026-01-15T10:00:00Z");
    WriteStandardClocks();
    CWorldClocksDlg& page = CreatePage();
    EXPECT_EQ(page.m_refHours, 0);
    EXPECT_EQ(page.m_zone[4], 13);
    EXPECT_EQ(page.m_dstApplied[4], 1);
    EXPECT_STREQ(page.m_timeText[4], L"23:00:00");
    EXPECT_STREQ(page.m_timeText[1], L"11:00:00"); // Berlin in winter
    EXPECT_STREQ(page.m_timeText[3], L"05:00:00"); // New York in winter
}

TEST_F(ClocksPageTest, SynchronisedZoneTakesTheDevicesStandardZone) {
    ASSERT_TRUE(device::SetDeviceZone("Asia/Kolkata")); // 330 minutes east
    WriteStandardClocks(1);
    CWorldClocksDlg& page = CreatePage();
    EXPECT_EQ(page.m_refHours, 5);
    EXPECT_EQ(page.m_refMinutes, 30);
    // The home clock now shows London's summer time, computed from the city.
    EXPECT_EQ(page.m_zone[0], 1);
    EXPECT_STREQ(page.m_timeText[0], L"11:20:30");
    EXPECT_STREQ(page.m_timeText[2], L"15:50:30");

    // A device in its own summer time: the reference is the zone its clock shows (UTC+2 in
    // Berlin in July), so every clock reads the same as without synchronisation.
    DestroyPage();
    ASSERT_TRUE(device::SetDeviceZone("Europe/Berlin"));
    CWorldClocksDlg& summer = CreatePage();
    EXPECT_EQ(summer.m_refHours, 2);
    EXPECT_STREQ(summer.m_timeText[0], L"11:20:30"); // London
    EXPECT_STREQ(summer.m_timeText[1], L"12:20:30"); // Berlin
    EXPECT_STREQ(summer.m_timeText[3], L"06:20:30"); // New York

    // Without synchronisation the home clock is the device's own zone as an offset.
    DestroyPage();
    ASSERT_TRUE(device::SetDeviceZone("Asia/Kolkata"));
    WriteStandardClocks(0);
    CWorldClocksDlg& local = CreatePage();
    EXPECT_EQ(local.m_zone[0], 530);
    EXPECT_STREQ(local.m_timeText[0], L"15:50:30");
}

TEST_F(ClocksPageTest, TipsBalloonStandsOnTheClockArea) {
    CWorldClocksDlg& page = CreatePage();
    RECT frame = ChildRect(page, page.m_tipsStatic);
    EXPECT_EQ(frame.bottom, page.m_clockArea + 3);
    EXPECT_EQ(frame.right - frame.left, 230);
    EXPECT_EQ(frame.left, 120 - 115);
    const int portraitHeight = frame.bottom - frame.top;
    RECT button = ChildRect(page, page.m_tipsCloseButton);
    EXPECT_EQ(button.bottom - button.top, 17);
    CString text;
    page.m_tipsEdit.GetWindowText(text);
    EXPECT_EQ(std::wstring(text).rfind(L"Top Clock represents your Home Location", 0), 0u);

    page.m_tipsCloseButton.Click();
    device::display::test::PumpUntilIdle();
    EXPECT_FALSE(page.m_tipsStatic.IsWindowVisible());
    EXPECT_FALSE(page.m_tipsEdit.IsWindowVisible());
    EXPECT_FALSE(page.m_tipsCloseButton.IsWindowVisible());

    // Fewer lines on a landscape screen, as many as its wider lines need to show the whole text,
    // still standing on the clock area.
    device::display::test::Rotate();
    page.SendMessage(WM_SETTINGCHANGE, SPI_SETWORKAREA);
    page.ShowTips();
    RECT wide = ChildRect(page, page.m_tipsStatic);
    EXPECT_GE(wide.top, 0);
    EXPECT_GT(portraitHeight, wide.bottom - wide.top);
    EXPECT_EQ(wide.bottom, page.m_clockArea + 3);
}

TEST_F(ClocksPageTest, HidePageMessageAndEnterKey) {
    WriteStandardClocks();
    CWorldClocksDlg& page = CreatePage();
    page.SendMessage(WM_COMMAND, IDOK);
    device::display::test::PumpUntilIdle();
    EXPECT_TRUE(::IsWindow(page.m_hWnd));
    EXPECT_TRUE(page.IsWindowVisible());
    EXPECT_EQ(page.SendMessage(WM_APP_HIDE_PAGE), 1);
    EXPECT_FALSE(page.IsWindowVisible());
}

} // namespace
