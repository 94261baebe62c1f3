#include "close_order.h"
#include "fee_box.h"

#include "data_lock.h"
#include "pending_orders.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using test::PendingFields;

const QDate kDue(2024, 3, 15);
const DateTime kBilledAt{2024, 3, 4, 9, 5, 0};
const DateTime kNow{2024, 3, 20, 16, 45, 30};
const std::string kUser = "jo ann q";
const std::string kLater = formatLogEntry({2024, 3, 6, 11, 0, 0}, "called owner", "ab");

struct Folder {
    test::TempFolder temp;
    std::string path(OrderFile file) const { return temp.file(orderFileName(file)); }
    std::string bytes(OrderFile file) const { return test::contentOf(path(file)); }
    void write(OrderFile file, const std::vector<OrderRecord>& records) const {
        auto lock = DataLock::acquire(temp.path());
        ASSERT_TRUE(lock);
        ASSERT_TRUE(rewriteOrderFile(*lock, file, records));
    }
};

std::string encoded(const std::vector<OrderRecord>& records) {
    std::string bytes;
    for (const OrderRecord& r : records)
        bytes += r.encode();
    return bytes;
}

OrderRecord pending(const std::string& number, const std::string& base = "150") {
    return test::pendingRecord(PendingFields(number, kDue).charged(base, "35.5"));
}

// The pending record and its copy as BILL leaves them.
OrderRecord billedPending(const OrderRecord& order) {
    OrderRecord billed = order;
    billed.setDueDate({test::dayOf(kDue), true});
    billed.setText(OrderField::NotesLog,
                   order.text(OrderField::NotesLog) + billingNoteLine(kBilledAt, kUser));
    return billed;
}

OrderRecord billedCopy(const OrderRecord& order, const std::string& copyCosts) {
    OrderRecord copy = billedPending(order).movedTo(OrderFile::Completed);
    copy.set(OrderField::CompletedAt, order.field(OrderField::EnteredAt));
    copy.set(OrderField::CopyCosts, Field::ofMoney(*Money::fromStored(copyCosts)));
    return copy;
}

TEST(BillOrder, MarksThePendingRecordAndAppendsOneCopy) {
    Folder f;
    const OrderRecord a = pending("F-1"), b = pending("F-2");
    f.write(OrderFile::Pending, {a, b});
    f.write(OrderFile::Completed, {pending("F-0").movedTo(OrderFile::Completed)});
    const std::string completedBefore = f.bytes(OrderFile::Completed);

    auto billed = billOrder(f.temp.path(), "F-2", {"150.00", "35.50", "12.5"}, kBilledAt, kUser);
    ASSERT_TRUE(billed) << billed.error().describe();
    EXPECT_EQ(*billed, BillResult::Billed);
    EXPECT_EQ(f.bytes(OrderFile::Pending), encoded({a, billedPending(b)}));
    EXPECT_EQ(f.bytes(OrderFile::Completed), completedBefore + billedCopy(b, "12.5").encode());
    EXPECT_EQ(billingNoteLine(kBilledAt, kUser),
              "\r\n03/04 09:05  Bill in advance pending completion [jaq]");

    // A second BILL, from here or another workstation, finds the mark in the file.
    const std::string pendingAfter = f.bytes(OrderFile::Pending);
    const std::string completedAfter = f.bytes(OrderFile::Completed);
    auto again = billOrder(f.temp.path(), "F-2", {"150.00", "35.50", "1"}, kNow, kUser);
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, BillResult::AlreadyBilled);
    EXPECT_EQ(f.bytes(OrderFile::Pending), pendingAfter);
    EXPECT_EQ(f.bytes(OrderFile::Completed), completedAfter);
}

