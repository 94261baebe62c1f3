// The settings panel on a real main window: its layout at the designed size, the zoom, and OK.

#include "window_fixture.h"

#include "appearance_apply.h"
#include "directory_editor.h"
#include "settings_panel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

namespace qm {
namespace {

const char* kConfig =
    "\"North Abstract llc\",\"1 Court Sq\",\"\",\"Hartford, CT\",\"p\",\"f\",\"e\"\r\n"
    "\"Massachusetts\"\r\n0,0,1,#TRUE#\r\n\"\"\r\n";

class SettingsPanelTest : public test::WindowFixture {
  protected:
    SettingsPanel& openPanel() {
        MainWindow& w = start(kConfig);
        w.refreshNow();
        w.openSettings();
        QApplication::setActiveWindow(&w);
        QTest::qWait(20); // layouts settle
        return w.settings();
    }
    QSize designedSize() {
        const double dpi = screenMetricsFor(window.get()).logicalDpi;
        return {twipsToPixels(kMainWindowBaseSize.width, dpi),
                twipsToPixels(kMainWindowBaseSize.height, dpi)};
    }
};

TEST_F(SettingsPanelTest, AtTheDesignedSizeNothingOverlapsAndTextsFit) {
    SettingsPanel& p = openPanel();
    ASSERT_EQ(window->size(), designedSize());
    for (int n = 1; n < int(kDirectoryFieldCount); ++n)
        EXPECT_LT(p.directory->Text[n]->geometry().bottom() + 1,
                  p.directory->Text[n + 1]->geometry().top())
            << "boxes " << n << " and " << n + 1;

    const struct {
        QLineEdit* box;
        const char* text;
    } texts[] = {{p.txtMailProgram, "/usr/sbin/sendmail -t -i"},
                 {p.txtSenderAddress, "orders@northabstract.com"},
                 {p.txtSmtpHost, "smtp.northabstract.com"},
                 {p.txtDBasePath, "/srv/quillmark/data/"}};
    for (const auto& t : texts)
        EXPECT_GE(t.box->contentsRect().width(),
                  t.box->fontMetrics().horizontalAdvance(QString::fromLatin1(t.text)) + 8)
            << t.text;

    // The fee schedule uses the panel's height: at least 20 of its 49 rows at a glance.
    QTableWidget* grid = p.grdService;
    const int lastShown = grid->rowAt(grid->viewport()->height() - 1);
    EXPECT_TRUE(lastShown == -1 || lastShown >= 20) << lastShown;
}

TEST_F(SettingsPanelTest, OneClickOnTheCarrierBoxOpensTheListAndNothingMoves) {
    SettingsPanel& p = openPanel();
    DirectoryEditor* d = p.directory;
    QTest::mouseClick(d->cmdSearchers, Qt::LeftButton);
    QRect before[kDirectoryFieldCount + 1];
    for (int n = 1; n <= int(kDirectoryFieldCount); ++n)
        before[n] = d->Text[n]->geometry();

    QTest::mouseClick(d->Text[7], Qt::LeftButton);
    QTest::qWait(50);
    ASSERT_TRUE(d->cboCarrier->isVisible());
    EXPECT_TRUE(d->cboCarrier->view()->isVisible()); // the list is open
    EXPECT_EQ(d->cboCarrier->geometry(), before[7]);
    for (int n : {6, 8})
        EXPECT_EQ(d->Text[n]->geometry(), before[n]) << "box " << n;
    d->cboCarrier->hidePopup();
}

TEST_F(SettingsPanelTest, ZoomBackToZeroAndOkGiveTheDesignedSizeAgain) {
    SettingsPanel& p = openPanel();
    const QSize designed = designedSize();
    // The zoom handler's own steps on a work area of a common screen, whatever this one is.
    const QRect workArea(0, 0, 1920, 1040);
    const MainWindowParts parts{window.get(), p.Label12, find<QLabel>("Label0"), p.grdService,
                                find<QTableView>("grdOrder")};
    const double dpi = screenMetricsFor(window.get()).logicalDpi;
    applyZoom(parts, 10, workArea, dpi);
    EXPECT_GT(window->width(), designed.width());
    applyZoom(parts, 0, workArea, dpi);
    // The designed twips are the window's outer size, its frame included.
    EXPECT_EQ(window->frameGeometry().size(), designed);
    QTest::mouseClick(p.cmdDefaults, Qt::LeftButton);
    QTest::qWait(20);
    EXPECT_EQ(window->frameGeometry().size(), designed);
}

TEST_F(SettingsPanelTest, OkWithAMissingDataFolderSaysSoOnceAndStaysOpen) {
    SettingsPanel& p = openPanel();
    ASSERT_TRUE(window->refreshRunning());
    const std::string config = readWholeFile(program + "config.txt").value();
    p.txtDBasePath->setText(QString::fromStdString(program + "nowhere"));
    dialogs.setWhileOpen([this] { window->refreshNow(); }); // the timer runs inside the box
    QTest::mouseClick(p.cmdDefaults, Qt::LeftButton);

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "DATA ACCESS ERROR");
    EXPECT_TRUE(dialogs.shown()[0].text.contains(QString::fromStdString(program + "nowhere/")));
    EXPECT_TRUE(p.isVisible());
    EXPECT_TRUE(p.txtDBasePath->hasFocus());
    EXPECT_EQ(readWholeFile(program + "config.txt").value(), config);
    EXPECT_EQ(context.dataFolder(), data);
    EXPECT_TRUE(window->refreshRunning());

    p.txtDBasePath->setText(QString::fromStdString(data));
    QTest::mouseClick(p.cmdDefaults, Qt::LeftButton);
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_FALSE(p.isVisible());
}

} // namespace
} // namespace qm
