#include "dialogs.h"

#include "text_guard.h"

#include <QInputDialog>

namespace qm {

namespace {

// Tools outside the program find the box by this name and check its title and text.
constexpr const char* kBoxName = "msgbox";

} // namespace

void WidgetDialogs::message(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                            const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setObjectName(kBoxName);
    box.exec();
}

QMessageBox::StandardButton WidgetDialogs::ask(QWidget* parent, QMessageBox::Icon icon,
                                               const QString& title, const QString& text,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, title, text, buttons, parent);
    box.setObjectName(kBoxName);
    box.setDefaultButton(defaultButton);
    const int result = box.exec();
    if (QAbstractButton* clicked = box.clickedButton()) {
        return box.standardButton(clicked);
    }
    return static_cast<QMessageBox::StandardButton>(result);
}

NoticeId WidgetDialogs::notice(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                               const QString& text) {
    auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, parent);
    box->setObjectName(kBoxName);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
    // Notices the user closed leave no entries behind.
    std::erase_if(notices_, [](const auto& entry) { return entry.second.isNull(); });
    notices_[++lastNotice_] = box;
    return lastNotice_;
}

void WidgetDialogs::closeNotice(NoticeId id) {
    const auto found = notices_.find(id);
    if (found == notices_.end())
        return;
    if (QMessageBox* box = found->second)
        box->close();
    notices_.erase(found);
}

std::optional<QString> WidgetDialogs::askText(QWidget* parent, const QString& title,
                                              const QString& prompt, const QString& initial,
                                              std::optional<QPoint> at) {
    QInputDialog box(parent);
    box.setObjectName(QStringLiteral("inputbox"));
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(initial);
    // A prompt is a window of its own, outside the main window's guard.
    new TextGuard(&box);
    if (at) {
        box.adjustSize();
        box.move(*at);
    }
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

void ScriptedDialogs::message(QWidget*, QMessageBox::Icon icon, const QString& title,
                              const QString& text) {
    shown_.push_back({icon, title, text});
    runWhileOpen();
}

void ScriptedDialogs::runWhileOpen() {
    // One level only: a box shown from inside whileOpen does not run it again.
    if (!whileOpen_ || insideWhileOpen_)
        return;
    insideWhileOpen_ = true;
    whileOpen_();
    insideWhileOpen_ = false;
}

NoticeId ScriptedDialogs::notice(QWidget*, QMessageBox::Icon icon, const QString& title,
                                 const QString& text) {
    notices_.push_back({{icon, title, text}, ++lastNotice_, true});
    return lastNotice_;
}

void ScriptedDialogs::closeNotice(NoticeId id) {
    for (Notice& shown : notices_)
        if (shown.id == id)
            shown.open = false;
}

std::optional<QString> ScriptedDialogs::askText(QWidget*, const QString& title,
                                                const QString& prompt, const QString&,
                                                std::optional<QPoint>) {
    shown_.push_back({QMessageBox::NoIcon, title, prompt});
    runWhileOpen();
    if (texts_.empty())
        return std::nullopt;
    const bool given = texts_.front().has_value();
    const QString text = texts_.front().value_or(QString());
    texts_.pop_front();
    if (!given)
        return std::nullopt;
    return text;
}

QMessageBox::StandardButton ScriptedDialogs::ask(QWidget*, QMessageBox::Icon icon,
                                                 const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons,
                                                 QMessageBox::StandardButton defaultButton) {
    shown_.push_back({icon, title, text});
    runWhileOpen();
    if (answers_.empty()) {
        return defaultButton;
    }
    const QMessageBox::StandardButton answer = answers_.front();
    answers_.pop_front();
    return answer;
}

} // namespace qm
