// The reminders form: what it shows on a first run and for saved reminders, the reminders it
// arms and disarms when it closes (in device time, for clock cities in other zones), the texts
// it saves, its entry checks, its layouts and its scrolling.

#include "ClockDialogsTestSupport.h"
#include "clocks/RemindersDlg.h"
#include "clocks/StoredCityIndexes.h"
#include "platform/framework/WindowDC.h"
#include "resources/resource.h"
#include "support/FileSizeLimit.h"
#include "support/Screenshots.h"

namespace {

using clocktests::AllNotifications;
using clocktests::ClockDialogTest;
using clocktests::Stamp;

const LPCWSTR kNames[kReminderCount] = {L"Berlin", L"Tokyo", L"NewYork", L"Delhi", L"Kathmandu"};

class RemindersDlgTest : public ClockDialogTest {
protected:
    void SetUp() override {
        ClockDialogTest::SetUp();
        // Positions: Berlin 0, Delhi 1, Kathmandu 2, NewYork 3, Tokyo 4.
        WriteCities({{"Tokyo", "Japan", "9"},
                     {"Berlin", "Germany", "1"},
                     {"NewYork", "USA", "-5"},
                     {"Delhi", "India", "530"},
                     {"Kathmandu", "Nepal", "545"}});
        const DWORD clocks[kReminderCount] = {0, 4, 3, 1, 2};
        for (int k = 0; k < kReminderCount; ++k)
            m_reg.WriteDword(HKEY_LOCAL_MACHINE, kClocksKey, kClockValueNames[k], clocks[k]);
    }

    // Runs the form; the script acts as the user and closes it (the saved message is answered).
    INT_PTR Run(std::function<void(CRemindersDlg&)> script) {
        CRemindersDlg dlg;
        for (int k = 0; k < kReminderCount; ++k) dlg.m_strCityNames[k] = kNames[k];
        return RunModal<CRemindersDlg>(dlg, std::move(script));
    }
    static void Close(CRemindersDlg& dlg, UINT id = IDOK) {
        device::ui::ScriptMessageBoxAnswers({IDOK});
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED));
    }
    static CString Text(CWnd& wnd) {
        CString text;
        wnd.GetWindowText(text);
        return text;
    }
    static void Command(CRemindersDlg& dlg, CWnd& control, UINT code) {
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(control.GetDlgCtrlID(), code), reinterpret_cast<LPARAM>(control.m_hWnd));
    }
    // Sets the picker's date as the user would, with the change notification.
    static void PickDate(CRemindersDlg& dlg, int k, WORD day, WORD month, WORD year) {
        NMDATETIMECHANGE change{};
        change.nmhdr.hwndFrom = dlg.m_datePicker[k].m_hWnd;
        change.nmhdr.idFrom = static_cast<UINT_PTR>(dlg.m_datePicker[k].GetDlgCtrlID());
        change.nmhdr.code = DTN_DATETIMECHANGE;
        change.st.wYear = year;
        change.st.wMonth = month;
        change.st.wDay = day;
        dlg.m_datePicker[k].SetTime(&change.st);
        dlg.SendMessage(WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
    }
    std::wstring Alarm(LPCWSTR name) {
        CString text = m_reg.ReadString(HKEY_LOCAL_MACHINE, kRemindersKey, name);
        return m_reg.RegistryStatus == CRegistryKey::kFound ? std::wstring(text) : L"(missing)";
    }
};

