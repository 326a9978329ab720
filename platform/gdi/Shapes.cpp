// Shapes: pixels, lines, polylines, polygons, rectangles, rounded rectangles, ellipses, brush
// fills, frames, focus rectangles and 3-D edges, with the device's pixel rules: a line leaves out
// its last point, and a shape's bounding rectangle excludes its right and bottom edges.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Raster.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace device::gdi;

namespace {

// A PS_DASH pen draws 6 pixels and leaves 2; PS_DOT draws 1 and leaves 1 (both continue along a
// polyline).
bool PatternOn(int style, int step) {
    if (style == PS_DASH) return step % 8 < 6;
    if (style == PS_DOT) return step % 2 == 0;
    return true;
}

// The span of row y of a box (right/bottom exclusive) whose corners are rounded by an ellipse of
// ew x eh; an ellipse is the box rounded by its own size. Pixels are in when their centre is.
bool RoundBoxRow(double l, double t, double r, double b, double ew, double eh, int y, int& x0, int& x1) {
    double py = y + 0.5;
    if (py <= t || py >= b || r <= l) return false;
    ew = std::min(ew, r - l);
    eh = std::min(eh, b - t);
    double inset = 0;
    if (ew > 1 && eh > 1) {
        double rx = ew / 2, ry = eh / 2, dy = 0;
        if (py < t + ry)
            dy = t + ry - py;
        else if (py > b - ry)
            dy = py - (b - ry);
        if (dy >= ry) return false;
        double q = dy / ry;
        inset = rx - rx * std::sqrt(1 - q * q);
    }
    x0 = static_cast<int>(std::ceil(l + inset - 0.5));
    x1 = static_cast<int>(std::floor(r - inset - 0.5)) + 1;
    return x1 > x0;
}

// The colour a brush paints at a target pixel.
uint32_t BrushColourAt(DeviceContext& ctx, const BrushObject& brush, int x, int y) {
    if (brush.style != BS_PATTERN || !brush.pattern) return ToRgb(brush.colour);
    const Bitmap& p = *brush.pattern;
    int px = ((x % p.Width()) + p.Width()) % p.Width();
    int py = ((y % p.Height()) + p.Height()) % p.Height();
    uint32_t c = p.Get(px, py);
    // A monochrome pattern takes the context's colours: 0 text colour, 1 background colour.
    if (p.IsMono()) return c ? ToRgb(ctx.state.bkColour) : ToRgb(ctx.state.textColour);
    return c;
}

void BrushSpan(DeviceContext& ctx, const BrushObject& brush, int y, int x0, int x1, int rop2) {
    Bitmap* bmp = ctx.Target();
    if (!bmp || brush.style == BS_NULL) return;
    RECT cb = ctx.Clip().Box();
    x0 = std::max<int>(x0, cb.left);
    x1 = std::min<int>(x1, cb.right);
    if (x0 >= x1 || y < cb.top || y >= cb.bottom) return;
    if (brush.style != BS_PATTERN) {
        raster::Span(*bmp, ctx.Clip(), y, x0, x1, ToRgb(brush.colour), rop2);
        return;
    }
    for (int x = x0; x < x1; ++x)
        raster::Pixel(*bmp, ctx.Clip(), x, y, BrushColourAt(ctx, brush, x, y), rop2);
}

// One-pixel line in target coordinates, last point excluded; step carries the pen pattern on.
// Point i of the line lies i steps along the major axis, and the minor axis offset is i times the
// slope rounded to nearest; only the steps that can reach the clip box are visited.
void ThinLine(DeviceContext& ctx, int x0, int y0, int x1, int y1, int& step) {
    Bitmap* bmp = ctx.Target();
    if (!bmp) return;
    const Region& clip = ctx.Clip();
    RECT box = clip.Box();
    const long long adx = std::llabs(static_cast<long long>(x1) - x0);
    const long long ady = std::llabs(static_cast<long long>(y1) - y0);
    const int sx = x0 <= x1 ? 1 : -1, sy = y0 <= y1 ? 1 : -1;
    const bool xMajor = adx >= ady;
    const long long n = xMajor ? adx : ady; // points drawn: the last one is left out
    const long long major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    const int style = ctx.state.pen->style;
    // Both pen patterns repeat every 8 pixels: the phase is kept modulo 8.
    const int startStep = step;
    step = static_cast<int>((static_cast<long long>(step) + n) % 8);
    if (n == 0 || RectEmpty(box)) return;
    auto minorAt = [&](long long i) { return (2 * i * minor + major) / (2 * major); };
    // Steps whose major coordinate is inside the box.
    auto range = [](long long origin, int sign, long long lo, long long hi, long long count, long long& a,
                    long long& b) {
        // origin + sign * i in [lo, hi)
        if (sign > 0) {
            a = lo - origin;
            b = hi - origin;
        } else {
            a = origin - hi + 1;
            b = origin - lo + 1;
        }
        a = std::max<long long>(a, 0);
        b = std::min<long long>(b, count);
    };
    long long a = 0, b = 0;
    const long long mo = xMajor ? x0 : y0, no = xMajor ? y0 : x0;
    const int ms = xMajor ? sx : sy, ns = xMajor ? sy : sx;
    range(mo, ms, xMajor ? box.left : box.top, xMajor ? box.right : box.bottom, n, a, b);
    if (a >= b) return;
    // Narrow further by the minor axis: its offset grows monotonically with i.
    long long lo = 0, hi = 0;
    range(no, ns, xMajor ? box.top : box.left, xMajor ? box.bottom : box.right, INT64_MAX / 4, lo, hi);
    if (lo >= hi) return;
    auto firstAtLeast = [&](long long value, long long from, long long to) {
        while (from < to) {
            long long mid = from + (to - from) / 2;
            if (minorAt(mid) >= value)
                to = mid;
            else
                from = mid + 1;
        }
        return from;
    };
    long long a2 = firstAtLeast(lo, a, b);
    long long b2 = firstAtLeast(hi, a2, b);
    const uint32_t rgb = ctx.PenRgb();
    const int rop = ctx.state.rop2;
    for (long long i = a2; i < b2; ++i) {
        if (!PatternOn(style, static_cast<int>((startStep + i) % 8))) continue;
        long long m = mo + ms * i, k = no + ns * minorAt(i);
        int x = static_cast<int>(xMajor ? m : k), y = static_cast<int>(xMajor ? k : m);
        raster::Pixel(*bmp, clip, x, y, rgb, rop);
    }
}

// A line of a wide pen: every pixel whose centre is nearer than width/2 to the segment (round
// ends), each pixel once.
void WideLine(DeviceContext& ctx, int x0, int y0, int x1, int y1) {
    Bitmap* bmp = ctx.Target();
    if (!bmp) return;
    int w = ctx.PenWidth();
    double r = w / 2.0;
    // Even widths centre on the pixel edge above/left of the line's pixels.
    double shift = (w % 2 == 0) ? 0.0 : 0.5;
    double ax = x0 + shift, ay = y0 + shift, bx = x1 + shift, by = y1 + shift;
    double vx = bx - ax, vy = by - ay, len2 = vx * vx + vy * vy;
    RECT clipBox = ctx.Clip().Box();
    int top = std::max<int>(static_cast<int>(std::floor(std::min(ay, by) - r)), clipBox.top);
    int bottom = std::min<int>(static_cast<int>(std::ceil(std::max(ay, by) + r)), clipBox.bottom - 1);
    int left = std::max<int>(static_cast<int>(std::floor(std::min(ax, bx) - r)), clipBox.left);
    int right = std::min<int>(static_cast<int>(std::ceil(std::max(ax, bx) + r)), clipBox.right - 1);
    for (int y = top; y <= bottom; ++y) {
        int first = INT32_MAX, last = INT32_MIN;
        for (int x = left; x <= right; ++x) {
            double px = x + 0.5 - ax, py = y + 0.5 - ay;
            double t = len2 > 0 ? std::clamp((px * vx + py * vy) / len2, 0.0, 1.0) : 0.0;
            double ex = px - t * vx, ey = py - t * vy;
            if (ex * ex + ey * ey < r * r - 1e-9) {
                first = std::min(first, x);
                last = x;
            }
        }
        if (first <= last) raster::Span(*bmp, ctx.Clip(), y, first, last + 1, ctx.PenRgb(), ctx.state.rop2);
    }
}

void PenLine(DeviceContext& ctx, int x0, int y0, int x1, int y1, int& step) {
    if (!ctx.PenVisible()) return;
    if (ctx.PenWidth() > 1)
        WideLine(ctx, x0, y0, x1, y1);
    else
        ThinLine(ctx, x0, y0, x1, y1, step);
}

void RecordPoints(DeviceContext& ctx, const char* name, const POINT* pts, int count) {
    if (!ctx.recorder) return;
    RecordedCall c = ctx.NewRecord(name);
    c.points.assign(pts, pts + count);
    if (count > 0) c.pos = pts[0];
    ctx.Record(std::move(c));
}

void RecordRect(DeviceContext& ctx, const char* name, const RECT& r) {
    if (!ctx.recorder) return;
    RecordedCall c = ctx.NewRecord(name);
    c.rect = r;
    c.pos = POINT{r.left, r.top};
    ctx.Record(std::move(c));
}

// A box shape (rectangle, rounded rectangle, ellipse): interior with the brush, border with the
// pen, in target coordinates. corner = 0 for plain rectangles.
void BoxShape(DeviceContext& ctx, RECT box, double ew, double eh, bool isRectangle) {
    box = RectNormalized(box);
    if (!ctx.Target() || RectEmpty(box)) return;
    bool pen = ctx.PenVisible();
    int w = pen ? ctx.PenWidth() : 0;
    int lo = (w - 1) / 2; // how far a wide border reaches outside the box
    double ol = box.left - lo, ot = box.top - lo, orr = box.right + lo, ob = box.bottom + lo;
    double il = ol + w, it = ot + w, ir = orr - w, ib = ob - w;
    // Without a pen a rectangle's fill leaves out the right and bottom edges.
    if (!pen && isRectangle) {
        ir = box.right - 1;
        ib = box.bottom - 1;
        il = box.left;
        it = box.top;
    } else if (!pen) {
        il = ol, it = ot, ir = orr, ib = ob;
    }
    const Region& clip = ctx.Clip();
    RECT cb = clip.Box();
    int yStart = std::max<int>(static_cast<int>(ot), cb.top),
        yEnd = std::min<int>(static_cast<int>(ob), cb.bottom);
    for (int y = yStart; y < yEnd; ++y) {
        int a0 = 0, a1 = 0, b0 = 0, b1 = 0;
        bool inner = RoundBoxRow(il, it, ir, ib, ew - 2 * w, eh - 2 * w, y, b0, b1);
        if (inner && ctx.BrushVisible()) BrushSpan(ctx, *ctx.state.brush, y, b0, b1, ctx.state.rop2);
        if (!pen) continue;
        if (!RoundBoxRow(ol, ot, orr, ob, ew, eh, y, a0, a1)) continue;
        Bitmap& bmp = *ctx.Target();
        if (!inner || b0 >= b1) {
            raster::Span(bmp, clip, y, a0, a1, ctx.PenRgb(), ctx.state.rop2);
        } else {
            raster::Span(bmp, clip, y, a0, std::min(b0, a1), ctx.PenRgb(), ctx.state.rop2);
            raster::Span(bmp, clip, y, std::max(b1, a0), a1, ctx.PenRgb(), ctx.state.rop2);
        }
    }
    // Dashed rectangle borders: redraw as dashed lines instead of the solid ring.
}

void DashedRectangle(DeviceContext& ctx, RECT box) {
    box = RectNormalized(box);
    if (RectEmpty(box)) return;
    RECT cb = ctx.Clip().Box();
    if (ctx.BrushVisible())
        for (int y = std::max<int>(box.top + 1, cb.top); y < std::min<int>(box.bottom - 1, cb.bottom); ++y)
            BrushSpan(ctx, *ctx.state.brush, y, box.left + 1, box.right - 1, ctx.state.rop2);
    int step = 0;
    int r = box.right - 1, b = box.bottom - 1;
    ThinLine(ctx, box.left, box.top, r, box.top, step);
    ThinLine(ctx, r, box.top, r, b, step);
    ThinLine(ctx, r, b, box.left, b, step);
    ThinLine(ctx, box.left, b, box.left, box.top, step);
    if (box.right - box.left == 1 && box.bottom - box.top == 1)
        ThinLine(ctx, box.left, box.top, box.left + 1, box.top, step);
}

// Even-odd fill of a polygon given in target coordinates; pixel centres decide, right and
// bottom edges are left out.
void FillPolygon(DeviceContext& ctx, const std::vector<POINT>& pts) {
    if (!ctx.BrushVisible() || pts.size() < 3) return;
    RECT cb = ctx.Clip().Box();
    long minY = pts[0].y, maxY = pts[0].y;
    for (const POINT& p : pts) {
        minY = std::min<long>(minY, p.y);
        maxY = std::max<long>(maxY, p.y);
    }
    int y0 = static_cast<int>(std::max<long>(minY, cb.top)),
        y1 = static_cast<int>(std::min<long>(maxY, cb.bottom));
    std::vector<double> xs;
    for (int y = y0; y < y1; ++y) {
        double py = y + 0.5 - 0.5; // vertices sit on pixel centres
        xs.clear();
        for (size_t i = 0; i < pts.size(); ++i) {
            const POINT& a = pts[i];
            const POINT& b = pts[(i + 1) % pts.size()];
            if (a.y == b.y) continue;
            double ya = a.y, yb = b.y;
            if ((py >= ya && py < yb) || (py >= yb && py < ya))
                xs.push_back(a.x + (py - ya) * (static_cast<double>(b.x) - a.x) / (yb - ya));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t i = 0; i + 1 < xs.size(); i += 2) {
            double l = std::max<double>(xs[i], cb.left - 1.0),
                   r = std::min<double>(xs[i + 1], cb.right + 1.0);
            int a = static_cast<int>(std::ceil(l)), b = static_cast<int>(std::ceil(r));
            if (b > a) BrushSpan(ctx, *ctx.state.brush, y, a, b, ctx.state.rop2);
        }
    }
}

} // namespace

