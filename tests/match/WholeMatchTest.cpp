// Whole matches of computer players in virtual time, and their replays.
#include "MatchRig.h"

#include "match/NullPorts.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

void CheckFinishingOrder(const Module1& m) {
    // Every player appears exactly once; the quick-game winner is the last entry.
    std::vector<int> seen(m.MaxGamers + 1, 0);
    for (int p = 1; p <= m.MaxGamers; ++p) {
        ASSERT_GE(m.WS(p), 1) << "place " << p;
        ASSERT_LE(m.WS(p), m.MaxGamers);
        ++seen[m.WS(p)];
    }
    for (int p = 1; p <= m.MaxGamers; ++p)
        EXPECT_EQ(seen[p], 1) << "player " << p;
}

TEST(WholeMatch, ComputerQuickGamesEnd) {
    for (int n : {2, 3, 5, 8}) {
        Rig r(n, true);
        r.m.Sound = kFalse;
        HeadlessResult res = RunHeadless(*r.s, r.clock, r.m, 2000);
        EXPECT_TRUE(res.finished) << n << " players";
        EXPECT_FALSE(res.strikeLimit);
        EXPECT_GT(res.strikes, 0);
        EXPECT_GT(res.physicsTicks, 0);
        EXPECT_EQ(r.screens.log, std::vector<std::string>{"results 1"});
        EXPECT_EQ(static_cast<long>(r.replay.written.size()), res.strikes);
        if (r.m.Winner > 0) {
            EXPECT_LE(AliveCount(r.m), 1);
            EXPECT_NE(r.m.Gobla(r.m.Winner).Life, 0);
            CheckFinishingOrder(r.m);
            EXPECT_EQ(r.m.WS(n), r.m.Winner);
        } else {
            EXPECT_EQ(r.m.Winner, -1);
            EXPECT_EQ(AliveCount(r.m), 0);
        }
    }
}

TEST(WholeMatch, ComputerTeamGameEndsWithOneTeamLeft) {
    Rig r(5, true);
    r.m.ZI = kTrue;
    r.m.N1 = 1;
    r.m.N2 = 2;
    r.m.rc(1).ComName = "Первые";
    r.m.rc(2).ComName = "Вторые";
    for (int i = 1; i <= 5; ++i)
        r.m.Gobla(i).Com = static_cast<i16>((i + 1) % 2);
    HeadlessResult res = RunHeadless(*r.s, r.clock, r.m, 2000);
    ASSERT_TRUE(res.finished);
    if (r.m.Winner == -1) {
        EXPECT_EQ(AliveCount(r.m), 0);
    } else {
        const i16 side = r.m.Winner == 1 ? 0 : 1;
        for (int i = 1; i <= 5; ++i)
            if (r.m.Gobla(i).Com != side) {
                EXPECT_EQ(r.m.Gobla(i).Life, 0);
            }
        CheckFinishingOrder(r.m);
    }
}

TEST(WholeMatch, SameSeedSameMatchAndTheReplayRepeatsIt) {
    auto play = [](std::uint64_t seed, Rig& r) {
        r.rng.Seed(seed);
        r.m.VarK = 0.1f;
        return RunHeadless(*r.s, r.clock, r.m, 2000);
    };
    Rig a(4, true), b(4, true);
    HeadlessResult ra = play(7, a), rb = play(7, b);
    EXPECT_EQ(ra.strikes, rb.strikes);
    EXPECT_EQ(ra.physicsTicks, rb.physicsTicks);
    EXPECT_EQ(ra.virtualMs, rb.virtualMs);
    EXPECT_EQ(a.m.Winner, b.m.Winner);

    // Playing back the recorded steps gives the same finishing order.
    Rig p(4, true);
    p.m.VarK = 0.1f;
    p.s->SetReplayMode(true);
    for (const auto& s : a.replay.written)
        p.replay.toRead.push_back(s);
    HeadlessResult rp = RunHeadless(*p.s, p.clock, p.m, 0);
    EXPECT_EQ(rp.strikes, ra.strikes);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(p.m.WS(i), a.m.WS(i));
        EXPECT_EQ(p.m.Gobla(i).Life, a.m.Gobla(i).Life);
        EXPECT_EQ(p.m.Gobla(i).Xpos, a.m.Gobla(i).Xpos);
    }
    EXPECT_EQ(p.screens.log, std::vector<std::string>{"browser"});
}

TEST(WholeMatch, LimitsStopTheRun) {
    Rig r(4, true);
    HeadlessResult res = RunHeadless(*r.s, r.clock, r.m, 1);
    EXPECT_TRUE(res.strikeLimit);
    EXPECT_EQ(res.strikes, 1);
    EXPECT_FALSE(res.finished);
    EXPECT_EQ(r.screens.log, std::vector<std::string>{"results 0"});

    Rig h(2); // a human seat and nobody at the keyboard
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
    m.CurSgin = 0;
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
    HeadlessResult res = RunHeadless(s, clock, m, 5000);
    EXPECT_TRUE(res.finished);
    EXPECT_EQ(m.RenderOn, 0);
}

} // namespace
} // namespace kv::test
