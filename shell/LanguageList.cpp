#include "shell/LanguageList.h"

#include "core/ListFileReader.h"
#include "core/TextFiles.h"
#include "platform/base/CodePage.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/Modules.h"

CString GetLanguageListPath() { return GetShippedFilePath(L"langs.dat"); }

CString GetLanguageModulesFolder() { return GetShippedFilePath(L"LangsRes"); }

CString ReadLanguageListText(LPCWSTR path) {
    CTextFileHandle file(OpenTextFile(path, TextFileKind::LanguageList));
    if (!file) return CString();
    return ReadFileToken(file.Get(), L">");
}

CString FindLanguageModuleName(const CString& listText, int lang) {
    CString index;
    index.Format(L"%d", lang);
    int at = listText.Find(index);
    CString rest = at >= 0 ? listText.Mid(at) : listText;
    int close = rest.Find(L'@');
    if (close < 0) return CString();
    rest = rest.Left(close);
    int comma = rest.ReverseFind(L',');
    return comma >= 0 ? rest.Mid(comma + 1) : rest;
}

std::vector<CString> ReadLanguageEntries(LPCWSTR path, bool* damaged) {
    std::vector<CString> entries;
    if (damaged) *damaged = false;
    CTextFileHandle file(OpenTextFile(path, TextFileKind::LanguageList, damaged));
    if (!file) return entries;
    DWORD size = GetFileSize(file.Get(), nullptr);
    if (size == 0 || size == INVALID_FILE_SIZE) return entries;
    for (;;) {
        DWORD position = SetFilePointer(file.Get(), 0, nullptr, FILE_CURRENT);
        if (position == INVALID_SET_FILE_POINTER || position >= size) break;
        CString entry = ReadFileToken(file.Get(), L"@");
        if (entry.Find(L'>') >= 0) break;
        entries.push_back(entry);
    }
    return entries;
}

std::vector<CString> ReadOfferedLanguages(LPCWSTR path, bool& damaged) {
    std::vector<CString> entries = ReadLanguageEntries(path, &damaged);
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return entries; // no list at all
    // Every entry must name its language in text: binary or UTF-16 bytes, or an empty list,
    // would offer garbage or nothing.
    if (entries.empty()) damaged = true;
    for (const CString& entry : entries)
        if (!IsTextName(LanguageDisplayName(entry))) damaged = true;
    if (damaged) entries.assign(1, CString(kEnglishOnlyEntry));
    return entries;
}

CString LanguageDisplayName(const CString& entry) {
    int first = entry.Find(L',');
    if (first < 0) return CString();
    int second = entry.Find(L',', first + 1);
    if (second < 0) return entry.Mid(first + 1);
    return entry.Mid(first + 1, second - first - 1);
}

bool WriteLanguageList(LPCWSTR path, const CString& listText) {
    CString text = listText;
    text.MakeUpper();
    // A letter whose capital has no single-byte form (the micro sign) keeps its own case
    // instead of turning into "?".
    for (int i = 0; i < text.GetLength(); ++i) {
        const wchar_t capital = text[i];
        if (capital != L'?' && device::NarrowToCp1252(std::wstring_view(&capital, 1)) == "?")
            text.SetAt(i, listText[i]);
    }
    text += L">";
    std::string bytes = device::NarrowToCp1252(std::wstring_view(text.GetString(), text.GetLength()));
    // Written beside the list and renamed over it: a failed write keeps the languages listed.
    return ReplaceFileBytes(path, bytes);
}

CString ModuleDisplayName(const CString& fileName) {
    CString name = fileName;
    name.MakeUpper();
    int dll = name.Find(L".DLL");
    if (dll >= 0) name = name.Left(dll);
    return name.GetLength() > 6 ? name.Mid(6) : CString();
}

namespace {
struct MissingCount {
    HMODULE module;
    int count = 0;
};

BOOL CALLBACK CountIfMissing(HMODULE program, LPCWSTR type, LPWSTR name, LONG_PTR param) {
    auto* missing = reinterpret_cast<MissingCount*>(param);
    if (FindResourceW(missing->module, name, type)) return TRUE;
    if (type == RT_STRING) {
        // An empty string is the same in every language.
        WCHAR first[2] = {};
        if (LoadStringW(program, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)), first, 2) == 0) return TRUE;
    }
    ++missing->count;
    return TRUE;
}
} // namespace

int CountMissingResources(HMODULE module) {
    HMODULE program = GetModuleHandleW(nullptr);
    if (!module || module == program) return 0;
    MissingCount missing{module};
    for (LPCWSTR type : {RT_STRING, RT_DIALOG, RT_MENU})
        EnumResourceNamesW(program, type, &CountIfMissing, reinterpret_cast<LONG_PTR>(&missing));
    return missing.count;
}

bool IsLanguageModule(HMODULE module) {
    if (!module) return false;
    CString name;
    name.Format(L"#%d", kLanguageMarkDialog);
    return FindResourceW(module, name, RT_DIALOG) != nullptr;
}
