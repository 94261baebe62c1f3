// Fee corrections through Frame5 over a real Completed.fil: what the editor shows, what the
// replace command writes (every other byte kept), refused amounts, and a record that another
// workstation changed or removed while the editor was open.
#include "completed_page_fixture.h"
#include "fee_editor.h"

#include <QLabel>
#include <QPushButton>

namespace qm {
namespace {

using test::Completed;
using test::CompletedPageTest;

class FeeEditorTest : public CompletedPageTest {
  protected:
    // Neighbours written in a form of their own, which a rewrite must not touch.
    std::vector<Completed> ordersWith(const Completed& edited) {
        return {Completed("N1").fees("150.00", "0", "0.50").on({2026, 3, 2, 8, 0, 0}), edited,
                Completed("N2").by("", "Smith & Jones - Ann Smith").fees(".5")};
    }
    Completed billedCopy() {
        return Completed("F1")
            .billedInAdvance()
            .fees("150", "35.5", "10.005")
            .on({2026, 3, 3, 8, 0, 0});
    }
    void openEditorOn(const QString& number) {
        rebuild();
        const int row = static_cast<int>(shownNumbers().indexOf(number));
        ASSERT_GE(row, 0);
        clickRow(row);
        ASSERT_TRUE(page->cmdEditSel->isEnabled());
        QTest::mouseClick(page->cmdEditSel, Qt::LeftButton);
        ASSERT_TRUE(page->Frame5->isVisible());
    }
    QStringList boxes() {
        return {page->Frame5->Text1->text(), page->Frame5->Text2->text(),
                page->Frame5->Text3->text()};
    }
    void type(const QStringList& texts) {
        for (size_t i = 0; i < 3; ++i)
            page->Frame5->box(i)->setText(texts[static_cast<qsizetype>(i)]);
    }
    void replace() { QTest::mouseClick(page->Frame5->Command2, Qt::LeftButton); }
    std::string fileBytes() { return test::contentOf(folder.file("Completed.fil")); }
};

TEST_F(FeeEditorTest, ReplaceWritesTheTypedAmountsAndKeepsEveryOtherByte) {
    struct Case {
        const char* what;
        QStringList typed;
        std::array<const char*, 3> stored;
    };
    const Case cases[] = {
        {"unchanged boxes keep the stored amounts",
         {"150.00", "35.50", "10.01"},
         {"150", "35.5", "10.005"}},
        {"a changed box", {"175.25", "35.50", "10.01"}, {"175.25", "35.5", "10.005"}},
        {"an empty box is 0", {"150.00", "", "10.01"}, {"150", "0", "10.005"}},
        {"wide and half-cent amounts stay exact",
         {"12345.675", " 10.005 ", "10.01"},
         {"12345.675", "10.005", "10.005"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write(ordersWith(billedCopy()));
        openEditorOn("F1");
        EXPECT_EQ(page->Frame5->lblOrderID->text(), "F1");
        EXPECT_EQ(boxes(), (QStringList{"150.00", "35.50", "10.01"}));
        EXPECT_FALSE(page->cmdEditSel->isEnabled());
        type(c.typed);
        replace();
        EXPECT_EQ(fileBytes(), test::completedBytes(ordersWith(
                                   billedCopy().fees(c.stored[0], c.stored[1], c.stored[2]))));
        EXPECT_TRUE(page->Frame5->isHidden());
        EXPECT_TRUE(boxes().join("").isEmpty());
        EXPECT_TRUE(page->cmdEditSel->isEnabled());
        EXPECT_TRUE(dialogs.shown().empty());
    }
}

TEST_F(FeeEditorTest, AnAmountThatIsNotPlainIsRefusedAndNothingWritten) {
    write(ordersWith(billedCopy()));
    const std::string before = fileBytes();
    const char* refused[] = {"1,250.00", "$150", "12.5O", "1e3", "-", "10.00001"};
    size_t box = 0;
    for (const char* text : refused) {
        SCOPED_TRACE(text);
        openEditorOn("F1");
        page->Frame5->box(box)->setText(QString::fromLatin1(text));
        dialogs.clear();
        replace();
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown()[0].title, " FEE AMOUNT ???");
        EXPECT_TRUE(dialogs.shown()[0].text.startsWith("The amount is not accepted: "));
        EXPECT_EQ(fileBytes(), before);
        EXPECT_TRUE(page->Frame5->isVisible());
        EXPECT_EQ(page->Frame5->box(box)->selectedText(), QString::fromLatin1(text));
        QTest::mouseClick(page->Frame5->Command1, Qt::LeftButton);
        box = (box + 1) % 3;
    }
}

TEST_F(FeeEditorTest, ARecordChangedOrRemovedMeanwhileIsNotOverwritten) {
    write(ordersWith(billedCopy()));
    openEditorOn("F1");
    type({"175", "35.50", "10.01"});

    // Another workstation corrects the base fee first: nothing is written, the boxes show it.
    const std::vector<Completed> corrected = ordersWith(billedCopy().fees("160", "35.5", "10.005"));
    write(corrected);
    replace();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, " FEE CORRECTION #  F1");
    EXPECT_TRUE(dialogs.shown()[0].text.contains("changed meanwhile"));
    EXPECT_EQ(fileBytes(), test::completedBytes(corrected));
    EXPECT_EQ(boxes(), (QStringList{"160.00", "35.50", "10.01"}));

    // Closing the billed order changes its dates, not its amounts: the correction goes in.
    Completed closed = billedCopy().fees("160", "35.5", "10.005").on({2026, 3, 19, 17, 0, 0});
    closed.billed = false;
    write(ordersWith(closed));
    dialogs.clear();
    type({"175", "35.50", "10.01"});
    replace();
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(fileBytes(), test::completedBytes(ordersWith(closed.fees("175", "35.5", "10.005"))));

    // Archived meanwhile: nothing written, the user is told, the editor closes.
    openEditorOn("F1");
    const std::vector<Completed> archived = {ordersWith(closed)[0], ordersWith(closed)[2]};
    write(archived);
    type({"1", "2", "3"});
    replace();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(
        dialogs.shown()[0].text.startsWith("This order is no longer in the completed list"));
    EXPECT_EQ(fileBytes(), test::completedBytes(archived));
    EXPECT_TRUE(page->Frame5->isHidden());
}

TEST_F(FeeEditorTest, RecordsSharingTheNumberAllTakeTheTypedAmounts) {
    const Completed twin = Completed("F1").by("Zed Title - Salem").fees("90", "5", "1");
    std::vector<Completed> orders = ordersWith(billedCopy());
    orders.push_back(twin);
    write(orders);
    openEditorOn("F1");
    type({"175", "35.50", "10.01"});
    replace();
    orders[1] = billedCopy().fees("175", "35.5", "10.005");
    // A box left as shown keeps each record's own amount.
    orders[3] = Completed(twin).fees("175", "5", "1");
    EXPECT_EQ(fileBytes(), test::completedBytes(orders));
}

TEST_F(FeeEditorTest, TheEditorClosesWhenTheListChangesOrAnotherLineIsClicked) {
    write(ordersWith(billedCopy()));
    openEditorOn("F1");
    clickRow(static_cast<int>(shownNumbers().indexOf("N1")));
    EXPECT_TRUE(page->Frame5->isHidden());
    EXPECT_TRUE(page->cmdEditSel->isEnabled());

    QTest::mouseClick(page->cmdEditSel, Qt::LeftButton);
    EXPECT_EQ(page->Frame5->lblOrderID->text(), "N1");
    page->txtFilter->setFocus();
    QTest::keyClicks(page->txtFilter, "N");
    EXPECT_TRUE(page->Frame5->isHidden());
    EXPECT_FALSE(page->cmdEditSel->isEnabled());
}

} // namespace
} // namespace qm
