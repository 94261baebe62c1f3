#include "settings_logic.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(SettingsLogic, KeystrokesOnAFeeGridCell) {
    const struct {
        const char* cell;
        QString typed;
        std::optional<QString> after;
    } cases[] = {{"R.Ful", "l", "R.Full"},  {"150", "\b", "15"},
                 {"", "\b", std::nullopt},  {"", " ", " "},
                 {"x", "~", "x~"},          {"x", "\t", std::nullopt},
                 {"x", "\r", std::nullopt}, {"x", QString::fromUtf8("é"), std::nullopt},
                 {"x", "ab", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(cellAfterKeystroke(c.cell, c.typed), c.after)
            << c.cell << " + " << c.typed.toStdString();
}

TEST(SettingsLogic, GridRowsBecomeTheSchedule) {
    const auto schedule =
        feeScheduleFromRows({{" R.Full ", "150"}, {"M.Water", ".25"}, {"", "20"}, {"C.X", "abc"}});
    ASSERT_EQ(schedule.size(), 4u);
    EXPECT_EQ(schedule[0], (std::pair<std::string, double>{"R.Full", 150}));
    EXPECT_EQ(schedule[1].second, 0.25);
    EXPECT_EQ(schedule[2].first, "");
    EXPECT_EQ(schedule[3].second, 0);
}

TEST(SettingsLogic, CustomFeesCountAsTheyReadWithTwoDecimals) {
    const auto rates = customRatesFromRows({{"R.Full", "125.5"}, {"M.Tax", ".004"}, {"C.X", "x"}});
    ASSERT_EQ(rates.size(), 3u);
    EXPECT_EQ(rates[0].second, 125.5);
    EXPECT_EQ(rates[1].second, 0); // written as .00: no custom fee
    EXPECT_EQ(rates[2].second, 0);
}

} // namespace
} // namespace qm
