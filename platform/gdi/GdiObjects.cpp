// Handle table, stock objects, and creation, deletion and queries of pens, brushes, bitmaps and
// regions.
#include "platform/gdi/DeviceContext.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace device::gdi {

namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<GdiObject>> objects;
    uintptr_t next = 0x10000;
};

HandleTable& Table() {
    static HandleTable* table = new HandleTable(); // lives to the end of the process
    return *table;
}

} // namespace

void* AddObject(std::shared_ptr<GdiObject> object) {
    HandleTable& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    uintptr_t value = t.next;
    t.next += 0x10;
    void* handle = reinterpret_cast<void*>(value);
    object->handle = handle;
    t.objects.emplace(value, std::move(object));
    return handle;
}

std::shared_ptr<GdiObject> FindObject(const void* handle) {
    if (!handle) return nullptr;
    HandleTable& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

bool RemoveObject(const void* handle) {
    HandleTable& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    return t.objects.erase(reinterpret_cast<uintptr_t>(handle)) > 0;
}

std::shared_ptr<PenObject> FindPen(const void* h) {
    return Find<PenObject>(h, Kind::Pen);
}
std::shared_ptr<BrushObject> FindBrush(const void* h) {
    return Find<BrushObject>(h, Kind::Brush);
}
std::shared_ptr<FontObject> FindFont(const void* h) {
    return Find<FontObject>(h, Kind::Font);
}
std::shared_ptr<BitmapObject> FindBitmap(const void* h) {
    return Find<BitmapObject>(h, Kind::Bitmap);
}
std::shared_ptr<RegionObject> FindRegion(const void* h) {
    return Find<RegionObject>(h, Kind::Region);
}
std::shared_ptr<IconObject> FindIcon(const void* h) {
    return Find<IconObject>(h, Kind::Icon);
}
DeviceContext* FindDc(HDC dc) {
    auto object = FindObject(dc);
    if (!object || object->kind != Kind::Dc) return nullptr;
    // The table keeps the context alive until DeleteDC, which the caller does not race with.
    return static_cast<DeviceContext*>(object.get());
}

HBITMAP AddBitmap(std::shared_ptr<Bitmap> bitmap, bool dibSection) {
    if (!bitmap) return nullptr;
    auto object = std::make_shared<BitmapObject>();
    object->bitmap = std::move(bitmap);
    object->dibSection = dibSection;
    return static_cast<HBITMAP>(AddObject(object));
}

LOGFONTW SystemLogFont() {
    LOGFONTW lf{};
    lf.lfHeight = -12 * GetScreenInfo().dpi / 96;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    std::wcscpy(lf.lfFaceName, L"Tahoma");
    return lf;
}

// ---- Stock objects -----------------------------------------------------------------------------

namespace {

struct StockObjects {
    HGDIOBJ objects[18] = {};
    HBITMAP defaultBitmap = nullptr;
};

HGDIOBJ StockBrush(COLORREF c, int style) {
    auto b = std::make_shared<BrushObject>();
    b->colour = c;
    b->style = style;
    b->stock = true;
    return AddObject(b);
}

HGDIOBJ StockPen(COLORREF c, int style) {
    auto p = std::make_shared<PenObject>();
    p->colour = c;
    p->style = style;
    p->stock = true;
    return AddObject(p);
}

StockObjects& Stock() {
    static StockObjects* stock = [] {
        auto* s = new StockObjects();
        s->objects[WHITE_BRUSH] = StockBrush(RGB(255, 255, 255), BS_SOLID);
        s->objects[LTGRAY_BRUSH] = StockBrush(RGB(192, 192, 192), BS_SOLID);
        s->objects[GRAY_BRUSH] = StockBrush(RGB(128, 128, 128), BS_SOLID);
        s->objects[DKGRAY_BRUSH] = StockBrush(RGB(64, 64, 64), BS_SOLID);
        s->objects[BLACK_BRUSH] = StockBrush(RGB(0, 0, 0), BS_SOLID);
        s->objects[NULL_BRUSH] = StockBrush(0, BS_NULL);
        s->objects[WHITE_PEN] = StockPen(RGB(255, 255, 255), PS_SOLID);
        s->objects[BLACK_PEN] = StockPen(RGB(0, 0, 0), PS_SOLID);
        s->objects[NULL_PEN] = StockPen(0, PS_NULL);
        auto font = std::make_shared<FontObject>();
        font->logFont = SystemLogFont();
        font->instance = FontInstance::Get(font->logFont);
        font->stock = true;
        s->objects[SYSTEM_FONT] = AddObject(font);
        s->objects[DEFAULT_GUI_FONT] = s->objects[SYSTEM_FONT];
        auto bitmap = std::make_shared<BitmapObject>();
        bitmap->bitmap = std::shared_ptr<Bitmap>(Bitmap::Create(1, 1, PixelFormat::Mono));
        bitmap->stock = true;
        s->defaultBitmap = static_cast<HBITMAP>(AddObject(bitmap));
        return s;
    }();
    return *stock;
}

} // namespace

HBITMAP DefaultBitmap() {
    return Stock().defaultBitmap;
}

} // namespace device::gdi

