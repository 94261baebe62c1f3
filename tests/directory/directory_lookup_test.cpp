#include "directory_lookup.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

namespace qm {
namespace {

const DirectoryKind kCompanies = DirectoryKind::Companies;
const DirectoryKind kAttorneys = DirectoryKind::Attorneys;
const DirectoryKind kSearchers = DirectoryKind::Searchers;

class DataFolder : public ::testing::Test {
  protected:
    std::string path() const { return dir.path().toStdString() + "/"; }
    void put(DirectoryKind kind, const std::string& bytes) const {
        std::ofstream(path() + directoryFileName(kind), std::ios::binary) << bytes;
    }
    QTemporaryDir dir;
};

TEST_F(DataFolder, RowsSortIgnoringCaseAndKeepFileOrderForEqualOnes) {
    put(kCompanies, "beta _ 2\r\nAlpha _ 1\r\nBETA _ 3\r\nCaf\xe9 Title _ 4\r\n");
    auto lookup = DirectoryLookup::load(path(), kCompanies);
    ASSERT_TRUE(lookup.ok()) << lookup.error().describe();
    EXPECT_EQ(lookup->rows(), (QStringList{"Alpha _ 1", "beta _ 2", "BETA _ 3",
                                           QString::fromUtf8("Café Title _ 4")}));
    EXPECT_EQ(lookup->entryAt(3)->fields[0], QString::fromUtf8("Café Title"));
    EXPECT_FALSE(lookup->entryAt(4));
    EXPECT_FALSE(lookup->entryAt(-1));
}

TEST_F(DataFolder, MissingFileIsAnEmptyDirectoryButMissingFolderFails) {
    auto lookup = DirectoryLookup::load(path(), kSearchers);
    ASSERT_TRUE(lookup.ok());
    EXPECT_TRUE(lookup->rows().isEmpty());
    EXPECT_FALSE(DirectoryLookup::load(path() + "gone/", kSearchers).ok());
}

TEST_F(DataFolder, LoadsUnderALockTheCallerHolds) {
    put(kSearchers, "Sam _  _  _  _  _ 555 _ Sprint _ s@x\r\n");
    auto lock = DataLock::acquire(path());
    ASSERT_TRUE(lock.ok());
    auto lookup = DirectoryLookup::load(*lock, kSearchers);
    ASSERT_TRUE(lookup.ok());
    EXPECT_EQ(lookup->rows().size(), 1);
}

TEST(DirectoryBoxes, EmptyFieldsShowTheirPlaceholders) {
    const struct {
        const char* name;
        DirectoryKind kind;
        QString line;
        DirectoryBoxes boxes;
    } cases[] = {
        {"company without optional fields",
         kCompanies,
         "Acme _ 1 Main St _  _ Hartford, CT _  _ (860) 555-0101 _ a@acme _ ",
         {"Acme", "1 Main St", "< titleco address 2 >", "Hartford, CT", "< titleco phone >",
          "(860) 555-0101", "a@acme", "< vendor number >"}},
        {"attorney without firm",
         kAttorneys,
         "Ann Cole _ Ann Cole _ 1 A St _  _ Lee, MA _  _ f _ e",
         {"< attorney firm name >", "Ann Cole", "1 A St", "< attorney address 2 >", "Lee, MA",
          "< attorney phone >", "f", "e"}},
        {"attorney with firm",
         kAttorneys,
         "Cole LLP _ Ann Cole _ 1 A St _ Fl 2 _ Lee, MA _ p _ f _ e",
         {"Cole LLP", "Ann Cole", "1 A St", "Fl 2", "Lee, MA", "p", "f", "e"}},
        {"short searcher line",
         kSearchers,
         "Sam",
         {"Sam", "< searcher address 1 >", "< searcher address 2 >", "< searcher city state zip >",
          "< searcher phone >", "< searcher cell >", "< searcher cell carrier >",
          "< searcher email >"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(boxesOfLine(c.kind, c.line), c.boxes) << c.name;
}

TEST(DirectoryBoxes, LineWrittenBackIsTheLineRead) {
    // REMOVE then ADD without changes writes the same line again.
    const struct {
        DirectoryKind kind;
        QString line;
    } cases[] = {
        {kCompanies, "Acme _ 1 Main St _  _ Hartford, CT _  _ (860) 555-0101 _ a@acme _ "},
        {kAttorneys, "Ann Cole _ Ann Cole _ 1 A St _  _ Lee, MA _  _ f _ e"},
        {kSearchers, "Sam _  _  _  _  _ 555 _ Sprint _ s@x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(directoryLineOf(c.kind, boxesOfLine(c.kind, c.line)), c.line)
            << c.line.toStdString();
        EXPECT_TRUE(isEntryComplete(c.kind, boxesOfLine(c.kind, c.line))) << c.line.toStdString();
    }
    EXPECT_FALSE(isEntryComplete(kSearchers, placeholderBoxes(kSearchers)));
    DirectoryBoxes noEmail = boxesOfLine(kSearchers, "Sam _  _  _  _  _ 555 _ Sprint _ s@x");
    noEmail[7].clear();
    EXPECT_FALSE(isEntryComplete(kSearchers, noEmail));
}

TEST(DirectoryBoxes, RefusedCharacters) {
    const struct {
        int box;
        const char* typed;
        bool refused;
    } cases[] = {
        {1, "_", true},  {8, "_", true},  {1, "/", true},  {2, "\\", true},
        {2, "{", true},  {1, "|", true},  {3, "/", false}, {3, "?", false},
        {1, "&", false}, {1, "-", false}, {2, ",", false}, {7, "*", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isRefusedCharacter(c.box, QLatin1Char(c.typed[0])), c.refused)
            << "box " << c.box << " '" << c.typed << "'";
    EXPECT_EQ(withoutRefusedCharacters(1, "A/B_C <D>"), "ABC D");
    EXPECT_EQ(withoutRefusedCharacters(3, "A/B_C <D>"), "A/BC <D>");
}

TEST(DirectoryLookupRows, PickItemFindsTheFirstRowHoldingBothParts) {
    const DirectoryLookup companies = DirectoryLookup::fromLines(
        kCompanies, {"Acme Title _ 1 Elm _  _ Salem, MA _  _ f1 _ e1 _ ",
                     "Acme _ 2 Oak _  _ Salem, MA _  _ f2 _ e2 _ ",
                     "Acme _ 3 Pine _  _ Hartford, CT _  _ f3 _ e3 _ ",
                     "Beacon _ 4 Salem Rd _  _ Boston, MA _  _ f4 _ e4 _ "});
    const struct {
        const char* item;
        const char* address; // box 2 of the entry found, empty when none is
    } cases[] = {
        {"Acme - Salem", "2 Oak"}, // "Acme _" sorts before "Acme Title"
        {"Acme - Hartford", "3 Pine"},
        {"Acme Title - Salem", "1 Elm"},
        {"Beacon - Salem", "4 Salem Rd"}, // the city is found anywhere in the row
        {"acme - Salem", ""},             // case counts
        {"Acme - Boston", ""},
        {"Acme", ""}, // no joint
        {"Beacon - ", "4 Salem Rd"},
    };
    for (const auto& c : cases) {
        const auto entry = companies.findPickItem(c.item);
        EXPECT_EQ(entry ? entry->fields[1] : QString(), QString::fromUtf8(c.address)) << c.item;
    }
}

TEST(DirectoryLookupRows, SearchersByNameWithinOrAtTheStart) {
    const DirectoryLookup searchers =
        DirectoryLookup::fromLines(kSearchers, {"Bob Hale _  _  _  _  _ 1 _ Sprint _ b@x",
                                                "Al Bob _  _  _  _  _ 2 _ AT&T _ a@x"});
    EXPECT_EQ(searchers.firstRowContaining("Bob"), 0);
    EXPECT_EQ(searchers.firstRowBeginningWith("Bob"), 1);
    EXPECT_EQ(searchers.firstRowBeginningWith(""), -1);
    EXPECT_EQ(searchers.firstRowContaining("Zed"), -1);
}

TEST(DirectoryDuplicates, RulesOfEachKind) {
    const QStringList companies = {"Acme Title _ 1 Elm _  _ Salem, MA _  _ f _ e _ "};
    const QStringList attorneys = {"Cole LLP _ Ann Cole _ 1 A St _  _ Lee, MA _  _ f _ e",
                                   "Ben Fox _ Ben Fox _ 2 B St _  _ Lee, MA _  _ f _ e"};
    const QStringList searchers = {"Sam Hill _  _  _  _  _ 1 _ Sprint _ s@x"};
    const struct {
        const char* name;
        DirectoryKind kind;
        QStringList lines;
        DirectoryBoxes boxes;
        bool duplicate;
    } cases[] = {
        {"same firm and city", kCompanies, companies, {"Acme Title", "", "", "Salem, MA"}, true},
        {"name begins an existing one", kCompanies, companies, {"Acme", "", "", "Salem, CT"}, true},
        {"other city", kCompanies, companies, {"Acme Title", "", "", "Lynn, MA"}, false},
        {"no comma never duplicates",
         kCompanies,
         companies,
         {"Acme Title", "", "", "Salem"},
         false},
        {"case counts", kCompanies, companies, {"ACME Title", "", "", "Salem, MA"}, false},
        {"firm and attorney", kAttorneys, attorneys, {"Cole LLP", "Ann Cole"}, true},
        {"same firm, other attorney", kAttorneys, attorneys, {"Cole LLP", "Al Cole"}, false},
        {"no firm: name as field 1",
         kAttorneys,
         attorneys,
         {"< attorney firm name >", "Ben Fox"},
         true},
        {"name only at the start", kAttorneys, {"Ann _ x"}, {"", "Ann"}, false},
        {"searcher prefix", kSearchers, searchers, {"Sam"}, true},
        {"searcher inside", kSearchers, searchers, {"Hill"}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isDuplicateEntry(c.kind, c.boxes, c.lines), c.duplicate) << c.name;
}

} // namespace
} // namespace qm
