// The World Map page: start-up settings, the tick, the layout of each screen shape, the selected
// city's texts and daylight saving, taps and the city choice, the squares, the forecast check,
// the skin, the end of the ticker, and screenshots of the three screen shapes.

#include "worldmap/WorldMapPanel.h"

#include "core/CoreMessages.h"
#include "platform/display/HeadlessTest.h"
#include "platform/framework/WindowDC.h"
#include "platform/gdi/Recorder.h"
#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceTime.h"
#include "platform/system/ProgramPath.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/MessageBox.h"
#include "resources/resource.h"
#include "support/CityListChoice.h"
#include "support/DeviceFileAccess.h"
#include "support/FileSizeLimit.h"
#include "support/PageHost.h"
#include "support/Screenshots.h"
#include "support/WindowedDevice.h"
#include "weather/ForecastDlg.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

// CityIndex values of the test list (name order).
enum City : DWORD { Auckland = 0, Berlin = 1, Delhi = 2, London = 3, NewYork = 4, StJohns = 5 };

// The shipped rules of 2026.
const std::string kLondon2026 = "Europe/London;London;United Kingdom;0;51;0;1;88;1;298;1\n";
const std::string kParis2026 = "Europe/Paris;Paris;France;2;49;1;1;88;2;298;2\n";

const char* kCityList = "Test cities\n6\n"
                        "Pacific/Auckland;Auckland;New Zealand;174;-36;12;1;270;2;95;3\n"
                        "Europe/Berlin;Berlin;Germany;13;52;1;1;90;2;300;3\n"
                        "Asia/Kolkata;Delhi;India;77;28;530;0;0;0;0;0\n"
                        "Europe/London;London;United Kingdom;0;51;0;1;90;1;300;2\n"
                        "America/New_York;New York;USA;-74;40;-5;1;70;2;308;2\n"
                        "America/St_Johns;St. John's;Canada;-52;47;-330;1;70;2;308;2\n";

// A page whose square menu only records which squares were asked for.
class RecordingMapPanel : public CWorldMapPanel {
public:
    using CWorldMapPanel::CWorldMapPanel;
    void ShowSquareMenu(int n) override {
        menus.push_back(n);
        if (realMenus) CWorldMapPanel::ShowSquareMenu(n);
    }
    void Tap(int x, int y) { SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(x, y)); }
    // With real menus, each open menu calls whileOpen once, when the page first idles under it,
    // and is then closed.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ENTERIDLE && wParam == MSGF_MENU) {
            if (whileOpen) whileOpen(reinterpret_cast<HWND>(lParam));
            EndMenu();
            return 0;
        }
        return CWorldMapPanel::WindowProc(message, wParam, lParam);
    }
    std::vector<int> menus;
    bool realMenus = false;
    std::function<void(HWND)> whileOpen;
};

class WorldMapPageTest : public testsupport::WindowedDevice {
protected:
    void SetUp() override {
        WindowedDevice::SetUp();
        device::ui::SetScreenShape(240, 320);
        device::SetModuleDevicePath(testsupport::InProgramFolder(L"Jorvana.exe"));
        ASSERT_TRUE(device::SetDeviceZone("UTC"));
        device::SetDeviceClock("2026-07-15T10:20:30Z");
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"cities.lst"), kCityList);
        // One weather place that is no clock city: the pages find no forecast for their cities.
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"cities.wet"), "1\nNowhere;Nowhere;XX0001\n");
        MapEnlarged = false;
        for (POINT& c : ClockSquareCentres) c = POINT{-100, -100};
    }
    void TearDown() override {
        device::gdi::SetDefaultRecorder(nullptr);
        DestroyPage();
        if (m_parent.m_hWnd) m_parent.DestroyWindow();
        device::display::test::PumpUntilIdle();
        CWnd::DeleteTempMap();
        device::ui::SetScreenShape(240, 320);
        device::SetDeviceClock("");
        device::SetModuleDevicePath(L"");
        WindowedDevice::TearDown();
    }

    void Write(LPCWSTR key, LPCWSTR name, DWORD value) { CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, key, name, value); }
    DWORD Read(LPCWSTR key, LPCWSTR name, LONG* status = nullptr) {
        CRegistryKey reg;
        DWORD v = reg.ReadDword(HKEY_LOCAL_MACHINE, key, name);
        if (status) *status = reg.RegistryStatus;
        return v;
    }
    void WriteClocks(DWORD home, DWORD c1, DWORD c2, DWORD c3, DWORD c4) {
        const DWORD values[5] = {home, c1, c2, c3, c4};
        const LPCWSTR names[5] = {L"clock", L"clock1", L"clock2", L"clock3", L"clock4"};
        for (int i = 0; i < 5; ++i) Write(L"Jorvana\\wrldclk", names[i], values[i]);
    }
    void NoTips() { Write(L"Jorvana", L"maptip", 1); }
    static std::vector<std::wstring> BoxTexts() {
        std::vector<std::wstring> texts;
        for (const auto& box : device::ui::MessageBoxRecords()) texts.push_back(box.text);
        return texts;
    }
    void CopyData(const fs::path& from, const std::wstring& to) {
        testsupport::MakeFolder(testsupport::kProgramFolder);
        fs::path target = testsupport::HostPath(testsupport::InProgramFolder(to));
        fs::create_directories(target.parent_path());
        fs::copy_file(fs::path(JORVANA_DATA_DIR) / from, target, fs::copy_options::overwrite_existing);
    }
    void InstallDefaultSkin() {
        CopyData("default.skn", L"default.skn");
        CopyData("worldmap.jpg", L"worldmap.jpg");
        for (const char* folder : {"Portrait", "Landscape", "Square"})
            CopyData(fs::path(folder) / "mappanel.jpg", std::wstring(CString(folder).GetString()) + L"\\mappanel.jpg");
    }

    RecordingMapPanel& CreatePage(unsigned tickMs = 600000) {
        testsupport::CreateWorkAreaParent(m_parent);
        m_page = std::make_unique<RecordingMapPanel>(&m_parent);
        m_page->m_tickPeriodMs = tickMs;
        EXPECT_TRUE(m_page->Create(IDD_WORLD_MAP, &m_parent));
        m_page->LoadSkin();
        testsupport::FillParentAndShow(*m_page, m_parent);
        EXPECT_TRUE(testsupport::PumpUntil([&] { return m_page->m_firstTick == 0; }));
        return *m_page;
    }
    void DestroyPage() {
        if (m_page && m_page->m_hWnd) m_page->DestroyWindow();
        m_page.reset();
    }
    void Tick() {
        m_page->SendMessage(WM_TIMER, 0, 0);
        device::display::test::PumpUntilIdle();
    }
    // The screen's pixels in area (screen coordinates), row by row, those in skip left out.
    static std::vector<COLORREF> ScreenPixels(const RECT& area, const RECT& skip = RECT{}) {
        std::vector<COLORREF> v;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (POINT p{x, y}; !PtInRect(&skip, p)) v.push_back(device::display::test::PixelAt(x, y));
        return v;
    }
    // The page without its tips, London at home and Berlin, Delhi, New York and Auckland on the
    // clocks, mapCity chosen on the map.
    RecordingMapPanel& CreateLondonPage(DWORD mapCity) {
        NoTips();
        WriteClocks(London, Berlin, Delhi, NewYork, Auckland);
        Write(L"Jorvana\\map", L"mapclock", mapCity);
        return CreatePage();
    }

    // The page without its tips on a device in zone at the UTC instant, the clocks (home first)
    // and the map on the given positions.
    RecordingMapPanel& CreatePageOn(const char* zone, const char* utc, const DWORD clocks[5], DWORD mapCity) {
        NoTips();
        EXPECT_TRUE(device::SetDeviceZone(zone));
        device::SetDeviceClock(utc);
        WriteClocks(clocks[0], clocks[1], clocks[2], clocks[3], clocks[4]);
        Write(L"Jorvana\\map", L"mapclock", mapCity);
        return CreatePage();
    }

    CWnd m_parent;
    std::unique_ptr<RecordingMapPanel> m_page;
};

