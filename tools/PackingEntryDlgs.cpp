#include "tools/PackingEntryDlgs.h"

#include "core/CommonHelpers.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/MessageBox.h"
#include "resources/resource.h"
#include "tools/ToolWindow.h"

using namespace toolwin;

namespace {

CString Lower(CString text) {
    text.MakeLower();
    return text;
}

// Check boxes and whole-row selection for a check list.
void MakeCheckList(CListCtrl& list) {
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
}

// pack.dat knows its marker lines by their first character: a text starting with one of them
// would come back as a category, a list or the end of the data. Such a text is refused with a
// message and the dialog stays open.
bool RefuseMarkerText(CWnd* dlg, const CString& text) {
    if (text.IsEmpty() || (text[0] != L'>' && text[0] != L'*' && text[0] != L'<')) return false;
    CString message;
    message.LoadString(IDS_PACK_NAME_MARKER);
    dlg->MessageBox(message, nullptr, MB_OK | MB_ICONEXCLAMATION);
    return true;
}

void AppendRow(CListCtrl& list, const CString& text, bool checked) {
    int row = list.InsertItem(list.GetItemCount(), text);
    list.SetCheck(row, checked ? TRUE : FALSE);
}

} // namespace

// [CNewEntryDlg] ---------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CNewEntryDlg, CDialog)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_SETTINGCHANGE()
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

CNewEntryDlg::CNewEntryDlg(CWnd* pParent) : CDialog(IDD_NEW_ENTRY, pParent) { m_bFullScreen = FALSE; }

void CNewEntryDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_NEW_ENTRY_CATEGORIES, m_listCategories);
    DDX_Control(pDX, IDC_NEW_ENTRY_LISTS, m_listLists);
    DDX_Control(pDX, IDC_NEW_ENTRY_ITEMS, m_listItems);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDOK, m_btnOk);
    DDX_Control(pDX, IDC_NEW_ENTRY_NAME, m_editName);
    DDX_Text(pDX, IDC_NEW_ENTRY_NAME, m_strName);
}

void CNewEntryDlg::ReadMetrics() {
    ToolMetrics metrics = ReadToolMetrics();
    m_w = metrics.width;
    m_h = metrics.height;
    m_m = metrics.menuHeight;
    m_a = m_h - m_m;
}

bool CNewEntryDlg::SmallScreen() const { return (m_w == 320 && m_h < 240) || IsSquareScreenNot320(); }

BOOL CNewEntryDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ReadMetrics();
    SetWindowPos(nullptr, -1, m_m + 3, m_w + 2, m_a, SWP_NOZORDER);
    SetWindowText(m_strCaption);
    CreateToolFont(m_fontButton, 13, FW_NORMAL, L"Arial", 0, 0);
    m_btnOk.SetFont(&m_fontButton);
    m_btnCancel.SetFont(&m_fontButton);

    CString text;
    auto fillItems = [this] {
        MakeCheckList(m_listItems);
        for (const CString& entry : m_items) {
            const int length = entry.GetLength();
            AppendRow(m_listItems, entry.Left(std::max(0, length - 1)), length > 0 && entry[length - 1] == L'1');
        }
    };
    switch (m_nMode) {
    case NewEntryListItems: fillItems(); break;
    case NewEntryCategoryItems:
        MakeCheckList(m_listLists);
        // The list shows its rows in a column of its own, as in the other modes.
        text.LoadString(IDS_PACK_OTHER_LISTS);
        m_listLists.InsertColumn(0, text, LVCFMT_CENTER, -1);
        for (const CString& name : m_lists) AppendRow(m_listLists, name, false);
        fillItems();
        break;
    case NewEntryAllItems:
        MakeCheckList(m_listLists);
        MakeCheckList(m_listCategories);
        text.LoadString(IDS_PACK_OTHER_LISTS);
        m_listLists.InsertColumn(0, text, LVCFMT_CENTER, 100);
        text.LoadString(IDS_PACK_OTHER_CATEGORIES);
        m_listCategories.InsertColumn(0, text, LVCFMT_CENTER, -1);
        for (const CString& name : m_lists) AppendRow(m_listLists, name, false);
        for (const CString& name : m_categories) AppendRow(m_listCategories, name, false);
        break;
    default: break;
    }
    Layout();
    m_editName.SetFocus();
    return FALSE;
}

