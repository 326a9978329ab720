// Sync All as the user waits for it: the weather request for the 360 shipped places, its
// exchange with the stand-in feed server on loopback, and the reply parsed and stored, as the
// synchronisation dialog does it (the page's repaint after it is in the main window benchmarks).
#include "core/HttpExchange.h"
#include "core/RegistryKey.h"
#include "core/WeatherDb.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/ProgramPath.h"
#include "platform/ui/MessageBox.h"
#include "weather/ForecastText.h"
#include "weather/WeatherSync.h"

#include "bench/BenchRoot.h"
#include "bench/BenchFeedServer.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

namespace {

void BM_SyncAllPlaces(benchmark::State& state) {
    benchsupport::BenchRoot root;
    auto server = benchsupport::StartFeedServer(state);
    if (!server) return;
    device::SetModuleDevicePath(L"\\Program Files\\Jorvana\\Jorvana.exe");
    std::filesystem::path folder;
    device::ResolveDevicePath(L"\\Program Files\\Jorvana", folder);
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(std::filesystem::path(JORVANA_DATA_DIR) / "cities.wet", folder / "cities.wet");
    std::ofstream(folder / "adrs.cfg") << server->FeedUrl() << "*";
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname", L"Paris:France");
    CWeatherDb store;
    store.Open();
    const int places = store.GetRecordCount();
    for (auto _ : state) {
        device::ui::ScriptMessageBoxAnswers({IDYES});
        CString address;
        CString query = BuildWeatherQuery(store, 240, 268, address);
        CString reply = HttpExchange(address, query, nullptr);
        if (reply.IsEmpty() || !StoreWeatherReply(store, reply)) {
            state.SkipWithError("the synchronisation failed");
            break;
        }
        device::ui::ClearMessageBoxRecords();
    }
    state.counters["places"] = places;
    device::SetModuleDevicePath(L"");
}
BENCHMARK(BM_SyncAllPlaces)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
