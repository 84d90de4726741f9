// Timers in virtual time: the headless runner and the tests drive the match screen
// with it, so a whole match runs in milliseconds and always the same way.
#pragma once

#include "state/Ports.h"

#include <array>
#include <functional>
#include <optional>

namespace kv {

class VirtualScheduler : public TimerPort {
public:
    using Fire = std::function<void(TimerId)>;
    explicit VirtualScheduler(Fire fire = {}) : fire_(std::move(fire)) {}
    // What a timer that falls due calls (the match screen's Tick).
    void OnFire(Fire fire) { fire_ = std::move(fire); }

    void SetTimer(TimerId id, bool enabled, int intervalMs) override;
    // Advances virtual time to the earliest due enabled timer (ties: lower TimerId
    // first) and fires it; false if no timer is enabled.
    bool FireNext();
    // The timer FireNext would fire now, if any.
    std::optional<TimerId> NextDue() const;
    // When that timer falls due, in the scheduler's time.
    std::optional<long long> NextDueMs() const;
    long long NowMs() const { return now_; }
    bool Enabled(TimerId id) const { return t_[Index(id)].enabled; }
    int Interval(TimerId id) const { return t_[Index(id)].interval; }
    // Fires every timer that falls due up to now + ms; true if any fired.
    bool Advance(long long ms);

private:
    struct T {
        bool enabled = false;
        int interval = 0;
        long long due = 0;
    };
    static std::size_t Index(TimerId id) { return static_cast<std::size_t>(id); }
    std::array<T, kTimerCount> t_{};
    long long now_ = 0;
    Fire fire_;
};

} // namespace kv
