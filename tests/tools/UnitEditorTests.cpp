// The unit editor, run modally as the converter runs it: listing a category (the volumes after
// the temperatures), adding, removing and modifying units in the store, the typed-name
// selection, the category bound, and the converter reloading what the editor stored.

#include "ToolsTestSupport.h"
#include "core/BuiltInUnitTable.h"
#include "tools/UnitConverterDlg.h"
#include "tools/UnitEditorDlg.h"
#include "tools/UnitTables.h"
#include "platform/ui/Sip.h"
#include "support/FileSizeLimit.h"
#include "support/Screenshots.h"
#include "support/UserAction.h"

#include <algorithm>

#include <functional>

namespace toolstest {
namespace {

class UnitEditorTest : public ToolsTest {
protected:
    // Runs the editor; the script acts as the user once it is up, then it is closed with OK.
    // Fails the test when the editor never came up.
    static void Run(std::function<void(CUnitEditDlg&)> script, std::function<void()> start = nullptr) {
        static std::function<void(CUnitEditDlg&)> s_script;
        static bool s_ran;
        s_ran = false;
        s_script = std::move(script);
        ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
            auto* dlg = dynamic_cast<CUnitEditDlg*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
            if (!dlg || !dlg->IsWindowVisible()) return;
            ::KillTimer(nullptr, id);
            s_ran = true;
            s_script(*dlg);
            dlg->SendMessage(WM_COMMAND, IDOK);
        });
        if (start) {
            start();
        } else {
            CUnitEditDlg dlg(nullptr);
            EXPECT_EQ(dlg.DoModal(), IDOK);
        }
        EXPECT_TRUE(s_ran);
    }
    static std::vector<std::wstring> Column(CListCtrl& list, int column) {
        std::vector<std::wstring> rows;
        for (int i = 0; i < list.GetItemCount(); ++i) rows.emplace_back(list.GetItemText(i, column));
        return rows;
    }
    // The store's units of a key, in store order.
    static std::vector<std::wstring> StoreNames(const wchar_t* key) {
        CConvertersDb db;
        db.Open();
        std::vector<std::wstring> names;
        db.SeekFirst();
        for (DWORD i = 0; !db.IsEOF(); ++i)
            if (db.GetCategory(i) == key) names.emplace_back(db.GetUnitName(i));
        return names;
    }
    static void ChooseCategory(CUnitEditDlg& dlg, int index) {
        dlg.m_category.SetCurSel(index);
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_UNIT_CATEGORY, CBN_SELCHANGE), reinterpret_cast<LPARAM>(dlg.m_category.m_hWnd));
    }
    static void Click(CUnitEditDlg& dlg, CWnd& button) {
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(button.GetDlgCtrlID(), BN_CLICKED), reinterpret_cast<LPARAM>(button.m_hWnd));
    }
    static void TapRow(CUnitEditDlg& dlg, int row) {
        dlg.m_list.EnsureVisible(row, FALSE);
        CRect r;
        ASSERT_TRUE(dlg.m_list.GetItemRect(row, &r, LVIR_LABEL));
        dlg.m_list.ClientToScreen(&r);
        device::display::test::Tap(CPoint(r.left + 3, r.CenterPoint().y));
    }
    static std::wstring Heading(CUnitEditDlg& dlg) {
        WCHAR text[64] = {};
        LVCOLUMN column{};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = 64;
        dlg.m_list.GetColumn(1, &column);
        return text;
    }
};

TEST_F(UnitEditorTest, ListsACategoryInStoreOrderWithItsValueHeading) {
    Run([&](CUnitEditDlg& dlg) {
        EXPECT_EQ(dlg.m_category.GetCount(), 6); // no temperatures
        EXPECT_EQ(Column(dlg.m_list, 0), StoreNames(L"0"));
        EXPECT_EQ(Heading(dlg), L"Value/m\u00B2");
        ChooseCategory(dlg, 4);
        EXPECT_EQ(Column(dlg.m_list, 0), StoreNames(L"5"));
        EXPECT_EQ(Heading(dlg), L"Value/kl");
        EXPECT_EQ(dlg.CategoryStart(5), dlg.CategoryStart(4) + 5);
        CString factor;
        dlg.m_factorField.GetWindowText(factor);
        EXPECT_EQ(std::wstring(factor), L"0");
        testsupport::SaveScreenshot("unit-editor");
    });
}

