#include "budget/comparison_grid.h"
#include "budget/risk_analytics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

using namespace acremark;

TEST(CertaintyEquivalent, ConstantTwoPointAndFallingWithAversion) {
    // A sure margin is worth itself at every aversion.
    const std::vector<double> sure(500, 12345.0);
    for (double r : AversionCoefficients(4 / 12345.0))
        EXPECT_NEAR(CertaintyEquivalent(sure.data(), sure.size(), r), 12345.0, 1e-9) << r;
    // A fifty-fifty margin of a or b: -(1/r) ln((e^-ra + e^-rb) / 2), and the mean at r = 0.
    const double a = -20000, b = 90000;
    const std::vector<double> two = {a, b, a, b};
    for (double r : {0.0, 1e-6, 1e-5, 4e-5}) {
        const double expected =
            r == 0 ? (a + b) / 2 : -std::log((std::exp(-r * a) + std::exp(-r * b)) / 2) / r;
        EXPECT_NEAR(CertaintyEquivalent(two.data(), two.size(), r), expected,
                    1e-9 * std::fabs(expected))
            << r;
    }
    // Margins of a large farm: the plain formula would overflow exp; the value stays between
    // the smallest margin and the mean, and falls as the aversion rises.
    std::mt19937 rng(3);
    std::normal_distribution<double> gm(2e6, 8e5);
    std::vector<double> x(10000);
    for (double& v : x)
        v = gm(rng);
    const double smallest = *std::min_element(x.begin(), x.end());
    double previous = CertaintyEquivalent(x.data(), x.size(), 0);
    for (double r : AversionCoefficients(4 / 2e6)) {
        const double ce = CertaintyEquivalent(x.data(), x.size(), r);
        ASSERT_TRUE(std::isfinite(ce)) << r;
        EXPECT_GE(ce, smallest);
        if (r > 0) EXPECT_LT(ce, previous) << r;
        previous = ce;
    }
}

TEST(CertaintyEquivalent, CoefficientsDefaultAndRanking) {
    const auto r = AversionCoefficients(2.0);
    ASSERT_EQ(r.size(), 25u);
    EXPECT_EQ(r.front(), 0.0);
    EXPECT_EQ(r.back(), 2.0);
    EXPECT_NEAR(r[12], 1.0, 1e-15);
    EXPECT_EQ(DefaultAversionMax({-50000, 20000}), 4.0 / 50000);
    EXPECT_EQ(DefaultAversionMax({0, 0}), 0.0);
    EXPECT_EQ(RankAt({1, 2, 5}, {10.0, 30.0, 20.0}), (std::vector<int>{2, 5, 1}));
    EXPECT_EQ(RankAt({3, 4}, {7.0, 7.0}), (std::vector<int>{3, 4})) << "ties keep their order";
}

TEST(Stoplight, ChancesSumToOneAndAgreeWithTheGrid) {
    std::vector<double> curve(1001);
    for (int k = 1; k <= 1000; ++k)
        curve[size_t(k)] = -30000 + 100.0 * k;
    for (auto [t1, t2] : {std::pair{20000.0, 10000.0}, std::pair{10000.0, 20000.0},
                          std::pair{-1e9, 1e9}, std::pair{5000.0, 5000.0}}) {
        const Stoplight s = StoplightOf(curve.data(), t1, t2);
        EXPECT_NEAR(s.red + s.yellow + s.green, 1.0, 1e-12);
        EXPECT_GE(s.yellow, 0);
        const double lo = std::min(t1, t2), hi = std::max(t1, t2);
        EXPECT_DOUBLE_EQ(s.red * 100, TComparisonGrid::ChanceBelow(curve.data(), lo));
        EXPECT_NEAR((s.red + s.yellow) * 100, TComparisonGrid::ChanceBelow(curve.data(), hi), 1e-9);
    }
}

TEST(Precision, CorrelationAndStandardErrors) {
    const std::vector<double> x = {1, 2, 3, 4, 5}, up = {2, 4, 6, 8, 10}, down = {5, 4, 3, 2, 1};
    const std::vector<double> flat(5, 7.0);
    EXPECT_NEAR(Correlation(x.data(), up.data(), 5), 1.0, 1e-15);
    EXPECT_NEAR(Correlation(x.data(), down.data(), 5), -1.0, 1e-15);
    EXPECT_EQ(Correlation(x.data(), flat.data(), 5), 0.0);
    EXPECT_NEAR(ChanceStandardError(0.1, 10000), 0.003, 1e-15);
    EXPECT_EQ(ChanceStandardError(0.0, 10000), 0.0);
    EXPECT_NEAR(MeanStandardError(50000, 10000), 500, 1e-12);
}

TEST(IterationsCsv, HeaderColumnsAndRoundTripValues) {
    std::array<std::vector<double>, 5> rows;
    for (int k = 0; k < 5; ++k)
        rows[size_t(k)] = {0.1 * (k + 1), 1.0 / 3 + k, -2.5e7};
    std::ostringstream out;
    WriteIterationsCsv(out, {{"scenario", "2"}, {"seed", "42"}}, rows);
    std::istringstream in(out.str());
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "# scenario,2\r");
    std::getline(in, line);
    std::getline(in, line);
    EXPECT_EQ(line.rfind("iteration,market_revenue", 0), 0u);
    std::getline(in, line);
    EXPECT_EQ(line, "1,0.1,0.2,0.30000000000000004,0.4,0.5\r");
    std::getline(in, line);
    // Values read back exactly.
    std::istringstream cells(line);
    std::string cell;
    std::getline(cells, cell, ',');
    for (int k = 0; k < 5; ++k) {
        std::getline(cells, cell, ',');
        EXPECT_EQ(std::stod(cell), rows[size_t(k)][1]) << k;
    }
}
