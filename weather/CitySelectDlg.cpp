// The weather city choice dialogs and the weatcs country files.

#include "weather/CitySelectDlg.h"

#include "core/CommonHelpers.h"
#include "core/StorageFaults.h"
#include "core/WeatherPlaces.h"
#include "platform/framework/WinApp.h"
#include "core/TextFiles.h"
#include "platform/framework/DC.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/system/DeviceFiles.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"

#include <algorithm>

namespace {

RECT WorkArea() {
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// The height of the work area the user sees: down to the input panel's top while it is up (the
// Find box raises it), so that the lists and buttons are laid out above it.
int VisibleHeight(const RECT& area) {
    SIPINFO info{};
    info.cbSize = sizeof(info);
    const int full = area.bottom - area.top;
    if (!::SipGetInfo(&info) || !(info.fdwFlags & SIPF_ON)) return full;
    return std::min<int>(full, info.rcVisibleDesktop.bottom - area.top);
}

void MakeFont(CFont& font, int height, int weight) {
    font.DeleteObject();
    font.CreateFont(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial");
}

// The header band with the dialog's title, and "Find:" at findY; returns the label's width.
int PaintHeader(CDC& dc, int width, UINT titleId, CFont& titleFont, CFont& findFont, int findY) {
    PaintFormHeaderBand(dc, width, -2, 28);
    dc.SetBkMode(TRANSPARENT);
    CString title, find;
    title.LoadString(titleId);
    find.LoadString(IDS_FIND_LABEL);
    CFont* oldFont = dc.SelectObject(&titleFont);
    dc.TextOut(5, 5, title);
    dc.SelectObject(&findFont);
    dc.TextOut(5, findY, find);
    const int findWidth = dc.GetTextExtent(find).cx;
    dc.SelectObject(oldFont);
    return findWidth;
}

CString KeywordText() {
    CString text;
    text.LoadString(IDS_FIND_KEYWORD);
    return text;
}

} // namespace

CString CountryFolder() { return GetShippedFilePath(L"weatcs"); }

bool ReadCountryFile(LPCWSTR path, CString& text, std::vector<CString>& names) {
    bool damaged = false;
    return ReadCountryFile(path, text, names, damaged);
}

bool ReadCountryFile(LPCWSTR path, CString& text, std::vector<CString>& names, bool& damaged) {
    text.Empty();
    names.clear();
    damaged = false;
    CTextFileHandle file(OpenTextFile(path, TextFileKind::CountryCities, &damaged));
    if (!file) return false;
    for (;;) {
        CString line = ReadFileToken(file.Get(), L"\n");
        // An empty token is the end of the file (an empty line in the middle ends it too).
        if (line.IsEmpty() || line.Find(L'>') >= 0) break;
        const int semicolon = line.Find(L';');
        CString code = semicolon >= 0 ? line.Mid(semicolon + 1) : CString();
        if (!code.IsEmpty() && code[code.GetLength() - 1] == L'\r') code = code.Left(code.GetLength() - 1);
        // A line without a name and a code (a file cut inside a line) offers no city that could
        // ever be synchronised: it is left out, and the file reported as damaged.
        if (semicolon <= 0 || code.IsEmpty()) {
            damaged = true;
            continue;
        }
        text += line + L"\n";
        names.push_back(line.Left(semicolon));
    }
    return true;
}

CString CountryCityCode(const CString& countryText, const CString& name) {
    int start = 0;
    while (start < countryText.GetLength()) {
        int end = countryText.Find(L'\n', start);
        if (end < 0) end = countryText.GetLength();
        CString line = countryText.Mid(start, end - start);
        const int semicolon = line.Find(L';');
        if (semicolon >= 0 && line.Left(semicolon) == name) {
            CString code = line.Mid(semicolon + 1);
            if (!code.IsEmpty() && code[code.GetLength() - 1] == L'\r') code = code.Left(code.GetLength() - 1);
            return code;
        }
        start = end + 1;
    }
    return CString();
}

void SelectByFindText(CListBox& list, const CString& text) {
    if (text.IsEmpty()) {
        list.SetCurSel(-1);
        return;
    }
    list.SetCurSel(list.FindString(-1, text)); // no match (LB_ERR) selects nothing
}

// City selection ---------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CCitySelectDlg, CDialog)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_SETTINGCHANGE()
    ON_WM_DESTROY()
    ON_EN_CHANGE(IDC_CITY_FIND, &CCitySelectDlg::OnChangeFind)
    ON_EN_KILLFOCUS(IDC_CITY_FIND, &CCitySelectDlg::OnKillFocusFind)
    ON_EN_SETFOCUS(IDC_CITY_FIND, &CCitySelectDlg::OnSetFocusFind)
    ON_BN_CLICKED(IDC_CITY_ADD_OTHER, &CCitySelectDlg::OnAddOtherCities)
END_MESSAGE_MAP()

CCitySelectDlg::CCitySelectDlg(CWnd* pParent) : CDialog(IDD_CITY_SELECT, pParent) {}

void CCitySelectDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CITY_ADD_OTHER, m_addButton);
    DDX_Control(pDX, IDC_CITY_FIND, m_findEdit);
    DDX_Control(pDX, IDC_CITY_SELECT_LIST, m_list);
    DDX_Text(pDX, IDC_CITY_FIND, m_findText);
}

