#pragma once
// CFile: a binary file of the device file system, opened by device path, and CFileException,
// thrown (as a pointer) by the reading and writing calls and filled in by Open on failure.

#include "platform/base/CString.h"
#include "platform/framework/Exceptions.h"
#include "platform/ui/WinUser.h"

class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    explicit CFileException(int cause = none, LONG lOsError = -1, LPCWSTR lpszFileName = nullptr);

    // The cause for a system error code (GetLastError).
    static int OsErrorToException(LONG lOsError);
    [[noreturn]] static void ThrowOsError(LONG lOsError, LPCWSTR lpszFileName = nullptr);

    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;
    // Shows the error in the application's message box (nMessageID: a string-table text instead);
    // returns the button pressed, 0 when there was no error.
    int ReportError(UINT nType = MB_OK | MB_ICONEXCLAMATION, UINT nMessageID = 0) const;

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1, LPCWSTR lpszFileName = nullptr);

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    static const HANDLE hFileNull;

    CFile();
    // Works on an open handle of the file API that stays the caller's: destroying the object
    // leaves it open (Close closes it).
    explicit CFile(HANDLE hFile);
    // Opens or throws a CFileException.
    CFile(LPCWSTR lpszFileName, UINT nOpenFlags);
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // FALSE when the file cannot be opened, with the cause in *pError when given. A file that is
    // already open is closed first.
    virtual BOOL Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    // The bytes read: fewer than asked at the end of the file. Throws on a read error.
    virtual UINT Read(void* lpBuf, UINT nCount);
    // Throws on a write error (diskFull when the device is full).
    virtual void Write(const void* lpBuf, UINT nCount);
    // The new position; throws badSeek for a position before the start.
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual void Flush();
    // Closes the file; throws when the handle could not be closed.
    virtual void Close();
    // Closes the file, ignoring any error.
    virtual void Abort();

    CString GetFileName() const;  // "cities.lst"
    CString GetFileTitle() const; // "cities"
    CString GetFilePath() const { return m_strFileName; }
    void SetFilePath(LPCWSTR lpszNewName) { m_strFileName = lpszNewName ? lpszNewName : L""; }

    operator HANDLE() const { return m_hFile; }

    HANDLE m_hFile;

protected:
    BOOL m_bCloseOnDelete;
    CString m_strFileName;
};
