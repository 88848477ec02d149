#pragma once
// The objects that runs share, for the main window and for the command line alike: the two
// simulation objects, the malt barley table, the eight scenarios' results and the comparison
// grid with its targets. One call runs a scenario; everything outside the run reads the results.

#include "budget/comparison_grid.h"
#include "budget/scenario_result.h"
#include "budget/simulation_run.h"
#include "data/risk_store.h"
#include "sim/risk_simulation.h"

namespace acremark {

class TProgressDisplay;

class RunWorkspace {
public:
    // `progress` shows the percentage of a run (may be null, not owned).
    explicit RunWorkspace(TProgressDisplay* progress = nullptr);
    RunWorkspace(const RunWorkspace&) = delete;
    RunWorkspace& operator=(const RunWorkspace&) = delete;

    // Runs req.scenario: on success its result is replaced and the fields get their results.
    RunOutcome Run(const RunRequest& req, const RunReference& ref);

    const ScenarioResult& Result(int s) const { return results_[size_t(s)]; }
    const ScenarioResults& Results() const { return results_; }
    TComparisonGrid& Grid() { return grid_; }
    const TComparisonGrid& Grid() const { return grid_; }

    // Puts a result in place as a run of its scenario would, its grid column filled from the
    // current targets (for results made elsewhere: tests, a run kept from before).
    void SetResult(int s, ScenarioResult result);

    // Sets the progress display of both simulation objects.
    void SetProgress(TProgressDisplay* progress);

    // The engine itself, for tests and measurements that look at the samples.
    TRiskSimulation Simulation;  // 8 scenarios
    TRiskSimulation Simulation2; // 1 scenario, for the malt barley slices
    TMaltTable cdsMalt;
    TProgressDisplay* Panels = nullptr; // status panels 0 (run count) and 2 (time), when shown
    int RunCount = 0;                   // runs since the workspace was made

private:
    ScenarioResults results_;
    TComparisonGrid grid_{results_};
};

// Which field drives the spread of the farm's gross margin, for the scenario last run (its
// samples are still in the engine): per field in column order, the correlation across iterations
// of its yield and of the price it sold at with the farm's gross margin. Empty for any other
// scenario.
struct FieldSensitivity {
    int fieldId = 0;
    double yieldR = 0, priceR = 0;
};
std::vector<FieldSensitivity> FieldSensitivities(const RunWorkspace& runs, int scenario);

} // namespace acremark
