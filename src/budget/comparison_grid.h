#pragma once
// The scenario comparison grid as a model: 9 columns (labels and targets, then scenarios 1..8)
// and 13 rows. Column 0 holds text (the labels and the three typed targets); a scenario's cells
// are the numbers of its result, which this grid fills and keeps up to date: a run fills rows
// 3..12, and the targets (rows 10 to 12) re-evaluate every scenario's risk lines when they
// change. Every text shown, printed or exported comes from GridCellText and RowSentence.

#include "budget/scenario_result.h"
#include "data/number_format.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace acremark {

// A scenario cell's text: rows 3, 4, 6, 7 and 12 as money, 5 and 8 as a coefficient of
// variation, 9 to 11 as a chance; "" for none.
std::string GridCellText(GridRow row, std::optional<double> value, const NumberSeparators& sep);

// One piece of a row's label sentence and how it is coloured.
struct SentencePart {
    enum Tone { Normal, Black, Red, Green };
    std::string text;
    Tone tone = Normal;
};
// What column 0 of rows 9..12 shows in place of the bare target, left to right ("The chance of
// GM below " "$20,000" " is:"). Other rows: the label as one normal part. A target that is not
// a number (text still being typed) is shown as typed.
std::vector<SentencePart> RowSentenceParts(GridRow row, const std::string& label,
                                           const NumberSeparators& sep);
std::string RowSentence(GridRow row, const std::string& label, const NumberSeparators& sep);

class TComparisonGrid {
public:
    static constexpr int kCols = 9, kRows = kGridRows;

    // The scenarios' results, which the grid's figures belong to; they must outlive the grid.
    explicit TComparisonGrid(ScenarioResults& results);

    // Column 0's text of a row (a label, or a typed target).
    const std::string& Label(int row) const { return labels_[size_t(row)]; }
    // A scenario's number in a row; none for an empty cell.
    std::optional<double> Value(int s, GridRow row) const {
        return results_[size_t(s)].grid[size_t(Row(row))];
    }
    // Any cell as the grid shows it: column 0's text, row 0's headings, the figures of rows 3..12
    // (row 2, the descriptions, is shown beside the grid).
    std::string Cell(int col, int row) const;
    // A scenario has results when its row 3 holds a number.
    bool HasResults(int s) const { return results_[size_t(s)].HasResults(); }

    // The unrounded risk lines of a gross margin curve p (entries 0..1000): the chance in per
    // cent of a margin below v, and the margin below which it falls with chance v per cent (a
    // negative chance counts as 0, one of 100 or more as the highest block).
    static double ChanceBelow(const double* p, double v);
    static double MarginAtChance(const double* p, double v);

    // The three typed targets (rows 10, 11, 12) as numbers; the first that is not a number
    // gives its row.
    struct Targets {
        double t10 = 0, t11 = 0, t12 = 0;
    };
    std::optional<Targets> ReadTargets(int* badRow = nullptr) const;
    // A message naming a target row that does not hold a number.
    static std::string BadTargetMessage(int row, const std::string& text);

    // Rows 3..12 of a result's column from its means, its gross margin curve and the targets.
    static void FillColumn(ScenarioResult& r, const Targets& t);

    // Typing into a target cell (column 0, rows 10..12). The text is kept; when it is neither
    // empty, nor "-", nor ".", it is read as a number and every scenario's row is re-evaluated.
    // Returns the conversion's message when the text is not a number (no figure changes).
    std::optional<std::string> SetTargetText(int row, const std::string& text);

    // Clearing all scenarios: every result emptied; the targets stay as typed.
    void ClearAll();

    NumberSeparators separators; // the locale's; "." and "," by default

private:
    ScenarioResults& results_;
    std::array<std::string, kRows> labels_;
};

} // namespace acremark
