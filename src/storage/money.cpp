#include "money.h"

namespace qm {

namespace {

constexpr int kDecimals = 4;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view digitsAt(std::string_view text, size_t& pos) {
    const size_t start = pos;
    while (pos < text.size() && isDigit(text[pos]))
        ++pos;
    return text.substr(start, pos - start);
}

// The amount `digits` times ten to the `exponent`, in units, rounded half away from zero;
// nothing past the range.
std::optional<Money> moneyOf(bool negative, std::string digits, long exponent) {
    const size_t firstSignificant = digits.find_first_not_of('0');
    if (firstSignificant == std::string::npos)
        return Money();
    digits.erase(0, firstSignificant);
    // How many of the digits stand before the units' point.
    const long whole = static_cast<long>(digits.size()) + exponent + kDecimals;
    if (whole > std::numeric_limits<std::int64_t>::digits10 + 1)
        return std::nullopt;
    std::int64_t units = 0;
    for (long i = 0; i < whole; ++i) {
        const int digit =
            i < static_cast<long>(digits.size()) ? digits[static_cast<size_t>(i)] - '0' : 0;
        if (__builtin_mul_overflow(units, 10, &units) ||
            __builtin_add_overflow(units, digit, &units))
            return std::nullopt;
    }
    if (whole >= 0 && whole < static_cast<long>(digits.size()) &&
        digits[static_cast<size_t>(whole)] >= '5' && __builtin_add_overflow(units, 1, &units))
        return std::nullopt;
    return Money::fromUnits(negative ? -units : units);
}

// "1234" -> "1,234".
std::string grouped(std::string digits) {
    for (size_t i = digits.size(); i > 3; i -= 3)
        digits.insert(i - 3, 1, ',');
    return digits;
}

struct Cents {
    bool negative = false;
    std::string dollars; // digits, at least "0"
    std::string cents;   // two digits
};

Cents centsOf(Money amount) {
    const std::int64_t units = amount.roundedToCents().units();
    const std::int64_t magnitude = units < 0 ? -units : units;
    const std::int64_t cents = magnitude / 100 % 100;
    return {units < 0,
            std::to_string(magnitude / Money::kUnitsPerDollar),
            {static_cast<char>('0' + cents / 10), static_cast<char>('0' + cents % 10)}};
}

std::string refusedCharacter(char c) {
    switch (c) {
    case ',':
        return "it contains a comma";
    case '$':
        return "it contains a dollar sign";
    case ' ':
    case '\t':
        return "it contains a blank";
    case '-':
        return "the minus sign is not in front";
    case '.':
        return "it has more than one decimal point";
    default:
        if (c > ' ' && c < 127)
            return std::string("it contains \"") + c + "\"";
        return "it contains a character that is not a digit";
    }
}

} // namespace

std::optional<Money> Money::fromStored(std::string_view text) {
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    const std::string_view intDigits = digitsAt(text, pos);
    std::string_view fracDigits;
    if (pos < text.size() && text[pos] == '.')
        fracDigits = digitsAt(text, ++pos);
    if (intDigits.empty() && fracDigits.empty())
        return std::nullopt;
    long exponent = 0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        bool negativeExponent = false;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            negativeExponent = text[pos++] == '-';
        const std::string_view expDigits = digitsAt(text, pos);
        if (expDigits.empty())
            return std::nullopt;
        for (char c : expDigits)
            exponent = std::min(exponent * 10 + (c - '0'), 100000L); // far past any amount
        if (negativeExponent)
            exponent = -exponent;
    }
    if (pos != text.size())
        return std::nullopt;
    return moneyOf(negative, std::string(intDigits).append(fracDigits),
                   exponent - static_cast<long>(fracDigits.size()));
}

std::string Money::toStored() const {
    if (units_ == 0)
        return "0";
    const std::int64_t magnitude = units_ < 0 ? -units_ : units_;
    std::string out = units_ < 0 ? "-" : "";
    if (const std::int64_t dollars = magnitude / kUnitsPerDollar; dollars != 0)
        out += std::to_string(dollars);
    std::int64_t fraction = magnitude % kUnitsPerDollar;
    if (fraction != 0) {
        int places = kDecimals;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --places;
        }
        const std::string digits = std::to_string(fraction);
        out += '.';
        out.append(static_cast<size_t>(places) - digits.size(), '0');
        out += digits;
    }
    return out;
}

Money Money::roundedToCents() const {
    constexpr std::int64_t kUnitsPerCent = kUnitsPerDollar / 100;
    std::int64_t cents = units_ / kUnitsPerCent;
    const std::int64_t rest = units_ % kUnitsPerCent;
    if (rest >= kUnitsPerCent / 2)
        ++cents;
    else if (rest <= -kUnitsPerCent / 2)
        --cents;
    return fromUnits(cents * kUnitsPerCent);
}

std::string Money::format0_00() const {
    const Cents c = centsOf(*this);
    return (c.negative ? "-" : "") + c.dollars + "." + c.cents;
}

std::string Money::formatGrouped() const {
    const Cents c = centsOf(*this);
    return (c.negative ? "-" : "") + grouped(c.dollars) + "." + c.cents;
}

std::string Money::formatDollars() const {
    const Cents c = centsOf(*this);
    return (c.negative ? "-$ " : "$ ") + grouped(c.dollars) + "." + c.cents;
}

AmountParse parseTypedAmount(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {std::nullopt, "no amount was entered"};
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    size_t pos = 0;
    const bool negative = text[pos] == '-';
    if (negative)
        ++pos;
    const std::string_view intDigits = digitsAt(text, pos);
    std::string_view fracDigits;
    if (pos < text.size() && text[pos] == '.')
        fracDigits = digitsAt(text, ++pos);
    if (pos < text.size())
        return {std::nullopt, refusedCharacter(text[pos])};
    if (intDigits.empty() && fracDigits.empty())
        return {std::nullopt, "it has no digits"};
    if (fracDigits.size() > kDecimals)
        return {std::nullopt, "it has more than four decimals"};
    const std::optional<Money> value = moneyOf(negative, std::string(intDigits).append(fracDigits),
                                               -static_cast<long>(fracDigits.size()));
    if (!value)
        return {std::nullopt, "it is too large"};
    return {value, {}};
}

} // namespace qm
