// The packing-list organiser: the first start, adding and deleting categories, lists and items
// with the relations between "All", "All Items" and the further lists, check marks, the filtered
// view, the changed flag that the save question relies on, and pack.dat read and written.

#include "ToolWindowTestSupport.h"
#include "support/FileSizeLimit.h"
#include "resources/resource.h"
#include "tools/PackingEntryDlgs.h"
#include "tools/PackingListDlg.h"
#include "shell/AppMessages.h"

#include <functional>
#include <string>
#include <vector>

using namespace toolwintest;

namespace {

using Texts = std::vector<std::wstring>;

// The organiser with its entry dialogs answered by the test instead of the user.
class CScriptedPackingListDlg : public CPackingListDlg {
public:
    std::function<INT_PTR(CNewEntryDlg&)> onNewEntry = [](CNewEntryDlg&) { return IDCANCEL; };
    std::function<INT_PTR(CEditItemDlg&)> onEditItem = [](CEditItemDlg&) { return IDCANCEL; };
    int newEntryRuns = 0;

protected:
    INT_PTR RunNewEntry(CNewEntryDlg& dlg) override {
        ++newEntryRuns;
        return onNewEntry(dlg);
    }
    INT_PTR RunEditItem(CEditItemDlg& dlg) override { return onEditItem(dlg); }
};

const wchar_t* const kPackFile = L"\\Program Files\\Jorvana\\pack.dat";

class PackingListTest : public ToolWindowTest {
protected:
    void TearDown() override {
        if (m_dlg.m_hWnd) m_dlg.DestroyWindow();
        ToolWindowTest::TearDown();
    }
    void OpenWith(const std::string& packDat) {
        testsupport::WriteDeviceFile(kPackFile, packDat);
        Open(m_dlg, IDD_PACKING_LIST);
    }
    // Answers the next New dialog with a name (and optionally sets the check marks by index).
    void AnswerName(const wchar_t* name, std::function<void(CNewEntryDlg&)> marks = nullptr) {
        m_dlg.onNewEntry = [this, name, marks](CNewEntryDlg& dlg) {
            m_lastEntry = {dlg.m_nMode, dlg.m_items, dlg.m_lists, dlg.m_categories};
            dlg.m_strName = name;
            for (auto& e : dlg.m_items) e = e.Left(e.GetLength() - 1) + e.Right(1); // unchanged marks
            for (auto& e : dlg.m_lists) e = L"0";
            for (auto& e : dlg.m_categories) e = L"0";
            if (marks) marks(dlg);
            return IDOK;
        };
    }
    void Send(UINT message) {
        EXPECT_EQ(m_dlg.SendMessage(message), 1);
        Pump();
    }
    static Texts Items(const CListCtrl* view) {
        Texts out;
        for (int row = 0; view && row < view->GetItemCount(); ++row)
            out.emplace_back(std::wstring(static_cast<LPCWSTR>(view->GetItemText(row, 0))) + (view->GetCheck(row) ? L"+" : L""));
        return out;
    }
    void ChooseCategory(int index) {
        m_dlg.m_comboCategory.SetCurSel(index);
        m_dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PACK_CATEGORY, CBN_SELCHANGE),
                          reinterpret_cast<LPARAM>(m_dlg.m_comboCategory.m_hWnd));
        Pump();
    }
    void ChooseTab(int index) {
        m_dlg.m_tabLists.SetCurFocus(index);
        Pump();
    }
    void Select(CListCtrl* view, int row) { view->SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED); }
    std::wstring LastMessage() {
        auto records = device::ui::MessageBoxRecords();
        return records.empty() ? std::wstring() : records.back().text;
    }

    struct Entry {
        int mode = 0;
        std::vector<CString> items, lists, categories;
    } m_lastEntry;
    CScriptedPackingListDlg m_dlg;
};

const std::string kTwoCategories =
    ">\r\nAll\r\n*\r\nAll Items\r\nPassport1\r\nSocks0\r\nTowel0\r\n"
    ">\r\nBeach\r\n*\r\nAll Items\r\nTowel0\r\nSunscreen1\r\n*\r\nBag\r\nTowel1\r\n*\r\nCar\r\nSunscreen0\r\n<";

