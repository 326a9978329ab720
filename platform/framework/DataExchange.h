#pragma once
// Dialog data exchange: DoDataExchange lists, field by field, how a member and a control trade
// values. UpdateData(FALSE) runs it from the members to the controls, UpdateData(TRUE) from the
// controls to the members with validation. A field that does not validate shows the framework's
// standard message, gets the focus and stops the exchange; the members already read keep their
// new values, the failing one and those after it are left as they were.

#include "platform/base/CString.h"
#include "platform/framework/Exceptions.h"

class CWnd;

// Thrown (as a pointer) by a failed validation once the user has been told.
class CUserException : public CException {
    DECLARE_DYNAMIC(CUserException)
};

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate; // TRUE: controls to members
    CWnd* m_pDlgWnd;

    // The control of the field being exchanged (the one that gets the focus on failure).
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Puts the focus on the last prepared control (selecting an edit's text) and throws.
    [[noreturn]] void Fail();

    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;
    // The integer member the last DDX_Text read and its value before, so that a range check
    // that fails leaves the member as it was.
    int* m_pLastInt = nullptr;
    int m_nLastIntBefore = 0;
};

// The framework's standard messages of failed exchanges, in English; the string table's text of
// the same id (FrameworkStrings.h) goes first.
inline constexpr const wchar_t* kAfxParseIntMessage = L"Please enter an integer.";
inline constexpr const wchar_t* kAfxParseUIntMessage = L"Please enter a positive integer.";
inline constexpr const wchar_t* kAfxParseRealMessage = L"Please enter a number.";
// %1 and %2 stand for the bounds.
inline constexpr const wchar_t* kAfxParseIntRangeMessage = L"Please enter an integer between %1 and %2.";

// Binds a control member to the dialog's control (subclassing it) the first time.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
// Shown as "%.15g".
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
// A check box's state: 0, 1 or 2.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
// Saving takes the edit text (or the selected item of a drop-down list); loading selects the
// first item beginning with the text, and otherwise sets the edit text.
void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);
void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index);

// Range checks run after the DDX_Text of the same field, when saving.
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);

// Shows a validation message as the framework does (exclamation icon, the application's name).
void AfxDataExchangeMessage(LPCWSTR text);
