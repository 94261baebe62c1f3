#include "statement_layout.h"

#include <QLocale>
#include <algorithm>

namespace qm {

namespace {

using namespace docx;

const Font kTitleFont{"Arial", 28, true};
const Font kSmall{"Arial", 16};
const Font kSmallBold{"Arial", 16, true};
const Font kSmallHeading{"Arial", 16, true, false, true};
const Font kTable{"Courier New", 18};
const Font kTableBold{"Courier New", 18, true};
const Font kThanks{"Arial", 20, true};
const Font kFooter{"Courier New", 16};

constexpr int kCourierNineAdvance = pointsToTwips(5.4); // 9-point Courier, one character
constexpr int kLineHeight = pointsToTwips(12);
constexpr int kBlockSpaceAfter = pointsToTwips(3);
constexpr int kLabelTab = inchesToTwips(1.5);
constexpr int kAddressTab = inchesToTwips(3.625);
constexpr int kTotalsTab = inchesToTwips(5.521);
constexpr int kMarginLeft = pointsToTwips(54);
constexpr int kMarginRight = pointsToTwips(45);
constexpr int kPageWidth = 12240;
// The rule under the business block runs from 50 to 574 points across the page.
constexpr int kRuleLeft = pointsToTwips(50);
constexpr int kRuleRight = pointsToTwips(574);

Run text(std::string t, const Font& font) {
    return Run{RunKind::Text, std::move(t), font};
}

Paragraph paragraph(std::vector<Run> runs, int spaceAfter, std::vector<TabStop> tabs = {},
                    Align align = Align::Left) {
    Paragraph p;
    p.align = align;
    p.spaceAfter = spaceAfter;
    p.lineHeight = kLineHeight;
    p.tabs = std::move(tabs);
    p.runs = std::move(runs);
    return p;
}

// An empty paragraph as high as a line of `font`.
Paragraph emptyLine(const Font& font, int spaceAfter, Align align = Align::Left) {
    return paragraph({text("", font)}, spaceAfter, {}, align);
}

void addTitleAndBusiness(std::vector<Block>& body, const StatementModel& m) {
    const std::vector<TabStop> labels{{kLabelTab}};
    auto block = [&](std::vector<Run> runs, Align align = Align::Left) {
        body.push_back(paragraph(std::move(runs), kBlockSpaceAfter, labels, align));
    };
    block({text("STATEMENT", kTitleFont)});
    block({text("\tStatement Number: " + m.number, kSmall)}, Align::Right);
    const std::string cutoff =
        QLocale::c().toString(m.cutoff, QStringLiteral("MMMM dd, yyyy")).toStdString();
    block({text("Date:\t", kSmall), text(m.periodHeading.toStdString() + cutoff, kSmallBold)});

    const CompanyDetails& c = m.business;
    std::string address = c.address1;
    if (!c.address2.empty())
        address += ", " + c.address2;
    block({text("Searcher:\t", kSmall), text(upperCase(c.name), kSmallBold)});
    block({text("Address:\t", kSmall), text(address, kSmallBold)});
    block({text("\t", kSmall), text(c.cityStateZip, kSmallBold)});
    block({text("Phone:\t", kSmall), text(c.phone, kSmallBold)});
    block({text("Fax:\t", kSmall), text(c.fax, kSmallBold)});
    block({text("Email:\t", kSmall), text(c.email, kSmallBold)});

    // Two empty lines with the rule between them.
    Paragraph ruled = emptyLine(kSmall, kBlockSpaceAfter);
    ruled.bottomBorder = {LineStyle::Single, 16, 1};
    ruled.indentLeft = kRuleLeft - kMarginLeft;
    ruled.indentRight = (kPageWidth - kMarginRight) - kRuleRight;
    body.push_back(ruled);
    body.push_back(emptyLine(kSmall, kBlockSpaceAfter));
}

void addAddresses(std::vector<Block>& body, const StatementModel& m) {
    const std::vector<TabStop> columns{{kAddressTab}};
    body.push_back(paragraph({text("BILL TO:", kSmallHeading), text("\t", kSmallBold),
                              text("WORK COMPLETED ON BEHALF OF:", kSmallHeading)},
                             kBlockSpaceAfter, columns));
    for (size_t i = 0; i < 3; ++i) {
        body.push_back(paragraph({text(m.billTo[i] + "\t" + m.workFor[i], kSmall)},
                                 kBlockSpaceAfter, columns));
    }
    if (!m.billTo[3].empty()) {
        body.push_back(paragraph({text(m.billTo[3], kSmall)}, kBlockSpaceAfter, columns));
        body.push_back(emptyLine(kSmall, kBlockSpaceAfter));
    }
}

Cell cell(std::string t, const Font& font, std::optional<int> leftPadding = std::nullopt) {
    return Cell{{paragraph({text(std::move(t), font)}, 0)}, std::nullopt, leftPadding};
}

Table ordersTable(const StatementBody& body) {
    Table table;
    table.indent = inchesToTwips(0.25);
    table.columnWidths = {inchesToTwips(1.5), inchesToTwips(4.75), inchesToTwips(1)};
    table.outside = {LineStyle::Double, 4, 0};
    table.inside = {LineStyle::Single, 4, 0};

    TableRow header{{cell("FILE NO./REF", kTableBold, pointsToTwips(20)),
                     cell("DESCRIPTION", kTableBold, pointsToTwips(142)),
                     cell("AMOUNT", kTableBold, pointsToTwips(20))},
                    true};
    for (Cell& c : header.cells)
        c.shading = 0xB3B3B3;
    table.rows.push_back(std::move(header));

    // Wider amounts start further left, so their decimal points stay where 7 characters put
    // them and they still fit the inch-wide column.
    const size_t width = statementAmountWidth(body);
    const int padding =
        std::max(0, pointsToTwips(25) - static_cast<int>(width - 7) * kCourierNineAdvance);
    for (const StatementRow& row : body.rows) {
        table.rows.push_back({{cell(row.fileNumber, kTable), cell(row.description, kTable),
                               cell(statementAmountText(row.amount, width), kTable, padding)}});
    }
    return table;
}

void addTotals(std::vector<Block>& body, const StatementBody& b) {
    const std::vector<TabStop> totals{{kTotalsTab}};
    auto grouped = [](const Money& m) { return rightAligned(m.formatGrouped(), 9); };
    for (int i = 0; i < 2; ++i)
        body.push_back(emptyLine(kTable, 0));
    body.push_back(paragraph({text("\tSearches ..." + grouped(b.searches), kTable)}, 0, totals));
    body.push_back(emptyLine(kTable, 0));
    body.push_back(paragraph({text("\tCopies ....." + grouped(b.copies), kTable)}, 0, totals));
    body.push_back(emptyLine(kTable, 0));
    body.push_back(paragraph(
        {text("\t", kTable), text("TOTAL DUE: $" + grouped(b.totalDue()), kTableBold)}, 0, totals));
    for (int i = 0; i < 4; ++i)
        body.push_back(emptyLine(kTable, 0));
    body.push_back(
        paragraph({text("Thank You For Your Business!", kThanks)}, 0, {}, Align::Center));
}

} // namespace

int footerBlankCount(size_t nameLength) {
    const long n = 135L - static_cast<long>(nameLength + 1) - static_cast<long>(nameLength);
    return n > 0 ? static_cast<int>(n) : 0;
}

size_t statementAmountWidth(const StatementBody& body) {
    size_t width = 7;
    for (const StatementRow& row : body.rows) {
        if (row.amount)
            width = std::max(width, row.amount->format0_00().size());
    }
    return width;
}

std::string statementAmountText(const std::optional<Money>& amount, size_t width) {
    return amount ? rightAligned(amount->format0_00(), width) : std::string();
}

Document statementDocument(const StatementModel& m) {
    Document d;
    d.page.marginLeft = kMarginLeft;
    d.page.marginRight = kMarginRight;
    d.page.marginTop = pointsToTwips(54);
    d.page.marginBottom = pointsToTwips(45);
    d.page.headerDistance = inchesToTwips(0.25);
    d.page.footerDistance = inchesToTwips(0.25);
    d.defaultTabStop = inchesToTwips(0.25);
    d.defaultFont = {"Arial", 20};

    addTitleAndBusiness(d.body, m);
    addAddresses(d.body, m);
    d.body.push_back(ordersTable(m.body));
    addTotals(d.body, m.body);

    const std::string& name = m.business.name;
    Paragraph footer = paragraph(
        {text(name + std::string(static_cast<size_t>(footerBlankCount(name.size())), ' ') +
                  "Invoice",
              kFooter)},
        0, {}, Align::Center);
    footer.lineHeight = 0;
    d.footer = {footer};
    d.protectForms = true;
    return d;
}

} // namespace qm