TEST_F(RemindersDlgTest, FirstRunShowsEmptyRemindersAndClosingArmsNothing) {
    Run([](CRemindersDlg& dlg) {
        for (int k = 0; k < kReminderCount; ++k) {
            EXPECT_EQ(Text(dlg.m_editDesc[k]), CString(L"<Description>")) << k;
            EXPECT_EQ(Text(dlg.m_editHours[k]), CString(L"00"));
            EXPECT_EQ(Text(dlg.m_editMinutes[k]), CString(L"00"));
            EXPECT_EQ(Text(dlg.m_editDay[k]), CString(L"01")); // today, 1 May 2010
            EXPECT_EQ(Text(dlg.m_editMonth[k]), CString(L"05"));
            EXPECT_EQ(dlg.m_checkEnable[k].GetCheck(), BST_UNCHECKED);
            EXPECT_FALSE(dlg.m_editDay[k].IsWindowVisible());
            EXPECT_TRUE(dlg.m_datePicker[k].IsWindowVisible());
        }
        EXPECT_EQ(Text(dlg.m_editYear), CString(L"2010"));
        EXPECT_EQ(::GetFocus(), dlg.m_datePicker[0].m_hWnd);
        Close(dlg);
    });
    for (LPCWSTR name : {L"clock", L"date", L"desc", L"clock1", L"date1", L"desc1", L"clock4", L"desc4"})
        EXPECT_EQ(Alarm(name), L"") << std::wstring(name);
    EXPECT_TRUE(AllNotifications().empty());
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Reminders settings saved..."}));
}

TEST_F(RemindersDlgTest, ArmedRemindersAreSavedSetInDeviceTimeAndShownAgain) {
    Run([](CRemindersDlg& dlg) {
        // Tokyo's reminder at 14:30 on 5 March next year.
        dlg.m_checkEnable[1].SetCheck(BST_CHECKED);
        dlg.m_editHours[1].SetWindowText(L"14");
        dlg.m_editMinutes[1].SetWindowText(L"30");
        dlg.m_editDesc[1].SetWindowText(L"Meet Aiko");
        PickDate(dlg, 1, 5, 3, 2011);
        EXPECT_EQ(Text(dlg.m_editDay[1]), CString(L"05"));
        EXPECT_EQ(Text(dlg.m_editMonth[1]), CString(L"03"));
        // The home reminder at 09:00 today, without a description; New York's on 31 Dec at 22:00.
        dlg.m_checkEnable[0].SetCheck(BST_CHECKED);
        dlg.m_editHours[0].SetWindowText(L"09");
        dlg.m_checkEnable[2].SetCheck(BST_CHECKED);
        dlg.m_editHours[2].SetWindowText(L"22");
        PickDate(dlg, 2, 31, 12, 2010);
        Close(dlg);
    });
    EXPECT_EQ(Alarm(L"clock1"), L"14:30");
    EXPECT_EQ(Alarm(L"date1"), L"05/03/2011");
    EXPECT_EQ(Alarm(L"desc1"), L"Meet Aiko");
    EXPECT_EQ(Alarm(L"clock"), L"09:00");
    EXPECT_EQ(Alarm(L"date"), L"01/05/2010");
    EXPECT_EQ(Alarm(L"desc"), L"<Description>");
    EXPECT_EQ(Alarm(L"date2"), L"31/12/2010");
    EXPECT_EQ(Alarm(L"clock3"), L"");

    auto all = AllNotifications();
    ASSERT_EQ(all.size(), 3u);
    std::map<std::wstring, clocktests::NotificationView> byTitle;
    for (const auto& n : all) byTitle[n.title] = n;
    // Home Berlin (+1): 14:30 in Tokyo (+9) is 06:30 on the device; 22:00 in New York (-5) is
    // 04:00 the next day, in the next year.
    EXPECT_EQ(Stamp(byTitle[L"Jorvana Reminder1"].start), "2011-03-05 06:30:00");
    EXPECT_EQ(byTitle[L"Jorvana Reminder1"].text, L"Tokyo:  14h30, 5/3/2011   \n\n\nMeet Aiko");
    EXPECT_EQ(byTitle[L"Jorvana Reminder1"].flags, 23u);
    EXPECT_EQ(Stamp(byTitle[L"Jorvana Reminder"].start), "2010-05-01 09:00:00");
    EXPECT_EQ(byTitle[L"Jorvana Reminder"].text, L"Berlin:  09h00, 1/5/2010   \n\n\n<Description>");
    EXPECT_EQ(Stamp(byTitle[L"Jorvana Reminder2"].start), "2011-01-01 04:00:00");

    // Opened again: the armed reminders show ticked with their texts; untick the home one and
    // cancel.
    Run([](CRemindersDlg& dlg) {
        EXPECT_EQ(dlg.m_checkEnable[0].GetCheck(), BST_CHECKED);
        EXPECT_EQ(dlg.m_checkEnable[1].GetCheck(), BST_CHECKED);
        EXPECT_EQ(dlg.m_checkEnable[3].GetCheck(), BST_UNCHECKED);
        EXPECT_EQ(Text(dlg.m_editHours[1]), CString(L"14"));
        EXPECT_EQ(Text(dlg.m_editMinutes[1]), CString(L"30"));
        EXPECT_EQ(Text(dlg.m_editDesc[1]), CString(L"Meet Aiko"));
        EXPECT_EQ(Text(dlg.m_editDay[1]), CString(L"05"));
        SYSTEMTIME st{};
        dlg.m_datePicker[1].GetTime(&st);
        EXPECT_EQ(st.wYear * 10000 + st.wMonth * 100 + st.wDay, 20110305);
        dlg.m_checkEnable[0].SetCheck(BST_UNCHECKED);
        Close(dlg, IDCANCEL);
    });
    EXPECT_EQ(Alarm(L"clock"), L"");
    EXPECT_EQ(Alarm(L"desc"), L"");
    EXPECT_EQ(FindReminderNotification(L"Jorvana Reminder"), nullptr);
    EXPECT_NE(FindReminderNotification(L"Jorvana Reminder1"), nullptr);

    // Tokyo's notification went off and was dismissed: the form shows the reminder unticked,
    // and closing so forgets it.
    ClearReminder(1);
    Run([](CRemindersDlg& dlg) {
        EXPECT_EQ(dlg.m_checkEnable[1].GetCheck(), BST_UNCHECKED);
        EXPECT_EQ(Text(dlg.m_editDesc[1]), CString(L"Meet Aiko"));
        EXPECT_EQ(Text(dlg.m_editHours[1]), CString(L"14"));
        Close(dlg);
    });
    EXPECT_EQ(Alarm(L"clock1"), L"");
    EXPECT_EQ(Alarm(L"date1"), L"");
    EXPECT_EQ(Alarm(L"clock2"), L"22:00"); // still armed
}

