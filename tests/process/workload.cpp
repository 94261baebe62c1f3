#include "workload.h"

#include "directory_files.h"

#include <stdexcept>
#include <sys/stat.h>

namespace qm::process_test {

OrderRecord pendingOrder(const std::string& fileNumber, int noteLines) {
    // Appended piece by piece: "literal" + std::string trips g++ 12's -Wrestrict at -O3.
    std::string notes;
    for (int i = 0; i < noteLines; ++i) {
        std::string text = "Called the town clerk, left a message about lot ";
        text += std::to_string(i);
        text += ", block 7";
        notes += formatLogEntry(DateTime{2026, 3, 14, 9, i % 60, 0}, text, "DW");
    }
    OrderRecord order(OrderFile::Pending);
    order.set(OrderField::EnteredAt, Field::ofDate(DateTime{2026, 3, 14, 9, 26, 53}));
    order.setText(OrderField::FileNumber, fileNumber);
    order.setText(OrderField::TitleCompany, "Harbor Point Title Agency");
    order.setText(OrderField::Customer, "Lindqvist & Moss, LLP");
    order.setText(OrderField::PropertyAddress1, "12 Elm Street");
    order.setText(OrderField::PropertyAddress2, "");
    order.setText(OrderField::Town, "Westbury");
    order.setText(OrderField::CurrentOwner, "Dana Whitfield");
    order.setText(OrderField::SearchType, "Full Search");
    order.setText(OrderField::MuniSearch, "Muni Only");
    order.setDueDate(DueDate{DateTime{2026, 3, 21}, false});
    order.setText(OrderField::Searcher, "Pat Okafor*");
    order.setText(OrderField::EnteredBy, "dwhitfield");
    order.set(OrderField::BaseFee, Field::ofMoney(Money::fromDollars(150)));
    order.set(OrderField::MuniFee, Field::ofMoney(*Money::fromStored("35.5")));
    order.setText(OrderField::NotesLog, notes);
    order.setText(OrderField::MessagesLog, "");
    return order;
}

std::string appendedFileNumber(int id, int i) {
    std::string out = "W";
    out += std::to_string(id);
    out += '-';
    out += std::to_string(i);
    return out;
}

namespace {

std::vector<OrderRecord> numberedOrders(const std::string& prefix, int count, int noteLines) {
    std::vector<OrderRecord> out;
    out.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        out.push_back(pendingOrder(prefix + std::to_string(i), noteLines));
    return out;
}

} // namespace

// About 270 KB and 420 KB: large enough that a kill often lands while the ".new" file is
// being written or synced.
std::vector<OrderRecord> rewriteContentA() {
    return numberedOrders("A", 600, 3);
}
std::vector<OrderRecord> rewriteContentB() {
    return numberedOrders("B", 800, 4);
}

std::string encodeOrders(const std::vector<OrderRecord>& records) {
    std::string out;
    for (const OrderRecord& r : records)
        appendEncodedRecord(out, r.fields());
    return out;
}

void createOtherRequiredFiles(const std::string& dataFolder) {
    std::vector<std::string> names = {orderFileName(OrderFile::Completed),
                                      orderFileName(OrderFile::Archives), kServicesFileName};
    for (DirectoryKind kind :
         {DirectoryKind::Companies, DirectoryKind::Attorneys, DirectoryKind::Searchers})
        names.push_back(directoryFileName(kind));
    for (const std::string& name : names)
        if (Status s = writeWholeFile(dataFolder + name, ""); !s)
            throw std::runtime_error(s.error().describe());
    const std::string rates = dataFolder + kCustomRatesFolder;
    if (::mkdir(rates.c_str(), 0755) != 0)
        throw std::runtime_error("cannot create " + rates);
}

} // namespace qm::process_test
