#pragma once
// A test fixture for window tests: a fresh device root per test, the display back end started
// (headless in tests), and no message boxes recorded before or after the test.

#include "platform/display/Display.h"
#include "platform/ui/MessageBox.h"
#include "support/FreshDevice.h"

namespace testsupport {

class WindowedDevice : public FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        device::display::Start();
        device::ui::ClearMessageBoxRecords();
    }
    void TearDown() override {
        device::ui::ClearMessageBoxRecords();
        FreshDevice::TearDown();
    }
};

} // namespace testsupport
