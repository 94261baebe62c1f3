#include "archive_browser.h"

#include "archive_model.h"
#include "archive_test_orders.h"
#include "dialogs.h"
#include "printer.h"
#include "test_support.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::archivedRecord;
using test::PendingFields;
using test::setFees;

const QDate kDue(2024, 3, 15);

std::vector<OrderRecord> sampleOrders() {
    OrderRecord a = archivedRecord(PendingFields("ABC-1", kDue)
                                       .from("First Title", "")
                                       .at("12 Oak St")
                                       .by("Ann Lee*")
                                       .types("R.2 Owner", "M.Lien"));
    setFees(a, "150", "25", "12.5");
    OrderRecord b = archivedRecord(
        PendingFields("F-2", kDue).from("", "Smith Law - Bob Smith").at("44 Abcott Rd"));
    // An address that holds another customer's name.
    OrderRecord c =
        archivedRecord(PendingFields("F-3", kDue).from("Oak Title", "").at("9 First Title Way"));
    OrderRecord d =
        archivedRecord(PendingFields("F-4", kDue).from("First Title", "").at("1 Elm St"));
    d.setDueDate({{2024, 3, 1, 0, 0, 0}, true}); // billed in advance, still pending
    return {a, b, c, d};
}

QStringList pdfLines(const QString& pdf) {
    QProcess process;
    process.start("pdftotext", {"-fixed", "6.02", pdf, "-"});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {"<pdftotext failed>"};
    return QString::fromUtf8(process.readAllStandardOutput()).split('\n');
}

