// Damaged files met at start: each is reported in one message, what can be used of it (or the
// built-in values) is used, and stored positions that no longer exist are moved and written back.

#include "MainWindowTestSupport.h"

#include "clocks/WorldClocksDlg.h"
#include "core/CitiesDb.h"
#include "core/CoreMessages.h"
#include "core/SkinFile.h"
#include "core/CurrenciesDb.h"
#include "core/WeatherDb.h"
#include "support/FileSizeLimit.h"
#include "core/ShippedDefaults.h"
#include "clocks/StoredCityIndexes.h"
#include "shell/StoredPositions.h"
#include "weather/WeatherPanel.h"

namespace shelltest {
namespace {

class DamagedFilesTest : public MainWindowTest {
protected:
    static std::wstring Text(UINT id) { return std::wstring(static_cast<LPCWSTR>(LoadCoreString(id))); }
};

TEST_F(DamagedFilesTest, CutCityListIsReportedAndEveryClockKeepsANamedCity) {
    InstallSmallProduct();
    // Five cities promised, the file cut in the middle of the fourth line.
    WriteDeviceFile(InProgramFolder(L"cities.lst"), "rules\n5\nZone/X;Paris;France;10;20;100;0;0;0;0;0\n"
                                                    "Zone/X;Oslo;Norway;10;20;100;0;0;0;0;0\n"
                                                    "Zone/X;Lima;Peru;10;20;100;0;0;0;0;0\nZone/X;Ro");
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", L"clock", 1);
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", L"clock2", 2);
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\map", L"mapclock", 40);
    TestMainDlg& dlg = Open();
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{Text(IDS_CITIES_FILE_DAMAGED)});
    // clock1, clock3, clock4 (missing: shipped positions far past three cities) and the map go
    // to the home clock's city; the home clock and clock2 stay where the user put them.
    EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock"), 1);
    EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock1"), 1);
    EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock2"), 2);
    EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock3"), 1);
    EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock4"), 1);
    EXPECT_EQ(ReadDword(L"Jorvana\\map", L"mapclock"), 1);
    auto* clocks = dynamic_cast<CWorldClocksDlg*>(dlg.GetTabs().GetPage(0));
    ASSERT_NE(clocks, nullptr);
    for (int clock = 0; clock < 5; ++clock) EXPECT_FALSE(clocks->GetClockCityName(clock).IsEmpty()) << clock;
    CCitiesDb cities;
    cities.Open();
    EXPECT_EQ(cities.GetRecordCount(), 3);
}

TEST_F(DamagedFilesTest, CutWeatherListIsReportedAndThePlacesMoveToAListedOne) {
    InstallSmallProduct();
    WriteDeviceFile(InProgramFolder(L"cities.wet"), "4\nFrance;Paris;FR0001\r\nNorway;Oslo;NO0001\r\nPeru;Li");
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", L"wetp", 1);
    Open();
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{Text(IDS_WEATHER_CITIES_FILE_DAMAGED)});
    TapTab(1); // the weather page reads its places
    EXPECT_EQ(ReadDword(L"Jorvana\\weather", L"wetp"), 1);
    for (LPCWSTR place : {L"wetp2", L"wetp3", L"wetp4"}) EXPECT_EQ(ReadDword(L"Jorvana\\weather", place), 0) << place;
    CWeatherDb weather;
    weather.Open();
    EXPECT_EQ(weather.GetRecordCount(), 2);
}

