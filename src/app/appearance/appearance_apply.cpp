#include "appearance_apply.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QLayout>
#include <QPalette>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

constexpr char kKeepsColourProperty[] = "qmKeepsColour";
constexpr char kDesignFontProperty[] = "qmDesignFont";
constexpr char kDesignSizeProperty[] = "qmDesignSize";
constexpr char kColumnFitName[] = "qmColumnFit";

bool isCommandButton(const QWidget* w) {
    return qobject_cast<const QPushButton*>(w) || qobject_cast<const QToolButton*>(w);
}

bool isTabControl(const QWidget* w) {
    return qobject_cast<const QTabWidget*>(w) || qobject_cast<const QTabBar*>(w);
}

// The window's own controls; windows parented to it are not part of it.
QList<QWidget*> controlsOf(QWidget* window) {
    QList<QWidget*> controls;
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->window() == window->window())
            controls.append(w);
    return controls;
}

void setBackground(QWidget* w, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = w->palette();
    palette.setColor(role, colour);
    w->setPalette(palette);
    // Labels, frames and plain widgets paint no background of their own.
    if (role == QPalette::Window)
        w->setAutoFillBackground(true);
}

// Palettes propagate to children, so a control that must keep its colour holds it explicitly,
// taken before the window's first change.
void keepOwnColour(QWidget* w) {
    if (w->property(kKeepsColourProperty).toBool())
        return;
    QPalette palette = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Window, palette.color(group, QPalette::Window));
    w->setPalette(palette);
    w->setProperty(kKeepsColourProperty, true);
}

QFont designFontOf(QWidget* w) {
    QVariant design = w->property(kDesignFontProperty);
    if (!design.isValid()) {
        design = w->font();
        w->setProperty(kDesignFontProperty, design);
    }
    return design.value<QFont>();
}

QFont resized(QFont font, const QFont& design, double scale) {
    if (design.pointSizeF() > 0)
        font.setPointSizeF(design.pointSizeF() * scale);
    else if (design.pixelSize() > 0)
        font.setPixelSize(std::max(1, static_cast<int>(roundToWhole(design.pixelSize() * scale))));
    return font;
}

// Every font of the window becomes its design size times `scale`. Controls without a font of
// their own follow the window's; the others are set one by one.
void scaleFonts(QWidget* window, double scale) {
    const QList<QWidget*> controls = controlsOf(window);
    // Read every design font before changing any, or inherited sizes would be read scaled.
    const QFont windowDesign = designFontOf(window);
    for (QWidget* w : controls)
        designFontOf(w);
    window->setFont(resized(window->font(), windowDesign, scale));
    for (QWidget* w : controls)
        if (w->testAttribute(Qt::WA_SetFont))
            w->setFont(resized(w->font(), designFontOf(w), scale));
}

void resizeFrame(QWidget* window, QSize frameSize) {
    // Minimum sizes follow the new fonts before the resize, or the fonts of a larger zoom
    // would hold the window at its old size.
    if (QLayout* layout = window->layout())
        layout->activate();
    // The twips sizes are the outer frame's while resize() sets the client area; the frame's
    // thickness is known only once the window is shown, and is nil before.
    const QSize frame =
        window->isWindow() ? window->frameGeometry().size() - window->size() : QSize(0, 0);
    window->resize(frameSize - frame);
}

template <size_t N>
void setColumnWidths(QTableView* grid, const std::array<long, N>& widths, double logicalDpi) {
    for (size_t c = 0; c < N; ++c) {
        // A width the grid cannot take leaves that column as it was.
        if (widths[c] >= 0)
            grid->setColumnWidth(static_cast<int>(c), twipsToPixels(double(widths[c]), logicalDpi));
    }
}

enum class Grid { Service, Order };

// Keeps a grid's zoomed columns fitted to its width. Layouts give a grid its new width only
// when they next run, and a grid on a hidden tab only when the tab is shown.
class ColumnFit final : public QObject {
  public:
    ColumnFit(QTableView* grid, Grid which) : QObject(grid), grid_(grid), which_(which) {
        setObjectName(kColumnFitName);
        grid->installEventFilter(this);
    }

    static ColumnFit* of(QTableView* grid) {
        return dynamic_cast<ColumnFit*>(
            grid->findChild<QObject*>(kColumnFitName, Qt::FindDirectChildrenOnly));
    }

    void zoom(double factor, double logicalDpi) {
        factor_ = factor;
        dpi_ = logicalDpi;
        fit();
    }

