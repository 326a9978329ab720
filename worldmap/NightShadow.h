#pragma once
// The day/night shadow of the world map: per map column the band of rows where it is night at
// one UTC instant, found with few day/night tests, and its drawing over the map, each pixel of
// the band masked by the shadow colour.

#include "worldmap/SunPosition.h"

#include <vector>

class CDC;

// One UTC instant, to the second.
struct UtcInstant {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The UTC instant of a local time read on a clock that stands for the home reference zone
// (hours and minutes east of UTC, both carrying the zone's sign).
UtcInstant UtcFromHomeZone(int year, int month, int day, int hour, int minute, int second, int homeZoneHours,
                           int homeZoneMinutes);

// The sun as the night test needs it at that instant.
SunPlace SunPlaceAt(const UtcInstant& utc);

// Top and bottom row of a column's night band; (-1, -1) for a column without night.
struct NightBand {
    int top = -1;
    int bottom = -1;
    bool IsNight() const { return bottom != -1; }
    bool operator==(const NightBand&) const = default;
};

// The night band of the column at west longitude lonWest on a map of mapHeight rows. The test
// starts at the rows of the middle and the quarters and scans from where the band's edges must
// lie; a column whose middle and poles are day has no night.
NightBand FindNightBand(double lonWest, int mapHeight, const SunPlace& sun);

// Computes and draws the shadow; keeps the band of every map column from the last drawing.
class CNightShadow {
public:
    // Darkens the night part of the map on dest: the map spans columns mapLeft to
    // mapLeft + mapWidth and rows 0 to mapHeight; the shadow colour is taken from the same
    // place of colour (destination AND colour). Every column is computed in March and
    // September, every third one otherwise with the ones between interpolated. Returns 1.
    int Draw(CDC& dest, CDC& colour, int mapLeft, int mapWidth, int mapHeight, const UtcInstant& utc);

    // Band of each column c (0 to mapWidth + 1) as last drawn; interpolated columns hold their
    // interpolated band, columns without night (-1, -1).
    const std::vector<NightBand>& Bands() const { return m_bands; }

private:
    std::vector<NightBand> m_bands;
};
