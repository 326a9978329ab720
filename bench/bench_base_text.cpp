// Speed of the device's text primitives on the program's hot paths: the per-second clock texts
// (CString::Format), reading files byte by byte (WidenByte) and writing them (NarrowToCp1252).
#include "platform/base/CString.h"
#include "platform/base/CodePage.h"

#include <benchmark/benchmark.h>

static void BM_FormatClockText(benchmark::State& state) {
    CString s;
    int i = 0;
    for (auto _ : state) {
        s.Format(L"%d/%d/%d - %d:%02d", 9, 12, 2026, i % 24, i % 60);
        benchmark::DoNotOptimize(s.GetString());
        ++i;
    }
}
BENCHMARK(BM_FormatClockText);

static void BM_FormatMoney(benchmark::State& state) {
    CString s;
    double v = 1234.5678;
    for (auto _ : state) {
        s.Format(L"%.2f", v);
        benchmark::DoNotOptimize(s.GetString());
        v += 0.01;
    }
}
BENCHMARK(BM_FormatMoney);

static void BM_WidenFile(benchmark::State& state) {
    std::string bytes(static_cast<size_t>(state.range(0)), 'a');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i);
    for (auto _ : state) benchmark::DoNotOptimize(device::WidenBytes(bytes));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WidenFile)->Arg(1500)->Arg(1 << 20);

static void BM_NarrowFile(benchmark::State& state) {
    std::wstring text = device::WidenBytes(std::string(static_cast<size_t>(state.range(0)), 'a'));
    for (size_t i = 0; i < text.size(); i += 7) text[i] = L'\u20AC';
    for (auto _ : state) benchmark::DoNotOptimize(device::NarrowToCp1252(text));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_NarrowFile)->Arg(1500)->Arg(1 << 20);

BENCHMARK_MAIN();
