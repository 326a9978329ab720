// [SECTION] Construction and data exchange
// [SECTION] Initialisation and unit lists
// [SECTION] Conversion, value entry and the Edit menu
// [SECTION] Result scrolling
// [SECTION] Layout, painting and colours
// [SECTION] Skin
#include "tools/UnitConverterDlg.h"

#include "core/CommonHelpers.h"
#include "core/SkinFile.h"
#include "core/TextFiles.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WinApp.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/ResourceImages.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"
#include "shell/MainDlg.h"
#include "tools/ToolWindow.h"
#include "shell/AppMessages.h"
#include "tools/UnitEditorDlg.h"
#include "tools/UnitTables.h"

#include <algorithm>
#include <cmath>
#include <memory>

using namespace toolwin;

// [SECTION] Construction and data exchange

BEGIN_MESSAGE_MAP(CConverterDlg, CDialog)
    ON_BN_CLICKED(IDC_CONVERTER_CLEAR, &CConverterDlg::OnClear)
    ON_EN_CHANGE(IDC_CONVERTER_VALUE, &CConverterDlg::Convert)
    ON_WM_SHOWWINDOW()
    ON_WM_CTLCOLOR()
    ON_EN_SETFOCUS(IDC_CONVERTER_RESULT, &CConverterDlg::OnSetfocusResult)
    ON_CBN_SELCHANGE(IDC_CONVERTER_CATEGORY, &CConverterDlg::OnSelchangeCategory)
    ON_CBN_SELCHANGE(IDC_CONVERTER_FROM, &CConverterDlg::OnSelchangeFrom)
    ON_CBN_SELCHANGE(IDC_CONVERTER_TO, &CConverterDlg::OnSelchangeTo)
    ON_CBN_DROPDOWN(IDC_CONVERTER_FROM, &CConverterDlg::OnDropdownFrom)
    ON_CBN_DROPDOWN(IDC_CONVERTER_TO, &CConverterDlg::OnDropdownTo)
    ON_CBN_CLOSEUP(IDC_CONVERTER_FROM, &CConverterDlg::OnCloseupList)
    ON_CBN_CLOSEUP(IDC_CONVERTER_TO, &CConverterDlg::OnCloseupList)
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_VSCROLL()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_BN_CLICKED(IDC_CONVERTER_EDIT_UNITS, &CConverterDlg::OnEditUnits)
    ON_WM_SETTINGCHANGE()
    ON_EN_KILLFOCUS(IDC_CONVERTER_VALUE, &CConverterDlg::OnKillfocusValue)
    ON_EN_SETFOCUS(IDC_CONVERTER_VALUE, &CConverterDlg::OnSetfocusValue)
    ON_WM_ERASEBKGND()
    ON_EN_UPDATE(IDC_CONVERTER_VALUE, &CConverterDlg::OnUpdateValue)
    ON_WM_DESTROY()
    ON_MESSAGE(WM_APP_LEAVE_TOOL, &CConverterDlg::OnLeaveTool)
    ON_MESSAGE(WM_APP_UNDO_OR_DELETE_CATEGORY, &CConverterDlg::OnEditUndo)
    ON_MESSAGE(WM_APP_EDIT_CUT, &CConverterDlg::OnEditCut)
    ON_MESSAGE(WM_APP_EDIT_COPY, &CConverterDlg::OnEditCopy)
    ON_MESSAGE(WM_APP_EDIT_PASTE, &CConverterDlg::OnEditPaste)
    ON_MESSAGE(WM_APP_EDIT_SELECT_ALL, &CConverterDlg::OnEditSelectAll)
END_MESSAGE_MAP()

namespace {

constexpr int kResultWindow = 15; // characters the result field shows when scrolled
constexpr int kListRows = 5;      // rows an open unit list shows at the least (every unit when fewer)
// The characters of a result as "%.15g" writes it.
constexpr const wchar_t* kResultCharacters = L"0123456789.e+-";
// The picture frame around each field is this much wider than the field.
constexpr int kFrameBeyondField = 7;
const COLORREF kButtonFace = RGB(194, 211, 228);
const COLORREF kButtonText = RGB(50, 50, 150);

CString FormatResult(double value) {
    CString text;
    text.Format(L"%.15g", value);
    return text;
}

} // namespace

