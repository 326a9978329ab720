// The city information of the clocks: the sun times of the city information dialog against
// known values, the facts of the summary with their daylight-saving state, the dates handed on,
// the forecast's four-day limit, and the dialog as drawn with its day picture.

#include "ClockDialogsTestSupport.h"
#include "clocks/CityInfoDlg.h"
#include "clocks/ScrollableForm.h"
#include "clocks/ClockCityInfo.h"
#include "core/CitiesDb.h"
#include "core/WeatherDb.h"
#include "support/DeviceFileAccess.h"
#include "support/Screenshots.h"
#include "support/TzdataFixture.h"
#include "weather/ForecastDlg.h"
#include "worldmap/SunTimes.h"

#include <cstdlib>

namespace {

using clocktests::ClockDialogTest;

// Minutes of an "HH:MM" text.
int Minutes(const CString& text) {
    std::wstring s = text.Str();
    return std::stoi(s.substr(0, 2)) * 60 + std::stoi(s.substr(3, 2));
}

CString SunText(int lon, int lat, const wchar_t* offset, int day, int month, int year, int which) {
    CCityInfoDlg dlg;
    dlg.m_longitude.Format(L"%d", lon);
    dlg.m_latitude.Format(L"%d", lat);
    dlg.m_currentOffset = offset;
    dlg.ComputeSunTimes(day, month, year);
    return which == 0 ? dlg.m_sunrise : which == 1 ? dlg.m_sunset : dlg.m_dayLength;
}

TEST(CityInfoSunTimes, MatchTheReferenceComputation) {
    EXPECT_EQ(SunText(0, 51, L"0", 21, 3, 2010, 0), L"06:01");
    EXPECT_EQ(SunText(0, 51, L"0", 21, 3, 2010, 1), L"18:12");
    EXPECT_EQ(SunText(0, 51, L"0", 21, 3, 2010, 2), L"12:11");
    EXPECT_EQ(SunText(0, 51, L"1", 21, 6, 2010, 0), L"04:46");
    EXPECT_EQ(SunText(0, 51, L"1", 21, 6, 2010, 1), L"21:17");
    EXPECT_EQ(SunText(0, 51, L"1", 21, 6, 2010, 2), L"16:30");
}

TEST(CityInfoSunTimes, OnTheDayTheClocksGoBackTheSummerOffsetOfNowIsNotTheDays) {
    // London at 00:30 summer time on 25 October 2026: the sun rises and sets after the change.
    CCityInfoDlg dlg;
    dlg.m_longitude = L"0";
    dlg.m_latitude = L"51";
    dlg.m_currentOffset = L"1";
    dlg.m_dstRule = ParseDstRule(L"1:88:1:298:1", 0);
    dlg.m_standardOffset = 0;
    dlg.ComputeSunTimes(25, 10, 2026);
    EXPECT_EQ(dlg.m_sunrise, SunText(0, 51, L"0", 25, 10, 2026, 0));
    EXPECT_EQ(dlg.m_sunset, SunText(0, 51, L"0", 25, 10, 2026, 1));
    dlg.ComputeSunTimes(24, 10, 2026);
    EXPECT_EQ(dlg.m_sunrise, SunText(0, 51, L"1", 24, 10, 2026, 0));
}

TEST(CityInfoSunTimes, AgreeWithPublishedTimesWithinMinutes) {
    struct Case {
        const char* city;
        int lon, lat;
        const wchar_t* offset;
        int day, month, year;
        const char* rise;
        const char* set;
    } cases[] = {
        // Published almanac times (local clock time, daylight saving included).
        {"New York", -74, 41, L"-4", 21, 6, 2010, "05:25", "20:31"},
        {"Sydney", 151, -34, L"10", 21, 6, 2010, "07:00", "16:54"},
        {"Mumbai", 73, 19, L"530", 1, 1, 2010, "07:13", "18:13"},
        {"Buenos Aires", -58, -35, L"-3", 21, 12, 2010, "05:41", "20:06"},
    };
    for (const Case& c : cases) {
        const int rise = Minutes(SunText(c.lon, c.lat, c.offset, c.day, c.month, c.year, 0));
        const int set = Minutes(SunText(c.lon, c.lat, c.offset, c.day, c.month, c.year, 1));
        // Whole-degree positions and the short model: within eight minutes.
        EXPECT_LE(std::abs(rise - Minutes(CString(std::wstring(c.rise, c.rise + 5).c_str()))), 8) << c.city;
        EXPECT_LE(std::abs(set - Minutes(CString(std::wstring(c.set, c.set + 5).c_str()))), 8) << c.city;
    }
}

TEST(CityInfoSunTimes, OffsetsInHoursAndMinutesAndTheDayWrap) {
    const int base = Minutes(SunText(0, 0, L"0", 1, 1, 2010, 0));
    EXPECT_EQ(Minutes(SunText(0, 0, L"530", 1, 1, 2010, 0)), base + 330);
    EXPECT_EQ(Minutes(SunText(0, 0, L"5", 1, 1, 2010, 0)), base + 300);
    EXPECT_EQ(Minutes(SunText(0, 0, L"-330", 1, 1, 2010, 0)) + 210, base);
    // A sunrise past midnight loses 24 hours once.
    EXPECT_EQ(Minutes(SunText(0, 0, L"18", 1, 1, 2010, 0)), base + 18 * 60 - 24 * 60);
    // Texts that are not numbers count as 0.
    EXPECT_EQ(SunText(0, 0, L"x", 1, 1, 2010, 0), SunText(0, 0, L"0", 1, 1, 2010, 0));
    // Polar night: no day at all, and no rise and set times.
    EXPECT_EQ(SunText(0, 80, L"0", 21, 12, 2010, 2), L"00:00");
    EXPECT_EQ(SunText(0, 80, L"0", 21, 12, 2010, 0), L"--:--");
}

TEST(CityInfoSunTimes, AgreeWithTheMapWhenATimeCrossesMidnight) {
    // Vorkuta (+3) on 1 June: sunrise before midnight the evening before, as the map shows it.
    const SunTimes map = ComputeSunTimes(1, 6, 2026, 64, 67, 3);
    EXPECT_GT(map.sunrise, 22.0);
    EXPECT_EQ(SunText(64, 67, L"3", 1, 6, 2026, 0), map.sunriseText);
    EXPECT_EQ(SunText(64, 67, L"3", 1, 6, 2026, 1), map.sunsetText);
    // Apia (+13) just after the September equinox: no time of a day and a half.
    EXPECT_EQ(SunText(-172, -14, L"13", 22, 9, 2026, 0), L"06:20");
    EXPECT_EQ(SunText(-172, -14, L"13", 22, 9, 2026, 1), L"18:21");
}

class ClockCityInfoTest : public ClockDialogTest {
protected:
    void SetUp() override {
        ClockDialogTest::SetUp();
        // name, country, longitude, latitude, offset, rule (";"-separated fields)
        WriteList({"Zone/A;Delhi;India;77;28;530;0;0;0;0;0", "Zone/B;Kathmandu;Nepal;85;27;545;1;110;0;200;0",
                   "Zone/C;Pune;India;73;18;530;1;100;2;101;2", "Zone/D;Honolulu;USA;-157;21;-10;0;0;0;0;0",
                   "Zone/E;Cairo;Egypt;31;30;2;0;0;0;0;0"});
        m_cities.Open();
    }
    void WriteList(const std::vector<std::string>& lines) {
        std::string text = "title\n" + std::to_string(lines.size()) + "\n";
        for (const auto& line : lines) text += line + "\n";
        std::filesystem::path host;
        ASSERT_TRUE(device::ResolveDevicePath(L"\\Program Files\\Jorvana\\cities.lst", host));
        std::filesystem::create_directories(host.parent_path());
        std::ofstream(host, std::ios::binary) << text;
    }
    DWORD IndexOf(const wchar_t* name) {
        for (DWORD i = 0; i < 5; ++i)
            if (m_cities.GetName(i) == name) return i;
        ADD_FAILURE() << "no city";
        return 0;
    }
    CCitiesDb m_cities;
};

// A form only a little taller than its window (the city information on a landscape screen)
// must still move under its arrows; longer forms keep their fiftieth and tenth.
TEST(FormScrolling, ShortRangesStillMoveByLinesAndPages) {
    EXPECT_EQ(FormScrollChange(SB_LINEDOWN, 0, 0, 42, false), 10);
    EXPECT_EQ(FormScrollChange(SB_LINEDOWN, 0, 37, 42, false), 5);
    EXPECT_EQ(FormScrollChange(SB_LINEUP, 0, 4, 42, false), -4);
    EXPECT_EQ(FormScrollChange(SB_PAGEDOWN, 0, 0, 42, false), 10);
    EXPECT_EQ(FormScrollChange(SB_LINEDOWN, 0, 0, 300, false), 6);
    EXPECT_EQ(FormScrollChange(SB_PAGEDOWN, 0, 0, 300, false), 30);
}

TEST_F(ClockCityInfoTest, ACityWithoutDaylightSavingNeverObservesIt) {
    ClockCityFacts facts = BuildClockCityFacts(m_cities, IndexOf(L"Delhi"), 0, 0);
    EXPECT_EQ(facts.longitude, L"77");
    EXPECT_EQ(facts.latitude, L"28");
    EXPECT_EQ(facts.observing, L"Never observing");
    EXPECT_EQ(facts.period, L"-");
    EXPECT_EQ(facts.offsetText, L"5h30");
    EXPECT_EQ(facts.currentOffset, L"530");
    EXPECT_EQ(facts.summary, L"City: Delhi\nCountry: India\nLong: 77 Lat: 28\nDaylight saving: Never observing\n"
                             L"DST start/end: -\nGmt: 5h30");
    EXPECT_EQ(BuildClockCityFacts(m_cities, IndexOf(L"Honolulu"), 0, 0).offsetText, L"-10h");
    EXPECT_EQ(BuildClockCityFacts(m_cities, IndexOf(L"Cairo"), 0, 0).offsetText, L"2h");
}

TEST_F(ClockCityInfoTest, InsideTheWindowTheShiftIsAddedAndNamed) {
    // 1 May 2010 is day 121: inside Kathmandu's window (days 110-200), outside Pune's (100-101).
    ClockCityFacts inside = BuildClockCityFacts(m_cities, IndexOf(L"Kathmandu"), 0, 0);
    EXPECT_EQ(inside.observing, L"Observing now");
    EXPECT_EQ(inside.currentOffset, L"645");
    EXPECT_EQ(inside.offsetText, L"5h45 + 1h (DST)");
    EXPECT_EQ(inside.period, L"20/4/2010 - 19/7/2010");
    EXPECT_NE(inside.summary.Find(L"\nGmt: 5h45 + 1h (DST)"), -1);

    ClockCityFacts outside = BuildClockCityFacts(m_cities, IndexOf(L"Pune"), 0, 0);
    EXPECT_EQ(outside.observing, L"Not observing now");
    EXPECT_EQ(outside.currentOffset, L"530");
    EXPECT_EQ(outside.offsetText, L"5h30");
    EXPECT_EQ(outside.period, L"10/4/2010 - 11/4/2010");
    // The dialog gets the rule and the standard offset to read each sun time on its own clock.
    EXPECT_EQ(inside.standardOffset, 545);
    EXPECT_EQ(inside.rule.shift, 1);
    EXPECT_EQ(inside.rule.startDay, 110);
}

// Cuba's summer of 2026 runs to 7 November 2027, so the rule of the list's year opens on
// 1 January and no weekday gives its later windows: they come year by year from dstyears.lst
// (tzdata: 12 March - 5 November 2028). Without that file, or with a damaged one, the rule reads
// as before: its bounds moved to the same weekdays.
TEST_F(ClockDialogTest, ACubanCitysWindowInAnotherYearIsTzdatasAndWithoutThePerYearFileTheMovedOne) {
    // A machine whose tzdata lacks the zone: the city reads its list's rule and the per-year file.
    testsupport::TempFolder noZones("jorvana-nozones-");
    testsupport::ScopedTzdir tzdir(noZones.Path());
    const std::string data = JORVANA_DATA_DIR;
    testsupport::CopyToDevice(data + "/cities.lst", testsupport::InProgramFolder(L"cities.lst"));
    auto havana = [](const char* clock) {
        device::SetDeviceClock(clock);
        CCitiesDb cities;
        cities.Open();
        EXPECT_TRUE(cities.FindCity(L"Havana:Cuba"));
        return BuildClockCityFacts(cities, cities.GetCurrentIndex(), 0, 0);
    };
    // No file: the moved window, the city wrongly inside it.
    ClockCityFacts facts = havana("2028-02-01T12:00:00Z");
    EXPECT_EQ(facts.period, L"7/1/2028 - 5/11/2028");
    EXPECT_EQ(facts.observing, L"Observing now");
    // A file cut short, or with one field that is no number, is not used at all.
    std::ifstream in(data + "/dstyears.lst", std::ios::binary);
    const std::string shipped((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t field = shipped.find(";2028:72:");
    ASSERT_NE(field, std::string::npos);
    for (const std::string& damaged :
         {shipped.substr(0, shipped.size() / 2), std::string(shipped).replace(field, 9, ";2028:7x:")}) {
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"dstyears.lst"), damaged);
        EXPECT_EQ(havana("2028-02-01T12:00:00Z").period, L"7/1/2028 - 5/11/2028");
    }

    testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"dstyears.lst"), shipped);
    facts = havana("2028-02-01T12:00:00Z");
    EXPECT_EQ(facts.period, L"12/3/2028 - 5/11/2028");
    EXPECT_EQ(facts.observing, L"Not observing now");
    EXPECT_EQ(facts.currentOffset, L"-5");
    EXPECT_NE(facts.summary.Find(L"\nDST start/end: 12/3/2028 - 5/11/2028\n"), -1);
    // The year before the list's, after 8 March, and the list's year up to 7 November: summer time.
    for (const char* clock : {"2026-12-11T20:00:00Z", "2027-11-07T04:59:00Z"}) {
        facts = havana(clock);
        EXPECT_EQ(facts.observing, L"Observing now") << clock;
        EXPECT_EQ(facts.currentOffset, L"-4") << clock;
    }
    // The file cuts that summer at the new year; the user is shown one summer.
    EXPECT_EQ(facts.period, L"8/3/2026 - 7/11/2027");
    facts = havana("2027-11-07T05:01:00Z");
    EXPECT_EQ(facts.currentOffset, L"-5");
    EXPECT_EQ(facts.period, L"8/3/2026 - 7/11/2027");
}

