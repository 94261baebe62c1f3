#include "data_lock.h"

#include "data_file.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace qm {

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr milliseconds kFirstPause{1};
constexpr milliseconds kLongestPause{5};
constexpr milliseconds kReportEvery{100};

std::mutex observerMutex;
LockWaitObserver observerOfProcess;

void report(const LockWait& wait) {
    LockWaitObserver observer;
    {
        const std::lock_guard guard(observerMutex);
        observer = observerOfProcess;
    }
    if (observer)
        observer(wait);
}

bool hasObserver() {
    const std::lock_guard guard(observerMutex);
    return static_cast<bool>(observerOfProcess);
}

std::string hostName() {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0')
        return "host";
    std::string out = host;
    for (char& c : out)
        if (c == ' ' || c == '\r' || c == '\n')
            c = '-';
    return out;
}

std::string userName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_name && found->pw_name[0] != '\0')
        return found->pw_name;
    return "uid" + std::to_string(::geteuid());
}

DateTime localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    ::localtime_r(&now, &t);
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

// Everyone who may write the folder must be able to open the lock for writing, whatever the
// umask of the user who happened to create it.
mode_t lockModeFor(const std::string& folder) {
    struct stat st {};
    mode_t mode = 0600;
    if (::stat(folder.c_str(), &st) == 0) {
        if (st.st_mode & S_IWGRP)
            mode |= 0060;
        if (st.st_mode & S_IWOTH)
            mode |= 0006;
    }
    return mode;
}

Result<FileDescriptor> openLockFile(const std::string& folder, const std::string& path) {
    auto fd = openPlainFile(path, O_RDWR | O_CREAT, 0666, "cannot open the lock file");
    if (!fd) {
        Error error = fd.error();
        if (error.sysErrno == EACCES)
            error.message += "; every user of the data folder needs write access to it "
                             "(its owner can allow it, for example with chmod a+rw)";
        return error;
    }
    struct stat st {};
    const mode_t wanted = lockModeFor(folder);
    // Only the owner may change the mode; the bits are only ever added.
    if (::fstat(fd->get(), &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & wanted) != wanted)
        ::fchmod(fd->get(), (st.st_mode & 07777) | wanted);
    return fd;
}

bool tryLock(int fd, int& err) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0; // the whole file
    if (::fcntl(fd, F_OFD_SETLK, &fl) == 0)
        return true;
    err = errno;
    return false;
}

bool heldByAnother(int fd) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_GETLK, &fl) != 0)
        return true; // cannot tell: the line decides
    return fl.l_type != F_UNLCK;
}

// The holder named in the file, while the lock is still held. A holder on this host whose
// process is gone is not named either.
std::optional<LockHolder> holderOf(int fd) {
    char buffer[512];
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
    if (n <= 0)
        return std::nullopt;
    auto holder = parseLockHolder(std::string_view(buffer, static_cast<size_t>(n)));
    if (!holder || !heldByAnother(fd))
        return std::nullopt;
    if (holder->host == hostName() && ::kill(static_cast<pid_t>(holder->pid), 0) != 0 &&
        errno == ESRCH)
        return std::nullopt;
    return holder;
}

// The line is written over the old one and the rest cut off, so the file always holds one
// whole line.
void writeHolderLine(int fd) {
    const std::string line = formatLockHolder(currentLockHolder());
    if (::pwrite(fd, line.data(), line.size(), 0) == static_cast<ssize_t>(line.size()))
        (void)::ftruncate(fd, static_cast<off_t>(line.size()));
    else
        (void)::ftruncate(fd, 0);
}

std::string busyMessage(const std::optional<LockHolder>& holder) {
    if (!holder)
        return "the data folder is locked by another workstation";
    char since[16];
    std::snprintf(since, sizeof since, "%02d:%02d:%02d", holder->since.hour % 100,
                  holder->since.minute % 100, holder->since.second % 100);
    return "the data folder is locked by " + holder->user + " on " + holder->host + " since " +
           since;
}

} // namespace

