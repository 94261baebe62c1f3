#pragma once
// The story of one order in the details pane, and which order commands it allows. No widgets.

#include "order.h"

#include <QDate>
#include <QString>
#include <string>
#include <utility>

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

// The pieces of that text the archives browser tells the same way:
// the first line with the number, address and service, FROM and ENTERED;
QString detailsOpening(const OrderRecord& order, const QString& addressText);
// CR LF and the SEARCHER line;
QString detailsSearcherLine(const OrderRecord& order, const QString& homePhone,
                            const QString& cellPhone);
// the NOTES block and the MESSAGES block after it.
QString detailsNotes(const OrderRecord& order);
// "Friday, March 08, 2013" and "2:05PM", in English whatever the workstation's language.
QString detailsLongDate(const QDate& day);
QString detailsClockTime(const QTime& time);

// Boxes 5 and 6 of the first searcher entry holding the name, or their placeholders.
std::pair<QString, QString> searcherPhones(const std::string& dataFolder, const QString& name);

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
