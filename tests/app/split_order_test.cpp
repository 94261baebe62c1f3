// "SPLIT ORDER" from the queue's pop-up menu on a real main window and real data files: the
// order split stays in Pending.fil byte for byte, the new order gets the next free number.

#include "window_fixture.h"

#include "drop_down_list.h"
#include "order_editor.h"
#include "pending_queue.h"
#include "recovery_store.h"
#include "reservations.h"
#include "user.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

namespace qm {
namespace {

const char* kConfig =
    "\"North Abstract llc\",\"1 Court Sq\",\"\",\"Hartford, CT\",\"p\",\"f\",\"e\"\r\n"
    "\"Massachusetts\"\r\n0,0,1,#TRUE#\r\n\"\"\r\n";

// An order with a search and a municipal search whose searcher was sent it.
OrderRecord combinedOrder(const std::string& number) {
    OrderRecord r(OrderFile::Pending);
    r.set(OrderField::EnteredAt, Field::ofDate({2026, 11, 2, 8, 15, 0}));
    r.setText(OrderField::FileNumber, number);
    r.setText(OrderField::TitleCompany, "Bay Title - Boston");
    r.setText(OrderField::PropertyAddress1, "4 MILL RD");
    r.setText(OrderField::PropertyAddress2, "UNIT 2");
    r.setText(OrderField::Town, "AGAWAM");
    r.setText(OrderField::CurrentOwner, "LEE WU");
    r.setText(OrderField::SearchType, "R.Full");
    r.setText(OrderField::MuniSearch, "M.Water");
    r.setDueDate({{2026, 12, 10}, false});
    r.setText(OrderField::Searcher, "Tom Reed*");
    r.setText(OrderField::EnteredBy, "jo");
    r.set(OrderField::BaseFee, Field::ofMoney(Money::fromDollars(175)));
    r.set(OrderField::MuniFee, Field::ofMoney(Money::fromDollars(40)));
    r.setText(OrderField::NotesLog, "\r\n11/02 08:15  gate code 4 [J]");
    r.setText(OrderField::MessagesLog, "\r\n11/02 08:16  call first [J]");
    return r;
}

// What SAVE writes for the split of `original` under `number` with municipal search `muni`.
OrderRecord splitRecord(const OrderRecord& original, const std::string& number,
                        const std::string& muni, long muniFee, const std::string& note = "") {
    OrderRecord r = original;
    r.setText(OrderField::EnteredAt, "2026-11-02 08:15:00");
    r.setText(OrderField::FileNumber, number);
    r.setText(OrderField::SearchType, "");
    r.setText(OrderField::MuniSearch, muni);
    r.setText(OrderField::Searcher, original.searcherName());
    r.setText(OrderField::EnteredBy, enteredByName(logOnName()));
    r.set(OrderField::BaseFee, Field::ofMoney(Money()));
    r.set(OrderField::MuniFee, Field::ofMoney(Money::fromDollars(muniFee)));
    if (!note.empty())
        r.setText(OrderField::NotesLog, original.text(OrderField::NotesLog) + "\r\n12/07 09:00  " +
                                            note + " [" + userInitials(enteredByName(logOnName())) +
                                            "]");
    return r;
}

class SplitOrderTest : public test::WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        put("Services.dat",
            "\"R.Full\",\"150.00\"\r\n\"M.Water\",\"40.00\"\r\n\"M.Sewer\",\"25.00\"\r\n");
    }
    OrderEditor& open() {
        start(kConfig);
        window->refreshNow();
        QApplication::setActiveWindow(window.get());
        return window->editor();
    }
    void putPending(const std::vector<OrderRecord>& orders) {
        auto lock = DataLock::acquire(data);
        ASSERT_TRUE(lock);
        ASSERT_TRUE(rewriteOrderFile(*lock, OrderFile::Pending, orders));
    }
    std::string file(const std::string& name) {
        auto bytes = readWholeFile(data + name);
        return bytes ? *bytes : std::string("<missing>");
    }
    // The user selects the order in the queue and clicks the menu item.
    void selectInQueue(const QString& number) {
        window->refreshNow();
        window->tabs()->setCurrentIndex(MainWindow::PendingTab);
        QTableView* grid = window->queue().grdOrder;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            if (grid->model()->index(row, 2).data().toString() == number)
                grid->selectRow(row);
        ASSERT_EQ(window->context().selectedFileNumber, number);
        ASSERT_TRUE(window->queue().mnuSplit->isEnabled());
    }
    void split(const QString& number) {
        selectInQueue(number);
        window->queue().mnuSplit->trigger();
    }
    void chooseMuni(OrderEditor& e, const QString& text) {
        e.cboMuni->hidePopup();
        const int index = e.cboMuni->findText(text, Qt::MatchExactly);
        ASSERT_GT(index, 0) << text.toStdString();
        e.cboMuni->setCurrentIndex(index);
        emit e.cboMuni->activated(index);
    }
    // Nothing of the original order was taken out or held for it.
    void expectNothingPulled() {
        EXPECT_FALSE(fileExists(data + kReservationsFileName));
        auto copies = recoveryCopies(program, logOnName());
        ASSERT_TRUE(copies);
        EXPECT_TRUE(copies->empty());
    }
    void expectTabsBack() {
        QTabWidget* tabs = window->tabs();
        EXPECT_EQ(tabs->tabText(MainWindow::NewOrderTab), "New Order");
        EXPECT_TRUE(tabs->isTabEnabled(MainWindow::PendingTab));
        EXPECT_TRUE(tabs->isTabEnabled(MainWindow::CompletedTab));
    }
};

