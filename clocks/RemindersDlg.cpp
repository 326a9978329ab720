#include "clocks/RemindersDlg.h"

#include "clocks/ScrollableForm.h"
#include "clocks/StoredCityIndexes.h"
#include "core/CommonHelpers.h"
#include "core/StorageFaults.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"

#include <algorithm>

namespace {

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

// The description of a reminder the user gave none, in the interface's language.
CString NoDescription() {
    return LoadText(IDS_NO_DESCRIPTION);
}
// The box shows the placeholder: in this language, or in English as stored under another one.
bool IsNoDescription(const CString& text) {
    return text == NoDescription() || text == L"<Description>";
}

// Registry value names of each reminder's time, date and description.
const LPCWSTR kTimeValues[kReminderCount] = {L"clock", L"clock1", L"clock2", L"clock3", L"clock4"};
const LPCWSTR kDateValues[kReminderCount] = {L"date", L"date1", L"date2", L"date3", L"date4"};
const LPCWSTR kDescValues[kReminderCount] = {L"desc", L"desc1", L"desc2", L"desc3", L"desc4"};

const UINT kEnableIds[kReminderCount] = {IDC_REMINDER_ENABLE0, IDC_REMINDER_ENABLE1, IDC_REMINDER_ENABLE2,
                                         IDC_REMINDER_ENABLE3, IDC_REMINDER_ENABLE4};
const UINT kHoursIds[kReminderCount] = {IDC_REMINDER_HOURS0, IDC_REMINDER_HOURS1, IDC_REMINDER_HOURS2,
                                        IDC_REMINDER_HOURS3, IDC_REMINDER_HOURS4};
const UINT kMinutesIds[kReminderCount] = {IDC_REMINDER_MINUTES0, IDC_REMINDER_MINUTES1, IDC_REMINDER_MINUTES2,
                                          IDC_REMINDER_MINUTES3, IDC_REMINDER_MINUTES4};
const UINT kDateIds[kReminderCount] = {IDC_REMINDER_DATE0, IDC_REMINDER_DATE1, IDC_REMINDER_DATE2,
                                       IDC_REMINDER_DATE3, IDC_REMINDER_DATE4};
const UINT kDescIds[kReminderCount] = {IDC_REMINDER_DESC0, IDC_REMINDER_DESC1, IDC_REMINDER_DESC2,
                                       IDC_REMINDER_DESC3, IDC_REMINDER_DESC4};
const UINT kDayIds[kReminderCount] = {IDC_REMINDER_DAY0, IDC_REMINDER_DAY1, IDC_REMINDER_DAY2, IDC_REMINDER_DAY3,
                                      IDC_REMINDER_DAY4};
const UINT kMonthIds[kReminderCount] = {IDC_REMINDER_MONTH0, IDC_REMINDER_MONTH1, IDC_REMINDER_MONTH2,
                                        IDC_REMINDER_MONTH3, IDC_REMINDER_MONTH4};

int ReminderOfId(const UINT ids[kReminderCount], UINT id) {
    for (int k = 0; k < kReminderCount; ++k)
        if (ids[k] == id) return k;
    return -1;
}

CString TwoDigits(int value) {
    CString text;
    text.Format(L"%02d", value);
    return text;
}

// Where one reminder's controls stand, unscrolled.
struct ReminderPlaces {
    POINT enable;
    POINT desc;
    int descWidth;
    POINT picker;
    POINT hours;
    POINT minutes;
};

ReminderPlaces PlacesOf(int k, int W, int R, int R2, bool shortLandscape) {
    const int row = k <= 2 ? R : R2;
    const bool right = k == 2 || k == 4;
    const int x = right ? W / 2 : 0;
    if (shortLandscape) {
        if (k == 0)
            return {{5, 40}, {25, 42}, W / 2 - 27, {W / 2 + 10, 42}, {W / 2 + W / 4 + 13, 42},
                    {W / 2 + W / 4 + (W / 7) / 2 + 14, 42}};
        return {{x + 5, row + 15}, {x + 25, row + 17}, 90, {x + 23, row + 42}, {x + W / 4 + 30, row + 42},
                {x + W / 4 + (W / 7) / 2 + 31, row + 42}};
    }
    if (k == 0)
        // The time boxes stand just under the picker (20 high), not under its foot.
        return {{5, 50}, {25, 52}, W / 2 - 25, {W / 2 + 1, 50}, {W / 2 + 3, 71}, {W / 2 + (W / 6) / 2 + 3, 71}};
    // Clock 1's minutes box stands one pixel further right than the others'.
    const int minutesX = k == 1 ? (W / 6) / 2 + 26 : x + (W / 6) / 2 + 25;
    return {{x + 5, row + 25}, {x + 25, row + 27}, 90, {x + 23, row + 47}, {x + 25, row + 67}, {minutesX, row + 67}};
}

} // namespace

