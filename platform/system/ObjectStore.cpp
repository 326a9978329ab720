// The object-store databases over device.db.
//
// [SECTION] Storage: schema, rows, collation
// [SECTION] Ordered views: the per-process cache of each traversal order
// [SECTION] Handles and cursors
// [SECTION] Local memory
// [SECTION] Databases: create, open, delete, information, enumeration
// [SECTION] Records: seek, read, write, delete
//
// Tables:
//   ce_database(oid, name, folded, type, sorts, modified, version)
//                                    sorts: "propid:flags" items joined by ","; version:
//                                    counts the changes of the records from a random start
//                                    The row with oid 0 is no database: its version is the last
//                                    object id given (databases and records share one growing
//                                    sequence, so ids are never reused). Kept there so that adding
//                                    a record writes no page beyond the database's own row.
//   ce_record(db, oid, bytes)        bytes: the record's text size, kept for CEDBASEINFO::dwSize
//   ce_prop(db, record, position, propid, value)
//                                    position: the place of the property in its record; keyed
//                                    by database first, so one database's values are one range

#include "platform/system/ObjectStore.h"
#include "platform/base/CaseFold.h"
#include "platform/base/HandleValues.h"
#include "platform/base/Utf8.h"
#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceDb.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <unordered_map>
#include <vector>

using device::DeviceDb;
using device::Statement;

namespace {

// ======================================================================================
// [SECTION] Storage: schema, rows, collation
// ======================================================================================

const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS ce_database(
    oid INTEGER PRIMARY KEY,
    name TEXT NOT NULL,
    folded TEXT NOT NULL UNIQUE,
    type INTEGER NOT NULL,
    sorts TEXT NOT NULL,
    modified INTEGER NOT NULL,
    version INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS ce_record(
    db INTEGER NOT NULL,
    oid INTEGER NOT NULL,
    bytes INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY(db, oid)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS ce_prop(
    db INTEGER NOT NULL,
    record INTEGER NOT NULL,
    position INTEGER NOT NULL,
    propid INTEGER NOT NULL,
    value TEXT NOT NULL,
    PRIMARY KEY(db, record, position)) WITHOUT ROWID;
)";
// The row that stands for the object store as a whole (oid 0).
const char* kStoreRow =
    "INSERT OR IGNORE INTO ce_database(oid, name, folded, type, sorts, modified, version) VALUES(0, '', '', 0, '', 0, 0)";
const char* kStoreRowThere = "SELECT count(*) FROM ce_database WHERE oid = 0";

constexpr DWORD kSupportedSortFlags =
    CEDB_SORT_DESCENDING | CEDB_SORT_CASEINSENSITIVE | CEDB_SORT_UNKNOWNFIRST | CEDB_SORT_GENERICORDER;

// One traversal order: a string property and its flags; propid 0 is creation order.
struct Order {
    CEPROPID propid = 0;
    DWORD flags = 0;
    bool operator==(const Order&) const = default;
};

struct DbRow {
    CEOID oid = 0;
    std::wstring name;
    DWORD type = 0;
    std::vector<Order> sorts;
    uint64_t modified = 0;
    int64_t version = 0;
};

// The serial of the connection whose schema is known to be in place, and its count of
// rollbacks then (a rolled-back transaction may have taken the tables it made with it). Every
// call asks, so the check is kept out of the connection's lock.
std::atomic<uint64_t> g_schemaSerial{0};
std::atomic<uint64_t> g_schemaRollbacks{0};

DeviceDb* Db() {
    DeviceDb* db = DeviceDb::Get();
    if (!db) return db;
    if (db->Serial() == g_schemaSerial.load(std::memory_order_acquire) &&
        db->Rollbacks() == g_schemaRollbacks.load(std::memory_order_acquire))
        return db;
    const uint64_t rollbacks = db->Rollbacks();
    if (!db->EnsureSchema(device::StorePart::ObjectStore, kSchema, kStoreRow, kStoreRowThere)) return nullptr;
    g_schemaRollbacks.store(rollbacks, std::memory_order_release);
    g_schemaSerial.store(db->Serial(), std::memory_order_release);
    return db;
}

std::string EncodeSorts(const std::vector<Order>& sorts) {
    std::string s;
    for (const auto& o : sorts) {
        if (!s.empty()) s += ',';
        s += std::to_string(o.propid) + ':' + std::to_string(o.flags);
    }
    return s;
}

std::vector<Order> DecodeSorts(const std::string& text) {
    std::vector<Order> sorts;
    size_t start = 0;
    while (start < text.size() && sorts.size() < CEDB_MAXSORTORDER) {
        size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        std::string item = text.substr(start, end - start);
        size_t colon = item.find(':');
        if (colon != std::string::npos) {
            Order o;
            o.propid = static_cast<CEPROPID>(std::strtoul(item.c_str(), nullptr, 10));
            o.flags = static_cast<DWORD>(std::strtoul(item.c_str() + colon + 1, nullptr, 10));
            sorts.push_back(o);
        }
        start = end + 1;
    }
    return sorts;
}

// The version column (and last-modified time) of the ce_database rows this process raised in
// the transaction it has open. From its first write on, the transaction holds the write lock, so
// until it ends nobody else changes them: the first raise of a row is written and read back, the
// later ones are only counted here and written once, just before the transaction commits (a
// thousand records added in one transaction write the two rows twice, not a thousand times).
// A rollback drops them with the rest; readers elsewhere only ever see committed rows.
struct Raised {
    int64_t version = 0;
    std::optional<uint64_t> modified; // to be written with the version
    bool dirty = false;               // counted here, not yet written
};

struct {
    uint64_t serial = 0;
    uint64_t transaction = 0;
    bool flushQueued = false;
    std::unordered_map<CEOID, Raised> rows;
} g_raised;

// The rows raised in the transaction the calling thread has open; null outside one.
std::unordered_map<CEOID, Raised>* RaisedRows() {
    DeviceDb* db = DeviceDb::Get();
    const uint64_t transaction = db ? db->OpenTransaction() : 0;
    if (transaction == 0) return nullptr;
    if (g_raised.serial != db->Serial() || g_raised.transaction != transaction) {
        g_raised.rows.clear();
        g_raised.serial = db->Serial();
        g_raised.transaction = transaction;
        g_raised.flushQueued = false;
    }
    return &g_raised.rows;
}

// What the open transaction holds of a row beyond what device.db has; null when nothing.
Raised* PendingRaise(CEOID row) {
    if (g_raised.rows.empty()) return nullptr;
    auto* rows = RaisedRows();
    if (!rows) return nullptr;
    auto it = rows->find(row);
    return it != rows->end() && it->second.dirty ? &it->second : nullptr;
}

bool LoadDb(sqlite3* h, CEOID oid, DbRow& row) {
    Statement s(h, "SELECT name, type, sorts, modified, version FROM ce_database WHERE oid=?");
    if (!s.Bind(1, static_cast<int64_t>(oid)).Step()) return false;
    row.oid = oid;
    row.name = s.WText(0);
    row.type = static_cast<DWORD>(s.Int(1));
    row.sorts = DecodeSorts(s.Text(2));
    row.modified = static_cast<uint64_t>(s.Int(3));
    row.version = s.Int(4);
    if (const Raised* r = PendingRaise(oid)) {
        row.version = r->version;
        if (r->modified) row.modified = *r->modified;
    }
    return true;
}

std::optional<int64_t> DbVersion(sqlite3* h, CEOID oid) {
    Statement s(h, "SELECT version FROM ce_database WHERE oid=?");
    if (!s.Bind(1, static_cast<int64_t>(oid)).Step()) return std::nullopt;
    if (const Raised* r = PendingRaise(oid)) return r->version;
    return s.Int(0);
}

CEOID FindDbByName(sqlite3* h, std::wstring_view name) {
    Statement s(h, "SELECT oid FROM ce_database WHERE folded=?");
    if (!s.Bind(1, std::string_view(device::ToUtf8(device::ToLower(name)))).Step()) return 0;
    return static_cast<CEOID>(s.Int(0));
}

// Writes the counted raises (run just before the commit).
bool WriteRaised(sqlite3* h) {
    auto* rows = RaisedRows();
    if (!rows) return true;
    for (auto& [row, r] : *rows) {
        if (!r.dirty) continue;
        Statement s(h, "UPDATE ce_database SET version=?1, modified=coalesce(?2, modified) WHERE oid=?3");
        s.Bind(1, r.version).Bind(3, static_cast<int64_t>(row));
        if (r.modified)
            s.Bind(2, static_cast<int64_t>(*r.modified));
        else
            s.BindNull(2);
        if (!s.Run()) return false;
        r.dirty = false;
        r.modified.reset();
    }
    g_raised.flushQueued = false; // a raise after this (by other work of the commit) asks again
    return true;
}

// A database row is about to go: nothing of it is left to write.
void ForgetRaised(CEOID row) {
    if (auto* rows = RaisedRows()) rows->erase(row);
}

// Raises the version of a ce_database row by one (setting its last-modified time when given);
// the new version, or nullopt when there is no such row or the write failed.
std::optional<int64_t> RaiseVersion(sqlite3* h, CEOID row, std::optional<uint64_t> modified) {
    auto* rows = RaisedRows();
    if (rows) {
        if (auto known = rows->find(row); known != rows->end()) {
            Raised& r = known->second;
            ++r.version;
            if (modified) r.modified = modified;
            r.dirty = true;
            if (!g_raised.flushQueued) {
                g_raised.flushQueued = true;
                DeviceDb::Get()->BeforeCommit(WriteRaised);
            }
            return r.version;
        }
    }
    bool ran = modified ? Statement(h, "UPDATE ce_database SET modified=?, version=version+1 WHERE oid=?")
                              .Bind(1, static_cast<int64_t>(*modified))
                              .Bind(2, static_cast<int64_t>(row))
                              .Run()
                        : Statement(h, "UPDATE ce_database SET version=version+1 WHERE oid=?")
                              .Bind(1, static_cast<int64_t>(row))
                              .Run();
    if (!ran || sqlite3_changes(h) != 1) return std::nullopt;
    // (An UPDATE and a SELECT cost less than one UPDATE ... RETURNING.)
    auto v = DbVersion(h, row);
    if (v && rows) (*rows)[row] = Raised{*v, std::nullopt, false};
    return v;
}

CEOID NextOid(sqlite3* h) {
    // The row with oid 0 holds the last object id given.
    auto v = RaiseVersion(h, 0, std::nullopt);
    if (!v || *v <= 0 || *v > 0xFFFFFFFFll) return 0;
    return static_cast<CEOID>(*v);
}

// Marks the records of a database changed: a new version stamp and, for record writes, the
// device's "now" as the last-modified time.
// The version goes up by one, so the version before the change is the one returned less one.
// (It starts at a random value: a view cached for another device root never matches.)
bool Touch(sqlite3* h, CEOID db, int64_t* version = nullptr) {
    auto v = RaiseVersion(h, db, device::CurrentUtcFileTime());
    if (!v) return false;
    if (version) *version = *v;
    return true;
}

constexpr size_t kPropRowsPerInsert = 4;

// "INSERT INTO ce_prop ... VALUES(...)" with rows (1 to kPropRowsPerInsert) rows of values.
const char* PropInsertText(size_t rows) {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        std::string text = "INSERT INTO ce_prop(db, record, position, propid, value) VALUES(?,?,?,?,?)";
        for (size_t n = 1; n <= kPropRowsPerInsert; ++n, text += ",(?,?,?,?,?)") t.push_back(text);
        return t;
    }();
    return texts[std::clamp<size_t>(rows, 1, kPropRowsPerInsert) - 1].c_str();
}

bool RecordBytes(sqlite3* h, CEOID db, CEOID record) {
    Statement s(h, "UPDATE ce_record SET bytes=(SELECT coalesce(sum(length(value)+1),0) FROM ce_prop "
                   "WHERE db=?1 AND record=?2) WHERE db=?1 AND oid=?2");
    return s.Bind(1, static_cast<int64_t>(db)).Bind(2, static_cast<int64_t>(record)).Run();
}

// Text as it comes back from device.db (anything UTF-8 cannot hold becomes U+FFFD), so that a
// value seek compares what a read would return.
std::wstring AsStored(LPCWSTR text) {
    return device::FromUtf8(device::ToUtf8(text));
}

// The collation key of a value: UTF-16 code-unit order over (lower-cased) characters.
// U+E000..U+FFFF are moved above every supplementary character, which is where their single
// code unit sorts against a surrogate pair.
std::wstring CollationKey(std::wstring_view value, bool noCase) {
    std::wstring key(value.size(), L'\0');
    for (size_t i = 0; i < value.size(); ++i) {
        wchar_t c = noCase ? device::ToLowerChar(value[i]) : value[i];
        if (c >= 0xE000 && c <= 0xFFFF) c = static_cast<wchar_t>(c + 0x200000);
        key[i] = c;
    }
    return key;
}

FILETIME ToFileTime(uint64_t t) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(t & 0xFFFFFFFFu);
    ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
    return ft;
}

