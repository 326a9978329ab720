// The window tree: classes, creation and destruction, window values and texts, geometry,
// z-order, showing and moving, hit testing and searches.
//
// [SECTION] State and lookups
// [SECTION] Geometry
// [SECTION] Classes
// [SECTION] Creation and destruction
// [SECTION] Window values, properties and texts
// [SECTION] Tree queries
// [SECTION] Showing, moving and z-order
// [SECTION] Hit testing and searches
// [SECTION] Rectangle helpers

#include "platform/base/CaseFold.h"
#include "platform/ui/Broadcast.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/StandardClasses.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace device::ui {

// [SECTION] State and lookups ------------------------------------------------------------------

WmState& Wm() {
    // Never destroyed: threads may still be ending while the process exits.
    static WmState* state = new WmState;
    return *state;
}

Window* Find(HWND hwnd) {
    if (!hwnd) return nullptr;
    auto& windows = Wm().windows;
    auto it = windows.find(hwnd);
    return it == windows.end() ? nullptr : it->second.get();
}

Window* FindOrError(HWND hwnd) {
    Window* w = Find(hwnd);
    if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

std::vector<HWND>& SiblingList(const Window& w) {
    if (w.parent) {
        if (Window* p = Find(w.parent)) return p->children;
    }
    return Wm().topLevels;
}

HWND TopLevelOf(HWND hwnd) {
    Window* w = Find(hwnd);
    while (w && w->parent) {
        Window* p = Find(w->parent);
        if (!p) break;
        w = p;
    }
    return w ? w->handle : nullptr;
}

bool IsVisibleChain(const Window& w) {
    const Window* c = &w;
    while (c) {
        if (!(c->style & WS_VISIBLE)) return false;
        if (!c->parent) return true;
        c = Find(c->parent);
    }
    return false;
}

// [SECTION] Geometry ---------------------------------------------------------------------------

RECT NonClientInsets(const Window& w) {
    RECT in{0, 0, 0, 0};
    int b = 0;
    if (w.fillsWorkArea) {
        // No frame and no caption row: the taskbar carries the title.
        if (w.style & WS_VSCROLL) in.right += GetSystemMetrics(SM_CXVSCROLL);
        if (w.style & WS_HSCROLL) in.bottom += GetSystemMetrics(SM_CYHSCROLL);
        return in;
    }
    if ((w.style & WS_CAPTION) == WS_CAPTION || (w.style & WS_DLGFRAME) || (w.exStyle & WS_EX_DLGMODALFRAME))
        b = GetSystemMetrics(SM_CXDLGFRAME);
    else if (w.style & WS_BORDER)
        b = GetSystemMetrics(SM_CXBORDER);
    if (w.exStyle & WS_EX_CLIENTEDGE) b += GetSystemMetrics(SM_CXEDGE);
    if (w.exStyle & WS_EX_STATICEDGE) b += GetSystemMetrics(SM_CXBORDER);
    in = RECT{b, b, b, b};
    if ((w.style & WS_CAPTION) == WS_CAPTION) in.top += GetSystemMetrics(SM_CYCAPTION);
    if (w.style & WS_VSCROLL) in.right += GetSystemMetrics(SM_CXVSCROLL);
    if (w.style & WS_HSCROLL) in.bottom += GetSystemMetrics(SM_CYHSCROLL);
    return in;
}

RECT ClientRectLocal(const Window& w) {
    RECT in = NonClientInsets(w);
    int width = (w.rect.right - w.rect.left) - in.left - in.right;
    int height = (w.rect.bottom - w.rect.top) - in.top - in.bottom;
    return RECT{0, 0, std::max(0, width), std::max(0, height)};
}

POINT ClientOrigin(const Window& w) {
    RECT in = NonClientInsets(w);
    POINT p{w.rect.left + in.left, w.rect.top + in.top};
    if (w.parent) {
        if (Window* parent = Find(w.parent)) {
            POINT o = ClientOrigin(*parent);
            p.x += o.x;
            p.y += o.y;
        }
    }
    return p;
}

RECT WindowScreenRect(const Window& w) {
    POINT o{0, 0};
    if (w.parent) {
        if (Window* parent = Find(w.parent)) o = ClientOrigin(*parent);
    }
    return RECT{w.rect.left + o.x, w.rect.top + o.y, w.rect.right + o.x, w.rect.bottom + o.y};
}

RECT ClientScreenRect(const Window& w) {
    POINT o = ClientOrigin(w);
    RECT c = ClientRectLocal(w);
    return RECT{o.x, o.y, o.x + c.right, o.y + c.bottom};
}

static RECT ScreenRect() {
    ScreenShape s = GetScreenShape();
    return RECT{0, 0, s.width, s.height};
}

static bool PtIn(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

} // namespace device::ui

using namespace device::ui;
namespace gdi = device::gdi;

// [SECTION] Classes ----------------------------------------------------------------------------

static std::wstring ClassKey(LPCWSTR name) { return device::ToLower(name ? name : L""); }

// The layer's own classes are registered the first time they are needed (outside the lock:
// registering takes it).
static void EnsureClassRegistered(LPCWSTR name) {
    if (!name || IS_INTRESOURCE(name)) return;
    {
        WmState& s = Wm();
        std::lock_guard lock(s.lock);
        if (s.classes.count(ClassKey(name))) return;
    }
    device::ui::EnsureStandardClass(name);
}

ATOM RegisterClassW(const WNDCLASSW* wc) {
    if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !*wc->lpszClassName ||
        wc->cbWndExtra < 0 || wc->cbClsExtra < 0 || wc->cbWndExtra > 4096 || wc->cbClsExtra > 4096) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    std::wstring key = ClassKey(wc->lpszClassName);
    if (s.classes.count(key)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto cls = std::make_shared<WindowClass>();
    cls->name = wc->lpszClassName;
    cls->wc = *wc;
    cls->wc.lpszClassName = nullptr;  // the caller's text may not outlive the call
    cls->wc.lpszMenuName = nullptr;
    cls->classExtra.assign(static_cast<size_t>(wc->cbClsExtra), 0);
    s.classes[key] = cls;
    // Atoms only need to be non-zero and distinct among live classes.
    return static_cast<ATOM>(0xC000 + (s.classes.size() & 0x3FFF));
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
    if (!className || IS_INTRESOURCE(className)) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    auto it = s.classes.find(ClassKey(className));
    if (it == s.classes.end()) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    // A class still used by a window stays registered.
    constexpr DWORD kErrorClassHasWindows = 1412;
    for (auto& [h, w] : s.windows)
        if (w->cls == it->second) {
            SetLastError(kErrorClassHasWindows);
            return FALSE;
        }
    s.classes.erase(it);
    return TRUE;
}

BOOL GetClassInfoW(HINSTANCE, LPCWSTR className, LPWNDCLASSW wc) {
    if (!className || IS_INTRESOURCE(className) || !wc) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    EnsureClassRegistered(className);
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    auto it = s.classes.find(ClassKey(className));
    if (it == s.classes.end()) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    *wc = it->second->wc;
    wc->lpszClassName = it->second->name.c_str();
    return TRUE;
}

int GetClassNameW(HWND hwnd, LPWSTR name, int count) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = FindOrError(hwnd);
    if (!w || !name || count <= 0) return 0;
    int n = std::min<int>(count - 1, static_cast<int>(w->cls->name.size()));
    std::wmemcpy(name, w->cls->name.c_str(), n);
    name[n] = 0;
    return n;
}

