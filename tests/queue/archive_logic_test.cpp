#include "archive_logic.h"

#include "archive_test_orders.h"

#include <functional>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::archivedRecord;
using test::lineOf;
using test::PendingFields;
using test::setFees;

const QDate kDue(2024, 3, 15);

std::string pad(const std::string& text, size_t width) {
    return text.size() >= width ? text.substr(0, width)
                                : text + std::string(width - text.size(), ' ');
}

// Places 97 to 119: the fees and the copy costs in their 7 places, blanks after each.
std::string amounts(const std::string& fees, const std::string& copies) {
    return fees + "     " + copies + "    ";
}

// A line from its values, each padded to its width.
std::string expectedLine(const std::string& completed, const std::string& address,
                         const std::string& number, const std::string& type,
                         const std::string& muni, const std::string& amountPlaces,
                         const std::string& statement, const std::string& day) {
    return pad(completed, 16) + pad(address, 38) + pad(number, 17) + pad(type, 15) + pad(muni, 10) +
           amountPlaces + pad(statement, 10) + pad(day, 6);
}

struct LineCase {
    const char* name;
    std::function<void(OrderRecord&)> change;
    std::string expected;
};

TEST(ArchiveLineTest, ValuesAtTheirPlacesAndWidths) {
    const LineCase cases[] = {
        {"fees 150, 25 and copies 12.5", [](OrderRecord& r) { setFees(r, "150", "25", "12.5"); },
         expectedLine("03/20/24 16:45", "12 Oak St, Springfield", "F-1", "R.2 Owner", "M.Lien",
                      amounts(" 175.00", "  12.50"), "2404-01", "04/02")},
        {"second address line, town in proper case",
         [](OrderRecord& r) {
             r.setText(OrderField::PropertyAddress2, "Unit 2");
             r.setText(OrderField::Town, "WEST SPRINGFIELD");
         },
         expectedLine("03/20/24 16:45", "12 Oak St Unit 2, West Springfield", "F-1", "R.2 Owner",
                      "M.Lien", amounts(" 185.50", "   0.00"), "2404-01", "04/02")},
        {"values longer than their places are cut",
         [](OrderRecord& r) {
             r.setText(OrderField::PropertyAddress1, "1234 Long Meadow Boulevard Extension");
             r.setText(OrderField::FileNumber, "ABCDEFGHIJKLMNOPQRS");
             r.setText(OrderField::SearchType, "C.Full Commercial X");
             r.setText(OrderField::MuniSearch, "M.Tax Search");
             r.setText(OrderField::StatementNumber, "STATEMENT-0042");
         },
         expectedLine("03/20/24 16:45", "1234 Long Meadow Boulevard Extension, S",
                      "ABCDEFGHIJKLMNOPQ", "C.Full Commerci", "M.Tax Sear",
                      amounts(" 185.50", "   0.00"), "STATEMENT-", "04/02")},
        {"CompletedAt stored as text",
         [](OrderRecord& r) { r.setText(OrderField::CompletedAt, "2024-03-21 08:05:00"); },
         expectedLine("03/21/24 08:05", "12 Oak St, Springfield", "F-1", "R.2 Owner", "M.Lien",
                      amounts(" 185.50", "   0.00"), "2404-01", "04/02")},
        {"CompletedAt as short-date text with a 12-hour time",
         [](OrderRecord& r) { r.setText(OrderField::CompletedAt, "3/21/2024 2:05:00 PM"); },
         expectedLine("03/21/24 14:05", "12 Oak St, Springfield", "F-1", "R.2 Owner", "M.Lien",
                      amounts(" 185.50", "   0.00"), "2404-01", "04/02")},
        {"CompletedAt that is no date is shown as stored",
         [](OrderRecord& r) { r.setText(OrderField::CompletedAt, "closed by phone, see notes"); },
         expectedLine("closed by phone,", "12 Oak St, Springfield", "F-1", "R.2 Owner", "M.Lien",
                      amounts(" 185.50", "   0.00"), "2404-01", "04/02")},
        {"an amount wider than its place keeps every digit",
         [](OrderRecord& r) { setFees(r, "12000", "345.5", "0"); },
         expectedLine("03/20/24 16:45", "12 Oak St, Springfield", "F-1", "R.2 Owner", "M.Lien",
                      "12345.50    "
                      "   0.00    ",
                      "2404-01", "04/02")},
    };
    for (const LineCase& c : cases) {
        OrderRecord r = archivedRecord(PendingFields("F-1", kDue).types("R.2 Owner", "M.Lien"));
        c.change(r);
        const std::string line = lineOf(r);
        EXPECT_EQ(line.size(), kArchiveLineWidth) << c.name;
        EXPECT_EQ(line, c.expected) << c.name;
    }
}

