#pragma once
// The message dialog's text box: one paragraph of text that becomes a log line or a message.
// Enter and a typed double quote are refused; text that arrives by paste or drop has its double
// quotes turned into apostrophes and its line breaks and TABs into blanks. "*" is allowed: a
// note may contain it. Text set by the program (a work list) keeps its lines.

#include <QPlainTextEdit>

namespace qm {

class MessageTextBox final : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit MessageTextBox(QWidget* parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace qm
