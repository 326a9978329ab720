// The World Map page: object, start-up, the one-second tick, control colours, the end, the zones
// of the home reference and the selected city, and the skin.

#include "worldmap/WorldMapPanel.h"

#include "clocks/DstRule.h"
#include "core/CityTime.h"
#include "core/CommonHelpers.h"
#include "core/SkinFile.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WinApp.h"
#include "platform/framework/WindowDC.h"
#include "platform/system/DeviceTime.h"
#include "platform/ui/ResourceImages.h"
#include "resources/resource.h"
#include "shell/AppMessages.h"
#include "shell/MainTabCtrl.h"

namespace {

constexpr LPCWSTR kProgramKey = L"Jorvana";
constexpr LPCWSTR kMapKey = L"Jorvana\\map";
constexpr LPCWSTR kClockKey = L"Jorvana\\wrldclk";
constexpr COLORREF kPageBackground = RGB(238, 238, 238);
constexpr COLORREF kRiseSetStart = RGB(0, 0, 105);
constexpr LPCWSTR kColourKeys[CWorldMapPanel::kColourCount] = {L"CNC",   L"DCC",   L"ACC",   L"DC",    L"DLC",
                                                               L"RSTBC", L"RSTTC", L"RSIBC", L"RSITC", L"SHADCLR"};

// The number in two characters of a time text ("HH:MM:SS"), 0 when they are not digits.
int TwoDigits(const CString& text, int first) {
    if (text.GetLength() < first + 2) return 0;
    WCHAR a = text[first], b = text[first + 1];
    if (a < L'0' || a > L'9' || b < L'0' || b > L'9') return 0;
    return (a - L'0') * 10 + (b - L'0');
}

} // namespace

POINT ClockSquareCentres[5] = {};
bool MapEnlarged = false;
bool MarkerPlacementPending = false;

// [SECTION] Object ------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CWorldMapPanel, CDialog)
    ON_WM_CTLCOLOR()
    ON_WM_DESTROY()
    ON_WM_TIMER()
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_KILLFOCUS()
    ON_WM_ERASEBKGND()
    ON_CBN_SELCHANGE(IDC_MAP_CITY, &CWorldMapPanel::OnSelChangeCity)
    ON_CBN_KILLFOCUS(IDC_MAP_CITY, &CWorldMapPanel::OnKillFocusCity)
    ON_CBN_CLOSEUP(IDC_MAP_CITY, &CWorldMapPanel::OnCloseUpCity)
    ON_WM_SETTINGCHANGE()
    ON_CBN_SELENDOK(IDC_MAP_CITY, &CWorldMapPanel::OnSelEndOkCity)
    ON_CBN_EDITCHANGE(IDC_MAP_CITY, &CWorldMapPanel::OnEditChangeCity)
    ON_EN_SETFOCUS(IDC_MAP_TIPS_TEXT, &CWorldMapPanel::OnTipsSetFocus)
    ON_BN_CLICKED(IDC_MAP_TIPS_OK, &CWorldMapPanel::OnTipClose)
    ON_COMMAND(ID_MAP_CITY_INFORMATION, &CWorldMapPanel::OnCityInformation)
    ON_COMMAND(ID_MAP_WEATHER_FORECAST, &CWorldMapPanel::OnWeatherForecast)
    ON_MESSAGE(WM_APP_HIDE_PAGE, &CWorldMapPanel::OnHidePage)
END_MESSAGE_MAP()

CWorldMapPanel::CWorldMapPanel(CWnd* pParent) : CDialog(IDD_WORLD_MAP, pParent) {}

CWorldMapPanel::~CWorldMapPanel() {
    m_ticker.Stop();
    if (m_digitalClock.m_hWnd) m_digitalClock.DestroyWindow();
    if (m_sunBitmap) ::DeleteObject(m_sunBitmap);
}

void CWorldMapPanel::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MAP_TIPS_TITLE, m_tipsTitle);
    DDX_Control(pDX, IDC_MAP_TIPS_OK, m_tipsButton);
    DDX_Control(pDX, IDC_MAP_TIPS_TEXT, m_tipsText);
    DDX_Control(pDX, IDC_MAP_DAY_LENGTH, m_dayLengthValue);
    DDX_Control(pDX, IDC_MAP_MARKER, m_marker);
    DDX_Control(pDX, IDC_MAP_SUN_PICTURE, m_sunPicture);
    DDX_Control(pDX, IDC_MAP_SUNSET, m_sunsetValue);
    DDX_Control(pDX, IDC_MAP_SUNRISE, m_sunriseValue);
    DDX_Control(pDX, IDC_MAP_CITY, m_cityCombo);
}

