// Reading translation tables and applying them to compiled resources.
#include "platform/rc/Translation.h"

#include "platform/base/Utf8.h"

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
    for (;;) {
        if (pos >= line.size()) {
            why = "text not closed";
            return false;
        }
        char ch = line[pos++];
        if (ch == '"') {
            if (pos < line.size() && line[pos] == '"') {
                bytes += '"';
                ++pos;
                continue;
            }
            break;
        }
        if (ch == '\\') {
            char e = pos < line.size() ? line[pos++] : '\0';
            switch (e) {
            case 'n': bytes += '\n'; break;
            case 't': bytes += '\t'; break;
            case 'r': bytes += '\r'; break;
            case '\\': bytes += '\\'; break;
            case '"': bytes += '"'; break;
            default: why = std::string("unknown escape \\") + e; return false;
            }
            continue;
        }
        bytes += ch;
    }
    out = FromUtf8(bytes);
    return true;
}

void SkipSpace(const std::string& line, size_t& pos) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t' || line[pos] == '\r')) ++pos;
}

class Translator {
public:
    explicit Translator(const TranslationTable& table) : m_table(table) {}

    // The translated text; the text itself (and a note of it) when the table has no entry.
    bool Translate(std::wstring& text) {
        if (!NeedsTranslation(text)) return true;
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
    }

    TranslationReport report;

private:
    const TranslationTable& m_table;
    std::set<std::wstring> m_used;
    std::set<std::wstring> m_missingSeen;
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
        bool ok = QuotedString(line, pos, english, why);
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
        if (ok && !table.texts.emplace(english, translated).second) {
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
