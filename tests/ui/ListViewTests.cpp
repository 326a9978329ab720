// The list view: items and their order, finding, states and selection, taps and keys with the
// notifications the parent hears, the three views' geometry, scrolling, and hostile callers.
#include "ListViewTestSupport.h"

#include <random>

namespace uitest {
namespace {

using device::ui::InjectKey;
using device::ui::InjectStylus;
using device::ui::PumpUntilIdle;
using device::ui::StylusAction;

// ---- Items and order ---------------------------------------------------------------------------

TEST_F(ListViewTest, SortedListInsertsByTextIgnoringCase) {
    HWND list = MakeList(LVS_REPORT | LVS_SORTASCENDING);
    AddColumn(list, 0, L"Folder", 200);
    EXPECT_EQ(Add(list, L"pear"), 0);
    EXPECT_EQ(Add(list, L"Apple", 0), 0);
    EXPECT_EQ(Add(list, L"banana", 0), 1);      // the position asked for does not matter
    EXPECT_EQ(Add(list, L"apple"), 1);          // equal ignoring case: after the first
    EXPECT_EQ(Add(list, L".."), 0);             // ".." before every folder name
    EXPECT_EQ(Texts(list), (std::vector<std::wstring>{L"..", L"Apple", L"apple", L"banana", L"pear"}));

    // Unsorted lists insert where asked, clamped to the end.
    HWND plain = MakeList(LVS_REPORT, 0, 0, 100, 100, 1009);
    Add(plain, L"b");
    Add(plain, L"a", 0);
    Add(plain, L"c", 99);
    Add(plain, L"d", -5);
    EXPECT_EQ(Texts(plain), (std::vector<std::wstring>{L"d", L"a", L"b", L"c"}));
}

TEST_F(ListViewTest, InsertAndDeleteTellTheParentAndKeepTheMark) {
    HWND list = MakeList(LVS_REPORT);
    AddColumn(list, 0, L"A", 100);
    for (int i = 0; i < 4; ++i) Add(list, L"item" + std::to_wstring(i), i, 100 + i);
    auto inserts = NotesOf(LVN_INSERTITEM);
    ASSERT_EQ(inserts.size(), 4u);
    EXPECT_EQ(inserts[2].lv.iItem, 2);

    ListView_SetSelectionMark(list, 2);
    notes.clear();
    EXPECT_TRUE(ListView_DeleteItem(list, 0));
    auto deletes = NotesOf(LVN_DELETEITEM);
    ASSERT_EQ(deletes.size(), 1u);
    EXPECT_EQ(deletes[0].lv.iItem, 0);
    EXPECT_EQ(deletes[0].lv.lParam, 100);
    EXPECT_EQ(ListView_GetSelectionMark(list), 1);  // the marked item moved up
    EXPECT_FALSE(ListView_DeleteItem(list, 3));
    EXPECT_FALSE(ListView_DeleteItem(list, -1));

    notes.clear();
    EXPECT_TRUE(ListView_DeleteAllItems(list));
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    EXPECT_EQ(NotesOf(LVN_DELETEALLITEMS).size(), 1u);
    EXPECT_EQ(NotesOf(LVN_DELETEITEM).size(), 3u);
    EXPECT_EQ(ListView_GetSelectionMark(list), -1);
}

TEST_F(ListViewTest, ItemFieldsAndSubItemsReadBackAndBadIndexesFail) {
    HWND list = MakeList(LVS_REPORT);
    AddColumn(list, 0, L"Country", 100);
    AddColumn(list, 1, L"Code", 60);
    Add(list, L"Chad", 0, 42);
    EXPECT_TRUE(ListView_SetItemText(list, 0, 1, L"+235"));
    EXPECT_EQ(Text(list, 0, 1), L"+235");
    EXPECT_EQ(Text(list, 0, 0), L"Chad");

    LVITEMW item{};
    wchar_t buf[8];
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE | LVIF_STATE;
    item.iItem = 0;
    item.pszText = buf;
    item.cchTextMax = 3;
    item.stateMask = 0xFFFF;
    ASSERT_TRUE(ListView_GetItem(list, &item));
    EXPECT_STREQ(buf, L"Ch");  // truncated to the buffer
    EXPECT_EQ(item.lParam, 42);

    LVITEMW set{};
    set.mask = LVIF_IMAGE | LVIF_PARAM;
    set.iItem = 0;
    set.iImage = 3;
    set.lParam = 7;
    ASSERT_TRUE(ListView_SetItem(list, &set));
    item.mask = LVIF_IMAGE | LVIF_PARAM;
    ASSERT_TRUE(ListView_GetItem(list, &item));
    EXPECT_EQ(item.iImage, 3);
    EXPECT_EQ(item.lParam, 7);

    // A sub-item with no column, a missing row, null structures: refused, buffers emptied.
    EXPECT_FALSE(ListView_SetItemText(list, 0, 2, L"x"));
    EXPECT_FALSE(ListView_SetItemText(list, 1, 0, L"x"));
    EXPECT_EQ(Text(list, 0, 5), L"");
    EXPECT_EQ(Text(list, 9, 0), L"");
    item.iItem = 1;
    EXPECT_FALSE(ListView_GetItem(list, &item));
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMW, 0, 0), FALSE);
    EXPECT_EQ(SendMessageW(list, LVM_INSERTITEMW, 0, 0), -1);
    EXPECT_EQ(SendMessageW(list, LVM_SETITEMSTATE, 0, 0), FALSE);
    EXPECT_EQ(ListView_GetItemState(list, 5, LVIS_SELECTED), 0u);
    LVITEMW sub{};
    sub.mask = LVIF_TEXT;
    sub.iSubItem = 1;
    sub.pszText = const_cast<LPWSTR>(L"x");
    EXPECT_EQ(ListView_InsertItem(list, &sub), -1);  // items are inserted through column 0 only
    EXPECT_EQ(ListView_GetItemCount(list), 1);
}

