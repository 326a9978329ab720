// Bitmaps and icons from picture files held in memory. Scaling averages the source pixels each
// destination pixel covers (weighted by alpha, so transparent edges do not darken), which keeps
// small icons legible when a 32-pixel image is shrunk to 16 or 24.
#include "platform/gdi/ImageMemory.h"

#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/ImageFiles.h"

#include <algorithm>
#include <vector>

namespace device::gdi {

namespace stb {
std::vector<uint8_t> Decode(const uint8_t* data, int size, int& width, int& height, long long maxPixels);
} // namespace stb

namespace {

// Straight (not premultiplied) RGBA pixels, row-major, top-down.
struct Rgba {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

bool DecodeRgba(const uint8_t* data, size_t size, Rgba& out) {
    if (!data || size == 0 || size > kMaxImageFileBytes) return false;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) {
        // JPEG has no alpha: go through the opaque decoder.
        auto bitmap = DecodeImage(data, size);
        if (!bitmap) return false;
        out.width = bitmap->Width();
        out.height = bitmap->Height();
        out.pixels.resize(static_cast<size_t>(out.width) * out.height * 4);
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x) {
                uint32_t rgb = bitmap->Get(x, y);
                uint8_t* p = &out.pixels[(static_cast<size_t>(y) * out.width + x) * 4];
                p[0] = static_cast<uint8_t>(rgb >> 16);
                p[1] = static_cast<uint8_t>(rgb >> 8);
                p[2] = static_cast<uint8_t>(rgb);
                p[3] = 255;
            }
        return true;
    }
    out.pixels = stb::Decode(data, static_cast<int>(size), out.width, out.height, kMaxImagePixels);
    return !out.pixels.empty();
}

// Area-averaging resize; the same image when the size does not change.
Rgba Scale(const Rgba& src, int width, int height) {
    if (width == src.width && height == src.height) return src;
    Rgba dst;
    dst.width = width;
    dst.height = height;
    dst.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    for (int y = 0; y < height; ++y) {
        // Source rows [y0, y1) cover this destination row (at least one row when enlarging).
        int y0 = static_cast<int>(static_cast<long long>(y) * src.height / height);
        int y1 = std::max(y0 + 1, static_cast<int>(static_cast<long long>(y + 1) * src.height / height));
        for (int x = 0; x < width; ++x) {
            int x0 = static_cast<int>(static_cast<long long>(x) * src.width / width);
            int x1 = std::max(x0 + 1, static_cast<int>(static_cast<long long>(x + 1) * src.width / width));
            unsigned long long r = 0, g = 0, b = 0, a = 0, n = 0;
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx) {
                    const uint8_t* p = &src.pixels[(static_cast<size_t>(sy) * src.width + sx) * 4];
                    r += static_cast<unsigned long long>(p[0]) * p[3];
                    g += static_cast<unsigned long long>(p[1]) * p[3];
                    b += static_cast<unsigned long long>(p[2]) * p[3];
                    a += p[3];
                    ++n;
                }
            uint8_t* d = &dst.pixels[(static_cast<size_t>(y) * width + x) * 4];
            if (a > 0) {
                d[0] = static_cast<uint8_t>((r + a / 2) / a);
                d[1] = static_cast<uint8_t>((g + a / 2) / a);
                d[2] = static_cast<uint8_t>((b + a / 2) / a);
            }
            d[3] = static_cast<uint8_t>((a + n / 2) / n);
        }
    }
    return dst;
}

bool DecodeScaled(const uint8_t* data, size_t size, int width, int height, Rgba& out) {
    if (width < 0 || height < 0 || width > Bitmap::kMaxSide || height > Bitmap::kMaxSide) return false;
    Rgba picture;
    if (!DecodeRgba(data, size, picture)) return false;
    if (width == 0 || height == 0) {
        width = picture.width;
        height = picture.height;
    }
    out = Scale(picture, width, height);
    return true;
}

} // namespace

bool ImageDataSize(const uint8_t* data, size_t size, int& width, int& height) {
    Rgba picture;
    if (!DecodeRgba(data, size, picture)) return false;
    width = picture.width;
    height = picture.height;
    return true;
}

HBITMAP BitmapFromImageData(const uint8_t* data, size_t size, int width, int height) {
    Rgba picture;
    if (!DecodeScaled(data, size, width, height, picture)) return nullptr;
    std::shared_ptr<Bitmap> bitmap(Bitmap::Create(picture.width, picture.height, PixelFormat::Xrgb32));
    if (!bitmap) return nullptr;
    for (int y = 0; y < picture.height; ++y) {
        uint32_t* row = bitmap->Row32(y);
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = &picture.pixels[(static_cast<size_t>(y) * picture.width + x) * 4];
            row[x] = (static_cast<uint32_t>(p[0]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[2];
        }
    }
    return AddBitmap(std::move(bitmap), false);
}

HICON IconFromImageData(const uint8_t* data, size_t size, int width, int height) {
    Rgba picture;
    if (!DecodeScaled(data, size, width, height, picture)) return nullptr;
    auto icon = std::make_shared<IconObject>();
    icon->width = picture.width;
    icon->height = picture.height;
    icon->colour = std::shared_ptr<Bitmap>(Bitmap::Create(picture.width, picture.height, PixelFormat::Xrgb32));
    icon->mask = std::shared_ptr<Bitmap>(Bitmap::Create(picture.width, picture.height, PixelFormat::Mono));
    if (!icon->colour || !icon->mask) return nullptr;
    size_t count = static_cast<size_t>(picture.width) * picture.height;
    std::vector<uint8_t> alpha(count);
    bool partial = false;
    for (size_t i = 0; i < count; ++i) {
        alpha[i] = picture.pixels[i * 4 + 3];
        partial |= alpha[i] != 0 && alpha[i] != 255;
    }
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            size_t i = static_cast<size_t>(y) * picture.width + x;
            const uint8_t* p = &picture.pixels[i * 4];
            bool clear = p[3] < 128;
            uint32_t rgb = (static_cast<uint32_t>(p[0]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[2];
            // Without an alpha channel a masked pixel must be black, so that the image's XOR
            // leaves the destination the mask kept.
            icon->colour->Put(x, y, clear && !partial ? 0u : rgb);
            icon->mask->Put(x, y, clear ? 0xFFFFFFu : 0u); // 1 keeps the destination
        }
    // Fully opaque or fully transparent pixels are the mask's business alone.
    if (partial) icon->alpha = std::move(alpha);
    return static_cast<HICON>(AddObject(icon));
}

} // namespace device::gdi
