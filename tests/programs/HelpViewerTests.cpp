// The device's help viewer: what its command line opens, the shipped help page filling the work
// area above the "ok" bar, links inside the help, a missing file, and "ok" ending it.

#include "platform/display/HeadlessTest.h"
#include "platform/gdi/Recorder.h"
#include "platform/programs/peghelp/HelpViewer.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/HtmlView.h"
#include "platform/ui/Menus.h"
#include "support/DeviceFileAccess.h"
#include "support/Screenshots.h"
#include "support/WindowedDevice.h"

#include <fstream>
#include <sstream>

namespace {

using helpviewer::CHelpWindow;
using helpviewer::HelpAddressOf;
using testsupport::WriteDeviceFile;

std::string ShippedHelp() {
    std::ifstream in(std::filesystem::path(JORVANA_DATA_DIR) / "jrvhelp.htm", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class HelpViewerTest : public testsupport::WindowedDevice {
protected:
    void SetUp() override {
        WindowedDevice::SetUp();
        device::ui::SetScreenShape(240, 320);
        m_recorder = std::make_shared<device::gdi::CallRecorder>();
        device::gdi::SetDefaultRecorder(m_recorder);
    }
    void TearDown() override {
        device::gdi::SetDefaultRecorder(nullptr);
        m_help.reset();
        device::ui::PumpUntilIdle();
        WindowedDevice::TearDown();
    }
    CHelpWindow& Open(const std::wstring& commandLine) {
        m_help = std::make_unique<CHelpWindow>();
        EXPECT_TRUE(m_help->Create(commandLine));
        device::ui::PumpUntilIdle();
        return *m_help;
    }
    device::ui::HtmlViewState State() {
        device::ui::HtmlViewState s;
        EXPECT_TRUE(device::ui::GetHtmlViewState(m_help->Viewer(), s));
        return s;
    }
    // Where the viewer drew a word (alone or with its following space), in screen coordinates.
    bool DrawnAt(const std::wstring& word, POINT& screen) {
        device::gdi::RecordedCall call;
        if (!m_recorder->FindText(word, call) && !m_recorder->FindText(word + L" ", call)) return false;
        screen = POINT{call.pos.x + 3, call.pos.y + 4};
        ClientToScreen(m_help->Viewer(), &screen);
        return true;
    }
    void Repaint() {
        device::ui::PumpUntilIdle();
        m_recorder->Clear();
        InvalidateRect(m_help->Viewer(), nullptr, TRUE);
        device::ui::PumpUntilIdle();
    }

    std::unique_ptr<CHelpWindow> m_help;
    std::shared_ptr<device::gdi::CallRecorder> m_recorder;
};

TEST(HelpAddress, CommandLineNamesAFileInTheWindowsFolderOrAFullPath) {
    EXPECT_EQ(HelpAddressOf(L"file:jrvhelp.htm"), L"file://\\Windows\\jrvhelp.htm");
    EXPECT_EQ(HelpAddressOf(L"  FILE:Other.htm#Weather "), L"file://\\Windows\\Other.htm#Weather");
    EXPECT_EQ(HelpAddressOf(L"file:\\My Documents\\trip.htm"), L"file://\\My Documents\\trip.htm");
    for (const wchar_t* none : {L"", L"jrvhelp.htm", L"file:", L"file:#top", L"http:x.htm"})
        EXPECT_EQ(HelpAddressOf(none), L"") << none;
}

TEST(HelpFile, ShippedPageIsSmallTitledAndHasASectionPerTabAndTheMenu) {
    const std::string page = ShippedHelp();
    ASSERT_FALSE(page.empty());
    EXPECT_LE(page.size(), 8192u);
    EXPECT_NE(page.find("<title>Jorvana Help</title>"), std::string::npos);
    std::vector<std::string> headings;
    for (size_t at = page.find("<h3>"); at != std::string::npos; at = page.find("<h3>", at)) {
        at += 4;
        const size_t end = page.find("</h3>", at);
        if (end == std::string::npos) break;
        headings.push_back(page.substr(at, end - at));
    }
    EXPECT_EQ(headings, (std::vector<std::string>{"World Clocks", "World Map", "Weather", "Currencies", "Tools", "Menu"}));
    // The menu commands under the program's own names.
    for (const char* command : {"Tips", "Look/Feel Skins", "User Interface", "Today Plugin", "Language", "Exit",
                                "12 Hours clocks", "Edit cties", "Set Reminders", "Show/Hide Cities"})
        EXPECT_NE(page.find(std::string("<b>") + command + "</b>"), std::string::npos) << command;
}

TEST_F(HelpViewerTest, ShowsTheHelpPageOverTheWorkAreaAboveItsOkBar) {
    WriteDeviceFile(L"\\Windows\\jrvhelp.htm", ShippedHelp());
    CHelpWindow& help = Open(L"file:jrvhelp.htm");
    WCHAR title[32] = L"";
    GetWindowTextW(help.Window(), title, 32);
    EXPECT_STREQ(title, L"Help");
    EXPECT_EQ(GetActiveWindow(), help.Window());
    RECT work{}, window{}, viewer{}, bar{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(help.Window(), &window);
    GetWindowRect(help.Viewer(), &viewer);
    GetWindowRect(help.Bar(), &bar);
    EXPECT_EQ(window.top, work.top);
    EXPECT_EQ(window.bottom, work.bottom);
    EXPECT_EQ(window.right - window.left, 240);
    EXPECT_EQ(viewer.top, work.top);
    EXPECT_EQ(viewer.bottom, bar.top) << "the page ends where the bar begins";
    EXPECT_EQ(bar.bottom, work.bottom);
    EXPECT_EQ(viewer.right - viewer.left, 240);

    device::ui::HtmlViewState state = State();
    EXPECT_EQ(state.address, L"file://\\Windows\\jrvhelp.htm");
    EXPECT_EQ(state.caption, L"Jorvana Help");
    EXPECT_GT(state.documentHeight, viewer.bottom - viewer.top) << "the page scrolls";
    // One scroll bar, the viewer's own: no window scroll bar takes room beside it.
    RECT client{};
    GetClientRect(help.Viewer(), &client);
    EXPECT_EQ(client.right, viewer.right - viewer.left);
    EXPECT_EQ(GetWindowLongW(help.Viewer(), GWL_STYLE) & WS_VSCROLL, 0);
    Repaint();
    POINT at{};
    EXPECT_TRUE(DrawnAt(L"Clocks", at));
    EXPECT_FALSE(testsupport::SaveScreenshot("help-viewer").empty());

    // Turning the screen lays the window out again over the new work area.
    device::display::test::Rotate();
    GetWindowRect(help.Window(), &window);
    GetWindowRect(help.Viewer(), &viewer);
    GetWindowRect(help.Bar(), &bar);
    EXPECT_EQ(window.right - window.left, 320);
    EXPECT_EQ(viewer.bottom, bar.top);
    EXPECT_EQ(bar.bottom, 240);
}

TEST_F(HelpViewerTest, LinksOpenInTheViewerAndAMissingFileShowsTheNotFoundPage) {
    WriteDeviceFile(L"\\Windows\\first.htm", "<html><body><p><a href=\"second.htm\">Onward</a></p></body></html>");
    WriteDeviceFile(L"\\Windows\\second.htm", "<html><head><title>Second</title></head><body>Arrived</body></html>");
    CHelpWindow& help = Open(L"file:first.htm");
    Repaint();
    POINT link{};
    ASSERT_TRUE(DrawnAt(L"Onward", link));
    device::display::test::Tap(link);
    EXPECT_EQ(State().address, L"file://\\Windows\\second.htm");
    EXPECT_EQ(State().caption, L"Second");
    EXPECT_TRUE(IsWindow(help.Window()));

    m_help.reset();
    Open(L"file:nohelp.htm");
    EXPECT_EQ(State().address, L"file://\\Windows\\nohelp.htm");
    Repaint();
    POINT word{};
    EXPECT_TRUE(DrawnAt(L"found:", word));

    m_help.reset();
    Open(L"");
    Repaint();
    EXPECT_TRUE(DrawnAt(L"named.", word));
}

TEST_F(HelpViewerTest, OkEndsTheViewer) {
    WriteDeviceFile(L"\\Windows\\jrvhelp.htm", ShippedHelp());
    CHelpWindow& help = Open(L"file:jrvhelp.htm");
    HWND window = help.Window();
    RECT bar{};
    GetWindowRect(help.Bar(), &bar);
    // The "ok" adornment sits at the right end of the bar.
    device::display::test::Tap(POINT{bar.right - 8, (bar.top + bar.bottom) / 2});
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(help.Window(), nullptr);
    // The program's message loop ends (the quit is taken here, so later tests pump normally).
    MSG quit{};
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

} // namespace

namespace {

TEST_F(HelpViewerTest, PageKeysScrollByAScreenArrowsByALineAndEscapeEndsTheViewer) {
    WriteDeviceFile(L"\\Windows\\jrvhelp.htm", ShippedHelp());
    CHelpWindow& help = Open(L"file:jrvhelp.htm");
    RECT viewer{};
    GetClientRect(help.Viewer(), &viewer);
    ASSERT_GT(State().documentHeight, 2 * viewer.bottom) << "a page long enough to scroll twice";
    EXPECT_EQ(State().scroll, 0);
    device::display::test::PressKey(VK_NEXT);
    const int page = State().scroll;
    EXPECT_GT(page, viewer.bottom / 2) << "most of a screen";
    EXPECT_LE(page, viewer.bottom);
    device::display::test::PressKey(VK_DOWN);
    const int line = State().scroll - page;
    EXPECT_GT(line, 0);
    EXPECT_LT(line, page / 4);
    device::display::test::PressKey(VK_PRIOR);
    EXPECT_EQ(State().scroll, line);

    // Escape, taken by the viewer's own loop, ends it as "ok" does.
    HWND window = help.Window();
    device::ui::InjectKey(VK_ESCAPE, true);
    device::ui::InjectKey(VK_ESCAPE, false);
    PostQuitMessage(0); // the loop ends once the keys are taken, whatever they did
    help.RunMessageLoop();
    EXPECT_FALSE(IsWindow(window));
    MSG quit{};
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

} // namespace
