#pragma once
// Shades of a colour for the tab strip's painting: each channel scaled in single precision and
// truncated toward zero.

#include "platform/gdi/WinGdi.h"

// Factor clamped to 0..1.
COLORREF DarkenColor(COLORREF c, float f);
// Factor below 1 counts as 1; channels capped at 255.
COLORREF LightenColor(COLORREF c, float f);
