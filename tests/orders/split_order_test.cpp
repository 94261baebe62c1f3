// The number and the starting record of a split order, read from real data folders.

#include "split_order.h"

#include "store_support.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using namespace ordertest;
using test::contentOf;
using test::TempFolder;

// Every order file and every reservation counts; numbers that only begin like a split do not.
TEST(SplitNumber, UsedInAnyOrderFileOrReservedCounts) {
    const std::string base = "ABCDEFGHIJKLMNOP"; // as long as a typed number may be
    TempFolder data;
    put(data.path(), OrderFile::Pending,
        {orderNumbered(OrderFile::Pending, base), orderNumbered(OrderFile::Pending, base + "mA")});
    put(data.path(), OrderFile::Completed, {orderNumbered(OrderFile::Completed, base + "m")});
    put(data.path(), OrderFile::Archives,
        {orderNumbered(OrderFile::Archives, base + "mm"),
         orderNumbered(OrderFile::Archives, base + "M" + "mmm"),
         orderNumbered(OrderFile::Archives, "G-2mm")});
    auto next = nextSplitNumber(data.path(), base);
    ASSERT_TRUE(next) << next.error().describe();
    EXPECT_EQ(*next, base + "mmm");
    next = nextSplitNumber(data.path(), "G-2"); // a gap is taken first
    ASSERT_TRUE(next);
    EXPECT_EQ(*next, "G-2m");

    {
        auto lock = DataLock::acquire(data.path());
        ASSERT_TRUE(lock);
        ASSERT_TRUE(reserveNumber(*lock, {base + "mmm", pullerHere("bo"), kNow}));
    }
    next = nextSplitNumber(data.path(), base);
    ASSERT_TRUE(next);
    EXPECT_EQ(*next, base + "mmmm");
}

TEST(SplitStart, ReadsTheFirstPendingRecordAndWritesNothing) {
    TempFolder data;
    OrderRecord first = orderNumbered(OrderFile::Pending, "F-1", "M.Water");
    first.setText(OrderField::SearchType, "R.Full");
    OrderRecord second = first;
    second.setText(OrderField::CurrentOwner, "SECOND OF TWO");
    put(data.path(), OrderFile::Pending, {orderNumbered(OrderFile::Pending, "F-0"), first, second});
    put(data.path(), OrderFile::Completed, {orderNumbered(OrderFile::Completed, "F-1m")});
    const std::string before = contentOf(data.file("Pending.fil"));

    auto start = startSplit(data.path(), "F-1");
    ASSERT_TRUE(start) << start.error().describe();
    ASSERT_TRUE(*start);
    EXPECT_EQ((*start)->order.encode(), first.encode());
    EXPECT_EQ((*start)->fileNumber, "F-1mm");
    EXPECT_EQ(contentOf(data.file("Pending.fil")), before);
    EXPECT_FALSE(fileExists(data.file(kReservationsFileName)));

    for (const char* gone : {"F-9", "f-1", ""}) {
        auto none = startSplit(data.path(), gone);
        ASSERT_TRUE(none) << gone;
        EXPECT_FALSE(*none) << gone;
    }
    TempFolder empty;
    auto none = startSplit(empty.path(), "F-1"); // no Pending.fil at all
    ASSERT_TRUE(none);
    EXPECT_FALSE(*none);
}

} // namespace
} // namespace qm