    void stop() { factor_ = 1; }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == grid_ && event->type() == QEvent::Resize && factor_ > 1) {
            const auto* resize = static_cast<QResizeEvent*>(event);
            if (resize->size().width() != resize->oldSize().width())
                fit();
        }
        return false;
    }

  private:
    void fit() {
        const double tpp = twipsPerPixel(dpi_);
        const int scrollBar =
            grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid_);
        const int margin = gridMargin(tpp, scrollBar);
        const long width = pixelsToTwips(grid_->width(), dpi_);
        if (which_ == Grid::Service)
            setColumnWidths(grid_, zoomedServiceWidths(factor_, width, margin, tpp), dpi_);
        else
            setColumnWidths(grid_, zoomedOrderWidths(factor_, width, margin, tpp), dpi_);
    }

    QTableView* grid_;
    Grid which_;
    double factor_ = 1;
    double dpi_ = 96;
};

void zoomColumns(QTableView* grid, Grid which, double factor, double logicalDpi) {
    if (!grid)
        return;
    ColumnFit* fit = ColumnFit::of(grid);
    if (!fit)
        fit = new ColumnFit(grid, which);
    fit->zoom(factor, logicalDpi);
}

} // namespace

QColor systemFaceColour() {
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

void applyColours(QWidget* window, const QColor& face) {
    if (!window || !face.isValid())
        return;
    const QList<QWidget*> controls = controlsOf(window);
    for (QWidget* w : controls)
        if (isTabControl(w))
            keepOwnColour(w);
    setBackground(window, QPalette::Window, face);
    for (QWidget* w : controls)
        if (isFaceColoured(w) && !isCommandButton(w) && !isTabControl(w))
            setBackground(w, w->backgroundRole(), face);
}

ScreenMetrics screenMetricsFor(const QWidget* widget) {
    QScreen* screen = widget ? widget->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return {screen->availableGeometry(), screen->logicalDotsPerInch()};
}

void applyZoom(const MainWindowParts& parts, int zoomPosition, QRect workAreaPixels,
               double logicalDpi) {
    const double factor = zoomFactorFor(zoomPosition);
    const TwipSize workArea{pixelsToTwips(workAreaPixels.width(), logicalDpi),
                            pixelsToTwips(workAreaPixels.height(), logicalDpi)};
    const TwipSize size = zoomedWindowSize(factor, workArea);

    if (parts.window)
        scaleFonts(parts.window, mainWindowFontScale(size));
    if (auto family = zoomLabelFontFamily(zoomPosition, size.width, workArea.width)) {
        for (QLabel* label : {parts.label12, parts.label0}) {
            if (!label)
                continue;
            QFont font = label->font();
            font.setFamily(*family);
            label->setFont(font);
        }
    }
    if (parts.window)
        resizeFrame(parts.window, QSize(twipsToPixels(double(size.width), logicalDpi),
                                        twipsToPixels(double(size.height), logicalDpi)));

    zoomColumns(parts.grdService, Grid::Service, factor, logicalDpi);
    zoomColumns(parts.grdOrder, Grid::Order, factor, logicalDpi);
}

void applyStartupColumnWidths(const MainWindowParts& parts, double logicalDpi) {
    if (QTableView* grid = parts.grdService) {
        if (ColumnFit* fit = ColumnFit::of(grid))
            fit->stop();
        setColumnWidths(grid, kServiceStartupWidths, logicalDpi);
    }
    if (QTableView* grid = parts.grdOrder) {
        if (ColumnFit* fit = ColumnFit::of(grid))
            fit->stop();
        setColumnWidths(grid, kOrderStartupWidths, logicalDpi);
    }
}

void openSecondaryWindow(QWidget* window, double zoomFactor, const QColor& face) {
    if (!window)
        return;
    // Each opening scales the design size, never one already scaled. A window nobody sized
    // yet would show at its size hint.
    QVariant design = window->property(kDesignSizeProperty);
    if (!design.isValid()) {
        design = window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint();
        window->setProperty(kDesignSizeProperty, design);
    }
    const QSize designSize = design.toSize();
    scaleFonts(window, zoomFactor);
    if (QLayout* layout = window->layout())
        layout->activate();
    // The client area scales; the frame around it keeps its few pixels.
    window->resize(static_cast<int>(roundToWhole(designSize.width() * zoomFactor)),
                   static_cast<int>(roundToWhole(designSize.height() * zoomFactor)));
    applyColours(window, face);
}

} // namespace qm
