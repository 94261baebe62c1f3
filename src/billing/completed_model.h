#pragma once
// The lines of List2: the completed rows of the last rebuild and which of them show, in order.
// One model row per shown line; the hidden key and date tail stay out of sight.

// Qt first: moc cannot read <compare> unless Qt's headers came before it.
#include <QAbstractListModel>

#include "completed_rows.h"

#include <vector>

namespace qm {

class CompletedModel final : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    // Every row of Completed.fil; nothing shows until setShown.
    void setRows(std::vector<CompletedRow> rows);
    // Empties the list and hands its rows over, for the next rebuild to reuse their memory.
    std::vector<CompletedRow> takeRows();
    // Positions into allRows(), in display order.
    void setShown(std::vector<size_t> shown);

    const std::vector<CompletedRow>& allRows() const { return rows_; }
    const std::vector<size_t>& shown() const { return shown_; }
    int shownCount() const { return static_cast<int>(shown_.size()); }
    const CompletedRow& shownRow(int row) const { return rows_[shown_[static_cast<size_t>(row)]]; }
    // The shown rows themselves, in list order.
    std::vector<CompletedRow> shownRows() const;
    // The first shown line of that file number; -1 when none.
    int rowOfFileNumber(const std::string& fileNumber) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    std::vector<CompletedRow> rows_;
    std::vector<size_t> shown_;
};

} // namespace qm
