#include "file_number_scan.h"

#include "data_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qm {

namespace {

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Skips one field and its delimiter; returns nullptr when the bytes do not form a field.
// `last` tells that a line end (or the end of the bytes) must follow.
const char* skipField(const char* p, const char* end, bool last) {
    while (p < end && isBlank(*p))
        ++p;
    if (p == end)
        return nullptr;
    if (*p == '"') {
        const void* close = std::memchr(p + 1, '"', static_cast<size_t>(end - p - 1));
        if (!close)
            return nullptr;
        p = static_cast<const char*>(close) + 1;
    }
    while (p < end && *p != ',' && !isLineEnd(*p))
        ++p;
    if (p == end)
        return last ? p : nullptr;
    if (*p == ',')
        return last ? nullptr : p + 1;
    if (*p == '\r' && p + 1 < end && p[1] == '\n')
        ++p;
    return p + 1;
}

// What a scan of some bytes found: the FileNumber and first byte of each whole record, and the
// end of the last of them.
struct ScanResult {
    std::vector<std::string> numbers;
    std::vector<std::uint64_t> starts;
    size_t end = 0;
};

// The scan one field at a time: exact for any bytes, the reference for the fast one below.
// Unless `atEnd`, a record that does not read may only be cut off by the end of the bytes, and
// the scan stops before it.
Status scanExact(std::string_view bytes, size_t from, OrderFile file, const std::string& path,
                 bool atEnd, long recordsBefore, ScanResult& out) {
    const size_t count = orderFieldCount(file);
    const char* const begin = bytes.data();
    const char* p = begin + from;
    const char* const end = begin + bytes.size();
    long record = recordsBefore;
    const char* recordStart = p;
    auto fail = [&]() -> Status {
        if (!atEnd)
            return okStatus();
        return Error{ErrorKind::BadRecord, path, record, "the record does not read", 0};
    };
    while (true) {
        recordStart = p;
        while (p < end && isBlank(*p))
            ++p;
        if (p == end)
            break;
        ++record;
        p = skipField(p, end, false); // EnteredAt
        if (!p)
            return fail();
        while (p < end && isBlank(*p))
            ++p;
        if (p == end)
            return fail();
        std::string number;
        if (*p == '"') {
            const void* close = std::memchr(p + 1, '"', static_cast<size_t>(end - p - 1));
            if (!close)
                return fail();
            number.assign(p + 1, static_cast<const char*>(close));
        } else if (*p == '#') {
            // A #literal# as the reader takes it: the text up to the closing "#".
            const char* q = p + 1;
            while (q < end && *q != '#' && *q != ',' && !isLineEnd(*q))
                ++q;
            if (q == end || *q != '#')
                return fail();
            number.assign(p + 1, q);
        } else {
            const char* q = p;
            while (q < end && *q != ',' && !isLineEnd(*q))
                ++q;
            while (q > p && isBlank(q[-1]))
                --q;
            number.assign(p, q);
        }
        for (size_t f = 1; f < count; ++f) {
            p = skipField(p, end, f + 1 == count);
            if (!p)
                return fail();
        }
        out.numbers.push_back(std::move(number));
        out.starts.push_back(static_cast<std::uint64_t>(recordStart - begin));
        out.end = static_cast<size_t>(p - begin);
    }
    return okStatus();
}

// Bit i tells that byte i of the 64 at p equals c.
std::uint64_t byteMask(const char* p, char c) {
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    std::uint64_t mask = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const auto bits = static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, wanted)));
        mask |= static_cast<std::uint64_t>(bits) << (16 * i);
    }
    return mask;
#else
    std::uint64_t mask = 0;
    for (int i = 0; i < 64; ++i)
        mask |= static_cast<std::uint64_t>(p[i] == c) << i;
    return mask;
#endif
}

// Bit i is the parity of the set bits 0..i: inside quotes from an opening quote on.
std::uint64_t prefixXor(std::uint64_t x) {
    for (int shift = 1; shift < 64; shift *= 2)
        x ^= x << shift;
    return x;
}