DWORD GetClassLongW(HWND hwnd, int index) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = FindOrError(hwnd);
    if (!w) return 0;
    switch (index) {
    case GCL_STYLE: return w->cls->wc.style;
    case GCL_HBRBACKGROUND: return static_cast<DWORD>(reinterpret_cast<uintptr_t>(w->cls->wc.hbrBackground));
    case GCL_CBWNDEXTRA: return static_cast<DWORD>(w->cls->wc.cbWndExtra);
    default: break;
    }
    if (index >= 0 && static_cast<size_t>(index) + 4 <= w->cls->classExtra.size()) {
        DWORD v;
        std::memcpy(&v, w->cls->classExtra.data() + index, 4);
        return v;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

// [SECTION] Creation and destruction -----------------------------------------------------------

namespace {

// Inserts a window among its siblings: top-level windows on top (after the topmost ones unless
// topmost itself), child windows at the bottom, so that a dialog's first control is the first child.
void LinkIntoTree(Window& w) {
    WmState& s = Wm();
    if (w.parent) {
        Window* p = Find(w.parent);
        if (p) p->children.push_back(w.handle);
        return;
    }
    auto& list = s.topLevels;
    if (w.exStyle & WS_EX_TOPMOST) {
        list.insert(list.begin(), w.handle);
        return;
    }
    auto it = std::find_if(list.begin(), list.end(), [](HWND h) {
        Window* o = Find(h);
        return !o || !(o->exStyle & WS_EX_TOPMOST);
    });
    list.insert(it, w.handle);
}

void UnlinkFromTree(Window& w) {
    auto& list = SiblingList(w);
    list.erase(std::remove(list.begin(), list.end(), w.handle), list.end());
}

// Drops a window from the table once its last message went out (lock held).
void RemoveWindow(HWND hwnd) {
    WmState& s = Wm();
    auto it = s.windows.find(hwnd);
    if (it == s.windows.end()) return;
    std::shared_ptr<Window> w = it->second;
    if (IsVisibleChain(*w)) ExposeScreenArea(WindowScreenRect(*w));
    UnlinkFromTree(*w);
    // Children that outlived their WM_NCDESTROY (created during destruction) go too.
    for (HWND c : std::vector<HWND>(w->children)) RemoveWindow(c);
    s.windows.erase(it);
    if (w->queue) {
        ForgetWindowInQueue(*w->queue, hwnd);
        if (w->queue->windows > 0) --w->queue->windows;
    }
    ForgetWindowInInput(hwnd);
    for (auto& [h, o] : s.windows)
        if (o->owner == hwnd) o->owner = nullptr;
}

void SendDestroyTree(HWND hwnd) {
    SendMessageW(hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    {
        std::lock_guard lock(Wm().lock);
        Window* w = Find(hwnd);
        if (!w) return;
        children = w->children;
        for (HWND c : children)
            if (Window* cw = Find(c)) cw->destroying = true;
    }
    for (HWND c : children) SendDestroyTree(c);
}

void NcDestroyTree(HWND hwnd) {
    std::vector<HWND> children;
    {
        std::lock_guard lock(Wm().lock);
        Window* w = Find(hwnd);
        if (!w) return;
        children = w->children;
    }
    for (HWND c : children) NcDestroyTree(c);
    SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
    std::lock_guard lock(Wm().lock);
    RemoveWindow(hwnd);
}

bool InSubtree(HWND root, HWND h) {
    while (h) {
        if (h == root) return true;
        Window* w = Find(h);
        h = w ? w->parent : nullptr;
    }
    return false;
}

} // namespace

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    WmState& s = Wm();
    EnsureClassRegistered(className);
    std::shared_ptr<ThreadQueue> queue = CurrentQueue();
    HWND hwnd = nullptr;
    RECT rect{};
    {
        std::lock_guard lock(s.lock);
        if (!className || IS_INTRESOURCE(className)) {
            SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
            return nullptr;
        }
        auto cls = s.classes.find(ClassKey(className));
        if (cls == s.classes.end()) {
            SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
            return nullptr;
        }
        HWND parentLink = nullptr, owner = nullptr;
        if (style & WS_CHILD) {
            if (!FindOrError(parent)) return nullptr;
            parentLink = parent;
        } else if (parent && parent != GetDesktopWindow()) {
            if (!FindOrError(parent)) return nullptr;
            owner = TopLevelOf(parent);
        }
        RECT work = WorkArea();
        if (x == CW_USEDEFAULT) {
            x = parentLink ? 0 : work.left;
            y = parentLink ? 0 : work.top;
        }
        if (width == CW_USEDEFAULT) {
            width = parentLink ? 0 : work.right - work.left;
            height = parentLink ? 0 : work.bottom - work.top;
        }
        width = std::clamp(width, 0, 32767);
        height = std::clamp(height, 0, 32767);

        auto w = std::make_shared<Window>();
        w->handle = reinterpret_cast<HWND>(s.nextHandle);
        s.nextHandle += 4;
        w->cls = cls->second;
        w->proc = cls->second->wc.lpfnWndProc;
        w->style = style & ~WS_VISIBLE;  // shown after WM_CREATE, as the device does
        w->exStyle = exStyle;
        w->parent = parentLink;
        w->owner = owner;
        w->rect = RECT{x, y, x + width, y + height};
        w->text = windowName && !IS_INTRESOURCE(windowName) ? windowName : L"";
        w->id = (style & WS_CHILD) ? static_cast<LONG_PTR>(reinterpret_cast<uintptr_t>(menu)) : 0;
        w->instance = instance;
        w->extra.assign(static_cast<size_t>(cls->second->wc.cbWndExtra), 0);
        w->queue = queue;
        ++queue->windows;
        hwnd = w->handle;
        s.windows[hwnd] = w;
        LinkIntoTree(*w);
        rect = w->rect;
    }

    CREATESTRUCTW cs{};
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hMenu = menu;
    cs.hwndParent = parent;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = windowName;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;

    if (!(style & WS_CHILD)) StartBroadcastListener();
    if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
        std::lock_guard lock(s.lock);
        RemoveWindow(hwnd);
        return nullptr;
    }
    if (!IsWindow(hwnd)) return nullptr;
    if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!IsWindow(hwnd)) return nullptr;

    RECT client{};
    POINT origin{};
    {
        std::lock_guard lock(s.lock);
        Window* w = Find(hwnd);
        if (!w) return nullptr;
        client = ClientRectLocal(*w);
        RECT in = NonClientInsets(*w);
        origin = POINT{w->rect.left + in.left, w->rect.top + in.top};
    }
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
    if ((style & WS_VISIBLE) && IsWindow(hwnd)) ShowWindow(hwnd, SW_SHOW);
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
    WmState& s = Wm();
    std::vector<HWND> owned;
    bool wasActive = false;
    {
        std::lock_guard lock(s.lock);
        Window* w = FindOrError(hwnd);
        if (!w) return FALSE;
        if (w->queue && w->queue->threadId != CurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (w->destroying) return TRUE;
        w->destroying = true;
        for (auto& [h, o] : s.windows)
            if (o->owner == hwnd && !o->destroying) owned.push_back(h);
    }
    // Owned windows go first.
    for (HWND h : owned) DestroyWindow(h);
    {
        std::lock_guard lock(s.lock);
        Window* w = Find(hwnd);
        if (!w) return TRUE;
        if (w->style & WS_VISIBLE) {
            if (IsVisibleChain(*w)) ExposeScreenArea(WindowScreenRect(*w));
            w->style &= ~WS_VISIBLE;
        }
        if (s.capture && InSubtree(hwnd, s.capture)) s.capture = nullptr;
        if (s.focus && InSubtree(hwnd, s.focus)) s.focus = nullptr;
        wasActive = s.active == hwnd;
    }
    if (wasActive) {
        // Activation passes to the next visible top-level window.
        HWND next = nullptr;
        {
            std::lock_guard lock(s.lock);
            for (HWND h : s.topLevels) {
                Window* o = Find(h);
                if (o && h != hwnd && !o->destroying && (o->style & WS_VISIBLE) && !(o->style & WS_DISABLED)) {
                    next = h;
                    break;
                }
            }
        }
        if (next) SetActiveWindow(next);
        else {
            SendMessageW(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
            std::lock_guard lock(s.lock);
            if (s.active == hwnd) s.active = nullptr;
        }
    }
    SendDestroyTree(hwnd);
    NcDestroyTree(hwnd);
    return TRUE;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!proc) return 0;
    return proc(hwnd, msg, wParam, lParam);
}

