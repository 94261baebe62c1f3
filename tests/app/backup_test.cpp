#include "backup.h"
#include "child_process.h"
#include "data_check.h"
#include "file_size_limit.h"
#include "files.h"
#include "smtp_server.h"
#include "workload.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {
namespace {

namespace fs = std::filesystem;
using process_test::ChildProcess;

// Every file and folder under root by relative path: a folder as "/", a link as "-> target",
// a file as its bytes.
std::map<std::string, std::string> treeOf(const std::string& root) {
    std::map<std::string, std::string> tree;
    if (!fs::exists(root))
        return tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).string();
        if (entry.is_symlink())
            tree[relative] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            tree[relative] = "/";
        else
            tree[relative] = readWholeFile(entry.path().string()).value();
    }
    return tree;
}

void write(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    ASSERT_TRUE(writeWholeFile(path, bytes).ok()) << path;
}

Status runBackup(const std::string& programFolder, const std::string& dataFolder,
                 std::chrono::milliseconds budget = std::chrono::milliseconds(20)) {
    BackupJob job(programFolder, dataFolder);
    for (int slice = 0; !job.step(budget); ++slice) {
        if (slice > 100000)
            return Error{ErrorKind::Io, "", 0, "the backup never finished", 0};
    }
    return job.outcome();
}

// A program folder with config.txt and a data folder of the usual files and folders.
class BackupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program = root.path() + "/program/";
        data = program + "data/";
        fillDataFolder(data);
        write(program + "config.txt", "\"Title Co\",\"1 Main St\"\r\n");
        ASSERT_EQ(::chmod((program + "config.txt").c_str(), 0600), 0);
    }

    static void fillDataFolder(const std::string& folder) {
        write(folder + "Pending.fil", process_test::encodeOrders(process_test::rewriteContentA()));
        process_test::createOtherRequiredFiles(folder);
        write(folder + "Access.lok", "host user 42\r\n");
        write(folder + "customrates/Acme Title.rte", "\"R.Full\",150\r\n");
        write(folder + "Statements/Statement_1001.docx", std::string(300000, 'x'));
        fs::create_directories(folder + "empty");
        fs::create_symlink("Statements/Statement_1001.docx", folder + "latest.docx");
    }

    std::string backup() const { return program + kBackupFolderName + "/"; }

    // What a backup of `folder` must hold: everything but the lock file.
    static std::map<std::string, std::string> expectedCopyOf(const std::string& folder) {
        auto tree = treeOf(folder);
        tree.erase(kLockFileName);
        return tree;
    }

    mailtest::TempFolder root;
    std::string program, data;
};

TEST_F(BackupTest, ReplacesTheOldBackupWithTheDataFolderAndConfig) {
    write(backup() + "data/Gone.fil", "old");
    write(backup() + "only-in-the-old-backup.txt", "old");

    const Status made = runBackup(program, data);
    ASSERT_TRUE(made.ok()) << made.error().describe();

    auto copy = treeOf(backup());
    EXPECT_EQ(copy.erase("config.txt"), 1u);
    EXPECT_EQ(copy.erase("data"), 1u);
    std::map<std::string, std::string> dataCopy;
    for (const auto& [path, content] : copy) {
        ASSERT_EQ(path.rfind("data/", 0), 0u) << path << " is not part of the data folder's copy";
        dataCopy[path.substr(5)] = content;
    }
    EXPECT_EQ(dataCopy, expectedCopyOf(data));
    EXPECT_EQ(readWholeFile(backup() + "config.txt").value(),
              readWholeFile(program + "config.txt").value());

    struct stat original {
    }, copied{};
    ASSERT_EQ(::stat((program + "config.txt").c_str(), &original), 0);
    ASSERT_EQ(::stat((backup() + "config.txt").c_str(), &copied), 0);
    EXPECT_EQ(copied.st_mode & 07777, 0600u) << "the password's file must stay closed";
    ASSERT_EQ(::stat((data + "Pending.fil").c_str(), &original), 0);
    ASSERT_EQ(::stat((backup() + "data/Pending.fil").c_str(), &copied), 0);
    EXPECT_EQ(copied.st_mtim.tv_sec, original.st_mtim.tv_sec);
    EXPECT_FALSE(fs::exists(program + "QM_BACKUP.new"));
    EXPECT_FALSE(fs::exists(program + "QM_BACKUP.old"));
}

