#include "message_wiring.h"

#include "appearance_apply.h"
#include "main_window.h"
#include "message_dialog.h"
#include "pending_queue.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>

namespace qm {

namespace {

void openMessageDialog(MainWindow& window, const MessageRequest& request) {
    AppContext* context = &window.context();
    MessageDialog dialog(
        *context, window.messenger(), request, &window,
        [context](QWidget* w) { openSecondaryWindow(w, context->zoomFactor, context->faceColour); },
        window.queue().unexpectedErrorReport());
    dialog.exec();
}

void openForSelection(MainWindow& window, MessageMode mode) {
    const auto held = window.context().commandGuard.hold();
    const QueueSelectionSnapshot snapshot = window.queue().selectionSnapshot();
    if (snapshot.fileNumber.isEmpty())
        return;
    openMessageDialog(window, {mode, snapshot.fileNumber, snapshot.street, snapshot.searcher, {}});
}

void emailList(MainWindow& window) {
    const auto held = window.context().commandGuard.hold();
    PendingQueue& queue = window.queue();
    const QString searcher = queue.cboFilter[SearcherFilter]->currentText();
    if (!isFilterActive(SearcherFilter, searcher))
        return;
    queue.mnuCopyList->trigger();
    MessageRequest request{MessageMode::List, {}, {}, searcher, queue.workListText()};
    // The list reaches the dialog directly; the clipboard is emptied as the dialog opens.
    QGuiApplication::clipboard()->clear();
    openMessageDialog(window, request);
}

} // namespace

void wireMessageDialog(MainWindow& window) {
    PendingQueue& queue = window.queue();
    MainWindow* w = &window;
    QObject::connect(queue.cmdNotes, &QPushButton::clicked, w,
                     [w] { openForSelection(*w, MessageMode::Note); });
    QObject::connect(queue.cmdMessage, &QPushButton::clicked, w,
                     [w] { openForSelection(*w, MessageMode::Message); });
    // The queue enables the item while its searcher filter is in use.
    QObject::connect(queue.mnuEmail, &QAction::triggered, w, [w] { emailList(*w); });
}

} // namespace qm
