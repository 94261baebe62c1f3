#pragma once
// The lock of a data folder: Access.lok held for writing by one holder at a time, across
// workstations and within one process alike.

#include "result.h"
#include "values.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

inline constexpr const char* kLockFileName = "Access.lok";

// Who holds the lock, as the holder writes it into Access.lok right after taking it: one line
// "host user pid yyyy-mm-dd hh:mm:ss" ending in CR LF, the time being the holder's local time.
// The user name may hold blanks; host, pid and time never do.
struct LockHolder {
    std::string host;
    std::string user;
    long pid = 0;
    DateTime since;

    bool operator==(const LockHolder&) const = default;
};
std::string formatLockHolder(const LockHolder& holder);
std::optional<LockHolder> parseLockHolder(std::string_view line);
// This process, now.
LockHolder currentLockHolder();

// What a waiter for the lock reports to the screens.
struct LockWait {
    std::chrono::milliseconds waited{0};
    // The holder while another still holds the lock and its line reads; never a holder that
    // has let go or died (the lock goes with it).
    std::optional<LockHolder> holder;
    bool done = false; // the wait has ended: the lock was taken, refused or given up
};
using LockWaitObserver = std::function<void(const LockWait&)>;

// One observer for the whole process (an empty function removes it); the screens show the
// busy pointer and, after a while, who holds the lock. It is called on the waiting thread:
// at the first refusal (waited 0), about every 100 ms while the wait lasts, and once with
// `done` at its end. Taking a free lock makes no call.
void setLockWaitObserver(LockWaitObserver observer);

// Holds Access.lok of a data folder for writing; released when destroyed. Several workstations,
// and several holders inside one process, exclude each other. A holder that dies releases it.
class DataLock {
  public:
    // Waits without a time limit while another holder has the lock, sleeping a few
    // milliseconds between tries.
    static Result<DataLock> acquire(const std::string& dataFolder);
    // Gives up after `limit` with ErrorKind::LockBusy, naming the holder when known.
    static Result<DataLock> tryAcquire(const std::string& dataFolder,
                                       std::chrono::milliseconds limit);

    DataLock(DataLock&& other) noexcept;
    DataLock& operator=(DataLock&& other) noexcept;
    DataLock(const DataLock&) = delete;
    DataLock& operator=(const DataLock&) = delete;
    ~DataLock();

    const std::string& dataFolder() const { return folder_; }

  private:
    static Result<DataLock> take(const std::string& dataFolder,
                                 std::optional<std::chrono::milliseconds> limit);
    DataLock(int fd, std::string folder) : fd_(fd), folder_(std::move(folder)) {}
    int fd_ = -1;
    std::string folder_;
};

} // namespace qm
