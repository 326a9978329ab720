// The checks of a city's position, zone and daylight-saving rule.
#include "clocks/CityFields.h"

#include "core/DstMath.h"

#include <cwchar>
#include <string>
#include <vector>

namespace {

// A decimal number: an optional sign, digits with an optional fraction (when allowed), nothing
// else; short enough for every reader's integer.
bool ReadDecimal(const std::wstring& text, bool fraction, double& value) {
    if (text.empty() || text.size() > 20) return false;
    size_t i = (text[0] == L'-' || text[0] == L'+') ? 1 : 0;
    size_t whole = 0, parts = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= L'0' && text[i] <= L'9') {
            ++parts;
            if (!point) ++whole;
        } else if (fraction && text[i] == L'.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (parts == 0 || whole > 6) return false;
    value = std::wcstod(text.c_str(), nullptr);
    return true;
}

bool ReadWhole(const std::wstring& text, int& value) {
    double number = 0;
    if (!ReadDecimal(text, false, number)) return false;
    value = static_cast<int>(number);
    return true;
}

bool InRange(double value, double low, double high) { return value >= low && value <= high; }

bool IsZone(int offset) {
    // Whole hours from -100 to 100; beyond, hours * 100 + minutes with fewer than 60 minutes.
    if ((offset < -100 || offset > 100) && (offset % 100 <= -60 || offset % 100 >= 60)) return false;
    return InRange(dstmath::OffsetMinutes(offset), kMinZoneMinutes, kMaxZoneMinutes);
}

std::vector<std::wstring> SplitColons(const std::wstring& text) {
    std::vector<std::wstring> parts;
    size_t begin = 0;
    for (;;) {
        const size_t colon = text.find(L':', begin);
        parts.push_back(text.substr(begin, colon == std::wstring::npos ? std::wstring::npos : colon - begin));
        if (colon == std::wstring::npos) return parts;
        begin = colon + 1;
    }
}

} // namespace

CityFieldFault CheckCityFields(const CString& longitude, const CString& latitude, const CString& offset,
                               const CString& rule) {
    double value = 0;
    if (!ReadDecimal(longitude.Str(), true, value) || !InRange(value, -180, 180)) return CityFieldFault::Longitude;
    if (!ReadDecimal(latitude.Str(), true, value) || !InRange(value, -90, 90)) return CityFieldFault::Latitude;
    int zone = 0;
    if (!ReadWhole(offset.Str(), zone) || !IsZone(zone)) return CityFieldFault::Zone;

    if (rule == L"0") return CityFieldFault::None;
    const std::vector<std::wstring> parts = SplitColons(rule.Str());
    if (parts.size() != 5) return CityFieldFault::DstRule;
    int fields[5] = {};
    for (int i = 0; i < 5; ++i)
        if (!ReadWhole(parts[i], fields[i])) return CityFieldFault::DstRule;
    const bool allZero = fields[0] == 0 && fields[1] == 0 && fields[2] == 0 && fields[3] == 0 && fields[4] == 0;
    if (allZero) return CityFieldFault::None;
    if (!InRange(fields[0], -kMaxDstShiftHours, kMaxDstShiftHours) || !InRange(fields[1], 1, kMaxDayOfYear) ||
        !InRange(fields[2], kMinRuleHour, kMaxRuleHour) || !InRange(fields[3], 1, kMaxDayOfYear) ||
        !InRange(fields[4], kMinRuleHour, kMaxRuleHour))
        return CityFieldFault::DstRule;
    // A rule whose first field reads "0" has no daylight saving, whatever follows.
    if (parts[0] == L"0") return CityFieldFault::None;
    // The clocks add the shift in the offset's own form: it must give the zone an hour further.
    const int shifted = dstmath::AddShift(zone, fields[0]);
    if (!IsZone(shifted) ||
        dstmath::OffsetMinutes(shifted) != dstmath::OffsetMinutes(zone) + 60 * fields[0])
        return CityFieldFault::DstZone;
    return CityFieldFault::None;
}
