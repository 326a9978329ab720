// The sun's position against almanac values, the day/night test against published sunrise
// and sunset, the night band search against a row-by-row evaluation, and the drawn shadow.

#include "WorldMapTestSupport.h"

#include "platform/framework/DC.h"
#include "platform/framework/GdiObjects.h"
#include "platform/gdi/ImageFiles.h"
#include "platform/gdi/WinGdi.h"
#include "support/Screenshots.h"
#include "worldmap/NightShadow.h"

#include <cmath>
#include <filesystem>

namespace {

using worldmaptest::WorldMapTest;

double T(int year, int month, int day, int hour, int minute = 0) {
    return JulianCenturies(JulianDay(day + (hour + minute / 60.0) / 24.0, month, year));
}

TEST(SunPosition, JulianDaysOfKnownDates) {
    EXPECT_DOUBLE_EQ(JulianCenturies(JulianDay(1.5, 1, 2000)), 0.0);
    EXPECT_DOUBLE_EQ(JulianDay(21, 6, 2009), 2455003.5);
    EXPECT_DOUBLE_EQ(JulianDay(1, 1, 1970), 2440587.5);
    // The Gregorian reform: 4 October 1582 (Julian) is followed by 15 October 1582.
    EXPECT_DOUBLE_EQ(JulianDay(15, 10, 1582) - JulianDay(4, 10, 1582), 1.0);
    EXPECT_DOUBLE_EQ(JulianDay(1, 3, 2000) - JulianDay(28, 2, 2000), 2.0); // 2000 is a leap year
    EXPECT_DOUBLE_EQ(JulianDay(1, 3, 1900) - JulianDay(28, 2, 1900), 1.0); // 1900 is not
}

TEST(SunPosition, RightAscensionAndDeclinationAtEquinoxAndSolstice) {
    double ra = 0;
    double dec = 0;
    // June solstice 2009, 05:45 UTC: right ascension 6 h, declination +23.44 degrees.
    SunRaDec(T(2009, 6, 21, 5, 45), ra, dec);
    EXPECT_NEAR(ra, 90.0, 0.05);
    EXPECT_NEAR(dec, 23.44 * M_PI / 180, 0.001);
    // Six hours later the sun has moved about a quarter of a degree on.
    SunRaDec(T(2009, 6, 21, 12), ra, dec);
    EXPECT_NEAR(ra, 90.27, 0.03);
    // March equinox 2009, 11:44 UTC: both zero. Degrees convert with pi as 3.14, which moves a
    // longitude near a full turn by up to 0.2 degrees (under a minute of time, a fraction of a
    // map pixel).
    SunRaDec(T(2009, 3, 20, 11, 44), ra, dec);
    EXPECT_NEAR(std::fmod(ra + 180, 360) - 180, 0.0, 0.2);
    EXPECT_NEAR(dec, 0.0, 0.0015);
    SunRaDec(T(2009, 12, 21, 17, 47), ra, dec);
    EXPECT_NEAR(ra, 270.0, 0.25);
    EXPECT_NEAR(dec, -23.44 * M_PI / 180, 0.001);

    for (double t : {-1.0, 0.0, 0.0947, 0.5}) {
        double g = GreenwichSiderealTime(t);
        EXPECT_GE(g, 0.0);
        EXPECT_LE(g, 360.0);
    }
}

// The minutes of the UTC day at which the point turns from night to day and back.
void RiseAndSet(const UtcInstant& day, double lonWest, int row, int mapHeight, int& rise, int& set) {
    rise = set = -1;
    int previous = -1;
    for (int minute = 0; minute < 24 * 60; ++minute) {
        UtcInstant at = day;
        at.hour = minute / 60;
        at.minute = minute % 60;
        SunPlace sun = SunPlaceAt(at);
        int night = IsPointInShadow(lonWest, row, kNightAltitude, sun.declination, sun.rightAscension,
                                    sun.siderealTime, sun.dayFraction, mapHeight);
        if (previous == 1 && night == 0) rise = minute;
        if (previous == 0 && night == 1) set = minute;
        previous = night;
    }
}

TEST(SunPosition, DayAndNightTurnAtThePublishedSunriseAndSunset) {
    int rise = 0;
    int set = 0;
    // London (51.5 N, 0.13 W), 21 June 2009: sunrise 03:43, sunset 20:21 UTC. A 360-row map has
    // half-degree rows: row 77 is latitude 51.5.
    RiseAndSet(UtcInstant{2009, 6, 21}, 0.13, 77, 360, rise, set);
    EXPECT_NEAR(rise, 3 * 60 + 43, 3);
    EXPECT_NEAR(set, 20 * 60 + 21, 3);
    // Sydney (33.9 S, 151.2 E), 21 June 2009: sunrise 07:00 and sunset 16:54 local (UTC+10),
    // 21:00 the day before and 06:54 UTC.
    RiseAndSet(UtcInstant{2009, 6, 21}, -151.2, 248, 360, rise, set); // row 248 = 34 S
    EXPECT_NEAR(rise, 21 * 60, 4);
    EXPECT_NEAR(set, 6 * 60 + 54, 4);
}

TEST_F(WorldMapTest, UtcFromTheHomeZoneCrossesDaysMonthsAndYears) {
    UtcInstant a = UtcFromHomeZone(2009, 12, 31, 23, 30, 15, -2, 0);
    EXPECT_EQ((std::vector<int>{a.year, a.month, a.day, a.hour, a.minute, a.second}),
              (std::vector<int>{2010, 1, 1, 1, 30, 15}));
    UtcInstant b = UtcFromHomeZone(2009, 3, 1, 3, 10, 0, 5, 30);
    EXPECT_EQ((std::vector<int>{b.year, b.month, b.day, b.hour, b.minute}), (std::vector<int>{2009, 2, 28, 21, 40}));
    UtcInstant c = UtcFromHomeZone(2008, 2, 28, 22, 45, 0, -3, -30);
    EXPECT_EQ((std::vector<int>{c.year, c.month, c.day, c.hour, c.minute}), (std::vector<int>{2008, 2, 29, 2, 15}));
    UtcInstant d = UtcFromHomeZone(2009, 6, 21, 12, 0, 0, 0, 0);
    EXPECT_EQ((std::vector<int>{d.year, d.month, d.day, d.hour, d.minute}), (std::vector<int>{2009, 6, 21, 12, 0}));
}

// Night rows of one column, row by row.
struct BruteBand {
    int first = -1;
    int last = -1;
};
BruteBand NightRows(double lonWest, int H, const SunPlace& sun) {
    BruteBand band;
    for (int row = 0; row <= H; ++row) {
        if (!IsPointInShadow(lonWest, row, kNightAltitude, sun.declination, sun.rightAscension, sun.siderealTime,
                             sun.dayFraction, H))
            continue;
        if (band.first < 0) band.first = row;
        band.last = row;
    }
    return band;
}

TEST(NightBand, MatchesTheRowByRowNightThroughTheYear) {
    for (int H : {155, 140, 200}) {
        for (int month = 1; month <= 12; ++month) {
            for (int hour : {0, 7, 13, 19}) {
                SunPlace sun = SunPlaceAt(UtcInstant{2009, month, 5 + month, hour, 17, 0});
                for (int c = 0; c <= 240; c += 5) {
                    double lonWest = 180.0 - c * 360.0 / 240;
                    NightBand band = FindNightBand(lonWest, H, sun);
                    BruteBand brute = NightRows(lonWest, H, sun);
                    SCOPED_TRACE(testing::Message() << "H " << H << " month " << month << " hour " << hour << " column " << c);
                    if (!band.IsNight()) {
                        // A night band that touches neither a pole nor the middle is not looked for.
                        if (brute.first >= 0) {
                            EXPECT_GT(brute.first, 0);
                            EXPECT_LT(brute.last, H);
                            EXPECT_TRUE(brute.last < H / 2 || brute.first > H / 2);
                        }
                        continue;
                    }
                    ASSERT_GE(brute.first, 0);
                    EXPECT_LE(band.top, band.bottom);
                    EXPECT_NEAR(band.top, brute.first, 1);
                    EXPECT_NEAR(band.bottom, brute.last, 1);
                }
            }
        }
    }
}

TEST(NightBand, EquinoxAndSolsticeShapes) {
    const int H = 155;
    SunPlace equinox = SunPlaceAt(UtcInstant{2009, 3, 21, 12, 0, 0});
    EXPECT_FALSE(FindNightBand(0, H, equinox).IsNight());
    NightBand midnight = FindNightBand(180, H, equinox);
    ASSERT_TRUE(midnight.IsNight());
    EXPECT_LE(midnight.top, 2);
    EXPECT_GE(midnight.bottom, H - 2);

    SunPlace solstice = SunPlaceAt(UtcInstant{2009, 6, 21, 3, 0, 0});
    int lat66 = static_cast<int>((90 - 66) * H / 180.0);
    int nightColumns = 0;
    for (int c = 0; c <= 240; ++c) {
        NightBand band = FindNightBand(180.0 - c * 1.5, H, solstice);
        if (!band.IsNight()) continue;
        ++nightColumns;
        EXPECT_EQ(band.bottom, H) << c; // night reaches the south pole
        EXPECT_GT(band.top, lat66) << c; // the far north has the midnight sun
    }
    EXPECT_GT(nightColumns, 60);
}

// A map band of W x H pixels inside a white surface with margins; the colour surface is
// white outside the map and the shadow colour inside it.
class ShadowSurface {
public:
    ShadowSurface(int left, int mapWidth, int height, COLORREF shadow) : m_width(mapWidth + 2 * left), m_height(height) {
        m_dest.CreateCompatibleDC(nullptr);
        m_colour.CreateCompatibleDC(nullptr);
        m_destBitmap.CreateBitmap(m_width, height + 1, 1, 32, nullptr);
        m_colourBitmap.CreateBitmap(m_width, height + 1, 1, 32, nullptr);
        m_dest.SelectObject(&m_destBitmap);
        m_colour.SelectObject(&m_colourBitmap);
        m_dest.FillSolidRect(0, 0, m_width, height + 1, RGB(255, 255, 255));
        m_colour.FillSolidRect(0, 0, m_width, height + 1, RGB(255, 255, 255));
        m_colour.FillSolidRect(left, 0, mapWidth, height, shadow);
    }
    CDC m_dest;
    CDC m_colour;
    CBitmap m_destBitmap;
    CBitmap m_colourBitmap;
    int m_width;
    int m_height;
};

TEST(NightShadowDrawing, DarkensTheNightColumnsOnly) {
    const int X0 = 10;
    const int Wm = 240;
    const int H = 140;
    const COLORREF shade = RGB(64, 96, 128);
    ShadowSurface surface(X0, Wm, H, shade);
    CNightShadow shadow;
    EXPECT_EQ(shadow.Draw(surface.m_dest, surface.m_colour, X0, Wm, H, UtcInstant{2009, 6, 21, 12, 0, 0}), 1);

    int row51 = static_cast<int>((90 - 51) * H / 180.0);
    EXPECT_EQ(surface.m_dest.GetPixel(X0 + Wm / 2, row51), RGB(255, 255, 255)); // Greenwich at noon
    EXPECT_EQ(surface.m_dest.GetPixel(X0 + 1, row51), shade);                  // the date line at midnight
    EXPECT_EQ(surface.m_dest.GetPixel(X0 + 1, 5), RGB(255, 255, 255));           // midnight sun
    EXPECT_EQ(surface.m_dest.GetPixel(X0 - 1, H - 5), RGB(255, 255, 255));       // left of the map

    // Every drawn column's pixels follow its band in the table, interpolated ones included.
    const auto& bands = shadow.Bands();
    ASSERT_EQ(bands.size(), static_cast<size_t>(Wm + 2));
    for (int c = 0; c < Wm; ++c) {
        const NightBand& band = bands[c];
        for (int y = 0; y < H; y += 7) {
            bool inBand = band.IsNight() && y >= band.top && y < band.bottom;
            EXPECT_EQ(surface.m_dest.GetPixel(X0 + c, y), inBand ? shade : RGB(255, 255, 255))
                << "column " << c << " row " << y;
        }
    }
}

TEST(NightShadowDrawing, ColumnsBetweenComputedOnesAreInterpolatedOutsideMarchAndSeptember) {
    const int Wm = 240;
    const int H = 140;
    for (int month : {3, 9, 6, 12}) {
        ShadowSurface surface(0, Wm, H, RGB(0, 0, 0));
        CNightShadow shadow;
        UtcInstant at{2009, month, 21, 8, 30, 0};
        shadow.Draw(surface.m_dest, surface.m_colour, 0, Wm, H, at);
        SunPlace sun = SunPlaceAt(at);
        const int step = (month == 3 || month == 9) ? 1 : 3;
        int firstNight = -1;
        for (int c = 0; c < Wm; ++c) {
            NightBand band = shadow.Bands()[c];
            if (c % step == 0) {
                EXPECT_EQ(band, FindNightBand(180.0 - c * 360.0 / Wm, H, sun)) << month << " column " << c;
            }
            if (band.IsNight() && firstNight < 0) firstNight = c;
        }
        // The first night column is a computed one: nothing is interpolated before it.
        ASSERT_GE(firstNight, 0);
        EXPECT_EQ(firstNight % step, 0) << month;
        if (step == 3) {
            // Between two computed night columns the band edges step evenly.
            for (int c = firstNight + 3; c + 3 < Wm; c += 3) {
                NightBand left = shadow.Bands()[c - 3];
                NightBand right = shadow.Bands()[c];
                if (!left.IsNight() || !right.IsNight()) continue;
                NightBand mid = shadow.Bands()[c - 1];
                EXPECT_EQ(mid.top, right.top - (right.top - left.top) / 3) << c;
                EXPECT_EQ(mid.bottom, right.bottom - (right.bottom - left.bottom) / 3) << c;
            }
        }
    }
}

TEST(NightShadowDrawing, WideMapsAreCoveredToTheirLastColumn) {
    const int Wm = 1000;
    const int H = 300;
    ShadowSurface surface(0, Wm, H, RGB(0, 0, 0));
    CNightShadow shadow;
    shadow.Draw(surface.m_dest, surface.m_colour, 0, Wm, H, UtcInstant{2009, 12, 21, 0, 0, 0});
    // Midnight UTC: the map's middle (Greenwich) is night at the equator, the edges are day.
    EXPECT_EQ(surface.m_dest.GetPixel(Wm / 2, H / 2), RGB(0, 0, 0));
    EXPECT_EQ(surface.m_dest.GetPixel(Wm - 2, H / 2), RGB(255, 255, 255));
    EXPECT_EQ(shadow.Bands().size(), static_cast<size_t>(Wm + 2));
    // A map not laid out yet draws nothing.
    EXPECT_EQ(shadow.Draw(surface.m_dest, surface.m_colour, 0, 0, H, UtcInstant{2009, 12, 21, 0, 0, 0}), 1);
    EXPECT_TRUE(shadow.Bands().empty());
}

TEST_F(WorldMapTest, ShippedMapWithTheShadow) {
    namespace fs = std::filesystem;
    fs::copy_file(fs::path(JORVANA_DATA_DIR) / "worldmap.jpg", testsupport::HostPath(testsupport::InProgramFolder(L"worldmap.jpg")));
    HBITMAP map = SHLoadImageFile(testsupport::InProgramFolder(L"worldmap.jpg").c_str());
    ASSERT_TRUE(map);
    BITMAP info{};
    ::GetObject(map, sizeof info, &info);
    ASSERT_EQ(info.bmWidth, 240);
    ShadowSurface surface(0, info.bmWidth, info.bmHeight, RGB(90, 90, 140));
    CDC mapDC;
    mapDC.CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(mapDC.GetSafeHdc(), map);
    surface.m_dest.BitBlt(0, 0, info.bmWidth, info.bmHeight, &mapDC, 0, 0, SRCCOPY);
    ::SelectObject(mapDC.GetSafeHdc(), old);

    COLORREF before = surface.m_dest.GetPixel(2, info.bmHeight / 2);
    CNightShadow shadow;
    shadow.Draw(surface.m_dest, surface.m_colour, 0, info.bmWidth, info.bmHeight, UtcInstant{2009, 6, 21, 12, 0, 0});
    COLORREF after = surface.m_dest.GetPixel(2, info.bmHeight / 2);
    EXPECT_EQ(after, before & RGB(90, 90, 140));

    fs::path dir = ::testing::TempDir();
    if (const char* out = std::getenv("JORVANA_TEST_OUTPUT")) dir = out;
    fs::create_directories(dir);
    fs::path png = dir / "jorvana-worldmap-shadow-june-noon.png";
    EXPECT_TRUE(device::gdi::WritePng(static_cast<HBITMAP>(surface.m_destBitmap.GetSafeHandle()), png));
    std::cout << "[ screenshot ] " << png.string() << std::endl;
    ::DeleteObject(map);
}

} // namespace
