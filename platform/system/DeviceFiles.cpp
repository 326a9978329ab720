#include "platform/system/DeviceFiles.h"
#include "platform/base/CaseFold.h"
#include "platform/base/DevicePath.h"
#include "platform/base/HandleValues.h"
#include "platform/base/Utf8.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/FileReplace.h"
#include "platform/system/ObjectStore.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kAttrXattr = "user.jorvana.attributes";
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

struct OpenFile {
    int fd;
    bool canRead;
    bool canWrite;
};

struct Search {
    std::vector<WIN32_FIND_DATAW> entries;
    size_t next = 0;
};

std::mutex g_mutex;
std::unordered_map<uintptr_t, OpenFile> g_files;
std::unordered_map<uintptr_t, std::unique_ptr<Search>> g_searches;
std::vector<device::HandleCloser> g_closers;

DWORD ErrorFromErrno(int err) {
    switch (err) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case EACCES: case EPERM: case EISDIR: case EROFS: return ERROR_ACCESS_DENIED;
    case ENOSPC: case EDQUOT: case EFBIG: return ERROR_DISK_FULL; // EFBIG: a file that may grow no further
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EMFILE: case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_ACCESS_DENIED;
    }
}

// A copy of size bytes into the folder that failed without saying why (the library's copy
// gives EIO for a write cut short): no room on its file system, or a file may not grow so big.
int CopyError(int err, const fs::path& folder, uintmax_t size) {
    if (err != EIO) return err;
    struct statvfs vfs {};
    if (::statvfs(folder.c_str(), &vfs) == 0 && static_cast<uintmax_t>(vfs.f_bavail) * vfs.f_frsize < size)
        return ENOSPC;
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < size)
        return EFBIG;
    return err;
}

BOOL Fail(DWORD code) {
    SetLastError(code);
    return FALSE;
}

