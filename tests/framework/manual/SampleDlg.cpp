#include "tests/framework/manual/SampleDlg.h"

#include "platform/framework/CmdUI.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/WinApp.h"
#include "tests/framework/manual/SampleIds.h"

// [clockpage] -------------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(clockpage, CPropertyPage)

BEGIN_MESSAGE_MAP(clockpage, CPropertyPage)
    ON_EN_CHANGE(IDC_SAMPLE_CLOCKCITY, &clockpage::OnCityChange)
    ON_WM_SETTINGCHANGE()
END_MESSAGE_MAP()

clockpage::clockpage() : CPropertyPage(IDD_SAMPLE_CLOCK) {}

void clockpage::DoDataExchange(CDataExchange* pDX) {
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SAMPLE_CLOCKCITY, m_cityEdit);
    DDX_Text(pDX, IDC_SAMPLE_CLOCKCITY, m_city);
    DDX_Check(pDX, IDC_SAMPLE_TWELVE, m_twelve);
}

BOOL clockpage::OnInitDialog() {
    if (auto* sheet = DYNAMIC_DOWNCAST(CSampleSheet, GetParentSheet())) sheet->m_shown[0] = 1;
    CPropertyPage::OnInitDialog();
    Layout();
    return TRUE;
}

void clockpage::Layout() {
    RECT page, field;
    ::GetClientRect(::GetParent(m_hWnd), &page);
    m_cityEdit.GetWindowRect(&field);
    ScreenToClient(&field);
    m_cityEdit.MoveWindow(field.left, field.top, page.right - 2 * field.left, field.bottom - field.top);
}

void clockpage::OnSettingChange(UINT, LPCTSTR) { Layout(); }

BOOL clockpage::OnKillActive() {
    if (!CPropertyPage::OnKillActive()) return FALSE;
    if (m_city.IsEmpty()) {
        AfxMessageBox(IDS_SAMPLE_NOCITY);
        m_cityEdit.SetFocus();
        return FALSE;
    }
    return TRUE;
}

BOOL clockpage::OnApply() {
    ++m_applied;
    return CPropertyPage::OnApply();
}

void clockpage::OnCityChange() { SetModified(TRUE); }

// [colourpage] ------------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(colourpage, CPropertyPage)

BEGIN_MESSAGE_MAP(colourpage, CPropertyPage)
    ON_LBN_SELCHANGE(IDC_SAMPLE_ELEMENTS, &colourpage::OnSelChangeElement)
END_MESSAGE_MAP()

colourpage::colourpage() : CPropertyPage(IDD_SAMPLE_COLOUR, IDS_SAMPLE_COLOURS) {}

void colourpage::DoDataExchange(CDataExchange* pDX) {
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SAMPLE_ELEMENTS, m_elements);
    DDX_LBIndex(pDX, IDC_SAMPLE_ELEMENTS, m_element);
    DDX_Check(pDX, IDC_SAMPLE_BOLD, m_bold);
}

BOOL colourpage::OnInitDialog() {
    if (auto* sheet = DYNAMIC_DOWNCAST(CSampleSheet, GetParentSheet())) sheet->m_shown[1] = 1;
    // The list is filled before the base initialisation selects the member's entry.
    for (LPCTSTR element : {L"Title", L"Clock face", L"Hands", L"Date"})
        SendDlgItemMessage(IDC_SAMPLE_ELEMENTS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(element));
    CPropertyPage::OnInitDialog();
    return TRUE;
}

BOOL colourpage::OnApply() {
    ++m_applied;
    return CPropertyPage::OnApply();
}

void colourpage::OnSelChangeElement() { SetModified(TRUE); }

// [CSampleSheet] ----------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CSampleSheet, CPropertySheet)

