#pragma once
// CHomeCityDlg: asks for the home city on the program's first start. The list holds every city
// of the store in the store's order, so the chosen position is the city's CityIndex; the caller
// reads it from m_nResult once the dialog has closed.

#include "core/CitiesDb.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/ListControls.h"

class CHomeCityDlg : public CDialog {
public:
    CHomeCityDlg();

    CListBox m_list;
    CCitiesDb m_db;
    int m_nWidth = 0;  // work area
    int m_nHeight = 0;
    int m_nTextWidth = 0; // what the list's widest city text needs
    // The list's selection when the dialog closed; -1 when nothing was selected (an empty store).
    int32_t m_nResult = -1;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnDestroy();
    // The dialog is left only with a city chosen: without one (an empty store) the user is
    // asked to choose, and the dialog stays.
    void OnOK() override;
    void OnCancel() override;
    DECLARE_MESSAGE_MAP()

private:
    // The list position to propose: a city whose clock reads the device's time, of the device's
    // own zone first (clocks/HomeCityProposal.h); 0 when none fits.
    int DeviceCityIndex();
    bool HasChoice();
    void ReadWorkArea();
    void PlaceList();
};
