// CWnd's own message handlers: the default handling of each message, reached when a derived
// class's handler calls its base. Those of a control's notifications first offer it back to the
// control (reflection).

#include "platform/framework/Wnd.h"

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnNcDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnMouseLeave() { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnEnable(BOOL) { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
void CWnd::OnCancelMode() { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }
void CWnd::OnSettingChange(UINT, LPCTSTR) { Default(); }
void CWnd::OnInitMenuPopup(CMenu*, UINT, BOOL) { Default(); }
BOOL CWnd::OnHelpInfo(HELPINFO*) { return static_cast<BOOL>(Default()); }

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* pWnd, UINT) {
    LRESULT result = 0;
    if (pWnd && pWnd->m_hWnd != m_hWnd && ReflectLastMsg(pWnd->m_hWnd, &result)) return reinterpret_cast<HBRUSH>(result);
    return reinterpret_cast<HBRUSH>(Default());
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT lpDrawItemStruct) {
    if (lpDrawItemStruct && lpDrawItemStruct->CtlType != ODT_MENU && lpDrawItemStruct->hwndItem != m_hWnd &&
        ReflectLastMsg(lpDrawItemStruct->hwndItem))
        return;
    Default();
}

void CWnd::OnHScroll(UINT, UINT, CScrollBar*) {
    auto bar = reinterpret_cast<HWND>(GetCurrentMessage()->lParam);
    if (bar && bar != m_hWnd && ReflectLastMsg(bar)) return;
    Default();
}

void CWnd::OnVScroll(UINT, UINT, CScrollBar*) {
    auto bar = reinterpret_cast<HWND>(GetCurrentMessage()->lParam);
    if (bar && bar != m_hWnd && ReflectLastMsg(bar)) return;
    Default();
}
