#pragma once
// A device context: a drawing target (a bitmap, an origin on it and a clip rectangle), the
// selected objects, colours, modes, origins and a user clip region, and a stack of saved states.
// Memory contexts draw on the bitmap selected into them; surface contexts (CreateDCForSurface)
// draw on part of a bitmap someone else owns, such as a window's area of the screen.

#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Recorder.h"

#include <optional>
#include <vector>

namespace device::gdi {

struct DcState {
    std::shared_ptr<PenObject> pen;
    std::shared_ptr<BrushObject> brush;
    std::shared_ptr<FontObject> font;
    std::shared_ptr<BitmapObject> bitmap; // memory contexts only
    COLORREF textColour = 0;
    COLORREF bkColour = 0xFFFFFF;
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    POINT position{0, 0};
    POINT viewportOrg{0, 0};
    POINT windowOrg{0, 0};
    std::optional<Region> clip; // the caller's clip region, in device units of this context
};

class DeviceContext : public GdiObject {
public:
    DeviceContext() : GdiObject(Kind::Dc) {}
    ~DeviceContext() override;

    bool IsMemory() const { return m_memory; }
    // The bitmap drawn on; null for a surface context whose owner has detached it.
    Bitmap* Target() const;
    // The clip in the target bitmap's coordinates: target bounds, surface clip and caller's clip.
    const Region& Clip();
    void InvalidateClip() { m_clipValid = false; }

    // Logical to target bitmap coordinates, kept within +-2^28 so that no later arithmetic on
    // them overflows (anything that far out is off every bitmap anyway).
    static int Safe(long long v) { return static_cast<int>(v < -kFar ? -kFar : v > kFar ? kFar : v); }
    static constexpr long long kFar = 1LL << 28;
    int ToX(int x) const {
        return Safe(static_cast<long long>(x) - state.windowOrg.x + state.viewportOrg.x + m_origin.x);
    }
    int ToY(int y) const {
        return Safe(static_cast<long long>(y) - state.windowOrg.y + state.viewportOrg.y + m_origin.y);
    }
    RECT ToTarget(const RECT& r) const { return RECT{ToX(r.left), ToY(r.top), ToX(r.right), ToY(r.bottom)}; }
    // Logical to this context's device units (no surface origin): clip regions live there.
    int ToDevX(int x) const {
        return Safe(static_cast<long long>(x) - state.windowOrg.x + state.viewportOrg.x);
    }
    int ToDevY(int y) const {
        return Safe(static_cast<long long>(y) - state.windowOrg.y + state.viewportOrg.y);
    }
    // Size of the drawable area in device units (bitmap or surface clip).
    RECT DeviceBounds() const;

    // The selected objects' drawing values.
    bool PenVisible() const { return state.pen && state.pen->style != PS_NULL; }
    bool BrushVisible() const { return state.brush && state.brush->style != BS_NULL; }
    uint32_t PenRgb() const { return ToRgb(state.pen ? state.pen->colour : 0); }
    int PenWidth() const { return state.pen && state.pen->width > 1 ? state.pen->width : 1; }
    // The font instance in use (the stock system font when the selected one has no file).
    std::shared_ptr<FontInstance> Font();

    void Record(RecordedCall call);
    RecordedCall NewRecord(const char* name) const;

    DcState state;
    std::vector<DcState> saved;
    std::shared_ptr<CallRecorder> recorder;

    bool m_memory = true;
    Bitmap* m_surface = nullptr;
    POINT m_origin{0, 0};
    RECT m_surfaceClip{0, 0, 0, 0};
    // The part of the surface the context's owner lets it draw on (a window's visible region),
    // in surface coordinates; every clip the caller selects is intersected with it.
    std::optional<Region> m_systemClip;

private:
    Region m_clip;
    bool m_clipValid = false;
};

// Selection bookkeeping used when a context is deleted or a state is restored.
void ReleaseState(DcState& state);
void RetainState(DcState& state);

// Internal API for the window manager: a context drawing on surface, with logical (0, 0) at
// origin and every pixel outside clip (surface coordinates) left untouched. The surface must
// outlive the context.
HDC CreateDCForSurface(Bitmap* surface, POINT origin, RECT clip);
// The same, drawing only inside a region of several rectangles (surface coordinates), whatever
// clip region the caller selects later.
HDC CreateDCForSurface(Bitmap* surface, POINT origin, const Region& visible);

// The bitmap a memory context has selected, or the surface of a surface context.
Bitmap* TargetBitmap(HDC dc);

// Screen metrics for GetDeviceCaps and compatible bitmaps. Initialised from DEVICE_SCREEN
// (default 240x320 at 96 dpi); the display layer updates them on rotation. The program is not
// written for VGA screens, so on one (both sides 480 or more, as 480x640 and 640x480) it runs, as
// the device runs such a program, at half the size in each direction with every pixel shown
// doubled: width and height are then the program's (240x320), pixelScale 2.
struct ScreenInfo {
    int width = 240;
    int height = 320;
    int dpi = 96;
    int pixelScale = 1;  // screen pixels per pixel the program draws
};
ScreenInfo GetScreenInfo();
void SetScreenInfo(const ScreenInfo& info);

} // namespace device::gdi