TEST_F(PackingListTest, FirstStartShowsTheDefaultSetWithNothingToSave) {
    Open(m_dlg, IDD_PACKING_LIST);
    EXPECT_TRUE(testsupport::DeviceFileExists(kPackFile));
    EXPECT_EQ(m_dlg.m_comboCategory.GetCount(), 1);
    EXPECT_EQ(m_dlg.m_tabLists.GetItemCount(), 1);
    EXPECT_EQ(std::wstring(m_dlg.PackListNames[0]), L"All Items");
    ASSERT_NE(m_dlg.View(0, 0), nullptr);
    EXPECT_EQ(m_dlg.View(0, 0)->GetItemCount(), 0);
    EXPECT_FALSE(m_dlg.m_bChanged);
    EXPECT_FALSE(m_dlg.m_btnSave.IsWindowEnabled());
    // Nothing is written until the user saves.
    EXPECT_EQ(testsupport::ReadDeviceFile(kPackFile), "");
}

TEST_F(PackingListTest, FileContentsAreShownAndSavedBackByteForByte) {
    OpenWith(kTwoCategories);
    EXPECT_EQ(Items(m_dlg.View(0, 0)), (Texts{L"Passport+", L"Socks", L"Towel"}));
    EXPECT_TRUE(m_dlg.View(0, 0)->IsWindowVisible());
    ChooseCategory(1);
    EXPECT_EQ(m_dlg.m_tabLists.GetItemCount(), 3);
    EXPECT_EQ(m_dlg.m_nLastList, 2);
    EXPECT_TRUE(m_dlg.View(1, 0)->IsWindowVisible());
    EXPECT_FALSE(m_dlg.View(0, 0)->IsWindowVisible());
    ChooseTab(2);
    EXPECT_EQ(m_dlg.m_nList, 2);
    EXPECT_EQ(Items(m_dlg.CurrentView()), (Texts{L"Sunscreen"}));
    testsupport::SaveScreenshot("tools-packing-list");

    m_dlg.SetSaved(false);
    EXPECT_TRUE(m_dlg.m_btnSave.IsWindowEnabled());
    m_dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PACK_SAVE, BN_CLICKED), reinterpret_cast<LPARAM>(m_dlg.m_btnSave.m_hWnd));
    Pump();
    EXPECT_FALSE(m_dlg.m_bChanged);
    EXPECT_EQ(testsupport::ReadDeviceFile(kPackFile), kTwoCategories);
}

TEST_F(PackingListTest, SavingOnAFullDeviceKeepsTheOldFileWhole) {
    OpenWith(kTwoCategories);
    m_dlg.SetSaved(false);
    device::ui::ScriptMessageBoxAnswers({IDOK});
    {
        testsupport::FileSizeLimit full(8);
        m_dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PACK_SAVE, BN_CLICKED), reinterpret_cast<LPARAM>(m_dlg.m_btnSave.m_hWnd));
        Pump();
    }
    EXPECT_EQ(LastMessage(), L"Packing list could not be saved!\n\nThe device's storage is full!");
    EXPECT_TRUE(m_dlg.m_bChanged);
    EXPECT_EQ(testsupport::ReadDeviceFile(kPackFile), kTwoCategories);
    EXPECT_FALSE(testsupport::DeviceFileExists(std::wstring(kPackFile) + L".new"));
}

TEST_F(PackingListTest, DamagedFileShowsWhatCouldBeReadWithoutCrashing) {
    const std::string damaged = ">\r\nAll\r\n*\r\nAll Items\r\nMap1\r\n>\r\nWork\r\n*\r\n<garbage";
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK});
    OpenWith(damaged);
    EXPECT_EQ(Items(m_dlg.View(0, 0)), (Texts{L"Map+"}));
    EXPECT_EQ(m_dlg.m_comboCategory.GetCount(), 2);
    ASSERT_NE(m_dlg.View(1, 0), nullptr);
    EXPECT_EQ(std::wstring(m_dlg.PackListNames[10]), L"All Items");
    // Said once; the damaged file is kept whole beside the one the next save replaces.
    int said = 0;
    for (const auto& box : device::ui::MessageBoxRecords()) said += box.text.rfind(L"Packing list file damaged!", 0) == 0;
    EXPECT_EQ(said, 1);
    EXPECT_EQ(testsupport::ReadDeviceFile(L"\\Program Files\\Jorvana\\pack.bak"), damaged);
    EXPECT_EQ(testsupport::ReadDeviceFile(kPackFile), damaged);
}

