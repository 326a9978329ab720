// libFuzzer target for the feed server's replies: the input is taken as a weather reply into the
// weather store and as a currency rate reply into the currency store, and a weather reply and a
// rate reply of real data are built from it. The stored forecasts are judged by properties of their
// own, not by the program's forecast check: a forecast that changed is the text of a record of its
// code in the reply, its measured values without their blanks; every measured value of a stored
// forecast lies inside the physical limits (or says no data); its day 0 is a real date, its other
// days follow it, and the place's date is day 0's date day first; a place said to have been refused
// kept its forecast. A reply of real data (short forecasts, values at the limits, no-data marks,
// signs, blanks around numbers, feels-like pairs with a half missing, dates weeks from the device's
// date, codes repeated) is stored whole (its measured values without their blanks), the last record
// of a code staying, and its dates far from the device's date are the ones named. The rates are
// checked as FuzzRates.h says.
#include "FuzzDevice.h"
#include "FuzzRates.h"
#include "core/WeatherDb.h"
#include "platform/base/CodePage.h"
#include "platform/system/DeviceClock.h"
#include "platform/ui/MessageBox.h"
#include "weather/ForecastText.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <cwctype>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

// The device's day of the run.
constexpr int kYear = 2009, kMonth = 6, kDay = 21;

struct Record {
    std::wstring code, forecast;
};

// The reply's records "code^forecast@".
std::vector<Record> Records(const std::wstring& reply) {
    std::vector<Record> records;
    size_t at = 0;
    for (;;) {
        const size_t caret = reply.find(L'^', at);
        if (caret == std::wstring::npos) break;
        const size_t end = reply.find(L'@', caret + 1);
        if (end == std::wstring::npos) break;
        records.push_back({reply.substr(at, caret - at), reply.substr(caret + 1, end - caret - 1)});
        at = end + 1;
    }
    return records;
}

// The fields of a forecast text, each closed by "^", at most 60.
std::vector<std::wstring> Fields(const std::wstring& text) {
    std::vector<std::wstring> fields;
    size_t at = 0;
    for (size_t caret; fields.size() < 60 && (caret = text.find(L'^', at)) != std::wstring::npos; at = caret + 1)
        fields.push_back(text.substr(at, caret - at));
    return fields;
}

// Days since 1970 of the real MM/DD/YYYY date ending a text; false when it ends with none.
bool DayOf(const std::wstring& text, long long& day) {
    if (text.size() < 10) return false;
    const std::wstring d = text.substr(text.size() - 10);
    for (int i = 0; i < 10; ++i)
        if ((i == 2 || i == 5) ? d[i] != L'/' : !std::iswdigit(d[i])) return false;
    std::tm t{};
    t.tm_mon = std::stoi(d.substr(0, 2)) - 1;
    t.tm_mday = std::stoi(d.substr(3, 2));
    t.tm_year = std::stoi(d.substr(6)) - 1900;
    const time_t at = timegm(&t);
    std::tm back{};
    gmtime_r(&at, &back);
    if (back.tm_mon != t.tm_mon || back.tm_mday != t.tm_mday || back.tm_year != t.tm_year) return false;
    day = static_cast<long long>(at) / 86400;
    return true;
}

bool NoData(const std::wstring& text) { return text.empty() || text == L"N/A" || text == L"-"; }

// A measured value: no data, or a finite number within [low, high], blanks around it aside.
bool Within(const std::wstring& text, double low, double high) {
    if (NoData(text)) return true;
    wchar_t* end = nullptr;
    const double value = std::wcstod(text.c_str(), &end);
    while (*end == L' ') ++end;
    return end != text.c_str() && !*end && std::isfinite(value) && value >= low && value <= high;
}

bool Measured(size_t i) {
    const size_t field = i % 12;
    return field == 4 || field == 5 || field == 6 || field >= 9;
}

std::wstring WithoutBlanks(std::wstring text) {
    text.erase(std::remove(text.begin(), text.end(), L' '), text.end());
    return text;
}

// The forecast text of a reply as the store must hold it: each measured field without blanks.
std::wstring AsStored(const std::wstring& forecast) {
    std::wstring out;
    size_t at = 0, i = 0;
    for (size_t caret; i < 60 && (caret = forecast.find(L'^', at)) != std::wstring::npos;
         at = caret + 1, ++i) {
        const std::wstring field = forecast.substr(at, caret - at);
        out += (Measured(i) ? WithoutBlanks(field) : field) + L"^";
    }
    return out + forecast.substr(at);
}

