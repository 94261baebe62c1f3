#include "message_dialog.h"

#include "clock.h"
#include "dialogs.h"
#include "disk_text.h"
#include "face_colour.h"
#include "message_text_box.h"
#include "messenger.h"
#include "user.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm {

namespace {

QString titleOf(MessageMode mode) {
    switch (mode) {
    case MessageMode::Note:
        return QStringLiteral("POST NOTE TO FILE ...");
    case MessageMode::Message:
        return QStringLiteral("SEND MESSAGE TO SEARCHER ...");
    case MessageMode::List:
        break;
    }
    return QStringLiteral("EMAIL LIST TO SEARCHER ...");
}

QString executeCaption(MessageMode mode) {
    return mode == MessageMode::Note ? QStringLiteral("POST") : QStringLiteral("SEND");
}

// The list's columns line up only in a fixed-pitch font; 5 points before the zoom.
QFont listFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(5);
    return font;
}

void setItalic(QPushButton* button, bool italic) {
    QFont font = button->font();
    font.setItalic(italic);
    button->setFont(font);
}

} // namespace

MessageDialog::MessageDialog(AppContext& context, Messenger& messenger, MessageRequest request,
                             QWidget* parent, WindowPreparer prepare, ErrorReport unexpectedError)
    : QDialog(parent), context_(context), messenger_(messenger), request_(std::move(request)),
      prepare_(std::move(prepare)), unexpectedError_(std::move(unexpectedError)),
      mode_(messageModeTag(request_.mode)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(titleOf(request_.mode));
    setModal(true);
    markFaceColoured(this);
    const bool list = request_.mode == MessageMode::List;

    Label1 = new QLabel(list ? request_.searcher : request_.fileNumber);
    Label1->setObjectName(QStringLiteral("Label1"));
    markFaceColoured(Label1);
    Text1 = new MessageTextBox;
    Text1->setObjectName(QStringLiteral("Text1"));
    chkEmail = new QCheckBox(QStringLiteral("Email"));
    chkEmail->setObjectName(QStringLiteral("chkEmail"));
    chkText = new QCheckBox(QStringLiteral("Text"));
    chkText->setObjectName(QStringLiteral("chkText"));
    for (QCheckBox* box : {chkEmail, chkText}) {
        markFaceColoured(box);
        box->setVisible(request_.mode == MessageMode::Message);
    }
    cmdExecute = new QPushButton(executeCaption(request_.mode));
    cmdExecute->setObjectName(QStringLiteral("cmdExecute"));
    cmdCancel = new QPushButton(QStringLiteral("CANCEL"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter must never post or send: no button answers it.
    for (QPushButton* button : {cmdExecute, cmdCancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    if (list) {
        Text1->setFont(listFont());
        Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
        // The box keeps paragraphs; the list's CR LF line ends come back when it is sent.
        Text1->setPlainText(QString(request_.listText).replace(QStringLiteral("\r\n"), "\n"));
    }
    connect(Text1, &QPlainTextEdit::textChanged, this, &MessageDialog::updateExecute);
    connect(cmdExecute, &QPushButton::clicked, this, &MessageDialog::cmdExecuteClick);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(chkEmail);
    bottom->addWidget(chkText);
    bottom->addStretch(1);
    bottom->addWidget(cmdExecute);
    bottom->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Text1, 1);
    layout->addLayout(bottom);
    resize(list ? QSize(520, 360) : QSize(460, 150));
    updateExecute();
}

int MessageDialog::exec() {
    if (prepare_)
        prepare_(this);
    Text1->setFocus();
    return QDialog::exec();
}

void MessageDialog::done(int result) {
    mode_.clear();
    QDialog::done(result);
}

void MessageDialog::updateExecute() {
    cmdExecute->setEnabled(!sending_ && !Text1->toPlainText().trimmed().isEmpty());
}

void MessageDialog::tell(const QString& title, const QString& text) {
    context_.dialogs->message(this, QMessageBox::Information, title, text);
}

void MessageDialog::closeDone() {
    hide();
    Text1->clear();
    accept();
}

void MessageDialog::fail(const Error& error) {
    if (unexpectedError_)
        unexpectedError_(error);
    else
        context_.dialogs->message(this, QMessageBox::Critical, QStringLiteral("Quillmark"),
                                  fromDisk(error.describe()));
    reject();
}

void MessageDialog::startSending() {
    sending_ = true;
    cmdExecute->setEnabled(false);
    cmdCancel->setEnabled(false);
    setItalic(cmdExecute, true);
    cmdExecute->setText(QStringLiteral("sending ..."));
    cmdExecute->repaint(); // the send blocks: let the caption be seen meanwhile
}

void MessageDialog::endSending() {
    // Clicks made while the send blocked are waiting in the queue: they reach the buttons now,
    // while both are still disabled, and are dropped.
    QCoreApplication::processEvents();
    sending_ = false;
    setItalic(cmdExecute, false);
    cmdExecute->setText(executeCaption(request_.mode));
    cmdCancel->setEnabled(true);
    updateExecute();
}

void MessageDialog::cmdExecuteClick() {
    if (sending_)
        return;
    const DateTime now = storedMoment(context_.clock->now());
    const std::string initials = userInitials(logOnName());
    switch (request_.mode) {
    case MessageMode::Note:
        post(OrderField::NotesLog, formatLogEntry(now, toDisk(Text1->toPlainText()), initials),
             false);
        return;
    case MessageMode::Message:
        sendMessage(now, initials);
        return;
    case MessageMode::List:
        sendList();
        return;
    }
}

void MessageDialog::sendMessage(const DateTime& now, const std::string& initials) {
    const auto type = deliveryChoice(chkEmail->isChecked(), chkText->isChecked());
    if (!type) {
        tell(QStringLiteral("Quillmark"), QStringLiteral("No delivery method selected"));
        return;
    }
    const QString text = Text1->toPlainText();
    const std::string entry = messageLogEntry(now, toDisk(text), initials, *type);
    startSending();
    auto pending = isPendingOrder(context_.dataFolder(), toDisk(request_.fileNumber));
    if (!pending) {
        endSending();
        fail(pending.error());
        return;
    }
    if (!*pending) {
        endSending();
        tell(windowTitle(), QStringLiteral("Order %1 is no longer pending: the message was not "
                                           "sent.")
                                .arg(request_.fileNumber));
        return;
    }
    const SendResult sent = messenger_.SendMsg(
        this, request_.searcher, QStringLiteral("Re: ") + request_.street, text, *type);
    endSending();
    if (!sent.sent())
        return; // SendMsg said why; nothing is logged as sent
    post(OrderField::MessagesLog, entry, true);
}

void MessageDialog::sendList() {
    const QString list = Text1->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    const QString body =
        listMailBody(request_.searcher, context_.clock->now(), list, context_.settings.company);
    startSending();
    const SendResult sent = messenger_.SendMsg(
        this, request_.searcher, QStringLiteral("SEARCH LIST"), body, MessageType::EmailOnly);
    endSending();
    if (sent.sent())
        closeDone();
}

void MessageDialog::post(OrderField log, const std::string& entry, bool messageSent) {
    auto posted = postLogEntry(context_.dataFolder(), toDisk(request_.fileNumber), log, entry);
    if (!posted) {
        fail(posted.error());
        return;
    }
    if (*posted == PostResult::Posted) {
        closeDone();
        return;
    }
    // Pulled or closed elsewhere since the click: the text stays for the user to keep.
    tell(windowTitle(),
         messageSent ? QStringLiteral("The message was sent but not logged: order %1 is no "
                                      "longer pending.")
                           .arg(request_.fileNumber)
                     : QStringLiteral("Order %1 is no longer pending: the note was not posted.")
                           .arg(request_.fileNumber));
}

} // namespace qm
