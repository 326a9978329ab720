#pragma once
// CConverterDlg: the Tools page's "Measurements" tool. The user picks a category, a from unit
// and a to unit and types a value; the result follows every keystroke. Six categories convert
// by factor through their base unit with the units of the converters store; the temperatures
// convert by formula through Kelvin. "Edit units ..." runs the unit editor and reloads the
// units; the main window's Edit menu reaches the value field through private messages.

#include "controls/ChoiceCombo.h"
#include "controls/IconButton.h"
#include "controls/TransparentPicture.h"
#include "core/ConvertersDb.h"
#include "core/RegistryKey.h"
#include "platform/framework/Controls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/ListControls.h"
#include "tools/ToolWindow.h"

#include <algorithm>

class CConverterDlg : public CDialog {
public:
    explicit CConverterDlg(CWnd* pParent = nullptr);
    ~CConverterDlg() override;

    // Re-reads the skin's colours and background image; does not repaint by itself.
    void ApplySkin();
    // Re-reads the unit tables from the store and refills the lists of the chosen category.
    void ReloadUnits();

    // Result scrolling, one character a step (also the arrows' taps).
    void ScrollResultForward();
    void ScrollResultBack();

    // Set when the tool has told the main window that Undo is available.
    bool UndoAnnounced = false;

    CTransparentPicture m_resultFrame; // 1108
    CTransparentPicture m_valueFrame;  // 1107
    CChoiceCombo m_category;
    CStatic m_bottomBand, m_resultLabel, m_fromLabel, m_topBand, m_convertLabel;
    CEdit m_valueField;
    CChoiceCombo m_toList;
    CChoiceCombo m_fromList;
    CEdit m_resultField;
    double m_resultValue = 0;

    CRect m_scratchRect;
    int m_nWidth = 0, m_nHeight = 0, m_nPageHeight = 0, m_nMenuHeight = 0;
    CBrush m_dialogBrush;
    CIconButton m_clearButton;
    CIconButton m_editUnitsButton;
    double m_value = 0;
    CString m_scratch;
    CFont* m_pFont = nullptr;
    CBitmap m_background;
    COLORREF m_panelColor = RGB(194, 211, 228);
    COLORREF m_panelTextColor = RGB(0, 0, 0);
    COLORREF m_panelButtonColor = RGB(50, 50, 150);
    COLORREF m_labelColor = RGB(0, 0, 0);
    CString m_skinName, m_skinText, m_skinFolder, m_portraitFolder, m_backgroundName;
    CRegistryKey m_registry;
    CConvertersDb m_units;
    CString ResultText;
    int ResultScrollOffset = 0;

    // The arrows of a long result, in this window's client coordinates; the tap boxes are the
    // open interiors of these rectangles.
    struct ResultArrows {
        POINT forward;
        POINT back;
        RECT band; // invalidated after a conversion or a scroll
    };
    ResultArrows GetResultArrows() const;
    // The value and result fields' width: 15 of the widest characters a result holds, in the
    // fields' font, between the field's margins (93 pixels until the window measured it).
    int FieldWidth() const { return m_nFieldWidth; }
    bool IsPortrait() const { return m_nWidth < m_nHeight; }
    // Never left of the window: beside a scroll bar the width can be less than the 235 pixels
    // the rows were made for, and the lists then give up the difference.
    int LayoutLeft() const { return std::max(0, (PlaceWidth() - 235) / 2); }
    // The width the controls are laid out in: the work area's, or the client area's beside the
    // scroll bar shown while the raised input panel leaves too little room.
    int PlaceWidth() const { return m_nPlaceWidth > 0 ? m_nPlaceWidth : m_nWidth; }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnClear();
    afx_msg void Convert();
    void ShowResult(); // the result value in its field, or a word when no number holds it
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnSetfocusResult();
    afx_msg void OnSelchangeCategory();
    afx_msg void OnSelchangeFrom();
    afx_msg void OnSelchangeTo();
    afx_msg void OnDropdownFrom();
    afx_msg void OnDropdownTo();
    afx_msg void OnCloseupList();
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnEditUnits();
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnKillfocusValue();
    afx_msg void OnSetfocusValue();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnUpdateValue();
    afx_msg void OnDestroy();
    afx_msg LRESULT OnLeaveTool(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnEditUndo(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnEditCut(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnEditCopy(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnEditPaste(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnEditSelectAll(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void ReadMetrics();
    void Layout();
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    // The arrows' band in client coordinates, where the scrolled controls are.
    void InvalidateArrowBand();
    toolwin::CToolScroll m_scroll;
    int m_nPlaceWidth = 0;
    int m_nFieldWidth = 93;
    int m_nOffsetBeforeList = -1; // the scroll offset before a unit list opened; -1 while none is open
    bool m_bPanelDownForList = false; // the raised panel was lowered for the open unit list
    void MeasureFieldWidth();
    // A unit list about to open above the raised panel: the content moves within its scroll
    // range, the list's field in view, to where the list has the most room on one side of its
    // field; where that is less than its rows, the panel is lowered until the list closes.
    void MakeRoomForList(CComboBox& list);
    // A category without units has no result: the field is emptied.
    bool CategoryHasUnits() const;
    void ClearResult();
    void SetDropWidths();
    void FillUnitLists();
    void ShowResultText();
    void SelectAllValue();

    // Fonts handed to the controls; kept until the window goes.
    CFont m_labelFont, m_buttonFont, m_listFont, m_fieldFont, m_lastFont;
    CBrush m_whiteBrush;
    CBrush m_panelBrush;
};
