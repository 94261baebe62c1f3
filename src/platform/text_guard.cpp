#include "text_guard.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace qm {

namespace {

constexpr const char* kWatchedProperty = "qmTextGuarded";

bool isTextField(QObject* object) {
    return qobject_cast<QLineEdit*>(object) || qobject_cast<QPlainTextEdit*>(object) ||
           qobject_cast<QTextEdit*>(object);
}

void cleanClipboard(QClipboard::Mode mode) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QString text = clipboard->text(mode);
    if (text.contains('"'))
        clipboard->setText(withoutDoubleQuotes(text), mode);
}

// Replaces every double quote in the document in place, so the cursor and undo stay sensible.
template <typename Edit> void cleanDocument(Edit* edit) {
    QTextDocument* doc = edit->document();
    for (QTextCursor found = doc->find(QStringLiteral("\"")); !found.isNull();
         found = doc->find(QStringLiteral("\""), found))
        found.insertText(QStringLiteral("'"));
}

} // namespace

QString withoutDoubleQuotes(QString text) {
    return text.replace('"', '\'');
}

TextGuard::TextGuard(QWidget* window) : QObject(window), window_(window) {
    qApp->installEventFilter(this);
}

bool TextGuard::isInside(QObject* object) const {
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && (widget == window_ || window_->isAncestorOf(widget));
}

void TextGuard::watchTextField(QWidget* field) {
    if (field->property(kWatchedProperty).toBool())
        return;
    field->setProperty(kWatchedProperty, true);
    if (auto* line = qobject_cast<QLineEdit*>(field)) {
        connect(line, &QLineEdit::textEdited, line, [line](const QString& text) {
            if (!text.contains('"'))
                return;
            const int cursor = line->cursorPosition();
            line->setText(withoutDoubleQuotes(text));
            line->setCursorPosition(cursor);
        });
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(field)) {
        connect(plain, &QPlainTextEdit::textChanged, plain, [plain] {
            if (plain->document()->find(QStringLiteral("\"")).isNull())
                return;
            cleanDocument(plain);
        });
    } else if (auto* rich = qobject_cast<QTextEdit*>(field)) {
        connect(rich, &QTextEdit::textChanged, rich, [rich] {
            if (rich->document()->find(QStringLiteral("\"")).isNull())
                return;
            cleanDocument(rich);
        });
    }
}

bool TextGuard::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::FocusIn && type != QEvent::DragEnter &&
        type != QEvent::MouseButtonPress && type != QEvent::ContextMenu)
        return false;
    if (!isInside(watched))
        return false;
    // Text widgets of scroll areas receive mouse and drag events through their viewport.
    QObject* field = watched;
    if (!isTextField(field) && watched->parent() && isTextField(watched->parent()))
        field = watched->parent();
    if (isTextField(field))
        watchTextField(static_cast<QWidget*>(field));

    if (type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Paste)) {
            cleanClipboard(QClipboard::Clipboard);
            return false;
        }
        if (key->text() == QStringLiteral("*"))
            return true;
        if (key->text() == QStringLiteral("\"")) {
            QKeyEvent apostrophe(QEvent::KeyPress, Qt::Key_Apostrophe, key->modifiers(),
                                 QStringLiteral("'"), key->isAutoRepeat());
            QCoreApplication::sendEvent(watched, &apostrophe);
            return true;
        }
        return false;
    }
    if (type == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton)
        cleanClipboard(QClipboard::Selection);
    if (type == QEvent::ContextMenu)
        cleanClipboard(QClipboard::Clipboard);
    return false;
}

} // namespace qm
