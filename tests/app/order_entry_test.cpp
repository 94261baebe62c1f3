// The order editor driven through its controls on a real main window and real data files.

#include "window_fixture.h"

#include "drop_down_list.h"
#include "messenger.h"
#include "order_editor.h"
#include "order_store.h"
#include "pending_queue.h"
#include "smtp_server.h"
#include "user.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <functional>
#include <utility>

namespace qm {
namespace {

const char* kConfig =
    "\"North Abstract llc\",\"1 Court Sq\",\"\",\"Hartford, CT\",\"p\",\"f\",\"e\"\r\n"
    "\"Massachusetts\"\r\n0,0,1,#TRUE#\r\n\"\"\r\n";

// The log-on name as a record stores it, and the initials its log entries end with.
std::string enteredBy() {
    return enteredByName(logOnName());
}
std::string initials() {
    return userInitials(enteredByName(logOnName()));
}

OrderRecord orderOf(const std::string& number, const std::string& muni = "") {
    OrderRecord r(OrderFile::Pending);
    r.set(OrderField::EnteredAt, Field::ofDate({2026, 11, 2, 8, 15, 0}));
    r.setText(OrderField::FileNumber, number);
    r.setText(OrderField::PropertyAddress1, "4 MILL RD");
    r.setText(OrderField::PropertyAddress2, "UNIT 2");
    r.setText(OrderField::Town, "WEST SPRINGFIELD");
    r.setText(OrderField::MuniSearch, muni);
    r.setDueDate({{2026, 12, 10}, false});
    return r;
}

class OrderEntryTest : public test::WindowFixture {
  protected:
    OrderEditor& open() {
        put("Searchers.lst",
            "Tom Reed _  _  _  _  _ 555-201-0001 _ Verizon _ tom@reed.example\r\n");
        start(kConfig);
        window->refreshNow();
        QApplication::setActiveWindow(window.get());
        return window->editor();
    }
    // As a user picks an item: a service list is opened first, which fills it when empty.
    void choose(QComboBox* list, const QString& text) {
        if (auto* dropDown = qobject_cast<DropDownList*>(list)) {
            dropDown->showPopup();
            dropDown->hidePopup();
        }
        const int index = list->findText(text, Qt::MatchExactly);
        ASSERT_GE(index, 0) << text.toStdString();
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    // An order any test can save: a town, an address, an owner and a due date three days on.
    void compose(OrderEditor& e, const QString& number) {
        e.txtFileNumb->setText(number);
        choose(e.cboTown, "AGAWAM");
        e.txtPropAddr1->setText("12 Elm St");
        e.txtCurrOwner->setText("Lee Wu");
        e.DTPicker1->setDate(QDate(2026, 12, 10));
    }
    std::string file(const std::string& name) {
        auto bytes = readWholeFile(data + name);
        return bytes ? *bytes : std::string("<missing>");
    }
    void putOrders(OrderFile which, const std::vector<OrderRecord>& orders) {
        auto lock = DataLock::acquire(data);
        ASSERT_TRUE(lock);
        ASSERT_TRUE(rewriteOrderFile(*lock, which, orders));
    }
    void useMailServer(const mailtest::SmtpServer& server) {
        Settings& s = window->context().settings;
        s.useOutlook = false;
        s.mail.smtpHost = "127.0.0.1";
        s.mail.smtpPort = server.port();
        s.mail.senderAddress = "desk@north.example";
        window->messenger().settingsChanged();
    }
    // The recovery copies of this user's pulled orders.
    std::vector<std::string> recoveryCopies() const {
        auto copies = qm::recoveryCopies(program, logOnName());
        EXPECT_TRUE(copies);
        return copies ? *copies : std::vector<std::string>();
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
    void putKeepingTheTime(const std::string& name, const std::string& bytes) {
        struct stat before {};
        ASSERT_EQ(::stat((data + name).c_str(), &before), 0);
        ASSERT_TRUE(writeWholeFile(data + name, bytes));
        struct utimbuf times {
            before.st_atime, before.st_mtime
        };
        ::utime((data + name).c_str(), &times);
    }
    std::string reservedNumbers() {
        std::string numbers;
        auto read = readReservations(data);
        EXPECT_TRUE(read);
        for (const Reservation& r : read ? *read : std::vector<Reservation>())
            numbers += r.fileNumber + ";";
        return numbers;
    }
};

TEST_F(OrderEntryTest, SaveWritesTheRecordAndTheTypedLawFirmAndAssignThenOnlySends) {
    OrderEditor& e = open();
    mailtest::SmtpServer server;
    useMailServer(server);
    choose(e.cboTitleCo, "Bay Title - Boston");
    EXPECT_FALSE(e.cmdSave->isEnabled()); // a title company needs a file number

    QTest::keyClick(e.cboCustomer, Qt::Key_Escape);
    EXPECT_TRUE(e.txtCust[1]->isVisible());
    e.txtCust[1]->setText("Cole & Co");
    e.txtCust[2]->setText("Bo Reed");
    e.txtCust[6]->setText("5552019999");
    EXPECT_EQ(e.txtCust[6]->text(), "(555) 201-9999");
    EXPECT_TRUE(e.optAddNew->isChecked());

    compose(e, "");
    e.txtFileNumb->setFocus();
    QTest::keyClicks(e.txtFileNumb, "f-100");
    EXPECT_EQ(e.txtFileNumb->text(), "F-100");
    choose(e.cboType, "R.Full");
    choose(e.cboSearcher, "Tom Reed");
    EXPECT_TRUE(e.txtMessg->text().isEmpty()); // due in three days: no rush
    e.txtMessg->setText("gate code 4");
    e.txtNotes->setText("called the clerk");
    ASSERT_TRUE(e.cmdSave->isEnabled());
    ASSERT_TRUE(e.cmdAssign->isEnabled());

    QTest::mouseClick(e.cmdSave, Qt::LeftButton);
    EXPECT_TRUE(dialogs.shown().empty());
    const std::string saved =
        "#2026-12-07 09:00:00#,\"F-100\",\"Bay Title - Boston\",\"\",\"12 Elm St\",\"\","
        "\"AGAWAM\",\"Lee Wu\",\"R.Full\",\"\",#2026-12-10#,\"Tom Reed\",\"" +
        enteredBy() + "\",150,0,\"\r\n12/07 09:00  called the clerk [" + initials() +
        "]\",\"\"\r\n";
    EXPECT_EQ(file("Pending.fil"), saved);
    EXPECT_EQ(file("Attorneys.lst"), "Baker & Lane _ Ann Cole _ 1 A St _  _ Lee, MA _  _ f _ e\r\n"
                                     "Cole & Co _ Bo Reed _  _  _  _ (555) 201-9999 _  _ \r\n");
    EXPECT_FALSE(e.cmdSave->isEnabled());
    EXPECT_EQ(window->context().selectedFileNumber, "F-100");

    // Saved already: ASSIGN sends the notice and stores nothing more, so no "*".
    QTest::mouseClick(e.cmdAssign, Qt::LeftButton);
    EXPECT_TRUE(dialogs.shown().empty()) << dialogs.shown()[0].text.toStdString();
    EXPECT_EQ(file("Pending.fil"), saved);
    EXPECT_EQ(e.cmdAssign->text(), "ASSIGN");
    EXPECT_FALSE(e.cmdAssign->font().italic());
    EXPECT_FALSE(e.cmdAssign->isEnabled());
    const auto received = server.received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].rcptTo,
              (std::vector<std::string>{"tom@reed.example", "5552010001@vtext.com"}));
    EXPECT_NE(received[0].content.find("Subject: SEARCH ORDER\r\n"), std::string::npos);
    EXPECT_NE(received[0].content.find("\r\n\r\nDetails ...\r\nAddr: 12 Elm St, AGAWAM\r\n"
                                       "Ownr: Lee Wu\r\nType: R.Full\r\nDue : 12/10/2026\r\n"
                                       "\r\ngate code 4"),
              std::string::npos)
        << received[0].content;
}

TEST_F(OrderEntryTest, AssignSavesFirstWithTheStarTheInstructionsAndAGeneratedNumber) {
    putOrders(OrderFile::Pending, {orderOf("QM00007")});
    putOrders(OrderFile::Archives, {orderOf("QM00012m").movedTo(OrderFile::Archives)});
    OrderEditor& e = open();
    mailtest::SmtpServer server;
    useMailServer(server);
    compose(e, "");
    e.DTPicker1->setDate(QDate(2026, 12, 8)); // tomorrow
    choose(e.cboMuni, "M.Water");
    EXPECT_FALSE(e.cmdAssign->isEnabled());
    choose(e.cboSearcher, "Tom Reed");
    EXPECT_EQ(e.txtMessg->text(), "RUSH DELIVERY!!!");
    ASSERT_TRUE(e.cmdAssign->isEnabled());

    QTest::mouseClick(e.cmdAssign, Qt::LeftButton);
    EXPECT_EQ(e.txtFileNumb->text(), "QM00013");
    const std::string pending = file("Pending.fil");
    EXPECT_EQ(pending.substr(orderOf("QM00007").encode().size()),
              "#2026-12-07 09:00:00#,\"QM00013\",\"\",\"\",\"12 Elm St\",\"\",\"AGAWAM\","
              "\"Lee Wu\",\"\",\"M.Water\",#2026-12-08#,\"Tom Reed*\",\"" +
                  enteredBy() + "\",0,0,\"\",\"\r\n12/07 09:00  RUSH DELIVERY!!! [" + initials() +
                  "]\"\r\n");
    ASSERT_EQ(server.received().size(), 1u);
    EXPECT_NE(server.received()[0].content.find("Type: M.Water\r\nDue : 12/8/2026\r\n\r\n"
                                                "RUSH DELIVERY!!!"),
              std::string::npos);
}

// The order is saved either way; ASSIGN stays available until the notice has gone.
TEST_F(OrderEntryTest, ANoticeThatDidNotGoLeavesAssignToTryAgain) {
    const struct {
        const char* name;
        bool serverDown;
        bool searcherGone; // removed from the directory after it was chosen
    } cases[] = {{"server down", true, false}, {"searcher removed", false, true}};
    OrderEditor& e = open();
    mailtest::SmtpServer server;
    const std::string searchers = file("Searchers.lst");
    int n = 0;
    for (const auto& c : cases) {
        useMailServer(server);
        const QString number = QStringLiteral("F-2%1").arg(++n);
        compose(e, number);
        choose(e.cboType, "R.Full");
        choose(e.cboSearcher, "Tom Reed");
        if (c.serverDown) {
            window->context().settings.mail.smtpPort = mailtest::freePort();
            window->messenger().settingsChanged();
        }
        if (c.searcherGone) // unseen by the refresh: the list still offers the name
            putKeepingTheTime("Searchers.lst", "");
        dialogs.clear();
        QTest::mouseClick(e.cmdAssign, Qt::LeftButton);
        EXPECT_NE(file("Pending.fil").find("\"" + number.toStdString() + "\""), std::string::npos)
            << c.name;
        ASSERT_EQ(dialogs.shown().size(), 1u) << c.name;
        EXPECT_EQ(dialogs.shown()[0].title, "SEND ERROR") << c.name;
        if (c.searcherGone) {
            EXPECT_EQ(dialogs.shown()[0].text,
                      "Nothing was sent: \"Tom Reed\" is not in the searcher directory.");
        }
        EXPECT_TRUE(e.cmdAssign->isEnabled()) << c.name;

        putKeepingTheTime("Searchers.lst", searchers);
        useMailServer(server);
        const size_t sent = server.received().size();
        QTest::mouseClick(e.cmdAssign, Qt::LeftButton);
        EXPECT_EQ(server.received().size(), sent + 1) << c.name;
        EXPECT_FALSE(e.cmdAssign->isEnabled()) << c.name;
        QTest::mouseClick(e.cmdClear, Qt::LeftButton);
    }
}

TEST_F(OrderEntryTest, DuplicateNumbersAreRefusedInEveryFileButCaseCounts) {
    const struct {
        OrderFile file;
        const char* stored;
        bool refused;
    } cases[] = {
        {OrderFile::Completed, "F-9", true},
        {OrderFile::Archives, "F-9", true},
        {OrderFile::Pending, "f-9", false},
    };
    OrderEditor& e = open();
    mailtest::SmtpServer server;
    useMailServer(server);
    for (const auto& c : cases) {
        for (OrderFile f : kAllOrderFiles)
            putOrders(f, {});
        putOrders(c.file, {orderOf(c.stored, "M.Lien").movedTo(c.file)});
        const std::string before = file("Pending.fil");
        dialogs.clear();
        compose(e, "F-9");
        choose(e.cboType, "R.Full");
        choose(e.cboSearcher, "Tom Reed");
        QTest::mouseClick(e.cmdAssign, Qt::LeftButton);
        if (c.refused) {
            ASSERT_EQ(dialogs.shown().size(), 1u);
            EXPECT_EQ(dialogs.shown()[0].title, "Pending Searches");
            EXPECT_EQ(dialogs.shown()[0].text, "File \"F-9\" already exists");
            EXPECT_EQ(file("Pending.fil"), before);
            EXPECT_FALSE(e.cmdAssign->isEnabled());
            EXPECT_EQ(e.txtFileNumb->selectedText(), "F-9");
        } else {
            EXPECT_TRUE(dialogs.shown().empty());
            EXPECT_NE(file("Pending.fil").find("\"F-9\""), std::string::npos);
        }
        EXPECT_EQ(server.received().size(), c.refused ? 0u : 1u);
        QTest::mouseClick(e.cmdClear, Qt::LeftButton);
    }
}

TEST_F(OrderEntryTest, ASplitIsAskedForEachTakenNumberAndTheAttorneyIsWrittenOnce) {
    putOrders(OrderFile::Pending, {orderOf("F-7"), orderOf("F-7m")});
    OrderEditor& e = open();
    QTest::keyClick(e.cboCustomer, Qt::Key_Escape);
    e.txtCust[1]->setText("Dunn Law");
    e.txtCust[2]->setText("Al Dunn");
    compose(e, "F-7");
    choose(e.cboMuni, "M.Water");
    dialogs.queueAnswer(QMessageBox::Yes);
    dialogs.queueAnswer(QMessageBox::Yes);
    QTest::mouseClick(e.cmdSave, Qt::LeftButton);

    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].title, " SPLIT SEARCH ???");
    EXPECT_EQ(dialogs.shown()[0].text, "Please confirm that this is an additional search\n"
                                       "being entered for the following address ...\n\n"
                                       "4 MILL RD UNIT 2, West Springfield");
    EXPECT_EQ(e.txtFileNumb->text(), "F-7mm");
    EXPECT_NE(file("Pending.fil").find("\"F-7mm\""), std::string::npos);
    EXPECT_EQ(file("Attorneys.lst"), "Baker & Lane _ Ann Cole _ 1 A St _  _ Lee, MA _  _ f _ e\r\n"
                                     "Dunn Law _ Al Dunn _  _  _  _  _  _ \r\n");
}

