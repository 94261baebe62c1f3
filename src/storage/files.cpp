#include "files.h"

#include "data_file.h"
#include "record_tail.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qm {

namespace {

constexpr const char* kRepairAdvice =
    "run quillmark-check --repair to set the incomplete part aside";

// Reads the file from its start to `size` through the tracker.
Status followRecordEnds(int fd, const std::string& path, std::uint64_t size,
                        RecordEndTracker& tracker) {
    std::vector<char> buffer(std::min<std::uint64_t>(size, 1 << 20));
    std::uint64_t at = 0;
    while (at < size) {
        const auto want = static_cast<size_t>(std::min<std::uint64_t>(buffer.size(), size - at));
        const ssize_t n = ::pread(fd, buffer.data(), want, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return systemError(path, errno, "cannot read the file");
        if (n == 0)
            break; // cut short meanwhile: what is there decides
        tracker.feed(std::string_view(buffer.data(), static_cast<size_t>(n)));
        at += static_cast<std::uint64_t>(n);
    }
    return okStatus();
}

Result<bool> endsOnCompleteRecord(int fd, const std::string& path, std::uint64_t size,
                                  RecordLayout layout) {
    if (size == 0)
        return true;
    if (layout == RecordLayout::Lines) {
        char last = 0;
        if (::pread(fd, &last, 1, static_cast<off_t>(size - 1)) != 1)
            return systemError(path, errno, "cannot read the file");
        return last == '\n';
    }
    RecordEndTracker tracker;
    if (Status read = followRecordEnds(fd, path, size, tracker); !read)
        return read.error();
    return tracker.endsOnCompleteRecord();
}

// After a failed append: the file as it was, or an error saying that it is not.
Error cutBack(int fd, const std::string& path, std::uint64_t size, int err, const char* what) {
    Error error = systemError(path, err, what);
    if (::ftruncate(fd, static_cast<off_t>(size)) != 0 || ::fsync(fd) != 0)
        error.message +=
            "; the file may now end in an incomplete record: " + std::string(kRepairAdvice);
    else
        error.message += "; nothing was added";
    return error;
}

// Creates `temporary` afresh: a stale one is removed first, and the new one is created
// exclusively, so that nothing planted under its name (a symbolic link) is written through.
Result<FileDescriptor> createTemporary(const std::string& temporary, unsigned mode) {
    if (::unlink(temporary.c_str()) != 0 && errno != ENOENT)
        return systemError(temporary, errno, "cannot remove the old temporary file");
    FileDescriptor fd(::open(temporary.c_str(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                             static_cast<mode_t>(mode)));
    if (!fd.valid())
        return systemError(temporary, errno, "cannot create the temporary file");
    // The umask took bits away; the replaced file keeps the mode it had.
    if (::fchmod(fd.get(), static_cast<mode_t>(mode)) != 0)
        return systemError(temporary, errno, "cannot set the file's permissions");
    return fd;
}

} // namespace

Result<std::string> readWholeFile(const std::string& path) {
    auto fd = openPlainFile(path, O_RDONLY, 0, "cannot open the file");
    if (!fd)
        return fd.error();
    auto size = sizeOfFile(fd->get(), path);
    if (!size)
        return size.error();
    std::string out;
    // One spare byte: read() then reports the end without the buffer growing (and being copied).
    out.resize(static_cast<size_t>(*size) + 1);
    size_t have = 0;
    for (;;) {
        if (have == out.size())
            out.resize(out.size() + 65536); // the file grew while we read it
        const ssize_t n = ::read(fd->get(), out.data() + have, out.size() - have);
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
    auto fd = openPlainFile(path, O_WRONLY | O_CREAT | O_TRUNC, mode, "cannot create the file");
    if (!fd)
        return fd.error();
    if (!writeAll(fd->get(), bytes))
        return systemError(path, errno, "cannot write the file");
    if (::fsync(fd->get()) != 0)
        return systemError(path, errno, "cannot sync the file");
    if (fd->close() != 0)
        return systemError(path, errno, "cannot close the file");
    return okStatus();
}

namespace {

Status replaceThrough(const std::string& temporary, const std::string& path, unsigned mode,
                      const std::function<Status(int fd)>& write) {
    auto fd = createTemporary(temporary, mode);
    if (!fd)
        return fd.error();
    Status done = write(fd->get());
    if (done && ::fsync(fd->get()) != 0)
        done = systemError(temporary, errno, "cannot sync the file");
    if (done && fd->close() != 0)
        done = systemError(temporary, errno, "cannot close the file");
    if (done && ::rename(temporary.c_str(), path.c_str()) != 0)
        done = systemError(path, errno, "cannot replace the file");
    if (!done) {
        ::unlink(temporary.c_str()); // ours: created exclusively above
        return done;
    }
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
    return replaceThrough(temporary, path, mode, [&](int fd) -> Status {
        if (!writeAll(fd, bytes))
            return systemError(temporary, errno, "cannot write the file");
        return okStatus();
    });
}

namespace {

Result<unsigned> modeForRewrite(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return 0644u; // a new file
    if (!S_ISREG(st.st_mode))
        return Error{ErrorKind::Io, path, 0,
                     S_ISLNK(st.st_mode)
                         ? "is a symbolic link; the files of the data folder must be plain files"
                         : "is not a plain file",
                     EINVAL};
    // Keep the permissions the share gave the file.
    return static_cast<unsigned>(st.st_mode & 07777);
}

} // namespace

Status rewriteFileThrough(const DataLock&, const std::string& path,
                          const std::function<Status(int fd)>& write) {
    auto mode = modeForRewrite(path);
    if (!mode)
        return mode.error();
    return replaceThrough(temporaryPathFor(path), path, *mode, write);
}

Status rewriteFile(const DataLock& lock, const std::string& path, std::string_view bytes) {
    const std::string temporary = temporaryPathFor(path);
    return rewriteFileThrough(lock, path, [&](int fd) -> Status {
        if (!writeAll(fd, bytes))
            return systemError(temporary, errno, "cannot write the file");
        return okStatus();
    });
}

Status appendToFile(const DataLock&, const std::string& path, std::string_view bytes,
                    RecordLayout layout) {
    auto fd = openPlainFile(path, O_RDWR | O_CREAT | O_APPEND, 0666,
                            "cannot open the file for appending");
    if (!fd)
        return fd.error();
    auto size = sizeOfFile(fd->get(), path);
    if (!size)
        return size.error();
    auto complete = endsOnCompleteRecord(fd->get(), path, *size, layout);
    if (!complete)
        return complete.error();
    if (!*complete)
        return Error{ErrorKind::BadRecord, path, 0,
                     "the file does not end on a complete record (a write to it was cut short), "
                     "so nothing was added; " +
                         std::string(kRepairAdvice),
                     0};
    // One write as a rule; only a full disk or a size limit splits it, and then it fails.
    if (!writeAll(fd->get(), bytes))
        return cutBack(fd->get(), path, *size, errno, "cannot append to the file");
    if (::fsync(fd->get()) != 0)
        return cutBack(fd->get(), path, *size, errno, "cannot sync the file");
    return okStatus();
}

Status appendWithoutLock(const std::string& path, std::string_view bytes) {
    auto fd = openPlainFile(path, O_WRONLY | O_CREAT | O_APPEND, 0666,
                            "cannot open the file for appending");
    if (!fd)
        return fd.error();
    if (!writeAll(fd->get(), bytes))
        return systemError(path, errno, "cannot append to the file");
    if (::fsync(fd->get()) != 0)
        return systemError(path, errno, "cannot sync the file");
    if (fd->close() != 0)
        return systemError(path, errno, "cannot close the file");
    return okStatus();
}

} // namespace qm