std::string formatLockHolder(const LockHolder& holder) {
    return holder.host + " " + holder.user + " " + std::to_string(holder.pid) + " " +
           formatIsoDateTime(holder.since) + "\r\n";
}

std::optional<LockHolder> parseLockHolder(std::string_view line) {
    const auto end = line.find_first_of("\r\n");
    if (end != std::string_view::npos)
        line = line.substr(0, end);
    // host, then the user (blanks allowed), then pid, date and time from the end.
    const auto hostEnd = line.find(' ');
    const auto timeStart = line.rfind(' ');
    if (hostEnd == std::string_view::npos || hostEnd == 0 || timeStart == hostEnd)
        return std::nullopt;
    const auto dateStart = line.rfind(' ', timeStart - 1);
    if (dateStart == std::string_view::npos || dateStart <= hostEnd)
        return std::nullopt;
    const auto pidStart = line.rfind(' ', dateStart - 1);
    if (pidStart == std::string_view::npos || pidStart <= hostEnd)
        return std::nullopt;
    LockHolder holder;
    holder.host = std::string(line.substr(0, hostEnd));
    holder.user = std::string(line.substr(hostEnd + 1, pidStart - hostEnd - 1));
    const std::string_view pid = line.substr(pidStart + 1, dateStart - pidStart - 1);
    if (holder.user.empty() || pid.empty() || pid.size() > 18)
        return std::nullopt;
    for (char c : pid) {
        if (c < '0' || c > '9')
            return std::nullopt;
        holder.pid = holder.pid * 10 + (c - '0');
    }
    const auto since = parseDateLiteral(line.substr(dateStart + 1));
    if (!since || line.substr(dateStart + 1).size() != 19)
        return std::nullopt;
    holder.since = *since;
    return holder;
}

LockHolder currentLockHolder() {
    return {hostName(), userName(), static_cast<long>(::getpid()), localNow()};
}

void setLockWaitObserver(LockWaitObserver observer) {
    const std::lock_guard guard(observerMutex);
    observerOfProcess = std::move(observer);
}

Result<DataLock> DataLock::acquire(const std::string& dataFolder) {
    return take(dataFolder, std::nullopt);
}

Result<DataLock> DataLock::tryAcquire(const std::string& dataFolder, milliseconds limit) {
    return take(dataFolder, limit);
}

Result<DataLock> DataLock::take(const std::string& dataFolder, std::optional<milliseconds> limit) {
    const std::string path = dataFolder + kLockFileName;
    auto fd = openLockFile(dataFolder, path);
    if (!fd)
        return fd.error();
    const auto start = Clock::now();
    auto nextReport = start;
    bool reported = false;
    milliseconds pause = kFirstPause;
    int err = 0;
    while (!tryLock(fd->get(), err)) {
        if (err != EAGAIN && err != EACCES && err != EINTR) {
            if (reported)
                report({std::chrono::duration_cast<milliseconds>(Clock::now() - start), {}, true});
            return systemError(path, err, "cannot lock the lock file");
        }
        const auto now = Clock::now();
        const auto waited = std::chrono::duration_cast<milliseconds>(now - start);
        if (limit && waited >= *limit) {
            const auto holder = holderOf(fd->get());
            if (reported)
                report({waited, holder, true});
            return Error{ErrorKind::LockBusy, path, 0, busyMessage(holder), EAGAIN};
        }
        if (now >= nextReport && hasObserver()) {
            report({waited, holderOf(fd->get()), false});
            reported = true;
            nextReport = now + kReportEvery;
        }
        auto sleepFor = pause;
        if (limit)
            sleepFor = std::min(sleepFor, *limit - waited);
        std::this_thread::sleep_for(sleepFor);
        pause = std::min(pause + kFirstPause, kLongestPause);
    }
    writeHolderLine(fd->get());
    if (reported)
        report({std::chrono::duration_cast<milliseconds>(Clock::now() - start), {}, true});
    return DataLock(fd->release(), dataFolder);
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

} // namespace qm
