// The city editor: adding, rewriting and deleting cities in the store, the six stored city
// positions (five clocks and the map) following their cities after each change, the duplicate
// check, the rule legend, and the form on the screen.

#include "ClockDialogsTestSupport.h"
#include "clocks/EditCitiesDlg.h"
#include "clocks/StoredCityIndexes.h"
#include "resources/resource.h"
#include "platform/system/DeviceRoot.h"
#include "support/FileSizeLimit.h"
#include "support/Screenshots.h"

#include <array>
#include <random>

#include <signal.h>
#include <unistd.h>
#include <sys/wait.h>

namespace {

using clocktests::ClockDialogTest;

class EditCitiesDlgTest : public ClockDialogTest {
protected:
    // Cities "C00" to "C<n-1>", all in country "X", so that city i stands at position i.
    void WriteNumberedCities(int n, const std::string& title = "title") {
        std::vector<City> cities;
        for (int i = 0; i < n; ++i) {
            char name[8];
            std::snprintf(name, sizeof name, "C%02d", i);
            cities.push_back({name, "X", std::to_string(i), "0:0:0:0:0"});
        }
        WriteCities(cities, title);
    }
    // map, home, clock1 .. clock4
    void Store(std::array<int, 6> v) {
        m_reg.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\map", L"mapclock", v[0]);
        for (int i = 0; i < 5; ++i) m_reg.WriteDword(HKEY_LOCAL_MACHINE, kClocksKey, kClockValueNames[i], v[i + 1]);
    }
    std::array<int, 6> Stored() {
        std::array<int, 6> v{};
        v[0] = static_cast<int>(m_reg.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana\\map", L"mapclock"));
        for (int i = 0; i < 5; ++i)
            v[i + 1] = static_cast<int>(m_reg.ReadDword(HKEY_LOCAL_MACHINE, kClocksKey, kClockValueNames[i]));
        return v;
    }

    static void Fill(CEditCitiesDlg& dlg, LPCWSTR name, LPCWSTR country, LPCWSTR lon = L"1", LPCWSTR lat = L"2",
                     LPCWSTR rule = L"0", LPCWSTR offset = L"0") {
        dlg.m_editName.SetWindowText(name);
        dlg.m_editCountry.SetWindowText(country);
        dlg.m_editLongitude.SetWindowText(lon);
        dlg.m_editLatitude.SetWindowText(lat);
        dlg.m_editDstRule.SetWindowText(rule);
        dlg.m_editOffset.SetWindowText(offset);
    }
    static void Click(CEditCitiesDlg& dlg, int id) {
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(dlg.GetDlgItem(id)->m_hWnd));
    }
    static void Select(CEditCitiesDlg& dlg, int item) {
        dlg.m_listCities.SetCurSel(item);
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_EDIT_CITY_LIST, LBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(dlg.m_listCities.m_hWnd));
    }
    static CString Item(CEditCitiesDlg& dlg, int i) {
        CString text;
        dlg.m_listCities.GetText(i, text);
        return text;
    }
    // Runs the editor with the script, then closes it with OK.
    void Edit(std::function<void(CEditCitiesDlg&)> script) {
        CEditCitiesDlg dlg;
        RunModal<CEditCitiesDlg>(dlg, [script](CEditCitiesDlg& d) {
            script(d);
            d.SendMessage(WM_COMMAND, IDOK);
        });
    }
};

