#include "money.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>

namespace qm {
namespace {

constexpr std::int64_t kMax = Money::kMaxUnits;

TEST(Money, StoredNumbersReadExactlyAndShowRoundedToCents) {
    const struct {
        const char* stored;
        std::int64_t units;
        const char* written; // toStored
        const char* plain;   // "0.00"
        const char* grouped; // "#,##0.00"
        const char* dollars; // "$ #,##0.00"
    } cases[] = {
        {"150", 1500000, "150", "150.00", "150.00", "$ 150.00"},
        {"150.00", 1500000, "150", "150.00", "150.00", "$ 150.00"},
        {"12.5", 125000, "12.5", "12.50", "12.50", "$ 12.50"},
        {".5", 5000, ".5", "0.50", "0.50", "$ 0.50"},
        {"0.5", 5000, ".5", "0.50", "0.50", "$ 0.50"},
        {"-2.25", -22500, "-2.25", "-2.25", "-2.25", "-$ 2.25"},
        {"-.25", -2500, "-.25", "-0.25", "-0.25", "-$ 0.25"},
        {"150.125", 1501250, "150.125", "150.13", "150.13", "$ 150.13"},
        {"10.005", 100050, "10.005", "10.01", "10.01", "$ 10.01"},
        {"-10.005", -100050, "-10.005", "-10.01", "-10.01", "-$ 10.01"},
        {"10.0049", 100049, "10.0049", "10.00", "10.00", "$ 10.00"},
        {"12345.675", 123456750, "12345.675", "12345.68", "12,345.68", "$ 12,345.68"},
        {"1234567.8", 12345678000, "1234567.8", "1234567.80", "1,234,567.80", "$ 1,234,567.80"},
        {"999.995", 9999950, "999.995", "1000.00", "1,000.00", "$ 1,000.00"},
        {".0001", 1, ".0001", "0.00", "0.00", "$ 0.00"},
        {"-0.004", -40, "-.004", "0.00", "0.00", "$ 0.00"}, // no minus on a shown zero
        {"0", 0, "0", "0.00", "0.00", "$ 0.00"},
        {"-0", 0, "0", "0.00", "0.00", "$ 0.00"},
        {"+7", 70000, "7", "7.00", "7.00", "$ 7.00"},
        {"35.", 350000, "35", "35.00", "35.00", "$ 35.00"},
        // Forms only hand edits produce: exponents, and decimals past the fourth, rounded as
        // the files' writers round.
        {"1e3", 10000000, "1000", "1000.00", "1,000.00", "$ 1,000.00"},
        {"2.5E-2", 250, ".025", "0.03", "0.03", "$ 0.03"},
        {"12.34565", 123457, "12.3457", "12.35", "12.35", "$ 12.35"},
        {"-12.34565", -123457, "-12.3457", "-12.35", "-12.35", "-$ 12.35"},
        {"0.00004", 0, "0", "0.00", "0.00", "$ 0.00"},
        {"922337203685477.5807", kMax, "922337203685477.5807", "922337203685477.58",
         "922,337,203,685,477.58", "$ 922,337,203,685,477.58"},
        {"-922337203685477.5807", -kMax, "-922337203685477.5807", "-922337203685477.58",
         "-922,337,203,685,477.58", "-$ 922,337,203,685,477.58"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        const std::optional<Money> m = Money::fromStored(c.stored);
        ASSERT_TRUE(m);
        EXPECT_EQ(m->units(), c.units);
        EXPECT_EQ(m->toStored(), c.written);
        EXPECT_EQ(Money::fromStored(m->toStored()), m);
        EXPECT_EQ(m->format0_00(), c.plain);
        EXPECT_EQ(m->formatGrouped(), c.grouped);
        EXPECT_EQ(m->formatDollars(), c.dollars);
    }
    const char* refused[] = {"",      ".",   "-",     "1,5",
                             " 5",    "5 ",  "12a",   "1e",
                             "0x10",  "$5",  "1.2.3", "922337203685477.5808",
                             "1e999", "--5", "1e+",   "99999999999999999999"};
    for (const char* text : refused)
        EXPECT_EQ(Money::fromStored(text), std::nullopt) << '"' << text << '"';
}

TEST(Money, TypedAmountsAreOnlyPlainNumbers) {
    const struct {
        const char* typed;
        std::optional<std::int64_t> units;
        const char* reason;
    } cases[] = {
        {"1250.00", 12500000, ""},
        {"  1250.00 ", 12500000, ""},
        {"\t-2.25", -22500, ""},
        {".5", 5000, ""},
        {"-.5", -5000, ""},
        {"12.3456", 123456, ""},
        {"0", 0, ""},
        {"1,250.00", {}, "it contains a comma"},
        {"$150", {}, "it contains a dollar sign"},
        {"12.5O", {}, "it contains \"O\""},
        {"1e3", {}, "it contains \"e\""},
        {"+5", {}, "it contains \"+\""},
        {"1 000", {}, "it contains a blank"},
        {"12\xE9", {}, "it contains a character that is not a digit"},
        {"5-", {}, "the minus sign is not in front"},
        {"1.2.3", {}, "it has more than one decimal point"},
        {"", {}, "no amount was entered"},
        {"   ", {}, "no amount was entered"},
        {"-", {}, "it has no digits"},
        {".", {}, "it has no digits"},
        {"12.34567", {}, "it has more than four decimals"},
        {"922337203685477.5808", {}, "it is too large"},
        {"-99999999999999999999", {}, "it is too large"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const AmountParse parsed = parseTypedAmount(c.typed);
        EXPECT_EQ(parsed.reason, c.reason);
        ASSERT_EQ(parsed.value.has_value(), c.units.has_value());
        if (c.units) {
            EXPECT_EQ(parsed.value->units(), *c.units);
        }
    }
}

TEST(Money, SumsAreExactAndSaturateInsteadOfWrapping) {
    Money tenCents = *Money::fromStored(".1");
    Money sum;
    for (int i = 0; i < 10; ++i)
        sum += tenCents;
    EXPECT_EQ(sum, Money::fromDollars(1));

    const Money fees =
        Money::fromDollars(150) + *Money::fromStored("35.5") - *Money::fromStored(".25");
    EXPECT_EQ(fees.toStored(), "185.25");
    EXPECT_LT(-fees, Money());
    EXPECT_TRUE((fees - fees).isZero());

    const Money top = Money::fromUnits(kMax);
    const Money one = Money::fromUnits(1);
    EXPECT_EQ(top + one, top);
    EXPECT_EQ(-top - one, -top);
    EXPECT_EQ(top - (-top), top);
    EXPECT_EQ(Money::fromUnits(std::numeric_limits<std::int64_t>::min()), -top);
    EXPECT_EQ(Money::fromDollars(std::numeric_limits<std::int64_t>::max() / 1000), top);
    EXPECT_EQ(Money::fromDollars(std::numeric_limits<std::int64_t>::min() / 1000), -top);
}

// Commas as decimal points and points as thousands separators.
struct GermanNumbers : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

void expectFormsIgnoreTheLocale() {
    const Money m = *Money::fromStored("12345.675");
    EXPECT_EQ(m.format0_00(), "12345.68");
    EXPECT_EQ(m.formatGrouped(), "12,345.68");
    EXPECT_EQ(m.formatDollars(), "$ 12,345.68");
    EXPECT_EQ(m.toStored(), "12345.675");
    EXPECT_EQ(parseTypedAmount("1250.5").value, Money::fromUnits(12505000));
    EXPECT_EQ(parseTypedAmount("1250,5").reason, "it contains a comma");
}

TEST(Money, FormsIgnoreAGermanCppLocale) {
    const std::locale old =
        std::locale::global(std::locale(std::locale::classic(), new GermanNumbers));
    expectFormsIgnoreTheLocale();
    std::locale::global(old);
}

TEST(Money, FormsIgnoreAGermanCLocale) {
    const std::string old = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    expectFormsIgnoreTheLocale();
    std::setlocale(LC_ALL, old.c_str());
}

} // namespace
} // namespace qm
