#pragma once
// Storage faults (a full device, an I/O error) met by the program's writes: each failed write
// leaves the old data, and the user hears of it in one message for each action that met one,
// never a silence that reads as success.

#include "platform/base/WinTypes.h"

#include <functional>

// Shows "The device's storage is full or cannot be written!" for the user action under way,
// once however many of its writes failed (ShowCoreMessageOncePerAction).
void ReportStorageFault();

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
