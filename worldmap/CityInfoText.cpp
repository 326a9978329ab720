#include "worldmap/CityInfoText.h"

#include "clocks/DstRule.h"
#include "core/CitiesDb.h"
#include "platform/framework/Time.h"
#include "platform/ui/MessageBox.h"
#include "resources/resource.h"

#include <cwchar>

namespace {

CString Res(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

// The window as the clocks hold it: its bounds are civil times of the city's calendar.
CString FormatWindowDates(const CityDstWindow& window) {
    DstWindow w;
    w.hasDst = window.hasDst;
    w.shift = window.shift;
    w.start = window.start;
    w.end = window.end;
    return DstWindowDates(w);
}

} // namespace

CString FormatOffsetText(const CString& offsetText) {
    long value = std::wcstol(offsetText.GetString(), nullptr, 10);
    if (value >= -100 && value <= 100) return offsetText + L"h";
    int length = offsetText.GetLength();
    return offsetText.Left(length - 2) + L"h" + offsetText.Right(2);
}

CString BuildCityInfoText(CCitiesDb& cities, DWORD cityIndex, const CityDstWindow& window, time_t instant) {
    CString name = cities.GetName(cityIndex);
    CString country = cities.GetCountry(cityIndex);
    CString longitude = cities.GetLongitude(cityIndex);
    CString latitude = cities.GetLatitude(cityIndex);
    CString rule = cities.GetDstRule(cityIndex);
    CString offset = cities.GetUtcOffset(cityIndex);

    // Never observing: a rule without daylight saving, or one whose windows come from its zone
    // (tzdata, the per-year file) and hold none from this year on. A city that follows tzdata
    // can observe it under a rule "0".
    const DstRuleFields fields = CityDstRule(cities, cityIndex);
    CString state;
    CString windowText;
    CString suffix;
    if (!dstmath::Observes(fields) || (fields.schedule && !window.hasDst)) {
        state = Res(IDS_CITY_INFO_NEVER_OBSERVING);
        windowText = L"-";
    } else {
        if (window.start <= instant && instant < window.end) {
            state = Res(IDS_CITY_INFO_OBSERVING);
            suffix = L" + " + DstShiftText(rule, window.shift) + L"h (DST)";
        } else {
            state = Res(IDS_CITY_INFO_NOT_OBSERVING);
        }
        windowText = FormatWindowDates(window);
    }

    CString text;
    text += Res(IDS_CITY_INFO_CITY) + L": " + name + L"\n";
    text += Res(IDS_CITY_INFO_COUNTRY) + L": " + country + L"\n";
    text += Res(IDS_CITY_INFO_LONG) + longitude + Res(IDS_CITY_INFO_LAT) + latitude + L"\n";
    text += Res(IDS_CITY_INFO_DAYLIGHT_SAVING) + L": " + state + L"\n";
    text += Res(IDS_CITY_INFO_DST_START_END) + L": " + windowText + L"\n";
    text += Res(IDS_CITY_INFO_GMT) + FormatOffsetText(offset) + suffix;
    return text;
}

void ShowCityInfoText(HWND owner, const CString& text) {
    ::MessageBoxW(owner, text, Res(IDS_CITY_INFO_CAPTION), MB_OK | MB_ICONINFORMATION);
}
