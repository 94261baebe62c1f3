// BILL and CLOSE ORDER clicked on the real main window, the questions answered by script, the
// order files compared byte for byte after each step.

#include "window_fixture.h"

#include "order.h"
#include "pending_queue.h"
#include "user.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

namespace qm {
namespace {

const char* kConfig =
    "\"North Abstract llc\",\"1 Court Sq\",\"\",\"Hartford, CT\",\"p\",\"f\",\"e\"\r\n"
    "\"Massachusetts\"\r\n0,0,1,#TRUE#\r\n\"\"\r\n";
const DueDate kDue{{2026, 12, 10}, false};

OrderRecord orderOf(const std::string& number) {
    OrderRecord r(OrderFile::Pending);
    r.set(OrderField::EnteredAt, Field::ofDate({2026, 11, 2, 8, 15, 0}));
    r.setText(OrderField::FileNumber, number);
    r.setText(OrderField::TitleCompany, "Bay Title");
    r.setText(OrderField::PropertyAddress1, "4 MILL RD, UNIT 2");
    r.setText(OrderField::Town, "AGAWAM");
    r.setText(OrderField::SearchType, "R.Full");
    r.setDueDate(kDue);
    r.setText(OrderField::Searcher, "Tom Reed*");
    r.set(OrderField::BaseFee, Field::ofMoney(*Money::fromStored("150")));
    r.set(OrderField::MuniFee, Field::ofMoney(*Money::fromStored("35.5")));
    r.setText(OrderField::NotesLog, "\r\n11/02 08:15  call first [ab]");
    return r;
}

class BillCloseWindowTest : public test::WindowFixture {
  protected:
    void putOrders(OrderFile which, const std::vector<OrderRecord>& orders) {
        auto lock = DataLock::acquire(data);
        ASSERT_TRUE(lock);
        ASSERT_TRUE(rewriteOrderFile(*lock, which, orders));
    }
    std::string file(OrderFile which) {
        auto bytes = readWholeFile(data + orderFileName(which));
        return bytes ? *bytes : std::string("<missing>");
    }
    PendingQueue& queue() { return window->queue(); }
    void select(const QString& number) {
        QTableView* grid = queue().grdOrder;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            if (grid->model()->index(row, 2).data().toString() == number)
                grid->selectRow(row);
        ASSERT_EQ(window->context().selectedFileNumber, number);
    }
    // Another workstation posts a note to the pending record.
    void noteElsewhere(const std::string& number, const std::string& line) {
        auto orders = readOrderRecords(data, OrderFile::Pending);
        ASSERT_TRUE(orders);
        for (OrderRecord& r : *orders)
            if (r.text(OrderField::FileNumber) == number)
                r.setText(OrderField::NotesLog, r.text(OrderField::NotesLog) + line);
        putOrders(OrderFile::Pending, *orders);
    }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
};

TEST_F(BillCloseWindowTest, BillBillAgainThenCloseTheBilledOrder) {
    const OrderRecord order = orderOf("F-1"), other = orderOf("F-2");
    putOrders(OrderFile::Pending, {order, other});
    putOrders(OrderFile::Archives, {});
    start(kConfig);
    window->refreshNow();
    QApplication::setActiveWindow(window.get());
    window->tabs()->setCurrentIndex(MainWindow::PendingTab);
    select("F-1");
    EXPECT_EQ(queue().txtBase->text(), "150.00");
    EXPECT_EQ(queue().txtMuni->text(), "35.50");
    QTest::keyClicks(queue().txtCopy, "12.5");

    // BILL: one question (copy costs were typed), the pending record marked, one copy.
    dialogs.queueAnswer(QMessageBox::Ok);
    click(queue().cmdBill);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, " BILLING ORDER #  F-1");
    EXPECT_EQ(dialogs.shown()[0].text, "The selected order to be billed in advance\rpending "
                                       "completion. \"OK\" to continue");
    const std::string billingNote =
        "\r\n12/07 09:00  Bill in advance pending completion [" + userInitials(logOnName()) + "]";
    OrderRecord billed = order;
    billed.setDueDate({kDue.day, true});
    billed.setText(OrderField::NotesLog, order.text(OrderField::NotesLog) + billingNote);
    OrderRecord copy = billed.movedTo(OrderFile::Completed);
    copy.set(OrderField::CompletedAt, order.field(OrderField::EnteredAt));
    copy.set(OrderField::CopyCosts, Field::ofMoney(*Money::fromStored("12.5")));
    EXPECT_EQ(file(OrderFile::Pending), billed.encode() + other.encode());
    EXPECT_EQ(file(OrderFile::Completed), copy.encode());

