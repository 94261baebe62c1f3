#pragma once
// What a statement says: the shown orders with split orders merged, one row per billed order and
// one per copy cost, the totals, the period heading, and the statement number and file name.

#include "bill_to.h"
#include "completed_rows.h"
#include "config.h"

#include <QDate>
#include <QString>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace qm {

// One shown order as the statement uses it. A split order's second part ("m" appended to the
// number) gives its municipal search and its amounts to the first part when that is shown too.
struct StatementLine {
    std::string fileNumber; // whole, Windows-1252
    std::string searchType;
    std::string muniSearch;
    std::string address;
    std::optional<Money> fee;    // in cents; none once given to the first part
    std::optional<Money> copies; // in cents; the same
};

// The shown rows in list order, each "m" order merged into the shown order whose number is its
// own without the trailing "m"s. The rows themselves are not changed.
std::vector<StatementLine> mergeSplitOrders(const std::vector<CompletedRow>& rows,
                                            const std::vector<size_t>& shown);

// "R." types lose every "R.", "C." types have every "C." written "Com."; an "M." municipal search
// loses its first two characters and gains ".Muni"; both joined by ", " when both are there.
std::string orderDescription(std::string_view searchType, std::string_view muniSearch);

struct StatementRow {
    std::string fileNumber;
    std::string description;
    std::optional<Money> amount; // none: the amount cell stays empty
};

struct StatementBody {
    std::vector<StatementRow> rows;
    Money searches; // in cents
    Money copies;   // in cents
    Money totalDue() const { return searches + copies; }
};

// A row per line that has a type, a municipal search or an amount (the address stands in for
// the description when there is none), and a "  copy costs" row after it for copy costs other
// than zero. A line with nothing to bill gets no row; it is still archived.
StatementBody statementBodyOf(const std::vector<StatementLine>& lines);

// Windows-1252 text in upper case, accented letters included.
std::string upperCase(std::string_view cp1252);

// The number as the document and the file name use it: upper case, Windows-1252 ("?" for
// characters the code page lacks).
std::string statementNumberForDocument(const QString& typed);
// "Statement_" + the upper-case number + ".docx", with / \ : * ? " < > | and control characters
// written as "-" so the number cannot leave the folder or upset a file system.
QString statementFileName(const QString& typed);

struct StatementModel {
    CompanyDetails business;            // Windows-1252, as the settings hold it
    std::array<std::string, 4> billTo;  // the bill-to boxes' texts
    std::array<std::string, 4> workFor; // their directory values (the customer)
    std::string number;                 // upper case, Windows-1252
    QDate cutoff;
    QString periodHeading;
    StatementBody body;
};

// The statement of the shown rows (list order, a billing key chosen, at least one row).
StatementModel statementModelOf(const CompanyDetails& business, const BillToBoxes& boxes,
                                const QString& typedNumber, const QDate& cutoff,
                                const std::vector<CompletedRow>& rows,
                                const std::vector<size_t>& shown);

} // namespace qm
