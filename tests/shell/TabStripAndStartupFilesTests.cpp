// The tab strip's colour rules and draw modes, and the two files the main window reads at
// start-up (currs.lst and a country's weather-city list), malformed ones included.

#include "MainWindowTestSupport.h"
#include "core/TextFiles.h"
#include "shell/StartupFiles.h"
#include "shell/TabColors.h"

namespace shelltest {
namespace {

TEST(TabColors, DarkenAndLightenScaleEachChannelAndClampTheFactor) {
    EXPECT_EQ(DarkenColor(RGB(200, 100, 50), 0.9f), RGB(180, 90, 45));
    EXPECT_EQ(LightenColor(RGB(200, 100, 50), 1.5f), RGB(255, 150, 75));
    // Products are truncated, not rounded: 90.9 gives 90, 229.5 gives 229.
    EXPECT_EQ(DarkenColor(RGB(101, 255, 1), 0.9f), RGB(90, 229, 0));
    EXPECT_EQ(DarkenColor(RGB(10, 20, 30), 3.0f), RGB(10, 20, 30));  // above 1 counts as 1
    EXPECT_EQ(DarkenColor(RGB(10, 20, 30), -1.0f), RGB(0, 0, 0));    // below 0 counts as 0
    EXPECT_EQ(LightenColor(RGB(10, 20, 30), 0.5f), RGB(10, 20, 30)); // below 1 counts as 1
    EXPECT_EQ(LightenColor(RGB(31, 58, 95), 1.4f), RGB(43, 81, 133));
}

// The strip's colours, without a window.
class ColorProbe : public CThemedTabCtrl {
public:
    using CThemedTabCtrl::m_crBack;
};

TEST(ThemedTabColors, FollowTheStyleBitsAndTheThemeColour) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF theme = RGB(31, 58, 95);
    ColorProbe strip;
    CThemedTabCtrl::SetThemeColor(theme);

    CThemedTabCtrl::SetThemeStyle(TRUE, 7);
    EXPECT_EQ(strip.GetTabColor(TRUE), LightenColor(theme, 1.4f));
    EXPECT_EQ(strip.GetTabColor(FALSE), theme);
    EXPECT_EQ(strip.m_crBack, theme) << "asking for a tab colour copies the theme colour";
    EXPECT_EQ(strip.GetTabTextColor(FALSE), DarkenColor(theme, 0.5f));
    EXPECT_EQ(strip.GetTabTextColor(TRUE), GetSysColor(COLOR_WINDOWTEXT));

    CThemedTabCtrl::SetThemeStyle(TRUE, 2 | 4); // not flat: unselected tabs darkened
    EXPECT_EQ(strip.GetTabColor(FALSE), DarkenColor(theme, 0.9f));

    CThemedTabCtrl::SetThemeStyle(FALSE, 7); // disabled: no bits at all
    EXPECT_EQ(CThemedTabCtrl::GetThemeStyle(), 0u);
    EXPECT_EQ(strip.GetTabColor(TRUE), face);
    EXPECT_EQ(strip.GetTabColor(FALSE), DarkenColor(face, 0.9f));
    strip.m_crBack = RGB(1, 2, 3);
    EXPECT_EQ(strip.GetTabTextColor(FALSE), DarkenColor(face, 0.5f)) << "without bits 1 or 2 the face colour";

    CThemedTabCtrl::SetThemeStyle(TRUE, 7);
    CThemedTabCtrl::SetThemeColor(0);
}

TEST(MainTabCtrlAlone, DrawModesAndForwardersWithoutPages) {
    CMainTabCtrl strip;
    EXPECT_EQ(strip.GetDrawMode(), 0);
    EXPECT_FALSE(strip.SetDrawMode(3));
    EXPECT_FALSE(strip.SetDrawMode(-1));
    EXPECT_EQ(strip.GetDrawMode(), 0);
    EXPECT_TRUE(strip.SetDrawMode(2));
    EXPECT_EQ(strip.GetDrawMode(), 2);
    // No page exists: the forwarders do nothing and the clock text is empty.
    EXPECT_TRUE(strip.GetClockTimeText(0).IsEmpty());
    strip.ShowCurrentPageTips();
    strip.SetTwelveHourMode(1);
    strip.ToggleMapCitySquares();
    strip.RefreshWeatherPage();
    strip.ShiftWeatherPlaces(TRUE, FALSE, TRUE, FALSE);
    strip.OfferSavePackingList();
    for (int i = 0; i < CMainTabCtrl::kPageCount; ++i) {
        EXPECT_FALSE(strip.IsPageCreated(i));
        EXPECT_NE(strip.GetPage(i), nullptr) << "every slot holds its page object from the start";
    }
    // The panel colour is kept for pages made later.
    strip.SetPanelColor(RGB(1, 2, 3));
    EXPECT_EQ(strip.GetPanelColor(), RGB(1, 2, 3));
}

class StartupFilesTest : public MainWindowTest {
protected:
    std::vector<CurrencyListEntry> Currencies(const std::string& bytes) {
        WriteDeviceFile(InProgramFolder(L"currs.lst"), bytes);
        CTextFileHandle file(OpenTextFile(GetShippedFilePath(L"currs.lst"), TextFileKind::CurrencyList));
        return ReadCurrencyList(file.Get());
    }
    bool Code(const std::string& bytes, LPCWSTR name, CString& code) {
        WriteDeviceFile(InProgramFolder(L"weatcs\\Land"), bytes);
        CTextFileHandle file(OpenTextFile(GetShippedFilePath(L"weatcs\\Land"), TextFileKind::CountryCities));
        return FindCountryWeatherCode(file.Get(), name, code);
    }
};

TEST_F(StartupFilesTest, CurrencyListEntriesFollowTheCountAndEndWithTheFile) {
    auto list = Currencies("3\r\nAED_UAE Dirham_0.27#AFN_Afghani_0.014#ALL_Lek_0.011#");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].code, CString(L"AFN"));
    EXPECT_EQ(list[1].name, CString(L"Afghani"));
    EXPECT_EQ(list[2].rate, CString(L"0.011"));
    // The count decides, even with more entries behind it.
    EXPECT_EQ(Currencies("1\nAED_D_1#AFN_A_2#").size(), 1u);
    EXPECT_TRUE(Currencies("0\nAED_D_1#").empty());
    EXPECT_TRUE(Currencies("").empty());
    EXPECT_TRUE(Currencies("abc\nAED_D_1#").empty());
    // A line break after "#" becomes part of the next code, as the format says.
    EXPECT_EQ(Currencies("2\nAED_D_1#\nAFN_A_2#")[1].code, CString(L"\nAFN"));
    // A count far beyond the entries makes no empty currencies.
    list = Currencies("2000000000\nAED_D_1#AFN_A_2#");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].rate, CString(L"2"));
    // A file cut inside an entry keeps what was there.
    list = Currencies("2\nAED_D_1#AFN_Af");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].name, CString(L"Af"));
    EXPECT_TRUE(list[1].rate.IsEmpty());
}

