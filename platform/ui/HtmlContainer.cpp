// litehtml's host: every drawing call goes to the layer's GDI; pictures and style sheets come
// from local files only.

#include "platform/ui/HtmlContainer.h"

#include "platform/base/CaseFold.h"
#include "platform/base/CodePage.h"
#include "platform/base/Utf8.h"
#include "platform/system/DeviceFiles.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>

namespace device::ui::html {

// [SECTION] Addresses and files ----------------------------------------------------------------

namespace {

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// "%20" and friends, decoded as UTF-8 bytes.
std::wstring PercentDecode(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int hi = HexValue(static_cast<unsigned char>(text[i + 1])), lo = HexValue(static_cast<unsigned char>(text[i + 2]));
            if (hi >= 0 && lo >= 0) {
                bytes += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        bytes += text[i];
    }
    return FromUtf8(bytes);
}

// Joins and tidies "\"-separated parts: "." dropped, ".." goes up (never above the root).
std::wstring Normalise(const std::wstring& path) {
    std::vector<std::wstring> parts;
    std::wstring part;
    auto flush = [&] {
        if (part == L"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        part.clear();
    };
    for (wchar_t c : path) {
        if (c == L'\\' || c == L'/') flush();
        else part += c;
    }
    flush();
    std::wstring out;
    for (const std::wstring& p : parts) out += L"\\" + p;
    return out.empty() ? L"\\" : out;
}

bool ValidUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t n;
        if (c < 0x80) n = 0;
        else if ((c & 0xE0) == 0xC0) n = 1;
        else if ((c & 0xF0) == 0xE0) n = 2;
        else if ((c & 0xF8) == 0xF0) n = 3;
        else return false;
        if (i + n >= s.size()) return false;
        for (size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n + 1;
    }
    return true;
}

} // namespace

std::wstring ResolveLocalAddress(const std::string& address, const std::wstring& baseFolder) {
    std::string a = address;
    // Leading and trailing blanks are not part of an address.
    while (!a.empty() && std::isspace(static_cast<unsigned char>(a.front()))) a.erase(a.begin());
    while (!a.empty() && std::isspace(static_cast<unsigned char>(a.back()))) a.pop_back();
    if (a.empty() || a[0] == '#') return {};
    size_t colon = a.find(':');
    size_t firstSep = a.find_first_of("/\\?#");
    bool hasScheme = colon != std::string::npos && colon > 0 && (firstSep == std::string::npos || colon < firstSep);
    if (hasScheme) {
        std::string scheme = a.substr(0, colon);
        for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (scheme != "file") return {}; // http, https, ftp, mailto, javascript...: never opened
        a = a.substr(colon + 1);
        // "file://\x", "file:///x", "file:\x"
        size_t skip = 0;
        while (skip < a.size() && skip < 2 && a[skip] == '/') ++skip;
        a = a.substr(skip);
        if (a.rfind("localhost/", 0) == 0) a = a.substr(9);
        if (a.empty() || (a[0] != '/' && a[0] != '\\')) a = "\\" + a;
    }
    size_t cut = a.find_first_of("?#");
    if (cut != std::string::npos) a = a.substr(0, cut);
    if (a.empty()) return {};
    std::wstring path = PercentDecode(a);
    if (path[0] != L'\\' && path[0] != L'/') path = baseFolder + L"\\" + path;
    return Normalise(path);
}

std::wstring FolderOf(const std::wstring& devicePath) {
    size_t slash = devicePath.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash == 0) return L"";
    return devicePath.substr(0, slash);
}

bool ReadLocalText(const std::wstring& devicePath, size_t limit, std::string& utf8) {
    std::filesystem::path host;
    if (!ResolveDevicePath(devicePath.c_str(), host)) return false;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(host, ec)) return false;
    auto size = std::filesystem::file_size(host, ec);
    if (ec || size > limit) return false;
    std::ifstream in(host, std::ios::binary);
    if (!in) return false;
    std::string bytes(static_cast<size_t>(size), '\0');
    if (size && !in.read(bytes.data(), static_cast<std::streamsize>(size))) return false;
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    if (ValidUtf8(bytes)) utf8 = std::move(bytes);
    else utf8 = ToUtf8(WidenBytes(bytes));
    return true;
}

// [SECTION] The container ----------------------------------------------------------------------