// ---- Pixels ------------------------------------------------------------------------------------

COLORREF GetPixel(HDC dc, int x, int y) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || !ctx->Target()) return CLR_INVALID;
    int tx = ctx->ToX(x), ty = ctx->ToY(y);
    if (!ctx->Clip().Contains(tx, ty)) return CLR_INVALID;
    return ToColorRef(ctx->Target()->Get(tx, ty));
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || !ctx->Target()) return static_cast<COLORREF>(-1);
    int tx = ctx->ToX(x), ty = ctx->ToY(y);
    if (!ctx->Clip().Contains(tx, ty)) return static_cast<COLORREF>(-1);
    Bitmap& bmp = *ctx->Target();
    bmp.Put(tx, ty, ToRgb(colour));
    return ToColorRef(bmp.Get(tx, ty));
}

// ---- Lines -------------------------------------------------------------------------------------

BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx) return FALSE;
    if (previous) *previous = ctx->state.position;
    ctx->state.position = POINT{x, y};
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC dc, LPPOINT position) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || !position) return FALSE;
    *position = ctx->state.position;
    return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx) return FALSE;
    POINT from = ctx->state.position;
    POINT pts[2] = {from, POINT{x, y}};
    RecordPoints(*ctx, "LineTo", pts, 2);
    int step = 0;
    PenLine(*ctx, ctx->ToX(from.x), ctx->ToY(from.y), ctx->ToX(x), ctx->ToY(y), step);
    ctx->state.position = POINT{x, y};
    return TRUE;
}

