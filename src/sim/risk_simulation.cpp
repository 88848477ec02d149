#include "sim/risk_simulation.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "sim/correlation.h"
#include "sim/parallel.h"
#include "sim/random.h"
#include "sim/tick_count.h"
#include "sim/vector_clones.h"

namespace acremark {

namespace {

// Expected share of a run taken by phases 1..8: setup, deviates, correlation and transform,
// minimum/maximum/mean, covariances, the budget of every iteration, output statistics, results.
// UpdateSmartShare then learns the real proportions of the machine.
constexpr std::array<double, 11> kStartingShares = {
    0.0,         0.019811691, 0.265005885, 0.385052962, 0.011769321, 0.235778737,
    0.062965869, 0.017653982, 0.001961554, 0.0,         0.0};

constexpr int kCurvePoints = 1000;

// Iterations per tile of the covariance pass: the centred tile (16 KB for 64 variables) and the
// sums (32 KB) stay in the fastest caches while every pair is updated.
constexpr int kCovarianceTile = 32;

// The "#,###" pattern: digits grouped by three, nothing at all for 0.
std::string FormatGrouped(std::uint32_t value, const std::string& separator) {
    if (value == 0) return {};
    const std::string digits = std::to_string(value);
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += separator;
        out += digits[i];
    }
    return out;
}

// Sum, minimum and maximum of G rows at once: the sums are sequential in j, as a plain loop
// would add them, but G independent chains keep the adder busy.
template <int G>
ACREMARK_VECTOR_CLONES void RowStats(const double* const* rows, int n, double* sum, double* lo,
                                     double* hi) {
    double s[G], mn[G], mx[G];
    for (int r = 0; r < G; ++r) {
        s[r] = 0.0;
        mn[r] = mx[r] = rows[r][0];
    }
    for (int j = 0; j < n; ++j) {
        for (int r = 0; r < G; ++r) {
            const double x = rows[r][j];
            s[r] += x;
            mn[r] = x < mn[r] ? x : mn[r];
            mx[r] = x > mx[r] ? x : mx[r];
        }
    }
    for (int r = 0; r < G; ++r) {
        sum[r] = s[r];
        lo[r] = mn[r];
        hi[r] = mx[r];
    }
}

// A register block of sums: kPairRows rows by kPairBlock columns.
constexpr int kPairRows = 4;
constexpr int kPairBlock = 8;

// sums[p..p+3][qb..qb+7] += products of the centred samples over the len iterations of the
// tile, in iteration order. tile holds iteration t's centred samples at tile[t * width + q].
// Rows past the last variable are spare rows: their tile columns are padding (zeros) and the
// sums they collect are never read.
ACREMARK_VECTOR_CLONES void PairBlock(const double* tile, int width, int len, int p, int qb,
                                      double* sums) {
    double* r0 = sums + static_cast<std::size_t>(p) * width + qb;
    double* r1 = r0 + width;
    double* r2 = r1 + width;
    double* r3 = r2 + width;
    double a0[kPairBlock], a1[kPairBlock], a2[kPairBlock], a3[kPairBlock];
    for (int i = 0; i < kPairBlock; ++i) {
        a0[i] = r0[i];
        a1[i] = r1[i];
        a2[i] = r2[i];
        a3[i] = r3[i];
    }
    for (int t = 0; t < len; ++t) {
        const double* row = tile + static_cast<std::size_t>(t) * width;
        const double c0 = row[p];
        const double c1 = row[p + 1];
        const double c2 = row[p + 2];
        const double c3 = row[p + 3];
        const double* cq = row + qb;
        for (int i = 0; i < kPairBlock; ++i)
            a0[i] += c0 * cq[i];
        for (int i = 0; i < kPairBlock; ++i)
            a1[i] += c1 * cq[i];
        for (int i = 0; i < kPairBlock; ++i)
            a2[i] += c2 * cq[i];
        for (int i = 0; i < kPairBlock; ++i)
            a3[i] += c3 * cq[i];
    }
    for (int i = 0; i < kPairBlock; ++i) {
        r0[i] = a0[i];
        r1[i] = a1[i];
        r2[i] = a2[i];
        r3[i] = a3[i];
    }
}

// Ascending order of n doubles by radix sort on their bit patterns, made to compare like the
// numbers (negative ones have every bit flipped, the others the sign bit): eight passes of
// one byte, skipping the bytes all outcomes share. Several times quicker than a comparison sort
// on the 10000 outcomes of a run.
std::vector<double> SortedCopy(const double* values, int n) {
    constexpr std::uint64_t kSign = 0x8000000000000000ull;
    std::vector<std::uint64_t> keys(static_cast<std::size_t>(n));
    std::vector<std::uint64_t> spare(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const auto bits = std::bit_cast<std::uint64_t>(values[i]);
        keys[static_cast<std::size_t>(i)] = (bits & kSign) ? ~bits : bits | kSign;
    }
    for (int shift = 0; shift < 64; shift += 8) {
        std::array<std::size_t, 257> start{};
        for (const std::uint64_t key : keys)
            ++start[((key >> shift) & 0xFF) + 1];
        if (n > 0 && start[((keys[0] >> shift) & 0xFF) + 1] == static_cast<std::size_t>(n))
            continue; // every key has this byte
        for (int d = 0; d < 256; ++d)
            start[d + 1] += start[d];
        for (const std::uint64_t key : keys)
            spare[start[(key >> shift) & 0xFF]++] = key;
        keys.swap(spare);
    }
    std::vector<double> sorted(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const std::uint64_t key = keys[static_cast<std::size_t>(i)];
        sorted[static_cast<std::size_t>(i)] =
            std::bit_cast<double>((key & kSign) ? key ^ kSign : ~key);
    }
    return sorted;
}

// Stores the curve of n outcomes into curve[1..1000]: point k is the mean of the k-th block of
// n / 1000 consecutive sorted outcomes.
void StoreCurve(const double* outcomes, int n, double* curve) {
    if (n < kCurvePoints || n % kCurvePoints != 0) return;
    const std::vector<double> sorted = SortedCopy(outcomes, n);
    const int k = n / kCurvePoints;
    long double sum = 0.0L;
    for (int i = 1; i <= n; ++i) {
        sum += sorted[static_cast<std::size_t>(i) - 1];
        if (i % k == 0) {
            curve[i / k] = static_cast<double>(sum / k);
            sum = 0.0L;
        }
    }
}

} // namespace

