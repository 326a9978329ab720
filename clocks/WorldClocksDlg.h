#pragma once
// CWorldClocksDlg: the World Clocks tab page (dialog 145), a child dialog of the page
// container's tab strip. The home clock fills the top third of the page, four city clocks a
// two-by-two grid below it; each has digital hours and minutes, a date, an analog face drawn
// over the skin image and its city's name. A ticker thread wakes the page every second.
//
// [SECTION] Model and settings   WorldClocksDlg.cpp
// [SECTION] Services             WorldClocksServices.cpp (skin, tips, texts for other screens)
// [SECTION] Zones                WorldClocksZones.cpp (offsets, daylight saving, home reference)
// [SECTION] Painting and ticks   WorldClocksPaint.cpp (painting, hands, the timed refresh)

#include "clocks/ClockLayout.h"
#include "clocks/ClockTicker.h"
#include "clocks/DstRule.h"
#include "core/CitiesDb.h"
#include "core/CityLists.h"
#include "core/RegistryKey.h"
#include "core/WeatherDb.h"
#include "platform/framework/BasicControls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/ListControls.h"

#include <cstdint>
#include <ctime>

class CWorldClocksDlg : public CDialog {
public:
    explicit CWorldClocksDlg(CWnd* pParent = nullptr);
    ~CWorldClocksDlg() override;

    enum { IDD = 145 };
    static constexpr int kClockCount = 5;

    // The five clocks' CityIndex values, home clock first: one copy for the program.
    static DWORD s_clockCity[kClockCount];

    // Services for the page container, the main window and the other pages.
    void LoadSkin();
    void ShowTips();
    void PlaceTips(int x, int y, UINT stringId, int lineCount, int alignment, bool fit, int width);
    CString GetClockTimeText(int clock); // 1 = home, 2-5 = clocks 1-4
    CString GetClockCityName(int clock); // 0 = home, 1-4
    CString GetHomeLocationName();
    void SetTwelveHourMode(BYTE flag);

    // Zones of the clocks (daylight saving included) and the home reference.
    void LoadClockZones(DWORD home, DWORD city1, DWORD city2, DWORD city3, DWORD city4);
    void ComputeHomeZone(int& referenceHours, int& referenceMinutes);

    // Sets clock n's (0 home, 1-4) reminder notification again for the clock's city as now
    // stored: the reminder keeps its wall-clock time and date, read in the new city's zone.
    // The stored reminder texts do not change; a reminder without a notification stays unset.
    void RescheduleReminders(int clock);

    // The city information dialog and the five-day forecast of a clock's city, opened by the
    // taps on a clock's "[i]" and sun icon.
    virtual void ShowCityInfo(DWORD cityIndex, const CString& dateText);
    virtual void ShowCityWeather(const CString& cityName, DWORD cityIndex);

    // The analog hands of one clock over its face.
    void DrawClockHands(CDC* pDC, int second, int minute, int hour, POINT centre, const RECT& face, bool update,
                        bool home);

    // Set by the container.
    bool m_initialised = false;   // cleared before the container destroys the page to re-create it
    COLORREF m_panelColour = RGB(194, 211, 228);
    // The program's shared font settings (the main window's `font` and `fontbase`), handed over
    // by the container before it creates the page.
    CString m_sharedFontFace = L"Arial";
    int m_sharedFontSizeBase = 0;

    // Period of the ticker; the program keeps the second.
    unsigned m_tickPeriodMs = 1000;

    // Page model.
    bool m_twelveHour = false;
    int32_t m_hourDigestA = 0; // h0 + 100 h1 + 10000 h2
    int16_t m_hourDigestB = 0; // h3 + 100 h4
    CStatic m_tipsStatic;
    CEdit m_tipsEdit;
    CButton m_tipsCloseButton;
    CComboBox m_cityCombo[kClockCount];
    CityListChoice m_cityChoice[kClockCount]; // what the user did in each open list
    CBitmap m_background;
    CFont m_tipsFont;
    CFont m_tipsTextFont;
    CFont m_tipsButtonFont;
    int m_width = 0;      // W
    int m_height = 0;     // H
    int m_clockArea = 0;  // A
    int m_menuHeight = 0; // M
    ClockScreenShape m_shape = ClockScreenShape::Portrait;
    CBrush m_pageBrush;
    int m_zone[kClockCount] = {};
    int m_refHours = 0;
    int m_refMinutes = 0;
    CBrush m_homeSecondHandBrush, m_homeHandBrush, m_cityHandBrush;
    CPen m_homeSecondHandPen;
    CPen m_homeHandPen1, m_homeHandPen2;
    CPen m_cityHandPen1, m_cityHandPen2;
    CFont m_smallFont, m_textFont, m_timeFont, m_bigTimeFont;
    int32_t m_fullRepaint = 1;
    CString m_timeText[kClockCount];
    CString m_dateText[kClockCount];
    CString m_cityLabel[kClockCount];                  // CityNameOf's texts
    int64_t m_cityLabelOf[kClockCount] = {-1, -1, -1, -1, -1}; // the cities they were read for
    bool m_syncLocalZone = false;
    time_t m_dstStart[kClockCount] = {};
    time_t m_dstEnd[kClockCount] = {};
    int32_t m_dstShift[kClockCount] = {};
    int32_t m_dstApplied[kClockCount] = {};
    COLORREF m_colour[9] = {};
    CString m_skinFolder, m_imagePortrait, m_imageLandscape, m_imageSquare;
    CRegistryKey m_registry;
    CCitiesDb m_cities;
    CWeatherDb m_weatherCities;
    // The reminders' stored texts, one each for clocks 0-4, as last read from the settings.
    CString m_reminderTime[kClockCount];
    CString m_reminderDate[kClockCount];
    CString m_reminderDescription[kClockCount];

