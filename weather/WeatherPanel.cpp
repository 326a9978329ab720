// The Weather page: start-up and end, the four places and their registry values, the ticks, the
// tap areas and what each one does, the city choice, the synchronisations and the tip box.

#include "weather/WeatherPanel.h"

#include <algorithm>

#include "core/CommonHelpers.h"
#include "core/HeldPositions.h"
#include "core/ShippedDefaults.h"
#include "core/StorageFaults.h"
#include "core/WeatherPlaces.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WinApp.h"
#include "platform/framework/WindowDC.h"
#include "platform/system/DeviceTime.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"
#include "shell/AppMessages.h"
#include "shell/MainTabCtrl.h"
#include "weather/CitySelectDlg.h"
#include "weather/ForecastDlg.h"
#include "weather/SyncDlg.h"
#include "weather/WeatherSync.h"

namespace {

constexpr LPCWSTR kWeatherKey = kWeatherPlacesKey;
constexpr LPCWSTR kProgramKey = L"Jorvana";
constexpr const LPCWSTR* kPlaceValues = kWeatherPlaceValues;
// Place 1 is the home city (written at the first start); places 2 to 4 are big cities of the
// shipped weather list.
constexpr DWORD kPlaceDefaults[CWeatherPanel::kPlaces] = {0, shipped::kWeatherPlace[0], shipped::kWeatherPlace[1],
                                                          shipped::kWeatherPlace[2]};
constexpr UINT kComboIds[CWeatherPanel::kPlaces] = {IDC_WEATHER_PLACE1, IDC_WEATHER_PLACE2, IDC_WEATHER_PLACE3,
                                                    IDC_WEATHER_PLACE4};
constexpr UINT kMoreIds[CWeatherPanel::kPlaces] = {IDC_WEATHER_MORE1, IDC_WEATHER_MORE2, IDC_WEATHER_MORE3,
                                                   IDC_WEATHER_MORE4};

constexpr COLORREF kBandA = RGB(194, 211, 228);
constexpr COLORREF kBandB = RGB(238, 238, 238);
constexpr COLORREF kTipColor = RGB(250, 250, 220);
constexpr COLORREF kTipButtonColor = RGB(0, 120, 220);
constexpr COLORREF kUnitTextColor = RGB(51, 102, 233);

int TodayWeekday() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return now.wDayOfWeek;
}

bool Between(int a, int value, int b) { return a < value && value < b; }

} // namespace

DWORD CWeatherPanel::s_placePositions[CWeatherPanel::kPlaces] = {kPlaceDefaults[0], kPlaceDefaults[1], kPlaceDefaults[2],
                                                                 kPlaceDefaults[3]};
int CWeatherPanel::s_bandHeight = 225;
int CWeatherPanel::s_wideFlag = 0;
int CWeatherPanel::s_syncAllTop = 5;
int CWeatherPanel::s_dayStripBottom = 20;