TEST_F(SplitOrderTest, TwoSplitsOfOneOrderGetTheNextFreeNumbersAndTheOriginalStays) {
    const OrderRecord original = combinedOrder("F-1");
    putPending({original, combinedOrder("F-2")});
    const std::string before = file("Pending.fil");
    OrderEditor& e = open();

    split("F-1");
    EXPECT_TRUE(dialogs.shown().empty());
    QTabWidget* tabs = window->tabs();
    EXPECT_EQ(tabs->currentIndex(), MainWindow::NewOrderTab);
    EXPECT_EQ(tabs->tabText(MainWindow::NewOrderTab), "EDIT ORDER : F-1");
    EXPECT_FALSE(tabs->isTabEnabled(MainWindow::PendingTab));
    EXPECT_FALSE(tabs->isTabEnabled(MainWindow::CompletedTab));
    EXPECT_EQ(e.txtFileNumb->text(), "F-1m");
    EXPECT_TRUE(e.txtFileNumb->isReadOnly());
    EXPECT_EQ(e.cboTitleCo->currentText(), "Bay Title - Boston");
    EXPECT_EQ(e.txtPropAddr1->text(), "4 MILL RD");
    EXPECT_EQ(e.cboType->currentIndex(), -1);
    EXPECT_FALSE(e.cboType->isEnabled());
    EXPECT_EQ(e.cboMuni->currentText(), "M.Water");
    EXPECT_TRUE(e.cboMuni->view()->isVisible()); // the municipal search is chosen next
    EXPECT_EQ(e.cboSearcher->currentText(), "Tom Reed");
    EXPECT_FALSE(e.cmdSave->isEnabled());
    EXPECT_FALSE(e.cmdAssign->isEnabled()); // it would send an order that is not saved
    EXPECT_EQ(file("Pending.fil"), before);
    expectNothingPulled();

    chooseMuni(e, "M.Sewer");
    ASSERT_TRUE(e.cmdSave->isEnabled());
    EXPECT_TRUE(e.cmdAssign->isEnabled());
    e.txtNotes->setText("sewer only");
    QTest::mouseClick(e.cmdSave, Qt::LeftButton);
    EXPECT_TRUE(dialogs.shown().empty());
    const OrderRecord first = splitRecord(original, "F-1m", "M.Sewer", 25, "sewer only");
    ASSERT_EQ(file("Pending.fil"), before + first.encode());
    EXPECT_EQ(window->context().selectedFileNumber, "F-1m");

    QTest::mouseClick(e.cmdClear, Qt::LeftButton);
    EXPECT_TRUE(dialogs.shown().empty());
    expectTabsBack();
    EXPECT_EQ(tabs->currentIndex(), MainWindow::PendingTab);

    // The same municipal search again keeps the order's own fee for it.
    split("F-1");
    EXPECT_EQ(e.txtFileNumb->text(), "F-1mm");
    chooseMuni(e, "M.Water");
    QTest::mouseClick(e.cmdSave, Qt::LeftButton);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(file("Pending.fil"),
              before + first.encode() + splitRecord(original, "F-1mm", "M.Water", 40).encode());
    expectNothingPulled();
}

