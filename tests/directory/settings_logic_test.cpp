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

TEST(SettingsLogic, ServicePickListsTakeTheCustomersWholeDollarFees) {
    const std::vector<ServiceEntry> schedule = {
        {"R.Full", "150.00"}, {"M.Water", "35.50"}, {"C.Copy", "124.50"}, {"M.Tax", "20.00"}};
    const std::vector<ServiceEntry> rates = {
        {"R.Full", "125.50"}, {"M.Tax", "12.49"}, {"R.Gone", "9.00"}};
    const ServicePickLists lists = servicePickLists(schedule, rates);
    EXPECT_EQ(lists.types,
              (std::vector<ServicePick>{{"< none >", 0}, {"R.Full", 126}, {"C.Copy", 124}}));
    EXPECT_EQ(lists.municipal,
              (std::vector<ServicePick>{{"< none >", 0}, {"M.Water", 36}, {"M.Tax", 12}}));
}

} // namespace
} // namespace qm