TEST_F(PackingListTest, ADamagedFileThatCannotBeKeptAsideIsNotSaidToBeKept) {
    // An older pack.bak that is read-only stands for a device that cannot take the copy.
    const std::wstring bak = L"\\Program Files\\Jorvana\\pack.bak";
    testsupport::WriteDeviceFile(bak, "older");
    ASSERT_TRUE(SetFileAttributesW(bak.c_str(), FILE_ATTRIBUTE_READONLY));
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK});
    OpenWith(">\r\nAll\r\n*\r\nAll Items\r\nMap1\r\n>\r\nWork\r\n*\r\n<garbage");
    EXPECT_EQ(Items(m_dlg.View(0, 0)), (Texts{L"Map+"}));
    EXPECT_EQ(LastMessage(),
              L"Packing list file damaged!\n\nThe lists read before the damage are shown. The damaged file "
              L"could not be kept as pack.bak: saving the lists replaces it.");
    ASSERT_TRUE(SetFileAttributesW(bak.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(testsupport::ReadDeviceFile(bak), "older");
}

TEST_F(PackingListTest, AddingACategoryEvenCancelledCountsAsAChange) {
    Open(m_dlg, IDD_PACKING_LIST);
    Send(WM_APP_PACK_ADD_CATEGORY); // cancelled
    EXPECT_TRUE(m_dlg.m_bChanged);
    EXPECT_TRUE(m_dlg.m_btnSave.IsWindowEnabled());
    EXPECT_EQ(m_dlg.m_comboCategory.GetCount(), 1);
    AnswerName(L"Ski");
    Send(WM_APP_PACK_ADD_CATEGORY);
    EXPECT_EQ(m_lastEntry.mode, NewEntryName);
    EXPECT_EQ(m_dlg.m_nCategoryCount, 2);
    EXPECT_EQ(m_dlg.m_nCategory, 1);
    EXPECT_EQ(m_dlg.m_comboCategory.GetCurSel(), 1);
    EXPECT_EQ(std::wstring(m_dlg.PackListNames[10]), L"All Items");
    EXPECT_TRUE(m_dlg.View(1, 0)->IsWindowVisible());

    // Up to ten categories; the eleventh is refused before any dialog.
    for (int i = 2; i < 10; ++i) Send(WM_APP_PACK_ADD_CATEGORY);
    EXPECT_EQ(m_dlg.m_nCategoryCount, 10);
    const int runs = m_dlg.newEntryRuns;
    device::ui::ScriptMessageBoxAnswers({IDOK});
    Send(WM_APP_PACK_ADD_CATEGORY);
    EXPECT_EQ(m_dlg.newEntryRuns, runs);
    EXPECT_EQ(LastMessage(), L"Max. of categories reached!");
}

TEST_F(PackingListTest, ListsAreAddedUpToNineAndDeletedWithTheirNeighboursMovingDown) {
    Open(m_dlg, IDD_PACKING_LIST);
    for (const wchar_t* name : {L"One", L"Two", L"Three"}) {
        AnswerName(name);
        Send(WM_APP_PACK_ADD_LIST);
    }
    EXPECT_EQ(m_dlg.m_nList, 0); // the current list stays selected
    EXPECT_EQ(m_dlg.m_tabLists.GetItemCount(), 4);
    {
        ChooseTab(3);
        m_dlg.CurrentView()->InsertItem(0, L"Three's item");
        m_dlg.CurrentView()->SetCheck(0, TRUE);
    }
    ChooseTab(2);
    device::ui::ScriptMessageBoxAnswers({});
    Send(WM_APP_PACK_DELETE_LIST);
    EXPECT_EQ(m_dlg.m_nList, 1);
    EXPECT_EQ(m_dlg.m_tabLists.GetCurSel(), 1);
    EXPECT_EQ(m_dlg.m_tabLists.GetItemCount(), 3);
    EXPECT_EQ(std::wstring(m_dlg.PackListNames[1]), L"One");
    EXPECT_EQ(std::wstring(m_dlg.PackListNames[2]), L"Three");
    EXPECT_EQ(std::wstring(m_dlg.PackListNames[3]), L"");
    EXPECT_EQ(Items(m_dlg.View(0, 2)), (Texts{L"Three's item+"}));
    EXPECT_EQ(m_dlg.View(0, 3), nullptr);

    ChooseTab(0);
    device::ui::ScriptMessageBoxAnswers({IDOK});
    Send(WM_APP_PACK_DELETE_LIST);
    EXPECT_EQ(LastMessage(), L"Can't delete <All Items> List!");
    for (int i = 0; i < 7; ++i) Send(WM_APP_PACK_ADD_LIST);
    EXPECT_EQ(m_dlg.m_nLastList, 9);
    device::ui::ScriptMessageBoxAnswers({IDOK});
    Send(WM_APP_PACK_ADD_LIST);
    EXPECT_EQ(LastMessage(), L"Max. of lists reached!");
}

TEST_F(PackingListTest, DeletingCategoriesKeepsAllAndMovesTheLaterOnesDown) {
    OpenWith(kTwoCategories);
    AnswerName(L"Ski");
    Send(WM_APP_PACK_ADD_CATEGORY);
    m_dlg.View(2, 0)->InsertItem(0, L"Gloves");
    ChooseCategory(1);
    Send(WM_APP_UNDO_OR_DELETE_CATEGORY); // no question
    EXPECT_EQ(m_dlg.m_nCategoryCount, 2);
    EXPECT_EQ(m_dlg.m_nCategory, 0);
    CString name;
    m_dlg.m_comboCategory.GetLBText(1, name);
    EXPECT_EQ(std::wstring(name), L"Ski");
    EXPECT_EQ(Items(m_dlg.View(1, 0)), (Texts{L"Gloves"}));
    EXPECT_EQ(std::wstring(m_dlg.PackListNames[11]), L"");
    EXPECT_EQ(std::wstring(m_dlg.PackListNames[20]), L"All Items");
    EXPECT_EQ(m_dlg.View(2, 0), nullptr);

    device::ui::ScriptMessageBoxAnswers({IDOK});
    Send(WM_APP_UNDO_OR_DELETE_CATEGORY);
    EXPECT_EQ(LastMessage(), L"Can't delete <All> category!");
    EXPECT_EQ(m_dlg.m_nCategoryCount, 2);
}

TEST_F(PackingListTest, AddedItemsReachAllItemsAndAllButNeverTwice) {
    OpenWith(kTwoCategories);
    // In "Beach", a new item also goes to "All"'s "All Items"; "socks" is there as "Socks".
    ChooseCategory(1);
    AnswerName(L"Hat", [](CNewEntryDlg& dlg) { dlg.m_lists[1] = L"1"; }); // and to list 2, "Car"
    Send(WM_APP_PACK_ADD_ITEMS);
    EXPECT_EQ(m_lastEntry.mode, NewEntryCategoryItems);
    EXPECT_EQ(m_lastEntry.lists, (std::vector<CString>{L"Bag", L"Car"}));
    // "All"'s items offered, marked where "Beach" holds them.
    EXPECT_EQ(m_lastEntry.items, (std::vector<CString>{L"Passport0", L"Socks0", L"Towel1"}));
    EXPECT_EQ(Items(m_dlg.View(1, 0)), (Texts{L"Towel", L"Sunscreen+", L"Hat"}));
    EXPECT_EQ(Items(m_dlg.View(1, 2)), (Texts{L"Sunscreen", L"Hat"}));
    EXPECT_EQ(Items(m_dlg.View(0, 0)), (Texts{L"Passport+", L"Socks", L"Towel", L"Hat"}));

    // Typing "socks" chooses "All"'s "Socks" in the dialog (its name comes back empty and the
    // entry checked): "Beach" gets that item and "All" keeps one.
    AnswerName(L"", [](CNewEntryDlg& dlg) { dlg.m_items[1] = L"Socks1"; });
    Send(WM_APP_PACK_ADD_ITEMS);
    EXPECT_EQ(Items(m_dlg.View(0, 0)), (Texts{L"Passport+", L"Socks", L"Towel", L"Hat"}));
    EXPECT_EQ(Items(m_dlg.View(1, 0)).back(), L"Socks");

    // The same name again in the same list is reported, and the list keeps one.
    device::ui::ScriptMessageBoxAnswers({IDOK});
    AnswerName(L"HAT");
    Send(WM_APP_PACK_ADD_ITEMS);
    EXPECT_EQ(LastMessage(), L"Item < HAT > already exists!");
    EXPECT_EQ(m_dlg.View(1, 0)->GetItemCount(), 4);

    // Unchecking an offered item takes it out of the category's "All Items" only.
    AnswerName(L"", [](CNewEntryDlg& dlg) { dlg.m_items[2] = L"Towel0"; });
    Send(WM_APP_PACK_ADD_ITEMS);
    EXPECT_EQ(Items(m_dlg.View(1, 0)), (Texts{L"Sunscreen+", L"Hat", L"Socks"}));
    EXPECT_EQ(Items(m_dlg.View(1, 1)), (Texts{L"Towel+"}));
}

TEST_F(PackingListTest, ItemsOfAllGoToTheChosenCategoriesAndFurtherListsTakeFromAllItems) {
    OpenWith(kTwoCategories);
    AnswerName(L"Charger", [](CNewEntryDlg& dlg) { dlg.m_categories[0] = L"1"; });
    Send(WM_APP_PACK_ADD_ITEMS);
    EXPECT_EQ(m_lastEntry.mode, NewEntryAllItems);
    EXPECT_EQ(m_lastEntry.categories, (std::vector<CString>{L"Beach"}));
    EXPECT_EQ(Items(m_dlg.View(0, 0)).back(), L"Charger");
    EXPECT_EQ(Items(m_dlg.View(1, 0)).back(), L"Charger");

    ChooseCategory(1);
    ChooseTab(1); // "Bag" holds Towel
    AnswerName(L"", [](CNewEntryDlg& dlg) {
        dlg.m_items[0] = L"Towel0";     // out of the list
        dlg.m_items[1] = L"Sunscreen1"; // into it
    });
    Send(WM_APP_PACK_ADD_ITEMS);
    EXPECT_EQ(m_lastEntry.mode, NewEntryListItems);
    EXPECT_EQ(m_lastEntry.items[0], CString(L"Towel1"));
    EXPECT_EQ(Items(m_dlg.View(1, 1)), (Texts{L"Sunscreen"}));
    EXPECT_EQ(Items(m_dlg.View(1, 0)), (Texts{L"Towel", L"Sunscreen+", L"Charger"}));
}

TEST_F(PackingListTest, DeletingFromAllRemovesExactTextsEverywhere) {
    OpenWith(">\r\nAll\r\n*\r\nAll Items\r\nTowel0\r\nMap0\r\n"
             ">\r\nBeach\r\n*\r\nAll Items\r\nTowel0\r\n*\r\nBag\r\nTowel1\r\n"
             ">\r\nPool\r\n*\r\nAll Items\r\ntowel0\r\n<");
    Select(m_dlg.View(0, 0), 0);
    device::ui::ScriptMessageBoxAnswers({IDYES});
    Send(WM_APP_PACK_DELETE_ITEM);
    auto records = device::ui::MessageBoxRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, L"Delete item:\nTowel");
    EXPECT_EQ(records[0].caption, L"Confirmation");
    EXPECT_EQ(Items(m_dlg.View(0, 0)), (Texts{L"Map"}));
    EXPECT_EQ(Items(m_dlg.View(1, 0)), (Texts{}));
    EXPECT_EQ(Items(m_dlg.View(1, 1)), (Texts{}));
    EXPECT_EQ(Items(m_dlg.View(2, 0)), (Texts{L"towel"})); // differs in case: stays

    // No answers Yes: nothing goes.
    Select(m_dlg.View(0, 0), 0);
    device::ui::ScriptMessageBoxAnswers({IDNO});
    Send(WM_APP_PACK_DELETE_ITEM);
    EXPECT_EQ(Items(m_dlg.View(0, 0)), (Texts{L"Map"}));
}

