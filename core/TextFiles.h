#pragma once
// Single-byte text files: the token reader every text file is read with, the program folder
// that holds the shipped files, and the weather image mapping of mapping.cfg.

#include "platform/base/CString.h"

#include <string>

class CFile;

// The characters from the file's current position up to the one-character delimiter, which is
// consumed and not kept, or up to the end of the file. Each byte becomes one character of the
// device's code page. A delimiter that is not exactly one character never matches. There is no
// length limit: long tokens (whole skin files) are read in full.
// A read error ends the token as the end of the file does.
CString ReadFileToken(CFile& file, LPCWSTR delimiter);
CString ReadFileToken(HANDLE file, LPCWSTR delimiter);

// The folder of the running program, without a final "\".
CString GetProgramFolder();
// Program folder + "\" + name.
CString GetShippedFilePath(LPCWSTR name);

// Replaces the whole file at path by the bytes: they are written to a file beside it first and
// renamed over it only once all of them are on the device, so a failed write (a full device)
// or an end halfway leaves the old file whole. False, with the old file as it was, when the
// file is read-only, its folder is gone or any step fails.
bool ReplaceFileBytes(LPCWSTR path, const std::string& bytes);

// Opens an existing file for reading; null when it cannot be opened (a folder cannot).
HANDLE OpenTextFile(LPCWSTR path);

// Closes a file handle of OpenTextFile when it goes out of scope.
class CTextFileHandle {
public:
    explicit CTextFileHandle(HANDLE file) : m_file(file) {}
    CTextFileHandle(const CTextFileHandle&) = delete;
    CTextFileHandle& operator=(const CTextFileHandle&) = delete;
    ~CTextFileHandle();
    HANDLE Get() const { return m_file; }
    explicit operator bool() const { return m_file != nullptr; }

private:
    HANDLE m_file;
};

// The image name that mapping.cfg gives a weather condition code, or "na". A mapping.cfg that
// cannot be opened shows "Weather background image not found!" first.
CString LookupImageMapping(LPCWSTR key);

// True when a name taken from a data file names something inside its folder: no "..", no
// drive or device prefix. Names that fail are never turned into paths.
bool IsNameInsideFolder(const CString& name);
