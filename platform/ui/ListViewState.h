#pragma once
// Inside the list view: the items, columns and view settings one "SysListView32" window keeps,
// and the geometry computed from them. Shared by the message handling and the painting.

#include "platform/ui/ListView.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace device::ui::lv {

struct Item {
    std::wstring text;
    std::map<int, std::wstring> sub;  // sub-item texts by sub-item number
    int image = 0;
    UINT state = 0;
    LPARAM lParam = 0;
};
using ItemPtr = std::shared_ptr<Item>;

struct Column {
    std::wstring text;
    int width = 0;
    int fmt = LVCFMT_LEFT;
    int subItem = 0;
};

// One scroll bar's range in the view's own units (rows, columns or pixels).
struct Axis {
    int total = 0;
    int page = 0;
    int pos = 0;
    int Max() const { return total > page ? total - page : 0; }
};

// Where everything lies in the client area for the current contents and scroll positions.
struct Geometry {
    RECT client{};
    RECT area{};          // where items show (client less header and scroll bars)
    int headerHeight = 0;
    bool vbar = false;
    bool hbar = false;
    int rowHeight = 0;
    int rowsPerColumn = 1;  // list view
    int perRow = 1;         // icon view
    int listColumnWidth = 0;
    int cellX = 0, cellY = 0;  // icon view spacing
    Axis v, h;
};

enum class Drag { None, Item, VThumb, HThumb };

struct State {
    HWND hwnd = nullptr;
    HWND header = nullptr;
    std::vector<ItemPtr> items;
    std::vector<Column> columns;
    unsigned generation = 0;  // bumped by every insertion and deletion
    DWORD exStyle = 0;
    HIMAGELIST images[3] = {nullptr, nullptr, nullptr};
    COLORREF bk = 0, text = 0, textBk = 0;
    HFONT font = nullptr;
    int textHeight = 13;
    int iconSpacingX = 0, iconSpacingY = 0;  // 0: default
    int listColumnWidth = 0;                 // 0: fits the widest label
    int autoListWidth = -1;                  // cached widest label, -1 unknown
    int top = 0;      // first row (report) or first column (list)
    int scrollX = 0;  // report: pixels
    int scrollY = 0;  // icon: pixels
    int mark = -1;
    bool focused = false;
    bool clickPending = false;
    POINT clickPoint{};
    Drag drag = Drag::None;
    int dragGrab = 0;  // offset of the stylus inside the thumb
};

} // namespace device::ui::lv
