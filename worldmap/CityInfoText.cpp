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

CString RuleFirstField(const CString& rule) {
    int colon = rule.Find(L':');
    return colon < 0 ? rule : rule.Left(colon);
}

// The window's bounds are civil times of the city's calendar.
CString FormatWindowDates(const CityDstWindow& window) {
    int sy, sm, sd, sh, smi, ss, ey, em, ed, eh, emi, es;
    CivilFields(window.start, sy, sm, sd, sh, smi, ss);
    CivilFields(window.end, ey, em, ed, eh, emi, es);
    CString text;
    text.Format(L"%d/%d/%d - %d/%d/%d", sd, sm, sy, ed, em, ey);
    return text;
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

    CString firstField = RuleFirstField(rule);
    CString state;
    CString windowText;
    CString suffix;
    if (firstField == L"0") {
        state = Res(IDS_CITY_INFO_NEVER_OBSERVING);
        windowText = L"-";
    } else {
        if (window.start <= instant && instant < window.end) {
            state = Res(IDS_CITY_INFO_OBSERVING);
            suffix = L" + " + firstField + L"h (DST)";
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