// ---- Columns and header ------------------------------------------------------------------------

TEST_F(ListViewTest, ColumnsStayInStepWithTheHeader) {
    HWND list = MakeList(LVS_REPORT);
    AddColumn(list, 0, L"Unit name", 145);
    AddColumn(list, 1, L"Value", 78, LVCFMT_RIGHT);
    HWND header = ListView_GetHeader(list);
    ASSERT_TRUE(IsWindow(header));
    EXPECT_EQ(GetDlgCtrlID(header), 0);
    EXPECT_EQ(Header_GetItemCount(header), 2);

    // Changing only the text (as a caller renaming a column heading does).
    wchar_t buf[64];
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = buf;
    col.cchTextMax = 64;
    ASSERT_TRUE(ListView_GetColumn(list, 1, &col));
    EXPECT_STREQ(buf, L"Value");
    wcscat(buf, L"/m\u00b2");
    ASSERT_TRUE(ListView_SetColumn(list, 1, &col));
    HDITEMW hd{};
    wchar_t hbuf[64];
    hd.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    hd.pszText = hbuf;
    hd.cchTextMax = 64;
    ASSERT_TRUE(Header_GetItem(header, 1, &hd));
    EXPECT_STREQ(hbuf, L"Value/m\u00b2");
    EXPECT_EQ(hd.cxy, 78);
    EXPECT_EQ(hd.fmt & HDF_JUSTIFYMASK, HDF_RIGHT);

    col.mask = LVCF_WIDTH | LVCF_FMT;
    ASSERT_TRUE(ListView_GetColumn(list, 1, &col));
    EXPECT_EQ(col.cx, 78);
    EXPECT_EQ(col.fmt, LVCFMT_RIGHT);

    // Widths: set, fitted to the texts, and the last column filling the rest of the view.
    EXPECT_TRUE(ListView_SetColumnWidth(list, 0, 90));
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), 90);
    Add(list, L"a very long unit name indeed");
    EXPECT_TRUE(ListView_SetColumnWidth(list, 0, LVSCW_AUTOSIZE));
    int fitted = ListView_GetColumnWidth(list, 0);
    EXPECT_GT(fitted, ListView_GetStringWidth(list, L"a very long unit name indeed"));
    EXPECT_TRUE(ListView_SetColumnWidth(list, 1, LVSCW_AUTOSIZE_USEHEADER));
    EXPECT_EQ(ListView_GetColumnWidth(list, 1), 240 - fitted);
    ASSERT_TRUE(Header_GetItem(header, 1, &hd));
    EXPECT_EQ(hd.cxy, 240 - fitted);

    // A width changed through the header reaches the list.
    hd.mask = HDI_WIDTH;
    hd.cxy = 33;
    Header_SetItem(header, 0, &hd);
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), 33);

    EXPECT_FALSE(ListView_GetColumn(list, 2, &col));
    EXPECT_FALSE(ListView_SetColumnWidth(list, 5, 10));
    EXPECT_TRUE(ListView_DeleteColumn(list, 1));
    EXPECT_EQ(Header_GetItemCount(header), 1);
    EXPECT_FALSE(ListView_DeleteColumn(list, 1));
}

TEST_F(ListViewTest, HeaderTapBecomesColumnClickUnlessTheHeaderDoesNotSort) {
    HWND list = MakeList(LVS_REPORT);
    AddColumn(list, 0, L"City", 80);
    AddColumn(list, 1, L"Region(State)", 80);
    AddColumn(list, 2, L"Code", 60);
    HWND header = ListView_GetHeader(list);
    RECT r{};
    Header_GetItemRect(header, 1, &r);
    TapAt(header, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    auto clicks = NotesOf(LVN_COLUMNCLICK);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].lv.iSubItem, 1);
    EXPECT_EQ(clicks[0].lv.iItem, -1);

    DestroyWindow(list);
    HWND still = MakeList(LVS_REPORT | LVS_NOSORTHEADER, 0, 0, 240, 100, 1010);
    AddColumn(still, 0, L"City", 80);
    notes.clear();
    TapAt(ListView_GetHeader(still), POINT{20, 5});
    EXPECT_TRUE(NotesOf(LVN_COLUMNCLICK).empty());

    // No header at all without the report view or with LVS_NOCOLUMNHEADER.
    HWND bare = MakeList(LVS_REPORT | LVS_NOCOLUMNHEADER, 0, 0, 240, 100, 1011);
    AddColumn(bare, 0, L"City", 80);
    EXPECT_FALSE(IsWindowVisible(ListView_GetHeader(bare)));
    Add(bare, L"Akron");
    RECT item{};
    item.left = LVIR_BOUNDS;
    ASSERT_TRUE(ListView_GetItemRect(bare, 0, &item, LVIR_BOUNDS));
    EXPECT_EQ(item.top, 0);
}

// ---- Finding -----------------------------------------------------------------------------------