TEST(CloseOrder, UnbilledOrderBecomesACompletedRecordWithTheTypedFees) {
    Folder f;
    const OrderRecord a = pending("F-1"), b = pending("F-2");
    f.write(OrderFile::Pending, {a, b});

    auto closed = closeOrder(f.temp.path(), "F-1", {"150", "25", "12.5"}, kNow);
    ASSERT_TRUE(closed) << closed.error().describe();
    EXPECT_EQ(*closed, CloseResult::Closed);
    OrderRecord expected = a.movedTo(OrderFile::Completed);
    expected.set(OrderField::BaseFee, Field::ofMoney(Money::fromDollars(150)));
    expected.set(OrderField::MuniFee, Field::ofMoney(Money::fromDollars(25)));
    expected.set(OrderField::CompletedAt, Field::ofDate(kNow));
    expected.set(OrderField::CopyCosts, Field::ofMoney(*Money::fromStored("12.5")));
    EXPECT_EQ(f.bytes(OrderFile::Completed), expected.encode());
    EXPECT_EQ(f.bytes(OrderFile::Pending), b.encode());
}

TEST(CloseOrder, UntouchedFeeBoxWritesTheStoredAmountBack) {
    Folder f;
    const OrderRecord a = pending("F-1", "150.125");
    f.write(OrderFile::Pending, {a});
    ASSERT_TRUE(closeOrder(f.temp.path(), "F-1", {"150.13", "35.50", ""}, kNow));
    auto done = readOrderRecords(f.temp.path(), OrderFile::Completed);
    ASSERT_TRUE(done);
    ASSERT_EQ(done->size(), 1u);
    EXPECT_EQ(done->front().text(OrderField::BaseFee), "150.125");
    EXPECT_EQ(done->front().text(OrderField::MuniFee), "35.5");
    EXPECT_EQ(done->front().text(OrderField::CopyCosts), "0");
}

TEST(FeeTexts, OnlyPlainAmountsAreAccepted) {
    const Field stored = Field::ofMoney(*Money::fromStored("150.125"));
    struct Case {
        std::string text;
        std::optional<std::string> written;
    } cases[] = {
        {"150.13", "150.125"}, {"150.125", "150.125"},
        {"150.10", "150.1"},   {"", "0"},
        {"  ", "0"},           {"0", "0"},
        {" 12.5 ", "12.5"},    {"1,250.00", {}},
        {"$150", {}},          {"12.5O", {}},
        {"1e3", {}},           {"-", {}},
    };
    for (const Case& c : cases) {
        auto field = feeBoxField(c.text, stored);
        ASSERT_EQ(field.has_value(), c.written.has_value()) << c.text;
        if (field) {
            EXPECT_EQ(field->text, *c.written) << c.text;
        }
    }
    auto refused = refusedFee({"150.00", "25", "$3"});
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->box, FeeBox::Copy);
    EXPECT_FALSE(refusedFee({"150.00", "", " 3 "}));
}

TEST(CloseOrder, RefusedAmountOrMissingOrderWritesNothing) {
    Folder f;
    f.write(OrderFile::Pending, {pending("F-1")});
    const std::string before = f.bytes(OrderFile::Pending);
    EXPECT_FALSE(closeOrder(f.temp.path(), "F-1", {"1,250.00", "25", ""}, kNow));
    EXPECT_FALSE(billOrder(f.temp.path(), "F-1", {"150.00", "25", "12.5O"}, kNow, kUser));
    auto gone = closeOrder(f.temp.path(), "F-9", {"150", "25", ""}, kNow);
    ASSERT_TRUE(gone);
    EXPECT_EQ(*gone, CloseResult::NotPending);
    auto goneBill = billOrder(f.temp.path(), "F-9", {"150", "25", "1"}, kNow, kUser);
    ASSERT_TRUE(goneBill);
    EXPECT_EQ(*goneBill, BillResult::NotPending);
    EXPECT_EQ(f.bytes(OrderFile::Pending), before);
    EXPECT_EQ(f.bytes(OrderFile::Completed), "<missing>");
}

