#include "budget/risk_analytics.h"

#include "budget/comparison_grid.h"
#include "data/value.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace acremark {

double CertaintyEquivalent(const double* x, std::size_t n, double r) {
    if (n == 0) return 0;
    if (r == 0) {
        double sum = 0;
        for (std::size_t j = 0; j < n; ++j)
            sum += x[j];
        return sum / double(n);
    }
    // CE = m - (1/r) ln(mean exp(-r (x - m))) with m the smallest outcome (r > 0) or the
    // largest (r < 0): every exponent is then at most 0, so no term overflows, and the term of
    // m itself is 1, so the logarithm's argument never underflows to 0.
    const double m = r > 0 ? *std::min_element(x, x + n) : *std::max_element(x, x + n);
    double sum = 0;
    for (std::size_t j = 0; j < n; ++j)
        sum += std::exp(-r * (x[j] - m));
    return m - std::log(sum / double(n)) / r;
}

std::vector<double> CertaintyEquivalents(const double* x, std::size_t n,
                                         const std::vector<double>& r) {
    std::vector<double> ce;
    ce.reserve(r.size());
    for (double coefficient : r)
        ce.push_back(CertaintyEquivalent(x, n, coefficient));
    return ce;
}

std::vector<double> AversionCoefficients(double rMax, int points) {
    std::vector<double> r(std::size_t(std::max(points, 1)), 0.0);
    for (int k = 1; k < points; ++k)
        r[std::size_t(k)] = rMax * k / (points - 1);
    return r;
}

double DefaultAversionMax(const std::vector<double>& means) {
    double largest = 0;
    for (double m : means)
        largest = std::max(largest, std::fabs(m));
    return largest > 0 ? 4 / largest : 0;
}

std::vector<int> RankAt(const std::vector<int>& scenarios, const std::vector<double>& ce) {
    std::vector<std::size_t> order(scenarios.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return ce[a] > ce[b]; });
    std::vector<int> out;
    for (std::size_t i : order)
        out.push_back(scenarios[i]);
    return out;
}

Stoplight StoplightOf(const double* curve, double target1, double target2) {
    const double lo = std::min(target1, target2), hi = std::max(target1, target2);
    const double belowLo = TComparisonGrid::ChanceBelow(curve, lo) / 100;
    const double belowHi = TComparisonGrid::ChanceBelow(curve, hi) / 100;
    Stoplight s;
    s.red = belowLo;
    s.yellow = std::max(0.0, belowHi - belowLo);
    s.green = 1 - s.red - s.yellow;
    return s;
}

double Correlation(const double* x, const double* y, std::size_t n) {
    if (n < 2) return 0;
    double mx = 0, my = 0;
    for (std::size_t j = 0; j < n; ++j)
        mx += x[j], my += y[j];
    mx /= double(n), my /= double(n);
    double sxy = 0, sxx = 0, syy = 0;
    for (std::size_t j = 0; j < n; ++j) {
        const double dx = x[j] - mx, dy = y[j] - my;
        sxy += dx * dy, sxx += dx * dx, syy += dy * dy;
    }
    if (sxx <= 0 || syy <= 0) return 0;
    return std::clamp(sxy / std::sqrt(sxx * syy), -1.0, 1.0);
}

double ChanceStandardError(double p, std::size_t n) {
    if (n == 0) return 0;
    p = std::clamp(p, 0.0, 1.0);
    return std::sqrt(p * (1 - p) / double(n));
}

double MeanStandardError(double sd, std::size_t n) {
    return n == 0 ? 0 : sd / std::sqrt(double(n));
}

void WriteIterationsCsv(std::ostream& out,
                        const std::vector<std::pair<std::string, std::string>>& header,
                        const std::array<std::vector<double>, 5>& rows) {
    for (const auto& [name, value] : header)
        out << "# " << name << "," << value << "\r\n";
    out << "iteration,market_revenue,insurance_payments,contribution_margin,"
           "land_owner_share,gross_margin\r\n";
    const std::size_t n = rows[0].size();
    for (std::size_t j = 0; j < n; ++j) {
        out << j + 1;
        for (const auto& row : rows)
            out << "," << RoundTripDouble(j < row.size() ? row[j] : 0.0);
        out << "\r\n";
    }
}

void WriteIterationsCsv(std::ostream& out, const ScenarioResult& result,
                        const std::string& program) {
    const IterationOutputs& outputs = *result.outputs;
    const int n = outputs.Iterations();
    std::array<std::vector<double>, 5> rows;
    for (int k = 1; k <= IterationOutputs::kRows; ++k)
        rows[size_t(k - 1)].assign(outputs.Row(k), outputs.Row(k) + n);
    WriteIterationsCsv(out,
                       {{"scenario", std::to_string(result.scenario)},
                        {"iterations", std::to_string(n)},
                        {"seed", std::to_string(result.seed)},
                        {"program", program}},
                       rows);
}

} // namespace acremark
