// Reading translation tables and applying them to compiled resources.
#include "platform/rc/Translation.h"

#include "platform/base/Utf8.h"
#include "platform/rc/ResourceScript.h"

#include <cctype>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <fstream>
#include <iterator>
#include <set>

namespace device::rc {

namespace {

// One quoted string at text[pos], as resource scripts write them; pos ends after the quote.
bool QuotedString(const std::string& line, size_t& pos, std::wstring& out, std::string& why) {
    if (pos >= line.size() || line[pos] != '"') {
        why = "expected a quoted text";
        return false;
    }
    ++pos;
    std::string bytes;
    if (!ReadQuotedText(line, pos, bytes, why)) return false;
    out = FromUtf8(bytes);
    return true;
}

void SkipSpace(const std::string& line, size_t& pos) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t' || line[pos] == '\r')) ++pos;
}

const std::pair<const char*, uint32_t> kKinds[] = {
    {"string", kResString}, {"dialog", kResDialog}, {"menu", kResMenu}, {"dlginit", kResDialogInit}};

std::wstring KindName(uint32_t type) {
    for (const auto& [name, kind] : kKinds)
        if (kind == type) return std::wstring(name, name + std::strlen(name));
    return L"?";
}

// "kind id:" in front of an entry for one resource; pos ends after the colon.
bool ResourcePrefix(const std::string& line, size_t& pos, uint32_t& type, uint32_t& id, std::string& why) {
    size_t start = pos;
    while (pos < line.size() && std::isalpha(static_cast<unsigned char>(line[pos]))) ++pos;
    std::string kind = line.substr(start, pos - start);
    bool known = false;
    for (const auto& [name, k] : kKinds)
        if (kind == name) {
            type = k;
            known = true;
        }
    if (!known) {
        why = "expected a quoted text or a resource kind (string, dialog, menu, dlginit)";
        return false;
    }
    SkipSpace(line, pos);
    size_t digits = pos;
    while (pos < line.size() && std::isdigit(static_cast<unsigned char>(line[pos]))) ++pos;
    if (pos == digits || pos - digits > 9) {
        why = "expected the resource's number after " + kind;
        return false;
    }
    id = static_cast<uint32_t>(std::stoul(line.substr(digits, pos - digits)));
    SkipSpace(line, pos);
    if (pos >= line.size() || line[pos] != ':') {
        why = "expected \":\" after the resource";
        return false;
    }
    ++pos;
    SkipSpace(line, pos);
    return true;
}

class Translator {
public:
    explicit Translator(const TranslationTable& table) : m_table(table) {}

    // The resource whose texts are being translated, for the table's entries of one resource.
    void Resource(uint32_t type, uint32_t id) {
        m_type = type;
        m_id = id;
    }

    // The translated text; the text itself (and a note of it) when the table has no entry.
    bool Translate(std::wstring& text) {
        if (!NeedsTranslation(text)) return true;
        auto key = std::make_tuple(m_type, m_id, text);
        if (auto own = m_table.inResource.find(key); own != m_table.inResource.end()) {
            m_usedInResource.insert(key);
            text = own->second;
            return true;
        }
        auto found = m_table.texts.find(text);
        if (found == m_table.texts.end()) {
            if (m_missingSeen.insert(text).second) report.missing.push_back(text);
            return false;
        }
        m_used.insert(text);
        text = found->second;
        return true;
    }

    void Items(std::vector<MenuItemTemplate>& items) {
        for (MenuItemTemplate& item : items) {
            if (!(item.flags & MF_SEPARATOR)) Translate(item.text);
            Items(item.children);
        }
    }

    void Finish() {
        for (const auto& [english, translated] : m_table.texts)
            if (!m_used.count(english)) report.unused.push_back(english);
        for (const auto& [key, translated] : m_table.inResource)
            if (!m_usedInResource.count(key))
                report.unused.push_back(KindName(std::get<0>(key)) + L" " + std::to_wstring(std::get<1>(key)) + L": " +
                                        std::get<2>(key));
    }

    TranslationReport report;

private:
    const TranslationTable& m_table;
    std::set<std::wstring> m_used;
    std::set<std::tuple<uint32_t, uint32_t, std::wstring>> m_usedInResource;
    std::set<std::wstring> m_missingSeen;
    uint32_t m_type = 0;
    uint32_t m_id = 0;
};

} // namespace

