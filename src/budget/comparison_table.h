#pragma once
// The comparison grid as a table for the clipboard, CSV files and the command line: the
// scenarios' descriptions, rows 3 to 12 with their sentences and every scenario's text as the
// window shows it, then the unrounded numbers behind them, and the iteration count and seed of
// each scenario's run. One writer turns such a table into delimited text.

#include "budget/comparison_grid.h"

#include <array>
#include <string>
#include <vector>

namespace acremark {

using TextTable = std::vector<std::vector<std::string>>;
using ScenarioDescriptions = std::array<std::string, kScenarioCount + 1>; // index 1..8

// First line: "Description" and the eight scenarios' descriptions, so exported columns carry
// the plans' names. Then "", "Scenario 1".."Scenario 8", "Target", "Scenario 1 value"..
// "Scenario 8 value".
// Then rows 3..12: the row's sentence, the eight cell texts, the target as a number (rows
// 9..12) and each scenario's number (empty where its cell is empty, where the coefficient's mean
// is 0, or while the row's target is not a number). Last, when any scenario has run, the lines
// "Iterations" and "Seed" under the scenario texts. Numbers are written with "." and the fewest
// digits that read back to the same double.
TextTable ComparisonTable(const TComparisonGrid& grid, const ScenarioResults& results,
                          const ScenarioDescriptions& descriptions);

// Fields separated by `delimiter` (',' for CSV, '\t' for the clipboard), lines ended by CRLF; a
// field holding the delimiter, a quote, a CR or a LF is quoted, its quotes doubled (RFC 4180).
std::string DelimitedText(const TextTable& table, char delimiter);

} // namespace acremark
