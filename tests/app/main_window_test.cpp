#include "app_context.h"
#include "appearance_apply.h"
#include "clock.h"
#include "dialogs.h"
#include "directory_editor.h"
#include "files.h"
#include "main_window.h"
#include "smtp_server.h"
#include "startup.h"
#include "window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
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
    EXPECT_EQ(w.cboState->currentText(), "Massachusetts");
    EXPECT_TRUE(w.chkAuto->isChecked());
    EXPECT_EQ(w.txtDBasePath->text(), QString::fromStdString(data));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(data + "customrates")).isDir());
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(MainWindowTest, NoConfigChoosesTheFirstStateAndAMissingFolderEndsStartUp) {
    start();
    EXPECT_EQ(window->cboState->currentIndex(), 0);
    EXPECT_EQ(window->txtDBasePath->text(), QString::fromStdString(data));

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
        EXPECT_EQ(w.Slider1->value(), std::stoi(c.record3));
        EXPECT_EQ(context.zoomFactor != 1.0, c.zoomed) << c.record3;
        EXPECT_EQ(designed == w.size(), !c.zoomed) << c.record3;
        context.zoomFactor = 1.0;
    }
}

TEST_F(MainWindowTest, TicksFillThePickListsAndKeepTheChoice) {
    MainWindow& w = start(kConfig);
    w.refreshNow();
    EXPECT_EQ(w.cboTitleCo->count(), 2);
    EXPECT_EQ(w.cboTitleCo->currentIndex(), 0);
    EXPECT_EQ(w.cboSearcher->itemText(1), "Tom Reed");
    EXPECT_EQ(w.DTPicker1->date(), QDate(2026, 12, 7));
    EXPECT_TRUE(w.lblNow->text().startsWith("Monday, December 07, 2026"));
    EXPECT_EQ(w.grdService->item(0, 0)->text(), "Service Code");
    EXPECT_EQ(w.grdService->item(0, 0)->textAlignment(), Qt::AlignCenter);
    EXPECT_EQ(w.grdService->item(2, 1)->text(), ".50");

    w.cboTitleCo->setCurrentIndex(1);
    emit w.cboTitleCo->activated(1);
    w.cboCustomer->setCurrentIndex(1);
    put("Companies.lst", "Bay Title _ 2 Bay Rd _  _ Boston, MA _  _ f _ e _ \r\n"
                         "Acme _ 1 St _  _ Lee, MA _  _ f _ e _ \r\n");
    put("Attorneys.lst", "Baker & Lane _ Ann Cole _ 1 A St _  _ Lee, MA _  _ f _ e\r\n"
                         "Cole _ Cole _ 1 A St _  _ Lee, MA _  _ f _ e\r\n");
    w.refreshNow();
    EXPECT_EQ(w.cboTitleCo->currentText(), "Bay Title - Boston");
    EXPECT_EQ(w.cboTitleCo->itemText(1), "Acme - Lee");
    EXPECT_EQ(w.cboCustomer->currentIndex(), 0);
    EXPECT_EQ(w.cboCustomer->count(), 3);
}

TEST_F(MainWindowTest, AMissingDataFileOpensTheSettingsWithThePathSelected) {
    ::unlink((data + "Companies.lst").c_str());
    MainWindow& w = start(kConfig);
    QApplication::setActiveWindow(&w);
    w.startRefresh();
    w.refreshNow();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "DATA ACCESS ERROR");
    EXPECT_EQ(dialogs.shown()[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(dialogs.shown()[0].text.endsWith("Companies.lst"));
    EXPECT_FALSE(w.refreshRunning());
    EXPECT_TRUE(w.Frame1->isVisible());
    EXPECT_FALSE(w.SSTab1->isVisible());
    EXPECT_TRUE(w.txtDBasePath->hasFocus());
    EXPECT_EQ(w.txtDBasePath->selectedText(), w.txtDBasePath->text());

    // Becoming active again does not restart the timer; saving the settings does.
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&w, &activate);
    EXPECT_FALSE(w.refreshRunning());
    put("Companies.lst", "");
    QTest::mouseClick(w.cmdDefaults, Qt::LeftButton);
    EXPECT_TRUE(w.refreshRunning());
    EXPECT_TRUE(w.SSTab1->isVisible());
    EXPECT_FALSE(w.Frame1->isVisible());
    EXPECT_TRUE(fileExists(program + "config.txt"));
}

