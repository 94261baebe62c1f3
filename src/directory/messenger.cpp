#include "messenger.h"

#include "cp1252.h"
#include "dialogs.h"
#include "directory_lookup.h"
#include "disk_text.h"
#include "mail_program.h"
#include "smtp_session.h"

namespace qm {

Messenger::Messenger(const Settings& settings, Dialogs& dialogs)
    : settings_(settings), dialogs_(dialogs) {}

Messenger::~Messenger() {
    signOff();
}

void Messenger::setNotice(std::function<void(const QString&)> show, std::function<void()> hide) {
    showNotice_ = std::move(show);
    hideNotice_ = std::move(hide);
}

MailTransportClient& Messenger::transport() {
    if (!transport_) {
        if (settings_.useOutlook)
            transport_ = std::make_unique<MailProgram>(settings_.mail.mailProgram,
                                                       settings_.mail.senderAddress);
        else
            transport_ = std::make_unique<SmtpSession>(settings_.mail);
        sessionOpen_ = false;
    }
    return *transport_;
}

Status Messenger::openSession() {
    if (sessionOpen_)
        return okStatus();
    Status opened = transport().open();
    sessionOpen_ = opened.ok();
    return opened;
}

void Messenger::signOn(QWidget* parent) {
    // Mail not set up yet is no failure to report at every start; sending will say so.
    if (settings_.useOutlook || sessionOpen_ || settings_.mail.smtpHost.empty())
        return;
    if (showNotice_)
        showNotice_(QStringLiteral("Establishing SMTP Session\nPlease Wait ..."));
    Status opened = openSession();
    if (hideNotice_)
        hideNotice_();
    if (!opened)
        dialogs_.message(parent, QMessageBox::Critical, QStringLiteral("SMTP SESSION"),
                         fromDisk(opened.error().message));
}

void Messenger::signOff() {
    if (transport_)
        transport_->close();
    transport_.reset();
    sessionOpen_ = false;
}

void Messenger::settingsChanged() {
    signOff();
}

SendResult Messenger::SendMsg(QWidget* parent, const QString& recipName, const QString& subject,
                              const QString& msgText, MessageType messageType) {
    SendResult result = SendMsgQuietly(recipName, subject, msgText, messageType);
    if (result.outcome == SendResult::Outcome::Failed)
        dialogs_.message(parent, QMessageBox::Critical, QStringLiteral("SEND ERROR"),
                         result.reason);
    else if (result.outcome == SendResult::Outcome::NoSearcher)
        dialogs_.message(parent, QMessageBox::Warning, QStringLiteral("SEND ERROR"),
                         QStringLiteral("Nothing was sent: \"%1\" is not in the searcher "
                                        "directory.")
                             .arg(recipName));
    return result;
}

SendResult Messenger::SendMsgQuietly(const QString& recipName, const QString& subject,
                                     const QString& msgText, MessageType messageType) {
    auto searchers = DirectoryLookup::load(settings_.dataFolder, DirectoryKind::Searchers);
    if (!searchers)
        return {SendResult::Outcome::Failed, fromDisk(searchers.error().describe())};
    const auto delivery = planDelivery(searchers->rowBytes(), toDisk(recipName), toDisk(subject),
                                       toDisk(msgText), messageType);
    if (!delivery)
        return {SendResult::Outcome::NoSearcher, {}};
    Status sent = openSession();
    if (sent)
        sent = transport().send(*delivery);
    if (!sent)
        return {SendResult::Outcome::Failed, fromDisk(sent.error().message)};
    return {SendResult::Outcome::Sent, {}};
}

Status Messenger::sendTest(const std::string& address) {
    if (address.empty())
        return mailError("There is no e-mail address to send the test to: fill in "
                         "\"E-Mail Address\" first.");
    Delivery test;
    test.to = address;
    test.subject = "Quillmark test message";
    test.body = "This message shows that Quillmark can send mail from this workstation.";
    if (Status opened = openSession(); !opened)
        return opened;
    return transport().send(test);
}

} // namespace qm