TEST_F(OrderEntryTest, NoToTheSplitIsAPlainDuplicateAndATypeIsNeverASplit) {
    putOrders(OrderFile::Pending, {orderOf("F-7")});
    OrderEditor& e = open();
    const struct {
        const char* type;
        const char* muni;
        size_t questions;
    } cases[] = {{"", "M.Water", 1}, {"R.Full", "M.Water", 0}};
    for (const auto& c : cases) {
        dialogs.clear();
        QTest::mouseClick(e.cmdClear, Qt::LeftButton);
        compose(e, "F-7");
        if (*c.type)
            choose(e.cboType, c.type);
        choose(e.cboMuni, c.muni);
        dialogs.queueAnswer(QMessageBox::No);
        QTest::mouseClick(e.cmdSave, Qt::LeftButton);
        ASSERT_EQ(dialogs.shown().size(), c.questions + 1);
        EXPECT_EQ(dialogs.shown().back().title, "Pending Searches");
        EXPECT_EQ(e.txtFileNumb->text(), "F-7");
        EXPECT_EQ(file("Pending.fil"), orderOf("F-7").encode());
    }
}

TEST_F(OrderEntryTest, EditPullsTheOrderAndSaveKeepsItsEntryTimeHistoryAndStar) {
    OrderRecord pulled = orderOf("F-1");
    pulled.setText(OrderField::EnteredAt, "2026-12-09 10:00:00"); // entered after it was due
    pulled.setText(OrderField::Town, "AGAWAM");
    pulled.setText(OrderField::SearchType, "R.Full");
    pulled.setText(OrderField::Searcher, "Tom Reed*");
    pulled.setText(OrderField::EnteredBy, "jo");
    pulled.set(OrderField::BaseFee, Field::ofMoney(Money::fromDollars(175)));
    pulled.setText(OrderField::NotesLog, "\r\n12/01 10:00  first note [J]");
    pulled.setText(OrderField::MessagesLog, "\r\n12/01 10:01  call first [J]");
    pulled.setDueDate({{2026, 12, 4}, true});
    const OrderRecord other = orderOf("F-2");
    putOrders(OrderFile::Pending, {pulled, other});
    OrderEditor& e = open();
    window->context().selectedFileNumber = "F-1";

    dialogs.queueAnswer(QMessageBox::Cancel);
    EXPECT_FALSE(e.Edit(true));
    EXPECT_EQ(file("Pending.fil"), pulled.encode() + other.encode());

    dialogs.queueAnswer(QMessageBox::Ok);
    ASSERT_TRUE(e.Edit(true));
    EXPECT_EQ(dialogs.shown()[1].title, " EDIT ORDER");
    EXPECT_EQ(dialogs.shown()[1].text, "This action will temporarily remove the selected\n"
                                       "order from the queue. \"OK\" to continue");
    EXPECT_EQ(file("Pending.fil"), other.encode());
    ASSERT_EQ(recoveryCopies().size(), 1u);
    EXPECT_EQ(readRecovery(recoveryCopies()[0]).value()->encode(), pulled.encode());
    EXPECT_EQ(reservedNumbers(), "F-1;");
    EXPECT_EQ(window->tabs()->tabText(MainWindow::NewOrderTab), "EDIT ORDER : F-1");
    EXPECT_EQ(window->tabs()->currentIndex(), MainWindow::NewOrderTab);
    EXPECT_FALSE(window->tabs()->isTabEnabled(MainWindow::PendingTab));
    EXPECT_FALSE(window->tabs()->isTabEnabled(MainWindow::CompletedTab));
    EXPECT_EQ(e.txtFileNumb->text(), "F-1");
    EXPECT_EQ(e.txtPropAddr2->text(), "UNIT 2");
    EXPECT_EQ(e.cboTown->currentText(), "AGAWAM");
    EXPECT_EQ(e.cboType->currentText(), "R.Full");
    EXPECT_EQ(e.cboSearcher->currentText(), "Tom Reed");
    EXPECT_EQ(e.DTPicker1->date(), QDate(2026, 12, 4)); // the "*" of billed in advance is gone
    EXPECT_EQ(e.DTPicker1->minimumDate(), QDate(2026, 12, 4));
    EXPECT_TRUE(e.txtMessg->text().isEmpty()); // the rush text the searcher brought is removed
    EXPECT_TRUE(e.holdsUnsavedPull());

    e.txtNotes->setText("second note");
    QTest::mouseClick(e.cmdSave, Qt::LeftButton);
    OrderRecord back = pulled;
    back.setText(OrderField::EnteredBy, enteredBy());
    back.setDueDate({{2026, 12, 4}, false});
    back.setText(OrderField::NotesLog,
                 "\r\n12/01 10:00  first note [J]\r\n12/07 09:00  second note [" + initials() +
                     "]");
    EXPECT_EQ(file("Pending.fil"), other.encode() + back.encode());
    EXPECT_TRUE(recoveryCopies().empty());
    EXPECT_EQ(reservedNumbers(), "");
    EXPECT_FALSE(e.holdsUnsavedPull());

    // Saved back: CLEAR asks nothing and gives the tabs back.
    dialogs.clear();
    QTest::mouseClick(e.cmdClear, Qt::LeftButton);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(window->tabs()->tabText(MainWindow::NewOrderTab), "New Order");
    EXPECT_TRUE(window->tabs()->isTabEnabled(MainWindow::PendingTab));
    EXPECT_EQ(window->tabs()->currentIndex(), MainWindow::PendingTab);
}