// Whatever ends the split, the order split is the same bytes in Pending.fil, and nothing asks
// about losing it. A number as long as the box takes keeps the "m" of its split.
TEST_F(SplitOrderTest, TheOriginalIsUnchangedAfterSaveClearOrClosing) {
    enum class End { Save, SaveThenClear, Clear, Close };
    const struct {
        const char* name;
        End end;
        std::string number;
    } cases[] = {{"save", End::Save, "F-1"},
                 {"save, clear, 16 characters", End::SaveThenClear, "ABCDEFGHIJKLMNOP"},
                 {"clear", End::Clear, "F-1"},
                 {"close", End::Close, "F-1"}};
    for (const auto& c : cases) {
        const OrderRecord original = combinedOrder(c.number);
        putPending({original});
        const std::string before = file("Pending.fil");
        dialogs.clear();
        OrderEditor& e = open();
        split(QString::fromStdString(c.number));
        ASSERT_EQ(e.txtFileNumb->text().toStdString(), c.number + "m") << c.name;
        std::string after = before;
        if (c.end == End::Save || c.end == End::SaveThenClear) {
            chooseMuni(e, "M.Sewer");
            QTest::mouseClick(e.cmdSave, Qt::LeftButton);
            after += splitRecord(original, c.number + "m", "M.Sewer", 25).encode();
        }
        if (c.end == End::Clear || c.end == End::SaveThenClear) {
            QTest::mouseClick(e.cmdClear, Qt::LeftButton);
            expectTabsBack();
            EXPECT_FALSE(e.txtFileNumb->isReadOnly()) << c.name;
            EXPECT_TRUE(e.cboType->isEnabled()) << c.name;
            QTest::keyClicks(e.txtFileNumb, "ABCDEFGHIJKLMNOPQ"); // typing is held to 16 again
            EXPECT_EQ(e.txtFileNumb->text(), "ABCDEFGHIJKLMNOP") << c.name;
        }
        if (c.end == End::Close) {
            EXPECT_TRUE(window->close()) << c.name;
        }
        EXPECT_TRUE(dialogs.shown().empty())
            << c.name << ": " << dialogs.shown()[0].title.toStdString();
        EXPECT_EQ(file("Pending.fil"), after) << c.name;
        expectNothingPulled();
        window.reset();
    }
}

// Another workstation pulls the order after this queue showed it.
TEST_F(SplitOrderTest, AnOrderNoLongerPendingIsNamedAndNothingChanges) {
    putPending({combinedOrder("F-1"), combinedOrder("F-2")});
    OrderEditor& e = open();
    selectInQueue("F-1");
    ::mkdir((program + "other/").c_str(), 0755);
    QProcess other;
    other.start(QStringLiteral(QM_PULL_AND_DIE),
                {QString::fromStdString(program + "other/"), QString::fromStdString(data),
                 QStringLiteral("F-1")});
    ASSERT_TRUE(other.waitForFinished(30000));
    const std::string pulled = file("Pending.fil");
    const std::string reserved = file(kReservationsFileName);
    ASSERT_EQ(pulled, combinedOrder("F-2").encode());

    bool guardHeld = false;
    dialogs.setWhileOpen([&] { guardHeld = window->context().commandGuard.held(); });
    window->queue().mnuSplit->trigger();
    dialogs.setWhileOpen(nullptr);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, " EDIT ORDER");
    EXPECT_EQ(dialogs.shown()[0].text,
              "Order F-1 is no longer pending: another workstation has changed it.");
    EXPECT_TRUE(guardHeld);
    EXPECT_EQ(window->tabs()->currentIndex(), MainWindow::PendingTab);
    expectTabsBack();
    EXPECT_TRUE(e.txtFileNumb->text().isEmpty());
    EXPECT_FALSE(e.txtFileNumb->isReadOnly());
    EXPECT_EQ(file("Pending.fil"), pulled);
    EXPECT_EQ(file(kReservationsFileName), reserved);
}

// Two workstations split one order at once: the second SAVE takes the next free number.
TEST_F(SplitOrderTest, ANumberTakenSinceTheSplitBeganGoesToTheNextOne) {
    const OrderRecord original = combinedOrder("F-1");
    putPending({original});
    OrderEditor& e = open();
    split("F-1");
    ASSERT_EQ(e.txtFileNumb->text(), "F-1m");
    const OrderRecord elsewhere = splitRecord(original, "F-1m", "M.Water", 40);
    {
        auto lock = DataLock::acquire(data);
        ASSERT_TRUE(lock);
        ASSERT_TRUE(appendOrder(*lock, elsewhere));
    }
    const std::string before = file("Pending.fil");
    chooseMuni(e, "M.Sewer");
    QTest::mouseClick(e.cmdSave, Qt::LeftButton);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(e.txtFileNumb->text(), "F-1mm");
    EXPECT_EQ(file("Pending.fil"), before + splitRecord(original, "F-1mm", "M.Sewer", 25).encode());

    // Saved: a second SAVE of the same order is a plain duplicate, not a third order.
    e.txtPropAddr1->setText("4 MILL ROAD");
    QTest::mouseClick(e.cmdSave, Qt::LeftButton);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "Pending Searches");
    EXPECT_EQ(dialogs.shown()[0].text, "File \"F-1mm\" already exists");
}

} // namespace
} // namespace qm
