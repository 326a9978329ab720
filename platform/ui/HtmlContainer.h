#pragma once
// The HTML viewer's host for litehtml: fonts, text, pictures, backgrounds and borders drawn
// with the layer's GDI; pictures and style sheets read from local files only.

#include "platform/ui/WinUser.h"

#include <litehtml/litehtml.h>

#include <functional>
#include <map>
#include <unordered_map>
#include <string>
#include <vector>

namespace device::ui::html {

// Default text size (pixels) of each zoom level 0..4.
constexpr int kZoomFontSizes[5] = {9, 11, 13, 16, 19};

// The device path an address names, or empty for an address that is not local (http:, mailto:,
// ...). Relative addresses are taken from `baseFolder` (a device folder, "\" separated).
std::wstring ResolveLocalAddress(const std::string& address, const std::wstring& baseFolder);
// The folder part of a device path ("\a\b.htm" -> "\a").
std::wstring FolderOf(const std::wstring& devicePath);
// Reads a local file as text (UTF-8 when it is valid UTF-8, Windows-1252 otherwise); false when
// missing, unreadable or larger than `limit`.
bool ReadLocalText(const std::wstring& devicePath, size_t limit, std::string& utf8);

class HtmlContainer : public litehtml::document_container {
public:
    HtmlContainer();
    ~HtmlContainer();
    HtmlContainer(const HtmlContainer&) = delete;
    HtmlContainer& operator=(const HtmlContainer&) = delete;

    // Settings the viewer gives before laying out a page.
    void SetView(int width, int height) { m_width = width; m_height = height; }
    void SetFontSize(int px) { m_fontSize = px; }
    void SetShrink(bool shrink) { m_shrink = shrink; }
    void SetBaseFolder(const std::wstring& folder) { m_baseFolder = folder; }
    const std::wstring& BaseFolder() const { return m_baseFolder; }
    const std::wstring& Caption() const { return m_caption; }
    void ClearCaption() { m_caption.clear(); }
    // The link tapped last (taken once).
    bool TakeClickedLink(std::string& url);
    // Drops every cached picture (a new page).
    void ClearImages();
    // Whether shrinking pictures to the view's width would change the size of one of them.
    bool ShrinkChangesAPicture() const;

    // document_container
    litehtml::uint_ptr create_font(const litehtml::tchar_t* faceName, int size, int weight,
                                   litehtml::font_style italic, unsigned int decoration,
                                   litehtml::font_metrics* fm) override;
    void delete_font(litehtml::uint_ptr font) override;
    int text_width(const litehtml::tchar_t* text, litehtml::uint_ptr font) override;
    void draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text, litehtml::uint_ptr font,
                   litehtml::web_color color, const litehtml::position& pos) override;
    int pt_to_px(int pt) const override;
    int get_default_font_size() const override { return m_fontSize; }
    const litehtml::tchar_t* get_default_font_name() const override { return "Tahoma"; }
    void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override;
    void load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, bool redraw_on_ready) override;
    void get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, litehtml::size& sz) override;
    void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override;
    void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders, const litehtml::position& draw_pos,
                      bool root) override;
    void set_caption(const litehtml::tchar_t* caption) override;
    void set_base_url(const litehtml::tchar_t* base_url) override;
    void link(const std::shared_ptr<litehtml::document>& doc, const litehtml::element::ptr& el) override;
    void on_anchor_click(const litehtml::tchar_t* url, const litehtml::element::ptr& el) override;
    void set_cursor(const litehtml::tchar_t* cursor) override;
    void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override;
    void import_css(litehtml::tstring& text, const litehtml::tstring& url, litehtml::tstring& baseurl) override;
    void set_clip(const litehtml::position& pos, const litehtml::border_radiuses& radius, bool valid_x,
                  bool valid_y) override;
    void del_clip() override;
    void get_client_rect(litehtml::position& client) const override;
    std::shared_ptr<litehtml::element> create_element(const litehtml::tchar_t* tag_name,
                                                      const litehtml::string_map& attributes,
                                                      const std::shared_ptr<litehtml::document>& doc) override;
    void get_media_features(litehtml::media_features& media) const override;
    void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override;
    void split_text(const char* text, const std::function<void(const litehtml::tchar_t*)>& on_word,
                    const std::function<void(const litehtml::tchar_t*)>& on_space) override;

private:
    struct Picture {
        HBITMAP bitmap = nullptr; // null: missing or not a picture
        int width = 0;
        int height = 0;
    };
    const Picture* FindPicture(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl);
    // Applies the current clip to a context around one drawing call.
    int BeginClip(HDC dc);
    void EndClip(HDC dc, int saved);

    HDC m_measure = nullptr; // memory context for text measuring
    int m_width = 240;
    int m_height = 320;
    int m_fontSize = kZoomFontSizes[2];
    bool m_shrink = false;
    std::wstring m_baseFolder;
    std::wstring m_caption;
    std::string m_clicked;
    bool m_hasClick = false;
    std::map<std::wstring, Picture> m_pictures; // by device path
    // Widths of the words measured so far, by font (a page measures the same words over and over).
    std::unordered_map<litehtml::uint_ptr, std::unordered_map<std::string, int>> m_widths;
    std::vector<RECT> m_clips;
};

// The page with its elements nested at most `maxDepth` deep: start tags beyond that depth (and
// their end tags) are left out, their text kept. Layout recurses once per level, so a page of
// thousands of unclosed tags would otherwise run out of stack.
std::string LimitNesting(const std::string& html, size_t maxDepth);

// The user-agent style sheet: how elements look before the page's own styles.
const char* MasterStyleSheet();

} // namespace device::ui::html
