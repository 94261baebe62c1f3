#include "pending_queue.h"

#include "clock.h"
#include "dialogs.h"
#include "pending_orders.h"
#include "queue_model.h"
#include "test_support.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::PendingFields;
using test::writePending;

const QDate kToday(2024, 3, 8);
const QColor kRed(255, 0, 0), kYellow(255, 255, 0);

class PendingQueueTest : public ::testing::Test {
  protected:
    PendingQueueTest() {
        context.settings.dataFolder = folder.path();
        context.clock = &clock;
        context.dialogs = &dialogs;
        queue = std::make_unique<PendingQueue>(context);
        queue->setTabCaption([this](const QString& text) { caption = text; });
        queue->resize(1100, 700);
        queue->show();
        tester = std::make_unique<QAbstractItemModelTester>(
            &queue->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    template <typename T> T* control(const QString& name) {
        T* found = queue->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QComboBox* filter(int k) { return control<QComboBox>(QStringLiteral("cboFilter(%1)").arg(k)); }
    QTableView* grid() { return control<QTableView>("grdOrder"); }

    void rebuild() { ASSERT_TRUE(queue->RebuildQueue()); }
    void choose(int k, const QString& text) {
        const int index = filter(k)->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        filter(k)->setCurrentIndex(index);
    }
    QStringList items(int k) {
        QStringList texts;
        for (int i = 0; i < filter(k)->count(); ++i)
            texts << filter(k)->itemText(i);
        return texts;
    }
    QStringList shownNumbers() {
        QStringList numbers;
        for (int r = 0; r < queue->model().rowCount(); ++r)
            numbers << queue->model().index(r, 2).data().toString();
        return numbers;
    }
    void clickRow(int row, Qt::KeyboardModifiers modifiers = {}) {
        const QRect rect = grid()->visualRect(queue->model().index(row, 0));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, modifiers, rect.center());
    }
    // The order commands in one text, "E" for cmdEdit enabled, "-" when disabled, and so on.
    std::string commandState() {
        std::string state;
        for (const char* name : {"cmdNotes", "cmdEdit", "cmdMessage", "cmdBill", "cmdClose",
                                 "lblBase", "lblMuni", "lblCopy", "txtBase", "txtMuni", "txtCopy"})
            state += control<QWidget>(name)->isEnabled() ? name[3] : '-';
        state += queue->mnuSplit->isEnabled() ? 'S' : '-';
        return state;
    }
    // A hundred orders F00 (due first) to F99, one a day from today on.
    std::vector<PendingFields> hundredOrders() {
        std::vector<PendingFields> fieldSets;
        for (int i = 0; i < 100; ++i)
            fieldSets.push_back(
                PendingFields(QStringLiteral("F%1").arg(i, 2, 10, QLatin1Char('0')).toStdString(),
                              kToday.addDays(i))
                    .in(i % 2 ? "AGAWAM" : "SPRINGFIELD")
                    .by(i % 3 ? "Ann Lee*" : "Bo Dee"));
        return fieldSets;
    }

    test::TempFolder folder;
    ManualClock clock{QDateTime(kToday, QTime(9, 30))};
    ScriptedDialogs dialogs;
    AppContext context;
    std::unique_ptr<PendingQueue> queue;
    std::unique_ptr<QAbstractItemModelTester> tester;
    QString caption;
};

TEST_F(PendingQueueTest, ControlsCarryTheirNamesAndCaptions) {
    const char* headings[] = {"  Due Date", " Property Address", " Order Number",
                              " Type",      "  Municipal",       " Searcher"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(control<QLabel>(QStringLiteral("lblHeader(%1)").arg(i))->text(), headings[i]);
    EXPECT_EQ(control<QPushButton>("cmdReset")->text(), "Reset");
    EXPECT_EQ(control<QPushButton>("cmdEdit")->toolTip(), " pull order for edit or delete ");
    EXPECT_EQ(control<QLabel>("lblBase")->toolTip(), " Dbl-Click for override ");
    EXPECT_EQ(grid()->model()->columnCount(), 7);
    EXPECT_EQ(grid()->font().family(), "Courier New");
    QStringList menu;
    for (QAction* action : control<QMenu>("mnuSelection")->actions())
        menu << (action->isSeparator() ? "-" : action->objectName() + "=" + action->text());
    EXPECT_EQ(menu, (QStringList{"mnuCopySel=Copy Detail", "mnuPrintSel=Print Detail", "-",
                                 "mnuCopyList=Copy List", "mnuPrintList=Print List",
                                 "mnuEmail=Email List", "-", "mnuSplit=SPLIT ORDER"}));
}

TEST_F(PendingQueueTest, NoOrdersGiveAnEmptyQueueAndOnlyThePlaceholders) {
    for (bool fileExists : {false, true}) {
        SCOPED_TRACE(fileExists);
        if (fileExists)
            test::put(folder.file("Pending.fil"), "");
        rebuild();
        EXPECT_EQ(queue->model().rowCount(), 0);
        EXPECT_EQ(caption, "Pending Searches [0]");
        EXPECT_EQ(items(1), QStringList{"< due date >"});
        EXPECT_EQ(items(2), QStringList{"< customer >"});
        EXPECT_EQ(items(3), QStringList{"< town >"});
        EXPECT_EQ(items(4), (QStringList{"< type >", "ALL MUNICIPAL", "ALL REGULAR"}));
        EXPECT_EQ(items(5), QStringList{"< searcher >"});
    }
}

TEST_F(PendingQueueTest, AnUnreadableFileIsReportedToTheCallerOnly) {
    test::put(folder.file("Pending.fil"), "\"unterminated,");
    EXPECT_FALSE(queue->RebuildQueue());
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(PendingQueueTest, FiltersNarrowTheGridAndResetShowsEverything) {
    ASSERT_TRUE(writePending(
        folder.path(),
        std::vector<PendingFields>{PendingFields("S1", kToday).by("Ann Marie*"),
                                   PendingFields("W1", kToday).in("WEST SPRINGFIELD").by("Ann"),
                                   PendingFields("S2", kToday.addDays(1)).by("Ann"),
                                   PendingFields("A1", kToday.addDays(2)).in("AGAWAM").by("Ann")}));
    rebuild();
    EXPECT_EQ(caption, "Pending Searches [4]");
    EXPECT_EQ(items(5), (QStringList{"< searcher >", "Ann Marie"}));
    EXPECT_FALSE(queue->mnuEmail->isEnabled());

    queue->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(queue.get()));
    filter(3)->setFocus();
    choose(3, "Springfield");
    EXPECT_EQ(shownNumbers(), (QStringList{"S1", "S2"}));
    EXPECT_EQ(QApplication::focusWidget(), control<QPushButton>("cmdReset"));
    choose(5, "Ann Marie");
    EXPECT_EQ(shownNumbers(), QStringList{"S1"});
    EXPECT_EQ(caption, "Pending Searches [1]");
    EXPECT_TRUE(queue->mnuEmail->isEnabled());

    clickRow(0);
    EXPECT_EQ(context.selectedFileNumber, "S1");
    QTest::mouseClick(control<QPushButton>("cmdReset"), Qt::LeftButton);
    EXPECT_EQ(shownNumbers(), (QStringList{"W1", "S1", "S2", "A1"}));
    EXPECT_EQ(filter(3)->currentIndex(), 0);
    EXPECT_EQ(filter(5)->currentIndex(), 0);
    EXPECT_FALSE(queue->mnuEmail->isEnabled());
    EXPECT_TRUE(context.selectedFileNumber.isEmpty());

    // With no filter in use Reset still refills and forgets the selection.
    clickRow(1);
    QTest::mouseClick(control<QPushButton>("cmdReset"), Qt::LeftButton);
    EXPECT_TRUE(grid()->selectionModel()->selectedRows().isEmpty());
    EXPECT_TRUE(context.selectedFileNumber.isEmpty());
    EXPECT_EQ(caption, "Pending Searches [4]");
}

TEST_F(PendingQueueTest, RowsArePaintedByTheirDueDateAndSearcherTextByTheSentFlag) {
    ASSERT_TRUE(
        writePending(folder.path(),
                     std::vector<PendingFields>{
                         PendingFields("TOMORROW", kToday.addDays(1)).by("Ann*"),
                         PendingFields("TODAY", kToday).by("Ann"),
                         PendingFields("YESTERDAY", kToday.addDays(-1)).by("Ann*"),
                         PendingFields("BILLED", kToday.addDays(-2)).billedInAdvance().by("Bo")}));
    rebuild();
    ASSERT_EQ(shownNumbers(), (QStringList{"BILLED", "YESTERDAY", "TODAY", "TOMORROW"}));
    const QueueModel& model = queue->model();
    const std::optional<QColor> backgrounds[] = {kRed, kRed, kYellow, std::nullopt};
    // Not sent: grey, but white where grey would not read on red.
    const QColor searcherText[] = {QColor(255, 255, 255), QColor(0, 0, 0), QColor(128, 128, 128),
                                   QColor(0, 0, 0)};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 7; ++c) {
            const QVariant background = model.index(r, c).data(Qt::BackgroundRole);
            if (backgrounds[r])
                EXPECT_EQ(background.value<QColor>(), *backgrounds[r]) << r << "," << c;
            else
                EXPECT_FALSE(background.isValid()) << r << "," << c;
        }
        EXPECT_EQ(model.index(r, 5).data(Qt::ForegroundRole).value<QColor>(), searcherText[r]);
    }
    EXPECT_EQ(model.index(0, 0).data().toString(), kToday.addDays(-2).toString("MM/dd/yy*"));
    EXPECT_EQ(model.index(1, 6).data().toString(), "First Title_*");

    // The colours follow the day of the last refill.
    clock.set(QDateTime(kToday.addDays(1), QTime(0, 1)));
    queue->ApplyQueueFilters(1);
    EXPECT_EQ(model.index(2, 0).data(Qt::BackgroundRole).value<QColor>(), kRed);
    EXPECT_EQ(model.index(3, 0).data(Qt::BackgroundRole).value<QColor>(), kYellow);
}

TEST_F(PendingQueueTest, FiltersScrollAndSelectionSurviveAnotherWritersChange) {
    std::vector<PendingFields> fieldSets = hundredOrders();
    ASSERT_TRUE(writePending(folder.path(), fieldSets));
    rebuild();
    choose(3, "Springfield");
    ASSERT_EQ(queue->model().rowCount(), 50);
    QApplication::processEvents(); // the user scrolls once the grid is laid out
    grid()->scrollTo(queue->model().index(5, 0), QAbstractItemView::PositionAtTop);
    ASSERT_EQ(grid()->rowAt(0), 5);
    clickRow(7);
    ASSERT_EQ(context.selectedFileNumber, "F14");

    // Another workstation adds an order due before all others.
    fieldSets.push_back(PendingFields("NEW", kToday.addDays(-1)));
    ASSERT_TRUE(writePending(folder.path(), fieldSets));
    rebuild();
    EXPECT_EQ(filter(3)->currentText(), "Springfield");
    EXPECT_EQ(queue->model().rowCount(), 51);
    EXPECT_EQ(grid()->rowAt(0), 5);
    EXPECT_EQ(context.selectedFileNumber, "F14");
    const QModelIndexList selected = grid()->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].row(), 8);
    EXPECT_EQ(grid()->currentIndex().row(), 8);
    EXPECT_TRUE(control<QTextEdit>("txtDetails")->toPlainText().startsWith("F14    "));
    EXPECT_EQ(commandState(), "NEMBCBMC--C-");

    // Then closes the selected order: nothing is selected any more.
    fieldSets.erase(fieldSets.begin() + 14);
    ASSERT_TRUE(writePending(folder.path(), fieldSets));
    rebuild();
    EXPECT_TRUE(context.selectedFileNumber.isEmpty());
    EXPECT_TRUE(grid()->selectionModel()->selectedRows().isEmpty());
    EXPECT_TRUE(control<QTextEdit>("txtDetails")->toPlainText().isEmpty());
    EXPECT_EQ(commandState(), "------------");
}

