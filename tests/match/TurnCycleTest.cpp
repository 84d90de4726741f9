// Start-up, passing the turn, the end of a match and leaving the screen.
#include "MatchRig.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

// Closes the current turn as if the strike had just come to rest.
void CloseTurn(Rig& r) {
    r.s->Tick(TimerId::Pause);
}

TEST(StartUp, RecordsReplayStartsTimersAndGivesTheTurn) {
    Rig r(2);
    r.m.ReplaySlot = 5;
    r.Start();
    ASSERT_EQ(r.replay.started.size(), 1u);
    EXPECT_EQ(r.replay.started[0], "/state/replay1.sav"); // 5 wraps to 1
    EXPECT_EQ(r.m.ReplaySlot, 1);
    EXPECT_NE(r.m.RenderOn, 0);
    EXPECT_TRUE(r.clock.Enabled(TimerId::KeyBoard));
    EXPECT_EQ(r.clock.Interval(TimerId::KeyBoard), 7);
    EXPECT_FALSE(r.clock.Enabled(TimerId::Pause));
    EXPECT_EQ(r.s->TurnPhase(), 1);
    EXPECT_EQ(r.m.StatusText, "Выберите точку и направление удара клавишами 1,3 и 7,9 цифровой "
                              "клавиатуры.Затем жмите ПРОБЕЛ!");
    EXPECT_TRUE(r.scene.ballShown);
    EXPECT_TRUE(r.scene.arrowShown);
    // One start sound of 0..3 at -10.
    ASSERT_EQ(r.sound.calls.size(), 1u);
    EXPECT_GE(r.sound.calls[0].slot, 0);
    EXPECT_LE(r.sound.calls[0].slot, 3);
    EXPECT_EQ(r.sound.calls[0].volume, -10);
    EXPECT_EQ(r.s->CamHeight(), 40);
    EXPECT_EQ(r.display.log.front(), "Caption Kvelmar II: Zantor Билд1408: загрузка...");
}

TEST(StartUp, FailuresStopBeforeTheFirstTurn) {
    {
        Rig r(2);
        r.replay.startOk = false;
        r.Start();
        EXPECT_EQ(r.m.RenderOn, 0);
        EXPECT_EQ(r.display.log.size(), 1u); // the caption only
    }
    {
        Rig r(2);
        r.scene.buildOk = false;
        r.Start();
        EXPECT_TRUE(r.s->InitFailed());
        EXPECT_EQ(r.m.RenderOn, 0);
        EXPECT_FALSE(r.clock.Enabled(TimerId::KeyBoard));
        r.s->Unload();
        EXPECT_EQ(r.screens.log, std::vector<std::string>{"results 0"});
    }
    {
        Rig r(2);
        r.kb.initOk = false;
        r.Start();
        EXPECT_TRUE(r.s->InitFailed());
        EXPECT_EQ(r.display.log.size(), 1u); // the display is not even tried
    }
    {
        Rig r(2);
        r.s->SetReplayMode(true);
        r.m.Sound = kFalse;
        r.Start();
        EXPECT_TRUE(r.replay.started.empty());
        EXPECT_TRUE(r.sound.calls.empty());
    }
}

TEST(TurnCycle, PerishedPlacesAreSkipped) {
    Rig r(4);
    r.Start();
    r.m.Gobla(2).Life = kFalse;
    r.m.Gobla(3).Life = kFalse;
    std::vector<int> turns{r.m.CurG};
    for (int i = 0; i < 4; ++i) {
        CloseTurn(r);
        turns.push_back(r.m.CurG);
    }
    EXPECT_EQ(turns, (std::vector<int>{1, 4, 1, 4, 1}));
    EXPECT_FALSE(r.s->GameOver());
}

TEST(TurnCycle, TeamsAlternateAndTheOrderFollowsKH) {
    Rig r(4);
    r.m.ZI = kTrue;
    for (int i = 1; i <= 4; ++i)
        r.m.Gobla(i).Com = static_cast<i16>((i + 1) % 2);
    r.Start();
    std::vector<int> turns{r.m.CurG};
    for (int i = 0; i < 4; ++i) {
        CloseTurn(r);
        turns.push_back(r.m.CurG);
        EXPECT_NE(r.m.Gobla(turns[turns.size() - 1]).Com, r.m.Gobla(turns[turns.size() - 2]).Com);
    }
    EXPECT_EQ(turns, (std::vector<int>{1, 2, 3, 4, 1}));

    Rig k(3);
    k.m.KH(1) = 3;
    k.m.KH(2) = 1;
    k.m.KH(3) = 2;
    k.m.CurG = 3;
    k.Start();
    CloseTurn(k);
    EXPECT_EQ(k.m.CurG, 1);
    CloseTurn(k);
    EXPECT_EQ(k.m.CurG, 2);
    CloseTurn(k);
    EXPECT_EQ(k.m.CurG, 3);
}

