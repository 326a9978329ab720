// The HTML viewer: local pages with their pictures, zoom, the navigation notifications, refused
// addresses, scrolling, and pages that are broken, huge or miss their files.

#include "platform/gdi/Recorder.h"
#include "platform/ui/HtmlContainer.h"
#include "platform/ui/HtmlView.h"

#include "MenuTestSupport.h"

#include <fstream>
#include <map>

using namespace menutest;

namespace {

struct Notice {
    UINT code;
    std::wstring target;
};

class HtmlViewerTest : public uitest::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(InitHTMLControl(nullptr));
        m_parent = Top(0, 26, 240, 268);
        m_viewer = CreateWindowExW(0, DISPLAYCLASS, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 240, 216,
                                   m_parent, reinterpret_cast<HMENU>(static_cast<uintptr_t>(10)), nullptr, nullptr);
        ASSERT_NE(m_viewer, nullptr);
        uitest::CurrentHandler() = [this](HWND hwnd, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
            if (hwnd != m_parent || msg != WM_NOTIFY) return false;
            const auto* nm = reinterpret_cast<const NM_HTMLVIEWW*>(lParam);
            m_notices.push_back(Notice{nm->hdr.code, nm->szTarget ? nm->szTarget : L""});
            result = nm->hdr.code == NM_BEFORENAVIGATE ? m_refuse : 0;
            return true;
        };
        m_recorder = std::make_shared<device::gdi::CallRecorder>();
        device::gdi::SetDefaultRecorder(m_recorder);
    }
    void TearDown() override {
        device::gdi::SetDefaultRecorder(nullptr);
        UiTest::TearDown();
    }

    // Writes a device file (folders made as needed).
    static void WriteDeviceFile(const std::string& relative, const std::string& bytes) {
        std::filesystem::path host = device::FileSystemFolder() / relative;
        std::filesystem::create_directories(host.parent_path());
        std::ofstream(host, std::ios::binary) << bytes;
    }
    // A solid picture saved as PNG on the device.
    static void WritePicture(const std::string& relative, int w, int h, uint32_t rgb) {
        auto bitmap = device::gdi::Bitmap::Create(w, h, device::gdi::PixelFormat::Xrgb32);
        bitmap->Fill(rgb);
        std::filesystem::path host = device::FileSystemFolder() / relative;
        std::filesystem::create_directories(host.parent_path());
        ASSERT_TRUE(device::gdi::WritePng(*bitmap, host));
    }
    void Html(const std::wstring& text) {
        SendMessageW(m_viewer, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        SendMessageW(m_viewer, DTM_ADDTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(m_viewer, DTM_ENDOFSOURCE, 0, 0);
    }
    // Paints the viewer afresh with the recorder cleared.
    void Repaint() {
        device::ui::PumpUntilIdle();
        m_recorder->Clear();
        InvalidateRect(m_viewer, nullptr, TRUE);
        device::ui::PumpUntilIdle();
    }
    device::ui::HtmlViewState State() {
        device::ui::HtmlViewState s;
        EXPECT_TRUE(device::ui::GetHtmlViewState(m_viewer, s));
        return s;
    }
    // A word is drawn alone, or with the single space that follows it inside its text.
    bool Drawn(const std::wstring& word, device::gdi::RecordedCall& call) {
        return m_recorder->FindText(word, call) || m_recorder->FindText(word + L" ", call);
    }
    // Shows `page` and gives the left edge of `word` as drawn there, or -1 when it is not drawn.
    int LeftOfWordOn(const std::wstring& page, const std::wstring& word) {
        Html(page);
        Repaint();
        device::gdi::RecordedCall call;
        return Drawn(word, call) ? call.pos.x : -1;
    }
    POINT ScreenOf(const device::gdi::RecordedCall& call) {
        POINT p{call.pos.x + 3, call.pos.y + 4};
        ClientToScreen(m_viewer, &p);
        return p;
    }

    HWND m_parent = nullptr;
    HWND m_viewer = nullptr;
    LRESULT m_refuse = 0;
    std::vector<Notice> m_notices;
    std::shared_ptr<device::gdi::CallRecorder> m_recorder;
};

const char kNewsPage[] =
    "<html><head><title>Trip news</title></head><body>"
    "<h1>Headline</h1>"
    "<p>Paragraph with <b>Bold</b> words.</p>"
    "<ul><li>Bullet</li></ul>"
    "<ol><li>First</li><li>Second</li></ol>"
    "<table border=1><tr><td>Left</td><td>Right</td></tr></table>"
    "<p><img src=\"pics/red.png\"></p>"
    "<p>End</p>"
    "</body></html>";

} // namespace

