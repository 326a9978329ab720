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
// the moved bounds. A city that follows the machine's tzdata (core/FollowedZones.h) carries its
// zone's windows the same way, each with the shift the zone has then: every evaluation below
// takes the shift of the window in question, never the rule's own.

#include <algorithm>
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
// these, and only these, are open. Civil standard time, in order, none overlapping another; each
// window with its own shift (a zone can keep summer time of one hour and of two in one year, or
// move its clocks back for a pause).
struct Schedule {
    int firstYear = 0, lastYear = 0;
    struct Span {
        long long start, end;
        int shift; // hours
    };
    std::vector<Span> windows;
    bool Covers(long long year) const { return year >= firstYear && year <= lastYear; }
};

struct Rule {
    bool hasDst = false;
    int shift = 0; // hours
    int startDay = 0, startHour = 0, endDay = 0, endHour = 0;
    int year = 0; // the year whose dates the day numbers are; 0: the same numbers every year
    // The zone's windows year by year, where the per-year file holds this rule's zone or the
    // city follows the machine's tzdata; null for every other rule and for a rule the user wrote.
    // In the years it covers it stands in for the fields, also for a rule "0".
    std::shared_ptr<const Schedule> schedule;
};

// Whether any window of the rule can open: its own, or one of its schedule's.
inline bool Observes(const Rule& rule) {
    return rule.hasDst || (rule.schedule && !rule.schedule->windows.empty());
}

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

// A schedule's window as a rule's window; a null span gives one that never opens (at from), and
// no daylight saving at all unless a later window of the schedule is still to open.
// Windows that meet with the same shift are one summer to the user (a file may cut a summer that
// runs across the new year in two, one window for each year): the window runs from the first of
// them to the last.
inline Window ScheduleWindow(const Schedule& schedule, const Schedule::Span* span, long long from,
                             bool laterWindows = false) {
    Window w;
    w.hasDst = span || laterWindows;
    w.shift = span ? span->shift : 0;
    w.start = span ? span->start : from;
    w.end = span ? span->end : from;
    if (!span) return w;
    const auto& spans = schedule.windows;
    for (size_t i = static_cast<size_t>(span - spans.data()); i > 0; --i) {
        if (spans[i - 1].end != spans[i].start || spans[i - 1].shift != span->shift) break;
        w.start = spans[i - 1].start;
    }
    for (size_t i = static_cast<size_t>(span - spans.data()) + 1; i < spans.size(); ++i) {
        if (spans[i].start != spans[i - 1].end || spans[i].shift != span->shift) break;
        w.end = spans[i].end;
    }
    return w;
}

// The index of the first window of a schedule that opens at or after t (civil standard time).
inline size_t FirstOpeningFrom(const Schedule& schedule, long long t) {
    const auto& spans = schedule.windows;
    return static_cast<size_t>(std::lower_bound(spans.begin(), spans.end(), t,
                                                [](const Schedule::Span& s, long long v) { return s.start < v; }) -
                               spans.begin());
}

// The first window of a schedule that opens in the year (civil standard time).
inline Window ScheduleWindowOfYear(const Schedule& schedule, long long year) {
    const long long yearStart = Civil(year, 1, 1, 0), nextYear = Civil(year + 1, 1, 1, 0);
    const size_t i = FirstOpeningFrom(schedule, yearStart);
    if (i < schedule.windows.size() && schedule.windows[i].start < nextYear)
        return ScheduleWindow(schedule, &schedule.windows[i], yearStart);
    return ScheduleWindow(schedule, nullptr, yearStart, i < schedule.windows.size());
}

// The window of a schedule that matters for the standard time t, seen from the year: the one
// open at t; else the next to open in the year; else the last that opened in it (over, as a
// rule's window of the year is after its end); else the next to open at all, or one that never
// opens. Found by halving, so that a schedule of centuries costs a tick no more than one of years.
inline Window ScheduleWindowAt(const Schedule& schedule, long long year, long long t) {
    const auto& spans = schedule.windows;
    const long long yearStart = Civil(year, 1, 1, 0), nextYear = Civil(year + 1, 1, 1, 0);
    // The next window to open after t, and the last one that opened at or before it.
    const size_t next = FirstOpeningFrom(schedule, t + 1);
    if (next > 0 && t < spans[next - 1].end) return ScheduleWindow(schedule, &spans[next - 1], yearStart);
    // The last window that opened in the year, up to t (all of them are over).
    const size_t inYearEnd = std::min(next, FirstOpeningFrom(schedule, nextYear));
    const Schedule::Span* lastOfYear =
        inYearEnd > 0 && spans[inYearEnd - 1].start >= yearStart ? &spans[inYearEnd - 1] : nullptr;
    if (next < spans.size()) {
        const bool ofYear = spans[next].start >= yearStart && spans[next].start < nextYear;
        return ScheduleWindow(schedule, ofYear || !lastOfYear ? &spans[next] : lastOfYear, yearStart);
    }
    return ScheduleWindow(schedule, lastOfYear, yearStart);
}

