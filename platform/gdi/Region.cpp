#include "platform/gdi/Region.h"

#include <algorithm>

namespace device::gdi {

RECT RectNormalized(const RECT& r) {
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
}

RECT Region::Box() const {
    if (m_rects.empty()) return RECT{0, 0, 0, 0};
    RECT box = m_rects.front();
    for (const RECT& r : m_rects) {
        box.left = std::min(box.left, r.left);
        box.top = std::min(box.top, r.top);
        box.right = std::max(box.right, r.right);
        box.bottom = std::max(box.bottom, r.bottom);
    }
    return box;
}

int Region::Complexity() const {
    if (m_rects.empty()) return 1;     // NULLREGION
    if (m_rects.size() == 1) return 2; // SIMPLEREGION
    return 3;                          // COMPLEXREGION
}

bool Region::Contains(int x, int y) const {
    for (const RECT& r : m_rects)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
}

bool Region::Overlaps(const RECT& rect) const {
    for (const RECT& r : m_rects)
        if (!RectEmpty(RectIntersect(r, rect))) return true;
    return false;
}

void Region::IntersectRect(const RECT& clip) {
    std::vector<RECT> out;
    for (const RECT& r : m_rects) {
        RECT i = RectIntersect(r, clip);
        if (!RectEmpty(i)) out.push_back(i);
    }
    m_rects.swap(out);
}

// Pieces of a not covered by b: up to four bands.
static void SubtractOne(const RECT& a, const RECT& b, std::vector<RECT>& out) {
    RECT i = RectIntersect(a, b);
    if (RectEmpty(i)) {
        out.push_back(a);
        return;
    }
    if (a.top < i.top) out.push_back(RECT{a.left, a.top, a.right, i.top});
    if (i.bottom < a.bottom) out.push_back(RECT{a.left, i.bottom, a.right, a.bottom});
    if (a.left < i.left) out.push_back(RECT{a.left, i.top, i.left, i.bottom});
    if (i.right < a.right) out.push_back(RECT{i.right, i.top, a.right, i.bottom});
}

void Region::SubtractRect(const RECT& cut) {
    if (RectEmpty(cut)) return;
    std::vector<RECT> out;
    for (const RECT& r : m_rects)
        SubtractOne(r, cut, out);
    m_rects.swap(out);
}

void Region::Intersect(const Region& other) {
    std::vector<RECT> out;
    for (const RECT& a : m_rects)
        for (const RECT& b : other.m_rects) {
            RECT i = RectIntersect(a, b);
            if (!RectEmpty(i)) out.push_back(i);
        }
    m_rects.swap(out);
}

void Region::Subtract(const Region& other) {
    for (const RECT& r : other.m_rects)
        SubtractRect(r);
}

void Region::Unite(const Region& other) {
    Region extra = other;
    extra.Subtract(*this);
    m_rects.insert(m_rects.end(), extra.m_rects.begin(), extra.m_rects.end());
}

void Region::Xor(const Region& other) {
    Region onlyOther = other;
    onlyOther.Subtract(*this);
    Subtract(other);
    m_rects.insert(m_rects.end(), onlyOther.m_rects.begin(), onlyOther.m_rects.end());
}

void Region::Offset(int dx, int dy) {
    for (RECT& r : m_rects) {
        r.left += dx;
        r.right += dx;
        r.top += dy;
        r.bottom += dy;
    }
}

} // namespace device::gdi
