#include <gtest/gtest.h>

#include <cmath>

#include "sim/triangle.h"

namespace acremark {
namespace {

// The cumulative function of a triangle, straight from its definition.
double Cdf(double low, double likely, double high, double x) {
    if (x <= low) return 0.0;
    if (x >= high) return 1.0;
    if (x < likely) return (x - low) * (x - low) / ((likely - low) * (high - low));
    return 1.0 - (high - x) * (high - x) / ((high - low) * (high - likely));
}

TEST(Triangle, HoldsMomentsAndInversionConstants) {
    TTriangle tri(nullptr, 7);
    tri.SetValue(10, 20, 40);
    EXPECT_EQ(tri.id, 7);
    EXPECT_DOUBLE_EQ(tri.Cp(), 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(tri.Height(), 2.0 / 30.0);
    EXPECT_DOUBLE_EQ(tri.TempLow(), 300.0);
    EXPECT_DOUBLE_EQ(tri.TempHigh(), 600.0);
    EXPECT_DOUBLE_EQ(tri.mean, 70.0 / 3.0);
    EXPECT_DOUBLE_EQ(tri.vars, 700.0 / 18.0);
    EXPECT_DOUBLE_EQ(tri.stdev, std::sqrt(700.0 / 18.0));
    EXPECT_DOUBLE_EQ(tri.Quantile(0.5), 40.0 - std::sqrt(300.0));
    EXPECT_DOUBLE_EQ(tri.Quantile(0.0), 10.0);
    EXPECT_DOUBLE_EQ(tri.Quantile(tri.Cp()), 20.0);
    EXPECT_DOUBLE_EQ(tri.Quantile(1.0), 40.0);
}

TEST(Triangle, QuantileInvertsTheCumulativeFunction) {
    struct Case {
        double low, likely, high;
    };
    const Case cases[] = {{10, 20, 40}, {-5, 3, 4}, {2.5, 2.5, 9}, {1, 8, 8}, {100, 150, 200}};
    for (const Case& c : cases) {
        TTriangle tri(nullptr, 1);
        tri.SetValue(c.low, c.likely, c.high);
        for (double u = 0.0; u <= 1.0; u += 0.05) {
            const double x = tri.Quantile(u);
            EXPECT_GE(x, c.low);
            EXPECT_LE(x, c.high);
            EXPECT_NEAR(Cdf(c.low, c.likely, c.high, x), u, 1e-12)
                << c.low << " " << c.likely << " " << c.high << " u=" << u;
        }
    }
}

TEST(Triangle, DegenerateShapes) {
    TTriangle point(nullptr, 1);
    point.SetValue(5, 5, 5);
    EXPECT_EQ(point.Cp(), 0.0);
    EXPECT_EQ(point.mean, 5.0);
    EXPECT_EQ(point.vars, 0.0);
    EXPECT_EQ(point.stdev, 0.0);
    for (double u : {0.0, 0.3, 0.999, 1.0})
        EXPECT_EQ(point.Quantile(u), 5.0);

    TTriangle leftEdge(nullptr, 1); // mode at the minimum: always the upper branch
    leftEdge.SetValue(2, 2, 6);
    EXPECT_EQ(leftEdge.Cp(), 0.0);
    EXPECT_EQ(leftEdge.Quantile(0.0), 2.0);
    EXPECT_DOUBLE_EQ(leftEdge.Quantile(0.75), 6.0 - std::sqrt(0.25 * 16.0));

    TTriangle rightEdge(nullptr, 1); // mode at the maximum: the lower branch below u = 1
    rightEdge.SetValue(2, 6, 6);
    EXPECT_EQ(rightEdge.Cp(), 1.0);
    EXPECT_DOUBLE_EQ(rightEdge.Quantile(0.25), 2.0 + std::sqrt(0.25 * 16.0));
    EXPECT_EQ(rightEdge.Quantile(1.0), 6.0);
}

TEST(Triangle, VarianceStaysExactForLargeCloseValues) {
    // Squares of 1e8 swamp a spread of 1: the pairwise form keeps it.
    TTriangle tri(nullptr, 1);
    tri.SetValue(1e8, 1e8 + 1, 1e8 + 2);
    EXPECT_DOUBLE_EQ(tri.vars, 6.0 / 36.0);
}

TEST(Triangle, SetValueReplacesEverything) {
    TTriangle tri(nullptr, 1);
    tri.SetValue(10, 20, 40);
    tri.SetValue(1, 1, 1);
    EXPECT_EQ(tri.low, 1.0);
    EXPECT_EQ(tri.likely, 1.0);
    EXPECT_EQ(tri.high, 1.0);
    EXPECT_EQ(tri.Cp(), 0.0);
    EXPECT_EQ(tri.TempLow(), 0.0);
    EXPECT_EQ(tri.TempHigh(), 0.0);
    EXPECT_EQ(tri.vars, 0.0);
    EXPECT_EQ(tri.Quantile(0.4), 1.0);
}

} // namespace
} // namespace acremark
