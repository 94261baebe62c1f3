#pragma once
// What the settings screen computes: the fee-grid keystroke rule and the schedule it saves.

#include "directory_files.h"

#include <QString>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qm {

// A character typed on a fee-grid cell: Backspace takes the last character off, a printable
// ASCII character is added; nothing else changes the cell (nothing is returned).
std::optional<QString> cellAfterKeystroke(const QString& cell, const QString& typed);

// Grid rows (code, fee text) as the schedule to store; a fee that is no number counts as 0.
// Rows with an empty code are left to the writer, which drops them.
std::vector<std::pair<std::string, double>>
feeScheduleFromRows(const std::vector<std::pair<QString, QString>>& rows);

// The custom column as rates to store: a fee counts as it reads in "#.00", so .004 is none.
std::vector<std::pair<std::string, double>>
customRatesFromRows(const std::vector<std::pair<QString, QString>>& rows);

// The order editor's two service pick lists: "< none >", then the schedule's codes (municipal
// ones, "M.", apart) each with its fee in whole dollars, a customer's own rate replacing it.
struct ServicePick {
    QString code;
    long dollars = 0;
    bool operator==(const ServicePick&) const = default;
};
struct ServicePickLists {
    std::vector<ServicePick> types;
    std::vector<ServicePick> municipal;
};
inline const QString kNoServicePick = QStringLiteral("< none >");
ServicePickLists servicePickLists(const std::vector<ServiceEntry>& schedule,
                                  const std::vector<ServiceEntry>& customRates);

} // namespace qm
