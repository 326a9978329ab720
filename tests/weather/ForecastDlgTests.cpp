// The forecast view: which stored day is today, the slot texts it prepares, the day page's
// stepping, the view commands, the Update button against a loopback feed server, and the two
// views as drawn.

#include "core/HttpExchange.h"
#include "core/RegistryKey.h"
#include "platform/display/Display.h"
#include "platform/display/HeadlessTest.h"
#include "resources/resource.h"
#include "support/LoopbackTimeouts.h"
#include "support/ScriptedServer.h"
#include "support/Screenshots.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/Menus.h"
#include "weather/ForecastDlg.h"
#include "weather/ForecastText.h"
#include "weather/WeatherTestSupport.h"

#include <filesystem>
#include <functional>

namespace {

using testsupport::ScriptedReply;
using testsupport::ScriptedServer;
using weathertest::Wide;

// One forecast day: code, condition, "Weekday MM/DD/YYYY", time, low, high, feels like, wind
// direction, unused, wind speed, then pressure/visibility (day 0) or humidity/precipitation.
struct Day {
    std::string code, condition, date, time, low, high, feels, direction, speed, f10, f11;
};
std::string ForecastOf(const std::vector<Day>& days) {
    std::string text;
    for (const Day& d : days)
        for (const std::string& f : {d.code, d.condition, d.date, d.time, d.low, d.high, d.feels, d.direction,
                                     std::string("x"), d.speed, d.f10, d.f11})
            text += f + "^";
    return text;
}
// Five days from 06/21/2009 on.
std::string JuneForecast() {
    return ForecastOf({{"W01", "Sunny", "Sunday 06/21/2009", "10:00", "12", "24", "26", "NNE", "15", "1015", "20"},
                       {"W03", "Partly Cloudy", "Monday 06/22/2009", "10:00", "11", "20", "20/25", "CLM", "0", "60", "10"},
                       {"N/A", "Light rain showers early then becoming heavier", "Tuesday 06/23/2009", "10:00", "9",
                        "15", "-", "SW", "30", "80", "70"},
                       {"W09", "Rain", "Wednesday 06/24/2009", "10:00", "8", "14", "N/A", "W", "25", "85", "90"},
                       {"-", "Fog", "Thursday 06/25/2009", "10:00", "-", "N/A", "12", "N/A", "5", "90", "5"}});
}

class ForecastDlgTest : public weathertest::WeatherTest {
protected:
    void SetUp() override {
        WeatherTest::SetUp();
        device::display::Start();
        SetHttpExchangeTimeouts(testsupport::LoopbackTimeouts());
        const std::filesystem::path data = JORVANA_DATA_DIR;
        std::filesystem::copy_file(data / "mapping.cfg",
                                   testsupport::HostPath(testsupport::InProgramFolder(L"mapping.cfg")));
        std::filesystem::copy(data / "wiconset", testsupport::HostPath(testsupport::InProgramFolder(L"wiconset")));
        m_reg.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", L"icondir", L"\\Program Files\\Jorvana\\wiconset\\");
        OpenPlaces({"France;Paris;A1", "Norway;Oslo;B2", "Italy;Rome;C3"});
    }
    void TearDown() override {
        SetHttpExchangeTimeouts(HttpExchangeTimeouts{});
        WeatherTest::TearDown();
    }
    void StorePlace(const wchar_t* name, const std::string& forecast, const wchar_t* date, const wchar_t* country) {
        CWeatherDb store;
        store.Open();
        store.FindByName(name);
        CString code = store.GetCode(store.GetCurrentIndex());
        store.UpdateCity(name, code, Wide(forecast).c_str(), (std::wstring(date) + L":" + country).c_str(), 1);
    }

