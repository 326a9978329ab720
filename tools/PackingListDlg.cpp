#include "tools/PackingListDlg.h"

#include "core/CommonHelpers.h"
#include "core/CoreMessages.h"
#include "core/StorageFaults.h"
#include "platform/system/DeviceFiles.h"
#include "core/TextFiles.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/MessageBox.h"
#include "resources/resource.h"
#include "tools/PackingEntryDlgs.h"
#include "shell/AppMessages.h"

using namespace toolwin;

// [SECTION] Item helpers: the views are the store ------------------------------------------------

namespace {

CString Lower(CString text) {
    text.MakeLower();
    return text;
}

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

void AppendItem(CListCtrl* view, const CString& text, bool checked) {
    int row = view->InsertItem(view->GetItemCount(), text);
    view->SetCheck(row, checked ? TRUE : FALSE);
}

// The first row of the same text, letter case ignored; -1 when none.
int FindNoCase(const CListCtrl* view, const CString& text) {
    const CString wanted = Lower(text);
    for (int row = 0; row < view->GetItemCount(); ++row)
        if (Lower(view->GetItemText(row, 0)) == wanted) return row;
    return -1;
}

// Appends an unchecked item unless the view holds it already (letter case ignored).
void AppendIfMissing(CListCtrl* view, const CString& text) {
    if (view && FindNoCase(view, text) < 0) AppendItem(view, text, false);
}

// Deletes every row of exactly this text; true when there was one.
bool DeleteExact(CListCtrl* view, const CString& text) {
    bool found = false;
    if (!view) return false;
    for (int row = view->GetItemCount() - 1; row >= 0; --row)
        if (view->GetItemText(row, 0) == text) {
            view->DeleteItem(row);
            found = true;
        }
    return found;
}

int SelectedRow(const CListCtrl& view) { return view.GetNextItem(-1, LVNI_SELECTED); }

} // namespace

// [SECTION] Creation, data and file --------------------------------------------------------------

BEGIN_MESSAGE_MAP(CPackingListDlg, CDialog)
    ON_NOTIFY(TCN_SELCHANGE, IDC_PACK_LIST_TABS, &CPackingListDlg::OnListTabChange)
    ON_WM_CTLCOLOR()
    ON_CBN_SELCHANGE(IDC_PACK_CATEGORY, &CPackingListDlg::OnCategoryChange)
    ON_WM_PAINT()
    ON_BN_CLICKED(IDC_PACK_SAVE, &CPackingListDlg::OnSaveClicked)
    ON_WM_SIZE()
    ON_NOTIFY(NM_DBLCLK, IDC_PACK_VIEW, &CPackingListDlg::OnListDblClk)
    ON_NOTIFY(NM_DBLCLK, IDC_PACK_FILTER, &CPackingListDlg::OnFilterDblClk)
    ON_NOTIFY(NM_CLICK, IDC_PACK_VIEW, &CPackingListDlg::OnListClick)
    ON_NOTIFY(NM_CLICK, IDC_PACK_FILTER, &CPackingListDlg::OnFilterClick)
    ON_NOTIFY(LVN_KEYDOWN, IDC_PACK_VIEW, &CPackingListDlg::OnListKeyDown)
    ON_NOTIFY(LVN_KEYDOWN, IDC_PACK_FILTER, &CPackingListDlg::OnFilterKeyDown)
    ON_MESSAGE(kFilterRowTicked, &CPackingListDlg::OnFilterRowTicked)
    ON_WM_LBUTTONDOWN()
    ON_WM_SETTINGCHANGE()
    ON_WM_ERASEBKGND()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_APP_LEAVE_TOOL, &CPackingListDlg::OnLeaveTool)
    ON_MESSAGE(WM_APP_PACK_ADD_CATEGORY, &CPackingListDlg::OnAddCategory)
    ON_MESSAGE(WM_APP_PACK_ADD_LIST, &CPackingListDlg::OnAddList)
    ON_MESSAGE(WM_APP_PACK_ADD_ITEMS, &CPackingListDlg::OnAddItems)
    ON_MESSAGE(WM_APP_UNDO_OR_DELETE_CATEGORY, &CPackingListDlg::OnDeleteCategory)
    ON_MESSAGE(WM_APP_PACK_DELETE_LIST, &CPackingListDlg::OnDeleteList)
    ON_MESSAGE(WM_APP_PACK_DELETE_ITEM, &CPackingListDlg::OnDeleteItem)
    ON_MESSAGE(WM_APP_PACK_DELETE_ALL_ITEMS, &CPackingListDlg::OnDeleteAllItems)
    ON_MESSAGE(WM_APP_PACK_SHOW_ALL, &CPackingListDlg::OnShowAll)
    ON_MESSAGE(WM_APP_PACK_SHOW_CHECKED, &CPackingListDlg::OnShowChecked)
    ON_MESSAGE(WM_APP_PACK_SHOW_UNCHECKED, &CPackingListDlg::OnShowUnchecked)
    ON_MESSAGE(WM_APP_PACK_UNCHECK_ALL, &CPackingListDlg::OnUncheckAll)
