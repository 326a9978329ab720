// The HTML viewer window ("DISPLAYCLASS"): keeps the page's source, lays it out with litehtml
// through HtmlContainer, paints the visible part with a scroll bar at the right when the page is
// taller than the window, scrolls by stylus drag, scroll bar and keys, and follows local links.

#include "platform/base/CodePage.h"
#include "platform/base/Utf8.h"
#include "platform/ui/HtmlContainer.h"
#include "platform/ui/HtmlView.h"
#include "platform/ui/MenuLayout.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

namespace device::ui::html {
namespace {

// Largest page source kept; text beyond it is dropped (the page shows what came before).
constexpr size_t kMaxSource = 1u << 20;
constexpr int kBarWidth = 11;
constexpr int kLineStep = 16;
// Deepest element nesting laid out (see LimitNesting).
constexpr size_t kMaxDepth = 150;

struct Viewer {
    HtmlContainer container;
    std::string source; // UTF-8
    bool dirty = false; // source changed since the last layout
    SIZE laidOutFor{0, 0}; // the client size of the last layout
    litehtml::document::ptr doc;
    int zoom = 2;
    bool shrink = false;
    int scroll = 0;
    int docHeight = 0;
    int contentWidth = 0;
    bool bar = false;
    std::wstring address;
    // Stylus.
    enum class Press { None, Content, Thumb, Track } press = Press::None;
    POINT downPt{0, 0};
    int downScroll = 0;
    bool dragging = false;
};

std::mutex g_lock;
std::map<HWND, std::shared_ptr<Viewer>>& Viewers() {
    static auto* viewers = new std::map<HWND, std::shared_ptr<Viewer>>;
    return *viewers;
}

std::shared_ptr<Viewer> ViewerOf(HWND hwnd) {
    std::lock_guard lock(g_lock);
    auto it = Viewers().find(hwnd);
    return it == Viewers().end() ? nullptr : it->second;
}

litehtml::context& Context() {
    static litehtml::context* ctx = [] {
        auto* c = new litehtml::context;
        c->load_master_stylesheet(MasterStyleSheet());
        return c;
    }();
    return *ctx;
}

std::string Escape(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
        case L'&': out += L"&amp;"; break;
        case L'<': out += L"&lt;"; break;
        case L'>': out += L"&gt;"; break;
        case L'"': out += L"&quot;"; break;
        case L'\r': break;
        case L'\n': out += L"<br>"; break;
        default: out += c;
        }
    }
    return ToUtf8(out);
}

int ClientHeight(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    return r.bottom;
}

void ClampScroll(HWND hwnd, Viewer& v) {
    int maxScroll = std::max(0, v.docHeight - ClientHeight(hwnd));
    v.scroll = std::clamp(v.scroll, 0, maxScroll);
}

// Parses and lays the source out for the window's width (narrower by the scroll bar when the
// page does not fit).
void Layout(HWND hwnd, Viewer& v) {
    v.dirty = false;
    v.doc.reset();
    v.docHeight = 0;
    v.container.ClearCaption();
    RECT client;
    GetClientRect(hwnd, &client);
    v.laidOutFor = SIZE{client.right, client.bottom};
    v.contentWidth = client.right;
    v.bar = false;
    if (v.source.empty()) {
        v.scroll = 0;
        return;
    }
    v.container.SetFontSize(kZoomFontSizes[v.zoom]);
    v.container.SetShrink(v.shrink);
    std::string page = LimitNesting(v.source, kMaxDepth);
    // Laid out beside the scroll bar first: long pages, the costly ones, then need one layout;
    // a page that turns out to fit is laid out again at the full width.
    bool room = client.right > 3 * kBarWidth;
    v.contentWidth = room ? client.right - kBarWidth : client.right;
    v.container.SetView(std::max(1, v.contentWidth), std::max(1, client.bottom));
    v.doc = litehtml::document::createFromUTF8(page.c_str(), &v.container, &Context());
    if (v.doc) {
        v.doc->render(std::max(1, v.contentWidth));
        v.docHeight = v.doc->height();
        v.bar = room && v.docHeight > client.bottom;
        if (room && !v.bar) {
            v.contentWidth = client.right;
            v.container.SetView(std::max(1, v.contentWidth), std::max(1, client.bottom));
            v.doc->render(std::max(1, v.contentWidth));
            v.docHeight = v.doc->height();
            // Wider, it can only be as tall or shorter: it still fits.
        }
    }
    ClampScroll(hwnd, v);
}

