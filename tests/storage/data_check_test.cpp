#include "config.h"
#include "data_check.h"
#include "data_check_repair.h"
#include "order.h"
#include "test_support.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>

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

// The first order of a completed or archived file as a record of another order file: the
// pending record it was closed from, for example.
std::string firstOrderAs(const std::string& path, OrderFile as = OrderFile::Pending) {
    const OrderFile file =
        path.ends_with("Archives.fil") ? OrderFile::Archives : OrderFile::Completed;
    auto table = parseOrderTable(file, test::contentOf(path), path);
    return table->record(0).movedTo(as).encode();
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
        const char* summary = "3 pending, 2 completed, 1 archived";
        size_t count = 1;
    } cases[] = {
        {"missing file", [](auto& d) { std::filesystem::remove(d + "Searchers.lst"); },
         "Searchers.lst: the file is missing"},
        {"leftover temporary file", [](auto& d) { put(d + "Pending.new", "x"); },
         "Pending.new: a temporary file was left"},
        {"file ends inside a record",
         [](auto& d) { appendTo(d + "Archives.fil", "\"QM9\",1\r\n"); },
         "Archives.fil, record 2, line 2: the file ends in a record that is not whole (the "
         "line ends after field 2 of 21): 9 bytes from this line on"},
        {"wrong field kind", [](auto& d) { replaceIn(d + "Archives.fil", ",150,", ",\"150\","); },
         "Archives.fil, record 1, line 1: BaseFee is not a number"},
        {"number used twice",
         [](auto& d) { appendTo(d + "Archives.fil", test::contentOf(d + "Archives.fil")); },
         "Archives.fil, record 2, line 2: FileNumber QM00007 is used twice (first in "
         "Archives.fil, record 1)",
         "3 pending, 2 completed, 2 archived"},
        // BILL or CLOSE stopped between the completed record and the rewrite of Pending.fil.
        {"billed order's copy finalised, still pending",
         [](auto& d) { replaceIn(d + "Completed.fil", "\"12/9/2026*\"", "#2026-12-09#"); },
         "Pending.fil, record 3, line 7: FileNumber 4471-B is still pending though it was closed "
         "into Completed.fil, record 2: an interrupted close; CLOSE ORDER on it again only takes "
         "it out of Pending.fil"},
        {"closed into the archive, still pending",
         [](auto& d) { appendTo(d + "Pending.fil", firstOrderAs(d + "Archives.fil")); },
         "Pending.fil, record 4, line 9: FileNumber QM00007 is still pending though it was closed "
         "into Archives.fil, record 1: an interrupted close",
         "4 pending, 2 completed, 1 archived"},
        {"closed, still pending",
         [](auto& d) { appendTo(d + "Pending.fil", firstOrderAs(d + "Completed.fil")); },
         "Pending.fil, record 4, line 9: FileNumber QM00003 is still pending though it was closed "
         "into Completed.fil, record 1: an interrupted close",
         "4 pending, 2 completed, 1 archived"},
        {"billed copy written, pending record not marked",
         [](auto& d) { replaceIn(d + "Pending.fil", "\"12/9/2026*\"", "#2026-12-09#"); },
         "Pending.fil, record 3, line 7: FileNumber 4471-B has its billed copy in Completed.fil, "
         "record 2 but is not marked as billed: an interrupted bill; BILL on it again only marks "
         "it"},
        {"pending and closed twice",
         [](auto& d) {
             appendTo(d + "Pending.fil", firstOrderAs(d + "Completed.fil"));
             appendTo(d + "Completed.fil", firstOrderAs(d + "Completed.fil", OrderFile::Completed));
         },
         "Completed.fil, record 1, line 1: FileNumber QM00003 is used twice (first in "
         "Pending.fil, record 4)",
         "4 pending, 3 completed, 1 archived", 2},
        {"directory line without eight fields",
         [](auto& d) { appendTo(d + "Companies.lst", "Bay Title _ 2 Bay Rd\r\n"); },
         "Companies.lst, line 3: the line has 2 fields instead of 8"},
        {"unknown carrier", [](auto& d) { replaceIn(d + "Searchers.lst", "Verizon", "Tin Can"); },
         "Searchers.lst, line 1: unknown cell carrier \"Tin Can\""},
        {"fee that is no number",
         [](auto& d) { replaceIn(d + "Services.dat", "\".50\"", "\"half\""); },
         "Services.dat, record 2, line 2: the fee \"half\" is not a number"},
        {"missing rates folder", [](auto& d) { std::filesystem::remove_all(d + "customrates"); },
         "customrates: the folder is missing"},
        {"unreadable rate file", [](auto& d) { put(d + "customrates/Acme.rte", "\"R.Full\",\"1"); },
         "customrates/Acme.rte, record 1, line 1: the file ends in a record that is not whole "
         "(the quoted text of field 2 of 2 is not closed)"},
        {"override without four lines",
         [](auto& d) { appendTo(d + "Billing.adr", "Bay Title_Bay_Rd\r\n"); },
         "Billing.adr, line 4: the override has fewer than four bill-to lines"},
        {"missing data folder", [](auto& d) { std::filesystem::remove_all(d); },
         "data folder: the data folder"},
        {"broken record between good ones",
         [](auto& d) { replaceIn(d + "Pending.fil", "\"Mary Roe\"", "\"Mary \"Roe\""); },
         "Pending.fil, record 2, line 5: the record does not read (field 8 of 17 has text after "
         "its closing quote); reading goes on at line 7, 183 bytes further",
         "2 pending"},
        {"empty file number, once",
         [](auto& d) { replaceIn(d + "Completed.fil", "\"QM00003\"", "\"\""); },
         "Completed.fil, record 1, line 1: FileNumber is empty"},
        {"file number across lines",
         [](auto& d) { replaceIn(d + "Completed.fil", "\"QM00003\"", "\"QM0\r\n0003\""); },
         "Completed.fil, record 1, line 1: FileNumber holds a line break"},
        {"text field not quoted",
         [](auto& d) { replaceIn(d + "Completed.fil", "\"LUDLOW\"", "LUDLOW"); },
         "Completed.fil, record 1, line 1: Town is not quoted text"},
        {"date where text belongs",
         [](auto& d) { replaceIn(d + "Completed.fil", "\"Al Poe\"", "#2026-11-02#"); },
         "Completed.fil, record 1, line 1: CurrentOwner is not quoted text"},
        {"NUL byte",
         [](auto& d) { replaceIn(d + "Pending.fil", "Lee Wu", std::string("Lee\0Wu", 6)); },
         "Pending.fil, line 7: a NUL byte"},
        {"LF alone inside a note",
         [](auto& d) { replaceIn(d + "Pending.fil", "\r\n12/07 09:00", "\n12/07 09:00"); },
         "Pending.fil, line 2: a line ends with LF alone instead of CR LF"},
        {"broken record before one with a faulty field",
         [](auto& d) {
             replaceIn(d + "Pending.fil", "\"Mary Roe\"", "\"Mary \"Roe\"");
             replaceIn(d + "Pending.fil", ",150,.5,", ",\"150\",.5,");
         },
         "Pending.fil, record 2, line 5: the record does not read", "2 pending", 2},
        {"CR alone ending a record",
         [](auto& d) {
             replaceIn(d + "Archives.fil", "\"\r\n", "\"\r");
             appendTo(d + "Archives.fil", "#2026-10-01#,\"QM00008\",\"\",\"\",\"\",\"\",\"\",\"\","
                                          "\"\",\"\",#2026-10-03#,\"\",\"\",0,"
                                          "0,\"\",\"\",#2026-10-04#,0,\"S-1\",\"10/31/2026\"\r\n");
         },
         "Archives.fil, line 1: a line ends with CR alone instead of CR LF",
         "3 pending, 2 completed, 2 archived"},
        {"UTF-8 text",
         [](auto& d) { replaceIn(d + "Searchers.lst", "Tom Reed", "Tom R\xc3\xa9\x65\x64"); },
         "Searchers.lst, line 1: a character is written in UTF-8 (\"\xc3\xa9\") where the files "
         "hold Windows-1252"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        writeSoundFolder(folder.path());
        c.breakIt(folder.path());
        const DataReport report = checkDataFolder(folder.path());
        ASSERT_EQ(report.problems.size(), c.count) << c.name << ": " << report.summary();
        EXPECT_EQ(report.problems[0].describe().rfind(c.reported, 0), 0u)
            << c.name << ": " << report.problems[0].describe();
        EXPECT_NE(report.summary().find("; " + std::to_string(c.count) + " problem"),
                  std::string::npos);
        if (c.reported != std::string("data folder: the data folder")) {
            EXPECT_EQ(report.summary().rfind(c.summary, 0), 0u)
                << c.name << ": " << report.summary();
        }
    }
}

