#include "dialogs.h"

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

void ScriptedDialogs::message(QWidget*, QMessageBox::Icon icon, const QString& title,
                              const QString& text) {
    shown_.push_back({icon, title, text});
}

QMessageBox::StandardButton ScriptedDialogs::ask(QWidget*, QMessageBox::Icon icon,
                                                 const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons,
                                                 QMessageBox::StandardButton defaultButton) {
    shown_.push_back({icon, title, text});
    if (answers_.empty()) {
        return defaultButton;
    }
    const QMessageBox::StandardButton answer = answers_.front();
    answers_.pop_front();
    return answer;
}

} // namespace qm