TEST_F(PackingListTest, DeleteAllItemsAsksOnAllItemsListsOnly) {
    OpenWith(kTwoCategories);
    ChooseCategory(1);
    ChooseTab(1);
    Send(WM_APP_PACK_DELETE_ALL_ITEMS); // a further list: no question
    EXPECT_TRUE(device::ui::MessageBoxRecords().empty());
    EXPECT_EQ(m_dlg.View(1, 1)->GetItemCount(), 0);
    ChooseTab(0);
    device::ui::ScriptMessageBoxAnswers({IDYES});
    Send(WM_APP_PACK_DELETE_ALL_ITEMS);
    EXPECT_EQ(LastMessage(), L"All Items of All Lists in this Category will be deleted, Continue ?");
    EXPECT_EQ(device::ui::MessageBoxRecords().back().type, static_cast<UINT>(MB_YESNO | MB_ICONHAND));
    EXPECT_EQ(m_dlg.View(1, 0)->GetItemCount(), 0);
    EXPECT_EQ(m_dlg.View(1, 2)->GetItemCount(), 0);
    EXPECT_EQ(m_dlg.View(0, 0)->GetItemCount(), 3);
    EXPECT_EQ(m_dlg.m_tabLists.GetItemCount(), 3); // names stay
}

TEST_F(PackingListTest, CheckMarksAndTheFilteredView) {
    OpenWith(kTwoCategories);
    Send(WM_APP_PACK_SHOW_UNCHECKED);
    EXPECT_TRUE(m_dlg.m_listFilter.IsWindowVisible());
    EXPECT_EQ(Items(&m_dlg.m_listFilter), (Texts{L"Socks", L"Towel"}));
    // Space on a row ticks its item, which leaves the view of unticked ones.
    m_dlg.m_listFilter.SetFocus();
    m_dlg.m_listFilter.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    device::display::test::PressKey(VK_SPACE);
    EXPECT_EQ(Items(&m_dlg.m_listFilter), (Texts{L"Towel"}));
    Send(WM_APP_PACK_SHOW_CHECKED);
    EXPECT_EQ(Items(&m_dlg.m_listFilter), (Texts{L"Passport+", L"Socks+"}));
    // A tab or category change refills it for the list now shown.
    ChooseCategory(1);
    ChooseTab(2);
    EXPECT_EQ(Items(&m_dlg.m_listFilter), (Texts{}));
    Send(WM_APP_PACK_SHOW_ALL);
    EXPECT_FALSE(m_dlg.m_listFilter.IsWindowVisible());

    // A tap on an item's text turns its mark over and enables Save.
    m_dlg.SetSaved(true);
    ChooseTab(0);
    CListCtrl* view = m_dlg.View(1, 0);
    CRect row;
    view->GetItemRect(0, &row, LVIR_LABEL);
    view->ClientToScreen(&row);
    device::display::test::Tap(CPoint(row.left + 30, row.CenterPoint().y));
    EXPECT_EQ(Items(view), (Texts{L"Towel+", L"Sunscreen+"}));
    EXPECT_TRUE(m_dlg.m_bChanged);
    EXPECT_TRUE(m_dlg.m_btnSave.IsWindowEnabled());

    Send(WM_APP_PACK_UNCHECK_ALL);
    EXPECT_EQ(Items(view), (Texts{L"Towel", L"Sunscreen"}));
    EXPECT_EQ(Items(m_dlg.View(0, 0))[0], L"Passport+"); // only the current list
}

