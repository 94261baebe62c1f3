// NOTES, MESSAGE and "Email List" on a real main window: the message dialog driven through its
// controls, the data files compared byte for byte, and the mail received by a real SMTP server
// or handed to a real mail program.

#include "window_fixture.h"

#include "data_lock.h"
#include "drop_down_list.h"
#include "message_dialog.h"
#include "message_text_box.h"
#include "messenger.h"
#include "pending_queue.h"
#include "queue_model.h"
#include "smtp_server.h"
#include "user.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <thread>

namespace qm {
namespace {

const char* kConfig =
    "\"North Abstract llc\",\"1 Court Sq\",\"\",\"Hartford, CT\",\"555-0100\",\"555-0101\","
    "\"e\"\r\n\"Massachusetts\"\r\n0,0,1,#FALSE#\r\n\"\"\r\n";

const std::string kStamp = "\r\n12/07 09:00  ";

std::string initials() {
    return userInitials(logOnName());
}

OrderRecord orderOf(const std::string& number, const std::string& address, const std::string& town,
                    const std::string& searcher) {
    OrderRecord r(OrderFile::Pending);
    r.set(OrderField::EnteredAt, Field::ofDate({2026, 11, 2, 8, 15, 0}));
    r.setText(OrderField::FileNumber, number);
    r.setText(OrderField::PropertyAddress1, address);
    r.setText(OrderField::Town, town);
    r.setText(OrderField::SearchType, "R.Full");
    r.setText(OrderField::Searcher, searcher);
    r.setText(OrderField::NotesLog, "\r\n11/02 08:15  ordered [JQ]");
    r.setDueDate({{2026, 12, 10}, false});
    return r;
}

class MessageDialogTest : public test::WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        put("Searchers.lst",
            "Ann Lee _  _  _  _  _ 555-201-0002 _ Sprint _ ann@lee.example\r\n"
            "Tom Reed _  _  _  _  _ (555) 201-0001 _ Verizon _ tom@reed.example\r\n");
        orders = {orderOf("F-1", "12 ELM ST", "AGAWAM", "Tom Reed*"),
                  orderOf("F-2", "3 OAK AVE", "WEST SPRINGFIELD", "Tom Reed*"),
                  orderOf("F-3", "9 PINE RD", "AGAWAM", "Ann Lee")};
        putOrders(orders);
        start(kConfig);
        window->refreshNow();
        QApplication::setActiveWindow(window.get());
        useMailServer();
    }
    void putOrders(const std::vector<OrderRecord>& records) {
        auto lock = DataLock::acquire(data);
        ASSERT_TRUE(lock);
        ASSERT_TRUE(rewriteOrderFile(*lock, OrderFile::Pending, records));
    }
    std::string pendingFile() {
        auto bytes = readWholeFile(data + "Pending.fil");
        return bytes ? *bytes : std::string("<missing>");
    }
    // The bytes Pending.fil holds with these records.
    std::string bytesOf(const std::vector<OrderRecord>& records) {
        QTemporaryDir other;
        const std::string folder = other.path().toStdString() + "/";
        auto lock = DataLock::acquire(folder);
        EXPECT_TRUE(lock);
        EXPECT_TRUE(rewriteOrderFile(*lock, OrderFile::Pending, records));
        auto bytes = readWholeFile(folder + "Pending.fil");
        return bytes ? *bytes : std::string();
    }
    // The orders with entry added to one order's log.
    std::string withEntry(size_t index, OrderField log, const std::string& entry) {
        std::vector<OrderRecord> changed = orders;
        changed[index].setText(log, changed[index].text(log) + entry);
        return bytesOf(changed);
    }
    void useMailServer() {
        Settings& s = window->context().settings;
        s.useOutlook = false;
        s.mail.smtpHost = "127.0.0.1";
        s.mail.smtpPort = server.port();
        s.mail.senderAddress = "desk@north.example";
        window->messenger().settingsChanged();
    }
    // A mail program that takes its time: it counts its runs, runs `during` (if any), keeps the
    // message and ends with `exitCode`.
    void useSlowMailProgram(int exitCode, const std::string& during = "") {
        const std::string script = program + "slowmail.sh";
        std::ofstream(script) << "#!/bin/sh\necho run >> " << program << "runs.txt\n"
                              << "cat > " << program << "mail.txt\n"
                              << during << "\nsleep 1\nexit " << exitCode << "\n";
        ::chmod(script.c_str(), 0755);
        Settings& s = window->context().settings;
        s.useOutlook = true;
        s.mail.mailProgram = script;
        window->messenger().settingsChanged();
    }
    std::string programFile(const std::string& name) {
        auto bytes = readWholeFile(program + name);
        return bytes ? *bytes : std::string();
    }
    PendingQueue& queue() { return window->queue(); }
    void select(const QString& number) {
        const int row = queue().model().rowOfFileNumber(number);
        ASSERT_GE(row, 0) << number.toStdString();
        queue().grdOrder->selectionModel()->setCurrentIndex(queue().model().index(row, 0),
                                                            QItemSelectionModel::ClearAndSelect |
                                                                QItemSelectionModel::Rows);
    }
    // Opens the dialog and runs `act` while it is open; a dialog still open afterwards is
    // cancelled. False when no dialog opened.
    bool whileOpen(const std::function<void()>& open,
                   const std::function<void(MessageDialog&)>& act) {
        bool opened = false;
        QTimer::singleShot(0, window.get(), [&] {
            auto* dialog = window->findChild<MessageDialog*>(QStringLiteral("Form2"));
            if (!dialog || !dialog->isVisible())
                return;
            opened = true;
            act(*dialog);
            if (dialog->isVisible())
                dialog->cmdCancel->click();
        });
        open();
        return opened;
    }
    bool onOrder(QPushButton* command, const QString& number,
                 const std::function<void(MessageDialog&)>& act) {
        select(number);
        return whileOpen([command] { QTest::mouseClick(command, Qt::LeftButton); }, act);
    }
    // Another workstation pulls the order: a process of its own that dies holding it.
    void pullElsewhere(const std::string& number) {
        ::mkdir((program + "other/").c_str(), 0755);
        QProcess other;
        other.start(QStringLiteral(QM_PULL_AND_DIE),
                    {QString::fromStdString(program + "other/"), QString::fromStdString(data),
                     QString::fromStdString(number)});
        ASSERT_TRUE(other.waitForFinished(30000));
        ASSERT_EQ(other.exitStatus(), QProcess::CrashExit) << other.readAllStandardError().data();
    }
    std::string pullCommand(const std::string& number) const {
        return std::string(QM_PULL_AND_DIE) + " " + program + "other/ " + data + " " + number;
    }
    static void type(MessageDialog& d, const QString& text) {
        d.Text1->setFocus();
        QTest::keyClicks(d.Text1, text);
    }
    static std::string bodyOf(const mailtest::Received& mail) {
        const size_t end = mail.content.find("\r\n\r\n");
        return end == std::string::npos ? std::string() : mail.content.substr(end + 4);
    }
    static std::string headersOf(const mailtest::Received& mail) {
        return mail.content.substr(0, mail.content.find("\r\n\r\n") + 2);
    }

