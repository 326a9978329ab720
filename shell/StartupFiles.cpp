#include "shell/StartupFiles.h"

#include "core/ListFileReader.h"

namespace {

// Text that is a decimal number as the rates are written: digits with at most one ".".
bool IsRateText(const CString& text) {
    int dots = 0, digits = 0;
    for (int i = 0; i < text.GetLength(); ++i) {
        if (text[i] == L'.') ++dots;
        else if (text[i] >= L'0' && text[i] <= L'9') ++digits;
        else return false;
    }
    return digits > 0 && dots <= 1;
}

// What can be read of an entry that lacks a "_" or has one too many, kept under a name close to
// the one it had so that it sorts where it stood: the stored currency positions of the entries
// after it stay on their currencies.
CurrencyListEntry SalvageEntry(const CString& text) {
    CurrencyListEntry entry;
    const int first = text.Find(L'_');
    if (first < 0) {
        entry.name = text;
        return entry;
    }
    const CString after = text.Mid(first + 1);
    const int second = after.Find(L'_');
    if (second >= 0) { // one "_" too many: the rate is what follows the last one
        entry.code = text.Left(first);
        entry.name = after.Left(second);
        entry.rate = after.Mid(after.ReverseFind(L'_') + 1);
    } else if (IsRateText(after)) { // the "_" between code and name was lost
        entry.name = text.Left(first);
        entry.rate = after;
    } else { // the "_" between name and rate was lost: the rate is the number at the end
        entry.code = text.Left(first);
        int cut = after.GetLength();
        while (cut > 0 && (after[cut - 1] == L'.' || (after[cut - 1] >= L'0' && after[cut - 1] <= L'9'))) --cut;
        entry.name = after.Left(cut);
        entry.rate = after.Mid(cut);
        if (entry.name.IsEmpty()) {
            entry.name = after;
            entry.rate.Empty();
        }
    }
    return entry;
}

} // namespace

std::vector<CurrencyListEntry> ReadCurrencyList(HANDLE file, bool* damaged) {
    std::vector<CurrencyListEntry> list;
    if (damaged) *damaged = false;
    if (!file) return list;
    CListFileReader in(file);
    const int count = ParseListCount(in.Next(L"\n"));
    for (int i = 0; i < count; ++i) {
        // A count larger than the file's entries must not make up thousands of empty
        // currencies (or exhaust memory on a corrupt count): the list ends with the file.
        if (in.AtEnd()) {
            if (damaged) *damaged = true;
            break;
        }
        // Each entry is read up to its "#" and split there, so an entry with a "_" too few or
        // too many cannot pull the next entries' fields out of their places.
        const CString entryText = in.Next(L"#");
        const bool whole = in.LastComplete();
        const int first = entryText.Find(L'_');
        const int second = first < 0 ? -1 : entryText.Find(L'_', first + 1);
        const bool wellFormed = second >= 0 && entryText.Find(L'_', second + 1) < 0;
        CurrencyListEntry entry;
        if (wellFormed) {
            entry.code = entryText.Left(first);
            entry.name = entryText.Mid(first + 1, second - first - 1);
            entry.rate = entryText.Mid(second + 1);
        } else if (!whole) {
            // The file's last entry, cut short: what it holds stays in its place.
            entry.code = first < 0 ? entryText : entryText.Left(first);
            if (first >= 0) entry.name = entryText.Mid(first + 1);
        } else {
            entry = SalvageEntry(entryText);
        }
        if (!wellFormed || !whole) {
            if (damaged) *damaged = true;
        }
        list.push_back(entry);
    }
    return list;
}

bool FindCountryWeatherCode(HANDLE file, const CString& name, CString& code, bool* damaged) {
    if (damaged) *damaged = false;
    if (!file) return false;
    CListFileReader in(file);
    while (!in.AtEnd()) {
        CString line = in.Next(L"\n");
        const int semicolon = line.Find(L';');
        // The whole name field must match: "York" must not take the line of "New York".
        if (semicolon >= 0 && line.Left(semicolon) == name) {
            code = line.Mid(semicolon + 1);
            if (line.Find(L'\r') >= 0 && !code.IsEmpty()) code = code.Left(code.GetLength() - 1);
            // A place without a code could never be synchronised: the line is damaged.
            if (!code.IsEmpty()) return true;
            if (damaged) *damaged = true;
            return false;
        }
        if (line.Find(L'>') >= 0) break;
        // A line that is neither blank nor "name;code" (a file cut inside a line, say).
        if (semicolon < 0 && line != L"" && line != L"\r" && damaged) *damaged = true;
    }
    return false;
}
