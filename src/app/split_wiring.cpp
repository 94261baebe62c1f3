#include "split_wiring.h"

#include "main_window.h"
#include "order_editor.h"
#include "pending_queue.h"

#include <QAction>
#include <QTableView>

namespace qm {

void wireSplitCommand(MainWindow& window) {
    OrderEditor* editor = &window.editor();
    PendingQueue* queue = &window.queue();
    AppContext* context = &window.context();
    QObject::connect(queue->mnuSplit, &QAction::triggered, editor, [context, editor, queue] {
        const auto held = context->commandGuard.hold();
        const QueueSelectionSnapshot snapshot = queue->selectionSnapshot();
        if (!editor->Split(snapshot.fileNumber))
            queue->grdOrder->setFocus();
    });
}

} // namespace qm