BEGIN_MESSAGE_MAP(CRemindersDlg, CScrollableFormDlg)
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_SETTINGCHANGE()
    ON_WM_DESTROY()
    ON_CONTROL_RANGE(EN_SETFOCUS, IDC_REMINDER_DESC0, IDC_REMINDER_DESC4, &CRemindersDlg::OnDescSetFocus)
    ON_CONTROL_RANGE(EN_KILLFOCUS, IDC_REMINDER_DESC0, IDC_REMINDER_DESC4, &CRemindersDlg::OnDescKillFocus)
    ON_CONTROL_RANGE(EN_SETFOCUS, IDC_REMINDER_HOURS0, IDC_REMINDER_HOURS4, &CRemindersDlg::OnTimeBoxFocus)
    ON_CONTROL_RANGE(EN_SETFOCUS, IDC_REMINDER_MINUTES0, IDC_REMINDER_MINUTES3, &CRemindersDlg::OnTimeBoxFocus)
    ON_CONTROL_RANGE(EN_SETFOCUS, IDC_REMINDER_MINUTES4, IDC_REMINDER_MINUTES4, &CRemindersDlg::OnTimeBoxFocus)
    ON_CONTROL_RANGE(EN_KILLFOCUS, IDC_REMINDER_HOURS0, IDC_REMINDER_HOURS4, &CRemindersDlg::OnTimeKillFocus)
    ON_CONTROL_RANGE(EN_KILLFOCUS, IDC_REMINDER_MINUTES0, IDC_REMINDER_MINUTES3, &CRemindersDlg::OnTimeKillFocus)
    ON_CONTROL_RANGE(EN_KILLFOCUS, IDC_REMINDER_MINUTES4, IDC_REMINDER_MINUTES4, &CRemindersDlg::OnTimeKillFocus)
    ON_NOTIFY_RANGE(DTN_DATETIMECHANGE, IDC_REMINDER_DATE0, IDC_REMINDER_DATE4, &CRemindersDlg::OnDateChange)
END_MESSAGE_MAP()

CRemindersDlg::CRemindersDlg(CWnd* pParent) : CScrollableFormDlg(IDD_REMINDERS, pParent, true) {}

void CRemindersDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    for (int k = 0; k < kReminderCount; ++k) {
        DDX_Control(pDX, kEnableIds[k], m_checkEnable[k]);
        DDX_Control(pDX, kHoursIds[k], m_editHours[k]);
        DDX_Control(pDX, kMinutesIds[k], m_editMinutes[k]);
        DDX_Control(pDX, kDescIds[k], m_editDesc[k]);
        DDX_Control(pDX, kDateIds[k], m_datePicker[k]);
        DDX_Control(pDX, kDayIds[k], m_editDay[k]);
        DDX_Control(pDX, kMonthIds[k], m_editMonth[k]);
    }
    DDX_Control(pDX, IDC_REMINDER_YEAR0, m_editYear);
    // Only the ticked reminders are checked: one that is not set keeps nothing of its boxes, so
    // no box of it can stop the form (the hidden year box holds the device's year, which may
    // lie outside the years a reminder can take). Dates first, then the times; the first
    // failing box stops the exchange.
    auto exchanged = [&](int k) {
        return !pDX->m_bSaveAndValidate || m_checkEnable[k].GetCheck() == BST_CHECKED;
    };
    for (int k = 0; k < kReminderCount; ++k) {
        if (!exchanged(k)) continue;
        DDX_Text(pDX, kDayIds[k], m_nDay[k]);
        DDV_MinMaxInt(pDX, m_nDay[k], 1, 31);
        DDX_Text(pDX, kMonthIds[k], m_nMonth[k]);
        DDV_MinMaxInt(pDX, m_nMonth[k], 1, 12);
        if (k == 0) {
            DDX_Text(pDX, IDC_REMINDER_YEAR0, m_nYear);
            DDV_MinMaxInt(pDX, m_nYear, 2000, 3000);
        }
    }
    for (int k = 0; k < kReminderCount; ++k) {
        if (!exchanged(k)) continue;
        DDX_Text(pDX, kHoursIds[k], m_nHours[k]);
        DDV_MinMaxInt(pDX, m_nHours[k], 0, 23);
        DDX_Text(pDX, kMinutesIds[k], m_nMinutes[k]);
        DDV_MinMaxInt(pDX, m_nMinutes[k], 0, 59);
    }
}

CString CRemindersDlg::BoxText(CEdit& edit) const {
    CString text;
    edit.GetWindowText(text);
    return text;
}

ReminderHome CRemindersDlg::GetReminderHome() {
    return ReadReminderHome(m_db, m_registry);
}

void CRemindersDlg::ComputeMetrics() {
    const WorkAreaMetrics area = ReadWorkAreaMetrics();
    m_nWidth = area.width;
    m_nWorkHeight = area.height;
    m_nMenuHeight = area.menuHeight;
    m_nUsable = area.usableHeight;
    if (m_nWidth > m_nWorkHeight && m_nWidth > 350) m_nWidth -= 80;
    if (IsSquareScreenNot320()) m_nUsable += 80;
    m_bShortLandscape = m_nWidth == 320 && m_nWorkHeight < 240;
    m_nRow = (m_nUsable + 25) / 3;
    m_nRow2 = (2 * (m_nUsable + 25)) / 3;
    m_nContentHeight = m_nRow2 + (m_bShortLandscape ? 63 : 88);
}

void CRemindersDlg::PlaceControls() {
    if (!m_editYear.m_hWnd) return; // sized before the controls are bound
    const int y0 = -m_nScrollPos;
    // The descriptions are kept left of the scroll bar when it shows.
    RECT client{};
    GetClientRect(&client);
    for (int k = 0; k < kReminderCount; ++k) {
        const ReminderPlaces p = PlacesOf(k, m_nWidth, m_nRow, m_nRow2, m_bShortLandscape);
        m_checkEnable[k].MoveWindow(p.enable.x, p.enable.y + y0, 20, 20);
        const int descWidth = std::min<int>(p.descWidth, client.right - p.desc.x - 1);
        m_editDesc[k].MoveWindow(p.desc.x, p.desc.y + y0, descWidth, 20);
        m_editHours[k].MoveWindow(p.hours.x, p.hours.y + y0, 15, 20);
        m_editMinutes[k].MoveWindow(p.minutes.x, p.minutes.y + y0, 15, 20);
        // The hidden mirrors lie under the picker.
        m_editDay[k].MoveWindow(p.picker.x, p.picker.y + y0, 15, 20);
        m_editMonth[k].MoveWindow(p.picker.x + 20, p.picker.y + y0, 15, 20);
        if (k == 0) m_editYear.MoveWindow(p.picker.x + 40, p.picker.y + y0, 15, 20);
        // 70 wide, or as wide as a whole date beside the drop arrow needs where the row has room:
        // up to the time boxes when they stand on the same row, else up to the client's edge.
        int pickerWidth = 70;
        {
            CClientDC dc(&m_datePicker[k]);
            CFont* font = m_datePicker[k].GetFont();
            CFont* old = font ? dc.SelectObject(font) : nullptr;
            const int needed = dc.GetTextExtent(CString(L"00/00/0000")).cx + ::GetSystemMetrics(SM_CXVSCROLL) + 8;
            if (old) dc.SelectObject(old);
            int room = client.right - p.picker.x - 1;
            if (p.hours.y < p.picker.y + 20 && p.hours.x > p.picker.x + 20) room = std::min(room, p.hours.x - p.picker.x - 3);
            pickerWidth = std::max(70, std::min(needed, room));
        }
        m_datePicker[k].SetWindowPos(&CWnd::wndTop, p.picker.x, p.picker.y + y0, pickerWidth, 20, SWP_SHOWWINDOW);
    }
}

