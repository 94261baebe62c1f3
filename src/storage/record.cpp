#include "record.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace qm {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

void appendField(std::string& out, const Field& f) {
    switch (f.kind) {
    case FieldKind::Text:
        // A quote inside would end the field early and shift every field after it.
        out += '"';
        for (char c : f.text)
            out += c == '"' ? '\'' : c;
        out += '"';
        break;
    case FieldKind::Date:
    case FieldKind::Boolean:
        out += '#';
        out += f.text;
        out += '#';
        break;
    case FieldKind::Number:
    case FieldKind::Bare:
        out += f.text;
        break;
    }
}

} // namespace

std::optional<double> FieldView::number() const {
    if (kind == FieldKind::Date || kind == FieldKind::Boolean)
        return std::nullopt;
    return parseNumber(text);
}

std::optional<Money> FieldView::money() const {
    if (kind == FieldKind::Date || kind == FieldKind::Boolean)
        return std::nullopt;
    return Money::fromStored(text);
}

std::optional<DateTime> FieldView::date() const {
    if (kind == FieldKind::Number || kind == FieldKind::Boolean)
        return std::nullopt;
    return parseDateLiteral(text);
}

std::optional<bool> FieldView::boolean() const {
    if (kind != FieldKind::Boolean)
        return std::nullopt;
    return text == "TRUE";
}

void appendEncodedRecord(std::string& out, std::span<const Field> fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        appendField(out, fields[i]);
    }
    out += "\r\n";
}

std::string encodeRecord(std::span<const Field> fields) {
    std::string out;
    appendEncodedRecord(out, fields);
    return out;
}

FieldKind classifyBare(std::string_view text) {
    return parseNumber(text) ? FieldKind::Number : FieldKind::Bare;
}

FieldView RecordTable::field(size_t record, size_t index) const {
    const Span& s = spans_[record * fieldsPerRecord_ + index];
    return {static_cast<FieldKind>(s.lengthAndKind >> kKindShift),
            buffer_.substr(s.begin, s.lengthAndKind & kLengthMask)};
}

std::vector<Field> RecordTable::fields(size_t record) const {
    std::vector<Field> out;
    out.reserve(fieldsPerRecord_);
    for (size_t i = 0; i < fieldsPerRecord_; ++i)
        out.push_back(field(record, i).toField());
    return out;
}

std::string_view RecordTable::rawRecord(size_t record) const {
    const size_t begin = recordBounds_[record];
    return buffer_.substr(begin, recordBounds_[record + 1] - begin);
}

Result<RecordTable> readRecords(std::string_view bytes, size_t fieldsPerRecord,
                                const std::string& fileName, size_t maxRecords) {
    RecordTable table;
    table.buffer_ = bytes;
    table.fieldsPerRecord_ = fieldsPerRecord;
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max() || fieldsPerRecord == 0)
        return Error{ErrorKind::BadRecord, fileName, 0, "the file is too large to read", 0};

    const char* const data = bytes.data();
    const size_t n = bytes.size();
    size_t pos = 0;
    long record = 0;
    auto fail = [&](const std::string& what) {
        return Error{ErrorKind::BadRecord, fileName, record, what, 0};
    };
    auto addSpan = [&](size_t begin, size_t length, FieldKind kind) {
        table.spans_.push_back({static_cast<std::uint32_t>(begin),
                                static_cast<std::uint32_t>(length) |
                                    (static_cast<std::uint32_t>(kind) << RecordTable::kKindShift)});
    };
    // After a quoted or #literal# field: anything up to the next comma or line end is dropped.
    auto skipToDelimiter = [&] {
        while (pos < n && data[pos] != ',' && !isLineEnd(data[pos]))
            ++pos;
    };

    constexpr long kSampleRecords = 256;
    table.recordBounds_.push_back(0);
    while (pos < n && static_cast<size_t>(record) < maxRecords) {
        size_t ahead = pos;
        while (ahead < n && isBlank(data[ahead]))
            ++ahead;
        if (ahead >= n)
            break; // blanks after the last record
        ++record;
        for (size_t f = 0; f < fieldsPerRecord; ++f) {
            while (pos < n && isBlank(data[pos]))
                ++pos;
            if (pos >= n) {
                return fail("the file ends inside the record (field " + std::to_string(f + 1) +
                            " of " + std::to_string(fieldsPerRecord) + " missing)");
            }
            const char c = data[pos];
            if (c == '"') {
                const void* close = std::memchr(data + pos + 1, '"', n - pos - 1);
                if (!close)
                    return fail("quoted text of field " + std::to_string(f + 1) + " is not closed");
                const size_t end = static_cast<size_t>(static_cast<const char*>(close) - data);
                if (end - pos - 1 > RecordTable::kLengthMask)
                    return fail("field " + std::to_string(f + 1) + " is too long");
                addSpan(pos + 1, end - pos - 1, FieldKind::Text);
                pos = end + 1;
                skipToDelimiter();
            } else if (c == '#') {
                size_t end = pos + 1;
                while (end < n && data[end] != '#' && data[end] != ',' && !isLineEnd(data[end]))
                    ++end;
                if (end >= n || data[end] != '#')
                    return fail("the #literal# of field " + std::to_string(f + 1) +
                                " is not closed");
                const std::string_view content(data + pos + 1, end - pos - 1);
                FieldKind kind = FieldKind::Date;
                if (content == "TRUE" || content == "FALSE")
                    kind = FieldKind::Boolean;
                else if (!parseDateLiteral(content))
                    return fail("field " + std::to_string(f + 1) + " #" + std::string(content) +
                                "# is not a date");
                addSpan(pos + 1, end - pos - 1, kind);
                pos = end + 1;
                skipToDelimiter();
            } else {
                const size_t begin = pos;
                while (pos < n && data[pos] != ',' && !isLineEnd(data[pos]))
                    ++pos;
                const std::string_view content = trimRight(bytes.substr(begin, pos - begin));
                if (content.size() > RecordTable::kLengthMask)
                    return fail("field " + std::to_string(f + 1) + " is too long");
                addSpan(begin, content.size(), classifyBare(content));
            }
            // The delimiter: a comma between fields, a line end after the last one.
            const bool last = f + 1 == fieldsPerRecord;
            if (pos >= n) {
                if (!last)
                    return fail("the file ends inside the record (field " + std::to_string(f + 2) +
                                " of " + std::to_string(fieldsPerRecord) + " missing)");
            } else if (data[pos] == ',') {
                if (last)
                    return fail("the record has more than " + std::to_string(fieldsPerRecord) +
                                " fields");
                ++pos;
            } else {
                if (data[pos] == '\r' && pos + 1 < n && data[pos + 1] == '\n')
                    ++pos;
                ++pos;
            }
        }
        table.recordBounds_.push_back(static_cast<std::uint32_t>(pos));
        if (record == kSampleRecords && pos < n) {
            // Size the tables from the first records: growing copies them, and the old and the
            // new table are both held meanwhile. Capped at about two bytes per byte of file in
            // case the first records are unusually short; room not used is never touched.
            const size_t estimate = n / pos * static_cast<size_t>(record) * 9 / 8;
            const size_t expected = std::min(estimate, n / (4 * fieldsPerRecord)) + kSampleRecords;
            table.spans_.reserve(expected * fieldsPerRecord);
            table.recordBounds_.reserve(expected + 1);
        }
    }
    return table;
}

} // namespace qm
