// The changed parts of the screen framebuffer since the frame last shown, by tiles.

#include "platform/ui/FrameChanges.h"

#include <algorithm>
#include <cstring>

namespace device::ui {

namespace {

constexpr int kTile = 16;
// The pixel's colour; the framebuffer's top byte carries nothing that shows.
constexpr uint32_t kColour = 0xFFFFFF;

RECT Union(const RECT& a, const RECT& b) {
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

} // namespace

void FrameChanges::Note(const gdi::Bitmap& fb) {
    const int width = fb.Width(), height = fb.Height();
    if (width != m_width || height != m_height || m_shown.empty()) {
        m_width = width;
        m_height = height;
        m_shown.resize(static_cast<size_t>(width) * height);
        for (int y = 0; y < height; ++y) std::memcpy(&m_shown[static_cast<size_t>(y) * width], fb.Row32(y), width * 4u);
        m_pending.clear();
        if (width > 0 && height > 0) m_pending.push_back(RECT{0, 0, width, height});
        return;
    }
    // The changed pixels' bounds in each tile (empty: left >= right).
    const int columns = (width + kTile - 1) / kTile, rows = (height + kTile - 1) / kTile;
    std::vector<RECT> tiles(static_cast<size_t>(columns) * rows, RECT{width, height, 0, 0});
    bool any = false;
    for (int y = 0; y < height; ++y) {
        const uint32_t* now = fb.Row32(y);
        uint32_t* shown = &m_shown[static_cast<size_t>(y) * width];
        if (std::memcmp(now, shown, width * 4u) == 0) continue;
        for (int tx = 0; tx < columns; ++tx) {
            const int x0 = tx * kTile, x1 = std::min(width, x0 + kTile);
            if (std::memcmp(now + x0, shown + x0, (x1 - x0) * 4u) == 0) continue;
            RECT& t = tiles[static_cast<size_t>(y / kTile) * columns + tx];
            for (int x = x0; x < x1; ++x) {
                if (((now[x] ^ shown[x]) & kColour) == 0) continue;
                t = RECT{std::min<LONG>(t.left, x), std::min<LONG>(t.top, y), std::max<LONG>(t.right, x + 1),
                         std::max<LONG>(t.bottom, y + 1)};
                any = true;
            }
        }
        std::memcpy(shown, now, width * 4u);
    }
    if (!any) return;
    // Runs of changed tiles along each tile row; a run joins the runs of the row above whose tile
    // columns it overlaps, so that each changed thing comes out as one rectangle.
    struct Run {
        int first, last;  // tile columns
        RECT bounds;
    };
    std::vector<Run> runs, open;
    for (int ty = 0; ty < rows; ++ty) {
        std::vector<Run> next;
        for (int tx = 0; tx < columns; ++tx) {
            const RECT& t = tiles[static_cast<size_t>(ty) * columns + tx];
            if (t.left >= t.right) continue;
            if (!next.empty() && next.back().last == tx - 1) {
                next.back().last = tx;
                next.back().bounds = Union(next.back().bounds, t);
            } else {
                next.push_back(Run{tx, tx, t});
            }
        }
        for (Run& n : next)
            for (auto above = open.begin(); above != open.end();) {
                if (above->last < n.first || above->first > n.last) {
                    ++above;
                    continue;
                }
                n.first = std::min(n.first, above->first);
                n.last = std::max(n.last, above->last);
                n.bounds = Union(n.bounds, above->bounds);
                above = open.erase(above);
            }
        runs.insert(runs.end(), open.begin(), open.end());  // runs nothing joined below
        open = std::move(next);
    }
    runs.insert(runs.end(), open.begin(), open.end());
    for (const Run& r : runs) Add(r.bounds);
    if (m_pending.size() > kMaxRects) {
        RECT all = m_pending.front();
        for (const RECT& p : m_pending) all = Union(all, p);
        m_pending.assign(1, all);
    }
}

void FrameChanges::Add(const RECT& r) {
    // A part already pending (changed again before the frame went out) adds nothing.
    for (const RECT& p : m_pending)
        if (r.left >= p.left && r.top >= p.top && r.right <= p.right && r.bottom <= p.bottom) return;
    m_pending.push_back(r);
}

std::vector<RECT> FrameChanges::Take() {
    std::vector<RECT> out;
    out.swap(m_pending);
    return out;
}

void FrameChanges::Forget() {
    m_shown.clear();
    m_pending.clear();
}

} // namespace device::ui
