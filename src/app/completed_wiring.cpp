#include "completed_wiring.h"

#include "archive_wiring.h"
#include "completed_page.h"
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
    wireArchiveButton(window, page.cmdArchives);
}

} // namespace qm