BOOL CRemindersDlg::OnInitDialog() {
    m_hTitleFont = CreateFormFont(18, FW_BOLD);
    m_hNoteFont = CreateFormFont(11, FW_NORMAL);
    m_hNameFont = CreateFormFont(13, FW_BOLD);
    CDialog::OnInitDialog();
    m_db.Open();
    m_nScrollPos = 0;
    ComputeMetrics();

    for (int k = 0; k < kReminderCount; ++k) {
        m_strTimes[k] = m_registry.ReadString(HKEY_LOCAL_MACHINE, kRemindersKey, kTimeValues[k]);
        m_strDates[k] = m_registry.ReadString(HKEY_LOCAL_MACHINE, kRemindersKey, kDateValues[k]);
        m_strDescs[k] = m_registry.ReadString(HKEY_LOCAL_MACHINE, kRemindersKey, kDescValues[k]);
    }
    HANDLE existing[kReminderCount];
    FindReminderNotifications(existing);

    for (int k = 0; k < kReminderCount; ++k) {
        if (m_strTimes[k].IsEmpty()) {
            m_editDesc[k].SetWindowText(NoDescription());
            m_editHours[k].SetWindowText(L"00");
            m_editMinutes[k].SetWindowText(L"00");
            ShowPickerDate(k);
            m_checkEnable[k].SetCheck(BST_UNCHECKED);
            continue;
        }
        m_editDesc[k].SetWindowText(m_strDescs[k]);
        m_editHours[k].SetWindowText(m_strTimes[k].Mid(0, 2));
        m_editMinutes[k].SetWindowText(m_strTimes[k].Mid(3, 2));
        m_editDay[k].SetWindowText(m_strDates[k].Mid(0, 2));
        m_editMonth[k].SetWindowText(m_strDates[k].Mid(3, 2));
        if (k == 0) m_editYear.SetWindowText(m_strDates[k].Mid(6, 4));
        int day = 0, month = 0, year = 0;
        if (ParseReminderDate(m_strDates[k], day, month, year) && year >= 1970 && year <= 3000) {
            SYSTEMTIME st{};
            st.wYear = static_cast<WORD>(year);
            st.wMonth = static_cast<WORD>(month);
            st.wDay = static_cast<WORD>(day);
            m_datePicker[k].SetTime(&st);
        }
        // Ticked while its notification is still to go off: one that went off is over.
        m_checkEnable[k].SetCheck(existing[k] && !ReminderHasGoneOff(existing[k]) ? BST_CHECKED
                                                                                  : BST_UNCHECKED);
    }
    // The taskbar shows the form's title.
    CString title;
    title.LoadString(IDS_SET_REMINDERS_TITLE);
    SetWindowText(title);
    // The time boxes are only 15 pixels wide: the text goes from border to border so that two
    // digits fit.
    for (int k = 0; k < kReminderCount; ++k)
        for (CEdit* box : {&m_editHours[k], &m_editMinutes[k]})
            box->SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    m_dwSipFlags = ReadSipFlags();
    m_datePicker[0].SetFocus();
    return FALSE;
}

