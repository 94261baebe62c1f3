#include "queue_logic.h"

#include "cp1252.h"
#include "values.h"

#include <QSet>
#include <algorithm>

namespace qm {

namespace {

QString textOf(std::string_view bytes) {
    return QString::fromStdString(cp1252ToUtf8(bytes));
}

QString fieldText(const OrderTable& table, size_t record, OrderField field) {
    return textOf(table.field(record, field).text);
}

QString beforeStar(const QString& text) {
    const qsizetype star = text.indexOf(QLatin1Char('*'));
    return star < 0 ? text : text.left(star);
}

QDate dateOf(const DateTime& day) {
    return QDate(day.year, day.month, day.day);
}

// Adds a value unless the collected text holds it already (a plain substring test). A value
// offered before is always inside that text, so only new values need the scan.
struct Collector {
    QStringList items;
    QString seen;
    QSet<QString> offered;
    void offer(const QString& value) {
        if (value.isEmpty() || offered.contains(value))
            return;
        offered.insert(value);
        if (seen.contains(value))
            return;
        items << value;
        seen += value + QLatin1Char('|');
    }
};

// Towns are only kept out by the very same town.
struct TownCollector {
    QStringList items;
    QString seen = QStringLiteral("|");
    void offer(const QString& town) {
        if (town.isEmpty() || seen.contains(QLatin1Char('|') + town + QLatin1Char('|')))
            return;
        items << town;
        seen += town + QLatin1Char('|');
    }
};

} // namespace

QueueRow queueRowOf(const OrderTable& table, size_t record) {
    QueueRow row;
    const std::optional<DueDate> due = parseDueDate(table.field(record, OrderField::DueDate));
    if (due) {
        row.due = dateOf(due->day);
        row.cells[0] = row.due.toString(QStringLiteral("MM/dd/yy"));
        if (due->billedInAdvance)
            row.cells[0] += QLatin1Char('*');
    }
    QString address = fieldText(table, record, OrderField::PropertyAddress1);
    if (const QString second = fieldText(table, record, OrderField::PropertyAddress2);
        !second.isEmpty())
        address += QLatin1Char(' ') + second;
    row.cells[1] = address + QStringLiteral(", ") +
                   textOf(properCase(table.field(record, OrderField::Town).text));
    row.cells[2] = fieldText(table, record, OrderField::FileNumber);
    row.cells[3] = fieldText(table, record, OrderField::SearchType);
    row.cells[4] = fieldText(table, record, OrderField::MuniSearch);
    const QString searcher = fieldText(table, record, OrderField::Searcher);
    row.cells[5] = beforeStar(searcher);
    row.sent = searcher.contains(QLatin1Char('*'));
    row.cells[6] = fieldText(table, record, OrderField::TitleCompany) + QLatin1Char('_') +
                   fieldText(table, record, OrderField::Customer);
    row.entry = cacheEntryOf(row);
    return row;
}

std::vector<QueueRow> buildQueueRows(const OrderTable& table) {
    std::vector<QueueRow> rows;
    rows.reserve(table.size());
    for (size_t i = table.size(); i-- > 0;)
        rows.push_back(queueRowOf(table, i));
    std::stable_sort(rows.begin(), rows.end(),
                     [](const QueueRow& a, const QueueRow& b) { return a.due < b.due; });
    return rows;
}

QString queueFilterPlaceholder(int filter) {
    switch (filter) {
    case DueDateFilter:
        return QStringLiteral("< due date >");
    case CustomerFilter:
        return QStringLiteral("< customer >");
    case TownFilter:
        return QStringLiteral("< town >");
    case TypeFilter:
        return QStringLiteral("< type >");
    case SearcherFilter:
        return QStringLiteral("< searcher >");
    default:
        return {};
    }
}

QueueFilterItems collectFilterItems(const OrderTable& table) {
    Collector dates, customers, types, searchers;
    TownCollector towns;
    for (size_t i = 0; i < table.size(); ++i) {
        if (const auto due = parseDueDate(table.field(i, OrderField::DueDate)))
            dates.offer(dateOf(due->day).toString(QStringLiteral("MM/dd/yy")));
        customers.offer(fieldText(table, i, OrderField::TitleCompany));
        const QString customer = fieldText(table, i, OrderField::Customer);
        customers.offer(customer.left(customer.indexOf(QStringLiteral(" - "))));
        towns.offer(textOf(properCase(table.field(i, OrderField::Town).text)));
        types.offer(fieldText(table, i, OrderField::SearchType));
        types.offer(fieldText(table, i, OrderField::MuniSearch));
        searchers.offer(beforeStar(fieldText(table, i, OrderField::Searcher)));
    }
    QueueFilterItems items;
    items[DueDateFilter] = dates.items;
    items[CustomerFilter] = customers.items;
    items[TownFilter] = towns.items;
    items[TypeFilter] = types.items;
    items[SearcherFilter] = searchers.items;
    for (QStringList& list : items)
        list.sort(Qt::CaseInsensitive);
    items[TypeFilter] << kAllMunicipal << kAllRegular;
    return items;
}

bool isFilterActive(int filter, const QString& choice) {
    return !choice.isEmpty() && choice != queueFilterPlaceholder(filter);
}

QueueFilterTest::QueueFilterTest(const QueueFilterChoice& choice) {
    const QChar tab = QLatin1Char('\t');
    for (int k = 1; k <= kQueueFilterCount; ++k) {
        const QString& key = choice[k];
        if (!isFilterActive(k, key))
            continue;
        if (k == TypeFilter && key == kAllRegular)
            keys_.push_back({tab + QStringLiteral("R."), tab + QStringLiteral("C.")});
        else if (k == TypeFilter && key == kAllMunicipal)
            keys_.push_back({tab + QStringLiteral("M."), {}});
        else if (k == TownFilter)
            keys_.push_back({QStringLiteral(", ") + key, {}});
        else
            keys_.push_back({key, {}});
    }
}

bool QueueFilterTest::passes(const QueueRow& row) const {
    for (const Key& key : keys_)
        if (!row.entry.contains(key.text) &&
            (key.orText.isEmpty() || !row.entry.contains(key.orText)))
            return false;
    return true;
}

bool rowPassesFilters(const QueueRow& row, const QueueFilterChoice& choice) {
    return QueueFilterTest(choice).passes(row);
}

QString cacheEntryOf(const QueueRow& row) {
    QString entry = row.cells[0];
    for (int c = 1; c < kQueueColumns; ++c)
        entry += QLatin1Char('\t') + row.cells[c];
    if (row.sent)
        entry += QLatin1Char('*');
    return entry;
}

std::optional<QColor> rowBackground(const QDate& due, const QDate& today) {
    if (!due.isValid())
        return std::nullopt;
    const qint64 days = today.daysTo(due);
    if (days < 0)
        return QColor(255, 0, 0);
    if (days == 0)
        return QColor(255, 255, 0);
    return std::nullopt;
}

QColor searcherTextColour(bool sent) {
    return sent ? QColor(0, 0, 0) : QColor(128, 128, 128);
}

QString pendingTabCaption(int shownRows) {
    return QStringLiteral("Pending Searches [%1]").arg(shownRows);
}

} // namespace qm
