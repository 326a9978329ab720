// Blits: PatBlt, BitBlt, StretchBlt (nearest neighbour), MaskBlt and the colour-key blits, with
// every ternary raster operation, and the device's monochrome <-> colour conversion: a
// monochrome source paints its 0 bits in the destination's text colour and its 1 bits in the
// destination's background colour; a colour source blitted to a monochrome destination gives 1
// where the pixel equals the source context's background colour and 0 elsewhere.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Raster.h"

#include <algorithm>
#include <memory>
#include <vector>

using namespace device::gdi;

namespace {

bool UsesSource(uint8_t code) {
    return ((code >> 2) & 0x33) != (code & 0x33);
}
bool UsesPattern(uint8_t code) {
    return ((code >> 4) & 0x0F) != (code & 0x0F);
}

struct BlitJob {
    DeviceContext* dst = nullptr;
    DeviceContext* src = nullptr;
    const Bitmap* srcBitmap = nullptr;  // when the source is a bitmap without a context
    RECT srcBounds{0, 0, 0, 0};         // readable source area, source bitmap coordinates
    int dx = 0, dy = 0, dw = 0, dh = 0; // destination, target coordinates, dw/dh > 0
    int sx = 0, sy = 0, sw = 0, sh = 0; // source, source bitmap coordinates, sw/sh > 0
    bool flipX = false, flipY = false;
    uint8_t fore = 0xCC, back = 0xCC; // operation where the mask is 1 / 0
    const Bitmap* mask = nullptr;
    int mx = 0, my = 0;
    bool keyed = false;
    uint32_t key = 0;
};

// The pattern colour of the destination's brush at a target pixel.
uint32_t PatternAt(DeviceContext& ctx, int x, int y) {
    const BrushObject* b = ctx.state.brush.get();
    if (!b || b->style == BS_NULL) return 0;
    if (b->style != BS_PATTERN || !b->pattern) return ToRgb(b->colour);
    const Bitmap& p = *b->pattern;
    uint32_t c =
        p.Get(((x % p.Width()) + p.Width()) % p.Width(), ((y % p.Height()) + p.Height()) % p.Height());
    if (p.IsMono()) return c ? ToRgb(ctx.state.bkColour) : ToRgb(ctx.state.textColour);
    return c;
}

void Run(BlitJob& job) {
    Bitmap* dstBmp = job.dst->Target();
    const Bitmap* srcBmp = job.src ? job.src->Target() : job.srcBitmap;
    if (!dstBmp) return;
    bool needSource = UsesSource(job.fore) || UsesSource(job.back) || job.keyed;
    if (needSource && !srcBmp) return;
    // A blit within one bitmap (scrolling) reads from a copy, so that overlapping areas move
    // as a whole instead of smearing.
    std::unique_ptr<Bitmap> copy;
    if (needSource && srcBmp == dstBmp) {
        copy = Bitmap::Create(srcBmp->Width(), srcBmp->Height(), srcBmp->Format());
        for (int y = 0; y < srcBmp->Height(); ++y)
            std::copy(srcBmp->Row(y), srcBmp->Row(y) + srcBmp->Stride(), copy->Row(y));
        srcBmp = copy.get();
    }
    bool needPattern = UsesPattern(job.fore) || UsesPattern(job.back);
    bool stretched = job.sw != job.dw || job.sh != job.dh || job.flipX || job.flipY;

    // Source colour conversion between monochrome and colour.
    bool monoToColour = needSource && srcBmp->IsMono() && !dstBmp->IsMono();
    bool colourToMono = needSource && !srcBmp->IsMono() && dstBmp->IsMono();
    uint32_t fg = ToRgb(job.dst->state.textColour), bg = ToRgb(job.dst->state.bkColour);
    uint32_t srcBk = job.src ? ToRgb(job.src->state.bkColour) : 0xFFFFFF;

    // Source column and row of each destination column and row (-1: outside the source).
    std::vector<int> colMap(job.dw), rowMap(job.dh);
    auto mapAxis = [](std::vector<int>& map, int n, int s0, int sn, bool flip, int lo, int hi) {
        for (int i = 0; i < n; ++i) {
            long long k = (static_cast<long long>(2 * i + 1) * sn) / (2LL * n);
            int s = flip ? s0 + sn - 1 - static_cast<int>(k) : s0 + static_cast<int>(k);
            map[i] = (s >= lo && s < hi) ? s : -1;
        }
    };
    if (needSource) {
        mapAxis(colMap, job.dw, job.sx, job.sw, job.flipX, job.srcBounds.left, job.srcBounds.right);
        mapAxis(rowMap, job.dh, job.sy, job.sh, job.flipY, job.srcBounds.top, job.srcBounds.bottom);
    }

    RECT area{job.dx, job.dy, job.dx + job.dw, job.dy + job.dh};
    for (const RECT& c : job.dst->Clip().Rects()) {
        RECT r = RectIntersect(area, c);
        if (RectEmpty(r)) continue;
        // Fast paths: 32-bit to 32-bit without mask, key or stretch, for the common operations.
        if (needSource && !stretched && !job.mask && !job.keyed && !needPattern && job.fore == job.back &&
            srcBmp->Format() == PixelFormat::Xrgb32 && dstBmp->Format() == PixelFormat::Xrgb32) {
            for (int y = r.top; y < r.bottom; ++y) {
                int sy = rowMap[y - job.dy];
                if (sy < 0) continue;
                uint32_t* d = dstBmp->Row32(y);
                const uint32_t* s = srcBmp->Row32(sy);
                int x = r.left;
                // Columns map one to one; trim to the readable source.
                int xs = colMap[x - job.dx];
                while (x < r.right && xs < 0)
                    xs = ++x < r.right ? colMap[x - job.dx] : -1;
                int xe = r.right;
                while (xe > x && colMap[xe - 1 - job.dx] < 0)
                    --xe;
                if (x >= xe) continue;
                const int off = colMap[x - job.dx] - x;
                switch (job.fore) {
                case 0xCC:
                    std::copy(s + x + off, s + xe + off, d + x);
                    break;
                case 0x88:
                    for (int i = x; i < xe; ++i)
                        d[i] = (d[i] & s[i + off]) & 0xFFFFFF;
                    break;
                case 0xEE:
                    for (int i = x; i < xe; ++i)
                        d[i] = (d[i] | s[i + off]) & 0xFFFFFF;
                    break;
                case 0x66:
                    for (int i = x; i < xe; ++i)
                        d[i] = (d[i] ^ s[i + off]) & 0xFFFFFF;
                    break;
                default:
                    for (int i = x; i < xe; ++i)
                        d[i] = raster::Rop3(job.fore, 0, s[i + off] & 0xFFFFFF, d[i] & 0xFFFFFF);
                }
            }
            continue;
        }
        if (needSource && job.fore == 0xCC && job.back == 0xCC && !job.mask &&
            srcBmp->Format() == PixelFormat::Xrgb32 && dstBmp->Format() == PixelFormat::Xrgb32) {
            for (int y = r.top; y < r.bottom; ++y) {
                int sy = rowMap[y - job.dy];
                if (sy < 0) continue;
                uint32_t* d = dstBmp->Row32(y);
                const uint32_t* s = srcBmp->Row32(sy);
                for (int x = r.left; x < r.right; ++x) {
                    int sx = colMap[x - job.dx];
                    if (sx < 0) continue;
                    uint32_t v = s[sx] & 0xFFFFFF;
                    if (job.keyed && v == job.key) continue;
                    d[x] = v;
                }
            }
            continue;
        }
        // Colour to monochrome copy (masks from a background colour), one to one.
        if (needSource && !stretched && colourToMono && !job.mask && job.fore == 0xCC && job.back == 0xCC &&
            srcBmp->Format() == PixelFormat::Xrgb32) {
            for (int y = r.top; y < r.bottom; ++y) {
                int sy = rowMap[y - job.dy];
                if (sy < 0) continue;
                const uint32_t* srow = srcBmp->Row32(sy);
                uint8_t* drow = dstBmp->Row(y);
                for (int x = r.left; x < r.right; ++x) {
                    int sx = colMap[x - job.dx];
                    if (sx >= 0) drow[x] = (srow[sx] & 0xFFFFFF) == srcBk ? 1 : 0;
                }
            }
            continue;
        }
        // Masked copy between 32-bit bitmaps where each side of the mask keeps the destination
        // or takes the source (the transparent picture's blit).
        if (needSource && job.mask && !stretched && (job.fore == 0xAA || job.fore == 0xCC) &&
            (job.back == 0xAA || job.back == 0xCC) && srcBmp->Format() == PixelFormat::Xrgb32 &&
            dstBmp->Format() == PixelFormat::Xrgb32) {
            const bool foreTakes = job.fore == 0xCC, backTakes = job.back == 0xCC;
            for (int y = r.top; y < r.bottom; ++y) {
                int sy = rowMap[y - job.dy];
                if (sy < 0) continue;
                const uint32_t* srow = srcBmp->Row32(sy);
                uint32_t* drow = dstBmp->Row32(y);
                const int my = job.my + (y - job.dy);
                const uint8_t* mrow = my >= 0 && my < job.mask->Height() ? job.mask->Row(my) : nullptr;
                for (int x = r.left; x < r.right; ++x) {
                    int sx = colMap[x - job.dx];
                    if (sx < 0) continue;
                    int mx = job.mx + (x - job.dx);
                    bool bit = mrow && mx >= 0 && mx < job.mask->Width() && mrow[mx] != 0;
                    if (bit ? foreTakes : backTakes) drow[x] = srow[sx] & 0xFFFFFF;
                }
            }
            continue;
        }
        // General path, pixel by pixel, with row pointers and the formats read once.
        const PixelFormat srcFormat = needSource ? srcBmp->Format() : PixelFormat::Xrgb32;
        const PixelFormat dstFormat = dstBmp->Format();
        const bool solidPattern = !job.dst->state.brush || job.dst->state.brush->style != BS_PATTERN;
        const uint32_t solid = needPattern && solidPattern ? PatternAt(*job.dst, 0, 0) : 0;
        for (int y = r.top; y < r.bottom; ++y) {
            int sy = needSource ? rowMap[y - job.dy] : 0;
            if (sy < 0) continue;
            const uint8_t* srow = needSource ? srcBmp->Row(sy) : nullptr;
            uint8_t* drow = dstBmp->Row(y);
            const int my = job.my + (y - job.dy);
            const uint8_t* mrow = job.mask && my >= 0 && my < job.mask->Height() ? job.mask->Row(my) : nullptr;
            for (int x = r.left; x < r.right; ++x) {
                uint32_t s = 0;
                if (needSource) {
                    int sx = colMap[x - job.dx];
                    if (sx < 0) continue;
                    switch (srcFormat) {
                    case PixelFormat::Xrgb32: s = reinterpret_cast<const uint32_t*>(srow)[sx] & 0xFFFFFF; break;
                    case PixelFormat::Rgb24: s = srow[sx * 3] | (srow[sx * 3 + 1] << 8) | (srow[sx * 3 + 2] << 16); break;
                    case PixelFormat::Mono: s = srow[sx] ? 0xFFFFFFu : 0u; break;
                    }
                    if (job.keyed && s == job.key) continue;
                    if (monoToColour)
                        s = s ? bg : fg;
                    else if (colourToMono)
                        s = s == srcBk ? 0xFFFFFF : 0;
                }
                uint8_t code = job.fore;
                if (job.mask) {
                    int mx = job.mx + (x - job.dx);
                    bool bit = mrow && mx >= 0 && mx < job.mask->Width() && mrow[mx] != 0;
                    code = bit ? job.fore : job.back;
                }
                uint32_t p = needPattern ? (solidPattern ? solid : PatternAt(*job.dst, x, y)) : 0;
                switch (dstFormat) {
                case PixelFormat::Xrgb32: {
                    uint32_t& d = reinterpret_cast<uint32_t*>(drow)[x];
                    d = raster::Rop3(code, p, s, d & 0xFFFFFF);
                    break;
                }
                default: dstBmp->Put(x, y, raster::Rop3(code, p, s, dstBmp->Get(x, y))); break;
                }
            }
        }
    }
}

// Normalises a possibly mirrored extent: a negative size counts back from start, start
// included (x = 9, width -10 covers columns 0 to 9); flip records the mirror.
void Normalise(int& start, int& size, bool& flip) {
    if (size < 0) {
        start += size + 1;
        size = -size;
        flip = !flip;
    }
}

bool SizeOk(int w, int h) {
    return w > 0 && h > 0 && w <= Bitmap::kMaxSide * 4 && h <= Bitmap::kMaxSide * 4;
}

void SetSource(BlitJob& job, DeviceContext* src, int sx, int sy) {
    job.src = src;
    Bitmap* b = src->Target();
    job.srcBounds = b ? RECT{0, 0, b->Width(), b->Height()} : RECT{0, 0, 0, 0};
    if (!src->IsMemory()) job.srcBounds = RectIntersect(job.srcBounds, src->m_surfaceClip);
    job.sx = src->ToX(sx);
    job.sy = src->ToY(sy);
}

void RecordBlit(DeviceContext& ctx, const char* name, int x, int y, int w, int h, DWORD rop) {
    if (!ctx.recorder) return;
    RecordedCall c = ctx.NewRecord(name);
    c.pos = POINT{x, y};
    c.rect = RECT{x, y, x + w, y + h};
    c.flags = rop;
    ctx.Record(std::move(c));
}

BOOL Stretch(HDC dest, int x, int y, int width, int height, DeviceContext* src, const Bitmap* srcBitmap,
             int srcX, int srcY, int srcWidth, int srcHeight, DWORD rop, bool keyed, COLORREF key,
             const char* name) {
    DeviceContext* dst = FindDc(dest);
    if (!dst) return FALSE;
    BlitJob job;
    job.dst = dst;
    job.fore = job.back = static_cast<uint8_t>((rop >> 16) & 0xFF);
    bool needSource = UsesSource(job.fore) || keyed;
    if (needSource && !src && !srcBitmap) return FALSE;
    // An operation with the pattern and a hollow brush selected draws nothing.
    if (UsesPattern(job.fore) && (!dst->state.brush || dst->state.brush->style == BS_NULL)) return TRUE;
    RecordBlit(*dst, name, x, y, width, height, rop);
    job.dx = dst->ToX(x);
    job.dy = dst->ToY(y);
    job.dw = width;
    job.dh = height;
    Normalise(job.dx, job.dw, job.flipX);
    Normalise(job.dy, job.dh, job.flipY);
    if (needSource) {
        if (src) {
            SetSource(job, src, srcX, srcY);
        } else {
            job.srcBitmap = srcBitmap;
            job.srcBounds = RECT{0, 0, srcBitmap->Width(), srcBitmap->Height()};
            job.sx = srcX;
            job.sy = srcY;
        }
        job.sw = srcWidth;
        job.sh = srcHeight;
        Normalise(job.sx, job.sw, job.flipX);
        Normalise(job.sy, job.sh, job.flipY);
        if (job.sw == 0 || job.sh == 0) return TRUE; // nothing to sample: nothing drawn
        if (!SizeOk(job.sw, job.sh)) return FALSE;
    } else {
        job.sw = job.dw;
        job.sh = job.dh;
    }
    if (!SizeOk(job.dw, job.dh)) return job.dw == 0 || job.dh == 0;
    job.keyed = keyed;
    job.key = ToRgb(key);
    Run(job);
    return TRUE;
}

} // namespace

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
    uint8_t code = static_cast<uint8_t>((rop >> 16) & 0xFF);
    if (UsesSource(code)) return FALSE;
    return Stretch(dc, x, y, width, height, nullptr, nullptr, 0, 0, 0, 0, rop, false, 0, "PatBlt");
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
    DeviceContext* s = src ? FindDc(src) : nullptr;
    if (src && !s) return FALSE;
    return Stretch(dest, x, y, width, height, s, nullptr, srcX, srcY, width, height, rop, false, 0, "BitBlt");
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop) {
    DeviceContext* s = src ? FindDc(src) : nullptr;
    if (src && !s) return FALSE;
    return Stretch(dest, x, y, width, height, s, nullptr, srcX, srcY, srcWidth, srcHeight, rop, false, 0,
                   "StretchBlt");
}

