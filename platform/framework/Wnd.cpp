// CWnd: the handle map, subclassing, dispatch through the message map and the window wrappers.
//
// [SECTION] Handle map
// [SECTION] Window procedure and dispatch
// [SECTION] Creation and subclassing
// [SECTION] Command and notification routing
// [SECTION] Wrappers

#include "platform/framework/Wnd.h"

#include "platform/framework/DataExchange.h"
#include "platform/framework/WinApp.h"
#include "platform/ui/MessageBox.h"

#include <memory>
#include <unordered_map>
#include <vector>

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

// [SECTION] Handle map ---------------------------------------------------------------------------

namespace {

// Each thread has its own maps, as each thread has its own windows.
struct WndThreadState {
    std::unordered_map<HWND, CWnd*> permanent;
    std::unordered_map<HWND, std::unique_ptr<CWnd>> temporary; // freed at idle time, or with the thread
    MSG current{};            // the message being dispatched
    CWnd* wndInit = nullptr;  // the object a window of the framework's class is being created for
};

WndThreadState& State() {
    thread_local WndThreadState state;
    return state;
}

const AFX_MSGMAP_ENTRY kCWndEntries[] = {{0, 0, 0, 0, nullptr}};

bool IsCtlColor(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

} // namespace

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, kCWndEntries};
    return &map;
}
const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

CWnd::CWnd() = default;
CWnd::CWnd(HWND hWnd) : m_hWnd(hWnd), m_bTemporary(true) {} // a wrapper never owns its window

CWnd::~CWnd() {
    // The main window often lives on the start-up's stack: the application must not keep it.
    if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
    if (m_hWnd && !m_bTemporary && FromHandlePermanent(m_hWnd) == this) {
        // The object goes first: its window goes with it, as a window never outlives its object.
        HWND hWnd = m_hWnd;
        if (m_pfnSuper) {
            SetWindowLongW(hWnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
            m_pfnSuper = nullptr;
        }
        Detach();
        ::DestroyWindow(hWnd);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (!hWnd) return nullptr;
    auto& map = State().permanent;
    auto it = map.find(hWnd);
    return it == map.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (!hWnd) return nullptr;
    if (CWnd* p = FromHandlePermanent(hWnd)) return p;
    auto& temps = State().temporary;
    auto it = temps.find(hWnd);
    if (it != temps.end()) return it->second.get();
    auto& slot = temps[hWnd];
    slot = std::make_unique<CWnd>(hWnd); // marked temporary: it never destroys its window
    return slot.get();
}

void CWnd::DeleteTempMap() {
    auto temps = std::move(State().temporary);
    State().temporary.clear();
}

BOOL CWnd::Attach(HWND hWndNew) {
    if (!hWndNew || m_hWnd || FromHandlePermanent(hWndNew)) return FALSE;
    m_hWnd = hWndNew;
    State().permanent[hWndNew] = this;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd) {
        auto& map = State().permanent;
        auto it = map.find(hWnd);
        if (it != map.end() && it->second == this) map.erase(it);
    }
    m_hWnd = nullptr;
    return hWnd;
}

// [SECTION] Window procedure and dispatch -------------------------------------------------------

LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WndThreadState& ts = State();
    MSG saved = ts.current;
    ts.current = MSG{hWnd, message, wParam, lParam, 0, {0, 0}};
    LRESULT result = pWnd->WindowProc(message, wParam, lParam);
    ts.current = saved;
    if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == pWnd) {
        // The window is gone: unbind it and give the object its last call.
        pWnd->Detach();
        pWnd->PostNcDestroy();
    }
    return result;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (!pWnd) {
        WndThreadState& ts = State();
        if (!ts.wndInit) return ::DefWindowProcW(hWnd, message, wParam, lParam);
        // The first message of a window CreateEx is making: bind it now.
        pWnd = ts.wndInit;
        ts.wndInit = nullptr;
        pWnd->Attach(hWnd);
        pWnd->m_pfnSuper = ::DefWindowProcW;
        pWnd->PreSubclassWindow();
    }
    return AfxCallWndProc(pWnd, hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) return CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const MSG& m = State().current;
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

const MSG* CWnd::GetCurrentMessage() { return &State().current; }

namespace {

// The control a parent's notification message came from; null when it names none.
HWND NotifyingChild(UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsCtlColor(message)) return reinterpret_cast<HWND>(lParam);
    switch (message) {
    case WM_DRAWITEM: return lParam ? reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)->hwndItem : nullptr;
    case WM_HSCROLL:
    case WM_VSCROLL: return reinterpret_cast<HWND>(lParam);
    default: (void)wParam; return nullptr;
    }
}