BEGIN_MESSAGE_MAP(CWeatherPanel, CDialog)
    ON_WM_CTLCOLOR()
    ON_WM_DESTROY()
    ON_WM_ERASEBKGND()
    ON_BN_CLICKED(IDC_WEATHER_MORE1, &CWeatherPanel::OnMore1)
    ON_BN_CLICKED(IDC_WEATHER_MORE2, &CWeatherPanel::OnMore2)
    ON_BN_CLICKED(IDC_WEATHER_MORE3, &CWeatherPanel::OnMore3)
    ON_BN_CLICKED(IDC_WEATHER_MORE4, &CWeatherPanel::OnMore4)
    ON_WM_PAINT()
    ON_BN_CLICKED(IDC_WEATHER_FAHRENHEIT, &CWeatherPanel::OnFahrenheit)
    ON_BN_CLICKED(IDC_WEATHER_CELSIUS, &CWeatherPanel::OnCelsius)
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_TIMER()
    ON_CBN_SELCHANGE(IDC_WEATHER_PLACE1, &CWeatherPanel::OnSelChangePlace1)
    ON_CBN_SELCHANGE(IDC_WEATHER_PLACE2, &CWeatherPanel::OnSelChangePlace2)
    ON_CBN_SELCHANGE(IDC_WEATHER_PLACE3, &CWeatherPanel::OnSelChangePlace3)
    ON_CBN_SELCHANGE(IDC_WEATHER_PLACE4, &CWeatherPanel::OnSelChangePlace4)
    ON_CBN_KILLFOCUS(IDC_WEATHER_PLACE1, &CWeatherPanel::OnKillFocusPlace1)
    ON_CBN_KILLFOCUS(IDC_WEATHER_PLACE2, &CWeatherPanel::OnKillFocusPlace2)
    ON_CBN_KILLFOCUS(IDC_WEATHER_PLACE3, &CWeatherPanel::OnKillFocusPlace3)
    ON_CBN_KILLFOCUS(IDC_WEATHER_PLACE4, &CWeatherPanel::OnKillFocusPlace4)
    ON_CBN_CLOSEUP(IDC_WEATHER_PLACE1, &CWeatherPanel::OnKillFocusPlace1)
    ON_CBN_CLOSEUP(IDC_WEATHER_PLACE2, &CWeatherPanel::OnKillFocusPlace2)
    ON_CBN_CLOSEUP(IDC_WEATHER_PLACE3, &CWeatherPanel::OnKillFocusPlace3)
    ON_CBN_CLOSEUP(IDC_WEATHER_PLACE4, &CWeatherPanel::OnKillFocusPlace4)
    ON_WM_SETTINGCHANGE()
    ON_BN_CLICKED(IDC_WEATHER_TIP_HIDE, &CWeatherPanel::OnTipHide)
    ON_EN_SETFOCUS(IDC_WEATHER_TIP_TEXT, &CWeatherPanel::OnTipTextFocus)
    ON_MESSAGE(WM_APP_HIDE_PAGE, &CWeatherPanel::OnHidePanel)
END_MESSAGE_MAP()

CWeatherPanel::CWeatherPanel(CWnd* pParent) : CDialog(IDD_WEATHER_PAGE, pParent) {}

CWeatherPanel::~CWeatherPanel() { m_ticker.Stop(); }

void CWeatherPanel::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_WEATHER_TIP_TEXT, m_tipText);
    DDX_Control(pDX, IDC_WEATHER_TIP_TITLE, m_tipTitle);
    DDX_Control(pDX, IDC_WEATHER_TIP_HIDE, m_tipButton);
    for (int i = 0; i < kPlaces; ++i) DDX_Control(pDX, kComboIds[i], m_placeCombos[i]);
}

void CWeatherPanel::CreateFont(CFont& font, int height, int weight, bool underline, LPCWSTR face) {
    font.DeleteObject();
    font.CreateFont(height, 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, face);
}

