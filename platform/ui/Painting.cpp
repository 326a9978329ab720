// Painting: update regions, WM_PAINT generation in paint order (parents before children, lower
// windows before higher ones), paint and window DCs over the screen framebuffer clipped to what
// of the window shows, scrolling, and the desktop's background.
//
// Windows draw straight into the framebuffer; there are no per-window buffers. A window's drawing
// is therefore always clipped to its visible part: the parts of higher windows (and of higher
// siblings, as if every child had WS_CLIPSIBLINGS, since nothing would repair an overlapped
// sibling) and, with WS_CLIPCHILDREN, of its children. Without WS_CLIPCHILDREN a parent draws
// under its children's area and every invalidation of the parent reaches those children, so they
// repaint over it afterwards. A context from GetDC, drawn on outside any paint, has no such
// repair after it: it always leaves the window's children out (a transparent one, a group box's
// frame, excepted), as the device's windows always clip their children.
//
// [SECTION] Regions
// [SECTION] Invalidation
// [SECTION] Paint order
// [SECTION] Device contexts
// [SECTION] Scrolling
// [SECTION] Desktop and idle work

#include "platform/gdi/DeviceContext.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/WindowManager.h"

#include <algorithm>
#include <cstring>

namespace device::ui {

// [SECTION] Regions ----------------------------------------------------------------------------

gdi::Region VisibleRegion(const Window& w, bool client, bool clipChildren) {
    if (!IsVisibleChain(w)) return gdi::Region();
    gdi::Region rg(client ? ClientScreenRect(w) : WindowScreenRect(w));
    ScreenShape shape = GetScreenShape();
    rg.IntersectRect(RECT{0, 0, shape.width, shape.height});
    const Window* c = &w;
    while (!rg.Empty()) {
        Window* p = c->parent ? Find(c->parent) : nullptr;
        const std::vector<HWND>& siblings = p ? p->children : Wm().topLevels;
        if (p) rg.IntersectRect(ClientScreenRect(*p));
        for (HWND h : siblings) {
            if (h == c->handle) break;
            Window* o = Find(h);
            // A transparent sibling (a group box's frame) leaves the windows under it showing.
            if (o && (o->style & WS_VISIBLE) && !(p && (o->exStyle & WS_EX_TRANSPARENT)))
                rg.SubtractRect(WindowScreenRect(*o));
        }
        if (!p) break;
        c = p;
    }
    if (clipChildren)
        for (HWND h : w.children) {
            Window* o = Find(h);
            if (o && (o->style & WS_VISIBLE)) rg.SubtractRect(WindowScreenRect(*o));
        }
    rg.Subtract(ShellAreaLocked());
    return rg;
}

// [SECTION] Invalidation -----------------------------------------------------------------------

void InvalidateScreenArea(Window& w, const RECT& screen, bool erase, bool allChildren) {
    if (!(w.style & WS_VISIBLE)) return;
    RECT wr = gdi::RectIntersect(WindowScreenRect(w), screen);
    if (gdi::RectEmpty(wr)) return;
    RECT cs = ClientScreenRect(w);
    RECT part = gdi::RectIntersect(wr, cs);
    RECT in = NonClientInsets(w);
    if ((in.left || in.top || in.right || in.bottom) &&
        !(wr.left >= cs.left && wr.top >= cs.top && wr.right <= cs.right && wr.bottom <= cs.bottom))
        w.frame = true;
    if (!gdi::RectEmpty(part)) {
        gdi::Region add(RECT{part.left - cs.left, part.top - cs.top, part.right - cs.left, part.bottom - cs.top});
        w.update.Unite(add);
        if (erase) w.erase = true;
    }
    if (w.queue && (w.frame || !w.update.Empty())) WakeQueue(*w.queue);
    if (gdi::RectEmpty(part)) return;
    if (allChildren || !(w.style & WS_CLIPCHILDREN))
        for (HWND h : w.children)
            if (Window* c = Find(h)) InvalidateScreenArea(*c, part, erase, allChildren);
}

void ExposeScreenArea(const RECT& screen) {
    WmState& s = Wm();
    if (gdi::RectEmpty(screen)) return;
    s.desktopDirty.Unite(gdi::Region(screen));
    s.screenDirty = true;
    for (HWND h : s.topLevels)
        if (Window* w = Find(h)) InvalidateScreenArea(*w, screen, true, true);
}

void ClearUpdate(Window& w) {
    w.update = gdi::Region();
    w.erase = false;
}

namespace {

Window* CheckedWindow(HWND hwnd) { return FindOrError(hwnd); }

// What a client context of the window may draw on: its visible client area less its visible
// children, transparent ones excepted.
gdi::Region DrawableClientRegion(const Window& w) {
    gdi::Region rg = VisibleRegion(w, true, (w.style & WS_CLIPCHILDREN) != 0);
    for (HWND h : w.children) {
        Window* c = Find(h);
        if (c && (c->style & WS_VISIBLE) && !(c->exStyle & WS_EX_TRANSPARENT)) rg.SubtractRect(WindowScreenRect(*c));
    }
    return rg;
}

void InvalidateClientRect(Window& w, const RECT* rect, bool erase, bool allChildren) {
    if (!IsVisibleChain(w)) return;
    RECT client = ClientRectLocal(w);
    RECT r = rect ? gdi::RectIntersect(gdi::RectNormalized(*rect), client) : client;
    if (gdi::RectEmpty(r)) return;
    POINT o = ClientOrigin(w);
    InvalidateScreenArea(w, RECT{r.left + o.x, r.top + o.y, r.right + o.x, r.bottom + o.y}, erase, allChildren);
}

} // namespace

// [SECTION] Paint order ------------------------------------------------------------------------

namespace {

bool NeedsPaint(const Window& w) { return (w.frame || !w.update.Empty()) && IsVisibleChain(w); }

HWND FirstToPaint(HWND h, const ThreadQueue& q) {
    Window* w = Find(h);
    if (!w || !(w->style & WS_VISIBLE)) return nullptr;
    if (w->queue.get() == &q && (w->frame || !w->update.Empty())) return h;
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it)
        if (HWND found = FirstToPaint(*it, q)) return found;
    return nullptr;
}

} // namespace

