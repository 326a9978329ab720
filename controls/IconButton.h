#pragma once
// CIconButton: the owner-drawn push button of the pages and tools. It paints its own face in six
// colour slots, shows up to three icons (highlighted, normal, disabled) beside or instead of its
// caption, and in the flat look draws its raised border only while the pen is over it.

#include "platform/framework/Controls.h"
#include "platform/framework/MessageMap.h"

class CIconButton : public CButton {
public:
    CIconButton();
    ~CIconButton() override;

    // Loads the icons (0: none) at their sizes; the normal and disabled ones are kept only when
    // the highlighted one loads. Repaints; returns 0.
    DWORD SetIcon(UINT idIn, int cxIn, int cyIn, UINT idOut = 0, int cxOut = 0, int cyOut = 0, UINT idDisabled = 0,
                  int cxDisabled = 0, int cyDisabled = 0);
    DWORD SetIcon(UINT idIn, CSize sizeIn, UINT idOut = 0, CSize sizeOut = CSize(), UINT idDisabled = 0,
                  CSize sizeDisabled = CSize());
    DWORD SetFlat(BOOL bFlat, BOOL bRepaint = TRUE);
    // Slot 0..5 (see m_crColors); 3 for a slot out of range, which changes nothing.
    DWORD SetColor(BYTE nSlot, COLORREF crColor, BOOL bRepaint = TRUE);
    COLORREF GetColor(BYTE nSlot) const { return nSlot < BTNST_MAX_COLORS ? m_crColors[nSlot] : 0; }
    // The room the caption is drawn in (the client area right of the icon when one is held), and
    // the size the caption takes there, wrapped and in the font size it is drawn with.
    CRect CaptionRoom() const;
    CSize MeasureCaption();

    void PreSubclassWindow() override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;
    virtual void DrawBorder(CDC* pDC, CRect* pRect);
    virtual void DrawBackground(CDC* pDC, CRect* pRect);

    // Colour slots.
    enum {
        BTNST_COLOR_BK_IN = 0,   // face while hovered or pressed
        BTNST_COLOR_FG_IN = 1,   // caption while hovered or pressed
        BTNST_COLOR_BK_OUT = 2,  // face normally
        BTNST_COLOR_FG_OUT = 3,  // caption normally
        BTNST_COLOR_BK_FOCUS = 4, // face while focused
        BTNST_COLOR_FG_FOCUS = 5, // caption while focused (kept, not drawn)
        BTNST_MAX_COLORS = 6,
    };

protected:
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg BOOL OnClicked();
    afx_msg void OnEnable(BOOL bEnable);
    afx_msg UINT OnGetDlgCode();
    afx_msg HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    afx_msg void OnDestroy();
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg void OnCancelMode();
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg LRESULT OnSetStyle(WPARAM wParam, LPARAM lParam);
    afx_msg void OnMouseLeave();
    DECLARE_MESSAGE_MAP()

private:
    struct IconRecord {
        HICON hIcon = nullptr;
        int cx = 0;
        int cy = 0;
    };
    enum { ICON_IN = 0, ICON_OUT = 1, ICON_DISABLED = 2 };

    void CancelHover();
    // Measures the caption in room in the DC's font, stepping the font down when it does not fit;
    // returns the font to select back afterwards (null when the DC's own font served).
    static CFont* FitCaption(CDC* pDC, const CString& title, const CRect& room, CFont& smaller,
                             CRect& measured);
    void FreeIcons();
    void Repaint();
    static void CALLBACK HoverTimerProc(HWND hWnd, UINT nMsg, UINT_PTR nIDEvent, DWORD dwTime);

    BOOL m_bFlat = TRUE;
    BOOL m_bHover = FALSE;
    BOOL m_bPressed = FALSE;
    BOOL m_bFocused = FALSE;
    BOOL m_bDisabled = FALSE;
    BOOL m_bDefault = FALSE;
    BOOL m_bBorder = TRUE;
    COLORREF m_crColors[BTNST_MAX_COLORS];
    IconRecord m_icons[3];
    UINT_PTR m_nTimerId = 0;
};