CConverterDlg::CConverterDlg(CWnd* pParent) : CDialog(IDD_CONVERTER, pParent) {}

CConverterDlg::~CConverterDlg() = default;

BOOL CConverterDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDOK && lParam == 0) return FALSE; // Enter keeps the tool open
    return CDialog::OnCommand(wParam, lParam);
}

void CConverterDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CONVERTER_RESULT_FRAME, m_resultFrame);
    DDX_Control(pDX, IDC_CONVERTER_VALUE_FRAME, m_valueFrame);
    DDX_Control(pDX, IDC_CONVERTER_CATEGORY, m_category);
    DDX_Control(pDX, IDC_CONVERTER_BOTTOM_BAND, m_bottomBand);
    DDX_Control(pDX, IDC_CONVERTER_RESULT_LABEL, m_resultLabel);
    DDX_Control(pDX, IDC_CONVERTER_FROM_LABEL, m_fromLabel);
    DDX_Control(pDX, IDC_CONVERTER_TOP_BAND, m_topBand);
    DDX_Control(pDX, IDC_CONVERTER_LABEL, m_convertLabel);
    DDX_Control(pDX, IDC_CONVERTER_VALUE, m_valueField);
    DDX_Control(pDX, IDC_CONVERTER_TO, m_toList);
    DDX_Control(pDX, IDC_CONVERTER_FROM, m_fromList);
    DDX_Control(pDX, IDC_CONVERTER_RESULT, m_resultField);
    DDX_Text(pDX, IDC_CONVERTER_RESULT, m_resultValue);
}

// [SECTION] Initialisation and unit lists

void CConverterDlg::ReadMetrics() {
    ToolMetrics m = ReadToolMetrics();
    m_nWidth = m.width;
    m_nHeight = m.height;
    m_nPageHeight = m.pageHeight;
    m_nMenuHeight = m.menuHeight;
}

BOOL CConverterDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    UndoAnnounced = false;
    ResultScrollOffset = 0;

    m_background.DeleteObject();
    m_background.Attach(::SHLoadImageFile(GetProgramFolder() + L"\\Portrait\\convert.jpg"));

    {
        CWaitCursor wait;
        m_units.Open();
        LoadUnitTables(m_units);
    }
    m_dialogBrush.CreateSolidBrush(RGB(238, 238, 238));
    m_whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
    ReadMetrics();

    int fontBase = ToolFontBase();
    CString face = ToolFontFace();
    CreateToolFont(m_labelFont, fontBase + 14, 700, face, DEFAULT_QUALITY);
    m_fromLabel.SetFont(&m_labelFont);
    m_resultLabel.SetFont(&m_labelFont);
    m_convertLabel.SetFont(&m_labelFont);
    CreateToolFont(m_buttonFont, fontBase + 14, 500, face, DEFAULT_QUALITY);
    CreateToolFont(m_listFont, 14, 400, L"Arial", DEFAULT_QUALITY);
    m_category.SetFont(&m_listFont);
    m_fromList.SetFont(&m_listFont);
    m_toList.SetFont(&m_listFont);
    CreateToolFont(m_fieldFont, 13, 400, L"Arial", DEFAULT_QUALITY);
    m_resultField.SetFont(&m_fieldFont);
    m_valueField.SetFont(&m_fieldFont);
    MeasureFieldWidth();
    CreateToolFont(m_lastFont, fontBase + 14, 500, face, ANTIALIASED_QUALITY);
    m_pFont = &m_lastFont;

    m_clearButton.SubclassDlgItem(IDC_CONVERTER_CLEAR, this);
    m_editUnitsButton.SubclassDlgItem(IDC_CONVERTER_EDIT_UNITS, this);
    for (CIconButton* button : {&m_clearButton, &m_editUnitsButton}) {
        button->SetFont(&m_buttonFont);
        button->SetColor(0, kButtonFace, TRUE);
        button->SetColor(2, kButtonFace, TRUE);
        button->SetColor(4, kButtonFace, TRUE);
        button->SetColor(3, kButtonText, TRUE);
    }
    m_clearButton.SetIcon(IDI_CLEAR, 16, 16);
    m_editUnitsButton.SetIcon(IDI_EDIT_UNITS, 16, 16);

    FillUnitLists(); // category 0 until the combo says otherwise
    for (UINT id = IDS_UNIT_CATEGORY_AREAS; id <= IDS_UNIT_CATEGORY_WEIGHTS; ++id) {
        m_scratch.LoadString(id);
        m_category.AddString(m_scratch);
    }
    m_category.SetCurSel(0);

    m_valueField.SetWindowText(L"0");
    m_resultField.SetWindowText(L"0");
    SetDropWidths();
    AdjustComboDropHeight(&m_category, 8);
    AdjustComboDropHeight(&m_fromList, 8);
    AdjustComboDropHeight(&m_toList, 8);

    m_category.SetFocus();
    ApplySkin();
    return FALSE;
}

