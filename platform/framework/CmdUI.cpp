#include "platform/framework/CmdUI.h"

#include "platform/framework/Menu.h"
#include "platform/framework/Wnd.h"

#include <vector>

namespace {
bool IsCommandBar(HWND hWnd) {
    WCHAR name[32] = {};
    ::GetClassNameW(hWnd, name, 32);
    return std::wstring_view(name) == device::ui::kCommandBarClass;
}
} // namespace

void CCmdUI::Enable(BOOL bOn) {
    if (m_pMenu) {
        // For an item opening a sub-menu this greys or restores the item itself.
        m_pMenu->EnableMenuItem(m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : MF_GRAYED));
    } else if (m_pOther) {
        if (IsCommandBar(m_pOther->m_hWnd))
            m_pOther->SendMessage(TB_ENABLEBUTTON, m_nID, bOn ? TRUE : FALSE);
        else
            m_pOther->EnableWindow(bOn);
    }
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck) {
    if (m_pMenu) {
        if (m_pSubMenu) return;
        m_pMenu->CheckMenuItem(m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
    } else if (m_pOther) {
        if (IsCommandBar(m_pOther->m_hWnd))
            m_pOther->SendMessage(TB_CHECKBUTTON, m_nID, nCheck ? TRUE : FALSE);
        else
            m_pOther->SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck), 0);
    }
}

void CCmdUI::SetRadio(BOOL bOn) { SetCheck(bOn ? 1 : 0); }

void CCmdUI::SetText(LPCTSTR lpszText) {
    if (m_pMenu) {
        if (m_pSubMenu) return;
        // The item keeps its state and command; only its text changes.
        UINT state = m_pMenu->GetMenuState(m_nIndex, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
        m_pMenu->ModifyMenu(m_nIndex, MF_BYPOSITION | MF_STRING | state, m_nID, lpszText);
    } else if (m_pOther && !IsCommandBar(m_pOther->m_hWnd)) {
        m_pOther->SetWindowText(lpszText);
    }
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
    if (m_nID == 0 || !pTarget) return TRUE;
    m_bEnableChanged = FALSE;
    BOOL handled = pTarget->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
    if (!handled && bDisableIfNoHndler && !m_bEnableChanged) {
        // No update handler: the item is usable only when the command itself has a handler.
        int query = 0;
        Enable(pTarget->OnCmdMsg(m_nID, CN_COMMAND, nullptr, &query));
    }
    return handled;
}

void AfxUpdateMenuCmdUI(CCmdTarget* pTarget, HMENU hPopup, BOOL bDisableIfNoHndler) {
    if (!pTarget || !hPopup) return;
    CMenu menu;
    menu.Attach(hPopup);
    CCmdUI state;
    state.m_pMenu = &menu;
    state.m_nIndexMax = static_cast<UINT>(menu.GetMenuItemCount());
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = menu.GetMenuItemID(static_cast<int>(state.m_nIndex));
        if (state.m_nID == 0) continue; // separator
        state.m_pSubMenu = nullptr;
        if (state.m_nID == static_cast<UINT>(-1)) {
            // A sub-menu: its state follows the first item of the sub-menu.
            HMENU sub = ::GetSubMenu(hPopup, static_cast<int>(state.m_nIndex));
            if (!sub) continue;
            state.m_nID = ::GetMenuItemID(sub, 0);
            if (state.m_nID == 0 || state.m_nID == static_cast<UINT>(-1)) continue;
            CMenu subMenu;
            subMenu.Attach(sub);
            state.m_pSubMenu = &subMenu;
            state.DoUpdate(pTarget, FALSE);
            subMenu.Detach();
            continue;
        }
        state.DoUpdate(pTarget, bDisableIfNoHndler);
        // A handler may have added or removed items.
        auto count = static_cast<UINT>(menu.GetMenuItemCount());
        if (count < state.m_nIndexMax) {
            state.m_nIndex -= (state.m_nIndexMax - count);
            state.m_nIndexMax = count;
        } else {
            state.m_nIndexMax = count;
        }
    }
    menu.Detach();
}
