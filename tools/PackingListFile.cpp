#include "tools/PackingListFile.h"

#include "core/TextFiles.h"
#include "platform/base/CodePage.h"
#include "platform/framework/File.h"

#include <optional>

namespace {

// The file's lines, each with its CR still on it; none left at the end of the text.
class LineReader {
public:
    explicit LineReader(const std::wstring& text) : m_text(text) {}
    std::optional<std::wstring> Next() {
        if (m_pos >= m_text.size()) return std::nullopt;
        size_t end = m_text.find(L'\n', m_pos);
        if (end == std::wstring::npos) end = m_text.size();
        std::wstring line = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        return line;
    }

private:
    const std::wstring& m_text;
    size_t m_pos = 0;
};

bool Starts(const std::wstring& line, wchar_t marker) { return !line.empty() && line[0] == marker; }
bool IsMarker(const std::wstring& line) { return Starts(line, L'*') || Starts(line, L'>') || Starts(line, L'<'); }

// A name line less its last character (the CR).
CString NameOf(const std::wstring& line) { return line.empty() ? CString() : CString(line.substr(0, line.size() - 1).c_str()); }

PackItem ItemOf(const std::wstring& line) {
    PackItem item;
    if (line.size() >= 2) {
        item.text = line.substr(0, line.size() - 2).c_str();
        item.checked = line[line.size() - 2] == L'1';
    }
    return item;
}

void EnsureListZero(PackData& data) {
    if (!data.empty() && data.back().lists.empty()) data.back().lists.push_back({L"All Items", {}});
}

} // namespace

bool ParsePackingList(const std::wstring& text, PackData& data, bool* damaged) {
    data.clear();
    bool broken = false;
    bool ended = false; // the closing "<" line was reached
    LineReader reader(text);
    std::optional<std::wstring> line = reader.Next();
    if (!line || !Starts(*line, L'>')) {
        // An empty file is a first start; any other text is no packing list.
        if (damaged) *damaged = !text.empty();
        return false;
    }

    bool reading = true;
    while (reading) {
        std::optional<std::wstring> name = reader.Next();
        if (!name || Starts(*name, L'<')) break; // ended early, or ">" then "<"
        if (static_cast<int>(data.size()) == kMaxPackCategories) break;
        data.push_back({NameOf(*name), {}});
        PackCategory& category = data.back();

        line = reader.Next();
        if (!line || !Starts(*line, L'*')) break; // a category without a list
        while (true) {
            std::optional<std::wstring> listName = reader.Next();
            if (!listName || Starts(*listName, L'>') || Starts(*listName, L'<')) {
                reading = false;
                break;
            }
            // Lists beyond the limit are read past and left out.
            PackList* list = nullptr;
            if (static_cast<int>(category.lists.size()) < kMaxPackLists) {
                category.lists.push_back({NameOf(*listName), {}});
                list = &category.lists.back();
            } else {
                broken = true;
            }
            line = reader.Next();
            while (line && !IsMarker(*line)) {
                if (list) list->items.push_back(ItemOf(*line));
                line = reader.Next();
            }
            if (!line || !Starts(*line, L'*')) break;
        }
        if (reading && line && Starts(*line, L'<')) ended = true;
        if (!reading || !line || !Starts(*line, L'>')) break;
    }
    EnsureListZero(data);
    // Whatever stopped the reading before the closing "<" (a marker out of place, the end of
    // the file, more categories or lists than the organiser holds) broke the file.
    if (damaged) *damaged = broken || !ended;
    return !data.empty();
}

std::string FormatPackingList(const PackData& data) {
    std::string out;
    auto line = [&out](const CString& text) {
        out += device::NarrowToCp1252(std::wstring_view(text, text.GetLength()));
        out += "\r\n";
    };
    for (const PackCategory& category : data) {
        line(L">");
        line(category.name);
        for (const PackList& list : category.lists) {
            line(L"*");
            line(list.name);
            // The flag always goes last, where the reader looks for it, however long the text.
            for (const PackItem& item : list.items) line(item.text + (item.checked ? L"1" : L"0"));
        }
    }
    out += "<";
    return out;
}

bool ReadPackingListFile(LPCWSTR path, PackData& data, bool* damaged) {
    data.clear();
    if (damaged) *damaged = false;
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeRead)) {
        // There, but no regular file (a link to a device): damaged, never read.
        if (damaged) *damaged = ::GetLastError() == ERROR_FILE_CORRUPT;
        return false;
    }
    // Far larger than any packing list: damaged, never read.
    if (file.GetLength() > TextFileCap(TextFileKind::PackingList)) {
        file.Abort();
        if (damaged) *damaged = true;
        return false;
    }
    std::string bytes;
    try {
        char buffer[4096];
        UINT got = 0;
        while ((got = file.Read(buffer, sizeof(buffer))) > 0) bytes.append(buffer, got);
    } catch (CException* e) {
        e->Delete();
        file.Abort();
        return false;
    }
    file.Abort();
    return ParsePackingList(device::WidenBytes(bytes), data, damaged);
}

bool WritePackingListFile(LPCWSTR path, const PackData& data) {
    // Written beside the file and renamed over it: a full device keeps the old lists whole.
    return ReplaceFileBytes(path, FormatPackingList(data));
}

PackData DefaultPackingList() { return {{L"All", {{L"All Items", {}}}}}; }
