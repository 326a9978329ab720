// What the item shows of the program's settings and stores: clock times with daylight saving and
// the device's zone, weather columns by record age, Fahrenheit, and the currency strip.

#include "TodayTestSupport.h"
#include "support/DstChangeTable.h"
#include "support/TzdataFixture.h"

#include <algorithm>
#include <map>

namespace {

using todaytest::TodayTest;

class TodayData : public TodayTest {
protected:
    bool Has(const std::vector<std::wstring>& texts, const std::wstring& t) {
        return std::find(texts.begin(), texts.end(), t) != texts.end();
    }
};

TEST_F(TodayData, ClockLinesShowEachCityTimeWithItsDaylightSaving) {
    SeedAll();
    Write(L"Jorvana", L"todaynbcs", 5);
    Write(L"Jorvana\\wrldclk", L"clock2", 4); // St. John's, -3:30
    StartScreen();
    auto texts = Paint();
    // Device at UTC 10:20. Berlin +1 and summer time; Delhi +5:30; St. John's -3:30 borrowing
    // across the hour; New York -5 and summer time; Tokyo +9.
    for (const wchar_t* t : {L"Berlin", L"12:20", L"Delhi", L"15:50", L"St. John's", L"06:50", L"New York",
                             L"06:20", L"Tokyo", L"19:20"})
        EXPECT_TRUE(Has(texts, t)) << t;
    // The home line is bold, the others normal, all Tahoma at -11.
    device::gdi::RecordedCall home, other;
    ASSERT_TRUE(Drew(L"Berlin", &home));
    ASSERT_TRUE(Drew(L"Delhi", &other));
    EXPECT_EQ(home.fontWeight, 700);
    EXPECT_EQ(other.fontWeight, 400);
    EXPECT_EQ(home.fontFace, L"Tahoma");
    EXPECT_EQ(home.fontHeight, -11);
    EXPECT_EQ(home.pos.x, 25);
    EXPECT_EQ(home.pos.y, 5);
    EXPECT_EQ(other.pos.y, 25);
}

TEST_F(TodayData, RuleWindowClosesAtItsEndHourAndTheHomeCityGivesTheDeviceZone) {
    SeedAll();
    // Berlin's window closes on day 298 (25 October 2026) at 03:00 of its standard time (02:00
    // UTC): summer time up to the minute before, standard time from then on.
    device::SetDeviceClock("2026-10-25T01:59:00Z");
    StartScreen();
    EXPECT_TRUE(Has(Paint(), L"03:59"));
    device::SetDeviceClock("2026-10-25T02:00:00Z");
    EXPECT_TRUE(Has(Paint(), L"03:00"));
    device::SetDeviceClock("2026-10-25T22:30:00Z");
    EXPECT_TRUE(Has(Paint(), L"23:30"));

    // Without zone synchronisation the home city stands for the device's zone: the device at
    // Berlin summer time (UTC+2), Delhi is three and a half hours ahead.
    ASSERT_TRUE(device::SetDeviceZone("Europe/Berlin"));
    Write(L"Jorvana\\wrldclk", L"syncltz", 0);
    device::SetDeviceClock("2026-06-15T10:20:30Z");
    auto texts = Paint();
    EXPECT_TRUE(Has(texts, L"12:20"));
    EXPECT_TRUE(Has(texts, L"15:50"));
    // With it, the device's zone as its clock shows it, summer time included: the same texts.
    Write(L"Jorvana\\wrldclk", L"syncltz", 1);
    texts = Paint();
    EXPECT_TRUE(Has(texts, L"12:20"));
    EXPECT_TRUE(Has(texts, L"15:50"));
    EXPECT_FALSE(Has(texts, L"16:50"));
}

TEST_F(TodayData, SouthernSummerFromJanuaryAndZonesMoreThanADayApart) {
    // CityIndex: Kiritimati 0, Pago Pago 1, Sydney 2 (summer time from day 277 to day 95).
    SeedClockCities({"Pacific/Kiritimati;Kiritimati;Kiribati;-157;2;14;0;0;0;0;0",
                     "Pacific/Pago_Pago;Pago Pago;American Samoa;-170;-14;-11;0;0;0;0;0",
                     "Australia/Sydney;Sydney;Australia;151;-34;10;1;277;2;95;3"},
                    {1, 0, 2}, 1);
    // 10 February, device at UTC: Sydney is still in the summer that began last October.
    device::SetDeviceClock("2026-02-10T10:00:00Z");
    StartScreen();
    EXPECT_TRUE(Has(Paint(), L"21:00"));
    // In June, between its end day and its start day, Sydney keeps standard time; in December
    // it is in the summer that began in October.
    device::SetDeviceClock("2026-06-10T10:00:00Z");
    auto june = Paint();
    EXPECT_TRUE(Has(june, L"20:00"));
    EXPECT_FALSE(Has(june, L"21:00"));
    device::SetDeviceClock("2026-12-10T10:00:00Z");
    EXPECT_TRUE(Has(Paint(), L"21:00"));
    // Home Pago Pago (-11) at 23:30: Kiritimati (+14) is 25 hours ahead, at 00:30.
    Write(L"Jorvana\\wrldclk", L"syncltz", 0);
    device::SetDeviceClock("2026-02-10T23:30:00Z");
    auto texts = Paint();
    EXPECT_TRUE(Has(texts, L"23:30"));
    EXPECT_TRUE(Has(texts, L"00:30"));
    EXPECT_FALSE(Has(texts, L"24:30"));
}

TEST_F(TodayData, TheHomeCitysLastSummerHourKeepsTheOtherLinesRight) {
    // The shipped rules of 2026; CityIndex Adelaide 0, London 1, New York 2, Paris 3.
    SeedClockCities({"Australia/Adelaide;Adelaide;Australia;139;-35;930;1;277;2;95;2",
                     "Europe/London;London;United Kingdom;0;51;0;1;88;1;298;1",
                     "America/New_York;New York;United States of America;-74;41;-5;1;67;2;305;1",
                     "Europe/Paris;Paris;France;2;49;1;1;88;2;298;2"},
                    {1, 2, 3}, 0);
    Write(L"Jorvana", L"todaynbcs", 3);
    // Home London on a London device at 01:30 summer time, the night the clocks go back.
    ASSERT_TRUE(device::SetDeviceZone("Europe/London"));
    device::SetDeviceClock("2026-10-25T00:30:00Z");
    StartScreen();
    auto texts = Paint();
    for (const wchar_t* t : {L"01:30", L"20:30", L"02:30"}) EXPECT_TRUE(Has(texts, t)) << t;
    device::SetDeviceClock("2026-10-25T01:01:00Z"); // 01:01 winter time
    texts = Paint();
    for (const wchar_t* t : {L"01:01", L"21:01", L"02:01"}) EXPECT_TRUE(Has(texts, t)) << t;

    // Home Adelaide on an Adelaide device at 02:50 summer time, the night its clocks go back.
    ASSERT_TRUE(device::SetDeviceZone("Australia/Adelaide"));
    Write(L"Jorvana\\wrldclk", L"clock", 0);
    device::SetDeviceClock("2026-04-04T16:20:00Z");
    texts = Paint();
    for (const wchar_t* t : {L"02:50", L"12:20", L"18:20"}) EXPECT_TRUE(Has(texts, t)) << t;
}

TEST_F(TodayData, InTheYearAfterTheListsYearEveryLineReadsTzdataAroundEveryChange) {
    // The shipped list (rules of its year) and tzdata's clock table: the next year's rows of one
    // home city of each zone (its cities share the rule) on a device in that zone, the table's
    // four clock cities on the other lines.
    testsupport::CopyToDevice(std::string(JORVANA_DATA_DIR) + "/cities.lst", testsupport::InProgramFolder(L"cities.lst"));
    testsupport::CopyToDevice(std::string(JORVANA_DATA_DIR) + "/dstyears.lst",
                              testsupport::InProgramFolder(L"dstyears.lst"));
    CCitiesDb cities;
    cities.Open();
    ASSERT_GT(cities.GetRulesYear(), 2000);
    const std::string nextYear = std::to_string(cities.GetRulesYear() + 1) + "-";
    auto indexOf = [&](const std::wstring& nameCountry) {
        EXPECT_TRUE(cities.FindCity(nameCountry.c_str())) << std::string(nameCountry.begin(), nameCountry.end());
        return cities.GetCurrentIndex();
    };
    const testsupport::DstTable table = testsupport::ReadDstTable(std::string(JORVANA_TESTS_DIR) + "/clocks/DstChangeTable.txt");
    ASSERT_EQ(table.clockCities.size(), 4u);
    const LPCWSTR clockNames[] = {L"clock1", L"clock2", L"clock3", L"clock4"};
    for (int i = 0; i < 4; ++i) Write(L"Jorvana\\wrldclk", clockNames[i], indexOf(table.clockCities[i]));
    Write(L"Jorvana\\wrldclk", L"syncltz", 0);
    Write(L"Jorvana", L"todaynbcs", 5);
    StartScreen();
    int rows = 0, failures = 0;
    std::string zone;
    std::map<std::string, std::wstring> homeOfZone;
    for (const testsupport::DstTableRow& row : table.rows) {
        if (row.instant.rfind(nextYear, 0) != 0 || homeOfZone.emplace(row.zone, row.home).first->second != row.home)
            continue;
        ++rows;
        if (row.zone != zone) {
            ASSERT_TRUE(device::SetDeviceZone(row.zone)) << row.zone;
        }
        zone = row.zone;
        Write(L"Jorvana\\wrldclk", L"clock", indexOf(row.home));
        device::SetDeviceClock(row.instant);
        // The lines' times in drawing order, the home line's first.
        std::vector<std::string> times;
        for (const std::wstring& t : Paint())
            if (t.size() == 5 && t[2] == L':') times.emplace_back(t.begin(), t.end());
        ASSERT_EQ(times.size(), 5u) << row.instant;
        for (int i = 0; i < 4; ++i)
            if (times[i + 1] != row.texts[i].substr(0, 5) && ++failures <= 20)
                ADD_FAILURE() << "home " << std::string(row.home.begin(), row.home.end()) << " at " << row.instant
                              << ": line " << i + 1 << " shows " << times[i + 1] << ", tzdata " << row.texts[i];
    }
    EXPECT_GT(rows, 500);
    EXPECT_EQ(failures, 0);
}

TEST_F(TodayData, WeatherColumnsFollowTheRecordsAge) {
    SeedCities();
    // Berlin today, Delhi five days old, London three days old.
    SeedWeather(L"15/06/2026", L"10/06/2026", L"12/06/2026");
    SeedCurrencies(false);
    StartScreen();
    auto texts = Paint();
    // Berlin: days 0 to 2, highs 20 21 22 and lows 10 11 12.
    for (const wchar_t* t : {L"20\u00B0", L"21\u00B0", L"22\u00B0", L"10\u00B0", L"11\u00B0", L"12\u00B0"})
        EXPECT_TRUE(Has(texts, t)) << t;
    // London: days 3 and 4 only (highs 13, 14), no third column.
    EXPECT_TRUE(Has(texts, L"13\u00B0"));
    EXPECT_TRUE(Has(texts, L"14\u00B0"));
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(), [](auto& t) { return t.find(L'\u00B0') != t.npos; }), 10);
    // Delhi's forecast is outdated: none of its 40s.
    EXPECT_FALSE(Has(texts, L"40\u00B0"));
    device::gdi::RecordedCall high;
    ASSERT_TRUE(Drew(L"21\u00B0", &high));
    // The columns stand at 161, 194 and 226, moved left together only as far as the third
    // column's text needs to end inside the item.
    device::gdi::RecordedCall third;
    ASSERT_TRUE(Drew(L"22\u00B0", &third));
    RECT client{};
    GetClientRect(Item(), &client);
    EXPECT_LE(third.rect.right, client.right);
    EXPECT_EQ(third.pos.x - high.pos.x, 226 - 194);
    EXPECT_LE(high.pos.x, 194);
    EXPECT_GE(high.pos.x, 194 - 13);
    EXPECT_EQ(high.pos.y, 0);
    EXPECT_EQ(high.fontHeight, 11);
    EXPECT_FALSE(testsupport::SaveScreenshot("today-weather").empty());
}

