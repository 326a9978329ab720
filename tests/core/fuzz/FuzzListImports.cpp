// libFuzzer target for the two list imports: the input becomes cities.lst and cities.wet, the
// stores are built from it, and every record must come from a whole line of the file.
#include "core/CitiesDb.h"
#include "core/WeatherDb.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/ProgramPath.h"
#include "platform/ui/MessageBox.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

std::filesystem::path Host(const wchar_t* devicePath) {
    std::filesystem::path host;
    device::ResolveDevicePath(devicePath, host);
    return host;
}

void Write(const wchar_t* devicePath, const uint8_t* data, size_t size) {
    std::ofstream out(Host(devicePath), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

bool Setup() {
    char tmpl[] = "/tmp/jorvana-fuzz-XXXXXX";
    const char* root = mkdtemp(tmpl);
    if (!root) std::abort();
    setenv("DEVICE_DISPLAY", "headless", 1);
    device::UseRootFolder(root);
    device::SetModuleDevicePath(L"\\Program Files\\Jorvana\\Jorvana.exe");
    std::filesystem::create_directories(Host(L"\\Program Files\\Jorvana"));
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = Setup();
    (void)ready;
    const size_t lines = static_cast<size_t>(std::count(data, data + size, '\n'));
    Write(L"\\Program Files\\Jorvana\\cities.lst", data, size);
    Write(L"\\Program Files\\Jorvana\\cities.wet", data, size);
    CCeDBDatabase::Delete(kCitiesDbName);
    CCeDBDatabase::Delete(kWeatherDbName);

    CCitiesDb cities;
    cities.Open();
    CWeatherDb weather;
    weather.Open();
    device::ui::ClearMessageBoxRecords();

    // Two lines of heading for the cities, one for the weather places; a last line may lack
    // its line feed.
    CRecordDatabase check;
    if (check.Open(kCitiesDbName) && check.GetRecordCount() + 1 > lines) {
        if (check.GetRecordCount() > 0) std::abort();
    }
    if (weather.GetRecordCount() > lines) std::abort();
    return 0;
}
