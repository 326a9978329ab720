// The main window's skin: the ten tab images from the skin's image folder, the strip's colours,
// the title's colours, and the Tools page's skin values.

#include "shell/MainDlg.h"

#include "core/RegistryKey.h"
#include "core/SkinFile.h"
#include "core/TextFiles.h"
#include "platform/framework/WaitCursor.h"
#include "platform/gdi/WinGdi.h"

namespace {

// The tab images in image-list order; the names ending in 1 are the selected tabs' images.
constexpr LPCWSTR kTabImageFiles[] = {L"clocks.bmp", L"map.bmp",    L"tools.bmp", L"clocks1.bmp", L"map1.bmp",
                                      L"tools1.bmp", L"weath.bmp", L"weath1.bmp", L"curr.bmp",    L"curr1.bmp"};
constexpr COLORREF kMaskColor = RGB(255, 0, 255);

} // namespace

void CMainDlg::ApplySkin() {
    CWaitCursor wait;
    CurrentSkin skin = LoadCurrentSkin(L"*");
    ShowSkinFallbackMessages(skin);
    if (skin.chosenUnreadable)
        m_registry.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", GetShippedFilePath(L"default.skn"));
    if (!skin.loaded) return;

    m_strSkinFolder = skin.folder;
    const CString general = GetSkinSection(skin.text, L"General");
    m_strSkinImageFolder = GetSkinValue(general, L"IF");

    m_tabImages.DeleteImageList();
    m_tabImages.Create(23, 23, ILC_MASK | ILC_COLOR24, 10, 10);
    CString path;
    // The first image is looked up under the image folder; each next one beside the one before.
    if (JoinSkinPath(m_strSkinFolder, m_strSkinImageFolder + kTabImageFiles[0], path)) {
        for (LPCWSTR file : kTabImageFiles) {
            if (file != kTabImageFiles[0]) {
                const int slash = path.ReverseFind(L'\\');
                path = path.Left(slash + 1) + file;
            }
            HBITMAP loaded = ::SHLoadImageFile(path);
            if (!loaded) continue;
            CBitmap bitmap;
            bitmap.Attach(loaded);
            m_tabImages.Add(&bitmap, kMaskColor);
        }
    }
    m_tabs.SetImageList(&m_tabImages);

    m_crStrip = SkinColor(GetSkinValue(general, L"TBC"));
    CThemedTabCtrl::SetThemeColor(m_crStrip);
    m_tabs.SetBackColor(m_crStrip);
    m_tabs.SetPanelColor(m_crStrip);

    m_crTitleBack = SkinColor(GetSkinValue(general, L"PC"));
    m_tabs.SetBorderColor(m_crTitleBack);
    m_brushTitle.DeleteObject();
    m_brushTitle.CreateSolidBrush(m_crTitleBack);

    m_crTitleText = SkinColor(GetSkinValue(general, L"PTC"));
    if (m_title.m_hWnd) m_title.Invalidate();
    if (m_tabs.m_hWnd) m_tabs.Invalidate();

    m_tabs.SetToolsSkin(m_strSkinFolder, m_strSkinImageFolder, m_crStrip);
}