// [SECTION] Start-up and settings ---------------------------------------------------------------

TEST_F(WorldMapPageTest, FirstStartShowsSquaresCityZeroAndTheTipsOnce) {
    RecordingMapPanel& page = CreatePage();
    EXPECT_TRUE(page.m_showCitySquares);
    EXPECT_EQ(page.m_mapCity, 0u);
    EXPECT_FALSE(page.m_twelveHour);
    EXPECT_TRUE(page.m_tipsTitle.IsWindowVisible());
    EXPECT_TRUE(page.m_tipsText.IsWindowVisible());
    EXPECT_TRUE(page.m_tipsButton.IsWindowVisible());
    EXPECT_EQ(Read(L"Jorvana", L"maptip"), 1u);
    EXPECT_FALSE(page.m_cityCombo.IsWindowVisible());
    // The tips box is centred and ends 3 pixels below the page height.
    RECT tips{};
    page.m_tipsTitle.GetWindowRect(&tips);
    page.ScreenToClient(&tips);
    EXPECT_EQ(tips.bottom, page.m_pageHeight + 3);
    page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_MAP_TIPS_OK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(page.m_tipsButton.m_hWnd));
    EXPECT_FALSE(page.m_tipsTitle.IsWindowVisible());

    // The end writes the city back; the next start shows no tips.
    page.m_mapCity = Delhi;
    DestroyPage();
    EXPECT_EQ(Read(L"Jorvana\\map", L"mapclock"), static_cast<DWORD>(Delhi));
    RecordingMapPanel& again = CreatePage();
    EXPECT_FALSE(again.m_tipsTitle.IsWindowVisible());
    EXPECT_EQ(again.m_mapCity, static_cast<DWORD>(Delhi));

    // Cleared by the container before a re-creation: nothing is written.
    again.m_mapCity = Berlin;
    again.m_settingsLoaded = false;
    DestroyPage();
    EXPECT_EQ(Read(L"Jorvana\\map", L"mapclock"), static_cast<DWORD>(Delhi));
}

