#pragma once
// The program's device path. The installed program reports
// "\Program Files\Jorvana\Jorvana.exe": a program started from the device file system reports
// where it lies there; otherwise DEVICE_MODULE_PATH (a device path) or SetModuleDevicePath names
// it, and failing those the program counts as "\Program Files\Jorvana\" followed by its file name.

#include "platform/base/WinTypes.h"

#include <string>

namespace device {

std::wstring ModuleDevicePath();
// Tests and the device's own programs set the path explicitly (empty: back to the default rule).
void SetModuleDevicePath(const std::wstring& devicePath);

} // namespace device
