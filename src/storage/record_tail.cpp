#include "record_tail.h"

namespace qm {

void RecordEndTracker::feed(std::string_view bytes) {
    if (bytes.empty())
        return;
    // A plain count: the compiler vectorises it, and no quote can be escaped.
    std::uint64_t quotes = 0;
    for (const char c : bytes)
        quotes += c == '"';
    quotes_ += quotes;
    last_ = bytes.back();
    any_ = true;
}

bool RecordEndTracker::endsOnCompleteRecord() const {
    return !any_ || (last_ == '\n' && quotes_ % 2 == 0);
}

bool endsOnCompleteRecord(std::string_view wholeFile) {
    RecordEndTracker tracker;
    tracker.feed(wholeFile);
    return tracker.endsOnCompleteRecord();
}

bool endsOnCompleteLine(std::string_view wholeFile) {
    return wholeFile.empty() || wholeFile.back() == '\n';
}

} // namespace qm