TEST(StoredCityIndexesTest, PositionsFollowTheirCities) {
    StoredCityIndexes v;
    auto set = [&v](int map, std::array<int32_t, 5> c) {
        v.map = map;
        for (int i = 0; i < 5; ++i) v.clocks[i] = c[i];
    };
    auto all = [&v] { return std::array<int32_t, 6>{v.map, v.clocks[0], v.clocks[1], v.clocks[2], v.clocks[3], v.clocks[4]}; };

    set(3, {0, 5, 9, 10, 20});
    v.ShiftAfterAdd(9); // at the position of clock 2's city: it moves on with its city
    EXPECT_EQ(all(), (std::array<int32_t, 6>{3, 0, 5, 10, 11, 21}));
    v.ShiftAfterAdd(100);
    EXPECT_EQ(all(), (std::array<int32_t, 6>{3, 0, 5, 10, 11, 21}));

    set(0, {0, 5, 9, 4, 6});
    v.ShiftAfterDelete(5); // the clock on the removed city goes to the one before it
    EXPECT_EQ(all(), (std::array<int32_t, 6>{0, 0, 4, 8, 4, 5}));
    v.ShiftAfterDelete(0); // ... or stays on the new first city
    EXPECT_EQ(all(), (std::array<int32_t, 6>{0, 0, 3, 7, 3, 4}));

    set(10, {9, 11, 20, 21, 15});
    v.ShiftAfterMove(10, 20);
    EXPECT_EQ(all(), (std::array<int32_t, 6>{20, 9, 10, 19, 21, 14}));
    set(20, {9, 10, 19, 21, 15});
    v.ShiftAfterMove(20, 10);
    EXPECT_EQ(all(), (std::array<int32_t, 6>{10, 9, 11, 20, 21, 16}));
    set(7, {7, 6, 8, 0, 1});
    v.ShiftAfterMove(7, 7);
    EXPECT_EQ(all(), (std::array<int32_t, 6>{7, 7, 6, 8, 0, 1}));
}

TEST_F(EditCitiesDlgTest, ClockDefaultsAreWrittenBackOnlyWhenTheKeyIsMissing) {
    int32_t clocks[kClockCount];
    ReadClockCityIndexes(m_reg, clocks);
    EXPECT_EQ((std::array<int32_t, 5>{clocks[0], clocks[1], clocks[2], clocks[3], clocks[4]}),
              (std::array<int32_t, 5>{0, 684, 756, 565, 988}));
    EXPECT_EQ(m_reg.ReadDword(HKEY_LOCAL_MACHINE, kClocksKey, L"clock3"), 565u);

}

TEST_F(EditCitiesDlgTest, AMissingClockValueReadsItsDefaultWithoutAWrite) {
    m_reg.WriteDword(HKEY_LOCAL_MACHINE, kClocksKey, L"clock", 7);
    int32_t clocks[kClockCount];
    ReadClockCityIndexes(m_reg, clocks);
    EXPECT_EQ((std::array<int32_t, 5>{clocks[0], clocks[1], clocks[2], clocks[3], clocks[4]}),
              (std::array<int32_t, 5>{7, 684, 756, 565, 988}));
    m_reg.ReadDword(HKEY_LOCAL_MACHINE, kClocksKey, L"clock1");
    EXPECT_EQ(m_reg.RegistryStatus, CRegistryKey::kValueMissing);
}

