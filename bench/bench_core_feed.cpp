// One feed exchange with the stand-in feed server on loopback: connection choice and
// confirmation, the POST with the session cookie, the reply headers and registry values, and
// the forecast body. The CPU column is the program's own time (the server runs on its threads).
#include "BenchRoot.h"
#include "bench/BenchFeedServer.h"

#include "core/FeedQuery.h"
#include "core/HttpExchange.h"
#include "core/RegistryKey.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageBox.h"

#include <benchmark/benchmark.h>

namespace {

void BM_FeedExchangeWeather(benchmark::State& state) {
    benchsupport::BenchRoot root;
    auto server = benchsupport::StartFeedServer(state);
    if (!server) return;
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname", L"Paris");
    const CString url(server->FeedUrl().c_str());
    const CString query = BuildFeedQuery(kFeedWeatherForecasts, QuoteCityCodes({L"GB0001", L"FR0001"}), 240, 268);
    for (auto _ : state) {
        device::ui::ScriptMessageBoxAnswers({IDYES});
        CString body = HttpExchange(url, query, nullptr);
        if (body.IsEmpty()) {
            state.SkipWithError("the exchange failed");
            break;
        }
        device::ui::ClearMessageBoxRecords();
    }
}
BENCHMARK(BM_FeedExchangeWeather)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
