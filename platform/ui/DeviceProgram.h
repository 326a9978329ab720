#pragma once
// What the device does for every program with a screen, on its display thread: it raises the
// user notifications that fall due (a box with the notification's title and text, a sound when
// asked), ends the program when it is told to (the window closed, SIGTERM), and brings the
// program to the front when a second start of it asks.

#include "platform/base/WinTypes.h"

#include <chrono>
#include <string>
#include <vector>

namespace device::ui {

// Turns raising on for this process (device programs with a screen; tests leave it off). The
// first check runs at the next message wait, so notifications that fell due while no program
// ran come up at once; then one check a second, against the device clock.
void EnableNotificationRaising(bool on);
// Takes the due notifications from the store (each is taken by exactly one process) and
// raises them; returns how many were taken. Runs on the calling thread.
int RaiseDueNotifications();
// What this process raised, oldest first: the box (null when the notification asked for none;
// a box closed since is no window any more) and the title and text it showed.
struct RaisedNotification {
    HWND box = nullptr;
    std::wstring title;
    std::wstring text;
};
std::vector<RaisedNotification> RaisedNotifications();

// Asks the program to end, from any thread: the display thread's loops see WM_QUIT, every
// modal loop unwinds (closing its dialog as Cancel would) and no new modal dialog opens.
void RequestProgramEnd();
bool IsProgramEnding();

// Asks the display thread, from any thread, to bring the program's front window forward.
void RequestBringToFront();
// How many such requests the display thread has carried out (tests).
int BringToFrontCount();

// Called by the display thread's message waits: runs what is due; the next time something is.
void RunDisplayChores();
bool NextDisplayChore(std::chrono::steady_clock::time_point& when);

} // namespace device::ui
