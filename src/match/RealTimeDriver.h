// Keeps the match's timers in real time whatever the frame rate: every pass of
// the window's event loop hands over the clock, and the virtual scheduler
// fires every timer that fell due since, in the order the headless runner
// fires them. A long stall (a dragged window, a busy machine) costs the match
// that time instead of running hundreds of ticks at once.
#pragma once

#include "match/VirtualClock.h"

namespace kv {

class RealTimeDriver {
public:
    // The most time one pass catches up on; beyond it the match falls behind.
    static constexpr long long kMaxCatchUpMs = 250;

    explicit RealTimeDriver(VirtualScheduler& clock) : clock_(clock) {}

    // Advances the timers to the real time nowMs (any origin, never going back).
    void Pump(double nowMs);
    // The match's own time, for placing what moves between the ticks.
    double NowMs() const { return static_cast<double>(clock_.NowMs()) + carry_; }
    // Milliseconds of real time the match did not catch up on.
    double LostMs() const { return lost_; }

private:
    VirtualScheduler& clock_;
    bool started_ = false;
    double last_ = 0;
    double carry_ = 0; // a fraction of a millisecond not yet given to the scheduler
    double lost_ = 0;
};

} // namespace kv
