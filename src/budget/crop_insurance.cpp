#include "budget/crop_insurance.h"

#include <algorithm>

namespace acremark {

std::optional<double> CoverageFraction(int coverageLevel) {
    static constexpr double kFractions[] = {0.5, 0.6, 0.7, 0.8};
    if (coverageLevel < 1 || coverageLevel > 4) return std::nullopt;
    return kFractions[coverageLevel - 1];
}

double PremiumPerAcre(double springPrice, double baseCoverage, int coverageLevel, double rate) {
    auto frac = CoverageFraction(coverageLevel);
    if (!frac) return 0.0;
    return springPrice * (baseCoverage * *frac) * rate;
}

} // namespace acremark
