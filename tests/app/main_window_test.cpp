#include "app_context.h"
#include "appearance_apply.h"
#include "clock.h"
#include "dialogs.h"
#include "directory_editor.h"
#include "files.h"
#include "main_window.h"
#include "order_editor.h"
#include "settings_panel.h"
#include "smtp_server.h"
#include "startup.h"
#include "window_fixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <utime.h>

namespace qm {
namespace {

class MainWindowTest : public test::WindowFixture {};

const char* kConfig =
    "\"North Abstract llc\",\"1 Court Sq\",\"\",\"Hartford, CT\",\"p\",\"f\",\"e\"\r\n"
    "\"Massachusetts\"\r\n0,0,1,#TRUE#\r\n\"\"\r\n";

TEST_F(MainWindowTest, StartUpAppliesTheSettings) {
    MainWindow& w = start(kConfig);
    EXPECT_EQ(w.windowTitle(),
              "Quillmark - v 1.30 - Search Order Management Console  -  NORTH ABSTRACT LLC");
    EXPECT_EQ(find<QComboBox>("cboState")->currentText(), "Massachusetts");
    EXPECT_TRUE(find<QCheckBox>("chkAuto")->isChecked());
    EXPECT_EQ(find<QLineEdit>("txtDBasePath")->text(), QString::fromStdString(data));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(data + "customrates")).isDir());
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(MainWindowTest, NoConfigChoosesTheFirstStateAndAMissingFolderEndsStartUp) {
    start();
    EXPECT_EQ(find<QComboBox>("cboState")->currentIndex(), 0);
    EXPECT_EQ(find<QLineEdit>("txtDBasePath")->text(), QString::fromStdString(data));

    ASSERT_TRUE(writeWholeFile(program + "config.txt",
                               std::string(kConfig).replace(std::string(kConfig).find("\"\"\r\n"),
                                                            4, "\"/no/such/folder/\"\r\n")));
    MainWindow other(context);
    EXPECT_FALSE(prepareMainWindow(env, context, other));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Bad Path in config.txt");
    EXPECT_EQ(dialogs.shown()[0].title, "Quillmark");
}

TEST_F(MainWindowTest, AnUnreadableConfigEndsStartUpWithANotice) {
    ASSERT_TRUE(writeWholeFile(program + "config.txt", "\"x\"\r\n"));
    MainWindow w(context);
    EXPECT_FALSE(prepareMainWindow(env, context, w));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(dialogs.shown()[0].text.contains("record 1"));
}

TEST_F(MainWindowTest, StoredSliderPositionsRunTheirHandlersOnlyWhenNotZero) {
    const struct {
        const char* record3;
        QColor face;
        bool zoomed;
    } cases[] = {{"30,0,0,#FALSE#", QColor(242, 238, 230), false},
                 {"-30,0,0,#FALSE#", QColor(182, 178, 170), false},
                 {"0,10,0,#FALSE#", QColor(), true},
                 {"0,0,0,#FALSE#", QColor(), false}};
    for (const auto& c : cases) {
        std::string config = kConfig;
        config.replace(config.find("0,0,1,#TRUE#"), 12, c.record3);
        MainWindow& w = start(config);
        const double dpi = screenMetricsFor(&w).logicalDpi;
        const QSize designed(twipsToPixels(kMainWindowBaseSize.width, dpi),
                             twipsToPixels(kMainWindowBaseSize.height, dpi));
        const QColor expected = c.face.isValid() ? c.face : systemFaceColour();
        EXPECT_EQ(context.faceColour, expected) << c.record3;
        if (c.face.isValid()) {
            EXPECT_EQ(w.palette().color(QPalette::Window), c.face) << c.record3;
        }
        EXPECT_EQ(find<QSlider>("Slider1")->value(), std::stoi(c.record3));
        EXPECT_EQ(context.zoomFactor != 1.0, c.zoomed) << c.record3;
        EXPECT_EQ(designed == w.size(), !c.zoomed) << c.record3;
        context.zoomFactor = 1.0;
    }
}

TEST_F(MainWindowTest, TicksFillThePickListsAndKeepTheChoice) {
    MainWindow& w = start(kConfig);
    w.refreshNow();
    EXPECT_EQ(find<QComboBox>("cboTitleCo")->count(), 2);
    EXPECT_EQ(find<QComboBox>("cboTitleCo")->currentIndex(), 0);
    EXPECT_EQ(find<QComboBox>("cboSearcher")->itemText(1), "Tom Reed");
    EXPECT_EQ(find<QDateEdit>("DTPicker1")->date(), QDate(2026, 12, 7));
    EXPECT_TRUE(find<QLabel>("lblNow")->text().startsWith("Monday, December 07, 2026"));
    EXPECT_EQ(find<QTableWidget>("grdService")->item(0, 0)->text(), "Service Code");
    EXPECT_EQ(find<QTableWidget>("grdService")->item(0, 0)->textAlignment(), Qt::AlignCenter);
    EXPECT_EQ(find<QTableWidget>("grdService")->item(2, 1)->text(), ".50");

    find<QComboBox>("cboTitleCo")->setCurrentIndex(1);
    emit find<QComboBox>("cboTitleCo")->activated(1);
    find<QComboBox>("cboCustomer")->setCurrentIndex(1);
    put("Companies.lst", "Bay Title _ 2 Bay Rd _  _ Boston, MA _  _ f _ e _ \r\n"
                         "Acme _ 1 St _  _ Lee, MA _  _ f _ e _ \r\n");
    put("Attorneys.lst", "Baker & Lane _ Ann Cole _ 1 A St _  _ Lee, MA _  _ f _ e\r\n"
                         "Cole _ Cole _ 1 A St _  _ Lee, MA _  _ f _ e\r\n");
    w.refreshNow();
    EXPECT_EQ(find<QComboBox>("cboTitleCo")->currentText(), "Bay Title - Boston");
    EXPECT_EQ(find<QComboBox>("cboTitleCo")->itemText(1), "Acme - Lee");
    EXPECT_EQ(find<QComboBox>("cboCustomer")->currentIndex(), 0);
    EXPECT_EQ(find<QComboBox>("cboCustomer")->count(), 3);
}

TEST_F(MainWindowTest, AMissingDataFileOpensTheSettingsWithThePathSelected) {
    ::unlink((data + "Companies.lst").c_str());
    MainWindow& w = start(kConfig);
    QApplication::setActiveWindow(&w); // the first load runs at once
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "DATA ACCESS ERROR");
    EXPECT_EQ(dialogs.shown()[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(dialogs.shown()[0].text.endsWith("Companies.lst"));
    EXPECT_FALSE(w.refreshRunning());
    EXPECT_TRUE(find<QWidget>("Frame1")->isVisible());
    EXPECT_FALSE(find<QTabWidget>("SSTab1")->isVisible());
    EXPECT_TRUE(find<QLineEdit>("txtDBasePath")->hasFocus());
    EXPECT_EQ(find<QLineEdit>("txtDBasePath")->selectedText(),
              find<QLineEdit>("txtDBasePath")->text());

    // Becoming active again does not restart the timer; saving the settings does.
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&w, &activate);
    EXPECT_FALSE(w.refreshRunning());
    put("Companies.lst", "");
    QTest::mouseClick(find<QPushButton>("cmdDefaults"), Qt::LeftButton);
    EXPECT_TRUE(w.refreshRunning());
    EXPECT_TRUE(find<QTabWidget>("SSTab1")->isVisible());
    EXPECT_FALSE(find<QWidget>("Frame1")->isVisible());
    EXPECT_TRUE(fileExists(program + "config.txt"));
}

TEST_F(MainWindowTest, SettingsOpenByDoubleClickAndSaveWithoutRepeatingTheSuffix) {
    MainWindow& w = start(kConfig);
    QTest::mouseDClick(find<QLabel>("lblDefaults"), Qt::LeftButton);
    EXPECT_TRUE(find<QWidget>("Frame1")->isVisible());
    EXPECT_FALSE(find<QLabel>("lblDefaults")->isVisible());
    find<QLineEdit>("txtCoName")->setText("Bay Search");
    find<QLineEdit>("txtDBasePath")->setText(QString::fromStdString("  " + program + "data"));
    QTest::mouseClick(find<QPushButton>("cmdDefaults"), Qt::LeftButton);
    EXPECT_EQ(w.windowTitle(),
              "Quillmark - v 1.30 - Search Order Management Console  -  BAY SEARCH");
    EXPECT_EQ(find<QLineEdit>("txtDBasePath")->text(), QString::fromStdString(data));
    auto saved = loadConfig(program);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->settings.company.name, "Bay Search");
    EXPECT_EQ(saved->settings.dataFolder, data);
}

