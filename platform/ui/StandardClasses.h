#pragma once
// The window classes of the layer itself (buttons, edits, lists, ...). They are registered on
// first use: the first time a window of such a class is created or the class is asked about.

#include "platform/base/WinTypes.h"

namespace device::ui {

// Registers every standard class not yet registered whose group holds the named class (letter
// case ignored). False when no group knows the name.
bool EnsureStandardClass(LPCWSTR className);

// Registers every standard class (tests, and programs that want them all at once).
void RegisterStandardClasses();

} // namespace device::ui
