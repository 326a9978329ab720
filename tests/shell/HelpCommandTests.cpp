// Help in the main window: the help request (the help key, the command bar's help button) starts
// the device's help viewer on the program's help file, and a device without the viewer shows
// nothing and keeps working.

#include "MainWindowTestSupport.h"

#include <chrono>
#include <thread>

namespace shelltest {
namespace {

class HelpCommandTest : public MainWindowTest {
protected:
    // A stand-in viewer in \Windows that notes its own path and its arguments, one per line.
    static void InstallStandInViewer() {
        WriteDeviceFile(L"\\Windows\\peghelp.exe",
                        "#!/bin/sh\n"
                        "{ echo \"$0\"; echo \"$#\"; for a in \"$@\"; do echo \"[$a]\"; done; } > \"$DEVICE_ROOT/fs/viewer.txt.part\"\n"
                        "mv \"$DEVICE_ROOT/fs/viewer.txt.part\" \"$DEVICE_ROOT/fs/viewer.txt\"\n");
        std::filesystem::permissions(HostPath(L"\\Windows\\peghelp.exe"), std::filesystem::perms::owner_all);
    }
    // What the stand-in noted, once it has run; empty when it did not within a few seconds.
    static std::string WaitForViewer() {
        for (int i = 0; i < 200; ++i) {
            if (DeviceFileExists(L"\\viewer.txt")) return ReadDeviceFile(L"\\viewer.txt");
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return {};
    }
    static void PressHelpKey() {
        device::ui::InjectKey(VK_F1, true);
        device::ui::InjectKey(VK_F1, false);
        device::ui::PumpUntilIdle();
    }
};

TEST_F(HelpCommandTest, HelpKeyStartsTheViewerOnTheHelpFileAlone) {
    InstallSmallProduct();
    InstallStandInViewer();
    TestMainDlg& dlg = Open();
    ASSERT_EQ(::GetActiveWindow(), dlg.m_hWnd);
    PressHelpKey();
    EXPECT_EQ(WaitForViewer(), HostPath(L"\\Windows\\peghelp.exe").string() + "\n1\n[file:jrvhelp.htm]\n");
    // The main window stays as it was.
    EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
    EXPECT_EQ(dlg.GetTitleText(), CString(L"World Clocks"));
}

TEST_F(HelpCommandTest, HelpFromAControlReachesTheMainWindowAndAMissingViewerChangesNothing) {
    InstallSmallProduct();
    TestMainDlg& dlg = Open();
    // No viewer on the device: the request is answered with the default result and nothing else.
    EXPECT_EQ(dlg.SendMessage(WM_HELP, 0, 0), 0);
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
    EXPECT_EQ(dlg.GetTitleText(), CString(L"World Clocks"));
    EXPECT_EQ(device::ui::MessageBoxRecords().size(), 0u);

    // A help request sent to a control travels up to the main window.
    InstallStandInViewer();
    ::SendMessageW(dlg.GetTabs().m_hWnd, WM_HELP, 0, 0);
    EXPECT_NE(WaitForViewer().find("[file:jrvhelp.htm]"), std::string::npos);
}

} // namespace
} // namespace shelltest