namespace {

COLORREF ToColour(const litehtml::web_color& c) { return RGB(c.red, c.green, c.blue); }

std::wstring FirstFace(const char* list) {
    std::string all = list ? list : "";
    std::string first = all.substr(0, all.find(','));
    first.erase(std::remove(first.begin(), first.end(), '"'), first.end());
    first.erase(std::remove(first.begin(), first.end(), '\''), first.end());
    while (!first.empty() && std::isspace(static_cast<unsigned char>(first.front()))) first.erase(first.begin());
    while (!first.empty() && std::isspace(static_cast<unsigned char>(first.back()))) first.pop_back();
    std::wstring face = FromUtf8(first);
    std::wstring lower = ToLower(face);
    if (lower.empty() || lower == L"sans-serif") return L"Tahoma";
    if (lower == L"serif") return L"Times New Roman";
    if (lower == L"monospace") return L"Courier New";
    if (lower == L"cursive" || lower == L"fantasy") return L"Tahoma";
    return face;
}

std::wstring Roman(int n, bool upper) {
    static const std::pair<int, const wchar_t*> kTable[] = {{1000, L"m"}, {900, L"cm"}, {500, L"d"}, {400, L"cd"},
                                                            {100, L"c"},  {90, L"xc"},  {50, L"l"},  {40, L"xl"},
                                                            {10, L"x"},   {9, L"ix"},   {5, L"v"},   {4, L"iv"},
                                                            {1, L"i"}};
    std::wstring out;
    if (n <= 0 || n > 3999) return std::to_wstring(n);
    for (const auto& [v, s] : kTable)
        while (n >= v) {
            out += s;
            n -= v;
        }
    return upper ? ToUpper(out) : out;
}

std::wstring Alpha(int n, bool upper) {
    if (n <= 0) return std::to_wstring(n);
    std::wstring out;
    while (n > 0) {
        --n;
        out.insert(out.begin(), static_cast<wchar_t>((upper ? L'A' : L'a') + n % 26));
        n /= 26;
    }
    return out;
}

} // namespace

HtmlContainer::HtmlContainer() { m_measure = CreateCompatibleDC(nullptr); }

HtmlContainer::~HtmlContainer() {
    ClearImages();
    if (m_measure) DeleteDC(m_measure);
}

bool HtmlContainer::TakeClickedLink(std::string& url) {
    if (!m_hasClick) return false;
    url = m_clicked;
    m_hasClick = false;
    return true;
}

void HtmlContainer::ClearImages() {
    for (auto& [path, picture] : m_pictures)
        if (picture.bitmap) DeleteObject(picture.bitmap);
    m_pictures.clear();
}

litehtml::uint_ptr HtmlContainer::create_font(const litehtml::tchar_t* faceName, int size, int weight,
                                              litehtml::font_style italic, unsigned int decoration,
                                              litehtml::font_metrics* fm) {
    LOGFONTW lf{};
    lf.lfHeight = -std::clamp(size, 1, 400);
    lf.lfWeight = std::clamp(weight, 100, 900);
    lf.lfItalic = italic == litehtml::fontStyleItalic ? 1 : 0;
    lf.lfUnderline = (decoration & litehtml::font_decoration_underline) ? 1 : 0;
    lf.lfStrikeOut = (decoration & litehtml::font_decoration_linethrough) ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    std::wstring face = FirstFace(faceName);
    face.resize(std::min<size_t>(face.size(), LF_FACESIZE - 1));
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    HFONT font = CreateFontIndirectW(&lf);
    if (fm) {
        HGDIOBJ old = SelectObject(m_measure, font);
        TEXTMETRICW tm{};
        GetTextMetricsW(m_measure, &tm);
        SIZE x{0, 0};
        GetTextExtentPoint32W(m_measure, L"x", 1, &x);
        SelectObject(m_measure, old);
        fm->ascent = tm.tmAscent;
        fm->descent = tm.tmDescent;
        fm->height = tm.tmHeight;
        fm->x_height = std::max<int>(1, tm.tmAscent / 2);
        fm->draw_spaces = lf.lfItalic || decoration;
    }
    return reinterpret_cast<litehtml::uint_ptr>(font);
}

void HtmlContainer::delete_font(litehtml::uint_ptr font) {
    m_widths.erase(font); // the handle may come back for another font
    DeleteObject(reinterpret_cast<HGDIOBJ>(font));
}

