#pragma once
// A fresh device root for a benchmark, removed with everything in it at the end.

#include "platform/system/DeviceRoot.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace benchsupport {

struct BenchRoot {
    BenchRoot() {
        char tmpl[] = "/tmp/jorvana-bench-XXXXXX";
        if (const char* made = mkdtemp(tmpl)) path = made;
        device::UseRootFolder(path);
    }
    ~BenchRoot() {
        device::UseRootFolder({});
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
    BenchRoot(const BenchRoot&) = delete;
    BenchRoot& operator=(const BenchRoot&) = delete;
    std::filesystem::path path;
};

// For the window benchmarks: the headless display and a device root kept under the temp folder
// for the whole run (set once, before the first window).
inline void UseHeadlessDevice(const char* name) {
    static bool once = [name] {
        setenv("DEVICE_DISPLAY", "headless", 1);
        auto root = std::filesystem::temp_directory_path() / name;
        std::filesystem::create_directories(root);
        setenv("DEVICE_ROOT", root.c_str(), 1);
        return true;
    }();
    (void)once;
}

} // namespace benchsupport
