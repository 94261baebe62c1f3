#include "appearance_logic.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

constexpr double kAspect = double(kMainWindowBaseSize.height) / double(kMainWindowBaseSize.width);
// The grid reports each grdService column 30 twips narrower than it holds.
constexpr long kServiceReportAllowance = 30;

long asReported(long twips, double tpp) {
    return roundToWhole(std::nearbyint(double(twips) / tpp) * tpp);
}

template <size_t N>
std::array<double, N> sharesOf(const std::array<long, N>& widths, long baseWidth, int margin) {
    std::array<double, N> shares{};
    for (size_t c = 0; c < N; ++c)
        shares[c] = double(widths[c]) / double(baseWidth - margin);
    return shares;
}

} // namespace

QColor faceColourFor(int brightnessPosition) {
    const int b = std::clamp(brightnessPosition, kBrightnessMin, kBrightnessMax) + 205;
    return QColor(b + 7, b + 3, b - 5);
}

double zoomFactorFor(int zoomPosition) {
    return 1 + std::clamp(zoomPosition, kZoomMin, kZoomMax) / 100.0;
}

bool fitsWorkArea(double targetWidth, double targetHeight, TwipSize workArea) {
    return targetHeight < double(workArea.height) && targetWidth < double(workArea.width);
}

TwipSize zoomedWindowSize(double zoomFactor, TwipSize workArea) {
    const double targetHeight = zoomFactor * double(kMainWindowBaseSize.height);
    const double targetWidth = zoomFactor * double(kMainWindowBaseSize.width);
    TwipSize size;
    if (fitsWorkArea(targetWidth, targetHeight, workArea)) {
        size = {roundToWhole(targetWidth), roundToWhole(targetHeight)};
    } else {
        size.height = workArea.height;
        size.width = roundToWhole(double(workArea.height) / kAspect);
    }
    if (size.width > workArea.width) {
        size.width = workArea.width;
        size.height = roundToWhole(double(workArea.width) * kAspect);
    }
    return size;
}

double mainWindowFontScale(TwipSize windowSize) {
    return double(windowSize.width) / double(kMainWindowBaseSize.width);
}

std::optional<QString> zoomLabelFontFamily(int zoomPosition, long windowWidth, long workAreaWidth) {
    if (zoomPosition < 12)
        return QStringLiteral("Small Fonts");
    if (windowWidth < workAreaWidth)
        return QStringLiteral("Arial");
    return std::nullopt;
}

double completedListFontFactor(int zoomPosition) {
    const bool shrink =
        (zoomPosition >= 8 && zoomPosition <= 10) || (zoomPosition >= 18 && zoomPosition <= 22);
    return shrink ? 0.95 : 1.0;
}

double archivesListFontFactor(int zoomPosition) {
    if (zoomPosition >= 13 && zoomPosition <= 15)
        return 1.05;
    if (zoomPosition == 40)
        return 0.95;
    return 1.0;
}

long roundToWhole(double value) {
    // nearbyint follows the default rounding mode: to nearest, halves to even.
    return static_cast<long>(std::nearbyint(value));
}

double twipsPerPixel(double logicalDpi) {
    return 1440.0 / logicalDpi;
}

long pixelsToTwips(double pixels, double logicalDpi) {
    return roundToWhole(pixels * twipsPerPixel(logicalDpi));
}

int twipsToPixels(double twips, double logicalDpi) {
    return static_cast<int>(roundToWhole(twips / twipsPerPixel(logicalDpi)));
}

int gridMargin(double twipsPerPixel, int scrollBarPixels) {
    return static_cast<int>(roundToWhole(twipsPerPixel * scrollBarPixels + 90));
}

std::array<double, 2> serviceColumnShares(int margin) {
    return sharesOf(kServiceStartupWidths, kServiceGridBaseWidth, margin);
}

std::array<double, 7> orderColumnShares(int margin) {
    return sharesOf(kOrderStartupWidths, kOrderGridBaseWidth, margin);
}

std::array<long, 2> scaledServiceWidths(long gridWidth, int margin,
                                        const std::array<double, 2>& shares, double twipsPerPixel) {
    const long inner = gridWidth - margin;
    std::array<long, 2> widths{};
    long sum = 0;
    for (size_t c = 0; c < widths.size(); ++c) {
        widths[c] = roundToWhole(double(inner) * shares[c]);
        sum += asReported(widths[c], twipsPerPixel) - kServiceReportAllowance;
    }
    widths[0] = asReported(widths[0], twipsPerPixel) + inner - sum;
    return widths;
}

std::array<long, 7> scaledOrderWidths(long gridWidth, int margin,
                                      const std::array<double, 7>& shares, double twipsPerPixel) {
    const long inner = gridWidth - margin;
    std::array<long, 7> widths{};
    long sum = 0;
    for (size_t c = 0; c < widths.size(); ++c) {
        widths[c] = roundToWhole(double(inner) * shares[c]);
        // The key column lies beyond the visible width and takes no part in the fit.
        if (c < 6)
            sum += asReported(widths[c], twipsPerPixel);
    }
    widths[0] = asReported(widths[0], twipsPerPixel) + inner - sum;
    return widths;
}

std::array<long, 2> zoomedServiceWidths(double zoomFactor, long gridWidth, int margin,
                                        double twipsPerPixel) {
    if (zoomFactor <= 1)
        return kServiceFixedWidths;
    return scaledServiceWidths(gridWidth, margin, serviceColumnShares(margin), twipsPerPixel);
}

std::array<long, 7> zoomedOrderWidths(double zoomFactor, long gridWidth, int margin,
                                      double twipsPerPixel) {
    if (zoomFactor <= 1)
        return kOrderFixedWidths;
    return scaledOrderWidths(gridWidth, margin, orderColumnShares(margin), twipsPerPixel);
}

} // namespace qm
