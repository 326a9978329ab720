#include "clocks/EditCitiesDlg.h"

#include "clocks/CityFields.h"
#include "clocks/ScrollableForm.h"
#include "core/CityLists.h"
#include "core/CommonHelpers.h"
#include "core/StorageFaults.h"
#include "platform/framework/CeDb.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CEditCitiesDlg, CScrollableFormDlg)
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_SETTINGCHANGE()
    ON_WM_DESTROY()
    ON_LBN_SELCHANGE(IDC_EDIT_CITY_LIST, &CEditCitiesDlg::OnSelChangeCityList)
    ON_EN_UPDATE(IDC_EDIT_CITY_LONGITUDE, &CEditCitiesDlg::OnUpdateLongitude)
    ON_EN_UPDATE(IDC_EDIT_CITY_LATITUDE, &CEditCitiesDlg::OnUpdateLatitude)
    ON_BN_CLICKED(IDC_EDIT_CITY_DELETE, &CEditCitiesDlg::OnDelete)
    ON_BN_CLICKED(IDC_EDIT_CITY_ADD, &CEditCitiesDlg::OnAdd)
    ON_BN_CLICKED(IDC_EDIT_CITY_UPDATE, &CEditCitiesDlg::OnUpdate)
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

CEditCitiesDlg::CEditCitiesDlg(CWnd* pParent) : CScrollableFormDlg(IDD_EDIT_CITIES, pParent, false) {}

void CEditCitiesDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_EDIT_CITY_LIST, m_listCities);
    DDX_Control(pDX, IDC_EDIT_CITY_NAME, m_editName);
    DDX_Control(pDX, IDC_EDIT_CITY_COUNTRY, m_editCountry);
    DDX_Control(pDX, IDC_EDIT_CITY_LONGITUDE, m_editLongitude);
    DDX_Control(pDX, IDC_EDIT_CITY_LATITUDE, m_editLatitude);
    DDX_Control(pDX, IDC_EDIT_CITY_DST_RULE, m_editDstRule);
    DDX_Control(pDX, IDC_EDIT_CITY_OFFSET, m_editOffset);
    DDX_Control(pDX, IDC_EDIT_CITY_ADD, m_buttonAdd);
    DDX_Control(pDX, IDC_EDIT_CITY_UPDATE, m_buttonUpdate);
    DDX_Control(pDX, IDC_EDIT_CITY_DELETE, m_buttonDelete);
}

BOOL CEditCitiesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_stored.Read(m_registry);
    m_hTitleFont = CreateFormFont(18, FW_BOLD);
    m_hLabelFont = CreateFormFont(14, FW_BOLD);
    m_db.Open();
    FillList();
    m_dwSipFlags = ReadSipFlags();
    Layout();
    return TRUE;
}

CString CEditCitiesDlg::FieldText(CEdit& edit) const {
    CString text;
    edit.GetWindowText(text);
    return text;
}

void CEditCitiesDlg::FillList() {
    m_listCities.ResetContent();
    FillCityList(m_listCities, m_db); // item i is CityIndex i; cities of one name show their countries
}

void CEditCitiesDlg::OnSelChangeCityList() {
    int s = m_listCities.GetCurSel();
    if (s < 0) return;
    const DWORD city = static_cast<DWORD>(s);
    m_editName.SetWindowText(m_db.GetName(city));
    m_editCountry.SetWindowText(m_db.GetCountry(city));
    m_editLongitude.SetWindowText(m_db.GetLongitude(city));
    m_editLatitude.SetWindowText(m_db.GetLatitude(city));
    m_editDstRule.SetWindowText(m_db.GetDstRule(city));
    m_editOffset.SetWindowText(m_db.GetUtcOffset(city));
}

// Longitude and latitude are decimal numbers: a comma typed for their point is that point.
void CEditCitiesDlg::OnUpdateLongitude() {
    TakeCommaAsDecimalPoint(m_editLongitude);
}
void CEditCitiesDlg::OnUpdateLatitude() {
    TakeCommaAsDecimalPoint(m_editLatitude);
}

CString CEditCitiesDlg::NumberFieldText(CEdit& edit) const {
    CString text = FieldText(edit);
    text.Trim();
    return text;
}

bool CEditCitiesDlg::RefuseCityFields() {
    // A city needs a name; the map places it by its position and the clocks read its zone and
    // rule, so each must be one they can use. The first field that is not is named.
    UINT message = 0;
    CEdit* field = nullptr;
    if (IsBlankText(FieldText(m_editName))) {
        message = IDS_ENTER_A_NAME;
        field = &m_editName;
    } else {
        switch (CheckCityFields(NumberFieldText(m_editLongitude), NumberFieldText(m_editLatitude),
                                NumberFieldText(m_editOffset), NumberFieldText(m_editDstRule))) {
        case CityFieldFault::None: break;
        case CityFieldFault::Longitude: message = IDS_CITY_LONGITUDE_NOT_VALID; field = &m_editLongitude; break;
        case CityFieldFault::Latitude: message = IDS_CITY_LATITUDE_NOT_VALID; field = &m_editLatitude; break;
        case CityFieldFault::Zone: message = IDS_CITY_ZONE_NOT_VALID; field = &m_editOffset; break;
        case CityFieldFault::DstRule: message = IDS_CITY_DST_RULE_NOT_VALID; field = &m_editDstRule; break;
        case CityFieldFault::DstZone: message = IDS_CITY_DST_ZONE_NOT_VALID; field = &m_editDstRule; break;
        }
    }
    if (!message) return false;
    CString text;
    text.LoadString(message);
    MessageBox(text, nullptr, MB_OK | MB_ICONEXCLAMATION);
    field->SetFocus();
    return true;
}

