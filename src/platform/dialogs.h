#pragma once
// Every message and question goes through here, so tests can answer without a person.

#include <QMessageBox>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace qm {

struct ShownMessage {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
};

// Names one notice, so the program can take it away again when what it reports is over.
using NoticeId = int;

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
    // A notice shown without waiting for it: the program goes on at once, and the user
    // closes it whenever they look, or the program does with closeNotice.
    virtual NoticeId notice(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                            const QString& text) = 0;
    // Closes a notice still shown; one the user closed already is left alone.
    virtual void closeNotice(NoticeId id) = 0;
    // A line of text typed into a prompt, under the typing rules of the main window; nothing
    // on Cancel. `at` places the prompt's top-left corner (global coordinates).
    virtual std::optional<QString> askText(QWidget* parent, const QString& title,
                                           const QString& prompt, const QString& initial,
                                           std::optional<QPoint> at) = 0;
};

// Real message boxes, modal, with the exact title and text.
class WidgetDialogs final : public Dialogs {
  public:
    void message(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                 const QString& text) override;
    QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                    const QString& text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) override;
    NoticeId notice(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                    const QString& text) override;
    void closeNotice(NoticeId id) override;
    std::optional<QString> askText(QWidget* parent, const QString& title, const QString& prompt,
                                   const QString& initial, std::optional<QPoint> at) override;

  private:
    std::map<NoticeId, QPointer<QMessageBox>> notices_;
    NoticeId lastNotice_ = 0;
};

// Records what would have been shown and gives queued answers (the default button when none).
class ScriptedDialogs final : public Dialogs {
  public:
    void message(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                 const QString& text) override;
    QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                    const QString& text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) override;

    NoticeId notice(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                    const QString& text) override;
    void closeNotice(NoticeId id) override;
    // Recorded like a question (no icon, the prompt as text); gives the queued texts in turn,
    // then Cancel.
    std::optional<QString> askText(QWidget* parent, const QString& title, const QString& prompt,
                                   const QString& initial, std::optional<QPoint> at) override;

    struct Notice {
        ShownMessage message;
        NoticeId id = 0;
        bool open = true;
    };

    void queueAnswer(QMessageBox::StandardButton answer) { answers_.push_back(answer); }
    // nullopt answers a prompt with Cancel.
    void queueText(std::optional<QString> text) { texts_.push_back(std::move(text)); }
    // Runs while each box or question is "open", as the nested event loop of a real box would
    // run timers and other events.
    void setWhileOpen(std::function<void()> whileOpen) { whileOpen_ = std::move(whileOpen); }
    // Modal boxes and questions; notices are kept apart.
    const std::vector<ShownMessage>& shown() const { return shown_; }
    const std::vector<Notice>& notices() const { return notices_; }
    void clear() {
        shown_.clear();
        notices_.clear();
    }

  private:
    std::vector<ShownMessage> shown_;
    std::vector<Notice> notices_;
    std::function<void()> whileOpen_;
    bool insideWhileOpen_ = false;
    NoticeId lastNotice_ = 0;
    void runWhileOpen();
    std::deque<QMessageBox::StandardButton> answers_;
    std::deque<std::optional<QString>> texts_;
};

} // namespace qm
