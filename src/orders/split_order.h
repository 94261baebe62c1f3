#pragma once
// Splitting a pending order into a second order of its own: the record the new order starts
// from and the number it gets. Nothing is written here; the original order stays in Pending.fil
// untouched. No widgets; texts are Windows-1252 bytes as stored.

#include "order.h"
#include "result.h"

#include <functional>
#include <optional>
#include <string>

namespace qm {

// base + "m", base + "mm", ...: the first that `used` does not report.
std::string firstFreeSplitNumber(const std::string& base,
                                 const std::function<bool(const std::string&)>& used);

// The first free split number of `base` as the folder stands: a number is used when any of the
// three order files holds it or an order pulled for editing has it reserved.
Result<std::string> nextSplitNumber(const DataLock& lock, const std::string& base);
Result<std::string> nextSplitNumber(const std::string& dataFolder, const std::string& base);

struct SplitStart {
    OrderRecord order;      // the first pending record with the number, as stored
    std::string fileNumber; // the number of the new order
};

// Reads, under the lock, the first record of Pending.fil with the number and the number its split
// gets. Nothing when no pending record has the number (pulled or closed elsewhere).
Result<std::optional<SplitStart>> startSplit(const std::string& dataFolder,
                                             const std::string& fileNumber);

} // namespace qm
