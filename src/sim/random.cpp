#include "sim/random.h"

#include <chrono>

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

void RandNormalFill(double* out, int n) {
    // Two passes over blocks: the generator and the acceptance test first, branch-free, then
    // the logarithms, which are independent of each other and overlap in the pipeline. The
    // values and the final seed are exactly those of n calls of RandNormal().
    constexpr int kBlock = 256;
    float v[kBlock];
    float s[kBlock];
    std::uint32_t seed = g_seed;
    int done = 0;
    while (done < n) {
        const int want = n - done < kBlock ? n - done : kBlock;
        int got = 0;
        while (got < want) {
            seed = NextSeed(seed);
            const float vf = static_cast<float>(2.0 * (seed * kTwoToMinus32) - 1.0);
            seed = NextSeed(seed);
            const double w = 2.0 * (seed * kTwoToMinus32) - 1.0;
            const double vd = vf;
            const float sf = static_cast<float>(vd * vd + w * w);
            v[got] = vf;
            s[got] = sf;
            got += (sf < 1.0f) & (sf != 0.0f);
        }
        for (int i = 0; i < want; ++i) {
            const double sd = s[i];
            out[done + i] = static_cast<float>(v[i] * std::sqrt(-2.0 * std::log(sd) / sd));
        }
        done += want;
    }
    g_seed = seed;
}

} // namespace acremark
