// Sun times against published sunrise and sunset tables, the documented examples of the model,
// the polar cases, and a city's times with its daylight-saving window applied.

#include "WorldMapTestSupport.h"

#include "clocks/DstRule.h"
#include "worldmap/SunTimes.h"

#include <cmath>

namespace {

using worldmaptest::WorldMapTest;

// Minutes of an "HH:MM" text.
int Minutes(const CString& text) {
    return std::stoi(text.Str().substr(0, 2)) * 60 + std::stoi(text.Str().substr(3, 2));
}
int Minutes(int h, int m) { return h * 60 + m; }

// Published local sunrise and sunset (almanac tables), with exact coordinates. The texts
// truncate to the minute, so they may read up to a minute early on top of the model's error.
TEST(SunTimes, AgreeWithPublishedTablesWithinThreeMinutes) {
    struct Case {
        const char* place;
        int day, month, year;
        double lon, lat, zone;
        int rise, set;
    } cases[] = {
        {"New York, summer solstice", 21, 6, 2009, -74.01, 40.71, -4, Minutes(5, 25), Minutes(20, 31)},
        {"Sydney, winter solstice", 21, 6, 2009, 151.21, -33.87, 10, Minutes(7, 0), Minutes(16, 54)},
        {"Tokyo, winter solstice", 21, 12, 2009, 139.69, 35.69, 9, Minutes(6, 47), Minutes(16, 32)},
        {"London, summer solstice", 21, 6, 2009, -0.13, 51.51, 1, Minutes(4, 43), Minutes(21, 21)},
    };
    for (const Case& c : cases) {
        SunTimes t = ComputeSunTimes(c.day, c.month, c.year, c.lon, c.lat, c.zone);
        EXPECT_NEAR(Minutes(t.sunriseText), c.rise, 3) << c.place << " " << t.sunriseText.Str();
        EXPECT_NEAR(Minutes(t.sunsetText), c.set, 3) << c.place << " " << t.sunsetText.Str();
        EXPECT_NEAR(Minutes(t.dayLengthText), c.set - c.rise, 5) << c.place;
    }
}

TEST(SunTimes, WholeDegreeCitiesGiveTheDocumentedTexts) {
    SunTimes delhi = ComputeSunTimes(1, 1, 2009, 77, 28, HhmmOffsetToHours(530));
    EXPECT_EQ(delhi.sunriseText, L"07:15");
    EXPECT_EQ(delhi.sunsetText, L"17:35");
    EXPECT_EQ(delhi.dayLengthText, L"10:20");

    SunTimes equator = ComputeSunTimes(21, 3, 2009, 0, 0, 0);
    EXPECT_EQ(equator.sunriseText, L"06:07");
    EXPECT_EQ(equator.sunsetText, L"18:07");
    EXPECT_EQ(equator.dayLengthText, L"12:00");

    // The same place six hours east of its meridian: the sunset passes midnight and wraps.
    SunTimes late = ComputeSunTimes(21, 3, 2009, 0, 0, 6);
    EXPECT_EQ(late.sunsetText, L"00:07");
}

TEST(SunTimes, PolarDayAndPolarNight) {
    // The sun never sets: the arc is a hair below a half turn.
    SunTimes day = ComputeSunTimes(21, 6, 2009, 18, 70, 2);
    EXPECT_EQ(day.dayLengthText, L"23:59");
    EXPECT_EQ(day.sunriseText, L"00:49");
    EXPECT_EQ(day.sunsetText, L"00:49");

    // The sun never rises: no day, and no rise and set times to show (the hours stay at the
    // moment of its highest point).
    SunTimes night = ComputeSunTimes(21, 12, 2009, 18, 70, 1);
    EXPECT_EQ(night.dayLengthText, L"00:00");
    EXPECT_EQ(night.sunriseText, L"--:--");
    EXPECT_EQ(night.sunsetText, L"--:--");
    EXPECT_NEAR(night.sunrise, 12 + 1 - 18.0 / 15, 0.1);
    SunTimes south = ComputeSunTimesOnClocks(21, 6, 2009, 0, -80, 0, ParseDstRule(L"0", 0));
    EXPECT_EQ(south.dayLengthText + south.sunriseText + south.sunsetText, L"00:00--:----:--");
}

TEST(SunTimes, FarEastOfUtcJustAfterTheSeptemberEquinoxStaysWithinTheDay) {
    // Apia (+13) on 22 September: the equation-of-time term must not add a whole day.
    SunTimes apia = ComputeSunTimes(22, 9, 2026, -172, -14, 13);
    EXPECT_EQ(apia.sunriseText, L"06:20");
    EXPECT_EQ(apia.sunsetText, L"18:21");
    EXPECT_EQ(apia.dayLengthText, L"12:01");
    // Kiritimati (+14) and Chatham (+12:45) on both days of the crossing.
    for (int day : {21, 22}) {
        for (SunTimes t : {ComputeSunTimes(day, 9, 2026, -157, 2, 14), ComputeSunTimes(day, 9, 2026, -176, -44, 12.75)}) {
            EXPECT_GE(t.sunrise, 0);
            EXPECT_LT(t.sunrise, 24);
            EXPECT_LT(t.sunset, 24);
            EXPECT_EQ(t.sunriseText.GetLength(), 5) << t.sunriseText.Str();
            EXPECT_LT(t.sunriseText, CString(L"08:00"));
            EXPECT_GT(t.sunsetText, CString(L"17:00"));
        }
    }
}

TEST(SunTimes, DeclinationAtEquinoxAndSolstice) {
    // 2009 March equinox 11:44 UTC, June solstice 05:45 UTC.
    double declination = 1;
    SunLongitude(SunDayNumber(2009, 3, 20, 11.0f + 44.0f / 60), nullptr, &declination);
    EXPECT_NEAR(declination * 180 / M_PI, 0.0, 0.03);
    SunLongitude(SunDayNumber(2009, 6, 21, 5.0f + 45.0f / 60), nullptr, &declination);
    EXPECT_NEAR(declination * 180 / M_PI, 23.44, 0.03);
    SunLongitude(SunDayNumber(2009, 12, 21, 17.0f + 47.0f / 60), nullptr, &declination);
    EXPECT_NEAR(declination * 180 / M_PI, -23.44, 0.03);
}

TEST(SunTimes, DayNumberAndAngleHelpers) {
    EXPECT_DOUBLE_EQ(SunDayNumber(2000, 1, 1, 0.0f), 1.0); // days since 2000 January 0.0
    EXPECT_DOUBLE_EQ(SunDayNumber(2009, 6, 21, 12.0f) - SunDayNumber(2008, 6, 21, 12.0f), 365.0);
    EXPECT_NEAR(RangeTwoPi(-0.5), suntimes::TWO_PI - 0.5, 1e-12);

    EXPECT_EQ(FormatHoursMinutes(6.1), L"06:05");
    EXPECT_EQ(FormatHoursMinutes(24.0), L"24:00");
    EXPECT_EQ(FormatHoursMinutes(123.5), L"123:30");
    EXPECT_EQ(FormatHoursMinutes(-1), L"00:00");
    EXPECT_EQ(FormatHoursMinutes(NAN), L"00:00");

    EXPECT_DOUBLE_EQ(HhmmOffsetToHours(530), 5.5);
    EXPECT_DOUBLE_EQ(HhmmOffsetToHours(-330), -3.5);
    EXPECT_DOUBLE_EQ(HhmmOffsetToHours(545), 5.75);
}

TEST_F(WorldMapTest, CityTimesTakeTheShiftOnlyInsideTheWindow) {
    // 21 June 2009 is day 172: sunrise 03:46 and sunset 20:17 in Greenwich's standard time.
    OpenCities({"Greenwich;UK;0;51;0;1;88;1;298;2", "Delhi;India;77;28;530;0;0;0;0;0",
                "Nowhere;Sea;x;y;z;0;0;0;0;0", "Winter;UK;0;51;0;1;298;1;88;2",
                "Unruled;UK;0;51;0;0;88;1;298;2", "Ends;UK;0;51;0;1;88;1;172;20",
                "Starts;UK;0;51;0;1;172;20;298;2"});
    DWORD greenwich = IndexOf(L"Greenwich:UK");

    SunTimes summer = ComputeCitySunTimesOnClocks(m_cities, greenwich, 21, 6, 2009);
    EXPECT_EQ(summer.sunriseText, L"04:46");
    EXPECT_EQ(summer.sunsetText, L"21:17");
    EXPECT_EQ(summer.dayLengthText, L"16:30");

    // The same date outside the window, and a rule without daylight saving.
    EXPECT_EQ(ComputeCitySunTimesOnClocks(m_cities, IndexOf(L"Winter:UK"), 21, 6, 2009).sunriseText,
              L"03:46");
    EXPECT_EQ(ComputeCitySunTimesOnClocks(m_cities, IndexOf(L"Unruled:UK"), 21, 6, 2009).sunriseText,
              L"03:46");
    // A window that closed before the sunset leaves it on standard time; one that opened before
    // it gives it the shift while the sunrise, before the start, keeps standard time.
    EXPECT_EQ(ComputeCitySunTimesOnClocks(m_cities, IndexOf(L"Ends:UK"), 21, 6, 2009).sunsetText, L"20:17");
    const SunTimes starts = ComputeCitySunTimesOnClocks(m_cities, IndexOf(L"Starts:UK"), 21, 6, 2009);
    EXPECT_EQ(starts.sunsetText, L"21:17");
    EXPECT_EQ(starts.sunriseText, L"03:46");

    DWORD delhi = IndexOf(L"Delhi:India");
    EXPECT_EQ(ComputeCitySunTimesOnClocks(m_cities, delhi, 1, 1, 2009).sunsetText, L"17:35");

    // A record whose numbers are not numbers counts as position 0, 0 and offset 0, as does a
    // city that does not exist.
    SunTimes bad = ComputeCitySunTimesOnClocks(m_cities, IndexOf(L"Nowhere:Sea"), 21, 3, 2009);
    EXPECT_EQ(bad.sunriseText, L"06:07");
    SunTimes missing = ComputeCitySunTimesOnClocks(m_cities, 999, 21, 3, 2009);
    EXPECT_EQ(missing.sunsetText, L"18:07");
}

TEST(SunTimes, OnAChangeDayEachTimeIsReadOnTheClockItHappensUnder) {
    // London's rule of 2026: summer time from 29 March to 25 October, 01:00 standard time.
    const DstRuleFields london = ParseDstRule(L"1:88:1:298:1", 2026);
    auto both = [](const SunTimes& t) { return t.sunriseText + L" " + t.sunsetText; };
    auto std0 = [&](int d, int m) { return both(ComputeSunTimes(d, m, 2026, 0, 51, 0)); };
    auto std1 = [&](int d, int m) { return both(ComputeSunTimes(d, m, 2026, 0, 51, 1)); };
    EXPECT_EQ(both(ComputeSunTimesOnClocks(28, 3, 2026, 0, 51, 0, london)), std0(28, 3));
    EXPECT_EQ(both(ComputeSunTimesOnClocks(29, 3, 2026, 0, 51, 0, london)), std1(29, 3));
    EXPECT_EQ(both(ComputeSunTimesOnClocks(24, 10, 2026, 0, 51, 0, london)), std1(24, 10));
    EXPECT_EQ(both(ComputeSunTimesOnClocks(25, 10, 2026, 0, 51, 0, london)), std0(25, 10));
    EXPECT_EQ(both(ComputeSunTimesOnClocks(25, 10, 2026, 0, 51, 0, ParseDstRule(L"0", 2026))), std0(25, 10));

    // Clocks that go forward at noon: the sunrise before, the sunset after.
    const SunTimes noon = ComputeSunTimesOnClocks(29, 3, 2026, 0, 51, 0, ParseDstRule(L"1:88:12:298:1", 2026));
    EXPECT_EQ(noon.sunriseText, ComputeSunTimes(29, 3, 2026, 0, 51, 0).sunriseText);
    EXPECT_EQ(noon.sunsetText, ComputeSunTimes(29, 3, 2026, 0, 51, 1).sunsetText);

    // A southern summer that runs across the new year (Adelaide, 930): still on in January and
    // up to 5 April 02:00, off after, on again from 4 October.
    const DstRuleFields adelaide = ParseDstRule(L"1:277:2:95:2", 2026);
    auto south = [&](int d, int m, int offset) {
        return both(ComputeSunTimes(d, m, 2026, 139, -35, HhmmOffsetToHours(offset)));
    };
    EXPECT_EQ(both(ComputeSunTimesOnClocks(15, 1, 2026, 139, -35, 930, adelaide)), south(15, 1, 1030));
    EXPECT_EQ(both(ComputeSunTimesOnClocks(4, 4, 2026, 139, -35, 930, adelaide)), south(4, 4, 1030));
    EXPECT_EQ(both(ComputeSunTimesOnClocks(5, 4, 2026, 139, -35, 930, adelaide)), south(5, 4, 930));
    EXPECT_EQ(both(ComputeSunTimesOnClocks(4, 10, 2026, 139, -35, 930, adelaide)), south(4, 10, 1030));
}

TEST(SunTimes, ShiftAddsHoursOrHundreds) {
    CityDstWindow open{true, 1, 100, 200};
    auto shifted = [&](int offset, time_t instant) {
        return open.Contains(instant) ? AddDstShift(offset, open.shift) : offset;
    };
    EXPECT_EQ(shifted(5, 150), 6);
    EXPECT_EQ(shifted(530, 150), 630);
    EXPECT_EQ(shifted(-330, 150), -230);
    EXPECT_EQ(shifted(-330, 200), -330);
    EXPECT_EQ(shifted(-330, 99), -330);
}

TEST_F(WorldMapTest, CityInstantIsTheCitysDateAndWholeHour) {
    device::SetDeviceClock("2009-06-21T22:35:12Z");
    // Home reference UTC: a city 5:30 east is already on the next day at 04:05.
    EXPECT_EQ(CityStandardHour(530, 0, 0), CivilTime(2009, 6, 22, 4));
    // Ten hours west, from a home reference of +2: 10:35 the same day.
    EXPECT_EQ(CityStandardHour(-10, 2, 0), CivilTime(2009, 6, 21, 10));
    device::SetDeviceClock("2009-01-01T01:10:00Z");
    EXPECT_EQ(CityStandardHour(-330, 0, 0), CivilTime(2008, 12, 31, 21));
}

} // namespace
