// The main window: start-up (first-run defaults, stores, restored tab, skin), the tab strip
// switching pages and command bars, and what it looks like.

#include "weather/WeatherPanel.h"
#include "MainWindowTestSupport.h"
#include "clocks/CityInfoDlg.h"
#include "clocks/EditCitiesDlg.h"
#include "clocks/RemindersDlg.h"
#include "clocks/WorldClocksDlg.h"
#include "core/CurrenciesDb.h"
#include "core/ShippedDefaults.h"
#include "core/WeatherDb.h"
#include "currency/CurrencyPanel.h"
#include "platform/display/HeadlessTest.h"
#include "platform/ui/Sip.h"
#include "shell/PanelBackDlg.h"
#include "tools/ToolsPage.h"
#include "worldmap/WorldMapPanel.h"
#include "support/ModalSteps.h"
#include "support/Screenshots.h"

namespace shelltest {
namespace {

using Bar = CMainDlg::Bar;

// The first reminder's date a year on, as its date picker tells the form: a time still to come.
void DateFirstReminderAYearAhead(CRemindersDlg& form) {
    SYSTEMTIME next{};
    form.m_datePicker[0].GetTime(&next);
    next.wYear = static_cast<WORD>(next.wYear + 1);
    form.m_datePicker[0].SetTime(&next);
    NMHDR change{form.m_datePicker[0].m_hWnd, static_cast<UINT_PTR>(IDC_REMINDER_DATE0), DTN_DATETIMECHANGE};
    form.SendMessage(WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
}

TEST_F(MainWindowTest, PortraitAndLandscapeScreenshots) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    EXPECT_FALSE(testsupport::SaveScreenshot("main-window-portrait").empty());
    device::ui::RotateScreen();
    device::ui::PumpUntilIdle();
    // The bar follows the window's new bottom edge and the page fills the area above it.
    CRect bar, client;
    dlg.GetBar(CMainDlg::kClocksBar).GetWindowRect(&bar);
    dlg.GetClientRect(&client);
    dlg.ClientToScreen(&client);
    EXPECT_EQ(bar.bottom, client.bottom);
    EXPECT_EQ(bar.right, 320);
    EXPECT_FALSE(testsupport::SaveScreenshot("main-window-landscape").empty());
}

TEST_F(MainWindowTest, StartShowsTheClocksPageAloneWithItsBarAndTitle) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    EXPECT_EQ(dlg.homeCityRuns, 0); // the home city was chosen before
    EXPECT_EQ(dlg.GetVisibleBar(), CMainDlg::kClocksBar);
    EXPECT_EQ(dlg.GetTitleText(), CString(L"World Clocks"));
    EXPECT_EQ(dlg.GetTabs().GetItemCount(), 5);
    EXPECT_TRUE(dlg.GetTabs().IsPageCreated(CMainTabCtrl::kClocksPage));
    for (int i = 1; i < CMainTabCtrl::kPageCount; ++i) EXPECT_FALSE(dlg.GetTabs().IsPageCreated(i)) << i;
    EXPECT_TRUE(dlg.GetTabs().GetPage(0)->IsWindowVisible());
    // Tabs of (240 - 85) / 5 - 1 pixels, the title right of them.
    CRect item;
    dlg.GetTabs().GetItemRect(0, &item);
    EXPECT_EQ(item.Width(), 30);
    EXPECT_EQ(item.Height(), 26);
    EXPECT_EQ(ReadDword(L"Jorvana", L"CurTab"), 0); // missing: written as 0
    // The OK command (Enter) does not end the program; Exit does.
    dlg.SendMessage(WM_COMMAND, IDOK);
    EXPECT_TRUE(dlg.IsWindowVisible());
    dlg.SendMessage(WM_COMMAND, ID_APP_EXIT_MENU);
    EXPECT_FALSE(dlg.IsWindowVisible());
}

TEST_F(MainWindowTest, TabTapsSwitchPagesBarsTitlesAndCreatePagesOnce) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    CMainTabCtrl& tabs = dlg.GetTabs();

    struct Step {
        int tab;
        int bar;
        const wchar_t* title;
    };
    const Step steps[] = {{1, CMainDlg::kWeatherBar, L"Weather"},
                          {2, CMainDlg::kMapBar, L"World Map"},
                          {3, CMainDlg::kMenuBar, L"Currencies"},
                          {0, CMainDlg::kClocksBar, L"World Clocks"}};
    for (const Step& s : steps) {
        const int before = tabs.GetCurrentPage();
        TapTab(s.tab);
        EXPECT_EQ(tabs.GetCurrentPage(), s.tab);
        EXPECT_EQ(tabs.GetPreviousPage(), before);
        EXPECT_EQ(tabs.GetCurSel(), s.tab);
        EXPECT_EQ(dlg.GetVisibleBar(), s.bar) << "tab " << s.tab;
        EXPECT_EQ(dlg.GetTitleText(), CString(s.title));
        EXPECT_EQ(ReadDword(L"Jorvana", L"CurTab"), s.tab);
        EXPECT_TRUE(tabs.GetPage(s.tab)->IsWindowVisible());
        EXPECT_FALSE(tabs.GetPage(before)->IsWindowVisible()) << "the page left is hidden";
    }
    // Each page window was made once and is shown again on the next tap.
    CDialog* weather = tabs.GetPage(1);
    HWND weatherWindow = weather->m_hWnd;
    TapTab(1);
    EXPECT_EQ(tabs.GetPage(1), weather);
    EXPECT_EQ(tabs.GetPage(1)->m_hWnd, weatherWindow);
    // The page lies under the row of tabs, across the strip.
    CRect page, item, strip;
    tabs.GetPage(1)->GetWindowRect(&page);
    tabs.GetItemRect(0, &item);
    tabs.ClientToScreen(&item);
    tabs.GetWindowRect(&strip);
    EXPECT_EQ(page.top, item.bottom - 2);
    EXPECT_EQ(page.left, item.left - 1);
    EXPECT_EQ(page.bottom, strip.bottom - 1);
    // A tap on the current tab changes nothing.
    TapTab(1);
    EXPECT_EQ(tabs.GetPreviousPage(), 0);
    EXPECT_EQ(dlg.GetVisibleBar(), CMainDlg::kWeatherBar);
}

