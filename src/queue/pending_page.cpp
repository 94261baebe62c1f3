#include "pending_page.h"

#include "pending_queue.h"

#include <QVBoxLayout>

namespace qm {

PendingPage::PendingPage(AppContext& context, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tabPending"));
    queue = new PendingQueue(context);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(queue);
}

} // namespace qm
