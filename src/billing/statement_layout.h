#pragma once
// The statement's page: title block, business block, rule, addresses, the table of orders, the
// totals, the thanks and the footer.

#include "docx_document.h"
#include "statement.h"

namespace qm {

// Blanks between the business name and "Invoice" in the footer: 135 less the footer's length as
// this writer counts it (the name and the paragraph mark) less the name's length; never fewer
// than none, however long the name.
int footerBlankCount(size_t nameLength);

// The amount column's text: "0.00" right-aligned in 7 characters, or in the width of the widest
// amount of the statement, so that decimal points stay in one column.
std::string statementAmountText(const std::optional<Money>& amount, size_t width);
size_t statementAmountWidth(const StatementBody& body);

docx::Document statementDocument(const StatementModel& model);

} // namespace qm
