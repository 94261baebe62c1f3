// The lock and the rewrite with real processes: concurrent appenders, holders that are killed,
// a lock file left on disk, and a rewriter killed at random moments.

#include "child_process.h"
#include "data_check.h"
#include "files.h"
#include "order.h"
#include "workload.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace qm;
using namespace qm::process_test;
using namespace std::chrono_literals;

namespace {

const std::string kWorker = QM_WORKER;
const std::string kChecker = QM_CHECKER;

// Generous: only a hung child or a lock that never frees runs into it.
constexpr auto kLongWait = 60s;
// Long enough for a child that is not held up to start, lock and finish.
constexpr auto kBlockedFor = 300ms;

class TempDataFolder {
  public:
    TempDataFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qm-process-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern + "/";
    }
    ~TempDataFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDataFolder(const TempDataFolder&) = delete;
    TempDataFolder& operator=(const TempDataFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }

  private:
    std::string path_;
};

const std::string kPending = orderFileName(OrderFile::Pending);
const std::string kPendingNew = "Pending.new";

ChildProcess startHolder(const TempDataFolder& folder) {
    ChildProcess holder({kWorker, "hold", folder.path()});
    if (holder.readLine(kLongWait) != "held")
        throw std::runtime_error("the holder did not report holding the lock");
    return holder;
}

// Something that waits for the lock while a test holds it elsewhere.
class Waiter {
  public:
    virtual ~Waiter() = default;
    virtual bool doneWithin(std::chrono::milliseconds timeout) = 0;
    virtual bool succeeded() = 0; // waits for the end
};

// A thread of this process taking the lock, as a second window would.
class ThreadWaiter : public Waiter {
  public:
    explicit ThreadWaiter(const std::string& folder)
        : done_(std::async(std::launch::async,
                           [folder] { return DataLock::acquire(folder).ok(); })) {}
    ~ThreadWaiter() override {
        if (done_.valid())
            done_.wait();
    }
    bool doneWithin(std::chrono::milliseconds timeout) override {
        return done_.wait_for(timeout) == std::future_status::ready;
    }
    bool succeeded() override { return done_.get(); }

  private:
    std::future<bool> done_;
};

// Another workstation appending one order.
class ProcessWaiter : public Waiter {
  public:
    explicit ProcessWaiter(const std::string& folder)
        : child_({kWorker, "append", folder, "99", "1"}) {
        if (child_.readLine(kLongWait) != "ready")
            throw std::runtime_error("the appender did not start");
    }
    bool doneWithin(std::chrono::milliseconds timeout) override {
        return child_.outputEndsWithin(timeout);
    }
    bool succeeded() override { return exitedWith(child_.wait(), 0); }

  private:
    ChildProcess child_;
};

using WaiterFactory = std::function<std::unique_ptr<Waiter>(const std::string& folder)>;

struct WaiterCase {
    const char* name;
    WaiterFactory make;
    std::vector<std::string> ordersAfter; // in Pending.fil once it is done
};

const WaiterCase kWaiters[] = {
    {"thread of this process",
     [](const std::string& f) -> std::unique_ptr<Waiter> {
         return std::make_unique<ThreadWaiter>(f);
     },
     {}},
    {"other process",
     [](const std::string& f) -> std::unique_ptr<Waiter> {
         return std::make_unique<ProcessWaiter>(f);
     },
     {appendedFileNumber(99, 0)}},
};

std::vector<std::string> fileNumbersOf(const std::vector<OrderRecord>& records) {
    std::vector<std::string> out;
    for (const OrderRecord& r : records)
        out.push_back(r.text(OrderField::FileNumber));
    return out;
}

} // namespace