TRiskSimulation::TRiskSimulation(int scenarioCount, TProgressDisplay* statusBar)
    : ScenarioCount(scenarioCount), StatusBar(statusBar), TickCount(SystemTickCount) {
    if (scenarioCount < 0) throw std::invalid_argument("negative scenario count");
    SmartShare = kStartingShares;
    CM.Allocate(scenarioCount, kCurvePoints);
    GM.Allocate(scenarioCount, kCurvePoints);
    CMMean = MakeVector(scenarioCount);
    CMStd = MakeVector(scenarioCount);
    GMMean = MakeVector(scenarioCount);
    GMStd = MakeVector(scenarioCount);
}

TRiskSimulation::~TRiskSimulation() {
    Clear();
}

void TRiskSimulation::Setup(int count, int n, int nO) {
    if (count < 0 || n < 0 || nO < 0) throw std::invalid_argument("negative simulation size");
    PercentDone = 0.0;
    if (StatusBar) {
        StatusBar->SetPercent(0);
        StatusBar->Repaint();
    }
    StartTime = TickCount();
    SmartIndex = 0;
    AddSmartTick();

    // The arrays are zeroed in the memory of the last run rather than freed and fetched again:
    // fresh pages for a 5 MB sample matrix cost more than zeroing it.
    List.clear();
    Count = count;
    N = n;
    List.reserve(static_cast<std::size_t>(count));
    for (int i = 1; i <= count; ++i)
        List.emplace_back(this, i);

    X.Allocate(count, n);
    Y.Allocate(nO, n);
    YMean = MakeVector(nO);
    YStd = MakeVector(nO);
    XMean = MakeVector(count);
    XSD = MakeVector(count);
    XVC.Allocate(count, count);
    XR.Allocate(count, count);
    XR0.Allocate(count, count);
    L2.Allocate(count, count);
    XMin = MakeVector(count);
    XMax = MakeVector(count);
    for (int i = 1; i <= count; ++i) {
        XR[i][i] = 1.0;
        XR0[i][i] = 1.0;
    }

    PercentDone = GetSmartShare();
    UpdateProgress();
    AddSmartTick();
}

