#pragma once
// The sun's place in the sky at one instant (right ascension, declination, Greenwich sidereal
// time) and the day/night test of one point of the world map. Angles convert with pi taken as
// 3.14, the precision the shadow on a small map needs.

double DegToRad(double degrees);
double RadToDeg(double radians);

// Julian Day of a calendar date; the day carries the fraction of the day. Gregorian from
// 15 October 1582 on, Julian before.
double JulianDay(double day, int month, int year);
// Julian centuries since 2000 January 1.5.
double JulianCenturies(double julianDay);

double SunMeanLongitude(double T);                       // degrees, [0, 360]
double SunMeanAnomaly(double T);                         // degrees, [0, 360]
double SunEquationOfCentre(double meanAnomalyRad, double T); // degrees
double MoonNodeLongitude(double T);                      // degrees
double SunApparentLongitude(double trueLongitude, double moonNode); // degrees
double MeanObliquity(double T);                          // degrees
// Right ascension in degrees [0, 360] and declination in radians; arguments in radians.
double SunRightAscension(double obliquity, double moonNode, double apparentLongitude);
double SunDeclination(double obliquity, double moonNode, double apparentLongitude);
void SunRaDec(double T, double& rightAscension, double& declination);
// Degrees, [0, 360]; taken at T of the instant itself.
double GreenwichSiderealTime(double T);

// Altitude below which the sun's upper limb is under the horizon, refraction included.
inline constexpr double kNightAltitude = -0.8333333333333334;

// The sun at one instant, as the night test needs it.
struct SunPlace {
    double rightAscension = 0; // degrees
    double declination = 0;    // radians
    double siderealTime = 0;   // degrees
    double dayFraction = 0;    // time of day as a fraction of the UTC day
};

// 1 when the sun stands below the altitude threshold (degrees) at the point of the map column
// of west longitude lonWest (degrees) and the row (0 = latitude +90, mapHeight = -90); else 0.
int IsPointInShadow(double lonWest, int row, double altitude, double declination, double rightAscension,
                    double siderealTime, double dayFraction, int mapHeight);
