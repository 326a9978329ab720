#include "platform/framework/File.h"

#include "platform/framework/WinApp.h"
#include "platform/system/DeviceFiles.h"

IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CFile, CObject)

// ---------------------------------------------------------------------------------------------
// CFileException

CFileException::CFileException(int cause, LONG lOsError, LPCWSTR lpszFileName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName ? lpszFileName : L"") {}

int CFileException::OsErrorToException(LONG lOsError) {
    switch (lOsError) {
    case ERROR_SUCCESS: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT: return hardIO;
    default: return genericException;
    }
}

void CFileException::ThrowOsError(LONG lOsError, LPCWSTR lpszFileName) {
    throw new CFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

void AfxThrowFileException(int cause, LONG lOsError, LPCWSTR lpszFileName) {
    throw new CFileException(cause, lOsError, lpszFileName);
}

namespace {

const wchar_t* CauseText(int cause) {
    switch (cause) {
    case CFileException::none: return L"No error occurred while accessing %s.";
    case CFileException::fileNotFound: return L"%s was not found.";
    case CFileException::badPath: return L"%s contains an invalid path.";
    case CFileException::tooManyOpenFiles: return L"%s could not be opened because there are too many open files.";
    case CFileException::accessDenied: return L"Access to %s was denied.";
    case CFileException::invalidFile: return L"An invalid file handle was used with %s.";
    case CFileException::removeCurrentDir: return L"%s could not be removed because it is the current folder.";
    case CFileException::directoryFull: return L"%s could not be created because the folder is full.";
    case CFileException::badSeek: return L"Seek failed on %s.";
    case CFileException::hardIO: return L"A hardware I/O error was reported while accessing %s.";
    case CFileException::sharingViolation: return L"A sharing violation occurred while accessing %s.";
    case CFileException::lockViolation: return L"A locking violation occurred while accessing %s.";
    case CFileException::diskFull: return L"The device is full while accessing %s.";
    case CFileException::endOfFile: return L"An attempt was made to access %s past its end.";
    default: return L"An unexpected error occurred while accessing %s.";
    }
}

CString DescribeError(const CFileException& e) {
    CString text;
    text.Format(CauseText(e.m_cause), e.m_strFileName.IsEmpty() ? L"an unnamed file" : e.m_strFileName.GetString());
    return text;
}

} // namespace

BOOL CFileException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    return framework_detail::CopyErrorText(DescribeError(*this), lpszError, nMaxError);
}

int CFileException::ReportError(UINT nType, UINT nMessageID) const {
    if (m_cause == none) return 0;
    CString text;
    if (nMessageID == 0 || !text.LoadString(nMessageID)) text = DescribeError(*this);
    return AfxMessageBox(text, nType);
}

// ---------------------------------------------------------------------------------------------
// CFile

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CFile::CFile(HANDLE hFile) : m_hFile(hFile), m_bCloseOnDelete(FALSE) {}

CFile::CFile(LPCWSTR lpszFileName, UINT nOpenFlags) : CFile() {
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error))
        throw new CFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
}

CFile::~CFile() {
    if (m_hFile != hFileNull && m_bCloseOnDelete) Abort();
}

BOOL CFile::Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    if (m_hFile != hFileNull) Abort();
    m_strFileName = lpszFileName ? lpszFileName : L"";

    DWORD access = 0;
    switch (nOpenFlags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    case modeReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default:
        if (pError) *pError = CFileException(CFileException::genericException, ERROR_INVALID_PARAMETER, m_strFileName);
        return FALSE;
    }
    DWORD share = 0;
    switch (nOpenFlags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: break;
    }
    DWORD disposition = OPEN_EXISTING;
    if (nOpenFlags & modeCreate) disposition = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;

    HANDLE h = CreateFileW(m_strFileName, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        LONG osError = static_cast<LONG>(GetLastError());
        if (pError) *pError = CFileException(CFileException::OsErrorToException(osError), osError, m_strFileName);
        return FALSE;
    }
    m_hFile = h;
    m_bCloseOnDelete = TRUE;
    return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
    if (nCount == 0) return 0;
    DWORD got = 0;
    if (!ReadFile(m_hFile, lpBuf, nCount, &got, nullptr)) CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
    return got;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
    if (nCount == 0) return;
    DWORD put = 0;
    if (!WriteFile(m_hFile, lpBuf, nCount, &put, nullptr)) CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
    if (put < nCount) AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
    if (nFrom > end) AfxThrowFileException(CFileException::badSeek, ERROR_INVALID_PARAMETER, m_strFileName);
    LONG high = static_cast<LONG>(static_cast<ULONGLONG>(lOff) >> 32);
    DWORD low = SetFilePointer(m_hFile, static_cast<LONG>(lOff & 0xFFFFFFFF), &high, nFrom);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) {
        LONG osError = static_cast<LONG>(GetLastError());
        int cause = osError == ERROR_INVALID_HANDLE ? CFileException::invalidFile : CFileException::badSeek;
        AfxThrowFileException(cause, osError, m_strFileName);
    }
    return (static_cast<ULONGLONG>(static_cast<DWORD>(high)) << 32) | low;
}

ULONGLONG CFile::GetPosition() const {
    LONG high = 0;
    DWORD low = SetFilePointer(m_hFile, 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS)
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
    return (static_cast<ULONGLONG>(static_cast<DWORD>(high)) << 32) | low;
}

ULONGLONG CFile::GetLength() const {
    DWORD high = 0;
    DWORD low = GetFileSize(m_hFile, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS)
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
    return (static_cast<ULONGLONG>(high) << 32) | low;
}

void CFile::SetLength(ULONGLONG dwNewLen) {
    Seek(static_cast<LONGLONG>(dwNewLen), begin);
    if (!SetEndOfFile(m_hFile)) CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
}

void CFile::Flush() {
    if (m_hFile == hFileNull) return;
    if (!FlushFileBuffers(m_hFile)) CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
}

void CFile::Close() {
    BOOL closed = TRUE;
    if (m_hFile != hFileNull) closed = CloseHandle(m_hFile);
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    if (!closed) CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
}

void CFile::Abort() {
    if (m_hFile != hFileNull) CloseHandle(m_hFile);
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}

CString CFile::GetFileName() const {
    int slash = m_strFileName.ReverseFind(L'\\');
    return slash < 0 ? m_strFileName : m_strFileName.Mid(slash + 1);
}

CString CFile::GetFileTitle() const {
    CString name = GetFileName();
    int dot = name.ReverseFind(L'.');
    return dot < 0 ? name : name.Left(dot);
}
