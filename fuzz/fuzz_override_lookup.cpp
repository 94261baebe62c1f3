// Billing.adr lookups: the last line that begins with the key wins, and its bill-to lines are
// the "_"-separated pieces after the key.
//
// Input: byte 0 is the key length (cut to what follows), then the key, then Billing.adr.

#include "directory_files.h"
#include "fuzz_support.h"

#include <algorithm>

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t keyLength = std::min<size_t>(data[0], size - 1);
    const std::string_view key = fuzz::asText(data + 1, keyLength);
    const std::string_view bytes = fuzz::asText(data + 1 + keyLength, size - 1 - keyLength);

    const std::optional<BillTo> found = findBillingOverrideIn(bytes, key);

    std::optional<std::string> winner;
    for (const std::string& line : fuzz::modelLines(bytes)) {
        if (line.starts_with(key))
            winner = line;
    }
    FUZZ_CHECK(found.has_value() == winner.has_value(),
               "found exactly when a line begins with the key");
    if (!found)
        return 0;

    const auto& lines = found->lines;
    for (size_t i = 0; i < 4; ++i) {
        FUZZ_CHECK(lines[i].find_first_of("\r\n") == std::string::npos,
                   "bill-to lines are one line");
        if (i < 3)
            FUZZ_CHECK(lines[i].find('_') == std::string::npos, "lines 1 to 3 hold no underscore");
    }
    const std::string joined = lines[0] + "_" + lines[1] + "_" + lines[2] + "_" + lines[3];

    const size_t first = winner->find('_');
    if (first == std::string::npos) {
        // Nothing but the key part: an override with four empty lines.
        FUZZ_CHECK(joined == "___", "a line without _ gives empty bill-to lines");
        return 0;
    }
    const std::string_view rest = std::string_view(*winner).substr(first + 1);
    const size_t pieces = static_cast<size_t>(std::count(rest.begin(), rest.end(), '_'));
    if (pieces >= 3) {
        FUZZ_CHECK(joined == rest, "the bill-to lines are the winning line after its first _");
        FUZZ_CHECK(bytes.find(joined) != std::string_view::npos,
                   "the bill-to lines come from the file");
    } else {
        // Fewer pieces than lines: the missing last lines are empty.
        FUZZ_CHECK(joined == std::string(rest) + std::string(3 - pieces, '_'),
                   "missing bill-to lines are empty");
    }
    return 0;
}