BOOL CWorldMapPanel::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Enter (IDOK) must not close the page.
    if (LOWORD(wParam) == IDOK) return TRUE;
    return CDialog::OnCommand(wParam, lParam);
}

// [SECTION] Start-up ----------------------------------------------------------------------------

BOOL CWorldMapPanel::OnInitDialog() {
    CDialog::OnInitDialog();
    m_settingsLoaded = true;

    DWORD sync = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kClockKey, L"syncltz");
    m_syncHomeZone = m_registry.RegistryStatus == CRegistryKey::kFound && sync != 0;
    CWaitCursor wait;
    m_cities.Open();
    m_weather.Open();

    m_backgroundBrush.DeleteObject();
    m_backgroundBrush.CreateSolidBrush(kPageBackground);
    m_markerColor = RGB(255, 255, 255);
    m_markerBrushWhite.DeleteObject();
    m_markerBrushWhite.CreateSolidBrush(RGB(255, 255, 255));
    m_markerBrushBlack.DeleteObject();
    m_markerBrushBlack.CreateSolidBrush(RGB(0, 0, 0));
    m_tipsBrush.DeleteObject();
    m_tipsBrush.CreateSolidBrush(RGB(250, 250, 220));
    m_tipsButtonBrush.DeleteObject();
    m_tipsButtonBrush.CreateSolidBrush(RGB(0, 120, 220));
    m_staticBrush.DeleteObject();
    m_staticBrush.CreateSolidBrush(RGB(194, 211, 228));

    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    MapEnlarged = area.right - area.left == 320 && ::GetSystemMetrics(SM_CYSCREEN) == 320;

    DWORD show = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kMapKey, L"showcs");
    m_showCitySquares = m_registry.RegistryStatus != CRegistryKey::kFound || show != 0;

    m_workWidth = area.right - area.left;
    m_workHeight = area.bottom - area.top;
    m_menuBarHeight = ::GetSystemMetrics(SM_CYMENU);
    m_pageHeight = m_workHeight - m_menuBarHeight - 26;
    m_mapHeight = m_pageHeight * 4 / 7;
    m_mapLeft = 0;

    m_marker.SetWindowPos(nullptr, 0, 0, 5, 5, SWP_NOMOVE | SWP_NOZORDER);

    m_secondHandBrush.DeleteObject();
    m_secondHandBrush.CreateSolidBrush(RGB(150, 0, 0));
    m_secondHandPen.DeleteObject();
    m_secondHandPen.CreatePen(PS_SOLID, 1, RGB(150, 0, 0));
    m_colour[ACC] = RGB(0, 0, 0);
    m_colour[RSTBC] = kRiseSetStart;
    m_colour[RSIBC] = kRiseSetStart;
    RebuildSkinObjects();

    m_mapBitmap.DeleteObject();
    m_panelBitmap.DeleteObject();
    m_shadowBitmap.DeleteObject();

    m_shadowDue = false;
    m_firstTick = 1;
    m_cityInDst = 0;
    for (bool& drawn : m_handsDrawn) drawn = false;
    InvalidateAll();

    m_mapCity = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kMapKey, L"mapclock");
    if (m_registry.RegistryStatus != CRegistryKey::kFound) m_mapCity = 0;
    m_cityCombo.SetCurSel(static_cast<int>(m_mapCity));

    LoadHomeZone(m_homeZoneHours, m_homeZoneMinutes);
    LoadSelectedCityZone(m_mapCity);
    PlaceCityMarker();
    MarkerPlacementPending = true;

    m_digitalClock.SubclassDlgItem(IDC_MAP_DIGITAL_CLOCK, this);
    m_sunBitmap = ::LoadBitmap(AfxGetResourceHandle(), MAKEINTRESOURCE(IDB_MAP_SUN));
    if (m_sunBitmap) {
        m_sunPicture.SetBitmap(m_sunBitmap);
        BITMAP bm{};
        ::GetObject(m_sunBitmap, sizeof(bm), &bm);
        m_sunPicture.SetWindowPos(nullptr, 0, 0, bm.bmWidth, bm.bmHeight, SWP_NOMOVE | SWP_NOZORDER);
    }
    UpdateData(FALSE);

    m_dayLengthLabel.LoadString(IDS_MAP_DAY_LENGTH);
    m_cityTimeText = FormatCityTime(m_cityOffset, m_homeZoneHours, m_homeZoneMinutes);
    m_cityHour = TwoDigits(m_cityTimeText, 0);
    m_cityDateText = FormatCityDate(m_cityOffset, m_homeZoneHours, m_homeZoneMinutes, 1, m_cityDate);
    ComputeSunTimes(m_cityDate.day, m_cityDate.month, m_cityDate.year, m_mapCity);

    m_cityCombo.ShowWindow(SW_HIDE);

    // A ticker that cannot start leaves the page without ticks; nothing is reported.
    m_ticker.Start(m_hWnd, m_tickPeriodMs);

    CreateTextFonts();
    m_tipsTitleFont.DeleteObject();
    m_tipsTitleFont.CreateFont(12, 0, 0, 0, 700, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0, L"Arial");
    m_tipsTextFont.DeleteObject();
    m_tipsTextFont.CreateFont(13, 0, 0, 0, 500, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0, L"Arial");
    m_tipsButtonFont.DeleteObject();
    m_tipsButtonFont.CreateFont(13, 0, 0, 0, 700, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0, L"Arial");
    m_tipsTitle.SetFont(&m_tipsTitleFont, TRUE);
    m_tipsText.SetFont(&m_tipsTextFont, TRUE);
    m_tipsButton.SetFont(&m_tipsButtonFont, TRUE);

    DWORD tip = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kProgramKey, L"maptip");
    if (m_registry.RegistryStatus != CRegistryKey::kFound || tip == 0) {
        ShowTips();
        m_registry.WriteDword(HKEY_LOCAL_MACHINE, kProgramKey, L"maptip", 1);
    }

    DWORD twelve = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kProgramKey, L"twelvehour");
    m_twelveHour = m_registry.RegistryStatus == CRegistryKey::kFound && twelve == 1;

    AdjustComboDropHeight(&m_cityCombo, 8);
    return TRUE;
}