int HtmlContainer::text_width(const litehtml::tchar_t* text, litehtml::uint_ptr font) {
    std::unordered_map<std::string, int>& known = m_widths[font];
    std::string key = text ? text : "";
    if (auto it = known.find(key); it != known.end()) return it->second;
    std::wstring wide = FromUtf8(key);
    HGDIOBJ old = SelectObject(m_measure, reinterpret_cast<HGDIOBJ>(font));
    SIZE size{0, 0};
    GetTextExtentPoint32W(m_measure, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(m_measure, old);
    known.emplace(std::move(key), size.cx);
    return size.cx;
}

int HtmlContainer::BeginClip(HDC dc) {
    int saved = SaveDC(dc);
    if (!m_clips.empty()) {
        const RECT& c = m_clips.back();
        IntersectClipRect(dc, c.left, c.top, c.right, c.bottom);
    }
    return saved;
}

void HtmlContainer::EndClip(HDC dc, int saved) { RestoreDC(dc, saved); }

void HtmlContainer::draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text, litehtml::uint_ptr font,
                              litehtml::web_color color, const litehtml::position& pos) {
    HDC dc = reinterpret_cast<HDC>(hdc);
    std::wstring wide = FromUtf8(text ? text : "");
    int saved = BeginClip(dc);
    SelectObject(dc, reinterpret_cast<HGDIOBJ>(font));
    SetTextColor(dc, ToColour(color));
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, pos.x, pos.y, wide.c_str(), static_cast<int>(wide.size()));
    EndClip(dc, saved);
}

int HtmlContainer::pt_to_px(int pt) const { return pt * 96 / 72; }

void HtmlContainer::draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) {
    HDC dc = reinterpret_cast<HDC>(hdc);
    int saved = BeginClip(dc);
    const litehtml::position& p = marker.pos;
    COLORREF colour = ToColour(marker.color);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HBRUSH brush = CreateSolidBrush(colour);
    SelectObject(dc, pen);
    switch (marker.marker_type) {
    case litehtml::list_style_type_none: break;
    case litehtml::list_style_type_circle:
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        Ellipse(dc, p.x, p.y, p.x + p.width, p.y + p.height);
        break;
    case litehtml::list_style_type_square:
        SelectObject(dc, brush);
        Rectangle(dc, p.x, p.y, p.x + p.width, p.y + p.height);
        break;
    case litehtml::list_style_type_disc:
        SelectObject(dc, brush);
        Ellipse(dc, p.x, p.y, p.x + p.width, p.y + p.height);
        break;
    default: {
        // Numbered lists: the number and a dot, ending where the marker box ends.
        std::wstring text;
        switch (marker.marker_type) {
        case litehtml::list_style_type_lower_alpha:
        case litehtml::list_style_type_lower_latin: text = Alpha(marker.index, false); break;
        case litehtml::list_style_type_upper_alpha:
        case litehtml::list_style_type_upper_latin: text = Alpha(marker.index, true); break;
        case litehtml::list_style_type_lower_roman: text = Roman(marker.index, false); break;
        case litehtml::list_style_type_upper_roman: text = Roman(marker.index, true); break;
        case litehtml::list_style_type_decimal_leading_zero:
            text = (marker.index < 10 ? L"0" : L"") + std::to_wstring(marker.index);
            break;
        default: text = std::to_wstring(marker.index); break;
        }
        text += L".";
        if (marker.font) SelectObject(dc, reinterpret_cast<HGDIOBJ>(marker.font));
        SIZE size{0, 0};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        SetTextColor(dc, colour);
        SetBkMode(dc, TRANSPARENT);
        int baselineTop = p.y + p.height / 2 - tm.tmHeight / 2;
        TextOutW(dc, p.x + p.width - size.cx, baselineTop, text.c_str(), static_cast<int>(text.size()));
        break;
    }
    }
    EndClip(dc, saved);
    DeleteObject(pen);
    DeleteObject(brush);
}

const HtmlContainer::Picture* HtmlContainer::FindPicture(const litehtml::tchar_t* src, const litehtml::tchar_t*) {
    std::wstring path = ResolveLocalAddress(src ? src : "", m_baseFolder);
    if (path.empty()) return nullptr;
    std::wstring key = ToLower(path);
    auto it = m_pictures.find(key);
    if (it == m_pictures.end()) {
        Picture picture;
        picture.bitmap = SHLoadImageFile(path.c_str());
        if (picture.bitmap) {
            BITMAP bm{};
            GetObjectW(picture.bitmap, sizeof(bm), &bm);
            picture.width = bm.bmWidth;
            picture.height = std::abs(bm.bmHeight);
        }
        it = m_pictures.emplace(key, picture).first;
    }
    return it->second.bitmap ? &it->second : nullptr;
}

