#pragma once
// Message maps: which message, command or notification reaches which member function. A class
// puts DECLARE_MESSAGE_MAP() in its declaration and writes its table in its source file:
//
//     BEGIN_MESSAGE_MAP(CMainDlg, CDialog)
//         ON_WM_SIZE()
//         ON_COMMAND(32862, &CMainDlg::OnExit)
//         ON_UPDATE_COMMAND_UI(57643, &CMainDlg::OnUpdateUndo)
//         ON_NOTIFY(TCN_SELCHANGE, 1000, &CMainDlg::OnTabSelChange)
//         ON_MESSAGE(0x8068, &CMainDlg::OnShowMenuBar)
//     END_MESSAGE_MAP()
//
// ON_WM_xxx entries call the handler of the standard name (OnSize for WM_SIZE); the others name
// theirs. Each entry turns into a small function that unpacks the message's parameters and calls
// the handler through a member pointer of exactly the handler's expected type, so a handler with
// the wrong signature does not compile. Entries are tried in table order, then the base class's.
//
// [SECTION] Declaring and writing a map
// [SECTION] Parameter unpacking (the thunks)
// [SECTION] Window messages
// [SECTION] Commands and command-UI updates
// [SECTION] Control notifications
// [SECTION] Reflected notifications (handled by the control itself)

#include "platform/framework/CmdUI.h"
#include "platform/framework/Menu.h"
#include "platform/framework/Wnd.h"
#include "platform/ui/ListControls.h"

// [SECTION] Declaring and writing a map ----------------------------------------------------------

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                        \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }               \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        typedef theClass ThisClass;                                                                \
        typedef baseClass TheBaseClass;                                                            \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    {0, 0, 0, 0, nullptr}};                                                                        \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};  \
    return &messageMap;                                                                            \
    }

// [SECTION] Parameter unpacking (the thunks) -----------------------------------------------------

// The CDC of a message's device context (a temporary wrapper); defined with the window DCs.
CDC* AfxDCFromHandle(HDC hDC);