TEST(EndOfMatch, QuickGameWinnerWithSoundWaitsSevenSeconds) {
    Rig r(3);
    r.Start();
    r.m.Gobla(2).RName = "Вася";
    // Piece 2 strikes; 3 falls, then 1.
    r.m.CurG = 2;
    r.m.CurNG = 2;
    r.m.Gobla(1).Life = kFalse;
    r.m.Gobla(3).Life = kFalse;
    r.m.NewSgin = 2;
    r.m.SginList(1) = 3;
    r.m.SginList(2) = 1;
    r.sound.calls.clear();
    CloseTurn(r);
    EXPECT_TRUE(r.s->GameOver());
    EXPECT_EQ(r.m.Winner, 2);
    EXPECT_EQ(r.m.StatusText, "Гобла закончена! Поздравления игроку Вася!!!");
    // Last fallen first, then the winner.
    EXPECT_EQ(r.m.WS(1), 1);
    EXPECT_EQ(r.m.WS(2), 3);
    EXPECT_EQ(r.m.WS(3), 2);
    EXPECT_EQ(r.m.Gobla(2).Sginul, 2);
    EXPECT_EQ(r.m.NewSgin, 0);
    ASSERT_EQ(r.sound.calls.size(), 1u); // no room: no sound 7
    EXPECT_EQ(r.sound.calls[0].slot, 14);
    EXPECT_EQ(r.sound.calls[0].volume, -7);
    EXPECT_NE(r.m.RenderOn, 0);
    EXPECT_TRUE(r.clock.Enabled(TimerId::Exit));
    EXPECT_EQ(r.clock.Interval(TimerId::Exit), 7000);
    const long long t0 = r.clock.NowMs();
    while (r.m.RenderOn != 0 && r.clock.FireNext(*r.s)) {
    }
    EXPECT_EQ(r.clock.NowMs() - t0, 7000);
    EXPECT_EQ(r.m.StatusText, "Пожалуйста подождите...");
    r.s->Unload();
    r.s->Unload();
    EXPECT_EQ(r.screens.log, std::vector<std::string>{"results 1"});
    EXPECT_EQ(r.replay.recordClosed, 1);
    EXPECT_EQ(r.display.log.back(), "ShutdownDisplay");
}

TEST(EndOfMatch, SoundOffClosesAtOnce) {
    Rig r(2);
    r.m.Sound = kFalse;
    r.Start();
    r.m.Gobla(2).Life = kFalse;
    r.m.NewSgin = 1;
    r.m.SginList(1) = 2;
    CloseTurn(r);
    EXPECT_TRUE(r.s->GameOver());
    EXPECT_EQ(r.m.RenderOn, 0);
    EXPECT_FALSE(r.clock.Enabled(TimerId::Exit));
    EXPECT_TRUE(r.sound.calls.empty());
}

TEST(EndOfMatch, NobodyLeft) {
    Rig r(2);
    r.Start();
    r.m.Gobla(1).Life = kFalse;
    r.m.Gobla(2).Life = kFalse;
    CloseTurn(r);
    EXPECT_EQ(r.m.StatusText, "Вы живых не осталось никого...Все сгинули!");
    EXPECT_EQ(r.m.Winner, -1);
    EXPECT_TRUE(r.s->GameOver());
    EXPECT_EQ(r.m.RenderOn, 0);

    Rig t(4);
    t.m.ZI = kTrue;
    for (int i = 1; i <= 4; ++i)
        t.m.Gobla(i).Com = static_cast<i16>((i + 1) % 2);
    t.Start();
    for (int i = 1; i <= 4; ++i)
        t.m.Gobla(i).Life = kFalse;
    CloseTurn(t);
    EXPECT_EQ(t.m.StatusText, "Гобла закончена! Все сгинули...");
    EXPECT_EQ(t.m.Winner, -1);
    EXPECT_EQ(t.m.RenderOn, 0);
}

TEST(EndOfMatch, TeamWins) {
    for (int winnerSide = 0; winnerSide <= 1; ++winnerSide) {
        Rig t(4);
        t.m.ZI = kTrue;
        t.m.N1 = 3;
        t.m.N2 = 5;
        t.m.rc(3).ComName = "Орлы";
        t.m.rc(5).ComName = "Совы";
        for (int i = 1; i <= 4; ++i)
            t.m.Gobla(i).Com = static_cast<i16>((i + 1) % 2);
        t.Start();
        // The losing side's two pieces (odd slots are side 0).
        for (int i = 1; i <= 4; ++i)
            if (t.m.Gobla(i).Com != winnerSide) t.m.Gobla(i).Life = kFalse;
        t.m.CurSgin = 2;
        t.m.WS(1) = winnerSide ? 1 : 2;
        t.m.WS(2) = winnerSide ? 3 : 4;
        CloseTurn(t);
        EXPECT_TRUE(t.s->GameOver());
        EXPECT_EQ(t.m.Winner, winnerSide ? 5 : 3);
        EXPECT_EQ(t.m.StatusText, std::string("Гобла закончена! Поздравления команде ") +
                                      (winnerSide ? "Совы" : "Орлы") + "!!!");
        EXPECT_EQ(t.m.CurSgin, 4);
        EXPECT_EQ(t.m.WS(3), winnerSide ? 2 : 1); // survivors in slot order
        EXPECT_EQ(t.m.WS(4), winnerSide ? 4 : 3);
        EXPECT_TRUE(t.clock.Enabled(TimerId::Exit));
    }
}

