// TZDIR set for a test and restored, the device's own zone read again each time (a library of
// its own: it needs the device layer's zone, which not every test program links).
#include "support/TzdataFixture.h"

#include "platform/system/DeviceTime.h"

#include <cstdlib>

namespace testsupport {

ScopedTzdir::ScopedTzdir(const std::filesystem::path& folder) {
    if (const char* now = std::getenv("TZDIR")) m_previous = now;
    if (folder.empty())
        unsetenv("TZDIR");
    else
        setenv("TZDIR", folder.c_str(), 1);
    device::ReloadDeviceZone();
}

ScopedTzdir::~ScopedTzdir() {
    if (m_previous)
        setenv("TZDIR", m_previous->c_str(), 1);
    else
        unsetenv("TZDIR");
    device::ReloadDeviceZone();
}

} // namespace testsupport
