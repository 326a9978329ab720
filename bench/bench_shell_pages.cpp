// The main window as the user waits for it, headless, on a device holding the shipped files
// (1200 cities, 360 weather places) whose home city was chosen: the first start's main window
// (stores built, home city answered at once), each tab's first show and each later switch to it,
// a full repaint of the window with each tab open and of the forecast view and the city
// information dialog (portrait and landscape), and one once-a-second tick of the World Clocks
// and World Map pages.
#include "core/CitiesDb.h"
#include "core/CurrenciesDb.h"
#include "core/RegistryKey.h"
#include "core/WeatherDb.h"
#include "platform/base/Utf8.h"
#include "platform/display/Display.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/ProgramPath.h"
#include "platform/ui/DeviceUi.h"
#include "resources/resource.h"
#include "shell/MainDlg.h"
#include "clocks/CityInfoDlg.h"
#include "weather/ForecastDlg.h"
#include "platform/programs/feed-server/Forecast.h"

#include "bench/BenchRoot.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <functional>
#include <filesystem>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

// The shipped files in the program folder, the home city chosen, the tips seen.
struct Device {
    benchsupport::BenchRoot root;
    explicit Device(int width, int height) {
        setenv("DEVICE_DISPLAY", "headless", 1);
        device::display::Start();
        device::ui::SetScreenShape(width, height);
        device::SetModuleDevicePath(L"\\Program Files\\Jorvana\\Jorvana.exe");
        std::filesystem::path folder;
        device::ResolveDevicePath(L"\\Program Files\\Jorvana", folder);
        std::filesystem::create_directories(folder);
        std::filesystem::copy(JORVANA_DATA_DIR, folder, std::filesystem::copy_options::recursive);
        CRegistryKey reg;
        reg.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"lang", 0);
        reg.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", L"clock", 0);
        // A first window builds the stores and shows the tips once, as the first start does.
        auto first = Open();
        for (int tab = 1; tab <= 4; ++tab) Tap(*first, tab);
        Close(first);
    }
    ~Device() { device::SetModuleDevicePath(L""); }

    // The main window, opening on the World Clocks tab.
    static std::unique_ptr<CMainDlg> Open() {
        CMainTabCtrl::s_nPendingTool = -1;
        CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"CurTab", 0);
        auto dlg = std::make_unique<CMainDlg>();
        dlg->Create(IDD_MAIN, nullptr);
        dlg->ShowWindow(SW_SHOW);
        device::ui::PumpUntilIdle();
        return dlg;
    }
    static void Close(std::unique_ptr<CMainDlg>& dlg) {
        if (dlg && dlg->m_hWnd) dlg->DestroyWindow();
        dlg.reset();
        device::ui::PumpUntilIdle();
    }
    // A tap in the middle of tab n, and everything it leads to, painting included.
    static void Tap(CMainDlg& dlg, int n) {
        CRect item;
        dlg.GetTabs().GetItemRect(n, &item);
        dlg.GetTabs().ClientToScreen(&item);
        POINT at{item.CenterPoint().x, item.CenterPoint().y};
        device::ui::InjectStylus(device::ui::StylusAction::Down, at);
        device::ui::InjectStylus(device::ui::StylusAction::Up, at);
        device::ui::PumpUntilIdle();
    }
};

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// The main window whose home city dialog is answered with the first city at once.
class FirstStartDlg : public CMainDlg {
protected:
    void RunHomeCityDialog(int& cityIndex) override { cityIndex = 0; }
};

