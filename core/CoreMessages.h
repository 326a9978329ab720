#pragma once
// The one place where the core services show a message: the text of a string-table entry of the
// resource module in the application's message box (OK button, the application's caption,
// owned by the active window).

#include "platform/base/CString.h"

#include <vector>

// The string of that id in the resource module; empty when there is none.
CString LoadCoreString(UINT id);
// Shows the string and returns the button pressed.
int ShowCoreMessage(UINT id);
// Shows the string unless it was shown already in the user action under way (a tap or key and
// all it sets off; the program's start is one action): a fault that every write or store of an
// action meets in turn (a full device, a list that yields nothing) is said once for it, not by
// every write, and again for the next action that meets it. The taps and keys that answer the
// box belong to the action that failed.
void ShowCoreMessageOncePerAction(UINT id);
// Shows a composed text with its own caption and box type, owned by owner (null: the active
// window); returns the button pressed.
int ShowCoreMessageBox(HWND owner, const CString& text, const CString& caption, UINT type);

// Shows the string id (holding one "%s") with the names filled in, joined by ", " (the first
// eight, then "..."), captioned "Jorvana" with the warning icon, owned by owner.
int ShowNamesMessage(HWND owner, UINT id, const std::vector<CString>& names);
