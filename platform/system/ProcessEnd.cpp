// The process-wide "asked to end" flag that the layer's waits look at.

#include "platform/system/ProcessEnd.h"

#include <atomic>

namespace device {

namespace {
std::atomic<bool> g_endRequested{false};
} // namespace

void RequestProcessEnd() {
    g_endRequested.store(true, std::memory_order_release);
}

bool ProcessEndRequested() {
    return g_endRequested.load(std::memory_order_acquire);
}

} // namespace device
