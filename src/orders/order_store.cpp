#include "order_store.h"

#include "directory_files.h"
#include "files.h"

#include <filesystem>

namespace qm {

namespace {

std::string trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// The override when it is a non-zero amount, else the chosen item's fee.
Money feeOf(const std::optional<Money>& override, bool chosen, long listFee) {
    const Money overridden = override.value_or(Money());
    if (!overridden.isZero() || !chosen)
        return overridden;
    return Money::fromDollars(listFee);
}

Status writeAttorneyEntry(const DataLock& lock, const AttorneyChange& change) {
    switch (change.kind) {
    case AttorneyChange::Kind::AddNew:
        return appendDirectoryEntry(lock, DirectoryKind::Attorneys, change.line);
    case AttorneyChange::Kind::Replace:
        return replaceAttorneyEntry(lock, change.replacedLine, change.line);
    case AttorneyChange::Kind::None:
        break;
    }
    return okStatus();
}

struct NumberScan {
    long highest = 0;
    std::optional<OrderRecord> duplicate;
};

// The three order files in turn, by their FileNumber fields only; the full record is read
// only for a duplicate, so a save stays quick however large the archive grows.
Result<NumberScan> scanForNumber(const std::string& dataFolder, const std::string& fileNumber) {
    NumberScan scan;
    std::optional<Error> unreadable;
    Status visited = visitFileNumbers(dataFolder, [&](OrderFile file, std::string_view bytes,
                                                      const std::string& path, size_t record,
                                                      const std::string& number) {
        if (number == fileNumber) {
            auto table = parseOrderTable(file, std::string(bytes), path);
            if (table)
                scan.duplicate = table->record(record).movedTo(OrderFile::Pending);
            else
                unreadable = table.error();
            return false;
        }
        if (number.starts_with("QM"))
            scan.highest = std::max(scan.highest, generatedNumberOf(number));
        return true;
    });
    if (!visited)
        return visited.error();
    if (unreadable)
        return *unreadable;
    return scan;
}

// A number in use refuses the save: the outcome names the order that holds it.
bool refusedForDuplicate(NumberScan& scan, SaveOutcome& outcome) {
    if (!scan.duplicate)
        return false;
    outcome.duplicate = true;
    outcome.existing = std::move(scan.duplicate);
    return true;
}

} // namespace

OrderRecord pendingRecordOf(const OrderDraft& draft, const DateTime& now,
                            const std::string& logOnName) {
    OrderRecord record(OrderFile::Pending);
    const std::optional<DateTime> keptEntry = parseDateLiteral(draft.enteredAt);
    if (draft.enteredAt.empty() || !keptEntry)
        record.set(OrderField::EnteredAt, Field::ofDate(now));
    else
        record.setText(OrderField::EnteredAt, formatIsoDateTime(*keptEntry));
    record.setText(OrderField::FileNumber, draft.fileNumber);
    record.setText(OrderField::TitleCompany, draft.titleCompany);
    record.setText(OrderField::Customer, draft.customer);
    record.setText(OrderField::PropertyAddress1, draft.address1);
    record.setText(OrderField::PropertyAddress2, draft.address2);
    record.setText(OrderField::Town, draft.town);
    record.setText(OrderField::CurrentOwner, draft.owner);
    record.setText(OrderField::SearchType, draft.searchType);
    record.setText(OrderField::MuniSearch, draft.muniSearch);
    record.setDueDate(DueDate{draft.dueDate.dateOnly(), false});

    std::string searcher = draft.searcher;
    const bool notified = draft.startedByAssign ||
                          (!draft.notifiedSearcher.empty() && searcher == draft.notifiedSearcher);
    if (!searcher.empty() && notified)
        searcher += "*";
    record.setText(OrderField::Searcher, searcher);

    const std::string enteredBy = enteredByName(logOnName);
    const std::string initials = userInitials(enteredBy);
    record.setText(OrderField::EnteredBy, enteredBy);
    record.set(
        OrderField::BaseFee,
        Field::ofMoney(feeOf(draft.typeFeeOverride, !draft.searchType.empty(), draft.typeListFee)));
    record.set(
        OrderField::MuniFee,
        Field::ofMoney(feeOf(draft.muniFeeOverride, !draft.muniSearch.empty(), draft.muniListFee)));
    std::string notes = draft.notesCache;
    if (!trimmed(draft.note).empty())
        notes += formatLogEntry(now, draft.note, initials);
    record.setText(OrderField::NotesLog, notes);
    std::string messages = draft.messagesCache;
    if (draft.startedByAssign && !trimmed(draft.instructions).empty())
        messages += formatLogEntry(now, draft.instructions, initials);
    record.setText(OrderField::MessagesLog, messages);
    return record;
}

Result<SaveOutcome> saveOrder(const std::string& dataFolder, const SaveRequest& request) {
    auto lock = DataLock::acquire(dataFolder);
    if (!lock)
        return lock.error();
    if (Status written = writeAttorneyEntry(*lock, request.attorney); !written)
        return written.error();

    SaveOutcome outcome;
    outcome.fileNumber = trimmed(request.draft.fileNumber);
    auto scan = scanForNumber(dataFolder, outcome.fileNumber);
    if (!scan)
        return scan.error();
    if (refusedForDuplicate(*scan, outcome))
        return outcome;
    if (outcome.fileNumber.empty())
        outcome.fileNumber = generatedFileNumberAfter(scan->highest);
    OrderDraft draft = request.draft;
    draft.fileNumber = outcome.fileNumber;
    OrderRecord record = pendingRecordOf(draft, request.now, request.logOnName);
    if (Status appended = appendOrder(*lock, record); !appended)
        return appended.error();
    outcome.saved = std::move(record);
    return outcome;
}

std::string splitQuestionAddress(const OrderRecord& existing) {
    std::string address = existing.text(OrderField::PropertyAddress1);
    if (const std::string& second = existing.text(OrderField::PropertyAddress2); !second.empty())
        address += " " + second;
    return address + ", " + properCase(existing.text(OrderField::Town));
}

Result<std::optional<OrderRecord>> pullOrder(const std::string& dataFolder,
                                             const std::string& fileNumber) {
    auto lock = DataLock::acquire(dataFolder);
    if (!lock)
        return lock.error();
    auto table = readOrderFile(dataFolder, OrderFile::Pending);
    if (!table) {
        if (table.error().kind == ErrorKind::FileNotFound)
            return std::optional<OrderRecord>();
        return table.error();
    }
    std::optional<OrderRecord> pulled;
    std::vector<OrderRecord> kept;
    kept.reserve(table->size());
    for (size_t i = 0; i < table->size(); ++i) {
        if (table->field(i, OrderField::FileNumber).text == fileNumber)
            pulled = table->record(i);
        else
            kept.push_back(table->record(i));
    }
    if (!pulled)
        return pulled;
    if (Status rewritten = rewriteOrderFile(*lock, OrderFile::Pending, kept); !rewritten)
        return rewritten.error();
    return pulled;
}

std::string recoveryFilePath(const std::string& programFolder, const std::string& logOnName) {
    return programFolder + "recovery/" + (logOnName.empty() ? "user" : logOnName) + ".fil";
}

Status writeRecovery(const std::string& path, const OrderRecord& pulled) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return writeWholeFile(path, pulled.encode(), 0600);
}

