#pragma once
// The Completed tab over a temporary data folder, with the directory entries its keys find.

#include "clock.h"
#include "completed_model.h"
#include "completed_orders.h"
#include "completed_page.h"
#include "dialogs.h"
#include "test_support.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <gtest/gtest.h>

namespace qm::test {

inline const QDate kToday(2026, 3, 20);

inline const char* const kCompanies =
    "Acme Title _ 1 Main St _ Suite 2 _ Boston, MA 02101 _  _ fax _ a@acme.example _ \r\n"
    "Acme Title _ 9 Hill Rd _  _ Boston Heights, MA 02103 _  _ fax _ h@acme.example _ \r\n";
inline const char* const kAttorneys =
    "Smith & Jones _ Ann Smith _ 5 Elm St _  _ Springfield, MA 01101 _  _ fax _ a@sj.example\r\n";

// Look-alike keys, a billed-in-advance copy, a second part "m", half cents and a wide amount.
inline std::vector<Completed> lookAlikeOrders() {
    return {
        // First in the file: a key holding the next one's whole text must not hide it.
        Completed("H1").by("Acme Title - Boston Heights").on({2026, 3, 4, 9, 0, 0}),
        Completed("A1").by("Acme Title - Boston").on({2026, 3, 5, 9, 0, 0}).fees("10.005"),
        Completed("A2")
            .by("Acme Title - Boston")
            .on({2026, 3, 12, 8, 30, 0})
            .fees("12345.675", "0", "12.5"),
        Completed("A0").by("Acme Title - Boston").on({2026, 3, 1, 7, 0, 0}).billedInAdvance(),
        Completed("A2m")
            .by("Acme Title - Boston")
            .on({2026, 3, 12, 8, 31, 0})
            .types("", "M.Lien")
            .fees("0", "35"),
        Completed("S1").by("", "Smith & Jones - Ann Smith").on({2025, 12, 30, 16, 0, 0}),
    };
}

class CompletedPageTest : public ::testing::Test {
  protected:
    CompletedPageTest() {
        context.settings.dataFolder = folder.path();
        context.clock = &clock;
        context.dialogs = &dialogs;
        put(folder.file("Companies.lst"), kCompanies);
        put(folder.file("Attorneys.lst"), kAttorneys);
        page = std::make_unique<CompletedPage>(context);
        page->setTabCaption([this](const QString& text) { caption = text; });
        page->resize(1100, 700);
        page->show();
        tester = std::make_unique<QAbstractItemModelTester>(
            &page->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    void write(const std::vector<Completed>& orders) {
        put(folder.file("Completed.fil"), completedBytes(orders));
    }
    void rebuild() { ASSERT_TRUE(page->Rebuild()); }
    // A choice made on the selector itself, as the keyboard makes it.
    void choose(const QString& key) {
        const int index = page->Combo1->findText(key);
        ASSERT_GE(index, 0) << key.toStdString();
        page->Combo1->setFocus();
        page->Combo1->setCurrentIndex(index);
        emit page->Combo1->activated(index);
    }
    QStringList selectorItems() {
        QStringList items;
        for (int i = 0; i < page->Combo1->count(); ++i)
            items << page->Combo1->itemText(i);
        return items;
    }
    QStringList shownNumbers() {
        QStringList numbers;
        for (int r = 0; r < page->model().shownCount(); ++r)
            numbers << QString::fromStdString(page->model().shownRow(r).fileNumber);
        return numbers;
    }
    QStringList billTo() {
        QStringList boxes;
        for (QLineEdit* box : page->txtBillTo)
            boxes << box->text();
        return boxes;
    }
    void clickRow(int row) {
        const QModelIndex index = page->model().index(row);
        page->List2->scrollTo(index);
        QTest::mouseClick(page->List2->viewport(), Qt::LeftButton, {},
                          page->List2->visualRect(index).center());
    }

    TempFolder folder;
    ManualClock clock{QDateTime(kToday, QTime(10, 0))};
    ScriptedDialogs dialogs;
    AppContext context;
    std::unique_ptr<CompletedPage> page;
    std::unique_ptr<QAbstractItemModelTester> tester;
    QString caption;
};

} // namespace qm::test
