// acremark-cli run and compare: a scenario file's scenarios run as the window runs them.
#include "app/cli_run.h"

#include "app/cli_json.h"
#include "app/cli_reference.h"
#include "budget/comparison_table.h"
#include "budget/risk_analytics.h"
#include "budget/run_reference.h"
#include "data/cp1252.h"
#include "data/field_text.h"
#include "data/number_format.h"
#include "data/risk_data.h"
#include "editor/main_session.h"
#include "sim/parallel.h"
#include "sim/progress_display.h"

#include <QJsonArray>
#include <QJsonObject>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
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

// How precise the run's figures are: the standard error of each mean (SD / sqrt N) and of each
// chance of rows 9 to 11 (sqrt(p (1 - p) / N), in per cent).
QJsonObject StandardErrors(const ScenarioResult& r) {
    const size_t N = size_t(r.iterations);
    QJsonObject se;
    se["cm_mean"] = MeanStandardError(r.cmStd, N);
    se["gm_mean"] = MeanStandardError(r.gmStd, N);
    QJsonArray outputs;
    for (int k = 1; k <= 5; ++k)
        outputs.append(MeanStandardError(r.outputStd[size_t(k)], N));
    se["outputs"] = outputs;
    QJsonObject grid;
    for (GridRow row :
         {GridRow::ChanceBelowZero, GridRow::ChanceBelowTarget1, GridRow::ChanceBelowTarget2}) {
        const auto p = r.grid[size_t(Row(row))];
        grid[QString::number(Row(row))] =
            p ? QJsonValue(ChanceStandardError(*p / 100, N) * 100) : QJsonValue();
    }
    se["grid"] = grid;
    return se;
}

// The five farm outputs of every iteration of the run, with what a spreadsheet needs to know.
void WriteIterations(const std::string& path, const ScenarioResult& r) {
    if (!r.outputs) throw CliError("The run kept no iterations");
    std::ofstream file(path, std::ios::binary);
    WriteIterationsCsv(file, r, std::string("Acremark$ ") + ACREMARK_VERSION);
    file.close();
    if (!file) throw CliError("Cannot write " + path);
}

int CmdRun(CliContext& ctx) {
    if (ctx.args.size() != 1) throw CliError("Usage: acremark-cli run FILE.crs [options]");
    CliFarm farm = OpenFarm(ctx, ctx.args[0]);
    const CliRunOptions options(ctx);
    const int s = ScenarioOption(ctx);
    RunWorkspace runs;
    ApplyTargets(runs, options);
    // Repeats measure the run warm: every repeat takes the first run's seed, so all give the
    // same figures, and the output is the last one's.
    CliRunOptions each = options;
    QJsonArray elapsedAll;
    double firstElapsed = 0;
    for (int k = 0; k < options.repeat; ++k) {
        const RunOutcome o = RunScenario(farm, runs, s, each);
        if (o.refused) throw CliError(o.message);
        if (k == 0) firstElapsed = o.elapsedMs;
        each.seed = o.seed;
        elapsedAll.append(o.elapsedMs);
    }

    const ScenarioResult& r = runs.Result(s);
    QJsonObject out;
    out["scenario"] = s;
    out["iterations"] = r.iterations;
    out["seed"] = qint64(r.seed);
    QJsonArray fa;
    for (const FieldResult& fr : r.fields) {
        QJsonObject f;
        f["field_id"] = fr.fieldId;
        f["cm"] = fr.cm;
        f["cmsd"] = fr.cmsd;
        f["gm"] = fr.gm;
        f["gmsd"] = fr.gmsd;
        fa.append(f);
    }
    out["fields"] = fa;
    QJsonObject outputs;
    outputs["mean"] = Numbers(r.outputMean.data(), 1, 5);
    outputs["std"] = Numbers(r.outputStd.data(), 1, 5);
    out["outputs"] = outputs;
    out["cm_mean"] = r.cmMean;
    out["cm_std"] = r.cmStd;
    out["gm_mean"] = r.gmMean;
    out["gm_std"] = r.gmStd;
    out["cm_curve"] = Numbers(r.cmCurve.data(), 1, kCurvePoints);
    out["gm_curve"] = Numbers(r.gmCurve.data(), 1, kCurvePoints);
    QJsonObject grid;
    for (int row = Row(GridRow::CMMean); row <= Row(GridRow::MarginAtChance); ++row) {
        const std::string text = runs.Grid().Cell(s, row);
        grid[QString::number(row)] = text.empty() ? QJsonValue() : QJsonValue(Q(text));
    }
    out["grid"] = grid;
    out["summary"] = Numbers(r.summary.data(), 0, kSummaryLines - 1);
    out["se"] = StandardErrors(r);
    if (ctx.parser.isSet("sensitivity")) {
        QJsonArray sens;
        for (const FieldSensitivity& f : FieldSensitivities(runs, s))
            sens.append(
                QJsonObject{{"field_id", f.fieldId}, {"yield_r", f.yieldR}, {"price_r", f.priceR}});
        out["sensitivity"] = sens;
    }
    if (ctx.parser.isSet("iterations-csv"))
        WriteIterations(ctx.parser.value("iterations-csv").toStdString(), r);
    out["elapsed_ms"] = firstElapsed;
    if (options.repeat > 1) out["elapsed_ms_all"] = elapsedAll;
    out["load_ms"] = farm.loadMs;
    PrintJson(ctx.out, out);
    return 0;
}

