// The Weather page: which stored day is today, the °C/°F texts, the four places loaded and
// written back, the ticks across a change of day, the synchronisations through the stand-in feed
// server, the unit switch remembered, the layout of each screen shape and the skin's icon folder.

#include "WeatherPageSupport.h"

#include "core/HttpExchange.h"
#include "core/ShippedDefaults.h"
#include "platform/framework/Time.h"
#include "platform/programs/feed-server/FeedServer.h"
#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceTime.h"
#include "support/LoopbackTimeouts.h"
#include "support/ScriptedServer.h"
#include "weather/SyncDlg.h"

#include <ctime>

namespace {

using namespace weathertest;

time_t At(const char* iso) {
    device::SetDeviceClock(iso);
    return CTime::GetCurrentTime().GetTime();
}

TEST_F(WeatherTest, TodayMovesOnAtOneSecondPastTheEndOfEachDay) {
    struct Case {
        const char* now;
        bool current;
        unsigned today;
    } cases[] = {
        {"2009-06-10T10:00:00Z", true, 0},  {"2009-06-10T23:59:00Z", true, 0}, {"2009-06-10T23:59:30Z", true, 1},
        {"2009-06-12T12:00:00Z", true, 2},  {"2009-06-14T12:00:00Z", true, 4}, {"2009-06-14T23:59:00Z", true, 4},
        {"2009-06-15T00:00:30Z", false, 0}, {"2009-06-09T23:59:01Z", true, 0},
    };
    for (const Case& c : cases) {
        ForecastCurrency f = ComputeForecastCurrency(L"10/06/2009", At(c.now));
        EXPECT_EQ(f.current, c.current) << c.now;
        if (c.current) {
            EXPECT_EQ(f.todayIndex, c.today) << c.now;
            EXPECT_EQ(f.todayIndex + f.daysLeft, 4u) << c.now;
        }
    }
    // Two days ahead of the device date: current, but no stored day is today yet.
    ForecastCurrency ahead = ComputeForecastCurrency(L"12/06/2009", At("2009-06-10T10:00:00Z"));
    EXPECT_TRUE(ahead.current);
    EXPECT_GE(ahead.todayIndex, 5u);
    // Never synchronised, and dates that are no dates.
    for (LPCWSTR bad : {L"01/01/2000", L"", L"31/06/2009", L"1x/06/2009", L"10/13/2009", L"10/06/09"})
        EXPECT_FALSE(ComputeForecastCurrency(bad, At("2009-06-10T10:00:00Z")).current) << bad;
}

// A day is a day of the device's clock: across a change to or from daylight time, today still
// moves on at local midnight and the record stays current to the end of its last day.
TEST_F(WeatherTest, TodayMovesOnAtLocalMidnightAcrossADaylightTimeChange) {
    const std::string zone = device::DeviceZoneName();
    ASSERT_TRUE(device::SetDeviceZone("Europe/Paris"));
    struct Case {
        LPCWSTR date;
        const char* now;
        bool current;
        unsigned today;
    } cases[] = {
        // Clocks go forward on 29 March 2026.
        {L"27/03/2026", "2026-03-29T22:30:00Z", true, 3},  // 30 March, 00:30
        {L"27/03/2026", "2026-03-31T21:30:00Z", true, 4},  // 31 March, 23:30
        {L"27/03/2026", "2026-03-31T22:30:00Z", false, 0}, // 1 April, 00:30
        // Clocks go back on 25 October 2026.
        {L"23/10/2026", "2026-10-25T23:30:00Z", true, 3}, // 26 October, 00:30
        {L"23/10/2026", "2026-10-27T22:30:00Z", true, 4}, // 27 October, 23:30
    };
    for (const Case& c : cases) {
        ForecastCurrency f = ComputeForecastCurrency(c.date, At(c.now));
        EXPECT_EQ(f.current, c.current) << c.now;
        if (c.current) {
            EXPECT_EQ(f.todayIndex, c.today) << c.now;
        }
    }
    device::SetDeviceZone(zone);
}

TEST(WeatherUnits, TextsConvertBothWaysAndPlaceholdersStay) {
    const CString sep = L"/";
    EXPECT_EQ(ConvertTemperatureText(L"25°/18°", sep, true), L"77°/64°");
    EXPECT_EQ(ConvertTemperatureText(L"77°/64°", sep, false), L"25°/18°");
    EXPECT_EQ(ConvertTemperatureText(L"-5°/-12°", sep, true), L"23°/10°");
    EXPECT_EQ(ConvertTemperatureText(L"-18°/-18°", sep, true), L"-0°/-0°");
    EXPECT_EQ(ConvertTemperatureText(L"-0°/-0°", sep, false), L"-18°/-18°");
    for (LPCWSTR same : {L"N/A°/N/A°", L"-°/-°", L""}) {
        EXPECT_EQ(ConvertTemperatureText(same, sep, true), same);
        EXPECT_EQ(ConvertTemperatureText(same, sep, false), same);
    }
    EXPECT_EQ(ConvertTemperatureText(L"N/A°/20°", sep, true), L"N/A°/68°");
    for (int c = -80; c <= 80; ++c) {
        CString text;
        text.Format(L"%d°/%d°", c, c);
        EXPECT_EQ(ConvertTemperatureText(ConvertTemperatureText(text, sep, true), sep, false), text) << c;
    }
}

TEST_F(WeatherPageTest, FourPlacesAreLoadedFromTheirPositionsAndWrittenBack) {
    OpenFourPlaces();
    CWeatherPanel& page = CreatePage();
    EXPECT_EQ(page.m_placeHasData[0], 0); // Lima: never synchronised
    EXPECT_EQ(page.m_placeHasData[1], 1);
    EXPECT_EQ(page.m_placeHasData[2], 1);
    EXPECT_EQ(page.m_placeHasData[3], 0);
    EXPECT_EQ(page.m_placeDays[1].tempTexts[0], L"25°/18°");
    EXPECT_EQ(page.m_placeDays[1].tempTexts[2], L"27°/20°");
    EXPECT_EQ(page.m_placeDays[2].tempTexts[1], L"-4°/-11°");
    EXPECT_EQ(page.m_placeDays[1].iconPaths[0], L"\\Program Files\\Jorvana\\wiconset\\sunny.bmp");
    EXPECT_EQ(page.m_placeNames[3], L"Rome"); // filled by the paint
    EXPECT_TRUE(page.m_celsius);
    EXPECT_FALSE(page.m_fahrenheitButton.IsWindowEnabled() == FALSE);
    EXPECT_FALSE(page.m_celsiusButton.IsWindowEnabled());

    // The choice of a city re-resolves all four places by name; an unknown name is the first city.
    page.m_placeNames[0] = L"Paris";
    page.m_placeNames[1] = L""; // not named yet: keeps its city
    page.m_placeNames[3] = L"Atlantis";
    page.SavePlaces();
    EXPECT_EQ(CWeatherPanel::s_placePositions[0], 2u);
    EXPECT_EQ(page.m_placeNames[3], L"Lima");
    EXPECT_EQ(page.m_placeNames[1], L"Oslo");
    EXPECT_EQ(ReadWeatherValue(L"wetp2"), 1u);
    EXPECT_EQ(page.m_placeHasData[0], 1);
    EXPECT_EQ(ReadWeatherValue(L"wetp"), 2u);
    EXPECT_EQ(ReadWeatherValue(L"wetp4"), 0u);

    page.ShiftPlaceIndices(0, 1, 0, 1);
    DestroyPage();
    EXPECT_EQ(ReadWeatherValue(L"wetp2"), 2u);
    EXPECT_EQ(ReadWeatherValue(L"wetp3"), 2u);
    EXPECT_EQ(ReadWeatherValue(L"wetp4"), 1u);
}

// Temperatures left out read "N/A", in °F too; a day a short forecast does not reach is empty.
TEST_F(WeatherPageTest, MissingTemperaturesOfAShortForecastShowAsNoData) {
    OpenFourPlaces();
    std::string oslo = NumericForecast("06/21/2009", 25, 18);
    oslo.replace(oslo.find("^18^"), 4, "^^"); // day 0 without its low
    oslo.erase(oslo.find("Day 06/23/2009")); // ends before day 2's date: 26 fields
    m_store.UpdateCity(L"Oslo", L"NO1", Wide(oslo).c_str(), L"21/06/2009:Norway", 1);
    CWeatherPanel& page = CreatePage();
    EXPECT_EQ(page.m_placeDays[1].tempTexts[0], L"25°/N/A°");
    EXPECT_EQ(page.m_placeDays[1].tempTexts[1], L"26°/19°");
    EXPECT_EQ(page.m_placeDays[1].tempTexts[2], L"");
    EXPECT_EQ(page.m_placeDays[1].iconPaths[2], L"");
    page.OnFahrenheit();
    EXPECT_EQ(page.m_placeDays[1].tempTexts[0], L"77°/N/A°");
    EXPECT_EQ(page.m_placeDays[1].tempTexts[2], L"");
    device::display::test::PumpUntilIdle();
    testsupport::SaveScreenshot("weather-page-short-forecast");
}

TEST_F(WeatherPageTest, FirstStartUsesTheDefaultPlacesAndWritesThemOnlyAtTheEnd) {
    std::vector<std::string> lines;
    for (int i = 0; i < 400; ++i) lines.push_back("Land;City" + std::to_string(100 + i) + ";C" + std::to_string(i));
    OpenPlaces(lines);
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"weattip", 0);
    CWeatherPanel& page = CreatePage();
    const DWORD defaults[4] = {0, shipped::kWeatherPlace[0], shipped::kWeatherPlace[1], shipped::kWeatherPlace[2]};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(CWeatherPanel::s_placePositions[i], defaults[i]);
    EXPECT_EQ(page.m_placeNames[1], CString(L"City") + std::to_wstring(100 + defaults[1]).c_str());
    LONG status = 0;
    ReadWeatherValue(L"wetp2", &status);
    EXPECT_NE(status, CRegistryKey::kFound);
    // The start-up tips come once and are remembered.
    EXPECT_TRUE(page.m_tipTitle.IsWindowVisible());
    EXPECT_EQ(CRegistryKey().ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"weattip"), 1u);
    testsupport::SaveScreenshot("weather-page-first-start");
    DestroyPage();
    const LPCWSTR names[4] = {L"wetp", L"wetp2", L"wetp3", L"wetp4"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ReadWeatherValue(names[i]), defaults[i]);
}