// [SECTION] Window values, properties and texts ------------------------------------------------

LONG_PTR GetWindowLongW(HWND hwnd, int index) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = FindOrError(hwnd);
    if (!w) return 0;
    switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
    case GWL_STYLE: return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->exStyle);
    case GWL_USERDATA: return w->userData;
    case GWL_ID: return w->id;
    default: break;
    }
    if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
        LONG_PTR v;
        std::memcpy(&v, w->extra.data() + index, sizeof v);
        return v;
    }
    if (index >= 0 && static_cast<size_t>(index) + 4 <= w->extra.size()) {
        int32_t v;
        std::memcpy(&v, w->extra.data() + index, sizeof v);
        return v;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

LONG_PTR SetWindowLongW(HWND hwnd, int index, LONG_PTR value) {
    WmState& s = Wm();
    if (index == GWL_STYLE || index == GWL_EXSTYLE) {
        STYLESTRUCT ss{};
        {
            std::lock_guard lock(s.lock);
            Window* w = FindOrError(hwnd);
            if (!w) return 0;
            ss.styleOld = index == GWL_STYLE ? w->style : w->exStyle;
        }
        ss.styleNew = static_cast<DWORD>(value);
        SendMessageW(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
        {
            std::lock_guard lock(s.lock);
            Window* w = FindOrError(hwnd);
            if (!w) return 0;
            DWORD& target = index == GWL_STYLE ? w->style : w->exStyle;
            target = ss.styleNew;
            // The taskbar shows the active window's title and, for some, its "ok".
            if (!w->parent && s.active == hwnd) MarkShellDirty();
        }
        SendMessageW(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
        return static_cast<LONG_PTR>(ss.styleOld);
    }
    std::lock_guard lock(s.lock);
    Window* w = FindOrError(hwnd);
    if (!w) return 0;
    LONG_PTR old = 0;
    switch (index) {
    case GWL_WNDPROC:
        if (!value) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        old = reinterpret_cast<LONG_PTR>(w->proc);
        w->proc = reinterpret_cast<WNDPROC>(value);
        return old;
    case GWL_HINSTANCE:
        old = reinterpret_cast<LONG_PTR>(w->instance);
        w->instance = reinterpret_cast<HINSTANCE>(value);
        return old;
    case GWL_HWNDPARENT: {
        // The owner link (the parent of a child window is changed with SetParent).
        HWND owner = reinterpret_cast<HWND>(value);
        if (owner && !Find(owner)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        old = reinterpret_cast<LONG_PTR>(w->owner);
        w->owner = owner;
        return old;
    }
    case GWL_USERDATA: old = w->userData; w->userData = value; return old;
    case GWL_ID: old = w->id; w->id = value; return old;
    default: break;
    }
    if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
        std::memcpy(&old, w->extra.data() + index, sizeof old);
        std::memcpy(w->extra.data() + index, &value, sizeof value);
        return old;
    }
    if (index >= 0 && static_cast<size_t>(index) + 4 <= w->extra.size()) {
        int32_t o, v = static_cast<int32_t>(value);
        std::memcpy(&o, w->extra.data() + index, 4);
        std::memcpy(w->extra.data() + index, &v, 4);
        return o;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

BOOL SetPropW(HWND hwnd, LPCWSTR name, HANDLE value) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = FindOrError(hwnd);
    if (!w || !name) return FALSE;
    w->props[IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name)) : ClassKey(name)] = value;
    return TRUE;
}

static std::wstring PropKey(LPCWSTR name) {
    return IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name)) : ClassKey(name);
}