TEST_F(MainWindowTest, WeatherTabHoldsTheWeatherPageAndReceivesItsForwardedCalls) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    CMainTabCtrl& tabs = dlg.GetTabs();
    EXPECT_NE(dynamic_cast<CWeatherPanel*>(tabs.GetPage(CMainTabCtrl::kWeatherPage)), nullptr);
    TapTab(1);
    auto* weather = dynamic_cast<CWeatherPanel*>(tabs.GetPage(CMainTabCtrl::kWeatherPage));
    ASSERT_NE(weather, nullptr);
    ASSERT_NE(weather->m_hWnd, nullptr);
    // The container's skin load ran: the icon folder is known.
    EXPECT_FALSE(weather->m_iconFolder.IsEmpty());
    const DWORD before[4] = {CWeatherPanel::s_placePositions[0], CWeatherPanel::s_placePositions[1],
                             CWeatherPanel::s_placePositions[2], CWeatherPanel::s_placePositions[3]};
    tabs.ShiftWeatherPlaces(TRUE, FALSE, TRUE, FALSE);
    EXPECT_EQ(CWeatherPanel::s_placePositions[0], before[0] + 1);
    EXPECT_EQ(CWeatherPanel::s_placePositions[1], before[1]);
    EXPECT_EQ(CWeatherPanel::s_placePositions[2], before[2] + 1);
    tabs.SetPanelColor(RGB(1, 2, 3));
    EXPECT_EQ(weather->m_panelColor, RGB(1, 2, 3));
    weather->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_WEATHER_TIP_HIDE, BN_CLICKED), 0);
    EXPECT_FALSE(weather->m_tipTitle.IsWindowVisible());
    tabs.ShowCurrentPageTips();
    EXPECT_TRUE(weather->m_tipTitle.IsWindowVisible());
}

TEST_F(MainWindowTest, ToolsTabShowsItsStripOverThePageAndTogglesOnEveryTap) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    CMainTabCtrl& tabs = dlg.GetTabs();
    TapTab(2); // World Map
    TapTab(4);
    CDialog* tools = tabs.GetPage(CMainTabCtrl::kToolsPage);
    ASSERT_TRUE(tabs.IsPageCreated(CMainTabCtrl::kToolsPage));
    EXPECT_TRUE(tabs.IsToolsListShown());
    EXPECT_TRUE(tools->IsWindowVisible());
    EXPECT_TRUE(tabs.GetPage(2)->IsWindowVisible()) << "the page underneath stays";
    EXPECT_EQ(dlg.GetVisibleBar(), CMainDlg::kMapBar) << "and so does its bar";
    EXPECT_EQ(dlg.GetTitleText(), CString(L"Tools"));
    EXPECT_EQ(ReadDword(L"Jorvana", L"CurTab"), 4);
    CRect strip;
    tools->GetWindowRect(&strip);
    EXPECT_EQ(strip.Height(), CMainTabCtrl::kToolsStripHeight);
    EXPECT_FALSE(testsupport::SaveScreenshot("main-window-tools-strip").empty());

    TapTab(4); // hides the strip and goes back to the map
    EXPECT_FALSE(tabs.IsToolsListShown());
    EXPECT_FALSE(tools->IsWindowVisible());
    EXPECT_EQ(tabs.GetCurrentPage(), 2);
    EXPECT_EQ(tabs.GetCurSel(), 2);
    EXPECT_EQ(dlg.GetTitleText(), CString(L"World Map"));

    TapTab(4); // and shows it again
    EXPECT_TRUE(tabs.IsToolsListShown());
    EXPECT_TRUE(tools->IsWindowVisible());
    EXPECT_EQ(tabs.GetCurrentPage(), 4);

    // A page that takes the tab focus hides the strip without switching pages.
    tabs.FocusTab(42);
    EXPECT_FALSE(tabs.IsToolsListShown());
    EXPECT_FALSE(tools->IsWindowVisible());
    EXPECT_EQ(tabs.GetCurSel(), 4);
    EXPECT_EQ(tabs.GetCurrentPage(), 4);

    // The Tips item is greyed while the Tools tab is current, not otherwise.
    CMenu* menu = dlg.GetBar(CMainDlg::kMenuBar).GetMenu();
    ASSERT_NE(menu, nullptr);
    CMenu* popup = menu->GetSubMenu(0);
    ASSERT_NE(popup, nullptr);
    dlg.UpdatePopup(popup);
    EXPECT_TRUE(popup->GetMenuState(ID_TIPS, MF_BYCOMMAND) & MF_GRAYED);
    TapTab(0);
    dlg.UpdatePopup(popup);
    EXPECT_FALSE(popup->GetMenuState(ID_TIPS, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(MainWindowTest, StoredTabIsRestored) {
    InstallSmallProduct();
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"CurTab", 3);
    {
        TestMainDlg& dlg = Open();
        EXPECT_EQ(dlg.GetTabs().GetCurrentPage(), 3);
        EXPECT_EQ(dlg.GetTabs().GetCurSel(), 3);
        EXPECT_TRUE(dlg.GetTabs().GetPage(3)->IsWindowVisible());
        EXPECT_FALSE(dlg.GetTabs().GetPage(0)->IsWindowVisible());
        EXPECT_EQ(dlg.GetVisibleBar(), CMainDlg::kMenuBar);
        EXPECT_EQ(dlg.GetTitleText(), CString(L"Currencies"));
        // The Currencies page, seeded from the main window's currency list, shows its tips
        // when the container asks.
        auto* currency = dynamic_cast<CCurrencyPanel*>(dlg.GetTabs().GetPage(3));
        ASSERT_NE(currency, nullptr);
        EXPECT_EQ(static_cast<CComboBox*>(currency->GetDlgItem(IDC_CUR_PAIR1))->GetCount(), 2);
        dlg.GetTabs().ShowCurrentPageTips();
        EXPECT_TRUE(currency->GetDlgItem(IDC_CUR_TIPS_FRAME)->IsWindowVisible());
        dlg.DestroyWindow();
    }
    // 42: the Tools tab with tool 2 pending; opening it hides page 0 and uses up the tool.
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"CurTab", 42);
    TestMainDlg& dlg = Open();
    EXPECT_EQ(dlg.GetTabs().GetCurrentPage(), 4);
    EXPECT_EQ(dlg.GetTabs().GetPreviousPage(), 4);
    EXPECT_EQ(CMainTabCtrl::s_nPendingTool, -1);
    EXPECT_TRUE(dlg.GetTabs().IsPageCreated(CMainTabCtrl::kToolsPage));
    EXPECT_FALSE(dlg.GetTabs().GetPage(0)->IsWindowVisible());
    // Tool 2, the clothing sizes, is open with the tool bar it asked for; the list is not shown.
    auto* tools = dynamic_cast<CToolsPage*>(dlg.GetTabs().GetPage(CMainTabCtrl::kToolsPage));
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(tools->GetCurrentTool(), kToolClothes);
    ASSERT_TRUE(tools->IsToolCreated(kToolClothes));
    EXPECT_TRUE(tools->GetTool(kToolClothes)->IsWindowVisible());
    EXPECT_FALSE(dlg.GetTabs().IsToolsListShown());
    EXPECT_EQ(dlg.GetVisibleBar(), CMainDlg::kToolBar);
    EXPECT_EQ(dlg.GetTitleText(), CString(L"Clothing"));
}