TEST_F(TodayData, ARecordDatedTomorrowDrawsNoColumnsAndFahrenheitKeepsMissingValues) {
    SeedCities();
    SeedWeather(L"16/06/2026", L"", L"");
    SeedCurrencies(false);
    StartScreen();
    auto texts = Paint();
    EXPECT_TRUE(std::none_of(texts.begin(), texts.end(), [](auto& t) { return t.find(L'\u00B0') != t.npos; }));

    SeedWeather(L"15/06/2026", L"", L"");
    Write(L"Jorvana", L"fara", 1);
    texts = Paint();
    // 20 C = 68 F, 10 C = 50 F, 22 C = 71.6 F written without decimals.
    for (const wchar_t* t : {L"68\u00B0", L"50\u00B0", L"72\u00B0"}) EXPECT_TRUE(Has(texts, t)) << t;
    EXPECT_FALSE(Has(texts, L"20\u00B0"));
}

// A low the server left out reads "N/A", in °F too; the day a short forecast does not reach draws
// no column.
TEST_F(TodayData, MissingValuesOfAShortForecastShowAsNoData) {
    SeedCities();
    SeedWeather(L"15/06/2026", L"", L"");
    SeedCurrencies(false);
    std::wstring berlin = todaytest::Forecast(10);
    berlin.replace(berlin.find(L"Day0^10^"), 8, L"Day0^^");
    size_t end = 0;
    for (int i = 0; i < 24; ++i) end = berlin.find(L'^', end) + 1; // days 0 and 1 only
    berlin.erase(end);
    CWeatherDb weather;
    weather.Open();
    weather.UpdateCity(L"Berlin", L"GMXX0007", berlin.c_str(), L"15/06/2026:Germany", 1);
    StartScreen();
    auto degrees = [](const std::vector<std::wstring>& texts) {
        std::vector<std::wstring> found;
        for (const auto& t : texts)
            if (t.find(L'\u00B0') != t.npos) found.push_back(t);
        return found;
    };
    EXPECT_EQ(degrees(Paint()), (std::vector<std::wstring>{L"20\u00B0", L"N/A\u00B0", L"21\u00B0", L"11\u00B0"}));
    Write(L"Jorvana", L"fara", 1);
    EXPECT_EQ(degrees(Paint()), (std::vector<std::wstring>{L"68\u00B0", L"N/A\u00B0", L"70\u00B0", L"52\u00B0"}));
}