void TRiskSimulation::Clear() {
    List.clear();
    X.Free();
    Y.Free();
    XVC.Free();
    XR.Free();
    XR0.Free();
    L2.Free();
    for (TVector* v : {&YMean, &YStd, &XMin, &XMax, &XMean, &XSD}) {
        v->clear();
        v->shrink_to_fit();
    }
}

TTriangle& TRiskSimulation::getTriangle(int index) {
    return List.at(static_cast<std::size_t>(index));
}

void TRiskSimulation::setCorrelation(int i, int j, double value) {
    if (i < 1 || i > Count || j < 1 || j > Count)
        throw std::out_of_range("correlation of a variable that does not exist");
    if (value > 1.0) value = 1.0;
    if (value < -1.0) value = -1.0;
    XR0[i][j] = value;
    XR0[j][i] = value;
}

void TRiskSimulation::CalcInput() {
    TriRandom();
}

void TRiskSimulation::TriRandom() {
    const int half = Count / 2;
    FactorBlock(XR0, L2, 1, half);
    FactorBlock(XR0, L2, half + 1, Count);

    // The generator's points, one variable after the other; the logarithms wait for the tiles.
    std::vector<double*> rows;
    for (int i = 1; i <= Count; ++i)
        rows.push_back(X[i] + 1);
    RandPolarRows(rows.data(), Count, N, [this](int) {
        PercentDone += GetSmartShare() / Count;
        UpdateProgress();
    });
    AddSmartTick();

    CorrelateTiles(half);
    AddSmartTick();

    calcStat();
}

void TRiskSimulation::CorrelateTiles(int half) {
    // Tiles of iterations are independent of each other: the helper takes the second half of
    // them while this thread takes the first. In each tile every variable's packed points become
    // deviates, then each block is correlated and transformed.
    const int tiles = (N + kCorrelateTile - 1) / kCorrelateTile;
    std::atomic<int> finished{0};
    auto tile = [&](int t) {
        const int first = 1 + t * kCorrelateTile;
        const int count = std::min(kCorrelateTile, N - first + 1);
        for (int i = 1; i <= Count; ++i)
            PolarDeviates(X[i] + first, count);
        if (half >= 1) CorrelateTile(L2, 1, half, List, X, first, count);
        if (Count > half) CorrelateTile(L2, half + 1, Count, List, X, first, count);
        finished.fetch_add(1, std::memory_order_relaxed);
    };
    // Progress grows at every hundredth iteration of each block, for the tiles of both threads
    // that are done; only this thread shows it.
    int reported = 0;
    auto report = [&] {
        const int done = finished.load(std::memory_order_relaxed);
        for (; reported < done; ++reported) {
            const int first = 1 + reported * kCorrelateTile;
            const int last = std::min(N, first + kCorrelateTile - 1);
            for (int j = last / 100 - (first - 1) / 100; j > 0; --j) {
                PercentDone += 2 * (GetSmartShare() * 50 / N);
                UpdateProgress();
            }
        }
    };
    RunParts(
        tiles,
        [&](int t, bool onCaller) {
            tile(t);
            if (onCaller) report();
        },
        static_cast<long long>(N) * Count);
    report();
}

void TRiskSimulation::calcStat() {
    // One sample has no spread to speak of; nothing reads the statistics of such a run, nor
    // those of an object whose owner has turned them off.
    if (N < 2 || !SampleStatistics) {
        AddSmartTick();
        AddSmartTick();
        return;
    }
    MeanMinMax();
    AddSmartTick();
    Covariances();
    AddSmartTick();

    for (int l = 2; l <= Count; ++l) {
        for (int m = 1; m < l; ++m) {
            XVC[l][m] = XVC[m][l];
            double c = std::sqrt(XVC[l][l] * XVC[m][m]);
            if (c == 0.0) c = 1e-11; // a constant variable correlates 0 with the others
            XR[l][m] = XVC[l][m] / c;
            XR[m][l] = XR[l][m];
        }
    }
    for (int j = 1; j <= Count; ++j)
        XSD[j] = std::sqrt(XVC[j][j]);
}

