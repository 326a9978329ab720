// Static controls (text, colours from the parent, pictures) and a screenshot of a window holding
// every basic control.

#include "UiTestSupport.h"
#include "support/Screenshots.h"
#include "platform/gdi/ImageFiles.h"
#include "platform/ui/Controls.h"

#include <filesystem>

using namespace uitest;

namespace {

class StaticTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        device::ui::RegisterBasicControlClasses();
        parent = Top(0, 30, 240, 250);
    }
    HWND Make(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id) {
        return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
    }
    HWND parent = nullptr;
};

TEST_F(StaticTest, PaintsWithTheParentsColours) {
    HWND s = Make(L"STATIC", L"", SS_LEFT, 10, 10, 50, 20, 1);
    HBRUSH brush = CreateSolidBrush(RGB(0, 128, 0));
    int asked = 0;
    CurrentHandler() = [&](HWND, UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
        if (msg != WM_CTLCOLORSTATIC || reinterpret_cast<HWND>(lp) != s) return false;
        ++asked;
        result = reinterpret_cast<LRESULT>(brush);
        return true;
    };
    InvalidateRect(s, nullptr, TRUE);
    device::ui::PumpUntilIdle();
    EXPECT_GT(asked, 0);
    EXPECT_EQ(Pixel(30, 50), RGB(0, 128, 0));
    CurrentHandler() = nullptr;
    DestroyWindow(s);
    DeleteObject(brush);
}

TEST_F(StaticTest, BitmapImageAndNotify) {
    HWND s = Make(L"STATIC", L"", SS_BITMAP | SS_NOTIFY, 20, 20, 30, 30, 2);
    HBITMAP bmp = CreateBitmap(8, 8, 1, 32, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all{0, 0, 8, 8};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &all, red);
    DeleteObject(red);
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_EQ(SendMessageW(s, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bmp)), 0);
    EXPECT_EQ(reinterpret_cast<HBITMAP>(SendMessageW(s, STM_GETIMAGE, IMAGE_BITMAP, 0)), bmp);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Pixel(22, 52), RGB(255, 0, 0));
    ClearLog();
    device::ui::InjectStylus(device::ui::StylusAction::Down, POINT{25, 55});
    device::ui::InjectStylus(device::ui::StylusAction::Up, POINT{25, 55});
    device::ui::PumpUntilIdle();
    auto cmds = Matching(WM_COMMAND);
    ASSERT_EQ(cmds.size(), 1u);
    EXPECT_EQ(HIWORD(cmds[0].wParam), STN_CLICKED);
    DestroyWindow(s);
    DeleteObject(bmp);
}

TEST_F(StaticTest, ScreenshotOfEveryControl) {
    PaintColours()[parent] = GetSysColor(COLOR_BTNFACE);
    Make(L"STATIC", L"Static text, centred", SS_CENTER, 8, 6, 224, 16, 10);
    Make(L"BUTTON", L"Push", BS_PUSHBUTTON, 8, 26, 70, 22, 11);
    Make(L"BUTTON", L"Default", BS_DEFPUSHBUTTON, 84, 26, 70, 22, 12);
    HWND check = Make(L"BUTTON", L"Check box", BS_AUTOCHECKBOX, 8, 52, 110, 18, 13);
    SendMessageW(check, BM_SETCHECK, BST_CHECKED, 0);
    HWND r1 = Make(L"BUTTON", L"Radio one", BS_AUTORADIOBUTTON | WS_GROUP, 124, 52, 110, 18, 14);
    Make(L"BUTTON", L"Radio two", BS_AUTORADIOBUTTON, 124, 72, 110, 18, 15);
    SendMessageW(r1, BM_SETCHECK, BST_CHECKED, 0);
    Make(L"BUTTON", L"Group", BS_GROUPBOX, 4, 92, 232, 64, 16);
    HWND edit = Make(L"EDIT", L"Edit field", WS_BORDER | ES_AUTOHSCROLL, 12, 110, 120, 20, 17);
    Make(L"EDIT", L"42", WS_BORDER | ES_RIGHT | ES_NUMBER, 140, 110, 88, 20, 18);
    HWND sb = Make(L"SCROLLBAR", L"", SBS_HORZ, 12, 134, 216, 14, 19);
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 20, 40, 0};
    SetScrollInfo(sb, SB_CTL, &si, TRUE);
    HWND tb = Make(TRACKBAR_CLASSW, L"", TBS_HORZ, 8, 160, 150, 24, 20);
    SendMessageW(tb, TBM_SETRANGE, TRUE, MAKELPARAM(0, 255));
    SendMessageW(tb, TBM_SETPOS, TRUE, 170);
    HWND scroller = CreateWindowExW(0, kClass, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL, 164, 160, 70, 80,
                                    parent, nullptr, nullptr, nullptr);
    SCROLLINFO vi{sizeof(vi), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 50, 10, 10, 0};
    SetScrollInfo(scroller, SB_VERT, &vi, TRUE);
    Make(L"EDIT", L"Multi-line read-only text that wraps", WS_BORDER | ES_MULTILINE | ES_READONLY, 8, 188, 150, 52, 21);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, 4);
    device::ui::PumpUntilIdle();
    std::filesystem::path out = testsupport::SaveScreenshot("basic-controls");
    ASSERT_FALSE(out.empty());
    EXPECT_GT(std::filesystem::file_size(out), 1000u);
    // The selection shows in the highlight colour inside the focused edit.
    RECT er;
    GetWindowRect(edit, &er);
    bool highlighted = false;
    for (int x = er.left + 2; x < er.left + 30; ++x)
        highlighted |= Pixel(x, er.top + 4) == GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_TRUE(highlighted);
}

} // namespace
