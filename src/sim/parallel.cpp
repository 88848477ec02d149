#include "sim/parallel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace acremark {

namespace {

std::atomic<bool> g_splitEnabled{std::thread::hardware_concurrency() >= 2};
std::atomic<bool> g_helperHeld{false};

// Where a part ran.
constexpr char kOnHelper = 0, kOnCaller = 1, kSkipped = 2;
// A ticket's part number past any job's parts.
constexpr uint64_t kNoPart = 0x7FFFFFFF;

// A short wait on another core: tell the processor so, where it understands.
inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// The helpers: one thread per core beyond the caller's, started on first use and stopped when
// the program ends. A job is a number of parts; every thread, the caller included, claims the
// next unclaimed part until none is left, so a helper that the system does not schedule simply
// claims nothing, and the caller waits only for parts a helper has actually started.
//
// The claim is one atomic 64-bit ticket: the job's generation in the high half, the next part
// in the low half. A helper reads the ticket, then the job's function and part count, and
// claims part k by moving the ticket from (generation, k) to (generation, k + 1). A new job
// first closes the old generation, then publishes its own, so a helper that read an older job's
// ticket or function can never claim a part with it; and while a claimed part runs, the caller
// has not returned, so the function it read is alive.
//
// A run hands the helpers a dozen jobs within a few milliseconds, and waking a sleeping thread
// can take a tenth of a millisecond or more on a virtual machine. So after each job a helper
// keeps watching for the next one for a while before it goes to sleep.
class Pool {
public:
    static Pool& Instance() {
        static Pool pool;
        return pool;
    }

    int Helpers() const { return int(threads_.size()); }

    // Serialises the callers: a second caller finds it locked and does its parts itself.
    std::mutex& Busy() { return busy_; }

    // Runs part(k, onCaller) for k in [0, count), each once; parts below `callerFirst` are the
    // caller's alone (run by it first, in order). `ranOn` tells, per part, where it ran (or that
    // it was skipped). Exceptions: the first part's (in part order) that threw is rethrown once
    // all are done.
    void Run(int count, int callerFirst, const PartFunction& part, std::vector<char>& ranOn,
             bool skipUnclaimed) {
        errors_.assign(size_t(count), nullptr);
        ranOn.assign(size_t(count), kOnHelper);
        // Close the last job's generation before its function and count change: a helper that
        // read the last job's ticket could otherwise see the new count, claim a part of it with
        // that ticket and run it unawaited (with either job's function). The closed generation
        // offers no part, and the job is published under the next one.
        const uint64_t closed = (ticket_.load(std::memory_order_relaxed) >> 32) + 1;
        ticket_.store(closed << 32 | kNoPart, std::memory_order_seq_cst);
        part_.store(&part, std::memory_order_release);
        count_.store(count, std::memory_order_release);
        finished_.store(0, std::memory_order_release);
        const uint64_t generation = closed + 1;
        ticket_.store(generation << 32 | uint64_t(callerFirst), std::memory_order_release);
        {
            const std::lock_guard<std::mutex> lock(mutex_); // against a helper about to sleep
        }
        wake_.notify_all();

        int done = 0;
        for (int k = 0; k < callerFirst; ++k) {
            ranOn[size_t(k)] = kOnCaller;
            RunPart(part, k, true);
            ++done;
        }
        for (int k; (k = Claim(generation)) >= 0;) {
            ++done;
            if (skipUnclaimed) {
                ranOn[size_t(k)] = kSkipped; // the caller has its own way to the same result
                continue;
            }
            ranOn[size_t(k)] = kOnCaller;
            RunPart(part, k, true);
        }
        // Only parts a helper has claimed remain: wait for those.
        for (int spins = 0; finished_.load(std::memory_order_acquire) + done < count; ++spins) {
            if (spins < 4096)
                Pause();
            else
                std::this_thread::yield();
        }
        for (const auto& e : errors_)
            if (e) std::rethrow_exception(e);
    }

    ~Pool() {
        stop_.store(true, std::memory_order_release);
        { const std::lock_guard<std::mutex> lock(mutex_); }
        wake_.notify_all();
        for (auto& t : threads_)
            t.join();
    }

private:
    Pool() {
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        for (unsigned i = 1; i < cores; ++i)
            threads_.emplace_back([this] { Loop(); });
    }

    // How long a helper watches for the next job before it sleeps.
    static constexpr std::chrono::microseconds kWatch{2000};

    // The next part of the job of `generation`, claimed; -1 when none is left (or the job is
    // no longer that generation's).
    int Claim(uint64_t generation) {
        uint64_t t = ticket_.load(std::memory_order_acquire);
        for (;;) {
            if (t >> 32 != generation) return -1;
            const int k = int(uint32_t(t));
            if (k >= count_.load(std::memory_order_acquire)) return -1;
            if (ticket_.compare_exchange_weak(t, t + 1, std::memory_order_acq_rel)) return k;
        }
    }

