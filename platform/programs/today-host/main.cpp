// today-host: the device's Today screen, showing the Today items the registry lists.
#include "platform/display/DeviceProgram.h"
#include "platform/programs/today-host/TodayScreen.h"

#include <cstdio>

int main() {
    int exitCode = 0;
    if (!device::display::StartDeviceProgram({"today-host", false}, exitCode)) return exitCode;
    today::CTodayScreen screen;
    if (!screen.Create()) {
        std::fprintf(stderr, "today-host: the Today screen window could not be made\n");
        return 1;
    }
    // The screen stands painted while the store is looked at (a store another program holds is
    // waited for a few seconds). The Today items read the store at every paint: without it
    // there is nothing to show.
    UpdateWindow(screen.Window());
    if (!device::display::CheckDeviceStorageAtStart("today-host", exitCode)) return exitCode;
    if (screen.LoadItems() == 0) std::fprintf(stderr, "today-host: no Today item could be loaded\n");
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
