// The World Map page's taps and city choice, the clock-city squares with their menu, the
// forecast check, the city information, the tips box and the small calls of the container.

#include "worldmap/WorldMapPanel.h"

#include "clocks/DstRule.h"
#include "core/CityTime.h"
#include "core/CommonHelpers.h"
#include "platform/framework/Time.h"
#include "platform/framework/WinApp.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/system/DeviceTime.h"
#include "resources/resource.h"
#include "shell/MainTabCtrl.h"
#include "weather/ForecastDlg.h"
#include "worldmap/CityInfoText.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr LPCWSTR kProgramKey = L"Jorvana";
constexpr LPCWSTR kMapKey = L"Jorvana\\map";
constexpr LPCWSTR kClockKey = L"Jorvana\\wrldclk";
constexpr LPCWSTR kClockValues[5] = {L"clock", L"clock1", L"clock2", L"clock3", L"clock4"};
constexpr DWORD kClockDefaults[5] = {0, 684, 756, 565, 988};
constexpr int kMapTab = 2;

int ClientWidth(CWnd& w) {
    RECT r{};
    if (w.m_hWnd) w.GetClientRect(&r);
    return r.right - r.left;
}

int ClientHeight(CWnd& w) {
    RECT r{};
    if (w.m_hWnd) w.GetClientRect(&r);
    return r.bottom - r.top;
}

// The day, month and year of a "DD/MM/YYYY" text; false when it is not one.
bool ParseDayFirstDate(const CString& text, int& day, int& month, int& year) {
    if (text.GetLength() < 10) return false;
    for (int i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (text[i] < L'0' || text[i] > L'9') return false;
    day = (text[0] - L'0') * 10 + (text[1] - L'0');
    month = (text[3] - L'0') * 10 + (text[4] - L'0');
    year = std::wcstol(text.Mid(6, 4).GetString(), nullptr, 10);
    return day >= 1 && day <= 31 && month >= 1 && month <= 12;
}

} // namespace

CMapPopupMenu::CMapPopupMenu() { LoadMenu(IDR_MENU_MAP_SQUARE); }

CMapPopupMenu::~CMapPopupMenu() { DestroyMenu(); }

// [SECTION] Taps --------------------------------------------------------------------------------

void CWorldMapPanel::OnLButtonDown(UINT nFlags, CPoint point) {
    auto* container = dynamic_cast<CMainTabCtrl*>(GetParent());
    if (container && container->IsToolsListShown()) container->FocusTab(kMapTab);
    m_tapPoint = point;
    const int x = point.x, y = point.y;

    if (m_showCitySquares) {
        for (int n = 1; n <= kSquareCount; ++n) {
            const POINT c = ClockSquareCentres[n - 1];
            if (std::abs(x - c.x) <= 4 && std::abs(y - c.y) <= 4) ShowSquareMenu(n);
        }
    }

    const int d = ClockColumnWidth();
    const int rowHeight = ClientHeight(m_cityCombo);
    const int x1 = d + ClientWidth(m_cityCombo);
    const bool onRow = y > m_mapHeight + 5 && y < m_mapHeight + 5 + rowHeight;
    if (onRow) {
        if (x > x1 - 20 && x < x1)
            ShowCityWeather(m_cities.GetName(m_mapCity), m_mapCity);
        else if (x > d && x < x1)
            OpenCityChoice();
        if (x > d - 20 && x < d) ShowCityInformation(m_mapCity);
    }

    if ((IsSquareScreenNot320() || m_workHeight <= m_workWidth) && ::GetSystemMetrics(SM_CYSCREEN) != 320) {
        if (x > 2 && x < 17 && y > m_mapHeight - 17 && y < m_mapHeight - 2) {
            MapEnlarged = !MapEnlarged;
            RECT all{0, 0, m_workWidth, m_workHeight};
            InvalidateRect(&all, TRUE);
            LayOut(false);
            PlaceCityMarker();
        }
    }
    CDialog::OnLButtonDown(nFlags, point);
}

void CWorldMapPanel::OnKillFocus(CWnd* pNewWnd) {
    m_shadowDue = true;
    CDialog::OnKillFocus(pNewWnd);
}

// [SECTION] City choice -------------------------------------------------------------------------