    // Runs the view of a place; once it is shown the script acts as the user, then it closes.
    void Run(const wchar_t* city, std::function<void(CForecastDlg&)> script, BYTE celsius = 1) {
        static std::function<void(CForecastDlg&)> s_script;
        s_script = std::move(script);
        ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
            auto* dlg = dynamic_cast<CForecastDlg*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
            if (!dlg || !dlg->IsWindowVisible()) return;
            ::KillTimer(nullptr, id);
            device::display::test::PumpUntilIdle();
            s_script(*dlg);
            dlg->EndDialog(IDOK);
        });
        CForecastDlg dlg;
        dlg.m_cityName = city;
        dlg.m_celsius = celsius;
        dlg.m_fahrenheit = !celsius;
        dlg.m_homeName = L"Lyon";
        dlg.DoModal();
    }
    static void TapClient(CForecastDlg& dlg, int x, int y) {
        dlg.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(x, y));
        device::display::test::PumpUntilIdle();
    }
    static void TapNext(CForecastDlg& dlg) {
        CRect client;
        dlg.GetClientRect(&client);
        TapClient(dlg, client.right - 12, client.top + 20);
    }
    static void TapPrevious(CForecastDlg& dlg) {
        CRect client;
        dlg.GetClientRect(&client);
        TapClient(dlg, client.right - 48, client.top + 20);
    }
    // The check marks of the Show menu (overview, day by day) as it shows when it opens.
    static std::pair<bool, bool> ShowMenuChecks(CForecastDlg& dlg) {
        HWND bar = nullptr;
        for (HWND c = ::GetWindow(dlg.m_hWnd, GW_CHILD); c && !bar; c = ::GetWindow(c, GW_HWNDNEXT)) {
            wchar_t cls[32] = {};
            ::GetClassNameW(c, cls, 32);
            if (std::wstring(cls) == device::ui::kCommandBarClass) bar = c;
        }
        HMENU show = bar ? ::GetSubMenu(CommandBar_GetMenu(bar, 0), 0) : nullptr;
        if (!show) return {false, false};
        dlg.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(show), 0);
        return {(::GetMenuState(show, ID_FORECAST_OVERVIEW, MF_BYCOMMAND) & MF_CHECKED) != 0,
                (::GetMenuState(show, ID_FORECAST_DAY_BY_DAY, MF_BYCOMMAND) & MF_CHECKED) != 0};
    }
    static std::wstring Text(CWnd& wnd) {
        CString text;
        wnd.GetWindowText(text);
        return text.Str();
    }

    CRegistryKey m_reg;
};

TEST_F(ForecastDlgTest, OnTheRecordsFirstDayEverySlotIsFilledAndDayOneShowsPressure) {
    StorePlace(L"Paris", JuneForecast(), L"21/06/2009", L"France");
    Run(L"Paris", [](CForecastDlg& dlg) {
        EXPECT_EQ(dlg.m_todayIndex, 0u);
        EXPECT_EQ(dlg.m_daysLeft, 4);
        EXPECT_EQ(dlg.m_temperature[0], L"24\u00B0 : 12\u00B0");
        EXPECT_EQ(dlg.m_dateTime[1], L"Monday 06/22/2009, 10:00");
        EXPECT_EQ(dlg.m_condition[3], L"Rain");
        EXPECT_EQ(dlg.m_pressure, L"1015");
        EXPECT_EQ(dlg.m_visibility, L"20");
        EXPECT_EQ(dlg.m_humidity[0], L"");
        EXPECT_EQ(dlg.m_humidity[1], L"60");
        EXPECT_EQ(dlg.m_iconPath[0], L"\\Program Files\\Jorvana\\wiconset\\sunny.bmp");
        EXPECT_EQ(dlg.m_iconPath[2], L"\\Program Files\\Jorvana\\wiconset\\na.bmp"); // "N/A"
        EXPECT_EQ(dlg.m_iconPath[4], L"\\Program Files\\Jorvana\\wiconset\\na.bmp"); // "-"
        EXPECT_EQ(Text(dlg.m_cityLine), L"Paris, France");
        EXPECT_EQ(Text(dlg.m_dateLine), L"\n21/06/2009, 10:00 GMT");
        // Today (21 June 2009) is a Sunday.
        EXPECT_EQ(Text(dlg.m_dayNames[0]), L"Sun");
        EXPECT_EQ(Text(dlg.m_dayNames[4]), L"Thu");
        // The detail page of day 1 shows pressure and visibility.
        EXPECT_EQ(dlg.m_selHigh, L"24\u00B0");
        EXPECT_EQ(dlg.m_selLow, L"12\u00B0");
        EXPECT_EQ(dlg.m_selHumidityOrPressure, L"1015");
        EXPECT_EQ(dlg.m_selPrecipitationOrVisibility, L"20");
    });
}

