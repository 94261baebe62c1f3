#include "completed_rows.h"

#include "cp1252.h"

#include <QSet>
#include <array>
#include <unordered_map>

#include <algorithm>

namespace qm {

namespace {

// Writes text into its columns, left-aligned and cut to their width.
void place(std::string& line, LineColumns columns, std::string_view text) {
    const size_t n = std::min(text.size(), static_cast<size_t>(columns.width));
    line.replace(static_cast<size_t>(columns.first - 1), n, text.substr(0, n));
}

// Writes an amount so that it ends in the columns' last column. A wider amount reaches further
// left, with one blank kept before it, so the decimal points of all lines stay in one column.
void placeAmount(std::string& line, LineColumns columns, std::string_view text) {
    const size_t end = static_cast<size_t>(columns.first - 1 + columns.width);
    const size_t start = text.size() >= end ? 0 : end - text.size();
    line.replace(start, end - start, text.substr(text.size() - (end - start)));
    if (start > 0 && text.size() > static_cast<size_t>(columns.width))
        line[start - 1] = ' ';
}

// Appends the value's last `digits` digits, zero-padded.
void appendDigits(std::string& out, int value, int digits) {
    char text[8];
    for (int i = digits - 1; i >= 0; --i, value /= 10)
        text[i] = static_cast<char>('0' + (value < 0 ? 0 : value % 10));
    out.append(text, static_cast<size_t>(digits));
}

std::string closedText(const DateTime& when) {
    std::string out;
    appendDigits(out, when.month, 2);
    out += '/';
    appendDigits(out, when.day, 2);
    out += ' ';
    appendDigits(out, when.hour, 2);
    out += ':';
    appendDigits(out, when.minute, 2);
    return out;
}

void appendDateTail(std::string& line, const DateTime& when) {
    line += '_';
    appendDigits(line, when.year, 4);
    appendDigits(line, when.month, 2);
    appendDigits(line, when.day, 2);
}

// The UTF-16 units of the Windows-1252 bytes, from the code page's own mapping in the storage
// layer, taken once.
const std::array<char16_t, 256>& cp1252Units() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const QString one =
                QString::fromStdString(cp1252ToUtf8(std::string(1, static_cast<char>(b))));
            t[static_cast<size_t>(b)] = one.isEmpty() ? u'\0' : one.at(0).unicode();
        }
        return t;
    }();
    return table;
}

// Windows-1252 straight into `out` in one pass. Its room is reused when it is its own and large
// enough, so a rebuild over the rows of the last one allocates nothing for the lines.
void decodeCp1252(std::string_view bytes, QString& out) {
    const auto size = static_cast<qsizetype>(bytes.size());
    // Growing by resize() would round the room up; a new text gets the room it needs.
    if (out.capacity() < size || !out.isDetached())
        out = QString(size, Qt::Uninitialized);
    else
        out.resize(size);
    const std::array<char16_t, 256>& units = cp1252Units();
    QChar* data = out.data();
    for (char c : bytes)
        *data++ = QChar(units[static_cast<unsigned char>(c)]);
}

QString decodeCp1252(std::string_view bytes) {
    QString out;
    decodeCp1252(bytes, out);
    return out;
}

Error badRecord(const std::string& what, size_t record) {
    return Error{ErrorKind::BadRecord, "Completed.fil", static_cast<long>(record + 1), what, 0};
}

} // namespace

namespace {

// listAddressOf into `out`, whose room is reused.
void assignListAddress(std::string& out, std::string_view address1, std::string_view address2,
                       std::string_view town) {
    out.assign(address1);
    if (!address2.empty())
        out.append(" ").append(address2);
    out.append(", ").append(properCase(town));
}

} // namespace

std::string listAddressOf(std::string_view address1, std::string_view address2,
                          std::string_view town) {
    std::string out;
    assignListAddress(out, address1, address2, town);
    return out;
}

std::string rightAligned(std::string_view text, size_t width) {
    return text.size() >= width ? std::string(text)
                                : std::string(width - text.size(), ' ').append(text);
}