void CCitySelectDlg::FillList() {
    CWaitCursor wait;
    m_store.SeekFirst();
    while (!m_store.IsEOF()) {
        const DWORD index = m_store.GetCurrentIndex();
        CString name = m_store.GetName(index);
        CString country = m_store.GetCountry(index);
        // The sorted list keeps each item's store position: the pick is read from the item.
        const int item = m_list.AddString(name + L" - " + country);
        if (item >= 0) m_list.SetItemData(item, index);
        // A record that cannot be read does not move the cursor: stop rather than loop.
        if (m_store.GetCurrentIndex() <= index) break;
    }
    FitListExtentToTexts(m_list); // a long "name - country" scrolls sideways to its end
}

BOOL CCitySelectDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_store.Open();
    MakeFont(m_titleFont, 18, 700);
    MakeFont(m_findFont, 14, 700);
    MakeFont(m_buttonFont, 14, 400);
    m_addButton.SetFont(&m_buttonFont);
    FillList();
    m_findEdit.SetWindowText(KeywordText());
    m_findEdit.SetSel(0, -1);
    m_openedWith = m_chosenCity;
    if (!m_chosenCity.IsEmpty()) m_list.SetCurSel(ItemOfCity(m_chosenCity));
    CString add;
    add.LoadString(IDS_ADD_OTHER_CITIES_BUTTON);
    m_addButton.SetWindowText(add);
    m_list.SetFocus();
    return FALSE;
}

void CCitySelectDlg::LayOut() {
    if (!m_list.m_hWnd) return;
    const RECT area = WorkArea();
    const int w = area.right - area.left;
    const int h = VisibleHeight(area);
    if (m_findLabelWidth == 0) {
        CClientDC dc(this);
        m_findLabelWidth = PaintHeader(dc, w, IDS_CITY_SELECTION_TITLE, m_titleFont, m_findFont, 35);
    }
    // The button ends above the visible bottom; the list keeps at least a row above it.
    const int buttonY = std::max(55 + 20 + 5, std::min(h / 3 + 60, h - 22));
    m_findEdit.SetWindowPos(nullptr, m_findLabelWidth + 10, 35, 100, 20, SWP_NOZORDER | SWP_SHOWWINDOW);
    m_list.SetWindowPos(nullptr, 5, 55, w - 10, std::min(h / 3, buttonY - 5 - 55), SWP_NOZORDER | SWP_SHOWWINDOW);
    m_addButton.SetWindowPos(nullptr, w / 4, buttonY, w / 2, 20, SWP_NOZORDER | SWP_SHOWWINDOW);
}

void CCitySelectDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    LayOut();
}

void CCitySelectDlg::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
    CDialog::OnSettingChange(uFlags, lpszSection);
    LayOut();
    Invalidate(TRUE);
}

void CCitySelectDlg::OnPaint() {
    CPaintDC dc(this);
    const RECT area = WorkArea();
    m_findLabelWidth = PaintHeader(dc, area.right - area.left, IDS_CITY_SELECTION_TITLE, m_titleFont, m_findFont, 35);
}

