#include "files.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qm {

namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now so that a failing close is seen.
    int close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }

  private:
    int fd_;
};

// The size of a file just opened for reading; a failed open or a folder is an error.
Result<size_t> sizeOfOpenFile(const FileDescriptor& fd, const std::string& path) {
    if (!fd.valid())
        return systemError(path, errno, "cannot open the file");
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return systemError(path, errno, "cannot read the file's size");
    if (S_ISDIR(st.st_mode))
        return Error{ErrorKind::Io, path, 0, "is a folder, not a file", EISDIR};
    return static_cast<size_t>(st.st_size);
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

Status syncFolder(const std::string& path) {
    const std::string folder = folderOf(path);
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid())
        return systemError(folder, errno, "cannot open the folder");
    // Some network file systems refuse to sync a folder; the rename itself has happened.
    if (::fsync(fd.get()) != 0 && errno != EINVAL && errno != EROFS)
        return systemError(folder, errno, "cannot sync the folder");
    return okStatus();
}

} // namespace

Result<DataLock> DataLock::acquire(const std::string& dataFolder) {
    const std::string path = dataFolder + kLockFileName;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return systemError(path, errno, "cannot open the lock file");
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0; // the whole file
    while (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
        const int err = errno;
        if (err == EAGAIN || err == EACCES || err == EINTR) {
            sched_yield(); // held elsewhere: try again at once
            continue;
        }
        ::close(fd);
        return systemError(path, err, "cannot lock the lock file");
    }
    if (::ftruncate(fd, 0) != 0) {
        const int err = errno;
        ::close(fd);
        return systemError(path, err, "cannot empty the lock file");
    }
    return DataLock(fd, dataFolder);
}

DataLock::DataLock(DataLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), folder_(std::move(other.folder_)) {}

DataLock& DataLock::operator=(DataLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        folder_ = std::move(other.folder_);
    }
    return *this;
}

DataLock::~DataLock() {
    if (fd_ >= 0)
        ::close(fd_); // closing the description releases the lock
}

Result<MappedFile> MappedFile::open(const std::string& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    auto fileSize = sizeOfOpenFile(fd, path);
    if (!fileSize)
        return fileSize.error();
    const size_t size = *fileSize;
    constexpr size_t kSmallFile = size_t{4} << 20;
    if (size < kSmallFile) {
        fd.close();
        auto bytes = readWholeFile(path);
        if (!bytes)
            return bytes.error();
        return MappedFile(std::move(bytes).value());
    }
    void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd.get(), 0);
    if (data == MAP_FAILED)
        return systemError(path, errno, "cannot map the file");
    return MappedFile(data, size);
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      small_(std::move(other.small_)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        if (data_)
            ::munmap(data_, size_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        small_ = std::move(other.small_);
    }
    return *this;
}

MappedFile::~MappedFile() {
    if (data_)
        ::munmap(data_, size_);
}

Result<std::string> readWholeFile(const std::string& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    auto size = sizeOfOpenFile(fd, path);
    if (!size)
        return size.error();
    std::string out;
    // One spare byte: read() then reports the end without the buffer growing (and being copied).
    out.resize(*size + 1);
    size_t have = 0;
    for (;;) {
        if (have == out.size())
            out.resize(out.size() + 65536); // the file grew while we read it
        const ssize_t n = ::read(fd.get(), out.data() + have, out.size() - have);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return systemError(path, errno, "cannot read the file");
        }
        if (n == 0)
            break;
        have += static_cast<size_t>(n);
    }
    out.resize(have);
    return out;
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folderExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string temporaryPathFor(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? path.substr(0, dot) : path) + ".new";
}

Status writeWholeFile(const std::string& path, std::string_view bytes, unsigned mode) {
    FileDescriptor fd(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, static_cast<mode_t>(mode)));
    if (!fd.valid())
        return systemError(path, errno, "cannot create the file");
    if (!writeAll(fd.get(), bytes))
        return systemError(path, errno, "cannot write the file");
    if (::fsync(fd.get()) != 0)
        return systemError(path, errno, "cannot sync the file");
    if (fd.close() != 0)
        return systemError(path, errno, "cannot close the file");
    return okStatus();
}

namespace {

// Writes bytes to `temporary`, then renames it over path.
Status replaceThrough(const std::string& temporary, const std::string& path, std::string_view bytes,
                      unsigned mode) {
    if (Status written = writeWholeFile(temporary, bytes, mode); !written)
        return written;
    // The mode is applied again because an older ".new" file keeps its own.
    if (::chmod(temporary.c_str(), static_cast<mode_t>(mode)) != 0)
        return systemError(temporary, errno, "cannot set the file's permissions");
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        return systemError(path, errno, "cannot replace the file");
    return syncFolder(path);
}

} // namespace

Status replaceFileContent(const std::string& path, std::string_view bytes, unsigned mode) {
    // Without the lock two workstations may replace the same file at once: each writes a
    // temporary file of its own, so neither truncates or renames away the other's.
    static std::atomic<unsigned> serial{0};
    char host[64] = "host";
    ::gethostname(host, sizeof host - 1);
    const std::string temporary = path + "." + host + "-" + std::to_string(::getpid()) + "-" +
                                  std::to_string(serial++) + ".new";
    Status replaced = replaceThrough(temporary, path, bytes, mode);
    if (!replaced)
        ::unlink(temporary.c_str());
    return replaced;
}

Status rewriteFile(const DataLock&, const std::string& path, std::string_view bytes) {
    // Keep the permissions the share gave the file.
    struct stat st {};
    const unsigned mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    return replaceThrough(temporaryPathFor(path), path, bytes, mode);
}

Status appendToFile(const DataLock&, const std::string& path, std::string_view bytes) {
    return appendWithoutLock(path, bytes);
}

Status appendWithoutLock(const std::string& path, std::string_view bytes) {
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
    if (!fd.valid())
        return systemError(path, errno, "cannot open the file for appending");
    if (!writeAll(fd.get(), bytes))
        return systemError(path, errno, "cannot append to the file");
    if (::fsync(fd.get()) != 0)
        return systemError(path, errno, "cannot sync the file");
    if (fd.close() != 0)
        return systemError(path, errno, "cannot close the file");
    return okStatus();
}

} // namespace qm
