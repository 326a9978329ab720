#include "tools/DialCodesDlg.h"

#include <algorithm>

#include "core/CommonHelpers.h"
#include "core/TextFiles.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"
#include "tools/DialCodeTables.h"
#include "tools/ToolsPage.h"
#include "shell/AppMessages.h"

using namespace toolwin;

BEGIN_MESSAGE_MAP(CDialCodesDlg, CDialog)
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
    ON_WM_CTLCOLOR()
    ON_CBN_SELCHANGE(IDC_DIAL_SHOW, &CDialCodesDlg::OnSelchangeShow)
    ON_EN_CHANGE(IDC_DIAL_FIND, &CDialCodesDlg::OnChangeFind)
    ON_EN_SETFOCUS(IDC_DIAL_FIND, &CDialCodesDlg::OnSetfocusFind)
    ON_EN_KILLFOCUS(IDC_DIAL_FIND, &CDialCodesDlg::OnKillfocusFind)
    ON_NOTIFY(LVN_KEYDOWN, IDC_DIAL_LIST, &CDialCodesDlg::OnKeydownDialList)
    ON_NOTIFY(LVN_KEYDOWN, IDC_AREA_LIST, &CDialCodesDlg::OnKeydownAreaList)
    ON_WM_KEYDOWN()
    ON_WM_LBUTTONDOWN()
    ON_WM_VSCROLL()
    ON_WM_SETTINGCHANGE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_APP_LEAVE_TOOL, &CDialCodesDlg::OnLeaveTool)
END_MESSAGE_MAP()

CDialCodesDlg::CDialCodesDlg(CWnd* pParent) : CDialog(IDD_DIAL_CODES, pParent) {}

void CDialCodesDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DIAL_FIND, m_editFind);
    DDX_Control(pDX, IDC_DIAL_FIND_LABEL, m_staticFindLabel);
    DDX_Control(pDX, IDC_DIAL_BAND, m_staticBand);
    DDX_Control(pDX, IDC_DIAL_SHOW_LABEL, m_staticShowLabel);
    DDX_Control(pDX, IDC_AREA_LIST, m_listArea);
    DDX_Control(pDX, IDC_DIAL_LIST, m_listDial);
    DDX_Control(pDX, IDC_DIAL_SHOW, m_comboShow);
    DDX_Text(pDX, IDC_DIAL_FIND, m_strFind);
}

BOOL CDialCodesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ReplaceBitmap(m_bmpBackground, SHLoadImageFile(GetProgramFolder() + L"\\Portrait\\dial.jpg"));
    CWaitCursor wait;
    m_brushBack.CreateSolidBrush(RGB(238, 238, 238));
    m_brushWhite.CreateSolidBrush(RGB(255, 255, 255));
    m_brushBand.CreateSolidBrush(m_crBand);
    m_metrics = ReadToolMetrics();

    CreateToolFont(m_fontList, 13, 500, L"Arial", 4, 6);
    m_listDial.SetFont(&m_fontList);
    m_listArea.SetFont(&m_fontList);
    CreateToolFont(m_fontLabel, ToolFontBase() + 14, 700, ToolFontFace(), 4, 6);
    m_staticShowLabel.SetFont(&m_fontLabel);
    m_staticFindLabel.SetFont(&m_fontLabel);

    CString text;
    text.LoadString(IDS_DIAL_SHOW_DIALING);
    m_comboShow.AddString(text);
    text.LoadString(IDS_DIAL_SHOW_AREAS);
    m_comboShow.AddString(text);
    m_comboShow.SetCurSel(0);

    m_listDial.ShowWindow(SW_SHOW);
    m_listDial.SetSortColumn(0);
    m_listArea.ShowWindow(SW_HIDE);
    m_listArea.SetSortColumn(1);

    const UINT dialHeaders[] = {IDS_COLUMN_COUNTRY, IDS_COLUMN_CODE, IDS_COLUMN_GMT};
    const UINT areaHeaders[] = {IDS_COLUMN_CITY, IDS_COLUMN_REGION, IDS_COLUMN_CODE};
    for (int c = 0; c < 3; ++c) {
        text.LoadString(dialHeaders[c]);
        m_listDial.InsertColumn(c, text, LVCFMT_LEFT, 0);
        text.LoadString(areaHeaders[c]);
        m_listArea.InsertColumn(c, text, LVCFMT_LEFT, 0);
    }
    FitColumns();
    FillLists();
    m_listDial.SetExtendedStyle(m_listDial.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    m_listArea.SetExtendedStyle(m_listArea.GetExtendedStyle() | LVS_EX_FULLROWSELECT);

    text.LoadString(IDS_DIAL_KEYWORD_HINT);
    m_editFind.SetWindowText(text);
    SHSipPreference(m_hWnd, SIP_DOWN);
    m_bPanelUp = m_placement.PanelUp();
    AdjustComboDropHeight(&m_comboShow, 8);

    m_listDial.SetFocus();
    ApplySkin();
    return FALSE;
}

