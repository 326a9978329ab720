#pragma once
// The device's time and time zone: the system time calls (SYSTEMTIME, FILETIME, local time,
// time-zone information) and the C-runtime local-time functions under the framework's time
// class. Everything follows the DEVICE zone, a device setting kept in device.db, never the
// host's TZ variable.
//
// The device zone is named by an IANA name ("Europe/Paris", read from the system tzdata, or
// from TZDIR when set) or by a POSIX TZ rule ("<+0530>-05:30", what SetTimeZoneInformation
// stores). A process first using a device root stores DEVICE_TZ there when it is set; without it
// the zone already stored stays, and a new device starts with the host's zone (/etc/timezone or
// the /etc/localtime link), else UTC. A zone whose file is missing or corrupt is replaced by UTC,
// said once on stderr. Changes made by another process of the same device root are seen within
// a second.
//
// GetTimeZoneInformation names the two periods by their abbreviations ("CET", "CEST", "+0530").
// The period with the larger offset is reported as daylight time, also for zones whose tzdata
// flags winter time as daylight saving (Europe/Dublin), as the device's own zone tables do.

#include "platform/base/WinTypes.h"
#include "platform/system/TzFile.h"

#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#define TIME_ZONE_ID_UNKNOWN 0u
#define TIME_ZONE_ID_STANDARD 1u
#define TIME_ZONE_ID_DAYLIGHT 2u
#define TIME_ZONE_ID_INVALID 0xFFFFFFFFu

struct TIME_ZONE_INFORMATION {
    LONG Bias; // minutes: UTC = local standard time + Bias
    WCHAR StandardName[32];
    SYSTEMTIME StandardDate; // when daylight time ends, in daylight time (wMonth 0: no daylight time)
    LONG StandardBias;
    WCHAR DaylightName[32];
    SYSTEMTIME DaylightDate; // when daylight time starts, in standard time
    LONG DaylightBias;       // usually -60
};
typedef TIME_ZONE_INFORMATION* LPTIME_ZONE_INFORMATION;
typedef TIME_ZONE_INFORMATION* PTIME_ZONE_INFORMATION;

// StandardDate and DaylightDate use the day-in-month form: wYear 0, wMonth, wDayOfWeek (Sunday 0),
// wDay = occurrence of that weekday in the month 1..5 (5 = the last), wHour, wMinute, wSecond.

void GetSystemTime(LPSYSTEMTIME time);
void GetLocalTime(LPSYSTEMTIME time);
// FALSE with ERROR_INVALID_PARAMETER for a field out of range (month 13, 31 April, hour 24...)
// or a year outside 1601..30827; wDayOfWeek is not read.
BOOL SystemTimeToFileTime(const SYSTEMTIME* time, LPFILETIME fileTime);
// Fills every field, wDayOfWeek included; FALSE for a value past 0x7FFFFFFFFFFFFFFF.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME time);
// Both use the offset in force at the converted instant (not the current one), so a winter date
// converts with winter time in summer too. A local time that occurs twice (when clocks go back)
// is taken as the first; one that does not occur (when clocks go forward) is moved forward.
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime);
// TIME_ZONE_ID_UNKNOWN for a zone without daylight time this year, else STANDARD or DAYLIGHT
// as the device is now; TIME_ZONE_ID_INVALID for a null pointer.
DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION info);
// Makes the described zone the device zone, kept as a POSIX rule; the names are not kept.
// Dates must be in the day-in-month form.
BOOL SetTimeZoneInformation(const TIME_ZONE_INFORMATION* info);

namespace device {

// Makes an IANA zone name or a POSIX TZ rule the device zone, for every process of this device
// root. False (ERROR_INVALID_PARAMETER) for a name no zone can be read for; nothing changes then.
bool SetDeviceZone(const std::string& name);
std::string DeviceZoneName();
// The zone in force, loaded once and shared.
std::shared_ptr<const TzZone> DeviceZone();
// Forgets the loaded zone so that the next call reads the setting and the zone file again.
void ReloadDeviceZone();
// Loads a zone by IANA name or POSIX rule without touching the device setting; null with a
// reason when there is none.
std::shared_ptr<const TzZone> LoadZoneNamed(const std::string& name, std::string* error);

// The folder of the system tzdata: TZDIR when set, else /usr/share/zoneinfo.
std::filesystem::path ZoneFolder();

// The device's "now" in seconds since 1970-01-01 UTC.
time_t DeviceTimeNow();

// localtime_r in the device zone: also fills tm_isdst, tm_gmtoff and tm_zone (an abbreviation
// that stays valid for the life of the process). False when the year does not fit.
bool DeviceLocaltime(time_t utc, struct tm* out);
// mktime in the device zone: normalises the fields, and with tm_isdst < 0 lets the zone decide
// daylight saving (a repeated hour is the first one; a skipped hour is moved forward by the
// gap). tm_isdst 0 or 1 that the zone does not have at that time reads the fields in the other
// offset, as mktime does. -1 for fields out of range, *tm then left unchanged.
time_t DeviceMktime(struct tm* tm);

// The same in a given zone.
bool LocalFromUtc(const TzZone& zone, int64_t utc, struct tm* out);
bool UtcFromLocal(const TzZone& zone, struct tm* tm, int64_t* utc);

// The time-zone information of a zone for the local year of an instant.
DWORD ZoneInformationAt(const TzZone& zone, int64_t utc, TIME_ZONE_INFORMATION* info);

} // namespace device
