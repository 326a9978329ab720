#pragma once
// CCurrencyPanel: the Currencies tab page (dialog 157), a child dialog of the page container's
// tab strip. Three columns, each with a currency chosen from jrvCurrencies, over up to ten lines
// of amount fields of which three are on screen; typing an amount into a field converts it into
// the two other fields of its line through the stored rates. Totals per column, a small
// cross-rate display, and "Update All", which fetches every rate from the feed server.
//
// [SECTION] Object, start-up, colours, painting, skin, tips   CurrencyPanel.cpp
// [SECTION] Columns, lines and conversion                     CurrencyConversion.cpp
// [SECTION] Rate update and the last-update label             CurrencyRates.cpp
// [SECTION] Layout by screen shape and the back button        CurrencyLayout.cpp

#include "controls/ChoiceCombo.h"
#include "controls/IconButton.h"
#include "controls/TransparentPicture.h"
#include "core/CurrenciesDb.h"
#include "core/RegistryKey.h"
#include "currency/ColumnCombo.h"
#include "currency/CurrencyLogic.h"
#include "platform/framework/BasicControls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/ListControls.h"

class CMainTabCtrl;

class CCurrencyPanel : public CDialog {
public:
    explicit CCurrencyPanel(CWnd* pParent = nullptr);
    ~CCurrencyPanel() override;

    enum { IDD = 157 };

    // [Called by the page container]
    void ApplySkin();
    void PlaceTipsBox();
    // After rates were stored elsewhere: the label from the store's time, then reload.
    void ShowLastUpdate();
    void ShowTipsBox(int x, int y, UINT textId, int lineCount, int alignment, BOOL fit, int width);

    // The currency list the store is seeded from. Taken from the main window when the page
    // starts under it; set here beforehand otherwise.
    void SetCurrencyList(CurrencyListEntry* const* entries, int count) {
        m_pCurrencyList = entries;
        m_nCurrencyCount = count;
    }

    // The rate request; fills the server address from adrs.cfg on the way.
    CString BuildCurrencyQuery();

    // Applies a rate reply to the store, then reloads the rates and reconverts the lines. True
    // when at least one rate was stored; rejected (when given) receives the names of the
    // currencies whose rates in the reply were not valid and that kept their stored rate.
    bool StoreRates(const CString& reply, std::vector<CString>* rejected = nullptr);

    // Handlers, public so that other screens and tests can run them as the page does.
    afx_msg void OnAddLine();
    afx_msg void OnBackLine();
    afx_msg void OnClearAll();
    afx_msg void OnUpdateAll();
    afx_msg void OnSelChangePair1();
    afx_msg void OnSelChangePair2();
    afx_msg void OnSelChangePair3();
    afx_msg void OnSelChangeRateBase();
    afx_msg void OnTipsOk();

    // State, for the container and for tests.
    int GetLineCount() const { return m_nLines; }
    int GetLastVisibleLine() const { return m_nLastVisibleLine; }
    CEdit* GetAmountField(int column, int line) const;
    double GetColumnRate(int column) const { return m_rate[column]; }
    CurrencyShape GetShape() const { return m_shape; }
    const CString& GetServerAddress() const { return m_strServer; }
    // The panel colour the container hands over; set to the page's own at start-up.
    COLORREF m_panelColour = RGB(194, 211, 228);
    BOOL m_bFirstPaint = FALSE;

