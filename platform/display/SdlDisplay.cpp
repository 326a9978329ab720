// The SDL2 back end: a host window showing the device screen, the mouse as the stylus and the
// keyboard as the device's keys. The window shows every screen pixel as DEVICE_SCALE host pixels;
// without DEVICE_SCALE, twice, or once when twice would not fit the host display's usable area. A
// VGA screen's framebuffer holds the program's half-size picture, shown with each pixel doubled.
// Keys give key messages; the characters they type come from SDL's text input (UTF-8), so every
// character of the host keyboard layout arrives as typed, and one the device's code page
// (Windows-1252) cannot hold is dropped. F1 asks the active window for help, F2 turns the screen,
// F3 raises or lowers the input panel; the title names the screen's shape. Frames go to the
// window's own surface, scaled in software, and only the parts of the screen that changed are
// sent: a screen this small needs no GL driver, and loading one would more than double the
// program's memory. The UI thread waits in SDL for the window system's events; another thread
// that wakes it pushes an event of its own. SDL itself is loaded when a window is
// wanted, not with the program: it brings some fifty libraries (X11, Wayland, sound) whose
// loading every start, headless ones included, would otherwise pay.

#include "platform/base/CodePage.h"
#include "platform/base/Utf8.h"
#include "platform/display/DisplayDriver.h"
#include "platform/display/PresentTrace.h"
#include "platform/display/SdlDisplay.h"
#include "platform/system/HostLibrary.h"
#include "platform/ui/DeviceProgram.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/WinUser.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace device::display {

namespace sdl {

int DefaultScale(int screenWidth, int screenHeight, int usableWidth, int usableHeight) {
    constexpr int kTitleBar = 40;  // the host's window frame and title
    if (usableWidth <= 0 || usableHeight <= 0) return 2;
    return screenWidth * 2 <= usableWidth && screenHeight * 2 + kTitleBar <= usableHeight ? 2 : 1;
}

std::wstring DeviceCharacters(const char* utf8) {
    std::wstring out;
    if (!utf8) return out;
    for (wchar_t c : FromUtf8(utf8)) {
        bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
        if (!control && Cp1252Byte(c) >= 0) out.push_back(c);
    }
    return out;
}

} // namespace sdl

