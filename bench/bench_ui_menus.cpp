// Menus, property sheets and the HTML viewer: opening and painting a 10-item pop-up menu,
// creating a 7-page sheet and showing its first page, and laying out and painting a 50 KB page, and opening it from its file in a new viewer.

#include "platform/base/ResourceFormat.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/HtmlView.h"
#include "platform/ui/Menus.h"
#include "platform/ui/PropertySheet.h"
#include "platform/ui/StandardClasses.h"
#include "platform/base/Utf8.h"
#include "platform/system/DeviceFiles.h"

#include "BenchRoot.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // The menu is up and painted once its loop goes idle: close it at once.
    if (msg == WM_ENTERIDLE && wParam == MSGF_MENU) {
        EndMenu();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND MakeOwner() {
    benchsupport::UseHeadlessDevice("jorvana-bench-menus");
    static bool once = [] {
        device::ui::RegisterStandardClasses();
        WNDCLASSW wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.lpszClassName = L"BenchMenuOwner";
        RegisterClassW(&wc);
        return true;
    }();
    (void)once;
    HWND owner = CreateWindowExW(0, L"BenchMenuOwner", L"", WS_POPUP | WS_VISIBLE, 0, 26, 240, 268, nullptr, nullptr,
                                 nullptr, nullptr);
    device::ui::PumpUntilIdle();
    return owner;
}

void BM_OpenAndPaintTenItemPopup(benchmark::State& state) {
    HWND owner = MakeOwner();
    HMENU menu = CreatePopupMenu();
    for (int i = 1; i <= 10; ++i)
        AppendMenuW(menu, MF_STRING | (i == 3 ? MF_CHECKED : 0u), static_cast<UINT_PTR>(100 + i),
                    (L"Menu item " + std::to_wstring(i)).c_str());
    for (auto _ : state) {
        benchmark::DoNotOptimize(TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, 20, 60, 0, owner, nullptr));
    }
    DestroyMenu(menu);
    DestroyWindow(owner);
    device::ui::PumpUntilIdle();
}
BENCHMARK(BM_OpenAndPaintTenItemPopup)->Unit(benchmark::kMicrosecond);

// ---- Property sheet ----

constexpr UINT kShown = WM_APP + 1;

INT_PTR CALLBACK PageProc(HWND page, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == PSN_SETACTIVE) {
        PostMessageW(page, kShown, 0, 0);
        return TRUE;
    }
    if (msg == kShown) {
        // The first page is shown once the sheet and the page have painted.
        HWND sheet = GetParent(page);
        UpdateWindow(sheet);
        UpdateWindow(page);
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
        return TRUE;
    }
    return FALSE;
}

std::vector<uint8_t> PageTemplate(int n) {
    device::DialogTemplate tpl;
    tpl.style = WS_CHILD | DS_SETFONT;
    tpl.cx = 140;
    tpl.cy = 120;
    tpl.caption = L"Page " + std::to_wstring(n);
    tpl.pointSize = 8;
    tpl.faceName = L"System";
    for (int i = 0; i < 6; ++i) {
        device::DialogItemTemplate item;
        item.className = i % 2 ? L"STATIC" : L"LISTBOX";
        item.text = L"Element " + std::to_wstring(i);
        item.id = static_cast<DWORD>(1000 + i);
        item.style = WS_VISIBLE | (i % 2 ? 0u : static_cast<DWORD>(WS_BORDER));
        item.x = 4;
        item.y = static_cast<short>(4 + i * 18);
        item.cx = 120;
        item.cy = 14;
        tpl.items.push_back(item);
    }
    return device::SerializeDialog(tpl);
}

