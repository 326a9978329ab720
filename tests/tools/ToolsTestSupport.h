#pragma once
// Shared by the Tools tab tests: a fresh device with the program installed (default skin, its
// portrait images and tool icons copied from the shipped data), a stand-in main window that
// records the command-bar requests it gets, a page container inside it, and the Tools page
// created in the container as the page container would create it.

#include "core/RegistryKey.h"
#include "platform/display/HeadlessTest.h"
#include "platform/framework/WinApp.h"
#include "platform/system/ProgramPath.h"
#include "platform/ui/DeviceUi.h"
#include "resources/resource.h"
#include "support/DeviceFileAccess.h"
#include "support/Screenshots.h"
#include "support/WindowedDevice.h"
#include "shell/AppMessages.h"
#include "tools/ToolsPage.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace toolstest {

using testsupport::InProgramFolder;

// The main window: records every private message (0x8066-0x8083) with its wParam, and passes
// a settings change (a rotation) on to every window inside it, as the main window does.
class CMainStandIn : public CWnd {
public:
    std::vector<std::pair<UINT, WPARAM>> requests;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message >= 0x8066 && message <= 0x8083) {
            requests.emplace_back(message, wParam);
            return 1;
        }
        if (message == WM_SETTINGCHANGE) ForwardToDescendants(m_hWnd, message, wParam, lParam);
        return CWnd::WindowProc(message, wParam, lParam);
    }
    static void ForwardToDescendants(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
        for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            ::SendMessageW(child, message, wParam, lParam);
            ForwardToDescendants(child, message, wParam, lParam);
        }
    }
};

class ToolsTest : public testsupport::WindowedDevice {
protected:
    void SetUp() override {
        WindowedDevice::SetUp();
        device::ui::SetSipUp(false); // a test before may have left the converter's panel up
        device::SetModuleDevicePath(InProgramFolder(L"Jorvana.exe"));
        testsupport::MakeFolder(testsupport::kProgramFolder);
        Install(L"default.skn");
        for (const wchar_t* image : {L"convert.jpg", L"dial.jpg", L"cloths.jpg", L"pack.jpg"})
            Install(std::wstring(L"Portrait\\") + image);
        for (const wchar_t* icon : {L"convert.bmp", L"dial.bmp", L"cloths.bmp", L"pack.bmp", L"news.bmp"})
            Install(std::wstring(L"toolbar\\") + icon);
    }
    void TearDown() override {
        if (m_page.GetSafeHwnd()) m_page.DestroyWindow();
        if (m_main.GetSafeHwnd()) m_main.DestroyWindow();
        Pump();
        CWnd::DeleteTempMap();
        device::SetModuleDevicePath(L"");
        WindowedDevice::TearDown();
    }

    // A shipped data file into the program folder ("toolbar\news.bmp").
    static void Install(const std::wstring& relative) {
        std::filesystem::path source = std::filesystem::path(JORVANA_DATA_DIR);
        std::wstring host = relative;
        for (auto& c : host)
            if (c == L'\\') c = L'/';
        std::ifstream in(source / host, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        testsupport::WriteDeviceFile(InProgramFolder(relative), bytes.str());
    }

    // The main window over the work area, the container filling it, the Tools page in the
    // container below a 26-pixel tab strip.
    void CreatePage() {
        RECT area = device::ui::WorkArea();
        ASSERT_TRUE(m_main.CreateEx(0, nullptr, L"Main", WS_POPUP | WS_VISIBLE, area.left, area.top,
                                    area.right - area.left, area.bottom - area.top, nullptr, nullptr));
        ASSERT_TRUE(m_container.CreateEx(0, nullptr, L"", WS_CHILD | WS_VISIBLE, 0, 0, area.right - area.left,
                                         area.bottom - area.top, m_main.m_hWnd, nullptr));
        ASSERT_TRUE(m_page.Create(IDD_TOOLS_PAGE, &m_container));
        int pageHeight = (area.bottom - area.top) - ::GetSystemMetrics(SM_CYMENU) - 26;
        m_page.MoveWindow(0, 26, area.right - area.left, pageHeight);
        m_page.ShowWindow(SW_SHOW);
        Pump();
    }

    // Taps the centre of a Tools list icon.
    void TapTool(int index) {
        CRect icon;
        ASSERT_TRUE(m_page.m_list.GetItemRect(index, &icon, LVIR_ICON));
        m_page.m_list.ClientToScreen(&icon);
        device::display::test::Tap(icon.CenterPoint());
    }

    static DWORD ReadJorvanaDword(LPCWSTR name, LONG* status = nullptr) {
        CRegistryKey registry;
        DWORD value = registry.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", name);
        if (status) *status = registry.RegistryStatus;
        return value;
    }
    static void WriteJorvanaDword(LPCWSTR name, DWORD value) {
        CRegistryKey registry;
        registry.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", name, value);
    }
    static void Pump() { device::display::test::PumpUntilIdle(); }

    CMainStandIn m_main;
    CWnd m_container;
    CToolsPage m_page;
};

} // namespace toolstest
