// Start-up, passing the turn, the end of a match and leaving the screen.
#include "MatchRig.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

bool Says(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

TEST(StartUp, RecordsReplayStartsTimersAndGivesTheTurn) {
    Rig r(2);
    r.m.ReplaySlot = 5;
    r.Start();
    EXPECT_EQ(r.replay.started, std::vector<std::string>{"/state/replay1.sav"}); // 5 wraps
    EXPECT_TRUE(r.clock.Enabled(TimerId::KeyBoard) && !r.clock.Enabled(TimerId::Pause));
    EXPECT_TRUE(r.s->Phase() == kv::TurnPhase::Aim && r.scene.ballShown && r.scene.arrowShown);
    ASSERT_EQ(r.sound.calls.size(), 1u); // one of the greetings
    EXPECT_LE(r.sound.calls[0].slot, 3);
}

TEST(StartUp, FailuresStopBeforeTheFirstTurn) {
    Rig noRecord(2), noScene(2), noKeyboard(2);
    noRecord.replay.startOk = false;
    noScene.scene.buildOk = false;
    noKeyboard.kb.initOk = false;
    for (Rig* r : {&noRecord, &noScene, &noKeyboard}) {
        r->Start();
        EXPECT_EQ(r->m.RenderOn, 0);
        EXPECT_FALSE(r->clock.Enabled(TimerId::KeyBoard));
    }
    EXPECT_TRUE(noScene.s->InitFailed() && noKeyboard.s->InitFailed());
    noScene.s->Unload();
    EXPECT_EQ(noScene.screens.log, std::vector<std::string>{"results 0"});
}

TEST(TurnCycle, PerishedPlacesSkippedTeamsAlternateOrderFollowsKH) {
    Rig r(4), t(4), k(3);
    r.m.Gobla(2).Life = r.m.Gobla(3).Life = kFalse;
    t.Teams();
    k.m.KH(1) = 3;
    k.m.KH(2) = 1;
    k.m.KH(3) = 2;
    k.m.CurG = 3;
    std::vector<int> turns[3];
    for (int i = 0; i < 5; ++i) {
        int n = 0;
        for (Rig* x : {&r, &t, &k}) {
            if (i == 0) x->Start();
            turns[n++].push_back(x->m.CurG);
            x->CloseTurn();
        }
    }
    EXPECT_EQ(turns[0], (std::vector<int>{1, 4, 1, 4, 1}));
    EXPECT_EQ(turns[1], (std::vector<int>{1, 2, 3, 4, 1}));
    EXPECT_EQ(turns[2], (std::vector<int>{3, 1, 2, 3, 1}));
    EXPECT_FALSE(r.s->GameOver());
}

TEST(TurnCycle, HeadlessRunStopsWhenNobodyStrikes) {
    Rig h(2); // a human seat and nobody at the keyboard
    const HeadlessResult idle = RunHeadless(*h.s, h.clock, h.m, 0, 5000);
    EXPECT_TRUE(idle.idleLimit && idle.strikes == 0);
}

TEST(EndOfMatch, TheWinnerIsNamedAndTheScreenClosesAfterTheWinSound) {
    Rig r(3);
    r.Start();
    r.m.Gobla(2).RName = "Вася";
    r.m.CurG = r.m.CurNG = 2; // piece 2 strikes; 3 falls, then 1
    r.m.Gobla(1).Life = r.m.Gobla(3).Life = kFalse;
    r.m.NewSgin = 2;
    r.m.SginList(1) = 3;
    r.m.SginList(2) = 1;
    r.m.UseRoom = kFalse;
    r.sound.calls.clear();
    r.CloseTurn();
    EXPECT_TRUE(r.s->GameOver() && r.m.Winner == 2 && Says(r.m.StatusText, "Вася"));
    EXPECT_EQ(r.Order(), (std::vector<int>{1, 3, 2})); // last fallen first, then the winner
    EXPECT_EQ(std::tuple(r.m.Gobla(2).Sginul, r.m.NewSgin), std::tuple(2, 0));
    ASSERT_EQ(r.sound.calls.size(), 1u); // no room: no crash of several pieces
    EXPECT_EQ(r.sound.calls[0].slot, 14);
    EXPECT_NE(r.m.RenderOn, 0); // the win sound is heard out
    r.Settle();
    EXPECT_EQ(r.m.RenderOn, 0);
    r.s->Unload();
    r.s->Unload();
    EXPECT_EQ(std::tuple(r.screens.log.size(), r.screens.log.at(0), r.replay.recordClosed),
              std::tuple(1u, "results 1", 1));
}

TEST(EndOfMatch, SoundOffOrNobodyLeftClosesAtOnce) {
    Rig off(2), none(2), team(4);
    off.m.Sound = kFalse;
    team.Teams();
    for (Rig* r : {&off, &none, &team}) {
        r->Start();
        for (int i = 2; i <= r->m.MaxGamers; ++i)
            r->m.Gobla(i).Life = kFalse;
    }
    off.m.NewSgin = 1;
    off.m.SginList(1) = 2;
    none.m.Gobla(1).Life = team.m.Gobla(1).Life = kFalse;
    const char* says[] = {"Омон1", "Все сгинули!", "Все сгинули..."};
    int n = 0;
    for (Rig* r : {&off, &none, &team}) {
        r->CloseTurn();
        EXPECT_TRUE(r->s->GameOver() && Says(r->m.StatusText, says[n])) << says[n];
        EXPECT_EQ(std::tuple(r->m.RenderOn, r->clock.Enabled(TimerId::Exit)), std::tuple(0, false));
        ++n;
    }
    EXPECT_TRUE(off.sound.calls.empty());
    EXPECT_EQ(std::tuple(none.m.Winner, team.m.Winner), std::tuple(-1, -1));
}

TEST(EndOfMatch, TeamWins) {
    Rig t(4);
    t.Teams(); // odd slots side 0, even slots side 1: side 1 wins
    t.m.N1 = 3;
    t.m.N2 = 5;
    t.m.rc(5).ComName = "Совы";
    t.Start();
    t.m.Gobla(1).Life = t.m.Gobla(3).Life = kFalse;
    t.m.CurSgin = 2;
    t.m.WS(1) = 1;
    t.m.WS(2) = 3;
    t.CloseTurn();
    EXPECT_TRUE(t.s->GameOver() && t.clock.Enabled(TimerId::Exit));
    EXPECT_TRUE(t.m.Winner == 5 && Says(t.m.StatusText, "команде Совы"));
    EXPECT_EQ(t.Order(), (std::vector<int>{1, 3, 2, 4})); // survivors in slot order
}

TEST(EndOfMatch, TwoFallenWithTheRoomPlayTheCrashFadingWithDistance) {
    Rig r(4);
    r.m.UseRoom = kTrue;
    r.Start();
    r.m.CamX = r.m.MaxX / 10.0 - 100; // 100 scene units from the figure in x
    r.m.CamZ = 150;
    r.m.Gobla(2).Life = r.m.Gobla(3).Life = kFalse;
    r.m.NewSgin = 2;
    r.m.SginList(1) = 2;
    r.m.SginList(2) = 3;
    r.sound.calls.clear();
    r.CloseTurn();
    ASSERT_EQ(r.sound.calls.size(), 1u);
    EXPECT_EQ(std::pair(r.sound.calls[0].slot, r.sound.calls[0].volume), std::pair(7, -50));
    EXPECT_EQ(r.m.CurG, 4);
}

TEST(Replay, StepsArePlayedAndTheEndReturnsToTheBrowser) {
    Rig r(2, true);
    r.Playback({{StrikeRecord{0, 3.14159, 10}, 0}}, false);
    r.Start();
    EXPECT_EQ(std::tuple(r.s->Strikes(), r.s->Phase()), std::tuple(1, TurnPhase::Struck));
    EXPECT_TRUE(r.replay.written.empty()); // a playback records nothing
    while (!r.clock.Enabled(TimerId::Exit) && r.clock.FireNext()) {
    }
    EXPECT_TRUE(r.s->GameOver() && r.m.StatusText == "Конец записи!");
    r.Settle();
    r.s->Unload();
    EXPECT_EQ(std::tuple(r.m.RenderOn, r.replay.readClosed, r.screens.log.at(0)),
              std::tuple(0, 1, "browser"));
}

TEST(Replay, PausedPlaybackWaitsForEnterOrF6AndPotStepsThrowThePot) {
    Rig r(2, true), f(2, true);
    r.Playback({{StrikeRecord{}, 30}});
    r.Start();
    EXPECT_EQ(std::tuple(r.m.StrikeForce, r.s->Strikes()), std::tuple(30, 0));
    r.s->KeyDown(Key::Enter);
    EXPECT_EQ(std::tuple(r.s->Strikes(), r.s->Phase()), std::tuple(1, TurnPhase::PotFall));
    EXPECT_TRUE(!r.scene.pot.empty() && r.clock.Enabled(TimerId::Gor));
    f.Playback({{StrikeRecord{0, 0, 12}, 0}}); // F6 switches the pause off, plays the step
    f.Start();
    f.s->KeyDown(Key::F6);
    EXPECT_EQ(std::tuple(f.m.IsCompHOD, f.s->Strikes(), f.s->Phase()),
              std::tuple(0, 1, TurnPhase::Struck));
}

} // namespace
} // namespace kv::test
