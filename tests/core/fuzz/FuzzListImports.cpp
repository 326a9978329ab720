// libFuzzer target for the two list imports: the input becomes cities.lst and cities.wet, the
// stores are built from it, and every record must come from a whole line of the file.
#include "FuzzDevice.h"
#include "core/CitiesDb.h"
#include "core/WeatherDb.h"
#include "platform/ui/MessageBox.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using fuzzdevice::Write;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzdevice::EnsureDevice();
    const size_t lines = static_cast<size_t>(std::count(data, data + size, '\n'));
    Write(L"\\Program Files\\Jorvana\\cities.lst", data, size);
    Write(L"\\Program Files\\Jorvana\\cities.wet", data, size);
    CCeDBDatabase::Delete(kCitiesDbName);
    CCeDBDatabase::Delete(kWeatherDbName);

    // A list that ends early is reported: the boxes are answered at once.
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    CCitiesDb cities;
    cities.Open();
    CWeatherDb weather;
    weather.Open();
    device::ui::ClearMessageBoxRecords();

    // Two lines of heading for the cities, one for the weather places; a last line may lack
    // its line feed.
    CRecordDatabase check;
    if (check.Open(kCitiesDbName) && static_cast<size_t>(check.GetRecordCount()) + 1 > lines) {
        if (check.GetRecordCount() > 0) std::abort();
    }
    if (weather.GetRecordCount() > lines) std::abort();
    return 0;
}