// Walks 64 bytes at a time over masks of quotes, commas and line ends, so that the fields after
// FileNumber are counted, not read. Quotes anywhere but at a field's edges, blanks before a quote,
// a #literal# FileNumber and every kind of broken record are left to the exact scan from the
// record they occur in. Unless `atEnd`, the bytes must end with a LF, and a record they cut off
// is left for the next piece.
Status scanFast(std::string_view bytes, OrderFile file, const std::string& path, bool atEnd,
                long recordsBefore, ScanResult& out) {
    const size_t fieldsPerRecord = orderFieldCount(file);
    out.numbers.reserve(bytes.size() / 256 + 16);
    out.starts.reserve(bytes.size() / 256 + 16);
    const char* const data = bytes.data();
    const size_t n = bytes.size();
    size_t field = 0;       // the field being read, within its record
    size_t fieldStart = 0;  // its first byte
    size_t recordStart = 0; // the first byte of its record
    size_t records = 0;
    std::uint64_t insideCarry = 0; // all ones while a quote runs on from the block before
    bool afterDelimiter = true;    // the byte before the block ends a field, or there is none
    bool exact = false;
    char tail[64];
    for (size_t b = 0; b < n && !exact; b += 64) {
        const char* p = data + b;
        const size_t have = std::min<size_t>(64, n - b);
        if (have < 64) {
            std::memset(tail, 0, sizeof tail);
            std::memcpy(tail, p, have);
            p = tail;
        }
        const std::uint64_t quote = byteMask(p, '"');
        const std::uint64_t comma = byteMask(p, ',');
        const std::uint64_t cr = byteMask(p, '\r');
        const std::uint64_t lf = byteMask(p, '\n');
        const std::uint64_t inside = prefixXor(quote) ^ insideCarry;
        insideCarry = (inside >> 63) ? ~std::uint64_t{0} : 0;
        const char next = b + 64 < n ? data[b + 64] : '\0';
        const bool nextEnds = b + 64 >= n || next == ',' || next == '\r' || next == '\n';
        const std::uint64_t lfNext = (lf >> 1) | (static_cast<std::uint64_t>(next == '\n') << 63);
        const std::uint64_t ends = comma | cr | lf;
        const std::uint64_t pastEnd = have < 64 ? ~std::uint64_t{0} << (have - 1) : 0;
        const std::uint64_t before = (ends << 1) | static_cast<std::uint64_t>(afterDelimiter);
        const std::uint64_t after =
            (ends >> 1) | (static_cast<std::uint64_t>(nextEnds) << 63) | pastEnd;
        if (((quote & inside) & ~before) | ((quote & ~inside) & ~after)) {
            exact = true;
            break;
        }
        afterDelimiter = (ends >> 63) != 0;
        // A CR LF ends a field once, at its LF.
        std::uint64_t delimiters = (comma | lf | (cr & ~lfNext)) & ~inside;
        while (delimiters) {
            if (field >= 2 && field + 1 < fieldsPerRecord) {
                // Fields after FileNumber but the last: count them.
                const size_t wanted = fieldsPerRecord - 1 - field;
                const auto count = static_cast<size_t>(__builtin_popcountll(delimiters));
                if (count <= wanted) {
                    field += count;
                    break;
                }
                for (size_t k = 0; k < wanted; ++k)
                    delimiters &= delimiters - 1;
                field += wanted;
            }
            const size_t pos = b + static_cast<size_t>(__builtin_ctzll(delimiters));
            delimiters &= delimiters - 1;
            if (field == 1) {
                // A CR LF ends the field at its CR.
                const size_t end =
                    data[pos] == '\n' && pos > fieldStart && data[pos - 1] == '\r' ? pos - 1 : pos;
                size_t s = fieldStart;
                while (s < end && isBlank(data[s]))
                    ++s;
                if (s < end && data[s] == '#') {
                    exact = true; // a #literal# number: as the exact scan takes it
                    break;
                }
                if (s < end && data[s] == '"') {
                    const void* close = std::memchr(data + s + 1, '"', end - s - 1);
                    out.numbers.emplace_back(data + s + 1, static_cast<const char*>(close));
                } else {
                    size_t e = end;
                    while (e > s && isBlank(data[e - 1]))
                        --e;
                    out.numbers.emplace_back(data + s, data + e);
                }
            }
            if (field + 1 < fieldsPerRecord) {
                ++field;
            } else if (data[pos] == ',') {
                exact = true; // a field too many: the exact scan names the record
                break;
            } else {
                ++records;
                out.starts.push_back(recordStart);
                field = 0;
                recordStart = pos + 1;
            }
            fieldStart = pos + 1;
        }
    }
    out.numbers.resize(records); // a record begun but not ended
    out.end = recordStart;
    if (!exact && field == 0) {
        for (size_t i = recordStart; i < n && !exact; ++i)
            exact = !isBlank(data[i]);
    }
    if (!exact && !insideCarry && field == 0)
        return okStatus();
    return scanExact(bytes, recordStart, file, path, atEnd,
                     recordsBefore + static_cast<long>(records), out);
}

} // namespace

