#include "config.h"
#include "data_check.h"
#include "order.h"
#include "test_support.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::fixture;
using test::put;
using test::TempFolder;

// A sound folder: the fixtures plus the completed copy of the order billed in advance.
void writeSoundFolder(const std::string& folder) {
    put(folder + "Pending.fil",
        fixture("pending-three-line-note.fil") + fixture("pending-edited-billed-in-advance.fil"));
    auto pending =
        parseOrderTable(OrderFile::Pending, fixture("pending-edited-billed-in-advance.fil"), "p");
    OrderRecord copy = pending->record(1).movedTo(OrderFile::Completed);
    copy.set(OrderField::CompletedAt, Field::ofDate({2026, 12, 1, 10, 0, 0}));
    put(folder + "Completed.fil", fixture("completed-fractional-fees.fil") + copy.encode());
    put(folder + "Archives.fil", fixture("archives-statement.fil"));
    put(folder + "Companies.lst", fixture("companies-empty-optional-fields.lst"));
    put(folder + "Attorneys.lst", "Baker & Lane _ Ann Cole _ 1 A St _  _ Lee, MA 01238 _  _ f _ "
                                  "a@b.example\r\n");
    put(folder + "Searchers.lst",
        "Tom Reed _  _  _  _  _ (413) 555-0111 _ Verizon _ t@r.example\r\n"
        "Ann Quill _ 2 B St _  _  _  _ (413) 555-0112 _ T-Mobile _ "
        "a@q.example\r\n");
    put(folder + "Services.dat", fixture("services-fee-forms.dat"));
    put(folder + "Billing.adr", fixture("billing-two-overrides.adr"));
    (void)prepareWorkspace(folder);
    put(folder + "customrates/Baker & Lane.rte", "\"R.Full\",\"125.00\"\r\n");
}

void replaceIn(const std::string& path, const std::string& from, const std::string& to) {
    std::string bytes = test::contentOf(path);
    const size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    bytes.replace(at, from.size(), to);
    put(path, bytes);
}

void appendTo(const std::string& path, const std::string& bytes) {
    put(path, test::contentOf(path) + bytes);
}

TEST(DataCheck, SoundFolderHasNoProblem) {
    TempFolder folder;
    writeSoundFolder(folder.path());
    const DataReport report = checkDataFolder(folder.path());
    for (const auto& p : report.problems)
        ADD_FAILURE() << p.describe();
    EXPECT_EQ(report.summary(), "3 pending, 2 completed, 1 archived orders; 0 problems");

    // Nothing creates Billing.adr, so its absence is no problem.
    std::filesystem::remove(folder.file("Billing.adr"));
    EXPECT_TRUE(checkDataFolder(folder.path()).clean());
}

TEST(DataCheck, EachDefectOfABrokenCopyIsReported) {
    const struct {
        const char* name;
        std::function<void(const std::string&)> breakIt;
        const char* reported;
    } cases[] = {
        {"missing file", [](auto& d) { std::filesystem::remove(d + "Searchers.lst"); },
         "Searchers.lst: the file is missing"},
        {"leftover temporary file", [](auto& d) { put(d + "Pending.new", "x"); },
         "Pending.new: a temporary file was left"},
        {"file ends inside a record",
         [](auto& d) { appendTo(d + "Archives.fil", "\"QM9\",1\r\n"); },
         "Archives.fil, record 2: the file ends inside the record"},
        {"wrong field kind", [](auto& d) { replaceIn(d + "Archives.fil", ",150,", ",\"150\","); },
         "Archives.fil, record 1: BaseFee is not a number"},
        {"number used twice",
         [](auto& d) { appendTo(d + "Archives.fil", test::contentOf(d + "Archives.fil")); },
         "Archives.fil, record 2: FileNumber QM00007 is used twice (first in Archives.fil, "
         "record 1)"},
        {"copy billed in advance without its marker",
         [](auto& d) { replaceIn(d + "Completed.fil", "\"12/9/2026*\"", "#2026-12-09#"); },
         "Completed.fil, record 2: FileNumber 4471-B is used twice (first in Pending.fil, "
         "record 3)"},
        {"directory line without eight fields",
         [](auto& d) { appendTo(d + "Companies.lst", "Bay Title _ 2 Bay Rd\r\n"); },
         "Companies.lst, line 3: the line has 2 fields instead of 8"},
        {"unknown carrier", [](auto& d) { replaceIn(d + "Searchers.lst", "Verizon", "Tin Can"); },
         "Searchers.lst, line 1: unknown cell carrier \"Tin Can\""},
        {"fee that is no number",
         [](auto& d) { replaceIn(d + "Services.dat", "\".50\"", "\"half\""); },
         "Services.dat, record 2: the fee \"half\" is not a number"},
        {"missing rates folder", [](auto& d) { std::filesystem::remove_all(d + "customrates"); },
         "customrates: the folder is missing"},
        {"unreadable rate file", [](auto& d) { put(d + "customrates/Acme.rte", "\"R.Full\",\"1"); },
         "customrates/Acme.rte, record 1: quoted text of field 2 is not closed"},
        {"override without four lines",
         [](auto& d) { appendTo(d + "Billing.adr", "Bay Title_Bay_Rd\r\n"); },
         "Billing.adr, line 4: the override has fewer than four bill-to lines"},
        {"missing data folder", [](auto& d) { std::filesystem::remove_all(d); },
         "data folder: the data folder"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        writeSoundFolder(folder.path());
        c.breakIt(folder.path());
        const DataReport report = checkDataFolder(folder.path());
        ASSERT_EQ(report.problems.size(), 1u) << c.name << ": " << report.summary();
        EXPECT_EQ(report.problems[0].describe().rfind(c.reported, 0), 0u)
            << c.name << ": " << report.problems[0].describe();
        EXPECT_NE(report.summary().find("; 1 problem"), std::string::npos);
    }
}

} // namespace
} // namespace qm