void CDialCodesDlg::FitColumns() {
    // Shares of the work area's width, so that the last column (GMT, Code) ends on the screen.
    const int span = m_metrics.width + 3;
    const int dialWidths[] = {span * 45 / 100, span * 26 / 100, span * 21 / 100 - 1};
    const int areaWidths[] = {span * 35 / 100, span * 35 / 100, span * 21 / 100 - 1};
    for (int c = 0; c < 3; ++c) {
        m_listDial.SetColumnWidth(c, dialWidths[c]);
        m_listArea.SetColumnWidth(c, areaWidths[c]);
    }
    m_nColumnsFitTo = m_metrics.width;
}

void CDialCodesDlg::FillLists() {
    const DialingCodeRow* dial = DialingCodeTable();
    for (int i = 0; i < kDialingCodeRowCount; ++i) {
        int row = m_listDial.InsertItem(i, dial[i].country);
        m_listDial.SetItemText(row, 1, L"+" + dial[i].code);
        m_listDial.SetItemText(row, 2, dial[i].offset);
    }
    const AreaCodeRow* area = AreaCodeTable();
    for (int i = 0; i < kAreaCodeRowCount; ++i) {
        int row = m_listArea.InsertItem(i, area[i].city);
        m_listArea.SetItemText(row, 1, area[i].region);
        m_listArea.SetItemText(row, 2, area[i].code);
    }
}

BOOL CDialCodesDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDOK && HIWORD(wParam) == 0) return FALSE; // Enter keeps the tool open
    return CDialog::OnCommand(wParam, lParam);
}

int CDialCodesDlg::LabelWidth(CStatic& label) {
    CString text;
    label.GetWindowText(text);
    CClientDC dc(&label);
    CFont* old = dc.SelectObject(&m_fontLabel);
    int width = dc.GetTextExtent(text).cx;
    dc.SelectObject(old);
    return width;
}

void CDialCodesDlg::PlaceLists(int width) {
    const int listHeight = 3 * m_metrics.pageHeight / 5;
    m_listDial.MoveWindow(-1, 32 - m_nScroll, width, listHeight);
    m_listArea.MoveWindow(-1, 32 - m_nScroll, width, listHeight);
}

void CDialCodesDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    if (!m_listDial.m_hWnd) return; // before the controls are bound
    m_metrics = ReadToolMetrics();
    const int W = m_metrics.width;
    const int band = 3 * m_metrics.pageHeight / 5;
    m_nScroll = 0;
    CRect client;
    GetClientRect(&client);
    // The combo and the Find box end beside the window's scroll bar when one is shown.
    const int room = client.Width() > 0 ? std::min(W, static_cast<int>(client.Width())) : W;
    m_staticBand.SetWindowPos(nullptr, 0, 0, W, 25, SWP_NOZORDER);
    const int showLabel = LabelWidth(m_staticShowLabel) + 10;
    m_staticShowLabel.SetWindowPos(nullptr, 5, 5, showLabel, 20, SWP_NOZORDER);
    m_comboShow.SetWindowPos(nullptr, showLabel + 10, 3, room - showLabel - 12, 20, SWP_NOZORDER);
    PlaceLists(W + 2);
    // A rotation changed the width: the columns take their shares of the new one. (Only then:
    // the panel coming and going keeps what the user made of them.)
    if (W != m_nColumnsFitTo) FitColumns();
    const int findLabel = LabelWidth(m_staticFindLabel) + 10;
    m_staticFindLabel.SetWindowPos(nullptr, 2, band + 42, findLabel, 15, SWP_NOZORDER);
    m_editFind.SetWindowPos(nullptr, findLabel + 10, band + 42, room - findLabel - 10, 17, SWP_NOZORDER);

    m_nClientHeight = client.Height();
    m_nContentHeight = band + 61;
    ResetToolScrollBar(this, ScrollRange());

    bool panelUp = m_placement.PanelUp();
    if (panelUp != m_bPanelUp) {
        m_bPanelUp = panelUp;
        ScrollToolWindow(this, m_nScroll, 0);
    }
}

