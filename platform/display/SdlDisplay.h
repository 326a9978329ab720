#pragma once
// The SDL back end's rules that need no window: the window's scale and the characters of SDL's
// text input.

#include <string>

namespace device::display::sdl {

// Host pixels per screen pixel when DEVICE_SCALE does not say: 2, or 1 when a window of twice the
// screen (plus room for the host's title bar) would not fit the usable area.
int DefaultScale(int screenWidth, int screenHeight, int usableWidth, int usableHeight);

// The characters of a text-input event (UTF-8) the device can hold: those of Windows-1252 other
// than control characters. Anything else (and malformed UTF-8) is dropped.
std::wstring DeviceCharacters(const char* utf8);

} // namespace device::display::sdl