void CWorldMapPanel::OpenCityChoice() {
    if (m_cityCombo.GetCount() == 0) {
        FillCityCombo(m_cityCombo, m_cities);
        m_cityCombo.SetCurSel(static_cast<int>(m_mapCity));
    }
    m_cityChoice.Opened();
    // Shown before it takes the focus: a hidden control takes no keys.
    m_cityCombo.ShowWindow(SW_SHOW);
    m_cityCombo.SetFocus();
    m_cityCombo.ShowDropDown(TRUE);
}

// A move in the open list only highlights a city: the list's closing takes it (or not).
void CWorldMapPanel::OnSelChangeCity() {
    if (m_cityCombo.GetDroppedState()) {
        m_cityChoice.Moved();
        return;
    }
    TakeCity(m_cityCombo.GetCurSel());
}

void CWorldMapPanel::TakeCity(int city) {
    if (city < 0 || city == static_cast<int>(m_mapCity)) return; // nothing chosen: the city stays
    // The map moves to a city only once it is stored; a failed write (said by the registry
    // helper) leaves the list, the marker and the times on the stored city.
    if (!m_registry.WriteDword(HKEY_LOCAL_MACHINE, kMapKey, L"mapclock", static_cast<DWORD>(city))) return;
    m_mapCity = static_cast<DWORD>(city);
    LoadSelectedCityZone(m_mapCity);
    PlaceCityMarker();
    m_firstTick = 1;
    m_shadowDue = true;
}

// The city the user picked or typed, never one a cancel left highlighted; the list shows the
// map's city again.
void CWorldMapPanel::TakeChosenCity() {
    TakeCity(m_cityChoice.Take(m_cityCombo));
    m_cityCombo.SetCurSel(static_cast<int>(m_mapCity));
}

void CWorldMapPanel::OnEditChangeCity() { m_cityChoice.Typed(m_cityCombo); }

void CWorldMapPanel::OnKillFocusCity() {
    TakeChosenCity();
    m_cityCombo.ShowDropDown(FALSE);
    m_cityCombo.ShowWindow(SW_HIDE);
}

void CWorldMapPanel::OnCloseUpCity() {
    TakeChosenCity();
    m_cityCombo.ShowWindow(SW_HIDE);
    if (m_showCitySquares) {
        RECT band{0, 0, m_workWidth, m_mapHeight};
        InvalidateRect(&band, TRUE);
    }
}

// Return or a tap on an item: the highlighted city is taken once the list has closed.
void CWorldMapPanel::OnSelEndOkCity() { m_cityChoice.Picked(); }

// [SECTION] Clock-city squares ------------------------------------------------------------------

void CWorldMapPanel::DrawClockCitySquares(CDC* dc) {
    for (int n = 0; n < kSquareCount; ++n) {
        DWORD value = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kClockKey, kClockValues[n]);
        const LONG status = m_registry.RegistryStatus;
        if (status != CRegistryKey::kFound) value = kClockDefaults[n];
        if (status == CRegistryKey::kKeyMissing)
            m_registry.WriteDword(HKEY_LOCAL_MACHINE, kClockKey, kClockValues[n], value);
        m_clockCities[n] = value;
    }
    const int L = m_mapLeft;
    const int bw = m_workWidth - 2 * m_mapLeft;
    auto labelOnRight = [&](int x) { return x < L + bw / 4 || (L + bw / 2 < x && x < L + 3 * bw / 4); };
    auto label = [&](const CString& name, POINT c, COLORREF colour) {
        dc->SetBkMode(TRANSPARENT);
        if (labelOnRight(c.x)) {
            dc->SetTextColor(RGB(0, 0, 0));
            dc->TextOut(c.x + 5, c.y - 5, name);
            dc->TextOut(c.x + 6, c.y - 6, name);
            dc->SetTextColor(colour);
            dc->TextOut(c.x + 5, c.y - 6, name);
        } else {
            const int w = dc->GetTextExtent(name).cx;
            dc->SetTextColor(RGB(0, 0, 0));
            dc->TextOut(c.x - w - 5, c.y - 5, name);
            dc->TextOut(c.x - w - 4, c.y - 6, name);
            dc->SetTextColor(colour);
            dc->TextOut(c.x - w - 5, c.y - 6, name);
        }
    };
    for (int n = 0; n < kSquareCount; ++n) {
        const POINT c = CityCentre(m_clockCities[n]);
        ClockSquareCentres[n] = c;
        if (m_clockCities[n] == m_mapCity) continue; // the marker and the white label show it
        // On the map the name alone: its place tells cities of one name apart.
        const CString name = m_cities.GetName(m_clockCities[n]);
        label(name, c, kSquareColours[n]);
        CBrush brush;
        brush.CreateSolidBrush(kSquareColours[n]);
        CBrush* old = dc->SelectObject(&brush);
        dc->Rectangle(c.x - 2, c.y - 2, c.x + 2, c.y + 2);
        dc->SelectObject(old);
    }
    if (m_smallBoldFont.GetSafeHandle()) dc->SelectObject(&m_smallBoldFont);
    label(m_cities.GetName(m_mapCity), CityCentre(m_mapCity), RGB(255, 255, 255));
    if (m_smallFont.GetSafeHandle()) dc->SelectObject(&m_smallFont);
}

