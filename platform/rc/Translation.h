#pragma once
// Translation of compiled resources into another language: a table of texts, English to the
// other language, applied to every string, dialog caption and control text, menu item and
// initial list item of a compiled script. A language module is the program's own script compiled
// and then translated, so that it always holds every dialog, menu and control of the program.
//
// Table file (UTF-8), one entry a line, blank lines and lines starting with "#" ignored:
//   "English text" = "Übersetzung"
//   menu 161: "English text" = "Übersetzung"   only in that resource (kinds: string, dialog,
//                                              menu, dlginit; numeric ids), before the plain entry
// Strings take the escapes of resource scripts (\n \t \\ \" and "" for a quote).

#include "platform/base/ResourceFormat.h"

#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace device::rc {

struct TranslationTable {
    std::map<std::wstring, std::wstring> texts;
    // Entries for one resource: {type, id, English} to the translation.
    std::map<std::tuple<uint32_t, uint32_t, std::wstring>, std::wstring> inResource;
};

// False with "file:line: message" in error for a malformed table or a text entered twice.
bool ReadTranslationTable(const std::filesystem::path& file, TranslationTable& table, std::string& error);
bool ParseTranslationTable(const std::string& text, const std::string& name, TranslationTable& table,
                           std::string& error);

// The text quoted and escaped as the table writes it (for listing missing entries).
std::string QuoteText(const std::wstring& text);

// A text needs a translation when it holds a letter outside its printf conversions ("%d",
// "%02d", "%s"): numbers, punctuation and bare formats read the same in every language.
bool NeedsTranslation(const std::wstring& text);

struct TranslationReport {
    std::vector<std::wstring> missing; // texts with no entry, in the order first met, once each
    std::vector<std::wstring> unused;  // entries of the table that no resource uses (one for a
                                       // resource: "kind id: text")
};

// Replaces every text the table knows. A string-table text without an entry is left out of the
// entries, so that a module built from them lacks it and the program's own text is used; the
// texts of dialogs and menus without an entry stay as they are.
TranslationReport TranslateEntries(std::vector<ResourceEntry>& entries, const TranslationTable& table);

} // namespace device::rc