    mailtest::SmtpServer server;
    std::vector<OrderRecord> orders;
};

TEST_F(MessageDialogTest, NoteIsPostedAsTheLastLineOfTheNotesAndEnterNeverPosts) {
    const bool opened = onOrder(queue().cmdNotes, "F-1", [&](MessageDialog& d) {
        EXPECT_EQ(d.windowTitle(), "POST NOTE TO FILE ...");
        EXPECT_EQ(d.mode(), "note");
        EXPECT_EQ(d.Label1->text(), "F-1");
        EXPECT_EQ(d.cmdExecute->text(), "POST");
        EXPECT_FALSE(d.chkEmail->isVisible());
        EXPECT_FALSE(d.chkText->isVisible());
        EXPECT_TRUE(window->context().commandGuard.held());
        type(d, "   ");
        EXPECT_FALSE(d.cmdExecute->isEnabled()); // blank text cannot be posted
        d.Text1->clear();
        type(d, "left *word* with clerk");
        ASSERT_TRUE(d.cmdExecute->isEnabled());
        QTest::keyClick(d.Text1, Qt::Key_Return);
        QTest::keyClick(d.Text1, Qt::Key_Enter);
        QTest::keyClick(&d, Qt::Key_Return); // no button answers Enter
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.Text1->toPlainText(), "left *word* with clerk");
        EXPECT_EQ(pendingFile(), bytesOf(orders));
        QTest::mouseClick(d.cmdExecute, Qt::LeftButton);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.mode(), "");
    });
    ASSERT_TRUE(opened);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_FALSE(window->context().commandGuard.held());
    EXPECT_EQ(pendingFile(), withEntry(0, OrderField::NotesLog,
                                       kStamp + "left *word* with clerk [" + initials() + "]"));
}