TEST_F(MainWindowTest, SettingsOpenByDoubleClickAndSaveWithoutRepeatingTheSuffix) {
    MainWindow& w = start(kConfig);
    QTest::mouseDClick(w.lblDefaults, Qt::LeftButton);
    EXPECT_TRUE(w.Frame1->isVisible());
    EXPECT_FALSE(w.lblDefaults->isVisible());
    w.txtCoName->setText("Bay Search");
    w.txtDBasePath->setText(QString::fromStdString("  " + program + "data"));
    QTest::mouseClick(w.cmdDefaults, Qt::LeftButton);
    EXPECT_EQ(w.windowTitle(),
              "Quillmark - v 1.30 - Search Order Management Console  -  BAY SEARCH");
    EXPECT_EQ(w.txtDBasePath->text(), QString::fromStdString(data));
    auto saved = loadConfig(program);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->settings.company.name, "Bay Search");
    EXPECT_EQ(saved->settings.dataFolder, data);
}

TEST_F(MainWindowTest, TypingOnTheFeeGridAndOkStoreTheSchedule) {
    MainWindow& w = start(kConfig);
    w.refreshNow();
    w.openSettings();
    w.grdService->setFocus();
    w.grdService->setCurrentCell(3, 0);
    QTest::keyClicks(w.grdService, "C.Copy");
    w.grdService->setCurrentCell(3, 1);
    QTest::keyClicks(w.grdService, "7");
    w.grdService->setCurrentCell(1, 0); // blank the first code: its row is dropped
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(w.grdService, Qt::Key_Backspace);
    w.grdService->setCurrentCell(0, 0); // the heading row takes no typing
    QTest::keyClicks(w.grdService, "x");
    EXPECT_EQ(w.grdService->item(0, 0)->text(), "Service Code");
    QTest::mouseClick(w.cmdDefaults, Qt::LeftButton);
    EXPECT_EQ(readWholeFile(data + "Services.dat").value(),
              "\"M.Water\",\".50\"\r\n\"C.Copy\",\"7.00\"\r\n");
}

TEST_F(MainWindowTest, OkNeverStoresAScheduleThatWasNotLoaded) {
    ::unlink((data + "Companies.lst").c_str());
    MainWindow& w = start(kConfig);
    w.refreshNow(); // fails before the schedule is read
    put("Companies.lst", "");
    QTest::mouseClick(w.cmdDefaults, Qt::LeftButton);
    EXPECT_EQ(readWholeFile(data + "Services.dat").value(),
              "\"R.Full\",\"150.00\"\r\n\"M.Water\",\".5\"\r\n");
}

