#include "platform/gdi/Raster.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
                for (int x = a; x < b; ++x)
                    row[x] = Rop2(rop2, rgb, row[x] & 0xFFFFFF);
            }
        } else {
            for (int x = a; x < b; ++x)
                bmp.Put(x, y, Rop2(rop2, rgb, bmp.Get(x, y)));
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
        for (int y = i.top; y < i.bottom; ++y)
            Span(bmp, one, y, i.left, i.right, rgb, rop2);
    }
}

// x / 255 rounded to nearest, exact for 0 <= x <= 255 * 255.
static inline uint32_t Div255(uint32_t x) {
    x += 128;
    return (x + (x >> 8)) >> 8;
}

static inline uint32_t Blend(uint32_t src, uint32_t dst, uint32_t a) {
    // Red and blue side by side in 16-bit lanes, green alone; each lane divided by 255 with
    // rounding (the Div255 rule lane by lane).
    const uint32_t inv = 255 - a;
    uint32_t rb = (src & 0xFF00FF) * a + (dst & 0xFF00FF) * inv + 0x00800080;
    rb = ((rb + ((rb >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
    uint32_t g = Div255(((src >> 8) & 0xFF) * a + ((dst >> 8) & 0xFF) * inv);
    return rb | (g << 8);
}

void Coverage(Bitmap& bmp, const Region& clip, int x, int y, const uint8_t* cov, int w, int h, int pitch,
              uint32_t rgb) {
    RECT area{x, y, x + w, y + h};
    for (const RECT& c : clip.Rects()) {
        RECT i = RectIntersect(area, c);
        if (RectEmpty(i)) continue;
        for (int py = i.top; py < i.bottom; ++py) {
            const uint8_t* src = cov + static_cast<size_t>(py - y) * pitch;
            if (bmp.Format() == PixelFormat::Xrgb32) {
                uint32_t* __restrict row = bmp.Row32(py) + i.left;
                const uint8_t* __restrict a = src + (i.left - x);
                const int n = i.right - i.left;
                {
                    // 8-bit blend: coverage 0 gives the destination back and 255 the colour
                    // exactly (255 counts as 256). Runs of four empty or four full pixels,
                    // common in glyphs, skip the arithmetic.
                    const uint32_t srb = rgb & 0xFF00FF, sg = rgb & 0xFF00;
                    auto blend = [&](int k) {
                        uint32_t w = a[k] + (a[k] >> 7), d = row[k];
                        uint32_t rb = (srb * w + (d & 0xFF00FF) * (256 - w)) >> 8;
                        uint32_t g = (sg * w + (d & 0xFF00) * (256 - w)) >> 8;
                        row[k] = (rb & 0xFF00FF) | (g & 0xFF00);
                    };
                    int k = 0;
                    for (; k + 4 <= n; k += 4) {
                        uint32_t four;
                        std::memcpy(&four, a + k, 4);
                        if (four == 0) continue;
                        if (four == 0xFFFFFFFFu) {
                            row[k] = row[k + 1] = row[k + 2] = row[k + 3] = rgb;
                            continue;
                        }
#if defined(__SSE2__)
                        // Four pixels at once in 16-bit lanes: (s * w + d * (256 - w)) >> 8.
                        const __m128i zero = _mm_setzero_si128();
                        __m128i cov = _mm_cvtsi32_si128(static_cast<int>(four));
                        __m128i w = _mm_unpacklo_epi8(cov, zero);
                        w = _mm_add_epi16(w, _mm_srli_epi16(w, 7));
                        __m128i w2 = _mm_unpacklo_epi16(w, w);
                        __m128i wLo = _mm_unpacklo_epi32(w2, w2), wHi = _mm_unpackhi_epi32(w2, w2);
                        __m128i full = _mm_set1_epi16(256);
                        __m128i src = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(rgb)), zero);
                        src = _mm_unpacklo_epi64(src, src);
                        __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + k));
                        __m128i dLo = _mm_unpacklo_epi8(d, zero), dHi = _mm_unpackhi_epi8(d, zero);
                        __m128i rLo =
                            _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(src, wLo),
                                                         _mm_mullo_epi16(dLo, _mm_sub_epi16(full, wLo))),
                                           8);
                        __m128i rHi =
                            _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(src, wHi),
                                                         _mm_mullo_epi16(dHi, _mm_sub_epi16(full, wHi))),
                                           8);
                        __m128i out = _mm_and_si128(_mm_packus_epi16(rLo, rHi), _mm_set1_epi32(0xFFFFFF));
                        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + k), out);
#else
                        blend(k);
                        blend(k + 1);
                        blend(k + 2);
                        blend(k + 3);
#endif
                    }
                    for (; k < n; ++k)
                        if (a[k]) blend(k);
                }
            } else {
                for (int px = i.left; px < i.right; ++px) {
                    uint32_t a = src[px - x];
                    if (a == 0) continue;
                    bmp.Put(px, py, a == 255 ? rgb : Blend(rgb, bmp.Get(px, py), a));
                }
            }
        }
    }
}

} // namespace device::gdi::raster
