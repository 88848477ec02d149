#include "budget/comparison_grid.h"

#include "data/field_text.h"

#include <cmath>

namespace acremark {

std::string GridCellText(GridRow row, std::optional<double> value, const NumberSeparators& sep) {
    if (!value) return "";
    switch (row) {
    case GridRow::CMVariation:
    case GridRow::GMVariation:
        return FormatFloat("###.00%", *value, sep);
    case GridRow::ChanceBelowZero:
    case GridRow::ChanceBelowTarget1:
    case GridRow::ChanceBelowTarget2:
        return FormatFloat("0.00%", *value, sep);
    default:
        return FormatFloat("$#,##0", *value, sep);
    }
}

std::vector<SentencePart> RowSentenceParts(GridRow row, const std::string& label,
                                           const NumberSeparators& sep) {
    const auto v = ParseDouble(label, DecimalChar(sep));
    switch (row) {
    case GridRow::ChanceBelowZero:
        return {{"The chance of Gross Margin below $0 is:", SentencePart::Green}};
    case GridRow::ChanceBelowTarget1:
    case GridRow::ChanceBelowTarget2:
        return {{"The chance of GM below ", SentencePart::Black},
                {v ? FormatFloat("$#,##0", *v, sep) : label, SentencePart::Red},
                {" is:", SentencePart::Normal}};
    case GridRow::MarginAtChance:
        return {{"There is a ", SentencePart::Black},
                {(v ? FormatFloat("0", *v, sep) : label) + "%", SentencePart::Red},
                {" chance of a GM below:", SentencePart::Normal}};
    default:
        return {{label, SentencePart::Normal}};
    }
}

std::string RowSentence(GridRow row, const std::string& label, const NumberSeparators& sep) {
    std::string s;
    for (const auto& p : RowSentenceParts(row, label, sep))
        s += p.text;
    return s;
}

TComparisonGrid::TComparisonGrid(ScenarioResults& results) : results_(results) {
    labels_ = {"",
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
}

std::string TComparisonGrid::Cell(int col, int row) const {
    if (col == 0) return labels_[size_t(row)];
    if (row == Row(GridRow::Heading)) return "Scenario " + std::to_string(col);
    return GridCellText(GridRow(row), Value(col, GridRow(row)), separators);
}

double TComparisonGrid::ChanceBelow(const double* p, double v) {
    if (v <= p[1]) return 0;
    for (int i = 2; i <= kCurvePoints; ++i)
        if (v < p[i]) return (i - (p[i] - v) / (p[i] - p[i - 1])) / 10;
    return 100;
}

double TComparisonGrid::MarginAtChance(const double* p, double v) {
    double x = v * 10;
    if (!(x > 0)) x = 0;
    if (x > kCurvePoints) x = kCurvePoints;
    const int index = int(std::trunc(x));
    return index < kCurvePoints ? p[index] + (x - index) * (p[index + 1] - p[index])
                                : p[kCurvePoints];
}

std::optional<TComparisonGrid::Targets> TComparisonGrid::ReadTargets(int* badRow) const {
    Targets t;
    double* slots[3] = {&t.t10, &t.t11, &t.t12};
    for (int row = Row(GridRow::ChanceBelowTarget1); row <= Row(GridRow::MarginAtChance); ++row) {
        auto v = ParseDouble(labels_[size_t(row)], DecimalChar(separators));
        if (!v) {
            if (badRow) *badRow = row;
            return std::nullopt;
        }
        *slots[row - Row(GridRow::ChanceBelowTarget1)] = *v;
    }
    return t;
}

std::string TComparisonGrid::BadTargetMessage(int row, const std::string& text) {
    static const char* names[] = {"first dollar target", "second dollar target", "chance target"};
    return "The " + std::string(names[row - Row(GridRow::ChanceBelowTarget1)]) +
           " of the scenario comparison (row " + std::to_string(row) + ") is not a number: '" +
           text + "'";
}

void TComparisonGrid::FillColumn(ScenarioResult& r, const Targets& t) {
    auto& col = r.grid;
    col.fill(std::nullopt);
    col[size_t(Row(GridRow::CMMean))] = r.cmMean;
    col[size_t(Row(GridRow::CMStd))] = r.cmStd;
    // A zero mean has no coefficient of variation: the cell stays empty.
    if (r.cmMean != 0) col[size_t(Row(GridRow::CMVariation))] = r.cmStd / r.cmMean * 100;
    col[size_t(Row(GridRow::GMMean))] = r.gmMean;
    col[size_t(Row(GridRow::GMStd))] = r.gmStd;
    if (r.gmMean != 0) col[size_t(Row(GridRow::GMVariation))] = r.gmStd / r.gmMean * 100;
    const double* p = r.gmCurve.data();
    col[size_t(Row(GridRow::ChanceBelowZero))] = ChanceBelow(p, 0);
    col[size_t(Row(GridRow::ChanceBelowTarget1))] = ChanceBelow(p, t.t10);
    col[size_t(Row(GridRow::ChanceBelowTarget2))] = ChanceBelow(p, t.t11);
    col[size_t(Row(GridRow::MarginAtChance))] = MarginAtChance(p, t.t12);
}

std::optional<std::string> TComparisonGrid::SetTargetText(int row, const std::string& text) {
    if (row < Row(GridRow::ChanceBelowTarget1) || row > Row(GridRow::MarginAtChance))
        return std::nullopt;
    labels_[size_t(row)] = text;
    if (text.empty() || text == "-" || text == ".") return std::nullopt;
    auto v = ParseDouble(text, DecimalChar(separators));
    if (!v) return "'" + text + "' is not a valid floating point value";
    for (int s = 1; s <= kScenarioCount; ++s) {
        ScenarioResult& r = results_[size_t(s)];
        if (!r.HasResults()) continue;
        r.grid[size_t(row)] = row == Row(GridRow::MarginAtChance)
                                  ? MarginAtChance(r.gmCurve.data(), *v)
                                  : ChanceBelow(r.gmCurve.data(), *v);
    }
    return std::nullopt;
}

void TComparisonGrid::ClearAll() {
    for (int s = 1; s <= kScenarioCount; ++s)
        results_[size_t(s)] = ScenarioResult{};
}

} // namespace acremark