TEST_F(EditCitiesDlgTest, AddingACityMovesTheStoredPositionsAtAndAfterIt) {
    WriteNumberedCities(12);
    Store({3, 0, 5, 6, 10, 11});
    std::vector<CString> shown;
    Edit([&](CEditCitiesDlg& dlg) {
        EXPECT_EQ(dlg.m_listCities.GetCount(), 12);
        EXPECT_EQ(dlg.m_listCities.GetCurSel(), LB_ERR);
        Fill(dlg, L"C05a", L"X"); // sorts right after C05: position 6, clock 2's city
        Click(dlg, IDC_EDIT_CITY_ADD);
        for (int i = 0; i < dlg.m_listCities.GetCount(); ++i) shown.push_back(Item(dlg, i));
    });
    ASSERT_EQ(shown.size(), 13u);
    EXPECT_EQ(shown[6], CString(L"C05a"));
    EXPECT_EQ(shown[7], CString(L"C06"));
    EXPECT_EQ(Stored(), (std::array<int, 6>{3, 0, 5, 7, 11, 12}));

    // One that sorts after every city changes nothing; one before every city moves them all.
    Edit([](CEditCitiesDlg& dlg) {
        Fill(dlg, L"Zz", L"Y");
        Click(dlg, IDC_EDIT_CITY_ADD);
        Fill(dlg, L"A", L"Y", L"-3.5", L" 40 ", L"1:88:2:298:3", L"-330"); // kept as typed, blanks aside
        Click(dlg, IDC_EDIT_CITY_ADD);
    });
    EXPECT_EQ(Stored(), (std::array<int, 6>{4, 1, 6, 8, 12, 13}));
    CCitiesDb db;
    db.Open();
    EXPECT_EQ(std::wstring(db.GetName(0)), L"A");
    EXPECT_EQ(std::wstring(db.GetLongitude(0)), L"-3.5");
    EXPECT_EQ(std::wstring(db.GetLatitude(0)), L"40");
    EXPECT_EQ(std::wstring(db.GetDstRule(0)), L"1:88:2:298:3");
    EXPECT_EQ(std::wstring(db.GetUtcOffset(0)), L"-330");
    EXPECT_EQ(std::wstring(db.GetName(14)), L"Zz");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(EditCitiesDlgTest, ACommaTypedForTheDecimalPointOfAPositionIsThatPoint) {
    WriteNumberedCities(3);
    bool refused = false;
    Edit([&](CEditCitiesDlg& dlg) {
        Fill(dlg, L"Zurich", L"Switzerland", L"", L"", L"0", L"1");
        dlg.m_editLongitude.SetFocus();
        device::ui::InjectText(L"8,55");
        dlg.m_editLatitude.SetFocus();
        device::ui::InjectText(L"47,37");
        device::display::test::PumpUntilIdle();
        CString shown;
        dlg.m_editLongitude.GetWindowText(shown);
        EXPECT_EQ(shown, CString(L"8.55")); // shown as it is stored
        Click(dlg, IDC_EDIT_CITY_ADD);
        // A second separator is no point: the field is refused by name, as before.
        Fill(dlg, L"Bern", L"Switzerland", L"", L"46.95", L"0", L"1");
        dlg.m_editLongitude.SetFocus();
        device::ui::InjectText(L"7.4,4");
        device::display::test::PumpUntilIdle();
        device::ui::ScriptMessageBoxAnswers({IDOK});
        Click(dlg, IDC_EDIT_CITY_ADD);
        refused = dlg.m_listCities.GetCount() == 4;
    });
    EXPECT_TRUE(refused);
    EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{L"Longitude must be a number from -180 to 180"});
    CCitiesDb db;
    db.Open();
    ASSERT_TRUE(db.FindCity(L"Zurich:Switzerland"));
    const DWORD zurich = db.GetCurrentIndex();
    EXPECT_EQ(std::wstring(db.GetLongitude(zurich)), L"8.55");
    EXPECT_EQ(std::wstring(db.GetLatitude(zurich)), L"47.37");
}

