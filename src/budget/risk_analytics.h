#pragma once
// Decision analytics on the iterations of a run: certainty equivalents under negative
// exponential utility (a ranking that accounts for the farmer's aversion to risk), the
// red/yellow/green chances of missing the targets, which field drives the spread of the gross
// margin, and how precise each figure of a run is.

#include "budget/scenario_result.h"

#include <array>
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace acremark {

// The certainty equivalent of outcomes x[0..n) at absolute risk aversion r:
// CE(r) = -(1/r) ln(mean of exp(-r x)), CE(0) = the mean. Computed about the smallest outcome,
// so that exp never overflows whatever the size of the margins.
double CertaintyEquivalent(const double* x, std::size_t n, double r);

// The certainty equivalents of x[0..n) at each coefficient of r.
std::vector<double> CertaintyEquivalents(const double* x, std::size_t n,
                                         const std::vector<double>& r);

// `points` coefficients evenly spaced from 0 to rMax (both included).
std::vector<double> AversionCoefficients(double rMax, int points = 25);

// The default upper coefficient: 4 / the largest |mean| of the scenarios' gross margins (0
// when every mean is 0).
double DefaultAversionMax(const std::vector<double>& means);

// Scenarios ordered best first by their certainty equivalents at one coefficient (ties keep the
// given order).
std::vector<int> RankAt(const std::vector<int>& scenarios, const std::vector<double>& ce);

// The chances (0..1) of a gross margin below the lower target (red), between the targets
// (yellow) and at or above the upper (green), from a gross margin curve of 1000 points
// (entries 1..1000), taken as the comparison grid takes its chances.
struct Stoplight {
    double red = 0, yellow = 0, green = 0;
};
Stoplight StoplightOf(const double* curve, double target1, double target2);

// Pearson correlation of x and y over n iterations; 0 when either does not vary.
double Correlation(const double* x, const double* y, std::size_t n);

// Monte Carlo standard errors of a chance p (0..1) and of a mean whose outcomes have standard
// deviation sd, from n iterations.
double ChanceStandardError(double p, std::size_t n);
double MeanStandardError(double sd, std::size_t n);

// The five farm outputs of every iteration as CSV: a header block of "# name,value" lines (the
// scenario, iteration count, seed, program version), a column heading, then one line per
// iteration with the values as round-trip doubles. rows[k] is output k + 1 over iterations.
void WriteIterationsCsv(std::ostream& out,
                        const std::vector<std::pair<std::string, std::string>>& header,
                        const std::array<std::vector<double>, 5>& rows);

// The iterations of a run as that CSV, its header block naming the scenario, the iterations,
// the seed and `program`. The result must hold its iterations.
void WriteIterationsCsv(std::ostream& out, const ScenarioResult& result,
                        const std::string& program);

} // namespace acremark
