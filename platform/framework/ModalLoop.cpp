// The framework's modal message loop (dialogs run in it): every message passes through
// AfxPreTranslateMessage, so the windows' PreTranslateMessage overrides see it, and the window
// hears WM_KICKIDLE whenever the queue runs empty.

#include "platform/framework/Menu.h"
#include "platform/framework/WinApp.h"
#include "platform/framework/Wnd.h"

namespace {
thread_local int t_modalDepth = 0;

struct DepthGuard {
    DepthGuard() { ++t_modalDepth; }
    ~DepthGuard() { --t_modalDepth; }
};
} // namespace

int CWnd::RunModalLoop(DWORD dwFlags) {
    DepthGuard depth;
    HWND hWnd = m_hWnd;
    m_bInModalLoop = TRUE;
    m_nModalResult = -1;
    bool showPending = (dwFlags & MLF_SHOWONIDLE) && !(GetStyle() & WS_VISIBLE);
    bool idle = true;
    LONG idleCount = 0;
    MSG msg{};
    auto over = [&] { return !m_bInModalLoop || !IsWindow(hWnd); };
    for (;;) {
        while (idle && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (showPending) {
                ::ShowWindow(hWnd, SW_SHOWNORMAL);
                ::UpdateWindow(hWnd);
                showPending = false;
            }
            if (over()) goto done;
            // Temporary wrappers go when no handler can hold one: only the outermost loop frees them.
            if (idleCount == 0 && t_modalDepth == 1) AfxDeleteTempMaps();
            if (!(dwFlags & MLF_NOKICKIDLE) && ::SendMessageW(hWnd, WM_KICKIDLE, MSGF_DIALOGBOX, idleCount++)) continue;
            if (over()) goto done;
            idle = false;
        }
        do {
            if (over()) goto done;
            if (!GetMessageW(&msg, nullptr, 0, 0)) {
                PostQuitMessage(static_cast<int>(msg.wParam)); // the outer loop ends too
                m_bInModalLoop = FALSE;
                goto done;
            }
            if (!AfxPreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (over()) goto done;
            CWinApp* app = AfxGetApp();
            if (!app || app->IsIdleMessage(&msg)) {
                idle = true;
                idleCount = 0;
            }
        } while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
done:
    m_bInModalLoop = FALSE;
    return m_nModalResult;
}

void CWnd::EndModalLoop(int nResult) {
    m_nModalResult = nResult;
    if (m_bInModalLoop) {
        m_bInModalLoop = FALSE;
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0); // wakes a loop waiting for a message
    }
}