TEST_F(OrderEntryTest, AnotherSearcherLosesTheStar) {
    put("Searchers.lst", "");
    OrderRecord pulled = orderOf("F-1");
    pulled.setText(OrderField::Town, "AGAWAM");
    pulled.setText(OrderField::SearchType, "R.Full");
    pulled.setText(OrderField::Searcher, "Tom Reed*");
    putOrders(OrderFile::Pending, {pulled});
    OrderEditor& e = open();
    put("Searchers.lst", "Tom Reed _  _  _  _  _ c _ Verizon _ t@r\r\n"
                         "Una Park _  _  _  _  _ c _ Verizon _ u@p\r\n");
    window->refreshNow();
    window->context().selectedFileNumber = "F-1";
    ASSERT_TRUE(e.Edit(false));
    choose(e.cboSearcher, "Una Park");
    QTest::mouseClick(e.cmdSave, Qt::LeftButton);
    EXPECT_NE(file("Pending.fil").find(",\"Una Park\","), std::string::npos) << file("Pending.fil");
}

TEST_F(OrderEntryTest, ClearWarnsWhenAPulledOrderWasNotSavedBackWhateverSaveShows) {
    OrderRecord pulled = orderOf("F-1");
    pulled.setText(OrderField::Town, "AGAWAM");
    const struct {
        const char* name;
        bool emptyTheAddress; // SAVE disabled for another reason
        QMessageBox::StandardButton answer;
        bool deleted;
    } cases[] = {
        {"savable, cancel", false, QMessageBox::Cancel, false},
        {"address emptied, cancel", true, QMessageBox::Cancel, false},
        {"address emptied, ok", true, QMessageBox::Ok, true},
    };
    OrderEditor& e = open();
    for (const auto& c : cases) {
        putOrders(OrderFile::Pending, {pulled});
        window->context().selectedFileNumber = "F-1";
        ASSERT_TRUE(e.Edit(false)) << c.name;
        if (c.emptyTheAddress)
            e.txtPropAddr1->clear();
        EXPECT_EQ(e.cmdSave->isEnabled(), !c.emptyTheAddress) << c.name;
        dialogs.clear();
        dialogs.queueAnswer(c.answer);
        QTest::mouseClick(e.cmdClear, Qt::LeftButton);
        ASSERT_EQ(dialogs.shown().size(), 1u) << c.name;
        EXPECT_EQ(dialogs.shown()[0].title, " DELETE ORDER - F-1");
        EXPECT_EQ(dialogs.shown()[0].text,
                  "Clearing the edit without first clicking Save or Assign\n"
                  "will result in the loss of this order. \"OK\" to delete");
        EXPECT_EQ(file("Pending.fil"), "") << c.name;
        EXPECT_EQ(recoveryCopies().size(), c.deleted ? 0u : 1u) << c.name;
        EXPECT_EQ(reservedNumbers(), c.deleted ? "" : "F-1;") << c.name;
        EXPECT_EQ(e.txtFileNumb->text().isEmpty(), c.deleted) << c.name;
        if (!c.deleted) { // put it back for the next case
            e.txtPropAddr1->setText("4 MILL RD");
            QTest::mouseClick(e.cmdSave, Qt::LeftButton);
            QTest::mouseClick(e.cmdClear, Qt::LeftButton);
        }
    }
}

