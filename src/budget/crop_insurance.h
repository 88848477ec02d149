#pragma once
// Crop insurance arithmetic: the premium per acre and the payment per acre in one iteration.

#include <algorithm>
#include <optional>

namespace acremark {

// Coverage fraction of a coverage level code: 1..4 give 0.5, 0.6, 0.7, 0.8; others have none.
std::optional<double> CoverageFraction(int coverageLevel);

// Premium per acre (line B4): spring price × (base coverage × coverage fraction) × rate, where
// rate is the rate column's value / 10000. A level outside 1..4 has no premium.
double PremiumPerAcre(double springPrice, double baseCoverage, int coverageLevel, double rate);

// What an insured field's payment depends on besides the iteration's crop yield and price.
struct InsuranceTerms {
    double G = 0;         // guaranteed production per acre: base coverage × coverage fraction
    double g = 0;         // spring price
    double F = 0;         // floor price
    bool spe = false;     // spring price endorsement taken
    bool covered = false; // a coverage level 1..4: otherwise nothing is paid
};

// Payment per acre for the crop's acre-weighted yield y and price h in one iteration.
// Inline: the run calls it for every insured field in every iteration.
inline double IndemnityPerAcre(const InsuranceTerms& t, double y, double h) {
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
