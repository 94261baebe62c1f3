// BILL and CLOSE run by real processes: two workstations on one order at once, and a process
// killed after each step that reached the disk, then the same command run again.

#include "child_process.h"
#include "data_check.h"
#include "data_lock.h"
#include "files.h"
#include "order.h"
#include "workload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <unistd.h>

using namespace qm;
using namespace qm::process_test;
using namespace std::chrono_literals;

namespace {

const std::string kWorker = QM_CLOSE_WORKER;
constexpr auto kLongWait = 60s;
const std::string kNumber = "F-1";

class Folder {
  public:
    Folder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qm-close-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern + "/";
        createOtherRequiredFiles(path_);
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    const std::string& path() const { return path_; }
    std::string bytes(OrderFile file) const {
        auto read = readWholeFile(path_ + orderFileName(file));
        return read ? *read : "<unreadable>";
    }
    void write(OrderFile file, const std::vector<OrderRecord>& records) const {
        auto lock = DataLock::acquire(path_);
        if (!lock || !rewriteOrderFile(*lock, file, records))
            throw std::runtime_error("cannot write the test folder");
    }
    // The records of the order in each file.
    std::vector<OrderRecord> copiesIn(OrderFile file) const {
        auto records = readOrderRecords(path_, file);
        if (!records)
            throw std::runtime_error(records.error().describe());
        std::vector<OrderRecord> out;
        for (const OrderRecord& r : *records)
            if (r.text(OrderField::FileNumber) == kNumber)
                out.push_back(r);
        return out;
    }
    std::vector<std::string> problems() const {
        std::vector<std::string> out;
        for (const DataProblem& p : checkDataFolder(path_).problems)
            out.push_back(p.describe());
        return out;
    }

