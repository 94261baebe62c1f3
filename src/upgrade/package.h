#pragma once
// The upgrade package: a zip archive, possibly behind a self-extractor stub. Every entry is
// checked before any file of the program folder changes.

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>
#include <zip.h>

namespace upm {

struct PackageLimits {
    std::int64_t maxEntries = 20000;
    std::int64_t maxEntryBytes = std::int64_t{512} << 20;
    std::int64_t maxTotalBytes = std::int64_t{2} << 30;
};

struct PackageEntry {
    zip_uint64_t index = 0;
    std::string path; // relative, "/"-separated, no trailing "/"
    bool directory = false;
    mode_t mode = 0;        // permission bits only
    bool modeGiven = false; // the archive carries a Unix mode for it
    std::int64_t size = 0;
};

// An open package; closes itself.
class Package {
  public:
    Package() = default;
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;
    ~Package();

    // Opens path with the archive's consistency checks.
    bool open(const std::string& path, std::string& why);
    // Checks every entry's name, kind, mode and size; fills entries() on success.
    bool inspect(const PackageLimits& limits, std::string& why);
    const std::vector<PackageEntry>& entries() const { return entries_; }
    // Writes one file entry's bytes to fd, checking its size and CRC.
    bool extract(const PackageEntry& entry, int fd, std::string& why) const;

  private:
    zip_t* zip_ = nullptr;
    std::vector<PackageEntry> entries_;
};

// Why a raw entry name may not be unpacked, or empty when it may. Gives the cleaned path.
std::string refusedName(const std::string& raw, std::string& path, bool& directory);

// The program folder's own working files; a package may not bring any.
inline constexpr const char* kWorkPrefix = ".upmender";

} // namespace upm
