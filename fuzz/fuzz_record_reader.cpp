// Delimited records: the reader never fails unsafely, and what it accepts comes back unchanged
// through the writer.
//
// Input: byte 0 picks the field count (1 + b % 25) and a record limit (b / 25, 0 to 10) for
// the early-stop read; the rest is the file.

#include "directory_files.h"
#include "fuzz_support.h"
#include "record.h"
#include "values.h"

#include <algorithm>
#include <cmath>

using namespace qm;

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Whether raw is one record laid out as the writer lays it out: no blanks around fields,
// nothing after a closing quote or #, a single comma between fields and CR LF at the end.
// Only such records can promise byte-identical rewriting; the reader also takes looser ones.
bool isWriterLayout(std::string_view raw, size_t fieldCount) {
    size_t pos = 0;
    for (size_t f = 0; f < fieldCount; ++f) {
        if (f > 0) {
            if (pos >= raw.size() || raw[pos] != ',')
                return false;
            ++pos;
        }
        if (pos < raw.size() && raw[pos] == '"') {
            const size_t close = raw.find('"', pos + 1);
            if (close == std::string_view::npos)
                return false;
            pos = close + 1;
        } else if (pos < raw.size() && raw[pos] == '#') {
            const size_t close = raw.find_first_of("#,\r\n", pos + 1);
            if (close == std::string_view::npos || raw[close] != '#')
                return false;
            pos = close + 1;
        } else {
            const size_t end = raw.find_first_of(",\r\n", pos);
            if (end == std::string_view::npos)
                return false;
            const std::string_view bare = raw.substr(pos, end - pos);
            if (!bare.empty() && (isBlank(bare.front()) || isBlank(bare.back())))
                return false;
            pos = end;
        }
    }
    return raw.substr(pos) == "\r\n";
}

void checkValues(const FieldView& v) {
    const auto number = v.number();
    const auto date = v.date();
    const auto boolean = v.boolean();
    switch (v.kind) {
    case FieldKind::Number:
        FUZZ_CHECK(number, "a field read as a Number has a numeric value");
        break;
    case FieldKind::Bare:
        FUZZ_CHECK(!number, "a field read as Bare is no number");
        FUZZ_CHECK(v.text.empty() || (!isBlank(v.text.back()) && !isBlank(v.text.front())),
                   "bare content is trimmed");
        break;
    case FieldKind::Date:
        FUZZ_CHECK(date, "a #literal# read as a Date is a date");
        FUZZ_CHECK(!number, "a Date is no number");
        break;
    case FieldKind::Boolean:
        FUZZ_CHECK(v.text == "TRUE" || v.text == "FALSE", "a Boolean holds TRUE or FALSE");
        FUZZ_CHECK(!number && !date, "a Boolean is neither number nor date");
        break;
    case FieldKind::Text:
        break;
    }
    FUZZ_CHECK(boolean.has_value() == (v.kind == FieldKind::Boolean),
               "only Boolean fields have a Boolean value");
    if (boolean)
        FUZZ_CHECK(*boolean == (v.text == "TRUE"), "#TRUE# is true and #FALSE# false");

    if (number) {
        FUZZ_CHECK(std::isfinite(*number), "numbers read are finite");
        const auto back = parseNumber(formatNumber(*number));
        FUZZ_CHECK(back && *back == *number,
                   "a number written as the writer does reads back equal");
    }
    if (const auto amount = v.money()) {
        const auto back = Money::fromStored(amount->toStored());
        FUZZ_CHECK(back && *back == *amount, "an amount written back reads back equal");
        FUZZ_CHECK(parseNumber(amount->toStored()), "an amount written back is a number");
    }
    if (date) {
        FUZZ_CHECK(isValidDate(date->year, date->month, date->day), "dates read are valid days");
        const auto back = parseDateLiteral(formatDateLiteral(*date));
        FUZZ_CHECK(back && *back == *date, "a date written as a literal reads back equal");
        const auto iso = parseDateLiteral(formatIsoDateTime(*date));
        FUZZ_CHECK(iso && *iso == *date, "a date written in the full form reads back equal");
    }
}