TEST_F(WeatherPageTest, ChangeOfDayMovesTheShownDaysAndEndsAnOldForecast) {
    OpenFourPlaces();
    CWeatherPanel& page = CreatePage();
    ASSERT_EQ(page.m_placeDays[1].tempTexts[0], L"25°/18°");
    page.OnFahrenheit();
    // Past midnight the next stored day is today, still shown in °F and converted once.
    device::SetDeviceClock("2009-06-22T00:00:05Z");
    page.SendMessage(WM_TIMER, 0, 0);
    EXPECT_EQ(page.m_placeDays[1].tempTexts[0], L"79°/66°"); // 26°/19°
    device::display::test::PumpUntilIdle();
    EXPECT_EQ(page.m_shownWeekday, 1); // Monday, stored by the paint
    // Four days past the date's end the place asks to be synchronised.
    device::SetDeviceClock("2009-06-26T00:00:30Z");
    page.SendMessage(WM_TIMER, 0, 0);
    EXPECT_EQ(page.m_placeHasData[1], 0);
    EXPECT_EQ(page.m_placeHasData[2], 0);
    // More on a place without a forecast only says so.
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDOK});
    page.More(1);
    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Forecast not available! Please sync. for update");
}

TEST_F(WeatherPageTest, UnitChoiceIsRememberedAcrossStarts) {
    OpenFourPlaces();
    CWeatherPanel& page = CreatePage();
    page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_WEATHER_FAHRENHEIT, BN_CLICKED),
                     reinterpret_cast<LPARAM>(page.m_fahrenheitButton.m_hWnd));
    EXPECT_EQ(page.m_placeDays[1].tempTexts[0], L"77°/64°");
    EXPECT_EQ(CRegistryKey().ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"fara"), 1u);
    EXPECT_FALSE(page.m_fahrenheitButton.IsWindowEnabled());
    EXPECT_TRUE(page.m_celsiusButton.IsWindowEnabled());
    // The marked box (the skin's first unit colours) moves to the chosen unit.
    ASSERT_NE(page.m_celsiusBack, page.m_fahrenheitBack);
    EXPECT_EQ(page.m_fahrenheitButton.GetColor(CIconButton::BTNST_COLOR_BK_OUT), page.m_celsiusBack);
    EXPECT_EQ(page.m_celsiusButton.GetColor(CIconButton::BTNST_COLOR_BK_OUT), page.m_fahrenheitBack);
    DestroyPage();

    CWeatherPanel& again = CreatePage(); // its skin load reloads once more: still converted once
    EXPECT_EQ(again.m_fahrenheit, 1);
    EXPECT_EQ(again.m_placeDays[1].tempTexts[0], L"77°/64°");
    EXPECT_EQ(again.m_placeDays[2].tempTexts[0], L"23°/10°");
    EXPECT_FALSE(again.m_fahrenheitButton.IsWindowEnabled());
    again.Refresh();
    EXPECT_EQ(again.m_placeDays[1].tempTexts[0], L"77°/64°");
    EXPECT_EQ(again.m_fahrenheitButton.GetColor(CIconButton::BTNST_COLOR_BK_OUT), again.m_celsiusBack);
    again.OnCelsius();
    EXPECT_EQ(again.m_placeDays[1].tempTexts[0], L"25°/18°");
    EXPECT_EQ(again.m_celsiusButton.GetColor(CIconButton::BTNST_COLOR_BK_OUT), again.m_celsiusBack);
    EXPECT_EQ(CRegistryKey().ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"fara"), 0u);
}

