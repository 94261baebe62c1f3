// The Completed tab through its real widgets over real files: the lines, the selector, the
// totals and the cutoff, the bill-to boxes, the snapshot "Generate Invoice" gets, and the rebuild.
#include "completed_page.h"

#include "completed_page_fixture.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::Completed;
using test::CompletedPageTest;
using test::kToday;
using test::lookAlikeOrders;

TEST_F(CompletedPageTest, ControlsCarryTheirNames) {
    for (const char* name :
         {"Combo1",       "Calendar1", "lblCutoff",    "txtFilter", "List2",      "txtBillTo(0)",
          "txtBillTo(3)", "lblBillTo", "lblSubTotals", "lblTotal",  "cmdInvoice", "cmdEditSel",
          "cmdArchives",  "Frame5",    "lblOrderID",   "Text1",     "Text2",      "Text3",
          "Command1",     "Command2",  "lblHeader(6)"})
        EXPECT_NE(page->findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(page->objectName(), "tabCompleted");
    EXPECT_EQ(page->findChild<QPushButton*>("Command2")->text(), "RELPACE");
    EXPECT_TRUE(page->List2->font().fixedPitch() || page->List2->font().family() == "Courier New");
}

TEST_F(CompletedPageTest, SelectorLinesTotalsAndCutoffOfLookAlikeKeys) {
    write(lookAlikeOrders());
    // Amounts are shown the same whatever the locale.
    const QLocale before;
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        SCOPED_TRACE(locale.name().toStdString());
        QLocale::setDefault(locale);
        rebuild();
        EXPECT_EQ(selectorItems(),
                  (QStringList{"< show all >", "Acme Title - Boston", "Acme Title - Boston Heights",
                               "Smith & Jones - Ann Smith"}));
        // Show-all up to today: every order, no total, no statement.
        EXPECT_EQ(shownNumbers(), (QStringList{"S1", "H1", "A1", "A2", "A2m", "A0"}));
        EXPECT_EQ(caption, "Completed [6]");
        EXPECT_EQ(page->lblSubTotals->text(), "Sub-Totals     $ 12840.69       12.50");
        EXPECT_TRUE(page->lblTotal->text().isEmpty());
        EXPECT_FALSE(page->cmdInvoice->isEnabled());
        EXPECT_EQ(page->lblCutoff->text(), "  Cutoff Date:  FRIDAY, MARCH 20");
        // The list shows the columns, not the key and date tail after them.
        EXPECT_EQ(page->model().index(0).data().toString().size(), kVisibleLineWidth);

        choose("Acme Title - Boston");
        EXPECT_EQ(shownNumbers(), (QStringList{"A1", "A2", "A2m", "A0"}));
        EXPECT_EQ(caption, "Completed [4]");
        EXPECT_EQ(page->lblSubTotals->text(), "Sub-Totals     $ 12540.69       12.50");
        EXPECT_EQ(page->lblTotal->text(), "$ 12,553.19");
        EXPECT_TRUE(page->cmdInvoice->isEnabled());
        EXPECT_EQ(billTo(),
                  (QStringList{"Acme Title", "1 Main St, Suite 2", "Boston, MA 02101", ""}));
        EXPECT_EQ(page->lblBillTo->text(), "Billing Address");

        // A past cutoff keeps the orders completed up to that day, billed in advance or not.
        page->Calendar1->setSelectedDate(QDate(2026, 3, 5));
        EXPECT_EQ(page->lblCutoff->text(), "  Cutoff Date:  THURSDAY, MARCH 05");
        EXPECT_EQ(shownNumbers(), (QStringList{"A1", "A0"}));
        EXPECT_EQ(page->lblTotal->text(), "$ 160.01");

        choose("Smith & Jones - Ann Smith");
        EXPECT_EQ(page->Calendar1->selectedDate(), kToday); // every choice starts at today
        EXPECT_EQ(shownNumbers(), QStringList{"S1"});
        EXPECT_EQ(billTo(),
                  (QStringList{"Smith & Jones", "5 Elm St", "Springfield, MA 01101", ""}));

        // While "< show all >" is chosen the cutoff stays at today.
        choose("< show all >");
        page->Calendar1->setSelectedDate(QDate(2026, 3, 5));
        EXPECT_EQ(page->Calendar1->selectedDate(), kToday);
        EXPECT_EQ(shownNumbers().size(), 6);
        EXPECT_EQ(billTo(), (QStringList{"", "", "", ""}));
    }
    QLocale::setDefault(before);
}