// Escape leaves the place as it was: the keys or the Find box only moved the highlight.
void CCitySelectDlg::OnCancel() {
    m_cancelled = true;
    CDialog::OnCancel();
}

void CCitySelectDlg::OnDestroy() {
    // Nothing selected keeps the city the dialog was opened with, and so does a cancel.
    const int selection = m_list.m_hWnd && !m_cancelled ? m_list.GetCurSel() : -1;
    if (selection >= 0) m_chosenCity = m_store.GetName(static_cast<DWORD>(m_list.GetItemData(selection)));
    if (m_cancelled) m_chosenCity = m_openedWith;
    m_chosenIndex = selection;
    CDialog::OnDestroy();
    m_titleFont.DeleteObject();
    m_findFont.DeleteObject();
    m_buttonFont.DeleteObject();
}

// The list item of the weather city of that name, or -1; the first item that begins with the
// name when none has it whole (the store names a city by its name alone).
int CCitySelectDlg::ItemOfCity(const CString& name) {
    for (int i = 0; i < m_list.GetCount(); ++i)
        if (m_store.GetName(static_cast<DWORD>(m_list.GetItemData(i))) == name) return i;
    return m_list.FindString(-1, name);
}

void CCitySelectDlg::OnChangeFind() {
    CString text;
    m_findEdit.GetWindowText(text);
    SelectByFindText(m_list, text);
}

void CCitySelectDlg::OnKillFocusFind() {
    if (m_findEdit.GetWindowTextLength() == 0) m_findEdit.SetWindowText(KeywordText());
}

void CCitySelectDlg::OnSetFocusFind() { m_findEdit.SetWindowText(L""); }

void CCitySelectDlg::OnAddOtherCities() {
    CAddOtherCitiesDlg add(this);
    add.DoModal();
    const int remembered = m_list.GetCurSel();
    m_store.ReopenSorted(-1); // the add dialog changed the store through its own object
    m_list.ResetContent();
    FillList();
    if (add.m_lastAdded.IsEmpty()) {
        m_list.SetCurSel(remembered);
    } else {
        m_chosenCity = add.m_lastAdded;
        const int found = ItemOfCity(add.m_lastAdded);
        m_list.SetCurSel(found >= 0 ? found : 0);
    }
    m_list.SetFocus();
}

// Adding and removing weather cities ------------------------------------------------------------

BEGIN_MESSAGE_MAP(CAddOtherCitiesDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_SETTINGCHANGE()
    ON_CBN_SELCHANGE(IDC_COUNTRY_COMBO, &CAddOtherCitiesDlg::OnSelChangeCountry)
    ON_BN_CLICKED(IDC_ADD_COUNTRY_CITY, &CAddOtherCitiesDlg::OnAddCity)
    ON_BN_CLICKED(IDC_REMOVE_FAVORITE_CITY, &CAddOtherCitiesDlg::OnRemoveCity)
    ON_EN_CHANGE(IDC_CITY_FIND, &CAddOtherCitiesDlg::OnChangeSearch)
    ON_EN_KILLFOCUS(IDC_CITY_FIND, &CAddOtherCitiesDlg::OnKillFocusFind)
    ON_EN_SETFOCUS(IDC_CITY_FIND, &CAddOtherCitiesDlg::OnSetFocusFind)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CAddOtherCitiesDlg::CAddOtherCitiesDlg(CWnd* pParent) : CDialog(IDD_ADD_OTHER_CITIES, pParent) {}

void CAddOtherCitiesDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CITY_FIND, m_findEdit);
    DDX_Control(pDX, IDC_REMOVE_FAVORITE_CITY, m_removeButton);
    DDX_Control(pDX, IDC_ADD_COUNTRY_CITY, m_addButton);
    DDX_Control(pDX, IDC_FAVORITE_LABEL, m_favoriteLabel);
    DDX_Control(pDX, IDC_FAVORITE_CITIES, m_storeList);
    DDX_Control(pDX, IDC_COUNTRY_COMBO, m_countryCombo);
    DDX_Control(pDX, IDC_COUNTRY_CITIES, m_countryList);
    DDX_Text(pDX, IDC_CITY_FIND, m_findText);
}

