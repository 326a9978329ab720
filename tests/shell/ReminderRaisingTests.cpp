// A reminder set in the Reminders form, opened from the main window as the user opens it, goes
// off once when the device clock passes it: the device shows its box with the reminder's title
// and text, and another process finds nothing left to raise.

#include "MainWindowTestSupport.h"
#include "clocks/RemindersDlg.h"
#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceTime.h"
#include "platform/system/Notifications.h"
#include "platform/ui/DeviceProgram.h"

#include <sys/wait.h>
#include <unistd.h>

namespace shelltest {
namespace {

TEST_F(MainWindowTest, AReminderSetInTheFormGoesOffOnceWhenTheClockPassesIt) {
    device::SetDeviceClock("2026-12-09T10:00:00Z");
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    const size_t before = device::ui::RaisedNotifications().size();

    // The home reminder one minute ahead of the device's local time, today.
    SYSTEMTIME now{};
    GetLocalTime(&now);
    CString hours, minutes;
    hours.Format(L"%02d", now.wHour);
    minutes.Format(L"%02d", now.wMinute + 1);
    CloseNextDialog<CRemindersDlg>([&](CRemindersDlg& form) {
        form.m_checkEnable[0].SetCheck(BST_CHECKED);
        form.m_editHours[0].SetWindowText(hours);
        form.m_editMinutes[0].SetWindowText(minutes);
        form.m_editDesc[0].SetWindowText(L"Call the hotel");
    });
    dlg.SendMessage(WM_COMMAND, ID_SET_REMINDERS);

    // The program runs on: nothing is due yet.
    device::ui::EnableNotificationRaising(true);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(device::ui::RaisedNotifications().size(), before);

    // The clock passes the reminder; the next check raises it.
    device::SetDeviceClock("2026-12-09T10:01:30Z");
    device::ui::EnableNotificationRaising(true);
    device::ui::PumpUntilIdle();
    auto raised = device::ui::RaisedNotifications();
    ASSERT_EQ(raised.size(), before + 1);
    const auto& shown = raised.back();
    EXPECT_EQ(shown.title, L"Jorvana Reminder");
    EXPECT_NE(shown.text.find(L"h" + std::wstring(minutes) + L", "), std::wstring::npos) << shown.text;
    EXPECT_EQ(shown.text.substr(shown.text.size() - 17), L"\n\n\nCall the hotel");
    ASSERT_TRUE(::IsWindow(shown.box));
    WCHAR caption[64] = {};
    ::GetWindowTextW(shown.box, caption, 64);
    EXPECT_STREQ(caption, L"Jorvana Reminder");

    // Another device process finds nothing left to raise.
    SYSTEMTIME later{};
    GetLocalTime(&later);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(static_cast<int>(device::TakeDueNotifications(later).size()));
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    ::SendMessageW(shown.box, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(::IsWindow(shown.box));
    device::ui::EnableNotificationRaising(false);
    device::SetDeviceClock("");
}

} // namespace
} // namespace shelltest
