#pragma once
// CWorldMapPanel: the World Map tab page (dialog 156), a child dialog of the page container's tab
// strip. The map band at the top carries the day/night shadow, the selected city's marker and
// the five clock cities' squares; under it the selected city's name, its time and date, its day
// length, an analog clock and the "Rise&Set" box. A ticker thread wakes the page every second.
//
// [SECTION] Object, start-up, ticks, zones and skin   WorldMapPanel.cpp
// [SECTION] Layout and painting                        WorldMapPaint.cpp
// [SECTION] Taps, city choice, squares, menu, tips     WorldMapTaps.cpp

#include "clocks/ClockTicker.h"
#include "clocks/DstRule.h"
#include "core/CitiesDb.h"
#include "core/CityLists.h"
#include "core/CityTime.h"
#include "core/RegistryKey.h"
#include "core/WeatherDb.h"
#include "controls/DigitalClock.h"
#include "platform/framework/BasicControls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/ListControls.h"
#include "platform/framework/Menu.h"
#include "worldmap/NightShadow.h"
#include "worldmap/SunTimes.h"

#include <ctime>

// Program-wide values of the page; they survive the re-creation of its window.
extern POINT ClockSquareCentres[5]; // square centres as last drawn, page client coordinates
extern bool MapEnlarged;            // the map is drawn at the page's full width
extern bool MarkerPlacementPending; // the next layout places the city marker

// The square menu (menu 342): loaded when made, destroyed when it goes.
class CMapPopupMenu : public CMenu {
public:
    CMapPopupMenu();
    ~CMapPopupMenu() override;
};

class CWorldMapPanel : public CDialog {
public:
    explicit CWorldMapPanel(CWnd* pParent = nullptr);
    ~CWorldMapPanel() override;

    enum { IDD = 156 };
    static constexpr int kSquareCount = 5;
    static constexpr COLORREF kSquareColours[kSquareCount] = {RGB(213, 254, 48), RGB(254, 48, 213), RGB(254, 170, 48),
                                                              RGB(48, 200, 254), RGB(48, 254, 100)};

    // [Called by the page container]
    void LoadSkin();
    void Refresh();
    void ShowTips();
    void ToggleCitySquares();
    void SetTwelveHourMode(int flag);
    CString GetHomeLocationName();

    // [Page operations]
    void LoadHomeZone(int& hours, int& minutes);
    void LoadSelectedCityZone(DWORD cityIndex);
    void ComputeSunTimes(int day, int month, int year, DWORD cityIndex);
    void PlaceCityMarker();
    void RaiseOpenTips();
    void InvalidateAll();
    void ShowCityWeather(const CString& name, DWORD cityIndex);
    void ShowCityInformation(DWORD cityIndex);
    // Opens the menu of clock-city square n (1 to 5) at the last tap.
    virtual void ShowSquareMenu(int n);
    void PlaceTipsBox(int x, int y, UINT stringId, int lines, int width);
    // The five centres of the squares, computed as the paint computes them.
    POINT CityCentre(DWORD cityIndex);
    // The city's name: the combo's item once it is filled, else the store's.
    // The selected city's daylight-saving window as held by the page.
    CityDstWindow SelectedCityWindow() const;
    // The selected city's current date and whole hour on its standard time (a device local time):
    // the instant its daylight saving is judged at.
    time_t CityJudgedHour() const;

    // Layout pieces, from the last layout (exposed for the tap areas and the tests).
    int ClockColumnWidth() const { return m_pageHeight / 3; }
    int TextTop() const; // T: the map band's height plus the combo's height
    RECT AnalogClockRect() const;
    // The text areas that the tick invalidates.
    RECT CityNameRowRect() const;
    RECT TimeTextRect() const;
    RECT DateTextRect(bool wholeBlock) const;
    RECT SunriseRect() const;
    RECT SunsetRect() const;

    // Set by the container before it creates the page (program-wide font settings).
    CString m_sharedFontFace = L"Arial";
    int m_sharedFontSizeBase = 0;
    // Cleared by the container before it destroys the page to re-create it.
    bool m_settingsLoaded = false;
    // The fill of the page around its images; set by the container.
    COLORREF m_panelColour = RGB(238, 238, 238);
    // Period of the ticker; the program keeps the second.
    unsigned m_tickPeriodMs = 1000;

    // Controls.
    CStatic m_tipsTitle;
    CButton m_tipsButton;
    CEdit m_tipsText;
    CStatic m_dayLengthValue;
    CButton m_marker;
    CStatic m_sunPicture;
    CStatic m_sunsetValue;
    CStatic m_sunriseValue;
    CComboBox m_cityCombo;
    CityListChoice m_cityChoice; // what the user did in the open city list
    CDigitalClock m_digitalClock;