BEGIN_MESSAGE_MAP(CSampleSheet, CPropertySheet)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CSampleSheet::CSampleSheet(LPCTSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(pszCaption, pParentWnd, iSelectPage) {
    AddPage(&m_clock);
    AddPage(&m_colour);
}

CSampleSheet::~CSampleSheet() { delete m_pBar; }

BOOL CSampleSheet::OnInitDialog() {
    BOOL result = CPropertySheet::OnInitDialog();
    // An empty bar across the top, as the program's appearance sheet has.
    m_pBar = new CCeCommandBar;
    if (!m_pBar->Create(this)) {
        delete m_pBar;
        m_pBar = nullptr;
    }
    return result;
}

void CSampleSheet::OnDestroy() {
    CPropertySheet::OnDestroy();
    m_summary.Empty();
    // The sheet's own two pages; pages added later have no flag.
    const CPropertyPage* own[] = {&m_clock, &m_colour};
    for (int i = 0; i < 2; ++i) {
        if (!m_shown[i]) continue;
        if (!m_summary.IsEmpty()) m_summary += L" ";
        m_summary += CString(own[i]->GetRuntimeClass()->m_lpszClassName);
    }
    m_destroyed = TRUE;
    delete m_pBar;
    m_pBar = nullptr;
}

// [CSampleDlg] ------------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CSampleDlg, CDialog)

BEGIN_MESSAGE_MAP(CSampleDlg, CDialog)
    ON_WM_INITMENUPOPUP()
    ON_COMMAND(ID_SAMPLE_SETTINGS, &CSampleDlg::OnSettings)
    ON_BN_CLICKED(IDC_SAMPLE_SETTINGS, &CSampleDlg::OnSettings)
    ON_COMMAND(ID_SAMPLE_RESET, &CSampleDlg::OnReset)
    ON_UPDATE_COMMAND_UI(ID_SAMPLE_RESET, &CSampleDlg::OnUpdateReset)
END_MESSAGE_MAP()

CSampleDlg::CSampleDlg(CWnd* pParent) : CDialog(IDD_SAMPLE, pParent) {}

void CSampleDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_SAMPLE_CITY, m_city);
    DDX_Control(pDX, IDC_SAMPLE_ZONE, m_zoneCombo);
    DDX_CBIndex(pDX, IDC_SAMPLE_ZONE, m_zone);
}

BOOL CSampleDlg::OnInitDialog() {
    // The zone list is filled before the base initialisation selects the member's entry.
    HWND zone = ::GetDlgItem(m_hWnd, IDC_SAMPLE_ZONE);
    for (LPCTSTR name : {L"Europe/London", L"Europe/Oslo", L"Asia/Tokyo"})
        ::SendMessageW(zone, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    CDialog::OnInitDialog();
    if (m_bar.Create(this)) m_bar.InsertMenuBar(IDM_SAMPLE);
    ShowStatus();
    return TRUE;
}

INT_PTR CSampleDlg::RunSettings() {
    if (!UpdateData(TRUE)) return -1;
    CString caption;
    caption.LoadString(IDS_SAMPLE_SHEET);
    CSampleSheet sheet(caption, this, 0);
    sheet.m_clock.m_city = m_city;
    sheet.m_clock.m_twelve = m_twelve;
    sheet.m_colour.m_bold = m_bold;
    sheet.SetActivePage(m_lastPage);
    INT_PTR result = sheet.DoModal();
    if (result == IDOK) {
        m_city = sheet.m_clock.m_city;
        m_twelve = sheet.m_clock.m_twelve;
        m_bold = sheet.m_colour.m_bold;
        m_lastPage = sheet.GetActiveIndex();
    }
    UpdateData(FALSE);
    ShowStatus();
    return result;
}

void CSampleDlg::OnSettings() { RunSettings(); }

void CSampleDlg::OnReset() {
    m_city.Empty();
    UpdateData(FALSE);
    ShowStatus();
}

void CSampleDlg::OnUpdateReset(CCmdUI* pCmdUI) { pCmdUI->Enable(!m_city.IsEmpty()); }

void CSampleDlg::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL) {
    AfxUpdateMenuCmdUI(this, pPopupMenu->GetSafeHmenu(), TRUE);
}

void CSampleDlg::ShowStatus() {
    CString status;
    status.Format(L"%s, %s clock%s", m_city.GetString(), m_twelve ? L"12-hour" : L"24-hour",
                  m_bold ? L", bold titles" : L"");
    SetDlgItemText(IDC_SAMPLE_STATUS, status);
}
