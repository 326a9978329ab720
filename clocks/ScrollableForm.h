#pragma once
// What the scrollable forms of the clocks (edit cities, reminders) share: the scroll step of a
// scroll-bar code and the header band at the top of the form.

#include "platform/base/WinTypes.h"

#include <optional>

class CDC;

// The change of the scroll position for a WM_VSCROLL code, pos being the position and range the
// form height less the client height. A line is range / 50, a page range / 10 (truncated), so a
// range below 50 scrolls no line. No value for the codes a form ignores (thumb tracking, end of
// scroll, and SB_BOTTOM unless allowBottom).
std::optional<int> FormScrollChange(UINT code, UINT thumbPos, int pos, int range, bool allowBottom);

// The band from (0, top) to (width, bottom), filled light blue and outlined with the forms' pen.
void PaintFormHeaderBand(CDC& dc, int width, int top, int bottom);

// An Arial font of the forms: default character set, antialiased.
HFONT CreateFormFont(int height, int weight);
