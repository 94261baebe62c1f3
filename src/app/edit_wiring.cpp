#include "edit_wiring.h"

#include "main_window.h"
#include "order_editor.h"
#include "pending_queue.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

namespace qm {

void wireEditCommand(MainWindow& window) {
    OrderEditor* editor = &window.editor();
    PendingQueue* queue = &window.queue();
    QTabWidget* tabs = window.tabs();
    AppContext* context = &window.context();
    QObject::connect(queue->cmdEdit, &QPushButton::clicked, editor, [context, editor, queue] {
        const auto held = context->commandGuard.hold();
        if (!editor->Edit(true))
            queue->cmdReset->setFocus();
    });
    QObject::connect(editor, &OrderEditor::editStarted, tabs, [tabs](const QString& fileNumber) {
        tabs->setTabText(MainWindow::NewOrderTab, QStringLiteral("EDIT ORDER : ") + fileNumber);
        tabs->setCurrentIndex(MainWindow::NewOrderTab);
        tabs->setTabEnabled(MainWindow::PendingTab, false);
        tabs->setTabEnabled(MainWindow::CompletedTab, false);
    });
    QObject::connect(editor, &OrderEditor::editEnded, tabs, [tabs, queue](bool orderDeleted) {
        tabs->setTabText(MainWindow::NewOrderTab, QStringLiteral("New Order"));
        tabs->setTabEnabled(MainWindow::PendingTab, true);
        tabs->setTabEnabled(MainWindow::CompletedTab, true);
        tabs->setCurrentIndex(MainWindow::PendingTab);
        if (!orderDeleted)
            queue->grdOrder->setFocus();
    });
}

} // namespace qm
