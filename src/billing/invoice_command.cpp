#include "invoice_command.h"

#include "app_context.h"
#include "busy_pointer.h"
#include "clock.h"
#include "data_file.h"
#include "dialogs.h"
#include "directory_files.h"
#include "disk_text.h"
#include "docx_writer.h"
#include "launcher.h"
#include "statement_archive.h"
#include "statement_layout.h"
#include "text_guard.h"

#include <QApplication>
#include <QWidget>
#include <numeric>

namespace qm {

namespace {

// Where the prompt stands: 6350 and 8925 twips from the window's corner, zoomed with it.
std::optional<QPoint> promptPosition(const AppContext& context, QWidget* parent) {
    if (parent == nullptr)
        return std::nullopt;
    QWidget* window = parent->window();
    const double pixelsPerTwip = window->logicalDpiX() / 1440.0;
    const auto toPixels = [&](double twips) {
        return static_cast<int>(twips * context.zoomFactor * pixelsPerTwip + 0.5);
    };
    return window->frameGeometry().topLeft() + QPoint(toPixels(6350), toPixels(8925));
}

std::optional<QString> askStatementNumber(AppContext& context, QWidget* parent) {
    const QString prompt =
        QStringLiteral("Enter statement number to proceed ...") + QStringLiteral("\r\r") +
        QStringLiteral("NOTE: Completed orders shown will be removed to the archives") +
        QStringLiteral(" once the invoice is generated.");
    auto typed = context.dialogs->askText(parent, kStatementNumberTitle, prompt, QString(),
                                          promptPosition(context, parent));
    if (!typed || typed->trimmed().isEmpty())
        return std::nullopt;
    // Pasted text reaches the box past the typing rules; a double quote would break the record.
    return withoutDoubleQuotes(*typed);
}

bool mayWriteStatement(AppContext& context, QWidget* parent, const std::string& path,
                       const QString& fileName) {
    if (!fileExists(path))
        return true;
    const QString text = fileName + QStringLiteral(" is already saved in ") +
                         QString::fromStdString(folderOf(path)) + QStringLiteral("\r\r") +
                         QStringLiteral("Replace it with this statement?");
    return context.dialogs->ask(parent, QMessageBox::Warning, kStatementNumberTitle, text,
                                QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

} // namespace

Status storeBillToOverride(const std::string& dataFolder, const InvoiceRequest& request) {
    const std::string key = toDisk(request.billingKey);
    auto current = findBillingOverride(dataFolder, key + "_");
    if (!current)
        return current.error();
    const auto line = overrideLineToStore(key, request.billTo, *current);
    if (!line)
        return okStatus();
    return addBillingOverride(dataFolder, *line);
}

bool generateInvoice(AppContext& context, QWidget* parent, const InvoiceRequest& request) {
    if (request.shown.empty() || request.billingKey.isEmpty())
        return false;
    const auto typed = askStatementNumber(context, parent);
    if (!typed)
        return false;
    const auto failed = [&](const Error& error) {
        context.dialogs->message(parent, QMessageBox::Critical, kSheetErrorTitle,
                                 fromDisk(error.describe()));
        return false;
    };

    auto folder = statementsFolderOf(context.dataFolder());
    if (!folder)
        return failed(folder.error());
    const QString fileName = statementFileName(*typed);
    // File names are the system's UTF-8; only the files' contents are Windows-1252.
    const std::string path = *folder + fileName.toStdString();
    const bool replace = fileExists(path);
    if (!mayWriteStatement(context, parent, path, fileName))
        return false;

    BusyPointer busy;
    if (Status stored = storeBillToOverride(context.dataFolder(), request); !stored) {
        busy.release();
        return failed(stored.error());
    }
    std::vector<size_t> all(request.shown.size());
    std::iota(all.begin(), all.end(), size_t{0});
    const StatementModel model = statementModelOf(context.settings.company, request.billTo, *typed,
                                                  request.cutoff, request.shown, all);
    auto staged = docx::stageDocument(statementDocument(model), path);
    if (!staged) {
        busy.release();
        return failed(staged.error());
    }
    StatementArchive archive{context.dataFolder(), request.billingKey, request.shown,
                             toDisk(*typed), storedDay(context.clock->today())};
    auto archived = archiveStatement(archive, *staged, replace);
    busy.release();
    if (!archived)
        return failed(archived.error());
    if (archived->outcome == ArchiveOutcome::UnfinishedInQueue) {
        context.dialogs->message(
            parent, QMessageBox::Warning, kSheetErrorTitle,
            QStringLiteral("Order ") + fromDisk(archived->fileNumber) +
                QStringLiteral(" is still in the pending queue: a CLOSE ORDER or BILL of it did "
                               "not finish, so no statement was saved and nothing was archived.") +
                QStringLiteral("\r\r") +
                QStringLiteral("Please run that command on the order again, then generate the "
                               "invoice anew."));
        return false;
    }
    if (archived->outcome == ArchiveOutcome::ListChanged) {
        context.dialogs->message(
            parent, QMessageBox::Warning, kSheetErrorTitle,
            QStringLiteral("Orders shown for this statement were closed, corrected or billed "
                           "meanwhile, so no statement was saved and nothing was archived.") +
                QStringLiteral("\r\r") +
                QStringLiteral("Please look at the list again and generate the invoice anew."));
        return false;
    }
    QString failure;
    if (context.launcher == nullptr ||
        !context.launcher->openDocument(QString::fromStdString(path), &failure))
        context.dialogs->message(
            parent, QMessageBox::Information, kStatementNumberTitle,
            QStringLiteral("The statement was saved as ") + QString::fromStdString(path) +
                QStringLiteral(" and its orders are archived, but no application could open "
                               "it here.") +
                (failure.isEmpty() ? QString() : QStringLiteral("\r\r") + failure));
    return true;
}

} // namespace qm
