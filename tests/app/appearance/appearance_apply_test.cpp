#include "appearance_apply.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <numeric>
#include <vector>

namespace qm {
namespace {

constexpr double kDpi = 96; // 15 twips a pixel
const QRect kLargeWorkArea(0, 0, 3000, 2000);

QColor backgroundOf(const QWidget* w) {
    return w->palette().color(w->backgroundRole());
}

template <typename W> W* addTo(QLayout* layout, W* widget, bool faceColoured) {
    if (faceColoured)
        markFaceColoured(widget);
    layout->addWidget(widget);
    return widget;
}

TEST(ApplyColours, ChangesTheWindowAndTaggedControlsOnly) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* label = addTo(layout, new QLabel("face"), true);
    auto* check = addTo(layout, new QCheckBox("option"), true);
    auto* button = addTo(layout, new QPushButton("cmdSave"), true);
    auto* edit = addTo(layout, new QLineEdit, false);
    auto* white = addTo(layout, new QLabel("white"), false);
    QPalette whitePalette = white->palette();
    whitePalette.setColor(QPalette::Window, Qt::white);
    white->setPalette(whitePalette);
    white->setAutoFillBackground(true);
    auto* tabs = addTo(layout, new QTabWidget, true);
    auto* page = new QWidget;
    auto* pageLayout = new QVBoxLayout(page);
    auto* pageLabel = addTo(pageLayout, new QLabel("on a tab"), true);
    auto* pageEdit = addTo(pageLayout, new QLineEdit, false);
    tabs->addTab(page, "Pending");

    struct Expectation {
        const char* what;
        QWidget* control;
        bool takesFace;
    };
    const Expectation expectations[] = {
        {"tagged label", label, true},
        {"tagged check box", check, true},
        {"label on a tab", pageLabel, true},
        {"tagged command button", button, false},
        {"tagged tab control", tabs, false},
        {"tab bar", tabs->tabBar(), false},
        {"untagged edit", edit, false},
        {"untagged edit on a tab", pageEdit, false},
        {"label of its own colour", white, false},
    };
    std::vector<QColor> before;
    for (const auto& e : expectations)
        before.push_back(backgroundOf(e.control));

    for (const QColor& face : {faceColourFor(-30), faceColourFor(30)}) {
        applyColours(&window, face);
        EXPECT_EQ(window.palette().color(QPalette::Window), face);
        for (size_t i = 0; i < std::size(expectations); ++i) {
            SCOPED_TRACE(expectations[i].what);
            EXPECT_EQ(backgroundOf(expectations[i].control),
                      expectations[i].takesFace ? face : before[i]);
        }
    }
    EXPECT_TRUE(label->autoFillBackground());
}

// A main window as the zoom sees it: two labels, a heading with its own font, and the two
// grids on different tabs.
struct MainWindowFixture : ::testing::Test {
    QWidget window;
    QLabel* label12 = new QLabel("Brightness & Zoom");
    QLabel* label0 = new QLabel("notice");
    QLabel* heading = new QLabel("heading");
    QTabWidget* tabs = new QTabWidget;
    QTableView* grdOrder = new QTableView;
    QTableView* grdService = new QTableView;
    QLabel* settingsLabel = new QLabel("on the settings tab");
    QStandardItemModel orderModel{0, 7};
    QStandardItemModel serviceModel{0, 3};
    double basePoints = 0;

    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(label12);
        layout->addWidget(label0);
        layout->addWidget(heading);
        layout->addWidget(tabs);
        heading->setFont(QFont(heading->font().family(), 14, QFont::Bold));

        auto* pending = new QWidget;
        (new QVBoxLayout(pending))->addWidget(grdOrder);
        auto* settings = new QWidget;
        auto* settingsLayout = new QVBoxLayout(settings);
        settingsLayout->addWidget(grdService);
        settingsLayout->addWidget(settingsLabel);
        tabs->addTab(pending, "Pending");
        tabs->addTab(settings, "Settings");
        grdOrder->setModel(&orderModel);
        grdService->setModel(&serviceModel);

        basePoints = window.font().pointSizeF();
        window.resize(994, 710);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    MainWindowParts parts() { return {&window, label12, label0, grdService, grdOrder}; }

    void zoom(int position, QRect workArea = kLargeWorkArea) {
        applyZoom(parts(), position, workArea, kDpi);
        QApplication::processEvents();
    }

    static std::vector<int> widthsOf(const QTableView* grid, int count) {
        std::vector<int> widths;
        for (int c = 0; c < count; ++c)
            widths.push_back(grid->columnWidth(c));
        return widths;
    }

    // Columns of a zoomed grid, in pixels, against its width less the margin.
    static int innerPixels(const QTableView* grid) {
        const int scrollBar = grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid);
        return (grid->width() * 15 - gridMargin(15, scrollBar)) / 15;
    }
};

