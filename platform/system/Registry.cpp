#include "platform/system/Registry.h"
#include "platform/base/CaseFold.h"
#include "platform/base/HandleValues.h"
#include "platform/base/Utf8.h"
#include "platform/system/ConnMgr.h"
#include "platform/system/DeviceDb.h"

#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

using device::DeviceDb;
using device::Statement;

namespace {

const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS reg_key(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER NOT NULL,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    UNIQUE(parent, folded));
CREATE TABLE IF NOT EXISTS reg_value(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    key INTEGER NOT NULL,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    UNIQUE(key, folded));
)";
// The four root keys every registry starts with.
const char* kRoots = R"(
INSERT OR IGNORE INTO reg_key(parent, name, folded) VALUES
    (0, 'hkey_classes_root', 'hkey_classes_root'), (0, 'hkey_current_user', 'hkey_current_user'),
    (0, 'hkey_local_machine', 'hkey_local_machine'), (0, 'hkey_users', 'hkey_users');
)";

// What a new registry holds from the start: the roots, and the keys a configured device carries
// under HKEY_LOCAL_MACHINE (the host network's HTTP proxy provider, whose "Proxy" value reads
// "direct"), made with the roots so that they are there whatever the device's storage takes later.
const std::string& NewRegistrySql() {
    static const std::string sql = [] {
        std::string text = kRoots;
        for (const wchar_t* path : device::kHostNetworkProviderKeys) {
            std::string parent =
                "(SELECT id FROM reg_key WHERE parent = 0 AND folded = 'hkey_local_machine')";
            std::wstring rest = path;
            while (!rest.empty()) {
                const size_t cut = rest.find(L'\\');
                const std::string name = device::ToUtf8(rest.substr(0, cut));
                const std::string folded = device::ToUtf8(device::ToLower(rest.substr(0, cut)));
                rest = cut == std::wstring::npos ? std::wstring() : rest.substr(cut + 1);
                text += "INSERT OR IGNORE INTO reg_key(parent, name, folded) SELECT " + parent + ", '" +
                        name + "', '" + folded + "';\n";
                parent =
                    "(SELECT id FROM reg_key WHERE parent = " + parent + " AND folded = '" + folded + "')";
            }
            text += "INSERT OR IGNORE INTO reg_value(key, name, folded, type, data) SELECT " + parent +
                    ", 'Proxy', 'proxy', 1, x'64697265637400';\n"; // REG_SZ "direct" and its null
        }
        return text;
    }();
    return sql;
}

const char* kRootsThere = "SELECT count(*) = 4 FROM reg_key WHERE parent = 0 AND folded IN "
                          "('hkey_classes_root', 'hkey_current_user', 'hkey_local_machine', 'hkey_users')";

// Open keys of this process: handle -> key row.
std::mutex g_handleMutex;
std::unordered_map<uintptr_t, int64_t> g_handles;

bool IsPredefined(HKEY h) {
    auto v = reinterpret_cast<uintptr_t>(h);
    return v >= 0x80000000u && v <= 0x80000003u;
}

const char* PredefinedName(HKEY h) {
    switch (reinterpret_cast<uintptr_t>(h)) {
    case 0x80000000u: return "hkey_classes_root";
    case 0x80000001u: return "hkey_current_user";
    case 0x80000002u: return "hkey_local_machine";
    default: return "hkey_users";
    }
}

DeviceDb* Db() {
    DeviceDb* db = DeviceDb::Get();
    if (db && !db->EnsureSchema(device::StorePart::Registry, kSchema, NewRegistrySql().c_str(), kRootsThere)) return nullptr;
    return db;
}

std::string Fold(std::wstring_view name) { return device::ToUtf8(device::ToLower(name)); }

bool KeyExists(sqlite3* h, int64_t id) {
    Statement s(h, "SELECT 1 FROM reg_key WHERE id=?");
    return s.Bind(1, id).Step();
}

