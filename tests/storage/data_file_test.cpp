// What a shared folder may hold that the program must not trust: torn ends of order files,
// symbolic links and files that are not plain files.

#include "file_size_limit.h"
#include "files.h"
#include "record_tail.h"
#include "test_support.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {
namespace {

using test::contentOf;
using test::TempFolder;

const std::string kRecord = "#2026-12-07#,\"QM1\",\"a, b\",\"\r\n12/07 08:30  x [JS]\",1.5\r\n";
const std::string kNote = "#2026-12-07#,\"QM2\",\"\r\n12/07 08:30  Called [JS]\r\n";

TEST(RecordTail, WhereAFileMayBeAppendedTo) {
    const struct {
        const char* name;
        std::string bytes;
        bool complete;
    } cases[] = {
        {"empty file", "", true},
        {"whole records", kRecord + kRecord, true},
        {"bare LF of a hand edit", "#2026-12-07#,\"QM1\"\n", true},
        {"cut inside a field", kRecord + "#2026-12", false},
        {"cut after a comma", kRecord + "#2026-12-07#,", false},
        {"cut between CR and LF", kRecord.substr(0, kRecord.size() - 1), false},
        {"cut after a line end inside a note", kRecord + kNote, false},
        {"cut right after an opening quote", kRecord + "#2026-12-07#,\"", false},
        {"many quotes, even", std::string(8200, '"') + "\r\n", true},
        {"many quotes, odd", std::string(8201, '"') + "\r\n", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(endsOnCompleteRecord(c.bytes), c.complete) << c.name;
        // Fed in pieces, the answer is the same wherever the pieces are cut.
        for (size_t cut = 0; cut <= c.bytes.size(); cut += c.bytes.size() < 200 ? 1 : 997) {
            RecordEndTracker tracker;
            tracker.feed(std::string_view(c.bytes).substr(0, cut));
            tracker.feed(std::string_view(c.bytes).substr(cut));
            ASSERT_EQ(tracker.endsOnCompleteRecord(), c.complete) << c.name << " cut at " << cut;
        }
    }
}

TEST(Append, RefusesATornFileAndLeavesItAsItIs) {
    const std::string torn[] = {kRecord + "#2026-12-07#,\"QM", kRecord + kNote};
    for (const std::string& bytes : torn) {
        TempFolder folder;
        const std::string path = folder.file("Pending.fil");
        test::put(path, bytes);
        auto lock = DataLock::acquire(folder.path());
        ASSERT_TRUE(lock);
        Status appended = appendToFile(*lock, path, kRecord);
        ASSERT_FALSE(appended);
        EXPECT_EQ(appended.error().file, path);
        EXPECT_NE(appended.error().message.find("quillmark-check --repair"), std::string::npos);
        EXPECT_EQ(contentOf(path), bytes);
    }
}

TEST(Append, DirectoryLinesNeedOnlyALineEnd) {
    TempFolder folder;
    const std::string path = folder.file("Companies.lst");
    test::put(path, "Acme \"Title\" _ 1 Main St\r\n"); // a stray quote in a hand-edited line
    auto lock = DataLock::acquire(folder.path());
    ASSERT_TRUE(lock);
    ASSERT_TRUE(appendToFile(*lock, path, "Baker _ 2 Elm\r\n", RecordLayout::Lines));
    test::put(path, "Acme _ 1 Main");
    EXPECT_FALSE(appendToFile(*lock, path, "Baker _ 2 Elm\r\n", RecordLayout::Lines));
}

TEST(Append, AFailedWriteCutsTheFileBackToItsOldSize) {
    TempFolder folder;
    const std::string path = folder.file("Completed.fil");
    const std::string before = kRecord + kRecord;
    test::put(path, before);
    auto lock = DataLock::acquire(folder.path());
    ASSERT_TRUE(lock);
    const std::string order(4000, 'x');
    Status appended = okStatus();
    {
        test::FileSizeLimit limit(before.size() + 1000); // room for part of the order only
        ASSERT_TRUE(limit.ok());
        appended = appendToFile(*lock, path, order + "\r\n");
    }
    ASSERT_FALSE(appended);
    EXPECT_EQ(appended.error().file, path);
    EXPECT_EQ(appended.error().sysErrno, EFBIG);
    EXPECT_EQ(contentOf(path), before) << "a partial record was left at the end";
    ASSERT_TRUE(appendToFile(*lock, path, kRecord)); // and the next append works
    EXPECT_EQ(contentOf(path), before + kRecord);
}

// Each case puts something that is not a plain file under a data file's name.
TEST(DataFiles, SymbolicLinksAndSpecialFilesAreRefusedByName) {
    struct Case {
        const char* name;
        const char* target; // a symbolic link to it, or a FIFO when null
    };
    const Case cases[] = {{"Pending.fil", nullptr},
                          {"Services.dat", "/dev/zero"},
                          {"Completed.fil", "elsewhere.txt"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.file(c.name);
        const std::string elsewhere = folder.file("elsewhere.txt");
        test::put(elsewhere, kRecord);
        if (c.target)
            ASSERT_EQ(::symlink(c.target, path.c_str()), 0);
        else
            ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
        auto read = readWholeFile(path); // a FIFO must not hang, /dev/zero must not fill memory
        ASSERT_FALSE(read);
        EXPECT_EQ(read.error().file, path);
        auto lock = DataLock::acquire(folder.path());
        ASSERT_TRUE(lock);
        EXPECT_FALSE(appendToFile(*lock, path, kRecord));
        EXPECT_FALSE(rewriteFile(*lock, path, kRecord));
        EXPECT_EQ(contentOf(elsewhere), kRecord) << "written through the link";
    }
}

TEST(DataFiles, WritesNeverGoThroughALinkPlantedAsTheTemporaryOrTheLock) {
    TempFolder folder;
    const std::string target = folder.file("target.txt");
    test::put(target, "keep\r\n");
    ::chmod(target.c_str(), 0600);
    ASSERT_EQ(::symlink(target.c_str(), folder.file("Pending.new").c_str()), 0);
    test::put(folder.file("Pending.fil"), kRecord);
    {
        auto lock = DataLock::acquire(folder.path());
        ASSERT_TRUE(lock);
        ASSERT_TRUE(rewriteFile(*lock, folder.file("Pending.fil"), kRecord + kRecord));
    }
    EXPECT_EQ(contentOf(folder.file("Pending.fil")), kRecord + kRecord);
    EXPECT_EQ(contentOf(target), "keep\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "the link's target changed its mode";

    ::unlink(folder.file(kLockFileName).c_str());
    ASSERT_EQ(::symlink(target.c_str(), folder.file(kLockFileName).c_str()), 0);
    auto lock = DataLock::acquire(folder.path());
    ASSERT_FALSE(lock);
    EXPECT_EQ(lock.error().file, folder.file(kLockFileName));
    EXPECT_EQ(contentOf(target), "keep\r\n") << "the lock emptied the link's target";
}

} // namespace
} // namespace qm