class WeatherPageSyncTest : public WeatherPageTest {
protected:
    void SetUp() override {
        WeatherPageTest::SetUp();
        SetHttpExchangeTimeouts(testsupport::LoopbackTimeouts());
    }
    void TearDown() override {
        SetHttpExchangeTimeouts(HttpExchangeTimeouts{});
        WeatherPageTest::TearDown();
    }
    void WriteAddress(const std::string& text) {
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"adrs.cfg"), text);
    }
    // The server answers with a forecast of place 1 (Lima, "PE1") only, and adrs.cfg names it.
    void ServePlaceOneForecast(testsupport::ScriptedServer& server) {
        server.Script("/feed", testsupport::ScriptedReply{200, {{"ServerMSG", "1000 Completed"}},
                                                          "PE1^" + NumericForecast("06/21/2009", 30, 21) + "@"});
        WriteAddress(server.Url("/feed") + "*");
    }
    // A tap inside place 1's "Tap to sync. this City" area: x between W/2 + 12 and W/2 + 82, y
    // between its base line + 11 and + 31 (bounds excluded).
    static void TapPlaceOneSyncText(CWeatherPanel& page, int x = 120 + 40) {
        page.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(x, CWeatherPanel::s_bandHeight / 8 + 20));
    }
};

TEST_F(WeatherPageSyncTest, SyncAllThroughTheFeedServerFillsEveryPlace) {
    OpenFourPlaces();
    feedserver::FeedData data;
    data.places["PE1"] = feedserver::Place{"PE1", "Lima", "Peru", -12, -77, 20, 25, 8, 0.4};
    data.places["NO1"] = feedserver::Place{"NO1", "Oslo", "Norway", 59.9, 10.7, 6, 20, 7, 0.5};
    data.places["FR1"] = feedserver::Place{"FR1", "Paris", "France", 48.9, 2.3, 12, 15, 8, 0.4};
    data.places["IT1"] = feedserver::Place{"IT1", "Rome", "Italy", 41.9, 12.5, 15, 20, 8, 0.4};
    feedserver::FeedOptions options;
    options.today = feedserver::CivilDate{2009, 6, 21};
    feedserver::FeedServer server(data, options);
    ASSERT_TRUE(server.Start());
    WriteAddress(server.FeedUrl() + "*");
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"weattip", 1);

    CWeatherPanel& page = CreatePage();
    ASSERT_EQ(page.m_placeHasData[0], 0);
    device::ui::ScriptMessageBoxAnswers({IDYES});
    WhenDialogUp<CSyncDlg>([](CSyncDlg& dlg) {
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_WEATHER_SYNC, BN_CLICKED),
                        reinterpret_cast<LPARAM>(dlg.m_syncButton.m_hWnd));
        dlg.SendMessage(WM_COMMAND, IDOK);
    });
    page.SyncAll();
    ASSERT_EQ(server.Server().Requests().size(), 1u);
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(page.m_placeHasData[p], 1) << p;
        EXPECT_FALSE(page.m_placeDays[p].tempTexts[0].IsEmpty()) << p;
    }
    // The second tip follows the first successful synchronisation, once.
    EXPECT_TRUE(page.m_tipTitle.IsWindowVisible());
    EXPECT_EQ(CRegistryKey().ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"weattip"), 2u);
    testsupport::SaveScreenshot("weather-page-portrait");
}