// The key row behind a handle: 0 with an error for a bad or deleted handle.
int64_t KeyOf(sqlite3* h, HKEY key, LONG& error) {
    if (IsPredefined(key)) {
        Statement find(h, "SELECT id FROM reg_key WHERE parent=0 AND folded=?");
        if (find.Bind(1, std::string_view(PredefinedName(key))).Step()) return find.Int(0);
        error = ERROR_BADDB;
        return 0;
    }
    int64_t id = 0;
    {
        std::lock_guard lock(g_handleMutex);
        auto it = g_handles.find(reinterpret_cast<uintptr_t>(key));
        if (it == g_handles.end()) {
            error = ERROR_INVALID_HANDLE;
            return 0;
        }
        id = it->second;
    }
    if (!KeyExists(h, id)) {
        error = ERROR_KEY_DELETED;
        return 0;
    }
    return id;
}

HKEY NewHandle(int64_t id) {
    uintptr_t h = device::AllocateHandleValue();
    std::lock_guard lock(g_handleMutex);
    g_handles[h] = id;
    return reinterpret_cast<HKEY>(h);
}

// Splits "a\b\c" into checked components (empty components are skipped, as the device does for
// a leading or doubled "\").
bool SplitKeyPath(LPCWSTR path, std::vector<std::wstring>& parts) {
    parts.clear();
    if (!path) return true;
    std::wstring_view v(path);
    size_t start = 0;
    while (start <= v.size()) {
        size_t end = v.find(L'\\', start);
        if (end == std::wstring_view::npos) end = v.size();
        auto part = v.substr(start, end - start);
        if (part.size() > DEVICE_MAX_KEY_NAME) return false;
        if (!part.empty()) parts.emplace_back(part);
        start = end + 1;
    }
    return true;
}

int64_t FindChild(sqlite3* h, int64_t parent, const std::wstring& name) {
    Statement s(h, "SELECT id FROM reg_key WHERE parent=? AND folded=?");
    return s.Bind(1, parent).Bind(2, std::string_view(Fold(name))).Step() ? s.Int(0) : 0;
}

bool ValidValueName(LPCWSTR name) { return !name || std::wcslen(name) <= DEVICE_MAX_VALUE_NAME; }

// Text values are kept as UTF-8 of their characters; other values as their bytes.
bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::vector<uint8_t> Encode(DWORD type, const BYTE* data, DWORD cb) {
    if (!data || cb == 0) return {};
    if (!IsText(type)) return std::vector<uint8_t>(data, data + cb);
    std::wstring text(reinterpret_cast<const WCHAR*>(data), cb / sizeof(WCHAR));
    std::string utf8 = device::ToUtf8(text);
    return std::vector<uint8_t>(utf8.begin(), utf8.end());
}

// The value's bytes as the caller sees them.
std::vector<uint8_t> Decode(DWORD type, const std::vector<uint8_t>& stored) {
    if (!IsText(type)) return stored;
    std::wstring text = device::FromUtf8(std::string_view(reinterpret_cast<const char*>(stored.data()), stored.size()));
    std::vector<uint8_t> out(text.size() * sizeof(WCHAR));
    if (!text.empty()) std::memcpy(out.data(), text.data(), out.size());
    return out;
}

// Hands data to a caller's buffer with the device's size rules.
LONG GiveData(const std::vector<uint8_t>& bytes, LPBYTE data, LPDWORD cb) {
    if (!cb) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    auto size = static_cast<DWORD>(bytes.size());
    if (!data) {
        *cb = size;
        return ERROR_SUCCESS;
    }
    if (*cb < size) {
        *cb = size;
        return ERROR_MORE_DATA;
    }
    if (size) std::memcpy(data, bytes.data(), size);
    *cb = size;
    return ERROR_SUCCESS;
}

void ForgetSnapshot();

