// One picture of every control on a page, written to the test framework's temporary folder.

#include "ControlsTestSupport.h"
#include "controls/ColorTabCtrl.h"
#include "controls/IconButton.h"
#include "controls/SortListCtrl.h"
#include "controls/TransparentPicture.h"

#include <filesystem>
#include <iostream>

using namespace controlstest;

namespace {

using ControlsScreenshot = ControlsTest;

TEST_F(ControlsScreenshot, AllControlsOnOnePage) {
    CIconButton flat, raised, withIcon, disabled;
    RawChild(WC_BUTTONW, L"Flat", BS_PUSHBUTTON, 1001, 5, 5, 55, 24);
    RawChild(WC_BUTTONW, L"Raised", BS_DEFPUSHBUTTON, 1002, 62, 5, 55, 24);
    RawChild(WC_BUTTONW, L"Update", BS_PUSHBUTTON, 1003, 119, 5, 65, 24);
    RawChild(WC_BUTTONW, L"Off", BS_PUSHBUTTON, 1004, 186, 5, 50, 24);
    ASSERT_TRUE(flat.SubclassDlgItem(1001, &m_parent));
    ASSERT_TRUE(raised.SubclassDlgItem(1002, &m_parent));
    ASSERT_TRUE(withIcon.SubclassDlgItem(1003, &m_parent));
    ASSERT_TRUE(disabled.SubclassDlgItem(1004, &m_parent));
    for (CIconButton* b : {&flat, &raised, &withIcon, &disabled}) {
        b->SetColor(0, RGB(238, 238, 238));
        b->SetColor(2, RGB(194, 211, 228));
        b->SetColor(4, RGB(194, 211, 228));
        b->SetColor(3, RGB(50, 50, 150));
    }
    raised.SetFlat(FALSE);
    withIcon.SetFlat(FALSE);
    withIcon.SetIcon(301, 16, 16, 302, 16, 16);
    disabled.SetIcon(301, 16, 16);
    disabled.EnableWindow(FALSE);

    RawChild(WC_LISTVIEWW, L"List1", LVS_REPORT | WS_BORDER, 1008, 5, 34, 230, 90);
    CSortListCtrl list;
    ASSERT_TRUE(list.SubclassDlgItem(1008, &m_parent));
    list.InsertColumn(0, L"Country", LVCFMT_LEFT, 110);
    list.InsertColumn(1, L"Code", LVCFMT_LEFT, 100);
    const wchar_t* rows[][2] = {{L"alpha", L"30"}, {L"Zulu", L"4"}, {L"Mike", L"100"}};
    for (int i = 0; i < 3; ++i) list.SetItemText(list.InsertItem(i, rows[i][0]), 1, rows[i][1]);
    list.SortTextItems(0, TRUE);

    RawChild(WC_TABCONTROLW, L"", 0, 1044, 5, 130, 150, 60);
    CColorTabCtrl tabs;
    ASSERT_TRUE(tabs.SubclassDlgItem(1044, &m_parent));
    tabs.InsertItem(0, L"Clothes");
    tabs.InsertItem(1, L"Papers");
    tabs.SetBackColor(RGB(30, 160, 90));
    tabs.Invalidate();

    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
    {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        SetPixel(dc, 0, 0, RGB(255, 0, 255));
        SetPixel(dc, 1, 0, RGB(255, 200, 0));
        SetPixel(dc, 0, 1, RGB(255, 200, 0));
        SetPixel(dc, 1, 1, RGB(255, 0, 255));
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    HWND stat = RawChild(WC_STATICW, L"", SS_BITMAP, 1110, 165, 135, 60, 50);
    SendMessageW(stat, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    MoveWindow(stat, 165, 135, 60, 50, TRUE);
    CTransparentPicture picture;
    ASSERT_TRUE(picture.SubclassDlgItem(1110, &m_parent));
    picture.Invalidate();
    Pump();

    // In the test framework's temporary folder, which outlives the device root.
    std::filesystem::path shot = std::filesystem::path(::testing::TempDir()) / "jorvana_controls.png";
    ASSERT_TRUE(device::display::test::Screenshot(shot));
    EXPECT_GT(std::filesystem::file_size(shot), 0u);
    std::cout << "screenshot: " << shot.string() << std::endl;
    // The key colour of the picture lets the page through; the other pixels are drawn.
    EXPECT_EQ(At(170, 140), kPageColour);
    EXPECT_EQ(At(220, 140), RGB(255, 200, 0));
    picture.DestroyWindow();
    DeleteObject(bitmap);
}

} // namespace
