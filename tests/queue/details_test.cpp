#include "clock.h"
#include "details_logic.h"
#include "dialogs.h"
#include "pending_orders.h"
#include "pending_queue.h"
#include "printer.h"
#include "queue_model.h"
#include "test_support.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::PendingFields;
using test::pendingRecord;

const QDate kToday(2024, 3, 8);
const QString kCrLf = QStringLiteral("\r\n");

QString detailsOf(const OrderRecord& order, const QString& home = "(555) 201-0001",
                  const QString& cell = "555.201.0002") {
    return orderDetailsText({&order, "12 Oak St, Springfield", home, cell, kToday});
}

// The line of the text that begins with the label.
QString lineOf(const QString& text, const QString& label) {
    for (const QString& line : text.split(kCrLf))
        if (line.startsWith(label))
            return line;
    return QStringLiteral("<no line %1>").arg(label);
}

TEST(DetailsTextTest, TitleCompanyAndAttorneyWithNotesAndMessages) {
    OrderRecord order = pendingRecord(PendingFields("F-1", kToday.addDays(3))
                                          .by("Ann Lee*")
                                          .types("R.2 Owner", "M.Lien")
                                          .from("First Title", "Smith Law - Bob"));
    order.setText(OrderField::NotesLog, "\r\n03/01 14:05  gate code 12 [CL]");
    order.setText(OrderField::MessagesLog, "\r\n03/02 09:00  call me [CL]");
    EXPECT_EQ(detailsOf(order).toStdString(),
              "F-1    12 Oak St, Springfield    R.2 Owner w/ M.Lien\r\n"
              "\r\n"
              "FROM:      First Title\r\n"
              "ENTERED:   Friday, March 01, 2024 @ 2:05PM by clerk\r\n"
              "DUE:       Monday, March 11, 2024  [3 days remaining]\r\n"
              "SEARCHER:  Ann Lee  h 5552010001  c 5552010002\r\n"
              "\r\n"
              "NOTES:     agent-> Smith Law - Bob\r\n"
              "           owner-> J. Smith\r\n"
              "\r\n03/01 14:05  gate code 12 [CL]"
              "\r\n\r\nMESSAGES ...\r\n"
              "\r\n03/02 09:00  call me [CL]");
}

TEST(DetailsTextTest, AttorneyOnlyHasNoAgentPartAndOneMoreLineBreak) {
    OrderRecord order =
        pendingRecord(PendingFields("F-2", kToday).by("Ann").from("", "Smith Law - Bob"));
    order.setText(OrderField::NotesLog, "\r\n03/01 14:05  n [CL]");
    const QString text = detailsOf(order);
    EXPECT_EQ(lineOf(text, "FROM:"), "FROM:      Smith Law - Bob");
    EXPECT_TRUE(text.endsWith("NOTES:     owner-> J. Smith\r\n\r\n03/01 14:05  n [CL]\r\n"))
        << text.toStdString();
}

TEST(DetailsTextTest, TheDueLineCountsDaysFromToday) {
    struct Case {
        QDate due;
        bool billed;
        const char* line;
    };
    const Case cases[] = {
        {kToday, false, "DUE:       Friday, March 08, 2024  [0 days remaining]"},
        {kToday.addDays(-3), false, "DUE:       Tuesday, March 05, 2024  [3 days PAST DUE]"},
        {kToday.addDays(-1), true, "DUE:       Thursday, March 07, 2024  [1 days PAST DUE]"},
        {QDate(2025, 1, 1), false, "DUE:       Wednesday, January 01, 2025  [299 days remaining]"},
    };
    for (const Case& c : cases) {
        PendingFields fields("F", c.due);
        if (c.billed)
            fields.billedInAdvance();
        EXPECT_EQ(lineOf(detailsOf(pendingRecord(fields)), "DUE:"), c.line);
    }
}

TEST(DetailsTextTest, NamesAreEnglishAndTheClockHasTwelveHours) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    struct Case {
        DateTime entered;
        const char* line;
    };
    const Case cases[] = {
        {{2013, 3, 8, 0, 7, 0}, "ENTERED:   Friday, March 08, 2013 @ 12:07AM by clerk"},
        {{2013, 3, 8, 12, 0, 0}, "ENTERED:   Friday, March 08, 2013 @ 12:00PM by clerk"},
        {{2013, 12, 25, 23, 59, 0}, "ENTERED:   Wednesday, December 25, 2013 @ 11:59PM by clerk"},
    };
    for (const Case& c : cases) {
        OrderRecord order = pendingRecord(PendingFields("F", kToday));
        order.set(OrderField::EnteredAt, Field::ofDate(c.entered));
        EXPECT_EQ(lineOf(detailsOf(order), "ENTERED:"), c.line);
    }
    QLocale::setDefault(QLocale::c());
}

