// acremark-cli chart 2|3 FILE.crs: runs every scenario as compare does and draws one chart.
#include "app/cli_run.h"
#include "results/chart_output.h"

#include <QJsonArray>

namespace acremark {

namespace {

double InchesOption(const CliContext& ctx, const char* name, double fallback) {
    if (!ctx.parser.isSet(name)) return fallback;
    bool ok = false;
    double v = ctx.parser.value(name).toDouble(&ok);
    if (!ok || !(v > 0) || v > 100)
        throw CliError(std::string("--") + name + " takes a size in inches above 0");
    return v;
}

int CmdChart(CliContext& ctx) {
    if (ctx.args.size() != 2)
        throw CliError("Usage: acremark-cli chart 2|3 FILE.crs (--commands|--png OUT|--pdf OUT)");
    const int chart = ctx.args[0] == "2" ? 2 : ctx.args[0] == "3" ? 3 : 0;
    if (chart == 0) throw CliError("The chart is 2 (gross margin probability) or 3 (risk-return)");
    const int outputs = int(ctx.parser.isSet("commands")) + int(ctx.parser.isSet("png")) +
                        int(ctx.parser.isSet("pdf"));
    if (outputs != 1) throw CliError("Give one of --commands, --png OUT or --pdf OUT");
    const double w = InchesOption(ctx, "width", 9), h = InchesOption(ctx, "height", 6);

    CliFarm farm = OpenFarm(ctx, ctx.args[1]);
    const CliRunOptions options(ctx);
    RunWorkspace runs;
    ApplyTargets(runs, options);
    RunAllScenarios(farm, runs, options);

    if (ctx.parser.isSet("commands")) {
        PrintJson(ctx.out, ChartCommandsJson(runs.Results(), chart, w, h));
        return 0;
    }
    QString error;
    const bool ok =
        ctx.parser.isSet("png")
            ? WriteChartPng(runs.Results(), chart, w, h, ctx.parser.value("png"), &error)
            : WriteChartPdf(runs.Results(), chart, w, h, ctx.parser.value("pdf"), &error);
    if (!ok) throw CliError(error.toStdString());
    return 0;
}

const CliCommand chart("chart",
                       "chart 2|3 FILE.crs [--iterations N] [--seed SEED] [--width W --height H]\n"
                       "        (--commands|--png OUT|--pdf OUT)\n"
                       "                             runs every scenario and draws a chart",
                       CmdChart,
                       {"data", "iterations", "seed", "targets", "width", "height", "commands",
                        "png", "pdf", "threads"});
} // namespace

} // namespace acremark
