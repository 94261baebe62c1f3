#include "queue_logic.h"

#include "cp1252.h"
#include "values.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace qm {

namespace {

// Windows-1252 and Latin-1 differ only in 0x80 to 0x9F: other bytes append as they are.
void appendText(QString& out, std::string_view bytes) {
    const bool latin1 = std::none_of(bytes.begin(), bytes.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0x80 && b <= 0x9F;
    });
    if (latin1)
        out.append(QLatin1StringView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    else
        out.append(QString::fromStdString(cp1252ToUtf8(bytes)));
}

QString textOf(std::string_view bytes) {
    QString text;
    appendText(text, bytes);
    return text;
}

std::string_view beforeStar(std::string_view text) {
    return text.substr(0, text.find('*'));
}

QDate dateOf(const DateTime& day) {
    return QDate(day.year, day.month, day.day);
}

void appendTwoDigits(QString& out, int n) {
    out.append(QLatin1Char(static_cast<char>('0' + n / 10 % 10)));
    out.append(QLatin1Char(static_cast<char>('0' + n % 10)));
}

// "mm/dd/yy", as the grid shows a due date.
void appendShortDueDate(QString& out, const DateTime& day) {
    appendTwoDigits(out, day.month);
    out.append(QLatin1Char('/'));
    appendTwoDigits(out, day.day);
    out.append(QLatin1Char('/'));
    appendTwoDigits(out, day.year % 100);
}

// Adds a value unless the collected text holds it already (a plain substring test). The same
// stored bytes give the same value, which is then inside that text: only new bytes are looked at.
struct Collector {
    QStringList items;
    QString seen;
    std::unordered_set<std::string_view> offered;
    bool isNew(std::string_view bytes) { return !bytes.empty() && offered.insert(bytes).second; }
    void offer(const QString& value) {
        if (value.isEmpty() || seen.contains(value))
            return;
        items << value;
        seen += value + QLatin1Char('|');
    }
    void offerBytes(std::string_view bytes) {
        if (isNew(bytes))
            offer(textOf(bytes));
    }
};

// Towns are only kept out by the very same town.
struct TownCollector {
    QStringList items;
    QString seen = QStringLiteral("|");
    std::unordered_set<std::string_view> offered;
    void offerBytes(std::string_view bytes) {
        if (bytes.empty() || !offered.insert(bytes).second)
            return;
        const QString town = textOf(properCase(bytes));
        if (seen.contains(QLatin1Char('|') + town + QLatin1Char('|')))
            return;
        items << town;
        seen += town + QLatin1Char('|');
    }
};

} // namespace

QueueCells QueueRow::cells() const {
    QueueCells cells;
    for (int c = 0; c < kQueueColumns; ++c)
        cells[c] = cell(c).toString();
    return cells;
}

QueueRow queueRowOf(const OrderTable& table, size_t record) {
    auto bytes = [&](OrderField field) { return table.field(record, field).text; };
    QueueRow row;
    QString& e = row.entry;
    e.reserve(160);
    auto nextCell = [&row](int c) {
        if (c > 0)
            row.entry.append(QLatin1Char('\t'));
        row.start[c] = static_cast<int>(row.entry.size());
    };

    nextCell(0);
    if (const auto due = parseDueDate(table.field(record, OrderField::DueDate))) {
        row.due = dateOf(due->day);
        appendShortDueDate(e, due->day);
        if (due->billedInAdvance)
            e.append(QLatin1Char('*'));
    }
    nextCell(1);
    appendText(e, bytes(OrderField::PropertyAddress1));
    if (const std::string_view second = bytes(OrderField::PropertyAddress2); !second.empty()) {
        e.append(QLatin1Char(' '));
        appendText(e, second);
    }
    e.append(QLatin1String(", "));
    appendText(e, properCase(bytes(OrderField::Town)));
    nextCell(2);
    appendText(e, bytes(OrderField::FileNumber));
    nextCell(3);
    appendText(e, bytes(OrderField::SearchType));
    nextCell(4);
    appendText(e, bytes(OrderField::MuniSearch));
    nextCell(5);
    const std::string_view searcher = bytes(OrderField::Searcher);
    appendText(e, beforeStar(searcher));
    row.sent = searcher.find('*') != std::string_view::npos;
    nextCell(6);
    appendText(e, bytes(OrderField::TitleCompany));
    e.append(QLatin1Char('_'));
    appendText(e, bytes(OrderField::Customer));
    if (row.sent)
        e.append(QLatin1Char('*'));
    row.start[kQueueColumns] = static_cast<int>(e.size()) + 1;
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
        auto bytes = [&](OrderField field) { return table.field(i, field).text; };
        if (dates.isNew(bytes(OrderField::DueDate)))
            if (const auto due = parseDueDate(table.field(i, OrderField::DueDate))) {
                QString text;
                appendShortDueDate(text, due->day);
                dates.offer(text);
            }
        customers.offerBytes(bytes(OrderField::TitleCompany));
        const std::string_view customer = bytes(OrderField::Customer);
        customers.offerBytes(customer.substr(0, customer.find(" - ")));
        towns.offerBytes(bytes(OrderField::Town));
        types.offerBytes(bytes(OrderField::SearchType));
        types.offerBytes(bytes(OrderField::MuniSearch));
        searchers.offerBytes(beforeStar(bytes(OrderField::Searcher)));
    }
    QueueFilterItems items;
    items[DueDateFilter] = dates.items;
    items[CustomerFilter] = customers.items;
    items[TownFilter] = towns.items;
    items[TypeFilter] = types.items;
    items[SearcherFilter] = searchers.items;
    items[TypeFilter] << kAllMunicipal << kAllRegular;
    for (QStringList& list : items)
        list.sort(Qt::CaseInsensitive);
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

QColor searcherTextColour(bool sent, const QColor& background) {
    if (sent)
        return QColor(0, 0, 0);
    const QColor grey(128, 128, 128);
    return contrastRatio(grey, background) >= kMinTextContrast ? grey : QColor(255, 255, 255);
}

namespace {

double relativeLuminance(const QColor& colour) {
    auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.red()) + 0.7152 * linear(rgb.green()) + 0.0722 * linear(rgb.blue());
}

} // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QueueSelectionSnapshot selectionSnapshotOf(const QueueCells& cells) {
    QueueSelectionSnapshot s;
    s.fileNumber = cells[2];
    s.street = cells[1].left(cells[1].indexOf(QLatin1Char(',')));
    s.searcher = cells[5].left(cells[5].indexOf(QLatin1Char('*')));
    return s;
}

QString pendingTabCaption(int shownRows) {
    return QStringLiteral("Pending Searches [%1]").arg(shownRows);
}

} // namespace qm
