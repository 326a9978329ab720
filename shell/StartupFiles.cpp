#include "shell/StartupFiles.h"

#include "core/ListFileReader.h"

std::vector<CurrencyListEntry> ReadCurrencyList(HANDLE file) {
    std::vector<CurrencyListEntry> list;
    if (!file) return list;
    CListFileReader in(file);
    const int count = ParseListCount(in.Next(L"\n"));
    for (int i = 0; i < count; ++i) {
        // A count larger than the file's entries must not make up thousands of empty
        // currencies (or exhaust memory on a corrupt count): the list ends with the file.
        if (in.AtEnd()) break;
        CurrencyListEntry entry;
        entry.code = in.Next(L"_");
        entry.name = in.Next(L"_");
        entry.rate = in.Next(L"#");
        list.push_back(entry);
    }
    return list;
}

bool FindCountryWeatherCode(HANDLE file, const CString& name, CString& code) {
    if (!file) return false;
    CListFileReader in(file);
    while (!in.AtEnd()) {
        CString line = in.Next(L"\n");
        const int semicolon = line.Find(L';');
        // The whole name field must match: "York" must not take the line of "New York".
        if (semicolon >= 0 && line.Left(semicolon) == name) {
            code = line.Mid(semicolon + 1);
            if (line.Find(L'\r') >= 0 && !code.IsEmpty()) code = code.Left(code.GetLength() - 1);
            return true;
        }
        if (line.Find(L'>') >= 0) break;
    }
    return false;
}
