#pragma once
// Amounts of money held exactly: whole ten-thousandths of a dollar in 64 bits. Amounts read from
// the order files are written back byte for byte, sums never drift, and no floating point is
// used on the way in or out.

#include <compare>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

class Money {
  public:
    static constexpr std::int64_t kUnitsPerDollar = 10000;
    // The lowest value is left out, so that every amount can be negated.
    static constexpr std::int64_t kMaxUnits = std::numeric_limits<std::int64_t>::max();

    constexpr Money() = default;
    static constexpr Money fromUnits(std::int64_t tenThousandths) {
        return Money(tenThousandths < -kMaxUnits ? -kMaxUnits : tenThousandths);
    }
    static constexpr Money fromDollars(std::int64_t dollars) {
        std::int64_t units = 0;
        if (__builtin_mul_overflow(dollars, kUnitsPerDollar, &units))
            return Money(dollars < 0 ? -kMaxUnits : kMaxUnits);
        return fromUnits(units);
    }
    constexpr std::int64_t units() const { return units_; }
    constexpr bool isZero() const { return units_ == 0; }

    // The order files' number form: optional sign, digits with an optional point ("150", "12.5",
    // ".5", "-2.25", "150.00"), optionally an exponent ("1e3"). Decimals beyond the fourth are
    // rounded half away from zero, as the files' writers always did. Nothing else is accepted,
    // blanks included; an amount beyond the 64-bit range is refused.
    static std::optional<Money> fromStored(std::string_view text);
    // The shortest number form: 150, 12.5, .5, -.25, 0.
    std::string toStored() const;

    // Half away from zero: 10.005 -> 10.01, -10.005 -> -10.01.
    Money roundedToCents() const;
    // Shown amounts, rounded to cents, with "," and "." whatever the locale:
    std::string format0_00() const;    // "0.00": 1234.50, 0.50, -2.25
    std::string formatGrouped() const; // "#,##0.00": 1,234.50
    std::string formatDollars() const; // "$ #,##0.00": $ 1,234.50, -$ 2.25

    // Sums saturate at the ends of the range instead of wrapping.
    friend constexpr Money operator+(Money a, Money b) {
        return Money(saturatedSum(a.units_, b.units_));
    }
    friend constexpr Money operator-(Money a, Money b) {
        return Money(saturatedSum(a.units_, -b.units_));
    }
    constexpr Money operator-() const { return Money(-units_); }
    constexpr Money& operator+=(Money other) { return *this = *this + other; }
    constexpr Money& operator-=(Money other) { return *this = *this - other; }
    constexpr auto operator<=>(const Money&) const = default;

  private:
    constexpr explicit Money(std::int64_t units) : units_(units) {}
    static constexpr std::int64_t saturatedSum(std::int64_t a, std::int64_t b) {
        std::int64_t sum = 0;
        if (__builtin_add_overflow(a, b, &sum) || sum < -kMaxUnits)
            return a < 0 ? -kMaxUnits : kMaxUnits;
        return sum;
    }

    std::int64_t units_ = 0;
};

// An amount typed by a user: blanks around, an optional minus, digits with at most four
// decimals (".5" allowed). Anything else ("1,250.00", "$150", "12.5O", "1e3", "", "-") is
// refused with a reason that completes "The amount is not accepted: ...".
struct AmountParse {
    std::optional<Money> value;
    std::string reason; // empty when accepted
};
AmountParse parseTypedAmount(std::string_view text);
inline constexpr const char* kAmountHint =
    "enter the amount as a plain number, for example 1250.00";

} // namespace qm
