#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/parallel.h"
#include "sim/random.h"
#include "sim/risk_simulation.h"

namespace acremark {
namespace {

// Records what the engine shows: every repaint with the percentage and panel 1's text.
class Recorder : public TProgressDisplay {
public:
    int Percent() const override { return percent; }
    void SetPercent(int p) override { percent = p; }
    void SetPanelText(int panel, const std::string& text) override {
        if (panel == 1) panelText = text;
    }
    void Repaint() override { repaints.push_back({percent, panelText}); }

    struct Shown {
        int percent;
        std::string panel;
    };
    int percent = 0;
    std::string panelText;
    std::vector<Shown> repaints;
};

// A simulation on a recorder and a clock the test moves by hand.
class Simulation : public ::testing::Test {
protected:
    Simulation() {
        sim.TickCount = [this] { return now; };
    }

    // Setup with triangles given as {low, likely, high} per variable, seeded.
    void SetUp(const std::vector<std::array<double, 3>>& triangles, int n,
               std::uint32_t seed = 2024) {
        SetRandSeed(seed);
        sim.Setup(static_cast<int>(triangles.size()), n, 5);
        for (std::size_t i = 0; i < triangles.size(); ++i)
            sim.getTriangle(static_cast<int>(i))
                .SetValue(triangles[i][0], triangles[i][1], triangles[i][2]);
    }

    // The probability a sample has under its variable's triangle.
    double Probability(int variable, double x) {
        const TTriangle& t = sim.getTriangle(variable - 1);
        if (x < t.likely) return (x - t.low) * (x - t.low) / t.TempLow();
        return 1.0 - (t.high - x) * (t.high - x) / t.TempHigh();
    }

