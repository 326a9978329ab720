#pragma once
// CCeCommandBar: the menu bar (command bar) at the bottom of a window, holding menus of the
// resource module, buttons, separators and adornments. OnUpdateCmdUI asks a command target for
// the state of every item, so the bar shows which commands can be used.

#include "platform/framework/Menu.h"
#include "platform/framework/Wnd.h"

class CCeCommandBar : public CWnd {
    DECLARE_DYNAMIC(CCeCommandBar)
public:
    CCeCommandBar() = default;

    // A visible bar across the bottom of pParentWnd's client area.
    using CWnd::Create;
    BOOL Create(CWnd* pParentWnd, UINT nID = AFX_IDW_TOOLBAR);
    // Menu wMenuID of the resource module, as an item before iButton (0xFFFF: at the end); each
    // of its pop-ups is one entry of the bar.
    BOOL InsertMenuBar(WORD wMenuID, WORD iButton = 0xFFFF);
    // A separator nWidth pixels wide before iButton (0xFFFF: at the end).
    BOOL InsertSeparator(int nWidth = 6, WORD iButton = 0xFFFF);
    BOOL AddAdornments(DWORD dwFlags = 0);
    // The texts must stay valid as long as the bar exists.
    BOOL AddToolTips(UINT nToolTips, LPWSTR* lpToolTipsTbl);
    // A strip bitmap of the resource module cut into nNumImages images; the first one's index.
    int AddBitmap(UINT nBitmapID, int nNumImages, int cx = 16, int cy = 15);
    BOOL AddButtons(UINT nButtons, const TBBUTTON* lpButtons);
    // The menu of the bar item iButton (the first menu when that item is none); a temporary wrapper.
    CMenu* GetMenu(WORD iButton = 0) const;
    int GetHeight() const;
    BOOL Show(BOOL bShow);
    BOOL IsVisible() const;

    // Command update of every menu entry and button: the target's update handlers decide, and an
    // item whose command has no handler at all is disabled when bDisableIfNoHndler.
    void OnUpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler = TRUE);
};