HANDLE GetPropW(HWND hwnd, LPCWSTR name) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = Find(hwnd);
    if (!w || !name) return nullptr;
    auto it = w->props.find(PropKey(name));
    return it == w->props.end() ? nullptr : it->second;
}

HANDLE RemovePropW(HWND hwnd, LPCWSTR name) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = Find(hwnd);
    if (!w || !name) return nullptr;
    auto it = w->props.find(PropKey(name));
    if (it == w->props.end()) return nullptr;
    HANDLE v = it->second;
    w->props.erase(it);
    return v;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : L"")) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int count) {
    if (!buffer || count <= 0) return 0;
    buffer[0] = 0;
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL IsWindow(HWND hwnd) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    return Find(hwnd) ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = Find(hwnd);
    return w && IsVisibleChain(*w) ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = Find(hwnd);
    return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    WmState& s = Wm();
    bool wasDisabled;
    {
        std::lock_guard lock(s.lock);
        Window* w = FindOrError(hwnd);
        if (!w) return FALSE;
        wasDisabled = (w->style & WS_DISABLED) != 0;
        if (wasDisabled == !enable) return wasDisabled ? TRUE : FALSE;
        if (enable) w->style &= ~WS_DISABLED;
        else w->style |= WS_DISABLED;
        // A disabled window gives up the keyboard and the stylus.
        if (!enable && s.capture && InSubtree(hwnd, s.capture)) s.capture = nullptr;
    }
    if (!enable) {
        HWND focus = GetFocus();
        bool inside;
        {
            std::lock_guard lock(s.lock);
            inside = focus && InSubtree(hwnd, focus);
        }
        if (inside) SetFocus(nullptr);
    }
    SendMessageW(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND hwnd) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = Find(hwnd);
    while (w && w->parent) {
        if (w->parent == parent) return TRUE;
        w = Find(w->parent);
    }
    return FALSE;
}