BOOL CWeatherPanel::OnInitDialog() {
    CDialog::OnInitDialog();
    m_destroyed = false;
    m_citiesDb.Open();
    m_weatherDb.Open();

    m_tempSeparator = L"/";
    static constexpr UINT kDayIds[7] = {IDS_DAY_SUN, IDS_DAY_MON, IDS_DAY_TUE, IDS_DAY_WED,
                                        IDS_DAY_THU, IDS_DAY_FRI, IDS_DAY_SAT};
    for (int i = 0; i < 7; ++i) m_dayNames[i].LoadString(kDayIds[i]);

    CWaitCursor wait;
    const int base = m_sharedFontBase;
    const LPCWSTR face = m_sharedFontFace;
    CreateFont(m_boldFont, base + 13, 700, false, face);
    CreateFont(m_smallFont, base + 10, 400, false, face);
    CreateFont(m_mediumFont, base + 11, 400, false, face);
    CreateFont(m_headingFont, base + 13, 700, false, face);
    CreateFont(m_arialBoldFont, 13, 700, false, L"Arial");
    CreateFont(m_normalFont, base + 13, 400, false, face);
    CreateFont(m_underlinedFont, base + 13, 400, true, face);
    CreateFont(m_largeFont, base + 14, 400, false, face);

    // A place past the end of the store (a shorter list than the one it was saved with, or a
    // list cut short) would show without a name: the first place stands in, remembered. While
    // the store holds only what was added to it because its list yielded nothing, the user's
    // place is kept aside and comes back once the list is in.
    const DWORD count = m_weatherDb.GetRecordCount();
    const bool whole = m_weatherDb.IsWhole() != FALSE;
    const FindPositionByName find = [this](const CString& name, DWORD& position) {
        if (!m_weatherDb.FindByName(name)) return false;
        position = m_weatherDb.GetCurrentIndex();
        return true;
    };
    for (int i = 0; i < kPlaces; ++i)
        s_placePositions[i] = RepairStoredPosition(m_registry, kWeatherKey, kPlaceValues[i],
                                                   kPlaceDefaults[i], count, 0, whole, find);

    m_controlBrush.DeleteObject();
    m_controlBrush.CreateSolidBrush(kBandB);
    m_bandBrushA.DeleteObject();
    m_bandBrushA.CreateSolidBrush(kBandA);
    m_bandBrushB.DeleteObject();
    m_bandBrushB.CreateSolidBrush(kBandB);
    m_tipBrush.DeleteObject();
    m_tipBrush.CreateSolidBrush(kTipColor);
    m_tipButtonBrush.DeleteObject();
    m_tipButtonBrush.CreateSolidBrush(kTipButtonColor);

    CreateFont(m_unitFont, 14, 700, false, L"Arial");
    CreateFont(m_moreFont, base + 13, 700, false, face);
    CreateFont(m_tipTextFont, 13, 500, false, L"Arial");
    CreateFont(m_tipTitleFont, base + 12, 700, false, face);
    CreateFont(m_tipButtonFont, base + 13, 700, false, face);

    for (CIconButton* unit : {&m_celsiusButton, &m_fahrenheitButton}) {
        unit->SubclassDlgItem(unit == &m_celsiusButton ? IDC_WEATHER_CELSIUS : IDC_WEATHER_FAHRENHEIT, this);
        unit->SetColor(CIconButton::BTNST_COLOR_BK_OUT, kBandA);
        unit->SetColor(CIconButton::BTNST_COLOR_BK_IN, kBandB);
        unit->SetColor(CIconButton::BTNST_COLOR_FG_IN, kUnitTextColor);
        unit->SetColor(CIconButton::BTNST_COLOR_FG_OUT, kUnitTextColor);
        unit->SetColor(CIconButton::BTNST_COLOR_FG_FOCUS, kUnitTextColor);
        unit->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_unitFont.GetSafeHandle()), TRUE);
    }
    for (UINT id = IDC_WEATHER_ICON11; id <= IDC_WEATHER_TEMP43; ++id) {
        if (id == IDC_WEATHER_MORE1) continue;
        if (CWnd* anchor = GetDlgItem(id))
            anchor->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_unitFont.GetSafeHandle()), TRUE);
    }

    for (int i = 0; i < kPlaces; ++i) {
        CIconButton& more = m_moreButtons[i];
        more.SubclassDlgItem(kMoreIds[i], this);
        more.SetColor(CIconButton::BTNST_COLOR_BK_OUT, i % 2 == 0 ? kBandA : kBandB);
        more.SetColor(CIconButton::BTNST_COLOR_BK_IN, i % 2 == 0 ? kBandB : kBandA);
        more.SetColor(CIconButton::BTNST_COLOR_FG_IN, kUnitTextColor);
        more.SetColor(CIconButton::BTNST_COLOR_FG_OUT, kUnitTextColor);
        more.ShowWindow(SW_HIDE);
        more.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_moreFont.GetSafeHandle()), TRUE);
    }
    m_tipText.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_tipTextFont.GetSafeHandle()), TRUE);
    m_tipTitle.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_tipTitleFont.GetSafeHandle()), TRUE);
    m_tipButton.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_tipButtonFont.GetSafeHandle()), TRUE);

    m_timerId = SetTimer(1, 1000, nullptr);

    for (WORD& has : m_placeHasData) has = 0;
    m_forecastsShown = 1;

    // Only the server address is wanted here; the request itself is built again at Sync All.
    LayOut();
    BuildWeatherQuery(m_weatherDb, m_workWidth, m_workHeight, m_serverAddress);

    m_shownWeekday = TodayWeekday();

    DWORD fara = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kProgramKey, L"fara");
    m_fahrenheit = (m_registry.RegistryStatus == CRegistryKey::kFound && fara == 1) ? 1 : 0;

    m_forecastsShown = 1;
    LoadPlaceForecasts();
    m_celsius = !m_fahrenheit;
    if (m_fahrenheit) ShowFahrenheit();
    m_fahrenheitButton.EnableWindow(m_celsius ? TRUE : FALSE);
    m_celsiusButton.EnableWindow(m_fahrenheit ? TRUE : FALSE);

    // A ticker that cannot start leaves the page to window timer 1 alone.
    m_ticker.Start(m_hWnd, m_tickPeriodMs);

    m_tipStage = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kProgramKey, L"weattip");
    if (m_tipStage == 0) {
        ShowTips(0);
        m_tipStage = 1;
        m_registry.WriteDword(HKEY_LOCAL_MACHINE, kProgramKey, L"weattip", 1);
    }

    for (CComboBox& combo : m_placeCombos) AdjustComboDropHeight(&combo, 8);
    m_placeCombos[0].SetFocus();
    return FALSE;
}