TEST(ArchiveLineTest, CustomerKey) {
    struct Case {
        const char* company;
        const char* customer;
        const char* key;
    } cases[] = {
        {"Liberty Land Title - Westfield", "Smith Law - Bob", "Liberty Land Title - Westfield"},
        {"", "Trautman Law Group, P.C. - Mark Trautman", "Trautman Law Group, P.C."},
        {"", "Paul Fairbanks", "Paul Fairbanks"},
        {"", "Dash-Case - A - B", "Dash-Case"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        const std::string bytes =
            archivedRecord(PendingFields("F-1", kDue).from(c.company, c.customer)).encode();
        auto table = readRecords(bytes, 21, "Archives.fil");
        ASSERT_TRUE(table);
        EXPECT_EQ(archiveCustomerKey(*table, 0), c.key);
    }
}

TEST(ArchiveLineTest, CaptionAndHint) {
    EXPECT_EQ(archiveCaption("").size(), 65);
    EXPECT_TRUE(archiveCaption("").startsWith("Quillmark Archives" + QString(30, ' ')));
    EXPECT_TRUE(archiveCaption("ABC").endsWith("=>   ABC"));
    EXPECT_EQ(kArchiveHint, "Select customer &/OR type search-text to filter (Bkspc to del)");
}

QString lineStarting(const QString& text, const QString& label) {
    for (const QString& line : text.split("\r\n"))
        if (line.startsWith(label))
            return line;
    return "<no line " + label + ">";
}

QString detailsOf(const OrderRecord& r) {
    return archiveDetailsText({&r, "(555) 201-0001", "555.201.0002"});
}

TEST(ArchiveDetailsTest, WholeStoryOfAnArchivedOrder) {
    OrderRecord r = archivedRecord(PendingFields("F-1", kDue)
                                       .by("Ann Lee*")
                                       .types("R.2 Owner", "M.Lien")
                                       .from("First Title", "Smith Law - Bob")
                                       .at("12 Oak St", "Unit 2")
                                       .in("WEST SPRINGFIELD"));
    setFees(r, "150", "25", "12.5");
    r.setText(OrderField::NotesLog, "\r\n03/01 14:05  gate code 12 [CL]");
    r.setText(OrderField::MessagesLog, "\r\n03/02 09:00  call me [CL]");
    EXPECT_EQ(detailsOf(r).toStdString(),
              "F-1    12 Oak St Unit 2, West Springfield    R.2 Owner w/ M.Lien\r\n"
              "\r\n"
              "FROM:      First Title\r\n"
              "ENTERED:   Friday, March 01, 2024 @ 2:05PM by clerk\r\n"
              "DUE DATE:  Friday, March 15, 2024\r\n"
              "COMPLETED: Wednesday, March 20, 2024 @ 4:45PM\r\n"
              "SEARCHER:  Ann Lee  h 5552010001  c 5552010002\r\n"
              "\r\n"
              "FEES:      Base = $150,  Muni = $25,  Copies = $12.5\r\n"
              "INVOICE:   2404-01 on 04/02/2024\r\n"
              "\r\n"
              "NOTES:     agent-> Smith Law - Bob\r\n"
              "           owner-> J. Smith\r\n"
              "\r\n"
              "03/01 14:05  gate code 12 [CL]\r\n"
              "\r\n"
              "MESSAGES ...\r\n"
              "\r\n"
              "03/02 09:00  call me [CL]");
}

TEST(ArchiveDetailsTest, DatesAndAmountsInEachStoredForm) {
    struct Case {
        const char* name;
        std::function<void(OrderRecord&)> change;
        const char* label;
        const char* line;
    } cases[] = {
        {"billed in advance, not yet closed",
         [](OrderRecord& r) {
             r.setDueDate({{2024, 3, 1, 0, 0, 0}, true});
         },
         "COMPLETED:", "COMPLETED: ... still pending"},
        {"billed in advance: due date without its mark",
         [](OrderRecord& r) {
             r.setDueDate({{2024, 3, 1, 0, 0, 0}, true});
         },
         "DUE DATE:", "DUE DATE:  Friday, March 01, 2024"},
        {"CompletedAt as text",
         [](OrderRecord& r) { r.setText(OrderField::CompletedAt, "2024-03-21 08:05:00"); },
         "COMPLETED:", "COMPLETED: Thursday, March 21, 2024 @ 8:05AM"},
        {"CompletedAt that is no date",
         [](OrderRecord& r) { r.setText(OrderField::CompletedAt, "see notes"); },
         "COMPLETED:", "COMPLETED: see notes"},
        {"amounts below a dollar and zero", [](OrderRecord& r) { setFees(r, ".5", "0", "-.25"); },
         "FEES:", "FEES:      Base = $0.5,  Muni = $0,  Copies = $-0.25"},
        {"amounts written with decimals",
         [](OrderRecord& r) { setFees(r, "150.00", "35.50", "12.5000"); },
         "FEES:", "FEES:      Base = $150,  Muni = $35.5,  Copies = $12.5"},
        {"an attorney alone gives the line break after the notes",
         [](OrderRecord& r) {
             r.setText(OrderField::TitleCompany, "");
             r.setText(OrderField::Customer, "Smith Law - Bob");
         },
         "FROM:", "FROM:      Smith Law - Bob"},
    };
    for (const Case& c : cases) {
        OrderRecord r = archivedRecord(PendingFields("F-1", kDue).by("Ann Lee*"));
        c.change(r);
        EXPECT_EQ(lineStarting(detailsOf(r), c.label).toStdString(), c.line) << c.name;
    }
}

TEST(ArchiveSearchTest, MatchesWithoutRegardToCaseAcrossLineGapAndKey) {
    const std::string line = "12 Oak St, Springfield  F-1  caf\xe9 04/02";
    const std::string tail = std::string(kArchiveKeyGap, ' ') + "First Title";
    struct Case {
        QString text;
        bool inLine, straddles;
    } cases[] = {
        {"OAK ST", true, false},
        {"oak st", true, false},
        {QString::fromUtf8("CAFÉ"), true, false},
        {QString::fromUtf8("café"), true, false},
        {"OAKST", false, false},
        {"04/02" + QString(20, ' ') + "FIRST", false, true},
        {"02" + QString(20, ' ') + "F", false, true},
        {"02" + QString(19, ' ') + "F", false, false},
        {"FIRST", false, false}, // in the tail alone: found there, not across
    };
    for (const Case& c : cases) {
        const ArchiveSearch search(c.text);
        EXPECT_EQ(search.foundIn(line), c.inLine) << c.text.toStdString();
        EXPECT_EQ(search.straddles(line, tail), c.straddles) << c.text.toStdString();
    }
    EXPECT_TRUE(ArchiveSearch("FIRST").foundIn(tail));
    // A character no archived byte can be: nothing matches, not even a '?'.
    EXPECT_TRUE(ArchiveSearch(QString::fromUtf8("日")).matchesNothing());
    EXPECT_FALSE(ArchiveSearch("?").matchesNothing());
    EXPECT_TRUE(ArchiveSearch("").empty());
}

TEST(ArchiveSearchTest, TypedCharactersAndCaseFolding) {
    struct Case {
        QChar typed, kept;
    } cases[] = {
        {u'a', u'A'}, {u'Z', u'Z'}, {u'5', u'5'}, {u' ', u' '}, {u'é', u'É'},
        {u'š', u'Š'}, {u'ÿ', u'Ÿ'}, {u'µ', u'µ'}, // its capital is Greek, which the files cannot
                                                  // hold
    };
    for (const Case& c : cases)
        EXPECT_EQ(searchCharacter(c.typed), c.kept) << int{c.typed.unicode()};
    EXPECT_EQ(foldCase(0xE9), 0xC9); // é -> É
    EXPECT_EQ(foldCase(0x9A), 0x8A); // š -> Š
    EXPECT_EQ(foldCase(0xFF), 0x9F); // ÿ -> Ÿ
    EXPECT_EQ(foldCase(0xDF), 0xDF); // ß stays
    EXPECT_EQ(foldCase('{'), '{');
}

TEST(ArchiveLogicTest, CustomerOrderAndListFont) {
    const QStringList keys = {"beta Title", "Alpha Law", "Beta Title", "alpha law", "Gamma"};
    std::vector<QString> sorted;
    for (int k : sortedCustomerOrder(keys))
        sorted.push_back(keys[k]);
    EXPECT_EQ(sorted, (std::vector<QString>{"Alpha Law", "alpha law", "Beta Title", "beta Title",
                                            "Gamma"}));

    const std::pair<double, double> zooms[] = {{1.0, 1.0},   {1.12, 1.0}, {1.13, 1.05},
                                               {1.15, 1.05}, {1.16, 1.0}, {1.4, 0.95}};
    for (auto [zoom, factor] : zooms)
        EXPECT_EQ(archiveListFontFactor(zoom), factor) << zoom;
}

TEST(ArchiveLogicTest, MomentsInTheirStoredForms) {
    struct Case {
        FieldKind kind;
        const char* text;
        std::optional<DateTime> when;
    } cases[] = {
        {FieldKind::Date, "2024-03-20 16:45:00", DateTime{2024, 3, 20, 16, 45, 0}},
        {FieldKind::Text, "2024-03-20 16:45:00", DateTime{2024, 3, 20, 16, 45, 0}},
        {FieldKind::Text, "3/20/2024", DateTime{2024, 3, 20, 0, 0, 0}},
        {FieldKind::Text, "03/20/2024 4:45 PM", DateTime{2024, 3, 20, 16, 45, 0}},
        {FieldKind::Text, "3/20/2024 12:05AM", DateTime{2024, 3, 20, 0, 5, 0}},
        {FieldKind::Text, "3/20/2024 16:45:30", DateTime{2024, 3, 20, 16, 45, 30}},
        {FieldKind::Text, "3/20/2024 13:45 PM", std::nullopt},
        {FieldKind::Text, "3/20/2024 16:61", std::nullopt},
        {FieldKind::Text, "2/30/2024", std::nullopt},
        {FieldKind::Number, "45371", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(archiveMoment({c.kind, c.text}), c.when) << c.text;
}

} // namespace
} // namespace qm
