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

} // namespace benchsupport
