#pragma once
// CChoiceCombo: a drop-down list whose parent hears one CBN_SELCHANGE for each choice the user
// makes. While the list is open, arrows, letters and the stylus only move its highlight: the
// selection changes the list reports then are kept from the parent, which hears one
// CBN_SELCHANGE as the list closes on another item than it opened with (Return, a tap on an
// item), just before CBN_CLOSEUP. Leaving the open list without a choice (Escape, a tap outside,
// the focus moving on) leaves the item it opened with, and the parent hears no change. With the
// list closed, each arrow or letter is a choice and the parent hears it at once.

#include "platform/framework/ListControls.h"
#include "platform/framework/MessageMap.h"

class CChoiceCombo : public CComboBox {
protected:
    afx_msg BOOL OnDropDown();
    afx_msg BOOL OnSelChange();
    afx_msg BOOL OnCloseUp();
    afx_msg BOOL OnKillFocus();
    DECLARE_MESSAGE_MAP()

private:
    int m_nOpenedWith = CB_ERR; // the selection when the list opened: the one the parent holds
};
