// Taps on the item and what the paint makes of the texts: clock rotation, currency pairs,
// the program's start, 12-hour times, cut names, and the weather details dialog.

#include "TodayTestSupport.h"

#include "platform/ui/Dialog.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace {

using todaytest::InProgramFolder;
using todaytest::TodayTest;
using todaytest::WriteDeviceFile;

class TodayPaint : public TodayTest {
protected:
    // The y of each drawn name of the clock lines, by name.
    int TopOf(const std::wstring& text) {
        device::gdi::RecordedCall call;
        return Drew(text, &call) ? call.pos.y : -1;
    }
    bool Has(const std::vector<std::wstring>& texts, const std::wstring& t) {
        return std::find(texts.begin(), texts.end(), t) != texts.end();
    }
};

TEST_F(TodayPaint, ClockTapsRotateThroughFiveViewsBackToTheStoredOrder) {
    SeedAll();
    Write(L"Jorvana", L"todaynbcs", 5);
    StartScreen();
    Paint();
    EXPECT_EQ(TopOf(L"Berlin"), 5);
    EXPECT_EQ(TopOf(L"Tokyo"), 85);
    Tap(60, 30);
    Paint();
    // Clock 4 comes to the top, the others move down one line.
    EXPECT_EQ(TopOf(L"Tokyo"), 5);
    EXPECT_EQ(TopOf(L"Berlin"), 25);
    device::gdi::RecordedCall home;
    ASSERT_TRUE(Drew(L"Tokyo", &home));
    EXPECT_EQ(home.fontWeight, 700);
    for (int i = 0; i < 4; ++i) Tap(60, 30);
    Paint();
    EXPECT_EQ(TopOf(L"Berlin"), 5);
    EXPECT_EQ(TopOf(L"Tokyo"), 85);
    // A tap left of the name area does not rotate.
    Tap(20, 45);
    Paint();
    EXPECT_EQ(TopOf(L"Berlin"), 5);
    // Fewer lines, noticed by a rotating tap: its own paint still reports the new height.
    Write(L"Jorvana", L"todaynbcs", 2);
    Tap(60, 30);
    EXPECT_EQ(m_screen->QueryItems(), 1);
    EXPECT_GT(ItemHeight() - 44, 15);
    EXPECT_LT(ItemHeight() - 44, 40);
}

TEST_F(TodayPaint, StripTapsCycleThePairs) {
    SeedAll();
    StartScreen();
    Paint();
    RECT r{};
    GetClientRect(Item(), &r);
    Tap(60, r.bottom - 3);
    auto texts = Paint();
    EXPECT_TRUE(Has(texts, L"1 EUR = 2.000000 CHF"));
    EXPECT_TRUE(Has(texts, L" = 1.250000 USD"));
    Tap(60, r.bottom - 3);
    texts = Paint();
    EXPECT_TRUE(Has(texts, L"1 USD = 1.600000 CHF"));
    EXPECT_TRUE(Has(texts, L" = 0.800000 EUR"));
    Tap(60, r.bottom - 3);
    EXPECT_TRUE(Has(Paint(), L"1 CHF = 0.500000 EUR"));
}

