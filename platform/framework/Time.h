#pragma once
// CTime and CTimeSpan: instants in whole seconds since 1970-01-01 UTC, read and built in the
// device's time zone at the device's clock (never the host's), and spans between them.
//
// A CTime built from fields that are out of range (month 13, hour 24, a year before 1970 or
// after 3000) holds -1, the value the C runtime gives for a time it cannot represent; its
// fields then read as 0 and Format gives an empty text.

#include "platform/base/CString.h"

#include <ctime>

class CTimeSpan {
public:
    CTimeSpan() = default;
    CTimeSpan(time_t seconds) : m_span(seconds) {}
    CTimeSpan(LONG lDays, int nHours, int nMins, int nSecs)
        : m_span(((static_cast<time_t>(lDays) * 24 + nHours) * 60 + nMins) * 60 + nSecs) {}

    LONGLONG GetDays() const { return m_span / 86400; }
    LONGLONG GetTotalHours() const { return m_span / 3600; }
    LONG GetHours() const { return static_cast<LONG>(GetTotalHours() - GetDays() * 24); }
    LONGLONG GetTotalMinutes() const { return m_span / 60; }
    LONG GetMinutes() const { return static_cast<LONG>(GetTotalMinutes() - GetTotalHours() * 60); }
    LONGLONG GetTotalSeconds() const { return m_span; }
    LONG GetSeconds() const { return static_cast<LONG>(m_span - GetTotalMinutes() * 60); }
    time_t GetTimeSpan() const { return m_span; }

    // %D days, %H hours (00-23), %M minutes, %S seconds, %% a percent sign.
    CString Format(LPCWSTR pFormat) const;

    CTimeSpan operator+(CTimeSpan other) const { return m_span + other.m_span; }
    CTimeSpan operator-(CTimeSpan other) const { return m_span - other.m_span; }
    CTimeSpan& operator+=(CTimeSpan other) { m_span += other.m_span; return *this; }
    CTimeSpan& operator-=(CTimeSpan other) { m_span -= other.m_span; return *this; }
    auto operator<=>(const CTimeSpan&) const = default;

private:
    time_t m_span = 0;
};

class CTime {
public:
    // The device's "now" (its clock, DEVICE_CLOCK when set).
    static CTime GetCurrentTime();
    static BOOL IsValidFILETIME(const FILETIME& ft);

    CTime() = default;
    CTime(time_t time) : m_time(time) {}
    // A local time of the device's zone. nDST < 0 lets the zone decide daylight saving (a time
    // that occurs twice is the first, a skipped one moves forward by the gap); 0 or 1 read the
    // fields as standard or daylight time.
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);
    CTime(const SYSTEMTIME& st, int nDST = -1); // local time; milliseconds dropped
    CTime(const FILETIME& ft, int nDST = -1);   // UTC instant

    time_t GetTime() const { return m_time; }

    // Local fields in the device zone.
    int GetYear() const;
    int GetMonth() const;     // 1-12
    int GetDay() const;       // 1-31
    int GetHour() const;      // 0-23
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const; // 1 = Sunday .. 7 = Saturday

    // Null when the time is invalid; otherwise ptm filled and returned.
    struct tm* GetLocalTm(struct tm* ptm) const;
    struct tm* GetGmtTm(struct tm* ptm) const;
    // The local time; FALSE for an invalid time.
    BOOL GetAsSystemTime(SYSTEMTIME& st) const;

    // strftime-style codes on the local time: %a %A %b %B %c %d %H %I %j %m %M %p %S %U %w %W
    // %x %X %y %Y %z %Z %%, with "#" after "%" dropping leading zeros ("%#d" gives "5").
    CString Format(LPCWSTR pFormat) const;
    CString Format(UINT nFormatID) const;
    CString FormatGmt(LPCWSTR pFormat) const;

    CTime operator+(CTimeSpan span) const { return m_time + span.GetTimeSpan(); }
    CTime operator-(CTimeSpan span) const { return m_time - span.GetTimeSpan(); }
    CTimeSpan operator-(CTime other) const { return m_time - other.m_time; }
    CTime& operator+=(CTimeSpan span) { m_time += span.GetTimeSpan(); return *this; }
    CTime& operator-=(CTimeSpan span) { m_time -= span.GetTimeSpan(); return *this; }
    auto operator<=>(const CTime&) const = default;

private:
    time_t m_time = 0;
};
