#pragma once
// Shared by the fuzz targets: one device root for the whole run, a temporary folder removed at
// its end, with the program installed in "\Program Files\Jorvana", and a writer that puts the
// fuzz input into a device file.

#include "platform/system/DeviceFiles.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/ProgramPath.h"
#include "tests/support/TempDevice.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// Stops the run, naming the check that failed.
#define FUZZ_CHECK(condition)                                                                    \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);   \
            std::abort();                                                                        \
        }                                                                                        \
    } while (0)

namespace fuzzdevice {

inline std::filesystem::path Host(const wchar_t* devicePath) {
    std::filesystem::path host;
    device::ResolveDevicePath(devicePath, host);
    return host;
}

inline void Write(const wchar_t* devicePath, const uint8_t* data, size_t size) {
    std::ofstream out(Host(devicePath), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Sets the device up on the first call; later calls do nothing.
inline void EnsureDevice() {
    // Removed with everything in it when the run ends normally.
    static testsupport::TempFolder root("jorvana-fuzz-");
    static bool ready = [] {
        if (root.Path().empty()) std::abort();
        setenv("DEVICE_DISPLAY", "headless", 1);
        device::UseRootFolder(root.Path());
        device::SetModuleDevicePath(L"\\Program Files\\Jorvana\\Jorvana.exe");
        std::filesystem::create_directories(Host(L"\\Program Files\\Jorvana"));
        return true;
    }();
    (void)ready;
}

// Copies a shipped file of data/ into the program folder once per run.
inline void InstallShipped(const wchar_t* name) {
    const std::filesystem::path target = Host((std::wstring(L"\\Program Files\\Jorvana\\") + name).c_str());
    if (std::filesystem::exists(target)) return;
    std::filesystem::copy(std::filesystem::path(JORVANA_DATA_DIR) / target.filename(), target,
                          std::filesystem::copy_options::recursive);
}

} // namespace fuzzdevice
