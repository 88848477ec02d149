#include "sim/random.h"

#include "base/large_memory.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <vector>

#include "sim/parallel.h"

#include "sim/vector_clones.h"

namespace acremark {

namespace {

std::uint32_t g_seed = 0;

constexpr std::uint32_t kMultiplier = 134775813u;
constexpr double kTwoToMinus32 = 1.0 / 4294967296.0;

inline std::uint32_t NextSeed(std::uint32_t seed) {
    return seed * kMultiplier + 1u;
}

// The polar method on a local copy of the seed, so a loop over many deviates keeps the state
// in a register; the caller writes the seed back.
inline float PolarDeviate(std::uint32_t& seed) {
    for (;;) {
        seed = NextSeed(seed);
        const float v = static_cast<float>(2.0 * (seed * kTwoToMinus32) - 1.0);
        seed = NextSeed(seed);
        const double w = 2.0 * (seed * kTwoToMinus32) - 1.0;
        const double vd = v;
        const float s = static_cast<float>(vd * vd + w * w);
        // s = 0 would take the log of zero; reject it like a point outside the circle.
        if (s >= 1.0f || s == 0.0f) continue;
        const double sd = s;
        return static_cast<float>(vd * std::sqrt(-2.0 * std::log(sd) / sd));
    }
}

} // namespace

std::uint32_t RandSeed() {
    return g_seed;
}

void SetRandSeed(std::uint32_t seed) {
    g_seed = seed;
}

std::uint32_t ReseedFromClock() {
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    const auto bits = static_cast<std::uint64_t>(ticks);
    // Fold both halves in, so the fast-moving low bits and the date both count.
    g_seed = static_cast<std::uint32_t>(bits ^ (bits >> 32));
    return g_seed;
}

double RandUniform() {
    g_seed = NextSeed(g_seed);
    return g_seed * kTwoToMinus32;
}

float RandNormal() {
    return PolarDeviate(g_seed);
}

namespace {

// Pairs of uniforms drawn per block by RandNormalFill.
constexpr int kFillPairs = 256;

// The state k steps after any seed s is jump[k].a * s + jump[k].c (mod 2^32), so every seed of
// a block follows from the block's starting seed at once instead of one after the other.
struct Jump {
    std::uint32_t a[2 * kFillPairs + 1];
    std::uint32_t c[2 * kFillPairs + 1];
};
constexpr Jump MakeJump() {
    Jump j{};
    j.a[0] = 1u;
    j.c[0] = 0u;
    for (int k = 1; k <= 2 * kFillPairs; ++k) {
        j.a[k] = j.a[k - 1] * kMultiplier;
        j.c[k] = j.c[k - 1] * kMultiplier + 1u;
    }
    return j;
}
constexpr Jump kJump = MakeJump();

// 2 * (seed * 2^-32) - 1 exactly, from the bits: 2 + seed * 2^-31 has seed in the top of its
// mantissa, and subtracting 3 is exact.
inline double Centered(std::uint32_t seed) {
    return std::bit_cast<double>(0x4000000000000000ull | (std::uint64_t{seed} << 20)) - 3.0;
}

// A packed pair: the point's first coordinate v in the low half, its squared radius s in the
// high half, both the floats the polar method computes.
inline double PackPair(float v, float s) {
    return std::bit_cast<double>(std::uint64_t{std::bit_cast<std::uint32_t>(v)} |
                                 std::uint64_t{std::bit_cast<std::uint32_t>(s)} << 32);
}

// The candidate pair of the draws u1, u2 as the polar method sees it: the point's first
// coordinate and its squared radius, both floats.
struct Candidate {
    float v;
    float s;
};
inline Candidate CandidateOf(std::uint32_t u1, std::uint32_t u2) {
    const float vf = static_cast<float>(Centered(u1));
    const double w = Centered(u2);
    const double vd = vf;
    return {vf, static_cast<float>(vd * vd + w * w)};
}

// Whether a candidate is kept: inside the unit circle, and not its centre (s = 0 would take the
// log of zero). As 0 or 1, so that picking out the kept ones needs no branch.
inline int Kept(float s) {
    return (s < 1.0f) & (s != 0.0f);
}

// The state `pairs` candidate pairs (twice as many steps) after seed: the step's affine map
// raised to that power by repeated squaring.
std::uint32_t JumpPairs(std::uint32_t seed, std::uint64_t pairs) {
    std::uint32_t a = kMultiplier, c = 1u; // the map of 2^k steps
    std::uint32_t A = 1u, C = 0u;          // the map of the steps taken so far
    for (std::uint64_t steps = 2 * pairs; steps != 0; steps >>= 1) {
        if (steps & 1u) {
            A = a * A;
            C = a * C + c;
        }
        c = a * c + c;
        a = a * a;
    }
    return A * seed + C;
}

// Examines candidate pairs from seed on and writes the accepted points, packed, to out until
// want are written. Returns the candidates examined, the last accepted one included. With
// before, before[b] is the number of points accepted from the candidates ahead of block b
// (candidates 256 b on; every block but the last is whole); when the places up to
// beforeEnd are used, the drawing stops there, and *drawn tells how many points were written.
//
// A block of candidates is generated at once (the seeds by jumping ahead, the points and their
// squared radii in vector registers) and the accepted ones are picked out without branching.
// The logarithms, which are most of the cost, wait for PolarDeviates.
ACREMARK_VECTOR_CLONES std::uint64_t PolarPoints(std::uint32_t seed, double* out, std::int64_t want,
                                                 std::int64_t* before = nullptr,
                                                 const std::int64_t* beforeEnd = nullptr,
                                                 std::int64_t* drawn = nullptr) {
    float vs[kFillPairs];
    float ss[kFillPairs];
    std::int64_t done = 0;
    std::uint64_t examined = 0;
    while (done < want) {
        if (before) {
            if (before == beforeEnd) break;
            *before++ = done;
        }
        for (int p = 0; p < kFillPairs; ++p) {
            const Candidate c = CandidateOf(kJump.a[2 * p + 1] * seed + kJump.c[2 * p + 1],
                                            kJump.a[2 * p + 2] * seed + kJump.c[2 * p + 2]);
            vs[p] = c.v;
            ss[p] = c.s;
        }
        const std::int64_t left = want - done;
        const int wanted = left < kFillPairs ? static_cast<int>(left) : kFillPairs;
        int got = 0;
        int used = 0; // candidates consumed
        double* dst = out + done;
        while (used < kFillPairs && got < wanted) {
            const float sf = ss[used];
            // Written whether accepted or not: a rejected pair is overwritten by the next one,
            // and the slot past the last wanted one is never written.
            dst[got] = PackPair(vs[used], sf);
            got += Kept(sf);
            ++used;
        }
        seed = kJump.a[2 * used] * seed + kJump.c[2 * used];
        examined += static_cast<std::uint64_t>(used);
        done += got;
    }
    if (drawn) *drawn = done;
    return examined;
}

// One candidate at a time, as PolarPoints judges it: whether the pair after seed is accepted;
// seed moves past the pair.
inline int Accepted(std::uint32_t& seed) {
    const std::uint32_t u1 = NextSeed(seed);
    seed = NextSeed(u1);
    return Kept(CandidateOf(u1, seed).s);
}

// The helper's points and block counts, kept from run to run: fresh pages for them would cost
// more than the sharing wins.
thread_local LargeVector<double> t_points;
thread_local std::vector<std::int64_t> t_before;

} // namespace

void RandPolarPairs(double* out, int n) {
    g_seed = JumpPairs(g_seed, PolarPoints(g_seed, out, n));
}

void RandPolarRows(double* const* rows, int count, int n, const std::function<void(int)>& rowDone,
                   std::int64_t helperStart) {
    const int mine = count / 2; // rows drawn here; the helper draws ahead for the others
    const std::int64_t firstPoints = std::int64_t{mine} * n;
    const std::int64_t restPoints = std::int64_t{count - mine} * n;
    const std::uint32_t start = g_seed;
    auto drawHere = [&](int from) {
        for (int i = from; i < count; ++i) {
            RandPolarPairs(rows[i], n);
            if (rowDone) rowDone(i);
        }
    };
    if (!SplitEnabled() || mine == 0 || restPoints < kLeastSharedItems / 2) return drawHere(0);

    // The first rows take about firstPoints / p candidates, p = pi / 4 the chance of accepting
    // one, with a standard deviation of sigma. The helper starts 8 sigma early, so it almost
    // surely starts before the first rows end, and draws 16 sigma's worth of points beyond the
    // rest, so it almost surely reaches the end.
    constexpr double kAccept = 0.78539816339744831;
    const double sigma = std::sqrt(static_cast<double>(firstPoints) * (1 - kAccept)) / kAccept;
    const std::int64_t from =
        helperStart >= 0
            ? helperStart
            : std::max<std::int64_t>(0, std::llround(firstPoints / kAccept - 8 * sigma));
    const std::int64_t drawn = restPoints + std::llround(16 * sigma * kAccept) + 64;
    // Blocks enough for an acceptance rate down to a half; were it lower, the helper would stop
    // short and the rest be drawn here.
    const auto blocks = static_cast<std::size_t>(drawn / kFillPairs * 2 + 2);
    if (static_cast<std::int64_t>(t_points.size()) < drawn)
        t_points.resize(static_cast<std::size_t>(drawn));
    if (t_before.size() < blocks) t_before.resize(blocks);
    double* points = t_points.data();
    std::int64_t* before = t_before.data();
    const std::uint32_t helperSeed = JumpPairs(start, static_cast<std::uint64_t>(from));

    std::uint64_t examined = 0; // by the first rows
    std::uint64_t helperExamined = 0;
    std::int64_t helperDrawn = 0;
    // The jump-ahead is worth it only while the helper draws at the same time as this thread:
    // when it has not started by the time the first rows are drawn, the rest is drawn here.
    RunSplit(
        [&] {
            helperExamined =
                PolarPoints(helperSeed, points, drawn, before, before + blocks, &helperDrawn);
        },
        [&] {
            std::uint32_t seed = start;
            for (int i = 0; i < mine; ++i) {
                const std::uint64_t used = PolarPoints(seed, rows[i], n);
                seed = JumpPairs(seed, used);
                examined += used;
                if (rowDone) rowDone(i);
            }
        },
        firstPoints + restPoints, Unclaimed::Skip);

    // The rest continues with the first candidate the first rows left, when the helper started
    // at or before it. skip: the helper's points ahead of that candidate, counted from the
    // start of its block.
    const auto helperFrom = static_cast<std::uint64_t>(from);
    if (helperFrom <= examined && examined - helperFrom < helperExamined) {
        const std::uint64_t local = examined - helperFrom;
        const std::uint64_t block = local / kFillPairs;
        std::int64_t skip = before[block];
        std::uint32_t seed = JumpPairs(helperSeed, block * kFillPairs);
        for (std::uint64_t k = block * kFillPairs; k < local; ++k)
            skip += Accepted(seed);
        if (skip + restPoints <= helperDrawn) {
            const double* p = points + skip;
            for (int i = mine; i < count; ++i, p += n) {
                std::copy(p, p + n, rows[i]);
                if (rowDone) rowDone(i);
            }
            // The seed follows the candidate of the last point taken: found in its block.
            const std::int64_t last = skip + restPoints - 1;
            const std::int64_t* blockEnd = std::upper_bound(
                before, before + (helperExamined + kFillPairs - 1) / kFillPairs, last);
            const auto lastBlock = static_cast<std::uint64_t>(blockEnd - before - 1);
            std::int64_t counted = before[lastBlock];
            seed = JumpPairs(helperSeed, lastBlock * kFillPairs);
            while (counted <= last)
                counted += Accepted(seed);
            g_seed = seed;
            return;
        }
    }
    g_seed = JumpPairs(start, examined);
    drawHere(mine);
}

ACREMARK_VECTOR_CLONES
void PolarDeviates(double* values, int n) {
    constexpr int kBlock = 256;
    float v[kBlock];
    double logs[kBlock];
    double s[kBlock];
    for (int first = 0; first < n; first += kBlock) {
        const int count = n - first < kBlock ? n - first : kBlock;
        double* x = values + first;
        for (int i = 0; i < count; ++i) {
            const auto bits = std::bit_cast<std::uint64_t>(x[i]);
            v[i] = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
            s[i] = std::bit_cast<float>(static_cast<std::uint32_t>(bits >> 32));
        }
        // The logarithms first: they do not wait on each other.
        for (int i = 0; i < count; ++i)
            logs[i] = std::log(s[i]);
        for (int i = 0; i < count; ++i)
            x[i] = static_cast<float>(v[i] * std::sqrt(-2.0 * logs[i] / s[i]));
    }
}

void RandNormalFill(double* out, int n) {
    RandPolarPairs(out, n);
    PolarDeviates(out, n);
}

} // namespace acremark
