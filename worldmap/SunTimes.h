#pragma once
// Sunrise, sunset and day length of a place for one date: a short low-precision solar model
// (mean elements of the sun, its declination and the equation of time at local noon), good to
// a minute or two outside the polar regions. Times are local to the place's zone, in hours.

#include "core/DstMath.h"
#include "platform/base/CString.h"

#include <ctime>

class CCitiesDb;

namespace suntimes {
// Pi as the model was tuned with: ten significant digits, not the full double.
inline constexpr double PI = 3.141592654;
inline constexpr double TWO_PI = 2.0 * PI;
inline constexpr double DEGS = 180.0 / PI;
inline constexpr double RADS = PI * 0.005555555555555556;
inline constexpr double SunDiameter = 0.53;                 // degrees
inline constexpr double HorizonRefraction = 34.0 / 60.0;    // degrees
} // namespace suntimes

// Days since 2000 Jan 0.0 for a calendar date and a universal time in hours.
double SunDayNumber(int year, int month, int day, float universalHours);

// The angle reduced into [0, 2 pi).
double RangeTwoPi(double angle);

// The sun's ecliptic longitude (radians, [0, 2 pi)) on day number d. meanLongitude and
// declination, when given, receive the sun's mean longitude and declination (radians).
double SunLongitude(double d, double* meanLongitude = nullptr, double* declination = nullptr);

// Half the day arc (radians, 0 to pi) at a latitude (degrees) for a declination (radians),
// with the sun's upper limb and the refraction at the horizon. Where the sun never sets the
// arc is a hair below pi; where it never rises it is 0.
double SunriseHalfArc(double latitudeDeg, double declination);

// "HH:MM" of a number of hours, both parts truncated (6.1 gives "06:05"); hours of 100 or
// more keep all their digits. A negative or non-finite value gives "00:00".
CString FormatHoursMinutes(double hours);

// Hours of the day: a time brought into [0, 24) by whole days (30.25 gives 6.25, -0.5 gives 23.5).
double WrapToDay(double hours);

// The sunrise and sunset text of a day the sun does not rise (polar night).
inline constexpr const wchar_t* kNoSunTime = L"--:--";

// One computation: the times in hours of the zone and their texts; in polar night (a day length
// of 0) the sunrise and sunset texts are kNoSunTime.
struct SunTimes {
    double sunrise = 0;
    double sunset = 0;
    double dayLength = 0;
    CString sunriseText;
    CString sunsetText;
    CString dayLengthText;
};

// The sun times of a place (longitude east positive, latitude north positive, degrees) on a
// date, for a zone of zoneHours east of UTC. Sunrise and sunset are brought into 0..24 by whole days.
SunTimes ComputeSunTimes(int day, int month, int year, double longitudeDeg, double latitudeDeg, double zoneHours);

// An HhmmOffset as hours: -100..100 are whole hours, otherwise hours*100 + minutes with the
// sign on both parts (530 gives 5.5, -330 gives -3.5).
double HhmmOffsetToHours(int offset);

// A city's daylight-saving window, as the clocks evaluate its rule: its bounds are readings of
// the city's standard time as civil times (clocks/DstRule.h). The world map does not evaluate
// rules itself: the caller passes the window it holds.
struct CityDstWindow {
    bool hasDst = false; // false for a rule "0" or one whose first field is "0"
    int shift = 0;       // hours added while the window is open
    time_t start = 0;    // inclusive
    time_t end = 0;      // exclusive
    bool Contains(time_t instant) const { return hasDst && start <= instant && instant < end; }
};

// The sun times that a place's clocks show on a date: sunrise and sunset each computed in the
// standard zone (an HhmmOffset) and given the shift of the rule when the standard time
// at which they happen lies inside its window. On the day the clocks change, each is thus read
// on the clock it happens under, whether the change is still to come or already past.
SunTimes ComputeSunTimesOnClocks(int day, int month, int year, double longitudeDeg, double latitudeDeg,
                                 int standardOffset, const dstmath::Rule& rule);

// The same for a city of the store, from its position, standard offset and rule.
SunTimes ComputeCitySunTimesOnClocks(CCitiesDb& cities, DWORD cityIndex, int day, int month, int year);