END_MESSAGE_MAP()

CPackingListDlg::CPackingListDlg(CWnd* pParent) : CDialog(IDD_PACKING_LIST, pParent) {}

CPackingListDlg::~CPackingListDlg() = default;

CString CPackingListDlg::PackFilePath() { return GetShippedFilePath(L"pack.dat"); }

void CPackingListDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PACK_FILTER, m_listFilter);
    DDX_Control(pDX, IDC_PACK_LINE_RIGHT, m_staticLineRight);
    DDX_Control(pDX, IDC_PACK_LINE_LEFT, m_staticLineLeft);
    DDX_Control(pDX, IDC_PACK_LINE_BOTTOM, m_staticLineBottom);
    DDX_Control(pDX, IDC_PACK_BAND, m_staticBand);
    DDX_Control(pDX, IDC_PACK_LIST_TABS, m_tabLists);
    DDX_Control(pDX, IDC_PACK_CATEGORY, m_comboCategory);
}

void CPackingListDlg::ReadMetrics() {
    ToolMetrics metrics = ReadToolMetrics();
    m_w = metrics.width;
    m_h = metrics.height;
    m_m = metrics.menuHeight;
    m_a = m_h - m_m - 26;
}

BOOL CPackingListDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_brushBack.CreateSolidBrush(RGB(238, 238, 238));
    m_brushLine.CreateSolidBrush(RGB(168, 165, 168));
    m_brushWhite.CreateSolidBrush(RGB(255, 255, 255));
    m_brushPage.CreateSolidBrush(m_crPage);
    ReadMetrics();
    CreateToolFont(m_fontHint, 11, FW_NORMAL, L"Arial", 4, 0);
    m_f = m_w == 320 ? 6 : 7;

    m_tabLists.SetBackColor(RGB(238, 238, 238));
    CreateToolFont(m_fontControl, 13, FW_NORMAL, L"Arial", 4, 0);
    m_tabLists.SetFont(&m_fontControl);
    m_listFilter.SetFont(&m_fontControl);
    m_comboCategory.SetCurSel(0);

    m_btnSave.SubclassDlgItem(IDC_PACK_SAVE, this);
    m_btnSave.SetIcon(IDI_PACK_SAVE, 16, 16);
    m_btnSave.SetColor(CIconButton::BTNST_COLOR_BK_OUT, RGB(194, 211, 228));
    m_btnSave.SetColor(CIconButton::BTNST_COLOR_BK_FOCUS, RGB(194, 211, 228));
    m_btnSave.SetColor(CIconButton::BTNST_COLOR_BK_IN, RGB(238, 238, 238));
    m_btnSave.SetFlat(FALSE);
    m_btnSave.SetFont(&m_fontControl);

    m_listFilter.SetExtendedStyle(m_listFilter.GetExtendedStyle() | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    m_listFilter.ShowWindow(SW_HIDE);
    // Tab goes from the category box to the items (the filtered view over them, the list views
    // under it), then to the list tabs and Save: the windows are ordered so.
    m_listFilter.SetWindowPos(&m_comboCategory, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_btnSave.SetWindowPos(&m_tabLists, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    bool damaged = false;
    bool keptAside = false;
    {
        CWaitCursor wait;
        PackData data;
        if (!ReadPackingListFile(PackFilePath(), data, &damaged)) data = DefaultPackingList();
        // The next save replaces the file with what is shown: the damaged file is kept beside
        // it first, so nothing of it is lost.
        if (damaged) keptAside = ::CopyFileW(PackFilePath(), GetShippedFilePath(L"pack.bak"), FALSE) != FALSE;
        LoadData(data);
    }
    ReplaceBitmap(m_bmpBackground, SHLoadImageFile(GetProgramFolder() + L"\\Portrait\\pack.jpg"));
    SetSaved(true);
    if (CListCtrl* view = View(0, 0)) view->SetFocus();
    ApplySkin();
    // A copy the device could not write (full, read-only) is not claimed.
    if (damaged) ShowCoreMessage(keptAside ? IDS_PACK_FILE_DAMAGED : IDS_PACK_FILE_DAMAGED_NOT_KEPT);
    return FALSE;
}

void CPackingListDlg::LoadData(const PackData& data) {
    for (int c = 0; c < static_cast<int>(data.size()) && c < kMaxPackCategories; ++c) {
        m_comboCategory.AddString(data[c].name);
        const auto& lists = data[c].lists;
        for (int l = 0; l < static_cast<int>(lists.size()) && l < kMaxPackLists; ++l) {
            CListCtrl* view = CreateView(c, l, l == 0);
            SetName(c, l, lists[l].name);
            for (const PackItem& item : lists[l].items) AppendItem(view, item.text, item.checked);
        }
    }
    m_nCategoryCount = std::min(static_cast<int>(data.size()), kMaxPackCategories);
    m_nCategory = 0;
    m_nList = 0;
    m_comboCategory.SetCurSel(0);
    RebuildTabs();
    ShowCurrentView();
}

PackData CPackingListDlg::CollectData() const {
    PackData data;
    for (int c = 0; c < m_nCategoryCount; ++c) {
        PackCategory category;
        CString name;
        m_comboCategory.GetLBText(c, name);
        category.name = name;
        for (int l = 0; l < kMaxPackLists; ++l) {
            if (l > 0 && Name(c, l).IsEmpty()) break;
            PackList list;
            list.name = Name(c, l);
            if (CListCtrl* view = View(c, l))
                for (int row = 0; row < view->GetItemCount(); ++row)
                    list.items.push_back({view->GetItemText(row, 0), view->GetCheck(row) != FALSE});
            category.lists.push_back(std::move(list));
        }
        data.push_back(std::move(category));
    }
    return data;
}

void CPackingListDlg::SetSaved(bool saved) {
    if (m_btnSave.m_hWnd) m_btnSave.EnableWindow(saved ? FALSE : TRUE);
    m_bChanged = !saved;
    CRect star(m_w - 15, 28, m_w, 35);
    InvalidateRect(&star, TRUE);
}

void CPackingListDlg::SavePackFile() {
    SetSaved(true);
    if (!WritePackingListFile(PackFilePath(), CollectData())) {
        // Nothing was saved: say so, with why, and keep the changes marked as unsaved.
        const StorageCause cause = FileFaultCause(GetLastError());
        TellSaveFailed(m_hWnd, LoadText(IDS_PACK_SAVE_FAILED) + L"\n\n" + LoadText(StorageCauseTextId(cause)),
                       MB_OK | MB_ICONEXCLAMATION);
        SetSaved(false);
    }
    m_comboCategory.SetFocus();
    if (CListCtrl* view = View(0, 0)) view->SetFocus();
}

void CPackingListDlg::OnSaveClicked() { SavePackFile(); }

void CPackingListDlg::SaveOnLeave(bool save) {
    if (save) SavePackFile();
    else SetSaved(true);
}

BOOL CPackingListDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDOK && HIWORD(wParam) == 0) {
        // Enter keeps the tool open; on an item it opens the item, as a double tap does.
        const HWND focus = ::GetFocus();
        CListCtrl* view = CurrentView();
        const bool onFilter = m_listFilter.IsWindowVisible() && focus == m_listFilter.m_hWnd;
        if (onFilter || (view && focus == view->m_hWnd)) {
            HideToolsList(this);
            SetSaved(false);
            if (onFilter)
                EditFilterRow(SelectedRow(m_listFilter));
            else
                EditItem(SelectedRow(*view));
        }
        return FALSE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

INT_PTR CPackingListDlg::RunNewEntry(CNewEntryDlg& dlg) { return dlg.DoModal(); }
INT_PTR CPackingListDlg::RunEditItem(CEditItemDlg& dlg) { return dlg.DoModal(); }

// [SECTION] Views, tabs and the filtered view ----------------------------------------------------

CListCtrl* CPackingListDlg::View(int category, int list) const {
    if (category < 0 || category >= kMaxPackCategories || list < 0 || list >= kMaxPackLists) return nullptr;
    return m_views[category][list].get();
}

CListCtrl* CPackingListDlg::CreateView(int category, int list, bool fromFile) {
    DestroyView(category, list);
    auto view = std::make_unique<CListCtrl>();
    CRect tabs;
    m_tabLists.GetClientRect(&tabs);
    CRect place(5, tabs.Height() + 34, 5 + m_w - 10, tabs.Height() + 34 + m_f * m_a / 10);
    view->Create(WS_CHILD | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LVS_LIST, place, this, IDC_PACK_VIEW);
    view->SetWindowPos(&m_listFilter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    view->SetFont(&m_fontControl);
    DWORD styles = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
    if (fromFile) styles |= LVS_EX_GRIDLINES | LVS_EX_LABELTIP;
    view->SetExtendedStyle(view->GetExtendedStyle() | styles);
    m_views[category][list] = std::move(view);
    return m_views[category][list].get();
}

void CPackingListDlg::DestroyView(int category, int list) {
    if (auto& view = m_views[category][list]) {
        if (view->m_hWnd) view->DestroyWindow();
        view.reset();
    }
}

void CPackingListDlg::RebuildTabs() {
    m_tabLists.DeleteAllItems();
    int tabs = 0;
    for (int l = 0; l < kMaxPackLists && !Name(m_nCategory, l).IsEmpty(); ++l) m_tabLists.InsertItem(tabs++, Name(m_nCategory, l));
    m_nLastList = std::max(0, tabs - 1);
    m_tabLists.SetCurSel(m_nList);
}

void CPackingListDlg::ShowCurrentView() {
    for (int c = 0; c < kMaxPackCategories; ++c)
        for (int l = 0; l < kMaxPackLists; ++l)
            if (CListCtrl* view = View(c, l)) view->ShowWindow(c == m_nCategory && l == m_nList ? SW_SHOW : SW_HIDE);
}

void CPackingListDlg::FillFilter(int mode) {
    CWaitCursor wait;
    m_nFilterMode = mode;
    m_listFilter.DeleteAllItems();
    if (CListCtrl* view = CurrentView())
        for (int row = 0; row < view->GetItemCount(); ++row) {
            const bool checked = view->GetCheck(row) != FALSE;
            if (checked == (mode == 1)) AppendItem(&m_listFilter, view->GetItemText(row, 0), checked);
        }
    m_listFilter.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
}

void CPackingListDlg::RebuildFilterIfVisible() {
    if (m_listFilter.IsWindowVisible()) FillFilter(m_nFilterMode);
}

LRESULT CPackingListDlg::OnShowChecked(WPARAM, LPARAM) {
    FillFilter(1);
    return 1;
}

LRESULT CPackingListDlg::OnShowUnchecked(WPARAM, LPARAM) {
    FillFilter(0);
    return 1;
}

LRESULT CPackingListDlg::OnShowAll(WPARAM, LPARAM) {
    m_listFilter.ShowWindow(SW_HIDE);
    return 1;
}

void CPackingListDlg::OnListTabChange(NMHDR*, LRESULT* pResult) {
    HideToolsList(this);
    const int tab = m_tabLists.GetCurSel();
    if (tab >= 0 && tab <= m_nLastList) {
        m_nList = tab;
        ShowCurrentView();
        RebuildFilterIfVisible();
    }
    AdjustComboDropHeight(&m_comboCategory, 8);
    if (pResult) *pResult = 0;
}

void CPackingListDlg::OnCategoryChange() {
    HideToolsList(this);
    const int selection = m_comboCategory.GetCurSel();
    if (selection >= 0 && selection != m_nCategory) {
        m_nCategory = selection;
        m_nList = 0;
        RebuildTabs();
        ShowCurrentView();
    }
    RebuildFilterIfVisible();
    if (CListCtrl* view = View(m_nCategory, 0)) view->SetFocus();
}

// [SECTION] Adding ------------------------------------------------------------------------------

LRESULT CPackingListDlg::OnAddCategory(WPARAM, LPARAM) {
    SetSaved(false);
    if (m_nCategoryCount >= kMaxPackCategories) {
        MessageBox(LoadText(IDS_PACK_MAX_CATEGORIES), nullptr, MB_OK);
        return 1;
    }
    CNewEntryDlg dlg;
    dlg.m_strCaption = LoadText(IDS_PACK_NEW_CATEGORY);
    dlg.m_nMode = NewEntryName;
    if (RunNewEntry(dlg) != IDOK) return 1;
    m_listFilter.ShowWindow(SW_HIDE);
    const int index = m_nCategoryCount++;
    m_comboCategory.AddString(dlg.m_strName);
    m_comboCategory.SetCurSel(index);
    CreateView(index, 0, false);
    SetName(index, 0, L"All Items");
    m_nCategory = index;
    m_nList = 0;
    RebuildTabs();
    ShowCurrentView();
    return 1;
}

LRESULT CPackingListDlg::OnAddList(WPARAM, LPARAM) {
    SetSaved(false);
    if (m_nLastList >= kMaxPackLists - 1) {
        MessageBox(LoadText(IDS_PACK_MAX_LISTS), nullptr, MB_OK);
        return 1;
    }
    CNewEntryDlg dlg;
    dlg.m_strCaption = LoadText(IDS_PACK_NEW_LIST);
    dlg.m_nMode = NewEntryName;
    if (RunNewEntry(dlg) != IDOK) return 1;
    m_listFilter.ShowWindow(SW_HIDE);
    const int index = ++m_nLastList;
    SetName(m_nCategory, index, dlg.m_strName);
    m_tabLists.InsertItem(index, dlg.m_strName);
    CreateView(m_nCategory, index, false)->ShowWindow(SW_HIDE);
    m_tabLists.SetCurSel(m_nList);
    return 1;
}

LRESULT CPackingListDlg::OnAddItems(WPARAM, LPARAM) {
    const int category = m_nCategory;
    const bool onAllItems = m_nList == 0;
    CListCtrl* current = CurrentView();
    CListCtrl* categoryAll = View(category, 0);
    CListCtrl* everything = View(0, 0);
    if (!current || !categoryAll || !everything) return 1;

    CNewEntryDlg dlg;
    dlg.m_strCaption = LoadText(IDS_PACK_ADD_ITEMS);
    auto flagged = [](CListCtrl* source, CListCtrl* target) {
        std::vector<CString> entries;
        for (int row = 0; row < source->GetItemCount(); ++row) {
            const CString text = source->GetItemText(row, 0);
            entries.push_back(text + (FindNoCase(target, text) >= 0 ? L"1" : L"0"));
        }
        return entries;
    };
    if (onAllItems) {
        for (int l = 1; l <= m_nLastList; ++l) dlg.m_lists.push_back(Name(category, l));
        if (category == 0) {
            dlg.m_nMode = NewEntryAllItems;
            for (int c = 1; c < m_nCategoryCount; ++c) {
                CString name;
                m_comboCategory.GetLBText(c, name);
                dlg.m_categories.push_back(name);
            }
        } else {
            dlg.m_nMode = NewEntryCategoryItems;
            dlg.m_items = flagged(everything, categoryAll);
        }
    } else {
        dlg.m_nMode = NewEntryListItems;
        dlg.m_items = flagged(categoryAll, current);
    }
    if (RunNewEntry(dlg) != IDOK) return 1;

    SetSaved(false);
    const CString name = dlg.m_strName;
    auto listChecked = [&dlg](int list) {
        return list - 1 < static_cast<int>(dlg.m_lists.size()) && dlg.m_lists[list - 1] == L"1";
    };
    auto reportExisting = [this, &name] {
        MessageBox(L"Item < " + name + LoadText(IDS_PACK_ITEM_EXISTS), nullptr, MB_OK);
    };
    if (m_nFilterMode == 0 && !name.IsEmpty()) AppendItem(&m_listFilter, name, false);

    if (onAllItems) {
        if (!name.IsEmpty()) {
            if (FindNoCase(categoryAll, name) >= 0) reportExisting();
            else AppendItem(categoryAll, name, false);
            if (category == 0) {
                for (size_t i = 0; i < dlg.m_categories.size(); ++i)
                    if (dlg.m_categories[i] == L"1") AppendIfMissing(View(static_cast<int>(i) + 1, 0), name);
            } else {
                AppendIfMissing(everything, name);
            }
            for (int l = 1; l <= m_nLastList; ++l)
                if (listChecked(l)) AppendIfMissing(View(category, l), name);
        }
        if (dlg.m_nMode == NewEntryCategoryItems) {
            for (const CString& entry : dlg.m_items) {
                if (entry.IsEmpty()) continue;
                const CString text = entry.Left(entry.GetLength() - 1);
                const bool wanted = entry[entry.GetLength() - 1] == L'1';
                const int row = FindNoCase(categoryAll, text);
                if (row >= 0 && !wanted) {
                    categoryAll->DeleteItem(row);
                } else if (row < 0 && wanted) {
                    AppendItem(categoryAll, text, false);
                    for (int l = 1; l <= m_nLastList; ++l)
                        if (listChecked(l)) AppendIfMissing(View(category, l), text);
                }
            }
        }
    } else {
        if (!name.IsEmpty()) {
            if (FindNoCase(current, name) >= 0) reportExisting();
            else AppendItem(current, name, false);
            AppendIfMissing(categoryAll, name);
            if (category != 0) AppendIfMissing(everything, name);
        }
        for (const CString& entry : dlg.m_items) {
            if (entry.IsEmpty()) continue;
            const CString text = entry.Left(entry.GetLength() - 1);
            const bool wanted = entry[entry.GetLength() - 1] == L'1';
            const int row = FindNoCase(current, text);
            if (row >= 0 && !wanted) current->DeleteItem(row);
            else if (row < 0 && wanted) AppendItem(current, text, false);
        }
    }
    return 1;
}

// [SECTION] Deleting and unchecking ------------------------------------------------------------

LRESULT CPackingListDlg::OnDeleteCategory(WPARAM, LPARAM) {
    SetSaved(false);
    if (m_nCategory == 0) {
        MessageBox(LoadText(IDS_PACK_CANNOT_DELETE_ALL), nullptr, MB_OK);
        return 1;
    }
    const int removed = m_nCategory;
    for (int l = 0; l < kMaxPackLists; ++l) DestroyView(removed, l);
    for (int c = removed; c + 1 < m_nCategoryCount; ++c)
        for (int l = 0; l < kMaxPackLists; ++l) {
            m_views[c][l] = std::move(m_views[c + 1][l]);
            SetName(c, l, Name(c + 1, l));
        }
    const int last = m_nCategoryCount - 1;
    for (int l = 0; l < kMaxPackLists; ++l) {
        DestroyView(last, l);
        SetName(last, l, l == 0 ? L"All Items" : L"");
    }
    --m_nCategoryCount;
    m_comboCategory.DeleteString(removed);
    m_nCategory = removed - 1;
    m_comboCategory.SetCurSel(m_nCategory);
    m_nList = 0;
    RebuildTabs();
    ShowCurrentView();
    m_listFilter.ShowWindow(SW_HIDE);
    OnCategoryChange();
    return 1;
}

LRESULT CPackingListDlg::OnDeleteList(WPARAM, LPARAM) {
    SetSaved(false);
    if (m_nList == 0) {
        MessageBox(LoadText(IDS_PACK_CANNOT_DELETE_ALL_ITEMS), nullptr, MB_OK);
        return 1;
    }
    const int removed = m_nList;
    DestroyView(m_nCategory, removed);
    for (int l = removed; l < m_nLastList; ++l) {
        m_views[m_nCategory][l] = std::move(m_views[m_nCategory][l + 1]);
        SetName(m_nCategory, l, Name(m_nCategory, l + 1));
    }
    DestroyView(m_nCategory, m_nLastList);
    SetName(m_nCategory, m_nLastList, L"");
    --m_nLastList;
    m_tabLists.DeleteItem(removed);
    m_nList = removed - 1;
    m_tabLists.SetCurSel(m_nList);
    ShowCurrentView();
    m_listFilter.ShowWindow(SW_HIDE);
    return 1;
}

LRESULT CPackingListDlg::OnDeleteItem(WPARAM, LPARAM) {
    SetSaved(false);
    CListCtrl* current = CurrentView();
    if (!current) return 1;
    if (m_listFilter.IsWindowVisible()) {
        const int filtered = SelectedRow(m_listFilter);
        const int row = filtered >= 0 ? FindNoCase(current, m_listFilter.GetItemText(filtered, 0)) : -1;
        current->SetItemState(-1, 0, LVIS_SELECTED);
        if (row >= 0) current->SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    }
    const int row = SelectedRow(*current);
    if (row >= 0) {
        const CString text = current->GetItemText(row, 0);
        if (MessageBox(LoadText(IDS_PACK_DELETE_ITEM) + L":\n" + text, LoadText(IDS_PACK_CONFIRMATION), MB_YESNO) == IDYES) {
            current->DeleteItem(row);
            if (m_nList == 0) {
                for (int l = 1; l < kMaxPackLists; ++l) DeleteExact(View(m_nCategory, l), text);
                if (m_nCategory == 0)
                    for (int c = 1; c < m_nCategoryCount; ++c)
                        if (DeleteExact(View(c, 0), text))
                            for (int l = 1; l < kMaxPackLists; ++l) DeleteExact(View(c, l), text);
            }
        }
    }
    RebuildFilterIfVisible();
    return 1;
}

LRESULT CPackingListDlg::OnDeleteAllItems(WPARAM, LPARAM) {
    SetSaved(false);
    if (m_nList == 0) {
        const bool all = m_nCategory == 0;
        if (MessageBox(LoadText(all ? IDS_PACK_DELETE_EVERYTHING : IDS_PACK_DELETE_CATEGORY_ITEMS), nullptr,
                       MB_YESNO | MB_ICONHAND) == IDYES) {
            for (int c = all ? 0 : m_nCategory; c <= (all ? m_nCategoryCount - 1 : m_nCategory); ++c)
                for (int l = 0; l < kMaxPackLists; ++l)
                    if (CListCtrl* view = View(c, l)) view->DeleteAllItems();
        }
    } else if (CListCtrl* view = CurrentView()) {
        view->DeleteAllItems();
    }
    RebuildFilterIfVisible();
    return 1;
}

LRESULT CPackingListDlg::OnUncheckAll(WPARAM, LPARAM) {
    SetSaved(false);
    if (CListCtrl* view = CurrentView())
        for (int row = 0; row < view->GetItemCount(); ++row) view->SetCheck(row, FALSE);
    RebuildFilterIfVisible();
    return 1;
}

// [SECTION] Taps --------------------------------------------------------------------------------

int CPackingListDlg::TapX() const {
    const DWORD pos = ::GetMessagePos();
    POINT point{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    ScreenToClient(&point);
    return point.x;
}

void CPackingListDlg::OnListClick(NMHDR*, LRESULT* pResult) {
    HideToolsList(this);
    if (TapX() < 20) {
        SetSaved(false); // the view turned the box over itself
    } else if (CListCtrl* view = CurrentView()) {
        const int row = SelectedRow(*view);
        if (row >= 0) {
            view->SetCheck(row, view->GetCheck(row) ? FALSE : TRUE);
            SetSaved(false);
        }
    }
    if (pResult) *pResult = 0;
}

void CPackingListDlg::RenameEverywhere(const CString& oldText, const CString& newText) {
    for (int c = 0; c < kMaxPackCategories; ++c)
        for (int l = 0; l < kMaxPackLists; ++l)
            if (CListCtrl* view = View(c, l))
                for (int row = 0; row < view->GetItemCount(); ++row)
                    if (view->GetItemText(row, 0) == oldText) view->SetItemText(row, 0, newText);
}

void CPackingListDlg::EditItem(int row) {
    CListCtrl* view = CurrentView();
    if (!view || row < 0) return;
    CEditItemDlg dlg;
    dlg.m_strText = view->GetItemText(row, 0);
    const CString oldText = dlg.m_strText;
    if (RunEditItem(dlg) == IDOK) RenameEverywhere(oldText, dlg.m_strText);
}

void CPackingListDlg::OnListDblClk(NMHDR*, LRESULT* pResult) {
    HideToolsList(this);
    SetSaved(false);
    CListCtrl* view = CurrentView();
    if (TapX() >= 20 && view) EditItem(SelectedRow(*view));
    if (pResult) *pResult = 0;
}

void CPackingListDlg::OnListKeyDown(NMHDR* pNMHDR, LRESULT* pResult) {
    // Space turns the focused item's box over (the view does that itself), as a tap on the box.
    const auto* key = reinterpret_cast<NMLVKEYDOWN*>(pNMHDR);
    CListCtrl* view = CurrentView();
    if (key && key->wVKey == VK_SPACE && view && view->GetNextItem(-1, LVNI_FOCUSED) >= 0) {
        HideToolsList(this);
        SetSaved(false);
    }
    if (pResult) *pResult = 0;
}

int CPackingListDlg::FilterRowAt(CPoint point) const {
    const int top = m_listFilter.GetTopIndex();
    const int last = std::min(m_listFilter.GetItemCount(), top + m_listFilter.GetCountPerPage() + 1);
    for (int row = std::max(0, top); row < last; ++row) {
        CRect rect;
        if (!m_listFilter.GetItemRect(row, &rect, LVIR_BOUNDS)) continue;
        rect.InflateRect(5, 5);
        if (rect.PtInRect(point)) return row;
    }
    return -1;
}

void CPackingListDlg::ToggleFilterRow(int row) {
    const CString text = m_listFilter.GetItemText(row, 0);
    m_listFilter.DeleteItem(row);
    if (CListCtrl* view = CurrentView()) {
        const int item = FindNoCase(view, text);
        if (item >= 0) view->SetCheck(item, view->GetCheck(item) ? FALSE : TRUE);
    }
}

void CPackingListDlg::ToggleFilterRowUnderTap() {
    SetSaved(false);
    const DWORD pos = ::GetMessagePos();
    CPoint point(static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos)));
    m_listFilter.ScreenToClient(&point);
    const int row = FilterRowAt(point);
    if (row >= 0) ToggleFilterRow(row);
}

void CPackingListDlg::OnFilterClick(NMHDR*, LRESULT* pResult) {
    HideToolsList(this);
    if (TapX() < 20) ToggleFilterRowUnderTap();
    if (pResult) *pResult = 0;
}

void CPackingListDlg::OnFilterKeyDown(NMHDR* pNMHDR, LRESULT* pResult) {
    // Space on a row of the filtered view does what a tap on its box does; the view turns its
    // own box over first, so the row leaves once that is done.
    const auto* key = reinterpret_cast<NMLVKEYDOWN*>(pNMHDR);
    const int row = m_listFilter.GetNextItem(-1, LVNI_FOCUSED);
    if (key && key->wVKey == VK_SPACE && row >= 0) {
        HideToolsList(this);
        PostMessage(kFilterRowTicked, static_cast<WPARAM>(row), 0);
    }
    if (pResult) *pResult = 0;
}

LRESULT CPackingListDlg::OnFilterRowTicked(WPARAM wParam, LPARAM) {
    const int row = static_cast<int>(wParam);
    if (!m_listFilter.IsWindowVisible() || row >= m_listFilter.GetItemCount()) return 0;
    SetSaved(false);
    ToggleFilterRow(row);
    m_listFilter.SetItemState(std::min(row, m_listFilter.GetItemCount() - 1), LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
    return 0;
}

void CPackingListDlg::OnFilterDblClk(NMHDR*, LRESULT* pResult) {
    HideToolsList(this);
    SetSaved(false);
    if (pResult) *pResult = 0;
    if (!m_listFilter.IsWindowVisible() || m_listFilter.GetItemCount() == 0) return;
    if (TapX() < 20) {
        ToggleFilterRowUnderTap();
        return;
    }
    const DWORD pos = ::GetMessagePos();
    CPoint point(static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos)));
    m_listFilter.ScreenToClient(&point);
    EditFilterRow(FilterRowAt(point));
}

void CPackingListDlg::EditFilterRow(int row) {
    CListCtrl* view = CurrentView();
    if (row < 0 || !view || !m_listFilter.IsWindowVisible()) return;
    const CString oldText = m_listFilter.GetItemText(row, 0);
    const int item = FindNoCase(view, oldText);
    if (item < 0) return;
    view->SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
    CEditItemDlg dlg;
    dlg.m_strText = view->GetItemText(item, 0);
    const CString listText = dlg.m_strText;
    if (RunEditItem(dlg) == IDOK) {
        RenameEverywhere(listText, dlg.m_strText);
        m_listFilter.SetItemText(row, 0, dlg.m_strText);
    }
}

void CPackingListDlg::OnLButtonDown(UINT, CPoint) { HideToolsList(this); }

LRESULT CPackingListDlg::OnLeaveTool(WPARAM, LPARAM) { return LeaveToolWindow(this); }

// [SECTION] Layout, painting and skin -----------------------------------------------------------

void CPackingListDlg::Layout() {
    if (!m_tabLists.m_hWnd) return; // before the controls are bound
    ReadMetrics();
    m_f = m_h <= m_w ? 5 : 7;
    int L = m_f * m_a / 10;
    CRect tabs;
    m_tabLists.GetClientRect(&tabs);
    const int T = tabs.Height();
    // Above a raised input panel the list ends at the panel's top edge, so its rows stay in reach.
    if (CToolPanelPlacement().PanelUp()) {
        CRect window;
        GetWindowRect(&window);
        L = std::max(20, std::min(L, HeightAbovePanel(window.top) - (T + 34) - 2));
    }
    m_staticBand.SetWindowPos(nullptr, 0, 0, m_w, 25, SWP_NOZORDER);
    // The Save button is 50 wide, or as wide as its icon and caption need (a longer word in
    // another language); the category box takes what is left.
    int save = 50;
    if (m_btnSave.m_hWnd) {
        CString caption;
        m_btnSave.GetWindowText(caption);
        CClientDC dc(&m_btnSave);
        CFont* old = dc.SelectObject(&m_fontControl);
        save = std::max(save, 16 + 3 + static_cast<int>(dc.GetTextExtent(caption).cx) + 6);
        dc.SelectObject(old);
    }
    m_comboCategory.SetWindowPos(nullptr, 2, 3, m_w - save - 4, 20, SWP_NOZORDER);
    if (m_btnSave.m_hWnd)
        m_btnSave.SetWindowPos(nullptr, m_w - save - 1, 3, save, 20, SWP_NOZORDER | SWP_SHOWWINDOW);
    m_tabLists.SetWindowPos(nullptr, 5, 35, m_w - 10, T, SWP_NOZORDER | SWP_SHOWWINDOW);
    m_staticLineBottom.SetWindowPos(nullptr, 5, T + L + 32, m_w - 10, 2, SWP_NOZORDER | SWP_SHOWWINDOW);
    m_staticLineLeft.SetWindowPos(nullptr, 5, T + 34, 1, L, SWP_NOZORDER | SWP_SHOWWINDOW);
    m_staticLineRight.SetWindowPos(nullptr, m_w - 7, T + 33, 2, L, SWP_NOZORDER | SWP_SHOWWINDOW);
    m_listFilter.SetWindowPos(nullptr, 5, T + 34, m_w - 10, L, SWP_NOZORDER);
    for (int c = 0; c < kMaxPackCategories; ++c)
        for (int l = 0; l < kMaxPackLists; ++l)
            if (CListCtrl* view = View(c, l)) view->SetWindowPos(nullptr, 5, T + 34, m_w - 10, L, SWP_NOZORDER);
}

void CPackingListDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    Layout();
}

