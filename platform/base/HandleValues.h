#pragma once
// One source of handle values for every table of handles in the layer (files, searches, databases,
// notifications...), so that CloseHandle can tell whose a handle is and no two ever collide.

#include <cstdint>

namespace device {

// A new handle value, never 0, never INVALID_HANDLE_VALUE, never given twice in a process.
uintptr_t AllocateHandleValue();

} // namespace device