// Fifteen of the widest characters a result holds, in the fields' font, and the field's margins:
// so the result field shows its fifteen characters whole wherever the arrows have moved them.
void CConverterDlg::MeasureFieldWidth() {
    CClientDC dc(&m_resultField);
    CFont* old = dc.SelectObject(&m_fieldFont);
    int widest = 0;
    for (const wchar_t* c = kResultCharacters; *c; ++c) widest = std::max(widest, static_cast<int>(dc.GetTextExtent(c, 1).cx));
    if (old) dc.SelectObject(old);
    const DWORD margins = static_cast<DWORD>(m_resultField.SendMessage(EM_GETMARGINS));
    m_nFieldWidth = std::max(93, kResultWindow * widest + LOWORD(margins) + HIWORD(margins));
}

// The unit names of the chosen category into both lists, the first unit chosen in both.
void CConverterDlg::FillUnitLists() {
    int category = m_category.GetSafeHwnd() ? m_category.GetCurSel() : 0;
    if (category < 0) category = 0;
    m_fromList.ResetContent();
    m_toList.ResetContent();
    if (category == kTemperatureCategory) {
        for (const CString& name : TemperatureUnitNames) {
            m_fromList.AddString(name);
            m_toList.AddString(name);
        }
    } else if (UnitTable* table = UnitTableOfCategory(category)) {
        for (int i = 0; i < table->count; ++i) {
            m_fromList.AddString(table->entries[i].name);
            m_toList.AddString(table->entries[i].name);
        }
    }
    m_fromList.SetCurSel(0);
    m_toList.SetCurSel(0);
}

// Both lists drop down as wide as the from list's widest unit name.
void CConverterDlg::SetDropWidths() {
    CClientDC dc(&m_fromList);
    CFont* old = dc.SelectObject(m_fromList.GetFont());
    int widest = 0;
    for (int i = 0; i < m_fromList.GetCount(); ++i) {
        CString text;
        m_fromList.GetLBText(i, text);
        int cx = dc.GetTextExtent(text).cx;
        if (cx > widest) widest = cx;
    }
    if (old) dc.SelectObject(old);
    int width = widest + 2 * ::GetSystemMetrics(SM_CXEDGE) + ::GetSystemMetrics(SM_CXVSCROLL);
    m_fromList.SetDroppedWidth(width);
    m_toList.SetDroppedWidth(width);
}

void CConverterDlg::ReloadUnits() {
    m_fromList.ResetContent();
    m_toList.ResetContent();
    m_units.FollowStore(); // the editor may have stored the units the converter held in memory
    LoadUnitTables(m_units);
    OnSelchangeCategory();
}

void CConverterDlg::OnSelchangeCategory() {
    CWaitCursor wait;
    FillUnitLists();
    CString text;
    m_valueField.GetWindowText(text);
    m_value = ReadDecimal(text);
    if (CategoryHasUnits()) {
        m_resultValue = m_value; // from and to are the same unit now
        ShowResult();
    } else {
        ClearResult();
    }
    m_valueField.SetFocus();
    SetDropWidths();
}

bool CConverterDlg::CategoryHasUnits() const { return m_fromList.GetCount() > 0 && m_toList.GetCount() > 0; }

