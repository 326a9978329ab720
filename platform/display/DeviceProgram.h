#pragma once
// The start of a device program with a screen (the program, the Today host, the help viewer):
// the display it shows on, one running copy per device when the program asks for it, a clean
// end on SIGTERM, SIGINT or SIGHUP, and the raising of due user notifications; and how a
// program says why it cannot go on.

#include "platform/base/WinTypes.h"

namespace device::display {

struct ProgramStartOptions {
    const char* name = "program"; // the program's file name: messages on stderr, the copy's lock
    bool singleCopy = false;      // a second start brings the running copy forward and ends
};

// Starts the program's side of the device. True when the program goes on; false when it must
// end at once with exitCode: no display (told on stderr, 2), or another copy already runs on
// this device and was asked to come forward (0).
bool StartDeviceProgram(const ProgramStartOptions& options, int& exitCode);

// A message after which the program ends: a message box where a screen shows it; on the headless
// display, where nobody could answer a box, "caption: text" on standard error (recorded as a box
// all the same). Returns the box's answer (its default button on the headless display).
int ShowClosingMessage(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// For a device program of the layer, which has no string table: looks at the device's storage
// (waiting a few seconds, under the wait cursor, for a store another program holds) and, when
// it cannot be used, says why (ShowClosingMessage, captioned with the program's name), opening
// with the sentence below that names the cause, as the program's own messages do. False when
// the program must end, with exitCode 1, or 0 when it was asked to end meanwhile.
bool CheckDeviceStorageAtStart(const char* name, int& exitCode);

inline constexpr const wchar_t* kStorageInUse = L"The device's storage is in use by another program!";
inline constexpr const wchar_t* kStorageFull = L"The device's storage is full!";
inline constexpr const wchar_t* kStorageReadOnly = L"The device's storage is read-only or damaged!";

} // namespace device::display
