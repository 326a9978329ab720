#include "worldmap/SunPosition.h"

#include <cmath>

namespace {

double Reduce360(double value) {
    while (value > 360) value -= 360;
    while (value < 0) value += 360;
    return value;
}

double Reduce1(double value) {
    while (value > 1) value -= 1;
    while (value < 0) value += 1;
    return value;
}

} // namespace

double DegToRad(double degrees) { return degrees * 0.017444444444444446; }
double RadToDeg(double radians) { return radians * 57.324840764331206; }

double JulianDay(double day, int month, int year) {
    bool gregorian = year > 1582 || (year == 1582 && month > 10) || (year == 1582 && month == 10 && day >= 15.0);
    if (month < 3) {
        year -= 1;
        month += 12;
    }
    int b = 0;
    if (gregorian) {
        int a = year / 100;
        b = 2 - a + a / 4;
    }
    long whole = static_cast<long>(std::trunc(365.25 * (year + 4716))) + static_cast<long>(std::trunc(30.6001 * (month + 1)));
    return static_cast<double>(whole) + b + day - 1524.5;
}

double JulianCenturies(double julianDay) { return (julianDay - 2451545.0) * 2.7378507871321012e-5; }

double SunMeanLongitude(double T) { return Reduce360(280.46646 + 36000.76983 * T + 0.0003032 * T * T); }

double SunMeanAnomaly(double T) { return Reduce360(357.52911 + 35999.05029 * T - 0.0001537 * T * T); }

double SunEquationOfCentre(double M, double T) {
    return (1.914602 - 0.004817 * T - 1.4e-5 * T * T) * std::sin(M) + (0.019993 - 0.000101 * T) * std::sin(2 * M) +
           0.000289 * std::sin(3 * M);
}

double MoonNodeLongitude(double T) { return 125.04 - 1934.136 * T; }

double SunApparentLongitude(double trueLongitude, double moonNode) {
    return (trueLongitude - 0.00569) - 0.00478 * std::sin(DegToRad(moonNode));
}

double MeanObliquity(double T) {
    return 23 + (26 + (21.448 - T * (46.815 + T * (0.00059 - 0.001813 * T))) * 0.016666666666666666) *
                    0.016666666666666666;
}

double SunRightAscension(double obliquity, double moonNode, double lambda) {
    double e = obliquity + DegToRad(0.00256) * std::cos(moonNode);
    return Reduce360(RadToDeg(std::atan2(std::cos(e) * std::sin(lambda), std::cos(lambda))));
}

double SunDeclination(double obliquity, double moonNode, double lambda) {
    double e = obliquity + DegToRad(0.00256) * std::cos(moonNode);
    return std::asin(std::sin(e) * std::sin(lambda));
}

void SunRaDec(double T, double& rightAscension, double& declination) {
    double L0 = SunMeanLongitude(T);
    double M = SunMeanAnomaly(T);
    double C = SunEquationOfCentre(DegToRad(M), T);
    double theta = L0 + C;
    double omega = MoonNodeLongitude(T);
    double lambda = SunApparentLongitude(theta, omega);
    double e0 = MeanObliquity(T);
    rightAscension = SunRightAscension(DegToRad(e0), DegToRad(omega), DegToRad(lambda));
    declination = SunDeclination(DegToRad(e0), DegToRad(omega), DegToRad(lambda));
}

double GreenwichSiderealTime(double T) {
    return Reduce360(100.46061837 + 36000.770053608 * T + 0.000387933 * T * T - T * T * T * 2.5833118057349522e-8);
}

int IsPointInShadow(double lonWest, int row, double altitude, double declination, double rightAscension,
                    double siderealTime, double dayFraction, int mapHeight) {
    if (mapHeight <= 0) return 0;
    double lat = 90.0 - static_cast<double>(row) * 180.0 / static_cast<double>(mapHeight);
    double c = (std::sin(DegToRad(altitude)) - std::sin(declination) * std::sin(DegToRad(lat))) /
               (std::cos(declination) * std::cos(DegToRad(lat)));
    if (c > 1) return 1;  // below the threshold all day
    if (c < -1) return 0; // above it all day
    if (std::isnan(c)) return 0;
    double halfArc = RadToDeg(std::acos(c));
    double transit = Reduce1((lonWest + rightAscension - siderealTime) / 360.0);
    double rise = Reduce1(transit - halfArc * 0.002777777777777778);
    double set = Reduce1(transit + halfArc * 0.002777777777777778);
    if (rise < set) return (dayFraction < rise || dayFraction > set) ? 1 : 0;
    if (rise > set) return (set < dayFraction && dayFraction < rise) ? 1 : 0;
    return 0;
}
