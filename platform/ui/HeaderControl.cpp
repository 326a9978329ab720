// "SysHeader32": a row of column titles. Each item is a flat button with a thin frame; the pressed
// item is drawn sunken while the stylus stays on it, and lifting the stylus on it tells the parent
// (HDN_ITEMCLICKW). Owner-drawn items (HDF_OWNERDRAW) are painted by the parent (WM_DRAWITEM).

#include "platform/base/CaseFold.h"
#include "platform/ui/Header.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace device::ui {
namespace {

struct HeaderItem {
    std::wstring text;
    int width = 0;
    int fmt = HDF_LEFT | HDF_STRING;
    LPARAM lParam = 0;
    int image = -1;
};

struct HeaderState {
    std::vector<HeaderItem> items;
    HFONT font = nullptr;
    int pressed = -1;     // item under a stylus press, -1 none
    bool pressedIn = false; // the stylus is still over the pressed item
};

std::mutex g_lock;
std::unordered_map<HWND, std::shared_ptr<HeaderState>>& States() {
    static std::unordered_map<HWND, std::shared_ptr<HeaderState>> states;
    return states;
}

std::shared_ptr<HeaderState> Find(HWND hwnd) {
    std::lock_guard lock(g_lock);
    auto it = States().find(hwnd);
    return it == States().end() ? nullptr : it->second;
}

RECT ItemRect(HWND hwnd, const HeaderState& s, int index) {
    RECT client;
    GetClientRect(hwnd, &client);
    int x = 0;
    for (int i = 0; i < index; ++i) x += s.items[static_cast<size_t>(i)].width;
    return RECT{x, 0, x + s.items[static_cast<size_t>(index)].width, client.bottom};
}

int HitItem(HWND hwnd, const HeaderState& s, POINT pt) {
    RECT client;
    GetClientRect(hwnd, &client);
    if (pt.y < 0 || pt.y >= client.bottom) return -1;
    int x = 0;
    for (size_t i = 0; i < s.items.size(); ++i) {
        int w = s.items[i].width;
        if (pt.x >= x && pt.x < x + w) return static_cast<int>(i);
        x += w;
    }
    return -1;
}

LRESULT Notify(HWND hwnd, UINT code, int item, int button) {
    HWND parent = GetParent(hwnd);
    if (!parent) return 0;
    NMHEADERW nm{};
    nm.hdr.hwndFrom = hwnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
    nm.hdr.code = code;
    nm.iItem = item;
    nm.iButton = button;
    return SendMessageW(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

void CopyOut(const std::wstring& text, LPWSTR buffer, int max) {
    if (!buffer || max <= 0) return;
    size_t n = std::min(text.size(), static_cast<size_t>(max - 1));
    std::copy_n(text.data(), n, buffer);
    buffer[n] = 0;
}

void ApplyItem(HeaderItem& item, const HDITEMW& in) {
    if (in.mask & HDI_WIDTH) item.width = std::max(0, in.cxy);
    if (in.mask & HDI_TEXT) item.text = in.pszText ? in.pszText : L"";
    if (in.mask & HDI_FORMAT) item.fmt = in.fmt;
    if (in.mask & HDI_LPARAM) item.lParam = in.lParam;
    if (in.mask & HDI_IMAGE) item.image = in.iImage;
}

void Paint(HWND hwnd, HeaderState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ oldFont = SelectObject(dc, s.font ? s.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    // Items are painted from a copy: an owner-draw handler may change the header meanwhile.
    std::vector<HeaderItem> items = s.items;
    int x = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        const HeaderItem& item = items[i];
        RECT r{x, 0, x + item.width, client.bottom};
        x += item.width;
        if (r.right <= r.left) continue;
        bool pressed = s.pressed == static_cast<int>(i) && s.pressedIn;
        if (item.fmt & HDF_OWNERDRAW) {
            DRAWITEMSTRUCT dis{};
            dis.CtlType = ODT_HEADER;
            dis.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
            dis.itemID = static_cast<UINT>(i);
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = pressed ? ODS_SELECTED : 0;
            dis.hwndItem = hwnd;
            dis.hDC = dc;
            dis.rcItem = r;
            dis.itemData = static_cast<ULONG_PTR>(item.lParam);
            int saved = SaveDC(dc);
            if (HWND parent = GetParent(hwnd)) SendMessageW(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
            RestoreDC(dc, saved);
        } else {
            RECT label = r;
            if (pressed) OffsetRect(&label, 1, 1);
            InflateRect(&label, -4, 0);
            UINT align = (item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER  ? DT_CENTER
                         : (item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT ? DT_RIGHT
                                                                     : DT_LEFT;
            if (label.right > label.left)
                DrawTextW(dc, item.text.c_str(), static_cast<int>(item.text.size()), &label,
                          align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        }
        // Thin frame: a shadow line on the right and at the bottom; pressed items get a dark frame.
        RECT frame = r;
        if (pressed) {
            FrameRect(dc, &frame, GetSysColorBrush(COLOR_BTNSHADOW));
        } else {
            RECT right{r.right - 1, r.top, r.right, r.bottom};
            FillRect(dc, &right, GetSysColorBrush(COLOR_BTNSHADOW));
        }
    }
    RECT bottom{client.left, client.bottom - 1, client.right, client.bottom};
    FillRect(dc, &bottom, GetSysColorBrush(COLOR_WINDOWFRAME));
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK HeaderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        std::lock_guard lock(g_lock);
        States()[hwnd] = std::make_shared<HeaderState>();
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    std::shared_ptr<HeaderState> s = Find(hwnd);  // keeps the state alive through re-entrant calls
    if (!s) return DefWindowProcW(hwnd, msg, wParam, lParam);
    const int count = static_cast<int>(s->items.size());
    switch (msg) {
    case WM_NCDESTROY: {
        std::lock_guard lock(g_lock);
        States().erase(hwnd);
        break;
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(hwnd, *s); return 0;
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case HDM_GETITEMCOUNT: return count;
    case HDM_INSERTITEMW: {
        auto* in = reinterpret_cast<const HDITEMW*>(lParam);
        if (!in) return -1;
        int index = std::clamp(static_cast<int>(wParam), 0, count);
        HeaderItem item;
        ApplyItem(item, *in);
        s->items.insert(s->items.begin() + index, std::move(item));
        if (s->pressed >= index) ++s->pressed;
        InvalidateRect(hwnd, nullptr, TRUE);
        return index;
    }
    case HDM_DELETEITEM: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= count) return FALSE;
        s->items.erase(s->items.begin() + index);
        if (s->pressed == index) s->pressed = -1;
        else if (s->pressed > index) --s->pressed;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case HDM_GETITEMW: {
        auto* out = reinterpret_cast<HDITEMW*>(lParam);
        int index = static_cast<int>(wParam);
        if (!out || index < 0 || index >= count) return FALSE;
        const HeaderItem& item = s->items[static_cast<size_t>(index)];
        if (out->mask & HDI_WIDTH) out->cxy = item.width;
        if (out->mask & HDI_TEXT) CopyOut(item.text, out->pszText, out->cchTextMax);
        if (out->mask & HDI_FORMAT) out->fmt = item.fmt;
        if (out->mask & HDI_LPARAM) out->lParam = item.lParam;
        if (out->mask & HDI_IMAGE) out->iImage = item.image;
        if (out->mask & HDI_ORDER) out->iOrder = index;
        return TRUE;
    }
    case HDM_SETITEMW: {
        auto* in = reinterpret_cast<const HDITEMW*>(lParam);
        int index = static_cast<int>(wParam);
        if (!in || index < 0 || index >= count) return FALSE;
        ApplyItem(s->items[static_cast<size_t>(index)], *in);
        InvalidateRect(hwnd, nullptr, TRUE);
        // The owner (a list view) keeps its column widths in step with the header's.
        if (in->mask & HDI_WIDTH) Notify(hwnd, HDN_ITEMCHANGEDW, index, 0);
        return TRUE;
    }
    case HDM_GETITEMRECT: {
        auto* out = reinterpret_cast<RECT*>(lParam);
        int index = static_cast<int>(wParam);
        if (!out || index < 0 || index >= count) return FALSE;
        *out = ItemRect(hwnd, *s, index);
        return TRUE;
    }
    case HDM_HITTEST: {
        auto* info = reinterpret_cast<HDHITTESTINFO*>(lParam);
        if (!info) return -1;
        info->iItem = HitItem(hwnd, *s, info->pt);
        info->flags = info->iItem >= 0 ? HHT_ONHEADER : HHT_NOWHERE;
        return info->iItem;
    }
    case HDM_LAYOUT: {
        auto* layout = reinterpret_cast<HDLAYOUT*>(lParam);
        if (!layout || !layout->prc) return FALSE;
        int height = (GetWindowLongW(hwnd, GWL_STYLE) & HDS_HIDDEN) ? 0 : HeaderHeightForFont(s->font);
        if (layout->pwpos) {
            *layout->pwpos = WINDOWPOS{hwnd, nullptr, layout->prc->left, layout->prc->top,
                                       layout->prc->right - layout->prc->left, height, 0};
        }
        layout->prc->top += height;
        return TRUE;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (!(GetWindowLongW(hwnd, GWL_STYLE) & HDS_BUTTONS)) return 0;
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        int hit = HitItem(hwnd, *s, pt);
        if (hit < 0) return 0;
        s->pressed = hit;
        s->pressedIn = true;
        SetCapture(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case WM_MOUSEMOVE: {
        if (s->pressed < 0) return 0;
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        bool in = HitItem(hwnd, *s, pt) == s->pressed;
        if (in != s->pressedIn) {
            s->pressedIn = in;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        if (s->pressed < 0) return 0;
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        int pressed = s->pressed;
        bool in = HitItem(hwnd, *s, pt) == pressed;
        s->pressed = -1;
        s->pressedIn = false;
        if (GetCapture() == hwnd) ReleaseCapture();
        InvalidateRect(hwnd, nullptr, TRUE);
        if (in) Notify(hwnd, HDN_ITEMCLICKW, pressed, 0);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (s->pressed >= 0 && reinterpret_cast<HWND>(lParam) != hwnd) {
            s->pressed = -1;
            s->pressedIn = false;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

int HeaderHeightForFont(HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return static_cast<int>(tm.tmHeight) + 6;
}

void RegisterHeaderClass() {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
    wc.lpfnWndProc = HeaderProc;
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = WC_HEADERW;
    RegisterClassW(&wc);  // a repeat fails harmlessly
}

} // namespace device::ui
