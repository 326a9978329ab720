#pragma once
// The weather city choice: CCitySelectDlg lists the weather store's cities with an incremental
// "Find:" search and returns the chosen name; its "Add other cities ..." button opens
// CAddOtherCitiesDlg, which adds cities to the store from the per-country city lists of the
// weatcs folder beside the program, or removes cities from the store.
//
// A country file is single-byte text, one city a line: "name;code", the line ending in "\n"
// with an optional "\r" before it. A line that holds ">" ends the list.

#include "controls/ChoiceCombo.h"
#include "core/WeatherDb.h"
#include "platform/framework/BasicControls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/ListControls.h"

#include <vector>

// Reads a country file: text gets every listed line followed by "\n", names the city names in
// file order. False (both left empty) when the file cannot be opened.
bool ReadCountryFile(LPCWSTR path, CString& text, std::vector<CString>& names);
// The same; damaged tells whether lines without a name and a code were left out.
bool ReadCountryFile(LPCWSTR path, CString& text, std::vector<CString>& names, bool& damaged);
// The code of the first line of a country text whose name is name, without a final "\r".
CString CountryCityCode(const CString& countryText, const CString& name);
// The weatcs folder beside the program, without a final "\".
CString CountryFolder();

// The selection of a list that follows a Find edit: the first item beginning with the text,
// case ignored; nothing for an empty text or no match.
void SelectByFindText(CListBox& list, const CString& text);

class CCitySelectDlg : public CDialog {
public:
    explicit CCitySelectDlg(CWnd* pParent = nullptr);
    enum { IDD = 331 };

    CString m_chosenCity;    // in: the city to pre-select; out: the chosen city
    int m_chosenIndex = -1;  // out: the chosen item's list index
    CString m_findText;
    CButton m_addButton;
    CEdit m_findEdit;
    CListBox m_list;
    CWeatherDb m_store;
    int m_findLabelWidth = 0;

    // Fills the list with "name - country" for every store record, each item holding its
    // record's store position.
    void FillList();
    afx_msg void OnAddOtherCities();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnDestroy();
    afx_msg void OnChangeFind();
    afx_msg void OnKillFocusFind();
    afx_msg void OnSetFocusFind();
    DECLARE_MESSAGE_MAP()

private:
    void LayOut();
    int ItemOfCity(const CString& name);
    CFont m_titleFont, m_findFont, m_buttonFont;
    CString m_openedWith;   // the city the dialog was opened with
    bool m_cancelled = false;
};

class CAddOtherCitiesDlg : public CDialog {
public:
    explicit CAddOtherCitiesDlg(CWnd* pParent = nullptr);
    enum { IDD = 332 };

    CString m_lastAdded;
    CString m_findText;
    CEdit m_findEdit;
    CButton m_removeButton;
    CButton m_addButton;
    CStatic m_favoriteLabel;
    CListBox m_storeList;
    CChoiceCombo m_countryCombo;
    CListBox m_countryList;
    CString m_countryText;
    int m_countryIndex = -1;
    CWeatherDb m_store;
    int m_findLabelWidth = 0;

    afx_msg void OnSelChangeCountry();
    afx_msg void OnAddCity();
    afx_msg void OnRemoveCity();
    afx_msg void OnChangeSearch();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnDestroy();
    afx_msg void OnKillFocusFind();
    afx_msg void OnSetFocusFind();
    DECLARE_MESSAGE_MAP()

private:
    void LoadCountry();
    void LayOut();
    CFont m_titleFont, m_findFont, m_labelFont, m_buttonFont, m_listFont;
};