TEST_F(ListViewTest, FindItemWholeTextPrefixParamStartAndWrap) {
    HWND list = MakeList(LVS_REPORT);
    AddColumn(list, 0, L"Country", 100);
    LVFINDINFOW find{};
    find.flags = LVFI_PARTIAL | LVFI_STRING;
    find.psz = L"ch";
    EXPECT_EQ(ListView_FindItem(list, -1, &find), -1);  // empty list

    const wchar_t* names[] = {L"Canada", L"Chad", L"Chile", L"China", L"chad"};
    for (int i = 0; i < 5; ++i) Add(list, names[i], i, 10 + i);

    EXPECT_EQ(ListView_FindItem(list, -1, &find), 1);   // first prefix match, any case
    find.psz = L"CH";
    EXPECT_EQ(ListView_FindItem(list, -1, &find), 1);
    EXPECT_EQ(ListView_FindItem(list, 1, &find), 2);    // the start item itself is skipped
    EXPECT_EQ(ListView_FindItem(list, 4, &find), -1);   // nothing after the last one ...
    find.flags |= LVFI_WRAP;
    EXPECT_EQ(ListView_FindItem(list, 4, &find), 1);    // ... unless the search wraps
    EXPECT_EQ(ListView_FindItem(list, 99, &find), 1);   // a start past the end wraps to the top
    find.psz = L"";
    find.flags = LVFI_PARTIAL | LVFI_STRING;
    EXPECT_EQ(ListView_FindItem(list, -1, &find), 0);   // an empty prefix matches the first row

    find.flags = LVFI_STRING;                           // whole text, any case
    find.psz = L"CHAD";
    EXPECT_EQ(ListView_FindItem(list, -1, &find), 1);
    EXPECT_EQ(ListView_FindItem(list, 1, &find), 4);
    find.psz = L"Cha";
    EXPECT_EQ(ListView_FindItem(list, -1, &find), -1);  // a prefix is not the whole text
    find.psz = nullptr;
    EXPECT_EQ(ListView_FindItem(list, -1, &find), -1);

    find.flags = LVFI_PARAM;
    find.lParam = 13;
    EXPECT_EQ(ListView_FindItem(list, -1, &find), 3);
    find.flags = 0;
    EXPECT_EQ(ListView_FindItem(list, -1, &find), -1);
    EXPECT_EQ(SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), 0), -1);
}

// ---- States and selection ----------------------------------------------------------------------

