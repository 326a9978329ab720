// cities.lst read as the city store imports it, and its offsets and
// daylight-saving rules held against the carried tzdata it was made from.
#include "ShippedFiles.h"
#include "clocks/CityFields.h"
#include "clocks/StoredCityIndexes.h"
#include "core/ShippedDefaults.h"
#include "support/TzdataFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <map>
#include <set>

using namespace shippedtest;

namespace {

struct City {
    std::string zone;  // the first field, which the import skips
    std::string name, country, lon, lat, offset;
    std::string rule;  // property 104 as the import builds it
    int fields[5] = {};
};

struct CityList {
    std::string header;
    int count = 0;
    std::vector<City> cities;
    bool endMarkerHit = false;
};

// The import: first line skipped, count line, then per record one skipped
// field and nine fields ended by ";" and the rest of the line.
CityList ReadCityList() {
    TokenReader in(ReadAll(DataDir() / "cities.lst"));
    CityList list;
    list.header = in.Next('\n');
    list.count = std::atoi(in.Next('\n').c_str());
    for (int i = 0; i < list.count; ++i) {
        City c;
        c.zone = in.Next(';');
        std::string f[9];
        for (int k = 0; k < 9; ++k) {
            f[k] = in.Next(';');
            if ((k == 1 || k == 3 || k == 8) && f[k] == ">") {
                list.endMarkerHit = true;
                return list;
            }
        }
        std::string rest = in.Next('\n');
        c.name = f[0];
        c.country = f[1];
        c.lon = f[2];
        c.lat = f[3];
        c.offset = f[4];
        c.rule = f[5] + ":" + f[6] + ":" + f[7] + ":" + f[8] + ":" + rest;
        for (int k = 0; k < 4; ++k) c.fields[k] = std::atoi(f[5 + k].c_str());
        c.fields[4] = std::atoi(rest.c_str());
        list.cities.push_back(c);
    }
    return list;
}

const CityList& Cities() {
    static const CityList list = ReadCityList();
    return list;
}

int OffsetMinutes(int hhmm) {
    if (hhmm >= -100 && hhmm <= 100) return hhmm * 60;
    return hhmm / 100 * 60 + hhmm % 100;
}

int RuleYear() {
    const std::string& head = Cities().header;
    size_t at = head.find("year ");
    return at == std::string::npos ? 0 : std::atoi(head.c_str() + at + 5);
}

// Seconds of a naive calendar time counted as if it were UTC.
long long NaiveSeconds(int y, int mon, int d, int h) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mon - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    return static_cast<long long>(timegm(&tm));
}

// The window of a rule in the city's standard time, the program's way: day n
// is 1 January plus n - 1 days; an end in an earlier month than the start lies
// in the next year. A window running into the next year is also taken as open
// up to this year's end day (the window opened the year before).
bool RuleOpen(const City& c, int year, long long standardLocal) {
    long long jan1 = NaiveSeconds(year, 1, 1, 0);
    long long start = jan1 + (c.fields[1] - 1) * 86400LL + c.fields[2] * 3600LL;
    long long endThisYear = jan1 + (c.fields[3] - 1) * 86400LL + c.fields[4] * 3600LL;
    std::time_t s = static_cast<std::time_t>(start), e = static_cast<std::time_t>(endThisYear);
    std::tm st{}, et{};
    gmtime_r(&s, &st);
    gmtime_r(&e, &et);
    if (et.tm_mon < st.tm_mon) return standardLocal >= start || standardLocal < endThisYear;
    return standardLocal >= start && standardLocal < endThisYear;
}

