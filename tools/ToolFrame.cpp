#include "tools/ToolFrame.h"

#include "core/TextFiles.h"
#include "platform/ui/MessageBox.h"

ToolMetrics ReadToolMetrics() {
    ToolMetrics m;
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    m.workWidth = area.right - area.left;
    m.workHeight = area.bottom - area.top;
    m.menuHeight = ::GetSystemMetrics(SM_CYMENU);
    m.pageHeight = m.workHeight - m.menuHeight - 26;
    return m;
}

int ReadFontBase() {
    CRegistryKey registry;
    return static_cast<int>(registry.ReadDword(HKEY_LOCAL_MACHINE, kToolsRegistryKey, L"fontbase"));
}

CString ReadSharedFontFace() {
    CRegistryKey registry;
    CString face = registry.ReadString(HKEY_LOCAL_MACHINE, kToolsRegistryKey, L"font");
    return face.IsEmpty() ? CString(L"Arial") : face;
}

BOOL CreateToolFont(CFont& font, int height, int weight, BYTE quality, LPCWSTR face, BYTE pitchAndFamily) {
    font.DeleteObject();
    return font.CreateFont(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, quality, pitchAndFamily, face);
}

CurrentSkin ReadToolSkin() {
    CurrentSkin skin = LoadCurrentSkin(L"<");
    ShowSkinFallbackMessages(skin);
    if (skin.chosenUnreadable) {
        CRegistryKey registry;
        registry.WriteString(HKEY_LOCAL_MACHINE, kToolsRegistryKey, L"skin", GetShippedFilePath(L"default.skn"));
    }
    return skin;
}

void HideToolsList(CWnd* /*tool*/) {
    // The page container calls FocusTab(4) here when its Tools-list flag is set:
    //     CMainTabCtrl* container = static_cast<CMainTabCtrl*>(tool->GetParent());
    //     if (container && container->m_bToolsListShown) container->FocusTab(4);
    // It is wired in when the page container joins the Tools tab.
}

LRESULT LeaveTool(CWnd* tool) {
    tool->ShowWindow(SW_HIDE);
    if (CWnd* owner = tool->GetOwner()) owner->ShowWindow(SW_SHOWNORMAL);
    return 1;
}
