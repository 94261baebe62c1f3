#include "settings_logic.h"

#include "cp1252.h"
#include "values.h"

namespace qm {

std::optional<QString> cellAfterKeystroke(const QString& cell, const QString& typed) {
    if (typed.size() != 1)
        return std::nullopt;
    const char16_t c = typed.front().unicode();
    if (c == u'\b') {
        if (cell.isEmpty())
            return std::nullopt;
        return cell.left(cell.size() - 1);
    }
    if (c >= 32 && c <= 126)
        return cell + typed;
    return std::nullopt;
}

std::vector<std::pair<std::string, double>>
feeScheduleFromRows(const std::vector<std::pair<QString, QString>>& rows) {
    std::vector<std::pair<std::string, double>> schedule;
    schedule.reserve(rows.size());
    for (const auto& [code, fee] : rows) {
        const auto value = parseNumber(fee.trimmed().toStdString());
        schedule.emplace_back(utf8ToCp1252(code.trimmed().toStdString()), value.value_or(0.0));
    }
    return schedule;
}

std::vector<std::pair<std::string, double>>
customRatesFromRows(const std::vector<std::pair<QString, QString>>& rows) {
    std::vector<std::pair<std::string, double>> rates = feeScheduleFromRows(rows);
    for (auto& [code, fee] : rates)
        fee = parseNumber(formatFee(fee)).value_or(0.0);
    return rates;
}

} // namespace qm
