#include "skins/loadui.h"

#include "core/CommonHelpers.h"
#include "core/CoreMessages.h"
#include "core/SkinFile.h"
#include "core/TextFiles.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/system/DeviceFiles.h"
#include "platform/ui/ShellFileInfo.h"
#include "resources/resource.h"
#include "skins/ColourPage.h"
#include "skins/Ui.h"

IMPLEMENT_DYNCREATE(loadui, CPropertyPage)

BEGIN_MESSAGE_MAP(loadui, CPropertyPage)
    ON_NOTIFY(NM_CLICK, IDC_UI_FOLDERS, &loadui::OnFolderClick)
    ON_BN_CLICKED(IDC_UI_LOAD_SKIN, &loadui::OnLoadSkin)
    ON_BN_CLICKED(IDC_UI_SET_DEFAULT, &loadui::OnSetDefault)
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_SETTINGCHANGE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

loadui::loadui() : CPropertyPage(IDD_LOAD_UI) {}

void loadui::DoDataExchange(CDataExchange* pDX) {
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UI_SET_DEFAULT, m_buttonSetDefault);
    DDX_Control(pDX, IDC_UI_LOAD_SKIN, m_buttonLoad);
    DDX_Control(pDX, IDC_UI_SKINS, m_listSkins);
    DDX_Control(pDX, IDC_UI_FOLDERS, m_listFolders);
}

BOOL loadui::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    CString skin = m_registry.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin");
    if (skin.IsEmpty()) skin = L"default";
    CString skinPath;
    if (skin == L"default") {
        m_strCurrentFolder = GetProgramFolder();
        skinPath = m_strCurrentFolder + L"\\default.skn";
    } else {
        m_strCurrentFolder = GetSkinFolder(skin);
        skinPath = skin;
    }
    SHFILEINFO info{};
    auto systemList = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfo(L"\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (systemList) {
        m_imageList.Attach(systemList);
        m_listFolders.SetImageList(&m_imageList, LVSIL_SMALL);
    }
    m_listFolders.InsertColumn(0, m_strCurrentFolder.IsEmpty() ? CString(L"\\") : m_strCurrentFolder, LVCFMT_LEFT, 100);
    ListFolders();
    ListSkins();
    for (int i = 0; i < m_listSkins.GetCount(); ++i) {
        CString line;
        m_listSkins.GetText(i, line);
        int open = line.ReverseFind(L'(');
        if (open < 0) continue;
        CString name = line.Mid(open + 1, line.GetLength() - open - 2);
        if (!name.IsEmpty() && skinPath.Find(name) >= 0) {
            m_listSkins.SetCurSel(i);
            break;
        }
    }
    MakePageFont(m_font, 13, FW_NORMAL);
    m_listFolders.SetFont(&m_font, TRUE);
    m_buttonLoad.SetFont(&m_font, TRUE);
    m_buttonSetDefault.SetFont(&m_font, TRUE);
    m_listSkins.SetFocus();
    LayOut();
    return FALSE;
}

void loadui::BrowseTo(const CString& folder) {
    m_strCurrentFolder = folder;
    ListFolders();
    SetFolderHeader();
    ListSkins();
}

void loadui::SetFolderHeader() {
    LVCOLUMN column{};
    column.mask = LVCF_TEXT;
    CString heading = m_strCurrentFolder.IsEmpty() ? CString(L"\\") : m_strCurrentFolder;
    column.pszText = const_cast<LPWSTR>(heading.GetString());
    m_listFolders.SetColumn(0, &column);
}