// Day, month (and for the home reminder the year) boxes from the picker's date.
void CRemindersDlg::ShowPickerDate(int k) {
    SYSTEMTIME st{};
    if (m_datePicker[k].GetTime(&st) != GDT_VALID) return;
    m_editDay[k].SetWindowText(TwoDigits(st.wDay));
    m_editMonth[k].SetWindowText(TwoDigits(st.wMonth));
    if (k == 0) {
        CString year;
        year.Format(L"%04d", st.wYear);
        m_editYear.SetWindowText(year);
    }
}

void CRemindersDlg::OnDateChange(UINT nID, NMHDR* /*pNMHDR*/, LRESULT* pResult) {
    const int k = ReminderOfId(kDateIds, nID);
    if (k >= 0) ShowPickerDate(k);
    *pResult = 0;
}

void CRemindersDlg::OnDescSetFocus(UINT nID) {
    const int k = ReminderOfId(kDescIds, nID);
    if (k < 0) return;
    if (IsNoDescription(BoxText(m_editDesc[k]))) m_editDesc[k].SetWindowText(L"");
    if (k >= 1) ScrollBy(SB_BOTTOM);
}

void CRemindersDlg::OnDescKillFocus(UINT nID) {
    const int k = ReminderOfId(kDescIds, nID);
    if (k >= 0 && BoxText(m_editDesc[k]).IsEmpty()) m_editDesc[k].SetWindowText(NoDescription());
}

void CRemindersDlg::OnTimeBoxFocus(UINT nID) {
    // Digits typed into a time box replace what it holds, however it got the focus (a tap puts
    // the caret first, so the selection is made after it).
    if (CWnd* box = GetDlgItem(static_cast<int>(nID))) box->PostMessage(EM_SETSEL, 0, -1);
    OnTimeSetFocus(nID);
}

void CRemindersDlg::OnTimeSetFocus(UINT nID) {
    // Clocks 3 and 4 sit on the bottom row; clocks 1 and 2 only leave the view on short screens.
    const bool bottomRow = nID == IDC_REMINDER_HOURS3 || nID == IDC_REMINDER_MINUTES3 ||
                           nID == IDC_REMINDER_HOURS4 || nID == IDC_REMINDER_MINUTES4;
    const bool middleRow = nID == IDC_REMINDER_HOURS1 || nID == IDC_REMINDER_MINUTES1 ||
                           nID == IDC_REMINDER_HOURS2 || nID == IDC_REMINDER_MINUTES2;
    if (bottomRow || (middleRow && m_nWorkHeight < 245)) ScrollBy(SB_BOTTOM);
}

void CRemindersDlg::OnTimeKillFocus(UINT nID) {
    CWnd* box = GetDlgItem(static_cast<int>(nID));
    if (!box) return;
    CString text;
    box->GetWindowText(text);
    if (text.IsEmpty())
        box->SetWindowText(L"00");
    else if (text.GetLength() == 1 && ParseLeadingInt(text) < 10)
        box->SetWindowText(L"0" + text);
}

void CRemindersDlg::ScrollBy(UINT code) {
    ScrollForm(code, 0);
}

void CRemindersDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    ComputeMetrics();
    PlaceControls();
    ResetFormScroll(cy);

    const DWORD flags = ReadSipFlags();
    if (flags == m_dwSipFlags) return;
    m_dwSipFlags = flags;
    ScrollBy(SB_TOP);
    KeepFocusInView();
    if (flags & SIPF_ON) return;
    // The panel went down: cover the owner's client area again, 80 pixels taller.
    CWnd* owner = GetOwner();
    if (!owner || !owner->m_hWnd) return;
    RECT rc{};
    owner->GetClientRect(&rc);
    CWnd* ownerParent = owner->GetParent();
    (ownerParent ? ownerParent : owner)->ClientToScreen(&rc);
    MoveWindow(rc.left + 2, rc.top, rc.right - rc.left + 1, rc.bottom - rc.top + 80);
}

