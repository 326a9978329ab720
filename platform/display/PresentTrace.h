#pragma once
// A record of the frames a device program shows, for benchmarks: with DEVICE_PRESENT_LOG naming a
// file, each frame sent to the host window (headless: each frame taken) appends one line to it,
// and so does the mapping of the host window.
//
//   <microseconds> map
//   <microseconds> present <frame hash> <rectangles> <pixels>
//
// Times are CLOCK_MONOTONIC in microseconds, so another process can lay them beside its own; the
// hash is that of the whole framebuffer after the frame, so two frames alike show the same hash;
// rectangles and pixels are what the frame sent to the host (framebuffer pixels; none when only
// the wait cursor changed).

#include "platform/base/WinTypes.h"

#include <vector>

namespace device::display::trace {

// Whether DEVICE_PRESENT_LOG is set (read once).
bool Enabled();
// The host window was mapped.
void NoteMapped();
// A frame was presented: the rectangles of the framebuffer it sent.
void NotePresent(const std::vector<RECT>& rects);

} // namespace device::display::trace