TEST_F(UnitEditorTest, AddRefusesANameShownInAnyCaseAndStoresANewOne) {
    std::vector<std::wstring> before = StoreNames(L"1");
    device::ui::ScriptMessageBoxAnswers({IDOK});
    Run([&](CUnitEditDlg& dlg) {
        ChooseCategory(dlg, 1);
        dlg.m_nameField.SetWindowText(L"FEET");
        dlg.m_factorField.SetWindowText(L"0.3");
        Click(dlg, dlg.m_addButton);
        EXPECT_EQ(StoreNames(L"1"), before);
        dlg.m_nameField.SetWindowText(L"Verst");
        dlg.m_factorField.SetWindowText(L"1066.8");
        Click(dlg, dlg.m_addButton);
        EXPECT_EQ(dlg.m_list.GetItemCount(), static_cast<int>(before.size()) + 1);
        EXPECT_EQ(dlg.CategoryCounts[1], static_cast<int>(before.size()) + 1);
        // The fields keep their texts.
        CString name;
        dlg.m_nameField.GetWindowText(name);
        EXPECT_EQ(std::wstring(name), L"Verst");
    });
    ASSERT_EQ(device::ui::MessageBoxRecords().size(), 1u);
    EXPECT_EQ(device::ui::MessageBoxRecords()[0].text, L"Unit < FEET > already exists!");
    std::vector<std::wstring> after = StoreNames(L"1");
    EXPECT_EQ(after.size(), before.size() + 1);
    EXPECT_NE(std::find(after.begin(), after.end(), L"Verst"), after.end());
    // The categories after it are where they were.
    EXPECT_EQ(StoreNames(L"2").size(), 100u);
}

// A unit the full device cannot store is not listed or counted: the storage fault is said and
// the categories after it stay where they are.
TEST_F(UnitEditorTest, AddOnAFullDeviceStoresAndCountsNothing) {
    const std::vector<std::wstring> before = StoreNames(L"1");
    device::ui::ScriptMessageBoxAnswers({IDOK});
    Run([&](CUnitEditDlg& dlg) {
        ChooseCategory(dlg, 1);
        const int start = dlg.CategoryStart(2);
        dlg.m_nameField.SetWindowText(L"Verst");
        dlg.m_factorField.SetWindowText(L"1066.8");
        {
            testsupport::FileSizeLimit full(8);
            Click(dlg, dlg.m_addButton);
        }
        EXPECT_EQ(dlg.m_list.GetItemCount(), static_cast<int>(before.size()));
        EXPECT_EQ(dlg.CategoryStart(2), start);
    });
    ASSERT_EQ(device::ui::MessageBoxRecords().size(), 1u);
    EXPECT_EQ(device::ui::MessageBoxRecords()[0].text.rfind(L"The device's storage is full", 0), 0u);
    EXPECT_EQ(StoreNames(L"1"), before);
}

TEST_F(UnitEditorTest, ABlankNameOrAFactorThatIsNoNumberAboveZeroOrTooLargeOrSmallIsRefused) {
    std::vector<std::wstring> before = StoreNames(L"1");
    std::vector<std::wstring> factorsBefore;
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK, IDOK, IDOK, IDOK, IDOK, IDOK, IDOK});
    Run([&](CUnitEditDlg& dlg) {
        ChooseCategory(dlg, 1);
        factorsBefore = Column(dlg.m_list, 1);
        const wchar_t* refused[][2] = {{L"", L"1"},      {L"  ", L"1"},        {L"Verst", L"abc0"},
                                       {L"Verst", L"0"}, {L"Verst", L"1e999"}, {L"Verst", L"-5"},
                                       {L"Verst", L"-0"},  {L"Verst", L"1e-400"}};
        for (auto& fields : refused) {
            dlg.m_nameField.SetWindowText(fields[0]);
            dlg.m_factorField.SetWindowText(fields[1]);
            Click(dlg, dlg.m_addButton);
        }
        // Modify is held to the same rule.
        TapRow(dlg, 0);
        dlg.m_factorField.SetWindowText(L"x");
        Click(dlg, dlg.m_modifyButton);
        EXPECT_EQ(Column(dlg.m_list, 1), factorsBefore);
        EXPECT_TRUE(dlg.IsWindowVisible());
    });
    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 9u);
    EXPECT_EQ(boxes[0].text, L"Please enter a name");
    EXPECT_EQ(boxes[1].text, L"Please enter a name");
    for (size_t i = 2; i < boxes.size(); ++i)
        EXPECT_EQ(boxes[i].text, i == 4   ? L"Too large"    // 1e999
                                 : i == 7 ? L"Too small"    // 1e-400
                                          : L"The value must be a number above 0")
            << i;
    EXPECT_EQ(StoreNames(L"1"), before);
}

