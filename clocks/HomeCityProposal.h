#pragma once
// The home city proposed at the first start: a city whose clock reads the device's own time, so
// that accepting the proposal keeps every clock right.

#include "clocks/DstRule.h"
#include "platform/base/CString.h"

#include <ctime>
#include <string>
#include <vector>

namespace device {
class TzZone;
}

// One city as the proposal weighs it.
struct HomeCityCandidate {
    int index = 0;    // its CityIndex
    CString name;     // the city name (property 101 before the first ":")
    std::string zone; // the tzdata zone cities.lst gives it; empty when the list does not know it
    int offset = 0;   // standard offset (HhmmOffset)
    DstRuleFields rule;
};

// Whether the city's clock, as the clocks compute it from its offset and rule, shows the zone's
// time at the UTC instant.
bool CityClockReadsZoneTime(const HomeCityCandidate& city, const device::TzZone& zone, time_t utc);

// The CityIndex to propose on a device in the named zone at the instant now, or -1 when no city
// fits. Cities of the device's zone come first, matched through tzdata's links either way
// (America/Nuuk and America/Godthab are one zone), when their clocks read the device's time now
// and half a year away; else any city whose clock does; else a city of the zone all the same.
// Among several, the city the device's zone is named after, then the one its zone's own name
// gives, then the city a listed zone is named after (Rangoon of Asia/Rangoon), then one listed
// under the device's zone name itself, then the first in the list.
int ProposeHomeCity(const std::vector<HomeCityCandidate>& cities, const std::string& zoneName,
                    const device::TzZone& zone, time_t now);
