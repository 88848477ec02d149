#include "budget/run_workspace.h"

#include "budget/risk_analytics.h"

#include <stdexcept>

namespace acremark {

RunWorkspace::RunWorkspace(TProgressDisplay* progress)
    : Simulation(kScenarioCount, progress), Simulation2(1, progress) {}

void RunWorkspace::SetProgress(TProgressDisplay* progress) {
    Simulation.StatusBar = Simulation2.StatusBar = progress;
}

void RunWorkspace::SetResult(int s, ScenarioResult result) {
    if (s < 1 || s > kScenarioCount) throw std::out_of_range("scenario number outside 1..8");
    if (auto targets = grid_.ReadTargets()) TComparisonGrid::FillColumn(result, *targets);
    results_[size_t(s)] = std::move(result);
}

RunOutcome RunWorkspace::Run(const RunRequest& req, const RunReference& ref) {
    if (req.scenario < 1 || req.scenario > kScenarioCount)
        throw std::out_of_range("scenario number outside 1..8");
    RunContext ctx{Simulation, Simulation2, cdsMalt, grid_, results_[size_t(req.scenario)],
                   Panels,     &RunCount};
    return RunSimulation(req, ref, ctx);
}

std::vector<FieldSensitivity> FieldSensitivities(const RunWorkspace& runs, int scenario) {
    const ScenarioResult& r = runs.Result(scenario);
    const TRiskSimulation& sim = runs.Simulation;
    if (!r.ran || !r.outputs || sim.ScenarioNo != scenario) return {};
    const int n = int(r.fields.size()), N = r.outputs->Iterations();
    if (sim.Count != 2 * n || sim.N != N) return {};
    const double* gm = r.outputs->Row(5);
    std::vector<FieldSensitivity> out;
    for (int f = 1; f <= n; ++f)
        out.push_back({r.fields[size_t(f - 1)].fieldId, Correlation(sim.X[f] + 1, gm, size_t(N)),
                       Correlation(sim.X[n + f] + 1, gm, size_t(N))});
    return out;
}

} // namespace acremark
