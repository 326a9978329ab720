#pragma once
// Shared by the menu, menu bar and HTML viewer tests: the test resource module, stylus taps,
// keys, and screenshots written next to the test program.

#include "platform/gdi/ImageFiles.h"
#include "support/Screenshots.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/Modules.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/Menus.h"

#include "UiTestSupport.h"

#include <filesystem>
#include <iostream>

namespace menutest {

// The module holding the test menus (216, 193, 161, 342, 500) and bitmap/toolbar 143.
inline HMODULE TestModule() {
    static HMODULE module = [] {
        std::filesystem::path dir = device::FileSystemFolder() / "Modules";
        std::filesystem::create_directories(dir);
        std::filesystem::copy_file(TEST_MENUS_MODULE, dir / "MenuTests.dll",
                                   std::filesystem::copy_options::overwrite_existing);
        return LoadLibraryW(L"\\Modules\\MenuTests.dll");
    }();
    return module;
}

inline void Tap(POINT screen) {
    device::ui::InjectStylus(device::ui::StylusAction::Down, screen);
    device::ui::InjectStylus(device::ui::StylusAction::Up, screen);
    device::ui::PumpUntilIdle();
}

inline void Key(UINT vk) {
    device::ui::InjectKey(vk, true);
    device::ui::InjectKey(vk, false);
    device::ui::PumpUntilIdle();
}

inline POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// The centre of item `position` of the open pop-up, on the screen.
inline POINT PopupItem(int position) {
    RECT r{};
    EXPECT_TRUE(device::ui::OpenPopupItemRect(position, r));
    return Centre(r);
}

// Writes the screen as PNG where the tests keep their screenshots.
inline void Screenshot(const std::string& name) { ASSERT_FALSE(testsupport::SaveScreenshot(name).empty()); }

inline std::wstring ItemText(HMENU menu, UINT item, UINT flags) {
    WCHAR buf[128] = {};
    int n = GetMenuStringW(menu, item, buf, 128, flags);
    return std::wstring(buf, static_cast<size_t>(n > 0 ? n : 0));
}

} // namespace menutest
