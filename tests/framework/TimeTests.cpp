// CTime and CTimeSpan on the device's clock and zone: building local times across the
// daylight-saving changes, reading fields, formatting, and the arithmetic the pages do.

#include "platform/framework/Time.h"
#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceTime.h"
#include "support/FreshDevice.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class TimeTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        unsetenv("DEVICE_TZ");
        FreshDevice::SetUp();
        device::ReloadDeviceZone();
    }
    void TearDown() override {
        device::SetDeviceClock("");
        device::ReloadDeviceZone();
        FreshDevice::TearDown();
    }
    void Use(const char* zone, const char* clock = "") {
        ASSERT_TRUE(device::SetDeviceZone(zone)) << zone;
        device::SetDeviceClock(clock);
    }
};

// Seconds since 1970 of a UTC date and time.
time_t Utc(int y, int mo, int d, int h, int mi, int s = 0) {
    return static_cast<time_t>(device::DaysFromCivil(y, mo, d)) * 86400 + h * 3600 + mi * 60 + s;
}

TEST_F(TimeTest, FieldsFollowTheDeviceZoneAndItsDaylightSaving) {
    Use("Europe/Paris");
    // Winter and summer offsets.
    EXPECT_EQ(CTime(2026, 1, 15, 12, 0, 0).GetTime(), Utc(2026, 1, 15, 11, 0));
    EXPECT_EQ(CTime(2026, 7, 15, 12, 0, 0).GetTime(), Utc(2026, 7, 15, 10, 0));
    // 02:30 on 29 March does not exist: it moves forward by the hour skipped.
    CTime skipped(2026, 3, 29, 2, 30, 0);
    EXPECT_EQ(skipped.GetTime(), Utc(2026, 3, 29, 1, 30));
    EXPECT_EQ(skipped.GetHour(), 3);
    EXPECT_EQ(skipped.GetMinute(), 30);
    // 02:30 on 25 October occurs twice: the first (still summer time) is taken.
    EXPECT_EQ(CTime(2026, 10, 25, 2, 30, 0).GetTime(), Utc(2026, 10, 25, 0, 30));
    // An explicit standard-time flag in summer reads the fields with the winter offset.
    CTime asStandard(2026, 7, 15, 12, 0, 0, 0);
    EXPECT_EQ(asStandard.GetTime(), Utc(2026, 7, 15, 11, 0));
    EXPECT_EQ(asStandard.GetHour(), 13);

    CTime t(2026, 12, 31, 23, 59, 58);
    EXPECT_EQ(t.GetYear(), 2026);
    EXPECT_EQ(t.GetMonth(), 12);
    EXPECT_EQ(t.GetDay(), 31);
    EXPECT_EQ(t.GetSecond(), 58);
    EXPECT_EQ(t.GetDayOfWeek(), 5); // a Thursday, Sunday being 1
    SYSTEMTIME st{};
    ASSERT_TRUE(t.GetAsSystemTime(st));
    EXPECT_EQ(st.wDayOfWeek, 4);
    EXPECT_EQ(st.wHour, 23);
    EXPECT_EQ(CTime(st).GetTime(), t.GetTime());

    // The same fields in the southern hemisphere: summer in January.
    Use("Australia/Sydney");
    EXPECT_EQ(CTime(2026, 1, 15, 12, 0, 0).GetTime(), Utc(2026, 1, 15, 1, 0));
    EXPECT_EQ(CTime(2026, 7, 15, 12, 0, 0).GetTime(), Utc(2026, 7, 15, 2, 0));
}

TEST_F(TimeTest, CurrentTimeComesFromTheDeviceClock) {
    Use("America/New_York", "2026-03-08T06:59:59Z");
    CTime now = CTime::GetCurrentTime();
    EXPECT_EQ(now.GetTime(), Utc(2026, 3, 8, 6, 59, 59));
    EXPECT_EQ(now.GetHour(), 1); // 01:59:59 EST, a second before the change
    EXPECT_EQ((now + CTimeSpan(1)).GetHour(), 3);
    EXPECT_EQ((now + CTimeSpan(1)).Format(L"%H:%M:%S %Z"), CString(L"03:00:00 EDT"));
}

