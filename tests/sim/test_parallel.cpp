#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "sim/parallel.h"

namespace acremark {
namespace {

// A loop large enough to be shared.
constexpr long long kBig = kLeastSharedItems;

// Puts the split switch back as it was, whatever a test does.
class SplitSwitch {
public:
    explicit SplitSwitch(bool enabled) : before_(SplitEnabled()) { SetSplitEnabled(enabled); }
    ~SplitSwitch() { SetSplitEnabled(before_); }

private:
    bool before_;
};

TEST(RunSplit, RunsBothPartsOnTheHelperWhenThereAreTwoCores) {
    if (std::thread::hardware_concurrency() < 2) GTEST_SKIP() << "one core: nothing to share";
    SplitSwitch on(true);
    std::atomic<std::thread::id> helperThread{};
    std::thread::id callerThread;
    // The caller's part lasts until the helper has started (a helper not started by the end of
    // the caller's part would see its part taken back).
    RunSplit([&] { helperThread = std::this_thread::get_id(); },
             [&] {
                 callerThread = std::this_thread::get_id();
                 const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
                 while (helperThread.load() == std::thread::id{} &&
                        std::chrono::steady_clock::now() < until)
                     std::this_thread::yield();
             },
             kBig);
    EXPECT_EQ(callerThread, std::this_thread::get_id());
    EXPECT_NE(helperThread.load(), std::this_thread::get_id());
    EXPECT_NE(helperThread.load(), std::thread::id{});
}

// A helper the system has not scheduled is never waited for: the caller takes its part back
// and runs it (or, when asked to, skips it).
TEST(RunSplit, AnUnstartedHelperPartIsTakenBackNotAwaited) {
    if (std::thread::hardware_concurrency() < 2) GTEST_SKIP() << "one core: nothing to share";
    SplitSwitch on(true);
    HoldHelperForTesting(true);
    std::vector<std::thread::id> ran;
    EXPECT_TRUE(RunSplit([&] { ran.push_back(std::this_thread::get_id()); },
                         [&] { ran.push_back(std::this_thread::get_id()); }, kBig));
    EXPECT_EQ(ran, (std::vector<std::thread::id>(2, std::this_thread::get_id())));
    bool skippedRan = false;
    EXPECT_FALSE(RunSplit([&] { skippedRan = true; }, [] {}, kBig, Unclaimed::Skip));
    EXPECT_FALSE(skippedRan);
    HoldHelperForTesting(false);
    // Released, the helper serves the next split.
    std::thread::id helperThread;
    EXPECT_TRUE(RunSplit([&] { helperThread = std::this_thread::get_id(); },
                         [] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }, kBig));
    EXPECT_NE(helperThread, std::this_thread::get_id());
}

// Jobs of different sizes one after the other, as a run gives them: every part of every job runs
// exactly once, and a skipped helper part never runs. (A helper holding the last job's ticket
// once claimed a part of the next job with its own, already finished, function.)
TEST(RunParts, BackToBackJobsRunEachPartOnceAndSkippedPartsNever) {
    SplitSwitch on(true);
    int wrong = 0;
    for (int it = 0; it < 200000 && wrong < 5; ++it) {
        const int count = 1 + it % 5;
        std::vector<std::atomic<int>> runs(static_cast<size_t>(count));
        std::vector<bool> here = RunParts(
            count, [&](int k, bool) { ++runs[size_t(k)]; }, kBig);
        for (int k = 0; k < count; ++k)
            if (runs[size_t(k)] != 1) ++wrong;
        EXPECT_EQ(here.size(), size_t(count));
        std::atomic<int> caller{0}, helper{0};
        const bool skip = it % 3 == 0;
        const bool ran = RunSplit([&] { ++helper; }, [&] { ++caller; }, kBig,
                                  skip ? Unclaimed::Skip : Unclaimed::RunHere);
        if (caller != 1 || helper != (ran ? 1 : 0) || (!skip && !ran)) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
}

// A loop too small to be worth handing out runs here whole, caller's part first.
TEST(RunSplit, ASmallLoopRunsHere) {
    if (std::thread::hardware_concurrency() < 2) GTEST_SKIP() << "one core: nothing to share";
    SplitSwitch on(true);
    std::vector<std::thread::id> ran;
    RunSplit([&] { ran.push_back(std::this_thread::get_id()); },
             [&] { ran.push_back(std::this_thread::get_id()); }, kLeastSharedItems - 1);
    EXPECT_EQ(ran, (std::vector<std::thread::id>(2, std::this_thread::get_id())));
    const std::vector<bool> here = RunParts(
        3, [](int, bool) {}, kLeastSharedItems - 1);
    EXPECT_EQ(here, (std::vector<bool>{true, true, true}));
}

TEST(RunSplit, SwitchedOffEverythingRunsHereCallerFirst) {
    SplitSwitch off(false);
    std::vector<int> order;
    std::thread::id helperThread;
    RunSplit(
        [&] {
            order.push_back(2);
            helperThread = std::this_thread::get_id();
        },
        [&] { order.push_back(1); }, kBig);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_EQ(helperThread, std::this_thread::get_id());
}

// An exception in either part reaches the caller after both parts ran, and the helper serves
// the next split as usual.
TEST(RunSplit, ExceptionsReachTheCallerAfterBothParts) {
    for (bool enabled : {true, false}) {
        SplitSwitch split(enabled);
        std::atomic<int> ran{0};
        auto count = [&] { ++ran; };
        auto fail = [&](const char* what) {
            return [&ran, what] {
                ++ran;
                throw std::runtime_error(what);
            };
        };
        try {
            RunSplit(fail("helper"), count, kBig);
            FAIL() << "the helper's exception was lost";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "helper");
        }
        EXPECT_EQ(ran, 2);
        try {
            RunSplit(fail("helper"), fail("caller"), kBig);
            FAIL() << "no exception";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "caller") << "the caller's own comes first";
        }
        EXPECT_EQ(ran, 4);
        RunSplit(count, count, kBig);
        EXPECT_EQ(ran, 6) << enabled;
    }
}

