#include "clocks/ScrollableForm.h"

#include "platform/framework/DC.h"
#include "platform/framework/GdiObjects.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WinUser.h"

#include <algorithm>

std::optional<int> FormScrollChange(UINT code, UINT thumbPos, int pos, int range, bool allowBottom) {
    switch (code) {
    case SB_LINEUP: return pos < 1 ? 0 : -std::min(range / 50, pos);
    case SB_LINEDOWN: return pos >= range ? 0 : std::min(range / 50, range - pos);
    case SB_PAGEUP: return pos < 1 ? 0 : -std::min(range / 10, pos);
    case SB_PAGEDOWN: return pos >= range ? 0 : std::min(range / 10, range - pos);
    case SB_THUMBPOSITION: return static_cast<int>(thumbPos) - pos;
    case SB_TOP: return -pos;
    case SB_BOTTOM:
        if (allowBottom) return range - pos;
        return std::nullopt;
    default: return std::nullopt;
    }
}

void PaintFormHeaderBand(CDC& dc, int width, int top, int bottom) {
    CBrush band;
    band.CreateSolidBrush(RGB(194, 211, 228));
    CPen outline;
    outline.CreatePen(PS_SOLID, 1, RGB(160, 172, 192));
    CBrush* oldBrush = dc.SelectObject(&band);
    CPen* oldPen = dc.SelectObject(&outline);
    dc.Rectangle(0, top, width, bottom);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
}

HFONT CreateFormFont(int height, int weight) {
    return ::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial");
}
