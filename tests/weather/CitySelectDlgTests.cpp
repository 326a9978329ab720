// The weather city choice: the country files, adding and removing weather cities, the Find
// search, and a place of the Weather page taking the chosen city.

#include "WeatherPageSupport.h"

#include "weather/CitySelectDlg.h"

#include <algorithm>

namespace {

using namespace weathertest;

class CityChoiceTest : public WeatherPageTest {
protected:
    void SetUp() override {
        WeatherPageTest::SetUp();
        const std::wstring folder = testsupport::InProgramFolder(L"weatcs");
        testsupport::MakeFolder(folder);
        testsupport::WriteDeviceFile(folder + L"\\Peru", "Lima;PE123\r\nCusco;PE200\r\n>\r\nHidden;PE999\r\n");
        testsupport::WriteDeviceFile(folder + L"\\Chile", "Santiago;CL1\nValparaiso;CL2");
    }
    std::vector<std::wstring> Names() {
        std::vector<std::wstring> names;
        for (const auto& row : Records()) names.push_back(row.substr(0, row.find(L'|')));
        return names;
    }
    static void Command(CWnd& dlg, UINT id, UINT code, CWnd& control) {
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control.m_hWnd));
    }
};

TEST_F(CityChoiceTest, CountryFileEndsAtItsEndLineAndCodesLoseTheirCarriageReturn) {
    CString text;
    std::vector<CString> names;
    ASSERT_TRUE(ReadCountryFile((CountryFolder() + L"\\Peru").GetString(), text, names));
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], L"Lima");
    EXPECT_EQ(names[1], L"Cusco");
    EXPECT_EQ(CountryCityCode(text, L"Lima"), L"PE123");
    EXPECT_EQ(CountryCityCode(text, L"Hidden"), L"");
    ASSERT_TRUE(ReadCountryFile((CountryFolder() + L"\\Chile").GetString(), text, names));
    EXPECT_EQ(names.size(), 2u); // no end line: the end of the file ends the list
    EXPECT_EQ(CountryCityCode(text, L"Valparaiso"), L"CL2");
    EXPECT_FALSE(ReadCountryFile((CountryFolder() + L"\\Nowhere").GetString(), text, names));
    EXPECT_TRUE(names.empty());
}

TEST_F(CityChoiceTest, AddingTwiceAddsOnceAndRemovingDeletesFromTheStore) {
    OpenFourPlaces();
    CAddOtherCitiesDlg dialog;
    std::vector<std::wstring> countries, peruCities;
    WhenDialogUp<CAddOtherCitiesDlg>([&](CAddOtherCitiesDlg& dlg) {
        for (int i = 0; i < dlg.m_countryCombo.GetCount(); ++i) {
            CString item;
            dlg.m_countryCombo.GetLBText(i, item);
            countries.push_back(item.Str());
        }
        dlg.m_countryCombo.SetCurSel(1);
        Command(dlg, IDC_COUNTRY_COMBO, CBN_SELCHANGE, dlg.m_countryCombo);
        for (int i = 0; i < dlg.m_countryList.GetCount(); ++i) {
            CString item;
            dlg.m_countryList.GetText(i, item);
            peruCities.push_back(item.Str());
        }
        dlg.m_countryList.SetCurSel(0);
        Command(dlg, IDC_ADD_COUNTRY_CITY, BN_CLICKED, dlg.m_addButton);
        Command(dlg, IDC_ADD_COUNTRY_CITY, BN_CLICKED, dlg.m_addButton);
        testsupport::SaveScreenshot("weather-add-other-cities");
        dlg.m_storeList.SetCurSel(dlg.m_storeList.FindStringExact(-1, L"Rome"));
        Command(dlg, IDC_REMOVE_FAVORITE_CITY, BN_CLICKED, dlg.m_removeButton);
        EXPECT_EQ(dlg.m_storeList.FindStringExact(-1, L"Rome"), LB_ERR);
        dlg.EndDialog(IDOK);
    });
    dialog.DoModal();
    EXPECT_EQ(countries, (std::vector<std::wstring>{L"Chile", L"Peru"}));
    EXPECT_EQ(peruCities, (std::vector<std::wstring>{L"Lima", L"Cusco"}));
    EXPECT_EQ(dialog.m_lastAdded, L""); // nothing was added
    auto rows = Records();
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Lima", L"Oslo", L"Paris"}));
    // The store already held a Lima (seeded): the Add was refused, the old record kept.
    EXPECT_NE(rows[0].find(L"|PE1|"), std::wstring::npos) << rows[0];
}