TEST_F(OrderEntryTest, ClearingANewOrderAsksNothingAndEmptiesTheEditor) {
    OrderEditor& e = open();
    choose(e.cboTitleCo, "Bay Title - Boston");
    compose(e, "F-5");
    choose(e.cboType, "R.Full");
    choose(e.cboSearcher, "Tom Reed");
    e.txtNotes->setText("n");
    QTest::mouseClick(e.cmdClear, Qt::LeftButton);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_TRUE(e.txtFileNumb->text().isEmpty());
    EXPECT_EQ(e.cboTitleCo->currentIndex(), 0);
    EXPECT_EQ(e.cboTown->currentIndex(), 0);
    EXPECT_EQ(e.cboSearcher->currentIndex(), 0);
    EXPECT_EQ(e.cboType->currentIndex(), -1);
    EXPECT_TRUE(e.txtNotes->text().isEmpty());
    EXPECT_TRUE(e.txtTitleCo->toPlainText().isEmpty());
    EXPECT_EQ(e.DTPicker1->date(), QDate(2026, 12, 7));
    EXPECT_FALSE(e.cmdSave->isEnabled());
    EXPECT_TRUE(e.txtFileNumb->hasFocus());
}

TEST_F(OrderEntryTest, FileNumberKeysAndOneLineTexts) {
    OrderEditor& e = open();
    e.txtFileNumb->setFocus();
    QTest::keyClicks(e.txtFileNumb, "ab-1c");
    EXPECT_EQ(e.txtFileNumb->text(), "AB-1C");
    e.txtNotes->setFocus();
    QTest::keyClicks(e.txtNotes, "one");
    QTest::keyClick(e.txtNotes, Qt::Key_Return);
    QTest::keyClicks(e.txtNotes, "two");
    EXPECT_EQ(e.txtNotes->text(), "onetwo");
    e.txtCust[3]->setFocus();
    QTest::keyClicks(e.txtCust[3], "1_A St");
    EXPECT_EQ(e.txtCust[3]->text(), "1A St");
}

