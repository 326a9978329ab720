#include "worldmap/NightShadow.h"

#include "core/CityTime.h"
#include "platform/framework/DC.h"

UtcInstant UtcFromHomeZone(int year, int month, int day, int hour, int minute, int second, int homeZoneHours,
                           int homeZoneMinutes) {
    UtcInstant utc;
    int carry = 0;
    int m = minute - homeZoneMinutes;
    while (m < 0) {
        m += 60;
        --carry;
    }
    while (m > 59) {
        m -= 60;
        ++carry;
    }
    int hourShift = -homeZoneHours + carry;
    int h = hour + hourShift;
    int days = 0;
    while (h < 0) {
        h += 24;
        --days;
    }
    while (h > 23) {
        h -= 24;
        ++days;
    }
    DateTriple date{day, month, year};
    if (days != 0) date = GetDatePlusDays(year, month, day, days);
    utc.year = date.year;
    utc.month = date.month;
    utc.day = date.day;
    utc.hour = h;
    utc.minute = m;
    utc.second = second;
    return utc;
}

SunPlace SunPlaceAt(const UtcInstant& utc) {
    SunPlace sun;
    sun.dayFraction = (utc.second * 0.0002777777777777778 + utc.minute * 0.016666666666666666 + utc.hour) *
                      0.041666666666666664;
    double T = JulianCenturies(JulianDay(utc.day + sun.dayFraction, utc.month, utc.year));
    SunRaDec(T, sun.rightAscension, sun.declination);
    sun.siderealTime = GreenwichSiderealTime(T);
    return sun;
}

NightBand FindNightBand(double lonWest, int H, const SunPlace& sun) {
    // Rows beyond the poles are never night: the scans that start at a quarter can run past them.
    auto night = [&](int row) {
        if (row < 0 || row > H) return false;
        return IsPointInShadow(lonWest, row, kNightAltitude, sun.declination, sun.rightAscension,
                               sun.siderealTime, sun.dayFraction, H) != 0;
    };
    const bool mid = night(H / 2);
    const bool q1 = night(H / 4);
    const bool q3 = night(3 * H / 4);
    bool downNight = false;
    bool upNight = false;
    bool downStopped = false;
    bool upStopped = false;
    NightBand band;
    auto setTop = [&](int row) {
        if (band.top == -1) band.top = row;
    };
    auto setBottom = [&](int row) {
        if (band.bottom == -1) band.bottom = row;
    };

    for (int i = 0; i <= H / 2; ++i) {
        // Down from the north pole (or from the first quarter when the night lies around the middle).
        if (upNight && !mid) downStopped = true;
        if (!downStopped) {
            int row = (mid && !q1) ? H / 4 + i : i;
            if (night(row)) {
                if (!downNight) setTop(row);
                downNight = true;
            } else if (downNight && !upNight) {
                setBottom(row);
            }
        }
        if (!mid && downNight) {
            // Night reaches the north pole: look for its lower edge upward from the middle.
            if (night(q1 ? H / 2 - i : H / 4 - i)) setBottom(q1 ? H / 2 - i : H / 4 - i);
        } else {
            if (downNight && !mid) upStopped = true;
            if (!upStopped) {
                // Up from the south pole (or from the third quarter).
                int row = (mid && !q3) ? 3 * H / 4 - i : H - i;
                if (night(row)) {
                    if (!upNight) setBottom(row);
                    upNight = true;
                } else if (upNight && !downNight) {
                    setTop(row);
                }
            }
        }
        if (!mid && upNight && !downNight) {
            // Night reaches the south pole: look for its upper edge downward from the middle.
            int row = q3 ? H / 2 + i : 3 * H / 4 + i;
            if (night(row)) setTop(row);
        }
        if (i == 0 && band.top == -1 && band.bottom == -1 && !mid) return NightBand{};
        if (band.top != -1 && band.bottom != -1) return band;
    }
    // The scans ran out with one edge found: the night runs to the pole on the other side.
    if (band.top == -1 && band.bottom == -1) return NightBand{};
    if (band.top == -1) band.top = 0;
    if (band.bottom == -1) band.bottom = H;
    return band;
}

int CNightShadow::Draw(CDC& dest, CDC& colour, int mapLeft, int mapWidth, int mapHeight, const UtcInstant& utc) {
    const int step = (utc.month == 3 || utc.month == 9) ? 1 : 3;
    const SunPlace sun = SunPlaceAt(utc);
    m_bands.clear();
    // A map not laid out yet has nothing to darken.
    if (mapWidth <= 0 || mapHeight <= 0) return 1;
    m_bands.assign(mapWidth + 2, NightBand{});
    NightBand previous;
    auto bar = [&](int x, int top, int bottom) {
        dest.BitBlt(x, top, 1, bottom - top, &colour, x, top, SRCAND);
    };
    for (int c = 0; c < mapWidth + 2; c += step) {
        double lonWest = 180.0 - static_cast<double>(c) * 360.0 / mapWidth;
        NightBand band = FindNightBand(lonWest, mapHeight, sun);
        m_bands[c] = band;
        if (!band.IsNight()) continue;
        const int x = mapLeft + c;
        if (previous.IsNight()) {
            // Fill the columns skipped since the last drawn band by straight interpolation.
            int dTop = band.top - previous.top;
            int dBottom = band.bottom - previous.bottom;
            for (int k = step - 1; k >= 1; --k) {
                NightBand between{band.top - k * (dTop / step), band.bottom - k * (dBottom / step)};
                bar(x - k, between.top, between.bottom);
                if (c - k >= 0) m_bands[c - k] = between;
            }
        }
        bar(x, band.top, band.bottom);
        previous = band;
    }
    return 1;
}
