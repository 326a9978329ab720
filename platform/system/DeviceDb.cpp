#include "platform/system/DeviceDb.h"
#include "platform/base/Utf8.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/ProcessEnd.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>

#include <atomic>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <set>
#include <thread>

namespace device {
namespace {

std::mutex g_connMutex;
std::unique_ptr<DeviceDb> g_conn;
pid_t g_connPid = 0;
std::set<std::string> g_reportedBad; // paths already reported on stderr
std::set<std::string> g_reportedDamage; // damaged stores (path and table) already reported
std::mutex g_reportedDamageMutex;
// The open connection and the process it was opened in, readable without the lock (every
// service call asks for the connection, many times over).
std::atomic<DeviceDb*> g_openConn{nullptr};
std::atomic<pid_t> g_openPid{0};

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// A few seconds, as the device waits for a busy store; looked at after 1, 2, 4, 8 and then every
// 10 milliseconds, so that a store held for a moment is taken at once and a request to end is
// heard at once.
std::atomic<int64_t> g_busyWaitMs{5000};
constexpr milliseconds kBusyStep{10};
std::atomic<int> g_openError{SQLITE_OK};
std::atomic<void (*)()> g_storeWaitHook{nullptr};

// What the waits found held (see StoreHeldAgainst), and the cause of the last fault.
std::atomic<bool> g_heldAgainstWrites{false};
std::atomic<bool> g_heldAgainstReads{false};
std::atomic<StorageFault> g_lastFault{StorageFault::None};

// A wait for the kind of call given ran out: the store is held against it.
void MarkHeld(bool write) {
    g_heldAgainstWrites = true;
    if (!write) g_heldAgainstReads = true;
    g_lastFault = StorageFault::InUse;
}

// A call of that kind got through: the store takes it again (a write needs more than a read).
void MarkFree(bool write) {
    if (write) g_heldAgainstWrites = false;
    g_heldAgainstReads = false;
}

milliseconds WaitFor(bool write) {
    return StoreHeldAgainst(write) ? kHeldStoreLook : milliseconds(g_busyWaitMs.load(std::memory_order_relaxed));
}

// SQLite's busy handler: true (go on waiting) until the wait has lasted its time or the process
// is asked to end.
int WaitForBusyStore(void* arg, int count) {
    auto* busy = static_cast<DeviceDb::BusyWaits*>(arg);
    const auto now = steady_clock::now();
    if (count == 0) {
        busy->since = now;
        busy->ranOut = false;
        busy->told = false;
    }
    const auto left = WaitFor(busy->forWrite) - (now - busy->since);
    if (ProcessEndRequested() || left <= milliseconds(0)) {
        busy->ranOut = true;
        if (!ProcessEndRequested()) MarkHeld(busy->forWrite);
        return 0;
    }
    // A wait the user would notice is shown on the screen while it goes on.
    if (!busy->told && now - busy->since >= kStoreWaitShownAfter) {
        busy->told = true;
        if (void (*hook)() = g_storeWaitHook.load()) hook();
    }
    const milliseconds step = std::min(kBusyStep, milliseconds(1 << std::min(count, 3)));
    std::this_thread::sleep_for(std::min<steady_clock::duration>(step, left));
    return 1;
}

bool IsBusy(int rc) {
    return (rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED;
}

// Errors that say the storage itself failed, as opposed to a statement that was refused.
bool IsStorageFault(int rc) {
    switch (rc & 0xFF) {
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_READONLY:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
    case SQLITE_NOMEM: return true;
    default: return false;
    }
}

// Less room left for the store than a few of its pages take: on the file system of the device
// root, or under the largest size this process may give a file (a file that may grow no
// further fails its writes as a full device does).
bool NoRoomLeft() {
    constexpr unsigned long long kFewPages = 64 * 1024;
    struct statvfs fs {};
    if (::statvfs(RootFolder().c_str(), &fs) == 0 &&
        static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize < kFewPages)
        return true;
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return false;
    for (const char* suffix : {"", "-wal"}) {
        struct stat st {};
        const std::string file = DatabaseFile().string() + suffix;
        if (::stat(file.c_str(), &st) == 0 && static_cast<unsigned long long>(st.st_size) + kFewPages > limit.rlim_cur)
            return true;
    }
    return false;
}

// The cause of a storage fault: SQLite's result and, for a failed system call, its errno.
StorageFault CauseOf(int rc, int systemErrno) {
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return StorageFault::InUse;
    case SQLITE_FULL:
    case SQLITE_NOMEM: return StorageFault::Full;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        // A write the file system refused for room (a full device, a quota, a file that may not
        // grow) is the device being full, whatever SQLite made of it.
        if (systemErrno == ENOSPC || systemErrno == EDQUOT || systemErrno == EFBIG) return StorageFault::Full;
        if (systemErrno == EROFS || systemErrno == EACCES || systemErrno == EPERM) return StorageFault::ReadOnly;
        return NoRoomLeft() ? StorageFault::Full : StorageFault::ReadOnly;
    default: return StorageFault::ReadOnly;
    }
}

// This process's id, refreshed in a forked child (getpid is a system call on every use).
std::atomic<pid_t> g_pid{0};

pid_t CurrentPid() {
    pid_t pid = g_pid.load(std::memory_order_relaxed);
    if (pid == 0) {
        static std::once_flag once;
        std::call_once(once, [] { pthread_atfork(nullptr, nullptr, [] { g_pid.store(getpid()); }); });
        pid = getpid();
        g_pid.store(pid);
    }
    return pid;
}

} // namespace

// ---- Parts of the store ----

namespace {

constexpr StorePart kStoreParts[] = {StorePart::Registry, StorePart::ObjectStore, StorePart::Notifications,
                                     StorePart::Settings};

uint32_t Bit(StorePart part) { return static_cast<uint32_t>(part); }

// The parts device.db notes it was given (its header's user version); nothing when it cannot
// be read.
std::optional<uint32_t> NotedParts(sqlite3* db) {
    Statement s(db, "PRAGMA user_version");
    if (!s.Step()) return std::nullopt;
    return static_cast<uint32_t>(s.Int(0));
}

bool NoteParts(sqlite3* db, uint32_t parts) {
    const std::string sql = "PRAGMA user_version = " + std::to_string(parts);
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// What device.db holds of one part.
struct PartState {
    bool known = false; // the reads got through (a store held or failing tells nothing)
    bool noted = false; // device.db notes it was given the part
    size_t tables = 0;
    std::vector<std::string> absent; // its tables device.db lacks

    bool Whole() const { return known && absent.empty(); }
    bool New() const { return known && !noted && absent.size() == tables; }
    // Given once (noted, or some of its tables there: a part is made whole in one transaction)
    // and lacking tables since.
    bool Damaged() const { return known && !absent.empty() && (noted || absent.size() < tables); }
};

PartState LookAt(sqlite3* db, StorePart part) {
    PartState state;
    const std::optional<uint32_t> noted = NotedParts(db);
    if (!noted) return state;
    state.noted = (*noted & Bit(part)) != 0;
    state.tables = StorePartTables(part).size();
    for (const char* table : StorePartTables(part)) {
        Statement s(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
        if (s.Bind(1, std::string_view(table)).Step()) continue;
        if (!s.Ok() || s.Error() != SQLITE_OK) return PartState{};
        state.absent.emplace_back(table);
    }
    state.known = true;
    return state;
}

void SayDamaged(const std::vector<std::string>& missing) {
    const std::string path = DatabaseFile().string();
    std::lock_guard lock(g_reportedDamageMutex);
    for (const std::string& table : missing)
        if (g_reportedDamage.insert(path + "/" + table).second)
            std::fprintf(stderr, "device: the device database %s is damaged: its table %s is missing\n", path.c_str(),
                         table.c_str());
}

} // namespace

// ---- Statement ----

Statement::Statement(sqlite3* db, const char* sql) {
    DeviceDb* conn = nullptr;
    {
        std::lock_guard lock(g_connMutex);
        if (g_conn && g_connPid == CurrentPid() && g_conn->Handle() == db) conn = g_conn.get();
    }
    m_conn = conn;
    if (conn) {
        conn->BeginPendingRead();
        m_stmt = conn->BorrowStatement(sql);
        if (m_stmt) {
            m_borrowed = true;
            return;
        }
    }
    m_error = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    if (m_error != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

Statement::~Statement() {
    if (!m_stmt) return;
    if (m_borrowed) {
        DeviceDb* conn = nullptr;
        {
            std::lock_guard lock(g_connMutex);
            if (g_conn && g_connPid == CurrentPid()) conn = g_conn.get();
        }
        // A connection closed since then has finalised its statements itself.
        if (conn) conn->ReturnStatement(m_stmt);
        return;
    }
    sqlite3_finalize(m_stmt);
}

Statement& Statement::Bind(int index, int64_t value) {
    if (m_stmt) sqlite3_bind_int64(m_stmt, index, value);
    return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
    if (m_stmt) sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::Bind(int index, std::wstring_view text) { return Bind(index, std::string_view(ToUtf8(text))); }

Statement& Statement::BindBlob(int index, const void* data, size_t size) {
    if (m_stmt) sqlite3_bind_blob(m_stmt, index, size ? data : "", static_cast<int>(size), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::BindNull(int index) {
    if (m_stmt) sqlite3_bind_null(m_stmt, index);
    return *this;
}

bool Statement::Step() {
    if (!m_stmt) return false;
    // After a fault SQLite may have undone the transaction already: a statement run now would
    // stand on its own and be kept.
    if (m_conn && m_conn->TransactionFaulted()) {
        m_error = SQLITE_ABORT;
        return false;
    }
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) {
        m_error = rc;
        if (m_conn) m_conn->NoteStatementError(rc);
    }
    return false;
}

bool Statement::Run() {
    if (!m_stmt) return false;
    if (m_conn && m_conn->TransactionFaulted()) {
        m_error = SQLITE_ABORT;
        return false;
    }
    int rc = sqlite3_step(m_stmt);
    sqlite3_reset(m_stmt);
    if (rc == SQLITE_DONE || rc == SQLITE_ROW) return true;
    m_error = rc;
    if (m_conn) m_conn->NoteStatementError(rc);
    return false;
}

void Statement::Reset() {
    if (!m_stmt) return;
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

bool Statement::IsNull(int col) const { return sqlite3_column_type(m_stmt, col) == SQLITE_NULL; }

int64_t Statement::Int(int col) const { return sqlite3_column_int64(m_stmt, col); }

std::string Statement::Text(int col) const {
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
    return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(m_stmt, col))) : std::string();
}

std::wstring Statement::WText(int col) const { return FromUtf8(Text(col)); }

std::vector<uint8_t> Statement::Blob(int col) const {
    auto p = static_cast<const uint8_t*>(sqlite3_column_blob(m_stmt, col));
    int n = sqlite3_column_bytes(m_stmt, col);
    return p ? std::vector<uint8_t>(p, p + n) : std::vector<uint8_t>();
}

// ---- DeviceDb ----

std::chrono::milliseconds BusyStoreWait() {
    return milliseconds(g_busyWaitMs.load(std::memory_order_relaxed));
}

void SetStoreWaitHook(void (*hook)()) {
    g_storeWaitHook = hook;
}

void SetBusyStoreWait(std::chrono::milliseconds wait) {
    g_busyWaitMs.store(wait.count(), std::memory_order_relaxed);
}

bool StoreHeldAgainst(bool write) {
    return write ? g_heldAgainstWrites.load() : g_heldAgainstReads.load();
}

StorageFault LastStorageFault() {
    return g_lastFault;
}

DeviceDb::DeviceDb(sqlite3* db, std::unique_ptr<BusyWaits> busy) : m_db(db), m_busy(std::move(busy)) {
    static std::atomic<uint64_t> serials{0};
    m_serial = ++serials;
    static_assert(std::atomic<uint64_t>::is_always_lock_free, "the shared counter must be lock-free");
    std::string path = DatabaseFile().string() + "-gen";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && (st.st_size >= 8 || ::ftruncate(fd, 8) == 0)) {
        void* mem = ::mmap(nullptr, 8, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (mem != MAP_FAILED) m_generation = static_cast<std::atomic<uint64_t>*>(mem);
    }
    ::close(fd);
}

DeviceDb::~DeviceDb() {
    for (auto& c : m_statements) sqlite3_finalize(c.stmt);
    sqlite3_close_v2(m_db);
    if (m_generation) ::munmap(m_generation, 8);
}

uint64_t DeviceDb::Generation() const {
    if (m_generation) return m_generation->load(std::memory_order_acquire);
    return m_localGeneration.fetch_add(1);
}

sqlite3_stmt* DeviceDb::BorrowStatement(const char* sql) {
    std::lock_guard lock(m_mutex);
    // The same literal comes at the same address: those are looked at first (their text still
    // checked, an address can be reused), every text after.
    for (auto& c : m_statements) {
        if (!c.inUse && c.key == sql && c.sql == sql) {
            c.inUse = true;
            return c.stmt;
        }
    }
    for (auto& c : m_statements) {
        if (!c.inUse && c.sql == sql) {
            c.inUse = true;
            return c.stmt;
        }
    }
    if (m_statements.size() >= 256) return nullptr; // a runaway of distinct texts: prepare afresh
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    m_statements.push_back({sql, sql, stmt, true});
    return stmt;
}

void DeviceDb::ReturnStatement(sqlite3_stmt* stmt) {
    std::lock_guard lock(m_mutex);
    for (auto& c : m_statements) {
        if (c.stmt == stmt) {
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
            c.inUse = false;
        }
    }
}

DeviceDb* DeviceDb::Get() {
    if (DeviceDb* open = g_openConn.load(std::memory_order_acquire);
        open && g_openPid.load(std::memory_order_relaxed) == CurrentPid())
        return open;
    std::lock_guard lock(g_connMutex);
    if (g_conn && g_connPid == CurrentPid()) return g_conn.get();
    if (g_conn) {
        // A forked child must not use its parent's connection: abandon it without closing.
        (void)g_conn.release();
    }
    std::string path = DatabaseFile().string();
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                             nullptr);
    auto busy = std::make_unique<BusyWaits>();
    // Another process may be creating the file or switching it to WAL at this very moment, or
    // hold it: a busy answer is waited out (for the wait's time at most), never taken for a bad file.
    const auto deadline = steady_clock::now() + WaitFor(false);
    auto retrying = [&](const char* sql) {
        for (;;) {
            int result = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
            if (!IsBusy(result) || busy->ranOut || ProcessEndRequested()) return result;
            if (steady_clock::now() >= deadline) {
                MarkHeld(false);
                return result;
            }
            usleep(5000);
        }
    };
    if (rc == SQLITE_OK) {
        sqlite3_busy_handler(db, &WaitForBusyStore, busy.get());
        // The first read of the schema tells a database from any other file.
        rc = retrying("SELECT count(*) FROM sqlite_master");
    }
    if (rc == SQLITE_OK) rc = retrying("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL");
    if (rc != SQLITE_OK) {
        g_openError = rc;
        if (!ProcessEndRequested()) g_lastFault = CauseOf(rc, db ? sqlite3_system_errno(db) : errno);
        // A wait the process was asked to end in found nothing wrong with the store.
        if (!ProcessEndRequested() && g_reportedBad.insert(path).second)
            std::fprintf(stderr, "device: cannot use the device database %s: %s\n", path.c_str(),
                         db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        return nullptr;
    }
    g_openError = SQLITE_OK;
    MarkFree(false); // the schema was read
    g_conn.reset(new DeviceDb(db, std::move(busy)));
    g_connPid = CurrentPid();
    g_openPid.store(g_connPid, std::memory_order_relaxed);
    g_openConn.store(g_conn.get(), std::memory_order_release);
    return g_conn.get();
}

int DeviceDb::OpenError() {
    return g_openError;
}

void DeviceDb::Close() {
    std::lock_guard lock(g_connMutex);
    // What was found held was found of this store; the next one is looked at afresh.
    MarkFree(true);
    g_lastFault = StorageFault::None;
    g_openConn.store(nullptr, std::memory_order_release);
    if (g_conn && g_connPid != CurrentPid()) (void)g_conn.release();
    g_conn.reset();
}

bool DeviceDb::EnsureSchema(const char* ddl, const char* seed, const char* seeded) {
    std::lock_guard lock(m_mutex);
    if (std::find(m_schemas.begin(), m_schemas.end(), ddl) != m_schemas.end()) return true;
    auto run = [&](sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; };
    // Tables (and rows) that are there already need no write lock, so a store another process
    // holds for writing does not hold up a service that only reads; missing ones are made in a
    // write transaction, which waits for the store.
    bool ok = Transaction(false, [&](sqlite3* db) {
        BeginPendingRead();
        if (!run(db, ddl)) return false;
        if (!seed) return true;
        Statement check(db, seeded);
        return check.Step() && check.Int(0) == 1;
    });
    if (!ok) ok = Transaction(true, [&](sqlite3* db) { return run(db, ddl) && (!seed || run(db, seed)); });
    // Made inside a transaction still open, the tables are known only until it rolls back
    // (RolledBack forgets them again).
    if (ok) m_schemas.push_back(ddl);
    return ok;
}

const std::vector<const char*>& StorePartTables(StorePart part) {
    static const std::vector<const char*> registry{"reg_key", "reg_value"},
        objectStore{"ce_database", "ce_record", "ce_prop"}, notifications{"ce_notification"},
        settings{"device_setting"}, none{};
    switch (part) {
    case StorePart::Registry: return registry;
    case StorePart::ObjectStore: return objectStore;
    case StorePart::Notifications: return notifications;
    case StorePart::Settings: return settings;
    }
    return none;
}

bool DeviceDb::EnsureSchema(StorePart part, const char* ddl, const char* seed, const char* seeded) {
    std::lock_guard lock(m_mutex);
    if (std::find(m_schemas.begin(), m_schemas.end(), ddl) != m_schemas.end()) return true;
    auto run = [&](sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; };
    PartState state;
    // A part that is whole needs no write lock, so a store another process holds for writing
    // does not hold up a service that only reads; a new one is made in a write transaction.
    bool ok = Transaction(false, [&](sqlite3* db) {
        BeginPendingRead();
        state = LookAt(db, part);
        if (!state.Whole()) return false;
        if (!seed) return true;
        Statement check(db, seeded);
        return check.Step() && check.Int(0) == 1;
    });
    if (!ok && !state.Damaged())
        ok = Transaction(true, [&](sqlite3* db) {
            state = LookAt(db, part);
            if (!state.known || state.Damaged()) return false;
            if (state.New() && !(run(db, ddl) && NoteParts(db, NotedParts(db).value_or(0) | Bit(part)))) return false;
            return !seed || run(db, seed);
        });
    if (state.Damaged()) {
        // Damage, not a new device: the tables are not made again over what the user kept.
        g_lastFault = StorageFault::ReadOnly;
        m_faults.fetch_add(1, std::memory_order_relaxed);
        SayDamaged(state.absent);
        return false;
    }
    if (ok) m_schemas.push_back(ddl);
    return ok;
}

std::vector<std::string> DeviceDb::MissingTables() {
    std::vector<std::string> missing;
    bool known = true;
    Read([&](sqlite3* db) {
        BeginPendingRead();
        for (StorePart part : kStoreParts) {
            const PartState state = LookAt(db, part);
            known = known && state.known;
            if (state.Damaged()) missing.insert(missing.end(), state.absent.begin(), state.absent.end());
        }
        return true;
    });
    // A store that could not be read is no damaged one (its reads say what is wrong).
    if (!known) return {};
    SayDamaged(missing);
    return missing;
}

bool DeviceDb::NoteWholeParts(sqlite3* db) {
    const std::optional<uint32_t> noted = NotedParts(db);
    if (!noted) return false;
    uint32_t whole = *noted;
    for (StorePart part : kStoreParts)
        if (LookAt(db, part).Whole()) whole |= Bit(part);
    return whole == *noted || NoteParts(db, whole);
}

// The counter moves once before a commit and once after it. After it, as readers compare the
// counter before they read; before it too, so that a writer killed between its commit and the
// second move still leaves every process's kept reads out of date rather than trusted.
void DeviceDb::MoveGeneration() {
    if (m_generation) m_generation->fetch_add(1, std::memory_order_acq_rel);
}

void DeviceDb::RolledBack() {
    ++m_rollbacks;
    // Tables made in the transaction went with it: the next use makes them again.
    if (m_schemas.size() > m_schemasBefore) m_schemas.resize(m_schemasBefore);
}

void DeviceDb::BeginPendingRead() {
    std::lock_guard lock(m_mutex);
    if (!m_beginPending) return;
    m_beginPending = false;
    m_begun = RunKept("BEGIN") == SQLITE_OK;
}

bool DeviceDb::InOpenTransaction() {
    // Held by this thread (recursively) or free: the depth then tells; held by another: no.
    std::unique_lock lock(m_mutex, std::try_to_lock);
    return lock.owns_lock() && m_depth > 0;
}

uint64_t DeviceDb::OpenTransaction() {
    std::unique_lock lock(m_mutex, std::try_to_lock);
    return lock.owns_lock() && m_depth > 0 ? m_transactions : 0;
}

uint64_t DeviceDb::BusyTimeouts() const {
    return m_busy->timeouts.load(std::memory_order_relaxed);
}

bool DeviceDb::IsFault(int rc) {
    if (IsStorageFault(rc)) {
        g_lastFault = CauseOf(rc, sqlite3_system_errno(m_db));
        return true;
    }
    // A busy answer given without a wait is not: its caller tries again.
    if (!IsBusy(rc) || !m_busy->ranOut) return false;
    m_busy->ranOut = false;
    m_busy->timeouts.fetch_add(1, std::memory_order_relaxed);
    g_lastFault = StorageFault::InUse;
    return true;
}

void DeviceDb::NoteStatementError(int rc) {
    if (!IsFault(rc)) return;
    m_faults.fetch_add(1, std::memory_order_relaxed);
    // Marks the transaction this thread has open (one another thread holds is not its own).
    if (InOpenTransaction()) m_faulted.store(true, std::memory_order_relaxed);
}

void DeviceDb::BeforeCommit(std::function<bool(sqlite3*)> fn) {
    std::lock_guard lock(m_mutex);
    if (m_depth > 0) m_beforeCommit.push_back(std::move(fn));
}

// Runs what was left to run before the commit, inside the transaction still (the services see
// it as open), and forgets it.
bool DeviceDb::RunBeforeCommit() {
    bool ok = true;
    ++m_depth;
    for (size_t i = 0; ok && i < m_beforeCommit.size(); ++i) ok = m_beforeCommit[i](m_db);
    --m_depth;
    m_beforeCommit.clear();
    return ok;
}

bool DeviceDb::Write(const std::function<bool(sqlite3*)>& fn) { return Transaction(true, fn); }

bool DeviceDb::Read(const std::function<bool(sqlite3*)>& fn) { return Transaction(false, fn); }

// Runs one of the transaction statements, kept prepared (a read of a cached store is little
// more than its BEGIN and COMMIT, which would otherwise be parsed every time).
int DeviceDb::RunKept(const char* sql) {
    sqlite3_stmt* stmt = BorrowStatement(sql);
    int rc = SQLITE_OK;
    if (!stmt) {
        rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    } else {
        rc = sqlite3_step(stmt);
        ReturnStatement(stmt);
        if (rc == SQLITE_DONE || rc == SQLITE_ROW) rc = SQLITE_OK;
    }
    if (IsFault(rc)) m_faults.fetch_add(1, std::memory_order_relaxed);
    return rc;
}

bool DeviceDb::Transaction(bool write, const std::function<bool(sqlite3*)>& fn) {
    std::lock_guard lock(m_mutex);
    if (m_depth > 0) {
        // Joined to the transaction already open; its owner commits or rolls back.
        if (write) m_wrote = m_busy->forWrite = true;
        ++m_depth;
        bool ok = fn(m_db);
        --m_depth;
        return ok;
    }
    if (!write) {
        // A read transaction begins at its first statement: a read answered from what the
        // services keep costs no BEGIN and COMMIT.
        m_beginPending = true;
        m_begun = false;
        m_wrote = false;
        m_busy->forWrite = false;
        m_beforeCommit.clear();
        m_faulted = false;
        m_schemasBefore = m_schemas.size();
        ++m_transactions;
        ++m_depth;
        bool ok = fn(m_db);
        --m_depth;
        m_beginPending = false;
        if (!m_begun) {
            m_beforeCommit.clear();
            m_faulted = false;
            return ok;
        }
        m_begun = false;
        if (ok) ok = RunBeforeCommit();
        if (m_faulted.exchange(false)) ok = false;
        m_beforeCommit.clear();
        if (!ok) {
            RunKept("ROLLBACK");
            RolledBack();
            return false;
        }
        if (m_wrote) MoveGeneration();
        if (RunKept("COMMIT") == SQLITE_OK) {
            // A write joined it: readers elsewhere must see the counter move.
            if (m_wrote) MoveGeneration();
            MarkFree(m_wrote);
            return true;
        }
        RunKept("ROLLBACK");
        RolledBack();
        return false;
    }
    // A busy answer that came without a wait (another process was just starting its
    // transaction) is tried again, until the store has been waited for as long as a call waits.
    m_busy->ranOut = false;
    m_busy->forWrite = true;
    const auto deadline = steady_clock::now() + WaitFor(true);
    for (int attempt = 0;; ++attempt) {
        const uint64_t timeouts = BusyTimeouts();
        int rc = RunKept(write ? "BEGIN IMMEDIATE" : "BEGIN");
        if (IsBusy(rc)) {
            if (steady_clock::now() >= deadline || ProcessEndRequested()) {
                // Waited for in vain: a storage fault like any other (RunKept counted it when
                // the wait was SQLite's own).
                if (BusyTimeouts() == timeouts) {
                    m_busy->timeouts.fetch_add(1, std::memory_order_relaxed);
                    m_faults.fetch_add(1, std::memory_order_relaxed);
                }
                if (!ProcessEndRequested()) MarkHeld(true);
                return false;
            }
            usleep(1000 * std::min(attempt + 1, 10));
            continue;
        }
        if (rc != SQLITE_OK) return false;
        m_beforeCommit.clear();
        m_faulted = false;
        m_schemasBefore = m_schemas.size();
        ++m_transactions;
        ++m_depth;
        bool ok = fn(m_db);
        --m_depth;
        if (ok) ok = RunBeforeCommit();
        // A fault anywhere in it undoes all of it, whatever the work said.
        if (m_faulted.exchange(false)) ok = false;
        m_beforeCommit.clear();
        if (!ok) {
            RunKept("ROLLBACK");
            RolledBack();
            return false;
        }
        MoveGeneration();
        rc = RunKept("COMMIT");
        if (rc == SQLITE_OK) {
            // Readers compare the counter before they read, so it moves after the commit.
            MoveGeneration();
            MarkFree(true);
            return true;
        }
        RunKept("ROLLBACK");
        RolledBack();
        if (!IsBusy(rc) || steady_clock::now() >= deadline || ProcessEndRequested()) return false;
    }
}

} // namespace device
