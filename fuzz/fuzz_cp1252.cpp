// Windows-1252 and UTF-8: file bytes shown on screen and typed text written back to a file.
//
// Input: taken both as file bytes and as typed text.

#include "cp1252.h"
#include "fuzz_support.h"

using namespace qm;

namespace {

std::uint8_t byteAt(std::string_view s, size_t i) {
    return i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0;
}

bool isUnassigned(std::uint8_t b) {
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

// Strict UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool isWellFormedUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const std::uint8_t b = byteAt(s, i);
        size_t len = 0;
        char32_t c = 0, least = 0;
        if (b < 0x80)
            len = 1, c = b;
        else if ((b & 0xE0) == 0xC0)
            len = 2, c = b & 0x1F, least = 0x80;
        else if ((b & 0xF0) == 0xE0)
            len = 3, c = b & 0x0F, least = 0x800;
        else if ((b & 0xF8) == 0xF0)
            len = 4, c = b & 0x07, least = 0x10000;
        else
            return false;
        if (i + len > s.size())
            return false;
        for (size_t k = 1; k < len; ++k) {
            const std::uint8_t cont = byteAt(s, i + k);
            if ((cont & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (cont & 0x3F);
        }
        if (c < least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            return false;
        i += len;
    }
    return true;
}

// Reported: overlong forms (C0, C1, E0 80-9F, F0 80-8F leads) are decoded as if shortest.
bool hasOverlongLead(std::string_view s) {
    for (size_t i = 0; i < s.size(); ++i) {
        const std::uint8_t b = byteAt(s, i), next = byteAt(s, i + 1);
        if (b == 0xC0 || b == 0xC1 || (b == 0xE0 && (next & 0xE0) == 0x80) ||
            (b == 0xF0 && (next & 0xF0) == 0x80))
            return true;
    }
    return false;
}

std::string asciiOf(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (static_cast<std::uint8_t>(c) < 0x80 && c != '?')
            out += c;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::asText(data, size);

    // File bytes to the screen and back: only the five unassigned bytes change, to "?".
    const std::string shown = cp1252ToUtf8(bytes);
    FUZZ_CHECK(isWellFormedUtf8(shown), "file bytes are shown as well-formed UTF-8");
    std::string expected(bytes);
    for (char& c : expected) {
        if (isUnassigned(static_cast<std::uint8_t>(c)))
            c = '?';
    }
    FUZZ_CHECK(utf8ToCp1252(shown) == expected, "file bytes survive the screen");

    // Typed text to the file: one byte a character, and a byte below 0x80 (a quote, a line
    // end, an underscore) only where the text has that very character.
    const std::string written = utf8ToCp1252(bytes);
    FUZZ_CHECK(written.size() <= bytes.size(), "no character gives more than one byte");
    if (!(fuzz::kSkipReported && hasOverlongLead(bytes)))
        FUZZ_CHECK(asciiOf(written) == asciiOf(bytes),
                   "ASCII is written only where the text holds it");
    if (isWellFormedUtf8(bytes)) {
        const std::string back = cp1252ToUtf8(written);
        FUZZ_CHECK(isWellFormedUtf8(back), "written text is shown as well-formed UTF-8");
        FUZZ_CHECK(utf8ToCp1252(back) == written, "written text survives the screen");
    }
    return 0;
}