BOOL CWeatherPanel::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDOK) return TRUE; // Enter never ends the page
    return CDialog::OnCommand(wParam, lParam);
}

void CWeatherPanel::OnDestroy() {
    CDialog::OnDestroy();
    for (int i = 0; i < kPlaces; ++i)
        m_registry.WriteDword(HKEY_LOCAL_MACHINE, kWeatherKey, kPlaceValues[i], s_placePositions[i]);
    m_ticker.Stop();
    m_unitFont.DeleteObject();
    m_unitFitFont.DeleteObject();
    m_unitFitHeight = 0;
    m_moreFont.DeleteObject();
    m_tipTextFont.DeleteObject();
    m_tipTitleFont.DeleteObject();
    m_tipButtonFont.DeleteObject();
    m_controlBrush.DeleteObject();
    m_bandBrushA.DeleteObject();
    m_bandBrushB.DeleteObject();
    m_tipBrush.DeleteObject();
    m_tipButtonBrush.DeleteObject();
    for (CFont* font : {&m_boldFont, &m_smallFont, &m_mediumFont, &m_headingFont, &m_arialBoldFont, &m_normalFont,
                        &m_underlinedFont, &m_largeFont})
        font->DeleteObject();
    m_backgroundBitmap.DeleteObject();
    m_destroyed = true;
}

LRESULT CWeatherPanel::OnHidePanel(WPARAM, LPARAM) {
    ShowWindow(SW_HIDE);
    return 1;
}

void CWeatherPanel::Refresh() {
    LoadPlaceForecasts();
    m_celsius = !m_fahrenheit;
    if (m_fahrenheit) ShowFahrenheit();
}

void CWeatherPanel::ConvertAfterReload() {
    if (m_fahrenheit) ShowFahrenheit();
}

void CWeatherPanel::ShiftPlaceIndices(BYTE first, BYTE second, BYTE third, BYTE fourth) {
    const BYTE flags[kPlaces] = {first, second, third, fourth};
    for (int i = 0; i < kPlaces; ++i)
        if (flags[i]) ++s_placePositions[i];
}

CString CWeatherPanel::GetHomeName() { return m_registry.ReadString(HKEY_LOCAL_MACHINE, kProgramKey, L"hlname"); }

