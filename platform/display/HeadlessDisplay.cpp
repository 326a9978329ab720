// The headless back end: the framebuffer stays in memory, where tests read it; no host events.

#include "platform/display/DisplayDriver.h"

namespace device::display {

namespace {
bool Available() { return true; }
} // namespace

const DisplayDriver kHeadlessDriver{"headless", Available, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr};

} // namespace device::display
