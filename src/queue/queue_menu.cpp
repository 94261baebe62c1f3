// PendingQueue's pop-up menu with its copy and print commands, and the mouse and focus events
// of its controls.

#include "dialogs.h"
#include "list_output.h"
#include "list_printer.h"
#include "pending_queue.h"
#include "printer.h"
#include "queue_model.h"
#include "queue_widgets.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QTextEdit>

namespace qm {

void PendingQueue::buildMenu() {
    mnuSelection =
        named(new QMenu(QStringLiteral("Selection"), this), QStringLiteral("mnuSelection"));
    auto item = [this](const char* name, const QString& caption) {
        QAction* action = mnuSelection->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    mnuCopySel = item("mnuCopySel", QStringLiteral("Copy Detail"));
    mnuPrintSel = item("mnuPrintSel", QStringLiteral("Print Detail"));
    mnuSelection->addSeparator()->setObjectName(QStringLiteral("separator1"));
    mnuCopyList = item("mnuCopyList", QStringLiteral("Copy List"));
    mnuPrintList = item("mnuPrintList", QStringLiteral("Print List"));
    mnuEmail = item("mnuEmail", QStringLiteral("Email List"));
    mnuSelection->addSeparator()->setObjectName(QStringLiteral("separator2"));
    mnuSplit = item("mnuSplit", QStringLiteral("SPLIT ORDER"));
    mnuEmail->setEnabled(false);
    mnuSplit->setEnabled(false);
    connect(mnuCopySel, &QAction::triggered, this, &PendingQueue::copyDetail);
    connect(mnuPrintSel, &QAction::triggered, this, &PendingQueue::printDetailRows);
    connect(mnuCopyList, &QAction::triggered, this, &PendingQueue::copyList);
    connect(mnuPrintList, &QAction::triggered, this, &PendingQueue::printWorkList);
}

void PendingQueue::popUpSelectionMenu(const QPoint& globalPos) {
    mnuSelection->popup(globalPos);
}

bool PendingQueue::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == grdOrder->viewport() &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
         type == QEvent::MouseButtonDblClick)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton)
            return false;
        if (type == QEvent::MouseButtonRelease)
            popUpSelectionMenu(mouse->globalPosition().toPoint());
        return true; // the selection stays as it is
    }
    if (watched == grdOrder && type == QEvent::FontChange)
        fitRowHeight();
    if ((watched == headingBar_ && (type == QEvent::Resize || type == QEvent::FontChange)) ||
        (watched == grdOrder && type == QEvent::Resize))
        placeHeadings();
    if (type == QEvent::MouseButtonDblClick) {
        if (watched == lblBase && lblBase->isEnabled())
            unlockFee(txtBase);
        else if (watched == lblMuni && lblMuni->isEnabled())
            unlockFee(txtMuni);
    }
    if (type == QEvent::FocusOut)
        for (int k = 1; k <= kQueueFilterCount; ++k)
            if (watched == cboFilter[k] && cboFilter[k]->currentIndex() > 0)
                paintBackground(cboFilter[k], kFilterInUseColour);
    return QWidget::eventFilter(watched, event);
}

std::vector<QueueCells> PendingQueue::outputRows(bool* singleWithDetails) const {
    const auto [r1, r2] = selectionEnds();
    const bool detailsShown = !txtDetails->toPlainText().isEmpty();
    const std::vector<int> rows = rowsToOutput(r1, r2, detailsShown, model_->shownCount());
    *singleWithDetails = r1 == r2 && detailsShown && rows.size() == 1;
    std::vector<QueueCells> cells;
    cells.reserve(rows.size());
    for (int r : rows)
        cells.push_back(model_->shownCells(r));
    return cells;
}

QStringList PendingQueue::townItems() const {
    return townList_ ? townList_() : QStringList();
}

void PendingQueue::copyDetail() {
    bool single = false;
    const auto rows = outputRows(&single);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(copyDetailText(rows, detailsText_, single));
}

void PendingQueue::copyList() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(workListText());
}

void PendingQueue::printDetailRows() {
    bool single = false;
    const auto rows = outputRows(&single);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool printed =
        context_.printer && printDetail(*context_.printer, rows, detailsText_, single);
    QApplication::restoreOverrideCursor();
    if (!printed)
        reportPrinterError();
}

void PendingQueue::printWorkList() {
    bool single = false;
    const auto rows = outputRows(&single);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool printed = context_.printer && printList(*context_.printer, rows, townItems());
    QApplication::restoreOverrideCursor();
    if (!printed)
        reportPrinterError();
}

void PendingQueue::reportPrinterError() {
    context_.dialogs->message(this, QMessageBox::Critical, QStringLiteral(" PRINTER ERROR"),
                              QStringLiteral("Cannot Find Printer"));
}

} // namespace qm
