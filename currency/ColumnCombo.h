#pragma once
// The currency combo of a converter column: a drop-down list that, while its list is closed,
// ignores typed characters, so a letter meant for an amount never swaps the column's currency
// unseen; with the list open a letter moves to the first currency of that letter as usual.

#include "platform/framework/ListControls.h"
#include "platform/framework/MessageMap.h"

class CColumnCombo : public CComboBox {
protected:
    afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    DECLARE_MESSAGE_MAP()
};