std::string withNumber(std::string record, const std::string& from, const std::string& to) {
    record.replace(record.find(from), from.size(), to);
    return record;
}

size_t lineEnds(const std::string& bytes) {
    size_t n = 0;
    for (size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2))
        ++n;
    return n;
}

// A record cut by a failed append, alone at the end or with the next order appended onto it.
struct TornCase {
    OrderFile file;
    std::string sound; // whole records before the torn one
    std::string torn;  // the whole record that was being appended
    std::string next;  // a whole record appended after the failure
};

std::vector<TornCase> tornCases() {
    const std::string note = fixture("pending-three-line-note.fil");
    const std::string edited = fixture("pending-edited-billed-in-advance.fil");
    const std::string completed = fixture("completed-fractional-fees.fil");
    const std::string archived = fixture("archives-statement.fil");
    return {
        // A note spanning lines; the next order begins with a quoted EnteredAt.
        {OrderFile::Pending, note + edited, withNumber(note, "QM00012", "QM00020"),
         withNumber(edited.substr(0, edited.find("#2026-11-28#")), "QM00012m", "QM00021")},
        // The record ends in a bare number, which a cut shortens into another number.
        {OrderFile::Completed, completed, withNumber(completed, "QM00003", "QM00030"),
         withNumber(completed, "QM00003", "QM00031")},
        {OrderFile::Archives, archived, withNumber(archived, "QM00007", "QM00070"),
         withNumber(archived, "QM00007", "QM00071")},
    };
}

