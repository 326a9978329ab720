#pragma once
// Storage faults (a full device, an I/O error) met by the program's writes: each failed write
// leaves the old data, and the user hears of it in one message, not once per write.

#include "platform/base/WinTypes.h"

// Shows "The device's storage is full or cannot be written!" unless it was shown since the last
// write that went through.
void ReportStorageFault();

// Watches one write from its construction to Done: when the storage failed meanwhile, the
// fault is reported; when the write went through, the next fault is reported again. A write
// inside a larger transaction leaves this to the owner of that transaction.
class CStorageWriteWatch {
public:
    CStorageWriteWatch();
    void Done(bool succeeded);

private:
    ULONGLONG m_faults;
};
