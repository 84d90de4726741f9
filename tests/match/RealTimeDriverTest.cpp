// The timers in real time: fractions of a millisecond add up, and a long
// stall costs the match time instead of a flood of ticks.
#include "match/RealTimeDriver.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(RealTimeDriver, FractionsAddUpAndAStallIsCutShort) {
    int fired = 0;
    VirtualScheduler clock([&](TimerId) { ++fired; });
    clock.SetTimer(TimerId::KeyBoard, true, 7);
    RealTimeDriver d(clock);
    for (double t = 1000; t <= 1070; t += 0.25)
        d.Pump(t); // a frame every quarter millisecond
    EXPECT_EQ(fired, 10);
    EXPECT_DOUBLE_EQ(d.NowMs(), 70);
    d.Pump(1060); // a clock that goes back adds nothing
    EXPECT_EQ(fired, 10);
    d.Pump(11070); // ten seconds without a pass
    EXPECT_EQ(fired, 10 + static_cast<int>(RealTimeDriver::kMaxCatchUpMs / 7));
    EXPECT_DOUBLE_EQ(d.LostMs(), 10000 - RealTimeDriver::kMaxCatchUpMs);
}

} // namespace
} // namespace kv