TEST_F(TodayData, CurrencyStripShowsThePairAndTheRatesDate) {
    SeedCities();
    SeedCurrencies(false);
    StartScreen();
    auto texts = Paint();
    // curp = CHF (0.5), curp2 = EUR (1), curp3 = USD (0.8); never updated.
    EXPECT_TRUE(Has(texts, L"1 CHF = 0.500000 EUR"));
    EXPECT_TRUE(Has(texts, L" = 0.625000 USD"));
    EXPECT_TRUE(Has(texts, L"[../../....]"));
    device::gdi::RecordedCall first, second, one;
    ASSERT_TRUE(Drew(L"1 CHF = 0.500000 EUR", &first));
    ASSERT_TRUE(Drew(L" = 0.625000 USD", &second));
    EXPECT_EQ(first.pos.y, 3 * 22 - 2);
    EXPECT_EQ(second.pos.y, 3 * 22 + 9);
    EXPECT_GT(second.pos.x, 25); // lined up under the first " = "

    CCurrenciesDb currencies;
    currencies.Open();
    currencies.UpdateRate(L"Franc", L"CHF", L"0.25");
    texts = Paint();
    EXPECT_TRUE(Has(texts, L"1 CHF = 0.250000 EUR"));
    EXPECT_TRUE(Has(texts, L"[15/6/2026]"));

    // A rate stored before rates were checked, that is no positive number, gives no figure.
    for (const wchar_t* bad : {L"nan", L"-2", L"inf", L"0"}) {
        currencies.UpdateRate(L"Franc", L"CHF", bad);
        texts = Paint();
        EXPECT_TRUE(Has(texts, L"1 CHF = - EUR")) << bad;
        EXPECT_TRUE(Has(texts, L" = - USD")) << bad;
    }
}

