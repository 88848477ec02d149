// The largest run the window offers: 32 insured fields, two of them malt barley, 10000
// iterations, in-process (budget: 25 ms on the development machine). Crops, practices and
// insurance come from the carried tables for township 1, range 1, meridian 4 (risk area 4).
// The second argument is 1 for the usual run, whose loops are shared with a helper thread, and
// 0 for the same run on one thread.
#include "budget/run_reference.h"
#include "budget/run_workspace.h"
#include "data/reference_tables.h"
#include "sim/parallel.h"
#include "sim/progress_display.h"
#include "sim/risk_simulation.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <optional>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

using namespace acremark;

const std::string kRefData = std::string(ACREMARK_BINARY_DIR) + "/refdata";

std::vector<FieldRecord> LargestFarm(const TReferenceTables& ref) {
    const int crops[] = {2, 9, 10, 13, 15, 19, 20, 22, 26, 28, 31, 32, 33, 34, 36, 37};
    std::vector<FieldRecord> fields;
    for (int f = 1; f <= 32; ++f) {
        FieldRecord r;
        const int crop = f == 5 || f == 21 ? 3 : crops[(f - 1) % 16];
        const int sfi = f % 7 == 0 ? 3 : 1 + f % 2;
        r.Set(fScenarioID, int64_t(1));
        r.Set(fFieldID, int64_t(f));
        r.Set(fCrop, int64_t(crop));
        r.Set(fSFI, int64_t(sfi));
        r.Set(fAcres, 80.0 + 10 * f);
        r.Set(fYieldLow, 10.0);
        r.Set(fYieldMost, 40.0);
        r.Set(fYieldHigh, 70.0);
        r.Set(fPriceLow, 5.0);
        r.Set(fPriceMost, 8.0);
        r.Set(fPriceHigh, 12.0);
        if (crop == 3) {
            r.Set(fPriceLow2, 4.0);
            r.Set(fPriceMost2, 6.0);
            r.Set(fPriceHigh2, 7.0);
            r.Set(fMaltBarley, f == 5 ? 35.0 : 70.0);
        }
        r.Set(fInsurance, true);
        r.Set(fCoverageLevel, int64_t(3));
        auto rates = ref.cdsCIRates.Find(InsuranceCropCode(crop, sfi), 401001);
        r.Set(fCoverageAdjustment, rates && rates->NormalYield ? *rates->NormalYield : 35.0);
        r.Set(fB, 180.0);
        r.Set(fB4, 12.0);
        r.Set(fC, 45.0);
        r.Set(fC2, f % 4 == 0 ? 30.0 : 0.0);
        fields.push_back(r);
    }
    return fields;
}

// Counts the repaints a run asks of the status bar.
class CountingDisplay : public TProgressDisplay {
public:
    int Percent() const override { return percent; }
    void SetPercent(int p) override { percent = p; }
    void SetPanelText(int, const std::string&) override {}
    void Repaint() override { ++repaints; }
    int percent = 0, repaints = 0;
};

// Minor page faults of this process so far: fresh memory the system hands out.
long MinorFaults() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_minflt;
}

// Threads that keep every core busy while they live, as a browser and a spreadsheet would.
class BusyCores {
public:
    BusyCores() {
        const unsigned n = std::max(1u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < n; ++i)
            threads_.emplace_back([this] {
                volatile unsigned long x = 0;
                while (!stop_.load(std::memory_order_relaxed))
                    x = x + 1;
            });
    }
    ~BusyCores() {
        stop_ = true;
        for (auto& t : threads_)
            t.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

void LargestRun(benchmark::State& state, bool busy) {
    const TReferenceTables ref = TReferenceTables::LoadFromFolder(kRefData);
    const RunReference lookups = MakeRunReference(ref);
    CountingDisplay display;
    RunWorkspace runs(&display);
    std::vector<FieldRecord> fields = LargestFarm(ref);
    RunRequest req;
    req.fields = &fields;
    for (int f = 1; f <= 32; ++f)
        req.headers.push_back("Field # " + std::to_string(f));
    req.riskAreaIndex = 3;
    req.iterations = int(state.range(0));
    req.seed = 2023;
    const bool before = SplitEnabled();
    SetSplitEnabled(state.range(1) != 0);
    std::optional<BusyCores> load;
    if (busy) load.emplace();
    bool first = true;
    for (auto _ : state) {
        display.repaints = 0;
        const long faults = MinorFaults();
        RunOutcome o = runs.Run(req, lookups);
        // The first run's faults are those of a fresh process; later runs reuse the memory.
        if (first) state.counters["first_run_faults"] = double(MinorFaults() - faults);
        first = false;
        state.counters["repaints"] = display.repaints;
        if (o.refused) state.SkipWithError(o.message.c_str());
        benchmark::DoNotOptimize(runs.Result(1).gmMean);
    }
    SetSplitEnabled(before);
}

void BM_LargestRun(benchmark::State& state) {
    LargestRun(state, false);
}
BENCHMARK(BM_LargestRun)
    ->ArgNames({"iterations", "shared"})
    ->Args({10000, 1})
    ->Args({10000, 0})
    ->Args({1000, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

// The same run while one busy-looping thread per core competes with it: wall time is what the
// user waits, so it is measured in real time; a shared run must not lose to a one-thread run.
void BM_LargestRunBusyMachine(benchmark::State& state) {
    LargestRun(state, true);
}
BENCHMARK(BM_LargestRunBusyMachine)
    ->ArgNames({"iterations", "shared"})
    ->Args({10000, 1})
    ->Args({10000, 0})
    ->Args({1000, 1})
    ->Args({1000, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
