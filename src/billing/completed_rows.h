#pragma once
// The completed list's rows: one fixed-column line per record of Completed.fil, with the hidden
// billing key and date tail the filter searches, and beside each line the record's own values,
// which totals, fee corrections and statements use instead of the cut columns of the text.

#include "money.h"
#include "order.h"

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace qm {

// Columns of the line (1-based, inclusive), as the headings stand over them.
struct LineColumns {
    int first;
    int width;
};
inline constexpr LineColumns kClosedColumns{1, 14};
inline constexpr LineColumns kAddressColumns{15, 38};
inline constexpr LineColumns kFileNumberColumns{53, 17};
inline constexpr LineColumns kTypeColumns{70, 15};
inline constexpr LineColumns kMuniColumns{85, 10};
inline constexpr LineColumns kFeeColumns{95, 7};
inline constexpr LineColumns kCopiesColumns{107, 7};
// The columns under the headings, the blank after them and the blanks before the key.
inline constexpr int kVisibleLineWidth = 114;
inline constexpr int kKeyColumn = 131;

inline const QString kBilledInAdvanceText = QStringLiteral("bill in adv");

struct CompletedRow {
    size_t record = 0;      // position in Completed.fil
    std::string fileNumber; // whole, Windows-1252
    QString billingKey;     // TitleCompany, or Customer when that is empty
    DateTime completedAt;   // the whole moment, year included
    bool billedInAdvance = false;
    std::string searchType; // Windows-1252, as stored
    std::string muniSearch;
    std::string address; // the address column's text, not cut
    Money baseFee;       // exact, as stored
    Money muniFee;
    Money copyCosts;
    QString line; // what the list shows, and the hidden tail after it

    // What the list shows and adds up: the fee and the copy costs, each rounded to cents.
    Money feeCents() const { return (baseFee + muniFee).roundedToCents(); }
    Money copiesCents() const { return copyCosts.roundedToCents(); }
};

// PropertyAddress1, " " and PropertyAddress2 when there is one, ", " and the town in proper case.
std::string listAddressOf(std::string_view address1, std::string_view address2,
                          std::string_view town);

// An amount right-aligned so that its last character stands in the last column of `width`; a
// longer text is not cut.
std::string rightAligned(std::string_view text, size_t width);

// The row of record `record` of a read Completed.fil. An amount the money type cannot hold is an
// error naming the record.
Result<CompletedRow> completedRowOf(const OrderTable& completed, size_t record);
// Every record's row, in file order. `recycled`: rows no longer needed (those of the last
// rebuild) whose memory the new rows reuse; a rebuild of a large file then takes no fresh memory
// for them. The rows are the same either way.
Result<std::vector<CompletedRow>> buildCompletedRows(const OrderTable& completed,
                                                     std::vector<CompletedRow> recycled = {});

// The billing selector's entries after "< show all >": every distinct key, the empty one left
// out, ascending without regard to case (keys equal but for case in a fixed order).
QStringList billingKeysOf(const std::vector<CompletedRow>& rows);

} // namespace qm
