#pragma once
// Moving the bytes of an order file that do not read (a record torn by a failed append, with
// whatever was appended onto it) out of the way, so that every workstation can read the file
// again. Nothing is dropped: the bytes go to a new side file beside the order file.

#include "result.h"

#include <string>
#include <vector>

namespace qm {

struct MovedBytes {
    std::string file;     // "Pending.fil"
    std::string sideFile; // "Pending.fil.torn-20261208-131500", beside it
    size_t bytes = 0;
    long record = 0; // where the bytes began, as the folder check numbers them
    long line = 0;
    std::string describe() const;
};

// Under the lock of dataFolder: for each order file with bytes that do not read, writes those
// bytes to a new side file named after the file and `stamp` (yyyymmdd-hhmmss), synced, and then
// rewrites the order file with every record that reads. An existing side file is never replaced.
// Returns one entry per stretch of bytes moved; none when every order file reads.
Result<std::vector<MovedBytes>> moveUnreadableOrderBytes(const std::string& dataFolder,
                                                         const std::string& stamp);

} // namespace qm