uint64_t FromFileTime(const FILETIME& ft) {
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

bool VolumeOk(PCEGUID guid) {
    if (!guid) return true;
    return guid->Data1 == 0xFFFFFFFFu && guid->Data2 == 0xFFFFFFFFu && guid->Data3 == 0xFFFFFFFFu &&
           guid->Data4 == 0xFFFFFFFFu;
}

bool NameOk(LPCWSTR name) {
    if (!name) return false;
    size_t n = std::wcslen(name);
    return n > 0 && n < CEDB_MAXDBASENAMELEN;
}

// Checks one sort order; sets the error on refusal.
bool SortOk(const Order& o, DWORD& error) {
    if (TypeFromPropID(o.propid) != CEVT_LPWSTR || (o.flags & ~kSupportedSortFlags)) {
        error = ERROR_NOT_SUPPORTED;
        return false;
    }
    return true;
}

// ======================================================================================
// [SECTION] Ordered views
// ======================================================================================

struct Entry {
    CEOID oid = 0;
    bool has = true; // the record has the sort property
    std::wstring key;
};

struct Prop {
    CEPROPID propid;
    std::wstring value;
};

// a before b in the traversal order.
bool Before(const Order& o, const Entry& a, const Entry& b) {
    if (a.has != b.has) return (o.flags & CEDB_SORT_UNKNOWNFIRST) ? !a.has : a.has;
    if (a.has) {
        int c = a.key.compare(b.key);
        if (o.flags & CEDB_SORT_DESCENDING) c = -c;
        if (c != 0) return c < 0;
    }
    return a.oid < b.oid;
}

// Value order only (ties between records ignored): for value seeks.
int CompareValue(const Order& o, const Entry& a, const std::wstring& key) {
    if (!a.has) return (o.flags & CEDB_SORT_UNKNOWNFIRST) ? -1 : 1;
    int c = a.key.compare(key);
    if (o.flags & CEDB_SORT_DESCENDING) c = -c;
    return c;
}

struct OrderedView {
    int64_t version = 0;
    std::vector<Entry> entries;
    // Position of each record; rebuilt on first use after a change (a thousand adds in a row
    // would otherwise rebuild it a thousand times).
    mutable std::unordered_map<CEOID, uint32_t> index;
    mutable bool indexStale = true;

    const std::unordered_map<CEOID, uint32_t>& Index() const {
        if (indexStale) {
            index.clear();
            index.reserve(entries.size());
            for (uint32_t i = 0; i < entries.size(); ++i)
                index[entries[i].oid] = i;
            indexStale = false;
        }
        return index;
    }
    // The position of a record, or nullopt.
    std::optional<size_t> Find(CEOID oid) const {
        const auto& ix = Index();
        auto it = ix.find(oid);
        if (it == ix.end()) return std::nullopt;
        return it->second;
    }
};

// What this process knows of a database's records while its version stays the same: the
// properties of the records read so far.
struct RecordCache {
    int64_t version = 0;
    std::unordered_map<CEOID, std::vector<Prop>> props;
};

// Views of this process, by (database, order). Rebuilt when the database's version stamp
// changes, which every record write in any process does.
std::map<std::tuple<CEOID, CEPROPID, DWORD>, std::unique_ptr<OrderedView>> g_views;
std::unordered_map<CEOID, RecordCache> g_records;

// The versions of the databases this process read or wrote while device.db's shared generation
// (of the connection with that serial) stood at g_checked and no transaction of the connection
// had rolled back: while both still stand, nothing was committed anywhere since, and a cached
// view of that version is the database as it is, with no query at all. (A transaction of this
// process holds the write lock from its first write on, so no other process commits meanwhile;
// its own commit moves the generation, its rollback the rollback count.)
struct CheckedVersions {
    uint64_t serial = 0;
    uint64_t generation = 0;
    uint64_t rollbacks = 0;
    std::unordered_map<CEOID, int64_t> versions;
} g_checked;

void ForgetCheckedVersions() {
    g_checked.serial = 0;
    g_checked.versions.clear();
}

// The version of a database as checked at the current generation, if it was.
std::optional<int64_t> CheckedVersion(const DeviceDb& db, CEOID oid) {
    if (g_checked.serial != db.Serial() || g_checked.rollbacks != db.Rollbacks() ||
        g_checked.generation != db.Generation())
        return std::nullopt;
    auto it = g_checked.versions.find(oid);
    if (it == g_checked.versions.end()) return std::nullopt;
    return it->second;
}

// Keeps a version read or written at generation (taken before the read).
void NoteCheckedVersion(const DeviceDb& db, uint64_t generation, CEOID oid, int64_t version) {
    if (g_checked.serial != db.Serial() || g_checked.generation != generation ||
        g_checked.rollbacks != db.Rollbacks()) {
        g_checked.versions.clear();
        g_checked.serial = db.Serial();
        g_checked.generation = generation;
        g_checked.rollbacks = db.Rollbacks();
    }
    g_checked.versions[oid] = version;
}

// The connection and rollback count the views and the record cache were kept under. A rollback
// takes a database's version (and the next record id) back, so the next write gives them again
// to other contents: what was kept before it, the rolled-back changes included, is dropped.
struct {
    uint64_t serial = 0;
    uint64_t rollbacks = 0;
} g_keptUnder;

void ForgetIfRolledBack(const DeviceDb& db) {
    if (g_keptUnder.serial == db.Serial() && g_keptUnder.rollbacks == db.Rollbacks()) return;
    g_keptUnder.serial = db.Serial();
    g_keptUnder.rollbacks = db.Rollbacks();
    g_views.clear();
    g_records.clear();
    ForgetCheckedVersions();
}

const OrderedView* View(sqlite3* h, CEOID db, int64_t version, const Order& o) {
    auto& slot = g_views[{db, o.propid, o.flags}];
    if (slot && slot->version == version) return slot.get();
    auto view = std::make_unique<OrderedView>();
    view->version = version;
    if (o.propid == 0) {
        Statement s(h, "SELECT oid FROM ce_record WHERE db=? ORDER BY oid");
        s.Bind(1, static_cast<int64_t>(db));
        while (s.Step())
            view->entries.push_back({static_cast<CEOID>(s.Int(0)), true, {}});
    } else {
        bool noCase = (o.flags & CEDB_SORT_CASEINSENSITIVE) != 0;
        // The records, then the values of those that have the property: both in record order.
        Statement records(h, "SELECT oid FROM ce_record WHERE db=?");
        records.Bind(1, static_cast<int64_t>(db));
        while (records.Step())
            view->entries.push_back({static_cast<CEOID>(records.Int(0)), false, {}});
        std::sort(view->entries.begin(), view->entries.end(),
                  [](const Entry& x, const Entry& y) { return x.oid < y.oid; });
        Statement values(h, "SELECT record, value FROM ce_prop WHERE db=? AND propid=? ORDER BY record");
        values.Bind(1, static_cast<int64_t>(db)).Bind(2, static_cast<int64_t>(o.propid));
        auto next = view->entries.begin();
        while (values.Step()) {
            CEOID rec = static_cast<CEOID>(values.Int(0));
            while (next != view->entries.end() && next->oid < rec)
                ++next;
            if (next == view->entries.end()) break;
            if (next->oid != rec) continue;
            next->has = true;
            next->key = CollationKey(values.WText(1), noCase);
        }
        std::sort(view->entries.begin(), view->entries.end(),
                  [&](const Entry& a, const Entry& b) { return Before(o, a, b); });
    }
    slot = std::move(view);
    return slot.get();
}

// ======================================================================================
// [SECTION] Handles and cursors
// ======================================================================================

enum class Place { Start, On, After, End };

struct DbHandle {
    CEOID db = 0;
    Order order;
    DWORD flags = 0;
    Place place = Place::Start;
    Entry mark; // the record the place refers to (On / After)
    // Where the mark stood when it was set: looked at first, as it is where the record still is
    // unless the records before it changed (a walk asks for the index after every read).
    size_t markAt = 0;
};

struct EnumHandle {
    std::vector<CEOID> oids;
    size_t next = 0;
};

std::recursive_mutex g_mutex; // handles and views
std::unordered_map<uintptr_t, DbHandle> g_dbHandles;
std::unordered_map<uintptr_t, EnumHandle> g_enumHandles;

DbHandle* FindDbHandle(HANDLE h) {
    auto it = g_dbHandles.find(reinterpret_cast<uintptr_t>(h));
    return it == g_dbHandles.end() ? nullptr : &it->second;
}

// The number of records before the cursor's place, as the view now is.
size_t CurrentIndex(DbHandle& hd, const OrderedView& v) {
    switch (hd.place) {
    case Place::Start:
        return 0;
    case Place::End:
        return v.entries.size();
    case Place::On:
    case Place::After: {
        const size_t after = hd.place == Place::After ? 1 : 0;
        // Still where it was marked: the entries are unique and sorted, so that is its index.
        if (hd.markAt < v.entries.size()) {
            const Entry& e = v.entries[hd.markAt];
            if (e.oid == hd.mark.oid && e.has == hd.mark.has && e.key == hd.mark.key) return hd.markAt + after;
        }
        // The record where its key says it is (the usual case), else wherever it went.
        auto near = std::lower_bound(v.entries.begin(), v.entries.end(), hd.mark,
                                     [&](const Entry& a, const Entry& b) { return Before(hd.order, a, b); });
        if (near != v.entries.end() && near->oid == hd.mark.oid && near->has == hd.mark.has &&
            near->key == hd.mark.key) {
            hd.markAt = static_cast<size_t>(near - v.entries.begin());
            return hd.markAt + after;
        }
        if (auto at = v.Find(hd.mark.oid)) {
            hd.mark = v.entries[*at]; // follow the record if its key was rewritten
            hd.markAt = *at;
            return *at + after;
        }
        // The record is gone: the place is where it stood.
        auto pos = std::lower_bound(v.entries.begin(), v.entries.end(), hd.mark,
                                    [&](const Entry& a, const Entry& b) { return Before(hd.order, a, b); });
        return static_cast<size_t>(pos - v.entries.begin());
    }
    }
    return v.entries.size();
}

// ======================================================================================
// [SECTION] Local memory
// ======================================================================================

// Never destroyed, so blocks still held by other statics (the clipboard) can be freed at exit.
std::mutex& g_localMutex = *new std::mutex;
std::unordered_map<void*, size_t>& g_blocks = *new std::unordered_map<void*, size_t>;

} // namespace

