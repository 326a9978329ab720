// Translation tables applied to compiled resources, and the German table checked against the
// program's own resource script: every text translated, nothing left over, nothing left English.
#include "platform/base/ResourceFormat.h"
#include "platform/rc/ResourceScript.h"
#include "platform/rc/Translation.h"

#include <gtest/gtest.h>

#include <set>

namespace fs = std::filesystem;
using namespace device::rc;

namespace {

const fs::path kSource = fs::path(JORVANA_SOURCE_DIR);

const device::ResourceEntry* Find(const std::vector<device::ResourceEntry>& entries, uint32_t type, uint32_t id) {
    for (const auto& e : entries)
        if (e.type == type && e.id == id) return &e;
    return nullptr;
}

TranslationTable Table(const std::string& text) {
    TranslationTable table;
    std::string error;
    EXPECT_TRUE(ParseTranslationTable(text, "t.tr", table, error)) << error;
    return table;
}

} // namespace

TEST(Translation, ReplacesEveryKindOfTextAndLeavesOutStringsItLacks) {
    auto compiled = CompileScriptText(R"(
STRINGTABLE
BEGIN
    1, "Save"
    2, "Not in the table"
    3, "%d:%02d"
END
7 DIALOG 0, 0, 100, 50
CAPTION "Save"
BEGIN
    CONTROL "Line\nnext", 10, "STATIC", 0, 1, 1, 10, 10
    CONTROL "#5", 11, "STATIC", 0, 1, 1, 10, 10
    CONTROL "Untranslated", 12, "BUTTON", 0, 1, 1, 10, 10
END
8 MENU BEGIN POPUP "Menu" BEGIN MENUITEM "Save", 100 MENUITEM SEPARATOR END END
7 DLGINIT BEGIN 10, "Save" END
)",
                                      "test.rc", {});
    ASSERT_TRUE(compiled.ok) << compiled.error;
    auto table = Table("# comment\n\n\"Save\" = \"Speichern\"\n\"Line\\nnext\" = \"Zeile\\nnächste\"\n"
                       "\"Menu\" = \"Menü\"\n\"Unused\" = \"Unbenutzt\"\n"
                       "menu 8: \"Save\" = \"Sichern\"\nmenu 9: \"Save\" = \"Nirgends\"\n");
    TranslationReport report = TranslateEntries(compiled.entries, table);

    const auto* saved = Find(compiled.entries, device::kResString, 1);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(saved->data.data())), L"Speichern");
    EXPECT_EQ(Find(compiled.entries, device::kResString, 2), nullptr) << "left to the program's own text";
    EXPECT_NE(Find(compiled.entries, device::kResString, 3), nullptr) << "a bare format needs no translation";

    const auto* dialogEntry = Find(compiled.entries, device::kResDialog, 7);
    ASSERT_NE(dialogEntry, nullptr);
    auto dialog = device::ParseDialog(dialogEntry->data.data(), dialogEntry->data.size());
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->caption, L"Speichern");
    ASSERT_EQ(dialog->items.size(), 3u);
    EXPECT_EQ(dialog->items[0].text, L"Zeile\nnächste");
    EXPECT_EQ(dialog->items[1].text, L"#5");
    EXPECT_EQ(dialog->items[2].text, L"Untranslated");

    const auto* menuEntry = Find(compiled.entries, device::kResMenu, 8);
    auto menu = device::ParseMenu(menuEntry->data.data(), menuEntry->data.size());
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->items[0].text, L"Menü");
    EXPECT_EQ(menu->items[0].children[0].text, L"Sichern") << "the entry for that menu goes first";
    const auto* initEntry = Find(compiled.entries, device::kResDialogInit, 7);
    auto init = device::ParseDialogInit(initEntry->data.data(), initEntry->data.size());
    ASSERT_TRUE(init);
    EXPECT_EQ((*init)[0].text, L"Speichern");

    EXPECT_EQ(report.missing, (std::vector<std::wstring>{L"Not in the table", L"Untranslated"}));
    EXPECT_EQ(report.unused, (std::vector<std::wstring>{L"Unused", L"menu 9: Save"}));
}

TEST(Translation, MalformedTablesNameTheirLine) {
    TranslationTable table;
    std::string error;
    EXPECT_FALSE(ParseTranslationTable("\"a\" = \"b\"\n\"a\" = \"c\"\n", "t.tr", table, error));
    EXPECT_EQ(error.rfind("t.tr:2:", 0), 0u) << error;
    for (const char* bad : {"\"a\" \"b\"", "\"a\" = \"b", "\"a\" = \"b\" x", "a = \"b\"", "\"a\\q\" = \"b\"",
                            "menu: \"a\" = \"b\"", "menu 3 \"a\" = \"b\"", "box 3: \"a\" = \"b\""}) {
        TranslationTable t;
        EXPECT_FALSE(ParseTranslationTable(bad, "t.tr", t, error)) << bad;
        EXPECT_EQ(error.rfind("t.tr:1:", 0), 0u) << error;
    }
}

// The German module is made from the program's script through this table: a text added to or
// changed in the script without its German fails here, listed ready to be added to the table.
TEST(GermanTexts, TranslateEveryTextOfTheProgramAndNoneStaysEnglish) {
    auto compiled = CompileScript(kSource / "resources/Jorvana.rc", {kSource, kSource / "resources"});
    ASSERT_TRUE(compiled.ok) << compiled.error;
    TranslationTable table;
    std::string error;
    ASSERT_TRUE(ReadTranslationTable(kSource / "resources/Deutsch.tr", table, error)) << error;
    TranslationReport report = TranslateEntries(compiled.entries, table);
    std::string missing, unused;
    for (const auto& text : report.missing) missing += QuoteText(text) + " = \"\"\n";
    for (const auto& text : report.unused) unused += QuoteText(text) + "\n";
    EXPECT_TRUE(report.missing.empty()) << "texts without German in resources/Deutsch.tr:\n" << missing;
    EXPECT_TRUE(report.unused.empty()) << "entries no resource uses any more:\n" << unused;

    // The texts that read the same in German: the program's name, units and symbols, the
    // country name, "+ Infos" (the same words in German), and the placeholders of controls that
    // are never shown with their text.
    const std::set<std::wstring> same = {L"Jorvana", L"GMT", L"°C", L"°F", L"G:", L"Japan", L"+ Infos", L"T",
                                         L"List1"};
    auto check = [&](const std::wstring& english, const std::wstring& german) {
        if (same.count(english)) return;
        EXPECT_NE(english, german) << "left in English: " << QuoteText(english);
        EXPECT_FALSE(german.empty()) << QuoteText(english);
    };
    for (const auto& [english, german] : table.texts) check(english, german);
    for (const auto& [key, german] : table.inResource) check(std::get<2>(key), german);
}