BOOL TransparentBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                    int srcHeight, UINT keyColour) {
    DeviceContext* s = FindDc(src);
    if (!s || width < 0 || height < 0 || srcWidth < 0 || srcHeight < 0) return FALSE;
    return Stretch(dest, x, y, width, height, s, nullptr, srcX, srcY, srcWidth, srcHeight, SRCCOPY, true,
                   keyColour, "TransparentBlt");
}

BOOL TransparentImage(HDC dest, LONG x, LONG y, LONG width, LONG height, HANDLE src, LONG srcX, LONG srcY,
                      LONG srcWidth, LONG srcHeight, COLORREF keyColour) {
    if (width < 0 || height < 0 || srcWidth < 0 || srcHeight < 0) return FALSE;
    if (DeviceContext* s = FindDc(static_cast<HDC>(src)))
        return Stretch(dest, x, y, width, height, s, nullptr, srcX, srcY, srcWidth, srcHeight, SRCCOPY, true,
                       keyColour, "TransparentImage");
    auto bitmap = FindBitmap(src);
    if (!bitmap) return FALSE;
    return Stretch(dest, x, y, width, height, nullptr, bitmap->bitmap.get(), srcX, srcY, srcWidth, srcHeight,
                   SRCCOPY, true, keyColour, "TransparentImage");
}

