#include "match/RealTimeDriver.h"

#include <cmath>

namespace kv {

void RealTimeDriver::Pump(double nowMs) {
    if (!started_) {
        started_ = true;
        last_ = nowMs;
        return;
    }
    const double elapsed = nowMs - last_;
    if (!(elapsed > 0)) return; // a clock that stands still or goes back adds nothing
    last_ = nowMs;
    carry_ += elapsed;
    double whole = std::floor(carry_);
    carry_ -= whole;
    if (whole > kMaxCatchUpMs) {
        lost_ += whole - kMaxCatchUpMs;
        whole = kMaxCatchUpMs;
    }
    if (whole >= 1) clock_.Advance(static_cast<long long>(whole));
}

} // namespace kv
