#include "message_text_box.h"

#include "message_log.h"

#include <QKeyEvent>
#include <QMimeData>

namespace qm {

MessageTextBox::MessageTextBox(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
}

void MessageTextBox::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // Accepted here, so the dialog never sees an Enter either.
    if (enter || event->text() == QStringLiteral("\"")) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MessageTextBox::insertFromMimeData(const QMimeData* source) {
    if (source && source->hasText())
        insertPlainText(singleLineText(source->text()));
}

} // namespace qm
