#pragma once
// Temporary folders and fresh device roots for tests.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace testsupport {

// A new empty folder under the system temp folder, removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "jorvana-") {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
        if (char* made = mkdtemp(pattern.data())) m_path = made;
    }
    ~TempFolder() {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace testsupport
