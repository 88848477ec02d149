#pragma once
// The random sources of a simulation: one process-wide uniform generator, standard normal
// deviates drawn from it, and the normal distribution function that turns correlated normal
// scores back into probabilities.

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>

namespace acremark {

// The generator's whole state. Every consumer in the program draws from this one seed, so a
// run is repeated bit for bit by putting the same seed back before it.
std::uint32_t RandSeed();
void SetRandSeed(std::uint32_t seed);

// Replaces the seed with a reading of a high-resolution clock, as every run does before its
// setup; returns the new seed so the caller can report it and the run can be repeated.
std::uint32_t ReseedFromClock();

// Linear congruential step: seed <- seed * 134775813 + 1 (mod 2^32); returns seed * 2^-32,
// so 0 <= u < 1.
double RandUniform();

// One standard normal deviate by Marsaglia's polar method in single precision: the first
// deviate of each accepted pair is returned and the second thrown away. A pair with s >= 1 (or
// s = 0) costs two uniforms and is drawn afresh.
float RandNormal();

// Writes n deviates to out[0..n), exactly the values (and the seed) that n calls of
// RandNormal() give, without the per-call overhead; the sampler fills its matrix with it.
void RandNormalFill(double* out, int n);

// RandNormalFill in two steps. RandPolarPairs does the part that must follow the generator one
// draw after the other: it advances the seed exactly as n calls of RandNormal() would and writes
// each accepted point packed into one double (its coordinate and squared radius, as floats).
// PolarDeviates turns packed points into the deviates in place; it needs no generator, so parts
// of the matrix can be turned on different threads.
void RandPolarPairs(double* out, int n);
void PolarDeviates(double* values, int n);

// count calls of RandPolarPairs(rows[i], n), one row after the other, with the same points and
// the same final seed, the work shared with the helper thread (sim/parallel.h). The accepted
// points are the generator's candidate pairs filtered, so the helper can jump ahead and filter
// the candidates of the later rows while this thread draws the first half of the rows; where
// the first rows end is only known afterwards, so the helper starts a little early and its
// surplus is dropped. rowDone(i), when given, is called on this thread as row i is complete.
// helperStart (tests only) is the candidate the helper starts at, in place of the estimate; a
// start too late or too early to be used is made good by drawing the rest here.
void RandPolarRows(double* const* rows, int count, int n, const std::function<void(int)>& rowDone,
                   std::int64_t helperStart = -1);

// e^x for x <= 0 to within one unit in the last place (glibc's exp: about half a unit), in
// plain arithmetic with no call and no branch, so that the sampler's loops vectorise: Taylor
// series of degree 13 on x reduced to |r| <= ln2/2, scaled by 2^k through the exponent bits.
// Below -708, where e^x < 3.3e-308, it returns 0 (CumNormal gets there only beyond 37
// standard deviations).
inline double ExpNonPositive(double x) {
    constexpr double kLog2e = 1.4426950408889634074;
    constexpr double kShifter = 6755399441055744.0;       // 1.5 * 2^52: adding it rounds to integer
    constexpr double kLn2Hi = 6.93147180369123816490e-01; // k * kLn2Hi is exact for |k| < 2^21
    constexpr double kLn2Lo = 1.90821492927058770002e-10;
    double kd = x * kLog2e + kShifter;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(kd);
    kd -= kShifter;
    const double r = (x - kd * kLn2Hi) - kd * kLn2Lo;
    // The series in a shallow tree rather than one long Horner chain, so that many values are
    // in flight at once; the small terms are summed first and 1 is added last.
    const double r2 = r * r;
    const double r4 = r2 * r2;
    const double q3 = 1.0 / 479001600.0 + r * (1.0 / 6227020800.0);
    const double q2 =
        (1.0 / 40320.0 + r * (1.0 / 362880.0)) + r2 * (1.0 / 3628800.0 + r * (1.0 / 39916800.0));
    const double q1 = (1.0 / 24.0 + r * (1.0 / 120.0)) + r2 * (1.0 / 720.0 + r * (1.0 / 5040.0));
    const double small = r2 * (0.5 + r * (1.0 / 6.0)) + r4 * (q1 + r4 * (q2 + r4 * q3));
    const double p = 1.0 + (r + small);
    // The low bits of kd + kShifter hold k; 2^k is the double with biased exponent k + 1023.
    const double scale = std::bit_cast<double>((bits - 0x4338000000000000ull + 1023u) << 52);
    return x < -708.0 ? 0.0 : p * scale;
}

// Standard normal distribution function, polynomial 26.2.17 of Abramowitz and Stegun (absolute
// error below 7.5e-8), with its constants exactly as published, 0.3989423 included, so
// CumNormal(0) is 0.49999998 rather than 0.5. Beyond +-60 it returns exactly 1 or 0.
//
// Computed in double, not long double: the sampler calls it for every sample (640,000 times
// in the largest run), and long double arithmetic with its exp costs more than the whole run
// may take. For x < 0 the tail is returned directly rather than as 1 - (1 - tail), which keeps
// the result within about 1e-15 relative of a long double evaluation even far out in the
// tail, where the triangle's quantile magnifies it most.
inline double CumNormal(double x) {
    const double t = 1.0 / (1.0 + 0.2316419 * std::fabs(x));
    const double tail =
        0.3989423 * ExpNonPositive(-x * x / 2.0) * t *
        (0.31938153 +
         t * (-0.356563782 + t * (1.781477937 + t * (-1.821255978 + t * 1.330274429))));
    const double u = x < 0.0 ? tail : 1.0 - tail;
    return x > 60.0 ? 1.0 : (x < -60.0 ? 0.0 : u);
}

} // namespace acremark
