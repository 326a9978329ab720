#pragma once
// Private window messages that the World Clocks page handles. The shell's shared list of
// private messages carries the same numbers.

#include "platform/ui/WinUser.h"

#ifndef WM_APP_HIDE_PAGE
// Asks a tab page to hide itself; answered with 1.
#define WM_APP_HIDE_PAGE (WM_APP + 0x83)
#endif
