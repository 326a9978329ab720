// The headless back end and its test API: choosing the back end, taps, drags, keys, rotation, the
// input panel, and a screenshot of a small window tree compared by pixels.

#include "platform/display/Display.h"
#include "platform/display/HeadlessTest.h"
#include "platform/gdi/ImageFiles.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/WinUser.h"
#include "support/TempDevice.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace test = device::display::test;

namespace {

std::map<HWND, COLORREF> g_colours;
std::vector<std::pair<HWND, UINT>> g_log;
std::wstring g_typed;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    g_log.emplace_back(hwnd, msg);
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        HBRUSH b = CreateSolidBrush(g_colours[hwnd]);
        FillRect(dc, &r, b);
        DeleteObject(b);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_CHAR: g_typed.push_back(static_cast<wchar_t>(wParam)); return 0;
    case WM_LBUTTONDOWN: SetCapture(hwnd); return 0;
    case WM_LBUTTONUP: ReleaseCapture(); return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class HeadlessDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = L"HeadlessTestWindow";
        RegisterClassW(&wc);
        device::ui::SetScreenShape(240, 320);
        ASSERT_STREQ(device::display::Start(), "headless");
        g_log.clear();
        g_typed.clear();
    }
    void TearDown() override {
        for (HWND h : m_windows) DestroyWindow(h);
        test::PumpUntilIdle();
        device::display::Stop();
        g_colours.clear();
    }
    HWND Make(HWND parent, int x, int y, int w, int h, COLORREF colour, DWORD style = 0) {
        HWND hwnd = CreateWindowExW(0, L"HeadlessTestWindow", L"win", (parent ? WS_CHILD : WS_POPUP) | WS_VISIBLE | style,
                                    x, y, w, h, parent, nullptr, nullptr, nullptr);
        g_colours[hwnd] = colour;
        if (!parent) m_windows.push_back(hwnd);
        return hwnd;
    }
    size_t Count(HWND h, UINT msg) const {
        size_t n = 0;
        for (auto& [w, m] : g_log) n += w == h && m == msg;
        return n;
    }
    std::vector<HWND> m_windows;
};

TEST_F(HeadlessDisplay, ScreenshotOfAWindowTreeMatchesTheFramebuffer) {
    HWND main = Make(nullptr, 0, 26, 240, 294, RGB(200, 200, 200));
    HWND page = Make(main, 0, 0, 240, 268, RGB(250, 250, 210), WS_CLIPCHILDREN);
    Make(page, 20, 60, 60, 60, RGB(40, 120, 220));
    Make(page, 90, 60, 60, 60, RGB(40, 180, 90), WS_BORDER);
    Make(page, 60, 100, 60, 60, RGB(240, 160, 30));  // below the first two, partly covered
    testsupport::TempFolder folder("jorvana-shot-");
    auto png = folder.Path() / "tree.png";
    ASSERT_TRUE(test::Screenshot(png));
    auto image = device::gdi::LoadImageFile(png);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->Width(), 240);
    ASSERT_EQ(image->Height(), 320);
    auto at = [&](int x, int y) { return device::gdi::ToColorRef(image->Get(x, y)); };
    EXPECT_EQ(at(5, 26 + 5), RGB(250, 250, 210)) << "the page";
    EXPECT_EQ(at(25, 26 + 65), RGB(40, 120, 220)) << "first child";
    EXPECT_EQ(at(90, 26 + 60), RGB(0, 0, 0)) << "second child's border";
    EXPECT_EQ(at(95, 26 + 65), RGB(40, 180, 90)) << "second child's client";
    EXPECT_EQ(at(70, 26 + 110), RGB(40, 120, 220)) << "the first child covers the third";
    EXPECT_EQ(at(100, 26 + 150), RGB(240, 160, 30)) << "the third child's uncovered part";
    EXPECT_EQ(at(5, 26 + 280), RGB(200, 200, 200)) << "the main window under the page";
    EXPECT_NE(at(5, 5), RGB(255, 255, 255)) << "the taskbar";
    // The file holds exactly the framebuffer.
    int differing = 0;
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 240; ++x) differing += at(x, y) != test::PixelAt(x, y);
    EXPECT_EQ(differing, 0);
    EXPECT_FALSE(test::Screenshot(folder.Path() / "missing-folder" / "x.png"));
    EXPECT_EQ(test::PixelAt(-1, 0), CLR_INVALID);
}

TEST_F(HeadlessDisplay, TapDragAndKeysReachTheWindows) {
    HWND main = Make(nullptr, 0, 26, 240, 294, RGB(255, 255, 255));
    HWND box = Make(main, 10, 10, 50, 50, RGB(0, 0, 255));
    SetFocus(main);
    test::Tap(POINT{20, 26 + 20});
    EXPECT_EQ(Count(box, WM_LBUTTONDOWN), 1u);
    EXPECT_EQ(Count(box, WM_LBUTTONUP), 1u);
    test::Drag(POINT{20, 26 + 20}, POINT{200, 26 + 200}, 3);
    EXPECT_EQ(Count(box, WM_MOUSEMOVE), 3u) << "the capture keeps the drag with the box";
    EXPECT_EQ(Count(box, WM_LBUTTONUP), 2u);
    test::TypeKeys(L"Hi 5");
    test::PressKey(VK_RETURN);
    EXPECT_EQ(g_typed, L"Hi 5\r");
}

TEST_F(HeadlessDisplay, RotationAndInputPanelFromTheTestApi) {
    HWND main = Make(nullptr, 0, 26, 240, 294, RGB(255, 255, 255));
    test::Rotate();
    EXPECT_EQ(Count(main, WM_SETTINGCHANGE), 1u);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 320);
    EXPECT_NE(test::PixelAt(319, 239), CLR_INVALID) << "the framebuffer is 320 wide now";
    test::ToggleInputPanel();
    EXPECT_TRUE(device::ui::IsSipUp());
    EXPECT_EQ(Count(main, WM_SETTINGCHANGE), 2u);
    test::ToggleInputPanel();
    EXPECT_FALSE(device::ui::IsSipUp());
    test::Rotate();
}

TEST(DisplayChoice, HeadlessWhenAskedOrWithoutADisplay) {
    // The test runner sets DEVICE_DISPLAY=headless.
    EXPECT_STREQ(device::display::Start(), "headless");
    EXPECT_STREQ(device::display::Start(), "headless") << "idempotent";
    EXPECT_STREQ(device::display::ActiveDriver(), "headless");
    device::display::Stop();
    EXPECT_EQ(device::display::ActiveDriver(), nullptr);
    const char* display = getenv("DISPLAY");
    std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    setenv("DEVICE_DISPLAY", "sdl", 1);
    EXPECT_STREQ(device::display::Start(), "headless") << "no display to open";
    device::display::Stop();
    setenv("DEVICE_DISPLAY", "headless", 1);
    if (display) setenv("DISPLAY", saved.c_str(), 1);
}

} // namespace