int CNewEntryDlg::ContentHeight() const {
    const bool small = SmallScreen();
    const int d = small ? m_a / 5 : m_a / 3, second = small ? m_a / 5 : m_a / 4;
    const int note = 16; // a line of the 13-pixel font
    int bottom = T + 44; // the buttons
    switch (m_nMode) {
    case NewEntryListItems:
        bottom = small ? std::max(T + 66 + m_a / 2 - 20, T + m_a / 2 + 51 + note) : T + m_a / 2 + 71 + note;
        break;
    case NewEntryCategoryItems: bottom = T + d + 83 + second; break;
    case NewEntryAllItems: bottom = std::max(T + d + 83 + second, T + m_a / 2 + 71 + note); break;
    default: break;
    }
    return bottom + 2;
}

void CNewEntryDlg::Layout() {
    if (!m_editName.m_hWnd || m_bLaying) return;
    ReadMetrics();
    // Resizing the dialog and showing its scroll bar both come back here through WM_SIZE.
    m_bLaying = true;
    const int top = m_m + 3;
    const int height = toolwin::CToolPanelPlacement().PanelUp()
                           ? std::max(T + 44, std::min(m_a, toolwin::HeightAbovePanel(top)))
                           : m_a;
    SetWindowPos(nullptr, -1, top, m_w + 2, height, SWP_NOZORDER | SWP_NOACTIVATE);
    m_lw = m_scroll.Prepare(this, ContentHeight(), m_w);
    m_bLaying = false;
    const int w = m_lw;
    m_editName.SetWindowPos(nullptr, 2, T + 2, w - 4, 20, SWP_NOZORDER | SWP_SHOWWINDOW);
    m_btnOk.SetWindowPos(nullptr, w - 143, T + 24, 70, 20, SWP_NOZORDER);
    m_btnCancel.SetWindowPos(nullptr, w - 72, T + 24, 70, 20, SWP_NOZORDER);
    const bool small = SmallScreen();
    const int width = w - 4;
    auto place = [width](CListCtrl& list, int y, int height) {
        list.SetWindowPos(nullptr, 2, y, width, height, SWP_NOZORDER | SWP_SHOWWINDOW);
    };
    // Only the lists this mode leaves out are hidden: a shown list that holds the focus keeps it
    // when the panel comes up or goes down.
    if (m_nMode != NewEntryListItems && m_nMode != NewEntryCategoryItems) m_listItems.ShowWindow(SW_HIDE);
    if (m_nMode != NewEntryCategoryItems && m_nMode != NewEntryAllItems) m_listLists.ShowWindow(SW_HIDE);
    if (m_nMode != NewEntryAllItems) m_listCategories.ShowWindow(SW_HIDE);
    const int d = small ? m_a / 5 : m_a / 3;
    switch (m_nMode) {
    case NewEntryListItems:
        if (small) place(m_listItems, T + 66, m_a / 2 - 20);
        else place(m_listItems, T + 68, m_a / 2);
        break;
    case NewEntryCategoryItems:
        place(m_listItems, T + 65, d);
        place(m_listLists, T + d + 83, small ? m_a / 5 : m_a / 4);
        FillWithColumn(m_listLists);
        break;
    case NewEntryAllItems:
        place(m_listLists, T + 65, d);
        place(m_listCategories, T + d + 83, small ? m_a / 5 : m_a / 4);
        FillWithColumn(m_listCategories);
        break;
    default: break;
    }
}

// A list whose one column was made without a width: the column spans the list, so that its
// caption and its rows read whole.
void CNewEntryDlg::FillWithColumn(CListCtrl& list) { list.SetColumnWidth(0, LVSCW_AUTOSIZE_USEHEADER); }

void CNewEntryDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    Layout();
}

void CNewEntryDlg::OnSettingChange(UINT, LPCTSTR) {
    Layout();
    Invalidate();
}

void CNewEntryDlg::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*) { m_scroll.OnVScroll(this, nSBCode, nPos); }

