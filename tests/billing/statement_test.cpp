// What a statement bills: split orders merged, rows and totals, numbers and file names, and the
// document LibreOffice makes of it.
#include "completed_orders.h"
#include "completed_view.h"
#include "docx_writer.h"
#include "office_text.h"
#include "statement_layout.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <numeric>

namespace qm {
namespace {

using test::Completed;
using test::rowsOf;

std::vector<size_t> allOf(const std::vector<CompletedRow>& rows) {
    std::vector<size_t> all(rows.size());
    std::iota(all.begin(), all.end(), 0);
    return all;
}

std::string amountOf(const std::optional<Money>& m) {
    return m ? m->format0_00() : "-";
}

TEST(StatementDescription, TypeAndMunicipalSearchAsBilled) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"R.Full", "M.Lien", "Full, Lien.Muni"},
        {"C.Cont", "", "Com.Cont"},
        {"C.Cont C.X", "", "Com.Cont Com.X"},
        {"R.Bring R.Down", "", "Bring Down"},
        {"R-2 Ownr", "", "R-2 Ownr"},
        {"", "M.Tax", "Tax.Muni"},
        {"", "Water", "Water"},
        {"Update", "Water", "Update, Water"},
        {"", "", ""},
    };
    for (const auto& [type, muni, description] : cases)
        EXPECT_EQ(orderDescription(type, muni), description) << type << " / " << muni;
}

TEST(StatementBody, RowsAndTotalsMatchWhatTheListShowed) {
    const auto rows = rowsOf({
        Completed("QM00012").types("R.Full", "M.Tax").fees("150", "20"),
        Completed("QM00012m").types("", "M.Lien").fees("0", "35.5"),
        Completed("QM00013").types("C.Cont", "").fees("75", "0", "12.5"),
        Completed("QM00013m").types("R.Update", "").fees("40", "0", "1"),
        Completed("FEE-ONLY").types("", "").fees("25.005").at("7 Pine Rd"),
        Completed("NOTHING").types("", "").fees("0"),
        Completed("CREDIT").types("R.Full", "").fees("10", "0", "-5"),
        Completed("LONE-m").types("", "M.Water").fees("0", "30"),
    });
    const StatementBody body = statementBodyOf(mergeSplitOrders(rows, allOf(rows)));
    struct Expected {
        std::string number, description, amount;
    };
    const std::vector<Expected> expected = {
        {"QM00012", "Full, Lien.Muni; 12 Oak St, Springfield", "205.50"},
        {"QM00013", "Com.Cont; 12 Oak St, Springfield", "115.00"},
        {"QM00013", "  copy costs", "13.50"},
        {"QM00013m", "Update; 12 Oak St, Springfield", "-"},
        {"FEE-ONLY", "7 Pine Rd, Springfield", "25.01"},
        {"CREDIT", "Full; 12 Oak St, Springfield", "10.00"},
        {"CREDIT", "  copy costs", "-5.00"},
        {"LONE-m", "Water.Muni; 12 Oak St, Springfield", "30.00"},
    };
    ASSERT_EQ(body.rows.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(body.rows[i].fileNumber, expected[i].number) << i;
        EXPECT_EQ(body.rows[i].description, expected[i].description) << i;
        EXPECT_EQ(amountOf(body.rows[i].amount), expected[i].amount) << i;
    }
    // The statement's total is the list's total.
    const CompletedTotals listed = totalsOf(rows, allOf(rows));
    EXPECT_EQ(body.searches, listed.fees);
    EXPECT_EQ(body.copies, listed.copies);
    EXPECT_EQ(body.totalDue().format0_00(), "394.01");
}

TEST(StatementNumber, UpperCaseInTheDocumentAndSafeInTheFileName) {
    const std::tuple<QString, std::string, QString> cases[] = {
        {"st-7", "ST-7", "Statement_ST-7.docx"},
        {"a/b\"c", "A/B\"C", "Statement_A-B-C.docx"},
        {"x\\y:z*w?v<u>t|s", "X\\Y:Z*W?V<U>T|S", "Statement_X-Y-Z-W-V-U-T-S.docx"},
        {"..", "..", "Statement_...docx"},
        {"tab\there", "TAB\tHERE", "Statement_TAB-HERE.docx"},
        {QString::fromUtf8("caf\xC3\xA9 \xCE\xA9"), "CAF\xC9 ?", "Statement_CAF\xC3\x89 -.docx"},
    };
    for (const auto& [typed, document, file] : cases) {
        EXPECT_EQ(statementNumberForDocument(typed), document) << typed.toStdString();
        EXPECT_EQ(statementFileName(typed), file) << typed.toStdString();
    }
}

TEST(StatementFooter, BlankCountNeverGoesNegative) {
    const std::pair<size_t, int> cases[] = {{0, 134}, {20, 94}, {66, 2},
                                            {67, 0},  {68, 0},  {500, 0}};
    for (const auto& [length, blanks] : cases)
        EXPECT_EQ(footerBlankCount(length), blanks) << length;
}