namespace afx_thunk {

// Names a type only once T is known, so that a class the header only declares (CPoint) need be
// complete only where a handler using it is listed.
template <class Type, class T> struct Later {
    using type = Type;
};

template <class T> T* Obj(CCmdTarget* t) { return static_cast<T*>(t); }
inline CWnd* Wnd(WPARAM w) { return CWnd::FromHandle(reinterpret_cast<HWND>(w)); }
inline CWnd* WndL(LPARAM l) { return CWnd::FromHandle(reinterpret_cast<HWND>(l)); }

template <class T, void (T::*F)()> BOOL V_V(CCmdTarget* t, AFX_MSGCALL&) {
    (Obj<T>(t)->*F)();
    return TRUE;
}
template <class T, BOOL (T::*F)()> BOOL B_V(CCmdTarget* t, AFX_MSGCALL&) { return (Obj<T>(t)->*F)(); }
template <class T, UINT (T::*F)()> BOOL U_V(CCmdTarget* t, AFX_MSGCALL& c) {
    c.result = static_cast<LRESULT>((Obj<T>(t)->*F)());
    return TRUE;
}
template <class T, int (T::*F)(LPCREATESTRUCT)> BOOL Create(CCmdTarget* t, AFX_MSGCALL& c) {
    c.result = (Obj<T>(t)->*F)(reinterpret_cast<LPCREATESTRUCT>(c.lParam));
    return TRUE;
}
template <class T, BOOL (T::*F)(CDC*)> BOOL EraseBkgnd(CCmdTarget* t, AFX_MSGCALL& c) {
    c.result = (Obj<T>(t)->*F)(AfxDCFromHandle(reinterpret_cast<HDC>(c.wParam)));
    return TRUE;
}
template <class T, void (T::*F)(UINT, int, int)> BOOL Size(CCmdTarget* t, AFX_MSGCALL& c) {
    (Obj<T>(t)->*F)(static_cast<UINT>(c.wParam), static_cast<SHORT>(LOWORD(c.lParam)), static_cast<SHORT>(HIWORD(c.lParam)));
    return TRUE;
}
template <class T, void (T::*F)(int, int)> BOOL Move(CCmdTarget* t, AFX_MSGCALL& c) {
    (Obj<T>(t)->*F)(static_cast<SHORT>(LOWORD(c.lParam)), static_cast<SHORT>(HIWORD(c.lParam)));
    return TRUE;
}
template <class T, void (T::*F)(BOOL, UINT)> BOOL ShowWindow(CCmdTarget* t, AFX_MSGCALL& c) {
    (Obj<T>(t)->*F)(static_cast<BOOL>(c.wParam), static_cast<UINT>(c.lParam));
    return TRUE;
}
template <class T, void (T::*F)(UINT_PTR)> BOOL Timer(CCmdTarget* t, AFX_MSGCALL& c) {
    (Obj<T>(t)->*F)(static_cast<UINT_PTR>(c.wParam));
    return TRUE;
}
template <class T, void (T::*F)(UINT, CPoint)> BOOL Mouse(CCmdTarget* t, AFX_MSGCALL& c) {
    using Point = typename Later<CPoint, T>::type;
    (Obj<T>(t)->*F)(static_cast<UINT>(c.wParam), Point(GET_X_LPARAM(c.lParam), GET_Y_LPARAM(c.lParam)));
    return TRUE;
}
template <class T, void (T::*F)(UINT, UINT, UINT)> BOOL Key(CCmdTarget* t, AFX_MSGCALL& c) {
    (Obj<T>(t)->*F)(static_cast<UINT>(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam));
    return TRUE;
}
template <class T, void (T::*F)(CWnd*)> BOOL Focus(CCmdTarget* t, AFX_MSGCALL& c) {
    (Obj<T>(t)->*F)(Wnd(c.wParam));
    return TRUE;
}
template <class T, void (T::*F)(BOOL)> BOOL Bool(CCmdTarget* t, AFX_MSGCALL& c) {
    (Obj<T>(t)->*F)(static_cast<BOOL>(c.wParam));
    return TRUE;
}
template <class T, void (T::*F)(UINT, CWnd*, BOOL)> BOOL Activate(CCmdTarget* t, AFX_MSGCALL& c) {
    (Obj<T>(t)->*F)(LOWORD(c.wParam), WndL(c.lParam), HIWORD(c.wParam));
    return TRUE;
}
template <class T, BOOL (T::*F)(CWnd*, UINT, UINT)> BOOL SetCursor(CCmdTarget* t, AFX_MSGCALL& c) {
    c.result = (Obj<T>(t)->*F)(Wnd(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam));
    return TRUE;
}
template <class T, HBRUSH (T::*F)(CDC*, CWnd*, UINT)> BOOL CtlColor(CCmdTarget* t, AFX_MSGCALL& c) {
    HBRUSH brush = (Obj<T>(t)->*F)(AfxDCFromHandle(reinterpret_cast<HDC>(c.wParam)), WndL(c.lParam),
                                   c.message - WM_CTLCOLORMSGBOX);
    c.result = reinterpret_cast<LRESULT>(brush);
    return TRUE;
}
template <class T, void (T::*F)(int, LPDRAWITEMSTRUCT)> BOOL DrawItem(CCmdTarget* t, AFX_MSGCALL& c) {
    (Obj<T>(t)->*F)(static_cast<int>(c.wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(c.lParam));
    c.result = TRUE;
    return TRUE;
}
template <class T, void (T::*F)(UINT, LPCTSTR)> BOOL SettingChange(CCmdTarget* t, AFX_MSGCALL& c) {
    (Obj<T>(t)->*F)(static_cast<UINT>(c.wParam), reinterpret_cast<LPCTSTR>(c.lParam));
    return TRUE;
}
template <class T, void (T::*F)(UINT, UINT, CScrollBar*)> BOOL Scroll(CCmdTarget* t, AFX_MSGCALL& c) {
    // The bar's object (a temporary wrapper when it has none of its own) as the scroll-bar class.
    auto* bar = reinterpret_cast<CScrollBar*>(WndL(c.lParam));
    (Obj<T>(t)->*F)(LOWORD(c.wParam), static_cast<UINT>(static_cast<SHORT>(HIWORD(c.wParam))), bar);
    return TRUE;
}
template <class T, void (T::*F)(CMenu*, UINT, BOOL)> BOOL InitMenuPopup(CCmdTarget* t, AFX_MSGCALL& c) {
    (Obj<T>(t)->*F)(CMenu::FromHandle(reinterpret_cast<HMENU>(c.wParam)), LOWORD(c.lParam), HIWORD(c.lParam));
    return TRUE;
}
template <class T, BOOL (T::*F)(HELPINFO*)> BOOL HelpInfo(CCmdTarget* t, AFX_MSGCALL& c) {
    c.result = (Obj<T>(t)->*F)(reinterpret_cast<HELPINFO*>(c.lParam));
    return TRUE;
}
template <class T, LRESULT (T::*F)(WPARAM, LPARAM)> BOOL Message(CCmdTarget* t, AFX_MSGCALL& c) {
    c.result = (Obj<T>(t)->*F)(c.wParam, c.lParam);
    return TRUE;
}
// Commands.
template <class T, BOOL (T::*F)(UINT)> BOOL CommandEx(CCmdTarget* t, AFX_MSGCALL& c) { return (Obj<T>(t)->*F)(c.nID); }
template <class T, void (T::*F)(UINT)> BOOL Range(CCmdTarget* t, AFX_MSGCALL& c) {
    (Obj<T>(t)->*F)(c.nID);
    return TRUE;
}
template <class T, void (T::*F)(CCmdUI*)> BOOL Update(CCmdTarget* t, AFX_MSGCALL& c) {
    (Obj<T>(t)->*F)(static_cast<CCmdUI*>(c.pExtra));
    return TRUE;
}
template <class T, void (T::*F)(UINT, CCmdUI*)> BOOL UpdateRange(CCmdTarget* t, AFX_MSGCALL& c) {
    (Obj<T>(t)->*F)(c.nID, static_cast<CCmdUI*>(c.pExtra));
    return TRUE;
}
// WM_NOTIFY at the parent (pExtra is an AFX_NOTIFY).
template <class T, void (T::*F)(NMHDR*, LRESULT*)> BOOL Notify(CCmdTarget* t, AFX_MSGCALL& c) {
    auto* n = static_cast<AFX_NOTIFY*>(c.pExtra);
    (Obj<T>(t)->*F)(n->pNMHDR, n->pResult);
    return TRUE;
}
template <class T, void (T::*F)(UINT, NMHDR*, LRESULT*)> BOOL NotifyRange(CCmdTarget* t, AFX_MSGCALL& c) {
    auto* n = static_cast<AFX_NOTIFY*>(c.pExtra);
    (Obj<T>(t)->*F)(c.nID, n->pNMHDR, n->pResult);
    return TRUE;
}
template <class T, BOOL (T::*F)(UINT, NMHDR*, LRESULT*)> BOOL NotifyEx(CCmdTarget* t, AFX_MSGCALL& c) {
    auto* n = static_cast<AFX_NOTIFY*>(c.pExtra);
    return (Obj<T>(t)->*F)(c.nID, n->pNMHDR, n->pResult);
}
// Reflected to the control (pExtra is the NMHDR; the result goes to c.result).
template <class T, void (T::*F)(NMHDR*, LRESULT*)> BOOL NotifyReflect(CCmdTarget* t, AFX_MSGCALL& c) {
    LRESULT result = 0;
    (Obj<T>(t)->*F)(static_cast<NMHDR*>(c.pExtra), &result);
    c.result = result;
    return TRUE;
}
template <class T, BOOL (T::*F)(NMHDR*, LRESULT*)> BOOL NotifyReflectEx(CCmdTarget* t, AFX_MSGCALL& c) {
    LRESULT result = 0;
    BOOL eaten = (Obj<T>(t)->*F)(static_cast<NMHDR*>(c.pExtra), &result);
    c.result = result;
    return eaten;
}
template <class T, HBRUSH (T::*F)(CDC*, UINT)> BOOL CtlColorReflect(CCmdTarget* t, AFX_MSGCALL& c) {
    HBRUSH brush = (Obj<T>(t)->*F)(AfxDCFromHandle(reinterpret_cast<HDC>(c.wParam)), c.message - WM_CTLCOLORMSGBOX);
    c.result = reinterpret_cast<LRESULT>(brush);
    return brush != nullptr; // no brush: the parent decides
}
template <class T, void (T::*F)(LPDRAWITEMSTRUCT)> BOOL DrawItemReflect(CCmdTarget* t, AFX_MSGCALL& c) {
    (Obj<T>(t)->*F)(reinterpret_cast<LPDRAWITEMSTRUCT>(c.lParam));
    c.result = TRUE;
    return TRUE;
}
template <class T, void (T::*F)(UINT, UINT)> BOOL ScrollReflect(CCmdTarget* t, AFX_MSGCALL& c) {
    (Obj<T>(t)->*F)(LOWORD(c.wParam), static_cast<UINT>(static_cast<SHORT>(HIWORD(c.wParam))));
    return TRUE;
}

} // namespace afx_thunk

// One entry: message, code, id range, thunk over the handler cast to its exact type.
#define AFX_MSG_ENTRY_(msg, code, id, idLast, thunk, type, fn)                                     \
    {static_cast<UINT>(msg), static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(idLast), \
     &afx_thunk::thunk<ThisClass, static_cast<type>(fn)>},
#define AFX_WM_ENTRY_(msg, thunk, sig, name) AFX_MSG_ENTRY_(msg, 0, 0, 0, thunk, sig, &ThisClass::name)

// [SECTION] Window messages ----------------------------------------------------------------------

#define ON_WM_CREATE() AFX_WM_ENTRY_(WM_CREATE, Create, int (ThisClass::*)(LPCREATESTRUCT), OnCreate)
#define ON_WM_DESTROY() AFX_WM_ENTRY_(WM_DESTROY, V_V, void (ThisClass::*)(), OnDestroy)
#define ON_WM_NCDESTROY() AFX_WM_ENTRY_(WM_NCDESTROY, V_V, void (ThisClass::*)(), OnNcDestroy)
#define ON_WM_CLOSE() AFX_WM_ENTRY_(WM_CLOSE, V_V, void (ThisClass::*)(), OnClose)
#define ON_WM_PAINT() AFX_WM_ENTRY_(WM_PAINT, V_V, void (ThisClass::*)(), OnPaint)
#define ON_WM_ERASEBKGND() AFX_WM_ENTRY_(WM_ERASEBKGND, EraseBkgnd, BOOL (ThisClass::*)(CDC*), OnEraseBkgnd)
#define ON_WM_SIZE() AFX_WM_ENTRY_(WM_SIZE, Size, void (ThisClass::*)(UINT, int, int), OnSize)
#define ON_WM_MOVE() AFX_WM_ENTRY_(WM_MOVE, Move, void (ThisClass::*)(int, int), OnMove)
#define ON_WM_SHOWWINDOW() AFX_WM_ENTRY_(WM_SHOWWINDOW, ShowWindow, void (ThisClass::*)(BOOL, UINT), OnShowWindow)
#define ON_WM_TIMER() AFX_WM_ENTRY_(WM_TIMER, Timer, void (ThisClass::*)(UINT_PTR), OnTimer)
#define ON_WM_LBUTTONDOWN() AFX_WM_ENTRY_(WM_LBUTTONDOWN, Mouse, void (ThisClass::*)(UINT, CPoint), OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_WM_ENTRY_(WM_LBUTTONUP, Mouse, void (ThisClass::*)(UINT, CPoint), OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK()                                                                      \
    AFX_WM_ENTRY_(WM_LBUTTONDBLCLK, Mouse, void (ThisClass::*)(UINT, CPoint), OnLButtonDblClk)
#define ON_WM_MOUSEMOVE() AFX_WM_ENTRY_(WM_MOUSEMOVE, Mouse, void (ThisClass::*)(UINT, CPoint), OnMouseMove)
#define ON_WM_MOUSELEAVE() AFX_WM_ENTRY_(WM_MOUSELEAVE, V_V, void (ThisClass::*)(), OnMouseLeave)
#define ON_WM_KEYDOWN() AFX_WM_ENTRY_(WM_KEYDOWN, Key, void (ThisClass::*)(UINT, UINT, UINT), OnKeyDown)
#define ON_WM_KEYUP() AFX_WM_ENTRY_(WM_KEYUP, Key, void (ThisClass::*)(UINT, UINT, UINT), OnKeyUp)
#define ON_WM_CHAR() AFX_WM_ENTRY_(WM_CHAR, Key, void (ThisClass::*)(UINT, UINT, UINT), OnChar)
#define ON_WM_SETFOCUS() AFX_WM_ENTRY_(WM_SETFOCUS, Focus, void (ThisClass::*)(CWnd*), OnSetFocus)
#define ON_WM_KILLFOCUS() AFX_WM_ENTRY_(WM_KILLFOCUS, Focus, void (ThisClass::*)(CWnd*), OnKillFocus)
#define ON_WM_ENABLE() AFX_WM_ENTRY_(WM_ENABLE, Bool, void (ThisClass::*)(BOOL), OnEnable)
#define ON_WM_ACTIVATE() AFX_WM_ENTRY_(WM_ACTIVATE, Activate, void (ThisClass::*)(UINT, CWnd*, BOOL), OnActivate)
#define ON_WM_CANCELMODE() AFX_WM_ENTRY_(WM_CANCELMODE, V_V, void (ThisClass::*)(), OnCancelMode)
#define ON_WM_SETCURSOR() AFX_WM_ENTRY_(WM_SETCURSOR, SetCursor, BOOL (ThisClass::*)(CWnd*, UINT, UINT), OnSetCursor)
#define ON_WM_GETDLGCODE() AFX_WM_ENTRY_(WM_GETDLGCODE, U_V, UINT (ThisClass::*)(), OnGetDlgCode)
// Every WM_CTLCOLOR* message; nCtlColor is CTLCOLOR_EDIT, CTLCOLOR_STATIC...
#define ON_WM_CTLCOLOR() AFX_WM_ENTRY_(WM_CTLCOLOR, CtlColor, HBRUSH (ThisClass::*)(CDC*, CWnd*, UINT), OnCtlColor)
#define ON_WM_DRAWITEM() AFX_WM_ENTRY_(WM_DRAWITEM, DrawItem, void (ThisClass::*)(int, LPDRAWITEMSTRUCT), OnDrawItem)
#define ON_WM_SETTINGCHANGE()                                                                      \
    AFX_WM_ENTRY_(WM_SETTINGCHANGE, SettingChange, void (ThisClass::*)(UINT, LPCTSTR), OnSettingChange)
#define ON_WM_HSCROLL() AFX_WM_ENTRY_(WM_HSCROLL, Scroll, void (ThisClass::*)(UINT, UINT, CScrollBar*), OnHScroll)
#define ON_WM_VSCROLL() AFX_WM_ENTRY_(WM_VSCROLL, Scroll, void (ThisClass::*)(UINT, UINT, CScrollBar*), OnVScroll)
#define ON_WM_INITMENUPOPUP()                                                                      \
    AFX_WM_ENTRY_(WM_INITMENUPOPUP, InitMenuPopup, void (ThisClass::*)(CMenu*, UINT, BOOL), OnInitMenuPopup)
#define ON_WM_HELPINFO() AFX_WM_ENTRY_(WM_HELP, HelpInfo, BOOL (ThisClass::*)(HELPINFO*), OnHelpInfo)
// Any message, to LRESULT handler(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn)                                                             \
    AFX_MSG_ENTRY_(message, 0, 0, 0, Message, LRESULT (ThisClass::*)(WPARAM, LPARAM), memberFxn)

// [SECTION] Commands and command-UI updates ------------------------------------------------------

#define ON_COMMAND(id, memberFxn) AFX_MSG_ENTRY_(WM_COMMAND, CN_COMMAND, id, id, V_V, void (ThisClass::*)(), memberFxn)
// The handler gets the id and returns FALSE to let the command go on to the next target.
#define ON_COMMAND_EX(id, memberFxn)                                                               \
    AFX_MSG_ENTRY_(WM_COMMAND, CN_COMMAND, id, id, CommandEx, BOOL (ThisClass::*)(UINT), memberFxn)
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                    \
    AFX_MSG_ENTRY_(WM_COMMAND, CN_COMMAND, id, idLast, Range, void (ThisClass::*)(UINT), memberFxn)
#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                                        \
    AFX_MSG_ENTRY_(WM_COMMAND, CN_UPDATE_COMMAND_UI, id, id, Update, void (ThisClass::*)(CCmdUI*), memberFxn)
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn)                                          \
    AFX_MSG_ENTRY_(WM_COMMAND, CN_UPDATE_COMMAND_UI, id, idLast, UpdateRange, void (ThisClass::*)(UINT, CCmdUI*), \
                   memberFxn)

