#include "budget/comparison_grid.h"

#include "budget/scenario_summary.h"
#include "data/field_text.h"
#include "sim/risk_simulation.h"

#include <cmath>

namespace acremark {

TComparisonGrid::TComparisonGrid() {
    static const char* labels[kRows] = {"",
                                        "",
                                        "Description",
                                        "Expected Contribution Margin",
                                        "Standard Deviation of CM",
                                        "Coefficient of Variation of CM",
                                        "Expected Gross Margin",
                                        "Standard Deviation of GM",
                                        "Coefficient of Variation of GM",
                                        "0",
                                        "20000",
                                        "10000",
                                        "10"};
    for (int r = 0; r < kRows; ++r)
        cells_[0][size_t(r)] = labels[r];
    for (int s = 1; s <= 8; ++s)
        cells_[size_t(s)][0] = "Scenario " + std::to_string(s);
}

double TComparisonGrid::ChanceBelow(const double* p, double v) {
    if (v <= p[1]) return 0;
    for (int i = 2; i <= 1000; ++i)
        if (v < p[i]) return (i - (p[i] - v) / (p[i] - p[i - 1])) / 10;
    return 100;
}

double TComparisonGrid::MarginAtChance(const double* p, double v) {
    double x = v * 10;
    if (!(x > 0)) x = 0;
    if (x > 1000) x = 1000;
    const int index = int(std::trunc(x));
    return index < 1000 ? p[index] + (x - index) * (p[index + 1] - p[index]) : p[1000];
}

void TComparisonGrid::UpdateBreakeven(const TRiskSimulation& sim, int sno, int iRow, double v) {
    if (!HasResults(sno)) return;
    cells_[size_t(sno)][size_t(iRow)] =
        FormatFloat("0.00%", ChanceBelow(sim.GM[sno], v), separators);
}

void TComparisonGrid::UpdateBreakeven2(const TRiskSimulation& sim, int sno, int iRow, double v) {
    if (!HasResults(sno)) return;
    cells_[size_t(sno)][size_t(iRow)] =
        FormatFloat("$#,##0", MarginAtChance(sim.GM[sno], v), separators);
}

std::optional<TComparisonGrid::Targets> TComparisonGrid::ReadTargets(int* badRow) const {
    Targets t;
    double* slots[3] = {&t.t10, &t.t11, &t.t12};
    for (int row = 10; row <= 12; ++row) {
        auto v = ParseDouble(cells_[0][size_t(row)],
                             separators.decimal.empty() ? '.' : separators.decimal.front());
        if (!v) {
            if (badRow) *badRow = row;
            return std::nullopt;
        }
        *slots[row - 10] = *v;
    }
    return t;
}

std::string TComparisonGrid::BadTargetMessage(int row, const std::string& text) {
    static const char* names[] = {"first dollar target", "second dollar target", "chance target"};
    return "The " + std::string(names[row - 10]) + " of the scenario comparison (row " +
           std::to_string(row) + ") is not a number: '" + text + "'";
}

void TComparisonGrid::FillScenario(const TRiskSimulation& sim, int s, const Targets& t) {
    auto& col = cells_[size_t(s)];
    col[3] = FormatFloat("$#,##0", sim.CMMean[size_t(s)], separators);
    col[4] = FormatFloat("$#,##0", sim.CMStd[size_t(s)], separators);
    if (sim.CMMean[size_t(s)] != 0)
        col[5] =
            FormatFloat("###.00%", sim.CMStd[size_t(s)] / sim.CMMean[size_t(s)] * 100, separators);
    col[6] = FormatFloat("$#,##0", sim.GMMean[size_t(s)], separators);
    col[7] = FormatFloat("$#,##0", sim.GMStd[size_t(s)], separators);
    if (sim.GMMean[size_t(s)] != 0)
        col[8] =
            FormatFloat("###.00%", sim.GMStd[size_t(s)] / sim.GMMean[size_t(s)] * 100, separators);
    UpdateBreakeven(sim, s, 9, 0);
    UpdateBreakeven(sim, s, 10, t.t10);
    UpdateBreakeven(sim, s, 11, t.t11);
    UpdateBreakeven2(sim, s, 12, t.t12);
}

std::optional<std::string> TComparisonGrid::SetTargetText(const TRiskSimulation& sim, int row,
                                                          const std::string& text) {
    if (row < 10 || row > 12) return std::nullopt;
    cells_[0][size_t(row)] = text;
    if (text.empty() || text == "-" || text == ".") return std::nullopt;
    auto v = ParseDouble(text, separators.decimal.empty() ? '.' : separators.decimal.front());
    if (!v) return "'" + text + "' is not a valid floating point value";
    for (int s = 1; s <= 8; ++s) {
        if (row == 12)
            UpdateBreakeven2(sim, s, row, *v);
        else
            UpdateBreakeven(sim, s, row, *v);
    }
    return std::nullopt;
}

void TComparisonGrid::ClearAll(TRiskSimulation& sim, TScenarioSummary& summary) {
    for (int s = 1; s <= 8; ++s) {
        for (int r = 1; r < kRows; ++r)
            cells_[size_t(s)][size_t(r)].clear();
        if (s < int(sim.CMMean.size())) {
            sim.CMMean[size_t(s)] = sim.CMStd[size_t(s)] = 0;
            sim.GMMean[size_t(s)] = sim.GMStd[size_t(s)] = 0;
        }
        if (s <= sim.CM.Rows()) {
            sim.CM[s][1] = sim.CM[s][1000] = 0;
            sim.GM[s][1] = sim.GM[s][1000] = 0;
        }
    }
    summary.ClearAll();
}

} // namespace acremark
