#pragma once
// The run: turns the shown scenario's fields into results. It checks the fields, draws
// correlated yields and prices (redrawing slices for malt barley fields), works out every
// field's budget and insurance payment in every iteration, and writes the field results into
// the fields and everything else into the scenario's result (its comparison column and its
// enterprise summary included).

#include "budget/comparison_grid.h"
#include "budget/scenario_result.h"
#include "data/field_record.h"
#include "data/reference_tables.h"
#include "data/risk_store.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace acremark {

class TRiskSimulation;
class TProgressDisplay;

// What the run reads from the reference tables. Each lookup may miss.
struct RunReference {
    // The correlation row of fields p < q, as TPYMatrix::FieldPairRow finds it; null for none.
    std::function<const TPYRow*(int cropP, bool irrigatedP, int cropQ)> fieldPair;
    // Spring and floor price of a crop (a blank floor price reads as 0); none when no row.
    std::function<std::optional<std::pair<double, double>>(int crop)> insurancePrices;
    // Group 'A'..'D' of a risk area 1..22; 0 for none.
    std::function<char(int riskArea)> group;
    // Whether the crop table holds the crop code; when unset, every code counts as known.
    std::function<bool(int crop)> cropKnown;
};

// The most iterations a run takes: every sample of every field is kept in memory.
inline constexpr int kMaxIterations = 1000000;

struct RunRequest {
    int scenario = 1;                 // 1..8
    std::vector<FieldRecord>* fields; // the scenario's shown columns, in order; results go here
    std::vector<std::string> headers; // each column's header text ("Field # 3")
    int riskAreaIndex = -1;           // the farm's risk area minus 1, -1 for none
    int iterations = 10000;
    std::optional<uint32_t> seed; // none: reseed from the clock
};

struct RunOutcome {
    bool refused = false;
    std::string caption, message; // the warning when refused
    uint32_t seed = 0;            // the seed the run used
    double elapsedMs = 0;         // from the reseed to the run's last step
};

// The objects a run works with, all owned by the caller (see RunWorkspace).
struct RunContext {
    TRiskSimulation& main;   // 8 scenarios
    TRiskSimulation& second; // 1 scenario, for the malt barley slices
    TMaltTable& malt;
    const TComparisonGrid& grid;        // the targets
    ScenarioResult& result;             // written only when the run succeeds
    TProgressDisplay* status = nullptr; // panels 0 (run count) and 2 (time)
    int* runCount = nullptr;            // runs since the program started
};

// Checks only: the refusal of steps that come before any drawing, or none.
std::optional<RunOutcome> CheckRun(const RunRequest& req, const RunReference& ref, TMaltTable& malt,
                                   const TComparisonGrid& grid);

RunOutcome RunSimulation(const RunRequest& req, const RunReference& ref, RunContext& ctx);

// Sets the target correlations of a simulation object from the fields' crops, irrigation and
// the farm's risk area: yields with yields, prices with prices.
void SetFieldCorrelations(TRiskSimulation& sim, const std::vector<int>& crops,
                          const std::vector<bool>& irrigated, int riskAreaIndex,
                          const RunReference& ref);

} // namespace acremark
