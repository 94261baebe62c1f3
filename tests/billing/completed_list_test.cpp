// The completed list: line layout, billing keys, which rows show in which order, and totals.
#include "completed_orders.h"
#include "completed_view.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <numeric>

// Readable QStrings in failure messages.
void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace qm {
namespace {

using test::Completed;
using test::rowsOf;

QString columns(const QString& line, LineColumns c) {
    return line.mid(c.first - 1, c.width);
}

QStringList numbersOf(const std::vector<CompletedRow>& rows, const std::vector<size_t>& shown) {
    QStringList out;
    for (size_t i : shown)
        out << QString::fromStdString(rows[i].fileNumber);
    return out;
}

TEST(CompletedLine, ColumnsHoldTheRecordsValues) {
    struct Case {
        const char* what;
        Completed order;
        QString closed, address, number, type, muni, fee, copies;
    };
    const Case cases[] = {
        {"plain", Completed("QM00001").types("R.Full", "M.Lien").fees("150", "35.5", "12.5"),
         "03/05 14:07", "12 Oak St, Springfield", "QM00001", "R.Full", "M.Lien", " 185.50",
         "  12.50"},
        {"second address line, town in proper case",
         Completed("F-2").at("12 Oak St", "Unit 4", "WEST SPRINGFIELD"), "03/05 14:07",
         "12 Oak St Unit 4, West Springfield", "F-2", "R.Full", "", " 150.00", "   0.00"},
        {"billed in advance", Completed("F-3").billedInAdvance(), "bill in adv",
         "12 Oak St, Springfield", "F-3", "R.Full", "", " 150.00", "   0.00"},
        {"half a cent rounds away from zero", Completed("F-4").fees("10.005", "0", "-2.005"),
         "03/05 14:07", "12 Oak St, Springfield", "F-4", "R.Full", "", "  10.01", "  -2.01"},
        {"completion moment stored as text", Completed("F-5").onAsText({2025, 12, 31, 23, 59, 0}),
         "12/31 23:59", "12 Oak St, Springfield", "F-5", "R.Full", "", " 150.00", "   0.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto rows = rowsOf({c.order});
        ASSERT_EQ(rows.size(), 1u);
        const QString& line = rows[0].line;
        EXPECT_EQ(columns(line, kClosedColumns), c.closed.leftJustified(14));
        EXPECT_EQ(columns(line, kAddressColumns), c.address.leftJustified(38));
        EXPECT_EQ(columns(line, kFileNumberColumns), c.number.leftJustified(17));
        EXPECT_EQ(columns(line, kTypeColumns), c.type.leftJustified(15));
        EXPECT_EQ(columns(line, kMuniColumns), c.muni.leftJustified(10));
        EXPECT_EQ(columns(line, kFeeColumns), c.fee);
        EXPECT_EQ(line.mid(101, 5), QString(5, ' '));
        EXPECT_EQ(columns(line, kCopiesColumns), c.copies);
        EXPECT_EQ(line.mid(113, 17), QString(17, ' '));
        const QDate day = dayOf(c.order.completedAt);
        EXPECT_EQ(line.mid(130),
                  QString::fromStdString(c.order.titleCompany) + "_" + day.toString("yyyyMMdd"));
    }
}

TEST(CompletedLine, WideValuesAreCutOnScreenButKeptWholeInTheRow) {
    const std::string longNumber = "ABCDEFGHIJKLMNOPQRSTU"; // 21 characters
    const auto rows = rowsOf({Completed(longNumber)
                                  .types("R.Full", "M.LongMuniName")
                                  .fees("12345.675", "0", "1234567.891")
                                  .by("", "Smith & Jones - Ann Smith")});
    ASSERT_EQ(rows.size(), 1u);
    const CompletedRow& row = rows[0];
    EXPECT_EQ(row.fileNumber, longNumber);
    EXPECT_EQ(columns(row.line, kFileNumberColumns), "ABCDEFGHIJKLMNOPQ");
    EXPECT_EQ(row.feeCents(), Money::fromUnits(123456800));
    // The wider amount keeps its decimal point over the others, one blank before it.
    EXPECT_EQ(row.line.mid(92, 9), " 12345.68");
    EXPECT_EQ(row.line.indexOf('.', 92), 98); // column 99, where " 150.00" has its point
    EXPECT_EQ(row.line.mid(101, 12), "  1234567.89");
    EXPECT_EQ(row.billingKey, "Smith & Jones - Ann Smith");
}

TEST(BillingKeys, EveryDistinctKeyOnceWithoutTheEmptyOne) {
    const auto rows = rowsOf(
        {Completed("1").by("Acme Title - Boston Heights"), Completed("2").by("Acme Title - Boston"),
         Completed("3").by("", "Baker - Al Baker"), Completed("4").by("Acme Title - Boston"),
         Completed("5").by("acme title - boston"), Completed("6").by("", "")});
    EXPECT_EQ(billingKeysOf(rows),
              QStringList({"Acme Title - Boston", "acme title - boston",
                           "Acme Title - Boston Heights", "Baker - Al Baker"}));
}

TEST(CompletedSelection, KeyAndCutoffDecideWhichRowsShow) {
    const QDate today(2026, 3, 20);
    const auto rows = rowsOf({
        Completed("A1").by("Acme - Boston").on({2026, 3, 5, 9, 0, 0}),
        Completed("A2").by("Acme - Boston Heights").on({2026, 3, 4, 9, 0, 0}),
        Completed("A3").by("Acme - Boston").on({2026, 3, 12, 9, 0, 0}),
        Completed("A4").by("Acme - Boston").on({2025, 12, 30, 9, 0, 0}),
        Completed("A5").by("", "Acme - Boston").on({2026, 3, 1, 9, 0, 0}),
        Completed("A6").by("Acme - Boston").on({2026, 3, 2, 9, 0, 0}).billedInAdvance(),
        Completed("A7").by("Acme - Boston").on({2026, 3, 10, 23, 59, 59}),
    });
    struct Case {
        const char* what;
        QString key;
        QDate cutoff;
        QStringList shown;
    };
    const Case cases[] = {
        {"show-all up to today lists everything, billed in advance last",
         "",
         today,
         {"A4", "A5", "A2", "A1", "A7", "A3", "A6"}},
        {"show-all with a past cutoff", "", QDate(2026, 3, 4), {"A4", "A5", "A2", "A6"}},
        {"a key takes only its own rows, not a longer key's",
         "Acme - Boston",
         today,
         {"A4", "A5", "A1", "A7", "A3", "A6"}},
        {"the cutoff day itself is included",
         "Acme - Boston",
         QDate(2026, 3, 10),
         {"A4", "A5", "A1", "A7", "A6"}},
        {"the longer key alone", "Acme - Boston Heights", today, {"A2"}},
        {"a key no row has", "Acme", today, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(numbersOf(rows, rowsForKey(rows, c.key, c.cutoff, today)), c.shown) << c.what;
}

TEST(CompletedSelection, FilterMatchesTheWholeLineIgnoringCaseAndCutoff) {
    const auto rows = rowsOf({Completed("F1").by("Acme - Boston").on({2025, 6, 1, 8, 0, 0}),
                              Completed("F2").by("Baker - Al").on({2026, 1, 2, 8, 0, 0}),
                              Completed("F3").by("Acme - Boston").at("9 Elm St")});
    const std::pair<QString, QStringList> cases[] = {
        {"", {"F1", "F2", "F3"}}, {"_2025", {"F1"}},      {"_2026", {"F2", "F3"}},
        {"ELM ST", {"F3"}},       {"baker - al", {"F2"}}, {"acme", {"F1", "F3"}},
        {"no such text", {}},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(numbersOf(rows, rowsMatching(rows, text)), shown) << text.toStdString();
}

TEST(CompletedTotals, SumTheShownCentsAndFormatWhateverTheLocale) {
    struct Case {
        std::vector<Completed> orders;
        QString subTotals, total;
    };
    const Case cases[] = {
        {{Completed("1").fees("1000", "234.5")},
         "Sub-Totals     $  1234.50        0.00",
         "$ 1,234.50"},
        // Each line adds what it shows: 10.01 + 12345.68, not 12355.68.
        {{Completed("1").fees("10.005"), Completed("2").fees("12345.675", "0", "0.125")},
         "Sub-Totals     $ 12355.69        0.13",
         "$ 12,355.82"},
        {{Completed("1").fees("123456789", "0", "1")},
         "Sub-Totals     $123456789.00        1.00",
         "$ 123,456,790.00"},
    };
    const QLocale saved;
    for (const QLocale& locale : {QLocale(QLocale::English), QLocale(QLocale::German)}) {
        QLocale::setDefault(locale);
        for (const Case& c : cases) {
            const auto rows = rowsOf(c.orders);
            std::vector<size_t> all(rows.size());
            std::iota(all.begin(), all.end(), 0);
            const CompletedTotals totals = totalsOf(rows, all);
            EXPECT_EQ(subTotalsText(totals), c.subTotals);
            EXPECT_EQ(invoiceTotalText(totals), c.total);
        }
    }
    QLocale::setDefault(saved);
}

TEST(CompletedSelection, EveryRecordCountsBeyondTenThousand) {
    std::vector<Completed> orders;
    for (int i = 0; i < 10050; ++i)
        orders.push_back(Completed("N" + std::to_string(i)).fees("1"));
    const auto rows = rowsOf(orders);
    ASSERT_EQ(rows.size(), 10050u);
    const auto shown =
        rowsForKey(rows, "Acme Title - Boston", QDate(2026, 3, 20), QDate(2026, 3, 20));
    EXPECT_EQ(shown.size(), 10050u);
    EXPECT_EQ(totalsOf(rows, shown).fees, Money::fromDollars(10050));
}

TEST(CompletedTexts, CaptionAndCutoffLabel) {
    EXPECT_EQ(completedTabCaption(0), "Completed [0]");
    EXPECT_EQ(completedTabCaption(12345), "Completed [12345]");
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(cutoffLabelText(QDate(2026, 12, 7)), "  Cutoff Date:  MONDAY, DECEMBER 07");
    QLocale::setDefault(saved);
}

TEST(CompletedCutoff, LaterThanTodayOrWhileShowAllIsRefused) {
    const QDate today(2026, 3, 20);
    EXPECT_TRUE(isCutoffAccepted(today, today, false));
    EXPECT_TRUE(isCutoffAccepted(today.addDays(-40), today, false));
    EXPECT_FALSE(isCutoffAccepted(today.addDays(1), today, false));
    EXPECT_FALSE(isCutoffAccepted(today.addDays(-1), today, true));
}

TEST(PeriodHeading, CountsDaysAndComparesYearAndMonth) {
    struct Case {
        QDate first, cutoff;
        const char* heading;
    };
    const Case cases[] = {
        {{2026, 3, 1}, {2026, 3, 31}, "MONTH ENDING "},
        {{2026, 3, 10}, {2026, 3, 10}, "WEEK ENDING "},
        {{2026, 3, 10}, {2026, 3, 16}, "WEEK ENDING "},
        {{2026, 3, 10}, {2026, 3, 17}, "PERIOD ENDING "},
        {{2026, 3, 1}, {2026, 3, 14}, "PERIOD ENDING "},
        {{2026, 3, 1}, {2026, 3, 15}, "MONTH ENDING "},
        {{2026, 2, 20}, {2026, 3, 20}, "PERIOD ENDING "},
        {{2025, 3, 1}, {2026, 3, 31}, "PERIOD ENDING "},
        {{2026, 12, 28}, {2027, 1, 2}, "WEEK ENDING "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(periodHeading(c.first, c.cutoff), c.heading)
            << c.first.toString(Qt::ISODate).toStdString() << " to "
            << c.cutoff.toString(Qt::ISODate).toStdString();
}

} // namespace
} // namespace qm