void CWorldMapPanel::CreateTextFonts() {
    auto make = [&](CFont& font, int height, int weight, LPCWSTR face) {
        font.DeleteObject();
        LOGFONT lf{};
        lf.lfHeight = height;
        lf.lfWeight = weight;
        lf.lfCharSet = 1;
        lf.lfQuality = 4;
        lf.lfPitchAndFamily = 0;
        wcsncpy(lf.lfFaceName, face, 31);
        lf.lfFaceName[31] = 0;
        font.CreateFontIndirect(&lf);
    };
    const int base = m_sharedFontSizeBase;
    make(m_largeFont, base + 28, 700, m_sharedFontFace);
    make(m_mediumFont, base + 14, 700, m_sharedFontFace);
    make(m_smallFont, base + 11, 400, m_sharedFontFace);
    make(m_smallBoldFont, base + 11, 700, m_sharedFontFace);
    make(m_fixedSmallFont, 11, 400, L"Arial");
}

void CWorldMapPanel::RebuildSkinObjects() {
    m_clockBrush.DeleteObject();
    m_clockBrush.CreateSolidBrush(m_colour[ACC]);
    m_clockPen1.DeleteObject();
    m_clockPen1.CreatePen(PS_SOLID, 1, m_colour[ACC]);
    m_clockPen2.DeleteObject();
    m_clockPen2.CreatePen(PS_SOLID, 2, m_colour[ACC]);
    m_riseSetTitleBrush.DeleteObject();
    m_riseSetTitleBrush.CreateSolidBrush(m_colour[RSTBC]);
    m_riseSetPen.DeleteObject();
    m_riseSetPen.CreatePen(PS_SOLID, 1, m_colour[RSTBC]);
    m_riseSetInnerBrush.DeleteObject();
    m_riseSetInnerBrush.CreateSolidBrush(m_colour[RSIBC]);
}

// [SECTION] Ticks -------------------------------------------------------------------------------