// The risk ranking of every scenario with results: certainty equivalents of the gross margin
// over 25 aversion coefficients, the ranking at the highest, and the stoplight chances.
QJsonObject RiskRanking(const CliContext& ctx, const RunWorkspace& runs) {
    std::vector<int> scenarios;
    std::vector<double> means;
    for (int s = 1; s <= kScenarioCount; ++s)
        if (runs.Result(s).HasResults() && runs.Result(s).outputs) {
            scenarios.push_back(s);
            means.push_back(runs.Result(s).gmMean);
        }
    double rMax = DefaultAversionMax(means);
    if (ctx.parser.isSet("rac-max")) {
        bool ok = false;
        rMax = ctx.parser.value("rac-max").toDouble(&ok);
        if (!ok || !std::isfinite(rMax) || rMax < 0)
            throw CliError("--rac-max takes a coefficient of 0 or more");
    }
    const std::vector<double> rac = AversionCoefficients(rMax);
    QJsonObject out;
    out["rac"] = Numbers(rac.data(), 0, int(rac.size()) - 1);
    QJsonArray list, stoplight;
    std::vector<double> atMax;
    const auto targets = runs.Grid().ReadTargets();
    for (int s : scenarios) {
        const ScenarioResult& r = runs.Result(s);
        const double* gm = r.outputs->Row(5);
        const size_t n = size_t(r.outputs->Iterations());
        const std::vector<double> ce = CertaintyEquivalents(gm, n, rac);
        atMax.push_back(ce.back());
        list.append(QJsonObject{{"scenario", s},
                                {"ce", Numbers(ce.data(), 0, int(ce.size()) - 1)},
                                {"se", StandardErrors(r)}});
        if (targets) {
            const Stoplight light = StoplightOf(r.gmCurve.data(), targets->t10, targets->t11);
            stoplight.append(QJsonObject{{"scenario", s},
                                         {"red", light.red},
                                         {"yellow", light.yellow},
                                         {"green", light.green}});
        }
    }
    out["scenarios"] = list;
    QJsonArray ranking;
    for (int s : RankAt(scenarios, atMax))
        ranking.append(s);
    out["ranking_at_max"] = ranking;
    out["stoplight"] = stoplight;
    return out;
}

