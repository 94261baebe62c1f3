#pragma once
// "Generate Invoice": the statement number prompt, the bill-to override, the statement document
// and the move of its orders to the archive, then the document opened for the user.

#include "invoice_request.h"
#include "result.h"

#include <QString>
#include <string>

class QWidget;

namespace qm {

struct AppContext;

inline const QString kStatementNumberTitle = QStringLiteral(" STATEMENT NUMBER");
inline const QString kSheetErrorTitle = QStringLiteral(" SHEET ERROR");

// The line the bill-to boxes make in Billing.adr when one was edited and the line differs from
// the override in force for the key; appended without the lock, as that file always is. An
// older equal line does not stop it: the newest line wins.
Status storeBillToOverride(const std::string& dataFolder, const InvoiceRequest& request);

// Runs the whole command for the inputs taken at the click. True when the orders were archived
// (the list must then be rebuilt before another statement). The caller holds the command guard
// and keeps "Generate Invoice" disabled while this runs; questions and messages are all here.
bool generateInvoice(AppContext& context, QWidget* parent, const InvoiceRequest& request);

} // namespace qm