TEST_F(ListViewTest, StateForEveryItemWithMinusOne) {
    HWND multi = MakeList(LVS_REPORT);
    AddColumn(multi, 0, L"A", 100);
    for (int i = 0; i < 4; ++i) Add(multi, L"x" + std::to_wstring(i), i);
    notes.clear();
    EXPECT_TRUE(ListView_SetItemState(multi, -1, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(ListView_GetSelectedCount(multi), 4u);
    EXPECT_EQ(NotesOf(LVN_ITEMCHANGED).size(), 4u);
    EXPECT_EQ(ListView_GetNextItem(multi, -1, LVNI_SELECTED), 0);
    EXPECT_EQ(ListView_GetNextItem(multi, 2, LVNI_SELECTED), 3);
    EXPECT_EQ(ListView_GetNextItem(multi, 3, LVNI_SELECTED), -1);
    EXPECT_TRUE(ListView_SetItemState(multi, -1, 0, LVIS_SELECTED));
    EXPECT_EQ(ListView_GetSelectedCount(multi), 0u);
    EXPECT_EQ(ListView_GetNextItem(multi, -1, LVNI_SELECTED), -1);
    EXPECT_EQ(ListView_GetNextItem(multi, -1, LVNI_ALL), 0);
    EXPECT_EQ(ListView_GetNextItem(multi, 1, LVNI_ALL), 2);

    // Single selection: one selected item at most; "select every item" selects none more.
    HWND single = MakeList(LVS_REPORT | LVS_SINGLESEL, 0, 0, 240, 100, 1009);
    AddColumn(single, 0, L"A", 100);
    for (int i = 0; i < 3; ++i) Add(single, L"y" + std::to_wstring(i), i);
    ListView_SetItemState(single, 1, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(single, 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(ListView_GetSelectedCount(single), 1u);
    EXPECT_EQ(ListView_GetNextItem(single, -1, LVNI_SELECTED), 2);
    ListView_SetItemState(single, -1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(ListView_GetSelectedCount(single), 1u);
    EXPECT_EQ(ListView_GetNextItem(single, -1, LVNI_SELECTED), 2);
    ListView_SetItemState(single, -1, 0, LVIS_SELECTED);
    EXPECT_EQ(ListView_GetSelectedCount(single), 0u);
    EXPECT_EQ(ListView_GetNextItem(single, -1, LVNI_FOCUSED), 2);  // focus is another state
}

TEST_F(ListViewTest, ParentCanRefuseAStateChange) {
    HWND list = MakeList(LVS_LIST);
    Add(list, L"keep");
    onNotify = [](const Note& n) -> LRESULT { return n.code == LVN_ITEMCHANGING ? TRUE : 0; };
    EXPECT_FALSE(ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(ListView_GetItemState(list, 0, LVIS_SELECTED), 0u);
    EXPECT_TRUE(NotesOf(LVN_ITEMCHANGED).empty());
}

TEST_F(ListViewTest, CheckStatesWithTheCheckBoxStyle) {
    HWND list = MakeList(LVS_LIST);
    Add(list, L"before");
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    Add(list, L"after");
    EXPECT_FALSE(ListView_GetCheckState(list, 0));
    EXPECT_FALSE(ListView_GetCheckState(list, 1));
    EXPECT_EQ(ListView_GetItemState(list, 1, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(1));
    ListView_SetCheckState(list, 1, TRUE);
    EXPECT_TRUE(ListView_GetCheckState(list, 1));
    EXPECT_FALSE(ListView_GetCheckState(list, 0));
    ListView_SetCheckState(list, -1, TRUE);  // every item
    EXPECT_TRUE(ListView_GetCheckState(list, 0));
    EXPECT_EQ(ListView_GetExtendedListViewStyle(list), LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
}

// ---- Taps --------------------------------------------------------------------------------------

TEST_F(ListViewTest, TapInTheCheckBoxTogglesButATapOnTheLabelOnlySelects) {
    HWND list = MakeList(LVS_LIST | WS_BORDER | WS_VSCROLL, 5, 40, 230, 150, 43768);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    Add(list, L"Passport", 0);
    Add(list, L"Tickets", 1);
    RECT state{}, label{};
    ListView_GetItemRect(list, 1, &label, LVIR_LABEL);
    LVHITTESTINFO hit{};
    hit.pt = POINT{5, (label.top + label.bottom) / 2};
    EXPECT_EQ(ListView_HitTest(list, &hit), 1);
    EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_ONITEMSTATEICON));
    (void)state;

    notes.clear();
    TapAt(list, hit.pt);
    EXPECT_TRUE(ListView_GetCheckState(list, 1));
    auto changed = NotesOf(LVN_ITEMCHANGED);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].lv.iItem, 1);
    EXPECT_EQ(changed[0].lv.uChanged, static_cast<UINT>(LVIF_STATE));
    EXPECT_EQ(changed[0].lv.uNewState & LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
    EXPECT_EQ(changed[0].lv.uOldState & LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(1));
    ASSERT_EQ(NotesOf(NM_CLICK).size(), 1u);
    TapAt(list, hit.pt);
    EXPECT_FALSE(ListView_GetCheckState(list, 1));

    // The label: selected, check unchanged.
    TapAt(list, POINT{label.left + 10, (label.top + label.bottom) / 2});
    EXPECT_FALSE(ListView_GetCheckState(list, 1));
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 1);
    EXPECT_EQ(ListView_GetSelectionMark(list), 1);
    EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL);  // the list draws its own bar
}

TEST_F(ListViewTest, ClickCarriesTheTappedItemAndPoint) {
    HWND list = MakeList(LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0, 20, 240, 200);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    AddColumn(list, 0, L"Unit name", 145);
    AddColumn(list, 1, L"Value", 78);
    for (int i = 0; i < 5; ++i) {
        Add(list, L"unit" + std::to_wstring(i), i, 500 + i);
        ListView_SetItemText(list, i, 1, std::to_wstring(i * 10).c_str());
    }
    RECT row{};
    ListView_GetItemRect(list, 3, &row, LVIR_BOUNDS);
    POINT tap{180, (row.top + row.bottom) / 2};  // in column 1: full-row selection takes it
    notes.clear();
    TapAt(list, tap);
    auto clicks = NotesOf(NM_CLICK);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].id, 1008u);
    EXPECT_EQ(clicks[0].act.iItem, 3);
    EXPECT_EQ(clicks[0].act.iSubItem, 1);
    EXPECT_EQ(clicks[0].act.ptAction.x, tap.x);
    EXPECT_EQ(clicks[0].act.ptAction.y, tap.y);
    EXPECT_EQ(clicks[0].act.lParam, 503);
    POINT screen = tap;
    ClientToScreen(list, &screen);
    EXPECT_EQ(clicks[0].messagePos.x, screen.x);  // GetMessagePos inside the handler: the tap
    EXPECT_EQ(clicks[0].messagePos.y, screen.y);
    EXPECT_EQ(ListView_GetSelectionMark(list), 3);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 3);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 3);
    EXPECT_EQ(GetFocus(), list);
    // The selection is known before the parent hears the click.
    auto changes = NotesOf(LVN_ITEMCHANGED);
    ASSERT_FALSE(changes.empty());

    // A tap below the rows: no item, selection cleared, mark kept.
    notes.clear();
    TapAt(list, POINT{50, 190});
    clicks = NotesOf(NM_CLICK);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].act.iItem, -1);
    EXPECT_EQ(ListView_GetSelectedCount(list), 0u);
    EXPECT_EQ(ListView_GetSelectionMark(list), 3);
}

TEST_F(ListViewTest, WithoutFullRowSelectOnlyTheFirstColumnHits) {
    HWND list = MakeList(LVS_REPORT);
    AddColumn(list, 0, L"A", 80);
    AddColumn(list, 1, L"B", 80);
    Add(list, L"row");
    RECT row{};
    ListView_GetItemRect(list, 0, &row, LVIR_BOUNDS);
    LVHITTESTINFO hit{};
    hit.pt = POINT{120, row.top + 2};
    EXPECT_EQ(ListView_HitTest(list, &hit), -1);
    hit.pt = POINT{20, row.top + 2};
    EXPECT_EQ(ListView_SubItemHitTest(list, &hit), 0);
    EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_ONITEMLABEL));
}

TEST_F(ListViewTest, DoubleTapSendsClickThenDoubleClick) {
    HWND list = MakeList(LVS_LIST);
    Add(list, L"Socks");
    RECT label{};
    ListView_GetItemRect(list, 0, &label, LVIR_LABEL);
    POINT pt{label.left + 5, label.top + 3};
    ClientToScreen(list, &pt);
    for (int i = 0; i < 2; ++i) {
        InjectStylus(StylusAction::Down, pt);
        InjectStylus(StylusAction::Up, pt);
    }
    PumpUntilIdle();
    std::vector<UINT> codes;
    for (const Note& n : notes)
        if (n.code == NM_CLICK || n.code == NM_DBLCLK) codes.push_back(n.code);
    ASSERT_EQ(codes.size(), 2u);
    EXPECT_EQ(codes[0], NM_CLICK);
    EXPECT_EQ(codes[1], NM_DBLCLK);
    EXPECT_EQ(NotesOf(NM_DBLCLK)[0].act.iItem, 0);
}

