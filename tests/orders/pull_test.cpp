// Pulling an order for editing: its recovery copy, the reservation of its number, and putting a
// recovered order back.

#include "order_store.h"

#include "store_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qm {
namespace {

using namespace ordertest;
using test::contentOf;
using test::TempFolder;

const std::string kUser = "jo";

Result<std::optional<PulledOrder>> pull(const TempFolder& data, const TempFolder& program,
                                        const std::string& number) {
    return pullOrder(data.path(), number, kUser, kNow, recoveryFolderOf(program.path(), kUser));
}

std::vector<Reservation> reservations(const TempFolder& data) {
    auto read = readReservations(data.path());
    EXPECT_TRUE(read) << read.error().describe();
    return read ? *read : std::vector<Reservation>();
}

TEST(OrderPull, TakesTheFirstRecordWithTheNumberAndKeepsItsCopyAndReservation) {
    TempFolder data, program;
    const OrderRecord first = orderNumbered(OrderFile::Pending, "P1");
    const OrderRecord pulledOne = orderNumbered(OrderFile::Pending, "P2");
    OrderRecord sameNumber = orderNumbered(OrderFile::Pending, "P2");
    sameNumber.setText(OrderField::CurrentOwner, "SECOND OF TWO");
    const OrderRecord third = orderNumbered(OrderFile::Pending, "P3");
    put(data.path(), OrderFile::Pending, {first, pulledOne, sameNumber, third});

    auto absent = pull(data, program, "p2");
    ASSERT_TRUE(absent);
    EXPECT_FALSE(*absent);
    EXPECT_FALSE(fileExists(data.file(kReservationsFileName)));

    auto pulled = pull(data, program, "P2");
    ASSERT_TRUE(pulled) << pulled.error().describe();
    ASSERT_TRUE(*pulled);
    EXPECT_EQ((*pulled)->order.encode(), pulledOne.encode());
    EXPECT_EQ(contentOf(data.file("Pending.fil")),
              first.encode() + sameNumber.encode() + third.encode());
    EXPECT_EQ(readRecovery((*pulled)->recoveryCopy).value()->encode(), pulledOne.encode());
    const std::string host = holderHere(kUser).host;
    EXPECT_EQ(contentOf(data.file(kReservationsFileName)),
              "\"P2\",\"jo\",\"" + host + "\",#2026-12-08 09:30:00#\r\n");
}

TEST(OrderPull, NoCopyMeansNoPull) {
    TempFolder data;
    const OrderRecord order = orderNumbered(OrderFile::Pending, "P1");
    put(data.path(), OrderFile::Pending, {order});
    const std::string before = contentOf(data.file("Pending.fil"));
    // A copy folder that cannot be made: below a file.
    auto pulled = pullOrder(data.path(), "P1", kUser, kNow, data.file("Pending.fil") + "/r/");
    EXPECT_FALSE(pulled);
    EXPECT_EQ(contentOf(data.file("Pending.fil")), before);
    EXPECT_TRUE(reservations(data).empty());
}

TEST(OrderPull, FileNamesOfCopiesHoldAnyNumberAndNeverReplaceOneAnother) {
    const struct {
        const char* number;
        const char* name;
    } names[] = {
        {"QM00012", "QM00012"}, {"A/B 1", "A%2FB%201"},   {"..", "%2E%2E"},
        {"50%", "50%25"},       {"\xE9t\xE9", "%E9t%E9"}, {"", ""},
    };
    for (const auto& n : names)
        EXPECT_EQ(fileNameSafe(n.number), n.name) << n.number;

    TempFolder program;
    EXPECT_EQ(recoveryFolderOf(program.path(), "jo/../x"),
              program.path() + "recovery/jo%2F%2E%2E%2Fx/");
    const std::string folder = recoveryFolderOf(program.path(), "jo");
    std::vector<std::string> written;
    for (const char* number : {"A/B 1", "A/B 1", ".."}) {
        auto path = writeNewRecovery(folder, orderNumbered(OrderFile::Pending, number));
        ASSERT_TRUE(path) << path.error().describe();
        written.push_back(*path);
    }
    EXPECT_EQ(written,
              (std::vector<std::string>{folder + "A%2FB%201.fil", folder + "A%2FB%201~2.fil",
                                        folder + "%2E%2E.fil"}));
    test::put(legacyRecoveryPath(program.path(), "jo"), "");
    auto listed = recoveryCopies(program.path(), "jo");
    ASSERT_TRUE(listed);
    EXPECT_EQ(*listed, (std::vector<std::string>{legacyRecoveryPath(program.path(), "jo"),
                                                 written[2], written[0], written[1]}));
    EXPECT_EQ(readRecovery(written[1]).value()->text(OrderField::FileNumber), "A/B 1");
}

// Another process saves while this one holds a pulled order: it can neither generate nor take
// the pulled order's number, and only the puller's own save-back is let through.
TEST(OrderPull, APulledNumberIsUsedForOtherProcessesUntilSavedBack) {
    TempFolder data, program;
    put(data.path(), OrderFile::Pending,
        {orderNumbered(OrderFile::Pending, "QM00003"),
         orderNumbered(OrderFile::Pending, "QM00012")});
    auto pulled = pull(data, program, "QM00012");
    ASSERT_TRUE(pulled && *pulled);

    const struct {
        const char* name;
        const char* number;
        const char* user;
        const char* releasing;
        const char* saved; // nullptr: refused for the reservation
    } others[] = {
        {"generated", "", "bo", "", "QM00013"},
        {"typed", "QM00012", "bo", "", nullptr},
        {"another user's save-back", "QM00012", "bo", "QM00012", nullptr},
        {"same user, not a save-back", "QM00012", "jo", "", nullptr},
    };
    for (const auto& c : others) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            auto outcome = saveAs(data.path(), draftNumbered(c.number), c.user, c.releasing);
            const bool expected =
                outcome && (c.saved ? !outcome->duplicate && outcome->fileNumber == c.saved
                                    : outcome->duplicate && outcome->reservedBy &&
                                          outcome->reservedBy->holder.logOnName == kUser);
            _exit(expected ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.name;
    }
    ASSERT_EQ(reservations(data).size(), 1u);

    auto back = saveAs(data.path(), draftNumbered("QM00012"), kUser, "QM00012");
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->duplicate);
    EXPECT_TRUE(reservations(data).empty());
    auto numbers = allFileNumbers(data.path());
    ASSERT_TRUE(numbers);
    EXPECT_EQ(*numbers, (std::vector<std::string>{"QM00003", "QM00013", "QM00012"}));
}

