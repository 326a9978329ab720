#include "weather/ForecastText.h"

#include "core/WeatherDb.h"

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

CString ForecastRecordDate(const CString& forecastText) {
    const CString last = SplitForecastFields(forecastText)[kDayDateText].Right(10);
    // Characters 4-6, then 1-3, then 7-10: MM/DD/YYYY becomes DD/MM/YYYY. A text that is no
    // such date is stored rebuilt all the same, and readers find no current forecast in it.
    CString date = last.Mid(3, 3) + last.Left(3) + last.Mid(6, 4);
    // The country follows the first ":" of the stored text: a ":" of the date would move it.
    date.Remove(L':');
    return date;
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
    bool stored = false;
    store.ReopenSorted(1);
    store.SeekFirst();
    // Every place of the reply in one transaction: a synchronisation cut short (the program
    // killed, the device switched off) leaves the forecasts of before, never some of each.
    const BOOL committed = CCeDBDatabase::InOneTransaction(TRUE, [&] {
        CString remaining = reply;
        WeatherReplyRecord record;
        while (TakeWeatherReplyRecord(remaining, record)) {
            if (!store.FindByCode(record.code)) continue;
            DWORD index = store.GetCurrentIndex();
            CString name = store.GetName(index);
            CString country = store.GetCountry(index);
            store.UpdateCity(name, record.code, record.forecast,
                             ForecastRecordDate(record.forecast) + L":" + country, 0);
            stored = true;
        }
    });
    store.ReopenSorted(-1);
    return stored && committed;
}

bool FindWeatherReplyRecord(const CString& reply, const CString& code, WeatherReplyRecord& found) {
    bool any = false;
    CString remaining = reply;
    WeatherReplyRecord record;
    // As when every place is stored, a code given twice keeps its last record.
    while (TakeWeatherReplyRecord(remaining, record)) {
        if (record.code != code) continue;
        found = record;
        any = true;
    }
    return any;
}

bool StorePlaceWeatherReply(CWeatherDb& store, const CString& name, const CString& code, const CString& reply) {
    WeatherReplyRecord record;
    // Only the record of the code asked for belongs to the place: a reply may list other cities
    // first, and their forecast would show under this place's name from then on.
    if (!FindWeatherReplyRecord(reply, code, record) || !store.FindByName(name)) return false;
    const CString country = store.GetCountry(store.GetCurrentIndex());
    store.UpdateCity(name, code, record.forecast, ForecastRecordDate(record.forecast) + L":" + country, 1);
    return true;
}
