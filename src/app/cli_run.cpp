// acremark-cli run and compare: a scenario file's scenarios run as the window runs them.
#include "app/cli_run.h"

#include "app/cli_json.h"
#include "app/cli_reference.h"
#include "budget/run_reference.h"
#include "data/cp1252.h"
#include "data/field_text.h"
#include "data/number_format.h"
#include "data/risk_data.h"
#include "sim/parallel.h"
#include "sim/progress_display.h"

#include <QJsonArray>
#include <QJsonObject>
#include <chrono>
#include <cstdio>
#include <iomanip>
#include <ostream>
#include <span>
#include <unistd.h>

namespace acremark {

namespace {

// A progress bar on stderr, drawn only when stderr is a terminal.
class StderrProgress : public TProgressDisplay {
public:
    int Percent() const override { return percent_; }
    void SetPercent(int p) override { percent_ = p; }
    void SetPanelText(int, const std::string&) override {}
    void Repaint() override {
        const int width = 40, filled = percent_ * width / 100;
        std::fprintf(stderr, "\r[%s%s] %3d %%", std::string(size_t(filled), '#').c_str(),
                     std::string(size_t(width - filled), ' ').c_str(), percent_);
        if (percent_ >= 100) std::fprintf(stderr, "\r%*s\r", width + 8, "");
        std::fflush(stderr);
    }

private:
    int percent_ = 0;
};

TProgressDisplay* Progress() {
    static StderrProgress bar;
    return isatty(2) ? &bar : nullptr;
}

QJsonArray Numbers(const double* v, int from, int to) {
    QJsonArray a;
    for (int i = from; i <= to; ++i)
        a.append(v[i]);
    return a;
}

int ScenarioOption(const CliContext& ctx) {
    if (!ctx.parser.isSet("scenario")) return 1;
    bool ok = false;
    int s = ctx.parser.value("scenario").toInt(&ok);
    if (!ok || s < 1 || s > kScenarioCount) throw CliError("--scenario takes a number from 1 to 8");
    return s;
}

int CmdRun(CliContext& ctx) {
    if (ctx.args.size() != 1) throw CliError("Usage: acremark-cli run FILE.crs [options]");
    CliFarm farm = OpenFarm(ctx, ctx.args[0]);
    const CliRunOptions options(ctx);
    const int s = ScenarioOption(ctx);
    CliResults results;
    ApplyTargets(results, options);
    std::vector<FieldRecord> fields;
    // Repeats measure the run warm: every repeat takes the first run's seed, so all give the
    // same figures, and the output is the last one's.
    CliRunOptions each = options;
    QJsonArray elapsedAll;
    double firstElapsed = 0;
    RunOutcome o;
    for (int k = 0; k < options.repeat; ++k) {
        o = RunScenario(farm, results, s, each, fields);
        if (o.refused) throw CliError(o.message);
        if (k == 0) firstElapsed = o.elapsedMs;
        each.seed = o.seed;
        elapsedAll.append(o.elapsedMs);
    }

    const TRiskSimulation& sim = results.main;
    QJsonObject out;
    out["scenario"] = s;
    out["iterations"] = options.iterations;
    out["seed"] = qint64(o.seed);
    QJsonArray fa;
    for (const auto& r : fields) {
        QJsonObject f;
        f["field_id"] = r.AsInteger(fFieldID);
        f["cm"] = ToJson(r.Get(fCM));
        f["cmsd"] = ToJson(r.Get(fCMSD));
        f["gm"] = ToJson(r.Get(fGM));
        f["gmsd"] = ToJson(r.Get(fGMSD));
        fa.append(f);
    }
    out["fields"] = fa;
    QJsonObject outputs;
    outputs["mean"] = Numbers(sim.YMean.data(), 1, 5);
    outputs["std"] = Numbers(sim.YStd.data(), 1, 5);
    out["outputs"] = outputs;
    out["cm_mean"] = sim.CMMean[size_t(s)];
    out["cm_std"] = sim.CMStd[size_t(s)];
    out["gm_mean"] = sim.GMMean[size_t(s)];
    out["gm_std"] = sim.GMStd[size_t(s)];
    out["cm_curve"] = Numbers(sim.CM[s], 1, 1000);
    out["gm_curve"] = Numbers(sim.GM[s], 1, 1000);
    QJsonObject grid;
    for (int row = 3; row <= 12; ++row) {
        const std::string& text = results.grid.Cell(s, row);
        grid[QString::number(row)] = text.empty() ? QJsonValue() : QJsonValue(Q(text));
    }
    out["grid"] = grid;
    out["summary"] = Numbers(results.summary.Lines(s).data(), 0, TScenarioSummary::kLines - 1);
    out["elapsed_ms"] = firstElapsed;
    if (options.repeat > 1) out["elapsed_ms_all"] = elapsedAll;
    out["load_ms"] = farm.loadMs;
    PrintJson(ctx.out, out);
    return 0;
}

// Column 0 as the window draws it: rows 9 to 12 as sentences around the targets.
std::string RowLabel(const TComparisonGrid& g, int row) {
    const std::string& t = g.Cell(0, row);
    auto num = ParseDouble(t);
    switch (row) {
    case 9:
        return "The chance of Gross Margin below $0 is:";
    case 10:
    case 11:
        return "The chance of GM below " + (num ? FormatFloat("$#,##0", *num) : t) + " is:";
    case 12:
        return "There is a " + (num ? FormatFloat("0", *num) : t) + "% chance of a GM below:";
    default:
        return t;
    }
}

std::string CsvField(const std::string& s) {
    if (s.find_first_of(",\"\n") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s)
        q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

int CmdCompare(CliContext& ctx) {
    if (ctx.args.size() != 1) throw CliError("Usage: acremark-cli compare FILE.crs [options]");
    CliFarm farm = OpenFarm(ctx, ctx.args[0]);
    const CliRunOptions options(ctx);
    CliResults results;
    ApplyTargets(results, options);
    RunAllScenarios(farm, results, options);

    std::vector<std::vector<std::string>> table;
    for (int row = 0; row < TComparisonGrid::kRows; ++row) {
        if (row == 1) continue; // the hairline under the headings
        std::vector<std::string> line{RowLabel(results.grid, row)};
        for (int s = 1; s <= kScenarioCount; ++s)
            line.push_back(row == 2 ? farm.dm.ScenarioDescriptions[size_t(s - 1)]
                                    : results.grid.Cell(s, row));
        table.push_back(std::move(line));
    }
    if (ctx.parser.isSet("csv")) {
        for (const auto& line : table) {
            for (size_t c = 0; c < line.size(); ++c)
                ctx.out << (c ? "," : "") << CsvField(line[c]);
            ctx.out << "\n";
        }
        return 0;
    }
    std::vector<size_t> width(table[0].size(), 0);
    for (const auto& line : table)
        for (size_t c = 0; c < line.size(); ++c)
            width[c] = std::max(width[c], Utf8Length(line[c]));
    for (const auto& line : table) {
        std::string text;
        for (size_t c = 0; c < line.size(); ++c) {
            const std::string pad(width[c] - Utf8Length(line[c]), ' ');
            // Labels left-aligned, figures right-aligned as the grid shows them.
            text += c == 0 ? line[c] + pad : "  " + pad + line[c];
        }
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        ctx.out << text << "\n";
    }
    return 0;
}

const CliCommand run("run",
                     "run FILE.crs [--scenario S] [--iterations N] [--seed SEED] "
                     "[--targets T10,T11,T12]\n"
                     "                             runs one scenario; results as JSON",
                     CmdRun);
const CliCommand compare("compare",
                         "compare FILE.crs [--iterations N] [--seed SEED] [--targets ...] "
                         "[--csv]\n"
                         "                             runs every scenario; the comparison grid",
                         CmdCompare);

} // namespace

CliRunOptions::CliRunOptions(const CliContext& ctx) {
    if (ctx.parser.isSet("iterations")) {
        bool ok = false;
        iterations = ctx.parser.value("iterations").toInt(&ok);
        // The result curves are 1000 blocks of the sorted outcomes; a run keeps every sample of
        // every field in memory, so the count is bounded (a million: about 0.5 GB for 32 fields).
        if (!ok || iterations < 1000 || iterations > kMaxIterations || iterations % 1000 != 0)
            throw CliError("--iterations takes a multiple of 1000 from 1000 to 1000000 (the "
                           "window offers 1000, 5000 and 10000)");
    }
    if (ctx.parser.isSet("seed")) {
        bool ok = false;
        qulonglong v = ctx.parser.value("seed").toULongLong(&ok);
        if (!ok || v > 0xFFFFFFFFull) throw CliError("--seed takes a number from 0 to 4294967295");
        seed = uint32_t(v);
    }
    if (ctx.parser.isSet("targets")) targets = ctx.parser.value("targets");
    if (ctx.parser.isSet("threads")) {
        bool ok = false;
        const int threads = ctx.parser.value("threads").toInt(&ok);
        if (!ok || threads < 1 || threads > 256)
            throw CliError("--threads takes a number from 1 to 256 (1: no helper thread)");
        SetSplitEnabled(threads > 1);
    }
    if (ctx.parser.isSet("repeat")) {
        bool ok = false;
        repeat = ctx.parser.value("repeat").toInt(&ok);
        if (!ok || repeat < 1 || repeat > 10000)
            throw CliError("--repeat takes a number from 1 to 10000");
    }
}

void ApplyTargets(CliResults& results, const CliRunOptions& options) {
    if (!options.targets) return;
    QStringList parts = options.targets->split(',');
    if (parts.size() != 3) throw CliError("--targets takes three values: T10,T11,T12");
    for (int i = 0; i < 3; ++i)
        results.grid.SetTargetText(results.main, 10 + i, parts[i].trimmed().toStdString());
}

CliFarm OpenFarm(CliContext& ctx, const QString& file) {
    CliFarm farm;
    const auto started = std::chrono::steady_clock::now();
    farm.reference = LoadReferenceTables(ctx.dataOption);
    farm.loadMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    QByteArray bytes = ReadWholeFile(file);
    const auto& crops = farm.reference->cdsCrops;
    ScenarioFileContent c;
    try {
        c = TRiskData::Parse(
            std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())),
            [&crops](int code) {
                const TCropRow* row = crops.Find(code);
                return row ? row->Unit : std::string();
            });
    } catch (const ScenarioFileError& e) {
        throw CliError(e.what());
    }
    farm.dm.DataModuleCreate(farm.reference);
    farm.dm.cdsRisk = std::move(c.fields);
    farm.dm.SoilZoneIndex = c.soilZoneIndex;
    farm.dm.RiskAreaIndex = c.riskAreaIndex;
    farm.dm.LocationCode = c.locationCode.value_or(0);
    farm.dm.ScenarioDescriptions = c.descriptions;
    // A known land location gives the risk area, as the window's location rule does.
    farm.riskAreaIndex = c.riskAreaIndex[0];
    if (c.locationCode)
        if (auto area = farm.reference->cdsTRWRA.RiskArea(*c.locationCode))
            farm.riskAreaIndex = *area - 1;
    return farm;
}

