#include "worldmap/SunTimes.h"

#include "clocks/DstRule.h"
#include "core/CitiesDb.h"
#include "core/DstMath.h"

#include <cmath>
#include <cstdint>
#include <cwchar>
#include <cwctype>

using namespace suntimes;

double SunDayNumber(int year, int month, int day, float universalHours) {
    int32_t whole = 367 * year - (7 * (year + (month + 9) / 12)) / 4 + (275 * month) / 9 + day;
    return static_cast<double>(whole) - 730530.0 + static_cast<double>(universalHours) * 0.041666666666666664;
}

double RangeTwoPi(double angle) {
    double b = angle / TWO_PI;
    double a = TWO_PI * (b - std::trunc(b));
    if (a < 0) a += TWO_PI;
    return a;
}

double SunLongitude(double d, double* meanLongitude, double* declination) {
    double w = 282.9404 + 4.70935e-5 * d;
    double M = 356.047 + 0.9856002585 * d;
    double L = RangeTwoPi(RADS * (M + w));
    double g = RangeTwoPi(RADS * M);
    double e = 0.016709 - 1.151e-9 * d;
    double obliquity = RADS * 23.4393 - RADS * d * 3.563e-7;

    // Eccentric anomaly (one step), then the true anomaly and distance.
    double E = M + DEGS * (1 + e * std::cos(g)) * std::sin(g) * e;
    E = DEGS * RangeTwoPi(RADS * E);
    double x = std::cos(RADS * E) - e;
    double y = std::sqrt(1 - e * e) * std::sin(RADS * E);
    double r = std::sqrt(x * x + y * y);
    double v = DEGS * std::atan2(y, x);
    double lon = v + w;
    if (lon > 360) lon -= 360;

    // Ecliptic to equatorial for the declination.
    x = r * std::cos(RADS * lon);
    y = r * std::sin(RADS * lon);
    double yEq = y * std::cos(obliquity);
    double zEq = y * std::sin(obliquity);
    if (meanLongitude) *meanLongitude = L;
    if (declination) *declination = std::atan2(zEq, std::sqrt(x * x + yEq * yEq));

    return RangeTwoPi(L + RADS * (1.915 * std::sin(g) + 0.02 * std::sin(2 * g)));
}

double SunriseHalfArc(double latitudeDeg, double declination) {
    double dfo = RADS * (SunDiameter * 0.5 + HorizonRefraction);
    if (latitudeDeg < 0) dfo = -dfo;
    double fo = std::tan(declination + dfo) * std::tan(RADS * latitudeDeg);
    if (fo > 0.99999) fo = 1.0; // the sun never sets
    if (fo < -1.0) fo = -1.0;   // the sun never rises: no arc at all
    return PI * 0.5 + std::asin(fo);
}

CString FormatHoursMinutes(double hours) {
    if (!std::isfinite(hours) || hours < 0 || hours > 1e6) hours = 0;
    long h = static_cast<long>(std::trunc(hours));
    long m = static_cast<long>(std::trunc((hours - static_cast<double>(h)) * 60));
    WCHAR text[32];
    std::swprintf(text, 32, L"%s%ld:%s%ld", h < 10 ? L"0" : L"", h, m < 10 ? L"0" : L"", m);
    return CString(text);
}

double WrapToDay(double hours) {
    if (!std::isfinite(hours)) return 0;
    double wrapped = std::fmod(hours, 24.0);
    if (wrapped < 0) wrapped += 24.0;
    if (wrapped >= 24.0) wrapped = 0; // a hair below 0 rounds up to 24 when 24 is added
    return wrapped;
}

double HhmmOffsetToHours(int offset) {
    if (offset >= -100 && offset <= 100) return offset;
    int hours = offset / 100;
    return hours + (offset - 100 * hours) / 60.0;
}