TEST_F(PendingQueueTest, AFilterWhoseItemIsGoneShowsItsPlaceholderAgain) {
    ASSERT_TRUE(writePending(folder.path(),
                             std::vector<PendingFields>{PendingFields("A1", kToday).in("AGAWAM"),
                                                        PendingFields("S1", kToday).by("Bo*")}));
    rebuild();
    choose(3, "Agawam");
    choose(5, "Bo");
    EXPECT_TRUE(shownNumbers().isEmpty());
    ASSERT_TRUE(writePending(folder.path(),
                             std::vector<PendingFields>{PendingFields("S1", kToday).by("Bo*")}));
    rebuild();
    EXPECT_EQ(filter(3)->currentText(), "< town >");
    EXPECT_EQ(filter(3)->palette().color(QPalette::Base), QColor(224, 224, 224));
    EXPECT_EQ(filter(5)->currentText(), "Bo");
    EXPECT_EQ(shownNumbers(), QStringList{"S1"});
}

TEST_F(PendingQueueTest, ArrowKeysMoveTheSelectionAndItsDetails) {
    ASSERT_TRUE(writePending(folder.path(), hundredOrders()));
    rebuild();
    clickRow(0);
    QTest::keyClick(grid(), Qt::Key_Down);
    QTest::keyClick(grid(), Qt::Key_Down);
    EXPECT_EQ(context.selectedFileNumber, "F02");
    EXPECT_TRUE(control<QTextEdit>("txtDetails")->toPlainText().startsWith("F02    "));
    QTest::keyClick(grid(), Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_TRUE(control<QTextEdit>("txtDetails")->toPlainText().isEmpty());
}

TEST_F(PendingQueueTest, ARemovedTopRowBeyondTheCountScrollsToTheLastRow) {
    std::vector<PendingFields> fieldSets = hundredOrders();
    ASSERT_TRUE(writePending(folder.path(), fieldSets));
    rebuild();
    grid()->scrollToBottom();
    const int top = grid()->rowAt(0);
    ASSERT_GT(top, 10);
    fieldSets.erase(fieldSets.begin() + 8, fieldSets.end());
    ASSERT_TRUE(writePending(folder.path(), fieldSets));
    rebuild();
    EXPECT_EQ(queue->model().rowCount(), 8);
    EXPECT_TRUE(
        grid()->viewport()->rect().intersects(grid()->visualRect(queue->model().index(7, 0))));
}

TEST_F(PendingQueueTest, ASelectedRowOutOfViewIsScrolledToTheTop) {
    ASSERT_TRUE(writePending(folder.path(), hundredOrders()));
    context.selectedFileNumber = "F35";
    rebuild();
    EXPECT_EQ(grid()->currentIndex().row(), 35);
    EXPECT_TRUE(
        grid()->viewport()->rect().intersects(grid()->visualRect(queue->model().index(35, 0))));
}

TEST_F(PendingQueueTest, SelectingSeveralRowsEmptiesThePane) {
    ASSERT_TRUE(writePending(folder.path(), hundredOrders()));
    rebuild();
    clickRow(1);
    EXPECT_FALSE(control<QTextEdit>("txtDetails")->toPlainText().isEmpty());
    EXPECT_EQ(commandState(), "NEMBCBMC--C-");
    clickRow(4, Qt::ShiftModifier);
    EXPECT_EQ(grid()->selectionModel()->selectedRows().size(), 4);
    EXPECT_TRUE(control<QTextEdit>("txtDetails")->toPlainText().isEmpty());
    EXPECT_TRUE(control<QLineEdit>("txtBase")->text().isEmpty());
    EXPECT_EQ(commandState(), "------------");
    EXPECT_EQ(context.selectedFileNumber, "F01"); // left as it was
}

TEST_F(PendingQueueTest, RightClickAndTheMenuKeysOpenTheMenuAndKeepTheSelection) {
    ASSERT_TRUE(writePending(folder.path(), hundredOrders()));
    rebuild();
    clickRow(1);
    clickRow(3, Qt::ShiftModifier);
    QMenu* menu = control<QMenu>("mnuSelection");
    const QPoint onRow6 = grid()->visualRect(queue->model().index(6, 0)).center();
    QTest::mouseClick(grid()->viewport(), Qt::RightButton, {}, onRow6);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(grid()->selectionModel()->selectedRows().size(), 3);
    menu->hide();

    queue->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(queue.get()));
    grid()->setFocus();
    // The current row is where the menu opens, scrolled into view when it was not.
    const struct {
        const char* name;
        int scrollTo; // row put at the top first
    } views[] = {{"current row in view", 0}, {"current row scrolled away", 60}};
    for (const auto& v : views) {
        grid()->scrollTo(queue->model().index(v.scrollTo, 0), QAbstractItemView::PositionAtTop);
        for (const QKeySequence& keys :
             {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
            SCOPED_TRACE(std::string(v.name) + " " + keys.toString().toStdString());
            QTest::keySequence(grid(), keys);
            EXPECT_TRUE(menu->isVisible());
            EXPECT_EQ(grid()->selectionModel()->selectedRows().size(), 3);
            const QRect current = grid()->visualRect(grid()->currentIndex());
            EXPECT_TRUE(grid()->viewport()->rect().contains(current));
            EXPECT_EQ(menu->pos(), grid()->viewport()->mapToGlobal(current.bottomLeft()));
            menu->hide();
        }
    }
}

TEST_F(PendingQueueTest, FilterListsShowWhenTheyAreInUse) {
    ASSERT_TRUE(writePending(folder.path(), hundredOrders()));
    rebuild();
    queue->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(queue.get()));
    QComboBox* towns = filter(3);
    const auto base = [towns] { return towns->palette().color(QPalette::Base); };
    EXPECT_EQ(base(), QColor(224, 224, 224));
    towns->setFocus();
    choose(3, "Agawam");
    EXPECT_EQ(base(), QColor(0, 255, 255)); // the focus went to Reset
    towns->showPopup();
    EXPECT_EQ(base(), QColor(224, 224, 224));
    towns->hidePopup();
    towns->setFocus();
    grid()->setFocus();
    EXPECT_EQ(base(), QColor(0, 255, 255));
    choose(3, "< town >");
    EXPECT_EQ(base(), QColor(224, 224, 224));
}

