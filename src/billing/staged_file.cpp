#include "staged_file.h"

#include "data_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qm {

namespace {

// A name no other writer uses: several workstations may write into the same folder.
std::string temporaryNameFor(const std::string& finalPath) {
    static std::atomic<unsigned> serial{0};
    char host[64] = "host";
    ::gethostname(host, sizeof host - 1);
    return finalPath + "." + host + "-" + std::to_string(::getpid()) + "-" +
           std::to_string(serial++) + ".tmp";
}

} // namespace

Result<StagedFile> StagedFile::write(const std::string& finalPath, std::string_view bytes) {
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = temporaryNameFor(finalPath);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return systemError(temporary, errno, "cannot create the file");
    }
    if (fd < 0)
        return systemError(temporary, EEXIST, "cannot create the file");

    StagedFile staged(temporary, finalPath);
    const bool written = writeAll(fd, bytes);
    const int err = errno;
    if (!written) {
        ::close(fd);
        return systemError(temporary, err, "cannot write the file");
    }
    if (::fsync(fd) != 0) {
        const int syncErr = errno;
        ::close(fd);
        return systemError(temporary, syncErr, "cannot sync the file");
    }
    if (::close(fd) != 0)
        return systemError(temporary, errno, "cannot close the file");
    return staged;
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : temporary_(std::move(other.temporary_)), final_(std::move(other.final_)),
      committed_(other.committed_) {
    other.temporary_.clear();
}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
    if (this != &other) {
        discard();
        temporary_ = std::move(other.temporary_);
        final_ = std::move(other.final_);
        committed_ = other.committed_;
        other.temporary_.clear();
    }
    return *this;
}

StagedFile::~StagedFile() {
    discard();
}

Status StagedFile::commit() {
    if (committed_)
        return okStatus();
    if (::rename(temporary_.c_str(), final_.c_str()) != 0)
        return systemError(final_, errno, "cannot move the file into place");
    committed_ = true;
    return syncFolder(final_);
}

Status StagedFile::commitWithoutReplacing() {
    if (committed_)
        return okStatus();
    if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, final_.c_str(), RENAME_NOREPLACE) !=
        0) {
        const int err = errno;
        // File systems without the flag: a hard link is refused just the same when the name
        // is taken.
        if (err != EINVAL && err != ENOSYS)
            return systemError(final_, err, "cannot move the file into place");
        if (::link(temporary_.c_str(), final_.c_str()) == 0) {
            ::unlink(temporary_.c_str());
        } else {
            // Shares without hard links: a look just before the rename is the best left.
            struct stat st {};
            if (errno == EEXIST || ::lstat(final_.c_str(), &st) == 0)
                return systemError(final_, EEXIST, "cannot move the file into place");
            if (::rename(temporary_.c_str(), final_.c_str()) != 0)
                return systemError(final_, errno, "cannot move the file into place");
        }
    }
    committed_ = true;
    return syncFolder(final_);
}

void StagedFile::discard() {
    if (!committed_ && !temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

} // namespace qm