void CPackingListDlg::OnSettingChange(UINT, LPCTSTR) {
    Layout();
    HideToolsListUnder(this);
    Invalidate(TRUE);
}

void CPackingListDlg::OnPaint() {
    CPaintDC dc(this);
    CPen pen(PS_SOLID, 1, ScaleColor(m_crPage, 0.9f));
    CPen* oldPen = dc.SelectObject(&pen);
    dc.MoveTo(0, 25);
    dc.LineTo(m_w, 25);
    dc.SelectObject(oldPen);
    dc.SetBkMode(TRANSPARENT);
    CFont* oldFont = dc.SelectObject(&m_fontControl);
    if (m_bChanged) {
        dc.SetTextColor(RGB(255, 0, 0));
        dc.TextOut(m_w - 15, 28, CString(L"*"));
    }
    dc.SelectObject(&m_fontHint);
    dc.SetTextColor(RGB(0, 0, 255));
    dc.TextOut(5, m_a - 16, LoadText(IDS_PACK_DOUBLE_CLICK_HINT));
    dc.SelectObject(oldFont);
}

BOOL CPackingListDlg::OnEraseBkgnd(CDC* pDC) {
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(&client, RGB(238, 238, 238));
    if (m_w < m_h) StretchBitmap(pDC, m_bmpBackground, m_w, m_a + 3);
    return TRUE;
}

