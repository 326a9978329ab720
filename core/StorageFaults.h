#pragma once
// Storage faults (a store held by another program, a full device, a read-only or damaged store)
// met by the program's writes: each failed write leaves the old data, and the user hears of it,
// with its cause, in one message for each action that met one, never a silence that reads as
// success; a save that fails while the program ends is told on standard error and the program
// ends with a failure status.

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"

#include <functional>

// What the device's storage failed of, as the user is told it.
enum class StorageCause {
    InUse,    // another program holds the store
    Full,     // no room left
    ReadOnly, // read-only or damaged
};
// The cause of the last fault the device's store met.
StorageCause LastStorageCause();
// The cause of a file operation that failed with that system error code.
StorageCause FileFaultCause(DWORD error);

// Where a fault was met; each has one message for each cause, all of a cause opening with the
// same sentence (StorageCauseText).
enum class StorageSituation {
    NothingSaved,        // a change was refused whole: the data stay as they were
    StartCloses,         // the program cannot start on the store and closes
    FirstStartNotStored, // the first start's home city could not be stored: the program closes
};
UINT StorageMessageId(StorageSituation situation, StorageCause cause);
// The sentence that names the cause ("The device's storage is full!").
UINT StorageCauseTextId(StorageCause cause);

// Shows the message that nothing was saved, for the cause the store met last (or the one given),
// for the user action under way, once however many of its writes failed
// (ShowCoreMessageOncePerAction).
void ReportStorageFault();
void ReportStorageFault(StorageCause cause);

// Tells a save that failed: in a message box, or while the program ends (where no box is
// shown) as "Jorvana: text" on standard error, remembered for the exit status.
void TellSaveFailed(HWND owner, const CString& text, UINT type);
// A save failed while the program was ending.
bool SaveFailedAtEnd();

// Watches writes from its construction on. A write inside a larger transaction leaves the report
// to the owner of that transaction, which knows whether the whole of it was kept.
class CStorageWriteWatch {
public:
    CStorageWriteWatch();
    // The device's storage failed since the watch began.
    bool Faulted() const;
    // Reports the fault, when there was one and no larger transaction is open; returns Faulted().
    bool Done();

private:
    ULONGLONG m_faults;
};

// What became of a change made of several writes.
enum class StoreOutcome {
    Committed,     // all of it is stored
    Refused,       // the change itself gave up (returned false): nothing of it is stored
    StorageFailed, // the storage failed (or the device's store cannot be had): nothing is stored
};

// Runs change as one all-or-nothing change of the device store (registry, databases and
// notifications alike; CCeDBDatabase::AllOrNothing). A storage failure is reported
// (ReportStorageFault); a refusal is left to the caller to explain.
StoreOutcome StoreAllOrNothing(const std::function<bool()>& change);

// StoreAllOrNothing for a change whose only way to fail is a write that failed: a refusal is
// reported as the storage's fault too. True when all of it is stored.
bool StoreWritesAllOrNothing(const std::function<bool()>& writes);
