#include "archive_filter.h"
#include "archive_list.h"

#include "archive_test_orders.h"
#include "cp1252.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {
namespace {

using test::archivedRecord;
using test::PendingFields;
using test::writeArchives;

const QDate kDue(2024, 3, 15);

OrderRecord order(int i) {
    const std::string number = "F-" + std::to_string(i);
    static const char* const companies[] = {"First Title", "", "Oak Title - Springfield", ""};
    static const char* const attorneys[] = {"", "Smith Law - Bob Smith", "Smith Law - Ann Lee",
                                            "Brown & Daughters - Jo Brown"};
    static const char* const towns[] = {"SPRINGFIELD", "AGAWAM", "WEST SPRINGFIELD"};
    // Addresses that name other customers, so that only the key tells them apart.
    static const char* const streets[] = {"12 Oak St", "7 Smith Law Rd", "3 First Ave",
                                          "9 Brown Ct"};
    OrderRecord r = archivedRecord(PendingFields(number, kDue)
                                       .from(companies[i % 4], attorneys[(i / 4) % 4])
                                       .in(towns[i % 3])
                                       .at(streets[(i / 3) % 4], i % 5 == 0 ? "Lot 9" : ""));
    r.setText(OrderField::NotesLog, "\r\n03/01 14:05  note of order " + number + " [CL]");
    return r;
}

std::vector<OrderRecord> orders(int count) {
    std::vector<OrderRecord> all;
    for (int i = 0; i < count; ++i)
        all.push_back(order(i));
    return all;
}

ArchiveList readList(const std::string& folder) {
    auto list = ArchiveList::read(folder);
    EXPECT_TRUE(list) << (list ? "" : list.error().describe());
    return list ? std::move(list).value() : ArchiveList();
}

TEST(ArchiveListTest, MissingFileIsAnEmptyArchive) {
    test::TempFolder folder;
    const ArchiveList list = readList(folder.path());
    EXPECT_EQ(list.size(), 0u);
    EXPECT_TRUE(list.keys().empty());
    EXPECT_FALSE(list.fault());
    ArchiveFilter filter(list);
    EXPECT_TRUE(filter.apply(std::nullopt, "ABC").empty());
}

TEST(ArchiveListTest, LinesKeysAndEachRecordFromItsPlace) {
    test::TempFolder folder;
    const std::vector<OrderRecord> written = orders(40);
    ASSERT_TRUE(writeArchives(folder.path(), written));
    const ArchiveList list = readList(folder.path());
    ASSERT_EQ(list.size(), written.size());
    std::set<std::string> keys;
    for (size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(list.line(i), test::lineOf(written[i]));
        auto again = list.record(i);
        ASSERT_TRUE(again);
        EXPECT_EQ(again->fields(), written[i].fields()) << i;
        keys.insert(std::string(list.keys()[list.keyOf(i)]));
    }
    // An order of neither a title company nor an attorney has the empty key.
    EXPECT_EQ(keys, (std::set<std::string>{"", "First Title", "Oak Title - Springfield",
                                           "Smith Law", "Brown & Daughters"}));
    EXPECT_EQ(list.keys().size(), keys.size());
}

TEST(ArchiveListTest, RecordsLargerThanTheReadingWindowAndManyChunks) {
    test::TempFolder folder;
    std::vector<OrderRecord> written = orders(9000);
    // A note of 20 MB: more than one window of the reader, across chunk ends.
    written[4100].setText(OrderField::NotesLog, "\r\n" + std::string(20 << 20, 'n'));
    ASSERT_TRUE(writeArchives(folder.path(), written));
    const ArchiveList list = readList(folder.path());
    ASSERT_EQ(list.size(), written.size());
    EXPECT_FALSE(list.fault());
    for (size_t i : {size_t{0}, size_t{4095}, size_t{4096}, size_t{4100}, size_t{8999}}) {
        auto again = list.record(i);
        ASSERT_TRUE(again);
        EXPECT_EQ(again->text(OrderField::FileNumber), written[i].text(OrderField::FileNumber));
        EXPECT_EQ(again->text(OrderField::NotesLog).size(),
                  written[i].text(OrderField::NotesLog).size());
    }
}

TEST(ArchiveListTest, RecordThatDoesNotReadEndsTheListAndIsReported) {
    test::TempFolder folder;
    const std::string path = folder.file("Archives.fil");
    test::put(path, test::encodeAll(orders(3)) + "#2024-13-45#,\"broken\r\n" +
                        test::encodeAll(orders(2)));
    const ArchiveList list = readList(folder.path());
    EXPECT_EQ(list.size(), 3u);
    ASSERT_TRUE(list.fault());
    EXPECT_EQ(list.fault()->record, 4);
    EXPECT_EQ(list.fault()->file, path);
}

TEST(ArchiveListTest, RefusesLinksAndFilesThatAreNotPlain) {
    test::TempFolder folder;
    const std::string path = folder.file("Archives.fil");
    ASSERT_TRUE(writeArchives(folder.path(), orders(2)));
    ASSERT_EQ(::rename(path.c_str(), folder.file("elsewhere.fil").c_str()), 0);
    ASSERT_EQ(::symlink(folder.file("elsewhere.fil").c_str(), path.c_str()), 0);
    EXPECT_FALSE(ArchiveList::read(folder.path()));
    ASSERT_EQ(::unlink(path.c_str()), 0);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    auto fifo = ArchiveList::read(folder.path()); // must not wait for a writer
    ASSERT_FALSE(fifo);
    EXPECT_EQ(fifo.error().file, path);
}

TEST(ArchiveListTest, RewriteWhileOpenKeepsTheBytesTheLinesCameFrom) {
    test::TempFolder folder;
    ASSERT_TRUE(writeArchives(folder.path(), orders(5)));
    const ArchiveList list = readList(folder.path());
    // Another workstation closes an order billed in advance: the file is rewritten and
    // renamed over the old one, with other records in other places.
    std::vector<OrderRecord> changed = orders(5);
    changed.erase(changed.begin());
    changed[0].setText(OrderField::NotesLog, std::string(500, 'x'));
    ASSERT_TRUE(writeArchives(folder.path(), changed));
    for (size_t i = 0; i < 5; ++i) {
        auto again = list.record(i);
        ASSERT_TRUE(again);
        EXPECT_EQ(again->fields(), order(static_cast<int>(i)).fields());
    }
}

// The filter's answer as one pass over whole entries (line, 20 blanks, key) would give it.
std::vector<std::uint32_t> everyMatch(const ArchiveList& list, std::optional<std::uint32_t> key,
                                      const QString& text) {
    std::vector<std::uint32_t> found;
    for (size_t i = 0; i < list.size(); ++i) {
        const QString entry = QString::fromStdString(
            cp1252ToUtf8(std::string(list.line(i)) + std::string(kArchiveKeyGap, ' ') +
                         std::string(list.keys()[list.keyOf(i)])));
        if ((!key || list.keyOf(i) == *key) && entry.contains(text, Qt::CaseInsensitive))
            found.push_back(static_cast<std::uint32_t>(i));
    }
    return found;
}

TEST(ArchiveFilterTest, NarrowingAndGoingBackGiveWhatAWholeSearchGives) {
    test::TempFolder folder;
    ASSERT_TRUE(writeArchives(folder.path(), orders(120)));
    const ArchiveList list = readList(folder.path());
    std::optional<std::uint32_t> smith;
    for (std::uint32_t k = 0; k < list.keys().size(); ++k)
        if (list.keys()[k] == "Smith Law")
            smith = k;
    ASSERT_TRUE(smith);

    ArchiveFilter filter(list);
    // Typing, Backspace, a customer chosen and given up, text that jumps to another beginning,
    // and text that runs from a line's end through the gap into the key.
    const std::pair<std::optional<std::uint32_t>, QString> steps[] = {
        {std::nullopt, ""},
        {std::nullopt, "S"},
        {std::nullopt, "SM"},
        {std::nullopt, "SMI"},
        {std::nullopt, "SM"},
        {smith, "SM"},
        {smith, "SMITH LAW"},
        {smith, "SMITH LAW R"},
        {std::nullopt, "SMITH LAW R"},
        {std::nullopt, "SMITH"},
        {std::nullopt, "AGAW"},
        {std::nullopt, "LOT 9, AG"},
        {std::nullopt, ""},
        {std::nullopt, "04/02" + QString(21, ' ') + "SMITH"},
        {smith, "F-1"},
        {std::nullopt, "ZZZ"},
        {std::nullopt, "ZZ"},
    };
    for (const auto& [key, text] : steps) {
        const std::vector<std::uint32_t> expected = everyMatch(list, key, text);
        EXPECT_EQ(filter.apply(key, text), expected) << text.toStdString();
        EXPECT_EQ(filter.shown(), expected);
    }
    // The exact key: an address with the customer's name in it does not make a match.
    const auto& ofSmith = filter.apply(smith, "");
    EXPECT_FALSE(ofSmith.empty());
    for (std::uint32_t i : ofSmith)
        EXPECT_EQ(list.keyOf(i), *smith);
    EXPECT_LT(ofSmith.size(), everyMatch(list, std::nullopt, "Smith Law").size());
}

} // namespace
} // namespace qm
