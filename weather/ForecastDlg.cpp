#include "weather/ForecastDlg.h"

#include "core/CommonHelpers.h"
#include "core/FeedQuery.h"
#include "core/HttpExchange.h"
#include "core/RegistryKey.h"
#include "core/TextFiles.h"
#include "platform/framework/CmdUI.h"
#include "platform/framework/CommandBar.h"
#include "platform/framework/Time.h"
#include "platform/framework/WaitCursor.h"
#include "platform/system/SystemVersion.h"
#include "platform/framework/WinApp.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"
#include "shell/MainTabCtrl.h"
#include "weather/ForecastText.h"
#include "weather/WeatherPanel.h"
#include "weather/WeatherSync.h"

#include <algorithm>
#include <cwchar>

namespace {

constexpr LPCWSTR kWeatherKey = L"Jorvana\\weather";
constexpr LPCWSTR kDefaultIconFolder = L"\\wiconset\\";
constexpr COLORREF kRowDark = 0xEEDDCC;
constexpr COLORREF kRowLight = 0xEEEEEE;
constexpr COLORREF kButtonFace = 0xE4D3C2;
constexpr COLORREF kButtonText = 0x963232;
// A message after which the command states need not be refreshed.
constexpr UINT kNoIdleMessage = 0x3FC;

const UINT kDayIds[CForecastDlg::kSlots] = {IDC_FORECAST_DAY1, IDC_FORECAST_DAY2, IDC_FORECAST_DAY3,
                                            IDC_FORECAST_DAY4, IDC_FORECAST_DAY5};
const UINT kConditionIds[CForecastDlg::kSlots] = {IDC_FORECAST_CONDITION1, IDC_FORECAST_CONDITION2,
                                                  IDC_FORECAST_CONDITION3, IDC_FORECAST_CONDITION4,
                                                  IDC_FORECAST_CONDITION5};
const UINT kIconIds[CForecastDlg::kSlots] = {IDC_FORECAST_ICON1, IDC_FORECAST_ICON2, IDC_FORECAST_ICON3,
                                             IDC_FORECAST_ICON4, IDC_FORECAST_ICON5};
const UINT kTemperatureIds[CForecastDlg::kSlots] = {IDC_FORECAST_TEMPERATURE1, IDC_FORECAST_TEMPERATURE2,
                                                    IDC_FORECAST_TEMPERATURE3, IDC_FORECAST_TEMPERATURE4,
                                                    IDC_FORECAST_TEMPERATURE5};

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

bool IsAllDigits(const CString& text, int from, int count) {
    if (text.GetLength() < from + count) return false;
    for (int i = from; i < from + count; ++i)
        if (text[i] < L'0' || text[i] > L'9') return false;
    return true;
}

// A temperature text read as a whole number, as the conversion reads it.
int WholeNumber(const CString& text) { return static_cast<int>(std::wcstol(text.GetString(), nullptr, 10)); }

CString FahrenheitText(const CString& celsius) {
    CString text;
    text.Format(L"%.0f", CelsiusToFahrenheit(WholeNumber(celsius)));
    return text;
}

bool IsPlaceholder(const CString& text) { return text == L"-" || text == L"N/A"; }

// "<high>° : <low>°" with both numbers converted; "-" and "N/A" stay as they are.
CString ConvertTemperatureText(const CString& text) {
    int colon = text.Find(L':');
    if (colon < 0) return text;
    CString high = text.Left(colon);
    high.TrimRight();
    high.TrimRight(L"\u00B0");
    CString low = text.Mid(colon + 1);
    low.TrimLeft();
    low.TrimRight(L"\u00B0");
    CString result = IsPlaceholder(high) ? high + L"\u00B0 :" : FahrenheitText(high) + L"\u00B0 :";
    result += IsPlaceholder(low) ? L" " + low + L"\u00B0" : L" " + FahrenheitText(low) + L"\u00B0";
    return result;
}

CString ConvertFeelsLike(const CString& text) {
    if (IsPlaceholder(text)) return text;
    // A pair converts each number; a missing half ("65/-") stays as it is, never 32.
    const int slash = FeelsLikeSlash(text);
    if (slash < 0) return FahrenheitText(text);
    const CString left = text.Left(slash), right = text.Mid(slash + 1);
    return (IsPlaceholder(left) ? left : FahrenheitText(left)) + L"/" +
           (IsPlaceholder(right) ? right : FahrenheitText(right));
}

} // namespace