TEST_F(MainWindowTest, TypingOnTheFeeGridAndOkStoreTheSchedule) {
    MainWindow& w = start(kConfig);
    w.refreshNow();
    w.openSettings();
    find<QTableWidget>("grdService")->setFocus();
    find<QTableWidget>("grdService")->setCurrentCell(3, 0);
    QTest::keyClicks(find<QTableWidget>("grdService"), "C.Copy");
    find<QTableWidget>("grdService")->setCurrentCell(3, 1);
    QTest::keyClicks(find<QTableWidget>("grdService"), "7");
    find<QTableWidget>("grdService")
        ->setCurrentCell(1, 0); // blank the first code: its row is dropped
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(find<QTableWidget>("grdService"), Qt::Key_Backspace);
    find<QTableWidget>("grdService")->setCurrentCell(0, 0); // the heading row takes no typing
    QTest::keyClicks(find<QTableWidget>("grdService"), "x");
    EXPECT_EQ(find<QTableWidget>("grdService")->item(0, 0)->text(), "Service Code");
    QTest::mouseClick(find<QPushButton>("cmdDefaults"), Qt::LeftButton);
    EXPECT_EQ(readWholeFile(data + "Services.dat").value(),
              "\"M.Water\",\".50\"\r\n\"C.Copy\",\"7.00\"\r\n");
}

