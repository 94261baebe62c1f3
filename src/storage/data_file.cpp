#include "data_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0)
        ::close(fd_);
}

int FileDescriptor::close() {
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc;
}

namespace {

const char* kindOfFile(mode_t mode) {
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a plain file";
}

} // namespace

Result<FileDescriptor> openPlainFile(const std::string& path, int flags, unsigned mode,
                                     const char* what) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused just below.
    FileDescriptor fd(::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                             static_cast<mode_t>(mode)));
    if (!fd.valid()) {
        const int err = errno;
        if (err == ELOOP)
            return Error{ErrorKind::Io, path, 0,
                         "is a symbolic link; the files of the data folder must be plain files",
                         err};
        if (err == ENXIO) // a FIFO without a reader, opened for writing
            return Error{ErrorKind::Io, path, 0, "is a FIFO, not a plain file", err};
        return systemError(path, err, what);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return systemError(path, errno, what);
    if (!S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        return Error{ErrorKind::Io, path, 0,
                     std::string("is ") + kindOfFile(st.st_mode) +
                         (folder ? ", not a file" : ", not a plain file"),
                     folder ? EISDIR : EINVAL};
    }
    const int fileFlags = ::fcntl(fd.get(), F_GETFL);
    if (fileFlags >= 0)
        ::fcntl(fd.get(), F_SETFL, fileFlags & ~O_NONBLOCK);
    return fd;
}

Result<std::uint64_t> sizeOfFile(int fd, const std::string& path) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return systemError(path, errno, "cannot read the file's size");
    return static_cast<std::uint64_t>(st.st_size);
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

} // namespace qm
