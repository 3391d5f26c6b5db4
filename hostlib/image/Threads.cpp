#include "host/Threads.h"

#include <tbb/global_control.h>
#include <tbb/info.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace {

struct Limit {
    std::mutex m_mutex;
    std::unique_ptr<tbb::global_control> m_control;
    std::atomic<int> m_threads{0};
};

// Unset, empty or not a positive whole number: every core.
int FromEnvironment() {
    const char* text = std::getenv(Threads::kVariable);
    if (!text || !*text) {
        return 0;
    }
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *end == '\0' && value > 0 && value <= 4096 ? int(value) : 0;
}

void Apply(Limit& limit, int threads) {
    const int count = threads > 0 ? threads : tbb::info::default_concurrency();
    limit.m_control = std::make_unique<tbb::global_control>(
        tbb::global_control::max_allowed_parallelism, size_t(count));
    limit.m_threads.store(count, std::memory_order_relaxed);
}

Limit& GetLimitState() {
    static Limit* const limit = [] {
        // Never destroyed: TBB's workers may outlive static destructors.
        auto* created = new Limit();
        Apply(*created, FromEnvironment());
        return created;
    }();
    return *limit;
}

}  // namespace

void Threads::SetLimit(int threads) {
    Limit& limit = GetLimitState();
    const std::lock_guard<std::mutex> lock(limit.m_mutex);
    Apply(limit, threads);
}

int Threads::GetLimit() {
    // Read on every image operation: no lock.
    return GetLimitState().m_threads.load(std::memory_order_relaxed);
}
