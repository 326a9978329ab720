#pragma once
// CCmdUI: one command's user-interface state asked of its handler (ON_UPDATE_COMMAND_UI). The
// same object stands for a menu item (m_pMenu, m_nIndex), a command-bar button or another
// window (m_pOther); Enable, SetCheck and SetText apply to whichever it is.

#include "platform/framework/CmdTarget.h"

class CMenu;
class CWnd;

class CCmdUI {
public:
    CCmdUI() = default;
    virtual ~CCmdUI() = default;

    UINT m_nID = 0;
    UINT m_nIndex = 0;          // position of the item in m_pMenu
    UINT m_nIndexMax = 0;       // item count of m_pMenu
    CMenu* m_pMenu = nullptr;   // the menu holding the item
    CMenu* m_pSubMenu = nullptr; // set when the item opens a sub-menu
    CWnd* m_pOther = nullptr;   // a command bar or a window, when not a menu item
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;

    // For an item opening a sub-menu (updated through the sub-menu's first command), Enable
    // applies to that item; SetCheck and SetText leave it alone.
    virtual void Enable(BOOL bOn = TRUE);
    // 0 unchecked, 1 checked.
    virtual void SetCheck(int nCheck = 1);
    virtual void SetRadio(BOOL bOn = TRUE);
    virtual void SetText(LPCTSTR lpszText);
    // Lets the update go on to the next command target.
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Asks pTarget's handler; when it has none, and bDisableIfNoHndler, the item is disabled unless
    // the target handles the command itself. TRUE when a handler answered.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);
};

// The command update of every item of a pop-up menu: a plain item asks its handler (and is
// disabled when neither an update handler nor a command handler exists and bDisableIfNoHndler),
// an item opening a sub-menu is updated through the first item of its sub-menu, separators are
// skipped.
void AfxUpdateMenuCmdUI(CCmdTarget* pTarget, HMENU hPopup, BOOL bDisableIfNoHndler = TRUE);