// [SECTION] Control notifications ----------------------------------------------------------------

#define ON_CONTROL(code, id, memberFxn) AFX_MSG_ENTRY_(WM_COMMAND, code, id, id, V_V, void (ThisClass::*)(), memberFxn)
#define ON_CONTROL_RANGE(code, id, idLast, memberFxn)                                              \
    AFX_MSG_ENTRY_(WM_COMMAND, code, id, idLast, Range, void (ThisClass::*)(UINT), memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_BN_SETFOCUS(id, memberFxn) ON_CONTROL(BN_SETFOCUS, id, memberFxn)
#define ON_BN_KILLFOCUS(id, memberFxn) ON_CONTROL(BN_KILLFOCUS, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(EN_UPDATE, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_MAXTEXT(id, memberFxn) ON_CONTROL(EN_MAXTEXT, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_DBLCLK(id, memberFxn) ON_CONTROL(CBN_DBLCLK, id, memberFxn)
#define ON_CBN_SETFOCUS(id, memberFxn) ON_CONTROL(CBN_SETFOCUS, id, memberFxn)
#define ON_CBN_KILLFOCUS(id, memberFxn) ON_CONTROL(CBN_KILLFOCUS, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_EDITUPDATE(id, memberFxn) ON_CONTROL(CBN_EDITUPDATE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)
#define ON_CBN_SELENDOK(id, memberFxn) ON_CONTROL(CBN_SELENDOK, id, memberFxn)
#define ON_CBN_SELENDCANCEL(id, memberFxn) ON_CONTROL(CBN_SELENDCANCEL, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_LBN_SELCANCEL(id, memberFxn) ON_CONTROL(LBN_SELCANCEL, id, memberFxn)
#define ON_LBN_SETFOCUS(id, memberFxn) ON_CONTROL(LBN_SETFOCUS, id, memberFxn)
#define ON_LBN_KILLFOCUS(id, memberFxn) ON_CONTROL(LBN_KILLFOCUS, id, memberFxn)

// WM_NOTIFY from control id: handler(NMHDR*, LRESULT* result).
#define ON_NOTIFY(code, id, memberFxn)                                                             \
    AFX_MSG_ENTRY_(WM_NOTIFY, code, id, id, Notify, void (ThisClass::*)(NMHDR*, LRESULT*), memberFxn)
#define ON_NOTIFY_RANGE(code, id, idLast, memberFxn)                                               \
    AFX_MSG_ENTRY_(WM_NOTIFY, code, id, idLast, NotifyRange, void (ThisClass::*)(UINT, NMHDR*, LRESULT*), memberFxn)
#define ON_NOTIFY_EX(code, id, memberFxn)                                                          \
    AFX_MSG_ENTRY_(WM_NOTIFY, code, id, id, NotifyEx, BOOL (ThisClass::*)(UINT, NMHDR*, LRESULT*), memberFxn)

// [SECTION] Reflected notifications (handled by the control itself) -----------------------------
// The plain forms eat the notification; the _EX forms return FALSE to let the parent have it too.

#define ON_NOTIFY_REFLECT(code, memberFxn)                                                         \
    AFX_MSG_ENTRY_(WM_REFLECT_BASE + WM_NOTIFY, code, 0, 0, NotifyReflect, void (ThisClass::*)(NMHDR*, LRESULT*), \
                   memberFxn)
#define ON_NOTIFY_REFLECT_EX(code, memberFxn)                                                      \
    AFX_MSG_ENTRY_(WM_REFLECT_BASE + WM_NOTIFY, code, 0, 0, NotifyReflectEx, BOOL (ThisClass::*)(NMHDR*, LRESULT*), \
                   memberFxn)
#define ON_CONTROL_REFLECT(code, memberFxn)                                                        \
    AFX_MSG_ENTRY_(WM_REFLECT_BASE + WM_COMMAND, code, 0, 0, V_V, void (ThisClass::*)(), memberFxn)
#define ON_CONTROL_REFLECT_EX(code, memberFxn)                                                     \
    AFX_MSG_ENTRY_(WM_REFLECT_BASE + WM_COMMAND, code, 0, 0, B_V, BOOL (ThisClass::*)(), memberFxn)
// HBRUSH CtlColor(CDC*, UINT nCtlColor); a null brush leaves the colours to the parent.
#define ON_WM_CTLCOLOR_REFLECT()                                                                   \
    AFX_MSG_ENTRY_(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0, CtlColorReflect, HBRUSH (ThisClass::*)(CDC*, UINT), \
                   &ThisClass::CtlColor)
#define ON_WM_DRAWITEM_REFLECT()                                                                   \
    AFX_MSG_ENTRY_(WM_REFLECT_BASE + WM_DRAWITEM, 0, 0, 0, DrawItemReflect, void (ThisClass::*)(LPDRAWITEMSTRUCT), \
                   &ThisClass::DrawItem)
#define ON_WM_HSCROLL_REFLECT()                                                                    \
    AFX_MSG_ENTRY_(WM_REFLECT_BASE + WM_HSCROLL, 0, 0, 0, ScrollReflect, void (ThisClass::*)(UINT, UINT), \
                   &ThisClass::HScroll)
#define ON_WM_VSCROLL_REFLECT()                                                                    \
    AFX_MSG_ENTRY_(WM_REFLECT_BASE + WM_VSCROLL, 0, 0, 0, ScrollReflect, void (ThisClass::*)(UINT, UINT), \
                   &ThisClass::VScroll)
