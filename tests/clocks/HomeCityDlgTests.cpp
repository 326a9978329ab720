// The home city dialog: the list in the city store's order, the position handed back however the
// dialog is closed, its layout on the work area, and an empty store.

#include "clocks/HomeCityDlg.h"
#include "platform/display/Display.h"
#include "platform/display/HeadlessTest.h"
#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/DeviceTime.h"
#include "platform/system/ProgramPath.h"
#include "resources/resource.h"
#include "support/FreshDevice.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/DeviceUi.h"
#include "support/TzdataFixture.h"

#include <filesystem>
#include <tuple>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

class HomeCityDlgTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        device::display::Start();
        device::SetModuleDevicePath(L"\\Program Files\\Jorvana\\Jorvana.exe");
        device::ui::ClearMessageBoxRecords();
    }
    void TearDown() override {
        device::ui::ClearMessageBoxRecords();
        device::SetModuleDevicePath(L"");
        FreshDevice::TearDown();
    }

    void WriteCities(const std::vector<std::string>& nameCountry) {
        std::filesystem::path host;
        ASSERT_TRUE(device::ResolveDevicePath(L"\\Program Files\\Jorvana\\cities.lst", host));
        std::filesystem::create_directories(host.parent_path());
        std::ofstream out(host, std::ios::binary);
        out << "title\n" << nameCountry.size() << "\n";
        for (const auto& c : nameCountry) out << "Zone/X;" << c << ";10;20;100;0;0;0;0;0\n";
    }

    // Runs the dialog; the script acts as the user once the dialog is up.
    static int32_t Run(std::function<void(CHomeCityDlg&)> script) {
        static std::function<void(CHomeCityDlg&)> s_script;
        s_script = std::move(script);
        ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
            auto* dlg = dynamic_cast<CHomeCityDlg*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
            if (!dlg || !dlg->IsWindowVisible()) return; // shown at the modal loop's first idle moment
            ::KillTimer(nullptr, id);
            s_script(*dlg);
        });
        CHomeCityDlg dlg;
        dlg.DoModal();
        return dlg.m_nResult;
    }

    static std::vector<std::wstring> ListItems(CHomeCityDlg& dlg) {
        std::vector<std::wstring> items;
        for (int i = 0; i < dlg.m_list.GetCount(); ++i) {
            CString text;
            dlg.m_list.GetText(i, text);
            items.emplace_back(text);
        }
        return items;
    }
};

TEST_F(HomeCityDlgTest, ListFollowsTheStoreOrderAndTheSelectionIsTheCityIndex) {
    // Two cities named alike, two names that differ only in punctuation, and a name in lower case
    // that the store's case-sensitive order puts last (a sorting list would not).
    WriteCities({"Paris;USA", "Oslo;Norway", "St. John's;Canada", "Paris;France", "Bergen;Norway",
                 "St Johns;Antigua", "Zurich;Switzerland", "Athens;Greece", "Cairo;Egypt",
                 "Lima;Peru", "de Aar;South Africa", "Kyiv;Ukraine", "Delhi;India"});
    std::vector<std::wstring> shown;
    int32_t result = Run([&](CHomeCityDlg& dlg) {
        shown = ListItems(dlg);
        EXPECT_EQ(dlg.m_list.GetCurSel(), 0);
        dlg.m_list.SetCurSel(9);
        dlg.SendMessage(WM_COMMAND, IDOK);
    });
    // The two of one name show their countries.
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"Athens", L"Bergen", L"Cairo", L"Delhi", L"Kyiv", L"Lima",
                                                L"Oslo", L"Paris (France)", L"Paris (USA)", L"St Johns",
                                                L"St. John's", L"Zurich", L"de Aar"}));
    EXPECT_EQ(result, 9);
    CCitiesDb db;
    db.Open();
    EXPECT_EQ(std::wstring(db.GetCountry(9)), L"Antigua");

    // Closed at once, or by cancelling: the selection is the result all the same.
    EXPECT_EQ(Run([](CHomeCityDlg& dlg) { dlg.SendMessage(WM_COMMAND, IDOK); }), 0);
    EXPECT_EQ(Run([](CHomeCityDlg& dlg) {
                  dlg.m_list.SetCurSel(2);
                  dlg.SendMessage(WM_COMMAND, IDCANCEL);
              }),
              2);
}

