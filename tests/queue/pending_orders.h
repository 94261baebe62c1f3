#pragma once
// Pending orders for the queue tests, written to a real Pending.fil under the lock.

#include "order.h"

#include <QDate>
#include <string>
#include <vector>

namespace qm::test {

// One pending order: PendingFields("F-1", due).in("AGAWAM").by("Ann*").types("", "M.Lien").
struct PendingFields {
    PendingFields(std::string fileNumber, QDate dueDate)
        : number(std::move(fileNumber)), due(dueDate) {}
    PendingFields& in(std::string t) { return town = std::move(t), *this; }
    PendingFields& by(std::string s) { return searcher = std::move(s), *this; }
    PendingFields& types(std::string t, std::string m) {
        type = std::move(t);
        muni = std::move(m);
        return *this;
    }
    PendingFields& from(std::string company, std::string attorney) {
        titleCompany = std::move(company);
        customer = std::move(attorney);
        return *this;
    }
    PendingFields& at(std::string first, std::string second = {}) {
        address1 = std::move(first);
        address2 = std::move(second);
        return *this;
    }
    PendingFields& billedInAdvance() { return billed = true, *this; }

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

inline OrderRecord pendingRecord(const PendingFields& s) {
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
    r.set(OrderField::BaseFee, Field::ofMoney(Money::fromDollars(150)));
    r.set(OrderField::MuniFee, Field::ofMoney(*Money::fromStored("35.5")));
    return r;
}

// Replaces Pending.fil with these orders, in this order.
inline bool writePending(const std::string& folder, const std::vector<OrderRecord>& orders) {
    auto lock = DataLock::acquire(folder);
    return lock && rewriteOrderFile(*lock, OrderFile::Pending, orders);
}

inline bool writePending(const std::string& folder, const std::vector<PendingFields>& fieldSets) {
    std::vector<OrderRecord> orders;
    for (const PendingFields& s : fieldSets)
        orders.push_back(pendingRecord(s));
    return writePending(folder, orders);
}

inline OrderTable tableOf(const std::vector<PendingFields>& fieldSets) {
    std::string bytes;
    for (const PendingFields& s : fieldSets)
        bytes += pendingRecord(s).encode();
    auto table = parseOrderTable(OrderFile::Pending, bytes, "Pending.fil");
    return table ? std::move(*table) : OrderTable();
}

} // namespace qm::test
