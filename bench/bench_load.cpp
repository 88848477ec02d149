// Loading the nine carried reference tables from <build>/refdata (budget: 100 ms on the
// development machine), the rates table alone, and the keyed lookups the column editor makes
// while the user types. The counters report the memory the loaded tables hold.
#include "data/reference_tables.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <random>

namespace {

using acremark::RefTable;
using acremark::TReferenceTables;

const std::string kRefData = std::string(ACREMARK_BINARY_DIR) + "/refdata";

void BM_LoadAllTables(benchmark::State& state) {
    size_t bytes = 0, rates = 0;
    for (auto _ : state) {
        TReferenceTables t = TReferenceTables::LoadFromFolder(kRefData);
        bytes = t.MemoryBytes();
        rates = t.cdsCIRates.MemoryBytes();
        benchmark::DoNotOptimize(t);
    }
    state.counters["table_MB"] = double(bytes) / 1e6;
    state.counters["rates_MB"] = double(rates) / 1e6;
}
BENCHMARK(BM_LoadAllTables)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Decoding the rates packet already in memory: the reader and the typed columns alone.
void BM_DecodeRates(benchmark::State& state) {
    std::ifstream in(kRefData + "/cdsCIRates.pkt", std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    for (auto _ : state) {
        TReferenceTables t;
        t.LoadTable(RefTable::CIRates, bytes);
        benchmark::DoNotOptimize(t);
    }
    state.counters["packet_MB"] = double(bytes.size()) / 1e6;
}
BENCHMARK(BM_DecodeRates)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_RatesLookup(benchmark::State& state) {
    const TReferenceTables t = TReferenceTables::LoadFromFolder(kRefData);
    std::vector<std::pair<int, int32_t>> keys;
    std::mt19937 rng(7);
    const auto& towns = t.cdsTRWRA.Rows();
    for (int i = 0; i < 4096; ++i) {
        int crop = 1 + int(rng() % 40) + (rng() % 2 ? 1000 : 0);
        keys.emplace_back(crop, towns[rng() % towns.size()].TRW);
    }
    size_t i = 0;
    for (auto _ : state) {
        const auto& k = keys[i++ & 4095];
        benchmark::DoNotOptimize(t.cdsCIRates.Find(k.first, k.second));
    }
}
BENCHMARK(BM_RatesLookup);

} // namespace

BENCHMARK_MAIN();
