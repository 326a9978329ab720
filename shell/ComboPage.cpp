#include "shell/ComboPage.h"

#include "resources/resource.h"

CComboPage::CComboPage(CWnd* pParent) : CDialog(IDD, pParent) { m_bFullScreen = FALSE; }

void CComboPage::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_COMBO_PAGE_LIST, m_combo);
}
