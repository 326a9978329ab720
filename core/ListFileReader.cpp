#include "core/ListFileReader.h"

#include "core/CoreMessages.h"
#include "core/TextFiles.h"
#include "platform/framework/File.h"
#include "platform/system/DeviceFiles.h"
#include "platform/ui/DeviceProgram.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// A read-only view of an open file handle that serves its bytes from a 64 KB window.
class CWindowedFile : public CFile {
public:
    explicit CWindowedFile(HANDLE source) : m_source(source) {
        DWORD high = 0;
        DWORD low = GetFileSize(source, &high);
        m_size = low == INVALID_FILE_SIZE ? 0 : (static_cast<ULONGLONG>(high) << 32 | low);
        LONG posHigh = 0;
        DWORD pos = SetFilePointer(source, 0, &posHigh, FILE_CURRENT);
        m_pos = pos == INVALID_SET_FILE_POINTER
                    ? m_size
                    : (static_cast<ULONGLONG>(static_cast<DWORD>(posHigh)) << 32 | pos);
    }

    UINT Read(void* lpBuf, UINT nCount) override {
        if (m_pos < m_windowStart || m_pos >= m_windowStart + m_window.size()) Fill();
        if (m_pos < m_windowStart || m_pos >= m_windowStart + m_window.size()) return 0;
        const size_t offset = static_cast<size_t>(m_pos - m_windowStart);
        const UINT n = static_cast<UINT>(std::min<size_t>(nCount, m_window.size() - offset));
        std::memcpy(lpBuf, m_window.data() + offset, n);
        m_pos += n;
        return n;
    }

    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override {
        const LONGLONG base = nFrom == begin ? 0
                              : nFrom == end ? static_cast<LONGLONG>(m_size)
                                             : static_cast<LONGLONG>(m_pos);
        m_pos = static_cast<ULONGLONG>(std::clamp<LONGLONG>(base + lOff, 0, static_cast<LONGLONG>(m_size)));
        return m_pos;
    }

    ULONGLONG GetPosition() const override { return m_pos; }
    ULONGLONG GetLength() const override { return m_size; }

private:
    void Fill() {
        m_window.resize(kWindow);
        m_windowStart = m_pos;
        LONG high = static_cast<LONG>(m_pos >> 32);
        SetLastError(NO_ERROR);
        DWORD low = SetFilePointer(m_source, static_cast<LONG>(m_pos & 0xFFFFFFFFu), &high, FILE_BEGIN);
        const bool placed = !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
        DWORD got = 0;
        if (!placed || !ReadFile(m_source, m_window.data(), kWindow, &got, nullptr)) got = 0;
        m_window.resize(got);
    }

    static constexpr DWORD kWindow = 64 * 1024;
    HANDLE m_source;
    std::vector<unsigned char> m_window;
    ULONGLONG m_windowStart = 0;
    ULONGLONG m_pos = 0;
    ULONGLONG m_size = 0;
};

} // namespace

CListFileReader::CListFileReader(HANDLE file) : m_file(std::make_unique<CWindowedFile>(file)) {
    m_size = m_file->GetLength();
    m_pos = m_file->GetPosition();
}

CListFileReader::~CListFileReader() = default;

CString CListFileReader::Next(LPCWSTR delimiter) {
    CString token = ReadFileToken(*m_file, delimiter);
    // Each byte becomes one character and only the delimiter or the end of the file ends a
    // token, so the place after it follows from its length.
    const unsigned long long length = static_cast<unsigned long long>(token.GetLength());
    m_complete = m_size - m_pos > length;
    m_pos = m_complete ? m_pos + length + 1 : m_size;
    return token;
}

int ParseListCount(const CString& text) {
    const std::wstring& s = text.Str();
    size_t i = 0;
    while (i < s.size() && (s[i] == L' ' || s[i] == L'\t'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
    long long value = 0;
    for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i) {
        value = value * 10 + (s[i] - L'0');
        if (value > 0x7FFFFFFF) {
            value = 0x7FFFFFFF;
            break;
        }
    }
    return static_cast<int>(negative ? -value : value);
}

bool IsTextName(const CString& name) {
    const std::wstring& s = name.Str();
    if (s.empty()) return false;
    for (wchar_t c : s) {
        const bool ascii = c >= 0x20 && c <= 0x7E;
        const bool latinLetter = c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7;
        const bool otherLetter =
            c == 0x160 || c == 0x161 || c == 0x152 || c == 0x153 || c == 0x17D || c == 0x17E || c == 0x178;
        const bool punctuation = c == 0x2019 || c == 0x2013;
        if (!ascii && !latinLetter && !otherLetter && !punctuation) return false;
    }
    return true;
}

void BuildFromShippedList(CRecordDatabase& db, LPCWSTR name, DWORD type,
                          const WORD idents[CRecordDatabase::kMaxProps], const ShippedList& list,
                          const std::function<int(HANDLE, bool*)>& import) {
    if (db.OpenBuilt(name)) return;
    bool refused = false;
    CTextFileHandle file(OpenTextFile(GetShippedFilePath(list.fileName), list.kind, &refused));
    bool damaged = false;
    int added = 0;
    const BOOL stored = db.Build(name, type, 4, idents, 1, 0, [&] {
        if (file) added = import(file.Get(), &damaged);
        if (device::ui::IsProgramEnding()) return CRecordDatabase::Filled::Abandoned;
        // A list that yields nothing leaves the store to be built again at the next opening
        // (and no record added later makes it look built).
        return added > 0 ? CRecordDatabase::Filled::Complete : CRecordDatabase::Filled::Incomplete;
    });
    if (!stored) return;
    if (!file && !refused) {
        ShowCoreMessage(list.notFound);
    } else if (added == 0) {
        // Empty, binary, UTF-16, too large or no file at all: nothing to choose from.
        ShowCoreMessageOncePerAction(list.noEntry);
    } else if (damaged) {
        // The records before the damage are kept; the user learns that the list is short.
        ShowCoreMessage(list.damaged);
    }
}
