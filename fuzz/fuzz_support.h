#pragma once
// Shared by the fuzz targets: invariant checks and a plain model of the line rule.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// abort() rather than a return code: libFuzzer then keeps the input as a crash artifact.
#define FUZZ_CHECK(cond, what)                                                                     \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "invariant failed: %s\n  at %s:%d: %s\n", what, __FILE__,         \
                         __LINE__, #cond);                                                         \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzz {

// Faults already reported against the storage library. Built with QM_FUZZ_SKIP_REPORTED the
// targets step around those inputs to search further; by default they fail like any other.
#ifdef QM_FUZZ_SKIP_REPORTED
inline constexpr bool kSkipReported = true;
#else
inline constexpr bool kSkipReported = false;
#endif

inline std::string_view asText(const std::uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Lines of a whole-line file written out one byte at a time: CR LF, a lone CR and a lone LF
// each end a line; text after the last line end is a line of its own.
inline std::vector<std::string> modelLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string current;
    bool open = false;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            open = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            current += c;
            open = true;
        }
    }
    if (open)
        lines.push_back(current);
    return lines;
}

} // namespace fuzz
