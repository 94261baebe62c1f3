#include "data_check_scan.h"

#include "values.h"

namespace qm {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

std::string ofFields(size_t f, size_t count) {
    return "field " + std::to_string(f + 1) + " of " + std::to_string(count);
}

// A record that reads, with its problems, or why it does not read.
struct Attempt {
    size_t end = 0;
    std::string fault;
    std::vector<std::string> problems;
};

Attempt attemptRecord(std::string_view bytes, size_t at, size_t count,
                      const RecordValidator& validate) {
    const StrictRead read = readStrictRecord(bytes, at, count);
    if (!read.ok())
        return {0, read.fault, {}};
    auto table = readRecords(bytes.substr(at, read.end - at), count, std::string());
    if (!table)
        return {0, table.error().message, {}};
    return {read.end, {}, validate(*table)};
}

size_t resumeAfter(std::string_view bytes, size_t from, size_t count,
                   const RecordValidator& validate) {
    for (size_t c = from + 1; c < bytes.size(); ++c) {
        const char previous = bytes[c - 1];
        const bool lineStart = previous == '\n' || (previous == '\r' && bytes[c] != '\n');
        if (!lineStart && bytes[c] != '#' && bytes[c] != '"')
            continue;
        // At a line start a record that reads is taken even with faulty fields, so that one
        // torn record in a file of hand-edited ones does not take all that follow with it;
        // inside a line it must be sound in every field too.
        const Attempt attempt = attemptRecord(bytes, c, count, validate);
        if (attempt.fault.empty() && (lineStart || attempt.problems.empty()))
            return c;
    }
    return bytes.size();
}

// Length of the valid multi-byte UTF-8 sequence at i, or 0.
size_t utf8SequenceLength(std::string_view bytes, size_t i) {
    auto at = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = at(i);
    unsigned char low = 0x80, high = 0xBF; // allowed second byte: no overlong forms, no surrogates
    size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (i + length > bytes.size() || at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (size_t k = 2; k < length; ++k)
        if ((at(i + k) & 0xC0) != 0x80)
            return 0;
    return length;
}

// How often one kind of fault occurs and where it first does.
struct Tally {
    size_t count = 0;
    long firstLine = 0;
    void see(LineCounter& lines, size_t offset) {
        if (count++ == 0)
            firstLine = lines.lineAt(offset);
    }
};

// "a NUL byte" once, "3 NUL bytes from this line on" when more.
std::string times(const Tally& tally, const std::string& one, const std::string& many) {
    if (tally.count == 1)
        return one;
    return std::to_string(tally.count) + " " + many + " from this line on";
}

} // namespace

long LineCounter::lineAt(size_t offset) {
    for (; pos_ < offset && pos_ < bytes_.size(); ++pos_) {
        const char c = bytes_[pos_];
        if (c == '\n' || (c == '\r' && (pos_ + 1 >= bytes_.size() || bytes_[pos_ + 1] != '\n')))
            ++line_;
    }
    return line_;
}

StrictRead readStrictRecord(std::string_view bytes, size_t pos, size_t count) {
    const size_t n = bytes.size();
    auto fail = [](std::string what) { return StrictRead{0, std::move(what)}; };
    for (size_t f = 0; f < count; ++f) {
        while (pos < n && isBlank(bytes[pos]))
            ++pos;
        if (pos >= n)
            return fail("the file ends before " + ofFields(f, count));
        const char first = bytes[pos];
        if (first == '"') {
            const size_t close = bytes.find('"', pos + 1);
            if (close == std::string_view::npos)
                return fail("the quoted text of " + ofFields(f, count) + " is not closed");
            pos = close + 1;
        } else if (first == '#') {
            size_t end = pos + 1;
            while (end < n && bytes[end] != '#' && bytes[end] != ',' && !isLineEnd(bytes[end]))
                ++end;
            if (end >= n || bytes[end] != '#')
                return fail("the #literal# of " + ofFields(f, count) + " is not closed");
            const std::string_view content = bytes.substr(pos + 1, end - pos - 1);
            if (content != "TRUE" && content != "FALSE" && !parseDateLiteral(content))
                return fail(ofFields(f, count) + " #" + std::string(content) + "# is not a date");
            pos = end + 1;
        } else {
            for (; pos < n && bytes[pos] != ',' && !isLineEnd(bytes[pos]); ++pos)
                if (bytes[pos] == '"' || bytes[pos] == '#')
                    return fail("unquoted " + ofFields(f, count) + " holds a " +
                                (bytes[pos] == '"' ? "quote" : "#"));
        }
        const bool last = f + 1 == count;
        if (pos >= n)
            return fail(last ? "the record has no line end: the file ends after its last field"
                             : "the file ends after " + ofFields(f, count));
        const char delimiter = bytes[pos];
        if (delimiter == ',') {
            if (last)
                return fail("the record has more than " + std::to_string(count) + " fields");
            ++pos;
            continue;
        }
        if (!isLineEnd(delimiter))
            return fail(ofFields(f, count) + " has text after its closing " +
                        (first == '"' ? "quote" : "#"));
        if (!last)
            return fail("the line ends after " + ofFields(f, count));
        if (delimiter == '\r' && pos + 1 >= n)
            return fail("the record's CR LF is cut off after the CR");
        pos += delimiter == '\r' && bytes[pos + 1] == '\n' ? 2 : 1;
    }
    return {pos, {}};
}

RecordScan scanRecords(std::string_view bytes, size_t fieldsPerRecord,
                       const RecordValidator& validate) {
    RecordScan scan;
    LineCounter lines(bytes);
    const size_t n = bytes.size();
    size_t pos = 0;
    long record = 0;
    while (pos < n) {
        ++record;
        if (bytes.find_first_not_of(" \t", pos) == std::string_view::npos) {
            scan.unreadable.push_back(
                {pos, n, record, lines.lineAt(pos), 0, "blanks follow the last record"});
            break;
        }
        Attempt attempt = attemptRecord(bytes, pos, fieldsPerRecord, validate);
        if (attempt.fault.empty()) {
            scan.records.push_back(
                {pos, attempt.end, record, lines.lineAt(pos), std::move(attempt.problems)});
            pos = attempt.end;
            continue;
        }
        const size_t resume = resumeAfter(bytes, pos, fieldsPerRecord, validate);
        UnreadableStretch stretch{pos, resume, record, lines.lineAt(pos), 0, attempt.fault};
        if (resume < n)
            stretch.resumeLine = lines.lineAt(resume);
        scan.unreadable.push_back(std::move(stretch));
        pos = resume;
    }
    return scan;
}

std::string unreadableBytes(std::string_view bytes, const RecordScan& scan) {
    std::string out;
    for (const UnreadableStretch& s : scan.unreadable)
        out.append(bytes.substr(s.begin, s.end - s.begin));
    return out;
}

std::string readableBytes(std::string_view bytes, const RecordScan& scan) {
    std::string out;
    out.reserve(bytes.size());
    size_t pos = 0;
    for (const UnreadableStretch& s : scan.unreadable) {
        out.append(bytes.substr(pos, s.begin - pos));
        pos = s.end;
    }
    out.append(bytes.substr(pos));
    return out;
}

std::vector<ByteProblem> checkTextBytes(std::string_view bytes) {
    LineCounter lines(bytes);
    Tally nul, bareLf, loneCr, utf8;
    std::string firstUtf8;
    const size_t n = bytes.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c == '\0') {
            nul.see(lines, i);
        } else if (c == '\n') {
            if (i == 0 || bytes[i - 1] != '\r')
                bareLf.see(lines, i);
        } else if (c == '\r') {
            if (i + 1 < n && bytes[i + 1] != '\n')
                loneCr.see(lines, i);
        } else if (const size_t length =
                       static_cast<unsigned char>(c) >= 0xC2 ? utf8SequenceLength(bytes, i) : 0;
                   length > 0) {
            if (utf8.count == 0)
                firstUtf8 = bytes.substr(i, length);
            utf8.see(lines, i);
            i += length - 1;
        }
    }
    std::vector<ByteProblem> out;
    if (nul.count)
        out.push_back({nul.firstLine, times(nul, "a NUL byte", "NUL bytes")});
    if (bareLf.count)
        out.push_back({bareLf.firstLine, times(bareLf, "a line ends with LF alone instead of CR LF",
                                               "line ends are LF alone instead of CR LF")});
    if (loneCr.count)
        out.push_back({loneCr.firstLine, times(loneCr, "a line ends with CR alone instead of CR LF",
                                               "line ends are CR alone instead of CR LF")});
    if (utf8.count)
        out.push_back(
            {utf8.firstLine,
             times(utf8, "a character is written in UTF-8", "characters are written in UTF-8") +
                 " (\"" + firstUtf8 + (utf8.count == 1 ? "\")" : "\" first)") +
                 " where the files hold Windows-1252"});
    return out;
}

} // namespace qm
