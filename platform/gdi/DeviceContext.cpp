// Device contexts: creation and deletion, object selection, saved states, clipping, origins,
// colours and modes, capabilities, and the screen metrics behind them.
#include "platform/gdi/DeviceContext.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace device::gdi {

namespace {

std::mutex g_screenMutex;
std::shared_ptr<CallRecorder> g_defaultRecorder;

ScreenInfo& Screen() {
    static ScreenInfo* info = [] {
        auto* s = new ScreenInfo();
        if (const char* env = std::getenv("DEVICE_SCREEN")) {
            int w = 0, h = 0;
            if (std::sscanf(env, "%dx%d", &w, &h) == 2 && w >= 16 && h >= 16 && w <= 4096 && h <= 4096) {
                s->width = w;
                s->height = h;
            }
        }
        if (s->width >= 480 && s->height >= 480) {
            s->width /= 2;
            s->height /= 2;
            s->pixelScale = 2;
        }
        s->dpi = 96;
        return s;
    }();
    return *info;
}

void Retain(GdiObject* o) {
    if (o) ++o->selections;
}
void Release(GdiObject* o) {
    if (o) --o->selections;
}

} // namespace

ScreenInfo GetScreenInfo() {
    std::lock_guard<std::mutex> lock(g_screenMutex);
    return Screen();
}

void SetScreenInfo(const ScreenInfo& info) {
    std::lock_guard<std::mutex> lock(g_screenMutex);
    Screen() = info;
}

void RetainState(DcState& s) {
    Retain(s.pen.get());
    Retain(s.brush.get());
    Retain(s.font.get());
    Retain(s.bitmap.get());
}

void ReleaseState(DcState& s) {
    Release(s.pen.get());
    Release(s.brush.get());
    Release(s.font.get());
    Release(s.bitmap.get());
}

DeviceContext::~DeviceContext() {
    ReleaseState(state);
    for (DcState& s : saved)
        ReleaseState(s);
}

Bitmap* DeviceContext::Target() const {
    if (m_memory) return state.bitmap ? state.bitmap->bitmap.get() : nullptr;
    return m_surface;
}

RECT DeviceContext::DeviceBounds() const {
    if (m_memory) {
        Bitmap* b = Target();
        return b ? RECT{0, 0, b->Width(), b->Height()} : RECT{0, 0, 0, 0};
    }
    return RECT{m_surfaceClip.left - m_origin.x, m_surfaceClip.top - m_origin.y,
                m_surfaceClip.right - m_origin.x, m_surfaceClip.bottom - m_origin.y};
}

const Region& DeviceContext::Clip() {
    if (m_clipValid) return m_clip;
    Bitmap* b = Target();
    RECT bounds = b ? RECT{0, 0, b->Width(), b->Height()} : RECT{0, 0, 0, 0};
    if (!m_memory) bounds = RectIntersect(bounds, m_surfaceClip);
    m_clip = Region(bounds);
    if (!m_memory && m_systemClip) m_clip.Intersect(*m_systemClip);
    if (state.clip) {
        Region user = *state.clip;
        user.Offset(m_origin.x, m_origin.y);
        m_clip.Intersect(user);
    }
    m_clipValid = true;
    return m_clip;
}

std::shared_ptr<FontInstance> DeviceContext::Font() {
    if (state.font && state.font->instance) return state.font->instance;
    auto stock = FindFont(GetStockObject(SYSTEM_FONT));
    return stock ? stock->instance : nullptr;
}

RecordedCall DeviceContext::NewRecord(const char* name) const {
    RecordedCall c;
    c.call = name;
    c.textColour = state.textColour;
    c.bkColour = state.bkColour;
    c.bkMode = state.bkMode;
    if (state.pen) {
        c.penColour = state.pen->colour;
        c.penStyle = state.pen->style;
        c.penWidth = state.pen->width;
    }
    if (state.brush) {
        c.brushColour = state.brush->colour;
        c.hollowBrush = state.brush->style == BS_NULL;
    }
    c.rop2 = state.rop2;
    if (state.font) {
        c.fontFace = state.font->logFont.lfFaceName;
        c.fontHeight = state.font->logFont.lfHeight;
        c.fontWeight = state.font->logFont.lfWeight;
    }
    return c;
}