TEST_F(MainWindowTest, MailSettingsAreShownAndSavedInTheFifthRecord) {
    const std::string mail =
        "\"smtp.north.example\",587,\"starttls\",\"desk\",\"s3cret\",\"desk@north.example\","
        "\"/usr/bin/msmtp\"\r\n";
    MainWindow& w = start(std::string(kConfig) + mail);
    EXPECT_EQ(w.txtSmtpHost->text(), "smtp.north.example");
    EXPECT_EQ(w.txtSmtpPort->value(), 587);
    EXPECT_EQ(w.cboSmtpSecurity->currentText(), "starttls");
    EXPECT_EQ(w.txtSmtpPassword->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(w.optOutlook->isChecked());
    w.openSettings();
    w.txtSmtpUser->setText("clerk");
    w.cboSmtpSecurity->setCurrentIndex(w.cboSmtpSecurity->findText("tls"));
    QTest::mouseClick(w.cmdDefaults, Qt::LeftButton);
    const std::string saved = readWholeFile(program + "config.txt").value();
    EXPECT_TRUE(saved.ends_with("\"smtp.north.example\",587,\"tls\",\"clerk\",\"s3cret\","
                                "\"desk@north.example\",\"/usr/bin/msmtp\"\r\n"))
        << saved;
}

TEST_F(MainWindowTest, ChoosingAStateRefillsTheTownsAndPhonesTakeTheirForm) {
    MainWindow& w = start(kConfig);
    EXPECT_EQ(w.cboTown->count(), 352); // Massachusetts and the placeholder
    EXPECT_EQ(w.cboTown->currentText(), "< select town >");
    w.cboState->setCurrentText("Connecticut");
    EXPECT_EQ(w.cboTown->count(), 170);
    EXPECT_GE(w.cboTown->findText("ANDOVER"), 1);

    w.openSettings();
    w.txtPhone->setFocus();
    w.txtPhone->clear();
    QTest::keyClicks(w.txtPhone, "4135550101");
    EXPECT_EQ(w.txtPhone->text(), "(413) 555-0101");
    EXPECT_EQ(w.txtPhone->cursorPosition(), 14);
}

TEST_F(MainWindowTest, SendTestUsesTheSettingsOnScreen) {
    mailtest::SmtpServer server;
    MainWindow& w = start(kConfig);
    w.openSettings();
    w.optMAPI->setChecked(true);
    w.txtSmtpHost->setText("127.0.0.1");
    w.txtSmtpPort->setValue(server.port());
    w.txtSenderAddress->setText("desk@north.example");
    w.txtEmail->setText("owner@north.example");
    QTest::mouseClick(w.cmdSendTest, Qt::LeftButton);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "SEND TEST");
    EXPECT_EQ(dialogs.shown()[0].icon, QMessageBox::Information)
        << dialogs.shown()[0].text.toStdString();
    const auto received = server.received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].rcptTo, std::vector<std::string>{"owner@north.example"});

    w.txtEmail->clear();
    QTest::mouseClick(w.cmdSendTest, Qt::LeftButton);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].icon, QMessageBox::Critical);
    EXPECT_TRUE(dialogs.shown()[1].text.contains("E-Mail Address"));
}

TEST_F(MainWindowTest, CustomRatesAreShownBesideTheScheduleAndStoredOnLeaving) {
    MainWindow& w = start(kConfig);
    w.refreshNow();
    w.openSettings();
    ASSERT_TRUE(w.directory->LoadDatabase(DirectoryKind::Companies));
    ASSERT_TRUE(w.directory->selectRow(0));
    ASSERT_EQ(w.grdService->columnCount(), 3);
    EXPECT_EQ(w.grdService->item(0, 2)->text(), "custom");
    EXPECT_EQ(w.lblCustom->text(), "Bay Title");
    w.grdService->setCurrentCell(1, 2);
    QTest::keyClicks(w.grdService, "125.5");
    QTest::mouseClick(w.cmdDefaults, Qt::LeftButton); // OK stores the column first
    const std::string rateFile = data + "customrates/Bay Title.rte";
    EXPECT_EQ(readWholeFile(rateFile).value(), "\"R.Full\",\"125.50\"\r\n");
    EXPECT_EQ(w.grdService->columnCount(), 2);
    EXPECT_TRUE(w.lblCustom->text().isEmpty());

    // Shown again, then emptied: leaving the entry deletes the file.
    w.openSettings();
    ASSERT_TRUE(w.directory->LoadDatabase(DirectoryKind::Companies));
    ASSERT_TRUE(w.directory->selectRow(0));
    ASSERT_TRUE(w.grdService->item(1, 2));
    EXPECT_EQ(w.grdService->item(1, 2)->text(), "125.50");
    w.grdService->item(1, 2)->setText("0");
    QTest::mouseClick(w.cmdDefaults, Qt::LeftButton);
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
    ASSERT_TRUE(w.directory->LoadDatabase(DirectoryKind::Companies));
    ASSERT_TRUE(w.directory->selectRow(0)); // Acme, with its rates shown
    ASSERT_EQ(w.grdService->item(1, 2)->text(), "99.00");
    QTest::mouseClick(w.directory->cmdRemove, Qt::LeftButton);
    EXPECT_FALSE(fileExists(data + "customrates/Acme.rte"));
    ASSERT_TRUE(w.directory->selectRow(0)); // Bay Title: leaving Acme stores nothing
    EXPECT_FALSE(fileExists(data + "customrates/Acme.rte"));
    EXPECT_EQ(readWholeFile(data + "Companies.lst").value(),
              "Bay Title _ 2 Bay Rd _  _ Boston, MA _  _ f _ e _ \r\n");
}