TEST_F(RemindersDlgTest, EntryChecksKeepTheFormOpenWithAClearMessage) {
    bool openAfterOk = false;
    Run([&](CRemindersDlg& dlg) {
        // Leaving a time box pads it; leaving a description box empty puts the hint back.
        dlg.m_editHours[2].SetWindowText(L"7");
        Command(dlg, dlg.m_editHours[2], EN_KILLFOCUS);
        EXPECT_EQ(Text(dlg.m_editHours[2]), CString(L"07"));
        dlg.m_editMinutes[4].SetWindowText(L"");
        Command(dlg, dlg.m_editMinutes[4], EN_KILLFOCUS);
        EXPECT_EQ(Text(dlg.m_editMinutes[4]), CString(L"00"));
        dlg.m_editHours[0].SetWindowText(L"123");
        Command(dlg, dlg.m_editHours[0], EN_KILLFOCUS);
        EXPECT_EQ(Text(dlg.m_editHours[0]), CString(L"123"));
        Command(dlg, dlg.m_editDesc[3], EN_SETFOCUS);
        EXPECT_EQ(Text(dlg.m_editDesc[3]), CString(L""));
        Command(dlg, dlg.m_editDesc[3], EN_KILLFOCUS);
        EXPECT_EQ(Text(dlg.m_editDesc[3]), CString(L"<Description>"));

        // 123 hours: OK refuses with the range message; only the ticked reminder is checked.
        dlg.m_editHours[3].SetWindowText(L"99");
        dlg.m_checkEnable[0].SetCheck(BST_CHECKED);
        device::ui::ScriptMessageBoxAnswers({IDOK});
        dlg.SendMessage(WM_COMMAND, IDOK);
        openAfterOk = ::IsWindow(dlg.m_hWnd) && dlg.IsWindowVisible();
        // Minutes out of range are caught too, after the hours are mended.
        dlg.m_editHours[0].SetWindowText(L"23");
        dlg.m_editMinutes[0].SetWindowText(L"75");
        device::ui::ScriptMessageBoxAnswers({IDOK});
        dlg.SendMessage(WM_COMMAND, IDOK);
        dlg.m_editMinutes[0].SetWindowText(L"5");
        Close(dlg);
    });
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Please enter an integer between 0 and 23.",
                                                     L"Please enter an integer between 0 and 59.",
                                                     L"Reminders settings saved..."}));
    // The mended time is stored with two digits each.
    EXPECT_EQ(Alarm(L"clock"), L"23:05");
    EXPECT_EQ(Stamp(AllNotifications().at(0).start), "2010-05-01 23:05:00");

    // Cancel always leaves the form: a ticked reminder whose time does not exist stays as it
    // was stored and armed.
    device::ui::ClearMessageBoxRecords();
    EXPECT_EQ(Run([&](CRemindersDlg& dlg) {
                  dlg.m_editHours[0].SetWindowText(L"123");
                  Close(dlg, IDCANCEL);
              }),
              IDCANCEL);
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Reminders settings saved..."}));
    EXPECT_EQ(Alarm(L"clock"), L"23:05");
    ASSERT_EQ(AllNotifications().size(), 1u);
    EXPECT_EQ(Stamp(AllNotifications().at(0).start), "2010-05-01 23:05:00");
}

