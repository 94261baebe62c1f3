#pragma once
// The fixed-column lines that the queue's pop-up menu copies and prints. No widgets.

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace qm {

using QueueCells = std::array<QString, 7>; // the grid cells of one row, columns 0..6

// Rows to output: a selection of several rows gives them in grid order; one selected row with
// its details shown gives that row; nothing selected since the last refill gives every row.
std::vector<int> rowsToOutput(int currentRow, int lastSelectedRow, bool detailsShown, int rowCount);

QString copiedDetailLine(const QueueCells& row);    // 115 characters
QString printedDetailLine(const QueueCells& row);   // 118 characters
QString copiedWorkListLine(const QueueCells& row);  // 91 characters
QString printedWorkListLine(const QueueCells& row); // 94 characters
QString detailHeading();                            // printed, bold
QString workListHeading();                          // printed, bold

// The upper-case town of an address cell: what follows its last comma and one blank.
QString workListTown(const QString& address);

// The work list: for each town of the order editor's list in its order, that town's rows in
// grid order; rows of a town not in the list are left out.
std::vector<QueueCells> workListOrder(const std::vector<QueueCells>& rows,
                                      const QStringList& townItems);

// The clipboard texts: the details text for one row with details shown, else each detail line
// followed by two CR LF; the work list likewise.
QString copyDetailText(const std::vector<QueueCells>& rows, const QString& detailsText,
                       bool singleWithDetails);
QString copyListText(const std::vector<QueueCells>& rows, const QStringList& townItems);

} // namespace qm
