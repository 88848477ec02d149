// acremark-cli report summary|input FILE.crs --pdf OUT.pdf: a printed report as a PDF file.
#include "app/cli_run.h"
#include "data/land_location.h"
#include "print/print_object.h"
#include "results/reports.h"
#include "results/sim_chart.h"

namespace acremark {

namespace {

// The input summary of scenario s as the window would print it after opening the file.
InputSummarySource InputSource(const CliFarm& farm, int s) {
    InputSummarySource src;
    src.scenario = s;
    src.description = farm.dm.ScenarioDescriptions[size_t(s - 1)];
    if (farm.dm.LocationCode != 0) {
        const TLandLocation l = DecodeLandLocation(farm.dm.LocationCode);
        src.township = std::to_string(l.Township);
        src.range = std::to_string(l.Range);
        src.meridian = std::to_string(l.Meridian);
    }
    src.soilType = std::string(SoilZoneName(farm.dm.SoilZoneIndex[size_t(s - 1)]));
    for (int k = 1; k <= kMaxFields; ++k) {
        const FieldRecord* r = farm.dm.cdsRisk.Locate(s, k);
        if (!r) break;
        src.fields.push_back(*r);
    }
    UseReferenceNames(src, *farm.reference);
    return src;
}

int CmdReport(CliContext& ctx) {
    if (ctx.args.size() != 2)
        throw CliError(
            "Usage: acremark-cli report summary|comparison|input FILE.crs [--scenario S] "
            "[--iterations N] [--seed SEED] (--commands|--pdf OUT.pdf|--png OUT.png)");
    const std::string kind = ctx.args[0].toStdString();
    if (kind != "summary" && kind != "input" && kind != "comparison")
        throw CliError("The report is summary (enterprise and farm level summary), comparison "
                       "(the comparison window's print) or input (input summary of one scenario)");
    const int outputs = int(ctx.parser.isSet("commands")) + int(ctx.parser.isSet("png")) +
                        int(ctx.parser.isSet("pdf"));
    if (outputs != 1) throw CliError("Give one of --commands, --pdf OUT.pdf or --png OUT.png");
    CliFarm farm = OpenFarm(ctx, ctx.args[1]);
    const CliRunOptions options(ctx);
    std::unique_ptr<TPrintObject> report;
    if (kind == "comparison" || kind == "summary") {
        RunWorkspace runs;
        ApplyTargets(runs, options);
        RunAllScenarios(farm, runs, options);
        if (kind == "comparison") {
            TSimChart chart(runs.Results());
            report = StartReport(QStringLiteral("Scenario Analysis"));
            ComposeComparisonPrint(
                *report, ComparisonPrintOf(runs, chart, farm.dm.ScenarioDescriptions, 0.45));
        } else {
            report = StartReport(QStringLiteral("Enterprise & Farm Level Summary"));
            ComposeEnterpriseSummary(*report,
                                     EnterpriseSummaryOf(runs, farm.dm.ScenarioDescriptions));
        }
    } else {
        int s = 1;
        if (ctx.parser.isSet("scenario")) {
            bool ok = false;
            s = ctx.parser.value("scenario").toInt(&ok);
            if (!ok || s < 1 || s > kScenarioCount)
                throw CliError("--scenario takes a number from 1 to 8");
        }
        // The scenario's field results fill the last rows; one that cannot run prints without.
        InputSummarySource src = InputSource(farm, s);
        RunWorkspace runs;
        ApplyTargets(runs, options);
        if (!src.fields.empty() && !RunScenario(farm, runs, s, options).refused) {
            const ScenarioResult& r = runs.Result(s);
            for (size_t k = 0; k < src.fields.size() && k < r.fields.size(); ++k) {
                src.fields[k].Set(fCM, r.fields[k].cm);
                src.fields[k].Set(fCMSD, r.fields[k].cmsd);
                src.fields[k].Set(fGM, r.fields[k].gm);
                src.fields[k].Set(fGMSD, r.fields[k].gmsd);
            }
        }
        report = StartReport(QStringLiteral("Summary of Input Data"));
        ComposeInputSummary(*report, src);
    }
    if (ctx.parser.isSet("commands")) {
        PrintJson(ctx.out, ReportCommandsJson(*report));
        return 0;
    }
    QString error;
    const bool ok = ctx.parser.isSet("png")
                        ? WriteReportPng(*report, ctx.parser.value("png"), &error)
                        : WriteReportPdf(*report, ctx.parser.value("pdf"), &error);
    if (!ok) throw CliError(error.toStdString());
    return 0;
}

const CliCommand report(
    "report",
    "report summary|comparison|input FILE.crs [--scenario S] [--iterations N] [--seed "
    "SEED] [--targets T10,T11,T12]\n"
    "        (--commands|--pdf OUT.pdf|--png OUT.png)\n"
    "                             composes a printed report: its commands, a PDF or PNG pages",
    CmdReport,
    {"data", "scenario", "iterations", "seed", "targets", "threads", "commands", "pdf", "png"});
} // namespace

} // namespace acremark
