#pragma once
// Which completed rows the list shows and in which order, their totals, and the texts of the tab
// built from them.

#include "completed_rows.h"

#include <QDate>
#include <QString>
#include <vector>

namespace qm {

inline const QString kShowAllEntry = QStringLiteral("< show all >");

// The rows the list shows for a billing key (empty: "< show all >") and cutoff day: with a key,
// or a cutoff before today, the rows completed on or before the cutoff whose own key equals the
// chosen one exactly (any key for show-all); show-all up to today or later shows every row.
// Positions into `rows`, in display order.
std::vector<size_t> rowsForKey(const std::vector<CompletedRow>& rows, const QString& key,
                               const QDate& cutoff, const QDate& today);

// The rows whose line, hidden tail included, contains the text without regard to case; every
// row for an empty text. The cutoff does not apply. In display order.
std::vector<size_t> rowsMatching(const std::vector<CompletedRow>& rows, const QString& text);

// Display order: by the whole completion moment, billed-in-advance rows after all others; equal
// moments by line text without regard to case, then by position in the file.
void sortForDisplay(const std::vector<CompletedRow>& rows, std::vector<size_t>& shown);

struct CompletedTotals {
    Money fees;   // in cents: the sum of the shown, rounded fees
    Money copies; // the same for the copy costs
    Money total() const { return fees + copies; }
};
CompletedTotals totalsOf(const std::vector<CompletedRow>& rows, const std::vector<size_t>& shown);

// "Completed [n]"
QString completedTabCaption(size_t shownRows);
// "Sub-Totals     $" and both sums formatted "0.00", right-aligned in 9, three blanks apart.
QString subTotalsText(const CompletedTotals& totals);
// "$ #,##0.00" of the total.
QString invoiceTotalText(const CompletedTotals& totals);
// "  Cutoff Date:  " and the day as "dddd, mmmm dd" in upper case, in English.
QString cutoffLabelText(const QDate& cutoff);

// A cutoff day the user picks is refused when later than today, and while "< show all >" is
// still the choice last made (show-all keeps today).
bool isCutoffAccepted(const QDate& picked, const QDate& today, bool showAllStillChosen);

// The statement period's heading from the first shown row's completion day and the cutoff:
// "WEEK ENDING " for up to 7 days counting both ends, "MONTH ENDING " for more than 14 days
// within one month of one year, "PERIOD ENDING " otherwise.
QString periodHeading(const QDate& firstCompleted, const QDate& cutoff);

QDate dayOf(const DateTime& when);

} // namespace qm
