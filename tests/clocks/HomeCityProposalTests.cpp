// The first start's proposed home city over the shipped city list: every tzdata link name, UTC
// and the zones the list lacks, judged by what the home clock then shows (the device's own time
// now and half a year later).

#include "clocks/HomeCityProposal.h"
#include "data/ShippedFiles.h"
#include "platform/base/Utf8.h"
#include "platform/system/DeviceTime.h"
#include "platform/system/TzFile.h"
#include "platform/system/ZoneLinks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>

namespace {

using shippedtest::DataDir;

struct ShippedCities {
    std::vector<HomeCityCandidate> cities;
    std::set<std::string> zones; // the zones the list names, as it names them
};

// cities.lst as the store imports it, each city with the zone of its line.
const ShippedCities& Shipped() {
    static const ShippedCities shipped = [] {
        ShippedCities list;
        shippedtest::TokenReader in(shippedtest::ReadAll(DataDir() / "cities.lst"));
        const std::string head = in.Next('\n');
        const size_t at = head.find("year ");
        const int year = at == std::string::npos ? 0 : std::atoi(head.c_str() + at + 5);
        const int count = std::atoi(in.Next('\n').c_str());
        for (int i = 0; i < count; ++i) {
            const std::string zone = in.Next(';');
            std::string f[9];
            for (auto& field : f)
                field = in.Next(';');
            const std::string rest = in.Next('\n');
            HomeCityCandidate city;
            city.index = i;
            city.name = CString(f[0].c_str());
            city.zone = zone;
            city.offset = std::atoi(f[4].c_str());
            city.rule = ParseDstRule(
                CString((f[5] + ":" + f[6] + ":" + f[7] + ":" + f[8] + ":" + rest).c_str()), year);
            list.cities.push_back(city);
            list.zones.insert(zone);
        }
        return list;
    }();
    return shipped;
}

std::shared_ptr<const device::TzZone> Zone(const std::string& name) {
    std::string error;
    auto zone = device::LoadZoneNamed(name, &error);
    EXPECT_TRUE(zone) << name << ": " << error;
    return zone;
}

// Whether the home clock of this city reads the zone's time at utc: on the first start the
// device's clock is taken to show the home city's wall time, and every other clock is shifted
// from the city's offset, its summer time judged from that wall time.
bool HomeClockRight(const HomeCityCandidate& city, const device::TzZone& zone, time_t utc) {
    const int deviceOffset = zone.TypeAt(utc).utcOffset;
    const time_t wall = utc + deviceOffset;
    const bool summer = WallTimeInsideWindow(city.rule, city.offset, wall, utc);
    return OffsetMinutes(summer ? AddDstShift(city.offset, city.rule.shift) : city.offset) * 60 ==
           deviceOffset;
}

// 15 January 2026 and 1 May 2028, noon UTC: the rules' own year and a later one whose dates the
// rules move to by weekday.
constexpr time_t kInstants[] = {1768478400, 1840881600};
constexpr time_t kHalfYear = 183 * 86400;

bool HomeClockRightNowAndLater(const HomeCityCandidate& city, const device::TzZone& zone, time_t now) {
    return HomeClockRight(city, zone, now) && HomeClockRight(city, zone, now + kHalfYear);
}

const HomeCityCandidate* Proposed(const std::string& zoneName, time_t now) {
    auto zone = Zone(zoneName);
    if (!zone) return nullptr;
    const int index = ProposeHomeCity(Shipped().cities, zoneName, *zone, now);
    return index < 0 ? nullptr : &Shipped().cities.at(static_cast<size_t>(index));
}

// The proposal for a zone: of the zone itself whenever one of its cities keeps the clocks
// right, else any city that does; none only when no city does.
void ExpectRightProposal(const std::string& zoneName) {
    auto zone = Zone(zoneName);
    ASSERT_TRUE(zone);
    const std::string canonical = device::CanonicalZoneName(zoneName);
    for (time_t now : kInstants) {
        bool zoneCityFits = false, anyFits = false;
        for (const auto& city : Shipped().cities) {
            const bool fits = HomeClockRightNowAndLater(city, *zone, now);
            anyFits |= fits;
            zoneCityFits |= fits && device::CanonicalZoneName(city.zone) == canonical;
        }
        const HomeCityCandidate* city = Proposed(zoneName, now);
        if (!anyFits) {
            EXPECT_EQ(city, nullptr) << zoneName << " at " << now;
            continue;
        }
        ASSERT_NE(city, nullptr) << zoneName << " at " << now;
        EXPECT_TRUE(HomeClockRightNowAndLater(*city, *zone, now))
            << zoneName << " at " << now << ": " << city->zone << " "
            << device::ToUtf8(static_cast<LPCWSTR>(city->name));
        if (zoneCityFits) {
            EXPECT_EQ(device::CanonicalZoneName(city->zone), canonical)
                << zoneName << " at " << now << ": " << city->zone;
        }
    }
}

TEST(HomeCityProposal, EveryLinkNameOfTheSystemTzdataProposesACityOfItsZone) {
    const auto& links = device::ZoneLinks();
    ASSERT_FALSE(links.empty()) << "no tzdata.zi in " << device::ZoneFolder();
    int tried = 0;
    for (const auto& [link, target] : links) {
        // Only links whose zone the list holds, under either name.
        bool listed = false;
        for (const auto& zone : Shipped().zones)
            listed |= device::CanonicalZoneName(zone) == target || zone == link;
        if (!listed) continue;
        ++tried;
        ExpectRightProposal(link);
        ExpectRightProposal(target);
    }
    EXPECT_GT(tried, 10);
}

TEST(HomeCityProposal, OldAndNewNamesAndUtcGiveTheExpectedCity) {
    const time_t now = kInstants[0];
    for (const auto& [zone, name] :
         {std::pair{"America/Nuuk", L"Nuuk"}, std::pair{"America/Godthab", L"Nuuk"},
          std::pair{"Asia/Yangon", L"Rangoon"}, std::pair{"Asia/Rangoon", L"Rangoon"},
          std::pair{"Europe/Kyiv", L"Kyiv"}, std::pair{"Europe/Kiev", L"Kyiv"},
          std::pair{"America/New_York", L"New York"},
          // No city of these zones: one on UTC all year.
          std::pair{"Etc/UTC", L"Abidjan"}, std::pair{"UTC", L"Abidjan"}, std::pair{"Etc/GMT", L"Abidjan"}}) {
        const HomeCityCandidate* city = Proposed(zone, now);
        ASSERT_NE(city, nullptr) << zone;
        EXPECT_EQ(std::wstring(city->name), name) << zone;
    }
}

TEST(HomeCityProposal, ZonesTheListLacksGetACityOfTheSameClockOrNone) {
    // Every zone of the system tzdata that no listed zone stands for, UTC and fixed offsets among
    // them, and a POSIX rule.
    std::set<std::string> canonicalListed;
    for (const auto& zone : Shipped().zones)
        canonicalListed.insert(device::CanonicalZoneName(zone));
    std::ifstream in(device::ZoneFolder() / "tzdata.zi");
    std::string line;
    int tried = 0;
    while (std::getline(in, line)) {
        if (line.rfind("Z ", 0) != 0) continue;
        const std::string zone = line.substr(2, line.find(' ', 2) - 2);
        if (canonicalListed.count(zone)) continue;
        ++tried;
        ExpectRightProposal(zone);
    }
    EXPECT_GT(tried, 10);
    ExpectRightProposal("<+0530>-05:30");
    // Nothing on +12:45 all year: none is proposed, and the dialog keeps item 0.
    EXPECT_EQ(Proposed("<+1245>-12:45", kInstants[0]), nullptr);
}

} // namespace
