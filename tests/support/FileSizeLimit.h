#pragma once
// A device that fills up: while a FileSizeLimit lives, no file of the test process may grow
// beyond the given size, so a write past it fails as on a full device (the signal such a write
// would raise is ignored meanwhile).

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

namespace testsupport {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{bytes, m_old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_handler)(int) = SIG_DFL;
};

// The most the device's database files under root hold now, plus room for a few pages more: a
// limit under which a small write still fits and a large one does not.
inline rlim_t RoomForAFewPages(const std::filesystem::path& root) {
    std::uintmax_t largest = 0;
    for (const char* name : {"device.db", "device.db-wal"}) {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(root / name, ec);
        if (!ec) largest = std::max(largest, size);
    }
    return static_cast<rlim_t>(largest + 16 * 1024);
}

// The limit of a device with `room` bytes left beyond its database files as they are now, or,
// with no room at all (0), of one full before anything is written.
inline rlim_t RoomLeft(const std::filesystem::path& root, rlim_t room) {
    return room ? RoomForAFewPages(root) - 16 * 1024 + room : 8;
}

} // namespace testsupport