TEST_F(MainWindowTest, OkNeverStoresAScheduleThatWasNotLoaded) {
    ::unlink((data + "Companies.lst").c_str());
    MainWindow& w = start(kConfig);
    w.refreshNow(); // fails before the schedule is read
    put("Companies.lst", "");
    QTest::mouseClick(find<QPushButton>("cmdDefaults"), Qt::LeftButton);
    EXPECT_EQ(readWholeFile(data + "Services.dat").value(),
              "\"R.Full\",\"150.00\"\r\n\"M.Water\",\".5\"\r\n");
}

TEST_F(MainWindowTest, MailSettingsAreShownAndSavedInTheFifthRecord) {
    const std::string mail =
        "\"smtp.north.example\",587,\"starttls\",\"desk\",\"s3cret\",\"desk@north.example\","
        "\"/usr/bin/msmtp\"\r\n";
    MainWindow& w = start(std::string(kConfig) + mail);
    EXPECT_EQ(find<QLineEdit>("txtSmtpHost")->text(), "smtp.north.example");
    EXPECT_EQ(find<QSpinBox>("txtSmtpPort")->value(), 587);
    EXPECT_EQ(find<QComboBox>("cboSmtpSecurity")->currentText(), "starttls");
    EXPECT_EQ(find<QLineEdit>("txtSmtpPassword")->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(find<QRadioButton>("optOutlook")->isChecked());
    w.openSettings();
    find<QLineEdit>("txtSmtpUser")->setText("clerk");
    find<QComboBox>("cboSmtpSecurity")
        ->setCurrentIndex(find<QComboBox>("cboSmtpSecurity")->findText("tls"));
    QTest::mouseClick(find<QPushButton>("cmdDefaults"), Qt::LeftButton);
    const std::string saved = readWholeFile(program + "config.txt").value();
    EXPECT_TRUE(saved.ends_with("\"smtp.north.example\",587,\"tls\",\"clerk\",\"s3cret\","
                                "\"desk@north.example\",\"/usr/bin/msmtp\"\r\n"))
        << saved;
}

TEST_F(MainWindowTest, ChoosingAStateRefillsTheTownsAndPhonesTakeTheirForm) {
    MainWindow& w = start(kConfig);
    EXPECT_EQ(find<QComboBox>("cboTown")->count(), 352); // Massachusetts and the placeholder
    EXPECT_EQ(find<QComboBox>("cboTown")->currentText(), "< select town >");
    find<QComboBox>("cboState")->setCurrentText("Connecticut");
    EXPECT_EQ(find<QComboBox>("cboTown")->count(), 170);
    EXPECT_GE(find<QComboBox>("cboTown")->findText("ANDOVER"), 1);

    w.openSettings();
    find<QLineEdit>("txtPhone")->setFocus();
    find<QLineEdit>("txtPhone")->clear();
    QTest::keyClicks(find<QLineEdit>("txtPhone"), "4135550101");
    EXPECT_EQ(find<QLineEdit>("txtPhone")->text(), "(413) 555-0101");
    EXPECT_EQ(find<QLineEdit>("txtPhone")->cursorPosition(), 14);
}

TEST_F(MainWindowTest, SendTestUsesTheSettingsOnScreen) {
    mailtest::SmtpServer server;
    MainWindow& w = start(kConfig);
    w.openSettings();
    find<QRadioButton>("optMAPI")->setChecked(true);
    find<QLineEdit>("txtSmtpHost")->setText("127.0.0.1");
    find<QSpinBox>("txtSmtpPort")->setValue(server.port());
    find<QLineEdit>("txtSenderAddress")->setText("desk@north.example");
    find<QLineEdit>("txtEmail")->setText("owner@north.example");
    QTest::mouseClick(find<QPushButton>("cmdSendTest"), Qt::LeftButton);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "SEND TEST");
    EXPECT_EQ(dialogs.shown()[0].icon, QMessageBox::Information)
        << dialogs.shown()[0].text.toStdString();
    const auto received = server.received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].rcptTo, std::vector<std::string>{"owner@north.example"});

    find<QLineEdit>("txtEmail")->clear();
    QTest::mouseClick(find<QPushButton>("cmdSendTest"), Qt::LeftButton);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].icon, QMessageBox::Critical);
    EXPECT_TRUE(dialogs.shown()[1].text.contains("E-Mail Address"));
}

