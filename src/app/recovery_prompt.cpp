#include "recovery_prompt.h"

#include "app_context.h"
#include "cp1252.h"
#include "dialogs.h"
#include "disk_text.h"
#include "order_store.h"
#include "user.h"

namespace qm {

namespace {

const QString kChoices =
    QStringLiteral("\"No\" to discard it, \"Cancel\" to decide at the next start");

class CopyOffer {
  public:
    CopyOffer(AppContext& context, QWidget* parent, std::string path)
        : context_(context), parent_(parent), path_(std::move(path)) {}

    Status run() {
        auto recovered = readRecovery(path_);
        if (!recovered)
            return recovered.error();
        if (!*recovered)
            return removeRecovery(path_); // an empty copy holds no order
        const OrderRecord& order = **recovered;
        const QString number = fromDisk(order.text(OrderField::FileNumber));
        const auto answer =
            ask(QStringLiteral("Order %1 (%2) was pulled for editing\nand never saved back.\n\n"
                               "\"Yes\" to put it back into the queue, %3")
                    .arg(number, fromDisk(splitQuestionAddress(order)), kChoices));
        if (answer != QMessageBox::Yes)
            return answer == QMessageBox::No ? discard(order) : okStatus();
        auto restored =
            restoreRecovered(context_.dataFolder(), order, logOnName(), PutBack::UnderItsNumber);
        if (!restored)
            return restored.error();
        if (restored->kind != RestoreOutcome::Kind::NumberTaken)
            return putBack(restored->fileNumber);
        return offerNewNumber(order, *restored);
    }

  private:
    QMessageBox::StandardButton ask(const QString& text) {
        return context_.dialogs->ask(
            parent_, QMessageBox::Question, QString::fromLatin1(kRecoverTitle), text,
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    }

    Status offerNewNumber(const OrderRecord& order, const RestoreOutcome& taken) {
        QString holder = QStringLiteral("File \"%1\" already exists")
                             .arg(fromDisk(order.text(OrderField::FileNumber)));
        if (!taken.existing && taken.reservedBy)
            holder += QStringLiteral(": it is pulled for editing") +
                      fromDisk(pulledByText(*taken.reservedBy));
        const QString offered = fromDisk(taken.fileNumber);
        const auto answer =
            ask(holder + QStringLiteral(".\nThe recovered order cannot go back under its "
                                        "own number.\n\n\"Yes\" to put it back under the "
                                        "next generated number, %1, %2")
                             .arg(offered, kChoices));
        if (answer != QMessageBox::Yes)
            return answer == QMessageBox::No ? discard(order) : okStatus();
        auto restored =
            restoreRecovered(context_.dataFolder(), order, logOnName(), PutBack::UnderNewNumber);
        if (!restored)
            return restored.error();
        const QString given = fromDisk(restored->fileNumber);
        if (given != offered) // another workstation took the offered number meanwhile
            context_.dialogs->message(
                parent_, QMessageBox::Information, QString::fromLatin1(kRecoverTitle),
                QStringLiteral("The recovered order was put back as %1.").arg(given));
        return putBack(restored->fileNumber);
    }

    Status putBack(const std::string& fileNumber) {
        context_.selectedFileNumber = fromDisk(fileNumber);
        return removeRecovery(path_);
    }

    Status discard(const OrderRecord& order) {
        return dropPulledOrder(context_.dataFolder(), order.text(OrderField::FileNumber),
                               logOnName(), path_);
    }

    AppContext& context_;
    QWidget* parent_;
    std::string path_;
};

} // namespace

Status offerRecoveredOrder(AppContext& context, QWidget* parent) {
    auto copies = recoveryCopies(context.programFolder, logOnName());
    if (!copies)
        return copies.error();
    Status first = okStatus();
    for (const std::string& path : *copies) {
        Status offered = CopyOffer(context, parent, path).run();
        if (!offered && first)
            first = offered;
    }
    return first;
}

} // namespace qm
