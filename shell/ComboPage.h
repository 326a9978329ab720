#pragma once
// CComboPage: a tab page holding a single drop-down list.

#include "platform/framework/Dlg.h"
#include "platform/framework/ListControls.h"

class CComboPage : public CDialog {
public:
    enum { IDD = 158 };
    explicit CComboPage(CWnd* pParent = nullptr);

    CComboBox m_combo;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
