// Text services of the core: skin lookups on a full-size skin (<= 5 us each) and the city time
// text (<= 2 us).
#include "core/CityTime.h"
#include "core/SkinFile.h"
#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceTime.h"

#include "bench/BenchRoot.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A skin of about 3000 characters: seven sections of colour and image keys.
CString ThreeThousandCharacterSkin() {
    std::wstring text;
    const wchar_t* sections[] = {L"Description", L"Common Folders", L"General", L"Clocks", L"Weather",
                                 L"Map",         L"Currency",       L"Tools"};
    int n = 0;
    for (int i = 0; text.size() < 2900; ++i) {
        text += L"[" + std::wstring(sections[i % 8]) + L"]\r\n";
        for (int k = 0; k < 6; ++k)
            text += L"KEY" + std::to_wstring(n++) + L"@255128064\r\n";
        text += L">\r\n";
    }
    text += L"[Tools]\r\nBP@\\tools\\packing.jpg\r\nPBCP@200200200\r\n>\r\n*\r\n";
    return CString(text);
}

// Worst case: the last section and its last key.
void BM_SkinSectionAndValue(benchmark::State& state) {
    CString skin = ThreeThousandCharacterSkin();
    for (auto _ : state) {
        CString value = GetSkinValue(GetSkinSection(skin, L"Tools"), L"PBCP");
        benchmark::DoNotOptimize(value);
    }
    state.counters["skin_chars"] = skin.GetLength();
}
BENCHMARK(BM_SkinSectionAndValue);

void BM_SkinValueOverWholeSkin(benchmark::State& state) {
    CString skin = ThreeThousandCharacterSkin();
    for (auto _ : state) {
        CString value = GetSkinValue(skin, L"PBCP");
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_SkinValueOverWholeSkin);

void BM_FormatCityTime(benchmark::State& state) {
    benchsupport::BenchRoot root;
    device::SetDeviceZone("Europe/Paris");
    device::SetDeviceClock("");
    CString warm = FormatCityTime(545, 1, 0);
    for (auto _ : state) {
        CString text = FormatCityTime(545, 1, 0);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_FormatCityTime);

} // namespace

BENCHMARK_MAIN();
