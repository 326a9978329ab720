#pragma once
// The layer's GDI objects behind the handles: a handle table that never reuses a value (so a
// deleted or made-up handle is recognised and refused), and the object types themselves.

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/FontEngine.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/WinGdi.h"

#include <memory>

namespace device::gdi {

class DeviceContext;

enum class Kind {
    Pen = OBJ_PEN,
    Brush = OBJ_BRUSH,
    Dc = OBJ_DC,
    Font = OBJ_FONT,
    Bitmap = OBJ_BITMAP,
    Region = OBJ_REGION,
    Icon = 100
};

struct GdiObject {
    explicit GdiObject(Kind k) : kind(k) {}
    virtual ~GdiObject() = default;
    Kind kind;
    bool stock = false;
    int selections = 0; // how many contexts have it selected (bitmaps: at most one)
    void* handle = nullptr;
};

struct PenObject : GdiObject {
    PenObject() : GdiObject(Kind::Pen) {}
    int style = PS_SOLID;
    int width = 1;
    COLORREF colour = 0;
};

struct BrushObject : GdiObject {
    BrushObject() : GdiObject(Kind::Brush) {}
    int style = BS_SOLID;
    COLORREF colour = 0;
    std::shared_ptr<const Bitmap> pattern; // BS_PATTERN: a private copy of the pattern bitmap
};

struct FontObject : GdiObject {
    FontObject() : GdiObject(Kind::Font) {}
    LOGFONTW logFont{};
    std::shared_ptr<FontInstance> instance; // null if no font file could be opened
};

struct BitmapObject : GdiObject {
    BitmapObject() : GdiObject(Kind::Bitmap) {}
    std::shared_ptr<Bitmap> bitmap;
    bool dibSection = false;
};

struct RegionObject : GdiObject {
    RegionObject() : GdiObject(Kind::Region) {}
    Region region;
};

struct IconObject : GdiObject {
    IconObject() : GdiObject(Kind::Icon) {}
    std::shared_ptr<Bitmap> colour; // 32-bit
    std::shared_ptr<Bitmap> mask;   // monochrome; 1 keeps the destination
    std::vector<uint8_t> alpha;     // optional per-pixel alpha of the colour image
    int width = 0, height = 0;
    DWORD hotX = 0, hotY = 0;
    BOOL isIcon = TRUE;
};

// Registers an object and returns its new handle.
void* AddObject(std::shared_ptr<GdiObject> object);
// The live object of a handle, or null (also for a handle of another kind).
std::shared_ptr<GdiObject> FindObject(const void* handle);
template <class T> std::shared_ptr<T> Find(const void* handle, Kind kind) {
    auto object = FindObject(handle);
    if (!object || object->kind != kind) return nullptr;
    return std::static_pointer_cast<T>(object);
}
// Removes a handle from the table; the object lives on while something still holds it.
bool RemoveObject(const void* handle);

std::shared_ptr<PenObject> FindPen(const void* h);
std::shared_ptr<BrushObject> FindBrush(const void* h);
std::shared_ptr<FontObject> FindFont(const void* h);
std::shared_ptr<BitmapObject> FindBitmap(const void* h);
std::shared_ptr<RegionObject> FindRegion(const void* h);
std::shared_ptr<IconObject> FindIcon(const void* h);
DeviceContext* FindDc(HDC dc);

// New bitmap handle for a bitmap.
HBITMAP AddBitmap(std::shared_ptr<Bitmap> bitmap, bool dibSection);
// The stock system font's LOGFONT (Tahoma, 12 pixels at 96 dpi, scaled with LOGPIXELSY).
LOGFONTW SystemLogFont();
// The 1x1 monochrome bitmap every new memory context starts with.
HBITMAP DefaultBitmap();

} // namespace device::gdi
