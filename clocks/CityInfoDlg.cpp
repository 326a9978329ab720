#include "clocks/CityInfoDlg.h"

#include "clocks/DstRule.h"
#include "clocks/ScrollableForm.h"
#include "core/TextFiles.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"
#include "worldmap/SunTimes.h"

#include <algorithm>

namespace {

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

// "25/10/2026" as "25/10/26": a date whose year, after its last "/", has four digits.
CString WithTwoDigitYear(const CString& date) {
    const int slash = date.ReverseFind(L'/');
    if (slash < 0 || date.GetLength() - slash - 1 != 4) return date;
    return date.Left(slash + 1) + date.Right(2);
}

// "d/m/yyyy - d/m/yyyy" with both years in two digits; any other text as it is.
CString PeriodWithTwoDigitYears(const CString& period) {
    const int dash = period.Find(L" - ");
    if (dash < 0) return period;
    return WithTwoDigitYear(period.Left(dash)) + L" - " + WithTwoDigitYear(period.Mid(dash + 3));
}

} // namespace

BEGIN_MESSAGE_MAP(CCityInfoDlg, CScrollableFormDlg)
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_SETTINGCHANGE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CCityInfoDlg::CCityInfoDlg(CWnd* pParent) : CScrollableFormDlg(IDD_CITY_INFO, pParent, false) {}

void CCityInfoDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CITY_INFO_NAME, m_staticName);
    DDX_Control(pDX, IDC_CITY_INFO_LONGITUDE, m_staticLongitude);
    DDX_Control(pDX, IDC_CITY_INFO_LATITUDE, m_staticLatitude);
    DDX_Control(pDX, IDC_CITY_INFO_OFFSET, m_staticOffset);
    DDX_Control(pDX, IDC_CITY_INFO_PERIOD, m_staticPeriod);
}

BOOL CCityInfoDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_hTitleFont = CreateFormFont(18, FW_BOLD);
    m_hLabelFont = CreateFormFont(14, FW_BOLD);
    m_hValueFont = CreateFormFont(14, FW_NORMAL);
    m_hSmallFont = CreateFormFont(13, FW_NORMAL);
    m_hSunFont = CreateFormFont(13, FW_BOLD);
    m_staticName.SetWindowText(m_name);
    m_staticLongitude.SetWindowText(m_longitude);
    m_staticLatitude.SetWindowText(m_latitude);
    m_staticOffset.SetWindowText(m_offsetText);
    m_staticPeriod.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_hSmallFont), FALSE);
    m_nScrollPos = 0;
    m_dwSipFlags = ReadSipFlags();
    Layout();
    return TRUE;
}

void CCityInfoDlg::ComputeSunTimes(int day, int month, int year) {
    // The map's own computation, so that both show the same times for a city and a day
    // (times past midnight either way are brought into the day).
    const int longitude = ReadLeadingInt(m_longitude), latitude = ReadLeadingInt(m_latitude);
    const SunTimes times =
        m_dstRule ? ComputeSunTimesOnClocks(day, month, year, longitude, latitude, m_standardOffset, *m_dstRule)
            : ::ComputeSunTimes(day, month, year, longitude, latitude,
                                HhmmOffsetToHours(ReadLeadingInt(m_currentOffset)));
    m_sunrise = times.sunriseText;
    m_sunset = times.sunsetText;
    m_dayLength = times.dayLengthText;
}

void CCityInfoDlg::ReadWorkArea() {
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    m_nWorkWidth = area.right - area.left;
}

// Half the day picture's height, the height it is drawn at; without the picture the world keeps
// its usual 2:1 shape.
int CCityInfoDlg::PictureHalfHeight(int width) {
    BITMAP info{};
    HBITMAP picture = DayPicture();
    if (!picture) return width / 2;
    ::GetObject(picture, sizeof info, &info);
    return info.bmHeight / 2;
}

// The day picture from the program folder, read at its first use (sizing comes before the
// dialog's initialisation) and kept until the dialog ends; null without a readable picture.
HBITMAP CCityInfoDlg::DayPicture() {
    if (!m_bDayPictureRead) {
        m_hDayPicture = ::SHLoadImageFile(GetProgramFolder() + L"\\day.jpg");
        m_bDayPictureRead = true;
    }
    return m_hDayPicture;
}