void CConverterDlg::ClearResult() {
    m_resultValue = 0;
    m_resultField.SetWindowText(L"");
    ResultText.Empty();
    ResultScrollOffset = 0;
    InvalidateArrowBand();
}

void CConverterDlg::OnSelchangeFrom() {
    Convert();
    HideToolsList(this);
}

void CConverterDlg::OnSelchangeTo() {
    Convert();
    HideToolsList(this);
}

void CConverterDlg::OnDropdownFrom() { MakeRoomForList(m_fromList); }
void CConverterDlg::OnDropdownTo() { MakeRoomForList(m_toList); }

void CConverterDlg::MakeRoomForList(CComboBox& list) {
    m_nOffsetBeforeList = m_scroll.Offset();
    m_bPanelDownForList = false;
    SIPINFO info{};
    info.cbSize = sizeof(info);
    if (!::SipGetInfo(&info) || !(info.fdwFlags & SIPF_ON)) return;
    const int range = m_scroll.Range(this);
    const CRect visible(info.rcVisibleDesktop);
    CRect client, field;
    GetClientRect(&client);
    ClientToScreen(&client);
    list.GetWindowRect(&field);
    // Room beside the field at each offset; the first offset with the most room wins, so the
    // content stays where it is when moving gains nothing.
    auto room = [&](int offset) {
        const int shift = offset - m_scroll.Offset();
        const int top = field.top - shift, bottom = field.bottom - shift;
        if (top < client.top || bottom > std::min(client.bottom, visible.bottom)) return -1;
        return std::max(static_cast<int>(visible.bottom) - bottom, top - static_cast<int>(visible.top));
    };
    int best = m_scroll.Offset();
    for (int offset = 0; offset <= range; ++offset)
        if (room(offset) > room(best)) best = offset;
    const int fewest = std::min(list.GetCount(), kListRows) * list.GetItemHeight(0) + 2;
    if (room(best) >= fewest) return m_scroll.ScrollTo(this, best);
    // Above the raised panel no place of the field leaves the list its rows: the panel steps
    // aside while the user picks (the window lays itself out for the room), and comes back when
    // the list closes.
    m_bPanelDownForList = true;
    ::SHSipPreference(m_hWnd, SIP_DOWN);
}

