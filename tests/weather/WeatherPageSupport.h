#pragma once
// Shared by the Weather page tests: the weather test device with the shipped skin, icon set and
// image mapping in the program folder, a store of weather places, and the page created as a
// child of a plain window covering the work area, as the page container would.

#include "WeatherTestSupport.h"

#include "platform/display/Display.h"
#include "platform/display/HeadlessTest.h"
#include "platform/ui/DeviceUi.h"
#include "resources/resource.h"
#include "support/PageHost.h"
#include "support/Screenshots.h"
#include "weather/WeatherPanel.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace weathertest {

inline const std::filesystem::path kData = JORVANA_DATA_DIR;

// Runs script on the first visible modal dialog of class Dialog once it is up.
template <class Dialog>
void WhenDialogUp(std::function<void(Dialog&)> script) {
    static std::function<void(Dialog&)> s_script;
    s_script = std::move(script);
    ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        auto* dlg = dynamic_cast<Dialog*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
        if (!dlg || !dlg->IsWindowVisible()) return;
        ::KillTimer(nullptr, id);
        s_script(*dlg);
    });
}

class WeatherPageTest : public WeatherTest {
protected:
    void SetUp() override {
        WeatherTest::SetUp();
        device::display::Start();
        device::ui::SetScreenShape(240, 320);
        namespace fs = std::filesystem;
        fs::path program = testsupport::HostPath(testsupport::kProgramFolder);
        for (const char* name : {"Portrait", "Landscape", "Square", "wiconset"})
            fs::copy(kData / name, program / name, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        for (const char* name : {"default.skn", "mapping.cfg"})
            fs::copy_file(kData / name, program / name, fs::copy_options::overwrite_existing);
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"cities.lst"),
                                     "Test cities\n1\nEurope/London;London;United Kingdom;0;51;0;1;90;1;300;2\n");
        CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"weattip", 2);
    }
    void TearDown() override {
        DestroyPage();
        if (m_parent.m_hWnd) m_parent.DestroyWindow();
        device::display::test::PumpUntilIdle();
        CWnd::DeleteTempMap();
        device::ui::SetScreenShape(240, 320);
        WeatherTest::TearDown();
    }

    // Four places, Lima, Oslo, Paris, Rome (name order), Oslo and Paris with a forecast of today.
    void OpenFourPlaces() {
        OpenPlaces({"Peru;Lima;PE1", "Norway;Oslo;NO1", "France;Paris;FR1", "Italy;Rome;IT1"});
        m_store.UpdateCity(L"Oslo", L"NO1", Wide(NumericForecast("06/21/2009", 25, 18)).c_str(), L"21/06/2009:Norway", 1);
        m_store.UpdateCity(L"Paris", L"FR1", Wide(NumericForecast("06/21/2009", -5, -12)).c_str(), L"21/06/2009:France", 1);
        WritePlaces(0, 1, 2, 3);
    }
    static void WritePlaces(DWORD a, DWORD b, DWORD c, DWORD d) {
        CRegistryKey key;
        const DWORD values[4] = {a, b, c, d};
        const LPCWSTR names[4] = {L"wetp", L"wetp2", L"wetp3", L"wetp4"};
        for (int i = 0; i < 4; ++i) key.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", names[i], values[i]);
    }
    static DWORD ReadWeatherValue(LPCWSTR name, LONG* status = nullptr) {
        CRegistryKey key;
        DWORD v = key.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", name);
        if (status) *status = key.RegistryStatus;
        return v;
    }

    CWeatherPanel& CreatePage() {
        testsupport::CreateWorkAreaParent(m_parent);
        m_page = std::make_unique<CWeatherPanel>(&m_parent);
        m_page->m_tickPeriodMs = 600000; // only the first, immediate tick arrives during a test
        EXPECT_TRUE(m_page->Create(IDD_WEATHER_PAGE, &m_parent));
        m_page->LoadSkin();
        testsupport::FillParentAndShow(*m_page, m_parent);
        return *m_page;
    }
    void DestroyPage() {
        if (m_page && m_page->m_hWnd) m_page->DestroyWindow();
        m_page.reset();
    }

    CWnd m_parent;
    std::unique_ptr<CWeatherPanel> m_page;
};

} // namespace weathertest
