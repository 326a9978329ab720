#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceDb.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/DeviceSettings.h"
#include "platform/system/DeviceTime.h"
#include "support/FreshDevice.h"
#include "support/TzdataFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <thread>

namespace {

// Each test runs on a new device root, with its own clock and zone.
class DeviceTimeTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        unsetenv("DEVICE_TZ");
        testsupport::UseCarriedTzdir();
        FreshDevice::SetUp();
        device::ReloadDeviceZone();
    }
    void TearDown() override {
        device::SetDeviceClock("");
        unsetenv("DEVICE_TZ");
        testsupport::UseCarriedTzdir();
        device::ReloadDeviceZone();
        FreshDevice::TearDown();
    }
    void Use(const char* zone, const char* clock) {
        ASSERT_TRUE(device::SetDeviceZone(zone)) << zone;
        device::SetDeviceClock(clock);
    }
};

SYSTEMTIME Sys(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(mo);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(mi);
    st.wSecond = static_cast<WORD>(s);
    st.wMilliseconds = static_cast<WORD>(ms);
    return st;
}

std::string Text(const SYSTEMTIME& st) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u.%03u w%u", st.wYear, st.wMonth, st.wDay,
                  st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, st.wDayOfWeek);
    return buf;
}

uint64_t Value(const FILETIME& ft) {
    return (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME Ft(uint64_t v) {
    return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

FILETIME FtOf(int y, int mo, int d, int h, int mi, int s) {
    SYSTEMTIME st = Sys(y, mo, d, h, mi, s);
    FILETIME ft{};
    EXPECT_TRUE(SystemTimeToFileTime(&st, &ft));
    return ft;
}

struct tm Tm(int y, int mo, int d, int h, int mi, int s, int isdst = -1) {
    struct tm t {};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    t.tm_isdst = isdst;
    return t;
}

time_t UtcSeconds(int y, int mo, int d, int h, int mi, int s) {
    return static_cast<time_t>(device::DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s);
}

std::wstring Name(const WCHAR* w) {
    return std::wstring(w);
}

} // namespace

// ---- SYSTEMTIME and FILETIME ----

TEST_F(DeviceTimeTest, SystemTimeToFileTimeRefusesInvalidFields) {
    const SYSTEMTIME bad[] = {
        Sys(2026, 0, 1),        Sys(2026, 13, 1),          Sys(2026, 4, 31),
        Sys(2026, 2, 29),       Sys(2026, 1, 0),           Sys(2026, 1, 1, 24),
        Sys(2026, 1, 1, 0, 60), Sys(2026, 1, 1, 0, 0, 60), Sys(2026, 1, 1, 0, 0, 0, 1000),
        Sys(1600, 12, 31),      Sys(30828, 1, 1)};
    for (const auto& st : bad) {
        FILETIME ft{123, 456};
        SetLastError(0);
        EXPECT_FALSE(SystemTimeToFileTime(&st, &ft)) << Text(st);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << Text(st);
        EXPECT_EQ(ft.dwLowDateTime, 123u); // left untouched
    }
    FILETIME ft{};
    EXPECT_FALSE(SystemTimeToFileTime(nullptr, &ft));
    SYSTEMTIME ok = Sys(2024, 2, 29);
    EXPECT_FALSE(SystemTimeToFileTime(&ok, nullptr));
    EXPECT_TRUE(SystemTimeToFileTime(&ok, &ft)); // a leap day
}

TEST_F(DeviceTimeTest, FileTimeScaleAndRoundTrip) {
    FILETIME ft{};
    SYSTEMTIME st = Sys(1601, 1, 1);
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    EXPECT_EQ(Value(ft), 0u);
    st = Sys(1970, 1, 1);
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    EXPECT_EQ(Value(ft), 116444736000000000ull);
    st = Sys(2026, 12, 9, 13, 45, 30, 250);
    st.wDayOfWeek = 6; // not read
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    // A day later, by 100-ns arithmetic as the program does it.
    FILETIME next = Ft(Value(ft) + 864000000000ull);
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&next, &back));
    EXPECT_EQ(Text(back), "2026-12-10 13:45:30.250 w4"); // a Thursday
    st = Sys(30827, 12, 31, 23, 59, 59, 999);
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_EQ(Text(back).substr(0, 24), "30827-12-31 23:59:59.999");
}

