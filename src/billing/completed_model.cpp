#include "completed_model.h"

namespace qm {

void CompletedModel::setRows(std::vector<CompletedRow> rows) {
    beginResetModel();
    shown_.clear();
    rows_ = std::move(rows);
    endResetModel();
}

std::vector<CompletedRow> CompletedModel::takeRows() {
    beginResetModel();
    shown_.clear();
    std::vector<CompletedRow> rows = std::move(rows_);
    rows_.clear();
    endResetModel();
    return rows;
}

void CompletedModel::setShown(std::vector<size_t> shown) {
    beginResetModel();
    shown_ = std::move(shown);
    endResetModel();
}

std::vector<CompletedRow> CompletedModel::shownRows() const {
    std::vector<CompletedRow> out;
    out.reserve(shown_.size());
    for (size_t i : shown_)
        out.push_back(rows_[i]);
    return out;
}

int CompletedModel::rowOfFileNumber(const std::string& fileNumber) const {
    for (size_t r = 0; r < shown_.size(); ++r)
        if (rows_[shown_[r]].fileNumber == fileNumber)
            return static_cast<int>(r);
    return -1;
}

int CompletedModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownCount();
}

QVariant CompletedModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shownCount())
        return {};
    // The key and date tail are there for the filter, not to be seen.
    return shownRow(index.row()).line.left(kVisibleLineWidth);
}

} // namespace qm
