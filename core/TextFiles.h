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
// file is read-only, its folder is gone or any step fails (GetLastError then tells why).
bool ReplaceFileBytes(LPCWSTR path, const std::string& bytes);

// What a text file holds; each kind has its own size cap, far above what the program's own
// files of that kind ever hold.
enum class TextFileKind {
    CityList,      // cities.lst
    WeatherList,   // cities.wet
    CountryCities, // a country's file in weatcs
    CurrencyList,  // currs.lst
    LanguageList,  // langs.dat
    Skin,          // default.skn and the other skin files
    ImageMapping,  // mapping.cfg
    FeedAddresses, // adrs.cfg
    PackingList,   // pack.dat
    NewsPage,      // news.htm
};
// The largest file of the kind that is read, in bytes.
unsigned long long TextFileCap(TextFileKind kind);
// The open file is no larger than its kind's cap (and its size can be had).
bool FitsTextFileCap(HANDLE file, TextFileKind kind);

// Opens an existing file for reading; null when it cannot be opened (a folder cannot). A file
// that is there but is no regular file (a device, a pipe) or is larger than its kind's cap is
// never read: null too, with *damaged set, so the caller reports it as a damaged file rather
// than a missing one. *damaged is false in every other case.
HANDLE OpenTextFile(LPCWSTR path, TextFileKind kind, bool* damaged = nullptr);

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
