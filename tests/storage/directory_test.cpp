#include "config.h"
#include "directory_files.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using test::contentOf;
using test::fixture;
using test::TempFolder;

TEST(Directory, EmptyOptionalFieldsLeaveTwoBlanksBetweenSeparators) {
    const DirectoryFields company = {
        "Acme Title Co",  "100 State St",        "", "Springfield, MA 01103", "",
        "(413) 555-0101", "orders@acme.example", ""};
    const std::string line = joinDirectoryLine(company);
    EXPECT_EQ(line, "Acme Title Co _ 100 State St _  _ Springfield, MA 01103 _  _ (413) 555-0101 "
                    "_ orders@acme.example _ ");
    EXPECT_EQ(splitDirectoryLine(line), company);
    EXPECT_EQ(directorySeparatorCount(line), 7u);
    EXPECT_EQ(splitLines(fixture("companies-empty-optional-fields.lst")).front(), line);
}

TEST(Directory, SplittingOddLines) {
    const struct {
        const char* name;
        const char* line;
        DirectoryFields fields;
        size_t separators;
    } cases[] = {
        {"attorney without firm",
         "Ann Cole _ Ann Cole _ 1 A St _  _ Lee, MA _  _ f _ e",
         {"Ann Cole", "Ann Cole", "1 A St", "", "Lee, MA", "", "f", "e"},
         7},
        {"too few separators", "A _ B", {"A", "B", "", "", "", "", "", ""}, 1},
        {"empty line", "", {"", "", "", "", "", "", "", ""}, 0},
        {"last separator without its blank",
         "A _ B _ C _ D _ E _ F _ G _",
         {"A", "B", "C", "D", "E", "F", "G", ""},
         7},
        {"underscore without blanks", "A_B _ C", {"", "", "C", "", "", "", "", ""}, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitDirectoryLine(c.line), c.fields) << c.name;
        EXPECT_EQ(directorySeparatorCount(c.line), c.separators) << c.name;
    }
}

TEST(Directory, LinesSplitOnEveryLineEndForm) {
    EXPECT_EQ(splitLines("a\r\nb\nc\r\n\r\nd"), (std::vector<std::string>{"a", "b", "c", "", "d"}));
    EXPECT_TRUE(splitLines("").empty());
}

class DirectoryFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        test::put(folder.file("Attorneys.lst"), "A _ 1\r\nB _ 2\r\nA _ 1\r\nC _ 3\r\n");
        auto acquired = DataLock::acquire(folder.path());
        ASSERT_TRUE(acquired);
        lock.emplace(std::move(acquired).value());
    }
    TempFolder folder;
    std::optional<DataLock> lock;
};

TEST_F(DirectoryFiles, RemoveDropsEveryEqualLineAndNothingElse) {
    ASSERT_TRUE(removeDirectoryEntry(*lock, DirectoryKind::Attorneys, "A _ 1"));
    EXPECT_EQ(contentOf(folder.file("Attorneys.lst")), "B _ 2\r\nC _ 3\r\n");
    ASSERT_TRUE(removeDirectoryEntry(*lock, DirectoryKind::Attorneys, "c _ 3"));
    EXPECT_EQ(contentOf(folder.file("Attorneys.lst")), "B _ 2\r\nC _ 3\r\n");
    EXPECT_FALSE(fileExists(folder.file("Attorneys.new")));
}

TEST_F(DirectoryFiles, ReplaceAndAppend) {
    ASSERT_TRUE(replaceAttorneyEntry(*lock, "A _ 1", "A _ 9"));
    ASSERT_TRUE(appendDirectoryEntry(*lock, DirectoryKind::Attorneys, "D _ 4"));
    EXPECT_EQ(contentOf(folder.file("Attorneys.lst")),
              "A _ 9\r\nB _ 2\r\nA _ 9\r\nC _ 3\r\nD _ 4\r\n");
    auto lines = readDirectoryFile(*lock, DirectoryKind::Attorneys);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->size(), 5u);
    auto missing = readDirectoryFileUnlocked(folder.path(), DirectoryKind::Searchers);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().kind, ErrorKind::FileNotFound);
}

