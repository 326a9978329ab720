#pragma once
// CWnd: a C++ object bound to a device window. The handle map ties each window handle to its
// permanent CWnd (Attach, SubclassWindow, Create); FromHandle hands out a temporary wrapper for a
// window that has none, freed at the next idle time. A subclassed window's messages go through
// WindowProc -> OnWndMsg -> the message map, and what no entry takes goes to DefWindowProc, the
// window's original procedure.
//
// [SECTION] Handles and the handle map
// [SECTION] Creation and subclassing
// [SECTION] Message dispatch and routing
// [SECTION] Window wrappers
// [SECTION] Default message handlers
//
// Notifications from a control (WM_COMMAND with a control, WM_NOTIFY, WM_DRAWITEM, WM_CTLCOLOR*,
// WM_HSCROLL / WM_VSCROLL from a scroll bar) are first offered back to the control's own map as
// reflected messages (ON_CONTROL_REFLECT, ON_NOTIFY_REFLECT, ON_WM_CTLCOLOR_REFLECT,
// ON_WM_DRAWITEM_REFLECT, or an OnChildNotify override); a reflected handler eats the message
// unless it is an _EX one that returns FALSE. Then the parent's own map has it.

#include "platform/base/CString.h"
#include "platform/framework/CmdTarget.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WinUser.h"

class CDC;
class CFont;
class CMenu;
class CPoint;
class CRgn;
class CScrollBar;
class CDataExchange;

// Marks message handlers in class declarations.
#define afx_msg

// A pseudo message standing for every WM_CTLCOLOR* message in message maps.
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif
#ifndef CTLCOLOR_MSGBOX
#define CTLCOLOR_MSGBOX 0
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_LISTBOX 2
#define CTLCOLOR_BTN 3
#define CTLCOLOR_DLG 4
#define CTLCOLOR_SCROLLBAR 5
#define CTLCOLOR_STATIC 6
#endif

// Sent by the framework's modal loops to the dialog when the queue is empty (wParam MSGF_*,
// lParam the idle count); a nonzero answer asks for more idle calls.
#define WM_KICKIDLE 0x036A
#define WM_IDLEUPDATECMDUI 0x0363
#define MSGF_DIALOGBOX 0
// RunModalLoop flags: no WM_KICKIDLE; show the window at the first idle time.
#define MLF_NOIDLEMSG 0x0001
#define MLF_NOKICKIDLE 0x0002
#define MLF_SHOWONIDLE 0x0004

// The control id of the framework's standard tool bar (the command bars use it).
#define AFX_IDW_TOOLBAR 0xE800