// Callers on several threads at once: each split runs each of its parts exactly once, whether
// it got the helper or did both parts itself.
TEST(RunSplit, CallersAtOnceEachGetBothPartsDone) {
    SplitSwitch on(true);
    constexpr int kCallers = 4, kSplits = 300;
    std::vector<int> helperRuns(kCallers), callerRuns(kCallers);
    std::vector<std::thread> callers;
    for (int c = 0; c < kCallers; ++c)
        callers.emplace_back([&, c] {
            for (int k = 0; k < kSplits; ++k)
                RunSplit([&] { ++helperRuns[static_cast<std::size_t>(c)]; },
                         [&] { ++callerRuns[static_cast<std::size_t>(c)]; }, kBig);
        });
    for (std::thread& t : callers)
        t.join();
    for (int c = 0; c < kCallers; ++c) {
        EXPECT_EQ(helperRuns[static_cast<std::size_t>(c)], kSplits);
        EXPECT_EQ(callerRuns[static_cast<std::size_t>(c)], kSplits);
    }
}

// Jobs in quick succession, each with more parts than the one before had: every part runs
// exactly once, and none is still running when its job returns (a helper that held the last
// job's ticket must not claim a part of the next).
TEST(RunParts, EachPartOnceAndNoneAfterItsJobReturns) {
    if (std::thread::hardware_concurrency() < 2) GTEST_SKIP() << "one core: nothing to share";
    SplitSwitch on(true);
    std::atomic<int> running{0};
    for (int job = 0; job < 200000; ++job) {
        const int count = job % 2 == 0 ? 1 : 8;
        std::vector<std::atomic<int>> runs(static_cast<size_t>(count));
        RunParts(
            count,
            [&](int k, bool) {
                running.fetch_add(1);
                runs[size_t(k)].fetch_add(1);
                running.fetch_sub(1);
            },
            kBig);
        ASSERT_EQ(running.load(), 0) << "a part still running after job " << job;
        for (int k = 0; k < count; ++k)
            ASSERT_EQ(runs[size_t(k)].load(), 1) << "job " << job << " part " << k;
    }
}

} // namespace
} // namespace acremark
