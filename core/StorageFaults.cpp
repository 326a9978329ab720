#include "core/StorageFaults.h"

#include "core/CoreMessages.h"
#include "platform/framework/CeDb.h"
#include "platform/system/DeviceDb.h"
#include "resources/resource.h"

namespace {

// The device connection the last message was shown on (a new start, or a new device root in
// tests, hears it again); 0 when none is pending.
uint64_t s_reportedOn = 0;

uint64_t ConnectionSerial() {
    device::DeviceDb* db = device::DeviceDb::Get();
    return db ? db->Serial() : ~0ull;
}

bool InsideLargerTransaction() {
    device::DeviceDb* db = device::DeviceDb::Get();
    return db && db->InOpenTransaction();
}

} // namespace

void ReportStorageFault() {
    const uint64_t serial = ConnectionSerial();
    if (s_reportedOn == serial) return;
    s_reportedOn = serial;
    ShowCoreMessage(IDS_STORAGE_WRITE_FAILED);
}

CStorageWriteWatch::CStorageWriteWatch() : m_faults(CCeDBDatabase::StorageFaultCount()) {}

void CStorageWriteWatch::Done(bool succeeded) {
    if (InsideLargerTransaction()) return;
    if (CCeDBDatabase::StorageFaultCount() != m_faults)
        ReportStorageFault();
    else if (succeeded)
        s_reportedOn = 0;
}