TEST(ClockDateFromTextTest, TakesTheYearOnlyFromADateThatHasOne) {
    int d = 0, m = 0, y = 0;
    ClockDateFromText(L"21/06/2009", 2010, d, m, y);
    EXPECT_EQ(d, 21);
    EXPECT_EQ(m, 6);
    EXPECT_EQ(y, 2009);
    ClockDateFromText(L"03/11 Wed", 2010, d, m, y);
    EXPECT_EQ(d, 3);
    EXPECT_EQ(m, 11);
    EXPECT_EQ(y, 2010);
}

TEST_F(ClockCityInfoTest, AForecastIsCurrentForFourDaysAfterItsDate) {
    auto at = [](const char* iso) {
        device::SetDeviceClock(iso);
        return CTime::GetCurrentTime().GetTime();
    };
    EXPECT_TRUE(IsForecastCurrent(L"01/03/2010", at("2010-03-05T23:59:59Z")));
    EXPECT_FALSE(IsForecastCurrent(L"01/03/2010", at("2010-03-06T00:00:00Z")));
    EXPECT_FALSE(IsForecastCurrent(L"", at("2010-03-01T00:00:00Z")));
    EXPECT_FALSE(IsForecastCurrent(L"99/99/2010", at("2010-03-01T00:00:00Z")));
}