namespace {

using KeyTexts = std::unordered_map<std::string_view, QString>;

// Fills `row` from the record. `line` is scratch space kept between rows; `keys` shares one
// text among the rows of one key.
Status fillRow(const OrderTable& completed, size_t record, CompletedRow& row, std::string& line,
               KeyTexts& keys) {
    // A row of an earlier rebuild lends its texts' room; every value starts anew.
    std::string fileNumber = std::move(row.fileNumber), searchType = std::move(row.searchType),
                muniSearch = std::move(row.muniSearch), address = std::move(row.address);
    QString lineText = std::move(row.line);
    row = CompletedRow();

    auto text = [&](OrderField f) { return completed.field(record, f).text; };
    row.record = record;
    fileNumber.assign(text(OrderField::FileNumber));
    row.fileNumber = std::move(fileNumber);
    const std::string_view company = text(OrderField::TitleCompany);
    const std::string_view key = company.empty() ? text(OrderField::Customer) : company;
    auto known = keys.find(key);
    if (known == keys.end())
        known = keys.emplace(key, decodeCp1252(key)).first;
    row.billingKey = known->second;
    const auto completedAt = parseEnteredAt(completed.field(record, OrderField::CompletedAt));
    if (!completedAt)
        return badRecord("CompletedAt is not a date and time", record);
    row.completedAt = *completedAt;
    row.billedInAdvance = text(OrderField::DueDate).ends_with('*');
    searchType.assign(text(OrderField::SearchType));
    row.searchType = std::move(searchType);
    muniSearch.assign(text(OrderField::MuniSearch));
    row.muniSearch = std::move(muniSearch);
    assignListAddress(address, text(OrderField::PropertyAddress1),
                      text(OrderField::PropertyAddress2), text(OrderField::Town));
    row.address = std::move(address);
    for (auto [field, amount] : {std::pair{OrderField::BaseFee, &row.baseFee},
                                 std::pair{OrderField::MuniFee, &row.muniFee},
                                 std::pair{OrderField::CopyCosts, &row.copyCosts}}) {
        const auto value = Money::fromStored(text(field));
        if (!value)
            return badRecord(std::string(orderFieldName(field)) + " is not an amount", record);
        *amount = *value;
    }

    line.assign(kKeyColumn - 1, ' ');
    place(line, kClosedColumns,
          row.billedInAdvance ? std::string("bill in adv") : closedText(row.completedAt));
    place(line, kAddressColumns, row.address);
    place(line, kFileNumberColumns, row.fileNumber);
    place(line, kTypeColumns, row.searchType);
    place(line, kMuniColumns, row.muniSearch);
    placeAmount(line, kFeeColumns, (row.baseFee + row.muniFee).format0_00());
    placeAmount(line, kCopiesColumns, row.copyCosts.format0_00());
    line += key;
    appendDateTail(line, row.completedAt);
    decodeCp1252(line, lineText);
    row.line = std::move(lineText);
    return okStatus();
}

} // namespace

Result<CompletedRow> completedRowOf(const OrderTable& completed, size_t record) {
    CompletedRow row;
    std::string line;
    KeyTexts keys;
    if (Status filled = fillRow(completed, record, row, line, keys); !filled)
        return filled.error();
    return row;
}

Result<std::vector<CompletedRow>> buildCompletedRows(const OrderTable& completed,
                                                     std::vector<CompletedRow> recycled) {
    std::vector<CompletedRow> rows = std::move(recycled);
    rows.resize(completed.size());
    std::string line;
    KeyTexts keys;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (Status filled = fillRow(completed, i, rows[i], line, keys); !filled)
            return filled.error();
    }
    return rows;
}

QStringList billingKeysOf(const std::vector<CompletedRow>& rows) {
    // Thousands of orders share a few hundred keys: drop repeats before sorting.
    QSet<QString> distinct;
    for (const CompletedRow& row : rows) {
        if (!row.billingKey.isEmpty())
            distinct.insert(row.billingKey);
    }
    QStringList keys(distinct.begin(), distinct.end());
    std::sort(keys.begin(), keys.end(), [](const QString& a, const QString& b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return keys;
}

} // namespace qm
