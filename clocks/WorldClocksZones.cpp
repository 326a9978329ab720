// The World Clocks page's zones: each clock's offset for now with its city's daylight saving,
// and the home reference that the device's local clock stands for.

#include "clocks/DstRule.h"
#include "clocks/WorldClocksDlg.h"
#include "core/CityTime.h"
#include "platform/framework/Time.h"
#include "platform/system/DeviceTime.h"

namespace {

// A store text read as a decimal integer: leading blanks skipped, then sign and digits.
int ReadDecimal(CString text) {
    text.TrimLeft();
    return ReadLeadingInt(text);
}

} // namespace

void CWorldClocksDlg::LoadOneClockZone(int clock, int year) {
    const DWORD index = s_clockCity[clock];
    int zone = ReadDecimal(m_cities.GetUtcOffset(index));
    const DstRuleFields rule = CityDstRule(m_cities, index);
    time_t standard = CityStandardHour(zone, m_refHours, m_refMinutes);
    DstWindow window = GetDstWindowAt(rule, year, standard);
    m_dstShift[clock] = window.shift;
    m_dstStart[clock] = window.start;
    m_dstEnd[clock] = window.end;
    if (!window.hasDst) {
        m_dstApplied[clock] = 0;
    } else if (window.Contains(standard)) {
        zone = AddDstShift(zone, window.shift);
        m_dstApplied[clock] = 1;
    } else {
        m_dstApplied[clock] = 0;
    }
    m_zone[clock] = zone;
}

void CWorldClocksDlg::LoadClockZones(DWORD home, DWORD city1, DWORD city2, DWORD city3, DWORD city4) {
    const DWORD indexes[kClockCount] = {home, city1, city2, city3, city4};
    const int year = CTime::GetCurrentTime().GetYear();
    m_zoneYear = year;
    for (int clock = 0; clock < kClockCount; ++clock) {
        s_clockCity[clock] = indexes[clock];
        // Without zone synchronisation the home clock shows the device's own time.
        if (clock == 0 && !m_syncLocalZone) continue;
        LoadOneClockZone(clock, year);
    }
}

bool CWorldClocksDlg::IsInsideStoredWindow(int clock) {
    if (m_dstStart[clock] >= m_dstEnd[clock]) return false; // no daylight saving, or never open
    int standard = m_dstApplied[clock] ? AddDstShift(m_zone[clock], -m_dstShift[clock]) : m_zone[clock];
    time_t t = CityStandardHour(standard, m_refHours, m_refMinutes);
    return m_dstStart[clock] <= t && t < m_dstEnd[clock];
}

void CWorldClocksDlg::ComputeHomeZone(int& referenceHours, int& referenceMinutes) {
    if (m_syncLocalZone) {
        // The zone the device's clock shows: its summer time counts while it observes it, or
        // every clock would be a shift off the device's own clock.
        DeviceZoneReferenceNow(referenceHours, referenceMinutes);
        return;
    }
    // The home city's standard offset and rule are kept, so that every tick can test them
    // without reading the store.
    const DWORD index = s_clockCity[0];
    m_homeStandard = ReadDecimal(m_cities.GetUtcOffset(index));
    m_homeRule = CityDstRule(m_cities, index);
    HomeReferenceNow(referenceHours, referenceMinutes);
}

void CWorldClocksDlg::HomeReferenceNow(int& referenceHours, int& referenceMinutes) const {
    // The device's clock shows the home city's wall time: summer time while its window is open.
    HomeCityReferenceNow(m_homeRule, m_homeStandard, referenceHours, referenceMinutes);
}
