#pragma once
// The locked file work of order entry: SAVE's one locked step, the pull of an order out of
// Pending.fil for editing with its reservation and recovery copy, and putting a recovered order
// back. No widgets; texts are Windows-1252 bytes as stored.

#include "money.h"
#include "order.h"
#include "recovery_store.h"
#include "reservations.h"
#include "result.h"
#include "values.h"

#include <optional>
#include <string>

namespace qm {

// What the editor holds when SAVE runs.
struct OrderDraft {
    std::string fileNumber;             // trimmed txtFileNumb; empty: a number is generated
    std::string titleCompany, customer; // empty for the placeholder item
    std::string address1, address2, town, owner;
    std::string searchType, muniSearch;    // empty when no item is chosen
    long typeListFee = 0, muniListFee = 0; // the chosen items' fees in whole dollars, else 0
    // The pulled order's fees, used instead of the lists' when not zero.
    std::optional<Money> typeFeeOverride, muniFeeOverride;
    DateTime dueDate;             // date only
    std::string searcher;         // empty for the placeholder item
    std::string notifiedSearcher; // the searcher already notified before the pull
    std::string enteredAt;        // EnteredAt of a pulled order as text; empty for a new order
    std::string notesCache, messagesCache; // the pulled order's logs
    std::string note;                      // txtNotes
    std::string instructions;              // txtMessg
    bool startedByAssign = false;
};

// What SAVE does with the attorney fields.
struct AttorneyChange {
    enum class Kind { None, AddNew, Replace } kind = Kind::None;
    std::string line;         // the eight fields joined by " _ "
    std::string replacedLine; // txtRecText, for Replace
};

struct SaveRequest {
    OrderDraft draft;
    AttorneyChange attorney;
    DateTime now;
    std::string logOnName;
    // A pulled order saved back: its number, whose reservation by this user here is no use of
    // the number and is released by the save.
    std::string releasing;
};

struct SaveOutcome {
    bool duplicate = false;
    std::string fileNumber;                // as saved (generated when the draft had none)
    std::optional<OrderRecord> existing;   // a duplicate: the order that already has the number
    std::optional<Reservation> reservedBy; // a duplicate: the pull that reserved the number
    std::optional<OrderRecord> saved;      // not a duplicate: the appended record
    std::optional<Error> notReleased;      // saved, but the reservation could not be released
};

// The pending record SAVE appends for a draft whose file number is settled.
OrderRecord pendingRecordOf(const OrderDraft& draft, const DateTime& now,
                            const std::string& logOnName);

// SAVE's locked step: the attorney entry, the duplicate scan over the three order files, the
// generated number, the append. Nothing is written to the order files for a duplicate.
Result<SaveOutcome> saveOrder(const std::string& dataFolder, const SaveRequest& request);

// The split question's address: address 1, " " and address 2 when not empty, ", ", the town
// with each word capitalised.
std::string splitQuestionAddress(const OrderRecord& existing);

struct PulledOrder {
    OrderRecord order;
    std::string recoveryCopy; // its path
};

// Takes the first record with the number out of Pending.fil in one locked step: its recovery
// copy is written in copyFolder and synced and its number reserved before Pending.fil is
// rewritten without it. Nothing (and nothing changed) when no record has the number.
Result<std::optional<PulledOrder>> pullOrder(const std::string& dataFolder,
                                             const std::string& fileNumber,
                                             const std::string& logOnName, const DateTime& now,
                                             const std::string& copyFolder);

// A pulled or recovered order given up: its reservation released, then its copy removed. A
// failed release keeps the copy, so the order is offered again at the next start.
Status dropPulledOrder(const std::string& dataFolder, const std::string& fileNumber,
                       const std::string& logOnName, const std::string& recoveryCopy);

enum class PutBack { UnderItsNumber, UnderNewNumber };

struct RestoreOutcome {
    enum class Kind { PutBack, AlreadyThere, NumberTaken } kind = Kind::PutBack;
    // PutBack: the number it went under; NumberTaken: the number a put-back under a new
    // number would get now.
    std::string fileNumber;
    std::optional<OrderRecord> existing;   // NumberTaken: the order holding the number
    std::optional<Reservation> reservedBy; // NumberTaken: the pull that reserved it
};

// Puts a recovered order back into Pending.fil under the lock and releases its reservation.
// Under its own number it is refused (NumberTaken) when the number is meanwhile in use; the
// very same record found there (a pull cut short before the rewrite) counts as put back.
Result<RestoreOutcome> restoreRecovered(const std::string& dataFolder, const OrderRecord& pulled,
                                        const std::string& logOnName, PutBack how);

} // namespace qm