BOOL CAddOtherCitiesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_store.Open();
    MakeFont(m_titleFont, 18, 700);
    MakeFont(m_findFont, 14, 700);
    MakeFont(m_labelFont, 14, 700);
    MakeFont(m_buttonFont, 14, 400);
    MakeFont(m_listFont, 13, 400);
    m_favoriteLabel.SetFont(&m_labelFont);
    m_addButton.SetFont(&m_buttonFont);
    m_removeButton.SetFont(&m_buttonFont);
    m_countryList.SetFont(&m_listFont);
    m_storeList.SetFont(&m_listFont);
    m_countryCombo.SetFont(&m_listFont);

    CString text;
    text.LoadString(IDS_FAVORITE_LIST);
    m_favoriteLabel.SetWindowText(text);
    text.LoadString(IDS_LANGUAGE_ADD);
    m_addButton.SetWindowText(text + L" >>");
    text.LoadString(IDS_TIP_REMOVE);
    m_removeButton.SetWindowText(text);

    {
        CWaitCursor wait;
        m_store.SeekFirst();
        while (!m_store.IsEOF()) {
            const DWORD index = m_store.GetCurrentIndex();
            m_storeList.AddString(m_store.GetName(index));
            if (m_store.GetCurrentIndex() <= index) break;
        }
    }
    FitListExtentToTexts(m_storeList);

    WIN32_FIND_DATAW found{};
    const CString pattern = CountryFolder() + L"\\*.*";
    HANDLE search = ::FindFirstFileW(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) m_countryCombo.AddString(found.cFileName);
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    if (m_countryCombo.GetCount() > 0) {
        m_countryCombo.SetCurSel(0);
        m_countryIndex = 0;
        LoadCountry();
    }
    FitListExtentToTexts(m_countryList);

    int widest = 0;
    {
        CClientDC dc(&m_countryCombo);
        CFont* old = dc.SelectObject(&m_listFont);
        for (int i = 0; i < m_countryCombo.GetCount(); ++i) {
            CString item;
            m_countryCombo.GetLBText(i, item);
            widest = std::max(widest, static_cast<int>(dc.GetTextExtent(item).cx));
        }
        dc.SelectObject(old);
    }
    m_countryCombo.SendMessage(CB_SETDROPPEDWIDTH,
                               widest + ::GetSystemMetrics(SM_CXVSCROLL) + 2 * ::GetSystemMetrics(SM_CXEDGE));
    AdjustComboDropHeight(&m_countryCombo, 8);
    m_findEdit.SetWindowText(KeywordText());
    m_countryList.SetFocus();
    return FALSE;
}

void CAddOtherCitiesDlg::LoadCountry() {
    CWaitCursor wait;
    CString country;
    m_countryCombo.GetWindowText(country);
    std::vector<CString> names;
    m_countryText.Empty();
    // A file name that would lead out of the folder is not opened.
    if (country.IsEmpty() || !IsNameInsideFolder(country)) return;
    bool damaged = false;
    ReadCountryFile(CountryFolder() + L"\\" + country, m_countryText, names, damaged);
    for (const CString& name : names) m_countryList.AddString(name);
    if (damaged) AfxMessageBox(IDS_COUNTRY_CITIES_FILE_DAMAGED, MB_OK);
}

void CAddOtherCitiesDlg::OnSelChangeCountry() {
    const int selection = m_countryCombo.GetCurSel();
    if (selection == m_countryIndex) return;
    m_countryList.ResetContent();
    m_countryIndex = selection;
    LoadCountry();
    FitListExtentToTexts(m_countryList);
}

void CAddOtherCitiesDlg::OnAddCity() {
    const int selection = m_countryList.GetCurSel();
    if (selection < 0) return;
    CString name;
    m_countryList.GetText(selection, name);
    const CString code = CountryCityCode(m_countryText, name);
    CString country;
    m_countryCombo.GetWindowText(country);
    // The city and the places it moves land together: a place left where it was would name the
    // city before it. A city held already is refused without a word; nothing changes.
    CRegistryKey registry;
    if (StoreAllOrNothing([&] { return AddWeatherCityKeepingPlaces(m_store, registry, name, code, country); }) !=
        StoreOutcome::Committed)
        return;
    m_storeList.AddString(name);
    FitListExtentToTexts(m_storeList);
    m_lastAdded = name;
    m_storeList.SelectString(-1, name);
}