TEST_F(WeatherPageSyncTest, TapOnTheSyncTextOfAPlaceSyncsItAlone) {
    OpenFourPlaces();
    testsupport::ScriptedServer server;
    ServePlaceOneForecast(server);
    CWeatherPanel& page = CreatePage();
    device::ui::ScriptMessageBoxAnswers({IDYES});
    TapPlaceOneSyncText(page, 120 + 12); // on the left bound: nothing
    EXPECT_TRUE(server.Requests().empty());
    TapPlaceOneSyncText(page);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_NE(server.Requests()[0].body.find("c='PE1'"), std::string::npos);
    EXPECT_EQ(page.m_placeHasData[0], 1);
    EXPECT_EQ(page.m_placeDays[0].tempTexts[0], L"30°/21°");
    // A place that has its forecast ignores the tap.
    TapPlaceOneSyncText(page);
    EXPECT_EQ(server.Requests().size(), 1u);
}

// The pixels of place 1's forecast cells, in page coordinates.
std::vector<COLORREF> PlaceOnePixels(CWeatherPanel& page) {
    const int base = CWeatherPanel::s_bandHeight / 8;
    std::vector<COLORREF> pixels;
    for (int y = base; y < base + 35; ++y)
        for (int x = 115; x < 235; ++x) {
            POINT p{x, y};
            ::ClientToScreen(page.m_hWnd, &p);
            pixels.push_back(device::display::test::PixelAt(p.x, p.y));
        }
    return pixels;
}

