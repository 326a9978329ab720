#pragma once
// The headless test API: stylus taps and drags, keys, rotation, the input panel, pumping the
// calling thread's messages until nothing is left, and screenshots. Every action is followed by a
// pump, so its effects (messages handled, windows repainted) are in place when it returns. Call
// from the thread that owns the windows.

#include "platform/base/WinTypes.h"

#include <filesystem>
#include <string>

namespace device::display::test {

void Tap(POINT screen);
void Drag(POINT from, POINT to, int steps = 4);
// Presses and releases a virtual key (character as TranslateMessage makes it).
void PressKey(UINT vk);
void TypeKeys(const std::wstring& text);
void Rotate();
void ToggleInputPanel();
// Dispatches every pending message of the calling thread; returns how many.
int PumpUntilIdle();
// The screen as a PNG (taskbar and input panel included); false when the file cannot be written.
bool Screenshot(const std::filesystem::path& hostPath);
// One pixel of the screen as a COLORREF; CLR_INVALID outside.
COLORREF PixelAt(int x, int y);

} // namespace device::display::test
