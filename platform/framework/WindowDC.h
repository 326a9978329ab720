#pragma once
// The device contexts of a window: CPaintDC for WM_PAINT (BeginPaint / EndPaint), CClientDC for
// the client area and CWindowDC for the whole window (GetDC / GetWindowDC, released on
// destruction).

#include "platform/framework/DC.h"
#include "platform/framework/Wnd.h"

class CPaintDC : public CDC {
    DECLARE_DYNAMIC(CPaintDC)
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};

protected:
    HWND m_hWnd;
};

class CClientDC : public CDC {
    DECLARE_DYNAMIC(CClientDC)
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};

class CWindowDC : public CDC {
    DECLARE_DYNAMIC(CWindowDC)
public:
    explicit CWindowDC(CWnd* pWnd);
    ~CWindowDC() override;

protected:
    HWND m_hWnd;
};
