#pragma once
// The locked file work of order entry: SAVE's one locked step, the pull of an order out of
// Pending.fil for editing, and the workstation's recovery copy of a pulled order. No widgets;
// texts are Windows-1252 bytes as stored.

#include "money.h"
#include "order.h"
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
};

struct SaveOutcome {
    bool duplicate = false;
    std::string fileNumber;              // as saved (generated when the draft had none)
    std::optional<OrderRecord> existing; // a duplicate: the order that already has the number
    std::optional<OrderRecord> saved;    // not a duplicate: the appended record
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

// Takes every record with the number out of Pending.fil in one locked rewrite and returns the
// last of them; nothing (and the file untouched) when none has it.
Result<std::optional<OrderRecord>> pullOrder(const std::string& dataFolder,
                                             const std::string& fileNumber);

// The recovery copy of a pulled order, kept in the workstation's own folder (not the shared
// data folder) until the order is saved back or deleted.
std::string recoveryFilePath(const std::string& programFolder, const std::string& logOnName);
Status writeRecovery(const std::string& path, const OrderRecord& pulled); // fsynced
Status removeRecovery(const std::string& path);                           // missing is fine
Result<std::optional<OrderRecord>> readRecovery(const std::string& path);
// Puts a recovered order back into Pending.fil under the lock; refused (duplicate = true, with
// the order holding the number) when the number is meanwhile in use.
Result<SaveOutcome> restoreRecovered(const std::string& dataFolder, const OrderRecord& pulled);

} // namespace qm
