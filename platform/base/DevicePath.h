#pragma once
// Device paths: absolute, "\"-separated, from the device root ("\Program Files\Jorvana\x.lst"),
// with no drive letter. "/" is accepted as a separator too. Components "." and "..", and the
// characters the device refuses in names (< > : " | ? * and control characters), are rejected,
// so no device path can leave the device root.

#include "platform/base/WinTypes.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace device {

// Longest device path the layer accepts, in characters (the device's MAX_PATH less the null).
constexpr size_t kMaxDevicePath = MAX_PATH - 1;

// The components of a device path; false with ERROR_INVALID_NAME / ERROR_BAD_PATHNAME /
// ERROR_FILENAME_EXCED_RANGE in error. The root itself gives no components.
bool SplitDevicePath(std::wstring_view path, std::vector<std::wstring>& parts, DWORD& error);

// True for a name the device accepts as one component of a path (allowWildcards lets "*" and "?"
// through, for search patterns).
bool IsValidDeviceName(std::wstring_view name, bool allowWildcards = false);

// The host path of a device path under fsRoot. Every component that exists is matched ignoring
// letter case (an exact match first); the components that do not exist are taken as written.
bool DeviceToHostPath(const std::filesystem::path& fsRoot, std::wstring_view devicePath,
                      std::filesystem::path& host, DWORD& error);

// The device path of a host path that lies under fsRoot ("\" for fsRoot itself); false outside.
bool HostToDevicePath(const std::filesystem::path& fsRoot, const std::filesystem::path& host,
                      std::wstring& devicePath);

} // namespace device