HLOCAL LocalAlloc(UINT uFlags, size_t uBytes) {
    void* p =
        (uFlags & LMEM_ZEROINIT) ? std::calloc(1, uBytes ? uBytes : 1) : std::malloc(uBytes ? uBytes : 1);
    if (!p) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::lock_guard lock(g_localMutex);
    g_blocks[p] = uBytes;
    return p;
}

HLOCAL LocalReAlloc(HLOCAL hMem, size_t uBytes, UINT uFlags) {
    if (!hMem) return LocalAlloc(uFlags, uBytes);
    std::lock_guard lock(g_localMutex);
    auto it = g_blocks.find(hMem);
    if (it == g_blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    size_t old = it->second;
    void* p = std::realloc(hMem, uBytes ? uBytes : 1);
    if (!p) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr; // the old block stays valid
    }
    g_blocks.erase(it);
    g_blocks[p] = uBytes;
    if ((uFlags & LMEM_ZEROINIT) && uBytes > old) std::memset(static_cast<char*>(p) + old, 0, uBytes - old);
    return p;
}

HLOCAL LocalFree(HLOCAL hMem) {
    if (!hMem) return nullptr;
    {
        std::lock_guard lock(g_localMutex);
        auto it = g_blocks.find(hMem);
        if (it == g_blocks.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return hMem;
        }
        g_blocks.erase(it);
    }
    std::free(hMem);
    return nullptr;
}

size_t LocalSize(HLOCAL hMem) {
    std::lock_guard lock(g_localMutex);
    auto it = g_blocks.find(hMem);
    return it == g_blocks.end() ? 0 : it->second;
}

// ======================================================================================
// [SECTION] Databases
// ======================================================================================

