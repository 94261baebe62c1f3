// Generated folders: sound for the checker, of the sizes asked, the same for the same seed, and
// holding the cases the screens must cope with.

#include "data_check.h"
#include "directory_files.h"
#include "files.h"
#include "generator.h"
#include "order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <stdlib.h>
#include <string>
#include <vector>

namespace qm {
namespace {

namespace fs = std::filesystem;

constexpr DateTime kToday{2025, 6, 2, 0, 0, 0};

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "qm-gen-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern + "/" : std::string();
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

GeneratorOptions options(size_t pending, size_t completed, size_t archived,
                         std::uint32_t seed = 7) {
    return {pending, completed, archived, seed, kToday};
}

std::string describe(const DataReport& report) {
    std::string out;
    for (const DataProblem& p : report.problems)
        out += p.describe() + "\n";
    return out;
}

std::map<OrderFile, std::vector<OrderRecord>> readOrders(const std::string& folder) {
    std::map<OrderFile, std::vector<OrderRecord>> out;
    for (OrderFile file : kAllOrderFiles) {
        auto records = readOrderRecords(folder, file);
        EXPECT_TRUE(records.ok()) << orderFileName(file);
        if (records)
            out[file] = std::move(records).value();
    }
    return out;
}

bool billedInAdvance(const OrderRecord& r) {
    const auto due = r.dueDate();
    return due && due->billedInAdvance;
}

// A pending order marked billed whose copy, marked too, is in Completed.fil or Archives.fil.
bool hasBilledInAdvancePair(const std::map<OrderFile, std::vector<OrderRecord>>& orders) {
    std::set<std::string> copies;
    for (OrderFile f : {OrderFile::Completed, OrderFile::Archives})
        for (const OrderRecord& r : orders.at(f))
            if (billedInAdvance(r))
                copies.insert(r.text(OrderField::FileNumber));
    return std::any_of(orders.at(OrderFile::Pending).begin(), orders.at(OrderFile::Pending).end(),
                       [&](const OrderRecord& r) {
                           return billedInAdvance(r) &&
                                  copies.count(r.text(OrderField::FileNumber));
                       });
}

struct SizeCase {
    const char* name;
    size_t pending, completed, archived;
    bool billedPair; // room for the copy of an order billed in advance
};

TEST(Generator, WritesASoundFolderOfTheSizesAsked) {
    const SizeCase cases[] = {
        {"typical", 30, 20, 50, true},
        {"empty", 0, 0, 0, false},
        {"pending only: no room for a billing copy", 5, 0, 0, false},
        {"the only completed order is the billing copy", 1, 1, 0, true},
        {"the copy has to go to the archive", 1, 0, 1, true},
        {"closed files too small for a split", 2, 1, 1, true},
        {"more orders to bill than completed room", 100, 2, 0, true},
        {"closed orders only", 0, 7, 9, false},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        ASSERT_TRUE(generateDataFolder(folder.path(), options(c.pending, c.completed, c.archived)));
        const DataReport report = checkDataFolder(folder.path());
        EXPECT_TRUE(report.clean()) << describe(report);
        EXPECT_EQ(report.pendingOrders, c.pending);
        EXPECT_EQ(report.completedOrders, c.completed);
        EXPECT_EQ(report.archivedOrders, c.archived);
        EXPECT_EQ(hasBilledInAdvancePair(readOrders(folder.path())), c.billedPair);
    }
}

// Every file under the folder, by its path inside it.
std::map<std::string, std::string> filesOf(const std::string& folder) {
    std::map<std::string, std::string> out;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            out[fs::relative(entry.path(), folder).string()] =
                readWholeFile(entry.path().string()).value();
    return out;
}

TEST(Generator, SameSeedGivesTheSameBytes) {
    TempFolder first, second, other;
    ASSERT_TRUE(generateDataFolder(first.path(), options(25, 15, 60, 99)));
    ASSERT_TRUE(generateDataFolder(second.path(), options(25, 15, 60, 99)));
    ASSERT_TRUE(generateDataFolder(other.path(), options(25, 15, 60, 100)));
    const auto a = filesOf(first.path());
    EXPECT_EQ(a.size(), 12u); // 3 order, 3 directory, schedule, overrides, 4 rate files
    EXPECT_TRUE(a == filesOf(second.path()));
    EXPECT_NE(a.at("Pending.fil"), filesOf(other.path()).at("Pending.fil"));
}

TEST(Generator, HoldsTheCasesTheScreensMeet) {
    TempFolder folder;
    ASSERT_TRUE(generateDataFolder(folder.path(), options(40, 30, 200)));
    const auto orders = readOrders(folder.path());
    std::vector<OrderRecord> all;
    for (const auto& [file, records] : orders)
        all.insert(all.end(), records.begin(), records.end());
    std::set<std::string> numbers;
    for (const OrderRecord& r : all)
        numbers.insert(r.text(OrderField::FileNumber));
    const std::vector<OrderRecord>& pending = orders.at(OrderFile::Pending);
    const auto anyOf = [](const std::vector<OrderRecord>& records,
                          const std::function<bool(const OrderRecord&)>& test) {
        return std::any_of(records.begin(), records.end(), test);
    };
    const auto dueIn = [&](int days) {
        return [=](const OrderRecord& r) {
            const auto due = r.dueDate();
            DateTime day = kToday;
            day.day += days; // kToday is mid-month
            return due && due->day == day;
        };
    };
    const auto lines = [](std::string_view log) {
        return std::count(log.begin(), log.end(), '\n');
    };
    const struct {
        const char* name;
        bool holds;
    } cases[] = {
        {"billed in advance pair", hasBilledInAdvancePair(orders)},
        {"split order beside its m half",
         anyOf(all,
               [&](const OrderRecord& r) {
                   return numbers.count(r.text(OrderField::FileNumber) + "m") > 0;
               })},
        {"note of several lines",
         anyOf(all,
               [&](const OrderRecord& r) { return lines(r.text(OrderField::NotesLog)) >= 2; })},
        {"message of several lines",
         anyOf(all,
               [&](const OrderRecord& r) { return lines(r.text(OrderField::MessagesLog)) >= 2; })},
        {"EnteredAt as date literal", anyOf(all,
                                            [](const OrderRecord& r) {
                                                return r.field(OrderField::EnteredAt).kind ==
                                                       FieldKind::Date;
                                            })},
        {"EnteredAt as text",
         anyOf(all,
               [](const OrderRecord& r) {
                   return r.field(OrderField::EnteredAt).kind == FieldKind::Text && r.enteredAt();
               })},
        {"due yesterday", anyOf(pending, dueIn(-1))},
        {"due today", anyOf(pending, dueIn(0))},
        {"due tomorrow", anyOf(pending, dueIn(1))},
        {"due later", anyOf(pending, dueIn(7))},
        {"searcher notified",
         anyOf(pending, [](const OrderRecord& r) { return r.searcherNotified(); })},
        {"searcher chosen, not notified", anyOf(pending,
                                                [](const OrderRecord& r) {
                                                    return !r.searcherName().empty() &&
                                                           !r.searcherNotified();
                                                })},
        {"no searcher",
         anyOf(pending, [](const OrderRecord& r) { return r.searcherName().empty(); })},
        {"customer's own file number",
         anyOf(all,
               [](const OrderRecord& r) {
                   return !r.text(OrderField::FileNumber).starts_with("QM");
               })},
        {"fee with cents",
         anyOf(all,
               [](const OrderRecord& r) {
                   return r.field(OrderField::MuniFee).text.find('.') != std::string::npos ||
                          (r.file() != OrderFile::Pending &&
                           r.field(OrderField::CopyCosts).text.find('.') != std::string::npos);
               })},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(c.holds) << c.name;
}

TEST(Generator, DirectoryAndScheduleCoverEveryKind) {
    TempFolder folder;
    ASSERT_TRUE(generateDataFolder(folder.path(), options(3, 3, 3)));
    const auto searchers = readDirectoryFileUnlocked(folder.path(), DirectoryKind::Searchers);
    const auto attorneys = readDirectoryFileUnlocked(folder.path(), DirectoryKind::Attorneys);
    const auto schedule = readFeeSchedule(folder.path());
    ASSERT_TRUE(searchers && attorneys && schedule);
    std::set<std::string> carriers;
    for (const std::string& line : *searchers)
        carriers.insert(splitDirectoryLine(line)[6]);
    EXPECT_EQ(carriers, (std::set<std::string>{"AT&T", "Sprint", "T-Mobile", "Verizon"}));

    size_t withFirm = 0, withoutFirm = 0;
    for (const std::string& line : *attorneys) {
        const DirectoryFields f = splitDirectoryLine(line);
        ++(f[0] == f[1] ? withoutFirm : withFirm);
    }
    EXPECT_GT(withFirm, 0u);
    EXPECT_GT(withoutFirm, 0u);

    std::set<std::string> prefixes;
    for (const ServiceEntry& e : *schedule)
        prefixes.insert(e.code.substr(0, 2));
    for (const char* prefix : {"R.", "C.", "M."})
        EXPECT_TRUE(prefixes.count(prefix)) << prefix;

    // A second override line for a key replaces the first.
    const std::vector<std::string> overrides =
        splitLines(readWholeFile(folder.path() + kBillingFileName).value());
    ASSERT_FALSE(overrides.empty());
    const std::string key = overrides.front().substr(0, overrides.front().find('_'));
    const auto found = findBillingOverride(folder.path(), key);
    ASSERT_TRUE(found && found->has_value());
    EXPECT_NE(key + "_" + (*found)->lines[0] + "_" + (*found)->lines[1] + "_" + (*found)->lines[2] +
                  "_" + (*found)->lines[3],
              overrides.front());
}

// Generated numbers have five digits: a large folder must not run past QM99999.
TEST(Generator, LargeArchiveKeepsGeneratedNumbersInRange) {
    TempFolder folder;
    ASSERT_TRUE(generateDataFolder(folder.path(), options(0, 0, 150'000)));
    const auto numbers = allFileNumbers(folder.path());
    ASSERT_TRUE(numbers.ok());
    EXPECT_EQ(numbers->size(), 150'000u);
    EXPECT_EQ(std::set<std::string>(numbers->begin(), numbers->end()).size(), numbers->size());
    size_t generated = 0;
    for (const std::string& n : *numbers) {
        if (!n.starts_with("QM"))
            continue;
        ++generated;
        EXPECT_TRUE(n.size() == 7 || (n.size() == 8 && n.back() == 'm')) << n;
    }
    EXPECT_GT(generated, 50'000u);
    EXPECT_LE(nextGeneratedFileNumber(*numbers), "QM99999");
}

TEST(Generator, RefusesADayThatDoesNotExist) {
    TempFolder folder;
    GeneratorOptions o = options(1, 1, 1);
    o.today = {2025, 2, 29, 0, 0, 0};
    EXPECT_FALSE(generateDataFolder(folder.path(), o));
    EXPECT_FALSE(fileExists(folder.path() + "Pending.fil"));
}

} // namespace
} // namespace qm
