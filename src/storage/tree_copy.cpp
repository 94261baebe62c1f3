#include "tree_copy.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr size_t kChunk = 4u << 20;
// Modes are kept, but never a set-id bit on a copy.
constexpr mode_t kKeptModeBits = S_IRWXU | S_IRWXG | S_IRWXO | S_ISVTX;

FileIdentity identityOfStat(const struct stat& st) {
    return {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
}

bool vanished(int err) {
    return err == ENOENT || err == ENOTDIR;
}

std::string withSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    return path;
}

std::vector<std::string> entriesOf(DIR* dir) {
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

std::optional<FileIdentity> identityOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return std::nullopt;
    return identityOfStat(st);
}

// ---- PinnedFiles

PinnedFiles::PinnedFiles(PinnedFiles&& other) noexcept : files_(std::move(other.files_)) {
    other.files_.clear();
}

PinnedFiles& PinnedFiles::operator=(PinnedFiles&& other) noexcept {
    std::swap(files_, other.files_);
    return *this;
}

PinnedFiles::~PinnedFiles() {
    for (const File& file : files_)
        ::close(file.fd);
}

Result<PinnedFiles> PinnedFiles::pin(const std::string& folder,
                                     const std::vector<std::string>& names) {
    PinnedFiles pinned;
    for (const std::string& name : names) {
        const std::string path = folder + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            if (errno == ENOENT)
                continue;
            return systemError(path, errno, "cannot open the file");
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            const int err = S_ISREG(st.st_mode) ? errno : EINVAL;
            ::close(fd);
            return systemError(path, err, "is not a regular file");
        }
        pinned.files_.push_back({name, fd, static_cast<long long>(st.st_size)});
    }
    return pinned;
}

// ---- SlicedTreeCopy

struct SlicedTreeCopy::State {
    struct Item {
        enum class Kind { Entry, Pinned, FinishFolder } kind;
        std::string source, destination;
        size_t pinned = 0;
        struct stat folder {}; // FinishFolder: the source folder's mode and times
        bool top = false;
    };
    struct Copying {
        int from = -1, to = -1;
        bool ownsFrom = false;
        long long offset = 0, size = 0;
        struct stat st {};
        std::string source, destination;
        bool plainCopy = false;
        long long flushed = -1; // once copied: how much is known to be on disk
    };

    std::string source, destination;
    PinnedFiles pinned;
    std::vector<FileIdentity> excluded;
    std::vector<std::string> skipped;
    std::vector<Item> work;
    std::optional<Copying> copying;
    std::vector<char> buffer;
    bool started = false;

    ~State() { abandonFile(); }

    void abandonFile() {
        if (!copying)
            return;
        if (copying->ownsFrom)
            ::close(copying->from);
        if (copying->to >= 0)
            ::close(copying->to);
        copying.reset();
    }

    bool isExcluded(const struct stat& st) const {
        return std::find(excluded.begin(), excluded.end(), identityOfStat(st)) != excluded.end();
    }

    Status enterFolder(const std::string& from, const std::string& to, const struct stat& st,
                       bool top) {
        DIR* dir = ::opendir(from.c_str());
        if (!dir) {
            if (!top && vanished(errno))
                return okStatus();
            return Error{top && vanished(errno) ? ErrorKind::PathNotFound : ErrorKind::Io, from, 0,
                         std::string("cannot read the folder: ") + std::strerror(errno), errno};
        }
        std::vector<std::string> names = entriesOf(dir);
        ::closedir(dir);
        if (::mkdir(to.c_str(), S_IRWXU) != 0)
            return systemError(to, errno, "cannot create the folder");
        work.push_back({Item::Kind::FinishFolder, from, to, 0, st, top});
        const std::string fromFolder = withSlash(from), toFolder = withSlash(to);
        for (auto name = names.rbegin(); name != names.rend(); ++name) {
            if (top && (std::find(skipped.begin(), skipped.end(), *name) != skipped.end() ||
                        std::any_of(pinned.files().begin(), pinned.files().end(),
                                    [&](const PinnedFiles::File& f) { return f.name == *name; })))
                continue;
            work.push_back({Item::Kind::Entry, fromFolder + *name, toFolder + *name, 0, {}, false});
        }
        if (top) {
            for (size_t i = pinned.files().size(); i-- > 0;)
                work.push_back(
                    {Item::Kind::Pinned, {}, toFolder + pinned.files()[i].name, i, {}, false});
        }
        return okStatus();
    }