TEST_F(MessageDialogTest, MessageGoesThroughTheTickedChannelsAndIsLoggedWithThem) {
    const struct {
        const char* name;
        bool email, text;
        std::vector<std::string> recipients; // empty: refused
        const char* ending;
    } cases[] = {
        {"e-mail", true, false, {"tom@reed.example"}, " via eml"},
        {"text", false, true, {"5552010001@vtext.com"}, " via txt"},
        {"both", true, true, {"tom@reed.example", "5552010001@vtext.com"}, ""},
        {"none", false, false, {}, nullptr},
    };
    std::string expected = pendingFile();
    for (const auto& c : cases) {
        dialogs.clear();
        const size_t before = server.received().size();
        const bool opened = onOrder(queue().cmdMessage, "F-1", [&](MessageDialog& d) {
            EXPECT_EQ(d.windowTitle(), "SEND MESSAGE TO SEARCHER ...");
            EXPECT_EQ(d.mode(), "msg");
            EXPECT_EQ(d.cmdExecute->text(), "SEND");
            EXPECT_TRUE(d.chkEmail->isVisible());
            EXPECT_FALSE(d.chkEmail->isChecked());
            EXPECT_FALSE(d.chkText->isChecked());
            d.chkEmail->setChecked(c.email);
            d.chkText->setChecked(c.text);
            type(d, QString("call me ") + c.name);
            QTest::mouseClick(d.cmdExecute, Qt::LeftButton);
            EXPECT_EQ(d.isVisible(), c.recipients.empty()) << c.name;
            EXPECT_EQ(d.cmdExecute->text(), "SEND");
        });
        ASSERT_TRUE(opened) << c.name;
        const auto received = server.received();
        if (c.recipients.empty()) {
            ASSERT_EQ(dialogs.shown().size(), 1u);
            EXPECT_EQ(dialogs.shown()[0].title, "Quillmark");
            EXPECT_EQ(dialogs.shown()[0].text, "No delivery method selected");
            EXPECT_EQ(received.size(), before);
            EXPECT_EQ(pendingFile(), expected);
            continue;
        }
        EXPECT_TRUE(dialogs.shown().empty()) << c.name;
        ASSERT_EQ(received.size(), before + 1) << c.name;
        EXPECT_EQ(received.back().rcptTo, c.recipients) << c.name;
        EXPECT_NE(headersOf(received.back()).find("\r\nSubject: Re: 12 ELM ST\r\n"),
                  std::string::npos);
        EXPECT_EQ(bodyOf(received.back()), std::string("call me ") + c.name + "\r\n");
        orders[0].setText(OrderField::MessagesLog, orders[0].text(OrderField::MessagesLog) +
                                                       kStamp + "call me " + c.name + " [" +
                                                       initials() + "]" + c.ending);
        expected = bytesOf(orders);
        EXPECT_EQ(pendingFile(), expected) << c.name;
    }
}