// A billed order, with a note posted after billing, closed wherever its copy now lives.
TEST(CloseOrder, BilledOrderFinalisesItsCopyWhereverItLives) {
    for (const std::optional<OrderFile> location :
         {std::optional(OrderFile::Completed), std::optional(OrderFile::Archives),
          std::optional<OrderFile>()}) {
        SCOPED_TRACE(location ? orderFileName(*location) : "nowhere");
        Folder f;
        const OrderRecord order = pending("F-1"), other = pending("F-2");
        OrderRecord billed = billedPending(order);
        billed.setText(OrderField::NotesLog, billed.text(OrderField::NotesLog) + kLater);
        f.write(OrderFile::Pending, {other, billed});
        const OrderRecord copy = billedCopy(order, "7");
        const OrderRecord neighbour = pending("F-0").movedTo(OrderFile::Completed);
        if (location)
            f.write(*location, {neighbour.movedTo(*location), copy.movedTo(*location)});

        // Fees typed at closing are not used for a copy.
        auto closed = closeOrder(f.temp.path(), "F-1", {"999", "999", ""}, kNow);
        ASSERT_TRUE(closed) << closed.error().describe();
        EXPECT_EQ(f.bytes(OrderFile::Pending), other.encode());

        OrderRecord finished = location ? copy.movedTo(*location) : OrderRecord(OrderFile::Pending);
        if (location) {
            EXPECT_EQ(*closed, CloseResult::CopyFinalised);
            finished.setText(OrderField::NotesLog, billed.text(OrderField::NotesLog));
        } else {
            EXPECT_EQ(*closed, CloseResult::Closed);
            finished = billed.movedTo(OrderFile::Completed);
            finished.set(OrderField::BaseFee, Field::ofMoney(Money::fromDollars(999)));
            finished.set(OrderField::MuniFee, Field::ofMoney(Money::fromDollars(999)));
            finished.set(OrderField::CopyCosts, Field::ofMoney(Money()));
        }
        finished.setDueDate({test::dayOf(kDue), false});
        finished.set(OrderField::CompletedAt, Field::ofDate(kNow));
        const OrderFile at = location.value_or(OrderFile::Completed);
        const std::string before = location ? neighbour.movedTo(at).encode() : std::string();
        EXPECT_EQ(f.bytes(at), before + finished.encode());
    }
}

// A run cut short after the completed record (or the finalised copy) reached the disk: the same
// command run again ends where an uninterrupted run ends.
TEST(CloseOrder, RepeatAfterACrashFinishesWithoutASecondRecord) {
    enum class Command { Bill, CloseUnbilled, CloseBilled };
    for (Command command : {Command::Bill, Command::CloseUnbilled, Command::CloseBilled}) {
        SCOPED_TRACE(static_cast<int>(command));
        const OrderRecord order = pending("F-1");
        std::vector<OrderRecord> start = {pending("F-2"), order};
        std::vector<OrderRecord> copies;
        if (command == Command::CloseBilled) {
            start.back() = billedPending(order);
            copies.push_back(billedCopy(order, "3"));
        }
        // The repeat runs later, so that nothing it writes anew can pass for the first run's.
        auto run = [&](const Folder& f, int laterHours) -> bool {
            const FeeTexts fees{"150.00", "35.50", "4"};
            if (command == Command::Bill) {
                DateTime at = kBilledAt;
                at.hour += laterHours;
                auto r = billOrder(f.temp.path(), "F-1", fees, at, kUser);
                return r && *r != BillResult::NotPending;
            }
            DateTime at = kNow;
            at.hour += laterHours;
            auto r = closeOrder(f.temp.path(), "F-1", fees, at);
            return r && *r != CloseResult::NotPending;
        };

        Folder clean;
        clean.write(OrderFile::Pending, start);
        clean.write(OrderFile::Completed, copies);
        ASSERT_TRUE(run(clean, 0));

        // The crash: the completed file written, Pending.fil not yet rewritten.
        Folder crashed;
        crashed.write(OrderFile::Pending, start);
        test::put(crashed.path(OrderFile::Completed), clean.bytes(OrderFile::Completed));
        ASSERT_TRUE(run(crashed, 1));
        EXPECT_EQ(crashed.bytes(OrderFile::Pending), clean.bytes(OrderFile::Pending));
        EXPECT_EQ(crashed.bytes(OrderFile::Completed), clean.bytes(OrderFile::Completed));
    }
}

} // namespace
} // namespace qm