void SplitCaretFields(const CString& text, CString fields[60]) {
    const std::vector<CString> split = SplitForecastFields(text);
    std::copy(split.begin(), split.end(), fields);
}

bool ReadDayFirstDate(const CString& text, int& day, int& month, int& year) {
    if (text.GetLength() < 10 || text[2] != L'/' || text[5] != L'/') return false;
    if (!IsAllDigits(text, 0, 2) || !IsAllDigits(text, 3, 2) || !IsAllDigits(text, 6, 4)) return false;
    day = WholeNumber(text.Mid(0, 2));
    month = WholeNumber(text.Mid(3, 2));
    year = WholeNumber(text.Mid(6, 4));
    return day >= 1 && day <= 31 && month >= 1 && month <= 12 && year >= 1970 && year < 3000;
}

BEGIN_MESSAGE_MAP(CForecastDlg, CDialog)
    ON_WM_CTLCOLOR()
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_BN_CLICKED(IDC_FORECAST_UPDATE, &CForecastDlg::OnUpdate)
    ON_WM_SETTINGCHANGE()
    ON_WM_VSCROLL()
    ON_WM_DESTROY()
    ON_COMMAND(ID_FORECAST_DAY_BY_DAY, &CForecastDlg::OnShowDayByDay)
    ON_COMMAND(ID_FORECAST_OVERVIEW, &CForecastDlg::OnShowOverview)
    ON_UPDATE_COMMAND_UI(ID_FORECAST_DAY_BY_DAY, &CForecastDlg::OnUpdateShowMenu)
    ON_UPDATE_COMMAND_UI(ID_FORECAST_OVERVIEW, &CForecastDlg::OnUpdateShowMenu)
    ON_WM_INITMENUPOPUP()
END_MESSAGE_MAP()

CForecastDlg::CForecastDlg(CWnd* pParent) : CDialog(IDD_FORECAST, pParent) {}

CForecastDlg::~CForecastDlg() { delete m_pMenuBar; }

BOOL CForecastDlg::OnCommand(WPARAM wParam, LPARAM lParam) { return CDialog::OnCommand(wParam, lParam); }

void CForecastDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    for (int k = 0; k < kSlots; ++k) {
        DDX_Control(pDX, kDayIds[k], m_dayNames[k]);
        DDX_Control(pDX, kConditionIds[k], m_conditions[k]);
        DDX_Control(pDX, kIconIds[k], m_icons[k]);
        DDX_Control(pDX, kTemperatureIds[k], m_temperatures[k]);
    }
    DDX_Control(pDX, IDC_FORECAST_CITY, m_cityLine);
    DDX_Control(pDX, IDC_FORECAST_DATE, m_dateLine);
    DDX_Control(pDX, IDC_FORECAST_UPDATE, m_updateButton);
}

void CForecastDlg::SetLinkText(bool basic) {
    m_linkBasic = basic;
    m_linkText = basic ? LoadText(IDS_FORECAST_INFOS) + L">" : L"<" + LoadText(IDS_FORECAST_BACK);
}

void CForecastDlg::ReadWorkArea() {
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    m_workWidth = area.right - area.left;
    m_workAreaWidth = m_workWidth;
    m_workHeight = area.bottom - area.top;
    // The view spans the work area; where its frame takes a few pixels, it draws up to the edge
    // of what it has.
    if (m_hWnd) {
        CRect client;
        GetClientRect(&client);
        if (client.Width() > 0 && client.Width() < m_workWidth) m_workWidth = client.Width();
    }
}