TEST_F(HtmlViewerTest, ALocalFileShowsHeadingsParagraphsListsBoldATableAndItsPicture) {
    WriteDeviceFile("News/news.htm", kNewsPage);
    WritePicture("News/pics/red.png", 40, 20, 0xFF0000);
    SendMessageW(m_viewer, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    SendMessageW(m_viewer, DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(L"file://\\News\\news.htm"));
    Repaint();

    device::gdi::RecordedCall head, para, bold, left, right, first, second, end;
    ASSERT_TRUE(Drawn(L"Headline", head));
    ASSERT_TRUE(Drawn(L"Paragraph", para));
    ASSERT_TRUE(Drawn(L"Bold", bold));
    ASSERT_TRUE(Drawn(L"Left", left));
    ASSERT_TRUE(Drawn(L"Right", right));
    ASSERT_TRUE(Drawn(L"First", first));
    ASSERT_TRUE(Drawn(L"Second", second));
    ASSERT_TRUE(Drawn(L"End", end));
    EXPECT_GT(std::abs(head.fontHeight), std::abs(para.fontHeight));
    EXPECT_GE(head.fontWeight, 700);
    EXPECT_GE(bold.fontWeight, 700);
    EXPECT_LT(para.fontWeight, 700);
    // Table cells side by side; list items one under the other with their numbers.
    EXPECT_EQ(left.pos.y, right.pos.y);
    EXPECT_GT(right.pos.x, left.pos.x);
    EXPECT_GT(second.pos.y, first.pos.y);
    device::gdi::RecordedCall marker;
    EXPECT_TRUE(Drawn(L"1.", marker));
    EXPECT_TRUE(Drawn(L"2.", marker));
    EXPECT_FALSE(m_recorder->Calls("Ellipse").empty()); // the bullet
    // The picture sits between the table and the last paragraph, in its own colours.
    RECT client;
    GetClientRect(m_viewer, &client);
    ASSERT_LT(end.pos.y, client.bottom);
    bool red = false;
    for (int y = right.pos.y + 10; y < end.pos.y && !red; ++y) {
        POINT p{20, y};
        ClientToScreen(m_viewer, &p);
        red = Pixel(p.x, p.y) == RGB(255, 0, 0);
    }
    EXPECT_TRUE(red);
    EXPECT_EQ(State().caption, L"Trip news");
    EXPECT_EQ(State().address, L"file://\\News\\news.htm");
    Screenshot("html-news-page");
}

TEST_F(HtmlViewerTest, ZoomLevelsChangeTheTextSizeAndStayWithinZeroToFour) {
    Html(L"<p>Word</p>");
    auto heightAt = [&](int zoom) {
        SendMessageW(m_viewer, DTM_ZOOMLEVEL, 0, zoom);
        Repaint();
        device::gdi::RecordedCall call;
        EXPECT_TRUE(Drawn(L"Word", call));
        return std::abs(call.fontHeight);
    };
    LONG normal = heightAt(2);
    LONG smallest = heightAt(0);
    LONG largest = heightAt(4);
    EXPECT_LT(smallest, normal);
    EXPECT_GT(largest, normal);
    EXPECT_EQ(heightAt(9), largest); // out of range: the nearest level
    EXPECT_EQ(State().zoom, 4);
    EXPECT_EQ(heightAt(-3), smallest);
}

TEST_F(HtmlViewerTest, ShrinkFitsAWidePictureToTheView) {
    WritePicture("Wide/wide.png", 600, 150, 0x00C000);
    WriteDeviceFile("Wide/page.htm", "<img src=\"wide.png\">");
    SendMessageW(m_viewer, DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(L"file://\\Wide\\page.htm"));
    int full = State().documentHeight;
    EXPECT_GE(full, 150);
    SendMessageW(m_viewer, DTM_ENABLESHRINK, 0, 1);
    int shrunk = State().documentHeight;
    EXPECT_LT(shrunk, full - 60); // 600 wide into a view of 240: about 2.5 times lower
    EXPECT_TRUE(State().shrink);
}

// A new width lays the page out again; the same size, sent again, keeps the layout as it is.
TEST_F(HtmlViewerTest, ResizingToAnotherWidthLaysThePageOutAgain) {
    std::wstring text = L"<p>";
    for (int i = 0; i < 60; ++i) text += L"word ";
    SendMessageW(m_viewer, WM_SETTEXT, 0, reinterpret_cast<LPARAM>((text + L"</p>").c_str()));
    RECT r;
    GetClientRect(m_viewer, &r);
    int wide = State().documentHeight;
    SetWindowPos(m_viewer, nullptr, 0, 0, r.right, r.bottom, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(m_viewer, WM_SIZE, 0, MAKELPARAM(r.right, r.bottom));
    EXPECT_EQ(State().documentHeight, wide);
    SetWindowPos(m_viewer, nullptr, 0, 0, r.right / 2, r.bottom, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_GT(State().documentHeight, wide + 20);
}

TEST_F(HtmlViewerTest, NavigationTellsTheParentBeforeAndAfterInThatOrder) {
    WriteDeviceFile("News/news.htm", kNewsPage);
    SendMessageW(m_viewer, DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(L"file://\\News\\news.htm"));
    ASSERT_EQ(m_notices.size(), 2u);
    EXPECT_EQ(m_notices[0].code, static_cast<UINT>(NM_BEFORENAVIGATE));
    EXPECT_EQ(m_notices[1].code, static_cast<UINT>(NM_DOCUMENTCOMPLETE));
    EXPECT_EQ(m_notices[0].target, L"file://\\News\\news.htm");

    // Text added piece by piece completes with DTM_ENDOFSOURCE.
    m_notices.clear();
    SendMessageW(m_viewer, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    for (const wchar_t* piece : {L"<HTML><TITLE></TITLE>", L"<BODY><P>", L"No news...<BR>", L"</BODY></HTML>"})
        SendMessageW(m_viewer, DTM_ADDTEXTW, 0, reinterpret_cast<LPARAM>(piece));
    EXPECT_TRUE(m_notices.empty());
    SendMessageW(m_viewer, DTM_ENDOFSOURCE, 0, 0);
    ASSERT_EQ(m_notices.size(), 1u);
    EXPECT_EQ(m_notices[0].code, static_cast<UINT>(NM_DOCUMENTCOMPLETE));
    Repaint();
    device::gdi::RecordedCall call;
    EXPECT_TRUE(Drawn(L"news...", call));

    // A parent that answers NM_BEFORENAVIGATE with nonzero keeps the page as it is.
    m_notices.clear();
    m_refuse = 1;
    SendMessageW(m_viewer, DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(L"file://\\News\\news.htm"));
    ASSERT_EQ(m_notices.size(), 1u);
    Repaint();
    EXPECT_TRUE(Drawn(L"news...", call));
}

TEST_F(HtmlViewerTest, LocalLinksNavigateAndEveryOtherAddressIsRefused) {
    WriteDeviceFile("News/news.htm", "<p><a href=\"http://example.com/a.htm\">Web</a></p>"
                                     "<p><a href=\"mailto:x@example.com\">Mail</a></p>"
                                     "<p><a href=\"more.htm\">More</a></p>");
    WriteDeviceFile("News/more.htm", "<p>Second page</p>");
    SendMessageW(m_viewer, DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(L"file://\\News\\news.htm"));
    Repaint();
    device::gdi::RecordedCall web, mail, more;
    ASSERT_TRUE(Drawn(L"Web", web));
    ASSERT_TRUE(Drawn(L"Mail", mail));
    ASSERT_TRUE(Drawn(L"More", more));

    m_notices.clear();
    int beeps = device::ui::BeepCount();
    Tap(ScreenOf(web));
    Tap(ScreenOf(mail));
    EXPECT_TRUE(m_notices.empty());
    EXPECT_EQ(device::ui::BeepCount(), beeps + 2);
    EXPECT_EQ(State().address, L"file://\\News\\news.htm");

    Tap(ScreenOf(more));
    ASSERT_EQ(m_notices.size(), 2u);
    EXPECT_EQ(m_notices[1].code, static_cast<UINT>(NM_DOCUMENTCOMPLETE));
    EXPECT_EQ(State().address, L"file://\\News\\more.htm");
    Repaint();
    device::gdi::RecordedCall second;
    EXPECT_TRUE(Drawn(L"Second", second));

    // DTM_NAVIGATE to a web address shows a notice and fetches nothing.
    SendMessageW(m_viewer, DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(L"http://example.com/news.htm"));
    Repaint();
    EXPECT_FALSE(Drawn(L"Second", second));
    EXPECT_TRUE(Drawn(L"cannot", second));
}

TEST_F(HtmlViewerTest, ALongPageScrollsByDragAndByTheScrollBar) {
    std::wstring page;
    for (int i = 0; i < 80; ++i) page += L"<p>Line " + std::to_wstring(i) + L"</p>";
    Html(page);
    device::ui::PumpUntilIdle();
    ASSERT_GT(State().documentHeight, 216);
    EXPECT_EQ(State().scroll, 0);

    POINT from{120, 26 + 150}, to{120, 26 + 50};
    device::ui::InjectStylus(device::ui::StylusAction::Down, from);
    device::ui::InjectStylus(device::ui::StylusAction::Move, to);
    device::ui::InjectStylus(device::ui::StylusAction::Up, to);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(State().scroll, 100);

    int before = State().scroll;
    Tap(POINT{236, 26 + 210}); // the scroll bar's track below the thumb: a page down
    EXPECT_GT(State().scroll, before + 150);
    Tap(POINT{236, 26 + 1}); // above the thumb: a page up
    EXPECT_LT(State().scroll, before + 150);
}

TEST_F(HtmlViewerTest, BrokenHugeAndIncompletePagesShowWhatTheyCan) {
    // Unclosed and stray tags, bad entities, a cut-off tag.
    Html(L"<table><tr><td>Cell<td><b>unclosed <ul><li>Item</p></div></span>&bogus; &#99999999; <a href=");
    Repaint();
    device::gdi::RecordedCall call;
    EXPECT_TRUE(Drawn(L"Cell", call));
    EXPECT_TRUE(Drawn(L"Item", call));

    // Pictures that are missing, not pictures, or on the web take no room and stop nothing.
    WriteDeviceFile("Bad/notapicture.png", "this is not a PNG");
    WriteDeviceFile("Bad/page.htm", "<img src=\"missing.png\"><img src=\"notapicture.png\">"
                                    "<img src=\"http://example.com/x.png\"><p>After</p>");
    SendMessageW(m_viewer, DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(L"file://\\Bad\\page.htm"));
    Repaint();
    EXPECT_TRUE(Drawn(L"After", call));

    // A missing page says so.
    SendMessageW(m_viewer, DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(L"file://\\Bad\\nothere.htm"));
    Repaint();
    EXPECT_TRUE(Drawn(L"found:", call));

    // Deep nesting and a huge page: laid out without running out of stack or time.
    std::wstring deep;
    for (int i = 0; i < 20000; ++i) deep += L"<div>";
    deep += L"Deep";
    Html(deep);
    Repaint();
    EXPECT_GT(State().documentHeight, 0);

    std::wstring chunk;
    for (int i = 0; i < 1000; ++i) chunk += L"<p>Bulk text of a huge page</p>";
    SendMessageW(m_viewer, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    for (int i = 0; i < 40; ++i) SendMessageW(m_viewer, DTM_ADDTEXTW, 0, reinterpret_cast<LPARAM>(chunk.c_str()));
    SendMessageW(m_viewer, DTM_ENDOFSOURCE, 0, 0);
    Repaint();
    EXPECT_TRUE(Drawn(L"Bulk", call));

    // An empty WM_SETTEXT clears the view.
    SendMessageW(m_viewer, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    Repaint();
    EXPECT_EQ(State().documentHeight, 0);
    EXPECT_TRUE(m_recorder->Calls("TextOut").empty());
}

namespace {

// The text elements a text turns into: "w:" words, "s:" spaces.
std::vector<std::string> Split(const char* text) {
    device::ui::html::HtmlContainer container;
    std::vector<std::string> out;
    container.split_text(
        text, [&](const char* word) { out.push_back("w:" + std::string(word)); },
        [&](const char* space) { out.push_back("s:" + std::string(space)); });
    return out;
}

using Pieces = std::vector<std::string>;

} // namespace

TEST_F(HtmlViewerTest, TextSplitsIntoWordsEachWithTheSingleSpaceBetweenItAndTheNext) {
    EXPECT_EQ(Split("trip news today"), (Pieces{"w:trip ", "w:news ", "w:today"}));
    // Spaces at either end of the text stay spaces of their own, to collapse with their neighbours.
    EXPECT_EQ(Split(" lead and trail "), (Pieces{"s: ", "w:lead ", "w:and ", "w:trail", "s: "}));
    // Runs of spaces, tabs and line breaks are never taken into a word.
    EXPECT_EQ(Split("a  b\nc \td"), (Pieces{"w:a", "s: ", "s: ", "w:b", "s:\n", "w:c", "s: ", "s:\t", "w:d"}));
    // Each ideograph is a word; other letters, accented ones too, run on.
    EXPECT_EQ(Split("caf\xC3\xA9\xE6\x97\xA5\xE6\x9C\xAC x"),
              (Pieces{"w:caf\xC3\xA9", "w:\xE6\x97\xA5", "w:\xE6\x9C\xAC ", "w:x"}));
    EXPECT_TRUE(Split("").empty());
    // A lead byte cut off at the end of the text is kept as it is, not read past.
    EXPECT_EQ(Split("ab\xE6"), (Pieces{"w:ab\xE6"}));
}

TEST_F(HtmlViewerTest, SpacesStillCollapseAcrossTagsAndLongTextWrapsBetweenWords) {
    int single = LeftOfWordOn(L"<p><b>aa</b> bb</p>", L"bb");
    ASSERT_GE(single, 0);
    // The space inside the bold and the one after it make one gap, as before.
    EXPECT_EQ(LeftOfWordOn(L"<p><b>aa </b> bb</p>", L"bb"), single);

    // A long paragraph wraps onto several lines; each line starts at the margin with a word.
    std::wstring text;
    for (int i = 0; i < 60; ++i) text += L"word" + std::to_wstring(i) + L" ";
    Html(L"<p>" + text + L"</p>");
    Repaint();
    std::map<int, int> lineStarts; // y -> leftmost x
    int words = 0;
    for (const auto& c : m_recorder->Calls()) {
        if (c.text.empty() || c.text.rfind(L"word", 0) != 0) continue;
        ++words;
        auto [it, fresh] = lineStarts.emplace(c.pos.y, c.pos.x);
        if (!fresh) it->second = std::min(it->second, c.pos.x);
    }
    EXPECT_GT(lineStarts.size(), 3u);
    EXPECT_GT(words, 20);
    for (const auto& [y, x] : lineStarts) EXPECT_EQ(x, lineStarts.begin()->second) << "line at y " << y;

    // Pre-formatted text keeps its run of spaces: the second word sits further right.
    int oneSpace = LeftOfWordOn(L"<pre>x y</pre>", L"y");
    ASSERT_GE(oneSpace, 0);
    EXPECT_GT(LeftOfWordOn(L"<pre>x    y</pre>", L"y"), oneSpace);
}
