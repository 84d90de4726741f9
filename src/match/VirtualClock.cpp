#include "match/VirtualClock.h"

namespace kv {

void VirtualScheduler::SetTimer(TimerId id, bool enabled, int intervalMs) {
    T& t = t_[Index(id)];
    if (intervalMs < 1) intervalMs = 1;
    if (!enabled) {
        t.enabled = false;
        t.interval = intervalMs;
        return;
    }
    // A running timer keeps its count unless its interval changes.
    if (!t.enabled || t.interval != intervalMs) t.due = now_ + intervalMs;
    t.enabled = true;
    t.interval = intervalMs;
}

std::optional<TimerId> VirtualScheduler::NextDue() const {
    std::optional<TimerId> best;
    long long bestDue = 0;
    for (int i = 0; i < kTimerCount; ++i) {
        const T& t = t_[static_cast<std::size_t>(i)];
        if (!t.enabled) continue;
        if (!best || t.due < bestDue) {
            best = static_cast<TimerId>(i);
            bestDue = t.due;
        }
    }
    return best;
}

std::optional<long long> VirtualScheduler::NextDueMs() const {
    const std::optional<TimerId> id = NextDue();
    if (!id) return std::nullopt;
    return t_[Index(*id)].due;
}

bool VirtualScheduler::FireNext() {
    std::optional<TimerId> id = NextDue();
    if (!id) return false;
    T& t = t_[Index(*id)];
    if (t.due > now_) now_ = t.due;
    t.due = now_ + t.interval; // before the tick, which may change the timer
    if (fire_) fire_(*id);
    return true;
}

bool VirtualScheduler::Advance(long long ms) {
    const long long until = now_ + ms;
    bool any = false;
    for (;;) {
        std::optional<TimerId> id = NextDue();
        if (!id || t_[Index(*id)].due > until) break;
        FireNext();
        any = true;
    }
    if (now_ < until) now_ = until;
    return any;
}

} // namespace kv
