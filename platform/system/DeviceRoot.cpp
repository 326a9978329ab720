#include "platform/system/DeviceRoot.h"
#include "platform/system/DeviceDb.h"
#include "platform/system/ProcessEnd.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>
#include <system_error>

namespace device {
namespace {

std::mutex g_rootMutex;
std::filesystem::path g_root;

std::filesystem::path DefaultRoot() {
    if (const char* env = std::getenv("DEVICE_ROOT"); env && *env) return env;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return std::filesystem::path(xdg) / "jorvana-device";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".local/share/jorvana-device";
}

} // namespace

std::filesystem::path RootFolder() {
    std::lock_guard lock(g_rootMutex);
    if (g_root.empty()) {
        g_root = DefaultRoot();
        std::error_code ec;
        std::filesystem::create_directories(g_root / "fs", ec);
    }
    return g_root;
}

std::filesystem::path FileSystemFolder() { return RootFolder() / "fs"; }

std::filesystem::path DatabaseFile() { return RootFolder() / "device.db"; }

DeviceStorage CheckDeviceStorage() {
    DeviceDb* db = DeviceDb::Get();
    if (!db) {
        if (ProcessEndRequested()) return DeviceStorage::Ending;
        switch (LastStorageFault()) {
        case StorageFault::InUse: return DeviceStorage::InUse;
        case StorageFault::Full: return DeviceStorage::Full;
        default: return DeviceStorage::CannotOpen;
        }
    }
    if (sqlite3_db_readonly(db->Handle(), "main") == 1) return DeviceStorage::ReadOnly;
    // A store that lost tables it had is damaged, however well the file itself opens: a program
    // that took it for a new device would make them empty over the user's data.
    const uint64_t busy = db->BusyTimeouts();
    if (!db->MissingTables().empty()) return DeviceStorage::Damaged;
    if (db->BusyTimeouts() != busy) return DeviceStorage::InUse;
    // A write transaction that changes nothing still needs the database's write lock.
    if (!db->Write([](sqlite3*) { return true; })) {
        if (ProcessEndRequested()) return DeviceStorage::Ending;
        if (db->BusyTimeouts() != busy) return DeviceStorage::InUse;
        return LastStorageFault() == StorageFault::Full ? DeviceStorage::Full : DeviceStorage::ReadOnly;
    }
    // A store made before parts were noted gets the parts it holds whole noted. Housekeeping: a
    // store too full to take it starts all the same and is noted at a later start.
    db->Write([db](sqlite3* h) { return db->NoteWholeParts(h); });
    // A file that takes a byte: a full device may still make an empty one.
    const std::filesystem::path probe =
        FileSystemFolder() / (".write-check-" + std::to_string(static_cast<long>(getpid())));
    int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno == ENOSPC || errno == EDQUOT ? DeviceStorage::Full : DeviceStorage::ReadOnly;
    const bool written = ::write(fd, "", 1) == 1;
    const int writeError = errno;
    ::close(fd);
    ::unlink(probe.c_str());
    if (!written) return writeError == ENOSPC || writeError == EDQUOT || writeError == EFBIG ? DeviceStorage::Full
                                                                                             : DeviceStorage::ReadOnly;
    return DeviceStorage::Ready;
}

bool DeviceStorageWritable() {
    return CheckDeviceStorage() == DeviceStorage::Ready;
}

void UseRootFolder(const std::filesystem::path& root) {
    DeviceDb::Close();
    std::lock_guard lock(g_rootMutex);
    g_root = root;
    if (g_root.empty()) return; // chosen again from the environment on next use
    std::error_code ec;
    std::filesystem::create_directories(g_root / "fs", ec);
}

} // namespace device
