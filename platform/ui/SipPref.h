#pragma once
// The input-panel preference control ("SIPPREF"): a hidden control placed in a dialog. While an
// edit box of that dialog has the focus the input panel is up; when the focus leaves the dialog's
// edit boxes (or the dialog goes away) the panel goes down again, if this control raised it.

#include "platform/base/WinTypes.h"

#define WC_SIPPREF L"SIPPREF"

namespace device::ui {

// Registers the control's class (idempotent).
void RegisterSipPrefClass();

// An edit box took (gained) or lost the focus: the preference controls of its dialog follow.
void SipPrefEditFocus(HWND edit, bool gained);

} // namespace device::ui
