#pragma once

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include <algorithm>
#include <cstddef>
#ifdef QM_TSAN
#include <thread>
#include <vector>
#endif

#include "host/Threads.h"

// Below this many floats touched, a call runs on the calling thread: waking workers costs more
// than it saves (a 64x64 image is 16,384 floats).
inline constexpr size_t kParallelMinFloats = size_t(1) << 16;
// Each block touches at least this many floats, so that a block pays for its scheduling.
inline constexpr size_t kParallelBlockFloats = size_t(1) << 15;

// Calls body(begin, end) over blocks that together cover [0, count) once, where each of the
// `count` items (rows, columns, runs of pixels) touches about `floats_per_item` floats. Items are
// never split and each is computed as it would be alone, so results do not depend on the threads.
template <typename Body>
void ParallelFor(size_t count, size_t floats_per_item, Body&& body) {
    if (count == 0) {
        return;
    }
    const size_t per_item = std::max<size_t>(floats_per_item, 1);
    if (count < 2 || count * per_item < kParallelMinFloats || Threads::GetLimit() < 2) {
        body(size_t(0), count);
        return;
    }
    const size_t grain = std::max<size_t>(1, kParallelBlockFloats / per_item);
#ifdef QM_TSAN
    // ThreadSanitizer cannot see the synchronisation inside oneTBB's (uninstrumented) library and
    // would take every block for a race with the caller: the same blocks run on threads it follows.
    const size_t threads =
        std::min<size_t>(size_t(Threads::GetLimit()), (count + grain - 1) / grain);
    const auto run = [&](size_t first) {
        for (size_t begin = first * grain; begin < count; begin += threads * grain) {
            body(begin, std::min(count, begin + grain));
        }
    };
    std::vector<std::thread> workers;
    for (size_t worker = 1; worker < threads; ++worker) {
        workers.emplace_back(run, worker);
    }
    run(0);
    for (std::thread& worker : workers) {
        worker.join();
    }
#else
    tbb::parallel_for(
        tbb::blocked_range<size_t>(0, count, grain),
        [&](const tbb::blocked_range<size_t>& range) { body(range.begin(), range.end()); });
#endif
}
