#include "sim/random.h"

#include <bit>
#include <chrono>

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

} // namespace

ACREMARK_VECTOR_CLONES
void RandPolarPairs(double* out, int n) {
    // A block of pairs is generated at once (the seeds by jumping ahead, the points and their
    // squared radii in vector registers) and the accepted pairs are picked out without
    // branching. The logarithms, which are most of the cost, wait for PolarDeviates.
    std::uint32_t seed = g_seed;
    float vs[kFillPairs];
    float ss[kFillPairs];
    int done = 0;
    while (done < n) {
        for (int p = 0; p < kFillPairs; ++p) {
            const std::uint32_t first = kJump.a[2 * p + 1] * seed + kJump.c[2 * p + 1];
            const std::uint32_t second = kJump.a[2 * p + 2] * seed + kJump.c[2 * p + 2];
            const float vf = static_cast<float>(Centered(first));
            const double w = Centered(second);
            const double vd = vf;
            vs[p] = vf;
            ss[p] = static_cast<float>(vd * vd + w * w);
        }
        const int want = n - done;
        int got = 0;
        int used = 0; // pairs consumed
        double* dst = out + done;
        while (used < kFillPairs && got < want) {
            const float sf = ss[used];
            // Written whether accepted or not: a rejected pair is overwritten by the next one,
            // and the slot past the last wanted one is never written.
            dst[got] = PackPair(vs[used], sf);
            got += (sf < 1.0f) & (sf != 0.0f); // s = 0 is rejected like s >= 1
            ++used;
        }
        seed = kJump.a[2 * used] * seed + kJump.c[2 * used];
        done += got;
    }
    g_seed = seed;
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
