#pragma once
// The enterprise summary: 31 lines of the whole-farm budget that a run of a scenario works out
// (kept in its result) and the summary report prints, with the 27 labelled rows in which they
// are presented.

#include "budget/scenario_result.h"
#include "data/field_record.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace acremark {

class TScenarioSummary {
public:
    static constexpr int kLines = kSummaryLines;
    static constexpr int kRows = 27;
    static constexpr int kTotalAcresLine = 30;
    using Record = SummaryLines;

    // One presented row: section mark, number and label, and the line it shows.
    struct Row {
        const char* mark;
        const char* number;
        const char* label;
        int line;
        bool amount; // rows 1..24: a farm total and a per-acre value; else a percentage
    };
    static const std::array<Row, kRows>& Rows();

    // The lines of a run: the fields' acres and cost lines, the means and standard deviations
    // of output rows 1..5 (index 1..5), and the chance of a gross margin below 0 as the grid
    // shows it (per cent, two decimals).
    static Record Fill(const std::vector<FieldRecord>& fields, const std::array<double, 6>& yMean,
                       const std::array<double, 6>& yStd, std::optional<double> chanceBelowZero);

    // A summary without acres (no run, or cleared) is empty.
    static bool IsEmpty(const Record& lines) { return lines[kTotalAcresLine] == 0; }
};

} // namespace acremark