// ---- Keys --------------------------------------------------------------------------------------

TEST_F(ListViewTest, KeysAreReportedThenMoveTheSelection) {
    HWND list = MakeList(LVS_REPORT | LVS_SINGLESEL);
    AddColumn(list, 0, L"A", 100);
    for (int i = 0; i < 5; ++i) Add(list, L"k" + std::to_wstring(i), i);
    SetFocus(list);
    ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    notes.clear();
    InjectKey(VK_DOWN, true);
    InjectKey(VK_DOWN, false);
    PumpUntilIdle();
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes[0].code, LVN_KEYDOWN);  // the parent hears the key first
    EXPECT_EQ(notes[0].key, VK_DOWN);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 2);
    EXPECT_EQ(ListView_GetSelectionMark(list), 2);
    InjectKey(VK_END, true);
    PumpUntilIdle();
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 4);
    InjectKey(VK_UP, true);
    InjectKey(VK_UP, true);
    PumpUntilIdle();
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED | LVNI_FOCUSED), 2);
    InjectKey(VK_HOME, true);
    InjectKey(VK_UP, true);  // stays on the first item
    PumpUntilIdle();
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 0);
    EXPECT_EQ(SendMessageW(list, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);
}

TEST_F(ListViewTest, SpaceTogglesTheFocusedCheckBox) {
    HWND list = MakeList(LVS_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES);
    Add(list, L"a");
    Add(list, L"b", 1);
    SetFocus(list);
    ListView_SetItemState(list, 1, LVIS_FOCUSED, LVIS_FOCUSED);
    InjectKey(VK_SPACE, true);
    PumpUntilIdle();
    EXPECT_TRUE(ListView_GetCheckState(list, 1));
    EXPECT_FALSE(ListView_GetCheckState(list, 0));
}

// ---- Geometry of the views ---------------------------------------------------------------------

TEST_F(ListViewTest, IconViewArrangesCellsByTheIconSpacing) {
    HWND list = MakeList(LVS_ICON | LVS_SINGLESEL | LVS_AUTOARRANGE, 0, 0, 240, 120);
    ListView_SetImageList(list, FakeImages(), LVSIL_NORMAL);
    ListView_SetIconSpacing(list, 240 / 4 - 4, 23);
    for (int i = 0; i < 5; ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.pszText = const_cast<LPWSTR>(L"");
        item.iImage = i;
        ListView_InsertItem(list, &item);
    }
    EXPECT_EQ(ListView_GetItemSpacing(list, FALSE), static_cast<DWORD>(MAKELONG(56, 23)));
    // Four cells of 56 fit in 240: item 4 starts the second row.
    for (int i = 0; i < 5; ++i) {
        RECT icon{};
        ASSERT_TRUE(ListView_GetItemRect(list, i, &icon, LVIR_ICON));
        int col = i % 4, row = i / 4;
        EXPECT_EQ(icon.left, col * 56 + (56 - 23) / 2) << i;
        EXPECT_EQ(icon.right - icon.left, 23);
        EXPECT_EQ(icon.bottom - icon.top, 23);
        EXPECT_EQ(icon.top, row * 23 + 2) << i;
    }
    // A tap on an icon selects it and the parent finds it with LVNI_SELECTED.
    RECT icon{};
    ListView_GetItemRect(list, 2, &icon, LVIR_ICON);
    LVHITTESTINFO hit{};
    hit.pt = POINT{icon.left + 5, icon.top + 5};
    EXPECT_EQ(ListView_HitTest(list, &hit), 2);
    EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_ONITEMICON));
    TapAt(list, hit.pt);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 2);
    ASSERT_EQ(NotesOf(NM_CLICK).size(), 1u);
    // Item 0's label reaches into the icon of item 4 below it: the icon wins.
    RECT below{}, label{};
    ListView_GetItemRect(list, 4, &below, LVIR_ICON);
    ListView_GetItemRect(list, 0, &label, LVIR_LABEL);
    POINT inBoth{below.left + 11, below.top + 3};
    ASSERT_TRUE(PtInRect(&label, inBoth));
    hit.pt = inBoth;
    EXPECT_EQ(ListView_HitTest(list, &hit), 4);
    EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_ONITEMICON));
    hit.pt = POINT{label.left + 1, label.top + 1}; // beside every icon: still item 0's label
    EXPECT_EQ(ListView_HitTest(list, &hit), 0);
    EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_ONITEMLABEL));
    // The icon was drawn where the list says it is (image 2 is blue in the stand-in list).
    PumpUntilIdle();
    POINT c{icon.left + 11, icon.top + 11};
    ClientToScreen(list, &c);
    EXPECT_EQ(Pixel(c.x, c.y), RGB(0, 0, 200));

    // A narrower view puts fewer icons on a row.
    MoveWindow(list, 0, 0, 120, 120, TRUE);
    RECT second{};
    ListView_GetItemRect(list, 2, &second, LVIR_ICON);
    EXPECT_EQ(second.top, 23 + 2);
    // Spacing -1 returns to the default.
    ListView_SetIconSpacing(list, -1, -1);
    EXPECT_NE(ListView_GetItemSpacing(list, FALSE), static_cast<DWORD>(MAKELONG(56, 23)));
}