// Whether the folder that would hold a host path exists: tells a missing file (2) from a missing
// path (3).
DWORD MissingError(const fs::path& host) {
    std::error_code ec;
    return fs::is_directory(host.parent_path(), ec) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

FILETIME ToFileTime(const struct timespec& ts) {
    uint64_t v = kUnixEpochAsFileTime + static_cast<uint64_t>(ts.tv_sec) * 10000000ull + static_cast<uint64_t>(ts.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

DWORD StoredAttributes(const fs::path& host) {
    uint32_t value = 0;
    ssize_t n = getxattr(host.c_str(), kAttrXattr, &value, sizeof(value));
    return n == sizeof(value) ? (value & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) : 0;
}

DWORD AttributesOf(const fs::path& host, const struct stat& st) {
    DWORD attrs = StoredAttributes(host);
    if (S_ISDIR(st.st_mode)) attrs |= FILE_ATTRIBUTE_DIRECTORY;
    else attrs |= FILE_ATTRIBUTE_ARCHIVE;
    if (!(st.st_mode & S_IWUSR)) attrs |= FILE_ATTRIBUTE_READONLY;
    return attrs;
}

bool Resolve(LPCWSTR path, fs::path& host) {
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return device::ResolveDevicePath(path, host);
}

OpenFile* FindFile(HANDLE h) {
    auto it = g_files.find(reinterpret_cast<uintptr_t>(h));
    return it == g_files.end() ? nullptr : &it->second;
}

bool IsFsRoot(const fs::path& host) { return host.lexically_normal() == device::FileSystemFolder().lexically_normal(); }

} // namespace

namespace device {

void AddHandleCloser(HandleCloser closer) {
    std::lock_guard lock(g_mutex);
    if (std::find(g_closers.begin(), g_closers.end(), closer) == g_closers.end()) g_closers.push_back(closer);
}

bool ResolveDevicePath(LPCWSTR devicePath, fs::path& host) {
    DWORD error = ERROR_SUCCESS;
    if (!DeviceToHostPath(FileSystemFolder(), devicePath ? devicePath : L"", host, error)) {
        SetLastError(error);
        return false;
    }
    return true;
}

bool MatchesDevicePattern(std::wstring_view pattern, std::wstring_view name) {
    if (pattern == L"*.*" || pattern == L"*") return true;
    // Iterative wildcard match with one back-tracking point.
    size_t p = 0, n = 0, star = std::wstring_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || ToLowerChar(pattern[p]) == ToLowerChar(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            mark = n;
        } else if (star != std::wstring_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    // "name.*" also matches "name" with no extension, as the device's matcher does.
    if (p + 2 == pattern.size() && pattern[p] == L'.' && pattern[p + 1] == L'*') return true;
    return p == pattern.size();
}

} // namespace device

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition,
                   DWORD, HANDLE) {
    fs::path host;
    if (!Resolve(lpFileName, host)) return INVALID_HANDLE_VALUE;
    if (dwCreationDisposition < CREATE_NEW || dwCreationDisposition > TRUNCATE_EXISTING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    bool wantRead = dwDesiredAccess & GENERIC_READ;
    bool wantWrite = dwDesiredAccess & GENERIC_WRITE;
    if (dwCreationDisposition == TRUNCATE_EXISTING && !wantWrite) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }

    struct stat st {};
    bool exists = ::stat(host.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    bool truncates = dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING;
    if (exists && !(st.st_mode & S_IWUSR) && (wantWrite || truncates)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }

    int flags = O_CLOEXEC;
    if (wantRead && wantWrite) flags |= O_RDWR;
    else if (wantWrite) flags |= O_WRONLY;
    else flags |= O_RDONLY;
    switch (dwCreationDisposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING: flags |= O_TRUNC; break;
    }
    // Neither read nor write access (an attribute query handle): open for reading underneath.
    // Opened without waiting (a pipe would wait for its writer), then looked at: the device's
    // file system holds files and folders only, so a device, pipe or socket met under a device
    // path (a link to /dev/zero) is a damaged file, never read or written.
    int fd = ::open(host.c_str(), flags | O_NONBLOCK, 0666);
    if (fd < 0) {
        int err = errno;
        SetLastError(err == ENOENT   ? MissingError(host)
                     : err == EEXIST ? ERROR_FILE_EXISTS
                     : err == ENXIO  ? ERROR_FILE_CORRUPT // a pipe or socket
                                     : ErrorFromErrno(err));
        return INVALID_HANDLE_VALUE;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        SetLastError(ERROR_FILE_CORRUPT);
        return INVALID_HANDLE_VALUE;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    uintptr_t value = device::AllocateHandleValue();
    {
        std::lock_guard lock(g_mutex);
        g_files[value] = OpenFile{fd, wantRead || !wantWrite, wantWrite};
    }
    bool reportExisting = exists && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS);
    SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return reinterpret_cast<HANDLE>(value);
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD n, LPDWORD lpRead, LPOVERLAPPED) {
    if (lpRead) *lpRead = 0;
    int fd;
    {
        std::lock_guard lock(g_mutex);
        OpenFile* f = FindFile(hFile);
        if (!f) return Fail(ERROR_INVALID_HANDLE);
        if (!f->canRead) return Fail(ERROR_ACCESS_DENIED);
        fd = f->fd;
    }
    if (!lpBuffer && n) return Fail(ERROR_INVALID_PARAMETER);
    size_t done = 0;
    while (done < n) {
        ssize_t got = ::read(fd, static_cast<char*>(lpBuffer) + done, n - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Fail(ERROR_READ_FAULT);
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    if (lpRead) *lpRead = static_cast<DWORD>(done);
    return TRUE; // end of file is a successful read of fewer bytes
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD n, LPDWORD lpWritten, LPOVERLAPPED) {
    if (lpWritten) *lpWritten = 0;
    int fd;
    {
        std::lock_guard lock(g_mutex);
        OpenFile* f = FindFile(hFile);
        if (!f) return Fail(ERROR_INVALID_HANDLE);
        if (!f->canWrite) return Fail(ERROR_ACCESS_DENIED);
        fd = f->fd;
    }
    if (!lpBuffer && n) return Fail(ERROR_INVALID_PARAMETER);
    size_t done = 0;
    while (done < n) {
        ssize_t put = ::write(fd, static_cast<const char*>(lpBuffer) + done, n - done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) {
            if (lpWritten) *lpWritten = static_cast<DWORD>(done);
            return Fail(errno == ENOSPC || errno == EDQUOT || errno == EFBIG ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
        }
        done += static_cast<size_t>(put);
    }
    if (lpWritten) *lpWritten = static_cast<DWORD>(done);
    return TRUE;
}

DWORD SetFilePointer(HANDLE hFile, LONG lDistance, PLONG lpDistanceHigh, DWORD dwMoveMethod) {
    int fd;
    {
        std::lock_guard lock(g_mutex);
        OpenFile* f = FindFile(hFile);
        if (!f) {
            SetLastError(ERROR_INVALID_HANDLE);
            return INVALID_SET_FILE_POINTER;
        }
        fd = f->fd;
    }
    int64_t distance = lpDistanceHigh ? ((static_cast<int64_t>(*lpDistanceHigh) << 32) | static_cast<uint32_t>(lDistance))
                                      : static_cast<int64_t>(lDistance);
    int whence = dwMoveMethod == FILE_BEGIN ? SEEK_SET : dwMoveMethod == FILE_CURRENT ? SEEK_CUR : dwMoveMethod == FILE_END ? SEEK_END : -1;
    if (whence < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    off_t pos = ::lseek(fd, static_cast<off_t>(distance), whence);
    if (pos < 0) {
        SetLastError(ERROR_INVALID_PARAMETER); // a position before the start of the file
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceHigh) *lpDistanceHigh = static_cast<LONG>(static_cast<uint64_t>(pos) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(pos);
}

DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    std::lock_guard lock(g_mutex);
    OpenFile* f = FindFile(hFile);
    struct stat st {};
    if (!f || ::fstat(f->fd, &st) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_size) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(st.st_size);
}

BOOL SetEndOfFile(HANDLE hFile) {
    std::lock_guard lock(g_mutex);
    OpenFile* f = FindFile(hFile);
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    if (!f->canWrite) return Fail(ERROR_ACCESS_DENIED);
    off_t pos = ::lseek(f->fd, 0, SEEK_CUR);
    return pos >= 0 && ::ftruncate(f->fd, pos) == 0 ? TRUE : Fail(ErrorFromErrno(errno));
}

BOOL FlushFileBuffers(HANDLE hFile) {
    std::lock_guard lock(g_mutex);
    OpenFile* f = FindFile(hFile);
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    ::fdatasync(f->fd);
    return TRUE;
}

BOOL CloseHandle(HANDLE hObject) {
    std::vector<device::HandleCloser> closers;
    {
        std::lock_guard lock(g_mutex);
        auto it = g_files.find(reinterpret_cast<uintptr_t>(hObject));
        if (it != g_files.end()) {
            ::close(it->second.fd);
            g_files.erase(it);
            return TRUE;
        }
        closers = g_closers;
    }
    if (device::CloseObjectStoreHandle(hObject)) return TRUE;
    for (auto closer : closers)
        if (closer(hObject)) return TRUE;
    return Fail(ERROR_INVALID_HANDLE);
}

BOOL DeleteFileW(LPCWSTR lpFileName) {
    fs::path host;
    if (!Resolve(lpFileName, host)) return FALSE;
    struct stat st {};
    if (::lstat(host.c_str(), &st) != 0) return Fail(MissingError(host));
    if (S_ISDIR(st.st_mode) || !(st.st_mode & S_IWUSR)) return Fail(ERROR_ACCESS_DENIED);
    return ::unlink(host.c_str()) == 0 ? TRUE : Fail(ErrorFromErrno(errno));
}

BOOL CopyFileW(LPCWSTR lpExisting, LPCWSTR lpNew, BOOL bFailIfExists) {
    fs::path from, to;
    if (!Resolve(lpExisting, from) || !Resolve(lpNew, to)) return FALSE;
    struct stat st {};
    if (::stat(from.c_str(), &st) != 0) return Fail(MissingError(from));
    if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    if (!S_ISREG(st.st_mode)) return Fail(ERROR_FILE_CORRUPT); // a device or pipe is never copied
    struct stat dst {};
    if (::stat(to.c_str(), &dst) == 0) {
        if (bFailIfExists) return Fail(ERROR_FILE_EXISTS);
        if (S_ISDIR(dst.st_mode) || !(dst.st_mode & S_IWUSR)) return Fail(ERROR_ACCESS_DENIED);
        if (fs::equivalent(from, to)) return TRUE;
    }
    // Copy to a temporary name beside the target, then rename over it: a failed copy never
    // leaves a half-written file behind.
    fs::path temp = to;
    temp += ".copying";
    std::error_code ec;
    fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        // Taken before the clearing up reuses ec.
        const int err = CopyError(ec.value() ? ec.value() : EIO, temp.parent_path(), static_cast<uintmax_t>(st.st_size));
        fs::remove(temp, ec);
        return Fail(ErrorFromErrno(err));
    }
    ::chmod(temp.c_str(), st.st_mode & 07777);
    uint32_t attrs = StoredAttributes(from);
    if (attrs) ::setxattr(temp.c_str(), kAttrXattr, &attrs, sizeof(attrs), 0);
    if (::rename(temp.c_str(), to.c_str()) != 0) {
        int err = errno;
        fs::remove(temp, ec);
        return Fail(ErrorFromErrno(err));
    }
    return TRUE;
}

BOOL MoveFileW(LPCWSTR lpExisting, LPCWSTR lpNew) {
    fs::path from, to;
    if (!Resolve(lpExisting, from) || !Resolve(lpNew, to)) return FALSE;
    struct stat st {};
    if (::lstat(from.c_str(), &st) != 0) return Fail(MissingError(from));
    if (IsFsRoot(from)) return Fail(ERROR_ACCESS_DENIED);
    struct stat dst {};
    // A target that exists fails, unless it is the same entry under another letter case (a rename
    // that only changes case).
    if (::lstat(to.c_str(), &dst) == 0 && !(dst.st_ino == st.st_ino && dst.st_dev == st.st_dev))
        return Fail(ERROR_ALREADY_EXISTS);
    if (S_ISDIR(st.st_mode)) {
        auto rel = to.lexically_normal().lexically_relative(from.lexically_normal());
        if (!rel.empty() && *rel.begin() != "..") return Fail(ERROR_ACCESS_DENIED); // into itself
    }
    if (dst.st_ino == st.st_ino && dst.st_dev == st.st_dev) {
        // Only the letter case changes: rename to the name as the caller wrote it.
        std::wstring wnew(lpNew);
        auto cut = wnew.find_last_of(L"\\/");
        fs::path target = to.parent_path() / device::ToUtf8(cut == std::wstring::npos ? wnew : wnew.substr(cut + 1));
        return ::rename(from.c_str(), target.c_str()) == 0 ? TRUE : Fail(ErrorFromErrno(errno));
    }
    return ::rename(from.c_str(), to.c_str()) == 0 ? TRUE : Fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
}

BOOL MoveFileExW(LPCWSTR lpExisting, LPCWSTR lpNew, DWORD dwFlags) {
    if (!(dwFlags & MOVEFILE_REPLACE_EXISTING)) return MoveFileW(lpExisting, lpNew);
    fs::path from, to;
    if (!Resolve(lpExisting, from) || !Resolve(lpNew, to)) return FALSE;
    struct stat st {};
    if (::lstat(from.c_str(), &st) != 0) return Fail(MissingError(from));
    struct stat dst {};
    if (::lstat(to.c_str(), &dst) != 0 || (dst.st_ino == st.st_ino && dst.st_dev == st.st_dev))
        return MoveFileW(lpExisting, lpNew);
    // Only a file replaces a file, and a read-only file stays.
    if (S_ISDIR(st.st_mode) || S_ISDIR(dst.st_mode) || !(dst.st_mode & S_IWUSR)) return Fail(ERROR_ACCESS_DENIED);
    // The host's rename swaps the entry in one step.
    return ::rename(from.c_str(), to.c_str()) == 0 ? TRUE : Fail(ErrorFromErrno(errno));
}

BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    fs::path host;
    if (!Resolve(lpPathName, host)) return FALSE;
    if (::mkdir(host.c_str(), 0777) == 0) return TRUE;
    return Fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
}

BOOL RemoveDirectoryW(LPCWSTR lpPathName) {
    fs::path host;
    if (!Resolve(lpPathName, host)) return FALSE;
    if (IsFsRoot(host)) return Fail(ERROR_ACCESS_DENIED);
    struct stat st {};
    if (::lstat(host.c_str(), &st) != 0) return Fail(MissingError(host));
    if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
    return ::rmdir(host.c_str()) == 0 ? TRUE : Fail(ErrorFromErrno(errno));
}

DWORD GetFileAttributesW(LPCWSTR lpFileName) {
    fs::path host;
    if (!Resolve(lpFileName, host)) return INVALID_FILE_ATTRIBUTES;
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) {
        SetLastError(MissingError(host));
        return INVALID_FILE_ATTRIBUTES;
    }
    return AttributesOf(host, st);
}

BOOL SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes) {
    fs::path host;
    if (!Resolve(lpFileName, host)) return FALSE;
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) return Fail(MissingError(host));
    mode_t mode = st.st_mode & 07777;
    mode = (dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
    if (::chmod(host.c_str(), mode) != 0) return Fail(ErrorFromErrno(errno));
    uint32_t stored = dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (stored) {
        if (::setxattr(host.c_str(), kAttrXattr, &stored, sizeof(stored), 0) != 0) return Fail(ERROR_NOT_SUPPORTED);
    } else {
        ::removexattr(host.c_str(), kAttrXattr);
    }
    return TRUE;
}

HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
    if (!lpFileName || !lpFindFileData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::wstring full(lpFileName);
    auto cut = full.find_last_of(L"\\/");
    if (cut == std::wstring::npos) {
        SetLastError(ERROR_BAD_PATHNAME);
        return INVALID_HANDLE_VALUE;
    }
    std::wstring pattern = full.substr(cut + 1);
    std::wstring folder = cut == 0 ? L"\\" : full.substr(0, cut);
    if (!device::IsValidDeviceName(pattern, true)) {
        SetLastError(pattern.empty() ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    fs::path dir;
    if (!Resolve(folder.c_str(), dir)) return INVALID_HANDLE_VALUE;
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_unique<Search>();
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::wstring name = device::FromUtf8(it->path().filename().string());
        if (name.size() >= MAX_PATH || !device::MatchesDevicePattern(pattern, name)) continue;
        struct stat st {};
        if (::stat(it->path().c_str(), &st) != 0) continue;
        WIN32_FIND_DATAW data{};
        data.dwFileAttributes = AttributesOf(it->path(), st);
        data.ftCreationTime = ToFileTime(st.st_ctim);
        data.ftLastAccessTime = ToFileTime(st.st_atim);
        data.ftLastWriteTime = ToFileTime(st.st_mtim);
        uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(size);
        data.dwOID = static_cast<DWORD>(st.st_ino);
        std::wmemcpy(data.cFileName, name.c_str(), name.size() + 1);
        search->entries.push_back(data);
    }
    if (search->entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::sort(search->entries.begin(), search->entries.end(), [](const WIN32_FIND_DATAW& a, const WIN32_FIND_DATAW& b) {
        int c = device::CompareNoCase(a.cFileName, b.cFileName);
        return c != 0 ? c < 0 : std::wcscmp(a.cFileName, b.cFileName) < 0;
    });
    *lpFindFileData = search->entries[0];
    search->next = 1;
    uintptr_t value = device::AllocateHandleValue();
    std::lock_guard lock(g_mutex);
    g_searches[value] = std::move(search);
    SetLastError(ERROR_SUCCESS);
    return reinterpret_cast<HANDLE>(value);
}

BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
    std::lock_guard lock(g_mutex);
    auto it = g_searches.find(reinterpret_cast<uintptr_t>(hFindFile));
    if (it == g_searches.end()) return Fail(ERROR_INVALID_HANDLE);
    if (!lpFindFileData) return Fail(ERROR_INVALID_PARAMETER);
    Search& s = *it->second;
    if (s.next >= s.entries.size()) return Fail(ERROR_NO_MORE_FILES);
    *lpFindFileData = s.entries[s.next++];
    return TRUE;
}

BOOL FindClose(HANDLE hFindFile) {
    std::lock_guard lock(g_mutex);
    return g_searches.erase(reinterpret_cast<uintptr_t>(hFindFile)) ? TRUE : Fail(ERROR_INVALID_HANDLE);
}
