#pragma once
// Prints the queue's detail lines, one order's details and the work list.

#include "list_output.h"

namespace qm {

class PrinterService;

// False when there is no printer or the document could not be drawn.
bool printDetail(PrinterService& printer, const std::vector<QueueCells>& rows,
                 const QString& detailsText, bool singleWithDetails);
bool printList(PrinterService& printer, const std::vector<QueueCells>& rows,
               const QStringList& townItems);

} // namespace qm
