// The Weather page's city choice (a place given a city of the store, or one added to it or taken
// out of it through "Add other cities ...") on a device that is full before the choice, that
// fills up part way through it, or that is killed during it: the stored places always name the
// cities they named before or the ones chosen, and the storage fault is said once.

#include "WeatherPageSupport.h"

#include "core/CoreMessages.h"
#include "support/StorageMessages.h"
#include "support/FileSizeLimit.h"
#include "support/KilledChild.h"
#include "weather/CitySelectDlg.h"

#include <algorithm>
#include <random>

namespace {

using namespace weathertest;
namespace fs = std::filesystem;

struct PlaceChoice {
    const char* name;
    const wchar_t* added;   // the Peru city added in "Add other cities ...", or null
    const wchar_t* removed; // the city removed there, or null
    const wchar_t* chosen;  // the city then chosen for place 2, or null for the one added
};

const PlaceChoice kChoices[] = {
    {"a city of the store", nullptr, nullptr, L"Rome"},
    {"a city added before every place", L"Cusco", nullptr, nullptr},
    {"a city removed before the places", nullptr, L"Lima", L"Rome"},
};

class WeatherPlacesStorageTest : public WeatherPageTest {
protected:
    void SetUp() override {
        WeatherPageTest::SetUp();
        const std::wstring folder = testsupport::InProgramFolder(L"weatcs");
        testsupport::MakeFolder(folder);
        testsupport::WriteDeviceFile(folder + L"\\Peru", "Lima;PE123\r\nCusco;PE200\r\n>\r\n");
        OpenFourPlaces();
        m_template = Root();
    }
    void TearDown() override {
        WeatherPageTest::TearDown();
        m_round.reset();
    }

    // A copy of the device the fixture made, the page on it.
    void UseNewDevice() {
        DestroyPage();
        if (m_parent.m_hWnd) m_parent.DestroyWindow();
        device::UseRootFolder({});
        m_round = std::make_unique<testsupport::TempFolder>("jorvana-device-");
        fs::copy(m_template, m_round->Path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        device::UseRootFolder(m_round->Path());
        CreatePage();
        device::ui::ClearMessageBoxRecords();
    }

    // The user's choice for place 2, every message answered OK.
    void Act(const PlaceChoice& c) {
        device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK, IDOK});
        WhenDialogUp<CCitySelectDlg>([c](CCitySelectDlg& dlg) {
            if (c.added || c.removed) {
                WhenDialogUp<CAddOtherCitiesDlg>([c](CAddOtherCitiesDlg& add) {
                    if (c.added) {
                        add.m_countryList.SelectString(-1, c.added);
                        add.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ADD_COUNTRY_CITY, BN_CLICKED),
                                        reinterpret_cast<LPARAM>(add.m_addButton.m_hWnd));
                    }
                    if (c.removed) {
                        add.m_storeList.SetCurSel(add.m_storeList.FindStringExact(-1, c.removed));
                        add.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_REMOVE_FAVORITE_CITY, BN_CLICKED),
                                        reinterpret_cast<LPARAM>(add.m_removeButton.m_hWnd));
                    }
                    add.EndDialog(IDOK);
                });
                dlg.OnAddOtherCities();
            }
            if (c.chosen) dlg.m_list.SetCurSel(dlg.m_list.FindString(-1, c.chosen));
            dlg.EndDialog(IDOK);
        });
        m_page->ChooseCity(1);
    }

    // The cities the stored places name, then the store's cities.
    static std::vector<std::wstring> Stored() {
        CWeatherDb store;
        store.Open();
        CRegistryKey reg;
        std::vector<std::wstring> stored;
        for (LPCWSTR name : {L"wetp", L"wetp2", L"wetp3", L"wetp4"})
            stored.push_back(store.GetName(reg.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", name)).Str());
        for (DWORD i = 0; i < store.GetRecordCount(); ++i) stored.push_back(L"city " + store.GetName(i).Str());
        return stored;
    }
    // The outcomes a choice may leave: none of it, all of it, or, when it added or removed a
    // city (a step of its own), one of the two steps: the store changed with the places still on
    // their old cities, or (the removal failed) the place on a city still in the store.
    static bool Allowed(const PlaceChoice& c, const std::vector<std::wstring>& stored,
                        const std::vector<std::wstring>& before, const std::vector<std::wstring>& after) {
        std::vector<std::wstring> storeOnly(before.begin(), before.begin() + 4);
        storeOnly.insert(storeOnly.end(), after.begin() + 4, after.end());
        // A place on a removed city is on the first city once it is gone.
        for (size_t i = 0; i < 4; ++i)
            if (c.removed && storeOnly[i] == c.removed) storeOnly[i] = after[4].substr(5);
        std::vector<std::wstring> chosenOnly = before;
        if (c.chosen) chosenOnly[1] = c.chosen;
        return stored == before || stored == after || ((c.added || c.removed) && stored == storeOnly) ||
               (c.removed && stored == chosenOnly);
    }

    fs::path m_template;
    std::unique_ptr<testsupport::TempFolder> m_round;
};

TEST_F(WeatherPlacesStorageTest, AFullOrFillingDeviceKeepsThePlacesOnTheirCities) {
    for (const PlaceChoice& c : kChoices) {
        UseNewDevice();
        const std::vector<std::wstring> before = Stored();
        Act(c);
        const std::vector<std::wstring> after = Stored();
        ASSERT_NE(after, before) << c.name;
        ASSERT_EQ(after[1], c.chosen ? c.chosen : c.added) << c.name;
        ASSERT_EQ(testsupport::StorageMessagesShown(), 0u) << c.name;

        bool fitted = false;
        for (rlim_t more = 0; !fitted; more += 512) {
            const std::string trace = std::string(c.name) + ", room for " + std::to_string(more) + " bytes more";
            ASSERT_LT(more, 64u * 1024) << trace << ": never fitted";
            UseNewDevice();
            {
                testsupport::FileSizeLimit full(testsupport::RoomLeft(m_round->Path(), more));
                Act(c);
            }
            const std::vector<std::wstring> stored = Stored();
            fitted = stored == after;
            EXPECT_TRUE(Allowed(c, stored, before, after)) << trace << ": " << ::testing::PrintToString(stored);
            EXPECT_EQ(testsupport::StorageMessagesShown(), fitted ? 0u : 1u) << trace;
            // The page held what was stored: closing it moves no place.
            DestroyPage();
            EXPECT_EQ(Stored(), stored) << trace;
        }
    }
}

// SIGKILL at random moments of the choice, in a child process.
TEST_F(WeatherPlacesStorageTest, AKilledChoiceKeepsThePlacesOnTheirCities) {
    std::mt19937 random(5);
    for (const PlaceChoice& c : kChoices) {
        UseNewDevice();
        const std::vector<std::wstring> before = Stored();
        Act(c);
        const std::vector<std::wstring> after = Stored();
        for (int round = 0; round < 10; ++round) {
            const std::string trace = std::string(c.name) + ", round " + std::to_string(round);
            UseNewDevice();
            testsupport::RunKilledAfter([&] { Act(c); }, static_cast<useconds_t>(random() % 40000));
            const std::vector<std::wstring> stored = Stored();
            EXPECT_TRUE(Allowed(c, stored, before, after))
                << trace << ": " << ::testing::PrintToString(stored) << ", before " << ::testing::PrintToString(before)
                << ", after " << ::testing::PrintToString(after);
        }
    }
}

} // namespace
