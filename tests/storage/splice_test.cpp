// Finding records by FileNumber in files read in pieces, and the splicing rewrite.

#include "order_splice.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace qm {
namespace {

using test::contentOf;
using test::fixture;
using test::TempFolder;

OrderRecord order(OrderFile file, const std::string& number, size_t noteBytes = 40) {
    OrderRecord r(file);
    r.set(OrderField::EnteredAt, Field::ofDate({2026, 12, 7, 8, 30, 0}));
    r.setText(OrderField::FileNumber, number);
    r.setText(OrderField::NotesLog, "\r\n" + std::string(noteBytes, 'n'));
    return r;
}

OrderTable tableOf(OrderFile file, const std::string& bytes) {
    auto table = parseOrderTable(file, bytes, "test");
    EXPECT_TRUE(table) << table.error().describe();
    return table ? std::move(table).value() : OrderTable();
}

// The record list a splice stands for.
std::vector<OrderRecord> applied(const OrderTable& table, const OrderSplice& splice) {
    std::vector<OrderRecord> out;
    for (size_t i = 0; i < table.size(); ++i) {
        const auto change = splice.changes.find(i);
        if (change == splice.changes.end())
            out.push_back(table.record(i));
        else if (change->second)
            out.push_back(*change->second);
    }
    out.insert(out.end(), splice.appended.begin(), splice.appended.end());
    return out;
}

std::string rewritten(OrderFile file, const std::vector<OrderRecord>& records) {
    TempFolder folder;
    auto lock = DataLock::acquire(folder.path());
    EXPECT_TRUE(rewriteOrderFile(*lock, file, records));
    return contentOf(folder.file(orderFileName(file)));
}

TEST(Splice, GivesTheBytesOfARewriteOnTheFixtures) {
    const struct {
        OrderFile file;
        const char* name;
    } fixtures[] = {{OrderFile::Pending, "pending-three-line-note.fil"},
                    {OrderFile::Pending, "pending-edited-billed-in-advance.fil"},
                    {OrderFile::Completed, "completed-fractional-fees.fil"},
                    {OrderFile::Archives, "archives-statement.fil"}};
    for (const auto& f : fixtures) {
        const OrderTable table = tableOf(f.file, fixture(f.name));
        ASSERT_GT(table.size(), 0u);
        const size_t last = table.size() - 1;
        OrderRecord changed = table.record(0);
        changed.setText(OrderField::NotesLog, changed.text(OrderField::NotesLog) + "\r\nx [JS]");
        const OrderSplice splices[] = {
            {{{0, changed}}, {}},
            {{{last, std::nullopt}}, {}},
            {{}, {order(f.file, "NEW1"), order(f.file, "NEW2")}},
            {{{0, std::nullopt}, {last, changed}}, {order(f.file, "NEW3")}},
            {{}, {}},
        };
        for (const OrderSplice& splice : splices) {
            SCOPED_TRACE(std::string(f.name) + ", " + std::to_string(splice.changes.size()) +
                         " changed, " + std::to_string(splice.appended.size()) + " added");
            const std::string expected = rewritten(f.file, applied(table, splice));
            TempFolder folder;
            const std::string path = folder.file(orderFileName(f.file));
            test::put(path, fixture(f.name));
            auto lock = DataLock::acquire(folder.path());
            ASSERT_TRUE(spliceOrderFile(*lock, table, splice));
            EXPECT_EQ(contentOf(path), expected) << "from the table";

            // The same from the file, for changes to the records of one number.
            const std::string number = table.record(0).text(OrderField::FileNumber);
            test::put(path, fixture(f.name));
            auto found = findOrders(*lock, f.file, number);
            ASSERT_TRUE(found) << found.error().describe();
            bool onlyFound = true;
            for (const auto& [index, r] : splice.changes)
                onlyFound = onlyFound && table.record(index).text(OrderField::FileNumber) == number;
            if (!onlyFound)
                continue;
            ASSERT_TRUE(spliceOrderFile(*lock, *found, splice));
            EXPECT_EQ(contentOf(path), expected) << "from the file";
        }
    }
}

// A file of several pieces: records cross the pieces' edges, one record is larger than a
// piece, and one number stands on three records.
std::string largePendingFile() {
    std::string bytes;
    for (int i = 0; i < 9000; ++i) {
        const bool dup = i == 10 || i == 4321 || i == 8999;
        const std::string number = dup ? "DUP" : "QM" + std::to_string(i);
        appendEncodedRecord(bytes, order(OrderFile::Pending, number, 60 + i % 300).fields());
        if (i == 5000)
            appendEncodedRecord(bytes, order(OrderFile::Pending, "HUGE", 3 << 20).fields());
    }
    return bytes;
}

TEST(FindOrders, FindsEveryRecordOfANumberWhereItStands) {
    TempFolder folder;
    const std::string bytes = largePendingFile();
    test::put(folder.file("Pending.fil"), bytes);
    const OrderTable table = tableOf(OrderFile::Pending, bytes);

    auto numbers = allFileNumbers(folder.path());
    ASSERT_TRUE(numbers);
    EXPECT_EQ(*numbers, scanFileNumbers(bytes, OrderFile::Pending, "p").value());

    auto lock = DataLock::acquire(folder.path());
    const struct {
        const char* number;
        std::vector<size_t> indexes;
    } cases[] = {{"DUP", {10, 4321, 9000}}, {"HUGE", {5001}}, {"QM77", {77}}, {"none", {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        auto found = findOrders(*lock, OrderFile::Pending, c.number);
        ASSERT_TRUE(found) << found.error().describe();
        ASSERT_EQ(found->orders.size(), c.indexes.size());
        for (size_t k = 0; k < c.indexes.size(); ++k) {
            const FoundOrder& o = found->orders[k];
            EXPECT_EQ(o.place.index, c.indexes[k]);
            EXPECT_EQ(bytes.substr(o.place.offset, o.place.length),
                      table.records().rawRecord(o.place.index));
            EXPECT_EQ(o.record.fields(), table.record(o.place.index).fields());
        }
    }
    auto missing = findOrders(*lock, OrderFile::Archives, "DUP");
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->orders.empty());

    // Changing two of the three copies from the file gives what a rewrite of them gives.
    auto dup = findOrders(*lock, OrderFile::Pending, "DUP");
    OrderSplice splice{{{10, std::nullopt}, {9000, order(OrderFile::Pending, "DUP2")}},
                       {order(OrderFile::Pending, "END")}};
    ASSERT_TRUE(spliceOrderFile(*lock, *dup, splice));
    EXPECT_EQ(contentOf(folder.file("Pending.fil")),
              rewritten(OrderFile::Pending, applied(table, splice)));
}

TEST(FindOrders, ABrokenRecordIsNamedAsInOneRead) {
    TempFolder folder;
    std::string bytes = largePendingFile();
    bytes.insert(bytes.size() / 2, "#2026-12-07#,\"BROKEN\",\"x\r\n");
    test::put(folder.file("Pending.fil"), bytes);
    const auto whole = scanFileNumbers(bytes, OrderFile::Pending, "p");
    ASSERT_FALSE(whole);
    auto inPieces = allFileNumbers(folder.path());
    ASSERT_FALSE(inPieces);
    EXPECT_EQ(inPieces.error().record, whole.error().record);
}

TEST(Splice, RefusesAFileChangedSinceItsRecordsWereFound) {
    TempFolder folder;
    const std::string path = folder.file("Completed.fil");
    std::string bytes;
    appendEncodedRecord(bytes, order(OrderFile::Completed, "A").fields());
    test::put(path, bytes);
    auto lock = DataLock::acquire(folder.path());
    auto found = findOrders(*lock, OrderFile::Completed, "A");
    ASSERT_TRUE(found);
    ASSERT_TRUE(appendOrder(*lock, order(OrderFile::Completed, "B")));
    const std::string before = contentOf(path);
    EXPECT_FALSE(spliceOrderFile(*lock, *found, {{{0, std::nullopt}}, {}}));
    EXPECT_EQ(contentOf(path), before);
    // A record of another file's kind would shift every field after it.
    EXPECT_FALSE(spliceOrderFile(*lock, tableOf(OrderFile::Completed, before),
                                 {{}, {order(OrderFile::Pending, "C")}}));
}

TEST(Splice, AnAddedRecordDoesNotRunIntoALastRecordWithoutItsLineEnd) {
    TempFolder folder;
    std::string bytes = order(OrderFile::Pending, "A").encode();
    bytes.resize(bytes.size() - 2); // a hand edit lost the last CR LF
    test::put(folder.file("Pending.fil"), bytes);
    auto lock = DataLock::acquire(folder.path());
    ASSERT_TRUE(spliceOrderFile(*lock, tableOf(OrderFile::Pending, bytes),
                                {{}, {order(OrderFile::Pending, "B")}}));
    auto numbers = allFileNumbers(folder.path());
    ASSERT_TRUE(numbers);
    EXPECT_EQ(*numbers, (std::vector<std::string>{"A", "B"}));
}

// Something outside the program cuts the file short while it is scanned: the scan ends or
// fails, the process lives on.
TEST(FindOrders, AFileCutShortDuringTheScanDoesNotKillTheProcess) {
    TempFolder folder;
    const std::string path = folder.file("Archives.fil");
    std::string bytes;
    for (int i = 0; bytes.size() < (6u << 20); ++i)
        appendEncodedRecord(bytes, order(OrderFile::Archives, "QM" + std::to_string(i)).fields());
    test::put(path, bytes);
    EXPECT_EXIT(
        {
            size_t seen = 0;
            Status s = visitFileNumbers(folder.path(),
                                        [&](OrderFile, std::string_view piece, const std::string&,
                                            size_t, const std::string&) {
                                            if (seen++ == 0 && ::truncate(path.c_str(), 100) != 0)
                                                std::_Exit(3);
                                            // Bytes handed over must stay readable, at the end of
                                            // the piece as well.
                                            volatile char touched = piece[piece.size() / 2];
                                            touched = piece.back();
                                            (void)touched;
                                            return true;
                                        });
            (void)s;
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace qm