TEST_F(ClockCityInfoTest, TheSunIconOpensOnlyACurrentForecast) {
    std::filesystem::path host;
    ASSERT_TRUE(device::ResolveDevicePath(L"\\Program Files\\Jorvana\\cities.wet", host));
    std::ofstream(host, std::ios::binary) << "2\nFrance;Paris;A1\nNorway;Oslo;B2\n";
    CWeatherDb weather;
    weather.Open();
    weather.UpdateCity(L"Paris", L"A1", L"", L"29/04/2010:France", 1);

    ASSERT_TRUE(device::ResolveDevicePath(L"\\Program Files\\Jorvana\\mapping.cfg", host));
    std::filesystem::copy_file(std::filesystem::path(JORVANA_DATA_DIR) / "mapping.cfg", host);

    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    ShowClockCityWeather(nullptr, weather, L"Berlin", L"Home"); // not a weather place
    ShowClockCityWeather(nullptr, weather, L"Oslo", L"Home");   // never synchronised
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Synchronize before to get updated forecast",
                                                     L"Synchronize before to get updated forecast"}));

    m_reg.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"fara", 1);
    static CString s_city;
    static int s_celsius = -1, s_fahrenheit = -1;
    s_city.Empty();
    ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        auto* shown = dynamic_cast<CForecastDlg*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
        if (!shown || !shown->IsWindowVisible()) return;
        ::KillTimer(nullptr, id);
        s_city = shown->m_cityName;
        s_celsius = shown->m_celsius;
        s_fahrenheit = shown->m_fahrenheit;
        shown->EndDialog(IDOK);
    });
    ShowClockCityWeather(nullptr, weather, L"Paris", L"Home");
    EXPECT_EQ(s_city, L"Paris");
    EXPECT_EQ(s_celsius, 0);
    EXPECT_EQ(s_fahrenheit, 1);
    EXPECT_EQ(Boxes().size(), 2u);
}

