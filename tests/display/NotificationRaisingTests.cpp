// The device raising its due user notifications in a program with a screen: once, at the first
// check of a start for those that fell due before it, as boxes above the program's windows that
// its ok button closes, with the sound the flags ask for; odd or old notifications are raised
// or skipped without loss.

#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceDb.h"
#include "platform/system/DeviceTime.h"
#include "platform/system/Notifications.h"
#include "platform/ui/DeviceProgram.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/MessageBox.h"
#include "support/WindowedDevice.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class NotificationRaisingTest : public testsupport::WindowedDevice {
protected:
    void SetUp() override {
        WindowedDevice::SetUp();
        device::SetDeviceClock("2026-06-10T12:00:00Z");
        m_before = device::ui::RaisedNotifications().size();
    }
    void TearDown() override {
        device::ui::EnableNotificationRaising(false);
        for (const auto& r : New())
            if (r.box && IsWindow(r.box)) DestroyWindow(r.box);
        device::SetDeviceClock("");
        WindowedDevice::TearDown();
    }
    // Arms a notification at a local start time.
    static HANDLE Arm(SYSTEMTIME start, const std::wstring& title, const std::wstring& text, DWORD flags) {
        CE_NOTIFICATION_TRIGGER trigger{};
        trigger.dwSize = 52;
        trigger.dwType = CNT_TIME;
        trigger.stStartTime = start;
        std::wstring t = title, b = text;
        CE_USER_NOTIFICATION user{};
        user.ActionFlags = flags;
        user.pwszDialogTitle = t.data();
        user.pwszDialogText = b.data();
        return CeSetUserNotificationEx(nullptr, &trigger, &user);
    }
    static SYSTEMTIME LocalIn(int minutes) {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        FILETIME ft;
        SystemTimeToFileTime(&now, &ft);
        uint64_t v = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
        v += static_cast<uint64_t>(static_cast<int64_t>(minutes) * 60 * 10000000LL);
        ft.dwLowDateTime = static_cast<DWORD>(v);
        ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
        FileTimeToSystemTime(&ft, &now);
        now.wSecond = now.wMilliseconds = 0;
        return now;
    }
    static DWORD Status(HANDLE h) {
        DWORD need = 0;
        CeGetUserNotification(h, 0, &need, nullptr);
        std::vector<BYTE> buffer(need);
        if (!CeGetUserNotification(h, need, &need, buffer.data())) return 0xFFFF;
        return reinterpret_cast<CE_NOTIFICATION_INFO_HEADER*>(buffer.data())->dwStatus;
    }
    std::vector<device::ui::RaisedNotification> New() const {
        auto all = device::ui::RaisedNotifications();
        return {all.begin() + static_cast<long>(std::min(m_before, all.size())), all.end()};
    }
    // A program starts (or its next check comes): the first check runs at its next message wait.
    static void StartRaising() {
        device::ui::EnableNotificationRaising(true);
        device::ui::PumpUntilIdle();
    }
    size_t m_before = 0;
};

