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

// Whether the device's storage can be written: device.db opens for writing and takes a write,
// and a file can be made in the device file system. False on a read-only root (a read-only
// mount, a folder the user may not write), which a program must not take for a new device.
bool DeviceStorageWritable();

// Moves this process to another device root (tests use a fresh one each); closes the open
// device database so that the next call opens the new one. An empty path goes back to the
// root the environment names.
void UseRootFolder(const std::filesystem::path& root);

} // namespace device