    void RunPart(const PartFunction& part, int k, bool onCaller) {
        try {
            part(k, onCaller);
        } catch (...) {
            errors_[size_t(k)] = std::current_exception();
        }
    }

    // Claims and runs parts of the current job until none is left; true when it ran any.
    bool Work() {
        const uint64_t t = ticket_.load(std::memory_order_acquire);
        const uint64_t generation = t >> 32;
        const PartFunction* part = part_.load(std::memory_order_acquire);
        bool any = false;
        for (int k; (k = Claim(generation)) >= 0;) {
            // The claim succeeded on this generation's ticket, so `part` is this job's and
            // the caller is still waiting for this part.
            RunPart(*part, k, false);
            finished_.fetch_add(1, std::memory_order_release);
            any = true;
        }
        return any;
    }

    bool Pending() const {
        const uint64_t t = ticket_.load(std::memory_order_acquire);
        return int(uint32_t(t)) < count_.load(std::memory_order_acquire);
    }

    void Loop() {
        for (;;) {
            auto until = std::chrono::steady_clock::now() + kWatch;
            for (int spins = 0;; ++spins) {
                if (stop_.load(std::memory_order_acquire)) return;
                if (!g_helperHeld.load(std::memory_order_acquire) && Work())
                    until = std::chrono::steady_clock::now() + kWatch;
                Pause();
                if (spins % 256 == 255 && std::chrono::steady_clock::now() >= until) break;
            }
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] {
                return stop_.load(std::memory_order_acquire) ||
                       (Pending() && !g_helperHeld.load(std::memory_order_acquire));
            });
        }
    }

    std::mutex busy_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::atomic<uint64_t> ticket_{0};
    std::atomic<const PartFunction*> part_{nullptr};
    std::atomic<int> count_{0};
    std::atomic<int> finished_{0};
    std::atomic<bool> stop_{false};
    std::vector<std::exception_ptr> errors_; // one per part, written by whoever ran it
    std::vector<std::thread> threads_;
};

// Everything on this thread, in part order.
void RunAllHere(int count, int callerFirst, const PartFunction& part, std::vector<char>& ranOn,
                bool skipUnclaimed) {
    ranOn.assign(size_t(count), kOnCaller);
    std::exception_ptr first;
    for (int k = 0; k < count; ++k) {
        if (k >= callerFirst && skipUnclaimed) {
            ranOn[size_t(k)] = kSkipped;
            continue;
        }
        try {
            part(k, true);
        } catch (...) {
            if (!first) first = std::current_exception();
        }
    }
    if (first) std::rethrow_exception(first);
}

void RunJob(int count, int callerFirst, const PartFunction& part, std::vector<char>& ranOn,
            bool skipUnclaimed) {
    if (count <= 0) return ranOn.clear();
    if (!g_splitEnabled) return RunAllHere(count, callerFirst, part, ranOn, skipUnclaimed);
    Pool& pool = Pool::Instance();
    if (pool.Helpers() == 0) return RunAllHere(count, callerFirst, part, ranOn, skipUnclaimed);
    std::unique_lock<std::mutex> busy(pool.Busy(), std::try_to_lock);
    if (!busy.owns_lock()) return RunAllHere(count, callerFirst, part, ranOn, skipUnclaimed);
    pool.Run(count, callerFirst, part, ranOn, skipUnclaimed);
}

} // namespace

int ShareThreads() {
    if (!g_splitEnabled) return 1;
    return 1 + Pool::Instance().Helpers();
}

std::vector<bool> RunParts(int count, const PartFunction& part) {
    std::vector<char> ranOn;
    RunJob(count, 0, part, ranOn, false);
    std::vector<bool> onCaller(ranOn.size());
    for (size_t k = 0; k < ranOn.size(); ++k)
        onCaller[k] = ranOn[k] == kOnCaller;
    return onCaller;
}

bool RunSplit(const std::function<void()>& helperPart, const std::function<void()>& callerPart,
              Unclaimed unclaimed) {
    const PartFunction part = [&](int k, bool) { k == 0 ? callerPart() : helperPart(); };
    std::vector<char> ranOn;
    RunJob(2, 1, part, ranOn, unclaimed == Unclaimed::Skip);
    return ranOn[1] != kSkipped;
}

void HoldHelperForTesting(bool held) {
    g_helperHeld = held;
}

void SetSplitEnabled(bool enabled) {
    g_splitEnabled = enabled;
}

bool SplitEnabled() {
    return g_splitEnabled;
}

} // namespace acremark