void CConverterDlg::OnCloseupList() {
    if (m_bPanelDownForList) {
        m_bPanelDownForList = false;
        m_nOffsetBeforeList = -1;
        ::SHSipPreference(m_hWnd, SIP_UP);
        return;
    }
    const bool moved = m_nOffsetBeforeList >= 0 && m_nOffsetBeforeList != m_scroll.Offset();
    if (moved) {
        m_scroll.ScrollTo(this, m_nOffsetBeforeList);
        // What the closed list uncovered is not painted yet: moving the content copied it as it
        // stood, so everything is drawn afresh.
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    m_nOffsetBeforeList = -1;
}

// [SECTION] Conversion, value entry and the Edit menu

void CConverterDlg::Convert() {
    if (!m_category.GetSafeHwnd()) return; // a change before the controls are bound
    int c = m_category.GetCurSel();
    int f = m_fromList.GetCurSel();
    int t = m_toList.GetCurSel();
    CString text;
    m_valueField.GetWindowText(text);
    m_value = ReadDecimal(text);
    if (c == kTemperatureCategory) {
        double result = 0;
        if (f < 0 || t < 0) return;
        if (!ConvertTemperature(f, t, m_value, result)) {
            m_scratch.LoadString(IDS_BELOW_ABSOLUTE_ZERO);
            MessageBox(m_scratch, nullptr, MB_OK);
            m_resultField.SetWindowText(L"0");
        } else {
            m_resultValue = result;
            ShowResult();
        }
    } else {
        UnitTable* table = UnitTableOfCategory(c);
        if (!table || f < 0 || t < 0 || f >= table->count || t >= table->count) return ClearResult();
        m_resultValue = ConvertByFactor(m_value, table->entries[f].factor, table->entries[t].factor);
        ShowResult();
    }
    m_resultField.GetWindowText(ResultText);
    ResultScrollOffset = 0;
    InvalidateArrowBand();

    if (m_valueField.GetModify() && !UndoAnnounced) {
        // The main window (the page container's parent) enables Edit > Undo.
        CWnd* container = GetParent();
        if (auto* main = dynamic_cast<CMainDlg*>(container ? container->GetParent() : nullptr))
            main->m_bUndoAvailable = 1;
        UndoAnnounced = true;
    }
}

void CConverterDlg::ShowResult() {
    // A value or result beyond what a number holds would read "inf" or "nan": a short word says
    // so instead.
    if (std::isfinite(m_resultValue)) {
        m_resultField.SetWindowText(FormatResult(m_resultValue));
        return;
    }
    m_scratch.LoadString(IDS_RESULT_TOO_LARGE);
    m_resultField.SetWindowText(m_scratch);
}

void CConverterDlg::OnClear() {
    m_value = 0;
    m_resultValue = 0;
    m_valueField.SetWindowText(L"0");
    m_resultField.SetWindowText(L"0");
    UpdateData(FALSE);
    if (!CategoryHasUnits()) ClearResult();
    HideToolsList(this);
}

void CConverterDlg::OnShowWindow(BOOL bShow, UINT nStatus) {
    CDialog::OnShowWindow(bShow, nStatus);
    if (!m_valueField.GetSafeHwnd()) return;
    m_valueField.SetWindowText(L"0");
    m_resultField.SetWindowText(L"0");
    UpdateData(FALSE);
    if (!CategoryHasUnits()) ClearResult();
}

void CConverterDlg::OnUpdateValue() {
    FilterNumericEntry(m_valueField);
}

void CConverterDlg::OnKillfocusValue() {
    if (m_valueField.GetWindowTextLength() == 0) m_valueField.SetWindowText(L"0");
}

void CConverterDlg::OnSetfocusValue() {
    ::SHSipPreference(m_hWnd, SIP_UP);
    HideToolsList(this);
}

void CConverterDlg::OnSetfocusResult() { m_valueField.SetFocus(); }

void CConverterDlg::SelectAllValue() {
    m_valueField.SetSel(0, -1);
    m_valueField.SendMessage(EM_SCROLLCARET);
}

LRESULT CConverterDlg::OnEditUndo(WPARAM, LPARAM) {
    m_valueField.Undo();
    // The main window clears its Undo flag after this: the next change announces itself again.
    UndoAnnounced = false;
    return 1;
}

LRESULT CConverterDlg::OnEditCut(WPARAM, LPARAM) {
    SelectAllValue();
    m_valueField.Copy();
    m_valueField.SetWindowText(L"0");
    return 1;
}

LRESULT CConverterDlg::OnEditCopy(WPARAM, LPARAM) {
    SelectAllValue();
    m_valueField.Copy();
    return 1;
}

LRESULT CConverterDlg::OnEditPaste(WPARAM, LPARAM) {
    SelectAllValue();
    m_valueField.Paste();
    return 1;
}

LRESULT CConverterDlg::OnEditSelectAll(WPARAM, LPARAM) {
    SelectAllValue();
    m_valueField.SetFocus();
    return 1;
}

void CConverterDlg::OnEditUnits() {
    auto editor = std::make_unique<CUnitEditDlg>(nullptr);
    editor->DoModal();
    ReloadUnits();
    HideToolsList(this);
}

LRESULT CConverterDlg::OnLeaveTool(WPARAM, LPARAM) { return LeaveToolWindow(this); }

// [SECTION] Result scrolling

CConverterDlg::ResultArrows CConverterDlg::GetResultArrows() const {
    int x0 = LayoutLeft();
    const int right = x0 + 4 + m_nFieldWidth; // the result field's right edge
    if (IsPortrait()) return {{right - 16, 126}, {x0 + 5, 126}, {x0 + 4, 126, right, 150}};
    if (!IsSquareScreenNot320()) return {{x0 - 17, 109}, {x0 - 38, 109}, {0, 109, x0 + 4, 126}};
    // Square screens: both arrows on the row above the result field, inside the band.
    return {{right - 16, 92}, {right - 37, 92}, {x0 + 4, 92, right, 109}};
}

void CConverterDlg::ShowResultText() { m_resultField.SetWindowText(ResultText.Mid(ResultScrollOffset)); }

void CConverterDlg::ScrollResultForward() {
    if (ResultScrollOffset + 1 > ResultText.GetLength() - kResultWindow) return;
    ++ResultScrollOffset;
    ShowResultText();
}

void CConverterDlg::ScrollResultBack() {
    if (ResultScrollOffset <= 0) return;
    --ResultScrollOffset;
    ShowResultText();
}

void CConverterDlg::InvalidateArrowBand() {
    CRect band = GetResultArrows().band;
    band.OffsetRect(0, -m_scroll.Offset());
    InvalidateRect(&band, TRUE);
}

void CConverterDlg::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*) { m_scroll.OnVScroll(this, nSBCode, nPos); }

