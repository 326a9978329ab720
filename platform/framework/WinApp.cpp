#include "platform/framework/WinApp.h"

#include "platform/display/Display.h"
#include "platform/display/DeviceProgram.h"
#include "platform/ui/DeviceProgram.h"
#include "platform/framework/DC.h"
#include "platform/framework/Menu.h"
#include "platform/system/Modules.h"
#include "platform/ui/MessageBox.h"

#include <cerrno>
#include <string>

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

namespace {
CWinApp* g_app = nullptr;
const AFX_MSGMAP_ENTRY kWinAppEntries[] = {{0, 0, 0, 0, nullptr}};
constexpr UINT kSysTimer = 0x0118;

bool LoadFromModule(HINSTANCE module, UINT id, CString& out) {
    LPCWSTR text = nullptr;
    int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return false;
    out = CString(text, length);
    return true;
}

// A string the language module lacks is the program's own.
bool LoadFromResourceModule(UINT id, CString& out) {
    HINSTANCE resources = AfxGetResourceHandle();
    if (LoadFromModule(resources, id, out)) return true;
    return resources != AfxGetInstanceHandle() && LoadFromModule(AfxGetInstanceHandle(), id, out);
}
} // namespace

const AFX_MSGMAP* CWinApp::GetThisMessageMap() {
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, kWinAppEntries};
    return &map;
}
const AFX_MSGMAP* CWinApp::GetMessageMap() const { return GetThisMessageMap(); }

void AfxInstallStringLoader() {
    if (CString::GetStringLoader() != &LoadFromResourceModule) CString::SetStringLoader(&LoadFromResourceModule);
}

namespace {
// A program linked with the framework finds its strings through CString::LoadString from the
// start, before any application or dialog object exists.
const bool g_stringLoaderInstalled = (AfxInstallStringLoader(), true);
} // namespace

CWinApp::CWinApp(LPCTSTR lpszAppName) {
    if (lpszAppName) {
        m_strAppName = lpszAppName;
        m_pszAppName = m_strAppName;
    }
    g_app = this; // the one application object
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return static_cast<int>(m_msgCur.wParam); }

BOOL CWinApp::IsIdleMessage(MSG* pMsg) {
    if (pMsg->message == WM_MOUSEMOVE) {
        bool same = m_lastMouseMove.message == pMsg->message && m_lastMouseMove.lParam == pMsg->lParam;
        m_lastMouseMove = *pMsg;
        return !same;
    }
    return pMsg->message != WM_PAINT && pMsg->message != kSysTimer;
}

BOOL CWinApp::OnIdle(LONG lCount) {
    if (lCount == 0) {
        if (m_pMainWnd && m_pMainWnd->m_hWnd) m_pMainWnd->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
        return TRUE;
    }
    AfxDeleteTempMaps();
    return FALSE;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg) { return AfxPreTranslateMessage(pMsg); }

BOOL CWinApp::PumpMessage() {
    if (!GetMessageW(&m_msgCur, nullptr, 0, 0)) return FALSE;
    if (!PreTranslateMessage(&m_msgCur)) {
        TranslateMessage(&m_msgCur);
        DispatchMessageW(&m_msgCur);
    }
    return TRUE;
}

int CWinApp::Run() {
    bool idle = true;
    LONG idleCount = 0;
    MSG peek;
    for (;;) {
        while (idle && !PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE))
            if (!OnIdle(idleCount++)) idle = false;
        do {
            if (!PumpMessage()) return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) {
                idle = true;
                idleCount = 0;
            }
        } while (PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE));
    }
}

void AfxDeleteTempMaps() {
    CWnd::DeleteTempMap();
    CMenu::DeleteTempMap();
    CDC::DeleteTempMap();
    CGdiObject::DeleteTempMap();
    CImageList::DeleteTempMap();
}

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxGetInstanceHandle() {
    if (g_app && g_app->m_hInstance) return g_app->m_hInstance;
    return GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle() { return device::ResourceModule(); }

void AfxSetResourceHandle(HINSTANCE hInstResource) { device::SetResourceModule(hInstResource); }

HINSTANCE AfxFindResourceHandle(LPCTSTR lpszName, LPCTSTR lpszType) {
    HINSTANCE resources = AfxGetResourceHandle();
    if (resources == AfxGetInstanceHandle() || FindResourceW(resources, lpszName, lpszType)) return resources;
    return FindResourceW(AfxGetInstanceHandle(), lpszName, lpszType) ? AfxGetInstanceHandle() : resources;
}

LPCTSTR AfxGetAppName() {
    if (g_app && g_app->m_pszAppName) return g_app->m_pszAppName;
    return L"";
}

// The owner of a framework box: the active window when it is the main window or owned by it (a
// dialog over it, however deep), else the main window, so that the window the box stands for is
// the one it blocks; a window of the device's own (a raised notification) is not.
static HWND MessageBoxOwner() {
    HWND active = GetActiveWindow();
    HWND main = g_app && g_app->m_pMainWnd ? g_app->m_pMainWnd->m_hWnd : nullptr;
    if (!main || !IsWindow(main)) return active;
    for (HWND h = active; h; h = GetWindow(h, GW_OWNER))
        if (h == main) return active;
    return main;
}

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT) {
    HWND owner = MessageBoxOwner();
    return MessageBoxW(owner, lpszText ? lpszText : L"", AfxGetAppName(), nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    AfxInstallStringLoader();
    CString text;
    text.LoadString(nIDPrompt);
    return AfxMessageBox(text, nType, nIDHelp);
}

int AfxClosingMessageBox(UINT nIDPrompt, UINT nType) {
    AfxInstallStringLoader();
    CString text;
    text.LoadString(nIDPrompt);
    return device::display::ShowClosingMessage(MessageBoxOwner(), text, AfxGetAppName(), nType);
}

BOOL AfxSocketInit(void*) { return TRUE; }

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPTSTR, int nCmdShow) {
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    AfxInstallStringLoader();
    app->m_hInstance = hInstance;
    app->m_nCmdShow = nCmdShow;
    if (!app->m_pszAppName) {
        // The title string when the program has one, else the program's file name.
        if (!app->m_strAppName.LoadString(AFX_IDS_APP_TITLE)) {
            std::wstring path = device::ModulePath(nullptr);
            size_t slash = path.find_last_of(L'\\');
            std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
            size_t dot = name.find_last_of(L'.');
            if (dot != std::wstring::npos) name.resize(dot);
            app->m_strAppName = name.c_str();
        }
        app->m_pszAppName = app->m_strAppName;
    }
    int result;
    if (!app->InitInstance()) {
        result = app->ExitInstance();
    } else {
        result = app->Run();
    }
    AfxDeleteTempMaps();
    return result;
}

int AfxRunProgram() {
    // A program runs once per device: a second start brings the first forward and ends.
    int exitCode = 0;
    if (!device::display::StartDeviceProgram({program_invocation_short_name, true}, exitCode)) return exitCode;
    int result = AfxWinMain(GetModuleHandleW(nullptr), nullptr, const_cast<LPTSTR>(L""), SW_SHOW);
    device::ui::EnableNotificationRaising(false);
    device::display::Stop();
    return result;
}
