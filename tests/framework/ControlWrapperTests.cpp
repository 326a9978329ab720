// The control wrappers over real controls of the device: each member reaches its control and
// gives back what the control holds, item texts of any length, check states, image lists handed
// back, the date picker through CTime, and owner-drawn controls drawing through the reflected
// WM_DRAWITEM.

#include "platform/display/HeadlessTest.h"
#include "platform/framework/Controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A top-level framework window that owns the controls of a test.
class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_parent.CreateEx(0, nullptr, L"Parent", WS_POPUP | WS_VISIBLE, 0, 30, 240, 260, nullptr, nullptr));
    }
    void TearDown() override {
        m_parent.DestroyWindow();
        CWnd::DeleteTempMap();
        CImageList::DeleteTempMap();
    }
    CRect Place(int top, int height = 20) const { return CRect(5, top, 200, top + height); }

    CWnd m_parent;
};

TEST_F(ControlTest, ButtonsEditsAndStatics) {
    CButton box;
    ASSERT_TRUE(box.Create(L"Enable", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, Place(5), &m_parent, 1001));
    EXPECT_EQ(box.GetCheck(), BST_UNCHECKED);
    box.Click();
    EXPECT_EQ(box.GetCheck(), BST_CHECKED);
    box.SetCheck(BST_UNCHECKED);
    EXPECT_EQ(m_parent.IsDlgButtonChecked(1001), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(box.GetButtonStyle() & BS_TYPEMASK, static_cast<UINT>(BS_AUTOCHECKBOX));

    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE, Place(30, 60), &m_parent, 1002));
    edit.SetWindowText(L"first line\r\nsecond");
    EXPECT_EQ(edit.GetLineCount(), 2);
    wchar_t line[32] = {};
    int copied = edit.GetLine(1, line, 31);
    EXPECT_EQ(std::wstring(line, static_cast<size_t>(copied)), L"second");
    EXPECT_EQ(edit.GetLine(1, line, 3), 3); // cut to the buffer
    EXPECT_EQ(std::wstring(line, 3), L"sec");
    edit.SetSel(0, 5);
    int start = -1, end = -1;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 5);
    edit.SetModify(FALSE);
    edit.ReplaceSel(L"1st");
    CString text;
    edit.GetWindowText(text);
    EXPECT_EQ(text, CString(L"1st line\r\nsecond"));
    EXPECT_TRUE(edit.GetModify());
    edit.LimitText(4);
    EXPECT_EQ(edit.GetLimitText(), 4u);

    CStatic picture;
    ASSERT_TRUE(picture.Create(L"", WS_CHILD | WS_VISIBLE | SS_ICON, Place(100, 32), &m_parent, 1003));
    HICON first = LoadIconW(nullptr, IDI_APPLICATION);
    HICON second = LoadIconW(nullptr, IDI_QUESTION);
    picture.SetIcon(first);
    EXPECT_EQ(picture.SetIcon(second), first);
    EXPECT_EQ(picture.GetIcon(), second);
    picture.SetIcon(nullptr);
    DestroyIcon(first);
    DestroyIcon(second);

    CSliderCtrl slider;
    ASSERT_TRUE(slider.Create(WS_CHILD | WS_VISIBLE, Place(140, 30), &m_parent, 1004));
    slider.SetRange(0, 255, TRUE);
    slider.SetPos(300); // kept inside the range
    EXPECT_EQ(slider.GetPos(), 255);
    int low = -1, high = -1;
    slider.GetRange(low, high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 255);
}

TEST_F(ControlTest, ListBoxesAndComboBoxes) {
    CListBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_SORT | LBS_NOTIFY, Place(5, 100), &m_parent, 1150));
    for (const wchar_t* name : {L"Paris", L"Berlin", L"Rome"}) list.AddString(name);
    EXPECT_EQ(list.GetCount(), 3);
    CString item;
    list.GetText(0, item);
    EXPECT_EQ(item, CString(L"Berlin"));
    list.GetText(7, item);
    EXPECT_TRUE(item.IsEmpty()); // no such item
    EXPECT_EQ(list.FindString(-1, L"pa"), 1);
    EXPECT_EQ(list.FindStringExact(-1, L"Rom"), LB_ERR);
    EXPECT_EQ(list.SelectString(-1, L"ro"), 2);
    EXPECT_EQ(list.GetCurSel(), 2);
    list.SetItemData(0, 42);
    EXPECT_EQ(list.GetItemData(0), 42u);
    EXPECT_EQ(list.DeleteString(0), 2);

    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL, Place(120, 100), &m_parent, 1005));
    std::wstring longName(600, L'x'); // longer than any fixed buffer
    combo.AddString(L"Oslo");
    combo.AddString(longName.c_str());
    combo.SetCurSel(1);
    combo.GetLBText(combo.GetCurSel(), item);
    EXPECT_EQ(item.GetLength(), 600);
    EXPECT_EQ(combo.FindStringExact(-1, L"oslo"), 0); // exact but ignoring case
    combo.SetDroppedWidth(230); // wider than the combo itself
    EXPECT_EQ(combo.GetDroppedWidth(), 230);
    combo.ShowDropDown(TRUE);
    EXPECT_TRUE(combo.GetDroppedState());
    combo.ShowDropDown(FALSE);
    EXPECT_FALSE(combo.GetDroppedState());
    combo.ResetContent();
    EXPECT_EQ(combo.GetCount(), 0);
}