TEST_F(TimeTest, ArithmeticAcrossTheChangeCountsRealSeconds) {
    Use("Europe/Paris");
    // A day of 86400 seconds from noon before the spring change lands at 13:00 local.
    CTime noon(2026, 3, 28, 12, 0, 0);
    CTime next = noon + CTimeSpan(1, 0, 0, 0);
    EXPECT_EQ(next.GetDay(), 29);
    EXPECT_EQ(next.GetHour(), 13);
    // The same 01:01:01 of two days apart differ by 23 hours across the change.
    CTimeSpan gap = CTime(2026, 3, 30, 1, 1, 1) - CTime(2026, 3, 29, 1, 1, 1);
    EXPECT_EQ(gap.GetTotalSeconds(), 23 * 3600);
    EXPECT_EQ(gap.GetDays(), 0);
    EXPECT_EQ(gap.GetHours(), 23);
    // Stepping from 31 December by a day reaches the next year.
    CTime eve(2026, 12, 31, 1, 1, 1);
    eve += CTimeSpan(86400);
    EXPECT_EQ(eve.GetYear(), 2027);
    EXPECT_EQ(eve.GetMonth(), 1);
    EXPECT_EQ(eve.GetDay(), 1);
    eve -= CTimeSpan(2, 0, 0, 0);
    EXPECT_EQ(eve.GetDay(), 30);

    EXPECT_LT(noon, next);
    EXPECT_TRUE(next - CTimeSpan(1, 0, 0, 0) == noon);
    EXPECT_GT(CTimeSpan(0, 25, 0, 0), CTimeSpan(1, 0, 59, 59));

    CTimeSpan span(3, 4, 5, 6);
    EXPECT_EQ(span.GetTotalHours(), 76);
    EXPECT_EQ(span.GetMinutes(), 5);
    EXPECT_EQ(span.GetSeconds(), 6);
    EXPECT_EQ(span.Format(L"%D days %H:%M:%S 100%%"), CString(L"3 days 04:05:06 100%"));
    CTimeSpan back(-90);
    EXPECT_EQ(back.GetTotalMinutes(), -1);
    EXPECT_EQ(back.GetSeconds(), -30);
}

TEST_F(TimeTest, FormatCodes) {
    Use("Europe/Paris");
    CTime t(2026, 3, 5, 7, 8, 9);
    EXPECT_EQ(t.Format(L"%d/%m/%Y %H:%M:%S"), CString(L"05/03/2026 07:08:09"));
    EXPECT_EQ(t.Format(L"%#d/%#m/%y"), CString(L"5/3/26"));
    EXPECT_EQ(t.Format(L"%a %A %b %B"), CString(L"Thu Thursday Mar March"));
    EXPECT_EQ(t.Format(L"%I %p %j %w %Z"), CString(L"07 AM 064 4 CET"));
    EXPECT_EQ(CTime(2026, 3, 5, 0, 30, 0).Format(L"%I%p"), CString(L"12AM"));
    EXPECT_EQ(CTime(2026, 3, 5, 19, 30, 0).Format(L"%I%p"), CString(L"07PM"));
    EXPECT_EQ(t.Format(L"%x %X"), CString(L"03/05/26 07:08:09"));
    // 1 January 2026 is a Thursday: week 0 until the first Sunday / Monday.
    EXPECT_EQ(CTime(2026, 1, 4, 12, 0, 0).Format(L"%U %W"), CString(L"01 00"));
    EXPECT_EQ(CTime(2026, 1, 5, 12, 0, 0).Format(L"%U %W"), CString(L"01 01"));
    EXPECT_EQ(t.Format(L"100%% %q %"), CString(L"100% %q %"));
    EXPECT_EQ(t.FormatGmt(L"%H:%M %Z"), CString(L"06:08 UTC"));
}

TEST_F(TimeTest, FieldsOutOfRangeGiveAnInvalidTime) {
    Use("Europe/Paris");
    for (CTime bad : {CTime(2026, 13, 1, 0, 0, 0), CTime(2026, 4, 31, 0, 0, 0), CTime(2026, 2, 29, 0, 0, 0),
                      CTime(2026, 1, 1, 24, 0, 0), CTime(2026, 1, 1, 0, 60, 0), CTime(1969, 12, 31, 0, 0, 0)}) {
        EXPECT_EQ(bad.GetTime(), -1);
        EXPECT_EQ(bad.GetYear(), 0);
        EXPECT_EQ(bad.GetMonth(), 0);
        EXPECT_EQ(bad.Format(L"%Y"), CString(L""));
        SYSTEMTIME st{};
        EXPECT_FALSE(bad.GetAsSystemTime(st));
    }
    EXPECT_EQ(CTime(2028, 2, 29, 0, 0, 0).GetDay(), 29);
    FILETIME before1970{0, 0};
    EXPECT_EQ(CTime(before1970).GetTime(), -1);
    FILETIME epoch{0xD53E8000u, 0x019DB1DEu}; // 1970-01-01 00:00:00 UTC
    EXPECT_EQ(CTime(epoch).GetTime(), 0);
}

} // namespace