TEST_F(TodayPaint, GlobeTapStartsTheProgramFromTheInstallFolder) {
    SeedAll();
    // A stand-in program that leaves a mark on the device.
    WriteDeviceFile(InProgramFolder(L"Jorvana.exe"), "#!/bin/sh\necho started > \"$DEVICE_ROOT/fs/started.txt\"\n");
    std::filesystem::permissions(testsupport::HostPath(InProgramFolder(L"Jorvana.exe")),
                                 std::filesystem::perms::owner_all);
    StartScreen();
    Tap(10, 10);
    bool started = false;
    for (int i = 0; i < 200 && !started; ++i) {
        started = testsupport::DeviceFileExists(L"\\started.txt");
        if (!started) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    EXPECT_TRUE(started);
    // Without the program nothing happens and nothing breaks.
    std::filesystem::remove(testsupport::HostPath(InProgramFolder(L"Jorvana.exe")));
    Tap(10, 10);
    EXPECT_TRUE(IsWindow(Item()));
}

TEST_F(TodayPaint, TwelveHourModeRewritesTheHourAndAddsTheLabel) {
    SeedAll();
    Write(L"Jorvana", L"todaynbcs", 5);
    Write(L"Jorvana", L"twelvehour", 1);
    device::SetDeviceClock("2026-06-15T22:05:00Z");
    StartScreen();
    auto texts = Paint();
    // Berlin 00:05 -> 12:05 AM, Delhi 03:35 AM, London 23:05 -> 11:05 PM, New York 18:05 -> 06:05 PM,
    // Tokyo 07:05 AM.
    for (const wchar_t* t : {L"12:05", L"03:35", L"11:05", L"06:05", L"07:05"}) EXPECT_TRUE(Has(texts, t)) << t;
    EXPECT_EQ(std::count(texts.begin(), texts.end(), L"AM"), 3);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), L"PM"), 2);
    device::gdi::RecordedCall time;
    ASSERT_TRUE(Drew(L"12:05", &time));
    // The home line's time stands at 108 - 15, moved left only as far as its label needs to end
    // before the first weather picture.
    EXPECT_LE(time.pos.x, 108 - 15);
    EXPECT_GE(time.pos.x, 108 - 15 - 13);
    const auto pictures = m_recorder->Calls("TransparentImage");
    ASSERT_FALSE(pictures.empty());
    for (const auto& c : m_recorder->Calls())
        if (c.text == L"AM" && c.pos.y == 5) {
            EXPECT_LE(c.rect.right, pictures.front().rect.left);
        }

    device::SetDeviceClock("2026-06-15T10:30:00Z"); // Berlin 12:30 PM, London 11:30 AM
    texts = Paint();
    EXPECT_TRUE(Has(texts, L"12:30"));
    EXPECT_TRUE(Has(texts, L"11:30"));
    EXPECT_TRUE(Has(texts, L"PM"));
}

TEST_F(TodayPaint, LongNamesAreCutWithAnEllipsis) {
    WriteDeviceFile(InProgramFolder(L"cities.lst"),
                    "cities\n2\nX;Llanfairpwllgwyngyll Village;UK;0;0;0;0;0;0;0;0\nX;Oslo;Norway;0;0;1;0;0;0;0;0\n");
    CCitiesDb cities;
    cities.Open();
    Write(L"Jorvana\\wrldclk", L"clock", 0);
    Write(L"Jorvana\\wrldclk", L"clock1", 1);
    Write(L"Jorvana", L"todaynbcs", 2);
    StartScreen();
    auto texts = Paint();
    EXPECT_TRUE(Has(texts, L"Oslo"));
    auto cut = std::find_if(texts.begin(), texts.end(), [](auto& t) { return t.rfind(L"Llanfair", 0) == 0; });
    ASSERT_NE(cut, texts.end());
    EXPECT_EQ(cut->substr(cut->size() - 3), L"...");
    EXPECT_LT(cut->size(), std::wstring(L"Llanfairpwllgwyngyll Village").size());
    device::gdi::RecordedCall call;
    ASSERT_TRUE(Drew(*cut, &call));
    EXPECT_LE(call.rect.right - call.rect.left, 83);
}

TEST_F(TodayPaint, FrostyTemperaturesOfTheThirdDayEndInsideTheItem) {
    SeedAll();
    CWeatherDb weather;
    weather.Open();
    weather.UpdateCity(L"Berlin", L"GMXX0007", todaytest::Forecast(-25).c_str(), L"15/06/2026:Germany", 1);
    StartScreen();
    RECT client{};
    GetClientRect(Item(), &client);
    auto texts = Paint();
    EXPECT_TRUE(Has(texts, L"-13\u00B0")) << "Berlin's third day, day 2 of its record";
    int degrees = 0;
    for (auto& c : m_recorder->Calls()) {
        if (c.text.empty() || c.text.back() != L'\u00B0') continue;
        ++degrees;
        EXPECT_LE(c.rect.right, client.right) << std::string(c.text.begin(), c.text.end() - 1);
    }
    EXPECT_GE(degrees, 6);
    testsupport::SaveScreenshot("today-frost");
}

// Runs the script once the details dialog is up, then closes it with its caption OK.
UINT_PTR WithDetailsDialog(std::function<void(HWND)> script) {
    static std::function<void(HWND)> s_script;
    s_script = std::move(script);
    return SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND dialog = GetActiveWindow();
        WCHAR caption[64] = L"";
        GetWindowTextW(dialog, caption, 64);
        if (std::wstring(caption) != L"Quillmoor Jorvana" || !IsWindowVisible(dialog)) return;
        KillTimer(nullptr, id);
        s_script(dialog);
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
}

