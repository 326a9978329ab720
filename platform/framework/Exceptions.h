#pragma once
// The framework's exceptions. As in the framework the program is written for, they are thrown
// as pointers (`throw new CMemoryException`) and the catcher calls Delete() when done.

#include "platform/base/CString.h"
#include "platform/framework/Object.h"

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    CException() = default;
    // Copies a description of the error into the buffer (truncated to nMaxError characters with
    // the null); FALSE when there is none. pnHelpContext, when given, is set to 0.
    virtual BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const;
    // Frees a heap-thrown exception.
    void Delete() { delete this; }
};

class CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;
};

// Throws a new CMemoryException.
[[noreturn]] void AfxThrowMemoryException();

namespace framework_detail {
// Copies text into a caller's buffer of max characters, truncating; FALSE when it cannot.
BOOL CopyErrorText(const wchar_t* text, LPWSTR buffer, UINT max);
} // namespace framework_detail
