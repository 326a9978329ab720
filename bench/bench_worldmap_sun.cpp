// The world map's sun work on every tick and paint: the sun times of a city (once a second)
// and the night shadow of a 240-column map (every minute), in the month that computes every
// column and in one that interpolates.
#include "platform/framework/DC.h"
#include "platform/framework/GdiObjects.h"
#include "worldmap/NightShadow.h"
#include "worldmap/SunTimes.h"

#include "bench/BenchRoot.h"

#include <benchmark/benchmark.h>

namespace {

void BM_SunTimes(benchmark::State& state) {
    for (auto _ : state) {
        SunTimes times = ComputeSunTimes(21, 6, 2009, 77, 28, 5.5);
        benchmark::DoNotOptimize(times);
    }
}
BENCHMARK(BM_SunTimes);

void BM_NightShadow(benchmark::State& state) {
    benchsupport::BenchRoot root;
    const int width = 240;
    const int height = 140;
    CDC dest;
    CDC colour;
    dest.CreateCompatibleDC(nullptr);
    colour.CreateCompatibleDC(nullptr);
    CBitmap destBitmap;
    CBitmap colourBitmap;
    destBitmap.CreateBitmap(width + 2, height, 1, 32, nullptr);
    colourBitmap.CreateBitmap(width + 2, height, 1, 32, nullptr);
    dest.SelectObject(&destBitmap);
    colour.SelectObject(&colourBitmap);
    colour.FillSolidRect(0, 0, width + 2, height, RGB(90, 90, 140));
    CNightShadow shadow;
    UtcInstant at{2009, static_cast<int>(state.range(0)), 21, 12, 0, 0};
    for (auto _ : state) {
        dest.FillSolidRect(0, 0, width + 2, height, RGB(255, 255, 255));
        benchmark::DoNotOptimize(shadow.Draw(dest, colour, 0, width, height, at));
    }
}
BENCHMARK(BM_NightShadow)->Arg(3)->Arg(6)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