TEST_F(WorldMapPageTest, StoredSettingsAndEnterKey) {
    NoTips();
    Write(L"Jorvana\\map", L"showcs", 0);
    Write(L"Jorvana", L"twelvehour", 2); // only 1 means 12-hour
    RecordingMapPanel& page = CreatePage();
    EXPECT_FALSE(page.m_showCitySquares);
    EXPECT_FALSE(page.m_twelveHour);
    page.SendMessage(WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(::IsWindow(page.m_hWnd));
    EXPECT_EQ(page.SendMessage(0x8083, 0, 0), 1); // hide the page
    EXPECT_FALSE(page.IsWindowVisible());

    page.ToggleCitySquares();
    EXPECT_TRUE(page.m_showCitySquares);
    EXPECT_EQ(Read(L"Jorvana\\map", L"showcs"), 1u);
    page.ToggleCitySquares();
    EXPECT_EQ(Read(L"Jorvana\\map", L"showcs"), 0u);
}

// [SECTION] Layout ------------------------------------------------------------------------------

struct LayoutCase {
    int screenW, screenH;
    int workWidth, pageHeight, mapHeight, mapLeft;
};

TEST_F(WorldMapPageTest, LayoutFollowsTheScreenShape) {
    NoTips();
    const LayoutCase cases[] = {
        {240, 320, 240, 242, 138, 2},  // portrait
        {320, 240, 320, 162, 81, 51},  // landscape
        {240, 240, 240, 162, 81, 51},  // square, not enlarged
        {400, 240, 320, 162, 81, 51},  // wide and low: 80 pixels narrower
        {480, 640, 480, 482, 275, 115}, // tall: 80 pixels lower
    };
    for (const LayoutCase& c : cases) {
        device::ui::SetScreenShape(c.screenW, c.screenH);
        if (m_parent.m_hWnd) m_parent.DestroyWindow();
        RecordingMapPanel& page = CreatePage();
        SCOPED_TRACE(testing::Message() << c.screenW << "x" << c.screenH);
        EXPECT_EQ(page.m_workWidth, c.workWidth);
        EXPECT_EQ(page.m_pageHeight, c.pageHeight);
        EXPECT_EQ(page.m_mapHeight, c.mapHeight);
        EXPECT_EQ(page.m_mapLeft, c.mapLeft);
        // The name row: from d to the width less a fifth, under the map.
        RECT combo{};
        page.m_cityCombo.GetWindowRect(&combo);
        page.ScreenToClient(&combo);
        EXPECT_EQ(combo.left, c.pageHeight / 3);
        EXPECT_EQ(combo.right, c.workWidth - c.workWidth / 5);
        EXPECT_EQ(combo.top, c.mapHeight + 4);
        // The marker of city 0 (Auckland, 174 E 36 S) on the band.
        const int bw = c.workWidth - 2 * c.mapLeft;
        RECT marker{};
        page.m_marker.GetWindowRect(&marker);
        page.ScreenToClient(&marker);
        EXPECT_EQ(marker.left + 2, static_cast<int>(174.0 * bw / 360 + (c.mapLeft + bw / 2)));
        EXPECT_EQ(marker.top + 2, static_cast<int>(c.mapHeight / 2 + 36.0 * c.mapHeight / 180));
        EXPECT_EQ(marker.right - marker.left, 5);
        // Repeated repaints keep the width.
        page.Invalidate();
        device::display::test::PumpUntilIdle();
        EXPECT_EQ(page.m_workWidth, c.workWidth);
        DestroyPage();
    }
}

TEST_F(WorldMapPageTest, CornerIconEnlargesTheMapOnWideScreensOnly) {
    NoTips();
    device::ui::SetScreenShape(320, 240);
    RecordingMapPanel& page = CreatePage();
    const int normal = page.m_mapHeight;
    page.Tap(9, normal - 9);
    EXPECT_TRUE(MapEnlarged);
    EXPECT_EQ(page.m_mapHeight, page.m_pageHeight - 3);
    EXPECT_EQ(page.m_mapLeft, 0);
    page.Tap(9, page.m_mapHeight - 9);
    EXPECT_FALSE(MapEnlarged);
    EXPECT_EQ(page.m_mapHeight, normal);
    DestroyPage();

    // Portrait: neither drawn nor tappable.
    device::ui::SetScreenShape(240, 320);
    m_parent.DestroyWindow();
    RecordingMapPanel& tall = CreatePage();
    tall.Tap(9, tall.m_mapHeight - 9);
    EXPECT_FALSE(MapEnlarged);
    DestroyPage();

    // A 320 x 320 screen starts enlarged, and the corner does not change it.
    device::ui::SetScreenShape(320, 320);
    m_parent.DestroyWindow();
    RecordingMapPanel& square = CreatePage();
    EXPECT_TRUE(MapEnlarged);
    square.Tap(9, square.m_mapHeight - 9);
    EXPECT_TRUE(MapEnlarged);
}

// [SECTION] Selected city: time, date, daylight saving, sun times --------------------------------

TEST_F(WorldMapPageTest, SelectedCityTimeDateAndDaylightSaving) {
    RecordingMapPanel& page = CreateLondonPage(Berlin);
    // July: London (home) runs at +1, Berlin at +2; the device clock stands for the home zone.
    EXPECT_EQ(page.m_homeZoneHours, 1);
    EXPECT_TRUE(page.m_homeInDst);
    EXPECT_EQ(page.m_cityOffset, 2);
    EXPECT_EQ(page.m_cityInDst, 1);
    EXPECT_EQ(page.m_cityTimeText, CString(L"11:20:30"));
    EXPECT_EQ(page.m_cityHour, 11);
    EXPECT_EQ(page.m_cityDateText.Left(10), CString(L"15/07/2026"));
    CString rise, set, length;
    page.m_sunriseValue.GetWindowText(rise);
    page.m_sunsetValue.GetWindowText(set);
    page.m_dayLengthValue.GetWindowText(length);
    // Berlin in mid-July: up before six, down after nine, about sixteen hours of day.
    EXPECT_LT(rise, CString(L"06:00"));
    EXPECT_GT(set, CString(L"21:00"));
    EXPECT_EQ(length.Left(3), CString(L"16:"));

    // A southern city in July is outside its window; its hours-and-minutes neighbour too.
    page.LoadSelectedCityZone(Auckland);
    EXPECT_EQ(page.m_cityOffset, 12);
    EXPECT_EQ(page.m_cityInDst, 0);
    page.LoadSelectedCityZone(StJohns);
    EXPECT_EQ(page.m_cityOffset, -230); // -3:30 with one hour of daylight saving
    EXPECT_EQ(page.m_cityInDst, 1);
}

TEST_F(WorldMapPageTest, SouthernSummerAcrossTheNewYearAndSynchronisedHomeZone) {
    device::SetDeviceClock("2026-01-15T10:20:30Z");
    RecordingMapPanel& page = CreateLondonPage(Auckland);
    EXPECT_EQ(page.m_homeZoneHours, 0);
    EXPECT_FALSE(page.m_homeInDst);
    // January lies inside the window that opened last September.
    EXPECT_EQ(page.m_cityOffset, 13);
    EXPECT_EQ(page.m_cityInDst, 1);
    EXPECT_EQ(page.m_cityTimeText, CString(L"23:20:30"));
    DestroyPage();

    // With the zone synchronised, the device's zone is the home reference: 5 h 30 min east.
    ASSERT_TRUE(device::SetDeviceZone("Asia/Kolkata"));
    Write(L"Jorvana\\wrldclk", L"syncltz", 1);
    RecordingMapPanel& synced = CreatePage();
    EXPECT_EQ(synced.m_homeZoneHours, 5);
    EXPECT_EQ(synced.m_homeZoneMinutes, 30);
    synced.LoadSelectedCityZone(Delhi);
    EXPECT_EQ(synced.m_cityOffset, 530);
    CString delhi = FormatCityTime(synced.m_cityOffset, synced.m_homeZoneHours, synced.m_homeZoneMinutes);
    EXPECT_EQ(delhi, CString(L"15:50:30")); // Delhi reads the device's own clock
    DestroyPage();

    // A device in its summer time (Berlin in January is not; Auckland is, UTC+13).
    ASSERT_TRUE(device::SetDeviceZone("Pacific/Auckland"));
    RecordingMapPanel& auckland = CreatePage();
    EXPECT_EQ(auckland.m_homeZoneHours, 13);
    auckland.LoadSelectedCityZone(Delhi);
    EXPECT_EQ(FormatCityTime(auckland.m_cityOffset, auckland.m_homeZoneHours, auckland.m_homeZoneMinutes),
              CString(L"15:50:30"));
}

TEST_F(WorldMapPageTest, APageLeftOpenAcrossTheNewYearTakesTheNewYearsWindows) {
    device::SetDeviceClock("2026-12-31T23:59:00Z");
    RecordingMapPanel& page = CreateLondonPage(Berlin);
    EXPECT_EQ(page.m_homeZoneHours, 0);
    EXPECT_EQ(page.m_cityOffset, 1);
    // Mid-April: the summer time of the new year is in force at home and in Berlin.
    device::SetDeviceClock("2027-04-15T06:30:00Z");
    Tick();
    EXPECT_EQ(page.m_homeZoneHours, 1);
    EXPECT_EQ(page.m_cityOffset, 2);
    DestroyPage();

    // A home without daylight saving (the device clock stands for Delhi): noon there is 08:30
    // in Berlin on 15 April.
    device::SetDeviceClock("2026-12-31T23:59:00Z");
    WriteClocks(Delhi, Berlin, London, NewYork, Auckland);
    RecordingMapPanel& fromDelhi = CreatePage();
    device::SetDeviceClock("2027-04-15T12:00:00Z");
    Tick();
    EXPECT_EQ(fromDelhi.m_cityTimeText, CString(L"08:30:00"));
    EXPECT_EQ(fromDelhi.m_cityDateText.Left(10), CString(L"15/04/2027"));
}

TEST_F(WorldMapPageTest, LastHourOfDaylightSavingIsStillObserved) {
    NoTips();
    // The device clock stands for Delhi (+5:30): 07:00 there is 02:30 standard time in Berlin on
    // the window's last day (day 300, until 03:00), so Berlin still shows 03:30 summer time.
    device::SetDeviceClock("2026-10-27T07:00:00Z");
    WriteClocks(Delhi, Berlin, London, NewYork, Auckland);
    Write(L"Jorvana\\map", L"mapclock", Berlin);
    RecordingMapPanel& page = CreatePage();
    ASSERT_EQ(page.m_mapCity, static_cast<DWORD>(Berlin));
    EXPECT_EQ(page.m_homeZoneHours, 5);
    EXPECT_EQ(page.m_cityOffset, 2);
    Tick();
    EXPECT_EQ(page.m_cityOffset, 2);
    EXPECT_EQ(page.m_cityInDst, 1);
    EXPECT_EQ(page.m_cityTimeText, CString(L"03:30:00"));
    device::ui::ScriptMessageBoxAnswers({IDOK});
    page.ShowCityInformation(Berlin);
    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"Observing now"), std::wstring::npos) << std::string(boxes[0].text.begin(), boxes[0].text.end());
}

