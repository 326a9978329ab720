// The World Clocks page: model, settings, start-up, layout, control colours, background and end.

#include "clocks/WorldClocksDlg.h"

#include "clocks/ClockMessages.h"
#include "clocks/DstRule.h"
#include "clocks/StoredCityIndexes.h"
#include "core/CityTime.h"
#include "core/CommonHelpers.h"
#include "platform/framework/WindowDC.h"
#include "platform/system/DeviceTime.h"
#include "resources/resource.h"

namespace {

constexpr LPCWSTR kClockKey = kClocksKey;
constexpr LPCWSTR kProgramKey = L"Jorvana";
constexpr UINT kComboIds[CWorldClocksDlg::kClockCount] = {IDC_CLOCK_CITY0, IDC_CLOCK_CITY1, IDC_CLOCK_CITY2,
                                                           IDC_CLOCK_CITY3, IDC_CLOCK_CITY4};

constexpr COLORREF kDefaultColours[9] = {
    RGB(51, 102, 150), // CMDC
    RGB(0, 0, 100),    // CMD
    RGB(255, 255, 255),// CMCN
    RGB(0, 0, 0),      // CMAC
    RGB(150, 0, 0),    // CMSC
    RGB(150, 0, 0),    // CODC
    RGB(0, 0, 100),    // COD
    RGB(50, 150, 150), // COCN
    RGB(0, 0, 0),      // COAC
};

// The device's standard zone as an HhmmOffset: whole hours, else hours * 100 + minutes, both
// parts with the zone's sign (330 minutes east is 530, 210 minutes west -330).
int DeviceZoneOffset() {
    TIME_ZONE_INFORMATION info{};
    ::GetTimeZoneInformation(&info);
    int east = -static_cast<int>(info.Bias);
    if (east % 60 == 0) return east / 60;
    return 100 * (east / 60) + east % 60;
}

} // namespace

DWORD CWorldClocksDlg::s_clockCity[CWorldClocksDlg::kClockCount] = {0, 0, 0, 0, 0};

BEGIN_MESSAGE_MAP(CWorldClocksDlg, CDialog)
    ON_WM_CTLCOLOR()
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
    ON_WM_SETTINGCHANGE()
    ON_BN_CLICKED(IDC_CLOCK_TIPS_CLOSE, &CWorldClocksDlg::OnTipClose)
    ON_EN_SETFOCUS(IDC_CLOCK_TIPS_TEXT, &CWorldClocksDlg::OnTipsEditSetFocus)
    ON_MESSAGE(WM_APP_HIDE_PAGE, &CWorldClocksDlg::OnHidePage)
    ON_WM_LBUTTONDOWN()
    ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_CLOCK_CITY0, IDC_CLOCK_CITY4, &CWorldClocksDlg::OnSelChangeCity)
    ON_CONTROL_RANGE(CBN_KILLFOCUS, IDC_CLOCK_CITY0, IDC_CLOCK_CITY4, &CWorldClocksDlg::OnKillFocusCity)
    ON_CONTROL_RANGE(CBN_CLOSEUP, IDC_CLOCK_CITY0, IDC_CLOCK_CITY4, &CWorldClocksDlg::OnCloseUpCity)
    ON_CONTROL_RANGE(CBN_SELENDOK, IDC_CLOCK_CITY0, IDC_CLOCK_CITY4, &CWorldClocksDlg::OnSelEndOkCity)
    ON_CONTROL_RANGE(CBN_EDITCHANGE, IDC_CLOCK_CITY0, IDC_CLOCK_CITY4, &CWorldClocksDlg::OnEditChangeCity)
END_MESSAGE_MAP()

CWorldClocksDlg::CWorldClocksDlg(CWnd* pParent) : CDialog(IDD_WORLD_CLOCKS, pParent) {
    for (int i = 0; i < 9; ++i) m_colour[i] = kDefaultColours[i];
}

CWorldClocksDlg::~CWorldClocksDlg() { m_ticker.Stop(); }

void CWorldClocksDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CLOCK_TIPS_FRAME, m_tipsStatic);
    DDX_Control(pDX, IDC_CLOCK_TIPS_TEXT, m_tipsEdit);
    DDX_Control(pDX, IDC_CLOCK_TIPS_CLOSE, m_tipsCloseButton);
    for (int i = 0; i < kClockCount; ++i) DDX_Control(pDX, kComboIds[i], m_cityCombo[i]);
}

ClockGeometry CWorldClocksDlg::Geometry() const {
    ClockGeometry g;
    g.W = m_width;
    g.H = m_height;
    g.A = m_clockArea;
    g.M = m_menuHeight;
    g.shape = m_shape;
    return g;
}

void CWorldClocksDlg::ClockReference(int clock, int& hours, int& minutes) const {
    if (clock == 0 && !m_syncLocalZone) {
        SplitHhmmOffset(m_zone[0], hours, minutes);
        return;
    }
    hours = m_refHours;
    minutes = m_refMinutes;
}

