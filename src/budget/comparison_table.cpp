#include "budget/comparison_table.h"

#include "data/field_text.h"

#include <charconv>

namespace acremark {

namespace {

std::string Number(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string Field(const std::string& field, char delimiter) {
    const char special[] = {delimiter, '"', '\r', '\n', '\0'};
    if (field.find_first_of(special) == std::string::npos) return field;
    std::string q = "\"";
    for (char c : field)
        q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

} // namespace

TextTable ComparisonTable(const TComparisonGrid& grid, const ScenarioResults& results,
                          const ScenarioDescriptions& descriptions) {
    TextTable table;
    std::vector<std::string> names{"Description"};
    for (int s = 1; s <= kScenarioCount; ++s)
        names.push_back(descriptions[size_t(s)]);
    table.push_back(names);
    std::vector<std::string> head{""};
    for (int s = 1; s <= kScenarioCount; ++s)
        head.push_back(grid.Cell(s, Row(GridRow::Heading)));
    head.push_back("Target");
    for (int s = 1; s <= kScenarioCount; ++s)
        head.push_back("Scenario " + std::to_string(s) + " value");
    table.push_back(head);

    for (int row = Row(GridRow::CMMean); row <= Row(GridRow::MarginAtChance); ++row) {
        const GridRow r = GridRow(row);
        std::vector<std::string> line{RowSentence(r, grid.Label(row), grid.separators)};
        for (int s = 1; s <= kScenarioCount; ++s)
            line.push_back(grid.Cell(s, row));
        std::optional<double> target;
        if (r == GridRow::ChanceBelowZero)
            target = 0;
        else if (row > Row(GridRow::ChanceBelowZero))
            target = ParseDouble(grid.Label(row), DecimalChar(grid.separators));
        line.push_back(target ? Number(*target) : "");
        // A risk line's number belongs to its target: none while the target is being typed.
        const bool targetRow = row >= Row(GridRow::ChanceBelowZero);
        for (int s = 1; s <= kScenarioCount; ++s) {
            const auto v = grid.Value(s, r);
            line.push_back(v && (!targetRow || target) ? Number(*v) : "");
        }
        table.push_back(line);
    }

    bool anyRun = false;
    for (int s = 1; s <= kScenarioCount; ++s)
        anyRun = anyRun || results[size_t(s)].ran;
    if (anyRun) {
        std::vector<std::string> iterations{"Iterations"}, seeds{"Seed"};
        for (int s = 1; s <= kScenarioCount; ++s) {
            const ScenarioResult& res = results[size_t(s)];
            iterations.push_back(res.ran ? std::to_string(res.iterations) : "");
            seeds.push_back(res.ran ? std::to_string(res.seed) : "");
        }
        table.push_back(iterations);
        table.push_back(seeds);
    }
    return table;
}

std::string DelimitedText(const TextTable& table, char delimiter) {
    std::string out;
    for (const auto& line : table) {
        for (size_t c = 0; c < line.size(); ++c) {
            if (c) out += delimiter;
            out += Field(line[c], delimiter);
        }
        out += "\r\n";
    }
    return out;
}

} // namespace acremark