// Ticks: window timer 1 and the ticker thread both land here.
void CWeatherPanel::OnTimer(UINT_PTR nIDEvent) {
    if (TodayWeekday() != m_shownWeekday) {
        RECT strip{0, 0, m_workWidth, s_dayStripBottom};
        InvalidateRect(&strip, TRUE);
        LoadPlaceForecasts();
        ConvertAfterReload();
    }
    CDialog::OnTimer(nIDEvent);
}

int CWeatherPanel::BaseLine(int place) const {
    const int b = s_bandHeight;
    switch (place) {
    case 0: return b / 8;
    case 1: return b / 8 + b / 4;
    case 2: return b / 8 + b / 2;
    default: return (3 * b) / 4 + b / 8;
    }
}

CSize CWeatherPanel::ClientSize(CWnd& wnd) {
    RECT r{};
    if (wnd.m_hWnd) wnd.GetClientRect(&r);
    return CSize(r.right - r.left, r.bottom - r.top);
}

CSize CWeatherPanel::WindowSize(UINT id) {
    RECT r{};
    if (CWnd* item = GetDlgItem(id)) item->GetWindowRect(&r);
    return CSize(r.right - r.left, r.bottom - r.top);
}

void CWeatherPanel::OnLButtonDown(UINT nFlags, CPoint point) {
    const int x = point.x;
    const int y = point.y;
    auto* container = dynamic_cast<CMainTabCtrl*>(GetParent());
    if (container && container->IsToolsListShown()) container->FocusTab(1);

    const int d = s_wideFlag;
    const int w = m_workWidth;
    const int c = ClientSize(m_placeCombos[0]).cx;
    for (int k = 0; k < kPlaces; ++k) {
        const int base = BaseLine(k);
        if (Between(c / 3 + 7, x, c / 3 + 57) && Between(base - 4 * d + 22, y, base - 4 * d + 42)) More(k);
    }
    for (int k = 0; k < kPlaces; ++k) {
        const CSize size = ClientSize(m_placeCombos[k]);
        const int nameLine = BaseLine(k) - d + (k == 3 ? 21 : 20);
        if (Between(2, x, size.cx + 2) && Between(nameLine - size.cy, y, nameLine)) ChooseCity(k);
    }
    if (Between(10 * w / 40, x, 10 * w / 40 + 50) && Between(s_syncAllTop, y, s_syncAllTop + 15)) SyncAll();
    for (int k = 0; k < kPlaces; ++k) {
        const int base = BaseLine(k);
        if (Between(20 * w / 40 + 12, x, 20 * w / 40 + 82) && Between(base + 11, y, base + 31) &&
            m_placeHasData[k] == 0)
            SyncPlace(m_placeNames[k]);
    }
    CDialog::OnLButtonDown(nFlags, point);
}

void CWeatherPanel::More(int place) {
    if (m_placeHasData[place] == 0) {
        m_messageText.LoadString(IDS_FORECAST_NOT_AVAILABLE);
        AfxMessageBox(m_messageText, MB_OK);
        return;
    }
    m_registry.WriteDword(HKEY_LOCAL_MACHINE, kWeatherKey, L"fore", s_placePositions[place]);
    RunForecastView(this, m_placeNames[place], GetHomeName());
    LoadPlaceForecasts();
    ConvertAfterReload();
}

void CWeatherPanel::OnMore1() { More(0); }
void CWeatherPanel::OnMore2() { More(1); }
void CWeatherPanel::OnMore3() { More(2); }
void CWeatherPanel::OnMore4() { More(3); }

void CWeatherPanel::ChooseCity(int place) {
    // The places are held by name across the choice: "Add other cities ..." may add or remove a
    // city before them and so move their positions.
    for (int i = 0; i < kPlaces; ++i)
        if (m_placeNames[i].IsEmpty()) m_placeNames[i] = m_weatherDb.GetName(s_placePositions[i]);
    CCitySelectDlg dialog(this);
    dialog.m_chosenCity = m_placeNames[place];
    dialog.DoModal();
    m_placeNames[place] = dialog.m_chosenCity;
    SavePlaces();
}

