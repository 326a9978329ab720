#pragma once
// CMainDlg: the program's main window, run modally by the application object; the program ends
// when it closes. It holds the title beside the tabs, the tab strip that contains the pages, and
// seven command bars of which one is shown at a time. On its first start it asks for the home
// city and writes the defaults derived from it; it builds the stores, restores the last tab and
// applies the current skin.
//
// The window's code is spread over three files: MainDlg.cpp (data, start-up, layout),
// MainDlgCommands.cpp (menus, command bars, private messages, forwarding to the open tool) and
// MainDlgSkin.cpp (the skin's tab images and colours).

#include "core/CitiesDb.h"
#include "core/CurrenciesDb.h"
#include "core/RegistryKey.h"
#include "core/WeatherDb.h"
#include "platform/framework/BasicControls.h"
#include "platform/framework/CommandBar.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/GdiObjects.h"
#include "shell/SharedFont.h"
#include "shell/ThemedTabCtrl.h"

#include <array>
#include <memory>
#include <vector>

class CCmdUI;
class CMenu;

// Set when the command bar's item states are due for an update (see PreTranslateMessage).
extern bool CommandUiUpdatePending;

class CMainDlg : public CDialog {
public:
    explicit CMainDlg(CWnd* pParent = nullptr);
    ~CMainDlg() override;

    // The seven command bars, in their creation order.
    enum Bar { kToolBar = 0, kMenuBar, kPackingBar, kEditBar, kClocksBar, kWeatherBar, kMapBar, kBarCount };
    // The packing-list views of the Options menu.
    enum PackingView { kShowUnchecked = 0, kShowAll, kShowChecked };

    // Reads currs.lst from the program folder into the currency list.
    void LoadCurrencyList();
    // Makes sure the weather store holds the city with that CityIndex; returns its name. A
    // damaged country list is noted for the caller to say (m_bCountryListDamaged).
    CString AddHomeCityToWeather(int index);
    // Gives the window the look of the current skin (tab images, strip and title colours).
    void ApplySkin();

    // Menu commands forwarded to the open tool window: the window at the bottom-right corner of
    // the page area (above the input panel while it is up) and its parent hear the message.
    void SendToVisibleTool(UINT message);

    // The language index start-up used; handed to the language dialog.
    int m_nLanguageIndex = 0;
    // The first start gave up on a fault it reported (the program then ends with a failure).
    bool m_bStartFailed = false;
    // Set by the unit converter when it has something to undo; enables Undo.
    BYTE m_bUndoAvailable = 0;

    // State, for the Tools page and for tests.
    int GetVisibleBar() const;
    CCeCommandBar& GetBar(Bar bar) { return m_bars[bar]; }
    CThemedTabCtrl& GetTabs() { return m_tabs; }
    CString GetTitleText() const;
    int GetCurrencyCount() const { return m_nCurrencyCount; }
    const CurrencyListEntry* GetCurrency(int i) const;
    // The list as the currency store reads it (entry pointers, GetCurrencyCount of them).
    CurrencyListEntry* const* GetCurrencyTable() const { return m_currencyTable.data(); }
    int GetPackingView() const;
    CImageList& GetTabImages() { return m_tabImages; }
    COLORREF GetStripColor() const { return m_crStrip; }
    COLORREF GetTitleBackColor() const { return m_crTitleBack; }
    COLORREF GetTitleTextColor() const { return m_crTitleText; }
    const CString& GetSkinFolder() const { return m_strSkinFolder; }
    const CString& GetSkinImageFolder() const { return m_strSkinImageFolder; }

