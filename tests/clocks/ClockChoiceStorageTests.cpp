// A clock's new city chosen from its list on a full device: the storage message once, the stored
// city unchanged, and the page (list, name, zone, time) still on the stored city, with no
// reminder question; with room again the same choice lands and shows.

#include "ClocksPageSupport.h"

#include "clocks/ReminderNotifications.h"
#include "core/CoreMessages.h"
#include "platform/ui/MessageBox.h"
#include "support/FileSizeLimit.h"

#include <vector>

namespace {

using namespace clockstest;
namespace ui = device::ui;
namespace dt = device::display::test;

struct ClockChoice {
    const char* name;
    int clock;
    LPCWSTR value; // its registry value
    DWORD stored;  // its city before the choice (WriteStandardClocks)
    DWORD chosen;  // the city one step down its list
    int answer;    // the answer to what the choice says once stored
};

const ClockChoice kChoices[] = {
    // The home clock's reminder follows it without a question: the move is said saved.
    {"home clock", 0, L"clock", London, NewYork, IDOK},
    // The city clocks ask whether their reminder follows; declined here.
    {"clock 1, asked when its list closes", 1, L"clock1", Berlin, Delhi, IDNO},
    {"clock 2, asked when the city changes", 2, L"clock2", Delhi, London, IDNO},
};

class ClockChoiceStorageTest : public ClocksPageTest {
protected:
    void SetUp() override {
        ClocksPageTest::SetUp();
        // The new home city's country list, so that the home choice meets no missing file.
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"weatcs\\USA"), "New York;USNY0996\r\n>\r\n");
        WriteStandardClocks();
        CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname", L"London:United Kingdom");
        CreatePage();
    }
    void TearDown() override {
        ui::ClearMessageBoxRecords();
        ClocksPageTest::TearDown();
    }

    // A reminder for the clock's stored city, as the reminders dialog sets it.
    void SetReminder(const ClockChoice& c) {
        const CString suffix = c.clock ? CString(std::to_wstring(c.clock).c_str()) : CString();
        CRegistryKey reg;
        reg.WriteString(HKEY_LOCAL_MACHINE, kRemindersKey, L"clock" + suffix, L"09:00");
        reg.WriteString(HKEY_LOCAL_MACHINE, kRemindersKey, L"date" + suffix, L"10/05/2027");
        reg.WriteString(HKEY_LOCAL_MACHINE, kRemindersKey, L"desc" + suffix, L"Meet");
        ReminderHome home;
        home.rule = CityDstRule(m_page->m_cities, London);
        ASSERT_TRUE(ScheduleReminder(m_page->m_cities, c.clock, c.stored, home, L"09:00", L"10/05/2027", L"Meet"));
    }

    // The user's choice: the list opened with a tap on the clock's name, one step down, taken
    // with Return. The taps alternate their points lest two make a double tap.
    void Choose(const ClockChoice& c) {
        const RECT r = m_page->Geometry().ComboRect(c.clock);
        POINT p{r.left + 20 + 20 * (m_taps++ % 2), (r.top + r.bottom) / 2};
        m_page->ClientToScreen(&p);
        dt::Tap(p);
        dt::PressKey(VK_DOWN);
        dt::PressKey(VK_RETURN);
        m_page->SendMessage(WM_TIMER);
    }

    // What the page shows of the clock: its city, the list's text, its zone, its time, and the
    // home reference the other clocks follow.
    std::vector<std::wstring> Shown(int clock) const {
        // The painted name: the list's text once the list is filled, else the store's name.
        CString text = m_page->m_cities.GetName(CWorldClocksDlg::s_clockCity[clock]);
        if (m_page->m_cityCombo[clock].GetCount() > 0) m_page->m_cityCombo[clock].GetWindowText(text);
        return {std::to_wstring(CWorldClocksDlg::s_clockCity[clock]), std::wstring(text),
                std::to_wstring(m_page->m_zone[clock]), std::wstring(m_page->m_timeText[clock]),
                std::to_wstring(m_page->m_refHours) + L":" + std::to_wstring(m_page->m_refMinutes)};
    }
    static std::wstring HomeName() {
        return std::wstring(CRegistryKey().ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname"));
    }
    static std::vector<std::wstring> Said() {
        std::vector<std::wstring> texts;
        for (const auto& box : ui::MessageBoxRecords()) texts.push_back(box.text);
        return texts;
    }

    int m_taps = 0;
};

TEST_F(ClockChoiceStorageTest, AChoiceThatCannotBeStoredLeavesTheClockOnItsStoredCity) {
    const std::vector<std::wstring> storageFault{std::wstring(LoadCoreString(IDS_STORAGE_WRITE_FAILED))};
    for (const ClockChoice& c : kChoices) {
        SCOPED_TRACE(c.name);
        SetReminder(c);
        const std::vector<std::wstring> before = Shown(c.clock);
        const std::wstring homeName = HomeName();
        ASSERT_EQ(before[1], std::wstring(m_page->m_cities.GetName(c.stored)));
        ui::ClearMessageBoxRecords();
        ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK});
        {
            testsupport::FileSizeLimit full(8);
            Choose(c);
        }
        EXPECT_EQ(Said(), storageFault); // once, and no question about the reminder
        EXPECT_EQ(ReadClock(c.value), c.stored);
        EXPECT_EQ(Shown(c.clock), before);
        EXPECT_EQ(HomeName(), homeName);
        // The page held the stored city: closing it stores nothing else, a new page shows it.
        DestroyPage();
        m_parent.DestroyWindow();
        CreatePage();
        EXPECT_EQ(ReadClock(c.value), c.stored);
        EXPECT_EQ(Shown(c.clock), before);

        // With room the same choice lands: stored and shown, and then said or asked about.
        ui::ClearMessageBoxRecords();
        ui::ScriptMessageBoxAnswers({c.answer});
        Choose(c);
        EXPECT_EQ(ReadClock(c.value), c.chosen);
        const std::vector<std::wstring> after = Shown(c.clock);
        EXPECT_EQ(after[0], std::to_wstring(c.chosen));
        EXPECT_EQ(after[1], std::wstring(m_page->m_cities.GetName(c.chosen)));
        // Its zone and time, or for the home clock the reference the others follow, moved.
        EXPECT_NE(std::vector<std::wstring>(after.begin() + 2, after.end()),
                  std::vector<std::wstring>(before.begin() + 2, before.end()));
        const std::vector<std::wstring> said = Said();
        ASSERT_EQ(said.size(), 1u) << ::testing::PrintToString(said);
        if (c.clock == 0)
            EXPECT_EQ(said[0], std::wstring(LoadCoreString(IDS_REMINDERS_SAVED)));
        else
            EXPECT_EQ(said[0].rfind(std::wstring(m_page->m_cities.GetName(c.stored)) + L":", 0), 0u) << said[0];
    }
}

} // namespace