bool HtmlContainer::ShrinkChangesAPicture() const {
    const int room = m_width - 16; // as get_image_size shrinks them
    if (room <= 0) return false;
    for (const auto& [path, picture] : m_pictures)
        if (picture.bitmap && picture.width > room) return true;
    return false;
}

void HtmlContainer::load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, bool) {
    FindPicture(src, baseurl);
}

void HtmlContainer::get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                                   litehtml::size& sz) {
    const Picture* picture = FindPicture(src, baseurl);
    if (!picture) {
        sz.width = sz.height = 0;
        return;
    }
    sz.width = picture->width;
    sz.height = picture->height;
    int room = m_width - 16; // the body's margins
    if (m_shrink && room > 0 && sz.width > room) {
        sz.height = static_cast<int>(static_cast<long long>(sz.height) * room / sz.width);
        sz.width = room;
    }
}

void HtmlContainer::draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) {
    HDC dc = reinterpret_cast<HDC>(hdc);
    int saved = BeginClip(dc);
    const litehtml::position& clip = bg.clip_box;
    IntersectClipRect(dc, clip.x, clip.y, clip.x + clip.width, clip.y + clip.height);
    if (bg.image.empty()) {
        if (bg.color.alpha > 0) {
            HBRUSH brush = CreateSolidBrush(ToColour(bg.color));
            RECT r{clip.x, clip.y, clip.x + clip.width, clip.y + clip.height};
            FillRect(dc, &r, brush);
            DeleteObject(brush);
        }
        EndClip(dc, saved);
        return;
    }
    if (bg.color.alpha > 0) {
        HBRUSH brush = CreateSolidBrush(ToColour(bg.color));
        RECT r{clip.x, clip.y, clip.x + clip.width, clip.y + clip.height};
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    const Picture* picture = FindPicture(bg.image.c_str(), bg.baseurl.c_str());
    int w = bg.image_size.width, h = bg.image_size.height;
    if (picture && w > 0 && h > 0) {
        HDC src = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(src, picture->bitmap);
        bool repeatX = bg.repeat == litehtml::background_repeat_repeat || bg.repeat == litehtml::background_repeat_repeat_x;
        bool repeatY = bg.repeat == litehtml::background_repeat_repeat || bg.repeat == litehtml::background_repeat_repeat_y;
        int x0 = bg.position_x, y0 = bg.position_y;
        if (repeatX) while (x0 > clip.x) x0 -= w;
        if (repeatY) while (y0 > clip.y) y0 -= h;
        int tiles = 0;
        for (int y = y0; y < clip.y + clip.height && tiles < 10000; y += h) {
            for (int x = x0; x < clip.x + clip.width && tiles < 10000; x += w) {
                StretchBlt(dc, x, y, w, h, src, 0, 0, picture->width, picture->height, SRCCOPY);
                ++tiles;
                if (!repeatX) break;
            }
            if (!repeatY) break;
        }
        SelectObject(src, old);
        DeleteDC(src);
    }
    EndClip(dc, saved);
}

void HtmlContainer::draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                                 const litehtml::position& pos, bool) {
    HDC dc = reinterpret_cast<HDC>(hdc);
    int saved = BeginClip(dc);
    auto side = [&](const litehtml::border& b, RECT r) {
        if (b.width <= 0 || b.style == litehtml::border_style_none || b.style == litehtml::border_style_hidden) return;
        HBRUSH brush = CreateSolidBrush(ToColour(b.color));
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    };
    int l = pos.x, t = pos.y, r = pos.x + pos.width, btm = pos.y + pos.height;
    side(borders.top, RECT{l, t, r, t + borders.top.width});
    side(borders.bottom, RECT{l, btm - borders.bottom.width, r, btm});
    side(borders.left, RECT{l, t, l + borders.left.width, btm});
    side(borders.right, RECT{r - borders.right.width, t, r, btm});
    EndClip(dc, saved);
}

void HtmlContainer::set_caption(const litehtml::tchar_t* caption) { m_caption = FromUtf8(caption ? caption : ""); }

void HtmlContainer::set_base_url(const litehtml::tchar_t* base_url) {
    // <base href>: only a local folder can stand as the base.
    std::wstring path = ResolveLocalAddress(base_url ? base_url : "", m_baseFolder);
    if (!path.empty()) m_baseFolder = path.back() == L'\\' ? path.substr(0, path.size() - 1) : path;
}

void HtmlContainer::link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) {}