TEST_F(TodayPaint, WeatherTapOpensTheDetailsAndArrowsStepThroughTheDays) {
    SeedAll();
    StartScreen();
    Paint();
    std::vector<std::wstring> counters;
    bool firstDayUnits = false, laterDayUnits = false;
    std::vector<std::wstring> dates;
    WithDetailsDialog([&](HWND dialog) {
        RECT r{};
        GetClientRect(dialog, &r);
        auto show = [&] {
            m_recorder->Clear();
            InvalidateRect(dialog, nullptr, TRUE);
            UpdateWindow(dialog);
            auto texts = Texts();
            for (auto& t : texts)
                if (t.size() == 3 && t[1] == L'/') counters.push_back(t);
            return texts;
        };
        auto texts = show();
        // Berlin's record of today, third column: its day 2, in summer time.
        EXPECT_TRUE(std::find(texts.begin(), texts.end(), L"Berlin, Germany") != texts.end());
        EXPECT_TRUE(std::find(texts.begin(), texts.end(), L"22\u00B0") != texts.end());
        for (auto& t : texts)
            if (t.find(L"GMT") != t.npos) dates.push_back(t);
        testsupport::SaveScreenshot("today-details");
        auto next = [&] {
            SendMessageW(dialog, WM_LBUTTONDOWN, 0, MAKELPARAM(r.right - 12, r.top + 17));
            return show();
        };
        next();
        texts = next();
        laterDayUnits = std::find(texts.begin(), texts.end(), L"in.") != texts.end();
        texts = next(); // back to day 1, the record's first day
        firstDayUnits = std::find(texts.begin(), texts.end(), L"mb[Hg]") != texts.end() &&
                        std::find(texts.begin(), texts.end(), L"km") != texts.end();
        // The detail rows end above the update band at the bottom.
        for (const wchar_t* row : {L"mb[Hg]", L"kph"}) {
            device::gdi::RecordedCall call;
            EXPECT_TRUE(Drew(row, &call)) << row;
            if (!call.text.empty()) {
                EXPECT_LE(call.rect.bottom, r.bottom - 16) << "row under the update band";
            }
        }
        SendMessageW(dialog, WM_LBUTTONDOWN, 0, MAKELPARAM(r.right - 47, r.top + 17)); // previous: 5
        show();
        SendMessageW(dialog, WM_LBUTTONDOWN, 0, MAKELPARAM(10, 60)); // not an arrow
        show();
    });
    Tap(215, 8);
    EXPECT_EQ(counters, (std::vector<std::wstring>{L"3/5", L"4/5", L"5/5", L"1/5", L"5/5", L"5/5"}));
    // The shown day's date, then the record's own date.
    EXPECT_EQ(dates, (std::vector<std::wstring>{L"17/6/2026, Day2 GMT", L"15/6/2026, Day0 GMT"}));
    EXPECT_TRUE(laterDayUnits);
    EXPECT_TRUE(firstDayUnits);
}

// A feels-like pair with a half missing converts the half it has, in °F too, and a wind the
// server left empty reads "N/A" as the other missing values do.
TEST_F(TodayPaint, DetailsShowAHalfMissingFeelsLikeAndAnEmptyWindAsNoData) {
    SeedAll();
    std::wstring berlin = todaytest::Forecast(10);
    const std::wstring day2 = L"Day2^12^22^20^NW^";
    ASSERT_NE(berlin.find(day2), std::wstring::npos);
    berlin.replace(berlin.find(day2), day2.size(), L"Day2^12^22^20/-^^");
    CWeatherDb weather;
    weather.Open();
    weather.UpdateCity(L"Berlin", L"GMXX0007", berlin.c_str(), L"15/06/2026:Germany", 1);
    Write(L"Jorvana", L"fara", 1);
    StartScreen();
    Paint();
    std::vector<std::wstring> texts;
    WithDetailsDialog([&](HWND dialog) {
        m_recorder->Clear();
        InvalidateRect(dialog, nullptr, TRUE);
        UpdateWindow(dialog);
        texts = Texts();
    });
    Tap(215, 8);
    ASSERT_TRUE(std::find(texts.begin(), texts.end(), L"Berlin, Germany") != texts.end());
    EXPECT_TRUE(std::find(texts.begin(), texts.end(), L"68/-") != texts.end()); // 20 C, no second half
    EXPECT_EQ(std::count(texts.begin(), texts.end(), L"N/A"), 1);               // the wind direction
    EXPECT_TRUE(std::find(texts.begin(), texts.end(), L"12") != texts.end());   // its speed as it came
}

