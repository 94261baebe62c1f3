#pragma once
// The appearance rules without widgets: brightness colour, zoomed window size, label fonts and
// grid column widths. Sizes are in twips (1/1440 inch), the unit the window was designed in.

#include <QColor>
#include <QString>
#include <array>
#include <optional>

namespace qm {

inline constexpr int kBrightnessMin = -30;
inline constexpr int kBrightnessMax = 30;
inline constexpr int kZoomMin = 0;
inline constexpr int kZoomMax = 60;

// The face colour for a brightness slider position (clamped to the slider's range).
QColor faceColourFor(int brightnessPosition);
// 1 + position / 100, the position clamped to the slider's range.
double zoomFactorFor(int zoomPosition);

struct TwipSize {
    long width = 0;
    long height = 0;
    bool operator==(const TwipSize&) const = default;
};

// The main window's size at zoom factor 1; its aspect is kept by every zoomed size.
inline constexpr TwipSize kMainWindowBaseSize{14910, 10650};

// A target fits only when it is strictly smaller than the work area both ways.
bool fitsWorkArea(double targetWidth, double targetHeight, TwipSize workArea);
// The main window's size for a zoom factor: the scaled base size when it fits, else the
// largest size of the same shape that the work area allows.
TwipSize zoomedWindowSize(double zoomFactor, TwipSize workArea);
// How much the main window's fonts grow: its width against the base width, so that a window
// held back by a small work area does not get fonts larger than its controls.
double mainWindowFontScale(TwipSize windowSize);

// The font family of Label12 and Label0 after a zoom; nullopt leaves the family as it is.
std::optional<QString> zoomLabelFontFamily(int zoomPosition, long windowWidth, long workAreaWidth);

// Extra font factor for the completed list after a zoom, and for the archives list when the
// archives window opens; these make up for how those list fonts round at some sizes.
double completedListFontFactor(int zoomPosition);
double archivesListFontFactor(int zoomPosition);

// Sizes go to whole twips: to the nearest, halves to the even one.
long roundToWhole(double value);

// 1 pixel = 1440 / logical DPI twips.
double twipsPerPixel(double logicalDpi);
long pixelsToTwips(double pixels, double logicalDpi);
int twipsToPixels(double twips, double logicalDpi);

// Horizontal room a grid's columns leave free: a vertical scroll bar plus 90 twips.
int gridMargin(double twipsPerPixel, int scrollBarPixels);

// grdService: schedule columns 0 and 1 (a third, custom column is not ours).
inline constexpr long kServiceGridBaseWidth = 3015;
inline constexpr std::array<long, 2> kServiceStartupWidths{1750, 1010};
inline constexpr std::array<long, 2> kServiceFixedWidths{1750, 1010};
// grdOrder: columns 0 to 6; column 6 holds the key and sits beyond the visible width.
inline constexpr long kOrderGridBaseWidth = 14055;
inline constexpr std::array<long, 7> kOrderStartupWidths{1500, 4760, 2000, 1500, 1500, 2500, 13725};
inline constexpr std::array<long, 7> kOrderFixedWidths{1750, 4475, 2000, 1500, 1500, 2500, 13725};

// Each start-up width's share of the grid's base width less the margin.
std::array<double, 2> serviceColumnShares(int margin);
std::array<double, 7> orderColumnShares(int margin);

// Column widths in twips for a grid of gridWidth twips at a zoom factor above 1. The grid
// keeps widths in whole pixels, so the sums use the widths rounded to pixels and back.
std::array<long, 2> scaledServiceWidths(long gridWidth, int margin,
                                        const std::array<double, 2>& shares, double twipsPerPixel);
std::array<long, 7> scaledOrderWidths(long gridWidth, int margin,
                                      const std::array<double, 7>& shares, double twipsPerPixel);

// The widths after a zoom: fixed at a factor of 1 or less, scaled to the grid above it.
std::array<long, 2> zoomedServiceWidths(double zoomFactor, long gridWidth, int margin,
                                        double twipsPerPixel);
std::array<long, 7> zoomedOrderWidths(double zoomFactor, long gridWidth, int margin,
                                      double twipsPerPixel);

} // namespace qm
