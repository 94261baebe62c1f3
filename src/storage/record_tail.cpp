#include "record_tail.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qm {

namespace {

// Sixteen bytes at a time into byte counters, summed before they can overflow: large archives
// are checked before every append to them.
std::uint64_t countQuotes(std::string_view bytes) {
    std::uint64_t quotes = 0;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8('"');
    while (bytes.size() - i >= 16) {
        __m128i counters = _mm_setzero_si128();
        const size_t blocks = std::min<size_t>((bytes.size() - i) / 16, 255);
        for (size_t k = 0; k < blocks; ++k, i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
            counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(v, quote));
        }
        const __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
        quotes += static_cast<std::uint64_t>(_mm_cvtsi128_si64(sums)) +
                  static_cast<std::uint64_t>(_mm_extract_epi16(sums, 4));
    }
#endif
    for (; i < bytes.size(); ++i)
        quotes += bytes[i] == '"';
    return quotes;
}

} // namespace

void RecordEndTracker::feed(std::string_view bytes) {
    if (bytes.empty())
        return;
    quotes_ += countQuotes(bytes); // no quote can be escaped: their count decides
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