TEST_F(HomeCityDlgTest, TheDevicesOwnCityIsProposed) {
    std::filesystem::path host;
    ASSERT_TRUE(device::ResolveDevicePath(L"\\Program Files\\Jorvana\\cities.lst", host));
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << "title\n5\n"
                                             "Africa/Lagos;Aba;Nigeria;7;5;1;0;0;0;0;0\n"
                                             "America/New_York;Atlanta;USA;-84;34;-5;1;67;2;305;1\n"
                                             "America/Chicago;Houston;USA;-95;30;-6;1;67;2;305;1\n"
                                             "Europe/London;London;United Kingdom;0;51;0;1;88;1;298;1\n"
                                             "America/New_York;New York;USA;-74;41;-5;1;67;2;305;1\n"
                                             ">\n";
    // The city the zone is named after, else the first city of the zone, else the first city.
    for (const auto& [zone, proposed] : {std::pair{"America/New_York", 4}, std::pair{"Europe/London", 3},
                                         std::pair{"America/Chicago", 2}, std::pair{"Asia/Tokyo", 0}}) {
        ASSERT_TRUE(device::SetDeviceZone(zone));
        EXPECT_EQ(Run([](CHomeCityDlg& dlg) { dlg.SendMessage(WM_COMMAND, IDOK); }), proposed) << zone;
    }
}

TEST_F(HomeCityDlgTest, TheShippedListProposesACityOfTheDevicesClock) {
    std::filesystem::path host;
    ASSERT_TRUE(device::ResolveDevicePath(L"\\Program Files\\Jorvana\\cities.lst", host));
    std::filesystem::create_directories(host.parent_path());
    std::filesystem::copy_file(std::filesystem::path(JORVANA_DATA_DIR) / "cities.lst", host);
    // A zone the list names by its old name, one it names by the new, and UTC, which no city has;
    // zones whose summer offset stays all year from the autumn of 2026 (Vancouver's UTC-7,
    // Morocco's UTC+0), in the winter after.
    for (const auto& [clock, zone, city, text] :
         {std::tuple{"2026-07-15T12:00:00Z", "America/Nuuk", L"Nuuk:Greenland", L"Nuuk"},
          std::tuple{"2026-07-15T12:00:00Z", "Europe/Kiev", L"Kyiv:Ukraine", L"Kyiv"},
          std::tuple{"2026-07-15T12:00:00Z", "Etc/UTC", L"Abidjan:Ivory Coast", L"Abidjan"},
          std::tuple{"2026-12-11T20:00:00Z", "America/Vancouver", L"Vancouver:Canada", L"Vancouver (Canada)"},
          std::tuple{"2026-12-11T20:00:00Z", "Africa/Casablanca", L"Casablanca:Morocco", L"Casablanca"}}) {
        device::SetDeviceClock(clock);
        ASSERT_TRUE(device::SetDeviceZone(zone));
        CString shown;
        const int32_t result = Run([&](CHomeCityDlg& dlg) {
            dlg.m_list.GetText(dlg.m_list.GetCurSel(), shown);
            dlg.SendMessage(WM_COMMAND, IDOK);
        });
        CCitiesDb db;
        db.Open();
        EXPECT_EQ(std::wstring(db.GetName(result) + L":" + db.GetCountry(result)), city) << zone;
        EXPECT_EQ(std::wstring(shown), text) << zone;
    }
    device::SetDeviceClock("");
}

TEST_F(HomeCityDlgTest, AVancouverDeviceIsProposedVancouverWhenTheMachinesTzdataKeepsItOnMinusSeven) {
    // America/Vancouver as tzdata 2026f gives it since 2007: summer time up to 8 March 2026, then
    // -7 for good; Creston on -7 all year. The list was made from 2025b.
    auto zones = testsupport::CompileZones(R"(# version 2026f
Rule	C	2007	max	-	Mar	Sun>=8	2:00	1:00	D
Rule	C	2007	max	-	Nov	Sun>=1	2:00	0	S
Zone	America/Vancouver	-8:00	C	P%sT	2026 Mar 9
			-8:00	C	PDT	2026 Nov 1 2:00
			-7:00	-	MST
Zone	America/Creston	-7:00	-	MST
)");
    ASSERT_TRUE(zones);
    testsupport::ScopedTzdir tzdir(zones->Path());
    std::filesystem::path host;
    ASSERT_TRUE(device::ResolveDevicePath(L"\\Program Files\\Jorvana\\cities.lst", host));
    std::filesystem::create_directories(host.parent_path());
    const std::string cities = "\n3\n"
                               "America/Creston;Creston;Canada;-117;49;-7;0;0;0;0;0\n"
                               "America/Vancouver;Vancouver;Canada;-123;49;-8;1;67;2;305;1\n"
                               "America/Vancouver;Victoria;Canada;-123;48;-8;1;67;2;305;1\n";
    std::ofstream(host, std::ios::binary) << "Jorvana city list;year 2026;tzdata 2025b" << cities;
    device::SetDeviceClock("2026-12-11T20:00:00Z");
    ASSERT_TRUE(device::SetDeviceZone("America/Vancouver"));
    EXPECT_EQ(Run([](CHomeCityDlg& dlg) { dlg.SendMessage(WM_COMMAND, IDOK); }), 1);
    // A list that does not say which tzdata its rules come from keeps them: Vancouver's clock
    // would read -8, and Creston's is the device's.
    std::ofstream(host, std::ios::binary) << "Jorvana city list;year 2026" << cities;
    EXPECT_EQ(Run([](CHomeCityDlg& dlg) { dlg.SendMessage(WM_COMMAND, IDOK); }), 0);
    device::SetDeviceClock("");
}

