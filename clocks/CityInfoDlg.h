#pragma once
// CCityInfoDlg: one city's facts, its sunrise, sunset and day length on a date, and a day
// picture of the world with a crosshair on the city. The caller hands every fact as ready text;
// the dialog computes only the sun times, anew at every paint. It changes nothing: OK closes it.

#include "clocks/DstRule.h"
#include "platform/framework/BasicControls.h"
#include "clocks/ScrollableForm.h"
#include "platform/framework/Dlg.h"

#include <optional>

class CCityInfoDlg : public CScrollableFormDlg {
public:
    explicit CCityInfoDlg(CWnd* pParent = nullptr);

    // Facts set by the caller before the dialog runs.
    CString m_name;
    CString m_country;
    CString m_longitude;     // whole degrees, east positive
    CString m_latitude;      // whole degrees, north positive
    CString m_observing;     // "Observing now", "Not observing now" or "Never observing"
    CString m_period;        // the daylight-saving window, or "-"
    CString m_offsetText;    // the UTC offset as the user sees it, with its daylight-saving suffix
    CString m_currentOffset; // the offset in force, an HhmmOffset written as a decimal integer
    // The city's DstRule and standard offset, when the caller knows them: the sun times of the
    // date are then each read on the clock they happen under (on the day the clocks change, the
    // offset in force now is not the one of the whole day). None: the current offset counts.
    std::optional<DstRuleFields> m_dstRule;
    int m_standardOffset = 0;
    int m_day = 1;
    int m_month = 1;
    int m_year = 2000;

    // Computed at every paint: "HH:MM" texts.
    CString m_sunrise;
    CString m_sunset;
    CString m_dayLength;

    CStatic m_staticName;
    CStatic m_staticLongitude;
    CStatic m_staticLatitude;
    CStatic m_staticOffset;
    CStatic m_staticPeriod; // m_period, shortened to fit its row when it must

    int m_nWorkWidth = 0;
    int m_nContentHeight = 181; // half the day picture's height + 181

    // Sets the three sun-time texts for a date, from the longitude, latitude and current offset.
    void ComputeSunTimes(int day, int month, int year);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    int FormHeight() const override { return m_nContentHeight; }
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    // The period text as wide as room allows in the dialog's period font: as it is, then with
    // two-digit years, then also without the blanks around its dash.
    CString FittedPeriod(int room);

private:
    void Layout();
    void ReadWorkArea();
    HBITMAP DayPicture();
    int PictureHalfHeight(int width);
    void MeasureContent();
    static constexpr int kDayLengthBottom = 240 + 16; // the day length text's foot

    HFONT m_hTitleFont = nullptr;
    HFONT m_hLabelFont = nullptr;
    HFONT m_hValueFont = nullptr;
    HFONT m_hSmallFont = nullptr;
    HFONT m_hSunFont = nullptr;
    HBITMAP m_hDayPicture = nullptr; // day.jpg, read once for the dialog's life
    bool m_bDayPictureRead = false;
};
