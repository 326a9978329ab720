#pragma once
// CMainTabCtrl: the main window's tab strip, which is also the container of the tab pages. It
// owns the seven page objects, creates each page window the first time its tab is chosen, lays
// the current page under the row of tabs, switches pages on a tap, tells the main window which
// command bar to show, and forwards skin, tips, refresh and clock requests to the pages. Pages
// are child dialogs of the strip, so a page reaches the container as its parent window.
//
// The Tools page is not a full page: a strip 27 pixels high laid under the row of tabs, over the
// page that was current, listing the tools. Tapping the Tools tab again hides it.
//
// Which class each page slot holds, how it is created and initialised, and what every forwarder
// calls on it, is kept in one place: the "Page slots" section of MainTabCtrl.cpp.

#include "core/CitiesDb.h"
#include "core/RegistryKey.h"
#include "core/WeatherDb.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/ListControls.h"

class CMainTabCtrl : public CTabCtrl {
    DECLARE_DYNAMIC(CMainTabCtrl)
public:
    enum PageIndex {
        kClocksPage = 0,
        kWeatherPage = 1,
        kMapPage = 2,
        kCurrencyPage = 3,
        kToolsPage = 4,
        kBlankPage = 5,
        kComboPage = 6,
        kPageCount = 7,
    };
    // Draw modes: the control paints itself; owner-drawn items; the container paints the strip.
    enum { kDrawControl = 0, kDrawItems = 1, kDrawStrip = 2 };
    // The height of the Tools page's strip.
    static constexpr int kToolsStripHeight = 27;

    explicit CMainTabCtrl(int drawMode = kDrawControl);
    ~CMainTabCtrl() override;

    // A tool index carried from SelectTabByNumber to the next tab change; -1 for none.
    static int s_nPendingTool;

    // The window that hears the command-bar messages (the main window).
    void SetMainWindow(HWND hWnd) { m_hMainWnd = hWnd; }

    // [Called by the main window]
    // Opens the stores, reads the unread-news mark and creates the first page.
    void CreateFirstPage();
    // Restores a stored tab: 0 to 4, or 40 + a tool index, which opens the Tools tab and that tool.
    void SelectTabByNumber(int n);
    // FALSE (and no change) for a mode outside 0 to 2.
    BOOL SetDrawMode(int mode);
    int GetDrawMode() const { return m_nDrawMode; }
    // -1: the system button-face colour.
    void SetBackColor(COLORREF c);
    COLORREF GetBackColor() const { return m_crBack; }
    // Kept, and handed to the Tools page now and whenever it is created.
    void SetToolsSkin(LPCWSTR folder, LPCWSTR subfolder, COLORREF color);
    // The panel colour of the four full pages, kept for pages not created yet.
    void SetPanelColor(COLORREF c);
    // After the skin sheet closed: the main window's skin, then every created page's.
    void ReloadSkins();
    void ShowCurrentPageTips();
    // Escape or Return meant for the main window or the strip (not for the page itself, which
    // sees its own keys first): offered to the current page, whose tips box closes on them. TRUE
    // when the page took the key.
    BOOL CurrentPageTipsTakeKey(MSG* pMsg);
    void SetTwelveHourMode(int v);
    void ToggleMapCitySquares();
    void OfferSavePackingList();
    // After the city list was edited: new clocks and map pages.
    void RecreatePages();

    // [Called by the pages and the dialogs they own]
    // Moves the selected tab to n (40 + a tool index counts as the Tools tab) without switching
    // pages, and hides the Tools strip.
    void FocusTab(int n);
    void PlaceCurrentPage();
    void RefreshWeatherPage();
    // After currency rates were stored outside the Currencies page: its label and rates.
    void RefreshCurrencyAfterSync();
    void ShiftWeatherPlaces(BOOL first, BOOL second, BOOL third, BOOL fourth);
    // The time text of clock n; empty while the clocks page does not exist.
    CString GetClockTimeText(int n);
    void MarkNewsRead();
    // A tool window opens: the Tools-list flag is cleared and, for a tap on the list (not a
    // restore), the Tools tab becomes the current tab.
    void ToolOpened(bool takeToolsTab);

    // State, for the main window and for tests.
    int GetCurrentPage() const { return m_nCurrentPage; }
    int GetPreviousPage() const { return m_nPreviousPage; }
    bool IsToolsListShown() const { return m_bToolsList; }
    bool HasUnreadNews() const { return m_bUnreadNews != FALSE; }
    bool IsPageCreated(int index) const;
    CDialog* GetPage(int index) const;
    COLORREF GetPanelColor() const { return m_crPanel; }

protected:
    // Owner drawing: in this class the three drawing operations do nothing.
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    void PreSubclassWindow() override;
    virtual void DrawMainBorder(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void DrawItemBorder(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual COLORREF GetTabColor(BOOL selected);
    virtual COLORREF GetTabTextColor(BOOL selected);

    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    // Left and Right move to the next tab, Return and space act as a tap on the focused one: the
    // same tab change as a tap, the focus staying on the strip for the next key.
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg UINT OnGetDlgCode();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnPaint();
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    DECLARE_MESSAGE_MAP()

    // The strip's background colour as painted (-1 resolved).
    COLORREF ResolvedBackColor() const;

    COLORREF m_crBack = static_cast<COLORREF>(-1);

private:
    struct PageSlot {
        CDialog* page = nullptr;
        bool created = false;
    };

    // The tab change once the strip has moved to a new tab (tap, key or restore). byKeys: the
    // focus stays on the strip instead of going to the page.
    void ChangeToFocusedTab(bool sipWasUp, bool byKeys = false);
    void SendBarMessage(int pageIndex);
    void SendToMainWindow(UINT message);
    void CreatePageWindow(int index);
    void HidePageZero();
    // A tool window of the Tools page is open and on show.
    bool ToolOnShow() const;
    void SetItemSizeFromWorkArea();

    // Page slots (see MainTabCtrl.cpp).
    CDialog* NewPage(int index);
    // The page of a slot as its own class, while its window exists; null otherwise.
    template <class Page>
    Page* PageAs(int index) const {
        return IsPageCreated(index) ? dynamic_cast<Page*>(m_pages[index].page) : nullptr;
    }
    void InitialisePage(int index);
    void GivePagePanelColor(int index, COLORREF c);
    void PreparePageForCreate(int index);
    void PreparePageForDestroy(int index);
    void RefreshMapPage();
    void OpenTool(int tool);
    void ApplyToolsSkin();
    void DestroyPage(int index);

    PageSlot m_pages[kPageCount];
    int m_nCurrentPage = 0;
    int m_nPreviousPage = 0;
    bool m_bToolsList = false;
    int m_nPageCount = kPageCount;
    int m_nDrawMode = kDrawControl;
    BOOL m_bUnreadNews = FALSE;
    CString m_strToolsFolder;
    CString m_strToolsSubfolder;
    COLORREF m_crToolsColor = 0;
    COLORREF m_crPanel = static_cast<COLORREF>(-1);
    HWND m_hMainWnd = nullptr;
    CRegistryKey m_registry;
    CCitiesDb m_citiesDb;
    CWeatherDb m_weatherDb;
};