BOOL MaskBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, HBITMAP mask,
             int maskX, int maskY, DWORD rop) {
    if (!mask) return BitBlt(dest, x, y, width, height, src, srcX, srcY, rop & 0xFFFFFF);
    DeviceContext* dst = FindDc(dest);
    auto maskObject = FindBitmap(mask);
    if (!dst || !maskObject || !maskObject->bitmap->IsMono()) return FALSE;
    BlitJob job;
    job.dst = dst;
    job.fore = static_cast<uint8_t>((rop >> 16) & 0xFF);
    job.back = static_cast<uint8_t>((rop >> 24) & 0xFF);
    if (UsesSource(job.fore) || UsesSource(job.back)) {
        DeviceContext* s = FindDc(src);
        if (!s) return FALSE;
        SetSource(job, s, srcX, srcY);
    }
    RecordBlit(*dst, "MaskBlt", x, y, width, height, rop);
    if (width <= 0 || height <= 0) return width == 0 || height == 0;
    if (!SizeOk(width, height)) return FALSE;
    job.dx = dst->ToX(x);
    job.dy = dst->ToY(y);
    job.dw = job.sw = width;
    job.dh = job.sh = height;
    job.mask = maskObject->bitmap.get();
    job.mx = maskX;
    job.my = maskY;
    Run(job);
    return TRUE;
}