// A start on the Tools tab for itself shows its list alone with the menu bar (the start page put
// away, as Back to Tools leaves it); hiding the list brings the page back with its bar.
TEST_F(MainWindowTest, StoredToolsTabShowsTheListAloneWithTheMenuBar) {
    InstallSmallProduct();
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"CurTab", 4);
    TestMainDlg& dlg = Open();
    CMainTabCtrl& tabs = dlg.GetTabs();
    EXPECT_TRUE(tabs.IsToolsListShown());
    EXPECT_TRUE(tabs.GetPage(CMainTabCtrl::kToolsPage)->IsWindowVisible());
    EXPECT_FALSE(tabs.GetPage(CMainTabCtrl::kClocksPage)->IsWindowVisible());
    EXPECT_EQ(dlg.GetVisibleBar(), CMainDlg::kMenuBar);
    EXPECT_EQ(dlg.GetTitleText(), CString(L"Tools"));
    TapTab(4);
    EXPECT_EQ(tabs.GetCurrentPage(), CMainTabCtrl::kClocksPage);
    EXPECT_TRUE(tabs.GetPage(CMainTabCtrl::kClocksPage)->IsWindowVisible());
    EXPECT_EQ(dlg.GetVisibleBar(), CMainDlg::kClocksBar);
    EXPECT_EQ(dlg.GetTitleText(), CString(L"World Clocks"));
}

TEST_F(MainWindowTest, BarMessagesShowOneBarAndSetTheTitle) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    EXPECT_EQ(dlg.SendMessage(WM_APP_SHOW_EDIT_BAR), 1);
    EXPECT_EQ(dlg.GetVisibleBar(), CMainDlg::kEditBar);
    EXPECT_EQ(dlg.GetTitleText(), CString(L"Measurements"));
    dlg.SendMessage(WM_APP_SHOW_TOOL_BAR, 2);
    EXPECT_EQ(dlg.GetVisibleBar(), CMainDlg::kToolBar);
    EXPECT_EQ(dlg.GetTitleText(), CString(L"Areas codes"));
    dlg.SendMessage(WM_APP_SHOW_PACKING_BAR);
    EXPECT_EQ(dlg.GetTitleText(), CString(L"Packing list"));
    EXPECT_FALSE(testsupport::SaveScreenshot("main-window-packing-bar").empty());
    dlg.SendMessage(WM_APP_SHOW_TOOL_BAR, 4); // no title of its own
    EXPECT_EQ(dlg.GetVisibleBar(), CMainDlg::kToolBar);
    EXPECT_EQ(dlg.GetTitleText(), CString(L"Packing list"));
    dlg.SendMessage(WM_APP_SHOW_TOOL_BAR, 5);
    EXPECT_EQ(dlg.GetTitleText(), CString(L"News"));
    int visible = 0;
    for (int b = 0; b < CMainDlg::kBarCount; ++b) visible += dlg.GetBar(static_cast<Bar>(b)).IsVisible() ? 1 : 0;
    EXPECT_EQ(visible, 1);

    // Back to Tools lowers the input panel and returns to the Tools title and tab.
    device::ui::SetSipUp(true);
    dlg.SendMessage(WM_COMMAND, ID_BACK_TO_TOOLS);
    EXPECT_FALSE(device::ui::IsSipUp());
    EXPECT_EQ(dlg.GetVisibleBar(), CMainDlg::kMenuBar);
    EXPECT_EQ(dlg.GetTitleText(), CString(L"Tools"));
    EXPECT_EQ(ReadDword(L"Jorvana", L"CurTab"), 4);
}

// A window that records the private messages it hears, in order, with its name.
struct Recorder {
    static std::vector<std::pair<char, UINT>>& Log() {
        static std::vector<std::pair<char, UINT>> log;
        return log;
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg >= 0x8066 && msg <= 0x8083)
            Log().emplace_back(static_cast<char>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)), msg);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    static HWND Make(HWND parent, char name, const RECT& r) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = Proc;
            wc.lpszClassName = L"RecordingWindow";
            RegisterClassW(&wc);
            registered = true;
        }
        HWND w = CreateWindowExW(0, L"RecordingWindow", L"", WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, parent, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(w, GWLP_USERDATA, name);
        return w;
    }
};

TEST_F(MainWindowTest, ToolCommandsReachTheWindowAtTheBottomRightOfThePageArea) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    // A stand-in tool window: a parent "T" over the page area holding two windows, "B" at its
    // bottom-right corner and "U" where the corner is while the input panel is up.
    CDialog* page = dlg.GetTabs().GetPage(0);
    CRect area;
    page->GetClientRect(&area);
    HWND tool = Recorder::Make(page->m_hWnd, 'T', area);
    RECT work = device::ui::WorkArea();
    const int menu = GetSystemMetrics(SM_CYMENU);
    POINT low{work.right - 3, work.bottom - work.top - menu};
    POINT high{low.x, low.y - 80};
    ScreenToClient(tool, &low);
    ScreenToClient(tool, &high);
    Recorder::Make(tool, 'B', RECT{low.x - 10, low.y - 5, low.x + 3, low.y + 5});
    Recorder::Make(tool, 'U', RECT{high.x - 10, high.y - 5, high.x + 3, high.y + 5});
    Recorder::Log().clear();

    dlg.SendMessage(WM_COMMAND, ID_EDIT_COPY_TOOL);
    dlg.SendMessage(WM_COMMAND, ID_PACK_DELETE_CATEGORY);
    dlg.SendMessage(WM_COMMAND, ID_PACK_SHOW_CHECKED);
    device::ui::SetSipUp(true);
    dlg.SendMessage(WM_COMMAND, ID_EDIT_PASTE_TOOL); // moves above the panel
    dlg.SendMessage(WM_COMMAND, ID_PACK_ADD_LIST);   // the packing list's commands too: the panel hears none
    const std::vector<std::pair<char, UINT>> expected = {
        {'T', WM_APP_EDIT_COPY},  {'B', WM_APP_EDIT_COPY},  {'T', WM_APP_UNDO_OR_DELETE_CATEGORY},
        {'B', WM_APP_UNDO_OR_DELETE_CATEGORY},  {'T', WM_APP_PACK_SHOW_CHECKED}, {'B', WM_APP_PACK_SHOW_CHECKED},
        {'T', WM_APP_EDIT_PASTE}, {'U', WM_APP_EDIT_PASTE}, {'T', WM_APP_PACK_ADD_LIST}, {'U', WM_APP_PACK_ADD_LIST}};
    EXPECT_EQ(Recorder::Log(), expected);
    EXPECT_EQ(dlg.GetPackingView(), CMainDlg::kShowChecked);
    device::ui::SetSipUp(false);
}

