// BILL and CLOSE ORDER of the details pane: the questions, the fee boxes' check and the
// locked step. The queue is not refreshed here: the next tick sees the rewritten Pending.fil.

#include "clock.h"
#include "close_order.h"
#include "dialogs.h"
#include "disk_text.h"
#include "money.h"
#include "pending_queue.h"
#include "user.h"

#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>

namespace qm {

namespace {

QString okToContinue() {
    return QStringLiteral("\"OK\" to continue");
}

} // namespace

std::optional<FeeTexts> PendingQueue::acceptedFees(const QueueSelectionSnapshot& snapshot) {
    const FeeTexts fees{toDisk(snapshot.base.text), toDisk(snapshot.muni.text),
                        toDisk(snapshot.copy.text)};
    auto refused = refusedFee(fees);
    if (!refused)
        return fees;
    QLineEdit* const box = refused->box == FeeBox::Base   ? txtBase
                           : refused->box == FeeBox::Muni ? txtMuni
                                                          : txtCopy;
    context_.dialogs->message(this, QMessageBox::Warning, QStringLiteral(" FEE AMOUNT ???"),
                              QStringLiteral("The amount is not accepted: ") +
                                  fromDisk(refused->reason) + QStringLiteral("\r") +
                                  QStringLiteral("Please ") + QString::fromLatin1(kAmountHint) +
                                  QStringLiteral("."));
    box->setFocus();
    box->selectAll();
    return std::nullopt;
}

bool PendingQueue::copyCostsConfirmed(const QueueSelectionSnapshot& snapshot,
                                      const FeeTexts& fees) {
    if (!snapshot.copy.enabled)
        return true;
    const AmountParse copy = parseTypedAmount(fees.copy);
    if (copy.value && !copy.value->isZero())
        return true;
    const auto answer = context_.dialogs->ask(
        this, QMessageBox::Warning, QStringLiteral(" COPY COSTS ???"),
        QStringLiteral("Copy costs have not been entered.") + QStringLiteral("\r") +
            QStringLiteral("Proceed ") + QStringLiteral("anyway ???"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes)
        return true;
    txtCopy->setFocus();
    return false;
}

void PendingQueue::reportCommandError(const Error& error) {
    if (unexpectedError_) {
        unexpectedError_(error);
        return;
    }
    context_.dialogs->message(this, QMessageBox::Critical, QStringLiteral("Quillmark"),
                              fromDisk(error.describe()));
}

void PendingQueue::cmdBillClick() {
    auto guard = context_.commandGuard.hold();
    const QueueSelectionSnapshot snapshot = selectionSnapshot();
    if (snapshot.fileNumber.isEmpty())
        return;
    const QString title = QStringLiteral(" BILLING ORDER #  ") + snapshot.fileNumber;
    if (context_.dialogs->ask(
            this, QMessageBox::Question, title,
            QStringLiteral("The selected order to be billed in advance") + QStringLiteral("\r") +
                QStringLiteral("pending ") + QStringLiteral("completion. ") + okToContinue(),
            QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    // The copy box is always asked about when billing, whatever its state.
    QueueSelectionSnapshot asked = snapshot;
    asked.copy.enabled = true;
    auto fees = acceptedFees(snapshot);
    if (!fees || !copyCostsConfirmed(asked, *fees))
        return;
    auto billed = billOrder(context_.dataFolder(), toDisk(snapshot.fileNumber), *fees,
                            storedMoment(context_.clock->now()), logOnName());
    if (!billed) {
        reportCommandError(billed.error());
        return;
    }
    QString told;
    switch (*billed) {
    case BillResult::Billed:
        return;
    case BillResult::NotPending:
        told = QStringLiteral("This order is no longer pending.");
        break;
    case BillResult::AlreadyBilled:
        told = QStringLiteral("This order has already been billed in advance.");
        break;
    case BillResult::CopyExisted:
        told = QStringLiteral("Its completed copy had already been written; the pending order "
                              "is now marked as billed.");
        break;
    }
    context_.dialogs->message(this, QMessageBox::Information, title, told);
}

void PendingQueue::cmdCloseClick() {
    auto guard = context_.commandGuard.hold();
    const QueueSelectionSnapshot snapshot = selectionSnapshot();
    if (snapshot.fileNumber.isEmpty())
        return;
    const QString title = QStringLiteral(" CLOSING ORDER #  ") + snapshot.fileNumber;
    if (context_.dialogs->ask(
            this, QMessageBox::Question, title,
            QStringLiteral("The selected order will be removed to the") + QStringLiteral("\r") +
                QStringLiteral("completed ") + QStringLiteral("folder. ") + okToContinue(),
            QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    auto fees = acceptedFees(snapshot);
    if (!fees || !copyCostsConfirmed(snapshot, *fees))
        return;
    auto closed = closeOrder(context_.dataFolder(), toDisk(snapshot.fileNumber), *fees,
                             storedMoment(context_.clock->now()));
    if (!closed) {
        reportCommandError(closed.error());
        return;
    }
    QString told;
    switch (*closed) {
    case CloseResult::Closed:
    case CloseResult::CopyFinalised:
        return;
    case CloseResult::NotPending:
        told = QStringLiteral("This order is no longer pending.");
        break;
    case CloseResult::RecordExisted:
        told = QStringLiteral("Its completed record had already been written; the order was "
                              "only taken out of the pending queue.");
        break;
    }
    context_.dialogs->message(this, QMessageBox::Information, title, told);
}

} // namespace qm
