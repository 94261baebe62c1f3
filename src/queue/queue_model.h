#pragma once
// The rows of grdOrder: the pending rows that pass the filters, with their colours.

#include "queue_logic.h"

#include <QAbstractTableModel>
#include <vector>

namespace qm {

class QueueModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;

    // All rows of the last rebuild, in grid order; nothing shows until filtered.
    void setRows(std::vector<QueueRow> rows);
    // Shows the rows that pass; today colours the due dates.
    void applyFilters(const QueueFilterChoice& choice, const QDate& today);

    const std::vector<QueueRow>& allRows() const { return rows_; }
    // The cells of a shown row as the grid has them (cell 6 with the sent marker).
    QueueCells shownCells(int row) const;
    int shownCount() const { return static_cast<int>(shown_.size()); }
    // The shown row whose number (column 2) is fileNumber; -1 when none.
    int rowOfFileNumber(const QString& fileNumber) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    std::vector<QueueRow> rows_;
    std::vector<int> shown_; // indices into rows_
    QDate today_;
};

} // namespace qm