TEST(DetailsTextTest, SearcherLineAndServiceText) {
    struct Case {
        const char* searcher;
        const char* type;
        const char* muni;
        QString home, cell;
        const char* searcherLine;
        const char* firstLine;
    };
    const Case cases[] = {
        {"", "R.2", "", "(555) 201-0001", "x", "SEARCHER:  ", "F    12 Oak St, Springfield    R.2"},
        {"Bo*", "", "M.Lien", "< searcher phone >", "< searcher cell >",
         "SEARCHER:  Bo  h <searcherphone>  c <searchercell>",
         "F    12 Oak St, Springfield    M.Lien"},
        {"Bo", "", "", "555/201 0001", "", "SEARCHER:  Bo  h 5552010001  c ",
         "F    12 Oak St, Springfield    "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.searcher);
        const QString text = detailsOf(
            pendingRecord(PendingFields("F", kToday).by(c.searcher).types(c.type, c.muni)), c.home,
            c.cell);
        EXPECT_EQ(lineOf(text, "SEARCHER:"), c.searcherLine);
        EXPECT_EQ(text.left(text.indexOf(kCrLf)), c.firstLine);
    }
}

TEST(DetailsCommandsTest, EnabledByWhatTheOrderAllows) {
    struct Case {
        const char* name;
        PendingFields fields;
        bool edit, message, bill, close, copyCosts, split;
    };
    const Case cases[] = {
        {"regular with municipal, assigned",
         PendingFields("F", kToday).by("Ann*").types("R.2", "M.L"), true, true, true, true, true,
         true},
        {"billed in advance",
         PendingFields("F", kToday).by("Ann*").types("R.2", "M.L").billedInAdvance(), false, true,
         false, true, false, false},
        {"no searcher, regular only", PendingFields("F", kToday).types("R.2", ""), true, false,
         true, true, true, false},
        {"neither type nor municipal search", PendingFields("F", kToday).by("Ann").types("", ""),
         true, true, false, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DetailsCommands commands = detailsCommandsFor(pendingRecord(c.fields));
        EXPECT_TRUE(commands.notes);
        EXPECT_TRUE(commands.feeLabels);
        EXPECT_EQ(commands.edit, c.edit);
        EXPECT_EQ(commands.message, c.message);
        EXPECT_EQ(commands.bill, c.bill);
        EXPECT_EQ(commands.close, c.close);
        EXPECT_EQ(commands.copyCosts, c.copyCosts);
        EXPECT_EQ(commands.split, c.split);
        EXPECT_EQ(commands.baseFee, "150.00");
        EXPECT_EQ(commands.muniFee, "35.50");
    }
}

TEST(DetailsCommandsTest, FeesShowTwoDecimalsRoundedHalfAwayFromZero) {
    const struct {
        Field stored;
        const char* shown;
    } cases[] = {
        {{FieldKind::Number, ".5"}, "0.50"},
        {{FieldKind::Text, ""}, "0.00"},
        {{FieldKind::Number, "10.005"}, "10.01"},
        {{FieldKind::Number, "-2.25"}, "-2.25"},
        {{FieldKind::Number, "12345.675"}, "12345.68"},
    };
    for (const auto& c : cases) {
        OrderRecord order = pendingRecord(PendingFields("F", kToday));
        order.set(OrderField::BaseFee, c.stored);
        order.set(OrderField::MuniFee, c.stored);
        const DetailsCommands commands = detailsCommandsFor(order);
        EXPECT_EQ(commands.baseFee, c.shown) << c.stored.text;
        EXPECT_EQ(commands.muniFee, c.shown) << c.stored.text;
    }
}

// The pane as the queue fills it, with the searcher's phones from Searchers.lst.
class DetailsPaneTest : public ::testing::Test {
  protected:
    DetailsPaneTest() {
        context.settings.dataFolder = folder.path();
        context.clock = &clock;
        context.dialogs = &dialogs;
        test::put(folder.file("Searchers.lst"),
                  "Ann Lee _  _  _  _ (555) 201-0001 _ 555-201-0002 _ Verizon _ a@x.example\r\n"
                  "Bo Dee _  _  _  _  _ 555 201 0003 _ Sprint _ b@x.example\r\n");
        queue.resize(1000, 700);
        queue.show();
    }

    // Writes the orders, rebuilds and selects the row of that number.
    void select(const std::vector<PendingFields>& fieldSets, const QString& number) {
        ASSERT_TRUE(test::writePending(folder.path(), fieldSets));
        ASSERT_TRUE(queue.RebuildQueue());
        const int row = queue.model().rowOfFileNumber(number);
        ASSERT_GE(row, 0);
        const QRect rect = queue.grdOrder->visualRect(queue.model().index(row, 0));
        QTest::mouseClick(queue.grdOrder->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QString pane() { return queue.txtDetails->toPlainText(); }
    QString paneLine(const QString& label) {
        for (const QString& line : pane().split(QLatin1Char('\n')))
            if (line.startsWith(label))
                return line;
        return QStringLiteral("<no line %1>").arg(label);
    }

    test::TempFolder folder;
    ManualClock clock{QDateTime(kToday, QTime(10, 0))};
    ScriptedDialogs dialogs;
    AppContext context;
    PendingQueue queue{context};
};

TEST_F(DetailsPaneTest, SearcherPhonesComeFromTheFirstDirectoryEntryHoldingTheName) {
    struct Case {
        const char* searcher;
        const char* line;
    };
    const Case cases[] = {
        {"Ann*", "SEARCHER:  Ann  h 5552010001  c 5552010002"},
        {"Bo Dee", "SEARCHER:  Bo Dee  h <searcherphone>  c 5552010003"},
        {"Cy Nobody*", "SEARCHER:  Cy Nobody  h <searcherphone>  c <searchercell>"},
        {"", "SEARCHER:  "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.searcher);
        select({PendingFields("F-1", kToday).by(c.searcher)}, "F-1");
        EXPECT_EQ(paneLine("SEARCHER:"), c.line);
        EXPECT_EQ(queue.cmdMessage->isEnabled(), *c.searcher != 0);
        EXPECT_EQ(context.selectedFileNumber, "F-1");
    }
}

TEST_F(DetailsPaneTest, TheWholeTextShowsOneLineForEachLineEnd) {
    OrderRecord order = test::pendingRecord(PendingFields("F-1", kToday).by("Ann*"));
    order.setText(OrderField::NotesLog, "\r\n03/01 14:05  first [CL]\r\n03/02 09:00  second [CL]");
    ASSERT_TRUE(test::writePending(folder.path(), std::vector<OrderRecord>{order}));
    ASSERT_TRUE(queue.RebuildQueue());
    QTest::mouseClick(queue.grdOrder->viewport(), Qt::LeftButton, {},
                      queue.grdOrder->visualRect(queue.model().index(0, 0)).center());
    const QString expected = orderDetailsText(
        {&order, "12 Oak St, Springfield", "(555) 201-0001", "555-201-0002", kToday});
    EXPECT_EQ(pane(), QString(expected).replace("\r\n", "\n"));
    EXPECT_EQ(pane().count(QLatin1Char('\n')), expected.count("\r\n"));

    // Copy Detail of one order with its details shown copies the text as composed.
    queue.mnuCopySel->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
}

TEST_F(DetailsPaneTest, ABilledOrderCanOnlyBeClosed) {
    select({PendingFields("F-1", kToday).by("Ann*").types("R.2", "M.L").billedInAdvance()}, "F-1");
    EXPECT_TRUE(queue.cmdClose->isEnabled());
    EXPECT_TRUE(queue.cmdNotes->isEnabled());
    EXPECT_FALSE(queue.cmdEdit->isEnabled());
    EXPECT_FALSE(queue.cmdBill->isEnabled());
    EXPECT_FALSE(queue.txtCopy->isEnabled());
    EXPECT_FALSE(queue.mnuSplit->isEnabled());
    EXPECT_EQ(queue.txtBase->text(), "150.00");
    EXPECT_EQ(queue.txtMuni->text(), "35.50");

    select({PendingFields("F-1", kToday).by("Ann*").types("R.2", "M.L")}, "F-1");
    EXPECT_TRUE(queue.mnuSplit->isEnabled());
    EXPECT_TRUE(queue.cmdBill->isEnabled());
    EXPECT_TRUE(queue.txtCopy->isEnabled());
    EXPECT_TRUE(queue.txtCopy->text().isEmpty());
}

TEST_F(DetailsPaneTest, AnOrderGoneFromTheFileIsSaidSoWithEveryCommandOff) {
    select({PendingFields("F-1", kToday).by("Ann*"), PendingFields("F-2", kToday)}, "F-1");
    // Another workstation closes it; this grid has not been rebuilt yet.
    ASSERT_TRUE(test::writePending(folder.path(),
                                   std::vector<PendingFields>{PendingFields("F-2", kToday)}));
    queue.ShowOrderDetails();
    EXPECT_EQ(pane(), "Order F-1 is no longer pending; it was changed at another workstation.");
    for (QWidget* w : std::initializer_list<QWidget*>{
             queue.cmdNotes, queue.cmdEdit, queue.cmdMessage, queue.cmdBill, queue.cmdClose,
             queue.lblBase, queue.lblMuni, queue.lblCopy, queue.txtBase, queue.txtMuni,
             queue.txtCopy})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_FALSE(queue.mnuSplit->isEnabled());
}

TEST_F(DetailsPaneTest, PrintingWithoutAPrinterSaysSo) {
    select({PendingFields("F-1", kToday)}, "F-1");
    for (QAction* action : {queue.mnuPrintSel, queue.mnuPrintList}) {
        dialogs.clear();
        action->trigger();
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown()[0].icon, QMessageBox::Critical);
        EXPECT_EQ(dialogs.shown()[0].title, " PRINTER ERROR");
        EXPECT_EQ(dialogs.shown()[0].text, "Cannot Find Printer");
    }
}

} // namespace
} // namespace qm