// Text that the message carries as it stands: header lines hidden in the address, and a body
// that is the SMTP end-of-data mark.
TEST_F(MessageDialogTest, AddressAndTextCannotBreakOutOfTheirPlaceInTheMail) {
    orders[2].setText(OrderField::PropertyAddress1, "5 ASH ST\r\nBcc: spy@evil.example");
    putOrders(orders);
    window->refreshNow();
    const struct {
        const char* number;
        const char* text;
        const char* subject;
        const char* body;
        std::vector<std::string> recipients;
    } cases[] = {
        {"F-3", "hello", "Re: 5 ASH ST Bcc: spy@evil.example", "hello\r\n", {"ann@lee.example"}},
        {"F-1", ".", "Re: 12 ELM ST", ".\r\n", {"tom@reed.example"}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(onOrder(queue().cmdMessage, c.number, [&](MessageDialog& d) {
            d.chkEmail->setChecked(true);
            type(d, c.text);
            QTest::mouseClick(d.cmdExecute, Qt::LeftButton);
            EXPECT_FALSE(d.isVisible());
        }));
        const auto received = server.received();
        ASSERT_FALSE(received.empty());
        const std::string headers = headersOf(received.back());
        EXPECT_EQ(received.back().rcptTo, c.recipients) << c.number;
        EXPECT_NE(headers.find(std::string("\r\nSubject: ") + c.subject + "\r\n"),
                  std::string::npos)
            << headers;
        EXPECT_EQ(headers.find("\nBcc:"), std::string::npos) << headers;
        EXPECT_EQ(bodyOf(received.back()), c.body);
    }
    auto table = readOrderFile(data, OrderFile::Pending);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->record(0).text(OrderField::MessagesLog),
              kStamp + ". [" + initials() + "] via eml");
}

TEST_F(MessageDialogTest, PastedQuotesAndLineBreaksBecomeOneLineAndTypedQuotesAreRefused) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    ASSERT_TRUE(onOrder(queue().cmdNotes, "F-2", [&](MessageDialog& d) {
        type(d, "said \"ok\"");
        EXPECT_EQ(d.Text1->toPlainText(), "said ok");
        clipboard->setText(" \"see\"\r\nthe\tdeed");
        QTest::keyClick(d.Text1, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(d.Text1->toPlainText(), "said ok 'see' the deed");
        QTest::mouseClick(d.cmdExecute, Qt::LeftButton);
    }));
    EXPECT_EQ(pendingFile(), withEntry(1, OrderField::NotesLog,
                                       kStamp + "said ok 'see' the deed [" + initials() + "]"));
}