TEST_F(WorldMapPageTest, AClockSquaresCityIsToldByItsOwnClockOnItsChangeDay) {
    NoTips();
    // 06:30 UTC on 4 November 2026: 01:30 standard time in New York, half an hour before its
    // summer time ends (day 308, 02:00); in Delhi, the selected city, it is already noon.
    device::SetDeviceClock("2026-11-04T06:30:00Z");
    WriteClocks(Delhi, Berlin, London, NewYork, Auckland);
    Write(L"Jorvana\\map", L"mapclock", Delhi);
    RecordingMapPanel& page = CreatePage();
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    page.ShowCityInformation(NewYork);
    // Auckland, already on 5 November at 19:30, is in its summer (from day 270).
    page.ShowCityInformation(Auckland);
    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[0].text.find(L"Observing now"), std::wstring::npos);
    EXPECT_NE(boxes[0].text.find(L"Gmt: -5h + 1h (DST)"), std::wstring::npos);
    EXPECT_NE(boxes[1].text.find(L"Observing now"), std::wstring::npos);
}

TEST_F(WorldMapPageTest, TheHomeCitysLastSummerHourKeepsTheSelectedCityRight) {
    // The shipped rules of 2026; CityIndex Adelaide 0, London 1, New York 2, Paris 3.
    testsupport::WriteDeviceFile(
        testsupport::InProgramFolder(L"cities.lst"),
        "cities\n4\n"
        "Australia/Adelaide;Adelaide;Australia;139;-35;930;1;277;2;95;2\n" +
            kLondon2026 + "America/New_York;New York;United States of America;-74;41;-5;1;67;2;305;1\n" +
            kParis2026);
    // Home London on a London device, 01:30 summer time on the night the clocks go back.
    const DWORD london[5] = {1, 2, 3, 0, 2};
    RecordingMapPanel& page = CreatePageOn("Europe/London", "2026-10-25T00:30:00Z", london, 2);
    EXPECT_EQ(page.m_cityTimeText, CString(L"20:30:00"));
    // Ticking across the change: summer time up to its last minute, winter time after it.
    for (const auto& [instant, shown] : {std::pair{"2026-10-25T00:59:00Z", L"20:59:00"},
                                         std::pair{"2026-10-25T01:01:00Z", L"21:01:00"}}) {
        device::SetDeviceClock(instant);
        Tick();
        EXPECT_EQ(page.m_cityTimeText, CString(shown)) << instant;
    }
    DestroyPage();

    // Home Adelaide on an Adelaide device, 02:50 summer time on the night its clocks go back.
    const DWORD home[5] = {0, 2, 3, 1, 2};
    RecordingMapPanel& adelaide = CreatePageOn("Australia/Adelaide", "2026-04-04T16:20:00Z", home, 3);
    EXPECT_EQ(adelaide.m_cityTimeText, CString(L"18:20:00"));
    device::SetDeviceClock("2026-04-04T16:31:00Z");
    Tick();
    EXPECT_EQ(adelaide.m_cityTimeText, CString(L"18:31:00"));
}

TEST_F(WorldMapPageTest, OnTheNightTheClocksGoBackTheSunTimesAreThoseOfTheDay) {
    testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"cities.lst"),
                                 "cities\n2\n" + kLondon2026 + kParis2026);
    // Home Paris on a Paris device; the map on Paris itself at 02:30 summer time, half an hour
    // before the clocks go back: the sun rises and sets in winter time that day.
    const DWORD paris[5] = {1, 0, 1, 0, 1};
    RecordingMapPanel& page = CreatePageOn("Europe/Paris", "2026-10-25T00:30:00Z", paris, 1);
    Tick();
    EXPECT_EQ(page.m_cityTimeText, CString(L"02:30:00"));
    const SunTimes winter = ComputeSunTimes(25, 10, 2026, 2, 49, 1);
    CString rise, set;
    page.m_sunriseValue.GetWindowText(rise);
    page.m_sunsetValue.GetWindowText(set);
    EXPECT_EQ(rise, winter.sunriseText);
    EXPECT_EQ(set, winter.sunsetText);
    // After the change nothing moves.
    device::SetDeviceClock("2026-10-25T01:30:00Z");
    Tick();
    EXPECT_EQ(page.m_cityTimeText, CString(L"02:30:00"));
    page.m_sunriseValue.GetWindowText(rise);
    EXPECT_EQ(rise, winter.sunriseText);
}

