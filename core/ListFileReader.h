#pragma once
// Reads the tokens of a shipped list file (cities.lst, cities.wet) with ReadFileToken and keeps
// track of where the file ends, so an import can tell a whole field from one the end of the
// file cut short, and stop there instead of adding made-up records. The file is read through a
// window of its bytes: one system read per window rather than two calls per token.

#include "platform/base/CString.h"

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
