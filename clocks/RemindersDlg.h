#pragma once
// CRemindersDlg: the form of the five reminders, one for each clock (0 the home clock, 1-4 the
// city clocks). A reminder is a time and date on its clock city's clock, a description and an
// enable box. The form loads the reminders from Jorvana\alarms and ticks the box of every
// reminder whose notification still exists; when it closes, OK or Cancel, it arms each ticked
// reminder's notification, disarms the others and saves the texts, all at once; OK keeps the
// form open until that is stored. The hidden day, month and year boxes mirror the date pickers
// and carry the date to the registry and the validation.

#include "clocks/ReminderNotifications.h"
#include "clocks/ScrollableForm.h"
#include "core/CitiesDb.h"
#include "core/RegistryKey.h"
#include "platform/framework/BasicControls.h"
#include "platform/framework/ListControls.h"

class CRemindersDlg : public CScrollableFormDlg {
public:
    explicit CRemindersDlg(CWnd* pParent = nullptr);

    // What the device's clock stands for when reminders are converted: the home city with its
    // daylight saving, or the device's own zone with zone synchronisation.
    ReminderHome GetReminderHome();

    // Set by the caller before the form runs: the clock city names (home clock, clocks 1-4).
    CString m_strCityNames[kReminderCount];

    // The reminder texts: read when the form opens, rewritten when it closes.
    CString m_strTimes[kReminderCount];
    CString m_strDates[kReminderCount];
    CString m_strDescs[kReminderCount];

    CButton m_checkEnable[kReminderCount];
    CEdit m_editHours[kReminderCount];
    CEdit m_editMinutes[kReminderCount];
    CEdit m_editDesc[kReminderCount];
    CDateTimeCtrl m_datePicker[kReminderCount];
    CEdit m_editDay[kReminderCount];   // hidden
    CEdit m_editMonth[kReminderCount]; // hidden
    CEdit m_editYear;                  // hidden, home reminder only

    // The data exchange's integers.
    int m_nDay[kReminderCount] = {};
    int m_nMonth[kReminderCount] = {};
    int m_nYear = 2000;
    int m_nHours[kReminderCount] = {};
    int m_nMinutes[kReminderCount] = {};

    CCitiesDb m_db;
    CRegistryKey m_registry;

    HFONT m_hTitleFont = nullptr;
    HFONT m_hNoteFont = nullptr;
    HFONT m_hNameFont = nullptr;

    // Layout: work-area width W and height Hw, menu height M, usable height U, rows R and R2.
    int m_nWidth = 0;
    int m_nWorkHeight = 0;
    int m_nMenuHeight = 0;
    int m_nUsable = 0;
    int m_nRow = 0;
    int m_nRow2 = 0;
    bool m_bShortLandscape = false;
    int m_nContentHeight = 0;
    int m_nHeightBeforePanel = 0; // the window's height before the panel rose
    bool m_bClosedBySave = false; // OK or Cancel saved, or said why it could not

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    // The time and date texts of reminder k as its boxes hold them (the time with two digits
    // each); false when the boxes do not give a real time.
    bool ReadReminderTexts(int k, CString& time, CString& date);
    // Unticks every ticked reminder that would not go off at its time (its time is over, or the
    // device's clock shows it twice and it is meant for the second) and says so, with why; true
    // when it did, so that the form stays open.
    bool RefusePastReminders();
    // Arms the ticked reminders, disarms the others and stores the texts, all of it or nothing;
    // with tell, "Reminders settings saved..." follows. False when nothing was stored (the
    // storage failed, or the service refused a reminder): the user was told why.
    bool SaveReminders(bool tell);
    int FormHeight() const override { return m_nContentHeight; }
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnDestroy();
    afx_msg void OnDescSetFocus(UINT nID);
    afx_msg void OnDescKillFocus(UINT nID);
    afx_msg void OnTimeBoxFocus(UINT nID);
    afx_msg void OnTimeSetFocus(UINT nID);
    afx_msg void OnTimeKillFocus(UINT nID);
    afx_msg void OnDateChange(UINT nID, NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    void ComputeMetrics();
    void PlaceControls();
    void ScrollBy(UINT code);
    void ShowPickerDate(int k);
    CString BoxText(CEdit& edit) const;
};
