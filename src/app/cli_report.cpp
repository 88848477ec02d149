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
    const auto& ref = *farm.reference;
    src.cropName = [&ref](int code) {
        const TCropRow* r = ref.cdsCrops.Find(code);
        return r ? r->CropName : std::string();
    };
    src.practiceName = [&ref](int code) {
        const TCodeRow* r = ref.cdsSFI.Find(code);
        return r ? r->Description : std::string();
    };
    src.coverageName = [&ref](int code) {
        const TCodeRow* r = ref.cdsCLevel.Find(code);
        return r ? r->Description : std::string();
    };
    return src;
}

int CmdReport(CliContext& ctx) {
    if (ctx.args.size() != 2)
        throw CliError(
            "Usage: acremark-cli report summary|comparison|input FILE.crs [--scenario S] "
            "[--iterations N] [--seed SEED] --pdf OUT.pdf");
    const std::string kind = ctx.args[0].toStdString();
    if (kind != "summary" && kind != "input" && kind != "comparison")
        throw CliError("The report is summary (enterprise and farm level summary), comparison "
                       "(the comparison window's print) or input (input summary of one scenario)");
    if (!ctx.parser.isSet("pdf")) throw CliError("Give --pdf OUT.pdf");
    CliFarm farm = OpenFarm(ctx, ctx.args[1]);
    const CliRunOptions options(ctx);
    std::unique_ptr<TPrintObject> report;
    if (kind == "comparison" || kind == "summary") {
        RunWorkspace runs;
        ApplyTargets(runs, options);
        RunAllScenarios(farm, runs, options);
        if (kind == "comparison") {
            const TComparisonGrid& grid = runs.Grid();
            ComparisonPrintSource src;
            for (int c = 0; c < TComparisonGrid::kCols; ++c)
                for (int r = 0; r < kGridRows; ++r)
                    src.cells[size_t(c)][size_t(r)] = grid.Cell(c, r);
            if (const auto targets = grid.ReadTargets()) {
                src.target10 = targets->t10;
                src.target11 = targets->t11;
                src.target12 = targets->t12;
            }
            src.descriptions = farm.dm.ScenarioDescriptions;
            TSimChart chart(runs.Results());
            src.drawChart = [&chart](TPrintObject& page, double x, double y, double w, double h,
                                     int id) {
                chart.prn = &page;
                chart.PrintChart(float(x), float(y), float(w), float(h), id);
            };
            report = StartReport(QStringLiteral("Scenario Analysis"));
            ComposeComparisonPrint(*report, src);
        } else {
            EnterpriseSummarySource src;
            for (int s = 1; s <= kScenarioCount; ++s) {
                const ScenarioResult& r = runs.Result(s);
                if (r.ran) src.lines[size_t(s)] = r.summary;
                src.descriptions[size_t(s - 1)] = farm.dm.ScenarioDescriptions[size_t(s - 1)];
            }
            report = StartReport(QStringLiteral("Enterprise & Farm Level Summary"));
            ComposeEnterpriseSummary(*report, src);
        }
    } else {
        int s = 1;
        if (ctx.parser.isSet("scenario")) {
            bool ok = false;
            s = ctx.parser.value("scenario").toInt(&ok);
            if (!ok || s < 1 || s > kScenarioCount)
                throw CliError("--scenario takes a number from 1 to 8");
        }
        report = StartReport(QStringLiteral("Summary of Input Data"));
        ComposeInputSummary(*report, InputSource(farm, s));
    }
    QString error;
    if (!WriteReportPdf(*report, ctx.parser.value("pdf"), &error))
        throw CliError(error.toStdString());
    return 0;
}

const CliCommand
    report("report",
           "report summary|comparison|input FILE.crs [--scenario S] [--iterations N] [--seed "
           "SEED] --pdf OUT.pdf\n"
           "                             composes a printed report into a PDF file",
           CmdReport, {"data", "scenario", "iterations", "seed", "targets", "threads", "pdf"});
} // namespace

} // namespace acremark
