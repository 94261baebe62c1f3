#include "refresh_logic.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(PickLists, ItemTextsOfDirectoryLines) {
    EXPECT_EQ(titleCompanyItem("Acme Title _ 1 St _  _ Springfield, MA 01103 _  _ f _ e _ "),
              "Acme Title - Springfield");
    EXPECT_EQ(titleCompanyItem("Bay _ 1 St _  _ Boston MA _  _ f _ e _ "), "Bay - Boston MA");
    EXPECT_EQ(attorneyItem("Baker & Lane _ Ann Cole _ 1 A St _  _ Lee, MA _  _ f _ e"),
              "Baker & Lane - Ann Cole");
    EXPECT_EQ(searcherItem("Tom Reed _  _  _  _  _ 4135550111 _ Verizon _ t@r"), "Tom Reed");
    EXPECT_EQ(searcherItem("Ren\xE9 Roy _  _  _  _  _ c _ Sprint _ e"),
              QString::fromUtf8("René Roy"));
}

TEST(PickLists, SortedWithoutRegardToCaseAfterThePlaceholder) {
    const QStringList list =
        sortedPickList(kLawFirmPlaceholder, {"baker - B", "Adams - A", "Carter - C", "ADAMS - a"});
    EXPECT_EQ(list, (QStringList{kLawFirmPlaceholder, "Adams - A", "ADAMS - a", "baker - B",
                                 "Carter - C"}));
    EXPECT_EQ(pickListInOrder(kSearcherPlaceholder, {"Zed", "Amy"}),
              (QStringList{kSearcherPlaceholder, "Zed", "Amy"}));
}

TEST(PickLists, RestoringTheRememberedChoice) {
    const QStringList list{kTitleCompanyPlaceholder, "Acme - Lee", "Bay - Boston", "Acme - Lee"};
    const struct {
        const char* remembered;
        int selected;
    } cases[] = {{"", 0},
                 {"Bay - Boston", 2},
                 {"Acme - Lee", 1},
                 {"Gone - Nowhere", -1},
                 {"< select title company >", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(restoredChoice(list, c.remembered), c.selected) << c.remembered;
}

TEST(Refresh, ClockLine) {
    EXPECT_EQ(formatClockLine(QDateTime(QDate(2026, 12, 7), QTime(23, 5))),
              "Monday, December 07, 2026 - 11:05 PM");
    EXPECT_EQ(formatClockLine(QDateTime(QDate(2027, 1, 1), QTime(0, 30))),
              "Friday, January 01, 2027 - 12:30 AM");
}

TEST(Refresh, AStampCountsAsChangedInEitherDirection) {
    FileStamp stamp;
    const QDateTime t(QDate(2026, 12, 7), QTime(9, 0));
    EXPECT_TRUE(stamp.changedTo(t));
    EXPECT_FALSE(stamp.changedTo(t));
    EXPECT_TRUE(stamp.changedTo(t.addSecs(-3600))); // restored from a backup
    EXPECT_TRUE(stamp.changedTo(t));
    stamp.forget();
    EXPECT_TRUE(stamp.changedTo(t));
}

TEST(Refresh, WindowTitleEndsWithTheCompanyInUpperCaseOnce) {
    const QString once = windowTitleFor(kDesignedCaption, "North Abstract llc");
    EXPECT_EQ(once, "Quillmark - v 1.30 - Search Order Management Console  -  NORTH ABSTRACT LLC");
    EXPECT_EQ(windowTitleFor(once, "Bay Search"),
              "Quillmark - v 1.30 - Search Order Management Console  -  BAY SEARCH");
    EXPECT_EQ(kDesignedCaption.size(), 52);
}

} // namespace
} // namespace qm
