#pragma once
// CWeatherPanel: the Weather tab page (dialog 153), a child dialog of the page container's tab
// strip. It shows four places, each a city of the weather store, with three forecast days from
// today, the "::Sync All::" command, a "Tap to sync. this City" command for a place without a
// current forecast, a "More ..." command per place and the °C/°F buttons. Everything but the
// unit buttons, the tip box and the background image is painted; the dialog's other controls
// stay hidden and only carry positions and sizes.
//
// [SECTION] Object, places and commands   WeatherPanel.cpp
// [SECTION] Layout and skin               WeatherPanelLayout.cpp
// [SECTION] Loading, drawing and units    WeatherPanelPaint.cpp

#include "controls/ChoiceCombo.h"
#include "clocks/ClockTicker.h"
#include "controls/IconButton.h"
#include "core/CitiesDb.h"
#include "core/RegistryKey.h"
#include "core/WeatherDb.h"
#include "platform/framework/BasicControls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/ListControls.h"

#include <ctime>

// Which forecast day of a record is today, from the record's date "DD/MM/YYYY" and the time now.
struct ForecastCurrency {
    bool current = false;   // false once the record is more than four days past its date
    unsigned daysLeft = 0;  // whole days left until the record stops being current
    unsigned todayIndex = 0; // the record's day shown as today; 5 or more: none yet
};
ForecastCurrency ComputeForecastCurrency(const CString& dateText, time_t now);

// A day's temperature text "high°/low°" converted to the other unit; placeholders "-" and "N/A"
// stay as they are, an empty text stays empty.
CString ConvertTemperatureText(const CString& text, const CString& separator, bool toFahrenheit);

class CWeatherPanel : public CDialog {
public:
    explicit CWeatherPanel(CWnd* pParent = nullptr);
    ~CWeatherPanel() override;

    enum { IDD = 153 };
    static constexpr int kPlaces = 4;
    static constexpr int kShownDays = 3;

    // The weather-store positions of the four places: one copy for the program.
    static DWORD s_placePositions[kPlaces];
    // Layout values shared by the tap areas and the paint.
    static int s_bandHeight;     // 225 tall layout, 150 flat
    static int s_wideFlag;       // 1 when the work area is at least as wide as high
    static int s_syncAllTop;     // top of "::Sync All::"
    static int s_dayStripBottom; // bottom of the weekday labels

    // [Called by the page container]
    void LoadSkin();
    void Refresh();
    void ShowTips(int stage);
    void ShiftPlaceIndices(BYTE first, BYTE second, BYTE third, BYTE fourth);
    CString GetHomeName();

    // Places and commands.
    void LoadPlaceForecasts();
    // Stores the four places as named (a name the store lacks: its first city), all or nothing.
    void SavePlaces();
    // Stores the four positions all or nothing; the page's positions
    // are then the stored ones (on a failure, those stored before). True when stored.
    bool StorePlacePositions(const DWORD positions[kPlaces]);
    void SyncAll();
    void SyncPlace(const CString& name);
    void ChooseCity(int place); // 0..3
    void More(int place);       // 0..3
    // The user's unit choice (the unit buttons): stored first, shown only once stored.
    afx_msg void OnFahrenheit();
    afx_msg void OnCelsius();
    // The texts freshly loaded in °C shown in °F (after every reload while °F is in use), and
    // back in °C; neither writes the choice.
    void ShowFahrenheit();
    void ShowCelsius();
    void PlaceTip(int x, int y, UINT stringId, int lineCount, int mode, bool fit, int width);

    // The day cells of one place.
    struct WeatherPlaceDays {
        CString tempTexts[kShownDays];
        CString iconPaths[kShownDays];
    };

    // Set by the container: the panel colour under the background image.
    COLORREF m_panelColor = RGB(194, 211, 228);
    // The program's shared font settings, handed over by the container before the window exists.
    CString m_sharedFontFace = L"Arial";
    int m_sharedFontBase = 0;
    // Period of the ticker; the program keeps the second.
    unsigned m_tickPeriodMs = 1000;