void CNewEntryDlg::OnPaint() {
    CPaintDC dc(this);
    dc.SetViewportOrg(0, -m_scroll.Offset());
    dc.SetBkMode(TRANSPARENT);
    CPen pen(PS_SOLID, 1, RGB(160, 172, 192));
    CBrush band(RGB(194, 211, 228));
    CPen* oldPen = dc.SelectObject(&pen);
    CBrush* oldBrush = dc.SelectObject(&band);
    dc.Rectangle(0, -1, m_lw + 2, 20);
    CFont bold;
    CreateToolFont(bold, 13, 700, L"Arial", 4, 0);
    CFont* oldFont = dc.SelectObject(&bold);
    dc.TextOut(5, 3, m_strCaption);
    dc.SelectObject(m_fontButton.GetSafeHandle() ? &m_fontButton : oldFont);

    const int d = SmallScreen() ? m_a / 5 : m_a / 3;
    CString text;
    auto label = [&](UINT id, int x, int y) {
        text.LoadString(id);
        dc.TextOut(x, y, text);
    };
    auto line = [&](int x, int y) {
        dc.MoveTo(x, y);
        dc.LineTo(m_lw - 2, y);
    };
    switch (m_nMode) {
    case NewEntryListItems:
        dc.TextOut(2, T + 48, CString(L"All Items"));
        line(54, T + 56);
        label(IDS_PACK_NB_CHECK_ITEMS, 2, SmallScreen() ? T + m_a / 2 + 51 : T + m_a / 2 + 71);
        break;
    case NewEntryAllItems:
        label(IDS_PACK_ADD_ALSO_TO_LISTS, 2, T + 48);
        line(125, T + 56);
        label(IDS_PACK_AND_TO_CATEGORIES, 2, T + d + 68);
        line(105, T + d + 76);
        label(IDS_PACK_NB_CHECK_LISTS, 2, T + m_a / 2 + 71);
        break;
    case NewEntryCategoryItems:
        label(IDS_PACK_ADD_FROM_ALL, 2, T + 48);
        line(156, T + 56);
        label(IDS_PACK_ADD_TO_LISTS, 2, T + d + 68);
        line(75, T + d + 76);
        break;
    default: break;
    }
    dc.SelectObject(oldFont);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
}

void CNewEntryDlg::OnOK() {
    if (!UpdateData(TRUE)) return;
    if (RefuseMarkerText(this, m_strName)) return;
    if (m_nMode == NewEntryCategoryItems || m_nMode == NewEntryListItems) {
        const int rows = std::min(static_cast<int>(m_items.size()), m_listItems.GetItemCount());
        for (int i = 0; i < rows; ++i) {
            const CString text = m_listItems.GetItemText(i, 0);
            const bool checked = m_listItems.GetCheck(i) != FALSE;
            if (!checked && !m_strName.IsEmpty() && Lower(text) == Lower(m_strName)) {
                // The typed name is an item already offered: choose it instead of a new one.
                m_strName.Empty();
                m_items[i] = text + L"1";
            } else {
                m_items[i] = text + (checked ? L"1" : L"0");
            }
        }
    }
    if (m_nMode == NewEntryCategoryItems || m_nMode == NewEntryAllItems) {
        for (size_t i = 0; i < m_lists.size(); ++i)
            m_lists[i] = m_listLists.GetCheck(static_cast<int>(i)) ? L"1" : L"0";
    }
    if (m_nMode == NewEntryAllItems) {
        for (size_t i = 0; i < m_categories.size(); ++i)
            m_categories[i] = m_listCategories.GetCheck(static_cast<int>(i)) ? L"1" : L"0";
    }
    if (!IsBlankText(m_strName) || m_nMode == NewEntryCategoryItems || m_nMode == NewEntryListItems) {
        m_fontButton.DeleteObject();
        EndDialog(IDOK);
        return;
    }
    // A new category, list or item needs a name: the dialog stays open and says so.
    CString message;
    message.LoadString(IDS_ENTER_A_NAME);
    MessageBox(message, nullptr, MB_OK | MB_ICONEXCLAMATION);
    m_editName.SetFocus();
}

// [CEditItemDlg] ---------------------------------------------------------------------------------

CEditItemDlg::CEditItemDlg(CWnd* pParent) : CDialog(IDD_EDIT_ITEM, pParent) {}

void CEditItemDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_EDIT_ITEM_TEXT, m_editText);
}

BOOL CEditItemDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_editText.SetWindowText(m_strText);
    CString caption;
    caption.LoadString(IDS_PACK_EDIT_ITEM);
    SetWindowText(caption);
    return TRUE;
}

void CEditItemDlg::OnOK() {
    if (m_strText.IsEmpty()) return;
    CString edited;
    m_editText.GetWindowText(edited);
    if (RefuseMarkerText(this, edited)) return;
    if (IsBlankText(edited)) {
        // An item without text would stay in every list as a blank row.
        CString message;
        message.LoadString(IDS_ENTER_A_NAME);
        MessageBox(message, nullptr, MB_OK | MB_ICONEXCLAMATION);
        m_editText.SetFocus();
        return;
    }
    m_strText = edited;
    EndDialog(IDOK);
}
