#pragma once
// Memory for the run's large arrays (samples, outputs, per-field margins, malt slices). Fresh
// memory is costly to touch on first use: the system hands it out a 4 KB page at a time, each
// with a fault, and a run of the largest farm touches some 20 MB. Blocks of 256 KB and more come
// from 2 MB-aligned regions for which transparent huge pages are asked (one fault per 2 MB where
// the system grants them), and a released block is kept for the process's life and handed to
// the next request that fits, so later runs touch no fresh memory at all. Smaller requests go
// to the usual heap.

#include <cstddef>
#include <new>
#include <vector>

namespace acremark {

// A block of at least `bytes`, aligned to 64 bytes at least; throws std::bad_alloc.
void* AcquireLargeBlock(std::size_t bytes);
// Gives a block back for reuse; `bytes` as asked for.
void ReleaseLargeBlock(void* block, std::size_t bytes) noexcept;
// Blocks of this size and more are large.
inline constexpr std::size_t kLargeBlockBytes = std::size_t(256) << 10;

template <class T> struct LargeAllocator {
    using value_type = T;
    LargeAllocator() = default;
    template <class U> LargeAllocator(const LargeAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > std::size_t(-1) / sizeof(T)) throw std::bad_alloc();
        const std::size_t bytes = n * sizeof(T);
        if (bytes >= kLargeBlockBytes) return static_cast<T*>(AcquireLargeBlock(bytes));
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* p, std::size_t n) noexcept {
        const std::size_t bytes = n * sizeof(T);
        if (bytes >= kLargeBlockBytes)
            ReleaseLargeBlock(p, bytes);
        else
            std::allocator<T>().deallocate(p, n);
    }
    template <class U> bool operator==(const LargeAllocator<U>&) const noexcept { return true; }
};

template <class T> using LargeVector = std::vector<T, LargeAllocator<T>>;

} // namespace acremark
