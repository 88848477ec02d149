#pragma once
// The enterprise summary: per scenario, 31 lines of the whole-farm budget that a run fills and
// the summary report prints, with the 27 labelled rows in which they are presented.

#include "data/field_record.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace acremark {

class TScenarioSummary {
public:
    static constexpr int kLines = 31;
    static constexpr int kRows = 27;
    static constexpr int kTotalAcresLine = 30;
    using Record = std::array<double, kLines>;

    // One presented row: section mark, number and label, and the line it shows.
    struct Row {
        const char* mark;
        const char* number;
        const char* label;
        int line;
        bool amount; // rows 1..24: a farm total and a per-acre value; else a percentage
    };
    static const std::array<Row, kRows>& Rows();

    TScenarioSummary();

    // Zeroes the scenario's lines and fills them from the run: the fields' acres and cost lines,
    // the means and standard deviations of output rows 1..5 (index 1..5), and the comparison
    // grid's row 9 text of the scenario ("12.35%").
    void Fill(int scenario, const std::vector<FieldRecord>& fields,
              const std::array<double, 6>& yMean, const std::array<double, 6>& yStd,
              std::string_view row9Text, char decimalSeparator = '.');

    const Record& Lines(int scenario) const { return records_[size_t(scenario)]; }
    bool IsEmpty(int scenario) const { return records_[size_t(scenario)][kTotalAcresLine] == 0; }
    // Clearing all scenarios: line 30 of each becomes 0, which empties it.
    void ClearAll();

private:
    std::array<Record, 9> records_{}; // index 1..8
};

} // namespace acremark
