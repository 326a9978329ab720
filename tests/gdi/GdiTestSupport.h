#pragma once
// A memory context over a fresh 32-bit bitmap, and pixel helpers, for the drawing tests.

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/WinGdi.h"

#include <gtest/gtest.h>

#include <string>

namespace gditest {

class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) : m_width(width), m_height(height) {
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateCompatibleBitmap(nullptr, width, height);
        m_old = SelectObject(m_dc, m_bitmap);
        Fill(fill);
    }
    ~Canvas() {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_dc; }
    HBITMAP Bitmap() const { return m_bitmap; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void Fill(COLORREF c) {
        HBRUSH b = CreateSolidBrush(c);
        RECT r{0, 0, m_width, m_height};
        FillRect(m_dc, &r, b);
        DeleteObject(b);
    }
    COLORREF At(int x, int y) const { return GetPixel(m_dc, x, y); }
    // Rows of the canvas as text: '#' for pixels of colour ink, '.' for others.
    std::string Picture(COLORREF ink) const {
        std::string s;
        for (int y = 0; y < m_height; ++y) {
            for (int x = 0; x < m_width; ++x)
                s += At(x, y) == ink ? '#' : '.';
            s += '\n';
        }
        return s;
    }
    int Count(COLORREF c) const {
        int n = 0;
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                n += At(x, y) == c;
        return n;
    }
    // Bounding box of the pixels that are not the given background; empty if none.
    RECT InkBox(COLORREF background) const {
        RECT box{m_width, m_height, 0, 0};
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                if (At(x, y) != background) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        if (box.right == 0) box = RECT{0, 0, 0, 0};
        return box;
    }

private:
    int m_width, m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

// Selects an object for a scope and restores the previous one.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(m_dc, m_old); }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace gditest