BOOL ReflectTo(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    CWnd* pChild = CWnd::FromHandlePermanent(hWndChild);
    if (!pChild) return FALSE;
    LRESULT scratch = 0;
    return pChild->OnChildNotify(message, wParam, lParam, pResult ? pResult : &scratch);
}

} // namespace

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        *pResult = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        LRESULT result = 0;
        if (!OnNotify(wParam, lParam, &result)) return FALSE;
        *pResult = result;
        return TRUE;
    }
    AFX_MSGCALL call;
    call.message = message;
    call.wParam = wParam;
    call.lParam = lParam;
    if (DispatchToMap(call, IsCtlColor(message) ? WM_CTLCOLOR : message, 0, 0)) {
        *pResult = call.result;
        return TRUE;
    }
    // No handler: a control's own notification still gets its reflected chance.
    HWND child = NotifyingChild(message, wParam, lParam);
    if (child && child != m_hWnd) {
        LRESULT result = 0;
        if (ReflectTo(child, message, wParam, lParam, &result)) {
            *pResult = result;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult) {
    const MSG& m = State().current;
    return ReflectTo(hWndChild, m.message, m.wParam, m.lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    AFX_MSGCALL call;
    call.message = message;
    call.wParam = wParam;
    call.lParam = lParam;
    UINT reflected = WM_REFLECT_BASE + (IsCtlColor(message) ? WM_CTLCOLOR : message);
    UINT code = 0;
    if (message == WM_COMMAND) {
        code = HIWORD(wParam);
        call.nID = LOWORD(wParam);
        call.nCode = static_cast<int>(code);
    } else if (message == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (!hdr) return FALSE;
        code = hdr->code;
        call.nID = static_cast<UINT>(hdr->idFrom);
        call.pExtra = hdr;
    }
    if (!DispatchToMap(call, reflected, code, 0)) return FALSE;
    if (pResult) *pResult = call.result;
    return TRUE;
}

// [SECTION] Creation and subclassing ------------------------------------------------------------

LPCWSTR AfxWndClassName() {
    static const wchar_t* name = [] {
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = AfxWndProc;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_WINDOW + 1));
        wc.lpszClassName = L"AfxWnd";
        RegisterClassW(&wc);
        return L"AfxWnd";
    }();
    return name;
}

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                  UINT nID, void*) {
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                    CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
    if (m_hWnd) return FALSE;
    bool ownClass = !lpszClassName || std::wstring_view(lpszClassName) == AfxWndClassName();
    if (ownClass) {
        // AfxWndProc binds the window at its first message, so WM_CREATE reaches the map.
        State().wndInit = this;
        HWND hWnd = CreateWindowExW(dwExStyle, AfxWndClassName(), lpszWindowName, dwStyle, x, y, nWidth, nHeight,
                                    hWndParent, nIDorHMenu, nullptr, lpParam);
        if (State().wndInit == this) State().wndInit = nullptr;
        if (!hWnd) {
            if (m_hWnd) Detach();
            return FALSE;
        }
        return m_hWnd == hWnd;
    }
    HWND hWnd = CreateWindowExW(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, nWidth, nHeight, hWndParent,
                                nIDorHMenu, nullptr, lpParam);
    if (!hWnd) return FALSE;
    if (!SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    HWND hWnd = m_hWnd;
    if (!hWnd) return FALSE;
    BOOL ok = ::DestroyWindow(hWnd);
    // An attached window that was not subclassed never told us of its end.
    if (m_hWnd == hWnd && !IsWindow(hWnd)) Detach();
    return ok;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!IsWindow(hWnd) || !Attach(hWnd)) return FALSE;
    PreSubclassWindow();
    auto old = reinterpret_cast<WNDPROC>(SetWindowLongW(hWnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
    m_pfnSuper = (old && old != AfxWndProc) ? old : ::DefWindowProcW;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (!pParent) return FALSE;
    HWND hWnd = ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID));
    return hWnd ? SubclassWindow(hWnd) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    if (m_hWnd && m_pfnSuper) SetWindowLongW(m_hWnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

void CWnd::PreSubclassWindow() {}
void CWnd::PostNcDestroy() {}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL AfxPreTranslateMessage(MSG* pMsg) {
    for (HWND h = pMsg->hwnd; h; h = ::GetParent(h)) {
        if (CWnd* p = CWnd::FromHandlePermanent(h))
            if (p->PreTranslateMessage(pMsg)) return TRUE;
    }
    return FALSE;
}

// [SECTION] Command and notification routing ---------------------------------------------------

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT nID = LOWORD(wParam);
    HWND hWndCtrl = reinterpret_cast<HWND>(lParam);
    int nCode = HIWORD(wParam);
    if (hWndCtrl) {
        if (hWndCtrl == m_hWnd) return FALSE; // a window does not notify itself
        if (ReflectTo(hWndCtrl, WM_COMMAND, wParam, lParam, nullptr)) return TRUE; // the control ate it
    } else {
        nCode = CN_COMMAND; // a menu or key command
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (!hdr) return FALSE;
    if (hdr->hwndFrom && hdr->hwndFrom != m_hWnd && ReflectTo(hdr->hwndFrom, WM_NOTIFY, 0, lParam, pResult))
        return TRUE;
    AFX_NOTIFY notify{pResult, hdr};
    return OnCmdMsg(static_cast<UINT>(hdr->idFrom), static_cast<int>(MAKELONG(0, WM_NOTIFY)), &notify, nullptr);
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (CUserException* e) {
        e->Delete(); // the failing field has told the user and has the focus
        return FALSE;
    }
    return TRUE;
}

// [SECTION] Wrappers -----------------------------------------------------------------------------

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}
LRESULT CWnd::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendDlgItemMessageW(m_hWnd, nID, message, wParam, lParam);
}

