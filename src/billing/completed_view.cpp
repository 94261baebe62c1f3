#include "completed_view.h"

#include <QLocale>
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
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

// Case folding of one UTF-16 unit, as QString's case-insensitive search and comparison fold it.
// Lines are decoded from Windows-1252, so nearly every unit folds through the table.
char16_t folded(char16_t c) {
    static const std::array<char16_t, 256> low = [] {
        std::array<char16_t, 256> table{};
        for (int b = 0; b < 256; ++b)
            table[static_cast<size_t>(b)] = QChar(b).toCaseFolded().unicode();
        return table;
    }();
    return c < 256 ? low[c] : QChar(c).toCaseFolded().unicode();
}

const char16_t* unitsOf(const QString& text) {
    return reinterpret_cast<const char16_t*>(text.constData());
}

// QString::compare(a, b, Qt::CaseInsensitive), with the table's folding. A surrogate folds as
// part of its code point, so a text holding one is left to QString.
int compareFolded(const QString& a, const QString& b) {
    const char16_t* x = unitsOf(a);
    const char16_t* y = unitsOf(b);
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (QChar::isSurrogate(x[i]) || QChar::isSurrogate(y[i]))
            return QString::compare(a, b, Qt::CaseInsensitive);
        const int diff = int{folded(x[i])} - int{folded(y[i])};
        if (diff != 0)
            return diff;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// A text looked for without regard to case, as QString::contains(text, Qt::CaseInsensitive)
// looks for it. The first unit of the text is looked for among the units that fold to it, which
// is most of the work.
class FoldedNeedle {
  public:
    explicit FoldedNeedle(const QString& text) : text_(text) {
        for (QChar c : text) {
            if (c.isSurrogate())
                return; // left to QString
            needle_.push_back(folded(c.unicode()));
        }
        byUnits_ = true;
        if (needle_.empty())
            return;
        for (int c = 0; c < 256; ++c)
            startsMatch_[static_cast<size_t>(c)] = folded(static_cast<char16_t>(c)) == needle_[0];
    }

    bool foundIn(const QString& line) const {
        if (!byUnits_)
            return line.contains(text_, Qt::CaseInsensitive);
        const size_t n = needle_.size();
        const auto size = static_cast<size_t>(line.size());
        if (n == 0)
            return true;
        if (n > size)
            return false;
        const char16_t* hay = unitsOf(line);
        for (size_t i = 0, last = size - n; i <= last; ++i) {
            const char16_t c = hay[i];
            if (c < 256 ? !startsMatch_[c] : folded(c) != needle_[0])
                continue;
            size_t k = 1;
            while (k < n && folded(hay[i + k]) == needle_[k])
                ++k;
            if (k == n)
                return true;
        }
        return false;
    }

  private:
    QString text_;
    std::u16string needle_;
    bool byUnits_ = false;
    std::array<bool, 256> startsMatch_{};
};

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
    const FoldedNeedle needle(text);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (needle.foundIn(rows[i].line))
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
    // Numbers alone first; only rows of one moment need their texts compared.
    std::sort(keys.begin(), keys.end());
    for (auto run = keys.begin(); run != keys.end();) {
        const auto end =
            std::find_if(run + 1, keys.end(), [&](const auto& k) { return k.first != run->first; });
        if (end - run > 1) {
            std::sort(run, end, [&](const auto& a, const auto& b) {
                const int byText = compareFolded(rows[a.second].line, rows[b.second].line);
                return byText != 0 ? byText < 0 : a.second < b.second;
            });
        }
        run = end;
    }
    for (size_t k = 0; k < keys.size(); ++k)
        shown[k] = keys[k].second;
}

CompletedTotals totalsOf(const std::vector<CompletedRow>& rows, const std::vector<size_t>& shown) {
    CompletedTotals totals;
    // Shown rows lie scattered over a large table: their amounts are fetched a few rows ahead.
    constexpr size_t kAhead = 8;
    for (size_t k = 0; k < shown.size(); ++k) {
        if (k + kAhead < shown.size())
            __builtin_prefetch(&rows[shown[k + kAhead]].baseFee);
        const CompletedRow& row = rows[shown[k]];
        totals.fees += row.feeCents();
        totals.copies += row.copiesCents();
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
