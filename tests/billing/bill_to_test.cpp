// The bill-to look-up: which directory entry a key finds, overrides, and the override to store.
#include "bill_to.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using test::TempFolder;

const std::vector<std::string> kCompanies = {
    // Holds both parts of "Title Co - Boston" and sorts first: the old rule took it.
    "Best Title Co _ 1 First St _  _ Boston, MA 02101 _  _ (617) 555-0101 _ b@best.example _ ",
    "Title Co _ 2 Second St _ Suite 5 _ Boston, MA 02102 _  _ (617) 555-0102 _ t@tc.example _ V-9",
    "Title Co _ 3 Third St _  _ Boston Heights, MA 02103 _  _ (617) 555-0103 _ h@tc.example _ ",
};
const std::vector<std::string> kAttorneys = {
    "Smith & Jones _ Ann Smith _ 5 Elm St _ Floor 2 _ Springfield, MA 01101 _  _ fax _ "
    "a@sj.example",
    "Lee _ Lee _ 9 Oak Ave _  _ Worcester, MA 01601 _  _ fax _ lee@example",
};

std::array<QString, 4> texts(const BillToBoxes& boxes) {
    return {boxes[0].text, boxes[1].text, boxes[2].text, boxes[3].text};
}

TEST(BillTo, TheEntryNamedByTheKeyComesFirst) {
    const auto companies = DirectoryLookup::fromLines(DirectoryKind::Companies, kCompanies);
    const auto attorneys = DirectoryLookup::fromLines(DirectoryKind::Attorneys, kAttorneys);
    struct Case {
        QString key;
        std::array<QString, 4> boxes;
    };
    const Case cases[] = {
        {"Title Co - Boston", {"Title Co", "2 Second St, Suite 5", "Boston, MA 02102", ""}},
        {"Title Co - Boston Heights", {"Title Co", "3 Third St", "Boston Heights, MA 02103", ""}},
        // No entry carries this pick-list text: the first row holding both parts.
        {"Co - Boston", {"Best Title Co", "1 First St", "Boston, MA 02101", ""}},
        {"Smith & Jones - Ann Smith",
         {"Smith & Jones", "5 Elm St, Floor 2", "Springfield, MA 01101", ""}},
        {"Lee - Lee", {"Lee", "9 Oak Ave", "Worcester, MA 01601", ""}},
        {"Nobody - Nowhere", {}},
        {"no joint", {}},
    };
    for (const Case& c : cases) {
        const BillToResult r = billToFor(c.key, companies, attorneys, std::nullopt);
        EXPECT_EQ(texts(r.boxes), c.boxes) << c.key.toStdString();
        EXPECT_EQ(r.found, !c.boxes[0].isEmpty()) << c.key.toStdString();
        for (const BillToBox& box : r.boxes)
            EXPECT_EQ(box.text, box.directoryValue);
    }
}

TEST(BillTo, OverrideMatchesTheKeyAndUnderscoreAndTheLastOneWins) {
    TempFolder folder;
    auto put = [&](const std::string& name, const std::vector<std::string>& lines) {
        std::string bytes;
        for (const std::string& l : lines)
            bytes += l + "\r\n";
        test::put(folder.file(name), bytes);
    };
    put("Companies.lst", kCompanies);
    // No Attorneys.lst and, at first, no Billing.adr: both are simply empty.
    auto plain = lookUpBillTo(folder.path(), "Title Co - Boston");
    ASSERT_TRUE(plain) << plain.error().describe();
    EXPECT_TRUE(plain->found);
    EXPECT_FALSE(plain->isOverride);
    auto noAttorney = lookUpBillTo(folder.path(), "Smith & Jones - Ann Smith");
    ASSERT_TRUE(noAttorney);
    EXPECT_FALSE(noAttorney->found);

    put("Billing.adr", {"Title Co - Boston_Old Name_Old St_Old City_",
                        "Title Co - Boston_Billing Dept_PO Box 7_Boston, MA_Attn: A_P",
                        "Title Co - Boston Heights_Heights Name_H St_H City_"});
    struct Case {
        QString key;
        std::array<QString, 4> shown;
        bool isOverride;
    };
    const Case cases[] = {
        {"Title Co - Boston", {"Billing Dept", "PO Box 7", "Boston, MA", "Attn: A_P"}, true},
        {"Title Co - Boston Heights", {"Heights Name", "H St", "H City", ""}, true},
        // An override is only shown for a key found in the directory.
        {"Title Co - Bost", {"Best Title Co", "1 First St", "Boston, MA 02101", ""}, false},
    };
    for (const Case& c : cases) {
        auto r = lookUpBillTo(folder.path(), c.key);
        ASSERT_TRUE(r) << r.error().describe();
        EXPECT_EQ(texts(r->boxes), c.shown) << c.key.toStdString();
        EXPECT_EQ(r->isOverride, c.isOverride) << c.key.toStdString();
    }
    auto r = lookUpBillTo(folder.path(), "Title Co - Boston");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->boxes[0].directoryValue, "Title Co");
}

TEST(BillTo, OverrideIsStoredWhenEditedAndNotAlreadyWinning) {
    BillToBoxes directory;
    const std::array<QString, 3> values = {"Title Co", "2 Second St", "Boston, MA"};
    for (size_t i = 0; i < 3; ++i)
        directory[i] = {values[i], values[i]};
    BillToBoxes edited = directory;
    edited[0].text = "Accounts_Payable";
    edited[3].text = "Attn: A_P";
    const BillTo winning{{"Accounts-Payable", "2 Second St", "Boston, MA", "Attn: A_P"}};
    const BillTo older{{"Someone", "2 Second St", "Boston, MA", ""}};

    struct Case {
        const char* what;
        BillToBoxes boxes;
        std::optional<BillTo> current;
        std::optional<std::string> stored;
    };
    const std::string line = "Title Co - Boston_Accounts-Payable_2 Second St_Boston, MA_Attn: A_P";
    const Case cases[] = {
        {"nothing edited", directory, std::nullopt, std::nullopt},
        {"nothing edited, an override shown", directory, older, std::nullopt},
        {"edited", edited, std::nullopt, line},
        {"edited, the same override already wins", edited, winning, std::nullopt},
        {"edited, an older different override wins", edited, older, line},
    };
    for (const Case& c : cases)
        EXPECT_EQ(overrideLineToStore("Title Co - Boston", c.boxes, c.current), c.stored) << c.what;
}

} // namespace
} // namespace qm
