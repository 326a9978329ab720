#pragma once
// langs.dat, the list of installed language modules, and the rule that makes a library a
// language module. The list is single-byte text: entries "index,display name,module file@",
// closed by ">"; anything after the ">" is ignored. "none" names the program's own resources.

#include "platform/base/CString.h"

#include <vector>

// The dialog id whose presence makes a library a language module.
constexpr UINT kLanguageMarkDialog = 318;
// The module file name that stands for the program's own resources.
inline constexpr const wchar_t* kOwnResourcesModule = L"none";

// Program folder + "\langs.dat", and program folder + "\LangsRes".
CString GetLanguageListPath();
CString GetLanguageModulesFolder();

// The list text up to its first ">" (not kept); empty when the file cannot be opened.
CString ReadLanguageListText(LPCWSTR path);

// The module file name that start-up takes for lang: the text from the first occurrence of the
// decimal index (or the whole text when it does not occur), cut before its first "@" (empty
// when there is none), after its last ",".
CString FindLanguageModuleName(const CString& listText, int lang);

// The entries of the list in file order, each without its "@", read up to the entry that holds
// ">" or the end of the file. Empty when the file cannot be opened or is empty.
// damaged (when given) tells a file that is there but no regular file or far too large.
std::vector<CString> ReadLanguageEntries(LPCWSTR path, bool* damaged = nullptr);
// The entries the language choice offers: those of the file; English alone (the program's own
// resources, entry 0) with damaged set when the file is damaged, holds no entry or an entry
// whose display name is no text. A missing file offers nothing and is not damaged.
std::vector<CString> ReadOfferedLanguages(LPCWSTR path, bool& damaged);
inline constexpr const wchar_t* kEnglishOnlyEntry = L"0,English,none";
// The text between an entry's first and second ",".
CString LanguageDisplayName(const CString& entry);
// Replaces the file by the list text (entries each closed by "@") upper-cased in the single-byte
// code page, then ">". False, with the old file kept whole, when it cannot be written.
bool WriteLanguageList(LPCWSTR path, const CString& listText);

// A module file's display name: its name upper-cased, cut before ".DLL", less its first 6
// characters (the "Ondrel" prefix).
CString ModuleDisplayName(const CString& fileName);

// True when the loaded library holds dialog 318.
bool IsLanguageModule(HMODULE module);

// How many of the program's own non-empty strings, dialogs and menus the module lacks (the
// program shows its own for each of them).
int CountMissingResources(HMODULE module);