// Clicks made while a slow send blocks the program wait in the queue; they must not send again,
// whether the send went (the dialog closes) or failed (it stays open).
TEST_F(MessageDialogTest, ADoubleClickDuringASlowSendSendsOnce) {
    for (const int exitCode : {0, 1}) {
        std::remove((program + "runs.txt").c_str());
        putOrders(orders);
        window->refreshNow();
        dialogs.clear();
        useSlowMailProgram(exitCode);
        bool sawSending = false;
        ASSERT_TRUE(onOrder(queue().cmdMessage, "F-1", [&](MessageDialog& d) {
            d.chkEmail->setChecked(true);
            type(d, "on my way");
            // The failure box opens inside the send: the caption still says so.
            dialogs.setWhileOpen([&] {
                sawSending = d.cmdExecute->text() == "sending ..." &&
                             d.cmdExecute->font().italic() && !d.cmdExecute->isEnabled() &&
                             !d.cmdCancel->isEnabled();
            });
            std::vector<QMouseEvent*> clicks;
            for (int i = 0; i < 2; ++i)
                for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                    clicks.push_back(new QMouseEvent(t, QPointF(5, 5), QPointF(5, 5),
                                                     Qt::LeftButton, Qt::LeftButton,
                                                     Qt::NoModifier));
            std::thread clicker([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
                for (QMouseEvent* click : clicks)
                    QCoreApplication::postEvent(d.cmdExecute, click);
            });
            QTest::mouseClick(d.cmdExecute, Qt::LeftButton);
            clicker.join();
            QCoreApplication::processEvents();
            EXPECT_EQ(d.isVisible(), exitCode != 0);
            if (exitCode != 0) {
                EXPECT_EQ(d.Text1->toPlainText(), "on my way");
                EXPECT_TRUE(d.cmdExecute->isEnabled());
                EXPECT_EQ(d.cmdExecute->text(), "SEND");
                EXPECT_FALSE(d.cmdExecute->font().italic());
            }
        }));
        dialogs.setWhileOpen({});
        EXPECT_EQ(programFile("runs.txt"), "run\n") << exitCode;
        if (exitCode == 0) {
            EXPECT_TRUE(dialogs.shown().empty());
            EXPECT_EQ(pendingFile(), withEntry(0, OrderField::MessagesLog,
                                               kStamp + "on my way [" + initials() + "] via eml"));
        } else {
            ASSERT_EQ(dialogs.shown().size(), 1u);
            EXPECT_EQ(dialogs.shown()[0].title, "SEND ERROR");
            EXPECT_TRUE(sawSending);
            EXPECT_EQ(pendingFile(), bytesOf(orders));
        }
    }
}

TEST_F(MessageDialogTest, ASendThatDidNotGoLogsNothingAndKeepsTheText) {
    const struct {
        const char* name;
        const char* searcher; // stored, with the sent mark
        bool serverDown;
        const char* text;
    } cases[] = {
        {"no directory entry", "Zed Zorn*", false,
         "Nothing was sent: \"Zed Zorn\" is not in the searcher directory."},
        {"server down", "Tom Reed*", true, nullptr},
    };
    for (const auto& c : cases) {
        orders[1].setText(OrderField::Searcher, c.searcher);
        putOrders(orders);
        window->refreshNow();
        Settings& s = window->context().settings;
        s.mail.smtpPort = c.serverDown ? mailtest::freePort() : server.port();
        window->messenger().settingsChanged();
        dialogs.clear();
        ASSERT_TRUE(onOrder(queue().cmdMessage, "F-2", [&](MessageDialog& d) {
            d.chkText->setChecked(true);
            type(d, "are you there");
            QTest::mouseClick(d.cmdExecute, Qt::LeftButton);
            EXPECT_TRUE(d.isVisible()) << c.name;
            EXPECT_EQ(d.Text1->toPlainText(), "are you there");
            EXPECT_TRUE(d.cmdExecute->isEnabled());
        }));
        ASSERT_EQ(dialogs.shown().size(), 1u) << c.name;
        EXPECT_EQ(dialogs.shown()[0].title, "SEND ERROR");
        if (c.text) {
            EXPECT_EQ(dialogs.shown()[0].text, c.text);
        }
        EXPECT_EQ(pendingFile(), bytesOf(orders)) << c.name;
        EXPECT_TRUE(server.received().empty());
    }
}

TEST_F(MessageDialogTest, AnOrderPulledElsewhereWhileTheDialogIsOpenGetsNothing) {
    // A note: nothing written, the user told, the text kept.
    ASSERT_TRUE(onOrder(queue().cmdNotes, "F-1", [&](MessageDialog& d) {
        type(d, "title is clear");
        pullElsewhere("F-1");
        QTest::mouseClick(d.cmdExecute, Qt::LeftButton);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.Text1->toPlainText(), "title is clear");
    }));
    const std::string afterPull = bytesOf({orders[1], orders[2]});
    EXPECT_EQ(pendingFile(), afterPull);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Order F-1 is no longer pending: the note was not posted.");

    // A message to an order gone before the send is not sent.
    dialogs.clear();
    ASSERT_TRUE(onOrder(queue().cmdMessage, "F-2", [&](MessageDialog& d) {
        d.chkEmail->setChecked(true);
        type(d, "stop work");
        pullElsewhere("F-2");
        QTest::mouseClick(d.cmdExecute, Qt::LeftButton);
        EXPECT_TRUE(d.isVisible());
    }));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Order F-2 is no longer pending: the message was not sent.");
    EXPECT_TRUE(server.received().empty());
    EXPECT_EQ(pendingFile(), bytesOf({orders[2]}));
}

