#pragma once
// Choosing and starting the display back end. DEVICE_DISPLAY=sdl or headless chooses; without it
// SDL is used when a display is available, and headless otherwise (also when SDL cannot start).

namespace device::display {

// Starts the back end on the calling thread, which becomes the display thread (the program's UI
// thread). Idempotent. Returns the name of the back end running ("sdl" or "headless").
const char* Start();
// Stops it (tests; the program at exit).
void Stop();
// The running back end's name, or null.
const char* ActiveDriver();

} // namespace device::display
