#pragma once
// Runs of scenarios from a scenario file, shared by the run, compare and chart commands.

#include "app/cli_commands.h"
#include "budget/run_workspace.h"
#include "data/reference_tables.h"
#include "data/risk_store.h"

#include <memory>
#include <optional>

namespace acremark {

// A scenario file opened for running, as the window opens it, with the reference tables and
// the farm's risk area as opening the file in the window leaves it.
struct CliFarm {
    std::shared_ptr<const TReferenceTables> reference;
    TdmRisk dm;
    int riskAreaIndex = -1;
    double loadMs = 0; // loading the reference tables
};
CliFarm OpenFarm(CliContext& ctx, const QString& file);

struct CliRunOptions {
    int iterations = 10000;
    std::optional<uint32_t> seed;
    int repeat = 1; // run only: the same run this many times in one process
    CliRunOptions() = default;
    // --iterations, --seed, --targets, --repeat; --threads N switches the run's helper off for
    // N = 1 (the default uses every core).
    explicit CliRunOptions(const CliContext& ctx);
    std::optional<QString> targets;
};

// Puts the --targets values into the grid's target cells.
void ApplyTargets(RunWorkspace& runs, const CliRunOptions& options);

// Runs scenario s as the Run button would: the store's fields 1..n up to the first missing one.
RunOutcome RunScenario(CliFarm& farm, RunWorkspace& runs, int scenario,
                       const CliRunOptions& options);

// Runs every scenario that holds a field; a refused run throws CliError with its message.
void RunAllScenarios(CliFarm& farm, RunWorkspace& runs, const CliRunOptions& options);

} // namespace acremark