// The first start's main window: no stores and no home city yet, until it is painted.
void BM_FirstStartMainWindow(benchmark::State& state) {
    Device device(240, 320);
    for (auto _ : state) {
        CCeDBDatabase::Delete(kCitiesDbName);
        CCeDBDatabase::Delete(kWeatherDbName);
        CCeDBDatabase::Delete(kCurrenciesDbName);
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", 0, 0, &key) == ERROR_SUCCESS) {
            RegDeleteValueW(key, L"clock");
            RegCloseKey(key);
        }
        CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"CurTab", 0);
        auto start = Clock::now();
        std::unique_ptr<CMainDlg> dlg = std::make_unique<FirstStartDlg>();
        dlg->Create(IDD_MAIN, nullptr);
        dlg->ShowWindow(SW_SHOW);
        device::ui::PumpUntilIdle();
        state.SetIterationTime(Seconds(start));
        Device::Close(dlg);
        CRecordDatabase cities;
        if (!cities.Open(kCitiesDbName) || cities.GetRecordCount() < 1000) {
            state.SkipWithError("the city store was not built");
            break;
        }
    }
}
BENCHMARK(BM_FirstStartMainWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// Tab 1 to 4 shown the first time in a newly opened main window.
void BM_TabFirstShow(benchmark::State& state) {
    Device device(240, 320);
    const int tab = static_cast<int>(state.range(0));
    for (auto _ : state) {
        auto dlg = Device::Open();
        auto start = Clock::now();
        Device::Tap(*dlg, tab);
        state.SetIterationTime(Seconds(start));
        bool shown = dlg->GetTabs().GetCurrentPage() == tab;
        Device::Close(dlg);
        if (!shown) {
            state.SkipWithError("the tab did not open");
            break;
        }
    }
}
BENCHMARK(BM_TabFirstShow)->DenseRange(1, 4)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// From the World Clocks tab to tab n (and back, not counted), every page already shown once.
void BM_TabSwitch(benchmark::State& state) {
    Device device(240, 320);
    const int tab = static_cast<int>(state.range(0));
    auto dlg = Device::Open();
    Device::Tap(*dlg, tab);
    Device::Tap(*dlg, 0);
    for (auto _ : state) {
        auto start = Clock::now();
        Device::Tap(*dlg, tab);
        state.SetIterationTime(Seconds(start));
        Device::Tap(*dlg, 0);
    }
    Device::Close(dlg);
}
BENCHMARK(BM_TabSwitch)->DenseRange(1, 4)->UseManualTime()->Unit(benchmark::kMillisecond);

// The whole main window repainted with tab n open; args: tab, screen width, screen height.
void BM_FullRepaint(benchmark::State& state) {
    Device device(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
    const int tab = static_cast<int>(state.range(0));
    auto dlg = Device::Open();
    if (tab != 0) Device::Tap(*dlg, tab);
    for (auto _ : state) {
        RedrawWindow(dlg->m_hWnd, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        device::ui::PumpUntilIdle();
    }
    Device::Close(dlg);
}
BENCHMARK(BM_FullRepaint)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {240}, {320}})
    ->ArgsProduct({{0, 1, 2, 3, 4}, {320}, {240}})
    ->Unit(benchmark::kMillisecond);

// Runs a modal dialog; once it is shown, `whileShown` runs on it, then the dialog closes.
void WhileShown(CDialog& dlg, std::function<void(CDialog&)> whileShown) {
    static std::function<void(CDialog&)> s_whileShown;
    s_whileShown = std::move(whileShown);
    ::SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR id, DWORD) {
        auto* shown = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
        if (!shown || !shown->IsWindowVisible()) return;
        ::KillTimer(nullptr, id);
        device::ui::PumpUntilIdle();
        s_whileShown(*shown);
        shown->EndDialog(IDOK);
    });
    dlg.DoModal();
}

void RepaintWhileShown(benchmark::State& state, CDialog& dlg) {
    bool ran = false;
    WhileShown(dlg, [&](CDialog& shown) {
        ran = true;
        for (auto _ : state) {
            RedrawWindow(shown.m_hWnd, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            device::ui::PumpUntilIdle();
        }
    });
    if (!ran) state.SkipWithError("the dialog was not shown");
}

// The five-day forecast view of the first shipped place, holding five days from today on; args:
// screen width, screen height.
void BM_ForecastViewRepaint(benchmark::State& state) {
    Device device(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    CWeatherDb store;
    store.Open();
    CString name = store.GetName(0);
    CString code = store.GetCode(0);
    // Today's date on the device, the forecast's first day.
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    const feedserver::CivilDate today{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
    feedserver::Place place;
    place.code = device::ToUtf8(code.Str());
    place.meanC = 15;
    place.swingC = 10;
    place.dailyRangeC = 8;
    place.wetShare = 0.3;
    const std::string forecast = feedserver::ForecastText(place, today);
    char dateCountry[64];
    std::snprintf(dateCountry, sizeof dateCountry, "%02d/%02d/%04d:Somewhere", today.day, today.month, today.year);
    store.UpdateCity(name, code, device::FromUtf8(forecast).c_str(), device::FromUtf8(dateCountry).c_str(), 1);
    CForecastDlg dlg;
    dlg.m_cityName = name;
    dlg.m_homeName = name;
    RepaintWhileShown(state, dlg);
    if (dlg.m_todayIndex >= CForecastDlg::kSlots) state.SkipWithError("the stored forecast was not current");
}
BENCHMARK(BM_ForecastViewRepaint)->Args({240, 320})->Args({320, 240})->Unit(benchmark::kMillisecond);

// The city information dialog of a city (its facts as the clocks page hands them); args: screen
// width, screen height.
void BM_CityInfoRepaint(benchmark::State& state) {
    Device device(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    CCityInfoDlg dlg;
    dlg.m_name = L"Oslo";
    dlg.m_country = L"Norway";
    dlg.m_longitude = L"10";
    dlg.m_latitude = L"59";
    dlg.m_observing = L"Observing now";
    dlg.m_period = L"29/03 - 25/10";
    dlg.m_offsetText = L"+1 (+1 DST)";
    dlg.m_currentOffset = L"2";
    dlg.m_day = 21;
    dlg.m_month = 6;
    dlg.m_year = 2026;
    RepaintWhileShown(state, dlg);
}
BENCHMARK(BM_CityInfoRepaint)->Args({240, 320})->Args({320, 240})->Unit(benchmark::kMillisecond);

// One tick of the page on tab n (0 World Clocks, 2 World Map): its timer message as the ticker
// posts it, and the painting of what it invalidated. The CPU column is the figure.
void BM_PageTick(benchmark::State& state) {
    Device device(240, 320);
    const int tab = static_cast<int>(state.range(0));
    auto dlg = Device::Open();
    if (tab != 0) Device::Tap(*dlg, tab);
    CDialog* page = dlg->GetTabs().GetPage(tab);
    if (!page || !page->m_hWnd) {
        state.SkipWithError("page not created");
        return;
    }
    for (auto _ : state) {
        SendMessageW(page->m_hWnd, WM_TIMER, 0, 0);
        device::ui::PumpUntilIdle();
    }
    Device::Close(dlg);
}
BENCHMARK(BM_PageTick)->Arg(0)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