TEST_F(PendingQueueTest, DoubleClickingAFeeLabelUnlocksItsBox) {
    ASSERT_TRUE(writePending(folder.path(), hundredOrders()));
    rebuild();
    queue->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(queue.get()));
    auto* box = control<QLineEdit>("txtBase");
    QTest::mouseDClick(control<QLabel>("lblBase"), Qt::LeftButton);
    EXPECT_FALSE(box->isEnabled()); // nothing selected: the label is disabled
    clickRow(0);
    EXPECT_EQ(box->text(), "150.00");
    EXPECT_FALSE(box->isEnabled());
    QTest::mouseDClick(control<QLabel>("lblBase"), Qt::LeftButton);
    EXPECT_TRUE(box->isEnabled());
    EXPECT_TRUE(box->hasFocus());
    EXPECT_EQ(box->selectedText(), "150.00");
    QTest::mouseDClick(control<QLabel>("lblMuni"), Qt::LeftButton);
    EXPECT_TRUE(control<QLineEdit>("txtMuni")->hasFocus());
    EXPECT_EQ(control<QLineEdit>("txtMuni")->selectedText(), "35.50");
}

TEST_F(PendingQueueTest, SnapshotHoldsTheSelectedOrderAndTheFeeBoxes) {
    ASSERT_TRUE(writePending(
        folder.path(),
        std::vector<PendingFields>{PendingFields("S1", kToday).at("9 Elm St", "Unit 2").by("Ann*"),
                                   PendingFields("S2", kToday.addDays(1)).by("Bo")}));
    rebuild();
    queue->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(queue.get()));
    QueueSelectionSnapshot none = queue->selectionSnapshot();
    EXPECT_TRUE(none.fileNumber.isEmpty());
    EXPECT_EQ(none.copy, (FeeBoxState{"", false}));

    clickRow(0);
    QTest::keyClicks(control<QLineEdit>("txtCopy"), "12.40");
    QTest::mouseDClick(control<QLabel>("lblMuni"), Qt::LeftButton);
    QTest::keyClicks(control<QLineEdit>("txtMuni"), "40");
    const QueueSelectionSnapshot s = queue->selectionSnapshot();
    EXPECT_EQ(s.fileNumber, "S1");
    EXPECT_EQ(s.street, "9 Elm St Unit 2");
    EXPECT_EQ(s.searcher, "Ann");
    EXPECT_EQ(s.base, (FeeBoxState{"150.00", false}));
    EXPECT_EQ(s.muni, (FeeBoxState{"40", true}));
    EXPECT_EQ(s.copy, (FeeBoxState{"12.40", true}));

    // A kept snapshot does not follow the grid.
    clickRow(1);
    EXPECT_EQ(s.fileNumber, "S1");
    EXPECT_EQ(queue->selectionSnapshot().fileNumber, "S2");
    clickRow(0, Qt::ShiftModifier);
    EXPECT_TRUE(queue->selectionSnapshot().fileNumber.isEmpty());
}

