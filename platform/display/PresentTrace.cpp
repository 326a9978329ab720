// The frame record of DEVICE_PRESENT_LOG: one line per mapped window and per presented frame.

#include "platform/display/PresentTrace.h"

#include "platform/ui/DeviceUi.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string_view>

namespace device::display::trace {

namespace {

std::mutex g_lock;

FILE* Log() {
    static FILE* file = [] {
        const char* path = std::getenv("DEVICE_PRESENT_LOG");
        return path && *path ? std::fopen(path, "a") : nullptr;
    }();
    return file;
}

long long NowMicroseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

} // namespace

bool Enabled() { return Log() != nullptr; }

void NoteMapped() {
    if (!Log()) return;
    std::lock_guard lock(g_lock);
    std::fprintf(Log(), "%lld map\n", NowMicroseconds());
    std::fflush(Log());
}

void NotePresent(const std::vector<RECT>& rects) {
    if (!Log()) return;
    const long long now = NowMicroseconds();
    size_t hash = 0;
    ui::WithFramebuffer([&](const gdi::Bitmap& fb) {
        for (int y = 0; y < fb.Height(); ++y) {
            std::string_view row(reinterpret_cast<const char*>(fb.Row(y)), static_cast<size_t>(fb.Width()) * 4);
            hash = hash * 1000003u ^ std::hash<std::string_view>{}(row);
        }
    });
    long long pixels = 0;
    for (const RECT& r : rects) pixels += static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
    std::lock_guard lock(g_lock);
    std::fprintf(Log(), "%lld present %016zx %zu %lld\n", now, hash, rects.size(), pixels);
    std::fflush(Log());
}

} // namespace device::display::trace