TEST_F(ControlTest, ListViewsWithTheirHeaderAndImages) {
    CListCtrl view;
    ASSERT_TRUE(view.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, Place(5, 150), &m_parent, 1160));
    view.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    EXPECT_EQ(view.GetExtendedStyle() & LVS_EX_CHECKBOXES, static_cast<DWORD>(LVS_EX_CHECKBOXES));
    EXPECT_EQ(view.InsertColumn(0, L"Item", LVCFMT_LEFT, 120), 0);
    EXPECT_EQ(view.InsertColumn(1, L"Mark", LVCFMT_RIGHT, 40), 1);
    EXPECT_EQ(view.GetColumnWidth(1), 40);
    CHeaderCtrl* header = view.GetHeaderCtrl();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->GetItemCount(), 2);

    EXPECT_EQ(view.InsertItem(0, L"Socks"), 0);
    EXPECT_EQ(view.InsertItem(1, L"Passport"), 1);
    std::wstring longText(700, L'y');
    EXPECT_TRUE(view.SetItemText(1, 1, longText.c_str()));
    EXPECT_EQ(view.GetItemText(1, 1).GetLength(), 700);
    EXPECT_EQ(view.GetItemText(0, 0), CString(L"Socks"));
    EXPECT_TRUE(view.GetItemText(5, 0).IsEmpty());

    EXPECT_FALSE(view.GetCheck(1));
    view.SetCheck(1, TRUE);
    EXPECT_TRUE(view.GetCheck(1));
    EXPECT_FALSE(view.GetCheck(0));
    view.SetItemData(0, 77);
    EXPECT_EQ(view.GetItemData(0), 77u);

    view.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(view.GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(view.GetSelectedCount(), 1u);
    LVFINDINFO find{};
    find.flags = LVFI_STRING;
    find.psz = L"Socks";
    EXPECT_EQ(view.FindItem(&find), 0);

    CImageList small, other;
    ASSERT_TRUE(small.Create(16, 16, ILC_COLOR | ILC_MASK, 1, 1));
    ASSERT_TRUE(other.Create(16, 16, ILC_COLOR | ILC_MASK, 1, 1));
    EXPECT_EQ(view.SetImageList(&small, LVSIL_SMALL), nullptr);
    EXPECT_EQ(view.SetImageList(&other, LVSIL_SMALL), &small); // the caller's own object comes back
    EXPECT_EQ(view.GetImageList(LVSIL_SMALL), &other);
    view.SetImageList(nullptr, LVSIL_SMALL);

    EXPECT_TRUE(view.DeleteAllItems());
    EXPECT_EQ(view.GetItemCount(), 0);
}

TEST_F(ControlTest, TabStripsAndDatePickers) {
    CTabCtrl tabs;
    ASSERT_TRUE(tabs.Create(WS_CHILD | WS_VISIBLE, Place(5, 40), &m_parent, 1170));
    EXPECT_EQ(tabs.InsertItem(0, L"Clocks"), 0);
    EXPECT_EQ(tabs.InsertItem(1, L"Map", 3), 1);
    EXPECT_EQ(tabs.GetItemCount(), 2);
    TCITEM item{};
    wchar_t name[16] = {};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = name;
    item.cchTextMax = 16;
    ASSERT_TRUE(tabs.GetItem(1, &item));
    EXPECT_STREQ(name, L"Map");
    EXPECT_EQ(item.iImage, 3);
    EXPECT_EQ(tabs.SetCurSel(1), 0);
    EXPECT_EQ(tabs.GetCurSel(), 1);

    CDateTimeCtrl picker;
    ASSERT_TRUE(picker.Create(WS_CHILD | WS_VISIBLE, Place(60), &m_parent, 1180));
    CTime chosen(2026, 7, 14, 0, 0, 0);
    ASSERT_TRUE(picker.SetTime(chosen));
    CTime read;
    ASSERT_EQ(picker.GetTime(read), static_cast<DWORD>(GDT_VALID));
    EXPECT_EQ(read.GetYear(), 2026);
    EXPECT_EQ(read.GetMonth(), 7);
    EXPECT_EQ(read.GetDay(), 14);
    EXPECT_FALSE(picker.SetTime(CTime(2026, 2, 30, 0, 0, 0))); // an invalid time changes nothing
    picker.GetTime(read);
    EXPECT_EQ(read.GetDay(), 14);
}

// An owner-drawn button that records the items it was asked to draw.
class CRecordingButton : public CButton {
public:
    std::vector<UINT> m_drawn;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override {
        m_drawn.push_back(lpDrawItemStruct->CtlID);
        CDC* dc = CDC::FromHandle(lpDrawItemStruct->hDC);
        dc->FillSolidRect(&lpDrawItemStruct->rcItem, RGB(0, 128, 0));
    }
};

TEST_F(ControlTest, OwnerDrawnButtonsDrawThroughTheReflectedMessage) {
    HWND raw = CreateWindowExW(0, WC_BUTTONW, L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 10, 10, 40, 20,
                               m_parent.m_hWnd, reinterpret_cast<HMENU>(static_cast<uintptr_t>(1190)), nullptr, nullptr);
    ASSERT_NE(raw, nullptr);
    CRecordingButton button;
    ASSERT_TRUE(button.SubclassDlgItem(1190, &m_parent));
    device::display::test::PumpUntilIdle(); // the parent's first paint
    button.m_drawn.clear();
    button.Invalidate();
    button.UpdateWindow();
    ASSERT_EQ(button.m_drawn.size(), 1u);
    EXPECT_EQ(button.m_drawn.back(), 1190u);
    CRect onScreen;
    button.GetWindowRect(&onScreen);
    EXPECT_EQ(device::display::test::PixelAt(onScreen.left + 5, onScreen.top + 5), RGB(0, 128, 0));
}

} // namespace