void HtmlContainer::on_anchor_click(const litehtml::tchar_t* url, const litehtml::element::ptr&) {
    m_clicked = url ? url : "";
    m_hasClick = true;
}

void HtmlContainer::set_cursor(const litehtml::tchar_t*) {}

void HtmlContainer::transform_text(litehtml::tstring& text, litehtml::text_transform tt) {
    std::wstring wide = FromUtf8(text);
    switch (tt) {
    case litehtml::text_transform_uppercase: wide = ToUpper(wide); break;
    case litehtml::text_transform_lowercase: wide = ToLower(wide); break;
    case litehtml::text_transform_capitalize:
        if (!wide.empty()) wide[0] = ToUpperChar(wide[0]);
        break;
    default: return;
    }
    text = ToUtf8(wide);
}

void HtmlContainer::import_css(litehtml::tstring& text, const litehtml::tstring& url, litehtml::tstring&) {
    text.clear();
    std::wstring path = ResolveLocalAddress(url, m_baseFolder);
    if (path.empty()) return;
    std::string css;
    if (ReadLocalText(path, 1u << 20, css)) text = css;
}

void HtmlContainer::set_clip(const litehtml::position& pos, const litehtml::border_radiuses&, bool valid_x,
                             bool valid_y) {
    constexpr int kFar = 1 << 28;
    RECT r{valid_x ? pos.x : -kFar, valid_y ? pos.y : -kFar, valid_x ? pos.x + pos.width : kFar,
           valid_y ? pos.y + pos.height : kFar};
    if (!m_clips.empty()) IntersectRect(&r, &r, &m_clips.back());
    m_clips.push_back(r);
}

void HtmlContainer::del_clip() {
    if (!m_clips.empty()) m_clips.pop_back();
}

void HtmlContainer::get_client_rect(litehtml::position& client) const {
    client.x = 0;
    client.y = 0;
    client.width = m_width;
    client.height = m_height;
}

std::shared_ptr<litehtml::element> HtmlContainer::create_element(const litehtml::tchar_t*, const litehtml::string_map&,
                                                                 const std::shared_ptr<litehtml::document>&) {
    return nullptr;
}

void HtmlContainer::get_media_features(litehtml::media_features& media) const {
    media.type = litehtml::media_type_screen;
    media.width = m_width;
    media.height = m_height;
    media.device_width = GetSystemMetrics(SM_CXSCREEN);
    media.device_height = GetSystemMetrics(SM_CYSCREEN);
    media.color = 8;
    media.monochrome = 0;
    media.color_index = 256;
    media.resolution = 96;
}

void HtmlContainer::get_language(litehtml::tstring& language, litehtml::tstring& culture) const {
    language = "en";
    culture = "";
}

} // namespace device::ui::html

// [SECTION] Nesting limit ----------------------------------------------------------------------