namespace {

// The SDL functions the back end calls, through pointers into the loaded library.
#define SDL_FUNCTIONS(X) \
    X(SDL_CreateRGBSurfaceWithFormatFrom) \
    X(SDL_CreateWindow) \
    X(SDL_DestroyWindow) \
    X(SDL_FillRect) \
    X(SDL_FlushEvent) \
    X(SDL_FreeSurface) \
    X(SDL_GetDisplayUsableBounds) \
    X(SDL_GetWindowDisplayIndex) \
    X(SDL_GetWindowPosition) \
    X(SDL_GetWindowSize) \
    X(SDL_GetWindowSurface) \
    X(SDL_Init) \
    X(SDL_MapRGB) \
    X(SDL_PeepEvents) \
    X(SDL_PumpEvents) \
    X(SDL_PushEvent) \
    X(SDL_Quit) \
    X(SDL_RaiseWindow) \
    X(SDL_SetHint) \
    X(SDL_SetHintWithPriority) \
    X(SDL_SetSurfaceBlendMode) \
    X(SDL_SetWindowPosition) \
    X(SDL_SetWindowSize) \
    X(SDL_SetWindowTitle) \
    X(SDL_ShowWindow) \
    X(SDL_StartTextInput) \
    X(SDL_StopTextInput) \
    X(SDL_UpdateWindowSurfaceRects) \
    X(SDL_UpperBlit) \
    X(SDL_UpperBlitScaled) \
    X(SDL_WaitEventTimeout)

DEVICE_HOST_LIBRARY(SdlLibrary, "libSDL2-2.0.so.0", SDL_FUNCTIONS);

// Null until Init loaded SDL.
const SdlLibrary* g_sdl = nullptr;

SDL_Window* g_window = nullptr;
int g_frameWidth = 0;   // framebuffer size of the last frame shown
int g_frameHeight = 0;
int g_askedScale = 0;  // DEVICE_SCALE, 0 when not set
int g_scale = 2;       // host pixels per screen pixel
int g_pixelScale = 1;  // screen pixels per framebuffer pixel (2 on VGA)
// The window shows nothing of the frame yet (new, resized, or exposed by the host): the next
// present sends the whole frame.
bool g_wholeFrame = true;
bool g_ringShown = false;  // the wait cursor's ring is on the window
bool g_windowShown = false;
// When the window was made, and since when the wait cursor is up while it is still hidden
// (zero: it is not).
std::chrono::steady_clock::time_point g_madeAt{};
std::chrono::steady_clock::time_point g_busySince{};
// A wake event is in SDL's queue and not yet taken (at most one is).
std::atomic<bool> g_wakePending{false};

bool Available() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

std::string Title(int width, int height) {
    const char* shape = width > height ? "landscape" : width < height ? "portrait" : "square";
    return "Jorvana device " + std::to_string(width) + "x" + std::to_string(height) + " " + shape +
           "  (F1 help, F2 rotate, F3 input panel)";
}

// The usable area of the host display the window is on (the first display while there is no
// window) and that display's index; empty when SDL cannot tell.
SDL_Rect UsableArea(int& display) {
    display = g_window ? std::max(0, g_sdl->SDL_GetWindowDisplayIndex(g_window)) : 0;
    SDL_Rect usable{0, 0, 0, 0};
    if (g_sdl->SDL_GetDisplayUsableBounds(display, &usable) != 0) usable = SDL_Rect{0, 0, 0, 0};
    return usable;
}

// The scale (host pixels per screen pixel) for a screen of this many screen pixels.
void ChooseScale(int screenWidth, int screenHeight) {
    if (g_askedScale) {
        g_scale = g_askedScale;
        return;
    }
    int display = 0;
    SDL_Rect usable = UsableArea(display);
    g_scale = sdl::DefaultScale(screenWidth, screenHeight, usable.w, usable.h);
}

// A window that grew past the usable area (the screen turned) is centred on it again.
void KeepOnDisplay() {
    int display = 0;
    SDL_Rect usable = UsableArea(display);
    if (usable.w <= 0) return;
    int x = 0, y = 0, w = 0, h = 0;
    g_sdl->SDL_GetWindowPosition(g_window, &x, &y);
    g_sdl->SDL_GetWindowSize(g_window, &w, &h);
    if (x < usable.x || y < usable.y || x + w > usable.x + usable.w || y + h > usable.y + usable.h)
        g_sdl->SDL_SetWindowPosition(g_window, SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                                     SDL_WINDOWPOS_CENTERED_DISPLAY(display));
}

bool Init() {
    static const SdlLibrary library;
    if (!library.ok) return false;
    g_sdl = &library;
    g_askedScale = 0;
    if (const char* scale = std::getenv("DEVICE_SCALE")) {
        int s = std::atoi(scale);
        if (s >= 1 && s <= 4) g_askedScale = s;
    }
    // The host display named, and no other: a DISPLAY that cannot be opened fails here rather
    // than SDL falling back to some other video driver that shows nothing.
    if (!std::getenv("SDL_VIDEODRIVER")) {
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        g_sdl->SDL_SetHint(SDL_HINT_VIDEODRIVER, wayland && *wayland ? "wayland,x11" : "x11");
    }
    // The window surface as the host's own framebuffer (X11 shared memory, a Wayland buffer),
    // not a texture of a GL renderer standing in for it.
    g_sdl->SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    if (g_sdl->SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
    ui::ScreenShape shape = ui::GetScreenShape();
    g_pixelScale = std::max(1, shape.pixelScale);
    int width = shape.width * g_pixelScale, height = shape.height * g_pixelScale;
    ChooseScale(width, height);
    // Hidden until it has something of the program's to show (see WindowDue).
    g_madeAt = std::chrono::steady_clock::now();
    g_window = g_sdl->SDL_CreateWindow(Title(width, height).c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                width * g_scale, height * g_scale, SDL_WINDOW_HIDDEN);
    if (!g_window) {
        g_sdl->SDL_Quit();
        return false;
    }
    if (!g_sdl->SDL_GetWindowSurface(g_window)) {
        g_sdl->SDL_DestroyWindow(g_window);
        g_window = nullptr;
        g_sdl->SDL_Quit();
        return false;
    }
    g_sdl->SDL_StartTextInput();
    return true;
}

void Shutdown() {
    if (!g_sdl) return;
    if (g_window) g_sdl->SDL_StopTextInput();
    if (g_window) g_sdl->SDL_DestroyWindow(g_window);
    g_window = nullptr;
    g_frameWidth = g_frameHeight = 0;
    g_wholeFrame = true;
    g_ringShown = false;
    g_windowShown = false;
    g_busySince = {};
    g_wakePending = false;
    g_sdl->SDL_Quit();
}

// A host window point as a point of the framebuffer the program draws on.
POINT ToDevice(int x, int y) {
    int per = std::max(1, g_scale * g_pixelScale);
    return POINT{x / per, y / per};
}

// The device key of a host key (0 when the device has none: such a key is ignored) and the
// character its press makes itself: the control keys' characters; kNoCharacter for keys whose
// text comes through text input.
void KeyFor(const SDL_Keysym& key, UINT& vk, WCHAR& ch) {
    vk = 0;
    ch = ui::kNoCharacter;
    SDL_Keycode k = key.sym;
    if (k >= SDLK_a && k <= SDLK_z) {
        vk = static_cast<UINT>('A' + (k - SDLK_a));
        // Ctrl with a letter types no text; it makes the control character (Ctrl+C is 3).
        if ((key.mod & KMOD_CTRL) && !(key.mod & KMOD_ALT)) ch = static_cast<WCHAR>(1 + (k - SDLK_a));
        return;
    }
    if (k >= SDLK_0 && k <= SDLK_9) {
        vk = static_cast<UINT>(k);
        return;
    }
    switch (k) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: vk = VK_RETURN; ch = L'\r'; return;
    case SDLK_BACKSPACE: vk = VK_BACK; ch = L'\b'; return;
    case SDLK_TAB: vk = VK_TAB; ch = L'\t'; return;
    case SDLK_ESCAPE: vk = VK_ESCAPE; ch = 0x1B; return;
    case SDLK_SPACE: vk = VK_SPACE; return;
    case SDLK_LEFT: vk = VK_LEFT; return;
    case SDLK_RIGHT: vk = VK_RIGHT; return;
    case SDLK_UP: vk = VK_UP; return;
    case SDLK_DOWN: vk = VK_DOWN; return;
    case SDLK_DELETE: vk = VK_DELETE; return;
    case SDLK_F1: vk = VK_F1; return;
    case SDLK_F4: vk = VK_F4; return;
    case SDLK_F10: vk = VK_F10; return;
    case SDLK_HOME: vk = VK_HOME; return;
    case SDLK_END: vk = VK_END; return;
    case SDLK_PAGEUP: vk = VK_PRIOR; return;
    case SDLK_PAGEDOWN: vk = VK_NEXT; return;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: vk = VK_SHIFT; return;
    case SDLK_LCTRL:
    case SDLK_RCTRL: vk = VK_CONTROL; return;
    case SDLK_LALT:
    case SDLK_RALT: vk = VK_MENU; return;
    // The punctuation keys of a US layout, as the device's keyboard names them.
    case SDLK_SEMICOLON: vk = 0xBA; return;
    case SDLK_EQUALS: vk = 0xBB; return;
    case SDLK_COMMA: vk = 0xBC; return;
    case SDLK_MINUS: vk = 0xBD; return;
    case SDLK_PERIOD: vk = 0xBE; return;
    case SDLK_SLASH: vk = 0xBF; return;
    case SDLK_BACKQUOTE: vk = 0xC0; return;
    case SDLK_LEFTBRACKET: vk = 0xDB; return;
    case SDLK_BACKSLASH: vk = 0xDC; return;
    case SDLK_RIGHTBRACKET: vk = 0xDD; return;
    case SDLK_QUOTE: vk = 0xDE; return;
    default: break;
    }
}

void Present();

void Pump() {
    if (!g_sdl) return;
    bool exposed = false;
    SDL_Event e;
    // Every event queued, also those that came in after the poll mark a wait leaves behind.
    g_sdl->SDL_PumpEvents();
    while (g_sdl->SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        switch (e.type) {
        case SDL_USEREVENT:
            // Wake's event: it only ended a wait.
            g_wakePending = false;
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT) ui::InjectStylus(ui::StylusAction::Down, ToDevice(e.button.x, e.button.y));
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.button == SDL_BUTTON_LEFT) ui::InjectStylus(ui::StylusAction::Up, ToDevice(e.button.x, e.button.y));
            break;
        case SDL_MOUSEMOTION: ui::InjectStylus(ui::StylusAction::Move, ToDevice(e.motion.x, e.motion.y)); break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            bool down = e.type == SDL_KEYDOWN;
            if (e.key.keysym.sym == SDLK_F2) {
                if (down && !e.key.repeat) ui::RotateScreen();
                break;
            }
            if (e.key.keysym.sym == SDLK_F3) {
                if (down && !e.key.repeat) ui::SetSipUp(!ui::IsSipUp());
                break;
            }
            UINT vk;
            WCHAR ch;
            KeyFor(e.key.keysym, vk, ch);
            if (vk) ui::InjectKey(vk, down, ch);
            break;
        }
        case SDL_TEXTINPUT:
            for (wchar_t c : sdl::DeviceCharacters(e.text.text)) ui::InjectChar(c);
            break;
        case SDL_QUIT:
            // Closing the host window ends the program, whatever dialog it shows.
            ui::RequestProgramEnd();
            break;
        case SDL_WINDOWEVENT:
            // The host lost what the window showed: the frame goes out again as it is (nothing
            // needs repainting, the framebuffer holds it).
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED) exposed = true;
            break;
        default: break;
        }
    }
    if (exposed) {
        g_wholeFrame = true;
        Present();
    }
}