TEST(StatementAmounts, WidenTogetherSoPointsStayInOneColumn) {
    StatementBody body;
    body.rows = {{"1", "a", Money::fromDollars(12)}, {"2", "b", std::nullopt}};
    EXPECT_EQ(statementAmountWidth(body), 7u);
    EXPECT_EQ(statementAmountText(body.rows[0].amount, 7), "  12.00");
    EXPECT_EQ(statementAmountText(std::nullopt, 7), "");
    body.rows.push_back({"3", "c", Money::fromUnits(123456789)});
    EXPECT_EQ(statementAmountWidth(body), 8u);
    EXPECT_EQ(statementAmountText(body.rows[0].amount, 8), "   12.00");
}

TEST(StatementModel, PeriodStartsAtTheFirstShownOrder) {
    const auto rows = rowsOf(
        {Completed("B").on({2026, 3, 20, 8, 0, 0}), Completed("A").on({2026, 3, 1, 8, 0, 0})});
    const QDate cutoff(2026, 3, 31);
    const auto shown = rowsForKey(rows, "Acme Title - Boston", cutoff, cutoff);
    const StatementModel m = statementModelOf({}, {}, "n-1", cutoff, rows, shown);
    EXPECT_EQ(m.periodHeading, "MONTH ENDING ");
    EXPECT_EQ(m.number, "N-1");
}

// Every part of the page, opened by LibreOffice and read back from the PDF.
TEST(StatementInOffice, PageShowsBlocksRowsTotalsAndFooter) {
    const auto rows = rowsOf({
        Completed("QM00012").types("R.Full", "M.Tax").fees("150", "20").on({2026, 3, 2, 9, 0, 0}),
        Completed("QM00012m").types("", "M.Lien").fees("0", "35.5").on({2026, 3, 3, 9, 0, 0}),
        Completed("QM00013").types("C.Cont", "").fees("12345.675", "0", "12.5"),
        Completed("FEE-ONLY").types("", "").fees("25").at("7 Pine Rd"),
    });
    BillToBoxes boxes;
    const std::array<QString, 4> shown = {"Accounts Payable", "PO Box 7", "Boston, MA 02101",
                                          "Attn: Smith & Jones"};
    const std::array<QString, 4> directory = {"Title Co", "2 Second St", "Boston, MA 02102", ""};
    for (size_t i = 0; i < 4; ++i)
        boxes[i] = {shown[i], directory[i]};
    CompanyDetails business{"Smith & Jones Abstracts", "1 Main St",      "Suite <2>",
                            "Agawam, MA 01001",        "(413) 555-0100", "(413) 555-0101",
                            "office@sj.example"};
    const QDate cutoff(2026, 3, 31);
    const StatementModel model =
        statementModelOf(business, boxes, "st/7", cutoff, rows, allOf(rows));

    test::TempFolder folder;
    const std::string path = folder.file(statementFileName("st/7").toStdString());
    auto staged = docx::stageDocument(statementDocument(model), path);
    ASSERT_TRUE(staged) << staged.error().describe();
    ASSERT_TRUE(staged->commit());
    const test::OfficePdf office(path);
    ASSERT_TRUE(office.converted()) << office.diagnostics();
    const std::string page = office.text();
    for (const char* expected : {"STATEMENT",
                                 "Statement Number: ST/7",
                                 "Date:",
                                 "MONTH ENDING March 31, 2026",
                                 "Searcher:",
                                 "SMITH & JONES ABSTRACTS",
                                 "1 Main St, Suite <2>",
                                 "Agawam, MA 01001",
                                 "(413) 555-0100",
                                 "office@sj.example",
                                 "BILL TO:",
                                 "WORK COMPLETED ON BEHALF OF:",
                                 "Accounts Payable",
                                 "Title Co",
                                 "2 Second St",
                                 "Attn: Smith & Jones",
                                 "FILE NO./REF",
                                 "DESCRIPTION",
                                 "AMOUNT",
                                 "Thank You For Your Business!",
                                 "Invoice"})
        EXPECT_NE(page.find(expected), std::string::npos) << expected << "\n" << page;

    // The table and totals in 9-point Courier: 5.4 points a character keeps their blanks.
    const std::string fixed = office.text(5.4);
    for (const char* expected :
         {"QM00012", "Full, Lien.Muni; 12 Oak St, Springfield", "   205.50", "QM00013",
          "Com.Cont; 12 Oak St, Springfield", " 12345.68", "copy costs", "    12.50", "FEE-ONLY",
          "7 Pine Rd, Springfield", "    25.00", "Searches ...12,576.18", "Copies .....    12.50",
          "TOTAL DUE: $12,588.68"})
        EXPECT_NE(fixed.find(expected), std::string::npos) << expected << "\n" << fixed;
    EXPECT_EQ(fixed.find("QM00012m"), std::string::npos);
}

} // namespace
} // namespace qm