// Another workstation is another process: its pull reaches this window by the timer alone.
TEST_F(OrderEntryTest, AnotherWorkstationsPullLeavesThisQueueItsSelection) {
    putOrders(OrderFile::Pending, {orderOf("F-1"), orderOf("F-2")});
    open();
    window->startRefresh();
    window->tabs()->setCurrentIndex(MainWindow::PendingTab);
    QTableView* grid = window->queue().grdOrder;
    ASSERT_EQ(grid->model()->rowCount(), 2);
    const int keptRow = grid->model()->index(0, 2).data() == "F-2" ? 0 : 1;
    grid->selectRow(keptRow);
    ASSERT_EQ(window->context().selectedFileNumber, "F-2");

    pullElsewhere("F-1");
    for (int waited = 0; grid->model()->rowCount() != 1 && waited < 3000; waited += 50)
        QTest::qWait(50);
    ASSERT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(window->tabs()->tabText(MainWindow::PendingTab), "Pending Searches [1]");
    EXPECT_EQ(window->context().selectedFileNumber, "F-2");
    ASSERT_EQ(grid->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(grid->selectionModel()->selectedRows()[0].row(), 0);
}

// The refresh drops the queue's selection while the EDIT question waits; the message still names
// the order that was asked about.
TEST_F(OrderEntryTest, AnOrderPulledElsewhereDuringTheEditQuestionIsNamed) {
    putOrders(OrderFile::Pending, {orderOf("F-1"), orderOf("F-2")});
    OrderEditor& e = open();
    window->context().selectedFileNumber = "F-1";
    bool pulledElsewhere = false;
    dialogs.setWhileOpen([&] {
        if (std::exchange(pulledElsewhere, true))
            return;
        pullElsewhere("F-1");
        window->refreshNow();
    });
    dialogs.queueAnswer(QMessageBox::Ok);
    EXPECT_FALSE(e.Edit(true));
    dialogs.setWhileOpen(nullptr);
    ASSERT_TRUE(window->context().selectedFileNumber.isEmpty()); // what the refresh did
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].title, " EDIT ORDER");
    EXPECT_EQ(dialogs.shown()[1].text,
              "Order F-1 is no longer pending: another workstation has changed it.");
    EXPECT_EQ(file("Pending.fil"), orderOf("F-2").encode());
    EXPECT_FALSE(e.holdsUnsavedPull());
}