void CRemindersDlg::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
    CDialog::OnSettingChange(uFlags, lpszSection);
    ComputeMetrics();
    PlaceControls();
    const DWORD flags = ReadSipFlags();
    if (flags != m_dwSipFlags) {
        m_dwSipFlags = flags;
        ScrollBy(SB_TOP);
        RECT rc{};
        GetWindowRect(&rc);
        int height = rc.bottom - rc.top + ((flags & SIPF_ON) ? -80 : 80);
        if (flags & SIPF_ON) {
            // 80 pixels shorter, and no lower than the panel's top edge: a window that covered the
            // menu bar's band would otherwise keep its lowest boxes under the panel.
            m_nHeightBeforePanel = rc.bottom - rc.top;
            SIPINFO info{};
            info.cbSize = sizeof(info);
            if (::SHSipInfo(SPI_GETSIPINFO, 0, &info, 0))
                height = std::min(height, static_cast<int>(info.rcVisibleDesktop.bottom - rc.top));
        } else if (m_nHeightBeforePanel > 0) {
            height = m_nHeightBeforePanel;
        }
        if (!(flags & SIPF_ON)) m_nHeightBeforePanel = 0;
        SetWindowPos(nullptr, rc.left, rc.top, rc.right - rc.left, std::max(height, 0), SWP_NOZORDER | SWP_NOACTIVATE);
        KeepFocusInView();
    }
    Invalidate();
}

void CRemindersDlg::OnPaint() {
    CPaintDC dc(this);
    const int y0 = -m_nScrollPos;
    const int W = m_nWidth;
    const int R = m_nRow;
    const int R2 = m_nRow2;
    const bool sl = m_bShortLandscape;
    HDC hdc = dc.GetSafeHdc();

    PaintFormHeaderBand(dc, W, -2 + y0, 25 + y0);
    dc.SetTextColor(RGB(0, 0, 150));
    dc.SetBkMode(TRANSPARENT);

    HGDIOBJ oldFont = ::SelectObject(hdc, m_hTitleFont);
    CString text;
    text.LoadString(IDS_SET_REMINDERS_TITLE);
    const int titleWidth = dc.GetTextExtent(text).cx;
    dc.TextOut(5, 4 + y0, text);
    ::SelectObject(hdc, m_hNoteFont);
    CString note;
    note.LoadString(IDS_REMINDERS_24H_NOTE);
    const int noteWidth = dc.GetTextExtent(note).cx;
    // Beside the title when the band has room for it, else right-aligned under the band, beside
    // the home city's name.
    RECT client{};
    GetClientRect(&client);
    const int right = std::min<int>(W, client.right); // left of the scroll bar when it shows
    const bool noteBelow = titleWidth + 10 + noteWidth > right;
    if (noteBelow)
        dc.TextOut(right - noteWidth - 3, (sl ? 27 : 32) + y0, note);
    else
        dc.TextOut(titleWidth + 10, 10 + y0, note);

    // The separators between hours and minutes, in the paint context's own font.
    ::SelectObject(hdc, oldFont);
    const CString colon(L":");
    if (sl) {
        dc.TextOut(W / 2 + W / 4 + 28, 42 + y0, colon);
        dc.TextOut(W / 4 + 45, R + 42 + y0, colon);
        dc.TextOut(W / 2 + W / 4 + 45, R + 42 + y0, colon);
        dc.TextOut(W / 4 + 45, R2 + 42 + y0, colon);
        dc.TextOut(W / 2 + W / 4 + 45, R2 + 42 + y0, colon);
    } else {
        dc.TextOut(W / 2 + 18, 71 + y0, colon);
        dc.TextOut(40, R + 67 + y0, colon);
        dc.TextOut(W / 2 + 40, R + 67 + y0, colon);
        dc.TextOut(40, R2 + 67 + y0, colon);
        dc.TextOut(W / 2 + 40, R2 + 67 + y0, colon);
    }

    ::SelectObject(hdc, m_hNameFont);
    const CString home = noteBelow ? FitTextWithEllipsis(&dc, m_strCityNames[0], right - noteWidth - 12) : m_strCityNames[0];
    dc.TextOut(5, (sl ? 25 : 30) + y0, home);
    const int nameWidth = sl ? W / 2 - m_nUsable / 3 - 3 : W / 2 - 5;
    const int below = sl ? 1 : 5;
    const POINT names[4] = {{5, R}, {W / 2 + 5, R}, {5, R2}, {W / 2 + 5, R2}};
    for (int k = 1; k < kReminderCount; ++k)
        dc.TextOut(names[k - 1].x, names[k - 1].y + below + y0, FitTextWithEllipsis(&dc, m_strCityNames[k], nameWidth));
    ::SelectObject(hdc, oldFont);

    CPen dashed;
    dashed.CreatePen(PS_DASH, 1, RGB(160, 172, 192));
    CPen* oldPen = dc.SelectObject(&dashed);
    dc.MoveTo(0, R + y0);
    dc.LineTo(W, R + y0);
    dc.MoveTo(0, 2 * R + y0);
    dc.LineTo(W, 2 * R + y0);
    dc.MoveTo(W / 2 - 2, R + y0);
    dc.LineTo(W / 2 - 2, m_nUsable + 27 + y0);
    dc.SelectObject(oldPen);
}