TEST_F(ForecastDlgTest, ARecordThreeDaysOldShowsItsLastTwoDaysAndEmptySlots) {
    StorePlace(L"Paris", JuneForecast(), L"18/06/2009", L"France");
    Run(L"Paris", [](CForecastDlg& dlg) {
        EXPECT_EQ(dlg.m_todayIndex, 3u);
        EXPECT_EQ(dlg.m_daysLeft, 1);
        EXPECT_EQ(dlg.m_condition[0], L"Rain");
        EXPECT_EQ(dlg.m_condition[1], L"Fog");
        EXPECT_EQ(dlg.m_pressure, L"");
        EXPECT_EQ(dlg.m_humidity[0], L"85"); // humidity, not pressure, on a later day
        for (int k = 2; k < 5; ++k) {
            EXPECT_EQ(dlg.m_temperature[k], L"") << k;
            EXPECT_EQ(dlg.m_iconPath[k], L"") << k;
        }
        EXPECT_EQ(Text(dlg.m_dateLine), L"\n18/06/2009, 10:00 GMT");
        EXPECT_EQ(dlg.m_selHumidityOrPressure, L"85");
    });
}

// A short forecast and values left out: each missing measured value reads "N/A", in °F too, and
// the days the forecast does not reach are empty slots.
TEST_F(ForecastDlgTest, MissingValuesOfAShortForecastShowAsNoData) {
    std::string june = JuneForecast();
    june.pop_back(); // 59 fields: day 4 lacks its precipitation
    june.erase(june.rfind('^') + 1);
    // Values left out, and a forecast that ends after day 2's condition text.
    const std::string gaps =
        ForecastOf({{"", "Sunny", "Sunday 06/21/2009", "10:00", "12", "24", "", "NNE", "", "", "20"},
                    {"W03", "Cloudy", "Monday 06/22/2009", "10:00", "", "-", "20", "N", "-", "60", "10"}}) +
        "W09^Rain^";
    StorePlace(L"Paris", june, L"21/06/2009", L"France");
    StorePlace(L"Oslo", gaps, L"21/06/2009", L"Norway");
    Run(L"Paris", [](CForecastDlg& dlg) {
        EXPECT_EQ(dlg.m_precipitation[4], L"N/A");
        EXPECT_EQ(dlg.m_humidity[4], L"90");
    });
    for (BYTE celsius : {1, 0}) {
        Run(
            L"Oslo",
            [celsius](CForecastDlg& dlg) {
                EXPECT_EQ(dlg.m_windSpeed[0], L"N/A");
                EXPECT_EQ(dlg.m_pressure, L"N/A");
                EXPECT_EQ(dlg.m_visibility, L"20");
                EXPECT_EQ(dlg.m_feelsLike[0], L"N/A");
                EXPECT_EQ(dlg.m_iconPath[0], L"\\Program Files\\Jorvana\\wiconset\\na.bmp");
                EXPECT_EQ(dlg.m_temperature[1], L"-\u00B0 : N/A\u00B0");
                EXPECT_EQ(dlg.m_feelsLike[1], celsius ? L"20" : L"68");
                EXPECT_EQ(dlg.m_windSpeed[1], L"N/A");
                // Day 2 holds no date: the forecast does not reach it, nor the days after it.
                for (int k = 2; k < 5; ++k) {
                    EXPECT_EQ(dlg.m_temperature[k], L"") << k;
                    EXPECT_EQ(dlg.m_dateTime[k], L"") << k;
                }
                device::display::test::PumpUntilIdle();
                testsupport::SaveScreenshot(celsius ? "forecast_short_overview" : "forecast_short_overview_f");
                dlg.OnShowDayByDay();
                TapNext(dlg);
                device::display::test::PumpUntilIdle();
                if (celsius) testsupport::SaveScreenshot("forecast_short_day2");
                EXPECT_EQ(dlg.m_selLow, L"N/A\u00B0");
                TapNext(dlg);
                EXPECT_EQ(dlg.m_selectedDay, 3);
                EXPECT_EQ(dlg.m_selDateTime, L"");
            },
            celsius);
    }
}