void DeviceContext::Record(RecordedCall call) {
    if (recorder) recorder->Add(std::move(call));
}

static std::shared_ptr<DeviceContext> NewContext() {
    auto dc = std::make_shared<DeviceContext>();
    dc->state.pen = FindPen(GetStockObject(BLACK_PEN));
    dc->state.brush = FindBrush(GetStockObject(WHITE_BRUSH));
    dc->state.font = FindFont(GetStockObject(SYSTEM_FONT));
    {
        std::lock_guard<std::mutex> lock(g_screenMutex);
        dc->recorder = g_defaultRecorder;
    }
    return dc;
}

HDC CreateDCForSurface(Bitmap* surface, POINT origin, RECT clip) {
    if (!surface) return nullptr;
    auto dc = NewContext();
    dc->m_memory = false;
    dc->m_surface = surface;
    dc->m_origin = origin;
    dc->m_surfaceClip = RectIntersect(RectNormalized(clip), RECT{0, 0, surface->Width(), surface->Height()});
    RetainState(dc->state);
    return static_cast<HDC>(AddObject(dc));
}

HDC CreateDCForSurface(Bitmap* surface, POINT origin, const Region& visible) {
    RECT box = visible.Empty() ? RECT{0, 0, 0, 0} : visible.Box();
    HDC dc = CreateDCForSurface(surface, origin, box);
    if (DeviceContext* ctx = FindDc(dc)) {
        ctx->m_systemClip = visible;
        ctx->InvalidateClip();
    }
    return dc;
}

Bitmap* TargetBitmap(HDC dc) {
    DeviceContext* ctx = FindDc(dc);
    return ctx ? ctx->Target() : nullptr;
}

bool SetRecorder(HDC dc, std::shared_ptr<CallRecorder> recorder) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx) return false;
    ctx->recorder = std::move(recorder);
    return true;
}

void SetDefaultRecorder(std::shared_ptr<CallRecorder> recorder) {
    std::lock_guard<std::mutex> lock(g_screenMutex);
    g_defaultRecorder = std::move(recorder);
}

} // namespace device::gdi

using namespace device::gdi;