void CWeatherPanel::SavePlaces() {
    DWORD positions[kPlaces] = {};
    CString names[kPlaces];
    for (int i = 0; i < kPlaces; ++i) {
        // A place the paint has not named yet keeps the city at its position.
        names[i] = m_placeNames[i].IsEmpty() ? m_weatherDb.GetName(s_placePositions[i]) : m_placeNames[i];
        if (!names[i].IsEmpty() && m_weatherDb.FindByName(names[i])) {
            positions[i] = m_weatherDb.GetCurrentIndex();
        } else {
            names[i] = m_weatherDb.GetName(0);
        }
    }
    const bool stored = StorePlacePositions(positions);
    // Not stored, the places are the stored ones, named again by the paint.
    for (int i = 0; i < kPlaces; ++i) m_placeNames[i] = stored ? names[i] : CString();
    LoadPlaceForecasts();
    ConvertAfterReload();
    if (!stored) Invalidate(TRUE);
}

bool CWeatherPanel::StorePlacePositions(const DWORD positions[kPlaces]) {
    const bool stored = StoreWritesAllOrNothing([&] {
        // (A position that is stored already is left as it is by the registry.)
        for (int i = 0; i < kPlaces; ++i)
            if (!m_registry.WriteDword(HKEY_LOCAL_MACHINE, kWeatherKey, kPlaceValues[i], positions[i])) return false;
        return true;
    });
    const DWORD count = m_weatherDb.GetRecordCount();
    for (int i = 0; i < kPlaces; ++i) {
        if (stored) {
            s_placePositions[i] = positions[i];
            continue;
        }
        const DWORD kept = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kWeatherKey, kPlaceValues[i]);
        if (m_registry.RegistryStatus == CRegistryKey::kFound && kept < count) s_placePositions[i] = kept;
    }
    return stored;
}

void CWeatherPanel::SyncAll() {
    CString query = BuildWeatherQuery(m_weatherDb, m_workWidth, m_workHeight, m_serverAddress);
    CSyncDlg dialog(this);
    dialog.m_serverAddress = &m_serverAddress;
    dialog.m_query = query;
    dialog.DoModal();
    if (dialog.m_reply == L"yes") {
        m_forecastsShown = 1;
        LoadPlaceForecasts();
        ConvertAfterReload();
        ShowTips(1);
    }
}

void CWeatherPanel::SyncPlace(const CString& name) {
    // A place whose name the paint has not filled in yet is named by its position.
    CString place = name;
    for (int i = 0; place.IsEmpty() && i < kPlaces; ++i)
        if (&m_placeNames[i] == &name) place = m_weatherDb.GetName(s_placePositions[i]);
    if (place.IsEmpty()) return;
    if (SyncWeatherPlace(m_weatherDb, place, m_workWidth, m_workHeight, m_hWnd)) {
        m_forecastsShown = 1;
        LoadPlaceForecasts();
        ConvertAfterReload();
        // The place's "Tap to sync." text goes with the background under it.
        Invalidate(TRUE);
        ShowTips(1);
    }
}

void CWeatherPanel::SelChangePlace(int place) {
    const int selection = m_placeCombos[place].GetCurSel();
    if (selection < 0) return; // nothing chosen: the place stays
    DWORD positions[kPlaces];
    std::copy(std::begin(s_placePositions), std::end(s_placePositions), positions);
    positions[place] = static_cast<DWORD>(selection);
    StorePlacePositions(positions);
    m_placeNames[place].Empty(); // named again by the paint, from the position kept
    LoadPlaceForecasts();
    ConvertAfterReload();
}

void CWeatherPanel::HideCombo(int place) { m_placeCombos[place].ShowWindow(SW_HIDE); }