    Status startFile(int from, bool ownsFrom, long long size, const struct stat& st,
                     const std::string& from_path, const std::string& to) {
        const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                              S_IRUSR | S_IWUSR);
        if (fd < 0) {
            const int err = errno;
            if (ownsFrom)
                ::close(from);
            return systemError(to, err, "cannot create the file");
        }
        copying = Copying{from, fd, ownsFrom, 0, size, st, from_path, to, false};
        return okStatus();
    }

    Status copyEntry(const Item& item) {
        struct stat st {};
        if (::lstat(item.source.c_str(), &st) != 0) {
            if (vanished(errno))
                return okStatus();
            return systemError(item.source, errno, "cannot look at the file");
        }
        if (S_ISDIR(st.st_mode))
            return isExcluded(st) ? okStatus()
                                  : enterFolder(item.source, item.destination, st, false);
        if (S_ISLNK(st.st_mode)) {
            std::string target(static_cast<size_t>(st.st_size) + 1, '\0');
            const ssize_t n = ::readlink(item.source.c_str(), target.data(), target.size());
            if (n < 0)
                return vanished(errno) ? okStatus()
                                       : systemError(item.source, errno, "cannot read the link");
            target.resize(static_cast<size_t>(n));
            if (::symlink(target.c_str(), item.destination.c_str()) != 0)
                return systemError(item.destination, errno, "cannot create the link");
            return okStatus();
        }
        if (!S_ISREG(st.st_mode))
            return okStatus(); // pipes, sockets and devices hold no data to keep
        const int fd = ::open(item.source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return vanished(errno) || errno == ELOOP
                       ? okStatus()
                       : systemError(item.source, errno, "cannot open the file");
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return okStatus(); // replaced by something else since it was looked at
        }
        return startFile(fd, true, static_cast<long long>(st.st_size), st, item.source,
                         item.destination);
    }

    Status finishFolder(const Item& item) {
        const int fd = ::open(item.destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return systemError(item.destination, errno, "cannot open the folder");
        const timespec times[2] = {item.folder.st_atim, item.folder.st_mtim};
        const bool ok = ::fsync(fd) == 0 && ::futimens(fd, times) == 0 &&
                        ::fchmod(fd, item.folder.st_mode & kKeptModeBits) == 0;
        const int err = errno;
        ::close(fd);
        return ok ? okStatus() : systemError(item.destination, err, "cannot complete the folder");
    }

    // Waits for one chunk of the copy to reach the disk, so the closing sync has little left
    // and no single slice waits for a whole large file.
    void flushChunk() {
        Copying& c = *copying;
        const long long length = std::min<long long>(kChunk, c.offset - c.flushed);
        ::sync_file_range(c.to, static_cast<off_t>(c.flushed), length,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                              SYNC_FILE_RANGE_WAIT_AFTER);
        c.flushed += length;
    }

    // Copies one chunk of the current file; closes it when done.
    Status copyChunk() {
        Copying& c = *copying;
        if (c.flushed >= 0 && c.flushed < c.offset) {
            flushChunk();
            return okStatus();
        }
        const long long left = c.size - c.offset;
        ssize_t n = 0;
        if (left > 0 && !c.plainCopy) {
            off_t in = static_cast<off_t>(c.offset);
            n = ::copy_file_range(c.from, &in, c.to, nullptr,
                                  std::min<size_t>(kChunk, static_cast<size_t>(left)), 0);
            if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                          errno == EOPNOTSUPP || errno == EPERM)) {
                c.plainCopy = true;
                return okStatus();
            }
        } else if (left > 0) {
            if (buffer.empty())
                buffer.resize(1u << 20);
            n = ::pread(c.from, buffer.data(),
                        std::min<size_t>(buffer.size(), static_cast<size_t>(left)),
                        static_cast<off_t>(c.offset));
            for (ssize_t written = 0; n > 0 && written < n;) {
                const ssize_t w =
                    ::write(c.to, buffer.data() + written, static_cast<size_t>(n - written));
                if (w < 0)
                    return systemError(c.destination, errno, "cannot write the copy");
                written += w;
            }
        }
        if (n < 0)
            return systemError(c.source, errno, "cannot copy the file");
        // Writing back starts now, so the sync at the end does not hold up one slice for long.
        if (n > 0)
            ::sync_file_range(c.to, static_cast<off_t>(c.offset), n, SYNC_FILE_RANGE_WRITE);
        c.offset += n;
        // The file system records the new blocks in steps too, not all in the closing sync.
        if (n > 0 && c.offset % (8 * static_cast<long long>(kChunk)) == 0)
            ::fdatasync(c.to);
        if (n > 0 && c.offset < c.size)
            return okStatus();
        if (c.flushed < 0) {
            c.flushed = 0;
            return okStatus();
        }
        // Done, or the file was cut short meanwhile: the copy holds what there was.
        const timespec times[2] = {c.st.st_atim, c.st.st_mtim};
        const bool ok = ::fchmod(c.to, c.st.st_mode & kKeptModeBits) == 0 &&
                        ::futimens(c.to, times) == 0 && ::fsync(c.to) == 0;
        const int err = errno;
        const int closed = ::close(c.to);
        c.to = -1;
        const std::string copied = c.destination;
        abandonFile();
        if (!ok || closed != 0)
            return systemError(copied, ok ? errno : err, "cannot complete the copy");
        return okStatus();
    }

    Status next() {
        if (copying)
            return copyChunk();
        Item item = std::move(work.back());
        work.pop_back();
        switch (item.kind) {
        case Item::Kind::Entry:
            return copyEntry(item);
        case Item::Kind::FinishFolder:
            return finishFolder(item);
        case Item::Kind::Pinned: {
            const PinnedFiles::File& file = pinned.files()[item.pinned];
            struct stat st {};
            if (::fstat(file.fd, &st) != 0)
                return systemError(file.name, errno, "cannot look at the file");
            return startFile(file.fd, false, file.size, st, file.name, item.destination);
        }
        }
        return okStatus();
    }
};

