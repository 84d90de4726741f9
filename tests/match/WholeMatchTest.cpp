// Whole matches of computer players in virtual time.
#include "MatchRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace kv::test {
namespace {

TEST(WholeMatch, ComputerQuickAndTeamGamesEnd) {
    for (int n : {2, 3, 5, 8, -5}) {
        Rig r(std::abs(n), true);
        r.m.Sound = kFalse;
        if (n < 0) { // a team game of five
            r.Teams();
            r.m.N1 = 1;
            r.m.N2 = 2;
        }
        HeadlessResult res = RunHeadless(*r.s, r.clock, r.m, 2000);
        EXPECT_TRUE(res.finished && !res.strikeLimit) << n;
        EXPECT_GT(res.physicsTicks, 0);
        EXPECT_EQ(r.screens.log, std::vector<std::string>{"results 1"});
        EXPECT_EQ(static_cast<long>(r.replay.written.size()), res.strikes);
        if (r.m.Winner == -1) {
            EXPECT_EQ(AliveCount(r.m), 0) << n;
            continue;
        }
        std::vector<int> order = r.Order(), everyone(order.size());
        std::sort(order.begin(), order.end());
        std::iota(everyone.begin(), everyone.end(), 1);
        EXPECT_EQ(order, everyone) << n; // every player placed once
        if (n > 0) {
            EXPECT_EQ(AliveCount(r.m), 1);
            EXPECT_NE(r.m.Gobla(r.m.Winner).Life, 0);
            EXPECT_EQ(r.m.WS(n), r.m.Winner);
        }
        const i16 side = r.m.Winner == r.m.N1 ? 0 : 1; // only the winning side is left
        for (int i = 1; n < 0 && i <= 5; ++i)
            EXPECT_TRUE(r.m.Gobla(i).Com == side || r.m.Gobla(i).Life == 0) << i;
    }
}

TEST(WholeMatch, LimitsStopTheRun) {
    Rig r(4, true), h(2); // h: a human seat and nobody at the keyboard
    HeadlessResult res = RunHeadless(*r.s, r.clock, r.m, 1);
    EXPECT_TRUE(res.strikeLimit && !res.finished);
    EXPECT_EQ(res.strikes, 1);
    EXPECT_EQ(r.screens.log, std::vector<std::string>{"results 0"});
    HeadlessResult idle = RunHeadless(*h.s, h.clock, h.m, 0, 5000);
    EXPECT_TRUE(idle.idleLimit);
    EXPECT_EQ(idle.strikes, 0);
}

} // namespace
} // namespace kv::test
