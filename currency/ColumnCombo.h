#pragma once
// The currency combo of a converter column: a drop-down list (one choice per closing, as every
// CChoiceCombo) that, while its list is closed, ignores typed characters, so a letter meant for
// an amount never swaps the column's currency unseen; with the list open typed letters find a
// currency as usual. A closed field too narrow for "name - code" shortens the name, so that the
// code stays in view.

#include "controls/ChoiceCombo.h"
#include "platform/framework/MessageMap.h"

#include <functional>
#include <string>

class CColumnCombo : public CChoiceCombo {
protected:
    afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
};

// "name - code" shortened to fit a width: the whole text when it fits; else the name cut (to no
// fewer than three characters) and ended with "…" before " - code"; else the code alone. width
// measures a text.
std::wstring FitCurrencyText(const std::wstring& text, int room, const std::function<int(const std::wstring&)>& width);