TEST_F(ListViewTest, ReportRowsSitUnderTheHeaderWithIconAndCheckColumns) {
    HWND list = MakeList(LVS_REPORT);
    ListView_SetImageList(list, FakeSmallImages(), LVSIL_SMALL);
    AddColumn(list, 0, L"Folder", 150);
    AddColumn(list, 1, L"Size", 60);
    Add(list, L"..");
    Add(list, L"Windows", 1);
    RECT header{};
    GetWindowRect(ListView_GetHeader(list), &header);
    int headerHeight = header.bottom - header.top;
    RECT b0{}, b1{}, icon{}, label{};
    ListView_GetItemRect(list, 0, &b0, LVIR_BOUNDS);
    ListView_GetItemRect(list, 1, &b1, LVIR_BOUNDS);
    ListView_GetItemRect(list, 1, &icon, LVIR_ICON);
    ListView_GetItemRect(list, 1, &label, LVIR_LABEL);
    EXPECT_EQ(b0.top, headerHeight);
    EXPECT_EQ(b1.top, b0.bottom);
    EXPECT_EQ(b0.right - b0.left, 210);
    EXPECT_EQ(icon.right - icon.left, 16);
    EXPECT_GE(label.left, icon.right);
    EXPECT_EQ(label.right, 150);
    RECT sub{};
    sub.top = 1;
    sub.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageW(list, LVM_GETSUBITEMRECT, 1, reinterpret_cast<LPARAM>(&sub)));
    EXPECT_EQ(sub.left, 150);
    EXPECT_EQ(sub.right, 210);
    RECT bad{};
    bad.left = 99;
    EXPECT_FALSE(ListView_GetItemRect(list, 0, &bad, 99));
    EXPECT_FALSE(ListView_GetItemRect(list, 2, &bad, LVIR_BOUNDS));
}

TEST_F(ListViewTest, ListViewFillsColumnsTopToBottom) {
    HWND list = MakeList(LVS_LIST, 0, 0, 240, 100);
    for (int i = 0; i < 20; ++i) Add(list, L"item " + std::to_wstring(i), i);
    int perPage = ListView_GetCountPerPage(list);
    RECT r0{}, r1{};
    ListView_GetItemRect(list, 0, &r0, LVIR_BOUNDS);
    ListView_GetItemRect(list, 1, &r1, LVIR_BOUNDS);
    EXPECT_EQ(r1.top, r0.bottom);
    EXPECT_EQ(r1.left, r0.left);
    int rows = 0;
    for (int i = 0; i < 20; ++i) {
        RECT r{};
        ListView_GetItemRect(list, i, &r, LVIR_BOUNDS);
        if (r.left == r0.left) ++rows;
    }
    RECT next{};
    ListView_GetItemRect(list, rows, &next, LVIR_BOUNDS);
    EXPECT_EQ(next.top, r0.top);
    EXPECT_EQ(next.left, r0.right);
    EXPECT_EQ(perPage % rows, 0);
    ListView_SetColumnWidth(list, 0, 50);
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), 50);
    ListView_GetItemRect(list, rows, &next, LVIR_BOUNDS);
    EXPECT_EQ(next.left, 50);
}

// ---- Scrolling ---------------------------------------------------------------------------------

TEST_F(ListViewTest, EnsureVisibleScrollsJustEnough) {
    HWND list = MakeList(LVS_REPORT | LVS_SINGLESEL, 0, 0, 240, 150);
    AddColumn(list, 0, L"City", 200);
    for (int i = 0; i < 60; ++i) Add(list, L"city " + std::to_wstring(i), i);
    int perPage = ListView_GetCountPerPage(list);
    ASSERT_GT(perPage, 3);
    ASSERT_LT(perPage, 20);
    EXPECT_EQ(ListView_GetTopIndex(list), 0);
    ListView_EnsureVisible(list, 40, FALSE);
    EXPECT_EQ(ListView_GetTopIndex(list), 40 - perPage + 1);  // the item ends up on the last full row
    RECT r{}, client{};
    ListView_GetItemRect(list, 40, &r, LVIR_BOUNDS);
    GetClientRect(list, &client);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.bottom, client.bottom);
    ListView_EnsureVisible(list, 38, FALSE);  // already visible: no move
    EXPECT_EQ(ListView_GetTopIndex(list), 40 - perPage + 1);
    ListView_EnsureVisible(list, 5, FALSE);
    EXPECT_EQ(ListView_GetTopIndex(list), 5);
    ListView_EnsureVisible(list, 500, FALSE);  // bad index: nothing happens
    EXPECT_EQ(ListView_GetTopIndex(list), 5);

    // LVM_SCROLL moves by pixels rounded to whole rows, within the range.
    RECT row{};
    ListView_GetItemRect(list, 5, &row, LVIR_BOUNDS);
    int rowHeight = row.bottom - row.top;
    ListView_Scroll(list, 0, 3 * rowHeight);
    EXPECT_EQ(ListView_GetTopIndex(list), 8);
    ListView_Scroll(list, 0, -100000);
    EXPECT_EQ(ListView_GetTopIndex(list), 0);
    ListView_Scroll(list, 0, 100000);
    EXPECT_EQ(ListView_GetTopIndex(list), 60 - perPage);

    // Deleting rows pulls the view back into range.
    for (int i = 0; i < 50; ++i) ListView_DeleteItem(list, 0);
    EXPECT_EQ(ListView_GetTopIndex(list), std::max(0, 10 - perPage));
}