// The C library's local time in a zone of the carried tzdata (TZ naming the zone's file).
class ZoneScope {
public:
    explicit ZoneScope(const std::string& zone) {
        const char* old = std::getenv("TZ");
        m_had = old != nullptr;
        if (old) m_old = old;
        setenv("TZ", (":" + (testsupport::CarriedTzdir() / zone).string()).c_str(), 1);
        tzset();
    }
    ~ZoneScope() {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static int OffsetAt(long long utc) {
        std::time_t t = static_cast<std::time_t>(utc);
        std::tm tm{};
        localtime_r(&t, &tm);
        return static_cast<int>(tm.tm_gmtoff / 60);
    }

private:
    bool m_had = false;
    std::string m_old;
};

int PredictedMinutes(const City& c, int year, long long utc) {
    int standard = OffsetMinutes(std::atoi(c.offset.c_str()));
    bool hasDst = Split(c.rule, ':')[0] != "0";
    // the program tests the city's standard time at the whole hour
    long long local = utc + standard * 60LL;
    local -= ((local % 3600) + 3600) % 3600;
    if (hasDst && RuleOpen(c, year, local)) return standard + c.fields[0] * 60;
    return standard;
}

// The cities of clock1..clock4 on a first start, as "name:country".
const char* const kClockNames[4] = {"New York:United States of America", "Paris:France",
                                    "London:United Kingdom", "Tokyo:Japan"};

}  // namespace

TEST(CityList, ParsesWithExactCountAndNoEarlyEndMarker) {
    const CityList& list = Cities();
    EXPECT_FALSE(list.endMarkerHit);
    EXPECT_GE(list.count, 1000);
    ASSERT_EQ(static_cast<int>(list.cities.size()), list.count);
    // after the counted records, the end marker guards a count that is too high
    std::string text = ReadAll(DataDir() / "cities.lst");
    EXPECT_NE(text.find("\n;>;"), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos) << "a CR would end up inside the rule text";
}

TEST(CityList, RecordsHoldUsableFields) {
    std::set<std::string> keys;
    std::set<std::string> zones;
    for (const City& c : Cities().cities) {
        SCOPED_TRACE(c.name + ":" + c.country);
        EXPECT_FALSE(c.name.empty());
        EXPECT_FALSE(c.country.empty());
        EXPECT_EQ(c.name.find_first_of(":;>*@"), std::string::npos);
        EXPECT_EQ(c.country.find_first_of(":;>*@/\\"), std::string::npos);
        for (char ch : c.name + c.country) EXPECT_TRUE(ch >= 0x20 && ch < 0x7F);
        EXPECT_TRUE(keys.insert(c.name + ":" + c.country).second) << "duplicate key";
        ASSERT_TRUE(IsInteger(c.lon) && IsInteger(c.lat));
        EXPECT_LE(std::abs(std::atoi(c.lon.c_str())), 180);
        EXPECT_LE(std::abs(std::atoi(c.lat.c_str())), 90);
        ASSERT_TRUE(IsInteger(c.offset));
        int off = std::atoi(c.offset.c_str());
        if (off < -100 || off > 100) {
            EXPECT_GT(std::abs(off), 199) << "hh*100+mm offsets start at 2:00";
            EXPECT_LT(std::abs(off % 100), 60);
        }
        EXPECT_LE(OffsetMinutes(off), 14 * 60);
        EXPECT_GE(OffsetMinutes(off), -12 * 60);
        std::vector<std::string> parts = Split(c.rule, ':');
        ASSERT_EQ(parts.size(), 5u);
        for (const std::string& p : parts) EXPECT_TRUE(IsInteger(p)) << c.rule;
        if (parts[0] != "0") {
            EXPECT_NE(c.fields[0], 0);
            EXPECT_TRUE(c.fields[1] >= 1 && c.fields[1] <= 366 && c.fields[3] >= 1 && c.fields[3] <= 366);
            // An hour of the day the bound's weekday counts from: at most two days from the change.
            EXPECT_TRUE(c.fields[2] > -48 && c.fields[2] < 72 && c.fields[4] > -48 && c.fields[4] < 72);
        }
        // What the city editor takes from the user, every shipped city passes.
        auto wide = [](const std::string& t) { return CString(std::wstring(t.begin(), t.end()).c_str()); };
        EXPECT_EQ(CheckCityFields(wide(c.lon), wide(c.lat), wide(c.offset), wide(c.rule)), CityFieldFault::None)
            << c.lon << " " << c.lat << " " << c.offset << " " << c.rule;
        zones.insert(c.zone);
    }
    EXPECT_GE(zones.size(), 300u);
}

