#include "list_output.h"

#include <gtest/gtest.h>

#include <utility>

namespace qm {
namespace {

// A line of blanks with each text written at its place (counted from 1).
QString lineWith(int length, std::initializer_list<std::pair<int, QString>> texts) {
    QString line(length, QLatin1Char(' '));
    for (const auto& [place, text] : texts)
        line.replace(place - 1, text.size(), text);
    return line;
}

QueueCells cells(QString due, QString address, QString number, QString type, QString muni,
                 QString searcher) {
    return {std::move(due),
            std::move(address),
            std::move(number),
            std::move(type),
            std::move(muni),
            std::move(searcher),
            QStringLiteral("Acme Title_")};
}

const QueueCells kSample =
    cells("12/01/26*", "12 Main St, Springfield", "QM26-0042", "R.FULL", "M.TAX", "Ann Marie");

struct RowsCase {
    const char* name;
    int current, last;
    bool details;
    int count;
    std::vector<int> expected;
};

TEST(ListOutput, RowsToOutput) {
    const RowsCase cases[] = {
        {"nothing selected after a refill", -1, -1, false, 3, {0, 1, 2}},
        {"current row kept but pane emptied by the refill", 1, 1, false, 3, {0, 1, 2}},
        {"one row with its details", 1, 1, true, 3, {1}},
        {"several downwards", 1, 3, false, 5, {1, 2, 3}},
        {"several upwards", 3, 1, false, 5, {1, 2, 3}},
        {"several, details pane ignored", 0, 1, true, 2, {0, 1}},
        {"empty grid", -1, -1, false, 0, {}},
    };
    for (const RowsCase& c : cases)
        EXPECT_EQ(rowsToOutput(c.current, c.last, c.details, c.count), c.expected) << c.name;
}

struct LineCase {
    const char* name;
    QString actual;
    QString expected;
};

TEST(ListOutput, LinesPlaceEachCell) {
    // Every cell longer than its place is cut to its width (a long municipal search to 10).
    const QueueCells longCells =
        cells(QString(20, 'D'), QString(60, 'A') + ", " + QString(30, 't'), QString(30, 'N'),
              QString(30, 'T'), QString(30, 'M'), QString(30, 'S'));
    const LineCase cases[] = {
        {"copied detail", copiedDetailLine(kSample),
         lineWith(115, {{1, "12/01/26*"},
                        {12, "12 Main St, Springfield"},
                        {56, "QM26-0042"},
                        {73, "R.FULL"},
                        {88, "M.TAX"},
                        {98, "Ann Marie"}})},
        {"printed detail", printedDetailLine(kSample),
         lineWith(118, {{4, "12/01/26*"},
                        {15, "12 Main St, Springfield"},
                        {59, "QM26-0042"},
                        {76, "R.FULL"},
                        {91, "M.TAX"},
                        {101, "Ann Marie"}})},
        {"copied detail, cut", copiedDetailLine(longCells),
         lineWith(115, {{1, QString(9, 'D')},
                        {12, QString(43, 'A')},
                        {56, QString(17, 'N')},
                        {73, QString(15, 'T')},
                        {88, QString(10, 'M')},
                        {98, QString(18, 'S')}})},
        {"copied work list", copiedWorkListLine(kSample),
         lineWith(91, {{1, "SPRINGFIELD"},
                       {18, "12 Main St"},
                       {56, "R.FULL"},
                       {71, "M.TAX"},
                       {84, "12/01/26"}})},
        {"printed work list", printedWorkListLine(kSample),
         lineWith(94, {{4, "SPRINGFIELD"},
                       {21, "12 Main St"},
                       {59, "R.FULL"},
                       {74, "M.TAX"},
                       {87, "12/01/26"}})},
        {"copied work list, cut", copiedWorkListLine(longCells),
         lineWith(91, {{1, QString(16, 'T')},
                       {18, QString(37, 'A')},
                       {56, QString(15, 'T')},
                       {71, QString(10, 'M')},
                       {84, QString(8, 'D')}})},
        {"work list, no type and no municipal search",
         copiedWorkListLine(cells("01/05/27", "9 Elm Rd, Dover", "F-1", "", "", "")),
         lineWith(91,
                  {{1, "DOVER"}, {18, "9 Elm Rd"}, {56, "---"}, {71, "---"}, {84, "01/05/27"}})},
        {"work list, comma inside the street",
         copiedWorkListLine(
             cells("01/05/27", "12 Main St, Unit 4, Springfield", "F-2", "R.FULL", "", "")),
         lineWith(91, {{1, "SPRINGFIELD"},
                       {18, "12 Main St, Unit 4"},
                       {56, "R.FULL"},
                       {71, "---"},
                       {84, "01/05/27"}})},
        {"detail line keeps empty cells blank",
         copiedDetailLine(cells("01/05/27", "9 Elm Rd, Dover", "F-1", "", "", "")),
         lineWith(115, {{1, "01/05/27"}, {12, "9 Elm Rd, Dover"}, {56, "F-1"}})},
    };
    for (const LineCase& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.name;
}

TEST(ListOutput, HeadingsStandOverThePrintedColumns) {
    struct Column {
        QString word;
        int place;
    };
    const Column detail[] = {{"Due Date", 4},   {"Property Address", 15},
                             {"Order No.", 59}, {"Type", 76},
                             {"Muni", 91},      {"Searcher", 101}};
    for (const Column& c : detail)
        EXPECT_EQ(detailHeading().indexOf(c.word), c.place - 1) << c.word.toStdString();
    EXPECT_EQ(detailHeading().size(), 108);
    const Column work[] = {
        {"Town", 4}, {"Property Address", 21}, {"Type", 59}, {"Muni", 74}, {"Due Date", 87}};
    for (const Column& c : work)
        EXPECT_EQ(workListHeading().indexOf(c.word), c.place - 1) << c.word.toStdString();
    EXPECT_EQ(workListHeading().size(), 94);
}

std::vector<QString> numbersOf(const std::vector<QueueCells>& rows) {
    std::vector<QString> numbers;
    for (const QueueCells& row : rows)
        numbers.push_back(row[2]);
    return numbers;
}

TEST(ListOutput, WorkListOrderFollowsTheTownList) {
    const std::vector<QueueCells> grid = {
        cells("12/01/26", "1 A St, Salem", "S1", "R.FULL", "", ""),
        cells("12/02/26", "2 B St, West Springfield", "W1", "R.FULL", "", ""),
        cells("12/03/26", "3 C St, Springfield", "P1", "R.FULL", "", ""),
        cells("12/04/26", "4 D St, Nowhere", "X1", "R.FULL", "", ""),
        cells("12/05/26", "5 E St, Unit 2, Salem", "S2", "R.FULL", "", ""),
        cells("12/06/26", "6 F St, Springfield", "P2", "R.FULL", "", ""),
    };
    const QStringList towns = {"< select town >", "SPRINGFIELD", "DOVER", "SALEM",
                               "WEST SPRINGFIELD"};
    const std::vector<QString> expected = {"P1", "P2", "S1", "S2", "W1"};
    EXPECT_EQ(numbersOf(workListOrder(grid, towns)), expected);
    EXPECT_TRUE(workListOrder(grid, {}).empty());
    // The town list is matched exactly: a proper-case item matches nothing.
    EXPECT_TRUE(workListOrder(grid, {"Salem"}).empty());
}

TEST(ListOutput, CopyTexts) {
    const QueueCells other = cells("12/09/26", "7 G St, Dover", "F-7", "", "M.TAX", "Jo");
    const std::vector<QueueCells> rows = {kSample, other};
    EXPECT_EQ(copyDetailText(rows, "ignored", false),
              copiedDetailLine(kSample) + "\r\n\r\n" + copiedDetailLine(other) + "\r\n\r\n");
    EXPECT_EQ(copyDetailText({kSample}, "Order QM26-0042\r\nDue today", true),
              "Order QM26-0042\r\nDue today");
    EXPECT_EQ(copyDetailText({}, QString(), false), QString());
    EXPECT_EQ(copyListText(rows, {"DOVER", "SPRINGFIELD"}),
              copiedWorkListLine(other) + "\r\n\r\n" + copiedWorkListLine(kSample) + "\r\n\r\n");
    EXPECT_EQ(copyListText(rows, {"SALEM"}), QString());
}

} // namespace
} // namespace qm
