#pragma once
// Archived orders for the archives browser tests, written to a real Archives.fil.

#include "archive_logic.h"
#include "pending_orders.h"

#include <string>
#include <vector>

namespace qm::test {

// A billed order: the pending fields, closed on 3/20/2024 16:45, on statement 2404-01 of
// 04/02/2024, fees 150 and 35.5, no copy costs, unless changed.
inline OrderRecord archivedRecord(const PendingFields& s) {
    OrderRecord r = pendingRecord(s).movedTo(OrderFile::Archives);
    r.set(OrderField::CompletedAt, Field::ofDate({2024, 3, 20, 16, 45, 0}));
    r.set(OrderField::CopyCosts, Field::ofMoney(Money()));
    r.setText(OrderField::StatementNumber, "2404-01");
    r.setText(OrderField::StatementDate, "04/02/2024");
    return r;
}

inline void setFees(OrderRecord& r, const char* base, const char* muni, const char* copies) {
    r.set(OrderField::BaseFee, {FieldKind::Number, base});
    r.set(OrderField::MuniFee, {FieldKind::Number, muni});
    r.set(OrderField::CopyCosts, {FieldKind::Number, copies});
}

inline std::string encodeAll(const std::vector<OrderRecord>& records) {
    std::string bytes;
    for (const OrderRecord& r : records)
        bytes += r.encode();
    return bytes;
}

// Replaces Archives.fil with these orders, in this order.
inline bool writeArchives(const std::string& folder, const std::vector<OrderRecord>& records) {
    auto lock = DataLock::acquire(folder);
    return lock && rewriteOrderFile(*lock, OrderFile::Archives, records);
}

// The archive line of one record, read back from its encoded bytes.
inline std::string lineOf(const OrderRecord& r) {
    const std::string bytes = r.encode();
    auto table = readRecords(bytes, orderFieldCount(OrderFile::Archives), "Archives.fil");
    return table ? archiveLine(*table, 0) : std::string("<does not read>");
}

} // namespace qm::test
