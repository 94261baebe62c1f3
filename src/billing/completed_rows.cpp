#include "completed_rows.h"

#include "cp1252.h"

#include <algorithm>
#include <cstdio>

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

std::string closedText(const DateTime& when) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d %02d:%02d", when.month % 100, when.day % 100,
                  when.hour % 100, when.minute % 100);
    return text;
}

std::string dateTail(const DateTime& when) {
    char text[16];
    std::snprintf(text, sizeof text, "_%04d%02d%02d", when.year % 10000, when.month % 100,
                  when.day % 100);
    return text;
}

Error badRecord(const std::string& what, size_t record) {
    return Error{ErrorKind::BadRecord, "Completed.fil", static_cast<long>(record + 1), what, 0};
}

} // namespace

std::string listAddressOf(std::string_view address1, std::string_view address2,
                          std::string_view town) {
    std::string out(address1);
    if (!address2.empty())
        out.append(" ").append(address2);
    return out.append(", ").append(properCase(town));
}

std::string rightAligned(std::string_view text, size_t width) {
    return text.size() >= width ? std::string(text)
                                : std::string(width - text.size(), ' ').append(text);
}

Result<CompletedRow> completedRowOf(const OrderTable& completed, size_t record) {
    auto text = [&](OrderField f) { return completed.field(record, f).text; };
    CompletedRow row;
    row.record = record;
    row.fileNumber = std::string(text(OrderField::FileNumber));
    const std::string_view company = text(OrderField::TitleCompany);
    row.billingKeyBytes = std::string(company.empty() ? text(OrderField::Customer) : company);
    row.billingKey = QString::fromStdString(cp1252ToUtf8(row.billingKeyBytes));
    const auto completedAt = parseEnteredAt(completed.field(record, OrderField::CompletedAt));
    if (!completedAt)
        return badRecord("CompletedAt is not a date and time", record);
    row.completedAt = *completedAt;
    row.billedInAdvance = text(OrderField::DueDate).ends_with('*');
    row.searchType = std::string(text(OrderField::SearchType));
    row.muniSearch = std::string(text(OrderField::MuniSearch));
    row.address = listAddressOf(text(OrderField::PropertyAddress1),
                                text(OrderField::PropertyAddress2), text(OrderField::Town));
    for (auto [field, amount] : {std::pair{OrderField::BaseFee, &row.baseFee},
                                 std::pair{OrderField::MuniFee, &row.muniFee},
                                 std::pair{OrderField::CopyCosts, &row.copyCosts}}) {
        const auto value = Money::fromStored(text(field));
        if (!value)
            return badRecord(std::string(orderFieldName(field)) + " is not an amount", record);
        *amount = *value;
    }

    std::string line(kKeyColumn - 1, ' ');
    place(line, kClosedColumns,
          row.billedInAdvance ? std::string("bill in adv") : closedText(row.completedAt));
    place(line, kAddressColumns, row.address);
    place(line, kFileNumberColumns, row.fileNumber);
    place(line, kTypeColumns, row.searchType);
    place(line, kMuniColumns, row.muniSearch);
    placeAmount(line, kFeeColumns, (row.baseFee + row.muniFee).format0_00());
    placeAmount(line, kCopiesColumns, row.copyCosts.format0_00());
    line += row.billingKeyBytes;
    line += dateTail(row.completedAt);
    row.line = QString::fromStdString(cp1252ToUtf8(line));
    return row;
}

Result<std::vector<CompletedRow>> buildCompletedRows(const OrderTable& completed) {
    std::vector<CompletedRow> rows;
    rows.reserve(completed.size());
    for (size_t i = 0; i < completed.size(); ++i) {
        Result<CompletedRow> row = completedRowOf(completed, i);
        if (!row)
            return row.error();
        rows.push_back(std::move(row).value());
    }
    return rows;
}

QStringList billingKeysOf(const std::vector<CompletedRow>& rows) {
    QStringList keys;
    for (const CompletedRow& row : rows) {
        if (!row.billingKey.isEmpty())
            keys.append(row.billingKey);
    }
    std::sort(keys.begin(), keys.end(), [](const QString& a, const QString& b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

} // namespace qm
