// The SDL2 back end: a host window showing the device screen (scaled 2x unless DEVICE_SCALE says
// otherwise), the mouse as the stylus and the keyboard as the device's keys. F1 asks the active
// window for help, F2 turns the screen, F3 raises or lowers the input panel; the title names the
// screen's shape.

#include "platform/display/DisplayDriver.h"
#include "platform/ui/DeviceProgram.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/WinUser.h"

#include <SDL.h>

#include <cstdlib>
#include <string>

namespace device::display {

namespace {

SDL_Window* g_window = nullptr;
SDL_Renderer* g_renderer = nullptr;
SDL_Texture* g_texture = nullptr;
int g_textureWidth = 0;
int g_textureHeight = 0;
int g_scale = 2;

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

bool Init() {
    if (const char* scale = std::getenv("DEVICE_SCALE")) {
        int s = std::atoi(scale);
        if (s >= 1 && s <= 4) g_scale = s;
    }
    // The host display named, and no other: a DISPLAY that cannot be opened fails here rather
    // than SDL falling back to some other video driver that shows nothing.
    if (!std::getenv("SDL_VIDEODRIVER")) {
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        SDL_SetHint(SDL_HINT_VIDEODRIVER, wayland && *wayland ? "wayland,x11" : "x11");
    }
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
    ui::ScreenShape shape = ui::GetScreenShape();
    g_window = SDL_CreateWindow(Title(shape.width, shape.height).c_str(), SDL_WINDOWPOS_CENTERED,
                                SDL_WINDOWPOS_CENTERED, shape.width * g_scale, shape.height * g_scale, 0);
    if (!g_window) {
        SDL_Quit();
        return false;
    }
    g_renderer = SDL_CreateRenderer(g_window, -1, 0);
    if (!g_renderer) g_renderer = SDL_CreateRenderer(g_window, -1, SDL_RENDERER_SOFTWARE);
    if (!g_renderer) {
        SDL_DestroyWindow(g_window);
        g_window = nullptr;
        SDL_Quit();
        return false;
    }
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    return true;
}

void Shutdown() {
    if (g_texture) SDL_DestroyTexture(g_texture);
    if (g_renderer) SDL_DestroyRenderer(g_renderer);
    if (g_window) SDL_DestroyWindow(g_window);
    g_texture = nullptr;
    g_renderer = nullptr;
    g_window = nullptr;
    g_textureWidth = g_textureHeight = 0;
    SDL_Quit();
}

POINT ToDevice(int x, int y) { return POINT{x / g_scale, y / g_scale}; }

// The device key and character of a host key; vk 0 when the device has no such key.
void KeyFor(const SDL_Keysym& key, UINT& vk, WCHAR& ch) {
    vk = 0;
    ch = 0;
    bool shift = (key.mod & KMOD_SHIFT) != 0;
    SDL_Keycode k = key.sym;
    if (k >= SDLK_a && k <= SDLK_z) {
        vk = static_cast<UINT>('A' + (k - SDLK_a));
        ch = static_cast<WCHAR>(shift ? 'A' + (k - SDLK_a) : k);
        return;
    }
    if (k >= SDLK_0 && k <= SDLK_9) {
        vk = static_cast<UINT>(k);
        ch = static_cast<WCHAR>(k);
        return;
    }
    switch (k) {
    case SDLK_RETURN: vk = VK_RETURN; ch = L'\r'; return;
    case SDLK_BACKSPACE: vk = VK_BACK; ch = L'\b'; return;
    case SDLK_TAB: vk = VK_TAB; ch = L'\t'; return;
    case SDLK_ESCAPE: vk = VK_ESCAPE; ch = 0x1B; return;
    case SDLK_SPACE: vk = VK_SPACE; ch = L' '; return;
    case SDLK_LEFT: vk = VK_LEFT; return;
    case SDLK_RIGHT: vk = VK_RIGHT; return;
    case SDLK_UP: vk = VK_UP; return;
    case SDLK_DOWN: vk = VK_DOWN; return;
    case SDLK_DELETE: vk = VK_DELETE; return;
    case SDLK_F1: vk = VK_F1; return;
    case SDLK_HOME: vk = VK_HOME; return;
    case SDLK_END: vk = VK_END; return;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: vk = VK_SHIFT; return;
    default: break;
    }
    if (k >= 0x20 && k < 0x7F) {
        vk = 0xE5;
        ch = static_cast<WCHAR>(k);
    }
}

void Pump() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
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
        case SDL_QUIT:
            // Closing the host window ends the program, whatever dialog it shows.
            ui::RequestProgramEnd();
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED) InvalidateRect(nullptr, nullptr, TRUE);
            break;
        default: break;
        }
    }
}

void Raise() {
    if (g_window) SDL_RaiseWindow(g_window);
}

void Present() {
    if (!g_renderer) return;
    bool ok = true;
    ui::WithFramebuffer([&](const gdi::Bitmap& fb) {
        if (fb.Width() != g_textureWidth || fb.Height() != g_textureHeight) {
            if (g_texture) SDL_DestroyTexture(g_texture);
            g_texture = SDL_CreateTexture(g_renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, fb.Width(),
                                          fb.Height());
            g_textureWidth = fb.Width();
            g_textureHeight = fb.Height();
            SDL_SetWindowSize(g_window, fb.Width() * g_scale, fb.Height() * g_scale);
            SDL_SetWindowTitle(g_window, Title(fb.Width(), fb.Height()).c_str());
        }
        if (!g_texture) {
            ok = false;
            return;
        }
        SDL_UpdateTexture(g_texture, nullptr, fb.Bits(), fb.Stride());
    });
    if (!ok) return;
    SDL_RenderClear(g_renderer);
    SDL_RenderCopy(g_renderer, g_texture, nullptr, nullptr);
    if (ui::IsBusyCursor()) {
        // The wait cursor: a ring of dots in the middle of the screen.
        int cx = g_textureWidth * g_scale / 2, cy = g_textureHeight * g_scale / 2;
        static const int dx[] = {0, 11, 16, 11, 0, -11, -16, -11};
        static const int dy[] = {-16, -11, 0, 11, 16, 11, 0, -11};
        for (int i = 0; i < 8; ++i) {
            SDL_SetRenderDrawColor(g_renderer, static_cast<Uint8>(40 + i * 25), 60, 200, 255);
            SDL_Rect dot{cx + dx[i] - 3, cy + dy[i] - 3, 7, 7};
            SDL_RenderFillRect(g_renderer, &dot);
        }
    }
    SDL_RenderPresent(g_renderer);
}

} // namespace

const DisplayDriver kSdlDriver{"sdl", Available, Init, Shutdown, Pump, Present, nullptr, 10, Raise};

} // namespace device::display
