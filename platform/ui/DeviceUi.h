#pragma once
// The window manager's side facing the display back ends and the tests: the screen framebuffer
// and shape, rotation, the input panel, injected stylus and key input, and the hook through which
// a back end pumps its events and shows frames.

#include "platform/base/WinTypes.h"
#include "platform/gdi/Bitmap.h"

#include <functional>
#include <string>
#include <vector>

namespace device::ui {

struct DisplayHooks;

// Registers the back end; the calling thread becomes the display thread (the one whose message
// waits pump host events and present frames). Null unregisters.
void SetDisplayHooks(const DisplayHooks* hooks);

// The screen. The framebuffer is a 32-bit bitmap of the screen's size that every window draws on;
// on a VGA screen that is the program's size (240x320 for 480x640) and the display shows each of
// its pixels as pixelScale x pixelScale screen pixels.
struct ScreenShape {
    int width = 240;
    int height = 320;
    int dpi = 96;
    int pixelScale = 1;
};
ScreenShape GetScreenShape();
// Resets the screen (tests): a new shape, the input panel down, every window repainted.
void SetScreenShape(int width, int height, int pixelScale = 1);
// Turns the screen a quarter (width and height swap), then tells every top-level window
// (WM_SETTINGCHANGE with SPI_SETWORKAREA).
void RotateScreen();
// Runs f with the framebuffer, under the window manager's lock (keep it short).
void WithFramebuffer(const std::function<void(const gdi::Bitmap&)>& f);
// For a back end's present: runs f with the framebuffer and the rectangles of it (framebuffer
// pixels) that changed since the frame last presented, under the window manager's lock; the
// framebuffer is then the frame presented. The rectangles are empty when only the wait cursor
// changed.
void WithPresentedFrame(const std::function<void(const gdi::Bitmap&, const std::vector<RECT>&)>& f);
// Whether a top-level window of this process shows (a back end shows its host window from then).
bool AnyTopLevelShown();
// The frames presented since the back end started, and the rectangles the last one sent.
struct PresentedFrames {
    uint64_t count = 0;
    std::vector<RECT> last;
};
PresentedFrames GetPresentedFrames();
// Copy of the screen (bars and panel included) for screenshots.
std::unique_ptr<gdi::Bitmap> CopyScreen();
// The taskbar's height and the input panel's height, in pixels.
constexpr int kTaskbarHeight = 26;
constexpr int kSipHeight = 80;
RECT WorkArea();
// The "ok" at the right end of the taskbar, in screen coordinates, while the active window is a
// full-screen one with the ok button; empty otherwise.
RECT TaskbarOkButtonRect();
RECT SipRect();
bool IsSipUp();
// Raises or lowers the input panel; when that changes its state every top-level window hears
// WM_SETTINGCHANGE with SPI_SETSIPINFO.
void SetSipUp(bool up);
// The wait cursor is showing.
bool IsBusyCursor();
// Counts MessageBeep calls (tests).
int BeepCount();

// Injected input, in screen coordinates, as the stylus and keys produce it. Safe from any thread;
// the messages reach the target window's queue.
enum class StylusAction { Down, Move, Up };
void InjectStylus(StylusAction action, POINT screen);
// A key going down or up; ch is the character TranslateMessage makes of it (0: derived from vk;
// kNoCharacter: none, the key's text arrives on its own through InjectChar).
// F1 going down posts WM_HELP (lParam 0) to the active window instead of key messages.
constexpr WCHAR kNoCharacter = static_cast<WCHAR>(0xFFFF);
void InjectKey(UINT vk, bool down, WCHAR ch = 0);
// A typed character as a host keyboard's text input delivers it: WM_CHAR to the focus window
// (else the active one), after the key messages already queued.
void InjectChar(WCHAR ch);
// Types text: a key down, its character and a key up for every character.
void InjectText(const std::wstring& text);

// A number that moves on each time the process takes from its queue a piece of the user's input
// that starts something (a stylus or key going down, a character typed on its own, the
// taskbar's ok): what the program does between two moves is one user action, and what it does
// before the first input (its start) is one too.
uint64_t UserActionSerial();

// Processes every pending message of the calling thread (sent, posted, paint, due timers),
// translating and dispatching, until none is left; returns how many were dispatched.
int PumpUntilIdle(int limit = 100000);

} // namespace device::ui
