// The SDL back end on SDL's dummy video driver, fed scripted host events: typed text arrives as
// typed, control keys still work, a VGA screen is shown with its pixels doubled and taps halved,
// the window maps with the program's first window and later frames send only what changed, a
// wake from another thread ends the wait for host events, and the default window scale fits
// the host's usable area.

#include "platform/display/Display.h"
#include "platform/display/DisplayDriver.h"
#include "platform/display/HeadlessTest.h"
#include "platform/display/SdlDisplay.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/WinUser.h"
#include "platform/ui/WindowManager.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

namespace test = device::display::test;
using device::display::kSdlDriver;

std::vector<std::pair<UINT, WPARAM>> g_heard;

LRESULT CALLBACK Recorder(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_CHAR || msg == WM_LBUTTONDOWN) g_heard.emplace_back(msg, wParam);
    if (msg == WM_LBUTTONDOWN) g_heard.emplace_back(0, static_cast<WPARAM>(lParam));
    if (msg == WM_PAINT) {
        // Four stripes of colour, so that doubling shows in every direction.
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        for (int x = 0; x < r.right; ++x) {
            RECT column{x, 0, x + 1, r.bottom};
            HBRUSH b = CreateSolidBrush(RGB(x * 7 % 256, (x * 3) % 256, 90));
            FillRect(dc, &column, b);
            DeleteObject(b);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class SdlBackEnd : public ::testing::Test {
protected:
    void StartSdl(int pixelScale) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("DEVICE_SCALE", "1", 1);
        device::ui::SetScreenShape(240, 320, pixelScale);
        ASSERT_STREQ(device::display::Start(), "headless");  // the window manager's own hooks
        ASSERT_TRUE(kSdlDriver.init());
        m_sdl = true;
        // The SDL back end's entries as the display thread's hooks, as Start would set them.
        m_hooks.pump = kSdlDriver.pump;
        m_hooks.present = kSdlDriver.present;
        m_hooks.wait = kSdlDriver.wait;
        m_hooks.wake = kSdlDriver.wake;
        device::ui::SetDisplayHooks(&m_hooks);
        WNDCLASSW wc{};
        wc.lpfnWndProc = Recorder;
        wc.lpszClassName = L"SdlTestRecorder";
        RegisterClassW(&wc);
        g_heard.clear();
    }
    void TearDown() override {
        for (HWND h : m_windows) DestroyWindow(h);
        test::PumpUntilIdle();
        if (m_sdl) {
            device::ui::SetDisplayHooks(nullptr);
            kSdlDriver.shutdown();
        }
        device::display::Stop();
        device::ui::SetScreenShape(240, 320);
        unsetenv("DEVICE_SCALE");
    }
    HWND Make(LPCWSTR cls, DWORD style, int x, int y, int w, int h) {
        HWND hwnd = CreateWindowExW(0, cls, L"", WS_POPUP | WS_VISIBLE | style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
        m_windows.push_back(hwnd);
        return hwnd;
    }
    static void Key(SDL_Keycode sym, bool down, Uint16 mod = KMOD_NONE) {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }
    static void Text(const char* utf8) {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        SDL_strlcpy(e.text.text, utf8, sizeof(e.text.text));
        SDL_PushEvent(&e);
    }
    // What a host keyboard sends for one typed character: the key, its text, the key's release.
    static void Type(SDL_Keycode sym, const char* text, Uint16 mod = KMOD_NONE) {
        Key(sym, true, mod);
        Text(text);
        Key(sym, false, mod);
    }
    static void Deliver() {
        kSdlDriver.pump();
        test::PumpUntilIdle();
    }
    static std::wstring TextOf(HWND hwnd) {
        wchar_t buffer[128] = {};
        GetWindowTextW(hwnd, buffer, 128);
        return buffer;
    }
    // Host pixels of a doubled screen's window that are not the framebuffer pixel under them.
    static int DifferingPixels(SDL_Surface* surface) {
        const int w = surface->w, h = surface->h;
        std::vector<Uint32> shown(static_cast<size_t>(w * h));
        if (SDL_ConvertPixels(w, h, surface->format->format, surface->pixels, surface->pitch, SDL_PIXELFORMAT_RGB888,
                              shown.data(), w * 4) != 0)
            return -1;
        int differing = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                COLORREF c = test::PixelAt(x / 2, y / 2);
                Uint32 want = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
                differing += (shown[static_cast<size_t>(y * w + x)] & 0xFFFFFFu) != want;
            }
        return differing;
    }
    bool m_sdl = false;
    device::ui::DisplayHooks m_hooks;
    std::vector<HWND> m_windows;
};

TEST_F(SdlBackEnd, TypedTextArrivesAsTypedOnceAndControlKeysStillWork) {
    StartSdl(1);
    HWND edit = Make(L"EDIT", WS_BORDER | ES_AUTOHSCROLL, 10, 40, 200, 24);
    SetFocus(edit);
    // "Hat;#|^@x" on a US layout: the shifted symbols are the keys 3, backslash, 6 and 2.
    Key(SDLK_LSHIFT, true, KMOD_LSHIFT);
    Type(SDLK_h, "H", KMOD_LSHIFT);
    Key(SDLK_LSHIFT, false);
    Type(SDLK_a, "a");
    Type(SDLK_t, "t");
    Type(SDLK_SEMICOLON, ";");
    Type(SDLK_3, "#", KMOD_LSHIFT);
    Type(SDLK_BACKSLASH, "|", KMOD_LSHIFT);
    Type(SDLK_6, "^", KMOD_LSHIFT);
    Type(SDLK_2, "@", KMOD_LSHIFT);
    Type(SDLK_x, "x");
    Deliver();
    EXPECT_EQ(TextOf(edit), L"Hat;#|^@x");

    // An accented letter from a key the device does not know, the euro sign, a character outside
    // Windows-1252 (dropped whole), and Backspace.
    // Ctrl+A selects all (the control character, no text), so the Z replaces it.
    Key(SDLK_LCTRL, true, KMOD_LCTRL);
    Key(SDLK_a, true, KMOD_LCTRL);
    Key(SDLK_a, false, KMOD_LCTRL);
    Key(SDLK_LCTRL, false);
    Type(SDLK_z, "Z", KMOD_LSHIFT);
    Type(static_cast<SDL_Keycode>(0xFC), "\xC3\xBC");
    Text("rich \xE2\x82\xAC\xF0\x9F\x98\x80\xE4\xB8\xAD!");
    Key(SDLK_BACKSPACE, true);
    Key(SDLK_BACKSPACE, false);
    Deliver();
    EXPECT_EQ(TextOf(edit), L"Z\u00FCrich \u20AC");

    // The keys reach the window as keys; each character once, right after its key.
    HWND rec = Make(L"SdlTestRecorder", 0, 0, 26, 240, 294);
    SetFocus(rec);
    g_heard.clear();
    Type(SDLK_3, "#", KMOD_LSHIFT);
    Type(static_cast<SDL_Keycode>(0x40000000 | 300), "");  // a host key with no device key
    Key(SDLK_RETURN, true);
    Key(SDLK_RETURN, false);
    Key(SDLK_ESCAPE, true);
    Key(SDLK_ESCAPE, false);
    Key(SDLK_LEFT, true);
    // The keys that open drop-downs and page through the help.
    Key(SDLK_LALT, true, KMOD_LALT);
    Key(SDLK_F4, true);
    Key(SDLK_PAGEDOWN, true);
    Key(SDLK_PAGEUP, true);
    Key(SDLK_LALT, false);
    Deliver();
    std::vector<std::pair<UINT, WPARAM>> expected{
        {WM_KEYDOWN, '3'},         {WM_CHAR, L'#'},  {WM_KEYUP, '3'},           {WM_KEYDOWN, VK_RETURN},
        {WM_CHAR, L'\r'},          {WM_KEYUP, VK_RETURN}, {WM_KEYDOWN, VK_ESCAPE}, {WM_CHAR, 0x1B},
        {WM_KEYUP, VK_ESCAPE},     {WM_KEYDOWN, VK_LEFT}, {WM_KEYDOWN, VK_MENU},  {WM_KEYDOWN, VK_F4},
        {WM_KEYDOWN, VK_NEXT},     {WM_KEYDOWN, VK_PRIOR}, {WM_KEYUP, VK_MENU}};
    EXPECT_EQ(g_heard, expected);
}

TEST_F(SdlBackEnd, VgaScreenShowsTheProgramsFramebufferDoubledAndHalvesTaps) {
    StartSdl(2);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 240) << "the program sees the 240x320 screen";
    SDL_Window* window = nullptr;
    for (Uint32 id = 1; id < 64 && !window; ++id) window = SDL_GetWindowFromID(id);
    ASSERT_NE(window, nullptr);
    // Nothing of the program's to show yet: the window stays unmapped.
    test::PumpUntilIdle();
    kSdlDriver.present();
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN);
    HWND rec = Make(L"SdlTestRecorder", 0, 0, 26, 240, 294);
    SetFocus(rec);
    test::PumpUntilIdle();
    EXPECT_FALSE(SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN) << "mapped with the program's window";
    kSdlDriver.present();

    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, 480);
    EXPECT_EQ(h, 640);
    // Shown through the window's surface, with no renderer (and so no GL driver) behind it.
    EXPECT_EQ(SDL_GetRenderer(window), nullptr);
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(surface->w, 480);
    ASSERT_EQ(surface->h, 640);
    auto screen = device::ui::CopyScreen();
    ASSERT_TRUE(screen);
    ASSERT_EQ(screen->Width(), 240);
    EXPECT_EQ(DifferingPixels(surface), 0);

    // A later frame sends only what changed, and the window shows the whole picture all the same;
    // the wait cursor's ring goes over it and leaves it as it was.
    HWND patch = Make(L"SdlTestRecorder", 0, 37, 101, 21, 13);  // stripes of other colours
    test::PumpUntilIdle();
    const auto frames = device::ui::GetPresentedFrames();
    ASSERT_EQ(frames.last.size(), 1u);
    EXPECT_EQ(frames.last[0].left, 37);
    EXPECT_EQ(frames.last[0].bottom, 114);
    EXPECT_EQ(DifferingPixels(surface), 0);
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_GT(DifferingPixels(surface), 0) << "the ring shows";
    SetCursor(old);
    test::PumpUntilIdle();
    EXPECT_EQ(DifferingPixels(surface), 0) << "the ring went";
    DestroyWindow(patch);
    test::PumpUntilIdle();
    EXPECT_EQ(DifferingPixels(surface), 0);

    // A click at host (201, 453) is framebuffer point (100, 226): client (100, 200).
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = 201;
    e.button.y = 453;
    g_heard.clear();
    SDL_PushEvent(&e);
    Deliver();
    ASSERT_EQ(g_heard.size(), 2u);
    EXPECT_EQ(g_heard[1].second, static_cast<WPARAM>(MAKELPARAM(100, 200)));
}