// Runs a registry operation in one transaction; a device database that cannot be used reports
// ERROR_BADDB.
template <typename Fn> LONG Run(bool write, Fn&& fn) {
    DeviceDb* db = Db();
    if (!db) return ERROR_BADDB;
    LONG result = ERROR_SUCCESS;
    auto body = [&](sqlite3* h) {
        result = fn(h);
        return result == ERROR_SUCCESS || result == ERROR_MORE_DATA;
    };
    bool ok = write ? db->Write(body) : db->Read(body);
    if (write) ForgetSnapshot();
    if (!ok && (result == ERROR_SUCCESS || result == ERROR_MORE_DATA)) return ERROR_BADDB;
    return result;
}

// ---- Reads come from a snapshot of the whole registry, kept while no process writes ----

struct SnapValue {
    std::wstring name;
    std::wstring folded;
    DWORD type;
    std::vector<uint8_t> data; // as the caller sees it
};

struct SnapKey {
    std::wstring name;
    std::vector<int64_t> children; // in creation order
    std::vector<SnapValue> values; // in creation order
};

struct Snapshot {
    bool valid = false;
    uint64_t generation = 0;
    // A snapshot taken inside a transaction that was then rolled back shows what was undone,
    // though the generation did not move: the connection's rollbacks tell.
    uint64_t serial = 0;
    uint64_t rollbacks = 0;
    std::unordered_map<int64_t, SnapKey> keys;
    std::unordered_map<int64_t, std::unordered_map<std::wstring, int64_t>> childByName; // parent -> folded name -> id
};

std::mutex g_snapMutex;
Snapshot g_snap;

bool LoadSnapshot(DeviceDb* db, Snapshot& snap) {
    snap.keys.clear();
    snap.childByName.clear();
    return db->Read([&](sqlite3* h) {
        Statement keys(h, "SELECT id, parent, name FROM reg_key ORDER BY id");
        while (keys.Step()) {
            int64_t id = keys.Int(0), parent = keys.Int(1);
            std::wstring name = keys.WText(2);
            snap.childByName[parent][device::ToLower(name)] = id;
            snap.keys[id].name = std::move(name);
            if (parent) snap.keys[parent].children.push_back(id);
        }
        Statement values(h, "SELECT key, name, type, data FROM reg_value ORDER BY id");
        while (values.Step()) {
            auto type = static_cast<DWORD>(values.Int(2));
            std::wstring name = values.WText(1);
            std::wstring folded = device::ToLower(name);
            snap.keys[values.Int(0)].values.push_back({std::move(name), std::move(folded), type, Decode(type, values.Blob(3))});
        }
        return keys.Error() == SQLITE_OK && values.Error() == SQLITE_OK;
    });
}

// Runs a read against the current snapshot, reloading it when another write happened since.
template <typename Fn> LONG ReadSnapshot(Fn&& fn) {
    DeviceDb* db = Db();
    if (!db) return ERROR_BADDB;
    std::lock_guard lock(g_snapMutex);
    uint64_t generation = db->Generation();
    if (!g_snap.valid || g_snap.generation != generation || g_snap.serial != db->Serial() ||
        g_snap.rollbacks != db->Rollbacks()) {
        g_snap.rollbacks = db->Rollbacks();
        g_snap.serial = db->Serial();
        g_snap.valid = LoadSnapshot(db, g_snap);
        g_snap.generation = generation;
        if (!g_snap.valid) return ERROR_BADDB;
    }
    return fn(g_snap);
}

const SnapKey* SnapKeyOf(const Snapshot& snap, HKEY key, int64_t& id, LONG& error) {
    id = 0;
    if (IsPredefined(key)) {
        auto roots = snap.childByName.find(0);
        if (roots != snap.childByName.end()) {
            std::string name = PredefinedName(key);
            auto it = roots->second.find(std::wstring(name.begin(), name.end()));
            if (it != roots->second.end()) id = it->second;
        }
        if (!id) error = ERROR_BADDB;
    } else {
        std::lock_guard lock(g_handleMutex);
        auto it = g_handles.find(reinterpret_cast<uintptr_t>(key));
        if (it == g_handles.end()) {
            error = ERROR_INVALID_HANDLE;
            return nullptr;
        }
        id = it->second;
    }
    auto it = snap.keys.find(id);
    if (it == snap.keys.end()) {
        if (error == ERROR_SUCCESS) error = ERROR_KEY_DELETED;
        return nullptr;
    }
    return &it->second;
}