TEST_F(ListViewTest, DraggingTheScrollBarThumbScrolls) {
    HWND list = MakeList(LVS_REPORT, 0, 0, 240, 150);
    AddColumn(list, 0, L"City", 200);
    for (int i = 0; i < 100; ++i) Add(list, L"c" + std::to_wstring(i), i);
    RECT client{};
    GetClientRect(list, &client);
    int barX = client.right - GetSystemMetrics(SM_CXVSCROLL) / 2;
    RECT header{};
    GetWindowRect(ListView_GetHeader(list), &header);
    // The thumb starts at the top of the bar, under its up arrow; drag it to the bottom.
    POINT from{barX, GetSystemMetrics(SM_CXVSCROLL) + 3}, to{barX, client.bottom + 50};
    ClientToScreen(list, &from);
    ClientToScreen(list, &to);
    InjectStylus(StylusAction::Down, from);
    InjectStylus(StylusAction::Move, POINT{from.x, (from.y + to.y) / 2});
    PumpUntilIdle();
    int middle = ListView_GetTopIndex(list);
    InjectStylus(StylusAction::Move, to);
    InjectStylus(StylusAction::Up, to);
    PumpUntilIdle();
    EXPECT_GT(middle, 0);
    EXPECT_EQ(ListView_GetTopIndex(list), 100 - ListView_GetCountPerPage(list));
    EXPECT_TRUE(NotesOf(NM_CLICK).empty());  // the bar is no item
    // A tap on the track above the thumb pages up.
    int before = ListView_GetTopIndex(list);
    TapAt(list, POINT{barX, 20});
    EXPECT_EQ(ListView_GetTopIndex(list), before - ListView_GetCountPerPage(list));
    // The arrow boxes at the ends move one row.
    before = ListView_GetTopIndex(list);
    TapAt(list, POINT{barX, 3});
    EXPECT_EQ(ListView_GetTopIndex(list), before - 1);
    TapAt(list, POINT{barX, client.bottom - 3});
    EXPECT_EQ(ListView_GetTopIndex(list), before);
}

// ---- Sorting -----------------------------------------------------------------------------------

int CALLBACK ByParam(LPARAM a, LPARAM b, LPARAM descending) {
    int c = a < b ? -1 : a > b ? 1 : 0;
    return descending ? -c : c;
}

int CALLBACK Chaotic(LPARAM, LPARAM, LPARAM) {
    static std::mt19937 random(7);
    return static_cast<int>(random() % 3) - 1;
}

TEST_F(ListViewTest, SortItemsUsesTheCallbackAndKeepsTheMarkOnItsItem) {
    HWND list = MakeList(LVS_REPORT);
    AddColumn(list, 0, L"A", 100);
    const int values[] = {30, 10, 50, 20, 40};
    for (int i = 0; i < 5; ++i) Add(list, std::to_wstring(values[i]), i, values[i]);
    ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);  // "50"
    ListView_SetSelectionMark(list, 2);
    EXPECT_TRUE(ListView_SortItems(list, ByParam, 0));
    EXPECT_EQ(Texts(list), (std::vector<std::wstring>{L"10", L"20", L"30", L"40", L"50"}));
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 4);
    EXPECT_EQ(ListView_GetSelectionMark(list), 4);
    EXPECT_TRUE(ListView_SortItems(list, ByParam, 1));
    EXPECT_EQ(Text(list, 0), L"50");

    // A callback that contradicts itself: some order, every item still there once.
    for (int i = 0; i < 200; ++i) Add(list, L"r" + std::to_wstring(i), i, i);
    EXPECT_TRUE(ListView_SortItems(list, Chaotic, 0));
    EXPECT_EQ(ListView_GetItemCount(list), 205);
    auto texts = Texts(list);
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(std::unique(texts.begin(), texts.end()), texts.end());
    EXPECT_FALSE(ListView_SortItems(list, nullptr, 0));
}

// ---- Hostile parents ---------------------------------------------------------------------------