HWND NextWindowToPaint(const ThreadQueue& q) {
    const auto& tops = Wm().topLevels;
    for (auto it = tops.rbegin(); it != tops.rend(); ++it)
        if (HWND h = FirstToPaint(*it, q)) return h;
    return nullptr;
}

// [SECTION] Device contexts --------------------------------------------------------------------

namespace {

// A context over the framebuffer with logical (0, 0) at origin, drawing only inside visible.
HDC SurfaceDC(POINT origin, const gdi::Region& visible) {
    gdi::Bitmap* fb = FramebufferLocked();
    if (!fb) return nullptr;
    // The visible region is the context's system clip: a paint handler that selects its own clip
    // region (or none) still cannot draw over children or windows above.
    HDC dc = gdi::CreateDCForSurface(fb, origin, visible);
    if (!dc) return nullptr;
    Wm().screenDirty = true;
    return dc;
}

} // namespace

} // namespace device::ui

using namespace device::ui;
namespace gdi = device::gdi;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    if (!hwnd || hwnd == GetDesktopWindow()) {
        ScreenShape shape = GetScreenShape();
        ExposeScreenArea(rect ? *rect : RECT{0, 0, shape.width, shape.height});
        MarkShellDirty();
        return TRUE;
    }
    Window* w = CheckedWindow(hwnd);
    if (!w) return FALSE;
    InvalidateClientRect(*w, rect, erase != FALSE, false);
    return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase) {
    if (!region) return InvalidateRect(hwnd, nullptr, erase);
    auto rgn = gdi::FindRegion(region);
    if (!rgn) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    gdi::Region copy = rgn->region;
    for (const RECT& r : copy.Rects())
        if (!InvalidateRect(hwnd, &r, erase)) return FALSE;
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = CheckedWindow(hwnd);
    if (!w) return FALSE;
    if (!rect) {
        ClearUpdate(*w);
        w->frame = false;
    } else {
        w->update.SubtractRect(gdi::RectNormalized(*rect));
        if (w->update.Empty()) w->erase = false;
    }
    return TRUE;
}