BOOL Polyline(HDC dc, const POINT* points, int count) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || !points || count < 2) return FALSE;
    RecordPoints(*ctx, "Polyline", points, count);
    int step = 0;
    for (int i = 1; i < count; ++i)
        PenLine(*ctx, ctx->ToX(points[i - 1].x), ctx->ToY(points[i - 1].y), ctx->ToX(points[i].x),
                ctx->ToY(points[i].y), step);
    return TRUE;
}

BOOL Polygon(HDC dc, const POINT* points, int count) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || !points || count < 2) return FALSE;
    RecordPoints(*ctx, "Polygon", points, count);
    std::vector<POINT> pts(points, points + count);
    for (POINT& p : pts)
        p = POINT{ctx->ToX(p.x), ctx->ToY(p.y)};
    FillPolygon(*ctx, pts);
    int step = 0;
    for (int i = 0; i < count; ++i) {
        const POINT& a = pts[i];
        const POINT& b = pts[(i + 1) % count];
        PenLine(*ctx, a.x, a.y, b.x, b.y, step);
    }
    return TRUE;
}

// ---- Box shapes --------------------------------------------------------------------------------

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx) return FALSE;
    RecordRect(*ctx, "Rectangle", RECT{left, top, right, bottom});
    RECT box = ctx->ToTarget(RECT{left, top, right, bottom});
    if (ctx->PenVisible() && ctx->state.pen->style != PS_SOLID)
        DashedRectangle(*ctx, box);
    else
        BoxShape(*ctx, box, 0, 0, true);
    return TRUE;
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx) return FALSE;
    RecordRect(*ctx, "RoundRect", RECT{left, top, right, bottom});
    BoxShape(*ctx, ctx->ToTarget(RECT{left, top, right, bottom}), std::fabs(static_cast<double>(width)),
             std::fabs(static_cast<double>(height)), true);
    return TRUE;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx) return FALSE;
    RecordRect(*ctx, "Ellipse", RECT{left, top, right, bottom});
    RECT box = RectNormalized(ctx->ToTarget(RECT{left, top, right, bottom}));
    BoxShape(*ctx, box, box.right - box.left, box.bottom - box.top, false);
    return TRUE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH handle) {
    DeviceContext* ctx = FindDc(dc);
    // The device accepts a system colour index + 1 in place of a brush.
    auto brush = FindBrush(handle);
    if (!brush && reinterpret_cast<uintptr_t>(handle) >= 1 && reinterpret_cast<uintptr_t>(handle) <= 32)
        brush = FindBrush(GetSysColorBrush(static_cast<int>(reinterpret_cast<uintptr_t>(handle)) - 1));
    if (!ctx || !rect || !brush) return FALSE;
    if (ctx->recorder) {
        RecordedCall c = ctx->NewRecord("FillRect");
        c.rect = *rect;
        c.pos = POINT{rect->left, rect->top};
        c.brushColour = brush->colour;
        c.hollowBrush = brush->style == BS_NULL;
        ctx->Record(std::move(c));
    }
    RECT r = ctx->ToTarget(*rect);
    if (RectEmpty(r)) return TRUE;
    RECT cb = ctx->Clip().Box();
    r = RectIntersect(r, cb);
    for (int y = r.top; y < r.bottom; ++y)
        BrushSpan(*ctx, *brush, y, r.left, r.right, R2_COPYPEN);
    return TRUE;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH handle) {
    DeviceContext* ctx = FindDc(dc);
    auto brush = FindBrush(handle);
    if (!ctx || !rect || !brush) return FALSE;
    RecordRect(*ctx, "FrameRect", *rect);
    RECT r = ctx->ToTarget(*rect);
    if (RectEmpty(r)) return TRUE;
    BrushSpan(*ctx, *brush, r.top, r.left, r.right, R2_COPYPEN);
    if (r.bottom - 1 > r.top) BrushSpan(*ctx, *brush, r.bottom - 1, r.left, r.right, R2_COPYPEN);
    RECT cb = ctx->Clip().Box();
    for (int y = std::max<int>(r.top + 1, cb.top); y < std::min<int>(r.bottom - 1, cb.bottom); ++y) {
        BrushSpan(*ctx, *brush, y, r.left, r.left + 1, R2_COPYPEN);
        if (r.right - 1 > r.left) BrushSpan(*ctx, *brush, y, r.right - 1, r.right, R2_COPYPEN);
    }
    return TRUE;
}