namespace device::ui::html {
namespace {

bool OneOf(const std::string& name, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (name == n) return true;
    return false;
}

// Elements that never hold content.
bool IsVoid(const std::string& name) {
    return OneOf(name, {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "param",
                        "source", "track", "wbr", "basefont", "frame", "isindex", "keygen"});
}

// Elements whose end tag may be left out: a new one closes the open one of its group, unless a
// list, table or block boundary stands between them.
int ImpliedGroup(const std::string& name) {
    if (name == "li") return 1;
    if (name == "p") return 2;
    if (name == "td" || name == "th") return 3;
    if (name == "tr") return 4;
    if (name == "dt" || name == "dd") return 5;
    if (name == "option") return 6;
    return 0;
}

bool IsBoundary(const std::string& name) {
    return OneOf(name, {"ul", "ol", "dl", "table", "select", "div", "blockquote", "body", "html", "td", "th"});
}

} // namespace

std::string LimitNesting(const std::string& html, size_t maxDepth) {
    std::string out;
    out.reserve(html.size());
    std::vector<std::string> open;
    std::map<std::string, size_t> dropped; // start tags left out, by name, whose end tags go too
    size_t i = 0;
    const size_t n = html.size();
    auto lowerName = [&](size_t from, size_t& end) {
        std::string name;
        end = from;
        while (end < n && (std::isalnum(static_cast<unsigned char>(html[end])) || html[end] == '-' || html[end] == ':')) {
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(html[end])));
            ++end;
        }
        return name;
    };
    while (i < n) {
        size_t lt = html.find('<', i);
        if (lt == std::string::npos) {
            out.append(html, i, std::string::npos);
            break;
        }
        out.append(html, i, lt - i);
        i = lt;
        if (html.compare(i, 4, "<!--") == 0) {
            size_t close = html.find("-->", i + 4);
            size_t stop = close == std::string::npos ? n : close + 3;
            out.append(html, i, stop - i);
            i = stop;
            continue;
        }
        bool closing = i + 1 < n && html[i + 1] == '/';
        size_t nameEnd;
        std::string name = lowerName(i + (closing ? 2 : 1), nameEnd);
        // The end of the tag, skipping quoted attribute values.
        size_t j = nameEnd;
        char quote = 0;
        while (j < n && (quote || html[j] != '>')) {
            if (quote) {
                if (html[j] == quote) quote = 0;
            } else if (html[j] == '"' || html[j] == '\'') {
                quote = html[j];
            }
            ++j;
        }
        size_t tagEnd = j < n ? j + 1 : n;
        if (name.empty()) { // "<" that starts no tag, "<!DOCTYPE", "<?"
            out.append(html, i, tagEnd - i);
            i = tagEnd;
            continue;
        }
        bool selfClosing = tagEnd >= 2 && html[tagEnd - 2] == '/' && !closing;
        if (closing) {
            auto d = dropped.find(name);
            if (d != dropped.end() && d->second > 0) {
                --d->second;
            } else {
                auto it = std::find(open.rbegin(), open.rend(), name);
                if (it != open.rend()) open.erase(std::prev(it.base()), open.end());
                out.append(html, i, tagEnd - i);
            }
            i = tagEnd;
            continue;
        }
        if (int group = ImpliedGroup(name)) {
            for (size_t k = open.size(); k-- > 0;) {
                if (ImpliedGroup(open[k]) == group) {
                    open.erase(open.begin() + static_cast<long>(k), open.end());
                    break;
                }
                if (IsBoundary(open[k])) break;
            }
        }
        bool rawText = OneOf(name, {"script", "style", "textarea", "title", "xmp"});
        if (IsVoid(name) || selfClosing) {
            out.append(html, i, tagEnd - i);
        } else if (open.size() >= maxDepth) {
            ++dropped[name];
        } else {
            open.push_back(name);
            out.append(html, i, tagEnd - i);
        }
        i = tagEnd;
        if (rawText) { // copied as it stands up to its end tag
            std::string endTag = "</" + name;
            size_t stop = i;
            while (stop < n) {
                stop = html.find("</", stop);
                if (stop == std::string::npos) {
                    stop = n;
                    break;
                }
                size_t e;
                if (lowerName(stop + 2, e) == name) break;
                stop += 2;
            }
            out.append(html, i, stop - i);
            i = stop;
        }
    }
    return out;
}

} // namespace device::ui::html

// Words and spaces become the page's text elements. A single space between two words of one text
// goes with the word before it ("trip " + "news"): a news page then has half as many elements to
// style, lay out, paint and free, which is most of the cost of showing it. Runs of spaces, line
// breaks and a space at either end of the text stay elements of their own, so that spaces still
// collapse across tags, lines still break at them and pre-formatted text keeps its layout. Each
// CJK ideograph is a word by itself, as lines may break between any two of them.
void device::ui::html::HtmlContainer::split_text(const char* text,
                                                 const std::function<void(const litehtml::tchar_t*)>& on_word,
                                                 const std::function<void(const litehtml::tchar_t*)>& on_space) {
    auto isSpace = [](unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
    // Length of the CJK ideograph (U+4E00 to U+9FCC, three bytes in UTF-8) at p, or 0.
    auto ideograph = [](const unsigned char* p) -> size_t {
        if (p[0] < 0xE4 || p[0] > 0xE9 || (p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80) return 0;
        unsigned code = ((p[0] & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
        return code >= 0x4E00 && code <= 0x9FCC ? 3 : 0;
    };
    std::string piece;
    const auto* p = reinterpret_cast<const unsigned char*>(text ? text : "");
    while (*p) {
        if (isSpace(*p)) {
            piece.assign(1, static_cast<char>(*p++));
            on_space(piece.c_str());
            continue;
        }
        const unsigned char* start = p;
        if (size_t n = ideograph(p)) {
            p += n;
        } else {
            while (*p && !isSpace(*p) && !ideograph(p)) ++p;
        }
        piece.assign(reinterpret_cast<const char*>(start), static_cast<size_t>(p - start));
        if (p[0] == ' ' && p[1] && !isSpace(p[1])) piece += static_cast<char>(*p++);
        on_word(piece.c_str());
    }
}