TEST_F(ForecastDlgTest, OutOfDateFutureAndNeverSyncedRecordsLeaveEverySlotEmpty) {
    StorePlace(L"Paris", JuneForecast(), L"10/06/2009", L"France"); // long past
    StorePlace(L"Oslo", JuneForecast(), L"25/06/2009", L"Norway"); // days ahead
    for (const wchar_t* city : {L"Paris", L"Oslo"}) {
        Run(city, [city](CForecastDlg& dlg) {
            for (int k = 0; k < 5; ++k) EXPECT_EQ(dlg.m_temperature[k], L"") << city << k;
            EXPECT_EQ(dlg.m_iconPath[0], L"") << city;
        });
    }
    // Rome has never been synchronised.
    Run(L"Rome", [](CForecastDlg& dlg) {
        EXPECT_EQ(dlg.m_temperature[0], L"");
        EXPECT_EQ(Text(dlg.m_cityLine), L"Rome, Italy");
        dlg.OnShowDayByDay();
        device::display::test::PumpUntilIdle();
        testsupport::SaveScreenshot("forecast_no_forecast");
    });
    EXPECT_TRUE(device::ui::MessageBoxRecords().empty());
}

TEST_F(ForecastDlgTest, FahrenheitConvertsTemperaturesAndFeelsLikeKeepingPlaceholders) {
    StorePlace(L"Paris", JuneForecast(), L"21/06/2009", L"France");
    Run(
        L"Paris",
        [](CForecastDlg& dlg) {
            EXPECT_EQ(dlg.m_temperature[0], L"75\u00B0 : 54\u00B0");
            EXPECT_EQ(dlg.m_feelsLike[1], L"68/77");
            EXPECT_EQ(dlg.m_feelsLike[2], L"-");
            EXPECT_EQ(dlg.m_feelsLike[3], L"N/A");
            EXPECT_EQ(dlg.m_temperature[4], L"N/A\u00B0 : -\u00B0");
        },
        0);
}

// A reply written with signs, blanks and a feels-like pair missing a half, and a wind left empty:
// stored, then shown as the numbers the server meant, in °C and °F alike, the empty wind as the
// other missing values.
TEST_F(ForecastDlgTest, SignedPaddedAndHalfMissingValuesShowAsTheServerMeantThem) {
    const std::string forecast = ForecastOf(
        {{"W01", "Sunny", "Sunday 06/21/2009", "10:00", "12 ", " +20", "65/-", "", "", "1015", "20"},
         {"W03", "Cloudy", "Monday 06/22/2009", "10:00", "+11", "  31 ", " 30 / 25", "N", "+12", "60",
          "10"}});
    {
        CWeatherDb store;
        store.Open();
        ASSERT_TRUE(StorePlaceWeatherReply(store, L"Paris", L"A1", Wide("A1^" + forecast + "@").c_str()));
    }
    for (BYTE celsius : {1, 0}) {
        Run(
            L"Paris",
            [celsius](CForecastDlg& dlg) {
                EXPECT_EQ(dlg.m_temperature[0], celsius ? L"+20\u00B0 : 12\u00B0" : L"68\u00B0 : 54\u00B0");
                EXPECT_EQ(dlg.m_temperature[1], celsius ? L"31\u00B0 : +11\u00B0" : L"88\u00B0 : 52\u00B0");
                EXPECT_EQ(dlg.m_feelsLike[0], celsius ? L"65/-" : L"149/-");
                EXPECT_EQ(dlg.m_feelsLike[1], celsius ? L"30/25" : L"86/77");
                EXPECT_EQ(dlg.m_windDirection[0], L"N/A");
                EXPECT_EQ(dlg.m_windSpeed[0], L"N/A");
                EXPECT_EQ(dlg.m_windSpeed[1], L"+12");
            },
            celsius);
    }
}