TEST(DataCheck, ARecordCutAtAnyByteIsFoundAndOnlyItsBytesAreSetAside) {
    for (const TornCase& c : tornCases()) {
        const size_t soundRecords = scanOrderFile(c.file, c.sound).records.size();
        for (size_t cut = 1; cut < c.torn.size(); ++cut) {
            for (bool appended : {false, true}) {
                const std::string part = c.torn.substr(0, cut);
                const std::string bytes = c.sound + part + (appended ? c.next : "");
                const std::string where = std::string(orderFileName(c.file)) + " cut at " +
                                          std::to_string(cut) + (appended ? " + next" : "");
                const RecordScan scan = scanOrderFile(c.file, bytes);
                for (const ScannedRecord& r : scan.records)
                    EXPECT_TRUE(r.problems.empty()) << where << ": " << r.problems.front();
                if (appended && cut == c.torn.size() - 1) {
                    // Only the LF is missing: every field is whole and the next record reads.
                    EXPECT_TRUE(scan.unreadable.empty()) << where;
                    EXPECT_EQ(scan.records.size(), soundRecords + 2) << where;
                    const auto bytesFound = checkTextBytes(bytes);
                    ASSERT_EQ(bytesFound.size(), 1u) << where;
                    EXPECT_EQ(bytesFound[0].message, "a line ends with CR alone instead of CR LF");
                    continue;
                }
                ASSERT_EQ(scan.unreadable.size(), 1u) << where;
                EXPECT_EQ(scan.unreadable[0].record, static_cast<long>(soundRecords + 1)) << where;
                EXPECT_EQ(scan.unreadable[0].line, static_cast<long>(lineEnds(c.sound) + 1))
                    << where;
                EXPECT_EQ(unreadableBytes(bytes, scan), part) << where;
                EXPECT_EQ(readableBytes(bytes, scan), c.sound + (appended ? c.next : "")) << where;
                EXPECT_EQ(scan.records.size(), soundRecords + (appended ? 1 : 0)) << where;
            }
        }
    }
}

std::string sideFiles(const std::string& folder) {
    std::string names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().find(".torn-") != std::string::npos)
            names += entry.path().filename().string() + " ";
    return names;
}

