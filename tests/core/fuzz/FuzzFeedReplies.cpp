// libFuzzer target for the feed server's replies: the input is taken as a weather reply into
// the weather store (read back through the forecast readers) and as a currency rate reply into
// the currency store.
#include "FuzzDevice.h"
#include "core/CurrenciesDb.h"
#include "core/WeatherDb.h"
#include "currency/CurrencyLogic.h"
#include "platform/base/CodePage.h"
#include "platform/ui/MessageBox.h"
#include "weather/ForecastText.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void CheckWeather(const CString& reply) {
    CWeatherDb store;
    store.Open();
    StoreWeatherReply(store, reply);
    store.ReopenSorted(-1);
    const WORD count = store.GetRecordCount();
    for (DWORD index = 0; index < count; ++index) {
        const CString code = store.GetCode(index);
        const CString forecast = store.GetForecast(index);
        WeatherReplyRecord record;
        // A place the reply names holds that record's forecast, dated by it.
        if (FindWeatherReplyRecord(reply, code, record)) {
            FUZZ_CHECK(forecast == record.forecast);
            FUZZ_CHECK(store.GetUpdateDate(index) == ForecastRecordDate(record.forecast));
        }
        const std::vector<CString> fields = SplitForecastFields(forecast);
        FUZZ_CHECK(fields.size() == static_cast<size_t>(kForecastFields));
        for (int day = 0; day < kForecastDays; ++day)
            for (int field = 0; field < kForecastDayFields; ++field)
                FUZZ_CHECK(ForecastField(fields, day, field) == fields[day * kForecastDayFields + field]);
        store.GetCountry(index);
        store.GetName(index);
    }
}

void CheckCurrencies(const CString& reply) {
    const std::vector<CurrencyFeedRecord> records = ParseCurrencyFeedReply(reply);
    CCurrenciesDb store;
    store.Open();
    for (const CurrencyFeedRecord& record : records) {
        FUZZ_CHECK(record.code.Find(L'#') < 0 && record.rate.Find(L'#') < 0);
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
    const CString reply(device::WidenBytes(std::string_view(reinterpret_cast<const char*>(data), size)).c_str());
    CheckWeather(reply);
    CCeDBDatabase::Delete(kCurrenciesDbName);
    CheckCurrencies(reply);
    device::ui::ClearMessageBoxRecords();
    return 0;
}
