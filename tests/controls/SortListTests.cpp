// The sortable list as the dialing-codes tool uses it: header taps sort the rows by character
// code, a second tap reverses, only the allowed columns answer, rows move whole, and the sorted
// column's header shows an arrow for the direction.

#include "ControlsTestSupport.h"
#include "controls/SortListCtrl.h"
#include "platform/framework/WindowDC.h"

#include <string>
#include <vector>

using namespace controlstest;

namespace {

// List 1009 at (10, 10), 220 x 150 on the page, three columns of 70 pixels.
class SortListTest : public ControlsTest {
protected:
    void Make(const std::vector<std::vector<std::wstring>>& rows, BOOL secondColumn) {
        RawChild(WC_LISTVIEWW, L"List1", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER, 1009, 10, 10,
                 220, 150);
        ASSERT_TRUE(m_list.SubclassDlgItem(1009, &m_parent));
        m_list.AllowSecondColumnSort(secondColumn);
        m_list.InsertColumn(0, L"Country", LVCFMT_LEFT, 70);
        m_list.InsertColumn(1, L"Code", LVCFMT_LEFT, 70);
        m_list.InsertColumn(2, L"Note", LVCFMT_LEFT, 70);
        for (size_t i = 0; i < rows.size(); ++i) {
            int row = m_list.InsertItem(static_cast<int>(i), rows[i][0].c_str());
            m_list.SetItemText(row, 1, rows[i][1].c_str());
            m_list.SetItemText(row, 2, rows[i][2].c_str());
            m_list.SetItemData(row, 100 + i);
        }
        Pump();
    }
    std::vector<std::wstring> Column(int column) const {
        std::vector<std::wstring> out;
        for (int row = 0; row < m_list.GetItemCount(); ++row)
            out.emplace_back(static_cast<LPCWSTR>(m_list.GetItemText(row, column)));
        return out;
    }
    // Taps the middle of a header item.
    void TapHeader(int column) {
        CRect item;
        m_list.GetSortHeader().GetItemRect(column, &item);
        m_list.GetSortHeader().ClientToScreen(&item);
        device::display::test::Tap(item.CenterPoint());
    }
    CSortListCtrl m_list;
};

const std::vector<std::vector<std::wstring>> kCodes = {
    {L"alpha", L"30", L"a"}, {L"Zulu", L"4", L"z"}, {L"Mike", L"100", L"m"}, {L"bravo", L"22", L"b"}};

TEST_F(SortListTest, TapsSortByCharacterCodeThenReverse) {
    Make(kCodes, FALSE);
    TapHeader(0);
    EXPECT_EQ(Column(0), (std::vector<std::wstring>{L"Mike", L"Zulu", L"alpha", L"bravo"}));
    // Every column and the item data move with the row.
    EXPECT_EQ(Column(1), (std::vector<std::wstring>{L"100", L"4", L"30", L"22"}));
    EXPECT_EQ(Column(2), (std::vector<std::wstring>{L"m", L"z", L"a", L"b"}));
    EXPECT_EQ(m_list.GetItemData(0), 102u);
    EXPECT_EQ(m_list.GetItemData(3), 103u);
    EXPECT_EQ(m_list.GetSortColumn(), 0);
    EXPECT_TRUE(m_list.IsSortAscending());

    TapHeader(0);
    EXPECT_EQ(Column(0), (std::vector<std::wstring>{L"bravo", L"alpha", L"Zulu", L"Mike"}));
    EXPECT_EQ(Column(1), (std::vector<std::wstring>{L"22", L"30", L"4", L"100"}));
    EXPECT_FALSE(m_list.IsSortAscending());
}

TEST_F(SortListTest, OnlyTheAllowedColumnsAnswer) {
    Make(kCodes, FALSE);
    TapHeader(1);
    TapHeader(2);
    EXPECT_EQ(Column(0), (std::vector<std::wstring>{L"alpha", L"Zulu", L"Mike", L"bravo"}));
    EXPECT_EQ(m_list.GetSortColumn(), -1);
    m_list.SetSortColumn(1);
    TapHeader(0);
    TapHeader(0); // descending on column 0
    TapHeader(1); // another column starts ascending, texts compared as texts
    EXPECT_EQ(Column(1), (std::vector<std::wstring>{L"100", L"22", L"30", L"4"}));
    EXPECT_TRUE(m_list.IsSortAscending());
    EXPECT_EQ(m_list.GetSortColumn(), 1);
}

TEST_F(SortListTest, StateAndImageTravelWithTheRow) {
    Make(kCodes, FALSE);
    m_list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED); // "Zulu"
    EXPECT_TRUE(m_list.SortTextItems(0, FALSE));
    ASSERT_EQ(Column(0)[2], L"Zulu");
    EXPECT_EQ(m_list.GetItemState(2, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));
    EXPECT_EQ(m_list.GetItemState(0, LVIS_SELECTED), 0u);
}