BOOL CForecastDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_store.Open();

    // Sunday first: 33036 (Sun) ... 33041 (Fri), then 33035 (Sat).
    for (int i = 0; i < 6; ++i) m_weekdays[i] = LoadText(IDS_DAY_SUN + i);
    m_weekdays[6] = LoadText(IDS_DAY_SAT);
    SetLinkText(true);

    m_backgroundBrush.CreateSolidBrush(m_background);
    m_darkBrush.CreateSolidBrush(kRowDark);
    m_lightBrush.CreateSolidBrush(kRowLight);
    m_iconFolder = m_registry.ReadString(HKEY_LOCAL_MACHINE, kWeatherKey, L"icondir");
    if (m_registry.RegistryStatus != CRegistryKey::kFound) m_iconFolder = kDefaultIconFolder;

    ReadWorkArea();

    auto makeFont = [](CFont& font, int height, int weight) {
        font.CreateFont(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial");
    };
    makeFont(m_boldFont13, 13, FW_BOLD);
    makeFont(m_normalFont12, 12, FW_NORMAL);
    makeFont(m_normalFont13, 13, FW_NORMAL);

    m_pControlFont = &m_boldFont13;
    for (CStatic& day : m_dayNames) day.SetFont(m_pControlFont);
    m_cityLine.SetFont(m_pControlFont);
    m_pControlFont = &m_normalFont13;
    m_dateLine.SetFont(m_pControlFont);
    for (int k = 0; k < kSlots; ++k) {
        m_temperatures[k].SetFont(m_pControlFont);
        m_conditions[k].SetFont(m_pControlFont);
    }

    m_updateButton.SetIcon(IDI_FORECAST_UPDATE, 16, 16);
    m_updateButton.SetColor(CIconButton::BTNST_COLOR_BK_IN, kButtonFace);
    m_updateButton.SetColor(CIconButton::BTNST_COLOR_BK_OUT, kButtonFace);
    m_updateButton.SetColor(CIconButton::BTNST_COLOR_BK_FOCUS, kButtonFace);
    m_updateButton.SetColor(CIconButton::BTNST_COLOR_FG_OUT, kButtonText);
    m_updateButton.SetFlat(FALSE);
    m_pControlFont = &m_normalFont12;
    if (IsSquareScreenNot320()) m_updateButton.SetFont(m_pControlFont);
    m_dateLine.SetFont(m_pControlFont);

    const int today = CTime::GetCurrentTime().GetDayOfWeek() - 1; // 0 = Sunday
    for (int k = 0; k < kSlots; ++k) m_dayNames[k].SetWindowText(m_weekdays[(today + k) % 7]);

    m_boldFont12.CreateFont(12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial");
    m_titleFont13.CreateFont(13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial");
    m_markFont35.CreateFont(35, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial");

    LoadForecast();
    m_cityLine.SetFocus();

    m_dayByDay = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kWeatherKey, L"daybyday") != 0;
    m_selectedDay = 1;
    CopySelectedDay();

    m_pMenuBar = new CCeCommandBar;
    if (m_pMenuBar->Create(this))
        m_pMenuBar->InsertMenuBar(IDR_MENU_FORECAST);
    else {
        delete m_pMenuBar;
        m_pMenuBar = nullptr;
    }
    Layout();
    return FALSE;
}

void CForecastDlg::LoadForecast() {
    DWORD index = 0;
    const bool found = m_store.FindByName(m_cityName) != FALSE;
    if (found) index = m_store.GetCurrentIndex();
    m_updateDate = found ? m_store.GetUpdateDate(index) : CString();

    // Which stored day is today, as the Weather page reckons it.
    bool current = false;
    if (found) {
        const ForecastCurrency currency = ComputeForecastCurrency(m_updateDate, CTime::GetCurrentTime().GetTime());
        current = currency.current;
        if (current) {
            m_daysLeft = static_cast<int>(currency.daysLeft);
            m_todayIndex = currency.todayIndex;
        }
    }

    if (current) {
        const std::vector<CString> fields = SplitForecastFields(m_store.GetForecast(index));
        // A measured value without data reads as "N/A" does.
        auto field = [&fields](uint32_t dayIndex, int f) -> CString {
            return dayIndex < 5 ? ShownForecastField(ForecastField(fields, static_cast<int>(dayIndex), f), f)
                                : CString();
        };
        m_todayTime = field(m_todayIndex, kDayTimeText);
        for (int k = 0; k < kSlots; ++k) {
            const uint32_t d = m_todayIndex + k;
            // A day a short forecast does not reach is shown as one past its end.
            if (m_todayIndex < 5 && m_daysLeft - k >= 0 && d < 5 && ForecastReachesDay(fields, static_cast<int>(d))) {
                m_temperature[k] = field(d, kDayHigh) + L"\u00B0 : " + field(d, kDayLow) + L"\u00B0";
                m_dateTime[k] = field(d, kDayDateText) + L", " + field(d, kDayTimeText);
                m_condition[k] = field(d, kDayConditionText);
                m_feelsLike[k] = field(d, kDayFeelsLike);
                m_windDirection[k] = field(d, kDayWindDirection);
                m_windSpeed[k] = field(d, kDayWindSpeed);
                if (k == 0 && d == 0) {
                    m_pressure = field(0, kDayPressureOrHumidity);
                    m_visibility = field(0, kDayVisibilityOrPrecipitation);
                    m_humidity[0].Empty();
                    m_precipitation[0].Empty();
                } else {
                    if (k == 0) {
                        m_pressure.Empty();
                        m_visibility.Empty();
                    }
                    m_humidity[k] = field(d, kDayPressureOrHumidity);
                    m_precipitation[k] = field(d, kDayVisibilityOrPrecipitation);
                }
                const CString code = field(d, kDayConditionCode);
                CString path = m_iconFolder;
                if (code == L"N/A" || code == L"-")
                    path += L"na.bmp";
                else
                    path += LookupImageMapping(code) + L".bmp";
                m_iconPath[k] = path.Left(255);
            } else {
                m_temperature[k].Empty();
                m_dateTime[k].Empty();
                m_condition[k].Empty();
                m_feelsLike[k].Empty();
                m_windDirection[k].Empty();
                m_windSpeed[k].Empty();
                m_humidity[k].Empty();
                m_precipitation[k].Empty();
                m_iconPath[k].Empty();
                if (k == 0) {
                    m_pressure.Empty();
                    m_visibility.Empty();
                }
            }
        }
    }

    m_cityLine.SetWindowText(found ? m_store.GetName(index) + L", " + m_store.GetCountry(index) : m_cityName);
    m_dateLine.SetWindowText(L"\n" + m_updateDate + L", " + m_todayTime + L" GMT");

    // Only texts just loaded are in Celsius: a record that is not current leaves the slots as
    // they were shown, already converted.
    if (!m_celsius && current) {
        for (int k = 0; k < kSlots; ++k) {
            if (!m_temperature[k].IsEmpty()) m_temperature[k] = ConvertTemperatureText(m_temperature[k]);
            if (!m_feelsLike[k].IsEmpty()) m_feelsLike[k] = ConvertFeelsLike(m_feelsLike[k]);
        }
    }
}

void CForecastDlg::CopySelectedDay() {
    const int k = m_selectedDay - 1;
    m_selIconPath = m_iconPath[k];
    m_selDateTime = m_dateTime[k];
    const CString& temperature = m_temperature[k];
    const int colon = temperature.Find(L':');
    if (colon >= 0) {
        m_selHigh = temperature.Left(colon > 0 ? colon - 1 : 0);
        m_selLow = temperature.Mid(colon + 2);
    } else {
        m_selHigh.Empty();
        m_selLow.Empty();
    }
    m_selCondition = m_condition[k];
    m_selFeelsLike = m_feelsLike[k];
    m_selWindDirection = m_windDirection[k];
    m_selWindSpeed = m_windSpeed[k];
    if (m_daysLeft - m_selectedDay == 3) {
        m_selHumidityOrPressure = m_pressure;
        m_selPrecipitationOrVisibility = m_visibility;
    } else {
        m_selHumidityOrPressure = m_humidity[k];
        m_selPrecipitationOrVisibility = m_precipitation[k];
    }
}

HBRUSH CForecastDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH result = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    switch (id) {
    case IDC_FORECAST_DAY2:
    case IDC_FORECAST_TEMPERATURE2:
    case IDC_FORECAST_CONDITION2:
    case IDC_FORECAST_DAY4:
    case IDC_FORECAST_TEMPERATURE4:
    case IDC_FORECAST_CONDITION4:
    case IDC_FORECAST_CITY:
    case IDC_FORECAST_DATE:
        pDC->SetBkMode(TRANSPARENT);
        return m_darkBrush;
    case IDC_FORECAST_DAY1:
    case IDC_FORECAST_TEMPERATURE1:
    case IDC_FORECAST_CONDITION1:
    case IDC_FORECAST_DAY3:
    case IDC_FORECAST_TEMPERATURE3:
    case IDC_FORECAST_CONDITION3:
    case IDC_FORECAST_DAY5:
    case IDC_FORECAST_TEMPERATURE5:
    case IDC_FORECAST_CONDITION5:
        pDC->SetBkMode(TRANSPARENT);
        return m_lightBrush;
    case IDC_FORECAST_UPDATE:
        return result;
    default:
        return m_backgroundBrush;
    }
}

void CForecastDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    Layout();
}

