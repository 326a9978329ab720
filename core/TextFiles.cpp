#include "core/TextFiles.h"

#include "core/CoreMessages.h"
#include "platform/base/CodePage.h"
#include "platform/framework/File.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/FileReplace.h"
#include "platform/system/Modules.h"
#include "resources/resource.h"

#include <cwchar>
#include <string>

namespace {

// The reader takes the file in blocks and moves the file position back to just after the
// delimiter, so callers see the position that a byte-by-byte read would leave.
constexpr DWORD kBlock = 512;

// read(buffer, count) gives the bytes read (0 at the end or on an error); back(n) moves the
// position n bytes back.
template <class Read, class Back> CString ReadToken(LPCWSTR delimiter, Read read, Back back) {
    std::wstring result;
    const bool matchable = delimiter && delimiter[0] != 0 && delimiter[1] == 0;
    const wchar_t wanted = matchable ? delimiter[0] : 0;
    unsigned char block[kBlock];
    for (;;) {
        DWORD got = read(block, kBlock);
        if (got == 0) break;
        for (DWORD i = 0; i < got; ++i) {
            wchar_t c = device::WidenByte(block[i]);
            if (matchable && c == wanted) {
                if (got - i - 1 > 0) back(static_cast<LONG>(got - i - 1));
                return CString(std::move(result));
            }
            result += c;
        }
    }
    return CString(std::move(result));
}

} // namespace

CString ReadFileToken(HANDLE file, LPCWSTR delimiter) {
    if (!file || file == INVALID_HANDLE_VALUE) return CString();
    return ReadToken(
        delimiter,
        [file](unsigned char* buffer, DWORD count) {
            DWORD got = 0;
            return ReadFile(file, buffer, count, &got, nullptr) ? got : 0;
        },
        [file](LONG n) { SetFilePointer(file, -n, nullptr, FILE_CURRENT); });
}

CString ReadFileToken(CFile& file, LPCWSTR delimiter) {
    return ReadToken(
        delimiter,
        [&file](unsigned char* buffer, DWORD count) -> DWORD {
            try {
                return file.Read(buffer, count);
            } catch (CException* e) {
                e->Delete();
                return 0;
            }
        },
        [&file](LONG n) {
            try {
                file.Seek(-n, CFile::current);
            } catch (CException* e) {
                e->Delete();
            }
        });
}

CString GetProgramFolder() {
    WCHAR path[1024] = {};
    GetModuleFileNameW(nullptr, path, 1024);
    CString folder(path);
    int cut = folder.ReverseFind(L'\\');
    return cut >= 0 ? folder.Left(cut) : CString();
}

CString GetShippedFilePath(LPCWSTR name) {
    return GetProgramFolder() + L"\\" + CString(name);
}

bool ReplaceFileBytes(LPCWSTR path, const std::string& bytes) {
    if (!path || !*path) return false;
    const CString target = path;
    DWORD attributes = GetFileAttributesW(target);
    bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // The error of the step that failed is what the caller reads, whatever the clearing up does.
    const auto failed = [](DWORD error, const CString& leftOver) {
        DeleteFileW(leftOver);
        SetLastError(error);
        return false;
    };
    const CString fresh = target + L".new";
    HANDLE file = CreateFileW(fresh, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = (bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) &&
              written == bytes.size() && FlushFileBuffers(file);
    // A short write without an error is the device running out of room.
    const DWORD writeError = ok ? ERROR_SUCCESS : (GetLastError() ? GetLastError() : ERROR_DISK_FULL);
    CloseHandle(file);
    if (!ok) return failed(writeError, fresh);
    // Renamed over the old file in one step: a program killed at any point leaves the old file
    // or the new one, whole.
    if (MoveFileExW(fresh, target, MOVEFILE_REPLACE_EXISTING)) return true;
    return failed(GetLastError(), fresh);
}

unsigned long long TextFileCap(TextFileKind kind) {
    constexpr unsigned long long kKiB = 1024, kMiB = 1024 * kKiB;
    switch (kind) {
    case TextFileKind::CityList:
    case TextFileKind::WeatherList:
    case TextFileKind::PackingList:
    case TextFileKind::NewsPage: return 4 * kMiB;
    case TextFileKind::CountryCities:
    case TextFileKind::CurrencyList: return 1 * kMiB;
    case TextFileKind::Skin:
    case TextFileKind::ImageMapping:
    case TextFileKind::LanguageList: return 256 * kKiB;
    case TextFileKind::FeedAddresses: return 64 * kKiB;
    }
    return 64 * kKiB;
}

bool FitsTextFileCap(HANDLE file, TextFileKind kind) {
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    const unsigned long long size = static_cast<unsigned long long>(high) << 32 | low;
    return low != INVALID_FILE_SIZE && size <= TextFileCap(kind);
}

HANDLE OpenTextFile(LPCWSTR path, TextFileKind kind, bool* damaged) {
    if (damaged) *damaged = false;
    if (!path || !*path) return nullptr;
    // The device refuses a folder (access denied), a missing file, and what is no regular file
    // (a link to a device or a pipe: a damaged file) in the one call.
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (damaged) *damaged = GetLastError() == ERROR_FILE_CORRUPT;
        return nullptr;
    }
    if (!FitsTextFileCap(file, kind)) {
        CloseHandle(file);
        if (damaged) *damaged = true;
        return nullptr;
    }
    return file;
}

CTextFileHandle::~CTextFileHandle() {
    if (m_file) CloseHandle(m_file);
}

bool IsNameInsideFolder(const CString& name) {
    const std::wstring& text = name.Str();
    if (text.find(L':') != std::wstring::npos) return false;
    // Look at every component between separators of either kind.
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring_view part(text.data() + start, end - start);
        if (part == L"..") return false;
        start = end + 1;
    }
    return true;
}

CString LookupImageMapping(LPCWSTR key) {
    CTextFileHandle file(OpenTextFile(GetShippedFilePath(L"mapping.cfg"), TextFileKind::ImageMapping));
    if (!file) {
        ShowCoreMessage(IDS_WEATHER_IMAGE_NOT_FOUND);
        return CString(L"na");
    }
    const CString wanted(key);
    for (;;) {
        // Stop at the end of the file: a last line without "\n" is still looked at once.
        DWORD before = SetFilePointer(file.Get(), 0, nullptr, FILE_CURRENT);
        DWORD size = GetFileSize(file.Get(), nullptr);
        if (before == INVALID_SET_FILE_POINTER || before >= size) break;
        CString line = ReadFileToken(file.Get(), L"\n");
        if (line.Find(L'>') >= 0) break;
        if (line.Find(wanted) >= 0) {
            int at = line.Find(L'@');
            CString name = at >= 0 ? line.Left(at) : CString();
            // An image name is a file name in the icon folder; one that would lead out of it
            // counts as no mapping.
            if (name.FindOneOf(L"\\/") >= 0 || !IsNameInsideFolder(name)) return CString(L"na");
            return name;
        }
    }
    return CString(L"na");
}
