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
    // How often a waiting UI thread must wake to pump, for a back end with host events and no
    // wait of its own (0: none).
    int pollMs;
    // Brings the host window in front of the host's other windows (null: nothing to raise).
    void (*raise)();
    // Waits until a host event comes, wake is called (from any thread) or timeoutMs passes (-1:
    // no limit); null for a back end without host events, whose UI thread waits on its queue.
    void (*wait)(int timeoutMs);
    void (*wake)();
};

// The back ends, best first.
extern const DisplayDriver kSdlDriver;
extern const DisplayDriver kHeadlessDriver;

} // namespace device::display
