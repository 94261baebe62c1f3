#include "message_log.h"

#include "store_support.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::contentOf;
using test::TempFolder;
using namespace ordertest;

TEST(MessageLog, MessageEntryEndsWithTheChannelOfOnlyOne) {
    const struct {
        bool email, text;
        std::optional<MessageType> type;
        const char* ending;
    } cases[] = {
        {true, false, MessageType::EmailOnly, " via eml"},
        {false, true, MessageType::TextOnly, " via txt"},
        {true, true, MessageType::EmailWithTextCopy, ""},
        {false, false, std::nullopt, nullptr},
    };
    for (const auto& c : cases) {
        const auto type = deliveryChoice(c.email, c.text);
        ASSERT_EQ(type, c.type) << c.email << c.text;
        if (!type)
            continue;
        EXPECT_EQ(messageLogEntry({2026, 3, 4, 7, 5, 0}, "gate is *open*", "JQ", *type),
                  std::string("\r\n03/04 07:05  gate is *open* [JQ]") + c.ending);
    }
}

TEST(MessageLog, ListStampIsEnglishTwelveHourWithoutLeadingZero) {
    const struct {
        QTime time;
        const char* stamp;
    } cases[] = {
        {QTime(9, 5), "Mon, 12/07/26 @ 9:05AM ..."},
        {QTime(0, 30), "Mon, 12/07/26 @ 12:30AM ..."},
        {QTime(12, 0), "Mon, 12/07/26 @ 12:00PM ..."},
        {QTime(23, 59), "Mon, 12/07/26 @ 11:59PM ..."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(listGeneratedStamp(QDateTime(QDate(2026, 12, 7), c.time)), c.stamp);
}

TEST(MessageLog, ListBodyFramesTheListWithHeadingAndSignature) {
    CompanyDetails company;
    company.name = "North Abstract llc";
    company.phone = "(555) 201-0000";
    company.fax = "(555) 201-0001";
    const QString body = listMailBody("Tom Reed", QDateTime(QDate(2026, 12, 8), QTime(14, 7)),
                                      "AGAWAM  12 Elm St\r\n\r\n", company);
    EXPECT_EQ(body, "List of pending searches for  Tom Reed  generated Tue, 12/08/26 @ 2:07PM "
                    "...\r\n\r\nAGAWAM  12 Elm St\r\n\r\n\r\nNORTH ABSTRACT LLC   Phone: (555) "
                    "201-0000   Fax: (555) 201-0001");
}

TEST(MessageLog, PastedTextBecomesOneLineWithoutDoubleQuotes) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"the \"big\" house", "the 'big' house"},
        {"line one\r\nline two", "line one line two"},
        {"a\rb\nc\td", "a b c d"},
        {"two\n\nbreaks", "two  breaks"},
        {"star * stays", "star * stays"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(singleLineText(c.in), c.out) << c.in;
}

class PostLogEntry : public ::testing::Test {
  protected:
    void SetUp() override {
        OrderRecord first = orderNumbered(OrderFile::Pending, "A-1");
        first.setText(OrderField::NotesLog, "\r\n11/02 08:15  called [JQ]");
        put(folder.path(), OrderFile::Pending,
            {orderNumbered(OrderFile::Pending, "B-2"), first,
             orderNumbered(OrderFile::Pending, "A-1")});
        // A record written by hand in another form keeps its bytes.
        const std::string handWritten =
            "#2026-11-02#,\"C-3\",\"\",\"\",\"1 MAIN ST\",\"\",\"LEE\",\"\",\"\",\"\","
            "#2026-12-10#,\"\",\"\",  150 ,0,\"\",\"\"\r\n";
        test::put(pending(), contentOf(pending()) + handWritten);
        before = contentOf(pending());
    }
    std::string pending() const { return folder.file("Pending.fil"); }

    TempFolder folder;
    std::string before;
};

TEST_F(PostLogEntry, GoesToTheFirstRecordWithTheNumberAndLeavesTheOthersAsTheyStand) {
    for (OrderField log : {OrderField::NotesLog, OrderField::MessagesLog}) {
        test::put(pending(), before);
        const std::string entry = "\r\n12/08 09:30  keys at the office [JQ]";
        auto posted = postLogEntry(folder.path(), "A-1", log, entry);
        ASSERT_TRUE(posted);
        EXPECT_EQ(*posted, PostResult::Posted);

        auto expected = parseOrderTable(OrderFile::Pending, before, "");
        ASSERT_TRUE(expected);
        std::vector<OrderRecord> records;
        for (size_t i = 0; i < expected->size(); ++i)
            records.push_back(expected->record(i));
        records[1].setText(log, records[1].text(log) + entry);
        TempFolder other;
        put(other.path(), OrderFile::Pending, {records[0], records[1], records[2]});
        const std::string handWritten = before.substr(before.find("#2026-11-02#,\"C-3\""));
        EXPECT_EQ(contentOf(pending()), contentOf(other.file("Pending.fil")) + handWritten);
    }
}

TEST_F(PostLogEntry, AnOrderNoLongerPendingWritesNothing) {
    auto posted = postLogEntry(folder.path(), "Z-9", OrderField::NotesLog, "\r\nx [JQ]");
    ASSERT_TRUE(posted);
    EXPECT_EQ(*posted, PostResult::NotPending);
    EXPECT_EQ(contentOf(pending()), before);
    auto pendingNow = isPendingOrder(folder.path(), "Z-9");
    ASSERT_TRUE(pendingNow);
    EXPECT_FALSE(*pendingNow);
    pendingNow = isPendingOrder(folder.path(), "A-1");
    ASSERT_TRUE(pendingNow);
    EXPECT_TRUE(*pendingNow);
}

// Two workstations post 200 notes each to one order at the same time: every note arrives once,
// each workstation's in the order it posted them.
TEST_F(PostLogEntry, NotesFromTwoProcessesAtOnceAreAllKept) {
    constexpr int kEach = 200;
    QProcess a, b;
    const QString folderArg = QString::fromStdString(folder.path());
    a.start(QStringLiteral(QM_NOTE_POSTER), {folderArg, "A-1", QString::number(kEach), "A"});
    b.start(QStringLiteral(QM_NOTE_POSTER), {folderArg, "A-1", QString::number(kEach), "B"});
    ASSERT_TRUE(a.waitForFinished(60000));
    ASSERT_TRUE(b.waitForFinished(60000));
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();

    auto table = readOrderFile(folder.path(), OrderFile::Pending);
    ASSERT_TRUE(table);
    ASSERT_EQ(table->size(), 4u);
    const std::string notes = table->record(1).text(OrderField::NotesLog);
    EXPECT_EQ(table->record(2).text(OrderField::NotesLog), "");
    size_t at = 0;
    int next[2] = {1, 1};
    int lines = 0;
    const std::string prefix = "\r\n12/08 10:00  ";
    for (size_t found; (found = notes.find(prefix, at)) != std::string::npos; at = found + 1) {
        const size_t start = found + prefix.size();
        const std::string line = notes.substr(start, notes.find('\r', start) - start);
        const int who = line[0] == 'A' ? 0 : 1;
        EXPECT_EQ(line, std::string(who == 0 ? "A" : "B") + " note " + std::to_string(next[who]++) +
                            " [T]");
        ++lines;
    }
    EXPECT_EQ(lines, 2 * kEach);
    EXPECT_EQ(next[0], kEach + 1);
    EXPECT_EQ(next[1], kEach + 1);
    EXPECT_EQ(notes.rfind("\r\n11/02 08:15  called [JQ]", 0), 0u);
}

} // namespace
} // namespace qm
