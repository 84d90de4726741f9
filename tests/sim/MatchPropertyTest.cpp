// Many random set-ups played tick by tick: every strike's motion ends, nothing
// becomes NaN or infinite, and the match state's invariants hold at every turn.
#include "sim/SimRun.h"

#include "match/MatchScreen.h"
#include "match/VirtualClock.h"
#include "physics/Table.h"
#include "state/NullPorts.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

bool AllFinite(const kv::Module1& m) {
    for (double v : {m.CamX, m.CamY, m.CamZ, m.TargetX, m.TargetY, m.TargetZ})
        if (!std::isfinite(v)) return false;
    return kv::test::Finite(m);
}

void CheckTurnInvariants(const kv::Module1& m, const kv::MatchScreen& screen, const char* what) {
    ASSERT_TRUE(m.CurNG >= 1 && m.CurNG <= m.MaxGamers) << what;
    EXPECT_EQ(m.CurG, m.KH(m.CurNG)) << what;
    EXPECT_TRUE(screen.GameOver() || m.Gobla(m.CurG).Life != 0) << what;
    EXPECT_TRUE(m.CurSgin >= 0 && m.CurSgin <= m.MaxGamers && m.NewSgin <= 7) << what;
    int sginul = 0;
    for (int i = 1; i <= m.MaxGamers; ++i)
        sginul += m.Gobla(i).Sginul;
    EXPECT_LE(sginul, m.CurSgin) << what;
}

} // namespace

TEST(MatchProperties, RandomSetUpsKeepTheRules) {
    kv::Rng pick(20261206);
    for (int round = 0; round < 60; ++round) {
        kv::sim::PlayOptions p;
        p.seed = pick.NextU64() % 100000;
        if (pick.Next01() < 0.25) {
            p.teams = 1 + pick.NextInt(4);
            p.players = 2 * p.teams;
        } else {
            p.players = 2 + pick.NextInt(7);
        }
        for (int i = 0; i < p.players; ++i) {
            p.models.push_back(pick.NextInt(4));
            p.masses.push_back(pick.Next01() < 0.7 ? 1 : 1 + pick.NextInt(1000));
        }
        if (p.teams > 0) p.models.resize(1);
        p.tableX = 200 + 10 * pick.NextInt(81);
        p.tableY = 200 + 10 * pick.NextInt(81);
        p.friction = 0.01 * (1 + pick.NextInt(3));
        p.wall = pick.NextInt(3);
        p.wallMirror = pick.Next01() < 0.5;
        p.obstacles = pick.NextInt(3);
        p.obstaclesMirror = pick.Next01() < 0.5;
        p.spread = pick.Next01() < 0.5 ? 0.0 : 0.1 * pick.Next01();
        const std::string what = "round " + std::to_string(round);

        kv::Module1 m;
        kv::BuildShapes(m);
        kv::NullDialogs dialogs;
        ASSERT_TRUE(kv::sim::SetupPlay(m, p, dialogs)) << what;

        kv::VirtualScheduler clock;
        kv::NullKeyboard kb;
        kv::NullDisplay display;
        kv::NullScene scene;
        kv::NullSound sound;
        kv::NullReplay replay;
        kv::NullSaveGame saves;
        kv::NullScreens screens;
        kv::Rng rng(p.seed);
        kv::MatchScreen screen(
            m, kv::MatchPorts{clock, kb, display, scene, sound, replay, saves, screens, dialogs},
            rng);
        clock.OnFire([&screen](kv::TimerId id) { screen.Tick(id); });
        screen.Init();

        long ticksThisStrike = 0, strikes = screen.Strikes(), fired = 0;
        while (m.RenderOn != 0 && screen.Strikes() < 300) {
            auto next = clock.NextDue();
            ASSERT_TRUE(next) << what;
            clock.FireNext();
            ASSERT_LT(++fired, 5000000) << what;
            if (screen.Strikes() != strikes) {
                strikes = screen.Strikes();
                ticksThisStrike = 0;
            }
            if (*next == kv::TimerId::Run) {
                ASSERT_LT(++ticksThisStrike, 20000) << what << ": a strike's motion never ends";
                ASSERT_TRUE(AllFinite(m)) << what;
            }
            if (*next == kv::TimerId::Pause && m.RenderOn != 0) {
                CheckTurnInvariants(m, screen, what.c_str());
                if (HasFatalFailure()) return;
            }
        }
        EXPECT_TRUE(AllFinite(m)) << what;
        screen.Unload();
    }
}