Status removeRecovery(const std::string& path) {
    std::error_code error;
    std::filesystem::remove(path, error);
    if (error)
        return systemError(path, error.value(), "remove the recovery copy");
    return okStatus();
}

Result<std::optional<OrderRecord>> readRecovery(const std::string& path) {
    auto bytes = readWholeFile(path);
    if (!bytes) {
        if (bytes.error().kind == ErrorKind::FileNotFound ||
            bytes.error().kind == ErrorKind::PathNotFound)
            return std::optional<OrderRecord>();
        return bytes.error();
    }
    auto table = parseOrderTable(OrderFile::Pending, std::move(*bytes), path);
    if (!table)
        return table.error();
    if (table->size() == 0)
        return std::optional<OrderRecord>();
    return std::optional<OrderRecord>(table->record(0));
}

Result<SaveOutcome> restoreRecovered(const std::string& dataFolder, const OrderRecord& pulled) {
    auto lock = DataLock::acquire(dataFolder);
    if (!lock)
        return lock.error();
    SaveOutcome outcome;
    outcome.fileNumber = pulled.text(OrderField::FileNumber);
    auto scan = scanForNumber(dataFolder, outcome.fileNumber);
    if (!scan)
        return scan.error();
    if (refusedForDuplicate(*scan, outcome))
        return outcome;
    if (Status appended = appendOrder(*lock, pulled); !appended)
        return appended.error();
    outcome.saved = pulled;
    return outcome;
}

} // namespace qm