void CWorldMapPanel::OnTimer(UINT_PTR) {
    if (m_ticker.TakeMinuteFlag()) {
        m_shadowDue = true;
        Invalidate(TRUE);
    }
    if (m_marker.m_hWnd) m_marker.Invalidate(TRUE);
    if (m_syncHomeZone) LoadHomeZone(m_homeZoneHours, m_homeZoneMinutes);

    const CTime current = CTime::GetCurrentTime();
    // The home city's clocks change on the tick they change on: the device's clock shows its
    // wall time, tested against its window in its standard time.
    if (!m_syncHomeZone && WallTimeInsideWindowNow(m_homeRule, m_homeStandard) != m_homeInDst)
        LoadHomeZone(m_homeZoneHours, m_homeZoneMinutes);

    const CString shownDate = m_cityDateText;
    m_cityDateText = FormatCityDate(m_cityOffset, m_homeZoneHours, m_homeZoneMinutes, 1, m_cityDate);

    const time_t cityHour = CityJudgedHour();
    const int cityIn = (cityHour < m_cityDstEnd && cityHour >= m_cityDstStart) ? 1 : 0;
    if (cityIn != m_cityInDst || (m_cityHasDst && current.GetYear() != m_cityDstYear)) {
        LoadSelectedCityZone(m_mapCity);
        m_cityDateText = FormatCityDate(m_cityOffset, m_homeZoneHours, m_homeZoneMinutes, 1, m_cityDate);
    }

    m_cityTimeText = FormatCityTime(m_cityOffset, m_homeZoneHours, m_homeZoneMinutes);
    m_cityHour = TwoDigits(m_cityTimeText, 0);

    const bool secondsZero = m_cityTimeText.Right(2) == L"00";
    // A new date also when the clocks jump over midnight (forward from 00:00) or back across it.
    const bool midnight = m_cityTimeText == L"00:00:00" || m_cityDateText != shownDate;
    if (m_firstTick == 1) {
        RECT row = CityNameRowRect();
        InvalidateRect(&row, TRUE);
    }
    if (m_firstTick == 1 || secondsZero) {
        RECT time = TimeTextRect();
        InvalidateRect(&time, TRUE);
    }
    if (m_firstTick == 1 || midnight) {
        RECT date = DateTextRect(m_firstTick == 1);
        InvalidateRect(&date, TRUE);
        RECT rise = SunriseRect(), set = SunsetRect();
        InvalidateRect(&rise, TRUE);
        InvalidateRect(&set, TRUE);
    }

    ComputeSunTimes(m_cityDate.day, m_cityDate.month, m_cityDate.year, m_mapCity);

    m_markerColor = m_markerColor == RGB(255, 255, 255) ? RGB(0, 0, 0) : RGB(255, 255, 255);

    const int seconds = TwoDigits(m_cityTimeText, 6);
    const int minutes = TwoDigits(m_cityTimeText, 3);
    const int hours = TwoDigits(m_cityTimeText, 0);
    RECT clock = AnalogClockRect();
    const bool repaintClock = m_firstTick == 1 || seconds == 0 || seconds == 3;
    if (repaintClock) InvalidateRect(&clock, TRUE);
    {
        CClientDC dc(this);
        POINT centre{(clock.left + clock.right) / 2, (clock.top + clock.bottom) / 2};
        // A face about to be repainted loses its hands anyway: the paint draws them afresh.
        if (!repaintClock) DrawClock(&dc, seconds, minutes, hours, centre, clock, true, true);
    }
    m_firstTick = 0;
}

// [SECTION] Control colours and the end ---------------------------------------------------------

HBRUSH CWorldMapPanel::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    if (id == IDC_MAP_TIPS_TITLE || id == IDC_MAP_TIPS_TEXT) return static_cast<HBRUSH>(m_tipsBrush.GetSafeHandle());
    if (id == IDC_MAP_TIPS_OK) {
        pDC->SetTextColor(RGB(255, 255, 255));
        return static_cast<HBRUSH>(m_tipsButtonBrush.GetSafeHandle());
    }
    if (id == IDC_MAP_MARKER) {
        CBrush& brush = m_markerColor == RGB(0, 0, 0) ? m_markerBrushBlack : m_markerBrushWhite;
        return static_cast<HBRUSH>(brush.GetSafeHandle());
    }
    if (nCtlColor != CTLCOLOR_STATIC) {
        pDC->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(m_backgroundBrush.GetSafeHandle());
    }
    if (id == IDC_MAP_DIGITAL_CLOCK || id == 1080 || id == 1081 || id == IDC_MAP_SUNRISE || id == IDC_MAP_SUNSET) {
        pDC->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(m_backgroundBrush.GetSafeHandle());
    }
    return static_cast<HBRUSH>(m_staticBrush.GetSafeHandle());
}