TEST(OrderPull, DeletingAPulledOrderReleasesItsNumberAndRemovesTheCopy) {
    TempFolder data, program;
    put(data.path(), OrderFile::Pending, {orderNumbered(OrderFile::Pending, "QM00012")});
    auto pulled = pull(data, program, "QM00012");
    ASSERT_TRUE(pulled && *pulled);
    ASSERT_TRUE(dropPulledOrder(data.path(), "QM00012", kUser, (*pulled)->recoveryCopy));
    EXPECT_TRUE(reservations(data).empty());
    EXPECT_FALSE(fileExists((*pulled)->recoveryCopy));
    auto generated = save(data.path(), draftNumbered(""));
    ASSERT_TRUE(generated);
    EXPECT_EQ(generated->fileNumber, "QM00001"); // numbers of deleted orders are reused
}

TEST(OrderPull, ARecoveredOrderGoesBackUnderItsNumberOrTheNextOne) {
    using Kind = RestoreOutcome::Kind;
    const OrderRecord recovered = orderNumbered(OrderFile::Pending, "QM00012", "M.Water");
    const OrderRecord holder = orderNumbered(OrderFile::Completed, "QM00012");
    const struct {
        const char* name;
        std::vector<OrderRecord> pending, completed;
        const char* otherPuller; // holds a reservation of the number
        PutBack how;
        Kind kind;
        const char* number;
        bool appended;
    } cases[] = {
        {"free", {}, {}, nullptr, PutBack::UnderItsNumber, Kind::PutBack, "QM00012", true},
        {"taken",
         {},
         {holder},
         nullptr,
         PutBack::UnderItsNumber,
         Kind::NumberTaken,
         "QM00013",
         false},
        {"taken, new number",
         {},
         {holder},
         nullptr,
         PutBack::UnderNewNumber,
         Kind::PutBack,
         "QM00013",
         true},
        {"pulled elsewhere",
         {},
         {},
         "bo",
         PutBack::UnderItsNumber,
         Kind::NumberTaken,
         "QM00013",
         false},
        {"pull cut short before the rewrite",
         {recovered},
         {},
         nullptr,
         PutBack::UnderItsNumber,
         Kind::AlreadyThere,
         "QM00012",
         false},
        {"free, new number asked",
         {},
         {},
         nullptr,
         PutBack::UnderNewNumber,
         Kind::PutBack,
         "QM00012",
         true},
    };
    for (const auto& c : cases) {
        TempFolder data;
        put(data.path(), OrderFile::Pending, c.pending);
        put(data.path(), OrderFile::Completed, c.completed);
        {
            auto lock = DataLock::acquire(data.path());
            ASSERT_TRUE(lock);
            ASSERT_TRUE(reserveNumber(*lock, {"QM00012", holderHere(kUser), kNow}));
            if (c.otherPuller) {
                ASSERT_TRUE(reserveNumber(*lock, {"QM00012", {c.otherPuller, "desk-9"}, kNow}));
            }
        }
        const std::string before = contentOf(data.file("Pending.fil"));
        auto outcome = restoreRecovered(data.path(), recovered, kUser, c.how);
        ASSERT_TRUE(outcome) << c.name << ": " << outcome.error().describe();
        EXPECT_EQ(outcome->kind, c.kind) << c.name;
        EXPECT_EQ(outcome->fileNumber, c.number) << c.name;
        EXPECT_EQ(outcome->reservedBy.has_value(), c.otherPuller != nullptr) << c.name;
        OrderRecord appended = recovered;
        appended.setText(OrderField::FileNumber, c.number);
        EXPECT_EQ(contentOf(data.file("Pending.fil")),
                  c.appended ? before + appended.encode() : before)
            << c.name;
        // Only this user's reservation goes, and only once the order is back.
        const size_t left = (c.kind == Kind::NumberTaken ? 1u : 0u) + (c.otherPuller ? 1u : 0u);
        EXPECT_EQ(reservations(data).size(), left) << c.name;
    }
}

} // namespace
} // namespace qm
