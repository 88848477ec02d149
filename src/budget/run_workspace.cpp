#include "budget/run_workspace.h"

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

} // namespace acremark