void CWorldMapPanel::OnDestroy() {
    CDialog::OnDestroy();
    if (m_settingsLoaded) m_registry.WriteDword(HKEY_LOCAL_MACHINE, kMapKey, L"mapclock", m_mapCity);
    // No tick may reach a window that is going: the ticker ends before its cell is let go.
    m_ticker.Stop();
    m_backgroundBrush.DeleteObject();
    m_markerBrushWhite.DeleteObject();
    m_markerBrushBlack.DeleteObject();
    m_secondHandBrush.DeleteObject();
    m_secondHandPen.DeleteObject();
    m_clockBrush.DeleteObject();
    m_clockPen1.DeleteObject();
    m_clockPen2.DeleteObject();
    m_riseSetTitleBrush.DeleteObject();
    m_riseSetPen.DeleteObject();
    m_riseSetInnerBrush.DeleteObject();
    m_tipsBrush.DeleteObject();
    m_tipsButtonBrush.DeleteObject();
    m_staticBrush.DeleteObject();
    for (CFont* font : {&m_largeFont, &m_mediumFont, &m_smallFont, &m_smallBoldFont, &m_fixedSmallFont,
                        &m_tipsTitleFont, &m_tipsTextFont, &m_tipsButtonFont})
        font->DeleteObject();
    m_mapBitmap.DeleteObject();
    m_panelBitmap.DeleteObject();
    m_shadowBitmap.DeleteObject();
}

LRESULT CWorldMapPanel::OnHidePage(WPARAM, LPARAM) {
    ShowWindow(SW_HIDE);
    return 1;
}

// [SECTION] Zones -------------------------------------------------------------------------------

void CWorldMapPanel::LoadHomeZone(int& hours, int& minutes) {
    if (m_syncHomeZone) {
        // The zone the device's clock shows, its summer time included; hours and minutes both
        // carry the zone's sign (5 h 30 min east is 5 and 30), as the clocks page takes it.
        DeviceZoneReferenceNow(hours, minutes);
        return;
    }
    DWORD home = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kClockKey, L"clock");
    if (m_registry.RegistryStatus != CRegistryKey::kFound) home = 0;
    // The home city's standard offset and rule are kept for the tick's test of its window.
    m_homeStandard = ReadLeadingInt(m_cities.GetUtcOffset(home));
    m_homeRule = CityDstRule(m_cities, home);
    m_homeInDst = HomeCityReferenceNow(m_homeRule, m_homeStandard, hours, minutes);
}

void CWorldMapPanel::LoadSelectedCityZone(DWORD cityIndex) {
    m_cityOffset = ReadLeadingInt(m_cities.GetUtcOffset(cityIndex));
    const DstRuleFields rule = CityDstRule(m_cities, cityIndex);
    const time_t instant = CityStandardHour(m_cityOffset, m_homeZoneHours, m_homeZoneMinutes);
    m_cityDstYear = CTime::GetCurrentTime().GetYear();
    const DstWindow window = GetDstWindowAt(rule, m_cityDstYear, instant);
    if (!window.hasDst) {
        // No daylight saving for this city: nothing is ever in force.
        m_cityHasDst = false;
        m_cityInDst = 0;
        m_cityDstShift = 0;
        m_cityDstStart = m_cityDstEnd = 0;
        return;
    }
    m_cityHasDst = true;
    m_cityDstShift = window.shift;
    m_cityDstStart = window.start;
    m_cityDstEnd = window.end;
    if (window.Contains(instant)) {
        m_cityOffset = AddDstShift(m_cityOffset, window.shift);
        m_cityInDst = 1;
    } else {
        m_cityInDst = 0;
    }
}

time_t CWorldMapPanel::CityJudgedHour() const {
    // The city's hour is judged on its standard time, as the zone loading judges it; judging it
    // on the shifted time would see the window close an hour early (and the tick reload the
    // zone every second of that hour).
    const int standardOffset = m_cityInDst ? AddDstShift(m_cityOffset, -m_cityDstShift) : m_cityOffset;
    return CityStandardHour(standardOffset, m_homeZoneHours, m_homeZoneMinutes);
}