void EnsureLayout(HWND hwnd, Viewer& v) {
    if (v.dirty) Layout(hwnd, v);
}

// Thumb rectangle of the scroll bar (client coordinates).
RECT ThumbRect(HWND hwnd, const Viewer& v) {
    RECT client;
    GetClientRect(hwnd, &client);
    int track = client.bottom;
    int extra = std::max(1, v.docHeight - track);
    int thumb = std::clamp(v.docHeight > 0 ? track * track / v.docHeight : track, 12, std::max(12, track));
    int top = (track - thumb) * v.scroll / extra;
    return RECT{client.right - kBarWidth, top, client.right, top + thumb};
}

void ScrollTo(HWND hwnd, Viewer& v, int scroll) {
    int before = v.scroll;
    v.scroll = scroll;
    ClampScroll(hwnd, v);
    if (v.scroll != before) InvalidateRect(hwnd, nullptr, TRUE);
}

void Paint(HWND hwnd, HDC dc, Viewer& v) {
    EnsureLayout(hwnd, v);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    if (v.doc) {
        int saved = SaveDC(dc);
        IntersectClipRect(dc, 0, 0, v.contentWidth, client.bottom);
        litehtml::position clip(0, 0, v.contentWidth, client.bottom);
        v.doc->draw(reinterpret_cast<litehtml::uint_ptr>(dc), 0, -v.scroll, &clip);
        RestoreDC(dc, saved);
    }
    if (v.bar) {
        RECT track{client.right - kBarWidth, 0, client.right, client.bottom};
        FillRect(dc, &track, GetSysColorBrush(COLOR_SCROLLBAR));
        RECT thumb = ThumbRect(hwnd, v);
        FillRect(dc, &thumb, GetSysColorBrush(COLOR_BTNFACE));
        FrameRect(dc, &thumb, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        RECT edge{track.left, 0, track.left + 1, client.bottom};
        FillRect(dc, &edge, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
}

LRESULT Notify(HWND hwnd, UINT code, const std::wstring& target) {
    HWND parent = GetParent(hwnd);
    if (!parent) return 0;
    NM_HTMLVIEWW nm{};
    nm.hdr.hwndFrom = hwnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
    nm.hdr.code = code;
    nm.szTarget = target.c_str();
    nm.szData = L"";
    nm.szExInfo = L"";
    return SendMessageW(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

void SetSource(HWND hwnd, Viewer& v, std::string source) {
    v.source = std::move(source);
    if (v.source.size() > kMaxSource) v.source.resize(kMaxSource);
    v.scroll = 0;
    v.container.ClearImages();
    Layout(hwnd, v);
    InvalidateRect(hwnd, nullptr, TRUE);
}

// Opens an address. Only local files open; anything else shows a short notice instead.
void Navigate(HWND hwnd, Viewer& v, const std::wstring& address) {
    if (Notify(hwnd, NM_BEFORENAVIGATE, address) != 0) return; // the parent said no
    std::wstring path = ResolveLocalAddress(ToUtf8(address), v.container.BaseFolder());
    std::string page;
    v.address = address;
    if (path.empty()) {
        page = "<html><body><p>This address cannot be opened on the device:</p><p>" + Escape(address) +
               "</p></body></html>";
    } else if (!ReadLocalText(path, kMaxSource, page)) {
        page = "<html><body><p>The page cannot be found:</p><p>" + Escape(path) + "</p></body></html>";
    } else {
        v.container.SetBaseFolder(FolderOf(path));
    }
    SetSource(hwnd, v, std::move(page));
    Notify(hwnd, NM_DOCUMENTCOMPLETE, address);
}

void FollowLink(HWND hwnd, Viewer& v, const std::string& url) {
    if (url.empty() || url[0] == '#') return; // a place inside this page: the page stays
    std::wstring path = ResolveLocalAddress(url, v.container.BaseFolder());
    if (path.empty()) {
        MessageBeep(MB_OK); // no network: other addresses are refused
        return;
    }
    Navigate(hwnd, v, L"file://" + path);
}

LRESULT OnStylus(HWND hwnd, Viewer& v, UINT msg, LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT client;
    GetClientRect(hwnd, &client);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        EnsureLayout(hwnd, v);
        SetCapture(hwnd);
        v.downPt = p;
        v.downScroll = v.scroll;
        v.dragging = false;
        if (v.bar && p.x >= client.right - kBarWidth) {
            RECT thumb = ThumbRect(hwnd, v);
            if (PtInRect(&thumb, p)) {
                v.press = Viewer::Press::Thumb;
            } else {
                v.press = Viewer::Press::Track;
                ScrollTo(hwnd, v, v.scroll + (p.y < thumb.top ? -1 : 1) * std::max(kLineStep, client.bottom - kLineStep));
            }
        } else {
            v.press = Viewer::Press::Content;
        }
        return 0;
    }
    case WM_MOUSEMOVE: {
        if (GetCapture() != hwnd) return 0;
        if (v.press == Viewer::Press::Thumb) {
            RECT thumb = ThumbRect(hwnd, v);
            int room = std::max(1, client.bottom - (thumb.bottom - thumb.top));
            int extra = std::max(0, v.docHeight - client.bottom);
            ScrollTo(hwnd, v, v.downScroll + (p.y - v.downPt.y) * extra / room);
        } else if (v.press == Viewer::Press::Content) {
            if (!v.dragging && std::abs(p.y - v.downPt.y) >= GetSystemMetrics(SM_CYDRAG)) v.dragging = true;
            if (v.dragging) ScrollTo(hwnd, v, v.downScroll - (p.y - v.downPt.y));
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        Viewer::Press press = v.press;
        v.press = Viewer::Press::None;
        if (GetCapture() == hwnd) ReleaseCapture();
        if (press == Viewer::Press::Content && !v.dragging && v.doc) {
            litehtml::position::vector boxes;
            v.doc->on_lbutton_down(p.x, p.y + v.scroll, p.x, p.y, boxes);
            v.doc->on_lbutton_up(p.x, p.y + v.scroll, p.x, p.y, boxes);
            std::string url;
            if (v.container.TakeClickedLink(url)) FollowLink(hwnd, v, url);
        }
        return 0;
    }
    default: return 0;
    }
}

LRESULT CALLBACK ViewerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        {
            std::lock_guard lock(g_lock);
            Viewers()[hwnd] = std::make_shared<Viewer>();
        }
        // The viewer draws its own scroll bar when the page needs one; scroll bars named in the
        // style would be a second, inert one beside it.
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (cs && (static_cast<DWORD>(cs->style) & (WS_VSCROLL | WS_HSCROLL)))
            SetWindowLongW(hwnd, GWL_STYLE,
                           static_cast<LONG_PTR>(static_cast<DWORD>(cs->style) & ~(WS_VSCROLL | WS_HSCROLL)));
    }
    std::shared_ptr<Viewer> holder = ViewerOf(hwnd);
    if (!holder) return DefWindowProcW(hwnd, msg, wParam, lParam);
    Viewer& v = *holder;
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        Paint(hwnd, dc, v);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_SIZE: {
        // A page is laid out for its client size: only another size needs a new layout.
        RECT client;
        GetClientRect(hwnd, &client);
        if (!v.source.empty() && (client.right != v.laidOutFor.cx || client.bottom != v.laidOutFor.cy)) {
            v.dirty = true;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    }
    case WM_SETTEXT:
    case DTM_CLEAR: {
        LPCWSTR text = msg == WM_SETTEXT ? reinterpret_cast<LPCWSTR>(lParam) : nullptr;
        v.address.clear();
        v.container.SetBaseFolder(L"");
        SetSource(hwnd, v, text ? ToUtf8(text) : std::string());
        return TRUE;
    }
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case DTM_ADDTEXTW:
    case DTM_ADDTEXT: {
        if (!lParam) return FALSE;
        std::wstring text = msg == DTM_ADDTEXTW ? std::wstring(reinterpret_cast<LPCWSTR>(lParam))
                                                : WidenBytes(reinterpret_cast<const char*>(lParam));
        std::string piece = wParam ? Escape(text) : ToUtf8(text);
        if (v.source.size() + piece.size() > kMaxSource) piece.resize(kMaxSource - std::min(kMaxSource, v.source.size()));
        v.source += piece;
        v.dirty = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case DTM_ENDOFSOURCE:
        Layout(hwnd, v);
        InvalidateRect(hwnd, nullptr, TRUE);
        Notify(hwnd, NM_DOCUMENTCOMPLETE, v.address);
        return TRUE;
    case DTM_NAVIGATE: {
        LPCWSTR address = reinterpret_cast<LPCWSTR>(lParam);
        if (!address) return FALSE;
        Navigate(hwnd, v, address);
        return TRUE;
    }
    case DTM_ZOOMLEVEL: {
        int zoom = static_cast<int>(std::clamp<LPARAM>(lParam, 0, 4));
        if (zoom != v.zoom) {
            // Keep the same part of the page in view, in proportion.
            int oldHeight = std::max(1, v.docHeight);
            int oldScroll = v.scroll;
            v.zoom = zoom;
            Layout(hwnd, v);
            v.scroll = static_cast<int>(static_cast<long long>(oldScroll) * v.docHeight / oldHeight);
            ClampScroll(hwnd, v);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return TRUE;
    }
    case DTM_ENABLESHRINK: {
        bool shrink = lParam != 0;
        if (shrink != v.shrink) {
            v.shrink = shrink;
            // Shrinking changes only pictures wider than the view: a page without one (a news
            // page of text, or none yet) looks the same and keeps its layout.
            if (v.dirty || v.container.ShrinkChangesAPicture()) {
                v.container.ClearImages();
                v.dirty = true;
                InvalidateRect(hwnd, nullptr, TRUE);
            } else {
                v.container.SetShrink(shrink);
            }
        }
        return TRUE;
    }
    case WM_KEYDOWN: {
        EnsureLayout(hwnd, v);
        int page = std::max(kLineStep, ClientHeight(hwnd) - kLineStep);
        switch (wParam) {
        case VK_UP: ScrollTo(hwnd, v, v.scroll - kLineStep); return 0;
        case VK_DOWN: ScrollTo(hwnd, v, v.scroll + kLineStep); return 0;
        case VK_PRIOR: ScrollTo(hwnd, v, v.scroll - page); return 0;
        case VK_NEXT: ScrollTo(hwnd, v, v.scroll + page); return 0;
        case VK_HOME: ScrollTo(hwnd, v, 0); return 0;
        case VK_END: ScrollTo(hwnd, v, v.docHeight); return 0;
        default: break;
        }
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: return OnStylus(hwnd, v, msg, lParam);
    case WM_CAPTURECHANGED:
        v.press = Viewer::Press::None;
        return 0;
    case WM_NCDESTROY: {
        std::lock_guard lock(g_lock);
        Viewers().erase(hwnd);
        break;
    }
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

} // namespace device::ui::html

void device::ui::menus::RegisterHtmlViewerClass() {
    WNDCLASSW wc{};
    wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
    wc.lpfnWndProc = html::ViewerProc;
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = DISPLAYCLASS;
    RegisterClassW(&wc);
}

BOOL InitHTMLControl(HINSTANCE) {
    device::ui::menus::RegisterHtmlViewerClass();
    WNDCLASSW wc{};
    return GetClassInfoW(nullptr, DISPLAYCLASS, &wc) ? TRUE : FALSE;
}

bool device::ui::GetHtmlViewState(HWND viewer, HtmlViewState& state) {
    std::shared_ptr<html::Viewer> v = html::ViewerOf(viewer);
    if (!v) return false;
    html::EnsureLayout(viewer, *v);
    state.zoom = v->zoom;
    state.shrink = v->shrink;
    state.scroll = v->scroll;
    state.documentHeight = v->docHeight;
    state.defaultFontSize = html::kZoomFontSizes[v->zoom];
    state.address = v->address;
    state.caption = v->container.Caption();
    return true;
}
