#include "order.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using test::fixture;
using test::TempFolder;

OrderTable parsed(OrderFile file, const char* fixtureName) {
    auto table = parseOrderTable(file, fixture(fixtureName), fixtureName);
    EXPECT_TRUE(table) << table.error().describe();
    return table ? std::move(table).value() : OrderTable();
}

TEST(Order, ThreeLineNoteIsOneRecord) {
    const OrderTable table = parsed(OrderFile::Pending, "pending-three-line-note.fil");
    ASSERT_EQ(table.size(), 1u);
    const OrderRecord order = table.record(0);
    EXPECT_EQ(order.text(OrderField::FileNumber), "QM00012");
    EXPECT_EQ(order.text(OrderField::NotesLog),
              "\r\n12/07 08:30  Called owner, left message [JS]\r\n12/07 09:00  Keys at office "
              "[JS]\r\n12/07 09:15  Gate code 4411 [JS]");
    EXPECT_EQ(order.enteredAt(), (DateTime{2026, 12, 7, 8, 30, 0}));
    EXPECT_EQ(order.searcherName(), "Tom Reed");
    EXPECT_TRUE(order.searcherNotified());
    EXPECT_EQ(order.money(OrderField::MuniFee), Money::fromUnits(355000));
    EXPECT_EQ(order.encode(), fixture("pending-three-line-note.fil"));
}

TEST(Order, BothFormsOfEnteredAtAndTheBilledInAdvanceDueDate) {
    const OrderTable table = parsed(OrderFile::Pending, "pending-edited-billed-in-advance.fil");
    ASSERT_EQ(table.size(), 2u);
    const OrderRecord edited = table.record(0);
    EXPECT_EQ(edited.field(OrderField::EnteredAt).kind, FieldKind::Text);
    EXPECT_EQ(edited.enteredAt(), (DateTime{2026, 11, 30, 14, 5, 9}));
    EXPECT_EQ(edited.dueDate()->billedInAdvance, false);
    EXPECT_FALSE(edited.searcherNotified());
    EXPECT_EQ(edited.searcherName(), "");

    const OrderRecord billed = table.record(1);
    ASSERT_TRUE(billed.dueDate());
    EXPECT_TRUE(billed.dueDate()->billedInAdvance);
    EXPECT_EQ(billed.dueDate()->day, (DateTime{2026, 12, 9}));
    EXPECT_EQ(billed.searcherName(), "Ann Quill");
    for (size_t i = 0; i < table.size(); ++i)
        EXPECT_TRUE(checkOrderFields(table.records(), i).empty()) << i;
}

TEST(Order, DueDatesEncodeAndParse) {
    const struct {
        DueDate due;
        Field written;
    } cases[] = {
        {{{2026, 12, 9}, false}, {FieldKind::Date, "2026-12-09"}},
        {{{2026, 12, 9}, true}, {FieldKind::Text, "12/9/2026*"}},
        {{{2027, 1, 31}, true}, {FieldKind::Text, "1/31/2027*"}},
    };
    for (const auto& c : cases) {
        const Field f = encodeDueDate(c.due);
        EXPECT_EQ(f, c.written);
        const auto back = parseDueDate({f.kind, f.text});
        ASSERT_TRUE(back);
        EXPECT_EQ(back->day, c.due.day);
        EXPECT_EQ(back->billedInAdvance, c.due.billedInAdvance);
    }
    EXPECT_FALSE(parseDueDate({FieldKind::Text, "soon"}));
    EXPECT_FALSE(parseDueDate({FieldKind::Number, "12"}));
    EXPECT_FALSE(parseDueDate({FieldKind::Text, "2026-12-09*"}));
}

