#include "platform/gdi/Raster.h"

#include <algorithm>

namespace device::gdi::raster {

void Span(Bitmap& bmp, const Region& clip, int y, int x0, int x1, uint32_t rgb, int rop2) {
    if (x1 <= x0 || rop2 == 11) return;
    rgb = bmp.Quantize(rgb);
    for (const RECT& c : clip.Rects()) {
        if (y < c.top || y >= c.bottom) continue;
        int a = std::max<int>(x0, c.left), b = std::min<int>(x1, c.right);
        if (a >= b) continue;
        if (bmp.Format() == PixelFormat::Xrgb32) {
            uint32_t* row = bmp.Row32(y);
            if (rop2 == 13) {
                std::fill(row + a, row + b, rgb);
            } else {
                for (int x = a; x < b; ++x) row[x] = Rop2(rop2, rgb, row[x] & 0xFFFFFF);
            }
        } else {
            for (int x = a; x < b; ++x) bmp.Put(x, y, Rop2(rop2, rgb, bmp.Get(x, y)));
        }
    }
}

void Pixel(Bitmap& bmp, const Region& clip, int x, int y, uint32_t rgb, int rop2) {
    if (!clip.Contains(x, y)) return;
    bmp.Put(x, y, Rop2(rop2, bmp.Quantize(rgb), bmp.Get(x, y)));
}

void Fill(Bitmap& bmp, const Region& clip, const RECT& r, uint32_t rgb, int rop2) {
    if (RectEmpty(r)) return;
    for (const RECT& c : clip.Rects()) {
        RECT i = RectIntersect(r, c);
        if (RectEmpty(i)) continue;
        Region one(i);
        for (int y = i.top; y < i.bottom; ++y) Span(bmp, one, y, i.left, i.right, rgb, rop2);
    }
}

void Coverage(Bitmap& bmp, const Region& clip, int x, int y, const uint8_t* cov, int w, int h, int pitch,
              uint32_t rgb) {
    RECT area{x, y, x + w, y + h};
    const uint32_t sr = (rgb >> 16) & 0xFF, sg = (rgb >> 8) & 0xFF, sb = rgb & 0xFF;
    for (const RECT& c : clip.Rects()) {
        RECT i = RectIntersect(area, c);
        if (RectEmpty(i)) continue;
        for (int py = i.top; py < i.bottom; ++py) {
            const uint8_t* src = cov + static_cast<size_t>(py - y) * pitch - x;
            if (bmp.Format() == PixelFormat::Xrgb32) {
                uint32_t* row = bmp.Row32(py);
                for (int px = i.left; px < i.right; ++px) {
                    uint32_t a = src[px];
                    if (a == 0) continue;
                    if (a == 255) {
                        row[px] = rgb;
                        continue;
                    }
                    uint32_t d = row[px];
                    uint32_t dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
                    uint32_t inv = 255 - a;
                    uint32_t r = (sr * a + dr * inv + 127) / 255;
                    uint32_t g = (sg * a + dg * inv + 127) / 255;
                    uint32_t b = (sb * a + db * inv + 127) / 255;
                    row[px] = (r << 16) | (g << 8) | b;
                }
            } else {
                for (int px = i.left; px < i.right; ++px) {
                    uint32_t a = src[px];
                    if (a == 0) continue;
                    uint32_t d = bmp.Get(px, py);
                    uint32_t inv = 255 - a;
                    uint32_t r = (sr * a + ((d >> 16) & 0xFF) * inv + 127) / 255;
                    uint32_t g = (sg * a + ((d >> 8) & 0xFF) * inv + 127) / 255;
                    uint32_t b = (sb * a + (d & 0xFF) * inv + 127) / 255;
                    bmp.Put(px, py, (r << 16) | (g << 8) | b);
                }
            }
        }
    }
}

} // namespace device::gdi::raster
