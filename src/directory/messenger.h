#pragma once
// SendMsg and the mail session behind it: the one way the program sends anything to a searcher.

#include "config.h"
#include "mail_logic.h"
#include "mail_transport.h"

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace qm {

class Dialogs;

// What became of one SendMsg.
struct SendResult {
    enum class Outcome { Sent, NoSearcher, Failed } outcome = Outcome::Failed;
    QString reason; // why it failed; empty otherwise

    bool sent() const { return outcome == Outcome::Sent; }
};

class Messenger {
  public:
    // settings and dataFolder are read at each use, so a saved change applies at once.
    Messenger(const Settings& settings, Dialogs& dialogs);
    ~Messenger();

    // Shows and hides the one-line notice while signing on.
    void setNotice(std::function<void(const QString&)> show, std::function<void()> hide);

    // At window activation: signs on to the SMTP server when that is the mail system and no
    // session is open. A failure is shown ("SMTP SESSION") and sign-on is tried again at the
    // next send; the refresh runs all the same. Without an SMTP server set up nothing happens.
    void signOn(QWidget* parent);
    void signOff();
    // The mail settings changed: the next use signs on with the new ones.
    void settingsChanged();

    // Sends to the first searcher whose directory row begins with recipName. When there is
    // none, or the send fails, nothing is sent and a "SEND ERROR" says why.
    SendResult SendMsg(QWidget* parent, const QString& recipName, const QString& subject,
                       const QString& msgText, MessageType messageType);
    // The same, showing nothing: for sends nobody is there to acknowledge.
    SendResult SendMsgQuietly(const QString& recipName, const QString& subject,
                              const QString& msgText, MessageType messageType);

    // A short message to `address` through the chosen mail system; the failure text, if any.
    Status sendTest(const std::string& address);

  private:
    MailTransportClient& transport();
    Status openSession();

    const Settings& settings_;
    Dialogs& dialogs_;
    std::unique_ptr<MailTransportClient> transport_;
    bool sessionOpen_ = false;
    std::function<void(const QString&)> showNotice_;
    std::function<void()> hideNotice_;
};

} // namespace qm
