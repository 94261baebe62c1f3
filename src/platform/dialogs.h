#pragma once
// Every modal message and question goes through here, so tests can answer without a person.

#include <QMessageBox>
#include <QString>
#include <deque>
#include <vector>

namespace qm {

struct ShownMessage {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // An OK box.
    virtual void message(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                         const QString& text) = 0;
    // A question with the given buttons; returns the button chosen.
    virtual QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon,
                                            const QString& title, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton) = 0;
};

// Real message boxes, modal, with the exact title and text.
class WidgetDialogs final : public Dialogs {
  public:
    void message(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                 const QString& text) override;
    QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                    const QString& text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) override;
};

// Records what would have been shown and gives queued answers (the default button when none).
class ScriptedDialogs final : public Dialogs {
  public:
    void message(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                 const QString& text) override;
    QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                    const QString& text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) override;

    void queueAnswer(QMessageBox::StandardButton answer) { answers_.push_back(answer); }
    const std::vector<ShownMessage>& shown() const { return shown_; }
    void clear() { shown_.clear(); }

  private:
    std::vector<ShownMessage> shown_;
    std::deque<QMessageBox::StandardButton> answers_;
};

} // namespace qm
