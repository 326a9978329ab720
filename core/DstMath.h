#pragma once
// Calendar arithmetic of the cities' daylight-saving rules, on plain numbers only, so that the
// program and the Today plug-in (which shares no code with it) judge a rule the same way.
//
// Times are civil: seconds from 1 January 1970 00:00 to a reading of a wall clock, with no zone
// involved, so that no hour is skipped or repeated. A rule's window is given in the city's
// standard time: day n of the year is 1 January plus n - 1 days, at the rule's hour. A window
// whose end month comes before its start month runs into the next year (a southern summer); an
// end in the start's month stays in the same year, and such a window is empty.
//
// A rule's day numbers are dates of one year, the year of the city list it came from. In any
// other year each bound falls on the same weekday of the same month, counted the same way: a
// bound on the last Sunday of March stays on the last Sunday of March, one on the second Sunday
// stays on the second Sunday (how nearly every zone's rule is made). A rule without a year reads
// its day numbers alike in every year.
//
// A zone whose pause moves with the moon (the weeks of Ramadan) follows no weekday: its rule
// can carry the zone's windows one by one for the years they are known (a Schedule, read from
// the shipped per-year file by core/DstSchedule.h), and in those years they take the place of
// the moved bounds.

#include <memory>
#include <vector>

namespace dstmath {

inline long long FloorDiv(long long a, long long b) {
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar (month 1-12).
inline long long DaysFromCivil(long long y, int m, int d) {
    y -= m <= 2;
    const long long era = FloorDiv(y, 400);
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

inline void CivilFromDays(long long z, long long& y, int& m, int& d) {
    z += 719468;
    const long long era = FloorDiv(z, 146097);
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2);
}

// The civil time of a date and time; months beyond 1-12 carry into the year, days, hours,
// minutes and seconds beyond their ranges carry over.
inline long long Civil(long long year, long long month, long long day, long long hour, long long minute = 0,
                       long long second = 0) {
    const long long y = year + FloorDiv(month - 1, 12);
    const int m = static_cast<int>(month - 1 - 12 * FloorDiv(month - 1, 12)) + 1;
    return (DaysFromCivil(y, m, 1) + day - 1) * 86400 + hour * 3600 + minute * 60 + second;
}

struct Fields {
    long long year;
    int month, day, hour, minute, second;
};

inline Fields FieldsOf(long long civil) {
    Fields f{};
    const long long days = FloorDiv(civil, 86400);
    const long long rest = civil - days * 86400;
    CivilFromDays(days, f.year, f.month, f.day);
    f.hour = static_cast<int>(rest / 3600);
    f.minute = static_cast<int>(rest / 60 % 60);
    f.second = static_cast<int>(rest % 60);
    return f;
}

// An HhmmOffset (whole hours from -100 to 100, else hours * 100 + minutes, both of its sign) in
// minutes east of UTC.
inline int OffsetMinutes(int offset) {
    if (offset >= -100 && offset <= 100) return offset * 60;
    return offset / 100 * 60 + offset % 100;
}

// An HhmmOffset moved by a daylight-saving shift of whole hours, in the offset's own form.
inline int AddShift(int offset, int hours) {
    return (offset >= -100 && offset <= 100) ? offset + hours : offset + hours * 100;
}

struct Window {
    bool hasDst = false;
    int shift = 0;
    long long start = 0; // inclusive
    long long end = 0;   // exclusive
    bool Contains(long long t) const { return hasDst && start <= t && t < end; }
};

// The windows of one zone, year by year: from 1 January of firstYear to the end of lastYear
// these, and only these, are open. Civil standard time, in order, none overlapping another.
struct Schedule {
    int shift = 0;
    int firstYear = 0, lastYear = 0;
    struct Span {
        long long start, end;
    };
    std::vector<Span> windows;
    bool Covers(long long year) const { return year >= firstYear && year <= lastYear; }
};

struct Rule {
    bool hasDst = false;
    int shift = 0; // hours
    int startDay = 0, startHour = 0, endDay = 0, endHour = 0;
    int year = 0; // the year whose dates the day numbers are; 0: the same numbers every year
    // The zone's windows year by year, where the per-year file holds this rule's zone; null
    // for every other rule and for a rule the user wrote.
    std::shared_ptr<const Schedule> schedule;
};

// Day and hour numbers are not range-checked by the rule's authors; ones this far out only keep
// the arithmetic inside the years a calendar can hold.
inline long long ClampRuleNumber(long long n) {
    const long long limit = 36600;
    return n < -limit ? -limit : (n > limit ? limit : n);
}

inline bool IsLeapYear(long long year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

inline int DaysInMonth(long long year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// The weekday of a day counted from 1970-01-01 (a Thursday): 0 Sunday to 6 Saturday.
inline int WeekdayOfDays(long long days) { return static_cast<int>(days + 4 - 7 * FloorDiv(days + 4, 7)); }

// The day (counted from 1970-01-01) that day n of baseYear becomes in year. By date it keeps
// its month and day of month; by weekday it is the same occurrence of its weekday in its month:
// the last one when it was the last of its month, else the first, second, third or fourth.
inline long long MovedDay(long long n, long long baseYear, long long year, bool byWeekday) {
    const long long base = DaysFromCivil(baseYear, 1, 1) + ClampRuleNumber(n) - 1;
    if (year == baseYear) return base;
    long long baseDateYear = 0;
    int m = 0, d = 0;
    CivilFromDays(base, baseDateYear, m, d);
    const long long y = baseDateYear + (year - baseYear);
    if (!byWeekday) return DaysFromCivil(y, m, 1) + d - 1;
    const int weekday = WeekdayOfDays(base);
    if (d + 7 > DaysInMonth(baseDateYear, m)) {
        const long long last = DaysFromCivil(y, m, DaysInMonth(y, m));
        return last - (WeekdayOfDays(last) - weekday + 7) % 7;
    }
    const long long first = DaysFromCivil(y, m, 1);
    return first + (weekday - WeekdayOfDays(first) + 7) % 7 + 7 * ((d - 1) / 7);
}

// A bound of the rule (day n at the hour) for the window of windowYear, placed in year: the
// window's own year, or the next one for the end of a window that runs into it. Without a rule
// year the bound keeps the date day n has in windowYear.
inline long long RuleBound(const Rule& rule, int day, int hour, long long windowYear, long long year) {
    const long long days =
        rule.year ? MovedDay(day, rule.year, year, true) : MovedDay(day, windowYear, year, false);
    return days * 86400 + ClampRuleNumber(hour) * 3600;
}

// A schedule's window as a rule's window; a null span gives one that never opens (at from).
inline Window ScheduleWindow(const Schedule& schedule, const Schedule::Span* span, long long from) {
    Window w;
    w.hasDst = true;
    w.shift = schedule.shift;
    w.start = span ? span->start : from;
    w.end = span ? span->end : from;
    return w;
}

// The first window of a schedule that opens in the year (civil standard time).
inline Window ScheduleWindowOfYear(const Schedule& schedule, long long year) {
    const long long yearStart = Civil(year, 1, 1, 0), nextYear = Civil(year + 1, 1, 1, 0);
    for (const Schedule::Span& span : schedule.windows)
        if (span.start >= yearStart && span.start < nextYear)
            return ScheduleWindow(schedule, &span, yearStart);
    return ScheduleWindow(schedule, nullptr, yearStart);
}

// The window of a schedule that matters for the standard time t, seen from the year: the one
// open at t; else the next to open in the year; else the last that opened in it (over, as a
// rule's window of the year is after its end); else the next to open at all, or one that never
// opens.
inline Window ScheduleWindowAt(const Schedule& schedule, long long year, long long t) {
    const long long yearStart = Civil(year, 1, 1, 0), nextYear = Civil(year + 1, 1, 1, 0);
    const Schedule::Span* lastOfYear = nullptr;
    for (const Schedule::Span& span : schedule.windows) {
        const bool ofYear = span.start >= yearStart && span.start < nextYear;
        if (span.start > t) {
            // The windows are in order: this is the next to open, and none after it holds t.
            return ScheduleWindow(schedule, ofYear || !lastOfYear ? &span : lastOfYear, yearStart);
        }
        if (t < span.end) return ScheduleWindow(schedule, &span, yearStart);
        if (ofYear) lastOfYear = &span;
    }
    return ScheduleWindow(schedule, lastOfYear, yearStart);
}

inline Window WindowOfYear(const Rule& rule, long long year) {
    Window w;
    if (!rule.hasDst) return w;
    if (rule.schedule && rule.schedule->Covers(year)) return ScheduleWindowOfYear(*rule.schedule, year);
    w.hasDst = true;
    w.shift = rule.shift;
    w.start = RuleBound(rule, rule.startDay, rule.startHour, year, year);
    w.end = RuleBound(rule, rule.endDay, rule.endHour, year, year);
    // Only the months are compared: an end whose month comes before the start's falls in the
    // next year; an end in the start's month stays in this year.
    if (FieldsOf(w.end).month < FieldsOf(w.start).month)
        w.end = RuleBound(rule, rule.endDay, rule.endHour, year, year + 1);
    return w;
}

// The window that matters for the standard time t, seen from the given year: the year's own,
// or, before its start, the one that opened the year before when it runs into this year and t
// lies before its end. When t is outside both, the next window to open.
inline Window WindowAt(const Rule& rule, long long year, long long t) {
    if (rule.hasDst && rule.schedule && rule.schedule->Covers(year))
        return ScheduleWindowAt(*rule.schedule, year, t);
    Window w = WindowOfYear(rule, year);
    if (!w.hasDst || t >= w.start) return w;
    const Window previous = WindowOfYear(rule, year - 1);
    if (t < previous.end && previous.end > previous.start &&
        FieldsOf(previous.end).month < FieldsOf(previous.start).month)
        return previous;
    return w;
}

inline Window WindowAt(const Rule& rule, long long t) { return WindowAt(rule, FieldsOf(t).year, t); }

inline bool InsideAt(const Rule& rule, long long standard) { return WindowAt(rule, standard).Contains(standard); }

// Whether a city whose wall time the device's clock shows is in its summer time: the wall time is
// read as standard time and as summer time, and the reading that agrees with the window wins.
// Where both agree (the hour the clocks go back through twice) or neither does (the hour they
// skip), the device's instant decides: utc plus the standard offset in minutes.
inline bool WallInside(const Rule& rule, int standardMinutes, long long wall, long long utc) {
    if (!rule.hasDst) return false;
    const bool standardAgrees = !InsideAt(rule, wall);
    const bool summerAgrees = InsideAt(rule, wall - rule.shift * 3600LL);
    if (standardAgrees != summerAgrees) return summerAgrees;
    return InsideAt(rule, utc + standardMinutes * 60LL);
}

// The standard time at which the city's clock shows the wall time: the reading that agrees with
// the window; a wall time shown twice is the first, one that the clocks skip is moved forward.
inline long long WallToStandard(const Rule& rule, long long wall) {
    if (!rule.hasDst || rule.shift == 0) return wall;
    const long long summer = wall - rule.shift * 3600LL;
    const bool standardAgrees = !InsideAt(rule, wall);
    const bool summerAgrees = InsideAt(rule, summer);
    if (standardAgrees != summerAgrees) return summerAgrees ? summer : wall;
    const long long earlier = summer < wall ? summer : wall;
    const long long later = summer < wall ? wall : summer;
    return standardAgrees ? earlier : later;
}

// The later standard-time reading of a wall time that the city's clock shows twice (the hour the
// clocks go back through); for any other wall time the same as WallToStandard.
inline long long WallToStandardLater(const Rule& rule, long long wall) {
    if (!rule.hasDst || rule.shift == 0) return wall;
    const long long summer = wall - rule.shift * 3600LL;
    if (!InsideAt(rule, wall) && InsideAt(rule, summer)) return summer > wall ? summer : wall;
    return WallToStandard(rule, wall);
}

// The offset in minutes east of UTC that the city's clock has at the standard time t.
inline int MinutesAt(const Rule& rule, int standardMinutes, long long standard) {
    return InsideAt(rule, standard) ? standardMinutes + rule.shift * 60 : standardMinutes;
}

} // namespace dstmath
