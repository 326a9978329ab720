#pragma once
// Shared by the World Clocks page tests: a fresh device in the UTC zone with a fixed clock, the
// program in "\Program Files\Jorvana" with a six-city list, and the page created as a child of
// a plain window that covers the work area, as the page container would.

#include "clocks/WorldClocksDlg.h"
#include "platform/display/HeadlessTest.h"
#include "platform/framework/MessageMap.h"
#include "platform/gdi/Recorder.h"
#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceTime.h"
#include "platform/system/ProgramPath.h"
#include "platform/ui/DeviceUi.h"
#include "resources/resource.h"
#include "support/DeviceFileAccess.h"
#include "support/PageHost.h"
#include "support/WindowedDevice.h"

#include <chrono>
#include <memory>
#include <thread>
#include <string>

namespace clockstest {

// CityIndex values of the test list (name order).
enum City : DWORD { Auckland = 0, Berlin = 1, Delhi = 2, London = 3, NewYork = 4, StJohns = 5 };

inline const char* kCityList =
    "Test cities\n6\n"
    "Pacific/Auckland;Auckland;New Zealand;174;-36;12;1;270;2;95;3\n"
    "Europe/Berlin;Berlin;Germany;13;52;1;1;90;2;300;3\n"
    "Asia/Kolkata;Delhi;India;77;28;530;0;0;0;0;0\n"
    "Europe/London;London;United Kingdom;0;51;0;1;90;1;300;2\n"
    "America/New_York;New York;USA;-74;40;-5;1;70;2;308;2\n"
    "America/St_Johns;St. John's;Canada;-52;47;-330;1;70;2;308;2\n";

inline constexpr LPCWSTR kClockKey = L"Jorvana\\wrldclk";

class ClocksPageTest : public testsupport::WindowedDevice {
protected:
    void SetUp() override {
        WindowedDevice::SetUp();
        device::ui::SetScreenShape(240, 320);
        device::SetModuleDevicePath(testsupport::InProgramFolder(L"Jorvana.exe"));
        ASSERT_TRUE(device::SetDeviceZone("UTC"));
        device::SetDeviceClock("2026-07-15T10:20:30Z");
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"cities.lst"), kCityList);
        // One weather place that is no clock city: the pages find no forecast for their cities.
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"cities.wet"),
                                     "1\nNowhere;Nowhere;XX0001\n");
    }
    void TearDown() override {
        device::gdi::SetDefaultRecorder(nullptr);
        DestroyPage();
        if (m_parent.m_hWnd) m_parent.DestroyWindow();
        device::display::test::PumpUntilIdle();
        CWnd::DeleteTempMap();
        device::ui::SetScreenShape(240, 320); // the shape the other tests expect
        device::SetDeviceClock("");
        device::SetModuleDevicePath(L"");
        WindowedDevice::TearDown();
    }

    // The five clocks' cities and the other page settings, as an earlier run left them.
    void WriteClockSettings(DWORD home, DWORD c1, DWORD c2, DWORD c3, DWORD c4, DWORD sync = 0) {
        CRegistryKey key;
        key.WriteDword(HKEY_LOCAL_MACHINE, kClockKey, L"syncltz", sync);
        const DWORD values[5] = {home, c1, c2, c3, c4};
        const LPCWSTR names[5] = {L"clock", L"clock1", L"clock2", L"clock3", L"clock4"};
        for (int i = 0; i < 5; ++i) key.WriteDword(HKEY_LOCAL_MACHINE, kClockKey, names[i], values[i]);
        key.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"clktip", 1);
    }
    void WriteStandardClocks(DWORD sync = 0) { WriteClockSettings(London, Berlin, Delhi, NewYork, Auckland, sync); }

    // Creates the page on a parent covering the work area; the ticker's period is long enough
    // that only its first, immediate tick arrives while a test runs.
    template <class Page = CWorldClocksDlg> Page& CreatePage(unsigned tickMs = 600000) {
        testsupport::CreateWorkAreaParent(m_parent);
        m_page = std::make_unique<Page>(&m_parent);
        m_page->m_tickPeriodMs = tickMs;
        EXPECT_TRUE(m_page->Create(IDD_WORLD_CLOCKS, &m_parent));
        m_page->LoadSkin();
        testsupport::FillParentAndShow(*m_page, m_parent);
        // The ticker's first post clears the page's full-repaint request. Wait for it, so that
        // later ticks are the test's own.
        EXPECT_TRUE(testsupport::PumpUntil([&] { return m_page->m_fullRepaint == 0; }));
        return static_cast<Page&>(*m_page);
    }
    void DestroyPage() {
        if (m_page && m_page->m_hWnd) m_page->DestroyWindow();
        m_page.reset();
    }
    static DWORD ReadClock(LPCWSTR name, LONG* status = nullptr) {
        CRegistryKey key;
        DWORD v = key.ReadDword(HKEY_LOCAL_MACHINE, kClockKey, name);
        if (status) *status = key.RegistryStatus;
        return v;
    }

    CWnd m_parent;
    std::unique_ptr<CWorldClocksDlg> m_page;
};

} // namespace clockstest