TEST_F(ForecastDlgTest, InFahrenheitAnUpdateThatLeavesTheRecordOutOfDateConvertsNothingTwice) {
    StorePlace(L"Paris", JuneForecast(), L"21/06/2009", L"France");
    ScriptedServer server;
    // The server's forecast for Paris is three weeks old.
    const std::string old = ForecastOf({{"W01", "Sunny", "Monday 06/01/2009", "10:00", "12", "24", "26", "N", "5", "1015", "20"}});
    server.Script("/feed", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, "A1^" + old + "@"});
    testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"adrs.cfg"), server.Url("/feed") + "*");
    // The old forecast is stored as it came; the user is told that its date and the device's
    // disagree.
    device::ui::ScriptMessageBoxAnswers({IDYES, IDOK, IDOK});
    Run(
        L"Paris",
        [](CForecastDlg& dlg) {
            EXPECT_EQ(dlg.m_temperature[0], L"75\u00B0 : 54\u00B0");
            dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_FORECAST_UPDATE, BN_CLICKED),
                            reinterpret_cast<LPARAM>(dlg.m_updateButton.m_hWnd));
            EXPECT_EQ(dlg.m_temperature[0], L"75\u00B0 : 54\u00B0");
            EXPECT_EQ(dlg.m_feelsLike[1], L"68/77");
        },
        0);
    const auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes.back().text, L"The forecasts received are for 01/06/2009, but the device's date is 21/06/2009."
                                 L"\n\nThe device's date is probably wrong: please check its date and time.");
    EXPECT_EQ(Records()[1], L"Paris|A1|" + Wide(old) + L"|01/06/2009:France");
}

TEST_F(ForecastDlgTest, ArrowsStepThroughTheDaysWrappingOnlyOnTheDayPage) {
    StorePlace(L"Paris", JuneForecast(), L"21/06/2009", L"France");
    Run(L"Paris", [](CForecastDlg& dlg) {
        ASSERT_FALSE(dlg.m_dayByDay);
        TapNext(dlg);
        EXPECT_EQ(dlg.m_selectedDay, 1); // overview: the arrows do nothing
        dlg.SendMessage(WM_COMMAND, ID_FORECAST_DAY_BY_DAY, 0);
        ASSERT_TRUE(dlg.m_dayByDay);
        TapPrevious(dlg);
        EXPECT_EQ(dlg.m_selectedDay, 5);
        EXPECT_EQ(dlg.m_selCondition, L"Fog");
        TapNext(dlg);
        EXPECT_EQ(dlg.m_selectedDay, 1);
        TapNext(dlg);
        EXPECT_EQ(dlg.m_selectedDay, 2);
        EXPECT_EQ(dlg.m_selCondition, L"Partly Cloudy");
        EXPECT_EQ(dlg.m_selHumidityOrPressure, L"60"); // humidity from day 2 on
        TapClient(dlg, 100, 100);                      // elsewhere: nothing
        EXPECT_EQ(dlg.m_selectedDay, 2);
    });
}

