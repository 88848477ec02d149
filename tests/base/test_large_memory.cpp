#include "base/large_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>

using namespace acremark;

// Large blocks are 2 MB-aligned (so huge pages can back them), kept when given back and handed
// to the next request that fits; small ones come from the usual heap.
TEST(LargeMemory, BlocksAreAlignedKeptAndReused) {
    constexpr std::size_t kThreeMB = std::size_t(3) << 20;
    void* a = AcquireLargeBlock(kThreeMB);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(a) % (std::size_t(2) << 20), 0u);
    static_cast<char*>(a)[kThreeMB - 1] = 7; // the whole size is usable
    ReleaseLargeBlock(a, kThreeMB);
    void* b = AcquireLargeBlock(kThreeMB - 100);
    EXPECT_EQ(b, a) << "a block given back is reused";
    void* c = AcquireLargeBlock(kThreeMB);
    EXPECT_NE(c, b) << "a block in use is never handed out twice";
    ReleaseLargeBlock(b, kThreeMB - 100);
    ReleaseLargeBlock(c, kThreeMB);
    // A request larger than every kept block gets a new one.
    void* d = AcquireLargeBlock(4 * kThreeMB);
    EXPECT_NE(d, a);
    EXPECT_NE(d, c);
    static_cast<char*>(d)[4 * kThreeMB - 1] = 7;
    ReleaseLargeBlock(d, 4 * kThreeMB);

    // As a vector's allocator: large and small vectors hold and copy their values alike.
    LargeVector<double> large(1 << 20), small(100);
    std::iota(large.begin(), large.end(), 0.0);
    std::iota(small.begin(), small.end(), 0.0);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(large.data()) % (std::size_t(2) << 20), 0u);
    LargeVector<double> copy = large;
    EXPECT_EQ(copy, large);
    EXPECT_EQ(copy[(1 << 20) - 1], double((1 << 20) - 1));
    EXPECT_EQ(small[99], 99.0);
}