BOOL CWorldClocksDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_initialised = true;

    DWORD sync = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kClockKey, L"syncltz");
    // A first start (no clock key at all) writes every clock default below.
    const bool firstStart = m_registry.RegistryStatus == CRegistryKey::kKeyMissing;
    if (m_registry.RegistryStatus != CRegistryKey::kFound) {
        m_syncLocalZone = false;
        m_registry.WriteDword(HKEY_LOCAL_MACHINE, kClockKey, L"syncltz", 0);
    } else {
        m_syncLocalZone = sync != 0;
    }

    m_cities.Open();
    m_weatherCities.Open();

    for (DWORD& city : s_clockCity) city = 0;
    for (int i = 0; i < 9; ++i) m_colour[i] = kDefaultColours[i];

    // A ticker that cannot start leaves the page with its start-up texts; nothing is reported.
    m_ticker.Start(m_hWnd, m_tickPeriodMs);

    m_pageBrush.DeleteObject();
    m_pageBrush.CreateSolidBrush(RGB(194, 211, 228));
    m_tipsBrush.DeleteObject();
    m_tipsBrush.CreateSolidBrush(RGB(250, 250, 220));
    m_tipsButtonBrush.DeleteObject();
    m_tipsButtonBrush.CreateSolidBrush(RGB(0, 120, 220));
    m_staticBrush.DeleteObject();
    m_staticBrush.CreateSolidBrush(RGB(238, 238, 238));
    {
        const WorkAreaMetrics area = ReadWorkAreaMetrics();
        m_width = area.width;
        m_height = area.height;
        m_menuHeight = area.menuHeight;
        m_clockArea = area.usableHeight;
    }
    m_fullRepaint = 1;

    CreateHandObjects();

    {
        int32_t stored[kClockCount] = {};
        ReadClockCityIndexes(m_registry, stored, firstStart);
        for (int i = 0; i < kClockCount; ++i) s_clockCity[i] = static_cast<DWORD>(stored[i]);
    }

    m_tipsFont.CreateFont(12, 0, 0, 0, 700, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 6, L"Arial");
    m_tipsTextFont.CreateFont(13, 0, 0, 0, 500, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 6, L"Arial");
    m_tipsButtonFont.CreateFont(13, 0, 0, 0, 700, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 6, L"Arial");
    m_tipsStatic.SetFont(&m_tipsFont, FALSE);
    m_tipsEdit.SetFont(&m_tipsTextFont, FALSE);
    m_tipsCloseButton.SetFont(&m_tipsButtonFont, FALSE);

    m_zone[0] = DeviceZoneOffset();

    for (int32_t& applied : m_dstApplied) applied = 0;
    ComputeHomeZone(m_refHours, m_refMinutes);
    LoadClockZones(s_clockCity[0], s_clockCity[1], s_clockCity[2], s_clockCity[3], s_clockCity[4]);

    for (int i = 0; i < kClockCount; ++i) {
        int hours = 0, minutes = 0;
        ClockReference(i, hours, minutes);
        DateTriple date;
        m_dateText[i] = FormatCityDate(m_zone[i], hours, minutes, i == 0 ? 1 : 0, date);
        m_timeText[i] = FormatCityTime(m_zone[i], hours, minutes);
    }
    UpdateHourDigests(); // other screens may borrow the texts before the first tick

    CreateTextFonts();

    DWORD tip = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kProgramKey, L"clktip");
    if (m_registry.RegistryStatus != CRegistryKey::kFound || tip == 0) {
        LayOut(); // the balloon stands on the clock area
        ShowTips();
        m_registry.WriteDword(HKEY_LOCAL_MACHINE, kProgramKey, L"clktip", 1);
    }

    DWORD twelve = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kProgramKey, L"twelvehour");
    m_twelveHour = m_registry.RegistryStatus == CRegistryKey::kFound && twelve == 1;

    for (CComboBox& combo : m_cityCombo) AdjustComboDropHeight(&combo, 8);
    return FALSE;
}

void CWorldClocksDlg::CreateHandObjects() {
    m_homeHandBrush.DeleteObject();
    m_homeHandBrush.CreateSolidBrush(m_colour[CMAC]);
    m_homeHandPen1.DeleteObject();
    m_homeHandPen1.CreatePen(PS_SOLID, 1, m_colour[CMAC]);
    m_homeHandPen2.DeleteObject();
    m_homeHandPen2.CreatePen(PS_SOLID, 2, m_colour[CMAC]);
    m_homeSecondHandBrush.DeleteObject();
    m_homeSecondHandBrush.CreateSolidBrush(m_colour[CMSC]);
    m_homeSecondHandPen.DeleteObject();
    m_homeSecondHandPen.CreatePen(PS_SOLID, 1, m_colour[CMSC]);
    m_cityHandBrush.DeleteObject();
    m_cityHandBrush.CreateSolidBrush(m_colour[COAC]);
    m_cityHandPen1.DeleteObject();
    m_cityHandPen1.CreatePen(PS_SOLID, 1, m_colour[COAC]);
    m_cityHandPen2.DeleteObject();
    m_cityHandPen2.CreatePen(PS_SOLID, 2, m_colour[COAC]);
}

