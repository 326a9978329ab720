#include "weather/ForecastText.h"

#include "core/CommonHelpers.h"
#include "core/HttpExchange.h"
#include "core/CoreMessages.h"
#include "core/WeatherDb.h"
#include "platform/system/DeviceTime.h"
#include "platform/ui/MessageBox.h"
#include "resources/resource.h"

#include <algorithm>
#include <cstdint>

std::vector<CString> SplitForecastFields(const CString& forecastText) {
    std::vector<CString> fields;
    fields.reserve(kForecastFields);
    int start = 0;
    while (static_cast<int>(fields.size()) < kForecastFields) {
        int caret = forecastText.Find(L'^', start);
        if (caret < 0) break;
        fields.push_back(forecastText.Mid(start, caret - start));
        start = caret + 1;
    }
    fields.resize(kForecastFields);
    return fields;
}

CString ForecastField(const std::vector<CString>& fields, int day, int field) {
    if (day < 0 || day >= kForecastDays || field < 0 || field >= kForecastDayFields) return CString();
    size_t i = static_cast<size_t>(day * kForecastDayFields + field);
    return i < fields.size() ? fields[i] : CString();
}

bool ForecastReachesDay(const std::vector<CString>& fields, int day) {
    return !ForecastField(fields, day, kDayDateText).IsEmpty();
}

CString ForecastRecordDate(const CString& forecastText) {
    const CString last = SplitForecastFields(forecastText)[kDayDateText].Right(10);
    // Characters 4-6, then 1-3, then 7-10: MM/DD/YYYY becomes DD/MM/YYYY. A text that is no
    // such date is stored rebuilt all the same, and readers find no current forecast in it.
    CString date = last.Mid(3, 3) + last.Left(3) + last.Mid(6, 4);
    // The country follows the first ":" of the stored text: a ":" of the date would move it.
    date.Remove(L':');
    return date;
}

namespace {

constexpr int kMaxFieldChars = 80;

// The day number (days since 1970-01-01) of the MM/DD/YYYY date that ends a date text; false
// when it ends with none.
bool DateTextDay(const CString& text, int64_t& day) {
    if (text.GetLength() < 10) return false;
    const std::wstring date = text.Right(10).Str();
    for (int i = 0; i < 10; ++i) {
        const bool slash = i == 2 || i == 5;
        if (slash ? date[i] != L'/' : (date[i] < L'0' || date[i] > L'9')) return false;
    }
    const int month = (date[0] - L'0') * 10 + (date[1] - L'0');
    const int dayOfMonth = (date[3] - L'0') * 10 + (date[4] - L'0');
    const int year = std::stoi(date.substr(6));
    if (month < 1 || month > 12 || dayOfMonth < 1 || dayOfMonth > device::DaysInMonth(year, month))
        return false;
    day = device::DaysFromCivil(year, month, dayOfMonth);
    return true;
}

// A plain decimal number, blanks around it aside: an optional "+" (or "-" when allowed), digits,
// an optional fraction; at most eight characters, within [low, high].
bool IsNumberIn(const CString& field, double low, double high, bool signedValue) {
    CString trimmed = field;
    trimmed.Trim();
    const std::wstring& text = trimmed.Str();
    if (text.empty() || text.size() > 8) return false;
    const size_t start = text[0] == L'+' || (signedValue && text[0] == L'-') ? 1 : 0;
    if (start == text.size()) return false;
    if (text.find_first_not_of(L"0123456789.", start) != std::wstring::npos) return false;
    double value = 0;
    return ReadWholeNumber(text.c_str(), value) && value >= low && value <= high;
}

// A measured value: no data, or a number in its range.
bool IsMeasure(const CString& text, double low, double high, bool signedValue = false) {
    return IsNoForecastData(text) || IsNumberIn(text, low, high, signedValue);
}

bool IsFeelsLikeHalf(const CString& half) {
    CString trimmed = half;
    trimmed.Trim();
    return !trimmed.IsEmpty() && IsMeasure(trimmed, kMinFeelsLike, kMaxFeelsLike, true);
}

bool IsFeelsLike(const CString& text) {
    CString trimmed = text;
    trimmed.Trim();
    if (IsMeasure(trimmed, kMinFeelsLike, kMaxFeelsLike, true)) return true;
    return FeelsLikeSlash(text) >= 0;
}

// A measured field as stored and shown: without the blanks around its number (or each number
// of a feels-like pair).
CString TrimmedMeasure(const CString& text, int field) {
    CString trimmed = text;
    trimmed.Trim();
    if (field != kDayFeelsLike || IsMeasure(trimmed, kMinFeelsLike, kMaxFeelsLike, true)) return trimmed;
    const int slash = FeelsLikeSlash(text);
    if (slash < 0) return trimmed;
    CString left = text.Left(slash), right = text.Mid(slash + 1);
    return left.Trim() + L"/" + right.Trim();
}

bool IsConditionCode(const std::wstring& text) {
    if (text.size() > 16) return false;
    return std::all_of(text.begin(), text.end(), [](wchar_t c) {
        return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'-' ||
               c == L'/';
    });
}

bool IsSaneText(const std::wstring& text) {
    return text.size() <= static_cast<size_t>(kMaxFieldChars) &&
           std::none_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x20 || c == 0x7F; });
}