TEST_F(WorldMapPageTest, ClocksThatSkipMidnightShowTheNewDateAtOnce) {
    // A city whose summer time starts at its midnight: 23:59:59 on 5 September is followed by
    // 01:00:00 on the 6th; the date is redrawn although the clock never shows 00:00:00.
    testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"cities.lst"),
                                 "cities\n2\n" + kLondon2026 +
                                     "America/Santiago;Santiago;Chile;-70;-33;-4;1;249;0;94;23\n");
    const DWORD london[5] = {0, 1, 1, 1, 1}; // London summer time at home
    RecordingMapPanel& page = CreatePageOn("UTC", "2026-09-06T04:59:59Z", london, 1);
    Tick();
    EXPECT_EQ(page.m_cityTimeText, CString(L"23:59:59"));
    device::SetDeviceClock("2026-09-06T05:00:00Z");
    page.SendMessage(WM_TIMER, 0, 0); // not painted yet
    EXPECT_EQ(page.m_cityTimeText, CString(L"01:00:00"));
    EXPECT_EQ(page.m_cityDateText.Left(10), CString(L"06/09/2026"));
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    ::GetUpdateRgn(page.m_hWnd, region, FALSE);
    const RECT date = page.DateTextRect(false);
    EXPECT_TRUE(::PtInRegion(region, (date.left + date.right) / 2, (date.top + date.bottom) / 2));
    ::DeleteObject(region);
}

TEST_F(WorldMapPageTest, TwelveHourDisplay) {
    device::SetDeviceClock("2026-07-15T00:05:00Z");
    Write(L"Jorvana", L"twelvehour", 1);
    auto recorder = std::make_shared<device::gdi::CallRecorder>();
    device::gdi::SetDefaultRecorder(recorder);
    RecordingMapPanel& page = CreateLondonPage(London);
    ASSERT_TRUE(page.m_twelveHour);
    // London at 00:05 shows "12:05" with "AM", no blank before the suffix.
    page.m_cityTimeText = L"00:05:00";
    page.m_cityHour = 0;
    recorder->Clear();
    page.Invalidate();
    device::display::test::PumpUntilIdle();
    device::gdi::RecordedCall call;
    EXPECT_TRUE(recorder->FindText(L"12:05", call));
    EXPECT_TRUE(recorder->FindText(L"AM", call));
    EXPECT_EQ(page.m_cityTimeText, CString(L"00:05:00")); // only the paint changes it

    page.m_cityTimeText = L"13:05:00";
    page.m_cityHour = 13;
    recorder->Clear();
    page.Invalidate();
    device::display::test::PumpUntilIdle();
    EXPECT_TRUE(recorder->FindText(L"01:05", call));
    EXPECT_TRUE(recorder->FindText(L" PM", call));

    // Back to 24 hours: the time text is taken again at once.
    page.SetTwelveHourMode(0);
    EXPECT_FALSE(page.m_twelveHour);
    EXPECT_EQ(page.m_cityTimeText.Left(5), CString(L"00:05")); // the home city reads the device clock
}

// On every shape the twelve-hour suffix stands clear of the sun picture and of the Rise&Set
// box, and the box ends inside the page.
TEST_F(WorldMapPageTest, TheTwelveHourSuffixStaysClearOfTheRiseAndSetBox) {
    NoTips();
    Write(L"Jorvana", L"twelvehour", 1);
    for (const SIZE screen : {SIZE{240, 320}, SIZE{320, 240}, SIZE{240, 240}, SIZE{320, 320}}) {
        SCOPED_TRACE(testing::Message() << screen.cx << "x" << screen.cy);
        device::ui::SetScreenShape(screen.cx, screen.cy);
        if (m_parent.m_hWnd) m_parent.DestroyWindow();
        auto recorder = std::make_shared<device::gdi::CallRecorder>();
        device::gdi::SetDefaultRecorder(recorder);
        RecordingMapPanel& page = CreatePage();
        page.m_cityTimeText = L"13:05:00";
        page.m_cityHour = 13;
        recorder->Clear();
        page.Invalidate();
        device::display::test::PumpUntilIdle();
        device::gdi::SetDefaultRecorder(nullptr);
        device::gdi::RecordedCall suffix;
        ASSERT_TRUE(recorder->FindText(L" PM", suffix));
        CClientDC dc(&page);
        CFont* old = dc.SelectObject(&page.m_mediumFont);
        const CSize size = dc.GetTextExtent(CString(L" PM"));
        dc.SelectObject(old);
        const RECT text{suffix.pos.x, suffix.pos.y, suffix.pos.x + size.cx, suffix.pos.y + size.cy};
        CRect picture;
        page.m_sunPicture.GetWindowRect(&picture);
        page.ScreenToClient(&picture);
        RECT both{};
        EXPECT_FALSE(::IntersectRect(&both, &text, &picture)) << "under the sun picture";
        for (const device::gdi::RecordedCall& box : recorder->Calls("Rectangle")) {
            EXPECT_FALSE(::IntersectRect(&both, &text, &box.rect)) << "under the Rise&Set box";
            EXPECT_LE(box.rect.right, page.m_workWidth);
        }
    }
}

// [SECTION] Ticks and the ticker ----------------------------------------------------------------

TEST_F(WorldMapPageTest, TickAlternatesTheMarkerAndTheMinuteFlagRedrawsTheShadow) {
    NoTips();
    RecordingMapPanel& page = CreatePage();
    const COLORREF first = page.m_markerColor;
    Tick();
    EXPECT_NE(page.m_markerColor, first);
    Tick();
    EXPECT_EQ(page.m_markerColor, first);

    // Without the minute flag a tick leaves the shadow alone.
    page.m_shadowDue = false;
    page.SendMessage(WM_TIMER, 0, 0);
    EXPECT_FALSE(page.m_shadowDue);
    // The flag makes the tick ask for the shadow and the paint draws and clears it.
    page.Ticker().RaiseMinuteFlag();
    page.SendMessage(WM_TIMER, 0, 0);
    EXPECT_TRUE(page.m_shadowDue);
    EXPECT_FALSE(page.Ticker().TakeMinuteFlag());
    device::display::test::PumpUntilIdle();
    EXPECT_FALSE(page.m_shadowDue);
    ASSERT_FALSE(page.m_nightShadow.Bands().empty());
    // 15 July 10:20 UTC: the middle of the Pacific (the band's left edge) lies in the night.
    EXPECT_TRUE(page.m_nightShadow.Bands().front().IsNight());
}

