#pragma once
// Literal values of the record files: dates, numbers and the fixed text forms built from them.

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

struct DateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;

    bool hasTime() const { return hour != 0 || minute != 0 || second != 0; }
    DateTime dateOnly() const { return {year, month, day, 0, 0, 0}; }
    auto operator<=>(const DateTime&) const = default;
};

bool isValidDate(int year, int month, int day);

// "yyyy-mm-dd hh:mm:ss", or "yyyy-mm-dd" when the time of day is midnight (the #...# content).
std::string formatDateLiteral(const DateTime& when);
// Accepts "yyyy-mm-dd" and "yyyy-mm-dd hh:mm:ss" (the content between the # signs).
std::optional<DateTime> parseDateLiteral(std::string_view text);

// "yyyy-mm-dd hh:mm:ss", the quoted form of an edited order's EnteredAt.
std::string formatIsoDateTime(const DateTime& when);

// The workstation's short date form: m/d/yyyy without leading zeros.
std::string formatShortDate(const DateTime& day);
// m/d/yyyy with or without leading zeros.
std::optional<DateTime> parseShortDate(std::string_view text);

// "mm/dd/yyyy", the statement date of an archived order.
std::string formatStatementDate(const DateTime& day);

// A number with only the decimals it needs and no zero before the point: 150, 35.5, .5, -.25.
std::string formatNumber(double value);
// Optional sign, digits with an optional point (or a point and digits), optional exponent.
std::optional<double> parseNumber(std::string_view text);

// The "#.00" form of fees: 150.00, .50, .00, -.25, 1234.00.
std::string formatFee(double value);
// Each word (blank-separated) with its first letter upper case and the rest lower case:
// "WEST SPRINGFIELD" -> "West Springfield". ASCII letters only change.
std::string properCase(std::string_view text);

// A fee held as whole dollars: nearest integer, halves to the even one.
long roundFeeToDollars(double value);

} // namespace qm
