#pragma once
// More hands for the run's heavy loops: one helper thread per core beyond the caller's. The
// sampler, the statistics and the budget loop each cut their work into parts that write
// disjoint memory, and every thread claims parts until none is left. Each part does the same
// operations in the same order as the whole loop would, so a shared run gives the same numbers
// bit for bit as an unshared one, whatever the number of cores.
//
// Only the calling thread's part may touch a progress display (it may be a window's status bar).

#include <functional>
#include <vector>

namespace acremark {

// One part of a shared loop: part number, and whether it runs on the calling thread (only
// such a part may touch a progress display).
using PartFunction = std::function<void(int part, bool onCaller)>;

// Runs part(k) for every k in [0, count), each exactly once, on this thread and on every helper
// that is free: each thread claims the next unclaimed part until none is left, so the calling
// thread never waits for a helper that the system has not scheduled, only for parts a helper
// has started. Parts must write disjoint memory; then any partition gives the same figures.
// Returns, per part, whether it ran on this thread. The first exception (in part order) is
// rethrown once every part is done.
// `items` is the loop's size (values it reads or writes): a loop too small to be worth handing
// out runs here whole (see kLeastSharedItems).
std::vector<bool> RunParts(int count, const PartFunction& part, long long items);

// Below this many values a loop runs on the calling thread alone: on a busy machine a helper
// that claims a part and is then preempted makes the caller wait a scheduler time slice, which
// costs more than a small loop saves (the largest farm at 1000 iterations was half again slower
// shared than alone with every core busy).
inline constexpr long long kLeastSharedItems = 100000;

// The threads a shared loop may use: this one and its helpers (one per further core), or 1
// when sharing is switched off.
int ShareThreads();

// What the caller does with a helper part that no helper has started by the time the caller's
// own part is done: run it itself, or skip it (when the caller has a way of its own to the same
// result, as the generator's jump-ahead has).
enum class Unclaimed { RunHere, Skip };

// Runs helperPart on the helper thread and callerPart on this thread at the same time, and
// returns when both are done. The helper part is claimed, never awaited: when the helper has
// not started it by the time callerPart ends (a busy machine has not scheduled the helper),
// the caller takes it back and runs it itself, or skips it. The caller waits only for a part
// already under way. On a machine with one core, or while the helper serves another caller,
// both run here, callerPart first. An exception from either part is rethrown here once both
// have finished (the caller's own first). Returns whether helperPart ran.
bool RunSplit(const std::function<void()>& helperPart, const std::function<void()>& callerPart,
              long long items, Unclaimed unclaimed = Unclaimed::RunHere);

// Whether RunSplit uses the helper thread: on by default where there are two cores or more.
// Turning it off makes every split run on the calling thread (tests compare the two).
void SetSplitEnabled(bool enabled);
bool SplitEnabled();

// While held, the helper takes no part, as on a machine whose other cores are busy: every split
// then finds its helper part unclaimed. For tests.
void HoldHelperForTesting(bool held);

} // namespace acremark