namespace {

// Runs fn in a transaction of device.db; the error fn leaves (or ERROR_BADDB when the database
// itself failed) becomes the thread's last error.
template <typename Fn> bool RunStore(bool write, DWORD& error, Fn&& fn) {
    DeviceDb* db = Db();
    if (!db) {
        error = ERROR_BADDB;
        return false;
    }
    error = 0;
    ForgetIfRolledBack(*db);
    if (write) ForgetCheckedVersions(); // what was known before a write no longer holds after it
    auto body = [&](sqlite3* h) { return fn(h); };
    bool ok = write ? db->Write(body) : db->Read(body);
    if (!ok && error == 0) error = ERROR_BADDB;
    return ok;
}

CEOID CreateDatabase(PCEGUID guid, LPCWSTR name, DWORD type, const std::vector<Order>& sorts,
                     std::optional<uint64_t> modified) {
    std::lock_guard lock(g_mutex);
    if (!VolumeOk(guid) || !NameOk(name) || sorts.size() > CEDB_MAXSORTORDER) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    DWORD error = 0;
    for (const auto& o : sorts) {
        if (!SortOk(o, error)) {
            SetLastError(error);
            return 0;
        }
    }
    CEOID oid = 0;
    bool ok = RunStore(true, error, [&](sqlite3* h) {
        if (FindDbByName(h, name)) {
            error = ERROR_ALREADY_EXISTS;
            return false;
        }
        oid = NextOid(h);
        if (!oid) return false;
        Statement s(h, "INSERT INTO ce_database(oid, name, folded, type, sorts, modified, version) "
                       "VALUES(?,?,?,?,?,?,random())");
        return s.Bind(1, static_cast<int64_t>(oid))
            .Bind(2, std::wstring_view(name))
            .Bind(3, std::string_view(device::ToUtf8(device::ToLower(name))))
            .Bind(4, static_cast<int64_t>(type))
            .Bind(5, std::string_view(EncodeSorts(sorts)))
            .Bind(6, static_cast<int64_t>(modified ? *modified : device::CurrentUtcFileTime()))
            .Run();
    });
    if (!ok) {
        SetLastError(error);
        return 0;
    }
    return oid;
}

// Reads the sort orders of a CEDBASEINFOEX; false (with the error) for an unsupported one.
bool SortsFromEx(const CEDBASEINFOEX& info, std::vector<Order>& sorts, DWORD& error) {
    sorts.clear();
    if (info.wNumSortOrder > CEDB_MAXSORTORDER) {
        error = ERROR_INVALID_PARAMETER;
        return false;
    }
    for (WORD i = 0; i < info.wNumSortOrder; ++i) {
        const SORTORDERSPECEX& spec = info.rgSortSpecs[i];
        if (spec.wNumProps != 1) {
            error = spec.wNumProps == 0 || spec.wNumProps > CEDB_MAXSORTPROP ? ERROR_INVALID_PARAMETER
                                                                             : ERROR_NOT_SUPPORTED;
            return false;
        }
        sorts.push_back({spec.rgPropID[0], spec.rgdwFlags[0]});
    }
    return true;
}

HANDLE OpenDatabase(PCEGUID guid, PCEOID poid, LPCWSTR name, std::optional<Order> wanted, CEPROPID propid,
                    DWORD flags) {
    std::lock_guard lock(g_mutex);
    if (!VolumeOk(guid) || (!name && (!poid || *poid == 0)) || (name && !NameOk(name))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    DbHandle hd;
    DWORD error = 0;
    bool ok = RunStore(false, error, [&](sqlite3* h) {
        CEOID oid = name ? FindDbByName(h, name) : *poid;
        DbRow row;
        if (!oid || !LoadDb(h, oid, row)) {
            error = name ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_PARAMETER;
            return false;
        }
        hd.db = oid;
        if (wanted) {
            auto it = std::find(row.sorts.begin(), row.sorts.end(), *wanted);
            if (it == row.sorts.end()) {
                error = ERROR_INVALID_PARAMETER;
                return false;
            }
            hd.order = *it;
        } else if (propid == 0) {
            if (!row.sorts.empty()) hd.order = row.sorts.front();
        } else {
            auto it = std::find_if(row.sorts.begin(), row.sorts.end(),
                                   [&](const Order& o) { return o.propid == propid; });
            if (it == row.sorts.end()) {
                error = ERROR_INVALID_PARAMETER;
                return false;
            }
            hd.order = *it;
        }
        return true;
    });
    if (!ok) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    if (poid) *poid = hd.db;
    hd.flags = flags;
    uintptr_t value = device::AllocateHandleValue();
    g_dbHandles[value] = std::move(hd);
    return reinterpret_cast<HANDLE>(value);
}

template <typename Info> void FillSorts(Info& out, const std::vector<Order>& sorts);

template <> void FillSorts(CEDBASEINFO& out, const std::vector<Order>& sorts) {
    out.wNumSortOrder = static_cast<WORD>(sorts.size());
    for (size_t i = 0; i < sorts.size(); ++i)
        out.rgSortSpecs[i] = {sorts[i].propid, sorts[i].flags};
}

template <> void FillSorts(CEDBASEINFOEX& out, const std::vector<Order>& sorts) {
    out.wVersion = CEDBASEINFOEX_VERSION;
    out.wNumSortOrder = static_cast<WORD>(sorts.size());
    for (size_t i = 0; i < sorts.size(); ++i) {
        SORTORDERSPECEX& spec = out.rgSortSpecs[i];
        spec.wVersion = SORTORDERSPECEX_VERSION;
        spec.wNumProps = 1;
        spec.rgPropID[0] = sorts[i].propid;
        spec.rgdwFlags[0] = sorts[i].flags;
    }
}

// Fills the database part of an information record; false when oid is no database.
template <typename Info> bool DatabaseInfo(sqlite3* h, CEOID oid, Info& out, uint64_t& records) {
    DbRow row;
    if (!LoadDb(h, oid, row)) return false;
    std::memset(&out, 0, sizeof(out));
    out.dwFlags = 0;
    size_t n = std::min(row.name.size(), static_cast<size_t>(CEDB_MAXDBASENAMELEN - 1));
    std::wmemcpy(out.szDbaseName, row.name.data(), n);
    out.szDbaseName[n] = L'\0';
    out.dwDbaseType = row.type;
    Statement s(h, "SELECT count(*), coalesce(sum(bytes),0) FROM ce_record WHERE db=?");
    records = 0;
    uint64_t chars = 0;
    if (s.Bind(1, static_cast<int64_t>(oid)).Step()) {
        records = static_cast<uint64_t>(s.Int(0));
        chars = static_cast<uint64_t>(s.Int(1));
    }
    out.dwSize = static_cast<DWORD>(std::min<uint64_t>(chars * sizeof(WCHAR), 0xFFFFFFFFu));
    out.ftLastModified = ToFileTime(row.modified);
    FillSorts(out, row.sorts);
    return true;
}

// The database of a record (a walk over every record: only object information asks).
bool RecordParent(sqlite3* h, CEOID oid, CEOID& parent) {
    Statement s(h, "SELECT db FROM ce_record WHERE oid=?");
    if (!s.Bind(1, static_cast<int64_t>(oid)).Step()) return false;
    parent = static_cast<CEOID>(s.Int(0));
    return true;
}

bool RecordInDb(sqlite3* h, CEOID db, CEOID oid) {
    Statement s(h, "SELECT 1 FROM ce_record WHERE db=? AND oid=?");
    return s.Bind(1, static_cast<int64_t>(db)).Bind(2, static_cast<int64_t>(oid)).Step();
}

template <typename OidInfo> BOOL GetOidInfo(PCEGUID guid, CEOID oid, OidInfo* info) {
    std::lock_guard lock(g_mutex);
    if (!VolumeOk(guid) || !info || oid == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    OidInfo out;
    std::memset(&out, 0, sizeof(out));
    DWORD error = 0;
    bool ok = RunStore(false, error, [&](sqlite3* h) {
        uint64_t records = 0;
        if (DatabaseInfo(h, oid, out.infDatabase, records)) {
            out.wObjType = OBJTYPE_DATABASE;
            if constexpr (std::is_same_v<OidInfo, CEOIDINFOEX>) {
                out.wVersion = CEOIDINFOEX_VERSION;
                out.infDatabase.dwNumRecords = static_cast<DWORD>(std::min<uint64_t>(records, 0xFFFFFFFFu));
            } else {
                out.infDatabase.wNumRecords = static_cast<WORD>(std::min<uint64_t>(records, 0xFFFF));
            }
            return true;
        }
        CEOID parent = 0;
        if (RecordParent(h, oid, parent)) {
            std::memset(&out, 0, sizeof(out));
            if constexpr (std::is_same_v<OidInfo, CEOIDINFOEX>) out.wVersion = CEOIDINFOEX_VERSION;
            out.wObjType = OBJTYPE_RECORD;
            out.infRecord.oidParent = parent;
            return true;
        }
        error = ERROR_INVALID_PARAMETER;
        return false;
    });
    if (!ok) {
        SetLastError(error);
        return FALSE;
    }
    *info = out;
    return TRUE;
}

BOOL SetDatabaseInfo(PCEGUID guid, CEOID oid, DWORD fields, LPCWSTR name, DWORD type,
                     const std::vector<Order>* sorts, const FILETIME& modified) {
    std::lock_guard lock(g_mutex);
    if (!VolumeOk(guid) || oid == 0 || ((fields & CEDB_VALIDNAME) && !NameOk(name))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD error = 0;
    if (fields & CEDB_VALIDSORTSPEC) {
        for (const auto& o : *sorts) {
            if (!SortOk(o, error)) {
                SetLastError(error);
                return FALSE;
            }
        }
    }
    bool ok = RunStore(true, error, [&](sqlite3* h) {
        DbRow row;
        if (!LoadDb(h, oid, row)) {
            error = ERROR_INVALID_PARAMETER;
            return false;
        }
        if (fields & CEDB_VALIDNAME) {
            CEOID other = FindDbByName(h, name);
            if (other && other != oid) {
                error = ERROR_ALREADY_EXISTS;
                return false;
            }
            Statement s(h, "UPDATE ce_database SET name=?, folded=? WHERE oid=?");
            if (!s.Bind(1, std::wstring_view(name))
                     .Bind(2, std::string_view(device::ToUtf8(device::ToLower(name))))
                     .Bind(3, static_cast<int64_t>(oid))
                     .Run())
                return false;
        }
        if (fields & CEDB_VALIDTYPE) {
            Statement s(h, "UPDATE ce_database SET type=? WHERE oid=?");
            if (!s.Bind(1, static_cast<int64_t>(type)).Bind(2, static_cast<int64_t>(oid)).Run()) return false;
        }
        if (fields & CEDB_VALIDSORTSPEC) {
            Statement s(h, "UPDATE ce_database SET sorts=? WHERE oid=?");
            if (!s.Bind(1, std::string_view(EncodeSorts(*sorts))).Bind(2, static_cast<int64_t>(oid)).Run())
                return false;
        }
        if (fields & CEDB_VALIDMODTIME) {
            // The time set here outlasts the one a record write of the transaction left to write.
            if (Raised* r = PendingRaise(oid)) r->modified.reset();
            Statement s(h, "UPDATE ce_database SET modified=? WHERE oid=?");
            if (!s.Bind(1, static_cast<int64_t>(FromFileTime(modified)))
                     .Bind(2, static_cast<int64_t>(oid))
                     .Run())
                return false;
        }
        return true;
    });
    if (!ok) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

HANDLE FindFirst(PCEGUID guid, DWORD type) {
    std::lock_guard lock(g_mutex);
    if (!VolumeOk(guid)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    EnumHandle e;
    DWORD error = 0;
    bool ok = RunStore(false, error, [&](sqlite3* h) {
        Statement s(h, "SELECT oid FROM ce_database WHERE oid>0 AND (?=0 OR type=?) ORDER BY oid");
        s.Bind(1, static_cast<int64_t>(type)).Bind(2, static_cast<int64_t>(type));
        while (s.Step())
            e.oids.push_back(static_cast<CEOID>(s.Int(0)));
        return s.Error() == SQLITE_OK;
    });
    if (!ok) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    uintptr_t value = device::AllocateHandleValue();
    g_enumHandles[value] = std::move(e);
    return reinterpret_cast<HANDLE>(value);
}

CEOID FindNext(HANDLE hEnum, PCEGUID guid) {
    std::lock_guard lock(g_mutex);
    if (!VolumeOk(guid)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto it = g_enumHandles.find(reinterpret_cast<uintptr_t>(hEnum));
    if (it == g_enumHandles.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    EnumHandle& e = it->second;
    // Databases deleted since the first call are passed over.
    while (e.next < e.oids.size()) {
        CEOID oid = e.oids[e.next++];
        bool exists = false;
        DWORD error = 0;
        RunStore(false, error, [&](sqlite3* h) {
            exists = DbVersion(h, oid).has_value();
            return true;
        });
        if (exists) return oid;
    }
    SetLastError(ERROR_NO_MORE_ITEMS);
    return 0;
}

} // namespace

CEOID CeCreateDatabase(LPCWSTR lpszName, DWORD dwDbaseType, WORD wNumSortOrder, SORTORDERSPEC* rgSortSpecs) {
    if (wNumSortOrder > CEDB_MAXSORTORDER || (wNumSortOrder > 0 && !rgSortSpecs)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::vector<Order> sorts;
    for (WORD i = 0; i < wNumSortOrder; ++i)
        sorts.push_back({rgSortSpecs[i].propid, rgSortSpecs[i].dwFlags});
    return CreateDatabase(nullptr, lpszName, dwDbaseType, sorts, std::nullopt);
}

CEOID CeCreateDatabaseEx(PCEGUID pguid, CEDBASEINFO* pInfo) {
    if (!pInfo || !(pInfo->dwFlags & CEDB_VALIDNAME) ||
        ((pInfo->dwFlags & CEDB_VALIDSORTSPEC) && pInfo->wNumSortOrder > CEDB_MAXSORTORDER)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::vector<Order> sorts;
    if (pInfo->dwFlags & CEDB_VALIDSORTSPEC)
        for (WORD i = 0; i < pInfo->wNumSortOrder; ++i)
            sorts.push_back({pInfo->rgSortSpecs[i].propid, pInfo->rgSortSpecs[i].dwFlags});
    std::optional<uint64_t> modified;
    if (pInfo->dwFlags & CEDB_VALIDMODTIME) modified = FromFileTime(pInfo->ftLastModified);
    // The name array may fill all its characters without a terminator: copy it bounded.
    std::wstring name(pInfo->szDbaseName, wcsnlen(pInfo->szDbaseName, CEDB_MAXDBASENAMELEN));
    if (name.size() >= CEDB_MAXDBASENAMELEN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return CreateDatabase(pguid, name.c_str(), (pInfo->dwFlags & CEDB_VALIDTYPE) ? pInfo->dwDbaseType : 0,
                          sorts, modified);
}

CEOID CeCreateDatabaseEx2(PCEGUID pguid, CEDBASEINFOEX* pInfo) {
    if (!pInfo || !(pInfo->dwFlags & CEDB_VALIDNAME)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::vector<Order> sorts;
    DWORD error = 0;
    if ((pInfo->dwFlags & CEDB_VALIDSORTSPEC) && !SortsFromEx(*pInfo, sorts, error)) {
        SetLastError(error);
        return 0;
    }
    std::optional<uint64_t> modified;
    if (pInfo->dwFlags & CEDB_VALIDMODTIME) modified = FromFileTime(pInfo->ftLastModified);
    std::wstring name(pInfo->szDbaseName, wcsnlen(pInfo->szDbaseName, CEDB_MAXDBASENAMELEN));
    if (name.size() >= CEDB_MAXDBASENAMELEN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return CreateDatabase(pguid, name.c_str(), (pInfo->dwFlags & CEDB_VALIDTYPE) ? pInfo->dwDbaseType : 0,
                          sorts, modified);
}

HANDLE CeOpenDatabase(PCEOID poid, LPCWSTR lpszName, CEPROPID propid, DWORD dwFlags, HWND) {
    return OpenDatabase(nullptr, poid, lpszName, std::nullopt, propid, dwFlags);
}

HANDLE CeOpenDatabaseEx(PCEGUID pguid, PCEOID poid, LPCWSTR lpszName, CEPROPID propid, DWORD dwFlags,
                        CENOTIFYREQUEST*) {
    return OpenDatabase(pguid, poid, lpszName, std::nullopt, propid, dwFlags);
}

HANDLE CeOpenDatabaseEx2(PCEGUID pguid, PCEOID poid, LPCWSTR lpszName, SORTORDERSPECEX* pSort, DWORD dwFlags,
                         CENOTIFYREQUEST*) {
    std::optional<Order> wanted;
    if (pSort) {
        if (pSort->wNumProps != 1) {
            SetLastError(pSort->wNumProps == 0 || pSort->wNumProps > CEDB_MAXSORTPROP
                             ? ERROR_INVALID_PARAMETER
                             : ERROR_NOT_SUPPORTED);
            return INVALID_HANDLE_VALUE;
        }
        wanted = Order{pSort->rgPropID[0], pSort->rgdwFlags[0]};
    }
    return OpenDatabase(pguid, poid, lpszName, wanted, 0, dwFlags);
}

BOOL CeDeleteDatabase(CEOID oid) {
    return CeDeleteDatabaseEx(nullptr, oid);
}

BOOL CeDeleteDatabaseEx(PCEGUID pguid, CEOID oid) {
    std::lock_guard lock(g_mutex);
    if (!VolumeOk(pguid) || oid == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD error = 0;
    bool ok = RunStore(true, error, [&](sqlite3* h) {
        if (!DbVersion(h, oid)) {
            error = ERROR_INVALID_PARAMETER;
            return false;
        }
        int64_t id = oid;
        ForgetRaised(oid);
        return Statement(h, "DELETE FROM ce_prop WHERE db=?").Bind(1, id).Run() &&
               Statement(h, "DELETE FROM ce_record WHERE db=?").Bind(1, id).Run() &&
               Statement(h, "DELETE FROM ce_database WHERE oid=?").Bind(1, id).Run();
    });
    if (!ok) {
        SetLastError(error);
        return FALSE;
    }
    g_records.erase(oid);
    for (auto it = g_views.begin(); it != g_views.end();) {
        if (std::get<0>(it->first) == oid)
            it = g_views.erase(it);
        else
            ++it;
    }
    return TRUE;
}

BOOL CeOidGetInfo(CEOID oid, CEOIDINFO* oidInfo) {
    return GetOidInfo(nullptr, oid, oidInfo);
}

BOOL CeOidGetInfoEx(PCEGUID pguid, CEOID oid, CEOIDINFO* oidInfo) {
    return GetOidInfo(pguid, oid, oidInfo);
}

BOOL CeOidGetInfoEx2(PCEGUID pguid, CEOID oid, CEOIDINFOEX* oidInfo) {
    return GetOidInfo(pguid, oid, oidInfo);
}

BOOL CeSetDatabaseInfo(CEOID oidDbase, CEDBASEINFO* pNewInfo) {
    return CeSetDatabaseInfoEx(nullptr, oidDbase, pNewInfo);
}

BOOL CeSetDatabaseInfoEx(PCEGUID pguid, CEOID oidDbase, CEDBASEINFO* pNewInfo) {
    if (!pNewInfo ||
        ((pNewInfo->dwFlags & CEDB_VALIDSORTSPEC) && pNewInfo->wNumSortOrder > CEDB_MAXSORTORDER)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<Order> sorts;
    if (pNewInfo->dwFlags & CEDB_VALIDSORTSPEC)
        for (WORD i = 0; i < pNewInfo->wNumSortOrder; ++i)
            sorts.push_back({pNewInfo->rgSortSpecs[i].propid, pNewInfo->rgSortSpecs[i].dwFlags});
    std::wstring name(pNewInfo->szDbaseName, wcsnlen(pNewInfo->szDbaseName, CEDB_MAXDBASENAMELEN));
    if ((pNewInfo->dwFlags & CEDB_VALIDNAME) && name.size() >= CEDB_MAXDBASENAMELEN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return SetDatabaseInfo(pguid, oidDbase, pNewInfo->dwFlags, name.c_str(), pNewInfo->dwDbaseType, &sorts,
                           pNewInfo->ftLastModified);
}

BOOL CeSetDatabaseInfoEx2(PCEGUID pguid, CEOID oidDbase, CEDBASEINFOEX* pNewInfo) {
    if (!pNewInfo) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<Order> sorts;
    DWORD error = 0;
    if ((pNewInfo->dwFlags & CEDB_VALIDSORTSPEC) && !SortsFromEx(*pNewInfo, sorts, error)) {
        SetLastError(error);
        return FALSE;
    }
    std::wstring name(pNewInfo->szDbaseName, wcsnlen(pNewInfo->szDbaseName, CEDB_MAXDBASENAMELEN));
    if ((pNewInfo->dwFlags & CEDB_VALIDNAME) && name.size() >= CEDB_MAXDBASENAMELEN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return SetDatabaseInfo(pguid, oidDbase, pNewInfo->dwFlags, name.c_str(), pNewInfo->dwDbaseType, &sorts,
                           pNewInfo->ftLastModified);
}

HANDLE CeFindFirstDatabase(DWORD dwDbaseType) {
    return FindFirst(nullptr, dwDbaseType);
}

HANDLE CeFindFirstDatabaseEx(PCEGUID pguid, DWORD dwDbaseType) {
    return FindFirst(pguid, dwDbaseType);
}

CEOID CeFindNextDatabase(HANDLE hEnum) {
    return FindNext(hEnum, nullptr);
}

CEOID CeFindNextDatabaseEx(HANDLE hEnum, PCEGUID pguid) {
    return FindNext(hEnum, pguid);
}

bool device::CloseObjectStoreHandle(HANDLE h) {
    std::lock_guard lock(g_mutex);
    auto value = reinterpret_cast<uintptr_t>(h);
    return g_dbHandles.erase(value) > 0 || g_enumHandles.erase(value) > 0;
}

// ======================================================================================
// [SECTION] Records
// ======================================================================================

namespace {

// Runs fn on the handle's database and its current ordered view inside a read transaction.
// fn gets a null connection when everything it may need is known without a query: it then
// takes what it needs from the views and the record cache.
template <typename Fn> bool WithView(HANDLE hDatabase, DWORD& error, Fn&& fn) {
    DbHandle* hd = FindDbHandle(hDatabase);
    if (!hd) {
        error = ERROR_INVALID_HANDLE;
        return false;
    }
    DeviceDb* db = Db();
    if (!db) {
        error = ERROR_BADDB;
        return false;
    }
    ForgetIfRolledBack(*db);
    if (auto known = CheckedVersion(*db, hd->db)) {
        auto slot = g_views.find({hd->db, hd->order.propid, hd->order.flags});
        if (slot != g_views.end() && slot->second && slot->second->version == *known) {
            error = 0;
            return fn(nullptr, *hd, *slot->second, *known);
        }
    }
    const uint64_t generation = db->Generation();
    return RunStore(false, error, [&](sqlite3* h) {
        auto version = DbVersion(h, hd->db);
        if (!version) {
            error = ERROR_INVALID_HANDLE;
            return false;
        }
        NoteCheckedVersion(*db, generation, hd->db, *version);
        const OrderedView* view = View(h, hd->db, *version, hd->order);
        return fn(h, *hd, *view, *version);
    });
}

std::vector<Prop> LoadProps(sqlite3* h, CEOID db, CEOID record);

constexpr size_t kRecordsPerLoad = 32;

// "SELECT ... WHERE db=? AND record IN (?, ... kRecordsPerLoad of them)".
const char* BatchLoadText() {
    static const std::string text = [] {
        std::string t = "SELECT record, propid, value FROM ce_prop WHERE db=? AND record IN (?";
        for (size_t i = 1; i < kRecordsPerLoad; ++i) t += ",?";
        return t + ") ORDER BY record, position";
    }();
    return text.c_str();
}

// The properties of the record at a place of a view, at the database's version: from the
// cache, else read (and kept) together with the uncached records that follow it in the view,
// as a walk reads them next. Null when they are neither cached nor readable (no connection).
const std::vector<Prop>* RecordProps(sqlite3* h, CEOID db, int64_t version, const OrderedView& v, size_t at) {
    RecordCache& cache = g_records[db];
    if (cache.version != version) {
        cache.props.clear();
        cache.version = version;
    }
    const CEOID record = v.entries[at].oid;
    auto it = cache.props.find(record);
    if (it != cache.props.end()) return &it->second;
    if (!h) return nullptr;
    CEOID batch[kRecordsPerLoad] = {}; // 0 is never a record: unused places match nothing
    size_t count = 0;
    for (size_t i = at; i < v.entries.size() && count < kRecordsPerLoad; ++i)
        if (i == at || !cache.props.count(v.entries[i].oid)) batch[count++] = v.entries[i].oid;
    Statement s(h, BatchLoadText());
    s.Bind(1, static_cast<int64_t>(db));
    for (size_t i = 0; i < kRecordsPerLoad; ++i)
        s.Bind(static_cast<int>(i + 2), static_cast<int64_t>(batch[i]));
    std::unordered_map<CEOID, std::vector<Prop>> loaded;
    while (s.Step())
        loaded[static_cast<CEOID>(s.Int(0))].push_back({static_cast<CEPROPID>(s.Int(1)), s.WText(2)});
    if (s.Error() != SQLITE_OK) return &(cache.props[record] = LoadProps(h, db, record));
    // A record without properties has no rows: it is kept as the empty list it is.
    for (size_t i = 0; i < count; ++i)
        cache.props[batch[i]] = std::move(loaded[batch[i]]);
    return &cache.props[record];
}

CEOID Seek(HANDLE hDatabase, DWORD seekType, DWORD_PTR value, LPDWORD index) {
    std::lock_guard lock(g_mutex);
    DWORD error = 0;
    CEOID found = 0;
    bool ok = WithView(hDatabase, error, [&](sqlite3*, DbHandle& hd, const OrderedView& v, int64_t) {
        const size_t n = v.entries.size();
        std::optional<size_t> at;
        auto fail = [&](DWORD code) {
            hd.place = Place::End;
            error = code;
            return false;
        };
        switch (seekType) {
        case CEDB_SEEK_BEGINNING:
            if (value < n) at = static_cast<size_t>(value);
            break;
        case CEDB_SEEK_CURRENT: {
            int64_t target =
                static_cast<int64_t>(CurrentIndex(hd, v)) + static_cast<LONG>(static_cast<DWORD>(value));
            if (target >= 0 && static_cast<uint64_t>(target) < n) at = static_cast<size_t>(target);
            break;
        }
        case CEDB_SEEK_END: {
            int64_t back = static_cast<LONG>(static_cast<DWORD>(value));
            if (back < 0) back = -back;
            if (static_cast<uint64_t>(back) < n) at = n - 1 - static_cast<size_t>(back);
            break;
        }
        case CEDB_SEEK_CEOID:
            at = v.Find(static_cast<CEOID>(value));
            break;
        case CEDB_SEEK_VALUEFIRSTEQUAL:
        case CEDB_SEEK_VALUENEXTEQUAL:
        case CEDB_SEEK_VALUESMALLER:
        case CEDB_SEEK_VALUEGREATER: {
            auto* pv = reinterpret_cast<const CEPROPVAL*>(value);
            if (!pv) return fail(ERROR_INVALID_PARAMETER);
            if (TypeFromPropID(pv->propid) != CEVT_LPWSTR) return fail(ERROR_NOT_SUPPORTED);
            if (hd.order.propid == 0 || pv->propid != hd.order.propid || !pv->val.lpwstr)
                return fail(ERROR_INVALID_PARAMETER);
            std::wstring key =
                CollationKey(AsStored(pv->val.lpwstr), (hd.order.flags & CEDB_SORT_CASEINSENSITIVE) != 0);
            // First record not ordered before the value, and first one ordered after it.
            auto lower = std::partition_point(v.entries.begin(), v.entries.end(), [&](const Entry& e) {
                return CompareValue(hd.order, e, key) < 0;
            });
            auto upper = std::partition_point(
                lower, v.entries.end(), [&](const Entry& e) { return CompareValue(hd.order, e, key) <= 0; });
            size_t lo = static_cast<size_t>(lower - v.entries.begin());
            size_t hi = static_cast<size_t>(upper - v.entries.begin());
            if (seekType == CEDB_SEEK_VALUEFIRSTEQUAL) {
                if (lo < hi) at = lo;
            } else if (seekType == CEDB_SEEK_VALUENEXTEQUAL) {
                size_t next = CurrentIndex(hd, v) + (hd.place == Place::On ? 1 : 0);
                if (next >= lo && next < hi) at = next;
            } else if (seekType == CEDB_SEEK_VALUESMALLER) {
                if (lo > 0) at = lo - 1;
            } else {
                if (hi < n) at = hi;
            }
            break;
        }
        default:
            return fail(ERROR_NOT_SUPPORTED);
        }
        if (!at) return fail(ERROR_NO_MORE_ITEMS);
        hd.place = Place::On;
        hd.mark = v.entries[*at];
        hd.markAt = *at;
        found = hd.mark.oid;
        if (index) *index = static_cast<DWORD>(*at);
        return true;
    });
    if (!ok) {
        SetLastError(error);
        return 0;
    }
    return found;
}

std::vector<Prop> LoadProps(sqlite3* h, CEOID db, CEOID record) {
    std::vector<Prop> props;
    Statement s(h, "SELECT propid, value FROM ce_prop WHERE db=? AND record=? ORDER BY position");
    s.Bind(1, static_cast<int64_t>(db)).Bind(2, static_cast<int64_t>(record));
    while (s.Step())
        props.push_back({static_cast<CEPROPID>(s.Int(0)), s.WText(1)});
    return props;
}

// A change this process has just committed: the record's properties as they now are (null when
// it was deleted). Views that were current before it are patched instead of rebuilt.
void ApplyToViews(CEOID db, int64_t oldVersion, int64_t newVersion, CEOID rec,
                  const std::vector<Prop>* props, bool isNew) {
    for (auto it = g_views.lower_bound({db, 0, 0}); it != g_views.end() && std::get<0>(it->first) == db;
         ++it) {
        OrderedView* view = it->second.get();
        if (!view || view->version != oldVersion) continue; // stale anyway: rebuilt when next used
        const Order o{std::get<1>(it->first), std::get<2>(it->first)};
        auto& entries = view->entries;
        if (!isNew) {
            std::optional<size_t> found;
            if (!view->indexStale) {
                found = view->Find(rec);
            } else {
                auto hit = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.oid == rec; });
                if (hit != entries.end()) found = static_cast<size_t>(hit - entries.begin());
            }
            if (found) entries.erase(entries.begin() + *found);
        }
        if (props) {
            Entry e;
            e.oid = rec;
            if (o.propid != 0) {
                auto p = std::find_if(props->begin(), props->end(),
                                      [&](const Prop& x) { return x.propid == o.propid; });
                e.has = p != props->end();
                if (e.has) e.key = CollationKey(p->value, (o.flags & CEDB_SORT_CASEINSENSITIVE) != 0);
            }
            auto at = std::lower_bound(entries.begin(), entries.end(), e,
                                       [&](const Entry& a, const Entry& b) { return Before(o, a, b); });
            entries.insert(at, std::move(e));
        }
        view->indexStale = true;
        view->version = newVersion;
    }
    auto cache = g_records.find(db);
    if (cache != g_records.end()) {
        if (cache->second.version != oldVersion) {
            g_records.erase(cache);
        } else {
            cache->second.version = newVersion;
            if (props) cache->second.props[rec] = *props;
            else cache->second.props.erase(rec);
        }
    }
}

// After a record write or delete of this process: its database is at newVersion, as every
// view that was current before it now is. Kept only while the transaction around it is still
// open (and so holds the write lock): after a commit of its own, another process may already
// have committed too before the generation is read.
void NoteOwnWrite(CEOID db, int64_t newVersion) {
    DeviceDb* conn = Db();
    if (conn && conn->InOpenTransaction()) NoteCheckedVersion(*conn, conn->Generation(), db, newVersion);
}

} // namespace

CEOID CeSeekDatabase(HANDLE hDatabase, DWORD dwSeekType, DWORD_PTR dwValue, LPDWORD lpdwIndex) {
    return Seek(hDatabase, dwSeekType, dwValue, lpdwIndex);
}

CEOID CeSeekDatabaseEx(HANDLE hDatabase, DWORD dwSeekType, DWORD_PTR dwValue, WORD wNumVals,
                       LPDWORD lpdwIndex) {
    bool valueSeek = dwSeekType == CEDB_SEEK_VALUEFIRSTEQUAL || dwSeekType == CEDB_SEEK_VALUENEXTEQUAL ||
                     dwSeekType == CEDB_SEEK_VALUESMALLER || dwSeekType == CEDB_SEEK_VALUEGREATER;
    if (valueSeek && wNumVals > 1) {
        SetLastError(ERROR_NOT_SUPPORTED); // sort orders hold one property each
        return 0;
    }
    return Seek(hDatabase, dwSeekType, dwValue, lpdwIndex);
}

CEOID CeReadRecordProps(HANDLE hDbase, DWORD dwFlags, LPWORD lpcPropID, CEPROPID* rgPropID,
                        LPBYTE* lplpBuffer, LPDWORD lpcbBuffer) {
    return CeReadRecordPropsEx(hDbase, dwFlags, lpcPropID, rgPropID, lplpBuffer, lpcbBuffer, nullptr);
}

CEOID CeReadRecordPropsEx(HANDLE hDbase, DWORD dwFlags, LPWORD lpcPropID, CEPROPID* rgPropID,
                          LPBYTE* lplpBuffer, LPDWORD lpcbBuffer, HANDLE hHeap) {
    std::lock_guard lock(g_mutex);
    if (!FindDbHandle(hDbase)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!lpcPropID || !lpcbBuffer || !lplpBuffer || (rgPropID && *lpcPropID == 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (hHeap) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    const bool realloc = (dwFlags & CEDB_ALLOWREALLOC) != 0;
    DWORD error = 0;
    CEOID found = 0;
    bool needQuery = false;
    auto read = [&](sqlite3* h, DbHandle& hd, const OrderedView& v, int64_t version) {
        size_t at = CurrentIndex(hd, v);
        if (at >= v.entries.size()) {
            hd.place = Place::End;
            error = ERROR_NO_MORE_ITEMS;
            return false;
        }
        const Entry& rec = v.entries[at];
        const std::vector<Prop>* cached = RecordProps(h, hd.db, version, v, at);
        if (!cached) {
            needQuery = true; // known versions but an unread record: ask again with a query
            return false;
        }
        const std::vector<Prop>& stored = *cached;
        // The properties asked for, in the order asked; a missing one is marked not found.
        // (Kept between reads, under the store's lock: a read then allocates nothing.)
        static std::vector<const Prop*> chosen;
        static std::vector<CEPROPID> ids;
        chosen.clear();
        ids.clear();
        if (rgPropID) {
            for (WORD i = 0; i < *lpcPropID; ++i) {
                auto it = std::find_if(stored.begin(), stored.end(),
                                       [&](const Prop& p) { return p.propid == rgPropID[i]; });
                chosen.push_back(it == stored.end() ? nullptr : &*it);
                ids.push_back(rgPropID[i]);
            }
        } else {
            for (const auto& p : stored) {
                chosen.push_back(&p);
                ids.push_back(p.propid);
            }
        }
        if (chosen.size() > 0xFFFF) {
            error = ERROR_NOT_SUPPORTED;
            return false;
        }
        size_t head = chosen.size() * sizeof(CEPROPVAL);
        size_t need = head;
        for (const Prop* p : chosen)
            if (p) need += (p->value.size() + 1) * sizeof(WCHAR);
        if (need > 0xFFFFFFFFu) {
            error = ERROR_NOT_ENOUGH_MEMORY;
            return false;
        }
        // A record without properties reads as an empty array and needs no buffer.
        if (need > 0 && (!*lplpBuffer || *lpcbBuffer < need)) {
            if (!realloc) {
                *lpcbBuffer = static_cast<DWORD>(need);
                error = ERROR_INSUFFICIENT_BUFFER;
                return false;
            }
            HLOCAL grown = LocalReAlloc(*lplpBuffer, need, LMEM_MOVEABLE);
            if (!grown) {
                error = GetLastError() == ERROR_INVALID_HANDLE ? ERROR_INVALID_PARAMETER
                                                               : ERROR_NOT_ENOUGH_MEMORY;
                return false;
            }
            *lplpBuffer = static_cast<LPBYTE>(grown);
            *lpcbBuffer = static_cast<DWORD>(need);
        }
        BYTE* base = *lplpBuffer;
        auto* vals = reinterpret_cast<CEPROPVAL*>(base);
        auto* text = reinterpret_cast<WCHAR*>(base + head);
        for (size_t i = 0; i < chosen.size(); ++i) {
            CEPROPVAL pv;
            std::memset(&pv, 0, sizeof(pv));
            pv.propid = ids[i];
            if (!chosen[i]) {
                pv.wFlags = CEDB_PROPNOTFOUND;
            } else {
                const std::wstring& s = chosen[i]->value;
                std::wmemcpy(text, s.c_str(), s.size() + 1);
                pv.val.lpwstr = text;
                size_t bytes = (s.size() + 1) * sizeof(WCHAR);
                pv.wLenData = bytes <= 0xFFFF ? static_cast<WORD>(bytes) : 0;
                text += s.size() + 1;
            }
            std::memcpy(&vals[i], &pv, sizeof(pv));
        }
        *lpcPropID = static_cast<WORD>(chosen.size());
        hd.place = (hd.flags & CEDB_AUTOINCREMENT) ? Place::After : Place::On;
        hd.mark = rec;
        hd.markAt = at;
        found = rec.oid;
        return true;
    };
    bool ok = WithView(hDbase, error, read);
    if (!ok && needQuery) {
        ForgetCheckedVersions();
        ok = WithView(hDbase, error, read);
    }
    if (!ok) {
        SetLastError(error);
        return 0;
    }
    return found;
}

CEOID CeWriteRecordProps(HANDLE hDbase, CEOID oidRecord, WORD cPropID, CEPROPVAL* rgPropVal) {
    std::lock_guard lock(g_mutex);
    DbHandle* hd = FindDbHandle(hDbase);
    if (!hd) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (cPropID == 0 || !rgPropVal) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Every value is checked before anything is written.
    for (WORD i = 0; i < cPropID; ++i) {
        const CEPROPVAL& pv = rgPropVal[i];
        if (pv.wFlags & CEDB_PROPDELETE) continue;
        if (TypeFromPropID(pv.propid) != CEVT_LPWSTR) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return 0;
        }
        if (!pv.val.lpwstr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
    }
    if (oidRecord == 0) {
        for (WORD i = 0; i < cPropID; ++i) {
            if (rgPropVal[i].wFlags & CEDB_PROPDELETE) {
                SetLastError(ERROR_INVALID_PARAMETER); // nothing to delete in a new record
                return 0;
            }
        }
    }
    DWORD error = 0;
    CEOID written = 0;
    const CEOID db = hd->db;
    int64_t oldVersion = 0, newVersion = 0;
    std::vector<Prop> now;
    bool ok = RunStore(true, error, [&](sqlite3* h) {
        now.clear(); // (a transaction that must be run again runs this again)
        if (!Touch(h, db, &newVersion)) {
            error = ERROR_INVALID_HANDLE;
            return false;
        }
        oldVersion = newVersion - 1;
        CEOID rec = oidRecord;
        const int64_t dbId = db;
        if (rec == 0) {
            // A new record: its properties in array order, a repeated identifier keeping its
            // first place and its last value.
            std::vector<std::pair<CEPROPID, std::string>> props;
            int64_t chars = 0;
            for (WORD i = 0; i < cPropID; ++i) {
                const CEPROPVAL& pv = rgPropVal[i];
                std::string value = device::ToUtf8(pv.val.lpwstr);
                auto it = std::find_if(props.begin(), props.end(),
                                       [&](const auto& p) { return p.first == pv.propid; });
                if (it != props.end())
                    it->second = std::move(value);
                else
                    props.emplace_back(pv.propid, std::move(value));
            }
            // The properties as a read gives them back (what UTF-8 cannot hold becomes U+FFFD),
            // which is also what the record's text size counts.
            for (const auto& p : props) {
                now.push_back({p.first, device::FromUtf8(p.second)});
                chars += static_cast<int64_t>(now.back().value.size()) + 1;
            }
            rec = NextOid(h);
            if (!rec) return false;
            if (!Statement(h, "INSERT INTO ce_record(db, oid, bytes) VALUES(?,?,?)")
                     .Bind(1, dbId)
                     .Bind(2, static_cast<int64_t>(rec))
                     .Bind(3, chars)
                     .Run())
                return false;
            // The properties in statements of up to four rows each.
            for (size_t first = 0; first < props.size(); first += kPropRowsPerInsert) {
                const size_t rows = std::min(kPropRowsPerInsert, props.size() - first);
                Statement insert(h, PropInsertText(rows));
                for (size_t r = 0; r < rows; ++r) {
                    const int col = static_cast<int>(r * 5);
                    insert.Bind(col + 1, dbId)
                        .Bind(col + 2, static_cast<int64_t>(rec))
                        .Bind(col + 3, static_cast<int64_t>(first + r))
                        .Bind(col + 4, static_cast<int64_t>(props[first + r].first))
                        .Bind(col + 5, std::string_view(props[first + r].second));
                }
                if (!insert.Run()) return false;
            }
            written = rec;
            return true;
        }
        if (!RecordInDb(h, db, rec)) {
            error = ERROR_INVALID_PARAMETER;
            return false;
        }
        int64_t nextPosition = 0;
        {
            Statement s(h, "SELECT coalesce(max(position)+1, 0) FROM ce_prop WHERE db=? AND record=?");
            if (s.Bind(1, dbId).Bind(2, static_cast<int64_t>(rec)).Step()) nextPosition = s.Int(0);
        }
        for (WORD i = 0; i < cPropID; ++i) {
            const CEPROPVAL& pv = rgPropVal[i];
            if (pv.wFlags & CEDB_PROPDELETE) {
                if (!Statement(h, "DELETE FROM ce_prop WHERE db=? AND record=? AND propid=?")
                         .Bind(1, dbId)
                         .Bind(2, static_cast<int64_t>(rec))
                         .Bind(3, static_cast<int64_t>(pv.propid))
                         .Run())
                    return false;
                continue;
            }
            std::string value = device::ToUtf8(pv.val.lpwstr);
            Statement update(h, "UPDATE ce_prop SET value=? WHERE db=? AND record=? AND propid=?");
            if (!update.Bind(1, std::string_view(value))
                     .Bind(2, dbId)
                     .Bind(3, static_cast<int64_t>(rec))
                     .Bind(4, static_cast<int64_t>(pv.propid))
                     .Run())
                return false;
            if (sqlite3_changes(h) > 0) continue; // rewritten in its place
            if (!Statement(h, "INSERT INTO ce_prop(db, record, position, propid, value) VALUES(?,?,?,?,?)")
                     .Bind(1, dbId)
                     .Bind(2, static_cast<int64_t>(rec))
                     .Bind(3, nextPosition++)
                     .Bind(4, static_cast<int64_t>(pv.propid))
                     .Bind(5, std::string_view(value))
                     .Run())
                return false;
        }
        if (!RecordBytes(h, db, rec)) return false;
        now = LoadProps(h, db, rec);
        written = rec;
        return true;
    });
    if (!ok) {
        SetLastError(error);
        return 0;
    }
    ApplyToViews(db, oldVersion, newVersion, written, &now, oidRecord == 0);
    NoteOwnWrite(db, newVersion);
    return written;
}

BOOL CeDeleteRecord(HANDLE hDatabase, CEOID oidRecord) {
    std::lock_guard lock(g_mutex);
    DbHandle* hd = FindDbHandle(hDatabase);
    if (!hd) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (oidRecord == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const CEOID db = hd->db;
    DWORD error = 0;
    int64_t oldVersion = 0, newVersion = 0;
    bool ok = RunStore(true, error, [&](sqlite3* h) {
        if (!Touch(h, db, &newVersion)) {
            error = ERROR_INVALID_HANDLE;
            return false;
        }
        oldVersion = newVersion - 1;
        if (!RecordInDb(h, db, oidRecord)) {
            error = ERROR_INVALID_PARAMETER;
            return false;
        }
        int64_t id = oidRecord;
        return Statement(h, "DELETE FROM ce_prop WHERE db=? AND record=?")
                   .Bind(1, static_cast<int64_t>(db))
                   .Bind(2, id)
                   .Run() &&
               Statement(h, "DELETE FROM ce_record WHERE db=? AND oid=?")
                   .Bind(1, static_cast<int64_t>(db))
                   .Bind(2, id)
                   .Run();
    });
    if (!ok) {
        SetLastError(error);
        return FALSE;
    }
    ApplyToViews(db, oldVersion, newVersion, oidRecord, nullptr, false);
    NoteOwnWrite(db, newVersion);
    return TRUE;
}
