#pragma once
// Temporary folders and fixture files for the storage tests.

#include "files.h"

#include <filesystem>
#include <string>

namespace qm::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qm-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern + "/" : std::string();
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Ends with "/".
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }

  private:
    std::string path_;
};

inline std::string fixture(const std::string& name) {
    auto bytes = readWholeFile(std::string(QM_FIXTURES) + name);
    return bytes ? bytes.value() : std::string();
}

inline void put(const std::string& path, const std::string& bytes) {
    (void)writeWholeFile(path, bytes);
}

inline std::string contentOf(const std::string& path) {
    auto bytes = readWholeFile(path);
    return bytes ? bytes.value() : std::string("<missing>");
}

} // namespace qm::test
