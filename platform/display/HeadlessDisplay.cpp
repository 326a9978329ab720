// The headless back end: the framebuffer stays in memory, where tests read it; no host events.
// Its frames are counted all the same, so that tests see what a screen would have been sent.

#include "platform/display/DisplayDriver.h"
#include "platform/display/PresentTrace.h"
#include "platform/ui/DeviceUi.h"

namespace device::display {

namespace {
bool Available() { return true; }
// Nothing shows the frame; taking it keeps the count of frames and what each one changed.
void Present() {
    std::vector<RECT> taken;
    ui::WithPresentedFrame([&](const gdi::Bitmap&, const std::vector<RECT>& changed) { taken = changed; });
    // No wait cursor is drawn here: a frame that changed only that would send nothing.
    if (!taken.empty()) trace::NotePresent(taken);
}
} // namespace

const DisplayDriver kHeadlessDriver{"headless", Available, nullptr, nullptr, nullptr, Present, nullptr, 0, nullptr,
                                    nullptr, nullptr};

} // namespace device::display