void CCityInfoDlg::MeasureContent() {
    // The picture's foot, and at least the day length under the sun times.
    m_nContentHeight = std::max(PictureHalfHeight(m_nWorkWidth - 90) + 181, kDayLengthBottom);
}

void CCityInfoDlg::Layout() {
    if (!m_staticName.m_hWnd) return; // sized before the controls are bound
    ReadWorkArea();
    const int y0 = -m_nScrollPos;
    m_staticName.MoveWindow(120, 35 + y0, 100, 20);
    m_staticLongitude.MoveWindow(120, 75 + y0, 100, 15);
    m_staticLatitude.MoveWindow(120, 90 + y0, 100, 15);
    m_staticOffset.MoveWindow(120, 150 + y0, 100, 20);
    // The period has the row's width up to the form's edge (its scroll bar's when shown); on a
    // narrow screen a long one is written shorter rather than cut.
    CRect client;
    GetClientRect(&client);
    const int periodWidth = std::max(0, static_cast<int>(client.Width()) - 120 - 2);
    m_staticPeriod.MoveWindow(120, 130 + y0, periodWidth, 16);
    const CString period = FittedPeriod(periodWidth);
    CString shown;
    m_staticPeriod.GetWindowText(shown);
    if (shown != period) m_staticPeriod.SetWindowText(period);
    if (CWnd* update = GetDlgItem(IDOK)) update->MoveWindow(m_nWorkWidth - 142, 180 + y0, 70, 25);
    if (CWnd* cancel = GetDlgItem(IDCANCEL)) cancel->MoveWindow(m_nWorkWidth - 71, 180 + y0, 70, 25);
}

CString CCityInfoDlg::FittedPeriod(int room) {
    const CString twoDigitYears = PeriodWithTwoDigitYears(m_period);
    CString noBlanks = twoDigitYears;
    noBlanks.Replace(L" - ", L"-");
    const CString candidates[] = {m_period, twoDigitYears, noBlanks};
    CClientDC dc(&m_staticPeriod);
    HGDIOBJ old = ::SelectObject(dc.GetSafeHdc(), m_hSmallFont);
    CString fitted = noBlanks;
    for (const CString& text : candidates) {
        if (dc.GetTextExtent(text).cx <= room) {
            fitted = text;
            break;
        }
    }
    ::SelectObject(dc.GetSafeHdc(), old);
    return fitted;
}

void CCityInfoDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    Layout();
    Invalidate();
    // The range needs the picture's size before the first paint draws it.
    MeasureContent();
    ResetFormScroll(cy);
    const DWORD flags = ReadSipFlags();
    if (flags != m_dwSipFlags) {
        m_dwSipFlags = flags;
        ScrollForm(SB_THUMBPOSITION, 0);
        KeepFocusInView();
    }
}

void CCityInfoDlg::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
    // The default handling sizes the dialog to the new work area when the screen turns.
    CDialog::OnSettingChange(uFlags, lpszSection);
    // With the panel up it ends above it, so that its range scrolls the texts the panel covers.
    FitAbovePanel();
    Invalidate();
}

void CCityInfoDlg::OnLButtonDown(UINT /*nFlags*/, CPoint /*point*/) {}

void CCityInfoDlg::OnOK() {
    m_staticName.GetWindowText(m_name);
    m_staticLongitude.GetWindowText(m_longitude);
    m_staticLatitude.GetWindowText(m_latitude);
    m_staticOffset.GetWindowText(m_offsetText);
    m_nScrollPos = 0;
    CDialog::OnOK();
}

void CCityInfoDlg::OnDestroy() {
    CDialog::OnDestroy();
    for (HFONT* font : {&m_hTitleFont, &m_hLabelFont, &m_hValueFont, &m_hSmallFont, &m_hSunFont}) {
        if (*font) ::DeleteObject(*font);
        *font = nullptr;
    }
    if (m_hDayPicture) ::DeleteObject(m_hDayPicture);
    m_hDayPicture = nullptr;
    m_bDayPictureRead = false;
}