SlicedTreeCopy::SlicedTreeCopy(std::string source, std::string destination, PinnedFiles pinned,
                               std::vector<FileIdentity> excluded,
                               std::vector<std::string> skippedNames)
    : state_(std::make_unique<State>()) {
    state_->source = std::move(source);
    state_->destination = std::move(destination);
    state_->pinned = std::move(pinned);
    state_->excluded = std::move(excluded);
    state_->skipped = std::move(skippedNames);
}

SlicedTreeCopy::~SlicedTreeCopy() = default;

Result<bool> SlicedTreeCopy::step(SliceDeadline deadline) {
    State& s = *state_;
    if (!s.started) {
        s.started = true;
        std::string from = s.source;
        while (from.size() > 1 && from.back() == '/')
            from.pop_back();
        struct stat st {};
        if (::stat(from.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return Error{ErrorKind::PathNotFound, s.source, 0, "the folder does not exist", ENOENT};
        if (Status entered = s.enterFolder(from, s.destination, st, true); !entered)
            return entered.error();
    }
    while (s.copying || !s.work.empty()) {
        if (Status done = s.next(); !done) {
            s.abandonFile();
            s.work.clear();
            return done.error();
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
    }
    return !s.copying && s.work.empty();
}

// ---- SlicedTreeRemoval

struct SlicedTreeRemoval::State {
    struct Level {
        std::string path;
        DIR* dir = nullptr;
        bool rewound = false;
    };
    std::string folder;
    std::vector<Level> levels;
    bool started = false, done = false;

    ~State() {
        if (shrinking)
            ::close(shrinking->fd);
        for (Level& level : levels)
            ::closedir(level.dir);
    }

    Status open(const std::string& path) {
        DIR* dir = ::opendir(path.c_str());
        if (!dir && errno == EACCES && ::chmod(path.c_str(), S_IRWXU) == 0)
            dir = ::opendir(path.c_str());
        if (!dir)
            return systemError(path, errno, "cannot read the folder to remove it");
        levels.push_back({path, dir, false});
        return okStatus();
    }

    // A large file is cut down a step at a time before it goes: freeing all its blocks at
    // once can take longer than a slice.
    struct Shrinking {
        int fd = -1;
        long long size = 0;
        int dirFd = -1;
        std::string name;
    };
    std::optional<Shrinking> shrinking;
    static constexpr long long kShrinkStep = 64ll << 20;

    Status shrinkStep() {
        Shrinking& s = *shrinking;
        s.size = std::max(0ll, s.size - kShrinkStep);
        if (s.size > 0 && ::ftruncate(s.fd, static_cast<off_t>(s.size)) == 0)
            return okStatus();
        ::close(s.fd);
        const int dirFd = s.dirFd;
        const std::string name = s.name;
        shrinking.reset();
        if (::unlinkat(dirFd, name.c_str(), 0) == 0 || errno == ENOENT)
            return okStatus();
        return systemError(name, errno, "cannot remove the file");
    }

    Status removeEntry(Level& level, const std::string& name) {
        const int dirFd = ::dirfd(level.dir);
        struct stat st {};
        if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_size > kShrinkStep) {
            const int fd = ::openat(dirFd, name.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
            if (fd >= 0) {
                shrinking = Shrinking{fd, static_cast<long long>(st.st_size), dirFd, name};
                return okStatus();
            }
        }
        if (::unlinkat(dirFd, name.c_str(), 0) == 0 || errno == ENOENT)
            return okStatus();
        if (errno == EACCES && ::fchmod(dirFd, S_IRWXU) == 0 &&
            ::unlinkat(dirFd, name.c_str(), 0) == 0)
            return okStatus();
        if (errno == EISDIR || errno == EPERM) {
            ::fchmod(dirFd, S_IRWXU);
            return open(withSlash(level.path) + name);
        }
        return systemError(withSlash(level.path) + name, errno, "cannot remove the file");
    }

    Status next() {
        if (shrinking)
            return shrinkStep();
        Level& level = levels.back();
        if (const dirent* entry = ::readdir(level.dir)) {
            const std::string name = entry->d_name;
            return name == "." || name == ".." ? okStatus() : removeEntry(level, name);
        }
        if (::rmdir(level.path.c_str()) != 0) {
            if (errno == ENOTEMPTY && !level.rewound) {
                level.rewound = true;
                ::rewinddir(level.dir);
                return okStatus();
            }
            return systemError(level.path, errno, "cannot remove the folder");
        }
        ::closedir(level.dir);
        levels.pop_back();
        if (!levels.empty())
            levels.back().rewound = false;
        return okStatus();
    }
};

SlicedTreeRemoval::SlicedTreeRemoval(std::string folder) : state_(std::make_unique<State>()) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    state_->folder = std::move(folder);
}

SlicedTreeRemoval::~SlicedTreeRemoval() = default;

Result<bool> SlicedTreeRemoval::step(SliceDeadline deadline) {
    State& s = *state_;
    if (s.done)
        return true;
    if (!s.started) {
        s.started = true;
        struct stat st {};
        if (::lstat(s.folder.c_str(), &st) != 0) {
            if (errno != ENOENT)
                return systemError(s.folder, errno, "cannot look at the folder");
            s.done = true;
            return true;
        }
        if (!S_ISDIR(st.st_mode)) {
            if (::unlink(s.folder.c_str()) != 0)
                return systemError(s.folder, errno, "cannot remove the file");
            s.done = true;
            return true;
        }
        if (Status opened = s.open(s.folder); !opened)
            return opened.error();
    }
    while (!s.levels.empty()) {
        if (Status removed = s.next(); !removed)
            return removed.error();
        if (std::chrono::steady_clock::now() >= deadline)
            break;
    }
    s.done = s.levels.empty();
    return s.done;
}

// ---- single files

Status copyFileSynced(const std::string& source, const std::string& destination) {
    const int from = ::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (from < 0)
        return errno == ENOENT ? okStatus() : systemError(source, errno, "cannot open the file");
    struct stat st {};
    if (::fstat(from, &st) != 0) {
        const int err = errno;
        ::close(from);
        return systemError(source, err, "cannot look at the file");
    }
    SlicedTreeCopy::State state; // one file copied with the same steps as a folder's
    if (Status started = state.startFile(from, true, static_cast<long long>(st.st_size), st, source,
                                         destination);
        !started)
        return started;
    while (state.copying) {
        if (Status copied = state.copyChunk(); !copied)
            return copied;
    }
    return okStatus();
}

} // namespace qm
