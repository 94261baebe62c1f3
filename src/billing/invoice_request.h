#pragma once
// What "Generate Invoice" takes from the Completed tab at the click, so that nothing it does
// afterwards reads the screen again.

#include "bill_to.h"
#include "completed_rows.h"

#include <QDate>
#include <QString>
#include <vector>

namespace qm {

struct InvoiceRequest {
    QString billingKey;              // the chosen key; never "< show all >"
    QDate cutoff;                    // as lblCutoff shows it
    BillToBoxes billTo;              // the boxes' texts and their directory values
    bool billToFound = false;        // a directory entry filled the boxes
    std::vector<CompletedRow> shown; // the rows the list shows, in list order
};

} // namespace qm
