#include "values.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(Values, NumbersAreWrittenWithOnlyTheDecimalsNeeded) {
    const struct {
        double value;
        const char* written;
    } cases[] = {{150, "150"}, {35.5, "35.5"},   {0.5, ".5"},      {-0.25, "-.25"},
                 {0, "0"},     {-0.0, "0"},      {1234.0, "1234"}, {12.3456, "12.3456"},
                 {0.1, ".1"},  {1e6, "1000000"}, {-3, "-3"}};
    for (const auto& c : cases)
        EXPECT_EQ(formatNumber(c.value), c.written) << c.value;
}

TEST(Values, NumberParsing) {
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {{"150", 150},  {".5", 0.5}, {"-.25", -0.25}, {"+7", 7},     {"35.", 35},
                 {"1e3", 1000}, {"", {}},    {".", {}},       {"-", {}},     {"1,5", {}},
                 {"12a", {}},   {"1e", {}},  {" 5", {}},      {"1e999", {}}, {"0x10", {}}};
    for (const auto& c : cases)
        EXPECT_EQ(parseNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(Values, FeesUseTheTwoDecimalForm) {
    const struct {
        double fee;
        const char* written;
    } cases[] = {{150, "150.00"},   {0.5, ".50"},    {0, ".00"},       {-0.0, ".00"},
                 {1234, "1234.00"}, {-0.25, "-.25"}, {35.555, "35.55"}};
    for (const auto& c : cases)
        EXPECT_EQ(formatFee(c.fee), c.written) << c.fee;
}

TEST(Values, WholeDollarFeesRoundHalvesToEven) {
    const struct {
        double fee;
        long dollars;
    } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {2.51, 3}, {149.49, 149}, {-0.5, 0}, {-1.5, -2}};
    for (const auto& c : cases)
        EXPECT_EQ(roundFeeToDollars(c.fee), c.dollars) << c.fee;
}

TEST(Values, DateLiteralsReadBackAsWritten) {
    const char* sound[] = {"2026-12-07", "2026-12-07 08:30:00", "2024-02-29",
                           "1999-01-01 23:59:59"};
    for (const char* text : sound) {
        const auto d = parseDateLiteral(text);
        ASSERT_TRUE(d) << text;
        EXPECT_EQ(formatDateLiteral(*d), text);
    }
    const char* broken[] = {
        "2026-13-01",          "2025-02-29", "2026-12-7",   "2026-12-07 8:30:00",
        "2026-12-07 24:00:00", "2026/12/07", "2026-12-07 ", ""};
    for (const char* text : broken)
        EXPECT_FALSE(parseDateLiteral(text)) << text;
}

TEST(Values, MidnightIsWrittenAsADateOnly) {
    EXPECT_EQ(formatDateLiteral({2026, 12, 7, 0, 0, 0}), "2026-12-07");
    EXPECT_EQ(formatIsoDateTime({2026, 12, 7, 0, 0, 0}), "2026-12-07 00:00:00");
}

TEST(Values, ShortDatesHaveNoLeadingZeros) {
    EXPECT_EQ(formatShortDate({2026, 3, 9}), "3/9/2026");
    EXPECT_EQ(formatShortDate({2026, 12, 31}), "12/31/2026");
    EXPECT_EQ(parseShortDate("03/09/2026"), (DateTime{2026, 3, 9}));
    EXPECT_EQ(parseShortDate("3/9/2026"), (DateTime{2026, 3, 9}));
    EXPECT_FALSE(parseShortDate("2/30/2026"));
    EXPECT_FALSE(parseShortDate("3/9/26"));
    EXPECT_FALSE(parseShortDate("3/9/2026*"));
    EXPECT_EQ(formatStatementDate({2026, 3, 9}), "03/09/2026");
    // Early years keep four digits so that they read back.
    EXPECT_EQ(formatShortDate({999, 1, 1}), "1/1/0999");
    EXPECT_EQ(parseShortDate(formatShortDate({999, 1, 1})), (DateTime{999, 1, 1}));
    EXPECT_EQ(formatStatementDate({999, 12, 31}), "12/31/0999");
}

} // namespace
} // namespace qm

TEST(Values, ProperCaseCapitalisesEachBlankSeparatedWord) {
    const std::pair<const char*, const char*> cases[] = {
        {"SPRINGFIELD", "Springfield"},
        {"WEST SPRINGFIELD", "West Springfield"},
        {"manchester-by-the-sea", "Manchester-by-the-sea"},
        {"  two  blanks", "  Two  Blanks"},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(qm::properCase(in), out) << in;
}
