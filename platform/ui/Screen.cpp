// The device's screen: its shape and rotation, the framebuffer, the metrics and system
// parameters, the taskbar (top 26 pixels) and the input panel (80 pixels above the menu bar),
// the wait cursor and the beep.
//
// [SECTION] Screen state and framebuffer
// [SECTION] Shell bars: taskbar and input panel
// [SECTION] Shape changes and notifications
// [SECTION] Metrics and system parameters
// [SECTION] Input panel calls
// [SECTION] Cursor and beep

#include "platform/base/CaseFold.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/Menus.h"
#include "platform/ui/DialogInternal.h"
#include "platform/ui/Sip.h"
#include "platform/ui/WindowManager.h"

#include <algorithm>
#include <atomic>

namespace device::ui {

// [SECTION] Screen state and framebuffer -------------------------------------------------------

namespace {

// Guards the shape and panel state only; may be taken under the window manager's lock, never
// the other way round.
std::mutex g_screenLock;
bool g_initialised = false;
ScreenShape g_shape;
bool g_sipUp = false;

std::atomic<bool> g_busy{false};
// A wait for a store another process holds is shown as the wait cursor until the thread next
// has nothing to do.
std::atomic<bool> g_storeWait{false};
std::atomic<int> g_beeps{0};

// Lock held (Wm().lock).
std::unique_ptr<gdi::Bitmap> g_framebuffer;
// Old framebuffers stay alive: a context handed out before a rotation may still point at one.
std::vector<std::unique_ptr<gdi::Bitmap>> g_retired;
bool g_shellDirty = true;

int DpiFor(int width, int height) { return std::max(width, height) >= 640 ? 192 : 96; }

void InitLocked() {
    if (g_initialised) return;
    gdi::ScreenInfo info = gdi::GetScreenInfo();
    g_shape.width = info.width > 0 ? info.width : 240;
    g_shape.height = info.height > 0 ? info.height : 320;
    g_shape.dpi = info.dpi > 0 ? info.dpi : 96;
    g_shape.pixelScale = info.pixelScale >= 1 ? info.pixelScale : 1;
    g_initialised = true;
}

} // namespace

ScreenShape GetScreenShape() {
    std::lock_guard lock(g_screenLock);
    InitLocked();
    return g_shape;
}

gdi::Bitmap* FramebufferLocked() {
    ScreenShape shape = GetScreenShape();
    if (!g_framebuffer || g_framebuffer->Width() != shape.width || g_framebuffer->Height() != shape.height) {
        if (g_framebuffer) g_retired.push_back(std::move(g_framebuffer));
        g_framebuffer = gdi::Bitmap::Create(shape.width, shape.height, gdi::PixelFormat::Xrgb32);
        if (!g_framebuffer) return nullptr;
        g_framebuffer->Fill(0xFFFFFF);
        Wm().desktopDirty = gdi::Region(RECT{0, 0, shape.width, shape.height});
        g_shellDirty = true;
        Wm().screenDirty = true;
    }
    return g_framebuffer.get();
}

RECT WorkArea() {
    ScreenShape s = GetScreenShape();
    return RECT{0, kTaskbarHeight, s.width, s.height};
}

RECT SipRect() {
    ScreenShape s = GetScreenShape();
    int menu = GetSystemMetrics(SM_CYMENU);
    return RECT{0, s.height - menu - kSipHeight, s.width, s.height - menu};
}

bool IsSipUp() {
    std::lock_guard lock(g_screenLock);
    return g_sipUp;
}

std::vector<RECT> MenusOverSipLocked() {
    std::vector<RECT> menus;
    if (!IsSipUp()) return menus;
    const RECT panel = SipRect();
    for (HWND h : Wm().topLevels) {
        Window* w = Find(h);
        if (!w || !(w->style & WS_VISIBLE) || w->destroying || !w->cls ||
            !device::EqualNoCase(w->cls->name.c_str(), kPopupMenuClass))
            continue;
        RECT r = gdi::RectIntersect(WindowScreenRect(*w), panel);
        if (!gdi::RectEmpty(r)) menus.push_back(r);
    }
    return menus;
}

bool OnSipLocked(POINT point) {
    if (!IsSipUp()) return false;
    const RECT panel = SipRect();
    if (point.x < panel.left || point.x >= panel.right || point.y < panel.top || point.y >= panel.bottom) return false;
    for (const RECT& menu : MenusOverSipLocked())
        if (point.x >= menu.left && point.x < menu.right && point.y >= menu.top && point.y < menu.bottom) return false;
    return true;
}

gdi::Region ShellAreaLocked() {
    ScreenShape s = GetScreenShape();
    gdi::Region area(RECT{0, 0, s.width, kTaskbarHeight});
    if (IsSipUp()) {
        gdi::Region panel(SipRect());
        for (const RECT& menu : MenusOverSipLocked()) panel.SubtractRect(menu);
        area.Unite(panel);
    }
    return area;
}

void WithFramebuffer(const std::function<void(const gdi::Bitmap&)>& f) {
    std::lock_guard lock(Wm().lock);
    if (gdi::Bitmap* fb = FramebufferLocked()) f(*fb);
}

void WithPresentedFrame(const std::function<void(const gdi::Bitmap&, const std::vector<RECT>&)>& f) {
    WmState& s = Wm();
    std::lock_guard lock(s.lock);
    gdi::Bitmap* fb = FramebufferLocked();
    if (!fb) return;
    s.frames.Note(*fb);
    std::vector<RECT> changed = s.frames.Take();
    s.presentedBusy = IsBusyCursor();
    ++s.presented.count;
    s.presented.last = changed;
    f(*fb, changed);
}

bool AnyTopLevelShown() {
    std::lock_guard lock(Wm().lock);
    return std::any_of(Wm().topLevels.begin(), Wm().topLevels.end(), [](HWND h) {
        const Window* w = Find(h);
        return w && (w->style & WS_VISIBLE);
    });
}

PresentedFrames GetPresentedFrames() {
    std::lock_guard lock(Wm().lock);
    return Wm().presented;
}

std::unique_ptr<gdi::Bitmap> CopyScreen() {
    std::lock_guard lock(Wm().lock);
    PaintDesktopLocked();
    gdi::Bitmap* fb = FramebufferLocked();
    if (!fb) return nullptr;
    auto copy = gdi::Bitmap::Create(fb->Width(), fb->Height(), gdi::PixelFormat::Xrgb32);
    if (copy) std::copy(fb->Bits(), fb->Bits() + fb->ByteSize(), copy->Bits());
    return copy;
}

// [SECTION] Shell bars: taskbar and input panel ------------------------------------------------

void MarkShellDirty() {
    g_shellDirty = true;
    Wm().screenDirty = true;
}

std::vector<SipKey> SipKeys(const RECT& panel) {
    static const wchar_t* const rows[] = {L"1234567890", L"qwertyuiop", L"asdfghjkl", L"zxcvbnm,.-"};
    std::vector<SipKey> keys;
    int rowHeight = (panel.bottom - panel.top) / 5;
    int width = panel.right - panel.left;
    for (int row = 0; row < 4; ++row) {
        const wchar_t* text = rows[row];
        int n = static_cast<int>(wcslen(text)) + 1;  // one wide key closes each row
        int keyWidth = width / (n + 1);
        int top = panel.top + row * rowHeight;
        for (int i = 0; i < n - 1; ++i) {
            WCHAR ch = text[i];
            UINT vk = (ch >= L'a' && ch <= L'z') ? static_cast<UINT>(ch - L'a' + 'A') : (ch >= L'0' && ch <= L'9') ? ch : 0;
            if (ch == L',') vk = 0xBC;
            if (ch == L'.') vk = 0xBE;
            if (ch == L'-') vk = 0xBD;
            keys.push_back(SipKey{RECT{panel.left + i * keyWidth, top, panel.left + (i + 1) * keyWidth, top + rowHeight},
                                  vk, ch, nullptr});
        }
        RECT last{panel.left + (n - 1) * keyWidth, top, panel.right, top + rowHeight};
        if (row == 0) keys.push_back(SipKey{last, VK_BACK, L'\b', L"<-"});
        else if (row == 1) keys.push_back(SipKey{last, VK_DELETE, 0, L"Del"});
        else if (row == 2) keys.push_back(SipKey{last, VK_RETURN, L'\r', L"Ent"});
        else keys.push_back(SipKey{last, VK_TAB, L'\t', L"Tab"});
    }
    int top = panel.top + 4 * rowHeight;
    keys.push_back(SipKey{RECT{panel.left + width / 4, top, panel.right - width / 4, panel.bottom}, VK_SPACE, L' ', L"space"});
    return keys;
}

bool ShowsOkInTaskbarLocked(const Window& w) {
    return !w.parent && w.fillsWorkArea && (w.exStyle & WS_EX_CAPTIONOKBTN) && Wm().active == w.handle &&
           !w.destroying;
}

RECT TaskbarOkRectLocked() {
    ScreenShape s = GetScreenShape();
    constexpr int kOkWidth = 36;
    return RECT{s.width - 4 - kOkWidth, 3, s.width - 4, kTaskbarHeight - 3};
}

RECT TaskbarOkButtonRect() {
    std::lock_guard lock(Wm().lock);
    Window* active = Find(Wm().active);
    if (!active || !ShowsOkInTaskbarLocked(*active)) return RECT{0, 0, 0, 0};
    return TaskbarOkRectLocked();
}

void DrawShellLocked() {
    if (!g_shellDirty) return;
    gdi::Bitmap* fb = FramebufferLocked();
    if (!fb) return;
    g_shellDirty = false;
    Wm().screenDirty = true;
    ScreenShape s = GetScreenShape();
    RECT bar{0, 0, s.width, kTaskbarHeight};
    HDC dc = gdi::CreateDCForSurface(fb, POINT{0, 0}, RECT{0, 0, s.width, s.height});
    if (!dc) return;
    HBRUSH barBrush = CreateSolidBrush(RGB(16, 40, 104));
    FillRect(dc, &bar, barBrush);
    DeleteObject(barBrush);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    std::wstring title;
    bool ok = false;
    if (Window* active = Find(Wm().active)) {
        title = active->text;
        ok = ShowsOkInTaskbarLocked(*active);
    }
    RECT textRect{6, 0, s.width - 6, kTaskbarHeight};
    if (ok) {
        // The full-screen window's "ok" at the right end; the title stops short of it.
        RECT button = TaskbarOkRectLocked();
        textRect.right = button.left - 4;
        DrawOkButton(dc, button, RGB(255, 255, 255));
    }
    if (!title.empty())
        DrawTextW(dc, title.c_str(), -1, &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (IsSipUp()) {
        RECT panel = SipRect();
        // Not over an open menu: the menu lies above the panel.
        for (const RECT& menu : MenusOverSipLocked()) ExcludeClipRect(dc, menu.left, menu.top, menu.right, menu.bottom);
        HBRUSH face = CreateSolidBrush(RGB(214, 214, 214));
        FillRect(dc, &panel, face);
        DeleteObject(face);
        HBRUSH frame = CreateSolidBrush(RGB(120, 120, 120));
        SetTextColor(dc, RGB(0, 0, 0));
        for (const SipKey& key : SipKeys(panel)) {
            RECT r = key.rect;
            FrameRect(dc, &r, frame);
            wchar_t single[2] = {key.ch, 0};
            const wchar_t* label = key.label ? key.label : single;
            DrawTextW(dc, label, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        DeleteObject(frame);
    }
    DeleteDC(dc);
}

// [SECTION] Shape changes and notifications ----------------------------------------------------

void NotifyTopLevels(UINT msg, WPARAM wParam, LPARAM lParam) {
    std::vector<HWND> tops;
    {
        std::lock_guard lock(Wm().lock);
        tops = Wm().topLevels;
    }
    for (HWND h : tops)
        if (IsWindow(h)) SendMessageTimeoutW(h, msg, wParam, lParam, SMTO_NORMAL, 5000, nullptr);
}

void SetScreenShape(int width, int height, int pixelScale) {
    if (width <= 0 || height <= 0 || width > gdi::Bitmap::kMaxSide || height > gdi::Bitmap::kMaxSide) return;
    if (pixelScale < 1 || pixelScale > 4) pixelScale = 1;
    {
        std::lock_guard lock(Wm().lock);
        {
            std::lock_guard screen(g_screenLock);
            InitLocked();
            g_shape.width = width;
            g_shape.height = height;
            g_shape.dpi = DpiFor(width, height);
            g_shape.pixelScale = pixelScale;
            g_sipUp = false;
        }
        gdi::SetScreenInfo(gdi::ScreenInfo{width, height, DpiFor(width, height), pixelScale});
        FramebufferLocked();
        ExposeScreenArea(RECT{0, 0, width, height});
        MarkShellDirty();
    }
}

void RotateScreen() {
    ScreenShape s = GetScreenShape();
    bool sip = IsSipUp();
    SetScreenShape(s.height, s.width, s.pixelScale);
    if (sip) SetSipUp(true);
    NotifyTopLevels(WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
}

void SetSipUp(bool up) {
    {
        std::lock_guard lock(Wm().lock);
        {
            std::lock_guard screen(g_screenLock);
            InitLocked();
            if (g_sipUp == up) return;
            g_sipUp = up;
        }
        // Lowered: what was under the panel shows again. Raised: the panel covers it.
        if (!up) ExposeScreenArea(SipRect());
        MarkShellDirty();
    }
    NotifyTopLevels(WM_SETTINGCHANGE, SPI_SETSIPINFO, 0);
}

bool IsBusyCursor() { return g_busy.load() || g_storeWait.load(); }

void ShowStoreWait() {
    // Only the display thread draws, and only once a wait: the thread is blocked in the store,
    // so the frame goes out from here (the window mapped if the start had shown none yet).
    const DisplayHooks* hooks = CurrentDisplayHooks();
    if (!hooks || !hooks->present || !IsDisplayThread() || g_storeWait.exchange(true)) return;
    hooks->present();
}

bool EndStoreWait() { return g_storeWait.exchange(false); }
int BeepCount() { return g_beeps.load(); }

} // namespace device::ui

using namespace device::ui;

// [SECTION] Metrics and system parameters ------------------------------------------------------

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN: return GetScreenShape().width;
    case SM_CYSCREEN: return GetScreenShape().height;
    case SM_CXFULLSCREEN: return GetScreenShape().width;
    case SM_CYFULLSCREEN: return GetScreenShape().height - kTaskbarHeight;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return 13;
    case SM_CYCAPTION: return 24;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CYMENU: return 26;
    case SM_MOUSEPRESENT: return 0;
    case SM_CMOUSEBUTTONS: return 1;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_CXICONSPACING:
    case SM_CYICONSPACING: return 75;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXDRAG:
    case SM_CYDRAG: return 4;
    case SM_DEBUG:
    case SM_SWAPBUTTON: return 0;
    default: return 0;
    }
}

static void FillSipInfo(SIPINFO* info) {
    bool up = IsSipUp();
    ScreenShape s = GetScreenShape();
    RECT sip = SipRect();
    info->fdwFlags = SIPF_DOCKED | (up ? SIPF_ON : 0);
    info->rcSipRect = sip;
    info->rcVisibleDesktop = RECT{0, kTaskbarHeight, s.width, up ? sip.top : s.height - GetSystemMetrics(SM_CYMENU)};
    info->dwImDataSize = 0;
}

BOOL SystemParametersInfoW(UINT action, UINT, PVOID value, UINT) {
    switch (action) {
    case SPI_GETWORKAREA:
        if (!value) break;
        *static_cast<RECT*>(value) = WorkArea();
        return TRUE;
    case SPI_GETSIPINFO: {
        auto* info = static_cast<SIPINFO*>(value);
        if (!info || info->cbSize < sizeof(SIPINFO)) break;
        FillSipInfo(info);
        return TRUE;
    }
    case SPI_SETSIPINFO: {
        auto* info = static_cast<SIPINFO*>(value);
        if (!info || info->cbSize < sizeof(SIPINFO)) break;
        SetSipUp((info->fdwFlags & SIPF_ON) != 0);
        return TRUE;
    }
    default: break;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

// [SECTION] Input panel calls ------------------------------------------------------------------

BOOL SipGetInfo(SIPINFO* info) {
    if (!info || info->cbSize < sizeof(SIPINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FillSipInfo(info);
    return TRUE;
}

BOOL SipShowIM(DWORD flags) {
    SetSipUp((flags & SIPF_ON) != 0);
    return TRUE;
}

BOOL SHSipPreference(HWND, SIPSTATE state) {
    switch (state) {
    case SIP_UP: SetSipUp(true); return TRUE;
    case SIP_DOWN:
    case SIP_FORCEDOWN: SetSipUp(false); return TRUE;
    case SIP_UNCHANGED:
    case SIP_INPUTDIALOG: return TRUE;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

BOOL SHSipInfo(UINT action, UINT param, PVOID value, UINT winIni) {
    if (action != SPI_GETSIPINFO && action != SPI_SETSIPINFO) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return SystemParametersInfoW(action, param, value, winIni);
}

// [SECTION] Cursor and beep --------------------------------------------------------------------

namespace {
const HCURSOR kArrowCursor = reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(0x7F000));
const HCURSOR kWaitCursor = reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(0x7F020));
std::atomic<HCURSOR> g_cursor{nullptr};
} // namespace

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR name) {
    if (name == IDC_WAIT) return kWaitCursor;
    if (name == IDC_ARROW) return kArrowCursor;
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR old = g_cursor.exchange(cursor);
    bool busy = cursor == kWaitCursor;
    if (g_busy.exchange(busy) != busy) {
        {
            std::lock_guard lock(Wm().lock);
            Wm().screenDirty = true;
            // Wake the display thread so that it shows the change.
            for (auto& [id, q] : Wm().queues) WakeQueue(*q);
        }
        // The wait cursor usually goes up just before work that does not pump messages: show it now.
        if (IsDisplayThread()) IdleScreenWork();
    }
    return old;
}

HCURSOR GetCursor() { return g_cursor.load(); }

BOOL MessageBeep(UINT type) {
    ++g_beeps;
    if (const DisplayHooks* hooks = CurrentDisplayHooks(); hooks && hooks->beep) hooks->beep(type);
    return TRUE;
}
