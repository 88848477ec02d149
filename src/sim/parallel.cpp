#include "sim/parallel.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace acremark {

namespace {

std::atomic<bool> g_splitEnabled{std::thread::hardware_concurrency() >= 2};

// The helper thread: waits for a part, runs it, reports it done. Started on first use and
// stopped when the program ends.
class Helper {
public:
    static Helper& Instance() {
        static Helper helper;
        return helper;
    }

    // Serialises the callers: a second caller finds it locked and does its parts itself.
    std::mutex& Busy() { return busy_; }

    void Start(const std::function<void()>* part) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            part_ = part;
            error_ = nullptr;
            done_ = false;
        }
        wake_.notify_one();
    }

    // Waits for the part given to Start; returns what it threw, if anything.
    std::exception_ptr Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [this] { return done_; });
        return error_;
    }

    ~Helper() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_one();
        if (thread_.joinable()) thread_.join();
    }

private:
    Helper() : thread_([this] { Loop(); }) {}

    void Loop() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stop_ || part_ != nullptr; });
            if (stop_) return;
            const std::function<void()>* part = part_;
            part_ = nullptr;
            lock.unlock();
            std::exception_ptr error;
            try {
                (*part)();
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            error_ = error;
            done_ = true;
            finished_.notify_one();
        }
    }

    std::mutex busy_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    const std::function<void()>* part_ = nullptr;
    std::exception_ptr error_;
    bool done_ = true;
    bool stop_ = false;
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

void SetSplitEnabled(bool enabled) {
    g_splitEnabled = enabled;
}

bool SplitEnabled() {
    return g_splitEnabled;
}

void RunSplit(const std::function<void()>& helperPart, const std::function<void()>& callerPart) {
    if (!g_splitEnabled) return RunHere(helperPart, callerPart);
    Helper& helper = Helper::Instance();
    std::unique_lock<std::mutex> busy(helper.Busy(), std::try_to_lock);
    if (!busy.owns_lock()) return RunHere(helperPart, callerPart);

    helper.Start(&helperPart);
    std::exception_ptr error;
    try {
        callerPart();
    } catch (...) {
        error = std::current_exception();
    }
    const std::exception_ptr helperError = helper.Wait();
    if (error) std::rethrow_exception(error);
    if (helperError) std::rethrow_exception(helperError);
}

} // namespace acremark
