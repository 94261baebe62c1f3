#include "cp1252.h"
#include "files.h"
#include "test_support.h"

#include <atomic>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace qm {
namespace {

using test::contentOf;
using test::TempFolder;

TEST(Files, TemporaryCopyReplacesTheExtension) {
    const struct {
        const char* path;
        const char* temporary;
    } cases[] = {{"/d/Pending.fil", "/d/Pending.new"},
                 {"/d/Attorneys.lst", "/d/Attorneys.new"},
                 {"/d/Services.dat", "/d/Services.new"},
                 {"/d.x/README", "/d.x/README.new"}};
    for (const auto& c : cases)
        EXPECT_EQ(temporaryPathFor(c.path), c.temporary);
}

TEST(Files, MissingFileAndMissingFolderAreDifferentErrors) {
    TempFolder folder;
    auto file = readWholeFile(folder.file("Pending.fil"));
    ASSERT_FALSE(file);
    EXPECT_EQ(file.error().kind, ErrorKind::FileNotFound);
    auto path = readWholeFile(folder.file("gone/Pending.fil"));
    ASSERT_FALSE(path);
    EXPECT_EQ(path.error().kind, ErrorKind::PathNotFound);
    EXPECT_NE(path.error().describe().find("gone/Pending.fil"), std::string::npos);
}

TEST(Files, RewriteReplacesContentKeepsModeAndLeavesNoTemporaryFile) {
    TempFolder folder;
    const std::string path = folder.file("Pending.fil");
    test::put(path, "old\r\n");
    ::chmod(path.c_str(), 0640);
    auto lock = DataLock::acquire(folder.path());
    ASSERT_TRUE(lock);
    ASSERT_TRUE(rewriteFile(*lock, path, "new\r\n"));
    EXPECT_EQ(contentOf(path), "new\r\n");
    EXPECT_FALSE(fileExists(folder.file("Pending.new")));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // A leftover from an interrupted rewrite is simply overwritten.
    test::put(folder.file("Pending.new"), "stale");
    ASSERT_TRUE(rewriteFile(*lock, path, ""));
    EXPECT_EQ(contentOf(path), "");
}

TEST(Files, ReplacementsWithoutTheLockDoNotTripOverEachOther) {
    TempFolder folder;
    const std::string path = folder.file("Baker.rte");
    const std::string a(200000, 'a'), b(300000, 'b');
    ASSERT_TRUE(replaceFileContent(path, a));
    std::atomic<int> failures = 0, mixed = 0;
    std::atomic<bool> writing = true;
    auto writer = [&](const std::string& bytes) {
        for (int i = 0; i < 60; ++i)
            failures += replaceFileContent(path, bytes).ok() ? 0 : 1;
    };
    std::thread reader([&] {
        while (writing) {
            const std::string seen = contentOf(path);
            mixed += seen == a || seen == b ? 0 : 1;
        }
    });
    std::thread first(writer, a), second(writer, b);
    first.join();
    second.join();
    writing = false;
    reader.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(mixed, 0);
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++files;
    EXPECT_EQ(files, 1u); // no temporary file left behind
}

TEST(Files, AppendCreatesAMissingFile) {
    TempFolder folder;
    auto lock = DataLock::acquire(folder.path());
    ASSERT_TRUE(lock);
    ASSERT_TRUE(appendToFile(*lock, folder.file("Completed.fil"), "a\r\n"));
    ASSERT_TRUE(appendToFile(*lock, folder.file("Completed.fil"), "b\r\n"));
    EXPECT_EQ(contentOf(folder.file("Completed.fil")), "a\r\nb\r\n");
    EXPECT_FALSE(appendToFile(*lock, folder.file("gone/Completed.fil"), "a"));
}

TEST(Files, LockInAMissingFolderFails) {
    TempFolder folder;
    auto lock = DataLock::acquire(folder.path() + "gone/");
    ASSERT_FALSE(lock);
    EXPECT_EQ(lock.error().kind, ErrorKind::PathNotFound);
}

TEST(Files, MovedLockStillExcludesUntilDestroyed) {
    TempFolder folder;
    auto first = DataLock::acquire(folder.path());
    ASSERT_TRUE(first);
    std::optional<DataLock> held(std::move(first).value());
    std::atomic<bool> acquired = false;
    std::thread other([&] { acquired = DataLock::acquire(folder.path()).ok(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(acquired); // still held by the moved guard
    held.reset();
    other.join();
    EXPECT_TRUE(acquired);
}

TEST(Cp1252, CodePageRoundTrip) {
    const struct {
        std::string bytes;
        std::string utf8;
    } cases[] = {{"plain", "plain"},
                 {"caf\xE9", "caf\xC3\xA9"},
                 {"\x80 5", "\xE2\x82\xAC 5"},
                 {"\x93q\x94", "\xE2\x80\x9Cq\xE2\x80\x9D"},
                 {"\x96", "\xE2\x80\x93"}};
    for (const auto& c : cases) {
        EXPECT_EQ(cp1252ToUtf8(c.bytes), c.utf8);
        EXPECT_EQ(utf8ToCp1252(c.utf8), c.bytes);
    }
    EXPECT_EQ(cp1252ToUtf8("\x81"), "\xEF\xBF\xBD");
    EXPECT_EQ(utf8ToCp1252("\xE4\xB8\xAD"), "?");     // a character the code page lacks
    EXPECT_EQ(utf8ToCp1252("a\xC3"), "a?");           // a broken sequence
    EXPECT_EQ(utf8ToCp1252("\xF0\x9F\x98\x80"), "?"); // outside the basic plane
    // Overlong forms and surrogates do not sneak in a quote or a line end.
    EXPECT_EQ(utf8ToCp1252("\xC0\xA2 \xE0\x80\x8A"), "?? ???"); // one "?" per byte
    EXPECT_EQ(utf8ToCp1252("\xED\xA0\x80"), "???");
}

} // namespace
} // namespace qm