BOOL CDialCodesDlg::OnEraseBkgnd(CDC* pDC) {
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(&client, RGB(238, 238, 238));
    if (m_metrics.Portrait()) StretchBitmap(pDC, m_bmpBackground, m_metrics.width, m_metrics.pageHeight);
    return TRUE;
}

void CDialCodesDlg::OnPaint() {
    CPaintDC dc(this);
    const int W = m_metrics.width;
    const int band = 3 * m_metrics.pageHeight / 5;
    CPen pen(PS_SOLID, 1, ScaleColor(m_crBand, 0.9f));
    CPen* oldPen = dc.SelectObject(&pen);
    CBrush* oldBrush = dc.SelectObject(&m_brushWhite);
    dc.MoveTo(0, 25 - m_nScroll);
    dc.LineTo(W, 25 - m_nScroll);
    dc.Rectangle(-1, band + 40 - m_nScroll, W + 1, band + 60 - m_nScroll);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
}

HBRUSH CDialCodesDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    if (id == IDC_DIAL_BAND) return m_brushBand;
    if (id == IDC_DIAL_SHOW) return m_brushWhite;
    if (id == IDC_DIAL_SHOW_LABEL) {
        pDC->SetTextColor(m_crLabelText);
        pDC->SetBkColor(m_crBand);
        return m_brushBand;
    }
    if (id == IDC_DIAL_FIND_LABEL) {
        pDC->SetTextColor(RGB(51, 102, 150));
        pDC->SetBkColor(RGB(255, 255, 255));
        return m_brushWhite;
    }
    if (nCtlColor == CTLCOLOR_EDIT || nCtlColor == CTLCOLOR_LISTBOX) return m_brushWhite;
    pDC->SetBkMode(TRANSPARENT);
    return m_brushBack;
}

void CDialCodesDlg::OnSelchangeShow() {
    const int selection = m_comboShow.GetCurSel();
    if (selection == 0) {
        m_listDial.ShowWindow(SW_SHOW);
        m_listArea.ShowWindow(SW_HIDE);
    } else if (selection == 1) {
        m_listDial.ShowWindow(SW_HIDE);
        m_listArea.ShowWindow(SW_SHOW);
    }
    // Keys typed in the shown list go on to the Find box.
    (selection == 1 ? m_listArea : m_listDial).SetFocus();
}

void CDialCodesDlg::OnChangeFind() {
    m_editFind.GetWindowText(m_strFind);
    CSortListCtrl& list = m_comboShow.GetCurSel() == 0 ? m_listDial : m_listArea;
    LVFINDINFO find{};
    find.flags = LVFI_PARTIAL | LVFI_STRING;
    find.psz = m_strFind;
    int row = list.FindItem(&find, -1);
    if (row < 0) return;
    list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.EnsureVisible(row, FALSE);
}

void CDialCodesDlg::OnSetfocusFind() {
    m_editFind.SetWindowText(L"");
    HideToolsList(this);
}

void CDialCodesDlg::OnKillfocusFind() {
    if (m_editFind.GetWindowTextLength() != 0) return;
    CString hint;
    hint.LoadString(IDS_DIAL_KEYWORD_HINT);
    m_editFind.SetWindowText(hint);
}