TEST_F(MainWindowTest, CustomRatesAreShownBesideTheScheduleAndStoredOnLeaving) {
    MainWindow& w = start(kConfig);
    w.refreshNow();
    w.openSettings();
    ASSERT_TRUE(w.settings().directory->LoadDatabase(DirectoryKind::Companies));
    ASSERT_TRUE(w.settings().directory->selectRow(0));
    ASSERT_EQ(find<QTableWidget>("grdService")->columnCount(), 3);
    EXPECT_EQ(find<QTableWidget>("grdService")->item(0, 2)->text(), "custom");
    EXPECT_EQ(find<QLabel>("lblCustom")->text(), "Bay Title");
    find<QTableWidget>("grdService")->setCurrentCell(1, 2);
    QTest::keyClicks(find<QTableWidget>("grdService"), "125.5");
    QTest::mouseClick(find<QPushButton>("cmdDefaults"),
                      Qt::LeftButton); // OK stores the column first
    const std::string rateFile = data + "customrates/Bay Title.rte";
    EXPECT_EQ(readWholeFile(rateFile).value(), "\"R.Full\",\"125.50\"\r\n");
    EXPECT_EQ(find<QTableWidget>("grdService")->columnCount(), 2);
    EXPECT_TRUE(find<QLabel>("lblCustom")->text().isEmpty());

    // Shown again, then emptied: leaving the entry deletes the file.
    w.openSettings();
    ASSERT_TRUE(w.settings().directory->LoadDatabase(DirectoryKind::Companies));
    ASSERT_TRUE(w.settings().directory->selectRow(0));
    ASSERT_TRUE(find<QTableWidget>("grdService")->item(1, 2));
    EXPECT_EQ(find<QTableWidget>("grdService")->item(1, 2)->text(), "125.50");
    find<QTableWidget>("grdService")->item(1, 2)->setText("0");
    QTest::mouseClick(find<QPushButton>("cmdDefaults"), Qt::LeftButton);
    EXPECT_FALSE(fileExists(rateFile));
}

