#pragma once
// Completed orders for the billing tests: Completed("QM00001").by("Acme - Boston").fee("150")...

#include "completed_rows.h"
#include "order.h"

#include <string>
#include <vector>

namespace qm::test {

struct Completed {
    explicit Completed(std::string fileNumber) : number(std::move(fileNumber)) {}
    Completed& by(std::string company, std::string attorney = {}) {
        titleCompany = std::move(company);
        customer = std::move(attorney);
        return *this;
    }
    Completed& on(DateTime when) { return completedAt = when, *this; }
    // CompletedAt as quoted text, as an edited order's EnteredAt copied by billing in advance.
    Completed& onAsText(DateTime when) { return completedAt = when, asText = true, *this; }
    Completed& types(std::string t, std::string m) {
        type = std::move(t);
        muni = std::move(m);
        return *this;
    }
    Completed& fees(std::string base, std::string muni2 = "0", std::string copyCosts = "0") {
        baseFee = std::move(base);
        muniFee = std::move(muni2);
        copies = std::move(copyCosts);
        return *this;
    }
    Completed& at(std::string first, std::string second = {}, std::string t = "SPRINGFIELD") {
        address1 = std::move(first);
        address2 = std::move(second);
        town = std::move(t);
        return *this;
    }
    Completed& billedInAdvance() { return billed = true, *this; }

    std::string number;
    std::string titleCompany = "Acme Title - Boston";
    std::string customer;
    DateTime completedAt{2026, 3, 5, 14, 7, 0};
    bool asText = false;
    std::string type = "R.Full";
    std::string muni;
    std::string baseFee = "150";
    std::string muniFee = "0";
    std::string copies = "0";
    std::string address1 = "12 Oak St";
    std::string address2;
    std::string town = "SPRINGFIELD";
    bool billed = false;
};

inline OrderRecord completedRecord(const Completed& c) {
    OrderRecord r(OrderFile::Completed);
    r.set(OrderField::EnteredAt, Field::ofDate({2026, 3, 1, 9, 0, 0}));
    r.setText(OrderField::FileNumber, c.number);
    r.setText(OrderField::TitleCompany, c.titleCompany);
    r.setText(OrderField::Customer, c.customer);
    r.setText(OrderField::PropertyAddress1, c.address1);
    r.setText(OrderField::PropertyAddress2, c.address2);
    r.setText(OrderField::Town, c.town);
    r.setText(OrderField::CurrentOwner, "J. Owner");
    r.setText(OrderField::SearchType, c.type);
    r.setText(OrderField::MuniSearch, c.muni);
    r.setDueDate({{2026, 3, 10, 0, 0, 0}, c.billed});
    r.setText(OrderField::Searcher, "Sam Searcher*");
    r.setText(OrderField::EnteredBy, "clerk");
    r.set(OrderField::BaseFee, Field{FieldKind::Number, c.baseFee});
    r.set(OrderField::MuniFee, Field{FieldKind::Number, c.muniFee});
    r.set(OrderField::CompletedAt, c.asText ? Field::ofText(formatIsoDateTime(c.completedAt))
                                            : Field::ofDate(c.completedAt));
    r.set(OrderField::CopyCosts, Field{FieldKind::Number, c.copies});
    return r;
}

inline std::string completedBytes(const std::vector<Completed>& orders) {
    std::string bytes;
    for (const Completed& c : orders)
        bytes += completedRecord(c).encode();
    return bytes;
}

// The rows of a Completed.fil holding these orders, read back through the record reader.
inline std::vector<CompletedRow> rowsOf(const std::vector<Completed>& orders) {
    auto table = parseOrderTable(OrderFile::Completed, completedBytes(orders), "Completed.fil");
    if (!table)
        return {};
    auto rows = buildCompletedRows(*table);
    return rows ? std::move(rows).value() : std::vector<CompletedRow>();
}

} // namespace qm::test