void CConverterDlg::OnLButtonDown(UINT, CPoint point) {
    HideToolsList(this);
    point.y += m_scroll.Offset(); // the arrows' boxes lie where the controls were placed
    if (ResultText.GetLength() <= kResultWindow) return;
    ResultArrows arrows = GetResultArrows();
    auto inside = [&](POINT icon) {
        return point.x > icon.x && point.x < icon.x + 16 && point.y > icon.y && point.y < arrows.band.bottom;
    };
    bool scrolled = false;
    if (inside(arrows.forward)) {
        ScrollResultForward();
        scrolled = true;
    } else if (inside(arrows.back)) {
        ScrollResultBack();
        scrolled = true;
    }
    if (scrolled) InvalidateArrowBand();
}

// A quick second tap on an arrow scrolls once more.
void CConverterDlg::OnLButtonDblClk(UINT nFlags, CPoint point) { OnLButtonDown(nFlags, point); }

// [SECTION] Layout, painting and colours

void CConverterDlg::Layout() {
    if (!m_category.GetSafeHwnd()) return;
    ReadMetrics();
    bool portrait = IsPortrait();
    // Placed from the top again; the bottom band's lower edge is the content's.
    m_nPlaceWidth = m_scroll.Prepare(this, portrait ? 195 : 167, m_nWidth);
    int W = m_nPlaceWidth;
    int x0 = LayoutLeft();
    const UINT flags = SWP_NOZORDER;
    m_topBand.SetWindowPos(nullptr, 0, 0, W, 25, flags);
    CString label;
    m_convertLabel.GetWindowText(label);
    int labelWidth;
    {
        CClientDC dc(&m_convertLabel);
        CFont* old = dc.SelectObject(m_convertLabel.GetFont());
        labelWidth = dc.GetTextExtent(label).cx + 10;
        if (old) dc.SelectObject(old);
    }
    m_convertLabel.SetWindowPos(nullptr, 5, 5, labelWidth, 20, flags);
    m_category.SetWindowPos(nullptr, labelWidth + 10, 3, W - labelWidth - 12, 20, flags);
    m_fromLabel.SetWindowPos(nullptr, 5, 37, 0, 0, flags | SWP_NOSIZE);
    const int frameWidth = m_nFieldWidth + kFrameBeyondField;
    m_valueFrame.SetWindowPos(nullptr, x0, 56, frameWidth, 23, flags);
    m_valueField.SetWindowPos(nullptr, x0 + 4, 60, m_nFieldWidth, 16, flags);
    CRect frame;
    m_valueFrame.GetClientRect(&frame);
    m_fromList.SetWindowPos(nullptr, x0 + 5 + frame.Width(), 58, std::min(130, W - (x0 + 5 + frame.Width()) - 2), 20, flags);
    m_resultLabel.SetWindowPos(nullptr, 5, 85, 0, 0, flags | SWP_NOSIZE);
    m_resultFrame.SetWindowPos(nullptr, x0, 105, frameWidth, 23, flags);
    m_resultField.SetWindowPos(nullptr, x0 + 4, 109, m_nFieldWidth, 16, flags);
    m_resultFrame.GetClientRect(&frame);
    m_toList.SetWindowPos(nullptr, x0 + 5 + frame.Width(), 107, std::min(130, W - (x0 + 5 + frame.Width()) - 2), 20, flags);
    m_bottomBand.SetWindowPos(nullptr, 0, portrait ? 165 : 137, W, 30, flags);
    m_clearButton.SetWindowPos(nullptr, W - 83, portrait ? 170 : 142, 80, 20, flags);
    m_editUnitsButton.SetWindowPos(nullptr, 3, portrait ? 170 : 142, 100, 20, flags);
    // Above a raised panel the value and its result stay in view together while the user types.
    CRect client;
    GetClientRect(&client);
    m_scroll.ScrollTo(this, 105 + 23 + 2 - client.Height());
}

void CConverterDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    Layout();
}

void CConverterDlg::OnSettingChange(UINT, LPCTSTR) {
    Layout();
    HideToolsListUnder(this);
    Invalidate(TRUE);
}

BOOL CConverterDlg::OnEraseBkgnd(CDC* pDC) {
    CDialog::OnEraseBkgnd(pDC);
    const CPoint origin = pDC->SetViewportOrg(0, -m_scroll.Offset());
    if (IsPortrait() && m_background.GetSafeHandle()) {
        BITMAP bm{};
        m_background.GetObject(sizeof bm, &bm);
        CDC mem;
        mem.CreateCompatibleDC(pDC);
        CBitmap* old = mem.SelectObject(&m_background);
        pDC->StretchBlt(0, 0, m_nWidth, m_nPageHeight, &mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        mem.SelectObject(old);
    }
    pDC->SetViewportOrg(origin);
    return TRUE;
}

void CConverterDlg::OnPaint() {
    CPaintDC dc(this);
    dc.SetViewportOrg(0, -m_scroll.Offset());
    int W = PlaceWidth();
    int x0 = LayoutLeft();
    bool portrait = IsPortrait();

    if (ResultText.GetLength() > kResultWindow) {
        ResultArrows arrows = GetResultArrows();
        HINSTANCE module = AfxGetResourceHandle();
        // Each arrow stands on a white tile, as the result field does: a skin's dark background
        // would swallow the dark arrow.
        auto drawArrow = [&](UINT id, POINT at) {
            HICON icon = static_cast<HICON>(::LoadImage(module, MAKEINTRESOURCE(id), IMAGE_ICON, 16, 16, 0));
            if (!icon) return;
            dc.FillSolidRect(at.x, at.y, 16, 16, RGB(255, 255, 255));
            ::DrawIconEx(dc.GetSafeHdc(), at.x, at.y, icon, 16, 16, 0, nullptr, DI_NORMAL);
            ::DestroyIcon(icon);
        };
        if (ResultScrollOffset < ResultText.GetLength() - kResultWindow) drawArrow(IDI_SCROLL_FORWARD, arrows.forward);
        if (ResultScrollOffset > 0) drawArrow(IDI_SCROLL_BACK, arrows.back);
    }

    CPen pen(PS_SOLID, 1, ScaleColor(m_panelColor, 0.9f));
    CPen* oldPen = dc.SelectObject(&pen);
    CGdiObject* oldBrush = dc.SelectStockObject(WHITE_BRUSH);
    dc.MoveTo(0, 25);
    dc.LineTo(W, 25);

    HBITMAP frame = ::LoadBitmap(AfxGetResourceHandle(), MAKEINTRESOURCE(IDB_FIELD_FRAME));
    if (frame) {
        BITMAP bm{};
        ::GetObjectW(frame, sizeof bm, &bm);
        const int frameWidth = m_nFieldWidth + kFrameBeyondField;
        ::TransparentImage(dc.GetSafeHdc(), x0, 56, frameWidth, 23, frame, 0, 0, bm.bmWidth, bm.bmHeight, RGB(255, 255, 255));
        ::TransparentImage(dc.GetSafeHdc(), x0, 105, frameWidth, 23, frame, 0, 0, bm.bmWidth, bm.bmHeight, RGB(255, 255, 255));
        ::DeleteObject(frame);
    }

    int lineA = portrait ? 164 : 136, lineB = portrait ? 195 : 167;
    dc.MoveTo(0, lineA);
    dc.LineTo(W, lineA);
    dc.MoveTo(0, lineB);
    dc.LineTo(W, lineB);

    CFont font;
    CreateToolFont(font, ToolFontBase() + 14, 700, ToolFontFace(), ANTIALIASED_QUALITY);
    CFont* oldFont = dc.SelectObject(&font);
    dc.SetTextColor(m_labelColor);
    dc.SetBkMode(TRANSPARENT);
    // Each rule runs right of its label's box, or of the painted label where that is longer (a
    // longer word in another language), so that it never crosses the label.
    CString text;
    CRect box;
    text.LoadString(IDS_CONVERTER_FROM);
    dc.TextOut(5, 37, text);
    m_fromLabel.GetWindowRect(&box);
    int start = std::max(box.Width(), static_cast<int>(dc.GetTextExtent(text).cx)) + 10;
    dc.MoveTo(start, 44);
    dc.LineTo(W - 10, 44);
    text.LoadString(IDS_CONVERTER_RESULT);
    dc.TextOut(5, 85, text);
    m_resultLabel.GetWindowRect(&box);
    start = std::max(box.Width(), static_cast<int>(dc.GetTextExtent(text).cx)) + 10;
    dc.MoveTo(start, 92);
    dc.LineTo(W - 10, 92);
    dc.SelectObject(oldFont);
    dc.SelectObject(oldPen);
    if (oldBrush) dc.SelectObject(oldBrush);
}

HBRUSH CConverterDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH brush = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    switch (id) {
    case IDC_CONVERTER_CATEGORY:
    case IDC_CONVERTER_FROM:
    case IDC_CONVERTER_TO:
    case IDC_CONVERTER_VALUE:
    case IDC_CONVERTER_RESULT:
        return static_cast<HBRUSH>(m_whiteBrush.GetSafeHandle());
    case IDC_CONVERTER_TOP_BAND:
    case IDC_CONVERTER_BOTTOM_BAND:
        return static_cast<HBRUSH>(m_panelBrush.GetSafeHandle());
    case IDC_CONVERTER_LABEL:
        pDC->SetTextColor(m_panelTextColor);
        return static_cast<HBRUSH>(m_panelBrush.GetSafeHandle());
    default:
        break;
    }
    if (nCtlColor == CTLCOLOR_STATIC) pDC->SetTextColor(m_labelColor);
    (void)brush;
    return static_cast<HBRUSH>(m_dialogBrush.GetSafeHandle());
}

