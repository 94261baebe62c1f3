#pragma once
// Orders, drafts and saves for the order store tests.

#include "order_store.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace qm::ordertest {

inline const DateTime kNow{2026, 12, 8, 9, 30, 0};

inline OrderRecord orderNumbered(OrderFile file, const std::string& number,
                                 const std::string& muni = "") {
    OrderRecord r(file);
    r.set(OrderField::EnteredAt, Field::ofDate({2026, 11, 2, 8, 15, 0}));
    r.setText(OrderField::FileNumber, number);
    r.setText(OrderField::PropertyAddress1, "12 ELM ST");
    r.setText(OrderField::Town, "WEST SPRINGFIELD");
    r.setText(OrderField::MuniSearch, muni);
    r.setDueDate({{2026, 12, 10}, false});
    return r;
}

inline void put(const std::string& folder, OrderFile file,
                const std::vector<OrderRecord>& records) {
    auto lock = DataLock::acquire(folder);
    ASSERT_TRUE(lock);
    ASSERT_TRUE(rewriteOrderFile(*lock, file, records));
}

inline OrderDraft draftNumbered(const std::string& number) {
    OrderDraft d;
    d.fileNumber = number;
    d.address1 = "7 OAK AVE";
    d.town = "BOSTON";
    d.searchType = "R.Full";
    d.typeListFee = 150;
    d.dueDate = {2026, 12, 11};
    d.searcher = "Ann Marie";
    return d;
}

inline Result<SaveOutcome> save(const std::string& folder, OrderDraft draft,
                                AttorneyChange attorney = {}) {
    return saveOrder(folder,
                     SaveRequest{std::move(draft), std::move(attorney), kNow, "jo ann q", ""});
}

// A save by `user` at this workstation; `releasing`: the number of the order it pulled.
inline Result<SaveOutcome> saveAs(const std::string& folder, OrderDraft draft,
                                  const std::string& user, const std::string& releasing) {
    return saveOrder(folder, SaveRequest{std::move(draft), {}, kNow, user, releasing});
}

} // namespace qm::ordertest
