#pragma once
// Measuring and drawing menu items, shared by the pop-up window and the menu bar.

#include "platform/ui/MenuInternal.h"

#include <vector>

namespace device::ui::menus {

// Height of a text item and of a separator in a pop-up.
constexpr int kItemHeight = 18;
constexpr int kSeparatorHeight = 7;
// Room left of the text for a check mark, and right of it.
constexpr int kCheckMargin = 16;
constexpr int kRightMargin = 12;

// The font menus are drawn with (a stock object: never deleted).
HFONT MenuFont();
// Width of an item's shown text in the menu font.
int TextWidth(const std::wstring& shown);

// Lays the items out top to bottom inside a 1-pixel frame; fills rects (client coordinates) and
// returns the whole menu's size.
SIZE MeasureMenu(const std::vector<Item>& items, std::vector<RECT>& rects);
// Draws the frame and the items; `hot` is the highlighted item (-1: none).
void PaintMenuItems(HDC dc, const RECT& client, const std::vector<Item>& items, const std::vector<RECT>& rects,
                    int hot);

// Registration and tracking used by the menu bar.
void RegisterPopupMenuClass();
void RegisterCommandBarClass();
void RegisterHtmlViewerClass();
// Runs a pop-up; returns the picked command (0: none). Opened from the keys, its first item is
// highlighted; endKey gets the key that closed it without a pick (VK_ESCAPE, VK_LEFT, VK_RIGHT;
// 0 for a pick or a tap).
UINT RunPopup(HMENU menu, UINT flags, int x, int y, HWND owner, bool byKeys = false, UINT* endKey = nullptr);

} // namespace device::ui::menus