void CConverterDlg::OnDestroy() {
    CDialog::OnDestroy();
    m_pFont = nullptr;
    for (CFont* font : {&m_labelFont, &m_buttonFont, &m_listFont, &m_fieldFont, &m_lastFont}) font->DeleteObject();
    m_dialogBrush.DeleteObject();
    m_whiteBrush.DeleteObject();
    m_panelBrush.DeleteObject();
    m_background.DeleteObject();
}

// [SECTION] Skin

void CConverterDlg::ApplySkin() {
    CWaitCursor wait;
    ToolSkin skin = ReadToolSkin();
    if (!skin.loaded) return;
    m_skinName = skin.name;
    m_skinText = skin.text;
    m_skinFolder = skin.folder;
    m_portraitFolder = skin.portrait;
    const CString& tools = skin.tools;
    m_backgroundName = GetSkinValue(tools, L"BC");

    m_background.DeleteObject();
    CString folder, path;
    if (JoinSkinPath(m_skinFolder, m_portraitFolder, folder) && JoinSkinPath(folder, m_backgroundName, path))
        m_background.Attach(::SHLoadImageFile(path));

    m_panelColor = SkinColor(GetSkinValue(tools, L"PCC"));
    m_panelTextColor = SkinColor(GetSkinValue(tools, L"PCTC"));
    m_panelButtonColor = SkinColor(GetSkinValue(tools, L"PBCC"));
    m_labelColor = SkinColor(GetSkinValue(tools, L"TLC"));
    m_panelBrush.DeleteObject();
    m_panelBrush.CreateSolidBrush(m_panelColor);
    for (CIconButton* button : {&m_clearButton, &m_editUnitsButton}) {
        if (!button->GetSafeHwnd()) continue;
        button->SetColor(0, m_panelColor, TRUE);
        button->SetColor(2, m_panelColor, TRUE);
        button->SetColor(4, m_panelColor, TRUE);
        button->SetColor(3, m_panelButtonColor, TRUE);
    }
}
