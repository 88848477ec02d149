#pragma once
// The comparison grid as a table for the clipboard and for CSV files: the scenarios'
// descriptions, rows 3 to 12 with their labels and every scenario's text as the window shows
// it, then the unrounded numbers behind them, and the iteration count and seed of each
// scenario's run when the window knows them.

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace acremark {

class TComparisonGrid;
class TRiskSimulation;

struct ComparisonRunInfo {
    int iterations = 0;
    std::uint32_t seed = 0;
};
using ComparisonRunInfos = std::array<std::optional<ComparisonRunInfo>, 9>; // index 1..8
using ComparisonDescriptions = std::array<QString, 9>;                      // index 1..8

// First line: "Description" and the eight scenarios' descriptions, so exported columns carry
// the plans' names. Then "", "Scenario 1".."Scenario 8", "Target", "Scenario 1 value"..
// "Scenario 8 value".
// Then rows 3..12: the label as shown (rows 9..12 as their sentences), the eight cell texts,
// the target as a number (rows 9..12) and each scenario's number (empty where its cell is
// empty, where the coefficient's mean is 0, or while the row's target is not a number). Last,
// when any run is known, the lines "Iterations" and "Seed" under the scenario texts. Numbers
// are written with "." and the fewest digits that read back to the same double.
std::vector<QStringList> ComparisonTable(const TComparisonGrid& grid, const TRiskSimulation& sim,
                                         const ComparisonRunInfos& runs,
                                         const ComparisonDescriptions& descriptions);

// As CSV (comma separated, quoted where needed, CRLF line ends) and as tab separated text.
QString ComparisonCsv(const std::vector<QStringList>& table);
QString ComparisonTabText(const std::vector<QStringList>& table);

} // namespace acremark
