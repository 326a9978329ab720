#pragma once
// One table of operations per display back end, in the style of SDL's video drivers: the window
// manager knows only these entries, and a back end provides them or leaves them null.

#include "platform/base/WinTypes.h"

namespace device::display {

struct DisplayDriver {
    const char* name;
    // Whether the back end can run here (a display to open, for instance).
    bool (*available)();
    bool (*init)();
    void (*shutdown)();
    // Turns pending host events into device input (stylus, keys, rotation, input panel).
    void (*pump)();
    // Shows the screen framebuffer (its size may have changed since the last frame).
    void (*present)();
    void (*beep)(UINT type);
    // How often a waiting UI thread must wake to pump (0: the back end has no host events).
    int pollMs;
    // Brings the host window in front of the host's other windows (null: nothing to raise).
    void (*raise)();
};

// The back ends, best first.
extern const DisplayDriver kSdlDriver;
extern const DisplayDriver kHeadlessDriver;

} // namespace device::display