TEST_F(DeviceTimeTest, FileTimeToSystemTimeRefusesValuesPastTheRange) {
    FILETIME ft = Ft(0x8000000000000000ull);
    SYSTEMTIME st{};
    SetLastError(0);
    EXPECT_FALSE(FileTimeToSystemTime(&ft, &st));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(FileTimeToSystemTime(nullptr, &st));
    ft = Ft(0x7FFFFFFFFFFFFFFFull);
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
    EXPECT_EQ(st.wYear, 30828);
}

// ---- Now ----

TEST_F(DeviceTimeTest, LocalTimeFollowsTheDeviceZoneAcrossAChange) {
    Use("Europe/Paris", "2026-03-29T00:59:59.500Z");
    SYSTEMTIME st{};
    GetLocalTime(&st);
    EXPECT_EQ(Text(st), "2026-03-29 01:59:59.500 w0");
    GetSystemTime(&st);
    EXPECT_EQ(Text(st), "2026-03-29 00:59:59.500 w0");
    device::SetDeviceClock("2026-03-29T01:00:00Z");
    GetLocalTime(&st);
    EXPECT_EQ(Text(st), "2026-03-29 03:00:00.000 w0");

    // Kolkata is 5:30 ahead: the UTC evening is already the next day there.
    Use("Asia/Kolkata", "2026-12-31T20:00:00Z");
    GetLocalTime(&st);
    EXPECT_EQ(Text(st), "2027-01-01 01:30:00.000 w5");
    Use("Pacific/Chatham", "2026-01-15T00:00:00Z");
    GetLocalTime(&st);
    EXPECT_EQ(Text(st), "2026-01-15 13:45:00.000 w4");
    EXPECT_EQ(device::DeviceTimeNow(), UtcSeconds(2026, 1, 15, 0, 0, 0));
}

TEST_F(DeviceTimeTest, HostTimeZoneVariableIsIgnored) {
    const char* old = std::getenv("TZ");
    std::string saved = old ? old : "";
    setenv("TZ", "America/New_York", 1);
    tzset();
    Use("Asia/Tokyo", "2026-06-01T00:00:00Z");
    SYSTEMTIME st{};
    GetLocalTime(&st);
    EXPECT_EQ(st.wHour, 9);
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

// ---- Time-zone information ----

TEST_F(DeviceTimeTest, TimeZoneInformationOfNorthernZones) {
    TIME_ZONE_INFORMATION tzi{};
    Use("Europe/Paris", "2026-01-15T12:00:00Z");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_STANDARD);
    EXPECT_EQ(tzi.Bias, -60);
    EXPECT_EQ(tzi.StandardBias, 0);
    EXPECT_EQ(tzi.DaylightBias, -60);
    EXPECT_EQ(Name(tzi.StandardName), L"CET");
    EXPECT_EQ(Name(tzi.DaylightName), L"CEST");
    // Last Sunday of March at 02:00, last Sunday of October at 03:00.
    EXPECT_EQ(Text(tzi.DaylightDate), "0000-03-05 02:00:00.000 w0");
    EXPECT_EQ(Text(tzi.StandardDate), "0000-10-05 03:00:00.000 w0");
    device::SetDeviceClock("2026-07-15T12:00:00Z");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(tzi.Bias, -60); // always the standard bias

    Use("America/New_York", "2026-07-15T12:00:00Z");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(tzi.Bias, 300);
    EXPECT_EQ(tzi.DaylightBias, -60);
    EXPECT_EQ(Text(tzi.DaylightDate), "0000-03-02 02:00:00.000 w0");
    EXPECT_EQ(Text(tzi.StandardDate), "0000-11-01 02:00:00.000 w0");

    // tzdata flags Irish winter time as the daylight period; the device reports summer time as
    // daylight time all the same.
    Use("Europe/Dublin", "2026-07-15T12:00:00Z");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(tzi.Bias, 0);
    EXPECT_EQ(tzi.DaylightBias, -60);
    EXPECT_EQ(Name(tzi.DaylightName), L"IST");
    EXPECT_EQ(Text(tzi.DaylightDate), "0000-03-05 01:00:00.000 w0");
    EXPECT_EQ(Text(tzi.StandardDate), "0000-10-05 02:00:00.000 w0");
}