// Fields the clocks or the map cannot use are refused, the first such field named in the message
// and given the focus; nothing is stored, and the form keeps what was typed.
TEST_F(EditCitiesDlgTest, FieldsTheClocksOrTheMapCannotUseAreRefusedByName) {
    WriteNumberedCities(5);
    Store({1, 2, 3, 4, 0, 1});
    const std::wstring name = L"Please enter a name", lon = L"Longitude must be a number from -180 to 180",
                       lat = L"Latitude must be a number from -90 to 90",
                       zone = L"Time zone (Gmt) must be whole hours from -12 to 14, or hours and minutes written "
                              L"together: 530 for 5:30, -330 for -3:30",
                       rule = L"DST start/end must be 0, or five whole numbers separated by colons: hours offset (-2 "
                              L"to 2), start day (1 to 366), start hour (0 to 23; -47 to 71 for a day around it), end "
                              L"day (1 to 366), end hour (as the start hour)",
                       shifted = L"Time zone (Gmt) with its DST hours offset must stay from -12 to 14 hours";
    struct Case {
        LPCWSTR name, lon, lat, rule, offset;
        const std::wstring& message;
        int field;
    };
    const Case cases[] = {
        {L"", L"", L"", L"", L"", name, IDC_EDIT_CITY_NAME},
        {L"  ", L"1", L"2", L"0", L"0", name, IDC_EDIT_CITY_NAME},
        {L"N", L"east", L"2", L"0", L"0", lon, IDC_EDIT_CITY_LONGITUDE},
        {L"N", L"999", L"2", L"0", L"0", lon, IDC_EDIT_CITY_LONGITUDE},
        {L"N", L"-180.5", L"2", L"0", L"0", lon, IDC_EDIT_CITY_LONGITUDE},
        {L"N", L"1", L"-91", L"0", L"0", lat, IDC_EDIT_CITY_LATITUDE},
        {L"N", L"1", L"1e1", L"0", L"0", lat, IDC_EDIT_CITY_LATITUDE},
        {L"N", L"1", L"2", L"0", L"abc", zone, IDC_EDIT_CITY_OFFSET},
        {L"N", L"1", L"2", L"0", L"15", zone, IDC_EDIT_CITY_OFFSET},
        {L"N", L"1", L"2", L"0", L"100", zone, IDC_EDIT_CITY_OFFSET}, // one hundred hours
        {L"N", L"1", L"2", L"0", L"575", zone, IDC_EDIT_CITY_OFFSET}, // 75 minutes
        {L"N", L"1", L"2", L"0", L"5.5", zone, IDC_EDIT_CITY_OFFSET},
        {L"N", L"1", L"2", L"0", L"-1230", zone, IDC_EDIT_CITY_OFFSET},
        {L"N", L"1", L"2", L"x:y", L"0", rule, IDC_EDIT_CITY_DST_RULE},
        {L"N", L"1", L"2", L"", L"0", rule, IDC_EDIT_CITY_DST_RULE},
        {L"N", L"1", L"2", L"1:88:2:298", L"0", rule, IDC_EDIT_CITY_DST_RULE},
        {L"N", L"1", L"2", L"1:88:2:298:3:0", L"0", rule, IDC_EDIT_CITY_DST_RULE},
        {L"N", L"1", L"2", L"3:88:2:298:3", L"0", rule, IDC_EDIT_CITY_DST_RULE},
        {L"N", L"1", L"2", L"1:0:2:298:3", L"0", rule, IDC_EDIT_CITY_DST_RULE},
        {L"N", L"1", L"2", L"1:88:72:298:3", L"0", rule, IDC_EDIT_CITY_DST_RULE},
        {L"N", L"1", L"2", L"1:88:2:298:-48", L"0", rule, IDC_EDIT_CITY_DST_RULE},
        {L"N", L"1", L"2", L"1:88:2:367:3", L"0", rule, IDC_EDIT_CITY_DST_RULE},
        {L"N", L"1", L"2", L"1:88:2:298:3", L"14", shifted, IDC_EDIT_CITY_DST_RULE},
        {L"N", L"1", L"2", L"-1:88:2:298:3", L"130", shifted, IDC_EDIT_CITY_DST_RULE}, // would read 30 hours
    };
    std::vector<std::wstring> expected, focused;
    std::vector<int> focus;
    bool open = false;
    CString kept;
    Edit([&](CEditCitiesDlg& dlg) {
        device::ui::ScriptMessageBoxAnswers(std::vector<int>(std::size(cases) + 1, IDOK));
        for (const Case& c : cases) {
            Fill(dlg, c.name, L"X", c.lon, c.lat, c.rule, c.offset);
            Click(dlg, IDC_EDIT_CITY_ADD);
            focus.push_back(::GetDlgCtrlID(::GetFocus()));
            expected.push_back(c.message);
        }
        dlg.m_editLongitude.GetWindowText(kept);
        // An update is checked the same way.
        Select(dlg, 2);
        dlg.m_editOffset.SetWindowText(L"abc");
        Click(dlg, IDC_EDIT_CITY_UPDATE);
        expected.push_back(zone);
        open = dlg.IsWindowVisible() && dlg.m_listCities.GetCount() == 5;
    });
    EXPECT_TRUE(open);
    EXPECT_EQ(std::wstring(kept), L"1") << "the fields keep what was typed";
    EXPECT_EQ(BoxTexts(), expected);
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(focus[i], cases[i].field) << i;
    EXPECT_EQ(Stored(), (std::array<int, 6>{1, 2, 3, 4, 0, 1}));
    CCitiesDb db;
    db.Open();
    EXPECT_EQ(db.GetRecordCount(), 5);
    EXPECT_EQ(std::wstring(db.GetUtcOffset(2)), L"2");

    // The limits themselves and the forms of the shipped list are taken.
    Edit([&](CEditCitiesDlg& dlg) {
        Fill(dlg, L"East", L"X", L"180", L"-90", L"0:0:0:0:0", L"-1200");
        Click(dlg, IDC_EDIT_CITY_ADD);
        Fill(dlg, L"West", L"X", L"-180", L"90", L"1:270:2:95:3", L"1245");
        Click(dlg, IDC_EDIT_CITY_ADD);
        Fill(dlg, L"Mid", L"X", L" 12.75 ", L"0.5", L"-1:46:3:81:2", L"14");
        Click(dlg, IDC_EDIT_CITY_ADD);
    });
    EXPECT_EQ(Boxes().size(), std::size(cases) + 1) << "no further message";
    CCitiesDb after;
    after.Open();
    EXPECT_EQ(after.GetRecordCount(), 8);
    ASSERT_TRUE(after.FindCity(L"Mid:X"));
    EXPECT_EQ(std::wstring(after.GetLongitude(after.GetCurrentIndex())), L"12.75");
}