TEST_F(MainWindowTest, TwelveHourCommandFlipsTheSettingAndItsCheckMark) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    CMenu* popup = dlg.GetBar(CMainDlg::kClocksBar).GetMenu()->GetSubMenu(0);
    ASSERT_NE(popup, nullptr);
    dlg.SendMessage(WM_COMMAND, ID_TWELVE_HOUR_CLOCKS);
    EXPECT_EQ(ReadDword(L"Jorvana", L"twelvehour"), 1);
    dlg.UpdatePopup(popup);
    EXPECT_TRUE(popup->GetMenuState(ID_TWELVE_HOUR_CLOCKS, MF_BYCOMMAND) & MF_CHECKED);
    dlg.SendMessage(WM_COMMAND, ID_TWELVE_HOUR_CLOCKS);
    EXPECT_EQ(ReadDword(L"Jorvana", L"twelvehour"), 0);
    dlg.UpdatePopup(popup);
    EXPECT_FALSE(popup->GetMenuState(ID_TWELVE_HOUR_CLOCKS, MF_BYCOMMAND) & MF_CHECKED);
    // The language command hands over the index start-up used.
    dlg.m_nLanguageIndex = 2;
    dlg.SendMessage(WM_COMMAND, ID_LANGUAGE);
    EXPECT_EQ(dlg.languageRuns, std::vector<int>{2});
}

TEST_F(MainWindowTest, FirstRunAddsTheHomeCityToTheWeatherStoreAndWritesTheDefaults) {
    InstallSmallProduct(false);
    // The store sorts the cities: Lima 0, Oslo 1, Paris 2. Lima is no weather city yet.
    WriteDeviceFile(InProgramFolder(L"weatcs\\Peru"), "Cusco;PE0002\r\nLima;PE0001\r\n>\r\n");
    m_dlg = std::make_unique<TestMainDlg>();
    m_dlg->homeCityAnswer = 0;
    ASSERT_TRUE(m_dlg->Create(IDD_MAIN, nullptr));
    EXPECT_EQ(m_dlg->homeCityRuns, 1);
    EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock"), 0);
    EXPECT_EQ(ReadDword(L"Jorvana\\map", L"mapclock"), 0);
    EXPECT_EQ(ReadString(L"Jorvana", L"hlname"), CString(L"Lima:Peru"));
    CWeatherDb weather;
    weather.Open();
    ASSERT_TRUE(weather.FindByName(L"Lima"));
    const DWORD position = weather.GetCurrentIndex();
    EXPECT_EQ(position, 0u);
    EXPECT_EQ(weather.GetCode(position), CString(L"PE0001"));
    EXPECT_EQ(weather.GetUpdateDate(position), CString(L"01/01/2000"));
    EXPECT_EQ(weather.GetCountry(position), CString(L"Peru"));
    EXPECT_EQ(ReadDword(L"Jorvana\\weather", L"wetp"), 0);
    EXPECT_EQ(ReadDword(L"Jorvana\\weather", L"wetp2"), static_cast<long long>(shipped::kWeatherPlace[0] + 1));
    EXPECT_EQ(ReadDword(L"Jorvana\\weather", L"wetp3"), static_cast<long long>(shipped::kWeatherPlace[1] + 1));
    EXPECT_EQ(ReadDword(L"Jorvana\\weather", L"wetp4"), static_cast<long long>(shipped::kWeatherPlace[2] + 1));
}

TEST_F(MainWindowTest, FirstRunWithAWeatherCityAddsNoPlaceAndKeepsTheShippedPlaces) {
    InstallSmallProduct(false);
    m_dlg = std::make_unique<TestMainDlg>();
    m_dlg->homeCityAnswer = 2; // Paris, already a weather city
    ASSERT_TRUE(m_dlg->Create(IDD_MAIN, nullptr));
    EXPECT_EQ(m_dlg->homeCityRuns, 1);
    EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock"), 2);
    EXPECT_EQ(ReadString(L"Jorvana", L"hlname"), CString(L"Paris:France"));
    EXPECT_EQ(ReadDword(L"Jorvana\\weather", L"wetp"), 1); // Oslo 0, Paris 1
    // Every place is stored with the home city's, the shipped ones unmoved.
    EXPECT_EQ(ReadDword(L"Jorvana\\weather", L"wetp2"), static_cast<long long>(shipped::kWeatherPlace[0]));
    EXPECT_EQ(ReadDword(L"Jorvana\\weather", L"wetp3"), static_cast<long long>(shipped::kWeatherPlace[1]));
    EXPECT_EQ(ReadDword(L"Jorvana\\weather", L"wetp4"), static_cast<long long>(shipped::kWeatherPlace[2]));
    m_dlg->DestroyWindow();
    // The next start asks no more.
    m_dlg = std::make_unique<TestMainDlg>();
    ASSERT_TRUE(m_dlg->Create(IDD_MAIN, nullptr));
    EXPECT_EQ(m_dlg->homeCityRuns, 0);
}

TEST_F(MainWindowTest, FirstRunWithNoCityChosenWritesNoHomeCity) {
    InstallSmallProduct(false);
    m_dlg = std::make_unique<TestMainDlg>();
    m_dlg->homeCityAnswer = -1; // the dialog ended with nothing chosen (the program ending)
    ASSERT_TRUE(m_dlg->Create(IDD_MAIN, nullptr));
    device::ui::PumpUntilIdle();
    EXPECT_EQ(ReadString(L"Jorvana", L"hlname"), CString());
    EXPECT_EQ(ReadDword(L"Jorvana\\map", L"mapclock"), -1);
    EXPECT_EQ(ReadDword(L"Jorvana\\weather", L"wetp"), -1);
    // The window ends before it makes its first page, whose defaults would name a home city:
    // the next start asks for one again.
    CDialog* first = m_dlg->GetTabs().GetPage(0);
    EXPECT_TRUE(first == nullptr || first->m_hWnd == nullptr);
    EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock"), -1);
    CWeatherDb weather;
    weather.Open();
    EXPECT_EQ(weather.GetRecordCount(), 2); // no place was added for a city never chosen
}

