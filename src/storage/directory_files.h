#pragma once
// Directory files (" _ "-joined lines), the fee schedule, custom rate files and billing overrides.

#include "files.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class DirectoryKind { Companies, Attorneys, Searchers };
const char* directoryKindName(DirectoryKind kind); // "Companies", ...
std::string directoryFileName(DirectoryKind kind); // "Companies.lst", ...

inline constexpr size_t kDirectoryFieldCount = 8;
using DirectoryFields = std::array<std::string, kDirectoryFieldCount>;

// Lines of a whole-line file, without their line ends.
std::vector<std::string> splitLines(std::string_view bytes);

// The eight fields of a directory line, taken as the directory screen always has.
DirectoryFields splitDirectoryLine(std::string_view line);
// How many " _ " separators the line has; a sound line has seven.
size_t directorySeparatorCount(std::string_view line);
std::string joinDirectoryLine(const DirectoryFields& fields);

// Reads kind + ".lst" under the lock, lines in file order.
Result<std::vector<std::string>> readDirectoryFile(const DataLock& lock, DirectoryKind kind);
// The same without the lock, as the refresh reads.
Result<std::vector<std::string>> readDirectoryFileUnlocked(const std::string& dataFolder,
                                                           DirectoryKind kind);
Status appendDirectoryEntry(const DataLock& lock, DirectoryKind kind, std::string_view line);
// Removes every line equal to `line` (whole text, case-sensitive).
Status removeDirectoryEntry(const DataLock& lock, DirectoryKind kind, std::string_view line);
// Writes `newLine` in place of every line equal to `oldLine` in Attorneys.lst.
Status replaceAttorneyEntry(const DataLock& lock, std::string_view oldLine,
                            std::string_view newLine);

// Services.dat and rate files: quoted code, quoted "#.00" fee.
struct ServiceEntry {
    std::string code;
    std::string feeText; // as stored, for example "150.00" or ".50"
    bool isMunicipal() const { return code.starts_with("M."); }
    // The fee as whole dollars, halves to even; 0 when the text is no number.
    long wholeDollars() const;
};
inline constexpr const char* kServicesFileName = "Services.dat";
inline constexpr const char* kCustomRatesFolder = "customrates";
inline constexpr const char* kBillingFileName = "Billing.adr";

Result<std::vector<ServiceEntry>> parseServiceEntries(std::string_view bytes,
                                                      const std::string& path);
std::string encodeServiceEntries(const std::vector<std::pair<std::string, double>>& codesAndFees);

Result<std::vector<ServiceEntry>> readFeeSchedule(const std::string& dataFolder);
// Writes the schedule in row order; codes empty after trimming blanks are left out.
Status writeFeeSchedule(const DataLock& lock,
                        const std::vector<std::pair<std::string, double>>& codesAndFees);

// The rate file of one customer; a name that would leave the folder is refused.
Result<std::string> customRatePath(const std::string& dataFolder, std::string_view customer);
// No file means no custom rates: an empty list.
Result<std::vector<ServiceEntry>> readCustomRates(const std::string& dataFolder,
                                                  std::string_view customer);
// Lists only fees that are not zero; deletes the file when none is left.
Status writeCustomRates(const std::string& dataFolder, std::string_view customer,
                        const std::vector<std::pair<std::string, double>>& codesAndFees);

struct BillTo {
    std::array<std::string, 4> lines;
};
// The last line of Billing.adr that begins with key; a missing file holds no override.
Result<std::optional<BillTo>> findBillingOverride(const std::string& dataFolder,
                                                  std::string_view key);
std::optional<BillTo> findBillingOverrideIn(std::string_view bytes, std::string_view key);
// Appends the override line; a last line without its line end (a hand edit) is ended first, so
// that it does not swallow the new one. Whether the line is worth storing is the caller's call.
Status addBillingOverride(const std::string& dataFolder, std::string_view line);

} // namespace qm
