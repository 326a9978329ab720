#include "platform/system/Notifications.h"
#include "support/FreshDevice.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

using NotificationTest = testsupport::FreshDevice;

namespace {

SYSTEMTIME Local(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD dow = 1, WORD ms = 0) {
    SYSTEMTIME st = {};
    st.wYear = y;
    st.wMonth = mo;
    st.wDay = d;
    st.wHour = h;
    st.wMinute = mi;
    st.wDayOfWeek = dow;
    st.wMilliseconds = ms;
    return st;
}

uint64_t Ticks(const SYSTEMTIME& st) {
    uint64_t t = 0;
    EXPECT_TRUE(device::SystemTimeTicks(st, t));
    return t;
}

// A reminder as the program builds it: a time trigger and a dialog with LED, vibration, repeat.
struct Reminder {
    CE_NOTIFICATION_TRIGGER trigger{};
    CE_USER_NOTIFICATION user{};
    std::wstring title;
    std::wstring text;
    Reminder(const wchar_t* t, const SYSTEMTIME& start,
             const wchar_t* body = L"Tokyo:  09h00, 10/5/2010   \n\n\nCall")
        : title(t), text(body) {
        trigger.dwSize = sizeof(CE_NOTIFICATION_TRIGGER);
        trigger.dwType = CNT_TIME;
        trigger.stStartTime = start;
        trigger.stEndTime = Local(2010, 5, 1, 8, 0, 6, 250);
        user.ActionFlags = PUN_LED | PUN_VIBRATE | PUN_DIALOG | PUN_REPEAT;
        user.pwszDialogTitle = title.data();
        user.pwszDialogText = text.data();
    }
    HANDLE Set(HANDLE existing = nullptr) { return CeSetUserNotificationEx(existing, &trigger, &user); }
};

std::vector<HANDLE> Handles() {
    DWORD n = 0;
    CeGetUserNotificationHandles(nullptr, 0, &n);
    std::vector<HANDLE> hs(n);
    if (n) {
        EXPECT_TRUE(CeGetUserNotificationHandles(hs.data(), n, &n));
    }
    return hs;
}

// The notification laid out as CeGetUserNotification gives it.
std::vector<BYTE> Fetch(HANDLE h) {
    DWORD need = 0;
    EXPECT_FALSE(CeGetUserNotification(h, 0, &need, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    std::vector<BYTE> buffer(need);
    EXPECT_TRUE(CeGetUserNotification(h, need, &need, buffer.data()));
    return buffer;
}

const CE_NOTIFICATION_INFO_HEADER& Header(const std::vector<BYTE>& b) {
    return *reinterpret_cast<const CE_NOTIFICATION_INFO_HEADER*>(b.data());
}

bool Inside(const std::vector<BYTE>& b, const void* p) {
    auto q = static_cast<const BYTE*>(p);
    return q >= b.data() && q < b.data() + b.size();
}

bool SameTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return std::memcmp(&a, &b, sizeof(a)) == 0;
}

} // namespace

TEST_F(NotificationTest, EveryFieldComesBackAsSet) {
    Reminder r(L"Jorvana Reminder1", Local(2010, 5, 10, 1, 0, 1, 123));
    std::wstring app = L"\\Windows\\clock.exe", args = L"-alarm", sound = L"\\Windows\\Alarm1.wav";
    r.trigger.lpszApplication = app.data();
    r.trigger.lpszArguments = args.data();
    r.trigger.dwEvent = 0;
    r.user.ActionFlags |= PUN_SOUND;
    r.user.pwszSound = sound.data();
    r.user.nMaxSound = 260;
    r.user.dwReserved = 7;
    HANDLE h = r.Set();
    ASSERT_NE(h, nullptr);

    auto b = Fetch(h);
    const auto& head = Header(b);
    EXPECT_EQ(head.hNotification, h);
    EXPECT_EQ(head.dwStatus, 0u);
    ASSERT_TRUE(Inside(b, head.pcent));
    ASSERT_TRUE(Inside(b, head.pceun));
    const auto& t = *head.pcent;
    EXPECT_EQ(t.dwSize, sizeof(CE_NOTIFICATION_TRIGGER));
    EXPECT_EQ(t.dwType, static_cast<DWORD>(CNT_TIME));
    EXPECT_TRUE(SameTime(t.stStartTime, r.trigger.stStartTime));
    EXPECT_TRUE(SameTime(t.stEndTime, r.trigger.stEndTime));
    ASSERT_TRUE(Inside(b, t.lpszApplication));
    EXPECT_STREQ(t.lpszApplication, app.c_str());
    EXPECT_STREQ(t.lpszArguments, args.c_str());
    const auto& u = *head.pceun;
    EXPECT_EQ(u.ActionFlags, static_cast<DWORD>(PUN_LED | PUN_VIBRATE | PUN_DIALOG | PUN_SOUND | PUN_REPEAT));
    ASSERT_TRUE(Inside(b, u.pwszDialogTitle));
    EXPECT_STREQ(u.pwszDialogTitle, L"Jorvana Reminder1");
    EXPECT_STREQ(u.pwszDialogText, r.text.c_str());
    EXPECT_STREQ(u.pwszSound, sound.c_str());
    EXPECT_EQ(u.nMaxSound, 260u);
    EXPECT_EQ(u.dwReserved, 7u);

    // Null texts stay null; the device's own trigger size is accepted too.
    Reminder bare(L"Jorvana Reminder", Local(2010, 5, 10, 9, 0));
    bare.trigger.dwSize = 52;
    bare.user.pwszDialogText = nullptr;
    HANDLE h2 = bare.Set();
    ASSERT_NE(h2, nullptr);
    auto b2 = Fetch(h2);
    EXPECT_EQ(Header(b2).pcent->dwSize, 52u);
    EXPECT_EQ(Header(b2).pcent->lpszApplication, nullptr);
    EXPECT_EQ(Header(b2).pceun->pwszDialogText, nullptr);
    EXPECT_EQ(Header(b2).pceun->pwszSound, nullptr);
}

TEST_F(NotificationTest, HandlesListEveryNotificationOldestFirst) {
    DWORD n = 99;
    EXPECT_TRUE(CeGetUserNotificationHandles(nullptr, 0, &n)) << "no notifications: nothing to copy";
    EXPECT_EQ(n, 0u);
    HANDLE a = Reminder(L"Jorvana Reminder", Local(2010, 1, 1, 0, 0)).Set();
    HANDLE b = Reminder(L"Jorvana Reminder2", Local(2009, 1, 1, 0, 0)).Set();
    EXPECT_FALSE(CeGetUserNotificationHandles(nullptr, 0, &n));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(n, 2u);
    HANDLE one[1] = {};
    EXPECT_FALSE(CeGetUserNotificationHandles(one, 1, &n));
    EXPECT_EQ(one[0], nullptr) << "nothing copied into a short array";
    EXPECT_EQ(Handles(), (std::vector<HANDLE>{a, b}));
    EXPECT_FALSE(CeGetUserNotificationHandles(one, 1, nullptr));
}

TEST_F(NotificationTest, ReplacingByHandleKeepsTheHandleAndChangesEverything) {
    Reminder first(L"Jorvana Reminder3", Local(2010, 5, 10, 9, 0));
    HANDLE h = first.Set();
    ASSERT_NE(h, nullptr);
    HANDLE other = Reminder(L"Jorvana Reminder4", Local(2010, 6, 1, 9, 0)).Set();
    ASSERT_EQ(device::TakeDueNotifications(Local(2010, 5, 10, 9, 0)), std::vector<HANDLE>{h});

    Reminder moved(L"Jorvana Reminder3", Local(2010, 5, 11, 1, 30), L"moved");
    moved.user.ActionFlags = PUN_DIALOG;
    EXPECT_EQ(moved.Set(h), h);
    EXPECT_EQ(Handles().size(), 2u);
    auto b = Fetch(h);
    EXPECT_TRUE(SameTime(Header(b).pcent->stStartTime, moved.trigger.stStartTime));
    EXPECT_STREQ(Header(b).pceun->pwszDialogText, L"moved");
    EXPECT_EQ(Header(b).pceun->ActionFlags, static_cast<DWORD>(PUN_DIALOG));
    EXPECT_EQ(Header(b).dwStatus, 0u) << "a new time makes it due again";
    auto untouched = Fetch(other);
    EXPECT_STREQ(Header(untouched).pceun->pwszDialogTitle, L"Jorvana Reminder4");

    EXPECT_TRUE(CeClearUserNotification(h));
    EXPECT_EQ(moved.Set(h), nullptr) << "a cleared handle cannot be replaced";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(Handles(), std::vector<HANDLE>{other});
}

TEST_F(NotificationTest, ClearRemovesOnlyThatNotification) {
    HANDLE a = Reminder(L"Jorvana Reminder", Local(2010, 1, 1, 0, 0)).Set();
    HANDLE b = Reminder(L"Jorvana Reminder", Local(2010, 1, 2, 0, 0)).Set();
    EXPECT_TRUE(CeClearUserNotification(a));
    EXPECT_FALSE(CeClearUserNotification(a));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(Handles(), std::vector<HANDLE>{b});
    DWORD need = 0;
    EXPECT_FALSE(CeGetUserNotification(a, 0, &need, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(NotificationTest, BadInputIsRefusedWithTheDevicesErrors) {
    Reminder r(L"t", Local(2010, 2, 29, 9, 0)); // 2010 is no leap year
    EXPECT_EQ(r.Set(), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    r.trigger.stStartTime = Local(2012, 2, 29, 24, 0);
    EXPECT_EQ(r.Set(), nullptr);
    r.trigger.stStartTime = Local(2012, 2, 29, 23, 59);
    r.trigger.dwSize = 12;
    EXPECT_EQ(r.Set(), nullptr);
    r.trigger.dwSize = sizeof(CE_NOTIFICATION_TRIGGER);
    r.trigger.dwType = CNT_PERIOD;
    EXPECT_EQ(r.Set(), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    r.trigger.dwType = CNT_TIME;
    r.user.ActionFlags = 0x100;
    EXPECT_EQ(r.Set(), nullptr);
    r.user.ActionFlags = PUN_DIALOG;
    EXPECT_EQ(CeSetUserNotificationEx(nullptr, nullptr, &r.user), nullptr);
    EXPECT_EQ(CeSetUserNotificationEx(nullptr, &r.trigger, nullptr), nullptr) << "nothing to do";
    std::wstring huge(kMaxNotificationText + 1, L'x');
    r.user.pwszDialogText = huge.data();
    EXPECT_EQ(r.Set(), nullptr);
    EXPECT_EQ(Handles().size(), 0u) << "no refused notification was kept";

    r.user.pwszDialogText = nullptr;
    EXPECT_EQ(r.Set(reinterpret_cast<HANDLE>(0x1234)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(CeClearUserNotification(nullptr));
    HANDLE h = r.Set();
    ASSERT_NE(h, nullptr);
    DWORD need = 0;
    EXPECT_FALSE(CeGetUserNotification(h, 0, &need, nullptr));
    std::vector<BYTE> small(need - 1);
    DWORD again = 0;
    EXPECT_FALSE(CeGetUserNotification(h, static_cast<UINT>(small.size()), &again, small.data()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(again, need);
}

TEST_F(NotificationTest, DueQueryComparesLocalStartTimesAndTakesEachOnce) {
    HANDLE early = Reminder(L"a", Local(2010, 5, 10, 8, 59)).Set();
    HANDLE exact = Reminder(L"b", Local(2010, 5, 10, 9, 0)).Set();
    HANDLE later = Reminder(L"c", Local(2010, 5, 10, 9, 1)).Set();
    ASSERT_TRUE(early && exact && later);
    SYSTEMTIME now = Local(2010, 5, 10, 9, 0);
    EXPECT_EQ(device::DueNotifications(Ticks(now)), (std::vector<HANDLE>{early, exact}));
    EXPECT_EQ(device::TakeDueNotifications(now), (std::vector<HANDLE>{early, exact}));
    EXPECT_TRUE(device::TakeDueNotifications(now).empty()) << "already raised";
    EXPECT_EQ(Header(Fetch(early)).dwStatus, static_cast<DWORD>(CNS_SIGNALLED));
    EXPECT_EQ(Handles().size(), 3u) << "raised notifications stay until cleared";

    EXPECT_TRUE(device::MarkNotificationRaised(later));
    EXPECT_FALSE(device::MarkNotificationRaised(later));
    EXPECT_TRUE(device::TakeDueNotifications(Local(2011, 1, 1, 0, 0)).empty());
    EXPECT_TRUE(device::TakeDueNotifications(Local(2011, 13, 1, 0, 0)).empty());
}

TEST_F(NotificationTest, TicksFollowTheCalendar) {
    // 1601-01-01 is tick 0; 2000-03-01 follows 2000-02-29.
    EXPECT_EQ(Ticks(Local(1601, 1, 1, 0, 0)), 0u);
    EXPECT_EQ(Ticks(Local(2000, 3, 1, 0, 0)) - Ticks(Local(2000, 2, 28, 0, 0)), 2 * 864000000000ull);
    EXPECT_EQ(Ticks(Local(2001, 1, 1, 0, 0)) - Ticks(Local(2000, 12, 31, 23, 59)), 600000000ull);
    // 1970-01-01 is 11644473600 seconds after 1601-01-01.
    EXPECT_EQ(Ticks(Local(1970, 1, 1, 0, 0)), 116444736000000000ull);
    uint64_t t = 0;
    EXPECT_FALSE(device::SystemTimeTicks(Local(1900, 2, 29, 0, 0), t));
    EXPECT_TRUE(device::SystemTimeTicks(Local(2000, 2, 29, 0, 0), t));
}

TEST_F(NotificationTest, TwoRacingProcessesRaiseEachDueNotificationOnce) {
    constexpr int kCount = 40;
    std::vector<HANDLE> all;
    for (int i = 0; i < kCount; ++i) {
        HANDLE h = Reminder(L"race", Local(2010, 5, 10, 9, static_cast<WORD>(i))).Set();
        ASSERT_NE(h, nullptr);
        all.push_back(h);
    }
    // Each child takes what is due, step by step, and writes what it took to a pipe.
    int fds[2][2];
    pid_t pids[2];
    for (int c = 0; c < 2; ++c) {
        ASSERT_EQ(pipe(fds[c]), 0);
        pids[c] = fork();
        ASSERT_GE(pids[c], 0);
        if (pids[c] == 0) {
            close(fds[c][0]);
            for (int minute = 0; minute <= kCount; ++minute) {
                for (HANDLE h :
                     device::TakeDueNotifications(Local(2010, 5, 10, 9, static_cast<WORD>(minute)))) {
                    auto v = reinterpret_cast<uintptr_t>(h);
                    if (write(fds[c][1], &v, sizeof(v)) != static_cast<ssize_t>(sizeof(v))) _exit(2);
                }
            }
            _exit(0);
        }
        close(fds[c][1]);
    }
    std::multiset<uintptr_t> taken;
    for (int c = 0; c < 2; ++c) {
        uintptr_t v;
        while (read(fds[c][0], &v, sizeof(v)) == static_cast<ssize_t>(sizeof(v)))
            taken.insert(v);
        close(fds[c][0]);
        int status = 0;
        ASSERT_EQ(waitpid(pids[c], &status, 0), pids[c]);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(taken.size(), static_cast<size_t>(kCount)) << "every notification raised exactly once";
    for (HANDLE h : all)
        EXPECT_EQ(taken.count(reinterpret_cast<uintptr_t>(h)), 1u);
}