TEST_F(WeatherPageSyncTest, ASyncedPlaceIsRepaintedWholeAndTheSecondTipFollows) {
    OpenFourPlaces();
    testsupport::ScriptedServer server;
    ServePlaceOneForecast(server);
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"weattip", 1);
    CWeatherPanel& page = CreatePage();
    EXPECT_FALSE(page.m_tipTitle.IsWindowVisible());
    device::ui::ScriptMessageBoxAnswers({IDYES});
    TapPlaceOneSyncText(page);
    device::display::test::PumpUntilIdle();
    ASSERT_EQ(page.m_placeHasData[0], 1);
    EXPECT_TRUE(page.m_tipTitle.IsWindowVisible());
    EXPECT_EQ(CRegistryKey().ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"weattip"), 2u);
    // No trace of "Tap to sync. this City" under the new forecast: the place looks as it does on
    // a page opened afresh.
    const std::vector<COLORREF> synced = PlaceOnePixels(page);
    DestroyPage();
    CWeatherPanel& fresh = CreatePage();
    device::display::test::PumpUntilIdle();
    EXPECT_TRUE(synced == PlaceOnePixels(fresh));
}

TEST_F(WeatherPageSyncTest, SyncAllAnsweredByAnHtmlPageFailsAndKeepsThePlaces) {
    OpenFourPlaces();
    testsupport::ScriptedServer server;
    server.Script("/feed", testsupport::ScriptedReply{200, {{"Content-Type", "text/html"}},
                                                      "<html><body><p>Service unavailable</p></body></html>\r\n"});
    WriteAddress(server.Url("/feed") + "*");
    const auto before = Records();
    CWeatherPanel& page = CreatePage();
    device::ui::ScriptMessageBoxAnswers({IDYES});
    std::wstring status, caption;
    WhenDialogUp<CSyncDlg>([&](CSyncDlg& dlg) {
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_WEATHER_SYNC, BN_CLICKED),
                        reinterpret_cast<LPARAM>(dlg.m_syncButton.m_hWnd));
        CString text;
        dlg.m_status.GetWindowText(text);
        status = text.Str();
        dlg.GetWindowText(text);
        caption = text.Str();
        EXPECT_TRUE(dlg.m_syncButton.IsWindowVisible());
        dlg.SendMessage(WM_COMMAND, IDOK);
    });
    page.SyncAll();
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(status, L"Syncronisation failed!");
    EXPECT_EQ(caption, L"Retry ?");
    EXPECT_EQ(Records(), before);
    EXPECT_EQ(page.m_placeHasData[0], 0);
}