void CRemindersDlg::OnOK() {
    // The form stays open, with what the user typed, until its reminders are stored.
    if (!UpdateData(TRUE) || RefusePastReminders() || !SaveReminders(true)) return;
    m_bClosedBySave = true;
    CDialog::OnOK();
}

void CRemindersDlg::OnCancel() {
    // Cancel saves like OK, but the form is always left: a ticked reminder whose boxes give no
    // time stays as it was stored, one whose time is over is not set (and the user is told),
    // and a save the storage refused is said and leaves every reminder as it was.
    RefusePastReminders();
    SaveReminders(true);
    m_bClosedBySave = true;
    CDialog::OnCancel();
}

bool CRemindersDlg::ReadReminderTexts(int k, CString& time, CString& date) {
    int hour = 0, minute = 0;
    time = BoxText(m_editHours[k]) + L":" + BoxText(m_editMinutes[k]);
    if (!ParseReminderTime(time, hour, minute) || hour > 23 || minute > 59) return false;
    // Stored with two digits each, as the texts are read back by position.
    time = TwoDigits(hour) + L":" + TwoDigits(minute);
    CString year;
    if (k == 0) {
        year = BoxText(m_editYear);
    } else {
        SYSTEMTIME st{};
        m_datePicker[k].GetTime(&st);
        year.Format(L"%d", st.wYear);
    }
    date = BoxText(m_editDay[k]) + L"/" + BoxText(m_editMonth[k]) + L"/" + year;
    return true;
}

bool CRemindersDlg::RefusePastReminders() {
    int32_t cities[kClockCount];
    ReadClockCityIndexes(m_registry, cities);
    const ReminderHome home = GetReminderHome();
    // The refused reminders by why: over, or meant for a reading the device's clock shows twice.
    struct Refusals {
        CString lines;
        int count = 0;
    } past, repeated;
    for (int k = 0; k < kReminderCount; ++k) {
        if (m_checkEnable[k].GetCheck() != BST_CHECKED) continue;
        CString time, date;
        if (!ReadReminderTexts(k, time, date)) continue;
        const ReminderTiming timing = ReminderTimingOf(m_db, static_cast<DWORD>(cities[k]), home, time, date);
        if (timing == ReminderTiming::Due) continue;
        // It would not go off at its time: not armed, and the user is told which clock's it was.
        m_checkEnable[k].SetCheck(BST_UNCHECKED);
        Refusals& refusals = timing == ReminderTiming::Past ? past : repeated;
        CString line;
        line.Format(LoadText(IDS_REMINDER_PAST_CLOCK), static_cast<LPCWSTR>(m_strCityNames[k]),
                    static_cast<LPCWSTR>(time), static_cast<LPCWSTR>(date));
        refusals.lines += line + L"\n";
        ++refusals.count;
    }
    CString text;
    if (past.count > 0)
        text += past.lines + L"\n" + LoadText(past.count == 1 ? IDS_REMINDER_IN_THE_PAST : IDS_REMINDERS_IN_THE_PAST);
    if (repeated.count > 0)
        text += (text.IsEmpty() ? CString() : CString(L"\n\n")) + repeated.lines + L"\n" +
                LoadText(repeated.count == 1 ? IDS_REMINDER_REPEATED_READING : IDS_REMINDERS_REPEATED_READING);
    if (!text.IsEmpty()) MessageBox(text, nullptr, MB_OK | MB_ICONEXCLAMATION);
    return !text.IsEmpty();
}