void Wait(int timeoutMs) {
    if (g_sdl) g_sdl->SDL_WaitEventTimeout(nullptr, timeoutMs);
}

void Wake() {
    if (!g_sdl || g_wakePending.exchange(true)) return;
    SDL_Event e{};
    e.type = SDL_USEREVENT;
    if (g_sdl->SDL_PushEvent(&e) <= 0) g_wakePending = false;
}

void Raise() {
    if (g_sdl && g_window) g_sdl->SDL_RaiseWindow(g_window);
}

// The wait cursor: a ring of dots in the middle of the window, and the window rectangle it takes.
constexpr int kRingDx[] = {0, 11, 16, 11, 0, -11, -16, -11};
constexpr int kRingDy[] = {-16, -11, 0, 11, 16, 11, 0, -11};
SDL_Rect RingArea() {
    int per = g_scale * g_pixelScale;
    int cx = g_frameWidth * per / 2, cy = g_frameHeight * per / 2;
    return SDL_Rect{cx - 19, cy - 19, 39, 39};
}

void DrawRing(SDL_Surface* target) {
    SDL_Rect area = RingArea();
    int cx = area.x + 19, cy = area.y + 19;
    for (int i = 0; i < 8; ++i) {
        SDL_Rect dot{cx + kRingDx[i] - 3, cy + kRingDy[i] - 3, 7, 7};
        g_sdl->SDL_FillRect(target, &dot, g_sdl->SDL_MapRGB(target->format, static_cast<Uint8>(40 + i * 25), 60, 200));
    }
}

