#pragma once
// A read-only check of a whole data folder: every file read with the storage readers, every
// problem reported with the file and record it was found in.

#include <string>
#include <vector>

namespace qm {

struct DataProblem {
    std::string file; // name inside the data folder, for example "Pending.fil"
    long record = 0;  // 1-based record, or line of a line file; 0 when about the whole file
    std::string message;

    std::string describe() const; // "Pending.fil, record 3: ...", "Companies.lst, line 2: ..."
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

} // namespace qm