TEST_F(HomeCityDlgTest, ListStandsOnTheWorkArea) {
    WriteCities({"Oslo;Norway"});
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    ASSERT_EQ(area.right - area.left, 240);
    ASSERT_EQ(area.bottom - area.top, 294);
    RECT list{};
    int promptTop = -1; // the first client row with dark prompt pixels, above the list
    Run([&](CHomeCityDlg& dlg) {
        device::display::test::PumpUntilIdle();
        POINT origin{0, 0};
        dlg.ClientToScreen(&origin);
        for (int y = 0; y < 63 && promptTop < 0; ++y)
            for (int x = 20; x < 220; ++x)
                if (GetRValue(device::display::test::PixelAt(origin.x + x, origin.y + y)) < 80) {
                    promptTop = y;
                    break;
                }
        dlg.m_list.GetWindowRect(&list);
        dlg.ScreenToClient(&list);
        dlg.SendMessage(WM_COMMAND, IDOK);
    });
    EXPECT_EQ(list.left, 60);
    EXPECT_EQ(list.top, 63);
    EXPECT_EQ(list.right - list.left, 120);
    EXPECT_EQ(list.bottom - list.top, 147);
    // The prompt's line starts at y 43; its letters' tops stand a little below it.
    EXPECT_GE(promptTop, 43);
    EXPECT_LE(promptTop, 48);
}

// In the shipped list, typing a name finds its city, and the longest text of a city whose name
// others share reads whole in the list, on a narrow and a low screen, the input panel up or down.
TEST_F(HomeCityDlgTest, TypingFindsTheCityAndItsWholeTextFitsTheList) {
    std::filesystem::path host;
    ASSERT_TRUE(device::ResolveDevicePath(L"\\Program Files\\Jorvana\\cities.lst", host));
    std::filesystem::create_directories(host.parent_path());
    std::filesystem::copy_file(std::filesystem::path(JORVANA_DATA_DIR) / "cities.lst", host);
    for (const auto& [width, height] : {std::pair{240, 320}, std::pair{320, 240}, std::pair{240, 240}}) {
        for (bool panel : {false, true}) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + (panel ? " panel up" : ""));
            device::ui::SetScreenShape(width, height);
            device::ui::SetSipUp(panel);
            CString chosen;
            int spare = -1; // pixels of the list left beside the chosen text
            Run([&](CHomeCityDlg& dlg) {
                DWORD now = 100000;
                for (wchar_t ch : std::wstring(L"Vancouver")) {
                    device::HoldTickCount(now += 250);
                    device::ui::InjectText(std::wstring(1, ch));
                    device::display::test::PumpUntilIdle();
                }
                device::display::test::PressKey(VK_DOWN);
                dlg.m_list.GetText(dlg.m_list.GetCurSel(), chosen);
                CClientDC dc(&dlg.m_list);
                CFont* old = dc.SelectObject(dlg.m_list.GetFont());
                CRect client;
                dlg.m_list.GetClientRect(&client);
                spare = client.Width() - 2 - static_cast<int>(dc.GetTextExtent(chosen).cx);
                dc.SelectObject(old);
                dlg.SendMessage(WM_COMMAND, IDOK);
            });
            EXPECT_EQ(std::wstring(chosen), L"Vancouver (United States of America)");
            EXPECT_GE(spare, 0);
        }
    }
    device::HoldTickCount(std::nullopt);
    device::ui::SetSipUp(false);
    device::ui::SetScreenShape(240, 320);
}

TEST_F(HomeCityDlgTest, EmptyStoreGivesMinusOne) {
    // No cities.lst: the store reports it and stays empty.
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK});
    int count = -1;
    bool stayed = false;
    int32_t result = Run([&](CHomeCityDlg& dlg) {
        count = dlg.m_list.GetCount();
        // Neither OK nor Escape leaves it without a city: the user is asked to choose one.
        dlg.SendMessage(WM_COMMAND, IDOK);
        dlg.SendMessage(WM_COMMAND, IDCANCEL);
        stayed = dlg.IsWindowVisible();
        dlg.EndDialog(IDCANCEL); // as the program's end unwinds it
    });
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(result, -1);
    ASSERT_EQ(device::ui::MessageBoxRecords().size(), 3u);
    EXPECT_EQ(device::ui::MessageBoxRecords()[1].text, L"Please select your home location");
}

} // namespace
