// [SECTION] Construction and initialisation
// [SECTION] Listing and counting
// [SECTION] Add, Remove, Modify
// [SECTION] Fields and list taps
// [SECTION] Scrolling, layout and header
#include "tools/UnitEditorDlg.h"

#include "core/CommonHelpers.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"
#include "tools/ToolWindow.h"
#include "tools/UnitTables.h"

#include <algorithm>

using namespace toolwin;

BEGIN_MESSAGE_MAP(CUnitEditDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_EN_CHANGE(IDC_UNIT_NAME, &CUnitEditDlg::OnChangeName)
    ON_CBN_SELCHANGE(IDC_UNIT_CATEGORY, &CUnitEditDlg::OnCategoryChange)
    ON_NOTIFY(NM_CLICK, IDC_UNIT_LIST, &CUnitEditDlg::OnClickList)
    ON_BN_CLICKED(IDC_UNIT_ADD, &CUnitEditDlg::OnAdd)
    ON_BN_CLICKED(IDC_UNIT_MODIFY, &CUnitEditDlg::OnModify)
    ON_BN_CLICKED(IDC_UNIT_REMOVE, &CUnitEditDlg::OnRemove)
    ON_EN_KILLFOCUS(IDC_UNIT_FACTOR, &CUnitEditDlg::OnKillfocusFactor)
    ON_WM_VSCROLL()
    ON_WM_SETTINGCHANGE()
    ON_EN_SETFOCUS(IDC_UNIT_NAME, &CUnitEditDlg::OnSetfocusName)
    ON_EN_SETFOCUS(IDC_UNIT_FACTOR, &CUnitEditDlg::OnSetfocusFactor)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

// The value column's unit, by combo index.
const wchar_t* const kValueSuffix[6] = {L"/m\u00B2", L"/m", L"/pascal", L"/(m/s)", L"/kl", L"/kg"};
const UINT kComboStrings[6] = {IDS_UNIT_CATEGORY_AREAS,  IDS_UNIT_CATEGORY_LENGTHS, IDS_UNIT_CATEGORY_PRESSURES,
                               IDS_UNIT_CATEGORY_SPEEDS, IDS_UNIT_CATEGORY_VOLUMES, IDS_UNIT_CATEGORY_WEIGHTS};

CString KeyText(int keyNumber) {
    CString text;
    text.Format(L"%d", keyNumber);
    return text;
}

} // namespace

// [SECTION] Construction and initialisation

CUnitEditDlg::CUnitEditDlg(CWnd* pParent) : CDialog(IDD_UNIT_EDITOR, pParent) {}

CUnitEditDlg::~CUnitEditDlg() = default;

void CUnitEditDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UNIT_FACTOR, m_factorField);
    DDX_Control(pDX, IDC_UNIT_MODIFY, m_modifyButton);
    DDX_Control(pDX, IDC_UNIT_LIST, m_list);
    DDX_Control(pDX, IDC_UNIT_NAME, m_nameField);
    DDX_Control(pDX, IDC_UNIT_CATEGORY, m_category);
    DDX_Control(pDX, IDC_UNIT_REMOVE, m_removeButton);
    DDX_Control(pDX, IDC_UNIT_ADD, m_addButton);
    DDX_Text(pDX, IDC_UNIT_NAME, m_name);
}

void CUnitEditDlg::ReadMetrics() {
    ToolMetrics m = ReadToolMetrics();
    m_nWidth = m.width;
    m_nHeight = m.height;
    m_nPageHeight = m.pageHeight;
    m_nMenuHeight = m.menuHeight;
}

DWORD CUnitEditDlg::ReadSipFlags() {
    SIPINFO info{};
    info.cbSize = sizeof info;
    if (!::SHSipInfo(SPI_GETSIPINFO, 0, &info, 0)) return 0;
    return info.fdwFlags;
}