using namespace device::gdi;

HGDIOBJ GetStockObject(int index) {
    if (index < 0 || index >= 18) return nullptr;
    return Stock().objects[index];
}

BOOL DeleteObject(HGDIOBJ handle) {
    auto object = FindObject(handle);
    if (!object || object->kind == Kind::Dc || object->kind == Kind::Icon) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (object->stock) return TRUE;
    // An object still selected into a context stays alive and valid.
    if (object->selections > 0) return FALSE;
    RemoveObject(handle);
    return TRUE;
}

DWORD GetObjectType(HGDIOBJ handle) {
    auto object = FindObject(handle);
    if (!object || object->kind == Kind::Icon) return 0;
    if (object->kind == Kind::Dc)
        return static_cast<DeviceContext*>(object.get())->IsMemory() ? OBJ_MEMDC : OBJ_DC;
    return static_cast<DWORD>(object->kind);
}

template <class T> static int CopyOut(const T& value, int size, LPVOID buffer) {
    if (!buffer) return sizeof(T);
    if (size < static_cast<int>(sizeof(T))) return 0;
    std::memcpy(buffer, &value, sizeof(T));
    return sizeof(T);
}

int GetObjectW(HGDIOBJ handle, int size, LPVOID buffer) {
    auto object = FindObject(handle);
    if (!object || size < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    switch (object->kind) {
    case Kind::Bitmap: {
        auto* b = static_cast<BitmapObject*>(object.get());
        const Bitmap& bmp = *b->bitmap;
        BITMAP info{};
        info.bmWidth = bmp.Width();
        info.bmHeight = bmp.Height();
        info.bmPlanes = 1;
        info.bmBitsPixel = static_cast<WORD>(bmp.BitsPerPixel());
        info.bmWidthBytes =
            bmp.IsMono()
                ? (bmp.Width() + 15) / 16 * 2
                : (b->dibSection ? bmp.Stride() : (bmp.Width() * bmp.BitsPerPixel() / 8 + 1) / 2 * 2);
        info.bmBits = b->dibSection ? static_cast<void*>(b->bitmap->Bits()) : nullptr;
        if (b->dibSection && buffer && size >= static_cast<int>(sizeof(DIBSECTION))) {
            DIBSECTION ds{};
            ds.dsBm = info;
            ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
            ds.dsBmih.biWidth = bmp.Width();
            ds.dsBmih.biHeight = bmp.BottomUp() ? bmp.Height() : -bmp.Height();
            ds.dsBmih.biPlanes = 1;
            ds.dsBmih.biBitCount = info.bmBitsPixel;
            ds.dsBmih.biCompression = BI_RGB;
            ds.dsBmih.biSizeImage = static_cast<DWORD>(bmp.ByteSize());
            return CopyOut(ds, size, buffer);
        }
        return CopyOut(info, size, buffer);
    }
    case Kind::Font:
        return CopyOut(static_cast<FontObject*>(object.get())->logFont, size, buffer);
    case Kind::Pen: {
        auto* p = static_cast<PenObject*>(object.get());
        LOGPEN lp{static_cast<UINT>(p->style), POINT{p->width, 0}, p->colour};
        return CopyOut(lp, size, buffer);
    }
    case Kind::Brush: {
        auto* b = static_cast<BrushObject*>(object.get());
        LOGBRUSH lb{static_cast<UINT>(b->style), b->colour, 0};
        return CopyOut(lb, size, buffer);
    }
    default:
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
}

HPEN CreatePen(int style, int width, COLORREF colour) {
    if (style != PS_SOLID && style != PS_DASH && style != PS_DOT && style != PS_NULL &&
        style != PS_INSIDEFRAME) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto pen = std::make_shared<PenObject>();
    pen->style = style == PS_INSIDEFRAME ? PS_SOLID : style;
    // Widths are capped so that no line is huge; a dashed or dotted pen wider than one pixel
    // draws solid, as on the device.
    pen->width = std::clamp(width, 1, 64);
    if ((style == PS_DASH || style == PS_DOT) && pen->width > 1) pen->style = PS_SOLID;
    pen->colour = colour & 0xFFFFFF;
    return static_cast<HPEN>(AddObject(pen));
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
    if (!pen) return nullptr;
    return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    auto brush = std::make_shared<BrushObject>();
    brush->colour = colour & 0xFFFFFF;
    return static_cast<HBRUSH>(AddObject(brush));
}

HBRUSH CreatePatternBrush(HBITMAP pattern) {
    auto source = FindBitmap(pattern);
    if (!source) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // The brush keeps its own copy: later changes to the bitmap do not change the brush.
    const Bitmap& src = *source->bitmap;
    std::shared_ptr<Bitmap> copy(Bitmap::Create(src.Width(), src.Height(), src.Format()));
    for (int y = 0; y < src.Height(); ++y)
        for (int x = 0; x < src.Width(); ++x)
            copy->Put(x, y, src.Get(x, y));
    auto brush = std::make_shared<BrushObject>();
    brush->style = BS_PATTERN;
    brush->pattern = copy;
    return static_cast<HBRUSH>(AddObject(brush));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
    if (!brush) return nullptr;
    if (brush->lbStyle == BS_NULL) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    if (brush->lbStyle == BS_SOLID) return CreateSolidBrush(brush->lbColor);
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
}

// ---- Bitmaps -----------------------------------------------------------------------------------

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    if (planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 24 && bitsPerPixel != 32)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    PixelFormat format = bitsPerPixel == 1 ? PixelFormat::Mono : PixelFormat::Xrgb32;
    std::shared_ptr<Bitmap> bitmap(Bitmap::Create(width, height, format));
    if (!bitmap) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (bits) {
        auto* src = static_cast<const uint8_t*>(bits);
        if (bitsPerPixel == 1) {
            bitmap->LoadPackedMono(src, 2);
        } else {
            // Device-dependent rows are padded to 16 bits.
            int rowBytes = (width * static_cast<int>(bitsPerPixel) / 8 + 1) / 2 * 2;
            for (int y = 0; y < height; ++y) {
                const uint8_t* row = src + static_cast<size_t>(y) * rowBytes;
                for (int x = 0; x < width; ++x) {
                    const uint8_t* p = row + x * (bitsPerPixel / 8);
                    bitmap->Put(x, y, p[0] | (p[1] << 8) | (p[2] << 16));
                }
            }
        }
    }
    return AddBitmap(bitmap, false);
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    // A context with a monochrome bitmap selected makes monochrome bitmaps, as on the device.
    bool mono = false;
    if (dc) {
        DeviceContext* ctx = FindDc(dc);
        if (!ctx) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        Bitmap* target = ctx->Target();
        mono = target && target->IsMono();
    }
    std::shared_ptr<Bitmap> bitmap(
        Bitmap::Create(width, height, mono ? PixelFormat::Mono : PixelFormat::Xrgb32));
    if (!bitmap) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return AddBitmap(bitmap, false);
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
    if (bits) *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS || section || info->bmiHeader.biPlanes > 1 ||
        info->bmiHeader.biCompression != BI_RGB ||
        (info->bmiHeader.biBitCount != 24 && info->bmiHeader.biBitCount != 32)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    LONG h = info->bmiHeader.biHeight;
    if (h == INT32_MIN) return nullptr;
    bool bottomUp = h > 0;
    std::shared_ptr<Bitmap> bitmap(Bitmap::Create(
        info->bmiHeader.biWidth, bottomUp ? h : -h,
        info->bmiHeader.biBitCount == 24 ? PixelFormat::Rgb24 : PixelFormat::Xrgb32, bottomUp));
    if (!bitmap) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (bits) *bits = bitmap->Bits();
    return AddBitmap(bitmap, true);
}

// ---- Regions -----------------------------------------------------------------------------------

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    auto region = std::make_shared<RegionObject>();
    region->region = Region(RectNormalized(RECT{left, top, right, bottom}));
    return static_cast<HRGN>(AddObject(region));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
    if (!rect) return nullptr;
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode) {
    auto dst = FindRegion(destination);
    auto a = FindRegion(source1);
    auto b = mode == RGN_COPY ? a : FindRegion(source2);
    if (!dst || !a || !b) return ERROR;
    Region result = a->region;
    switch (mode) {
    case RGN_AND:
        result.Intersect(b->region);
        break;
    case RGN_OR:
        result.Unite(b->region);
        break;
    case RGN_XOR:
        result.Xor(b->region);
        break;
    case RGN_DIFF:
        result.Subtract(b->region);
        break;
    case RGN_COPY:
        break;
    default:
        return ERROR;
    }
    dst->region = result;
    return dst->region.Complexity();
}

int GetRgnBox(HRGN handle, LPRECT rect) {
    auto region = FindRegion(handle);
    if (!region || !rect) return ERROR;
    *rect = region->region.Box();
    return region->region.Complexity();
}

BOOL PtInRegion(HRGN handle, int x, int y) {
    auto region = FindRegion(handle);
    return region && region->region.Contains(x, y);
}

BOOL RectInRegion(HRGN handle, const RECT* rect) {
    auto region = FindRegion(handle);
    return region && rect && region->region.Overlaps(RectNormalized(*rect));
}

int OffsetRgn(HRGN handle, int dx, int dy) {
    auto region = FindRegion(handle);
    if (!region) return ERROR;
    region->region.Offset(dx, dy);
    return region->region.Complexity();
}
