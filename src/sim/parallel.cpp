#include "sim/parallel.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace acremark {

namespace {

std::atomic<bool> g_splitEnabled{std::thread::hardware_concurrency() >= 2};
std::atomic<bool> g_helperHeld{false};

// A short wait on another core: tell the processor so, where it understands.
inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// The helper thread: waits for a part, runs it, reports it done. Started on first use and
// stopped when the program ends.
//
// A run hands it a dozen parts within a few milliseconds, and waking a sleeping thread can take
// a tenth of a millisecond or more on a virtual machine. So after each part the helper keeps
// watching for the next one for a while before it goes to sleep, and the caller watches for
// the helper's part to finish instead of sleeping on it (the parts are made about equal).
class Helper {
public:
    static Helper& Instance() {
        static Helper helper;
        return helper;
    }

    // Serialises the callers: a second caller finds it locked and does its parts itself.
    std::mutex& Busy() { return busy_; }

    void Start(const std::function<void()>* part) {
        error_ = nullptr;
        done_.store(false, std::memory_order_relaxed);
        part_.store(part, std::memory_order_release);
        // Taking the lock orders this against a helper about to sleep: it either sees the part
        // or is asleep before the notice.
        { const std::lock_guard<std::mutex> lock(mutex_); }
        wake_.notify_one();
    }

    // Takes back the part given to Start when the helper has not taken it yet: true when it
    // is the caller's now. The part and its claim are one atomic pointer, so exactly one of the
    // two threads gets it.
    bool Reclaim(const std::function<void()>* part) {
        const std::function<void()>* expected = part;
        return part_.compare_exchange_strong(expected, nullptr, std::memory_order_acq_rel);
    }

    // Waits for the part the helper took; returns what it threw, if anything.
    std::exception_ptr Wait() {
        for (int spins = 0; !done_.load(std::memory_order_acquire); ++spins) {
            if (spins < 4096)
                Pause();
            else
                std::this_thread::yield();
        }
        return error_;
    }

    ~Helper() {
        stop_.store(true, std::memory_order_release);
        { const std::lock_guard<std::mutex> lock(mutex_); }
        wake_.notify_one();
        if (thread_.joinable()) thread_.join();
    }

private:
    Helper() : thread_([this] { Loop(); }) {}

    // How long the helper watches for the next part before it sleeps.
    static constexpr std::chrono::microseconds kWatch{2000};

    const std::function<void()>* NextPart() {
        const auto until = std::chrono::steady_clock::now() + kWatch;
        for (int spins = 0;; ++spins) {
            if (g_helperHeld.load(std::memory_order_acquire)) {
                if (stop_.load(std::memory_order_acquire)) return nullptr;
                std::this_thread::yield();
                continue;
            }
            if (const auto* part = part_.exchange(nullptr, std::memory_order_acquire)) return part;
            if (stop_.load(std::memory_order_acquire)) return nullptr;
            Pause();
            if (spins % 256 == 255 && std::chrono::steady_clock::now() >= until) break;
        }
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [this] {
            return part_.load(std::memory_order_acquire) != nullptr ||
                   stop_.load(std::memory_order_acquire);
        });
        if (stop_.load(std::memory_order_acquire)) return nullptr;
        lock.unlock();
        return NextPart(); // the caller may have taken its part back meanwhile
    }

    void Loop() {
        for (;;) {
            const std::function<void()>* part = NextPart();
            if (!part) return; // stopping
            std::exception_ptr error;
            try {
                (*part)();
            } catch (...) {
                error = std::current_exception();
            }
            error_ = error;
            done_.store(true, std::memory_order_release);
        }
    }

    std::mutex busy_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::atomic<const std::function<void()>*> part_{nullptr};
    std::atomic<bool> done_{true};
    std::atomic<bool> stop_{false};
    std::exception_ptr error_; // written by the helper before done_, read by the caller after
    std::thread thread_;
};

void RunHere(const std::function<void()>& helperPart, const std::function<void()>& callerPart) {
    std::exception_ptr error;
    try {
        callerPart();
    } catch (...) {
        error = std::current_exception();
    }
    if (error) {
        // The other part still runs, as it would have on the helper.
        try {
            helperPart();
        } catch (...) {
        }
        std::rethrow_exception(error);
    }
    helperPart();
}

} // namespace

void HoldHelperForTesting(bool held) {
    g_helperHeld = held;
}

void SetSplitEnabled(bool enabled) {
    g_splitEnabled = enabled;
}

bool SplitEnabled() {
    return g_splitEnabled;
}

bool RunSplit(const std::function<void()>& helperPart, const std::function<void()>& callerPart,
              Unclaimed unclaimed) {
    const bool runUnclaimed = unclaimed == Unclaimed::RunHere;
    if (!g_splitEnabled) {
        if (!runUnclaimed) {
            callerPart();
            return false;
        }
        RunHere(helperPart, callerPart);
        return true;
    }
    Helper& helper = Helper::Instance();
    std::unique_lock<std::mutex> busy(helper.Busy(), std::try_to_lock);
    if (!busy.owns_lock()) {
        if (!runUnclaimed) {
            callerPart();
            return false;
        }
        RunHere(helperPart, callerPart);
        return true;
    }

    helper.Start(&helperPart);
    std::exception_ptr error;
    try {
        callerPart();
    } catch (...) {
        error = std::current_exception();
    }
    // A helper that the system has not yet scheduled never makes the caller wait: its part is
    // taken back and done here (or dropped, where the caller has a way of its own).
    if (helper.Reclaim(&helperPart)) {
        if (!runUnclaimed) {
            if (error) std::rethrow_exception(error);
            return false;
        }
        if (error) {
            // The other part still runs, as it would have on the helper.
            try {
                helperPart();
            } catch (...) {
            }
            std::rethrow_exception(error);
        }
        helperPart();
        return true;
    }
    const std::exception_ptr helperError = helper.Wait();
    if (error) std::rethrow_exception(error);
    if (helperError) std::rethrow_exception(helperError);
    return true;
}

} // namespace acremark