// A device dated before the first year a reminder takes: the form can still be left by OK when
// the home reminder is not ticked, and always by Cancel, which stores as it stands.
TEST_F(RemindersDlgTest, OnADeviceDatedBefore2000TheFormCanBeLeft) {
    device::SetDeviceClock("1999-12-31T08:00:00Z");
    EXPECT_EQ(Run([&](CRemindersDlg& dlg) {
                  EXPECT_EQ(Text(dlg.m_editYear), CString(L"1999"));
                  Close(dlg);
              }),
              IDOK);
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Reminders settings saved..."}));

    // Ticked, the home reminder's year is checked: OK refuses it, Cancel leaves and sets it.
    device::ui::ClearMessageBoxRecords();
    bool openAfterOk = false;
    EXPECT_EQ(Run([&](CRemindersDlg& dlg) {
                  dlg.m_checkEnable[0].SetCheck(BST_CHECKED);
                  dlg.m_editHours[0].SetWindowText(L"20");
                  device::ui::ScriptMessageBoxAnswers({IDOK});
                  dlg.SendMessage(WM_COMMAND, IDOK);
                  openAfterOk = ::IsWindow(dlg.m_hWnd) && dlg.IsWindowVisible();
                  Close(dlg, IDCANCEL);
              }),
              IDCANCEL);
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Please enter an integer between 2000 and 3000.",
                                                     L"Reminders settings saved..."}));
    EXPECT_EQ(Alarm(L"date"), L"31/12/1999");
    ASSERT_EQ(AllNotifications().size(), 1u);
    EXPECT_EQ(Stamp(AllNotifications().at(0).start), "1999-12-31 20:00:00");
}

