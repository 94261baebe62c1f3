#pragma once
// Reading a delimited-record file for the folder check: each record held to the form its writers
// give it, reading going on past records that do not read, and the byte faults of any text file.

#include "record.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// One record read from `pos` as the writers write it: fields separated by single commas, nothing
// after a closing quote or #literal#, no quote or # inside unquoted text, the last field followed
// by a line end. The lenient reader accepts more, which lets a record torn by a failed append and
// the record appended after it read as one. `end` is just past the record's line end.
struct StrictRead {
    size_t end = 0;
    std::string fault; // empty when the record reads
    bool ok() const { return fault.empty(); }
};
StrictRead readStrictRecord(std::string_view bytes, size_t pos, size_t fieldsPerRecord);

// The problems of a record that reads; the table holds that one record.
using RecordValidator = std::function<std::vector<std::string>(const RecordTable&)>;

struct ScannedRecord {
    size_t begin = 0, end = 0;
    long record = 0; // 1-based, counting unreadable stretches as one record each
    long line = 0;   // 1-based line the record starts on
    std::vector<std::string> problems;
};

// Bytes that do not read as records: from where a record should have started to where reading
// resumed, or to the end of the file.
struct UnreadableStretch {
    size_t begin = 0, end = 0;
    long record = 0;
    long line = 0;
    long resumeLine = 0; // line where reading resumed; 0 at the end of the file
    std::string fault;
};

struct RecordScan {
    std::vector<ScannedRecord> records;
    std::vector<UnreadableStretch> unreadable;
};

// Reads every record of bytes. After a record that does not read, reading resumes at the first
// later line start where a whole record reads, or at the first '#' or '"' (the two ways a record's
// first field begins) where one reads and passes `validate`. So a record appended after a torn
// one is found again although it begins in the middle of the torn record's line.
RecordScan scanRecords(std::string_view bytes, size_t fieldsPerRecord,
                       const RecordValidator& validate);

// The bytes of the stretches, and the bytes of everything else, each in file order.
std::string unreadableBytes(std::string_view bytes, const RecordScan& scan);
std::string readableBytes(std::string_view bytes, const RecordScan& scan);

// Faults of the bytes themselves, each kind reported once with how often it occurs and the first
// line it occurs on: NUL bytes, line ends other than CR LF, and UTF-8 text where the files hold
// Windows-1252. A CR that is the file's last byte is left to the torn-record report.
struct ByteProblem {
    long line = 0;
    std::string message;
};
std::vector<ByteProblem> checkTextBytes(std::string_view bytes);

// Lines of a buffer, counted forwards: CR LF, a lone CR and a lone LF each end a line.
class LineCounter {
  public:
    explicit LineCounter(std::string_view bytes) : bytes_(bytes) {}
    // 1-based line of offset; offsets must not decrease from one call to the next.
    long lineAt(size_t offset);

  private:
    std::string_view bytes_;
    size_t pos_ = 0;
    long line_ = 1;
};

} // namespace qm