void TRiskSimulation::MeanMinMax() {
    // Rows in fours, each row's figures on their own: this thread takes the first half of the
    // rows and the helper the rest.
    auto rows = [this](int from, int to, bool reports) {
        int i = from;
        while (i <= to) {
            const int group = to - i + 1 >= 4 ? 4 : 1;
            const double* row[4];
            double sum[4], lo[4], hi[4];
            for (int r = 0; r < group; ++r)
                row[r] = X[i + r] + 1;
            if (group == 4)
                RowStats<4>(row, N, sum, lo, hi);
            else
                RowStats<1>(row, N, sum, lo, hi);
            for (int r = 0; r < group; ++r, ++i) {
                XMin[i] = lo[r];
                XMax[i] = hi[r];
                XMean[i] = sum[r] / N;
                if (reports) {
                    PercentDone += GetSmartShare() / Count;
                    UpdateProgress();
                }
            }
        }
    };
    // Parts of whole groups of four rows; the rows of parts that ran elsewhere are reported
    // once all are done.
    const int groups = (Count + 3) / 4;
    const int parts = std::max(1, std::min(groups, 4 * ShareThreads()));
    auto partRows = [&](int k) {
        return std::pair(1 + 4 * (groups * k / parts),
                         std::min(Count, 4 * (groups * (k + 1) / parts)));
    };
    const std::vector<bool> here = RunParts(
        parts, [&](int k, bool onCaller) { rows(partRows(k).first, partRows(k).second, onCaller); },
        static_cast<long long>(N) * Count);
    for (int k = 0; k < parts; ++k)
        if (!here[size_t(k)])
            for (int i = partRows(k).first; i <= partRows(k).second; ++i) {
                PercentDone += GetSmartShare() / Count;
                UpdateProgress();
            }
}

void TRiskSimulation::Covariances() {
    // Each covariance is the sum over the iterations, in order, of the products of the centred
    // samples. The iterations are walked in tiles, centred and turned on their side (iteration
    // by variable), and each tile updates blocks of 4 x 8 pairs held in registers. Every sum
    // keeps its order, so the result is bit for bit that of the plain triple loop, at a fraction
    // of its memory traffic. The rows of pairs are shared out: this thread takes the first ones
    // and the helper the rest, about as many pairs each, each with a tile of its own.
    const int c = Count;
    const int width = (c + kPairBlock - 1) / kPairBlock * kPairBlock; // columns, padded with 0
    // Rows go in fours; width is a multiple of 8, so it covers the spare rows too.
    std::vector<double> sums(static_cast<std::size_t>(width) * width, 0.0);
    const int tiles = (N + kCovarianceTile - 1) / kCovarianceTile;

    // Row block p pairs with the column blocks from the one holding row p on (the pairs below
    // the diagonal that they include cost little and are never read).
    auto blocksOf = [width](int p) { return (width - p / kPairBlock * kPairBlock) / kPairBlock; };
    long long total = 0;
    for (int p = 0; p < c; p += kPairRows)
        total += blocksOf(p);
    int split = 0; // row blocks before it are this thread's
    for (long long mine = 0; split < c && 2 * (mine + blocksOf(split)) <= total; split += kPairRows)
        mine += blocksOf(split);

    int reported = 0; // variables whose progress step has been taken
    auto rows = [&](int pFrom, int pTo, bool reports) {
        if (pFrom >= pTo) return;
        const int fromColumn = pFrom / kPairBlock * kPairBlock; // the tile's first column in use
        std::vector<double> tile(static_cast<std::size_t>(kCovarianceTile) * width, 0.0);
        for (int n = 0; n < tiles; ++n) {
            const int first = 1 + n * kCovarianceTile;
            const int len = std::min(kCovarianceTile, N - first + 1);
            for (int q = fromColumn + 1; q <= c; ++q) {
                const double* xq = X[q] + first;
                const double m = XMean[q];
                double* column = tile.data() + (q - 1);
                for (int t = 0; t < len; ++t)
                    column[static_cast<std::size_t>(t) * width] = xq[t] - m;
            }
            for (int p = pFrom; p < pTo; p += kPairRows) {
                for (int qb = p / kPairBlock * kPairBlock; qb < width; qb += kPairBlock)
                    PairBlock(tile.data(), width, len, p, qb, sums.data());
            }
            if (!reports) continue;
            // The per-variable progress steps, spread over the pass.
            const int due = static_cast<int>(static_cast<long long>(c) * (n + 1) / tiles);
            for (; reported < due; ++reported) {
                PercentDone += GetSmartShare() / Count;
                UpdateProgress();
            }
        }
    };
    RunSplit([&] { rows(split, c, false); }, [&] { rows(0, split, true); },
             static_cast<long long>(N) * c * c / 2);
    for (; reported < c; ++reported) {
        PercentDone += GetSmartShare() / Count;
        UpdateProgress();
    }
    for (int j = 1; j <= c; ++j) {
        XR[j][j] = 1.0;
        const double* row = sums.data() + static_cast<std::size_t>(j - 1) * width - 1; // from 1
        for (int k = j; k <= c; ++k)
            XVC[j][k] = row[k] / (N - 1);
    }
}