TEST(CityList, OffsetsAndRulesAgreeWithTzdataAtFourDates) {
    int year = RuleYear();
    ASSERT_GE(year, 2020) << "the first line names the year of the rules";
    const long long dates[] = {NaiveSeconds(year, 1, 15, 12), NaiveSeconds(year, 4, 15, 12),
                               NaiveSeconds(year, 7, 15, 12), NaiveSeconds(year, 11, 15, 12)};
    int withDst = 0;
    for (const City& c : Cities().cities) {
        SCOPED_TRACE(c.name + " (" + c.zone + ") rule " + c.rule + " offset " + c.offset);
        ASSERT_TRUE(std::filesystem::exists(testsupport::CarriedTzdir() / c.zone)) << "no tzdata";
        ZoneScope zone(c.zone);
        for (long long utc : dates)
            EXPECT_EQ(PredictedMinutes(c, year, utc), ZoneScope::OffsetAt(utc)) << "at " << utc;
        if (Split(c.rule, ':')[0] != "0") ++withDst;
    }
    EXPECT_GT(withDst, 100);
}

TEST(CityList, RuleWindowsOpenAndCloseOnTheHourTzdataChanges) {
    int year = RuleYear();
    for (const City& c : Cities().cities) {
        if (Split(c.rule, ':')[0] == "0") continue;
        SCOPED_TRACE(c.name + " (" + c.zone + ") rule " + c.rule);
        ZoneScope zone(c.zone);
        long long standard = OffsetMinutes(std::atoi(c.offset.c_str())) * 60LL;
        long long jan1 = NaiveSeconds(year, 1, 1, 0);
        for (int edge = 0; edge < 2; ++edge) {
            long long local = jan1 + (c.fields[1 + 2 * edge] - 1) * 86400LL + c.fields[2 + 2 * edge] * 3600LL;
            long long utc = local - standard;
            EXPECT_EQ(PredictedMinutes(c, year, utc), ZoneScope::OffsetAt(utc));
            if (edge == 0 && local == jan1) {
                // A window from the year's first hour: summer time that began the year before
                // goes on (the year before reads it from the per-year windows).
                EXPECT_EQ(ZoneScope::OffsetAt(utc - 60), standard / 60 + c.fields[0] * 60);
                continue;
            }
            EXPECT_EQ(PredictedMinutes(c, year, utc - 60), ZoneScope::OffsetAt(utc - 60));
            EXPECT_NE(ZoneScope::OffsetAt(utc - 60), ZoneScope::OffsetAt(utc)) << "no change there";
        }
    }
}

TEST(CityList, DefaultClockPositionsNameTheirCities) {
    // CityIndex: position in the order of "name:country", case-sensitive
    std::vector<std::string> keys;
    for (const City& c : Cities().cities) keys.push_back(c.name + ":" + c.country);
    std::vector<std::string> sorted = keys;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(keys, sorted) << "the file is written in CityIndex order";
    ASSERT_EQ(shipped::kCityCount, keys.size());
    for (int i = 0; i < 4; ++i) {
        ASSERT_LT(shipped::kClockCity[i], sorted.size());
        EXPECT_EQ(sorted[shipped::kClockCity[i]], kClockNames[i]);
    }
    ASSERT_LT(shipped::kSpareClockCity, sorted.size());
    EXPECT_EQ(sorted[shipped::kSpareClockCity], "Sydney:Australia");
}

TEST(CityList, ProgramClockDefaultsAreTheShippedClockCities) {
    // The first start sets clock1..clock4 to fixed positions; the list must
    // hold the intended cities exactly there, and the home clock starts on
    // the first city.
    EXPECT_EQ(kClockDefaultCities[0], 0u);
    const std::vector<City>& cities = Cities().cities;
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE("clock" + std::to_string(i + 1));
        EXPECT_EQ(kClockDefaultCities[i + 1], shipped::kClockCity[i]);
        ASSERT_LT(kClockDefaultCities[i + 1], cities.size());
        const City& c = cities[kClockDefaultCities[i + 1]];
        EXPECT_EQ(c.name + ":" + c.country, kClockNames[i]);
    }
}
