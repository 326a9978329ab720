// Storage faults of the program's writes and their one message per user action.
#include "core/StorageFaults.h"

#include "core/CoreMessages.h"
#include "platform/framework/CeDb.h"
#include "platform/system/DeviceDb.h"
#include "resources/resource.h"

namespace {

bool InsideLargerTransaction() {
    device::DeviceDb* db = device::DeviceDb::Get();
    return db && db->InOpenTransaction();
}

} // namespace

void ReportStorageFault() {
    ShowCoreMessageOncePerAction(IDS_STORAGE_WRITE_FAILED);
}

CStorageWriteWatch::CStorageWriteWatch() : m_faults(CCeDBDatabase::StorageFaultCount()) {}

bool CStorageWriteWatch::Faulted() const {
    return CCeDBDatabase::StorageFaultCount() != m_faults;
}

bool CStorageWriteWatch::Done() {
    const bool faulted = Faulted();
    if (faulted && !InsideLargerTransaction()) ReportStorageFault();
    return faulted;
}

StoreOutcome StoreAllOrNothing(const std::function<bool()>& change) {
    CStorageWriteWatch watch;
    bool refused = false;
    const BOOL committed = CCeDBDatabase::AllOrNothing([&] {
        refused = !change();
        return !refused;
    });
    if (committed) return StoreOutcome::Committed;
    // A change that gave up on its own, with the storage sound, is the caller's to explain;
    // anything else (a fault, no store at all, a commit that failed) is the storage's.
    if (refused && !watch.Faulted()) return StoreOutcome::Refused;
    if (!InsideLargerTransaction()) ReportStorageFault();
    return StoreOutcome::StorageFailed;
}

bool StoreWritesAllOrNothing(const std::function<bool()>& writes) {
    const StoreOutcome outcome = StoreAllOrNothing(writes);
    if (outcome == StoreOutcome::Refused && !InsideLargerTransaction()) ReportStorageFault();
    return outcome == StoreOutcome::Committed;
}
