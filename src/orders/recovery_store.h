#pragma once
// Recovery copies of pulled orders, kept in the workstation's own program folder (not the shared
// data folder): one file per pulled order in recovery/<log-on name>/, never overwritten, removed
// once the order is saved back, deleted, put back or discarded.

#include "order.h"
#include "result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Any bytes as a file name: letters, digits and "-" stay, every other byte becomes %XX.
std::string fileNameSafe(std::string_view bytes);

// The folder of one user's copies, ending with "/".
std::string recoveryFolderOf(const std::string& programFolder, const std::string& logOnName);
// The single copy earlier versions kept for a user: recovery/<log-on name>.fil.
std::string legacyRecoveryPath(const std::string& programFolder, const std::string& logOnName);

// Writes the copy under a name no other copy has (the order's number, made unique), through a
// temporary file; the copy and the folder are synced before this returns. The copy's path.
Result<std::string> writeNewRecovery(const std::string& folder, const OrderRecord& pulled);

// Every copy of the user's: the legacy copy when present, then the folder's in name order.
Result<std::vector<std::string>> recoveryCopies(const std::string& programFolder,
                                                const std::string& logOnName);

Status removeRecovery(const std::string& path); // missing is fine
// The copy's order; nothing when the file is missing or empty.
Result<std::optional<OrderRecord>> readRecovery(const std::string& path);

} // namespace qm