BOOL ValidateRgn(HWND hwnd, HRGN region) {
    if (!region) return ValidateRect(hwnd, nullptr);
    auto rgn = gdi::FindRegion(region);
    if (!rgn) return FALSE;
    std::lock_guard lock(Wm().lock);
    Window* w = CheckedWindow(hwnd);
    if (!w) return FALSE;
    w->update.Subtract(rgn->region);
    if (w->update.Empty()) w->erase = false;
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
    bool needErase = false;
    RECT box{0, 0, 0, 0};
    {
        std::lock_guard lock(Wm().lock);
        Window* w = CheckedWindow(hwnd);
        if (!w) return FALSE;
        if (!w->update.Empty()) box = w->update.Box();
        needErase = erase && w->erase && !w->update.Empty();
    }
    if (rect) *rect = box;
    if (needErase) {
        HDC dc = GetDCEx(hwnd, nullptr, 0);
        LRESULT erased = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        ReleaseDC(hwnd, dc);
        std::lock_guard lock(Wm().lock);
        if (Window* w = Find(hwnd); w && erased) w->erase = false;
    }
    return gdi::RectEmpty(box) ? FALSE : TRUE;
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL) {
    auto rgn = gdi::FindRegion(region);
    std::lock_guard lock(Wm().lock);
    Window* w = CheckedWindow(hwnd);
    if (!w || !rgn) return ERROR;
    rgn->region = w->update;
    return w->update.Complexity();
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags) {
    if (flags & RDW_INVALIDATE) {
        std::lock_guard lock(Wm().lock);
        if (!hwnd) {
            ScreenShape shape = GetScreenShape();
            ExposeScreenArea(RECT{0, 0, shape.width, shape.height});
        } else {
            Window* w = CheckedWindow(hwnd);
            if (!w) return FALSE;
            if (flags & RDW_FRAME) w->frame = true;
            bool all = (flags & RDW_ALLCHILDREN) != 0;
            if (region) {
                if (auto rgn = gdi::FindRegion(region))
                    for (const RECT& r : rgn->region.Rects()) InvalidateClientRect(*w, &r, flags & RDW_ERASE, all);
            } else {
                InvalidateClientRect(*w, rect, flags & RDW_ERASE, all);
            }
            if (w->queue) WakeQueue(*w->queue);
        }
    }
    if (flags & RDW_VALIDATE) {
        if (region) ValidateRgn(hwnd, region);
        else ValidateRect(hwnd, rect);
    }
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) UpdateWindow(hwnd);
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
    std::shared_ptr<ThreadQueue> me = CurrentQueue();
    {
        std::lock_guard lock(Wm().lock);
        Window* w = CheckedWindow(hwnd);
        if (!w) return FALSE;
    }
    // The window, then its children that need it, each painted now, parents first.
    for (int guard = 0; guard < 10000; ++guard) {
        HWND next = nullptr;
        {
            std::lock_guard lock(Wm().lock);
            Window* w = Find(hwnd);
            if (!w) return TRUE;
            std::vector<HWND> stack{hwnd};
            while (!stack.empty() && !next) {
                HWND h = stack.back();
                stack.pop_back();
                Window* c = Find(h);
                if (!c || !IsVisibleChain(*c)) continue;
                if (c->queue == me && NeedsPaint(*c)) next = h;
                else stack.insert(stack.end(), c->children.begin(), c->children.end());
            }
        }
        if (!next) return TRUE;
        MSG paint{next, WM_PAINT, 0, 0, 0, {0, 0}};
        DispatchMessageW(&paint);
    }
    return TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) {
    if (!paint) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::memset(paint, 0, sizeof *paint);
    bool frame;
    {
        std::lock_guard lock(Wm().lock);
        Window* w = CheckedWindow(hwnd);
        if (!w) return nullptr;
        w->painted = true;
        RECT in = NonClientInsets(*w);
        frame = w->frame && (in.left || in.top || in.right || in.bottom);
        w->frame = false;
    }
    if (frame) SendMessageW(hwnd, WM_NCPAINT, 1, 0);
    HDC dc;
    bool erase;
    {
        std::lock_guard lock(Wm().lock);
        Window* w = Find(hwnd);
        if (!w) return nullptr;
        gdi::Region update = w->update;
        erase = w->erase;
        ClearUpdate(*w);
        RECT client = ClientRectLocal(*w);
        update.IntersectRect(client);
        POINT o = ClientOrigin(*w);
        gdi::Region visible = VisibleRegion(*w, true, (w->style & WS_CLIPCHILDREN) != 0);
        gdi::Region clip = update;
        clip.Offset(o.x, o.y);
        clip.Intersect(visible);
        dc = SurfaceDC(o, clip);
        paint->hdc = dc;
        paint->rcPaint = update.Empty() ? RECT{0, 0, 0, 0} : update.Box();
    }
    paint->fErase = FALSE;
    if (erase && dc) paint->fErase = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint) {
    if (!paint) return FALSE;
    if (paint->hdc) DeleteDC(paint->hdc);
    std::lock_guard lock(Wm().lock);
    Wm().screenDirty = true;
    return TRUE;
}

