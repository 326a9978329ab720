#pragma once
// The device root: one host folder that is the whole simulated device.
//   <root>/device.db  registry, object-store databases, notifications, device settings
//   <root>/fs/        the device file system; device path "\" is this folder
// The root is DEVICE_ROOT when set, else $XDG_DATA_HOME/jorvana-device, else
// ~/.local/share/jorvana-device. It is created on first use.

#include <filesystem>

namespace device {

std::filesystem::path RootFolder();
std::filesystem::path FileSystemFolder();
std::filesystem::path DatabaseFile();

// What a program finds of the device's storage at its start.
enum class DeviceStorage {
    Ready,      // device.db opens for writing and takes a write; a file can be made in fs/
    InUse,      // another process held device.db for the whole wait
    Full,       // the device has no room left for device.db or for a file in fs/
    CannotOpen, // device.db cannot be opened or made (a directory or a damaged file in its
                // place, a root that cannot be made, a read-only mount)
    ReadOnly,   // device.db opens but cannot be written, or fs/ cannot be written
    Damaged,    // device.db lacks tables it was given (one dropped, say): told as a damaged file
    Ending,     // the process was asked to end while it waited
};
// Looks, waiting for a store another process holds as long as a call waits for one. A program
// must not take a storage that is not Ready for a new device.
DeviceStorage CheckDeviceStorage();
// CheckDeviceStorage() == DeviceStorage::Ready.
bool DeviceStorageWritable();

// Moves this process to another device root (tests use a fresh one each); closes the open
// device database so that the next call opens the new one. An empty path goes back to the
// root the environment names.
void UseRootFolder(const std::filesystem::path& root);

} // namespace device