// The day number of day 0 of a valid forecast.
int64_t DayZero(const CString& forecastText) {
    int64_t day = 0;
    DateTextDay(ForecastField(SplitForecastFields(forecastText), 0, kDayDateText), day);
    return day;
}

} // namespace

int FeelsLikeSlash(const CString& text) {
    // "N/A" holds a "/" itself: every "/" is tried.
    for (int slash = text.Find(L'/'); slash >= 0; slash = text.Find(L'/', slash + 1))
        if (IsFeelsLikeHalf(text.Left(slash)) && IsFeelsLikeHalf(text.Mid(slash + 1))) return slash;
    return -1;
}

bool IsMeasuredForecastField(int field) {
    switch (field) {
    case kDayLow:
    case kDayHigh:
    case kDayFeelsLike:
    case kDayWindSpeed:
    case kDayPressureOrHumidity:
    case kDayVisibilityOrPrecipitation: return true;
    default: return false;
    }
}

bool IsNoForecastData(const CString& text) { return text.IsEmpty() || text == L"N/A" || text == L"-"; }

CString ShownForecastField(const CString& text, int field) {
    // A wind direction the server left empty is no data, as "N/A" is.
    if (field == kDayWindDirection) return text.IsEmpty() ? CString(L"N/A") : text;
    if (!IsMeasuredForecastField(field)) return text;
    const CString trimmed = TrimmedMeasure(text, field);
    if (!IsNoForecastData(trimmed)) return trimmed;
    if (trimmed == L"-" && (field == kDayLow || field == kDayHigh || field == kDayFeelsLike)) return trimmed;
    return CString(L"N/A");
}

CString NormalizedForecast(const CString& forecastText) {
    CString result;
    int start = 0;
    for (int i = 0; i < kForecastFields; ++i) {
        const int caret = forecastText.Find(L'^', start);
        if (caret < 0) break;
        const CString field = forecastText.Mid(start, caret - start);
        const int inDay = i % kForecastDayFields;
        result += (IsMeasuredForecastField(inDay) ? TrimmedMeasure(field, inDay) : field) + L"^";
        start = caret + 1;
    }
    return result + forecastText.Mid(start);
}

bool IsValidForecast(const CString& forecastText) {
    const std::wstring& text = forecastText.Str();
    // Day 0's date at least, at most 60 closed fields, and after them nothing or an unclosed
    // text that no reader takes for a field.
    const auto carets = std::count(text.begin(), text.end(), L'^');
    if (carets <= kDayDateText || carets > kForecastFields) return false;
    const size_t tail = text.rfind(L'^') + 1;
    if (tail < text.size() && (carets == kForecastFields || !IsSaneText(text.substr(tail)))) return false;
    const std::vector<CString> fields = SplitForecastFields(forecastText);
    for (const CString& field : fields)
        if (!IsSaneText(field.Str())) return false;

    int64_t day0 = 0;
    for (int day = 0; day < kForecastDays; ++day) {
        const int first = day * kForecastDayFields;
        if (first >= carets) break; // the days the forecast does not reach have no data
        auto field = [&](int i) { return ForecastField(fields, day, i); };
        // Day k is dated k days after day 0; a date text the forecast does not reach is none.
        if (first + kDayDateText < carets) {
            int64_t date = 0;
            if (!DateTextDay(field(kDayDateText), date)) return false;
            if (day == 0) day0 = date;
            if (date != day0 + day) return false;
        }
        if (!IsConditionCode(field(kDayConditionCode).Str())) return false;
        if (!IsMeasure(field(kDayLow), kMinTemperature, kMaxTemperature, true) ||
            !IsMeasure(field(kDayHigh), kMinTemperature, kMaxTemperature, true) || !IsFeelsLike(field(kDayFeelsLike)))
            return false;
        if (!IsMeasure(field(kDayWindSpeed), 0, kMaxWindSpeed)) return false;
        const bool pressureDay = day == 0;
        if (!IsMeasure(field(kDayPressureOrHumidity), pressureDay ? kMinPressure : 0,
                       pressureDay ? kMaxPressure : kMaxPercentage))
            return false;
        if (!IsMeasure(field(kDayVisibilityOrPrecipitation), 0, pressureDay ? kMaxVisibility : kMaxPercentage))
            return false;
    }
    return true;
}