void BM_CreateSevenPageSheetAndShowFirstPage(benchmark::State& state) {
    MakeOwner();
    std::vector<std::vector<uint8_t>> templates;
    for (int i = 0; i < 7; ++i) templates.push_back(PageTemplate(i));
    std::vector<PROPSHEETPAGEW> pages(7);
    for (int i = 0; i < 7; ++i) {
        PROPSHEETPAGEW& p = pages[static_cast<size_t>(i)];
        p = PROPSHEETPAGEW{};
        p.dwSize = sizeof(PROPSHEETPAGEW);
        p.dwFlags = PSP_DLGINDIRECT;
        p.pResource = reinterpret_cast<LPCDLGTEMPLATEW>(templates[static_cast<size_t>(i)].data());
        p.pfnDlgProc = PageProc;
    }
    PROPSHEETHEADERW h{};
    h.dwSize = sizeof(h);
    h.dwFlags = PSH_PROPSHEETPAGE | PSH_MAXIMIZE;
    h.pszCaption = L"User Interface...";
    h.nPages = 7;
    h.ppsp = pages.data();
    for (auto _ : state) benchmark::DoNotOptimize(PropertySheetW(&h));
    device::ui::PumpUntilIdle();
}
BENCHMARK(BM_CreateSevenPageSheetAndShowFirstPage)->Unit(benchmark::kMicrosecond);

// ---- HTML viewer ----

// A news page: stories of a heading, two paragraphs with bold, italic and a link, and a short
// list; a table of rates every tenth story. tableEvery = 1 gives a table-heavy page.
std::wstring FiftyKilobytePage(int tableEvery) {
    std::wstring page = L"<html><head><title>News</title></head><body><h1>Trip news</h1>";
    int n = 0;
    while (page.size() < 50 * 1024) {
        ++n;
        page += L"<h2>Story " + std::to_wstring(n) + L"</h2><p>Travellers heading abroad this season should check "
                L"the <b>local time</b>, the weather and the <i>currency rates</i> before they leave. Flights, "
                L"trains and ferries run to their summer timetables.</p><p>More on the <a href=\"more.htm\">"
                L"timetables</a> and on what to pack.</p><ul><li>Pack light</li><li>Carry a charger</li></ul>";
        if (n % tableEvery == 0)
            page += L"<table border=1><tr><th>City</th><th>Rate</th></tr><tr><td>Oslo</td><td>10.42</td></tr>"
                    L"<tr><td>Lima</td><td>3.71</td></tr></table>";
    }
    return page + L"</body></html>";
}

void BM_RenderFiftyKilobyteHtmlPage(benchmark::State& state) {
    const int tableEvery = static_cast<int>(state.range(0));
    HWND owner = MakeOwner();
    InitHTMLControl(nullptr);
    HWND viewer = CreateWindowExW(0, DISPLAYCLASS, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 240, 216, owner,
                                  reinterpret_cast<HMENU>(static_cast<uintptr_t>(10)), nullptr, nullptr);
    std::wstring page = FiftyKilobytePage(tableEvery);
    for (auto _ : state) {
        SendMessageW(viewer, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        SendMessageW(viewer, DTM_ADDTEXTW, 0, reinterpret_cast<LPARAM>(page.c_str()));
        SendMessageW(viewer, DTM_ENDOFSOURCE, 0, 0);
        UpdateWindow(viewer);
    }
    state.counters["bytes"] = static_cast<double>(page.size());
    DestroyWindow(owner);
    device::ui::PumpUntilIdle();
}
// Argument: a table every n stories (10: a news page; 1: a page of tables).
BENCHMARK(BM_RenderFiftyKilobyteHtmlPage)->Arg(10)->Arg(1)->Unit(benchmark::kMillisecond);

// The news tool's first opening of its page: a new viewer asked (by a posted message) to shrink
// pictures, the 50 KB page opened from its file, then everything pending handled and painted.
void BM_OpenNewsPageInANewViewer(benchmark::State& state) {
    HWND owner = MakeOwner();
    InitHTMLControl(nullptr);
    std::filesystem::path host;
    device::ResolveDevicePath(L"\\news.htm", host);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << device::ToUtf8(FiftyKilobytePage(10));
    for (auto _ : state) {
        HWND viewer = CreateWindowExW(0, DISPLAYCLASS, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 240, 216,
                                      owner, reinterpret_cast<HMENU>(static_cast<uintptr_t>(10)), nullptr, nullptr);
        PostMessageW(viewer, DTM_ENABLESHRINK, 0, 1);
        SendMessageW(viewer, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        SendMessageW(viewer, DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(L"file://\\news.htm"));
        device::ui::PumpUntilIdle();
        DestroyWindow(viewer);
    }
    DestroyWindow(owner);
    device::ui::PumpUntilIdle();
}
BENCHMARK(BM_OpenNewsPageInANewViewer)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
