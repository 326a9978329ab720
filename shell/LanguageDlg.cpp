#include "shell/LanguageDlg.h"

#include "core/CommonHelpers.h"
#include "core/CoreMessages.h"
#include "core/StorageFaults.h"
#include "core/TextFiles.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/WinApp.h"
#include "platform/framework/WindowDC.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/FileReplace.h"
#include "platform/system/Modules.h"
#include "platform/ui/MessageBox.h"
#include "resources/resource.h"
#include "shell/LanguageList.h"

namespace {

constexpr const wchar_t* kProgramKey = L"Jorvana";
constexpr const wchar_t* kModulePattern = L"Ondrel*.dll";
constexpr const wchar_t* kInstallFailed = L"Error. Could not load Language Module";
constexpr COLORREF kLinkColour = RGB(0, 0, 200);

CString LoadResourceString(UINT id) {
    AfxInstallStringLoader();
    CString text;
    text.LoadString(id);
    return text;
}

void MakeArialFont(CFont& font, int weight) {
    font.CreateFont(13, 0, 0, 0, weight, FALSE, FALSE, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial");
}

// The library at path counts as a language module; it is freed again either way.
bool ProbeLanguageModule(const CString& path) {
    HMODULE module = LoadLibraryW(path);
    bool valid = IsLanguageModule(module);
    if (module) FreeLibrary(module);
    return valid;
}

} // namespace

BEGIN_MESSAGE_MAP(CLanguageDlg, CDialog)
    ON_WM_SIZE()
    ON_WM_SETTINGCHANGE()
    ON_CBN_SELCHANGE(IDC_LANGUAGE_COMBO, &CLanguageDlg::OnSelChangeLanguage)
    ON_WM_PAINT()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_LANGUAGE_ADD, &CLanguageDlg::OnAddModule)
    ON_WM_LBUTTONDOWN()
    ON_NOTIFY(NM_CLICK, IDC_LANGUAGE_FOLDERS, &CLanguageDlg::OnClickFolders)
    ON_LBN_SELCHANGE(IDC_LANGUAGE_MODULES, &CLanguageDlg::OnSelChangeModule)
END_MESSAGE_MAP()

CLanguageDlg::CLanguageDlg(CWnd* pParent) : CDialog(IDD_LANGUAGE, pParent) {}

void CLanguageDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LANGUAGE_REMOVE_FILE, m_checkRemove);
    DDX_Control(pDX, IDC_LANGUAGE_FOLDERS, m_listFolders);
    DDX_Control(pDX, IDC_LANGUAGE_MODULES, m_listModules);
    DDX_Control(pDX, IDC_LANGUAGE_ADD, m_buttonAdd);
    DDX_Control(pDX, IDC_LANGUAGE_COMBO, m_comboLanguages);
}

BOOL CLanguageDlg::OnInitDialog() {
    m_bExpanded = FALSE;
    CDialog::OnInitDialog();

    bool damaged = false;
    std::vector<CString> entries = ReadOfferedLanguages(GetLanguageListPath(), damaged);
    if (damaged) AfxMessageBox(IDS_LANGUAGE_LIST_DAMAGED, MB_OK);
    if (!entries.empty()) {
        for (const CString& entry : entries) {
            m_strListText += entry + L"@";
            m_comboLanguages.AddString(LanguageDisplayName(entry));
        }
        m_strListText.MakeUpper();

        m_nStoredLanguage = static_cast<int>(m_registry.ReadDword(HKEY_LOCAL_MACHINE, kProgramKey, L"lang"));
        if (m_registry.RegistryStatus != CRegistryKey::kFound) {
            m_nStoredLanguage = 0;
            WriteLang(0);
        }
        m_comboLanguages.SetCurSel(m_nInitialSelection == -1 ? 0 : m_nInitialSelection);

        m_strCurrentFolder = kDocumentsFolder;
        m_listFolders.InsertColumn(0, m_strCurrentFolder, LVCFMT_LEFT, 100);
        ListFolders();
        ListModules();
        m_buttonAdd.SetWindowText(LoadResourceString(IDS_LANGUAGE_ADD));
    }

    MakeArialFont(m_fontNormal, FW_NORMAL);
    MakeArialFont(m_fontBold, FW_BOLD);
    m_listFolders.SetFont(&m_fontNormal);
    m_checkRemove.SetFont(&m_fontNormal);
    m_buttonAdd.SetFont(&m_fontBold);
    m_checkRemove.SetWindowText(LoadResourceString(IDS_REMOVE_FILE_AFTER_INSTALL));
    AdjustComboDropHeight(&m_comboLanguages, 8);
    LayOut();
    return TRUE;
}