TEST_F(SortListTest, NothingToSortLeavesRowsAndHeaderAlone) {
    Make({{L"only", L"1", L"x"}}, TRUE);
    TapHeader(0);
    EXPECT_EQ(Column(0), (std::vector<std::wstring>{L"only"}));
    HDITEM item{};
    item.mask = HDI_FORMAT;
    m_list.GetSortHeader().GetItem(0, &item);
    EXPECT_FALSE(item.fmt & HDF_OWNERDRAW); // no arrow
    EXPECT_EQ(m_list.GetSortColumn(), 0);    // the tap is still recorded
    EXPECT_FALSE(m_list.SortTextItems(3, TRUE));
    EXPECT_FALSE(m_list.SortTextItems(0, TRUE));
}

TEST_F(SortListTest, TheSortedHeaderShowsTheDirection) {
    Make(kCodes, TRUE);
    CSortHeaderCtrl& header = m_list.GetSortHeader();
    CRect item;
    header.GetItemRect(0, &item);
    header.ClientToScreen(&item);
    int cw = 0;
    {
        CClientDC dc(&header);
        CFont* font = header.GetFont();
        CFont* old = font ? dc.SelectObject(font) : nullptr;
        cw = dc.GetTextExtent(L" ", 1).cx;
        if (old) dc.SelectObject(old);
    }
    ASSERT_GT(cw, 0);
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    auto px = [&](int x, int y) {
        Pump();
        return device::display::test::PixelAt(x, y);
    };
    const int rr = item.right;
    const int top = item.top;
    const int b = item.Height();

    TapHeader(0); // ascending: a light base line at the bottom of the arrow
    const int side = rr - 5 * cw + 1; // off the apex, on the base line
    EXPECT_EQ(px(side, top + b - 2 * cw), light);
    EXPECT_NE(px(side, top + 2 * cw - 1), shadow);
    TapHeader(0); // descending: a shadow top line
    EXPECT_EQ(px(side, top + 2 * cw - 1), shadow);
    EXPECT_NE(px(side, top + b - 2 * cw), light);
    // The column title is still drawn, left of the arrow.
    int dark = 0;
    for (int y = item.top; y < item.bottom; ++y)
        for (int x = item.left; x < rr - 6 * cw; ++x) dark += px(x, y) == GetSysColor(COLOR_BTNTEXT);
    EXPECT_GT(dark, 0);
}

TEST_F(SortListTest, AListMadeWithCreateSortsAndShowsItsArrowToo) {
    CSortListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(10, 10, 230, 160), &m_parent, 1008));
    list.InsertColumn(0, L"Code", LVCFMT_LEFT, 100);
    list.InsertItem(0, L"b");
    list.InsertItem(1, L"a");
    EXPECT_TRUE(list.SortTextItems(0, TRUE));
    EXPECT_EQ(list.GetItemText(0, 0), CString(L"a"));
    HDITEM item{};
    item.mask = HDI_FORMAT;
    ASSERT_TRUE(list.GetSortHeader().GetItem(0, &item));
    EXPECT_TRUE(item.fmt & HDF_OWNERDRAW);
    list.DestroyWindow();
}

} // namespace