int GetDlgCtrlID(HWND hwnd) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = FindOrError(hwnd);
    return w && w->parent ? static_cast<int>(w->id) : 0;
}

HWND GetDlgItem(HWND dialog, int id) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = FindOrError(dialog);
    if (!w) return nullptr;
    for (HWND c : w->children) {
        Window* cw = Find(c);
        if (cw && static_cast<int>(cw->id) == id) return c;
    }
    return nullptr;
}

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = FindOrError(hwnd);
    if (!w) return 0;
    if (processId) *processId = static_cast<DWORD>(getpid());
    return w->queue ? w->queue->threadId : 0;
}

// [SECTION] Tree queries -----------------------------------------------------------------------

HWND GetDesktopWindow() { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10010)); }

HWND GetParent(HWND hwnd) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = FindOrError(hwnd);
    if (!w) return nullptr;
    if (w->parent) return w->parent;
    return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = FindOrError(child);
    if (!w) return nullptr;
    if (newParent == GetDesktopWindow()) newParent = nullptr;
    if (newParent && (!FindOrError(newParent) || InSubtree(child, newParent))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HWND old = w->parent ? w->parent : GetDesktopWindow();
    bool visible = IsVisibleChain(*w);
    if (visible) ExposeScreenArea(WindowScreenRect(*w));
    UnlinkFromTree(*w);
    w->parent = newParent;
    auto& list = SiblingList(*w);
    list.insert(list.begin(), child);
    if (IsVisibleChain(*w)) InvalidateScreenArea(*w, WindowScreenRect(*w), true, true);
    return old;
}