void CWnd::SetWindowText(LPCTSTR lpszString) { ::SetWindowTextW(m_hWnd, lpszString ? lpszString : L""); }
int CWnd::GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const {
    return ::GetWindowTextW(m_hWnd, lpszStringBuf, nMaxCount);
}
void CWnd::GetWindowText(CString& rString) const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    std::vector<WCHAR> buffer(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    rString = buffer.data();
}
int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }

void CWnd::SetDlgItemText(int nID, LPCTSTR lpszString) { ::SetDlgItemTextW(m_hWnd, nID, lpszString ? lpszString : L""); }
int CWnd::GetDlgItemText(int nID, LPTSTR lpStr, int nMaxCount) const {
    return static_cast<int>(::GetDlgItemTextW(m_hWnd, nID, lpStr, nMaxCount));
}
int CWnd::GetDlgItemText(int nID, CString& rString) const {
    rString.Empty();
    HWND item = ::GetDlgItem(m_hWnd, nID);
    if (!item) return 0;
    CWnd(item).GetWindowText(rString);
    return rString.GetLength();
}
void CWnd::SetDlgItemInt(int nID, UINT nValue, BOOL bSigned) { ::SetDlgItemInt(m_hWnd, nID, nValue, bSigned); }
UINT CWnd::GetDlgItemInt(int nID, BOOL* lpTrans, BOOL bSigned) const {
    return ::GetDlgItemInt(m_hWnd, nID, lpTrans, bSigned);
}
void CWnd::CheckDlgButton(int nIDButton, UINT nCheck) { ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
UINT CWnd::IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }
void CWnd::CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
    ::CheckRadioButton(m_hWnd, nIDFirstButton, nIDLastButton, nIDCheckButton);
}
int CWnd::GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) {
    for (int id = nIDFirstButton; id <= nIDLastButton; ++id)
        if (::IsDlgButtonChecked(m_hWnd, id)) return id;
    return 0;
}

CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
void CWnd::GetDlgItem(int nID, HWND* phWnd) const { *phWnd = ::GetDlgItem(m_hWnd, nID); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
int CWnd::SetDlgCtrlID(int nID) { return static_cast<int>(SetWindowLongW(m_hWnd, GWL_ID, nID)); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::SetParent(CWnd* pWndNewParent) {
    return FromHandle(::SetParent(m_hWnd, pWndNewParent ? pWndNewParent->m_hWnd : nullptr));
}
CWnd* CWnd::GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
CWnd* CWnd::GetWindow(UINT nCmd) const { return FromHandle(::GetWindow(m_hWnd, nCmd)); }
CWnd* CWnd::GetTopWindow() const { return FromHandle(::GetTopWindow(m_hWnd)); }
CWnd* CWnd::GetNextWindow(UINT nFlag) const { return FromHandle(::GetWindow(m_hWnd, nFlag)); }
CWnd* CWnd::GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious) const {
    return FromHandle(::GetNextDlgTabItem(m_hWnd, pWndCtl ? pWndCtl->m_hWnd : nullptr, bPrevious));
}
CWnd* CWnd::GetNextDlgGroupItem(CWnd* pWndCtl, BOOL bPrevious) const {
    return FromHandle(::GetNextDlgGroupItem(m_hWnd, pWndCtl ? pWndCtl->m_hWnd : nullptr, bPrevious));
}
CWnd* CWnd::ChildWindowFromPoint(POINT point) const { return FromHandle(::ChildWindowFromPoint(m_hWnd, point)); }
CWnd* CWnd::WindowFromPoint(POINT point) { return FromHandle(::WindowFromPoint(point)); }
BOOL CWnd::IsChild(const CWnd* pWnd) const { return pWnd && ::IsChild(m_hWnd, pWnd->m_hWnd); }

DWORD CWnd::GetStyle() const { return static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_EXSTYLE)); }

