#pragma once
// The device's "now". DEVICE_CLOCK (ISO 8601 UTC, "2026-03-29T00:59:30Z") fixes it for tests and
// screenshots; with a trailing "+" ("2026-03-29T00:59:30Z+") it starts there and then ticks with
// real time. Without it, the host's clock.

#include "platform/base/WinTypes.h"

#include <cstdint>
#include <optional>
#include <string_view>

// Milliseconds since the device started (this process's start; wraps after 49.7 days), for
// measuring pauses between the user's actions.
DWORD GetTickCount();

namespace device {

// 100-nanosecond intervals since 1601-01-01 UTC (the FILETIME scale).
uint64_t CurrentUtcFileTime();

// Sets the device clock in this process, as DEVICE_CLOCK would (empty: back to the environment).
void SetDeviceClock(std::string_view iso8601);

// Holds GetTickCount at a value, so that tests set the time between two actions without waiting;
// no value lets it run with real time again.
void HoldTickCount(std::optional<DWORD> milliseconds);

// Parses "YYYY-MM-DDTHH:MM:SS[.fff]Z" (the "Z" may be left out) into the FILETIME scale.
std::optional<uint64_t> ParseIsoUtc(std::string_view text);

} // namespace device
