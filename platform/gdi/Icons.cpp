// Icons: a 32-bit colour image and a monochrome mask (1 keeps the destination), or a colour
// image with per-pixel alpha. Drawing at another size stretches by nearest neighbour.
#include "platform/gdi/DeviceContext.h"

#include <algorithm>

using namespace device::gdi;

namespace {

std::shared_ptr<Bitmap> CopyAs(const Bitmap& src, PixelFormat format) {
    std::shared_ptr<Bitmap> copy(Bitmap::Create(src.Width(), src.Height(), format));
    if (!copy) return nullptr;
    for (int y = 0; y < src.Height(); ++y)
        for (int x = 0; x < src.Width(); ++x)
            copy->Put(x, y, src.Get(x, y));
    return copy;
}

} // namespace

HICON CreateIconIndirect(PICONINFO info) {
    if (!info) return nullptr;
    auto mask = FindBitmap(info->hbmMask);
    auto colour = info->hbmColor ? FindBitmap(info->hbmColor) : nullptr;
    if (!mask || (info->hbmColor && !colour)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto icon = std::make_shared<IconObject>();
    const Bitmap& m = *mask->bitmap;
    icon->width = m.Width();
    if (colour) {
        // The icon keeps copies: the caller deletes its bitmaps afterwards.
        const Bitmap& c = *colour->bitmap;
        icon->width = std::min(m.Width(), c.Width());
        icon->height = std::min(m.Height(), c.Height());
        icon->colour = CopyAs(c, PixelFormat::Xrgb32);
        icon->mask = CopyAs(m, PixelFormat::Mono);
        // A 32-bit DIB section whose alpha bytes are not all zero is drawn with its alpha.
        if (colour->dibSection && c.Format() == PixelFormat::Xrgb32) {
            std::vector<uint8_t> alpha(static_cast<size_t>(icon->width) * icon->height);
            bool any = false;
            for (int y = 0; y < icon->height; ++y)
                for (int x = 0; x < icon->width; ++x) {
                    uint8_t a = static_cast<uint8_t>(c.Row32(y)[x] >> 24);
                    alpha[static_cast<size_t>(y) * icon->width + x] = a;
                    any |= a != 0;
                }
            if (any) icon->alpha = std::move(alpha);
        }
    } else {
        // Monochrome icon: the mask's top half is the AND mask, the bottom half the XOR image.
        icon->height = m.Height() / 2;
        if (icon->height <= 0) return nullptr;
        icon->mask = CopyAs(m, PixelFormat::Mono);
        icon->colour =
            std::shared_ptr<Bitmap>(Bitmap::Create(icon->width, icon->height, PixelFormat::Xrgb32));
        for (int y = 0; y < icon->height; ++y)
            for (int x = 0; x < icon->width; ++x)
                icon->colour->Put(x, y, m.Get(x, y + icon->height));
    }
    if (icon->width <= 0 || icon->height <= 0 || !icon->colour || !icon->mask) return nullptr;
    icon->hotX = info->xHotspot;
    icon->hotY = info->yHotspot;
    icon->isIcon = info->fIcon;
    return static_cast<HICON>(AddObject(icon));
}

BOOL GetIconInfo(HICON handle, PICONINFO info) {
    auto icon = FindIcon(handle);
    if (!icon || !info) return FALSE;
    info->fIcon = icon->isIcon;
    info->xHotspot = icon->hotX;
    info->yHotspot = icon->hotY;
    // New bitmaps the caller owns, as on the device.
    info->hbmColor = AddBitmap(CopyAs(*icon->colour, PixelFormat::Xrgb32), false);
    info->hbmMask = AddBitmap(CopyAs(*icon->mask, PixelFormat::Mono), false);
    return TRUE;
}

BOOL DestroyIcon(HICON handle) {
    if (!FindIcon(handle)) return FALSE;
    RemoveObject(handle);
    return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
    return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON handle, int width, int height, UINT, HBRUSH, UINT flags) {
    DeviceContext* ctx = FindDc(dc);
    auto icon = FindIcon(handle);
    if (!ctx || !icon) return FALSE;
    if (width < 0 || height < 0) return FALSE;
    if (width == 0) width = icon->width;
    if (height == 0) height = icon->height;
    if (width > Bitmap::kMaxSide || height > Bitmap::kMaxSide) return FALSE;
    if ((flags & DI_NORMAL) == 0) flags |= DI_NORMAL;
    if (ctx->recorder) {
        RecordedCall c = ctx->NewRecord("DrawIcon");
        c.pos = POINT{x, y};
        c.rect = RECT{x, y, x + width, y + height};
        c.flags = flags;
        ctx->Record(std::move(c));
    }
    Bitmap* bmp = ctx->Target();
    if (!bmp) return TRUE;
    int dx = ctx->ToX(x), dy = ctx->ToY(y);
    RECT area{dx, dy, dx + width, dy + height};
    for (const RECT& c : ctx->Clip().Rects()) {
        RECT r = RectIntersect(area, c);
        if (RectEmpty(r)) continue;
        for (int py = r.top; py < r.bottom; ++py) {
            int sy =
                static_cast<int>((static_cast<long long>(2 * (py - dy) + 1) * icon->height) / (2LL * height));
            for (int px = r.left; px < r.right; ++px) {
                int sx = static_cast<int>((static_cast<long long>(2 * (px - dx) + 1) * icon->width) /
                                          (2LL * width));
                uint32_t d = bmp->Get(px, py);
                uint32_t colour = icon->colour->Get(sx, sy);
                if (!icon->alpha.empty() && (flags & DI_IMAGE)) {
                    uint32_t a = icon->alpha[static_cast<size_t>(sy) * icon->width + sx];
                    uint32_t out = 0;
                    for (int shift = 0; shift <= 16; shift += 8) {
                        uint32_t s = (colour >> shift) & 0xFF, t = (d >> shift) & 0xFF;
                        out |= ((s * a + t * (255 - a) + 127) / 255) << shift;
                    }
                    bmp->Put(px, py, out);
                    continue;
                }
                if (flags & DI_MASK) d &= icon->mask->Get(sx, sy);
                if (flags & DI_IMAGE) d = (flags & DI_MASK) ? d ^ colour : colour;
                bmp->Put(px, py, d);
            }
        }
    }
    return TRUE;
}