TEST_F(TodayPaint, DaysOutsideAnOldRecordShowTheQuestionPanel) {
    SeedAll();
    StartScreen();
    Paint();
    bool dayThreeHasData = false, dayFourEmpty = false;
    WithDetailsDialog([&](HWND dialog) {
        RECT r{};
        GetClientRect(dialog, &r);
        m_recorder->Clear();
        InvalidateRect(dialog, nullptr, TRUE);
        UpdateWindow(dialog);
        // London's record is three days old: column 2 is its last day.
        auto texts = Texts();
        dayThreeHasData = std::find(texts.begin(), texts.end(), L"14\u00B0") != texts.end();
        SendMessageW(dialog, WM_LBUTTONDOWN, 0, MAKELPARAM(r.right - 12, r.top + 17));
        m_recorder->Clear();
        InvalidateRect(dialog, nullptr, TRUE);
        UpdateWindow(dialog);
        texts = Texts();
        dayFourEmpty = std::find(texts.begin(), texts.end(), L"?") != texts.end() &&
                       std::find(texts.begin(), texts.end(), L"3/5") != texts.end();
        testsupport::SaveScreenshot("today-details-empty");
    });
    Tap(190, 48); // London's line, second column
    EXPECT_TRUE(dayThreeHasData);
    EXPECT_TRUE(dayFourEmpty);
    // A line without weather opens nothing.
    bool opened = false;
    UINT_PTR watch = WithDetailsDialog([&](HWND) { opened = true; });
    Tap(190, 28); // Delhi: outdated record
    KillTimer(nullptr, watch);
    EXPECT_FALSE(opened);
}

} // namespace

namespace {

// A forecast whose every day has the given low and high.
std::wstring ForecastWith(const std::wstring& low, const std::wstring& high) {
    std::wstring text;
    for (int d = 0; d < 5; ++d)
        text += L"W01^Text^x^Day^" + low + L"^" + high + L"^20^NW^x^10^1000^5^";
    return text;
}

TEST_F(TodayPaint, WideTemperaturesWidenTheColumnsInTheirFontAndTapsFollowThem) {
    SeedAll();
    Write(L"Jorvana", L"twelvehour", 1);
    CWeatherDb weather;
    weather.Open();
    weather.UpdateCity(L"Berlin", L"GMXX0007", ForecastWith(L"-12.5", L"23.5").c_str(), L"15/06/2026:Germany",
                       1);
    StartScreen();
    Paint();
    std::vector<RECT> pictures; // Berlin's, on the first line
    for (const auto& c : m_recorder->Calls("TransparentImage"))
        if (c.rect.top == 3) pictures.push_back(c.rect);
    ASSERT_EQ(pictures.size(), 3u);
    for (const auto& c : m_recorder->Calls()) {
        if (c.text == L"-12.5\u00B0" || c.text == L"23.5\u00B0") {
            // Beside 12-hour times on a 240-pixel item a pixel smaller at most, the point still shown.
            EXPECT_GE(c.fontHeight, 10) << "squeezed";
        }
        if (c.pos.y == 5 && (c.text == L"AM" || c.text == L"PM")) {
            EXPECT_LE(c.rect.right, pictures[0].left) << "the label under the first picture";
        }
    }
    testsupport::SaveScreenshot("today-wide-temperatures");
    // A tap on each picture opens that column's day.
    for (int column = 0; column < 3; ++column) {
        std::wstring counter;
        WithDetailsDialog([&](HWND dialog) {
            m_recorder->Clear();
            InvalidateRect(dialog, nullptr, TRUE);
            UpdateWindow(dialog);
            for (auto& t : Texts())
                if (t.size() == 3 && t[1] == L'/') counter = t;
        });
        Tap((pictures[column].left + pictures[column].right) / 2, 10);
        EXPECT_EQ(counter, std::to_wstring(column + 1) + L"/5") << "column " << column;
    }
}

} // namespace
