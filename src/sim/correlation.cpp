#include "sim/correlation.h"

#include <cmath>

#include "sim/random.h"
#include "sim/vector_clones.h"

namespace acremark {

bool FactorBlock(const TMatrix& target, TMatrix& factor, int s, int e) {
    bool definite = true;
    for (int i = s; i <= e; ++i) {
        double* li = factor[i];
        double length2 = 0.0;
        for (int k = s; k < i; ++k)
            length2 += li[k] * li[k];
        const double diagonal = target[i][i];
        const double d = diagonal - length2;
        if (d > kPivotFloor) {
            const double pivot = std::sqrt(d);
            li[i] = pivot;
            for (int j = i + 1; j <= e; ++j) {
                double* lj = factor[j];
                double dot = 0.0;
                for (int k = s; k < i; ++k)
                    dot += lj[k] * li[k];
                lj[i] = (target[j][i] - dot) / pivot;
            }
            continue;
        }
        definite = false;
        li[i] = 0.0;
        for (int j = i + 1; j <= e; ++j)
            factor[j][i] = 0.0;
        if (length2 > diagonal) {
            const double scale = diagonal > 0.0 ? std::sqrt(diagonal / length2) : 0.0;
            for (int k = s; k < i; ++k)
                li[k] *= scale;
        }
    }
    return definite;
}

namespace {

// out[i] = tri.Quantile(CumNormal(z[i])) for the whole tile, bit for bit: the same operations
// written so that the compiler runs them on several values at once.
inline void ScoresToValues(const double* z, int count, const TTriangle& tri, double* out) {
    const double low = tri.low;
    const double high = tri.high;
    const double cp = tri.Cp();
    const double tempLow = tri.TempLow();
    const double tempHigh = tri.TempHigh();
    for (int i = 0; i < count; ++i) {
        const double u = CumNormal(z[i]);
        const bool upper = u >= cp;
        const double root = std::sqrt(upper ? (1.0 - u) * tempHigh : u * tempLow);
        out[i] = upper ? high - root : low + root;
    }
}

} // namespace

ACREMARK_VECTOR_CLONES
void CorrelateTile(const TMatrix& factor, int s, int e, const std::vector<TTriangle>& triangles,
                   TMatrix& x, int first, int count) {
    double z[kCorrelateTile];
    // Row k needs the deviates of rows s..k only, so walking the rows downwards lets each row
    // be overwritten in place while the rows above it still hold their deviates.
    for (int k = e; k >= s; --k) {
        const double* lk = factor[k];
        {
            const double a = lk[s];
            const double* xl = x[s] + first;
            for (int t = 0; t < count; ++t)
                z[t] = a * xl[t];
        }
        // Four terms per pass over the tile, still added one after the other in increasing l,
        // so z keeps the exact value of the plain sum with a quarter of the loads and stores.
        int l = s + 1;
        for (; l + 3 <= k; l += 4) {
            const double a0 = lk[l], a1 = lk[l + 1], a2 = lk[l + 2], a3 = lk[l + 3];
            const double* x0 = x[l] + first;
            const double* x1 = x[l + 1] + first;
            const double* x2 = x[l + 2] + first;
            const double* x3 = x[l + 3] + first;
            for (int t = 0; t < count; ++t)
                z[t] = (((z[t] + a0 * x0[t]) + a1 * x1[t]) + a2 * x2[t]) + a3 * x3[t];
        }
        for (; l <= k; ++l) {
            const double a = lk[l];
            const double* xl = x[l] + first;
            for (int t = 0; t < count; ++t)
                z[t] += a * xl[t];
        }
        const TTriangle& tri = triangles[static_cast<std::size_t>(k) - 1];
        ScoresToValues(z, count, tri, x[k] + first);
    }
}

} // namespace acremark
