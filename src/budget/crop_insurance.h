#pragma once
// Crop insurance arithmetic: the premium per acre and the payment per acre in one iteration.

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
double IndemnityPerAcre(const InsuranceTerms& t, double y, double h);

} // namespace acremark
