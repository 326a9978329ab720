// Back end selection and its registration with the window manager.

#include "platform/display/Display.h"

#include "platform/display/DisplayDriver.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/WindowManager.h"

#include <cstdlib>
#include <mutex>
#include <string>

namespace device::display {

namespace {

std::mutex g_lock;
const DisplayDriver* g_driver = nullptr;
ui::DisplayHooks g_hooks;

const DisplayDriver* Choose() {
    const char* wanted = std::getenv("DEVICE_DISPLAY");
    std::string name = wanted ? wanted : "";
    if (name == "headless") return &kHeadlessDriver;
    // "sdl" or nothing: SDL when it can run, headless otherwise.
    if (kSdlDriver.available && kSdlDriver.available()) return &kSdlDriver;
    return &kHeadlessDriver;
}

} // namespace

const char* Start() {
    std::lock_guard lock(g_lock);
    if (g_driver) return g_driver->name;
    const DisplayDriver* driver = Choose();
    if (driver->init && !driver->init()) driver = &kHeadlessDriver;
    if (driver == &kHeadlessDriver && driver->init) driver->init();
    g_driver = driver;
    g_hooks = ui::DisplayHooks{};
    g_hooks.pump = driver->pump;
    g_hooks.present = driver->present;
    g_hooks.beep = driver->beep;
    g_hooks.pollMs = driver->pollMs;
    g_hooks.raise = driver->raise;
    g_hooks.wait = driver->wait;
    g_hooks.wake = driver->wake;
    // The first frame goes out when the thread first has nothing else to do.
    ui::SetDisplayHooks(&g_hooks);
    return driver->name;
}

void Stop() {
    std::lock_guard lock(g_lock);
    if (!g_driver) return;
    ui::SetDisplayHooks(nullptr);
    if (g_driver->shutdown) g_driver->shutdown();
    g_driver = nullptr;
}

const char* ActiveDriver() {
    std::lock_guard lock(g_lock);
    return g_driver ? g_driver->name : nullptr;
}

} // namespace device::display
