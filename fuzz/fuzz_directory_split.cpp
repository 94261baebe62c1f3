// Directory lines: splitting, counting and joining " _ " separators, and the line splitter
// every whole-line file goes through.
//
// Input: a directory file; each of its lines (the first 64) is also taken as a directory line.

#include "directory_files.h"
#include "fuzz_support.h"

#include <algorithm>

using namespace qm;

namespace {

// Seven underscores, each with a blank on both sides and no two sharing a blank: the shape
// joinDirectoryLine produces from fields without "_". The splitter also takes " _ _ " (an
// empty field written with one blank) and a missing last blank, which joining then writes in
// full, so only this shape can promise the same line back.
bool isWrittenShape(std::string_view line) {
    size_t count = 0;
    size_t previous = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '_')
            continue;
        if (i == 0 || i + 1 >= line.size() || line[i - 1] != ' ' || line[i + 1] != ' ')
            return false;
        if (count > 0 && i - previous < 3)
            return false;
        previous = i;
        ++count;
    }
    return count == kDirectoryFieldCount - 1;
}

void checkDirectoryLine(std::string_view line) {
    const DirectoryFields fields = splitDirectoryLine(line);

    // Fields are pieces of the line in order; only separators are lost.
    size_t from = 0;
    size_t total = 0;
    for (const std::string& f : fields) {
        const size_t at = line.find(f, from);
        FUZZ_CHECK(at != std::string_view::npos, "each field is a piece of the line, in order");
        from = at + f.size();
        total += f.size();
    }
    FUZZ_CHECK(total <= line.size(), "splitting adds nothing");
    FUZZ_CHECK(std::none_of(fields.begin(), fields.end() - 1,
                            [](const std::string& f) { return f.find('_') != std::string::npos; }),
               "only the last field can hold an underscore");

    if (isWrittenShape(line)) {
        FUZZ_CHECK(directorySeparatorCount(line) == kDirectoryFieldCount - 1,
                   "a written line counts seven separators");
        FUZZ_CHECK(joinDirectoryLine(fields) == line, "a written line joins back unchanged");
    }

    // Any eight fields without "_" survive joining and splitting, blanks and empties included.
    DirectoryFields clean = fields;
    for (std::string& f : clean)
        f.erase(std::remove(f.begin(), f.end(), '_'), f.end());
    const std::string joined = joinDirectoryLine(clean);
    FUZZ_CHECK(splitDirectoryLine(joined) == clean, "joined fields split back the same");
    FUZZ_CHECK(directorySeparatorCount(joined) == kDirectoryFieldCount - 1,
               "a joined line counts seven separators");
    FUZZ_CHECK(isWrittenShape(joined), "joining writes the separator shape");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::asText(data, size);

    const std::vector<std::string> lines = splitLines(bytes);
    FUZZ_CHECK(lines == fuzz::modelLines(bytes), "lines end at CR LF, a lone CR or a lone LF");
    std::string rewritten;
    for (const std::string& l : lines) {
        FUZZ_CHECK(l.find_first_of("\r\n") == std::string::npos, "lines hold no line end");
        rewritten += l;
        rewritten += "\r\n";
    }
    FUZZ_CHECK(splitLines(rewritten) == lines, "lines written with CR LF read back the same");

    checkDirectoryLine(bytes);
    for (size_t i = 0; i < lines.size() && i < 64; ++i)
        checkDirectoryLine(lines[i]);
    return 0;
}
