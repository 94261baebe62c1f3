#pragma once
// A read-only check of a whole data folder: every file read with the storage readers, every
// problem reported with the file, record and line it was found in.

#include "data_check_scan.h"
#include "order.h"

#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct DataProblem {
    std::string file; // name inside the data folder, for example "Pending.fil"
    long record = 0;  // 1-based record, or line of a line file; 0 when about the whole file
    long line = 0;    // 1-based line a record of a delimited file starts on; 0 when not known
    std::string message;

    // "Pending.fil, record 3, line 7: ...", "Companies.lst, line 2: ..."
    std::string describe() const;
};

struct DataReport {
    std::vector<DataProblem> problems;
    size_t pendingOrders = 0;
    size_t completedOrders = 0;
    size_t archivedOrders = 0;

    bool clean() const { return problems.empty(); }
    std::string summary() const;
};

// dataFolder ends with "/".
DataReport checkDataFolder(const std::string& dataFolder);

// An order file's records held to the form its writers give them, each record's field problems
// included, reading going on past records that do not read.
RecordScan scanOrderFile(OrderFile file, std::string_view bytes);

} // namespace qm