// Within one process each guard has its own open file description, so guards exclude each
// other exactly as workstations do; moving a guard must keep the lock and assigning over it
// must let it go.
TEST(LockInOneProcess, SecondGuardWaitsUntilTheFirstLetsGo) {
    using Step = std::function<void(std::optional<DataLock> & held, const std::string& other)>;
    struct Case {
        const char* name;
        Step keep;    // must not release the lock
        Step release; // must release it
    };
    const Case cases[] = {
        {"destroying the guard", [](auto&, auto&) {}, [](auto& held, auto&) { held.reset(); }},
        {"moving the guard, then destroying the new owner",
         [](auto& held, auto&) {
             DataLock moved = std::move(*held);
             held.reset(); // the moved-from guard goes first
             held.emplace(std::move(moved));
         },
         [](auto& held, auto&) { held.reset(); }},
        {"assigning a guard of another folder over it", [](auto&, auto&) {},
         [](auto& held, const std::string& other) { *held = DataLock::acquire(other).value(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDataFolder folder, other;
        std::optional<DataLock> held;
        {
            auto first = DataLock::acquire(folder.path());
            ASSERT_TRUE(first.ok()) << first.error().describe();
            held.emplace(std::move(first).value());
        }
        ThreadWaiter second(folder.path());
        c.keep(held, other.path());
        // EXPECT, not ASSERT: the waiting thread must be released before the test returns.
        EXPECT_FALSE(second.doneWithin(kBlockedFor)) << "a second guard got the held lock";
        c.release(held, other.path());
        EXPECT_TRUE(second.succeeded());
    }
}

TEST(LockAcrossProcesses, ConcurrentAppendersLoseNoOrder) {
    constexpr int kWorkers = 6;
    constexpr int kOrdersEach = 40;
    TempDataFolder folder;
    createOtherRequiredFiles(folder.path());

    int go[2];
    ASSERT_EQ(::pipe2(go, O_CLOEXEC), 0);
    std::vector<ChildProcess> workers;
    for (int id = 0; id < kWorkers; ++id)
        workers.emplace_back(std::vector<std::string>{kWorker, "append", folder.path(),
                                                      std::to_string(id),
                                                      std::to_string(kOrdersEach)},
                             go[0]);
    ::close(go[0]);
    ::close(go[1]); // every worker starts now
    for (int id = 0; id < kWorkers; ++id)
        EXPECT_TRUE(exitedWith(workers[static_cast<size_t>(id)].wait(), 0)) << "worker " << id;

    auto records = readOrderRecords(folder.path(), OrderFile::Pending);
    ASSERT_TRUE(records.ok()) << records.error().describe();
    EXPECT_EQ(records->size(), static_cast<size_t>(kWorkers * kOrdersEach));

    std::map<std::string, int> seen;
    std::vector<int> nextOfWorker(kWorkers, 0);
    for (const OrderRecord& r : *records) {
        const std::string& number = r.text(OrderField::FileNumber);
        ++seen[number];
        int id = 0, i = 0;
        ASSERT_EQ(std::sscanf(number.c_str(), "W%d-%d", &id, &i), 2) << number;
        ASSERT_TRUE(id >= 0 && id < kWorkers) << number;
        // Each worker's orders stand in the order it appended them.
        EXPECT_EQ(i, nextOfWorker[static_cast<size_t>(id)]++) << number;
        EXPECT_EQ(r.fields(), pendingOrder(number).fields()) << number;
    }
    for (int id = 0; id < kWorkers; ++id)
        for (int i = 0; i < kOrdersEach; ++i)
            EXPECT_EQ(seen[appendedFileNumber(id, i)], 1) << appendedFileNumber(id, i);

    const DataReport report = checkDataFolder(folder.path());
    for (const DataProblem& p : report.problems)
        ADD_FAILURE() << p.describe();
    EXPECT_EQ(report.pendingOrders, static_cast<size_t>(kWorkers * kOrdersEach));
}

TEST(LockAcrossProcesses, KilledHolderDoesNotBlockTheNext) {
    for (const WaiterCase& w : kWaiters) {
        SCOPED_TRACE(w.name);
        TempDataFolder folder;
        ChildProcess holder = startHolder(folder);
        const std::unique_ptr<Waiter> waiter = w.make(folder.path());
        EXPECT_FALSE(waiter->doneWithin(kBlockedFor)) << "the lock was taken while held";
        EXPECT_TRUE(killedBy(holder.kill(), SIGKILL));
        EXPECT_TRUE(waiter->succeeded());
        if (w.ordersAfter.empty()) {
            EXPECT_FALSE(fileExists(folder.file(kPending)));
            continue;
        }
        auto records = readOrderRecords(folder.path(), OrderFile::Pending);
        ASSERT_TRUE(records.ok()) << records.error().describe();
        EXPECT_EQ(fileNumbersOf(*records), w.ordersAfter);
    }
}

// The program starts other programs (the mail program, the word processor) that may outlive
// the command; one started while the lock is held must not keep it.
TEST(LockAcrossProcesses, ProgramStartedUnderTheLockDoesNotKeepIt) {
    TempDataFolder folder, elsewhere;
    std::optional<ChildProcess> lingering;
    {
        auto lock = DataLock::acquire(folder.path());
        ASSERT_TRUE(lock.ok()) << lock.error().describe();
        lingering.emplace(std::vector<std::string>{kWorker, "hold", elsewhere.path()});
        ASSERT_EQ(lingering->readLine(kLongWait), "held");
    }
    ChildProcess appender({kWorker, "append", folder.path(), "5", "1"});
    EXPECT_TRUE(appender.outputEndsWithin(kLongWait)) << "the lock outlived its guard";
    lingering.reset(); // frees the appender if it was held up
    EXPECT_TRUE(exitedWith(appender.wait(), 0));
}

TEST(LockAcrossProcesses, LockFileLeftOnDiskCausesNoDelay) {
    struct Case {
        const char* name;
        std::function<void(const TempDataFolder&)> leave;
    };
    const Case cases[] = {
        {"with content from an earlier run",
         [](const TempDataFolder& f) {
             ASSERT_TRUE(writeWholeFile(f.file(kLockFileName), "WS-07 10:42 clerk2\r\n").ok());
         }},
        {"empty",
         [](const TempDataFolder& f) {
             ASSERT_TRUE(writeWholeFile(f.file(kLockFileName), "").ok());
         }},
        {"by a holder that was killed",
         [](const TempDataFolder& f) {
             ChildProcess holder = startHolder(f);
             holder.kill();
         }},
        {"by a holder that ended normally",
         [](const TempDataFolder& f) {
             ChildProcess appender({kWorker, "append", f.path(), "1", "1"});
             ASSERT_TRUE(exitedWith(appender.wait(), 0));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDataFolder folder;
        c.leave(folder);
        ASSERT_TRUE(fileExists(folder.file(kLockFileName)));
        {
            const auto start = std::chrono::steady_clock::now();
            auto lock = DataLock::acquire(folder.path());
            const auto took = std::chrono::steady_clock::now() - start;
            ASSERT_TRUE(lock.ok()) << lock.error().describe();
            EXPECT_LT(took, 2s);
            // The old content is not kept: the file names the new holder only.
            const auto holder = parseLockHolder(readWholeFile(folder.file(kLockFileName)).value());
            ASSERT_TRUE(holder);
            EXPECT_EQ(holder->pid, ::getpid());
        }
        EXPECT_TRUE(fileExists(folder.file(kLockFileName))) << "the lock file stays after release";
    }
}

// A rewriter killed at any moment leaves Pending.fil whole: the old or the new content, never
// missing, never mixed; what it may leave is its Pending.new, which the checker reports.
TEST(RewriteCrashSafety, KilledRewriterLeavesOldOrNewContent) {
    constexpr int kKills = 40;
    constexpr unsigned kMode = 0640;
    TempDataFolder folder;
    createOtherRequiredFiles(folder.path());
    const std::string a = encodeOrders(rewriteContentA());
    const std::string b = encodeOrders(rewriteContentB());
    ASSERT_GT(b.size(), a.size());
    ASSERT_TRUE(writeWholeFile(folder.file(kPending), a, kMode).ok());
    TempDataFolder sources; // outside the data folder, which the checker reads
    const std::string contentA = sources.file("A.fil"), contentB = sources.file("B.fil");
    ASSERT_TRUE(writeWholeFile(contentA, a).ok());
    ASSERT_TRUE(writeWholeFile(contentB, b).ok());

    std::mt19937 random(20260314);
    // Up to a few rounds of writing, syncing and renaming, so kills fall in every phase.
    std::uniform_int_distribution<int> delayUs(0, 60000);
    int killsLeavingNew = 0;
    size_t rounds = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        // A random first content sometimes rewrites the content already there, and sometimes
        // writes over a Pending.new left holding the other one.
        const bool aFirst = random() % 2 == 0;
        ChildProcess rewriter({kWorker, "rewrite", folder.path(), "1000000",
                               aFirst ? contentA : contentB, aFirst ? contentB : contentA});
        ASSERT_EQ(rewriter.readLine(kLongWait), "start");
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ASSERT_TRUE(killedBy(rewriter.kill(), SIGKILL)) << "the rewriter ended by itself";
        rounds += rewriter.lines().size() - 1;

        auto content = readWholeFile(folder.file(kPending));
        ASSERT_TRUE(content.ok()) << content.error().describe();
        const bool whole = *content == a || *content == b;
        ASSERT_TRUE(whole) << "Pending.fil holds " << content->size() << " bytes, neither A ("
                           << a.size() << ") nor B (" << b.size() << ")";
        struct stat st {};
        ASSERT_EQ(::stat(folder.file(kPending).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, kMode) << "the file's permissions were not kept";
        killsLeavingNew += fileExists(folder.file(kPendingNew));
    }
    std::printf("%d kills, %zu whole rewrites, %d kills left %s\n", kKills, rounds, killsLeavingNew,
                kPendingNew.c_str());
    // Otherwise the test proved nothing: no kill interrupted a rewrite, or none completed.
    EXPECT_GT(killsLeavingNew, 0);
    EXPECT_GT(rounds, 0u);

    const std::string content = readWholeFile(folder.file(kPending)).value();
    const size_t orders = content == a ? rewriteContentA().size() : rewriteContentB().size();
    ChildProcess checker({kChecker, folder.path()});
    const int status = checker.wait();
    std::vector<std::string> expected;
    if (fileExists(folder.file(kPendingNew)))
        expected.push_back(kPendingNew + ": a temporary file was left by an interrupted rewrite");
    const size_t problems = expected.size();
    expected.push_back(std::to_string(orders) + " pending, 0 completed, 0 archived orders; " +
                       std::to_string(problems) + (problems == 1 ? " problem" : " problems"));
    EXPECT_EQ(checker.lines(), expected);
    EXPECT_TRUE(exitedWith(status, problems == 0 ? 0 : 1));
}

// What a waiting window shows: the holder while it holds the lock, by its process id; once the
// holder is killed the wait ends without naming it again.
TEST(LockAcrossProcesses, WaiterNamesALiveHolderOnly) {
    TempDataFolder folder;
    ChildProcess holder = startHolder(folder);
    std::mutex mutex;
    std::vector<LockWait> waits;
    setLockWaitObserver([&](const LockWait& w) {
        const std::lock_guard guard(mutex);
        waits.push_back(w);
    });
    ThreadWaiter waiter(folder.path());
    std::this_thread::sleep_for(kBlockedFor);
    const pid_t holderPid = holder.pid();
    EXPECT_TRUE(killedBy(holder.kill(), SIGKILL));
    EXPECT_TRUE(waiter.succeeded());
    setLockWaitObserver({});
    ASSERT_GE(waits.size(), 2u);
    EXPECT_TRUE(waits.back().done);
    EXPECT_FALSE(waits.back().holder);
    for (size_t i = 0; i + 1 < waits.size(); ++i) {
        ASSERT_TRUE(waits[i].holder) << "report " << i;
        EXPECT_EQ(waits[i].holder->pid, holderPid);
    }
}

// Another user who may write the data folder must be able to take the lock, whoever created
// Access.lok and whatever their umask. Needs root to act as the other user.
TEST(LockAcrossProcesses, EveryUserWhoMayWriteTheFolderMayLock) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run a child as another user";
    constexpr uid_t kOtherUser = 65534; // nobody
    struct Case {
        const char* name;
        mode_t folderMode;
        bool lockFileLeftByOlderVersion; // 0644, as a umask of 022 made it
    };
    const Case cases[] = {{"folder writable by all", 0777, false},
                          {"folder writable by its group", 02770, false},
                          {"a lock file with the owner's umask", 0777, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDataFolder folder;
        ASSERT_EQ(::chown(folder.path().c_str(), 0, kOtherUser), 0);
        ASSERT_EQ(::chmod(folder.path().c_str(), c.folderMode), 0);
        const mode_t umaskBefore = ::umask(022);
        if (c.lockFileLeftByOlderVersion) {
            ASSERT_TRUE(writeWholeFile(folder.file(kLockFileName), "", 0644).ok());
        }
        {
            auto lock = DataLock::acquire(folder.path()); // created, or opened, as root
            ASSERT_TRUE(lock.ok()) << lock.error().describe();
        }
        ::umask(umaskBefore);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0)
                ::_exit(2);
            auto lock = DataLock::tryAcquire(folder.path(), 5000ms);
            if (!lock)
                std::fprintf(stderr, "%s\n", lock.error().describe().c_str());
            ::_exit(lock ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(exitedWith(status, 0)) << "the other user could not take the lock";
    }
}