void TRiskSimulation::CalcY() {
    if (ScenarioNo < 1 || ScenarioNo > ScenarioCount)
        throw std::out_of_range("scenario number outside the result store");
    const int nO = Y.Rows();
    const int s = ScenarioNo;
    for (int r = 1; r <= nO; ++r) {
        const double* y = Y[r] + 1;
        // Mean and spread in long double; the squared deviations with Kahan compensation, so a
        // large margin with a small spread keeps its digits.
        long double sum = 0.0L;
        for (int j = 0; j < N; ++j)
            sum += y[j];
        const long double mean = N > 0 ? sum / N : 0.0L;
        long double squares = 0.0L;
        long double carry = 0.0L;
        for (int j = 0; j < N; ++j) {
            const long double d = y[j] - mean;
            const long double term = d * d - carry;
            const long double total = squares + term;
            carry = (total - squares) - term;
            squares = total;
        }
        YMean[r] = static_cast<double>(mean);
        YStd[r] = N > 1 ? static_cast<double>(std::sqrt(squares / (N - 1))) : 0.0;

        if (r == CMCol) {
            CMMean[s] = YMean[r];
            CMStd[s] = YStd[r];
            StoreCurve(y, N, CM[s]);
        }
        if (r == GMCol) {
            GMMean[s] = YMean[r];
            GMStd[s] = YStd[r];
            StoreCurve(y, N, GM[s]);
        }
        PercentDone += GetSmartShare() / nO;
        UpdateProgress();
    }
    AddSmartTick();
}

void TRiskSimulation::AddSmartTick() {
    if (SmartIndex < 0 || SmartIndex >= static_cast<int>(SmartTick.size())) return;
    SmartTick[static_cast<std::size_t>(SmartIndex)] = TickCount();
    ++SmartIndex;
}

double TRiskSimulation::GetSmartShare() const {
    if (SmartIndex < 1 || SmartIndex >= static_cast<int>(SmartShare.size())) return 0.0;
    return SmartShare[static_cast<std::size_t>(SmartIndex)];
}

void TRiskSimulation::UpdateSmartShare() {
    --SmartIndex; // now the number of completed phases
    if (SmartIndex < 1) return;
    const std::uint32_t total = SmartTick[static_cast<std::size_t>(SmartIndex)] - SmartTick[0];
    if (total == 0) return;
    const int phases = std::min(SmartIndex, static_cast<int>(SmartShare.size()) - 1);
    for (int j = 1; j <= phases; ++j) {
        const std::uint32_t took = SmartTick[static_cast<std::size_t>(j)] - SmartTick[j - 1];
        SmartShare[static_cast<std::size_t>(j)] =
            (SmartShare[static_cast<std::size_t>(j)] + static_cast<double>(took) / total) / 2;
    }
}

void TRiskSimulation::UpdateProgress() {
    if (PercentDone > 1.0) PercentDone = 1.0;
    const int percent = static_cast<int>(PercentDone * 100);
    // Repaint only when the whole percentage grows: about a hundred repaints a run at most.
    if (!StatusBar || StatusBar->Percent() >= percent) return;
    const std::uint32_t elapsed = TickCount() - SmartTick[0];
    StatusBar->SetPanelText(1, FormatGrouped(elapsed, ThousandSeparator));
    StatusBar->SetPercent(percent);
    StatusBar->Repaint();
}

std::string TRiskSimulation::CountTime(const std::string& s) const {
    const std::uint32_t elapsed = TickCount() - StartTime;
    const int size = std::snprintf(nullptr, 0, "%s: %6.3f seconds", s.c_str(), elapsed / 1000.0);
    std::string out(static_cast<std::size_t>(size), '\0');
    std::snprintf(out.data(), out.size() + 1, "%s: %6.3f seconds", s.c_str(), elapsed / 1000.0);
    return out;
}

} // namespace acremark
