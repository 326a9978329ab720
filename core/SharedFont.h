#pragma once
// The font settings every page uses when it creates its fonts, read by the main window at
// start-up from the registry values `fontbase` and `font` under HKEY_LOCAL_MACHINE\Jorvana.
// Until then they hold 0 and "Arial".

#include "platform/base/CString.h"

// Added to every font height of the program.
extern int SharedFontSizeBase;
// The face of every font of the program; "Arial" when `font` is missing or empty.
extern CString SharedFontFace;