TEST_F(OrderEntryTest, ClosingTheWindowWithAPulledOrderAsksFirstAndKeepsTheCopy) {
    OrderRecord pulled = orderOf("F-1");
    pulled.setText(OrderField::Town, "AGAWAM");
    putOrders(OrderFile::Pending, {pulled});
    OrderEditor& e = open();
    EXPECT_TRUE(window->close()); // nothing pulled: no question
    EXPECT_TRUE(dialogs.shown().empty());

    window->show();
    window->context().selectedFileNumber = "F-1";
    ASSERT_TRUE(e.Edit(false));
    dialogs.queueAnswer(QMessageBox::Cancel);
    EXPECT_FALSE(window->close());
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, " CLOSE PROGRAM - F-1");
    EXPECT_TRUE(window->isVisible());

    dialogs.queueAnswer(QMessageBox::Ok);
    EXPECT_TRUE(window->close());
    ASSERT_EQ(recoveryCopies().size(), 1u);
    EXPECT_EQ(readRecovery(recoveryCopies()[0]).value()->encode(), pulled.encode());
}

// A question box runs a nested event loop in which the timer fires: those ticks must leave the
// queue and the order the command is about alone, and the first free tick catches up.
TEST_F(OrderEntryTest, TicksDuringACommandsQuestionRebuildNothingUntilItReturns) {
    OrderRecord pulled = orderOf("F-1");
    pulled.setText(OrderField::Town, "AGAWAM");
    const struct {
        const char* name;
        bool clear; // CLEAR of a pulled order, else EDIT from the queue
    } cases[] = {{"EDIT", false}, {"CLEAR", true}};
    for (const auto& c : cases) {
        putOrders(OrderFile::Pending, {pulled, orderOf("F-2")});
        OrderEditor& e = open();
        window->tabs()->setCurrentIndex(MainWindow::PendingTab);
        QTableView* grid = window->queue().grdOrder;
        if (c.clear) {
            window->context().selectedFileNumber = "F-1";
            ASSERT_TRUE(e.Edit(false)) << c.name;
            window->refreshNow(); // the queue now shows F-2 alone
        } else {
            grid->selectRow(grid->model()->index(0, 2).data() == "F-1" ? 0 : 1);
            ASSERT_EQ(window->context().selectedFileNumber, "F-1");
        }
        const int rowsBefore = grid->model()->rowCount();
        int rowsDuring = -1;
        dialogs.clear();
        dialogs.setWhileOpen([&] {
            // Another workstation adds an order while the question is open.
            auto lock = DataLock::acquire(data);
            ASSERT_TRUE(lock);
            ASSERT_TRUE(appendOrder(*lock, orderOf("F-3")));
            clock.advanceSeconds(1);
            window->refreshNow();
            rowsDuring = grid->model()->rowCount();
        });
        dialogs.queueAnswer(QMessageBox::Cancel);
        QPushButton* command = c.clear ? e.cmdClear : window->queue().cmdEdit;
        QTest::mouseClick(command, Qt::LeftButton);
        dialogs.setWhileOpen(nullptr);
        ASSERT_EQ(dialogs.shown().size(), 1u) << c.name;
        EXPECT_EQ(rowsDuring, rowsBefore) << c.name;
        EXPECT_EQ(c.clear ? e.txtFileNumb->text() : window->context().selectedFileNumber, "F-1")
            << c.name;
        window->refreshNow();
        EXPECT_EQ(grid->model()->rowCount(), rowsBefore + 1) << c.name;
        window.reset();
    }
}

} // namespace
} // namespace qm