TEST_F(UnitEditorTest, RemoveAsksAndModifyStillFindsItsRowAfterwards) {
    device::ui::ScriptMessageBoxAnswers({IDNO, IDYES});
    std::vector<std::wstring> before = StoreNames(L"6");
    Run([&](CUnitEditDlg& dlg) {
        ChooseCategory(dlg, 5);
        std::wstring victim = Column(dlg.m_list, 0)[1];
        dlg.m_nameField.SetWindowText(CString(victim.c_str()).MakeUpper()); // other case: no match
        Click(dlg, dlg.m_removeButton);
        dlg.m_nameField.SetWindowText(victim.c_str());
        Click(dlg, dlg.m_removeButton); // No
        EXPECT_EQ(dlg.m_list.GetItemCount(), static_cast<int>(before.size()));
        Click(dlg, dlg.m_removeButton); // Yes
        EXPECT_EQ(dlg.m_list.GetItemCount(), static_cast<int>(before.size()) - 1);
        EXPECT_EQ(dlg.CategoryCounts[6], static_cast<int>(before.size()) - 1);

        // Tapping row 3 fills the fields; Modify rewrites that record and the row shows it.
        TapRow(dlg, 3);
        CString name;
        dlg.m_nameField.GetWindowText(name);
        EXPECT_EQ(std::wstring(name), dlg.m_list.GetItemText(3, 0).GetString());
        dlg.m_nameField.SetWindowText(L"Stone [renamed]");
        dlg.m_factorField.SetWindowText(L"6.35");
        Click(dlg, dlg.m_modifyButton);
        EXPECT_EQ(std::wstring(dlg.m_list.GetItemText(3, 0)), L"Stone [renamed]");
        EXPECT_EQ(std::wstring(dlg.m_list.GetItemText(3, 1)), L"6.35");
    });
    ASSERT_EQ(device::ui::MessageBoxRecords().size(), 2u);
    EXPECT_EQ(device::ui::MessageBoxRecords()[0].caption, L"Confirmation");
    EXPECT_EQ(device::ui::MessageBoxRecords()[1].text, L"Delete < " + before[1] + L" > Unit?");
    std::vector<std::wstring> after = StoreNames(L"6");
    ASSERT_EQ(after.size(), before.size() - 1);
    EXPECT_EQ(after[3], L"Stone [renamed]");
    EXPECT_EQ(std::find(after.begin(), after.end(), before[1]), after.end());
    EXPECT_EQ(StoreNames(L"5").size(), 81u);
}

TEST_F(UnitEditorTest, TypedNameSelectsItsRowAndModifyWithoutARowChangesNothing) {
    std::vector<std::wstring> before = StoreNames(L"0");
    Run([&](CUnitEditDlg& dlg) {
        dlg.m_nameField.SetWindowText(L"Nothing Like It");
        Click(dlg, dlg.m_modifyButton); // no row chosen yet
        int last = dlg.m_list.GetItemCount() - 1;
        CString typed = dlg.m_list.GetItemText(last, 0);
        typed.MakeUpper();
        dlg.m_nameField.SetWindowText(typed);
        EXPECT_EQ(dlg.m_list.GetNextItem(-1, LVNI_SELECTED), last);
        EXPECT_GE(dlg.m_list.GetTopIndex() + dlg.m_list.GetCountPerPage(), last + 1); // scrolled into view
    });
    EXPECT_EQ(StoreNames(L"0"), before);
    EXPECT_TRUE(device::ui::MessageBoxRecords().empty());
}