HWND GetWindow(HWND hwnd, UINT relation) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = FindOrError(hwnd);
    if (!w) return nullptr;
    if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
    if (relation == GW_OWNER) return w->owner;
    const auto& list = SiblingList(*w);
    auto it = std::find(list.begin(), list.end(), hwnd);
    if (it == list.end()) return nullptr;
    switch (relation) {
    case GW_HWNDFIRST: return list.front();
    case GW_HWNDLAST: return list.back();
    case GW_HWNDNEXT: return it + 1 == list.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV: return it == list.begin() ? nullptr : *(it - 1);
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

HWND GetTopWindow(HWND hwnd) {
    if (!hwnd || hwnd == GetDesktopWindow()) {
        std::lock_guard lock(Wm().lock);
        return Wm().topLevels.empty() ? nullptr : Wm().topLevels.front();
    }
    return GetWindow(hwnd, GW_CHILD);
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
    if (!proc) return FALSE;
    std::vector<HWND> list;
    {
        std::lock_guard lock(Wm().lock);
        list = Wm().topLevels;
    }
    for (HWND h : list)
        if (IsWindow(h) && !proc(h, lParam)) return FALSE;
    return TRUE;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
    if (!proc) return FALSE;
    std::vector<HWND> list;
    {
        std::lock_guard lock(Wm().lock);
        Window* p = FindOrError(parent);
        if (!p) return FALSE;
        // Every descendant, depth first, in z-order.
        std::vector<HWND> stack(p->children.rbegin(), p->children.rend());
        while (!stack.empty()) {
            HWND h = stack.back();
            stack.pop_back();
            list.push_back(h);
            if (Window* c = Find(h)) stack.insert(stack.end(), c->children.rbegin(), c->children.rend());
        }
    }
    for (HWND h : list)
        if (IsWindow(h) && !proc(h, lParam)) return FALSE;
    return TRUE;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    for (HWND h : s.topLevels) {
        Window* w = Find(h);
        if (!w || w->destroying) continue;
        if (className && !IS_INTRESOURCE(className) && !device::EqualNoCase(w->cls->name, className)) continue;
        if (windowName && w->text != windowName) continue;
        return h;
    }
    return nullptr;
}

// [SECTION] Showing, moving and z-order --------------------------------------------------------

namespace {
// A child window just hidden that held the focus, itself or in a window inside it, hands the
// focus to its parent: keys never stay with a window the user cannot see.
void FocusParentOfHidden(HWND hwnd) {
    WmState& s = Wm();
    HWND parent = nullptr;
    {
        std::lock_guard lock(s.lock);
        Window* w = Find(hwnd);
        if (!w || !w->parent || !s.focus || !InSubtree(hwnd, s.focus)) return;
        parent = w->parent;
    }
    SetFocus(parent);
}
} // namespace

BOOL ShowWindow(HWND hwnd, int command) {
    WmState& s = Wm();
    bool wasVisible;
    bool show = command != SW_HIDE;
    bool topLevel;
    {
        std::lock_guard lock(s.lock);
        Window* w = FindOrError(hwnd);
        if (!w) return FALSE;
        wasVisible = (w->style & WS_VISIBLE) != 0;
        topLevel = !w->parent;
    }
    bool activate = show && topLevel && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE &&
                    command != SW_SHOWMINNOACTIVE && command != SW_MINIMIZE;
    if (wasVisible != show) {
        SendMessageW(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        std::lock_guard lock(s.lock);
        Window* w = Find(hwnd);
        if (!w) return wasVisible ? TRUE : FALSE;
        if (show) {
            w->style |= WS_VISIBLE;
            if (IsVisibleChain(*w)) {
                w->frame = true;
                InvalidateScreenArea(*w, WindowScreenRect(*w), true, true);
            }
        } else {
            if (IsVisibleChain(*w)) ExposeScreenArea(WindowScreenRect(*w));
            w->style &= ~WS_VISIBLE;
            if (s.capture && InSubtree(hwnd, s.capture)) s.capture = nullptr;
        }
    }
    if (wasVisible && !show) FocusParentOfHidden(hwnd);
    if (activate) {
        DWORD ex = 0;
        {
            std::lock_guard lock(s.lock);
            if (Window* w = Find(hwnd)) ex = w->exStyle;
        }
        if (!(ex & WS_EX_NOACTIVATE) && GetActiveWindow() != hwnd) SetActiveWindow(hwnd);
    }
    if (!show && wasVisible && topLevel && GetActiveWindow() == hwnd) {
        HWND next = nullptr;
        {
            std::lock_guard lock(s.lock);
            for (HWND h : s.topLevels) {
                Window* o = Find(h);
                if (o && h != hwnd && (o->style & WS_VISIBLE) && !(o->style & WS_DISABLED) && !o->destroying) {
                    next = h;
                    break;
                }
            }
        }
        if (next) SetActiveWindow(next);
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    WmState& s = Wm();
    WINDOWPOS wp{hwnd, insertAfter, x, y, width, height, flags};
    {
        std::lock_guard lock(s.lock);
        Window* w = FindOrError(hwnd);
        if (!w) return FALSE;
        if (!(flags & SWP_NOZORDER) && insertAfter != HWND_TOP && insertAfter != HWND_BOTTOM &&
            insertAfter != HWND_TOPMOST && insertAfter != HWND_NOTOPMOST) {
            Window* after = Find(insertAfter);
            if (!after || after->parent != w->parent) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return FALSE;
            }
        }
    }
    SendMessageW(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
    flags = wp.flags;
    bool wasVisible = false, nowVisible = false, topLevel = false;
    {
        std::lock_guard lock(s.lock);
        Window* w = Find(hwnd);
        if (!w) return FALSE;
        topLevel = !w->parent;
        wasVisible = IsVisibleChain(*w);
        RECT oldScreen = WindowScreenRect(*w);
        RECT r = w->rect;
        if (!(flags & SWP_NOMOVE)) {
            int cx = r.right - r.left, cy = r.bottom - r.top;
            r = RECT{wp.x, wp.y, wp.x + cx, wp.y + cy};
        }
        if (!(flags & SWP_NOSIZE)) {
            r.right = r.left + std::clamp(wp.cx, 0, 32767);
            r.bottom = r.top + std::clamp(wp.cy, 0, 32767);
        }
        bool moved = r.left != w->rect.left || r.top != w->rect.top;
        bool sized = (r.right - r.left) != (w->rect.right - w->rect.left) ||
                     (r.bottom - r.top) != (w->rect.bottom - w->rect.top);
        if (!moved) flags |= SWP_NOMOVE;
        if (!sized) flags |= SWP_NOSIZE;
        w->rect = r;
        bool reordered = false;
        if (!(flags & SWP_NOZORDER)) {
            auto& list = SiblingList(*w);
            auto old = std::find(list.begin(), list.end(), hwnd);
            size_t oldIndex = old - list.begin();
            if (old != list.end()) list.erase(old);
            HWND after = wp.hwndInsertAfter;
            if (after == HWND_TOPMOST && topLevel) w->exStyle |= WS_EX_TOPMOST;
            if (after == HWND_NOTOPMOST && topLevel) w->exStyle &= ~WS_EX_TOPMOST;
            auto firstPlain = [&] {
                return std::find_if(list.begin(), list.end(), [](HWND h) {
                    Window* o = Find(h);
                    return !o || !(o->exStyle & WS_EX_TOPMOST);
                });
            };
            std::vector<HWND>::iterator at;
            if (after == HWND_BOTTOM) at = list.end();
            else if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST)
                at = (topLevel && !(w->exStyle & WS_EX_TOPMOST)) ? firstPlain() : list.begin();
            else {
                auto pos = std::find(list.begin(), list.end(), after);
                at = pos == list.end() ? list.begin() : pos + 1;
            }
            if (at == list.end() && after == HWND_BOTTOM && topLevel) w->exStyle &= ~WS_EX_TOPMOST;
            list.insert(at, hwnd);
            reordered = static_cast<size_t>(std::find(list.begin(), list.end(), hwnd) - list.begin()) != oldIndex;
        }
        if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
        if (flags & SWP_HIDEWINDOW) {
            w->style &= ~WS_VISIBLE;
            if (s.capture && InSubtree(hwnd, s.capture)) s.capture = nullptr;
        }
        nowVisible = IsVisibleChain(*w);
        bool changed = moved || sized || reordered || wasVisible != nowVisible || (flags & SWP_FRAMECHANGED);
        if (changed && !(flags & SWP_NOREDRAW)) {
            if (wasVisible) ExposeScreenArea(oldScreen);
            if (nowVisible) {
                w->frame = true;
                InvalidateScreenArea(*w, WindowScreenRect(*w), true, true);
            }
        } else if (changed && wasVisible && !nowVisible) {
            ExposeScreenArea(oldScreen);
        }
        wp.flags = flags;
        wp.x = r.left;
        wp.y = r.top;
        wp.cx = r.right - r.left;
        wp.cy = r.bottom - r.top;
    }
    SendMessageW(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
    if (flags & SWP_HIDEWINDOW) FocusParentOfHidden(hwnd);
    if (topLevel && nowVisible && !(flags & SWP_NOACTIVATE) && (!(flags & SWP_NOZORDER) || (flags & SWP_SHOWWINDOW)))
        if (GetActiveWindow() != hwnd) SetActiveWindow(hwnd);
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) { return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
    if (!rect) return FALSE;
    std::lock_guard lock(Wm().lock);
    if (hwnd == GetDesktopWindow()) {
        *rect = ScreenRect();
        return TRUE;
    }
    Window* w = FindOrError(hwnd);
    if (!w) return FALSE;
    *rect = WindowScreenRect(*w);
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
    if (!rect) return FALSE;
    std::lock_guard lock(Wm().lock);
    if (hwnd == GetDesktopWindow()) {
        *rect = ScreenRect();
        return TRUE;
    }
    Window* w = FindOrError(hwnd);
    if (!w) return FALSE;
    *rect = ClientRectLocal(*w);
    return TRUE;
}

static bool OriginOf(HWND hwnd, POINT& o) {
    if (!hwnd || hwnd == GetDesktopWindow()) {
        o = POINT{0, 0};
        return true;
    }
    Window* w = FindOrError(hwnd);
    if (!w) return false;
    o = ClientOrigin(*w);
    return true;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
    if (!point) return FALSE;
    std::lock_guard lock(Wm().lock);
    POINT o;
    if (!OriginOf(hwnd, o)) return FALSE;
    point->x += o.x;
    point->y += o.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
    if (!point) return FALSE;
    std::lock_guard lock(Wm().lock);
    POINT o;
    if (!OriginOf(hwnd, o)) return FALSE;
    point->x -= o.x;
    point->y -= o.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
    std::lock_guard lock(Wm().lock);
    POINT a, b;
    if (!OriginOf(from, a) || !OriginOf(to, b)) return 0;
    int dx = a.x - b.x, dy = a.y - b.y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    SetLastError(0);
    return MAKELONG(static_cast<WORD>(static_cast<SHORT>(dx)), static_cast<WORD>(static_cast<SHORT>(dy)));
}

bool device::ui::SetFillsWorkArea(HWND hwnd, bool fills) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* w = Find(hwnd);
    if (!w || w->parent || w->fillsWorkArea == fills) return false;
    w->fillsWorkArea = fills;
    // The client area moved inside the window: everything of it draws again.
    if (IsVisibleChain(*w)) {
        w->frame = true;
        InvalidateScreenArea(*w, WindowScreenRect(*w), true, true);
    }
    if (s.active == hwnd) MarkShellDirty();
    return true;
}

bool device::ui::FillsWorkArea(HWND hwnd) {
    std::lock_guard lock(Wm().lock);
    Window* w = Find(hwnd);
    return w && w->fillsWorkArea;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL, DWORD exStyle) {
    if (!rect) return FALSE;
    Window probe;
    probe.style = style;
    probe.exStyle = exStyle;
    RECT in = NonClientInsets(probe);
    rect->left -= in.left;
    rect->top -= in.top;
    rect->right += in.right;
    rect->bottom += in.bottom;
    return TRUE;
}

// [SECTION] Hit testing and searches -----------------------------------------------------------

HWND WindowFromPoint(POINT point) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    // The shell's taskbar and the input panel lie over every window.
    RECT work = WorkArea();
    if (point.y < work.top) return nullptr;
    if (OnSipLocked(point)) return nullptr;
    for (HWND h : s.topLevels) {
        Window* w = Find(h);
        if (!w || !(w->style & WS_VISIBLE) || w->destroying) continue;
        if (!PtIn(WindowScreenRect(*w), point)) continue;
        // A disabled window's area belongs to its parent; a disabled top-level window takes the
        // point away from the windows under it.
        if (w->style & WS_DISABLED) return nullptr;
        Window* hit = w;
        for (;;) {
            RECT client = ClientScreenRect(*hit);
            if (!PtIn(client, point)) break;
            // Children's rectangles are relative to this client origin.
            POINT local{point.x - client.left, point.y - client.top};
            Window* next = nullptr;
            for (HWND c : hit->children) {
                Window* cw = Find(c);
                // Transparent children (group boxes) let the stylus reach the windows under them.
                if (cw && (cw->style & WS_VISIBLE) && !(cw->exStyle & WS_EX_TRANSPARENT) && PtIn(cw->rect, local)) {
                    next = cw;
                    break;
                }
            }
            if (!next || (next->style & WS_DISABLED)) break;
            hit = next;
        }
        return hit->handle;
    }
    return nullptr;
}

HWND ChildWindowFromPointEx(HWND parent, POINT point, UINT flags) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    Window* p = FindOrError(parent);
    if (!p) return nullptr;
    RECT client = ClientRectLocal(*p);
    if (!PtIn(client, point)) return nullptr;
    for (HWND c : p->children) {
        Window* cw = Find(c);
        if (!cw) continue;
        if ((flags & CWP_SKIPINVISIBLE) && !(cw->style & WS_VISIBLE)) continue;
        if ((flags & CWP_SKIPDISABLED) && (cw->style & WS_DISABLED)) continue;
        if ((flags & CWP_SKIPTRANSPARENT) && (cw->exStyle & WS_EX_TRANSPARENT)) continue;
        if (PtIn(cw->rect, point)) return c;
    }
    return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT point) { return ChildWindowFromPointEx(parent, point, CWP_ALL); }

