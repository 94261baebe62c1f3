#include "completed_view.h"

#include <QLocale>
#include <algorithm>
#include <cstdint>
#include <utility>

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
    // One number per row orders by billed-in-advance last, then the whole moment; sorting these
    // pairs keeps the large rows out of the comparisons.
    std::vector<std::pair<std::int64_t, size_t>> keys;
    keys.reserve(shown.size());
    for (size_t i : shown) {
        const DateTime& t = rows[i].completedAt;
        const std::int64_t day = std::int64_t{t.year} * 10000 + t.month * 100 + t.day;
        const std::int64_t moment = (day * 100 + t.hour) * 10000 + t.minute * 100 + t.second;
        keys.emplace_back((rows[i].billedInAdvance ? std::int64_t{1} << 60 : 0) + moment, i);
    }
    std::sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
        if (a.first != b.first)
            return a.first < b.first;
        const int byText =
            QString::compare(rows[a.second].line, rows[b.second].line, Qt::CaseInsensitive);
        return byText != 0 ? byText < 0 : a.second < b.second;
    });
    for (size_t k = 0; k < keys.size(); ++k)
        shown[k] = keys[k].second;
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