// What a stored forecast must be, whoever judged it valid.
void CheckStoredForecast(const std::wstring& forecast, const std::wstring& date) {
    const std::vector<std::wstring> f = Fields(forecast);
    FUZZ_CHECK(f.size() >= 3);
    long long day0 = 0;
    FUZZ_CHECK(DayOf(f[2], day0));
    const std::wstring last = f[2].substr(f[2].size() - 10);
    FUZZ_CHECK(date == last.substr(3, 3) + last.substr(0, 3) + last.substr(6));
    for (size_t day = 0; day < 5; ++day) {
        auto field = [&](size_t i) { return day * 12 + i < f.size() ? f[day * 12 + i] : std::wstring(); };
        long long date_k = 0;
        if (day * 12 + 2 < f.size()) FUZZ_CHECK(DayOf(field(2), date_k) && date_k == day0 + static_cast<long long>(day));
        FUZZ_CHECK(Within(field(4), -95, 70) && Within(field(5), -95, 70));
        for (size_t i = 0; i < 12; ++i)
            if (Measured(i)) FUZZ_CHECK(field(i).find(L' ') == std::wstring::npos);
        const std::wstring feels = field(6);
        // One value, or two joined by a "/" (the one of "N/A" aside), either of them no data.
        bool pair = false;
        for (size_t slash = feels.find(L'/'); slash != std::wstring::npos;
             slash = feels.find(L'/', slash + 1))
            pair = pair ||
                   (!feels.substr(0, slash).empty() && !feels.substr(slash + 1).empty() &&
                    Within(feels.substr(0, slash), -110, 100) && Within(feels.substr(slash + 1), -110, 100));
        FUZZ_CHECK(pair || Within(feels, -110, 100));
        FUZZ_CHECK(Within(field(9), 0, 500));
        FUZZ_CHECK(day == 0 ? Within(field(10), 800, 1100) && Within(field(11), 0, 500)
                            : Within(field(10), 0, 100) && Within(field(11), 0, 100));
    }
}

std::map<std::wstring, std::wstring> Forecasts(CWeatherDb& store) {
    std::map<std::wstring, std::wstring> forecasts;
    for (DWORD index = 0; index < store.GetRecordCount(); ++index)
        forecasts[store.GetCode(index).Str()] = store.GetForecast(index).Str();
    return forecasts;
}

// Stores the reply and checks the store afterwards; returns whether the reply counted.
bool CheckWeather(const CString& reply, std::vector<CString>* refused = nullptr) {
    CWeatherDb store;
    store.Open();
    const std::map<std::wstring, std::wstring> before = Forecasts(store);
    std::vector<CString> rejected;
    const bool stored = StoreWeatherReply(store, reply, &rejected);

    const std::vector<Record> records = Records(reply.Str());
    store.ReopenSorted(-1);
    bool anyFromReply = false;
    for (DWORD index = 0; index < store.GetRecordCount(); ++index) {
        const std::wstring code = store.GetCode(index).Str();
        const std::wstring forecast = store.GetForecast(index).Str();
        const auto old = before.find(code);
        const bool kept = old != before.end() && old->second == forecast;
        bool fromReply = false;
        for (const Record& record : records)
            fromReply = fromReply || (record.code == code && AsStored(record.forecast) == forecast);
        FUZZ_CHECK(kept || fromReply);
        anyFromReply = anyFromReply || fromReply;
        if (!forecast.empty()) CheckStoredForecast(forecast, store.GetUpdateDate(index).Str());
        for (const CString& name : rejected)
            if (name == store.GetName(index)) FUZZ_CHECK(kept);
    }
    if (stored) FUZZ_CHECK(anyFromReply);
    if (refused) *refused = rejected;
    return stored;
}

std::wstring MonthFirst(long long day) {
    const time_t at = static_cast<time_t>(day * 86400);
    std::tm t{};
    gmtime_r(&at, &t);
    wchar_t text[16];
    std::swprintf(text, 16, L"%02d/%02d/%04d", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900);
    return text;
}