HDC GetDCEx(HWND hwnd, HRGN clip, DWORD) {
    std::lock_guard lock(Wm().lock);
    gdi::Region visible;
    POINT origin{0, 0};
    if (!hwnd || hwnd == GetDesktopWindow()) {
        ScreenShape shape = GetScreenShape();
        visible = gdi::Region(RECT{0, 0, shape.width, shape.height});
    } else {
        Window* w = CheckedWindow(hwnd);
        if (!w) return nullptr;
        origin = ClientOrigin(*w);
        visible = DrawableClientRegion(*w);
    }
    if (clip) {
        if (auto rgn = gdi::FindRegion(clip)) {
            gdi::Region extra = rgn->region;
            extra.Offset(origin.x, origin.y);
            visible.Intersect(extra);
        }
    }
    return SurfaceDC(origin, visible);
}

HDC GetDC(HWND hwnd) { return GetDCEx(hwnd, nullptr, 0); }

HDC GetWindowDC(HWND hwnd) {
    std::lock_guard lock(Wm().lock);
    if (!hwnd || hwnd == GetDesktopWindow()) {
        ScreenShape shape = GetScreenShape();
        return SurfaceDC(POINT{0, 0}, gdi::Region(RECT{0, 0, shape.width, shape.height}));
    }
    Window* w = CheckedWindow(hwnd);
    if (!w) return nullptr;
    RECT r = WindowScreenRect(*w);
    return SurfaceDC(POINT{r.left, r.top}, VisibleRegion(*w, false, (w->style & WS_CLIPCHILDREN) != 0));
}

int ReleaseDC(HWND, HDC dc) {
    if (!dc) return 0;
    {
        std::lock_guard lock(Wm().lock);
        Wm().screenDirty = true;
    }
    return DeleteDC(dc) ? 1 : 0;
}

// [SECTION] Scrolling --------------------------------------------------------------------------

