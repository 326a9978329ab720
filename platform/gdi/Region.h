#pragma once
// A region as a list of disjoint rectangles (right and bottom edges exclusive). Clip regions and
// HRGN objects are both kept this way; drawing walks the rectangles, so no pixel is touched twice.

#include "platform/base/WinTypes.h"

#include <vector>

namespace device::gdi {

inline bool RectEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}
inline RECT RectIntersect(const RECT& a, const RECT& b) {
    RECT r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
           a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    if (RectEmpty(r)) r = RECT{0, 0, 0, 0};
    return r;
}
// Left <= right and top <= bottom.
RECT RectNormalized(const RECT& r);

class Region {
public:
    Region() = default;
    explicit Region(const RECT& r) {
        if (!RectEmpty(r)) m_rects.push_back(r);
    }

    const std::vector<RECT>& Rects() const { return m_rects; }
    bool Empty() const { return m_rects.empty(); }
    RECT Box() const;
    // NULLREGION, SIMPLEREGION or COMPLEXREGION.
    int Complexity() const;
    bool Contains(int x, int y) const;
    bool Overlaps(const RECT& r) const;

    void IntersectRect(const RECT& r);
    void SubtractRect(const RECT& r);
    void Intersect(const Region& other);
    void Subtract(const Region& other);
    void Unite(const Region& other);
    void Xor(const Region& other);
    void Offset(int dx, int dy);

private:
    std::vector<RECT> m_rects;
};

} // namespace device::gdi
