// libFuzzer target for the feed server's replies: the input is taken as a weather reply into the
// weather store and as a currency rate reply into the currency store. After each input every
// stored forecast passes the record check on the device's day (fixed at 21 June 2009) and
// carries its own date, a place the reply gave a valid record holds the last such record, the
// other places keep what they had, and the reply counts as a synchronisation only when a
// forecast was stored; the rates are checked as FuzzRates.h says.
#include "FuzzDevice.h"
#include "FuzzRates.h"
#include "core/WeatherDb.h"
#include "platform/base/CodePage.h"
#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceTime.h"
#include "platform/ui/MessageBox.h"
#include "weather/ForecastText.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

namespace {

void CheckWeather(const CString& reply) {
    SYSTEMTIME today{};
    ::GetLocalTime(&today);
    CWeatherDb store;
    store.Open();
    std::map<std::wstring, CString> before;
    for (DWORD index = 0; index < store.GetRecordCount(); ++index)
        before[store.GetCode(index).Str()] = store.GetForecast(index);

    std::vector<CString> rejected;
    const bool stored = StoreWeatherReply(store, reply, &rejected);

    // The last valid record of each code of the reply.
    std::map<std::wstring, CString> expected;
    CString remaining = reply;
    WeatherReplyRecord record;
    while (TakeWeatherReplyRecord(remaining, record))
        if (IsValidForecast(record.forecast, today)) expected[record.code.Str()] = record.forecast;

    store.ReopenSorted(-1);
    bool anyStored = false;
    const WORD count = store.GetRecordCount();
    for (DWORD index = 0; index < count; ++index) {
        const CString code = store.GetCode(index);
        const CString forecast = store.GetForecast(index);
        auto it = expected.find(code.Str());
        if (it != expected.end()) {
            FUZZ_CHECK(forecast == it->second);
            anyStored = true;
        } else {
            FUZZ_CHECK(forecast == before[code.Str()]);
        }
        if (!forecast.IsEmpty()) {
            FUZZ_CHECK(IsValidForecast(forecast, today));
            FUZZ_CHECK(store.GetUpdateDate(index) == ForecastRecordDate(forecast));
        }
        const std::vector<CString> fields = SplitForecastFields(forecast);
        FUZZ_CHECK(fields.size() == static_cast<size_t>(kForecastFields));
        for (int day = 0; day < kForecastDays; ++day)
            for (int field = 0; field < kForecastDayFields; ++field)
                FUZZ_CHECK(ForecastField(fields, day, field) == fields[day * kForecastDayFields + field]);
        const CString name = store.GetName(index);
        for (const CString& refused : rejected)
            if (refused == name) FUZZ_CHECK(it == expected.end());
    }
    FUZZ_CHECK(stored == anyStored);
}

// Any rate text of the reply, valid or not, is held by the store as it came. A stored text ends
// at its first NUL, so the reply is taken up to its first NUL here.
void CheckRateTexts(const CString& whole) {
    const CString reply(whole.GetString());
    CCeDBDatabase::Delete(kCurrenciesDbName);
    CCurrenciesDb store;
    store.Open();
    for (const CurrencyFeedRecord& record : ParseCurrencyFeedReply(reply)) {
        const CString name = L"Fuzz " + record.code;
        if (!store.FindByName(name)) store.AddCurrency(name, record.code, record.rate);
        store.UpdateRate(name, record.code, record.rate);
        if (store.FindByName(name)) {
            const DWORD index = store.GetCurrentIndex();
            FUZZ_CHECK(store.GetRate(index) == record.rate && store.GetCode(index) == record.code);
        }
        ReadAmount(record.rate);
    }
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
    fuzzrates::CheckRates(reply);
    CheckRateTexts(reply);
    device::ui::ClearMessageBoxRecords();
    return 0;
}