void CWorldMapPanel::ToggleCitySquares() {
    // The map changes only once the setting is stored (a failed write says so), as the menu
    // item reads it from there.
    if (!m_registry.WriteDword(HKEY_LOCAL_MACHINE, kMapKey, L"showcs", m_showCitySquares ? 0 : 1)) return;
    m_showCitySquares = !m_showCitySquares;
    RECT band{0, 0, m_workWidth, m_mapHeight};
    InvalidateRect(&band, TRUE);
}

void CWorldMapPanel::ShowSquareMenu(int n) {
    CMapPopupMenu menu;
    CMenu* popup = menu.GetSubMenu(0);
    if (!popup) return;
    CString text;
    if (auto* container = dynamic_cast<CMainTabCtrl*>(GetParent())) text = container->GetClockTimeText(n);
    popup->ModifyMenu(ID_MAP_TIME_DATE, MF_BYCOMMAND | MF_STRING | MF_GRAYED, ID_MAP_TIME_DATE, text);
    // The tap is turned into screen coordinates so that the menu opens where the finger is.
    POINT at = m_tapPoint;
    ClientToScreen(&at);
    popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, this);
}

int CWorldMapPanel::SquareUnderTap(int tolerance) const {
    for (int n = 1; n <= kSquareCount; ++n) {
        const POINT c = ClockSquareCentres[n - 1];
        if (std::abs(m_tapPoint.x - c.x) <= tolerance && std::abs(m_tapPoint.y - c.y) <= tolerance) return n;
    }
    return 0;
}

void CWorldMapPanel::OnCityInformation() {
    const int n = SquareUnderTap(5);
    if (n > 0) ShowCityInformation(m_clockCities[n - 1]);
}

void CWorldMapPanel::OnWeatherForecast() {
    const int n = SquareUnderTap(5);
    if (n == 0) return;
    const DWORD city = m_clockCities[n - 1];
    ShowCityWeather(m_cities.GetName(city), city);
}

void CWorldMapPanel::ShowCityInformation(DWORD cityIndex) {
    // The state is judged at the city's own current hour of its standard time: for the selected
    // city as the page shows it, for a clock square's city at its own clock, so that on the day
    // its clocks change it is told as its clock shows it, not as the selected city's hour
    // (which can lie on the other side of the change) would have it.
    time_t instant = CityJudgedHour();
    CityDstWindow window;
    if (cityIndex == m_mapCity) {
        window = SelectedCityWindow();
    } else {
        instant = CityStandardHour(ReadLeadingInt(m_cities.GetUtcOffset(cityIndex)), m_homeZoneHours,
                                   m_homeZoneMinutes);
        const DstWindow own = GetDstWindowAt(CityDstRule(m_cities, cityIndex), CTime::GetCurrentTime().GetYear(), instant);
        window.hasDst = own.hasDst;
        window.shift = own.shift;
        window.start = own.start;
        window.end = own.end;
    }
    ShowCityInfoText(m_hWnd, BuildCityInfoText(m_cities, cityIndex, window, instant));
}

