#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "sim/parallel.h"
#include "sim/random.h"

namespace acremark {
namespace {

std::uint32_t Step(std::uint32_t seed) {
    return static_cast<std::uint32_t>((std::uint64_t{seed} * 134775813u + 1u) & 0xFFFFFFFFu);
}
double Uniform(std::uint32_t seed) {
    return seed / 4294967296.0;
}

// The first pair of uniforms after seed, mapped to the square [-1, 1)^2 as the polar method
// does, and whether it is accepted.
struct Pair {
    float v;
    float s;
    bool accepted;
};
Pair FirstPair(std::uint32_t seed) {
    const std::uint32_t a = Step(seed);
    const std::uint32_t b = Step(a);
    const float v = static_cast<float>(2.0 * Uniform(a) - 1.0);
    const double w = 2.0 * Uniform(b) - 1.0;
    const float s = static_cast<float>(double{v} * v + w * w);
    return {v, s, s < 1.0f && s != 0.0f};
}

TEST(RandUniform, FollowsTheCongruentialSequence) {
    SetRandSeed(0);
    EXPECT_EQ(RandUniform(), std::ldexp(1.0, -32));
    EXPECT_EQ(RandSeed(), 1u);
    EXPECT_EQ(RandUniform(), 134775814.0 / 4294967296.0);
    EXPECT_EQ(RandSeed(), 134775814u);

    SetRandSeed(0xFFFFFFFFu); // the product wraps modulo 2^32
    const double u = RandUniform();
    EXPECT_EQ(RandSeed(), Step(0xFFFFFFFFu));
    EXPECT_GE(u, 0.0);
    EXPECT_LT(u, 1.0);
}

TEST(RandNormal, RejectedPairsCostTwoUniformsAndAreDrawnAfresh) {
    // Find a seed whose first pair falls outside the circle and whose second is accepted.
    std::uint32_t seed = 1;
    while (FirstPair(seed).accepted || !FirstPair(Step(Step(seed))).accepted)
        ++seed;
    const std::uint32_t second = Step(Step(seed));
    const Pair used = FirstPair(second);

    SetRandSeed(seed);
    const float z = RandNormal();
    EXPECT_EQ(RandSeed(), Step(Step(second))) << "four uniforms drawn";
    const double sd = used.s;
    EXPECT_EQ(z, static_cast<float>(used.v * std::sqrt(-2.0 * std::log(sd) / sd)));

    // An accepted first pair costs two uniforms; the pair's second deviate is thrown away.
    SetRandSeed(second);
    EXPECT_EQ(RandNormal(), z);
    EXPECT_EQ(RandSeed(), Step(Step(second)));
}

TEST(RandNormal, FillGivesTheSameDrawsAsSingleCalls) {
    for (int n : {0, 1, 255, 256, 1000}) {
        SetRandSeed(424242);
        std::vector<double> filled(static_cast<std::size_t>(n) + 1, -99.0);
        RandNormalFill(filled.data(), n);
        const std::uint32_t after = RandSeed();

        SetRandSeed(424242);
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(filled[i], double{RandNormal()}) << n << " " << i;
        EXPECT_EQ(RandSeed(), after);
        EXPECT_EQ(filled[static_cast<std::size_t>(n)], -99.0) << "wrote past the end";
    }
}

// Rows drawn with the helper are the rows drawn one after the other, with the same final seed,
// wherever the helper starts: at the estimate, exactly where the first rows end, too early or
// too late to be of use (then the rest is drawn here), or not at all.
TEST(RandPolarRows, SameRowsAndSeedAsOneAfterTheOther) {
    struct Case {
        int count, n;
        std::int64_t helperStart; // -1: the estimate; -2: where the first rows end
        bool split;
    };
    const Case cases[] = {
        {64, 1000, -1, true}, {7, 3001, -1, true}, {2, 5000, -2, true}, {4, 4096, -2, true},
        {6, 3000, 0, true},   {6, 3000, 1 << 30, true}, {3, 100, -1, true}, {6, 3000, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " x " << c.n << " from " << c.helperStart);
        const std::uint32_t seed = 977u * static_cast<std::uint32_t>(c.count * c.n);
        const auto size = static_cast<std::size_t>(c.count) * (c.n + 1);
        std::vector<double> alone(size, -1.0), shared(size, -1.0);

        SetRandSeed(seed);
        std::int64_t firstRowsEnd = 0; // candidate pairs taken by the first count / 2 rows
        for (int i = 0; i < c.count; ++i) {
            RandPolarPairs(alone.data() + static_cast<std::size_t>(i) * (c.n + 1), c.n);
            if (i + 1 == c.count / 2)
                for (std::uint32_t s = seed; s != RandSeed(); s = Step(Step(s)))
                    ++firstRowsEnd;
        }
        const std::uint32_t after = RandSeed();

        SetRandSeed(seed);
        std::vector<double*> rows;
        for (int i = 0; i < c.count; ++i)
            rows.push_back(shared.data() + static_cast<std::size_t>(i) * (c.n + 1));
        std::vector<int> done;
        const bool before = SplitEnabled();
        SetSplitEnabled(c.split);
        RandPolarRows(rows.data(), c.count, c.n, [&](int i) { done.push_back(i); },
                      c.helperStart == -2 ? firstRowsEnd : c.helperStart);
        SetSplitEnabled(before);

        EXPECT_EQ(RandSeed(), after);
        EXPECT_TRUE(shared == alone) << "the points differ";
        std::vector<int> inOrder(static_cast<std::size_t>(c.count));
        for (int i = 0; i < c.count; ++i)
            inOrder[static_cast<std::size_t>(i)] = i;
        EXPECT_EQ(done, inOrder);
    }
}

TEST(RandNormal, DeviatesAreStandardNormal) {
    SetRandSeed(12345);
    const int n = 200000;
    double sum = 0.0;
    double squares = 0.0;
    int withinOne = 0;
    for (int i = 0; i < n; ++i) {
        const double z = RandNormal();
        sum += z;
        squares += z * z;
        withinOne += std::fabs(z) < 1.0;
    }
    const double mean = sum / n;
    EXPECT_NEAR(mean, 0.0, 0.01);
    EXPECT_NEAR(squares / n - mean * mean, 1.0, 0.015);
    EXPECT_NEAR(static_cast<double>(withinOne) / n, 0.6827, 0.005);
}

TEST(CumNormal, PublishedValuesAndCutOffs) {
    EXPECT_NEAR(CumNormal(0.0), 0.49999998, 5e-9);
    EXPECT_LT(CumNormal(0.0), 0.5);
    EXPECT_NEAR(CumNormal(1.0), 0.84134473, 5e-9);
    EXPECT_NEAR(CumNormal(-1.0), 0.15865527, 5e-9);
    EXPECT_EQ(CumNormal(60.0), 1.0);
    EXPECT_EQ(CumNormal(-60.0), 0.0);
    EXPECT_EQ(CumNormal(60.5), 1.0);
    EXPECT_EQ(CumNormal(-60.5), 0.0);
    EXPECT_EQ(CumNormal(1e300), 1.0);
    EXPECT_EQ(CumNormal(-1e300), 0.0);
}

// The formula as printed, in long double, returning 1 - p below zero.
double CumNormalLongDouble(double x) {
    if (x > 60) return 1;
    if (x < -60) return 0;
    const long double ax = std::fabs(static_cast<long double>(x));
    const long double t = 1.0L / (1.0L + 0.2316419L * ax);
    const long double p =
        1.0L -
        0.3989423L * std::exp(-ax * ax / 2.0L) * t *
            (0.31938153L +
             t * (-0.356563782L + t * (1.781477937L + t * (-1.821255978L + t * 1.330274429L))));
    return static_cast<double>(x < 0 ? 1.0L - p : p);
}

TEST(CumNormal, MatchesTheFormulaInLongDoubleAndTheTrueDistribution) {
    for (double x = -9.0; x <= 9.0; x += 0.0137) {
        const double ref = CumNormalLongDouble(x);
        EXPECT_NEAR(CumNormal(x), ref, 1e-14 * ref + 1e-19) << x;
        // 7.5e-8 for the series, plus up to 1e-8 from the shortened 1/sqrt(2 pi).
        EXPECT_NEAR(CumNormal(x), 0.5 * std::erfc(-x / std::sqrt(2.0)), 8.5e-8) << x;
    }
}

TEST(ExpNonPositive, WithinOneUnitInTheLastPlace) {
    EXPECT_EQ(ExpNonPositive(0.0), 1.0);
    EXPECT_EQ(ExpNonPositive(-708.5), 0.0);
    EXPECT_EQ(ExpNonPositive(-1800.0), 0.0);
    for (double x = -707.9; x <= 0.0; x += 0.0731) {
        const long double ref = std::exp(static_cast<long double>(x));
        const double ulp = std::nextafter(static_cast<double>(ref), 1.0) - static_cast<double>(ref);
        EXPECT_LE(std::fabs(static_cast<double>(ExpNonPositive(x) - ref)), ulp) << x;
    }
    for (double x = -1e-3; x < -1e-300; x /= 7.0)
        EXPECT_NEAR(ExpNonPositive(x), std::exp(x), 2.3e-16) << x;
}

TEST(ReseedFromClock, ReportsTheSeedItSet) {
    const std::uint32_t seed = ReseedFromClock();
    EXPECT_EQ(RandSeed(), seed);
}

} // namespace
} // namespace acremark