TEST_F(MainWindowTest, HomeCityWeatherCodeComesFromTheLineOfExactlyItsName) {
    InstallSmallProduct(false);
    WriteCities({"York;UK", "Paris;France"});
    // "New York;" holds "York;" too, and comes first.
    WriteDeviceFile(InProgramFolder(L"weatcs\\UK"), "New York;US0001\r\nYork;GB0042\r\n>\r\n");
    m_dlg = std::make_unique<TestMainDlg>();
    m_dlg->homeCityAnswer = 1; // Paris 0, York 1
    ASSERT_TRUE(m_dlg->Create(IDD_MAIN, nullptr));
    CWeatherDb weather;
    weather.Open();
    ASSERT_TRUE(weather.FindByName(L"York"));
    EXPECT_EQ(weather.GetCode(weather.GetCurrentIndex()), CString(L"GB0042"));
}

TEST_F(MainWindowTest, CurrencyStoreIsBuiltFromTheCurrencyList) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    ASSERT_EQ(dlg.GetCurrencyCount(), 2);
    EXPECT_EQ(dlg.GetCurrency(1)->name, CString(L"US Dollar"));
    CCurrenciesDb store;
    store.Open();
    ASSERT_TRUE(store.FindByName(L"Euro"));
    const DWORD euro = store.GetCurrentIndex();
    EXPECT_EQ(store.GetCode(euro), CString(L"EUR"));
    EXPECT_EQ(store.GetRate(euro), CString(L"1.1"));
    ASSERT_TRUE(store.FindByName(L"US Dollar"));
    EXPECT_EQ(store.GetRate(store.GetCurrentIndex()), CString(L"1"));
}

TEST_F(MainWindowTest, SkinGivesTheStripItsImagesAndColours) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    EXPECT_EQ(dlg.GetTabImages().GetImageCount(), 10);
    // default.skn: TBC 31058095, PC 62109156, PTC 255255255, IF \toolbar\.
    EXPECT_EQ(dlg.GetStripColor(), RGB(31, 58, 95));
    EXPECT_EQ(dlg.GetTitleBackColor(), RGB(62, 109, 156));
    EXPECT_EQ(dlg.GetTitleTextColor(), RGB(255, 255, 255));
    EXPECT_EQ(dlg.GetSkinImageFolder(), CString(L"\\toolbar\\"));
    EXPECT_EQ(dlg.GetTabs().GetBackColor(), RGB(31, 58, 95));
    EXPECT_EQ(CThemedTabCtrl::GetThemeColor(), RGB(31, 58, 95));
    EXPECT_EQ(CThemedTabCtrl::GetThemeStyle(), 7u);
    auto* clocks = dynamic_cast<CWorldClocksDlg*>(dlg.GetTabs().GetPage(0));
    ASSERT_NE(clocks, nullptr);
    EXPECT_EQ(clocks->m_panelColour, RGB(31, 58, 95));
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(MainWindowTest, MissingSkinFallsBackToTheDefaultSkin) {
    InstallSmallProduct();
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"\\Storage\\Gone\\gone.skn");
    TestMainDlg& dlg = Open();
    EXPECT_EQ(MessageTexts(),
              std::vector<std::wstring>{L"Skin File corrupted or not found!\n\nDefault skin will be used."});
    EXPECT_EQ(ReadString(L"Jorvana", L"skin"), CString(L"\\Program Files\\Jorvana\\default.skn"));
    EXPECT_EQ(dlg.GetStripColor(), RGB(31, 58, 95));
    EXPECT_EQ(dlg.GetTabImages().GetImageCount(), 10);
}

TEST_F(MainWindowTest, UnreadableDefaultSkinKeepsTheStartImages) {
    InstallSmallProduct();
    std::filesystem::remove(HostPath(InProgramFolder(L"default.skn")));
    TestMainDlg& dlg = Open();
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{
                                  L"Default Skin file corrupted or not found!\n\nPlease reinstall Default skin."});
    EXPECT_EQ(dlg.GetTabImages().GetImageCount(), 10);
    // The built-in copy of the shipped default skin stands in for the missing file.
    EXPECT_EQ(dlg.GetStripColor(), RGB(31, 58, 95));
}

TEST_F(MainWindowTest, UnreadNewsMarkIsPaintedUntilTheNewsIsRead) {
    InstallSmallProduct();
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"newsread", 0);
    TestMainDlg& dlg = Open();
    CMainTabCtrl& tabs = dlg.GetTabs();
    ASSERT_TRUE(tabs.HasUnreadNews());
    POINT mark{240 - 99, 6}; // inside the mark, left of its letter
    tabs.ClientToScreen(&mark);
    auto pixel = [&] {
        COLORREF c = 0;
        device::ui::PumpUntilIdle();
        device::ui::WithFramebuffer([&](const device::gdi::Bitmap& b) { c = device::gdi::ToColorRef(b.Get(mark.x, mark.y)); });
        return c;
    };
    EXPECT_EQ(pixel(), RGB(152, 207, 80));
    EXPECT_FALSE(testsupport::SaveScreenshot("main-window-unread-news").empty());
    tabs.MarkNewsRead();
    EXPECT_NE(pixel(), RGB(152, 207, 80));
    EXPECT_FALSE(tabs.HasUnreadNews());
}

} // namespace
} // namespace shelltest

namespace shelltest {
namespace {

// Run modally, the window brings its bar's items up to date whenever its queue runs dry after a
// message that makes that due, and Exit ends the run with OK.
TEST_F(MainWindowTest, ModalRunKeepsTheBarItemsCurrentAndEndsOnExit) {
    InstallSmallProduct();
    static int s_tick;
    static std::vector<bool> s_undoGreyed;
    s_tick = 0;
    s_undoGreyed.clear();
    TestMainDlg dlg;
    ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        auto* main = dynamic_cast<TestMainDlg*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
        if (!main || !main->IsWindowVisible()) return;
        ::KillTimer(nullptr, id);
        main->SendMessage(WM_APP_SHOW_EDIT_BAR);
        // From here on the window's own timer messages drive its loop.
        ::SetTimer(main->m_hWnd, 7, 10, [](HWND hwnd, UINT, UINT_PTR, DWORD) {
            auto* self = dynamic_cast<TestMainDlg*>(CWnd::FromHandlePermanent(hwnd));
            CMenu* edit = self->GetBar(CMainDlg::kEditBar).GetMenu()->GetSubMenu(0);
            s_undoGreyed.push_back((edit->GetMenuState(ID_EDIT_UNDO_TOOL, MF_BYCOMMAND) & MF_GRAYED) != 0);
            if (++s_tick == 2) self->m_bUndoAvailable = 1;
            if (s_tick == 4) {
                ::KillTimer(hwnd, 7);
                self->SendMessage(WM_COMMAND, ID_APP_EXIT_MENU);
            }
        });
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    ASSERT_EQ(s_undoGreyed.size(), 4u);
    EXPECT_TRUE(s_undoGreyed[0]);
    EXPECT_TRUE(s_undoGreyed[1]);
    EXPECT_FALSE(s_undoGreyed[3]) << "the flag set at the second tick shows by the fourth";
}

} // namespace
} // namespace shelltest

