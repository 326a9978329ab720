// Property sheets: the sheet is a dialog of the dialog manager (built from a template made here)
// holding a bottom tab strip and, above it, the current page; pages are child dialogs made from
// their own templates when first shown.
//
// [SECTION] Pages and sheets
// [SECTION] Page windows and switching
// [SECTION] OK, Apply and Cancel
// [SECTION] The sheet's dialog procedure
// [SECTION] Public calls

#include "platform/ui/PropertySheet.h"

#include "platform/system/Modules.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/DialogInternal.h"
#include "platform/ui/ListControls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StandardClasses.h"
#include "platform/ui/WindowManager.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <vector>

// [SECTION] Pages and sheets --------------------------------------------------------------------

// A page: the caller's description copied whole (callers may extend the structure).
struct PropSheetPage {
    std::vector<uint8_t> bytes;
    HWND hwnd = nullptr;
    bool failed = false; // its window could not be made
    bool changed = false;
    bool created = false; // PSPCB_CREATE was asked

    PROPSHEETPAGEW* Psp() { return reinterpret_cast<PROPSHEETPAGEW*>(bytes.data()); }
};

namespace device::ui {
namespace {

constexpr int kTabHeight = 22;
constexpr int kArrowWidth = 14;
constexpr UINT kTabId = 0x3020;
constexpr UINT kPrevId = 0x3021; // the arrows that scroll a strip whose tabs do not fit
constexpr UINT kNextId = 0x3022;
constexpr const wchar_t* kTabHolderClass = L"PropertySheetTabs";

struct Sheet {
    HWND hwnd = nullptr;
    HWND tab = nullptr;
    HWND holder = nullptr; // clips the tab strip, which slides left when its tabs do not fit
    HWND prev = nullptr;
    HWND next = nullptr;
    int offset = 0; // pixels the strip is slid left
    DWORD flags = 0;
    PFNPROPSHEETCALLBACK callback = nullptr;
    std::vector<std::unique_ptr<PropSheetPage>> pages;
    int current = -1;
    int start = 0;
    bool finished = false; // OK or Cancel ended it (modeless sheets stay until destroyed)
    bool modeless = false;
    int scroll = 0;        // pixels the current page is moved up when it is taller than its room
    int content = 0;       // the current page's height while it scrolls, else 0
    bool laying = false;   // showing or hiding the scroll bar lays the sheet out again
};

std::mutex g_lock;
std::map<HWND, Sheet*>& Sheets() {
    static auto* sheets = new std::map<HWND, Sheet*>;
    return *sheets;
}
// Modeless sheets own themselves until their window goes.
std::map<HWND, std::unique_ptr<Sheet>>& OwnedSheets() {
    static auto* owned = new std::map<HWND, std::unique_ptr<Sheet>>;
    return *owned;
}

Sheet* SheetOf(HWND hwnd) {
    std::lock_guard lock(g_lock);
    auto it = Sheets().find(hwnd);
    return it == Sheets().end() ? nullptr : it->second;
}

std::unique_ptr<PropSheetPage> CopyPage(LPCPROPSHEETPAGEW psp) {
    if (!psp || psp->dwSize < offsetof(PROPSHEETPAGEW, lParam) + sizeof(LPARAM) || psp->dwSize > 64 * 1024)
        return nullptr;
    auto page = std::make_unique<PropSheetPage>();
    page->bytes.assign(std::max<size_t>(psp->dwSize, sizeof(PROPSHEETPAGEW)), 0);
    std::memcpy(page->bytes.data(), psp, psp->dwSize);
    PROPSHEETPAGEW* copy = page->Psp();
    if (psp->dwSize < sizeof(PROPSHEETPAGEW)) { // an older, shorter description
        copy->pfnCallback = nullptr;
        copy->pcRefParent = nullptr;
    }
    return page;
}

std::wstring TemplateCaption(PropSheetPage& page) {
    PROPSHEETPAGEW* psp = page.Psp();
    std::optional<device::DialogTemplate> tpl;
    if (psp->dwFlags & PSP_DLGINDIRECT) {
        size_t size = psp->pResource ? device::DialogRecordSize(psp->pResource) : 0;
        if (size) tpl = device::ParseDialog(psp->pResource, size);
    } else if (psp->pszTemplate) {
        HRSRC found = FindResourceW(psp->hInstance, psp->pszTemplate, RT_DIALOG);
        const void* data = found ? LockResource(LoadResource(psp->hInstance, found)) : nullptr;
        if (data) tpl = device::ParseDialog(data, SizeofResource(psp->hInstance, found));
    }
    return tpl ? tpl->caption : std::wstring();
}

std::wstring TitleOf(PropSheetPage& page) {
    PROPSHEETPAGEW* psp = page.Psp();
    if ((psp->dwFlags & PSP_USETITLE) && psp->pszTitle) {
        if (IS_INTRESOURCE(psp->pszTitle)) {
            WCHAR buffer[128] = {};
            LoadStringW(psp->hInstance, static_cast<UINT>(reinterpret_cast<uintptr_t>(psp->pszTitle)), buffer, 128);
            return buffer;
        }
        return psp->pszTitle;
    }
    return TemplateCaption(page);
}

void ReleasePage(PropSheetPage& page) {
    PROPSHEETPAGEW* psp = page.Psp();
    if ((psp->dwFlags & PSP_USECALLBACK) && psp->pfnCallback) psp->pfnCallback(nullptr, PSPCB_RELEASE, psp);
}

LRESULT NotifyPage(Sheet& s, HWND page, UINT code, LPARAM lParam = 0) {
    if (!page || !IsWindow(page)) return 0;
    PSHNOTIFY nm{};
    nm.hdr.hwndFrom = s.hwnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(s.hwnd));
    nm.hdr.code = code;
    nm.lParam = lParam;
    return SendMessageW(page, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

// [SECTION] Page windows and switching ---------------------------------------------------------

// The part of the sheet's client area pages take: above the tab strip and above any menu bar
// the program put on the sheet.
RECT PageArea(const Sheet& s, bool panel = true) {
    RECT client;
    GetClientRect(s.hwnd, &client);
    int bottom = client.bottom;
    for (HWND child = GetWindow(s.hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        WCHAR cls[32] = {};
        GetClassNameW(child, cls, 32);
        if (std::wcscmp(cls, kCommandBarClass) == 0 && IsWindowVisible(child)) {
            RECT r;
            GetWindowRect(child, &r);
            POINT top{r.left, r.top};
            ScreenToClient(s.hwnd, &top);
            bottom = std::min<int>(bottom, top.y);
        }
    }
    // A raised input panel covers the bottom of the sheet: the tabs stand on its top edge.
    if (panel && device::ui::IsSipUp()) {
        POINT top{0, device::ui::SipRect().top};
        ScreenToClient(s.hwnd, &top);
        bottom = std::min<int>(bottom, top.y);
    }
    return RECT{0, 0, client.right, std::max<int>(0, bottom - kTabHeight)};
}

// Right edge of the last tab, in strip coordinates.
int TabsWidth(const Sheet& s) {
    int count = s.tab ? static_cast<int>(SendMessageW(s.tab, TCM_GETITEMCOUNT, 0, 0)) : 0;
    RECT r{};
    if (count <= 0 || !SendMessageW(s.tab, TCM_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&r)))
        return 0;
    return r.right + 2;
}

// The bottom of the lowest visible control of a page, in the page's client coordinates.
int ContentBottom(HWND page) {
    int bottom = 0;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        RECT r;
        GetWindowRect(child, &r);
        POINT low{r.left, r.bottom};
        ScreenToClient(page, &low);
        bottom = std::max<int>(bottom, low.y);
    }
    return bottom;
}

// A current page whose controls reach below the room the raised input panel leaves it scrolls
// over the height it has without the panel, or more when its controls need it: the sheet's scroll
// bar moves it up under the sheet's top edge. A page that fits, or any page while the panel is
// down, shows no bar.
void SetPageScroll(Sheet& s) {
    HWND page = s.current >= 0 ? s.pages[static_cast<size_t>(s.current)]->hwnd : nullptr;
    const int room = PageArea(s).bottom;
    // The room the page has with the panel down: the sheet itself may end at the panel's top.
    RECT frame;
    GetWindowRect(s.hwnd, &frame);
    const int full = PageArea(s, false).bottom + std::max(0, static_cast<int>(WorkArea().bottom - frame.bottom));
    int content = 0;
    if (page && full > room) {
        const int need = ContentBottom(page);
        if (need > room) content = std::max(need, full);
    }
    s.content = content;
    s.scroll = content ? std::clamp(s.scroll, 0, content - room) : 0;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = content ? content - 1 : 0;
    si.nPage = content ? static_cast<UINT>(room) : 0;
    si.nPos = s.scroll;
    if (s.laying) return;
    // Showing or hiding the bar narrows or widens the client area, which sends WM_SIZE.
    s.laying = true;
    ShowScrollBar(s.hwnd, SB_VERT, content != 0);
    // The sheet lays itself out on every paint: the bar is drawn again only when it changed.
    SCROLLINFO now{};
    now.cbSize = sizeof(now);
    now.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    GetScrollInfo(s.hwnd, SB_VERT, &now);
    if (now.nMin != si.nMin || now.nMax != si.nMax || now.nPage != si.nPage || now.nPos != si.nPos)
        SetScrollInfo(s.hwnd, SB_VERT, &si, TRUE);
    s.laying = false;
}

void Layout(Sheet& s) {
    SetPageScroll(s);
    RECT area = PageArea(s);
    if (s.holder && s.tab) {
        int width = TabsWidth(s);
        bool arrows = width > area.right;
        int room = arrows ? std::max(0, static_cast<int>(area.right) - 2 * kArrowWidth) : area.right;
        s.offset = std::clamp(s.offset, 0, std::max(0, width - room));
        SetWindowPos(s.holder, nullptr, 0, area.bottom, room, kTabHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(s.tab, nullptr, -s.offset, 0, std::max(width, room) + s.offset, kTabHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        for (HWND arrow : {s.prev, s.next}) {
            if (!arrow) continue;
            int x = room + (arrow == s.next ? kArrowWidth : 0);
            SetWindowPos(arrow, nullptr, x, area.bottom, kArrowWidth, kTabHeight,
                         SWP_NOZORDER | SWP_NOACTIVATE | (arrows ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
        }
    }
    for (size_t i = 0; i < s.pages.size(); ++i) {
        HWND page = s.pages[i]->hwnd;
        if (!page) continue;
        const bool scrolled = static_cast<int>(i) == s.current && s.content;
        // A scrolled page ends at the tab strip's top edge, whatever part of it is shown.
        SetWindowPos(page, nullptr, 0, scrolled ? -s.scroll : 0, area.right, area.bottom + (scrolled ? s.scroll : 0),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// A request of the sheet's scroll bar: moves the current page by a line, a page or to a place.
void ScrollPage(Sheet& s, UINT code, int thumb) {
    if (!s.content) return;
    const int room = PageArea(s).bottom;
    const int line = 20, page = std::max(line, room - line);
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_TRACKPOS;
    GetScrollInfo(s.hwnd, SB_VERT, &si);
    int next = s.scroll;
    switch (code) {
    case SB_LINEUP: next -= line; break;
    case SB_LINEDOWN: next += line; break;
    case SB_PAGEUP: next -= page; break;
    case SB_PAGEDOWN: next += page; break;
    // Where the thumb was let go, or where the keys bring a control into view.
    case SB_THUMBPOSITION: next = thumb; break;
    case SB_THUMBTRACK: next = si.nTrackPos; break;
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = s.content - room; break;
    default: return;
    }
    next = std::clamp(next, 0, std::max(0, s.content - room));
    if (next == s.scroll) return;
    s.scroll = next;
    Layout(s);
}

// A sheet fills the work area, down to the raised input panel's top edge: its scroll bar and tabs
// stay where the user can reach them.
void FitSheet(Sheet& s) {
    RECT work = WorkArea();
    if (device::ui::IsSipUp()) work.bottom = std::max(work.top, std::min(work.bottom, device::ui::SipRect().top));
    RECT now;
    GetWindowRect(s.hwnd, &now);
    if (EqualRect(&now, &work)) return;
    SetWindowPos(s.hwnd, nullptr, work.left, work.top, work.right - work.left, work.bottom - work.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// Slides the strip so that tab i shows whole.
void RevealTab(Sheet& s, int i) {
    RECT r{};
    if (!s.tab || !s.holder || !SendMessageW(s.tab, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)))
        return;
    RECT holder;
    GetClientRect(s.holder, &holder);
    if (r.right - s.offset > holder.right) s.offset = r.right + 2 - holder.right;
    if (r.left < s.offset) s.offset = std::max(0, static_cast<int>(r.left) - 2);
    Layout(s);
}

// The arrows: the strip moves by one tab.
void SlideTabs(Sheet& s, bool forward) {
    int count = static_cast<int>(SendMessageW(s.tab, TCM_GETITEMCOUNT, 0, 0));
    int target = -1;
    for (int i = 0; i < count; ++i) {
        RECT r{};
        SendMessageW(s.tab, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
        if (forward && r.left > s.offset + 2) {
            target = r.left - 2;
            break;
        }
        if (!forward && r.left < s.offset - 2) target = std::max(0, static_cast<int>(r.left) - 2);
    }
    if (!forward && target < 0) target = 0;
    if (target >= 0) s.offset = target;
    Layout(s);
}

// Makes a page's window; false when its template is missing or broken, or its callback said no.
bool MakePage(Sheet& s, PropSheetPage& page) {
    if (page.hwnd) return true;
    if (page.failed) return false;
    PROPSHEETPAGEW* psp = page.Psp();
    if ((psp->dwFlags & PSP_USECALLBACK) && psp->pfnCallback && !page.created) {
        page.created = true;
        if (psp->pfnCallback(nullptr, PSPCB_CREATE, psp) == 0) {
            page.failed = true;
            return false;
        }
    }
    std::optional<device::DialogTemplate> tpl;
    DWORD resourceId = 0;
    if (psp->dwFlags & PSP_DLGINDIRECT) {
        size_t size = psp->pResource ? device::DialogRecordSize(psp->pResource) : 0;
        if (size) tpl = device::ParseDialog(psp->pResource, size);
    } else if (psp->pszTemplate) {
        HRSRC found = FindResourceW(psp->hInstance, psp->pszTemplate, RT_DIALOG);
        const void* data = found ? LockResource(LoadResource(psp->hInstance, found)) : nullptr;
        if (data) tpl = device::ParseDialog(data, SizeofResource(psp->hInstance, found));
        if (IS_INTRESOURCE(psp->pszTemplate))
            resourceId = static_cast<DWORD>(reinterpret_cast<uintptr_t>(psp->pszTemplate));
    }
    if (!tpl) {
        page.failed = true;
        return false;
    }
    // A page is always a hidden child of the sheet, whatever its template says.
    tpl->style = (tpl->style & ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE | DS_MODALFRAME)) |
                 WS_CHILD | DS_CONTROL;
    tpl->exStyle &= ~WS_EX_CAPTIONOKBTN;
    tpl->x = tpl->y = 0;
    HWND hwnd = CreateDialogFromTemplate(psp->hInstance, *tpl, resourceId, s.hwnd, psp->pfnDlgProc,
                                         reinterpret_cast<LPARAM>(psp), false);
    if (!hwnd) {
        page.failed = true;
        return false;
    }
    page.hwnd = hwnd;
    RECT area = PageArea(s);
    SetWindowPos(hwnd, HWND_TOP, 0, 0, area.right, area.bottom, SWP_NOACTIVATE);
    return true;
}

// Makes page i current: the old page is asked first (PSN_KILLACTIVE) unless `ask` is false.
bool ShowPage(Sheet& s, int i, bool ask) {
    if (i < 0 || i >= static_cast<int>(s.pages.size())) return false;
    if (i == s.current) return true;
    HWND old = s.current >= 0 ? s.pages[static_cast<size_t>(s.current)]->hwnd : nullptr;
    if (ask && old && NotifyPage(s, old, PSN_KILLACTIVE) != 0) return false;
    PropSheetPage& page = *s.pages[static_cast<size_t>(i)];
    if (!MakePage(s, page)) {
        MessageBeep(MB_OK);
        if (s.tab && s.current >= 0) SendMessageW(s.tab, TCM_SETCURSEL, static_cast<WPARAM>(s.current), 0);
        return false;
    }
    s.current = i;
    s.scroll = 0;
    NotifyPage(s, page.hwnd, PSN_SETACTIVE);
    if (old && old != page.hwnd) ShowWindow(old, SW_HIDE);
    SetWindowPos(page.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    if (s.tab) SendMessageW(s.tab, TCM_SETCURSEL, static_cast<WPARAM>(i), 0);
    RevealTab(s, i);
    // A page that placed the focus itself (its WM_INITDIALOG or PSN_SETACTIVE) keeps it there;
    // otherwise its first tab stop takes it.
    HWND focus = GetFocus();
    if (!focus || !IsChild(page.hwnd, focus))
        if (HWND first = GetNextDlgTabItem(page.hwnd, nullptr, FALSE)) SetFocus(first);
    return true;
}

void AddTab(Sheet& s, int index) {
    if (!s.tab) return;
    std::wstring title = TitleOf(*s.pages[static_cast<size_t>(index)]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = title.data();
    SendMessageW(s.tab, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

int IndexOf(const Sheet& s, WPARAM index, LPARAM handle) {
    if (handle) {
        for (size_t i = 0; i < s.pages.size(); ++i)
            if (s.pages[i].get() == reinterpret_cast<PropSheetPage*>(handle)) return static_cast<int>(i);
        return -1;
    }
    return index < s.pages.size() ? static_cast<int>(index) : -1;
}

int IndexOfWindow(const Sheet& s, HWND page) {
    for (size_t i = 0; i < s.pages.size(); ++i)
        if (s.pages[i]->hwnd && s.pages[i]->hwnd == page) return static_cast<int>(i);
    return -1;
}

// [SECTION] OK, Apply and Cancel ---------------------------------------------------------------

void Finish(Sheet& s, INT_PTR result) {
    s.finished = true;
    if (s.modeless) {
        ShowWindow(s.hwnd, SW_HIDE);
    } else {
        EndDialog(s.hwnd, result);
    }
}

// PSN_APPLY to every page made so far; false (and that page current) when one refuses.
bool Apply(Sheet& s) {
    for (size_t i = 0; i < s.pages.size(); ++i) {
        HWND page = s.pages[i]->hwnd;
        if (!page) continue;
        LRESULT r = NotifyPage(s, page, PSN_APPLY);
        if (r == PSNRET_INVALID || r == PSNRET_INVALID_NOCHANGEPAGE) {
            ShowPage(s, static_cast<int>(i), false);
            return false;
        }
        if (i < s.pages.size()) s.pages[i]->changed = false;
    }
    return true;
}

void OnOk(Sheet& s) {
    if (s.finished) return;
    HWND current = s.current >= 0 ? s.pages[static_cast<size_t>(s.current)]->hwnd : nullptr;
    if (current && NotifyPage(s, current, PSN_KILLACTIVE) != 0) return;
    if (!Apply(s)) return;
    Finish(s, 1);
}

void OnCancel(Sheet& s) {
    if (s.finished) return;
    HWND current = s.current >= 0 ? s.pages[static_cast<size_t>(s.current)]->hwnd : nullptr;
    if (current && NotifyPage(s, current, PSN_QUERYCANCEL) != 0) return;
    for (auto& page : s.pages)
        if (page->hwnd) NotifyPage(s, page->hwnd, PSN_RESET);
    Finish(s, 0);
}

// [SECTION] The sheet's dialog procedure -------------------------------------------------------

INT_PTR Answer(HWND hwnd, LRESULT value) {
    SetWindowLongW(hwnd, DWL_MSGRESULT, static_cast<LONG_PTR>(value));
    return TRUE;
}

INT_PTR CALLBACK SheetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* s = reinterpret_cast<Sheet*>(lParam);
        s->hwnd = hwnd;
        {
            std::lock_guard lock(g_lock);
            Sheets()[hwnd] = s;
        }
        // A sheet fills the work area: no caption row, its title and "ok" go in the taskbar.
        RECT work = WorkArea();
        SetFillsWorkArea(hwnd, true);
        SetWindowPos(hwnd, nullptr, work.left, work.top, work.right - work.left, work.bottom - work.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        EnsureStandardClass(WC_TABCONTROLW);
        EnsureStandardClass(L"BUTTON");
        WPARAM font = static_cast<WPARAM>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
        s->holder = CreateWindowExW(0, kTabHolderClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, hwnd,
                                    nullptr, nullptr, nullptr);
        s->tab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | TCS_BOTTOM, 0, 0, 0, 0, s->holder,
                                 reinterpret_cast<HMENU>(static_cast<uintptr_t>(kTabId)), nullptr, nullptr);
        for (auto [arrow, id, text] : {std::tuple{&s->prev, kPrevId, L"<"}, std::tuple{&s->next, kNextId, L">"}}) {
            *arrow = CreateWindowExW(0, L"BUTTON", text, WS_CHILD | BS_PUSHBUTTON, 0, 0, 0, 0, hwnd,
                                     reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
            if (*arrow) SendMessageW(*arrow, WM_SETFONT, font, FALSE);
        }
        if (s->tab) SendMessageW(s->tab, WM_SETFONT, font, FALSE);
        for (size_t i = 0; i < s->pages.size(); ++i) AddTab(*s, static_cast<int>(i));
        Layout(*s);
        if (s->callback) s->callback(hwnd, PSCB_INITIALIZED, 0);
        for (auto& page : s->pages)
            if (page->Psp()->dwFlags & PSP_PREMATURE) MakePage(*s, *page);
        // The start page, or the first page after it that can be made.
        int n = static_cast<int>(s->pages.size());
        for (int k = 0; k < n && s->current < 0; ++k) ShowPage(*s, (s->start + k) % n, false);
        if (s->current < 0) Finish(*s, -1);
        return FALSE; // the page placed the focus
    }
    Sheet* s = SheetOf(hwnd);
    if (!s) return FALSE;
    switch (msg) {
    case WM_NOTIFY: {
        const auto* nm = reinterpret_cast<const NMHDR*>(lParam);
        if (!nm || nm->hwndFrom != s->tab) return FALSE;
        if (nm->code == TCN_SELCHANGING) {
            HWND old = s->current >= 0 ? s->pages[static_cast<size_t>(s->current)]->hwnd : nullptr;
            return Answer(hwnd, old && NotifyPage(*s, old, PSN_KILLACTIVE) != 0 ? TRUE : FALSE);
        }
        if (nm->code == TCN_SELCHANGE) {
            ShowPage(*s, static_cast<int>(SendMessageW(s->tab, TCM_GETCURSEL, 0, 0)), false);
            return Answer(hwnd, 0);
        }
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && lParam == 0) {
            OnOk(*s);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL && lParam == 0) {
            OnCancel(*s);
            return TRUE;
        }
        if ((LOWORD(wParam) == kPrevId || LOWORD(wParam) == kNextId) && lParam) {
            SlideTabs(*s, LOWORD(wParam) == kNextId);
            return TRUE;
        }
        // Commands of a page's controls go to the page; nothing else is the sheet's business.
        return FALSE;
    case WM_VSCROLL:
        if (lParam) return FALSE; // a scroll bar control of the sheet's own, not its window bar
        ScrollPage(*s, LOWORD(wParam), static_cast<int>(HIWORD(wParam)));
        return TRUE;
    case WM_SIZE:
        if (s->laying) return FALSE;
        Layout(*s);
        return FALSE;
    case WM_PAINT:
        // Also on paint: a menu bar the program adds after the sheet was made takes its room.
        Layout(*s);
        return FALSE;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETSIPINFO) {
            FitSheet(*s);
            Layout(*s);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return FALSE;
    case PSM_SETCURSEL: {
        int i = IndexOf(*s, wParam, lParam);
        return Answer(hwnd, i >= 0 && ShowPage(*s, i, true));
    }
    case PSM_SETCURSELID: {
        for (size_t i = 0; i < s->pages.size(); ++i) {
            PROPSHEETPAGEW* psp = s->pages[i]->Psp();
            if (!(psp->dwFlags & PSP_DLGINDIRECT) && psp->pszTemplate == reinterpret_cast<LPCWSTR>(lParam))
                return Answer(hwnd, ShowPage(*s, static_cast<int>(i), true));
        }
        return Answer(hwnd, FALSE);
    }
    case PSM_ADDPAGE: {
        auto* page = reinterpret_cast<PropSheetPage*>(lParam);
        if (!page) return Answer(hwnd, FALSE);
        s->pages.emplace_back(page);
        AddTab(*s, static_cast<int>(s->pages.size()) - 1);
        return Answer(hwnd, TRUE);
    }
    case PSM_REMOVEPAGE: {
        int i = IndexOf(*s, wParam, lParam);
        if (i < 0) return Answer(hwnd, FALSE);
        if (i == s->current) {
            s->current = -1;
            int n = static_cast<int>(s->pages.size());
            for (int k = 1; k < n && s->current < 0; ++k) {
                int next = (i + k) % n;
                ShowPage(*s, next, false);
            }
        }
        std::unique_ptr<PropSheetPage> gone = std::move(s->pages[static_cast<size_t>(i)]);
        s->pages.erase(s->pages.begin() + i);
        if (s->current > i) --s->current;
        if (s->tab) SendMessageW(s->tab, TCM_DELETEITEM, static_cast<WPARAM>(i), 0);
        if (s->tab && s->current >= 0) SendMessageW(s->tab, TCM_SETCURSEL, static_cast<WPARAM>(s->current), 0);
        if (gone->hwnd) DestroyWindow(gone->hwnd);
        ReleasePage(*gone);
        return Answer(hwnd, TRUE);
    }
    case PSM_CHANGED:
    case PSM_UNCHANGED: {
        int i = IndexOfWindow(*s, reinterpret_cast<HWND>(wParam));
        if (i >= 0) s->pages[static_cast<size_t>(i)]->changed = msg == PSM_CHANGED;
        return Answer(hwnd, i >= 0);
    }
    case PSM_APPLY: return Answer(hwnd, Apply(*s));
    case PSM_CANCELTOCLOSE: return Answer(hwnd, TRUE);
    case PSM_QUERYSIBLINGS:
        for (auto& page : s->pages)
            if (page->hwnd)
                if (LRESULT r = SendMessageW(page->hwnd, PSM_QUERYSIBLINGS, wParam, lParam)) return Answer(hwnd, r);
        return Answer(hwnd, 0);
    case PSM_PRESSBUTTON:
        if (wParam == PSBTN_OK) OnOk(*s);
        else if (wParam == PSBTN_CANCEL) OnCancel(*s);
        else if (wParam == PSBTN_APPLYNOW) Apply(*s);
        return Answer(hwnd, TRUE);
    case PSM_GETTABCONTROL: return Answer(hwnd, reinterpret_cast<LRESULT>(s->tab));
    case PSM_GETCURRENTPAGEHWND:
        return Answer(hwnd, s->finished || s->current < 0
                                ? 0
                                : reinterpret_cast<LRESULT>(s->pages[static_cast<size_t>(s->current)]->hwnd));
    case PSM_ISDIALOGMESSAGE: {
        auto* m = reinterpret_cast<MSG*>(lParam);
        return Answer(hwnd, m && IsDialogMessageW(hwnd, m));
    }
    case PSM_SETTITLEW:
        if (lParam) SetWindowTextW(hwnd, reinterpret_cast<LPCWSTR>(lParam));
        return Answer(hwnd, TRUE);
    case WM_NCDESTROY: {
        std::unique_ptr<Sheet> owned;
        {
            std::lock_guard lock(g_lock);
            Sheets().erase(hwnd);
            auto it = OwnedSheets().find(hwnd);
            if (it != OwnedSheets().end()) {
                owned = std::move(it->second);
                OwnedSheets().erase(it);
            }
        }
        for (auto& page : s->pages) {
            page->hwnd = nullptr; // destroyed with the sheet
            ReleasePage(*page);
        }
        s->pages.clear();
        s->hwnd = nullptr;
        return FALSE;
    }
    default: return FALSE;
    }
}

device::DialogTemplate SheetTemplate(const PROPSHEETHEADERW& h) {
    device::DialogTemplate tpl;
    tpl.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_SETFONT;
    tpl.exStyle = WS_EX_CAPTIONOKBTN | WS_EX_CONTROLPARENT;
    tpl.cx = 160;
    tpl.cy = 200;
    tpl.className = kPropertySheetClass;
    if (h.pszCaption) {
        if (IS_INTRESOURCE(h.pszCaption)) {
            WCHAR buffer[128] = {};
            LoadStringW(h.hInstance, static_cast<UINT>(reinterpret_cast<uintptr_t>(h.pszCaption)), buffer, 128);
            tpl.caption = buffer;
        } else {
            tpl.caption = h.pszCaption;
        }
    }
    tpl.pointSize = 8;
    tpl.faceName = L"Tahoma";
    return tpl;
}

LRESULT CALLBACK SheetWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefDlgProcW(hwnd, msg, wParam, lParam);
}

// The window around the tab strip: passes the strip's notifications on to the sheet.
LRESULT CALLBACK TabHolderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NOTIFY) {
        return SendMessageW(GetParent(hwnd), WM_NOTIFY, wParam, lParam);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

bool SheetPageRoom(HWND sheet, RECT* room) {
    Sheet* s = SheetOf(sheet);
    if (!s || !room) return false;
    *room = PageArea(*s);
    MapWindowPoints(sheet, nullptr, reinterpret_cast<POINT*>(room), 2);
    return true;
}

bool SheetTakesPageKey(HWND dialog, const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || GetKeyState(VK_CONTROL) >= 0) return false;
    // The sheet itself, or the sheet whose page (or a dialog inside that page) this is.
    Sheet* s = SheetOf(dialog);
    for (HWND h = dialog; !s && h && (GetWindowLongW(h, GWL_STYLE) & WS_CHILD); h = GetParent(h)) s = SheetOf(GetParent(h));
    if (!s || s->finished || s->pages.empty()) return false;
    const int n = static_cast<int>(s->pages.size());
    const int step = GetKeyState(VK_SHIFT) < 0 ? n - 1 : 1;
    if (n > 1) ShowPage(*s, (std::max(s->current, 0) + step) % n, true);
    return true;
}

void RegisterPropertySheetClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterDialogClasses();
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = SheetWindowProc;
        wc.cbWndExtra = DLGWINDOWEXTRA;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1));
        wc.lpszClassName = kPropertySheetClass;
        RegisterClassW(&wc);
        WNDCLASSW holder{};
        holder.lpfnWndProc = TabHolderProc;
        holder.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1));
        holder.lpszClassName = kTabHolderClass;
        RegisterClassW(&holder);
    });
}

HWND PropertySheetPageWindow(HWND sheet, int index) {
    Sheet* s = SheetOf(sheet);
    if (!s || index < 0 || index >= static_cast<int>(s->pages.size())) return nullptr;
    return s->pages[static_cast<size_t>(index)]->hwnd;
}

bool PropertySheetPageChanged(HWND sheet, int index) {
    Sheet* s = SheetOf(sheet);
    if (!s || index < 0 || index >= static_cast<int>(s->pages.size())) return false;
    return s->pages[static_cast<size_t>(index)]->changed;
}

} // namespace device::ui

// [SECTION] Public calls ------------------------------------------------------------------------

using namespace device::ui;

HPROPSHEETPAGE CreatePropertySheetPageW(LPCPROPSHEETPAGEW page) {
    std::unique_ptr<PropSheetPage> copy = CopyPage(page);
    if (!copy) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return copy.release();
}

BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page) {
    if (!page) return FALSE;
    ReleasePage(*page);
    delete page;
    return TRUE;
}

INT_PTR PropertySheetW(LPCPROPSHEETHEADERW header) {
    if (!header || header->dwSize < sizeof(PROPSHEETHEADERW) || header->nPages == 0 || header->nPages > 1000 ||
        !header->ppsp) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    RegisterPropertySheetClasses();
    auto sheet = std::make_unique<Sheet>();
    Sheet& s = *sheet;
    s.flags = header->dwFlags;
    s.modeless = (header->dwFlags & PSH_MODELESS) != 0;
    s.callback = (header->dwFlags & PSH_USECALLBACK) ? header->pfnCallback : nullptr;
    if (header->dwFlags & PSH_PROPSHEETPAGE) {
        const auto* at = reinterpret_cast<const uint8_t*>(header->ppsp);
        for (UINT i = 0; i < header->nPages; ++i) {
            auto psp = reinterpret_cast<LPCPROPSHEETPAGEW>(at);
            std::unique_ptr<PropSheetPage> page = CopyPage(psp);
            if (!page) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return -1;
            }
            at += psp->dwSize;
            s.pages.push_back(std::move(page));
        }
    } else {
        // Page handles: the sheet takes them over.
        for (UINT i = 0; i < header->nPages; ++i)
            if (header->phpage[i]) s.pages.emplace_back(header->phpage[i]);
    }
    if (s.pages.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (header->dwFlags & PSH_USEPSTARTPAGE) {
        for (size_t i = 0; i < s.pages.size() && header->pStartPage; ++i)
            if (TitleOf(*s.pages[i]) == header->pStartPage) s.start = static_cast<int>(i);
    } else if (header->nStartPage < s.pages.size()) {
        s.start = static_cast<int>(header->nStartPage);
    }

    if (s.callback) s.callback(nullptr, PSCB_PRECREATE, 0);
    HWND owner = OwnerTopLevel(header->hwndParent);
    device::DialogTemplate tpl = SheetTemplate(*header);
    HWND hwnd = CreateDialogFromTemplate(header->hInstance, tpl, 0, owner, SheetProc, reinterpret_cast<LPARAM>(&s),
                                         !s.modeless);
    if (!hwnd) {
        for (auto& page : s.pages) ReleasePage(*page);
        return -1;
    }
    if (s.modeless) {
        if (s.current < 0) {
            DestroyWindow(hwnd);
            return -1;
        }
        ShowWindow(hwnd, SW_SHOW);
        std::lock_guard lock(g_lock);
        OwnedSheets()[hwnd] = std::move(sheet);
        return reinterpret_cast<INT_PTR>(hwnd);
    }
    return RunModalDialog(hwnd, owner);
}
