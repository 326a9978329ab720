// Device time costs once the zone is loaded: the clock's GetLocalTime must stay within 2 us.
#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/DeviceTime.h"

#include "bench/BenchRoot.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

struct BenchRoot : benchsupport::BenchRoot {
    explicit BenchRoot(const char* zone) { device::SetDeviceZone(zone); }
};

void BM_GetLocalTime(benchmark::State& state) {
    BenchRoot root("Europe/Paris");
    device::SetDeviceClock(""); // the host clock, as on a running device
    SYSTEMTIME st{};
    GetLocalTime(&st); // loads the zone
    for (auto _ : state) {
        GetLocalTime(&st);
        benchmark::DoNotOptimize(st);
    }
}
BENCHMARK(BM_GetLocalTime);

// A southern zone far past its last listed transition: the footer rule decides every call.
void BM_GetLocalTimeFooterRule(benchmark::State& state) {
    BenchRoot root("Australia/Sydney");
    device::SetDeviceClock("2090-01-15T00:00:00Z+");
    SYSTEMTIME st{};
    GetLocalTime(&st);
    for (auto _ : state) {
        GetLocalTime(&st);
        benchmark::DoNotOptimize(st);
    }
    device::SetDeviceClock("");
}
BENCHMARK(BM_GetLocalTimeFooterRule);

void BM_GetTimeZoneInformation(benchmark::State& state) {
    BenchRoot root("America/New_York");
    TIME_ZONE_INFORMATION tzi{};
    GetTimeZoneInformation(&tzi);
    for (auto _ : state)
        benchmark::DoNotOptimize(GetTimeZoneInformation(&tzi));
}
BENCHMARK(BM_GetTimeZoneInformation);

void BM_DeviceMktime(benchmark::State& state) {
    BenchRoot root("Europe/Paris");
    for (auto _ : state) {
        struct tm t {};
        t.tm_year = 126;
        t.tm_mon = 6;
        t.tm_mday = 15;
        t.tm_hour = 1;
        t.tm_min = 1;
        t.tm_sec = 1;
        t.tm_isdst = -1;
        benchmark::DoNotOptimize(device::DeviceMktime(&t));
    }
}
BENCHMARK(BM_DeviceMktime);

void BM_SystemTimeToFileTime(benchmark::State& state) {
    SYSTEMTIME st{2026, 12, 0, 9, 13, 45, 30, 250};
    FILETIME ft{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(SystemTimeToFileTime(&st, &ft));
        benchmark::DoNotOptimize(FileTimeToSystemTime(&ft, &st));
    }
}
BENCHMARK(BM_SystemTimeToFileTime);

} // namespace

BENCHMARK_MAIN();
