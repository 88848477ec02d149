#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "sim/correlation.h"

namespace acremark {
namespace {

using Rows = std::vector<std::vector<double>>;

// A target matrix of size n with the given block written at rows/columns s.., lower triangle
// and diagonal from `block`, and garbage above the diagonal, which the factorization must not
// read.
TMatrix Target(int n, int s, const Rows& block) {
    TMatrix a(n, n);
    for (int i = 1; i <= n; ++i)
        for (int j = i + 1; j <= n; ++j)
            a[i][j] = 999.0;
    for (std::size_t i = 0; i < block.size(); ++i)
        for (std::size_t j = 0; j <= i; ++j)
            a[s + static_cast<int>(i)][s + static_cast<int>(j)] = block[i][j];
    return a;
}

double Product(const TMatrix& l, int s, int i, int j) {
    double sum = 0.0;
    for (int k = s; k <= std::min(i, j); ++k)
        sum += l[i][k] * l[j][k];
    return sum;
}

TEST(FactorBlock, PositiveDefiniteBlockIsTheCholeskyFactor) {
    const Rows block = {{1.0}, {0.6, 1.0}, {0.3, 0.5, 1.0}, {-0.2, 0.1, 0.4, 1.0}};
    const TMatrix a = Target(6, 3, block);
    TMatrix l(6, 6);
    l[1][1] = l[2][1] = l[2][2] = 7.0; // the other block's factor stays as it is
    EXPECT_TRUE(FactorBlock(a, l, 3, 6));
    for (int i = 3; i <= 6; ++i) {
        EXPECT_GT(l[i][i], 0.0);
        for (int j = 3; j <= i; ++j)
            EXPECT_NEAR(Product(l, 3, i, j), a[i][j], 1e-14) << i << j;
        for (int j = i + 1; j <= 6; ++j)
            EXPECT_EQ(l[i][j], 0.0) << "above the diagonal";
    }
    EXPECT_EQ(l[1][1], 7.0);
    EXPECT_EQ(l[2][1], 7.0);
    EXPECT_EQ(l[3][1], 0.0);
    EXPECT_EQ(l[3][2], 0.0);
}

// Targets where a pivot is not positive: the factor goes on past that row.
TEST(FactorBlock, SemiDefiniteTargetsAreReproducedAndLaterRowsKeepTheirOwnDeviates) {
    struct Case {
        const char* name;
        Rows block;
        int flatRow; // the row whose pivot is zero (counted from 1)
    };
    const Case cases[] = {
        {"two fields of one crop first", {{1.0}, {1.0, 1.0}, {0.5, 0.5, 1.0}}, 2},
        {"two fields of one crop last", {{1.0}, {0.4, 1.0}, {0.4, 1.0, 1.0}}, 3},
        {"repeated crop between others",
         {{1.0}, {0.3, 1.0}, {0.3, 1.0, 1.0}, {0.2, 0.6, 0.6, 1.0}},
         3},
        {"a zero diagonal entry first", {{0.0}, {0.5, 1.0}, {0.5, 0.3, 1.0}}, 1},
    };
    for (const Case& c : cases) {
        const int n = static_cast<int>(c.block.size());
        const TMatrix a = Target(n, 1, c.block);
        TMatrix l(n, n);
        EXPECT_FALSE(FactorBlock(a, l, 1, n)) << c.name;
        EXPECT_EQ(l[c.flatRow][c.flatRow], 0.0) << c.name;
        for (int i = 1; i <= n; ++i) {
            if (i != c.flatRow) {
                EXPECT_GT(l[i][i], 0.0) << c.name << " row " << i;
            }
            for (int j = 1; j <= i; ++j) {
                // A zero diagonal entry cannot be paired with anything: its row is zero.
                const double want = (c.block[0][0] == 0.0 && j == 1) ? 0.0 : a[i][j];
                EXPECT_NEAR(Product(l, 1, i, j), want, 1e-12) << c.name << " " << i << j;
            }
        }
    }
}

TEST(FactorBlock, RowsOfAnInconsistentTargetAreScaledToTheirDiagonal) {
    // Not positive semi-definite: 1 and 2 move together, 1 and 3 too, but 2 and 3 oppositely.
    const Rows block = {{1.0}, {0.9, 1.0}, {0.9, -0.9, 1.0}};
    const TMatrix a = Target(3, 1, block);
    TMatrix l(3, 3);
    EXPECT_FALSE(FactorBlock(a, l, 1, 3));
    EXPECT_NEAR(Product(l, 1, 1, 1), 1.0, 1e-15);
    EXPECT_NEAR(Product(l, 1, 2, 2), 1.0, 1e-15);
    EXPECT_EQ(l[3][3], 0.0);
    EXPECT_NEAR(Product(l, 1, 3, 3), 1.0, 1e-12) << "variance of the score stays 1";

    // A negative diagonal entry leaves nothing to scale to.
    const TMatrix b = Target(2, 1, {{1.0}, {0.5, -0.3}});
    TMatrix m(2, 2);
    EXPECT_FALSE(FactorBlock(b, m, 1, 2));
    EXPECT_EQ(m[2][1], 0.0);
    EXPECT_EQ(m[2][2], 0.0);
}

TEST(FactorBlock, OverwritesAnEarlierFactor) {
    const Rows block = {{1.0}, {1.0, 1.0}, {0.5, 0.5, 1.0}};
    const TMatrix a = Target(3, 1, block);
    TMatrix fresh(3, 3);
    FactorBlock(a, fresh, 1, 3);
    TMatrix stale(3, 3);
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= i; ++j)
            stale[i][j] = 5.0;
    FactorBlock(a, stale, 1, 3);
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= i; ++j)
            EXPECT_EQ(stale[i][j], fresh[i][j]) << i << j;
}

} // namespace
} // namespace acremark