TEST_F(RemindersDlgTest, AReminderWhoseTimeHasPassedIsLeftUncheckedWithAMessage) {
    bool open = false;
    int homeBox = -1, tokyoBox = -1;
    Run([&](CRemindersDlg& dlg) {
        // Now is 1 May 2010, 08:00 UTC: the home reminder at 07:00 today is over; Tokyo's at
        // 18:00 today is still to come.
        dlg.m_checkEnable[0].SetCheck(BST_CHECKED);
        dlg.m_editHours[0].SetWindowText(L"07");
        dlg.m_checkEnable[1].SetCheck(BST_CHECKED);
        dlg.m_editHours[1].SetWindowText(L"18");
        device::ui::ScriptMessageBoxAnswers({IDOK});
        dlg.SendMessage(WM_COMMAND, IDOK);
        open = ::IsWindow(dlg.m_hWnd) && dlg.IsWindowVisible();
        homeBox = dlg.m_checkEnable[0].GetCheck();
        tokyoBox = dlg.m_checkEnable[1].GetCheck();
        Close(dlg);
    });
    EXPECT_TRUE(open);
    EXPECT_EQ(homeBox, BST_UNCHECKED);
    EXPECT_EQ(tokyoBox, BST_CHECKED);
    // The message names the clock whose reminder it refused, with the time and date typed.
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Berlin: 07:00 on 01/05/2010\n\n"
                                                     L"The date and time of this reminder have already passed: "
                                                     L"it was not set.\n\nPlease choose a later date or time.",
                                                     L"Reminders settings saved..."}));
    EXPECT_EQ(FindReminderNotification(L"Jorvana Reminder"), nullptr);
    EXPECT_NE(FindReminderNotification(L"Jorvana Reminder1"), nullptr);
    EXPECT_EQ(Alarm(L"clock1"), L"18:00");
}

// A reminder that went off is over: the form opens with its box cleared (the other one, still
// to come, ticked), and OK closes without a word of its time having passed.
TEST_F(RemindersDlgTest, AReminderThatWentOffOpensClearedAndOkSaysNothingOfIt) {
    Run([](CRemindersDlg& dlg) {
        dlg.m_checkEnable[0].SetCheck(BST_CHECKED);
        dlg.m_editHours[0].SetWindowText(L"09"); // today at 09:00 on the device
        dlg.m_checkEnable[1].SetCheck(BST_CHECKED);
        dlg.m_editHours[1].SetWindowText(L"23");
        Close(dlg);
    });
    device::SetDeviceClock("2010-05-01T09:30:00Z"); // half an hour past the home reminder
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    ASSERT_EQ(device::TakeDueNotifications(now).size(), 1u); // the device raises the home reminder
    device::ui::ClearMessageBoxRecords();
    int home = -1, tokyo = -1;
    Run([&](CRemindersDlg& dlg) {
        home = dlg.m_checkEnable[0].GetCheck();
        tokyo = dlg.m_checkEnable[1].GetCheck();
        device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK});
        dlg.SendMessage(WM_COMMAND, IDOK);
        const auto shown = BoxTexts();
        if (shown.empty() || shown.back() != L"Reminders settings saved...")
            dlg.SendMessage(WM_COMMAND, IDCANCEL);
    });
    EXPECT_EQ(home, BST_UNCHECKED);
    EXPECT_EQ(tokyo, BST_CHECKED);
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Reminders settings saved..."}));
    EXPECT_EQ(FindReminderNotification(L"Jorvana Reminder"), nullptr);
    EXPECT_NE(FindReminderNotification(L"Jorvana Reminder1"), nullptr);
}