CityDstWindow CWorldMapPanel::SelectedCityWindow() const {
    CityDstWindow window;
    window.hasDst = m_cityHasDst;
    window.shift = m_cityDstShift;
    window.start = m_cityDstStart;
    window.end = m_cityDstEnd;
    return window;
}

void CWorldMapPanel::ComputeSunTimes(int day, int month, int year, DWORD cityIndex) {
    // Sunrise and sunset are each read on the clock they happen under, so that on the day the
    // clocks change they are right before the change as well as after it.
    SunTimes times = ComputeCitySunTimesOnClocks(m_cities, cityIndex, day, month, year);
    auto set = [](CStatic& control, const CString& text) {
        if (!control.m_hWnd) return;
        CString old;
        control.GetWindowText(old);
        if (old == text) return;
        control.SetWindowText(text);
        control.Invalidate(TRUE);
    };
    set(m_sunriseValue, times.sunriseText);
    set(m_sunsetValue, times.sunsetText);
    set(m_dayLengthValue, times.dayLengthText);
}

void CWorldMapPanel::Refresh() {
    LoadHomeZone(m_homeZoneHours, m_homeZoneMinutes);
    LoadSelectedCityZone(m_mapCity);
    InvalidateAll();
    UpdateWindow();
}

// [SECTION] Skin --------------------------------------------------------------------------------

void CWorldMapPanel::LoadImageInto(CBitmap& bitmap, const CString& name) {
    bitmap.DeleteObject();
    CString path;
    // Names from the skin file stay inside the skin's folder.
    if (name.IsEmpty() || !JoinSkinPath(m_skinFolder, name, path)) return;
    HBITMAP image = ::SHLoadImageFile(path);
    if (image) bitmap.Attach(image);
}

const CString& CWorldMapPanel::PanelImageForShape() const {
    if (IsSquareScreenNot320()) return m_panelImageSquare;
    if (m_workHeight < m_workWidth) return m_panelImageLandscape;
    return m_panelImagePortrait;
}

void CWorldMapPanel::LoadPanelImage() {
    m_loadedPanelImage = PanelImageForShape();
    LoadImageInto(m_panelBitmap, m_loadedPanelImage);
}

void CWorldMapPanel::LoadSkin() {
    CWaitCursor wait;
    CurrentSkin skin = LoadCurrentSkin(L"*");
    if (!skin.loaded) return; // neither the chosen skin nor the default one: keep the previous

    m_skinFolder = skin.folder;
    CString folders = GetSkinSection(skin.text, L"Common Folders");
    CString map = GetSkinSection(skin.text, L"Map");
    auto value = [](const CString& section, LPCWSTR key) {
        if (section == NotFoundMarker) return CString();
        CString v = GetSkinValue(section, key);
        return v == NotFoundMarker ? CString() : v;
    };
    auto image = [&](LPCWSTR folderKey, LPCWSTR imageKey) {
        CString file = value(map, imageKey);
        return file.IsEmpty() ? CString() : value(folders, folderKey) + file;
    };
    m_panelImagePortrait = image(L"P", L"BP");
    m_panelImageLandscape = image(L"L", L"BL");
    m_panelImageSquare = image(L"S", L"BS");
    LoadPanelImage();
    LoadImageInto(m_mapBitmap, value(map, L"MI"));

    for (int i = 0; i < kColourCount; ++i) {
        CString text = map == NotFoundMarker ? CString(NotFoundMarker) : GetSkinValue(map, kColourKeys[i]);
        m_colour[i] = SkinColor(text); // a missing key gives black
    }
    RebuildSkinObjects();
}

void CWorldMapPanel::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
    CDialog::OnSettingChange(uFlags, lpszSection);
    LayOut(true);
    // An open tips box follows the panel or the screen, also while another tab hides the page.
    if (m_tipsTitle.m_hWnd && (m_tipsTitle.GetStyle() & WS_VISIBLE)) ShowTips();
    // The panel image drawn for the screen's new shape. Compared with the image loaded, not with
    // the work area measured last: a rotation resizes the page (and so lays it out, measuring the
    // new work area) before this message arrives, and the old shape's image, with its clock face
    // and name box, would stay stretched over the new band.
    if (PanelImageForShape() != m_loadedPanelImage) LoadPanelImage();
    m_shadowDue = true;
    if (auto* container = dynamic_cast<CMainTabCtrl*>(GetParent())) container->PlaceCurrentPage();
    PlaceCityMarker();
    InvalidateAll();
}
