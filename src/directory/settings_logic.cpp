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

ServicePickLists servicePickLists(const std::vector<ServiceEntry>& schedule,
                                  const std::vector<ServiceEntry>& customRates) {
    ServicePickLists lists;
    lists.types.push_back({kNoServicePick, 0});
    lists.municipal.push_back({kNoServicePick, 0});
    for (const ServiceEntry& service : schedule) {
        auto& list = service.isMunicipal() ? lists.municipal : lists.types;
        list.push_back(
            {QString::fromStdString(cp1252ToUtf8(service.code)), service.wholeDollars()});
    }
    for (const ServiceEntry& rate : customRates) {
        auto& list = rate.isMunicipal() ? lists.municipal : lists.types;
        const QString code = QString::fromStdString(cp1252ToUtf8(rate.code));
        for (ServicePick& pick : list) {
            if (pick.code == code) {
                pick.dollars = rate.wholeDollars();
                break;
            }
        }
    }
    return lists;
}

} // namespace qm
