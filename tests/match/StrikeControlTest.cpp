// Strikes from the keyboard: force, aim, shortcuts, the pot strike and the commands.
#include "MatchRig.h"

#include <cmath>
#include <gtest/gtest.h>

namespace kv::test {
namespace {

TEST(Strike, SpaceChargesToOneHundredAndReleaseFires) {
    Rig r(2);
    r.Start();
    r.kb.Hold(Scan::Space);
    r.KbTicks(50);
    EXPECT_EQ(r.m.StrikeForce, 100);
    EXPECT_EQ(r.s->TurnPhase(), 2);
    r.KbTicks(10);
    EXPECT_EQ(r.m.StrikeForce, 100);
    EXPECT_EQ(r.m.StatusText, "Сила удара: 100");
    r.kb.Release(Scan::Space);
    r.s->KeyUp(Key::Space);
    EXPECT_EQ(r.s->TurnPhase(), 3);
    EXPECT_FALSE(r.scene.ballShown);
    EXPECT_FALSE(r.scene.arrowShown);
    ASSERT_EQ(r.replay.written.size(), 1u);
    EXPECT_EQ(r.replay.written[0].strike.si, 100);
    EXPECT_EQ(r.replay.written[0].pot, 0);
    EXPECT_DOUBLE_EQ(r.replay.written[0].strike.pa, r.s->StrikeDir());
    EXPECT_TRUE(r.clock.Enabled(TimerId::Run));
    EXPECT_EQ(r.s->Strikes(), 1);
    // Full force along the view (+x) drives piece 1 off the table.
    r.Settle();
    EXPECT_GT(r.s->PhysicsTicks(), 0);
    EXPECT_TRUE(r.s->GameOver());
    EXPECT_EQ(r.m.Winner, 2);
}

TEST(Strike, AGentleStrikePassesTheTurn) {
    Rig r(2);
    r.Start();
    r.kb.Hold(Scan::Space);
    r.KbTicks(10);
    r.kb.ReleaseAll();
    r.s->KeyUp(Key::Space);
    EXPECT_EQ(r.replay.written.at(0).strike.si, 20);
    const double x0 = r.m.Gobla(1).Xpos;
    r.Settle();
    EXPECT_GT(r.m.Gobla(1).Xpos, x0 + 100);             // v = 4, friction 0.04 a step: about 200
    EXPECT_EQ(r.m.StatusText.rfind("Выберите", 0), 0u); // the next human's prompt
    EXPECT_EQ(r.m.CurG, 2);
    EXPECT_EQ(r.s->TurnPhase(), 1);
    EXPECT_FALSE(r.clock.Enabled(TimerId::Run));
}

TEST(Strike, AimingKeys) {
    Rig r(2);
    r.Start();
    const double d0 = r.s->StrikeDir();
    const double a0 = r.s->PointAngle();
    r.kb.Hold(Scan::Kp9);
    r.kb.Hold(Scan::Kp7);
    r.KbTicks(1);
    EXPECT_NEAR(r.s->StrikeDir(), d0 + 0.1, 1e-12); // keypad 9 wins
    EXPECT_DOUBLE_EQ(r.scene.arrowAngle, r.s->StrikeDir());
    r.kb.ReleaseAll();
    r.kb.Hold(Scan::Kp3);
    r.kb.Hold(Scan::Kp1);
    r.KbTicks(1);
    EXPECT_NEAR(r.s->PointAngle(), a0 - 0.1, 1e-12); // keypad 3 wins
    // The ball follows the strike point on the rim (model 3: radius 20).
    const GoblaRec& g = r.m.Gobla(1);
    const double a = r.s->PointAngle();
    EXPECT_NEAR(r.scene.ball[0], (g.Xpos + 20 * std::sin(a)) / 10, 1e-9);
    EXPECT_NEAR(r.scene.ball[1], 0.5, 1e-12);
    EXPECT_NEAR(r.scene.ball[2], -(g.Ypos - 20 * std::cos(a)) / 10, 1e-9);
    EXPECT_NEAR(r.scene.arrow[1], 1.0, 1e-12);

    // While SPACE is held the direction stays, the strike point still moves.
    r.kb.ReleaseAll();
    r.kb.Hold(Scan::Space);
    r.kb.Hold(Scan::Kp9);
    r.kb.Hold(Scan::Kp1);
    const double d1 = r.s->StrikeDir();
    const double a1 = r.s->PointAngle();
    r.KbTicks(3);
    EXPECT_DOUBLE_EQ(r.s->StrikeDir(), d1);
    EXPECT_NEAR(r.s->PointAngle(), a1 + 0.3, 1e-12);
}

TEST(Strike, ShortcutsOnlyOnAHumansTurn) {
    Rig r(2, true);
    r.m.IsCompHOD = kTrue;
    r.Start();
    EXPECT_EQ(r.m.StatusText, "Ходит комп!!! Нажмите ENTER для продолжения.");
    EXPECT_EQ(r.s->TurnPhase(), 1);
    r.kb.Hold(Scan::A);
    r.KbTicks(1);
    r.kb.ReleaseAll();
    r.kb.Hold(Scan::M);
    r.KbTicks(1);
    EXPECT_EQ(r.s->TurnPhase(), 1);
    EXPECT_EQ(r.s->Strikes(), 0);
    // SPACE is not restricted: it charges and fires with the current aim.
    r.kb.ReleaseAll();
    r.kb.Hold(Scan::Space);
    r.KbTicks(10);
    EXPECT_EQ(r.m.StrikeForce, 20);
    r.kb.ReleaseAll();
    r.s->KeyUp(Key::Space);
    EXPECT_EQ(r.s->Strikes(), 1);
    EXPECT_EQ(r.s->TurnPhase(), 3);
    EXPECT_EQ(r.replay.written.at(0).strike.si, 20);
}

TEST(Strike, AutoMoveAndFullForce) {
    Rig a(2);
    a.Start();
    a.kb.Hold(Scan::A);
    a.KbTicks(1);
    EXPECT_EQ(a.m.StatusText, "Игрок выбрал АВТОХОД!");
    EXPECT_EQ(a.s->TurnPhase(), 3);
    EXPECT_EQ(a.s->Strikes(), 1);

    Rig m(2);
    m.Start();
    m.kb.Hold(Scan::M);
    m.KbTicks(1);
    EXPECT_EQ(m.m.StatusText, "Игрок выбрал ХОД с силой 100!");
    ASSERT_EQ(m.replay.written.size(), 1u);
    EXPECT_EQ(m.replay.written[0].strike.si, 100);
}

TEST(Strike, EnterAndF6MakeThePausedComputerStrike) {
    Rig r(2, true);
    r.m.IsCompHOD = kTrue;
    r.Start();
    r.s->KeyDown(Key::Enter);
    EXPECT_EQ(r.m.StatusText, "Ходит комп!!! Не глядя!!!...");
    EXPECT_EQ(r.s->Strikes(), 1);
    EXPECT_EQ(r.s->TurnPhase(), 3);

    Rig f(2, true);
    f.m.IsCompHOD = kTrue;
    f.Start();
    f.s->KeyDown(Key::F6);
    EXPECT_EQ(f.m.IsCompHOD, 0);
    EXPECT_EQ(f.s->Strikes(), 1);
    EXPECT_EQ(f.m.HintText, "Пауза выключена.");
    f.s->KeyDown(Key::F6);
    EXPECT_NE(f.m.IsCompHOD, 0);
    EXPECT_EQ(f.m.HintText, "Пауза включена.");
}

// Runs the pot ticks of a pot strike of force F by piece 1 and returns the pot log.
std::vector<PotCall> ThrowPot(Rig& r, int ticksOfSpace) {
    r.kb.Hold(Scan::G);
    r.KbTicks(1);
    r.kb.ReleaseAll();
    EXPECT_EQ(r.s->TurnPhase(), 5);
    EXPECT_EQ(r.m.StatusText, "ГОРШОК активизирован! Жмите пробел длительное время!");
    r.kb.Hold(Scan::Space);
    r.KbTicks(ticksOfSpace);
    r.kb.ReleaseAll();
    r.s->KeyUp(Key::Space);
    EXPECT_EQ(r.s->TurnPhase(), 6);
    return r.scene.pot;
}

TEST(PotStrike, FallImpactAndSettling) {
    Rig r(3);
    r.m.Ftr = 0.02;
    r.Start();
    GoblaRec& g1 = r.m.Gobla(1);
    g1.Xpos = 100;
    g1.Ypos = 100;
    r.m.Gobla(2).Xpos = 200; // right of the striker
    r.m.Gobla(2).Ypos = 100;
    r.m.Gobla(3).Xpos = 300; // exactly in the table centre: stays
    r.m.Gobla(3).Ypos = 200;
    ThrowPot(r, 10);
    EXPECT_EQ(r.m.StatusText, "ГОРШОК: Сила 20");
    ASSERT_EQ(r.replay.written.size(), 1u);
    EXPECT_EQ(r.replay.written[0].pot, 20);
    EXPECT_EQ(r.replay.written[0].strike.si, 0);
    ASSERT_EQ(r.scene.pot.size(), 1u);
    EXPECT_EQ(r.scene.pot[0].op, "show");
    EXPECT_EQ(r.scene.pot[0].x, 10);
    EXPECT_EQ(r.scene.pot[0].z, -10);
    EXPECT_TRUE(r.clock.Enabled(TimerId::Gor));
    EXPECT_EQ(r.clock.Interval(TimerId::Gor), 50);

    // Falling: h = 20 - 9.81 t^2/2 - 20 t stays above 0.5 for t = 0, 0.05, ..., 0.80.
    int moves = 0;
    while (r.scene.pot.back().op != "hide" && moves < 1000) {
        r.Fire(TimerId::Gor);
        ++moves;
    }
    ASSERT_EQ(r.scene.pot.back().op, "hide");
    EXPECT_EQ(moves, 18); // 17 falling ticks and the impact
    EXPECT_EQ(r.scene.pot[1].op, "move");
    EXPECT_NEAR(r.scene.pot[1].t, 0.05, 1e-12);
    EXPECT_EQ(r.scene.pot[1].v, 20);
    // The others jump; the camera jolts up by F/100.
    ASSERT_EQ(r.scene.lifts.size(), 2u);
    EXPECT_EQ(r.scene.lifts[0].n, 2);
    EXPECT_NEAR(r.scene.lifts[0].h, 0.6, 1e-12);
    EXPECT_NEAR(r.m.CamY, 40.2, 1e-12);

    // Settling: v = F*P/d^2 * c * (dx, dy) / 10, one physics step with friction.
    r.Fire(TimerId::Gor);
    EXPECT_DOUBLE_EQ(r.m.CamY, 40);
    EXPECT_FALSE(r.clock.Enabled(TimerId::Gor));
    EXPECT_TRUE(r.clock.Enabled(TimerId::Run));
    const double c = std::hypot(200 - 300.0, 100 - 200.0);
    const double v = 20.0 / (100.0 * 100.0) * c * 100 / 10;
    EXPECT_NEAR(r.m.Gobla(2).Xpos, 200 + v - 2 * 0.02, 1e-9);
    EXPECT_NEAR(r.m.Gobla(2).Ypos, 100, 1e-12);
    EXPECT_DOUBLE_EQ(r.m.Gobla(3).Xpos, 300);
    EXPECT_DOUBLE_EQ(r.m.Gobla(3).Ypos, 200);
    EXPECT_DOUBLE_EQ(g1.Xpos, 100);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(r.m.Gobla(i).Xvec, 0.0);
    r.Settle();
    EXPECT_EQ(r.m.CurG, 2);
    EXPECT_EQ(r.s->Strikes(), 1);
}

TEST(PotStrike, StrikerInTheCentreStillMovesOthers) {
    Rig r(2);
    r.Start();
    r.m.Gobla(1).Xpos = 300;
    r.m.Gobla(1).Ypos = 200;
    r.m.Gobla(2).Xpos = 300;
    r.m.Gobla(2).Ypos = 300;
    r.kb.Hold(Scan::G);
    r.KbTicks(1);
    r.kb.ReleaseAll();
    r.kb.Hold(Scan::M); // full pot force
    r.KbTicks(1);
    r.kb.ReleaseAll();
    EXPECT_EQ(r.m.StatusText, "Игрок выбрал горшок с силой 100!!!");
    EXPECT_EQ(r.m.StrikeForce, 100);
    while (r.clock.Enabled(TimerId::Gor))
        r.Fire(TimerId::Gor);
    // c = d = 100: v = 100/10000 * 100 * 100/10 = 10 along +y.
    EXPECT_NEAR(r.m.Gobla(2).Ypos, 300 + 10 - 2 * r.m.Ftr, 1e-9);
    EXPECT_DOUBLE_EQ(r.m.Gobla(2).Xpos, 300);
}

TEST(PotStrike, ZeroForceThrowsNothing) {
    Rig r(2);
    r.Start();
    r.kb.Hold(Scan::G);
    r.KbTicks(1);
    r.kb.ReleaseAll();
    r.s->KeyUp(Key::Space);
    EXPECT_FALSE(r.clock.Enabled(TimerId::Gor));
    EXPECT_TRUE(r.clock.Enabled(TimerId::Run));
    r.Settle();
    EXPECT_EQ(r.m.CurG, 2);
}

TEST(Commands, QuickSave) {
    Rig r(2);
    r.Start();
    r.s->KeyDown(Key::F4);
    ASSERT_EQ(r.saves.saved.size(), 1u);
    EXPECT_EQ(r.saves.saved[0], "/state/game1.zvr");
    EXPECT_EQ(r.m.HintText, "Игра сохранена в /state/game1.zvr!");
    r.m.QuickSaveNo = 100;
    r.s->KeyDown(Key::F4);
    EXPECT_EQ(r.saves.saved.back(), "/state/game1.zvr");
    EXPECT_EQ(r.m.QuickSaveNo, 1);

    // Refused while pieces move.
    r.kb.Hold(Scan::M);
    r.KbTicks(1);
    r.kb.ReleaseAll();
    r.s->KeyDown(Key::F4);
    EXPECT_EQ(r.saves.saved.size(), 2u);
    EXPECT_EQ(r.m.QuickSaveNo, 1);
    EXPECT_EQ(r.m.HintText, "Сохранять игру можно, когда Гоблы не двигаются. Игра не сохранена!");

    Rig p(2);
    p.s->SetReplayMode(true);
    p.replay.toRead.push_back({StrikeRecord{}, 0});
    p.m.IsCompHOD = kTrue;
    p.Start();
    p.m.HintText = "x";
    p.s->KeyDown(Key::F4);
    EXPECT_TRUE(p.saves.saved.empty());
    EXPECT_EQ(p.m.HintText, "x");
    EXPECT_EQ(p.m.QuickSaveNo, 0);
}

TEST(Commands, ExitQuestion) {
    Rig r(2);
    r.Start();
    r.s->KeyDown(Key::Escape);
    EXPECT_TRUE(r.s->ExitAsk());
    r.s->KeyDown(Key::F3); // ignored while asking
    EXPECT_NE(r.m.NamesShown, 0);
    r.s->KeyDown(Key::N);
    EXPECT_FALSE(r.s->ExitAsk());
    r.s->KeyDown(Key::Escape);
    r.s->KeyDown(Key::Escape);
    EXPECT_FALSE(r.s->ExitAsk());
    r.s->KeyDown(Key::Escape);
    r.s->KeyDown(Key::Y);
    EXPECT_EQ(r.m.RenderOn, 0);
    EXPECT_TRUE(r.s->Busy());
    r.s->KeyDown(Key::F3); // after the end keys do nothing
    EXPECT_NE(r.m.NamesShown, 0);
    r.s->Unload();
    EXPECT_EQ(r.screens.log, std::vector<std::string>{"results 0"});
}

TEST(Commands, TogglesAndTheirHints) {
    Rig r(2);
    r.Start();
    r.s->KeyDown(Key::F7);
    EXPECT_EQ(r.m.ArrowShown, 0);
    EXPECT_FALSE(r.scene.arrowShown);
    EXPECT_EQ(r.m.HintText, "Стрелка убрана (F7=Показать стрелку)");
    r.s->KeyDown(Key::F7);
    EXPECT_EQ(r.m.HintText, "Стрелка показана (F7=Спрятать стрелку)");
    r.s->KeyDown(Key::F3);
    EXPECT_EQ(r.m.HintText, "Имена скрыты! (F3=Показать имена)");
    r.s->KeyDown(Key::F3);
    EXPECT_EQ(r.m.HintText, "Имена показаны! (F3=Скрыть имена)");
    r.sound.calls.clear();
    r.s->KeyDown(Key::F8);
    EXPECT_EQ(r.m.Sound, 0);
    EXPECT_EQ(r.m.HintText, "Звук выключен (F8=Включить звук)");
    ASSERT_EQ(r.sound.calls.size(), 15u);
    for (int i = 0; i < 15; ++i) {
        EXPECT_TRUE(r.sound.calls[i].stop);
        EXPECT_EQ(r.sound.calls[i].slot, i);
        EXPECT_EQ(r.sound.calls[i].volume, 1); // with rewind
    }
    r.s->KeyDown(Key::F8);
    EXPECT_NE(r.m.Sound, 0);
    EXPECT_EQ(r.m.HintText, "Звук включен (F8=Выключить звук)");
    r.s->KeyDown(Key::F1);
    EXPECT_TRUE(r.s->HelpShown());
    EXPECT_FALSE(r.scene.ambient);
    r.s->KeyDown(Key::F1);
    EXPECT_TRUE(r.scene.ambient);
}

} // namespace
} // namespace kv::test