bool TakeWeatherReplyRecord(CString& remaining, WeatherReplyRecord& record) {
    int caret = remaining.Find(L'^');
    if (caret < 0) return false;
    int at = remaining.Find(L'@', caret + 1);
    if (at < 0) return false;
    record.code = remaining.Left(caret);
    // Line breaks between records (CR LF or LF) are no part of the next code.
    record.code.Trim(kReplyLineEnds);
    record.forecast = remaining.Mid(caret + 1, at - caret - 1);
    remaining = remaining.Mid(at + 1);
    return true;
}

namespace {

SYSTEMTIME DeviceToday() {
    SYSTEMTIME today{};
    ::GetLocalTime(&today);
    return today;
}

} // namespace

std::vector<CString> FarOffForecastDates(const CString& reply, const SYSTEMTIME& today, const CString* code) {
    const int64_t now = device::DaysFromCivil(today.wYear, today.wMonth, today.wDay);
    std::vector<CString> dates;
    CString remaining = reply;
    WeatherReplyRecord record;
    while (TakeWeatherReplyRecord(remaining, record)) {
        if ((code && record.code != *code) || !IsValidForecast(record.forecast)) continue;
        const int64_t day0 = DayZero(record.forecast);
        if (day0 >= now - kForecastDateSlackDays && day0 <= now + kForecastDateSlackDays) continue;
        const CString date = ForecastRecordDate(record.forecast);
        if (std::find(dates.begin(), dates.end(), date) == dates.end()) dates.push_back(date);
    }
    return dates;
}

void SayWhenForecastDatesFarOff(HWND owner, const CString& reply, const CString* code) {
    const SYSTEMTIME today = DeviceToday();
    const std::vector<CString> dates = FarOffForecastDates(reply, today, code);
    if (dates.empty()) return;
    // The first few dates; a reply rarely holds more than one.
    constexpr size_t kShown = 3;
    CString list;
    for (size_t i = 0; i < dates.size() && i < kShown; ++i) list += (i ? L", " : L"") + dates[i];
    if (dates.size() > kShown) list += L", ...";
    CString device;
    device.Format(L"%02d/%02d/%04d", static_cast<int>(today.wDay), static_cast<int>(today.wMonth),
                  static_cast<int>(today.wYear));
    CString text;
    text.Format(LoadCoreString(IDS_FORECAST_DATES_FAR_OFF), static_cast<LPCWSTR>(list),
                static_cast<LPCWSTR>(device));
    ShowCoreMessageBox(owner, text, L"Jorvana", MB_OK | MB_ICONWARNING);
}

bool StoreWeatherReply(CWeatherDb& store, const CString& reply, std::vector<CString>* rejected) {
    bool stored = false;
    std::vector<CString> invalid;
    store.ReopenSorted(1);
    store.SeekFirst();
    // Every place of the reply in one transaction: a synchronisation cut short (the program
    // killed, the device switched off) leaves the forecasts of before, never some of each.
    const BOOL committed = CCeDBDatabase::InOneTransaction(TRUE, [&] {
        CString remaining = reply;
        WeatherReplyRecord record;
        std::vector<CString> written;
        while (TakeWeatherReplyRecord(remaining, record)) {
            if (!store.FindByCode(record.code)) continue;
            DWORD index = store.GetCurrentIndex();
            CString name = store.GetName(index);
            // A record that is not valid leaves the place's forecast as it was.
            if (!IsValidForecast(record.forecast)) {
                if (std::find(written.begin(), written.end(), name) == written.end() &&
                    std::find(invalid.begin(), invalid.end(), name) == invalid.end())
                    invalid.push_back(name);
                continue;
            }
            CString country = store.GetCountry(index);
            store.UpdateCity(name, record.code, NormalizedForecast(record.forecast),
                             ForecastRecordDate(record.forecast) + L":" + country, 0);
            written.push_back(name);
            invalid.erase(std::remove(invalid.begin(), invalid.end(), name), invalid.end());
            stored = true;
        }
    });
    store.ReopenSorted(-1);
    if (rejected) *rejected = std::move(invalid);
    return stored && committed;
}

bool StorePlaceWeatherReply(CWeatherDb& store, const CString& name, const CString& code, const CString& reply,
                            bool* notValid) {
    if (notValid) *notValid = false;
    // Only the records of the code asked for belong to the place: a reply may list other cities
    // first, and their forecast would show under this place's name from then on. As when every
    // place is stored, the last valid one is kept.
    bool any = false, valid = false;
    WeatherReplyRecord record, kept;
    CString remaining = reply;
    while (TakeWeatherReplyRecord(remaining, record)) {
        if (record.code != code) continue;
        any = true;
        if (!IsValidForecast(record.forecast)) continue;
        kept = record;
        valid = true;
    }
    if (!valid) {
        if (notValid) *notValid = any;
        return false;
    }
    if (!store.FindByName(name)) return false;
    const CString country = store.GetCountry(store.GetCurrentIndex());
    return store.UpdateCity(name, code, NormalizedForecast(kept.forecast),
                            ForecastRecordDate(kept.forecast) + L":" + country, 1);
}