// On a full device OK says the storage fault, for each tap, once however many writes failed,
// never that the reminders were saved, and keeps the form with what was typed; nothing is
// armed. With room again the same OK stores and arms them.
TEST_F(RemindersDlgTest, OnAFullDeviceOkSaysSoEachTimeAndKeepsTheForm) {
    auto tapOk = [] {
        const RECT ok = device::ui::TaskbarOkButtonRect();
        ASSERT_FALSE(::IsRectEmpty(&ok));
        const POINT at{(ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2};
        device::ui::InjectStylus(device::ui::StylusAction::Down, at);
        device::ui::InjectStylus(device::ui::StylusAction::Up, at);
        device::ui::PumpUntilIdle();
    };
    std::vector<std::wstring> whileFull;
    bool openWhileFull = false;
    CString kept;
    EXPECT_EQ(Run([&](CRemindersDlg& dlg) {
                  dlg.m_checkEnable[1].SetCheck(BST_CHECKED);
                  dlg.m_editHours[1].SetWindowText(L"14");
                  dlg.m_editMinutes[1].SetWindowText(L"30");
                  dlg.m_editDesc[1].SetWindowText(L"Meet Aiko");
                  PickDate(dlg, 1, 5, 3, 2011);
                  device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK});
                  {
                      testsupport::FileSizeLimit full(8);
                      tapOk();
                      tapOk();
                  }
                  whileFull = BoxTexts();
                  openWhileFull = ::IsWindow(dlg.m_hWnd) && dlg.IsWindowVisible();
                  kept = Text(dlg.m_editDesc[1]);
                  EXPECT_TRUE(AllNotifications().empty());
                  EXPECT_EQ(Alarm(L"clock1"), L"(missing)");
                  tapOk();
              }),
              IDOK);
    const std::wstring full = L"The device's storage is full!\n\nNothing was saved; the data stay as they were. "
                              L"Make room on the device, then try again.";
    EXPECT_EQ(whileFull, (std::vector<std::wstring>{full, full}));
    EXPECT_TRUE(openWhileFull);
    EXPECT_EQ(kept, CString(L"Meet Aiko"));
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{full, full, L"Reminders settings saved..."}));
    EXPECT_EQ(Alarm(L"clock1"), L"14:30");
    EXPECT_EQ(Alarm(L"desc1"), L"Meet Aiko");
    EXPECT_NE(FindReminderNotification(L"Jorvana Reminder1"), nullptr);
}

TEST_F(RemindersDlgTest, AReminderMeantForTheSecondShowingOfARepeatedHourIsLeftUncheckedWithWhy) {
    // Home Berlin with its rule on a Berlin device at 02:40 summer time on 25 October 2026: the
    // clocks go back at 03:00 and show 02:30 once more, but that reading has passed on the
    // device's clock, so a notification would go off at once.
    WriteCities({{"Tokyo", "Japan", "9"},
                 {"Berlin", "Germany", "1", "1:88:2:298:2"},
                 {"NewYork", "USA", "-5"},
                 {"Delhi", "India", "530"},
                 {"Kathmandu", "Nepal", "545"}});
    ASSERT_TRUE(device::SetDeviceZone("Europe/Berlin"));
    device::SetDeviceClock("2026-10-25T00:40:00Z");
    int homeBox = -1;
    Run([&](CRemindersDlg& dlg) {
        dlg.m_checkEnable[0].SetCheck(BST_CHECKED);
        dlg.m_editHours[0].SetWindowText(L"02");
        dlg.m_editMinutes[0].SetWindowText(L"30");
        device::ui::ScriptMessageBoxAnswers({IDOK});
        dlg.SendMessage(WM_COMMAND, IDOK);
        homeBox = dlg.m_checkEnable[0].GetCheck();
        Close(dlg);
    });
    EXPECT_EQ(homeBox, BST_UNCHECKED);
    ASSERT_FALSE(BoxTexts().empty());
    EXPECT_EQ(BoxTexts()[0], L"Berlin: 02:30 on 25/10/2026\n\nThe device's clock goes back around the time of this "
                             L"reminder and shows that time twice. A reminder goes off the first time, and this one "
                             L"is meant for the second: it was not set.\n\nPlease set it again once the clock has "
                             L"gone back, or choose another time.");
    EXPECT_EQ(FindReminderNotification(L"Jorvana Reminder"), nullptr);
}

// Every date picker shows its whole date beside its drop arrow, and stops before a time box
// on its own row.
void ExpectWholeDates(CRemindersDlg& dlg) {
    for (int k = 0; k < kReminderCount; ++k) {
        const CString date(L"28/12/2026"); // the widest the pickers show, day/month/year
        CClientDC dc(&dlg.m_datePicker[k]);
        CFont* old = dc.SelectObject(dlg.m_datePicker[k].GetFont());
        const int text = dc.GetTextExtent(date).cx;
        dc.SelectObject(old);
        CRect picker, hours;
        dlg.m_datePicker[k].GetWindowRect(&picker);
        dlg.m_editHours[k].GetWindowRect(&hours);
        EXPECT_GE(picker.Width() - ::GetSystemMetrics(SM_CXVSCROLL) - 4, text) << "reminder " << k;
        if (hours.top < picker.bottom && hours.left > picker.left + 20) {
            EXPECT_LE(picker.right, hours.left) << k;
        }
    }
}