int CmdCompare(CliContext& ctx) {
    if (ctx.args.size() != 1) throw CliError("Usage: acremark-cli compare FILE.crs [options]");
    CliFarm farm = OpenFarm(ctx, ctx.args[0]);
    const CliRunOptions options(ctx);
    RunWorkspace runs;
    ApplyTargets(runs, options);
    RunAllScenarios(farm, runs, options);
    const TComparisonGrid& g = runs.Grid();

    if (ctx.parser.isSet("rank")) {
        PrintJson(ctx.out, RiskRanking(ctx, runs));
        return 0;
    }
    if (ctx.parser.isSet("csv")) {
        ScenarioDescriptions descriptions;
        for (int s = 1; s <= kScenarioCount; ++s)
            descriptions[size_t(s)] = farm.dm.ScenarioDescriptions[size_t(s - 1)];
        ctx.out << DelimitedText(ComparisonTable(g, runs.Results(), descriptions), ',');
        return 0;
    }
    TextTable table;
    for (int row = 0; row < TComparisonGrid::kRows; ++row) {
        if (row == Row(GridRow::Hairline)) continue;
        std::vector<std::string> line{RowSentence(GridRow(row), g.Label(row), g.separators)};
        for (int s = 1; s <= kScenarioCount; ++s)
            line.push_back(row == Row(GridRow::Description)
                               ? farm.dm.ScenarioDescriptions[size_t(s - 1)]
                               : g.Cell(s, row));
        table.push_back(std::move(line));
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
                     CmdRun,
                     {"data", "scenario", "iterations", "seed", "targets", "threads", "repeat",
                      "sensitivity", "iterations-csv"});
const CliCommand compare("compare",
                         "compare FILE.crs [--iterations N] [--seed SEED] [--targets ...] "
                         "[--csv]\n"
                         "                             runs every scenario; the comparison grid",
                         CmdCompare,
                         {"data", "iterations", "seed", "targets", "csv", "threads", "rank",
                          "rac-max"});

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
    if (ctx.Given("repeat")) {
        bool ok = false;
        repeat = ctx.parser.value("repeat").toInt(&ok);
        if (!ok || repeat < 1 || repeat > 10000)
            throw CliError("--repeat takes a number from 1 to 10000");
    }
}

void ApplyTargets(RunWorkspace& runs, const CliRunOptions& options) {
    if (!options.targets) return;
    QStringList parts = options.targets->split(',');
    if (parts.size() != 3) throw CliError("--targets takes three values: T10,T11,T12");
    for (int i = 0; i < 3; ++i)
        runs.Grid().SetTargetText(Row(GridRow::ChanceBelowTarget1) + i,
                                  parts[i].trimmed().toStdString());
}

CliFarm OpenFarm(CliContext& ctx, const QString& file) {
    CliFarm farm;
    const auto started = std::chrono::steady_clock::now();
    farm.reference = LoadReferenceTables(ctx.dataOption);
    farm.loadMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    farm.dm.DataModuleCreate(farm.reference);
    TRiskData data;
    data.FileName = file.toStdString();
    const auto& crops = farm.reference->cdsCrops;
    const OpenOutcome o = data.Open(farm.dm, [&crops](int code) {
        const TCropRow* row = crops.Find(code);
        return row ? row->Unit : std::string();
    });
    if (o.kind == OpenOutcome::Kind::Missing)
        throw CliError("Cannot open " + data.FileName + ": No such file or directory");
    if (o.kind == OpenOutcome::Kind::Refused) throw CliError(o.refusal.message);
    farm.riskAreaIndex = TMainSession::OpenedRiskAreaIndex(*farm.reference, o.locationCode,
                                                           farm.dm.RiskAreaIndex[0]);
    return farm;
}

RunOutcome RunScenario(CliFarm& farm, RunWorkspace& runs, int scenario,
                       const CliRunOptions& options) {
    std::vector<FieldRecord> fields;
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
    runs.SetProgress(Progress());
    return runs.Run(req, MakeRunReference(*farm.reference));
}

void RunAllScenarios(CliFarm& farm, RunWorkspace& runs, const CliRunOptions& options) {
    for (int s = 1; s <= kScenarioCount; ++s) {
        if (!farm.dm.cdsRisk.HasScenario(s)) continue;
        RunOutcome o = RunScenario(farm, runs, s, options);
        if (o.refused) throw CliError(o.message);
    }
}

} // namespace acremark
