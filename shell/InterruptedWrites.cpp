// Start-up removal of half-made files of killed writers, and the listing of a language module
// whose install was killed before it was listed.

#include "shell/InterruptedWrites.h"

#include "core/RegistryKey.h"
#include "core/TextFiles.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/Modules.h"
#include "shell/LanguageList.h"

#include <vector>

namespace {

// "<name>.new" or "<name>.copying" where name has an extension: what the program's writers
// leave beside "<name>". A user's own "notes.new" has no second extension and stays.
bool IsLeftoverWriteFile(const CString& fileName) {
    CString lower = fileName;
    lower.MakeLower();
    for (LPCWSTR suffix : {L".new", L".copying"}) {
        const int length = static_cast<int>(wcslen(suffix));
        if (lower.GetLength() <= length || lower.Right(length) != suffix) continue;
        const CString target = lower.Left(lower.GetLength() - length);
        const int dot = target.ReverseFind(L'.');
        return dot > 0 && dot < target.GetLength() - 1;
    }
    return false;
}

std::vector<CString> FilesMatching(const CString& pattern) {
    std::vector<CString> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// The folder of the skin the settings name, when it is not the program folder's default.
CString CurrentSkinFolder() {
    CRegistryKey registry;
    const CString skin = registry.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin");
    if (registry.RegistryStatus != CRegistryKey::kFound) return CString();
    const int cut = skin.ReverseFind(L'\\');
    return cut > 0 ? skin.Left(cut) : CString();
}

} // namespace

int RemoveLeftoverWriteFiles(const CString& folder) {
    int removed = 0;
    for (const CString& name : FilesMatching(folder + L"\\*"))
        if (IsLeftoverWriteFile(name) && DeleteFileW(folder + L"\\" + name)) ++removed;
    return removed;
}

int ListUnlistedLanguageModules() {
    const CString listPath = GetLanguageListPath();
    const std::vector<CString> entries = ReadLanguageEntries(listPath);
    // Without a list there is no index to give a module (index 0 is the program's own texts).
    if (entries.empty()) return 0;
    CString listText;
    for (const CString& entry : entries) listText += entry + L"@";
    listText.MakeUpper();
    int count = static_cast<int>(entries.size());
    int listed = 0;
    const CString folder = GetLanguageModulesFolder();
    for (const CString& name : FilesMatching(folder + L"\\Ondrel*.dll")) {
        CString upper = name;
        upper.MakeUpper();
        // The same test as the language dialog's: a name the list holds is installed.
        if (listText.Find(upper) >= 0) continue;
        HMODULE module = LoadLibraryW(folder + L"\\" + name);
        const bool language = IsLanguageModule(module);
        if (module) FreeLibrary(module);
        if (!language) continue;
        CString entry;
        entry.Format(L"%d,%s,%s@", count, ModuleDisplayName(name).GetString(), name.GetString());
        listText += entry;
        ++count;
        ++listed;
    }
    if (listed > 0 && !WriteLanguageList(listPath, listText)) return 0;
    return listed;
}

void RecoverInterruptedWrites() {
    const CString programFolder = GetProgramFolder();
    RemoveLeftoverWriteFiles(programFolder);
    RemoveLeftoverWriteFiles(GetLanguageModulesFolder());
    const CString skinFolder = CurrentSkinFolder();
    if (!skinFolder.IsEmpty() && skinFolder.CompareNoCase(programFolder) != 0) RemoveLeftoverWriteFiles(skinFolder);
    ListUnlistedLanguageModules();
}
