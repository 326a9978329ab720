// A page with a transparent picture, a coloured tab strip and the hidden digital display: the
// picture stretched with only the exact key colour see-through, the strip's fill, a display that
// draws nothing; and a screenshot of the page with every control for a look.

#include "ControlsTestSupport.h"
#include "support/Screenshots.h"
#include "controls/ColorTabCtrl.h"
#include "controls/DigitalClock.h"
#include "controls/IconButton.h"
#include "controls/SortListCtrl.h"
#include "controls/TransparentPicture.h"

#include <filesystem>
#include <iostream>

using namespace controlstest;

namespace {

// Quadrants: key colour, near-key colour / red, green.
HBITMAP MakeQuadrants(int size) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(size, size, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF colours[4] = {RGB(255, 0, 255), RGB(254, 0, 255), RGB(255, 0, 0), RGB(0, 255, 0)};
    const int h = size / 2;
    for (int q = 0; q < 4; ++q) {
        RECT r{(q % 2) * h, (q / 2) * h, (q % 2 + 1) * h, (q / 2 + 1) * h};
        HBRUSH brush = CreateSolidBrush(colours[q]);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

using PageTest = ControlsTest;

TEST_F(PageTest, TransparentPictureIsStretchedAndKeyedOnTheExactColour) {
    for (int size : {4, 200}) { // smaller and larger than the control
        SCOPED_TRACE(size);
        HBITMAP bitmap = MakeQuadrants(size);
        HWND stat = RawChild(WC_STATICW, L"", SS_BITMAP, 1110, 20, 20, 60, 40);
        SendMessageW(stat, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
        MoveWindow(stat, 20, 20, 60, 40, TRUE); // a bitmap static may size itself to its picture
        CTransparentPicture picture;
        ASSERT_TRUE(picture.SubclassDlgItem(1110, &m_parent));
        picture.Invalidate();
        EXPECT_EQ(At(20, 20), kPageColour);
        EXPECT_EQ(At(49, 39), kPageColour);
        EXPECT_EQ(At(50, 20), RGB(254, 0, 255));
        EXPECT_EQ(At(20, 59), RGB(255, 0, 0));
        EXPECT_EQ(At(79, 59), RGB(0, 255, 0));
        EXPECT_EQ(At(80, 59), kPageColour);
        SendMessageW(stat, STM_SETIMAGE, IMAGE_BITMAP, 0); // no bitmap: the page shows through
        m_parent.Invalidate();
        picture.Invalidate();
        EXPECT_EQ(At(79, 59), kPageColour);
        picture.DestroyWindow();
        BITMAP info{}; // never the picture's to delete
        EXPECT_TRUE(GetObjectW(bitmap, sizeof(info), &info));
        DeleteObject(bitmap);
    }
}

TEST_F(PageTest, TabFillHiddenDisplayAndScreenshot) {
    CIconButton flat, raised, withIcon, disabled;
    const wchar_t* captions[] = {L"Flat", L"Raised", L"Update", L"Off"};
    CIconButton* buttons[] = {&flat, &raised, &withIcon, &disabled};
    for (int i = 0; i < 4; ++i) {
        RawChild(WC_BUTTONW, captions[i], i == 1 ? BS_DEFPUSHBUTTON : 0, 1001 + i, 5 + 58 * i, 5, 56, 24);
        ASSERT_TRUE(buttons[i]->SubclassDlgItem(1001 + i, &m_parent));
        buttons[i]->SetColor(2, RGB(194, 211, 228));
        buttons[i]->SetColor(3, RGB(50, 50, 150));
    }
    raised.SetFlat(FALSE);
    withIcon.SetIcon(301, 16, 16, 302, 16, 16);
    disabled.SetIcon(301, 16, 16);
    disabled.EnableWindow(FALSE);

    RawChild(WC_LISTVIEWW, L"List1", LVS_REPORT | WS_BORDER, 1008, 5, 34, 230, 90);
    CSortListCtrl list;
    ASSERT_TRUE(list.SubclassDlgItem(1008, &m_parent));
    list.InsertColumn(0, L"Country", LVCFMT_LEFT, 110);
    list.InsertColumn(1, L"Code", LVCFMT_LEFT, 100);
    for (const wchar_t* name : {L"alpha", L"Zulu", L"Mike"}) list.InsertItem(0, name);
    list.SortTextItems(0, TRUE);

    RawChild(WC_TABCONTROLW, L"", 0, 1044, 5, 130, 150, 60);
    CColorTabCtrl tabs;
    ASSERT_TRUE(tabs.SubclassDlgItem(1044, &m_parent));
    tabs.InsertItem(0, L"Clothes");
    tabs.InsertItem(1, L"Papers");
    tabs.SetBackColor(RGB(30, 160, 90));
    tabs.Invalidate();

    RawChild(WC_STATICW, L"12:00:00", 0, 1079, 165, 200, 70, 20);
    CDigitalClock clock;
    ASSERT_TRUE(clock.SubclassDlgItem(1079, &m_parent));
    clock.SendMessage(WM_TIMER, 1);

    HBITMAP bitmap = MakeQuadrants(2);
    HWND stat = RawChild(WC_STATICW, L"", SS_BITMAP, 1110, 165, 135, 60, 50);
    SendMessageW(stat, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    MoveWindow(stat, 165, 135, 60, 50, TRUE);
    CTransparentPicture picture;
    ASSERT_TRUE(picture.SubclassDlgItem(1110, &m_parent));
    picture.Invalidate();

    CRect last;
    tabs.GetItemRect(1, &last);
    EXPECT_EQ(At(5 + 145, 130 + last.top + 2), RGB(30, 160, 90)); // beside the tabs
    EXPECT_NE(At(5 + last.left + 3, 130 + last.CenterPoint().y), RGB(30, 160, 90)); // the tab itself
    EXPECT_EQ(At(170, 205), kPageColour); // the display draws nothing of its own
    clock.ShowWindow(SW_HIDE);
    EXPECT_FALSE(clock.IsWindowVisible());

    ASSERT_FALSE(testsupport::SaveScreenshot("owner-drawn-controls").empty());
    picture.DestroyWindow();
    DeleteObject(bitmap);
}

} // namespace
