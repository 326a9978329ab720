// Every test program runs in a device root of its own, headless, removed at the end, on the
// carried tzdata whatever TZDIR the environment names (the device programs it starts inherit it).
#include "support/TempDevice.h"
#include "support/TzdataFixture.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testsupport::TempFolder root("jorvana-test-");
    setenv("DEVICE_ROOT", root.Path().c_str(), 1);
    setenv("DEVICE_DISPLAY", "headless", 1);
    testsupport::UseCarriedTzdir();
    return RUN_ALL_TESTS();
}
