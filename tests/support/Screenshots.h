#pragma once
// Screenshots the tests leave for a reader to look at: the device screen as PNG, in
// $JORVANA_TEST_OUTPUT when set, else in the test framework's temporary folder; the path is
// printed. Returns the path, or an empty one when nothing could be written.

#include "platform/gdi/ImageFiles.h"
#include "platform/ui/DeviceUi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

namespace testsupport {

inline std::filesystem::path SaveScreenshot(const std::string& name) {
    device::ui::PumpUntilIdle();
    std::filesystem::path dir = ::testing::TempDir();
    if (const char* out = std::getenv("JORVANA_TEST_OUTPUT")) dir = out;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::filesystem::path path = dir / ("jorvana-" + name + ".png");
    std::unique_ptr<device::gdi::Bitmap> screen = device::ui::CopyScreen();
    if (!screen || !device::gdi::WritePng(*screen, path)) return {};
    std::cout << "[ screenshot ] " << path.string() << std::endl;
    return path;
}

} // namespace testsupport
