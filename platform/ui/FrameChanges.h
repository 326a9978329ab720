#pragma once
// What of the screen changed since the frame last shown. The framebuffer is compared with a copy
// of that frame in tiles of 16 by 16 pixels; the changed tiles, joined where they touch, come out
// as a few rectangles, each cut down to the pixels that really changed. A frame that repaints
// the same picture thus shows nothing new, and a once-a-second tick shows only what it moved.

#include "platform/base/WinTypes.h"
#include "platform/gdi/Bitmap.h"

#include <cstdint>
#include <vector>

namespace device::ui {

class FrameChanges {
public:
    // More rectangles than this are shown as the one rectangle around them all.
    static constexpr size_t kMaxRects = 32;

    // Compares the framebuffer with the frame noted last, adds what changed to the pending
    // rectangles and notes the framebuffer as the new frame. A first frame, or one of another
    // size, changed everywhere.
    void Note(const gdi::Bitmap& fb);
    bool Pending() const { return !m_pending.empty(); }
    // The pending rectangles (framebuffer pixels), handed out once.
    std::vector<RECT> Take();
    // Forgets the frame noted: the next Note reports the whole framebuffer.
    void Forget();

private:
    void Add(const RECT& r);

    int m_width = 0;
    int m_height = 0;
    std::vector<uint32_t> m_shown;  // the last frame noted, row after row, without padding
    std::vector<RECT> m_pending;
};

} // namespace device::ui
