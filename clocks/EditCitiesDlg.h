#pragma once
// CEditCitiesDlg: adds, rewrites and deletes the cities of the city store. The clocks, the map
// and the Today item name cities by their position in the store's order, so after every change
// the dialog moves the six stored positions (home clock, clocks 1-4, map city) to keep them on
// the same cities and writes them back at once. The form scrolls when the screen is too short.

#include "clocks/ScrollableForm.h"
#include "clocks/StoredCityIndexes.h"
#include "core/CitiesDb.h"
#include "core/RegistryKey.h"
#include "core/StorageFaults.h"
#include "platform/framework/BasicControls.h"
#include "platform/framework/ListControls.h"

#include <functional>

class CEditCitiesDlg : public CScrollableFormDlg {
public:
    explicit CEditCitiesDlg(CWnd* pParent = nullptr);

    static constexpr int kFormHeight = 274;
    static constexpr int kFieldHeight = 17; // of each of the six fields

    CListBox m_listCities; // item i is the city at position i of the store
    CEdit m_editName;
    CEdit m_editCountry;
    CEdit m_editLongitude;
    CEdit m_editLatitude;
    CEdit m_editDstRule;
    CEdit m_editOffset;
    CButton m_buttonAdd;
    CButton m_buttonUpdate;
    CButton m_buttonDelete;

    CCitiesDb m_db;
    CRegistryKey m_registry;
    StoredCityIndexes m_stored; // kept in step with the registry after every change

    HFONT m_hTitleFont = nullptr;
    HFONT m_hLabelFont = nullptr;
    int m_nWorkWidth = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    int FormHeight() const override { return kFormHeight; }
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnDestroy();
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnSelChangeCityList();
    afx_msg void OnUpdateLongitude();
    afx_msg void OnUpdateLatitude();
    // Says why and returns true when the fields cannot make a city: a blank name, or the first
    // of longitude, latitude, zone and rule that the clocks and the map cannot use
    // (CheckCityFields), named in the message. The form stays as it is.
    bool RefuseCityFields();
    afx_msg void OnAdd();
    afx_msg void OnUpdate();
    afx_msg void OnDelete();
    DECLARE_MESSAGE_MAP()

private:
    void FillList();
    void ShowDuplicateMessage();
    // Runs change (a store write that moves the positions it is given) and the write-back of
    // the moved positions as one transaction; nothing is written when either fails. A failure
    // of the device's storage is reported here.
    StoreOutcome CommitChange(const std::function<bool(StoredCityIndexes&)>& change);
    void Layout();
    void ReadWorkArea();
    void ScrollTo(int pos);
    CString FieldText(CEdit& edit) const;
    // A number field's text as it is checked and stored: without blanks around it.
    CString NumberFieldText(CEdit& edit) const;
};
