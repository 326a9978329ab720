// The clocks page's writers (a clock's new city with its reminder moved, a new home city with its
// reminder, its name and its weather place) on a device that is full before the action, that fills
// up part way through it, or that is killed during it: each stores all of the action or none, and
// says "saved" only for what was stored.

#include "ClockDialogsTestSupport.h"
#include "ClocksPageSupport.h"

#include "clocks/ReminderNotifications.h"
#include "core/CoreMessages.h"
#include "core/WeatherDb.h"
#include "platform/ui/MessageBox.h"
#include "resources/resource.h"
#include "support/FileSizeLimit.h"
#include "support/KilledChild.h"

#include <algorithm>
#include <random>
#include <vector>

namespace {

using namespace clockstest;
using clocktests::AllNotifications;
using clocktests::Stamp;
namespace ui = device::ui;
namespace dt = device::display::test;

struct ClockWriter {
    const char* name;
    int reminder;       // the reminder set before the action
    DWORD reminderCity; // its city
    int clock;          // the clock whose list the action opens
    UINT key;           // the key that chooses the new city in it
    // The clock's city is stored before the question whether its reminder follows: that answer
    // is a step of its own, which may fail after the city was stored.
    bool cityBeforeQuestion;
};

const ClockWriter kWriters[] = {
    {"a clock's city with its reminder moved", 2, Delhi, 2, VK_DOWN, true},
    {"the home city with its reminder, name and weather place", 0, London, 0, VK_DOWN, false},
};

class ClockWritersStorageTest : public ClocksPageTest {
protected:
    void TearDown() override {
        ClocksPageTest::TearDown();
        m_root.reset();
    }

