#include "platform/gdi/Bitmap.h"

#include <algorithm>

namespace device::gdi {

std::unique_ptr<Bitmap> Bitmap::Create(int width, int height, PixelFormat format, bool bottomUp) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return nullptr;
    std::unique_ptr<Bitmap> bitmap(new Bitmap());
    bitmap->m_width = width;
    bitmap->m_height = height;
    bitmap->m_format = format;
    bitmap->m_bottomUp = bottomUp;
    int bytesPerRow = format == PixelFormat::Xrgb32  ? width * 4
                      : format == PixelFormat::Rgb24 ? width * 3
                                                     : width;
    bitmap->m_stride = (bytesPerRow + 3) & ~3;
    bitmap->m_pixels.assign(static_cast<size_t>(bitmap->m_stride) * height, 0);
    return bitmap;
}

int Bitmap::BitsPerPixel() const {
    switch (m_format) {
    case PixelFormat::Mono:
        return 1;
    case PixelFormat::Rgb24:
        return 24;
    case PixelFormat::Xrgb32:
        return 32;
    }
    return 32;
}

void Bitmap::Fill(uint32_t rgb) {
    for (int y = 0; y < m_height; ++y) {
        if (m_format == PixelFormat::Xrgb32) {
            std::fill_n(Row32(y), m_width, rgb & 0xFFFFFF);
        } else {
            for (int x = 0; x < m_width; ++x)
                Put(x, y, rgb);
        }
    }
}

void Bitmap::LoadPackedMono(const uint8_t* bits, int rowAlign) {
    if (!bits || m_format != PixelFormat::Mono) return;
    int packedRow = ((m_width + 7) / 8 + rowAlign - 1) / rowAlign * rowAlign;
    for (int y = 0; y < m_height; ++y) {
        const uint8_t* src = bits + static_cast<size_t>(y) * packedRow;
        uint8_t* dst = Row(y);
        for (int x = 0; x < m_width; ++x)
            dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
    }
}

} // namespace device::gdi