void CWeatherPanel::OnSelChangePlace1() { SelChangePlace(0); }
void CWeatherPanel::OnSelChangePlace2() { SelChangePlace(1); }
void CWeatherPanel::OnSelChangePlace3() { SelChangePlace(2); }
void CWeatherPanel::OnSelChangePlace4() { SelChangePlace(3); }
void CWeatherPanel::OnKillFocusPlace1() { HideCombo(0); }
void CWeatherPanel::OnKillFocusPlace2() { HideCombo(1); }
void CWeatherPanel::OnKillFocusPlace3() { HideCombo(2); }
void CWeatherPanel::OnKillFocusPlace4() { HideCombo(3); }

HBRUSH CWeatherPanel::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    pDC->SetBkMode(TRANSPARENT);
    const bool bandA = (id >= IDC_WEATHER_DAY1 && id <= IDC_WEATHER_DAY6) ||
                       (id >= IDC_WEATHER_TEMP21 && id <= IDC_WEATHER_TEMP23) ||
                       (id >= IDC_WEATHER_TEMP41 && id <= IDC_WEATHER_TEMP43) || id == IDC_WEATHER_MORE1 ||
                       id == IDC_WEATHER_MORE3;
    if (bandA) return static_cast<HBRUSH>(m_bandBrushA.GetSafeHandle());
    if (id == IDC_WEATHER_MORE2 || id == IDC_WEATHER_MORE4 || id == IDC_WEATHER_FAHRENHEIT ||
        id == IDC_WEATHER_CELSIUS)
        return static_cast<HBRUSH>(m_bandBrushB.GetSafeHandle());
    if (id == IDC_WEATHER_TIP_TITLE || id == IDC_WEATHER_TIP_TEXT) {
        pDC->SetBkColor(kTipColor);
        return static_cast<HBRUSH>(m_tipBrush.GetSafeHandle());
    }
    if (id == IDC_WEATHER_TIP_HIDE) {
        pDC->SetTextColor(RGB(255, 255, 255));
        return static_cast<HBRUSH>(m_tipButtonBrush.GetSafeHandle());
    }
    return static_cast<HBRUSH>(m_controlBrush.GetSafeHandle());
}

// Tips ------------------------------------------------------------------------------------------

void CWeatherPanel::PlaceTip(int x, int y, UINT stringId, int lineCount, int mode, bool fit, int width) {
    PlaceTipsBox(*this, TipsBox{m_tipTitle, m_tipText, m_tipButton, m_tipTextFont}, x, y, stringId, lineCount, mode,
                 fit, width);
}