TEST_F(MainWindowTest, OrderRatesFillTheServiceListsOnlyOnTheNewOrderTab) {
    MainWindow& w = start(kConfig);
    ASSERT_TRUE(writeWholeFile(data + "customrates/Bay Title.rte", "\"R.Full\",\"124.50\"\r\n"));
    w.loadOrderRates("Bay Title");
    ASSERT_EQ(w.cboType->count(), 2);
    EXPECT_EQ(w.cboType->itemText(0), "< none >");
    EXPECT_EQ(w.cboType->itemData(1).toLongLong(), 124);
    EXPECT_EQ(w.cboMuni->itemText(1), "M.Water");
    EXPECT_EQ(w.cboMuni->itemData(1).toLongLong(), 0); // .5 rounds to the even 0
    w.loadOrderRates("default");
    EXPECT_EQ(w.cboType->itemData(1).toLongLong(), 150);
    w.SSTab1->setCurrentIndex(MainWindow::PendingTab);
    w.cboType->clear();
    w.loadOrderRates("default");
    EXPECT_EQ(w.cboType->count(), 0);
}

TEST_F(MainWindowTest, TabChangesMoveTheFocusAndShowTheLinesOnlyOnNewOrder) {
    MainWindow& w = start(kConfig);
    QApplication::setActiveWindow(&w);
    int clears = 0;
    w.hooks().clearOrderEditor = [&] { ++clears; };
    w.SSTab1->setCurrentIndex(MainWindow::PendingTab);
    EXPECT_TRUE(w.cmdReset->hasFocus());
    EXPECT_FALSE(w.Line1->isVisible());
    w.SSTab1->setCurrentIndex(MainWindow::CompletedTab);
    EXPECT_TRUE(w.Combo1->hasFocus());
    w.SSTab1->setCurrentIndex(MainWindow::NewOrderTab);
    EXPECT_TRUE(w.txtFileNumb->hasFocus());
    EXPECT_TRUE(w.Line3->isVisible());

    // An unsaved order being typed stays; a just-saved one (Save disabled) is cleared.
    w.txtFileNumb->setText("QM00001");
    w.cmdSave->setEnabled(true);
    w.SSTab1->setCurrentIndex(MainWindow::PendingTab);
    EXPECT_EQ(clears, 0);
    w.SSTab1->setCurrentIndex(MainWindow::NewOrderTab);
    w.cmdSave->setEnabled(false);
    w.SSTab1->setCurrentIndex(MainWindow::PendingTab);
    EXPECT_EQ(clears, 1);
    w.context().selectedFileNumber = "QM00001";
    w.SSTab1->setCurrentIndex(MainWindow::NewOrderTab);
    w.SSTab1->setCurrentIndex(MainWindow::PendingTab);
    EXPECT_TRUE(w.grdOrder->hasFocus());
}

TEST_F(MainWindowTest, TypedQuotesBecomeApostrophesAndStarsAreDropped) {
    MainWindow& w = start(kConfig);
    QApplication::setActiveWindow(&w);
    w.txtFileNumb->setFocus();
    QTest::keyClicks(w.txtFileNumb, "O\"Neil*s");
    EXPECT_EQ(w.txtFileNumb->text(), "O'NEILS"); // file numbers are upper case
}

TEST_F(MainWindowTest, EveryPastePathTurnsQuotesIntoApostrophes) {
    MainWindow& w = start(kConfig);
    QApplication::setActiveWindow(&w);
    QClipboard* clipboard = QGuiApplication::clipboard();
    QLineEdit* box = w.txtCoName;
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

} // namespace
} // namespace qm
