#include "clocks/ClockCityInfo.h"

#include "clocks/CityInfoDlg.h"
#include "clocks/DstRule.h"
#include "core/CitiesDb.h"
#include "core/RegistryKey.h"
#include "core/WeatherDb.h"
#include "platform/framework/Time.h"
#include "platform/ui/MessageBox.h"
#include "resources/resource.h"
#include "weather/ForecastDlg.h"

namespace {

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

// "5h", "-10h", "5h30", "-3h30": the offset text with "h" before its minutes.
CString OffsetText(const CString& text, int offset) {
    if (offset >= -100 && offset <= 100) return text + L"h";
    return text.Left(text.GetLength() - 2) + L"h" + text.Right(2);
}

} // namespace

ClockCityFacts BuildClockCityFacts(CCitiesDb& cities, DWORD cityIndex, int referenceHours, int referenceMinutes) {
    ClockCityFacts facts;
    facts.name = cities.GetName(cityIndex);
    facts.country = cities.GetCountry(cityIndex);
    facts.longitude = cities.GetLongitude(cityIndex);
    facts.latitude = cities.GetLatitude(cityIndex);
    const CString rule = cities.GetDstRule(cityIndex);
    CString offsetProperty = cities.GetUtcOffset(cityIndex);
    offsetProperty.Trim();
    const int offset = ReadLeadingInt(offsetProperty);
    facts.currentOffset = offsetProperty;
    facts.standardOffset = offset;
    facts.rule = CityDstRule(cities, cityIndex);

    facts.summary = LoadText(IDS_CITY_INFO_CITY) + L": " + facts.name + L"\n" + LoadText(IDS_CITY_INFO_COUNTRY) +
                    L": " + facts.country + L"\n" + LoadText(IDS_CITY_INFO_LONG) + facts.longitude +
                    LoadText(IDS_CITY_INFO_LAT) + facts.latitude;
    CString suffix;
    // The window that matters now: for a southern-hemisphere rule in its first months this is
    // the one that opened the year before, as the clock itself applies it.
    const time_t standard = CityStandardHour(offset, referenceHours, referenceMinutes);
    const DstWindow window = GetDstWindowAt(facts.rule, CTime::GetCurrentTime().GetYear(), standard);
    if (!window.hasDst) {
        facts.observing = LoadText(IDS_CITY_INFO_NEVER_OBSERVING);
        facts.period = L"-";
    } else {
        if (window.Contains(standard)) {
            facts.observing = LoadText(IDS_CITY_INFO_OBSERVING);
            facts.currentOffset.Format(L"%d", AddDstShift(offset, window.shift));
            suffix = L" + " + DstShiftText(rule, window.shift) + L"h (DST)";
        } else {
            facts.observing = LoadText(IDS_CITY_INFO_NOT_OBSERVING);
        }
        facts.period = window.start < window.end ? DstWindowDates(window) : CString(L"-");
    }
    facts.summary += L"\n" + LoadText(IDS_CITY_INFO_DAYLIGHT_SAVING) + L": " + facts.observing + L"\n" +
                     LoadText(IDS_CITY_INFO_DST_START_END) + L": " + facts.period;
    facts.offsetText = OffsetText(offsetProperty, offset) + suffix;
    facts.summary += L"\n" + LoadText(IDS_CITY_INFO_GMT) + facts.offsetText;
    return facts;
}

void ClockDateFromText(const CString& dateText, int currentYear, int& day, int& month, int& year) {
    day = ReadLeadingInt(dateText.Left(2));
    month = ReadLeadingInt(dateText.Mid(3, 2));
    if (dateText.Find(L"/2") >= 0 || dateText.Find(L"/3") >= 0)
        year = ReadLeadingInt(dateText.Mid(6, 4));
    else
        year = currentYear;
}

bool IsForecastCurrent(const CString& updateDate, time_t now) {
    int day = 0, month = 0, year = 0;
    if (!ReadDayFirstDate(updateDate, day, month, year)) return false;
    const time_t last = CTime(year, month, day, 23, 59, 59).GetTime();
    if (last == static_cast<time_t>(-1)) return false;
    return now <= last + CForecastDlg::kForecastLifetime;
}

void ShowClockCityInfo(CWnd* page, CCitiesDb& cities, DWORD cityIndex, const CString& dateText, int referenceHours,
                       int referenceMinutes) {
    const ClockCityFacts facts = BuildClockCityFacts(cities, cityIndex, referenceHours, referenceMinutes);
    const HWND owner = page ? page->m_hWnd : nullptr;
    const CString text = facts.summary + LoadText(IDS_CITY_INFO_SUMMARY_END);
    if (::MessageBoxW(owner, text, LoadText(IDS_CITY_INFO_CAPTION), MB_YESNO | MB_ICONINFORMATION) != IDYES) return;

    CCityInfoDlg dlg(page);
    dlg.m_name = facts.name;
    dlg.m_country = facts.country;
    dlg.m_longitude = facts.longitude;
    dlg.m_latitude = facts.latitude;
    dlg.m_observing = facts.observing;
    dlg.m_period = facts.period;
    dlg.m_offsetText = facts.offsetText;
    dlg.m_currentOffset = facts.currentOffset;
    dlg.m_standardOffset = facts.standardOffset;
    dlg.m_dstRule = facts.rule;
    ClockDateFromText(dateText, CTime::GetCurrentTime().GetYear(), dlg.m_day, dlg.m_month, dlg.m_year);
    dlg.DoModal();
}

void ShowClockCityWeather(CWnd* page, CWeatherDb& weather, const CString& cityName, const CString& homeName) {
    const HWND owner = page ? page->m_hWnd : nullptr;
    if (!weather.FindByName(cityName) ||
        !IsForecastCurrent(weather.GetUpdateDate(weather.GetCurrentIndex()), CTime::GetCurrentTime().GetTime())) {
        ::MessageBoxW(owner, LoadText(IDS_FORECAST_OUT_OF_DATE), nullptr, MB_OK);
        return;
    }
    RunForecastView(page, cityName, homeName);
}