BOOL CWeatherPanel::PreTranslateMessage(MSG* pMsg) {
    if (TipsBoxTakesKey(*this, TipsBox{m_tipTitle, m_tipText, m_tipButton, m_tipTextFont}, *pMsg)) return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

void CWeatherPanel::ShowTips(int stage) {
    if (stage == 1 && m_tipStage == 2) return;
    m_tipShown = stage;
    PlaceShownTip();
    if (stage == 1) {
        m_tipStage = 2;
        m_registry.WriteDword(HKEY_LOCAL_MACHINE, kProgramKey, L"weattip", 2);
    }
}

// Places the tip box of the tips last shown for the current work area: again after a rotation
// or a change of the input panel, so that it stays on the page and above a raised panel.
void CWeatherPanel::PlaceShownTip() {
    const int stage = m_tipShown;
    const bool wide = m_workWidth >= m_workHeight;
    UINT id = IDS_WEATHER_TIPS;
    int lines = wide ? 3 : 5;
    bool fit = false;
    if (stage == 1) {
        id = IDS_WEATHER_TIPS_AFTER_SYNC;
        lines = (wide && m_workWidth >= 320) ? 2 : 3;
        fit = true;
    }
    // A box fitted to the text takes its width from the line count; a text that wraps to more
    // lines than asked for in the box's width gets those lines, so that none is cut off.
    int width = m_workWidth - 10;
    {
        CString text;
        text.LoadString(id);
        CClientDC dc(this);
        CFont* old = dc.SelectObject(&m_tipTextFont);
        if (fit) width = dc.GetTextExtent(text).cx / lines + 20;
        // The text box is 10 pixels narrower than the box and keeps a small margin each side.
        RECT wrapped{0, 0, width - 10 - 4, 0};
        const int lineHeight = dc.GetTextExtent(CString(L"Ag")).cy;
        dc.DrawText(text, &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        dc.SelectObject(old);
        const int needed = lineHeight > 0 ? (wrapped.bottom - wrapped.top + lineHeight - 1) / lineHeight : lines;
        if (needed > lines) {
            lines = needed;
            fit = false;
        }
    }
    // Placed once out of sight to learn the box's size, then centred on the page's bottom.
    PlaceTip(m_workWidth, m_workHeight, id, lines, 0, fit, width);
    RECT box{};
    m_tipTitle.GetWindowRect(&box);
    const int bw = box.right - box.left;
    const int bh = box.bottom - box.top;
    // Its bottom on the page image's bottom, or on the input panel's top while that is higher.
    int bottom = m_pageHeight + 3;
    SIPINFO sip{};
    sip.cbSize = sizeof(sip);
    if (::SipGetInfo(&sip) && (sip.fdwFlags & SIPF_ON)) {
        POINT visible{0, sip.rcVisibleDesktop.bottom};
        ScreenToClient(&visible);
        bottom = std::min<int>(bottom, visible.y);
    }
    PlaceTip(m_workWidth / 2 - bw / 2, std::max(0, bottom - bh), id, lines, 0, fit, width);
    RECT text{}, hide{};
    m_tipText.GetWindowRect(&text);
    m_tipButton.GetWindowRect(&hide);
    // A raised panel over a short page leaves less room than the box takes: the box ends at the
    // panel's top with its Hide button in reach, and its text shows what fits above the button.
    if (bottom > 0 && bh > bottom) {
        RECT frame{};
        m_tipTitle.GetWindowRect(&frame);
        ScreenToClient(&frame);
        const UINT keep = SWP_NOZORDER | SWP_NOACTIVATE;
        m_tipTitle.SetWindowPos(nullptr, frame.left, 0, frame.right - frame.left, bottom, keep);
        const int hideHeight = hide.bottom - hide.top;
        POINT hideAt{hide.left, 0};
        ScreenToClient(&hideAt);
        m_tipButton.SetWindowPos(nullptr, hideAt.x, bottom - 2 - hideHeight, hide.right - hide.left, hideHeight, keep);
        m_tipText.GetWindowRect(&text);
        m_tipButton.GetWindowRect(&hide);
        // Whole lines only: a line cut through the middle reads as a smudge.
        int lineHeight = 0;
        {
            CClientDC dc(this);
            CFont* old = dc.SelectObject(&m_tipTextFont);
            lineHeight = dc.GetTextExtent(CString(L"Ag")).cy;
            dc.SelectObject(old);
        }
        const int room = std::max(0, static_cast<int>(hide.top - 1 - text.top));
        const int height = lineHeight > 0 ? std::min(room, room / lineHeight * lineHeight + 2) : room;
        if (text.bottom - text.top != height)
            m_tipText.SetWindowPos(nullptr, 0, 0, text.right - text.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    // The text box takes the room down to the Hide button, so that the last line's descenders
    // are not cut (the box is sized from the line height alone).
    if (text.bottom < hide.top - 1)
        m_tipText.SetWindowPos(nullptr, 0, 0, text.right - text.left, hide.top - 1 - text.top,
                               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWeatherPanel::OnTipHide() {
    m_tipText.ShowWindow(SW_HIDE);
    m_tipButton.ShowWindow(SW_HIDE);
    m_tipTitle.ShowWindow(SW_HIDE);
}

void CWeatherPanel::OnTipTextFocus() { ::HideCaret(m_tipText.m_hWnd); }