TEST_F(DirectoryFiles, FeeScheduleIsWrittenInRowOrderWithoutEmptyCodes) {
    ASSERT_TRUE(writeFeeSchedule(
        *lock,
        {{" R.Full ", 150}, {"  ", 20}, {"M.Water", 0.5}, {"C.Copy", 0}, {"R-2 Ownr", 1234}}));
    EXPECT_EQ(contentOf(folder.file("Services.dat")), fixture("services-fee-forms.dat"));
    auto entries = readFeeSchedule(folder.path());
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 4u);
    EXPECT_TRUE((*entries)[1].isMunicipal());
    EXPECT_EQ((*entries)[1].wholeDollars(), 0);
    EXPECT_EQ((*entries)[0].wholeDollars(), 150);
}

TEST(CustomRates, WriteReadAndDeleteWhenEmpty) {
    TempFolder folder;
    ASSERT_TRUE(prepareWorkspace(folder.path()));
    ASSERT_TRUE(writeCustomRates(folder.path(), "Baker & Lane", {{"R.Full", 125}, {"M.Water", 0}}));
    const std::string path = folder.file("customrates/Baker & Lane.rte");
    EXPECT_EQ(contentOf(path), "\"R.Full\",\"125.00\"\r\n");
    auto rates = readCustomRates(folder.path(), "Baker & Lane");
    ASSERT_TRUE(rates);
    ASSERT_EQ(rates->size(), 1u);
    EXPECT_EQ(rates->front().wholeDollars(), 125);

    ASSERT_TRUE(writeCustomRates(folder.path(), "Baker & Lane", {{"R.Full", 0}}));
    EXPECT_FALSE(fileExists(path));
    auto none = readCustomRates(folder.path(), "Baker & Lane");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
}

TEST(CustomRates, NamesThatWouldLeaveTheFolderAreRefused) {
    TempFolder folder;
    const std::string refused[] = {"", ".", "..", "../Pending", "a/b", std::string("a\0b", 3)};
    for (const std::string& name : refused) {
        auto path = customRatePath(folder.path(), name);
        ASSERT_FALSE(path) << name;
        EXPECT_EQ(path.error().kind, ErrorKind::BadName);
        EXPECT_FALSE(writeCustomRates(folder.path(), name, {{"R.Full", 1}}));
        EXPECT_FALSE(readCustomRates(folder.path(), name));
    }
    EXPECT_TRUE(customRatePath(folder.path(), "..Acme"));
}

TEST(BillingOverride, LastMatchingLineWinsAndTheRestIsLineFour) {
    const std::string bytes = fixture("billing-two-overrides.adr");
    const struct {
        const char* key;
        std::optional<std::array<std::string, 4>> lines;
    } cases[] = {
        {"Acme Title Co", {{"Acme Title Company", "AP Dept", "PO Box 12", "Springfield_MA_01101"}}},
        {"Baker & Lane", {{"Baker & Lane LLP", "Attn: Billing", "5 Elm St", ""}}},
        {"Acme", {{"Acme Title Company", "AP Dept", "PO Box 12", "Springfield_MA_01101"}}},
        {"Bay Title", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto found = findBillingOverrideIn(bytes, c.key);
        ASSERT_EQ(found.has_value(), c.lines.has_value()) << c.key;
        if (found) {
            EXPECT_EQ(found->lines, *c.lines) << c.key;
        }
    }
}

TEST(BillingOverride, AddEndsAnOpenLastLineAndAMissingFileHoldsNone) {
    TempFolder folder;
    auto none = findBillingOverride(folder.path(), "Acme");
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->has_value());
    test::put(folder.file("Billing.adr"), "Acme_A_B_C_"); // edited by hand, no line end
    ASSERT_TRUE(addBillingOverride(folder.path(), "Acme_X_B_C_"));
    EXPECT_EQ(contentOf(folder.file("Billing.adr")), "Acme_A_B_C_\r\nAcme_X_B_C_\r\n");
    auto found = findBillingOverride(folder.path(), "Acme");
    ASSERT_TRUE(found && found->has_value());
    EXPECT_EQ((*found)->lines[0], "X");
}

} // namespace
} // namespace qm