TEST_F(TodayData, WithoutTheCityStoreTheFirstStartHintIsCentred) {
    StartScreen();
    auto texts = Paint();
    ASSERT_EQ(texts.size(), 2u);
    device::gdi::RecordedCall a, b;
    ASSERT_TRUE(Drew(L"Tap on globe icon to start", &a));
    ASSERT_TRUE(Drew(L" Jorvana for the first time...", &b));
    EXPECT_EQ(a.pos.y, 5);
    EXPECT_EQ(b.pos.y, 20);
    EXPECT_NEAR(a.pos.x + (a.rect.right - a.rect.left) / 2, 120, 1);
    EXPECT_NEAR(b.pos.x + (b.rect.right - b.rect.left) / 2, 120, 1);
    EXPECT_EQ(ItemHeight(), 87);
    EXPECT_FALSE(testsupport::SaveScreenshot("today-first-start").empty());
}

// The program stores the icon folder without a terminator: every paint, not only the first, finds
// the pictures. Negative temperatures end before the next column's picture, the last inside the
// item.
TEST_F(TodayData, PicturesAtEveryPaintAndNegativeTemperaturesInsideTheirColumns) {
    SeedCities();
    SeedWeather(L"15/06/2026", L"", L"15/06/2026");
    {
        CWeatherDb weather;
        weather.Open();
        weather.UpdateCity(L"London", L"UKXX0085", todaytest::Forecast(-30).c_str(), L"15/06/2026:UK", 1);
    }
    SeedCurrencies(false);
    StartScreen();
    RECT client{};
    GetClientRect(Item(), &client);
    for (int paint = 0; paint < 3; ++paint) {
        Paint();
        const auto pictures = m_recorder->Calls("TransparentImage");
        EXPECT_EQ(pictures.size(), 6u) << "paint " << paint; // Berlin's and London's three days
        for (const auto& call : m_recorder->Calls()) {
            if (call.text.find(L'\u00B0') == std::wstring::npos) continue;
            const int row = call.pos.y / 20;
            int end = client.right;
            for (const auto& picture : pictures)
                if (picture.pos.y == 3 + 20 * row && picture.pos.x > call.pos.x) end = std::min<int>(end, picture.pos.x);
            EXPECT_LE(call.rect.right, end) << "paint " << paint << " at " << call.pos.x << "," << call.pos.y;
        }
    }
    EXPECT_FALSE(testsupport::SaveScreenshot("today-negative").empty());
}

} // namespace

