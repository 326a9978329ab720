#pragma once
// For tests that look at the device's files from the host: the program folder, host paths of
// device paths, and device files written and read byte for byte.

#include "platform/system/DeviceFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace testsupport {

inline const wchar_t* kProgramFolder = L"\\Program Files\\Jorvana";

inline std::wstring InProgramFolder(const std::wstring& name) { return std::wstring(kProgramFolder) + L"\\" + name; }

inline std::filesystem::path HostPath(const std::wstring& devicePath) {
    std::filesystem::path host;
    EXPECT_TRUE(device::ResolveDevicePath(devicePath.c_str(), host));
    return host;
}

inline void MakeFolder(const std::wstring& devicePath) { std::filesystem::create_directories(HostPath(devicePath)); }

inline void WriteDeviceFile(const std::wstring& devicePath, const std::string& bytes) {
    std::filesystem::path host = HostPath(devicePath);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A host file (a shipped data file) copied byte for byte to the device.
inline void CopyToDevice(const std::filesystem::path& hostFile, const std::wstring& devicePath) {
    std::ifstream in(hostFile, std::ios::binary);
    EXPECT_TRUE(in.good()) << hostFile;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    WriteDeviceFile(devicePath, bytes.str());
}

inline std::string ReadDeviceFile(const std::wstring& devicePath) {
    std::ifstream in(HostPath(devicePath), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline bool DeviceFileExists(const std::wstring& devicePath) { return std::filesystem::exists(HostPath(devicePath)); }

} // namespace testsupport