bool ParseTranslationTable(const std::string& text, const std::string& name, TranslationTable& table,
                           std::string& error) {
    size_t start = 0;
    int lineNo = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        size_t pos = 0;
        SkipSpace(line, pos);
        if (pos >= line.size() || line[pos] == '#') {
            if (end == text.size()) break;
            continue;
        }
        std::wstring english, translated;
        std::string why;
        uint32_t type = 0, id = 0;
        bool ok = line[pos] == '"' || ResourcePrefix(line, pos, type, id, why);
        ok = ok && QuotedString(line, pos, english, why);
        if (ok) {
            SkipSpace(line, pos);
            if (pos >= line.size() || line[pos] != '=') {
                why = "expected \"=\" after the English text";
                ok = false;
            } else {
                ++pos;
                SkipSpace(line, pos);
                ok = QuotedString(line, pos, translated, why);
                SkipSpace(line, pos);
                if (ok && pos < line.size()) {
                    why = "unexpected text after the translation";
                    ok = false;
                }
            }
        }
        if (ok && type != 0) {
            if (!table.inResource.emplace(std::make_tuple(type, id, english), translated).second) {
                why = "the text \"" + ToUtf8(english) + "\" is entered twice for that resource";
                ok = false;
            }
        } else if (ok && !table.texts.emplace(english, translated).second) {
            why = "the text \"" + ToUtf8(english) + "\" is entered twice";
            ok = false;
        }
        if (!ok) {
            error = name + ":" + std::to_string(lineNo) + ": " + why;
            return false;
        }
        if (end == text.size()) break;
    }
    return true;
}

bool ReadTranslationTable(const std::filesystem::path& file, TranslationTable& table, std::string& error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = file.string() + ":0: cannot read the table";
        return false;
    }
    std::string text((std::istreambuf_iterator<char>(in)), {});
    return ParseTranslationTable(text, file.string(), table, error);
}

std::string QuoteText(const std::wstring& text) {
    std::string out = "\"";
    for (char c : ToUtf8(text)) {
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        default: out += c;
        }
    }
    return out + "\"";
}

bool NeedsTranslation(const std::wstring& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%') {
            // Skip a conversion: flags, width, precision, length, then its letter.
            size_t j = i + 1;
            while (j < text.size() && std::wcschr(L"-+ #0123456789.hlI", text[j])) ++j;
            if (j < text.size() && std::iswalpha(text[j])) {
                i = j;
                continue;
            }
        }
        if (std::iswalpha(text[i])) return true;
    }
    return false;
}

TranslationReport TranslateEntries(std::vector<ResourceEntry>& entries, const TranslationTable& table) {
    Translator translator(table);
    std::vector<ResourceEntry> kept;
    kept.reserve(entries.size());
    for (ResourceEntry& entry : entries) {
        translator.Resource(entry.type, entry.id);
        switch (entry.type) {
        case kResString: {
            size_t count = entry.data.size() / sizeof(WCHAR);
            std::wstring text(reinterpret_cast<const WCHAR*>(entry.data.data()), count ? count - 1 : 0);
            if (!translator.Translate(text)) continue; // left to the program's own string
            entry.data = SerializeString(text);
            break;
        }
        case kResDialog:
            if (auto dialog = ParseDialog(entry.data.data(), entry.data.size())) {
                translator.Translate(dialog->caption);
                for (DialogItemTemplate& item : dialog->items)
                    if (item.text.rfind(L"#", 0) != 0) translator.Translate(item.text);
                entry.data = SerializeDialog(*dialog);
            }
            break;
        case kResMenu:
            if (auto menu = ParseMenu(entry.data.data(), entry.data.size())) {
                translator.Items(menu->items);
                entry.data = SerializeMenu(*menu);
            }
            break;
        case kResDialogInit:
            if (auto items = ParseDialogInit(entry.data.data(), entry.data.size())) {
                for (DialogInitItem& item : *items) translator.Translate(item.text);
                entry.data = SerializeDialogInit(*items);
            }
            break;
        default: break;
        }
        kept.push_back(std::move(entry));
    }
    entries = std::move(kept);
    translator.Finish();
    return std::move(translator.report);
}

} // namespace device::rc