    // Page model.
    CEdit m_tipText;
    CStatic m_tipTitle;
    CButton m_tipButton;
    CChoiceCombo m_placeCombos[kPlaces];
    CIconButton m_moreButtons[kPlaces];
    CIconButton m_celsiusButton;
    CIconButton m_fahrenheitButton;
    CString m_placeNames[kPlaces];
    WORD m_placeHasData[kPlaces] = {};
    WeatherPlaceDays m_placeDays[kPlaces];
    WORD m_forecastsShown = 0;
    BYTE m_fahrenheit = 0;
    BYTE m_celsius = 1;
    int m_shownWeekday = 0;
    CString m_dayNames[7];
    CString m_tempSeparator = L"/";
    DWORD m_tipStage = 0;
    CString m_messageText;
    CString m_serverAddress;
    UINT_PTR m_timerId = 0;
    int m_workWidth = 0;
    int m_workHeight = 0;
    int m_menuBarHeight = 0;
    int m_pageHeight = 0;

    // Skin state.
    CBitmap m_backgroundBitmap;
    CString m_skinFolder, m_portraitImage, m_landscapeImage, m_squareImage, m_iconFolder;
    COLORREF m_celsiusBack = RGB(194, 211, 228);
    COLORREF m_celsiusTextColor = RGB(51, 102, 233);
    COLORREF m_fahrenheitBack = RGB(194, 211, 228);
    COLORREF m_fahrenheitTextColor = RGB(51, 102, 233);
    COLORREF m_syncAllColor = RGB(0, 0, 0);
    COLORREF m_dayColor = RGB(0, 0, 0);
    COLORREF m_cityNameColor = RGB(0, 0, 0);
    COLORREF m_moreColor = RGB(0, 0, 0);

    // Fonts of the paint.
    CFont m_boldFont, m_smallFont, m_mediumFont, m_headingFont, m_arialBoldFont, m_normalFont, m_underlinedFont,
        m_largeFont;

    CRegistryKey m_registry;
    CCitiesDb m_citiesDb;
    CWeatherDb m_weatherDb;

    ClockTicker& Ticker() { return m_ticker; }
    // The rectangle of the day cells, invalidated after a reload or a unit change.
    RECT DayCellRect();
    // Runs the layout for the current work area (the WM_SIZE steps).
    void LayOut();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Escape and Return close the tips box while it is up.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnDestroy();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnMore1();
    afx_msg void OnMore2();
    afx_msg void OnMore3();
    afx_msg void OnMore4();
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnSelChangePlace1();
    afx_msg void OnSelChangePlace2();
    afx_msg void OnSelChangePlace3();
    afx_msg void OnSelChangePlace4();
    afx_msg void OnKillFocusPlace1();
    afx_msg void OnKillFocusPlace2();
    afx_msg void OnKillFocusPlace3();
    afx_msg void OnKillFocusPlace4();
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnTipHide();
    afx_msg void OnTipTextFocus();
    afx_msg LRESULT OnHidePanel(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void CreateFont(CFont& font, int height, int weight, bool underline, LPCWSTR face);
    void SelChangePlace(int place);
    void HideCombo(int place);
    void ConvertAfterReload();
    void ConvertAll(bool toFahrenheit);
    void ShowChosenUnit();
    void LoadBackground(int width, int height);
    int BaseLine(int place) const;
    // The x of the background's line before day column k (0-2; 3 is the page's right edge).
    static int ColumnLine(int k, int width);
    // The medium font, or a smaller one made in smaller, in which every text fits room pixels.
    CFont* FitTemperatureFont(CDC& dc, const CString* texts, int count, int room, CFont& smaller);
    CSize WindowSize(UINT id);
    CSize ClientSize(CWnd& wnd);

    CBrush m_controlBrush;
    CBrush m_bandBrushA, m_bandBrushB, m_tipBrush, m_tipButtonBrush;
    CFont m_unitFont, m_moreFont, m_tipTextFont, m_tipTitleFont, m_tipButtonFont;
    CFont m_unitFitFont; // the unit font at the height that fits the unit boxes
    LONG m_unitFitHeight = 0;
    void FitUnitFont(int boxWidth);
    void PlaceShownTip();
    int m_tipShown = 0; // the stage of the tips last shown
    ClockTicker m_ticker;
    bool m_destroyed = false;
};