TEST_F(UnitEditorTest, AFullCategoryTakesNoMoreUnits) {
    {
        CConvertersDb db;
        db.Open();
        for (int i = 16; i < kUnitTableSize; ++i) {
            CString name;
            name.Format(L"length %03d", i);
            db.InsertUnit(L"1", name, L"1");
        }
    }
    ASSERT_EQ(StoreNames(L"1").size(), static_cast<size_t>(kUnitTableSize));
    device::ui::ScriptMessageBoxAnswers({IDOK});
    Run([&](CUnitEditDlg& dlg) {
        ChooseCategory(dlg, 1);
        EXPECT_FALSE(dlg.AddUnit(1, L"One too many", L"1"));
    });
    EXPECT_EQ(StoreNames(L"1").size(), static_cast<size_t>(kUnitTableSize));
    EXPECT_EQ(device::ui::MessageBoxRecords().size(), 1u);
}

TEST_F(UnitEditorTest, ConverterReloadsWhatTheEditorStored) {
    CreatePage();
    m_page.OpenTool(kToolConverter);
    auto* conv = static_cast<CConverterDlg*>(m_page.GetTool(kToolConverter));
    conv->m_category.SetCurSel(6);
    conv->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CONVERTER_CATEGORY, CBN_SELCHANGE), reinterpret_cast<LPARAM>(conv->m_category.m_hWnd));
    Run(
        [&](CUnitEditDlg& dlg) {
            ChooseCategory(dlg, 5);
            dlg.m_nameField.SetWindowText(L"Talent");
            dlg.m_factorField.SetWindowText(L"26");
            Click(dlg, dlg.m_addButton);
        },
        [&] {
            conv->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CONVERTER_EDIT_UNITS, BN_CLICKED),
                              reinterpret_cast<LPARAM>(conv->m_editUnitsButton.m_hWnd));
        });
    int talent = conv->m_fromList.FindStringExact(-1, L"Talent");
    ASSERT_GE(talent, 0);
    EXPECT_EQ(conv->m_category.GetCurSel(), 6);
    EXPECT_EQ(std::wstring(UnitTableOfCategory(6)->entries[talent].factor), L"26");
}

// A device with no room from the start: the converter shows and converts with the built-in units
// (from memory), says once that they could not be stored, and the editor refuses a change with
// the storage message, keeping what was typed. With room, the change is stored and reaches the
// converter.
TEST_F(UnitEditorTest, OnADeviceWithNoRoomTheConverterStillHasItsUnitsAndChangesAreRefused) {
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"CurTab", 0); // the store is there
    auto told = [](const wchar_t* text) {
        const auto boxes = device::ui::MessageBoxRecords();
        return std::count_if(boxes.begin(), boxes.end(), [&](const auto& b) { return b.text.find(text) != std::wstring::npos; });
    };
    CConverterDlg* conv = nullptr;
    auto addVerst = [&](CUnitEditDlg& dlg) {
        ChooseCategory(dlg, 1);
        dlg.m_nameField.SetWindowText(L"Verst");
        dlg.m_factorField.SetWindowText(L"1066.8");
        testsupport::StartUserAction();
        Click(dlg, dlg.m_addButton);
    };
    auto fromConverter = [&] {
        conv->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CONVERTER_EDIT_UNITS, BN_CLICKED),
                          reinterpret_cast<LPARAM>(conv->m_editUnitsButton.m_hWnd));
    };
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK});
    {
        testsupport::FileSizeLimit full(testsupport::RoomLeft(Root(), 0));
        CreatePage();
        m_page.OpenTool(kToolConverter);
        conv = static_cast<CConverterDlg*>(m_page.GetTool(kToolConverter));
        ASSERT_TRUE(conv && conv->GetSafeHwnd());
        EXPECT_EQ(conv->m_fromList.GetCount(), 112);
        EXPECT_EQ(told(L"full!\n\nThe converter's units could not be stored"), 1);
        conv->m_category.SetCurSel(1);
        conv->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CONVERTER_CATEGORY, CBN_SELCHANGE),
                          reinterpret_cast<LPARAM>(conv->m_category.m_hWnd));
        conv->m_fromList.SetCurSel(conv->m_fromList.FindStringExact(-1, L"Feet"));
        conv->m_toList.SetCurSel(conv->m_toList.FindStringExact(-1, L"Inch"));
        conv->m_valueField.SetWindowText(L"2");
        Pump();
        CString result;
        conv->m_resultField.GetWindowText(result);
        EXPECT_EQ(result, L"24");
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
        Run(
            [&](CUnitEditDlg& dlg) {
                addVerst(dlg);
                EXPECT_EQ(dlg.m_list.GetItemCount(), 16);
                CString name;
                dlg.m_nameField.GetWindowText(name);
                EXPECT_EQ(name, L"Verst");
            },
            fromConverter);
        EXPECT_EQ(told(L"could not be stored"), 0) << "said once";
        EXPECT_EQ(told(L"full!\n\nNothing was saved"), 1) << "the unit refused";
    }
    Run(addVerst, fromConverter);
    EXPECT_GE(conv->m_fromList.FindStringExact(-1, L"Verst"), 0);
}