TEST_F(DeviceTimeTest, TimeZoneInformationOfSouthernAndOddZones) {
    TIME_ZONE_INFORMATION tzi{};
    Use("Australia/Sydney", "2026-01-15T00:00:00Z");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(tzi.Bias, -600);
    EXPECT_EQ(tzi.DaylightBias, -60);
    EXPECT_EQ(Text(tzi.DaylightDate), "0000-10-01 02:00:00.000 w0");
    EXPECT_EQ(Text(tzi.StandardDate), "0000-04-01 03:00:00.000 w0");

    Use("Pacific/Chatham", "2026-07-01T00:00:00Z");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_STANDARD);
    EXPECT_EQ(tzi.Bias, -765);
    EXPECT_EQ(tzi.DaylightBias, -60);
    EXPECT_EQ(Text(tzi.DaylightDate), "0000-09-05 02:45:00.000 w0");
    EXPECT_EQ(Text(tzi.StandardDate), "0000-04-01 03:45:00.000 w0");

    Use("Australia/Lord_Howe", "2026-07-01T00:00:00Z");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_STANDARD);
    EXPECT_EQ(tzi.Bias, -630);
    EXPECT_EQ(tzi.DaylightBias, -30);

    // Nuuk changes at -1:00 and 0:00: the dates are given as the wall clock reads them.
    Use("America/Nuuk", "2026-07-01T00:00:00Z");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(tzi.Bias, 120);
    EXPECT_EQ(Text(tzi.DaylightDate), "0000-03-05 23:00:00.000 w6"); // Saturday 28 March 2026, 23:00
    EXPECT_EQ(Text(tzi.StandardDate), "0000-10-05 00:00:00.000 w0");

    for (const auto& [zone, bias] : {std::pair{"Asia/Kolkata", -330}, std::pair{"America/Sao_Paulo", 180},
                                     std::pair{"Asia/Kathmandu", -345}, std::pair{"UTC", 0}}) {
        Use(zone, "2026-07-01T00:00:00Z");
        EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_UNKNOWN) << zone;
        EXPECT_EQ(tzi.Bias, bias) << zone;
        EXPECT_EQ(tzi.DaylightDate.wMonth, 0) << zone;
        EXPECT_EQ(tzi.StandardDate.wMonth, 0) << zone;
    }
    EXPECT_EQ(GetTimeZoneInformation(nullptr), TIME_ZONE_ID_INVALID);
}