TEST_F(MainWindowTest, ARemovedEntrysRatesAreNotStoredBack) {
    put("Companies.lst", "Acme _ 1 St _  _ Lee, MA _  _ f _ e _ \r\n"
                         "Bay Title _ 2 Bay Rd _  _ Boston, MA _  _ f _ e _ \r\n");
    ::mkdir((data + "customrates").c_str(), 0755);
    ASSERT_TRUE(writeWholeFile(data + "customrates/Acme.rte", "\"R.Full\",\"99.00\"\r\n"));
    MainWindow& w = start(kConfig);
    w.refreshNow();
    w.openSettings();
    ASSERT_TRUE(w.settings().directory->LoadDatabase(DirectoryKind::Companies));
    ASSERT_TRUE(w.settings().directory->selectRow(0)); // Acme, with its rates shown
    ASSERT_EQ(find<QTableWidget>("grdService")->item(1, 2)->text(), "99.00");
    QTest::mouseClick(w.settings().directory->cmdRemove, Qt::LeftButton);
    EXPECT_FALSE(fileExists(data + "customrates/Acme.rte"));
    ASSERT_TRUE(w.settings().directory->selectRow(0)); // Bay Title: leaving Acme stores nothing
    EXPECT_FALSE(fileExists(data + "customrates/Acme.rte"));
    EXPECT_EQ(readWholeFile(data + "Companies.lst").value(),
              "Bay Title _ 2 Bay Rd _  _ Boston, MA _  _ f _ e _ \r\n");
}

TEST_F(MainWindowTest, OrderRatesFillTheServiceListsWithTheCustomersOwnFees) {
    MainWindow& w = start(kConfig);
    ASSERT_TRUE(writeWholeFile(data + "customrates/Bay Title.rte", "\"R.Full\",\"124.50\"\r\n"));
    w.editor().loadOrderRates("Bay Title");
    ASSERT_EQ(find<QComboBox>("cboType")->count(), 2);
    EXPECT_EQ(find<QComboBox>("cboType")->itemText(0), "< none >");
    EXPECT_EQ(find<QComboBox>("cboType")->itemData(1).toLongLong(), 124);
    EXPECT_EQ(find<QComboBox>("cboMuni")->itemText(1), "M.Water");
    EXPECT_EQ(find<QComboBox>("cboMuni")->itemData(1).toLongLong(), 0); // .5 rounds to the even 0
    w.editor().loadOrderRates("default");
    EXPECT_EQ(find<QComboBox>("cboType")->itemData(1).toLongLong(), 150);
}