RunOutcome RunScenario(CliFarm& farm, CliResults& results, int scenario,
                       const CliRunOptions& options, std::vector<FieldRecord>& fields) {
    fields.clear();
    for (int k = 1; k <= kMaxFields; ++k) {
        const FieldRecord* r = farm.dm.cdsRisk.Locate(scenario, k);
        if (!r) break;
        fields.push_back(*r);
    }
    RunRequest req;
    req.scenario = scenario;
    req.fields = &fields;
    for (size_t k = 1; k <= fields.size(); ++k)
        req.headers.push_back("Field # " + std::to_string(k));
    req.riskAreaIndex = farm.riskAreaIndex;
    req.iterations = options.iterations;
    req.seed = options.seed;
    results.main.StatusBar = results.second.StatusBar = Progress();
    RunContext rc{results.main,    results.second, results.malt, results.grid,
                  results.summary, nullptr,        &results.runs};
    const RunReference ref = MakeRunReference(*farm.reference);
    return RunSimulation(req, ref, rc);
}

void RunAllScenarios(CliFarm& farm, CliResults& results, const CliRunOptions& options) {
    for (int s = 1; s <= kScenarioCount; ++s) {
        if (!farm.dm.cdsRisk.HasScenario(s)) continue;
        std::vector<FieldRecord> fields;
        RunOutcome o = RunScenario(farm, results, s, options, fields);
        if (o.refused) throw CliError(o.message);
    }
}

} // namespace acremark