namespace shelltest {
namespace {

TEST_F(MainWindowTest, RecreatePagesReplacesTheClocksAndMapPagesOnly) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    CMainTabCtrl& tabs = dlg.GetTabs();
    TapTab(3);
    TapTab(2);
    TapTab(0);
    const HWND clocks = tabs.GetPage(0)->m_hWnd, map = tabs.GetPage(2)->m_hWnd, currency = tabs.GetPage(3)->m_hWnd;
    dlg.SendMessage(WM_APP_SHOW_MENU_BAR);
    tabs.RecreatePages();
    EXPECT_TRUE(tabs.IsPageCreated(0));
    EXPECT_TRUE(tabs.IsPageCreated(2));
    EXPECT_NE(tabs.GetPage(0)->m_hWnd, clocks);
    EXPECT_NE(tabs.GetPage(2)->m_hWnd, map);
    EXPECT_FALSE(::IsWindow(clocks));
    EXPECT_FALSE(::IsWindow(map));
    EXPECT_EQ(tabs.GetPage(3)->m_hWnd, currency);
    EXPECT_EQ(tabs.GetCurrentPage(), 0);
    EXPECT_TRUE(tabs.GetPage(0)->IsWindowVisible());
    EXPECT_EQ(dlg.GetVisibleBar(), CMainDlg::kClocksBar);
    // The new pages carry the strip's colour.
    auto* newMap = dynamic_cast<CWorldMapPanel*>(tabs.GetPage(2));
    ASSERT_NE(newMap, nullptr);
    EXPECT_EQ(newMap->m_panelColour, RGB(31, 58, 95));
}

TEST_F(MainWindowTest, TapOnTheClocksPageUnderTheToolsStripPutsTheTabBack) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    CMainTabCtrl& tabs = dlg.GetTabs();
    TapTab(4); // the Tools strip over the clocks page
    ASSERT_TRUE(tabs.IsToolsListShown());
    auto* clocks = dynamic_cast<CWorldClocksDlg*>(tabs.GetPage(0));
    ASSERT_NE(clocks, nullptr);
    // A tap on the home clock's city name, below the strip: the selection goes back to the
    // clocks tab, the strip hides, and the name's list opens.
    RECT name = clocks->Geometry().ComboRect(0);
    POINT at{name.left + 30, (name.top + name.bottom) / 2};
    clocks->ClientToScreen(&at);
    device::ui::InjectStylus(device::ui::StylusAction::Down, at);
    device::ui::InjectStylus(device::ui::StylusAction::Up, at);
    device::ui::PumpUntilIdle();
    EXPECT_FALSE(tabs.IsToolsListShown());
    EXPECT_FALSE(tabs.GetPage(CMainTabCtrl::kToolsPage)->IsWindowVisible());
    EXPECT_EQ(tabs.GetCurSel(), 0);
    EXPECT_TRUE(clocks->m_cityCombo[0].GetDroppedState());
    EXPECT_EQ(clocks->m_cityCombo[0].GetCount(), 3);
}

TEST_F(MainWindowTest, ClocksPageHasItselfPlacedAgainOnASettingChange) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    CDialog* clocks = dlg.GetTabs().GetPage(0);
    CRect placed;
    clocks->GetWindowRect(&placed);
    clocks->SetWindowPos(nullptr, 40, 60, 100, 100, SWP_NOZORDER);
    clocks->SendMessage(WM_SETTINGCHANGE, 0, 0);
    CRect again;
    clocks->GetWindowRect(&again);
    EXPECT_EQ(again, placed);
}

TEST_F(MainWindowTest, OptionsMenuRunsTheCityEditorAndTheRemindersOfTheClockCities) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    CMainTabCtrl& tabs = dlg.GetTabs();
    auto* clocks = dynamic_cast<CWorldClocksDlg*>(tabs.GetPage(0));
    ASSERT_NE(clocks, nullptr);

    bool editorShown = false;
    CloseNextDialog<CEditCitiesDlg>([&](CEditCitiesDlg&) { editorShown = true; });
    const HWND before = clocks->m_hWnd;
    dlg.SendMessage(WM_COMMAND, ID_EDIT_CITIES);
    EXPECT_TRUE(editorShown);
    // The clocks page is made again so that it reads the edited cities.
    EXPECT_FALSE(::IsWindow(before));
    clocks = dynamic_cast<CWorldClocksDlg*>(tabs.GetPage(0));
    ASSERT_NE(clocks, nullptr);
    EXPECT_TRUE(clocks->IsWindowVisible());

    std::vector<CString> names;
    CWnd* owner = nullptr;
    CloseNextDialog<CRemindersDlg>([&](CRemindersDlg& reminders) {
        names.assign(std::begin(reminders.m_strCityNames), std::end(reminders.m_strCityNames));
        owner = reminders.GetOwner();
    });
    dlg.SendMessage(WM_COMMAND, ID_SET_REMINDERS);
    ASSERT_EQ(names.size(), 5u);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(names[k], clocks->GetClockCityName(k)) << k;
    EXPECT_FALSE(names[0].IsEmpty());
    // Owned through the clocks page, whose top-level window is the main window.
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(owner->m_hWnd, dlg.m_hWnd);
}

} // namespace
} // namespace shelltest

namespace shelltest {
namespace {

TEST_F(MainWindowTest, ClockInformationTapShowsTheSummaryThenTheCityDialog) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    auto* clocks = dynamic_cast<CWorldClocksDlg*>(dlg.GetTabs().GetPage(0));
    ASSERT_NE(clocks, nullptr);
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDYES});
    CString shownName;
    CloseNextDialog<CCityInfoDlg>([&](CCityInfoDlg& info) { shownName = info.m_name; });
    clocks->ShowCityInfo(CWorldClocksDlg::s_clockCity[0], L"09/12/2026");
    ASSERT_EQ(device::ui::MessageBoxRecords().size(), 1u) << "the summary box comes first";
    EXPECT_EQ(shownName, clocks->GetClockCityName(0));
    EXPECT_FALSE(shownName.IsEmpty());
}

