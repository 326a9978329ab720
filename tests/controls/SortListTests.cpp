// The sortable list as the dialing-codes tool uses it: header taps sort by character code and a
// second tap reverses, only the allowed columns answer, rows move whole, and the sorted column's
// header shows an arrow for the direction.

#include "ControlsTestSupport.h"
#include "controls/SortListCtrl.h"
#include "platform/framework/WindowDC.h"

#include <string>
#include <vector>

using namespace controlstest;

namespace {

using Texts = std::vector<std::wstring>;

// List 1009 at (10, 10), 220 x 150: rows of (country, code, note), item data 100 + row.
class SortListTest : public ControlsTest {
protected:
    void Make(const std::vector<Texts>& rows) {
        RawChild(WC_LISTVIEWW, L"List1", LVS_REPORT | LVS_SINGLESEL | WS_BORDER, 1009, 10, 10, 220, 150);
        ASSERT_TRUE(m_list.SubclassDlgItem(1009, &m_parent));
        const wchar_t* titles[] = {L"Country", L"Code", L"Note"};
        for (int c = 0; c < 3; ++c) m_list.InsertColumn(c, titles[c], LVCFMT_LEFT, 70);
        for (size_t i = 0; i < rows.size(); ++i) {
            int row = m_list.InsertItem(static_cast<int>(i), rows[i][0].c_str());
            for (int c = 1; c < 3; ++c) m_list.SetItemText(row, c, rows[i][c].c_str());
            m_list.SetItemData(row, 100 + i);
        }
        Pump();
    }
    Texts Column(int column) const {
        Texts out;
        for (int row = 0; row < m_list.GetItemCount(); ++row)
            out.emplace_back(static_cast<LPCWSTR>(m_list.GetItemText(row, column)));
        return out;
    }
    CRect HeaderItem(int column) {
        CRect item;
        m_list.GetSortHeader().GetItemRect(column, &item);
        m_list.GetSortHeader().ClientToScreen(&item);
        return item;
    }
    void TapHeader(int column) { device::display::test::Tap(HeaderItem(column).CenterPoint()); }
    CSortListCtrl m_list;
};

const std::vector<Texts> kCodes = {
    {L"alpha", L"30", L"a"}, {L"Zulu", L"4", L"z"}, {L"Mike", L"100", L"m"}, {L"bravo", L"22", L"b"}};

TEST_F(SortListTest, TapsSortByCharacterCodeThenReverseWithWholeRows) {
    Make(kCodes);
    m_list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED); // "Zulu"
    TapHeader(0);
    EXPECT_EQ(Column(0), (Texts{L"Mike", L"Zulu", L"alpha", L"bravo"}));
    EXPECT_EQ(Column(1), (Texts{L"100", L"4", L"30", L"22"}));
    EXPECT_EQ(Column(2), (Texts{L"m", L"z", L"a", L"b"}));
    EXPECT_EQ(m_list.GetItemData(0), 102u);
    EXPECT_EQ(m_list.GetItemState(1, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));
    EXPECT_EQ(m_list.GetItemState(0, LVIS_SELECTED), 0u);
    TapHeader(0);
    EXPECT_EQ(Column(0), (Texts{L"bravo", L"alpha", L"Zulu", L"Mike"}));
    EXPECT_EQ(m_list.GetItemData(0), 103u);
    EXPECT_FALSE(m_list.IsSortAscending());
}

TEST_F(SortListTest, OnlyTheAllowedColumnsAnswer) {
    Make(kCodes);
    TapHeader(1);
    TapHeader(2);
    EXPECT_EQ(Column(0), (Texts{L"alpha", L"Zulu", L"Mike", L"bravo"}));
    EXPECT_EQ(m_list.GetSortColumn(), -1);
    m_list.AllowSecondColumnSort(TRUE);
    TapHeader(0);
    TapHeader(0);
    TapHeader(1); // another column starts ascending; codes compare as texts
    EXPECT_EQ(Column(1), (Texts{L"100", L"22", L"30", L"4"}));
    EXPECT_TRUE(m_list.IsSortAscending());
}

TEST_F(SortListTest, NothingToSortLeavesRowsAndHeaderAlone) {
    Make({{L"only", L"1", L"x"}});
    TapHeader(0);
    HDITEM item{};
    item.mask = HDI_FORMAT;
    m_list.GetSortHeader().GetItem(0, &item);
    EXPECT_FALSE(item.fmt & HDF_OWNERDRAW); // no arrow
    EXPECT_EQ(m_list.GetSortColumn(), 0);    // the tap is still recorded
    EXPECT_FALSE(m_list.SortTextItems(3, TRUE));
}

TEST_F(SortListTest, TheSortedHeaderShowsTheDirection) {
    Make(kCodes);
    const CRect item = HeaderItem(0);
    int cw = 0;
    {
        CClientDC dc(&m_list.GetSortHeader());
        CFont* old = dc.SelectObject(m_list.GetSortHeader().GetFont());
        cw = dc.GetTextExtent(L" ", 1).cx;
        dc.SelectObject(old);
    }
    ASSERT_GT(cw, 0);
    auto px = [&](int x, int y) {
        Pump();
        return device::display::test::PixelAt(x, item.top + y);
    };
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
    const int side = item.right - 5 * cw + 1, b = item.Height(); // off the apex, on the base line
    TapHeader(0); // ascending: a light base line below
    EXPECT_EQ(px(side, b - 2 * cw), light);
    EXPECT_NE(px(side, 2 * cw - 1), shadow);
    TapHeader(0); // descending: a shadow line on top
    EXPECT_EQ(px(side, 2 * cw - 1), shadow);
    EXPECT_NE(px(side, b - 2 * cw), light);
    int title = 0; // the title still drawn left of the arrow
    for (int y = 0; y < b; ++y)
        for (int x = item.left; x < side - cw; ++x) title += px(x, y) == GetSysColor(COLOR_BTNTEXT);
    EXPECT_GT(title, 0);
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
