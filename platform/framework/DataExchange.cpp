#include "platform/framework/DataExchange.h"

#include "platform/framework/FrameworkStrings.h"
#include "platform/framework/Wnd.h"
#include "platform/framework/WinApp.h"
#include "platform/ui/ListControls.h"
#include "platform/ui/MessageBox.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cwchar>
#include <cwctype>

IMPLEMENT_DYNAMIC(CUserException, CException)

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

HWND CDataExchange::PrepareCtrl(int nIDC) {
    m_pLastInt = nullptr;
    HWND hWnd = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    m_hWndLastControl = hWnd;
    m_bEditLastControl = FALSE;
    return hWnd;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND hWnd = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWnd;
}

void CDataExchange::Fail() {
    if (!m_bSaveAndValidate) throw new CUserException; // loading never fails with a message
    if (m_hWndLastControl) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl) ::SendMessageW(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    throw new CUserException;
}

void AfxDataExchangeMessage(LPCWSTR text) { AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION); }

namespace {

CString ControlText(HWND hWnd) {
    CString text;
    if (hWnd) CWnd(hWnd).GetWindowText(text);
    return text;
}

void SetControlText(HWND hWnd, LPCWSTR text) {
    // Unchanged text is not set again, so the control sends no change notification for nothing.
    if (hWnd && ControlText(hWnd) != text) ::SetWindowTextW(hWnd, text);
}

// The whole text as a signed or unsigned integer within [min, max]: blanks around, one sign, at
// least one digit, nothing else.
bool ParseInteger(const CString& text, bool allowSign, long long min, long long max, long long& out) {
    const wchar_t* p = text;
    while (std::iswspace(static_cast<wint_t>(*p))) ++p;
    bool negative = false;
    if (*p == L'-' || *p == L'+') {
        if (*p == L'-' && !allowSign) return false;
        negative = *p == L'-';
        ++p;
    }
    if (!std::iswdigit(static_cast<wint_t>(*p))) return false;
    long long value = 0;
    for (; std::iswdigit(static_cast<wint_t>(*p)); ++p) {
        value = value * 10 + (*p - L'0');
        if (value > max + 1LL) return false; // far out of range already
    }
    while (std::iswspace(static_cast<wint_t>(*p))) ++p;
    if (*p) return false;
    if (negative) value = -value;
    if (value < min || value > max) return false;
    out = value;
    return true;
}

bool ParseReal(const CString& text, double& out) {
    const wchar_t* start = text;
    wchar_t* end = nullptr;
    errno = 0;
    double value = std::wcstod(start, &end);
    if (end == start || errno == ERANGE) return false;
    while (std::iswspace(static_cast<wint_t>(*end))) ++end;
    if (*end) return false;
    out = value;
    return true;
}

CString Formatted(const wchar_t* format, auto value) {
    wchar_t buffer[64];
    std::swprintf(buffer, 64, format, value);
    return CString(buffer);
}

// A standard message in the program's words when its string table holds one, else in English.
CString FrameworkText(UINT id, LPCWSTR english) {
    CString text;
    if (!text.LoadString(id) || text.IsEmpty()) text = english;
    return text;
}

} // namespace

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd) return; // bound already
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (hWnd) rControl.SubclassWindow(hWnd);
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = ControlText(hWnd);
    else
        SetControlText(hWnd, value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        SetControlText(hWnd, Formatted(L"%d", value));
        return;
    }
    long long parsed = 0;
    if (!ParseInteger(ControlText(hWnd), true, INT_MIN, INT_MAX, parsed)) {
        AfxDataExchangeMessage(FrameworkText(AFX_IDP_PARSE_INT, kAfxParseIntMessage));
        pDX->Fail();
    }
    pDX->m_pLastInt = &value;
    pDX->m_nLastIntBefore = value;
    value = static_cast<int>(parsed);
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) {
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        SetControlText(hWnd, Formatted(L"%u", value));
        return;
    }
    long long parsed = 0;
    if (!ParseInteger(ControlText(hWnd), false, 0, UINT_MAX, parsed)) {
        AfxDataExchangeMessage(FrameworkText(AFX_IDP_PARSE_UINT, kAfxParseUIntMessage));
        pDX->Fail();
    }
    value = static_cast<UINT>(parsed);
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value) {
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        SetControlText(hWnd, Formatted(L"%.15g", value));
        return;
    }
    double parsed = 0;
    if (!ParseReal(ControlText(hWnd), parsed)) {
        AfxDataExchangeMessage(FrameworkText(AFX_IDP_PARSE_REAL, kAfxParseRealMessage));
        pDX->Fail();
    }
    value = parsed;
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageW(hWnd, BM_GETCHECK, 0, 0));
    else
        ::SendMessageW(hWnd, BM_SETCHECK, static_cast<WPARAM>(value >= 0 && value <= 2 ? value : 0), 0);
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessageW(hWnd, CB_GETCURSEL, 0, 0));
    else
        ::SendMessageW(hWnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value) {
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    bool dropList = (GetWindowLongW(hWnd, GWL_STYLE) & 0x3) == CBS_DROPDOWNLIST;
    if (pDX->m_bSaveAndValidate) {
        if (!dropList) {
            value = ControlText(hWnd);
            return;
        }
        auto index = static_cast<int>(::SendMessageW(hWnd, CB_GETCURSEL, 0, 0));
        value.Empty();
        if (index < 0) return;
        auto length = static_cast<int>(::SendMessageW(hWnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0));
        if (length < 0) return;
        LPWSTR buffer = value.GetBuffer(length + 1);
        ::SendMessageW(hWnd, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
        value.ReleaseBuffer();
        return;
    }
    if (::SendMessageW(hWnd, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(LPCWSTR(value))) ==
            CB_ERR &&
        !dropList)
        ::SetWindowTextW(hWnd, value);
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index) {
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessageW(hWnd, LB_GETCURSEL, 0, 0));
    else
        ::SendMessageW(hWnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
    CString message = FrameworkText(AFX_IDP_PARSE_INT_RANGE, kAfxParseIntRangeMessage);
    message.Replace(L"%1", Formatted(L"%d", minVal));
    message.Replace(L"%2", Formatted(L"%d", maxVal));
    if (pDX->m_pLastInt && *pDX->m_pLastInt == value) *pDX->m_pLastInt = pDX->m_nLastIntBefore;
    AfxDataExchangeMessage(message);
    pDX->Fail();
}