TEST_F(ListViewTest, DeletingItemsInsideNotificationsIsSafe) {
    HWND list = MakeList(LVS_REPORT);
    AddColumn(list, 0, L"A", 100);
    for (int i = 0; i < 6; ++i) Add(list, L"d" + std::to_wstring(i), i, i);

    // Deleting another item while hearing of one deletion.
    bool nested = false;
    onNotify = [&](const Note& n) -> LRESULT {
        if (n.code == LVN_DELETEITEM && !nested) {
            nested = true;
            ListView_DeleteItem(list, ListView_GetItemCount(list) - 1);
        }
        return 0;
    };
    EXPECT_TRUE(ListView_DeleteItem(list, 0));
    EXPECT_EQ(Texts(list), (std::vector<std::wstring>{L"d1", L"d2", L"d3", L"d4"}));

    // Deleting the very item being deleted.
    onNotify = [&](const Note& n) -> LRESULT {
        if (n.code == LVN_DELETEITEM && n.lv.iItem == 0 && ListView_GetItemCount(list) == 4) ListView_DeleteItem(list, 0);
        return 0;
    };
    EXPECT_TRUE(ListView_DeleteItem(list, 0));
    EXPECT_EQ(Texts(list), (std::vector<std::wstring>{L"d2", L"d3", L"d4"}));

    // Emptying the list when a selection changes, then tapping and keying on the empty list.
    onNotify = [&](const Note& n) -> LRESULT {
        if (n.code == LVN_ITEMCHANGED) ListView_DeleteAllItems(list);
        return 0;
    };
    EXPECT_TRUE(ListView_SetItemState(list, -1, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    onNotify = nullptr;
    TapAt(list, POINT{20, 30});
    InjectKey(VK_DOWN, true);
    PumpUntilIdle();

    // Destroying the list from its own click notification.
    Add(list, L"last");
    onNotify = [&](const Note& n) -> LRESULT {
        if (n.code == NM_CLICK) DestroyWindow(list);
        return 0;
    };
    RECT r{};
    ListView_GetItemRect(list, 0, &r, LVIR_LABEL);
    TapAt(list, POINT{r.left + 3, r.top + 3});
    EXPECT_FALSE(IsWindow(list));
}

TEST_F(ListViewTest, DeleteAllItemsCanSkipPerItemNotifications) {
    HWND list = MakeList(LVS_LIST);
    for (int i = 0; i < 3; ++i) Add(list, L"x", i);
    onNotify = [](const Note& n) -> LRESULT { return n.code == LVN_DELETEALLITEMS ? TRUE : 0; };
    notes.clear();
    ListView_DeleteAllItems(list);
    EXPECT_TRUE(NotesOf(LVN_DELETEITEM).empty());
    EXPECT_EQ(ListView_GetItemCount(list), 0);
}

// ---- Colours and screenshots -------------------------------------------------------------------

TEST_F(ListViewTest, BackgroundAndSelectionColours) {
    HWND list = MakeList(LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL, 0, 0, 240, 120);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    AddColumn(list, 0, L"A", 120);
    AddColumn(list, 1, L"B", 120);
    Add(list, L"one");
    Add(list, L"two", 1);
    ListView_SetBkColor(list, RGB(123, 158, 189));
    ListView_SetTextBkColor(list, RGB(123, 158, 189));
    EXPECT_EQ(ListView_GetBkColor(list), RGB(123, 158, 189));
    EXPECT_EQ(ListView_GetTextBkColor(list), RGB(123, 158, 189));
    ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
    UpdateWindow(list);
    PumpUntilIdle();
    RECT sel{};
    ListView_GetItemRect(list, 1, &sel, LVIR_BOUNDS);
    POINT inRow{200, sel.bottom - 2}, empty{200, 100};
    ClientToScreen(list, &inRow);
    ClientToScreen(list, &empty);
    EXPECT_EQ(Pixel(inRow.x, inRow.y), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(Pixel(empty.x, empty.y), RGB(123, 158, 189));
}

TEST_F(ListViewTest, ScreenshotsOfTheThreeViews) {
    HFONT font = CreateFontW(13, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 6, L"Arial");
    // Icon view: the Tools page.
    HWND icons = MakeList(LVS_ICON | LVS_SINGLESEL | LVS_AUTOARRANGE, 0, 0, 240, 90, 1);
    ListView_SetBkColor(icons, RGB(123, 158, 189));
    ListView_SetTextBkColor(icons, RGB(123, 158, 189));
    ListView_SetImageList(icons, FakeImages(), LVSIL_NORMAL);
    const wchar_t* tools[] = {L"Converter", L"Codes", L"Sizes", L"Packing", L"News"};
    for (int i = 0; i < 5; ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.pszText = const_cast<LPWSTR>(tools[i]);
        item.iImage = i;
        ListView_InsertItem(icons, &item);
    }
    SendMessageW(icons, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ListView_SetItemState(icons, 1, LVIS_SELECTED, LVIS_SELECTED);
    // Report view: the dialing codes, with a selected row and grid lines.
    HWND report = MakeList(LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER, 0, 92, 240, 90, 2);
    SendMessageW(report, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ListView_SetExtendedListViewStyle(report, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    AddColumn(report, 0, L"Country", 110);
    AddColumn(report, 1, L"Code", 62);
    AddColumn(report, 2, L"GMT", 50);
    const wchar_t* rows[][3] = {{L"Canada", L"+1", L"-5"}, {L"Chad", L"+235", L"+1"}, {L"Chile", L"+56", L"-4"},
                                {L"China", L"+86", L"+8"}, {L"Colombia", L"+57", L"-5"}, {L"Congo", L"+242", L"+1"},
                                {L"Croatia", L"+385", L"+1"}, {L"Cuba", L"+53", L"-5"}};
    for (int i = 0; i < 8; ++i) {
        Add(report, rows[i][0], i);
        ListView_SetItemText(report, i, 1, rows[i][1]);
        ListView_SetItemText(report, i, 2, rows[i][2]);
    }
    ListView_SetItemState(report, 1, LVIS_SELECTED, LVIS_SELECTED);
    // List view with check boxes: a packing list.
    HWND checks = MakeList(LVS_LIST | WS_BORDER, 5, 184, 230, 80, 43768);
    SendMessageW(checks, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ListView_SetExtendedListViewStyle(checks, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    const wchar_t* things[] = {L"Passport", L"Tickets", L"Charger", L"Toothbrush", L"Sun cream", L"Camera", L"Hat"};
    for (int i = 0; i < 7; ++i) Add(checks, things[i], i);
    ListView_SetCheckState(checks, 0, TRUE);
    ListView_SetCheckState(checks, 2, TRUE);
    std::filesystem::path path = Shot("listview-views");
    ASSERT_FALSE(path.empty());
    RecordProperty("screenshot", path.string());
    // The report's selected row and the check boxes show where the lists say they are.
    RECT sel{};
    ListView_GetItemRect(report, 1, &sel, LVIR_BOUNDS);
    POINT p{sel.right - 5, sel.top + 2};
    ClientToScreen(report, &p);
    EXPECT_EQ(Pixel(p.x, p.y), GetSysColor(COLOR_HIGHLIGHT));
    DestroyWindow(icons);
    DestroyWindow(report);
    DestroyWindow(checks);
    DeleteObject(font);
}

} // namespace
} // namespace uitest