// Files larger than one step of the copy and of the removal: whole and in order afterwards.
TEST_F(BackupTest, LargeFilesAreCopiedAndRemovedInSteps) {
    std::string large(40u << 20, '\0');
    for (size_t i = 0; i < large.size(); i += 4096) {
        const std::string offset = std::to_string(i);
        large.replace(i, offset.size(), offset);
    }
    write(data + "Archives.fil.large", large);
    write(backup() + "data/old-large.bin", std::string(70u << 20, 'o'));

    BackupJob job(program, data);
    int slices = 1;
    while (!job.step(std::chrono::milliseconds(1)))
        ++slices;
    ASSERT_TRUE(job.outcome().ok()) << job.outcome().error().describe();
    EXPECT_GT(slices, 10) << "the work was not divided";
    EXPECT_TRUE(readWholeFile(backup() + "data/Archives.fil.large").value() == large);
    EXPECT_FALSE(fs::exists(backup() + "data/old-large.bin"));
    EXPECT_FALSE(fs::exists(program + "QM_BACKUP.old"));
}

// What an interrupted backup left behind is put right by the next one, whatever the next one
// then does: with the data folder gone it fails, and the last good backup is the one kept.
TEST_F(BackupTest, TheNextBackupRepairsAnInterruptedOne) {
    const struct {
        const char* name;
        bool current, fresh, old; // which of QM_BACKUP, QM_BACKUP.new and QM_BACKUP.old exist
        const char* lastGood;     // the folder holding the last good backup
    } cases[] = {
        {"cut off while copying", true, true, false, "QM_BACKUP"},
        {"cut off between the two renames", false, true, true, "QM_BACKUP.old"},
        {"cut off before the old one was removed", true, false, true, "QM_BACKUP"},
    };
    for (bool dataMissing : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (dataMissing ? ", data folder gone" : ""));
            fs::remove_all(program + "QM_BACKUP");
            if (c.current)
                write(program + "QM_BACKUP/data/Pending.fil", "current");
            if (c.fresh)
                write(program + "QM_BACKUP.new/data/Pending.fil", "half");
            if (c.old)
                write(program + "QM_BACKUP.old/data/Pending.fil", "old");
            const auto lastGood = treeOf(program + c.lastGood);
            const std::string dataFolder = dataMissing ? program + "gone/" : data;

            const Status made = runBackup(program, dataFolder);

            EXPECT_EQ(made.ok(), !dataMissing);
            EXPECT_FALSE(fs::exists(program + "QM_BACKUP.new"));
            EXPECT_FALSE(fs::exists(program + "QM_BACKUP.old"));
            if (dataMissing)
                EXPECT_EQ(treeOf(backup()), lastGood);
            else
                EXPECT_EQ(readWholeFile(backup() + "data/Pending.fil").value(),
                          readWholeFile(data + "Pending.fil").value());
        }
    }
}

TEST_F(BackupTest, AFailedBackupKeepsTheOldOne) {
    write(backup() + "data/Pending.fil", "the last good backup");
    const auto lastGood = treeOf(backup());
    const struct {
        const char* name;
        std::function<Status()> run;
        ErrorKind kind;
    } cases[] = {
        {"the data folder is missing", [&] { return runBackup(program, program + "gone/"); },
         ErrorKind::PathNotFound},
        {"the disk fills up halfway",
         [&] {
             test::FileSizeLimit limit(200000);
             return runBackup(program, data);
         },
         ErrorKind::Io},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Status made = c.run();
        ASSERT_FALSE(made.ok());
        EXPECT_EQ(made.error().kind, c.kind) << made.error().describe();
        EXPECT_EQ(treeOf(backup()), lastGood);
        EXPECT_FALSE(fs::exists(program + "QM_BACKUP.new"));
    }
}

