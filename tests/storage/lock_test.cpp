// The lock within one process: the holder's line, the bounded wait and what a waiter reports.

#include "files.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <future>
#include <mutex>
#include <optional>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace qm {
namespace {

using namespace std::chrono_literals;
using test::TempFolder;

TEST(LockHolderLine, ReadsBackWhatAHolderWrites) {
    const LockHolder holders[] = {{"WS-07", "clerk2", 4711, {2026, 12, 8, 9, 5, 7}},
                                  {"office", "Mary Ann Lee", 1, {2026, 1, 1, 0, 0, 0}}};
    for (const LockHolder& h : holders) {
        const std::string line = formatLockHolder(h);
        EXPECT_TRUE(line.ends_with("\r\n"));
        EXPECT_EQ(parseLockHolder(line), h) << line;
    }
    EXPECT_EQ(formatLockHolder(holders[0]), "WS-07 clerk2 4711 2026-12-08 09:05:07\r\n");
    const char* unreadable[] = {"",
                                "WS-07",
                                "WS-07 clerk2 4711 2026-12-08",
                                "WS-07 clerk2 x11 2026-12-08 09:05:07",
                                "WS-07 4711 2026-12-08 09:05:07",
                                "WS-07 clerk2 4711 yesterday noon"};
    for (const char* line : unreadable)
        EXPECT_FALSE(parseLockHolder(line)) << line;
}

TEST(Lock, TheHolderNamesItselfInTheLockFile) {
    TempFolder folder;
    test::put(folder.file(kLockFileName), "an old and much longer line from an earlier holder\r\n");
    auto lock = DataLock::acquire(folder.path());
    ASSERT_TRUE(lock);
    const auto holder = parseLockHolder(test::contentOf(folder.file(kLockFileName)));
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->pid, ::getpid());
    EXPECT_EQ(holder->host, currentLockHolder().host);
}

// Records what the waiters of this process report, for the length of a test.
class RecordedWaits {
  public:
    RecordedWaits() {
        setLockWaitObserver([this](const LockWait& wait) {
            const std::lock_guard guard(mutex_);
            waits_.push_back(wait);
        });
    }
    ~RecordedWaits() { setLockWaitObserver({}); }
    std::vector<LockWait> waits() {
        const std::lock_guard guard(mutex_);
        return waits_;
    }

  private:
    std::mutex mutex_;
    std::vector<LockWait> waits_;
};

TEST(Lock, BoundedWaitGivesUpNamingTheHolderAndReportsAsItWaits) {
    TempFolder folder;
    auto held = DataLock::acquire(folder.path());
    ASSERT_TRUE(held);
    RecordedWaits recorded;
    const auto start = std::chrono::steady_clock::now();
    auto second = DataLock::tryAcquire(folder.path(), 350ms);
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_FALSE(second);
    EXPECT_EQ(second.error().kind, ErrorKind::LockBusy);
    EXPECT_NE(second.error().message.find(currentLockHolder().user), std::string::npos);
    EXPECT_GE(took, 350ms);
    EXPECT_LT(took, 2s);

    const auto waits = recorded.waits();
    ASSERT_GE(waits.size(), 4u); // at 0, about every 100 ms, and the end
    EXPECT_EQ(waits.front().waited, 0ms);
    EXPECT_TRUE(waits.back().done);
    for (size_t i = 0; i + 1 < waits.size(); ++i) {
        EXPECT_FALSE(waits[i].done);
        ASSERT_TRUE(waits[i].holder);
        EXPECT_EQ(waits[i].holder->pid, ::getpid());
    }
}

TEST(Lock, AFreeLockIsTakenWithoutReports) {
    TempFolder folder;
    RecordedWaits recorded;
    EXPECT_TRUE(DataLock::tryAcquire(folder.path(), 0ms));
    EXPECT_TRUE(DataLock::acquire(folder.path()));
    EXPECT_TRUE(recorded.waits().empty());
}

// A line left by a holder of this host whose process is gone names nobody, even while the lock
// is held by another that has not written its own line yet.
TEST(Lock, AHolderThatIsGoneIsNeverNamed) {
    TempFolder folder;
    LockHolder gone = currentLockHolder();
    gone.pid = 4194304 + 7; // above any pid the kernel hands out
    test::put(folder.file(kLockFileName), formatLockHolder(gone));
    const int fd = ::open(folder.file(kLockFileName).c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &fl), 0);
    RecordedWaits recorded;
    auto waited = DataLock::tryAcquire(folder.path(), 150ms);
    ::close(fd);
    ASSERT_FALSE(waited);
    EXPECT_EQ(waited.error().message.find(gone.user + " on"), std::string::npos);
    for (const LockWait& w : recorded.waits())
        EXPECT_FALSE(w.holder);
}

// The wait sleeps between tries: a waiter of half a second uses a small part of a core.
TEST(Lock, WaitingUsesLittleProcessorTime) {
    TempFolder folder;
    std::optional<DataLock> held(DataLock::acquire(folder.path()).value());
    auto waiter = std::async(std::launch::async, [&] {
        rusage before{}, after{};
        ::getrusage(RUSAGE_THREAD, &before);
        const bool ok = DataLock::acquire(folder.path()).ok();
        ::getrusage(RUSAGE_THREAD, &after);
        auto micros = [](const rusage& r) {
            return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000000L + r.ru_utime.tv_usec +
                   r.ru_stime.tv_usec;
        };
        return std::make_pair(ok, micros(after) - micros(before));
    });
    std::this_thread::sleep_for(500ms);
    held.reset();
    const auto [ok, cpuMicros] = waiter.get();
    EXPECT_TRUE(ok);
    EXPECT_LT(cpuMicros, 100000) << "the waiter spun";
}

} // namespace
} // namespace qm