TEST(Order, MovingBetweenFilesAddsOrDropsTheTrailingFields) {
    const OrderRecord pending = parsed(OrderFile::Pending, "pending-three-line-note.fil").record(0);
    const OrderRecord completed = pending.movedTo(OrderFile::Completed);
    ASSERT_EQ(completed.fields().size(), 19u);
    EXPECT_EQ(completed.text(OrderField::NotesLog), pending.text(OrderField::NotesLog));
    EXPECT_EQ(completed.field(OrderField::CopyCosts), Field::ofNumber(0));
    const OrderRecord archived = completed.movedTo(OrderFile::Archives);
    ASSERT_EQ(archived.fields().size(), 21u);
    EXPECT_EQ(archived.movedTo(OrderFile::Pending).encode(), pending.encode());
}

TEST(Order, FieldKindProblemsNameTheField) {
    std::string bytes = fixture("archives-statement.fil");
    const struct {
        const char* name;
        std::string from, to;
        const char* says;
    } cases[] = {
        {"fee as text", ",150,", ",\"150\",", "BaseFee is not a number"},
        {"fee past any amount", ",150,", ",1e20,", "BaseFee is too large for an amount"},
        {"due date as a word", "#2026-10-03#", "\"soon\"", "DueDate is not a due date"},
        {"entered at as a word", "#2026-10-01 09:00:00#", "\"x\"", "EnteredAt is not a date"},
        {"statement date form", "\"10/31/2026\"", "\"2026-10-31\"", "StatementDate is not"},
        {"completed at missing", "#2026-10-04 10:00:00#", "\"\"", "CompletedAt is not a date"},
        {"empty file number", "\"QM00007\"", "\"\"", "FileNumber is empty"},
    };
    for (const auto& c : cases) {
        std::string broken = bytes;
        broken.replace(broken.find(c.from), c.from.size(), c.to);
        auto table = parseOrderTable(OrderFile::Archives, broken, "Archives.fil");
        ASSERT_TRUE(table) << c.name;
        const auto problems = checkOrderFields(table->records(), 0);
        ASSERT_EQ(problems.size(), 1u) << c.name;
        EXPECT_NE(problems[0].message.find(c.says), std::string::npos) << problems[0].message;
    }
}