struct ShapeCase {
    int width, height;
    int band, celsiusX, celsiusY, celsiusW, fahrenheitX, wide, workWidth;
    const char* shot;
};

TEST_F(WeatherPageTest, LayoutFollowsTheScreenShape) {
    OpenFourPlaces();
    const ShapeCase cases[] = {
        {240, 320, 225, 5, 3, 17, 25, 0, 240, "weather-layout-portrait"},
        {320, 240, 150, 5, 0, 15, 23, 1, 320, "weather-layout-landscape"},
        {640, 240, 150, 5, 0, 15, 23, 1, 560, nullptr},
        {240, 240, 150, 5, 0, 15, 23, 1, 240, "weather-layout-square"},
    };
    for (const ShapeCase& c : cases) {
        device::ui::SetScreenShape(c.width, c.height);
        if (m_parent.m_hWnd) m_parent.DestroyWindow();
        CWeatherPanel& page = CreatePage();
        EXPECT_EQ(CWeatherPanel::s_bandHeight, c.band) << c.width << "x" << c.height;
        EXPECT_EQ(CWeatherPanel::s_wideFlag, c.wide) << c.width;
        EXPECT_EQ(page.m_workWidth, c.workWidth) << c.width;
        RECT r{};
        page.m_celsiusButton.GetWindowRect(&r);
        page.ScreenToClient(&r);
        EXPECT_EQ(r.left, c.celsiusX) << c.width;
        EXPECT_EQ(r.top, c.celsiusY) << c.width;
        EXPECT_EQ(r.right - r.left, c.celsiusW) << c.width;
        page.m_fahrenheitButton.GetWindowRect(&r);
        page.ScreenToClient(&r);
        EXPECT_EQ(r.left, c.fahrenheitX) << c.width;
        // The page height leaves the menu bar and the tab row.
        const int menu = ::GetSystemMetrics(SM_CYMENU);
        RECT area{};
        ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
        const int workHeight = area.bottom - area.top;
        int expectedPage = workHeight - menu - 26;
        if (workHeight >= 351) expectedPage -= 80;
        EXPECT_EQ(page.m_pageHeight, expectedPage) << c.width;
        page.Invalidate(TRUE);
        device::display::test::PumpUntilIdle();
        if (c.shot) testsupport::SaveScreenshot(c.shot);
        DestroyPage();
    }
}

TEST_F(WeatherPageTest, SkinSetsTheIconFolderAndTheColours) {
    OpenFourPlaces();
    CWeatherPanel& page = CreatePage();
    CRegistryKey key;
    EXPECT_EQ(key.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", L"icondir"),
              L"\\Program Files\\Jorvana\\wiconset\\");
    EXPECT_EQ(page.m_moreColor, RGB(176, 92, 16));
    EXPECT_NE(page.m_backgroundBitmap.GetSafeHandle(), nullptr);

    // A skin naming "default" as its icon folder uses the program's own set; a missing colour is black.
    std::string skin = testsupport::ReadDeviceFile(testsupport::InProgramFolder(L"default.skn"));
    skin.replace(skin.find("WICOF@\\wiconset\\"), 16, "WICOF@default");
    skin.erase(skin.find("MOREC@176092016"), 15 + 1);
    testsupport::WriteDeviceFile(L"\\My Documents\\other.skn", skin);
    key.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"\\My Documents\\other.skn");
    page.LoadSkin();
    EXPECT_EQ(key.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", L"icondir"),
              L"\\Program Files\\Jorvana\\wiconset\\");
    EXPECT_EQ(page.m_iconFolder, L"\\Program Files\\Jorvana\\wiconset\\");
    EXPECT_EQ(page.m_moreColor, RGB(0, 0, 0));
    EXPECT_EQ(page.m_placeDays[1].iconPaths[0], L"\\Program Files\\Jorvana\\wiconset\\sunny.bmp");
}

