#pragma once
// A triangular distribution read from the three numbers a user types for an uncertain input:
// the worst, the most likely and the best value. Samples are drawn by inverting its cumulative
// function, so the constants of that inversion are kept ready.

#include <cmath>

namespace acremark {

class TRiskSimulation;

class TTriangle {
public:
    // All numbers are 0 until SetValue. The triangle refers to its owner and never frees it.
    TTriangle(TRiskSimulation* parent, int id) : parent_(parent), id(id) {}

    // Replaces all three values and recomputes everything derived from them.
    void SetValue(double low, double likely, double high);

    // The value whose cumulative probability is u (0 <= u <= 1). Needs low <= likely <= high;
    // the run checks that before it builds its triangles. u = cp goes to the upper branch.
    double Quantile(double u) const {
        if (u >= cp_) return high - std::sqrt((1.0 - u) * tempHigh_);
        return low + std::sqrt(u * tempLow_);
    }

    TRiskSimulation* Parent() const { return parent_; }
    // Inversion constants: the density at the mode, the cumulative probability at the mode,
    // (likely - low)(high - low) and (high - low)(high - likely).
    double Height() const { return height_; }
    double Cp() const { return cp_; }
    double TempLow() const { return tempLow_; }
    double TempHigh() const { return tempHigh_; }

private:
    TRiskSimulation* parent_;
    double height_ = 0.0;
    double cp_ = 0.0;
    double tempLow_ = 0.0;
    double tempHigh_ = 0.0;

public:
    // Read by callers. id is the row of the owner's sample matrix this triangle feeds, from 1.
    int id;
    double low = 0.0;
    double likely = 0.0;
    double high = 0.0;
    double mean = 0.0;
    double vars = 0.0; // variance
    double stdev = 0.0;
};

} // namespace acremark