void CEditCitiesDlg::ShowDuplicateMessage() {
    CString text;
    text.LoadString(IDS_CITY_ALREADY_EXISTS);
    MessageBox(text, nullptr, MB_OK);
}

// Every change of the store and the stored positions that follow it are one transaction of the
// device store: a program killed half-way leaves the cities and the clocks, the map and the
// Today item that name them by position as they were, or all of the change, never a clock
// moved onto another city. The positions are kept only once the change is committed.
// A change the storage could not take (a full device) is said as such, not as a refusal.
StoreOutcome CEditCitiesDlg::CommitChange(const std::function<bool(StoredCityIndexes&)>& change) {
    StoredCityIndexes moved = m_stored;
    const StoreOutcome outcome = StoreAllOrNothing([&] { return change(moved) && moved.Write(m_registry); });
    if (outcome == StoreOutcome::Committed) m_stored = moved;
    FillList();
    return outcome;
}

void CEditCitiesDlg::OnAdd() {
    if (RefuseCityFields()) return;
    const CString key = FieldText(m_editName) + L":" + FieldText(m_editCountry);
    const CString position = NumberFieldText(m_editLongitude) + L":" + NumberFieldText(m_editLatitude);
    const StoreOutcome outcome = CommitChange([&](StoredCityIndexes& moved) {
        if (!m_db.AddCity(key, position, NumberFieldText(m_editDstRule), NumberFieldText(m_editOffset))) return false;
        moved.ShiftAfterAdd(static_cast<int32_t>(m_db.GetCurrentIndex()));
        return true;
    });
    if (outcome == StoreOutcome::Refused) ShowDuplicateMessage();
}

BOOL CEditCitiesDlg::PreTranslateMessage(MSG* pMsg) {
    // The form closes through OK only. The dialog manager turns Escape into a click of the
    // control with the cancel command's id, which here is the Delete button: the key would
    // delete the selected city unasked, so it does nothing in this form.
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE &&
        (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd)))
        return TRUE;
    return CScrollableFormDlg::PreTranslateMessage(pMsg);
}

void CEditCitiesDlg::OnDelete() {
    // The Delete button carries the cancel command's id; that command without the button (a
    // cancel that is no click of it) must not delete a city unasked.
    const MSG* msg = GetCurrentMessage();
    CWnd* button = GetDlgItem(IDC_EDIT_CITY_DELETE);
    if (msg && button && reinterpret_cast<HWND>(msg->lParam) != button->m_hWnd) return;
    const int s = m_listCities.GetCurSel();
    if (s < 0) return;
    // Only a city the store really removed moves the stored positions.
    CommitChange([&](StoredCityIndexes& moved) {
        if (!m_db.DeleteAt(static_cast<DWORD>(s))) return false;
        moved.ShiftAfterDelete(s);
        return true;
    });
}

void CEditCitiesDlg::OnUpdate() {
    const int s = m_listCities.GetCurSel();
    if (s < 0 || RefuseCityFields()) return;
    CWaitCursor wait;
    const CString key = FieldText(m_editName) + L":" + FieldText(m_editCountry);
    if (m_db.FindCity(key) && m_db.GetCurrentIndex() != static_cast<DWORD>(s)) {
        ShowDuplicateMessage();
        return;
    }
    const CString position = NumberFieldText(m_editLongitude) + L":" + NumberFieldText(m_editLatitude);
    // The old record goes and the new one comes in the same step as the positions that follow
    // it: should the store refuse the new record, the old one is still there.
    bool refused = false;
    const StoreOutcome outcome = CommitChange([&](StoredCityIndexes& moved) {
        if (!m_db.DeleteAt(static_cast<DWORD>(s))) return false;
        refused = !m_db.AddCity(key, position, NumberFieldText(m_editDstRule), NumberFieldText(m_editOffset));
        if (refused) return false;
        moved.ShiftAfterMove(s, static_cast<int32_t>(m_db.GetCurrentIndex()));
        return true;
    });
    if (refused && outcome == StoreOutcome::Refused) ShowDuplicateMessage();
}

void CEditCitiesDlg::ReadWorkArea() {
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    m_nWorkWidth = area.right - area.left;
}