// The data folder holds the program folder, or is it: the backup leaves out its own folders,
// so it neither copies itself nor grows from one night to the next.
TEST_F(BackupTest, ADataFolderHoldingTheProgramFolderLeavesTheBackupOut) {
    const struct {
        const char* name;
        std::string dataFolder, programFolder, programInCopy;
    } cases[] = {
        {"program folder inside the data folder", root.path() + "/shared/",
         root.path() + "/shared/prog/", "shared/prog/"},
        {"program folder is the data folder", root.path() + "/both/", root.path() + "/both/",
         "both/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fillDataFolder(c.dataFolder);
        write(c.programFolder + "config.txt", "\"Title Co\"\r\n");
        write(c.programFolder + "quillmark", "program");
        write(c.programFolder + "QM_BACKUP/shared/old.fil", "old");
        std::map<std::string, std::string> first;
        for (int night = 0; night < 2; ++night) {
            const Status made = runBackup(c.programFolder, c.dataFolder);
            ASSERT_TRUE(made.ok()) << made.error().describe();
            const std::string copy = c.programFolder + "QM_BACKUP/" + c.programInCopy;
            EXPECT_EQ(readWholeFile(copy + "quillmark").value(), "program");
            for (const char* own : {"QM_BACKUP", "QM_BACKUP.new", "QM_BACKUP.old"})
                EXPECT_FALSE(fs::exists(copy + own)) << own;
            const auto tree = treeOf(c.programFolder + "QM_BACKUP");
            if (night == 0)
                first = tree;
            else
                EXPECT_EQ(tree, first) << "the second night's backup differs from the first";
        }
    }
}

// Orders are closed between the backup's slices, each moving from Pending.fil to
// Completed.fil under the lock: the backup holds every order exactly once, in one file or
// the other, as the folder stood at one instant.
TEST_F(BackupTest, OrdersClosedMeanwhileAreEachInOneFileOfTheCopy) {
    constexpr int kOrders = 30;
    std::vector<OrderRecord> pending;
    for (int i = 0; i < kOrders; ++i)
        pending.push_back(process_test::pendingOrder("P" + std::to_string(i)));
    {
        auto lock = DataLock::acquire(data);
        ASSERT_TRUE(lock.ok());
        ASSERT_TRUE(rewriteOrderFile(*lock, OrderFile::Pending, pending).ok());
    }
    BackupJob job(program, data);
    while (!job.step(std::chrono::milliseconds(0))) {
        if (pending.empty())
            continue;
        auto lock = DataLock::acquire(data);
        ASSERT_TRUE(lock.ok());
        OrderRecord closed = pending.front().movedTo(OrderFile::Completed);
        closed.set(OrderField::CompletedAt, Field::ofDate({2026, 12, 8, 10, 0, 0}));
        ASSERT_TRUE(appendOrder(*lock, closed).ok());
        pending.erase(pending.begin());
        ASSERT_TRUE(rewriteOrderFile(*lock, OrderFile::Pending, pending).ok());
    }
    ASSERT_TRUE(job.outcome().ok()) << job.outcome().error().describe();
    EXPECT_LT(pending.size(), static_cast<size_t>(kOrders)) << "no order was closed meanwhile";

    std::map<std::string, int> seen;
    for (OrderFile file : {OrderFile::Pending, OrderFile::Completed}) {
        auto records = readOrderRecords(backup() + "data/", file);
        ASSERT_TRUE(records.ok()) << records.error().describe();
        for (const OrderRecord& r : *records)
            ++seen[r.text(OrderField::FileNumber)];
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kOrders));
    for (const auto& [number, count] : seen)
        EXPECT_EQ(count, 1) << number;
}

// Other workstations append orders throughout; each backup, taken in slices meanwhile, holds
// order files that read clean and, of each worker, the orders it appended up to some point.
TEST_F(BackupTest, TakenWhileOtherProcessesAppendOrders) {
    constexpr int kWorkers = 3;
    constexpr int kOrdersEach = 400;
    int go[2];
    ASSERT_EQ(::pipe2(go, O_CLOEXEC), 0);
    std::vector<ChildProcess> workers;
    for (int id = 0; id < kWorkers; ++id)
        workers.emplace_back(std::vector<std::string>{QM_WORKER, "append", data, std::to_string(id),
                                                      std::to_string(kOrdersEach)},
                             go[0]);
    ::close(go[0]);
    ::close(go[1]);
    for (ChildProcess& worker : workers)
        ASSERT_EQ(worker.readLine(std::chrono::seconds(30)), "ready");

    const size_t before = process_test::rewriteContentA().size();
    size_t backups = 0, largest = 0;
    for (bool workersDone = false; !workersDone; ++backups) {
        workersDone = true;
        for (ChildProcess& worker : workers)
            workersDone = workersDone && worker.outputEndsWithin(std::chrono::milliseconds(0));
        const Status made = runBackup(program, data, std::chrono::milliseconds(1));
        ASSERT_TRUE(made.ok()) << made.error().describe();

        const std::string copy = backup() + "data/";
        const DataReport report = checkDataFolder(copy);
        for (const DataProblem& p : report.problems)
            ADD_FAILURE() << "backup " << backups << ": " << p.describe();
        auto records = readOrderRecords(copy, OrderFile::Pending);
        ASSERT_TRUE(records.ok()) << records.error().describe();
        std::vector<int> next(kWorkers, 0);
        for (size_t r = before; r < records->size(); ++r) {
            int id = 0, i = 0;
            const std::string& number = (*records)[r].text(OrderField::FileNumber);
            ASSERT_EQ(std::sscanf(number.c_str(), "W%d-%d", &id, &i), 2) << number;
            EXPECT_EQ(i, next[static_cast<size_t>(id)]++) << number;
        }
        largest = std::max(largest, records->size());
    }
    for (ChildProcess& worker : workers)
        EXPECT_TRUE(process_test::exitedWith(worker.wait(), 0));
    EXPECT_GT(backups, 2u) << "no backup was taken while the workers appended";
    EXPECT_EQ(largest, before + kWorkers * kOrdersEach) << "the last backup missed orders";
}

} // namespace
} // namespace qm