namespace {
// A key moves on to the Find box; a modifier alone (the shift of shift+Tab) does not, so that the
// keys that leave the list by shift+Tab or ctrl+Tab still get there.
bool KeyMovesToFind(const NMHDR* pNMHDR) {
    const UINT key = pNMHDR ? reinterpret_cast<const NMLVKEYDOWN*>(pNMHDR)->wVKey : 0;
    return key != VK_SHIFT && key != VK_CONTROL && key != VK_MENU;
}
} // namespace

// The focus goes to the Find box, and so does the character of the key that moved it (already
// on its way to the list): a name typed in the list is found from its first letter.
void CDialCodesDlg::MoveKeyToFind(const NMHDR* pNMHDR) {
    if (!KeyMovesToFind(pNMHDR)) return;
    m_editFind.SetFocus();
    MSG typed{};
    if (pNMHDR && ::PeekMessage(&typed, pNMHDR->hwndFrom, WM_CHAR, WM_CHAR, PM_REMOVE) && typed.wParam >= L' ')
        m_editFind.SendMessage(WM_CHAR, typed.wParam, typed.lParam);
}

void CDialCodesDlg::OnKeydownDialList(NMHDR* pNMHDR, LRESULT* pResult) {
    MoveKeyToFind(pNMHDR);
    *pResult = 0;
}

void CDialCodesDlg::OnKeydownAreaList(NMHDR* pNMHDR, LRESULT* pResult) {
    MoveKeyToFind(pNMHDR);
    *pResult = 0;
}

void CDialCodesDlg::OnKeyDown(UINT, UINT, UINT) {
    m_listDial.SetFocus();
    Default();
}

void CDialCodesDlg::OnLButtonDown(UINT, CPoint) {
    HideToolsList(this);
    Default();
}

void CDialCodesDlg::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*) {
    ScrollToolWindow(this, m_nScroll, NextScrollOffset(nSBCode, m_nScroll, ScrollRange(), static_cast<int>(nPos)));
    Default();
}

void CDialCodesDlg::OnSettingChange(UINT, LPCTSTR) {
    const bool panelUp = m_placement.PanelUp();
    m_bPanelUp = panelUp;
    ScrollToolWindow(this, m_nScroll, 0);
    // The Tools page's frame places the open tool for the panel's state; a window of ours
    // without that page gives up the panel's room itself.
    auto* page = dynamic_cast<CToolsPage*>(GetOwner());
    if (page && page->GetCurrentTool() == kToolDialCodes)
        page->PlaceOpenTool();
    else
        m_placement.Apply(this, panelUp);
    // The window's own scroll bar, for the user to bring the top band back, only while the panel
    // is up (it would cover the lists' right edge otherwise).
    ::ShowScrollBar(m_hWnd, SB_VERT, panelUp);
    ResetToolScrollBar(this, ScrollRange());
    // The layout of the new size ran with the offset at 0; the lists leave room for the
    // window's own scroll bar while the panel is up.
    PlaceLists(panelUp ? m_metrics.width - 13 : m_metrics.width + 2);
    if (panelUp) ScrollToolWindow(this, m_nScroll, ScrollRange());
    HideToolsListUnder(this);
    Invalidate(TRUE);
}

void CDialCodesDlg::OnDestroy() {
    CDialog::OnDestroy();
    m_fontList.DeleteObject();
    m_fontLabel.DeleteObject();
    m_brushBack.DeleteObject();
    m_brushBand.DeleteObject();
    m_brushWhite.DeleteObject();
}

LRESULT CDialCodesDlg::OnLeaveTool(WPARAM, LPARAM) { return LeaveToolWindow(this); }

void CDialCodesDlg::ApplySkin() {
    CWaitCursor wait;
    ToolSkin skin = ReadToolSkin();
    if (!skin.loaded) return;
    ReplaceBitmap(m_bmpBackground, skin.LoadPortraitImage(L"BD"));
    m_crBand = skin.Color(L"PCD");
    m_crLabelText = skin.Color(L"PCTD");
    m_brushBand.DeleteObject();
    m_brushBand.CreateSolidBrush(m_crBand);
}
