#include "queue_model.h"

namespace qm {

void QueueModel::setRows(std::vector<QueueRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    shown_.clear();
    endResetModel();
}

void QueueModel::applyFilters(const QueueFilterChoice& choice, const QDate& today) {
    beginResetModel();
    today_ = today;
    shown_.clear();
    const QueueFilterTest test(choice);
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i)
        if (test.passes(rows_[i]))
            shown_.push_back(i);
    endResetModel();
}

QueueCells QueueModel::shownCells(int row) const {
    return rows_[shown_.at(row)].cells();
}

int QueueModel::rowOfFileNumber(const QString& fileNumber) const {
    for (int i = 0; i < static_cast<int>(shown_.size()); ++i)
        if (rows_[shown_[i]].cell(2) == fileNumber)
            return i;
    return -1;
}

int QueueModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int QueueModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kQueueColumns;
}

QVariant QueueModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(shown_.size()))
        return {};
    const QueueRow& row = rows_[shown_[index.row()]];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return row.cell(column).toString();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (column == 6 ? Qt::AlignRight : Qt::AlignLeft));
    case Qt::BackgroundRole:
        if (const auto colour = rowBackground(row.due, today_))
            return *colour;
        return {};
    case Qt::ForegroundRole:
        if (column == 5)
            return searcherTextColour(
                row.sent, rowBackground(row.due, today_).value_or(kQueueGridBackground));
        return {};
    default:
        return {};
    }
}

} // namespace qm