    // BILL again before the next tick: the grid still shows the order unbilled, the files do not.
    const std::string pendingBilled = file(OrderFile::Pending);
    clock.advanceSeconds(60);
    dialogs.queueAnswer(QMessageBox::Ok);
    click(queue().cmdBill);
    ASSERT_EQ(dialogs.shown().size(), 3u);
    EXPECT_EQ(dialogs.shown()[2].title, " BILLING ORDER #  F-1");
    EXPECT_EQ(dialogs.shown()[2].text, "This order has already been billed in advance.");
    EXPECT_EQ(file(OrderFile::Pending), pendingBilled);
    EXPECT_EQ(file(OrderFile::Completed), copy.encode());

    // The tick shows it billed; a note arrives from elsewhere; CLOSE finalises the copy.
    const std::string later = "\r\n12/07 09:30  owner called back [cd]";
    noteElsewhere("F-1", later);
    window->refreshNow();
    ASSERT_EQ(window->context().selectedFileNumber, "F-1");
    EXPECT_FALSE(queue().cmdBill->isEnabled());
    EXPECT_FALSE(queue().txtCopy->isEnabled());
    clock.advanceSeconds(3600);
    dialogs.clear();
    dialogs.queueAnswer(QMessageBox::Ok);
    click(queue().cmdClose);
    ASSERT_EQ(dialogs.shown().size(), 1u); // no copy-cost question for a billed order
    EXPECT_EQ(dialogs.shown()[0].title, " CLOSING ORDER #  F-1");
    OrderRecord closed = copy;
    closed.setDueDate(kDue);
    closed.set(OrderField::CompletedAt, Field::ofDate({2026, 12, 7, 10, 1, 0}));
    closed.setText(OrderField::NotesLog, billed.text(OrderField::NotesLog) + later);
    EXPECT_EQ(file(OrderFile::Pending), other.encode());
    EXPECT_EQ(file(OrderFile::Completed), closed.encode());
    EXPECT_EQ(file(OrderFile::Archives), "");

    window->refreshNow();
    EXPECT_EQ(queue().grdOrder->model()->rowCount(), 1);
    EXPECT_TRUE(window->context().selectedFileNumber.isEmpty());
}

// The state a command killed between its two writes leaves: the completed record (or billed
// copy) written, Pending.fil not yet rewritten. The repeat only finishes the job and says so.
TEST_F(BillCloseWindowTest, RepeatAfterAnInterruptedRunOnlyFinishesIt) {
    const OrderRecord order = orderOf("F-1"), other = orderOf("F-2");
    OrderRecord billed = order;
    billed.setDueDate({kDue.day, true});
    billed.setText(OrderField::NotesLog,
                   order.text(OrderField::NotesLog) +
                       "\r\n12/06 17:00  Bill in advance pending completion [ab]");
    OrderRecord copy = billed.movedTo(OrderFile::Completed);
    copy.set(OrderField::CompletedAt, order.field(OrderField::EnteredAt));
    OrderRecord closed = order.movedTo(OrderFile::Completed);
    closed.set(OrderField::CompletedAt, Field::ofDate({2026, 12, 6, 17, 0, 0}));
    const struct {
        const char* name;
        QPushButton* PendingQueue::*command;
        OrderRecord written;
        const char* title;
        const char* told;
        std::string pendingAfter;
    } cases[] = {
        {"bill", &PendingQueue::cmdBill, copy, " BILLING ORDER #  F-1",
         "Its completed copy had already been written; the pending order is now marked as billed.",
         billed.encode() + other.encode()},
        {"close", &PendingQueue::cmdClose, closed, " CLOSING ORDER #  F-1",
         "Its completed record had already been written; the order was only taken out of the "
         "pending queue.",
         other.encode()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        putOrders(OrderFile::Pending, {order, other});
        putOrders(OrderFile::Completed, {c.written});
        start(kConfig);
        window->refreshNow();
        window->tabs()->setCurrentIndex(MainWindow::PendingTab);
        select("F-1");
        QTest::keyClicks(queue().txtCopy, "4");
        dialogs.clear();
        dialogs.queueAnswer(QMessageBox::Ok);
        click(queue().*c.command);
        ASSERT_EQ(dialogs.shown().size(), 2u);
        EXPECT_EQ(dialogs.shown()[1].title, c.title);
        EXPECT_EQ(dialogs.shown()[1].text, c.told);
        EXPECT_EQ(file(OrderFile::Pending), c.pendingAfter);
        EXPECT_EQ(file(OrderFile::Completed), c.written.encode());
        window.reset();
    }
}

} // namespace
} // namespace qm