// Another workstation's change of Pending.fil rebuilds the queue while copy costs are typed.
TEST_F(PendingQueueTest, TypedFeesSurviveARebuildUnlessTheOrdersFeesChanged) {
    const struct {
        const char* name;
        PendingFields selected; // the selected order as the other writer leaves it
        bool kept;
    } cases[] = {
        {"another order appended", PendingFields("S1", kToday), true},
        {"its base fee changed", PendingFields("S1", kToday).charged("175", "35.5"), false},
        {"its municipal fee changed", PendingFields("S1", kToday).charged("150", "0"), false},
        {"it was billed", PendingFields("S1", kToday).billedInAdvance(), false},
    };
    queue->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(queue.get()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(
            writePending(folder.path(), std::vector<PendingFields>{PendingFields("S1", kToday),
                                                                   PendingFields("S2", kToday)}));
        rebuild();
        clickRow(queue->model().rowOfFileNumber("S1"));
        auto* copy = control<QLineEdit>("txtCopy");
        QTest::keyClicks(copy, "12.40");
        copy->setCursorPosition(2);
        QTest::mouseDClick(control<QLabel>("lblBase"), Qt::LeftButton);
        QTest::keyClicks(control<QLineEdit>("txtBase"), "99");
        copy->setFocus();
        copy->setCursorPosition(2);

        if (c.kept) {
            auto lock = DataLock::acquire(folder.path());
            ASSERT_TRUE(lock);
            ASSERT_TRUE(appendOrder(*lock, test::pendingRecord(PendingFields("S3", kToday))));
        } else {
            ASSERT_TRUE(writePending(folder.path(), std::vector<PendingFields>{
                                                        c.selected, PendingFields("S2", kToday)}));
        }
        rebuild();
        ASSERT_EQ(context.selectedFileNumber, "S1");
        const QueueSelectionSnapshot s = queue->selectionSnapshot();
        if (c.kept) {
            EXPECT_EQ(s.copy, (FeeBoxState{"12.40", true}));
            EXPECT_EQ(s.base, (FeeBoxState{"99", true}));
            EXPECT_EQ(s.muni, (FeeBoxState{"35.50", false}));
            EXPECT_TRUE(copy->hasFocus());
            EXPECT_EQ(copy->cursorPosition(), 2);
        } else {
            EXPECT_EQ(s.copy.text, "");
            EXPECT_FALSE(s.base.enabled);
            EXPECT_EQ(s.base.text,
                      QString::fromStdString(Money::fromStored(c.selected.baseFee)->format0_00()));
            EXPECT_EQ(s.muni.text,
                      QString::fromStdString(Money::fromStored(c.selected.muniFee)->format0_00()));
        }
    }
}

} // namespace
} // namespace qm

