#include "sim/triangle.h"

namespace acremark {

void TTriangle::SetValue(double low, double likely, double high) {
    this->low = low;
    this->likely = likely;
    this->high = high;

    // A degenerate triangle (one value) must not divide by zero; its cp comes out 0, so every
    // draw takes the upper branch and returns high.
    double range = high - low;
    if (range == 0.0) range = 1e-10;
    height_ = 2.0 / range;
    cp_ = (likely - low) / range;
    tempLow_ = (likely - low) * (high - low);
    tempHigh_ = (high - low) * (high - likely);

    mean = (low + likely + high) / 3.0;
    // (low^2 + likely^2 + high^2 - low*likely - low*high - likely*high) / 18, written as half
    // the sum of squared pairwise differences: the same number, but it cannot come out as a
    // tiny negative through cancellation when the three values are large and close together.
    const double a = low - likely;
    const double b = low - high;
    const double c = likely - high;
    vars = (a * a + b * b + c * c) / 36.0;
    stdev = std::sqrt(vars);
}

} // namespace acremark