    std::uint32_t now = 5000;
    Recorder display;
    TRiskSimulation sim{8, &display};
};

TEST_F(Simulation, SetupPreparesAFreshRun) {
    SetUp({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, 10);
    sim.setCorrelation(1, 2, 0.5);
    sim.CalcInput();
    sim.ScenarioNo = 4;
    sim.CMMean[2] = 11.0;

    sim.Setup(4, 20, 3);
    EXPECT_EQ(sim.Count, 4);
    EXPECT_EQ(sim.N, 20);
    ASSERT_EQ(sim.List.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const TTriangle& t = sim.getTriangle(i);
        EXPECT_EQ(t.id, i + 1);
        EXPECT_EQ(t.Parent(), &sim);
        EXPECT_EQ(t.low + t.likely + t.high + t.mean + t.vars, 0.0);
    }
    EXPECT_EQ(&sim.Items(2), &sim.getTriangle(2));
    EXPECT_THROW(sim.getTriangle(4), std::out_of_range);
    EXPECT_EQ(sim.X.Rows(), 4);
    EXPECT_EQ(sim.X.Cols(), 20);
    EXPECT_EQ(sim.Y.Rows(), 3);
    EXPECT_EQ(sim.YMean.size(), 4u);
    EXPECT_EQ(sim.XMean.size(), 5u);
    for (int i = 1; i <= 4; ++i) {
        for (int j = 1; j <= 4; ++j) {
            EXPECT_EQ(sim.XR0[i][j], i == j ? 1.0 : 0.0);
            EXPECT_EQ(sim.XR[i][j], i == j ? 1.0 : 0.0);
            EXPECT_EQ(sim.L2[i][j], 0.0);
        }
        for (int j = 0; j <= 20; ++j)
            EXPECT_EQ(sim.X[i][j], 0.0);
    }
    // The result store and the scenario survive; setup counts as done at once.
    EXPECT_EQ(sim.CMMean[2], 11.0);
    EXPECT_EQ(sim.ScenarioNo, 4);
    EXPECT_EQ(sim.SmartIndex, 2);
    EXPECT_DOUBLE_EQ(sim.PercentDone, sim.SmartShare[1]);
    EXPECT_THROW(sim.Setup(-1, 10, 5), std::invalid_argument);
}

TEST_F(Simulation, SetCorrelationClampsAndMirrors) {
    SetUp({{0, 1, 2}, {0, 1, 2}, {0, 1, 2}, {0, 1, 2}, {0, 1, 2}, {0, 1, 2}}, 10);
    sim.setCorrelation(3, 5, 1.7);
    sim.setCorrelation(1, 4, -3.0);
    sim.setCorrelation(2, 2, 0.49);
    sim.setCorrelation(6, 1, 0.25);
    EXPECT_EQ(sim.XR0[3][5], 1.0);
    EXPECT_EQ(sim.XR0[5][3], 1.0);
    EXPECT_EQ(sim.XR0[1][4], -1.0);
    EXPECT_EQ(sim.XR0[4][1], -1.0);
    EXPECT_EQ(sim.XR0[2][2], 0.49);
    EXPECT_EQ(sim.XR0[1][6], 0.25);
    EXPECT_EQ(sim.XR0[6][1], 0.25);
    EXPECT_THROW(sim.setCorrelation(0, 1, 0.5), std::out_of_range);
    EXPECT_THROW(sim.setCorrelation(1, 7, 0.5), std::out_of_range);
}

// Every sample is its triangle's value at CumNormal of the factor times the deviates, and the
// deviates are drawn variable after variable, all iterations of one before the next.
TEST_F(Simulation, SamplesAreTheCorrelatedDeviatesThroughEachTriangle) {
    const int n = 250; // not a whole number of tiles
    SetUp({{10, 20, 40}, {0, 1, 2}, {5, 5, 9}, {-3, 0, 0}, {1, 2, 8}, {2, 3, 4}}, n, 77);
    sim.setCorrelation(1, 2, 0.6);
    sim.setCorrelation(1, 3, -0.3);
    sim.setCorrelation(2, 3, 0.2);
    sim.setCorrelation(4, 5, 0.9);
    sim.setCorrelation(5, 6, 1.0);
    sim.setCorrelation(4, 6, 0.9);
    sim.CalcInput();

    SetRandSeed(77);
    std::vector<double> deviates(static_cast<std::size_t>(6 * n));
    RandNormalFill(deviates.data(), 6 * n);
    auto deviate = [&](int i, int j) { return deviates[(i - 1) * n + (j - 1)]; };
    for (int block : {1, 4}) {
        for (int k = block; k < block + 3; ++k) {
            for (int j = 1; j <= n; ++j) {
                double z = 0.0;
                for (int l = block; l <= k; ++l)
                    z += sim.L2[k][l] * deviate(l, j);
                const double want = sim.getTriangle(k - 1).Quantile(CumNormal(z));
                ASSERT_EQ(sim.X[k][j], want) << "variable " << k << " iteration " << j;
            }
        }
    }
    // The factor the samples used is that of the targets.
    EXPECT_NEAR(sim.L2[2][1], 0.6, 1e-15);
    EXPECT_NEAR(sim.L2[6][4] * sim.L2[5][4] + sim.L2[6][5] * sim.L2[5][5], 1.0, 1e-12);
}

TEST_F(Simulation, IndependentVariablesFollowTheirTriangles) {
    const int n = 10000;
    SetUp({{10, 20, 40}, {100, 180, 200}, {3, 3, 3}, {1, 2, 3}}, n, 99);
    // Variables 1 and 3 lie in different blocks: a target between them is never used.
    sim.setCorrelation(1, 3, 0.9);
    sim.CalcInput();
    for (int i : {1, 2, 4}) {
        const TTriangle& t = sim.getTriangle(i - 1);
        EXPECT_NEAR(sim.XMean[i], t.mean, 4 * t.stdev / std::sqrt(n)) << i;
        EXPECT_NEAR(sim.XSD[i], t.stdev, 0.03 * t.stdev) << i;
        EXPECT_GE(sim.XMin[i], t.low);
        EXPECT_LE(sim.XMax[i], t.high);
        const int below = static_cast<int>(
            std::count_if(sim.X[i] + 1, sim.X[i] + n + 1, [&](double x) { return x < t.likely; }));
        EXPECT_NEAR(static_cast<double>(below) / n, t.Cp(), 0.02) << i;
    }
    EXPECT_EQ(sim.XMin[3], 3.0);
    EXPECT_EQ(sim.XMax[3], 3.0);
    EXPECT_NEAR(sim.XR[1][3], 0.0, 1e-9);
    EXPECT_NEAR(sim.XR[1][2], 0.0, 0.04);
    EXPECT_NEAR(sim.XR[2][4], 0.0, 0.04);
}

TEST_F(Simulation, TwoVariablesAreIndependentWhateverTheirTarget) {
    SetUp({{0, 1, 2}, {0, 1, 2}}, 5000, 7);
    sim.setCorrelation(1, 2, 1.0);
    sim.CalcInput();
    EXPECT_NEAR(sim.XR[1][2], 0.0, 0.05);
}

TEST_F(Simulation, CorrelationOneGivesTheSameProbabilityAndLaterFieldsKeepTheirSpread) {
    // Two fields of one crop (price correlation 1), then a third crop correlated 0.5 with it.
    const int n = 10000;
    SetUp({{1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {4, 6, 9}, {8, 9, 14}, {2, 5, 6}}, n, 31);
    for (int block : {1, 4}) {
        sim.setCorrelation(block, block + 1, 1.0);
        sim.setCorrelation(block, block + 2, 0.5);
        sim.setCorrelation(block + 1, block + 2, 0.5);
    }
    sim.CalcInput();
    for (int j = 1; j <= n; ++j) {
        ASSERT_EQ(sim.X[1][j], sim.X[2][j]) << j;
        ASSERT_NEAR(Probability(4, sim.X[4][j]), Probability(5, sim.X[5][j]), 1e-9) << j;
    }
    for (int third : {3, 6}) {
        const TTriangle& t = sim.getTriangle(third - 1);
        EXPECT_NEAR(sim.XSD[third], t.stdev, 0.03 * t.stdev) << "full spread, own deviate";
        EXPECT_GT(sim.XR[third - 2][third], 0.4);
        EXPECT_LT(sim.XR[third - 2][third], 0.6);
    }
}

TEST_F(Simulation, ZeroFirstDiagonalFixesThatVariableAtTheMedianScore) {
    const int n = 2000;
    SetUp({{10, 20, 40}, {1, 2, 4}, {0, 1, 2}, {0, 1, 2}}, n, 5);
    sim.setCorrelation(1, 1, 0.0);
    sim.setCorrelation(1, 2, 0.7);
    sim.CalcInput();
    const double fixed = sim.getTriangle(0).Quantile(CumNormal(0.0));
    for (int j = 1; j <= n; ++j)
        ASSERT_EQ(sim.X[1][j], fixed);
    EXPECT_NEAR(sim.XSD[2], sim.getTriangle(1).stdev, 0.05 * sim.getTriangle(1).stdev);
    // The mean of 2000 equal values is off by rounding only, so the spread is as good as 0.
    EXPECT_NEAR(sim.XSD[1], 0.0, 1e-9);
    EXPECT_NEAR(sim.XR[1][2], 0.0, 1e-6);
}

TEST_F(Simulation, SameSeedSameSamples) {
    SetUp({{1, 2, 3}, {2, 3, 5}}, 300, 8);
    sim.CalcInput();
    const std::vector<double> first(sim.X[1], sim.X[2] + 301);
    SetUp({{1, 2, 3}, {2, 3, 5}}, 300, 8);
    sim.CalcInput();
    EXPECT_EQ(std::vector<double>(sim.X[1], sim.X[2] + 301), first);
}

TEST_F(Simulation, SampleStatisticsOfKnownColumns) {
    SetUp({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, 5);
    const double rows[4][5] = {{1, 2, 3, 4, 5}, {2, 4, 6, 8, 10}, {7, 7, 7, 7, 7}, {5, 3, 4, 2, 1}};
    for (int i = 1; i <= 4; ++i)
        for (int j = 1; j <= 5; ++j)
            sim.X[i][j] = rows[i - 1][j - 1];
    sim.calcStat();

    EXPECT_EQ(sim.XMean[1], 3.0);
    EXPECT_EQ(sim.XMean[3], 7.0);
    EXPECT_EQ(sim.XMin[4], 1.0);
    EXPECT_EQ(sim.XMax[4], 5.0);
    EXPECT_EQ(sim.XVC[1][1], 2.5);
    EXPECT_EQ(sim.XVC[1][2], 5.0);
    EXPECT_EQ(sim.XVC[2][1], 5.0);
    EXPECT_EQ(sim.XVC[2][2], 10.0);
    EXPECT_EQ(sim.XVC[1][4], -2.25);
    EXPECT_EQ(sim.XVC[3][3], 0.0);
    EXPECT_DOUBLE_EQ(sim.XR[1][2], 1.0);
    EXPECT_DOUBLE_EQ(sim.XR[4][1], -0.9);
    EXPECT_EQ(sim.XR[3][1], 0.0) << "a constant variable correlates 0";
    EXPECT_EQ(sim.XR[3][3], 1.0);
    EXPECT_DOUBLE_EQ(sim.XSD[1], std::sqrt(2.5));
    EXPECT_EQ(sim.XSD[3], 0.0);
    for (int i = 1; i <= 4; ++i)
        for (int j = 1; j <= 5; ++j)
            EXPECT_EQ(sim.X[i][j], rows[i - 1][j - 1]) << "X unchanged";
}

// The covariances are sums in iteration order, so they equal the plain loop exactly, whatever
// the sizes do to the blocks and tiles inside.
TEST_F(Simulation, CovariancesEqualThePlainSums) {
    for (int count : {1, 5, 13}) {
        for (int n : {2, 77}) {
            SetUp(std::vector<std::array<double, 3>>(static_cast<std::size_t>(count), {0, 0, 0}),
                  n);
            std::mt19937 gen(static_cast<unsigned>(count * 100 + n));
            std::uniform_real_distribution<double> value(-50, 150);
            for (int i = 1; i <= count; ++i)
                for (int j = 1; j <= n; ++j)
                    sim.X[i][j] = value(gen);
            sim.calcStat();
            for (int p = 1; p <= count; ++p) {
                double sum = 0.0;
                for (int j = 1; j <= n; ++j)
                    sum += sim.X[p][j];
                ASSERT_EQ(sim.XMean[p], sum / n);
                for (int q = p; q <= count; ++q) {
                    double products = 0.0;
                    for (int j = 1; j <= n; ++j)
                        products += (sim.X[p][j] - sim.XMean[p]) * (sim.X[q][j] - sim.XMean[q]);
                    ASSERT_EQ(sim.XVC[p][q], products / (n - 1)) << count << " " << n;
                    ASSERT_EQ(sim.XVC[q][p], sim.XVC[p][q]);
                }
            }
        }
    }
}

// The sampler and the statistics share their loops with a helper thread. Whatever the sizes do
// to the shares (a split inside a tile, row groups of four and their remainder, uneven pair
// blocks), a shared draw is the unshared one bit for bit, and progress still ends where it did.
TEST_F(Simulation, SharedLoopsGiveTheSameRunAsOneThread) {
    struct Drawn {
        std::vector<double> x, mean, lo, hi, vc, r;
        double percentDone;
        bool operator==(const Drawn&) const = default;
    };
    for (auto [count, n] : {std::pair{2, 1234}, {14, 1001}, {26, 250}, {9, 2}}) {
        std::vector<std::array<double, 3>> triangles;
        for (int i = 0; i < count; ++i)
            triangles.push_back({1.0 + i, 5.0 + 2 * i, 9.0 + 3 * i});
        auto draw = [&](bool shared) {
            const bool before = SplitEnabled();
            SetSplitEnabled(shared);
            SetUp(triangles, n, 31337);
            const int half = count / 2;
            for (int i = 1; i < half; ++i) {
                sim.setCorrelation(i, i + 1, 0.7);
                sim.setCorrelation(half + i, half + i + 1, -0.4);
            }
            sim.CalcInput();
            SetSplitEnabled(before);
            const double* x = sim.X[1];
            Drawn d{std::vector<double>(x, x + (count + 1) * (n + 1) - (n + 1)),
                    sim.XMean,
                    sim.XMin,
                    sim.XMax,
                    {},
                    {},
                    sim.PercentDone};
            for (int i = 1; i <= count; ++i)
                for (int j = 1; j <= count; ++j) {
                    d.vc.push_back(sim.XVC[i][j]);
                    d.r.push_back(sim.XR[i][j]);
                }
            return d;
        };
        const Drawn alone = draw(false);
        const Drawn shared = draw(true);
        EXPECT_TRUE(shared == alone) << count << " variables, " << n << " iterations";
    }
}

TEST_F(Simulation, OneIterationSkipsTheStatistics) {
    SetUp({{1, 2, 3}, {1, 2, 3}}, 1);
    sim.CalcInput();
    EXPECT_GE(sim.X[1][1], 1.0);
    EXPECT_LE(sim.X[1][1], 3.0);
    EXPECT_EQ(sim.XMean[1], 0.0);
    EXPECT_EQ(sim.SmartIndex, 6) << "both statistics ticks still taken";
}

TEST_F(Simulation, CalcYStoresTheScenarioResultsOnly) {
    const int n = 2000;
    SetUp({{0, 0, 0}, {0, 0, 0}}, n);
    sim.CMCol = 3;
    sim.GMCol = 5;
    sim.ScenarioNo = 3;
    for (int s = 1; s <= 8; ++s) {
        sim.CMMean[s] = sim.CMStd[s] = sim.GMMean[s] = sim.GMStd[s] = -1.0;
        for (int k = 1; k <= 1000; ++k)
            sim.CM[s][k] = sim.GM[s][k] = -1.0;
    }
    std::vector<double> shuffled(n);
    std::iota(shuffled.begin(), shuffled.end(), 1.0);
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(3));
    for (int j = 1; j <= n; ++j) {
        sim.Y[1][j] = 1e9 + (j % 2); // a large mean with a small spread
        sim.Y[3][j] = shuffled[j - 1];
        sim.Y[5][j] = 7.0;
    }
    sim.CalcY();

    EXPECT_EQ(sim.YMean[1], 1e9 + 0.5);
    EXPECT_DOUBLE_EQ(sim.YStd[1], std::sqrt(n * 0.25 / (n - 1)));
    EXPECT_EQ(sim.YMean[3], 1000.5);
    EXPECT_DOUBLE_EQ(sim.YStd[3], std::sqrt(n * (n + 1) / 12.0));
    EXPECT_EQ(sim.YStd[5], 0.0);
    EXPECT_EQ(sim.YMean[2], 0.0);
    EXPECT_EQ(sim.CMMean[3], 1000.5);
    EXPECT_EQ(sim.CMStd[3], sim.YStd[3]);
    EXPECT_EQ(sim.GMMean[3], 7.0);
    EXPECT_EQ(sim.GMStd[3], 0.0);
    for (int k = 1; k <= 1000; ++k) {
        ASSERT_EQ(sim.CM[3][k], 2.0 * k - 0.5) << "mean of outcomes 2k-1 and 2k";
        ASSERT_EQ(sim.GM[3][k], 7.0);
    }
    for (int s : {1, 2, 4, 8}) {
        EXPECT_EQ(sim.CMMean[s], -1.0);
        EXPECT_EQ(sim.GMStd[s], -1.0);
        EXPECT_EQ(sim.CM[s][500], -1.0);
        EXPECT_EQ(sim.GM[s][1000], -1.0);
    }
    sim.ScenarioNo = 9;
    EXPECT_THROW(sim.CalcY(), std::out_of_range);
}

TEST_F(Simulation, CurveOfOneThousandIsTheSortedOutcomes) {
    const int n = 1000;
    SetUp({{0, 0, 0}, {0, 0, 0}}, n);
    sim.CMCol = 3;
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> value(-1e5, 1e5);
    std::vector<double> outcomes(n);
    for (double& v : outcomes)
        v = value(gen);
    outcomes[10] = -0.0;
    outcomes[11] = 0.0;
    outcomes[12] = outcomes[13]; // ties
    outcomes[14] = -1e-300;
    for (int j = 1; j <= n; ++j)
        sim.Y[3][j] = outcomes[j - 1];
    sim.CalcY();
    std::sort(outcomes.begin(), outcomes.end());
    for (int k = 1; k <= n; ++k)
        ASSERT_EQ(sim.CM[1][k], outcomes[k - 1]) << k;
    EXPECT_EQ(sim.CM[1][1], outcomes.front());
    EXPECT_EQ(sim.CM[1][1000], outcomes.back());
}

TEST_F(Simulation, CurveNeedsWholeThousands) {
    SetUp({{0, 0, 0}, {0, 0, 0}}, 1500);
    sim.CMCol = 3;
    for (int j = 1; j <= 1500; ++j)
        sim.Y[3][j] = j;
    sim.CalcY();
    EXPECT_EQ(sim.CMMean[1], 750.5);
    EXPECT_EQ(sim.CM[1][1], 0.0);
    EXPECT_EQ(sim.CM[1][1000], 0.0);
}

TEST_F(Simulation, ProgressRepaintsOnlyWhenTheWholePercentGrows) {
    sim.Setup(2, 10, 5); // first tick at 5000
    display.repaints.clear();
    struct Step {
        std::uint32_t at;
        double done;
        int shown;
        const char* panel;
        bool repaint;
    };
    const Step steps[] = {
        {5000, 0.055, 5, "", true},             // 0 ms shows an empty panel
        {5100, 0.0599, 5, "", false},           // same whole percent
        {6234, 0.07, 7, "1,234", true},         // grouped thousands
        {6300, 0.03, 7, "1,234", false},        // never goes down
        {1239967, 2.5, 100, "1,234,967", true}, // capped at 100
    };
    for (const Step& s : steps) {
        const std::size_t before = display.repaints.size();
        now = s.at;
        sim.PercentDone = s.done;
        sim.UpdateProgress();
        EXPECT_EQ(display.percent, s.shown) << s.at;
        EXPECT_EQ(display.panelText, s.panel) << s.at;
        EXPECT_EQ(display.repaints.size(), before + (s.repaint ? 1 : 0)) << s.at;
    }
    EXPECT_EQ(sim.PercentDone, 1.0);
}

TEST_F(Simulation, AWholeRunRepaintsAtMostOncePerPercent) {
    SetUp({{1, 2, 3}, {2, 3, 4}, {1, 5, 6}, {3, 4, 9}}, 10000, 12);
    sim.CMCol = 3;
    sim.GMCol = 5;
    sim.setCorrelation(1, 2, 0.5);
    sim.CalcInput();
    for (int j = 1; j <= sim.N; ++j) {
        for (int r = 1; r <= 5; ++r)
            sim.Y[r][j] = sim.X[1][j] * r;
        sim.PercentDone += sim.GetSmartShare() / sim.N;
        sim.UpdateProgress();
    }
    sim.AddSmartTick();
    sim.CalcY();
    sim.PercentDone = 1.0;
    sim.UpdateProgress();
    sim.AddSmartTick();
    EXPECT_EQ(sim.SmartIndex, 9);

    ASSERT_FALSE(display.repaints.empty());
    EXPECT_LE(display.repaints.size(), 102u); // the reset to 0 and at most 100 steps up
    EXPECT_EQ(display.repaints.front().percent, 0);
    for (std::size_t i = 1; i < display.repaints.size(); ++i)
        EXPECT_GT(display.repaints[i].percent, display.repaints[i - 1].percent);
    EXPECT_EQ(display.repaints.back().percent, 100);
    // Phases 1 to 7 were reported in full before the last step.
    EXPECT_GE(display.repaints[display.repaints.size() - 2].percent, 99);
}

TEST_F(Simulation, SharesLearnTheMeasuredPhaseLengths) {
    const std::array<double, 11> start = sim.SmartShare;
    EXPECT_EQ(start[1], 0.019811691);
    EXPECT_EQ(start[8], 0.001961554);
    EXPECT_EQ(start[9], 0.0);

    // Phases of 1, 2, ..., 8 seconds, with the tick counter wrapping on the way.
    now = 0xFFFFFFFFu - 10000u;
    sim.SmartIndex = 0;
    sim.AddSmartTick();
    for (std::uint32_t k = 1; k <= 8; ++k) {
        now += 1000u * k;
        sim.AddSmartTick();
    }
    sim.UpdateSmartShare();
    EXPECT_EQ(sim.SmartIndex, 8);
    for (int k = 1; k <= 8; ++k)
        EXPECT_DOUBLE_EQ(sim.SmartShare[k], (start[k] + k / 36.0) / 2) << k;
    EXPECT_DOUBLE_EQ(sim.SmartShare[8], (0.001961554 + 8.0 / 36.0) / 2);
    EXPECT_EQ(sim.SmartShare[9], 0.0);

    // A run that took no measurable time teaches nothing.
    const std::array<double, 11> learnt = sim.SmartShare;
    sim.SmartIndex = 0;
    for (int k = 0; k <= 8; ++k)
        sim.AddSmartTick();
    sim.UpdateSmartShare();
    EXPECT_EQ(sim.SmartShare, learnt);
}

TEST_F(Simulation, CountTimeShowsSecondsSinceSetup) {
    sim.Setup(2, 10, 5);
    EXPECT_EQ(sim.CountTime("Time"), "Time:  0.000 seconds");
    now += 2345;
    EXPECT_EQ(sim.CountTime("Time"), "Time:  2.345 seconds");
    now += 10000000;
    EXPECT_EQ(sim.CountTime("Run"), "Run: 10002.345 seconds");
}

} // namespace
} // namespace acremark