TEST_F(SdlBackEnd, AWakeFromAnotherThreadEndsTheWaitForHostEvents) {
    StartSdl(1);
    std::thread waker([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        kSdlDriver.wake();
        kSdlDriver.wake();  // one is enough; a second adds nothing to take
    });
    auto start = std::chrono::steady_clock::now();
    kSdlDriver.wait(5000);
    auto waited = std::chrono::steady_clock::now() - start;
    waker.join();
    EXPECT_LT(waited, std::chrono::milliseconds(2000));
    kSdlDriver.pump();
    SDL_Event left;
    EXPECT_EQ(SDL_PeepEvents(&left, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT), 0) << "the wake was taken";
    // After the pump a new wake is sent again.
    kSdlDriver.wake();
    start = std::chrono::steady_clock::now();
    kSdlDriver.wait(5000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
}

TEST(SdlRules, DefaultScaleFitsTheUsableAreaAndTextKeepsOnlyTheCodePage) {
    using device::display::sdl::DefaultScale;
    EXPECT_EQ(DefaultScale(240, 320, 1440, 870), 2);
    EXPECT_EQ(DefaultScale(480, 640, 1440, 870), 1) << "960x1280 would not fit";
    EXPECT_EQ(DefaultScale(640, 480, 1440, 870), 1);
    EXPECT_EQ(DefaultScale(320, 240, 600, 500), 1) << "640 wide does not fit 600";
    EXPECT_EQ(DefaultScale(240, 320, 0, 0), 2) << "no usable area known";
    using device::display::sdl::DeviceCharacters;
    EXPECT_EQ(DeviceCharacters("Z\xC3\xBCrich"), L"Z\u00FCrich");
    EXPECT_EQ(DeviceCharacters("\xE2\x82\xAC\xC5\x93\xE2\x80\x9C"), L"\u20AC\u0153\u201C");
    EXPECT_EQ(DeviceCharacters("a\xD0\x96\xF0\x9F\x98\x80\xC2\x85\x01\xFF" "b"), L"ab") << "Cyrillic, emoji, C1/C0, bad UTF-8";
    EXPECT_EQ(DeviceCharacters(nullptr), L"");
}

} // namespace