// Opened from the converter with the input panel then raised, on a portrait and a landscape
// screen: the editor ends above the panel, its scroll range brings the fields and Modify into
// view, no scroll bar covers the buttons at the right, and the category list opens above the
// panel.
TEST_F(UnitEditorTest, FieldsReachableAboveTheRaisedPanel) {
    CreatePage();
    m_page.OpenTool(kToolConverter);
    auto* conv = static_cast<CConverterDlg*>(m_page.GetTool(kToolConverter));
    for (int turn = 0; turn < 2; ++turn) {
        SCOPED_TRACE(turn == 0 ? "portrait" : "landscape");
        if (turn == 1) device::ui::RotateScreen();
        Pump();
        Run(
            [&](CUnitEditDlg& dlg) {
                device::ui::SetSipUp(true);
                Pump();
                SIPINFO sip{};
                sip.cbSize = sizeof(sip);
                ASSERT_TRUE(::SipGetInfo(&sip));
                const int visibleBottom = sip.rcVisibleDesktop.bottom;
                CRect window, client;
                dlg.GetWindowRect(&window);
                EXPECT_LE(window.bottom, visibleBottom);
                dlg.GetClientRect(&client);
                dlg.ClientToScreen(&client);
                for (CWnd* control : {static_cast<CWnd*>(&dlg.m_removeButton), static_cast<CWnd*>(&dlg.m_category)}) {
                    CRect r;
                    control->GetWindowRect(&r);
                    EXPECT_LE(r.right, client.right) << "right edge clear of the scroll bar";
                }
                // Scrolled to the bottom (as focusing a field does): the lowest row is seen.
                dlg.m_factorField.SetFocus();
                Pump();
                for (CWnd* control : {static_cast<CWnd*>(&dlg.m_factorField), static_cast<CWnd*>(&dlg.m_modifyButton),
                                      static_cast<CWnd*>(&dlg.m_nameField)}) {
                    CRect r;
                    control->GetWindowRect(&r);
                    EXPECT_GE(r.top, client.top);
                    EXPECT_LE(r.bottom, std::min(static_cast<int>(client.bottom), visibleBottom));
                }
                testsupport::SaveScreenshot(turn == 0 ? "unit-editor-panel-up-portrait" : "unit-editor-panel-up-landscape");
                dlg.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
                dlg.m_category.ShowDropDown(TRUE);
                Pump();
                CRect list;
                dlg.m_category.GetDroppedControlRect(&list);
                EXPECT_LE(list.bottom, visibleBottom) << "the list opens above the panel";
                dlg.m_category.ShowDropDown(FALSE);
                device::ui::SetSipUp(false);
                Pump();
            },
            [&] {
                conv->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CONVERTER_EDIT_UNITS, BN_CLICKED),
                                  reinterpret_cast<LPARAM>(conv->m_editUnitsButton.m_hWnd));
            });
    }
    device::ui::RotateScreen();
}

} // namespace
} // namespace toolstest