TEST_F(ForecastDlgTest, ViewCommandsAreRememberedAndTheLinkTogglesTheOverview) {
    StorePlace(L"Paris", JuneForecast(), L"21/06/2009", L"France");
    Run(L"Paris", [this](CForecastDlg& dlg) {
        EXPECT_EQ(dlg.m_linkText, L"+ Infos>");
        TapClient(dlg, dlg.m_workWidth - 20, 8);
        EXPECT_EQ(dlg.m_linkText, L"<Back");
        TapClient(dlg, dlg.m_workWidth - 20, 8);
        EXPECT_EQ(dlg.m_linkText, L"+ Infos>");
        dlg.SendMessage(WM_COMMAND, ID_FORECAST_DAY_BY_DAY, 0);
        EXPECT_EQ(m_reg.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", L"daybyday"), 1u);
    });
    // The next run opens on the day page, at day 1 with the link in its first form.
    Run(L"Paris", [this](CForecastDlg& dlg) {
        EXPECT_TRUE(dlg.m_dayByDay);
        EXPECT_EQ(dlg.m_selectedDay, 1);
        EXPECT_EQ(ShowMenuChecks(dlg), std::make_pair(false, true)); // the Show menu marks the day view
        dlg.SendMessage(WM_COMMAND, ID_FORECAST_OVERVIEW, 0);
        EXPECT_FALSE(dlg.m_dayByDay);
        EXPECT_EQ(m_reg.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", L"daybyday"), 0u);
        EXPECT_EQ(ShowMenuChecks(dlg), std::make_pair(true, false));
    });
}

TEST_F(ForecastDlgTest, UpdateFetchesThePlaceAloneAndShowsTheNewForecast) {
    StorePlace(L"Paris", JuneForecast(), L"18/06/2009", L"France");
    ScriptedServer server;
    std::string fresh = JuneForecast();
    server.Script("/feed", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, "A1^" + fresh + "@"});
    testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"adrs.cfg"), server.Url("/feed") + "*");
    device::ui::ScriptMessageBoxAnswers({IDYES});
    Run(L"Paris", [](CForecastDlg& dlg) {
        EXPECT_EQ(dlg.m_todayIndex, 3u);
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_FORECAST_UPDATE, BN_CLICKED),
                        reinterpret_cast<LPARAM>(dlg.m_updateButton.m_hWnd));
        EXPECT_EQ(dlg.m_todayIndex, 0u);
        EXPECT_EQ(dlg.m_condition[0], L"Sunny");
        EXPECT_EQ(Text(dlg.m_dateLine), L"\n21/06/2009, 10:00 GMT");
    });
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].body.find("jc=111&c='A1'&os=wince"), std::string::npos) << requests[0].body;
    EXPECT_NE(requests[0].body.find("home=Lyon"), std::string::npos) << requests[0].body;
    EXPECT_EQ(Records()[1], L"Paris|A1|" + Wide(fresh) + L"|21/06/2009:France");
}

TEST_F(ForecastDlgTest, UpdateWithoutAUsableReplySaysSoAndKeepsTheStore) {
    StorePlace(L"Paris", JuneForecast(), L"21/06/2009", L"France");
    ScriptedServer server;
    server.Script("/feed", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, "A1^truncated"});
    testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"adrs.cfg"), server.Url("/feed") + "*");
    auto before = Records();
    device::ui::ScriptMessageBoxAnswers({IDYES, IDOK});
    Run(L"Paris", [](CForecastDlg& dlg) {
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_FORECAST_UPDATE, BN_CLICKED),
                        reinterpret_cast<LPARAM>(dlg.m_updateButton.m_hWnd));
        EXPECT_EQ(dlg.m_condition[0], L"Sunny");
    });
    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, L"Syncronisation failed");
    EXPECT_EQ(Records(), before);
}

TEST_F(ForecastDlgTest, UpdateStoresTheRecordOfThePlacesOwnCodeOnly) {
    StorePlace(L"Paris", JuneForecast(), L"18/06/2009", L"France");
    ScriptedServer server;
    std::string paris = JuneForecast();
    std::string rome = ForecastOf({{"W09", "Rain", "Sunday 06/21/2009", "11:00", "1", "2", "3", "W", "4", "5", "6"}});
    server.Script("/feed", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, "C3^" + rome + "@A1^" + paris + "@"});
    testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"adrs.cfg"), server.Url("/feed") + "*");
    device::ui::ScriptMessageBoxAnswers({IDYES, IDYES, IDOK});
    Run(L"Paris", [&](CForecastDlg& dlg) {
        auto tapUpdate = [&dlg] {
            dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_FORECAST_UPDATE, BN_CLICKED),
                            reinterpret_cast<LPARAM>(dlg.m_updateButton.m_hWnd));
        };
        tapUpdate();
        EXPECT_EQ(dlg.m_condition[0], L"Sunny");
        // A reply of another city only: nothing of it reaches Paris.
        server.Script("/feed", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, "C3^" + rome + "@"});
        tapUpdate();
        EXPECT_EQ(dlg.m_condition[0], L"Sunny");
    });
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(device::ui::MessageBoxRecords().back().text, L"Syncronisation failed");
    auto rows = Records();
    EXPECT_EQ(rows[1], L"Paris|A1|" + Wide(paris) + L"|21/06/2009:France");
    EXPECT_EQ(rows[2], L"Rome|C3||01/01/2000:Italy");
}

