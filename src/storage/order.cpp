#include "order.h"

#include <climits>
#include <cstdio>
#include <cstring>

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