void CEditCitiesDlg::Layout() {
    if (!m_listCities.m_hWnd) return; // sized before the controls are bound
    ReadWorkArea();
    const int y0 = -m_nScrollPos;
    CEdit* edits[] = {&m_editName, &m_editCountry, &m_editLongitude, &m_editLatitude, &m_editDstRule, &m_editOffset};
    const int editY[] = {35, 55, 75, 95, 120, 150};
    // 17 pixels: the border and the edit's margins leave the 13 of the dialog font's line, so the
    // feet of the glyphs (a comma's tail) are not cut off.
    for (int i = 0; i < 6; ++i)
        edits[i]->MoveWindow(120, editY[i] + y0, 100, kFieldHeight);
    // Across the client area, which a shown scroll bar narrows, so that the bar covers no list.
    CRect client;
    GetClientRect(&client);
    const int width = client.Width() > 0 ? std::min(m_nWorkWidth, static_cast<int>(client.Width())) : m_nWorkWidth;
    m_listCities.MoveWindow(90, 180 + y0, width - 95, 75);
    m_buttonAdd.MoveWindow(5, 180 + y0, 80, 25);
    m_buttonDelete.MoveWindow(5, 205 + y0, 80, 25);
    m_buttonUpdate.MoveWindow(5, 230 + y0, 80, 25);
}

void CEditCitiesDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    Layout();
    Invalidate();
    ResetFormScroll(cy);
    Layout(); // the bar, shown or hidden, changed the client width
    const DWORD flags = ReadSipFlags();
    if (flags != m_dwSipFlags) {
        m_dwSipFlags = flags;
        ScrollTo(0);
        KeepFocusInView();
    }
}

void CEditCitiesDlg::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
    CDialog::OnSettingChange(uFlags, lpszSection);
    // A full-screen form keeps its size when the panel rises: it ends above the panel instead,
    // and its scroll range brings the covered fields up.
    FitAbovePanel();
    Layout();
    Invalidate();
}

void CEditCitiesDlg::ScrollTo(int pos) {
    ScrollForm(SB_THUMBPOSITION, static_cast<UINT>(pos));
}

void CEditCitiesDlg::OnPaint() {
    CPaintDC dc(this);
    const int y0 = -m_nScrollPos;
    dc.SetBkMode(TRANSPARENT);
    PaintFormHeaderBand(dc, m_nWorkWidth, -2 + y0, 28 + y0);

    HDC hdc = dc.GetSafeHdc();
    HGDIOBJ oldFont = ::SelectObject(hdc, m_hTitleFont);
    CString text;
    text.LoadString(IDS_EDIT_CITIES_TITLE);
    dc.TextOut(5, 5 + y0, text);

    ::SelectObject(hdc, m_hLabelFont);
    const struct {
        UINT id;
        int y;
    } labels[] = {{IDS_CITY_LABEL, 35},     {IDS_COUNTRY_LABEL, 55}, {IDS_LONGITUDE_LABEL, 75},
                  {IDS_LATITUDE_LABEL, 95}, {IDS_DST_LABEL, 120},    {IDS_TIME_ZONE_LABEL, 150}};
    for (const auto& label : labels) {
        text.LoadString(label.id);
        dc.TextOut(5, label.y + y0, text);
    }
    COLORREF oldColor = dc.SetTextColor(RGB(0, 0, 255));
    dc.TextOut(93, 120 + y0, CString(L"[?]"));
    dc.SetTextColor(oldColor);
    ::SelectObject(hdc, oldFont);

    CPen pen;
    pen.CreatePen(PS_SOLID, 1, RGB(160, 172, 192));
    CPen* oldPen = dc.SelectObject(&pen);
    dc.MoveTo(0, 175 + y0);
    dc.LineTo(m_nWorkWidth, 175 + y0);
    dc.MoveTo(110, 28 + y0);
    dc.LineTo(110, 175 + y0);
    dc.SelectObject(oldPen);
}

void CEditCitiesDlg::OnLButtonDown(UINT nFlags, CPoint point) {
    if (point.x >= 94 && point.x < 113 && point.y > 120 - m_nScrollPos && point.y < 140 - m_nScrollPos) {
        // The fields, then whose year the day numbers are: a rule is read as dates of the year
        // of the list the store was built from.
        CString text, year, caption;
        text.LoadString(IDS_DST_RULE_LEGEND);
        if (const int rulesYear = m_db.GetRulesYear()) {
            CString format;
            format.LoadString(IDS_DST_RULE_DAYS_OF_YEAR);
            year.Format(format, rulesYear);
        } else {
            year.LoadString(IDS_DST_RULE_DAYS_EVERY_YEAR);
        }
        caption.LoadString(IDS_DST_INFORMATION);
        MessageBox(text + L"\n\n" + year, caption, MB_OK | MB_ICONINFORMATION);
    }
    CDialog::OnLButtonDown(nFlags, point);
}

void CEditCitiesDlg::OnDestroy() {
    CDialog::OnDestroy();
    if (m_hTitleFont) ::DeleteObject(m_hTitleFont);
    if (m_hLabelFont) ::DeleteObject(m_hLabelFont);
    m_hTitleFont = m_hLabelFont = nullptr;
}
