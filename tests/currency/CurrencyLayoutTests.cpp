// The Currencies page's layout by screen shape: the shape chosen for each work area, the places
// of the bottom band and the cross rates on real pages of each shape, the line window after a
// layout pass, the settings-change pass and its label word, and screenshots of the three shapes.

#include "CurrencyPageSupport.h"

#include "support/Screenshots.h"

namespace {

using namespace currencytest;

TEST(CurrencyShape, ChosenBySquareScreenThenOrientationThenAvailableHeight) {
    EXPECT_EQ(ChooseCurrencyShape(false, 240, 294, 242), CurrencyShape::Tall);
    EXPECT_EQ(ChooseCurrencyShape(false, 320, 214, 162), CurrencyShape::Low);
    EXPECT_EQ(ChooseCurrencyShape(false, 640, 454, 402), CurrencyShape::Tall); // wide but high enough
    EXPECT_EQ(ChooseCurrencyShape(false, 320, 294, 242), CurrencyShape::Low);  // a 320 x 320 screen
    EXPECT_EQ(ChooseCurrencyShape(false, 320, 294, 245), CurrencyShape::Tall);
    EXPECT_EQ(ChooseCurrencyShape(true, 240, 214, 162), CurrencyShape::Square);
    EXPECT_TRUE(UsesLongUpdateWord(240, 294, 242));
    EXPECT_FALSE(UsesLongUpdateWord(320, 214, 162));
    EXPECT_TRUE(UsesLongUpdateWord(640, 454, 402));
}

class CurrencyLayoutTest : public CurrencyPageTest {
protected:
    void ExpectAt(int id, int x, int y, int cx, int cy) {
        CRect r = PlaceOf(id);
        EXPECT_EQ(r.left, x) << id;
        EXPECT_EQ(r.top, y) << id;
        EXPECT_EQ(r.Width(), cx) << id;
        if (cy >= 0) {
            EXPECT_EQ(r.Height(), cy) << id;
        }
    }
    void FillSomeLines() {
        Type(0, 0, L"100");
        Type(1, 1, L"20");
        Type(2, 2, L"5.5");
        m_page->SetFocus();
        device::ui::SetSipUp(false);
        device::display::test::PumpUntilIdle();
    }
};

TEST_F(CurrencyLayoutTest, PortraitPutsTheBandAtTheBottomAndTheCrossRatesStacked) {
    SelectColumns(Eur, Gbp, Usd);
    CCurrencyPanel& page = CreatePage();
    EXPECT_EQ(page.GetShape(), CurrencyShape::Tall);
    ExpectAt(IDC_CUR_PAIR3, 161, 0, 79, -1);
    ExpectAt(IDC_CUR_ADD_LINE, 81, 105, 39, 17);
    ExpectAt(IDC_CUR_BACK_LINE, 121, 105, 39, 17);
    ExpectAt(IDC_CUR_TOTAL3, 160, 122, 78, 20);
    ExpectAt(IDC_CUR_SEPARATOR2, 160, 0, 1, 142);
    ExpectAt(IDC_CUR_RATE_BASE, 5, 162, 70, -1);
    ExpectAt(IDC_CUR_RATE2, 104, 178, 107, 16);
    // 70 wide from x 216 would reach past the page: the code ends at the page's edge.
    ExpectAt(IDC_CUR_CODE1, 216, 156, 24, 20);
    ExpectAt(IDC_CUR_UPDATE_ALL, 5, 210, 80, 20);
    ExpectAt(IDC_CUR_CLEAR_ALL, 155, 210, 80, 20);
    ExpectAt(IDC_CUR_LAST_UPDATE, 85, 208, 70, 25);
    // The lists keep their eight-item drop-down after being placed.
    RECT dropped{};
    Combo(IDC_CUR_PAIR1).SendMessage(CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    EXPECT_GT(dropped.bottom - dropped.top, 60);

    FillSomeLines();
    testsupport::SaveScreenshot("currency-portrait");

    // The settings-change pass puts Clear All two pixels further left.
    page.SendMessage(WM_SETTINGCHANGE, 0, 0);
    ExpectAt(IDC_CUR_CLEAR_ALL, 153, 210, 80, 20);
}

TEST_F(CurrencyLayoutTest, LandscapePutsBothButtonsRightAndTheLabelLeft) {
    device::ui::SetScreenShape(320, 240);
    SelectColumns(Eur, Gbp, Usd);
    CCurrencyPanel& page = CreatePage();
    EXPECT_EQ(page.GetShape(), CurrencyShape::Low);
    ExpectAt(IDC_CUR_PAIR3, 214, 0, 103, -1);
    ExpectAt(IDC_CUR_ADD_LINE, 107, 84, 52, 17);
    ExpectAt(IDC_CUR_TOTAL1, 0, 102, 106, 20);
    ExpectAt(IDC_CUR_SEPARATOR1, 106, 0, 1, 122);
    ExpectAt(IDC_CUR_FRAME1, 90, 123, 80, 20);
    ExpectAt(IDC_CUR_FRAME2, 190, 123, 86, 20);
    ExpectAt(IDC_CUR_CODE2, 296, 127, 22, 18);
    ExpectAt(IDC_CUR_UPDATE_ALL, 146, 146, 80, 18);
    ExpectAt(IDC_CUR_CLEAR_ALL, 233, 146, 80, 18);
    ExpectAt(IDC_CUR_LAST_UPDATE, 3, 147, 140, 21);
    EXPECT_EQ(Text(IDC_CUR_LAST_UPDATE), L"Upd.     Never ");
    FillSomeLines();
    testsupport::SaveScreenshot("currency-landscape");
}

TEST_F(CurrencyLayoutTest, SquareScreenGetsItsOwnBandButA320SquareDoesNot) {
    device::ui::SetScreenShape(240, 240);
    SelectColumns(Eur, Gbp, Usd);
    CCurrencyPanel& page = CreatePage();
    EXPECT_EQ(page.GetShape(), CurrencyShape::Square);
    ExpectAt(IDC_CUR_RATE_BASE, 5, 124, 50, -1);
    ExpectAt(IDC_CUR_EQUALS, 60, 128, 8, 18);
    // 21 wide is less than its code needs at the page's right edge: the code moves left and
    // its value ends before it.
    ExpectAt(IDC_CUR_RATE2, 50 + 48 + 66, 128, 53, 13);
    ExpectAt(IDC_CUR_CODE2, 217, 127, 23, 18);
    ExpectAt(IDC_CUR_UPDATE_ALL, 1, 146, 72, 20);
    ExpectAt(IDC_CUR_CLEAR_ALL, 167, 146, 72, 20);
    ExpectAt(IDC_CUR_LAST_UPDATE, 75, 149, 90, 25);
    FillSomeLines();
    testsupport::SaveScreenshot("currency-square");
    page.SendMessage(WM_SETTINGCHANGE, 0, 0);
    ExpectAt(IDC_CUR_RATE2, 50 + 48 + 65, 128, 54, 13);

    m_page->DestroyWindow();
    m_page.reset();
    m_parent.DestroyWindow();
    device::ui::SetScreenShape(320, 320);
    EXPECT_EQ(CreatePage().GetShape(), CurrencyShape::Low);
}

// A rotation gives the label the new shape's word at once, whether the page hears of it by a
// settings change or by its new size: a landscape page never keeps the two-line portrait form.
TEST_F(CurrencyLayoutTest, RotationGivesTheLabelTheNewShapesWord) {
    SelectColumns(Eur, Gbp, Usd);
    CCurrencyPanel& page = CreatePage();
    device::ui::SetScreenShape(320, 240);
    page.SendMessage(WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(page.GetShape(), CurrencyShape::Low);
    EXPECT_EQ(Text(IDC_CUR_LAST_UPDATE), L"Upd.     Never ");
    ExpectAt(IDC_CUR_LAST_UPDATE, 3, 147, 140, 21);
    device::ui::SetScreenShape(240, 320);
    page.MoveWindow(0, 0, 240, 270); // a new size, no settings change
    EXPECT_EQ(page.GetShape(), CurrencyShape::Tall);
    EXPECT_EQ(Text(IDC_CUR_LAST_UPDATE), L"Last update\n     Never ");
}

TEST_F(CurrencyLayoutTest, LayoutPassShowsOnlyTheLineWindow) {
    SelectColumns(Eur, Gbp, Usd);
    CCurrencyPanel& page = CreatePage();
    for (int press = 0; press < 3; ++press) page.OnAddLine();
    ASSERT_EQ(page.GetLastVisibleLine(), 5);
    page.MoveWindow(0, 0, 240, 250);
    page.MoveWindow(0, 0, 240, 294);
    for (int line = 0; line < 6; ++line) {
        CEdit* field = page.GetAmountField(0, line);
        EXPECT_EQ(field->IsWindowVisible() != FALSE, line >= 3) << line;
        if (line >= 3) {
            CRect r;
            field->GetWindowRect(&r);
            page.ScreenToClient(&r);
            EXPECT_EQ(r.top, 21 + 21 * (line - 3)) << line;
        }
    }
}

// A closed column field too narrow for "name - code" keeps the code in view: the name is cut
// with "…", and where no three characters of it would fit the code stands alone.
TEST(ColumnComboText, ShortensTheNameAndKeepsTheCode) {
    auto width = [](const std::wstring& text) { return static_cast<int>(text.size()) * 6; };
    EXPECT_EQ(FitCurrencyText(L"Euro - EUR", 60, width), L"Euro - EUR");
    EXPECT_EQ(FitCurrencyText(L"Pound Sterling - GBP", 72, width), L"Pound\u2026 - GBP");
    EXPECT_EQ(FitCurrencyText(L"Pound Sterling - GBP", 48, width), L"GBP");
    EXPECT_EQ(FitCurrencyText(L"No code here", 30, width), L"No code here") << "nothing to keep: as it is";
}

} // namespace
