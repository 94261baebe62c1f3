#pragma once
// Whether a delimited-record file ends on a complete record: a torn write (disk full, a crash)
// leaves part of a record at the end, and a record appended after it would merge into it.

#include <cstdint>
#include <string_view>

namespace qm {

// Takes a file's bytes in order, in pieces of any size.
class RecordEndTracker {
  public:
    void feed(std::string_view bytes);
    // True for no bytes at all, or bytes ending on a line end outside quoted text: CR LF as
    // written, or a bare LF as a hand edit may leave. A lone CR is half of a torn CR LF.
    bool endsOnCompleteRecord() const;

  private:
    std::uint64_t quotes_ = 0;
    char last_ = 0;
    bool any_ = false;
};

// The same for bytes at hand: the whole file. Quoted text may hold line ends, so the quotes of
// the whole file decide whether its last line end is outside one.
bool endsOnCompleteRecord(std::string_view wholeFile);

// For line-record files (no quoting): empty, or ending in LF.
bool endsOnCompleteLine(std::string_view wholeFile);

} // namespace qm