TEST_F(MessageDialogTest, AnOrderPulledDuringTheSendIsSentButNotLogged) {
    ::mkdir((program + "other/").c_str(), 0755);
    useSlowMailProgram(0, pullCommand("F-3"));
    ASSERT_TRUE(onOrder(queue().cmdMessage, "F-3", [&](MessageDialog& d) {
        d.chkEmail->setChecked(true);
        type(d, "on hold");
        QTest::mouseClick(d.cmdExecute, Qt::LeftButton);
        EXPECT_TRUE(d.isVisible());
    }));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text,
              "The message was sent but not logged: order F-3 is no longer pending.");
    EXPECT_NE(programFile("mail.txt").find("on hold"), std::string::npos);
    EXPECT_EQ(pendingFile(), bytesOf({orders[0], orders[1]}));
}

TEST_F(MessageDialogTest, EmailListSendsCopyListTextFramedAndLeavesTheClipboardEmpty) {
    window->context().zoomFactor = 1.5;
    QClipboard* clipboard = QGuiApplication::clipboard();
    EXPECT_FALSE(queue().mnuEmail->isEnabled()); // no searcher filter yet
    auto* searchers = queue().cboFilter[SearcherFilter];
    searchers->setCurrentIndex(searchers->findText("Tom Reed"));
    ASSERT_TRUE(queue().mnuEmail->isEnabled());
    queue().mnuCopyList->trigger();
    const QString copied = clipboard->text();
    ASSERT_TRUE(copied.contains("AGAWAM") && copied.contains("WEST SPRINGFIELD"));
    clipboard->setText("something else");

    const std::string before = pendingFile();
    ASSERT_TRUE(whileOpen([&] { queue().mnuEmail->trigger(); },
                          [&](MessageDialog& d) {
                              EXPECT_EQ(d.windowTitle(), "EMAIL LIST TO SEARCHER ...");
                              EXPECT_EQ(d.mode(), "email");
                              EXPECT_EQ(d.Label1->text(), "Tom Reed");
                              EXPECT_EQ(d.cmdExecute->text(), "SEND");
                              EXPECT_FALSE(d.chkEmail->isVisible());
                              EXPECT_EQ(d.Text1->toPlainText(),
                                        QString(copied).replace("\r\n", "\n"));
                              EXPECT_DOUBLE_EQ(d.Text1->font().pointSizeF(), 7.5);
                              EXPECT_TRUE(clipboard->text().isEmpty());
                              QTest::mouseClick(d.cmdExecute, Qt::LeftButton);
                              EXPECT_FALSE(d.isVisible());
                          }));
    EXPECT_TRUE(dialogs.shown().empty());
    const auto received = server.received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].rcptTo, std::vector<std::string>{"tom@reed.example"});
    EXPECT_NE(headersOf(received[0]).find("\r\nSubject: SEARCH LIST\r\n"), std::string::npos);
    EXPECT_EQ(bodyOf(received[0]),
              "List of pending searches for  Tom Reed  generated Mon, 12/07/26 @ 9:00AM ...\r\n"
              "\r\n" +
                  copied.toStdString() +
                  "\r\nNORTH ABSTRACT LLC   Phone: 555-0100   Fax: 555-0101\r\n");
    EXPECT_TRUE(clipboard->text().isEmpty());
    EXPECT_EQ(pendingFile(), before);
}

} // namespace
} // namespace qm
