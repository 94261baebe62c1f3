#pragma once
// The delimited-record encoding: quoted text, bare numbers, #date# and #TRUE#/#FALSE# literals,
// fields separated by commas, records ended by CR LF. Quoted text may span lines.

#include "money.h"
#include "result.h"
#include "values.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class FieldKind : std::uint8_t {
    Text,    // "quoted"
    Number,  // 35.5
    Date,    // #2026-12-07# or #2026-12-07 08:30:00#
    Boolean, // #TRUE# / #FALSE#
    Bare,    // unquoted text that is neither a number nor a literal (hand edits)
};

// One field as read or to be written. `text` is the content: for Text the characters between
// the quotes, for Number the digits as written, for Date and Boolean what stands between the
// # signs, for Bare the trimmed characters. Writing a field back gives its bytes unchanged.
struct Field {
    FieldKind kind = FieldKind::Text;
    std::string text;

    static Field ofText(std::string value) { return {FieldKind::Text, std::move(value)}; }
    static Field ofNumber(double value) { return {FieldKind::Number, formatNumber(value)}; }
    static Field ofMoney(Money value) { return {FieldKind::Number, value.toStored()}; }
    static Field ofDate(const DateTime& when) { return {FieldKind::Date, formatDateLiteral(when)}; }
    static Field ofBool(bool value) { return {FieldKind::Boolean, value ? "TRUE" : "FALSE"}; }

    bool operator==(const Field&) const = default;
};

// A field's content seen in place inside a read buffer.
struct FieldView {
    FieldKind kind = FieldKind::Text;
    std::string_view text;

    Field toField() const { return {kind, std::string(text)}; }
    // The value as a number: a Number, or a Text/Bare field whose content is a number.
    std::optional<double> number() const;
    // The value as an amount: a Number, or a Text/Bare field whose content is one.
    std::optional<Money> money() const;
    // The value as a date: a Date, or a Text/Bare field whose content is a date literal.
    std::optional<DateTime> date() const;
    std::optional<bool> boolean() const;
};

// Appends the encoded record (fields, commas, CR LF) to out.
void appendEncodedRecord(std::string& out, std::span<const Field> fields);
std::string encodeRecord(std::span<const Field> fields);

// Fields of records read from one buffer, `fieldsPerRecord` each. The buffer must outlive it.
class RecordTable {
  public:
    size_t size() const { return fieldsPerRecord_ == 0 ? 0 : spans_.size() / fieldsPerRecord_; }
    size_t fieldsPerRecord() const { return fieldsPerRecord_; }
    FieldView field(size_t record, size_t index) const;
    std::vector<Field> fields(size_t record) const;
    // Bytes of the record in the buffer, from its first field to the end of its line.
    std::string_view rawRecord(size_t record) const;

  private:
    friend Result<RecordTable> readRecords(std::string_view, size_t, const std::string&, size_t);
    // Eight bytes a field: the kind rides in the top bits of the length, so that a large
    // archive costs little more than its own bytes.
    struct Span {
        std::uint32_t begin = 0; // first byte of the content
        std::uint32_t lengthAndKind = 0;
    };
    static constexpr unsigned kKindShift = 29;
    static constexpr std::uint32_t kLengthMask = (1u << kKindShift) - 1;
    std::string_view buffer_;
    size_t fieldsPerRecord_ = 0;
    std::vector<Span> spans_;
    std::vector<std::uint32_t> recordBounds_; // begin of record i at i, its end at i + 1
};

// Reads every record of `bytes`, each of exactly `fieldsPerRecord` fields wherever the line ends
// fall. `fileName` names the source in errors. Bytes that end inside a record, an unclosed quote
// or a #literal# that is no date or Boolean are errors naming the record. Reading stops after
// maxRecords records.
Result<RecordTable> readRecords(std::string_view bytes, size_t fieldsPerRecord,
                                const std::string& fileName, size_t maxRecords = SIZE_MAX);

// Classifies unquoted field content: Number when it parses as one, otherwise Bare.
FieldKind classifyBare(std::string_view text);

} // namespace qm