BOOL FillRgn(HDC dc, HRGN region, HBRUSH handle) {
    DeviceContext* ctx = FindDc(dc);
    auto rgn = FindRegion(region);
    auto brush = FindBrush(handle);
    if (!ctx || !rgn || !brush) return FALSE;
    for (const RECT& r : rgn->region.Rects())
        FillRect(dc, &r, handle);
    return TRUE;
}

BOOL DrawFocusRect(HDC dc, const RECT* rect) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || !rect || !ctx->Target()) return FALSE;
    RecordRect(*ctx, "DrawFocusRect", *rect);
    // Every other pixel of the border inverted: drawing it twice removes it.
    RECT r = ctx->ToTarget(*rect);
    if (RectEmpty(r)) return TRUE;
    Bitmap& bmp = *ctx->Target();
    const Region& clip = ctx->Clip();
    auto dot = [&](int x, int y) {
        if (((x - r.left) + (y - r.top)) % 2 == 0) raster::Pixel(bmp, clip, x, y, 0xFFFFFF, R2_XORPEN);
    };
    RECT cb = clip.Box();
    for (int x = std::max<int>(r.left, cb.left); x < std::min<int>(r.right, cb.right); ++x) {
        dot(x, r.top);
        if (r.bottom - 1 > r.top) dot(x, r.bottom - 1);
    }
    for (int y = std::max<int>(r.top + 1, cb.top); y < std::min<int>(r.bottom - 1, cb.bottom); ++y) {
        dot(r.left, y);
        if (r.right - 1 > r.left) dot(r.right - 1, y);
    }
    return TRUE;
}

