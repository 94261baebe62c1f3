#include "order_store.h"

#include "directory_files.h"
#include "store_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qm {
namespace {

using test::contentOf;
using test::TempFolder;
using namespace ordertest;

TEST(OrderStore, EmptyNumberGetsOneMoreThanTheHighestInAnyFile) {
    const struct {
        const char* name;
        std::vector<std::string> pending, completed, archives;
        const char* generated;
    } cases[] = {
        {"no orders", {}, {}, {}, "QM00001"},
        {"split order counts as its base", {"QM00007"}, {}, {"QM00012m"}, "QM00013"},
        {"completed holds the highest", {"QM00002"}, {"QM00040"}, {}, "QM00041"},
        {"beyond five digits", {}, {}, {"QM100000", "QM99999"}, "QM100001"},
        {"customer numbers do not count", {"4471-B"}, {}, {}, "QM00001"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        auto numbered = [](OrderFile file, const std::vector<std::string>& numbers) {
            std::vector<OrderRecord> records;
            for (const auto& n : numbers)
                records.push_back(orderNumbered(file, n));
            return records;
        };
        put(folder.path(), OrderFile::Pending, numbered(OrderFile::Pending, c.pending));
        put(folder.path(), OrderFile::Completed, numbered(OrderFile::Completed, c.completed));
        put(folder.path(), OrderFile::Archives, numbered(OrderFile::Archives, c.archives));
        auto saved = save(folder.path(), draftNumbered("  "));
        ASSERT_TRUE(saved) << c.name << ": " << saved.error().describe();
        EXPECT_FALSE(saved->duplicate) << c.name;
        EXPECT_EQ(saved->fileNumber, c.generated) << c.name;
        auto pending = readOrderRecords(folder.path(), OrderFile::Pending);
        ASSERT_TRUE(pending);
        ASSERT_EQ(pending->size(), c.pending.size() + 1) << c.name;
        EXPECT_EQ(pending->back().text(OrderField::FileNumber), c.generated) << c.name;
    }
}

TEST(OrderStore, ANumberInAnyOrderFileIsADuplicateAndNothingIsWritten) {
    const struct {
        const char* name;
        OrderFile file;
        const char* typed;
        bool duplicate;
    } cases[] = {
        {"pending", OrderFile::Pending, "4471-B", true},
        {"completed", OrderFile::Completed, "4471-B", true},
        {"archived", OrderFile::Archives, "4471-B", true},
        {"letter case differs", OrderFile::Archives, "4471-b", false},
        {"blanks around the typed number", OrderFile::Completed, " 4471-B ", true},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        put(folder.path(), c.file, {orderNumbered(c.file, "4471-B", "M.Water")});
        const std::string before = contentOf(folder.file("Pending.fil"));
        auto saved = save(folder.path(), draftNumbered(c.typed));
        ASSERT_TRUE(saved) << c.name;
        EXPECT_EQ(saved->duplicate, c.duplicate) << c.name;
        if (c.duplicate) {
            EXPECT_EQ(contentOf(folder.file("Pending.fil")), before) << c.name;
            ASSERT_TRUE(saved->existing) << c.name;
            EXPECT_EQ(saved->existing->text(OrderField::MuniSearch), "M.Water") << c.name;
            EXPECT_EQ(splitQuestionAddress(*saved->existing), "12 ELM ST, West Springfield");
        } else {
            EXPECT_NE(contentOf(folder.file("Pending.fil")), before) << c.name;
        }
    }
}

TEST(OrderStore, TheAttorneyEntryIsWrittenEvenWhenTheNumberIsRefused) {
    TempFolder folder;
    test::put(folder.file("Attorneys.lst"), "Old Firm _ Al _ 1 St _  _ Lee, MA _  _  _ \r\n");
    put(folder.path(), OrderFile::Pending, {orderNumbered(OrderFile::Pending, "A1")});
    const std::string added = "New Firm _ Bo _ 2 St _  _ Lee, MA _  _  _ ";
    ASSERT_TRUE(
        save(folder.path(), draftNumbered("A1"), {AttorneyChange::Kind::AddNew, added, ""}));
    EXPECT_EQ(contentOf(folder.file("Attorneys.lst")),
              "Old Firm _ Al _ 1 St _  _ Lee, MA _  _  _ \r\n" + added + "\r\n");
    const std::string replaced = "Old Firm _ Al _ 9 St _  _ Lee, MA _  _  _ ";
    ASSERT_TRUE(save(
        folder.path(), draftNumbered("A2"),
        {AttorneyChange::Kind::Replace, replaced, "Old Firm _ Al _ 1 St _  _ Lee, MA _  _  _ "}));
    EXPECT_EQ(contentOf(folder.file("Attorneys.lst")), replaced + "\r\n" + added + "\r\n");
}

TEST(OrderStore, RecordFieldsFollowTheDraft) {
    const struct {
        const char* name;
        void (*change)(OrderDraft&);
        OrderField field;
        const char* expected;
    } cases[] = {
        {"new order entered now", [](OrderDraft&) {}, OrderField::EnteredAt, "2026-12-08 09:30:00"},
        {"pulled order keeps its entry as text",
         [](OrderDraft& d) { d.enteredAt = "2026-11-02 08:15:00"; }, OrderField::EnteredAt,
         "2026-11-02 08:15:00"},
        {"list fee", [](OrderDraft&) {}, OrderField::BaseFee, "150"},
        {"override wins", [](OrderDraft& d) { d.typeFeeOverride = Money::fromStored("175.5"); },
         OrderField::BaseFee, "175.5"},
        {"zero override falls back to the list", [](OrderDraft& d) { d.typeFeeOverride = Money(); },
         OrderField::BaseFee, "150"},
        {"no municipal search, no fee", [](OrderDraft&) {}, OrderField::MuniFee, "0"},
        {"plain save does not mark the searcher", [](OrderDraft&) {}, OrderField::Searcher,
         "Ann Marie"},
        {"assign marks the searcher", [](OrderDraft& d) { d.startedByAssign = true; },
         OrderField::Searcher, "Ann Marie*"},
        {"searcher notified before the pull keeps the mark",
         [](OrderDraft& d) { d.notifiedSearcher = "Ann Marie"; }, OrderField::Searcher,
         "Ann Marie*"},
        {"another searcher drops the mark", [](OrderDraft& d) { d.notifiedSearcher = "Joann"; },
         OrderField::Searcher, "Ann Marie"},
        {"note logged on save", [](OrderDraft& d) { d.note = "call first"; }, OrderField::NotesLog,
         "\r\n12/08 09:30  call first [jaq]"},
        {"blank note not logged", [](OrderDraft& d) { d.note = "   "; }, OrderField::NotesLog, ""},
        {"history kept before the note",
         [](OrderDraft& d) {
             d.notesCache = "\r\n11/02 08:15  old [x]";
             d.note = "new";
         },
         OrderField::NotesLog, "\r\n11/02 08:15  old [x]\r\n12/08 09:30  new [jaq]"},
        {"instructions not logged by a plain save",
         [](OrderDraft& d) { d.instructions = "RUSH DELIVERY!!!"; }, OrderField::MessagesLog, ""},
        {"instructions logged by assign",
         [](OrderDraft& d) {
             d.instructions = "RUSH DELIVERY!!!";
             d.startedByAssign = true;
         },
         OrderField::MessagesLog, "\r\n12/08 09:30  RUSH DELIVERY!!! [jaq]"},
        {"due date without time", [](OrderDraft&) {}, OrderField::DueDate, "2026-12-11"},
    };
    for (const auto& c : cases) {
        OrderDraft draft = draftNumbered("B7");
        c.change(draft);
        const OrderRecord r = pendingRecordOf(draft, kNow, "jo ann q");
        EXPECT_EQ(r.text(c.field), c.expected) << c.name;
    }
}

TEST(OrderStore, TwoProcessesSavingAtOnceGetDifferentNumbers) {
    TempFolder folder;
    put(folder.path(), OrderFile::Pending, {orderNumbered(OrderFile::Pending, "QM00041")});
    constexpr int kWriters = 4;
    constexpr int kSavesEach = 25;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int i = 0; i < kSavesEach; ++i)
                if (!save(folder.path(), draftNumbered("")))
                    _exit(1);
            _exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto numbers = allFileNumbers(folder.path());
    ASSERT_TRUE(numbers);
    ASSERT_EQ(numbers->size(), 1u + kWriters * kSavesEach);
    std::sort(numbers->begin(), numbers->end());
    EXPECT_EQ(std::adjacent_find(numbers->begin(), numbers->end()), numbers->end());
    EXPECT_EQ(numbers->back(), "QM00141");
}

} // namespace
} // namespace qm
