#pragma once
// CWinApp: the program's one application object, constructed by the static initialisers before
// the framework's entry runs. The entry calls InitInstance; when it returns TRUE, Run pumps the
// messages (with idle processing) until WM_QUIT; ExitInstance ends the program either way.

#include "platform/base/CString.h"
#include "platform/framework/Wnd.h"

// The string of the application's title (used as its name when none is given).
#define AFX_IDS_APP_TITLE 0xE000

class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;

    LPCTSTR m_pszAppName = nullptr; // the application's name (message-box captions)
    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    int m_nCmdShow = SW_SHOW;

    virtual BOOL InitInstance();
    // The value the program ends with.
    virtual int ExitInstance();
    virtual int Run();
    // Idle processing: lCount counts the calls since the last message; TRUE asks for another call.
    virtual BOOL OnIdle(LONG lCount);
    // FALSE for the messages after which no idle processing is due: WM_PAINT, the system timer,
    // and a mouse move that did not move.
    virtual BOOL IsIdleMessage(MSG* pMsg);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Gets and dispatches one message; FALSE at WM_QUIT.
    BOOL PumpMessage();

    CWnd* GetMainWnd() const { return m_pMainWnd; }

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

private:
    CString m_strAppName;
    MSG m_msgCur{};
    MSG m_lastMouseMove{};
    friend int AfxWinMain(HINSTANCE, HINSTANCE, LPTSTR, int);
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
// The module every dialog, menu and string load goes to.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInstResource);
// The resource module when it holds the resource, else the program itself: whatever a language
// module lacks (a string, a dialog, a menu) comes from the program's own resources.
HINSTANCE AfxFindResourceHandle(LPCTSTR lpszName, LPCTSTR lpszType);
LPCTSTR AfxGetAppName();
// A message box with the application's name as its caption, owned by the active window.
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The text of a string-table entry; an empty text when the id has none.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));
// The same for a message after which the program ends: on the headless display, where nobody
// could answer it, its text goes to standard error instead of waiting for a tap.
int AfxClosingMessageBox(UINT nIDPrompt, UINT nType = MB_OK);
// Socket support needs no start-up here.
BOOL AfxSocketInit(void* lpwsaData = nullptr);
// Frees the temporary wrappers of windows, menus, DCs, GDI objects and image lists.
void AfxDeleteTempMaps();
// CString::LoadString reads the resource module's string table (installed once).
void AfxInstallStringLoader();

// Runs the application object: InitInstance, then Run or not, then ExitInstance's result.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow);
// The program's entry, called by main(): starts the display back end, runs the application
// object, stops the display; returns the program's exit code (1 when there is no application).
int AfxRunProgram();