TEST_F(MainWindowTest, TabChangesMoveTheFocusAndShowTheLinesOnlyOnNewOrder) {
    MainWindow& w = start(kConfig);
    QApplication::setActiveWindow(&w);
    int clears = 0;
    w.hooks().clearOrderEditor = [&] { ++clears; };
    find<QTabWidget>("SSTab1")->setCurrentIndex(MainWindow::PendingTab);
    EXPECT_TRUE(find<QPushButton>("cmdReset")->hasFocus());
    EXPECT_FALSE(find<QFrame>("Line1")->isVisible());
    find<QTabWidget>("SSTab1")->setCurrentIndex(MainWindow::CompletedTab);
    EXPECT_TRUE(find<QComboBox>("Combo1")->hasFocus());
    find<QTabWidget>("SSTab1")->setCurrentIndex(MainWindow::NewOrderTab);
    EXPECT_TRUE(find<QLineEdit>("txtFileNumb")->hasFocus());
    EXPECT_TRUE(find<QFrame>("Line3")->isVisible());

    // An unsaved order being typed stays; a just-saved one (Save disabled) is cleared.
    find<QLineEdit>("txtFileNumb")->setText("QM00001");
    find<QPushButton>("cmdSave")->setEnabled(true);
    find<QTabWidget>("SSTab1")->setCurrentIndex(MainWindow::PendingTab);
    EXPECT_EQ(clears, 0);
    find<QTabWidget>("SSTab1")->setCurrentIndex(MainWindow::NewOrderTab);
    find<QPushButton>("cmdSave")->setEnabled(false);
    find<QTabWidget>("SSTab1")->setCurrentIndex(MainWindow::PendingTab);
    EXPECT_EQ(clears, 1);
    w.context().selectedFileNumber = "QM00001";
    find<QTabWidget>("SSTab1")->setCurrentIndex(MainWindow::NewOrderTab);
    find<QTabWidget>("SSTab1")->setCurrentIndex(MainWindow::PendingTab);
    EXPECT_TRUE(find<QTableView>("grdOrder")->hasFocus());
}

TEST_F(MainWindowTest, TypedQuotesBecomeApostrophesAndStarsAreDropped) {
    MainWindow& w = start(kConfig);
    QApplication::setActiveWindow(&w);
    find<QLineEdit>("txtFileNumb")->setFocus();
    QTest::keyClicks(find<QLineEdit>("txtFileNumb"), "O\"Neil*s");
    EXPECT_EQ(find<QLineEdit>("txtFileNumb")->text(), "O'NEILS"); // file numbers are upper case
}

TEST_F(MainWindowTest, EveryPastePathTurnsQuotesIntoApostrophes) {
    MainWindow& w = start(kConfig);
    QApplication::setActiveWindow(&w);
    QClipboard* clipboard = QGuiApplication::clipboard();
    QLineEdit* box = find<QLineEdit>("txtCoName");
    w.openSettings();

    // Ctrl+V
    box->setFocus();
    clipboard->setText("the \"big\" house");
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->text(), "the 'big' house");
    EXPECT_EQ(clipboard->text(), "the 'big' house");

    // The context menu's paste and any other programme-free edit path.
    box->clear();
    clipboard->setText("a \"b\"");
    box->paste();
    EXPECT_EQ(box->text(), "a 'b'");

    // Drag and drop.
    box->clear();
    auto* mime = new QMimeData;
    mime->setText("drop \"x\"");
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    QApplication::sendEvent(box, &drop);
    EXPECT_EQ(box->text(), "drop 'x'");
    delete mime;

    // A multi-line field created later is guarded too.
    auto* notes = new QPlainTextEdit(&w);
    notes->setObjectName("notes");
    notes->show();
    notes->setFocus();
    clipboard->setText("say \"hi\"");
    notes->paste();
    EXPECT_EQ(notes->toPlainText(), "say 'hi'");
}

