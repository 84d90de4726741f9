// Whole matches of computer players in virtual time, and their replays.
#include "MatchRig.h"

#include "match/NullPorts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kv::test {
namespace {

// Every player appears exactly once in the finishing order.
void CheckFinishingOrder(const Module1& m) {
    std::vector<int> seen(m.MaxGamers + 1, 0);
    for (int p = 1; p <= m.MaxGamers; ++p) {
        ASSERT_GE(m.WS(p), 1) << "place " << p;
        ASSERT_LE(m.WS(p), m.MaxGamers);
        ++seen[m.WS(p)];
    }
    EXPECT_EQ(std::count(seen.begin() + 1, seen.end(), 1), m.MaxGamers);
}

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
        EXPECT_TRUE(res.finished) << n;
        EXPECT_FALSE(res.strikeLimit);
        EXPECT_GT(res.physicsTicks, 0);
        EXPECT_EQ(r.screens.log, std::vector<std::string>{"results 1"});
        EXPECT_EQ(static_cast<long>(r.replay.written.size()), res.strikes);
        if (r.m.Winner == -1) {
            EXPECT_EQ(AliveCount(r.m), 0) << n;
            continue;
        }
        CheckFinishingOrder(r.m);
        if (n > 0) {
            EXPECT_EQ(AliveCount(r.m), 1);
            EXPECT_NE(r.m.Gobla(r.m.Winner).Life, 0);
            EXPECT_EQ(r.m.WS(n), r.m.Winner);
        } else { // only the winning side is left
            const i16 side = r.m.Winner == r.m.N1 ? 0 : 1;
            for (int i = 1; i <= 5; ++i)
                if (r.m.Gobla(i).Com != side) EXPECT_EQ(r.m.Gobla(i).Life, 0) << i;
        }
    }
}

TEST(WholeMatch, SameSeedSameMatchAndTheReplayRepeatsIt) {
    auto play = [](Rig& r) {
        r.rng.Seed(7);
        r.m.VarK = 0.1f;
        return RunHeadless(*r.s, r.clock, r.m, 2000);
    };
    Rig a(4, true), b(4, true), p(4, true);
    HeadlessResult ra = play(a), rb = play(b);
    EXPECT_EQ(ra.strikes, rb.strikes);
    EXPECT_EQ(ra.physicsTicks, rb.physicsTicks);
    EXPECT_EQ(ra.virtualMs, rb.virtualMs);
    EXPECT_EQ(a.m.Winner, b.m.Winner);
    // Playing back the recorded steps gives the same end.
    p.m.VarK = 0.1f;
    p.Playback(a.replay.written, false);
    EXPECT_EQ(RunHeadless(*p.s, p.clock, p.m, 0).strikes, ra.strikes);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(p.m.WS(i), a.m.WS(i));
        EXPECT_EQ(p.m.Gobla(i).Life, a.m.Gobla(i).Life);
        EXPECT_EQ(p.m.Gobla(i).Xpos, a.m.Gobla(i).Xpos);
    }
    EXPECT_EQ(p.screens.log, std::vector<std::string>{"browser"});
}

TEST(WholeMatch, LimitsStopTheRun) {
    Rig r(4, true), h(2); // h: a human seat and nobody at the keyboard
    HeadlessResult res = RunHeadless(*r.s, r.clock, r.m, 1);
    EXPECT_TRUE(res.strikeLimit);
    EXPECT_EQ(res.strikes, 1);
    EXPECT_FALSE(res.finished);
    EXPECT_EQ(r.screens.log, std::vector<std::string>{"results 0"});
    HeadlessResult idle = RunHeadless(*h.s, h.clock, h.m, 0, 5000);
    EXPECT_TRUE(idle.idleLimit);
    EXPECT_EQ(idle.strikes, 0);
}

TEST(WholeMatch, NullPortsPlayAMatch) {
    Module1 m;
    SetDefaultSettings(m);
    SetMatchDefaults(m);
    m.MaxGamers = 3;
    m.Sound = kFalse;
    PlacePieces(m);
    BuildShapes(m);
    for (int i = 1; i <= 3; ++i) {
        m.KH(i) = static_cast<i16>(i);
        m.Gobla(i).CompControl = 1;
    }
    Rng rng(3);
    VirtualScheduler clock;
    NullKeyboard kb;
    NullDisplay d;
    NullScene sc(m);
    NullSound so;
    NullReplay rp;
    NullSaveGame sg;
    NullScreens scr;
    NullDialogs dl;
    MatchScreen s(m, MatchPorts{clock, kb, d, sc, so, rp, sg, scr, dl}, rng);
    EXPECT_TRUE(RunHeadless(s, clock, m, 5000).finished);
    EXPECT_EQ(m.RenderOn, 0);
}

} // namespace
} // namespace kv::test
