#include "completed_view.h"

#include <QLocale>
#include <algorithm>

namespace qm {

namespace {

int dayNumber(const DateTime& when) {
    return when.year * 10000 + when.month * 100 + when.day;
}

int dayNumber(const QDate& day) {
    return day.year() * 10000 + day.month() * 100 + day.day();
}

QString paddedAmount(const Money& amount) {
    return QString::fromStdString(rightAligned(amount.format0_00(), 9));
}

} // namespace

QDate dayOf(const DateTime& when) {
    return QDate(when.year, when.month, when.day);
}

std::vector<size_t> rowsForKey(const std::vector<CompletedRow>& rows, const QString& key,
                               const QDate& cutoff, const QDate& today) {
    std::vector<size_t> shown;
    const bool showAll = key.isEmpty();
    const bool everything = showAll && cutoff >= today;
    const int last = dayNumber(cutoff);
    for (size_t i = 0; i < rows.size(); ++i) {
        const CompletedRow& row = rows[i];
        if (everything ||
            (dayNumber(row.completedAt) <= last && (showAll || row.billingKey == key)))
            shown.push_back(i);
    }
    sortForDisplay(rows, shown);
    return shown;
}

std::vector<size_t> rowsMatching(const std::vector<CompletedRow>& rows, const QString& text) {
    std::vector<size_t> shown;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (text.isEmpty() || rows[i].line.contains(text, Qt::CaseInsensitive))
            shown.push_back(i);
    }
    sortForDisplay(rows, shown);
    return shown;
}

void sortForDisplay(const std::vector<CompletedRow>& rows, std::vector<size_t>& shown) {
    std::sort(shown.begin(), shown.end(), [&](size_t a, size_t b) {
        const CompletedRow& x = rows[a];
        const CompletedRow& y = rows[b];
        if (x.billedInAdvance != y.billedInAdvance)
            return y.billedInAdvance;
        if (x.completedAt != y.completedAt)
            return x.completedAt < y.completedAt;
        if (const int byText = QString::compare(x.line, y.line, Qt::CaseInsensitive); byText != 0)
            return byText < 0;
        return a < b;
    });
}

CompletedTotals totalsOf(const std::vector<CompletedRow>& rows, const std::vector<size_t>& shown) {
    CompletedTotals totals;
    for (size_t i : shown) {
        totals.fees += rows[i].feeCents();
        totals.copies += rows[i].copiesCents();
    }
    return totals;
}

QString completedTabCaption(size_t shownRows) {
    return QStringLiteral("Completed [%1]").arg(shownRows);
}

QString subTotalsText(const CompletedTotals& totals) {
    return QStringLiteral("Sub-Totals     $") + paddedAmount(totals.fees) + QStringLiteral("   ") +
           paddedAmount(totals.copies);
}

QString invoiceTotalText(const CompletedTotals& totals) {
    return QString::fromStdString(totals.total().formatDollars());
}

QString cutoffLabelText(const QDate& cutoff) {
    return QStringLiteral("  Cutoff Date:  ") +
           QLocale::c().toString(cutoff, QStringLiteral("dddd, MMMM dd")).toUpper();
}

bool isCutoffAccepted(const QDate& picked, const QDate& today, bool showAllStillChosen) {
    return picked <= today && !showAllStillChosen;
}

QString periodHeading(const QDate& firstCompleted, const QDate& cutoff) {
    const qint64 days = firstCompleted.daysTo(cutoff) + 1;
    if (days <= 7)
        return QStringLiteral("WEEK ENDING ");
    if (days > 14 && firstCompleted.year() == cutoff.year() &&
        firstCompleted.month() == cutoff.month())
        return QStringLiteral("MONTH ENDING ");
    return QStringLiteral("PERIOD ENDING ");
}

} // namespace qm
