#pragma once
// Shared by the core tests: a fresh device with the program installed in
// "\Program Files\Jorvana", and helpers that write device files byte for byte.

#include "platform/system/DeviceFiles.h"
#include "platform/system/ProgramPath.h"
#include "platform/ui/MessageBox.h"
#include "support/DeviceFileAccess.h"
#include "support/FreshDevice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace coretest {

using testsupport::HostPath;
using testsupport::InProgramFolder;
using testsupport::kProgramFolder;
using testsupport::MakeFolder;
inline constexpr auto& WriteFile = testsupport::WriteDeviceFile;

class CoreTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        device::SetModuleDevicePath(InProgramFolder(L"Jorvana.exe"));
        MakeFolder(kProgramFolder);
        device::ui::ClearMessageBoxRecords();
    }
    void TearDown() override {
        device::ui::ClearMessageBoxRecords();
        device::SetModuleDevicePath(L"");
        FreshDevice::TearDown();
    }
    // Message boxes shown so far, answered with OK without waiting.
    std::vector<std::wstring> MessageTexts() {
        std::vector<std::wstring> texts;
        for (const auto& r : device::ui::MessageBoxRecords())
            texts.push_back(r.text);
        return texts;
    }
};

} // namespace coretest
