#include "completed_wiring.h"

#include "archive_wiring.h"
#include "completed_page.h"
#include "invoice_command.h"
#include "main_window.h"

#include <QTabWidget>

namespace qm {

void wireCompletedList(MainWindow& window, CompletedPage& page,
                       std::function<void(const Error&)> unexpectedError) {
    window.hooks().rebuildCompletedList = [&page] { return page.Rebuild(); };
    QTabWidget* tabs = window.tabs();
    page.setTabCaption(
        [tabs](const QString& caption) { tabs->setTabText(MainWindow::CompletedTab, caption); });
    page.setUnexpectedError(std::move(unexpectedError));
    AppContext* context = &window.context();
    QWidget* owner = &window;
    page.setInvoiceCommand([context, owner](const InvoiceRequest& request) {
        return generateInvoice(*context, owner, request);
    });
    wireArchiveButton(window, page.cmdArchives);
}

} // namespace qm
