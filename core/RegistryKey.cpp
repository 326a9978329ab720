#include "core/RegistryKey.h"

#include "core/DamagedSettings.h"
#include "core/StorageFaults.h"

#include <cwchar>
#include <vector>

namespace {

// Room the value-name walk hands the registry, terminating null included.
constexpr DWORD kNameBuffer = 20;
constexpr LONG kNoMoreItems = 259;

struct KeyCloser {
    HKEY key;
    ~KeyCloser() {
        if (key) RegCloseKey(key);
    }
};

} // namespace

HKEY CRegistryKey::OpenAndFind(HKEY root, LPCWSTR path, LPCWSTR name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, 0, &key) != ERROR_SUCCESS || !key) {
        RegistryStatus = kKeyMissing;
        return nullptr;
    }
    RegistryStatus = kFound;
    const wchar_t* wanted = name ? name : L"";
    for (DWORD index = 0;; ++index) {
        WCHAR found[kNameBuffer] = {};
        DWORD count = kNameBuffer;
        LONG rc = RegEnumValueW(key, index, found, &count, nullptr, nullptr, nullptr, nullptr);
        if (rc == kNoMoreItems) break;
        // A name too long for the buffer (or any other refusal) is passed over.
        if (rc != ERROR_SUCCESS) continue;
        if (std::wcscmp(found, wanted) == 0) return key;
    }
    RegCloseKey(key);
    RegistryStatus = kValueMissing;
    return nullptr;
}

void CRegistryKey::Damaged(LPCWSTR path, LPCWSTR name) {
    RegistryStatus = kValueDamaged;
    NoteDamagedSetting(path, name);
}

CString CRegistryKey::ReadString(HKEY root, LPCWSTR path, LPCWSTR name) {
    KeyCloser key{OpenAndFind(root, path, name)};
    if (!key.key) return CString();
    DWORD size = 0, type = REG_NONE;
    if (RegQueryValueExW(key.key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return CString();
    // Text is kept whole characters at a time; anything else is not a text.
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size % sizeof(WCHAR) != 0) {
        Damaged(path, name);
        return CString();
    }
    if (size == 0) return CString();
    // One spare character so that a value stored without a terminating null still ends in one.
    std::vector<WCHAR> text(size / sizeof(WCHAR) + 1, 0);
    DWORD got = size;
    if (RegQueryValueExW(key.key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(text.data()), &got) !=
        ERROR_SUCCESS)
        return CString();
    text.back() = 0;
    return CString(text.data());
}

DWORD CRegistryKey::ReadDword(HKEY root, LPCWSTR path, LPCWSTR name) {
    KeyCloser key{OpenAndFind(root, path, name)};
    if (!key.key) return 0;
    DWORD value = 0, size = 0, type = REG_NONE;
    if (RegQueryValueExW(key.key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return 0;
    if (type != REG_DWORD || size != sizeof(value)) {
        Damaged(path, name);
        return 0;
    }
    if (RegQueryValueExW(key.key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size) !=
        ERROR_SUCCESS)
        return 0;
    return value;
}

bool CRegistryKey::WriteString(HKEY root, LPCWSTR path, LPCWSTR name, LPCWSTR text) {
    if (DamagedSettingUntold(path, name)) return true;
    CStorageWriteWatch watch;
    HKEY key = nullptr;
    WCHAR noClass[1] = {0};
    if (RegCreateKeyExW(root, path, 0, noClass, 0, 0, nullptr, &key, nullptr) != ERROR_SUCCESS || !key) {
        watch.Done();
        return false;
    }
    KeyCloser closer{key};
    const wchar_t* value = text ? text : L"";
    DWORD bytes = static_cast<DWORD>(std::wcslen(value) * sizeof(WCHAR));
    const bool written =
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes) == ERROR_SUCCESS;
    watch.Done();
    return written;
}

bool CRegistryKey::WriteDword(HKEY root, LPCWSTR path, LPCWSTR name, DWORD value) {
    if (DamagedSettingUntold(path, name)) return true;
    CStorageWriteWatch watch;
    HKEY key = nullptr;
    WCHAR noClass[1] = {0};
    if (RegCreateKeyExW(root, path, 0, noClass, 0, 0, nullptr, &key, nullptr) != ERROR_SUCCESS || !key) {
        watch.Done();
        return false;
    }
    KeyCloser closer{key};
    const bool written = RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                        sizeof(value)) == ERROR_SUCCESS;
    watch.Done();
    return written;
}

void CRegistryKey::DeleteValue(HKEY root, LPCWSTR path, LPCWSTR name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, 0, &key) != ERROR_SUCCESS || !key) return;
    RegDeleteValueW(key, name);
    RegCloseKey(key);
}