TEST_F(DeviceTimeTest, SetTimeZoneInformationRoundTrips) {
    TIME_ZONE_INFORMATION paris{};
    Use("Europe/Paris", "2026-07-15T12:00:00Z");
    ASSERT_EQ(GetTimeZoneInformation(&paris), TIME_ZONE_ID_DAYLIGHT);
    ASSERT_TRUE(SetTimeZoneInformation(&paris));
    EXPECT_NE(device::DeviceZoneName(), "Europe/Paris");
    TIME_ZONE_INFORMATION again{};
    EXPECT_EQ(GetTimeZoneInformation(&again), TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(again.Bias, paris.Bias);
    EXPECT_EQ(again.DaylightBias, paris.DaylightBias);
    EXPECT_EQ(Text(again.DaylightDate), Text(paris.DaylightDate));
    EXPECT_EQ(Text(again.StandardDate), Text(paris.StandardDate));
    // The rule behaves as the zone did at its changes.
    device::SetDeviceClock("2027-10-31T00:59:59Z");
    SYSTEMTIME st{};
    GetLocalTime(&st);
    EXPECT_EQ(Text(st), "2027-10-31 02:59:59.000 w0");
    device::SetDeviceClock("2027-10-31T01:00:00Z");
    GetLocalTime(&st);
    EXPECT_EQ(Text(st), "2027-10-31 02:00:00.000 w0");

    // A zone without daylight time.
    TIME_ZONE_INFORMATION fixed{};
    fixed.Bias = -330;
    ASSERT_TRUE(SetTimeZoneInformation(&fixed));
    EXPECT_EQ(GetTimeZoneInformation(&again), TIME_ZONE_ID_UNKNOWN);
    EXPECT_EQ(again.Bias, -330);
    GetLocalTime(&st);
    EXPECT_EQ(Text(st), "2027-10-31 06:30:00.000 w0");
}

TEST_F(DeviceTimeTest, SetTimeZoneInformationRefusesBadInput) {
    Use("Europe/Paris", "2026-07-15T12:00:00Z");
    TIME_ZONE_INFORMATION good{};
    ASSERT_EQ(GetTimeZoneInformation(&good), TIME_ZONE_ID_DAYLIGHT);
    std::vector<TIME_ZONE_INFORMATION> bad(6, good);
    bad[0].DaylightDate.wDay = 6;
    bad[1].StandardDate.wMonth = 13;
    bad[2].DaylightDate.wDayOfWeek = 7;
    bad[3].StandardDate.wHour = 24;
    bad[4].DaylightDate.wYear = 2026; // only the day-in-month form
    bad[5].Bias = 25 * 60;
    for (size_t i = 0; i < bad.size(); ++i) {
        SetLastError(0);
        EXPECT_FALSE(SetTimeZoneInformation(&bad[i])) << i;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << i;
    }
    EXPECT_FALSE(SetTimeZoneInformation(nullptr));
    EXPECT_EQ(device::DeviceZoneName(), "Europe/Paris");
}

// ---- Local time functions ----

TEST_F(DeviceTimeTest, MktimeLetsTheZoneDecideDaylightSaving) {
    Use("Europe/Paris", "2026-01-01T00:00:00Z");
    struct tm t = Tm(2024, 7, 1, 12, 0, 0);
    EXPECT_EQ(device::DeviceMktime(&t), UtcSeconds(2024, 7, 1, 10, 0, 0));
    EXPECT_EQ(t.tm_isdst, 1);
    EXPECT_EQ(t.tm_gmtoff, 7200);
    EXPECT_STREQ(t.tm_zone, "CEST");
    EXPECT_EQ(t.tm_wday, 1);
    EXPECT_EQ(t.tm_yday, 182);

    // 02:30 does not exist on 31 March 2024: it reads as 03:30 summer time.
    t = Tm(2024, 3, 31, 2, 30, 0);
    EXPECT_EQ(device::DeviceMktime(&t), UtcSeconds(2024, 3, 31, 1, 30, 0));
    EXPECT_EQ(t.tm_hour, 3);
    EXPECT_EQ(t.tm_isdst, 1);
    // 02:30 happens twice on 27 October 2024: the first, unless winter time is asked for.
    t = Tm(2024, 10, 27, 2, 30, 0);
    EXPECT_EQ(device::DeviceMktime(&t), UtcSeconds(2024, 10, 27, 0, 30, 0));
    EXPECT_EQ(t.tm_isdst, 1);
    t = Tm(2024, 10, 27, 2, 30, 0, 0);
    EXPECT_EQ(device::DeviceMktime(&t), UtcSeconds(2024, 10, 27, 1, 30, 0));
    EXPECT_EQ(t.tm_isdst, 0);
    // Winter time asked for in summer: the fields are read in winter time, as mktime does.
    t = Tm(2024, 7, 1, 12, 0, 0, 0);
    EXPECT_EQ(device::DeviceMktime(&t), UtcSeconds(2024, 7, 1, 11, 0, 0));
    EXPECT_EQ(t.tm_hour, 13);

    // The southern hemisphere, where the clocks go back in April.
    Use("Australia/Sydney", "2026-01-01T00:00:00Z");
    t = Tm(2024, 4, 7, 2, 30, 0);
    EXPECT_EQ(device::DeviceMktime(&t), UtcSeconds(2024, 4, 6, 15, 30, 0));
    EXPECT_EQ(t.tm_isdst, 1);
    t = Tm(2024, 10, 6, 2, 30, 0);
    EXPECT_EQ(device::DeviceMktime(&t), UtcSeconds(2024, 10, 5, 16, 30, 0));
    EXPECT_EQ(t.tm_hour, 3);
}

TEST_F(DeviceTimeTest, MktimeNormalisesFieldsOutOfRange) {
    Use("Asia/Kolkata", "2026-01-01T00:00:00Z");
    // 31 December at 01:01:01 plus one day of seconds: 1 January of the next year.
    struct tm t = Tm(2026, 12, 31, 1, 1, 1);
    time_t start = device::DeviceMktime(&t);
    struct tm next {};
    ASSERT_TRUE(device::DeviceLocaltime(start + 86400, &next));
    EXPECT_EQ(next.tm_year + 1900, 2027);
    EXPECT_EQ(next.tm_mon, 0);
    EXPECT_EQ(next.tm_mday, 1);
    // Day 0 is the last day of the month before; month 12 is January of the next year.
    t = Tm(2024, 3, 0, 0, 0, 0);
    device::DeviceMktime(&t);
    EXPECT_EQ(t.tm_mon, 1);
    EXPECT_EQ(t.tm_mday, 29);
    t = Tm(2024, 13, 1, 0, 0, 0);
    device::DeviceMktime(&t);
    EXPECT_EQ(t.tm_year + 1900, 2025);
    EXPECT_EQ(t.tm_mon, 0);
    // Day 281 of a year, as a day-of-year rule builds it: 1 January plus 280 days.
    t = Tm(2026, 1, 1 + 280, 2, 0, 0);
    device::DeviceMktime(&t);
    EXPECT_EQ(t.tm_mon + 1, 10);
    EXPECT_EQ(t.tm_mday, 8);
    t = Tm(2026, 1, 1, -1, 0, -30);
    EXPECT_EQ(device::DeviceMktime(&t), UtcSeconds(2025, 12, 31, 17, 29, 30));
    // A year that does not fit: -1 and the fields left alone.
    t = Tm(2026, 1, 1, 0, 0, 0);
    t.tm_year = INT_MAX;
    t.tm_mon = 12;
    EXPECT_EQ(device::DeviceMktime(&t), static_cast<time_t>(-1));
    EXPECT_EQ(t.tm_mon, 12);
}

TEST_F(DeviceTimeTest, LocaltimeFillsOffsetAndAbbreviation) {
    Use("America/New_York", "2026-01-01T00:00:00Z");
    struct tm t {};
    ASSERT_TRUE(device::DeviceLocaltime(UtcSeconds(2026, 3, 8, 7, 0, 0), &t));
    EXPECT_EQ(t.tm_hour, 3);
    EXPECT_EQ(t.tm_isdst, 1);
    EXPECT_EQ(t.tm_gmtoff, -4 * 3600);
    EXPECT_STREQ(t.tm_zone, "EDT");
    ASSERT_TRUE(device::DeviceLocaltime(UtcSeconds(2026, 3, 8, 6, 59, 59), &t));
    EXPECT_EQ(t.tm_hour, 1);
    EXPECT_STREQ(t.tm_zone, "EST");
    EXPECT_FALSE(device::DeviceLocaltime(0, nullptr));
    // Instants no calendar reaches are refused, not wrapped.
    EXPECT_FALSE(device::DeviceLocaltime(std::numeric_limits<time_t>::max(), &t));
    EXPECT_FALSE(device::DeviceLocaltime(std::numeric_limits<time_t>::min(), &t));
    struct tm far = Tm(2026, 1, 1, 0, 0, 0);
    far.tm_year = INT_MIN;
    far.tm_mon = -1; // December of the year before the first one a tm can hold
    EXPECT_EQ(device::DeviceMktime(&far), static_cast<time_t>(-1));
}

TEST_F(DeviceTimeTest, LocalFileTimesUseTheOffsetOfTheirOwnDate) {
    Use("Europe/Paris", "2026-07-15T12:00:00Z"); // summer now
    FILETIME winter = FtOf(2026, 1, 15, 12, 0, 0);
    FILETIME local{};
    ASSERT_TRUE(FileTimeToLocalFileTime(&winter, &local));
    EXPECT_EQ(Value(local) - Value(winter), 3600ull * 10000000);
    FILETIME back{};
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(Value(back), Value(winter));
    // A skipped local time moves forward; a repeated one is the first.
    FILETIME gap = FtOf(2026, 3, 29, 2, 30, 0);
    ASSERT_TRUE(LocalFileTimeToFileTime(&gap, &back));
    EXPECT_EQ(Value(back), Value(FtOf(2026, 3, 29, 1, 30, 0)));
    FILETIME fold = FtOf(2026, 10, 25, 2, 30, 0);
    ASSERT_TRUE(LocalFileTimeToFileTime(&fold, &back));
    EXPECT_EQ(Value(back), Value(FtOf(2026, 10, 25, 0, 30, 0)));
    // The edges of the range neither wrap nor crash.
    Use("America/New_York", "2026-07-15T12:00:00Z");
    FILETIME zero = Ft(0);
    ASSERT_TRUE(FileTimeToLocalFileTime(&zero, &local));
    EXPECT_EQ(Value(local), 0u);
    EXPECT_FALSE(LocalFileTimeToFileTime(nullptr, &back));
    FILETIME huge = Ft(0x9000000000000000ull);
    EXPECT_FALSE(FileTimeToLocalFileTime(&huge, &local));
}

// ---- The device zone setting ----

TEST_F(DeviceTimeTest, ZoneIsStoredOnTheDevice) {
    ASSERT_TRUE(device::SetDeviceZone("Asia/Kolkata"));
    EXPECT_EQ(device::ReadDeviceSetting("TimeZone"), "Asia/Kolkata");
    device::ReloadDeviceZone();
    EXPECT_EQ(device::DeviceZoneName(), "Asia/Kolkata");
    SetLastError(0);
    for (const char* bad : {"Mars/Olympus", "../../etc/passwd", "/usr/share/zoneinfo/UTC", "", "Europe/"}) {
        EXPECT_FALSE(device::SetDeviceZone(bad)) << bad;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    EXPECT_EQ(device::DeviceZoneName(), "Asia/Kolkata");
    EXPECT_TRUE(device::SetDeviceZone("<+0530>-5:30")); // a POSIX rule is a zone too
}

TEST_F(DeviceTimeTest, NewDeviceStartsWithDeviceTzOrTheHostZone) {
    setenv("DEVICE_TZ", "Pacific/Chatham", 1);
    testsupport::TempFolder other("jorvana-device-");
    device::UseRootFolder(other.Path());
    EXPECT_EQ(device::DeviceZoneName(), "Pacific/Chatham");
    EXPECT_EQ(device::ReadDeviceSetting("TimeZone"), "Pacific/Chatham");

    // Without DEVICE_TZ a device keeps what it has, and a new one takes the host's zone.
    unsetenv("DEVICE_TZ");
    device::UseRootFolder(Root());
    const std::string host = device::DeviceZoneName();
    EXPECT_NE(device::LoadZoneNamed(host, nullptr), nullptr) << host;
    EXPECT_EQ(device::ReadDeviceSetting("TimeZone"), host);
    device::UseRootFolder(other.Path());
    EXPECT_EQ(device::DeviceZoneName(), "Pacific/Chatham");

    // A DEVICE_TZ that names nothing is said once and ignored.
    setenv("DEVICE_TZ", "Nowhere/Atlantis", 1);
    device::UseRootFolder(Root());
    testing::internal::CaptureStderr();
    EXPECT_EQ(device::DeviceZoneName(), host);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Nowhere/Atlantis"), std::string::npos);
    device::UseRootFolder(Root());
}

TEST_F(DeviceTimeTest, AChangeByAnotherProcessIsSeenWithinASecond) {
    Use("Europe/Paris", "2026-07-15T12:00:00Z");
    SYSTEMTIME st{};
    GetLocalTime(&st);
    EXPECT_EQ(st.wHour, 14);
    // Another process writes the setting through its own connection.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(device::DatabaseFile().c_str(), &other), SQLITE_OK);
    sqlite3_busy_timeout(other, 5000);
    ASSERT_EQ(sqlite3_exec(other, "UPDATE device_setting SET value = 'Asia/Tokyo' WHERE name = 'TimeZone'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    GetLocalTime(&st);
    EXPECT_EQ(st.wHour, 21);
    EXPECT_EQ(device::DeviceZoneName(), "Asia/Tokyo");
}

TEST_F(DeviceTimeTest, TheZoneIsReadFromTheReleaseInTheZoneFolder) {
    // A made-up release in which Paris keeps winter time from 2027 on.
    auto release = testsupport::CompileZones("# version 2099z\n"
                                             "R E 1981 ma - Mar lastSu 1u 1 S\nR E 1996 ma - O lastSu 1u 0 -\n"
                                             "Z Europe/Paris 0:9:21 - LMT 1891 Mar 16\n1 E CE%sT 2027\n1 - CET\n");
    Use("Europe/Paris", "2027-07-15T12:00:00Z");
    SYSTEMTIME st{};
    GetLocalTime(&st);
    EXPECT_EQ(st.wHour, 14); // the carried release: summer time
    setenv("TZDIR", release->Path().c_str(), 1);
    device::ReloadDeviceZone();
    GetLocalTime(&st);
    EXPECT_EQ(st.wHour, 13);
    device::SetDeviceClock("2026-07-15T12:00:00Z");
    GetLocalTime(&st);
    EXPECT_EQ(st.wHour, 14); // its 2026 is still the old one
}

TEST_F(DeviceTimeTest, MissingOrCorruptZoneFileFallsBackToUtcSaidOnce) {
    testsupport::TempFolder tzdir("jorvana-tzdir-");
    std::filesystem::create_directories(tzdir.Path() / "Europe");
    std::ofstream(tzdir.Path() / "Europe/Paris") << "TZif2 but nothing that follows makes sense";
    Use("Europe/Paris", "2026-07-15T12:00:00Z");
    setenv("TZDIR", tzdir.Path().c_str(), 1);
    for (const char* zone : {"Europe/Paris", "Europe/Berlin"}) { // corrupt, then missing
        device::WriteDeviceSetting("TimeZone", zone);
        device::ReloadDeviceZone();
        testing::internal::CaptureStderr();
        SYSTEMTIME st{};
        GetLocalTime(&st);
        EXPECT_EQ(st.wHour, 12) << zone;
        GetLocalTime(&st);
        device::ReloadDeviceZone();
        TIME_ZONE_INFORMATION tzi{};
        EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_UNKNOWN);
        EXPECT_EQ(tzi.Bias, 0);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(zone), std::string::npos) << err;
        EXPECT_NE(err.find("UTC"), std::string::npos) << err;
        EXPECT_EQ(err.find("device:"), err.rfind("device:")) << "said more than once: " << err;
    }
    // The zone name is kept: with the file back, the zone is used again.
    testsupport::UseCarriedTzdir();
    device::ReloadDeviceZone();
    EXPECT_EQ(device::DeviceZoneName(), "Europe/Berlin");
    SYSTEMTIME st{};
    GetLocalTime(&st);
    EXPECT_EQ(st.wHour, 14);
}

TEST_F(DeviceTimeTest, AnUnusableDeviceDatabaseLeavesTheZoneFromTheEnvironment) {
    device::DeviceDb::Close();
    std::ofstream(device::DatabaseFile(), std::ios::binary) << std::string(4096, 'x');
    setenv("DEVICE_TZ", "Asia/Kolkata", 1);
    device::ReloadDeviceZone();
    device::SetDeviceClock("2026-07-01T00:00:00Z");
    testing::internal::CaptureStderr();
    SYSTEMTIME st{};
    GetLocalTime(&st);
    EXPECT_EQ(Text(st), "2026-07-01 05:30:00.000 w3");
    // Nothing can be stored: the change is refused, not pretended.
    EXPECT_FALSE(device::SetDeviceZone("Europe/Paris"));
    EXPECT_EQ(device::DeviceZoneName(), "Asia/Kolkata");
    testing::internal::GetCapturedStderr();
}

TEST_F(DeviceTimeTest, ZoneChangesWhileOtherThreadsReadTheTime) {
    Use("Europe/Paris", "2026-07-15T12:00:00Z");
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 4; ++i) {
        readers.emplace_back([&] {
            while (!stop) {
                SYSTEMTIME st{};
                GetLocalTime(&st);
                TIME_ZONE_INFORMATION tzi{};
                GetTimeZoneInformation(&tzi);
                if (st.wHour != 14 && st.wHour != 21) ++wrong; // Paris or Tokyo
            }
        });
    }
    for (int i = 0; i < 50; ++i)
        EXPECT_TRUE(device::SetDeviceZone(i % 2 ? "Europe/Paris" : "Asia/Tokyo"));
    stop = true;
    for (auto& t : readers)
        t.join();
    EXPECT_EQ(wrong, 0);
}
