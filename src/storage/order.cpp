#include "order.h"

#include <climits>
#include <cstdio>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qm {

namespace {

constexpr const char* kFieldNames[kOrderFieldCount] = {
    "EnteredAt",        "FileNumber",  "TitleCompany", "Customer",   "PropertyAddress1",
    "PropertyAddress2", "Town",        "CurrentOwner", "SearchType", "MuniSearch",
    "DueDate",          "Searcher",    "EnteredBy",    "BaseFee",    "MuniFee",
    "NotesLog",         "MessagesLog", "CompletedAt",  "CopyCosts",  "StatementNumber",
    "StatementDate"};

std::vector<Field> emptyFields(OrderFile file) {
    std::vector<Field> fields(orderFieldCount(file), Field::ofText(""));
    fields[static_cast<size_t>(OrderField::BaseFee)] = Field::ofMoney(Money());
    fields[static_cast<size_t>(OrderField::MuniFee)] = Field::ofMoney(Money());
    if (file != OrderFile::Pending)
        fields[static_cast<size_t>(OrderField::CopyCosts)] = Field::ofMoney(Money());
    return fields;
}

std::string twoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Skips one field and its delimiter; returns nullptr when the bytes do not form a field.
// `last` tells that a line end (or the end of the bytes) must follow.
const char* skipField(const char* p, const char* end, bool last) {
    while (p < end && (*p == ' ' || *p == '\t'))
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

} // namespace

const char* orderFieldName(OrderField field) {
    return kFieldNames[static_cast<size_t>(field)];
}

const char* orderFileName(OrderFile file) {
    switch (file) {
    case OrderFile::Pending:
        return "Pending.fil";
    case OrderFile::Completed:
        return "Completed.fil";
    case OrderFile::Archives:
        return "Archives.fil";
    }
    return "";
}

size_t orderFieldCount(OrderFile file) {
    switch (file) {
    case OrderFile::Pending:
        return 17;
    case OrderFile::Completed:
        return 19;
    case OrderFile::Archives:
        return 21;
    }
    return 0;
}

OrderRecord::OrderRecord(OrderFile file) : file_(file), fields_(emptyFields(file)) {}

OrderRecord::OrderRecord(OrderFile file, std::vector<Field> fields)
    : file_(file), fields_(std::move(fields)) {
    fields_.resize(orderFieldCount(file), Field::ofText(""));
}

OrderRecord OrderRecord::movedTo(OrderFile file) const {
    std::vector<Field> fields = emptyFields(file);
    const size_t keep = std::min(fields.size(), fields_.size());
    for (size_t i = 0; i < keep; ++i)
        fields[i] = fields_[i];
    return OrderRecord(file, std::move(fields));
}

std::optional<DateTime> OrderRecord::enteredAt() const {
    const Field& f = field(OrderField::EnteredAt);
    return parseEnteredAt({f.kind, f.text});
}

std::optional<DueDate> OrderRecord::dueDate() const {
    const Field& f = field(OrderField::DueDate);
    return parseDueDate({f.kind, f.text});
}

void OrderRecord::setDueDate(const DueDate& due) {
    set(OrderField::DueDate, encodeDueDate(due));
}

std::string OrderRecord::searcherName() const {
    const std::string& s = text(OrderField::Searcher);
    return s.substr(0, s.find('*'));
}

bool OrderRecord::searcherNotified() const {
    return text(OrderField::Searcher).find('*') != std::string::npos;
}

std::optional<Money> OrderRecord::money(OrderField f) const {
    const Field& v = field(f);
    return FieldView{v.kind, v.text}.money();
}

std::string OrderRecord::encode() const {
    return encodeRecord(fields_);
}

std::optional<DateTime> parseEnteredAt(const FieldView& field) {
    return field.date();
}

std::optional<DueDate> parseDueDate(const FieldView& field) {
    if (field.kind == FieldKind::Date) {
        if (auto d = field.date())
            return DueDate{*d, false};
        return std::nullopt;
    }
    if (field.kind != FieldKind::Text && field.kind != FieldKind::Bare)
        return std::nullopt;
    std::string_view text = field.text;
    const bool marked = text.ends_with('*');
    if (marked)
        text.remove_suffix(1);
    if (auto d = parseShortDate(text))
        return DueDate{*d, marked};
    if (auto d = parseDateLiteral(text); d && !marked)
        return DueDate{*d, false};
    return std::nullopt;
}

Field encodeDueDate(const DueDate& due) {
    if (due.billedInAdvance)
        return Field::ofText(formatShortDate(due.day) + "*");
    return Field::ofDate(due.day.dateOnly());
}

std::vector<FieldProblem> checkOrderFields(const RecordTable& table, size_t record) {
    std::vector<FieldProblem> problems;
    const size_t count = table.fieldsPerRecord();
    auto view = [&](OrderField f) { return table.field(record, static_cast<size_t>(f)); };
    auto problem = [&](OrderField f, const std::string& what) {
        problems.push_back({f, std::string(orderFieldName(f)) + " " + what});
    };
    if (!parseEnteredAt(view(OrderField::EnteredAt)))
        problem(OrderField::EnteredAt, "is not a date and time");
    if (view(OrderField::FileNumber).text.empty())
        problem(OrderField::FileNumber, "is empty");
    if (!parseDueDate(view(OrderField::DueDate)))
        problem(OrderField::DueDate, "is not a due date");
    for (OrderField f : {OrderField::BaseFee, OrderField::MuniFee, OrderField::CopyCosts}) {
        if (static_cast<size_t>(f) >= count)
            continue;
        if (view(f).kind != FieldKind::Number)
            problem(f, "is not a number");
        else if (!view(f).money())
            problem(f, "is too large for an amount");
    }
    if (static_cast<size_t>(OrderField::CompletedAt) < count &&
        !view(OrderField::CompletedAt).date())
        problem(OrderField::CompletedAt, "is not a date and time");
    if (static_cast<size_t>(OrderField::StatementDate) < count &&
        !parseShortDate(view(OrderField::StatementDate).text))
        problem(OrderField::StatementDate, "is not a date mm/dd/yyyy");
    return problems;
}

OrderRecord OrderTable::record(size_t index) const {
    return OrderRecord(file_, table_.fields(index));
}

Result<OrderTable> parseOrderTable(OrderFile file, std::string bytes, const std::string& path) {
    OrderTable out;
    out.file_ = file;
    out.bytes_ = std::move(bytes);
    auto table = readRecords(out.bytes_, orderFieldCount(file), path);
    if (!table)
        return table.error();
    out.table_ = std::move(table).value();
    return out;
}

Result<OrderTable> readOrderFile(const std::string& dataFolder, OrderFile file) {
    const std::string path = dataFolder + orderFileName(file);
    auto bytes = readWholeFile(path);
    if (!bytes)
        return bytes.error();
    auto table = parseOrderTable(file, std::move(bytes).value(), path);
    if (!table)
        return table.error();
    for (size_t i = 0; i < table->size(); ++i) {
        const auto problems = checkOrderFields(table->records(), i);
        if (!problems.empty())
            return Error{ErrorKind::BadRecord, path, static_cast<long>(i + 1),
                         problems.front().message, 0};
    }
    return table;
}

Result<std::vector<OrderRecord>> readOrderRecords(const std::string& dataFolder, OrderFile file) {
    auto table = readOrderFile(dataFolder, file);
    if (!table)
        return table.error();
    std::vector<OrderRecord> out;
    out.reserve(table->size());
    for (size_t i = 0; i < table->size(); ++i)
        out.push_back(table->record(i));
    return out;
}

Status appendOrder(const DataLock& lock, const OrderRecord& order) {
    return appendToFile(lock, lock.dataFolder() + orderFileName(order.file()), order.encode());
}

Status rewriteOrderFile(const DataLock& lock, OrderFile file,
                        const std::vector<OrderRecord>& records) {
    std::string bytes;
    for (const OrderRecord& r : records)
        appendEncodedRecord(bytes, r.fields());
    return rewriteFile(lock, lock.dataFolder() + orderFileName(file), bytes);
}

namespace {

// The scan one field at a time: exact for any bytes, the reference for the fast one below.
Result<std::vector<std::string>> scanFileNumbersExact(std::string_view bytes, OrderFile file,
                                                      const std::string& path) {
    std::vector<std::string> numbers;
    const size_t count = orderFieldCount(file);
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    long record = 0;
    auto fail = [&] {
        return Error{ErrorKind::BadRecord, path, record, "the record does not read", 0};
    };
    while (true) {
        while (p < end && (*p == ' ' || *p == '\t'))
            ++p;
        if (p == end)
            break;
        ++record;
        p = skipField(p, end, false); // EnteredAt
        if (!p)
            return fail();
        while (p < end && (*p == ' ' || *p == '\t'))
            ++p;
        if (p == end)
            return fail();
        if (*p == '"') {
            const void* close = std::memchr(p + 1, '"', static_cast<size_t>(end - p - 1));
            if (!close)
                return fail();
            numbers.emplace_back(p + 1, static_cast<const char*>(close));
        } else if (*p == '#') {
            // A #literal# as the reader takes it: the text up to the closing "#".
            const char* q = p + 1;
            while (q < end && *q != '#' && *q != ',' && !isLineEnd(*q))
                ++q;
            if (q == end || *q != '#')
                return fail();
            numbers.emplace_back(p + 1, q);
        } else {
            const char* q = p;
            while (q < end && *q != ',' && !isLineEnd(*q))
                ++q;
            while (q > p && (q[-1] == ' ' || q[-1] == '\t'))
                --q;
            numbers.emplace_back(p, q);
        }
        for (size_t f = 1; f < count; ++f) {
            p = skipField(p, end, f + 1 == count);
            if (!p)
                return fail();
        }
    }
    return numbers;
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

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

// Walks 64 bytes at a time over masks of quotes, commas and line ends, so that the fields after
// FileNumber are counted, not read. Quotes anywhere but at a field's edges, blanks before a quote,
// a #literal# FileNumber and every kind of broken record are left to the exact scan from the
// record they occur in.
Result<std::vector<std::string>> scanFileNumbers(std::string_view bytes, OrderFile file,
                                                 const std::string& path) {
    const size_t fieldsPerRecord = orderFieldCount(file);
    std::vector<std::string> numbers;
    numbers.reserve(bytes.size() / 256 + 16);
    const char* const data = bytes.data();
    const size_t n = bytes.size();
    size_t field = 0;       // the field being read, within its record
    size_t fieldStart = 0;  // its first byte
    size_t recordStart = 0; // the first byte of its record
    long records = 0;
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
                    numbers.emplace_back(data + s + 1, static_cast<const char*>(close));
                } else {
                    size_t e = end;
                    while (e > s && isBlank(data[e - 1]))
                        --e;
                    numbers.emplace_back(data + s, data + e);
                }
            }
            if (field + 1 < fieldsPerRecord) {
                ++field;
            } else if (data[pos] == ',') {
                exact = true; // a field too many: the exact scan names the record
                break;
            } else {
                ++records;
                field = 0;
                recordStart = pos + 1;
            }
            fieldStart = pos + 1;
        }
    }
    if (!exact && field == 0) {
        for (size_t i = recordStart; i < n && !exact; ++i)
            exact = !isBlank(data[i]);
    }
    if (!exact && !insideCarry && field == 0)
        return numbers;
    numbers.resize(static_cast<size_t>(records));
    auto rest = scanFileNumbersExact(bytes.substr(recordStart), file, path);
    if (!rest) {
        Error error = rest.error();
        error.record += records;
        return error;
    }
    numbers.insert(numbers.end(), std::make_move_iterator(rest->begin()),
                   std::make_move_iterator(rest->end()));
    return numbers;
}

