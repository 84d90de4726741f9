// Strikes from the keyboard: force, aim, shortcuts, the pot strike and the commands.
#include "MatchRig.h"

#include <cmath>
#include <gtest/gtest.h>

namespace kv::test {
namespace {

// A network match's relay where every turn is this machine's.
struct ChatRelay : TurnRelay {
    TurnOwner TurnBegins(i16) override { return TurnOwner::Here; }
    void StrikeMade(const PlayedStrike&) override {}
    void AimChanged(double, double, i16) override {}
    void TurnEnded() override {}
    void Say(const std::string& line) override { said.push_back(line); }
    std::vector<std::string> said;
};

TEST(Strike, ChatLineOfANetworkMatchTakesTheKeysUntilSaid) {
    Rig r(2);
    r.s->KeyDown(Key::F2);
    EXPECT_FALSE(r.s->ChatOpen()) << "no chat without a table";
    ChatRelay relay;
    r.s->SetRelay(&relay);
    r.Start();
    r.s->KeyDown(Key::F2);
    ASSERT_TRUE(r.s->ChatOpen());
    const double dir = r.s->StrikeDir();
    r.kb.Hold(Scan::Q); // a letter typed steers nothing, nor does SPACE charge
    r.kb.Hold(Scan::Space);
    r.KbTicks(5);
    r.kb.ReleaseAll();
    EXPECT_EQ(std::tuple(r.s->StrikeDir(), r.s->Phase(), r.m.StrikeForce),
              std::tuple(dir, TurnPhase::Aim, 0));
    r.s->TypeText("Привет");
    r.s->TypeText("\x07");
    r.s->KeyDown(Key::Y); // typed as text, never the exit question's answer
    r.s->KeyDown(Key::Backspace);
    r.s->KeyDown(Key::Backspace);
    r.s->KeyDown(Key::Enter);
    EXPECT_FALSE(r.s->ChatOpen());
    EXPECT_EQ(relay.said, std::vector<std::string>{"Прив"});
    EXPECT_EQ(r.m.RenderOn, kTrue);
}

// SPACE charges to a hundred at most and its release fires: full force along the
// view drives piece 1 off the table, a gentle strike passes the turn.
TEST(Strike, SpaceChargesAndReleaseFires) {
    Rig r(2), g(2);
    r.Start();
    r.kb.Hold(Scan::Space);
    r.KbTicks(60);
    EXPECT_EQ(std::tuple(r.m.StrikeForce, r.s->Phase()), std::tuple(100, TurnPhase::Charge));
    r.kb.ReleaseAll();
    r.s->KeyUp(Key::Space);
    EXPECT_EQ(std::tuple(r.s->Phase(), r.s->Strikes()), std::tuple(TurnPhase::Struck, 1));
    EXPECT_FALSE(r.scene.ballShown || r.scene.arrowShown);
    ASSERT_EQ(r.replay.written.size(), 1u);
    const ReplayStepRec& w = r.replay.written[0];
    EXPECT_EQ(std::tuple(w.strike.si, w.pot, w.strike.pa), std::tuple(100, 0, r.s->StrikeDir()));
    r.Settle();
    EXPECT_TRUE(r.s->GameOver() && r.m.Winner == 2);

    g.Start();
    g.Charge(10);
    EXPECT_EQ(g.replay.written.at(0).strike.si, 20);
    g.Settle();
    EXPECT_EQ(std::tuple(g.m.CurG, g.s->Phase(), g.clock.Enabled(TimerId::Run)),
              std::tuple(2, TurnPhase::Aim, false));
}

TEST(Strike, AimingKeys) {
    Rig r(2);
    r.Start();
    const double d0 = r.s->StrikeDir(), a0 = r.s->PointAngle();
    r.kb.Hold(Scan::Kp9);
    r.Press(Scan::Kp7);
    EXPECT_NEAR(r.s->StrikeDir(), d0 + 0.1, 1e-12); // keypad 9 wins
    EXPECT_DOUBLE_EQ(r.scene.arrowAngle, r.s->StrikeDir());
    r.kb.Hold(Scan::Kp3);
    r.Press(Scan::Kp1);
    EXPECT_NEAR(r.s->PointAngle(), a0 - 0.1, 1e-12); // keypad 3 wins
    // While SPACE is held the direction stays, the strike point still moves.
    r.kb.Hold(Scan::Space);
    r.kb.Hold(Scan::Kp9);
    r.kb.Hold(Scan::Kp1);
    const double d1 = r.s->StrikeDir(), a1 = r.s->PointAngle();
    r.KbTicks(3);
    EXPECT_DOUBLE_EQ(r.s->StrikeDir(), d1);
    EXPECT_NEAR(r.s->PointAngle(), a1 + 0.3, 1e-12);
}

// What a held key leaves behind after some keyboard ticks.
struct AfterKey {
    double dir, point, camX, camY, camZ;
    bool operator==(const AfterKey&) const = default;
};
AfterKey Hold(int scan, int ticks, bool replay = false) {
    Rig r(2);
    if (replay) r.Playback({{{0, 0, 10}, 0}});
    r.Start();
    r.kb.Hold(scan);
    r.KbTicks(ticks);
    return {r.s->StrikeDir(), r.s->PointAngle(), r.m.CamX, r.m.CamY, r.m.CamZ};
}

TEST(Strike, LettersDoTheKeypadsWork) {
    const std::pair<int, int> pairs[] = {{Scan::Q, Scan::Kp7},    {Scan::E, Scan::Kp9},
                                         {Scan::Z, Scan::Kp1},    {Scan::C, Scan::Kp3},
                                         {Scan::W, Scan::Kp8},    {Scan::S, Scan::Kp2},
                                         {Scan::D, Scan::Kp6},    {Scan::X, Scan::Kp4},
                                         {Scan::R, Scan::KpPlus}, {Scan::F, Scan::KpMinus}};
    const AfterKey still = Hold(0x3A, 3); // a key the match does not read
    for (const auto& [letter, keypad] : pairs) {
        const AfterKey byLetter = Hold(letter, 3), byKeypad = Hold(keypad, 3);
        EXPECT_EQ(byLetter, byKeypad) << letter;
        EXPECT_FALSE(byLetter == still) << letter;
    }
    // Held together they act once, as one key.
    Rig r(2);
    r.Start();
    const double d0 = r.s->StrikeDir();
    r.kb.Hold(Scan::E);
    r.kb.Hold(Scan::Kp9);
    r.KbTicks(1);
    EXPECT_NEAR(r.s->StrikeDir(), d0 + 0.1, 1e-12);
}

TEST(Strike, InAReplayXChangesTheSpeedNotTheCamera) {
    auto cam = [](const AfterKey& a) { return std::tuple(a.camX, a.camY, a.camZ); };
    const int none = 0x3A; // a key the match does not read
    EXPECT_EQ(cam(Hold(Scan::X, 3, true)), cam(Hold(none, 3, true)));
    EXPECT_EQ(cam(Hold(Scan::Kp4, 3, true)), cam(Hold(Scan::Kp4, 3))); // the keypad still does
    EXPECT_NE(cam(Hold(Scan::D, 3, true)), cam(Hold(none, 3, true)));
}

TEST(Strike, ShortcutsOnlyOnAHumansTurn) {
    Rig c(2, true), e(2, true), a(2), m(2);
    c.m.IsCompHOD = e.m.IsCompHOD = kTrue;
    for (Rig* r : {&c, &e, &a, &m})
        r->Start();
    e.s->KeyDown(Key::Enter); // ENTER makes the paused computer strike
    EXPECT_EQ(std::tuple(e.s->Phase(), e.s->Strikes()), std::tuple(TurnPhase::Struck, 1));
    c.Press(Scan::A);
    c.Press(Scan::M);
    EXPECT_EQ(std::tuple(c.s->Phase(), c.s->Strikes()), std::tuple(TurnPhase::Aim, 0));
    c.Charge(10); // SPACE is not restricted: it fires with the current aim
    EXPECT_EQ(std::tuple(c.s->Phase(), c.s->Strikes()), std::tuple(TurnPhase::Struck, 1));
    EXPECT_EQ(c.replay.written.at(0).strike.si, 20);

    a.Press(Scan::A);
    EXPECT_EQ(std::tuple(a.s->Phase(), a.s->Strikes()), std::tuple(TurnPhase::Struck, 1));
    m.Press(Scan::M);
    EXPECT_EQ(m.replay.written.at(0).strike.si, 100);
}

void PutAt(Rig& r, int k, double x, double y) {
    r.m.Gobla(k).Xpos = x;
    r.m.Gobla(k).Ypos = y;
}

// The pot falls over the striker, the others jump and the camera jolts, then
// each is thrown away from the striker by F * P / d^2 * c / 10 (c: its distance
// from the table centre), and one physics step with friction settles them.
TEST(PotStrike, FallsOverTheStrikerThenThrowsTheOthersAwayFromIt) {
    Rig r(3), c(2), z(2);
    r.m.Graphics = kGraphicsClassic; // the classic pot falls in the match's own time
    r.Start();
    PutAt(r, 1, 100, 100);
    PutAt(r, 2, 200, 100); // right of the striker
    PutAt(r, 3, 300, 200); // exactly in the table centre: stays
    r.Press(Scan::G);
    EXPECT_EQ(r.s->Phase(), TurnPhase::PotCharge);
    r.Charge(10);
    EXPECT_EQ(r.s->Phase(), TurnPhase::PotFall);
    EXPECT_EQ(std::tuple(r.replay.written.at(0).pot, r.replay.written[0].strike.si),
              std::tuple(20, 0));
    while (r.scene.pot.back().op != "hide" && r.scene.pot.size() < 1000)
        r.Fire(TimerId::Gor);
    ASSERT_EQ(r.scene.lifts.size(), 2u);
    EXPECT_TRUE(r.scene.lifts[0].n == 2 && r.scene.lifts[0].h > 0);
    EXPECT_GT(r.m.CamY, 40);
    r.Fire(TimerId::Gor);
    EXPECT_DOUBLE_EQ(r.m.CamY, 40);
    EXPECT_TRUE(!r.clock.Enabled(TimerId::Gor) && r.clock.Enabled(TimerId::Run));
    const double v = 20.0 / (100.0 * 100.0) * std::hypot(100.0, 100.0) * 100 / 10;
    EXPECT_NEAR(r.m.Gobla(2).Xpos, 200 + v - 2 * r.m.Ftr, 1e-9);
    EXPECT_EQ(std::tuple(r.m.Gobla(2).Ypos, r.m.Gobla(1).Xpos, r.m.Gobla(3).Xpos),
              std::tuple(100.0, 100.0, 300.0));
    r.Settle();
    EXPECT_EQ(std::tuple(r.m.CurG, r.s->Strikes()), std::tuple(2, 1));

    // A striker in the centre still moves the others (c = d); no force throws nothing.
    c.Start();
    PutAt(c, 1, 300, 200);
    PutAt(c, 2, 300, 300);
    c.Press(Scan::G);
    c.Press(Scan::M); // full pot force
    while (c.clock.Enabled(TimerId::Gor))
        c.Fire(TimerId::Gor);
    EXPECT_NEAR(c.m.Gobla(2).Ypos, 300 + 10 - 2 * c.m.Ftr, 1e-9);
    z.Start();
    z.Press(Scan::G);
    z.s->KeyUp(Key::Space);
    EXPECT_TRUE(!z.clock.Enabled(TimerId::Gor) && z.clock.Enabled(TimerId::Run));
}

TEST(Commands, QuickSaveRefusedWhilePiecesMove) {
    Rig r(2);
    r.Start();
    r.s->KeyDown(Key::F4);
    EXPECT_EQ(r.saves.saved, std::vector<std::string>{"/state/game1.zvr"});
    r.m.QuickSaveNo = 100; // wraps to the first slot
    r.s->KeyDown(Key::F4);
    EXPECT_EQ(std::tuple(r.saves.saved.back(), r.m.QuickSaveNo), std::tuple("/state/game1.zvr", 1));
    r.Press(Scan::M);
    r.s->KeyDown(Key::F4);
    EXPECT_EQ(std::tuple(r.saves.saved.size(), r.m.QuickSaveNo), std::tuple(2u, 1));
    EXPECT_NE(r.m.HintText.find("не сохранена"), std::string::npos);
}

TEST(Commands, TogglesAndTheExitQuestion) {
    Rig r(2), e(2);
    r.Start();
    r.s->KeyDown(Key::F7);
    EXPECT_FALSE(r.m.ArrowShown || r.scene.arrowShown);
    r.s->KeyDown(Key::F3);
    EXPECT_EQ(r.m.NamesShown, 0);
    r.sound.calls.clear(); // switching the sound off stops and rewinds every slot
    r.s->KeyDown(Key::F8);
    EXPECT_EQ(r.m.Sound, 0);
    ASSERT_EQ(r.sound.calls.size(), 15u);
    for (int k = 0; k < 15; ++k)
        EXPECT_TRUE(r.sound.calls[k].stop && r.sound.calls[k].slot == k &&
                    r.sound.calls[k].volume == 1)
            << k;
    r.s->KeyDown(Key::F1);
    EXPECT_TRUE(r.s->HelpShown() && !r.scene.ambient);

    e.Start();
    e.s->KeyDown(Key::Escape);
    EXPECT_TRUE(e.s->ExitAsk());
    e.s->KeyDown(Key::N);
    EXPECT_FALSE(e.s->ExitAsk());
    e.s->KeyDown(Key::Escape);
    e.s->KeyDown(Key::Y);
    EXPECT_TRUE(e.m.RenderOn == 0 && e.s->Busy());
    e.s->Unload();
    EXPECT_EQ(e.screens.log, std::vector<std::string>{"results 0"});
}

} // namespace
} // namespace kv::test