TEST(EndOfMatch, TwoFallenWithTheRoomPlayTheCrashFadingWithDistance) {
    Rig r(4);
    r.m.UseRoom = kTrue;
    r.Start();
    r.m.CamX = r.m.MaxX / 10.0 - 100; // 100 scene units from the figure in x
    r.m.CamZ = 150;
    r.m.Gobla(2).Life = kFalse;
    r.m.Gobla(3).Life = kFalse;
    r.m.NewSgin = 2;
    r.m.SginList(1) = 2;
    r.m.SginList(2) = 3;
    r.sound.calls.clear();
    CloseTurn(r);
    ASSERT_EQ(r.sound.calls.size(), 1u);
    EXPECT_EQ(r.sound.calls[0].slot, 7);
    EXPECT_EQ(r.sound.calls[0].volume, -50);
    EXPECT_EQ(r.m.CurG, 4);
}

TEST(Replay, StepsArePlayedAndTheEndClosesAfterTwoSeconds) {
    Rig r(2, true);
    r.s->SetReplayMode(true);
    r.replay.toRead.push_back({StrikeRecord{0, 3.14159, 10}, 0});
    r.Start();
    EXPECT_EQ(r.s->Strikes(), 1);
    EXPECT_EQ(r.m.HintText, "Сила удара: 10");
    EXPECT_EQ(r.s->TurnPhase(), 3);
    EXPECT_TRUE(r.replay.written.empty()); // a playback records nothing
    while (!r.clock.Enabled(TimerId::Exit) && r.clock.FireNext(*r.s)) {
    }
    EXPECT_EQ(r.m.StatusText, "Конец записи!");
    EXPECT_TRUE(r.s->GameOver());
    EXPECT_TRUE(r.clock.Enabled(TimerId::Exit));
    EXPECT_EQ(r.clock.Interval(TimerId::Exit), 2000);
    const long strikes = r.s->Strikes();
    r.s->KeyDown(Key::Enter); // nothing is left to play
    EXPECT_EQ(r.s->Strikes(), strikes);
    r.Settle();
    EXPECT_EQ(r.m.RenderOn, 0);
    r.s->Unload();
    EXPECT_EQ(r.replay.readClosed, 1);
    EXPECT_EQ(r.screens.log, std::vector<std::string>{"browser"});
}

TEST(Replay, PausedPlaybackWaitsForEnterAndPotStepsThrowThePot) {
    Rig r(2, true);
    r.s->SetReplayMode(true);
    r.m.IsCompHOD = kTrue;
    r.replay.toRead.push_back({StrikeRecord{}, 30});
    r.Start();
    EXPECT_EQ(r.m.StatusText, "Нажмите ENTER!");
    EXPECT_EQ(r.m.HintText, "Чтобы выключить такую паузу, нажмите F6.");
    EXPECT_EQ(r.m.StrikeForce, 30);
    EXPECT_EQ(r.s->Strikes(), 0);
    r.s->KeyDown(Key::Enter);
    EXPECT_EQ(r.m.StatusText, "Воспроизведение...");
    EXPECT_EQ(r.s->TurnPhase(), 6);
    ASSERT_FALSE(r.scene.pot.empty());
    EXPECT_EQ(r.scene.pot[0].op, "show");
    EXPECT_TRUE(r.clock.Enabled(TimerId::Gor));
    EXPECT_EQ(r.s->Strikes(), 1);

    // F6 switches the pause off and plays the waiting step.
    Rig f(2, true);
    f.s->SetReplayMode(true);
    f.m.IsCompHOD = kTrue;
    f.replay.toRead.push_back({StrikeRecord{0, 0, 12}, 0});
    f.Start();
    f.s->KeyDown(Key::F6);
    EXPECT_EQ(f.m.IsCompHOD, 0);
    EXPECT_EQ(f.m.HintText, "Пауза выключена.");
    EXPECT_EQ(f.s->Strikes(), 1);
    EXPECT_EQ(f.s->TurnPhase(), 3);
}

} // namespace
} // namespace kv::test