HDC CreateCompatibleDC(HDC dc) {
    if (dc && !FindDc(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto ctx = NewContext();
    ctx->state.bitmap = FindBitmap(DefaultBitmap());
    RetainState(ctx->state);
    return static_cast<HDC>(AddObject(ctx));
}

BOOL DeleteDC(HDC dc) {
    if (!FindDc(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // The context's destructor releases its selections once the last reference goes.
    RemoveObject(dc);
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ handle) {
    DeviceContext* ctx = FindDc(dc);
    auto object = FindObject(handle);
    if (!ctx || !object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    DcState& s = ctx->state;
    switch (object->kind) {
    case Kind::Pen: {
        HGDIOBJ old = s.pen->handle;
        object->selections++;
        s.pen->selections--;
        s.pen = std::static_pointer_cast<PenObject>(object);
        return old;
    }
    case Kind::Brush: {
        HGDIOBJ old = s.brush->handle;
        object->selections++;
        s.brush->selections--;
        s.brush = std::static_pointer_cast<BrushObject>(object);
        return old;
    }
    case Kind::Font: {
        HGDIOBJ old = s.font->handle;
        object->selections++;
        s.font->selections--;
        s.font = std::static_pointer_cast<FontObject>(object);
        return old;
    }
    case Kind::Bitmap: {
        if (!ctx->IsMemory()) return nullptr;
        auto bitmap = std::static_pointer_cast<BitmapObject>(object);
        if (bitmap == s.bitmap) return handle;
        // A bitmap can be selected into one memory context at a time; this context's own saved
        // states may hold it too.
        if (!bitmap->stock) {
            int held = 0;
            for (const DcState& saved : ctx->saved) held += saved.bitmap == bitmap;
            if (bitmap->selections > held) return nullptr;
        }
        HGDIOBJ old = s.bitmap->handle;
        bitmap->selections++;
        s.bitmap->selections--;
        s.bitmap = bitmap;
        ctx->InvalidateClip();
        return old;
    }
    case Kind::Region: {
        int result = SelectClipRgn(dc, static_cast<HRGN>(handle));
        return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(result));
    }
    default:
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx) return nullptr;
    switch (type) {
    case OBJ_PEN:
        return ctx->state.pen->handle;
    case OBJ_BRUSH:
        return ctx->state.brush->handle;
    case OBJ_FONT:
        return ctx->state.font->handle;
    case OBJ_BITMAP:
        return ctx->state.bitmap ? ctx->state.bitmap->handle : nullptr;
    default:
        return nullptr;
    }
}

int SaveDC(HDC dc) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx) return 0;
    ctx->saved.push_back(ctx->state);
    RetainState(ctx->saved.back());
    return static_cast<int>(ctx->saved.size());
}

BOOL RestoreDC(HDC dc, int level) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx) return FALSE;
    int count = static_cast<int>(ctx->saved.size());
    int target = level < 0 ? count + 1 + level : level;
    if (target < 1 || target > count) return FALSE;
    DcState restored = ctx->saved[target - 1];
    // A bitmap that was selected into another context after the save cannot come back.
    if (restored.bitmap && !restored.bitmap->stock) {
        int held = ctx->state.bitmap == restored.bitmap ? 1 : 0;
        for (const DcState& s : ctx->saved)
            held += s.bitmap == restored.bitmap;
        if (restored.bitmap->selections > held) return FALSE;
    }
    ReleaseState(ctx->state);
    for (int i = target - 1; i < count; ++i)
        ReleaseState(ctx->saved[i]);
    ctx->state = restored;
    RetainState(ctx->state);
    ctx->saved.resize(target - 1);
    ctx->InvalidateClip();
    return TRUE;
}

// ---- Clipping ----------------------------------------------------------------------------------

static int ClipResult(DeviceContext* ctx) {
    return ctx->Clip().Complexity();
}

int SelectClipRgn(HDC dc, HRGN handle) {
    return ExtSelectClipRgn(dc, handle, RGN_COPY);
}

int ExtSelectClipRgn(HDC dc, HRGN handle, int mode) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx) return ERROR;
    if (!handle) {
        if (mode != RGN_COPY) return ERROR;
        ctx->state.clip.reset();
        ctx->InvalidateClip();
        return ClipResult(ctx);
    }
    auto region = FindRegion(handle);
    if (!region) return ERROR;
    Region current = ctx->state.clip ? *ctx->state.clip : Region(ctx->DeviceBounds());
    switch (mode) {
    case RGN_COPY:
        current = region->region;
        break;
    case RGN_AND:
        current.Intersect(region->region);
        break;
    case RGN_OR:
        current.Unite(region->region);
        break;
    case RGN_XOR:
        current.Xor(region->region);
        break;
    case RGN_DIFF:
        current.Subtract(region->region);
        break;
    default:
        return ERROR;
    }
    ctx->state.clip = current;
    ctx->InvalidateClip();
    return ClipResult(ctx);
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx) return ERROR;
    RECT r =
        RectNormalized(RECT{ctx->ToDevX(left), ctx->ToDevY(top), ctx->ToDevX(right), ctx->ToDevY(bottom)});
    Region current = ctx->state.clip ? *ctx->state.clip : Region(ctx->DeviceBounds());
    current.IntersectRect(r);
    ctx->state.clip = current;
    ctx->InvalidateClip();
    return ClipResult(ctx);
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx) return ERROR;
    RECT r =
        RectNormalized(RECT{ctx->ToDevX(left), ctx->ToDevY(top), ctx->ToDevX(right), ctx->ToDevY(bottom)});
    Region current = ctx->state.clip ? *ctx->state.clip : Region(ctx->DeviceBounds());
    current.SubtractRect(r);
    ctx->state.clip = current;
    ctx->InvalidateClip();
    return ClipResult(ctx);
}

