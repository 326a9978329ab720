// The city store: building jrvCities from a 1000-city cities.lst, and walking all 1000 cities
// with CCitiesDb::GetName the way every caller does (SeekFirst; while not IsEOF: the current
// index, then the getter).
#include "core/CitiesDb.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/ProgramPath.h"

#include "bench/BenchRoot.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// A cities.lst of 1000 cities in the shipped form, in the program folder.
void WriteCityList() {
    device::SetModuleDevicePath(L"\\Program Files\\Jorvana\\Jorvana.exe");
    std::filesystem::path host;
    device::ResolveDevicePath(L"\\Program Files\\Jorvana\\cities.lst", host);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out << "Bench city list;fields\n1000\n";
    for (int i = 0; i < 1000; ++i) {
        char line[160];
        std::snprintf(line, sizeof line, "Zone/City%d;City%05d;Country%d;%d.5;%d.25;%d;1;88;2;298;3\n", i,
                      (i * 7919) % 100000, i % 97, i % 180, i % 90, i % 13);
        out << line;
    }
}

void BM_BuildCitiesFromList(benchmark::State& state) {
    benchsupport::BenchRoot root;
    WriteCityList();
    for (auto _ : state) {
        state.PauseTiming();
        CCeDBDatabase::Delete(kCitiesDbName);
        state.ResumeTiming();
        CCitiesDb db;
        db.Open();
        benchmark::DoNotOptimize(db);
    }
    CRecordDatabase check;
    if (!check.Open(kCitiesDbName) || check.GetRecordCount() != 1000) state.SkipWithError("store not built");
    device::SetModuleDevicePath(L"");
}
BENCHMARK(BM_BuildCitiesFromList)->Unit(benchmark::kMillisecond);

void BM_IterateCityNames(benchmark::State& state) {
    benchsupport::BenchRoot root;
    WriteCityList();
    CCitiesDb db;
    db.Open();
    size_t total = 0;
    for (auto _ : state) {
        int seen = 0;
        db.SeekFirst();
        while (!db.IsEOF()) {
            DWORD i = db.GetCurrentIndex();
            total += db.GetName(i).GetLength();
            ++seen;
        }
        if (seen != 1000) state.SkipWithError("not every city visited");
    }
    benchmark::DoNotOptimize(total);
    device::SetModuleDevicePath(L"");
}
BENCHMARK(BM_IterateCityNames)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
