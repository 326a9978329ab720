#pragma once
// Named device settings (the device's time zone, for instance), kept in device.db so that every
// process of the same device root sees the same values.

#include <optional>
#include <string>
#include <string_view>

namespace device {

// The stored value; nullopt when the setting was never written or device.db cannot be used.
std::optional<std::string> ReadDeviceSetting(std::string_view name);
// Stores the value; false when device.db cannot be used.
bool WriteDeviceSetting(std::string_view name, std::string_view value);

} // namespace device
