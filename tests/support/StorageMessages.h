#pragma once
// How many times the message boxes recorded so far said the device's storage failed.

#include "core/CoreMessages.h"
#include "platform/ui/MessageBox.h"
#include "resources/resource.h"

#include <algorithm>
#include <string>

namespace testsupport {

inline size_t StorageMessagesShown() {
    const std::wstring text = LoadCoreString(IDS_STORAGE_WRITE_FAILED).Str();
    const auto boxes = device::ui::MessageBoxRecords();
    return static_cast<size_t>(std::count_if(boxes.begin(), boxes.end(), [&](const auto& b) { return b.text == text; }));
}

} // namespace testsupport