TEST_F(PackingListTest, RenamingAnItemRenamesEveryExactCopy) {
    OpenWith(kTwoCategories);
    ChooseCategory(1);
    CListCtrl* view = m_dlg.View(1, 0);
    Select(view, 0);
    m_dlg.onEditItem = [](CEditItemDlg& dlg) {
        EXPECT_EQ(std::wstring(dlg.m_strText), L"Towel");
        dlg.m_strText = L"Beach towel";
        return IDOK;
    };
    CRect row;
    view->GetItemRect(0, &row, LVIR_LABEL);
    view->ClientToScreen(&row);
    const CPoint at(row.left + 30, row.CenterPoint().y);
    device::display::test::Tap(at);
    device::display::test::Tap(at); // a double tap
    EXPECT_EQ(Items(m_dlg.View(0, 0))[2], L"Beach towel");
    EXPECT_EQ(Items(m_dlg.View(1, 0))[0].substr(0, 11), L"Beach towel");
    EXPECT_EQ(Items(m_dlg.View(1, 1)), (Texts{L"Beach towel+"}));
}

TEST_F(PackingListTest, LeavingWithoutSavingKeepsTheChangesInTheWindow) {
    OpenWith(kTwoCategories);
    Send(WM_APP_PACK_UNCHECK_ALL);
    ASSERT_TRUE(m_dlg.m_bChanged);
    m_dlg.SaveOnLeave(false);
    EXPECT_FALSE(m_dlg.m_bChanged);
    EXPECT_EQ(testsupport::ReadDeviceFile(kPackFile), kTwoCategories);
    EXPECT_EQ(Items(m_dlg.View(0, 0))[0], L"Passport");
    Send(WM_APP_PACK_UNCHECK_ALL);
    m_dlg.SaveOnLeave(true);
    EXPECT_FALSE(m_dlg.m_bChanged);
    EXPECT_EQ(testsupport::ReadDeviceFile(kPackFile).rfind(">\r\nAll\r\n*\r\nAll Items\r\nPassport0\r\n", 0), 0u);
    EXPECT_EQ(m_dlg.SendMessage(WM_APP_LEAVE_TOOL), 1);
    EXPECT_FALSE(m_dlg.IsWindowVisible());
}

} // namespace