    // Command-bar messages; the Tools page also calls the edit, packing and tool bar handlers.
    afx_msg LRESULT OnShowMenuBar(WPARAM, LPARAM);
    afx_msg LRESULT OnShowEditBar(WPARAM, LPARAM);
    afx_msg LRESULT OnShowPackingBar(WPARAM, LPARAM);
    afx_msg LRESULT OnShowClocksBar(WPARAM, LPARAM);
    afx_msg LRESULT OnShowWeatherBar(WPARAM, LPARAM);
    afx_msg LRESULT OnShowMapBar(WPARAM, LPARAM);
    afx_msg LRESULT OnShowToolBar(WPARAM wParam, LPARAM);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    afx_msg void OnTabSelChange(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnTabSelChanging(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnBackToTools();
    afx_msg void OnEditCut();
    afx_msg void OnEditCopy();
    afx_msg void OnEditPaste();
    afx_msg void OnEditSelectAll();
    afx_msg void OnPackAddCategory();
    afx_msg void OnPackAddItems();
    afx_msg void OnPackAddList();
    afx_msg void OnPackUncheckAll();
    afx_msg void OnPackDeleteCategory();
    afx_msg void OnPackDeleteItem();
    afx_msg void OnPackDeleteList();
    afx_msg void OnPackDeleteAllItems();
    afx_msg void OnUndo();
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnPackShowAll();
    afx_msg void OnPackShowChecked();
    afx_msg void OnPackShowUnchecked();
    afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    afx_msg void OnUpdatePackingView(CCmdUI* pCmdUI);
    afx_msg void OnExit();
    afx_msg void OnLanguage();
    afx_msg void OnTips();
    afx_msg void OnUpdateTips(CCmdUI* pCmdUI);
    afx_msg void OnUpdateUndo(CCmdUI* pCmdUI);
    afx_msg void OnDestroy();
    afx_msg void OnTodayPlugin();
    afx_msg void OnSetReminders();
    afx_msg void OnEditCities();
    afx_msg void OnLookFeelSkins();
    afx_msg void OnUserInterface();
    afx_msg void OnShowHideCities();
    afx_msg void OnUpdateShowHideCities(CCmdUI* pCmdUI);
    afx_msg void OnTwelveHourClocks();
    afx_msg void OnUpdateTwelveHourClocks(CCmdUI* pCmdUI);
    // WM_HELP: the device's help viewer opens the program's help file.
    afx_msg LRESULT OnHelp(WPARAM wParam, LPARAM lParam);
    // Tells the user of the settings found damaged since the last time (DamagedSettings).
    afx_msg LRESULT OnTellDamagedSettings(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

    // Runs a dialog of the main window modally; tests replace it to answer in place of a user.
    virtual void RunHomeCityDialog(int& cityIndex);
    virtual void RunLanguageDialog(int initialSelection);
    virtual void RunTodayOptionsDialog();

private:
    bool m_bCurrencyListDamaged = false;
    bool m_bCountryListDamaged = false;
    void ReadWorkArea();
    // Places the title right of the tabs and the strip over the work area above the bar.
    void Layout();
    void CreateCommandBars();
    void ShowOnlyBar(Bar bar);
    void SetTitle(UINT stringId);
    // The first start: the home city asked for and every value derived from it stored, or
    // nothing at all (said); false when the window is to end, the next start asking again.
    // storesFailed: the device's storage failed while the stores were opened (built).
    bool RunFirstStart(bool storesFailed);
    // A home city value that is damaged: the home clock goes back to the city the home location
    // names, or, where that names none, the user is asked again. The home city is stored before
    // anything reads it; false when it could not be (said) and the window is to end.
    bool MendHomeCity(bool storesFailed);
    // A start that finds the first-run mark: what a device an older build left half done lacks
    // (the home location, the weather places, ...) is written from the stored home city.
    void FinishFirstStart();
    // The one writer of the first start's values: the clock cities, the map's city, the weather
    // places (the home city added to the weather store first), the currency columns, the home
    // clock's zone mode and the home location, in one transaction of the device store with the
    // first-run mark `clock` written last, so that a start killed or a device filled up part way
    // leaves all of them or none. onlyMissing: write only those the registry lacks, and not the
    // mark. False when the storage took none of them.
    bool WriteFirstStartValues(DWORD home, bool onlyMissing);
    // wetp .. wetp4 for the home city, inside that transaction: with addHome the home city is
    // added to the weather store and its place is where it stands there; else the stored wetp.
    std::array<DWORD, 4> FirstStartWeatherPlaces(DWORD home, bool addHome);
    void BuildStartImages();
    void WriteCurTab(DWORD value);
    void FreeCurrencyList();

    std::vector<std::unique_ptr<CurrencyListEntry>> m_currencies;
    std::vector<CurrencyListEntry*> m_currencyTable; // what the currency store reads
    int m_nCurrencyCount = 0;
    CStatic m_title;
    CThemedTabCtrl m_tabs;
    HICON m_hIcon = nullptr;
    int m_nWorkWidth = 0;
    int m_nWorkHeight = 0;
    int m_nMenuHeight = 0;
    int m_nUsableHeight = 0;
    CCeCommandBar m_bars[kBarCount];
    CBrush m_brushBack;
    int m_nPackShowUnchecked = 0;
    int m_nPackShowAll = 1;
    int m_nPackShowChecked = 0;
    // Tooltip texts; they stay valid as long as the bars exist.
    CString m_tipsText[10];
    LPWSTR m_tipsToolBar[2] = {};
    LPWSTR m_tipsPackingBar[5] = {};
    LPWSTR m_tipsEditBar[3] = {};
    CString m_strTitle;
    CFont m_fontTitle;
    CImageList m_tabImages;
    CString m_strSkinFolder;
    CString m_strSkinImageFolder;
    COLORREF m_crStrip = 0;
    COLORREF m_crTitleBack = 0;
    COLORREF m_crTitleText = 0;
    CBrush m_brushTitle;
    CRegistryKey m_registry;
    CCitiesDb m_citiesDb;
    CWeatherDb m_weatherDb;
    CCurrenciesDb m_currenciesDb;
};