const SnapValue* SnapValueOf(const SnapKey& key, LPCWSTR name) {
    std::wstring folded = device::ToLower(name ? name : L"");
    for (const auto& v : key.values)
        if (v.folded == folded) return &v;
    return nullptr;
}

// Invalidates this process's snapshot after its own write, whatever the shared counter says.
void ForgetSnapshot() {
    std::lock_guard lock(g_snapMutex);
    g_snap.valid = false;
}

} // namespace

LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    std::vector<std::wstring> parts;
    if (!SplitKeyPath(lpSubKey, parts)) return ERROR_INVALID_PARAMETER;
    int64_t id = 0;
    LONG rc = ReadSnapshot([&](const Snapshot& snap) -> LONG {
        LONG err = ERROR_SUCCESS;
        if (!SnapKeyOf(snap, hKey, id, err)) return err;
        for (const auto& part : parts) {
            auto children = snap.childByName.find(id);
            if (children == snap.childByName.end()) return ERROR_FILE_NOT_FOUND;
            auto it = children->second.find(device::ToLower(part));
            if (it == children->second.end()) return ERROR_FILE_NOT_FOUND;
            id = it->second;
        }
        return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) return rc;
    *phkResult = (IsPredefined(hKey) && parts.empty()) ? hKey : NewHandle(id);
    return rc;
}

LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                     PHKEY phkResult, LPDWORD lpdwDisposition) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    std::vector<std::wstring> parts;
    if (!SplitKeyPath(lpSubKey, parts)) return ERROR_INVALID_PARAMETER;
    int64_t id = 0;
    DWORD disposition = REG_OPENED_EXISTING_KEY;
    LONG rc = Run(true, [&](sqlite3* h) -> LONG {
        LONG err = ERROR_SUCCESS;
        id = KeyOf(h, hKey, err);
        if (!id) return err;
        disposition = REG_OPENED_EXISTING_KEY;
        for (const auto& part : parts) {
            int64_t child = FindChild(h, id, part);
            if (!child) {
                Statement add(h, "INSERT INTO reg_key(parent, name, folded) VALUES(?, ?, ?)");
                if (!add.Bind(1, id).Bind(2, std::wstring_view(part)).Bind(3, std::string_view(Fold(part))).Run())
                    return ERROR_BADDB;
                child = sqlite3_last_insert_rowid(h);
                disposition = REG_CREATED_NEW_KEY;
            }
            id = child;
        }
        return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) return rc;
    *phkResult = (IsPredefined(hKey) && parts.empty()) ? hKey : NewHandle(id);
    if (lpdwDisposition) *lpdwDisposition = disposition;
    return rc;
}