BOOL CUnitEditDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_scrollPos = 0;
    m_listedCategory = 0;
    ReadMetrics();

    m_headerFont = LOGFONTW{};
    m_headerFont.lfWeight = 700;
    m_headerFont.lfCharSet = DEFAULT_CHARSET;
    m_headerFont.lfQuality = ANTIALIASED_QUALITY;
    wcscpy(m_headerFont.lfFaceName, L"Arial");
    m_headerFont.lfHeight = 18;
    m_titleFont.CreateFontIndirect(&m_headerFont);
    m_headerFont.lfHeight = 13;
    m_valueLabelFont.CreateFontIndirect(&m_headerFont);

    CreateToolFont(m_controlFont, 13, 400, L"Arial", ANTIALIASED_QUALITY, 6);
    m_pControlFont = &m_controlFont;
    m_list.SetFont(m_pControlFont);
    m_addButton.SetFont(m_pControlFont);
    m_removeButton.SetFont(m_pControlFont);
    m_modifyButton.SetFont(m_pControlFont);

    CWaitCursor wait;
    for (UINT id : kComboStrings) {
        m_scratch.LoadString(id);
        m_category.AddString(m_scratch);
    }
    m_category.SetCurSel(0);

    CString heading;
    heading.LoadString(IDS_UNIT_NAME);
    m_list.InsertColumn(0, heading, LVCFMT_LEFT, (m_nWidth + 3) * 60 / 100);
    heading.LoadString(IDS_UNIT_VALUE);
    heading += kValueSuffix[0];
    m_list.InsertColumn(1, heading, LVCFMT_LEFT, (m_nWidth + 3) * 32 / 100);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);

    m_units.Open();
    CountCategories();
    ListCategory(0);

    m_factorField.SetWindowText(L"0");
    m_sipFlags = ReadSipFlags();
    m_listedCategory = 0;
    AdjustComboDropHeight(&m_category, 8);
    // The first layout ran before the header fonts existed: measure and place again with them.
    CRect client;
    GetClientRect(&client);
    OnSize(SIZE_RESTORED, client.Width(), client.Height());
    // The focus goes to the name field once the form is laid out: the input panel it raises
    // then shortens the laid-out form and scrolls its fields above the panel.
    m_nameField.SetFocus();
    return FALSE;
}

// [SECTION] Listing and counting

void CUnitEditDlg::CountCategories() {
    m_units.SeekFirst();
    DWORD start = 0;
    for (int key = 0; key < 7; ++key) {
        CString keyText = KeyText(key);
        m_units.SeekToIndex(start);
        int count = 0;
        for (;;) {
            DWORD index = m_units.GetCurrentIndex();
            if (m_units.GetCategory(index) != keyText) break;
            ++count;
            if (m_units.IsEOF()) break;
        }
        CategoryCounts[key] = count;
        start += static_cast<DWORD>(count);
    }
}

int CUnitEditDlg::CategoryStart(int keyNumber) const {
    int start = 0;
    for (int key = 0; key < keyNumber && key < 7; ++key) start += CategoryCounts[key];
    return start;
}

void CUnitEditDlg::ListCategory(int comboIndex) {
    m_list.DeleteAllItems();
    int key = KeyOfComboIndex(comboIndex);
    CString keyText = KeyText(key);
    if (key == 0) m_units.SeekFirst();
    else m_units.SeekToIndex(static_cast<DWORD>(CategoryStart(key)));
    for (int i = 0; i < CategoryCounts[key]; ++i) {
        DWORD index = m_units.GetCurrentIndex();
        if (m_units.GetCategory(index) != keyText) continue;
        int row = m_list.InsertItem(i, m_units.GetUnitName(index));
        m_list.SetItemText(row, 1, m_units.GetFactor(index));
    }
}

void CUnitEditDlg::SetValueHeading(int comboIndex) {
    CString heading;
    heading.LoadString(IDS_UNIT_VALUE);
    heading += kValueSuffix[comboIndex];
    WCHAR buffer[64] = {};
    LVCOLUMN column{};
    column.mask = LVCF_TEXT;
    column.pszText = buffer;
    column.cchTextMax = 64;
    m_list.GetColumn(1, &column);
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<LPWSTR>(static_cast<LPCWSTR>(heading));
    m_list.SetColumn(1, &column);
}

void CUnitEditDlg::OnCategoryChange() {
    CWaitCursor wait;
    int c = m_category.GetCurSel();
    if (c < 0 || c >= 6 || c == m_listedCategory) return;
    m_listedCategory = c;
    m_list.DeleteAllItems();
    SetValueHeading(c);
    ListCategory(c);
}

// [SECTION] Add, Remove, Modify