BOOL DrawEdge(HDC dc, LPRECT rect, UINT edge, UINT flags) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || !rect) return FALSE;
    RecordRect(*ctx, "DrawEdge", *rect);
    RECT r = *rect;
    Bitmap* bmp = ctx->Target();
    // Outer then inner border; each a colour for its top/left and one for its bottom/right.
    struct Layer {
        UINT raised, sunken;
        int raisedTl, raisedBr, sunkenTl, sunkenBr;
    };
    const Layer layers[2] = {
        {BDR_RAISEDOUTER, BDR_SUNKENOUTER, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_BTNSHADOW,
         COLOR_BTNHIGHLIGHT},
        {BDR_RAISEDINNER, BDR_SUNKENINNER, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, COLOR_3DDKSHADOW,
         COLOR_3DLIGHT},
    };
    for (int i = 0; i < 2; ++i) {
        const Layer& layer = layers[i];
        int tl = -1, br = -1;
        if (edge & layer.raised)
            tl = layer.raisedTl, br = layer.raisedBr;
        else if (edge & layer.sunken)
            tl = layer.sunkenTl, br = layer.sunkenBr;
        else
            continue;
        if (flags & BF_MONO)
            tl = br = (i == 0 ? COLOR_WINDOWFRAME : COLOR_WINDOW);
        else if (flags & BF_FLAT)
            tl = br = (i == 0 ? COLOR_BTNSHADOW : COLOR_BTNFACE);
        if (RectEmpty(r)) break;
        RECT t = ctx->ToTarget(r);
        if (bmp) {
            const Region& clip = ctx->Clip();
            uint32_t ctl = ToRgb(GetSysColor(tl)), cbr = ToRgb(GetSysColor(br));
            if (flags & BF_TOP) raster::Span(*bmp, clip, t.top, t.left, t.right - 1, ctl, R2_COPYPEN);
            if (flags & BF_LEFT)
                raster::Fill(*bmp, clip, RECT{t.left, t.top, t.left + 1, t.bottom - 1}, ctl, R2_COPYPEN);
            if (flags & BF_BOTTOM) raster::Span(*bmp, clip, t.bottom - 1, t.left, t.right, cbr, R2_COPYPEN);
            if (flags & BF_RIGHT)
                raster::Fill(*bmp, clip, RECT{t.right - 1, t.top, t.right, t.bottom}, cbr, R2_COPYPEN);
        }
        if (flags & BF_LEFT) r.left++;
        if (flags & BF_TOP) r.top++;
        if (flags & BF_RIGHT) r.right--;
        if (flags & BF_BOTTOM) r.bottom--;
    }
    if ((flags & BF_MIDDLE) && bmp && !RectEmpty(r)) {
        int colour = (flags & (BF_MONO | BF_FLAT)) ? COLOR_WINDOW : COLOR_BTNFACE;
        raster::Fill(*bmp, ctx->Clip(), ctx->ToTarget(r), ToRgb(GetSysColor(colour)), R2_COPYPEN);
    }
    if (flags & BF_ADJUST) *rect = r;
    return TRUE;
}