LONG RegCloseKey(HKEY hKey) {
    if (IsPredefined(hKey)) return ERROR_SUCCESS;
    std::lock_guard lock(g_handleMutex);
    return g_handles.erase(reinterpret_cast<uintptr_t>(hKey)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (!ValidValueName(lpValueName)) return ERROR_INVALID_PARAMETER;
    return ReadSnapshot([&](const Snapshot& snap) -> LONG {
        LONG err = ERROR_SUCCESS;
        int64_t id = 0;
        const SnapKey* key = SnapKeyOf(snap, hKey, id, err);
        if (!key) return err;
        const SnapValue* value = SnapValueOf(*key, lpValueName);
        if (!value) return ERROR_FILE_NOT_FOUND;
        if (lpType) *lpType = value->type;
        return GiveData(value->data, lpData, lpcbData);
    });
}

LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
    if (!ValidValueName(lpValueName)) return ERROR_INVALID_PARAMETER;
    if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
    std::wstring name = lpValueName ? lpValueName : L"";
    std::vector<uint8_t> bytes = Encode(dwType, lpData, cbData);
    // A value that already holds these data is left as it is, found by a read that takes no
    // write lock: writing it again would change nothing, and on a full or busy store it would
    // fail for nothing.
    // (A handle or key the read cannot resolve is left for the write to report.)
    bool same = false;
    Run(false, [&](sqlite3* h) -> LONG {
        LONG err = ERROR_SUCCESS;
        const int64_t id = KeyOf(h, hKey, err);
        if (!id) return ERROR_SUCCESS;
        Statement held(h, "SELECT 1 FROM reg_value WHERE key=? AND folded=? AND type=? AND data=?");
        held.Bind(1, id).Bind(2, std::string_view(Fold(name))).Bind(3, static_cast<int64_t>(dwType));
        same = held.BindBlob(4, bytes.data(), bytes.size()).Step();
        return ERROR_SUCCESS;
    });
    if (same) return ERROR_SUCCESS;
    return Run(true, [&](sqlite3* h) -> LONG {
        LONG err = ERROR_SUCCESS;
        int64_t id = KeyOf(h, hKey, err);
        if (!id) return err;
        std::string folded = Fold(name);
        // An existing value keeps its name as first written and its place in the enumeration.
        Statement update(h, "UPDATE reg_value SET type=?, data=? WHERE key=? AND folded=?");
        update.Bind(1, static_cast<int64_t>(dwType)).BindBlob(2, bytes.data(), bytes.size()).Bind(3, id).Bind(4, std::string_view(folded));
        if (!update.Run()) return ERROR_BADDB;
        if (sqlite3_changes(h) > 0) return ERROR_SUCCESS;
        Statement add(h, "INSERT INTO reg_value(key, name, folded, type, data) VALUES(?, ?, ?, ?, ?)");
        add.Bind(1, id).Bind(2, std::wstring_view(name)).Bind(3, std::string_view(folded)).Bind(4, static_cast<int64_t>(dwType));
        add.BindBlob(5, bytes.data(), bytes.size());
        return add.Run() ? ERROR_SUCCESS : ERROR_BADDB;
    });
}

LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD, LPDWORD lpType,
                   LPBYTE lpData, LPDWORD lpcbData) {
    if (!lpValueName || !lpcchValueName) return ERROR_INVALID_PARAMETER;
    return ReadSnapshot([&](const Snapshot& snap) -> LONG {
        LONG err = ERROR_SUCCESS;
        int64_t id = 0;
        const SnapKey* key = SnapKeyOf(snap, hKey, id, err);
        if (!key) return err;
        if (dwIndex >= key->values.size()) return ERROR_NO_MORE_ITEMS;
        const SnapValue& value = key->values[dwIndex];
        if (value.name.size() + 1 > *lpcchValueName) return ERROR_MORE_DATA;
        std::wmemcpy(lpValueName, value.name.c_str(), value.name.size() + 1);
        *lpcchValueName = static_cast<DWORD>(value.name.size());
        if (lpType) *lpType = value.type;
        if (lpData || lpcbData) return GiveData(value.data, lpData, lpcbData);
        return ERROR_SUCCESS;
    });
}

