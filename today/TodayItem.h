#pragma once
// CTodayItem: the one Today item of the Ondrelpane library. It shows the program's clocks with
// the weather of their cities and the currency rates on the Today screen, reading the program's
// registry values and stores at every paint, and starts the program on a tap on its globe.
//
// The library shares no code with the program: it calls the device's system functions
// directly and keeps its texts in fixed-size buffers. One item object per loaded library,
// reached by the window procedure through a module-wide pointer.
//
// [SECTION] Window, entry and Today messages   TodayItem.cpp
// [SECTION] Settings, stores, times, weather    TodayItemData.cpp
// [SECTION] Painting and taps                   TodayItemPaint.cpp
// [SECTION] Weather details dialog              WeatherDetailsDlg.cpp

#include "core/DstMath.h"
#include "core/DstSchedule.h"
#include "core/FollowedZones.h"
#include "platform/gdi/WinGdi.h"
#include "platform/system/DeviceTime.h"
#include "platform/system/ObjectStore.h"
#include "platform/ui/ResourceImages.h"
#include "platform/ui/Today.h"

constexpr int kTodayLineCount = 5;
constexpr int kForecastDays = 5;
constexpr int kForecastFields = 12;
constexpr int kForecastFieldLength = 50; // 49 characters and the terminator
constexpr int kWeatherColumns = 3;

// One clock line, rebuilt at every paint.
struct TodayClockLine {
    WCHAR name[30];
    WCHAR time[10];
    WCHAR ampm[3];
    WCHAR title[100];
    WCHAR offset[20];
    WCHAR shift[20], startDay[20], startHour[20], endDay[20], endHour[20];
    int daysLeft;
};

// The weather of one clock line's city.
struct TodayWeatherView {
    int found;       // a current record was found
    int notYetValid; // the record is dated after today
    int dayIndex;    // the record's day that is today (0 to 4)
    int daysLeft;    // days from today to the record's last day
    WCHAR dateText[32];
    WCHAR forecast[kForecastDays][kForecastFields][kForecastFieldLength];
    WCHAR image[kWeatherColumns][256];
    WCHAR high[kWeatherColumns][kForecastFieldLength];
    WCHAR low[kWeatherColumns][kForecastFieldLength];
};

// Where the weather columns stand in a paint: each column's picture and texts, the texts' font
// height, and how far the clock texts moved left to make room for them.
struct TodayWeatherColumns {
    int imageX[kWeatherColumns] = {143, 176, 209};
    int textX[kWeatherColumns] = {161, 194, 226};
    LONG textHeight = 0; // 0: the small font as it is
    int clockShift = 0;  // taken from the names' room, as on a narrow item
};

// The currency strip's data.
struct TodayCurrencies {
    WCHAR code[3][8];
    double rate[3];
    WCHAR dateText[16];
};

