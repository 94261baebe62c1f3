#pragma once
// Pending orders for the queue tests, written to a real Pending.fil under the lock.

#include "order.h"

#include <QDate>
#include <string>
#include <vector>

namespace qm::test {

struct PendingSpec {
    std::string number;
    QDate due;
    std::string town = "SPRINGFIELD";
    std::string searcher;
    std::string type = "R.2 Owner";
    std::string muni;
    std::string titleCompany = "First Title";
    std::string customer;
    std::string address1 = "12 Oak St";
    std::string address2;
    bool billed = false;
};

inline DateTime dayOf(const QDate& day) {
    return {day.year(), day.month(), day.day(), 0, 0, 0};
}

inline OrderRecord pendingRecord(const PendingSpec& s) {
    OrderRecord r(OrderFile::Pending);
    r.set(OrderField::EnteredAt, Field::ofDate({2024, 3, 1, 14, 5, 0}));
    r.setText(OrderField::FileNumber, s.number);
    r.setText(OrderField::TitleCompany, s.titleCompany);
    r.setText(OrderField::Customer, s.customer);
    r.setText(OrderField::PropertyAddress1, s.address1);
    r.setText(OrderField::PropertyAddress2, s.address2);
    r.setText(OrderField::Town, s.town);
    r.setText(OrderField::CurrentOwner, "J. Smith");
    r.setText(OrderField::SearchType, s.type);
    r.setText(OrderField::MuniSearch, s.muni);
    r.setDueDate({dayOf(s.due), s.billed});
    r.setText(OrderField::Searcher, s.searcher);
    r.setText(OrderField::EnteredBy, "clerk");
    r.set(OrderField::BaseFee, Field::ofCurrency(150));
    r.set(OrderField::MuniFee, Field::ofCurrency(35.5));
    return r;
}

// Replaces Pending.fil with these orders, in this order.
inline bool writePending(const std::string& folder, const std::vector<OrderRecord>& orders) {
    auto lock = DataLock::acquire(folder);
    return lock && rewriteOrderFile(*lock, OrderFile::Pending, orders);
}

inline bool writePending(const std::string& folder, const std::vector<PendingSpec>& specs) {
    std::vector<OrderRecord> orders;
    for (const PendingSpec& s : specs)
        orders.push_back(pendingRecord(s));
    return writePending(folder, orders);
}

inline OrderTable tableOf(const std::vector<PendingSpec>& specs) {
    std::string bytes;
    for (const PendingSpec& s : specs)
        bytes += pendingRecord(s).encode();
    auto table = parseOrderTable(OrderFile::Pending, bytes, "Pending.fil");
    return table ? std::move(*table) : OrderTable();
}

} // namespace qm::test