namespace qm {
namespace {

// CLOSE ORDER from the window: cancel, a refused amount, the copy-cost question, then the close.
TEST_F(PendingQueueTest, CloseOrderAsksChecksTheBoxesAndClosesFromTheFiles) {
    ASSERT_TRUE(writePending(folder.path(),
                             std::vector<PendingFields>{PendingFields("C1", kToday),
                                                        PendingFields("C2", kToday.addDays(1))}));
    const std::string before = test::contentOf(folder.file("Pending.fil"));
    rebuild();
    queue->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(queue.get()));
    clickRow(0);
    auto* copy = control<QLineEdit>("txtCopy");
    const ShownMessage closing{QMessageBox::Question, " CLOSING ORDER #  C1",
                               "The selected order will be removed to the\rcompleted folder. "
                               "\"OK\" to continue"};
    auto lastShown = [this] { return dialogs.shown().back(); };
    auto same = [](const ShownMessage& a, const ShownMessage& b) {
        return a.icon == b.icon && a.title == b.title && a.text == b.text;
    };

    QTest::mouseClick(control<QPushButton>("cmdClose"), Qt::LeftButton); // Cancel by default
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(same(lastShown(), closing));

    QTest::keyClicks(copy, "12.5O");
    dialogs.queueAnswer(QMessageBox::Ok);
    QTest::mouseClick(control<QPushButton>("cmdClose"), Qt::LeftButton);
    ASSERT_EQ(dialogs.shown().size(), 3u);
    EXPECT_TRUE(lastShown().text.contains(kAmountHint)) << lastShown().text.toStdString();
    EXPECT_TRUE(copy->hasFocus());
    EXPECT_EQ(copy->selectedText(), "12.5O");

