#pragma once
// The simulation object: one triangle per simulated variable, the sample matrix the correlated
// sampler fills, the outputs the caller computes per iteration, the statistics of both, and a
// small per-scenario store of results (margin means, standard deviations and 1000-point
// cumulative curves) that outlives the runs. It also keeps a progress display up to date.
//
// A run: ReseedFromClock (or SetRandSeed); Setup(2 * fields, iterations, 5); write ScenarioNo;
// SetValue on each triangle; setCorrelation for the wanted pairs; CalcInput; fill Y from X,
// adding progress as it goes; AddSmartTick; CalcY; then PercentDone = 1, UpdateProgress,
// AddSmartTick, UpdateSmartShare and show CountTime("Time").
//
// Members are public fields because the run, the comparison window and the charts read and
// write them directly. The object belongs to the caller's thread: the sampler and the statistics
// share their loops with a helper thread (sim/parallel.h), but only the caller's thread touches
// the progress display.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/matrix.h"
#include "sim/progress_display.h"
#include "sim/triangle.h"

namespace acremark {

class TRiskSimulation {
public:
    // Creates the result store for scenarios 1..scenarioCount, all zero; ScenarioNo is 1 and the
    // phase shares start at their defaults. statusBar may be null; it is not owned.
    explicit TRiskSimulation(int scenarioCount, TProgressDisplay* statusBar = nullptr);
    ~TRiskSimulation();
    TRiskSimulation(const TRiskSimulation&) = delete; // the triangles point back at this object
    TRiskSimulation& operator=(const TRiskSimulation&) = delete;

    // Prepares a run of count variables, n iterations and nO output rows: fresh zero arrays,
    // count triangles with ids 1..count and all values 0, identity targets. Keeps the result
    // store and the phase shares. Throws std::invalid_argument for a negative size.
    void Setup(int count, int n, int nO);
    // Frees the per-run arrays and the triangles.
    void Clear();

    // The triangle of variable index + 1 (index counted from 0). Throws std::out_of_range.
    TTriangle& getTriangle(int index);
    TTriangle& Items(int index) { return getTriangle(index); }

    // Target correlation of variables i and j (both 1..Count), clamped into [-1, 1] and stored
    // at [i][j] and [j][i]; i = j replaces the diagonal entry, which is otherwise 1.
    void setCorrelation(int i, int j, double value);

    // Draws the whole sample matrix (TriRandom). Every triangle must hold low <= likely <= high.
    void CalcInput();
    // Variables 1..Count/2 form one block and the rest the other: correlated within a block,
    // independent across. Factors both blocks, draws Count x N deviates (all iterations of
    // variable 1 first), correlates and transforms each block, then calls calcStat.
    void TriRandom();
    // Minimum, maximum, mean, covariance, correlation and standard deviation of each variable's
    // samples. Skipped (but its two phase ticks still taken) when N < 2.
    void calcStat();
    // Mean and standard deviation of every output row of Y; for the rows CMCol and GMCol also
    // the scenario's result: its mean, standard deviation and curve, whose point k (1..1000) is
    // the mean of the k-th of 1000 equal blocks of the sorted outcomes. N must be a multiple of
    // 1000 for the curve (it is left alone otherwise). Throws std::out_of_range when ScenarioNo
    // is outside 1..ScenarioCount.
    void CalcY();

    // Progress. A run is divided into phases between successive ticks; while phase k is under
    // way SmartIndex = k and GetSmartShare returns its expected share of the run.
    void AddSmartTick();
    double GetSmartShare() const;
    // After a run's last tick: each completed phase's share moves halfway towards the share it
    // really took. A run that took no measurable time leaves the shares as they are.
    void UpdateSmartShare();
    // Shows PercentDone (capped at 1) when its whole percentage exceeds the display's, with the
    // milliseconds since the run's first tick in panel 1; otherwise does nothing.
    void UpdateProgress();
    // "<s>: <seconds since Setup, %6.3f> seconds".
    std::string CountTime(const std::string& s) const;

    std::array<std::uint32_t, 12> SmartTick{}; // tick counts at the ends of the phases
    std::array<double, 11> SmartShare{};       // expected share of each phase, index 1..10
    int SmartIndex = 0;
    std::vector<TTriangle> List; // position i - 1 holds the triangle of variable i
    int Count = 0;               // variables
    int N = 0;                   // iterations
    int ScenarioCount = 0;
    TMatrix CM; // per scenario, the contribution margin curve (1000 points)
    TMatrix GM; // per scenario, the gross margin curve
    TVector CMMean, CMStd, GMMean, GMStd;
    int CMCol = 0; // the rows of Y holding the contribution margin and the gross margin
    int GMCol = 0;
    TMatrix Y; // Y[r][j]: output r in iteration j, written by the caller
    TVector YMean, YStd;
    TMatrix X; // X[i][j]: sample of variable i in iteration j
    TVector XMin, XMax, XMean;
    TVector XSD;
    TMatrix XVC; // sample covariances
    TMatrix XR;  // sample correlations
    TMatrix XR0; // target correlations
    TMatrix L2;  // factors of the two blocks
    int ScenarioNo = 1;
    std::uint32_t StartTime = 0;
    TProgressDisplay* StatusBar = nullptr;
    double PercentDone = 0.0;
    // Whether CalcInput computes the sample statistics (XMin .. XR). The run's second object,
    // whose samples are copied into the main one, turns them off: nothing reads them.
    bool SampleStatistics = true;

    // Where the tick counts come from; SystemTickCount unless a test puts in its own clock.
    std::function<std::uint32_t()> TickCount;
    // Thousands separator of the elapsed-milliseconds panel ("#,###"); the window passes the
    // locale's.
    std::string ThousandSeparator = ",";

private:
    void CorrelateTiles(int half);
    void MeanMinMax();
    void Covariances();
};

} // namespace acremark
