#pragma once
// Device programs run as the user runs them, for the benchmarks that time them from outside: an
// installed device past its first start, the program started on it with the device's
// environment, and its end.

#include "platform/system/DeviceRoot.h"
#include "platform/system/Registry.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace benchsupport {

struct ProgramRun {
    double wallMs = 0;
    double cpuMs = 0;
    double maxRssMb = 0;
    int status = -1;
};

// Starts a program with the device's environment (headless, quitting at its first idle, a clock
// of its own) and `extra`: NAME=value sets or overrides, a bare NAME unsets. Its output goes
// nowhere.
inline pid_t StartProgram(const std::vector<std::string>& argv, const std::filesystem::path& root,
                          const std::vector<std::string>& extra = {}) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    setenv("DEVICE_ROOT", root.c_str(), 1);
    setenv("DEVICE_DISPLAY", "headless", 1);
    setenv("DEVICE_QUIT_AT_IDLE", "1", 1);
    setenv("DEVICE_CLOCK", "2026-03-29T10:59:30Z+", 1);
    setenv("DEVICE_TZ", "Europe/Paris", 1);
    setenv("DEVICE_NETWORK", "off", 1);
    for (const auto& e : extra) {
        if (e.find('=') == std::string::npos) unsetenv(e.c_str());
        else putenv(const_cast<char*>(e.c_str()));
    }
    if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(126);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

// Waits for a started program to end: its status, CPU time and peak memory.
inline ProgramRun WaitProgram(pid_t pid, std::chrono::steady_clock::time_point started) {
    ProgramRun r;
    if (pid < 0) return r;
    struct rusage usage {};
    wait4(pid, &r.status, 0, &usage);
    r.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    r.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
              (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    r.maxRssMb = usage.ru_maxrss / 1024.0;
    return r;
}

inline ProgramRun RunProgram(const std::vector<std::string>& argv, const std::filesystem::path& root,
                             const std::vector<std::string>& extra = {}) {
    auto start = std::chrono::steady_clock::now();
    return WaitProgram(StartProgram(argv, root, extra), start);
}

inline void WriteDword(LPCWSTR key, LPCWSTR name, DWORD value) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, 0, nullptr, &h, nullptr) != ERROR_SUCCESS) return;
    RegSetValueExW(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(h);
}

// Runs the installer on the device at root.
inline bool RunInstaller(const std::filesystem::path& root) {
    return RunProgram({std::string(JORVANA_BUILD_DIR) + "/platform/programs/device-install/device-install",
                       JORVANA_BUILD_DIR, JORVANA_DATA_DIR},
                      root)
               .status == 0;
}

// An installed device whose language and home city were chosen and whose first start ran.
struct InstalledDevice {
    std::filesystem::path root;
    std::string program;
    bool ok = false;
    bool keep = false;
    // JORVANA_BENCH_ROOT names a folder to use and keep (to profile the program on it after).
    InstalledDevice() {
        char tmpl[] = "/tmp/jorvana-bench-start-XXXXXX";
        if (const char* given = std::getenv("JORVANA_BENCH_ROOT"); given && *given) {
            root = given;
            keep = true;
            std::filesystem::create_directories(root);
        } else if (const char* made = mkdtemp(tmpl)) {
            root = made;
        }
        program = std::string(JORVANA_BUILD_DIR) + "/Jorvana.exe";
        if (!RunInstaller(root)) return;
        device::UseRootFolder(root);
        WriteDword(L"Jorvana", L"lang", 0);
        WriteDword(L"Jorvana\\wrldclk", L"clock", 0);
        device::UseRootFolder({});
        // The first start builds the stores and shows the tips once.
        ok = RunProgram({program}, root).status == 0 && RunProgram({program}, root).status == 0;
    }
    ~InstalledDevice() {
        std::error_code ec;
        if (!root.empty() && !keep) std::filesystem::remove_all(root, ec);
    }
};

} // namespace benchsupport