bool CUnitEditDlg::AddUnit(int keyNumber, CString name, CString factor) {
    if (keyNumber < 0 || keyNumber > 6 || keyNumber == kTemperatureCategory) return false;
    LVFINDINFO find{};
    find.flags = LVFI_STRING;
    find.psz = name;
    bool added = false;
    if (m_list.FindItem(&find, -1) < 0) {
        if (CategoryCounts[keyNumber] >= kUnitTableSize) {
            CString text;
            text.Format(L"This category already holds %d units.", kUnitTableSize);
            MessageBox(text, nullptr, MB_OK);
        } else if (m_units.InsertUnit(KeyText(keyNumber), name, factor)) {
            // Counted only once it is stored: the counts place every category after it.
            ++CategoryCounts[keyNumber];
            added = true;
        }
    } else {
        CString text, after;
        text.LoadString(IDS_UNIT_EXISTS_BEFORE);
        after.LoadString(IDS_UNIT_EXISTS_AFTER);
        MessageBox(text + name + after, nullptr, MB_OK);
    }
    m_units.SeekToIndex(static_cast<DWORD>(CategoryStart(keyNumber)));
    if (added) ListCategory(m_category.GetCurSel());
    return added;
}

bool CUnitEditDlg::RemoveUnit(CString keyText, CString name) {
    int key = static_cast<int>(ReadDecimal(keyText));
    if (key < 0 || key > 6) return false;
    int start = CategoryStart(key);
    m_units.SeekToIndex(static_cast<DWORD>(start));
    for (int i = 0; i < CategoryCounts[key]; ++i) {
        DWORD index = m_units.GetCurrentIndex();
        if (m_units.GetCategory(index) != keyText) continue;
        if (m_units.GetUnitName(index) != name) continue;
        CString text, after, caption;
        text.LoadString(IDS_UNIT_DELETE_BEFORE);
        after.LoadString(IDS_UNIT_DELETE_AFTER);
        caption.LoadString(IDS_CONFIRMATION);
        if (MessageBox(text + name + after, caption, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
        if (!m_units.DeleteAt(index)) return false;
        --CategoryCounts[key];
        ListCategory(m_category.GetCurSel());
        return true;
    }
    return false;
}

bool CUnitEditDlg::RefuseUnitFields(const CString& name, const CString& factor) {
    // A blank name cannot be told apart in the lists; a factor that is no number or not above 0
    // would make every conversion through the unit infinite, empty or of the wrong sign (a
    // negative size gives negative lengths).
    double value = 0;
    UINT message = 0;
    if (IsBlankText(name))
        message = IDS_ENTER_A_NAME;
    else if (IsTooLargeNumber(factor))
        message = IDS_RESULT_TOO_LARGE;
    else if (IsTooSmallNumber(factor))
        message = IDS_RESULT_TOO_SMALL;
    else if (!ReadWholeNumber(factor, value) || !(value > 0))
        message = IDS_UNIT_VALUE_NOT_NUMBER;
    if (!message) return false;
    CString text;
    text.LoadString(message);
    MessageBox(text, nullptr, MB_OK | MB_ICONEXCLAMATION);
    (message == IDS_ENTER_A_NAME ? m_nameField : m_factorField).SetFocus();
    return true;
}

void CUnitEditDlg::OnAdd() {
    CString name, factor;
    m_nameField.GetWindowText(name);
    m_factorField.GetWindowText(factor);
    if (RefuseUnitFields(name, factor)) return;
    CWaitCursor wait;
    AddUnit(KeyOfComboIndex(m_category.GetCurSel()), name, factor);
}

void CUnitEditDlg::OnRemove() {
    CString name;
    m_nameField.GetWindowText(name);
    CWaitCursor wait;
    RemoveUnit(KeyText(KeyOfComboIndex(m_category.GetCurSel())), name);
}

void CUnitEditDlg::OnModify() {
    int row = m_list.GetSelectionMark();
    int key = KeyOfComboIndex(m_category.GetCurSel());
    // Without a selected row there is nothing to rewrite (the index would name a unit of the
    // category before).
    if (row < 0 || row >= CategoryCounts[key]) return;
    CString name, factor;
    m_nameField.GetWindowText(name);
    m_factorField.GetWindowText(factor);
    if (RefuseUnitFields(name, factor)) return;
    m_units.UpdateUnit(static_cast<DWORD>(CategoryStart(key) + row), KeyText(key), name, factor);
    m_listedCategory = -1;
    CWaitCursor wait;
    OnCategoryChange();
}

// [SECTION] Fields and list taps

void CUnitEditDlg::OnChangeName() {
    UpdateData(TRUE);
    LVFINDINFO find{};
    find.flags = LVFI_STRING;
    find.psz = m_name;
    int row = m_list.FindItem(&find, -1);
    if (row < 0) return; // a name of no row leaves the selection as it is
    m_list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    m_list.SetSelectionMark(row); // Modify rewrites the row the user sees selected
    m_list.EnsureVisible(row, FALSE);
}

void CUnitEditDlg::OnClickList(NMHDR*, LRESULT* pResult) {
    int row = m_list.GetSelectionMark();
    if (row >= 0) {
        m_nameField.SetWindowText(m_list.GetItemText(row, 0));
        m_factorField.SetWindowText(m_list.GetItemText(row, 1));
    }
    *pResult = 0;
}

void CUnitEditDlg::OnKillfocusFactor() {
    if (m_factorField.GetWindowTextLength() == 0) m_factorField.SetWindowText(L"0");
}

void CUnitEditDlg::OnSetfocusName() { ScrollTo(ScrollRange()); }

void CUnitEditDlg::OnSetfocusFactor() { ScrollTo(ScrollRange()); }

// [SECTION] Scrolling, layout and header

int CUnitEditDlg::ScrollRange() const { return std::max(m_contentHeight - m_clientHeight, 0); }

void CUnitEditDlg::ScrollTo(int position) {
    position = std::clamp(position, 0, ScrollRange());
    if (position == m_scrollPos) return;
    int delta = m_scrollPos - position;
    m_scrollPos = position;
    SetScrollPos(SB_VERT, m_scrollPos, TRUE);
    ScrollWindow(0, delta);
}

void CUnitEditDlg::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
    int r = ScrollRange();
    int p = m_scrollPos;
    int next = p;
    switch (nSBCode) {
    case SB_LINEUP: if (p > 0) next = p - std::min(r / 50, p); break;
    case SB_LINEDOWN: if (p < r) next = p + std::min(r / 50, r - p); break;
    case SB_PAGEUP: if (p > 0) next = p - std::min(r / 10, p); break;
    case SB_PAGEDOWN: if (p < r) next = p + std::min(r / 10, r - p); break;
    case SB_THUMBPOSITION: next = static_cast<int>(nPos); break;
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = r; break;
    default: break;
    }
    if (next != p) ScrollTo(next);
    CDialog::OnVScroll(nSBCode, nPos, pScrollBar);
}

int CUnitEditDlg::ListHeight() const {
    // Half the work area's height; less where the window lacks the room (the raised input panel
    // takes 80 pixels of it), so that the header above the list and the fields below it stay in
    // view together. The list keeps a few rows; below that the window scrolls instead.
    constexpr int kAroundList = 74;    // the header above the list (30) and the fields below it (44)
    constexpr int kMinListHeight = 60; // the heading and three rows
    CRect client;
    GetClientRect(&client);
    return std::min(m_nHeight / 2, std::max(kMinListHeight, static_cast<int>(client.Height()) - kAroundList));
}

void CUnitEditDlg::PlaceControls() {
    if (!m_list.GetSafeHwnd()) return;
    const int L = ListHeight();
    // Across the client area, which a shown scroll bar narrows: it must not cover the controls
    // at the right edge.
    CRect client;
    GetClientRect(&client);
    int W = client.Width() > 0 ? std::min(m_nWidth, static_cast<int>(client.Width())) : m_nWidth;
    const UINT flags = SWP_NOZORDER;
    int listWidth = (m_sipFlags & SIPF_ON) ? std::min(W + 2, m_nWidth - 13) : W + 2;
    m_category.SetWindowPos(nullptr, m_titleSize.cx + 8, 2, W - 9 - m_titleSize.cx, 20, flags);
    m_list.SetWindowPos(nullptr, -1, 30, listWidth, L, flags);
    m_nameField.SetWindowPos(nullptr, 1, L + 32, W / 2, 20, flags);
    m_factorField.SetWindowPos(nullptr, m_valueLabelSize.cx + 5, L + 53, W / 2 - m_valueLabelSize.cx - 4, 20, flags);
    m_addButton.SetWindowPos(nullptr, W / 2 + 2, L + 32, W / 4 - 2, 20, flags);
    m_removeButton.SetWindowPos(nullptr, W / 4 + W / 2 + 1, L + 32, W / 4 - 2, 20, flags);
    m_modifyButton.SetWindowPos(nullptr, W / 2 + 2, L + 53, 2 * (W / 4) - 3, 20, flags);
}

void CUnitEditDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    // The resize that showing or hiding the scroll bar brings: the pass that did it lays out.
    if (!m_list.GetSafeHwnd() || m_bShowingBar) return;
    ReadMetrics();
    {
        CClientDC dc(this);
        PaintHeader(dc);
    }
    m_clientHeight = cy;
    m_contentHeight = ListHeight() + 74;
    int range = ScrollRange();
    // Nothing to scroll: no bar at all (a disabled one would still cover the controls at the
    // right edge).
    m_bShowingBar = true;
    ::ShowScrollBar(m_hWnd, SB_VERT, range > 0);
    m_bShowingBar = false;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = range;
    info.nPage = static_cast<UINT>(range / 10);
    info.nPos = 0;
    SetScrollInfo(SB_VERT, &info, TRUE);
    m_scrollPos = 0;
    // Placed once the bar is shown or hidden: the bar narrows the client area.
    PlaceControls();

    DWORD flags = ReadSipFlags();
    if (flags != m_sipFlags) {
        m_sipFlags = flags;
        ScrollTo(0);
        PlaceControls();
        if (flags & SIPF_ON) ScrollTo(ScrollRange());
    }
}

