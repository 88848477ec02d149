#pragma once
// The scenario comparison grid as a model: 9 columns (labels and targets, then scenarios 1..8)
// and 13 rows of text. A run fills its scenario's column; the three targets in column 0 (rows
// 10 to 12) re-evaluate every scenario's risk lines when they change.

#include "data/number_format.h"

#include <array>
#include <optional>
#include <string>

namespace acremark {

class TRiskSimulation;
class TScenarioSummary;

class TComparisonGrid {
public:
    static constexpr int kCols = 9, kRows = 13;

    TComparisonGrid();

    const std::string& Cell(int col, int row) const { return cells_[size_t(col)][size_t(row)]; }
    // A scenario has results when its row 3 is not empty.
    bool HasResults(int s) const { return !cells_[size_t(s)][3].empty(); }

    // The unrounded risk lines of a gross margin curve p (entries 0..1000): the chance in per
    // cent of a margin below v, and the margin below which it falls with chance v per cent (a
    // negative chance counts as 0, one of 100 or more as the highest block).
    static double ChanceBelow(const double* p, double v);
    static double MarginAtChance(const double* p, double v);

    // Chance (per cent, "0.00%") that scenario sno's gross margin is below v, into row iRow.
    void UpdateBreakeven(const TRiskSimulation& sim, int sno, int iRow, double v);
    // Gross margin ("$#,##0") below which scenario sno falls with chance v per cent, into iRow.
    void UpdateBreakeven2(const TRiskSimulation& sim, int sno, int iRow, double v);

    // The three typed targets (rows 10, 11, 12) as numbers; the first that is not a number
    // gives its row.
    struct Targets {
        double t10 = 0, t11 = 0, t12 = 0;
    };
    std::optional<Targets> ReadTargets(int* badRow = nullptr) const;
    // A message naming a target row that does not hold a number.
    static std::string BadTargetMessage(int row, const std::string& text);

    // Rows 3..12 of scenario s from the simulation object's results and the targets.
    void FillScenario(const TRiskSimulation& sim, int s, const Targets& t);

    // Typing into a target cell (column 0, rows 10..12). The text is kept; when it is neither
    // empty, nor "-", nor ".", it is read as a number and every scenario's row is re-evaluated.
    // Returns the conversion's message when the text is not a number (no figure changes).
    std::optional<std::string> SetTargetText(const TRiskSimulation& sim, int row,
                                             const std::string& text);

    // Clearing all scenarios: columns 1..8 rows 1..12 emptied; the simulation object's means,
    // standard deviations and curve ends zeroed; every enterprise summary emptied.
    void ClearAll(TRiskSimulation& sim, TScenarioSummary& summary);

    NumberSeparators separators; // the locale's; "." and "," by default

private:
    std::array<std::array<std::string, kRows>, kCols> cells_;
};

} // namespace acremark
