#include "list_output.h"

#include <QHash>

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace qm {

namespace {

struct Place {
    int width;
    int column; // counted from 1
};

// Writes each text at its place in a line of blanks, cut to its width.
QString placed(int length, std::initializer_list<std::pair<QString, Place>> parts) {
    QString line(length, QLatin1Char(' '));
    for (const auto& [text, place] : parts) {
        const QString cut = text.left(place.width);
        line.replace(place.column - 1, cut.size(), cut);
    }
    return line;
}

QString orDashes(const QString& cell) {
    return cell.isEmpty() ? QStringLiteral("---") : cell;
}

// The address split at its last comma: the street before it, the town after the comma and
// the one character that follows it, in upper case.
// An address without a comma has no town, so it is in no town of the list.
std::pair<QString, QString> streetAndTown(const QString& address) {
    const qsizetype comma = address.lastIndexOf(QLatin1Char(','));
    if (comma < 0)
        return {address, QString()};
    return {address.left(comma), address.mid(comma + 2).toUpper()};
}

QString detailLine(const QueueCells& row, int length, int shift) {
    return placed(length, {{row[0], {9, 1 + shift}},
                           {row[1], {43, 12 + shift}},
                           {row[2], {17, 56 + shift}},
                           {row[3], {15, 73 + shift}},
                           {row[4], {10, 88 + shift}},
                           {row[5], {18, 98 + shift}}});
}

QString workListLine(const QueueCells& row, int length, int shift) {
    const auto [street, town] = streetAndTown(row[1]);
    return placed(length, {{town, {16, 1 + shift}},
                           {street, {37, 18 + shift}},
                           {orDashes(row[3]), {15, 56 + shift}},
                           {orDashes(row[4]), {10, 71 + shift}},
                           {row[0].left(8), {8, 84 + shift}}});
}

QString blanks(int n) {
    return QString(n, QLatin1Char(' '));
}

} // namespace

std::vector<int> rowsToOutput(int currentRow, int lastSelectedRow, bool detailsShown,
                              int rowCount) {
    std::vector<int> rows;
    if (currentRow != lastSelectedRow) {
        for (int r = std::min(currentRow, lastSelectedRow);
             r <= std::max(currentRow, lastSelectedRow); ++r)
            if (r >= 0 && r < rowCount)
                rows.push_back(r);
    } else if (detailsShown && currentRow >= 0 && currentRow < rowCount) {
        rows.push_back(currentRow);
    } else {
        for (int r = 0; r < rowCount; ++r)
            rows.push_back(r);
    }
    return rows;
}

QString copiedDetailLine(const QueueCells& row) {
    return detailLine(row, 115, 0);
}

QString printedDetailLine(const QueueCells& row) {
    return detailLine(row, 118, 3);
}

QString copiedWorkListLine(const QueueCells& row) {
    return workListLine(row, 91, 0);
}

QString printedWorkListLine(const QueueCells& row) {
    return workListLine(row, 94, 3);
}

QString detailHeading() {
    return blanks(3) + QStringLiteral("Due Date") + blanks(3) + QStringLiteral("Property Address") +
           blanks(28) + QStringLiteral("Order No.") + blanks(8) + QStringLiteral("Type") +
           blanks(11) + QStringLiteral("Muni") + blanks(6) + QStringLiteral("Searcher");
}

QString workListHeading() {
    return blanks(3) + QStringLiteral("Town") + blanks(13) + QStringLiteral("Property Address") +
           blanks(22) + QStringLiteral("Type") + blanks(11) + QStringLiteral("Muni") + blanks(9) +
           QStringLiteral("Due Date");
}

QString workListTown(const QString& address) {
    return streetAndTown(address).second;
}

std::vector<QueueCells> workListOrder(const std::vector<QueueCells>& rows,
                                      const QStringList& townItems) {
    // Each row's town once, so a long town list over a long queue stays linear.
    QHash<QString, std::vector<size_t>> rowsOfTown;
    for (size_t i = 0; i < rows.size(); ++i)
        rowsOfTown[workListTown(rows[i][1])].push_back(i);
    std::vector<QueueCells> ordered;
    for (const QString& town : townItems) {
        const auto found = rowsOfTown.constFind(town);
        if (found == rowsOfTown.constEnd())
            continue;
        for (size_t i : *found)
            ordered.push_back(rows[i]);
    }
    return ordered;
}

QString copyDetailText(const std::vector<QueueCells>& rows, const QString& detailsText,
                       bool singleWithDetails) {
    if (singleWithDetails)
        return detailsText;
    QString text;
    for (const QueueCells& row : rows)
        text += copiedDetailLine(row) + QStringLiteral("\r\n\r\n");
    return text;
}

QString copyListText(const std::vector<QueueCells>& rows, const QStringList& townItems) {
    QString text;
    for (const QueueCells& row : workListOrder(rows, townItems))
        text += copiedWorkListLine(row) + QStringLiteral("\r\n\r\n");
    return text;
}

} // namespace qm