TEST_F(ForecastDlgTest, OverviewAndDayPagesAreDrawn) {
    StorePlace(L"Paris", JuneForecast(), L"21/06/2009", L"France");
    Run(L"Paris", [](CForecastDlg& dlg) {
        const int top = dlg.m_topMargin;
        const int pitch = dlg.RowPitch();
        EXPECT_EQ(top, 10); // portrait
        auto pixel = [&dlg](int x, int y) {
            CPoint p(x, y);
            dlg.ClientToScreen(&p);
            return device::display::test::PixelAt(p.x, p.y);
        };
        // The second row's band, and the bottom panel under the rows.
        EXPECT_EQ(pixel(dlg.m_workWidth - 3, top + pitch + 31), RGB(236, 236, 236));
        EXPECT_EQ(pixel(2, top + 4 * pitch + 40), static_cast<COLORREF>(0xEEDDCC));
        // The first row's picture: sunny.bmp has no magenta left over where it is drawn.
        EXPECT_NE(pixel(7 + (dlg.m_iconWidth + 5) / 2, top - 3 + (dlg.m_iconHeight + 8) / 2), RGB(255, 0, 255));
        testsupport::SaveScreenshot("forecast_overview");
        TapClient(dlg, dlg.m_workWidth - 20, 8);
        testsupport::SaveScreenshot("forecast_overview_details");
        dlg.SendMessage(WM_COMMAND, ID_FORECAST_DAY_BY_DAY, 0);
        device::display::test::PumpUntilIdle();
        EXPECT_EQ(pixel(3, 5), static_cast<COLORREF>(0xE4D3C2)); // the title band
        EXPECT_EQ(pixel(3, 110), static_cast<COLORREF>(0xFEF1E0)); // the day panel
        testsupport::SaveScreenshot("forecast_day1");
    });
    // Three days left: day 5 lies beyond the forecast and shows the grey box.
    StorePlace(L"Paris", JuneForecast(), L"20/06/2009", L"France");
    Run(L"Paris", [](CForecastDlg& dlg) {
        EXPECT_EQ(dlg.m_daysLeft, 3);
        TapPrevious(dlg);
        EXPECT_EQ(dlg.m_selectedDay, 5);
        device::display::test::PumpUntilIdle();
        CRect client;
        dlg.GetClientRect(&client);
        CPoint p(client.Width() / 2 - 40, (dlg.m_topMargin + 4 * dlg.RowPitch() - 18) / 2);
        dlg.ClientToScreen(&p);
        EXPECT_EQ(device::display::test::PixelAt(p.x, p.y), RGB(0xDC, 0xDC, 0xDC));
        testsupport::SaveScreenshot("forecast_day5_unknown");
    });
}

TEST_F(ForecastDlgTest, LandscapeLayoutMovesTheRowsAndSizesTheButton) {
    StorePlace(L"Paris", JuneForecast(), L"21/06/2009", L"France");
    device::display::test::Rotate(); // 320 x 240
    Run(L"Paris", [](CForecastDlg& dlg) {
        EXPECT_EQ(dlg.m_topMargin, 5);
        EXPECT_EQ(dlg.m_rowGap, 10);
        CRect button;
        dlg.m_updateButton.GetWindowRect(&button);
        EXPECT_EQ(button.Width(), 80);
        EXPECT_EQ(button.Height(), 22);
        EXPECT_TRUE(dlg.m_updateButton.IsWindowVisible());
        testsupport::SaveScreenshot("forecast_landscape");
    });
    device::display::test::Rotate();
}

