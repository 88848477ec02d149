#include "base/large_memory.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <sys/mman.h>

namespace acremark {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::size_t RoundUp(std::size_t bytes) {
    return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}

// Blocks given back, by size; every block is a whole number of huge pages.
struct Reserve {
    std::mutex mutex;
    std::multimap<std::size_t, void*> free;
    std::map<void*, std::size_t> size; // every block handed out, with its real size
};

Reserve& TheReserve() {
    static Reserve* r = new Reserve; // lives as long as the blocks (never destroyed)
    return *r;
}

void* MapAligned(std::size_t size) {
    // Map one huge page more than needed and trim to a 2 MB boundary, so the system can back
    // the block with huge pages from its first byte.
    const std::size_t span = size + kHugePage;
    void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start) munmap(raw, aligned - start);
    const std::uintptr_t end = start + span, used = aligned + size;
    if (end > used) munmap(reinterpret_cast<void*>(used), end - used);
    void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    madvise(block, size, MADV_HUGEPAGE); // a request: without huge pages the block still works
#endif
    return block;
}

} // namespace

void* AcquireLargeBlock(std::size_t bytes) {
    const std::size_t size = RoundUp(bytes);
    Reserve& r = TheReserve();
    const std::lock_guard<std::mutex> lock(r.mutex);
    // The smallest kept block that fits; a much larger one stays for a larger request.
    auto it = r.free.lower_bound(size);
    if (it != r.free.end() && it->first <= 2 * size) {
        void* block = it->second;
        r.free.erase(it);
        return block;
    }
    void* block = MapAligned(size);
    r.size[block] = size;
    return block;
}

void ReleaseLargeBlock(void* block, std::size_t) noexcept {
    if (!block) return;
    Reserve& r = TheReserve();
    const std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.size.find(block);
    if (it == r.size.end()) return; // not ours: cannot happen
    try {
        r.free.emplace(it->second, block);
    } catch (...) {
        // No room to remember it: the block is lost to reuse, not to the program.
    }
}

} // namespace acremark
