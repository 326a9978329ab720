// The "New..." and "Edit Item" dialogs run modally as the organiser runs them: what each mode
// shows, what "Ok" hands back, and the names it refuses.

#include "ToolWindowTestSupport.h"
#include "tools/PackingEntryDlgs.h"

#include <functional>

using namespace toolwintest;

namespace {

class PackingEntryTest : public ToolWindowTest {
protected:
    // Runs the dialog; the script acts as the user once it is up. A script that leaves the
    // dialog open is followed by Cancel, so that a refused "Ok" shows as IDCANCEL.
    template <typename Dlg> static INT_PTR Run(Dlg& dlg, std::function<void(Dlg&)> script) {
        static std::function<void()> s_step;
        static Dlg* s_dlg;
        s_dlg = &dlg;
        s_step = [script] {
            script(*s_dlg);
            if (s_dlg->ContinueModal()) s_dlg->SendMessage(WM_COMMAND, IDCANCEL);
        };
        ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
            if (!s_dlg->m_hWnd || !s_dlg->IsWindowVisible()) return;
            ::KillTimer(nullptr, id);
            s_step();
        });
        return dlg.DoModal();
    }
    static void PressOk(CDialog& dlg) {
        dlg.SendMessage(WM_COMMAND, IDOK);
        Pump();
    }
};

TEST_F(PackingEntryTest, NameOnlyRefusesAnEmptyNameSayingWhy) {
    CNewEntryDlg dlg;
    device::ui::ScriptMessageBoxAnswers({IDOK});
    dlg.m_strCaption = L"Packing List > New category";
    bool stayedOpen = false;
    bool listsHidden = false;
    CString caption;
    INT_PTR result = Run<CNewEntryDlg>(dlg, [&](CNewEntryDlg& d) {
        d.GetWindowText(caption);
        listsHidden = !d.m_listItems.IsWindowVisible() && !d.m_listLists.IsWindowVisible() &&
                      !d.m_listCategories.IsWindowVisible();
        PressOk(d);
        stayedOpen = d.ContinueModal();
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(listsHidden);
    EXPECT_EQ(std::wstring(caption), L"Packing List > New category");
    ASSERT_EQ(device::ui::MessageBoxRecords().size(), 1u);
    EXPECT_EQ(device::ui::MessageBoxRecords()[0].text, L"Please enter a name");

    CNewEntryDlg named;
    result = Run<CNewEntryDlg>(named, [](CNewEntryDlg& d) {
        d.m_editName.SetWindowText(L"Camping");
        PressOk(d);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(std::wstring(named.m_strName), L"Camping");
}

TEST_F(PackingEntryTest, TextsThePackingFileCouldNotHoldAreRefused) {
    CNewEntryDlg dlg;
    bool stayedOpen = false;
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    INT_PTR result = Run<CNewEntryDlg>(dlg, [&](CNewEntryDlg& d) {
        d.m_editName.SetWindowText(L"*Beach");
        PressOk(d);
        stayedOpen = d.ContinueModal();
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(result, IDCANCEL);
    CEditItemDlg edit;
    edit.m_strText = L"Towel";
    result = Run<CEditItemDlg>(edit, [](CEditItemDlg& d) {
        d.m_editText.SetWindowText(L"<Towel");
        PressOk(d);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(std::wstring(edit.m_strText), L"Towel");
    auto records = device::ui::MessageBoxRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].text, L"Names and items cannot begin with >, * or <");
}

TEST_F(PackingEntryTest, CategoryItemsModeChoosesAnOfferedItemByItsName) {
    CNewEntryDlg dlg;
    dlg.m_nMode = NewEntryCategoryItems;
    dlg.m_items = {L"Passport1", L"Socks0", L"Towel0"};
    dlg.m_lists = {L"Bag", L"Car"};
    int rows = 0;
    bool passportChecked = false;
    INT_PTR result = Run<CNewEntryDlg>(dlg, [&](CNewEntryDlg& d) {
        rows = d.m_listItems.GetItemCount();
        passportChecked = d.m_listItems.GetCheck(0) != FALSE;
        d.m_listLists.SetCheck(1, TRUE);
        d.m_listItems.SetCheck(0, FALSE); // Passport out
        d.m_editName.SetWindowText(L"SOCKS");
        testsupport::SaveScreenshot("tools-packing-new-entry");
        PressOk(d);
    });
    EXPECT_EQ(rows, 3);
    EXPECT_TRUE(passportChecked);
    ASSERT_EQ(result, IDOK);
    EXPECT_TRUE(dlg.m_strName.IsEmpty());
    EXPECT_EQ(dlg.m_items, (std::vector<CString>{L"Passport0", L"Socks1", L"Towel0"}));
    EXPECT_EQ(dlg.m_lists, (std::vector<CString>{L"0", L"1"}));
}

TEST_F(PackingEntryTest, ListItemsModeClosesOnAnEmptyName) {
    CNewEntryDlg dlg;
    dlg.m_nMode = NewEntryListItems;
    dlg.m_items = {L"Hat1", L"Map0"};
    EXPECT_EQ(Run<CNewEntryDlg>(dlg, [](CNewEntryDlg& d) { PressOk(d); }), IDOK);
    EXPECT_EQ(dlg.m_items, (std::vector<CString>{L"Hat1", L"Map0"}));
}

TEST_F(PackingEntryTest, AllItemsModeOffersListsAndCategories) {
    CNewEntryDlg dlg;
    dlg.m_nMode = NewEntryAllItems;
    dlg.m_categories = {L"Beach", L"Ski"};
    int lists = -1, categories = -1;
    INT_PTR result = Run<CNewEntryDlg>(dlg, [&](CNewEntryDlg& d) {
        lists = d.m_listLists.GetItemCount(); // "All" without further lists: empty
        categories = d.m_listCategories.GetItemCount();
        d.m_listCategories.SetCheck(1, TRUE);
        d.m_editName.SetWindowText(L"Charger");
        PressOk(d);
    });
    EXPECT_EQ(lists, 0);
    EXPECT_EQ(categories, 2);
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_categories, (std::vector<CString>{L"0", L"1"}));
}

TEST_F(PackingEntryTest, EditItemHandsBackTheEditedTextButNeverABlankOne) {
    CEditItemDlg dlg;
    dlg.m_strText = L"Towel";
    CString shown, caption;
    bool stayedOpen = false;
    device::ui::ScriptMessageBoxAnswers({IDOK});
    INT_PTR result = Run<CEditItemDlg>(dlg, [&](CEditItemDlg& d) {
        d.m_editText.GetWindowText(shown);
        d.GetWindowText(caption);
        d.m_editText.SetWindowText(L" ");
        PressOk(d);
        stayedOpen = d.ContinueModal();
        d.m_editText.SetWindowText(L"Beach towel");
        PressOk(d);
    });
    EXPECT_EQ(std::wstring(shown), L"Towel");
    EXPECT_EQ(std::wstring(caption), L"Edit item");
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(device::ui::MessageBoxRecords().size(), 1u);
    EXPECT_EQ(device::ui::MessageBoxRecords()[0].text, L"Please enter a name");
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(std::wstring(dlg.m_strText), L"Beach towel");

    CEditItemDlg cancelled;
    cancelled.m_strText = L"Map";
    EXPECT_EQ(Run<CEditItemDlg>(cancelled, [](CEditItemDlg& d) {
                  d.m_editText.SetWindowText(L"Atlas");
                  d.SendMessage(WM_COMMAND, IDCANCEL);
              }),
              IDCANCEL);
    EXPECT_EQ(std::wstring(cancelled.m_strText), L"Map");
}

} // namespace