TEST_F(WorldMapPageTest, TheTickingHandsStayOffTheTipsBox) {
    RecordingMapPanel& page = CreatePage(); // first start: the tips box stands over the clock
    ASSERT_TRUE(page.m_tipsTitle.IsWindowVisible());
    RECT face = page.AnalogClockRect(), tips{};
    page.ClientToScreen(&face);
    page.m_tipsTitle.GetWindowRect(&tips);
    RECT shared{};
    ASSERT_TRUE(IntersectRect(&shared, &face, &tips)) << "the box covers part of the clock";
    const auto tipsBefore = ScreenPixels(tips);
    const auto faceBefore = ScreenPixels(face);
    for (const char* now : {"2026-07-15T10:20:41Z", "2026-07-15T10:20:52Z", "2026-07-15T10:21:07Z"}) {
        device::SetDeviceClock(now);
        Tick();
    }
    EXPECT_EQ(ScreenPixels(tips), tipsBefore);
    // The ticks did paint: with the box hidden, the next ones move the hands on the screen.
    page.OnTipClose();
    device::ui::PumpUntilIdle();
    const auto faceShown = ScreenPixels(face);
    EXPECT_NE(faceShown, faceBefore);
    device::SetDeviceClock("2026-07-15T10:21:38Z");
    Tick();
    EXPECT_NE(ScreenPixels(face), faceShown) << "the hands moved";
}

TEST_F(WorldMapPageTest, TheTickerStopsWithTheWindowAndARecreatedPageHasItsOwn) {
    NoTips();
    RecordingMapPanel& page = CreatePage(20);
    EXPECT_TRUE(page.Ticker().IsRunning());
    EXPECT_EQ(page.Ticker().Window(), page.m_hWnd);
    page.DestroyWindow();
    EXPECT_FALSE(page.Ticker().IsRunning());
    EXPECT_EQ(page.Ticker().Window(), nullptr);
    m_page.reset();
    RecordingMapPanel& again = CreatePage(20);
    EXPECT_TRUE(again.Ticker().IsRunning());
    EXPECT_EQ(again.Ticker().Window(), again.m_hWnd);
}

// [SECTION] Taps, squares and the city choice ---------------------------------------------------

TEST_F(WorldMapPageTest, ASquareMenuOverTheNightLeavesTheShadowAroundItAsItWas) {
    NoTips();
    InstallDefaultSkin();
    // Late evening in December: Delhi lies in the night; clocks 2 and 3 share its square, so one
    // tap opens two menus one after the other.
    device::SetDeviceClock("2026-12-09T21:59:20Z");
    WriteClocks(London, Berlin, Delhi, Delhi, NewYork);
    RecordingMapPanel& page = CreatePage();
    page.realMenus = true;
    RECT band{0, 0, page.m_workWidth, page.m_mapHeight};
    page.ClientToScreen(&band);
    const auto noMenu = ScreenPixels(band);
    std::vector<std::vector<COLORREF>> seen, expected;
    page.whileOpen = [&](HWND menu) {
        RECT r{};
        GetWindowRect(menu, &r);
        seen.push_back(ScreenPixels(band, r));
        // What the band shows around the menu when no menu is open.
        std::vector<COLORREF> around;
        size_t i = 0;
        for (int y = band.top; y < band.bottom; ++y)
            for (int x = band.left; x < band.right; ++x, ++i)
                if (POINT p{x, y}; !PtInRect(&r, p)) around.push_back(noMenu[i]);
        expected.push_back(std::move(around));
    };
    const POINT delhi = page.CityCentre(Delhi);
    page.Tap(delhi.x, delhi.y);
    device::display::test::PumpUntilIdle();
    ASSERT_EQ(page.menus, (std::vector<int>{3, 4}));
    ASSERT_EQ(seen.size(), 2u) << "both menus opened";
    EXPECT_TRUE(seen[0] == expected[0]) << "the first menu changed the band around it";
    EXPECT_TRUE(seen[1] == expected[1]) << "the second menu changed the band around it";
    EXPECT_TRUE(ScreenPixels(band) == noMenu) << "the band under the closed menus was not restored";
}

TEST_F(WorldMapPageTest, SquareTapsOpenTheirMenusWithinFourPixels) {
    NoTips();
    // Clocks 2 and 3 on the same city; the selected city (London) is the home clock.
    WriteClocks(London, Berlin, Delhi, Delhi, NewYork);
    Write(L"Jorvana\\map", L"mapclock", London);
    RecordingMapPanel& page = CreatePage();
    const POINT berlin = page.CityCentre(Berlin);
    EXPECT_EQ(ClockSquareCentres[1].x, berlin.x);
    EXPECT_EQ(ClockSquareCentres[1].y, berlin.y);
    page.Tap(berlin.x + 4, berlin.y - 4);
    EXPECT_EQ(page.menus, std::vector<int>{2});
    page.menus.clear();
    page.Tap(berlin.x + 5, berlin.y);
    EXPECT_TRUE(page.menus.empty());
    const POINT delhi = page.CityCentre(Delhi);
    page.Tap(delhi.x, delhi.y);
    EXPECT_EQ(page.menus, (std::vector<int>{3, 4}));

    // The menu commands act on the square under the tap: city information of Delhi.
    device::ui::ScriptMessageBoxAnswers({IDOK});
    page.SendMessage(WM_COMMAND, ID_MAP_CITY_INFORMATION, 0);
    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"Delhi"), std::wstring::npos);
    EXPECT_EQ(boxes[0].caption, L"City information");

    // Squares turned off: no menu.
    page.menus.clear();
    page.ToggleCitySquares();
    page.Tap(delhi.x, delhi.y);
    EXPECT_TRUE(page.menus.empty());
}

TEST_F(WorldMapPageTest, SunIconAndInfoAreaOnTheNameRow) {
    NoTips();
    Write(L"Jorvana\\map", L"mapclock", Berlin);
    RecordingMapPanel& page = CreatePage();
    RECT combo{};
    page.m_cityCombo.GetClientRect(&combo);
    const int d = page.ClockColumnWidth();
    const int x1 = d + combo.right;
    const int y = page.m_mapHeight + 5 + combo.bottom / 2;

    device::ui::ScriptMessageBoxAnswers({IDOK});
    // No weather record for Berlin: the forecast is refused, even before the combo is filled.
    page.Tap(x1 - 5, y);
    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Synchronize before to get updated forecast");
    EXPECT_EQ(page.m_cityCombo.GetCount(), 0);
    device::ui::ClearMessageBoxRecords();

    device::ui::ScriptMessageBoxAnswers({IDOK});
    page.Tap(d - 5, y);
    boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"Berlin"), std::wstring::npos);
    EXPECT_NE(boxes[0].text.find(L"Observing now"), std::wstring::npos);
}

