#include "recovery_prompt.h"

#include "app_context.h"
#include "cp1252.h"
#include "dialogs.h"
#include "order_store.h"
#include "user.h"

namespace qm {

namespace {

QString fromDisk(const std::string& bytes) {
    return QString::fromStdString(cp1252ToUtf8(bytes));
}

} // namespace

Status offerRecoveredOrder(AppContext& context, QWidget* parent) {
    const std::string path = recoveryFilePath(context.programFolder, logOnName());
    auto recovered = readRecovery(path);
    if (!recovered)
        return recovered.error();
    if (!*recovered)
        return okStatus();
    const OrderRecord& order = **recovered;
    const QString number = fromDisk(order.text(OrderField::FileNumber));
    const QString address = fromDisk(splitQuestionAddress(order));
    const auto answer = context.dialogs->ask(
        parent, QMessageBox::Question, QString::fromLatin1(kRecoverTitle),
        QStringLiteral("Order %1 (%2) was pulled for editing\nand never saved back.\n\n"
                       "\"Yes\" to put it back into the queue, \"No\" to discard it")
            .arg(number, address),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return removeRecovery(path);
    auto restored = restoreRecovered(context.dataFolder(), order);
    if (!restored)
        return restored.error();
    if (restored->duplicate) {
        context.dialogs->message(
            parent, QMessageBox::Critical, QString::fromLatin1(kRecoverTitle),
            QStringLiteral("File \"%1\" already exists, so the recovered order was not put back."
                           "\nIt is kept in %2 and offered again at the next start.")
                .arg(number, fromDisk(path)));
        return okStatus();
    }
    context.selectedFileNumber = number;
    return removeRecovery(path);
}

} // namespace qm