int GetClipBox(HDC dc, LPRECT rect) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || !rect) return ERROR;
    RECT box = ctx->Clip().Box();
    // Back to logical coordinates.
    int dx = ctx->ToX(0), dy = ctx->ToY(0);
    if (!RectEmpty(box)) box = RECT{box.left - dx, box.top - dy, box.right - dx, box.bottom - dy};
    *rect = box;
    return ClipResult(ctx);
}

int GetClipRgn(HDC dc, HRGN handle) {
    DeviceContext* ctx = FindDc(dc);
    auto region = FindRegion(handle);
    if (!ctx || !region) return -1;
    if (!ctx->state.clip) return 0;
    region->region = *ctx->state.clip;
    return 1;
}

// ---- Origins -----------------------------------------------------------------------------------

static BOOL SetOrigin(HDC dc, POINT DcState::*member, int x, int y, LPPOINT previous, bool relative) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx) return FALSE;
    POINT& p = ctx->state.*member;
    if (previous) *previous = p;
    p = relative ? POINT{p.x + x, p.y + y} : POINT{x, y};
    return TRUE;
}

BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous) {
    return SetOrigin(dc, &DcState::viewportOrg, x, y, previous, false);
}
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT previous) {
    return SetOrigin(dc, &DcState::viewportOrg, dx, dy, previous, true);
}
BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous) {
    return SetOrigin(dc, &DcState::windowOrg, x, y, previous, false);
}
BOOL GetViewportOrgEx(HDC dc, LPPOINT origin) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || !origin) return FALSE;
    *origin = ctx->state.viewportOrg;
    return TRUE;
}
BOOL GetWindowOrgEx(HDC dc, LPPOINT origin) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || !origin) return FALSE;
    *origin = ctx->state.windowOrg;
    return TRUE;
}

// ---- Capabilities, colours and modes -----------------------------------------------------------

int GetDeviceCaps(HDC dc, int index) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx) return 0;
    ScreenInfo screen = GetScreenInfo();
    switch (index) {
    case TECHNOLOGY:
        return DT_RASDISPLAY;
    case HORZRES:
        return screen.width;
    case VERTRES:
        return screen.height;
    case HORZSIZE:
        return screen.width * 254 / (screen.dpi * 10);
    case VERTSIZE:
        return screen.height * 254 / (screen.dpi * 10);
    case BITSPIXEL: {
        Bitmap* b = ctx->Target();
        return ctx->IsMemory() && b && b->IsMono() ? 1 : 32;
    }
    case PLANES:
        return 1;
    case NUMCOLORS:
        return -1;
    case RASTERCAPS:
        return RC_BITBLT | RC_STRETCHBLT;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return screen.dpi;
    default:
        return 0;
    }
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx) return CLR_INVALID;
    COLORREF old = ctx->state.textColour;
    ctx->state.textColour = colour & 0xFFFFFF;
    return old;
}
COLORREF GetTextColor(HDC dc) {
    DeviceContext* ctx = FindDc(dc);
    return ctx ? ctx->state.textColour : CLR_INVALID;
}
COLORREF SetBkColor(HDC dc, COLORREF colour) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx) return CLR_INVALID;
    COLORREF old = ctx->state.bkColour;
    ctx->state.bkColour = colour & 0xFFFFFF;
    return old;
}
COLORREF GetBkColor(HDC dc) {
    DeviceContext* ctx = FindDc(dc);
    return ctx ? ctx->state.bkColour : CLR_INVALID;
}
int SetBkMode(HDC dc, int mode) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int old = ctx->state.bkMode;
    ctx->state.bkMode = mode;
    return old;
}
int GetBkMode(HDC dc) {
    DeviceContext* ctx = FindDc(dc);
    return ctx ? ctx->state.bkMode : 0;
}
int SetROP2(HDC dc, int mode) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || mode < R2_BLACK || mode > R2_WHITE) return 0;
    int old = ctx->state.rop2;
    ctx->state.rop2 = mode;
    return old;
}
int GetROP2(HDC dc) {
    DeviceContext* ctx = FindDc(dc);
    return ctx ? ctx->state.rop2 : 0;
}
