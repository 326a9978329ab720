// The first start's home city proposal: the device's zone matched through tzdata's links, else
// a city whose clock agrees with the device's now and half a year away.
#include "clocks/HomeCityProposal.h"

#include "platform/system/TzFile.h"
#include "platform/system/ZoneLinks.h"

#include <map>
#include <tuple>

namespace {

// Far enough from now that a zone with summer time is in its other half of the year.
constexpr time_t kHalfYear = 183 * 86400;

// The city a zone name is named after: "America/New_York" gives "New York".
CString CityOfZone(const std::string& zone) {
    CString city(zone.substr(zone.rfind('/') + 1).c_str());
    city.Replace(L'_', L' ');
    return city;
}

} // namespace

bool CityClockReadsZoneTime(const HomeCityCandidate& city, const device::TzZone& zone, time_t utc) {
    const int standard = OffsetMinutes(city.offset);
    const int shown = dstmath::MinutesAt(city.rule, standard, static_cast<long long>(utc) + standard * 60LL);
    return shown * 60 == zone.TypeAt(utc).utcOffset;
}

int ProposeHomeCity(const std::vector<HomeCityCandidate>& cities, const std::string& zoneName,
                    const device::TzZone& zone, time_t now) {
    const std::string canonical = device::CanonicalZoneName(zoneName);
    const CString ownCity = CityOfZone(zoneName);
    const CString zoneCity = CityOfZone(canonical);
    std::map<std::string, bool> sameZone; // per listed zone name: does it stand for the device's zone
    auto inDeviceZone = [&](const std::string& listed) {
        if (listed.empty()) return false;
        auto known = sameZone.find(listed);
        if (known == sameZone.end())
            known = sameZone.emplace(listed, device::CanonicalZoneName(listed) == canonical).first;
        return known->second;
    };

    // Lower is better: (tier, name preference, CityIndex).
    std::tuple<int, int, int> best{3, 0, 0};
    int chosen = -1;
    for (const HomeCityCandidate& city : cities) {
        const bool inZone = inDeviceZone(city.zone);
        const bool fits =
            CityClockReadsZoneTime(city, zone, now) && CityClockReadsZoneTime(city, zone, now + kHalfYear);
        const int tier = inZone && fits ? 0 : fits ? 1 : inZone ? 2 : 3;
        if (tier == 3) continue;
        int preference = 4;
        if (city.name == ownCity)
            preference = 0;
        else if (city.name == zoneCity)
            preference = 1;
        else if (!city.zone.empty() && city.name == CityOfZone(city.zone))
            preference = 2;
        else if (city.zone == zoneName)
            preference = 3;
        const std::tuple<int, int, int> rank{tier, preference, city.index};
        if (chosen < 0 || rank < best) {
            best = rank;
            chosen = city.index;
        }
    }
    return chosen;
}