TEST_F(EditCitiesDlgTest, ADuplicateNameAndCountryIsRefusedWithAMessage) {
    WriteNumberedCities(5);
    Store({1, 2, 3, 4, 0, 1});
    int count = 0;
    Edit([&](CEditCitiesDlg& dlg) {
        device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
        Fill(dlg, L"C03", L"X", L"9", L"9");
        Click(dlg, IDC_EDIT_CITY_ADD);
        // Rewriting C01 as C03 would give two C03s.
        Select(dlg, 1);
        Fill(dlg, L"C03", L"X");
        Click(dlg, IDC_EDIT_CITY_UPDATE);
        count = dlg.m_listCities.GetCount();
    });
    EXPECT_EQ(count, 5);
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.text, L"A City with the same name already exists");
        EXPECT_EQ(box.type & MB_TYPEMASK, MB_OK);
    }
    EXPECT_EQ(Stored(), (std::array<int, 6>{1, 2, 3, 4, 0, 1}));
    CCitiesDb db;
    db.Open();
    EXPECT_EQ(std::wstring(db.GetName(1)), L"C01");
    EXPECT_EQ(std::wstring(db.GetLongitude(3)), L"10");
}

// A change the full device cannot store is no duplicate: the user hears of the storage, and the
// cities and their clocks stay as they were.
TEST_F(EditCitiesDlgTest, AChangeOnAFullDeviceKeepsTheCitiesAndSaysTheStorageIsFull) {
    WriteNumberedCities(5);
    Store({1, 2, 3, 4, 0, 1});
    {
        CCitiesDb seeded;
        seeded.Open();
    }
    const std::wstring big(200 * 1024, L'x'); // a country far larger than the room left
    int count = 0;
    Edit([&](CEditCitiesDlg& dlg) {
        device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
        testsupport::FileSizeLimit full(testsupport::RoomForAFewPages(device::RootFolder()));
        Fill(dlg, L"New", big.c_str(), L"9", L"9");
        Click(dlg, IDC_EDIT_CITY_ADD);
        Select(dlg, 1);
        Fill(dlg, L"C01", big.c_str(), L"9", L"9");
        Click(dlg, IDC_EDIT_CITY_UPDATE);
        count = dlg.m_listCities.GetCount();
    });
    EXPECT_EQ(count, 5);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u); // said once for the run of failures
    EXPECT_EQ(boxes[0].text.rfind(L"The device's storage is full", 0), 0u) << boxes[0].text;
    EXPECT_EQ(Stored(), (std::array<int, 6>{1, 2, 3, 4, 0, 1}));
    CCitiesDb db;
    db.Open();
    EXPECT_EQ(db.GetRecordCount(), 5);
    EXPECT_EQ(std::wstring(db.GetDstRule(1)), L"0:0:0:0:0");
}

