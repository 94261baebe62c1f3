#pragma once
// Form2, the message dialog: a file note posted to the selected order, a message sent to its
// searcher and logged, or the work list e-mailed to the searcher of the queue's filter.
//
// Opening it: MessageDialog dialog(context, messenger, request, parent, prepare, report);
// dialog.exec();  `prepare` gives the window the zoom and face colour of a secondary window,
// `report` ends the program on a file error that cannot be gone on from.
//
// The order is written only while it is still pending; a message is sent only while it is, and
// logged only once sent. Whatever is not posted or sent stays in the box for another try.

#include "app_context.h"
#include "message_log.h"
#include "result.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace qm {

class Messenger;
class MessageTextBox;

// What the opening command took at its click.
struct MessageRequest {
    MessageMode mode = MessageMode::Note;
    QString fileNumber; // note and message: the selected order
    QString street;     // message: the address cell before its first ","
    QString searcher;   // message: the row's searcher; list: the searcher filter's text
    QString listText;   // list: the work list as Copy List gives it
};

class MessageDialog final : public QDialog {
    Q_OBJECT
  public:
    using WindowPreparer = std::function<void(QWidget*)>;
    using ErrorReport = std::function<void(const Error&)>;

    MessageDialog(AppContext& context, Messenger& messenger, MessageRequest request,
                  QWidget* parent = nullptr, WindowPreparer prepare = {},
                  ErrorReport unexpectedError = {});

    // Prepares the window (zoom, face colour, focus) and shows it modally until it closes.
    int exec() override;

    // "note", "msg" or "email" while open; empty once closed.
    const QString& mode() const { return mode_; }

    QLabel* Label1 = nullptr;
    MessageTextBox* Text1 = nullptr;
    QCheckBox* chkEmail = nullptr;
    QCheckBox* chkText = nullptr;
    QPushButton* cmdExecute = nullptr;
    QPushButton* cmdCancel = nullptr;

  protected:
    void done(int result) override;

  private:
    void cmdExecuteClick();
    void sendMessage(const DateTime& now, const std::string& initials);
    void sendList();
    // Writes the entry; closes the dialog when it was posted, else says why and stays open.
    void post(OrderField log, const std::string& entry, bool messageSent);
    // The caption "sending ..." in italics and both buttons disabled, and back.
    void startSending();
    void endSending();
    void updateExecute();
    void tell(const QString& title, const QString& text);
    void closeDone();
    // A file error: reported (the program ends) and the dialog closed.
    void fail(const Error& error);

    AppContext& context_;
    Messenger& messenger_;
    MessageRequest request_;
    WindowPreparer prepare_;
    ErrorReport unexpectedError_;
    QString mode_;
    bool sending_ = false;
};

} // namespace qm