namespace {

// A device started on one made-up tzdata release and again on the next: every clock line reads
// the release of each start, and Keepville, whose rule the user changed, keeps its rule.
TEST_F(TodayData, ClockLinesReadTheTzdataOfEachStart) {
    using namespace testsupport;
    auto first = CompileZones(kFirstRelease), second = CompileZones(kSecondRelease);
    ASSERT_TRUE(first && second);
    WriteDeviceFile(InProgramFolder(L"cities.lst"), kFirstReleaseList);
    const LPCWSTR names[] = {L"clock", L"clock1", L"clock2", L"clock3", L"clock4"};
    const DWORD clocks[] = {Gainville, Dropville, Hourville, Keepville, Foreverville};
    for (int i = 0; i < 5; ++i) Write(L"Jorvana\\wrldclk", names[i], clocks[i]);
    Write(L"Jorvana\\wrldclk", L"syncltz", 0);
    {
        CCitiesDb cities;
        cities.Open();
        ASSERT_TRUE(cities.DeleteAt(Keepville));
        ASSERT_TRUE(cities.AddCity(L"Keepville:Testland", L"2:48", L"1:100:2:290:2", L"1"));
    }
    Write(L"Jorvana", L"todaynbcs", 5);
    // The five lines' times in the order they are drawn (home first).
    auto times = [&](const char* utc) {
        device::SetDeviceClock(utc);
        std::wstring shown;
        for (const std::wstring& text : Paint())
            if (text.size() == 5 && text[2] == L':') shown += (shown.empty() ? L"" : L" ") + text;
        return shown;
    };
    std::vector<std::wstring> seen;
    for (const TempFolder* release : {first.get(), second.get()}) {
        ScopedTzdir tzdir(release->Path());
        ASSERT_TRUE(device::SetDeviceZone("Test/Gaining"));
        StartScreen();
        seen.push_back(times("2027-07-01T12:00:00Z"));
        seen.push_back(times("2027-03-28T00:30:00Z"));
        m_screen.reset();
    }
    // Gainville (home, the device's clock), Dropville, Hourville, Keepville, Foreverville.
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], L"04:00 14:00 15:00 14:00 05:00");
    EXPECT_EQ(seen[1], L"16:30 01:30 03:30 01:30 17:30");
    // Gainville now has summer time, Dropville none, Hourville changes an hour later.
    EXPECT_EQ(seen[2], L"05:00 13:00 15:00 14:00 05:00");
    EXPECT_EQ(seen[3], L"17:30 01:30 02:30 01:30 17:30");
}

} // namespace
