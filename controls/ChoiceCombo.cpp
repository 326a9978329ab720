// The drop-down list that tells its parent of a choice once, when its list closes on it.

#include "controls/ChoiceCombo.h"

BEGIN_MESSAGE_MAP(CChoiceCombo, CComboBox)
    ON_CONTROL_REFLECT_EX(CBN_DROPDOWN, &CChoiceCombo::OnDropDown)
    ON_CONTROL_REFLECT_EX(CBN_SELCHANGE, &CChoiceCombo::OnSelChange)
    ON_CONTROL_REFLECT_EX(CBN_CLOSEUP, &CChoiceCombo::OnCloseUp)
    ON_CONTROL_REFLECT_EX(CBN_KILLFOCUS, &CChoiceCombo::OnKillFocus)
END_MESSAGE_MAP()

// Each handler but the selection change's lets the parent hear the notification as well.

BOOL CChoiceCombo::OnDropDown() {
    m_nOpenedWith = GetCurSel();
    return FALSE;
}

BOOL CChoiceCombo::OnSelChange() { return GetDroppedState(); }

BOOL CChoiceCombo::OnCloseUp() {
    const int chosen = GetCurSel();
    if (chosen >= 0 && chosen != m_nOpenedWith) {
        m_nOpenedWith = chosen;
        if (CWnd* parent = GetParent())
            parent->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), CBN_SELCHANGE), reinterpret_cast<LPARAM>(m_hWnd));
    }
    return FALSE;
}

BOOL CChoiceCombo::OnKillFocus() {
    // The focus moved on while the list was open: the highlight was no choice.
    if (GetDroppedState()) {
        SetCurSel(m_nOpenedWith);
        ShowDropDown(FALSE);
    }
    return FALSE;
}