void CWorldClocksDlg::CreateTextFonts() {
    LOGFONTW font{};
    // The face name holds at most 32 characters, the last one always the end.
    CString face = m_sharedFontFace.Left(LF_FACESIZE - 1);
    for (int i = 0; i < face.GetLength(); ++i) font.lfFaceName[i] = face[i];
    font.lfFaceName[LF_FACESIZE - 1] = 0;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = ANTIALIASED_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const int s = m_sharedFontSizeBase;
    struct {
        CFont* target;
        int height;
        int weight;
    } fonts[] = {{&m_bigTimeFont, s + 24, 700}, {&m_timeFont, s + 14, 700}, {&m_textFont, s + 14, 400},
                 {&m_smallFont, s + 12, 400}};
    for (auto& f : fonts) {
        font.lfHeight = f.height;
        font.lfWeight = f.weight;
        f.target->DeleteObject();
        f.target->CreateFontIndirect(&font);
    }
}

void CWorldClocksDlg::LayOut() {
    ClockGeometry g = ClockGeometry::Current();
    m_width = g.W;
    m_height = g.H;
    m_clockArea = g.A;
    m_menuHeight = g.M;
    m_shape = g.shape;
    for (int i = 0; i < kClockCount; ++i) {
        if (!m_cityCombo[i].m_hWnd) continue; // sized before the data exchange bound the lists
        RECT r = g.ComboRect(i);
        m_cityCombo[i].MoveWindow(r.left, r.top, r.right - r.left, r.bottom - r.top);
        // A combo's window height includes its drop-down list: give the list its eight rows back.
        AdjustComboDropHeight(&m_cityCombo[i], 8);
    }
}

void CWorldClocksDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    LayOut();
}

HBRUSH CWorldClocksDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    if (id == IDC_CLOCK_TIPS_FRAME || id == IDC_CLOCK_TIPS_TEXT) return m_tipsBrush;
    if (id == IDC_CLOCK_TIPS_CLOSE) {
        pDC->SetTextColor(RGB(255, 255, 255));
        return m_tipsButtonBrush;
    }
    if (nCtlColor == CTLCOLOR_STATIC) return m_staticBrush;
    pDC->SetBkMode(TRANSPARENT);
    return m_pageBrush;
}

BOOL CWorldClocksDlg::OnEraseBkgnd(CDC* pDC) {
    CDialog::OnEraseBkgnd(pDC);
    pDC->FillSolidRect(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), m_panelColour);
    if (m_background.GetSafeHandle()) {
        BITMAP info{};
        m_background.GetBitmap(&info);
        CDC memory;
        memory.CreateCompatibleDC(pDC);
        CBitmap* old = memory.SelectObject(&m_background);
        pDC->StretchBlt(0, 0, m_width, m_clockArea + 3, &memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        memory.SelectObject(old);
    }
    return TRUE;
}

void CWorldClocksDlg::OnDestroy() {
    CDialog::OnDestroy();
    if (m_initialised) {
        for (int i = 0; i < kClockCount; ++i)
            m_registry.WriteDword(HKEY_LOCAL_MACHINE, kClockKey, kClockValueNames[i], s_clockCity[i]);
    }
    // The ticker ends before its window cell is let go; no tick reaches a page that is gone.
    m_ticker.Stop();

    m_pageBrush.DeleteObject();
    m_homeSecondHandBrush.DeleteObject();
    m_homeHandBrush.DeleteObject();
    m_cityHandBrush.DeleteObject();
    m_homeSecondHandPen.DeleteObject();
    m_homeHandPen1.DeleteObject();
    m_homeHandPen2.DeleteObject();
    m_cityHandPen1.DeleteObject();
    m_cityHandPen2.DeleteObject();
    m_tipsBrush.DeleteObject();
    m_tipsButtonBrush.DeleteObject();
    m_staticBrush.DeleteObject();
    m_smallFont.DeleteObject();
    m_textFont.DeleteObject();
    m_timeFont.DeleteObject();
    m_bigTimeFont.DeleteObject();
    m_tipsFont.DeleteObject();
    m_tipsTextFont.DeleteObject();
    m_tipsButtonFont.DeleteObject();
    m_background.DeleteObject();
}

BOOL CWorldClocksDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Enter must not end the page dialog.
    if (LOWORD(wParam) == IDOK) return TRUE;
    return CDialog::OnCommand(wParam, lParam);
}

LRESULT CWorldClocksDlg::OnHidePage(WPARAM, LPARAM) {
    ShowWindow(SW_HIDE);
    return 1;
}