HBRUSH CPackingListDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    if (id == IDC_PACK_LINE_BOTTOM || id == IDC_PACK_LINE_LEFT || id == IDC_PACK_LINE_RIGHT) return m_brushLine;
    if (id == IDC_PACK_CATEGORY) return m_brushWhite;
    pDC->SetBkMode(TRANSPARENT);
    if (nCtlColor == CTLCOLOR_STATIC) return m_brushPage;
    return m_brushBack;
}

void CPackingListDlg::OnDestroy() {
    CDialog::OnDestroy();
    for (int c = 0; c < kMaxPackCategories; ++c)
        for (int l = 0; l < kMaxPackLists; ++l) m_views[c][l].reset();
    m_brushBack.DeleteObject();
    m_brushLine.DeleteObject();
    m_brushWhite.DeleteObject();
    m_brushPage.DeleteObject();
    m_fontHint.DeleteObject();
    m_fontControl.DeleteObject();
}

void CPackingListDlg::ApplySkin() {
    CWaitCursor wait;
    ToolSkin skin = ReadToolSkin();
    if (!skin.loaded) return;
    ReplaceBitmap(m_bmpBackground, skin.LoadPortraitImage(L"BP"));
    m_crPage = skin.Color(L"PCP");
    m_crButton = skin.Color(L"PBCP");
    m_btnSave.SetColor(CIconButton::BTNST_COLOR_BK_IN, m_crPage);
    m_btnSave.SetColor(CIconButton::BTNST_COLOR_BK_OUT, m_crPage);
    m_btnSave.SetColor(CIconButton::BTNST_COLOR_BK_FOCUS, m_crPage);
    m_btnSave.SetColor(CIconButton::BTNST_COLOR_FG_OUT, m_crButton);
    m_brushPage.DeleteObject();
    m_brushPage.CreateSolidBrush(m_crPage);
}