    // Drawing objects.
    CBrush m_backgroundBrush;
    COLORREF m_markerColor = RGB(255, 255, 255);
    CBrush m_markerBrushWhite, m_markerBrushBlack;
    CBrush m_secondHandBrush;
    CPen m_secondHandPen;
    CBrush m_clockBrush;
    CPen m_clockPen1, m_clockPen2;
    CBrush m_riseSetTitleBrush;
    CPen m_riseSetPen;
    CBrush m_riseSetInnerBrush;
    CBrush m_tipsBrush, m_tipsButtonBrush, m_staticBrush;
    CBitmap m_mapBitmap, m_panelBitmap, m_shadowBitmap;
    HBITMAP m_sunBitmap = nullptr;
    CFont m_largeFont, m_mediumFont, m_smallFont, m_smallBoldFont, m_fixedSmallFont;
    CFont m_tipsTitleFont, m_tipsTextFont, m_tipsButtonFont;

    // Skin.
    enum Colour { CNC, DCC, ACC, DC, DLC, RSTBC, RSTTC, RSIBC, RSITC, SHADCLR, kColourCount };
    COLORREF m_colour[kColourCount] = {};
    CString m_skinFolder, m_panelImagePortrait, m_panelImageLandscape, m_panelImageSquare;
    CString m_loadedPanelImage; // which of the three m_panelBitmap holds

    // Layout.
    int m_workWidth = 0, m_workHeight = 0, m_menuBarHeight = 0, m_pageHeight = 0, m_mapHeight = 0, m_mapLeft = 0;

    // Page state.
    bool m_shadowDue = false;
    int m_firstTick = 0;
    bool m_twelveHour = false;
    int m_cityHour = 0;
    bool m_showCitySquares = true;
    bool m_syncHomeZone = false;
    DWORD m_mapCity = 0;
    int m_cityOffset = 0;
    time_t m_cityDstStart = 0, m_cityDstEnd = 0;
    int m_cityInDst = 0, m_cityDstShift = 0;
    bool m_cityHasDst = false;
    int m_homeZoneHours = 0, m_homeZoneMinutes = 0;
    // The home city's standard offset and rule (syncltz 0), and whether its window is open.
    int m_homeStandard = 0;
    DstRuleFields m_homeRule;
    bool m_homeInDst = false;
    // The device year the two windows above were built for; the tick builds them again when
    // the year changes under a page left open.
    int m_cityDstYear = 0;
    CString m_cityTimeText, m_cityDateText, m_dayLengthLabel, m_cityName;
    DateTriple m_cityDate;
    POINT m_tapPoint{};
    DWORD m_clockCities[kSquareCount] = {};
    CNightShadow m_nightShadow;
    POINT m_lastHands[3][2] = {}; // second, minute, hour: start and end
    bool m_handsDrawn[3] = {};

    CRegistryKey m_registry;
    CCitiesDb m_cities;
    CWeatherDb m_weather;

    ClockTicker& Ticker() { return m_ticker; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Escape and Return close the tips box while it is up.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnDestroy();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);

public:
    afx_msg void OnSelChangeCity();
    afx_msg void OnKillFocusCity();
    afx_msg void OnCloseUpCity();
    afx_msg void OnSelEndOkCity();
    afx_msg void OnEditChangeCity();
    afx_msg void OnTipsSetFocus();
    afx_msg void OnTipClose();
    afx_msg void OnCityInformation();
    afx_msg void OnWeatherForecast();
    afx_msg LRESULT OnHidePage(WPARAM wParam, LPARAM lParam);
    // The clock hands on a context: erase takes the previous hands away first.
    void DrawClock(CDC* dc, int seconds, int minutes, int hours, POINT centre, const RECT& clock, bool erase,
                   bool secondHand);
    void DrawClockCitySquares(CDC* dc);
    void DrawNightShadow(CDC* dest, CDC* colour);

protected:
    DECLARE_MESSAGE_MAP()

private:
    // Layout steps 1 to 9 of a pass; higherRowsWhenEqual chooses the upper sunrise/sunset rows
    // also when the box just fits (the settings-change pass).
    void LayOut(bool higherRowsWhenEqual);
    void LoadPanelImage();
    // The panel image of the screen's present shape.
    const CString& PanelImageForShape() const;
    void LoadImageInto(CBitmap& bitmap, const CString& name);
    void CreateTextFonts();
    void RebuildSkinObjects();
    void OpenCityChoice();
    // Makes `city` the map's city (nothing for -1 or its own city), once it is stored.
    void TakeCity(int city);
    void TakeChosenCity();
    int RiseSetGap(bool forPaint) const;
    int RiseSetLeft(bool forPaint) const; // R
    // Square n (1..5) under the last tap, 0 for none.
    int SquareUnderTap(int tolerance) const;

    ClockTicker m_ticker; // MapTickerThread and its window cell
};