// Services.dat and rate files are two-field records: code and fee text.
void checkServices(std::string_view bytes, const Result<RecordTable>& table) {
    auto entries = parseServiceEntries(bytes, "Services.dat");
    FUZZ_CHECK(entries.ok() == table.ok(), "the schedule reads exactly when its records do");
    if (!entries)
        return;
    FUZZ_CHECK(entries->size() == table->size(), "one entry a record");
    for (size_t i = 0; i < entries->size(); ++i) {
        const ServiceEntry& e = (*entries)[i];
        FUZZ_CHECK(e.code == table->field(i, 0).text && e.feeText == table->field(i, 1).text,
                   "entries hold the fields as read");
        FUZZ_CHECK(e.isMunicipal() == e.code.starts_with("M."), "M. codes are municipal");
        const long dollars = e.wholeDollars();
        std::string_view feeText = e.feeText;
        while (!feeText.empty() && isBlank(feeText.front()))
            feeText.remove_prefix(1);
        while (!feeText.empty() && isBlank(feeText.back()))
            feeText.remove_suffix(1);
        const auto fee = parseNumber(feeText);
        if (!fee)
            FUZZ_CHECK(dollars == 0, "a fee that is no number counts as 0");
        // Fees beyond any real one (and beyond a long) count as 0.
        else if (std::fabs(*fee) < 1e12)
            FUZZ_CHECK(std::fabs(static_cast<double>(dollars) - *fee) <= 0.5,
                       "whole dollars are the nearest integer");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t fieldCount = 1 + data[0] % 25;
    const size_t limit = data[0] / 25;
    const std::string_view bytes = fuzz::asText(data + 1, size - 1);

    auto table = readRecords(bytes, fieldCount, "fuzz");
    auto limited = readRecords(bytes, fieldCount, "fuzz", limit);
    if (fieldCount == 2)
        checkServices(bytes, table);
    if (!table) {
        const Error& e = table.error();
        FUZZ_CHECK(e.kind == ErrorKind::BadRecord, "reading errors are BadRecord");
        FUZZ_CHECK(e.record >= 1, "reading errors name a record");
        FUZZ_CHECK(!e.describe().empty(), "errors describe themselves");
        return 0;
    }
    FUZZ_CHECK(table->fieldsPerRecord() == fieldCount, "the table keeps its field count");

    // Stopping early reads the same first records (config.txt is read this way).
    FUZZ_CHECK(limited, "a read that stops early fails only where the whole read fails");
    FUZZ_CHECK(limited->size() == std::min(limit, table->size()), "the limit counts records");
    for (size_t i = 0; i < limited->size(); ++i) {
        FUZZ_CHECK(limited->fields(i) == table->fields(i), "early stop reads the same fields");
        FUZZ_CHECK(limited->rawRecord(i) == table->rawRecord(i), "early stop, same record bytes");
    }

    size_t covered = 0;
    bool everyRecordInWriterLayout = true;
    std::string rewritten;
    for (size_t i = 0; i < table->size(); ++i) {
        const std::vector<Field> fields = table->fields(i);
        FUZZ_CHECK(fields.size() == fieldCount, "every record has the field count");
        for (size_t f = 0; f < fieldCount; ++f) {
            const FieldView v = table->field(i, f);
            FUZZ_CHECK(v.toField() == fields[f], "field() and fields() agree");
            FUZZ_CHECK(v.text.empty() ||
                           (v.text.data() >= bytes.data() &&
                            v.text.data() + v.text.size() <= bytes.data() + bytes.size()),
                       "field content lies inside the buffer");
            checkValues(v);
        }

        // Records follow each other without gaps; each holds its own bytes.
        const std::string_view raw = table->rawRecord(i);
        FUZZ_CHECK(raw.data() == bytes.data() + covered, "records follow each other");
        covered += raw.size();
        auto alone = readRecords(raw, fieldCount, "alone");
        FUZZ_CHECK(alone && alone->size() == 1, "a record's bytes alone read as one record");
        FUZZ_CHECK(alone->fields(0) == fields, "a record's bytes alone read the same fields");

        // Writing the fields and reading them again gives them back, in the writer's bytes.
        std::string encoded;
        appendEncodedRecord(encoded, fields);
        FUZZ_CHECK(encoded == encodeRecord(fields), "both writers agree");
        auto again = readRecords(encoded, fieldCount, "again");
        FUZZ_CHECK(again && again->size() == 1, "a written record reads back as one record");
        FUZZ_CHECK(again->fields(0) == fields, "a written record reads back the same fields");
        FUZZ_CHECK(again->rawRecord(0) == encoded, "a written record spans all its bytes");
        FUZZ_CHECK(encodeRecord(again->fields(0)) == encoded, "writing is a fixed point");

        const bool writerLayout = isWriterLayout(raw, fieldCount);
        if (writerLayout)
            FUZZ_CHECK(encoded == raw,
                       "a record in the writer's layout is rewritten byte for byte");
        everyRecordInWriterLayout = everyRecordInWriterLayout && writerLayout;
        rewritten += encoded;
    }
    const std::string_view rest = bytes.substr(covered);
    FUZZ_CHECK(std::all_of(rest.begin(), rest.end(), isBlank),
               "only blanks follow the last record");

    // The whole file again: the rewritten file reads as the same table.
    auto whole = readRecords(rewritten, fieldCount, "whole");
    FUZZ_CHECK(whole && whole->size() == table->size(), "a rewritten file has the same records");
    for (size_t i = 0; i < table->size(); ++i)
        FUZZ_CHECK(whole->fields(i) == table->fields(i), "a rewritten file has the same fields");
    if (everyRecordInWriterLayout && rest.empty())
        FUZZ_CHECK(rewritten == bytes, "a file in the writer's layout is rewritten byte for byte");
    return 0;
}
