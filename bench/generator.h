#pragma once
// Writes a realistic, self-consistent data folder of any size, for demonstrations, tests and
// benchmarks. The same options give the same bytes.

#include "result.h"
#include "values.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace qm {

struct GeneratorOptions {
    size_t pending = 0;
    size_t completed = 0; // including copies of orders billed in advance
    size_t archived = 0;  // likewise
    std::uint32_t seed = 1;
    DateTime today; // the day the folder is "as of": due dates lie around it
};

// Writes the three order files, the directory files, Services.dat, a few custom rate files and
// Billing.adr into dataFolder (ends with "/"; created when missing). Files of those names are
// replaced; other files are left alone.
Status generateDataFolder(const std::string& dataFolder, const GeneratorOptions& options);

// The workstation's local date.
DateTime currentDate();

} // namespace qm