    copy->clear();
    queue->grdOrder->setFocus();
    dialogs.queueAnswer(QMessageBox::Ok);
    dialogs.queueAnswer(QMessageBox::No);
    QTest::mouseClick(control<QPushButton>("cmdClose"), Qt::LeftButton);
    ASSERT_EQ(dialogs.shown().size(), 5u);
    EXPECT_TRUE(same(lastShown(), {QMessageBox::Warning, " COPY COSTS ???",
                                   "Copy costs have not been entered.\rProceed anyway ???"}));
    EXPECT_TRUE(copy->hasFocus());
    EXPECT_EQ(test::contentOf(folder.file("Pending.fil")), before);
    EXPECT_EQ(test::contentOf(folder.file("Completed.fil")), "<missing>");

    QTest::keyClicks(copy, "12.5");
    dialogs.queueAnswer(QMessageBox::Ok);
    QTest::mouseClick(control<QPushButton>("cmdClose"), Qt::LeftButton);
    EXPECT_EQ(dialogs.shown().size(), 6u);
    auto pending = readOrderRecords(folder.path(), OrderFile::Pending);
    auto completed = readOrderRecords(folder.path(), OrderFile::Completed);
    ASSERT_TRUE(pending && completed);
    ASSERT_EQ(pending->size(), 1u);
    EXPECT_EQ(pending->front().text(OrderField::FileNumber), "C2");
    ASSERT_EQ(completed->size(), 1u);
    const OrderRecord& done = completed->front();
    EXPECT_EQ(done.text(OrderField::FileNumber), "C1");
    EXPECT_EQ(done.text(OrderField::BaseFee), "150");
    EXPECT_EQ(done.text(OrderField::MuniFee), "35.5");
    EXPECT_EQ(done.text(OrderField::CopyCosts), "12.5");
    EXPECT_EQ(done.field(OrderField::CompletedAt), Field::ofDate({2024, 3, 8, 9, 30, 0}));
    // The queue waits for the next tick to show the change.
    EXPECT_EQ(queue->model().rowCount(), 2);
}

} // namespace
} // namespace qm