    // A new device with the page's settings and a reminder, and the page on it.
    void UseNewDevice(const ClockWriter& w) {
        DestroyPage();
        if (m_parent.m_hWnd) m_parent.DestroyWindow();
        m_root = std::make_unique<testsupport::TempFolder>("jorvana-device-");
        device::UseRootFolder(m_root->Path());
        ASSERT_TRUE(device::SetDeviceZone("UTC"));
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"cities.lst"), kCityList);
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"cities.wet"), "1\nNowhere;Nowhere;XX0001\n");
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"weatcs\\USA"), "New York;USNY0996\r\n>\r\n");
        WriteStandardClocks();
        CRegistryKey reg;
        const LPCWSTR places[4] = {L"wetp", L"wetp2", L"wetp3", L"wetp4"};
        for (LPCWSTR place : places) reg.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", place, 0);
        reg.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname", L"London:United Kingdom");
        CreatePage();
        const CString suffix = w.reminder ? CString(std::to_wstring(w.reminder).c_str()) : CString();
        reg.WriteString(HKEY_LOCAL_MACHINE, kRemindersKey, L"clock" + suffix, L"09:00");
        reg.WriteString(HKEY_LOCAL_MACHINE, kRemindersKey, L"date" + suffix, L"10/05/2027");
        reg.WriteString(HKEY_LOCAL_MACHINE, kRemindersKey, L"desc" + suffix, L"Meet");
        ReminderHome home;
        home.standard = 0;
        home.rule = CityDstRule(m_page->m_cities, London);
        ASSERT_TRUE(ScheduleReminder(m_page->m_cities, w.reminder, w.reminderCity, home, L"09:00", L"10/05/2027", L"Meet"));
        ui::ClearMessageBoxRecords();
    }

    // The user's action: the clock's list opened with a tap on its name, the new city chosen
    // with a key and taken with Return, every question answered yes and every message OK.
    void Act(const ClockWriter& w) {
        ui::ScriptMessageBoxAnswers({IDYES, IDOK, IDOK, IDOK});
        RECT r = m_page->Geometry().ComboRect(w.clock);
        POINT p{r.left + 20, (r.top + r.bottom) / 2};
        m_page->ClientToScreen(&p);
        dt::Tap(p);
        dt::PressKey(w.key);
        dt::PressKey(VK_RETURN);
    }

    // What the device holds of everything the action may write.
    static std::vector<std::wstring> Stored() {
        std::vector<std::wstring> stored;
        CRegistryKey reg;
        for (LPCWSTR name : {L"clock", L"clock1", L"clock2", L"clock3", L"clock4"})
            stored.push_back(name + std::to_wstring(reg.ReadDword(HKEY_LOCAL_MACHINE, kClockKey, name)));
        for (LPCWSTR name : {L"wetp", L"wetp2", L"wetp3", L"wetp4"})
            stored.push_back(name + std::to_wstring(reg.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", name)));
        stored.push_back(std::wstring(reg.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname")));
        for (const std::wstring stem : {L"clock", L"date", L"desc"})
            for (int n = 0; n < 5; ++n) {
                const std::wstring name = stem + (n ? std::to_wstring(n) : L"");
                const CString value = reg.ReadString(HKEY_LOCAL_MACHINE, kRemindersKey, name.c_str());
                stored.push_back(name + L"=" + (reg.RegistryStatus == CRegistryKey::kFound ? std::wstring(value) : L"-"));
            }
        CWeatherDb weather;
        weather.Open();
        for (DWORD i = 0; i < static_cast<DWORD>(weather.GetRecordCount()); ++i)
            stored.push_back(std::wstring(L"place ") + std::wstring(weather.GetName(i)));
        for (const auto& n : AllNotifications()) {
            const std::string at = Stamp(n.start);
            stored.push_back(n.title + L" " + std::wstring(at.begin(), at.end()) + L" " + n.text);
        }
        return stored;
    }
    static size_t Count(const std::vector<std::wstring>& texts, UINT id) {
        return static_cast<size_t>(std::count(texts.begin(), texts.end(), std::wstring(LoadCoreString(id))));
    }
    static std::vector<std::wstring> BoxTexts() {
        std::vector<std::wstring> texts;
        for (const auto& box : ui::MessageBoxRecords()) texts.push_back(box.text);
        return texts;
    }

    std::unique_ptr<testsupport::TempFolder> m_root;
};

TEST_F(ClockWritersStorageTest, AFullOrFillingDeviceKeepsAllOrNoneOfTheActionAndSaysSavedOnlyForAll) {
    for (const ClockWriter& w : kWriters) {
        UseNewDevice(w);
        const std::vector<std::wstring> before = Stored();
        Act(w);
        const std::vector<std::wstring> after = Stored();
        ASSERT_NE(after, before) << w.name;
        ASSERT_EQ(Count(BoxTexts(), IDS_REMINDERS_SAVED), 1u) << w.name;

        // Full before the action, then with room for a little more at each try until it fits.
        bool fitted = false;
        for (rlim_t more = 0; !fitted; more += 1024) {
            const std::string trace = std::string(w.name) + ", room for " + std::to_string(more) + " bytes more";
            ASSERT_LT(more, 64u * 1024) << trace << ": never fitted";
            UseNewDevice(w);
            {
                testsupport::FileSizeLimit full(testsupport::RoomLeft(m_root->Path(), more));
                Act(w);
            }
            const std::vector<std::wstring> stored = Stored(), said = BoxTexts();
            fitted = stored == after;
            if (!fitted) {
                std::vector<std::wstring> cityOnly = before;
                cityOnly[static_cast<size_t>(w.clock)] = after[static_cast<size_t>(w.clock)];
                EXPECT_TRUE(stored == before || (w.cityBeforeQuestion && stored == cityOnly))
                    << trace << ": " << ::testing::PrintToString(stored);
                EXPECT_EQ(Count(said, IDS_STORAGE_WRITE_FAILED), 1u) << trace;
            }
            EXPECT_EQ(Count(said, IDS_REMINDERS_SAVED), fitted ? 1u : 0u) << trace;
        }
    }
}

// SIGKILL at random moments of the action, in a child process: the device keeps all of it or none.
TEST_F(ClockWritersStorageTest, AKilledActionKeepsAllOrNone) {
    std::mt19937 random(11);
    for (const ClockWriter& w : kWriters) {
        UseNewDevice(w);
        const std::vector<std::wstring> before = Stored();
        Act(w);
        const std::vector<std::wstring> after = Stored();
        int kept = 0, undone = 0;
        for (int round = 0; round < 12; ++round) {
            const std::string trace = std::string(w.name) + ", round " + std::to_string(round);
            UseNewDevice(w);
            testsupport::RunKilledAfter([&] { Act(w); }, static_cast<useconds_t>(random() % 30000));
            const std::vector<std::wstring> stored = Stored();
            std::vector<std::wstring> cityOnly = before;
            cityOnly[static_cast<size_t>(w.clock)] = after[static_cast<size_t>(w.clock)];
            ASSERT_TRUE(stored == before || stored == after || (w.cityBeforeQuestion && stored == cityOnly)) << trace;
            (stored == after ? kept : undone) += 1;
        }
        EXPECT_GT(kept + undone, 0);
    }
}

} // namespace