// The window is mapped with its first frame that holds a window of the program (or the wait
// cursor, when it has been up a moment or the start is taking long), so that the host never
// shows the empty screen of a program still starting, nor the frames on the way to its window.
bool WindowDue() {
    if (g_windowShown) return true;
    constexpr auto kBusyShownAfter = std::chrono::milliseconds(200);
    const auto now = std::chrono::steady_clock::now();
    if (!ui::IsBusyCursor()) {
        g_busySince = {};
    } else {
        if (g_busySince == std::chrono::steady_clock::time_point{}) g_busySince = now;
        if (now - g_busySince >= kBusyShownAfter || now - g_madeAt >= kBusyShownAfter) return true;
    }
    return ui::AnyTopLevelShown();
}

// Maps the window, its first frame already on its surface.
void ShowWindowNow() {
    g_sdl->SDL_ShowWindow(g_window);
    g_windowShown = true;
    trace::NoteMapped();
    // The host's exposure of the new window is answered by the whole frame that follows.
    g_sdl->SDL_PumpEvents();
    g_sdl->SDL_FlushEvent(SDL_WINDOWEVENT);
}

// Sends to the host the parts of the frame that changed since the last present (all of it when
// the window shows nothing of it yet), and the wait cursor over it.
void Present() {
    if (!g_window) return;
    // A frame the hidden window does not show is taken all the same: what it changed goes out
    // with the whole frame that the window's mapping sends.
    const bool shown = WindowDue();
    SDL_Surface* target = nullptr;
    std::vector<SDL_Rect> sent;
    std::vector<RECT> sentFrame;
    ui::WithPresentedFrame([&](const gdi::Bitmap& fb, const std::vector<RECT>& changed) {
        if (!shown) return;
        if (fb.Width() != g_frameWidth || fb.Height() != g_frameHeight) {
            g_frameWidth = fb.Width();
            g_frameHeight = fb.Height();
            g_pixelScale = std::max(1, ui::GetScreenShape().pixelScale);
            int width = fb.Width() * g_pixelScale, height = fb.Height() * g_pixelScale;
            ChooseScale(width, height);
            g_sdl->SDL_SetWindowSize(g_window, width * g_scale, height * g_scale);
            KeepOnDisplay();
            g_sdl->SDL_SetWindowTitle(g_window, Title(width, height).c_str());
            g_wholeFrame = true;
        }
        // A resized window has a new surface; SDL hands out the current one.
        target = g_sdl->SDL_GetWindowSurface(g_window);
        if (!target) return;
        SDL_Surface* frame = g_sdl->SDL_CreateRGBSurfaceWithFormatFrom(const_cast<void*>(static_cast<const void*>(fb.Bits())),
                                                                fb.Width(), fb.Height(), 32, fb.Stride(),
                                                                SDL_PIXELFORMAT_RGB888);
        if (!frame) {
            target = nullptr;
            return;
        }
        // Each framebuffer pixel as a square of host pixels (nearest, no smoothing).
        g_sdl->SDL_SetSurfaceBlendMode(frame, SDL_BLENDMODE_NONE);
        const int per = g_scale * g_pixelScale;
        auto send = [&](RECT r) {
            r = RECT{std::max<LONG>(r.left, 0), std::max<LONG>(r.top, 0), std::min<LONG>(r.right, fb.Width()),
                     std::min<LONG>(r.bottom, fb.Height())};
            if (r.left >= r.right || r.top >= r.bottom) return;
            SDL_Rect from{static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
                          static_cast<int>(r.bottom - r.top)};
            SDL_Rect to{from.x * per, from.y * per, from.w * per, from.h * per};
            if (per == 1) g_sdl->SDL_UpperBlit(frame, &from, target, &to);
            else g_sdl->SDL_UpperBlitScaled(frame, &from, target, &to);
            sent.push_back(SDL_Rect{from.x * per, from.y * per, from.w * per, from.h * per});
            sentFrame.push_back(r);
        };
        if (g_wholeFrame) {
            send(RECT{0, 0, fb.Width(), fb.Height()});
            g_wholeFrame = false;
            g_ringShown = false;
        } else {
            for (const RECT& r : changed) send(r);
            if (g_ringShown) {
                // The frame under the ring, which goes or is drawn again over it.
                SDL_Rect ring = RingArea();
                send(RECT{ring.x / per, ring.y / per, (ring.x + ring.w + per - 1) / per, (ring.y + ring.h + per - 1) / per});
            }
        }
        g_sdl->SDL_FreeSurface(frame);
    });
    if (!target) return;
    if (!g_windowShown) ShowWindowNow();
    g_ringShown = ui::IsBusyCursor();
    if (g_ringShown) {
        DrawRing(target);
        sent.push_back(RingArea());
    }
    if (!sent.empty()) g_sdl->SDL_UpdateWindowSurfaceRects(g_window, sent.data(), static_cast<int>(sent.size()));
    trace::NotePresent(sentFrame);
}

} // namespace

const DisplayDriver kSdlDriver{"sdl", Available, Init, Shutdown, Pump, Present, nullptr, 0, Raise, Wait, Wake};

} // namespace device::display
