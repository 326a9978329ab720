// The headless test API over the window manager's injection calls.

#include "platform/display/HeadlessTest.h"

#include "platform/gdi/ImageFiles.h"
#include "platform/ui/DeviceUi.h"

namespace device::display::test {

void Tap(POINT screen) {
    ui::InjectStylus(ui::StylusAction::Down, screen);
    PumpUntilIdle();
    ui::InjectStylus(ui::StylusAction::Up, screen);
    PumpUntilIdle();
}

void Drag(POINT from, POINT to, int steps) {
    if (steps < 1) steps = 1;
    ui::InjectStylus(ui::StylusAction::Down, from);
    PumpUntilIdle();
    for (int i = 1; i <= steps; ++i) {
        POINT p{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
        ui::InjectStylus(ui::StylusAction::Move, p);
        PumpUntilIdle();
    }
    ui::InjectStylus(ui::StylusAction::Up, to);
    PumpUntilIdle();
}

void PressKey(UINT vk) {
    ui::InjectKey(vk, true);
    ui::InjectKey(vk, false);
    PumpUntilIdle();
}

void TypeKeys(const std::wstring& text) {
    ui::InjectText(text);
    PumpUntilIdle();
}

void Rotate() {
    ui::RotateScreen();
    PumpUntilIdle();
}

void ToggleInputPanel() {
    ui::SetSipUp(!ui::IsSipUp());
    PumpUntilIdle();
}

int PumpUntilIdle() { return ui::PumpUntilIdle(); }

bool Screenshot(const std::filesystem::path& hostPath) {
    PumpUntilIdle();
    auto screen = ui::CopyScreen();
    return screen && gdi::WritePng(*screen, hostPath);
}

COLORREF PixelAt(int x, int y) {
    COLORREF result = CLR_INVALID;
    ui::WithFramebuffer([&](const gdi::Bitmap& fb) {
        if (fb.Contains(x, y)) result = gdi::ToColorRef(fb.Get(x, y));
    });
    return result;
}

} // namespace device::display::test
