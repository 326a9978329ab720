#pragma once
// Daylight-saving rules of cities and the zone values they give.
//
// A DstRule text is "0" (no daylight saving) or five fields separated by ":": the shift in whole
// hours, the start day of the year (1 = 1 January), the start hour, the end day and the end
// hour. Day n is always 1 January plus n - 1 days, so 0 is 31 December of the year before. A
// window whose end month comes before its start month runs into the next year (a southern
// hemisphere summer). The day numbers are dates of the city list's year; in other years each
// bound falls on the same weekday of its month (core/DstMath.h).

#include "core/DstMath.h"
#include "core/DstSchedule.h"
#include "platform/base/CString.h"

#include <ctime>

class CCitiesDb;

// The fields of a rule: hasDst is false for "0" (the text before the first ":" is exactly "0").
using DstRuleFields = dstmath::Rule;

// One city's daylight-saving period: start <= t < end. Both bounds are wall-clock readings of
// the city's standard time counted as civil seconds (see CivilTime), so that they compare with
// the city's standard time without the device's own zone or its clock changes coming between.
using DstWindow = dstmath::Window;

// The fields of a rule text whose day numbers are dates of ruleYear (0: the same numbers in
// every year). Missing fields and fields that do not begin with a digit or a sign read 0. With
// the per-year windows of the shipped file, a rule that is one of its zones' takes their
// windows in the years they are given for (core/DstSchedule.h).
DstRuleFields ParseDstRule(const CString& rule, int ruleYear,
                           const dstmath::ScheduleList* schedules = nullptr);
// The rule of a city of the store, its day numbers those of the list the store was built from,
// with the store's per-year windows.
DstRuleFields CityDstRule(CCitiesDb& cities, DWORD index);

// The rule's window of the year: from the start day at the start hour to the end day at the end
// hour, the end moved into the next year when its month comes before the start's month. A rule
// without daylight saving gives a window that is never open.
DstWindow GetDstWindow(const DstRuleFields& rule, int year);

// The same, seen from the year of the civil time t itself.
DstWindow GetDstWindowAt(const DstRuleFields& rule, time_t t);

// The window that matters for the instant t, seen from the given year: the year's own window,
// or, for a rule whose window runs across the new year and an instant before this year's start,
// the window that opened the year before when t still lies before its end. Thus a city on a
// southern-hemisphere rule is inside its window both after the start (October) and before the
// end (March). When t is outside, the result is the next window to open.
DstWindow GetDstWindowAt(const DstRuleFields& rule, int year, time_t t);

// An HhmmOffset moved by a shift in whole hours: whole-hour offsets (-100..100) take the shift
// as it is, hours*100+minutes offsets take shift * 100.
int AddDstShift(int offset, int shift);

// A wall-clock reading as a plain count: seconds from 1 January 1970 00:00 to the given date and
// time on the calendar, no zone involved (so no hour is skipped or repeated). Days, hours and
// minutes beyond their ranges carry over (day 0 of a month is the last day of the one before).
time_t CivilTime(int year, int month, int day, int hour, int minute = 0, int second = 0);
// The calendar fields of a civil time.
void CivilFields(time_t civil, int& year, int& month, int& day, int& hour, int& minute, int& second);
// The device's local wall time now, as a civil time.
time_t DeviceWallNow();
// The civil time at the given date and hour (minutes and seconds 0).
time_t LocalHourTime(int year, int month, int day, int hour);

// The city's current standard time, to the hour: the device's wall time moved by the city's
// offset less the reference zone (the zone the device's clock stands for), as a civil time.
time_t CityStandardHour(int offset, int referenceHours, int referenceMinutes);

// An HhmmOffset in minutes east of UTC.
int OffsetMinutes(int offset);

// Whether a city whose wall time the device's clock shows (the home city) is inside its
// daylight-saving window now. The rule's bounds are in the city's standard time, and the wall
// time is its summer time while the window is open: the wall time is read both ways and the
// reading that agrees with the window wins. In the hour that occurs twice when the clocks go
// back (both readings agree) and in the one that is skipped when they go forward (neither
// does), the device's instant decides: utc plus the city's standard offset.
bool WallTimeInsideWindow(const DstRuleFields& rule, int standardOffset, time_t wall, time_t utc);
// The same for now: the device's wall time and its instant.
bool WallTimeInsideWindowNow(const DstRuleFields& rule, int standardOffset);

// The city's standard time (civil) at which its clock shows the wall time: of the two readings
// (standard, or summer time less the shift) the one that agrees with the window; a wall time that
// occurs twice is the first, one that the clocks skip is moved forward by the shift.
time_t WallToStandard(const DstRuleFields& rule, time_t wall);
// The later of the two readings of a wall time that occurs twice; otherwise as WallToStandard.
time_t WallToStandardLater(const DstRuleFields& rule, time_t wall);

// The dates of a window as the city information shows them: "d/m/yyyy - d/m/yyyy", or only
// "d/m/yyyy -" for a window tzdata gives no end (a zone on its summer time for good).
CString DstWindowDates(const DstWindow& window);
// The shift of an open window as the offset's suffix shows it: the rule's shift field as written
// when the window has the rule's own shift, else the window's shift in decimal.
CString DstShiftText(const CString& rule, int shift);

// An integer from the leading characters of a text: an optional sign and decimal digits; 0 for
// an empty text or one that begins otherwise. Clamped to the 32-bit range.
int ReadLeadingInt(const CString& text);

// The zone the device's clock shows now (its summer time included while it observes it) as a
// reference zone: hours and minutes both of the zone's sign (5 h 30 min east is 5 and 30).
void DeviceZoneReferenceNow(int& hours, int& minutes);

// The reference zone of a home city whose wall time the device's clock shows: its standard
// offset, with its shift while its window is open now (WallTimeInsideWindowNow), as hours and
// minutes of one sign. Returns whether the window is open.
bool HomeCityReferenceNow(const DstRuleFields& rule, int standardOffset, int& hours, int& minutes);