TEST_F(MainWindowTest, ActivationLoadsAtOnceAndThenTheTimerRuns) {
    MainWindow& w = start(kConfig);
    EXPECT_TRUE(find<QLabel>("lblNow")->text().isEmpty());
    QApplication::setActiveWindow(&w);
    EXPECT_TRUE(find<QLabel>("lblNow")->text().startsWith("Monday, December 07, 2026"));
    EXPECT_EQ(find<QComboBox>("cboTitleCo")->count(), 2);
    EXPECT_EQ(find<QTableWidget>("grdService")->item(1, 0)->text(), "R.Full");
    EXPECT_TRUE(w.refreshRunning());
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(MainWindowTest, TheTabPagesAreNamedSoTheirControlsCanBeToldApart) {
    MainWindow& w = start(kConfig);
    const char* pages[] = {"tabNewOrder", "tabPending", "tabCompleted"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(w.tabs()->widget(i)->objectName(), pages[i]);
    EXPECT_TRUE(w.tabs()->widget(0)->findChild<QLineEdit*>("txtFileNumb"));
    EXPECT_TRUE(w.tabs()->widget(1)->findChild<QTableView*>("grdOrder"));
    EXPECT_TRUE(w.tabs()->widget(2)->findChild<QComboBox*>("Combo1"));
}

// "Browse Archives" on the pending tab opens the browser over Archives.fil, modally, and closing
// it leaves the queue's choice alone.
TEST_F(MainWindowTest, BrowseArchivesOpensTheBrowserOverTheArchive) {
    OrderRecord archived(OrderFile::Archives);
    archived.set(OrderField::EnteredAt, Field::ofDate({2026, 11, 2, 9, 0, 0}));
    archived.setText(OrderField::FileNumber, "A-1");
    archived.setText(OrderField::TitleCompany, "Bay Title");
    archived.set(OrderField::DueDate, Field::ofDate({2026, 11, 9, 0, 0, 0}));
    archived.set(OrderField::CompletedAt, Field::ofDate({2026, 11, 8, 15, 0, 0}));
    archived.setText(OrderField::StatementNumber, "S-1");
    archived.setText(OrderField::StatementDate, "11/30/2026");
    put("Archives.fil", archived.encode());
    OrderRecord pending(OrderFile::Pending);
    pending.set(OrderField::EnteredAt, Field::ofDate({2026, 12, 1, 9, 0, 0}));
    pending.setText(OrderField::FileNumber, "P-7");
    pending.set(OrderField::DueDate, Field::ofDate({2026, 12, 20, 0, 0, 0}));
    put("Pending.fil", pending.encode());
    MainWindow& w = start(kConfig);
    w.tabs()->setCurrentIndex(MainWindow::PendingTab);
    w.refreshNow();
    auto* grid = w.tabs()->widget(MainWindow::PendingTab)->findChild<QTableView*>("grdOrder");
    grid->selectRow(0);
    ASSERT_EQ(w.context().selectedFileNumber, "P-7");
    QString opened;
    int rows = -1;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        opened = modal->objectName();
        if (auto* list = modal->findChild<QAbstractItemView*>("List2"))
            rows = list->model()->rowCount();
        modal->close();
    });
    QTest::mouseClick(
        w.tabs()->widget(MainWindow::PendingTab)->findChild<QPushButton*>("cmdArchives"),
        Qt::LeftButton);
    EXPECT_EQ(opened, "Form3");
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(w.context().selectedFileNumber, "P-7");
}

// The window's ticks run the 03:00 backup once its moment is crossed, and only then.
TEST_F(MainWindowTest, TheTickPastThreeOClockBacksUpTheDataFolderAndConfig) {
    clock.set(QDateTime(QDate(2026, 12, 8), QTime(2, 59, 58)));
    MainWindow& w = start(kConfig);
    w.refreshNow();
    clock.advanceSeconds(1);
    w.refreshNow();
    QTest::qWait(100);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(program + "QM_BACKUP")));
    clock.advanceSeconds(2);
    w.refreshNow();
    const QString copy = QString::fromStdString(program + "QM_BACKUP/data/Pending.fil");
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(copy); }, 30000));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(program + "QM_BACKUP/config.txt")));
    EXPECT_TRUE(dialogs.notices().empty());
}

} // namespace
} // namespace qm
