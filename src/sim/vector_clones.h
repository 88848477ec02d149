#pragma once
// The sampler's and the statistics' loops are compiled twice, for plain x86-64 (SSE2) and for
// AVX2, and the loader picks the one the processor runs. Both copies do the same operations in
// the same order (no fused multiply-add: the library is built with -ffp-contract=off), so the
// results are the same bit for bit; AVX2 only does four values at a time instead of two.

// Clang cannot clone function templates; a clang build (the fuzz targets) gets the plain loops.
// So does a build with a sanitizer: the loader runs the clones' resolvers before the sanitizer's
// runtime is ready.
#if defined(__x86_64__) && defined(__ELF__) && defined(__GNUC__) && !defined(__clang__) &&         \
    !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
#define ACREMARK_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define ACREMARK_VECTOR_CLONES
#endif
