#pragma once
// The bill-to address of a billing key: the customer's directory entry, or the override stored
// for the key in Billing.adr, and the override line a statement stores when the user edited it.

#include "directory_lookup.h"

#include <QString>
#include <array>
#include <optional>
#include <string>

namespace qm {

struct BillToBox {
    QString text;           // what the box shows
    QString directoryValue; // what the directory entry gave it
    bool operator==(const BillToBox&) const = default;
};
using BillToBoxes = std::array<BillToBox, 4>;

struct BillToResult {
    BillToBoxes boxes;
    bool found = false;      // a directory entry was found for the key
    bool isOverride = false; // the boxes show a stored override ("Billing Address*")
};

// The text an entry has in the title company ("Firm - City") or law firm ("Firm - Attorney")
// pick list, which is what orders store and billing keys are made of.
QString pickListTextOf(DirectoryKind kind, const DirectoryEntry& entry);

struct BillingEntry {
    DirectoryKind kind = DirectoryKind::Companies;
    DirectoryEntry entry;
};
// The key's customer: the first entry (title companies, then law firms) whose pick-list text is
// the key itself; failing that, the first row, in list order, holding both parts of the key
// split at its first " - " (title companies first).
std::optional<BillingEntry> billingEntryFor(const QString& key, const DirectoryLookup& companies,
                                            const DirectoryLookup& attorneys);

// Boxes 0 to 3 as the entry fills them: the firm, the address lines joined by ", ", the
// city-state-zip line, and an empty fourth line.
std::array<QString, 4> directoryBillTo(const BillingEntry& found);

// The boxes for a key: directory values from its entry, shown as they are unless an override is
// stored; an override is used only for a key whose entry was found.
BillToResult billToFor(const QString& key, const DirectoryLookup& companies,
                       const DirectoryLookup& attorneys, const std::optional<BillTo>& stored);

// The same from the data folder: the directory files (a missing one holds no entries) and the
// last line of Billing.adr that begins with the key and "_" (a missing file holds none).
Result<BillToResult> lookUpBillTo(const std::string& dataFolder, const QString& key);

// The override line key "_" box0 "_" box1 "_" box2 "_" box3 (Windows-1252) when a box differs
// from its directory value and the line differs from the override that wins now; nothing
// otherwise. A "_" inside boxes 0 to 2 would move the later lines, so it is written as "-".
std::optional<std::string> overrideLineToStore(const std::string& keyBytes,
                                               const BillToBoxes& boxes,
                                               const std::optional<BillTo>& current);

} // namespace qm
