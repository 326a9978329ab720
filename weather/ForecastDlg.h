#pragma once
// CForecastDlg: the five-day forecast view of one place of the weather store. It works out which
// of the stored forecast's five days is today, prepares the texts and pictures of up to five day
// slots, and shows them either as an overview (one row per day) or day by day, one detail page
// at a time. Update fetches the place's forecast again from the feed server.
//
// The opener constructs it, sets the inputs below and runs it modally.

#include "controls/IconButton.h"
#include "core/RegistryKey.h"
#include "core/WeatherDb.h"
#include "platform/framework/BasicControls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/CommandBar.h"
#include "platform/framework/GdiObjects.h"

#include <cstdint>
#include <ctime>
#include <vector>

class CCmdUI;

class CForecastDlg : public CDialog {
public:
    static constexpr int kSlots = 5;
    // Seconds a forecast stays current after 23:59:00 of its date.
    static constexpr time_t kForecastLifetime = 345600;

    explicit CForecastDlg(CWnd* pParent = nullptr);
    ~CForecastDlg() override;

    // Inputs, set before DoModal.
    CString m_cityName;   // the place's name, the key of the weather store
    BYTE m_celsius = 1;    // nonzero: temperatures as stored; zero: converted to Fahrenheit
    BYTE m_fahrenheit = 0; // nonzero: the detail page writes "F" after its temperatures
    CString m_homeName;   // sent as the home location with an update

    // Controls.
    CStatic m_dayNames[kSlots];
    CStatic m_conditions[kSlots];
    CStatic m_icons[kSlots];
    CStatic m_temperatures[kSlots];
    CStatic m_cityLine;
    CStatic m_dateLine;
    CIconButton m_updateButton;

    // Display texts of the five slots; slot k is today's day + k.
    CString m_temperature[kSlots]; // "<high>° : <low>°"
    CString m_dateTime[kSlots];
    CString m_condition[kSlots];
    CString m_feelsLike[kSlots];
    CString m_windDirection[kSlots];
    CString m_windSpeed[kSlots];
    CString m_humidity[kSlots];
    CString m_precipitation[kSlots];
    CString m_iconPath[kSlots];
    CString m_pressure;   // of the record's first day, only while that day is today
    CString m_visibility;

    // Texts of the selected day on the detail page.
    CString m_selIconPath;
    CString m_selDateTime;
    CString m_selHigh;
    CString m_selLow;
    CString m_selCondition;
    CString m_selFeelsLike;
    CString m_selWindDirection;
    CString m_selWindSpeed;
    CString m_selHumidityOrPressure;
    CString m_selPrecipitationOrVisibility;

    int m_selectedDay = 1;     // 1 to 5
    int m_daysLeft = 0;        // whole days from now to the end of the forecast
    uint32_t m_todayIndex = 0; // which stored day is today; 5 or more: none
    bool m_dayByDay = false;
    bool m_linkBasic = true;   // the overview link reads "+ Infos>" (else "<Back")
    CString m_linkText;
    CString m_updateDate;      // dd/mm/yyyy
    CString m_todayTime;
    CString m_weekdays[7];     // Sunday first
    CString m_iconFolder;

    COLORREF m_background = RGB(0xF5, 0xF9, 0xF5);
    COLORREF m_bandLight = RGB(0xEE, 0xEE, 0xEE);
    COLORREF m_bandDark = RGB(0xCC, 0xDD, 0xEE);
    COLORREF m_lineColor = RGB(0xA0, 0xAC, 0xC0);

    // Layout, in pixels.
    int m_workWidth = 0;     // the drawing width: the work area's, or the client's when narrower
    int m_workAreaWidth = 0; // the work area's own width
    int m_workHeight = 0;
    int m_topMargin = 10;
    int m_rowGap = 15;
    int m_columnStep = 30;
    int m_conditionOffset = 13;
    int m_iconWidth = 0;
    int m_iconHeight = 0;
    // While a raised input panel covers the view's foot, the view scrolls: how far it is
    // scrolled down and how far it can be, in pixels (both 0 while everything shows).
    int m_scrollPos = 0;
    int m_scrollRange = 0;
    int m_lineWidth = 0; // the city and date lines' own width

    // Fills the slot texts, the city line and the date line from the store.
    void LoadForecast();
    // Copies the selected day's slot into the detail page's texts.
    void CopySelectedDay();
    // Recomputes the layout for the work area and moves the controls.
    void Layout();
    int RowPitch() const { return m_iconHeight + m_rowGap; }
    int RowTop(int k) const { return m_topMargin + k * RowPitch(); }

    afx_msg void OnUpdate();
    afx_msg void OnShowDayByDay();
    afx_msg void OnShowOverview();
    afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnInitDialog() override;

    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnDestroy();
    afx_msg void OnUpdateShowMenu(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()

private:
    void ReadWorkArea();
    // The scroll range for a view contentBottom pixels tall in what the input panel leaves
    // visible of the client area; the bar shows only while there is something to scroll. True
    // when the scroll position had to change (the controls are then laid again).
    bool UpdateScrollRange(int contentBottom);
    void SetLinkText(bool basic);
    void PaintOverview(CDC& dc);
    void PaintOverviewDetails(CDC& dc, int row);
    int m_firstRowRight = 0; // where the first row's line ends, before the link text
    void PaintBottomPanel(CDC& dc);
    void PaintDayPage(CDC& dc);
    void DrawIconId(CDC& dc, UINT id, int x, int y, int size);

    CRegistryKey m_registry;
    CWeatherDb m_store;
    CCeCommandBar* m_pMenuBar = nullptr;
    bool m_commandUiPending = true;

    CBrush m_backgroundBrush;
    CBrush m_darkBrush;
    CBrush m_lightBrush;
    CFont m_boldFont13;
    CFont m_normalFont12;
    CFont m_normalFont13;
    CFont m_boldFont12;
    CFont m_titleFont13;
    CFont m_markFont35;
    CFont* m_pControlFont = nullptr; // re-pointed while the controls get their fonts
};

// The forecast text split into its 60 fields: for each of the five days twelve times the text
// up to the next "^"; when no "^" is left the remaining fields stay empty (text after the last
// "^" is not a field).
void SplitCaretFields(const CString& text, CString fields[60]);

// A date "dd/mm/yyyy" read into its parts; false when it does not have that shape.
bool ReadDayFirstDate(const CString& text, int& day, int& month, int& year);

// Runs the five-day forecast view of a weather city over parent, in the temperature unit the
// Weather page keeps (`fara`), with the home location sent along with an update.
void RunForecastView(CWnd* parent, const CString& cityName, const CString& homeName);
