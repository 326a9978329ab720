// The clothing size charts: the first chart shown, every garment's chart and buttons, the gender
// buttons where a garment has charts for them, and the rows' skin colours.

#include "ToolWindowTestSupport.h"
#include "resources/resource.h"
#include "tools/ClothesDlg.h"
#include "tools/ClothingCharts.h"
#include "platform/framework/WindowDC.h"
#include "shell/AppMessages.h"

#include <string>

using namespace toolwintest;

namespace {

class ClothesTest : public ToolWindowTest {
protected:
    void SetUp() override {
        ToolWindowTest::SetUp();
        Open(m_dlg, IDD_CLOTHES);
    }
    void TearDown() override {
        if (m_dlg.m_hWnd) m_dlg.DestroyWindow();
        ToolWindowTest::TearDown();
    }
    static std::wstring Text(CWnd& wnd) {
        CString text;
        wnd.GetWindowText(text);
        return std::wstring(static_cast<LPCWSTR>(text));
    }
    void ChooseGarment(int garment) {
        m_dlg.m_comboGarment.SetCurSel(garment);
        m_dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CLOTHES_GARMENT, CBN_SELCHANGE),
                          reinterpret_cast<LPARAM>(m_dlg.m_comboGarment.m_hWnd));
        Pump();
    }
    void Press(UINT id) {
        m_dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(m_dlg.GetDlgItem(id)->m_hWnd));
        Pump();
    }
    // Enabled buttons as bits: 1 M, 2 W, 4 C.
    unsigned Enabled() {
        return (m_dlg.m_btnMen.IsWindowEnabled() ? 1u : 0u) | (m_dlg.m_btnWomen.IsWindowEnabled() ? 2u : 0u) |
               (m_dlg.m_btnChildren.IsWindowEnabled() ? 4u : 0u);
    }

    CClothesDlg m_dlg;
};

TEST_F(ClothesTest, OpensOnMensShoes) {
    EXPECT_EQ(Text(m_dlg.m_staticTitle), L"Men's shoes");
    EXPECT_EQ(Text(m_dlg.m_staticRow1), L"USA        5     6      7      8      9    10   11   12");
    EXPECT_EQ(Text(m_dlg.m_staticRow4), L"Japan                24.5 25.5 26.5 27.5 28   29");
    EXPECT_EQ(m_dlg.m_comboGarment.GetCurSel(), GarmentShoes);
    EXPECT_EQ(m_dlg.m_comboGarment.GetCount(), 6);
    EXPECT_EQ(Enabled(), 7u);
    EXPECT_EQ(m_dlg.m_nGender, GenderMen);
    testsupport::SaveScreenshot("tools-clothing-sizes");
}

TEST_F(ClothesTest, EachGarmentShowsItsChartAndItsButtons) {
    struct Case {
        int garment;
        const wchar_t* title;
        const wchar_t* firstRow;
        unsigned enabled;
        int gender;
    };
    for (const Case& c : {Case{GarmentBras, L"Women's bra sizes", L"USA         30   32   34   36   38   40   42  44", 2u, GenderWomen},
                          {GarmentDresses, L"Women's dresses", L"USA        3   5   7    9   11  12  13  14  15  16  18", 2u, GenderWomen},
                          {GarmentShirts, L"Men's shirts", L"USA       14  14.5   15   15.5   16  16.5  17  17.5", 7u, GenderMen},
                          {GarmentSuits, L"Men's suits", L"USA       30  32  34  36  38  40  42  44  46  48", 1u, GenderMen},
                          {GarmentTrousers, L"Men's trousers", L"USA       30    32    34    36    38    40", 7u, GenderMen}}) {
        SCOPED_TRACE(c.title);
        ChooseGarment(c.garment);
        EXPECT_EQ(Text(m_dlg.m_staticTitle), c.title);
        EXPECT_EQ(Text(m_dlg.m_staticRow1), c.firstRow);
        EXPECT_EQ(Enabled(), c.enabled);
        EXPECT_EQ(m_dlg.m_nGender, c.gender);
    }
    // Bras are the one chart with France and INTL rows.
    ChooseGarment(GarmentBras);
    EXPECT_EQ(Text(m_dlg.m_staticRow3), L"France    80   85   90   95   100 105 110 115");
    EXPECT_EQ(Text(m_dlg.m_staticRow4), L"INTL        60   65   70   75   80   85   90   95");
}

TEST_F(ClothesTest, GenderButtonsChangeTheChartOnlyWhereOneExists) {
    ChooseGarment(GarmentShirts);
    Press(IDC_CLOTHES_WOMEN);
    // The string table's "&&" stands for one "&" in the static.
    EXPECT_EQ(Text(m_dlg.m_staticTitle), L"Women's blouses && sweaters");
    EXPECT_EQ(m_dlg.m_nGender, GenderWomen);
    Press(IDC_CLOTHES_CHILDREN);
    EXPECT_EQ(Text(m_dlg.m_staticTitle), L"Children's clothing");
    EXPECT_EQ(Text(m_dlg.m_staticRow4), L"Japan   90     100    110    120    130    140");
    ChooseGarment(GarmentTrousers); // a new garment starts again with its own chart
    EXPECT_EQ(Text(m_dlg.m_staticTitle), L"Men's trousers");
    Press(IDC_CLOTHES_CHILDREN);
    EXPECT_EQ(Text(m_dlg.m_staticRow2), L"Europe  40-55    50-55    60-65    70-75    80-85");

    ChooseGarment(GarmentSuits);
    Press(IDC_CLOTHES_WOMEN); // suits have no women's chart: nothing changes
    EXPECT_EQ(Text(m_dlg.m_staticTitle), L"Men's suits");
    EXPECT_EQ(m_dlg.m_nGender, GenderMen);
    EXPECT_EQ(Enabled(), 1u);
}