TEST_F(RemindersDlgTest, LayoutsAndScrolling) {
    Run([](CRemindersDlg& dlg) {
        ExpectWholeDates(dlg);
        EXPECT_FALSE(dlg.m_bShortLandscape);
        RECT hours{};
        dlg.m_editHours[0].GetWindowRect(&hours);
        dlg.ScreenToClient(&hours);
        EXPECT_EQ(hours.left, 240 / 2 + 3);
        EXPECT_EQ(hours.top, 71); // under the date picker, not overlapping it
        EXPECT_EQ(hours.right - hours.left, 15);
        dlg.m_editDesc[1].SetWindowText(L"Call the office");
        dlg.m_editHours[1].SetWindowText(L"23"); // later today in Tokyo: a reminder still to come
        dlg.m_checkEnable[1].SetCheck(BST_CHECKED);
        testsupport::SaveScreenshot("reminders");
        Close(dlg, IDCANCEL);
    });
    device::ui::SetScreenShape(320, 240);
    Run([](CRemindersDlg& dlg) {
        EXPECT_TRUE(dlg.m_bShortLandscape);
        ExpectWholeDates(dlg);
        RECT hours{};
        dlg.m_editHours[0].GetWindowRect(&hours);
        dlg.ScreenToClient(&hours);
        EXPECT_EQ(hours.left, 160 + 80 + 13);
        EXPECT_EQ(hours.top, 42);
        testsupport::SaveScreenshot("reminders-landscape");
        Close(dlg, IDCANCEL);
    });
    // A square screen leaves too little room: focusing a bottom-row time scrolls to the end.
    device::ui::SetScreenShape(240, 240);
    Run([](CRemindersDlg& dlg) {
        RECT client{};
        dlg.GetClientRect(&client);
        const int range = dlg.m_nContentHeight - client.bottom;
        ASSERT_GE(range, 50);
        dlg.SendMessage(WM_VSCROLL, SB_LINEDOWN);
        EXPECT_EQ(dlg.m_nScrollPos, range / 50);
        Command(dlg, dlg.m_editHours[3], EN_SETFOCUS);
        EXPECT_EQ(dlg.m_nScrollPos, range);
        RECT box{};
        dlg.m_editHours[3].GetWindowRect(&box);
        dlg.ScreenToClient(&box);
        EXPECT_EQ(box.top, dlg.m_nRow2 + 67 - range);
        dlg.SendMessage(WM_VSCROLL, SB_TOP);
        EXPECT_EQ(dlg.m_nScrollPos, 0);
        // Clock 1's time only scrolls on a work area below 245 pixels, which this one is.
        Command(dlg, dlg.m_editMinutes[1], EN_SETFOCUS);
        EXPECT_EQ(dlg.m_nScrollPos, range);
        dlg.SendMessage(WM_VSCROLL, SB_PAGEUP);
        EXPECT_EQ(dlg.m_nScrollPos, range - range / 10);
        // The input panel coming up scrolls to the top and takes at least 80 pixels off the form,
        // which then ends at the panel's top edge (its window covered the menu bar's band too).
        RECT before{}, after{};
        dlg.GetWindowRect(&before);
        device::ui::SetSipUp(true);
        device::ui::PumpUntilIdle();
        dlg.GetWindowRect(&after);
        EXPECT_EQ(dlg.m_nScrollPos, 0);
        EXPECT_GE((before.bottom - before.top) - (after.bottom - after.top), 80);
        EXPECT_EQ(after.bottom, device::ui::SipRect().top);
        device::ui::SetSipUp(false);
        device::ui::PumpUntilIdle();
        dlg.GetWindowRect(&after);
        EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
        Close(dlg, IDCANCEL);
    });
    device::ui::SetScreenShape(240, 320);
}

} // namespace
