#pragma once
// The start of a device program with a screen (the program, the Today host, the help viewer):
// the display it shows on, one running copy per device when the program asks for it, a clean
// end on SIGTERM, SIGINT or SIGHUP, and the raising of due user notifications.

namespace device::display {

struct ProgramStartOptions {
    const char* name = "program"; // the program's file name: messages on stderr, the copy's lock
    bool singleCopy = false;      // a second start brings the running copy forward and ends
};

// Starts the program's side of the device. True when the program goes on; false when it must
// end at once with exitCode: no display (told on stderr, 2), or another copy already runs on
// this device and was asked to come forward (0).
bool StartDeviceProgram(const ProgramStartOptions& options, int& exitCode);

} // namespace device::display