TEST_F(MainWindowTest, MapSlotHoldsTheWorldMapPageAndTheForwardersReachIt) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    CMainTabCtrl& tabs = dlg.GetTabs();
    TapTab(2);
    auto* map = dynamic_cast<CWorldMapPanel*>(tabs.GetPage(2));
    ASSERT_NE(map, nullptr);
    ASSERT_TRUE(tabs.IsPageCreated(2));
    EXPECT_TRUE(map->IsWindowVisible());

    const bool squares = map->m_showCitySquares;
    tabs.ToggleMapCitySquares();
    EXPECT_NE(map->m_showCitySquares, squares);
    tabs.SetTwelveHourMode(1);
    EXPECT_TRUE(map->m_twelveHour);
    tabs.SetTwelveHourMode(0);
    EXPECT_FALSE(map->m_twelveHour);
    // The square menu's first item comes from the clocks page through the container.
    EXPECT_FALSE(tabs.GetClockTimeText(1).IsEmpty());

    // Re-created after a city-list edit: the old page writes no city on its way out.
    map->m_mapCity = 4;
    tabs.RecreatePages();
    EXPECT_NE(ReadDword(L"Jorvana\\map", L"mapclock"), 4);
    EXPECT_NE(dynamic_cast<CWorldMapPanel*>(tabs.GetPage(2)), nullptr);
}

} // namespace
} // namespace shelltest

namespace shelltest {
namespace {

struct ScreenCase {
    int width, height;
    bool sipUp;
    const char* name;
};
const ScreenCase kScreens[] = {{240, 320, false, "240x320"}, {240, 320, true, "240x320-sip"},
                               {320, 240, false, "320x240"}, {320, 240, true, "320x240-sip"},
                               {240, 240, false, "240x240"}, {240, 240, true, "240x240-sip"},
                               {320, 320, false, "320x320"}, {320, 320, true, "320x320-sip"}};

// The part of the screen a form may use: the work area above a raised input panel.
RECT VisibleArea() {
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    SIPINFO sip{};
    sip.cbSize = sizeof(sip);
    if (::SHSipInfo(SPI_GETSIPINFO, 0, &sip, 0) && (sip.fdwFlags & SIPF_ON))
        area.bottom = std::min(area.bottom, sip.rcSipRect.top);
    return area;
}

// The form lies in the visible area and, from the top, its scroll range brings every visible
// control into its client area.
void ExpectFormReachable(CScrollableFormDlg& form, int contentHeight, const char* shape) {
    const RECT visible = VisibleArea();
    RECT frame{}, client{};
    form.GetWindowRect(&frame);
    form.GetClientRect(&client);
    EXPECT_GE(frame.top, visible.top) << shape;
    EXPECT_LE(frame.bottom, visible.bottom) << shape;
    EXPECT_LE(frame.right, visible.right) << shape;
    EXPECT_EQ(form.m_nScrollPos, 0) << shape;
    const int range = std::max(contentHeight - static_cast<int>(client.bottom), 0);
    for (CWnd* c = form.GetWindow(GW_CHILD); c; c = c->GetWindow(GW_HWNDNEXT)) {
        if (!c->IsWindowVisible()) continue;
        RECT r{};
        c->GetWindowRect(&r);
        form.ScreenToClient(&r);
        EXPECT_GE(r.top, 0) << shape << " control " << c->GetDlgCtrlID();
        EXPECT_LE(r.bottom - range, client.bottom) << shape << " control " << c->GetDlgCtrlID();
        EXPECT_LE(r.right, client.right) << shape << " control " << c->GetDlgCtrlID();
    }
}

TEST_F(MainWindowTest, RemindersFitEveryScreenAndPanelStateAndTakeTypedTimes) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    for (const ScreenCase& s : kScreens) {
        device::ui::SetScreenShape(s.width, s.height);
        device::ui::SetSipUp(s.sipUp);
        device::ui::PumpUntilIdle();
        device::ui::ScriptMessageBoxAnswers({IDOK});
        CloseNextDialog<CRemindersDlg>([&](CRemindersDlg& form) {
            device::ui::PumpUntilIdle();
            ExpectFormReachable(form, form.m_nContentHeight, s.name);
            // Focusing a lower description scrolls no further than the form's end.
            form.m_editDesc[1].SetFocus();
            device::ui::PumpUntilIdle();
            RECT client{};
            form.GetClientRect(&client);
            EXPECT_EQ(form.m_nScrollPos, std::max(form.m_nContentHeight - static_cast<int>(client.bottom), 0)) << s.name;
            testsupport::SaveScreenshot(std::string("reminders-") + s.name);
        });
        dlg.SendMessage(WM_COMMAND, ID_SET_REMINDERS);
    }
    device::ui::SetSipUp(false);
    device::ui::SetScreenShape(240, 320);
    device::ui::PumpUntilIdle();

    // Tapping a box that holds "00" and typing replaces its text.
    device::ui::ScriptMessageBoxAnswers({IDOK});
    CString hours, minutes;
    CloseNextDialog<CRemindersDlg>([&](CRemindersDlg& form) {
        DateFirstReminderAYearAhead(form);
        for (auto [box, text] : {std::pair{&form.m_editHours[0], L"19"}, std::pair{&form.m_editMinutes[0], L"05"}}) {
            RECT r{};
            box->GetWindowRect(&r);
            device::display::test::Tap(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
            device::display::test::TypeKeys(text);
        }
        form.m_checkEnable[0].SetCheck(BST_CHECKED);
        form.m_editHours[0].GetWindowText(hours);
        form.m_editMinutes[0].GetWindowText(minutes);
    });
    dlg.SendMessage(WM_COMMAND, ID_SET_REMINDERS);
    EXPECT_EQ(hours, CString(L"19"));
    EXPECT_EQ(minutes, CString(L"05"));
    EXPECT_EQ(ReadString(L"Jorvana\\alarms", L"clock"), CString(L"19:05"));
}

} // namespace
} // namespace shelltest