TEST_F(WorldMapPageTest, ForecastIsCurrentForFourDaysAfterItsDate) {
    NoTips();
    Write(L"Jorvana\\map", L"mapclock", Berlin);
    RecordingMapPanel& page = CreatePage();
    ASSERT_TRUE(page.m_weather.AddCity(L"Berlin", L"GMXX0007", L"", L"05/03/2026:Germany"));
    ASSERT_TRUE(page.m_weather.AddCity(L"Delhi", L"INXX0096", L"", L"01/01/2000:India"));

    // (the view itself may report a missing skin picture on this bare device)
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK});
    device::SetDeviceClock("2026-03-09T23:58:59Z");
    // A current forecast opens the five-day view (closed here as soon as it is up).
    static CString s_shownCity;
    s_shownCity.Empty();
    ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        auto* view = dynamic_cast<CForecastDlg*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
        if (!view) return;
        ::KillTimer(nullptr, id);
        s_shownCity = view->m_cityName;
        view->SendMessage(WM_COMMAND, IDOK);
    });
    page.ShowCityWeather(L"Berlin", Berlin);
    CString refusal;
    refusal.LoadString(IDS_MAP_SYNC_FOR_FORECAST);
    for (const auto& box : device::ui::MessageBoxRecords()) EXPECT_NE(std::wstring(box.text), std::wstring(refusal));
    EXPECT_EQ(s_shownCity, CString(L"Berlin"));
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDOK});
    device::SetDeviceClock("2026-03-09T23:59:01Z");
    page.ShowCityWeather(L"Berlin", Berlin);
    ASSERT_EQ(device::ui::MessageBoxRecords().size(), 1u);
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDOK});
    page.ShowCityWeather(L"Delhi", Delhi);
    EXPECT_EQ(device::ui::MessageBoxRecords().size(), 1u);
}

TEST_F(WorldMapPageTest, CityChoiceFromTheNameRow) {
    RecordingMapPanel& page = CreateLondonPage(Berlin);
    const int d = page.ClockColumnWidth();
    RECT combo{};
    page.m_cityCombo.GetClientRect(&combo);
    page.Tap(d + 10, page.m_mapHeight + 5 + combo.bottom / 2);
    EXPECT_EQ(page.m_cityCombo.GetCount(), 6);
    EXPECT_EQ(page.m_cityCombo.GetCurSel(), static_cast<int>(Berlin));
    EXPECT_TRUE(page.m_cityCombo.IsWindowVisible());

    // Typed text that names no city, and the city already chosen: nothing changes or is written.
    Write(L"Jorvana\\map", L"mapclock", 99);
    page.m_cityCombo.SetWindowText(L"Atlantis");
    page.OnCloseUpCity();
    EXPECT_EQ(page.m_mapCity, static_cast<DWORD>(Berlin));
    EXPECT_FALSE(page.m_cityCombo.IsWindowVisible());
    page.m_cityCombo.SetWindowText(L"Berlin");
    page.OnKillFocusCity();
    EXPECT_EQ(Read(L"Jorvana\\map", L"mapclock"), 99u);

    // Another city: stored, zone loaded, marker moved, texts due at the next tick.
    page.m_cityCombo.SetWindowText(L"Delhi");
    page.OnKillFocusCity();
    EXPECT_EQ(page.m_mapCity, static_cast<DWORD>(Delhi));
    EXPECT_EQ(Read(L"Jorvana\\map", L"mapclock"), static_cast<DWORD>(Delhi));
    EXPECT_EQ(page.m_cityOffset, 530);
    EXPECT_EQ(page.m_firstTick, 1);
    EXPECT_EQ(page.m_cityName, CString(L"Delhi"));
    Tick();
    EXPECT_EQ(page.m_cityTimeText, CString(L"14:50:30")); // the device clock reads London's +1
}

// Each city of a name two cities of the shipped list share is the map's city by keys, by a tap
// on its item and by typing; the name row, the marker and the stored value follow it; Escape
// after moves keeps it.
TEST_F(WorldMapPageTest, EachCityOfADoubledNameIsChosenAndACancelKeepsIt) {
    testsupport::PlaceShippedCityList();
    NoTips();
    WriteClocks(0, 1, 2, 3, 4);
    Write(L"Jorvana\\map", L"mapclock", 0);
    RecordingMapPanel& page = CreatePage();
    RECT combo{};
    page.m_cityCombo.GetClientRect(&combo);
    int taps = 0;
    auto open = [&] {
        page.Tap(page.ClockColumnWidth() + 10 + 20 * (taps++ % 2), page.m_mapHeight + 5 + combo.bottom / 2);
        ASSERT_TRUE(page.m_cityCombo.GetDroppedState());
    };
    auto shows = [&](DWORD city) {
        EXPECT_EQ(page.m_mapCity, city);
        EXPECT_EQ(Read(L"Jorvana\\map", L"mapclock"), city);
        EXPECT_EQ(page.m_cityName, page.m_cities.GetName(city) + L" (" + page.m_cities.GetCountry(city) + L")");
        RECT marker{};
        page.m_marker.GetWindowRect(&marker);
        page.ScreenToClient(&marker);
        const POINT centre = page.CityCentre(city);
        EXPECT_EQ(marker.left, centre.x - 2);
        EXPECT_EQ(marker.top, centre.y - 2);
    };
    const std::vector<DWORD> seconds = testsupport::SecondsOfDoubledNames(page.m_cities);
    EXPECT_EQ(seconds.size(), 14u);
    for (DWORD second : seconds) {
        const CString name = page.m_cities.GetName(second);
        SCOPED_TRACE(std::wstring(name.GetString()));
        open();
        testsupport::TypeInCombo(page.m_cityCombo, name);
        device::display::test::PressKey(VK_DOWN);
        device::display::test::PressKey(VK_RETURN);
        shows(second);
        open();
        device::display::test::PressKey(VK_UP);
        device::display::test::PressKey(VK_UP);
        device::display::test::PressKey(VK_ESCAPE);
        EXPECT_FALSE(page.m_cityCombo.IsWindowVisible());
        shows(second);
        open();
        testsupport::TapListItem(static_cast<int>(second - 1));
        shows(second - 1);
        open();
        testsupport::TypeInCombo(page.m_cityCombo, name + L" (" + page.m_cities.GetCountry(second) + L")");
        page.SetFocus(); // typed, then the list left
        device::display::test::PumpUntilIdle();
        shows(second);
    }
    EXPECT_FALSE(testsupport::SaveScreenshot("map-doubled-city-chosen").empty());
}

