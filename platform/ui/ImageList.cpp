// Image lists: images of one size kept in order, each with a mask (1 where it is transparent),
// drawn by index. Each image is held as an icon of the list's size, so drawing goes through the
// GDI's masked icon drawing. The shell's small system icons (a folder and a file) form one list
// that every caller shares and nobody destroys.

#include "platform/ui/Controls.h"
#include "platform/base/HandleValues.h"

#include <algorithm>
#include <vector>

using namespace device::ui;

namespace {

struct ImageListObject {
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
    int grow = 4;
    std::vector<HICON> images;
    COLORREF background = CLR_NONE;
    bool system = false;
};

std::mutex g_lock;
std::unordered_map<HIMAGELIST, std::shared_ptr<ImageListObject>> g_lists;

std::shared_ptr<ImageListObject> Find(HIMAGELIST list) {
    std::lock_guard lock(g_lock);
    auto it = g_lists.find(list);
    return it == g_lists.end() ? nullptr : it->second;
}

HIMAGELIST Register(std::shared_ptr<ImageListObject> obj) {
    auto handle = reinterpret_cast<HIMAGELIST>(device::AllocateHandleValue());
    std::lock_guard lock(g_lock);
    g_lists[handle] = std::move(obj);
    return handle;
}

constexpr COLORREF kWhite = RGB(255, 255, 255);

// One cell of the list's size made from a source context at (sx, sy). The mask comes from a mask
// context, or from the key colour, or is empty (opaque) for a list without masks. Masked pixels
// are made black in the colour image, which the masked drawing needs.
HICON MakeCell(const ImageListObject& list, HDC src, int sx, int sy, HDC maskSrc, COLORREF key, bool useKey) {
    HBITMAP colour = CreateBitmap(list.cx, list.cy, 1, 32, nullptr);
    HBITMAP mask = CreateBitmap(list.cx, list.cy, 1, 1, nullptr);
    HDC cdc = CreateCompatibleDC(nullptr);
    HDC mdc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldC = SelectObject(cdc, colour);
    HGDIOBJ oldM = SelectObject(mdc, mask);
    bool masked = (list.flags & ILC_MASK) != 0;
    for (int y = 0; y < list.cy; ++y)
        for (int x = 0; x < list.cx; ++x) {
            COLORREF c = GetPixel(src, sx + x, sy + y);
            bool transparent = false;
            if (masked) {
                if (c == CLR_INVALID) transparent = true;
                else if (maskSrc) transparent = GetPixel(maskSrc, sx + x, sy + y) == kWhite;
                else if (useKey) transparent = c == key;
            }
            if (c == CLR_INVALID) c = 0;
            SetPixel(mdc, x, y, transparent ? kWhite : RGB(0, 0, 0));
            SetPixel(cdc, x, y, transparent ? RGB(0, 0, 0) : c);
        }
    SelectObject(cdc, oldC);
    SelectObject(mdc, oldM);
    DeleteDC(cdc);
    DeleteDC(mdc);
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    return icon;
}

// Cells of a bitmap, one per whole image of the list's width.
std::vector<HICON> CellsOf(const ImageListObject& list, HBITMAP image, HBITMAP mask, COLORREF key, bool useKey) {
    std::vector<HICON> cells;
    BITMAP bm{};
    if (!image || !GetObjectW(image, sizeof(bm), &bm) || list.cx <= 0) return cells;
    HDC src = CreateCompatibleDC(nullptr);
    HGDIOBJ oldSrc = SelectObject(src, image);
    HDC msk = nullptr;
    HGDIOBJ oldMsk = nullptr;
    if (mask) {
        msk = CreateCompatibleDC(nullptr);
        oldMsk = SelectObject(msk, mask);
    }
    int count = bm.bmWidth / list.cx;
    for (int i = 0; i < count; ++i) {
        HICON cell = MakeCell(list, src, i * list.cx, 0, msk, key, useKey);
        if (cell) cells.push_back(cell);
    }
    SelectObject(src, oldSrc);
    DeleteDC(src);
    if (msk) {
        SelectObject(msk, oldMsk);
        DeleteDC(msk);
    }
    return cells;
}

int AddCells(HIMAGELIST handle, std::vector<HICON> cells) {
    auto list = Find(handle);
    if (!list || cells.empty()) {
        for (HICON c : cells) DestroyIcon(c);
        return -1;
    }
    std::lock_guard lock(g_lock);
    int first = static_cast<int>(list->images.size());
    list->images.insert(list->images.end(), cells.begin(), cells.end());
    return first;
}

// The shell's small icons, drawn once: a yellow folder and a white page.
HIMAGELIST MakeSystemList() {
    auto obj = std::make_shared<ImageListObject>();
    obj->cx = obj->cy = 16;
    obj->flags = ILC_MASK | ILC_COLOR32;
    obj->system = true;
    HBITMAP strip = CreateBitmap(32, 16, 1, 32, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, strip);
    const COLORREF key = RGB(255, 0, 255);
    HBRUSH keyBrush = CreateSolidBrush(key);
    RECT all{0, 0, 32, 16};
    FillRect(dc, &all, keyBrush);
    DeleteObject(keyBrush);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    // Folder: a tab and a body.
    HBRUSH yellow = CreateSolidBrush(RGB(255, 214, 90));
    RECT tab{1, 2, 7, 5}, body{1, 4, 15, 14};
    FillRect(dc, &tab, yellow);
    FrameRect(dc, &tab, black);
    FillRect(dc, &body, yellow);
    FrameRect(dc, &body, black);
    DeleteObject(yellow);
    // File: a page with lines of text.
    RECT page{19, 1, 29, 15};
    FillRect(dc, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FrameRect(dc, &page, black);
    for (int y = 4; y < 13; y += 3) {
        RECT line{21, y, 27, y + 1};
        FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    std::vector<HICON> cells = CellsOf(*obj, strip, nullptr, key, true);
    DeleteObject(strip);
    obj->images = std::move(cells);
    return Register(std::move(obj));
}

} // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) {
    if (cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto obj = std::make_shared<ImageListObject>();
    obj->cx = cx;
    obj->cy = cy;
    obj->flags = flags;
    obj->grow = std::max(1, grow);
    obj->images.reserve(static_cast<size_t>(std::clamp(initial, 0, 1024)));
    return Register(std::move(obj));
}

BOOL ImageList_Destroy(HIMAGELIST handle) {
    std::shared_ptr<ImageListObject> obj;
    {
        std::lock_guard lock(g_lock);
        auto it = g_lists.find(handle);
        if (it == g_lists.end() || it->second->system) return FALSE;
        obj = std::move(it->second);
        g_lists.erase(it);
    }
    for (HICON icon : obj->images) DestroyIcon(icon);
    return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST handle) {
    auto list = Find(handle);
    if (!list) return 0;
    std::lock_guard lock(g_lock);
    return static_cast<int>(list->images.size());
}

BOOL ImageList_SetImageCount(HIMAGELIST handle, UINT count) {
    auto list = Find(handle);
    if (!list || list->system || count > 65536) return FALSE;
    std::vector<HICON> removed;
    {
        std::lock_guard lock(g_lock);
        while (list->images.size() > count) {
            removed.push_back(list->images.back());
            list->images.pop_back();
        }
    }
    for (HICON icon : removed) DestroyIcon(icon);
    // New places hold blank (transparent) images.
    while (static_cast<UINT>(ImageList_GetImageCount(handle)) < count) {
        HBITMAP blank = CreateBitmap(list->cx, list->cy, 1, 32, nullptr);
        std::vector<HICON> cell = CellsOf(*list, blank, nullptr, RGB(0, 0, 0), true);
        DeleteObject(blank);
        if (AddCells(handle, std::move(cell)) < 0) return FALSE;
    }
    return TRUE;
}

int ImageList_Add(HIMAGELIST handle, HBITMAP image, HBITMAP mask) {
    auto list = Find(handle);
    if (!list || list->system) return -1;
    return AddCells(handle, CellsOf(*list, image, mask, 0, false));
}

int ImageList_AddMasked(HIMAGELIST handle, HBITMAP image, COLORREF key) {
    auto list = Find(handle);
    if (!list || list->system) return -1;
    return AddCells(handle, CellsOf(*list, image, nullptr, key, true));
}

int ImageList_ReplaceIcon(HIMAGELIST handle, int index, HICON icon) {
    auto list = Find(handle);
    ICONINFO info{};
    if (!list || list->system || !icon || !GetIconInfo(icon, &info)) return -1;
    // The icon at the list's size: its colour and mask stretched to a cell.
    BITMAP bm{};
    GetObjectW(info.hbmColor, sizeof(bm), &bm);
    HBITMAP colour = CreateBitmap(list->cx, list->cy, 1, 32, nullptr);
    HBITMAP mask = CreateBitmap(list->cx, list->cy, 1, 1, nullptr);
    HDC src = CreateCompatibleDC(nullptr), dst = CreateCompatibleDC(nullptr);
    HGDIOBJ oldSrc = SelectObject(src, info.hbmColor);
    HGDIOBJ oldDst = SelectObject(dst, colour);
    StretchBlt(dst, 0, 0, list->cx, list->cy, src, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    SelectObject(src, info.hbmMask);
    SelectObject(dst, mask);
    StretchBlt(dst, 0, 0, list->cx, list->cy, src, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    SelectObject(src, colour);
    SelectObject(dst, oldDst);
    HDC msk = CreateCompatibleDC(nullptr);
    HGDIOBJ oldMsk = SelectObject(msk, mask);
    HICON cell = MakeCell(*list, src, 0, 0, msk, 0, false);
    SelectObject(msk, oldMsk);
    SelectObject(src, oldSrc);
    DeleteDC(msk);
    DeleteDC(src);
    DeleteDC(dst);
    DeleteObject(colour);
    DeleteObject(mask);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    if (!cell) return -1;
    HICON old = nullptr;
    int result;
    {
        std::lock_guard lock(g_lock);
        if (index < 0) {
            list->images.push_back(cell);
            result = static_cast<int>(list->images.size()) - 1;
        } else if (static_cast<size_t>(index) < list->images.size()) {
            old = list->images[static_cast<size_t>(index)];
            list->images[static_cast<size_t>(index)] = cell;
            result = index;
        } else {
            result = -1;
        }
    }
    if (result < 0) DestroyIcon(cell);
    if (old) DestroyIcon(old);
    return result;
}

BOOL ImageList_Replace(HIMAGELIST handle, int index, HBITMAP image, HBITMAP mask) {
    auto list = Find(handle);
    if (!list || list->system) return FALSE;
    std::vector<HICON> cells = CellsOf(*list, image, mask, 0, false);
    if (cells.empty()) return FALSE;
    HICON old = nullptr;
    bool placed = false;
    {
        std::lock_guard lock(g_lock);
        if (index >= 0 && static_cast<size_t>(index) < list->images.size()) {
            old = list->images[static_cast<size_t>(index)];
            list->images[static_cast<size_t>(index)] = cells[0];
            placed = true;
        }
    }
    // Only the first image of the bitmap replaces; the rest are dropped.
    for (size_t i = placed ? 1 : 0; i < cells.size(); ++i) DestroyIcon(cells[i]);
    if (old) DestroyIcon(old);
    return placed ? TRUE : FALSE;
}

BOOL ImageList_Remove(HIMAGELIST handle, int index) {
    auto list = Find(handle);
    if (!list || list->system) return FALSE;
    std::vector<HICON> removed;
    {
        std::lock_guard lock(g_lock);
        if (index < 0) {
            removed.swap(list->images);
        } else if (static_cast<size_t>(index) < list->images.size()) {
            removed.push_back(list->images[static_cast<size_t>(index)]);
            list->images.erase(list->images.begin() + index);
        } else {
            return FALSE;
        }
    }
    for (HICON icon : removed) DestroyIcon(icon);
    return TRUE;
}

BOOL ImageList_DrawEx(HIMAGELIST handle, int index, HDC dc, int x, int y, int width, int height, COLORREF background,
                      COLORREF, UINT style) {
    auto list = Find(handle);
    if (!list || !dc) return FALSE;
    HICON icon;
    int cx, cy;
    COLORREF listBackground;
    {
        std::lock_guard lock(g_lock);
        if (index < 0 || static_cast<size_t>(index) >= list->images.size()) return FALSE;
        icon = list->images[static_cast<size_t>(index)];
        cx = list->cx;
        cy = list->cy;
        listBackground = list->background;
    }
    int w = width > 0 ? width : cx;
    int h = height > 0 ? height : cy;
    if (background == CLR_DEFAULT) background = listBackground;
    if (style & ILD_TRANSPARENT) background = CLR_NONE;
    UINT flags = DI_NORMAL;
    if (style & ILD_MASK) flags = DI_MASK;
    else if (style & ILD_IMAGE) flags = DI_IMAGE;
    // With a background colour the masked parts show it instead of what was there.
    if (background != CLR_NONE && flags == DI_NORMAL) {
        RECT area{x, y, x + w, y + h};
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(dc, &area, brush);
        DeleteObject(brush);
    }
    // Icons draw at their own size; a part of the image is drawn by clipping.
    HRGN clip = nullptr;
    bool part = w < cx || h < cy;
    if (part) {
        SaveDC(dc);
        clip = CreateRectRgn(0, 0, 0, 0);
        IntersectClipRect(dc, x, y, x + w, y + h);
    }
    BOOL ok = DrawIconEx(dc, x, y, icon, cx, cy, 0, nullptr, flags);
    if (part) {
        RestoreDC(dc, -1);
        DeleteObject(clip);
    }
    return ok;
}

BOOL ImageList_Draw(HIMAGELIST handle, int index, HDC dc, int x, int y, UINT style) {
    return ImageList_DrawEx(handle, index, dc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}

BOOL ImageList_GetIconSize(HIMAGELIST handle, int* cx, int* cy) {
    auto list = Find(handle);
    if (!list || !cx || !cy) return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

BOOL ImageList_SetIconSize(HIMAGELIST handle, int cx, int cy) {
    auto list = Find(handle);
    if (!list || list->system || cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096) return FALSE;
    ImageList_Remove(handle, -1);  // the device empties a list whose size changes
    std::lock_guard lock(g_lock);
    list->cx = cx;
    list->cy = cy;
    return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST handle, COLORREF colour) {
    auto list = Find(handle);
    if (!list) return CLR_NONE;
    std::lock_guard lock(g_lock);
    COLORREF old = list->background;
    list->background = colour;
    return old;
}

COLORREF ImageList_GetBkColor(HIMAGELIST handle) {
    auto list = Find(handle);
    return list ? list->background : CLR_NONE;
}

HICON ImageList_GetIcon(HIMAGELIST handle, int index, UINT) {
    auto list = Find(handle);
    if (!list) return nullptr;
    HICON icon;
    {
        std::lock_guard lock(g_lock);
        if (index < 0 || static_cast<size_t>(index) >= list->images.size()) return nullptr;
        icon = list->images[static_cast<size_t>(index)];
    }
    // A copy the caller destroys.
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return nullptr;
    HICON copy = CreateIconIndirect(&info);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return copy;
}

HIMAGELIST device::ui::SystemSmallImageList() {
    static HIMAGELIST list = MakeSystemList();
    return list;
}