bool CRemindersDlg::SaveReminders(bool tell) {
    int32_t cities[kClockCount];
    ReadClockCityIndexes(m_registry, cities);
    const ReminderHome home = GetReminderHome();
    // What each reminder becomes: unticked, not set and its texts empty; ticked, set for its
    // boxes' time; ticked with boxes that give no time, left as it was stored.
    CString times[kReminderCount], dates[kReminderCount], descs[kReminderCount];
    bool set[kReminderCount] = {};
    for (int k = 0; k < kReminderCount; ++k) {
        if (m_checkEnable[k].GetCheck() != BST_CHECKED) continue;
        times[k] = m_strTimes[k];
        dates[k] = m_strDates[k];
        descs[k] = m_strDescs[k];
        CString time, date;
        if (!ReadReminderTexts(k, time, date)) continue;
        times[k] = time;
        dates[k] = date;
        descs[k] = BoxText(m_editDesc[k]);
        set[k] = true;
    }
    // The notifications and the texts that describe them land together or not at all: no
    // reminder is armed whose texts were not stored, none stored as set that is not armed.
    int refused = -1;
    const StoreOutcome outcome = StoreAllOrNothing([&] {
        for (int k = 0; k < kReminderCount; ++k) {
            if (m_checkEnable[k].GetCheck() != BST_CHECKED) {
                ClearReminder(k);
            } else if (set[k] && !ScheduleReminder(m_db, k, static_cast<DWORD>(cities[k]), home, times[k],
                                                   dates[k], descs[k])) {
                refused = k;
                return false;
            }
        }
        for (int k = 0; k < kReminderCount; ++k)
            if (!m_registry.WriteString(HKEY_LOCAL_MACHINE, kRemindersKey, kTimeValues[k], times[k]) ||
                !m_registry.WriteString(HKEY_LOCAL_MACHINE, kRemindersKey, kDateValues[k], dates[k]) ||
                !m_registry.WriteString(HKEY_LOCAL_MACHINE, kRemindersKey, kDescValues[k], descs[k]))
                return false;
        return true;
    });
    if (outcome == StoreOutcome::Committed) {
        for (int k = 0; k < kReminderCount; ++k) {
            m_strTimes[k] = times[k];
            m_strDates[k] = dates[k];
            m_strDescs[k] = descs[k];
        }
        if (tell) MessageBox(LoadText(IDS_REMINDERS_SAVED), nullptr, MB_OK);
        return true;
    }
    if (outcome == StoreOutcome::Refused) {
        if (refused < 0) {
            ReportStorageFault(); // a write that failed without a word from the storage
        } else {
            CString line;
            line.Format(LoadText(IDS_REMINDER_PAST_CLOCK), static_cast<LPCWSTR>(m_strCityNames[refused]),
                        static_cast<LPCWSTR>(times[refused]), static_cast<LPCWSTR>(dates[refused]));
            MessageBox(line + L"\n\n" + LoadText(IDS_REMINDER_NOT_SET), nullptr, MB_OK | MB_ICONEXCLAMATION);
        }
    }
    return false;
}

void CRemindersDlg::OnDestroy() {
    // A form that goes without being closed (the program ending) still keeps what it holds.
    if (m_editYear.m_hWnd && !m_bClosedBySave) SaveReminders(false);
    for (HFONT* font : {&m_hTitleFont, &m_hNoteFont, &m_hNameFont}) {
        if (*font) ::DeleteObject(*font);
        *font = nullptr;
    }
    CDialog::OnDestroy();
}