int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN updateRgn, LPRECT updateRect,
                   UINT flags) {
    std::vector<std::pair<HWND, POINT>> moved;
    int complexity;
    {
        std::lock_guard lock(Wm().lock);
        Window* w = CheckedWindow(hwnd);
        if (!w) return ERROR;
        RECT client = ClientRectLocal(*w);
        RECT area = scroll ? gdi::RectIntersect(gdi::RectNormalized(*scroll), client) : client;
        if (clip) area = gdi::RectIntersect(area, gdi::RectNormalized(*clip));
        POINT o = ClientOrigin(*w);
        RECT areaScreen{area.left + o.x, area.top + o.y, area.right + o.x, area.bottom + o.y};
        bool scrollChildren = (flags & SW_SCROLLCHILDREN) != 0;

        // What shows of the area; with SW_SCROLLCHILDREN the children's pixels travel too.
        gdi::Region shown = VisibleRegion(*w, true, !scrollChildren);
        shown.IntersectRect(areaScreen);
        gdi::Region dest = shown;
        dest.Offset(dx, dy);
        dest.Intersect(shown);

        gdi::Bitmap* fb = FramebufferLocked();
        if (fb && !dest.Empty() && (dx || dy)) {
            RECT box = dest.Box();
            RECT src{box.left - dx, box.top - dy, box.right - dx, box.bottom - dy};
            int width = box.right - box.left;
            std::vector<uint32_t> copy(static_cast<size_t>(width) * (box.bottom - box.top));
            for (int y = src.top; y < src.bottom; ++y)
                std::memcpy(&copy[static_cast<size_t>(y - src.top) * width], fb->Row32(y) + src.left, width * 4);
            for (const RECT& r : dest.Rects())
                for (int y = r.top; y < r.bottom; ++y)
                    std::memcpy(fb->Row32(y) + r.left,
                                &copy[static_cast<size_t>(y - box.top) * width + (r.left - box.left)],
                                (r.right - r.left) * 4);
            Wm().screenDirty = true;
        }

        // A part still waiting to be painted travels with the content.
        if (!w->update.Empty() && (dx || dy)) {
            gdi::Region moving = w->update;
            moving.IntersectRect(area);
            w->update.SubtractRect(area);
            moving.Offset(dx, dy);
            moving.IntersectRect(area);
            w->update.Unite(moving);
        }

        gdi::Region invalid = shown;
        invalid.Subtract(dest);
        if (scrollChildren) {
            for (HWND h : w->children) {
                Window* c = Find(h);
                if (!c) continue;
                RECT cr = c->rect;
                if (scroll && gdi::RectEmpty(gdi::RectIntersect(cr, area))) continue;
                RECT oldScreen = WindowScreenRect(*c);
                c->rect = RECT{cr.left + dx, cr.top + dy, cr.right + dx, cr.bottom + dy};
                if (c->style & WS_VISIBLE) {
                    // Whatever of the child did not come along with the pixels repaints.
                    gdi::Region lost(WindowScreenRect(*c));
                    lost.Subtract(dest);
                    for (const RECT& r : lost.Rects()) InvalidateScreenArea(*c, r, true, true);
                    (void)oldScreen;
                }
                RECT in = NonClientInsets(*c);
                moved.push_back({h, POINT{c->rect.left + in.left, c->rect.top + in.top}});
            }
        } else {
            // Children stay; the parent's pixels under them moved, so they repaint.
            for (HWND h : w->children) {
                Window* c = Find(h);
                if (c && (c->style & WS_VISIBLE)) invalid.Unite(gdi::Region(gdi::RectIntersect(WindowScreenRect(*c), areaScreen)));
            }
        }

        gdi::Region local = invalid;
        local.Offset(-o.x, -o.y);
        complexity = local.Complexity();
        if (updateRect) *updateRect = local.Empty() ? RECT{0, 0, 0, 0} : local.Box();
        if (updateRgn)
            if (auto rgn = gdi::FindRegion(updateRgn)) rgn->region = local;
        if (flags & (SW_INVALIDATE | SW_ERASE))
            for (const RECT& r : invalid.Rects()) InvalidateScreenArea(*w, r, (flags & SW_ERASE) != 0, false);
    }
    for (auto& [h, pos] : moved) SendMessageW(h, WM_MOVE, 0, MAKELPARAM(pos.x, pos.y));
    return complexity;
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip) {
    return ScrollWindowEx(hwnd, dx, dy, scroll, clip, nullptr, nullptr,
                          SW_INVALIDATE | SW_ERASE | (scroll ? 0 : SW_SCROLLCHILDREN)) != ERROR;
}

// [SECTION] Desktop and idle work --------------------------------------------------------------

namespace device::ui {

void PaintDesktopLocked() {
    WmState& s = Wm();
    if (!s.desktopDirty.Empty()) {
        gdi::Region bare = s.desktopDirty;
        s.desktopDirty = gdi::Region();
        for (HWND h : s.topLevels) {
            Window* w = Find(h);
            if (w && (w->style & WS_VISIBLE)) bare.SubtractRect(WindowScreenRect(*w));
        }
        bare.Subtract(ShellAreaLocked());
        if (gdi::Bitmap* fb = FramebufferLocked()) {
            ScreenShape shape = GetScreenShape();
            bare.IntersectRect(RECT{0, 0, fb->Width(), fb->Height()});
            (void)shape;
            // The desktop shows the window colour, as the device's empty screen does.
            const uint32_t colour = 0xFFFFFF;
            for (const RECT& r : bare.Rects())
                for (int y = r.top; y < r.bottom; ++y) std::fill(fb->Row32(y) + r.left, fb->Row32(y) + r.right, colour);
        }
        s.screenDirty = true;
    }
    DrawShellLocked();
}

void IdleScreenWork() {
    const DisplayHooks* hooks = CurrentDisplayHooks();
    if (hooks && !IsDisplayThread()) return;
    EndStoreWait(); // a wait for the store that showed the wait cursor is over
    const bool presents = hooks && hooks->present;
    bool present = false;
    {
        WmState& s = Wm();
        std::lock_guard lock(s.lock);
        PaintDesktopLocked();
        // Drawing that left the same picture (a repaint of what shows) gives no frame.
        if (s.screenDirty && presents)
            if (gdi::Bitmap* fb = FramebufferLocked()) s.frames.Note(*fb);
        s.screenDirty = false;
        present = presents && (s.frames.Pending() || IsBusyCursor() != s.presentedBusy);
    }
    if (present) hooks->present();
}

} // namespace device::ui
