#include "platform/framework/Exceptions.h"

#include <cwchar>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)

namespace framework_detail {
BOOL CopyErrorText(const wchar_t* text, LPWSTR buffer, UINT max) {
    if (!buffer || max == 0) return FALSE;
    size_t n = std::wcslen(text);
    if (n >= max) n = max - 1;
    std::wmemcpy(buffer, text, n);
    buffer[n] = L'\0';
    return TRUE;
}
} // namespace framework_detail

BOOL CException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    if (lpszError && nMaxError) lpszError[0] = L'\0';
    return FALSE;
}

BOOL CMemoryException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    return framework_detail::CopyErrorText(L"Out of memory.", lpszError, nMaxError);
}

void AfxThrowMemoryException() { throw new CMemoryException; }
