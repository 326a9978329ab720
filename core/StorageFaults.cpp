// Storage faults of the program's writes: their causes, their messages, one per user action.
#include "core/StorageFaults.h"

#include "core/CoreMessages.h"
#include "platform/base/Utf8.h"
#include "platform/framework/CeDb.h"
#include "platform/framework/WinApp.h"
#include "platform/system/DeviceDb.h"
#include "platform/ui/DeviceProgram.h"
#include "platform/ui/MessageBox.h"
#include "resources/resource.h"

#include <atomic>
#include <cstdio>
#include <set>

namespace {

std::atomic<bool> g_saveFailedAtEnd{false};

bool InsideLargerTransaction() {
    device::DeviceDb* db = device::DeviceDb::Get();
    return db && db->InOpenTransaction();
}

void TellOnTerminal(const CString& text) {
    const CString name = AfxGetAppName() ? CString(AfxGetAppName()) : CString(L"Jorvana");
    std::fprintf(stderr, "%s: %s\n", device::ToUtf8(name.Str()).c_str(), device::ToUtf8(text.Str()).c_str());
}

} // namespace

StorageCause LastStorageCause() {
    switch (device::LastStorageFault()) {
    case device::StorageFault::InUse: return StorageCause::InUse;
    case device::StorageFault::Full: return StorageCause::Full;
    default: return StorageCause::ReadOnly;
    }
}

StorageCause FileFaultCause(DWORD error) {
    switch (error) {
    case ERROR_DISK_FULL: return StorageCause::Full;
    case ERROR_SHARING_VIOLATION: return StorageCause::InUse;
    default: return StorageCause::ReadOnly;
    }
}

UINT StorageMessageId(StorageSituation situation, StorageCause cause) {
    static constexpr UINT kIds[3][3] = {
        // in use, full, read-only or damaged
        {IDS_STORAGE_WRITE_IN_USE, IDS_STORAGE_WRITE_FAILED, IDS_STORAGE_WRITE_READ_ONLY},
        {IDS_STORAGE_IN_USE, IDS_STORAGE_FULL, IDS_STORAGE_READ_ONLY},
        {IDS_FIRST_START_IN_USE, IDS_FIRST_START_NOT_STORED, IDS_FIRST_START_READ_ONLY},
    };
    return kIds[static_cast<int>(situation)][static_cast<int>(cause)];
}

UINT StorageCauseTextId(StorageCause cause) {
    static constexpr UINT kIds[3] = {IDS_STORAGE_CAUSE_IN_USE, IDS_STORAGE_CAUSE_FULL, IDS_STORAGE_CAUSE_READ_ONLY};
    return kIds[static_cast<int>(cause)];
}

void ReportStorageFault() {
    ReportStorageFault(LastStorageCause());
}

void ReportStorageFault(StorageCause cause) {
    const UINT id = StorageMessageId(StorageSituation::NothingSaved, cause);
    if (device::ui::IsProgramEnding()) {
        // Said once however many writes of the close failed.
        static std::set<UINT> told;
        g_saveFailedAtEnd = true;
        if (told.insert(id).second) TellOnTerminal(LoadCoreString(id));
        return;
    }
    ShowCoreMessageOncePerAction(id);
}

void TellSaveFailed(HWND owner, const CString& text, UINT type) {
    if (device::ui::IsProgramEnding()) {
        g_saveFailedAtEnd = true;
        TellOnTerminal(text);
        return;
    }
    MessageBoxW(owner, text, AfxGetAppName(), type);
}

bool SaveFailedAtEnd() {
    return g_saveFailedAtEnd;
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