// Negative two-digit temperatures on every shape: each text ends before the next day column's
// picture (or the page's right edge) and starts right of the first column line.
TEST_F(WeatherPageTest, TemperaturesStayInsideTheirDayColumnsOnEveryShape) {
    OpenFourPlaces();
    m_store.UpdateCity(L"Lima", L"PE1", Wide(NumericForecast("06/21/2009", -19, -28)).c_str(), L"21/06/2009:Peru", 1);
    m_store.UpdateCity(L"Rome", L"IT1", Wide(NumericForecast("06/21/2009", -88, -99)).c_str(), L"21/06/2009:Italy", 1);
    auto recorder = std::make_shared<device::gdi::CallRecorder>();
    for (auto [width, height] : {std::pair{240, 320}, {320, 240}, {240, 240}, {320, 320}}) {
        device::ui::SetScreenShape(width, height);
        if (m_parent.m_hWnd) m_parent.DestroyWindow();
        device::gdi::SetDefaultRecorder(recorder);
        CWeatherPanel& page = CreatePage();
        page.Invalidate(TRUE);
        recorder->Clear();
        page.UpdateWindow();
        device::gdi::SetDefaultRecorder(nullptr);
        const int w = page.m_workWidth;
        const int pictures[3] = {20 * w / 40 + 5, 27 * w / 40 - 1, 33 * w / 40};
        int temperatures = 0;
        auto ascii = [](const std::wstring& text) {
            std::string out;
            for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '~';
            return out;
        };
        for (const auto& call : recorder->Calls()) {
            // Temperature texts; the unit boxes draw "°C" and "°F".
            if (call.text.find(L'\u00B0') == std::wstring::npos || call.text[0] == L'\u00B0') continue;
            ++temperatures;
            const int column = call.pos.x < pictures[1] - 3 ? 0 : (call.pos.x < pictures[2] - 3 ? 1 : 2);
            const int end = column < 2 ? pictures[column + 1] : w;
            EXPECT_LE(call.pos.x + weathertest::DrawnWidth(call), end)
                << width << "x" << height << " " << ascii(call.text) << " at " << call.pos.x;
            EXPECT_GE(call.pos.x, 20 * w / 40 - 8) << width << "x" << height << " " << ascii(call.text);
        }
        // Four places of three days; the two-line shapes draw each text as two.
        EXPECT_GE(temperatures, 12) << width << "x" << height;
        testsupport::SaveScreenshot("weather-negative-" + std::to_string(width) + "x" + std::to_string(height));
        DestroyPage();
    }
}

// A reload (after a synchronisation) leaves the page as a whole repaint draws it: every column it
// drew is repainted, its background erased first.
TEST_F(WeatherPageTest, AReloadRepaintsEveryColumnItDrew) {
    OpenFourPlaces();
    for (auto [width, height] : {std::pair{240, 320}, {320, 240}, {240, 240}, {320, 320}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        device::ui::SetScreenShape(width, height);
        if (m_parent.m_hWnd) m_parent.DestroyWindow();
        m_store.UpdateCity(L"Oslo", L"NO1", Wide(NumericForecast("06/21/2009", 25, 18)).c_str(), L"21/06/2009:Norway", 1);
        CWeatherPanel& page = CreatePage();
        device::display::test::PumpUntilIdle();
        m_store.UpdateCity(L"Oslo", L"NO1", Wide(NumericForecast("06/21/2009", -38, -47)).c_str(), L"21/06/2009:Norway", 1);
        page.Refresh();
        device::display::test::PumpUntilIdle();
        CRect area;
        page.GetWindowRect(&area);
        auto pixels = [&] {
            std::vector<COLORREF> all;
            for (int y = area.top; y < area.bottom; ++y)
                for (int x = area.left; x < area.right; ++x) all.push_back(device::display::test::PixelAt(x, y));
            return all;
        };
        const std::vector<COLORREF> reloaded = pixels();
        page.Invalidate(TRUE);
        page.UpdateWindow();
        EXPECT_TRUE(reloaded == pixels());
        DestroyPage();
    }
    device::ui::SetScreenShape(240, 320);
}

} // namespace