TEST_F(DamagedFilesTest, PlacesAndClocksReplacedWhileAStoreIsShortComeBackOnceItIsWhole) {
    // A first start whose weather list yields nothing: the store holds the home city alone, and
    // the places (the shipped ones, moved past the home city) stand on it meanwhile.
    const LPCWSTR kPlaces[3] = {L"wetp2", L"wetp3", L"wetp4"};
    InstallSmallProduct(false);
    WriteCities({"Lyon;France", "Oslo;Norway"});
    WriteDeviceFile(InProgramFolder(L"weatcs\\France"), "Lyon;FR0002\r\n>");
    WriteDeviceFile(InProgramFolder(L"cities.wet"), "3\n");
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    m_dlg = std::make_unique<TestMainDlg>();
    m_dlg->homeCityAnswer = 0; // Lyon
    ASSERT_TRUE(m_dlg->Create(IDD_MAIN, nullptr));
    m_dlg->ShowWindow(SW_SHOW);
    device::ui::PumpUntilIdle();
    TapTab(1);
    auto* page = dynamic_cast<CWeatherPanel*>(m_dlg->GetTabs().GetPage(1));
    ASSERT_NE(page, nullptr);
    page->UpdateWindow();
    for (const CString& name : page->m_placeNames)
        EXPECT_EQ(name, CString(L"Lyon"));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ReadDword(L"Jorvana\\weather", kPlaces[i]), 0) << i;
    m_dlg.reset(); // the page writes its places as it closes

    // The list repaired, Lyon in it among places that sort before it: the next start builds the
    // store from it, the home place follows Lyon, and the shipped places come back.
    std::vector<std::string> places{"France;Lyon;FR0002"};
    for (int i = 0; i < 400; ++i)
        places.push_back("Chile;Kal" + std::to_string(100 + i) + ";CL" + std::to_string(i));
    WriteWeatherCities(places);
    Open();
    TapTab(1);
    EXPECT_EQ(ReadDword(L"Jorvana\\weather", L"wetp"), 400); // after the hundreds of "Kal" places
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ReadDword(L"Jorvana\\weather", kPlaces[i]), shipped::kWeatherPlace[i]) << i;
    m_dlg.reset();

    // Clocks against a city store that holds only a city added while its list yielded nothing:
    // held the same way; a clock the user set meanwhile keeps the user's later choice.
    CRegistryKey reg;
    for (int i = 0; i < 5; ++i)
        reg.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", kClockValueNames[i], 10 + i);
    RepairCityPositions(reg, 1, false);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", kClockValueNames[i]), 0) << i;
    RepairCityPositions(reg, 1, false); // a second start before the repair holds the same values
    reg.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", L"clock3", 5);
    RepairCityPositions(reg, 100, true);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", kClockValueNames[i]), 10 + i) << i;
    EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock3"), 5);
    EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock4"), 14);
    // Put back once: a later short store replaces afresh, a whole one keeps them.
    RepairCityPositions(reg, 100, true);
    EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock"), 10);
}

TEST_F(DamagedFilesTest, ClosingOnAFullDeviceEndsAndSaysSo) {
    InstallSmallProduct();
    Open();
    for (int tab : {1, 2, 3, 4})
        TapTab(tab); // every page writes its settings as it closes
    // A clock city held in memory and not stored yet: the close has something to write.
    CWorldClocksDlg::s_clockCity[1] = 2;
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers(std::vector<int>(20, IDOK));
    const ULONGLONG faults = CCeDBDatabase::StorageFaultCount();
    {
        testsupport::FileSizeLimit full(8);
        m_dlg->SendMessage(WM_COMMAND, ID_APP_EXIT_MENU);
        device::ui::PumpUntilIdle();
        m_dlg.reset();
    }
    // The close ran to its end, and what it said is the storage message: once for the close,
    // however many of its writes failed.
    EXPECT_GT(CCeDBDatabase::StorageFaultCount(), faults);
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{Text(IDS_STORAGE_WRITE_FAILED)});
}

