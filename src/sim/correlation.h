#pragma once
// Correlated sampling by normal scores: independent standard normal deviates are combined by
// the lower-triangular factor of a block's target correlation matrix, and each correlated
// score becomes a probability (CumNormal) and then a value of the variable's triangle. The
// targets are correlations of the normal scores; every variable keeps its own triangle exactly.

#include <vector>

#include "sim/matrix.h"
#include "sim/triangle.h"

namespace acremark {

// Pivots at or below this are taken as zero.
inline constexpr double kPivotFloor = 1e-12;

// Cholesky factorization of rows and columns s..e of target into the same rows of factor. Reads
// the diagonal and the entries below it only, and writes every entry of the factor's lower
// block, diagonal included.
//
// It never stops short. A pivot d <= kPivotFloor means the row adds nothing new (two fields of
// one crop have a price correlation of 1): its diagonal and the column below it become 0 and the
// next row is factored as usual, so every later variable still gets its own deviate. Stopping
// there instead would leave all later rows built from earlier deviates only, with too narrow a
// spread. When such a row is longer than its diagonal entry allows (a target that is not
// positive semi-definite), it is scaled down so that its score's variance equals that entry
// (0 for an entry <= 0). For a positive definite target this is the plain factorization.
//
// Returns whether every pivot was above kPivotFloor.
bool FactorBlock(const TMatrix& target, TMatrix& factor, int s, int e);

// Correlates and transforms iterations first..first+count-1 of rows s..e of x in place:
// x[k][j] <- triangles[k-1].Quantile(CumNormal(sum over l = s..k of factor[k][l] * x[l][j])),
// the sum taken in increasing l. count is at most kCorrelateTile.
inline constexpr int kCorrelateTile = 100;
void CorrelateTile(const TMatrix& factor, int s, int e, const std::vector<TTriangle>& triangles,
                   TMatrix& x, int first, int count);

} // namespace acremark
