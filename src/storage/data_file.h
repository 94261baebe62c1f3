#pragma once
// Opening the files of a shared folder safely: never through a symbolic link, and only plain
// files (a FIFO would hang a reader, a device could feed it without end).

#include "result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace qm {

class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor();

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }
    // Closes now so that a failing close is seen.
    int close();

  private:
    int fd_ = -1;
};

// Opens path with `flags` (O_RDONLY, O_RDWR | O_CREAT, ...) without following a symbolic link
// and without blocking on a FIFO, then requires a plain file. Errors name the file; `what` says
// what was being done ("cannot open the file").
Result<FileDescriptor> openPlainFile(const std::string& path, int flags, unsigned mode,
                                     const char* what);

// The size of an open file.
Result<std::uint64_t> sizeOfFile(int fd, const std::string& path);

// Writes all of bytes (one write() unless the system takes less); false with errno set.
bool writeAll(int fd, std::string_view bytes);

std::string folderOf(const std::string& path);

// Makes a rename in path's folder durable.
Status syncFolder(const std::string& path);

} // namespace qm