namespace {
BOOL ModifyStyleBits(HWND hWnd, int index, DWORD remove, DWORD add, UINT flags) {
    auto style = static_cast<DWORD>(GetWindowLongW(hWnd, index));
    DWORD updated = (style & ~remove) | add;
    if (updated == style) return FALSE;
    SetWindowLongW(hWnd, index, static_cast<LONG_PTR>(updated));
    if (flags) ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}
} // namespace

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    return ModifyStyleBits(m_hWnd, GWL_STYLE, dwRemove, dwAdd, nFlags);
}
BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    return ModifyStyleBits(m_hWnd, GWL_EXSTYLE, dwRemove, dwAdd, nFlags);
}

void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
void CWnd::ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
void CWnd::ClientToScreen(LPRECT lpRect) const { ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(lpRect), 2); }
void CWnd::ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
void CWnd::ScreenToClient(LPRECT lpRect) const { ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(lpRect), 2); }
void CWnd::MapWindowPoints(CWnd* pwndTo, LPPOINT lpPoint, UINT nCount) const {
    ::MapWindowPoints(m_hWnd, pwndTo ? pwndTo->m_hWnd : nullptr, lpPoint, nCount);
}
void CWnd::MapWindowPoints(CWnd* pwndTo, LPRECT lpRect) const {
    ::MapWindowPoints(m_hWnd, pwndTo ? pwndTo->m_hWnd : nullptr, reinterpret_cast<LPPOINT>(lpRect), 2);
}
void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}
void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint) {
    ::MoveWindow(m_hWnd, lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
}
const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : HWND_TOP, x, y, cx, cy, nFlags);
}
void CWnd::CenterWindow(CWnd* pAlternateOwner) {
    RECT area{};
    HWND parent = ::GetParent(m_hWnd);
    HWND around = pAlternateOwner ? pAlternateOwner->m_hWnd : (parent ? parent : ::GetWindow(m_hWnd, GW_OWNER));
    if (around && (GetStyle() & WS_CHILD)) {
        ::GetClientRect(around, &area);
    } else if (around && ::IsWindowVisible(around)) {
        ::GetWindowRect(around, &area);
    } else {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT me;
    ::GetWindowRect(m_hWnd, &me);
    int w = me.right - me.left, h = me.bottom - me.top;
    int x = area.left + (area.right - area.left - w) / 2;
    int y = area.top + (area.bottom - area.top - h) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void CWnd::BringWindowToTop() { ::BringWindowToTop(m_hWnd); }

BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL bEnable) { return ::EnableWindow(m_hWnd, bEnable); }

CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
CWnd* CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
BOOL CWnd::SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
CWnd* CWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* CWnd::GetCapture() { return FromHandle(::GetCapture()); }

void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
void CWnd::ValidateRect(LPCRECT lpRect) { ::ValidateRect(m_hWnd, lpRect); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
void CWnd::SetRedraw(BOOL bRedraw) { ::SendMessageW(m_hWnd, WM_SETREDRAW, static_cast<WPARAM>(bRedraw), 0); }
void CWnd::ScrollWindow(int xAmount, int yAmount, LPCRECT lpRect, LPCRECT lpClipRect) {
    ::ScrollWindow(m_hWnd, xAmount, yAmount, lpRect, lpClipRect);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) {
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}
BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

BOOL CWnd::SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw) {
    lpScrollInfo->cbSize = sizeof(SCROLLINFO);
    ::SetScrollInfo(m_hWnd, nBar, lpScrollInfo, bRedraw);
    return TRUE;
}
BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask) {
    lpScrollInfo->cbSize = sizeof(SCROLLINFO);
    lpScrollInfo->fMask = nMask;
    return ::GetScrollInfo(m_hWnd, nBar, lpScrollInfo);
}
int CWnd::SetScrollPos(int nBar, int nPos, BOOL bRedraw) { return ::SetScrollPos(m_hWnd, nBar, nPos, bRedraw); }
int CWnd::GetScrollPos(int nBar) const { return ::GetScrollPos(m_hWnd, nBar); }
void CWnd::SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw) {
    ::SetScrollRange(m_hWnd, nBar, nMinPos, nMaxPos, bRedraw);
}
void CWnd::GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const {
    ::GetScrollRange(m_hWnd, nBar, lpMinPos, lpMaxPos);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(
        ::SendMessageW(m_hWnd, WM_SETICON, bBigIcon ? 1 : 0, reinterpret_cast<LPARAM>(hIcon)));
}

int CWnd::MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType) {
    return ::MessageBoxW(m_hWnd, lpszText, lpszCaption ? lpszCaption : AfxGetAppName(), nType);
}