TEST_F(MainWindowFixture, WindowTakesTheZoomedSizeWithinTheWorkArea) {
    struct Case {
        int position;
        QRect workArea;
        QSize expected;
    };
    const Case cases[] = {
        {60, kLargeWorkArea, {1590, 1136}},        // 23856 x 17040 twips
        {0, kLargeWorkArea, {994, 710}},           // 14910 x 10650 twips
        {60, QRect(0, 0, 1024, 768), {1024, 731}}, // held to the work area's width
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        zoom(c.position, c.workArea);
        // The twips sizes are the outer frame's.
        EXPECT_EQ(window.frameGeometry().size(), c.expected);
    }
}

TEST_F(MainWindowFixture, ZoomingOutShrinksTheWindowThatLargerFontsHeldWide) {
    auto* wide = new QLabel;
    QString text;
    while (QFontMetrics(window.font()).horizontalAdvance(text) < 800)
        text += 'W';
    wide->setText(text);
    window.layout()->addWidget(wide);
    zoom(60);
    ASSERT_GT(wide->minimumSizeHint().width(), 994);
    zoom(0);
    EXPECT_EQ(window.frameGeometry().size(), QSize(994, 710));
}

TEST_F(MainWindowFixture, FontsScaleFromTheirDesignSizesAndLabelsFollowTheFontRule) {
    struct Step {
        int position;
        QRect workArea;
        double scale;
        const char* labelFamily;
    };
    const Step steps[] = {
        {30, kLargeWorkArea, 1.3, "Arial"},
        {10, kLargeWorkArea, 1.1, "Small Fonts"},
        // The window fills the work area's width: scale by the width it got, family unchanged.
        {60, QRect(0, 0, 1024, 768), 15360.0 / 14910, "Small Fonts"},
        {20, kLargeWorkArea, 1.2, "Arial"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.position);
        zoom(s.position, s.workArea);
        EXPECT_NEAR(window.font().pointSizeF(), basePoints * s.scale, 1e-6);
        EXPECT_NEAR(label12->font().pointSizeF(), basePoints * s.scale, 1e-6);
        EXPECT_NEAR(heading->font().pointSizeF(), 14 * s.scale, 1e-6);
        EXPECT_TRUE(heading->font().bold());
        EXPECT_EQ(label12->font().family(), s.labelFamily);
        EXPECT_EQ(label0->font().family(), s.labelFamily);
    }
}

TEST_F(MainWindowFixture, ControlsOfHiddenTabsStayHidden) {
    zoom(30);
    EXPECT_TRUE(grdOrder->isVisible());
    EXPECT_FALSE(settingsLabel->isVisible());
    EXPECT_FALSE(grdService->isVisible());
    tabs->setCurrentIndex(1);
    EXPECT_TRUE(settingsLabel->isVisible());
    EXPECT_FALSE(grdOrder->isVisible());
}

TEST_F(MainWindowFixture, ColumnWidthsAtStartUpAtFactorOneAndWhenZoomed) {
    applyStartupColumnWidths(parts(), kDpi);
    EXPECT_EQ(widthsOf(grdService, 2), (std::vector{117, 67}));
    EXPECT_EQ(widthsOf(grdOrder, 7), (std::vector{100, 317, 133, 100, 100, 167, 915}));

    grdService->setColumnWidth(2, 55); // the custom rate column is not the zoom's
    zoom(0);
    EXPECT_EQ(widthsOf(grdService, 3), (std::vector{117, 67, 55}));
    EXPECT_EQ(widthsOf(grdOrder, 7), (std::vector{117, 298, 133, 100, 100, 167, 915}));

    zoom(40);
    const auto order = widthsOf(grdOrder, 7);
    EXPECT_EQ(std::accumulate(order.begin(), order.begin() + 6, 0), innerPixels(grdOrder));

    // grdService was on a hidden tab; its columns fit the width it gets when shown.
    tabs->setCurrentIndex(1);
    QApplication::processEvents();
    const auto service = widthsOf(grdService, 3);
    EXPECT_EQ(service[0] + service[1], innerPixels(grdService) + 4); // 30 twips a column
    EXPECT_EQ(service[2], 55);
}

TEST(OpenSecondaryWindow, ScalesTheDesignSizeAndFontsAtEveryOpening) {
    QWidget window;
    (new QVBoxLayout(&window))->addWidget(new QLabel("archives"));
    window.resize(400, 300);
    const double basePoints = window.font().pointSizeF();
    const QColor face = faceColourFor(10);

    struct Opening {
        double factor;
        QSize size;
    };
    for (const Opening& o :
         {Opening{1.2, {480, 360}}, Opening{1.2, {480, 360}}, Opening{1.0, {400, 300}}}) {
        openSecondaryWindow(&window, o.factor, face);
        EXPECT_EQ(window.size(), o.size);
        EXPECT_NEAR(window.font().pointSizeF(), basePoints * o.factor, 1e-6);
        EXPECT_EQ(window.palette().color(QPalette::Window), face);
    }
}

} // namespace
} // namespace qm