TEST_F(StartupFilesTest, WeatherCodeIsFoundOnlyOnTheLineOfThatName) {
    CString code;
    EXPECT_TRUE(Code("Kabul;AF0001\r\nYork;GB0042\r\n>\r\n", L"York", code));
    EXPECT_EQ(code, CString(L"GB0042"));
    // Another name ending in the same text, before it or alone, is not the city.
    EXPECT_TRUE(Code("New York;US0001\r\nYork;GB0042\r\n>\r\n", L"York", code));
    EXPECT_EQ(code, CString(L"GB0042"));
    EXPECT_FALSE(Code("New York;US0001\r\n>\r\n", L"York", code));
    // Lines without a carriage return keep their whole code; a line with more fields keeps them.
    EXPECT_TRUE(Code("York;GB0042\n>", L"York", code));
    EXPECT_EQ(code, CString(L"GB0042"));
    EXPECT_TRUE(Code("York;GB;x\r\n", L"York", code));
    EXPECT_EQ(code, CString(L"GB;x"));
    // Nothing after the closing ">" counts; nor does a name in another letter case.
    EXPECT_FALSE(Code("Kabul;AF0001\r\n>\r\nYork;GB0042\r\n", L"York", code));
    EXPECT_FALSE(Code("york;GB0042\r\n", L"York", code));
    EXPECT_FALSE(Code("", L"York", code));
    EXPECT_FALSE(Code("York", L"York", code));
    // A file that cannot be opened finds nothing.
    EXPECT_FALSE(FindCountryWeatherCode(nullptr, L"York", code));
}

TEST_F(MainWindowTest, FontSettingsAreReadAtStart) {
    InstallSmallProduct();
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"fontbase", L"2.9");
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"font", L"");
    Open();
    EXPECT_EQ(SharedFontSizeBase, 2);
    EXPECT_EQ(SharedFontFace, CString(L"Arial"));
    m_dlg->DestroyWindow();
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"fontbase", L"-1");
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"font", L"Tahoma");
    Open();
    EXPECT_EQ(SharedFontSizeBase, -1);
    EXPECT_EQ(SharedFontFace, CString(L"Tahoma"));
}

TEST_F(MainWindowTest, MenuItemsWithoutAHandlerAreGreyedAndTextsFollowTheSettings) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    CMenu* options = dlg.GetBar(CMainDlg::kMapBar).GetMenu()->GetSubMenu(0);
    ASSERT_NE(options, nullptr);
    dlg.UpdatePopup(options);
    CString text;
    options->GetMenuString(ID_SHOW_HIDE_CITIES, text, MF_BYCOMMAND);
    EXPECT_EQ(text, CString(L"Hide Cities on map")); // missing showcs: the cities are shown
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\map", L"showcs", 0);
    dlg.UpdatePopup(options);
    options->GetMenuString(ID_SHOW_HIDE_CITIES, text, MF_BYCOMMAND);
    EXPECT_EQ(text, CString(L"Show Cities on map"));

    CMenu* edit = dlg.GetBar(CMainDlg::kEditBar).GetMenu()->GetSubMenu(0);
    ASSERT_NE(edit, nullptr);
    dlg.UpdatePopup(edit);
    EXPECT_TRUE(edit->GetMenuState(ID_EDIT_UNDO_TOOL, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(edit->GetMenuState(ID_EDIT_COPY_TOOL, MF_BYCOMMAND) & MF_GRAYED);
    dlg.m_bUndoAvailable = 1;
    dlg.UpdatePopup(edit);
    EXPECT_FALSE(edit->GetMenuState(ID_EDIT_UNDO_TOOL, MF_BYCOMMAND) & MF_GRAYED);
    dlg.SendMessage(WM_COMMAND, ID_EDIT_UNDO_TOOL);
    EXPECT_EQ(dlg.m_bUndoAvailable, 0);

    // Commands with a handler are enabled (those without one are greyed rather than silent).
    CMenu* clocks = dlg.GetBar(CMainDlg::kClocksBar).GetMenu()->GetSubMenu(0);
    dlg.UpdatePopup(clocks);
    EXPECT_FALSE(clocks->GetMenuState(ID_EDIT_CITIES, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(clocks->GetMenuState(ID_SET_REMINDERS, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(clocks->GetMenuState(ID_TWELVE_HOUR_CLOCKS, MF_BYCOMMAND) & MF_GRAYED);
}

} // namespace
} // namespace shelltest
