// The device's fixed system colours (a Pocket PC palette) and their stock brushes.
#include "platform/gdi/GdiObjects.h"

#include <mutex>

using namespace device::gdi;

namespace {

constexpr int kColourCount = COLOR_STATICTEXT + 1;

const COLORREF kPalette[kColourCount] = {
    RGB(255, 255, 255), // COLOR_SCROLLBAR
    RGB(255, 255, 255), // COLOR_BACKGROUND
    RGB(0, 0, 128),     // COLOR_ACTIVECAPTION
    RGB(255, 255, 255), // COLOR_INACTIVECAPTION
    RGB(255, 255, 255), // COLOR_MENU
    RGB(255, 255, 255), // COLOR_WINDOW
    RGB(0, 0, 0),       // COLOR_WINDOWFRAME
    RGB(0, 0, 0),       // COLOR_MENUTEXT
    RGB(0, 0, 0),       // COLOR_WINDOWTEXT
    RGB(255, 255, 255), // COLOR_CAPTIONTEXT
    RGB(192, 192, 192), // COLOR_ACTIVEBORDER
    RGB(192, 192, 192), // COLOR_INACTIVEBORDER
    RGB(128, 128, 128), // COLOR_APPWORKSPACE
    RGB(0, 0, 128),     // COLOR_HIGHLIGHT
    RGB(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    RGB(192, 192, 192), // COLOR_BTNFACE
    RGB(128, 128, 128), // COLOR_BTNSHADOW
    RGB(128, 128, 128), // COLOR_GRAYTEXT
    RGB(0, 0, 0),       // COLOR_BTNTEXT
    RGB(0, 0, 0),       // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255), // COLOR_BTNHIGHLIGHT
    RGB(0, 0, 0),       // COLOR_3DDKSHADOW
    RGB(223, 223, 223), // COLOR_3DLIGHT
    RGB(0, 0, 0),       // COLOR_INFOTEXT
    RGB(255, 255, 225), // COLOR_INFOBK
    RGB(255, 255, 255), // COLOR_STATIC
    RGB(0, 0, 0),       // COLOR_STATICTEXT
};

int Index(int index) {
    return index & ~SYS_COLOR_INDEX_FLAG;
}

} // namespace

DWORD GetSysColor(int index) {
    int i = Index(index);
    if (i < 0 || i >= kColourCount) return 0;
    return kPalette[i];
}

HBRUSH GetSysColorBrush(int index) {
    int i = Index(index);
    if (i < 0 || i >= kColourCount) return nullptr;
    static HBRUSH* brushes = [] {
        auto* b = new HBRUSH[kColourCount];
        for (int k = 0; k < kColourCount; ++k) {
            auto brush = std::make_shared<BrushObject>();
            brush->colour = kPalette[k];
            brush->stock = true; // DeleteObject leaves it alone
            b[k] = static_cast<HBRUSH>(AddObject(brush));
        }
        return b;
    }();
    return brushes[i];
}