void CWorldMapPanel::ShowCityWeather(const CString& name, DWORD) {
    CString refusal;
    refusal.LoadString(IDS_MAP_SYNC_FOR_FORECAST);
    if (!m_weather.FindByName(name)) {
        AfxMessageBox(refusal, MB_OK);
        return;
    }
    int day = 0, month = 0, year = 0;
    const CString date = m_weather.GetUpdateDate(m_weather.GetCurrentIndex());
    if (!ParseDayFirstDate(date, day, month, year)) {
        AfxMessageBox(refusal, MB_OK); // an unreadable date counts as an old forecast
        return;
    }
    struct tm fields {};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = 23;
    fields.tm_min = 59;
    fields.tm_isdst = -1;
    const time_t limit = device::DeviceMktime(&fields) + 345600;
    if (CTime::GetCurrentTime().GetTime() > limit) {
        AfxMessageBox(refusal, MB_OK);
        return;
    }
    RunForecastView(this, name, GetHomeLocationName());
}

CString CWorldMapPanel::GetHomeLocationName() {
    CString name = m_registry.ReadString(HKEY_LOCAL_MACHINE, kProgramKey, L"hlname");
    return m_registry.RegistryStatus == CRegistryKey::kFound ? name : CString();
}

void CWorldMapPanel::SetTwelveHourMode(int flag) {
    m_twelveHour = flag == 1;
    if (!m_twelveHour) m_cityTimeText = FormatCityTime(m_cityOffset, m_homeZoneHours, m_homeZoneMinutes);
}

// [SECTION] Tips box ----------------------------------------------------------------------------

void CWorldMapPanel::PlaceTipsBox(int x, int y, UINT stringId, int lines, int width) {
    CString text;
    text.LoadString(stringId);
    int th = 0;
    {
        CClientDC dc(this);
        CFont* old = m_tipsTextFont.GetSafeHandle() ? dc.SelectObject(&m_tipsTextFont) : nullptr;
        th = dc.GetTextExtent(text).cy;
        if (old) dc.SelectObject(old);
    }
    m_tipsText.SetWindowText(text);
    m_tipsTitle.SetWindowPos(&wndTopMost, x, y, width, (lines + 2) * th + 20, SWP_SHOWWINDOW);
    m_tipsText.SetWindowPos(&wndTopMost, x + 5, y + 20, width - 10, (lines + 2) * th - 25, SWP_SHOWWINDOW);
    const int cw = ClientWidth(m_tipsTitle);
    const int ch = ClientHeight(m_tipsTitle);
    CString hide;
    hide.LoadString(IDS_TIPS_HIDE);
    m_tipsButton.SetWindowText(hide);
    m_tipsButton.SetWindowPos(&wndTopMost, x + cw / 4 + 2, y + ch - 17, cw / 2, 17, SWP_SHOWWINDOW);
    m_tipsTitle.SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    // The edit and the button lie over the title: they come up again after it.
    m_tipsText.SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    m_tipsButton.SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::HideCaret(m_tipsText.m_hWnd);
}

void CWorldMapPanel::ShowTips() {
    // At the page's foot, or above a raised input panel so that its Hide button stays in reach;
    // two lines, or as many more as the text needs to be read whole where the page has the room.
    const int bottom = BottomAbovePanel(*this, m_pageHeight + 3);
    const int width = m_workWidth - 20;
    const int wanted = std::max(2, TipsLinesNeeded(*this, m_tipsTextFont, IDS_MAP_TIPS, width - 10));
    for (int lines = wanted; lines >= 2; --lines) {
        PlaceTipsBox(m_workWidth, m_workHeight, IDS_MAP_TIPS, lines, width); // out of sight, to measure
        RECT frame{};
        m_tipsTitle.GetWindowRect(&frame);
        const int ws = frame.right - frame.left;
        const int hs = frame.bottom - frame.top;
        if (hs <= bottom || lines == 2) {
            PlaceTipsBox(m_workWidth / 2 - ws / 2, std::max(0, bottom - hs), IDS_MAP_TIPS, lines, width);
            break;
        }
    }
}

void CWorldMapPanel::OnTipClose() {
    m_tipsText.ShowWindow(SW_HIDE);
    m_tipsButton.ShowWindow(SW_HIDE);
    m_tipsTitle.ShowWindow(SW_HIDE);
}

void CWorldMapPanel::OnTipsSetFocus() { ::HideCaret(m_tipsText.m_hWnd); }

BOOL CWorldMapPanel::PreTranslateMessage(MSG* pMsg) {
    if (TipsBoxTakesKey(*this, TipsBox{m_tipsTitle, m_tipsText, m_tipsButton, m_tipsTextFont}, *pMsg)) return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}
