#pragma once
// A new user action, begun as the device begins one: a key pressed on a window of the test's own
// (shown, since a hidden window takes no focus) and taken from the queue. For tests that drive the
// program's code without a window of its own.

#include "platform/ui/DeviceUi.h"
#include "platform/ui/WinUser.h"

namespace testsupport {

inline void StartUserAction() {
    HWND window =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    SetFocus(window);
    device::ui::InjectKey(VK_SHIFT, true);
    device::ui::InjectKey(VK_SHIFT, false);
    device::ui::PumpUntilIdle();
    DestroyWindow(window);
}

} // namespace testsupport
