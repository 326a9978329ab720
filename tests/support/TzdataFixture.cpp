// Compiling made-up tzdata releases with zic, and TZDIR set for a test and restored.
#include "support/TzdataFixture.h"

#include "platform/system/DeviceTime.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <vector>

extern char** environ;

namespace testsupport {

std::unique_ptr<TempFolder> CompileZones(const std::string& source) {
    auto folder = std::make_unique<TempFolder>("jorvana-zones-");
    if (folder->Path().empty()) return nullptr;
    const std::string zi = (folder->Path() / "tzdata.zi").string();
    std::ofstream(zi, std::ios::binary) << source;
    const std::string out = folder->Path().string();
    // Debian's zic; a machine that keeps it elsewhere finds it on the PATH.
    for (const char* zic : {"/usr/sbin/zic", "zic"}) {
        std::vector<char*> argv{const_cast<char*>(zic), const_cast<char*>("-d"), const_cast<char*>(out.c_str()),
                                const_cast<char*>(zi.c_str()), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const int spawned = posix_spawnp(&pid, zic, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) continue;
        int status = 0;
        if (waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0) return folder;
        return nullptr;
    }
    return nullptr;
}

ScopedTzdir::ScopedTzdir(const std::filesystem::path& folder) {
    if (const char* now = std::getenv("TZDIR")) m_previous = now;
    if (folder.empty())
        unsetenv("TZDIR");
    else
        setenv("TZDIR", folder.c_str(), 1);
    device::ReloadDeviceZone();
}

ScopedTzdir::~ScopedTzdir() {
    if (m_previous)
        setenv("TZDIR", m_previous->c_str(), 1);
    else
        unsetenv("TZDIR");
    device::ReloadDeviceZone();
}

} // namespace testsupport
