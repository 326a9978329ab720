#pragma once
// Shared by the core tests: a fresh device with the program installed in
// "\Program Files\Jorvana", and helpers that write device files byte for byte.

#include "platform/system/DeviceFiles.h"
#include "platform/system/ProgramPath.h"
#include "platform/ui/MessageBox.h"
#include "support/FreshDevice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace coretest {

inline const wchar_t* kProgramFolder = L"\\Program Files\\Jorvana";

inline std::filesystem::path HostPath(const std::wstring& devicePath) {
    std::filesystem::path host;
    EXPECT_TRUE(device::ResolveDevicePath(devicePath.c_str(), host));
    return host;
}

inline void MakeFolder(const std::wstring& devicePath) {
    std::filesystem::create_directories(HostPath(devicePath));
}

inline void WriteFile(const std::wstring& devicePath, const std::string& bytes) {
    std::filesystem::path host = HostPath(devicePath);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::wstring InProgramFolder(const std::wstring& name) {
    return std::wstring(kProgramFolder) + L"\\" + name;
}

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