TEST_F(EditCitiesDlgTest, DeletingMovesClocksOnAndAfterTheCity) {
    WriteNumberedCities(12);
    Store({0, 0, 2, 5, 9, 4});
    Edit([](CEditCitiesDlg& dlg) {
        Click(dlg, IDC_EDIT_CITY_DELETE); // nothing selected: nothing happens
        EXPECT_EQ(dlg.m_listCities.GetCount(), 12);
        Select(dlg, 5);
        // The Escape key sends the Delete button's (cancel) id without the button: no deletion.
        dlg.SendMessage(WM_KEYDOWN, VK_ESCAPE);
        dlg.SendMessage(WM_COMMAND, IDCANCEL);
        EXPECT_EQ(dlg.m_listCities.GetCount(), 12);
        Click(dlg, IDC_EDIT_CITY_DELETE);
        EXPECT_EQ(dlg.m_listCities.GetCount(), 11);
        EXPECT_EQ(Item(dlg, 5), CString(L"C06"));
    });
    EXPECT_EQ(Stored(), (std::array<int, 6>{0, 0, 2, 4, 8, 4}));
    EXPECT_TRUE(Boxes().empty()); // no question asked

    Edit([](CEditCitiesDlg& dlg) {
        Select(dlg, 0);
        Click(dlg, IDC_EDIT_CITY_DELETE);
    });
    // The home clock (and the map) stay on position 0, now the city that was second.
    EXPECT_EQ(Stored(), (std::array<int, 6>{0, 0, 1, 3, 7, 3}));
    CCitiesDb db;
    db.Open();
    EXPECT_EQ(std::wstring(db.GetName(0)), L"C01");

    // The Escape key itself, through the form's loop, from the list and from a field: the form
    // stays open and every city stays.
    CEditCitiesDlg dlg;
    RunModal<CEditCitiesDlg>(dlg, [](CEditCitiesDlg& d) {
        Select(d, 3);
        for (CWnd* from : {static_cast<CWnd*>(&d.m_listCities), static_cast<CWnd*>(&d.m_editName)}) {
            from->SetFocus();
            device::ui::InjectKey(VK_ESCAPE, true);
            device::ui::InjectKey(VK_ESCAPE, false);
        }
        d.PostMessage(WM_COMMAND, IDOK); // read after the keys
    });
    EXPECT_EQ(dlg.m_listCities.m_hWnd, nullptr);
    db.Open();
    EXPECT_EQ(db.GetRecordCount(), 10);
    EXPECT_EQ(Stored(), (std::array<int, 6>{0, 0, 1, 3, 7, 3}));
}

