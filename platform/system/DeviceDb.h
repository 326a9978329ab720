#pragma once
// The process's connection to device.db, shared by every service of the layer (registry,
// object store, notifications, device settings). Several device processes use the file at once:
// it runs in WAL mode, and every service call is one transaction.
//
// A store that another process holds is waited for a few seconds at most, as the device waits
// for a busy store, and not at all once the process is asked to end; a call whose wait ran out
// fails as a storage fault (the store is then in use by another program). A store found held
// for a whole wait is taken as held still: later calls look at it again only for a moment,
// until one gets through, so that however many calls an action makes they wait the one wait
// together (held against readers holds writers too; a read that gets through frees readers only).
//
// Services declare their tables with EnsureSchema (CREATE ... IF NOT EXISTS statements, run once
// per connection) and do their work inside Write or Read. Nested calls join the transaction that
// is already open, so a service may call another from inside its own transaction.
//
// Each service's tables are one part of the store (StorePart), made whole on the service's first
// use. device.db notes in its header (the user version) every part it was ever given, so a part
// whose tables have gone since is told from one never made: the store is damaged, and nothing
// makes the tables afresh over what the user kept in them.

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace device {

// A prepared statement. Statements on the process's device connection are kept prepared between
// uses (keyed by their SQL text) and only reset when the object goes.
class Statement {
public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_stmt != nullptr; }
    Statement& Bind(int index, int64_t value);
    Statement& Bind(int index, std::string_view text);
    Statement& Bind(int index, std::wstring_view text); // stored as UTF-8
    Statement& BindBlob(int index, const void* data, size_t size);
    Statement& BindNull(int index);
    // Steps once: true while a row is available. Errors end the walk (see Error()).
    bool Step();
    // Runs a statement that returns no rows; true on success.
    bool Run();
    void Reset();

    bool IsNull(int col) const;
    int64_t Int(int col) const;
    std::string Text(int col) const;
    std::wstring WText(int col) const;
    std::vector<uint8_t> Blob(int col) const;
    int Error() const { return m_error; }

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_error = SQLITE_OK;
    bool m_borrowed = false;          // from the connection's cache: reset, not finalised
    class DeviceDb* m_conn = nullptr; // the process's device connection, when prepared on it
};

// How long a call waits for a store another process holds. Tests shorten it.
std::chrono::milliseconds BusyStoreWait();
void SetBusyStoreWait(std::chrono::milliseconds wait);
// Called on the waiting thread, once per wait, when a wait for a store another process holds has
// lasted kStoreWaitShownAfter: the screen then shows that the program is waiting (the display
// thread's hook maps the window and draws the wait cursor). Null takes it away.
constexpr std::chrono::milliseconds kStoreWaitShownAfter{200};
void SetStoreWaitHook(void (*hook)());
// How long a call looks at a store found held by an earlier call's whole wait.
constexpr std::chrono::milliseconds kHeldStoreLook{20};
// The store was found held against writers (or readers) by a wait that ran out, and no call of
// that kind has got through since.
bool StoreHeldAgainst(bool write);

// What a storage fault came of, as far as the device can tell.
enum class StorageFault {
    None,
    InUse,    // another program held the store for the whole wait
    Full,     // no room left on the device (or in a file that may grow no further)
    ReadOnly, // the store cannot be written or read: read-only, damaged or not there to be made
};
// The cause of the last storage fault this process met (opening the store included).
StorageFault LastStorageFault();

// The parts of the store: the tables of one service, made together. The values are the bits
// device.db keeps of the parts it was given.
enum class StorePart : uint32_t {
    Registry = 1,      // reg_key, reg_value
    ObjectStore = 2,   // ce_database, ce_record, ce_prop
    Notifications = 4, // ce_notification
    Settings = 8,      // device_setting
};
// The tables of each part, as the services make them.
const std::vector<const char*>& StorePartTables(StorePart part);

class DeviceDb {
public:
    // The connection for this process, opened on first use. Null when device.db cannot be opened
    // or is not a database, or stayed busy for the whole wait (said once on stderr, with its
    // path; the file is left untouched); OpenError then tells which.
    static DeviceDb* Get();
    // The SQLite result of this process's last failed open (SQLITE_BUSY: another process held
    // the store for the whole wait); SQLITE_OK while a connection is open or none was tried.
    static int OpenError();
    // Closes the connection (a new device root, or the end of a test).
    static void Close();

    sqlite3* Handle() const { return m_db; }

    // Runs the statements once per connection. seed, when given, adds the rows the tables start
    // with, and seeded is a query that gives 1 once they are there: where they are (and the
    // tables), nothing is written, so a store held against writers does not hold up a reader.
    bool EnsureSchema(const char* ddl, const char* seed = nullptr, const char* seeded = nullptr);
    // The same for the tables of one part of the store. A part device.db was given once whose
    // tables are gone (or some of them) is damage: nothing is made, the call fails as a storage
    // fault of a damaged store, and the damage is said once on stderr.
    bool EnsureSchema(StorePart part, const char* ddl, const char* seed = nullptr, const char* seeded = nullptr);
    // The tables missing from the parts device.db was given (or holds in part): empty for a
    // whole store, and for a new one. Parts whose tables are all there are noted as given (a
    // device.db made before parts were noted), when the store takes a write.
    std::vector<std::string> MissingTables();
    // Inside a write transaction: notes every part whose tables are all there as given.
    bool NoteWholeParts(sqlite3* db);