class CTodayItem {
public:
    CTodayItem(HINSTANCE instance, LPCWSTR className, LPCWSTR windowName);
    virtual ~CTodayItem();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void DrawIcon(HDC dc);
    virtual void CreateFonts();
    virtual void LoadSettings();
    virtual void ComputeCityDate(int offset, int& day, int& month, int& year);
    virtual void FormatTime(int offset, LPWSTR text);
    virtual void SplitForecastText(LPCWSTR text, WCHAR table[kForecastDays][kForecastFields][kForecastFieldLength]);
    virtual void LoadWeather(const LPCWSTR names[kTodayLineCount]);
    virtual SYSTEMTIME AddDays(const SYSTEMTIME& date, int days);
    virtual int DaysBetween(const SYSTEMTIME& a, const SYSTEMTIME& b);
    virtual BOOL IsLaterDate(const SYSTEMTIME& a, const SYSTEMTIME& b);
    virtual void ConvertTemperatures();
    virtual double CelsiusToFahrenheit(double t);
    virtual double FahrenheitToCelsius(double t);
    virtual void GetLocalUtcOffset(int& hours, int& minutes);
    virtual void LoadMapping();
    // Reads the per-year daylight-saving windows beside the program (m_dstSchedules) and the
    // city list the cities follow tzdata by (m_followList).
    void LoadDstSchedules();
    virtual void RotateClocks(int viewIndex, DWORD& home, DWORD& clock1, DWORD& clock2, DWORD& clock3, DWORD& clock4);
    virtual LRESULT OnCreate(LPARAM createData);
    virtual void OnDestroy();
    virtual void Draw(HDC dc);
    virtual void OnEraseBkgnd(HDC dc);
    virtual void OnQueryRefreshCache(TODAYLISTITEM* record, BOOL* result);
    virtual LRESULT OnClearCache(TODAYLISTITEM* record);
    virtual void OnLButtonUp(WPARAM keys, int x, int y);
    virtual void OnLButtonDown(WPARAM keys, int x, int y);
    virtual void OnSettingChange(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    BOOL Create(HWND parent, DWORD style);
    BOOL RegisterWindowClass(WNDPROC proc);
    void UnregisterWindowClass();
    BOOL LoadIcon(UINT resourceId, int x, int y);
    void SetHeight(int pixels) { m_height = pixels; }
    void Refresh(BOOL show);
    void HitTestForecast(int x, int y);

    HWND GetWindow() const { return m_window; }
    int GetHeight() const { return m_height; }
    BOOL IsHeightChanged() const { return m_heightChanged; }

    // What the paint and the tests read.
    int LineCount() const { return m_lineCount; }
    BOOL ShowCurrencies() const { return m_showCurrencies; }
    int ViewIndex() const { return m_viewIndex; }
    const TodayClockLine& Line(int i) const { return m_lines[i]; }
    const TodayWeatherView& Weather(int i) const { return m_weather[i]; }
    const TodayCurrencies& Currencies() const { return m_currencies; }
    BOOL DetailsAvailable() const { return m_detailsAvailable; }
    DWORD StoredHomeIndex() const { return m_storedHomeIndex; }
    BOOL TwelveHour() const { return m_twelveHour; }

private:
    // Reads one city record: name ':' country, offset and rule, by position. FALSE when the
    // store is closed or there is no record at the index.
    BOOL ReadCity(DWORD index, WCHAR nameCountry[160], WCHAR offset[20], WCHAR rule[80]);
    // The position of the city the home location (hlname) names; fallback when it names none.
    DWORD HomeOfLocation(DWORD fallback);
    // Applies a rule's daylight saving to an offset as a clock line does: the shift is added
    // while the city's standard time now lies in the rule's window. devHours and devMinutes: the
    // zone the device's clock stands for (GetLocalUtcOffset), taken once for all the lines.
    int ApplyDaylightSaving(LPCWSTR nameCountry, LPCWSTR offsetText, LPCWSTR rule, TodayClockLine* line,
                            int devHours, int devMinutes);
    // A stored rule's fields (copied into the line when one is given), its day numbers dates of
    // the rules' year; no daylight saving for a rule without four ':'. A city still as the list
    // beside the program gives it (its name ':' country, offset and rule) reads its zone in the
    // machine's tzdata (core/FollowedZones.h).
    dstmath::Rule ReadRule(LPCWSTR nameCountry, LPCWSTR offsetText, LPCWSTR rawRule, TodayClockLine* line) const;
    void ReadCurrencies();
    void SetHeightByFormula();
    void DrawLineTexts(HDC dc, int textShift);
    // Lays the weather columns out for this paint (m_columns): where the usual places hold
    // every temperature whole they stay, else the columns widen to their texts, move left into
    // the names' room and, only when that is not enough, take a smaller font.
    void PlaceWeatherColumns(HDC dc, int textShift, int clientWidth);
    void DrawWeather(HDC dc);
    void DrawCurrencyStrip(HDC dc);
    void DrawFirstStart(HDC dc);

public:
    // Fields, in the order the item keeps them.
    HWND m_window = nullptr;
    BOOL m_heightChanged = FALSE;
    int m_height = 0;
    int m_iconX = 0, m_iconY = 0;
    HWND m_parent = nullptr;
    HICON m_icon = nullptr;
    HINSTANCE m_instance = nullptr;
    LPCWSTR m_className = nullptr;
    LPCWSTR m_windowName = nullptr;
    COLORREF m_textColour = 0;
    HFONT m_normalFont = nullptr, m_boldFont = nullptr, m_smallFont = nullptr;
    HBITMAP m_bitmap = nullptr;
    CEOID m_citiesId = 0, m_weatherId = 0, m_currenciesId = 0;
    HANDLE m_citiesDb = INVALID_HANDLE_VALUE, m_weatherDb = INVALID_HANDLE_VALUE,
           m_currenciesDb = INVALID_HANDLE_VALUE;
    DWORD m_homeIndex = 0;
    DWORD m_storedHomeIndex = 0;
    int m_nameShift = 0;
    int m_lineCount = 3, m_previousLineCount = 3;
    BOOL m_showCurrencies = TRUE, m_previousShowCurrencies = TRUE;
    TodayClockLine m_lines[kTodayLineCount] = {};
    BYTE m_detailsAvailable = 0;
    int m_viewIndex = -1;
    TodayWeatherColumns m_columns; // as the last paint laid them out; taps follow them

    // Settings of the last LoadSettings.
    // lineCount and showCurrencies as the last paint drew them: a change between two paints
    // changes the height, even when a tap read the settings in between.
    int m_paintedLineCount = 3;
    BOOL m_paintedShowCurrencies = TRUE;
    BOOL m_twelveHour = FALSE;
    BOOL m_syncLocalZone = FALSE;
    // The year whose dates the stored rules' day numbers are (dstyear, written by the program
    // with its city store); 0 reads them alike in every year.
    int m_rulesYear = 0;
    // The per-year windows of dstyears.lst in the installation folder, read when the item is
    // created; empty when the file is missing or damaged (the rules then read as they are).
    dstmath::ScheduleList m_dstSchedules;
    // cities.lst in the installation folder where it names its tzdata release, read when the
    // item is created; null otherwise (no city follows tzdata then).
    dstmath::FollowListPtr m_followList;
    TodayWeatherView m_weather[kTodayLineCount] = {};
    TodayCurrencies m_currencies = {};
};

// Module-wide state of the library.
extern CTodayItem* g_todayItem;
extern int g_stripHeight;      // the currency strip's height: 22 until the strip was drawn
extern int g_currencyPair;     // 1 to 3
extern BOOL g_fahrenheit;      // fara is 1
extern WCHAR g_mapping[4096];  // mapping.cfg as "entry;entry;..."
extern bool g_citiesOpen, g_weatherOpen, g_currenciesOpen;

// A text value of a key under HKEY_LOCAL_MACHINE into out (count characters, ended); empty when
// the key or the value is missing or the value is not text.
void ReadRegistryText(LPCWSTR path, LPCWSTR name, LPWSTR out, DWORD count);
// The image name mapped to a weather condition code ("na" when none).
void FindMappedImage(LPCWSTR condition, LPWSTR out, int outLength);
// Adds days to a date (the details dialog's form of CTodayItem::AddDays).
SYSTEMTIME AddDaysToSystemTime(const SYSTEMTIME& date, int days);

LRESULT CALLBACK TodayItemWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WeatherDetailsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Prepares the details dialog for a weather line and column (1 to 3).
void PrepareWeatherDetails(CTodayItem& item, int line, int column);
