#pragma once
// The short list of pixel primitives every drawing call is built on. Coordinates are the
// bitmap's own; every primitive writes only inside the clip region, which the caller has already
// cut to the bitmap's bounds. Colours are 0x00RRGGBB.

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Region.h"

#include <cstdint>

namespace device::gdi::raster {

// A binary raster operation (R2_*) of a pen colour and a destination colour.
inline uint32_t Rop2(int rop2, uint32_t p, uint32_t d) {
    switch (rop2) {
    case 13:
        return p; // R2_COPYPEN
    case 11:
        return d; // R2_NOP
    case 7:
        return p ^ d; // R2_XORPEN
    case 10:
        return ~(p ^ d) & 0xFFFFFF; // R2_NOTXORPEN
    case 6:
        return ~d & 0xFFFFFF; // R2_NOT
    default:
        break;
    }
    if (rop2 < 1 || rop2 > 16) return p;
    // The operation's number less one is its truth table over (pen, destination) bit pairs.
    unsigned table = static_cast<unsigned>(rop2 - 1);
    uint32_t r = 0;
    if (table & 1) r |= ~p & ~d;
    if (table & 2) r |= ~p & d;
    if (table & 4) r |= p & ~d;
    if (table & 8) r |= p & d;
    return r & 0xFFFFFF;
}

// A ternary raster operation (the middle byte of a ROP code) of pattern, source and destination.
inline uint32_t Rop3(uint8_t code, uint32_t p, uint32_t s, uint32_t d) {
    switch (code) {
    case 0xCC:
        return s;
    case 0x88:
        return s & d;
    case 0xEE:
        return s | d;
    case 0x66:
        return s ^ d;
    case 0x44:
        return s & ~d & 0xFFFFFF;
    case 0x33:
        return ~s & 0xFFFFFF;
    case 0x22:
        return ~s & d;
    case 0xBB:
        return (~s | d) & 0xFFFFFF;
    case 0xC0:
        return p & s;
    case 0xF0:
        return p;
    case 0x55:
        return ~d & 0xFFFFFF;
    case 0x00:
        return 0;
    case 0xFF:
        return 0xFFFFFF;
    case 0xAA:
        return d;
    default:
        break;
    }
    uint32_t r = 0;
    for (int i = 0; i < 8; ++i) {
        if (!((code >> i) & 1)) continue;
        uint32_t term = (i & 4) ? p : ~p;
        term &= (i & 2) ? s : ~s;
        term &= (i & 1) ? d : ~d;
        r |= term;
    }
    return r & 0xFFFFFF;
}

// Pixels x0..x1-1 of row y.
void Span(Bitmap& bmp, const Region& clip, int y, int x0, int x1, uint32_t rgb, int rop2);
void Pixel(Bitmap& bmp, const Region& clip, int x, int y, uint32_t rgb, int rop2);
void Fill(Bitmap& bmp, const Region& clip, const RECT& r, uint32_t rgb, int rop2);
// Blends rgb over the destination with 0-255 coverage (glyphs); coverage 255 writes rgb
// exactly and 0 leaves the destination.
void Coverage(Bitmap& bmp, const Region& clip, int x, int y, const uint8_t* cov, int w, int h, int pitch,
              uint32_t rgb);

} // namespace device::gdi::raster