TEST_F(NotificationRaisingTest, DueOnesAreRaisedOnceAsBoxesAboveTheProgram) {
    HWND program = CreateWindowExW(0, L"STATIC", L"program", WS_POPUP | WS_VISIBLE, 0, 0, 240, 294, nullptr,
                                   nullptr, nullptr, nullptr);
    // One that fell due while no program ran, one due later, one with sound.
    HANDLE past = Arm(LocalIn(-90), L"Jorvana Reminder", L"Berlin:  10h30, 10/6/2026   \n\n\nCall home",
                      PUN_LED | PUN_VIBRATE | PUN_DIALOG | PUN_REPEAT);
    HANDLE later = Arm(LocalIn(5), L"Jorvana Reminder1", L"Later", PUN_DIALOG);
    HANDLE loud = Arm(LocalIn(-1), L"Alarm", L"Wake up", PUN_DIALOG | PUN_SOUND);
    ASSERT_TRUE(past && later && loud);
    const int beeps = device::ui::BeepCount();
    StartRaising();
    auto raised = New();
    ASSERT_EQ(raised.size(), 2u);
    EXPECT_EQ(raised[0].title, L"Jorvana Reminder");
    EXPECT_EQ(raised[0].text, L"Berlin:  10h30, 10/6/2026   \n\n\nCall home");
    EXPECT_EQ(raised[1].title, L"Alarm");
    EXPECT_EQ(device::ui::BeepCount(), beeps + 1) << "only the one asking for sound beeps";
    WCHAR caption[64] = {};
    GetWindowTextW(raised[0].box, caption, 64);
    EXPECT_STREQ(caption, L"Jorvana Reminder");
    EXPECT_TRUE(GetWindowLongW(raised[0].box, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(IsWindowEnabled(program)) << "the program goes on working under the box";
    EXPECT_EQ(Status(past), static_cast<DWORD>(CNS_SIGNALLED));
    EXPECT_EQ(Status(later), 0u);

    // Checked again, nothing is raised twice; the later one comes when the clock gets there.
    EXPECT_EQ(device::ui::RaiseDueNotifications(), 0);
    device::SetDeviceClock("2026-06-10T12:06:00Z");
    EXPECT_EQ(device::ui::RaiseDueNotifications(), 1);
    EXPECT_EQ(New().back().title, L"Jorvana Reminder1");

    // The ok button closes a box; the notification stays in the store, raised.
    SendMessageW(raised[0].box, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(IsWindow(raised[0].box));
    EXPECT_TRUE(IsWindow(raised[1].box));
    DWORD count = 0;
    CeGetUserNotificationHandles(nullptr, 0, &count);
    EXPECT_EQ(count, 3u);
    DestroyWindow(program);
}

TEST_F(NotificationRaisingTest, OddTextsAndAnOldStoreAreRaisedWithoutLoss) {
    // A store written by an earlier layout: no due ticks and no raised mark.
    ASSERT_TRUE(device::DeviceDb::Get()->Write([](sqlite3* h) {
        const char* sql =
            "CREATE TABLE ce_notification(id INTEGER PRIMARY KEY AUTOINCREMENT, trigger_size INTEGER NOT NULL,"
            " type INTEGER NOT NULL, event INTEGER NOT NULL, application TEXT, arguments TEXT, start BLOB NOT NULL,"
            " finish BLOB NOT NULL, has_user INTEGER NOT NULL, actions INTEGER NOT NULL, title TEXT, body TEXT,"
            " sound TEXT, max_sound INTEGER NOT NULL, reserved INTEGER NOT NULL);"
            // 9 June 2026 09:00 and 10 June 2031: one due, one not; then a start time that is no date.
            "INSERT INTO ce_notification VALUES(1, 52, 2, 0, NULL, NULL, x'ea070600030009000900000000000000',"
            " x'', 1, 23, 'Jorvana Reminder2', 'Old one', NULL, 0, 0);"
            "INSERT INTO ce_notification VALUES(2, 52, 2, 0, NULL, NULL, x'ef07060003000a00090000000f000000',"
            " x'', 1, 23, 'Future', 'Not yet', NULL, 0, 0);"
            "INSERT INTO ce_notification VALUES(3, 52, 2, 0, NULL, NULL, x'0000', x'', 1, 4, NULL, NULL, NULL, 0, 0);";
        return sqlite3_exec(h, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }));
    // Texts at the edges: empty, the longest the store keeps, a title alone.
    ASSERT_NE(Arm(LocalIn(-1), L"Empty", L"", PUN_DIALOG), nullptr);
    ASSERT_NE(Arm(LocalIn(-1), L"Long", std::wstring(kMaxNotificationText, L'x'), PUN_DIALOG), nullptr);
    ASSERT_NE(Arm(LocalIn(-1), L"", L"No title", PUN_DIALOG), nullptr);
    StartRaising();
    auto raised = New();
    ASSERT_EQ(raised.size(), 5u);
    EXPECT_EQ(raised[0].title, L"Jorvana Reminder2");
    EXPECT_EQ(raised[0].text, L"Old one");
    EXPECT_EQ(raised[1].title, L"Notification") << "the undated old one comes up at once, named";
    EXPECT_EQ(raised[2].text, L"");
    EXPECT_EQ(raised[3].text.size(), 1027u) << "shown cut, ending in ...";
    EXPECT_EQ(raised[3].text.substr(1024), L"...");
    EXPECT_EQ(raised[4].title, L"Notification");
    for (const auto& r : raised) EXPECT_TRUE(IsWindow(r.box)) << r.title.c_str();
    // Nothing was lost: the future old one is still armed, the long text kept whole.
    DWORD count = 0;
    CeGetUserNotificationHandles(nullptr, 0, &count);
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(device::ui::RaiseDueNotifications(), 0);
}

} // namespace