    // Indexes into m_colour.
    enum Colour { CMDC, CMD, CMCN, CMAC, CMSC, CODC, COD, COCN, COAC };

    // The current geometry (W, A, shape) as OnSize last set it.
    ClockGeometry Geometry() const;
    // The ticker, for the container's and the tests' checks.
    ClockTicker& Ticker() { return m_ticker; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Escape and Return close the tips box while it is up.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnPaint();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnTipClose();
    afx_msg void OnTipsEditSetFocus();
    afx_msg LRESULT OnHidePage(WPARAM wParam, LPARAM lParam);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    // The city lists' notifications; id is the list's control id.
    afx_msg void OnSelChangeCity(UINT id);
    afx_msg void OnKillFocusCity(UINT id);
    afx_msg void OnCloseUpCity(UINT id);
    afx_msg void OnSelEndOkCity(UINT id);
    afx_msg void OnEditChangeCity(UINT id);
    DECLARE_MESSAGE_MAP()

private:
    void LayOut();
    void LoadBackground();
    void CreateHandObjects();
    void CreateTextFonts();
    // The reference a clock's texts are computed against: the home reference, or for the home
    // clock without zone synchronisation its own zone (the device's local time).
    void ClockReference(int clock, int& hours, int& minutes) const;
    // The clock's city as its list names it (a name more than one city has, with its country).
    // Read from the store when the clock's city has changed, not at every paint.
    CString CityNameOf(int clock);
    // The zone state of one city clock (or of the home clock with zone synchronisation).
    void LoadOneClockZone(int clock, int year);
    // Whether a clock's current time lies inside its stored window.
    bool IsInsideStoredWindow(int clock);
    // The hour digests from the five time texts.
    void UpdateHourDigests();

    // City choice (WorldClocksCities.cpp).
    // The page container this page lives in; null under any other parent.
    class CMainTabCtrl* Container() const;
    // Fills a clock's city list on first use, then shows it and drops it down.
    void OpenCityList(int clock);
    // The list's selection becomes the clock's city.
    void ChooseCity(int clock);
    void ChooseHomeCity();
    // Makes `city` the clock's city (nothing for -1 or its own city); false when it could not be stored.
    bool TakeCity(int clock, int city);
    // Offers to move clock n's (1-4) reminder when it names another city than the clock's.
    // moved: the clock has just moved to another city.
    void OfferReminderMove(int clock, bool moved);
    // The list is left or closed: a typed name of another city chooses it, anything else
    // restores the clock's city; the list is hidden.
    void LeaveCityList(int clock, bool killFocus);
    // A new home city's entry for the weather cities, looked up in its country's list before
    // anything is stored; what the lookup met is said after the store.
    struct HomeWeatherPlace {
        CString name, country, path;
        CString code;       // empty: nothing to add (known already, not listed, no list)
        bool damaged = false;
        LONG openError = 0; // the country's list could not be opened
        void Complain() const;
    };
    HomeWeatherPlace FindHomeWeatherPlace(DWORD cityIndex);
    // Adds the place to the weather cities, moving the stored places at or after it (shifted
    // marks which); false when a write failed.
    bool AddWeatherPlace(const HomeWeatherPlace& place, BOOL shifted[4]);
    // The writes of RescheduleReminders, without a word: false when one failed. refused tells
    // that the clock's reminder stayed where it was, its time being a repeated reading there.
    bool StoreReminderMoves(int clock, bool& refused);
    // "Reminders settings saved...", or why the reminder did not move.
    void TellReminderMoved(bool refused);

    CBrush m_tipsBrush;       // RGB(250, 250, 220)
    CBrush m_tipsButtonBrush; // RGB(0, 120, 220)
    CBrush m_staticBrush;     // RGB(238, 238, 238)
    ClockTicker m_ticker;
    int m_zoneYear = 0; // the device year the stored windows were taken for
    // The home city's standard offset and rule as ComputeHomeZone last read them.
    int m_homeStandard = 0;
    DstRuleFields m_homeRule;
    // The home reference from the kept home city and the device's clock now (syncltz 0).
    void HomeReferenceNow(int& referenceHours, int& referenceMinutes) const;
    POINT m_secondHand[2] = {};
    bool m_secondHandDrawn = false;
};

// The hour (0-23) of a clock (0-4) as the page's hour digests hold it.
int ClockHourFromDigests(int32_t digestA, int16_t digestB, int clock);
// The twelve-hour form of an hour: its two digits replace the first two characters of the
// time text ("0%d" below 10); the result is the suffix, "AM" or "PM".
CString ApplyTwelveHourRule(int hour, CString& timeText);