namespace {

// Sunrise and sunset in hours of the zone as the model gives them, before they are brought into
// the day, and the day length.
SunTimes RawSunTimes(int day, int month, int year, double longitudeDeg, double latitudeDeg,
                     double zoneHours) {
    double d = SunDayNumber(year, month, day, 12.0f);
    double L = 0;
    double declination = 0;
    double lambda = SunLongitude(d, &L, &declination);

    // Equation of time from the mean longitude and the right ascension, in minutes.
    double obliquity = RADS * 23.4393 - d * RADS * 3.563e-7;
    double alpha = std::atan2(std::sin(lambda) * std::cos(obliquity), std::cos(lambda));
    double LL = L - alpha;
    if (L < PI) LL += TWO_PI;
    double eq = 1440.0 * (1.0 - (LL / PI) * 0.5);
    // Just past the equinox of September the mean longitude has crossed pi while the right
    // ascension has not: the term then holds a whole day. Keep it within half a day of zero.
    if (eq > 720.0) eq -= 1440.0;
    if (eq < -720.0) eq += 1440.0;

    double ha = SunriseHalfArc(latitudeDeg, declination);
    SunTimes times;
    times.dayLength = DEGS * ha * 0.13333333333333333;
    if (times.dayLength < 0.0001) times.dayLength = 0;

    double k = (12.0 / PI) * ha;
    double noonShift = zoneHours - longitudeDeg * 0.06666666666666667 + eq * 0.016666666666666666;
    times.sunrise = 12.0 - k + noonShift;
    times.sunset = k + zoneHours + 12.0 - longitudeDeg * 0.06666666666666667 + eq * 0.016666666666666666;
    return times;
}

SunTimes WithTexts(SunTimes times) {
    // A place far from its zone's meridian can see either time cross midnight: both are
    // brought into 0..24 by whole days.
    times.sunrise = WrapToDay(times.sunrise);
    times.sunset = WrapToDay(times.sunset);
    // In polar night the sun neither rises nor sets: no times, a day length of 00:00 (in polar
    // day the half arc stops a hair below a whole day and both times are the same moment).
    const bool polarNight = times.dayLength == 0;
    times.sunriseText = polarNight ? CString(kNoSunTime) : FormatHoursMinutes(times.sunrise);
    times.sunsetText = polarNight ? CString(kNoSunTime) : FormatHoursMinutes(times.sunset);
    times.dayLengthText = FormatHoursMinutes(times.dayLength);
    return times;
}

// Hours of the standard time on a date as a civil time (seconds, see dstmath).
long long CivilAtHours(int day, int month, int year, double hours) {
    if (!std::isfinite(hours)) hours = 0;
    return dstmath::Civil(year, month, day, 0) + std::llround(hours * 3600.0);
}

} // namespace

SunTimes ComputeSunTimes(int day, int month, int year, double longitudeDeg, double latitudeDeg,
                         double zoneHours) {
    return WithTexts(RawSunTimes(day, month, year, longitudeDeg, latitudeDeg, zoneHours));
}

SunTimes ComputeSunTimesOnClocks(int day, int month, int year, double longitudeDeg, double latitudeDeg,
                                 int standardOffset, const dstmath::Rule& rule) {
    SunTimes times =
        RawSunTimes(day, month, year, longitudeDeg, latitudeDeg, HhmmOffsetToHours(standardOffset));
    // Each event on the clock of its own standard time: the window of its own year, or the one
    // that opened the year before and runs into it.
    auto onClock = [&](double& hours) {
        const time_t t = static_cast<time_t>(CivilAtHours(day, month, year, hours));
        const DstWindow window = GetDstWindowAt(rule, t);
        if (window.Contains(t)) hours += window.shift;
    };
    onClock(times.sunrise);
    onClock(times.sunset);
    return WithTexts(times);
}

namespace {

// The leading integer of a text, 0 when it has none (as the record's numbers are read).
int LeadingInt(const CString& text) {
    return static_cast<int>(std::wcstol(text.GetString(), nullptr, 10));
}

} // namespace

SunTimes ComputeCitySunTimesOnClocks(CCitiesDb& cities, DWORD cityIndex, int day, int month, int year) {
    const double lon = LeadingInt(cities.GetLongitude(cityIndex));
    const double lat = LeadingInt(cities.GetLatitude(cityIndex));
    const int offset = LeadingInt(cities.GetUtcOffset(cityIndex));
    return ComputeSunTimesOnClocks(day, month, year, lon, lat, offset, CityDstRule(cities, cityIndex));
}