// Negative temperatures, a long Feels Like and the pressure and visibility line: on every shape
// and in both overview states each row text ends inside the dialog, the first row's before the
// link text at the top right.
TEST_F(ForecastDlgTest, OverviewTextsEndInsideTheDialogAndBeforeTheLink) {
    StorePlace(L"Paris",
               ForecastOf({{"W12", "Snow", "Sunday 06/21/2009", "10:00", "-28", "-19", "-30/-35", "NNE", "137", "1013",
                            "10.0"},
                           {"W12", "Snow", "Monday 06/22/2009", "10:00", "-27", "-18", "-29/-34", "WSW", "45", "100",
                            "100"}}),
               L"21/06/2009", L"France");
    auto recorder = std::make_shared<device::gdi::CallRecorder>();
    for (const auto& shape : {std::pair{240, 320}, {320, 240}, {240, 240}, {320, 320}}) {
        const int width = shape.first, height = shape.second;
        device::ui::SetScreenShape(width, height);
        Run(L"Paris", [&](CForecastDlg& dlg) {
            for (int state = 0; state < 2; ++state) {
                device::gdi::SetDefaultRecorder(recorder);
                dlg.Invalidate(TRUE);
                recorder->Clear();
                dlg.UpdateWindow();
                device::gdi::SetDefaultRecorder(nullptr);
                device::gdi::RecordedCall link;
                ASSERT_TRUE(recorder->FindText(dlg.m_linkText.Str(), link));
                const int panelTop = dlg.m_topMargin + 4 * dlg.RowPitch() + 30;
                for (const auto& call : recorder->Calls()) {
                    if (call.text.empty() || call.pos.y >= panelTop || call.text == dlg.m_linkText.Str()) continue;
                    const int end = call.pos.x + weathertest::DrawnWidth(call);
                    EXPECT_LE(end, dlg.m_workWidth) << width << "x" << height << " state " << state;
                    // The first row's first line stands level with the link.
                    if (call.pos.y <= dlg.RowTop(0) && call.pos.x > dlg.m_iconWidth + 40) {
                        EXPECT_LE(end, link.pos.x) << width << "x" << height << " state " << state;
                    }
                }
                TapClient(dlg, dlg.m_workWidth - 20, 8); // the link: the other state
            }
        });
    }
    device::ui::SetScreenShape(240, 320);
}

// A raised panel over a square screen covers the view's foot: the view scrolls its Update button
// above the panel, taps land where the scrolled view shows them, and the panel going down puts
// the view back at its top with nothing to scroll.
TEST_F(ForecastDlgTest, UnderARaisedPanelTheViewScrollsAndComesBackWhenItGoesDown) {
    StorePlace(L"Paris", JuneForecast(), L"21/06/2009", L"France");
    device::ui::SetScreenShape(240, 240);
    Run(L"Paris", [](CForecastDlg& dlg) {
        device::ui::SetSipUp(true);
        device::display::test::PumpUntilIdle();
        ASSERT_GT(dlg.m_scrollRange, 0);
        dlg.SendMessage(WM_COMMAND, ID_FORECAST_DAY_BY_DAY, 0);
        dlg.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
        device::display::test::PumpUntilIdle();
        ASSERT_EQ(dlg.m_scrollPos, 10);
        CRect client;
        dlg.GetClientRect(&client);
        TapClient(dlg, client.right - 12, 10); // the next-day arrow, 10 pixels higher on screen
        EXPECT_EQ(dlg.m_selectedDay, 2);
        dlg.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
        device::display::test::PumpUntilIdle();
        CRect update;
        dlg.m_updateButton.GetWindowRect(&update);
        EXPECT_LE(update.bottom, device::ui::SipRect().top);
        device::ui::SetSipUp(false);
        device::display::test::PumpUntilIdle();
        EXPECT_EQ(dlg.m_scrollPos, 0);
        EXPECT_EQ(dlg.m_scrollRange, 0);
        EXPECT_FALSE(dlg.GetStyle() & WS_VSCROLL);
    });
    device::ui::SetScreenShape(240, 320);
}

TEST(SplitCaretFieldsTest, TakesOnlyFieldsClosedByACaret) {
    CString fields[60];
    SplitCaretFields(L"a^^c^tail", fields);
    EXPECT_EQ(fields[0], L"a");
    EXPECT_EQ(fields[1], L"");
    EXPECT_EQ(fields[2], L"c");
    EXPECT_EQ(fields[3], L""); // "tail" has no caret after it
    std::wstring many;
    for (int i = 0; i < 70; ++i) many += std::to_wstring(i) + L"^";
    SplitCaretFields(many.c_str(), fields);
    EXPECT_EQ(fields[59], L"59");
}

} // namespace
