#include "weather/ForecastText.h"

#include "core/WeatherDb.h"
#include "platform/system/DeviceTime.h"

#include <cwctype>

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

namespace {

bool IsDigits(const CString& text, int first, int count) {
    for (int i = first; i < first + count; ++i)
        if (!std::iswdigit(text[i])) return false;
    return true;
}

} // namespace

CString ForecastRecordDate(const CString& forecastText) {
    CString dateText = SplitForecastFields(forecastText)[kDayDateText];
    CString last = dateText.Right(10);
    if (last.GetLength() == 10 && IsDigits(last, 0, 2) && last[2] == L'/' && IsDigits(last, 3, 2) &&
        last[5] == L'/' && IsDigits(last, 6, 4))
        return last.Mid(3, 3) + last.Left(3) + last.Mid(6, 4);
    // No usable date: the forecast counts as issued today.
    SYSTEMTIME now{};
    GetLocalTime(&now);
    CString today;
    today.Format(L"%02d/%02d/%04d", static_cast<int>(now.wDay), static_cast<int>(now.wMonth),
                 static_cast<int>(now.wYear));
    return today;
}

bool TakeWeatherReplyRecord(CString& remaining, WeatherReplyRecord& record) {
    int caret = remaining.Find(L'^');
    if (caret < 0) return false;
    int at = remaining.Find(L'@', caret + 1);
    if (at < 0) return false;
    record.code = remaining.Left(caret);
    record.forecast = remaining.Mid(caret + 1, at - caret - 1);
    remaining = remaining.Mid(at + 1);
    return true;
}

bool StoreWeatherReply(CWeatherDb& store, const CString& reply) {
    const bool hasReply = !reply.IsEmpty();
    store.ReopenSorted(1);
    store.SeekFirst();
    CString remaining = reply;
    WeatherReplyRecord record;
    while (TakeWeatherReplyRecord(remaining, record)) {
        if (!store.FindByCode(record.code)) continue;
        DWORD index = store.GetCurrentIndex();
        CString name = store.GetName(index);
        CString country = store.GetCountry(index);
        store.UpdateCity(name, record.code, record.forecast, ForecastRecordDate(record.forecast) + L":" + country, 0);
    }
    store.ReopenSorted(-1);
    return hasReply;
}