class CWnd : public CCmdTarget {
    DECLARE_DYNCREATE(CWnd)
public:
    CWnd();
    explicit CWnd(HWND hWnd); // wraps without attaching or owning
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // [SECTION] Handles and the handle map ---------------------------------------------------

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }
    // The permanent object of a window, else a temporary wrapper (freed at idle time); null for
    // a null handle.
    static CWnd* FromHandle(HWND hWnd);
    // The permanent object only; null when the window has none.
    static CWnd* FromHandlePermanent(HWND hWnd);
    // Frees every temporary wrapper (the idle processing calls it).
    static void DeleteTempMap();
    // Binds the object to a window without subclassing it; FALSE when either is already bound.
    BOOL Attach(HWND hWndNew);
    HWND Detach();

    // [SECTION] Creation and subclassing -----------------------------------------------------

    // A window of the class (null: the framework's own class) as a child of pParentWnd.
    virtual BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID, void* pContext = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x, int y,
                  int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    virtual BOOL DestroyWindow();
    // Routes the window's messages through this object; FALSE when the object or the window is
    // already bound. PreSubclassWindow runs first.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    // Gives the window back its own procedure and unbinds it; returns the window.
    HWND UnsubclassWindow();
    virtual void PreSubclassWindow();
    // Called after the window's last message (WM_NCDESTROY), once it is unbound.
    virtual void PostNcDestroy();

    // [SECTION] Message dispatch and routing -------------------------------------------------

    // Offered every message before it is dispatched (by the framework's loops, to the target
    // window and its parents); TRUE when the message was handled and must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's original procedure.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The message map's handling of a message; FALSE (and *pResult untouched) when no entry took it.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A control's chance at the notification it sent its parent; the default offers it to the
    // reflected entries of this object's map.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Hands the message being handled back to the control hWndChild; TRUE when it took it.
    static BOOL ReflectLastMsg(HWND hWndChild, LRESULT* pResult = nullptr);
    // The default handling of the message being dispatched (DefWindowProc with its arguments).
    LRESULT Default();
    // The message being dispatched on this thread.
    static const MSG* GetCurrentMessage();
    // Runs a modal message loop for this window until EndModalLoop; returns its result. Messages
    // go through AfxPreTranslateMessage; when the queue is empty the window gets WM_KICKIDLE.
    int RunModalLoop(DWORD dwFlags = 0);
    void EndModalLoop(int nResult);
    BOOL ContinueModal() const { return m_bInModalLoop; }

    // Dialog data exchange (overridden by dialogs; see DataExchange.h).
    virtual void DoDataExchange(CDataExchange* pDX);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // [SECTION] Window wrappers --------------------------------------------------------------

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    void SetWindowText(LPCTSTR lpszString);
    int GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const;
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;
    void SetDlgItemText(int nID, LPCTSTR lpszString);
    int GetDlgItemText(int nID, LPTSTR lpStr, int nMaxCount) const;
    int GetDlgItemText(int nID, CString& rString) const;
    void SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE);
    UINT GetDlgItemInt(int nID, BOOL* lpTrans = nullptr, BOOL bSigned = TRUE) const;
    void CheckDlgButton(int nIDButton, UINT nCheck);
    UINT IsDlgButtonChecked(int nIDButton) const;
    void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
    int GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton);

    CWnd* GetDlgItem(int nID) const;
    void GetDlgItem(int nID, HWND* phWnd) const;
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int nID);
    CWnd* GetParent() const;
    CWnd* SetParent(CWnd* pWndNewParent);
    CWnd* GetOwner() const;
    CWnd* GetWindow(UINT nCmd) const;
    CWnd* GetTopWindow() const;
    CWnd* GetNextWindow(UINT nFlag = GW_HWNDNEXT) const;
    CWnd* GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const;
    CWnd* GetNextDlgGroupItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const;
    CWnd* ChildWindowFromPoint(POINT point) const;
    static CWnd* WindowFromPoint(POINT point);
    BOOL IsChild(const CWnd* pWnd) const;

    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    // Removes then adds style bits; nFlags, when nonzero, go to a SetWindowPos that refreshes the
    // frame. TRUE when the style changed.
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);

    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    void ClientToScreen(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void ScreenToClient(LPRECT lpRect) const;
    void MapWindowPoints(CWnd* pwndTo, LPPOINT lpPoint, UINT nCount) const;
    void MapWindowPoints(CWnd* pwndTo, LPRECT lpRect) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    // pWndInsertAfter: a window, or &wndTop, &wndBottom, &wndTopMost, &wndNoTopMost.
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    void BringWindowToTop();

    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    BOOL IsWindowEnabled() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);

    CWnd* SetFocus();
    static CWnd* GetFocus();
    CWnd* SetActiveWindow();
    static CWnd* GetActiveWindow();
    BOOL SetForegroundWindow();
    CWnd* SetCapture();
    static CWnd* GetCapture();

    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void ValidateRect(LPCRECT lpRect);
    void UpdateWindow();
    BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, CRgn* prgnUpdate = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    void SetRedraw(BOOL bRedraw = TRUE);
    void ScrollWindow(int xAmount, int yAmount, LPCRECT lpRect = nullptr, LPCRECT lpClipRect = nullptr);

    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);

    BOOL SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE);
    BOOL GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL);
    int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE);
    int GetScrollPos(int nBar) const;
    void SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw = TRUE);
    void GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const;

    // Fonts go through WM_SETFONT / WM_GETFONT; GetFont's object is a temporary wrapper.
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    CFont* GetFont() const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);

    // Device contexts of the window (CDC objects of the GDI wrappers).
    CDC* GetDC();
    CDC* GetWindowDC();
    int ReleaseDC(CDC* pDC);
    CDC* BeginPaint(LPPAINTSTRUCT lpPaint);
    void EndPaint(LPPAINTSTRUCT lpPaint);

    // A message box owned by this window; a null caption gives the application's name.
    int MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption = nullptr, UINT nType = MB_OK);

    // [SECTION] Default message handlers -----------------------------------------------------
    // Each runs the default handling of the message; a derived class's handler of the same name,
    // listed in its map, replaces it and may call it. The notification ones reflect first.

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnNcDestroy();
    afx_msg void OnClose();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnMove(int x, int y);
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnEnable(BOOL bEnable);
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg void OnCancelMode();
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg UINT OnGetDlgCode();
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    afx_msg BOOL OnHelpInfo(HELPINFO* pHelpInfo);

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

protected:
    WNDPROC m_pfnSuper = nullptr; // the window's own procedure while subclassed
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);

    int m_nModalResult = -1;
    BOOL m_bInModalLoop = FALSE;

private:
    bool m_bTemporary = false; // a FromHandle wrapper, owned by the temporary map
};

// The window procedure of every subclassed window.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Dispatches one message to a window's object as AfxWndProc does (current message, unbinding
// after WM_NCDESTROY).
LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// The framework's own window class, registered on first use.
LPCWSTR AfxWndClassName();

// Offers a message to PreTranslateMessage of the target window's object and of each of its
// parents' objects, innermost first; TRUE when one handled it.
BOOL AfxPreTranslateMessage(MSG* pMsg);
