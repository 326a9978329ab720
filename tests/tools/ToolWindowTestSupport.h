#pragma once
// Shared by the tool window tests: a fresh device with the program folder and a default skin
// whose Tools section holds known colours, and a plain window standing in for the page container
// that the tool windows are created in.

#include "platform/display/HeadlessTest.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/Geometry.h"
#include "platform/system/ProgramPath.h"
#include "platform/ui/MessageBox.h"
#include "support/DeviceFileAccess.h"
#include "support/Screenshots.h"
#include "support/WindowedDevice.h"

#include <string>

namespace toolwintest {

// Colours of the test skin's Tools section.
inline constexpr COLORREF kBand = RGB(200, 100, 50);
inline constexpr COLORREF kLabelText = RGB(10, 20, 30);
inline constexpr COLORREF kRow1 = RGB(250, 240, 200);
inline constexpr COLORREF kRow2 = RGB(200, 240, 250);

inline std::string TestSkinText() {
    return "[Description]\r\nN@Test skin\r\n>\r\n"
           "[Common Folders]\r\nP@\\Portrait\r\nL@\\Landscape\r\nS@\\Square\r\n>\r\n"
           "[Tools]\r\nPCD@200100050\r\nPCTD@010020030\r\nBD@\\dial.jpg\r\n"
           "PCS@200100050\r\nPBCS@000000255\r\nTC1S@250240200\r\nTC2S@200240250\r\nTTCS@010020030\r\nBS@\\cloths.jpg\r\n"
           "PCP@200100050\r\nPBCP@000000255\r\nBP@\\pack.jpg\r\n>\r\n*\r\n<";
}

class ToolWindowTest : public testsupport::WindowedDevice {
protected:
    void SetUp() override {
        WindowedDevice::SetUp();
        device::SetModuleDevicePath(testsupport::InProgramFolder(L"Jorvana.exe"));
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"default.skn"), TestSkinText());
        RECT area{};
        ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
        // The page container's place: below the tab row, down to the menu bar.
        ASSERT_TRUE(m_container.CreateEx(0, nullptr, L"Container", WS_POPUP | WS_VISIBLE, area.left, area.top + 26,
                                         area.right - area.left, area.bottom - area.top - 26, nullptr, nullptr));
        Pump();
    }
    void TearDown() override {
        if (m_container.m_hWnd) m_container.DestroyWindow();
        Pump();
        CWnd::DeleteTempMap();
        device::SetModuleDevicePath(L"");
        WindowedDevice::TearDown();
    }
    // Creates the tool window as the Tools page does: modeless, in the container, shown over it.
    template <typename Tool> void Open(Tool& tool, UINT id) {
        ASSERT_TRUE(tool.Create(id, &m_container));
        CRect client;
        m_container.GetClientRect(&client);
        tool.MoveWindow(0, 0, client.Width(), client.Height(), TRUE);
        tool.ShowWindow(SW_SHOW);
        Pump();
    }
    static void Pump() { device::display::test::PumpUntilIdle(); }
    static CPoint ScreenCentre(CWnd& wnd) {
        CRect r;
        wnd.GetWindowRect(&r);
        return r.CenterPoint();
    }

    CWnd m_container;
};

} // namespace toolwintest