TEST_F(WorldMapPageTest, ACityThatCannotBeStoredLeavesTheMapOnTheStoredCity) {
    RecordingMapPanel& page = CreateLondonPage(Berlin);
    // What the map shows of its city: index, the list's text, zone, label, marker and time.
    auto shown = [&] {
        CString text;
        page.m_cityCombo.GetWindowText(text);
        RECT marker{};
        page.m_marker.GetWindowRect(&marker);
        return std::vector<std::wstring>{std::to_wstring(page.m_mapCity), std::wstring(text),
                                         std::to_wstring(page.m_cityOffset), std::wstring(page.m_cityName),
                                         std::to_wstring(marker.left) + L"," + std::to_wstring(marker.top),
                                         std::wstring(page.m_cityTimeText)};
    };
    // The list opened from the name row, one step down, taken with Return.
    auto chooseNext = [&] {
        RECT combo{};
        page.m_cityCombo.GetClientRect(&combo);
        page.Tap(page.ClockColumnWidth() + 10, page.m_mapHeight + 5 + combo.bottom / 2);
        device::display::test::PressKey(VK_DOWN);
        device::display::test::PressKey(VK_RETURN);
        Tick();
    };
    page.m_cityCombo.SetWindowText(L"Berlin");
    const std::vector<std::wstring> before = shown();
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    {
        testsupport::FileSizeLimit full(8);
        chooseNext();
    }
    const std::vector<std::wstring> said = {std::wstring(LoadCoreString(IDS_STORAGE_WRITE_FAILED))};
    EXPECT_EQ(BoxTexts(), said);
    EXPECT_EQ(Read(L"Jorvana\\map", L"mapclock"), static_cast<DWORD>(Berlin));
    EXPECT_EQ(shown(), before);

    // With room the same choice lands and shows.
    device::ui::ClearMessageBoxRecords();
    chooseNext();
    EXPECT_EQ(Read(L"Jorvana\\map", L"mapclock"), static_cast<DWORD>(Delhi));
    const std::vector<std::wstring> after = shown();
    EXPECT_EQ(after[1], L"Delhi");
    EXPECT_EQ(after[3], L"Delhi");
    for (size_t i : {0u, 2u, 4u, 5u}) EXPECT_NE(after[i], before[i]) << i;
    EXPECT_TRUE(BoxTexts().empty());
}

// [SECTION] Skin --------------------------------------------------------------------------------

TEST_F(WorldMapPageTest, SkinImagesAndColoursWithFallback) {
    NoTips();
    InstallDefaultSkin();
    // A chosen skin that no longer exists falls back to default.skn.
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"\\My Documents\\gone.skn");
    RecordingMapPanel& page = CreatePage();
    EXPECT_EQ(page.m_colour[CWorldMapPanel::DCC], RGB(242, 165, 65));
    EXPECT_EQ(page.m_colour[CWorldMapPanel::SHADCLR], RGB(127, 127, 127));
    EXPECT_EQ(page.m_panelImagePortrait, CString(L"\\Portrait\\mappanel.jpg"));
    EXPECT_EQ(page.m_panelImageLandscape, CString(L"\\Landscape\\mappanel.jpg"));
    EXPECT_NE(page.m_mapBitmap.GetSafeHandle(), nullptr);
    EXPECT_NE(page.m_panelBitmap.GetSafeHandle(), nullptr);

    // A skin without a Map section: black colours, no images, no message.
    testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"bare.skn"),
                                 "[Common Folders]\r\nP@\\Portrait\r\n>\r\n*<");
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin",
                               testsupport::InProgramFolder(L"bare.skn").c_str());
    page.LoadSkin();
    EXPECT_EQ(page.m_colour[CWorldMapPanel::DCC], RGB(0, 0, 0));
    EXPECT_EQ(page.m_mapBitmap.GetSafeHandle(), nullptr);
    EXPECT_TRUE(device::ui::MessageBoxRecords().empty());
}

TEST_F(WorldMapPageTest, RotationReloadsThePanelImageAndLaysThePageOutAgain) {
    NoTips();
    InstallDefaultSkin();
    RecordingMapPanel& page = CreatePage();
    BITMAP bm{};
    page.m_panelBitmap.GetBitmap(&bm);
    EXPECT_EQ(bm.bmWidth, 240); // the portrait panel
    device::ui::SetScreenShape(320, 240);
    page.SendMessage(WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_EQ(page.m_workWidth, 320);
    EXPECT_EQ(page.m_mapHeight, 81);
    EXPECT_TRUE(page.m_shadowDue);
    page.m_panelBitmap.GetBitmap(&bm);
    EXPECT_EQ(bm.bmWidth, 320); // the landscape panel
    // The marker follows the new band at once.
    RECT marker{};
    page.m_marker.GetWindowRect(&marker);
    page.ScreenToClient(&marker);
    EXPECT_EQ(marker.left + 2, page.CityCentre(page.m_mapCity).x);

    // As the device rotates: the container resizes the page, which lays it out on the new work
    // area, before the settings change arrives; the portrait panel comes back all the same.
    device::ui::SetScreenShape(240, 320);
    page.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(240, 268));
    ASSERT_EQ(page.m_workWidth, 240);
    page.SendMessage(WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    page.m_panelBitmap.GetBitmap(&bm);
    EXPECT_EQ(bm.bmWidth, 240) << "the portrait panel, with its round clock face";
}

// [SECTION] Screenshots -------------------------------------------------------------------------

TEST_F(WorldMapPageTest, Screenshots) {
    NoTips();
    InstallDefaultSkin();
    CopyData("cities.lst", L"cities.lst");
    // Home Berlin; the clocks on London, Tokyo, New York and Sydney by their store positions.
    CCitiesDb cities;
    cities.Open();
    auto index = [&](LPCWSTR nameCountry) {
        EXPECT_TRUE(cities.FindCity(nameCountry)) << nameCountry;
        return cities.GetCurrentIndex();
    };
    WriteClocks(index(L"Berlin:Germany"), index(L"London:United Kingdom"), index(L"Tokyo:Japan"),
                index(L"New York:United States of America"), index(L"Sydney:Australia"));
    Write(L"Jorvana\\map", L"mapclock", index(L"Paris:France"));
    const struct {
        int w, h;
        const char* name;
    } shapes[] = {{240, 320, "worldmap-portrait"}, {320, 240, "worldmap-landscape"}, {240, 240, "worldmap-square"}};
    for (const auto& s : shapes) {
        device::ui::SetScreenShape(s.w, s.h);
        if (m_parent.m_hWnd) m_parent.DestroyWindow();
        RecordingMapPanel& page = CreatePage();
        page.InvalidateAll();
        EXPECT_FALSE(testsupport::SaveScreenshot(s.name).empty());
        DestroyPage();
    }
}

} // namespace