LONG RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD, LPWSTR lpClass,
                   LPDWORD lpcchClass, FILETIME* lpftLastWriteTime) {
    if (!lpName || !lpcchName) return ERROR_INVALID_PARAMETER;
    return ReadSnapshot([&](const Snapshot& snap) -> LONG {
        LONG err = ERROR_SUCCESS;
        int64_t id = 0;
        const SnapKey* key = SnapKeyOf(snap, hKey, id, err);
        if (!key) return err;
        if (dwIndex >= key->children.size()) return ERROR_NO_MORE_ITEMS;
        const std::wstring& name = snap.keys.at(key->children[dwIndex]).name;
        if (name.size() + 1 > *lpcchName) return ERROR_MORE_DATA;
        std::wmemcpy(lpName, name.c_str(), name.size() + 1);
        *lpcchName = static_cast<DWORD>(name.size());
        if (lpClass && lpcchClass && *lpcchClass) {
            lpClass[0] = L'\0';
            *lpcchClass = 0;
        }
        if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    if (!ValidValueName(lpValueName)) return ERROR_INVALID_PARAMETER;
    std::wstring name = lpValueName ? lpValueName : L"";
    return Run(true, [&](sqlite3* h) -> LONG {
        LONG err = ERROR_SUCCESS;
        int64_t id = KeyOf(h, hKey, err);
        if (!id) return err;
        Statement s(h, "DELETE FROM reg_value WHERE key=? AND folded=?");
        if (!s.Bind(1, id).Bind(2, std::string_view(Fold(name))).Run()) return ERROR_BADDB;
        return sqlite3_changes(h) > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
    std::vector<std::wstring> parts;
    if (!SplitKeyPath(lpSubKey, parts)) return ERROR_INVALID_PARAMETER;
    if (parts.empty()) return ERROR_INVALID_PARAMETER; // a root or the key itself is never deleted this way
    return Run(true, [&](sqlite3* h) -> LONG {
        LONG err = ERROR_SUCCESS;
        int64_t id = KeyOf(h, hKey, err);
        if (!id) return err;
        for (const auto& part : parts) {
            id = FindChild(h, id, part);
            if (!id) return ERROR_FILE_NOT_FOUND;
        }
        // The whole subtree, values included.
        Statement values(h, R"(WITH RECURSIVE sub(id) AS (SELECT ? UNION ALL SELECT k.id FROM reg_key k JOIN sub ON k.parent=sub.id)
                               DELETE FROM reg_value WHERE key IN sub)");
        Statement keys(h, R"(WITH RECURSIVE sub(id) AS (SELECT ? UNION ALL SELECT k.id FROM reg_key k JOIN sub ON k.parent=sub.id)
                             DELETE FROM reg_key WHERE id IN sub)");
        return values.Bind(1, id).Run() && keys.Bind(1, id).Run() ? ERROR_SUCCESS : ERROR_BADDB;
    });
}

LONG RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                      LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                      FILETIME* lpftLastWriteTime) {
    return ReadSnapshot([&](const Snapshot& snap) -> LONG {
        LONG err = ERROR_SUCCESS;
        int64_t id = 0;
        const SnapKey* key = SnapKeyOf(snap, hKey, id, err);
        if (!key) return err;
        DWORD maxSubKey = 0, maxName = 0, maxData = 0;
        for (int64_t child : key->children)
            maxSubKey = std::max<DWORD>(maxSubKey, static_cast<DWORD>(snap.keys.at(child).name.size()));
        for (const auto& v : key->values) {
            maxName = std::max<DWORD>(maxName, static_cast<DWORD>(v.name.size()));
            maxData = std::max<DWORD>(maxData, static_cast<DWORD>(v.data.size()));
        }
        if (lpClass && lpcchClass && *lpcchClass) lpClass[0] = L'\0';
        if (lpcchClass) *lpcchClass = 0;
        if (lpcSubKeys) *lpcSubKeys = static_cast<DWORD>(key->children.size());
        if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = maxSubKey;
        if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
        if (lpcValues) *lpcValues = static_cast<DWORD>(key->values.size());
        if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = maxName;
        if (lpcbMaxValueLen) *lpcbMaxValueLen = maxData;
        if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
        if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
        return ERROR_SUCCESS;
    });
}

LONG RegFlushKey(HKEY hKey) {
    return Run(false, [&](sqlite3* h) -> LONG {
        LONG err = ERROR_SUCCESS;
        return KeyOf(h, hKey, err) ? ERROR_SUCCESS : err;
    });
}
