#pragma once
// Orders written by the worker processes and expected back by the tests; both sides build
// them here so that the tests can compare records and bytes exactly.

#include "order.h"

#include <string>
#include <vector>

namespace qm::process_test {

// A pending order with every field of the kind a save writes; noteLines CR LF log lines make
// it larger and put line ends inside a quoted field.
OrderRecord pendingOrder(const std::string& fileNumber, int noteLines = 1);

// "W<id>-<i>", the i-th order appended by worker id.
std::string appendedFileNumber(int id, int i);

// Two distinct whole contents of Pending.fil for the rewrite test; B is the larger, so that
// a stale partial B left in the ".new" file is longer than a whole A.
std::vector<OrderRecord> rewriteContentA();
std::vector<OrderRecord> rewriteContentB();

// The bytes a rewrite with these records leaves in the file.
std::string encodeOrders(const std::vector<OrderRecord>& records);

// Files the checker needs in a data folder besides Pending.fil.
void createOtherRequiredFiles(const std::string& dataFolder);

} // namespace qm::process_test
