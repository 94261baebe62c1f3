#include "data_check_repair.h"

#include "data_check.h"
#include "files.h"
#include "order.h"

#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace qm {

namespace {

// Creates path, failing when anything of that name exists, and writes bytes to it durably.
Status createSideFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return systemError(path, errno, "cannot create the side file");
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : EIO;
            ::close(fd);
            ::unlink(path.c_str());
            return systemError(path, err, "cannot write the side file");
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        ::unlink(path.c_str());
        return systemError(path, err, "cannot sync the side file");
    }
    ::close(fd);
    return okStatus();
}

// A side-file name not yet taken: the stamp, then "-2", "-3"... when a repair in the same second
// already left one.
Result<std::string> createUniqueSideFile(const std::string& folder, const std::string& base,
                                         std::string_view bytes) {
    for (int attempt = 1; attempt < 100; ++attempt) {
        const std::string name = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        Status created = createSideFile(folder + name, bytes);
        if (created)
            return name;
        if (created.error().sysErrno != EEXIST)
            return created.error();
    }
    return Error{ErrorKind::Io, folder + base, 0, "too many side files of this name", EEXIST};
}

} // namespace

std::string MovedBytes::describe() const {
    return file + ": moved " + std::to_string(bytes) + " bytes from record " +
           std::to_string(record) + " (line " + std::to_string(line) + ") to " + sideFile;
}

Result<std::vector<MovedBytes>> moveUnreadableOrderBytes(const std::string& dataFolder,
                                                         const std::string& stamp) {
    auto lock = DataLock::acquire(dataFolder);
    if (!lock)
        return lock.error();
    std::vector<MovedBytes> moved;
    for (OrderFile file : kAllOrderFiles) {
        const std::string name = orderFileName(file);
        auto bytes = readWholeFile(dataFolder + name);
        if (!bytes) {
            if (bytes.error().kind == ErrorKind::FileNotFound)
                continue;
            return bytes.error();
        }
        const RecordScan scan = scanOrderFile(file, *bytes);
        if (scan.unreadable.empty())
            continue;
        // The side file is on disk before the order file loses the bytes.
        auto side = createUniqueSideFile(dataFolder, name + ".torn-" + stamp,
                                         unreadableBytes(*bytes, scan));
        if (!side)
            return side.error();
        if (Status rewritten = rewriteFile(*lock, dataFolder + name, readableBytes(*bytes, scan));
            !rewritten)
            return rewritten.error();
        for (const UnreadableStretch& s : scan.unreadable)
            moved.push_back({name, *side, s.end - s.begin, s.record, s.line});
    }
    return moved;
}

} // namespace qm