TEST_F(DamagedFilesTest, DamagedDefaultSkinIsReportedAndTheBuiltInSkinIsApplied) {
    InstallSmallProduct();
    const std::string whole = ReadDeviceFile(InProgramFolder(L"default.skn"));
    const std::string cut = whole.substr(0, 200); // ends inside [General]
    WriteDeviceFile(InProgramFolder(L"default.skn"), cut);
    TestMainDlg& dlg = Open();
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{Text(IDS_DEFAULT_SKIN_DAMAGED)});
    // The shipped default skin's colours, on the strip and on the first page.
    EXPECT_EQ(dlg.GetStripColor(), RGB(31, 58, 95));
    EXPECT_EQ(dlg.GetTitleTextColor(), RGB(255, 255, 255));
    auto* clocks = dynamic_cast<CWorldClocksDlg*>(dlg.GetTabs().GetPage(0));
    ASSERT_NE(clocks, nullptr);
    EXPECT_EQ(clocks->m_panelColour, RGB(31, 58, 95));
    // The damaged file itself is left for the user to see or replace.
    EXPECT_EQ(ReadDeviceFile(InProgramFolder(L"default.skn")), cut);
    // Once the window is gone, the file decides again.
    m_dlg->DestroyWindow();
    EXPECT_FALSE(UsingBuiltInDefaultSkin());
}

TEST_F(DamagedFilesTest, ChosenSkinFailingTheValidatorGivesWayToTheDefaultSkin) {
    InstallSmallProduct();
    // A skin whose image folders were never copied beside it.
    WriteDeviceFile(L"\\My Skins\\half.skn", ReadDeviceFile(InProgramFolder(L"default.skn")));
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"\\My Skins\\half.skn");
    TestMainDlg& dlg = Open();
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{Text(IDS_SKIN_UNREADABLE)});
    EXPECT_EQ(ReadString(L"Jorvana", L"skin"), CString(L"\\Program Files\\Jorvana\\default.skn"));
    EXPECT_EQ(dlg.GetStripColor(), RGB(31, 58, 95));
    EXPECT_TRUE(DeviceFileExists(L"\\My Skins\\half.skn"));
}

TEST_F(DamagedFilesTest, DamagedCurrencyEntryKeepsItsPlaceWithoutMovingTheOthers) {
    InstallSmallProduct();
    // The second entry lost its "_": read field by field, it would swallow the third.
    WriteDeviceFile(InProgramFolder(L"currs.lst"), "3\r\nEUR_Euro_1.1#USDUS Dollar_1#GBP_Pound Sterling_1.3#");
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\currencies", L"curp", 7);
    Open();
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{Text(IDS_CURRENCY_FILE_DAMAGED)});
    CCurrenciesDb store;
    store.Open();
    EXPECT_EQ(store.GetRecordCount(), 3);
    ASSERT_TRUE(store.FindByName(L"Pound Sterling"));
    const DWORD pound = store.GetCurrentIndex();
    EXPECT_EQ(store.GetCode(pound), CString(L"GBP"));
    EXPECT_EQ(store.GetRate(pound), CString(L"1.3"));
    // The damaged entry sorts where it stood, with the rate it had.
    ASSERT_TRUE(store.FindByName(L"USDUS Dollar"));
    EXPECT_EQ(store.GetRate(store.GetCurrentIndex()), CString(L"1"));
    EXPECT_EQ(ReadDword(L"Jorvana\\currencies", L"curp"), 0);

    // The store is built once: the next start says nothing more.
    m_dlg->DestroyWindow();
    m_dlg.reset();
    device::ui::ClearMessageBoxRecords();
    Open();
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(DamagedFilesTest, CutCountryFileAtFirstStartIsReportedAndAddsNoPlace) {
    InstallSmallProduct(false);
    WriteCities({"Lyon;France", "Oslo;Norway"});
    // France's list cut before Lyon's line and its closing ">".
    WriteDeviceFile(InProgramFolder(L"weatcs\\France"), "Paris;FR0001\r\nLil");
    m_dlg = std::make_unique<TestMainDlg>();
    m_dlg->homeCityAnswer = 0; // Lyon
    ASSERT_TRUE(m_dlg->Create(IDD_MAIN, nullptr));
    device::ui::PumpUntilIdle();
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{Text(IDS_COUNTRY_CITIES_FILE_DAMAGED)});
    CWeatherDb weather;
    weather.Open();
    EXPECT_FALSE(weather.FindByName(L"Lyon"));
    EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock"), 0);
}

} // namespace
} // namespace shelltest
