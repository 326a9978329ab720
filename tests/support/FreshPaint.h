#pragma once
// Whether the screen shows what its windows paint: the framebuffer as it stands is compared with
// the one every window then paints afresh (all of them invalidated, frames, backgrounds and
// children included). Pixels that differ are parts a window left unpainted, or stale.

#include "platform/display/HeadlessTest.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/WinUser.h"

#include <algorithm>
#include <ostream>
#include <vector>

namespace testsupport {

struct StalePixels {
    int count = 0;
    RECT bounds{0, 0, 0, 0}; // around every pixel that differs (screen pixels)
};

inline std::ostream& operator<<(std::ostream& out, const StalePixels& s) {
    return out << s.count << " stale pixels in (" << s.bounds.left << "," << s.bounds.top << ")-("
               << s.bounds.right << "," << s.bounds.bottom << ")";
}

inline StalePixels PixelsUnlikeAFreshPaint() {
    const device::ui::ScreenShape shape = device::ui::GetScreenShape();
    auto grab = [&] {
        std::vector<COLORREF> pixels;
        pixels.reserve(static_cast<size_t>(shape.width) * shape.height);
        for (int y = 0; y < shape.height; ++y)
            for (int x = 0; x < shape.width; ++x)
                pixels.push_back(device::display::test::PixelAt(x, y));
        return pixels;
    };
    device::display::test::PumpUntilIdle();
    const std::vector<COLORREF> shown = grab();
    for (HWND top = ::GetTopWindow(nullptr); top; top = ::GetWindow(top, GW_HWNDNEXT))
        ::RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    device::display::test::PumpUntilIdle();
    const std::vector<COLORREF> fresh = grab();
    StalePixels stale;
    RECT& b = stale.bounds;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == fresh[i]) continue;
        const LONG x = static_cast<LONG>(i % shape.width), y = static_cast<LONG>(i / shape.width);
        if (stale.count++ == 0) b = RECT{x, y, x + 1, y + 1};
        b = RECT{std::min(b.left, x), std::min(b.top, y), std::max(b.right, x + 1),
                 std::max(b.bottom, y + 1)};
    }
    return stale;
}

} // namespace testsupport
