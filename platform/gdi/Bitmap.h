#pragma once
// The software bitmap every drawing call works on: monochrome (one byte 0/1 per pixel), 24-bit
// (B, G, R bytes) or 32-bit (0x00RRGGBB words) pixels, rows top-down or bottom-up in memory.
// Colours cross this interface as COLORREF-free 0x00RRGGBB values ("rgb" below).

#include "platform/base/WinTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace device::gdi {

enum class PixelFormat { Mono, Rgb24, Xrgb32 };

// 0x00RRGGBB from a COLORREF (0x00BBGGRR) and back.
inline uint32_t ToRgb(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline COLORREF ToColorRef(uint32_t rgb) {
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

class Bitmap {
public:
    // Largest side accepted, so that no size overflows and no request exhausts memory.
    static constexpr int kMaxSide = 16384;

    // Null for a size out of range (zero, negative or above kMaxSide).
    static std::unique_ptr<Bitmap> Create(int width, int height, PixelFormat format, bool bottomUp = false);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    PixelFormat Format() const { return m_format; }
    bool IsMono() const { return m_format == PixelFormat::Mono; }
    bool BottomUp() const { return m_bottomUp; }
    int BitsPerPixel() const;
    // Bytes of one row as the caller sees the memory (DIB rule: padded to 32 bits).
    int Stride() const { return m_stride; }
    uint8_t* Bits() { return m_pixels.data(); }
    const uint8_t* Bits() const { return m_pixels.data(); }
    size_t ByteSize() const { return m_pixels.size(); }

    uint8_t* Row(int y) {
        return m_pixels.data() + static_cast<size_t>(m_bottomUp ? m_height - 1 - y : y) * m_stride;
    }
    const uint8_t* Row(int y) const {
        return m_pixels.data() + static_cast<size_t>(m_bottomUp ? m_height - 1 - y : y) * m_stride;
    }
    uint32_t* Row32(int y) { return reinterpret_cast<uint32_t*>(Row(y)); }
    const uint32_t* Row32(int y) const { return reinterpret_cast<const uint32_t*>(Row(y)); }

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    // Unchecked: callers clip first.
    uint32_t Get(int x, int y) const {
        switch (m_format) {
        case PixelFormat::Xrgb32:
            return Row32(y)[x] & 0xFFFFFF;
        case PixelFormat::Rgb24: {
            const uint8_t* p = Row(y) + x * 3;
            return p[0] | (p[1] << 8) | (p[2] << 16);
        }
        case PixelFormat::Mono:
            return Row(y)[x] ? 0xFFFFFFu : 0u;
        }
        return 0;
    }
    void Put(int x, int y, uint32_t rgb) {
        switch (m_format) {
        case PixelFormat::Xrgb32:
            Row32(y)[x] = rgb & 0xFFFFFF;
            break;
        case PixelFormat::Rgb24: {
            uint8_t* p = Row(y) + x * 3;
            p[0] = rgb & 0xFF;
            p[1] = (rgb >> 8) & 0xFF;
            p[2] = (rgb >> 16) & 0xFF;
            break;
        }
        case PixelFormat::Mono:
            Row(y)[x] = MonoBit(rgb);
            break;
        }
    }
    // The colour a pixel of this bitmap can hold: itself, or black/white on a monochrome bitmap.
    uint32_t Quantize(uint32_t rgb) const {
        return m_format == PixelFormat::Mono ? (MonoBit(rgb) ? 0xFFFFFFu : 0u) : rgb & 0xFFFFFF;
    }
    // Monochrome rule for drawing colours: the nearer of black and white by brightness.
    static uint8_t MonoBit(uint32_t rgb) {
        int sum = ((rgb >> 16) & 0xFF) * 30 + ((rgb >> 8) & 0xFF) * 59 + (rgb & 0xFF) * 11;
        return sum >= 12750 ? 1 : 0;
    }

    void Fill(uint32_t rgb);

    // Mono bitmaps keep one byte per pixel; these convert with the packed device layout
    // (most significant bit first, rows padded to rowAlign bytes).
    void LoadPackedMono(const uint8_t* bits, int rowAlign);

private:
    Bitmap() = default;
    int m_width = 0;
    int m_height = 0;
    PixelFormat m_format = PixelFormat::Xrgb32;
    bool m_bottomUp = false;
    int m_stride = 0;
    std::vector<uint8_t> m_pixels;
};

} // namespace device::gdi