TEST_F(CompletedPageTest, FilterFindsAcrossKeysIgnoringTheCutoff) {
    write(lookAlikeOrders());
    rebuild();
    choose("Acme Title - Boston");
    page->Calendar1->setSelectedDate(QDate(2026, 3, 5));
    page->txtFilter->setFocus();
    QTest::keyClicks(page->txtFilter, "_2025");
    EXPECT_EQ(page->Combo1->currentIndex(), 0);
    EXPECT_EQ(page->Calendar1->selectedDate(), kToday);
    EXPECT_EQ(shownNumbers(), QStringList{"S1"});
    EXPECT_EQ(caption, "Completed [1]");
    EXPECT_TRUE(page->lblTotal->text().isEmpty());
    EXPECT_FALSE(page->cmdInvoice->isEnabled());
    QTest::keyClick(page->txtFilter, Qt::Key_Backspace);
    QTest::keyClicks(page->txtFilter, "6");
    EXPECT_EQ(shownNumbers().size(), 5);

    // Choosing a key on the selector empties the filter.
    choose("Acme Title - Boston Heights");
    EXPECT_TRUE(page->txtFilter->text().isEmpty());
    EXPECT_EQ(shownNumbers(), QStringList{"H1"});
}

TEST_F(CompletedPageTest, OverrideShowsForItsOwnKeyOnlyAndBoxesEditOnDoubleClick) {
    write(lookAlikeOrders());
    test::put(folder.file("Billing.adr"),
              "Acme Title - Boston_Old Line_x_y_\r\n"
              "Acme Title - Boston_Accounts Payable_PO Box 1_Boston, MA 02101_Attn: Billing\r\n"
              "Acme Title - Boston Heights_Heights Office_PO Box 9_Boston, MA 02199_\r\n");
    rebuild();
    choose("Acme Title - Boston");
    EXPECT_EQ(billTo(),
              (QStringList{"Accounts Payable", "PO Box 1", "Boston, MA 02101", "Attn: Billing"}));
    EXPECT_EQ(page->lblBillTo->text(), "Billing Address*");
    for (QLineEdit* box : page->txtBillTo)
        EXPECT_TRUE(box->isReadOnly());

    QLineEdit* box = page->txtBillTo[1];
    QTest::mouseDClick(box, Qt::LeftButton);
    EXPECT_FALSE(box->isReadOnly());
    EXPECT_TRUE(box->font().bold());
    EXPECT_EQ(box->selectedText(), "PO Box 1");
    QTest::keyClicks(box, "PO Box 77");

    // Any choice, the re-selection of a rebuild included, drops an edit not used.
    rebuild();
    EXPECT_EQ(page->Combo1->currentText(), "Acme Title - Boston");
    EXPECT_EQ(billTo()[1], "PO Box 1");
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_FALSE(box->font().bold());

    choose("< show all >");
    QTest::mouseDClick(page->txtBillTo[0], Qt::LeftButton);
    EXPECT_TRUE(page->txtBillTo[0]->isReadOnly());
}