TEST_F(ClockCityInfoTest, TheSummaryLeadsToTheDialogWithTheClocksDate) {
    device::ui::ScriptMessageBoxAnswers({IDNO});
    ShowClockCityInfo(nullptr, m_cities, IndexOf(L"Kathmandu"), L"21/06/2009", 0, 0);
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"City information");
    EXPECT_EQ(boxes[0].type, MB_YESNO | MB_ICONINFORMATION);
    EXPECT_NE(boxes[0].text.find(L"Daylight saving: Observing now"), std::wstring::npos);
    EXPECT_TRUE(boxes[0].text.ends_with(L"\n\nShow sunrise and sunset?")) << "Yes and No answer a question";

    std::filesystem::path data = JORVANA_DATA_DIR;
    std::filesystem::path host;
    ASSERT_TRUE(device::ResolveDevicePath(L"\\Program Files\\Jorvana\\day.jpg", host));
    std::filesystem::copy_file(data / "day.jpg", host);
    device::display::test::Rotate(); // a 320-pixel-wide work area
    device::ui::ScriptMessageBoxAnswers({IDYES});
    static std::wstring s_texts;
    static COLORREF s_cross = 0, s_beside = 0;
    static int s_day = 0, s_month = 0, s_year = 0, s_scrolled = 0, s_range = 0;
    ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        auto* shown = dynamic_cast<CCityInfoDlg*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
        if (!shown || !shown->IsWindowVisible()) return;
        ::KillTimer(nullptr, id);
        device::display::test::PumpUntilIdle();
        CString name, offset;
        shown->m_staticName.GetWindowText(name);
        shown->m_staticOffset.GetWindowText(offset);
        s_texts = name.Str() + L"|" + offset.Str() + L"|" + shown->m_sunrise.Str() + L"|" + shown->m_sunset.Str();
        s_day = shown->m_day;
        s_month = shown->m_month;
        s_year = shown->m_year;
        // Longitude 85 on a 230-pixel-wide picture: x = 90 + 115 + (85 * 230 / 2) / 180 = 259.
        CPoint cross(259, 180), beside(256, 180);
        shown->ClientToScreen(&cross);
        shown->ClientToScreen(&beside);
        s_cross = device::display::test::PixelAt(cross.x, cross.y);
        s_beside = device::display::test::PixelAt(beside.x, beside.y);
        testsupport::SaveScreenshot("city_info_kathmandu");
        for (int i = 0; i < 12; ++i) shown->SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
        s_scrolled = shown->m_nScrollPos;
        s_range = shown->m_nContentHeight - shown->m_nClientHeight;
        device::display::test::PumpUntilIdle();
        testsupport::SaveScreenshot("city_info_kathmandu_scrolled");
        shown->SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(20, 20)); // taps do nothing
        shown->SendMessage(WM_COMMAND, IDOK, 0);
    });
    ShowClockCityInfo(nullptr, m_cities, IndexOf(L"Kathmandu"), L"21/06/2009", 0, 0);
    device::display::test::Rotate();
    EXPECT_EQ(s_day, 21);
    EXPECT_EQ(s_month, 6);
    EXPECT_EQ(s_year, 2009);
    // Kathmandu on 21 June with the shifted offset 6h45.
    const std::wstring rise = SunText(85, 27, L"645", 21, 6, 2009, 0).Str();
    const std::wstring set = SunText(85, 27, L"645", 21, 6, 2009, 1).Str();
    EXPECT_EQ(s_texts, L"Kathmandu|5h45 + 1h (DST)|" + rise + L"|" + set);
    EXPECT_EQ(s_cross, RGB(255, 50, 50));
    EXPECT_NE(s_beside, RGB(255, 50, 50));
    // The picture (300 x 150) makes the content 75 + 181 high; paging stops at its end.
    EXPECT_GT(s_range, 0);
    EXPECT_EQ(s_scrolled, s_range);
}

} // namespace