inline Window WindowOfYear(const Rule& rule, long long year) {
    Window w;
    if (rule.schedule && rule.schedule->Covers(year)) return ScheduleWindowOfYear(*rule.schedule, year);
    if (!rule.hasDst) return w;
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
    if (rule.schedule && rule.schedule->Covers(year)) return ScheduleWindowAt(*rule.schedule, year, t);
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

// The shift in hours that the city's clock has at the standard time t: the open window's, else 0.
inline int ShiftAt(const Rule& rule, long long standard) {
    const Window w = WindowAt(rule, standard);
    return w.Contains(standard) ? w.shift : 0;
}

// What the city's clock is doing at a moment: inside a window or not, and the shift it shows.
struct ClockState {
    bool inside = false;
    int shift = 0; // hours; 0 outside
};

inline ClockState StateAt(const Rule& rule, long long standard) {
    const Window w = WindowAt(rule, standard);
    return w.Contains(standard) ? ClockState{true, w.shift} : ClockState{};
}

// The ways a wall time of the city's clock can be read as its standard time: the wall time less
// each shift the clock can have around then (none, the rule's, the shifts of the schedule's
// windows within a day of it). A reading is right when the clock has that very shift at it.
struct WallReadings {
    static constexpr int kMost = 8; // shifts tried at most: a clock changes a few times a day at most
    long long right[kMost];         // the right readings, earliest first
    int rightCount = 0;
    // For a wall time the clocks skip (no reading is right): the reading with the shift the clock
    // had before it jumped, which the clock shows moved forward by the jump.
    long long movedForward = 0;
};

inline WallReadings ReadWall(const Rule& rule, long long wall) {
    // Read at every tick for the home city: kept off the heap.
    int shifts[WallReadings::kMost];
    int count = 0;
    auto add = [&](int shift) {
        for (int i = 0; i < count; ++i)
            if (shifts[i] == shift) return;
        if (count < WallReadings::kMost) shifts[count++] = shift;
    };
    add(0);
    if (rule.hasDst) add(rule.shift);
    if (rule.schedule) {
        const auto& spans = rule.schedule->windows;
        const long long day = 26 * 3600LL; // more than the largest shift a zone has had
        const size_t from = FirstOpeningFrom(*rule.schedule, wall - day);
        if (from > 0 && spans[from - 1].end > wall - day) add(spans[from - 1].shift);
        for (size_t i = from; i < spans.size() && spans[i].start < wall + day; ++i) add(spans[i].shift);
    }
    // A few at most: sorted in place (std::sort on so small a stack array trips GCC's bounds warning).
    for (int i = 1; i < count; ++i)
        for (int j = i; j > 0 && shifts[j - 1] > shifts[j]; --j) std::swap(shifts[j - 1], shifts[j]);
    WallReadings readings;
    readings.movedForward = wall - shifts[0] * 3600LL;
    bool jumpFound = false;
    // Larger shifts give earlier readings: walked from the largest, the readings come in order.
    for (int i = count - 1; i >= 0; --i) {
        const long long t = wall - shifts[i] * 3600LL;
        const int shown = ShiftAt(rule, t);
        if (shown == shifts[i]) readings.right[readings.rightCount++] = t;
        // Read with the shift from before a jump, the wall time falls after it, where the clock
        // shows more: the largest such shift is the one the clock jumped from.
        if (shown > shifts[i] && !jumpFound) {
            readings.movedForward = t;
            jumpFound = true;
        }
    }
    return readings;
}

// The state of a city whose wall time the device's clock shows: the wall time is read with each
// shift, and the readings that agree with the windows decide. Where they disagree (the hour the
// clocks go back through twice) or none does (the hour they skip), the device's instant decides:
// utc plus the standard offset in minutes.
inline ClockState WallState(const Rule& rule, int standardMinutes, long long wall, long long utc) {
    if (!Observes(rule)) return {};
    const WallReadings readings = ReadWall(rule, wall);
    if (readings.rightCount > 0) {
        const ClockState first = StateAt(rule, readings.right[0]);
        bool agree = true;
        for (int i = 1; i < readings.rightCount; ++i) {
            const ClockState other = StateAt(rule, readings.right[i]);
            agree = agree && other.inside == first.inside && other.shift == first.shift;
        }
        if (agree) return first;
    }
    return StateAt(rule, utc + standardMinutes * 60LL);
}

// Whether a city whose wall time the device's clock shows is in its summer time (WallState).
inline bool WallInside(const Rule& rule, int standardMinutes, long long wall, long long utc) {
    return WallState(rule, standardMinutes, wall, utc).inside;
}

// The standard time at which the city's clock shows the wall time: the reading that agrees with
// the windows; a wall time shown twice is the first, one that the clocks skip is moved forward.
inline long long WallToStandard(const Rule& rule, long long wall) {
    if (!Observes(rule)) return wall;
    const WallReadings readings = ReadWall(rule, wall);
    return readings.rightCount == 0 ? readings.movedForward : readings.right[0];
}

// The later standard-time reading of a wall time that the city's clock shows twice (the hour the
// clocks go back through); for any other wall time the same as WallToStandard.
inline long long WallToStandardLater(const Rule& rule, long long wall) {
    if (!Observes(rule)) return wall;
    const WallReadings readings = ReadWall(rule, wall);
    return readings.rightCount == 0 ? readings.movedForward : readings.right[readings.rightCount - 1];
}

// The offset in minutes east of UTC that the city's clock has at the standard time t.
inline int MinutesAt(const Rule& rule, int standardMinutes, long long standard) {
    return standardMinutes + ShiftAt(rule, standard) * 60;
}

} // namespace dstmath
