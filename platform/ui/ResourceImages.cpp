// Icons and bitmaps from compiled resources, and the device's standard icons.
#include "platform/ui/ResourceImages.h"

#include "platform/base/DevicePath.h"
#include "platform/base/ResourceFormat.h"
#include "platform/gdi/ImageMemory.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/Modules.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr DWORD kFirstStandardIcon = 32512;
constexpr DWORD kLastStandardIcon = 32516;

// A resource id from MAKEINTRESOURCEW(id) or "#id".
bool ResourceId(LPCWSTR name, DWORD& id) {
    if (!name) return false;
    if (IS_INTRESOURCE(name)) {
        id = static_cast<DWORD>(reinterpret_cast<uintptr_t>(name));
        return true;
    }
    if (name[0] != L'#' || name[1] == 0) return false;
    DWORD v = 0;
    for (const WCHAR* p = name + 1; *p; ++p) {
        if (*p < L'0' || *p > L'9') return false;
        v = v * 10 + static_cast<DWORD>(*p - L'0');
        if (v > 0xFFFF) return false;
    }
    id = v;
    return true;
}

bool ReadDeviceFile(LPCWSTR devicePath, std::vector<uint8_t>& data) {
    if (!devicePath || IS_INTRESOURCE(devicePath)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    std::filesystem::path host;
    DWORD error = 0;
    if (!device::DeviceToHostPath(device::FileSystemFolder(), devicePath, host, error)) {
        SetLastError(error ? error : ERROR_PATH_NOT_FOUND);
        return false;
    }
    std::ifstream in(host, std::ios::binary);
    if (!in) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// The image of a group nearest the size asked for: the exact size, else the smallest larger one
// (shrinking looks better than enlarging), else the largest.
size_t NearestImage(const std::vector<std::vector<uint8_t>>& images, int width, int height,
                    std::vector<std::pair<int, int>>& sizes) {
    size_t best = images.size();
    long long bestScore = 0;
    for (size_t i = 0; i < images.size(); ++i) {
        int w = 0, h = 0;
        if (!device::gdi::ImageDataSize(images[i].data(), images[i].size(), w, h)) {
            sizes.emplace_back(0, 0);
            continue;
        }
        sizes.emplace_back(w, h);
        long long dw = w - width, dh = h - height;
        // Larger images score by how much larger; smaller ones rank after every larger one.
        long long score = (dw >= 0 && dh >= 0) ? dw + dh : (1LL << 40) - w - h;
        if (best == images.size() || score < bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

HICON IconFromGroup(const void* data, size_t size, int width, int height, bool ownSize) {
    auto images = device::ParseIconGroup(data, size);
    if (!images || images->empty()) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    std::vector<std::pair<int, int>> sizes;
    size_t pick = NearestImage(*images, width, height, sizes);
    if (pick >= images->size()) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    const auto& file = (*images)[pick];
    HICON icon = device::gdi::IconFromImageData(file.data(), file.size(), ownSize ? 0 : width, ownSize ? 0 : height);
    if (!icon) SetLastError(ERROR_INVALID_DATA);
    return icon;
}

// [SECTION] The standard icons: drawn once per size, in the shell's plain style.

// Coverage of a pixel by a shape, by 4x4 supersampling; inside(x, y) in pixel units.
template <class F> uint8_t Coverage(int px, int py, F inside) {
    int hits = 0;
    for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx)
            if (inside(px + (sx + 0.5) / 4.0, py + (sy + 0.5) / 4.0)) ++hits;
    return static_cast<uint8_t>(hits * 255 / 16);
}

HICON StandardIcon(DWORD id, int size) {
    if (size <= 0 || size > 256) return nullptr;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!colour || !bits) return nullptr;
    auto* pixels = static_cast<uint32_t*>(bits);

    const double s = size;
    const double c = s / 2.0;
    COLORREF fill = RGB(0, 90, 200);
    COLORREF ink = RGB(255, 255, 255);
    const wchar_t* glyph = L"i";
    bool triangle = false;
    bool window = false;
    switch (id) {
    case 32513: fill = RGB(200, 30, 30); glyph = L"X"; break;  // hand (error)
    case 32514: glyph = L"?"; break;                           // question
    case 32515: fill = RGB(250, 200, 0); ink = RGB(0, 0, 0); glyph = L"!"; triangle = true; break;
    case 32516: break;                                         // asterisk (information)
    default: window = true; glyph = nullptr; break;            // application
    }
    auto inside = [&](double x, double y) {
        if (window) return x >= 1 && x <= s - 1 && y >= 2 && y <= s - 2;
        if (triangle) {
            // Apex at the top centre, base along the bottom.
            double top = 1, bottom = s - 1;
            if (y < top || y > bottom) return false;
            double half = (y - top) / (bottom - top) * (c - 0.5);
            return std::abs(x - c) <= half;
        }
        double dx = x - c, dy = y - c, r = c - 0.5;
        return dx * dx + dy * dy <= r * r;
    };
    std::vector<uint8_t> alpha(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            uint8_t a = Coverage(x, y, inside);
            alpha[static_cast<size_t>(y) * size + x] = a;
            COLORREF f = fill;
            if (window) f = y < 2 + std::max(2, size / 5) ? RGB(0, 60, 150) : RGB(255, 255, 255);
            pixels[static_cast<size_t>(y) * size + x] = (GetRValue(f) << 16) | (GetGValue(f) << 8) | GetBValue(f);
        }
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldBitmap = SelectObject(dc, colour);
    if (window) {
        RECT frame{1, 2, size - 1, size - 2};
        FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    if (glyph) {
        LOGFONTW lf{};
        lf.lfHeight = -(size * 2 / 3);
        lf.lfWeight = FW_BOLD;
        lf.lfQuality = ANTIALIASED_QUALITY;
        wcscpy(lf.lfFaceName, L"Tahoma");
        HFONT font = CreateFontIndirectW(&lf);
        HGDIOBJ oldFont = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ink);
        RECT r{0, triangle ? size / 6 : 0, size, size};
        DrawTextW(dc, glyph, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, oldFont);
        DeleteObject(font);
    }
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    // Drawing leaves the alpha bytes alone only by chance: put the shape's coverage back.
    for (size_t i = 0; i < alpha.size(); ++i) pixels[i] = (pixels[i] & 0xFFFFFFu) | (static_cast<uint32_t>(alpha[i]) << 24);

    // The mask (1 keeps the destination) for drawing without alpha.
    int rowBytes = ((size + 15) / 16) * 2;
    std::vector<uint8_t> maskBits(static_cast<size_t>(rowBytes) * size, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (alpha[static_cast<size_t>(y) * size + x] < 128)
                maskBits[static_cast<size_t>(y) * rowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    HBITMAP mask = CreateBitmap(size, size, 1, 1, maskBits.data());
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = mask ? CreateIconIndirect(&info) : nullptr;
    if (mask) DeleteObject(mask);
    DeleteObject(colour);
    return icon;
}

} // namespace

HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT flags) {
    if (type != IMAGE_ICON && type != IMAGE_BITMAP) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (width < 0 || height < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Neither side given and no LR_DEFAULTSIZE: the image's own size (for an icon group, the image
    // nearest the standard size). One side given: a square of that side.
    bool ownSize = width == 0 && height == 0 && !(flags & LR_DEFAULTSIZE);
    if (type == IMAGE_ICON) {
        if (width == 0 && height == 0) {
            width = GetSystemMetrics(SM_CXICON);
            height = GetSystemMetrics(SM_CYICON);
        } else if (width == 0) {
            width = height;
        } else if (height == 0) {
            height = width;
        }
    } else if (width == 0 || height == 0) {
        width = height = 0; // a bitmap keeps its own size unless both sides are given
    }

    if (flags & LR_LOADFROMFILE) {
        std::vector<uint8_t> data;
        if (!ReadDeviceFile(name, data)) return nullptr;
        HANDLE h = type == IMAGE_ICON
                       ? static_cast<HANDLE>(device::gdi::IconFromImageData(data.data(), data.size(),
                                                                            ownSize ? 0 : width, ownSize ? 0 : height))
                       : static_cast<HANDLE>(device::gdi::BitmapFromImageData(data.data(), data.size(), width, height));
        if (!h) SetLastError(ERROR_INVALID_DATA);
        return h;
    }

    DWORD id = 0;
    if (!ResourceId(name, id)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    if (!instance && type == IMAGE_ICON && id >= kFirstStandardIcon && id <= kLastStandardIcon)
        return StandardIcon(id, ownSize ? GetSystemMetrics(SM_CXICON) : width);

    const void* data = nullptr;
    size_t size = 0;
    DWORD resType = type == IMAGE_ICON ? device::kResGroupIcon : device::kResBitmap;
    if (!device::FindResourceData(instance, resType, id, data, size)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    if (type == IMAGE_ICON) return IconFromGroup(data, size, width, height, ownSize);
    HBITMAP bitmap = device::gdi::BitmapFromImageData(static_cast<const uint8_t*>(data), size, width, height);
    if (!bitmap) SetLastError(ERROR_INVALID_DATA);
    return bitmap;
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
    return static_cast<HICON>(LoadImageW(instance, name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
}

HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
    return static_cast<HBITMAP>(LoadImageW(instance, name, IMAGE_BITMAP, 0, 0, 0));
}
