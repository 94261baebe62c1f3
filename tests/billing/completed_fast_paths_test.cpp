// The completed list's quick ways against the plain ones: the filter and display order against
// QString's own case-insensitive search and comparison over letters of Windows-1252 beyond
// ASCII, and rows built over the rows of an earlier rebuild against rows built anew.
#include "completed_orders.h"
#include "completed_view.h"

#include <QDate>
#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>

namespace qm {
namespace {

using test::Completed;
using test::rowsOf;

const QDate kToday(2026, 3, 20);

// Addresses in Windows-1252 bytes: É, Š, š, Ÿ, ÿ, ß, é, µ, €, Ä, ä.
std::vector<CompletedRow> foreignRows() {
    return rowsOf({
        Completed("R1").at("1 \xC9lm St"),
        Completed("R2")
            .at("2 \x8Airoky Rd")
            .by("\x9A"
                "arka Title"),
        Completed("R3").at("3 \x9Fvonne Ave"),
        Completed("R4").at("4 Stra\xDF"
                           "e",
                           "", "K\xD6LN"),
        Completed("R5").at("5 Caf\xE9 Sq"),
        Completed("R6").at("6 Aaab Way"),
        Completed("R7").at("7 \xB5 Ct", "\x80 5"),
        Completed("R8")
            .at("8 \xFF"
                "d Ln")
            .billedInAdvance(),
    });
}

// The rows whose line QString itself finds the text in, in display order.
QStringList expectedMatches(const std::vector<CompletedRow>& rows, const QString& text) {
    QStringList out;
    for (size_t i : rowsForKey(rows, QString(), kToday, kToday))
        if (rows[i].line.contains(text, Qt::CaseInsensitive))
            out << QString::fromStdString(rows[i].fileNumber);
    return out;
}

QStringList numbersOf(const std::vector<CompletedRow>& rows, const std::vector<size_t>& shown) {
    QStringList out;
    for (size_t i : shown)
        out << QString::fromStdString(rows[i].fileNumber);
    return out;
}

TEST(CompletedFilter, FindsWhatQStringFindsIgnoringCase) {
    const auto rows = foreignRows();
    ASSERT_EQ(rows.size(), 8u);
    const struct {
        QString text;
        int atLeast; // rows the text must find, so that the comparison means something
    } cases[] = {
        {QStringLiteral("élm"), 1},         {QStringLiteral("ÉLM"), 1},
        {QStringLiteral("šIROKY"), 1},      {QStringLiteral("Š"), 1},
        {QStringLiteral("ÿvonne"), 1},      {QStringLiteral("ŸD LN"), 1},
        {QStringLiteral("STRAßE"), 1},      {QStringLiteral("strasse"), 0},
        {QStringLiteral("köln"), 1},        {QStringLiteral("CAFÉ"), 1},
        {QStringLiteral("aab"), 1},         {QStringLiteral("AAAB"), 0},
        {QStringLiteral("Μ ct"), 1},        {QStringLiteral("€ 5"), 1},
        {QStringLiteral("_20260305"), 8},   {QStringLiteral("05 "), 0},
        {QStringLiteral("𝔸"), 0},           {QString(200, u'a'), 0},
        {QStringLiteral("bill IN adv"), 1},
    };
    for (const auto& c : cases) {
        const QStringList expected = expectedMatches(rows, c.text);
        EXPECT_GE(expected.size(), c.atLeast) << c.text.toStdString();
        EXPECT_EQ(numbersOf(rows, rowsMatching(rows, c.text)), expected) << c.text.toStdString();
    }
}

TEST(CompletedOrder, RowsOfOneMomentGoByTheirTextIgnoringCaseThenByPlace) {
    std::vector<Completed> orders;
    // Letters equal but for case keep their places: ä before Ä, š before Š.
    for (const char* address : {"\xE4 St", "b St", "B St", "a St", "\xC4 St", "A St", "b St",
                                "\x9A St", "\x8A St", "aa St"})
        orders.push_back(Completed("T" + std::to_string(orders.size())).at(address));
    orders.push_back(Completed("early").at("z St").on({2026, 3, 5, 14, 6, 59}));
    const auto rows = rowsOf(orders);
    ASSERT_EQ(rows.size(), orders.size());

    std::vector<size_t> expected(rows.size());
    std::iota(expected.begin(), expected.end(), 0);
    std::stable_sort(expected.begin(), expected.end(), [&](size_t a, size_t b) {
        if (rows[a].completedAt.minute != rows[b].completedAt.minute)
            return rows[a].completedAt.minute < rows[b].completedAt.minute;
        return QString::compare(rows[a].line, rows[b].line, Qt::CaseInsensitive) < 0;
    });
    EXPECT_EQ(numbersOf(rows, rowsForKey(rows, QString(), kToday, kToday)),
              numbersOf(rows, expected));
    EXPECT_EQ(numbersOf(rows, rowsMatching(rows, QStringLiteral(" st"))),
              numbersOf(rows, expected));
}

std::string describe(const CompletedRow& r) {
    return std::to_string(r.record) + "|" + r.fileNumber + "|" + r.billingKey.toStdString() + "|" +
           formatIsoDateTime(r.completedAt) + "|" + (r.billedInAdvance ? "adv" : "") + "|" +
           r.searchType + "|" + r.muniSearch + "|" + r.address + "|" + r.baseFee.toStored() + "|" +
           r.muniFee.toStored() + "|" + r.copyCosts.toStored() + "|" + r.line.toStdString();
}

TEST(CompletedRows, RowsBuiltOverOldOnesAreThoseBuiltAnew) {
    std::vector<Completed> orders;
    for (int i = 0; i < 6; ++i)
        orders.push_back(Completed("NEW" + std::to_string(i))
                             .at(std::string(i * 7, 'x') + " Rd", i % 2 ? "Apt 1" : "")
                             .types(i % 3 ? "R.Full" : "", "M.Lien")
                             .fees(std::to_string(100 + i), "0.005", "2.5"));
    orders[2].billedInAdvance();
    const std::string bytes = test::completedBytes(orders);
    const auto table = parseOrderTable(OrderFile::Completed, bytes, "Completed.fil");
    ASSERT_TRUE(table);
    const auto fresh = buildCompletedRows(*table);
    ASSERT_TRUE(fresh);

    std::vector<Completed> longer;
    for (int i = 0; i < 9; ++i)
        longer.push_back(Completed("OLD-NUMBER-LONGER-THAN-SSO" + std::to_string(i))
                             .at(std::string(60, 'o'), "Suite 100", "EAST LONGMEADOW")
                             .types("R.Two Owner Search", "M.Municipal Liens")
                             .by("Much Longer Title Company Name LLC")
                             .billedInAdvance());
    const struct {
        const char* what;
        std::vector<Completed> old;
        bool holdSome; // texts of some old rows still held elsewhere (a model, a statement)
    } cases[] = {
        {"none", {}, false},
        {"fewer, shorter", {Completed("A"), Completed("B")}, false},
        {"more, longer, billed in advance", longer, false},
        {"some texts held elsewhere", longer, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<CompletedRow> old = rowsOf(c.old);
        std::vector<QString> held;
        std::vector<std::string> heldText;
        for (size_t i = 0; c.holdSome && i < old.size(); i += 2) {
            held.push_back(old[i].line);
            heldText.push_back(old[i].line.toStdString());
        }
        const auto rebuilt = buildCompletedRows(*table, std::move(old));
        ASSERT_TRUE(rebuilt);
        ASSERT_EQ(rebuilt->size(), fresh->size());
        for (size_t i = 0; i < fresh->size(); ++i)
            EXPECT_EQ(describe((*rebuilt)[i]), describe((*fresh)[i])) << i;
        for (size_t i = 0; i < held.size(); ++i)
            EXPECT_EQ(held[i].toStdString(), heldText[i]);
    }
}

} // namespace
} // namespace qm
