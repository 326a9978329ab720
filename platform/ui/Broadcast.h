#pragma once
// HWND_BROADCAST across device processes: every process with windows listens on a Unix socket
// under the device root (<root>/ipc/<pid>.sock); a broadcast reaches this process's top-level
// windows and is handed to every other listener. A dead process's socket is cleared away; a hung
// one never holds the sender past the time-out.

#include "platform/ui/WinUser.h"

#include <string>
#include <vector>

namespace device::ui {

enum class BroadcastKind { Send, Post };

// How long a plain SendMessage to HWND_BROADCAST waits for each other process at most.
constexpr UINT kBroadcastSendTimeoutMs = 2000;

// Delivers msg to the top-level windows of this process and of every other running device
// process. WM_SETTINGCHANGE's lParam, when not 0, is a text and travels as one; any other lParam
// travels as a number.
void BroadcastMessage(UINT msg, WPARAM wParam, LPARAM lParam, BroadcastKind kind, UINT timeoutMs);

// Asks the device process with that id to bring its front window forward (a second start of a
// program that runs once per device). False when the process has no listener to ask.
bool AskProcessToFront(int pid);

// The other device processes that listen, each with the device path of the program it runs.
struct DeviceProcess {
    int pid = 0;
    std::wstring program;
};
std::vector<DeviceProcess> RunningDeviceProcesses();
// Asks the device process with that id to close as the user would close it (the same end as on
// SIGTERM or a closed window: it saves what it saves on close). False when it has no listener.
bool AskProcessToClose(int pid);
// The process with that id still runs.
bool DeviceProcessRunning(int pid);

// Starts this process's listener (done on the first top-level window); idempotent.
void StartBroadcastListener();
// Stops it and removes its socket (tests; also at exit).
void StopBroadcastListener();

} // namespace device::ui
