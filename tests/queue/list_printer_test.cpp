#include "list_printer.h"

#include "printer.h"
#include "test_support.h"

#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace qm {
namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("<%1 failed>").arg(program);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of the PDF with the fixed pitch of the printed face, so columns keep their places.
QStringList pdfLines(const QString& pdf) {
    return run("pdftotext", {"-fixed", "6.02", pdf, "-"}).split('\n');
}

QString pdfInfo(const QString& pdf, const QString& key) {
    const QRegularExpression pattern("^" + key + ":\\s*(.*)$", QRegularExpression::MultilineOption);
    return pattern.match(run("pdfinfo", {pdf})).captured(1).trimmed();
}

QString lineContaining(const QStringList& lines, const QString& text) {
    for (const QString& line : lines)
        if (line.contains(text))
            return line;
    return QString();
}

QueueCells cells(QString due, QString address, QString number, QString type, QString muni,
                 QString searcher) {
    return {due, address, number, type, muni, searcher, QStringLiteral("Acme Title_")};
}

const std::vector<QueueCells> kRows = {
    cells("12/01/26*", "12 Main St, Springfield", "QM26-0042", "R.FULL", "M.TAX", "Ann Marie"),
    cells("12/09/26", "7 Gate Road, Dover", "F-7", "C.CURRENT", "M.WATER", "Jo"),
};

class ListPrinter : public ::testing::Test {
  protected:
    test::TempFolder folder;
    QString pdf = QString::fromStdString(folder.file("list.pdf"));
    PdfPrinter printer{pdf};
};

// Each word of the row starts where its heading's word starts.
void expectUnderHeading(const QString& heading, const QString& row,
                        const std::vector<std::pair<QString, QString>>& columns) {
    ASSERT_FALSE(heading.isEmpty());
    ASSERT_FALSE(row.isEmpty());
    for (const auto& [title, text] : columns)
        EXPECT_EQ(row.indexOf(text), heading.indexOf(title))
            << title.toStdString() << " / " << text.toStdString() << "\n"
            << heading.toStdString() << "\n"
            << row.toStdString();
}

TEST_F(ListPrinter, DetailLinesLandscapeInFixedColumns) {
    ASSERT_TRUE(printDetail(printer, kRows, QString(), false));
    EXPECT_EQ(pdfInfo(pdf, "Page size"), "792 x 612 pts (letter)");
    const QStringList lines = pdfLines(pdf);
    const QString heading = lineContaining(lines, "Due Date");
    EXPECT_EQ(heading.simplified(), "Due Date Property Address Order No. Type Muni Searcher");
    for (const QString& number : {QStringLiteral("QM26-0042"), QStringLiteral("F-7")}) {
        const QString row = lineContaining(lines, number);
        const QueueCells& cellsOfRow = number == "F-7" ? kRows[1] : kRows[0];
        expectUnderHeading(heading, row,
                           {{"Due Date", cellsOfRow[0]},
                            {"Property Address", cellsOfRow[1]},
                            {"Order No.", cellsOfRow[2]},
                            {"Type", cellsOfRow[3]},
                            {"Muni", cellsOfRow[4]},
                            {"Searcher", cellsOfRow[5]}});
    }
}

TEST_F(ListPrinter, WorkListPortraitInTownOrder) {
    ASSERT_TRUE(printList(printer, kRows, {"DOVER", "SPRINGFIELD"}));
    EXPECT_EQ(pdfInfo(pdf, "Page size"), "612 x 792 pts (letter)");
    const QStringList lines = pdfLines(pdf);
    const QString heading = lineContaining(lines, "Due Date");
    EXPECT_EQ(heading.simplified(), "Town Property Address Type Muni Due Date");
    const QString dover = lineContaining(lines, "DOVER");
    const QString springfield = lineContaining(lines, "SPRINGFIELD");
    expectUnderHeading(heading, dover,
                       {{"Town", "DOVER"},
                        {"Property Address", "7 Gate Road"},
                        {"Type", "C.CURRENT"},
                        {"Muni", "M.WATER"},
                        {"Due Date", "12/09/26"}});
    expectUnderHeading(heading, springfield,
                       {{"Town", "SPRINGFIELD"},
                        {"Property Address", "12 Main St"},
                        {"Type", "R.FULL"},
                        {"Muni", "M.TAX"},
                        {"Due Date", "12/01/26"}});
    EXPECT_LT(lines.indexOf(dover), lines.indexOf(springfield));
}

TEST_F(ListPrinter, OneOrderPrintsItsDetailsText) {
    ASSERT_TRUE(printDetail(printer, {kRows[0]},
                            "Order QM26-0042\nDue Date: 12/01/26\r\n  Searcher: Ann Marie", true));
    EXPECT_EQ(pdfInfo(pdf, "Page size"), "612 x 792 pts (letter)");
    const QStringList lines = pdfLines(pdf);
    EXPECT_FALSE(lineContaining(lines, "Order QM26-0042").isEmpty());
    EXPECT_FALSE(lineContaining(lines, "Due Date: 12/01/26").isEmpty());
    EXPECT_FALSE(lineContaining(lines, "Searcher: Ann Marie").isEmpty());
    EXPECT_TRUE(lineContaining(lines, "Property Address").isEmpty()); // no heading
}

TEST_F(ListPrinter, LongListRunsOntoFurtherPagesWithEveryRowOnce) {
    std::vector<QueueCells> rows;
    for (int i = 0; i < 90; ++i)
        rows.push_back(cells("12/01/26", "1 Oak Ave, Salem",
                             QStringLiteral("F-%1X").arg(i, 3, 10, QChar('0')), "R.FULL", "",
                             "Jo"));
    ASSERT_TRUE(printDetail(printer, rows, QString(), false));
    EXPECT_GE(pdfInfo(pdf, "Pages").toInt(), 3);
    const QString text = run("pdftotext", {"-fixed", "6.02", pdf, "-"});
    for (int i = 0; i < 90; ++i)
        EXPECT_EQ(text.count(QStringLiteral("F-%1X").arg(i, 3, 10, QChar('0'))), 1) << i;
}

TEST_F(ListPrinter, FailsWhenTheDocumentCannotBeWritten) {
    PdfPrinter nowhere(QString::fromStdString(folder.file("missing/list.pdf")));
    EXPECT_FALSE(printList(nowhere, kRows, {"DOVER"}));
    EXPECT_FALSE(printDetail(nowhere, kRows, QString(), false));
}

TEST(DefaultPrinterTest, NoPrinterInstalledMeansNoDevice) {
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "a printer is installed here";
    DefaultPrinter printer;
    EXPECT_EQ(printer.open(QPageLayout::Landscape), nullptr);
    EXPECT_FALSE(printDetail(printer, kRows, QString(), false));
    EXPECT_FALSE(printList(printer, kRows, {"DOVER"}));
}

} // namespace
} // namespace qm