void loadui::ListFolders() {
    m_listFolders.DeleteAllItems();
    if (!m_strCurrentFolder.IsEmpty()) AddFolderEntry(L"..", GetSkinFolder(m_strCurrentFolder));
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(m_strCurrentFolder + L"\\*.*", &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN))
            AddFolderEntry(found.cFileName, m_strCurrentFolder + L"\\" + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void loadui::AddFolderEntry(const CString& name, const CString& path) {
    SHFILEINFO info{};
    // The root and other folders the shell cannot look at still show as folders.
    if (!SHGetFileInfo(path.IsEmpty() ? L"\\" : path.GetString(), 0, &info, sizeof(info),
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
        info.iIcon = 0;
    m_listFolders.InsertItem(m_listFolders.GetItemCount(), name, info.iIcon);
}

void loadui::ListSkins() {
    m_listSkins.ResetContent();
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(m_strCurrentFolder + L"\\*.skn", &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            CTextFileHandle file(
                OpenTextFile(m_strCurrentFolder + L"\\" + found.cFileName, TextFileKind::Skin));
            if (!file) continue;
            CString text = ReadFileToken(file.Get(), L"<");
            CString description = GetSkinValue(GetSkinSection(text, L"Description"), L"N");
            m_listSkins.AddString(description + L"(" + found.cFileName + L")");
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    if (m_listSkins.GetCount() == 0) {
        m_listSkins.AddString(LoadCoreString(IDS_UI_NO_SKINS));
        m_buttonLoad.EnableWindow(FALSE);
    } else {
        m_buttonLoad.EnableWindow(TRUE);
    }
}

void loadui::OnFolderClick(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    auto* click = reinterpret_cast<NMITEMACTIVATE*>(pNMHDR);
    if (click->iItem < 0) return;
    int mark = m_listFolders.GetSelectionMark();
    if (mark < 0) mark = click->iItem;
    CString name = m_listFolders.GetItemText(mark, 0);
    if (name == L"..") {
        int cut = m_strCurrentFolder.ReverseFind(L'\\');
        BrowseTo(cut >= 0 ? m_strCurrentFolder.Left(cut) : CString());
    } else {
        BrowseTo(m_strCurrentFolder + L"\\" + name);
    }
}

void loadui::OnLoadSkin() { LoadListedSkin(); }

bool loadui::LoadListedSkin() {
    CWaitCursor wait;
    const int chosen = m_listSkins.GetCurSel();
    int selected = chosen;
    if (selected < 0) {
        selected = m_listSkins.FindString(0, L"Default ");
        if (selected >= 0) m_listSkins.SetCurSel(selected);
    }
    // Nothing chosen and no default entry: there is no file to load.
    if (selected < 0) return true;
    CString line;
    m_listSkins.GetText(selected, line);
    int open = line.ReverseFind(L'(');
    CString fullPath;
    if (open >= 0 && line.GetLength() - open - 2 > 0)
        fullPath = m_strCurrentFolder + L"\\" + line.Mid(open + 1, line.GetLength() - open - 2);
    if (fullPath.IsEmpty() || !ValidateSkinFile(fullPath)) {
        ShowCoreMessage(IDS_SKIN_FILES_MISSING);
        return true;
    }
    CString value = fullPath == GetProgramFolder() + L"\\default.skn" ? CString(L"default") : fullPath;
    // The sheet loads a skin only once it is stored; a failed write (said by the registry
    // helper) keeps the skin in use on every page and the list as the user left it.
    if (!m_registry.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", value)) {
        m_listSkins.SetCurSel(chosen);
        return false;
    }
    if (auto* sheet = DYNAMIC_DOWNCAST(CUi, GetParentSheet())) sheet->LoadSkin();
    return true;
}

void loadui::OnSetDefault() {
    const CString folder = m_strCurrentFolder;
    const int chosen = m_listSkins.GetCurSel();
    {
        CWaitCursor wait;
        BrowseTo(GetProgramFolder());
        // The shipped file is default.skn: its entry is found whatever the letter case.
        for (int i = 0; i < m_listSkins.GetCount(); ++i) {
            CString line;
            m_listSkins.GetText(i, line);
            line.MakeLower();
            if (line.Find(L"(default.skn)") >= 0) {
                m_listSkins.SetCurSel(i);
                break;
            }
        }
    }
    // A default that could not be stored leaves the page on the folder and entry it showed.
    if (!LoadListedSkin()) {
        BrowseTo(folder);
        m_listSkins.SetCurSel(chosen);
    }
}

void loadui::OnPaint() {
    CPaintDC dc(this);
    dc.SetBkMode(TRANSPARENT);
    PaintPageTitleBand(dc, m_nWidth);
}

void loadui::OnSize(UINT nType, int cx, int cy) {
    CPropertyPage::OnSize(nType, cx, cy);
    LayOut();
}

void loadui::OnSettingChange(UINT, LPCTSTR) { LayOut(); }

void loadui::OnDestroy() {
    CPropertyPage::OnDestroy();
    m_font.DeleteObject();
    m_imageList.Detach();
}

void loadui::LayOut() {
    if (!m_listSkins.m_hWnd) return;
    const WorkAreaMetrics area = ReadWorkAreaMetrics();
    m_nWidth = PageLayoutWidth(*this, area.width);
    m_nHeight = area.height;
    m_nMenuHeight = area.menuHeight;
    m_nUsableHeight = area.usableHeight;
    const int w = m_nWidth, third = m_nUsableHeight / 3, half = w / 2, twoThirds = 2 * m_nUsableHeight / 3;
    const UINT flags = SWP_SHOWWINDOW | SWP_NOZORDER;
    if (IsSquareScreenNot320()) {
        m_listFolders.SetWindowPos(nullptr, 5, 34, w - 10, third, flags);
        m_listSkins.SetWindowPos(nullptr, 5, third + 39, w - 10, third - 10, flags);
        m_listFolders.SetColumnWidth(0, w - 30);
        m_buttonLoad.SetWindowPos(nullptr, 5, twoThirds + 34, half - 10, 20, flags);
        m_buttonSetDefault.SetWindowPos(nullptr, half + 5, twoThirds + 34, half - 10, 20, flags);
    } else if (w < m_nHeight) {
        m_listFolders.SetWindowPos(nullptr, 5, 34, w - 10, third, flags);
        m_listSkins.SetWindowPos(nullptr, 5, third + 39, w - 10, third, flags);
        m_listFolders.SetColumnWidth(0, w - 30);
        m_buttonLoad.SetWindowPos(nullptr, 5, twoThirds + 44, half - 10, 20, flags);
        m_buttonSetDefault.SetWindowPos(nullptr, half + 5, twoThirds + 44, half - 10, 20, flags);
    } else {
        // Landscape: the buttons stand beside the lists. Very narrow screens keep the lists
        // at least a few pixels wide.
        const int listWidth = w - 80 > 10 ? w - 80 : 10;
        m_listFolders.SetWindowPos(nullptr, 5, 34, listWidth, third + 10, flags);
        m_listSkins.SetWindowPos(nullptr, 5, third + 49, listWidth, third, flags);
        m_listFolders.SetColumnWidth(0, w - 100 > 10 ? w - 100 : 10);
        m_buttonLoad.SetWindowPos(nullptr, w - 70, 34, 65, 50, flags);
        m_buttonSetDefault.SetWindowPos(nullptr, w - 70, third + 49, 65, 50, flags);
    }
}