void CForecastDlg::OnSettingChange(UINT /*uFlags*/, LPCTSTR /*lpszSection*/) {
    Layout();
    Invalidate(TRUE);
}

bool CForecastDlg::UpdateScrollRange(int contentBottom) {
    // What lies below the visible desktop (the input panel's top while it is up) is brought up
    // by the bar.
    CRect client;
    GetClientRect(&client);
    CPoint origin(0, 0);
    ClientToScreen(&origin);
    int visible = client.Height();
    SIPINFO info{};
    info.cbSize = sizeof(info);
    if (::SipGetInfo(&info) && (info.fdwFlags & SIPF_ON))
        visible = std::min<int>(visible, info.rcVisibleDesktop.bottom - origin.y);
    const int range = std::max(0, contentBottom - std::max(visible, 0));
    if (range == m_scrollRange && m_scrollPos <= range) return false;
    const int before = m_scrollPos;
    m_scrollRange = range;
    m_scrollPos = std::min(m_scrollPos, range);
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    // A short thumb: the bar runs under the raised panel, and its track above the panel must
    // keep room to tap below the thumb.
    const int page = std::max(1, range / 4);
    si.nMax = range > 0 ? range + page - 1 : 0;
    si.nPage = range > 0 ? static_cast<UINT>(page) : 0;
    si.nPos = m_scrollPos;
    SetScrollInfo(SB_VERT, &si, TRUE);
    ::ShowScrollBar(m_hWnd, SB_VERT, range > 0);
    return m_scrollPos != before;
}

