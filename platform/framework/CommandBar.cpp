#include "platform/framework/CommandBar.h"

#include "platform/framework/CmdUI.h"
#include "platform/framework/WinApp.h"
#include "platform/system/Modules.h"

IMPLEMENT_DYNAMIC(CCeCommandBar, CWnd)

BOOL CCeCommandBar::Create(CWnd* pParentWnd, UINT nID) {
    if (m_hWnd || !pParentWnd) return FALSE;
    HWND hWnd = CommandBar_Create(AfxGetInstanceHandle(), pParentWnd->m_hWnd, static_cast<int>(nID));
    if (!hWnd) return FALSE;
    if (!SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return TRUE;
}

BOOL CCeCommandBar::InsertMenuBar(WORD wMenuID, WORD iButton) {
    return CommandBar_InsertMenubar(m_hWnd, AfxFindResourceHandle(MAKEINTRESOURCEW(wMenuID), RT_MENU), wMenuID, iButton);
}

BOOL CCeCommandBar::InsertSeparator(int nWidth, WORD iButton) {
    TBBUTTON separator{};
    separator.iBitmap = nWidth;
    separator.fsStyle = TBSTYLE_SEP;
    auto count = static_cast<int>(::SendMessageW(m_hWnd, TB_BUTTONCOUNT, 0, 0));
    int index = iButton == 0xFFFF || iButton > count ? count : iButton;
    return CommandBar_InsertButton(m_hWnd, index, &separator);
}

BOOL CCeCommandBar::AddAdornments(DWORD dwFlags) { return CommandBar_AddAdornments(m_hWnd, dwFlags, 0); }

BOOL CCeCommandBar::AddToolTips(UINT nToolTips, LPWSTR* lpToolTipsTbl) {
    return CommandBar_AddToolTips(m_hWnd, nToolTips, lpToolTipsTbl);
}

int CCeCommandBar::AddBitmap(UINT nBitmapID, int nNumImages, int cx, int cy) {
    return CommandBar_AddBitmap(m_hWnd, AfxGetResourceHandle(), static_cast<int>(nBitmapID), nNumImages, cx, cy);
}

BOOL CCeCommandBar::AddButtons(UINT nButtons, const TBBUTTON* lpButtons) {
    return CommandBar_AddButtons(m_hWnd, nButtons, lpButtons);
}

CMenu* CCeCommandBar::GetMenu(WORD iButton) const { return CMenu::FromHandle(CommandBar_GetMenu(m_hWnd, iButton)); }
int CCeCommandBar::GetHeight() const { return CommandBar_Height(m_hWnd); }
BOOL CCeCommandBar::Show(BOOL bShow) { return CommandBar_Show(m_hWnd, bShow); }
BOOL CCeCommandBar::IsVisible() const { return CommandBar_IsVisible(m_hWnd); }

void CCeCommandBar::OnUpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
    if (!m_hWnd || !pTarget) return;
    auto count = static_cast<int>(::SendMessageW(m_hWnd, TB_BUTTONCOUNT, 0, 0));
    CCmdUI state;
    state.m_pOther = this;
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        if (!::SendMessageW(m_hWnd, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button))) continue;
        if (button.fsStyle & TBSTYLE_SEP) continue;
        if (button.fsStyle & TBSTYLE_DROPDOWN) {
            // A menu: every entry's pop-up.
            auto menu = reinterpret_cast<HMENU>(button.dwData);
            int entries = ::GetMenuItemCount(menu);
            for (int e = 0; e < entries; ++e)
                if (HMENU popup = ::GetSubMenu(menu, e)) AfxUpdateMenuCmdUI(pTarget, popup, bDisableIfNoHndler);
            continue;
        }
        if (button.idCommand <= 0 || button.iBitmap < 0) continue; // adornments answer for themselves
        state.m_nID = static_cast<UINT>(button.idCommand);
        state.m_nIndex = static_cast<UINT>(i);
        state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
}
