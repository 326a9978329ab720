// Menu item layout and drawing: thin black frame, items in the menu colours, the highlighted
// item in the selection colour, check marks and radio marks in the left margin.

#include "platform/ui/MenuLayout.h"

#include <algorithm>

namespace device::ui::menus {

HFONT MenuFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

int TextWidth(const std::wstring& shown) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, MenuFont());
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    return size.cx;
}

SIZE MeasureMenu(const std::vector<Item>& items, std::vector<RECT>& rects) {
    rects.clear();
    int width = 40;
    for (const Item& item : items)
        if (!(item.flags & MF_SEPARATOR))
            width = std::max(width, kCheckMargin + TextWidth(DisplayText(item.text)) + kRightMargin);
    width = std::min(width, GetSystemMetrics(SM_CXSCREEN) - 2);
    int y = 1;
    for (const Item& item : items) {
        int h = (item.flags & MF_SEPARATOR) ? kSeparatorHeight : kItemHeight;
        rects.push_back(RECT{1, y, 1 + width, y + h});
        y += h;
    }
    return SIZE{width + 2, y + 1};
}

namespace {

void DrawCheck(HDC dc, const RECT& r, COLORREF colour, bool radio) {
    int cx = r.left + kCheckMargin / 2, cy = (r.top + r.bottom) / 2;
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    if (radio) {
        HBRUSH brush = CreateSolidBrush(colour);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        Ellipse(dc, cx - 3, cy - 3, cx + 3, cy + 3);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
    } else {
        // A tick two pixels thick.
        for (int d = 0; d < 2; ++d) {
            MoveToEx(dc, cx - 4, cy - 1 + d, nullptr);
            LineTo(dc, cx - 2, cy + 1 + d);
            LineTo(dc, cx + 3, cy - 4 + d);
        }
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

} // namespace

void PaintMenuItems(HDC dc, const RECT& client, const std::vector<Item>& items, const std::vector<RECT>& rects,
                    int hot) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_MENU));
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    FrameRect(dc, &client, black);
    HGDIOBJ oldFont = SelectObject(dc, MenuFont());
    SetBkMode(dc, TRANSPARENT);
    for (size_t i = 0; i < items.size() && i < rects.size(); ++i) {
        const Item& item = items[i];
        RECT r = rects[i];
        if (item.flags & MF_SEPARATOR) {
            int y = (r.top + r.bottom) / 2;
            RECT line{r.left + 2, y, r.right - 2, y + 1};
            FillRect(dc, &line, GetSysColorBrush(COLOR_GRAYTEXT));
            continue;
        }
        bool greyed = (item.flags & (MF_GRAYED | MF_DISABLED)) != 0;
        bool highlighted = static_cast<int>(i) == hot && !greyed;
        if (highlighted) FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        COLORREF colour = greyed ? GetSysColor(COLOR_GRAYTEXT)
                                 : GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
        if (item.flags & MF_CHECKED) DrawCheck(dc, r, colour, (item.flags & MFT_RADIOCHECK) != 0);
        SetTextColor(dc, colour);
        RECT text{r.left + kCheckMargin, r.top, r.right - 4, r.bottom};
        std::wstring shown = DisplayText(item.text);
        DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        if (item.popup) {
            // An arrow at the right: this item holds a further menu.
            int ax = r.right - 7, ay = (r.top + r.bottom) / 2;
            POINT tri[3] = {{ax - 2, ay - 4}, {ax + 2, ay}, {ax - 2, ay + 4}};
            HBRUSH b = CreateSolidBrush(colour);
            HPEN p = CreatePen(PS_SOLID, 1, colour);
            HGDIOBJ ob = SelectObject(dc, b), op = SelectObject(dc, p);
            Polygon(dc, tri, 3);
            SelectObject(dc, ob);
            SelectObject(dc, op);
            DeleteObject(b);
            DeleteObject(p);
        }
    }
    SelectObject(dc, oldFont);
}

} // namespace device::ui::menus
