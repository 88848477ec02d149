// Sampling cost of the largest run: 32 fields give 64 variables (yields, then prices) and two
// correlation blocks of 32, drawn 10000 times.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "sim/correlation.h"
#include "sim/random.h"
#include "sim/risk_simulation.h"

namespace {

using acremark::TRiskSimulation;

// The machine is shared, so the fastest repetition is the fairest figure; run with
// --benchmark_repetitions=10.
double Fastest(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

constexpr int kFields = 32;
constexpr int kIterations = 10000;

// Correlations shaped like a farm's: fields share a crop in fours (8 crops), yields of one crop
// correlate 0.85 and of different crops 0.2 to 0.6, prices of one crop 1.0 (which makes the
// price block singular, as real farms do) and of different crops 0.3 to 0.7.
void SetUpFarm(TRiskSimulation& sim) {
    acremark::SetRandSeed(20240611u);
    sim.Setup(2 * kFields, kIterations, 5);
    for (int f = 0; f < kFields; ++f) {
        const double scale = 1.0 + 0.1 * (f % 8);
        sim.getTriangle(f).SetValue(10.0 * scale, 35.0 * scale, 55.0 * scale);
        sim.getTriangle(kFields + f).SetValue(4.0 * scale, 6.0 * scale, 9.5 * scale);
    }
    for (int a = 1; a <= kFields; ++a) {
        for (int b = a + 1; b <= kFields; ++b) {
            const int cropA = (a - 1) % 8;
            const int cropB = (b - 1) % 8;
            const double mix = 0.1 * ((cropA + cropB) % 5);
            sim.setCorrelation(a, b, cropA == cropB ? 0.85 : 0.2 + mix);
            sim.setCorrelation(kFields + a, kFields + b, cropA == cropB ? 1.0 : 0.3 + mix);
        }
    }
}

// Outputs as a run would write them: something of every field's yield and price.
void FillOutputs(TRiskSimulation& sim) {
    for (int j = 1; j <= sim.N; ++j) {
        double revenue = 0.0;
        for (int f = 1; f <= kFields; ++f)
            revenue += sim.X[f][j] * sim.X[kFields + f][j];
        for (int r = 1; r <= 5; ++r)
            sim.Y[r][j] = revenue - 1000.0 * r;
    }
}

// Setup + CalcInput + CalcY: the engine's whole share of a run.
void BM_SetupSampleSummarise(benchmark::State& state) {
    TRiskSimulation sim(8);
    sim.CMCol = 3;
    sim.GMCol = 5;
    for (auto _ : state) {
        SetUpFarm(sim);
        sim.CalcInput();
        state.PauseTiming(); // the run's own work, not the engine's
        FillOutputs(sim);
        state.ResumeTiming();
        sim.CalcY();
        benchmark::DoNotOptimize(sim.GM[1][1000]);
    }
}
BENCHMARK(BM_SetupSampleSummarise)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);

// 64 x 10000 draws from the one generator on one thread: the accepted points alone
// (RandPolarPairs, the part that must go one after the other), and the deviates made of them
// (RandNormalFill, the points and their logarithms).
void BM_Draws(benchmark::State& state, void (*draw)(double*, int)) {
    std::vector<double> out(static_cast<std::size_t>(2 * kFields) * kIterations);
    acremark::SetRandSeed(1u);
    for (auto _ : state) {
        draw(out.data(), static_cast<int>(out.size()));
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK_CAPTURE(BM_Draws, PolarPoints, acremark::RandPolarPairs)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK_CAPTURE(BM_Draws, NormalDeviates, acremark::RandNormalFill)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);

// Correlation and transform of both blocks (deviates redrawn outside the timing).
void BM_CorrelateTransform(benchmark::State& state) {
    TRiskSimulation sim(1);
    SetUpFarm(sim);
    acremark::FactorBlock(sim.XR0, sim.L2, 1, kFields);
    acremark::FactorBlock(sim.XR0, sim.L2, kFields + 1, 2 * kFields);
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 1; i <= sim.Count; ++i)
            acremark::RandNormalFill(sim.X[i] + 1, sim.N);
        state.ResumeTiming();
        for (int s : {1, kFields + 1})
            for (int first = 1; first <= sim.N; first += acremark::kCorrelateTile)
                acremark::CorrelateTile(sim.L2, s, s + kFields - 1, sim.List, sim.X, first,
                                        acremark::kCorrelateTile);
        benchmark::DoNotOptimize(sim.X[1][1]);
    }
}
BENCHMARK(BM_CorrelateTransform)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);

// Sample statistics: minimum, maximum, mean, the 64 x 64 covariances and correlations.
void BM_SampleStatistics(benchmark::State& state) {
    TRiskSimulation sim(1);
    SetUpFarm(sim);
    sim.CalcInput();
    for (auto _ : state) {
        sim.calcStat();
        benchmark::DoNotOptimize(sim.XR[1][2]);
    }
}
BENCHMARK(BM_SampleStatistics)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);

// Output statistics and the two 1000-point curves.
void BM_OutputStatistics(benchmark::State& state) {
    TRiskSimulation sim(8);
    sim.CMCol = 3;
    sim.GMCol = 5;
    SetUpFarm(sim);
    sim.CalcInput();
    FillOutputs(sim);
    for (auto _ : state) {
        sim.CalcY();
        benchmark::DoNotOptimize(sim.GM[1][1000]);
    }
}
BENCHMARK(BM_OutputStatistics)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);

} // namespace

BENCHMARK_MAIN();