TEST(Order, NextGeneratedFileNumber) {
    const struct {
        const char* name;
        std::vector<std::string> numbers;
        const char* next;
    } cases[] = {
        {"no orders", {}, "QM00001"},
        {"customer numbers only", {"4471-B", "99999"}, "QM00001"},
        {"highest wins", {"QM00003", "QM00007", "QM00005"}, "QM00008"},
        {"split order counts as its base", {"QM00012m", "QM00004"}, "QM00013"},
        {"tail without a leading digit counts as 0", {"QMabcde"}, "QM00001"},
        {"lower-case prefix is no generated number", {"qm00050"}, "QM00001"},
        {"beyond five digits", {"QM99999"}, "QM100000"},
        {"six digits read whole", {"QM100000", "QM99999"}, "QM100001"},
        {"six-digit split order", {"QM123456m"}, "QM123457"},
        {"short number after the prefix", {"QM7"}, "QM00008"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nextGeneratedFileNumber(c.numbers), c.next) << c.name;
}

TEST(Order, ScanFindsTheSameFileNumbersAsAFullRead) {
    const struct {
        OrderFile file;
        const char* name;
    } cases[] = {{OrderFile::Pending, "pending-three-line-note.fil"},
                 {OrderFile::Pending, "pending-edited-billed-in-advance.fil"},
                 {OrderFile::Completed, "completed-fractional-fees.fil"},
                 {OrderFile::Archives, "archives-statement.fil"}};
    for (const auto& c : cases) {
        const OrderTable table = parsed(c.file, c.name);
        auto numbers = scanFileNumbers(fixture(c.name), c.file, c.name);
        ASSERT_TRUE(numbers) << c.name;
        ASSERT_EQ(numbers->size(), table.size()) << c.name;
        for (size_t i = 0; i < table.size(); ++i)
            EXPECT_EQ((*numbers)[i], table.field(i, OrderField::FileNumber).text);
    }
    // Hand-edited layouts: fields on lines of their own, bare numbers, blank lines as fields.
    const std::string loose[] = {
        "#2026-12-07#,QM5\r\n" + std::string(14, ',') + "\r\n",
        "#2026-12-07#\r\n  QM6 \r\n" + std::string(14, ',') + "\r\n",
        "\r\n\r\n" + std::string(15, '\n') + "\"x\",\"QM7\"" + std::string(15, ',') + "\r\n",
    };
    for (const std::string& bytes : loose) {
        auto table = parseOrderTable(OrderFile::Pending, bytes, "p");
        auto numbers = scanFileNumbers(bytes, OrderFile::Pending, "p");
        ASSERT_TRUE(table && numbers) << bytes;
        ASSERT_EQ(numbers->size(), table->size()) << bytes;
        for (size_t i = 0; i < table->size(); ++i)
            EXPECT_EQ((*numbers)[i], table->field(i, OrderField::FileNumber).text) << bytes;
    }
    // A number written as a literal is taken as the reader takes it.
    const std::string literal = "#2026-12-07#,#2026-12-08#" + std::string(15, ',') + "\r\n";
    auto literalNumbers = scanFileNumbers(literal, OrderFile::Pending, "p");
    ASSERT_TRUE(literalNumbers);
    EXPECT_EQ(literalNumbers->front(), "2026-12-08");
    auto broken = scanFileNumbers("#2026-12-07#,\"QM1\",\"open", OrderFile::Pending, "p");
    EXPECT_FALSE(broken);
}

TEST(Order, AllFileNumbersSpansTheThreeFilesAndSkipsMissingOnes) {
    TempFolder folder;
    test::put(folder.file("Archives.fil"), fixture("archives-statement.fil"));
    test::put(folder.file("Pending.fil"), fixture("pending-edited-billed-in-advance.fil"));
    auto numbers = allFileNumbers(folder.path());
    ASSERT_TRUE(numbers) << numbers.error().describe();
    EXPECT_EQ(*numbers, (std::vector<std::string>{"QM00012m", "4471-B", "QM00007"}));
    EXPECT_EQ(nextGeneratedFileNumber(*numbers), "QM00013");
    EXPECT_FALSE(allFileNumbers(folder.path() + "gone/"));
}

TEST(Order, AppendAndRewriteUnderTheLock) {
    TempFolder folder;
    auto lock = DataLock::acquire(folder.path());
    ASSERT_TRUE(lock);
    const OrderTable two = parsed(OrderFile::Pending, "pending-edited-billed-in-advance.fil");
    for (size_t i = 0; i < two.size(); ++i)
        ASSERT_TRUE(appendOrder(*lock, two.record(i)));
    EXPECT_EQ(test::contentOf(folder.file("Pending.fil")),
              fixture("pending-edited-billed-in-advance.fil"));
    ASSERT_TRUE(rewriteOrderFile(*lock, OrderFile::Pending, {two.record(1)}));
    auto back = readOrderRecords(folder.path(), OrderFile::Pending);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 1u);
    EXPECT_EQ(back->front().text(OrderField::FileNumber), "4471-B");
}

TEST(Order, ReadingAMissingFileSaysSo) {
    TempFolder folder;
    auto missing = readOrderFile(folder.path(), OrderFile::Completed);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().kind, ErrorKind::FileNotFound);
    auto noFolder = readOrderFile(folder.path() + "nowhere/", OrderFile::Completed);
    ASSERT_FALSE(noFolder);
    EXPECT_EQ(noFolder.error().kind, ErrorKind::PathNotFound);
}

TEST(Order, LogEntriesAndInitials) {
    EXPECT_EQ(formatLogEntry({2026, 3, 4, 9, 5, 0}, "Called owner", "JS"),
              "\r\n03/04 09:05  Called owner [JS]");
    const struct {
        const char* logOn;
        const char* initials;
    } cases[] = {{"John Smith", "JS"}, {"jsmith", "j"}, {"Mary Ann  Lee", "MA L"}, {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(userInitials(c.logOn), c.initials) << c.logOn;
    EXPECT_EQ(enteredByName("abcdefghijklmnopqrstuvwxyz"), "abcdefghijklmnopqrstuvwx");
}

} // namespace
} // namespace qm