TEST_F(EditCitiesDlgTest, UpdateRewritesTheCityAndMovesThePositionsWithIt) {
    WriteNumberedCities(25);
    // map on the moved city; clocks on 9, 11, 20, 21, 15
    Store({10, 9, 11, 20, 21, 15});
    CString fields[6];
    Edit([&](CEditCitiesDlg& dlg) {
        Select(dlg, 10);
        CEdit* edits[] = {&dlg.m_editName, &dlg.m_editCountry, &dlg.m_editLongitude,
                          &dlg.m_editLatitude, &dlg.m_editDstRule, &dlg.m_editOffset};
        for (int i = 0; i < 6; ++i) edits[i]->GetWindowText(fields[i]);
        dlg.m_editName.SetWindowText(L"C20a"); // now sorts after C20: position 20
        Click(dlg, IDC_EDIT_CITY_UPDATE);
        EXPECT_EQ(Item(dlg, 20), CString(L"C20a"));
        EXPECT_EQ(dlg.m_listCities.GetCount(), 25);
    });
    EXPECT_EQ(fields[0], CString(L"C10"));
    EXPECT_EQ(fields[1], CString(L"X"));
    EXPECT_EQ(fields[2], CString(L"10"));
    EXPECT_EQ(fields[3], CString(L"20"));
    EXPECT_EQ(fields[4], CString(L"0:0:0:0:0"));
    EXPECT_EQ(fields[5], CString(L"10"));
    EXPECT_EQ(Stored(), (std::array<int, 6>{20, 9, 10, 19, 21, 14}));

    // And back from 20 to 10: the clocks on 10 to 19 move up by one.
    Edit([](CEditCitiesDlg& dlg) {
        Select(dlg, 20);
        dlg.m_editName.SetWindowText(L"C09a");
        Click(dlg, IDC_EDIT_CITY_UPDATE);
    });
    EXPECT_EQ(Stored(), (std::array<int, 6>{10, 9, 11, 20, 21, 15}));

    // The same name and country: the other fields change, the position stays.
    Edit([](CEditCitiesDlg& dlg) {
        Select(dlg, 10);
        dlg.m_editOffset.SetWindowText(L"530");
        dlg.m_editDstRule.SetWindowText(L"1:90:2:300:3");
        Click(dlg, IDC_EDIT_CITY_UPDATE);
    });
    EXPECT_EQ(Stored(), (std::array<int, 6>{10, 9, 11, 20, 21, 15}));
    CCitiesDb db;
    db.Open();
    EXPECT_EQ(std::wstring(db.GetName(10)), L"C09a");
    EXPECT_EQ(std::wstring(db.GetUtcOffset(10)), L"530");
    EXPECT_EQ(std::wstring(db.GetDstRule(10)), L"1:90:2:300:3");
    EXPECT_TRUE(Boxes().empty());
}

// The editor killed (SIGKILL) at random points while it renames a city back and forth between
// the first and the last position: each time the store holds the old city or the new one, and
// the clocks and the map still name the cities they named before.
TEST_F(EditCitiesDlgTest, AnUpdateKilledAtAnyPointLeavesTheOldCityOrTheNewOneWithItsClocks) {
    WriteNumberedCities(30);
    Store({0, 0, 5, 10, 20, 25}); // the map and the home clock on the city that moves
    {
        CCitiesDb seeded; // the list is imported before the writers start
        seeded.Open();
    }
    std::mt19937 random(7);
    int moved = 0;
    for (int round = 0; round < 24; ++round) {
        // The writer says when its first update is through, so that a loaded machine, slow to
        // start it, still has it killed among its updates rather than before them.
        int started[2];
        ASSERT_EQ(pipe(started), 0);
        const pid_t writer = fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            close(started[0]);
            Edit([&](CEditCitiesDlg& dlg) {
                for (bool told = false;; told = true) {
                    const bool first = Item(dlg, 0) == CString(L"C00");
                    Select(dlg, first ? 0 : 29);
                    dlg.m_editName.SetWindowText(first ? L"Z00" : L"C00");
                    Click(dlg, IDC_EDIT_CITY_UPDATE);
                    if (!told) (void)!write(started[1], "u", 1);
                }
            });
            _exit(0);
        }
        close(started[1]);
        char byte = 0;
        const bool updated = read(started[0], &byte, 1) == 1;
        close(started[0]);
        ASSERT_TRUE(updated) << "round " << round;
        usleep(static_cast<useconds_t>(random() % 40000));
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);

        CCitiesDb db;
        db.Open();
        const std::array<int, 6> v = Stored();
        std::array<std::wstring, 6> names;
        for (int i = 0; i < 6; ++i) names[i] = db.GetName(static_cast<DWORD>(v[i])).GetString();
        const std::wstring city = db.FindCity(L"Z00:X") ? L"Z00" : L"C00";
        ASSERT_EQ(db.FindCity(L"C00:X") ? 1 : 0, city == L"C00" ? 1 : 0) << "round " << round;
        ASSERT_EQ(names, (std::array<std::wstring, 6>{city, city, L"C05", L"C10", L"C20", L"C25"}))
            << "round " << round;
        if (city == L"Z00") ++moved;
    }
    EXPECT_GT(moved, 0); // the writer got as far as an update
}