void CAddOtherCitiesDlg::OnRemoveCity() {
    const int selection = m_storeList.GetCurSel();
    if (selection < 0) return;
    CString name;
    m_storeList.GetText(selection, name);
    CRegistryKey registry;
    if (StoreAllOrNothing([&] { return DeleteWeatherCityKeepingPlaces(m_store, registry, name); }) !=
        StoreOutcome::Committed)
        return;
    m_storeList.DeleteString(static_cast<UINT>(selection));
    FitListExtentToTexts(m_storeList);
    if (name == m_lastAdded) m_lastAdded.Empty(); // a city added and removed again is no choice
}

void CAddOtherCitiesDlg::OnChangeSearch() {
    CString text;
    m_findEdit.GetWindowText(text);
    SelectByFindText(m_countryList, text);
}

void CAddOtherCitiesDlg::OnKillFocusFind() {
    if (m_findEdit.GetWindowTextLength() == 0) m_findEdit.SetWindowText(KeywordText());
}

void CAddOtherCitiesDlg::OnSetFocusFind() { m_findEdit.SetWindowText(L""); }

void CAddOtherCitiesDlg::LayOut() {
    if (!m_countryList.m_hWnd) return;
    const RECT area = WorkArea();
    const int w = area.right - area.left;
    const int h = VisibleHeight(area);
    if (m_findLabelWidth == 0) {
        CClientDC dc(this);
        m_findLabelWidth = PaintHeader(dc, w, IDS_ADD_OTHER_CITIES_TITLE, m_titleFont, m_findFont, 60);
    }
    const UINT flags = SWP_NOZORDER | SWP_SHOWWINDOW;
    // The buttons end above the visible bottom, so that Add and Remove stay in reach while the
    // Find box has the input panel up; each list keeps at least a row above them where the room
    // allows it (a panel over a short screen leaves the country list less: Find still selects
    // in it and Add takes that city).
    const int buttonY = std::min(h - 22, std::max(80 + 16 + 2, h / 2 + 62));
    m_countryCombo.SetWindowPos(nullptr, 5, 35, w / 2 - 10, 20, flags);
    m_countryList.SetWindowPos(nullptr, 5, 80, w / 2 - 10, std::max(0, std::min(h / 2 - 20, buttonY - 2 - 80)), flags);
    m_favoriteLabel.SetWindowPos(nullptr, w / 2 + 5, 40, w / 2 - 10, 20, flags);
    m_storeList.SetWindowPos(nullptr, w / 2 + 5, 60, w / 2 - 10, std::min(h / 2, buttonY - 2 - 60), flags);
    m_addButton.SetWindowPos(nullptr, 5, buttonY, w / 2 - 10, 20, flags);
    m_removeButton.SetWindowPos(nullptr, w / 2 + 5, buttonY, w / 2 - 10, 20, flags);
    m_findEdit.SetWindowPos(nullptr, m_findLabelWidth + 10, 60, w / 2 - m_findLabelWidth - 10, 20, flags);
}

void CAddOtherCitiesDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    LayOut();
}

void CAddOtherCitiesDlg::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
    CDialog::OnSettingChange(uFlags, lpszSection);
    LayOut();
    Invalidate(TRUE);
}

void CAddOtherCitiesDlg::OnPaint() {
    CPaintDC dc(this);
    const RECT area = WorkArea();
    m_findLabelWidth = PaintHeader(dc, area.right - area.left, IDS_ADD_OTHER_CITIES_TITLE, m_titleFont, m_findFont, 60);
}

void CAddOtherCitiesDlg::OnDestroy() {
    CDialog::OnDestroy();
    for (CFont* font : {&m_titleFont, &m_findFont, &m_labelFont, &m_buttonFont, &m_listFont}) font->DeleteObject();
}