TEST_F(ClothesTest, RowsTakeTheSkinColoursAlternately) {
    EXPECT_EQ(m_dlg.m_crRow1, kRow1);
    EXPECT_EQ(m_dlg.m_crRow2, kRow2);
    Pump();
    auto background = [](CWnd& row) {
        CRect r;
        row.GetWindowRect(&r);
        return device::display::test::PixelAt(r.right - 2, r.top + 1);
    };
    EXPECT_EQ(background(m_dlg.m_staticRow1), kRow1);
    EXPECT_EQ(background(m_dlg.m_staticRow2), kRow2);
    EXPECT_EQ(background(m_dlg.m_staticRow3), kRow1);
    EXPECT_EQ(background(m_dlg.m_staticRow4), kRow2);
    EXPECT_EQ(m_dlg.SendMessage(WM_APP_LEAVE_TOOL), 1);
    EXPECT_FALSE(m_dlg.IsWindowVisible());
}

} // namespace

// Every chart's rows stay on one line, each within its row: the last size neither wraps under
// the next row nor falls off the window.
TEST_F(ClothesTest, EveryRowFitsOnOneLine) {
    CStatic* rows[] = {&m_dlg.m_staticRow1, &m_dlg.m_staticRow2, &m_dlg.m_staticRow3, &m_dlg.m_staticRow4};
    CRect window;
    m_dlg.GetClientRect(&window);
    for (int garment = 0; garment < kClothingGarmentCount; ++garment)
        for (int gender = GenderMen; gender <= GenderChildren; ++gender) {
            const ClothingChart* chart = FindClothingChart(garment, gender);
            if (!chart) continue;
            for (int i = 0; i < 4; ++i) {
                SCOPED_TRACE(testing::Message() << "garment " << garment << " gender " << gender << " row " << i);
                EXPECT_EQ(rows[i]->GetStyle() & 0x1Fu, SS_LEFTNOWORDWRAP);
                CRect row;
                rows[i]->GetWindowRect(&row);
                m_dlg.ScreenToClient(&row);
                EXPECT_LE(row.right, window.right);
                CClientDC dc(rows[i]);
                CFont* old = dc.SelectObject(rows[i]->GetFont());
                EXPECT_LE(dc.GetTextExtent(chart->rows[i]).cx, row.Width());
                dc.SelectObject(old);
            }
        }
}

// Every chart's sizes are split into columns that every row shares: a shorter row's sizes go to
// the columns its blanks put them under, a bracketed note stays with its size, a row that is no
// list of sizes keeps its text; drawn, the columns lie side by side inside the row.
TEST_F(ClothesTest, SizesLineUpInColumnsInEveryRow) {
    std::wstring shoes[4];
    for (int i = 0; i < 4; ++i) shoes[i] = FindClothingChart(GarmentShoes, GenderMen)->rows[i];
    ClothingGrid grid = SplitClothingRows(shoes);
    ASSERT_EQ(grid.columns, 8);
    ASSERT_EQ(grid.rows[3].cells.size(), 6u);
    EXPECT_EQ(grid.rows[3].name, L"Japan");
    EXPECT_EQ(grid.rows[3].cells[0].column, 1) << "24.5 under the US 6";
    EXPECT_EQ(grid.rows[3].cells[5].column, 6) << "29 under the US 11";

    std::wstring women[4];
    for (int i = 0; i < 4; ++i) women[i] = FindClothingChart(GarmentShoes, GenderWomen)->rows[i];
    grid = SplitClothingRows(women);
    ASSERT_FALSE(grid.rows[3].cells.empty());
    EXPECT_EQ(grid.rows[3].cells.back().text, L"26 (rare)");

    std::wstring suits[4];
    for (int i = 0; i < 4; ++i) suits[i] = FindClothingChart(GarmentSuits, GenderMen)->rows[i];
    grid = SplitClothingRows(suits);
    EXPECT_TRUE(grid.rows[3].cells.empty());
    EXPECT_EQ(grid.rows[3].text, L"(US/Japan) = 34/S   38/M  40/L  44/LL");

    for (int garment = 0; garment < kClothingGarmentCount; ++garment)
        for (int gender = GenderMen; gender <= GenderChildren; ++gender) {
            if (!FindClothingChart(garment, gender)) continue;
            SCOPED_TRACE(testing::Message() << "garment " << garment << " gender " << gender);
            ChooseGarment(garment);
            if (garment == GarmentShirts || garment == GarmentShoes || garment == GarmentTrousers)
                Press(IDC_CLOTHES_MEN + gender);
            const ClothingColumns& columns = m_dlg.m_columns;
            for (const ClothingRowCells& row : columns.grid.rows) {
                int previous = -1;
                for (const ClothingCell& cell : row.cells) {
                    EXPECT_GT(cell.column, previous);
                    previous = cell.column;
                }
                EXPECT_LT(previous, columns.grid.columns);
            }
            CRect row;
            m_dlg.m_staticRow1.GetClientRect(&row);
            ASSERT_EQ(columns.left.size(), static_cast<size_t>(columns.grid.columns));
            int right = columns.sizesLeft;
            for (size_t j = 0; j < columns.left.size(); ++j) {
                EXPECT_GE(columns.left[j], right) << "column " << j << " clear of the one before";
                right = columns.left[j] + columns.width[j];
            }
            EXPECT_LE(right, row.Width());
        }
}