Status visitFileNumbers(const std::string& dataFolder, const FileNumberVisitor& visit) {
    for (OrderFile file : kAllOrderFiles) {
        const std::string path = dataFolder + orderFileName(file);
        auto mapped = MappedFile::open(path);
        if (!mapped) {
            if (mapped.error().kind == ErrorKind::FileNotFound)
                continue;
            return mapped.error();
        }
        auto numbers = scanFileNumbers(mapped->bytes(), file, path);
        if (!numbers)
            return numbers.error();
        for (size_t i = 0; i < numbers->size(); ++i)
            if (!visit(file, mapped->bytes(), path, i, (*numbers)[i]))
                return okStatus();
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

long generatedNumberOf(std::string_view fileNumber) {
    // Every digit after "QM" counts, so QM100000 is not read as 0 and duplicated forever.
    if (fileNumber.starts_with("QM"))
        fileNumber.remove_prefix(2);
    long value = 0;
    for (char c : fileNumber) {
        if (c < '0' || c > '9' || value > (LONG_MAX - 9) / 10)
            break;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string nextGeneratedFileNumber(const std::vector<std::string>& fileNumbers) {
    long highest = 0;
    for (const std::string& n : fileNumbers) {
        if (n.starts_with("QM"))
            highest = std::max(highest, generatedNumberOf(n));
    }
    return generatedFileNumberAfter(highest);
}

std::string generatedFileNumberAfter(long highest) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "QM%05ld", highest + 1);
    return buf;
}

std::string formatLogEntry(const DateTime& when, std::string_view text, std::string_view initials) {
    std::string out = "\r\n";
    out += twoDigits(when.month) + "/" + twoDigits(when.day) + " " + twoDigits(when.hour) + ":" +
           twoDigits(when.minute) + "  ";
    out += text;
    out += " [";
    out += initials;
    out += "]";
    return out;
}

std::string userInitials(std::string_view logOnName) {
    std::string out;
    if (logOnName.empty())
        return out;
    out += logOnName[0];
    for (size_t i = 1; i < logOnName.size(); ++i) {
        if (logOnName[i - 1] == ' ')
            out += logOnName[i];
    }
    return out;
}

std::string enteredByName(std::string_view logOnName) {
    return std::string(logOnName.substr(0, 24));
}

} // namespace qm