Result<std::vector<std::string>> scanFileNumbers(std::string_view bytes, OrderFile file,
                                                 const std::string& path) {
    ScanResult result;
    if (Status scanned = scanFast(bytes, file, path, true, 0, result); !scanned)
        return scanned.error();
    return std::move(result.numbers);
}

Status scanOrderFileInPieces(const std::string& path, OrderFile file,
                             const std::function<bool(const ScannedPiece&)>& visit) {
    auto fd = openPlainFile(path, O_RDONLY, 0, "cannot open the file");
    if (!fd)
        return fd.error();
    // Small enough to stay in the cache between the read and the scan.
    size_t capacity = size_t{1} << 20;
    std::vector<char> buffer(capacity);
    size_t have = 0;
    std::uint64_t offset = 0;
    size_t records = 0;
    bool atEnd = false;
    while (true) {
        while (!atEnd && have < capacity) {
            const ssize_t n = ::read(fd->get(), buffer.data() + have, capacity - have);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return systemError(path, errno, "cannot read the file");
            if (n == 0)
                atEnd = true;
            have += static_cast<size_t>(n);
        }
        size_t scanned = have;
        if (!atEnd) {
            const void* lastLf = ::memrchr(buffer.data(), '\n', have);
            scanned =
                lastLf ? static_cast<size_t>(static_cast<const char*>(lastLf) - buffer.data()) + 1
                       : 0;
        }
        ScanResult result;
        const std::string_view bytes(buffer.data(), scanned);
        if (Status s = scanFast(bytes, file, path, atEnd, static_cast<long>(records), result); !s)
            return s;
        if (!result.numbers.empty()) {
            const ScannedPiece piece{bytes.substr(0, result.end), offset, records, &result.numbers,
                                     &result.starts};
            if (!visit(piece))
                return okStatus();
        }
        if (atEnd)
            return okStatus();
        records += result.numbers.size();
        std::memmove(buffer.data(), buffer.data() + result.end, have - result.end);
        have -= result.end;
        offset += result.end;
        // A record longer than half the buffer: read more of it at once, so that it is not
        // scanned again for every few bytes added.
        if (have * 2 > capacity) {
            capacity *= 2;
            buffer.resize(capacity);
        }
    }
}

Status visitFileNumbers(const std::string& dataFolder, const FileNumberVisitor& visit) {
    for (OrderFile file : kAllOrderFiles) {
        const std::string path = dataFolder + orderFileName(file);
        bool stopped = false;
        Status scanned = scanOrderFileInPieces(path, file, [&](const ScannedPiece& piece) {
            for (size_t i = 0; i < piece.numbers->size(); ++i) {
                if (!visit(file, piece.bytes, path, i, (*piece.numbers)[i])) {
                    stopped = true;
                    return false;
                }
            }
            return true;
        });
        if (!scanned && scanned.error().kind != ErrorKind::FileNotFound)
            return scanned.error();
        if (stopped)
            break;
    }
    return okStatus();
}

Result<std::vector<std::string>> allFileNumbers(const std::string& dataFolder) {
    std::vector<std::string> all;
    Status visited =
        visitFileNumbers(dataFolder, [&](OrderFile, std::string_view, const std::string&, size_t,
                                         const std::string& number) {
            all.push_back(number);
            return true;
        });
    if (!visited)
        return visited.error();
    return all;
}

} // namespace qm