void CUnitEditDlg::OnSettingChange(UINT, LPCTSTR) {
    PlaceControls();
    DWORD flags = ReadSipFlags();
    if (flags != m_sipFlags) {
        ScrollTo(0);
        CRect window;
        GetWindowRect(&window);
        if (flags & SIPF_ON) {
            // 80 pixels shorter, and no lower than the panel's top edge: a window that covered
            // the menu bar's band would otherwise keep its lowest fields under the panel.
            m_heightBeforePanel = window.Height();
            const int height = std::min(std::max(0, window.Height() - 80), HeightAbovePanel(window.top));
            MoveWindow(window.left, window.top, window.Width(), height, TRUE);
            ScrollTo(ScrollRange());
        } else {
            const int height = m_heightBeforePanel > 0 ? m_heightBeforePanel : window.Height() + 80;
            m_heightBeforePanel = 0;
            MoveWindow(window.left, window.top, window.Width(), height, TRUE);
        }
    }
    Invalidate(TRUE);
}

void CUnitEditDlg::PaintHeader(CDC& dc) {
    int p = m_scrollPos;
    dc.SetBkMode(TRANSPARENT);
    CBrush brush(RGB(194, 211, 228));
    CPen pen(PS_SOLID, 1, RGB(160, 172, 192));
    CBrush* oldBrush = dc.SelectObject(&brush);
    CPen* oldPen = dc.SelectObject(&pen);
    dc.Rectangle(0, -2 - p, m_nWidth, 25);
    dc.SetTextColor(RGB(0, 0, 150));
    CString text;
    text.LoadString(IDS_EDIT_UNITS_TITLE);
    CFont* oldFont = dc.SelectObject(&m_titleFont);
    dc.TextOut(5, 3 - p, text);
    m_titleSize = dc.GetTextExtent(text);
    text.LoadString(IDS_UNIT_VALUE);
    dc.SelectObject(&m_valueLabelFont);
    dc.TextOut(1, ListHeight() - p + 55, text);
    m_valueLabelSize = dc.GetTextExtent(text);
    dc.SelectObject(oldFont);
    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);
}

void CUnitEditDlg::OnPaint() { DrawHeader(); }

void CUnitEditDlg::DrawHeader() {
    CPaintDC dc(this);
    PaintHeader(dc);
}

void CUnitEditDlg::OnDestroy() {
    CDialog::OnDestroy();
    m_pControlFont = nullptr;
    m_controlFont.DeleteObject();
    m_titleFont.DeleteObject();
    m_valueLabelFont.DeleteObject();
}
