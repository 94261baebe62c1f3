#include "appearance_logic.h"

#include <gtest/gtest.h>
#include <numeric>

namespace qm {
namespace {

TEST(FaceColour, FollowsBrightnessWithinTheSliderRange) {
    struct Case {
        int position, red, green, blue;
    };
    const Case cases[] = {
        {-30, 182, 178, 170}, {0, 212, 208, 200},  {30, 242, 238, 230},
        {-31, 182, 178, 170}, {99, 242, 238, 230}, // a stored position beyond the slider
    };
    for (const Case& c : cases)
        EXPECT_EQ(faceColourFor(c.position), QColor(c.red, c.green, c.blue)) << c.position;
}

TEST(ZoomedWindowSize, FitsTheTargetOrTheLargestSameShapeSize) {
    struct Case {
        const char* what;
        int position;
        TwipSize workArea, expected;
    };
    const Case cases[] = {
        {"base size fits", 0, {30000, 20000}, {14910, 10650}},
        {"largest zoom fits", 60, {40000, 30000}, {23856, 17040}},
        {"halves round to even twips", 5, {30000, 20000}, {15656, 11182}},
        {"too high: work area height, same shape", 60, {30000, 15000}, {21000, 15000}},
        {"still too wide: work area width", 60, {18000, 15000}, {18000, 12857}},
        {"too narrow only", 60, {20000, 30000}, {20000, 14286}},
        {"beyond the slider", 99, {40000, 30000}, {23856, 17040}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TwipSize size = zoomedWindowSize(zoomFactorFor(c.position), c.workArea);
        EXPECT_EQ(size.width, c.expected.width);
        EXPECT_EQ(size.height, c.expected.height);
    }
    // A target as high or as wide as the work area does not fit.
    EXPECT_TRUE(fitsWorkArea(14910, 10650, {14911, 10651}));
    EXPECT_FALSE(fitsWorkArea(14910, 10650, {20000, 10650}));
    EXPECT_FALSE(fitsWorkArea(14910, 10650, {14910, 20000}));
}

TEST(ZoomLabelFont, SmallBelowTwelveArialOnlyWhenNarrowerThanTheWorkArea) {
    struct Case {
        int position;
        long windowWidth, workAreaWidth;
        std::optional<QString> family;
    };
    const Case cases[] = {
        {0, 14910, 30000, "Small Fonts"},
        {11, 18000, 18000, "Small Fonts"},
        {12, 17800, 18000, "Arial"},
        {12, 18000, 18000, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(zoomLabelFontFamily(c.position, c.windowWidth, c.workAreaWidth), c.family)
            << c.position << " " << c.windowWidth;
}

TEST(ListFontFactors, ChangeOnlyInsideTheirRanges) {
    struct Case {
        int position;
        double completed, archives;
    };
    const Case cases[] = {{7, 1, 1},     {8, .95, 1},   {10, .95, 1}, {11, 1, 1},
                          {13, 1, 1.05}, {15, 1, 1.05}, {16, 1, 1},   {18, .95, 1},
                          {22, .95, 1},  {23, 1, 1},    {40, 1, .95}, {41, 1, 1}};
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(completedListFontFactor(c.position), c.completed) << c.position;
        EXPECT_DOUBLE_EQ(archivesListFontFactor(c.position), c.archives) << c.position;
    }
}

// What the grid shows: each width in whole pixels.
long pixelTotal(const long* first, const long* last, double tpp) {
    return std::accumulate(first, last, 0L, [tpp](long sum, long twips) {
        return sum + long(std::nearbyint(double(twips) / tpp) * tpp);
    });
}

TEST(ColumnWidths, ScaledColumnsFillTheInnerWidthAndColumnZeroTakesTheRest) {
    struct Case {
        long serviceWidth, orderWidth;
        int margin;
        double tpp;
    };
    // Grid widths are whole pixels; the margin is too at 96 DPI but not at 120.
    const Case cases[] = {
        {4530, 21000, 330, 15.0}, {3915, 18255, 345, 15.0}, {4800, 20004, 294, 12.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orderWidth);
        const auto service = zoomedServiceWidths(1.3, c.serviceWidth, c.margin, c.tpp);
        // grdService reports each column 30 twips short of what it holds.
        EXPECT_NEAR(double(pixelTotal(service.begin(), service.end(), c.tpp)),
                    double(c.serviceWidth - c.margin + 60), c.tpp / 2);

        const auto order = zoomedOrderWidths(1.3, c.orderWidth, c.margin, c.tpp);
        EXPECT_NEAR(double(pixelTotal(order.begin(), order.begin() + 6, c.tpp)),
                    double(c.orderWidth - c.margin), c.tpp / 2);
        const double inner = double(c.orderWidth - c.margin);
        for (size_t col = 1; col < 7; ++col)
            EXPECT_NEAR(double(order[col]),
                        inner * double(kOrderStartupWidths[col]) / double(14055 - c.margin), 0.5);
    }
}

} // namespace
} // namespace qm
