#include "platform/base/HandleValues.h"

#include <atomic>

namespace device {

uintptr_t AllocateHandleValue() {
    static std::atomic<uintptr_t> next{0x10000};
    return next.fetch_add(4);
}

} // namespace device
