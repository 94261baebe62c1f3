#pragma once
// Reading and changing shared files: the lock, appends, and rewrites through the ".new" file.

#include "result.h"

#include <string>
#include <string_view>

namespace qm {

// Holds Access.lok of a data folder for writing; released when destroyed. Several workstations,
// and several holders inside one process, exclude each other. A holder that dies releases it.
class DataLock {
  public:
    // Waits, retrying at once and without a time limit, while another holder has the lock.
    static Result<DataLock> acquire(const std::string& dataFolder);

    DataLock(DataLock&& other) noexcept;
    DataLock& operator=(DataLock&& other) noexcept;
    DataLock(const DataLock&) = delete;
    DataLock& operator=(const DataLock&) = delete;
    ~DataLock();

    const std::string& dataFolder() const { return folder_; }

  private:
    DataLock(int fd, std::string folder) : fd_(fd), folder_(std::move(folder)) {}
    int fd_ = -1;
    std::string folder_;
};

inline constexpr const char* kLockFileName = "Access.lok";

// The whole file. A missing file gives FileNotFound, a missing folder PathNotFound.
Result<std::string> readWholeFile(const std::string& path);

// A file's bytes mapped read-only, for scans that only look: no copy, no fresh memory to fault
// in. The view stays valid while the object lives; a file changed meanwhile by a rewrite keeps
// the old bytes, since a rewrite renames a new file over the old one.
class MappedFile {
  public:
    static Result<MappedFile> open(const std::string& path);
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    std::string_view bytes() const {
        return data_ ? std::string_view(static_cast<const char*>(data_), size_) : small_;
    }

  private:
    MappedFile(void* data, size_t size) : data_(data), size_(size) {}
    explicit MappedFile(std::string small) : small_(std::move(small)) {}
    void* data_ = nullptr;
    size_t size_ = 0;
    std::string small_; // small files are simply read: mapping costs more than it saves
};

bool fileExists(const std::string& path);
bool folderExists(const std::string& path);

// X's temporary copy: the same name with ".new" in place of its extension.
std::string temporaryPathFor(const std::string& path);

// Adds bytes at the end of path, creating it when missing. Requires the lock of its folder.
Status appendToFile(const DataLock& lock, const std::string& path, std::string_view bytes);

// The same for files changed without the lock (Billing.adr).
Status appendWithoutLock(const std::string& path, std::string_view bytes);

// Replaces path's content: the ".new" file is written and synced, then renamed over path and
// the folder synced, so path is never missing and a crash leaves the old or the new content.
Status rewriteFile(const DataLock& lock, const std::string& path, std::string_view bytes);

// The same replacement for files written without the lock (rate files, config.txt), through a
// temporary file of this writer's own.
Status replaceFileContent(const std::string& path, std::string_view bytes, unsigned mode = 0644);

// Writes bytes to path, creating or truncating it, and syncs it.
Status writeWholeFile(const std::string& path, std::string_view bytes, unsigned mode = 0644);

} // namespace qm
