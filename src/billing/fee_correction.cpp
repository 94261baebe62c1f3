#include "fee_correction.h"

#include "data_lock.h"
#include "fee_box.h"
#include "order_splice.h"

#include <string_view>

namespace qm {

namespace {

constexpr OrderField kFeeFields[3] = {OrderField::BaseFee, OrderField::MuniFee,
                                      OrderField::CopyCosts};

StoredFees feesOf(const OrderRecord& record) {
    return {record.field(kFeeFields[0]), record.field(kFeeFields[1]), record.field(kFeeFields[2])};
}

// The field a box writes into one record: its own when the box still shows what the editor was
// filled with, else the typed amount.
Field fieldFor(const std::string& typed, const Field& shown, const Field& own) {
    if (typed == feeBoxText(shown))
        return own;
    // Against no stored amount: a blank box is 0, else the typed amount (refused texts never
    // get here).
    return *feeBoxField(typed, Field::ofText({}));
}

} // namespace

Result<std::optional<StoredFees>> storedFeesOf(const std::string& dataFolder,
                                               const std::string& fileNumber) {
    const std::string path = dataFolder + orderFileName(OrderFile::Completed);
    auto bytes = readWholeFile(path);
    if (!bytes) {
        if (bytes.error().kind == ErrorKind::FileNotFound)
            return std::optional<StoredFees>();
        return bytes.error();
    }
    auto table = parseOrderTable(OrderFile::Completed, std::move(bytes).value(), path);
    if (!table)
        return table.error();
    for (size_t i = 0; i < table->size(); ++i) {
        if (table->field(i, OrderField::FileNumber).text == fileNumber)
            return std::optional<StoredFees>(feesOf(table->record(i)));
    }
    return std::optional<StoredFees>();
}

std::array<std::string, 3> feeTextsOf(const StoredFees& fees) {
    return {feeBoxText(fees[0]), feeBoxText(fees[1]), feeBoxText(fees[2])};
}

std::optional<TypedFeeRefusal> refusedFeeText(const std::array<std::string, 3>& typed) {
    for (size_t box = 0; box < typed.size(); ++box) {
        if (auto reason = feeBoxRefusal(typed[box]))
            return TypedFeeRefusal{box, *reason};
    }
    return std::nullopt;
}

Result<FeeCorrectionResult> correctFees(const std::string& dataFolder,
                                        const FeeCorrection& correction) {
    auto lock = DataLock::acquire(dataFolder);
    if (!lock)
        return lock.error();
    auto found = findOrders(*lock, OrderFile::Completed, correction.fileNumber);
    if (!found)
        return found.error();
    if (found->orders.empty())
        return FeeCorrectionResult::Gone;
    // Amounts typed over other ones than those now stored would undo another workstation's
    // correction unseen.
    if (!correction.shown || feesOf(found->orders.front().record) != *correction.shown)
        return FeeCorrectionResult::ChangedMeanwhile;
    OrderSplice splice;
    for (const FoundOrder& order : found->orders) {
        OrderRecord changed = order.record;
        for (size_t box = 0; box < 3; ++box)
            changed.set(kFeeFields[box], fieldFor(correction.typed[box], (*correction.shown)[box],
                                                  order.record.field(kFeeFields[box])));
        splice.changes[order.place.index] = std::move(changed);
    }
    if (Status written = spliceOrderFile(*lock, *found, splice); !written)
        return written.error();
    return FeeCorrectionResult::Corrected;
}

} // namespace qm