void CCityInfoDlg::OnPaint() {
    CPaintDC dc(this);
    const int y0 = -m_nScrollPos;
    const int W = m_nWorkWidth;
    dc.SetBkMode(TRANSPARENT);
    PaintFormHeaderBand(dc, W, -2 + y0, 28 + y0);

    HDC hdc = dc.GetSafeHdc();
    HGDIOBJ oldFont = ::SelectObject(hdc, m_hTitleFont);
    dc.TextOut(5, 5 + y0, LoadText(IDS_CITY_INFO_CAPTION));

    ::SelectObject(hdc, m_hLabelFont);
    const struct {
        UINT id;
        int y;
    } labels[] = {{IDS_CITY_LABEL, 35},
                  {IDS_CITY_INFO_COUNTRY, 55},
                  {IDS_LONGITUDE_LABEL, 75},
                  {IDS_LATITUDE_LABEL, 90},
                  {IDS_CITY_INFO_DAYLIGHT_SAVING, 110},
                  {IDS_CITY_INFO_DST_START_END, 130},
                  {IDS_TIME_ZONE_LABEL, 150}};
    for (const auto& label : labels) dc.TextOut(5, label.y + y0, LoadText(label.id));

    ::SelectObject(hdc, m_hValueFont);
    dc.TextOut(120, 55 + y0, m_country);
    dc.TextOut(120, 110 + y0, m_observing);

    dc.SetTextColor(RGB(20, 20, 150));
    ComputeSunTimes(m_day, m_month, m_year);
    ::SelectObject(hdc, m_hSunFont);
    const CString rise = LoadText(IDS_CITY_INFO_SUNRISE) + L":", set = LoadText(IDS_CITY_INFO_SUNSET) + L":";
    dc.TextOut(5, 185 + y0, rise);
    dc.TextOut(5, 205 + y0, set);
    dc.TextOut(5, 225 + y0, LoadText(IDS_CITY_INFO_DAY_LENGTH) + L":");
    // The times right of their labels, further right where a label is longer (another language).
    const int timesX =
        std::max(53, 5 + static_cast<int>(std::max(dc.GetTextExtent(rise).cx, dc.GetTextExtent(set).cx)) + 3);
    ::SelectObject(hdc, m_hSmallFont);
    dc.TextOut(timesX, 185 + y0, m_sunrise);
    dc.TextOut(timesX, 205 + y0, m_sunset);
    dc.TextOut(53, 240 + y0, m_dayLength);
    ::SelectObject(hdc, oldFont);

    CPen pen;
    pen.CreatePen(PS_SOLID, 1, RGB(160, 172, 192));
    CPen* oldPen = dc.SelectObject(&pen);
    dc.MoveTo(0, 175 + y0);
    dc.LineTo(W, 175 + y0);
    dc.MoveTo(110, 28 + y0);
    dc.LineTo(110, 175 + y0);
    dc.SelectObject(oldPen);

    // The day picture, half its height, with the crosshair on the city. Without the picture the
    // world keeps its usual 2:1 shape, so the crosshair still falls where the city lies.
    const int w = W - 90;
    int hh = w / 2;
    HBITMAP picture = DayPicture();
    if (picture) {
        BITMAP info{};
        ::GetObject(picture, sizeof info, &info);
        hh = info.bmHeight / 2;
        CDC memory;
        memory.CreateCompatibleDC(&dc);
        HGDIOBJ oldBitmap = ::SelectObject(memory.GetSafeHdc(), picture);
        dc.StretchBlt(90, 176 + y0, w, hh, &memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        ::SelectObject(memory.GetSafeHdc(), oldBitmap);
    }

    const int L = ReadLeadingInt(m_longitude);
    const int B = ReadLeadingInt(m_latitude);
    const int x = 90 + w / 2 + ((L * w) / 2) / 180;
    const int y = hh / 2 - ((B * hh) / 2) / 90;
    CPen cross;
    cross.CreatePen(PS_SOLID, 1, RGB(255, 50, 50));
    oldPen = dc.SelectObject(&cross);
    dc.MoveTo(x, 176 + y0);
    dc.LineTo(x, 176 + hh + y0);
    dc.MoveTo(90, 176 + y + y0);
    dc.LineTo(W, 176 + y + y0);
    dc.SelectObject(oldPen);
}