TEST_F(CompletedPageTest, GenerateInvoiceGetsTheScreenAtTheClickAndIsSpentUntilTheRebuild) {
    write(lookAlikeOrders());
    rebuild();
    choose("Acme Title - Boston");
    page->Calendar1->setSelectedDate(QDate(2026, 3, 12));
    QTest::mouseDClick(page->txtBillTo[3], Qt::LeftButton);
    QTest::keyClicks(page->txtBillTo[3], "Attn: Ann");

    std::optional<InvoiceRequest> seen;
    bool guardHeld = false;
    bool archived = false;
    page->setInvoiceCommand([&](const InvoiceRequest& request) {
        seen = request;
        guardHeld = context.commandGuard.held();
        EXPECT_FALSE(page->cmdInvoice->isEnabled());
        return archived;
    });
    QTest::mouseClick(page->cmdInvoice, Qt::LeftButton);
    ASSERT_TRUE(seen);
    EXPECT_TRUE(guardHeld);
    EXPECT_EQ(seen->billingKey, "Acme Title - Boston");
    EXPECT_EQ(seen->cutoff, QDate(2026, 3, 12));
    EXPECT_TRUE(seen->billToFound);
    EXPECT_EQ(seen->billTo[0], (BillToBox{"Acme Title", "Acme Title"}));
    EXPECT_EQ(seen->billTo[3], (BillToBox{"Attn: Ann", ""}));
    QStringList numbers;
    for (const CompletedRow& row : seen->shown)
        numbers << QString::fromStdString(row.fileNumber);
    EXPECT_EQ(numbers, (QStringList{"A1", "A2", "A2m", "A0"}));
    EXPECT_EQ(seen->shown[1].baseFee, *Money::fromStored("12345.675"));
    // Not archived: the command may run again.
    EXPECT_TRUE(page->cmdInvoice->isEnabled());

    archived = true;
    QTest::mouseClick(page->cmdInvoice, Qt::LeftButton);
    EXPECT_FALSE(page->cmdInvoice->isEnabled());
    choose("Smith & Jones - Ann Smith");
    choose("Acme Title - Boston");
    EXPECT_FALSE(page->cmdInvoice->isEnabled());
    rebuild();
    EXPECT_TRUE(page->cmdInvoice->isEnabled());
}

TEST_F(CompletedPageTest, RebuildKeepsTheChoiceTheScrollAndTheClickedLine) {
    std::vector<Completed> orders;
    for (int i = 0; i < 200; ++i)
        orders.push_back(
            Completed(QStringLiteral("K%1").arg(i, 3, 10, QLatin1Char('0')).toStdString())
                .on({2026, 2, 1 + i / 10, i % 10, 0, 0}));
    orders.push_back(Completed("OTHER").by("Zed Title - Salem"));
    write(orders);
    rebuild();
    choose("Acme Title - Boston");
    page->Calendar1->setSelectedDate(QDate(2026, 3, 1));
    ASSERT_EQ(page->model().shownCount(), 200);
    page->List2->scrollTo(page->model().index(100), QAbstractItemView::PositionAtTop);
    clickRow(110);
    ASSERT_TRUE(page->cmdEditSel->isEnabled());

    // Another workstation closes an order that sorts first and archives the last one.
    orders.insert(orders.begin(), Completed("NEW").on({2026, 1, 15, 8, 0, 0}));
    orders.erase(orders.begin() + 200);
    write(orders);
    rebuild();
    EXPECT_EQ(page->Combo1->currentText(), "Acme Title - Boston");
    EXPECT_EQ(page->Calendar1->selectedDate(), kToday);
    EXPECT_EQ(page->List2->indexAt(QPoint(0, 0)).row(), 100);
    EXPECT_EQ(page->model().shownRow(page->List2->currentIndex().row()).fileNumber, "K110");
    EXPECT_TRUE(page->List2->selectionModel()->isSelected(page->List2->currentIndex()));
    EXPECT_TRUE(page->cmdEditSel->isEnabled());

    // A filter still typed stays applied; a key that is gone falls back to "< show all >".
    page->txtFilter->setFocus();
    QTest::keyClicks(page->txtFilter, "K18");
    EXPECT_EQ(shownNumbers().size(), 10);
    rebuild();
    EXPECT_EQ(shownNumbers().size(), 10);
    choose("Zed Title - Salem");
    write({Completed("K001")});
    rebuild();
    EXPECT_EQ(page->Combo1->currentIndex(), 0);
    EXPECT_EQ(shownNumbers(), QStringList{"K001"});
}

TEST_F(CompletedPageTest, AMissingFileIsAnEmptyListAndAnUnreadableOneIsReturned) {
    rebuild();
    EXPECT_EQ(caption, "Completed [0]");
    EXPECT_EQ(selectorItems(), QStringList{"< show all >"});
    test::put(folder.file("Completed.fil"), "\"unterminated,");
    EXPECT_FALSE(page->Rebuild());
    EXPECT_TRUE(dialogs.shown().empty());
}

} // namespace
} // namespace qm