bool CLanguageDlg::WriteLang(int lang) {
    return m_registry.WriteDword(HKEY_LOCAL_MACHINE, kProgramKey, L"lang", static_cast<DWORD>(lang));
}

void CLanguageDlg::BrowseTo(const CString& folder) {
    m_strCurrentFolder = folder;
    ListFolders();
    LVCOLUMN column{};
    column.mask = LVCF_TEXT;
    CString heading = m_strCurrentFolder.IsEmpty() ? CString(L"\\") : m_strCurrentFolder;
    column.pszText = const_cast<LPWSTR>(heading.GetString());
    m_listFolders.SetColumn(0, &column);
    ListModules();
}

void CLanguageDlg::ListFolders() {
    m_listFolders.DeleteAllItems();
    if (!m_strCurrentFolder.IsEmpty()) m_listFolders.InsertItem(0, L"..");
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(m_strCurrentFolder + L"\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN))
            m_listFolders.InsertItem(m_listFolders.GetItemCount(), found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void CLanguageDlg::ListModules() {
    m_listModules.ResetContent();
    bool foundNew = false;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(m_strCurrentFolder + L"\\" + kModulePattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            CString name = found.cFileName;
            name.MakeUpper();
            if (m_strListText.Find(name) < 0) {
                if (ProbeLanguageModule(m_strCurrentFolder + L"\\" + name)) {
                    m_listModules.AddString(name);
                    foundNew = true;
                }
            } else {
                m_listModules.AddString(name + L" (" + LoadResourceString(IDS_MODULE_INSTALLED) + L")");
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    if (m_listModules.GetCount() == 0) {
        m_listModules.AddString(LoadResourceString(IDS_NO_MODULE_AVAILABLE));
        m_buttonAdd.EnableWindow(FALSE);
        m_listModules.EnableWindow(FALSE);
    } else if (foundNew) {
        m_buttonAdd.EnableWindow(TRUE);
        m_listModules.EnableWindow(TRUE);
    }
}

void CLanguageDlg::OnClickFolders(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    auto* click = reinterpret_cast<NMITEMACTIVATE*>(pNMHDR);
    if (click->iItem < 0) return;
    int selected = m_listFolders.GetNextItem(-1, LVNI_SELECTED);
    if (selected < 0) selected = click->iItem;
    CString name = m_listFolders.GetItemText(selected, 0);
    if (name == L"..") {
        int cut = m_strCurrentFolder.ReverseFind(L'\\');
        BrowseTo(cut >= 0 ? m_strCurrentFolder.Left(cut) : CString());
    } else {
        BrowseTo(m_strCurrentFolder + L"\\" + name);
    }
}

void CLanguageDlg::OnSelChangeModule() {
    int selected = m_listModules.GetCurSel();
    if (selected < 0) return;
    CString name;
    m_listModules.GetText(selected, name);
    name.MakeUpper();
    if (name.Find(L"(INSTALLED)") >= 0) {
        int cut = name.Find(L" (INSTALLED)");
        if (cut >= 0) name = name.Left(cut);
    } else {
        // The mark in the language shown: " (" and string 33125 as the listing wrote it.
        CString mark = L" (" + LoadResourceString(IDS_MODULE_INSTALLED) + L")";
        mark.MakeUpper();
        int cut = name.Find(mark);
        if (cut >= 0) name = name.Left(cut);
    }
    m_buttonAdd.EnableWindow(m_strListText.Find(name) < 0);
}

BOOL CLanguageDlg::PlaceByMove(const CString& source, const CString& target) {
    if (MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING)) return TRUE;
    // A file that cannot be renamed across (another volume) is copied, then removed.
    return CopyFileW(source, target, FALSE) && (DeleteFileW(source), TRUE);
}

void CLanguageDlg::OnAddModule() {
    int selected = m_listModules.GetCurSel();
    CString name;
    if (selected >= 0) m_listModules.GetText(selected, name);
    CString source = m_strCurrentFolder + L"\\" + name;
    HMODULE module = name.IsEmpty() ? nullptr : LoadLibraryW(source);
    if (!IsLanguageModule(module)) {
        if (module) FreeLibrary(module);
        AfxMessageBox(kInstallFailed, MB_OK);
        return;
    }

    // The file goes into LangsRes first: an entry is listed only for a module that is there.
    CString modulesFolder = GetLanguageModulesFolder();
    CString target;
    bool moved = false;
    if (m_strCurrentFolder.CompareNoCase(modulesFolder) != 0) {
        CreateDirectoryW(modulesFolder, nullptr);
        target = modulesFolder + L"\\" + name;
        // A module moved or copied while loaded stays loaded from its old place: free it first.
        FreeLibrary(module);
        module = nullptr;
        // Either way the module arrives in one step: a move renames over an older file of that
        // name, a copy is written beside it and renamed over it. A program killed afterwards,
        // before the list below is written, has the module listed at its next start.
        moved = m_checkRemove.GetCheck() == BST_CHECKED;
        BOOL placed = moved ? PlaceByMove(source, target) : CopyFileW(source, target, FALSE);
        if (!placed) {
            // The module loaded from where it is: what failed is the writing into LangsRes (a
            // full device, a read-only folder).
            ShowCoreMessage(StorageMessageId(StorageSituation::NothingSaved, FileFaultCause(GetLastError())));
            return;
        }
    }

    CString entry;
    entry.Format(L"%d,%s,%s@", m_comboLanguages.GetCount(), ModuleDisplayName(name).GetString(), name.GetString());
    CString listText = m_strListText + entry;
    listText.MakeUpper();
    if (!WriteLanguageList(GetLanguageListPath(), listText)) {
        const StorageCause cause = FileFaultCause(GetLastError());
        // The list keeps its languages: the module goes back to where it was, so that no start
        // lists what the user was told is not installed.
        if (!target.IsEmpty()) {
            if (moved)
                MoveFileExW(target, source, MOVEFILE_REPLACE_EXISTING);
            else
                DeleteFileW(target);
        }
        if (module) FreeLibrary(module);
        ShowCoreMessage(StorageMessageId(StorageSituation::NothingSaved, cause));
        return;
    }
    m_comboLanguages.AddString(ModuleDisplayName(name));
    m_strListText = listText;
    ListModules();
    if (module) FreeLibrary(module);
}

void CLanguageDlg::OnSelChangeLanguage() {
    int selected = m_comboLanguages.GetCurSel();
    if (selected < 0) return;
    // A choice the device cannot store (said by the write) gives way to the stored language, so
    // that the combo, and the restart notice at closing, tell what the next start will use.
    if (WriteLang(selected))
        m_nStoredLanguage = selected;
    else
        m_comboLanguages.SetCurSel(m_nStoredLanguage);
}

void CLanguageDlg::OnDestroy() {
    int selected = m_comboLanguages.GetCurSel();
    // A combo without a selection (an empty list, an initial value beyond it) writes nothing.
    if (selected >= 0 && selected != m_nInitialSelection) {
        // A language that could not be stored is no new language at the next start: the
        // storage fault was said instead of the restart notice.
        if (WriteLang(selected) && m_nInitialSelection != -1) AfxMessageBox(IDS_RESTART_FOR_LANGUAGE, MB_OK);
    }
    CDialog::OnDestroy();
}

CRect CLanguageDlg::InstallLinkRect() {
    CClientDC dc(this);
    CFont* old = dc.SelectObject(GetFont());
    CSize size = dc.GetTextExtent(LoadResourceString(IDS_INSTALL_LANGUAGES));
    dc.SelectObject(old);
    CRect client;
    GetClientRect(&client);
    int left = (client.Width() - size.cx) / 2;
    return CRect(left, 70, left + size.cx, 70 + size.cy);
}

void CLanguageDlg::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.SetBkMode(TRANSPARENT);

    CFont* old = dc.SelectObject(GetFont());
    CString prompt = LoadResourceString(IDS_CHOOSE_LANGUAGE);
    CSize size = dc.GetTextExtent(prompt);
    dc.TextOut((client.Width() - size.cx) / 2, m_bExpanded ? 1 : 20, prompt);

    CFont linkFont;
    MakeArialFont(linkFont, FW_NORMAL);
    dc.SelectObject(&linkFont);
    CString link = LoadResourceString(IDS_INSTALL_LANGUAGES);
    size = dc.GetTextExtent(link);
    dc.SetTextColor(kLinkColour);
    dc.TextOut((client.Width() - size.cx) / 2, m_bExpanded ? 40 : 70, link);
    dc.SelectObject(old);
}

void CLanguageDlg::OnLButtonDown(UINT nFlags, CPoint point) {
    CRect link = InstallLinkRect();
    if (point.x > link.left && point.x < link.right && point.y > link.top && point.y < link.bottom) {
        m_bExpanded = TRUE;
        Invalidate();
        LayOut();
    }
    CDialog::OnLButtonDown(nFlags, point);
}

void CLanguageDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    LayOut();
}

void CLanguageDlg::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
    CDialog::OnSettingChange(uFlags, lpszSection);
    LayOut();
}

void CLanguageDlg::LayOut() {
    if (!m_comboLanguages.m_hWnd) return;
    RECT work{};
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    m_nWorkWidth = work.right - work.left;
    m_nWorkHeight = work.bottom - work.top;
    m_nMenuHeight = GetSystemMetrics(SM_CYMENU);
    m_nPanelHeight = m_nWorkHeight - m_nMenuHeight - 26;
    const int W = m_nWorkWidth;
    const int P = m_nPanelHeight;

    if (!m_bExpanded) {
        m_comboLanguages.MoveWindow(W / 2 - 60, 40, 120, 20);
        m_comboLanguages.ShowWindow(SW_SHOW);
        m_listFolders.ShowWindow(SW_HIDE);
        m_listModules.ShowWindow(SW_HIDE);
        m_buttonAdd.ShowWindow(SW_HIDE);
        m_checkRemove.ShowWindow(SW_HIDE);
        return;
    }

    int foldersHeight = P / 3, modulesTop = P / 3 + 39, modulesHeight = P / 3, rowTop = 2 * P / 3 + 44;
    if (IsSquareScreenNot320()) {
        modulesHeight = P / 3 - 10;
        rowTop = 2 * P / 3 + 34;
    } else if (W >= m_nWorkHeight) {
        foldersHeight = P / 3 + 10;
        modulesTop = P / 3 + 49;
        rowTop = 2 * P / 3 + 54;
    }
    m_comboLanguages.MoveWindow(W / 2 - 60, 17, 120, 20);
    m_listFolders.MoveWindow(5, 38, W - 10, foldersHeight);
    m_listModules.MoveWindow(5, modulesTop, W - 10, modulesHeight);
    m_buttonAdd.MoveWindow(5, rowTop, W / 3 - 10, 20);
    m_checkRemove.MoveWindow(W / 3 + 5, rowTop, 2 * W / 3 - 10, 20);
    m_listFolders.SetColumnWidth(0, W - 30);
    for (CWnd* control : {static_cast<CWnd*>(&m_comboLanguages), static_cast<CWnd*>(&m_listFolders),
                          static_cast<CWnd*>(&m_listModules), static_cast<CWnd*>(&m_buttonAdd),
                          static_cast<CWnd*>(&m_checkRemove)})
        control->ShowWindow(SW_SHOW);
}
