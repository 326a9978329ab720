#pragma once
// What the scrollable forms of the clocks (edit cities, reminders) share: the scroll step of a
// scroll-bar code, the dialog that scrolls its controls with the vertical bar, and the header
// band at the top of the form.

#include "core/CommonHelpers.h"
#include "platform/base/WinTypes.h"
#include "platform/framework/Dlg.h"

#include <optional>

class CDC;

// The change of the scroll position for a WM_VSCROLL code, pos being the position and range the
// form height less the client height. A line is range / 50, a page range / 10 (truncated); a
// range below 50 scrolls ten pixels a line and a page, so its arrows still move the form. No value for the codes a form ignores (thumb tracking, end of
// scroll, and SB_BOTTOM unless allowBottom).
std::optional<int> FormScrollChange(UINT code, UINT thumbPos, int pos, int range, bool allowBottom);

// A dialog whose form (controls and painting) is taller than the client area it may get and
// scrolls under the vertical bar. The derived form lays its controls out shifted by
// -m_nScrollPos and tells its height through FormHeight().
class CScrollableFormDlg : public CDialog {
public:
    int m_nClientHeight = 0;
    int m_nScrollPos = 0;   // pixels the form is scrolled down
    DWORD m_dwSipFlags = 0; // input-panel flags last seen

protected:
    // allowBottom: whether SB_BOTTOM scrolls to the end.
    CScrollableFormDlg(UINT nIDTemplate, CWnd* pParent, bool allowBottom);

    virtual int FormHeight() const = 0;
    // Moves the form by the change the code gives; false for a code the form ignores.
    bool ScrollForm(UINT nSBCode, UINT nPos);
    // After the client area became cy high: the bar's range becomes the form height less cy, and
    // the bar and the form both stand at the top.
    void ResetFormScroll(int cy);
    // The input panel's flags now (0 when they cannot be read).
    static DWORD ReadSipFlags();
    // Ends the window at the raised input panel's top edge, or at the work area's foot while the
    // panel is down, so that the scroll range reaches every field the panel would cover.
    void FitAbovePanel();
    // A scroll the form makes of itself (a new size, the panel going up or down) leaves the
    // control holding the focus where it shows: the form moves just far enough to bring it back.
    void KeepFocusInView();

    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    DECLARE_MESSAGE_MAP()

private:
    bool m_bAllowBottom;
};


// An Arial font of the forms: default character set, antialiased.
HFONT CreateFormFont(int height, int weight);
