#include "editor_logic.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(EditorLogic, SaveNeedsATownAnAddressAndANumberOnlyWithATitleCompany) {
    const struct {
        const char* name;
        int town;
        const char* address;
        const char* number;
        int titleCompany;
        bool savable;
    } cases[] = {
        {"everything", 1, "1 Elm St", "F-1", 1, true},
        {"no number, no title company", 3, "1 Elm St", "", 0, true},
        {"no number with a title company", 3, "1 Elm St", "", 2, false},
        {"blank number with a title company", 3, "1 Elm St", "   ", 2, false},
        {"no number, empty title company list", 3, "1 Elm St", "", -1, false},
        {"town placeholder", 0, "1 Elm St", "F-1", 0, false},
        {"blank address", 2, "  ", "F-1", 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isSavable(c.town, c.address, c.number, c.titleCompany), c.savable) << c.name;
}

TEST(EditorLogic, AssignAlsoNeedsASearcherAndAService) {
    const struct {
        bool savable;
        int searcher, type, muni;
        bool assignable;
    } cases[] = {
        {true, 1, 1, -1, true}, {true, 1, -1, 2, true},  {true, 1, -1, -1, false},
        {true, 0, 1, 1, false}, {false, 1, 1, 1, false}, {true, 1, 0, 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isAssignable(c.savable, c.searcher, c.type, c.muni), c.assignable)
            << c.searcher << c.type << c.muni;
}

TEST(EditorLogic, RushIsTomorrowOrSooner) {
    const QDate today(2026, 12, 8);
    EXPECT_TRUE(isRush(today.addDays(-3), today));
    EXPECT_TRUE(isRush(today, today));
    EXPECT_TRUE(isRush(today.addDays(1), today));
    EXPECT_FALSE(isRush(today.addDays(2), today));
}

TEST(EditorLogic, NoticeBodyLines) {
    const QDate due(2026, 12, 11);
    const struct {
        const char* name;
        NoticeFields fields;
        const char* body;
    } cases[] = {
        {"type with municipal, instructions",
         {"12 Elm St", "Unit 4", "AGAWAM", "Ann Lee", "R.Full", "M.Lien", due, "call first"},
         "Details ...\r\nAddr: 12 Elm St, Unit 4, AGAWAM\r\nOwnr: Ann Lee\r\n"
         "Type: R.Full w/M.Lien\r\nDue : 12/11/2026\r\n\r\ncall first"},
        {"municipal only, no second line, no instructions",
         {"12 Elm St", "", "AGAWAM", "", "", "M.Lien", due, ""},
         "Details ...\r\nAddr: 12 Elm St, AGAWAM\r\nOwnr: \r\nType: M.Lien\r\nDue : 12/11/2026"},
        {"neither",
         {"12 Elm St", "", "AGAWAM", "Bo", "", "", due, ""},
         "Details ...\r\nAddr: 12 Elm St, AGAWAM\r\nOwnr: Bo\r\nType: unspecified\r\n"
         "Due : 12/11/2026"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(noticeBody(c.fields).toStdString(), c.body) << c.name;
}

TEST(EditorLogic, AttorneyOptionsFollowWhatTheFieldsHold) {
    const AttorneyFields loaded = {"Baker & Lane", "Ann Cole", "1 A St", "", "Lee, MA", "", "", ""};
    const QString recText = "Baker & Lane _ Ann Cole _ 1 A St _  _ Lee, MA _  _  _ ";
    AttorneyFields changedAddress = loaded;
    changedAddress[2] = "9 B St";
    AttorneyFields newPair = loaded;
    newPair[1] = "Bo Reed";
    const struct {
        const char* name;
        AttorneyFields fields;
        QString recText, listText;
        AttorneyOptions expected;
    } cases[] = {
        {"empty fields", {}, "", "< select lawfirm >", {}},
        {"loaded entry unchanged", loaded, recText, "Baker & Lane - Ann Cole", {}},
        {"shown entry changed",
         changedAddress,
         recText,
         "Baker & Lane - Ann Cole",
         {false, false, true, true}},
        {"new pair over a loaded entry",
         newPair,
         recText,
         "Baker & Lane - Ann Cole",
         {true, true, true, false}},
        {"typed new pair", newPair, "", "< select lawfirm >", {true, true, false, false}},
    };
    for (const auto& c : cases) {
        const AttorneyOptions got = attorneyOptionsFor(c.fields, c.recText, c.listText);
        EXPECT_EQ(got.addNewEnabled, c.expected.addNewEnabled) << c.name;
        EXPECT_EQ(got.addNewChecked, c.expected.addNewChecked) << c.name;
        EXPECT_EQ(got.replaceEnabled, c.expected.replaceEnabled) << c.name;
        EXPECT_EQ(got.replaceChecked, c.expected.replaceChecked) << c.name;
    }
}

TEST(EditorLogic, TheAttorneyLineNamesTheAttorneyWhenNoFirmWasTyped) {
    EXPECT_EQ(attorneyLineOf({"", "Ann Cole", "1 A St", "", "Lee, MA", "", "", ""}),
              "Ann Cole _ Ann Cole _ 1 A St _  _ Lee, MA _  _  _ ");
    EXPECT_EQ(attorneyLineOf({"Baker", "Ann Cole", "", "", "", "", "", "a@b"}),
              "Baker _ Ann Cole _  _  _  _  _  _ a@b");
}

} // namespace
} // namespace qm
