#pragma once
// Changing a few records of a large order file: the records are found by their FileNumber
// through the fast scan, and the file is rewritten by copying the bytes of every other record
// as they stand, encoding only the changed ones. Time and memory stay near one copy of the
// file (or far below it when copying straight from the file).

#include "order.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

namespace qm {

// Which file was seen: a splice from the file refuses one that changed since.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;

    bool operator==(const FileStamp&) const = default;
};

// Where a record stands: its index in file order and its bytes in the file (from the end of
// the record before it to the end of its own line).
struct RecordPlace {
    size_t index = 0;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;

    bool operator==(const RecordPlace&) const = default;
};

struct FoundOrder {
    RecordPlace place;
    OrderRecord record;
};

struct FoundOrders {
    OrderFile file = OrderFile::Pending;
    FileStamp stamp;                // the file as it was scanned
    std::vector<FoundOrder> orders; // in file order
};

// Every record of `file` whose FileNumber is `fileNumber`, read under the lock so that what
// is found stays true until the lock is released. A missing file holds none. The records'
// fields are as read; their kinds are not checked.
Result<FoundOrders> findOrders(const DataLock& lock, OrderFile file, std::string_view fileNumber);

// Changes to an order file, by record index: a replacement, or nullopt to drop the record;
// then records added at the end. Every record given must be of the file's kind.
struct OrderSplice {
    std::map<size_t, std::optional<OrderRecord>> changes;
    std::vector<OrderRecord> appended;
};

// Rewrites current's file from current's own bytes, which must have been read under this lock.
// Gives the same bytes as rewriteOrderFile with the changed record list, except that records
// left alone keep their bytes even where a hand edit wrote them in another form.
Status spliceOrderFile(const DataLock& lock, const OrderTable& current, const OrderSplice& splice);

// Rewrites found.file copying straight from the file, which must still be the one found; the
// changes may only name records that were found.
Status spliceOrderFile(const DataLock& lock, const FoundOrders& found, const OrderSplice& splice);

} // namespace qm
