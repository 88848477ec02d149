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

double IndemnityPerAcre(const InsuranceTerms& t, double y, double h) {
    if (!t.covered) return 0.0;
    const double g = t.g, G = t.G, F = t.F;
    const double S = std::max(G - y, 0.0);
    const double Q = std::min(G, y);
    const double Pup = h < 1.1 * g ? g : (h < 1.5 * g ? h : 1.5 * g);
    const double P1 = S * g;
    const double P2 = (Pup - g) * S;
    double payment = P1 + P2;
    if (t.spe) {
        const double Pdn = h <= 0.5 * g ? 0.5 * g : (h <= 0.9 * g ? h : 0.9 * g);
        const double P3 = (0.9 * g - Pdn) * Q;
        const double D1 = F >= h ? std::max((F - h) * Q - P3, 0.0) : 0.0;
        const double D2 = F >= Pup ? (F - Pup) * S : 0.0;
        const double P4 = 0.7 * (D1 + D2);
        payment = payment + P3 + P4;
    }
    return payment;
}

} // namespace acremark
