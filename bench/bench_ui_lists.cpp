// List control speed: a sorted combo of 2000 city names (filling, exact find, opening the
// drop-down and painting it) and a 300-row report list (inserting, repainting, partial find).

#include "platform/base/CaseFold.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/ListControls.h"
#include "platform/ui/ListView.h"

#include "BenchRoot.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

void UseBenchDevice() {
    static bool once = [] {
        benchsupport::UseHeadlessDevice("jorvana-bench-lists");
        device::ui::RegisterListControlClasses();
        device::ui::RegisterListViewClasses();
        return true;
    }();
    (void)once;
}

// City-like names in no particular order: "Qarvel 1234" and so on.
std::vector<std::wstring> CityNames(int count) {
    static const wchar_t* const stems[] = {L"Qarvel", L"Ostrin", L"Belmora", L"Tavik", L"Ulmen", L"Cerrada", L"Isk",
                                           L"Porvo", L"Nadir", L"Zelt"};
    std::vector<std::wstring> names;
    unsigned seed = 12345;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        names.push_back(std::wstring(stems[(seed >> 16) % 10]) + L" " + std::to_wstring(i));
    }
    return names;
}

HWND Parent() {
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 26, 240, 268, nullptr, nullptr, nullptr,
                           nullptr);
}

HWND SortedCombo(HWND parent) {
    return CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL, 10,
                           10, 200, 200, parent, reinterpret_cast<HMENU>(1), nullptr, nullptr);
}

void Fill(HWND combo, const std::vector<std::wstring>& names) {
    for (const auto& n : names) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(n.c_str()));
}

void BM_FillSortedComboWith2000Cities(benchmark::State& state) {
    UseBenchDevice();
    auto names = CityNames(2000);
    HWND parent = Parent();
    for (auto _ : state) {
        HWND combo = SortedCombo(parent);
        Fill(combo, names);
        state.PauseTiming();
        DestroyWindow(combo);
        state.ResumeTiming();
    }
    DestroyWindow(parent);
}
BENCHMARK(BM_FillSortedComboWith2000Cities)->Unit(benchmark::kMillisecond);

void BM_FindExactIn2000(benchmark::State& state) {
    UseBenchDevice();
    auto names = CityNames(2000);
    HWND parent = Parent();
    HWND combo = SortedCombo(parent);
    Fill(combo, names);
    // The last name added, typed in other case.
    std::wstring lower = device::ToLower(names.back());
    const wchar_t* wanted = lower.c_str();
    if (SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(wanted)) == CB_ERR)
        state.SkipWithError("the name is not found");
    for (auto _ : state) benchmark::DoNotOptimize(SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(wanted)));
    DestroyWindow(parent);
}
BENCHMARK(BM_FindExactIn2000)->Unit(benchmark::kMicrosecond);

void BM_OpenDropDownOf2000AndPaint(benchmark::State& state) {
    UseBenchDevice();
    auto names = CityNames(2000);
    HWND parent = Parent();
    HWND combo = SortedCombo(parent);
    Fill(combo, names);
    SendMessageW(combo, CB_SETCURSEL, 1000, 0);
    device::ui::PumpUntilIdle();
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    if (!SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) state.SkipWithError("the list does not open");
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    for (auto _ : state) {
        SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
        device::ui::PumpUntilIdle();  // paints the open list
        state.PauseTiming();
        SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
        device::ui::PumpUntilIdle();
        state.ResumeTiming();
    }
    DestroyWindow(parent);
}
BENCHMARK(BM_OpenDropDownOf2000AndPaint)->Unit(benchmark::kMillisecond);

HWND ReportList(HWND parent) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 240, 268, parent,
                                reinterpret_cast<HMENU>(2), nullptr, nullptr);
    const wchar_t* titles[] = {L"City", L"Country", L"Offset"};
    for (int c = 0; c < 3; ++c) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.cx = 80;
        col.pszText = const_cast<LPWSTR>(titles[c]);
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&col));
    }
    return list;
}

void InsertRows(HWND list, const std::vector<std::wstring>& names) {
    for (size_t i = 0; i < names.size(); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<LPWSTR>(names[i].c_str());
        int at = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        LVITEMW sub{};
        sub.iSubItem = 1;
        sub.pszText = const_cast<LPWSTR>(L"Somewhere");
        SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&sub));
        sub.iSubItem = 2;
        sub.pszText = const_cast<LPWSTR>(L"+05:30");
        SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&sub));
    }
}

void BM_Insert300ReportRows(benchmark::State& state) {
    UseBenchDevice();
    auto names = CityNames(300);
    HWND parent = Parent();
    for (auto _ : state) {
        HWND list = ReportList(parent);
        InsertRows(list, names);
        state.PauseTiming();
        DestroyWindow(list);
        state.ResumeTiming();
    }
    DestroyWindow(parent);
}
BENCHMARK(BM_Insert300ReportRows)->Unit(benchmark::kMillisecond);

void BM_Repaint300RowReport(benchmark::State& state) {
    UseBenchDevice();
    HWND parent = Parent();
    HWND list = ReportList(parent);
    InsertRows(list, CityNames(300));
    device::ui::PumpUntilIdle();
    for (auto _ : state) {
        InvalidateRect(list, nullptr, TRUE);
        UpdateWindow(list);
    }
    DestroyWindow(parent);
}
BENCHMARK(BM_Repaint300RowReport)->Unit(benchmark::kMicrosecond);

void BM_FindPartialIn300(benchmark::State& state) {
    UseBenchDevice();
    HWND parent = Parent();
    HWND list = ReportList(parent);
    InsertRows(list, CityNames(300));
    LVFINDINFOW find{};
    find.flags = LVFI_PARTIAL | LVFI_WRAP;
    find.psz = L"zelt 29";
    if (SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)) < 0)
        state.SkipWithError("no row is found");
    for (auto _ : state)
        benchmark::DoNotOptimize(SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    DestroyWindow(parent);
}
BENCHMARK(BM_FindPartialIn300)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
