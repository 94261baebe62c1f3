#include "pending_orders.h"
#include "queue_logic.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using test::PendingFields;
using test::tableOf;

const QDate kToday(2024, 3, 8);

QStringList numbersShown(const std::vector<QueueRow>& rows, const QueueFilterChoice& choice) {
    QStringList numbers;
    const QueueFilterTest test(choice);
    for (const QueueRow& row : rows)
        if (test.passes(row))
            numbers << row.cell(2).toString();
    return numbers;
}

QueueFilterChoice choose(int filter, const QString& text) {
    QueueFilterChoice choice;
    choice[filter] = text;
    return choice;
}

TEST(QueueRowTest, CellsOfOnePendingOrder) {
    struct Case {
        const char* name;
        PendingFields fields;
        QueueCells cells;
        bool sent;
    };
    const Case cases[] = {
        {"plain",
         PendingFields("F-1", QDate(2024, 3, 9)).in("WEST SPRINGFIELD").by("Ann Marie"),
         {"03/09/24", "12 Oak St, West Springfield", "F-1", "R.2 Owner", "", "Ann Marie",
          "First Title_"},
         false},
        {"second address line, attorney, sent, billed",
         PendingFields("F-2", QDate(2024, 12, 31))
             .in("springfield")
             .by("Bob Dee*")
             .types("", "M.Lien")
             .from("", "Smith Law - Bob Smith")
             .at("12 Oak St", "Unit 4")
             .billedInAdvance(),
         {"12/31/24*", "12 Oak St Unit 4, Springfield", "F-2", "", "M.Lien", "Bob Dee",
          "_Smith Law - Bob Smith*"},
         true},
        {"searcher cut at the first star",
         PendingFields("F-3", QDate(2025, 1, 2)).in("AGAWAM").by("Cy*x*").types("C.Full", ""),
         {"01/02/25", "12 Oak St, Agawam", "F-3", "C.Full", "", "Cy", "First Title_*"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QueueRow row = queueRowOf(tableOf({c.fields}), 0);
        EXPECT_EQ(row.cells(), c.cells);
        EXPECT_EQ(row.sent, c.sent);
        EXPECT_EQ(row.entry, QStringList(c.cells.begin(), c.cells.end()).join(QLatin1Char('\t')));
    }
}

TEST(QueueRowTest, SortedByDueDateWithTheNewestFirstAmongEqualDates) {
    const auto rows = buildQueueRows(
        tableOf({PendingFields("A", QDate(2024, 3, 10)), PendingFields("B", QDate(2024, 3, 9)),
                 PendingFields("C", QDate(2024, 3, 10)), PendingFields("D", QDate(2023, 12, 31)),
                 PendingFields("E", QDate(2024, 3, 9)).billedInAdvance()}));
    QStringList numbers;
    for (const QueueRow& row : rows)
        numbers << row.cell(2).toString();
    EXPECT_EQ(numbers, (QStringList{"D", "E", "B", "C", "A"}));
}

TEST(QueueFilterItemsTest, EmptyFileHasOnlyTheFixedTypeItems) {
    const QueueFilterItems items = collectFilterItems(OrderTable());
    for (int k = 1; k <= kQueueFilterCount; ++k)
        EXPECT_EQ(items[k],
                  k == TypeFilter ? QStringList({kAllMunicipal, kAllRegular}) : QStringList())
            << k;
}

TEST(QueueFilterItemsTest, CollectedWithTheSubstringRuleAndSortedWithoutCase) {
    struct Case {
        const char* name;
        std::vector<PendingFields> fieldSets;
        int filter;
        QStringList items;
    };
    const Case cases[] = {
        {"a searcher inside an earlier one is left out",
         {PendingFields("1", kToday).by("Ann Marie*"), PendingFields("2", kToday).by("Ann")},
         SearcherFilter,
         {"Ann Marie"}},
        {"the test is case-sensitive and the order of collection counts",
         {PendingFields("1", kToday).by("Joann"), PendingFields("2", kToday).by("Ann")},
         SearcherFilter,
         {"Ann", "Joann"}},
        {"a longer value after a shorter one is kept",
         {PendingFields("1", kToday).by("Ann"), PendingFields("2", kToday).by("Ann Marie")},
         SearcherFilter,
         {"Ann", "Ann Marie"}},
        {"towns only by the same town",
         {PendingFields("1", kToday).in("WEST SPRINGFIELD"),
          PendingFields("2", kToday).in("SPRINGFIELD"),
          PendingFields("3", kToday).in("springfield"), PendingFields("4", kToday).in("")},
         TownFilter,
         {"Springfield", "West Springfield"}},
        {"customers: title companies and attorneys cut before the dash",
         {PendingFields("1", kToday).from("zed Title", "Abe Law - Abe"),
          PendingFields("2", kToday).from("", "Bea Law - Ann"),
          PendingFields("3", kToday).from("Abe Law", "")},
         CustomerFilter,
         {"Abe Law", "Bea Law", "zed Title"}},
        {"types and municipal searches with the two fixed items, all in order",
         {PendingFields("1", kToday).types("R.2 Owner", "M.Lien"),
          PendingFields("2", kToday).types("c.Full", ""),
          PendingFields("3", kToday).types("R.2", "M.Lien"),
          PendingFields("4", kToday).types("A.Deed", "")},
         TypeFilter,
         {"A.Deed", kAllMunicipal, kAllRegular, "c.Full", "M.Lien", "R.2 Owner"}},
        {"due dates as shown, without the billed marker",
         {PendingFields("1", QDate(2024, 3, 9)).billedInAdvance(),
          PendingFields("2", QDate(2024, 3, 9)), PendingFields("3", QDate(2023, 1, 2))},
         DueDateFilter,
         {"01/02/23", "03/09/24"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(collectFilterItems(tableOf(c.fieldSets))[c.filter], c.items);
    }
}

TEST(QueueFilterTest, ShowsOnlyRowsThatHoldEveryChosenKey) {
    const auto rows = buildQueueRows(tableOf({
        PendingFields("S1", kToday).by("Ann Marie*"),
        PendingFields("S2", kToday).in("WEST SPRINGFIELD").by("Ann").types("", "M.Lien"),
        PendingFields("S3", kToday).by("Ann").types("C.Full", "M.Tax"),
        PendingFields("S4", kToday.addDays(1)).in("AGAWAM").by("ann").types("X.Other", ""),
        PendingFields("S5", kToday).in("AGAWAM").types("", "").from("", "Smith Law - Bo"),
    }));
    struct Case {
        const char* name;
        QueueFilterChoice choice;
        QStringList shown;
    };
    QueueFilterChoice townAndSearcher;
    townAndSearcher[TownFilter] = "Springfield";
    townAndSearcher[SearcherFilter] = "Ann";
    QueueFilterChoice placeholders;
    for (int k = 1; k <= kQueueFilterCount; ++k)
        placeholders[k] = queueFilterPlaceholder(k);
    const Case cases[] = {
        {"no filter", {}, {"S5", "S3", "S2", "S1", "S4"}},
        {"placeholders are no filter", placeholders, {"S5", "S3", "S2", "S1", "S4"}},
        {"town Springfield, not West Springfield", choose(TownFilter, "Springfield"), {"S3", "S1"}},
        {"town West Springfield", choose(TownFilter, "West Springfield"), {"S2"}},
        {"two filters at once", townAndSearcher, {"S3", "S1"}},
        {"Ann Marie shows only her rows", choose(SearcherFilter, "Ann Marie"), {"S1"}},
        {"ALL REGULAR: a cell beginning R. or C.", choose(TypeFilter, kAllRegular), {"S3", "S1"}},
        {"ALL MUNICIPAL: a cell beginning M.", choose(TypeFilter, kAllMunicipal), {"S3", "S2"}},
        {"one municipal search", choose(TypeFilter, "M.Lien"), {"S2"}},
        {"due date", choose(DueDateFilter, kToday.addDays(1).toString("MM/dd/yy")), {"S4"}},
        {"customer key in the hidden column", choose(CustomerFilter, "Smith Law"), {"S5"}},
        {"case-sensitive", choose(CustomerFilter, "first title"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(numbersShown(rows, c.choice), c.shown);
    }
}

TEST(QueueColourTest, BackgroundFromTheDueDateAndSearcherTextFromTheSentFlag) {
    EXPECT_EQ(rowBackground(kToday.addDays(-1), kToday), QColor(255, 0, 0));
    EXPECT_EQ(rowBackground(kToday.addYears(-3), kToday), QColor(255, 0, 0));
    EXPECT_EQ(rowBackground(kToday, kToday), QColor(255, 255, 0));
    EXPECT_EQ(rowBackground(kToday.addDays(1), kToday), std::nullopt);
    EXPECT_EQ(rowBackground(QDate(), kToday), std::nullopt);
    const QueueRow billed = queueRowOf(tableOf({PendingFields("B", kToday).billedInAdvance()}), 0);
    EXPECT_EQ(rowBackground(billed.due, kToday), QColor(255, 255, 0));
    EXPECT_EQ(pendingTabCaption(0), "Pending Searches [0]");
    EXPECT_EQ(pendingTabCaption(1234), "Pending Searches [1234]");
}

TEST(QueueColourTest, ContrastRatioFollowsRelativeLuminance) {
    const struct {
        QColor a, b;
        double ratio;
    } cases[] = {
        {Qt::black, Qt::white, 21.0},
        {Qt::white, Qt::black, 21.0},
        {QColor(255, 0, 0), QColor(255, 0, 0), 1.0},
        {QColor(128, 128, 128), QColor(255, 0, 0), 1.01}, // grey on red: unreadable
        {Qt::black, QColor(255, 0, 0), 5.25},
        {QColor(128, 128, 128), Qt::white, 3.95},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(contrastRatio(c.a, c.b), c.ratio, 0.01) << c.a.name().toStdString();
}

// Every row colour the queue paints, with the searcher sent and not: readable, and the two
// told apart on the same row.
TEST(QueueColourTest, SearcherTextReadsOnEveryRowColour) {
    const struct {
        const char* name;
        int daysDue;
    } rows[] = {{"past due", -1}, {"due today", 0}, {"due later", 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QColor background =
            rowBackground(kToday.addDays(row.daysDue), kToday).value_or(kQueueGridBackground);
        const QColor sent = searcherTextColour(true, background);
        const QColor unsent = searcherTextColour(false, background);
        EXPECT_GE(contrastRatio(sent, background), kMinTextContrast);
        EXPECT_GE(contrastRatio(unsent, background), kMinTextContrast);
        EXPECT_GE(contrastRatio(sent, unsent), kMinTextContrast);
    }
    EXPECT_EQ(searcherTextColour(true, Qt::white), QColor(0, 0, 0));
    EXPECT_EQ(searcherTextColour(false, Qt::white), QColor(128, 128, 128));
}

TEST(QueueSnapshotTest, NumberStreetAndSearcherOfARow) {
    const struct {
        QString address, searcher;
        QString street, searcherShown;
    } cases[] = {
        {"12 Oak St, Agawam", "Ann Marie", "12 Oak St", "Ann Marie"},
        {"Unit 4, 12 Oak St Rear, West Springfield", "Bo", "Unit 4", "Bo"},
        {", Agawam", "", "", ""},
        {"12 Oak St", "Ann*", "12 Oak St", "Ann"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address.toStdString());
        const QueueCells cells = {"03/09/24", c.address, "F-1", "R.2", "", c.searcher, "T_"};
        const QueueSelectionSnapshot snapshot = selectionSnapshotOf(cells);
        EXPECT_EQ(snapshot.fileNumber, "F-1");
        EXPECT_EQ(snapshot.street, c.street);
        EXPECT_EQ(snapshot.searcher, c.searcherShown);
    }
}

} // namespace
} // namespace qm
