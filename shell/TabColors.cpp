#include "shell/TabColors.h"

namespace {

BYTE Scale(BYTE channel, float f, bool cap) {
    float v = static_cast<float>(channel) * f;
    if (cap && v > 255.0f) return 255;
    return static_cast<BYTE>(static_cast<int>(v));
}

} // namespace

COLORREF DarkenColor(COLORREF c, float f) {
    if (!(f >= 0.0f)) f = 0.0f; // also catches NaN
    if (f > 1.0f) f = 1.0f;
    return RGB(Scale(GetRValue(c), f, false), Scale(GetGValue(c), f, false), Scale(GetBValue(c), f, false));
}

COLORREF LightenColor(COLORREF c, float f) {
    if (!(f >= 1.0f)) f = 1.0f;
    return RGB(Scale(GetRValue(c), f, true), Scale(GetGValue(c), f, true), Scale(GetBValue(c), f, true));
}
