#include "ui/comparison_export.h"

#include "budget/comparison_grid.h"
#include "data/field_text.h"
#include "sim/risk_simulation.h"
#include "ui/comparison_grid_view.h"

#include <charconv>
#include <cmath>

namespace acremark {

namespace {

QString Number(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, int(r.ptr - buf));
}

QString Quoted(const QString& field) {
    if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) &&
        !field.contains(QLatin1Char('\n')) && !field.contains(QLatin1Char('\r')))
        return field;
    QString q = field;
    q.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

} // namespace

std::vector<QStringList> ComparisonTable(const TComparisonGrid& grid, const TRiskSimulation& sim,
                                         const ComparisonRunInfos& runs,
                                         const ComparisonDescriptions& descriptions) {
    std::vector<QStringList> table;
    QStringList names{QStringLiteral("Description")};
    for (int s = 1; s <= 8; ++s)
        names << descriptions[size_t(s)];
    table.push_back(names);
    QStringList head{QString()};
    for (int s = 1; s <= 8; ++s)
        head << QString::fromStdString(grid.Cell(s, 0));
    head << QStringLiteral("Target");
    for (int s = 1; s <= 8; ++s)
        head << QStringLiteral("Scenario %1 value").arg(s);
    table.push_back(head);

    const char dec = grid.separators.decimal.empty() ? '.' : grid.separators.decimal.front();
    for (int row = 3; row <= 12; ++row) {
        QStringList line{JoinSentence(LabelSentence(row, grid.Cell(0, row), grid.separators))};
        for (int s = 1; s <= 8; ++s)
            line << QString::fromStdString(grid.Cell(s, row));
        std::optional<double> target;
        if (row == 9)
            target = 0;
        else if (row > 9)
            target = ParseDouble(grid.Cell(0, row), dec);
        line << (target ? Number(*target) : QString());
        for (int s = 1; s <= 8; ++s) {
            std::optional<double> v;
            const auto cm = sim.CMMean[size_t(s)], cmsd = sim.CMStd[size_t(s)];
            const auto gm = sim.GMMean[size_t(s)], gmsd = sim.GMStd[size_t(s)];
            if (grid.HasResults(s) && !grid.Cell(s, row).empty()) {
                switch (row) {
                case 3:
                    v = cm;
                    break;
                case 4:
                    v = cmsd;
                    break;
                case 5:
                    if (cm != 0) v = cmsd / cm * 100;
                    break;
                case 6:
                    v = gm;
                    break;
                case 7:
                    v = gmsd;
                    break;
                case 8:
                    if (gm != 0) v = gmsd / gm * 100;
                    break;
                case 12:
                    if (target) v = TComparisonGrid::MarginAtChance(sim.GM[s], *target);
                    break;
                default:
                    if (target) v = TComparisonGrid::ChanceBelow(sim.GM[s], *target);
                    break;
                }
            }
            line << (v ? Number(*v) : QString());
        }
        table.push_back(line);
    }

    bool anyRun = false;
    for (int s = 1; s <= 8; ++s)
        anyRun = anyRun || runs[size_t(s)].has_value();
    if (anyRun) {
        QStringList iterations{QStringLiteral("Iterations")}, seeds{QStringLiteral("Seed")};
        for (int s = 1; s <= 8; ++s) {
            const auto& r = runs[size_t(s)];
            iterations << (r ? QString::number(r->iterations) : QString());
            seeds << (r ? QString::number(r->seed) : QString());
        }
        table.push_back(iterations);
        table.push_back(seeds);
    }
    return table;
}

QString ComparisonCsv(const std::vector<QStringList>& table) {
    QString out;
    for (const auto& line : table) {
        QStringList fields;
        for (const auto& f : line)
            fields << Quoted(f);
        out += fields.join(QLatin1Char(',')) + QLatin1String("\r\n");
    }
    return out;
}

QString ComparisonTabText(const std::vector<QStringList>& table) {
    QString out;
    for (const auto& line : table)
        out += line.join(QLatin1Char('\t')) + QLatin1Char('\n');
    return out;
}

} // namespace acremark