class ArchiveBrowserTest : public ::testing::Test {
  protected:
    ArchiveBrowserTest() {
        context.settings.dataFolder = folder.path();
        context.dialogs = &dialogs;
        context.printer = &printer;
        context.selectedFileNumber = "P-7"; // the pending queue's choice
        test::put(folder.file("Searchers.lst"),
                  "Ann Lee _  _  _  _ (555) 201-0001 _ 555.201.0002 _ AT&T _ a@x.example\r\n");
        browser = std::make_unique<ArchiveBrowser>(context);
        tester = std::make_unique<QAbstractItemModelTester>(
            &browser->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    void open(const std::vector<OrderRecord>& orders = sampleOrders()) {
        ASSERT_TRUE(test::writeArchives(folder.path(), orders));
        ASSERT_TRUE(browser->load());
        browser->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(browser.get()));
    }
    QStringList shownNumbers() const {
        QStringList numbers;
        for (int r = 0; r < browser->model().rowCount(); ++r)
            numbers << browser->model().lineText(r).mid(54, 17).trimmed();
        return numbers;
    }
    QStringList customers() const {
        QStringList items;
        for (int i = 0; i < browser->Combo1->count(); ++i)
            items << browser->Combo1->itemText(i);
        return items;
    }
    void chooseCustomer(const QString& key) {
        const int index = browser->Combo1->findText(key);
        ASSERT_GE(index, 0) << key.toStdString();
        browser->Combo1->setCurrentIndex(index);
    }
    void clickRow(int row) {
        const QRect rect = browser->List2->visualRect(browser->model().index(row));
        QTest::mouseClick(browser->List2->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QString caption() const { return browser->windowTitle(); }

    test::TempFolder folder;
    QString pdf = QString::fromStdString(folder.file("story.pdf"));
    PdfPrinter printer{pdf};
    ScriptedDialogs dialogs;
    AppContext context;
    std::unique_ptr<ArchiveBrowser> browser;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(ArchiveBrowserTest, ControlsCarryTheirNamesAndCaptions) {
    open();
    EXPECT_EQ(browser->objectName(), "Form3");
    EXPECT_TRUE(browser->isModal());
    EXPECT_EQ(caption(), "Quillmark Archives" + QString(30, ' ') + "search text =>   ");
    EXPECT_EQ(browser->findChild<QPushButton*>("cmdPrint")->text(), "PRINT");
    EXPECT_EQ(browser->findChild<QPushButton*>("cmdReset")->text(), "RESET");
    EXPECT_EQ(browser->findChild<QLabel*>("lblHint")->text(),
              "Select customer &/OR type search-text to filter (Bkspc to del)");
    EXPECT_EQ(browser->findChild<QListView*>("List2")->font().family(), "Lucida Console");
    EXPECT_EQ(browser->findChild<QPlainTextEdit*>("Text1")->font().family(), "Courier New");
    EXPECT_NE(browser->findChild<QComboBox*>("Combo1"), nullptr);
    EXPECT_FALSE(browser->cmdPrint->isEnabled());
    // Every distinct key once, sorted, the placeholder first.
    EXPECT_EQ(customers(), (QStringList{"< customer >", "First Title", "Oak Title", "Smith Law"}));
    EXPECT_EQ(shownNumbers(), (QStringList{"ABC-1", "F-2", "F-3", "F-4"}));
}

TEST_F(ArchiveBrowserTest, TypedSearchTextAndBackspace) {
    open();
    browser->List2->setFocus();
    QTest::keyClicks(browser->List2, "abc");
    EXPECT_TRUE(caption().endsWith("=>   ABC")) << caption().toStdString();
    EXPECT_EQ(browser->searchText(), "ABC");
    // ABC-1 by its number, F-2 by its address "44 Abcott Rd".
    EXPECT_EQ(shownNumbers(), (QStringList{"ABC-1", "F-2"}));

    QTest::keyClick(browser->List2, Qt::Key_Backspace);
    EXPECT_TRUE(caption().endsWith("=>   AB"));
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(browser->List2, Qt::Key_Backspace);
    EXPECT_EQ(caption(), archiveCaption(""));
    EXPECT_EQ(shownNumbers().size(), 4);

    // A blank is search text; Enter and other control keys are not.
    QTest::keyClicks(browser->List2, "oak st");
    QTest::keyClick(browser->List2, Qt::Key_Return);
    QTest::keyClick(browser->List2, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(browser->searchText(), "OAK ST");
    EXPECT_EQ(shownNumbers(), (QStringList{"ABC-1"}));
    EXPECT_TRUE(browser->isVisible());
}

TEST_F(ArchiveBrowserTest, CustomerAndTextTogetherByTheExactKey) {
    open();
    chooseCustomer("First Title");
    // F-3 of Oak Title lies on "First Title Way": the key, not the text, decides.
    EXPECT_EQ(shownNumbers(), (QStringList{"ABC-1", "F-4"}));
    EXPECT_TRUE(browser->List2->hasFocus());
    QTest::keyClicks(browser->List2, "elm");
    EXPECT_EQ(shownNumbers(), (QStringList{"F-4"}));
    chooseCustomer("< customer >");
    EXPECT_EQ(shownNumbers(), (QStringList{"F-4"}));
    QTest::keyClick(browser->List2, Qt::Key_Backspace);
    QTest::keyClick(browser->List2, Qt::Key_Backspace);
    QTest::keyClick(browser->List2, Qt::Key_Backspace);
    chooseCustomer("Smith Law");
    EXPECT_EQ(shownNumbers(), (QStringList{"F-2"}));

    // A character typed on the customer list becomes search text in the order list.
    browser->Combo1->setFocus();
    QTest::keyClicks(browser->Combo1, "rd");
    EXPECT_EQ(browser->searchText(), "RD");
    EXPECT_TRUE(browser->List2->hasFocus());
    EXPECT_EQ(shownNumbers(), (QStringList{"F-2"}));

    browser->cmdReset->click();
    EXPECT_EQ(caption(), archiveCaption(""));
    EXPECT_EQ(browser->Combo1->currentIndex(), 0);
    EXPECT_EQ(shownNumbers().size(), 4);
}

TEST_F(ArchiveBrowserTest, ChosenOrderShowsItsStoryAndLeavesThePendingChoiceAlone) {
    open();
    clickRow(0);
    EXPECT_EQ(browser->selectedFileNumber(), "ABC-1");
    EXPECT_EQ(context.selectedFileNumber, "P-7");
    EXPECT_TRUE(browser->cmdPrint->isEnabled());
    const QString text = browser->Text1->toPlainText();
    EXPECT_TRUE(text.contains("\nSEARCHER:  Ann Lee  h 5552010001  c 5552010002\n"));
    EXPECT_TRUE(text.contains("\nFEES:      Base = $150,  Muni = $25,  Copies = $12.5\n"));
    EXPECT_EQ(browser->model().lineText(0).mid(96, 7), " 175.00");
    EXPECT_EQ(browser->model().lineText(0).mid(108, 7), "  12.50");

    clickRow(3);
    EXPECT_TRUE(browser->Text1->toPlainText().contains("\nCOMPLETED: ... still pending\n"));
    EXPECT_TRUE(browser->Text1->toPlainText().contains("\nDUE DATE:  Friday, March 01, 2024\n"));

    // Typing refills the list: the story and PRINT go.
    QTest::keyClicks(browser->List2, "f");
    EXPECT_TRUE(browser->Text1->toPlainText().isEmpty());
    EXPECT_FALSE(browser->cmdPrint->isEnabled());
}

TEST_F(ArchiveBrowserTest, PrintsTheStoryAndSaysWhenThereIsNoPrinter) {
    open();
    clickRow(0);
    browser->cmdPrint->click();
    EXPECT_TRUE(dialogs.shown().empty());
    const QStringList lines = pdfLines(pdf);
    auto line = [&](const QString& start) {
        for (const QString& l : lines)
            if (l.trimmed().startsWith(start))
                return l.simplified();
        return "<no line " + start + ">";
    };
    EXPECT_EQ(line("ABC-1"), "ABC-1 12 Oak St, Springfield R.2 Owner w/ M.Lien");
    EXPECT_EQ(line("FEES:"), "FEES: Base = $150, Muni = $25, Copies = $12.5");
    EXPECT_EQ(line("INVOICE:"), "INVOICE: 2404-01 on 04/02/2024");
    EXPECT_EQ(line("COMPLETED:"), "COMPLETED: Wednesday, March 20, 2024 @ 4:45PM");

    context.printer = nullptr;
    browser->cmdPrint->click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(dialogs.shown()[0].title, " PRINTER ERROR");
    EXPECT_EQ(dialogs.shown()[0].text, "Cannot Find Printer");
}

TEST_F(ArchiveBrowserTest, EscapeClosesAndTheNextOpeningStartsEmpty) {
    ASSERT_TRUE(test::writeArchives(folder.path(), sampleOrders()));
    int shownAtFirst = -1;
    QTimer::singleShot(0, browser.get(), [&] {
        shownAtFirst = browser->model().rowCount();
        chooseCustomer("First Title");
        QTest::keyClicks(browser->List2, "oak");
        EXPECT_EQ(browser->model().rowCount(), 1);
        QTest::keyClick(browser->List2, Qt::Key_Escape);
    });
    EXPECT_EQ(browser->exec(), QDialog::Rejected);
    EXPECT_EQ(shownAtFirst, 4);
    EXPECT_EQ(browser->model().rowCount(), 0); // the lines go with the window

    // An order archived meanwhile is there at the next opening.
    std::vector<OrderRecord> more = sampleOrders();
    more.push_back(archivedRecord(PendingFields("F-5", kDue)));
    ASSERT_TRUE(test::writeArchives(folder.path(), more));
    QString reopenedCaption;
    int reopenedRows = -1, reopenedCustomer = -1;
    QTimer::singleShot(0, browser.get(), [&] {
        reopenedCaption = caption();
        reopenedRows = browser->model().rowCount();
        reopenedCustomer = browser->Combo1->currentIndex();
        browser->reject();
    });
    browser->exec();
    EXPECT_EQ(reopenedCaption, archiveCaption(""));
    EXPECT_EQ(reopenedRows, 5);
    EXPECT_EQ(reopenedCustomer, 0);
}

TEST_F(ArchiveBrowserTest, MissingArchiveOpensEmpty) {
    ASSERT_TRUE(browser->load());
    browser->show();
    EXPECT_EQ(browser->model().rowCount(), 0);
    EXPECT_EQ(customers(), QStringList{"< customer >"});
    QTest::keyClicks(browser->List2, "x");
    EXPECT_EQ(browser->model().rowCount(), 0);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ArchiveBrowserTest, UnreadableArchiveIsReportedWithWhatCouldBeRead) {
    test::put(folder.file("Archives.fil"), test::encodeAll(sampleOrders()) + "\"torn,");
    ASSERT_TRUE(browser->load());
    EXPECT_EQ(browser->model().rowCount(), 4);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "DATA ACCESS ERROR");
    EXPECT_TRUE(dialogs.shown()[0].text.contains("Archives.fil, record 5"))
        << dialogs.shown()[0].text.toStdString();
}

} // namespace
} // namespace qm