TEST_F(CityChoiceTest, NewCountryCityIsStoredNeverSynchronised) {
    OpenFourPlaces();
    CAddOtherCitiesDlg dialog;
    WhenDialogUp<CAddOtherCitiesDlg>([&](CAddOtherCitiesDlg& dlg) {
        dlg.m_countryCombo.SetCurSel(1);
        Command(dlg, IDC_COUNTRY_COMBO, CBN_SELCHANGE, dlg.m_countryCombo);
        dlg.m_findEdit.SetWindowText(L"cus"); // Find selects in the country's list, case ignored
        EXPECT_EQ(dlg.m_countryList.GetCurSel(), 1);
        Command(dlg, IDC_ADD_COUNTRY_CITY, BN_CLICKED, dlg.m_addButton);
        Command(dlg, IDC_ADD_COUNTRY_CITY, BN_CLICKED, dlg.m_addButton);
        dlg.EndDialog(IDOK);
    });
    dialog.DoModal();
    auto rows = Records();
    auto cusco = std::find_if(rows.begin(), rows.end(), [](const std::wstring& r) { return r.rfind(L"Cusco|", 0) == 0; });
    ASSERT_NE(cusco, rows.end());
    EXPECT_EQ(*cusco, L"Cusco|PE200||01/01/2000:Peru");
    EXPECT_EQ(rows.size(), 5u);
}

TEST_F(CityChoiceTest, FindSelectsByPrefixAndThePlaceTakesTheChosenCity) {
    OpenFourPlaces();
    CWeatherPanel& page = CreatePage();
    std::wstring shownAtStart;
    WhenDialogUp<CCitySelectDlg>([&](CCitySelectDlg& dlg) {
        CString text;
        dlg.m_list.GetText(dlg.m_list.GetCurSel(), text); // pre-selected: the place's city
        shownAtStart = text.Str();
        dlg.m_findEdit.SetWindowText(L"PAR");
        EXPECT_EQ(dlg.m_list.GetCurSel(), 2);
        dlg.m_findEdit.SetWindowText(L"");
        EXPECT_EQ(dlg.m_list.GetCurSel(), LB_ERR);
        dlg.m_findEdit.SetWindowText(L"zzz");
        EXPECT_EQ(dlg.m_list.GetCurSel(), LB_ERR);
        dlg.m_findEdit.SetWindowText(L"ro");
        testsupport::SaveScreenshot("weather-city-selection");
        dlg.EndDialog(IDOK);
    });
    page.ChooseCity(1); // place 2, Oslo
    EXPECT_EQ(shownAtStart, L"Oslo - Norway");
    EXPECT_EQ(page.m_placeNames[1], L"Rome");
    EXPECT_EQ(CWeatherPanel::s_placePositions[1], 3u);
    EXPECT_EQ(ReadWeatherValue(L"wetp2"), 3u);

    // Closed with nothing selected, the place keeps its city.
    WhenDialogUp<CCitySelectDlg>([&](CCitySelectDlg& dlg) {
        dlg.m_list.SetCurSel(-1);
        dlg.EndDialog(IDCANCEL);
    });
    page.ChooseCity(1);
    EXPECT_EQ(page.m_placeNames[1], L"Rome");

    // Escape after browsing the list (the dialog manager's cancel) leaves the place as it was.
    WhenDialogUp<CCitySelectDlg>([&](CCitySelectDlg& dlg) {
        dlg.m_list.SetCurSel(0);
        dlg.SendMessage(WM_COMMAND, IDCANCEL);
    });
    page.ChooseCity(1);
    EXPECT_EQ(page.m_placeNames[1], L"Rome");
    EXPECT_EQ(ReadWeatherValue(L"wetp2"), 3u);
}

// The chosen city is the item's record, whatever its text holds: a name with " - " in it is
// taken whole.
TEST_F(CityChoiceTest, TheChosenCityIsThePickedItemsRecord) {
    OpenFourPlaces();
    {
        CWeatherDb weather;
        weather.Open();
        ASSERT_TRUE(weather.AddCity(L"Frankfurt - Main", L"DE1", L"", L"01/01/2000:Germany"));
        ASSERT_TRUE(weather.FindByName(L"Oslo"));
        CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", L"wetp2", weather.GetCurrentIndex());
    }
    CWeatherPanel& page = CreatePage();
    std::wstring shownAtStart;
    WhenDialogUp<CCitySelectDlg>([&](CCitySelectDlg& dlg) {
        CString text;
        dlg.m_list.GetText(dlg.m_list.GetCurSel(), text);
        shownAtStart = text.Str();
        dlg.m_list.SetCurSel(dlg.m_list.FindString(-1, L"Frankfurt"));
        dlg.EndDialog(IDOK);
    });
    page.ChooseCity(1); // place 2, Oslo
    EXPECT_EQ(shownAtStart, L"Oslo - Norway");
    EXPECT_EQ(page.m_placeNames[1], L"Frankfurt - Main");
    CWeatherDb weather;
    weather.Open();
    ASSERT_TRUE(weather.FindByName(L"Frankfurt - Main"));
    EXPECT_EQ(ReadWeatherValue(L"wetp2"), weather.GetCurrentIndex());
}

} // namespace
