#include "skins/SkinWriter.h"

#include "core/TextFiles.h"
#include "platform/base/CodePage.h"
#include "platform/system/DeviceFiles.h"

namespace {

std::string ToSingleByte(const CString& line) {
    if (line.IsEmpty()) return {};
    int size = WideCharToMultiByte(CP_ACP, 0, line, line.GetLength(), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, line, line.GetLength(), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

bool Holds(const CString& line, const wchar_t* key) { return line.Find(CString(key) + L"@") >= 0; }

CString Replaced(const wchar_t* key, const CString& value) { return CString(key) + L"@" + value; }

void EditLine(CString& line, const SkinSectionEdit& section, bool& inSection) {
    if (line.Find(section.header) >= 0)
        inSection = true;
    else if (line.Find(L'[') >= 0)
        inSection = false;
    if (!inSection) return;
    // The readers end a section at its first ">": the line that holds it closes the section
    // for the writer too, and stays as it stands. Rewriting it as KEY@value would drop the
    // close and join the lines after it to the section when the file is read again.
    if (line.Find(L'>') >= 0) {
        inSection = false;
        return;
    }
    for (const SkinKeyValue& kv : section.single)
        if (Holds(line, kv.key)) line = Replaced(kv.key, kv.value);
    for (const SkinKeyValue& kv : section.firstOf) {
        if (Holds(line, kv.key)) {
            line = Replaced(kv.key, kv.value);
            break;
        }
    }
}

} // namespace

std::string ComposeSkinFile(const CString& keptText, const std::vector<SkinSectionEdit>& sections) {
    std::vector<bool> inSection(sections.size(), false);
    std::string out;
    CString rest = keptText;
    for (;;) {
        if (rest.IsEmpty()) return {}; // ran out before the "*" line
        int end = rest.Find(L"\r\n");
        CString line = end >= 0 ? rest.Left(end) : rest;
        rest = end >= 0 ? rest.Mid(end + 2) : CString();
        // A lone CR or LF means the file uses other line ends: rewriting it would merge lines.
        if (line.Find(L'\n') >= 0 || line.Find(L'\r') >= 0) return {};
        for (size_t i = 0; i < sections.size(); ++i) {
            if (!sections[i].shown) continue;
            bool state = inSection[i];
            EditLine(line, sections[i], state);
            inSection[i] = state;
        }
        out += ToSingleByte(line);
        out += "\r\n";
        // The data ends at the marker line, "*" alone; a value may hold a "*" of its own.
        if (line == L"*") break;
    }
    out += "\n<";
    return out;
}

bool ReplaceSkinFile(const CString& path, const std::string& bytes) {
    if (path.IsEmpty() || bytes.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return ReplaceFileBytes(path, bytes);
}
