#pragma once
// The rows of List2: the archive lines that passed the filter, decoded only when shown.

#include "archive_list.h"

#include <QAbstractListModel>
#include <cstdint>
#include <functional>
#include <vector>

namespace qm {

class ArchiveModel final : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    // Shows `lines` of `list` (indices into it) in place of the rows shown so far. Both must
    // stay as they are until the next call; `change` runs between the old rows and the new.
    void show(const ArchiveList* list,
              const std::function<const std::vector<std::uint32_t>*()>& change);
    void clear();

    // The list's index of a shown row.
    std::uint32_t lineIndex(int row) const { return (*lines_)[static_cast<size_t>(row)]; }
    QString lineText(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    const ArchiveList* list_ = nullptr;
    const std::vector<std::uint32_t>* lines_ = nullptr;
};

} // namespace qm
