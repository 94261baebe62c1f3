#include "close_order.h"

#include "data_lock.h"
#include "fee_box.h"
#include "order_splice.h"

#include <string_view>

namespace qm {

namespace {

std::function<void(CloseStep)>& stepHook() {
    static std::function<void(CloseStep)> hook;
    return hook;
}

void reached(CloseStep step) {
    if (stepHook())
        stepHook()(step);
}

Error badFee(const std::string& fileNumber, const FeeRefusal& refused) {
    return Error{ErrorKind::BadRecord,
                 {},
                 0,
                 "order " + fileNumber + ": the amount is not accepted: " + refused.reason,
                 0};
}

Error badDueDate(const DataLock& lock, const std::string& fileNumber) {
    return Error{ErrorKind::BadRecord, lock.dataFolder() + orderFileName(OrderFile::Pending), 0,
                 "order " + fileNumber + " has no readable due date", 0};
}

// The first pending record with the number, with the lock it was found under; nothing when the
// order is not pending.
struct LockedPending {
    DataLock lock;
    FoundOrders pending;
    DueDate due;
    const FoundOrder& first() const { return pending.orders.front(); }
};

Result<std::optional<LockedPending>> lockFirstPending(const std::string& dataFolder,
                                                      const std::string& fileNumber) {
    auto lock = DataLock::acquire(dataFolder);
    if (!lock)
        return lock.error();
    auto pending = findOrders(*lock, OrderFile::Pending, fileNumber);
    if (!pending)
        return pending.error();
    if (pending->orders.empty())
        return std::optional<LockedPending>();
    auto due = pending->orders.front().record.dueDate();
    if (!due)
        return badDueDate(*lock, fileNumber);
    return std::optional<LockedPending>(LockedPending{std::move(*lock), std::move(*pending), *due});
}

struct Fees {
    Field base, muni, copy;
};

Result<Fees> resolveFees(const OrderRecord& pending, const FeeTexts& texts) {
    const std::string& number = pending.text(OrderField::FileNumber);
    if (auto refused = refusedFee(texts))
        return badFee(number, *refused);
    // Copy costs have no stored amount: an empty stored field never matches a typed text.
    Fees fees{*feeBoxField(texts.base, pending.field(OrderField::BaseFee)),
              *feeBoxField(texts.muni, pending.field(OrderField::MuniFee)),
              *feeBoxField(texts.copy, Field::ofText({}))};
    return fees;
}

OrderRecord completedRecordOf(const OrderRecord& pending, Field dueDate, const Fees& fees,
                              std::string notes, Field completedAt) {
    OrderRecord done = pending.movedTo(OrderFile::Completed);
    done.set(OrderField::DueDate, std::move(dueDate));
    done.set(OrderField::BaseFee, fees.base);
    done.set(OrderField::MuniFee, fees.muni);
    done.setText(OrderField::NotesLog, std::move(notes));
    done.set(OrderField::CompletedAt, std::move(completedAt));
    done.set(OrderField::CopyCosts, fees.copy);
    return done;
}

// `later` is `own` with lines added after it.
bool extends(const std::string& later, const std::string& own) {
    return later.size() > own.size() && later.compare(0, own.size(), own) == 0;
}

// Notes and messages posted to the pending record after billing follow its copy's own.
void carryLogs(OrderRecord& copy, const OrderRecord& pending) {
    for (OrderField log : {OrderField::NotesLog, OrderField::MessagesLog}) {
        if (extends(pending.text(log), copy.text(log)))
            copy.setText(log, pending.text(log));
    }
}

// The records with the number in the first of Completed.fil and Archives.fil that holds any.
// The archive, by far the largest file, is read only for a billed order, whose copy a statement
// may have taken there. An interrupted run for an unbilled order left its record where it
// appended it, in Completed.fil; should a statement archive that record before the repeat,
// quillmark-check reports the order's two records.
Result<std::optional<FoundOrders>> copiesOf(const DataLock& lock, const std::string& fileNumber,
                                            bool billed) {
    for (OrderFile file : {OrderFile::Completed, OrderFile::Archives}) {
        if (file == OrderFile::Archives && !billed)
            break;
        auto found = findOrders(lock, file, fileNumber);
        if (!found)
            return found.error();
        if (!found->orders.empty())
            return std::optional<FoundOrders>(std::move(*found));
    }
    return std::optional<FoundOrders>();
}

bool isBilled(const OrderRecord& record) {
    auto due = record.dueDate();
    return due && due->billedInAdvance;
}

Status dropFirst(const DataLock& lock, const FoundOrders& pending) {
    OrderSplice drop;
    drop.changes[pending.orders.front().place.index] = std::nullopt;
    Status dropped = spliceOrderFile(lock, pending, drop);
    if (dropped)
        reached(CloseStep::PendingRewritten);
    return dropped;
}

} // namespace

void setCloseStepHook(std::function<void(CloseStep)> hook) {
    stepHook() = std::move(hook);
}

std::optional<FeeRefusal> refusedFee(const FeeTexts& fees) {
    const std::pair<FeeBox, const std::string*> boxes[] = {
        {FeeBox::Base, &fees.base}, {FeeBox::Muni, &fees.muni}, {FeeBox::Copy, &fees.copy}};
    for (const auto& [box, text] : boxes)
        if (auto reason = feeBoxRefusal(*text))
            return FeeRefusal{box, *reason};
    return std::nullopt;
}

std::string billingNoteLine(const DateTime& now, const std::string& logOnName) {
    return formatLogEntry(now, "Bill in advance pending completion", userInitials(logOnName));
}

Result<BillResult> billOrder(const std::string& dataFolder, const std::string& fileNumber,
                             const FeeTexts& fees, const DateTime& now,
                             const std::string& logOnName) {
    auto locked = lockFirstPending(dataFolder, fileNumber);
    if (!locked)
        return locked.error();
    if (!*locked)
        return BillResult::NotPending;
    const DataLock& lock = (*locked)->lock;
    const FoundOrder& first = (*locked)->first();
    const DueDate& due = (*locked)->due;
    if (due.billedInAdvance)
        return BillResult::AlreadyBilled;
    auto resolved = resolveFees(first.record, fees);
    if (!resolved)
        return resolved.error();

    const Field billedDue = encodeDueDate(DueDate{due.day, true});
    std::string notes = first.record.text(OrderField::NotesLog) + billingNoteLine(now, logOnName);
    auto copies = copiesOf(lock, fileNumber, false);
    if (!copies)
        return copies.error();
    const bool copyExisted = copies->has_value();
    if (copyExisted) {
        // An earlier BILL got as far as the copy: the pending record takes the copy's note line.
        const std::string& copied = (*copies)->orders.front().record.text(OrderField::NotesLog);
        if (extends(copied, first.record.text(OrderField::NotesLog)))
            notes = copied;
    } else {
        OrderRecord completed = completedRecordOf(first.record, billedDue, *resolved, notes,
                                                  first.record.field(OrderField::EnteredAt));
        if (Status appended = appendOrder(lock, completed); !appended)
            return appended.error();
        reached(CloseStep::CompletedWritten);
    }
    OrderRecord marked = first.record;
    marked.set(OrderField::DueDate, billedDue);
    marked.setText(OrderField::NotesLog, std::move(notes));
    OrderSplice mark;
    mark.changes[first.place.index] = std::move(marked);
    if (Status spliced = spliceOrderFile(lock, (*locked)->pending, mark); !spliced)
        return spliced.error();
    reached(CloseStep::PendingRewritten);
    return copyExisted ? BillResult::CopyExisted : BillResult::Billed;
}

Result<CloseResult> closeOrder(const std::string& dataFolder, const std::string& fileNumber,
                               const FeeTexts& fees, const DateTime& now) {
    auto locked = lockFirstPending(dataFolder, fileNumber);
    if (!locked)
        return locked.error();
    if (!*locked)
        return CloseResult::NotPending;
    const DataLock& lock = (*locked)->lock;
    const OrderRecord& order = (*locked)->first().record;
    const DueDate& due = (*locked)->due;

    auto found = copiesOf(lock, fileNumber, due.billedInAdvance);
    if (!found)
        return found.error();
    std::optional<FoundOrders>& copies = *found;

    CloseResult result = CloseResult::Closed;
    if (copies) {
        OrderSplice finalise;
        for (const FoundOrder& copy : copies->orders) {
            if (!isBilled(copy.record))
                continue; // already final: an earlier CLOSE got this far
            OrderRecord finished = copy.record;
            auto copyDue = finished.dueDate();
            finished.setDueDate(DueDate{copyDue->day, false});
            finished.set(OrderField::CompletedAt, Field::ofDate(now));
            carryLogs(finished, order);
            finalise.changes[copy.place.index] = std::move(finished);
        }
        if (finalise.changes.empty()) {
            result = CloseResult::RecordExisted;
        } else {
            if (Status spliced = spliceOrderFile(lock, *copies, finalise); !spliced)
                return spliced.error();
            reached(CloseStep::CompletedWritten);
            result = CloseResult::CopyFinalised;
        }
    } else {
        auto resolved = resolveFees(order, fees);
        if (!resolved)
            return resolved.error();
        // A billed order without a copy anywhere closes as an unbilled one, without the mark.
        Field dueField = due.billedInAdvance ? encodeDueDate(DueDate{due.day, false})
                                             : order.field(OrderField::DueDate);
        OrderRecord completed =
            completedRecordOf(order, std::move(dueField), *resolved,
                              order.text(OrderField::NotesLog), Field::ofDate(now));
        if (Status appended = appendOrder(lock, completed); !appended)
            return appended.error();
        reached(CloseStep::CompletedWritten);
    }
    if (Status dropped = dropFirst(lock, (*locked)->pending); !dropped)
        return dropped.error();
    return result;
}

} // namespace qm
