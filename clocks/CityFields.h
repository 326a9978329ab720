#pragma once
// The checks a city's fields pass before the city store takes them from the user: a position on
// the map, a zone that an HhmmOffset can say, and a daylight-saving rule the clocks can read.

#include "platform/base/CString.h"

// The zones of the world lie from 12 hours west to 14 hours east of UTC, summer time included.
inline constexpr int kMinZoneMinutes = -12 * 60;
inline constexpr int kMaxZoneMinutes = 14 * 60;
// A rule's shift in whole hours either way, its days of the year, and its hours: an hour of the
// bound's day, or of a day up to two days before or after it (a change on the Saturday before a
// last Sunday is written as that Sunday's hour -22, so that it keeps its weekday in other years).
inline constexpr int kMaxDstShiftHours = 2;
inline constexpr int kMaxDayOfYear = 366;
inline constexpr int kMinRuleHour = -47;
inline constexpr int kMaxRuleHour = 71;

// The first field a city cannot use, in the order the form shows them.
enum class CityFieldFault {
    None,
    Longitude, // no number from -180 to 180
    Latitude,  // no number from -90 to 90
    Zone,      // no whole number that is an HhmmOffset from -12 to 14 hours
    DstRule,   // neither "0" nor five whole numbers in their ranges
    DstZone,   // the zone with the rule's shift leaves the range or the offset's form
};

// Judges the fields as the store would keep them (the caller trims blanks first). A rule "0" or
// "0:0:0:0:0" means no daylight saving.
CityFieldFault CheckCityFields(const CString& longitude, const CString& latitude, const CString& offset,
                               const CString& rule);
