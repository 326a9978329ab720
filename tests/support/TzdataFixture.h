#pragma once
// Made-up tzdata releases for tests: zone lines of zic's source compiled with the system's zic
// into a temporary zone folder, and TZDIR pointed at such a folder for a while, so that a test
// reads the zones it wrote and never the machine's own tzdata.

#include "support/TempDevice.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace testsupport {

// The zone folder compiled from zic source text (Rule, Zone and Link lines, and a "# version"
// line when the release should name itself); the text is kept in the folder as tzdata.zi, where
// an installed release keeps its links. Null when zic cannot be run or refuses the text.
std::unique_ptr<TempFolder> CompileZones(const std::string& source);

// TZDIR at a folder (unset for an empty path) for the life of the object, then as it was; the
// device's own zone is read again both times, as a program started then would read it.
class ScopedTzdir {
public:
    explicit ScopedTzdir(const std::filesystem::path& folder);
    ~ScopedTzdir();
    ScopedTzdir(const ScopedTzdir&) = delete;
    ScopedTzdir& operator=(const ScopedTzdir&) = delete;

private:
    std::optional<std::string> m_previous;
};

} // namespace testsupport