// [SECTION] Rectangle helpers ------------------------------------------------------------------

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (!rect) return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}
BOOL SetRectEmpty(LPRECT rect) { return SetRect(rect, 0, 0, 0, 0); }
BOOL CopyRect(LPRECT dest, const RECT* src) {
    if (!dest || !src) return FALSE;
    *dest = *src;
    return TRUE;
}
BOOL IsRectEmpty(const RECT* rect) { return !rect || rect->right <= rect->left || rect->bottom <= rect->top; }
BOOL PtInRect(const RECT* rect, POINT point) { return rect && PtIn(*rect, point) ? TRUE : FALSE; }
BOOL OffsetRect(LPRECT rect, int dx, int dy) {
    if (!rect) return FALSE;
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return TRUE;
}
BOOL InflateRect(LPRECT rect, int dx, int dy) {
    if (!rect) return FALSE;
    rect->left -= dx;
    rect->right += dx;
    rect->top -= dy;
    rect->bottom += dy;
    return TRUE;
}
BOOL IntersectRect(LPRECT dest, const RECT* a, const RECT* b) {
    if (!dest || !a || !b) return FALSE;
    RECT r = gdi::RectIntersect(*a, *b);
    *dest = r;
    return gdi::RectEmpty(r) ? FALSE : TRUE;
}
BOOL UnionRect(LPRECT dest, const RECT* a, const RECT* b) {
    if (!dest || !a || !b) return FALSE;
    bool ea = IsRectEmpty(a), eb = IsRectEmpty(b);
    if (ea && eb) {
        *dest = RECT{0, 0, 0, 0};
        return FALSE;
    }
    if (ea) *dest = *b;
    else if (eb) *dest = *a;
    else
        *dest = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                     std::max(a->bottom, b->bottom)};
    return TRUE;
}
BOOL SubtractRect(LPRECT dest, const RECT* a, const RECT* b) {
    if (!dest || !a || !b) return FALSE;
    RECT r = *a;
    RECT i = gdi::RectIntersect(*a, *b);
    if (!gdi::RectEmpty(i)) {
        // Only a cut across a whole side leaves a rectangle.
        if (i.top <= r.top && i.bottom >= r.bottom) {
            if (i.left <= r.left) r.left = std::max(r.left, i.right);
            else if (i.right >= r.right) r.right = std::min(r.right, i.left);
        } else if (i.left <= r.left && i.right >= r.right) {
            if (i.top <= r.top) r.top = std::max(r.top, i.bottom);
            else if (i.bottom >= r.bottom) r.bottom = std::min(r.bottom, i.top);
        }
    }
    *dest = r;
    return IsRectEmpty(&r) ? FALSE : TRUE;
}
BOOL EqualRect(const RECT* a, const RECT* b) {
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

namespace device::ui {

void RemoveWindowsOfQueue(ThreadQueue& q) {
    WmState& s = Wm();
    std::vector<HWND> mine;
    for (auto& [h, w] : s.windows)
        if (w->queue.get() == &q) mine.push_back(h);
    for (HWND h : mine) RemoveWindow(h);
}

} // namespace device::ui
