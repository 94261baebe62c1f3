// The Completed tab inside the window: the tick rebuilds it when Completed.fil changes, its count
// is the tab's caption, and its "Browse Archives" opens the archives browser.
#include "../billing/completed_orders.h"
#include "window_fixture.h"

#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace qm {
namespace {

using test::Completed;

class CompletedTabTest : public test::WindowFixture {};

const char* kConfig =
    "\"North Abstract llc\",\"1 Court Sq\",\"\",\"Hartford, CT\",\"p\",\"f\",\"e\"\r\n"
    "\"Massachusetts\"\r\n0,0,1,#TRUE#\r\n\"\"\r\n";

TEST_F(CompletedTabTest, TheTickRebuildsTheListAndItsCaption) {
    put("Completed.fil", test::completedBytes({Completed("C-1").by("Bay Title - Boston")}));
    MainWindow& w = start(kConfig);
    w.refreshNow();
    EXPECT_EQ(w.tabs()->tabText(MainWindow::CompletedTab), "Completed [1]");
    put("Completed.fil",
        test::completedBytes({Completed("C-1").by("Bay Title - Boston"),
                              Completed("C-2").by("", "Baker & Lane - Ann Cole")}));
    w.refreshNow();
    EXPECT_EQ(w.tabs()->tabText(MainWindow::CompletedTab), "Completed [2]");
}

TEST_F(CompletedTabTest, BrowseArchivesOpensTheBrowser) {
    put("Archives.fil", "");
    MainWindow& w = start(kConfig);
    w.tabs()->setCurrentIndex(MainWindow::CompletedTab);
    QString opened;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = modal->objectName();
            modal->close();
        }
    });
    QTest::mouseClick(
        w.tabs()->widget(MainWindow::CompletedTab)->findChild<QPushButton*>("cmdArchives"),
        Qt::LeftButton);
    EXPECT_EQ(opened, "Form3");
}

} // namespace
} // namespace qm
