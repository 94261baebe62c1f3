#pragma once
// Puts the appearance rules on widgets: the face colour, the zoomed main window and the
// zoomed message and archives windows.

#include "appearance_logic.h"
#include "face_colour.h"

#include <QColor>
#include <QRect>

class QLabel;
class QTableView;
class QWidget;

namespace qm {

// The system's button-face colour, FaceColour's value before any brightness is applied.
QColor systemFaceColour();

// The window's background and every tagged control in it get `face`. Command buttons and tab
// controls never change; untagged controls keep their colour.
void applyColours(QWidget* window, const QColor& face);

// The main window's controls that zooming touches; any of them may be null.
struct MainWindowParts {
    QWidget* window = nullptr;
    QLabel* label12 = nullptr;
    QLabel* label0 = nullptr;
    QTableView* grdService = nullptr;
    QTableView* grdOrder = nullptr;
};

struct ScreenMetrics {
    QRect workArea;
    double logicalDpi = 96;
};
// The work area and logical DPI of the screen the widget is on.
ScreenMetrics screenMetricsFor(const QWidget* widget);

// The zoom handler: window size, fonts, the label font rule and the grids' column widths.
// Fonts scale from the sizes they had at the first call, so zooms never compound. While the
// factor is above 1 the grids' columns follow later changes of the grids' widths.
void applyZoom(const MainWindowParts& parts, int zoomPosition, QRect workAreaPixels,
               double logicalDpi);

// The grids' column widths before any zoom. Needs the grids' models in place.
void applyStartupColumnWidths(const MainWindowParts& parts, double logicalDpi);

// For the message and archives windows before they show: size and fonts times the factor, from
// the window's size and fonts at its first opening, and the face colour for its background.
void openSecondaryWindow(QWidget* window, double zoomFactor, const QColor& face);

} // namespace qm