    // Skin colours.
    COLORREF m_crSum = 0, m_crSumText = 0, m_crPanel = 0, m_crCounter = 0, m_crButtonText = 0, m_crUpdate = 0,
             m_crBack = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Escape and Return close the tips box while it is up.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnDestroy();
    afx_msg void OnChangeAmount1();
    afx_msg void OnChangeAmount2();
    afx_msg void OnChangeAmount3();
    afx_msg void OnUpdateAmount1();
    afx_msg void OnUpdateAmount2();
    afx_msg void OnUpdateAmount3();
    afx_msg void OnSetFocusAmount1();
    afx_msg void OnSetFocusAmount2();
    afx_msg void OnSetFocusAmount3();
    afx_msg void OnSetFocusTips();
    afx_msg LRESULT OnHidePanel(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    // Start-up steps.
    void CreateLine(int line);
    void ReadSelectedIndexes();
    void FillCurrencyCombos();
    void FillRateBase();
    void SetUpdateLabelAtStart();
    CString UpdateWord() const;
    // The label's date, or the never-text when the rates were never updated.
    CString UpdateTail();
    // The label: the shape's word, then tail (kept for the next shape).
    void SetUpdateLabel(const CString& tail);
    // The label's word again for the shape of the current layout pass.
    void FollowShapeInUpdateLabel();

    // Conversion.
    void ConvertFrom(int column);
    void ConvertLine(int column, int line);
    void RecomputeTotals();
    void FilterColumn(int column);
    void NewCurrency(int column);
    void ShowCrossRates(int base);
    double ReadColumnRate(int column);
    // The page container when the page lies in it; null under any other parent.
    CMainTabCtrl* Container() const;
    // Moves the container's focus back to this tab while the Tools strip is open.
    void CheckToolsStrip();

    // Layout.
    void ReadWorkArea();
    void LayOut(bool settingChange);
    void PlaceLineWindow();
    void PlaceSeparators();
    void MakeSettingFonts();
    void PlaceField(int column, int line, int row, bool show);
    // An amount field's place in a row, across the width the controls are laid out in and
    // moved by the scroll offset.
    CurrencyPlace FieldPlace(int column, int row) const;
    void RepaintLineCounter();
    // With the input panel raised the page ends at the panel's top edge and scrolls its
    // controls, so that the totals and the bottom band can be brought above the panel.
    void FitAbovePanel();
    void KeepCodesInside(std::map<int, CurrencyPlace>& places);
    void KeepLabelBetweenButtons(std::map<int, CurrencyPlace>& places);
    void KeepAboveBottom(std::map<int, CurrencyPlace>& places, int bottom);
    void ScrollTo(int offset);
    int ScrollRange() const;

    HBRUSH Brush(CBrush& brush, COLORREF colour);

    // Controls bound by DoDataExchange.
    CStatic m_tipsFrame;
    CButton m_tipsHide;
    CEdit m_tipsText;
    CStatic m_lastUpdate;
    CTransparentPicture m_frame2, m_frame1;
    CStatic m_ruleBandBottom, m_ruleBandTop, m_ruleTotalsTop, m_total3, m_total2, m_total1, m_ruleTotalsBottom,
        m_ruleTop, m_separator2, m_separator1;
    CColumnCombo m_pair3, m_pair2, m_pair1;
    CStatic m_panel, m_band, m_equals, m_code2, m_rate2, m_code1, m_rate1;
    CChoiceCombo m_rateBase;
    // Set while the page itself moves the focus through the amount fields to convert them: the
    // input panel comes up for the user's entry, not for that.
    bool m_bConverting = false;

    CBrush m_backBrush;
    CIconButton m_clearAll, m_updateAll, m_addLine, m_backLine;

    // Work area (W, H), menu bar height and the height available under the tabs.
    int m_nWidth = 0, m_nHeight = 0, m_nMenuHeight = 0, m_nAvailable = 0;
    CurrencyShape m_shape = CurrencyShape::Tall;
    // The width the controls are laid out in: the work area's, or the client area beside a
    // shown scroll bar; how far the controls are scrolled up; the lowest control's bottom.
    int m_nPlaceWidth = 0, m_nScroll = 0, m_nContentHeight = 0;
    bool m_bLayingOut = false;

    CString m_strServer;
    CString m_strUpdateDate;
    CString m_strUpdateTail; // what the label shows after its word; empty until it is first set
    CString m_strSkinFolder;

    // Fonts: the page's, the cross rates', and one per group of controls.
    CFont m_pageFont, m_ratesFont;
    CFont m_buttonFont, m_squareRatesFont, m_squareBaseFont, m_labelFont, m_squareButtonFont, m_codesFont,
        m_totalsFont, m_combosFont, m_tipsFrameFont, m_tipsTextFont, m_tipsHideFont;
    // The totals' font at each smaller height down to kSmallestTotalHeight, for totals too long
    // for the usual one.
    CFont m_smallTotalsFonts[13 - kSmallestTotalHeight];
    // Replaced (never accumulated) at each settings change on a square screen.
    CFont m_settingRatesFont, m_settingBaseFont;

    // Brushes by colour, made once.
    CBrush m_panelBrush, m_sumBrush, m_whiteBrush, m_ruleBrush, m_tipsBrush, m_tipsHideBrush;

    CRegistryKey m_registry;
    CCurrenciesDb m_store;
    CurrencyListEntry* const* m_pCurrencyList = nullptr;
    int m_nCurrencyCount = 0;

    // The amount lines: one edit per column and line, created as lines are added.
    CEdit* m_fields[3][kMaxCurrencyLines] = {};
    int m_nLines = 0;
    int m_nLastVisibleLine = 2;
    double m_rate[3] = {0, 0, 0};
    DWORD m_selected[3] = {0, 0, 0};
};

// Stores every valid rate (IsValidRate) of a reply whose code names a currency of the list (by
// its name there, the last match winning) and that the store holds, all in one store
// transaction, so that an update cut short leaves the rates of before, never some of each. Of a
// code given twice the last valid rate stays; an invalid rate is skipped and its currency keeps
// the rate it had. A rate is stored as the shortest text of its value (StoredRateText), which
// every reader holds whole. True when a rate was stored and the transaction committed; rejected
// (when given) receives the names of the listed currencies whose rates were all invalid.
bool StoreCurrencyReply(CCurrenciesDb& store, CurrencyListEntry* const* list, int count, const CString& reply,
                        std::vector<CString>* rejected = nullptr);

