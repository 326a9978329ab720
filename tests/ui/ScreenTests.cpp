// The screen: metrics, the work area, rotation and the input panel, and what windows hear of them.

#include "UiTestSupport.h"

#include "platform/ui/Sip.h"

using namespace uitest;

namespace {

class Screen : public UiTest {
protected:
    static RECT Work() {
        RECT r{};
        EXPECT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0));
        return r;
    }
};

TEST_F(Screen, PortraitScreenMetricsAndWorkArea) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 240);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 320);
    EXPECT_EQ(GetSystemMetrics(SM_CYMENU), 26);
    EXPECT_GT(GetSystemMetrics(SM_CXVSCROLL), 0);
    EXPECT_GT(GetSystemMetrics(SM_CXEDGE), 0);
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), 16);
    RECT work = Work();
    EXPECT_EQ(work.top, 26) << "the taskbar";
    EXPECT_EQ(work.right - work.left, 240);
    EXPECT_EQ(work.bottom - work.top, 294);
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETWORKAREA, 0, nullptr, 0));
    EXPECT_FALSE(SystemParametersInfoW(12345, 0, &work, 0));
}

TEST_F(Screen, RotationChangesTheScreenAndTellsEveryTopLevelWindow) {
    HWND a = Top(0, 26, 240, 294);
    HWND b = Top(0, 26, 100, 100, WS_POPUP);  // hidden windows hear it too
    HWND child = Child(a, 1, 0, 0, 10, 10);
    device::ui::PumpUntilIdle();
    ClearLog();
    device::ui::RotateScreen();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 320);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 240);
    RECT work = Work();
    EXPECT_EQ(work.right - work.left, 320);
    EXPECT_EQ(work.bottom - work.top, 214);
    auto changes = Matching(WM_SETTINGCHANGE);
    ASSERT_EQ(changes.size(), 2u);
    for (const Logged& c : changes) {
        EXPECT_EQ(c.wParam, static_cast<WPARAM>(SPI_SETWORKAREA));
        EXPECT_TRUE(c.hwnd == a || c.hwnd == b);
    }
    EXPECT_TRUE(MessagesOf(child, {WM_SETTINGCHANGE}).empty());
    // The framebuffer follows the new shape; everything repaints.
    int width = 0;
    device::ui::WithFramebuffer([&](const device::gdi::Bitmap& fb) { width = fb.Width(); });
    EXPECT_EQ(width, 320);
    EXPECT_GE(device::ui::PumpUntilIdle(), 1);
    device::ui::RotateScreen();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 240);
}

TEST_F(Screen, InputPanelStateSpaceAndNotification) {
    HWND top = Top(0, 26, 240, 294);
    device::ui::PumpUntilIdle();
    SIPINFO si{};
    si.cbSize = sizeof si;
    ASSERT_TRUE(SipGetInfo(&si));
    EXPECT_EQ(si.fdwFlags & SIPF_ON, 0u);
    EXPECT_EQ(si.rcVisibleDesktop.bottom, 320 - 26) << "down: all but the menu bar shows";
    ClearLog();
    EXPECT_TRUE(SHSipPreference(top, SIP_UP));
    si = SIPINFO{};
    si.cbSize = sizeof si;
    ASSERT_TRUE(SHSipInfo(SPI_GETSIPINFO, 0, &si, 0));
    EXPECT_EQ(si.fdwFlags & SIPF_ON, SIPF_ON);
    EXPECT_EQ(si.rcSipRect.bottom - si.rcSipRect.top, 80);
    EXPECT_EQ(si.rcSipRect.bottom, 320 - 26) << "docked above the menu bar";
    EXPECT_EQ(si.rcVisibleDesktop.bottom, si.rcSipRect.top);
    auto changes = Matching(WM_SETTINGCHANGE);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].wParam, static_cast<WPARAM>(SPI_SETSIPINFO));
    RECT work = Work();
    EXPECT_EQ(work.bottom - work.top, 294) << "the work area is the screen less the taskbar";
    ClearLog();
    EXPECT_TRUE(SHSipPreference(top, SIP_UP));
    EXPECT_TRUE(Matching(WM_SETTINGCHANGE).empty()) << "no change, no message";
    EXPECT_TRUE(SipShowIM(SIPF_OFF));
    EXPECT_FALSE(device::ui::IsSipUp());
    EXPECT_EQ(Matching(WM_SETTINGCHANGE).size(), 1u);
    SHSipPreference(top, SIP_UP);
    SHSipPreference(top, SIP_FORCEDOWN);
    EXPECT_FALSE(device::ui::IsSipUp());
    si.cbSize = 3;
    EXPECT_FALSE(SipGetInfo(&si));
    EXPECT_FALSE(SipGetInfo(nullptr));
}

TEST_F(Screen, TheInputPanelCoversWindowsAndTypesIntoTheFocus) {
    HWND top = Top(0, 26, 240, 294);
    PaintColours()[top] = RGB(0, 0, 255);
    SetFocus(top);
    device::ui::PumpUntilIdle();
    device::ui::SetSipUp(true);
    device::ui::PumpUntilIdle();
    RECT panel = device::ui::SipRect();
    EXPECT_NE(Pixel(2, panel.top + 2), RGB(0, 0, 255)) << "the panel is drawn over the window";
    InvalidateRect(top, nullptr, TRUE);
    device::ui::PumpUntilIdle();
    EXPECT_NE(Pixel(2, panel.top + 2), RGB(0, 0, 255)) << "and the window cannot paint over it";
    EXPECT_EQ(WindowFromPoint(POINT{2, panel.top + 2}), nullptr);
    EXPECT_EQ(Pixel(2, panel.bottom + 2), RGB(0, 0, 255)) << "the menu bar strip stays the window's";

    ClearLog();
    // The first key of the first row is "1".
    device::ui::InjectStylus(device::ui::StylusAction::Down, POINT{panel.left + 3, panel.top + 3});
    device::ui::InjectStylus(device::ui::StylusAction::Up, POINT{panel.left + 3, panel.top + 3});
    device::ui::PumpUntilIdle();
    auto chars = Matching(WM_CHAR);
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>(L'1'));
    EXPECT_EQ(chars[0].hwnd, top);
    EXPECT_TRUE(Matching(WM_LBUTTONDOWN).empty()) << "the tap belonged to the panel";

    device::ui::SetSipUp(false);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Pixel(2, panel.top + 2), RGB(0, 0, 255)) << "lowered: the window shows again";
}

} // namespace