TEST_F(EditCitiesDlgTest, TheRuleLegendAndTheForm) {
    WriteNumberedCities(30, "Jorvana city list;year 2026");
    Edit([](CEditCitiesDlg& dlg) {
        device::ui::ScriptMessageBoxAnswers({IDOK});
        dlg.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(100, 125));
        dlg.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(100, 145)); // below the "[?]"
        Select(dlg, 3);
        // The controls stand where the form puts them.
        RECT list{}, add{}, offset{};
        dlg.m_listCities.GetWindowRect(&list);
        dlg.ScreenToClient(&list);
        dlg.m_buttonAdd.GetWindowRect(&add);
        dlg.ScreenToClient(&add);
        dlg.m_editOffset.GetWindowRect(&offset);
        dlg.ScreenToClient(&offset);
        EXPECT_EQ(list.left, 90);
        EXPECT_EQ(list.top, 180 - dlg.m_nScrollPos);
        EXPECT_EQ(list.right - list.left, 240 - 95);
        EXPECT_EQ(add.top, 180 - dlg.m_nScrollPos);
        EXPECT_EQ(offset.left, 120);
        EXPECT_EQ(offset.top, 150 - dlg.m_nScrollPos);
        testsupport::SaveScreenshot("edit-cities");
    });
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"DST information");
    // The fields, and whose year the day numbers are.
    EXPECT_EQ(boxes[0].text,
              L"Number of Hours offset: Start day: Start hour: End day: End hour\n\nStart and end "
              L"days count from 1 January 2026 (day 1), the city list's year; in other years each "
              L"falls on the same weekday of its month.");
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, MB_ICONINFORMATION);
}

// With the input panel up on the low screens the form ends at the panel's top edge and scrolls
// down to its last field; with the panel down again it takes the whole work area back.
TEST_F(EditCitiesDlgTest, TheRaisedPanelLeavesEveryFieldWithinReach) {
    WriteNumberedCities(5);
    for (const SIZE screen : {SIZE{320, 240}, SIZE{240, 240}}) {
        SCOPED_TRACE(screen.cx);
        device::ui::SetScreenShape(screen.cx, screen.cy);
        static int s_full, s_raised, s_back, s_sipTop, s_reach;
        Edit([](CEditCitiesDlg& dlg) {
            CRect window;
            dlg.GetWindowRect(&window);
            s_full = window.bottom;
            device::ui::SetSipUp(true);
            device::display::test::PumpUntilIdle();
            dlg.GetWindowRect(&window);
            s_raised = window.bottom;
            s_sipTop = device::ui::SipRect().top;
            for (int i = 0; i < 60; ++i) dlg.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
            // The list's foot, the form's lowest control, in screen pixels.
            CRect list;
            dlg.m_listCities.GetWindowRect(&list);
            s_reach = list.bottom;
            device::ui::SetSipUp(false);
            device::display::test::PumpUntilIdle();
            dlg.GetWindowRect(&window);
            s_back = window.bottom;
        });
        EXPECT_EQ(s_raised, s_sipTop);
        EXPECT_LE(s_reach, s_sipTop);
        EXPECT_EQ(s_back, s_full);
        EXPECT_GT(s_full, s_sipTop);
    }
    device::ui::SetScreenShape(240, 320);
}

} // namespace
