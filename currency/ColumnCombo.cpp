// A converter column's currency combo: typed characters reach the list only while it is open.

#include "currency/ColumnCombo.h"

BEGIN_MESSAGE_MAP(CColumnCombo, CComboBox)
    ON_WM_CHAR()
END_MESSAGE_MAP()

void CColumnCombo::OnChar(UINT, UINT, UINT) {
    if (GetDroppedState()) Default();
}
