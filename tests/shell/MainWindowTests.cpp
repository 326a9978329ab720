// The main window: start-up (first-run defaults, stores, restored tab), the tab strip switching
// pages and command bars, and what it looks like.

#include "MainWindowTestSupport.h"
#include "support/Screenshots.h"

namespace shelltest {
namespace {

TEST_F(MainWindowTest, PortraitAndLandscapeScreenshots) {
    InstallSmallProduct();
    Open();
    EXPECT_FALSE(testsupport::SaveScreenshot("main-window-portrait").empty());
    device::ui::RotateScreen();
    device::ui::PumpUntilIdle();
    EXPECT_FALSE(testsupport::SaveScreenshot("main-window-landscape").empty());
}

} // namespace
} // namespace shelltest
