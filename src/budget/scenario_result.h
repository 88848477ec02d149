#pragma once
// What a run of one scenario leaves for everything outside the run: the window, the command
// line, the charts, the exports. A plain value, copied out of the simulation object once at the
// end of a successful run; an empty one (no run yet, or cleared) has all figures zero.

#include "base/large_memory.h"
#include "data/risk_store.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace acremark {

// The rows of the comparison grid.
enum class GridRow : int {
    Heading = 0,
    Hairline = 1,
    Description = 2,
    CMMean = 3,
    CMStd = 4,
    CMVariation = 5,
    GMMean = 6,
    GMStd = 7,
    GMVariation = 8,
    ChanceBelowZero = 9,
    ChanceBelowTarget1 = 10,
    ChanceBelowTarget2 = 11,
    MarginAtChance = 12,
};
inline constexpr int kGridRows = 13;
inline constexpr int Row(GridRow r) {
    return int(r);
}

// A scenario's column of the grid: one number per row, none where the cell is empty.
using GridColumn = std::array<std::optional<double>, kGridRows>;

// The five farm outputs of every iteration: row r (1..5) is the value of production, insurance
// payments, contribution margin, the land owner's share and gross margin. One copy per run,
// shared by the copies of its result.
class IterationOutputs {
public:
    static constexpr int kRows = 5;
    explicit IterationOutputs(int iterations) : n_(iterations) {
        v_.reserve(size_t(kRows) * size_t(iterations));
    }
    // Appends the next row's values of iterations 0..N-1, rows in order from 1.
    void AppendRow(const double* values) { v_.insert(v_.end(), values, values + n_); }
    int Iterations() const { return n_; }
    // Iterations 0..N-1 of row r (1..5).
    const double* Row(int r) const { return v_.data() + size_t(r - 1) * size_t(n_); }

private:
    int n_;
    LargeVector<double> v_;
};

struct FieldResult {
    int fieldId = 0;
    double cm = 0, cmsd = 0, gm = 0, gmsd = 0; // per acre: means and standard deviations
};

inline constexpr int kCurvePoints = 1000;
inline constexpr int kSummaryLines = 31;
using SummaryLines = std::array<double, kSummaryLines>;

struct ScenarioResult {
    ScenarioResult() {
        cmCurve.fill(0.0);
        gmCurve.fill(0.0);
        summary.fill(0.0);
    }

    bool ran = false; // a run has filled it (and nothing has cleared it since)
    int scenario = 0;
    int iterations = 0;
    std::uint32_t seed = 0;
    double elapsedMs = 0;
    std::vector<FieldResult> fields;                 // in column order
    std::array<double, 6> outputMean{}, outputStd{}; // output rows 1..5 (index 0 unused)
    double cmMean = 0, cmStd = 0, gmMean = 0, gmStd = 0;
    // Point k (1..1000) is the mean of the k-th of 1000 equal blocks of the sorted outcomes;
    // index 0 is 0.
    std::array<double, kCurvePoints + 1> cmCurve, gmCurve;
    GridColumn grid;                                 // rows 3..12; rows 10..12 follow the targets
    SummaryLines summary;                            // the enterprise summary, lines 0..30
    std::shared_ptr<const IterationOutputs> outputs; // none before a run

    bool HasResults() const { return grid[size_t(Row(GridRow::CMMean))].has_value(); }
};

// Index 1..8; index 0 stays empty.
using ScenarioResults = std::array<ScenarioResult, kScenarioCount + 1>;

} // namespace acremark