namespace {

using clocktests::ClockDialogTest;

// Turned to landscape and back while it is open, the dialog takes the portrait work area again:
// its height, its client height and its scroll range follow the screen.
TEST_F(ClockDialogTest, CityInformationFollowsTheScreenThroughATurnAndBack) {
    static int s_height[3] = {}, s_client[3] = {}, s_work[3] = {};
    static std::wstring s_caption;
    CCityInfoDlg dlg;
    dlg.m_longitude = L"0";
    dlg.m_latitude = L"51";
    dlg.m_currentOffset = L"0";
    RunModal<CCityInfoDlg>(dlg, [](CCityInfoDlg& shown) {
        for (int turn = 0; turn < 3; ++turn) {
            if (turn > 0) device::display::test::Rotate();
            device::display::test::PumpUntilIdle();
            CRect window;
            shown.GetWindowRect(&window);
            const RECT work = device::ui::WorkArea();
            s_height[turn] = window.Height();
            s_client[turn] = shown.m_nClientHeight;
            s_work[turn] = work.bottom - work.top;
        }
        CString caption;
        shown.GetWindowText(caption);
        s_caption = caption.Str();
        shown.SendMessage(WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(s_work[0], 294);
    EXPECT_EQ(s_work[1], 214);
    for (int turn = 0; turn < 3; ++turn) {
        SCOPED_TRACE(turn);
        EXPECT_EQ(s_height[turn], s_work[turn]);
        EXPECT_EQ(s_client[turn], s_height[turn]); // no caption: the taskbar shows the title
    }
    EXPECT_EQ(s_client[2], s_client[0]);
    EXPECT_EQ(s_caption, L"Edit city"); // its template's caption, in the taskbar
}

} // namespace