    // Runs fn inside one write transaction (BEGIN IMMEDIATE), committing when it returns true
    // and rolling back otherwise; a busy database is waited for, never reported as locked.
    bool Write(const std::function<bool(sqlite3*)>& fn);
    // The same with a read transaction.
    bool Read(const std::function<bool(sqlite3*)>& fn);

    // A number shared by every process of the device root that changes after each committed
    // write, so that a service may keep what it read while the number stays the same. Where the
    // shared counter cannot be had, every call returns a new number (nothing is ever cached).
    uint64_t Generation() const;
    // Tells this connection from every other one the process opened (a new device root gets a
    // new connection whose generation may happen to match the old one's).
    uint64_t Serial() const { return m_serial; }
    // How many transactions this connection rolled back: what a service kept of a transaction
    // that was rolled back no longer holds.
    uint64_t Rollbacks() const { return m_rollbacks.load(std::memory_order_relaxed); }
    // How many storage faults (a full device, an I/O error, a read-only or damaged file) this
    // connection met. A fault inside a transaction undoes the whole of it: every later statement
    // of it fails and its owner rolls it back, so nothing of it is kept, not even the part
    // before the fault.
    uint64_t StorageFaults() const { return m_faults.load(std::memory_order_relaxed); }
    // How many calls gave up waiting for a store another process held (counted among the
    // storage faults too).
    uint64_t BusyTimeouts() const;
    // Statements report their errors here (Statement does it).
    void NoteStatementError(int rc);
    // The transaction open on this connection met a storage fault.
    bool TransactionFaulted() const { return m_faulted.load(std::memory_order_relaxed); }

    // The calling thread has a transaction open on this connection (inside Write or Read).
    bool InOpenTransaction();
    // A number telling the transaction the calling thread has open on this connection from every
    // other transaction of the connection; 0 when it has none open.
    uint64_t OpenTransaction();
    // Runs fn just before the transaction the calling thread has open commits, after all else it
    // did (a service writes there what it kept in memory during the transaction); a false return
    // rolls the transaction back. Dropped, unrun, when the transaction rolls back.
    void BeforeCommit(std::function<bool(sqlite3*)> fn);

    ~DeviceDb();

    // Runs the BEGIN of a read transaction that has not needed one yet (Statement calls it).
    void BeginPendingRead();
    // The cache of prepared statements behind Statement (not for direct use).
    sqlite3_stmt* BorrowStatement(const char* sql);
    void ReturnStatement(sqlite3_stmt* stmt);

    // What the busy handler keeps of the waits of one connection.
    struct BusyWaits {
        std::chrono::steady_clock::time_point since; // the start of the wait under way
        bool ranOut = false;                         // the last wait ended unsatisfied
        bool forWrite = false;                       // the call under way needs the write lock
        bool told = false;                           // the wait under way was handed to the hook
        std::atomic<uint64_t> timeouts{0};
    };

private:
    DeviceDb(sqlite3* db, std::unique_ptr<BusyWaits> busy);
    bool Transaction(bool write, const std::function<bool(sqlite3*)>& fn);
    int RunKept(const char* sql);
    bool RunBeforeCommit();
    void RolledBack();
    void MoveGeneration();
    // A result that says the storage failed: a fault proper, or a busy store waited for in vain.
    // Notes its cause.
    bool IsFault(int rc);

    sqlite3* m_db;
    std::unique_ptr<BusyWaits> m_busy;
    std::atomic<uint64_t>* m_generation = nullptr; // in the shared file device.db-gen
    mutable std::atomic<uint64_t> m_localGeneration{1ull << 63};
    std::recursive_mutex m_mutex;
    int m_depth = 0;
    uint64_t m_transactions = 0; // outermost transactions begun
    std::atomic<uint64_t> m_rollbacks{0};
    std::atomic<uint64_t> m_faults{0};
    std::atomic<bool> m_faulted{false}; // the open transaction met a storage fault
    bool m_beginPending = false;        // a read transaction whose BEGIN waits for its first statement
    bool m_begun = false;               // ... and ran
    bool m_wrote = false;               // a write joined the read transaction open
    uint64_t m_serial = 0;
    std::vector<const char*> m_schemas;
    size_t m_schemasBefore = 0; // how many were known when the open transaction began
    std::vector<std::function<bool(sqlite3*)>> m_beforeCommit; // of the open transaction
    struct CachedStatement {
        const char* key; // the text's address when it was first borrowed
        std::string sql;
        sqlite3_stmt* stmt;
        bool inUse;
    };
    std::vector<CachedStatement> m_statements;
};

} // namespace device