  private:
    std::string path_;
};

std::vector<std::string> args(const Folder& f, const std::string& command, int minute,
                              const std::string& stop = {}) {
    std::vector<std::string> a = {kWorker, command, f.path(), kNumber, std::to_string(minute)};
    if (!stop.empty())
        a.push_back(stop);
    return a;
}

// One command run to its end; its outcome line.
std::string run(const Folder& f, const std::string& command, int minute) {
    ChildProcess child(args(f, command, minute));
    const int status = child.wait();
    if (!exitedWith(status, 0) || child.lines().size() != 2)
        return "<failed>";
    return child.lines()[1];
}

bool billed(const OrderRecord& r) {
    auto due = r.dueDate();
    return due && due->billedInAdvance;
}

enum class Start { Unbilled, CopyInCompleted, CopyInArchives };

// Other orders around the one the commands work on, in every file.
void prepare(const Folder& f, Start start) {
    OrderRecord done = pendingOrder("C-0").movedTo(OrderFile::Completed);
    done.set(OrderField::CompletedAt, Field::ofDate({2026, 3, 15, 10, 0, 0}));
    done.set(OrderField::CopyCosts, Field::ofMoney(Money::fromDollars(3)));
    OrderRecord archived = done.movedTo(OrderFile::Archives);
    archived.setText(OrderField::FileNumber, "A-0");
    archived.setText(OrderField::StatementNumber, "S-1");
    archived.setText(OrderField::StatementDate, "3/1/2026");
    f.write(OrderFile::Pending,
            {pendingOrder("P-0"), pendingOrder(kNumber, 3), pendingOrder("P-2")});
    f.write(OrderFile::Completed, {done});
    f.write(OrderFile::Archives, {archived});
    if (start == Start::Unbilled)
        return;
    if (run(f, "bill", 1) != "Billed")
        throw std::runtime_error("the order could not be billed");
    if (start == Start::CopyInArchives) {
        // The copy put on a statement: moved to the end of Archives.fil.
        OrderRecord copy = f.copiesIn(OrderFile::Completed).front().movedTo(OrderFile::Archives);
        copy.setText(OrderField::StatementNumber, "S-2");
        copy.setText(OrderField::StatementDate, "3/19/2026");
        f.write(OrderFile::Completed, {done});
        f.write(OrderFile::Archives, {archived, copy});
    }
}

struct Files {
    std::string pending, completed, archives;
    bool operator==(const Files&) const = default;
};
Files filesOf(const Folder& f) {
    return {f.bytes(OrderFile::Pending), f.bytes(OrderFile::Completed),
            f.bytes(OrderFile::Archives)};
}

// A process killed after each step of BILL and CLOSE that reached the disk, then the same
// command again: the files end as one uninterrupted run leaves them.
TEST(CloseProcesses, KilledAfterEachStepTheRepeatFinishesTheJob) {
    const struct {
        const char* command;
        Start start;
        const char* interrupted; // the checker's word for the state between the steps
        const char* repeatAfterCopy;
    } cases[] = {
        {"bill", Start::Unbilled, "an interrupted bill", "CopyExisted"},
        {"close", Start::Unbilled, "an interrupted close", "RecordExisted"},
        {"close", Start::CopyInCompleted, "an interrupted close", "RecordExisted"},
        {"close", Start::CopyInArchives, "an interrupted close", "RecordExisted"},
    };
    for (const auto& c : cases) {
        Folder clean;
        prepare(clean, c.start);
        const std::string first = run(clean, c.command, 30);
        ASSERT_NE(first, "<failed>");
        const Files expected = filesOf(clean);
        EXPECT_TRUE(clean.problems().empty());

        for (const std::string stop : {"completed", "pending"}) {
            SCOPED_TRACE(std::string(c.command) + " " + std::to_string(int(c.start)) + " " + stop);
            Folder f;
            prepare(f, c.start);
            ChildProcess child(args(f, c.command, 30, stop));
            ASSERT_EQ(child.readLine(kLongWait), "ready");
            ASSERT_EQ(child.readLine(kLongWait), "stopped");
            ASSERT_TRUE(killedBy(child.kill(), SIGKILL));

            const auto between = f.problems();
            if (stop == "completed") {
                ASSERT_EQ(between.size(), 1u);
                EXPECT_NE(between[0].find(c.interrupted), std::string::npos) << between[0];
            } else {
                EXPECT_EQ(filesOf(f), expected);
                EXPECT_TRUE(between.empty());
            }
            // Later, so that a record written anew could not pass for the first run's.
            const char* repeat = stop == "completed"   ? c.repeatAfterCopy
                                 : c.command[0] == 'b' ? "AlreadyBilled"
                                                       : "NotPending";
            EXPECT_EQ(run(f, c.command, 45), repeat);
            EXPECT_EQ(filesOf(f), expected);
            EXPECT_TRUE(f.problems().empty());
            const size_t kept =
                f.copiesIn(OrderFile::Completed).size() + f.copiesIn(OrderFile::Archives).size();
            EXPECT_EQ(kept, 1u);
            EXPECT_EQ(f.copiesIn(OrderFile::Pending).size(), c.command[0] == 'b' ? 1u : 0u);
        }
    }
}

// Commands started together from two processes: the lock orders them, and each decides from
// what the other left in the files.
TEST(CloseProcesses, TwoWorkstationsOnOneOrderAtOnce) {
    const struct {
        const char *a, *b;
        std::set<std::multiset<std::string>> outcomes;
    } cases[] = {
        {"bill", "close", {{"Billed", "CopyFinalised"}, {"Closed", "NotPending"}}},
        {"bill", "bill", {{"Billed", "AlreadyBilled"}}},
        {"close", "close", {{"Closed", "NotPending"}}},
    };
    for (const auto& c : cases) {
        for (int round = 0; round < 4; ++round) {
            SCOPED_TRACE(std::string(c.a) + "+" + c.b + " round " + std::to_string(round));
            Folder f;
            prepare(f, Start::Unbilled);
            int start[2];
            ASSERT_EQ(::pipe2(start, O_CLOEXEC), 0);
            ChildProcess one(args(f, c.a, 30), start[0]);
            ChildProcess two(args(f, c.b, 31), start[0]);
            ::close(start[0]);
            ::close(start[1]); // both begin now
            ASSERT_TRUE(exitedWith(one.wait(), 0));
            ASSERT_TRUE(exitedWith(two.wait(), 0));
            ASSERT_EQ(one.lines().size(), 2u);
            ASSERT_EQ(two.lines().size(), 2u);
            const std::multiset<std::string> seen = {one.lines()[1], two.lines()[1]};
            EXPECT_TRUE(c.outcomes.count(seen)) << one.lines()[1] << " / " << two.lines()[1];

            const auto completed = f.copiesIn(OrderFile::Completed);
            const auto pending = f.copiesIn(OrderFile::Pending);
            ASSERT_EQ(completed.size(), 1u);
            EXPECT_TRUE(f.copiesIn(OrderFile::Archives).empty());
            EXPECT_TRUE(f.problems().empty());
            const bool closed = std::string(c.b) == "close";
            EXPECT_EQ(pending.size(), closed ? 0u : 1u);
            EXPECT_EQ(billed(completed.front()), !closed);
            if (!closed) {
                // One billing note, from the one BILL that went through.
                const std::string& notes = pending.front().text(OrderField::NotesLog);
                EXPECT_EQ(std::count(notes.begin(), notes.end(), '['), 4) << notes;
                EXPECT_EQ(notes, completed.front().text(OrderField::NotesLog));
            }
        }
    }
}

} // namespace