namespace shelltest {
namespace {

// While "Reminders settings saved..." is up, taps on the main window's menu bar and tab strip
// open nothing; the reminder is stored before the box shows; after it the main window is active
// again (its caption on the taskbar).
TEST_F(MainWindowTest, TapsUnderTheRemindersSavedBoxOpenNothingAndTheReminderIsStoredFirst) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    device::ui::ClearMessageBoxRecords(); // the box really shows: no scripted answer
    struct Seen {
        bool boxUp = false;
        CString storedTime;
        bool mainEnabled = true;
        bool menuOpened = false;
        int tab = -1;
    };
    static Seen s_seen;
    static TestMainDlg* s_main;
    s_seen = Seen{};
    s_main = &dlg;
    CloseNextDialog<CRemindersDlg>([&](CRemindersDlg& form) {
        DateFirstReminderAYearAhead(form);
        form.m_editHours[0].SetWindowText(L"19");
        form.m_editMinutes[0].SetWindowText(L"05");
        form.m_checkEnable[0].SetCheck(BST_CHECKED);
        // Once the box is up: a tap on the Options menu of the bar and one on the Weather tab.
        ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
            HWND box = device::ui::CurrentMessageBox();
            if (!box) return;
            ::KillTimer(nullptr, id);
            s_seen.boxUp = true;
            s_seen.storedTime = CRegistryKey().ReadString(HKEY_LOCAL_MACHINE, L"Jorvana\\alarms", L"clock");
            s_seen.mainEnabled = s_main->IsWindowEnabled() != FALSE;
            HWND bar = s_main->GetBar(CMainDlg::kClocksBar).m_hWnd;
            RECT options{};
            ASSERT_TRUE(device::ui::CommandBarEntryRect(bar, 0, -1, options));
            CRect tab;
            s_main->GetTabs().GetItemRect(1, &tab);
            s_main->GetTabs().ClientToScreen(&tab);
            POINT onMenu{(options.left + options.right) / 2, (options.top + options.bottom) / 2};
            ::ClientToScreen(bar, &onMenu);
            for (POINT at : {onMenu, POINT{tab.CenterPoint().x, tab.CenterPoint().y}}) {
                device::ui::InjectStylus(device::ui::StylusAction::Down, at);
                device::ui::InjectStylus(device::ui::StylusAction::Up, at);
            }
            // After the taps have gone wherever they go: look, close any menu they opened, and
            // answer the box.
            ::SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id2, DWORD) {
                ::KillTimer(nullptr, id2);
                s_seen.menuOpened = device::ui::OpenPopupWindow() != nullptr;
                s_seen.tab = s_main->GetTabs().GetCurSel();
                if (s_seen.menuOpened) device::ui::InjectKey(VK_ESCAPE, true), device::ui::InjectKey(VK_ESCAPE, false);
                if (HWND box2 = device::ui::CurrentMessageBox()) ::PostMessageW(box2, WM_COMMAND, IDOK, 0);
            });
        });
    });
    dlg.SendMessage(WM_COMMAND, ID_SET_REMINDERS);
    device::ui::PumpUntilIdle();
    ASSERT_TRUE(s_seen.boxUp);
    EXPECT_EQ(s_seen.storedTime, CString(L"19:05")) << "stored before the box shows";
    EXPECT_FALSE(s_seen.mainEnabled);
    EXPECT_FALSE(s_seen.menuOpened) << "a tap on the menu bar under the box opens no menu";
    EXPECT_EQ(s_seen.tab, 0) << "a tap on a tab under the box changes no page";
    EXPECT_EQ(ReadString(L"Jorvana\\alarms", L"clock"), CString(L"19:05"));
    EXPECT_TRUE(dlg.IsWindowEnabled());
    EXPECT_EQ(::GetActiveWindow(), dlg.m_hWnd) << "the taskbar shows the main window's caption again";
}

} // namespace
} // namespace shelltest

namespace shelltest {
namespace {

// Tips boxes left open on pages under another tab follow a screen turned meanwhile without
// taking the focus from the tab in use: back on their tab they stand inside the page, their Hide
// button in reach, the map's over its picture.
TEST_F(MainWindowTest, OpenTipsBoxesFollowTheScreenTurnedUnderAnotherTab) {
    InstallSmallProduct();
    Open();
    for (int tab : {1, 2, 3}) TapTab(tab);
    const HWND focus = ::GetFocus();
    ASSERT_TRUE(::IsChild(m_dlg->GetTabs().GetPage(3)->m_hWnd, focus));
    device::ui::RotateScreen();
    device::ui::PumpUntilIdle();
    EXPECT_EQ(::GetFocus(), focus) << "a hidden page's tips took the focus";
    const struct {
        int tab;
        int frame;
        int hide;
    } pages[] = {{CMainTabCtrl::kClocksPage, IDC_CLOCK_TIPS_FRAME, IDC_CLOCK_TIPS_CLOSE},
                 {1, IDC_WEATHER_TIP_TITLE, IDC_WEATHER_TIP_HIDE},
                 {2, IDC_MAP_TIPS_TITLE, IDC_MAP_TIPS_OK}};
    for (const auto& p : pages) {
        TapTab(p.tab);
        CDialog* page = m_dlg->GetTabs().GetPage(p.tab);
        ASSERT_TRUE(page && page->GetDlgItem(p.frame)->IsWindowVisible()) << "tab " << p.tab;
        CRect area, frame, hide;
        page->GetWindowRect(&area);
        page->GetDlgItem(p.frame)->GetWindowRect(&frame);
        page->GetDlgItem(p.hide)->GetWindowRect(&hide);
        EXPECT_LE(frame.right, area.right) << "tab " << p.tab;
        EXPECT_LE(hide.bottom, area.bottom) << "tab " << p.tab;
    }
    auto& map = static_cast<CWorldMapPanel&>(*m_dlg->GetTabs().GetPage(2));
    HWND h = ::GetTopWindow(map.m_hWnd);
    for (; h && h != map.m_tipsTitle.m_hWnd; h = ::GetWindow(h, GW_HWNDNEXT))
        EXPECT_NE(h, map.m_sunPicture.m_hWnd) << "the sun picture over the tips";
}

// Run by its own loop: the tips balloon of the first start closes on Escape though the tab strip
// holds the focus, and the Currencies tips box shown from the menu closes on Return.
TEST_F(MainWindowTest, TipsBoxesCloseOnEscapeAndReturn) {
    using testsupport::ModalSteps;
    InstallSmallProduct();
    TestMainDlg dlg;
    auto shown = [&](int page) {
        CDialog* p = dlg.GetTabs().GetPage(page);
        return p && p->m_hWnd && p->GetDlgItem(IDC_CLOCK_TIPS_FRAME)->IsWindowVisible();
    };
    ModalSteps steps({
        [&] {
            EXPECT_TRUE(shown(CMainTabCtrl::kClocksPage));
            ModalSteps::Press(VK_ESCAPE);
        },
        [&] {
            EXPECT_FALSE(shown(CMainTabCtrl::kClocksPage));
            CRect item;
            dlg.GetTabs().GetItemRect(CMainTabCtrl::kCurrencyPage, &item);
            dlg.GetTabs().ClientToScreen(&item);
            device::ui::InjectStylus(device::ui::StylusAction::Down, item.CenterPoint());
            device::ui::InjectStylus(device::ui::StylusAction::Up, item.CenterPoint());
        },
        [&] {
            ASSERT_EQ(dlg.GetTabs().GetCurrentPage(), CMainTabCtrl::kCurrencyPage);
            dlg.SendMessage(WM_COMMAND, ID_TIPS);
            EXPECT_TRUE(shown(CMainTabCtrl::kCurrencyPage));
            ModalSteps::Press(VK_RETURN);
        },
        [&] {
            EXPECT_FALSE(shown(CMainTabCtrl::kCurrencyPage));
            dlg.SendMessage(WM_COMMAND, ID_APP_EXIT_MENU);
        },
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(ModalSteps::Done());
}

} // namespace
} // namespace shelltest
