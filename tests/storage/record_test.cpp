#include "record.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using test::fixture;

std::string reencode(const RecordTable& table) {
    std::string out;
    for (size_t i = 0; i < table.size(); ++i)
        appendEncodedRecord(out, table.fields(i));
    return out;
}

TEST(Record, WritingRules) {
    const Field fields[] = {Field::ofText("Smith, Jones"),
                            Field::ofNumber(0.5),
                            Field::ofMoney(Money::fromDollars(150)),
                            Field::ofDate({2026, 12, 7, 8, 30, 0}),
                            Field::ofDate({2026, 12, 9}),
                            Field::ofBool(true),
                            Field::ofBool(false),
                            Field::ofText("")};
    EXPECT_EQ(encodeRecord(fields),
              "\"Smith, Jones\",.5,150,#2026-12-07 08:30:00#,#2026-12-09#,#TRUE#,#FALSE#,\"\"\r\n");
}

TEST(Record, TextNeverCarriesADoubleQuoteIntoTheFile) {
    const Field fields[] = {Field::ofText("O\"Neil"), Field::ofNumber(1)};
    const std::string bytes = encodeRecord(fields);
    EXPECT_EQ(bytes, "\"O'Neil\",1\r\n");
    auto table = readRecords(bytes, 2, "t");
    ASSERT_TRUE(table);
    EXPECT_EQ(table->field(0, 1).text, "1");
}

TEST(Record, FixturesReadAndWriteBackByteForByte) {
    const struct {
        const char* name;
        size_t fields;
        size_t records;
    } cases[] = {{"pending-three-line-note.fil", 17, 1},
                 {"pending-edited-billed-in-advance.fil", 17, 2},
                 {"completed-fractional-fees.fil", 19, 1},
                 {"archives-statement.fil", 21, 1},
                 {"services-fee-forms.dat", 2, 4}};
    for (const auto& c : cases) {
        const std::string bytes = fixture(c.name);
        ASSERT_FALSE(bytes.empty()) << c.name;
        auto table = readRecords(bytes, c.fields, c.name);
        ASSERT_TRUE(table) << table.error().describe();
        EXPECT_EQ(table->size(), c.records) << c.name;
        EXPECT_EQ(reencode(*table), bytes) << c.name;
    }
}

TEST(Record, FieldsKeepTheirLiteralKind) {
    const std::string bytes = "#2026-12-07#,\"7\",7,#TRUE#,\"2026-12-07\",abc\r\n";
    auto table = readRecords(bytes, 6, "t");
    ASSERT_TRUE(table);
    const FieldKind kinds[] = {FieldKind::Date,    FieldKind::Text, FieldKind::Number,
                               FieldKind::Boolean, FieldKind::Text, FieldKind::Bare};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(table->field(0, i).kind, kinds[i]) << i;
    // A date written as text still reads as the same day.
    EXPECT_EQ(table->field(0, 4).date(), table->field(0, 0).date());
    EXPECT_EQ(table->field(0, 1).number(), 7);
    EXPECT_EQ(table->field(0, 3).boolean(), true);
}

TEST(Record, QuotedTextSpansLinesAndKeepsCommas) {
    const std::string bytes = "\"a, b\r\nc\",1\r\n\"d\",2\r\n";
    auto table = readRecords(bytes, 2, "t");
    ASSERT_TRUE(table);
    ASSERT_EQ(table->size(), 2u);
    EXPECT_EQ(table->field(0, 0).text, "a, b\r\nc");
    EXPECT_EQ(table->rawRecord(0), "\"a, b\r\nc\",1\r\n");
    EXPECT_EQ(table->field(1, 0).text, "d");
}

TEST(Record, RecordsSpanLineEndsAndToleratesLooseEndings) {
    const struct {
        const char* name;
        std::string bytes;
        size_t records;
    } cases[] = {
        {"empty file", "", 0},
        {"blanks after the last record", "1,2\r\n  ", 1},
        {"no line end after the last record", "1,2\r\n3,4", 2},
        {"bare LF line ends", "1,2\n3,4\n", 2},
        {"fields across lines", "1\r\n2\r\n", 1},
        {"blanks around fields", " 1 , \"x\" \r\n", 1},
    };
    for (const auto& c : cases) {
        auto table = readRecords(c.bytes, 2, "t");
        ASSERT_TRUE(table) << c.name << ": " << table.error().describe();
        EXPECT_EQ(table->size(), c.records) << c.name;
    }
}

TEST(Record, BrokenBytesGiveAnErrorNamingFileAndRecord) {
    const struct {
        const char* name;
        std::string bytes;
        long record;
        const char* says;
    } cases[] = {
        {"ends inside the record", "1,2,3\r\n4,5", 2, "ends inside the record"},
        {"ends after a comma", "1,2,3\r\n4,5,", 2, "ends inside the record"},
        {"unclosed quote", "1,2,3\r\n\"abc,2,3\r\n", 2, "not closed"},
        {"unclosed literal", "#2026-12-07,2,3\r\n", 1, "not closed"},
        {"literal that is no date", "1,2,3\r\n1,#2026-02-30#,3\r\n", 2, "is not a date"},
        {"too many fields", "1,2,3,4\r\n", 1, "more than 3 fields"},
    };
    for (const auto& c : cases) {
        auto table = readRecords(c.bytes, 3, "Pending.fil");
        ASSERT_FALSE(table) << c.name;
        EXPECT_EQ(table.error().kind, ErrorKind::BadRecord) << c.name;
        EXPECT_EQ(table.error().record, c.record) << c.name;
        EXPECT_NE(table.error().message.find(c.says), std::string::npos)
            << c.name << ": " << table.error().message;
        EXPECT_NE(table.error().describe().find("Pending.fil"), std::string::npos) << c.name;
    }
}

TEST(Record, ReadingStopsAfterTheRequestedRecords) {
    auto table = readRecords("1\r\n2\r\n\"broken", 1, "t", 2);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->size(), 2u);
}

} // namespace
} // namespace qm
