#include "order_store.h"

#include "directory_files.h"
#include "files.h"

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
    std::optional<Reservation> reservedBy;

    bool taken() const { return duplicate || reservedBy; }
};

// Who may use a reserved number: the holder saving back the order it pulled.
struct ReservationUse {
    Holder holder;
    std::string releasing;
};

// The three order files in turn, by their FileNumber fields only; the full record is read
// only for a duplicate, so a save stays quick however large the archive grows. Then the
// reserved numbers, which count as used. `complete` goes on after a duplicate for the highest.
Result<NumberScan> scanForNumber(const std::string& dataFolder, const std::string& fileNumber,
                                 const ReservationUse& use, bool complete = false) {
    NumberScan scan;
    std::optional<Error> unreadable;
    Status visited = visitFileNumbers(dataFolder, [&](OrderFile file, std::string_view bytes,
                                                      const std::string& path, size_t record,
                                                      const std::string& number) {
        if (number == fileNumber && !scan.duplicate) {
            auto table = parseOrderTable(file, std::string(bytes), path);
            if (table)
                scan.duplicate = table->record(record).movedTo(OrderFile::Pending);
            else
                unreadable = table.error();
            if (!complete || unreadable)
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
    auto reservations = readReservations(dataFolder);
    if (!reservations)
        return reservations.error();
    bool ownSkipped = false;
    for (Reservation& r : *reservations) {
        if (r.fileNumber.starts_with("QM"))
            scan.highest = std::max(scan.highest, generatedNumberOf(r.fileNumber));
        if (fileNumber.empty() || r.fileNumber != fileNumber || scan.reservedBy)
            continue;
        if (!ownSkipped && r.fileNumber == use.releasing && r.holder == use.holder)
            ownSkipped = true;
        else
            scan.reservedBy = std::move(r);
    }
    return scan;
}

// A number in use refuses the save: the outcome names the order or the pull that holds it.
bool refusedForDuplicate(NumberScan& scan, SaveOutcome& outcome) {
    if (!scan.taken())
        return false;
    outcome.duplicate = true;
    outcome.existing = std::move(scan.duplicate);
    outcome.reservedBy = std::move(scan.reservedBy);
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
    const ReservationUse use{holderHere(request.logOnName), request.releasing};
    auto scan = scanForNumber(dataFolder, outcome.fileNumber, use);
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
    // The order is saved: a reservation left behind only keeps its number from reuse.
    if (!request.releasing.empty())
        if (Status released = releaseNumber(*lock, request.releasing, use.holder); !released)
            outcome.notReleased = released.error();
    return outcome;
}

std::string splitQuestionAddress(const OrderRecord& existing) {
    std::string address = existing.text(OrderField::PropertyAddress1);
    if (const std::string& second = existing.text(OrderField::PropertyAddress2); !second.empty())
        address += " " + second;
    return address + ", " + properCase(existing.text(OrderField::Town));
}

Result<std::optional<PulledOrder>> pullOrder(const std::string& dataFolder,
                                             const std::string& fileNumber,
                                             const std::string& logOnName, const DateTime& now,
                                             const std::string& copyFolder) {
    if (fileNumber.empty())
        return std::optional<PulledOrder>();
    auto lock = DataLock::acquire(dataFolder);
    if (!lock)
        return lock.error();
    auto table = readOrderFile(dataFolder, OrderFile::Pending);
    if (!table) {
        if (table.error().kind == ErrorKind::FileNotFound)
            return std::optional<PulledOrder>();
        return table.error();
    }
    std::optional<size_t> first;
    for (size_t i = 0; i < table->size() && !first; ++i)
        if (table->field(i, OrderField::FileNumber).text == fileNumber)
            first = i;
    if (!first)
        return std::optional<PulledOrder>();
    PulledOrder pulled{table->record(*first), {}};
    // Copy and reservation are on disk before the order leaves the shared file.
    auto copy = writeNewRecovery(copyFolder, pulled.order);
    if (!copy)
        return copy.error();
    pulled.recoveryCopy = *copy;
    const Holder holder = holderHere(logOnName);
    if (Status reserved = reserveNumber(*lock, {fileNumber, holder, now}); !reserved) {
        (void)removeRecovery(pulled.recoveryCopy);
        return reserved.error();
    }
    std::vector<OrderRecord> kept;
    kept.reserve(table->size() - 1);
    for (size_t i = 0; i < table->size(); ++i)
        if (i != *first)
            kept.push_back(table->record(i));
    if (Status rewritten = rewriteOrderFile(*lock, OrderFile::Pending, kept); !rewritten) {
        // Still in Pending.fil: neither copy nor reservation may outlive the failed pull.
        if (releaseNumber(*lock, fileNumber, holder))
            (void)removeRecovery(pulled.recoveryCopy);
        return rewritten.error();
    }
    return std::optional<PulledOrder>(std::move(pulled));
}

Status dropPulledOrder(const std::string& dataFolder, const std::string& fileNumber,
                       const std::string& logOnName, const std::string& recoveryCopy) {
    if (Status released = releaseNumber(dataFolder, fileNumber, holderHere(logOnName)); !released)
        return released;
    return removeRecovery(recoveryCopy);
}

Result<RestoreOutcome> restoreRecovered(const std::string& dataFolder, const OrderRecord& pulled,
                                        const std::string& logOnName, PutBack how) {
    auto lock = DataLock::acquire(dataFolder);
    if (!lock)
        return lock.error();
    RestoreOutcome outcome;
    const std::string number = pulled.text(OrderField::FileNumber);
    const ReservationUse use{holderHere(logOnName), number};
    auto scan = scanForNumber(dataFolder, number, use, true);
    if (!scan)
        return scan.error();
    const bool sameRecord = scan->duplicate && scan->duplicate->encode() == pulled.encode();
    if (!sameRecord && scan->taken() && how == PutBack::UnderItsNumber) {
        outcome.kind = RestoreOutcome::Kind::NumberTaken;
        outcome.fileNumber = generatedFileNumberAfter(scan->highest);
        outcome.existing = std::move(scan->duplicate);
        outcome.reservedBy = std::move(scan->reservedBy);
        return outcome;
    }
    // Released first: a failed append keeps the copy for the next start, and a copy put back
    // twice cannot happen.
    if (Status released = releaseNumber(*lock, number, use.holder); !released)
        return released.error();
    if (sameRecord) {
        outcome.kind = RestoreOutcome::Kind::AlreadyThere;
        outcome.fileNumber = number;
        return outcome;
    }
    outcome.fileNumber = scan->taken() ? generatedFileNumberAfter(scan->highest) : number;
    OrderRecord record = pulled;
    record.setText(OrderField::FileNumber, outcome.fileNumber);
    if (Status appended = appendOrder(*lock, record); !appended)
        return appended.error();
    return outcome;
}

} // namespace qm
