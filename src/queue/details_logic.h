#pragma once
// The story of one order in the details pane, and which order commands it allows. No widgets.

#include "order.h"

#include <QDate>
#include <QString>
#include <string>

namespace qm {

// The characters of a directory box that survive as phone digits: codes 48 and above (so a
// placeholder keeps its letters and brackets and loses its blanks).
QString phoneDigits(const QString& box);

struct DetailsInput {
    const OrderRecord* order = nullptr;
    QString addressText; // column 1 of the selected row
    QString homePhone;   // the searcher's directory boxes 5 and 6 as shown
    QString cellPhone;
    QDate today;
};
// The text of txtDetails, lines joined by CR LF.
QString orderDetailsText(const DetailsInput& input);

// The one line shown when the selected order has left Pending.fil since the queue was built.
QString orderGoneText(const QString& fileNumber);

struct DetailsCommands {
    bool notes = false, edit = false, message = false, bill = false, close = false;
    bool split = false;
    bool feeLabels = false;   // lblBase, lblMuni, lblCopy
    bool copyCosts = false;   // txtCopy
    QString baseFee, muniFee; // "0.00"
};
DetailsCommands detailsCommandsFor(const OrderRecord& order);

// What the fee boxes are filled from. A rebuild that re-selects the order and finds these
// unchanged leaves the boxes as the user has them (typed copy costs, unlocked fees).
struct FeeSource {
    QString fileNumber;
    std::string baseFee, muniFee; // as stored
    bool billed = false;          // decides whether txtCopy is open
    bool operator==(const FeeSource&) const = default;
};
FeeSource feeSourceOf(const OrderRecord& order);

} // namespace qm