TEST(DataCheck, RepairMovesTheTornBytesBesideTheFileAndLeavesAFileThatReads) {
    const TornCase c = tornCases()[0];
    const std::string part = c.torn.substr(0, 200);
    const struct {
        const char* name;
        std::string pending;
        bool sideFileTaken;
        std::string moved;
        std::string sideFile;
    } cases[] = {
        {"torn tail", c.sound + part, false, part, "Pending.fil.torn-20261208-120000"},
        {"merged append", c.sound + part + c.next, false, part, "Pending.fil.torn-20261208-120000"},
        {"side file name taken", c.sound + part, true, part, "Pending.fil.torn-20261208-120000-2"},
        {"nothing to move", c.sound + c.next, false, "", ""},
    };
    for (const auto& k : cases) {
        TempFolder folder;
        writeSoundFolder(folder.path());
        put(folder.file("Pending.fil"), k.pending);
        if (k.sideFileTaken)
            put(folder.file("Pending.fil.torn-20261208-120000"), "earlier");
        ASSERT_EQ(checkDataFolder(folder.path()).clean(), k.moved.empty()) << k.name;

        auto moved = moveUnreadableOrderBytes(folder.path(), "20261208-120000");
        ASSERT_TRUE(moved) << k.name << ": " << moved.error().describe();
        if (k.moved.empty()) {
            EXPECT_TRUE(moved->empty()) << k.name;
            EXPECT_EQ(test::contentOf(folder.file("Pending.fil")), k.pending) << k.name;
            EXPECT_EQ(sideFiles(folder.path()), "") << k.name;
            continue;
        }
        ASSERT_EQ(moved->size(), 1u) << k.name;
        EXPECT_EQ((*moved)[0].describe(),
                  "Pending.fil: moved 200 bytes from record 4 (line 9) to " + k.sideFile)
            << k.name;
        EXPECT_EQ(test::contentOf(folder.file(k.sideFile)), k.moved) << k.name;
        EXPECT_EQ(test::contentOf(folder.file("Pending.fil")),
                  k.pending.substr(0, c.sound.size()) + k.pending.substr(c.sound.size() + 200))
            << k.name;
        if (k.sideFileTaken) {
            EXPECT_EQ(test::contentOf(folder.file("Pending.fil.torn-20261208-120000")), "earlier");
        }
        EXPECT_TRUE(readOrderFile(folder.path(), OrderFile::Pending)) << k.name;
        const DataReport after = checkDataFolder(folder.path());
        for (const auto& p : after.problems)
            ADD_FAILURE() << k.name << ": " << p.describe();
    }
}

// The checker as a user runs it: exit status 0 sound, 1 problems, 2 wrong use.
TEST(DataCheck, CheckerProgramExitStatus) {
    auto run = [](const std::string& arguments, std::string* out = nullptr) {
        const std::string command = std::string(QM_CHECK_PROGRAM) + " " + arguments + " 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        std::string text;
        char buffer[512];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            text.append(buffer, n);
        const int status = ::pclose(pipe);
        if (out)
            *out = text;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    TempFolder folder;
    writeSoundFolder(folder.path());
    EXPECT_EQ(run(folder.path()), 0);
    EXPECT_EQ(run(""), 2);
    EXPECT_EQ(run("--repair"), 2);
    EXPECT_EQ(run("--fix " + folder.path()), 2);

    const TornCase c = tornCases()[1];
    appendTo(folder.file("Completed.fil"), c.torn.substr(0, 50) + c.next);
    std::string text;
    EXPECT_EQ(run(folder.path(), &text), 1);
    EXPECT_NE(text.find("Completed.fil, record 3, line 4: the record does not read"),
              std::string::npos)
        << text;
    EXPECT_EQ(run("--repair " + folder.path(), &text), 0) << text;
    EXPECT_EQ(text.rfind("Completed.fil: moved 50 bytes from record 3 (line 4) to "
                         "Completed.fil.torn-",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("3 pending, 3 completed, 1 archived orders; 0 problems"), std::string::npos)
        << text;
}

TEST(DataCheck, ByteFaultsAreCountedOnceWithTheirFirstLine) {
    const struct {
        std::string bytes;
        std::vector<std::string> found; // "line: message"
    } cases[] = {
        {"plain\r\ntext\r\n", {}},
        // Windows-1252 letters and punctuation that are no UTF-8 sequence.
        {"caf\xe9 \x93quoted\x94 \xc3 \xe2\x80 \xc0\x80 \xed\xa0\x80\r\n", {}},
        {std::string("a\r\nb\0c\0\r\n\0", 10), {"2: 3 NUL bytes from this line on"}},
        {"a\nb\r\nc\n", {"1: 2 line ends are LF alone instead of CR LF from this line on"}},
        {"a\r\nb\rc\r", {"2: a line ends with CR alone instead of CR LF"}},
        {"a\r\nJos\xc3\xa9 \xe2\x80\x99s \xf0\x9f\x8f\xa0\r\n",
         {"2: 3 characters are written in UTF-8 from this line on (\"\xc3\xa9\" first) where "
          "the files hold Windows-1252"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> found;
        for (const ByteProblem& p : checkTextBytes(c.bytes))
            found.push_back(std::to_string(p.line) + ": " + p.message);
        EXPECT_EQ(found, c.found) << c.bytes;
    }
}

} // namespace
} // namespace qm