// A weather reply of real data built from the input.
void CheckRealForecasts(const uint8_t* data, size_t size) {
    fuzzrates::Bytes bytes(data, size);
    CWeatherDb store;
    store.Open();
    std::vector<std::wstring> codes;
    for (DWORD index = 0; index < store.GetRecordCount() && codes.size() < 8; ++index)
        codes.push_back(store.GetCode(index).Str());
    codes.push_back(L"ZZ0"); // a code no place has

    auto number = [&](int low, int high) {
        const unsigned n = bytes.Next() * 256 + bytes.Next();
        const int value = low + static_cast<int>(n % static_cast<unsigned>(high - low + 1));
        std::wstring text = std::to_wstring(value);
        // Now and then a fraction, inside the range all the same.
        if (bytes.Next() % 5 == 0 && value > low && value < high) text += L".5";
        return text;
    };
    // Now and then a "+" before a number that has no sign, or blanks around it.
    auto written = [&](std::wstring text) {
        const unsigned pick = bytes.Next() % 8;
        if (pick == 0 && text[0] != L'-') text = L"+" + text;
        if (pick == 1) text = L" " + text + L"  ";
        return text;
    };
    auto measure = [&](int low, int high) {
        static const wchar_t* const kNoData[] = {L"N/A", L"-", L""};
        const unsigned pick = bytes.Next() % 8;
        return pick < 3 ? std::wstring(kNoData[pick]) : written(number(low, high));
    };
    static const wchar_t* const kCodes[] = {L"W01", L"32", L"N/A", L"-", L""};
    static const wchar_t* const kDirections[] = {L"N", L"CLM", L"N/A", L"SSW", L""};

    std::tm noon{};
    noon.tm_year = kYear - 1900;
    noon.tm_mon = kMonth - 1;
    noon.tm_mday = kDay;
    noon.tm_hour = 12;
    const long long today = static_cast<long long>(timegm(&noon)) / 86400;
    std::wstring reply;
    std::map<std::wstring, std::wstring> expected;
    std::vector<CString> farOff;
    for (int n = 0; n < 6 && bytes.Left(); ++n) {
        const std::wstring code = codes[bytes.Next() % codes.size()];
        const int count = 3 + static_cast<int>(bytes.Next() % 58);
        const long long day0 = today + static_cast<int>(bytes.Next() % 41) - 20;
        std::wstring forecast;
        for (int i = 0; i < count; ++i) {
            const int day = i / 12;
            std::wstring field;
            switch (i % 12) {
            case 0: field = kCodes[bytes.Next() % 5]; break;
            case 1: field = bytes.Next() % 2 ? L"Sunny" : L"N/A"; break;
            case 2: field = L"Day " + MonthFirst(day0 + day); break;
            case 3: field = L"10:00"; break;
            case 4:
            case 5: field = measure(-95, 70); break;
            case 6:
                field = bytes.Next() % 3
                            ? measure(-110, 100)
                            : written(number(-110, 100)) + L"/" +
                                  (bytes.Next() % 4 ? written(number(-110, 100)) : std::wstring(L"-"));
                break;
            case 7: field = kDirections[bytes.Next() % 5]; break;
            case 8: field = L"x"; break;
            case 9: field = measure(0, 500); break;
            case 10: field = day == 0 ? measure(800, 1100) : measure(0, 100); break;
            default: field = day == 0 ? measure(0, 500) : measure(0, 100); break;
            }
            forecast += field + L"^";
        }
        reply += code + L"^" + forecast + L"@";
        if (code != L"ZZ0") expected[code] = AsStored(forecast);
        const std::wstring last = MonthFirst(day0);
        const CString date((last.substr(3, 3) + last.substr(0, 3) + last.substr(6)).c_str());
        if ((day0 < today - 3 || day0 > today + 3) && std::find(farOff.begin(), farOff.end(), date) == farOff.end())
            farOff.push_back(date);
    }
    if (reply.empty()) return;
    std::vector<CString> refused;
    FUZZ_CHECK(CheckWeather(CString(reply.c_str()), &refused) == !expected.empty());
    FUZZ_CHECK(refused.empty());
    CWeatherDb after;
    after.Open();
    for (const auto& [code, forecast] : Forecasts(after)) {
        const auto it = expected.find(code);
        if (it != expected.end()) FUZZ_CHECK(forecast == it->second);
    }
    SYSTEMTIME device{};
    device.wYear = kYear;
    device.wMonth = kMonth;
    device.wDay = kDay;
    FUZZ_CHECK(FarOffForecastDates(CString(reply.c_str()), device) == farOff);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzdevice::EnsureDevice();
    fuzzdevice::InstallShipped(L"cities.wet");
    static const bool clockSet = [] {
        device::SetDeviceClock("2009-06-21T10:00:00Z");
        return true;
    }();
    (void)clockSet;
    // The whole input, NUL bytes included, as the exchange hands a body over.
    const CString reply(device::WidenBytes(std::string_view(reinterpret_cast<const char*>(data), size)));
    CheckWeather(reply);
    CheckRealForecasts(data, size);
    fuzzrates::CheckRates(reply);
    fuzzrates::CheckSensibleRates(data, size);
    device::ui::ClearMessageBoxRecords();
    return 0;
}
