#pragma once
// The order record and the three order files that hold it.

#include "files.h"
#include "record.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class OrderField : int {
    EnteredAt,
    FileNumber,
    TitleCompany,
    Customer,
    PropertyAddress1,
    PropertyAddress2,
    Town,
    CurrentOwner,
    SearchType,
    MuniSearch,
    DueDate,
    Searcher,
    EnteredBy,
    BaseFee,
    MuniFee,
    NotesLog,
    MessagesLog,
    CompletedAt,
    CopyCosts,
    StatementNumber,
    StatementDate,
};
inline constexpr size_t kOrderFieldCount = 21;
const char* orderFieldName(OrderField field);

enum class OrderFile { Pending, Completed, Archives };
inline constexpr std::array<OrderFile, 3> kAllOrderFiles = {
    OrderFile::Pending, OrderFile::Completed, OrderFile::Archives};
const char* orderFileName(OrderFile file); // "Pending.fil", ...
size_t orderFieldCount(OrderFile file);    // 17, 19, 21

// A billed-in-advance order keeps its due date as text "m/d/yyyy*".
struct DueDate {
    DateTime day;
    bool billedInAdvance = false;
};

// One order, owning its fields (17, 19 or 21 of them) exactly as read or to be written.
class OrderRecord {
  public:
    explicit OrderRecord(OrderFile file);
    OrderRecord(OrderFile file, std::vector<Field> fields);

    OrderFile file() const { return file_; }
    const std::vector<Field>& fields() const { return fields_; }
    const Field& field(OrderField f) const { return fields_.at(static_cast<size_t>(f)); }
    const std::string& text(OrderField f) const { return field(f).text; }
    void set(OrderField f, Field value) { fields_.at(static_cast<size_t>(f)) = std::move(value); }
    void setText(OrderField f, std::string value) { set(f, Field::ofText(std::move(value))); }

    // The same order in another file: fields added empty or dropped at the end.
    OrderRecord movedTo(OrderFile file) const;

    std::optional<DateTime> enteredAt() const;
    std::optional<DueDate> dueDate() const;
    void setDueDate(const DueDate& due);
    std::string searcherName() const; // the text before the first "*"
    bool searcherNotified() const;    // a "*" follows the name
    std::optional<Money> money(OrderField f) const;

    std::string encode() const;

  private:
    OrderFile file_;
    std::vector<Field> fields_;
};

// EnteredAt: a date literal, or "yyyy-mm-dd hh:mm:ss" as text once the order was edited.
std::optional<DateTime> parseEnteredAt(const FieldView& field);
// DueDate: a date literal, or short-date text with the "*" marker.
std::optional<DueDate> parseDueDate(const FieldView& field);
Field encodeDueDate(const DueDate& due);

// One problem found in a record's fields (the reader's structure was fine).
struct FieldProblem {
    OrderField field;
    std::string message;
};
// The kinds that each field of an order file may have.
std::vector<FieldProblem> checkOrderFields(const RecordTable& table, size_t record);

// Records of one order file, sharing the file's bytes.
class OrderTable {
  public:
    OrderTable() = default;
    OrderFile file() const { return file_; }
    size_t size() const { return table_.size(); }
    FieldView field(size_t record, OrderField f) const {
        return table_.field(record, static_cast<size_t>(f));
    }
    OrderRecord record(size_t index) const;
    const RecordTable& records() const { return table_; }

  private:
    friend Result<OrderTable> parseOrderTable(OrderFile, std::string, const std::string&);
    OrderFile file_ = OrderFile::Pending;
    std::string bytes_;
    RecordTable table_;
};

// Parses bytes of an order file; structure only, field kinds are left to checkOrderFields.
Result<OrderTable> parseOrderTable(OrderFile file, std::string bytes, const std::string& path);
// Reads dataFolder + the file's name, checking every field's kind.
Result<OrderTable> readOrderFile(const std::string& dataFolder, OrderFile file);
Result<std::vector<OrderRecord>> readOrderRecords(const std::string& dataFolder, OrderFile file);

Status appendOrder(const DataLock& lock, const OrderRecord& order);
// Rewrites the record's file with `records` as its whole content.
Status rewriteOrderFile(const DataLock& lock, OrderFile file,
                        const std::vector<OrderRecord>& records);

// The FileNumber of every record in file order, found without building records.
// Stops at the first record that does not read.
Result<std::vector<std::string>> scanFileNumbers(std::string_view bytes, OrderFile file,
                                                 const std::string& path);
// Hands over the FileNumbers of the three order files in turn, with the file's bytes for a
// closer look, until the visitor returns false. A missing file holds none.
using FileNumberVisitor =
    std::function<bool(OrderFile file, std::string_view bytes, const std::string& path,
                       size_t record, const std::string& number)>;
Status visitFileNumbers(const std::string& dataFolder, const FileNumberVisitor& visit);
// FileNumbers of all three order files of the folder; a missing file holds none.
Result<std::vector<std::string>> allFileNumbers(const std::string& dataFolder);

// "QM" and five digits, one more than the highest generated number in use.
std::string nextGeneratedFileNumber(const std::vector<std::string>& fileNumbers);
// "QM" and at least five digits: the number after `highest`.
std::string generatedFileNumberAfter(long highest);
// The number a "QM" file number counts as: the digits after "QM" up to the first other character.
long generatedNumberOf(std::string_view fileNumber);

// Log lines: CR LF, "mm/dd hh:mm  ", the text, " [", the initials, "]".
std::string formatLogEntry(const DateTime& when, std::string_view text, std::string_view initials);
// The first character of the log-on name and each character that follows a space.
std::string userInitials(std::string_view logOnName);
// EnteredBy holds at most 24 characters of the log-on name.
std::string enteredByName(std::string_view logOnName);

} // namespace qm
