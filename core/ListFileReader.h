#pragma once
// Reads the tokens of a shipped list file (cities.lst, cities.wet) with ReadFileToken and keeps
// track of where the file ends, so an import can tell a whole field from one the end of the
// file cut short, and stop there instead of adding made-up records. The file is read through a
// window of its bytes: one system read per window rather than two calls per token. Also the
// building of a store from such a list, shared by the city and weather stores.

#include "core/RecordDatabase.h"
#include "core/TextFiles.h"
#include "platform/base/CString.h"

#include <functional>
#include <memory>

class CFile;

class CListFileReader {
public:
    // The file stays the caller's; it is read from its current position.
    explicit CListFileReader(HANDLE file);
    ~CListFileReader();

    // The next token up to the one-character delimiter (see ReadFileToken).
    CString Next(LPCWSTR delimiter);
    // Whether the last token ended at its delimiter (false: the file ended first).
    bool LastComplete() const { return m_complete; }
    // Nothing is left to read.
    bool AtEnd() const { return m_pos >= m_size; }

private:
    std::unique_ptr<CFile> m_file;
    unsigned long long m_size = 0;
    unsigned long long m_pos = 0;
    bool m_complete = true;
};

// A count line converted as a decimal number: optional blanks and sign, then digits up to the
// first other character; text without digits gives 0. Clamped to the int range.
int ParseListCount(const CString& text);

// Whether a name read from a list file (a city, country or language name) is text: not empty,
// and every character printable ASCII, a letter of the single-byte code page, or the typographic
// apostrophe or dash. Control characters, undefined bytes and symbols (what binary or UTF-16
// bytes give) are not.
bool IsTextName(const CString& name);

// A shipped list file that fills a store, with the message of each way it can fail.
struct ShippedList {
    LPCWSTR fileName;  // in the program folder
    TextFileKind kind; // its size cap
    UINT notFound;     // the file is missing
    UINT noEntry;      // it yields nothing (said once per user action)
    UINT damaged;      // it was cut short or held lines of no text: what came before is kept
};
// Builds the store name (four sort orders, mode 1) from the list unless it is built already.
// import reads the open file into the store and returns the records added, telling in its
// bool whether the list was damaged. The store and its records are kept together or not at
// all (CRecordDatabase::Build): an import the device could not store, or one the program's end
// cut off, is done again at the next opening, and so is one whose list yielded nothing.
void BuildFromShippedList(CRecordDatabase& db, LPCWSTR name, DWORD type,
                          const WORD idents[CRecordDatabase::kMaxProps], const ShippedList& list,
                          const std::function<int(HANDLE, bool*)>& import);