void CForecastDlg::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* /*pScrollBar*/) {
    if (m_scrollRange <= 0) return;
    const int page = std::max(10, m_scrollRange / 2);
    int pos = m_scrollPos;
    switch (nSBCode) {
    case SB_LINEUP: pos -= 10; break;
    case SB_LINEDOWN: pos += 10; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: pos = static_cast<int>(nPos); break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = m_scrollRange; break;
    default: return;
    }
    pos = std::clamp(pos, 0, m_scrollRange);
    if (pos == m_scrollPos) return;
    m_scrollPos = pos;
    SetScrollPos(SB_VERT, m_scrollPos, TRUE);
    Layout();
    Invalidate(TRUE);
}

void CForecastDlg::OnDestroy() {
    CDialog::OnDestroy();
    m_pControlFont = nullptr;
    m_boldFont13.DeleteObject();
    m_normalFont12.DeleteObject();
    m_normalFont13.DeleteObject();
    m_boldFont12.DeleteObject();
    m_titleFont13.DeleteObject();
    m_markFont35.DeleteObject();
    m_backgroundBrush.DeleteObject();
    m_darkBrush.DeleteObject();
    m_lightBrush.DeleteObject();
}

BOOL CForecastDlg::PreTranslateMessage(MSG* pMsg) {
    MSG next{};
    if (!::PeekMessage(&next, nullptr, 0, 0, PM_NOREMOVE) && m_commandUiPending) {
        if (m_pMenuBar) m_pMenuBar->OnUpdateCmdUI(this, TRUE);
        m_commandUiPending = false;
    } else if (pMsg && pMsg->message != kNoIdleMessage) {
        CWinApp* app = AfxGetApp();
        if (!app || app->IsIdleMessage(pMsg)) m_commandUiPending = true;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CForecastDlg::OnLButtonDown(UINT /*nFlags*/, CPoint point) {
    const int pitch = RowPitch();
    point.y += m_scrollPos; // where the tap lies in the drawn view
    if (!m_dayByDay && point.x > m_workWidth - 42 && point.x < m_workWidth && point.y > 2 && point.y < 15) {
        SetLinkText(!m_linkBasic);
        CRect area(m_iconWidth + 20, 2 - m_scrollPos, m_workWidth, m_topMargin + 4 * pitch + 30 - m_scrollPos);
        InvalidateRect(&area, TRUE);
        return;
    }
    CRect client;
    GetClientRect(&client);
    const bool inY = point.y > client.top + 13 && point.y < client.top + 28;
    const bool next = inY && point.x > client.right - 20 && point.x < client.right - 5;
    const bool previous = inY && point.x > client.right - 55 && point.x < client.right - 40;
    if ((!next && !previous) || !m_dayByDay) return;
    if (next)
        m_selectedDay = m_selectedDay == 5 ? 1 : m_selectedDay + 1;
    else
        m_selectedDay = m_selectedDay == 1 ? 5 : m_selectedDay - 1;
    CopySelectedDay();
    CRect area(0, 2 - m_scrollPos, m_workWidth, m_topMargin + 4 * pitch + 30 - m_scrollPos);
    InvalidateRect(&area, TRUE);
}

// The view changes only once the choice is stored (a failed write says so), so that the view
// on screen is the one the next opening starts with.
void CForecastDlg::OnShowDayByDay() {
    if (!m_registry.WriteDword(HKEY_LOCAL_MACHINE, kWeatherKey, L"daybyday", 1)) return;
    m_dayByDay = true;
    Invalidate(TRUE);
}

void CForecastDlg::OnShowOverview() {
    if (!m_registry.WriteDword(HKEY_LOCAL_MACHINE, kWeatherKey, L"daybyday", 0)) return;
    m_dayByDay = false;
    Invalidate(TRUE);
}

void CForecastDlg::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu) {
    CDialog::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    // A pop-up about to show takes its marks from the update handlers, so the Show menu marks
    // the view on screen even when no idle update ran since the last view change.
    if (pPopupMenu && !bSysMenu) AfxUpdateMenuCmdUI(this, pPopupMenu->m_hMenu, FALSE);
}

void CForecastDlg::OnUpdateShowMenu(CCmdUI* pCmdUI) {
    const bool dayByDayItem = pCmdUI->m_nID == ID_FORECAST_DAY_BY_DAY;
    pCmdUI->SetCheck(dayByDayItem == m_dayByDay ? 1 : 0);
}

void CForecastDlg::OnUpdate() {
    CString code;
    if (m_store.FindByName(m_cityName)) code = m_store.GetCode(m_store.GetCurrentIndex());
    {
        CWaitCursor wait;
        const CString server = ReadFeedServerUrl();
        FeedQuery query;
        query.code = kFeedWeatherForecasts;
        query.cityCodes = QuoteCityCodes({code});
        OSVERSIONINFO version{};
        version.dwOSVersionInfoSize = sizeof version;
        if (::GetVersionEx(&version))
            query.osVersion.Format(L"%d.%d", static_cast<int>(version.dwMajorVersion),
                                   static_cast<int>(version.dwMinorVersion));
        query.home = m_homeName;
        query.screenSize.Format(L"%dx%d", ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
        query.workAreaSize.Format(L"%dx%d", m_workWidth, m_workHeight);
        const CString reply = HttpExchange(server, query.Text(), m_hWnd);

        // Only a valid record of this city's code is stored; a reply without one is as good as
        // none, and one whose forecast is not valid says so first.
        if (StorePlaceReplyOrSayFailed(m_store, m_cityName, code, reply, m_hWnd)) {
            LoadForecast();
            if (m_dayByDay) CopySelectedDay();
            Invalidate(TRUE);
            // The page container is an ancestor of the opening page.
            for (HWND h = m_pParentWnd ? m_pParentWnd->m_hWnd : ::GetParent(m_hWnd); h; h = ::GetParent(h)) {
                if (auto* tabs = dynamic_cast<CMainTabCtrl*>(CWnd::FromHandlePermanent(h))) {
                    tabs->RefreshWeatherPage();
                    break;
                }
            }
        }
    }
    m_cityLine.SetFocus();
}

void RunForecastView(CWnd* parent, const CString& cityName, const CString& homeName) {
    CRegistryKey registry;
    const DWORD fara = registry.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"fara");
    CForecastDlg dlg(parent);
    dlg.m_cityName = cityName;
    dlg.m_celsius = fara != 1;
    dlg.m_fahrenheit = fara == 1;
    dlg.m_homeName = homeName;
    dlg.DoModal();
}
